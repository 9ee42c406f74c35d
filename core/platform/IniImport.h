#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

// Reads a text file the way the C library's fgets does on a text stream: at
// most `maxChars` characters per read, so a longer line arrives as several;
// the line feed, when it fits, is part of the read. CR LF counts as one
// line feed and Ctrl-Z ends the text, as files written on DOS and Windows
// expect. A read is cut at its first NUL byte, as a C string would be.
class TextLineReader {
public:
    TextLineReader(std::istream& in, size_t maxChars);
    bool Next(std::string& line);

private:
    std::istream& m_in;
    size_t m_nMaxChars;
    bool m_bEnd = false;
};

struct IniEntry {
    std::string m_sSection;
    std::string m_sName;
    std::string m_sValue;
};

// The first-run import file: 519-character reads, each trimmed. A line that
// starts with '[' and whose first ']' is its last character names the
// section (brackets made blanks, trimmed again). Any other line holding '='
// is a value: the name before the first '=', the text after it, neither
// trimmed again. Values before the first header, values under a header with
// an empty name, and values with an empty name or a name holding '/' have
// nowhere to go and are dropped; there is no comment syntax.
std::vector<IniEntry> ParseIni(std::istream& in);
