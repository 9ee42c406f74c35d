#include "Classify.h"

#include <array>

#include "filters/FilterLists.h"
#include "platform/Ascii.h"

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
