#include "Classify.h"

#include <array>
#include <string_view>
#include <vector>

#include "filters/FilterLists.h"
#include "platform/Ascii.h"
#include "platform/Cp1252.h"
#include "platform/HeaderDecode.h"

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

std::string Quoted(const std::string& entry)
{
    return "\"" + platform::Cp1252ToUtf8(entry) + "\"";
}

// The subject lists against one normalised subject given as pieces; an
// exact entry must equal a subject that is one whole piece.
bool MatchSubject(const FilterLists& lists, const std::vector<std::string>& pieces,
                  std::string& reason)
{
    for (const std::string& entry : lists.List(kFilterSubject)) {
        const std::string normal = NormaliseSubject(entry);
        for (const std::string& piece : pieces) {
            if (piece.find(normal) != std::string::npos) {
                reason = "Subject contains " + Quoted(entry);
                return true;
            }
        }
    }
    if (pieces.size() == 1) {
        for (const std::string& entry : lists.List(kFilterSubjectExact)) {
            if (pieces[0] == NormaliseSubject(entry)) {
                reason = "Subject is exactly " + Quoted(entry);
                return true;
            }
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
    // The result is a flag, not a count, and no list order changes it, so
    // the first match can end the walk.
    const std::string normal = NormaliseSubject(subject);
    for (const std::string& entry : lists.List(kFilterSubject))
        if (normal.find(NormaliseSubject(entry)) != std::string::npos)
            return 1;
    for (const std::string& entry : lists.List(kFilterSubjectExact))
        if (normal == NormaliseSubject(entry))
            return 1;
    std::string size = sizeText;
    for (char& c : size)
        c = AsciiUpper(c);
    // Size entries are compared as held: "113k" never matches "113K".
    for (const std::string& entry : lists.List(kFilterSize))
        if (entry == size)
            return 1;
    return 0;
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

Verdict Classify(const FilterLists& lists, const std::string& subject,
                 const std::string& subjectText, const std::string& sizeText,
                 const std::string& email)
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
    bool bSuspect = MatchSubject(lists, {NormaliseSubject(subject)}, reason);
    // The decoded text is looked at only when it says something the bytes
    // do not: a plain Subject decodes to itself.
    if (!bSuspect && platform::Cp1252ToUtf8(subject) != subjectText)
        bSuspect = MatchSubject(lists, Cp1252Pieces(subjectText), reason);
    if (!bSuspect) {
        const std::string size = AsciiUpper(sizeText);
        for (const std::string& entry : lists.List(kFilterSize)) {
            if (entry == size) {
                reason = "Size is " + platform::Cp1252ToUtf8(size);
                bSuspect = true;
                break;
            }
        }
    }
    if (!bSuspect) {
        std::string shown;
        for (const std::string& entry : lists.List(kFilterSender)) {
            if (SenderMatches(entry, email, &shown)) {
                reason = "Sender " + platform::DecodeHeaderText(shown) + " is on the sender list";
                bSuspect = true;
                break;
            }
        }
    }
    verdict.m_bSuspect = bSuspect;
    return verdict;
}
