// The account dialog's connection security: the port that follows the
// choice, and the certificate fingerprint field.

#include "DialogDriver.h"
#include "gui/dialogs/AccountDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

class TestAccountSecurity : public QObject {
    Q_OBJECT
private slots:
    void portFollowsSecurity_data();
    void portFollowsSecurity();
    void fingerprint_data();
    void fingerprint();
};

void TestAccountSecurity::portFollowsSecurity_data()
{
    QTest::addColumn<QString>("storedPort");
    QTest::addColumn<QString>("storedSecurity");
    QTest::addColumn<QList<int>>("choices");  // picked in turn
    QTest::addColumn<QStringList>("ports");   // shown after the dialog opens, then after each choice

    QTest::newRow("110 to TLS and back") << "110"
                                         << "0" << QList<int>{2, 0} << QStringList{"110", "995", "110"};
    QTest::newRow("TLS to STLS") << "110"
                                 << "0" << QList<int>{2, 1} << QStringList{"110", "995", "110"};
    QTest::newRow("STLS keeps 110") << "110"
                                    << "0" << QList<int>{1, 0} << QStringList{"110", "110", "110"};
    QTest::newRow("own port kept") << "1995"
                                   << "0" << QList<int>{2, 0} << QStringList{"1995", "1995", "1995"};
    QTest::newRow("995 without TLS kept") << "995"
                                          << "0" << QList<int>{1} << QStringList{"995", "995"};
    QTest::newRow("stored shown as stored") << "110"
                                            << "2" << QList<int>{0} << QStringList{"110", "110"};
    QTest::newRow("stored TLS left") << "995"
                                     << "2" << QList<int>{1, 2} << QStringList{"995", "110", "995"};
}

// The standard port follows the choice (110 <-> 995) only while the field
// holds the other choice's standard port; what is stored is what is shown.
void TestAccountSecurity::portFollowsSecurity()
{
    QFETCH(QString, storedPort);
    QFETCH(QString, storedSecurity);
    QFETCH(QList<int>, choices);
    QFETCH(QStringList, ports);

    CAccountDlg dlg;
    dlg.m_account.m_sServer = "pop.example.org";
    dlg.m_account.m_sUser = "u";
    dlg.m_account.m_sPass = "p";
    dlg.m_account.m_sPort = storedPort.toStdString();
    dlg.m_account.m_sSecurity = storedSecurity.toStdString();
    dlg.show();
    auto* security = dlg.findChild<QComboBox*>(QStringLiteral("security"));
    auto* port = dlg.findChild<QLineEdit*>(QStringLiteral("port"));
    QCOMPARE(security->count(), 3);
    QCOMPARE(security->itemText(2), QStringLiteral("TLS (implicit)"));
    QCOMPARE(security->currentIndex(), storedSecurity.toInt());
    QStringList shown{port->text()};
    for (int choice : choices) {
        // As a user picks: focus the box, then keys.
        security->setFocus();
        while (security->currentIndex() != choice)
            QTest::keyClick(security, security->currentIndex() < choice ? Qt::Key_Down : Qt::Key_Up);
        shown << port->text();
    }
    QCOMPARE(shown, ports);
    bool bHint = false;
    for (QLabel* label : dlg.findChildren<QLabel*>())
        bHint = bHint
            || label->text() == QStringLiteral("The usual port number is %1").arg(choices.last() == 2 ? 995 : 110);
    QVERIFY(bHint);

    DialogDriver::Press(dlg, QDialogButtonBox::Ok);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(QString::fromStdString(dlg.m_account.m_sPort), ports.last());
    QCOMPARE(dlg.m_account.m_sSecurity, std::to_string(choices.last()));
}

void TestAccountSecurity::fingerprint_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");  // "refused": the dialog stays open

    const QString colons = "AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:"
                           "AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89";
    QTest::newRow("empty") << "  "
                           << "";
    QTest::newRow("bare lower case") << QString(colons).remove(':').toLower() << colons;
    QTest::newRow("colons, blanks around") << " " + colons + " " << colons;
    QTest::newRow("one digit short") << colons.left(colons.size() - 1) << "refused";
    QTest::newRow("not hex") << QString(colons).replace('A', 'G') << "refused";
    QTest::newRow("SHA-1 length") << colons.left(59) << "refused";
}

void TestAccountSecurity::fingerprint()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);

    CAccountDlg dlg;
    dlg.m_account.m_sPort = "995";
    dlg.m_account.m_sSecurity = "2";
    dlg.m_account.m_sTlsFingerprint = "old";
    dlg.show();
    auto* field = dlg.findChild<QLineEdit*>(QStringLiteral("fingerprint"));
    QCOMPARE(field->text(), QStringLiteral("old"));
    field->setText(typed);
    DialogDriver::Press(dlg, QDialogButtonBox::Ok);
    if (stored == QLatin1String("refused")) {
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.focusWidget(), field);
        QCOMPARE(dlg.m_account.m_sTlsFingerprint, std::string("old"));
        return;
    }
    QVERIFY(!dlg.isVisible());
    QCOMPARE(QString::fromStdString(dlg.m_account.m_sTlsFingerprint), stored);
    QCOMPARE(dlg.m_account.m_sSecurity, std::string("2"));
}

QTEST_MAIN(TestAccountSecurity)
#include "test_account_security.moc"
