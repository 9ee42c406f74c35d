#include "core/pop3/Authentication.h"

#include "core/platform/Ascii.h"

#include <array>
#include <utility>

namespace pop3 {

namespace {

constexpr std::array<std::pair<AuthMethod, const char*>, 11> kNames{{
    {AuthMethod::kAutomatic, "auto"},
    {AuthMethod::kUserPass, "user"},
    {AuthMethod::kApop, "apop"},
    {AuthMethod::kPlain, "plain"},
    {AuthMethod::kLogin, "login"},
    {AuthMethod::kCramMd5, "cram-md5"},
    {AuthMethod::kScramSha1, "scram-sha-1"},
    {AuthMethod::kScramSha256, "scram-sha-256"},
    {AuthMethod::kOAuth2, "oauth2"},
    {AuthMethod::kXOAuth2, "xoauth2"},
    {AuthMethod::kOAuthBearer, "oauthbearer"},
}};

}  // namespace

bool ParseAuthMethod(std::string_view text, AuthMethod& method)
{
    text = platform::TrimSpace(text);
    if (text.empty()) {
        method = AuthMethod::kAutomatic;
        return true;
    }
    for (const auto& [value, name] : kNames) {
        if (platform::AsciiUpper(std::string(text)) == platform::AsciiUpper(std::string(name))) {
            method = value;
            return true;
        }
    }
    return false;
}

const char* AuthMethodName(AuthMethod method)
{
    for (const auto& [value, name] : kNames) {
        if (value == method)
            return name;
    }
    return "auto";
}

bool UsesToken(AuthMethod method)
{
    return method == AuthMethod::kOAuth2 || method == AuthMethod::kXOAuth2 || method == AuthMethod::kOAuthBearer;
}

}  // namespace pop3
