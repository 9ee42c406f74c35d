#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// What the authorization server and the browser send this program, parsed
// without any I/O: the token endpoint's JSON reply (RFC 6749 §5) and the
// browser's request to the loopback redirect listener (RFC 8252 §7.3).
namespace oauth {

// Largest token reply read: a few tokens (a Microsoft access token, a JWT,
// runs to a few KB) and their fields in JSON.
inline constexpr size_t kTokenReplyMaxBytes = 64 * 1024;
// Largest request head the redirect listener reads: the request line with
// the code and state, and the browser's headers.
inline constexpr size_t kRedirectRequestMaxBytes = 16 * 1024;
// Longest provider text (error, error_description) quoted to the user.
inline constexpr size_t kErrorTextMaxBytes = 300;
// Longest lifetime believed of an access token (a year): expires_in is the
// server's number and is added to a clock.
inline constexpr int64_t kMaxExpiresInSeconds = 365LL * 24 * 3600;

struct TokenReply {
    bool m_bOk = false;
    std::string m_sAccess;
    std::string m_sRefresh;     // empty: the server kept the refresh token as it was
    int64_t m_nExpiresIn = -1;  // seconds from the answer; -1 not given
    std::string m_sError;       // for the user, UTF-8: the provider's error and error_description only
    void Wipe();
};

// The token endpoint's answer: HTTP status and body (at most
// kTokenReplyMaxBytes). A token must be visible ASCII (it goes on a POP3
// command line); anything else is refused, as is a reply without
// access_token.
TokenReply ParseTokenReply(int nHttpStatus, std::string_view body);

// The parameters the authorization server's redirect brings (RFC 6749
// §4.1.2), percent-decoded.
struct RedirectRequest {
    std::string m_sState, m_sCode, m_sError, m_sErrorDescription;
    void Wipe();
};

enum class HeadStatus { kIncomplete, kBad, kComplete };

// The browser's request head, as read so far: incomplete until its blank
// line; bad when longer than kRedirectRequestMaxBytes or not a GET.
HeadStatus ParseRedirectRequest(std::string_view head, RedirectRequest& request);

// A provider's text made safe to show: visible ASCII and blanks only, at
// most kErrorTextMaxBytes.
std::string ProviderText(std::string_view text);

}  // namespace oauth
