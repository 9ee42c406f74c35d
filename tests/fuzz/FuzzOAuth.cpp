// What an authorization server or a local process sends the OAuth sign-in:
// the token endpoint's reply and the browser's request to the loopback
// listener. The first byte picks the parser (and the reply's HTTP status).
#include "FuzzEntries.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "core/auth/TokenReply.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool Visible(const std::string& text)
{
    for (char c : text)
        if (c <= ' ' || c >= '\x7f')
            return false;
    return true;
}

bool Shown(const std::string& text)
{
    for (char c : text)
        if (c < ' ' || c >= '\x7f')
            return false;
    return true;
}

}  // namespace

void FuzzOAuthReplies(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) {
        oauth::RedirectRequest request;
        const oauth::HeadStatus status = oauth::ParseRedirectRequest(text, request);
        Require(status == oauth::HeadStatus::kComplete
                || (request.m_sState.empty() && request.m_sCode.empty() && request.m_sError.empty()));
        return;
    }
    const oauth::TokenReply reply = oauth::ParseTokenReply(data[0] & 2 ? 200 : 400, text);
    // A token goes on a POP3 command line: visible ASCII, or none at all.
    Require(reply.m_bOk == !reply.m_sAccess.empty());
    Require(Visible(reply.m_sAccess) && Visible(reply.m_sRefresh));
    Require(reply.m_bOk || reply.m_sRefresh.empty());
    Require(Shown(reply.m_sError) && reply.m_sError.size() <= 2 * oauth::kErrorTextMaxBytes + 80);
    Require(reply.m_nExpiresIn >= -1 && reply.m_nExpiresIn <= oauth::kMaxExpiresInSeconds);
}
