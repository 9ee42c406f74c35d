#pragma once

#include <string>
#include <vector>

struct AccountSettings;

// Who an account is, everywhere something of it is stored: the keyring's
// password and refresh token, the journal's account field, the kept copies'
// names, the remembered choices and the header cache. User, server and port
// together: two accounts of the same user on the same host (a local tunnel
// per server) are two accounts.
//
// Earlier versions keyed the keyring and the journal by "user@server"
// alone. Such an entry still belongs to an account when exactly one account
// of the list has that user and server (m_bOwnsLegacy); when several do, it
// is nobody's, and is left alone.
struct AccountKey {
    std::string m_sUser;    // Windows-1252 bytes, as stored
    std::string m_sServer;  // Windows-1252 bytes, as stored
    std::string m_sPort;    // canonical decimal ("110"); the security's standard port when none is stored
    bool m_bOwnsLegacy = true;

    // "user@server:port", the user's '%' and '@' percent-encoded so that no
    // two accounts share it: the keyring's name of the account's password.
    std::string Text() const;
    // The keyring name of the refresh token: "oauth:" + Text().
    std::string TokenText() const { return "oauth:" + Text(); }
    // The names earlier versions used: the keyring's "user@server" (user
    // encoded as in Text), the journal's "user@server" (UTF-8, not encoded).
    std::string LegacyText() const;
    std::string LegacyJournalName() const;
    // The journal's account field (UTF-8): "user@server:port".
    std::string JournalName() const;

    bool operator==(const AccountKey& other) const
    {
        return m_sUser == other.m_sUser && m_sServer == other.m_sServer && m_sPort == other.m_sPort;
    }

    // The key of `account`, alone: it owns the legacy entries.
    static AccountKey Of(const AccountSettings& account);
    // The key of `account` among `all` (every stored account, it among
    // them or not): it owns the legacy entries only when no other account
    // of `all` has the same user and server.
    static AccountKey Of(const AccountSettings& account, const std::vector<AccountSettings>& all);
};
