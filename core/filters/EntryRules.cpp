#include "EntryRules.h"

#include "core/filters/Classify.h"
#include "core/platform/Ascii.h"
#include "core/platform/CoreText.h"
#include "core/platform/Cp1252.h"
#include "core/platform/HeaderDecode.h"

#include <string_view>

namespace entry_rules {

namespace {

// The blanks a typed text is trimmed of before it is judged empty: what
// Unicode calls white space (QChar::isSpace), so a text of no-break or
// ideographic spaces alone is as empty as one of plain spaces.
bool IsUnicodeSpace(char32_t c)
{
    return c == 0x20 || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680
        || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// True when the UTF-8 text holds nothing but white space; bytes that are
// not UTF-8 count as text.
bool IsBlank(std::string_view utf8)
{
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t n = lead < 0x80 ? 1 : platform::Utf8SequenceLength(utf8.substr(i));
        if (n == 0)
            return false;
        char32_t c = n == 1 ? lead : lead & (0x7F >> n);
        for (size_t k = 1; k < n; ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        if (!IsUnicodeSpace(c))
            return false;
        i += n;
    }
    return true;
}

}  // namespace

std::string FoldEntry(const std::string& text)
{
    std::string entry = text;
    for (char& c : entry)
        c = static_cast<char>(FoldAccent(static_cast<unsigned char>(c)));
    return entry;
}

std::string TrimAddress(const std::string& text)
{
    std::string_view entry = platform::TrimSpace(text);
    if (entry.size() >= 2 && entry.front() == '<' && entry.back() == '>')
        entry = platform::TrimSpace(entry.substr(1, entry.size() - 2));
    return std::string(entry);
}

std::string PrepareText(FilterKind kind, const std::string& text)
{
    switch (kind) {
    case kFilterSubject:
    case kFilterSubjectExact:
        return FoldEntry(text);
    case kFilterSize: {
        // Compared byte for byte with the size text, which is always upper
        // case ("113K").
        std::string entry = text;
        for (char& c : entry) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        }
        // A "larger than" entry is kept without the blanks typed in it.
        if (const std::string_view trimmed = platform::TrimSpace(entry); !trimmed.empty() && trimmed.front() == '>') {
            std::string packed;
            for (char c : trimmed) {
                if (c != ' ' && c != '\t')
                    packed += c;
            }
            return packed;
        }
        return entry;
    }
    case kFilterSender:
    case kFilterTrusted:
        return TrimAddress(text);
    }
    return text;
}

FilterEntry PrepareEntry(FilterKind kind, FilterEntry entry)
{
    // Preparing works on Windows-1252 bytes; a pattern is taken as typed.
    if (!entry.m_bUtf8)
        entry.m_sText = PrepareText(kind, entry.m_sText);
    return entry;
}

std::string EntryProblem(const std::string& utf8, bool bUnicode, SubjectMatch match)
{
    // The stored list ends at its first empty value, so an empty entry would
    // cut off every entry after it at the next start; an entry of blanks
    // alone would match almost every subject and mark it for deletion.
    if (IsBlank(utf8))
        return "Type the text of the filter.";
    if (match == SubjectMatch::kPattern) {
        std::string problem = PatternProblem(utf8);
        if (!problem.empty())
            return problem;
    }
    bool bLossy = false;
    const std::string bytes = platform::Utf8ToCp1252(utf8, &bLossy);
    if (bLossy && !bUnicode)
        return "This list can only hold Western (Windows-1252) characters.";
    // A longer value reads back as absent and would end the stored list.
    if (!bLossy && match != SubjectMatch::kPattern && bytes.size() > kMaxFilterEntry) {
        return "A filter can be at most " + std::to_string(kMaxFilterEntry) + " characters long; this one has "
            + std::to_string(bytes.size()) + ".";
    }
    std::string why;
    if (!FilterLists::IsStorable(FilterEntry::FromUtf8(utf8, match), &why))
        return why;
    return {};
}

std::string SizeEntryProblem(const std::string& utf8)
{
    const std::string entry = PrepareText(kFilterSize, utf8);
    if (entry.empty() || entry.front() != '>')
        return {};
    const std::optional<uint64_t> limit = LargerThanK(entry);
    if (!limit)
        return core_text::SayUtf8("EntryRules",
                                  QT_TRANSLATE_NOOP("EntryRules", "Type \">\" and a size, such as >500K or >2M."));
    if (*limit == 0)
        return core_text::SayUtf8("EntryRules",
                                  QT_TRANSLATE_NOOP("EntryRules",
                                                    "A size above nothing would mark every message: type a size "
                                                    "above 0, such as >500K."));
    return {};
}

FilterEntry TypedEntry(const std::string& utf8, bool bUnicode, SubjectMatch match)
{
    if (bUnicode)
        return FilterEntry::FromUtf8(utf8, match);
    return FilterEntry{platform::Utf8ToCp1252(utf8), match, false};
}

}  // namespace entry_rules
