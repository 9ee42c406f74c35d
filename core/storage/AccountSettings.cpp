#include "AccountSettings.h"

#include "core/platform/Ascii.h"
#include "core/pop3/Authentication.h"
#include "core/storage/AccountKey.h"
#include "core/storage/AccountList.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/SettingsStore.h"

#include <algorithm>

namespace {

constexpr uint64_t kMaxPort = 65535;

}  // namespace

AccountSettings AccountSettings::Load(const SettingsStore& settings, PasswordStore* passwords,
                                      const std::string& section)
{
    namespace keys = settings_keys;
    AccountSettings account;
    account.m_sSection = section;
    account.m_sPort = settings.ReadString(section, keys::kPort, "110");
    account.m_sServer = settings.ReadString(section, keys::kServer, "");
    account.m_sUser = settings.ReadString(section, keys::kUser, "");
    account.m_sSecurity = settings.ReadString(section, keys::kSecurity, "0");
    account.m_sTlsFingerprint = settings.ReadString(section, keys::kTlsFingerprint, "");
    account.m_sAuth = settings.ReadString(section, keys::kAuthentication, "");
    account.m_sName = settings.ReadString(section, keys::kName, "");
    account.m_bEnabled = settings.ReadInt(section, keys::kEnabled, 1) != 0;
    account.m_nCheckEvery = std::max(-1, settings.ReadInt(section, keys::kCheckEvery, -1));
    account.m_sAuthServIds = settings.ReadString(section, keys::kAuthServIds, "");
    if (passwords)
        account.m_sPass = passwords->Load(account_list::KeyOf(settings, account), section);
    return account;
}

void AccountSettings::Save(SettingsStore& settings, PasswordStore& passwords, const AccountSettings& before) const
{
    namespace keys = settings_keys;
    // The keyring files the password by user, server and port: an entry
    // under the old ones would be left behind.
    const AccountKey key = account_list::KeyOf(settings, *this);
    if (!before.m_sServer.empty() && !(AccountKey::Of(before) == key)) {
        const AccountKey old = account_list::KeyOf(settings, before);
        passwords.Forget(old);
        passwords.ForgetToken(old, m_sSection);
    }
    const std::string& section = m_sSection;
    passwords.Save(key, section, m_sPass);
    settings.WriteString(section, keys::kPort, m_sPort);
    settings.WriteString(section, keys::kServer, m_sServer);
    settings.WriteString(section, keys::kUser, m_sUser);
    settings.WriteString(section, keys::kSecurity, m_sSecurity);
    settings.WriteString(section, keys::kTlsFingerprint, m_sTlsFingerprint);
    pop3::AuthMethod method = pop3::AuthMethod::kAutomatic;
    if (pop3::ParseAuthMethod(m_sAuth, method) && method == pop3::AuthMethod::kAutomatic)
        settings.DeleteValue(section, keys::kAuthentication);
    else
        settings.WriteString(section, keys::kAuthentication, m_sAuth);
    // Written only when chosen, so a file that never chose keeps its bytes.
    if (m_sName.empty())
        settings.DeleteValue(section, keys::kName);
    else
        settings.WriteString(section, keys::kName, m_sName);
    if (m_bEnabled)
        settings.DeleteValue(section, keys::kEnabled);
    else
        settings.WriteString(section, keys::kEnabled, "0");
    if (m_nCheckEvery >= 0)
        settings.WriteInt(section, keys::kCheckEvery, m_nCheckEvery);
    else
        settings.DeleteValue(section, keys::kCheckEvery);
    if (m_sAuthServIds.empty())
        settings.DeleteValue(section, keys::kAuthServIds);
    else
        settings.WriteString(section, keys::kAuthServIds, m_sAuthServIds);
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
