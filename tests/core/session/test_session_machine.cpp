// The session's states without a window: each row plays a run of events and
// checks where the machine ends up and what its last answer told the owner.

#include <QtTest>

#include "core/session/SessionMachine.h"

namespace {

using State = SessionMachine::State;

// Plays one event; returns what the machine answered, or "" for none.
QString Play(SessionMachine& m, const QString& event)
{
    if (event == "scan" || event == "bg")
        m.StartScan(event == "bg");
    else if (event == "answer")
        m.Answered();
    else if (event == "timeout")
        m.AnswerTimedOut();
    else if (event == "stop")
        m.Stop();
    else if (event == "close")
        m.SetCloseWhenDone(true);
    else if (event.startsWith("done:")) {
        const auto after = m.ScanDone(event.endsWith("fail"), event != "done:none");
        return QStringList{"idle", "review", "end-session"}[static_cast<int>(after)];
    } else if (event.startsWith("check:")) {
        const auto after = m.SessionChecked(event == "check:alive", event == "check:lost");
        return QStringList{"nothing", "lost", "cancel"}[static_cast<int>(after)];
    } else if (event == "end")
        m.EndSession();
    else if (event == "cancel")
        m.Cancel();
    else if (event == "ended")
        return QStringList{"bg-done", "tell", "tell-close"}[static_cast<int>(m.SessionEnded())];
    else if (event == "purge")
        m.StartPurge();
    else if (event == "purged")
        return m.PurgeDone() ? "close" : "stay";
    else
        qFatal("unknown event");
    return {};
}

}  // namespace

Q_DECLARE_METATYPE(SessionMachine::State)

class TestSessionMachine : public QObject {
    Q_OBJECT
private slots:
    void transitions_data()
    {
        QTest::addColumn<QString>("events");
        QTest::addColumn<State>("state");
        // S: the user can stop it, A: awaits its answer, K: keep-alive due,
        // L: session lost, B: background, M: a background check may start.
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QString>("answer");  // the last answer given
        QTest::newRow("idle") << "" << State::kIdle << "M"
                              << "";
        QTest::newRow("scan waits") << "scan" << State::kConnecting << "SA"
                                    << "";
        QTest::newRow("answered") << "scan answer" << State::kScanning << "S"
                                  << "";
        QTest::newRow("wait timed out: runs on") << "scan timeout" << State::kConnecting << "M"
                                                 << "";
        QTest::newRow("rows: review") << "scan answer done:rows" << State::kReviewing << "K"
                                      << "review";
        QTest::newRow("no mail") << "scan answer done:none" << State::kIdle << "M"
                                 << "idle";
        QTest::newRow("failed with rows") << "scan done:fail" << State::kIdle << "M"
                                          << "idle";
        QTest::newRow("stopped") << "scan answer stop" << State::kIdle << "M"
                                 << "";
        QTest::newRow("background") << "bg" << State::kConnecting << "SB"
                                    << "";
        QTest::newRow("background ends its session") << "bg done:rows" << State::kEnding << "B"
                                                     << "end-session";
        QTest::newRow("background done") << "bg done:rows ended" << State::kIdle << "M"
                                         << "bg-done";
        QTest::newRow("background failed") << "bg done:fail" << State::kIdle << "M"
                                           << "idle";
        QTest::newRow("background stopped") << "bg stop" << State::kIdle << "M"
                                            << "";
        QTest::newRow("alive") << "scan done:rows check:alive" << State::kReviewing << "K"
                               << "nothing";
        QTest::newRow("lost, found again by id") << "scan done:rows check:lost" << State::kReviewing << "L"
                                                 << "lost";
        QTest::newRow("gone for good") << "scan done:rows check:gone" << State::kReviewing << "K"
                                       << "cancel";
        QTest::newRow("lost is told once") << "scan done:rows check:lost check:gone" << State::kReviewing << "L"
                                           << "nothing";
        QTest::newRow("rescan drops the loss") << "scan done:rows check:lost scan" << State::kConnecting << "SA"
                                               << "";
        QTest::newRow("cancel") << "scan done:rows cancel ended" << State::kIdle << "M"
                                << "tell";
        QTest::newRow("cancel, then close") << "close scan done:rows cancel ended" << State::kIdle << "M"
                                            << "tell-close";
        QTest::newRow("purging") << "scan done:rows purge" << State::kPurging << ""
                                 << "";
        QTest::newRow("purged") << "scan done:rows purge purged" << State::kIdle << "M"
                                << "stay";
        QTest::newRow("purged, then close") << "close scan done:rows purge purged" << State::kIdle << "M"
                                            << "close";
        QTest::newRow("session end waited for") << "scan done:rows end" << State::kEnding << ""
                                                << "";
        QTest::newRow("session ended") << "scan done:none end ended" << State::kIdle << "M"
                                       << "tell";
    }

    void transitions()
    {
        QFETCH(QString, events);
        QFETCH(State, state);
        QFETCH(QString, flags);
        QFETCH(QString, answer);
        SessionMachine m;
        QString last;
        for (const QString& event : events.split(' ', Qt::SkipEmptyParts))
            last = Play(m, event);
        QCOMPARE(m.Current(), state);
        QString seen;
        const std::pair<char, bool> all[] = {{'S', m.CanStop()},      {'A', m.AwaitsAnswer()},
                                             {'K', m.KeepsAlive()},   {'L', m.IsSessionLost()},
                                             {'B', m.IsBackground()}, {'M', m.MayStartBackground()}};
        for (const auto& [letter, bSet] : all)
            if (bSet)
                seen += QLatin1Char(letter);
        QCOMPARE(seen, flags);
        QCOMPARE(last, answer);
    }
};

QTEST_GUILESS_MAIN(TestSessionMachine)
#include "test_session_machine.moc"
