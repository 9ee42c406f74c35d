#include "AccountSettings.h"

#include "core/platform/Ascii.h"
#include "core/pop3/Authentication.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/SettingsStore.h"

namespace {

constexpr uint64_t kMaxPort = 65535;

}  // namespace

AccountSettings AccountSettings::Load(const SettingsStore& settings, PasswordStore* passwords,
                                      const std::string& section)
{
    AccountSettings account;
    account.m_sSection = section;
    const std::string& kSection = section;
    account.m_sPort = settings.ReadString(kSection, settings_keys::kPort, "110");
    account.m_sServer = settings.ReadString(kSection, settings_keys::kServer, "");
    account.m_sUser = settings.ReadString(kSection, settings_keys::kUser, "");
    if (passwords)
        account.m_sPass = passwords->Load(account.m_sServer, account.m_sUser);
    account.m_sSecurity = settings.ReadString(kSection, settings_keys::kSecurity, "0");
    account.m_sTlsFingerprint = settings.ReadString(kSection, settings_keys::kTlsFingerprint, "");
    account.m_sAuth = settings.ReadString(kSection, settings_keys::kAuthentication, "");
    account.m_sAuthServIds = settings.ReadString(kSection, settings_keys::kAuthServIds, "");
    return account;
}

void AccountSettings::Save(SettingsStore& settings, PasswordStore& passwords, const AccountSettings& before) const
{
    // The keyring files the password by server and user: an entry under
    // the old pair would be left behind.
    if ((m_sServer != before.m_sServer || m_sUser != before.m_sUser) && !before.m_sServer.empty()) {
        passwords.Forget(before.m_sServer, before.m_sUser);
        passwords.ForgetToken(before.m_sServer, before.m_sUser);
    }
    passwords.Save(m_sServer, m_sUser, m_sPass);
    settings.WriteString(kSection, settings_keys::kPort, m_sPort);
    settings.WriteString(kSection, settings_keys::kServer, m_sServer);
    settings.WriteString(kSection, settings_keys::kUser, m_sUser);
    settings.WriteString(kSection, settings_keys::kSecurity, m_sSecurity);
    settings.WriteString(kSection, settings_keys::kTlsFingerprint, m_sTlsFingerprint);
    pop3::AuthMethod method = pop3::AuthMethod::kAutomatic;
    if (pop3::ParseAuthMethod(m_sAuth, method) && method == pop3::AuthMethod::kAutomatic)
        settings.DeleteValue(kSection, settings_keys::kAuthentication);
    else
        settings.WriteString(kSection, settings_keys::kAuthentication, m_sAuth);
    if (!m_sAuthServIds.empty())
        settings.WriteString(m_sSection, settings_keys::kAuthServIds, m_sAuthServIds);
    else if (!before.m_sAuthServIds.empty())
        settings.DeleteValue(m_sSection, settings_keys::kAuthServIds);
}

std::vector<std::string> AccountSettings::AuthServIds() const
{
    std::vector<std::string> ids;
    std::string_view rest = m_sAuthServIds;
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string_view id = platform::TrimSpace(rest.substr(0, comma));
        if (!id.empty())
            ids.emplace_back(id);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return ids;
}

std::string AccountSettings::DisplayName() const
{
    return m_sName.empty() ? m_sUser + "@" + m_sServer : m_sName;
}

bool AccountSettings::IsComplete() const
{
    pop3::AuthMethod method = pop3::AuthMethod::kAutomatic;
    const bool bToken = pop3::ParseAuthMethod(m_sAuth, method) && pop3::UsesToken(method);
    return (bToken || !m_sPass.empty()) && !m_sPort.empty() && !m_sServer.empty() && !m_sUser.empty();
}

AccountSettings::Security AccountSettings::SecurityOf(const std::string& stored)
{
    return stored == "1" ? kSecurityStls : stored == "2" ? kSecurityImplicitTls : kSecurityNone;
}

const char* AccountSettings::StandardPort(Security security)
{
    return security == kSecurityImplicitTls ? "995" : "110";
}

std::string AccountSettings::PortFor(Security security, const std::string& port)
{
    const bool bTls = security == kSecurityImplicitTls;
    return port == StandardPort(bTls ? kSecurityNone : kSecurityImplicitTls) ? StandardPort(security) : port;
}

std::string AccountSettings::NormalisePort(std::string_view text)
{
    text = platform::TrimSpace(text);
    uint64_t value = 0;
    if (!platform::TakeDecimal(text, value) || !text.empty() || value < 1 || value > kMaxPort)
        return {};
    return std::to_string(value);
}
