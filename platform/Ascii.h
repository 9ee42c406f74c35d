#pragma once

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

}  // namespace platform
