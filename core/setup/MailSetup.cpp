#include "MailSetup.h"

#include "core/filters/LookAlike.h"
#include "core/platform/CoreText.h"
#include "core/platform/Cp1252.h"
#include "core/storage/AccountSettings.h"

namespace {

constexpr size_t kMaxLabel = 63;  // RFC 1035 §2.3.4

bool IsLabelChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

void MailSetup::ApplyTo(AccountSettings& account) const
{
    account.m_sServer = m_sServer;
    account.m_sPort = m_sPort;
    account.m_sSecurity = m_sSecurity;
    account.m_sUser = platform::Utf8ToCp1252(m_sUser);
    account.m_sAuth = m_sAuth;
}

namespace mail_setup {

std::vector<std::string> Findings(const MailSetup& setup, std::string_view domain)
{
    std::vector<std::string> findings;
    if (setup.m_sSecurity == "0")
        findings.push_back(core_text::SayUtf8(
            "Setup",
            QT_TRANSLATE_NOOP("Setup",
                              "The server %1 takes the password without encryption (Security: None): anyone on the "
                              "way can read it."),
            {setup.m_sServer}));
    std::string host = setup.m_sServer;
    for (char& c : host)
        c = AsciiLower(c);
    const std::string own = look_alike::RegistrableDomain(std::string(domain));
    if (look_alike::RegistrableDomain(host) != own)
        findings.push_back(core_text::SayUtf8(
            "Setup",
            QT_TRANSLATE_NOOP("Setup",
                              "The server %1 is not in the domain %2: the file sends your password to another "
                              "domain's server."),
            {setup.m_sServer, own}));
    return findings;
}

bool IsHostName(std::string_view text)
{
    if (text.empty() || text.size() > kMaxDomain)
        return false;
    size_t label = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            // No empty label, none over 63, none starting or ending with '-'.
            if (label == 0 || label > kMaxLabel || text[i - 1] == '-' || text[i - label] == '-')
                return false;
            label = 0;
        } else if (IsLabelChar(text[i])) {
            ++label;
        } else {
            return false;
        }
    }
    return true;
}

bool SplitAddress(std::string_view address, std::string& local, std::string& domain)
{
    while (!address.empty() && (address.front() == ' ' || address.front() == '\t'))
        address.remove_prefix(1);
    while (!address.empty() && (address.back() == ' ' || address.back() == '\t'))
        address.remove_suffix(1);
    const size_t at = address.rfind('@');
    if (at == std::string_view::npos)
        return false;
    const std::string_view localPart = address.substr(0, at);
    std::string_view domainPart = address.substr(at + 1);
    if (!domainPart.empty() && domainPart.back() == '.')
        domainPart.remove_suffix(1);
    if (localPart.empty() || localPart.size() > kMaxLocalPart || !IsHostName(domainPart))
        return false;
    for (char c : localPart) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F)
            return false;
    }
    local.assign(localPart);
    domain.clear();
    for (char c : domainPart)
        domain += AsciiLower(c);
    return true;
}

bool ExpandPlaceholders(std::string_view text, std::string_view local, std::string_view domain, std::string& out)
{
    struct Placeholder {
        std::string_view m_sName;
        int m_nParts;  // 1 local part, 2 domain, 3 both
    };
    static constexpr Placeholder kPlaceholders[] = {
        {"%EMAILADDRESS%", 3}, {"%EMAILLOCALPART%", 1}, {"%EMAILDOMAIN%", 2}};
    out.clear();
    while (!text.empty()) {
        const size_t pos = text.find('%');
        out.append(text.substr(0, pos));
        if (pos == std::string_view::npos)
            return true;
        text.remove_prefix(pos);
        bool bKnown = false;
        for (const Placeholder& p : kPlaceholders) {
            if (text.substr(0, p.m_sName.size()) != p.m_sName)
                continue;
            if (p.m_nParts & 1)
                out.append(local);
            if (p.m_nParts == 3)
                out += '@';
            if (p.m_nParts & 2)
                out.append(domain);
            text.remove_prefix(p.m_sName.size());
            bKnown = true;
            break;
        }
        if (!bKnown)
            return false;
    }
    return true;
}

}  // namespace mail_setup
