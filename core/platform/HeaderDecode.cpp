#include "HeaderDecode.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "core/platform/Ascii.h"
#include "core/platform/Cp1252.h"

namespace platform {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// One iconv descriptor per charset met in a text, opened once, closed with
// the text. An unknown charset is remembered as such.
class Converters {
public:
    Converters() = default;
    Converters(const Converters&) = delete;
    Converters& operator=(const Converters&) = delete;
    ~Converters()
    {
        for (const Entry& e : m_entries)
            if (e.m_cd != Invalid())
                ::iconv_close(e.m_cd);
    }

    // The descriptor converting `charset` to UTF-8, or Invalid().
    iconv_t Find(const std::string& charset)
    {
        for (const Entry& e : m_entries)
            if (e.m_sName == charset)
                return e.m_cd;
        if (m_entries.size() >= kMaxEncodedWords)
            return Invalid();
        const iconv_t cd = ::iconv_open("UTF-8", charset.c_str());
        m_entries.push_back(Entry{charset, cd});
        return cd;
    }

    static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }

private:
    struct Entry {
        std::string m_sName;
        iconv_t m_cd;
    };
    std::vector<Entry> m_entries;  // at most kMaxEncodedWords
};

// RFC 2047 §2: a charset is a token; '*' starts an RFC 2231 language tag.
bool IsCharsetChar(char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '!':
    case '#':
    case '$':
    case '%':
    case '&':
    case '\'':
    case '+':
    case '-':
    case '^':
    case '_':
    case '`':
    case '{':
    case '}':
    case '~':
    case '*':
        return true;
    default:
        return false;
    }
}

// RFC 2047 §4.1 (RFC 4648 alphabet). Padding may be missing, but nothing may
// follow it, and a lone trailing sextet is no byte.
bool DecodeB(std::string_view text, std::string& out)
{
    size_t end = text.size();
    while (end > 0 && text[end - 1] == '=')
        --end;
    if (text.size() - end > 2 || end % 4 == 1)
        return false;
    unsigned buffer = 0;
    int bits = 0;
    for (size_t i = 0; i < end; ++i) {
        const int v = platform::Base64Value(text[i]);
        if (v < 0)
            return false;
        buffer = (buffer << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    return true;
}

// RFC 2047 §4.2: "_" is a blank, "=XX" a byte in hex, the rest as written.
bool DecodeQ(std::string_view text, std::string& out)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '_') {
            out += ' ';
        } else if (c == '=') {
            if (i + 2 >= text.size())
                return false;
            const int hi = HexDigitValue(text[i + 1]);
            const int lo = HexDigitValue(text[i + 2]);
            if (hi < 0 || lo < 0)
                return false;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += c;
        }
    }
    return true;
}

// An encoded word found in the text: where it stands and what it holds.
struct Word {
    size_t m_nBegin, m_nEnd;  // the span "=?...?=" in the raw text
    iconv_t m_cd;
    std::string m_sBytes;  // decoded, still in the word's charset
};

// Reads the encoded word starting at `at` ("=?" already seen). False, with
// nothing changed, when none stands there or its charset is unknown.
bool ReadWord(std::string_view raw, size_t at, Converters& converters, Word& word)
{
    size_t i = at + 2;
    const size_t nameBegin = i;
    while (i < raw.size() && i - nameBegin <= kMaxCharsetName && IsCharsetChar(raw[i]))
        ++i;
    if (i == nameBegin || i - nameBegin > kMaxCharsetName || i + 3 > raw.size() || raw[i] != '?')
        return false;
    std::string charset(raw.substr(nameBegin, i - nameBegin));
    charset = charset.substr(0, charset.find('*'));
    const char encoding = raw[i + 1];
    if (raw[i + 2] != '?')
        return false;
    const size_t textBegin = i + 3;
    size_t j = textBegin;
    // §2: encoded text is printable ASCII without '?' and blanks.
    while (j < raw.size() && raw[j] > ' ' && raw[j] < 0x7F && raw[j] != '?')
        ++j;
    if (j + 1 >= raw.size() || raw[j] != '?' || raw[j + 1] != '=')
        return false;
    if (charset.empty())
        return false;
    const std::string_view text = raw.substr(textBegin, j - textBegin);
    std::string bytes;
    bool bOk = false;
    if (encoding == 'B' || encoding == 'b')
        bOk = DecodeB(text, bytes);
    else if (encoding == 'Q' || encoding == 'q')
        bOk = DecodeQ(text, bytes);
    if (!bOk)
        return false;
    const iconv_t cd = converters.Find(charset);
    if (cd == Converters::Invalid())
        return false;
    word = Word{at, j + 2, cd, std::move(bytes)};
    return true;
}

// Whether an encoded word was meant at `at` ("=?" already seen): a charset
// name and its '?' follow. A lone "=?" in ordinary text is no such attempt.
bool LooksLikeWord(std::string_view raw, size_t at)
{
    size_t i = at + 2;
    while (i < raw.size() && IsCharsetChar(raw[i]))
        ++i;
    return i > at + 2 && i < raw.size() && raw[i] == '?';
}

// The bytes of one charset converted to UTF-8; a byte iconv rejects becomes
// U+FFFD (and sets *pbBad) and the conversion goes on after it.
void Convert(iconv_t cd, const std::string& bytes, std::string& out, bool* pbBad)
{
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char buffer[512];
    for (;;) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t rc =
            inLeft ? ::iconv(cd, &in, &inLeft, &dst, &dstLeft) : ::iconv(cd, nullptr, nullptr, &dst, &dstLeft);
        const int error = errno;
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (out.size() > kMaxDecodedText)
            return;
        if (rc != static_cast<size_t>(-1)) {
            if (inLeft == 0 && dst == buffer)
                return;  // input done and the state flushed
            continue;
        }
        if (error == E2BIG)
            continue;
        out += kReplacement;
        *pbBad = true;
        if (error != EILSEQ || inLeft == 0)
            return;  // EINVAL: a character cut off at the end
        ++in;
        --inLeft;
    }
}

bool IsFoldingSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Well-formed UTF-8 with controls as blanks and at most kMaxDecodedText bytes,
// cut between characters.
std::string Sanitise(std::string_view text)
{
    std::string out;
    out.reserve(std::min(text.size(), kMaxDecodedText));
    size_t i = 0;
    while (i < text.size()) {
        const size_t n = Utf8SequenceLength(text.substr(i));
        std::string_view piece = n ? text.substr(i, n) : std::string_view(kReplacement);
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool bC1 = n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if ((n == 1 && (c < 0x20 || c == 0x7F)) || bC1)
            piece = " ";
        if (out.size() + piece.size() > kMaxDecodedText)
            break;
        out += piece;
        i += n ? n : 1;
    }
    return out;
}

}  // namespace

size_t Utf8SequenceLength(std::string_view s)
{
    if (s.empty())
        return 0;
    const unsigned char c = static_cast<unsigned char>(s[0]);
    if (c < 0x80)
        return 1;
    size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0)
            lo = 0xA0;  // overlong
        if (c == 0xED)
            hi = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0)
            lo = 0x90;  // overlong
        if (c == 0xF4)
            hi = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (s.size() < n)
        return 0;
    const unsigned char c1 = static_cast<unsigned char>(s[1]);
    if (c1 < lo || c1 > hi)
        return 0;
    for (size_t k = 2; k < n; ++k) {
        const unsigned char ck = static_cast<unsigned char>(s[k]);
        if (ck < 0x80 || ck > 0xBF)
            return 0;
    }
    return n;
}

char32_t DirectionControlAt(std::string_view s)
{
    const auto byte = [s](size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0u; };
    if (byte(0) == 0xD8 && byte(1) == 0x9C)
        return 0x061C;
    // U+2000..U+207F: E2 80..81 80..BF.
    if (byte(0) != 0xE2 || (byte(1) != 0x80 && byte(1) != 0x81) || byte(2) < 0x80 || byte(2) > 0xBF)
        return 0;
    const char32_t c = 0x2000 + ((byte(1) & 0x3Fu) << 6) + (byte(2) & 0x3Fu);
    return c == 0x200E || c == 0x200F || IsExplicitDirectionControl(c) ? c : 0;
}

bool HasExplicitDirectionControl(std::string_view utf8)
{
    for (size_t at = utf8.find('\xE2'); at != std::string_view::npos; at = utf8.find('\xE2', at + 1))
        if (IsExplicitDirectionControl(DirectionControlAt(utf8.substr(at))))
            return true;
    return false;
}

bool IsValidUtf8(std::string_view bytes)
{
    for (size_t i = 0; i < bytes.size();) {
        const size_t n = Utf8SequenceLength(bytes.substr(i));
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string DecodeHeaderText(std::string_view raw, bool* pbUndecodable)
{
    bool bUndecodable = false;
    const bool bUtf8 = IsValidUtf8(raw);
    auto literal = [bUtf8](std::string_view text) { return bUtf8 ? std::string(text) : Cp1252ToUtf8(text); };

    Converters converters;
    std::string out;
    size_t nWords = 0;
    size_t pos = 0;   // raw bytes before this are in `out`
    size_t scan = 0;  // where the next "=?" is looked for
    // The run of adjacent words waiting to be converted together.
    iconv_t runCd = Converters::Invalid();
    std::string runBytes;
    auto flush = [&] {
        if (runCd != Converters::Invalid())
            Convert(runCd, runBytes, out, &bUndecodable);
        runCd = Converters::Invalid();
        runBytes.clear();
    };

    while (out.size() <= kMaxDecodedText && nWords < kMaxEncodedWords) {
        const size_t at = raw.find("=?", scan);
        if (at == std::string_view::npos)
            break;
        Word word;
        if (!ReadWord(raw, at, converters, word)) {
            bUndecodable = bUndecodable || LooksLikeWord(raw, at);
            scan = at + 1;
            continue;
        }
        ++nWords;
        const std::string_view between = raw.substr(pos, at - pos);
        bool bAdjacent = runCd != Converters::Invalid();
        for (char c : between)
            bAdjacent = bAdjacent && IsFoldingSpace(c);
        // RFC 2047 §6.2: white space between adjacent encoded words is not
        // displayed; anything else ends the run.
        if (!bAdjacent) {
            flush();
            out += literal(between);
        } else if (word.m_cd != runCd) {
            flush();
        }
        runCd = word.m_cd;
        runBytes += word.m_sBytes;
        pos = scan = word.m_nEnd;
    }
    flush();
    if (out.size() <= kMaxDecodedText)
        out += literal(raw.substr(pos, kMaxDecodedText + 1));
    if (pbUndecodable)
        *pbUndecodable = bUndecodable;
    return Sanitise(out);
}

}  // namespace platform
