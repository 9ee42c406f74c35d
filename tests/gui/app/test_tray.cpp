// The tray on a real desktop: trayer holds the icon, dunst shows the
// notifications, both on the X server and the private session bus the test
// runs under. The icon's menu, each new suspect told of once with "Open"
// showing the window, the balloon without a notification service, the
// start hidden in the tray, and the log-in's autostart entry.

#include "DesktopSession.h"
#include "ScratchDirectory.h"
#include "tests/gui/review/ViewHarness.h"

#include "gui/app/MavixApp.h"
#include "gui/app/TrayController.h"
#include "gui/dialogs/Autostart.h"
#include "gui/dialogs/PrefsDlg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

class TestTray : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { RemoveSettingsFile(); }
    void menuChecksShowsPausesQuits();
    void notifications_data();
    void notifications();
    void startHidden_data();
    void startHidden();
    void startAtLogin();

private:
    static constexpr int kCheckMs = 1000 * CTrayController::kFirstCheckDelay.count() + 15000;

    // A mailbox with one suspect, checked every 5 minutes; the window built.
    static CTrayController& Build(ViewHarness& h)
    {
        h.Serve({Mail("Quarterly report"), Mail("WIN A PRIZE now")});
        h.m_settings.WriteString("SubList", "0", "PRIZE");
        h.m_settings.WriteInt("Prefs", "CheckEvery", 5);
        h.Build();
        return *h.m_pFrame->Tray();
    }
    static void Trigger(CTrayController& tray, const char* name)
    {
        QAction* action = tray.Menu()->findChild<QAction*>(QLatin1String(name));
        QVERIFY2(action, name);
        action->trigger();
    }

    ScratchDirectory m_dir;
    DesktopSession m_desktop;
};

void TestTray::initTestCase()
{
    if (!DesktopSession::Available())
        QSKIP("needs an X display, a session bus, trayer and dunst");
    QVERIFY(m_dir.Enter());
    QVERIFY(m_desktop.StartTray());
}

void TestTray::menuChecksShowsPausesQuits()
{
    ViewHarness h;
    CTrayController& tray = Build(h);
    QVERIFY(tray.Tray() && tray.Tray()->isVisible());
    QSignalSpy ended(h.m_pView, &CMavixView::BackgroundCheckEnded);

    Trigger(tray, "trayPause");
    QVERIFY(tray.Paused());
    QVERIFY(!tray.Timer().isActive());
    QVERIFY(tray.Tooltip().endsWith(QStringLiteral("\nBackground checks are paused")));
    // Paused, "Check now" still checks, and no next check is timed.
    Trigger(tray, "trayCheckNow");
    QVERIFY(ended.wait(15000));
    QCOMPARE(ended.last().at(0).toInt(), 1);
    QVERIFY(!tray.Timer().isActive());
    // Resumed: a check soon.
    Trigger(tray, "trayPause");
    QVERIFY(!tray.Paused());
    QVERIFY(tray.Timer().isActive());
    QCOMPARE(tray.Timer().interval(), 1000 * CTrayController::kFirstCheckDelay.count());

    h.m_pFrame->hide();
    Trigger(tray, "trayShow");
    QTRY_VERIFY(h.m_pFrame->isVisible());
    Trigger(tray, "trayQuit");
    QTRY_VERIFY(!h.m_pFrame->isVisible());
}

void TestTray::notifications_data()
{
    QTest::addColumn<bool>("service");
    QTest::newRow("notification service") << true;
    QTest::newRow("tray balloon") << false;
}

void TestTray::notifications()
{
    QFETCH(bool, service);
    QVERIFY(service ? m_desktop.StartNotifications() : m_desktop.StopNotifications());
    ViewHarness h;
    CTrayController& tray = Build(h);
    QSignalSpy shown(&tray.Notifier(), &DesktopNotifier::Shown);
    QSignalSpy ended(h.m_pView, &CMavixView::BackgroundCheckEnded);
    QVERIFY(shown.wait(kCheckMs));
    const uint nId = shown.at(0).at(1).toUInt();
    if (!service) {
        QCOMPARE(nId, 0u);
        QTRY_VERIFY([] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->inherits("QBalloonTip") && widget->isVisible())
                    return true;
            }
            return false;
        }());
        return;
    }
    QVERIFY(nId != 0);

    // A check that finds nothing new says nothing; one more suspect
    // replaces the notification instead of stacking a second.
    tray.CheckNow();
    QVERIFY(ended.wait(15000));
    QCOMPARE(shown.count(), 1);
    std::vector<ScriptedPop3Server::MailboxMessage> mailbox = h.m_pServer->Mailbox();
    mailbox.push_back({"added-1", Mail("Second PRIZE inside")});
    h.m_pServer->SetMailbox(mailbox);
    tray.CheckNow();
    QVERIFY(shown.wait(15000));
    QCOMPARE(shown.at(1).at(1).toUInt(), nId);
    QByteArray out;
    QVERIFY(DesktopSession::Dunstctl({QStringLiteral("count"), QStringLiteral("displayed")}, &out));
    QCOMPARE(out.trimmed(), "1");

    // "Open" (the default action, as a click does) shows the window.
    h.m_pFrame->hide();
    QVERIFY(DesktopSession::Dunstctl({QStringLiteral("action"), QStringLiteral("0")}));
    QTRY_VERIFY(h.m_pFrame->isVisible());

    // The text, as dunst keeps it once it is dismissed: dunst reads markup,
    // so a Subject's own "<" and "&" come as entities.
    mailbox.push_back({"added-2", Mail("Third PRIZE <inside> & more")});
    mailbox.push_back({"added-3", Mail("Fourth PRIZE")});
    h.m_pServer->SetMailbox(mailbox);
    tray.CheckNow();
    QVERIFY(shown.wait(15000));
    QVERIFY(DesktopSession::Dunstctl({QStringLiteral("close")}));
    QJsonObject last;
    QTRY_VERIFY([&] {
        QByteArray json;
        DesktopSession::Dunstctl({QStringLiteral("history")}, &json);
        last = QJsonDocument::fromJson(json).object()[QStringLiteral("data")][0][0].toObject();
        return !last.isEmpty();
    }());
    QCOMPARE(last[QStringLiteral("body")][QStringLiteral("data")].toString(),
             QStringLiteral("2 new suspect messages: \"Third PRIZE &lt;inside&gt; &amp; more\", \"Fourth PRIZE\""));
}

void TestTray::startHidden_data()
{
    QTest::addColumn<bool>("checks");
    QTest::addColumn<bool>("tray");
    QTest::addColumn<bool>("shown");
    QTest::newRow("in the tray") << true << true << false;
    QTest::newRow("no background checks") << false << true << true;
    QTest::newRow("no tray") << true << false << true;
}

void TestTray::startHidden()
{
    QFETCH(bool, checks);
    QFETCH(bool, tray);
    QFETCH(bool, shown);
    ViewHarness h;  // the account, and a dialog answered should one open
    h.SetAccount(1);
    h.m_settings.WriteInt("Prefs", "CheckEvery", checks ? 5 : 0);
    if (!tray)
        QVERIFY(m_desktop.StopTray());
    {
        CMavixApp app;
        app.m_bStartHidden = true;
        QVERIFY(app.InitInstance());
        QCOMPARE(app.MainFrame()->isVisible(), shown);
    }
    if (!tray)
        QVERIFY(m_desktop.StartTray());
}

void TestTray::startAtLogin()
{
    QFile::remove(Autostart::EntryPath());
    for (bool bOn : {true, false}) {
        CPrefsDlg dlg;
        dlg.show();
        QCheckBox* box = dlg.findChild<QCheckBox*>(QStringLiteral("startAtLogin"));
        QVERIFY(box);
        QCOMPARE(box->isChecked(), !bOn);  // the box shows the file
        box->setChecked(bOn);
        dlg.accept();
        QCOMPARE(QFile::exists(Autostart::EntryPath()), bOn);
    }
    QVERIFY(Autostart::Set(true, nullptr));
    QFile entry(Autostart::EntryPath());
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY(entry.readAll().contains("\nExec=" + QFile::encodeName(Autostart::Program()) + " --desktop --hidden\n"));
    QCOMPARE(entry.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    QVERIFY(Autostart::Set(false, nullptr));
    QVERIFY(!QFile::exists(Autostart::EntryPath()));
}

QTEST_MAIN(TestTray)
#include "test_tray.moc"
