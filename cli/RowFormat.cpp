#include "RowFormat.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/platform/Cp1252.h"
#include "core/platform/HeaderDecode.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace {

constexpr int kSizeWidth = 6;  // "65535K" fits; larger sizes widen the line
constexpr int kGap = 2;

// The text columns after #, Size and Att.: title, share of the spare width,
// least and most characters. The last ones are dropped first when the
// terminal is narrow.
struct TextColumn {
    const char* m_pTitle;
    int m_nWeight, m_nMin, m_nMax;
};
constexpr TextColumn kTextColumns[] = {
    {"Subject", 6, 16, 1000}, {"From", 2, 10, 30}, {"Reason", 2, 14, 50}, {"Date", 2, 25, 31},
    {"Email", 3, 14, 40},     {"To", 2, 10, 40},   {"CC", 2, 10, 40},
};

}  // namespace

int ColumnsOf(char32_t c)
{
    const UChar32 ch = static_cast<UChar32>(c);
    // Combining marks and invisible format characters (joiners, marks)
    // join the character before them.
    const int8_t type = u_charType(ch);
    if (type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_FORMAT_CHAR)
        return 0;
    // Hangul's medial and final jamo join the syllable's initial one.
    const int32_t jamo = u_getIntPropertyValue(ch, UCHAR_HANGUL_SYLLABLE_TYPE);
    if (jamo == U_HST_VOWEL_JAMO || jamo == U_HST_TRAILING_JAMO)
        return 0;
    const int32_t east = u_getIntPropertyValue(ch, UCHAR_EAST_ASIAN_WIDTH);
    return east == U_EA_WIDE || east == U_EA_FULLWIDTH ? 2 : 1;
}

namespace {

// Each character of a UTF-8 text, with where it starts; a byte that starts
// no valid sequence counts as one character of one column.
template <class F> void EachCharacter(const std::string& utf8, F&& onCharacter)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto length = static_cast<int32_t>(utf8.size());
    int32_t i = 0;
    while (i < length) {
        const int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        onCharacter(static_cast<size_t>(start), c < 0 ? 1 : ColumnsOf(static_cast<char32_t>(c)));
    }
}

}  // namespace

int DisplayWidth(const std::string& utf8)
{
    int columns = 0;
    EachCharacter(utf8, [&](size_t, int n) { columns += n; });
    return columns;
}

std::string TableCell(const std::string& utf8, int width, bool bRight)
{
    if (width <= 0)
        return {};
    std::string out = utf8;
    int used = DisplayWidth(utf8);
    if (used > width) {
        // Up to the first character that would leave no column for the
        // ellipsis; a wide character cut at the edge leaves a blank.
        size_t end = utf8.size();
        used = 0;
        bool bCut = false;
        EachCharacter(utf8, [&](size_t start, int n) {
            if (bCut || used + n <= width - 1) {
                used += bCut ? 0 : n;
                return;
            }
            end = start;
            bCut = true;
        });
        out = utf8.substr(0, end) + "\xE2\x80\xA6";
        ++used;
    }
    const std::string pad(static_cast<size_t>(std::max(width - used, 0)), ' ');
    return bRight ? pad + out : out + pad;
}

std::string TerminalUtf8(const std::string& utf8, TerminalStyle style)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size() + 8);
    for (size_t i = 0; i < utf8.size(); ++i) {
        // Printable ASCII other than the backslash goes out as a run.
        size_t run = i;
        while (run < utf8.size() && utf8[run] >= 0x20 && utf8[run] < 0x7F && utf8[run] != '\\')
            ++run;
        if (run > i) {
            out.append(utf8, i, run - i);
            i = run - 1;
            continue;
        }
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (const char32_t control = platform::DirectionControlAt(std::string_view(utf8).substr(i))) {
            char escaped[16];
            std::snprintf(escaped, sizeof escaped, style == TerminalStyle::kReadable ? "<U+%04X>" : "\\u%04X",
                          static_cast<unsigned>(control));
            out += escaped;
            i += control < 0x800 ? 1 : 2;
            continue;
        }
        // U+0080-U+009F, two bytes in UTF-8: a C1 control.
        const bool bC1 = b == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80
            && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F;
        if (style == TerminalStyle::kReadable) {
            if (bC1)
                ++i;
            out += b < 0x20 || b == 0x7F || bC1 ? ' ' : static_cast<char>(b);
            continue;
        }
        switch (b) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            if (b < 0x20 || b == 0x7F || bC1) {
                const unsigned char code = bC1 ? static_cast<unsigned char>(utf8[++i]) : b;
                out += "\\x";
                out += kHex[code >> 4];
                out += kHex[code & 0xF];
            } else {
                out += static_cast<char>(b);
            }
            break;
        }
    }
    return out;
}

std::string TerminalText(const std::string& cp1252, TerminalStyle style)
{
    return TerminalUtf8(platform::Cp1252ToUtf8(cp1252), style);
}

std::string Printable(const std::string& cp1252)
{
    return TerminalText(cp1252, TerminalStyle::kReadable);
}

std::string TsvField(const std::string& cp1252)
{
    return TerminalText(cp1252, TerminalStyle::kTsv);
}

std::string TsvText(const std::string& utf8)
{
    return TerminalUtf8(utf8, TerminalStyle::kTsv);
}

namespace {

// The nine column texts as UTF-8, controls still in them: Subject, From, To
// and CC decoded, or with bRaw as received.
std::vector<std::string> ColumnTexts(const MessageRow& row, bool bRaw)
{
    // A decoded text is empty only when it reads as its bytes.
    const auto shown = [bRaw](const std::string& raw, const std::string& decoded) {
        return bRaw || (decoded.empty() && !raw.empty()) ? platform::Cp1252ToUtf8(raw) : decoded;
    };
    const auto bytes = [](const std::string& raw) { return platform::Cp1252ToUtf8(raw); };
    return {bytes(row.m_sNum),
            bytes(row.m_sSize),
            bytes(row.m_sAtt),
            shown(row.m_sSubject, row.m_sSubjectText),
            shown(row.m_sFrom, row.m_sFromText),
            bytes(row.m_sEmail),
            bytes(row.m_sDate),
            shown(row.m_sTo, row.m_sToText),
            shown(row.m_sCC, row.m_sCCText)};
}

}  // namespace

std::vector<std::string> ShownTexts(const MessageRow& row, bool bRaw)
{
    std::vector<std::string> texts = ColumnTexts(row, bRaw);
    for (std::string& text : texts)
        text = TerminalUtf8(text, TerminalStyle::kReadable);
    return texts;
}

std::string TsvRow(const MessageRow& row, bool bSuspect, bool bRaw)
{
    std::string line;
    for (const std::string& text : ColumnTexts(row, bRaw)) {
        line += TsvText(text);
        line += '\t';
    }
    line += bSuspect ? "1\t" : "0\t";
    line += TsvText(row.m_sReason);
    line += '\n';
    return line;
}

CTableLayout::CTableLayout(int nWidth, int nMessages, bool bRaw)
    : m_bRaw(bRaw)
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
        const int extra =
            std::min(spare * kTextColumns[i].m_nWeight / weights, kTextColumns[i].m_nMax - kTextColumns[i].m_nMin);
        m_aWidths[i] += extra;
        given += extra;
    }
    m_aWidths[0] += spare - given;
}

std::string CTableLayout::Line(const std::vector<std::string>& cells, char mark) const
{
    std::string line(1, mark);
    line += ' ';
    line += TableCell(cells[0], m_nNumWidth, true);
    line.append(kGap, ' ');
    line += TableCell(cells[1], kSizeWidth, true);
    line.append(kGap, ' ');
    line += TableCell(cells[2], 3);
    for (size_t i = 0; i < m_aWidths.size(); ++i) {
        line.append(kGap, ' ');
        line += TableCell(cells[3 + i], m_aWidths[i]);
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
    // Text columns in the table's order: Subject, From, Reason, Date, Email,
    // To, CC.
    std::vector<std::string> shown = ShownTexts(row, m_bRaw);
    std::vector<std::string> cells = {
        shown[0], shown[1], shown[2], shown[3], shown[4], TerminalUtf8(row.m_sReason, TerminalStyle::kReadable),
        shown[6], shown[5], shown[7], shown[8]};
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
