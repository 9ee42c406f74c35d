#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "core/auth/OAuthProvider.h"
#include "core/auth/TokenRequest.h"

namespace oauth {

// How long the sign-in waits for the browser to come back: the user may
// have to type a password and confirm on a phone first.
inline constexpr std::chrono::milliseconds kAuthorizationTimeout{5 * 60 * 1000};

struct FlowResult {
    bool m_bOk = false;
    std::string m_sError;  // for the user, UTF-8; never holds a code or a token
    Tokens m_tokens;
};

// Shows the authorization URL to the user: the window opens it in the
// browser, the terminal prints it. False when it could not.
using OpenUrl = std::function<bool(const std::string& url)>;

// The authorization code grant with PKCE (RFC 6749 §4.1, RFC 7636 S256)
// for a native application (RFC 8252): a listener on 127.0.0.1 at a free
// port takes the browser's redirect; exactly one request is taken, and it
// must carry this sign-in's state. The listener then closes; a request with
// another state, or a second one while the sign-in lasts, ends it. The code
// is then traded for tokens at the token endpoint.
//
// Runs on the thread that calls Start, in its event loop; `done` is called
// once, from that loop (never from inside Start), and the flow may be
// deleted in it.
class AuthorizationFlow {
public:
    AuthorizationFlow(Provider provider, OpenUrl openUrl, std::string loginHint = {});
    ~AuthorizationFlow();
    AuthorizationFlow(const AuthorizationFlow&) = delete;
    AuthorizationFlow& operator=(const AuthorizationFlow&) = delete;

    // Before Start: how long the browser has (tests shorten it).
    void SetTimeout(std::chrono::milliseconds timeout);
    void Start(std::function<void(FlowResult)> done);
    // Ends a running sign-in; `done` hears "sign-in cancelled".
    void Cancel();
    // Start, and wait in a local event loop for the result.
    FlowResult Run();

private:
    struct Impl;
    std::unique_ptr<Impl> m_p;
};

}  // namespace oauth
