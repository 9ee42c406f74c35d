#pragma once

#include "core/storage/AccountKey.h"

#include <string>

class SettingsStore;

// Where the mailbox password is kept: the desktop's keyring (the Secret
// Service on the session bus, through QtKeychain) when one answers, else the
// "Pass" value of the private settings file, as before there was a keyring.
// One password per account, keyed by its AccountKey (user, server, port); the
// file's values live in the account's own section ("Acct", "Acct2", ...).
//
// The calls wait for the keyring's answer in a local event loop, so they
// look synchronous to the caller; they need a QCoreApplication and the
// thread that created it. Without either, or without a keyring, everything
// goes to the settings file. Passwords are Windows-1252 bytes, as everywhere
// in the account; the keyring holds them as Unicode text.
class PasswordStore {
public:
    enum Home { kKeyring, kSettingsFile };

    explicit PasswordStore(SettingsStore& settings)
        : m_settings(settings)
    { }

    // A Secret Service is running or can be started on the session bus.
    // Looked up once per store.
    bool KeyringAvailable();

    // Where Save would put the password now.
    Home Where() { return KeyringAvailable() ? kKeyring : kSettingsFile; }

    // The stored password of the account, or empty. `key` names it in the
    // keyring, `section` is its section of the settings file. A "Pass" value
    // in the file is the newest (nothing leaves one there while the keyring
    // takes passwords): with a keyring it is moved there, and removed from
    // the file once the keyring holds it. An entry under the name earlier
    // versions used ("user@server") is read only when the key owns it
    // (AccountKey::m_bOwnsLegacy), and is then moved to the key's own name;
    // otherwise it is left alone and the password is empty (the user is
    // asked).
    std::string Load(const AccountKey& key, const std::string& section);

    // Stores the password in the keyring and removes any "Pass" value from
    // the file; when the keyring is missing or refuses, writes "Pass" as
    // before. Returns where it went.
    Home Save(const AccountKey& key, const std::string& section, const std::string& password);

    // Removes the keyring's entry of an account (after the account changed
    // server, user or port, or was removed), and the entry under the earlier
    // name when the key owns it. The file's value is the dialog's to
    // overwrite.
    void Forget(const AccountKey& key);

    // The account's OAuth 2.0 refresh token, kept as the password is: its
    // own keyring entry (AccountKey::TokenText, the earlier "oauth:user@server"
    // read as Load reads the password's), else the "RefreshToken" value of
    // the section, moved to the keyring on Load.
    std::string LoadToken(const AccountKey& key, const std::string& section);
    Home SaveToken(const AccountKey& key, const std::string& section, const std::string& token);
    // Removes the token from the keyring and from the file's section.
    void ForgetToken(const AccountKey& key, const std::string& section);

    // The service name entries are filed under.
    static constexpr const char* kService = "Mavix";
    // Longest wait for one keyring answer: the keyring may first ask the
    // user to unlock it, and that prompt has to be answered by a person.
    static constexpr int kKeyringDeadlineMs = 60000;

private:
    enum Result { kOk, kNotFound, kFailed };
    Result ReadKeyring(const std::string& key, std::string& password);
    bool WriteKeyring(const std::string& key, const std::string& password);
    void DeleteKeyring(const std::string& key);
    // Load and Save for one secret: its keyring key (and the earlier one, when
    // the account owns it; else empty) and its file value.
    std::string LoadSecret(const std::string& key, const std::string& legacyKey, const std::string& section,
                           const char* fileValue);
    // The secret under the earlier key, moved to `key`.
    std::string TakeLegacy(const std::string& key, const std::string& legacyKey);
    Home SaveSecret(const std::string& key, const std::string& section, const char* fileValue,
                    const std::string& secret);

    SettingsStore& m_settings;
    int m_nAvailable = -1;  // -1 not looked up yet, else 0 or 1
};
