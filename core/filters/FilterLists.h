#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "core/filters/SenderSignals.h"

// Numbers the lists; the settings sections ("SubList", "SubExactList",
// "SizeList", "SenderList", "TrustedList") follow this order. Sender and
// trusted entries are an address or "@domain".
enum FilterKind {
    kFilterSubject = 0,
    kFilterSubjectExact = 1,
    kFilterSize = 2,
    kFilterSender = 3,
    kFilterTrusted = 4,
};

// The longest entry the settings store can give back: a value of 260 bytes
// or more reads as absent there, which would end the stored list early.
inline constexpr size_t kMaxFilterEntry = 259;

// How an entry of the Subject list is compared with a Subject (case and
// Western accents ignored in every mode). The Subject Exact list compares
// whole Subjects and ignores the mode.
enum class SubjectMatch : unsigned char {
    kContains,   // anywhere, inside words too: every entry stored before modes existed
    kWholeWord,  // not inside a longer word: "fat" flags "Fat pills", not "Father"
    kPattern,    // a regular expression (Classify.h: PatternProblem)
};

// One entry of a list: its text and how it matches. The text is
// Windows-1252 bytes, or UTF-8 when m_bUtf8: an entry with characters
// outside that code page, and every pattern.
struct FilterEntry {
    std::string m_sText;
    SubjectMatch m_match = SubjectMatch::kContains;
    bool m_bUtf8 = false;

    // The entry for a text typed or shown as UTF-8: Windows-1252 bytes where
    // the text fits that code page and is no pattern, else UTF-8.
    static FilterEntry FromUtf8(const std::string& utf8, SubjectMatch match);
    // The text as UTF-8, for people and for matching.
    std::string Utf8() const;

    bool operator==(const FilterEntry&) const = default;
};

// Five ordered lists of entries; duplicates are allowed. Every entry held
// is storable: an empty entry would end the stored list at the next load,
// and an overlong one would read back as absent.
class FilterLists {
public:
    // The entries' texts, in list order.
    const std::vector<std::string>& List(FilterKind kind) const;
    // The entries whole, in the same order.
    const std::vector<FilterEntry>& Entries(FilterKind kind) const;

    // Refuses "" and entries longer than 259 bytes; *psWhy gets a reason the
    // user can read. The list is unchanged when refused. A text alone is a
    // Windows-1252 "contains" entry.
    bool Append(FilterKind kind, const std::string& entry, std::string* psWhy = nullptr);
    bool Append(FilterKind kind, const FilterEntry& entry, std::string* psWhy = nullptr);
    // All or nothing: when one entry is refused the list keeps what it held.
    bool Replace(FilterKind kind, const std::vector<std::string>& entries, std::string* psWhy = nullptr);
    bool ReplaceEntries(FilterKind kind, const std::vector<FilterEntry>& entries, std::string* psWhy = nullptr);
    void Clear(FilterKind kind);

    static bool IsStorable(const std::string& entry, std::string* psWhy);
    // Also bounds what the stored form adds to the text (Filters.h).
    static bool IsStorable(const FilterEntry& entry, std::string* psWhy);

    // The settings section that stores a list.
    static const char* SectionName(FilterKind kind);

    // The sender signals that run after the lists, and the account's side
    // they trust; never stored with the lists.
    const SignalOptions& Signals() const { return m_signals; }
    void SetSignals(SignalOptions options) { m_signals = std::move(options); }

    bool operator==(const FilterLists&) const = default;

private:
    static constexpr size_t kKinds = 5;

    // The texts are kept beside the entries so that List() can hand out a
    // reference; the two always change together.
    std::vector<std::string> m_texts[kKinds];
    std::vector<FilterEntry> m_entries[kKinds];
    SignalOptions m_signals;
};

// The longest text a stored entry outside the numbered values can hold: its
// value carries its mode as "word:" (or "contains:", "pattern:") ahead of
// the text, within the store's 259 bytes.
inline constexpr size_t kMaxTaggedEntry = kMaxFilterEntry - sizeof("contains:") + 1;
