#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Header texts for people to read. The bytes a header field holds stay the
// program's own currency; this turns a copy of them into UTF-8 for display.
namespace platform {

// The longest decoded text, in bytes: a header field is one line on the
// screen, and a sender can make its encoded words expand (UTF-7, UTF-16).
inline constexpr size_t kMaxDecodedText = 16 * 1024;
// Encoded words decoded in one text; later ones stay as they stand, so a
// field of thousands of tiny words costs no more than this many conversions.
inline constexpr size_t kMaxEncodedWords = 256;
// The longest charset name looked up: real ones are far shorter, and the
// name comes from the sender.
inline constexpr size_t kMaxCharsetName = 40;

// UTF-8 for display:
// - RFC 2047 encoded words ("=?charset?B?...?=", "=?charset?Q?...?=") in any
//   charset iconv knows, RFC 2231 language suffix ignored; white space
//   between two adjacent decoded words is dropped (§6.2), and runs of them
//   in one charset are converted together, so a character split across two
//   words still comes out whole. A malformed word, or one in a charset
//   iconv does not know, stays as it stands; bytes invalid in a known
//   charset become U+FFFD.
// - The other bytes are UTF-8 as they stand when the whole text is valid
//   UTF-8 (RFC 6532), else Windows-1252.
// Control characters (C0, DEL, C1) become blanks, so no header can move a
// terminal's cursor. The result is valid UTF-8 of at most kMaxDecodedText
// bytes, cut at a character boundary.
// *pbUndecodable, when given, says whether an encoded word was meant (a
// charset name and '?' after "=?") but did not decode: malformed, in a
// charset iconv does not know, or holding bytes invalid in its charset.
// Honest mail software never sends one; junk often does.
std::string DecodeHeaderText(std::string_view raw, bool* pbUndecodable = nullptr);

// The length of the well-formed UTF-8 sequence `s` starts with (RFC 3629:
// no overlong forms, no surrogates, nothing above U+10FFFF), or 0.
size_t Utf8SequenceLength(std::string_view s);

// The Unicode format characters that can reorder or hide the text around
// them (UAX #9), as the UTF-8 text `s` starts with one: the character, else
// 0. Its UTF-8 form is 2 bytes long for U+061C, 3 for the others. They are
// the marks ALM U+061C, LRM U+200E and RLM U+200F, which only settle the
// direction of the neutral characters next to them, and the explicit
// controls (IsExplicitDirectionControl).
char32_t DirectionControlAt(std::string_view s);

// U+202A..U+202E (embeddings, overrides and their end) and U+2066..U+2069
// (isolates): they reorder whole runs of letters, so "Invoice <U+202E>fdp.exe"
// reads "Invoice exe.pdf". Honest mail seldom holds them.
constexpr bool IsExplicitDirectionControl(char32_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// Whether the UTF-8 text holds an explicit direction control.
bool HasExplicitDirectionControl(std::string_view utf8);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

}  // namespace platform
