#pragma once

#include <string>
#include <vector>

#include "core/rows/MessageRow.h"

// How mavix-cli writes rows. Row texts arrive as Windows-1252 bytes (with
// their decoded UTF-8 forms beside them) and leave as UTF-8.

// Every text a server controls (header fields, replies, status texts that
// quote them) reaches the terminal through TerminalUtf8, so no header or
// server reply can move the cursor, set the window title, write the
// clipboard or send any other escape sequence to the terminal.
enum class TerminalStyle {
    // For a person: every control character (C0, DEL, C1) a blank; a
    // direction control (platform::DirectionControlAt) shown as "<U+202E>",
    // so no text reads in an order its bytes do not have.
    kReadable,
    // For a TSV field: backslash, tab, CR and LF written as \\, \t, \r, \n,
    // every other C0 control, DEL and C1 control (U+0080-U+009F) as \xHH,
    // so every record stays on one line with eleven fields and holds no
    // control character at all. Windows-1252's printable bytes 0x80-0x9F
    // (the euro sign, curly quotes, ...) are characters, not C1 controls.
    // A direction control is written as \uHHHH, as the journal writes it.
    kTsv,
};
std::string TerminalUtf8(const std::string& utf8, TerminalStyle style);
// The same for Windows-1252 bytes, converted to UTF-8 first.
std::string TerminalText(const std::string& cp1252, TerminalStyle style);

// TerminalText(cp1252, TerminalStyle::kReadable).
std::string Printable(const std::string& cp1252);
// TerminalText(cp1252, TerminalStyle::kTsv).
std::string TsvField(const std::string& cp1252);
// TerminalUtf8(utf8, TerminalStyle::kTsv).
std::string TsvText(const std::string& utf8);
// number, size, att, Subject, From, Email, Date, To, CC, suspect, reason;
// ends in LF. bRaw: the header texts as received instead of decoded.
std::string TsvRow(const MessageRow& row, bool bSuspect, bool bRaw = false);

// The nine column texts for people, in column order, UTF-8 without control
// characters: Subject, From, To and CC decoded, or with bRaw as received.
std::vector<std::string> ShownTexts(const MessageRow& row, bool bRaw);

// The terminal columns a character takes: 2 for East Asian wide and
// full-width ones (CJK, most emoji), 0 for combining marks, format
// characters and Hangul's joining jamo, else 1 (ICU's character data).
int ColumnsOf(char32_t c);
// The columns a UTF-8 text without controls takes on a terminal.
int DisplayWidth(const std::string& utf8);
// Such a text cut to `width` columns (ending in an ellipsis when cut) and
// padded with blanks to exactly that many, on the right or (bRight) left.
std::string TableCell(const std::string& utf8, int width, bool bRight = false);

// The readable table: columns sized once for the terminal width, so every
// row can be printed as soon as it arrives.
class CTableLayout {
public:
    // nWidth: terminal columns; nMessages: how many rows will come (for the
    // width of the number column); bRaw: header texts as received.
    CTableLayout(int nWidth, int nMessages, bool bRaw = false);
    std::string Header() const;
    std::string Row(const MessageRow& row, bool bSuspect) const;

private:
    std::string Line(const std::vector<std::string>& cells, char mark) const;

    bool m_bRaw;
    int m_nNumWidth;
    std::vector<int> m_aWidths;  // the text columns shown, in order
};

// Columns of the terminal on standard output; $COLUMNS or 80 when it is not
// a terminal.
int TerminalWidth();
