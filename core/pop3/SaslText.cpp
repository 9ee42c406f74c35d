#include "SaslText.h"

#include "core/platform/Ascii.h"
#include "core/platform/Digest.h"

#include <array>
#include <cstdint>

namespace pop3 {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// RFC 5801 §4: "," and "=" in a saslname.
std::string SaslName(std::string_view name)
{
    std::string out;
    for (const char c : name) {
        if (c == ',')
            out += "=2C";
        else if (c == '=')
            out += "=3D";
        else
            out += c;
    }
    return out;
}

}  // namespace

std::string Base64Encode(std::string_view bytes)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        uint32_t quantum = 0;
        for (size_t k = 0; k < 3; ++k)
            quantum = quantum << 8 | (k < n ? static_cast<uint8_t>(bytes[i + k]) : 0U);
        for (size_t k = 0; k < 4; ++k)
            out += k <= n ? kAlphabet[(quantum >> (18 - 6 * k)) & 0x3F] : '=';
    }
    return out;
}

bool Base64Decode(std::string_view text, std::string& bytes)
{
    bytes.clear();
    if (text.size() % 4 != 0)
        return false;
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool bLast = i + 4 == text.size();
        const size_t nPad = bLast ? (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=') : 0;
        uint32_t quantum = 0;
        for (size_t k = 0; k < 4; ++k) {
            const int value = k < 4 - nPad ? platform::Base64Value(text[i + k]) : 0;
            if (value < 0)
                return false;
            quantum = quantum << 6 | static_cast<uint32_t>(value);
        }
        // RFC 4648 §3.5: the bits a pad leaves over are zero.
        if ((nPad == 1 && (quantum & 0xFF)) || (nPad == 2 && (quantum & 0xFFFF)))
            return false;
        for (size_t k = 0; k < 3 - nPad; ++k)
            bytes += static_cast<char>((quantum >> (16 - 8 * k)) & 0xFF);
    }
    return true;
}

bool ParseApopTimestamp(std::string_view greeting, std::string& timestamp)
{
    timestamp.clear();
    const size_t open = greeting.find('<');
    if (open == std::string_view::npos)
        return false;
    const size_t close = greeting.find('>', open);
    if (close == std::string_view::npos || close - open + 1 > kMaxApopTimestamp)
        return false;
    const std::string_view stamp = greeting.substr(open, close - open + 1);
    bool bAt = false;
    for (const char c : stamp.substr(1, stamp.size() - 2)) {
        if (c < 0x21 || c > 0x7E || c == '<')
            return false;
        bAt = bAt || c == '@';
    }
    if (!bAt)
        return false;
    timestamp.assign(stamp);
    return true;
}

std::string ApopDigest(std::string_view timestamp, std::string_view password)
{
    std::string input;
    input.reserve(timestamp.size() + password.size());
    input.append(timestamp).append(password);
    const auto digest = platform::Md5(input);
    std::fill(input.begin(), input.end(), '\0');
    if (!digest)
        return {};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (const uint8_t byte : *digest)
        hex.append({kHex[byte >> 4], kHex[byte & 0xF]});
    return hex;
}

std::string XOAuth2Response(std::string_view user, std::string_view token)
{
    std::string out;
    out.reserve(user.size() + token.size() + 20);
    out.append("user=")
        .append(user)
        .append("\x01"
                "auth=Bearer ")
        .append(token)
        .append("\x01\x01");
    return out;
}

std::string OAuthBearerResponse(std::string_view user, std::string_view token)
{
    const std::string name = SaslName(user);
    std::string out;
    out.reserve(name.size() + token.size() + 24);
    out.append("n,a=")
        .append(name)
        .append(",\x01"
                "auth=Bearer ")
        .append(token)
        .append("\x01\x01");
    return out;
}

std::string OAuthErrorStatus(std::string_view json)
{
    // The key as a string token, then blanks, ":", blanks and a string.
    static constexpr std::string_view kKey = "\"status\"";
    const size_t at = json.find(kKey);
    if (at == std::string_view::npos)
        return {};
    std::string_view rest = json.substr(at + kKey.size());
    const auto skipBlanks = [&rest] {
        while (!rest.empty()
               && (rest.front() == ' ' || rest.front() == '\t' || rest.front() == '\r' || rest.front() == '\n'))
            rest.remove_prefix(1);
    };
    skipBlanks();
    if (rest.empty() || rest.front() != ':')
        return {};
    rest.remove_prefix(1);
    skipBlanks();
    if (rest.empty() || rest.front() != '"')
        return {};
    rest.remove_prefix(1);
    std::string status;
    for (const char c : rest) {
        if (c == '"')
            return status;
        if (c < 0x20 || c > 0x7E || c == '\\' || status.size() == kMaxOAuthStatus)
            break;
        status += c;
    }
    return {};
}

}  // namespace pop3
