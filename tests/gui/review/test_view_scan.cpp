// The screening view against the scripted POP3 server: the form's states,
// what the status bar shows while rows arrive, the review and its buttons,
// the purge's Subject check, and the answer wait.

#include "Gate.h"
#include "ScriptedPop3Server.h"
#include "ScratchDirectory.h"
#include "ViewHarness.h"
#include "core/storage/QuarantineMaildir.h"

#include <atomic>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTimer>
#include <QtTest>
#include <condition_variable>
#include <mutex>

namespace {

// The scripted server offers nothing but USER/PASS on a plain connection.
const QString kInClear = QStringLiteral("  (the password travelled unencrypted)");
const QString kSuspectStatus1 = QStringLiteral("  3 eMails :   1 Suspect") + kInClear;

std::vector<std::string> ThreeMessages()
{
    return {Mail("Minutes of Monday"), Mail("You won the LOTTERY"), Mail("Lunch?")};
}

// Counts how often the client sent a command line.
int Count(const std::string& received, const std::string& line)
{
    int n = 0;
    for (size_t pos = received.find(line); pos != std::string::npos; pos = received.find(line, pos + 1))
        ++n;
    return n;
}

// Ends both workers and delivers everything they sent before they ended,
// so a test can tell that nothing more is coming.
void DrainWorkers(ViewHarness& h)
{
    ScreeningEngine& engine = h.m_pView->Engine();
    engine.SignalQuit();
    QVERIFY(engine.WaitEnded(std::chrono::seconds(10)));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

}  // namespace

class TestViewScan : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void showWithBlankField_data();
    void showWithBlankField();
    void scanOfThreeWithSecondSuspect();
    void noMail();
    void failedLogin();
    void stopWhileRowsArrive();
    void checkAllThenUncheckAll();
    void spaceTogglesSelectedRows();
    void cancelReview_data();
    void cancelReview();
    void purgeAsksFirst_data();
    void purgeAsksFirst();
    void removeWithNothingChecked();
    void purgeStopsOnSubjectMismatch();
    void purgeNotConfirmedIsReported();
    void keepAliveSendsNoop();
    void windowNeverWaitsOnServer_data();
    void windowNeverWaitsOnServer();
    void reviewSurvivesDroppedSession();
    void answerWaitStaysResponsive();
    void answerWaitTimesOut();
    void newScanEndsOldReview();
    void launchAppliesDefaultsBeforeAutoScan();
    void closeNeverWaitsPastItsBudget();  // last: it leaves a worker behind

private:
    ScratchDirectory m_dir;
};

void TestViewScan::initTestCase()
{
    // "message.txt" and "defaults.txt" live in the working directory.
    QVERIFY(m_dir.Enter());
}

void TestViewScan::init()
{
    RemoveSettingsFile();
    QFile::remove("defaults.txt");
    // One entry that makes "You won the LOTTERY" suspect.
    SettingsStore store;
    store.Open();
    store.WriteString("SubList", "0", "LOTTERY");
}

void TestViewScan::showWithBlankField_data()
{
    QTest::addColumn<QString>("blank");
    QTest::newRow("password") << "Pass";
    QTest::newRow("port") << "Port";
    QTest::newRow("server") << "Server";
    QTest::newRow("user") << "User";
}

void TestViewScan::showWithBlankField()
{
    QFETCH(QString, blank);
    ViewHarness h;
    h.SetAccount(4321, "joe", "secret");
    h.m_settings.WriteString("Acct", blank.toStdString(), "");
    QVERIFY(h.Build());
    h.Click("showStop");
    const QString server = blank == "Server" ? "" : "127.0.0.1";
    const QString user = blank == "User" ? "" : "joe";
    const QString port = blank == "Port" ? "" : "4321";
    QCOMPARE(h.m_asBoxes,
             QStringList{QStringLiteral("Failed to connect (some field is blank)\nserver=%1, user=%2 port=%3")
                             .arg(server, user, port)});
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Show Mavix"));
    QVERIFY(!h.m_pView->IsRunning());
}

// Pane 1 after each row, the check boxes, the progress range, the review.
void TestViewScan::scanOfThreeWithSecondSuspect()
{
    // Each TOP after the first waits for the test, so every row is seen alone
    // (and the pane then names the wait).
    Gate gates[4];
    ViewHarness h;
    h.Serve(ThreeMessages(), [&](const std::string& command, int) -> std::optional<std::string> {
        if (command == "TOP 2 0" || command == "TOP 3 0")
            gates[command[4] - '0'].Wait();
        return std::nullopt;
    });
    QVERIFY(h.Build());

    QStringList panes;
    h.Click("showStop");
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Stop"));
    for (int n = 1; n <= 3; ++n) {
        QTRY_COMPARE(h.Model().Count(), n);
        panes << h.Pane(1);
        if (n < 3) {
            QVERIFY(h.m_pView->Progress());
            QCOMPARE(h.m_pView->Progress()->maximum(), 3);
            QCOMPARE(h.m_pView->Progress()->value(), n);
            // A server silent for 2 s is waited for, and the user sees it.
            if (n == 2)
                QTRY_COMPARE_WITH_TIMEOUT(h.Pane(1), QStringLiteral("Waiting for the server (2 s)\u2026"), 5000);
            gates[n + 1].Open();
        }
    }
    QTRY_VERIFY(h.m_pView->IsReviewing());

    QCOMPARE(panes, (QStringList{"  3 eMails :   0 Suspect" + kInClear, kSuspectStatus1, kSuspectStatus1}));
    QCOMPARE(h.Model().Count(), 3);
    QVERIFY(!h.Model().IsChecked(0));
    QVERIFY(h.Model().IsChecked(1));
    QVERIFY(!h.Model().IsChecked(2));
    QCOMPARE(h.Model().data(h.Model().index(1, MessageGridModel::kSubject)).toString(),
             QStringLiteral("You won the LOTTERY"));
    // Review: the four buttons, no progress bar, the pane keeps the count.
    QVERIFY(h.ReviewButtonsVisible());
    QVERIFY(!h.m_pView->Progress());
    QCOMPARE(h.Pane(0), QStringLiteral("Ready"));
    QCOMPARE(h.Pane(1), kSuspectStatus1);
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Show Mavix"));
    QVERIFY(h.m_asBoxes.isEmpty());
}

void TestViewScan::noMail()
{
    ViewHarness h;
    ScriptedPop3Server& server = h.Serve({});
    QVERIFY(h.Build());
    h.Click("showStop");
    QTRY_COMPARE(h.m_asBoxes, QStringList{"No emails waiting for you at the Server"});
    QVERIFY(h.ReviewButtonsHidden());
    QVERIFY(h.Button("showStop")->isEnabled());
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Show Mavix"));
    QVERIFY(!h.m_pView->IsRunning());
    // Nothing to review: the session is ended, so the mailbox is not kept
    // locked against other clients.
    QVERIFY(server.WaitNoSession(5000));
    QCOMPARE(Count(server.Received(), "QUIT\r\n"), 1);
}

void TestViewScan::failedLogin()
{
    ScriptedPop3Server server;
    server.ServeMailbox(ThreeMessages(), "u", "right");
    server.Start();
    ViewHarness h;
    h.SetAccount(server.Port(), "u", "wrong");
    QVERIFY(h.Build());
    h.Click("showStop");
    QTRY_COMPARE(h.m_asBoxes, QStringList{"The server refused the log-in: -ERR [AUTH] Authentication failed."});
    QVERIFY(h.ReviewButtonsHidden());
    QCOMPARE(h.Model().Count(), 0);
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Show Mavix"));
    QVERIFY(!h.m_pView->IsRunning());
}

// Stop empties the grid at once; the stopped scan shows nothing more.
void TestViewScan::stopWhileRowsArrive()
{
    Gate gate;
    ScriptedPop3Server server;
    std::vector<std::string> messages;
    for (int i = 1; i <= 6; ++i)
        messages.push_back(Mail("Message " + std::to_string(i)));
    server.ServeMailbox(messages, "u", "p", [&](const std::string& command, int) -> std::optional<std::string> {
        if (command == "TOP 3 0")
            gate.Wait();
        return std::nullopt;
    });
    server.Start();
    ViewHarness h;
    h.SetAccount(server.Port());
    QVERIFY(h.Build());
    h.Click("showStop");
    QTRY_COMPARE(h.Model().Count(), 2);
    QTRY_VERIFY(gate.Reached());
    h.Click("showStop");
    QCOMPARE(h.Model().Count(), 0);
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Show Mavix"));
    QVERIFY(!h.m_pView->Progress());
    gate.Open();
    // Whatever the stopped scan still sent is delivered and dropped.
    DrainWorkers(h);
    QCOMPARE(h.Model().Count(), 0);
    QVERIFY(h.ReviewButtonsHidden());
    QVERIFY(h.m_asBoxes.isEmpty());
    QVERIFY(!h.m_pView->IsRunning());
}

void TestViewScan::checkAllThenUncheckAll()
{
    ViewHarness h;
    h.Serve(ThreeMessages());
    QVERIFY(h.Build());
    QVERIFY(h.ScanToReview());
    QCOMPARE(h.CheckedRows(), 1);
    QCOMPARE(h.Pane(2), QStringLiteral("  1 checked"));
    h.Click("checkAll");
    QCOMPARE(h.CheckedRows(), 3);
    QCOMPARE(h.Pane(2), QStringLiteral("  3 checked"));
    h.Click("uncheckAll");
    QCOMPARE(h.CheckedRows(), 0);  // the suspect row too
    QCOMPARE(h.Pane(2), QStringLiteral("  0 checked"));
    QCOMPARE(h.Pane(1), kSuspectStatus1);  // the lists' verdict, not the ticks
}

void TestViewScan::spaceTogglesSelectedRows()
{
    ViewHarness h;
    h.Serve(ThreeMessages());
    QVERIFY(h.Build());
    QVERIFY(h.ScanToReview());
    QTreeView* pGrid = h.m_pView->Grid();
    pGrid->setFocus();
    pGrid->selectionModel()->select(h.Model().index(0, 0),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    pGrid->selectionModel()->select(h.Model().index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(pGrid, Qt::Key_Space);
    QVERIFY(h.Model().IsChecked(0));
    QVERIFY(!h.Model().IsChecked(1));
    QVERIFY(!h.Model().IsChecked(2));
    QCOMPARE(h.Pane(2), QStringLiteral("  1 checked"));
}

void TestViewScan::cancelReview_data()
{
    QTest::addColumn<bool>("exitAfter");
    QTest::newRow("stay") << false;
    QTest::newRow("End set: exit") << true;
}

// Cancel: RSET then QUIT, nothing deleted; with "End" the window closes.
void TestViewScan::cancelReview()
{
    QFETCH(bool, exitAfter);
    ViewHarness h;
    ScriptedPop3Server& server = h.Serve(ThreeMessages());
    h.m_settings.WriteInt("Prefs", "End", exitAfter ? 1 : 0);
    QVERIFY(h.Build());
    QVERIFY(h.ScanToReview());
    h.Click("cancel");
    QCOMPARE(h.Model().Count(), 0);
    QVERIFY(h.ReviewButtonsHidden());
    QVERIFY(h.Pane(1).isEmpty());
    QVERIFY(!h.m_pView->IsReviewing());
    // RSET and QUIT go out from the engine's thread: the window never waits.
    QTRY_VERIFY(server.Received().find("RSET\r\nQUIT\r\n") != std::string::npos);
    QCOMPARE(Count(server.Received(), "DELE"), 0);
    QCOMPARE(server.Messages().size(), size_t(3));
    QVERIFY(h.m_asBoxes.isEmpty());
    if (exitAfter)
        QTRY_VERIFY(!h.m_pFrame->isVisible());
    else
        QVERIFY(h.m_pFrame->isVisible());
}

void TestViewScan::purgeAsksFirst_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("dontAsk");
    QTest::newRow("cancel: the review stays") << false << false;
    QTest::newRow("delete") << true << false;
    QTest::newRow("delete, don't ask again") << true << true;
}

// Check All on seven messages: the question names the account, five
// Subjects and the rest; only "Delete" deletes, and "Don't ask again"
// holds until Preferences bring the question back.
void TestViewScan::purgeAsksFirst()
{
    QFETCH(bool, yes);
    QFETCH(bool, dontAsk);
    std::vector<std::string> mail = ThreeMessages();
    for (const char* subject : {"Four", "=?UTF-8?Q?Caf=C3=A9?=", "Six", "Seven"})
        mail.push_back(Mail(subject));
    {
        ViewHarness h;
        ScriptedPop3Server& server = h.Serve(mail);
        h.m_settings.WriteInt("Prefs", "KeepCopyKB", 0);
        h.m_confirmAnswer = {yes, dontAsk};
        QVERIFY(h.Build());
        QVERIFY(h.ScanToReview());
        h.Click("checkAll");
        QSignalSpy idle(h.m_pView, &CMavixView::BecameIdle);
        h.Click("removeChecked");
        QCOMPARE(h.m_asQuestions.size(), 1);
        const QStringList lines = h.m_asQuestions.first().split(QLatin1Char('\n'));
        QCOMPARE(lines.mid(0, 7),
                 (QStringList{QStringLiteral("Delete 7 messages from u@127.0.0.1 on the server?"),
                              QStringLiteral("\u2022 Minutes of Monday"), QStringLiteral("\u2022 You won the LOTTERY"),
                              QStringLiteral("\u2022 Lunch?"), QStringLiteral("\u2022 Four"),
                              QStringLiteral("\u2022 Caf\u00e9"), QStringLiteral("and 2 more")}));
        QVERIFY(h.m_asQuestions.first().contains(QStringLiteral("POP3 cannot put a message back on the server")));
        if (!yes) {
            QVERIFY(h.m_pView->IsReviewing());
            QVERIFY(h.ReviewButtonsVisible());
            QCOMPARE(h.CheckedRows(), 7);
            QCOMPARE(Count(server.Received(), "DELE"), 0);
            return;
        }
        QVERIFY(idle.wait(10000));
        QCOMPARE(Count(server.Received(), "DELE"), 7);
        QCOMPARE(h.m_settings.ReadInt("Prefs", "AskBeforeDelete", 1), dontAsk ? 0 : 1);
    }

    // The next purge, on the same settings, asks again unless told not to.
    ViewHarness h;
    h.Serve(ThreeMessages());
    QVERIFY(h.Build());
    QVERIFY(h.ScanToReview());
    QSignalSpy idle(h.m_pView, &CMavixView::BecameIdle);
    h.Click("removeChecked");
    QVERIFY(idle.wait(10000));
    QCOMPARE(h.m_asQuestions.size(), dontAsk ? 0 : 1);
}

// The button with nothing checked deletes nothing and keeps the review.
void TestViewScan::removeWithNothingChecked()
{
    ViewHarness h;
    ScriptedPop3Server& server = h.Serve(ThreeMessages());
    QVERIFY(h.Build());
    QVERIFY(h.ScanToReview());
    h.Click("uncheckAll");
    h.Click("removeChecked");
    QCOMPARE(h.m_asBoxes, QStringList{QStringLiteral("No messages are checked.")});
    QVERIFY(h.m_asQuestions.isEmpty());
    QVERIFY(h.m_pView->IsReviewing());
    QVERIFY(h.ReviewButtonsVisible());
    QCOMPARE(h.Model().Count(), 3);
    QCOMPARE(h.Pane(1), kSuspectStatus1);
    QVERIFY(server.Received().find("QUIT") == std::string::npos);
}

// Rows 1 and 3 checked; message 3 changed its Subject since the scan: 1 is
// deleted (a copy kept first, as new settings do), 3 is not, and the user
// sees both subjects. The rows of the messages left stay in view, greyed,
// until the next scan.
void TestViewScan::purgeStopsOnSubjectMismatch()
{
    const QString copies = QString::fromStdString(QuarantineMaildir::DefaultFolder());
    QDir(copies).removeRecursively();
    ScriptedPop3Server server;
    int nTop3 = 0;
    server.ServeMailbox({Mail("Cheap LOTTERY tickets"), Mail("Project plan"), Mail("Old subject"), Mail("Tea")}, "u",
                        "p", [&](const std::string& command, int) -> std::optional<std::string> {
                            if (command == "TOP 3 0" && ++nTop3 == 2)
                                return "+OK\r\nSubject: New subject\r\nFrom: x@example.org\r\n\r\n.\r\n";
                            return std::nullopt;
                        });
    server.Start();
    ViewHarness h;
    h.m_settings.WriteNewSettingsDefaults();  // as at the first start
    h.SetAccount(server.Port());
    QVERIFY(h.Build());
    QVERIFY(h.ScanToReview());
    QCOMPARE(h.CheckedRows(), 1);
    QVERIFY(h.Model().setData(h.Model().index(2, 0), Qt::Checked, Qt::CheckStateRole));

    QSignalSpy idle(h.m_pView, &CMavixView::BecameIdle);
    h.Click("removeChecked");
    // The session belongs to the purge now; the button stops it.
    QVERIFY(h.ReviewButtonsHidden());
    QCOMPARE(h.Button("showStop")->text(), QString("&Stop"));
    QVERIFY(idle.wait(10000));
    QCOMPARE(h.m_asBoxes,
             (QStringList{"Grid has Old subject\n but Msg has \nNew subject\n\n Aborting",
                          "1 deleted, 0 refused by the server, 1 not deleted (changed on the server)"}));
    QCOMPARE(h.Pane(1), h.m_asBoxes.at(1));
    QCOMPARE(h.Model().Count(), 3);
    QVERIFY(h.Model().IsFromLastScan());
    QCOMPARE(h.Model().data(h.Model().index(0, MessageGridModel::kSubject)).toString(), QStringLiteral("Project plan"));
    QCOMPARE(h.Model().data(h.Model().index(1, 0), Qt::ForegroundRole).value<QColor>(), QColor(Qt::gray));
    QVERIFY(!(h.Model().flags(h.Model().index(1, 0)) & Qt::ItemIsUserCheckable));
    QVERIFY(!h.Model().setData(h.Model().index(1, 0), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(h.Pane(0), QStringLiteral("From the last scan: press Show Mavix to scan again"));
    QVERIFY(h.ReviewButtonsHidden());
    QCOMPARE(QDir(copies + "/new").entryList(QDir::Files).size(), 1);
    QVERIFY(!h.m_pView->Progress());
    QVERIFY(h.Button("showStop")->isEnabled());
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Show Mavix"));

    const std::string received = server.Received();
    QVERIFY(received.find("TOP 1 0\r\nUIDL 1\r\nRETR 1\r\nDELE 1\r\nTOP 3 0\r\nQUIT\r\n") != std::string::npos);
    QCOMPARE(Count(received, "DELE"), 1);
    const auto left = server.Messages();
    QCOMPARE(left.size(), size_t(3));
    QVERIFY(left[0].find("Project plan") != std::string::npos);
    QVERIFY(left[1].find("Old subject") != std::string::npos);
}

// A purge whose QUIT the server refuses has deleted nothing: say so.
void TestViewScan::purgeNotConfirmedIsReported()
{
    ScriptedPop3Server server;
    int nQuit = 0;
    server.ServeMailbox(ThreeMessages(), "u", "p", [&](const std::string& command, int) -> std::optional<std::string> {
        if (command == "QUIT" && ++nQuit == 1)
            return "-ERR mailbox is locked\r\n";
        return std::nullopt;
    });
    server.Start();
    ViewHarness h;
    h.SetAccount(server.Port());
    QVERIFY(h.Build());
    QVERIFY(h.ScanToReview());
    QSignalSpy idle(h.m_pView, &CMavixView::BecameIdle);
    h.Click("removeChecked");
    QVERIFY(idle.wait(10000));
    QCOMPARE(h.m_asBoxes.size(), 1);
    QVERIFY(h.m_asBoxes.first().startsWith("The server did not confirm the deletions"));
    QVERIFY(h.m_asBoxes.first().endsWith("-ERR mailbox is locked"));
}

void TestViewScan::keepAliveSendsNoop()
{
    ScriptedPop3Server server;
    server.ServeMailbox(ThreeMessages(), "u", "p");
    server.Start();
    ViewHarness h;
    h.m_nKeepAliveMs = 50;
    h.SetAccount(server.Port());
    QVERIFY(h.Build());
    QVERIFY(h.ScanToReview());
    QTRY_VERIFY(Count(server.Received(), "NOOP\r\n") >= 2);
    QVERIFY(h.m_pView->IsReviewing());
    QCOMPARE(h.Model().Count(), 3);
}

void TestViewScan::windowNeverWaitsOnServer_data()
{
    QTest::addColumn<QString>("held");
    QTest::newRow("NOOP held") << "NOOP";
    QTest::newRow("QUIT held") << "QUIT";
}

// The server holds its answer to the keep-alive's NOOP, or to Cancel's QUIT:
// the window goes on painting until the engine has given up on the answer
// after 2 s of silence (the test's own wait for the server). A window that
// waited would stall for those 2 s; the bound below leaves room for slow
// (sanitizer) runs.
void TestViewScan::windowNeverWaitsOnServer()
{
    constexpr qint64 kMaxStallMs = 1000;
    QFETCH(QString, held);
    Gate gate(std::chrono::seconds(10));
    ScriptedPop3Server server;
    server.ServeMailbox(ThreeMessages(), "u", "p", [&](const std::string& command, int) -> std::optional<std::string> {
        if (command == held.toStdString())
            gate.Wait();
        return std::nullopt;
    });
    server.Start();
    ViewHarness h;
    h.m_nKeepAliveMs = held == "NOOP" ? 50 : 600000;
    h.SetAccount(server.Port());
    QVERIFY(h.Build());
    h.m_pView->Engine().SetServerWait(std::chrono::seconds(2));
    QVERIFY(h.ScanToReview());

    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    tick.start(10);
    if (held == "QUIT") {
        h.Click("cancel");
        QVERIFY2(clock.elapsed() < kMaxStallMs, QByteArray::number(clock.elapsed()));
    }
    QTRY_VERIFY_WITH_TIMEOUT(gate.Reached(), 10000);
    // The engine gives up after the 2 s silence limit and drops the session.
    QTRY_VERIFY_WITH_TIMEOUT(
        held == "NOOP" ? h.Pane(1).startsWith("The server ended the session") : !h.m_asBoxes.isEmpty(), 10000);
    tick.stop();
    gate.Open();
    QVERIFY2(longest < kMaxStallMs, QByteArray::number(longest));
}

// The server drops the session during the review: the rows and the checks
// stay, and "Removed Checked Items" logs in again and finds the messages by
// UIDL, though another client removed one meanwhile.
void TestViewScan::reviewSurvivesDroppedSession()
{
    ScriptedPop3Server server;
    std::atomic<int> nNoop{0};
    server.ServeMailbox(ThreeMessages(), "u", "p", [&](const std::string& command, int) -> std::optional<std::string> {
        if (command == "NOOP" && ++nNoop == 1)
            return ScriptedPop3Server::kCloseConnection;
        return std::nullopt;
    });
    server.Start();
    ViewHarness h;
    h.m_nKeepAliveMs = 50;
    h.SetAccount(server.Port());
    QVERIFY(h.Build());
    QVERIFY(h.ScanToReview());
    QTRY_VERIFY(h.Pane(1).startsWith("The server ended the session"));
    QVERIFY(h.m_pView->IsReviewing());
    QCOMPARE(h.Model().Count(), 3);
    QVERIFY(h.m_asBoxes.isEmpty());
    QVERIFY(server.WaitNoSession(5000));
    QCOMPARE(server.SessionCount(), 1);
    h.Model().SetAllChecked(true);
    QSignalSpy idle(h.m_pView, &CMavixView::BecameIdle);
    h.Click("removeChecked");
    QVERIFY(idle.wait(10000));
    QCOMPARE(server.SessionCount(), 2);
    QVERIFY(server.WaitNoSession(5000));
    QCOMPARE(server.Messages().size(), size_t(0));
    QCOMPARE(h.Pane(1), QStringLiteral("3 deleted, 0 refused by the server, 0 not deleted (changed on the server)"));
    QVERIFY(h.m_asBoxes.isEmpty());
}

// The wait for the server's answer keeps the window alive: timers run,
// nothing shows before the answer, and Stop works at once.
void TestViewScan::answerWaitStaysResponsive()
{
    Gate gate;
    ViewHarness h;
    h.Serve(ThreeMessages(), [&](const std::string& command, int) -> std::optional<std::string> {
        if (command.empty())  // the greeting
            gate.Wait();
        return std::nullopt;
    });
    QVERIFY(h.Build());
    h.Click("showStop");
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Stop"));
    QTRY_VERIFY(gate.Reached());
    bool bTicked = false;
    QTimer::singleShot(20, this, [&] { bTicked = true; });
    QTRY_VERIFY(bTicked);
    QCOMPARE(h.Model().Count(), 0);
    QCOMPARE(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor,
             Qt::BusyCursor);
    h.Click("showStop");
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Show Mavix"));
    QVERIFY(!h.m_pView->IsRunning());
    QVERIFY(!QApplication::overrideCursor());
    gate.Open();
    DrainWorkers(h);
    QCOMPARE(h.Model().Count(), 0);
    QVERIFY(h.m_asBoxes.isEmpty());
}

// No answer in time: the message and idle state; the scan goes on and its
// late outcome is still shown.
void TestViewScan::answerWaitTimesOut()
{
    Gate gate;
    ScriptedPop3Server server;
    server.ServeMailbox(ThreeMessages(), "u", "p", [&](const std::string& command, int) -> std::optional<std::string> {
        if (command.empty())
            gate.Wait();
        return std::nullopt;
    });
    server.Start();
    ViewHarness h;
    h.SetAccount(server.Port(), "joe", "pw");
    QVERIFY(h.Build());
    h.m_pView->SetAnswerWait(300);
    h.Click("showStop");
    const QString expected = QStringLiteral("Failed to connect. server=127.0.0.1, user=joe port=%1").arg(server.Port());
    QTRY_COMPARE(h.m_asBoxes, QStringList{expected});
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Show Mavix"));
    QVERIFY(!h.m_pView->IsRunning());
    QVERIFY(!QApplication::overrideCursor());
    // The scan was not stopped: once the server answers, its rows and its
    // outcome arrive as usual.
    gate.Open();
    QTRY_COMPARE(h.m_asBoxes.size(), 2);
    QVERIFY(h.m_asBoxes.at(1).startsWith(QStringLiteral("The server refused the log-in: -ERR")));
}

// Show during a review ends that review first, then scans anew.
void TestViewScan::newScanEndsOldReview()
{
    ScriptedPop3Server server;
    server.ServeMailbox(ThreeMessages(), "u", "p");
    server.Start();
    ViewHarness h;
    h.m_nKeepAliveMs = 60000;
    h.SetAccount(server.Port());
    QVERIFY(h.Build());
    QVERIFY(h.ScanToReview());
    QCOMPARE(h.Button("showStop")->text(), QStringLiteral("&Show Mavix"));

    QStringList buttonWhileRows;
    bool bReviewButtonsDuringScan = false;
    connect(&h.Model(), &QAbstractItemModel::rowsInserted, this, [&] {
        buttonWhileRows << h.Button("showStop")->text();
        bReviewButtonsDuringScan |= !h.ReviewButtonsHidden();
    });
    h.Click("showStop");
    QVERIFY(!h.m_pView->IsReviewing());
    QTRY_VERIFY(h.m_pView->IsReviewing());
    QVERIFY(!buttonWhileRows.isEmpty());
    QCOMPARE(buttonWhileRows.filter("Stop").size(), buttonWhileRows.size());
    QVERIFY(!bReviewButtonsDuringScan);
    QCOMPARE(h.Model().Count(), 3);
    // The first session was quit before the second log-in.
    const std::string received = server.Received();
    const size_t firstQuit = received.find("QUIT\r\n");
    const size_t secondUser = received.find("USER u\r\n", received.find("USER u\r\n") + 1);
    QVERIFY(firstQuit != std::string::npos);
    QVERIFY(secondUser != std::string::npos);
    QVERIFY(firstQuit < secondUser);
    QCOMPARE(server.SessionCount(), 2);
}

// "Def" and "Start": the first automatic scan already uses the default lists.
void TestViewScan::launchAppliesDefaultsBeforeAutoScan()
{
    {
        QFile defaults("defaults.txt");
        QVERIFY(defaults.open(QIODevice::WriteOnly));
        defaults.write("[SUBJECT]\nINVOICE\n[SUBJECT EXACT]\n[SIZE]\n");
    }
    ViewHarness h;
    h.Serve({Mail("Your INVOICE 42"), Mail("You won the LOTTERY")});
    h.m_settings.WriteInt("Prefs", "Start", 1);
    h.m_settings.WriteInt("Prefs", "Def", 1);
    QVERIFY(h.Build());
    QTRY_VERIFY(h.m_pView->IsReviewing());
    // The default subject list is merged into the stored one: the user's
    // own "LOTTERY" stays beside the default "INVOICE".
    QVERIFY(h.Model().IsChecked(0));
    QVERIFY(h.Model().IsChecked(1));
    QVERIFY(h.m_asBoxes.isEmpty());
}

// A purge stuck on a silent server: closing saves everything and stops the
// purge at once; before its QUIT nothing is deleted.
void TestViewScan::closeNeverWaitsPastItsBudget()
{
    Gate gate;
    int nTop2 = 0;
    ViewHarness h;
    h.Serve(ThreeMessages(), [&](const std::string& command, int) -> std::optional<std::string> {
        if (command == "TOP 2 0" && ++nTop2 == 2)
            gate.Wait();
        return std::nullopt;
    });
    QVERIFY(h.Build());
    QVERIFY(h.ScanToReview());
    h.Click("removeChecked");
    QTRY_VERIFY(gate.Reached());

    h.m_pFrame->SetShutdownBudget(std::chrono::seconds(5));
    h.m_pView->Grid()->header()->resizeSection(2, 77);
    const auto start = std::chrono::steady_clock::now();
    QVERIFY(h.m_pFrame->close());
    QVERIFY(std::chrono::steady_clock::now() - start < std::chrono::seconds(1));
    QVERIFY(!CMavixView::WorkersAbandoned());
    QCOMPARE(h.m_settings.ReadInt("List", "col2", -1), 77);
    QCOMPARE(h.m_settings.ReadInt("Screen", "cx", -1), h.m_pFrame->geometry().width());
    gate.Open();
    QVERIFY(h.m_pServer->WaitNoSession(5000));
    QVERIFY(h.m_pServer->Received().find("QUIT") == std::string::npos);
    QCOMPARE(h.m_pServer->Messages().size(), size_t(3));
}

QTEST_MAIN(TestViewScan)
#include "test_view_scan.moc"
