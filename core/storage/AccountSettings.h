#pragma once

#include "core/storage/SettingsKeys.h"

#include <string>
#include <string_view>
#include <vector>

class PasswordStore;
class SettingsStore;

// A POP3 account as the settings file keeps it, in its section: "Acct" for
// the first, "Acct2", "Acct3", ... for the others (account_list).
// Every value is Windows-1252 bytes as stored, the port and the security
// choice included; the password lives where PasswordStore keeps it.
struct AccountSettings {
    static constexpr const char* kSection = settings_keys::kAccount;

    // The security choices; the stored value is the number ("0", "1", "2").
    enum Security { kSecurityNone, kSecurityStls, kSecurityImplicitTls };

    std::string m_sServer, m_sUser, m_sPass, m_sPort;
    std::string m_sSecurity = "0";
    // Empty, or a SHA-256 fingerprint as platform::NormaliseFingerprint
    // writes it.
    std::string m_sTlsFingerprint = "";
    // How the account logs in: a pop3::ParseAuthMethod name; empty or
    // "auto" picks the strongest the server offers.
    std::string m_sAuth = "";
    // The section this account lives in: "Acct", "Acct2", ... (see
    // account_list).
    std::string m_sSection = kSection;
    // "Name": shown everywhere; empty: DisplayName() gives "user@server".
    std::string m_sName = "";
    // "Enabled": "0" leaves the account out of scans and background checks;
    // stored only when off.
    bool m_bEnabled = true;
    // "CheckEvery" in the account's section: minutes between background
    // checks, 0 off; -1 (absent) follows the preferences' CheckEvery.
    int m_nCheckEvery = -1;
    // "AuthServIds": the authserv-ids whose Authentication-Results this
    // account trusts, comma-separated as stored; empty: those under the
    // server's domain (IsOwnAuthServId). Stored only when not empty.
    std::string m_sAuthServIds = "";

    // m_sAuthServIds as a list: split at commas, blanks trimmed, empties dropped.
    std::vector<std::string> AuthServIds() const;

    // The Name, else "user@server".
    std::string DisplayName() const;

    // The stored account, a missing value giving its default. The password
    // is read only when `passwords` is given; reading it may move it from
    // the file to the keyring.
    static AccountSettings Load(const SettingsStore& settings, PasswordStore* passwords = nullptr,
                                const std::string& section = kSection);

    // Stores the account in m_sSection: the password first, where
    // `passwords` puts it (the keyring's entry of `before` is removed when the
    // server or the user changed), then Port, Server, User, Security and
    // TlsFingerprint; Authentication unless it is automatic, Name unless
    // empty, Enabled only as "0", CheckEvery only when 0 or more (each
    // otherwise removed, so a file that never chose keeps its bytes).
    void Save(SettingsStore& settings, PasswordStore& passwords, const AccountSettings& before) const;

    // Server, user name, password and port are all given: no connection is
    // tried without each of them. The OAuth methods need no password.
    bool IsComplete() const;

    // A stored choice: "1" STLS, "2" implicit TLS, anything else none.
    static Security SecurityOf(const std::string& stored);

    // RFC 8314 §3.3: 995 for implicit TLS; RFC 1939 §3: 110 otherwise.
    static const char* StandardPort(Security security);

    // A standard port follows the security choice: after the choice became
    // `security`, the other kind's standard port becomes this kind's; any
    // other port is the user's own and stays.
    static std::string PortFor(Security security, const std::string& port);

    // The port as canonical decimal text ("110"), or empty when the text is
    // not a whole number from 1 to 65535 (blanks around it are allowed).
    static std::string NormalisePort(std::string_view text);
};
