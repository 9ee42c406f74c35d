// Background checks through the window: a real Dovecot checked with no
// dialog shortly after the start, each new suspect told of once, a purge
// of the rows that logs in again; a failing server backs off; a busy
// window is left alone.

#include "DovecotServer.h"
#include "ScriptedPop3Server.h"
#include "ScratchDirectory.h"
#include "tests/gui/review/ViewHarness.h"

#include "gui/app/TrayController.h"
#include "core/storage/DeletionJournal.h"

#include <QSignalSpy>
#include <QtTest>

using namespace std::chrono_literals;

class TestBackground : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.Enter()); }
    void init() { RemoveSettingsFile(); }
    void checksNotifyOnceAndPurgeLogsInAgain();
    void failureBacksOffBusyWindowWaits();

private:
    // Starts the next check now and waits for its end.
    static int RunCheck(CTrayController& tray, QSignalSpy& ended)
    {
        const int before = static_cast<int>(ended.count());
        tray.Timer().start(0);
        if (!QTest::qWaitFor([&] { return ended.count() > before; }, 15000))
            return -99;
        return ended.last().at(0).toInt();
    }

    ScratchDirectory m_dir;
};

void TestBackground::checksNotifyOnceAndPurgeLogsInAgain()
{
    DovecotServer server;
    for (const char* subject : {"Quarterly report", "WIN A PRIZE now", "Another PRIZE draw"})
        server.AddMessage(Mail(subject));
    std::string error;
    QVERIFY2(server.Start(&error), error.c_str());

    ViewHarness h;
    h.SetAccount(server.Port(), server.User(), server.Password());
    h.m_settings.WriteString("SubList", "0", "PRIZE");
    h.m_settings.WriteInt("Prefs", "CheckEvery", 7);
    QVERIFY(h.Build());
    CTrayController& tray = *h.m_pFrame->Tray();
    QVERIFY(tray.Logic().IsOn());
    QSignalSpy ended(h.m_pView, &CMavixView::BackgroundCheckEnded);
    QSignalSpy notified(&tray, &CTrayController::Notified);

    // The first check comes by itself, shortly after the start.
    QCOMPARE(tray.Timer().interval(), 1000 * CTrayController::kFirstCheckDelay.count());
    QVERIFY(ended.wait(1000 * CTrayController::kFirstCheckDelay.count() + 15000));
    QCOMPARE(ended.last().at(0).toInt(), 1);
    QCOMPARE(notified.count(), 1);
    QCOMPARE(notified.at(0).at(0).toString(),
             QStringLiteral("2 new suspect messages: \"WIN A PRIZE now\", \"Another PRIZE draw\""));
    QCOMPARE(tray.Tooltip(), QStringLiteral("Mavix\n3 messages waiting, 2 suspect"));
    // The rows stay with their checks, the session is over, nobody was asked.
    QCOMPARE(h.Model().Count(), 3);
    QCOMPARE(h.CheckedRows(), 2);
    QVERIFY(h.ReviewButtonsVisible());
    QVERIFY(!h.m_pView->IsReviewing());
    QVERIFY(h.m_asBoxes.isEmpty());
    QCOMPARE(tray.Timer().interval(), 7 * 60 * 1000);

    // The same suspects again: no second notification.
    QCOMPARE(RunCheck(tray, ended), 1);
    QCOMPARE(notified.count(), 1);
    // A new one arrives: told again.
    server.AddMessage(Mail("Third PRIZE inside"));
    QCOMPARE(RunCheck(tray, ended), 1);
    QCOMPARE(notified.count(), 2);
    QCOMPARE(notified.at(1).at(0).toString(), QStringLiteral("1 new suspect message: \"Third PRIZE inside\""));

    // "Removed Checked Items" on these rows logs in again and finds the
    // messages by UIDL; the journal records them.
    const size_t nBefore = DeletionJournal().Read().size();
    QSignalSpy idle(h.m_pView, &CMavixView::BecameIdle);
    h.Click("removeChecked");
    QVERIFY(idle.wait(15000));
    QVERIFY2(h.m_asBoxes.isEmpty(), qPrintable(h.m_asBoxes.join('|')));
    QCOMPARE(server.MessageFileCount(), 1);
    std::vector<JournalEntry> entries = DeletionJournal().Read();
    QCOMPARE(entries.size(), nBefore + 3);
    entries.erase(entries.begin(), entries.begin() + static_cast<long>(nBefore));
    for (const JournalEntry& entry : entries) {
        QVERIFY(entry.m_sSubject.find("PRIZE") != std::string::npos);
        QVERIFY(!entry.m_sUidl.empty());
        QVERIFY(entry.m_nSize > 0);
        QVERIFY(entry.m_sReason != DeletionJournal::kCheckedByHand);
    }
}

void TestBackground::failureBacksOffBusyWindowWaits()
{
    ScriptedPop3Server server;
    server.ServeMailbox({Mail("Hello")}, "u", "p");
    server.Start();
    ViewHarness h;
    h.SetAccount(server.Port(), "u", "wrong");
    h.m_settings.WriteInt("Prefs", "CheckEvery", 5);
    QVERIFY(h.Build());
    CTrayController& tray = *h.m_pFrame->Tray();
    QSignalSpy ended(h.m_pView, &CMavixView::BackgroundCheckEnded);

    // A refused log-in: no dialog, the reason in the status bar, the next
    // check twice as far off.
    QCOMPARE(RunCheck(tray, ended), -1);
    QVERIFY(h.m_asBoxes.isEmpty());
    QVERIFY(h.Pane(1).startsWith(QStringLiteral("Background check failed: ")));
    QCOMPARE(tray.Logic().Failures(), 1);
    QCOMPARE(tray.Timer().interval(), 10 * 60 * 1000);
    QVERIFY(tray.Tooltip().startsWith(QStringLiteral("Mavix\nThe last check failed: ")));

    // During the user's own review no check starts; it is tried again soon.
    h.SetAccount(server.Port());
    h.m_pView->OnInitialUpdate();
    QVERIFY(h.ScanToReview());
    const int sessions = server.SessionCount();
    tray.Timer().start(0);
    QTRY_COMPARE(tray.Timer().interval(), 60 * 1000);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(server.SessionCount(), sessions);
    QVERIFY(h.m_pView->IsReviewing());
}

QTEST_MAIN(TestBackground)
#include "test_background.moc"
