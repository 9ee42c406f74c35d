#pragma once

#include "core/rows/MessageRow.h"

#include <cstddef>
#include <string>
#include <string_view>

class CPop3Message;
class FilterLists;

// Fills the row's texts for people (m_sSubjectText, m_sFromText, m_sToText,
// m_sCCText) from its raw column texts, decoded for display. A text that
// reads exactly as its bytes taken for Windows-1252 (plain ASCII, above all)
// is left empty: show the raw one.
void AddReadableTexts(MessageRow& row);

// What ClassifyRow found.
inline constexpr int kSuspectByList = 1;    // a list matched
inline constexpr int kSuspectBySignal = 2;  // a sender signal fired (SenderSignals.h)

// Classifies the row (decoded texts already added) with the lists, keeps the
// reason in m_sReason and returns kSuspectByList or kSuspectBySignal when it
// is suspect, else 0. A trusted sender is suspect only by a failed
// authentication from the account's own side (TrustedSenderReason). After the lists,
// with the message's header given (the scan), the sender signals
// lists.Signals() switches on run on it; without one, a reason a signal gave
// at the scan (*psKeptSignal) stands for them, since the header is gone.
int ClassifyRow(const FilterLists& lists, MessageRow& row, const CPop3Message* pMessage = nullptr,
                const std::string* psKeptSignal = nullptr);

// The header text shown by "View Headers" at most, in bytes read from the
// dump: a header block beyond this is cut (the reply reader bounds it lower).
inline constexpr size_t kMaxHeaderView = 1024 * 1024;

// A header block (TOP n 0's text) for people: up to the first empty line,
// one unfolded field a line, each decoded for display; UTF-8, lines ending
// in LF.
std::string ReadableHeaderBlock(std::string_view text);
