// The sender signals on whole header blocks: Authentication-Results from the
// account's own side only, impersonated names, look-alike domains, and the
// trusted senders that override them.
#include <QTest>

#include "core/filters/AuthResults.h"
#include "core/filters/FilterLists.h"
#include "core/pop3/Pop3Message.h"
#include "core/rows/ReadableRow.h"
#include "core/rows/RowBuilder.h"

class TestSenderSignals : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void senderSignals_data();
    void senderSignals();
};

void TestSenderSignals::parse_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("read");  // "id: method=result prop=value ..." ; empty: refused

    // RFC 8601 Appendix B.
    QTest::newRow("B.2 none") << QByteArray("example.org 1; none") << QStringLiteral("example.org:");
    QTest::newRow("B.4 auth and spf")
        << QByteArray("example.com;\r\n          auth=pass (cram-md5) smtp.auth=sender@example.net;\r\n"
                      "          spf=pass smtp.mailfrom=example.net")
        << QStringLiteral("example.com: auth=pass smtp.auth=sender@example.net spf=pass smtp.mailfrom=example.net");
    QTest::newRow("B.6 two signatures") << QByteArray(
        "example.com; dkim=pass (good signature) header.d=mail-router.example.net;"
        " dkim=fail (bad signature) header.d=newyork.example.com")
                                        << QStringLiteral(
                                               "example.com: dkim=pass header.d=mail-router.example.net dkim=fail "
                                               "header.d=newyork.example.com");
    QTest::newRow("quoted id, nested comments, blanks around '=' and '.'")
        << QByteArray("\"mx.provider.example\" (edge (inner \\) still)) 1 ; dmarc = fail (p=reject)"
                      " header . from = bank.example reason=\"no; alignment\"")
        << QStringLiteral("mx.provider.example: dmarc=fail header.from=bank.example reason=no; alignment");
    QTest::newRow("typical provider: base64 and @ in values, untyped property")
        << QByteArray("mx.google.com; dkim=pass header.i=@shop.example header.s=s1 header.b=\"Ab+/9=\";"
                      " spf=pass (google.com: domain of a@shop.example designates 192.0.2.1 as permitted sender)"
                      " smtp.mailfrom=a@shop.example; dmarc=pass (p=NONE) header.from=shop.example action=none")
        << QStringLiteral("mx.google.com: dkim=pass header.i=@shop.example header.s=s1 header.b=Ab+/9= spf=pass "
                          "smtp.mailfrom=a@shop.example dmarc=pass header.from=shop.example action=none");
    QTest::newRow("no authserv-id (results alone)") << QByteArray("spf=pass smtp.mailfrom=a.example") << QString();
    QTest::newRow("unknown version") << QByteArray("example.org 2; none") << QString();
    QTest::newRow("unclosed comment") << QByteArray("example.org; spf=pass (open") << QString();
    QTest::newRow("result without =") << QByteArray("example.org; spf pass") << QString();
    QTest::newRow("comments nested too deep") << QByteArray("example.org ((((((((((x)))))))))); none") << QString();
}

void TestSenderSignals::parse()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, read);
    const std::optional<auth_results::Field> field = auth_results::Parse(value.toStdString());
    QCOMPARE(field.has_value(), !read.isEmpty());
    if (!field)
        return;
    std::string text = field->m_sAuthServId + ":";
    for (const auth_results::Result& result : field->m_aResults) {
        text += " " + result.m_sMethod + "=" + result.m_sResult;
        for (const auth_results::Property& property : result.m_aProperties)
            text += " " + (property.m_sType.empty() ? "" : property.m_sType + ".") + property.m_sName + "="
                + property.m_sValue;
    }
    QCOMPARE(QString::fromStdString(text), read);
}

void TestSenderSignals::senderSignals_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QString>("authServIds");
    QTest::addColumn<QStringList>("trusted");
    QTest::addColumn<QString>("reason");  // empty: not suspect

    const QByteArray own = "Authentication-Results: mx.provider.example;\r\n";
    const QByteArray fromBank = "From: Bank <alerts@bank.example>\r\nSubject: Your account\r\n";
    const QString dmarcBank =
        QStringLiteral("The sender's domain bank.example failed DMARC (checked by mx.provider.example)");

    QTest::newRow("dmarc=fail from the own server") << own
            + "  spf=pass smtp.mailfrom=bank.example; dkim=none;\r\n  dmarc=fail (p=reject) "
              "header.from=bank.example\r\n"
            + fromBank << QString() << QStringList() << dmarcBank;
    QTest::newRow("forged pass below the own fail") << own + "  dmarc=fail header.from=bank.example\r\n"
            + "Authentication-Results: mx.provider.example; dmarc=pass header.from=bank.example\r\n"
            + fromBank << QString() << QStringList() << dmarcBank;
    QTest::newRow("forged fail below the own pass") << own + "  dmarc=pass header.from=bank.example\r\n"
            + "Authentication-Results: mx.provider.example; dmarc=fail header.from=bank.example\r\n"
            + fromBank << QString() << QStringList() << QString();
    QTest::newRow("pass, foreign fail below")
        << own + "  spf=pass smtp.mailfrom=bank.example; dmarc=pass header.from=bank.example\r\n"
            + "Authentication-Results: relay.elsewhere.example; dmarc=fail header.from=bank.example\r\n" + fromBank
        << QString() << QStringList() << QString();
    QTest::newRow("foreign fail alone") << QByteArray(
                                               "Authentication-Results: provider.example.evil.example; dmarc=fail\r\n")
            + fromBank << QString() << QStringList()
                                        << QString();
    QTest::newRow("spf=fail, no dkim")
        << own + "  spf=fail smtp.mailfrom=alerts@bank.example; dkim=none\r\n" + fromBank << QString() << QStringList()
        << QStringLiteral("The sender's domain bank.example failed SPF and has no passing DKIM signature "
                          "(checked by mx.provider.example)");
    QTest::newRow("forwarded: spf=fail, dkim=pass for the sender")
        << own + "  spf=fail (forwarder not permitted) smtp.mailfrom=bank.example;\r\n"
            + "  dkim=pass header.d=bank.example; dmarc=pass header.from=bank.example\r\n"
            + "Received: from forwarder.example\r\n" + fromBank
        << QString() << QStringList() << QString();
    QTest::newRow("mailing list: dkim=pass, spf=softfail")
        << own + "  dkim=pass header.d=lists.example.org; spf=softfail smtp.mailfrom=lists.example.org;\r\n"
            + "  dmarc=none header.from=member.example\r\n"
            + "From: Member <member@member.example>\r\nList-Id: <talk.lists.example.org>\r\n"
        << QString() << QStringList() << QString();
    QTest::newRow("the user's authserv-id")
        << QByteArray("Authentication-Results: mx.google.com; dkim=pass header.i=@other.example;\r\n"
                      "  dmarc=fail (p=NONE sp=NONE dis=NONE) header.from=shop.example\r\n"
                      "From: Shop <deals@shop.example>\r\n")
        << QStringLiteral("smtp.example, mx.google.com") << QStringList()
        << QStringLiteral("The sender's domain shop.example failed DMARC (checked by mx.google.com)");
    QTest::newRow("trusted sender, failed DMARC from the own side")
        << own + "  dmarc=fail header.from=bank.example\r\n" + fromBank << QString()
        << QStringList{QStringLiteral("alerts@bank.example")}
        << QStringLiteral("The sender is on the trusted list, but its domain bank.example failed DMARC (checked by "
                          "mx.provider.example)");
    QTest::newRow("trusted sender forged, the user's authserv-id")
        << QByteArray("Authentication-Results: mx.example.net; dmarc=fail (p=reject) header.from=example.com\r\n"
                      "From: Boss <boss@example.com>\r\n")
        << QStringLiteral("mx.example.net") << QStringList{QStringLiteral("boss@example.com")}
        << QStringLiteral("The sender is on the trusted list, but its domain example.com failed DMARC (checked by "
                          "mx.example.net)");
    QTest::newRow("trusted sender, fail only from a foreign side")
        << QByteArray("Authentication-Results: relay.elsewhere.example; dmarc=fail header.from=bank.example\r\n")
            + fromBank
        << QString() << QStringList{QStringLiteral("@bank.example")} << QString();
    QTest::newRow("trusted sender wins over its display name")
        << QByteArray("From: \"service@paypal.com\" <boss@example.com>\r\n") << QString()
        << QStringList{QStringLiteral("boss@example.com")} << QString();
    QTest::newRow("display name is another address")
        << QByteArray("From: \"service@paypal.com\" <x@evil.example>\r\n") << QString() << QStringList()
        << QStringLiteral("The sender's name shows service@paypal.com, but the mail comes from evil.example");
    QTest::newRow("display name is another domain")
        << QByteArray("From: PayPal.com Support <help@support-desk.example>\r\n") << QString() << QStringList()
        << QStringLiteral("The sender's name shows PayPal.com, but the mail comes from support-desk.example");
    QTest::newRow("display name is the sender's own domain")
        << QByteArray("From: \"Amazon.com\" <shipment-tracking@amazon.com>\r\n") << QString() << QStringList()
        << QString();
    QTest::newRow("display name is a trusted sender")
        << QByteArray("From: boss@company.example <boss.office@company.example>\r\n") << QString()
        << QStringList{QStringLiteral("boss@company.example")}
        << QStringLiteral("The sender's name is the trusted sender boss@company.example, but the address is "
                          "boss.office@company.example");
    QTest::newRow("Cyrillic look-alike")
        << QByteArray("From: PayPal <service@xn--l-7sba6dbr.com>\r\n") << QString() << QStringList()
        << QStringLiteral("The sender's domain \u0440\u0430\u0443\u0440\u0430l.com (xn--l-7sba6dbr.com) mixes "
                          "letters of different scripts");
    QTest::newRow("digit for letter") << QByteArray("From: PayPal <service@login.paypa1.com>\r\n") << QString()
                                      << QStringList()
                                      << QStringLiteral("The sender's domain login.paypa1.com looks like paypal.com");
    QTest::newRow("one edit from a trusted domain")
        << QByteArray("From: Payroll <pay@cornpany-hr.example>\r\n") << QString()
        << QStringList{QStringLiteral("@company-hr.example")}
        << QStringLiteral("The sender's domain cornpany-hr.example looks like company-hr.example");
    QTest::newRow("two letters swapped")
        << QByteArray("From: Support <help@micorsoft.com>\r\n") << QString() << QStringList()
        << QStringLiteral("The sender's domain micorsoft.com is one letter away from microsoft.com");
    QTest::newRow("all Cyrillic, its skeleton one letter away")
        << QByteArray("From: Apple <id@xn--80ak6aa92e.com>\r\n") << QString() << QStringList()
        << QStringLiteral("The sender's domain \u0430\u0440\u0440\u04cf\u0435.com (xn--80ak6aa92e.com) looks like "
                          "apple.com");
    QTest::newRow("a brand as a label of another registrable domain")
        << QByteArray("From: <service@paypal.com.secure-login.net>\r\n") << QString() << QStringList()
        << QStringLiteral("The sender's domain paypal.com.secure-login.net carries the name PayPal but is not one of "
                          "PayPal's");
    QTest::newRow("a name saying a brand over another domain")
        << QByteArray("From: \"DHL Express\" <noreply@parcel-notice.example>\r\n") << QString() << QStringList()
        << QStringLiteral("The sender's name says DHL, but the mail comes from parcel-notice.example, which is not "
                          "one of DHL's domains");
    QTest::newRow("a letter in front is another name") << QByteArray("From: Cloud <news@cloud.com>\r\n") << QString()
                                                       << QStringList() << QString();
    QTest::newRow("the brand under another public suffix")
        << QByteArray("From: Amazon <order-update@amazon.co.uk>\r\n") << QString() << QStringList() << QString();
    QTest::newRow("the real domain's subdomain")
        << QByteArray("From: PayPal <service@mail.paypal.com>\r\n") << QString() << QStringList() << QString();
    QTest::newRow("other top-level domain of the name")
        << QByteArray("From: Google <noreply@google.de>\r\n") << QString() << QStringList() << QString();
}

void TestSenderSignals::senderSignals()
{
    QFETCH(QByteArray, header);
    QFETCH(QString, authServIds);
    QFETCH(QStringList, trusted);
    QFETCH(QString, reason);

    CPop3Message message;
    message.SetText(header.toStdString() + "\r\n");
    MessageRow row = BuildMessageRow(1, 2000, message);
    AddReadableTexts(row);
    FilterLists lists;
    for (const QString& entry : trusted)
        QVERIFY(lists.Append(kFilterTrusted, entry.toStdString()));
    SignalOptions options{true, true, true, "pop.provider.example", {}};
    for (const QString& id : authServIds.split(',', Qt::SkipEmptyParts))
        options.m_aAuthServIds.push_back(id.trimmed().toStdString());
    lists.SetSignals(options);

    const int verdict = ClassifyRow(lists, row, &message);
    QCOMPARE(QString::fromStdString(row.m_sReason), reason);
    QCOMPARE(verdict, reason.isEmpty() ? 0 : kSuspectBySignal);

    // Without the header (a reclassification) the scan's reason stands.
    const std::string kept = row.m_sReason;
    QCOMPARE(ClassifyRow(lists, row, nullptr, &kept), reason.isEmpty() ? 0 : kSuspectBySignal);
    lists.SetSignals({});
    QCOMPARE(ClassifyRow(lists, row, &message), 0);
}

QTEST_APPLESS_MAIN(TestSenderSignals)
#include "test_sender_signals.moc"
