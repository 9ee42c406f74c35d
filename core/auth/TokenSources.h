#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "core/auth/OAuthProvider.h"
#include "core/auth/TokenRequest.h"
#include "core/pop3/Authentication.h"

// Where the log-in's OAuth 2.0 access tokens come from. The sources are
// called on the engine's worker (a std::thread): they do their HTTP or run
// their command right there, waiting in a local event loop with a deadline.
// Handing the request to the main thread instead would hang mavix-cli,
// whose main thread polls descriptors and runs no Qt event loop. They never
// touch the keyring, which belongs to the main thread.
namespace oauth {

// How long before its expiry an access token is renewed rather than sent:
// the log-in may take that long, and clocks differ.
inline constexpr std::chrono::seconds kRefreshMargin{60};
// Longest run of a --token-command, and the most output read from it (a
// token is a few KB; more is not a token).
inline constexpr std::chrono::milliseconds kTokenCommandDeadline{30000};
inline constexpr size_t kTokenCommandOutputMax = 64 * 1024;

// Told, on the worker thread, of a new refresh token the server handed
// out in place of the old one: the owner stores it from its own thread.
using RefreshRotated = std::function<void(const std::string& refresh)>;

// Tokens from the provider: the access token while it has more than
// kRefreshMargin to live, else (and on bRenew) a new one for the refresh
// token (grant_type=refresh_token). `tokens` may hold only the refresh
// token. The log-in asks with bRenew at most once per log-in.
pop3::TokenSource MakeRefreshTokenSource(Provider provider, Tokens tokens, RefreshRotated onRotated,
                                         std::chrono::milliseconds deadline = kTokenRequestDeadline);

// Runs `command` (split like a shell's words, QProcess::splitCommand; no
// shell) at every call and takes its standard output, blanks trimmed, as the
// access token. Its standard error goes to this program's.
pop3::TokenSource MakeCommandTokenSource(std::string command,
                                         std::chrono::milliseconds deadline = kTokenCommandDeadline);

}  // namespace oauth
