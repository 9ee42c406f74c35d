#pragma once

#include <string>
#include <string_view>

// Header texts travel as Windows-1252 bytes; these convert them at the edges
// where Unicode is needed (the window, the terminal).
namespace platform {

// Every byte maps to a character; the five bytes Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same
// number, so the conversion is lossless both ways.
std::string Cp1252ToUtf8(std::string_view bytes);

// Characters outside Windows-1252 (and malformed UTF-8) become '?';
// *pbLossy, when given, says whether that happened.
std::string Utf8ToCp1252(std::string_view utf8, bool* pbLossy = nullptr);

// Appends the UTF-8 form of a character of the Basic Multilingual Plane.
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace platform
