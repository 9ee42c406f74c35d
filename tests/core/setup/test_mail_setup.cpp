// Account setup from an e-mail address: the built-in providers, the
// autoconfig file's parser (well-formed and hostile files), and the lookup
// over HTTPS against a loopback server that trusts only the test's CA.

#include "core/setup/AutoconfigLookup.h"
#include "core/setup/AutoconfigParser.h"
#include "core/setup/ProviderTable.h"
#include "core/storage/AccountSettings.h"
#include "tests/support/FakeAutoconfigServer.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QByteArray kPop3Ssl = R"(<?xml version="1.0"?>
<clientConfig version="1.1"><emailProvider id="example.org">
  <domain>example.org</domain><displayName>Example Mail</displayName>
  <incomingServer type="pop3"><hostname>pop.example.org</hostname><port>995</port>
    <socketType>SSL</socketType><authentication>password-cleartext</authentication>
    <username>%EMAILADDRESS%</username></incomingServer>
</emailProvider></clientConfig>)";

QByteArray Config(const QByteArray& servers, const QByteArray& extra = {})
{
    return "<clientConfig version=\"1.1\"><emailProvider id=\"example.org\">" + servers + extra
        + "</emailProvider></clientConfig>";
}

QByteArray Server(const QByteArray& type, const QByteArray& host, const QByteArray& port, const QByteArray& socket,
                  const QByteArray& auth = "<authentication>password-cleartext</authentication>",
                  const QByteArray& user = "%EMAILADDRESS%")
{
    return "<incomingServer type=\"" + type + "\"><hostname>" + host + "</hostname>"
        + (port.isEmpty() ? QByteArray() : "<port>" + port + "</port>") + "<socketType>" + socket + "</socketType>"
        + auth + "<username>" + user + "</username></incomingServer>";
}

}  // namespace

class TestMailSetup : public QObject {
    Q_OBJECT
private slots:
    void providers_data();
    void providers();
    void parse_data();
    void parse();
    void lookup_data();
    void lookup();
};

void TestMailSetup::providers_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected");  // server port security user auth; "none": not in the table; "bad"
    QTest::addColumn<QString>("note");      // a part of the notice

    QTest::newRow("gmail") << "ann@gmail.com"
                           << "pop.gmail.com 995 2 ann@gmail.com oauth2"
                           << "Forwarding and POP/IMAP";
    QTest::newRow("googlemail, case and blanks") << "  Ann@GoogleMail.COM. "
                                                 << "pop.gmail.com 995 2 Ann@googlemail.com oauth2"
                                                 << "app password";
    QTest::newRow("hotmail.co.uk") << "b@hotmail.co.uk"
                                   << "outlook.office365.com 995 2 b@hotmail.co.uk oauth2"
                                   << "only OAuth 2.0";
    QTest::newRow("Microsoft 365 tenant") << "c@contoso.onmicrosoft.com"
                                          << "outlook.office365.com 995 2 c@contoso.onmicrosoft.com oauth2"
                                          << "allow POP";
    QTest::newRow("onmicrosoft.com itself") << "c@onmicrosoft.com"
                                            << "none"
                                            << "";
    QTest::newRow("yahoo") << "d@yahoo.de"
                           << "pop.mail.yahoo.com 995 2 d@yahoo.de auto"
                           << "app password";
    QTest::newRow("gmx.com") << "e@gmx.com"
                             << "pop.gmx.com 995 2 e@gmx.com auto"
                             << "Switch POP3";
    QTest::newRow("gmx.de") << "e@gmx.de"
                            << "pop.gmx.net 995 2 e@gmx.de auto"
                            << "Switch POP3";
    QTest::newRow("zoho.eu") << "f@zoho.eu"
                             << "pop.zoho.eu 995 2 f@zoho.eu auto"
                             << "two-factor";
    QTest::newRow("icloud: no POP") << "g@me.com"
                                    << " 995 2 g@me.com auto"
                                    << "no POP3";
    QTest::newRow("unknown domain") << "h@example.org"
                                    << "none"
                                    << "";
    QTest::newRow("no @") << "gmail.com"
                          << "bad"
                          << "";
    QTest::newRow("path in domain") << "i@gmail.com/x"
                                    << "bad"
                                    << "";
    QTest::newRow("port in domain") << "i@127.0.0.1:8443"
                                    << "bad"
                                    << "";
    QTest::newRow("blank in local part") << "i j@gmail.com"
                                         << "bad"
                                         << "";
    QTest::newRow("label ends with hyphen") << "i@gmail-.com"
                                            << "bad"
                                            << "";
}

// The table finds the provider by the address's domain and fills the
// account as AccountSettings stores it; an address that could change where
// a lookup's URL leads is refused.
void TestMailSetup::providers()
{
    QFETCH(QString, address);
    QFETCH(QString, expected);
    QFETCH(QString, note);

    std::string local, domain;
    const bool bSplit = mail_setup::SplitAddress(address.toStdString(), local, domain);
    QCOMPARE(bSplit, expected != QLatin1String("bad"));
    if (!bSplit)
        return;
    const provider_table::Provider* provider = provider_table::Find(domain);
    QCOMPARE(provider == nullptr, expected == QLatin1String("none"));
    if (!provider)
        return;
    const MailSetup setup = provider_table::SetupFor(*provider, local, domain);
    AccountSettings account;
    account.m_sPass = "kept";
    setup.ApplyTo(account);
    const QString got = QString::fromStdString(account.m_sServer + " " + account.m_sPort + " " + account.m_sSecurity
                                               + " " + account.m_sUser + " " + account.m_sAuth);
    QCOMPARE(got, expected);
    QCOMPARE(account.m_sPass, std::string("kept"));
    QVERIFY2(QString::fromStdString(setup.m_sNote).contains(note), setup.m_sNote.c_str());
    QVERIFY(QString::fromStdString(setup.m_sHelpUrl).startsWith("https://"));
}

void TestMailSetup::parse_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("expected");  // server port security user auth, or "error: <part of the reason>"

    const QByteArray ssl = Server("pop3", "pop.example.org", "995", "SSL");
    QTest::newRow("pop3 over TLS") << kPop3Ssl << "pop.example.org 995 2 ann@example.org auto";
    QTest::newRow("TLS first, pop3 only") << Config(Server("imap", "imap.example.org", "993", "SSL")
                                                    + Server("pop3", "stls.example.org", "110", "STARTTLS")
                                                    + Server("pop3", "plain.example.org", "110", "plain") + ssl)
                                          << "pop.example.org 995 2 ann@example.org auto";
    QTest::newRow("STLS before plain, default port")
        << Config(Server("pop3", "plain.example.org", "", "plain") + Server("pop3", "stls.example.org", "", "STARTTLS"))
        << "stls.example.org 110 1 ann@example.org auto";
    QTest::newRow("OAuth2 listed first") << Config(
        Server("pop3", "pop.example.org", "995", "SSL",
               "<authentication>OAuth2</authentication><authentication>password-cleartext</authentication>"))
                                         << "pop.example.org 995 2 ann@example.org oauth2";
    QTest::newRow("password listed first")
        << Config(Server("pop3", "pop.example.org", "995", "SSL",
                         "<authentication>password-encrypted</authentication><authentication>OAuth2</authentication>"))
        << "pop.example.org 995 2 ann@example.org auto";
    QTest::newRow("placeholders") << Config(Server("pop3", "pop.%EMAILDOMAIN%", "0995", "SSL", "", "%EMAILLOCALPART%"))
                                  << "pop.example.org 995 2 ann auto";
    QTest::newRow("unknown user placeholder")
        << Config(Server("pop3", "pop.example.org", "995", "SSL", "", "%REALNAME%")) << "pop.example.org 995 2  auto";
    QTest::newRow("only methods we lack")
        << Config(Server("pop3", "pop.example.org", "995", "SSL", "<authentication>NTLM</authentication>"))
        << "error: no POP3 server";
    QTest::newRow("imap only") << Config(Server("imap", "imap.example.org", "993", "SSL")) << "error: no POP3 server";
    QTest::newRow("host that is a URL") << Config(Server("pop3", "evil.example/x?", "995", "SSL"))
                                        << "error: no POP3 server";
    QTest::newRow("port out of range") << Config(Server("pop3", "pop.example.org", "65536", "SSL"))
                                       << "error: no POP3 server";
    QTest::newRow("unknown socket type") << Config(Server("pop3", "pop.example.org", "995", "TLS1.3"))
                                         << "error: no POP3 server";
    QTest::newRow("wrong root") << QByteArray("<html><body>404</body></html>") << "error: not a mail configuration";
    QTest::newRow("not well-formed") << kPop3Ssl.left(kPop3Ssl.size() - 30) << "error: not well-formed";
    QTest::newRow("empty") << QByteArray() << "error: not well-formed";
    QTest::newRow("entity declarations") << QByteArray(
        "<?xml version=\"1.0\"?><!DOCTYPE c [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
        "<clientConfig>&b;</clientConfig>")
                                         << "error: not a mail configuration";
    QTest::newRow("huge") << Config(ssl, "<!--" + QByteArray(autoconfig_parser::kMaxFileBytes, 'x') + "-->")
                          << "error: too large";
    QTest::newRow("deep") << Config(ssl, QByteArray("<x>").repeated(20) + QByteArray("</x>").repeated(20))
                          << "error: nested too deeply";
    QTest::newRow("long value") << Config(Server("pop3", QByteArray(3000, 'a'), "995", "SSL")) << "error: too long";
    QTest::newRow("too many servers") << Config(ssl.repeated(autoconfig_parser::kMaxIncomingServers + 1))
                                      << "error: too many servers";
}

// The parser picks the best POP3 server a file names, fills in the
// placeholders, and refuses anything malformed, oversized or hostile with a
// reason.
void TestMailSetup::parse()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, expected);

    MailSetup setup;
    std::string error;
    const bool bOk = autoconfig_parser::Parse(xml, "ann", "example.org", setup, &error);
    if (expected.startsWith("error: ")) {
        QVERIFY(!bOk);
        QVERIFY2(QString::fromStdString(error).contains(expected.mid(7)), error.c_str());
        return;
    }
    QVERIFY2(bOk, error.c_str());
    QCOMPARE(QString::fromStdString(setup.m_sServer + " " + setup.m_sPort + " " + setup.m_sSecurity + " "
                                    + setup.m_sUser + " " + setup.m_sAuth),
             expected);
}

void TestMailSetup::lookup_data()
{
    QTest::addColumn<QByteArray>("first");   // what autoconfig.<domain> answers ("": 404)
    QTest::addColumn<QByteArray>("second");  // what <domain>/.well-known answers
    QTest::addColumn<bool>("trusted");       // the client trusts the test's CA
    QTest::addColumn<QString>("expected");   // the server found, or "none: <part of the reason>"
    QTest::addColumn<QString>("findings");   // what the user must agree to, "|" between; empty: nothing

    const QByteArray ok = HttpsServer::Ok(kPop3Ssl);
    const QByteArray enable =
        HttpsServer::Ok(Config(Server("pop3", "pop.example.org", "995", "SSL"),
                               "<enable visiturl=\"https://example.org/pop\"><instruction>Switch POP on."
                               "</instruction></enable>"));
    const QString plain = QStringLiteral("The server %1 takes the password without encryption (Security: None)");
    const QString foreign = QStringLiteral("The server %1 is not in the domain example.org");
    QTest::newRow("autoconfig host answers") << ok << QByteArray() << true << "pop.example.org Example Mail"
                                             << QString();
    QTest::newRow("then .well-known") << QByteArray() << enable << true << "pop.example.org Switch POP on."
                                      << QString();
    QTest::newRow("neither") << QByteArray() << QByteArray() << true << "none: answered 404" << QString();
    QTest::newRow("certificate not trusted") << ok << ok << false << "none: 127.0.0.1" << QString();
    QTest::newRow("redirect off https") << QByteArray("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:1/x\r\n"
                                                      "Content-Length: 0\r\nConnection: close\r\n\r\n")
                                        << QByteArray() << true << "none: not https" << QString();
    QTest::newRow("too large") << HttpsServer::Ok(QByteArray(autoconfig_parser::kMaxFileBytes + 10, ' '))
                               << QByteArray() << true << "none: too large" << QString();
    QTest::newRow("plain-text server") << HttpsServer::Ok(Config(Server("pop3", "pop.example.org", "110", "plain")))
                                       << QByteArray() << true << "pop.example.org "
                                       << plain.arg("pop.example.org");
    QTest::newRow("another domain's server, in the clear")
        << HttpsServer::Ok(Config(Server("pop3", "mail.collector.example", "110", "plain"))) << QByteArray() << true
        << "mail.collector.example "
        << plain.arg("mail.collector.example") + "|" + foreign.arg("mail.collector.example");
    QTest::newRow("a look-alike of the domain") << QByteArray()
                                                << HttpsServer::Ok(Config(Server("pop3", "pop.example.org.evil.example",
                                                                                 "995", "SSL")))
                                                << true << "pop.example.org.evil.example "
                                                << foreign.arg("pop.example.org.evil.example");
    QTest::newRow("a host deeper in the domain")
        << HttpsServer::Ok(Config(Server("pop3", "pop3.mail.example.org", "995", "SSL"))) << QByteArray() << true
        << "pop3.mail.example.org " << QString();
}

// The lookup tries autoconfig.<domain>, then the domain's .well-known
// address, over verified TLS, and reports each address's reason when
// neither gives a configuration.
void TestMailSetup::lookup()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(bool, trusted);
    QFETCH(QString, expected);
    QFETCH(QString, findings);

    FakeAutoconfigServer fake;
    std::string error;
    QVERIFY2(fake.Start(&error), error.c_str());
    HttpsServer& server = fake.m_server;
    AutoconfigLookup lookup;
    lookup.SetBaseUrl(fake.BaseUrl());
    const QList<QUrl> urls = lookup.UrlsFor("example.org");
    if (!first.isEmpty())
        server.m_aResponses[urls[0].path()] = first;
    if (!second.isEmpty())
        server.m_aResponses[urls[1].path()] = second;
    lookup.SetSslConfiguration(fake.ClientConfig(trusted));

    QSignalSpy finished(&lookup, &AutoconfigLookup::Finished);
    lookup.Start("ann", "example.org");
    QVERIFY(finished.isEmpty());
    QVERIFY(finished.wait(3 * AutoconfigLookup::kFetchDeadlineMs));
    QCOMPARE(finished.size(), 1);
    if (expected.startsWith("none: ")) {
        QCOMPARE(finished[0][0].toBool(), false);
        QVERIFY2(QString::fromStdString(lookup.Problem()).contains(expected.mid(6)), lookup.Problem().c_str());
        return;
    }
    QCOMPARE(finished[0][0].toBool(), true);
    const MailSetup& setup = lookup.Setup();
    const QString got =
        QString::fromStdString(setup.m_sServer + " " + (setup.m_sNote.empty() ? setup.m_sProvider : setup.m_sNote));
    QCOMPARE(got, expected);
    if (!setup.m_sNote.empty())
        QCOMPARE(setup.m_sHelpUrl, std::string("https://example.org/pop"));
    QStringList said = findings.split('|', Qt::SkipEmptyParts);
    QCOMPARE(setup.m_aFindings.size(), static_cast<size_t>(said.size()));
    for (qsizetype i = 0; i < said.size(); ++i)
        QVERIFY2(QString::fromStdString(setup.m_aFindings[static_cast<size_t>(i)]).startsWith(said[i]),
                 setup.m_aFindings[static_cast<size_t>(i)].c_str());
    // The first address is always asked first.
    QCOMPARE(server.m_asAsked.value(0), urls[0].path());
}

QTEST_GUILESS_MAIN(TestMailSetup)
#include "test_mail_setup.moc"
