// The account and preferences dialogs, driven as a user drives them.

#include "DialogDriver.h"
#include "gui/dialogs/AccountDlg.h"
#include "gui/dialogs/PrefsDlg.h"
#include "core/storage/SettingsStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTest>

namespace {

QLineEdit* Field(QDialog& dlg, const char* name)
{
    return dlg.findChild<QLineEdit*>(QString::fromLatin1(name));
}

// The note shown under a field, or empty when none is showing.
QString ProblemBeside(QDialog& dlg, QLineEdit* field)
{
    // Each field's note is the next label in the layout after it.
    QLayout* layout = dlg.layout();
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        bool bHit = item->widget() == field;
        if (!bHit && item->layout())
            bHit = item->layout()->indexOf(field) >= 0;
        if (!bHit)
            continue;
        for (int j = i + 1; j < layout->count(); ++j) {
            if (auto* label = qobject_cast<QLabel*>(layout->itemAt(j)->widget()))
                return label->isVisible() ? label->text() : QString();
        }
    }
    return QStringLiteral("<no note label>");
}

void Retype(QLineEdit* field, const QString& text)
{
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    DialogDriver::Type(field, text);
}

}  // namespace

class TestAccountPrefs : public QObject {
    Q_OBJECT
private slots:
    void init();

    void firstRunShowsDefaultPortAndTakesTyped();
    void cancelKeepsEverything();
    void tabOrderAndMasking();
    void saysWhereThePasswordIsKept_data();
    void saysWhereThePasswordIsKept();
    void accountInput_data();
    void accountInput();

    void preferences_data();
    void preferences();

private:
    SettingsStore m_settings;
};

void TestAccountPrefs::init()
{
    QFile::remove(QString::fromStdString(m_settings.FilePath()));
    bool bCreated = false;
    QVERIFY(m_settings.Open(&bCreated));
}

void TestAccountPrefs::firstRunShowsDefaultPortAndTakesTyped()
{
    DialogDriver driver;
    QString shown[4];
    driver.On<CAccountDlg>([&](CAccountDlg& dlg) {
        shown[0] = Field(dlg, "server")->text();
        shown[1] = Field(dlg, "user")->text();
        shown[2] = Field(dlg, "password")->text();
        shown[3] = Field(dlg, "port")->text();
        Retype(Field(dlg, "server"), QStringLiteral("pop.example.org"));
        Retype(Field(dlg, "user"), QStringLiteral("jörg"));
        Retype(Field(dlg, "password"), QStringLiteral("s3cret €uro"));
        DialogDriver::Press(dlg, QDialogButtonBox::Ok);
    });

    // What the owner does: copy the stored account in, run, copy back.
    CAccountDlg dlg;
    dlg.m_account = AccountSettings::Load(m_settings);
    QCOMPARE(Prompter::RunModal(dlg), int(QDialog::Accepted));

    QCOMPARE(shown[0], QString());
    QCOMPARE(shown[1], QString());
    QCOMPARE(shown[2], QString());
    QCOMPARE(shown[3], QStringLiteral("110"));
    // Windows-1252 bytes, as the settings store and the server get them.
    QCOMPARE(dlg.m_account.m_sServer, std::string("pop.example.org"));
    QCOMPARE(dlg.m_account.m_sUser, std::string("j\xF6rg"));
    QCOMPARE(dlg.m_account.m_sPass, std::string("s3cret \x80uro"));
    QCOMPARE(dlg.m_account.m_sPort, std::string("110"));
}

void TestAccountPrefs::cancelKeepsEverything()
{
    DialogDriver driver;
    driver.On<CAccountDlg>([](CAccountDlg& dlg) {
        Retype(Field(dlg, "server"), QStringLiteral("other.example.org"));
        Retype(Field(dlg, "port"), QStringLiteral("995"));
        DialogDriver::Press(dlg, QDialogButtonBox::Cancel);
    });
    CAccountDlg dlg;
    dlg.m_account.m_sServer = "pop.example.org";
    dlg.m_account.m_sUser = "u";
    dlg.m_account.m_sPass = "p";
    dlg.m_account.m_sPort = "110";
    QCOMPARE(Prompter::RunModal(dlg), int(QDialog::Rejected));
    QCOMPARE(dlg.m_account.m_sServer, std::string("pop.example.org"));
    QCOMPARE(dlg.m_account.m_sPort, std::string("110"));

    // Escape is Cancel too, and a refused OK does not count as confirmation.
    driver.On<CPrefsDlg>([](CPrefsDlg& prefs) {
        prefs.findChild<QCheckBox*>(QStringLiteral("autoStart"))->click();
        QTest::keyClick(&prefs, Qt::Key_Escape);
    });
    CPrefsDlg prefs;
    QCOMPARE(Prompter::RunModal(prefs), int(QDialog::Rejected));
    QCOMPARE(prefs.m_bAutoStart, 0);
}

void TestAccountPrefs::tabOrderAndMasking()
{
    CAccountDlg dlg;
    dlg.m_account.m_sPass = "plain";
    dlg.show();
    QLineEdit* server = Field(dlg, "server");
    QCOMPARE(dlg.focusWidget(), server);
    QCOMPARE(server->nextInFocusChain(), Field(dlg, "user"));
    QCOMPARE(Field(dlg, "user")->nextInFocusChain(), Field(dlg, "password"));
    QCOMPARE(Field(dlg, "password")->nextInFocusChain(), Field(dlg, "port"));
    QCOMPARE(Field(dlg, "password")->echoMode(), QLineEdit::Password);
    QCOMPARE(Field(dlg, "password")->text(), QStringLiteral("plain"));
    QVERIFY(dlg.findChild<QLabel*>() != nullptr);
    bool bHint = false;
    for (QLabel* label : dlg.findChildren<QLabel*>())
        bHint = bHint || label->text() == QStringLiteral("The usual port number is 110");
    QVERIFY(bHint);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Account"));
}

void TestAccountPrefs::saysWhereThePasswordIsKept_data()
{
    QTest::addColumn<int>("home");
    QTest::addColumn<QString>("note");
    QTest::newRow("keyring") << int(PasswordStore::kKeyring)
                             << QStringLiteral("The password is kept in the desktop's keyring.");
    QTest::newRow("settings file") << int(PasswordStore::kSettingsFile)
                                   << QStringLiteral("No keyring was found: the password is kept in Mavix's "
                                                     "settings file, readable only by you.");
}

void TestAccountPrefs::saysWhereThePasswordIsKept()
{
    QFETCH(int, home);
    QFETCH(QString, note);
    CAccountDlg dlg;
    dlg.m_nPasswordHome = static_cast<PasswordStore::Home>(home);
    dlg.show();
    auto* label = dlg.findChild<QLabel*>(QStringLiteral("passwordHome"));
    QVERIFY(label);
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(), note);
}

void TestAccountPrefs::accountInput_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("port");
    // Empty: accepted, then the stored server and port; else the field refused.
    QTest::addColumn<QString>("refused");
    QTest::addColumn<QString>("storedServer");
    QTest::addColumn<QString>("storedPort");

    const QString u = QStringLiteral("user");
    const QString p = QStringLiteral("pass word");
    QTest::newRow("blanks trimmed") << "  pop.example.org \t" << u << p << " 110 "
                                    << ""
                                    << "pop.example.org"
                                    << "110";
    QTest::newRow("leading zeros") << "h" << u << p << "0995"
                                   << ""
                                   << "h"
                                   << "995";
    QTest::newRow("highest port") << "h" << u << p << "65535"
                                  << ""
                                  << "h"
                                  << "65535";
    QTest::newRow("empty server kept") << "" << u << p << "110"
                                       << ""
                                       << ""
                                       << "110";
    QTest::newRow("port 0") << "h" << u << p << "0"
                            << "port"
                            << ""
                            << "";
    QTest::newRow("port too high") << "h" << u << p << "65536"
                                   << "port"
                                   << ""
                                   << "";
    QTest::newRow("port huge") << "h" << u << p << "99999999999999999999999"
                               << "port"
                               << ""
                               << "";
    QTest::newRow("port with letters") << "h" << u << p << "11O"
                                       << "port"
                                       << ""
                                       << "";
    QTest::newRow("port signed") << "h" << u << p << "+110"
                                 << "port"
                                 << ""
                                 << "";
    QTest::newRow("port inner blank") << "h" << u << p << "1 10"
                                      << "port"
                                      << ""
                                      << "";
    QTest::newRow("port empty") << "h" << u << p << ""
                                << "port"
                                << ""
                                << "";
    QTest::newRow("user 120") << "h" << QString(120, QLatin1Char('u')) << p << "110"
                              << ""
                              << "h"
                              << "110";
    QTest::newRow("user 121") << "h" << QString(121, QLatin1Char('u')) << p << "110"
                              << "user"
                              << ""
                              << "";
    QTest::newRow("password 121") << "h" << u << QString(121, QLatin1Char('p')) << "110"
                                  << "password"
                                  << ""
                                  << "";
    QTest::newRow("password tab") << "h" << u << "pa\tss"
                                  << "110"
                                  << "password"
                                  << ""
                                  << "";
    QTest::newRow("user escape") << "h"
                                 << "us\x1B"
                                    "er"
                                 << p << "110"
                                 << "user"
                                 << ""
                                 << "";
    QTest::newRow("password not Western") << "h" << u << QStringLiteral("pass\u03A9") << "110"
                                          << "password"
                                          << ""
                                          << "";
}

void TestAccountPrefs::accountInput()
{
    QFETCH(QString, server);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, port);
    QFETCH(QString, refused);
    QFETCH(QString, storedServer);
    QFETCH(QString, storedPort);

    CAccountDlg dlg;
    dlg.m_account.m_sServer = "old.example.org";
    dlg.m_account.m_sPort = "110";
    dlg.show();
    // setText: some of these cannot be typed, but can be pasted.
    Field(dlg, "server")->setText(server);
    Field(dlg, "user")->setText(user);
    Field(dlg, "password")->setText(password);
    Field(dlg, "port")->setText(port);
    DialogDriver::Press(dlg, QDialogButtonBox::Ok);

    const char* names[] = {"server", "user", "password", "port"};
    if (refused.isEmpty()) {
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromLatin1(dlg.m_account.m_sServer), storedServer);
        QCOMPARE(QString::fromLatin1(dlg.m_account.m_sPort), storedPort);
        for (const char* name : names)
            QCOMPARE(ProblemBeside(dlg, Field(dlg, name)), QString());
        return;
    }
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.m_account.m_sServer, std::string("old.example.org"));
    QCOMPARE(dlg.m_account.m_sPort, std::string("110"));
    for (const char* name : names) {
        const QString note = ProblemBeside(dlg, Field(dlg, name));
        if (refused == QLatin1String(name)) {
            QVERIFY2(!note.isEmpty(), name);
            QCOMPARE(dlg.focusWidget(), Field(dlg, name));
        } else {
            QVERIFY2(note.isEmpty(), qPrintable(note));
        }
    }

    // Corrected, the same dialog takes it.
    Field(dlg, "user")->setText(QStringLiteral("user"));
    Field(dlg, "password")->setText(QStringLiteral("pass"));
    Field(dlg, "port")->setText(QStringLiteral("110"));
    DialogDriver::Press(dlg, QDialogButtonBox::Ok);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.m_account.m_sPass, std::string("pass"));
}

void TestAccountPrefs::preferences_data()
{
    QTest::addColumn<int>("exitBefore");
    QTest::addColumn<int>("startBefore");
    QTest::addColumn<int>("defBefore");
    QTest::addColumn<QStringList>("click");
    QTest::addColumn<int>("exitAfter");
    QTest::addColumn<int>("startAfter");
    QTest::addColumn<int>("defAfter");

    const QString start = QStringLiteral("Automatically Get Mavix on Launch");
    const QString exit = QStringLiteral("Automatically Exit After Cancel or Purge");
    const QString def = QStringLiteral("Automatically Set the Filter lists to the Default on Launch");
    QTest::newRow("all on") << 0 << 0 << 0 << QStringList{start, exit, def} << 1 << 1 << 1;
    QTest::newRow("all off") << 1 << 1 << 1 << QStringList{start, exit, def} << 0 << 0 << 0;
    QTest::newRow("start only") << 0 << 0 << 0 << QStringList{start} << 0 << 1 << 0;
    QTest::newRow("exit only") << 0 << 0 << 0 << QStringList{exit} << 1 << 0 << 0;
    QTest::newRow("defaults only") << 0 << 0 << 0 << QStringList{def} << 0 << 0 << 1;
    QTest::newRow("unchanged") << 1 << 0 << 1 << QStringList{} << 1 << 0 << 1;
    // The question before a purge, on by default, can be turned off and on.
    QTest::newRow("no question") << 0 << 0 << 0 << QStringList{QStringLiteral("Ask before deleting messages")} << 0 << 0
                                 << 0;
    // The sender checks, on by default, each switched off alone.
    QTest::newRow("no name check") << 0 << 0 << 0
                                   << QStringList{QStringLiteral(
                                          "Mark mail whose sender's name shows another address or domain")}
                                   << 0 << 0 << 0;
}

void TestAccountPrefs::preferences()
{
    QFETCH(int, exitBefore);
    QFETCH(int, startBefore);
    QFETCH(int, defBefore);
    QFETCH(QStringList, click);
    QFETCH(int, exitAfter);
    QFETCH(int, startAfter);
    QFETCH(int, defAfter);

    DialogDriver driver;
    QStringList order;
    driver.On<CPrefsDlg>([&](CPrefsDlg& dlg) {
        const QList<QCheckBox*> boxes = dlg.findChildren<QCheckBox*>();
        // The three launch and exit boxes, starting at log-in, background
        // checks, copies, the question before a purge and the three sender
        // checks.
        QCOMPARE(boxes.size(), 10);
        // Tab walks the boxes top to bottom. Captions as shown, without the
        // mnemonic's marker.
        const auto shown = [](const QCheckBox* box) { return QString(box->text()).remove(QLatin1Char('&')); };
        for (QWidget* w = boxes.first(); order.size() < 3; w = w->nextInFocusChain()) {
            if (auto* box = qobject_cast<QCheckBox*>(w))
                order << shown(box);
        }
        for (const QString& text : click) {
            for (QCheckBox* box : boxes) {
                if (shown(box) == text)
                    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
            }
        }
        DialogDriver::Press(dlg, QDialogButtonBox::Ok);
    });
    CPrefsDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Preferences"));
    dlg.m_bExitAfter = exitBefore;
    dlg.m_bAutoStart = startBefore;
    dlg.m_bDefaultFilters = defBefore;
    QCOMPARE(Prompter::RunModal(dlg), int(QDialog::Accepted));
    QCOMPARE(order,
             (QStringList{QStringLiteral("Automatically Get Mavix on Launch"),
                          QStringLiteral("Automatically Exit After Cancel or Purge"),
                          QStringLiteral("Automatically Set the Filter lists to the Default on Launch")}));
    QCOMPARE(dlg.m_bExitAfter, exitAfter);
    QCOMPARE(dlg.m_bAutoStart, startAfter);
    QCOMPARE(dlg.m_bDefaultFilters, defAfter);
    QCOMPARE(dlg.m_bAskBeforeDelete, click.contains(QStringLiteral("Ask before deleting messages")) ? 0 : 1);
    QCOMPARE(dlg.m_bCheckNames,
             click.contains(QStringLiteral("Mark mail whose sender's name shows another address or domain")) ? 0 : 1);
    QCOMPARE(dlg.m_bCheckAuthentication + dlg.m_bCheckLookAlikes, 2);

    // Stored as the owner stores them, they read back as the texts 1 and 0.
    m_settings.WriteInt("Prefs", "End", dlg.m_bExitAfter);
    m_settings.WriteInt("Prefs", "Start", dlg.m_bAutoStart);
    m_settings.WriteInt("Prefs", "Def", dlg.m_bDefaultFilters);
    QCOMPARE(m_settings.ReadString("Prefs", "End", "?"), std::to_string(exitAfter));
    QCOMPARE(m_settings.ReadString("Prefs", "Start", "?"), std::to_string(startAfter));
    QCOMPARE(m_settings.ReadString("Prefs", "Def", "?"), std::to_string(defAfter));
}

QTEST_MAIN(TestAccountPrefs)
#include "test_account_prefs.moc"
