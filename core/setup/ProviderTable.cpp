#include "ProviderTable.h"

#include "core/platform/CoreText.h"

#include <iterator>

namespace provider_table {
namespace {

// Every server below takes implicit TLS on 995 only (RFC 8314 §3.3).
constexpr const char* kGmailNote =
    QT_TRANSLATE_NOOP("Setup",
                      "Switch POP on in Gmail's settings (Forwarding and POP/IMAP) first. Sign in with "
                      "OAuth 2.0, or choose Automatic and use an app password (it needs 2-Step Verification).");
constexpr const char* kAppPasswordNote =
    QT_TRANSLATE_NOOP("Setup", "Create an app password at the provider and enter it as the password.");
constexpr const char* kGmxNote = QT_TRANSLATE_NOOP("Setup", "Switch POP3 and IMAP access on in GMX's settings first.");
constexpr const char* kZohoNote = QT_TRANSLATE_NOOP(
    "Setup",
    "Switch POP access on in Zoho Mail's settings first; with two-factor authentication, use an app password.");

// clang-format off
constexpr Provider kProviders[] = {
    {"Gmail", "gmail.com googlemail.com", "pop.gmail.com", true, kGmailNote,
     "https://support.google.com/mail/answer/7104828", true},
    {"Outlook.com",
     "outlook.com hotmail.com live.com msn.com passport.com outlook.de outlook.fr outlook.es outlook.it "
     "hotmail.co.uk hotmail.de hotmail.fr hotmail.it hotmail.es live.co.uk live.de live.fr live.it live.nl",
     "outlook.office365.com", true,
     QT_TRANSLATE_NOOP("Setup", "Microsoft takes only OAuth 2.0 sign-in. POP may have to be switched on in "
                                "Outlook.com's settings (Mail > Forwarding and IMAP)."),
     "https://support.microsoft.com/en-us/office/pop-imap-and-smtp-settings-8361e398-8af4-4e97-b147-6c6c4ac95353"},
    {"Microsoft 365", "*.onmicrosoft.com", "outlook.office365.com", true,
     QT_TRANSLATE_NOOP("Setup", "Microsoft takes only OAuth 2.0 sign-in; your organisation may have to allow POP "
                                "for your mailbox."),
     "https://learn.microsoft.com/exchange/clients-and-mobile-in-exchange-online/pop3-and-imap4/pop3-and-imap4"},
    {"Yahoo Mail",
     "yahoo.com ymail.com rocketmail.com yahoo.co.uk yahoo.de yahoo.fr yahoo.es yahoo.it yahoo.ca yahoo.com.au",
     "pop.mail.yahoo.com", false, kAppPasswordNote, "https://help.yahoo.com/kb/SLN15241.html"},
    {"AOL Mail", "aol.com aim.com", "pop.aol.com", false, kAppPasswordNote,
     "https://help.aol.com/articles/Create-and-manage-app-password"},
    {"Fastmail", "fastmail.com fastmail.fm fastmail.net fastmail.org messagingengine.com", "pop.fastmail.com",
     false,
     QT_TRANSLATE_NOOP("Setup", "Fastmail takes only an app password here, never your account's own password."),
     "https://www.fastmail.com/help/clients/apppassword.html"},
    {"GMX", "gmx.de gmx.net gmx.at gmx.ch", "pop.gmx.net", false,
     kGmxNote, "https://hilfe.gmx.net/pop-imap/einschalten.html"},
    {"GMX", "gmx.com gmx.us gmx.co.uk gmx.fr gmx.es gmx.it", "pop.gmx.com", false,
     kGmxNote, "https://support.gmx.com/pop-imap/toggle.html"},
    {"WEB.DE", "web.de", "pop3.web.de", false,
     QT_TRANSLATE_NOOP("Setup", "Switch POP3 and IMAP access on in WEB.DE's settings first."),
     "https://hilfe.web.de/pop-imap/einschalten.html"},
    {"Zoho Mail", "zoho.com zohomail.com", "pop.zoho.com", false,
     kZohoNote, "https://www.zoho.com/mail/help/pop-access.html"},
    {"Zoho Mail", "zoho.eu zohomail.eu", "pop.zoho.eu", false,
     kZohoNote, "https://www.zoho.com/mail/help/pop-access.html"},
    {"Yandex Mail", "yandex.com yandex.ru ya.ru yandex.by yandex.kz yandex.ua", "pop.yandex.com", false,
     kAppPasswordNote, "https://yandex.com/support/id/authorization/app-passwords.html"},
    {"iCloud Mail", "icloud.com me.com mac.com", nullptr, false,
     QT_TRANSLATE_NOOP("Setup", "iCloud Mail offers no POP3 access (IMAP only), so Mavix cannot screen it."),
     "https://support.apple.com/102525"},
};
// clang-format on

bool Serves(std::string_view domains, std::string_view domain)
{
    while (!domains.empty()) {
        const size_t end = domains.find(' ');
        const std::string_view entry = domains.substr(0, end);
        if (entry == domain)
            return true;
        // "*.example.com": a subdomain of it (never example.com itself).
        if (entry.size() > 2 && entry.substr(0, 2) == "*." && domain.size() > entry.size() - 1
            && domain.substr(domain.size() - (entry.size() - 1)) == entry.substr(1))
            return true;
        domains.remove_prefix(end == std::string_view::npos ? domains.size() : end + 1);
    }
    return false;
}

}  // namespace

const Provider* Find(std::string_view domain)
{
    for (const Provider& provider : kProviders) {
        if (Serves(provider.m_sDomains, domain))
            return &provider;
    }
    return nullptr;
}

std::string Note(const Provider& provider)
{
    return core_text::SayUtf8("Setup", provider.m_sNote);
}

MailSetup SetupFor(const Provider& provider, std::string_view local, std::string_view domain)
{
    MailSetup setup;
    setup.m_sServer = provider.m_sServer ? provider.m_sServer : "";
    setup.m_sPort = "995";
    setup.m_sSecurity = "2";
    setup.m_sUser.assign(local).append("@").append(domain);
    setup.m_sAuth = provider.m_bOAuth ? "oauth2" : "auto";
    setup.m_sProvider = provider.m_sName;
    setup.m_sNote = Note(provider);
    setup.m_sHelpUrl = provider.m_sHelpUrl;
    setup.m_bPasswordToo = provider.m_bPasswordToo;
    return setup;
}

}  // namespace provider_table
