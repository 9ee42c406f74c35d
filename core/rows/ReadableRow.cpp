#include "ReadableRow.h"

#include "core/filters/AuthResults.h"
#include "core/filters/Classify.h"
#include "core/filters/FilterLists.h"
#include "core/pop3/Pop3Message.h"
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

// What the sender signals read of a row and its header.
SenderFacts FactsOf(const SignalOptions& options, const MessageRow& row, const CPop3Message& message)
{
    SenderFacts facts;
    facts.m_sEmail = row.m_sEmail;
    // SplitFrom gives the address as the name when there is none.
    if (row.m_sFrom != row.m_sEmail)
        facts.m_sName = row.m_sFromText.empty() ? platform::Cp1252ToUtf8(row.m_sFrom) : row.m_sFromText;
    if (!options.m_bAuthentication)
        return facts;
    // Only the topmost field of the account's own side counts: none below
    // it is read.
    for (int i = 0; i < static_cast<int>(kMaxAuthResultsFields); ++i) {
        std::optional<std::string> value = message.FindFieldIf("Authentication-Results", i);
        if (!value)
            break;
        const bool bOwn = IsOwnAuthServId(options, auth_results::AuthServId(*value));
        facts.m_aAuthResults.push_back(std::move(*value));
        if (bOwn)
            break;
    }
    return facts;
}

}  // namespace

void AddReadableTexts(MessageRow& row)
{
    row.m_sSubjectText = Readable(row.m_sSubject);
    row.m_sFromText = Readable(row.m_sFrom);
    row.m_sToText = Readable(row.m_sTo);
    row.m_sCCText = Readable(row.m_sCC);
}

int ClassifyRow(const FilterLists& lists, MessageRow& row, const CPop3Message* pMessage,
                const std::string* psKeptSignal)
{
    const std::string subjectText =
        row.m_sSubjectText.empty() ? platform::DecodeHeaderText(row.m_sSubject) : row.m_sSubjectText;
    Verdict verdict = Classify(lists, row.m_sSubject, subjectText, row.m_sSize, row.m_sEmail);
    row.m_sReason = std::move(verdict.m_sReason);
    if (verdict.m_bSuspect)
        return kSuspectByList;
    const SignalOptions& options = lists.Signals();
    if (verdict.m_bTrusted) {
        if (pMessage && options.m_bAuthentication)
            row.m_sReason = TrustedSenderReason(options, FactsOf(options, row, *pMessage));
        else if (psKeptSignal && IsAuthenticationReason(*psKeptSignal))
            row.m_sReason = *psKeptSignal;
        return row.m_sReason.empty() ? 0 : kSuspectBySignal;
    }
    if (pMessage && (options.m_bAuthentication || options.m_bNames || options.m_bLookAlike))
        row.m_sReason = SenderSignalReason(options, lists.List(kFilterTrusted), FactsOf(options, row, *pMessage));
    else if (psKeptSignal)
        row.m_sReason = *psKeptSignal;
    return row.m_sReason.empty() ? 0 : kSuspectBySignal;
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
