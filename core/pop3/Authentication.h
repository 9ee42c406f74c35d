#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pop3 {

// How a log-in authenticates. kAutomatic picks the strongest way the server
// offers (CAPA's SASL line, an APOP time stamp in the greeting); every other
// value is the user's fixed choice, which fails when the server does not
// offer it. kOAuth2 is XOAUTH2 unless the server lists only OAUTHBEARER;
// kXOAuth2 and kOAuthBearer fix the mechanism (the command line's choices).
enum class AuthMethod : uint8_t {
    kAutomatic,
    kUserPass,  // USER/PASS (RFC 1939 §7)
    kApop,      // RFC 1939 §7
    kPlain,     // RFC 4616
    kLogin,
    kCramMd5,      // RFC 2195
    kScramSha1,    // RFC 5802
    kScramSha256,  // RFC 7677
    kOAuth2,
    kXOAuth2,
    kOAuthBearer,  // RFC 7628
};

// The stored and typed names: "auto", "user", "apop", "plain", "login",
// "cram-md5", "scram-sha-1", "scram-sha-256", "oauth2", "xoauth2",
// "oauthbearer". Parsing ignores case and blanks around; empty reads as
// "auto". False for anything else.
bool ParseAuthMethod(std::string_view text, AuthMethod& method);
const char* AuthMethodName(AuthMethod method);
// The method takes an access token rather than the password.
bool UsesToken(AuthMethod method);

// Gives an OAuth 2.0 access token for the account, on the thread that logs
// in. bRenew: the last token was refused, get a new one (at most once per
// log-in). Empty with *psError set when none can be had; the text is for the
// user (Windows-1252, as the log-in's texts are) and never holds a token.
using TokenSource = std::function<std::string(bool bRenew, std::string* psError)>;

}  // namespace pop3
