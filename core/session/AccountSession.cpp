#include "AccountSession.h"

#include "core/auth/OAuthProvider.h"
#include "core/auth/TokenSources.h"
#include "core/platform/Secrets.h"
#include "core/pop3/Authentication.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/Preferences.h"
#include "core/storage/SettingsStore.h"

namespace {

bool UsesToken(const AccountSettings& account)
{
    pop3::AuthMethod method = pop3::AuthMethod::kAutomatic;
    return pop3::ParseAuthMethod(account.m_sAuth, method) && pop3::UsesToken(method);
}

}  // namespace

std::unique_ptr<AccountSession> AccountSession::Open(SettingsStore& settings, const Preferences& prefs,
                                                     AccountSettings account, const std::vector<AccountSettings>& all,
                                                     IScreeningListener& engineQueue, ISessionListener& owner,
                                                     Overrides overrides)
{
    AccountKey key = AccountKey::Of(account, all);
    AccountKey secretsKey = overrides.m_stored ? AccountKey::Of(*overrides.m_stored, all) : key;
    if (overrides.m_sPassword)
        account.m_sPass = std::move(*overrides.m_sPassword);
    else if (!UsesToken(account))
        account.m_sPass = PasswordStore(settings).Load(secretsKey, account.m_sSection);
    std::unique_ptr<AccountSession> session(
        new AccountSession(settings, std::move(account), std::move(key), std::move(secretsKey), engineQueue, owner));
    session->ApplyPreferences(prefs);
    if (overrides.m_sTokenCommand || UsesToken(session->m_account))
        session->SetUpTokens(overrides.m_sTokenCommand);
    if (!session->m_account.IsComplete())
        session->m_nReadiness = Readiness::kIncomplete;
    return session;
}

AccountSession::AccountSession(SettingsStore& settings, AccountSettings account, AccountKey key, AccountKey secretsKey,
                               IScreeningListener& engineQueue, ISessionListener& owner)
    : m_settings(settings),
      m_account(std::move(account)),
      m_key(std::move(key)),
      m_secretsKey(std::move(secretsKey)),
      m_pSession(std::make_unique<ScreeningSession>(engineQueue, owner)),
      m_pRotation(std::make_shared<Rotation>())
{
    m_pSession->LoadChoices(m_account);
    m_pSession->SetHeaderCache(HeaderCacheUse::kUse);
    m_pSession->Engine().SetOwnsLegacyJournal(m_key.m_bOwnsLegacy);
}

AccountSession::~AccountSession()
{
    // The engine joins its workers first: they may still ask for tokens.
    m_pSession.reset();
    platform::SecureWipe(m_account.m_sPass);
    std::lock_guard lock(m_pRotation->m_mutex);
    platform::SecureWipe(m_pRotation->m_sToken);
}

// The access tokens of an OAuth log-in: the command's, else those of the
// account's stored refresh token. Without a provider each log-in says why,
// without connecting; without a refresh token the log-in says nobody has
// signed in.
void AccountSession::SetUpTokens(const std::optional<std::string>& command)
{
    if (command) {
        m_pSession->SetTokenSource(oauth::MakeCommandTokenSource(*command));
        return;
    }
    oauth::Provider provider;
    std::string why;
    if (!oauth::LoadProvider(m_settings, m_account, provider, &why)) {
        m_nReadiness = Readiness::kNoProvider;
        m_sReadiness = why;
        m_pSession->SetTokenSource([why](bool, std::string* psError) {
            if (psError)
                *psError = why;
            return std::string();
        });
        return;
    }
    oauth::Tokens tokens;
    tokens.m_sRefresh = PasswordStore(m_settings).LoadToken(m_secretsKey, m_account.m_sSection);
    if (tokens.m_sRefresh.empty()) {
        m_nReadiness = Readiness::kNoSignIn;
        return;
    }
    std::shared_ptr<Rotation> rotation = m_pRotation;
    m_pSession->SetTokenSource(
        oauth::MakeRefreshTokenSource(std::move(provider), std::move(tokens), [rotation](const std::string& refresh) {
            std::function<void()> notice;
            {
                std::lock_guard lock(rotation->m_mutex);
                rotation->m_sToken = refresh;
                notice = rotation->m_fnNotice;
            }
            if (notice)
                notice();
        }));
}

void AccountSession::SetRotationNotice(std::function<void()> notice)
{
    std::lock_guard lock(m_pRotation->m_mutex);
    m_pRotation->m_fnNotice = std::move(notice);
}

bool AccountSession::StoreRotatedToken()
{
    std::string token;
    {
        std::lock_guard lock(m_pRotation->m_mutex);
        token.swap(m_pRotation->m_sToken);
    }
    if (token.empty())
        return false;
    PasswordStore(m_settings).SaveToken(m_secretsKey, m_account.m_sSection, token);
    platform::SecureWipe(token);
    return true;
}

void AccountSession::ApplyPreferences(const Preferences& prefs)
{
    m_pSession->SetCloseWhenDone(prefs.m_bCloseWhenDone != 0);
    m_pSession->SetQuarantine(QuarantineOptions{prefs.KeepCopyBytes(), {}});
    m_pSession->Engine().SetServerWait(prefs.m_wait.Duration());
    m_signals = prefs.Signals(m_account);
}

FilterLists AccountSession::ListsFor(const FilterLists& lists) const
{
    FilterLists withSignals = lists;
    withSignals.SetSignals(m_signals);
    return withSignals;
}

bool AccountSession::StartScan(const FilterLists& lists, RowKeeping keeping, bool bBackground)
{
    if (m_nReadiness != Readiness::kReady)
        return false;
    m_pSession->Engine().StartThreads();
    m_pSession->StartScan(m_account, ListsFor(lists), keeping, bBackground);
    return true;
}
