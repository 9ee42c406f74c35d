#pragma once

#include <string>
#include <vector>

#include "screening/MessageRow.h"

// How mavix-cli writes rows. Row texts arrive as Windows-1252 bytes (with
// their decoded UTF-8 forms beside them) and leave as UTF-8.

// A Windows-1252 text for a person's terminal: UTF-8, with every control
// character a blank, so no header or server reply can move the cursor or
// send escape sequences to the terminal.
std::string Printable(const std::string& cp1252);

// A text field of a TSV line: UTF-8, with backslash, tab, CR and LF written
// as \\, \t, \r, \n so every record stays on one line with eleven fields.
std::string TsvField(const std::string& cp1252);
// The same for a text that is UTF-8 already.
std::string TsvText(const std::string& utf8);
// number, size, att, Subject, From, Email, Date, To, CC, suspect, reason;
// ends in LF. bRaw: the header texts as received instead of decoded.
std::string TsvRow(const MessageRow& row, bool bSuspect, bool bRaw = false);

// The nine column texts for people, in column order, UTF-8 without control
// characters: Subject, From, To and CC decoded, or with bRaw as received.
std::vector<std::string> ShownTexts(const MessageRow& row, bool bRaw);

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
    std::vector<int> m_aWidths;               // the text columns shown, in order
};

// Columns of the terminal on standard output; $COLUMNS or 80 when it is not
// a terminal.
int TerminalWidth();
