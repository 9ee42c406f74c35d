#pragma once

#include "core/storage/AccountKey.h"
#include "core/storage/AccountSettings.h"

#include <string>
#include <string_view>
#include <vector>

class PasswordStore;
class SettingsStore;

// The accounts, in the order they are shown: the section "Acct" first (the
// one account every earlier version kept, with its keys unchanged, so an
// older Mavix still finds it), then "Acct2", "Acct3", ... with the same keys
// plus "Name" and "Enabled". Reading stops at the first missing section.
namespace account_list {

// Sections read at most: the file is the user's, but a loop over it is ours.
inline constexpr int kMaxAccounts = 32;

// "Acct" for index 0, "Acct2" for 1, "Acct3" for 2, ...
std::string SectionFor(int index);

// Every stored account in order, each with m_sSection set. The first is
// always there, empty in a new settings file. Passwords and tokens are read
// only when `passwords` is given.
std::vector<AccountSettings> Load(const SettingsStore& settings, PasswordStore* passwords = nullptr);

// The key of `account` (stored or about to be) among the stored accounts:
// it owns the entries of earlier versions when no other stored account has
// its user and server.
AccountKey KeyOf(const SettingsStore& settings, const AccountSettings& account);

// The account named `name`: its Name, else "user@server"; -1 when none is.
int Find(const std::vector<AccountSettings>& accounts, std::string_view name);
// Every account named `name`, in order: those whose Name it is; when none,
// those whose "user@server" it is. More than one: the name is ambiguous.
std::vector<int> FindAll(const std::vector<AccountSettings>& accounts, std::string_view name);
// Another of `accounts` (any but the one in account.m_sSection) already
// answers to the Name `account` would get: its Name, or its "user@server".
// The Accounts dialog refuses such a name. An account without a Name is
// never refused.
bool NameTaken(const std::vector<AccountSettings>& accounts, const AccountSettings& account);

// Appends `account` as the next section (its m_sSection is set); false when
// there are kMaxAccounts already or the file could not be written.
bool Add(SettingsStore& settings, PasswordStore& passwords, AccountSettings& account);

// Removes the account at `index` with its keyring password and token, its
// remembered choices and its header cache; the sections after it move up one
// (the second becomes "Acct" when the first is removed), in one write.
bool Remove(SettingsStore& settings, PasswordStore& passwords, int index);

// Moves the account at `from` to `to`, the others keeping their order, by
// rewriting the account sections in one write.
bool Move(SettingsStore& settings, int from, int to);

// Removes the files Mavix keeps for an account beside the settings: its
// remembered choices (and its header cache).
void ForgetFiles(const AccountSettings& account);

}  // namespace account_list
