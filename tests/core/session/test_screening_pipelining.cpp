// The scan and the purge on servers that list PIPELINING: the same rows,
// dump, deletions and progress as one command at a time.

#include <QtTest>

#include <QDir>
#include <QFile>

#include <atomic>
#include <cstdio>

#include "core/session/ScreeningEngine.h"
#include "tests/support/DovecotServer.h"
#include "tests/support/ScriptedPop3Server.h"
#include "tests/support/ScratchDirectory.h"
#include "EngineHarness.h"

namespace {

// What one progress note said about its row.
struct Progress {
    long m_nDeletedOrStopped, m_nGoesOn;
    PurgeOutcome m_nOutcome;
    std::string m_sGrid, m_sMsg;
    bool operator==(const Progress&) const = default;
};

QByteArray ReadDump()
{
    QFile file("message.txt");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct PurgeRun {
    std::vector<Progress> m_aProgress;
    PurgeResult m_result;
};

// Scans the account, then purges the rows `checked` (1-based), the row
// `altered` with a Subject the server does not have.
PurgeRun ScanAndPurge(const Account& account, const std::vector<int>& checked, int altered)
{
    PurgeRun run;
    RecordingListener listener;
    ScreeningEngine engine(listener);
    engine.StartThreads();
    engine.StartScan(account, FilterLists());
    const ScanOutcome scan = DriveScan(engine, listener);
    if (!scan.m_bDone || scan.m_nResult != 0)
        return run;
    std::vector<PurgeRow> rows;
    for (const MessageRow& row : scan.m_aRows) {
        const int n = std::atoi(row.m_sNum.c_str());
        const bool bChecked = std::find(checked.begin(), checked.end(), n) != checked.end();
        rows.push_back(PurgeRowOf(row, bChecked));
        if (n == altered)
            rows.back().m_sSubject = "altered";
    }
    engine.StartPurge(rows);
    const PurgeNotes purge = DrivePurge(listener);
    if (!purge.m_bDone)
        return run;
    for (size_t i = 0; i < purge.m_aRows.size(); ++i) {
        const PurgeProgress& row = purge.m_aRows[i];
        run.m_aProgress.push_back({purge.m_aProgress[i].first, purge.m_aProgress[i].second, row.m_nOutcome,
                                   row.m_sGridSubject, row.m_sServerSubject});
    }
    run.m_result = purge.m_done.m_result;
    return run;
}

}  // namespace

class TestScreeningPipelining : public QObject {
    Q_OBJECT

    ScratchDirectory m_dir;

    Account AccountFor(const ScriptedPop3Server& server)
    {
        return {"127.0.0.1", "u", "p", std::to_string(server.Port())};
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.Enter()); }

    // More messages than the window and one the server will not show: rows
    // and dump are the same bytes either way.
    void scanSameEitherWay()
    {
        std::vector<std::string> mail;
        for (int n = 1; n <= 260; ++n)
            mail.push_back(MailText(n, "Subject " + std::to_string(n), static_cast<size_t>(n % 40) * 50));
        QByteArray dumps[2];
        std::vector<MessageRow> rows[2];
        for (int pipelined = 0; pipelined < 2; ++pipelined) {
            EngineFixture f;
            f.m_server.ListPipelining(pipelined != 0);
            f.m_engine.SetRowQueueLimit(7);  // the scan also waits on a full queue
            f.Serve(mail, [](const std::string& command, int) -> std::optional<std::string> {
                if (command == "TOP 130 0")
                    return std::string("-ERR no such message\r\n");
                return std::nullopt;
            });
            const ScanOutcome scan = f.Scan({}, 60000);
            QVERIFY(scan.m_bDone);
            QCOMPARE(scan.m_nResult, 0L);
            rows[pipelined] = scan.m_aRows;
            dumps[pipelined] = ReadDump();
            QVERIFY(f.m_server.Received().find("LIST 260\r\n") != std::string::npos);
        }
        QCOMPARE(rows[0].size(), size_t(260));
        QVERIFY(rows[0][129].m_bUnavailable);
        for (size_t i = 0; i < rows[0].size(); ++i) {
            QCOMPARE(rows[1][i].m_sNum, rows[0][i].m_sNum);
            QCOMPARE(rows[1][i].m_sSubject, rows[0][i].m_sSubject);
            QCOMPARE(rows[1][i].m_sUidl, rows[0][i].m_sUidl);
        }
        QCOMPARE(dumps[1], dumps[0]);
    }

    // A server that lists PIPELINING and then answers one TOP twice: the
    // purge's session breaks while the rows are read again, so no DELE ever
    // reaches the wire and nothing is deleted.
    void doubledReplyDeletesNothing()
    {
        std::vector<std::string> mail;
        for (int n = 1; n <= 5; ++n)
            mail.push_back(MailText(n, "Subject " + std::to_string(n)));
        std::atomic<int> tops{0};
        const std::string doubled = "+OK\r\n" + HeaderOf(mail[2]) + "\r\n.\r\n";
        ScriptedPop3Server server;
        server.ServeMailbox(mail, "u", "p", [&](const std::string& command, int) -> std::optional<std::string> {
            if (command == "TOP 3 0" && ++tops == 2)  // the purge's, not the scan's
                return doubled + doubled;
            return std::nullopt;
        });
        server.ListPipelining(true);
        server.Start();
        const PurgeRun run = ScanAndPurge(AccountFor(server), {1, 3, 4, 5}, 0);
        QVERIFY(run.m_result.m_bBroken);
        QVERIFY(run.m_result.m_aMarked.empty());
        QCOMPARE(run.m_aProgress.back().m_nOutcome, PurgeOutcome::kBroken);
        QVERIFY(server.WaitNoSession(5000));
        QCOMPARE(server.Messages().size(), size_t(5));
        QVERIFY(server.Received().find("DELE") == std::string::npos);
        QVERIFY(server.Received().find("QUIT") == std::string::npos);
    }

    // Dovecot lists PIPELINING; the scripted server here does not: the same
    // checked rows, with a changed Subject in the middle, give the same
    // progress, the same deletions and the same stop.
    void purgeSameAsSequential()
    {
        std::vector<std::string> mail;
        for (int n = 1; n <= 12; ++n)
            mail.push_back(MailText(n, "Message " + std::to_string(n)));
        const std::vector<int> checked = {2, 3, 5, 8, 9, 11};
        DovecotServer dovecot;
        std::string why;
        QVERIFY2(dovecot.Start(&why), why.c_str());
        for (const std::string& text : mail)
            dovecot.AddMessage(text);
        ScriptedPop3Server server;
        server.ServeMailbox(mail, "u", "p");
        server.Start();

        const PurgeRun pipelined =
            ScanAndPurge({"127.0.0.1", dovecot.User(), dovecot.Password(), std::to_string(dovecot.Port())}, checked, 8);
        const PurgeRun sequential = ScanAndPurge(AccountFor(server), checked, 8);
        QCOMPARE(sequential.m_aProgress.size(), size_t(8));
        QCOMPARE(sequential.m_aProgress[7].m_nOutcome, PurgeOutcome::kChanged);
        QVERIFY(pipelined.m_aProgress == sequential.m_aProgress);
        QCOMPARE(pipelined.m_result.m_aMarked, (std::vector<int>{2, 3, 5}));
        QCOMPARE(sequential.m_result.m_aMarked, (std::vector<int>{2, 3, 5}));
        QCOMPARE(pipelined.m_result.m_aChanged, sequential.m_result.m_aChanged);
        QVERIFY(pipelined.m_result.m_bCommitted && sequential.m_result.m_bCommitted);
        QTRY_COMPARE(dovecot.MessageFileCount(), 9);
        QCOMPARE(server.Messages().size(), size_t(9));
    }
};

QTEST_GUILESS_MAIN(TestScreeningPipelining)
#include "test_screening_pipelining.moc"
