#include "core/storage/AccountKey.h"

#include "core/platform/Cp1252.h"
#include "core/storage/AccountSettings.h"

namespace {

std::string EncodedUser(const std::string& user)
{
    std::string key;
    for (char c : user) {
        if (c == '%')
            key += "%25";
        else if (c == '@')
            key += "%40";
        else
            key += c;
    }
    return key;
}

}  // namespace

std::string AccountKey::Text() const
{
    return EncodedUser(m_sUser) + "@" + m_sServer + ":" + m_sPort;
}

std::string AccountKey::LegacyText() const
{
    return EncodedUser(m_sUser) + "@" + m_sServer;
}

std::string AccountKey::LegacyJournalName() const
{
    return platform::Cp1252ToUtf8(m_sUser) + "@" + platform::Cp1252ToUtf8(m_sServer);
}

std::string AccountKey::JournalName() const
{
    return LegacyJournalName() + ":" + m_sPort;
}

AccountKey AccountKey::Of(const AccountSettings& account)
{
    AccountKey key;
    key.m_sUser = account.m_sUser;
    key.m_sServer = account.m_sServer;
    key.m_sPort = AccountSettings::NormalisePort(account.m_sPort);
    if (key.m_sPort.empty())
        key.m_sPort = AccountSettings::StandardPort(AccountSettings::SecurityOf(account.m_sSecurity));
    return key;
}

AccountKey AccountKey::Of(const AccountSettings& account, const std::vector<AccountSettings>& all)
{
    AccountKey key = Of(account);
    int nSame = 0;
    for (const AccountSettings& other : all)
        if (other.m_sUser == account.m_sUser && other.m_sServer == account.m_sServer
            && other.m_sSection != account.m_sSection)
            ++nSame;
    key.m_bOwnsLegacy = nSame == 0;
    return key;
}
