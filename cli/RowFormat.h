#pragma once

#include <string>
#include <vector>

#include "screening/MessageRow.h"

// How mavix-cli writes rows. Row texts arrive as Windows-1252 bytes and
// leave as UTF-8.

// Every text a server controls (header fields, replies, status texts that
// quote them) reaches the terminal through TerminalText, so no header or
// server reply can move the cursor, set the window title, write the
// clipboard or send any other escape sequence to the terminal.
enum class TerminalStyle {
    // For a person: UTF-8, every control character (C0, DEL, C1) a blank.
    kReadable,
    // For a TSV field: UTF-8, backslash, tab, CR and LF written as \\, \t,
    // \r, \n, every other C0 control, DEL and C1 control (U+0080-U+009F) as
    // \xHH, so every record stays on one line with ten fields and holds no
    // control character at all. Windows-1252's printable bytes 0x80-0x9F
    // (the euro sign, curly quotes, ...) are characters, not C1 controls.
    kTsv,
};
std::string TerminalText(const std::string& cp1252, TerminalStyle style);

// TerminalText(cp1252, TerminalStyle::kReadable).
std::string Printable(const std::string& cp1252);
// TerminalText(cp1252, TerminalStyle::kTsv).
std::string TsvField(const std::string& cp1252);
// number, size, att, Subject, From, Email, Date, To, CC, suspect; ends in LF.
std::string TsvRow(const MessageRow& row, bool bSuspect);

// The readable table: columns sized once for the terminal width, so every
// row can be printed as soon as it arrives.
class CTableLayout {
public:
    // nWidth: terminal columns; nMessages: how many rows will come (for the
    // width of the number column).
    CTableLayout(int nWidth, int nMessages);
    std::string Header() const;
    std::string Row(const MessageRow& row, bool bSuspect) const;

private:
    std::string Line(const std::vector<std::string>& cells, char mark) const;

    int m_nNumWidth;
    std::vector<int> m_aWidths;               // the text columns shown, in order
};

// Columns of the terminal on standard output; $COLUMNS or 80 when it is not
// a terminal.
int TerminalWidth();
