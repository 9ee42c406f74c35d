// The account's security setting through the window: stored by Manage
// Account, read back at the next start, handed to the scan, and its
// failure shown to the user.

#include "ScriptedPop3Server.h"
#include "ViewHarness.h"
#include "gui/dialogs/AccountDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QtTest>

class TestViewSecurity : public QObject {
    Q_OBJECT
private slots:
    void init() { RemoveSettingsFile(); }
    void storedThenUsedByTheNextStart();
};

void TestViewSecurity::storedThenUsedByTheNextStart()
{
    // A server that lists no STLS: the scan must stop before the user name.
    ScriptedPop3Server server;
    server.ServeMailbox({"Subject: never listed\r\n\r\nbody\r\n"}, "u", "p",
                        [](const std::string& command, int) -> std::optional<std::string> {
                            if (command == "CAPA")
                                return std::string("+OK\r\nUSER\r\nTOP\r\n.\r\n");
                            return std::nullopt;
                        });
    server.Start();
    const QString fingerprint = QString(64, QLatin1Char('e'));
    {
        ViewHarness h;
        h.SetAccount(server.Port());
        QVERIFY(h.Build());
        h.m_fnModal = [&](QDialog& dialog) {
            dialog.show();
            auto* security = dialog.findChild<QComboBox*>(QStringLiteral("security"));
            security->setCurrentIndex(CAccountDlg::kSecurityStls);
            dialog.findChild<QLineEdit*>(QStringLiteral("fingerprint"))->setText(fingerprint);
            QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
            return dialog.result();
        };
        h.m_pFrame->Editing()->OnManageAccount();
        QCOMPARE(h.m_asDialogs, QStringList{"CAccountDlg"});
        QCOMPARE(h.m_settings.ReadString("Acct", "Security", "?"), std::string("1"));
        QCOMPARE(h.m_settings.ReadString("Acct", "TlsFingerprint", "?"),
                 std::string("EE:EE:EE:EE:EE:EE:EE:EE:EE:EE:EE:EE:EE:EE:EE:EE:"
                             "EE:EE:EE:EE:EE:EE:EE:EE:EE:EE:EE:EE:EE:EE:EE:EE"));
        QCOMPARE(h.m_settings.ReadString("Acct", "Port", "?"), std::to_string(server.Port()));
    }

    ViewHarness h;
    QVERIFY(h.Build());
    h.Click("showStop");
    QTRY_COMPARE(h.m_asBoxes.size(), 1);
    QVERIFY2(h.m_asBoxes[0].startsWith("The server does not offer STLS"), qPrintable(h.m_asBoxes[0]));
    QVERIFY(server.WaitNoSession(5000));
    QVERIFY(server.Received().starts_with("CAPA\r\nQUIT\r\n"));
    QCOMPARE(h.Model().Count(), 0);
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Show Mavix"));
}

QTEST_MAIN(TestViewSecurity)
#include "test_view_security.moc"
