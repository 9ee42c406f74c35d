#include "Pop3Replies.h"

#include <algorithm>
#include <functional>
#include <unordered_map>

#include "core/platform/Ascii.h"

namespace pop3 {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

void SkipBlanks(std::string_view& text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
}

// The first line (without its CR LF or LF) and the rest after it.
std::string_view FirstLine(std::string_view text, std::string_view* pRest = nullptr)
{
    const size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    if (pRest)
        *pRest = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

// Calls fn(line) for every line after the status line.
template <typename Fn> bool ForEachLine(std::string_view reply, Fn fn)
{
    std::string_view rest;
    FirstLine(reply, &rest);
    while (!rest.empty()) {
        const std::string_view line = FirstLine(rest, &rest);
        if (!fn(line))
            return false;
    }
    return true;
}

// "msg SP word" (RFC 1939 §5, §7): the number and the word after it. False
// for a line of another form; the number may still be out of range.
bool SplitListingLine(std::string_view line, uint64_t& number, std::string_view& word)
{
    SkipBlanks(line);
    if (!platform::TakeDecimal(line, number) || line.empty() || !IsBlank(line.front()))
        return false;
    SkipBlanks(line);
    size_t end = 0;
    while (end < line.size() && !IsBlank(line[end]))
        ++end;
    word = line.substr(0, end);
    return !word.empty();
}

ReplyError CheckNumber(uint64_t number, uint32_t nMaxNumber)
{
    if (number == 0 || number > std::min(nMaxNumber, kMaxMessages))
        return ReplyError::kOutOfRange;
    return ReplyError::kNone;
}

bool IsUsableUid(std::string_view id)
{
    if (id.empty() || id.size() > kMaxUidLength)
        return false;
    return std::all_of(id.begin(), id.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x21 && static_cast<unsigned char>(c) <= 0x7E;
    });
}

}  // namespace

const char* ReplyErrorText(ReplyError error)
{
    switch (error) {
    case ReplyError::kNone:
        return QT_TRANSLATE_NOOP("Pop3", "no error");
    case ReplyError::kNegative:
        return QT_TRANSLATE_NOOP("Pop3", "the server refused the command");
    case ReplyError::kMalformed:
        return QT_TRANSLATE_NOOP("Pop3", "the server's reply is not understood");
    case ReplyError::kTooMany:
        return QT_TRANSLATE_NOOP("Pop3", "the server lists more than Mavix handles");
    case ReplyError::kOutOfRange:
        return QT_TRANSLATE_NOOP("Pop3", "the server's reply holds a number out of range");
    case ReplyError::kDuplicate:
        return QT_TRANSLATE_NOOP("Pop3", "the server's message list names a message twice");
    }
    return QT_TRANSLATE_NOOP("Pop3", "unknown error");
}

StatusLine ParseStatusLine(std::string_view reply)
{
    // RFC 1939 §3: status indicators are upper case, but servers that write
    // "+ok" exist and are accepted.
    const std::string_view line = FirstLine(reply);
    StatusLine status;
    if (line.size() >= 3 && line[0] == '+' && platform::AsciiUpper(line[1]) == 'O'
        && platform::AsciiUpper(line[2]) == 'K')
        status.m_status = Status::kOk;
    else if (line.size() >= 4 && line[0] == '-' && platform::AsciiUpper(line[1]) == 'E'
             && platform::AsciiUpper(line[2]) == 'R' && platform::AsciiUpper(line[3]) == 'R')
        status.m_status = Status::kErr;
    const size_t word = std::min(line.find_first_of(" \t"), line.size());
    status.m_text = line.substr(std::min(word + 1, line.size()));
    return status;
}

ReplyError ParseStat(std::string_view reply, StatReply& stat)
{
    std::string_view line = FirstLine(reply);
    if (!ParseStatusLine(line).IsOk())
        return ReplyError::kNegative;
    // Unlike the other replies, STAT wants the status word exactly as
    // RFC 1939 §5 writes it.
    if (line.substr(0, 3) != "+OK")
        return ReplyError::kMalformed;
    line.remove_prefix(3);
    if (line.empty() || !IsBlank(line.front()))
        return ReplyError::kMalformed;
    SkipBlanks(line);
    uint64_t count = 0, size = 0;
    if (!platform::TakeDecimal(line, count) || line.empty() || !IsBlank(line.front()))
        return ReplyError::kMalformed;
    SkipBlanks(line);
    if (!platform::TakeDecimal(line, size))
        return ReplyError::kMalformed;
    if (size > kMaxSize)
        return ReplyError::kOutOfRange;
    if (count > kMaxMessages)
        return ReplyError::kTooMany;
    stat.m_nCount = static_cast<uint32_t>(count);
    stat.m_nSize = size;
    return ReplyError::kNone;
}

ReplyError ParseNumberedReply(std::string_view reply, uint32_t n, std::string_view& word)
{
    word = {};
    std::string_view line = FirstLine(reply);
    if (!ParseStatusLine(line).IsOk())
        return ReplyError::kNegative;
    line.remove_prefix(3);
    uint64_t number = 0;
    if (!SplitListingLine(line, number, word) || number != n) {
        word = {};
        return ReplyError::kMalformed;
    }
    return ReplyError::kNone;
}

ReplyError ParseSize(std::string_view word, uint64_t& size)
{
    uint64_t value = 0;
    if (!platform::TakeDecimal(word, value) || !word.empty())
        return ReplyError::kMalformed;
    if (value > kMaxSize)
        return ReplyError::kOutOfRange;
    size = value;
    return ReplyError::kNone;
}

void ScanListing::Clear()
{
    m_aSizes.clear();
    m_nListed = 0;
}

ReplyError ParseScanListing(std::string_view reply, uint32_t nMaxNumber, ScanListing& listing)
{
    listing.Clear();
    if (!ParseStatusLine(reply).IsOk())
        return ReplyError::kNegative;
    ReplyError error = ReplyError::kNone;
    ForEachLine(reply, [&](std::string_view line) {
        uint64_t number = 0, size = 0;
        std::string_view word;
        if (!SplitListingLine(line, number, word))
            return true;  // not "number size": that message has no size
        if ((error = CheckNumber(number, nMaxNumber)) != ReplyError::kNone)
            return false;
        const ReplyError sizeError = ParseSize(word, size);
        if (sizeError == ReplyError::kMalformed)
            return true;  // not a size: that message has none
        if (sizeError != ReplyError::kNone) {
            error = sizeError;
            return false;
        }
        const auto n = static_cast<size_t>(number);
        if (listing.m_aSizes.size() < n)
            listing.m_aSizes.resize(n, ScanListing::kNone);
        if (listing.m_aSizes[n - 1] != ScanListing::kNone) {
            error = ReplyError::kDuplicate;
            return false;
        }
        listing.m_aSizes[n - 1] = size;
        ++listing.m_nListed;
        return true;
    });
    if (error != ReplyError::kNone)
        listing.Clear();
    return error;
}

void UidListing::Clear()
{
    m_sIds.clear();
    m_aEntries.clear();
    m_aAmbiguous.clear();
}

bool UidListing::IsAmbiguous(std::string_view id) const
{
    return std::binary_search(m_aAmbiguous.begin(), m_aAmbiguous.end(), id, std::less<>());
}

UidListing::Id UidListing::Find(uint32_t n, std::string_view* pId) const
{
    if (pId)
        *pId = {};
    if (n < 1 || n > m_aEntries.size() || m_aEntries[n - 1].m_nLength == kNotListed)
        return Id::kNotListed;
    const Entry& entry = m_aEntries[n - 1];
    if (entry.m_nLength == kUnusable)
        return Id::kUnusable;
    if (pId)
        *pId = std::string_view(m_sIds).substr(entry.m_nOffset, entry.m_nLength);
    return entry.m_bAmbiguous ? Id::kAmbiguous : Id::kUsable;
}

ReplyError ParseUidListing(std::string_view reply, uint32_t nMaxNumber, UidListing& listing)
{
    static_assert(kMaxUidLength < UidListing::kUnusable);
    listing.Clear();
    if (!ParseStatusLine(reply).IsOk())
        return ReplyError::kNegative;
    ReplyError error = ReplyError::kNone;
    ForEachLine(reply, [&](std::string_view line) {
        uint64_t number = 0;
        std::string_view id;
        if (!SplitListingLine(line, number, id))
            return true;
        if ((error = CheckNumber(number, nMaxNumber)) != ReplyError::kNone)
            return false;
        const auto n = static_cast<size_t>(number);
        if (listing.m_aEntries.size() < n)
            listing.m_aEntries.resize(n);
        UidListing::Entry& entry = listing.m_aEntries[n - 1];
        if (entry.m_nLength != UidListing::kNotListed) {
            error = ReplyError::kDuplicate;
            return false;
        }
        if (!IsUsableUid(id) || listing.m_sIds.size() + id.size() > UINT32_MAX) {
            entry.m_nLength = UidListing::kUnusable;
            return true;
        }
        entry.m_nOffset = static_cast<uint32_t>(listing.m_sIds.size());
        entry.m_nLength = static_cast<uint8_t>(id.size());
        listing.m_sIds.append(id);
        return true;
    });
    if (error != ReplyError::kNone) {
        listing.Clear();
        return error;
    }
    // Every message whose id another message shares is marked; the ids are
    // read once the listing is whole, as m_sIds no longer moves.
    std::unordered_map<std::string_view, UidListing::Entry*> first;
    first.reserve(listing.m_aEntries.size());
    for (UidListing::Entry& entry : listing.m_aEntries) {
        if (entry.m_nLength == UidListing::kNotListed || entry.m_nLength == UidListing::kUnusable)
            continue;
        const std::string_view id = std::string_view(listing.m_sIds).substr(entry.m_nOffset, entry.m_nLength);
        const auto [at, bNew] = first.emplace(id, &entry);
        if (bNew)
            continue;
        if (!at->second->m_bAmbiguous)
            listing.m_aAmbiguous.emplace_back(id);
        at->second->m_bAmbiguous = entry.m_bAmbiguous = true;
    }
    std::sort(listing.m_aAmbiguous.begin(), listing.m_aAmbiguous.end());
    return error;
}

bool Capabilities::Has(std::string_view name) const
{
    return std::find(m_aNames.begin(), m_aNames.end(), name) != m_aNames.end();
}

namespace {

bool IsSaslMechanismName(std::string_view name)
{
    return !name.empty() && name.size() <= kMaxSaslMechanismName && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
}

// The words after "SASL" on its CAPA line.
void TakeSaslMechanisms(std::string_view rest, std::vector<std::string>& mechanisms)
{
    while (!rest.empty() && mechanisms.size() < kMaxSaslMechanisms) {
        SkipBlanks(rest);
        const size_t end = std::min(rest.find_first_of(" \t"), rest.size());
        const std::string name = platform::AsciiUpper(std::string(rest.substr(0, std::min<size_t>(end, 64))));
        rest.remove_prefix(end);
        if (IsSaslMechanismName(name) && std::find(mechanisms.begin(), mechanisms.end(), name) == mechanisms.end())
            mechanisms.push_back(name);
    }
}

}  // namespace

ReplyError ParseCapabilities(std::string_view reply, Capabilities& capabilities)
{
    capabilities = Capabilities();
    if (!ParseStatusLine(reply).IsOk())
        return ReplyError::kNegative;
    size_t lines = 0;
    const bool complete = ForEachLine(reply, [&](std::string_view line) {
        if (++lines > kMaxCapabilityLines)
            return false;
        // One capability per line, its name first (RFC 2449 §5), in any case.
        SkipBlanks(line);
        const size_t end = std::min(line.find_first_of(" \t"), line.size());
        const std::string_view name = line.substr(0, end);
        if (name.empty() || name.size() > kMaxCapabilityName)
            return true;
        capabilities.m_aNames.push_back(platform::AsciiUpper(std::string(name)));
        if (capabilities.m_aNames.back() == "SASL")
            TakeSaslMechanisms(line.substr(end), capabilities.m_aSaslMechanisms);
        return true;
    });
    if (!complete) {
        capabilities = Capabilities();
        return ReplyError::kTooMany;
    }
    capabilities.m_bStls = capabilities.Has("STLS");
    capabilities.m_bPipelining = capabilities.Has("PIPELINING");
    capabilities.m_bUidl = capabilities.Has("UIDL");
    capabilities.m_bTop = capabilities.Has("TOP");
    return ReplyError::kNone;
}

}  // namespace pop3
