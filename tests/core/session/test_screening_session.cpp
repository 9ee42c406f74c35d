// The session's one rule for check boxes, fed rows without a server: the
// lists' verdict, then the choice remembered from an earlier scan, then the
// user's own check in this review; the purge gets exactly the checked rows.

#include <QTemporaryDir>
#include <QtTest>

#include "core/session/ScreeningSession.h"

namespace {

// The engine is never started here: its notes go nowhere.
class NoQueue : public NoteQueueListener {
protected:
    void Queue(ScreeningNote) override { }
};

ScanRow Scanned(int nNum, const std::string& uidl, bool bSuspect)
{
    ScanRow row;
    row.m_row.m_sNum = std::to_string(nNum);
    row.m_row.m_sSubject = "Subject " + uidl;
    row.m_row.m_sUidl = uidl;
    row.m_nSuspect = bSuspect ? 1 : 0;
    return row;
}

// One scan of "u1" (the row under test) and "u2" (neither suspect nor
// remembered), through a session whose choices live at `path`.
struct SessionFixture {
    explicit SessionFixture(const std::string& path, bool bSuspect)
        : m_session(m_queue, m_owner)
    {
        m_session.LoadChoicesFrom(path);
        std::vector<ScanRow> rows{Scanned(1, "u1", bSuspect), Scanned(2, "u2", false)};
        m_session.AddRows(rows);
    }
    NoQueue m_queue;
    ISessionListener m_owner;
    ScreeningSession m_session;
};

// Writes down what the session told its owner, one word a note.
class FlowOwner : public ISessionListener {
public:
    QStringList m_told;
    void OnAnswerWaitOver(const AnswerWaitOver& over) override { m_told << (over.m_bTimedOut ? "timeout" : "answer"); }
    void OnLoggedIn(const ScanLoggedIn& login) override { m_told << (login.m_bPasswordInClear ? "clear" : "login"); }
    void OnRowsAdded(const RowsAdded&) override { m_told << "rows"; }
    void OnRepeatedNumber(const RepeatedNumber& r) override { m_told << (r.m_bBackground ? "repeat-bg" : "repeat"); }
    void OnScanFinished(const ScanFinished& f) override
    {
        m_told << QStringList{"idle", "review", "end-session"}[static_cast<int>(f.m_nAfter)];
    }
    void OnSessionLost(const SessionLost& lost) override { m_told << (lost.m_bCancelled ? "cancelled" : "lost"); }
    void OnSessionOver(const SessionOver& over) override
    {
        m_told << QStringList{"bg-done", "tell", "tell-close"}[static_cast<int>(over.m_nAfter)];
    }
    void OnPurgeFinished(const PurgeFinished& done) override { m_told << (done.m_bClose ? "purged-close" : "purged"); }
};

// Plays one event on the session as its engine or its owner would.
void Play(ScreeningSession& session, const QString& event)
{
    std::vector<ScanRow> rows{Scanned(1, "u1", true), Scanned(2, "u2", false)};
    if (event == "repeat")
        rows.back().m_nRepeat = 1;
    if (event == "scan" || event == "bg")
        session.StartScan(Account{}, FilterLists{}, RowKeeping::kEveryRow, event == "bg");
    else if (event == "login" || event == "clear")
        session.OnScanLoggedIn(ScanLoggedIn{"USER", event == "clear"});
    else if (event == "answer")
        session.OnScanAnswered(ScanAnswered{});
    else if (event == "timeout")
        session.AnswerWaitRanOut();
    else if (event == "rows" || event == "repeat")
        session.AddRows(rows);
    else if (event == "done" || event == "fail")
        session.OnScanDone(ScanDone{event == "fail" ? -1 : 0, {}});
    else if (event == "alive" || event == "lost" || event == "gone")
        session.OnSessionChecked(SessionChecked{event == "alive", event == "lost"});
    else if (event == "ended")
        session.OnSessionEnded(SessionEnd{});
    else if (event == "end")
        session.EndSession();
    else if (event == "cancel")
        session.CancelReview();
    else if (event == "close")
        session.SetCloseWhenDone(true);
    else if (event == "purge")
        session.StartPurge();
    else if (event == "purged")
        session.OnPurgeDone(PurgeDone{});
    else
        qFatal("unknown event");
}

}  // namespace

Q_DECLARE_METATYPE(SessionState)

class TestScreeningSession : public QObject {
    Q_OBJECT
private slots:
    void checkRule_data();
    void checkRule();
    void flow_data();
    void flow();
};

void TestScreeningSession::checkRule_data()
{
    QTest::addColumn<bool>("suspect");    // the lists' verdict
    QTest::addColumn<int>("remembered");  // -1 none, 1 left checked, 0 left unchecked
    QTest::addColumn<int>("user");        // -1 no click, 1 checks, 0 unchecks
    QTest::addColumn<bool>("checked");

    QTest::newRow("clean") << false << -1 << -1 << false;
    QTest::newRow("clean, user checks") << false << -1 << 1 << true;
    QTest::newRow("clean, user unchecks") << false << -1 << 0 << false;
    QTest::newRow("clean, kept checked") << false << 1 << -1 << true;
    QTest::newRow("clean, kept checked, user checks") << false << 1 << 1 << true;
    QTest::newRow("clean, kept checked, user unchecks") << false << 1 << 0 << false;
    QTest::newRow("clean, kept unchecked") << false << 0 << -1 << false;
    QTest::newRow("clean, kept unchecked, user checks") << false << 0 << 1 << true;
    QTest::newRow("clean, kept unchecked, user unchecks") << false << 0 << 0 << false;
    QTest::newRow("suspect") << true << -1 << -1 << true;
    QTest::newRow("suspect, user checks") << true << -1 << 1 << true;
    QTest::newRow("suspect, user unchecks") << true << -1 << 0 << false;
    QTest::newRow("suspect, kept checked") << true << 1 << -1 << true;
    QTest::newRow("suspect, kept checked, user checks") << true << 1 << 1 << true;
    QTest::newRow("suspect, kept checked, user unchecks") << true << 1 << 0 << false;
    QTest::newRow("suspect, kept unchecked") << true << 0 << -1 << false;
    QTest::newRow("suspect, kept unchecked, user checks") << true << 0 << 1 << true;
    QTest::newRow("suspect, kept unchecked, user unchecks") << true << 0 << 0 << false;
}

void TestScreeningSession::checkRule()
{
    QFETCH(bool, suspect);
    QFETCH(int, remembered);
    QFETCH(int, user);
    QFETCH(bool, checked);

    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/choices";
    if (remembered >= 0) {
        // What an earlier review left (recorded against that scan's verdict).
        RememberedChoices earlier;
        earlier.Load(path);
        QVERIFY(earlier.Record("u1", remembered == 1, remembered != 1));
        QVERIFY(earlier.Save());
    }

    SessionFixture scan(path, suspect);
    ScreeningSession& session = scan.m_session;
    if (user >= 0)
        QVERIFY(session.SetChecked(0, user == 1));
    QCOMPARE(session.IsChecked(0), checked);
    QVERIFY(!session.IsChecked(1));
    QCOMPARE(session.CheckedCount(), checked ? 1 : 0);

    // The purge gets every row, by message number, and the checked ones
    // alone with what the journal records.
    const std::vector<PurgeRow> purge = session.PurgeSnapshot();
    QCOMPARE(purge.size(), size_t(2));
    QCOMPARE(purge[0].m_nNum, 1);
    QCOMPARE(purge[0].m_sUidl, std::string("u1"));
    QCOMPARE(purge[0].m_bChecked, checked);
    QCOMPARE(purge[0].m_pJournal != nullptr, checked);
    QVERIFY(!purge[1].m_bChecked && !purge[1].m_pJournal);

    // The next scan shows the row as the user left it.
    SessionFixture next(path, suspect);
    QCOMPARE(next.m_session.IsChecked(0), checked);
}

// The session makes each move itself and tells its owner where the flow
// went (the moves alone: test_session_machine).
void TestScreeningSession::flow_data()
{
    QTest::addColumn<QString>("events");
    QTest::addColumn<SessionState>("state");
    QTest::addColumn<QString>("told");
    QTest::addColumn<int>("rows");  // rows the session keeps at the end

    QTest::newRow("answered once") << "scan answer rows done" << SessionState::kReviewing << "answer rows review" << 2;
    QTest::newRow("password sent unencrypted")
        << "scan clear answer rows done" << SessionState::kReviewing << "clear answer rows review" << 2;
    QTest::newRow("a late log-in is not told")
        << "scan login rows done clear" << SessionState::kReviewing << "login answer rows review" << 2;
    QTest::newRow("wait ran out") << "scan timeout rows" << SessionState::kScanning << "timeout rows" << 2;
    QTest::newRow("no mail, session ended")
        << "scan answer done end ended" << SessionState::kIdle << "answer idle tell" << 0;
    QTest::newRow("background keeps its rows")
        << "bg rows done ended" << SessionState::kIdle << "rows end-session bg-done" << 2;
    QTest::newRow("repeated number in background") << "bg repeat" << SessionState::kIdle << "rows repeat-bg" << 1;
    QTest::newRow("lost, review stays") << "scan rows done lost alive" << SessionState::kReviewing
                                        << "answer rows review lost" << 2;
    QTest::newRow("gone for good, then close")
        << "close scan rows done gone ended" << SessionState::kIdle << "answer rows review cancelled tell-close" << 0;
    QTest::newRow("purged, then close") << "close scan rows done purge purged" << SessionState::kIdle
                                        << "answer rows review purged-close" << 2;
}

void TestScreeningSession::flow()
{
    QFETCH(QString, events);
    QFETCH(SessionState, state);
    QFETCH(QString, told);
    QFETCH(int, rows);
    NoQueue queue;
    FlowOwner owner;
    ScreeningSession session(queue, owner);
    for (const QString& event : events.split(' ', Qt::SkipEmptyParts))
        Play(session, event);
    QCOMPARE(session.State(), state);
    QCOMPARE(owner.m_told.join(' '), told);
    QCOMPARE(session.Count(), size_t(rows));
}

QTEST_GUILESS_MAIN(TestScreeningSession)
#include "test_screening_session.moc"
