#include "Classify.h"

#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/filters/FilterLists.h"
#include "core/platform/Ascii.h"
#include "core/platform/Cp1252.h"
#include "core/platform/HeaderDecode.h"

namespace {

// Windows-1252 accented letters, capital and small, to plain capitals.
constexpr std::array<unsigned char, 256> MakeFoldTable()
{
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<unsigned char>(c);
    auto set = [&table](int from, int to, char letter) {
        for (int c = from; c <= to; ++c)
            table[c] = static_cast<unsigned char>(letter);
    };
    set(0xC0, 0xC5, 'A');
    set(0xE0, 0xE5, 'A');
    set(0xC7, 0xC7, 'C');
    set(0xE7, 0xE7, 'C');
    set(0xC8, 0xCB, 'E');
    set(0xE8, 0xEB, 'E');
    set(0xCC, 0xCF, 'I');
    set(0xEC, 0xEF, 'I');
    set(0xD1, 0xD1, 'N');
    set(0xF1, 0xF1, 'N');
    set(0xD2, 0xD6, 'O');
    set(0xD8, 0xD8, 'O');
    set(0xF2, 0xF6, 'O');
    set(0xF8, 0xF8, 'O');
    set(0x8A, 0x8A, 'S');
    set(0x9A, 0x9A, 'S');
    set(0xD9, 0xDC, 'U');
    set(0xF9, 0xFC, 'U');
    set(0x9F, 0x9F, 'Y');
    set(0xDD, 0xDD, 'Y');
    set(0xFD, 0xFD, 'Y');
    set(0xFF, 0xFF, 'Y');
    return table;
}

constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

using platform::AsciiUpper;

// The decoded subject in Windows-1252, cut into the pieces between the
// characters that code page has no byte for, each piece normalised.
std::vector<std::string> Cp1252Pieces(const std::string& utf8)
{
    std::vector<std::string> pieces(1);
    size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        bool bLossy = false;
        const std::string byte = platform::Utf8ToCp1252(std::string_view(utf8).substr(i, n), &bLossy);
        if (bLossy || byte.size() != 1)
            pieces.emplace_back();
        else
            pieces.back() += byte;
        i += n;
    }
    for (std::string& piece : pieces)
        piece = NormaliseSubject(piece);
    return pieces;
}

std::string Quoted(const FilterEntry& entry)
{
    return "\"" + entry.Utf8() + "\"";
}

bool IsEncodedWordEntry(const FilterEntry& entry)
{
    return entry.m_match != SubjectMatch::kPattern && entry.m_sText == kEncodedWordEntry;
}

// A letter or digit of a normalised Windows-1252 text: what a whole-word
// entry may not touch.
bool IsWordByte(unsigned char c)
{
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
        return true;
    switch (c) {
    case 0x83:
    case 0x8A:
    case 0x8C:
    case 0x8E:
    case 0x9A:
    case 0x9C:
    case 0x9E:
    case 0x9F:
    case 0xAA:
    case 0xB5:
    case 0xBA:
        return true;
    default:
        return c >= 0xC0 && c != 0xD7 && c != 0xF7;
    }
}

// The decoded Subject in pieces, each normalised: a whole-word entry must
// not run into a character outside the code page either, so a piece's
// inner edges count as letters.
bool HasWholeWord(const std::vector<std::string>& pieces, const std::string& word)
{
    const bool bWordFirst = IsWordByte(static_cast<unsigned char>(word.front()));
    const bool bWordLast = IsWordByte(static_cast<unsigned char>(word.back()));
    for (size_t p = 0; p < pieces.size(); ++p) {
        const std::string& piece = pieces[p];
        for (size_t at = piece.find(word); at != std::string::npos; at = piece.find(word, at + 1)) {
            const size_t after = at + word.size();
            const bool bLetterBefore = at > 0 ? IsWordByte(static_cast<unsigned char>(piece[at - 1])) : p > 0;
            const bool bLetterAfter =
                after < piece.size() ? IsWordByte(static_cast<unsigned char>(piece[after])) : p + 1 < pieces.size();
            if (!(bWordFirst && bLetterBefore) && !(bWordLast && bLetterAfter))
                return true;
        }
    }
    return false;
}

// The Windows-1252 entries of the subject lists against one normalised
// subject given as pieces; an exact entry must equal a subject that is one
// whole piece. Whole-word entries only look at the decoded text (bDecoded).
bool MatchSubject(const FilterLists& lists, const std::vector<std::string>& pieces, bool bDecoded, std::string& reason)
{
    for (const FilterEntry& entry : lists.Entries(kFilterSubject)) {
        if (entry.m_bUtf8 || IsEncodedWordEntry(entry))
            continue;
        const std::string normal = NormaliseSubject(entry.m_sText);
        if (entry.m_match == SubjectMatch::kWholeWord) {
            if (bDecoded && HasWholeWord(pieces, normal)) {
                reason = "Subject has the word " + Quoted(entry);
                return true;
            }
            continue;
        }
        for (const std::string& piece : pieces) {
            if (piece.find(normal) != std::string::npos) {
                reason = "Subject contains " + Quoted(entry);
                return true;
            }
        }
    }
    if (pieces.size() == 1) {
        for (const FilterEntry& entry : lists.Entries(kFilterSubjectExact)) {
            if (!entry.m_bUtf8 && pieces[0] == NormaliseSubject(entry.m_sText)) {
                reason = "Subject is exactly " + Quoted(entry);
                return true;
            }
        }
    }
    return false;
}

// Unicode text compared without case, and without the accents of Latin
// letters (é as e, as FoldAccent does for Windows-1252; Greek and Cyrillic
// letters keep theirs).
QString Folded(const QString& text)
{
    const QString nfd = text.normalized(QString::NormalizationForm_D);
    QString out;
    out.reserve(nfd.size());
    char16_t base = 0;
    for (QChar c : nfd) {
        if (c.category() == QChar::Mark_NonSpacing) {
            if (base < 0x250)
                continue;
        } else {
            base = c.unicode();
        }
        out += c;
    }
    return out.toCaseFolded();
}

// A character that joins the letters next to it into one word. Scripts
// written without spaces (Chinese, Japanese, Thai and the like) have no
// such word edges, so their characters join nothing.
bool JoinsWord(char32_t c)
{
    if (!QChar::isLetterOrNumber(c) && QChar::category(c) != QChar::Mark_NonSpacing)
        return false;
    switch (QChar::script(c)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Thai:
    case QChar::Script_Lao:
    case QChar::Script_Khmer:
    case QChar::Script_Myanmar:
        return false;
    default:
        return true;
    }
}

char32_t CodePointBefore(const QString& text, qsizetype at)
{
    if (at <= 0)
        return 0;
    if (at >= 2 && text[at - 1].isLowSurrogate() && text[at - 2].isHighSurrogate())
        return QChar::surrogateToUcs4(text[at - 2], text[at - 1]);
    return text[at - 1].unicode();
}

char32_t CodePointAt(const QString& text, qsizetype at)
{
    if (at >= text.size())
        return 0;
    if (at + 1 < text.size() && text[at].isHighSurrogate() && text[at + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(text[at], text[at + 1]);
    return text[at].unicode();
}

bool HasWholeWord(const QString& text, const QString& word)
{
    const bool bWordFirst = JoinsWord(CodePointAt(word, 0));
    const bool bWordLast = JoinsWord(CodePointBefore(word, word.size()));
    for (qsizetype at = text.indexOf(word); at >= 0; at = text.indexOf(word, at + 1)) {
        const bool bJoinedBefore = bWordFirst && JoinsWord(CodePointBefore(text, at));
        const bool bJoinedAfter = bWordLast && JoinsWord(CodePointAt(text, at + word.size()));
        if (!bJoinedBefore && !bJoinedAfter)
            return true;
    }
    return false;
}

QRegularExpression CompiledPattern(const std::string& utf8)
{
    QRegularExpression re(QString::fromStdString(utf8),
                          QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    re.optimize();
    return re;
}

// What a Unicode entry or pattern becomes to be matched, kept per thread:
// the lists are copied to each worker, and a compiled pattern is used only
// on the thread that compiled it.
struct Prepared {
    QString m_sFolded;             // Unicode entries
    QRegularExpression m_pattern;  // patterns
    bool m_bUsable = true;         // false: a pattern with a problem, or retired as slow
};

// Entries prepared per thread at most: more than any list a user keeps;
// past it the cache starts again, so a long run cannot grow it.
constexpr size_t kMaxPreparedEntries = 1024;

Prepared& PreparedFor(const FilterEntry& entry)
{
    thread_local std::unordered_map<std::string, Prepared> cache;
    std::string key = std::to_string(static_cast<int>(entry.m_match)) + ":" + entry.m_sText;
    const auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    if (cache.size() >= kMaxPreparedEntries)
        cache.clear();
    Prepared prepared;
    if (entry.m_match == SubjectMatch::kPattern) {
        prepared.m_bUsable = PatternProblem(entry.m_sText).empty();
        if (prepared.m_bUsable)
            prepared.m_pattern = CompiledPattern(entry.m_sText);
    } else {
        prepared.m_sFolded = Folded(QString::fromStdString(entry.m_sText));
        prepared.m_bUsable = !prepared.m_sFolded.isEmpty();
    }
    return cache.emplace(std::move(key), std::move(prepared)).first->second;
}

bool PatternMatches(Prepared& prepared, const QString& subject)
{
    const auto start = std::chrono::steady_clock::now();
    const bool bMatch = prepared.m_pattern.match(subject.left(static_cast<qsizetype>(kMaxPatternSubject))).hasMatch();
    if (std::chrono::steady_clock::now() - start > kMaxPatternTime)
        prepared.m_bUsable = false;
    return bMatch;
}

// The Unicode entries and the patterns against the decoded Subject.
bool MatchUnicode(const FilterLists& lists, const std::string& subjectText, std::string& reason)
{
    const QString subject = QString::fromStdString(subjectText);
    QString folded;
    bool bFolded = false;
    auto foldedSubject = [&]() -> const QString& {
        if (!bFolded)
            folded = Folded(subject);
        bFolded = true;
        return folded;
    };
    for (const FilterEntry& entry : lists.Entries(kFilterSubject)) {
        if (!entry.m_bUtf8 || IsEncodedWordEntry(entry))
            continue;
        Prepared& prepared = PreparedFor(entry);
        if (!prepared.m_bUsable)
            continue;
        switch (entry.m_match) {
        case SubjectMatch::kPattern:
            if (PatternMatches(prepared, subject)) {
                reason = "Subject matches the pattern " + Quoted(entry);
                return true;
            }
            break;
        case SubjectMatch::kWholeWord:
            if (HasWholeWord(foldedSubject(), prepared.m_sFolded)) {
                reason = "Subject has the word " + Quoted(entry);
                return true;
            }
            break;
        case SubjectMatch::kContains:
            if (foldedSubject().contains(prepared.m_sFolded)) {
                reason = "Subject contains " + Quoted(entry);
                return true;
            }
            break;
        }
    }
    for (const FilterEntry& entry : lists.Entries(kFilterSubjectExact)) {
        if (!entry.m_bUtf8)
            continue;
        const Prepared& prepared = PreparedFor(FilterEntry{entry.m_sText, SubjectMatch::kContains, true});
        if (prepared.m_bUsable && foldedSubject() == prepared.m_sFolded) {
            reason = "Subject is exactly " + Quoted(entry);
            return true;
        }
    }
    return false;
}

}  // namespace

unsigned char FoldAccent(unsigned char c)
{
    return kFold[c];
}

std::string NormaliseSubject(const std::string& text)
{
    std::string out(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = AsciiUpper(static_cast<char>(FoldAccent(static_cast<unsigned char>(text[i]))));
    return out;
}

int IsSuspect(const FilterLists& lists, const std::string& subject, const std::string& sizeText)
{
    return Classify(lists, subject, platform::DecodeHeaderText(subject), sizeText, "").m_bSuspect ? 1 : 0;
}

std::string PatternProblem(const std::string& utf8)
{
    const QString text = QString::fromStdString(utf8);
    if (text.size() > static_cast<qsizetype>(kMaxPatternLength))
        return "A pattern can be at most " + std::to_string(kMaxPatternLength) + " characters long; this one has "
            + std::to_string(text.size()) + ".";
    const QRegularExpression re = CompiledPattern(utf8);
    if (!re.isValid())
        return "This is not a valid pattern: " + re.errorString().toStdString() + " (at character "
            + std::to_string(re.patternErrorOffset() + 1) + ").";
    // An empty Subject stands for every Subject: such a pattern would mark
    // every message for deletion.
    if (re.match(QString()).hasMatch())
        return "This pattern matches every Subject, even an empty one.";
    return {};
}

bool SenderMatches(const std::string& entry, const std::string& email, std::string* psShown)
{
    if (entry.empty() || email.empty())
        return false;
    if (entry[0] == '@') {
        const size_t at = email.rfind('@');
        if (at == std::string::npos || AsciiUpper(email.substr(at + 1)) != AsciiUpper(entry.substr(1)))
            return false;
        if (psShown)
            *psShown = email.substr(at + 1);
        return true;
    }
    if (AsciiUpper(email) != AsciiUpper(entry))
        return false;
    if (psShown)
        *psShown = email;
    return true;
}

namespace {

// Digits, then `unit` (K or M): the thousands of bytes they stand for.
std::optional<uint64_t> ThousandsOf(std::string_view text)
{
    if (text.size() < 2 || text.size() > kMaxSizeDigits + 1)
        return std::nullopt;
    const char unit = text.back();
    text.remove_suffix(1);
    uint64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + static_cast<uint64_t>(c - '0');
    }
    if (unit == 'K' || unit == 'k')
        return n;
    if (unit == 'M' || unit == 'm')
        return n * 1000;
    return std::nullopt;
}

}  // namespace

std::optional<uint64_t> LargerThanK(const std::string& entry)
{
    if (entry.empty() || entry.front() != '>')
        return std::nullopt;
    return ThousandsOf(std::string_view(entry).substr(1));
}

std::optional<uint64_t> SizeTextK(const std::string& sizeText)
{
    if (!sizeText.empty() && (sizeText.back() == 'M' || sizeText.back() == 'm'))
        return std::nullopt;  // the Size column shows thousands only
    return ThousandsOf(sizeText);
}

namespace {

// The last two lists, after every Subject rule: the size as the grid shows
// it (an exact size text, or one a message must exceed), then the sender.
// Sets `reason` for the first that matches.
bool MatchSizeOrSender(const FilterLists& lists, const std::string& sizeText, const std::string& email,
                       std::string& reason)
{
    const std::string size = AsciiUpper(sizeText);
    const std::optional<uint64_t> sizeK = SizeTextK(size);
    for (const std::string& entry : lists.List(kFilterSize)) {
        if (entry == size) {
            reason = "Size is " + platform::Cp1252ToUtf8(size);
            return true;
        }
        const std::optional<uint64_t> limitK = LargerThanK(entry);
        if (limitK && sizeK && *sizeK > *limitK) {
            reason = "Size is over " + entry.substr(1);
            return true;
        }
    }
    std::string shown;
    for (const std::string& entry : lists.List(kFilterSender)) {
        if (SenderMatches(entry, email, &shown)) {
            reason = "Sender " + platform::DecodeHeaderText(shown) + " is on the sender list";
            return true;
        }
    }
    return false;
}

}  // namespace

Verdict Classify(const FilterLists& lists, const std::string& subject, const std::string& subjectText,
                 const std::string& sizeText, const std::string& email)
{
    Verdict verdict;
    for (const std::string& entry : lists.List(kFilterTrusted)) {
        if (SenderMatches(entry, email)) {
            verdict.m_bTrusted = true;
            return verdict;
        }
    }
    std::string& reason = verdict.m_sReason;
    // The marks LRM, RLM and ALM alone are left alone: honest right-to-left
    // mail carries them, and they reorder no run of letters.
    if (platform::HasExplicitDirectionControl(subjectText)) {
        reason = kHiddenDirectionReason;
        verdict.m_bSuspect = true;
        return verdict;
    }
    // A plain Subject decodes to itself: its bytes are its one piece, and
    // one pass does.
    const bool bPlain = platform::Cp1252ToUtf8(subject) == subjectText;
    bool bSuspect = !bPlain && MatchSubject(lists, {NormaliseSubject(subject)}, false, reason);
    if (!bSuspect) {
        bSuspect = MatchSubject(
            lists, bPlain ? std::vector<std::string>{NormaliseSubject(subject)} : Cp1252Pieces(subjectText), true,
            reason);
    }
    if (!bSuspect)
        bSuspect = MatchUnicode(lists, subjectText, reason);
    if (!bSuspect) {
        const std::vector<FilterEntry>& entries = lists.Entries(kFilterSubject);
        if (std::any_of(entries.begin(), entries.end(), IsEncodedWordEntry)) {
            bool bUndecodable = false;
            platform::DecodeHeaderText(subject, &bUndecodable);
            if (bUndecodable) {
                reason = kUndecodableReason;
                bSuspect = true;
            }
        }
    }
    verdict.m_bSuspect = bSuspect || MatchSizeOrSender(lists, sizeText, email, reason);
    return verdict;
}
