#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

// The C library's character classes in the "C" locale, for single-byte
// header and settings texts: the answer never depends on the user's locale,
// and bytes above 0x7F are never letters or blanks.
namespace platform {

// isspace(): blank, tab, CR, LF, vertical tab, form feed.
constexpr bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

constexpr bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string AsciiUpper(std::string text)
{
    for (char& c : text)
        c = AsciiUpper(c);
    return text;
}

// A base64 digit's value (RFC 4648 §4's alphabet), -1 for any other byte.
constexpr int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

constexpr char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = AsciiLower(c);
    return lower;
}

// The text without IsSpace() characters at either end.
constexpr std::string_view TrimSpace(std::string_view text)
{
    size_t first = 0;
    while (first < text.size() && IsSpace(text[first]))
        ++first;
    size_t last = text.size();
    while (last > first && IsSpace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// The decimal number at the front of `text`, which then starts after it: no
// blanks, no sign. A number too large for 64 bits saturates at the largest
// one, so it stays out of every range. False, with `text` unchanged, when
// the text does not start with a digit.
constexpr bool TakeDecimal(std::string_view& text, uint64_t& value)
{
    if (text.empty() || !IsDigit(text.front()))
        return false;
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    value = 0;
    size_t i = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    text.remove_prefix(i);
    return true;
}

// The number a text starts with, read as atoi() and "%d" read it: IsSpace()
// blanks skipped, an optional sign, then at least one digit; whatever follows
// is ignored. Saturates at the ends of int64_t. Nothing when there is no
// digit.
constexpr std::optional<int64_t> LeadingDecimal(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    uint64_t magnitude = 0;
    if (!TakeDecimal(text, magnitude))
        return std::nullopt;
    constexpr uint64_t kMax = std::numeric_limits<int64_t>::max();
    if (!negative)
        return static_cast<int64_t>(magnitude > kMax ? kMax : magnitude);
    if (magnitude > kMax)
        return std::numeric_limits<int64_t>::min();
    return -static_cast<int64_t>(magnitude);
}

// The value of one hexadecimal digit (either case), or -1.
constexpr int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace platform
