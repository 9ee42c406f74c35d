// OAuth 2.0 through the window: "Sign in..." in the account dialog runs the
// browser sign-in, OK keeps the refresh token with the account, and the next
// scan logs in with XOAUTH2 and an access token refreshed from it.

#include "ScriptedPop3Server.h"
#include "ViewHarness.h"
#include "tests/support/FakeAuthServer.h"
#include "tests/support/FakeBrowser.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

// The user's browser, as the desktop's handler of http addresses.
class Browser : public QObject {
    Q_OBJECT
public:
    FakeBrowser m_browser;

public slots:
    void Open(const QUrl& url) { m_browser.Open(url); }
};

class TestViewSignIn : public QObject {
    Q_OBJECT
private slots:
    void init() { RemoveSettingsFile(); }
    void signInThenScan_data();
    void signInThenScan();
};

// The account that signs in is the only one, or the second after one that
// logs in with a password: its provider, its token and the token the
// refresh replaced are its own.
void TestViewSignIn::signInThenScan_data()
{
    QTest::addColumn<int>("account");
    QTest::addRow("only account") << 0;
    QTest::addRow("second account") << 1;
}

void TestViewSignIn::signInThenScan()
{
    QFETCH(int, account);
    const char* section = account == 0 ? "Acct" : "Acct2";
    FakeAuthServer auth;
    auth.m_bRotate = true;
    QVERIFY(auth.Start());
    Browser browser;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "Open");

    // The sign-in's access token is used up at once; the scan's is refreshed.
    const QByteArray response = QByteArray("user=u\x01"
                                           "auth=Bearer access-2\x01\x01")
                                    .toBase64();
    ScriptedPop3Server server;
    server.ServeMailbox({"Subject: signed in\r\n\r\nbody\r\n"}, "u", "unused");
    server.AcceptSasl("XOAUTH2", response.toStdString());
    server.Start();

    ViewHarness h;
    ScriptedPop3Server first;
    first.ServeMailbox({"Subject: with a password\r\n\r\nbody\r\n"}, "p", "secret");
    first.Start();
    if (account == 1)
        h.AddAccount("Acct", first.Port(), "p", "secret", "First");
    h.AddAccount(section, server.Port(), "u", "", account == 1 ? "Second" : "");
    h.m_settings.WriteString(section, "Authentication", "oauth2");
    h.m_settings.WriteString(section, "OAuthProvider", "custom");
    h.m_settings.WriteString("OAuth", "CustomAuthorizeUrl", auth.Url("/authorize"));
    h.m_settings.WriteString("OAuth", "CustomTokenUrl", auth.Url("/token"));
    h.m_settings.WriteString("OAuth", "CustomScope", "pop");
    h.m_settings.WriteString("OAuth", "CustomClientId", auth.m_sClientId);
    QVERIFY(h.Build());

    h.m_fnModal = [&](QDialog& dialog) {
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("signIn")), Qt::LeftButton);
        auto* status = dialog.findChild<QLabel*>(QStringLiteral("setupStatus"));
        if (!QTest::qWaitFor([&] { return status->text().startsWith(QStringLiteral("Signed in")); }, 20000))
            qWarning("sign-in: %s", qPrintable(status->text()));
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        return dialog.result();
    };
    if (account == 1)
        h.m_pView->ChooseAccount(1);
    h.m_pFrame->Editing()->OnManageAccount();
    QVERIFY2(auth.m_sProblem.empty(), auth.m_sProblem.c_str());
    QCOMPARE(auth.m_nCodeGrants, 1);
    QCOMPARE(h.m_settings.ReadString(section, "RefreshToken", ""), std::string("refresh-1"));

    h.Click("showStop");
    QTRY_COMPARE_WITH_TIMEOUT(h.m_pView->ModelAt(account).Count(), 1, 20000);
    QCOMPARE(auth.m_nRefreshes, 1);
    // The replaced refresh token goes to the account it was issued for.
    QTRY_COMPARE(h.m_settings.ReadString(section, "RefreshToken", ""), std::string("refresh-2"));
    if (account == 1) {
        QCOMPARE(h.m_settings.ReadString("Acct", "RefreshToken", ""), std::string());
        QTRY_COMPARE(h.m_pView->ModelAt(0).Count(), 1);
    }
    QVERIFY(server.Received().find("AUTH XOAUTH2\r\n" + response.toStdString() + "\r\n") != std::string::npos);
    QVERIFY(server.Received().find("PASS") == std::string::npos);
}

QTEST_MAIN(TestViewSignIn)
#include "test_view_signin.moc"
