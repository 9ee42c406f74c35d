#pragma once

#include <string>
#include <string_view>
#include <vector>

struct AccountSettings;

// What an account setup found for an e-mail address: the POP3 server and how
// to log in to it, from the built-in provider table or the domain's own
// autoconfig file. Texts are UTF-8; host names are ASCII.
struct MailSetup {
    std::string m_sServer;
    std::string m_sPort;            // canonical decimal text
    std::string m_sSecurity = "2";  // AccountSettings' stored choice: "0", "1" STLS, "2" implicit TLS
    std::string m_sUser;            // empty when the file asks for something we cannot fill in
    std::string m_sAuth = "auto";   // a pop3::ParseAuthMethod name: "auto" or "oauth2"
    std::string m_sProvider;        // the provider's name, for the status line
    std::string m_sNote;            // what the user must do at the provider first; empty when nothing
    std::string m_sHelpUrl;         // the provider's own page about it (https), or empty
    bool m_bPasswordToo = false;    // with "oauth2": an app password logs in as well
    // What the user must hear, and agree to, before settings from a file
    // the domain publishes are used (mail_setup::Findings); empty for the
    // built-in table's.
    std::vector<std::string> m_aFindings;

    // Writes the server, port, security, user name and method into `account`
    // (the user name as Windows-1252 bytes); the password and fingerprint
    // stay.
    void ApplyTo(AccountSettings& account) const;
};

namespace mail_setup {

// The longest domain a lookup takes (RFC 1035 §2.3.4: 255 octets on the
// wire, 253 as text).
inline constexpr size_t kMaxDomain = 253;
// The longest local part (RFC 5321 §4.5.3.1.1).
inline constexpr size_t kMaxLocalPart = 64;

// Splits an address typed by the user at its last '@': the local part as
// typed, the domain in lower case without a final dot. False when either is
// empty or too long, the local part holds a blank or control character, or
// the domain is not a host name (ASCII letters, digits, hyphens, dots): it
// goes into a URL and must not change where that URL leads.
bool SplitAddress(std::string_view address, std::string& local, std::string& domain);

// ASCII letters, digits and hyphens in dot-separated labels of 1 to 63
// characters (RFC 1123 §2.1), at most kMaxDomain characters.
bool IsHostName(std::string_view text);

// Why settings a domain's own file gave need the user's word before use,
// one plain sentence each (UTF-8): the server takes the password without
// encryption, or lies outside the address's registrable domain (the file
// sends the password to another domain's server). `domain` is the address's.
std::vector<std::string> Findings(const MailSetup& setup, std::string_view domain);

// Replaces %EMAILADDRESS%, %EMAILLOCALPART% and %EMAILDOMAIN% in an autoconfig
// value. False when the text holds any other placeholder (%REALNAME%...).
bool ExpandPlaceholders(std::string_view text, std::string_view local, std::string_view domain, std::string& out);

}  // namespace mail_setup
