#include "FuzzEntries.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>

#include "core/filters/AuthResults.h"
#include "core/filters/Classify.h"
#include "core/filters/DefaultFilters.h"
#include "core/filters/SenderSignals.h"
#include "core/platform/Ascii.h"
#include "core/platform/HeaderDecode.h"
#include "core/pop3/Pop3Message.h"
#include "core/pop3/Pop3Replies.h"
#include "core/pop3/SaslText.h"
#include "core/rows/ReadableRow.h"
#include "core/rows/RowBuilder.h"
#include "core/platform/IniImport.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool IsTrimmed(const std::string& text)
{
    return platform::TrimSpace(text).size() == text.size();
}

const FilterLists& SomeLists()
{
    static const FilterLists lists = [] {
        FilterLists l;
        AppendBuiltInDefaults(l);
        l.Append(kFilterSubjectExact, "HELLO");
        l.Append(kFilterSender, "@EXAMPLE.COM");
        l.Append(kFilterSize, ">16000K");
        return l;
    }();
    return lists;
}

}  // namespace

void FuzzHeaderRow(const uint8_t* data, size_t size)
{
    // The first byte picks the listing size and a field name of its own;
    // the rest is the text TOP delivered.
    if (size == 0)
        return;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const uint8_t selector = data[0];
    const std::string_view text = all.substr(1);
    CPop3Message message;
    message.SetText(text);
    Require(message.Text().find('\0') == std::string::npos);

    const std::string names[] = {"Subject", "From", "Content-Type", std::string(text.substr(0, selector % 8))};
    for (const std::string& name : names) {
        for (int n = 0; n < 3; ++n) {
            const std::string value = message.FindField(name, n);
            Require(IsTrimmed(value));
            Require(value.find('\t') == std::string::npos);
            Require(value.size() <= message.Text().size());
        }
    }
    const uint32_t listSize = static_cast<uint32_t>(selector) * 16777259u;
    const MessageRow row = BuildMessageRow(selector, listSize, message);
    Require(row.m_sSize == SizeText(listSize) && row.m_sSize.back() == 'K');
    Require(row.m_sAtt.empty() || row.m_sAtt == "Y");
    Require(row.m_sSubject == message.GetSubject());
    Require(row.m_sCC == message.GetCC());
    Require(row.m_sEmail.find('>') == std::string::npos || row.m_sEmail == message.GetFrom());
    Require(!row.m_sFrom.empty() || row.m_sEmail.empty());
    std::string date = std::string(text);
    AddWeekday(date);
    Require(date.size() == text.size() || date.size() == text.size() + 5);
    Require(NormaliseSubject(row.m_sSubject).size() == row.m_sSubject.size());
    const int suspect = IsSuspect(SomeLists(), row.m_sSubject, row.m_sSize);
    Require(suspect == 0 || suspect == 1);
    // The decoded row: the raw rule still holds, and a reason comes with
    // every suspect row and with no other.
    MessageRow readable = row;
    AddReadableTexts(readable);
    Require(readable.m_sSubject == row.m_sSubject);
    const int verdict = ClassifyRow(SomeLists(), readable);
    Require(verdict >= suspect);
    Require((verdict == 1) == !readable.m_sReason.empty());
    Require(platform::IsValidUtf8(readable.m_sReason));
}

void FuzzDefaultsFile(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    FilterLists lists;
    ParseDefaults(in, lists);
    size_t total = 0;
    for (FilterKind kind : {kFilterSubject, kFilterSubjectExact, kFilterSize}) {
        for (const std::string& entry : lists.List(kind)) {
            Require(FilterLists::IsStorable(entry, nullptr));
            Require(IsTrimmed(entry));
            Require(entry.find('\n') == std::string::npos && entry.find('\0') == std::string::npos);
            Require(entry != "[SIZE]" && entry != "[SUBJECT]" && entry != "[SUBJECT EXACT]");
            total += entry.size();
        }
    }
    Require(total <= size);
    // A "larger than" entry from the file is a bounded number or nothing.
    for (const std::string& entry : lists.List(kFilterSize)) {
        const std::optional<uint64_t> limit = LargerThanK(entry);
        Require(!limit || *limit < 1000 * 1000000000ULL);
    }
    Require(IsSuspect(lists, "x", "501K") >= 0);
}

void FuzzIniImport(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    for (const IniEntry& entry : ParseIni(in)) {
        Require(!entry.m_sSection.empty() && IsTrimmed(entry.m_sSection));
        Require(entry.m_sSection.find('/') == std::string::npos);
        Require(!entry.m_sName.empty() && entry.m_sName.find('/') == std::string::npos);
        Require(entry.m_sName.find('=') == std::string::npos);
        Require(entry.m_sName.size() + entry.m_sValue.size() < 519);
        Require(entry.m_sValue.find('\n') == std::string::npos);
        Require(entry.m_sValue.find('\0') == std::string::npos);
    }
}

void FuzzPop3Replies(const uint8_t* data, size_t size)
{
    // The first byte is the bound on message numbers; the rest is the reply.
    if (size == 0)
        return;
    const uint32_t maxNumber = data[0];
    const std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);

    pop3::StatReply stat;
    if (pop3::ParseStat(reply, stat) == pop3::ReplyError::kNone)
        Require(stat.m_nCount <= pop3::kMaxMessages && stat.m_nSize <= pop3::kMaxSize);

    pop3::ScanListing sizes;
    const pop3::ReplyError listError = pop3::ParseScanListing(reply, maxNumber, sizes);
    Require(sizes.HighestNumber() <= maxNumber && sizes.Listed() <= sizes.HighestNumber());
    Require(listError == pop3::ReplyError::kNone || sizes.HighestNumber() == 0);
    for (uint32_t n = 1; n <= sizes.HighestNumber(); ++n)
        Require(sizes.Size(n) <= pop3::kMaxSize);

    pop3::UidListing ids;
    pop3::ParseUidListing(reply, maxNumber, ids);
    Require(ids.HighestNumber() <= maxNumber);
    for (uint32_t n = 1; n <= ids.HighestNumber(); ++n) {
        std::string_view id;
        const pop3::UidListing::Id kind = ids.Find(n, &id);
        Require((kind == pop3::UidListing::Id::kAmbiguous) == (!id.empty() && ids.IsAmbiguous(id)));
        if (kind == pop3::UidListing::Id::kUsable) {
            Require(!id.empty() && id.size() <= pop3::kMaxUidLength);
            for (char c : id)
                Require(static_cast<unsigned char>(c) >= 0x21 && static_cast<unsigned char>(c) <= 0x7E);
        }
    }

    pop3::Capabilities capabilities;
    pop3::ParseCapabilities(reply, capabilities);
    Require(capabilities.m_aNames.size() <= pop3::kMaxCapabilityLines);
    for (const std::string& name : capabilities.m_aNames)
        Require(!name.empty() && name.size() <= pop3::kMaxCapabilityName && platform::AsciiUpper(name) == name);
    Require(capabilities.m_bStls == capabilities.Has("STLS"));
}

void FuzzPop3Status(const uint8_t* data, size_t size)
{
    // The first byte is the message number asked for; the rest is the reply.
    if (size == 0)
        return;
    const uint32_t n = data[0];
    const std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto within = [&](std::string_view part) {
        return part.empty()
            || (part.data() >= reply.data() && part.data() + part.size() <= reply.data() + reply.size());
    };

    const pop3::StatusLine status = pop3::ParseStatusLine(reply);
    const std::string head = platform::AsciiUpper(std::string(reply.substr(0, 4)));
    Require((status.m_status == pop3::Status::kOk) == head.starts_with("+OK"));
    Require((status.m_status == pop3::Status::kErr) == head.starts_with("-ERR"));
    Require(within(status.m_text) && status.m_text.find('\n') == std::string_view::npos);

    std::string_view word;
    if (pop3::ParseNumberedReply(reply, n, word) == pop3::ReplyError::kNone) {
        Require(status.IsOk() && !word.empty() && within(word));
        Require(word.find_first_of(" \t\n") == std::string_view::npos);
    }
    // A size is what strtoull reads from digits alone, below 2^63.
    const std::string_view sizeWord = word.empty() ? reply : word;
    uint64_t size64 = 0;
    const std::string digits(sizeWord);
    const bool bDigits = !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos;
    errno = 0;
    const unsigned long long expected = bDigits ? std::strtoull(digits.c_str(), nullptr, 10) : 0;
    const bool bFits = bDigits && errno == 0 && expected <= pop3::kMaxSize;
    Require((pop3::ParseSize(sizeWord, size64) == pop3::ReplyError::kNone) == bFits);
    Require(!bFits || size64 == expected);
}

void FuzzAuthResults(const uint8_t* data, size_t size)
{
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    const std::optional<auth_results::Field> field = auth_results::Parse(value);
    if (field) {
        Require(!field->m_sAuthServId.empty());
        Require(auth_results::AuthServId(value) == field->m_sAuthServId);
        Require(field->m_aResults.size() <= auth_results::kMaxResults);
        for (const auth_results::Result& result : field->m_aResults) {
            Require(!result.m_sMethod.empty() && !result.m_sResult.empty());
            Require(result.m_aProperties.size() <= auth_results::kMaxProperties);
        }
    }
    // The same bytes as the account's own field, as a display name and as
    // the sender's domain: every reason is UTF-8 for people.
    const SignalOptions options{true, true, true, "pop.provider.example", {}};
    const SenderFacts facts{std::string(value.substr(0, 64)),
                            "a@" + std::string(value.substr(0, 80)),
                            {"mx.provider.example; " + std::string(value), std::string(value)}};
    const std::string reason = SenderSignalReason(options, {"@trusted.example", "boss@company.example"}, facts);
    Require(platform::IsValidUtf8(reason));
}

void FuzzHeaderDecode(const uint8_t* data, size_t size)
{
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const std::string text = platform::DecodeHeaderText(raw);
    Require(text.size() <= platform::kMaxDecodedText);
    Require(platform::IsValidUtf8(text));
    for (char c : text)
        Require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    // Text with no encoded word in it and nothing to convert comes back as it was.
    bool bPlain = raw.size() <= platform::kMaxDecodedText && raw.find("=?") == std::string_view::npos;
    for (char c : raw)
        bPlain = bPlain && c >= 0x20 && c < 0x7F;
    if (bPlain)
        Require(text == raw);
}

void FuzzSaslTexts(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Whatever decodes encodes back to the same text: the decoder takes one
    // spelling of each byte string only.
    std::string bytes;
    if (pop3::Base64Decode(text, bytes))
        Require(pop3::Base64Encode(bytes) == text);

    std::string stamp;
    if (pop3::ParseApopTimestamp(text, stamp)) {
        Require(stamp.size() >= 3 && stamp.size() <= pop3::kMaxApopTimestamp
                && text.find(stamp) != std::string_view::npos);
        Require(stamp.front() == '<' && stamp.back() == '>' && stamp.find('@') != std::string::npos);
        Require(stamp.find_first_of(" \t\r\n") == std::string::npos);
    }

    const std::string status = pop3::OAuthErrorStatus(text);
    Require(status.size() <= pop3::kMaxOAuthStatus && text.find(status) != std::string_view::npos);
    for (const char c : status)
        Require(c >= 0x20 && c <= 0x7E && c != '"' && c != '\\');

    pop3::Capabilities capabilities;
    if (pop3::ParseCapabilities(text, capabilities) == pop3::ReplyError::kNone) {
        Require(capabilities.m_aSaslMechanisms.size() <= pop3::kMaxSaslMechanisms);
        Require(capabilities.m_aSaslMechanisms.empty() || capabilities.Has("SASL"));
        for (const std::string& name : capabilities.m_aSaslMechanisms)
            Require(!name.empty() && name.size() <= pop3::kMaxSaslMechanismName
                    && name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_") == std::string::npos);
    }
}
