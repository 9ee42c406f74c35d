// Look-alike senders measured on real-world shapes: domains and names that
// imitate a brand, and ordinary mail from the brands themselves and from
// everyone else. Prints the misses and false alarms, and fails when either
// grows past what was measured.
#include <QTest>

#include "core/filters/SenderSignals.h"

namespace {

struct Shape {
    const char* m_sName;   // the display name, UTF-8; "" for none
    const char* m_sEmail;  // the address
};

// Imitations, as phishing mail sends them.
constexpr Shape kImitations[] = {
    {"Apple", "id@xn--80ak6aa92e.com"},         // аррӏе.com, all Cyrillic
    {"PayPal", "service@xn--80aa0cbo65f.com"},  // раураӏ.com, all Cyrillic
    {"PayPal", "service@xn--pypal-4ve.com"},    // pаypal.com, one Cyrillic letter
    {"Amazon", "orders@xn--mazon-3ve.com"},     // аmazon.com
    {"", "security@xn--gogle-jye.com"},         // gоogle.com
    {"", "support@xn--pple-43d.com"},           // аpple.com
    {"", "account@xn--micrsoft-qbh.com"},       // micrоsoft.com
    {"", "security@xn--facebok-ejg.com"},       // facebоok.com
    {"", "billing@xn--ntflix-3of.com"},         // nеtflix.com
    {"", "member@xn--bay-qdd.com"},             // еbay.com
    {"", "service@paypal.com.secure-login.net"},
    {"", "service@paypal-secure.com"},
    {"DHL Express", "noreply@dhl-parcel-tracking.info"},
    {"", "service@paypa1.com"},
    {"", "service@login.paypa1.com"},
    {"", "help@micorsoft.com"},
    {"", "account@rnicrosoft.com"},
    {"", "orders@arnazon.com"},
    {"", "orders@amaz0n.com"},
    {"", "alert@amazon-security-alert.com"},
    {"", "verify@amazon.account-verify.net"},
    {"", "no-reply@g00gle.com"},
    {"", "no-reply@gooogle.com"},
    {"", "no-reply@googIe.com"},
    {"", "security@faceb00k.com"},
    {"", "security@facebook-support.net"},
    {"", "no-reply@lnstagram.com"},
    {"", "help@instagram-help.org"},
    {"", "info@netfIix.com"},
    {"", "billing@netflix-billing.com"},
    {"", "update@netflix.account-update.info"},
    {"", "messages@linkedln.com"},
    {"", "jobs@linkedin-jobs.net"},
    {"", "share@dropbox-share.com"},
    {"", "share@dropb0x.com"},
    {"", "sign@docusign-document.com"},
    {"", "dse@docusiqn.com"},
    {"", "mail@yah00.com"},
    {"", "resolution@ebay-resolution.com"},
    {"", "check@ebay.com.account-check.ru"},
    {"PayPal", "service@paypal-notice.info"},
    {"PayPal Service", "no-reply@secure-pp.info"},
    {"Apple Support", "support@id-verify.info"},
    {"iCloud", "noreply@storage-full-alert.com"},
    {"Microsoft 365", "admin@mailbox-quota.net"},
    {"Amazon", "order-update@shipment-notice.co"},
    {"Netflix", "info@membership-hold.com"},
    {"DocuSign", "dse@sign-docs.net"},
    {"Google Security", "no-reply@accounts-alert.com"},
    {"LinkedIn", "messages@inmail-notify.com"},
    {"Dropbox", "no-reply@file-transfer-share.com"},
    {"eBay", "member@ebay-messages.net"},
    {"DHL", "tracking@parcel-status.info"},
    {"Yahoo Mail", "admin@mail-quota.info"},
    {"Facebook", "security@fb-help-center.com"},
    {"", "auth@microsoftonline-auth.com"},
    {"", "login@office365-login.com"},
    {"", "security@hotmail-security.com"},
    {"", "support@gmail-support.net"},
    {"", "verify@outlook-verify.com"},
    {"", "support@appleid-support.com"},
    {"", "alerts@wellsfarg0.com"},
    {"", "alerts@chase-online-secure.com"},
};

// Ordinary mail: the brands' own, and others.
constexpr Shape kOrdinary[] = {
    {"Cloud Software Group", "news@cloud.com"},
    {"Google", "noreply@google.de"},
    {"PayPal", "service@mail.paypal.com"},
    {"Amazon.com", "shipment-tracking@amazon.com"},
    {"Amazon.de", "versandbestaetigung@amazon.de"},
    {"Amazon", "order-update@amazon.co.uk"},
    {"Amazon Prime", "store-news@amazon.fr"},
    {"Amazon Web Services", "aws-marketing-email-replies@amazon.com"},
    {"PayPal", "service@paypal.de"},
    {"PayPal", "service@intl.paypal.com"},
    {"PayPal", "paypal@mail.paypal.co.uk"},
    {"Apple", "no_reply@email.apple.com"},
    {"iCloud", "noreply@icloud.com"},
    {"Microsoft account team", "account-security-noreply@accountprotection.microsoft.com"},
    {"Microsoft Teams", "noreply@email.teams.microsoft.com"},
    {"Office 365 Message center", "o365mc@microsoft.com"},
    {"Outlook.com Team", "no-reply@outlook.com"},
    {"Google", "no-reply@accounts.google.com"},
    {"Google Calendar", "calendar-notification@google.com"},
    {"Google Play", "googleplay-noreply@google.com"},
    {"YouTube", "noreply@youtube.com"},
    {"Facebook", "notification@facebookmail.com"},
    {"Facebook Ads", "advertise-noreply@support.facebook.com"},
    {"Instagram", "no-reply@mail.instagram.com"},
    {"Netflix", "info@mailer.netflix.com"},
    {"Netflix", "info@members.netflix.com"},
    {"LinkedIn", "messages-noreply@linkedin.com"},
    {"Dropbox", "no-reply@dropboxmail.com"},
    {"Dropbox Sign", "noreply@mail.hellosign.com"},
    {"DocuSign NA3 System", "dse_NA3@docusign.net"},
    {"Yahoo", "no-reply@cc.yahoo-inc.com"},
    {"eBay", "ebay@ebay.com"},
    {"eBay Kleinanzeigen", "noreply@ebay-kleinanzeigen.de"},
    {"DHL Paket", "noreply@dhl.de"},
    {"DHL Express", "noreply@dhl.com"},
    {"GitHub", "noreply@github.com"},
    {"Jane Doe", "jane.doe@gmail.com"},
    {"Bob", "bob@outlook.com"},
    {"Chase", "no.reply.alerts@chase.com"},
    {"Spotify", "no-reply@spotify.com"},
    {"Stack Overflow", "do-not-reply@stackoverflow.email"},
    {"Zoom", "no-reply@zoom.us"},
    {"Slack", "feedback@slack.com"},
    {"The New York Times", "nytdirect@nytimes.com"},
    {"Debian Bug Tracking System", "owner@bugs.debian.org"},
    {"Mailchimp", "noreply@mailchimp.com"},
    {"Etsy", "transaction@etsy.com"},
    {"Booking.com", "noreply@booking.com"},
    {"Airbnb", "automated@airbnb.com"},
    {"Uber Receipts", "noreply@uber.com"},
    {"Deutsche Bahn", "noreply@bahn.de"},
    {"Sparkasse", "info@sparkasse.de"},
    {"Apple Hill Farm", "news@applehillfarm.com"},
    {"Outlook India", "newsletter@outlookindia.com"},
    {"Office Depot", "officedepot@e.officedepot.com"},
    {"Cloudflare", "noreply@notify.cloudflare.com"},
    {"Medium Daily Digest", "noreply@medium.com"},
    {"Wikipedia", "wiki@wikimedia.org"},
    {"Stripe", "receipts@stripe.com"},
    {"Proton", "no-reply@proton.me"},
    {"Hotels.com", "hotels@mail.hotels.com"},
    {"IKEA", "ikea@email.ikea.com"},
    {"Yahoo Finance", "yahoo@mail.comms.yahoo.net"},
    {"Le Monde", "newsletter@lemonde.fr"},
    {"Mercado Libre", "info@mercadolibre.com.ar"},
    {"BBC", "newsletters@bbc.co.uk"},
    {"Ana", "ana@correo.ucm.es"},
    {"AWS Notifications", "no-reply@sns.amazonaws.com"},
    {"Kitchen list", "kitchen+noreply@googlegroups.com"},
    {"Yahoo! JAPAN", "info@mail.yahoo.co.jp"},
    {"LinkedIn Learning", "learning@linkedin.com"},
    {"PayPal Giving Fund", "receipts@paypalgivingfund.org"},
    {"Governo do Amazonas", "contato@amazonas.am.gov.br"},
};

// Misses and false alarms as measured; more of either fails.
constexpr int kMeasuredMisses = 2;
constexpr int kMeasuredFalseAlarms = 3;

std::string ReasonFor(const Shape& shape)
{
    const SignalOptions options{false, true, true, "pop.provider.example", {}};
    return SenderSignalReason(options, {}, SenderFacts{shape.m_sName, shape.m_sEmail, {}});
}

}  // namespace

class TestLookAlike : public QObject {
    Q_OBJECT
private slots:
    void realWorldShapes();
};

void TestLookAlike::realWorldShapes()
{
    QVERIFY(std::size(kImitations) >= 50 && std::size(kOrdinary) >= 50);
    int misses = 0;
    int falseAlarms = 0;
    for (const Shape& shape : kImitations) {
        if (ReasonFor(shape).empty()) {
            ++misses;
            qInfo("missed: \"%s\" <%s>", shape.m_sName, shape.m_sEmail);
        }
    }
    for (const Shape& shape : kOrdinary) {
        const std::string reason = ReasonFor(shape);
        if (!reason.empty()) {
            ++falseAlarms;
            qInfo("false alarm: \"%s\" <%s>: %s", shape.m_sName, shape.m_sEmail, reason.c_str());
        }
    }
    qInfo("look-alikes: %d of %zu missed; ordinary: %d of %zu flagged", misses, std::size(kImitations), falseAlarms,
          std::size(kOrdinary));
    QVERIFY(misses <= kMeasuredMisses);
    QVERIFY(falseAlarms <= kMeasuredFalseAlarms);
}

QTEST_APPLESS_MAIN(TestLookAlike)
#include "test_look_alike.moc"
