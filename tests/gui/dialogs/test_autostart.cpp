// The log-in's autostart entry follows the running program: written with its
// path, written again when it starts another program or none, and the
// Preferences say so when it would start nothing.

#include "DialogDriver.h"
#include "gui/dialogs/Autostart.h"
#include "gui/dialogs/PrefsDlg.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

namespace {

void WriteEntry(const QByteArray& text)
{
    QDir().mkpath(QFileInfo(Autostart::EntryPath()).path());
    QFile entry(Autostart::EntryPath());
    QVERIFY(entry.open(QIODevice::WriteOnly | QIODevice::Truncate));
    entry.write(text);
}

QByteArray EntryFor(const QString& program)
{
    return QByteArray::fromStdString(Autostart::EntryText(QFile::encodeName(program).toStdString()));
}

}  // namespace

class TestAutostart : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(Autostart::EntryPath()); }
    void entries_data();
    void entries();
    void preferencesRewriteAnEntryThatStartsNothing();
};

void TestAutostart::entries_data()
{
    QTest::addColumn<QByteArray>("entry");  // empty: no entry at all
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("rewritten");  // at start

    using S = Autostart::State;
    const QString self = Autostart::Program();
    QTest::newRow("none") << QByteArray() << int(S::kOff) << false;
    QTest::newRow("this program") << EntryFor(self) << int(S::kThisProgram) << false;
    // The fixed path earlier versions wrote, on a machine without it.
    QTest::newRow("missing program") << EntryFor(QStringLiteral("/usr/local/bin/mavix-not-here")) << int(S::kNowhere)
                                     << true;
    // Another install that is there: the one running now takes over.
    QTest::newRow("another program") << EntryFor(QStringLiteral("/bin/sh")) << int(S::kElsewhere) << true;
    QTest::newRow("a folder") << EntryFor(QDir::rootPath()) << int(S::kNowhere) << true;
    QTest::newRow("relative name") << QByteArray("[Desktop Entry]\nType=Application\nExec=sh --hidden\n")
                                   << int(S::kNowhere) << true;
    QTest::newRow("no Exec") << QByteArray("[Desktop Entry]\nType=Application\n") << int(S::kNowhere) << true;
    QTest::newRow("unbalanced quote") << QByteArray("[Desktop Entry]\nExec=\"/bin/sh --hidden\n") << int(S::kNowhere)
                                      << true;
    QTest::newRow("not a desktop entry") << QByteArray("\x01\x02garbage") << int(S::kNowhere) << true;
}

void TestAutostart::entries()
{
    QFETCH(QByteArray, entry);
    QFETCH(int, state);
    QFETCH(bool, rewritten);
    if (!entry.isEmpty())
        WriteEntry(entry);
    QCOMPARE(int(Autostart::Inspect().m_state), state);
    QString error;
    QVERIFY(Autostart::Refresh(&error));
    QCOMPARE(error, QString());
    const Autostart::Found after = Autostart::Inspect();
    QCOMPARE(int(after.m_state), entry.isEmpty() ? int(Autostart::State::kOff) : int(Autostart::State::kThisProgram));
    if (rewritten)
        QCOMPARE(after.m_sProgram, Autostart::Program());
}

void TestAutostart::preferencesRewriteAnEntryThatStartsNothing()
{
    // Quoted as the desktop entry wants a path with blanks, quotes and a
    // dollar: read back as the same path.
    const QString odd = QStringLiteral("/nowhere/My \"Apps\" $HOME/mavix");
    WriteEntry(EntryFor(odd));
    QCOMPARE(Autostart::Inspect().m_sProgram, odd);

    DialogDriver driver;
    {
        CPrefsDlg dlg;
        dlg.show();
        QVERIFY(dlg.findChild<QCheckBox*>(QStringLiteral("startAtLogin"))->isChecked());
        const QLabel* note = dlg.findChild<QLabel*>(QStringLiteral("startAtLoginNote"));
        QVERIFY(note->isVisible());
        QVERIFY2(note->text().contains(odd) && note->text().contains(Autostart::Program()), qPrintable(note->text()));
        dlg.accept();
    }
    const Autostart::Found found = Autostart::Inspect();
    QCOMPARE(int(found.m_state), int(Autostart::State::kThisProgram));
    QFile entry(Autostart::EntryPath());
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY(entry.readAll().contains(" --desktop --hidden\n"));
    QCOMPARE(entry.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    {
        CPrefsDlg dlg;
        dlg.show();
        QVERIFY(!dlg.findChild<QLabel*>(QStringLiteral("startAtLoginNote"))->isVisible());
        dlg.findChild<QCheckBox*>(QStringLiteral("startAtLogin"))->setChecked(false);
        dlg.accept();
    }
    QCOMPARE(int(Autostart::Inspect().m_state), int(Autostart::State::kOff));
    QCOMPARE(driver.m_asBoxes, QStringList());
}

QTEST_MAIN(TestAutostart)
#include "test_autostart.moc"
