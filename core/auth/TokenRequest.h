#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/auth/OAuthProvider.h"
#include "core/auth/TokenReply.h"

class QNetworkAccessManager;
class QUrl;

// One request to a provider's token endpoint (RFC 6749 §4.1.3, §6): a POST
// of a form, the JSON reply bounded at kTokenReplyMaxBytes, within a
// deadline. Nothing here traces or shows a token.
namespace oauth {

// Longest wait for the token endpoint's whole answer.
inline constexpr std::chrono::milliseconds kTokenRequestDeadline{30000};

// An access token with its expiry, and the refresh token that renews it.
struct Tokens {
    std::string m_sAccess, m_sRefresh;
    // max(): the server gave no lifetime; the token is used until refused.
    std::chrono::steady_clock::time_point m_expiry = std::chrono::steady_clock::time_point::max();
    void Wipe();
};

// The tokens of a successful reply received at `now`; the refresh token
// stays `refresh` when the reply brings none.
Tokens TokensOf(TokenReply& reply, std::chrono::steady_clock::time_point now, const std::string& refresh = {});

using Form = std::vector<std::pair<std::string, std::string>>;

// The token endpoint's form for an authorization code (with the PKCE
// verifier), and for a refresh token; both carry the client, and its
// secret when it has one.
Form CodeForm(const Provider& provider, const std::string& code, const std::string& redirectUri,
              const std::string& verifier);
Form RefreshForm(const Provider& provider, const std::string& refreshToken);
// Overwrites the form's values (codes, tokens, secrets).
void WipeForm(Form& form);

// TLS only, bar a loopback host (127.0.0.0/8, ::1, "localhost"), which
// never leaves the machine: how tests and a local proxy are reached.
bool EndpointAllowed(const QUrl& url);

// Posts the form on `network` (this thread's) and calls `done` once, on
// this thread, from its event loop; at once when the URL is not allowed.
void PostTokenForm(QNetworkAccessManager& network, const std::string& tokenUrl, const Form& form,
                   std::function<void(TokenReply)> done, std::chrono::milliseconds deadline = kTokenRequestDeadline);

// The same, waiting in a local event loop: for any thread, a std::thread
// included, while a QCoreApplication exists.
TokenReply RequestToken(const std::string& tokenUrl, const Form& form,
                        std::chrono::milliseconds deadline = kTokenRequestDeadline);

}  // namespace oauth
