// Servers that answer late, twice, out of shape or not at all: the scan and
// the purge against each, by what reaches the wire and what the server
// deleted at QUIT. The rule under test: a message is deleted only when its
// row showed that very message.

#include <QDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>

#include "EngineHarness.h"
#include "tests/support/Gate.h"
#include "tests/support/ScriptedPop3Server.h"
#include "tests/support/ScratchDirectory.h"

namespace {

// How the server misbehaves: a command line (or "" for the greeting) and
// what it does instead of its normal answer. "late" holds the answer until
// the client has given up, "double" sends it twice, "stray" adds a line
// after it, "trickle" sends it one byte at a time; anything else is sent
// as it stands. `phase` says whether the fault hits the scan or the purge.
struct Fault {
    std::string m_sCommand;
    std::string m_sAction;
    bool m_bInPurge = false;
};

std::vector<std::string> Mailbox()
{
    return {MailText(1, "Spam offer"), MailText(2, "Meeting notes"), MailText(3, "Lunch?")};
}

// The normal answer of the mailbox to a few commands, for the faults that
// repeat or stretch it.
std::string NormalAnswer(const std::string& command, const std::vector<std::string>& mail)
{
    if (command.starts_with("TOP ")) {
        const size_t n = std::stoul(command.substr(4));
        return "+OK\r\n" + HeaderOf(mail[n - 1]) + "\r\n.\r\n";
    }
    if (command.starts_with("DELE "))
        return "+OK marked\r\n";
    return "+OK\r\n";
}

}  // namespace

Q_DECLARE_METATYPE(Fault)

class TestHostileSessions : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.Enter()); }
    void faults_data();
    void faults();

private:
    ScratchDirectory m_dir;
};

void TestHostileSessions::faults_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("scanResult");
    QTest::addColumn<QString>("status");   // part of the scan's status; empty: none
    QTest::addColumn<QString>("wireEnd");  // the last command the server received
    QTest::addColumn<QString>("left");     // subjects left on the server, in order, after purging every row

    const QString all = "Spam offer|Meeting notes|Lunch?";
    QTest::newRow("late greeting") << Fault{"", "late"} << -1 << "sent no greeting"
                                   << "" << all;
    QTest::newRow("late PASS") << Fault{"PASS p", "late"} << -1 << "did not answer PASS"
                               << "PASS p" << all;
    QTest::newRow("late STAT") << Fault{"STAT", "late"} << -1 << "did not answer STAT"
                               << "STAT" << all;
    QTest::newRow("late LIST") << Fault{"LIST", "late"} << -1 << "did not answer LIST"
                               << "LIST" << all;
    QTest::newRow("late UIDL") << Fault{"UIDL", "late"} << -1 << "did not answer UIDL"
                               << "UIDL" << all;
    QTest::newRow("late TOP") << Fault{"TOP 1 0", "late"} << -1 << "did not answer TOP 1"
                              << "TOP 1 0" << all;
    const std::string listing = "+OK\r\n1 mavix-uid-1\r\n2 mavix-uid-2\r\n3 mavix-uid-3\r\n.\r\n";
    QTest::newRow("UIDL listing sent twice")
        << Fault{"UIDL", listing + listing} << -1 << "nobody asked for before TOP 1"
        << "UIDL" << all;
    QTest::newRow("doubled TOP") << Fault{"TOP 1 0", "double"} << -1 << ""
                                 << "" << all;
    QTest::newRow("stray line after a reply") << Fault{"TOP 2 0", "stray"} << -1 << "nobody asked for"
                                              << "TOP 2 0" << all;
    QTest::newRow("status line '+'") << Fault{"TOP 2 0", "+\r\n.\r\n"} << -1 << "not a POP3 reply"
                                     << "TOP 2 0" << all;
    QTest::newRow("trickled TOP") << Fault{"TOP 2 0", "trickle"} << -1 << "did not end within"
                                  << "TOP 2 0" << all;
    // An id the identity check cannot use still shows its row; that row is
    // checked by its Subject alone.
    QTest::newRow("unusable UIDL entry") << Fault{"UIDL",
                                                  "+OK\r\n1 mavix-uid-1\r\n2 bad\x01id\r\n3 mavix-uid-3\r\n.\r\n"}
                                         << 0 << ""
                                         << "QUIT"
                                         << "";
    // An id listed for two messages names neither: both rows are checked by
    // their Subject alone, in this session only.
    QTest::newRow("UIDL listed twice") << Fault{"UIDL", "+OK\r\n1 SAME\r\n2 SAME\r\n3 mavix-uid-3\r\n.\r\n"} << 0 << ""
                                       << "QUIT"
                                       << "";
    // A refused TOP shows no text of another message, and is never deleted.
    QTest::newRow("-ERR to TOP in the scan") << Fault{"TOP 2 0", "-ERR gone\r\n"} << 0 << ""
                                             << "QUIT"
                                             << "Meeting notes";
    // In the purge: a refused re-read stops it; what was marked before stands.
    QTest::newRow("-ERR to TOP in the purge") << Fault{"TOP 2 0", "-ERR gone\r\n", true} << 0 << ""
                                              << "QUIT"
                                              << "Meeting notes|Lunch?";
    QTest::newRow("another id for a number") << Fault{"UIDL 2", "+OK 2 someone-else\r\n", true} << 0 << ""
                                             << "QUIT"
                                             << "Meeting notes|Lunch?";
    // Replies out of step in the purge: dropped without QUIT, nothing deleted.
    QTest::newRow("UIDL n naming another") << Fault{"UIDL 2", "+OK 3 uid-3\r\n", true} << 0 << ""
                                           << "UIDL 2" << all;
    QTest::newRow("late DELE") << Fault{"DELE 2", "late", true} << 0 << ""
                               << "DELE 2" << all;
    // The server may have deleted (it did here): the user is told the
    // deletions were not confirmed, never that they were done.
    QTest::newRow("QUIT never answered") << Fault{"QUIT", "", true} << 0 << ""
                                         << "QUIT"
                                         << "";
}

void TestHostileSessions::faults()
{
    QFETCH(Fault, fault);
    QFETCH(int, scanResult);
    QFETCH(QString, status);
    QFETCH(QString, wireEnd);
    QFETCH(QString, left);

    const std::vector<std::string> mail = Mailbox();
    Gate gate(std::chrono::seconds(5));
    std::atomic<bool> bPurging{false};
    std::atomic<int> seen{0};
    EngineFixture f;
    auto& [server, listener, engine] = f;
    CPop3Connection::Timing timing;
    timing.m_nSilenceMs = 300;
    timing.m_nSlowReplyMs = 600;
    timing.m_nLineDeadlineMs = 1500;
    timing.m_nBlockDeadlineMs = 1500;
    engine.Connection().SetTiming(timing);
    f.Serve(mail, [&](const std::string& command, int) -> std::optional<std::string> {
        if (command != fault.m_sCommand || fault.m_bInPurge != bPurging.load())
            return std::nullopt;
        // A command the scan and the purge both send: only its first time
        // in the phase under test.
        if (++seen > 1)
            return std::nullopt;
        const std::string& action = fault.m_sAction;
        if (action == "late") {
            gate.Wait();
            return NormalAnswer(command, mail);
        }
        if (action == "double")
            return NormalAnswer(command, mail) + NormalAnswer(command, mail);
        if (action == "stray")
            return NormalAnswer(command, mail) + "+OK sorry, one more\r\n";
        if (action == "trickle")
            return ScriptedPop3Server::Trickled(NormalAnswer(command, mail));
        return action;
    });
    const ScanOutcome scan = f.Scan();
    QVERIFY(scan.m_bDone);
    QCOMPARE(scan.m_nResult, long(scanResult));
    QVERIFY2(scan.m_sStatus.find(status.toStdString()) != std::string::npos, scan.m_sStatus.c_str());
    if (scanResult == 0)
        QCOMPARE(scan.m_sStatus, std::string());

    // Whatever a row shows is what the purge may delete: every row checked.
    std::map<int, std::string> shown;
    if (scanResult == 0) {
        std::vector<PurgeRow> rows;
        for (const MessageRow& row : scan.m_aRows) {
            rows.push_back(PurgeRowOf(row, true));
            shown[rows.back().m_nNum] = row.m_sSubject;
        }
        bPurging = true;
        seen = 0;
        const PurgeNotes purge = f.Purge(rows);
        QVERIFY(purge.m_bDone);
        const PurgeResult& result = purge.m_done.m_result;
        if (fault.m_sCommand == "UIDL")
            QCOMPARE(result.m_nWithoutId, int(std::count_if(rows.begin(), rows.end(), [](const PurgeRow& row) {
                         return row.m_sUidl.empty();
                     })));
        if (wireEnd != "QUIT" || fault.m_sCommand == "QUIT")
            QVERIFY(!result.m_bCommitted);
    }
    gate.Open();
    QVERIFY(server.WaitNoSession(10000));

    // After a break nothing more was sent.
    const std::string wire = server.Received();
    if (!wireEnd.isEmpty())
        QVERIFY2(wire.ends_with(wireEnd.toStdString() + "\r\n"), wire.c_str());
    else if (fault.m_sCommand.empty())
        QVERIFY2(wire.empty(), wire.c_str());

    // One copy: Messages() returns a new vector at each call.
    const std::vector<std::string> messages = server.Messages();
    QStringList remaining;
    for (const std::string& message : messages) {
        for (const char* subject : {"Spam offer", "Meeting notes", "Lunch?"})
            if (message.find("Subject: " + std::string(subject) + "\r\n") != std::string::npos)
                remaining << QString::fromStdString(subject);
    }
    QCOMPARE(remaining.join('|'), left);
    // Every deleted message was shown as itself.
    for (size_t n = 1; n <= mail.size(); ++n) {
        const bool bDeleted =
            std::find(messages.begin(), messages.end(), mail[n - 1] + (mail[n - 1].ends_with("\r\n") ? "" : "\r\n"))
            == messages.end();
        if (bDeleted)
            QVERIFY(mail[n - 1].find("Subject: " + shown[static_cast<int>(n)] + "\r\n") != std::string::npos);
    }
}

QTEST_GUILESS_MAIN(TestHostileSessions)
#include "test_hostile_sessions.moc"
