#include "AccountList.h"

#include "core/storage/HeaderCache.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/RememberedChoices.h"
#include "core/storage/SettingsKeys.h"
#include "core/storage/SettingsStore.h"

#include <unistd.h>

namespace account_list {

namespace {

// The stored values of the first `count` account sections, as they are.
std::vector<SettingsStore::Section> ReadSections(const SettingsStore& settings, int count)
{
    std::vector<SettingsStore::Section> sections;
    for (int i = 0; i < count; ++i)
        sections.emplace_back(SectionFor(i), settings.ReadSection(SectionFor(i)));
    return sections;
}

// Puts the values of `order` into the sections "Acct", "Acct2", ... in that
// order; sections left over are removed. One write.
bool WriteSections(SettingsStore& settings, const std::vector<SettingsStore::Section>& stored,
                   const std::vector<int>& order)
{
    std::vector<SettingsStore::Section> sections;
    for (size_t i = 0; i < stored.size(); ++i) {
        const int from = i < order.size() ? order[i] : -1;
        sections.emplace_back(SectionFor(static_cast<int>(i)),
                              from >= 0 ? stored[static_cast<size_t>(from)].second
                                        : std::vector<std::pair<std::string, std::string>>{});
    }
    return settings.ReplaceSections(sections);
}

}  // namespace

std::string SectionFor(int index)
{
    return index == 0 ? std::string(settings_keys::kAccount)
                      : std::string(settings_keys::kAccount) + std::to_string(index + 1);
}

std::vector<AccountSettings> Load(const SettingsStore& settings, PasswordStore* passwords)
{
    std::vector<AccountSettings> accounts;
    accounts.push_back(AccountSettings::Load(settings, nullptr, SectionFor(0)));
    for (int i = 1; i < kMaxAccounts && settings.HasSection(SectionFor(i)); ++i)
        accounts.push_back(AccountSettings::Load(settings, nullptr, SectionFor(i)));
    if (passwords)
        for (AccountSettings& account : accounts)
            account.m_sPass = passwords->Load(AccountKey::Of(account, accounts), account.m_sSection);
    return accounts;
}

AccountKey KeyOf(const SettingsStore& settings, const AccountSettings& account)
{
    return AccountKey::Of(account, Load(settings));
}

int Find(const std::vector<AccountSettings>& accounts, std::string_view name)
{
    // A Name wins over another account's "user@server".
    for (size_t i = 0; i < accounts.size(); ++i)
        if (!accounts[i].m_sName.empty() && accounts[i].m_sName == name)
            return static_cast<int>(i);
    for (size_t i = 0; i < accounts.size(); ++i)
        if (accounts[i].m_sUser + "@" + accounts[i].m_sServer == name)
            return static_cast<int>(i);
    return -1;
}

std::vector<int> FindAll(const std::vector<AccountSettings>& accounts, std::string_view name)
{
    std::vector<int> named, byLogin;
    for (size_t i = 0; i < accounts.size(); ++i) {
        if (!accounts[i].m_sName.empty() && accounts[i].m_sName == name)
            named.push_back(static_cast<int>(i));
        if (accounts[i].m_sUser + "@" + accounts[i].m_sServer == name)
            byLogin.push_back(static_cast<int>(i));
    }
    return named.empty() ? byLogin : named;
}

bool NameTaken(const std::vector<AccountSettings>& accounts, const AccountSettings& account)
{
    if (account.m_sName.empty())
        return false;
    for (const AccountSettings& other : accounts)
        if (other.m_sSection != account.m_sSection
            && (other.m_sName == account.m_sName || other.m_sUser + "@" + other.m_sServer == account.m_sName))
            return true;
    return false;
}

bool Add(SettingsStore& settings, PasswordStore& passwords, AccountSettings& account)
{
    // A new settings file has no account yet: the first goes into "Acct".
    const int count = settings.HasSection(SectionFor(0)) ? static_cast<int>(Load(settings).size()) : 0;
    if (count >= kMaxAccounts)
        return false;
    account.m_sSection = SectionFor(count);
    account.Save(settings, passwords, AccountSettings());
    return settings.HasSection(account.m_sSection);
}

void ForgetFiles(const AccountSettings& account)
{
    const std::string choices = RememberedChoices::PathFor(account.m_sServer, account.m_sUser, account.m_sPort);
    if (!choices.empty())
        unlink(choices.c_str());
    const std::string cache = HeaderCache::PathFor(account.m_sServer, account.m_sUser, account.m_sPort);
    if (!cache.empty())
        unlink(cache.c_str());
}

bool Remove(SettingsStore& settings, PasswordStore& passwords, int index)
{
    const std::vector<AccountSettings> accounts = Load(settings);
    const int count = static_cast<int>(accounts.size());
    if (index < 0 || index >= count)
        return false;
    std::vector<int> order;
    for (int i = 0; i < count; ++i)
        if (i != index)
            order.push_back(i);
    if (!WriteSections(settings, ReadSections(settings, count), order))
        return false;
    const AccountSettings& gone = accounts[static_cast<size_t>(index)];
    // The keyring and the files are keyed by user, server and port: an
    // account left with the same key keeps them.
    bool bSameKey = false;
    for (int i : order)
        bSameKey = bSameKey || AccountKey::Of(accounts[static_cast<size_t>(i)]) == AccountKey::Of(gone);
    if (!bSameKey && !gone.m_sServer.empty()) {
        const AccountKey key = AccountKey::Of(gone, accounts);
        passwords.Forget(key);
        // The file's token went with the section; the last section is gone,
        // so only the keyring's entry is removed.
        passwords.ForgetToken(key, SectionFor(count - 1));
    }
    if (!bSameKey)
        ForgetFiles(gone);
    return true;
}

bool Move(SettingsStore& settings, int from, int to)
{
    const int count = static_cast<int>(Load(settings).size());
    if (from < 0 || from >= count || to < 0 || to >= count)
        return false;
    if (from == to)
        return true;
    std::vector<int> order;
    for (int i = 0; i < count; ++i)
        if (i != from)
            order.push_back(i);
    order.insert(order.begin() + to, from);
    return WriteSections(settings, ReadSections(settings, count), order);
}

}  // namespace account_list
