#include "ReadableRow.h"

#include "core/filters/Classify.h"
#include "core/platform/Cp1252.h"
#include "core/platform/HeaderDecode.h"

namespace {

// Most header texts read the same decoded as taken for Windows-1252 (plain
// ASCII, above all): those keep no second copy, which saves a string per
// field on every row of a large grid.
std::string Readable(const std::string& raw)
{
    std::string text = platform::DecodeHeaderText(raw);
    if (text == platform::Cp1252ToUtf8(raw))
        text.clear();
    return text;
}

}  // namespace

void AddReadableTexts(MessageRow& row)
{
    row.m_sSubjectText = Readable(row.m_sSubject);
    row.m_sFromText = Readable(row.m_sFrom);
    row.m_sToText = Readable(row.m_sTo);
    row.m_sCCText = Readable(row.m_sCC);
}

int ClassifyRow(const FilterLists& lists, MessageRow& row)
{
    const std::string subjectText =
        row.m_sSubjectText.empty() ? platform::DecodeHeaderText(row.m_sSubject) : row.m_sSubjectText;
    Verdict verdict = Classify(lists, row.m_sSubject, subjectText, row.m_sSize, row.m_sEmail);
    row.m_sReason = std::move(verdict.m_sReason);
    return verdict.m_bSuspect ? 1 : 0;
}

std::string ReadableHeaderBlock(std::string_view text)
{
    text = text.substr(0, kMaxHeaderView);
    std::string out;
    std::string field;
    auto flush = [&] {
        if (!field.empty())
            out += platform::DecodeHeaderText(field) + "\n";
        field.clear();
    };
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            break;  // RFC 5322 §2.1: the body follows
        // §2.2.3: a line starting with white space continues the field.
        if ((line[0] == ' ' || line[0] == '\t') && !field.empty()) {
            field += line;
            continue;
        }
        flush();
        field = line;
    }
    flush();
    return out;
}
