#pragma once

#include "core/storage/SettingsKeys.h"

#include <string>

class SettingsStore;

// Where the mailbox password is kept: the desktop's keyring (the Secret
// Service on the session bus, through QtKeychain) when one answers, else the
// "Pass" value of the private settings file, as before there was a keyring.
// One password per account, keyed by server and user name; the file's values
// live in the account's own section ("Acct", "Acct2", ...).
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

    // The stored password, or empty. A "Pass" value in the settings file is
    // the newest (nothing leaves one there while the keyring takes
    // passwords): with a keyring it is moved there, and removed from the
    // file once the keyring holds it.
    std::string Load(const std::string& server, const std::string& user,
                     const std::string& section = settings_keys::kAccount);

    // Stores the password in the keyring and removes any "Pass" value from
    // the file; when the keyring is missing or refuses, writes "Pass" as
    // before. Returns where it went.
    Home Save(const std::string& server, const std::string& user, const std::string& password,
              const std::string& section = settings_keys::kAccount);

    // Removes the keyring's entry of an account (after the account changed
    // server or user). The file's value is the dialog's to overwrite.
    void Forget(const std::string& server, const std::string& user);

    // The account's OAuth 2.0 refresh token, kept as the password is: its
    // own keyring entry under TokenKeyFor, else the "RefreshToken" value of
    // the private settings file, moved to the keyring on Load.
    std::string LoadToken(const std::string& server, const std::string& user,
                          const std::string& section = settings_keys::kAccount);
    Home SaveToken(const std::string& server, const std::string& user, const std::string& token,
                   const std::string& section = settings_keys::kAccount);
    // Removes the token from the keyring and from the file's section.
    void ForgetToken(const std::string& server, const std::string& user,
                     const std::string& section = settings_keys::kAccount);
    // The keyring's name of an account's refresh token: "oauth:" + KeyFor.
    static std::string TokenKeyFor(const std::string& server, const std::string& user);

    // The keyring's name of an account: "user@server", the user name with
    // '%' and '@' percent-encoded so that no two accounts share a key.
    static std::string KeyFor(const std::string& server, const std::string& user);

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
    // Load and Save for one secret: its keyring key and its file value.
    std::string LoadSecret(const std::string& key, const std::string& section, const char* fileValue);
    Home SaveSecret(const std::string& key, const std::string& section, const char* fileValue,
                    const std::string& secret);

    SettingsStore& m_settings;
    int m_nAvailable = -1;  // -1 not looked up yet, else 0 or 1
};
