#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

class FilterLists;

// Maps an accented Windows-1252 letter (capital or small) to its plain
// capital ASCII letter; every other byte comes back unchanged.
unsigned char FoldAccent(unsigned char c);

// The form in which subjects and subject entries are compared: every byte
// through FoldAccent, then ASCII letters in capitals.
std::string NormaliseSubject(const std::string& text);

// 1 when Classify finds the message suspect with no sender known: the
// Subject (raw bytes, decoded here) or the size text matches; else 0.
int IsSuspect(const FilterLists& lists, const std::string& subject, const std::string& sizeText);

// The Subject-list entry "=?" (any mode but a pattern): the start of an RFC
// 2047 encoded word. Every Subject outside Windows-1252 must be sent encoded,
// so the text itself says nothing; the entry flags only a Subject whose
// encoded words do not decode (platform::DecodeHeaderText), for this reason.
inline constexpr const char* kEncodedWordEntry = "=?";
inline constexpr const char* kUndecodableReason = "Subject has an encoded word that does not decode";

// Patterns run on every Subject of a scan, on the worker and on the user
// interface thread alike; the sender controls the Subject, the user the
// pattern. Bounds:
// - the longest pattern, in characters: compiling costs with its length,
//   and a useful Subject pattern is short;
inline constexpr size_t kMaxPatternLength = 200;
// - the characters of a Subject a pattern sees (a decoded Subject can be
//   16 KiB): backtracking costs grow with the text;
inline constexpr size_t kMaxPatternSubject = 998;  // RFC 5322 §2.1.1 line limit
// - one match that takes longer than this retires the pattern on that
//   thread: it matches nothing more there, so a pattern that backtracks
//   without end costs one slow row, not a slow scan. PCRE2's own match
//   limit ends that one match.
inline constexpr std::chrono::milliseconds kMaxPatternTime{50};

// Why a text cannot be a pattern entry (too long, not a valid regular
// expression, or matching every Subject, the empty one included), or empty
// when it can. A stored pattern with a problem matches nothing.
std::string PatternProblem(const std::string& utf8);

// What classification made of a row.
struct Verdict {
    bool m_bSuspect = false;
    bool m_bTrusted = false;  // the sender is on the trusted list
    std::string m_sReason;    // UTF-8 for people; empty when not suspect
};

// The reason of a decoded Subject that holds an explicit direction control
// (platform::IsExplicitDirectionControl): it can make the Subject, an
// attachment's name in it say, read in an order its characters do not have.
inline constexpr const char* kHiddenDirectionReason = "Subject hides its reading direction";

// A decoded Subject with an explicit direction control first
// (kHiddenDirectionReason), then the Subject lists, then the size list, then
// the sender list on the address; a sender on the trusted list is never
// suspect. Subject lists, case and Western accents ignored:
// - Windows-1252 "contains" and exact entries against the raw Subject and
//   again against the decoded one (UTF-8 mapped to Windows-1252; a character
//   outside that code page matches no entry), as they always have;
// - Windows-1252 whole-word entries against the decoded one so mapped;
// - Unicode entries and patterns (case ignored) against the decoded UTF-8;
// - "=?" (kEncodedWordEntry) as said there.
// The reason names the first list and entry that matched: "Subject contains
// "HONEY"", "Subject has the word "FAT"", "Subject matches the pattern
// "^re\d"", "Subject is exactly "Hi"", kUndecodableReason, "Size is 127K", "Size is over 500K",
// "Sender example.biz is on the sender list".
Verdict Classify(const FilterLists& lists, const std::string& subject, const std::string& subjectText,
                 const std::string& sizeText, const std::string& email);

// A size entry of the form ">500K" or ">2M": the size, in the Size
// column's thousands of bytes (M: a thousand K), a message must exceed.
// Nothing for any other entry, which is compared as an exact size text.
std::optional<uint64_t> LargerThanK(const std::string& entry);
// The thousands of bytes a size text ("113K", any case) shows; nothing for
// another text.
std::optional<uint64_t> SizeTextK(const std::string& sizeText);
// The most digits a size entry or text is read with: far above any mailbox,
// far below overflow.
inline constexpr size_t kMaxSizeDigits = 9;

// Whether a sender entry (an address, or "@domain" for every address of that
// domain) covers the address; both sides case-insensitive. *psShown, when
// given, gets the part of the address that matched.
bool SenderMatches(const std::string& entry, const std::string& email, std::string* psShown = nullptr);
