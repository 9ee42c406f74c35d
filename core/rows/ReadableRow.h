#pragma once

#include "core/rows/MessageRow.h"

#include <cstddef>
#include <string>
#include <string_view>

class FilterLists;

// Fills the row's texts for people (m_sSubjectText, m_sFromText, m_sToText,
// m_sCCText) from its raw column texts, decoded for display. A text that
// reads exactly as its bytes taken for Windows-1252 (plain ASCII, above all)
// is left empty: show the raw one.
void AddReadableTexts(MessageRow& row);

// Classifies the row (decoded texts already added) with the lists, keeps the
// reason in m_sReason and returns 1 when it is suspect, else 0.
int ClassifyRow(const FilterLists& lists, MessageRow& row);

// The header text shown by "View Headers" at most, in bytes read from the
// dump: a header block beyond this is cut (the reply reader bounds it lower).
inline constexpr size_t kMaxHeaderView = 1024 * 1024;

// A header block (TOP n 0's text) for people: up to the first empty line,
// one unfolded field a line, each decoded for display; UTF-8, lines ending
// in LF.
std::string ReadableHeaderBlock(std::string_view text);
