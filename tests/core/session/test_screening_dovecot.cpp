// The scan and the purge against a real Dovecot.

#include <QtTest>

#include <QDir>
#include <QFile>

#include <fstream>
#include <sstream>

#include "core/session/ScreeningEngine.h"
#include "tests/support/DovecotServer.h"
#include "tests/support/ScratchDirectory.h"
#include "EngineHarness.h"

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

class TestScreeningDovecot : public QObject {
    Q_OBJECT

    ScratchDirectory m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.Enter()); }

    // Scan four messages, purge 2 and 4: exactly their files are gone.
    void scanAndPurge()
    {
        DovecotServer dovecot;
        std::string why;
        QVERIFY2(dovecot.Start(&why), why.c_str());
        for (int n = 1; n <= 4; ++n)
            dovecot.AddMessage(MailText(n, "Dovecot message " + std::to_string(n), static_cast<size_t>(n) * 900));
        const Account account{"127.0.0.1", dovecot.User(), dovecot.Password(), std::to_string(dovecot.Port())};
        FilterLists lists;
        lists.Append(kFilterSubject, "MESSAGE 4");

        RecordingListener listener;
        ScreeningEngine engine(listener);
        engine.StartThreads();
        engine.StartScan(account, lists);
        const ScanOutcome scan = DriveScan(engine, listener);
        QVERIFY(scan.m_bDone);
        QCOMPARE(scan.m_nResult, 0L);
        QCOMPARE(scan.m_sStatus, std::string());
        QCOMPARE(scan.m_aRows.size(), size_t(4));
        QCOMPARE(scan.m_aSuspect, (std::vector<int>{0, 0, 0, 1}));
        for (int n = 1; n <= 4; ++n) {
            const MessageRow& row = scan.m_aRows[static_cast<size_t>(n - 1)];
            QCOMPARE(row.m_sNum, std::to_string(n));
            QCOMPARE(row.m_sSubject, "Dovecot message " + std::to_string(n));
            QCOMPARE(row.m_sEmail, "sender" + std::to_string(n) + "@example.com");
        }
        QFile dump("message.txt");
        QVERIFY(dump.open(QIODevice::ReadOnly));
        const QByteArray bytes = dump.readAll();
        QCOMPARE(bytes.count("\r\n\r\n********************\r\n\r\nmessage "), 4);
        QVERIFY(bytes.contains("Subject: Dovecot message 3\r\n"));

        std::vector<PurgeRow> rows;
        for (int n = 1; n <= 4; ++n)
            rows.push_back(PurgeRowOf(scan.m_aRows[static_cast<size_t>(n - 1)], n % 2 == 0));
        engine.StartPurge(rows);
        const PurgeNotes purge = DrivePurge(listener);
        QVERIFY(purge.m_bDone);
        QCOMPARE(purge.m_aProgress, (std::vector<std::pair<long, long>>{{0, 1}, {1, 1}, {0, 1}, {1, 1}}));
        QVERIFY2(purge.m_done.m_result.m_bCommitted, purge.m_done.m_result.m_sLastReply.c_str());

        QTRY_COMPARE(dovecot.MessageFileCount(), 2);
        std::string left;
        for (const std::string& file : dovecot.MessageFiles())
            left += Slurp(file);
        QVERIFY(left.find("Subject: Dovecot message 1") != std::string::npos);
        QVERIFY(left.find("Subject: Dovecot message 3") != std::string::npos);
        QVERIFY(left.find("Subject: Dovecot message 2") == std::string::npos);
        QVERIFY(left.find("Subject: Dovecot message 4") == std::string::npos);
    }

    // The review's session is gone (the network dropped it) and another
    // client removed message 1 meanwhile: the purge logs in again, finds the
    // other rows by UIDL under their new numbers, and reports 1 as removed.
    void purgeLogsInAgainAfterLostSession()
    {
        DovecotServer dovecot;
        std::string why;
        QVERIFY2(dovecot.Start(&why), why.c_str());
        for (int n = 1; n <= 3; ++n)
            dovecot.AddMessage(MailText(n, "Kept apart " + std::to_string(n)));
        const Account account{"127.0.0.1", dovecot.User(), dovecot.Password(), std::to_string(dovecot.Port())};
        RecordingListener listener;
        ScreeningEngine engine(listener);
        engine.StartThreads();
        engine.StartScan(account, FilterLists());
        const ScanOutcome scan = DriveScan(engine, listener);
        QCOMPARE(scan.m_nResult, 0L);
        QVERIFY(engine.CanReconnect());
        engine.Connection().Drop();

        CPop3Connection other;
        QVERIFY(other.Login("127.0.0.1", dovecot.User(), dovecot.Password(), dovecot.Port()));
        QVERIFY(other.Dele(1));
        QVERIFY(other.Quit());
        QTRY_COMPARE(dovecot.MessageFileCount(), 2);

        std::vector<PurgeRow> rows;
        for (const MessageRow& row : scan.m_aRows)
            rows.push_back(PurgeRowOf(row, row.m_sNum != "2"));
        engine.StartPurge(rows);
        const PurgeNotes purge = DrivePurge(listener);
        QVERIFY(purge.m_bDone);
        const PurgeResult& result = purge.m_done.m_result;
        QVERIFY(result.m_bReconnected);
        QVERIFY2(result.m_bCommitted, PurgeSummaryText(result).c_str());
        QCOMPARE(result.m_aGone, std::vector<int>{1});
        QCOMPARE(result.m_aMarked, std::vector<int>{3});
        QCOMPARE(PurgeSummaryText(result),
                 std::string("1 deleted, 0 refused by the server, 0 not deleted (changed on the server), "
                             "1 already removed"));
        QTRY_COMPARE(dovecot.MessageFileCount(), 1);
        QVERIFY(Slurp(dovecot.MessageFiles().front()).find("Subject: Kept apart 2") != std::string::npos);
    }

    void wrongPasswordNamesTheRefusal()
    {
        DovecotServer dovecot;
        std::string why;
        QVERIFY2(dovecot.Start(&why), why.c_str());
        dovecot.AddMessage(MailText(1, "One"));
        RecordingListener listener;
        ScreeningEngine engine(listener);
        engine.StartThreads();
        engine.StartScan({"127.0.0.1", dovecot.User(), "not-the-password", std::to_string(dovecot.Port())},
                         FilterLists());
        const ScanOutcome scan = DriveScan(engine, listener, 30000);
        QVERIFY(scan.m_bDone);
        QCOMPARE(scan.m_nResult, -1L);
        QVERIFY2(scan.m_sStatus.starts_with("The server refused the log-in: -ERR"), scan.m_sStatus.c_str());
        QCOMPARE(dovecot.MessageFileCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestScreeningDovecot)
#include "test_screening_dovecot.moc"
