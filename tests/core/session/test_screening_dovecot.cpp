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

    // The header cache: a second scan fetches only the message it has not
    // seen, a rescan of everything fetches all; rows, suspects and the dump
    // are the same bytes each time.
    void headerCacheFetchesOnlyNewMessages()
    {
        qputenv("XDG_CACHE_HOME", (QDir::currentPath() + "/cache").toUtf8());
        DovecotServer dovecot;
        std::string why;
        QVERIFY2(dovecot.Start(&why), why.c_str());
        for (int n = 1; n <= 3; ++n)
            dovecot.AddMessage(MailText(n, "Cached " + std::to_string(n), static_cast<size_t>(n) * 300));
        const Account account{"127.0.0.1", dovecot.User(), dovecot.Password(), std::to_string(dovecot.Port())};
        FilterLists lists;
        lists.Append(kFilterSubject, "CACHED 2");
        std::vector<ScanOutcome> scans;
        std::vector<std::string> dumps;
        {
            RecordingListener listener;
            ScreeningEngine engine(listener);
            engine.StartThreads();
            const auto scan = [&](HeaderCacheUse use) {
                engine.SetHeaderCache(use);
                engine.StartScan(account, lists);
                scans.push_back(DriveScan(engine, listener));
                dumps.push_back(Slurp("message.txt"));
            };
            scan(HeaderCacheUse::kUse);
            dovecot.AddMessage(MailText(4, "Cached 4"));
            scan(HeaderCacheUse::kUse);
            scan(HeaderCacheUse::kRebuild);
            scan(HeaderCacheUse::kUse);
        }
        for (const ScanOutcome& scan : scans)
            QCOMPARE(scan.m_nResult, 0L);
        QCOMPARE(scans[0].m_aCached, (std::vector<int>{0, 0, 0}));
        QCOMPARE(scans[1].m_aCached, (std::vector<int>{1, 1, 1, 0}));
        QCOMPARE(scans[2].m_aCached, (std::vector<int>{0, 0, 0, 0}));
        QCOMPARE(scans[3].m_aCached, (std::vector<int>{1, 1, 1, 1}));
        for (size_t i = 2; i < scans.size(); ++i) {
            QVERIFY(scans[i].m_aRows == scans[1].m_aRows);
            QCOMPARE(scans[i].m_aSuspect, (std::vector<int>{0, 1, 0, 0}));
            QCOMPARE(dumps[i], dumps[1]);
        }
        QVERIFY(dumps[1].rfind(dumps[0], 0) == 0);
        // What the server counted: TOP n 0 commands per session.
        std::vector<std::string> tops;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                tops.clear();
                const std::string log = dovecot.Log();
                for (size_t at = log.find("top="); at != std::string::npos; at = log.find("top=", at + 4))
                    tops.push_back(log.substr(at + 4, log.find('/', at) - at - 4));
                return tops.size() == 4;
            }(),
            10000);
        QCOMPARE(tops, (std::vector<std::string>{"3", "1", "4", "0"}));
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
