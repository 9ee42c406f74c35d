#include "SenderSignals.h"

#include "core/filters/AuthResults.h"
#include "core/filters/Classify.h"
#include "core/filters/LookAlike.h"
#include "core/platform/Ascii.h"
#include "core/platform/Cp1252.h"
#include "core/platform/HeaderDecode.h"

namespace {

constexpr const char* kTrustedButFailed = "The sender is on the trusted list, but its domain ";
constexpr std::string_view kCheckedBy = " (checked by ";

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Lower case, without a final dot.
std::string DomainOf(std::string_view address)
{
    const size_t at = address.rfind('@');
    std::string domain = platform::AsciiLower(at == std::string_view::npos ? address : address.substr(at + 1));
    while (!domain.empty() && domain.back() == '.')
        domain.pop_back();
    return domain;
}

bool IsUnder(std::string_view domain, std::string_view parent)
{
    return !parent.empty()
        && (domain == parent
            || (domain.size() > parent.size() && domain.ends_with(parent)
                && domain[domain.size() - parent.size() - 1] == '.'));
}

// RFC 7489 §3.1 relaxed alignment, without the public suffix list: one
// domain is the other or under it.
bool Aligned(std::string_view a, std::string_view b)
{
    return IsUnder(a, b) || IsUnder(b, a);
}

std::string ForPeople(std::string_view bytes)
{
    return platform::IsValidUtf8(bytes) ? std::string(bytes) : platform::Cp1252ToUtf8(bytes);
}

// dmarc=fail for the From domain, or spf=fail for it with no dkim=pass
// that signs for it (RFC 8601 §2.7, RFC 7489 §3.1).
std::string JudgeField(const auth_results::Field& field, const std::string& domain, bool bTrusted)
{
    bool bDmarcFail = false;
    bool bSpfFail = false;
    bool bDkimPass = false;
    for (const auth_results::Result& result : field.m_aResults) {
        if (result.m_sMethod == "dmarc" && result.m_sResult == "fail") {
            const std::string_view from = result.Find("header", "from");
            bDmarcFail = bDmarcFail || from.empty() || platform::AsciiLower(from) == domain;
        } else if (result.m_sMethod == "spf" && result.m_sResult == "fail") {
            const std::string mailFrom = DomainOf(result.Find("smtp", "mailfrom"));
            bSpfFail = bSpfFail || Aligned(mailFrom, domain);
        } else if (result.m_sMethod == "dkim" && result.m_sResult == "pass") {
            std::string signer = DomainOf(result.Find("header", "d"));
            if (signer.empty())
                signer = DomainOf(result.Find("header", "i"));
            bDkimPass = bDkimPass || signer.empty() || Aligned(signer, domain);
        }
    }
    const std::string tail = std::string(kCheckedBy) + ForPeople(field.m_sAuthServId) + ")";
    // A trusted sender that fails is the forgery the trusted list must not
    // hide: said in words of its own.
    const std::string named =
        (bTrusted ? kTrustedButFailed : "The sender's domain ") + look_alike::UnicodeDomain(domain);
    if (bDmarcFail)
        return named + " failed DMARC" + tail;
    if (bSpfFail && !bDkimPass)
        return named + " failed SPF and has no passing DKIM signature" + tail;
    return {};
}

bool ContainsFail(std::string_view text)
{
    for (size_t at = 0; at + 4 <= text.size(); ++at) {
        if ((text[at] | 0x20) == 'f' && (text[at + 1] | 0x20) == 'a' && (text[at + 2] | 0x20) == 'i'
            && (text[at + 3] | 0x20) == 'l')
            return true;
    }
    return false;
}

// Only the topmost field from the account's own side counts: any field
// below it, or from anyone else, may be the sender's own writing.
std::string AuthenticationReason(const SignalOptions& options, const std::vector<std::string>& fields,
                                 const std::string& domain, bool bTrusted = false)
{
    for (size_t i = 0; i < fields.size() && i < kMaxAuthResultsFields; ++i) {
        const std::string id = auth_results::AuthServId(fields[i]);
        if (id.empty() || !IsOwnAuthServId(options, id))
            continue;
        // Most mail passes: a field without "fail" in any case has nothing
        // to say, and is not parsed.
        if (!ContainsFail(fields[i]))
            return {};
        const std::optional<auth_results::Field> field = auth_results::Parse(fields[i]);
        return field ? JudgeField(*field, domain, bTrusted) : std::string();
    }
    return {};
}

// A word of a display name that reads as a domain: labels of letters,
// digits and hyphens, the last of two or more letters all in one case
// ("Amazon.com", "PAYPAL.COM"; not "Dr.Who").
std::string DomainInWord(std::string_view word)
{
    const size_t at = word.rfind('@');
    if (at != std::string_view::npos)
        word = word.substr(at + 1);
    while (!word.empty() && (word.back() == '.' || word.back() == '-'))
        word.remove_suffix(1);
    const size_t dot = word.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || word.find("..") != std::string_view::npos)
        return {};
    const std::string_view top = word.substr(dot + 1);
    bool bLower = true;
    bool bUpper = true;
    for (char c : top) {
        if (!IsLetter(c))
            return {};
        bLower = bLower && c >= 'a';
        bUpper = bUpper && c <= 'Z';
    }
    if (top.size() < 2 || (!bLower && !bUpper))
        return {};
    return platform::AsciiLower(word);
}

std::string NameReason(const std::vector<std::string>& trusted, const std::string& name, const std::string& email)
{
    const std::string lowerName = platform::AsciiLower(name);
    for (const std::string& entry : trusted) {
        if (entry.empty() || entry[0] == '@' || entry.find('@') == std::string::npos)
            continue;
        if (lowerName.find(platform::AsciiLower(entry)) != std::string::npos && !SenderMatches(entry, email))
            return "The sender's name is the trusted sender " + ForPeople(entry) + ", but the address is "
                + ForPeople(email);
    }
    const std::string domain = DomainOf(email);
    auto isWordChar = [](char c) {
        return IsLetter(c) || platform::IsDigit(c) || c == '.' || c == '-' || c == '@' || c == '_' || c == '+';
    };
    for (size_t i = 0; i < name.size();) {
        size_t end = i;
        while (end < name.size() && isWordChar(name[end]))
            ++end;
        const std::string shown = DomainInWord(std::string_view(name).substr(i, end - i));
        if (!shown.empty() && !Aligned(shown, domain))
            return "The sender's name shows " + ForPeople(std::string_view(name).substr(i, end - i))
                + ", but the mail comes from " + look_alike::UnicodeDomain(domain);
        i = end + 1;
    }
    return look_alike::NameReason(name, domain);
}

}  // namespace

bool IsOwnAuthServId(const SignalOptions& options, std::string_view authServId)
{
    const std::string id = DomainOf(authServId);
    if (!options.m_aAuthServIds.empty()) {
        for (const std::string& own : options.m_aAuthServIds)
            if (DomainOf(own) == id)
                return true;
        return false;
    }
    const std::string host = DomainOf(options.m_sServer);
    const size_t first = host.find('.');
    if (first == std::string::npos || host.find(':') != std::string::npos
        || host.find_first_not_of("0123456789.") == std::string::npos)
        return false;
    const bool bTwoLabels = host.find('.', first + 1) == std::string::npos;
    return IsUnder(id, bTwoLabels ? std::string_view(host) : std::string_view(host).substr(first + 1));
}

std::string SenderSignalReason(const SignalOptions& options, const std::vector<std::string>& trusted,
                               const SenderFacts& facts)
{
    const std::string domain = facts.m_sEmail.find('@') == std::string::npos ? std::string() : DomainOf(facts.m_sEmail);
    std::string reason;
    if (options.m_bAuthentication && !domain.empty())
        reason = AuthenticationReason(options, facts.m_aAuthResults, domain);
    if (reason.empty() && options.m_bLookAlike && !domain.empty())
        reason = look_alike::Reason(domain, trusted);
    if (reason.empty() && options.m_bNames && !facts.m_sName.empty())
        reason = NameReason(trusted, facts.m_sName, facts.m_sEmail);
    return reason;
}

std::string TrustedSenderReason(const SignalOptions& options, const SenderFacts& facts)
{
    const std::string domain = facts.m_sEmail.find('@') == std::string::npos ? std::string() : DomainOf(facts.m_sEmail);
    if (!options.m_bAuthentication || domain.empty())
        return {};
    return AuthenticationReason(options, facts.m_aAuthResults, domain, true);
}

bool IsAuthenticationReason(std::string_view reason)
{
    // Every such reason names the domain that failed, then who checked it.
    return reason.ends_with(")")
        && (reason.find(" failed DMARC" + std::string(kCheckedBy)) != std::string_view::npos
            || reason.find(" failed SPF and has no passing DKIM signature" + std::string(kCheckedBy))
                != std::string_view::npos);
}
