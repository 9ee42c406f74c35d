#include "JobContext.h"

#include "core/platform/CoreText.h"
#include "core/platform/Ascii.h"
#include "core/platform/Cp1252.h"
#include "core/platform/Secrets.h"

JobContext::~JobContext()
{
    platform::SecureWipe(m_account.m_sPass);
}

bool JobContext::ClearAbort(CPop3Connection& connection) const
{
    if (m_fnClearAbort)
        return m_fnClearAbort();
    if (Stopped())
        return false;
    connection.ClearAbort();
    return true;
}

void JobContext::ApplyTiming(CPop3Connection& connection) const
{
    if (m_timing)
        connection.SetTiming(*m_timing);
}

// A stored method nobody knows is not taken for "auto": that might send the
// password by a way the user ruled out.
std::string JobContext::ApplyAuthentication(CPop3Connection& connection) const
{
    pop3::AuthMethod method = pop3::AuthMethod::kAutomatic;
    if (!pop3::ParseAuthMethod(m_account.m_sAuth, method))
        return core_text::Say(
            "Scan",
            QT_TRANSLATE_NOOP("Scan",
                              "Unknown log-in method \"%1\" (Authentication): choose one under Manage Account."),
            {m_account.m_sAuth});
    if (pop3::UsesToken(method) && !m_fnTokens)
        return core_text::Say("Scan",
                              QT_TRANSLATE_NOOP("Scan",
                                                "This account signs in with OAuth 2.0, and nobody has signed in for it "
                                                "yet: sign in under Manage Account."));
    connection.SetAuthentication(method, m_fnTokens);
    return {};
}

AccountKey JobContext::SessionKey() const
{
    AccountKey key = AccountKey::Of(m_sessionAccount);
    key.m_bOwnsLegacy = m_bOwnsLegacyJournal;
    return key;
}

DeletionJournal JobContext::SessionJournal(std::string* pAccount) const
{
    if (pAccount)
        *pAccount = SessionKey().JournalName();
    return m_sJournalFolder.empty() ? DeletionJournal() : DeletionJournal(m_sJournalFolder);
}

std::string SessionStatus(const CPop3Connection& connection, const std::string& fallback)
{
    if (connection.IsBroken())
        return connection.BreakReason() + core_text::Say("PurgeSummary", kDroppedNote);
    return fallback;
}

// No digits read as 0; 0, negative or above 65535 give 0.
int ParsePort(const std::string& text)
{
    const std::optional<int64_t> value = platform::LeadingDecimal(text);
    return value && *value > 0 && *value <= 65535 ? static_cast<int>(*value) : 0;
}
