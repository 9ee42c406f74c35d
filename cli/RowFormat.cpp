#include "RowFormat.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/Cp1252.h"

namespace {

constexpr int kSizeWidth = 6;                 // "65535K" fits; larger sizes widen the line
constexpr int kGap = 2;

// The text columns after #, Size and Att.: title, share of the spare width,
// least and most characters. The last ones are dropped first when the
// terminal is narrow.
struct TextColumn {
    const char* m_pTitle;
    int m_nWeight, m_nMin, m_nMax;
};
constexpr TextColumn kTextColumns[] = {
    {"Subject", 6, 16, 1000}, {"From", 2, 10, 30}, {"Date", 2, 25, 31},
    {"Email", 3, 14, 40},     {"To", 2, 10, 40},   {"CC", 2, 10, 40},
};

// Control characters: C0, DEL, and the five bytes Windows-1252 leaves
// undefined, which the conversion maps to C1 controls.
std::string WithoutControls(std::string text)
{
    for (char& c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
            c = ' ';
    }
    return text;
}

// UTF-8 characters of a Windows-1252 text, controls as blanks, cut to `width`
// characters (the last one then an ellipsis) and padded to it.
std::string Cell(const std::string& cp1252, int width, bool bRight = false)
{
    const std::string clean = WithoutControls(cp1252);
    if (width <= 0)
        return {};
    std::string out;
    int used = 0;
    if (static_cast<int>(clean.size()) > width) {
        out = platform::Cp1252ToUtf8(clean.substr(0, static_cast<size_t>(width - 1))) + "\xE2\x80\xA6";
        used = width;
    } else {
        out = platform::Cp1252ToUtf8(clean);
        used = static_cast<int>(clean.size());
    }
    const std::string pad(static_cast<size_t>(width - used), ' ');
    return bRight ? pad + out : out + pad;
}

}  // namespace

std::string TerminalText(const std::string& cp1252, TerminalStyle style)
{
    if (style == TerminalStyle::kReadable)
        return platform::Cp1252ToUtf8(WithoutControls(cp1252));

    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto escape = [](std::string& out, unsigned char b) {
        out += "\\x";
        out += kHex[b >> 4];
        out += kHex[b & 0xF];
    };
    const std::string utf8 = platform::Cp1252ToUtf8(cp1252);
    std::string out;
    out.reserve(utf8.size() + 8);
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        switch (b) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default:
            if (b < 0x20 || b == 0x7F) {
                escape(out, b);
            } else if (b == 0xC2 && i + 1 < utf8.size()
                       && static_cast<unsigned char>(utf8[i + 1]) >= 0x80
                       && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
                // U+0080-U+009F, two bytes in UTF-8: a C1 control.
                escape(out, static_cast<unsigned char>(utf8[++i]));
            } else {
                out += static_cast<char>(b);
            }
            break;
        }
    }
    return out;
}

std::string Printable(const std::string& cp1252)
{
    return TerminalText(cp1252, TerminalStyle::kReadable);
}

std::string TsvField(const std::string& cp1252)
{
    return TerminalText(cp1252, TerminalStyle::kTsv);
}

std::string TsvRow(const MessageRow& row, bool bSuspect)
{
    const std::string* fields[] = {&row.m_sNum, &row.m_sSize, &row.m_sAtt, &row.m_sSubject,
                                   &row.m_sFrom, &row.m_sEmail, &row.m_sDate, &row.m_sTo,
                                   &row.m_sCC};
    std::string line;
    for (const std::string* field : fields) {
        line += TsvField(*field);
        line += '\t';
    }
    line += bSuspect ? "1\n" : "0\n";
    return line;
}

CTableLayout::CTableLayout(int nWidth, int nMessages)
{
    m_nNumWidth = 1;
    for (int n = std::max(nMessages, 1); n >= 10; n /= 10)
        ++m_nNumWidth;
    // mark + blank, number, size, "Att" and a gap after each.
    const int fixed = 2 + m_nNumWidth + kGap + kSizeWidth + kGap + 3 + kGap;
    const int free = std::max(nWidth - fixed, 0);
    // As many text columns as get their least width each.
    size_t shown = std::size(kTextColumns);
    auto least = [](size_t count) {
        int sum = 0;
        for (size_t i = 0; i < count; ++i)
            sum += kTextColumns[i].m_nMin + (i ? kGap : 0);
        return sum;
    };
    while (shown > 1 && least(shown) > free)
        --shown;
    int spare = std::max(free - least(shown), 0);
    int weights = 0;
    for (size_t i = 0; i < shown; ++i) {
        m_aWidths.push_back(kTextColumns[i].m_nMin);
        weights += kTextColumns[i].m_nWeight;
    }
    // The spare width by weight, each column up to its most; what is left
    // over goes to the Subject.
    int given = 0;
    for (size_t i = 0; i < shown; ++i) {
        const int extra = std::min(spare * kTextColumns[i].m_nWeight / weights,
                                   kTextColumns[i].m_nMax - kTextColumns[i].m_nMin);
        m_aWidths[i] += extra;
        given += extra;
    }
    m_aWidths[0] += spare - given;
}

std::string CTableLayout::Line(const std::vector<std::string>& cells, char mark) const
{
    std::string line(1, mark);
    line += ' ';
    line += Cell(cells[0], m_nNumWidth, true);
    line.append(kGap, ' ');
    line += Cell(cells[1], kSizeWidth, true);
    line.append(kGap, ' ');
    line += Cell(cells[2], 3);
    for (size_t i = 0; i < m_aWidths.size(); ++i) {
        line.append(kGap, ' ');
        line += Cell(cells[3 + i], m_aWidths[i]);
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    line += '\n';
    return line;
}

std::string CTableLayout::Header() const
{
    std::vector<std::string> cells = {"#", "Size", "Att"};
    for (size_t i = 0; i < m_aWidths.size(); ++i)
        cells.push_back(kTextColumns[i].m_pTitle);
    return Line(cells, ' ');
}

std::string CTableLayout::Row(const MessageRow& row, bool bSuspect) const
{
    // Text columns in the table's order: Subject, From, Date, Email, To, CC.
    std::vector<std::string> cells = {row.m_sNum, row.m_sSize, row.m_sAtt, row.m_sSubject,
                                      row.m_sFrom, row.m_sDate, row.m_sEmail, row.m_sTo,
                                      row.m_sCC};
    return Line(cells, bSuspect ? '*' : ' ');
}

int TerminalWidth()
{
    struct winsize size = {};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    if (const char* columns = std::getenv("COLUMNS")) {
        const int n = std::atoi(columns);
        if (n > 0)
            return n;
    }
    return 80;
}
