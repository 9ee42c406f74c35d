#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The texts of the log-in methods beyond USER/PASS, built and parsed
// without a socket or state: base64 (RFC 4648 §4) for SASL's exchanges
// (RFC 5034 §4), APOP's time stamp and digest (RFC 1939 §7), and the
// bearer-token responses of XOAUTH2 and OAUTHBEARER (RFC 7628). Every length
// a server controls is bounded here.
namespace pop3 {

// A greeting's APOP time stamp ("<1896.697170952@dbc.mtview.ca.us>") longer
// than this is no msg-id a server makes up (RFC 1939 §7 shows 33 bytes).
inline constexpr size_t kMaxApopTimestamp = 256;
// The "status" of an OAuth error challenge (RFC 7628 §3.2.2): an HTTP code
// or a short word ("invalid_token"); longer is cut.
inline constexpr size_t kMaxOAuthStatus = 64;

std::string Base64Encode(std::string_view bytes);
// Strict: the alphabet of RFC 4648 §4, padded to whole quanta, no blanks
// or line ends. An empty text decodes to nothing. False for anything else.
bool Base64Decode(std::string_view text, std::string& bytes);

// The time stamp of an APOP greeting (RFC 1939 §7): "<", printable ASCII
// with one "@" at least, ">". False when the greeting holds none.
bool ParseApopTimestamp(std::string_view greeting, std::string& timestamp);
// The digest APOP sends: MD5 of the time stamp and the password, as 32
// lower-case hex digits; empty when MD5 cannot be had.
std::string ApopDigest(std::string_view timestamp, std::string_view password);

// Google's and Microsoft's XOAUTH2: "user=U^Aauth=Bearer T^A^A".
std::string XOAuth2Response(std::string_view user, std::string_view token);
// RFC 7628 §3.1: "n,a=U,^Aauth=Bearer T^A^A", with "," and "=" in the user
// name escaped as RFC 5801 §4 says.
std::string OAuthBearerResponse(std::string_view user, std::string_view token);
// The "status" member of an OAuth error challenge's JSON (RFC 7628 §3.2.2),
// printable ASCII only, at most kMaxOAuthStatus bytes; empty when there is
// none. Read as far as a flat object of strings needs, nothing more.
std::string OAuthErrorStatus(std::string_view json);

}  // namespace pop3
