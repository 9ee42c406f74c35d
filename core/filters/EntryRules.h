#pragma once

#include <string>

#include "core/filters/FilterLists.h"

// What an entry of a filter list may be, and the form a typed entry takes in
// each list: the rules the filter manager's pages apply, without a widget.
// Texts typed by the user come in as UTF-8; entries are in the lists' own
// encoding (FilterEntry: Windows-1252 bytes, or UTF-8 when m_bUtf8).
namespace entry_rules {

// Western accents folded away (Classify.h: FoldAccent), as Subject and
// Subject Exact entries are kept.
std::string FoldEntry(const std::string& text);
// Blanks around it trimmed, and then one pair of angle brackets with the
// blanks inside them: "<bob@example.com>" is kept as "bob@example.com".
std::string TrimAddress(const std::string& text);
// A Windows-1252 text in the form `kind`'s list keeps it: Subject texts
// folded, sizes in capitals ("113k" is "113K", as the grid shows sizes;
// "> 500 k" is ">500K"),
// addresses trimmed.
std::string PrepareText(FilterKind kind, const std::string& text);
// The entry as `kind`'s list keeps it: its text prepared, unless it is
// UTF-8 (a Unicode entry or a pattern), which is kept as typed.
FilterEntry PrepareEntry(FilterKind kind, FilterEntry entry);

// Why the typed text cannot be an entry, in words for the user; empty when
// it can. bUnicode: the list takes characters outside Windows-1252.
std::string EntryProblem(const std::string& utf8, bool bUnicode, SubjectMatch match);
// Why a typed size entry cannot be one, or empty when it can: a size text
// ("113K") is taken as it always was; one starting with ">" must be ">",
// a whole number above zero and K or M (">500K", ">2M"), blanks aside.
std::string SizeEntryProblem(const std::string& utf8);

// The entry for an accepted typed text, in the list's encoding.
FilterEntry TypedEntry(const std::string& utf8, bool bUnicode, SubjectMatch match);

}  // namespace entry_rules
