// The account dialog's setup from an e-mail address and its Authentication
// choice: what "Set Up" fills in, the notice, and what is stored.

#include "DialogDriver.h"
#include "core/setup/AutoconfigLookup.h"
#include "gui/dialogs/AccountDlg.h"
#include "gui/widgets/Prompter.h"
#include "gui/widgets/StaticLink.h"
#include "tests/support/FakeAutoconfigServer.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestAccountSetup : public QObject {
    Q_OBJECT
private slots:
    void setUp_data();
    void setUp();
    void authentication_data();
    void authentication();
    void publishedSettings_data();
    void publishedSettings();
};

void TestAccountSetup::setUp_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("fields");  // server, port, security, user, authentication shown
    QTest::addColumn<QString>("status");      // a part of the status line
    QTest::addColumn<QString>("link");        // the notice's link, empty when none
    QTest::addColumn<bool>("canSignIn");      // an OAuth client is set up

    QTest::newRow("gmail") << "ann@gmail.com"
                           << QStringList{"pop.gmail.com", "995", "TLS (implicit)", "ann@gmail.com", "OAuth 2.0"}
                           << "Gmail"
                           << "https://support.google.com/mail/answer/7104828" << true;
    QTest::newRow("gmail, no OAuth client: app password")
        << "ann@gmail.com" << QStringList{"pop.gmail.com", "995", "TLS (implicit)", "ann@gmail.com", "Automatic"}
        << "app password"
        << "https://support.google.com/mail/answer/7104828" << false;
    QTest::newRow("yahoo") << "bob@yahoo.com"
                           << QStringList{"pop.mail.yahoo.com", "995", "TLS (implicit)", "bob@yahoo.com", "Automatic"}
                           << "Yahoo Mail"
                           << "https://help.yahoo.com/kb/SLN15241.html" << false;
    QTest::newRow("icloud: nothing filled")
        << "cy@icloud.com" << QStringList{"old.example.org", "110", "None", "old", "Automatic"} << "no POP3"
        << "https://support.apple.com/102525" << false;
    QTest::newRow("not an address") << "cy at icloud"
                                    << QStringList{"old.example.org", "110", "None", "old", "Automatic"}
                                    << "whole address"
                                    << "" << false;
}

// Typing an address and pressing "Set Up" fills the fields from the provider
// table, says so, and links the provider's page; OK stores what is shown.
void TestAccountSetup::setUp()
{
    QFETCH(QString, address);
    QFETCH(QStringList, fields);
    QFETCH(QString, status);
    QFETCH(QString, link);
    QFETCH(bool, canSignIn);

    CAccountDlg dlg;
    dlg.m_fnCanSignIn = [canSignIn](const std::string&) { return canSignIn; };
    dlg.m_account.m_sServer = "old.example.org";
    dlg.m_account.m_sUser = "old";
    dlg.m_account.m_sPort = "110";
    dlg.show();
    auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("address"));
    edit->setFocus();
    DialogDriver::Type(edit, address);
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("setUp")), Qt::LeftButton);

    const QStringList shown{dlg.findChild<QLineEdit*>(QStringLiteral("server"))->text(),
                            dlg.findChild<QLineEdit*>(QStringLiteral("port"))->text(),
                            dlg.findChild<QComboBox*>(QStringLiteral("security"))->currentText(),
                            dlg.findChild<QLineEdit*>(QStringLiteral("user"))->text(),
                            dlg.findChild<QComboBox*>(QStringLiteral("authentication"))->currentText()};
    QCOMPARE(shown, fields);
    auto* statusLine = dlg.findChild<QLabel*>(QStringLiteral("setupStatus"));
    QVERIFY2(statusLine->isVisible() && statusLine->text().contains(status), qPrintable(statusLine->text()));
    auto* help = dlg.findChild<CStaticLink*>(QStringLiteral("setupHelp"));
    QCOMPARE(help->isVisible(), !link.isEmpty());
    if (!link.isEmpty())
        QCOMPARE(help->Target(), link);

    DialogDriver::Press(dlg, QDialogButtonBox::Ok);
    QCOMPARE(QString::fromStdString(dlg.m_account.m_sServer), fields[0]);
    QCOMPARE(QString::fromStdString(dlg.m_account.m_sPort), fields[1]);
}

void TestAccountSetup::authentication_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("picked");  // empty: left as shown
    QTest::addColumn<QString>("saved");
    QTest::addColumn<bool>("token");  // password disabled, "Sign in" shown

    QTest::newRow("absent kept absent") << ""
                                        << "Automatic"
                                        << ""
                                        << "" << false;
    QTest::newRow("stored spelling kept") << " CRAM-MD5 "
                                          << "CRAM-MD5"
                                          << ""
                                          << " CRAM-MD5 " << false;
    QTest::newRow("command line's XOAUTH2 kept") << "xoauth2"
                                                 << "XOAUTH2"
                                                 << ""
                                                 << "xoauth2" << true;
    QTest::newRow("pick OAuth 2.0") << ""
                                    << "Automatic"
                                    << "OAuth 2.0"
                                    << "oauth2" << true;
    QTest::newRow("pick Automatic") << "scram-sha-256"
                                    << "SCRAM-SHA-256"
                                    << "Automatic"
                                    << "auto" << false;
    QTest::newRow("pick USER/PASS") << "oauth2"
                                    << "OAuth 2.0"
                                    << "Password (USER/PASS)"
                                    << "user" << false;
}

// The stored method is shown, kept byte for byte unless another is picked;
// OAuth turns the password off and offers "Sign in", which only signals.
void TestAccountSetup::authentication()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(QString, picked);
    QFETCH(QString, saved);
    QFETCH(bool, token);

    CAccountDlg dlg;
    dlg.m_account.m_sServer = "pop.example.org";
    dlg.m_account.m_sPort = "110";
    dlg.m_account.m_sAuth = stored.toStdString();
    dlg.show();
    auto* auth = dlg.findChild<QComboBox*>(QStringLiteral("authentication"));
    QCOMPARE(auth->currentText(), shown);
    if (!picked.isEmpty())
        auth->setCurrentIndex(auth->findText(picked));
    auto* signIn = dlg.findChild<QPushButton*>(QStringLiteral("signIn"));
    QCOMPARE(signIn->isVisible(), token);
    QCOMPARE(dlg.findChild<QLineEdit*>(QStringLiteral("password"))->isEnabled(), !token);
    if (token) {
        QSignalSpy spy(&dlg, &CAccountDlg::SignInRequested);
        QTest::mouseClick(signIn, Qt::LeftButton);
        QCOMPARE(spy.size(), 1);
        QVERIFY(dlg.isVisible());
    }
    DialogDriver::Press(dlg, QDialogButtonBox::Ok);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(QString::fromStdString(dlg.m_account.m_sAuth), saved);
}

void TestAccountSetup::publishedSettings_data()
{
    QTest::addColumn<QByteArray>("server");   // the file's POP3 server: host, port, socket type
    QTest::addColumn<bool>("yes");            // the answer, when asked
    QTest::addColumn<QString>("asked");       // a part of the question's details; empty: nothing asked
    QTest::addColumn<QStringList>("fields");  // server, port, security shown
    QTest::addColumn<QString>("status");      // a part of the status line

    const QStringList kept{"old.example.org", "995", "TLS (implicit)"};
    QTest::newRow("the domain's TLS server: nothing asked")
        << QByteArray("pop.example.org 995 SSL") << false << QString()
        << QStringList{"pop.example.org", "995", "TLS (implicit)"} << "Filled in";
    QTest::newRow("plain text, refused") << QByteArray("pop.example.org 110 plain") << false << "without encryption"
                                         << kept << "were not used";
    QTest::newRow("plain text, accepted")
        << QByteArray("pop.example.org 110 plain") << true << "without encryption"
        << QStringList{"pop.example.org", "110", "None"} << "without encryption";
    QTest::newRow("another domain's server, refused") << QByteArray("pop.collector.example 995 SSL") << false
                                                      << "not in the domain example.org" << kept << "were not used";
}

// Settings from the domain's own file that send the password in the clear
// or to another domain's server are said plainly and filled in only when
// the user agrees.
void TestAccountSetup::publishedSettings()
{
    QFETCH(QByteArray, server);
    QFETCH(bool, yes);
    QFETCH(QString, asked);
    QFETCH(QStringList, fields);
    QFETCH(QString, status);

    FakeAutoconfigServer fake;
    std::string error;
    QVERIFY2(fake.Start(&error), error.c_str());
    const QList<QByteArray> parts = server.split(' ');
    const QByteArray file = "<clientConfig version=\"1.1\"><emailProvider id=\"example.org\"><incomingServer "
                            "type=\"pop3\"><hostname>"
        + parts[0] + "</hostname><port>" + parts[1] + "</port><socketType>" + parts[2]
        + "</socketType><authentication>password-cleartext</authentication><username>%EMAILADDRESS%</username>"
          "</incomingServer></emailProvider></clientConfig>";
    QStringList questions;
    Prompter::SetConfirmHook([&](QWidget*, const Prompter::Confirmation& question) {
        questions << question.m_sDetails;
        return Prompter::ConfirmAnswer{yes, false};
    });

    CAccountDlg dlg;
    dlg.m_account.m_sServer = "old.example.org";
    dlg.m_account.m_sPort = "995";
    dlg.m_account.m_sSecurity = "2";
    dlg.Lookup()->SetBaseUrl(fake.BaseUrl());
    dlg.Lookup()->SetSslConfiguration(fake.ClientConfig(true));
    fake.m_server.m_aResponses[dlg.Lookup()->UrlsFor("example.org")[0].path()] = HttpsServer::Ok(file);
    dlg.show();
    DialogDriver::Type(dlg.findChild<QLineEdit*>(QStringLiteral("address")), "ann@example.org");
    auto* setUp = dlg.findChild<QPushButton*>(QStringLiteral("setUp"));
    QTest::mouseClick(setUp, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(setUp->isEnabled(), 3 * AutoconfigLookup::kFetchDeadlineMs);
    Prompter::SetConfirmHook({});

    QCOMPARE(questions.size(), asked.isEmpty() ? 0 : 1);
    if (!asked.isEmpty())
        QVERIFY2(questions[0].contains(asked), qPrintable(questions[0]));
    const QStringList shown{dlg.findChild<QLineEdit*>(QStringLiteral("server"))->text(),
                            dlg.findChild<QLineEdit*>(QStringLiteral("port"))->text(),
                            dlg.findChild<QComboBox*>(QStringLiteral("security"))->currentText()};
    QCOMPARE(shown, fields);
    const QString line = dlg.findChild<QLabel*>(QStringLiteral("setupStatus"))->text();
    QVERIFY2(line.contains(status), qPrintable(line));
}

QTEST_MAIN(TestAccountSetup)
#include "test_account_setup.moc"
