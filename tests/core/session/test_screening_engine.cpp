// The scan, the row hand-over and the purge against the scripted POP3 server.

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <memory>

#include "core/session/PurgeJournal.h"
#include "core/storage/PurgeLock.h"
#include "tests/support/Gate.h"
#include "core/session/ScreeningEngine.h"
#include "tests/support/ScriptedPop3Server.h"
#include "EngineHarness.h"

using namespace std::chrono_literals;

namespace {

std::string ReadFile(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll().toStdString();
}

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

}  // namespace

class TestScreeningEngine : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_pDir;
    QString m_sOldDir;
    std::vector<std::string> m_aMail;

    // The three messages most cases use: a plain one, one whose accented
    // subject matches the subject list, one whose size matches the size list.
    void ThreeMessages()
    {
        m_aMail = {MailText(1, "Hello there"), MailText(2, "Re: v\xEDrus alert"),
                   MailText(3, "Quarterly report", 2500)};
    }

    static FilterLists Lists()
    {
        FilterLists lists;
        lists.Append(kFilterSubject, "VIRUS");
        lists.Append(kFilterSize, "2K");
        return lists;
    }

    // Scans the mailbox to its end, as the review state needs it.
    void ScanToReview(EngineFixture& f, std::vector<MessageRow>* pRows = nullptr)
    {
        const ScanOutcome scan = f.Scan(Lists());
        QVERIFY(scan.m_bDone);
        QCOMPARE(scan.m_nResult, 0L);
        QCOMPARE(scan.m_aRows.size(), m_aMail.size());
        if (pRows)
            *pRows = scan.m_aRows;
    }

private slots:
    void init()
    {
        m_pDir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_pDir->isValid());
        m_sOldDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_pDir->path()));
        ThreeMessages();
    }

    void cleanup()
    {
        QDir::setCurrent(m_sOldDir);
        m_pDir.reset();
    }

    // Rows, flags, the wire and the dump's bytes; then a second scan on the
    // same engine, which first quits the session the first one left open.
    void fullScanThenRescan()
    {
        EngineFixture f;
        auto& [server, listener, engine] = f;
        f.Serve(m_aMail);

        ScanOutcome scan = f.Scan(Lists());
        QVERIFY(scan.m_bDone);
        QCOMPARE(scan.m_nResult, 0L);
        QCOMPARE(scan.m_nAnswered, 1);
        QVERIFY(engine.IsAnswered());
        QCOMPARE(engine.MsgCount(), 3);
        QCOMPARE(scan.m_sStatus, std::string());
        QCOMPARE(scan.m_aRows.size(), size_t(3));
        QCOMPARE(scan.m_aSuspect, (std::vector<int>{0, 1, 1}));
        QCOMPARE(scan.m_aRepeat, (std::vector<int>{0, 0, 0}));
        QCOMPARE(scan.m_aRows[0].m_sNum, std::string("1"));
        QCOMPARE(scan.m_aRows[1].m_sSubject, std::string("Re: v\xEDrus alert"));
        QCOMPARE(scan.m_aRows[2].m_sSize, std::string("2K"));
        QCOMPARE(scan.m_aRows[2].m_sNum, std::string("3"));

        const std::string wire = server.Received();
        QVERIFY(wire.rfind("CAPA\r\nUSER u\r\nPASS p\r\nSTAT\r\n", 0) == 0);
        const size_t top1 = wire.find("TOP 1 0\r\n"), top2 = wire.find("TOP 2 0\r\n"), top3 = wire.find("TOP 3 0\r\n");
        QVERIFY(wire.find("UIDL\r\n") < top1 && wire.find("LIST\r\n") < top1);
        QVERIFY(top1 < top2 && top2 < top3 && top3 != std::string::npos);
        QCOMPARE(Count(wire, "RETR"), 0);
        QCOMPARE(Count(wire, "DELE"), 0);
        QCOMPARE(Count(wire, "QUIT"), 0);  // the session stays open for review

        std::string dump;
        for (int n = 1; n <= 3; ++n) {
            const std::string& mail = m_aMail[static_cast<size_t>(n - 1)];
            dump += DumpRecord(n, mail.size(), HeaderOf(mail));
        }
        QCOMPARE(ReadFile("message.txt"), dump);

        scan = f.Scan(Lists());
        QVERIFY(scan.m_bDone);
        QCOMPARE(scan.m_nResult, 0L);
        QCOMPARE(scan.m_aRepeat, (std::vector<int>{0, 0, 0}));
        QCOMPARE(server.SessionCount(), 2);
        const std::string again = server.Received().substr(wire.size());
        QVERIFY2(again.rfind("QUIT\r\nCAPA\r\nUSER u\r\n", 0) == 0, again.c_str());
        QCOMPARE(ReadFile("message.txt"), dump);
    }

    // The header cache takes a message's header only for its UIDL with the
    // same size. An id given to a message of another size is fetched; one
    // given to another message of the same size (a server at fault) shows
    // the kept header, and the purge, which reads the message again,
    // refuses to delete it. A purge or a preview that reads such a message
    // again drops its entry: the next scan fetches it.
    void headerCacheTrustsIdAndSizeOnly()
    {
        qputenv("XDG_CACHE_HOME", (m_pDir->path() + "/cache").toUtf8());
        EngineFixture f;
        auto& [server, listener, engine] = f;
        f.Serve({});
        engine.SetHeaderCache(HeaderCacheUse::kUse);
        server.SetMailbox({{"u1", MailText(1, "First")}, {"u2", MailText(2, "Second")}});
        QCOMPARE(f.Scan().m_aCached, (std::vector<int>{0, 0}));

        server.SetMailbox({{"u1", MailText(1, "First")}, {"u2", MailText(2, "Reused id, longer", 500)}});
        size_t seen = server.Received().size();
        ScanOutcome scan = f.Scan();
        QCOMPARE(scan.m_aCached, (std::vector<int>{1, 0}));
        QCOMPARE(scan.m_aRows[1].m_sSubject, std::string("Reused id, longer"));
        std::string wire = server.Received().substr(seen);
        QCOMPARE(Count(wire, "TOP 2 0"), 1);
        QCOMPARE(Count(wire, "TOP 1 0"), 0);

        server.SetMailbox({{"u1", MailText(1, "Firsx")}, {"u2", MailText(2, "Reused id, longer", 500)}});
        scan = f.Scan();
        QCOMPARE(scan.m_aCached, (std::vector<int>{1, 1}));
        QCOMPARE(scan.m_aRows[0].m_sSubject, std::string("First"));
        const PurgeNotes purge = f.Purge({PurgeRowOf(scan.m_aRows[0], true), PurgeRowOf(scan.m_aRows[1], false)});
        QVERIFY(purge.m_bDone);
        QCOMPARE(purge.m_aRows.at(0).m_nOutcome, PurgeOutcome::kChanged);
        QVERIFY(purge.m_done.m_result.m_aMarked.empty());
        QTRY_COMPARE(server.Mailbox().size(), size_t(2));

        server.SetMailbox({{"u1", MailText(1, "Firsx")}, {"u2", MailText(2, "Reused id, longex", 500)}});
        seen = server.Received().size();
        scan = f.Scan();
        QCOMPARE(scan.m_aCached, (std::vector<int>{0, 1}));
        QCOMPARE(scan.m_aRows[0].m_sSubject, std::string("Firsx"));
        QCOMPARE(scan.m_aRows[1].m_sSubject, std::string("Reused id, longer"));
        QCOMPARE(Count(server.Received().substr(seen), "TOP 1 0"), 1);

        const PurgeRow shown = PurgeRowOf(scan.m_aRows[1], false);
        engine.Preview(PreviewRequest{2, "u2", 5, shown.m_sSubject, shown.m_sIdentity});
        Note note;
        while (listener.Next(note, 10000) && !Is<PreviewReady>(note)) { }
        QVERIFY(Is<PreviewReady>(note));
        QVERIFY(!std::get<PreviewReady>(note).m_bShown);
        scan = f.Scan();
        QCOMPARE(scan.m_aCached, (std::vector<int>{1, 0}));
        QCOMPARE(scan.m_aRows[1].m_sSubject, std::string("Reused id, longex"));
    }

    void scanOutcome_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("dump");  // "untouched", "empty"
        QTest::newRow("empty mailbox") << "empty"
                                       << "No emails waiting for you at the Server" << 0 << "untouched";
        QTest::newRow("wrong password") << "password"
                                        << "The server refused the log-in: -ERR [AUTH] Authentication failed." << -1
                                        << "untouched";
        QTest::newRow("unknown host") << "host"
                                      << "Server Not Found" << -1 << "untouched";
        QTest::newRow("port zero") << "port:0"
                                   << "Server Not Found" << -1 << "untouched";
        QTest::newRow("port too large") << "port:65536"
                                        << "Server Not Found" << -1 << "untouched";
        QTest::newRow("port not a number") << "port:pop3"
                                           << "Server Not Found" << -1 << "untouched";
        QTest::newRow("STAT refused") << "STAT"
                                      << "Server Refused STAT Response" << -1 << "untouched";
        QTest::newRow("LIST refused") << "LIST"
                                      << "The server refused to list its messages (LIST): -ERR not now" << -1
                                      << "untouched";
    }

    // The failure table: status text, result, and whether "message.txt" was
    // created. Every case ends the connection phase (m_bAnswered) first.
    void scanOutcome()
    {
        QFETCH(QString, fault);
        QFETCH(QString, status);
        QFETCH(int, result);
        QFETCH(QString, dump);

        {
            QFile old("message.txt");
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("earlier dump");
        }
        EngineFixture f;
        auto& [server, listener, engine] = f;
        const std::string refused = fault.toStdString();
        f.Serve(fault == "empty" ? std::vector<std::string>{} : m_aMail,
                [refused](const std::string& command, int) -> std::optional<std::string> {
                    if (command == refused)
                        return std::string("-ERR not now\r\n");
                    return std::nullopt;
                });
        Account account = f.AccountFor(fault == "password" ? "wrong" : "p");
        if (fault == "host")
            account.m_sServer = "no-such-host.invalid";
        if (fault.startsWith("port:"))
            account.m_sPort = fault.mid(5).toStdString();
        engine.StartScan(account, Lists());
        const ScanOutcome scan = DriveScan(engine, listener);
        QVERIFY(scan.m_bDone);
        QCOMPARE(scan.m_nResult, long(result));
        QCOMPARE(scan.m_sStatus, status.toStdString());
        QVERIFY(engine.IsAnswered());
        QCOMPARE(scan.m_nAnswered, 1);
        QVERIFY(scan.m_aRows.empty());
        QCOMPARE(ReadFile("message.txt"), std::string(dump == "untouched" ? "earlier dump" : ""));
        if (fault.startsWith("port:"))
            QCOMPARE(server.SessionCount(), 0);  // refused before any connect
    }

    // A refused TOP gives its row no text of any other message: it is marked
    // unavailable, never suspect, and its dump record says so. UIDL is
    // optional: a server without it still has every message scanned.
    void refusedTopMarksRowUnavailable()
    {
        EngineFixture f;
        auto& [server, listener, engine] = f;
        f.Serve(m_aMail, [](const std::string& command, int) -> std::optional<std::string> {
            if (command == "TOP 2 0")
                return std::string("-ERR no such message\r\n");
            if (command == "UIDL")
                return std::string("-ERR not supported\r\n");
            return std::nullopt;
        });
        FilterLists lists = Lists();
        lists.Append(kFilterSubject, "UNAVAILABLE");  // would match the mark's text
        const ScanOutcome scan = f.Scan(lists);
        QVERIFY(scan.m_bDone);
        QCOMPARE(scan.m_nResult, 0L);
        QCOMPARE(scan.m_aRows.size(), size_t(3));
        QCOMPARE(scan.m_aRows[1].m_sNum, std::string("2"));
        QVERIFY(scan.m_aRows[1].m_bUnavailable);
        QCOMPARE(scan.m_aRows[1].m_sSubject, std::string("(message unavailable: -ERR no such message)"));
        QCOMPARE(scan.m_aRows[1].m_sFrom, std::string());
        QCOMPARE(scan.m_aSuspect[1], 0);
        QVERIFY(!engine.CanReconnect());
        const std::string dump = ReadFile("message.txt");
        QVERIFY(dump.find(DumpRecord(2, m_aMail[1].size(), "(message unavailable: -ERR no such message)\r\n"))
                != std::string::npos);
    }

    // With a queue of one row the scan never fetches message n + 1 before
    // the view took row n, however slow the view is: a full queue holds it.
    void slowViewHoldsTheScan()
    {
        std::atomic<int> taken{0};
        std::atomic<int> early{0};
        std::vector<std::string> mail;
        for (int n = 1; n <= 6; ++n)
            mail.push_back(MailText(n, "Subject " + std::to_string(n)));
        EngineFixture f;
        auto& [server, listener, engine] = f;
        engine.SetRowQueueLimit(1);
        f.Serve(mail, [&](const std::string& command, int) -> std::optional<std::string> {
            int n = 0;
            if (std::sscanf(command.c_str(), "TOP %d 0", &n) == 1 && taken.load() < n - 1)
                ++early;
            return std::nullopt;
        });
        engine.StartScan(f.AccountFor(), FilterLists());
        Note note;
        int rows = 0;
        bool done = false;
        while (!done && listener.Next(note, 10000)) {
            if (Is<ScanRowsWaiting>(note)) {
                const std::string next = "TOP " + std::to_string(rows + 2) + " 0";
                // Give a runaway scan the chance to show itself.
                QVERIFY(!QTest::qWaitFor([&] { return server.Received().find(next) != std::string::npos; }, 40));
                ++taken;
                std::vector<ScanRow> taken1;
                QVERIFY(engine.TakeRows(taken1));
                QCOMPARE(taken1.size(), size_t(1));
                QCOMPARE(taken1[0].m_row.m_sNum, std::to_string(++rows));
            }
            done = Is<ScanDone>(note);
        }
        QVERIFY(done);
        QCOMPARE(rows, 6);
        QCOMPARE(early.load(), 0);
    }

    // Many rows through the hand-over at full speed: every row arrives once,
    // in order, with texts that belong together (TSan watches the rest).
    void handOverKeepsRowsWhole()
    {
        std::vector<std::string> mail;
        for (int n = 1; n <= 300; ++n)
            mail.push_back(MailText(n, "Subject " + std::to_string(n), static_cast<size_t>(n * 7)));
        EngineFixture f;
        f.Serve(mail);
        const ScanOutcome scan = f.Scan({}, 60000);
        QVERIFY(scan.m_bDone);
        QCOMPARE(scan.m_aRows.size(), size_t(300));
        for (size_t i = 0; i < scan.m_aRows.size(); ++i) {
            const MessageRow& row = scan.m_aRows[i];
            QCOMPARE(row.m_sNum, std::to_string(i + 1));
            QCOMPARE(row.m_sSubject, "Subject " + row.m_sNum);
            QCOMPARE(row.m_sEmail, "sender" + row.m_sNum + "@example.com");
        }
    }

    void rowBudgetChargesKeptRows_data()
    {
        QTest::addColumn<int>("keeping");
        QTest::addColumn<bool>("suspects");
        QTest::addColumn<int>("stoppedAt");  // 0: the scan ran to its end
        QTest::newRow("window keeps every row") << int(RowKeeping::kEveryRow) << false << 2;
        QTest::newRow("scan keeps none") << int(RowKeeping::kNone) << true << 0;
        QTest::newRow("purge keeps a share of plain rows") << int(RowKeeping::kPurgeRows) << false << 0;
        QTest::newRow("purge keeps suspect rows whole") << int(RowKeeping::kPurgeRows) << true << 2;
    }

    // Only the rows the owner keeps count against the budget: ten rows of
    // about 3 KB each against a budget of 4 KiB.
    void rowBudgetChargesKeptRows()
    {
        QFETCH(int, keeping);
        QFETCH(bool, suspects);
        QFETCH(int, stoppedAt);
        std::string to = "To: ";
        for (int k = 0; k < 100; ++k)
            to += "reader" + std::to_string(k) + "@example.com,\r\n ";
        to += "me@example.com";
        std::vector<std::string> mail;
        for (int n = 1; n <= 10; ++n) {
            std::string text = MailText(n, "Subject " + std::to_string(n));
            text.replace(text.find("To: me@example.com"), 18, to);
            mail.push_back(text);
        }
        EngineFixture f;
        auto& [server, listener, engine] = f;
        engine.SetRowBudget(4096);
        f.Serve(mail);
        FilterLists lists;
        if (suspects)
            lists.Append(kFilterSubject, "Subject");
        engine.StartScan(f.AccountFor(), lists, static_cast<RowKeeping>(keeping));
        const ScanOutcome scan = DriveScan(engine, listener);
        QVERIFY(scan.m_bDone);
        if (stoppedAt == 0) {
            QCOMPARE(scan.m_nResult, 0L);
            QCOMPARE(scan.m_aRows.size(), size_t(10));
        } else {
            QCOMPARE(scan.m_nResult, -1L);
            QVERIFY2(scan.m_sStatus.find("the scan stopped at message " + std::to_string(stoppedAt) + ".")
                         != std::string::npos,
                     scan.m_sStatus.c_str());
        }
    }

    void stopInMidScan_data()
    {
        QTest::addColumn<bool>("cached");
        QTest::newRow("fetched") << false;
        QTest::newRow("from the header cache, dumped ahead") << true;
    }

    // Stop with a row in flight: that row is never delivered, nothing more is
    // sent once Stop has returned, the dump is closed with whole records of
    // the rows delivered.
    void stopInMidScan()
    {
        QFETCH(bool, cached);
        std::vector<std::string> mail;
        for (int n = 1; n <= 6; ++n)
            mail.push_back(MailText(n, "Subject " + std::to_string(n)));
        EngineFixture f;
        auto& [server, listener, engine] = f;
        f.Serve(mail);
        if (cached) {
            qputenv("XDG_CACHE_HOME", (m_pDir->path() + "/cache").toUtf8());
            engine.SetHeaderCache(HeaderCacheUse::kUse);
            QVERIFY(f.Scan().m_bDone);
        }
        engine.SetRowQueueLimit(1);
        engine.StartScan(f.AccountFor(), FilterLists());
        Note note;
        int rows = 0;
        std::vector<ScanRow> taken;
        while (rows < 3 && listener.Next(note, 10000)) {
            if (!Is<ScanRowsWaiting>(note))
                continue;
            if (++rows < 3)
                QVERIFY(engine.TakeRows(taken));
        }
        QCOMPARE(rows, 3);
        const size_t seen = server.Received().size();
        engine.Stop();
        QVERIFY(!engine.TakeRows(taken));
        QTRY_VERIFY(!engine.IsScanning());
        QVERIFY(listener.Drain().empty());  // no OnScanDone, no row
        QVERIFY(!engine.TakeRows(taken));
        QVERIFY(server.WaitNoSession(5000));
        QVERIFY(server.Received().find("TOP 4 0", cached ? seen : 0) == std::string::npos);
        std::string dump;
        for (int n = 1; n <= 3; ++n)
            dump += DumpRecord(n, mail[static_cast<size_t>(n - 1)].size(), HeaderOf(mail[static_cast<size_t>(n - 1)]));
        QCOMPARE(ReadFile("message.txt"), dump);
    }

    // A stop while the server says nothing wakes the pending read (long
    // before any read time-out), and a scan started right away is not lost:
    // it runs once the stopped one has unwound.
    void stopWakesTheReadAndNextScanRuns()
    {
        EngineFixture f;
        auto& [server, listener, engine] = f;
        f.BePatient();
        f.Serve(m_aMail, [](const std::string& command, int session) -> std::optional<std::string> {
            if (session == 0 && command == "TOP 2 0")
                return std::string();  // silence
            return std::nullopt;
        });
        engine.StartScan(f.AccountFor(), Lists());
        Note note;
        QVERIFY(listener.Next(note, 10000));
        while (!Is<ScanRowsWaiting>(note))
            QVERIFY(listener.Next(note, 10000));
        std::vector<ScanRow> taken;
        QVERIFY(engine.TakeRows(taken));
        QTRY_VERIFY(server.Received().find("TOP 2 0") != std::string::npos);

        // Neither call waits for the silent server.
        const auto before = std::chrono::steady_clock::now();
        engine.Stop();
        engine.StartScan(f.AccountFor(), Lists());
        QVERIFY(std::chrono::steady_clock::now() - before < EngineFixture::kPatience / 2);
        const ScanOutcome scan = DriveScan(engine, listener, 30000);
        QVERIFY(scan.m_bDone);
        QCOMPARE(scan.m_nResult, 0L);
        QCOMPARE(scan.m_aRows.size(), size_t(3));
        QCOMPARE(scan.m_aRows[0].m_sNum, std::string("1"));
        QCOMPARE(server.SessionCount(), 2);
    }

    // The owner's wait for the server reaches the reader: a pause at TOP
    // within it costs the scan nothing, one beyond it ends the scan.
    void pausedTopWithinServerWait_data()
    {
        QTest::addColumn<int>("waitMs");
        QTest::addColumn<int>("pauseMs");
        QTest::addColumn<int>("rows");
        QTest::newRow("pause within the wait") << 1500 << 500 << 3;
        QTest::newRow("pause beyond the wait") << 300 << 600 << 0;
    }

    void pausedTopWithinServerWait()
    {
        QFETCH(int, waitMs);
        QFETCH(int, pauseMs);
        QFETCH(int, rows);
        EngineFixture f;
        auto& [server, listener, engine] = f;
        server.ShapeReplies([pauseMs](const std::string& command, int, std::string&) {
            ScriptedPop3Server::ReplyShape shape;
            if (command == "TOP 2 0")
                shape.m_nDelayMs = pauseMs;
            return shape;
        });
        engine.SetServerWait(std::chrono::milliseconds(waitMs));
        f.Serve(m_aMail);
        const ScanOutcome scan = f.Scan(Lists());
        QVERIFY(scan.m_bDone);
        QCOMPARE(scan.m_aRows.size() == 3, rows == 3);
        QCOMPARE(scan.m_nResult, rows == 3 ? 0L : -1L);
        if (rows == 0)
            QVERIFY2(scan.m_sStatus.find("did not answer TOP 2") != std::string::npos, scan.m_sStatus.c_str());
    }

    // "Protocol Error - restart": after Stop no row of that scan is
    // delivered and no OnScanDone follows, whatever the scan was doing.
    void abandonDropsEveryLaterRow()
    {
        std::vector<std::string> mail;
        for (int n = 1; n <= 5; ++n)
            mail.push_back(MailText(n, "Subject " + std::to_string(n)));
        EngineFixture f;
        auto& [server, listener, engine] = f;
        // One row waiting at most: the scan cannot end before the stop.
        engine.SetRowQueueLimit(1);
        f.Serve(mail);
        for (int round = 0; round < 5; ++round) {
            engine.StartScan(f.AccountFor(), FilterLists());
            Note note;
            int rows = 0;
            while (rows <= round % 3 && listener.Next(note, 10000)) {
                if (Is<ScanRowsWaiting>(note)) {
                    std::vector<ScanRow> taken;
                    QVERIFY(engine.TakeRows(taken));
                    rows += static_cast<int>(taken.size());
                }
            }
            engine.Stop();
            QTRY_VERIFY(!engine.IsScanning());
            for (const Note& late : listener.Drain()) {
                QVERIFY(Is<ScanRowsWaiting>(late));
                std::vector<ScanRow> taken;
                QVERIFY(!engine.TakeRows(taken));
            }
        }
    }

    void quitEndsIdleThreadsAtOnce()
    {
        RecordingListener listener;
        ScreeningEngine engine(listener);
        engine.StartThreads();
        QVERIFY(!engine.ScanEnded());
        engine.SignalQuit();
        QVERIFY(engine.WaitEnded(5000ms));
        QVERIFY(engine.ScanEnded());
        QVERIFY(engine.PurgeEnded());
        QVERIFY(listener.Drain().empty());
    }

    // Shutdown during a scan that waits on a silent server does not wait for
    // the read time-out.
    void quitStopsARunningScan()
    {
        EngineFixture f;
        auto& [server, listener, engine] = f;
        f.BePatient();
        f.Serve(m_aMail, [](const std::string& command, int) -> std::optional<std::string> {
            if (command == "TOP 1 0")
                return std::string();
            return std::nullopt;
        });
        engine.StartScan(f.AccountFor(), Lists());
        QTRY_VERIFY(server.Received().find("TOP 1 0") != std::string::npos);
        engine.SignalQuit();
        QVERIFY(engine.WaitEnded(EngineFixture::kPatience / 2));
        for (const Note& note : listener.Drain())
            QVERIFY(!Is<ScanDone>(note) && !Is<ScanRowsWaiting>(note));
    }

    void purge_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("checked");   // '1' per checked row
        QTest::addColumn<QString>("progress");  // outcome and continue flag per row; "*": any
        QTest::addColumn<QString>("wire");      // what the purge sent
        QTest::addColumn<bool>("committed");
        QTest::addColumn<int>("left");         // messages on the server after QUIT
        QTest::addColumn<QString>("journal");  // the journal's entries: D deleted, P pending
        QTest::newRow("nothing checked: QUIT only") << ""
                                                    << "000"
                                                    << "01 01 01"
                                                    << "QUIT\r\n"
                                                    << true << 3 << "";
        // Rows 1 and 3 checked, message 3 re-reads with another Subject: 1 is
        // deleted, 3 is not, and QUIT commits the deletion of 1.
        QTest::newRow("changed Subject stops the purge") << "changed"
                                                         << "101"
                                                         << "11 01 10"
                                                         << "TOP 1 0\r\nDELE 1\r\nTOP 3 0\r\nQUIT\r\n"
                                                         << true << 2 << "D";
        QTest::newRow("a refused DELE does not stop it") << "refused"
                                                         << "110"
                                                         << "01 11 01"
                                                         << "TOP 1 0\r\nDELE 1\r\nTOP 2 0\r\nDELE 2\r\nQUIT\r\n"
                                                         << true << -1 << "D";
        // The server drops the session at the re-read: replies no longer pair
        // with commands, so nothing at all is deleted.
        QTest::newRow("lost session") << "lost"
                                      << "111"
                                      << "00"
                                      << "TOP 1 0\r\n"
                                      << false << 3 << "";
        // Cancelled while DELE 1 is answered: dropped without QUIT.
        QTest::newRow("cancel") << "cancel"
                                << "111"
                                << "*"
                                << "TOP 1 0\r\nDELE 1\r\n"
                                << false << 3 << "";
        // The server removes the message but its QUIT reply never comes
        // (lost, or the user stops the wait): possibly deleted, until the
        // next scan settles it.
        QTest::newRow("QUIT reply lost") << "quit-lost"
                                         << "100"
                                         << "11 01 01"
                                         << "TOP 1 0\r\nDELE 1\r\nQUIT\r\n"
                                         << false << 2 << "P";
        QTest::newRow("QUIT reply late") << "quit-late"
                                         << "100"
                                         << "11 01 01"
                                         << "TOP 1 0\r\nDELE 1\r\nQUIT\r\n"
                                         << false << 2 << "P";
        QTest::newRow("interrupted waiting for QUIT") << "quit-cancel"
                                                      << "100"
                                                      << "11 01 01"
                                                      << "TOP 1 0\r\nDELE 1\r\nQUIT\r\n"
                                                      << false << 2 << "P";
        // The journal cannot be written (a planted link): no QUIT.
        QTest::newRow("journal unwritable") << "journal-link"
                                            << "100"
                                            << "11 01 01"
                                            << "TOP 1 0\r\nDELE 1\r\n"
                                            << false << 3 << "";
    }

    static QString States(const std::vector<JournalEntry>& entries)
    {
        QString text;
        for (const JournalEntry& entry : entries)
            text += entry.m_nState == JournalEntry::State::kPending ? 'P' : 'D';
        return text;
    }

    void purge()
    {
        QFETCH(QString, fault);
        QFETCH(QString, checked);
        QFETCH(QString, progress);
        QFETCH(QString, wire);
        QFETCH(bool, committed);
        QFETCH(int, left);
        QFETCH(QString, journal);

        std::atomic<int> tops{0};
        std::atomic<ScreeningEngine*> pEngine{nullptr};
        Gate quitHeld;
        EngineFixture f;
        auto& [server, listener, engine] = f;
        const std::string state = (m_pDir->path() + "/state").toStdString();
        engine.SetJournalFolder(state);
        if (fault == "journal-link") {
            QVERIFY(QDir().mkpath(QString::fromStdString(state)));
            QVERIFY(QFile::link(m_pDir->path() + "/elsewhere", QString::fromStdString(state + "/deleted.log")));
        }
        pEngine = &engine;
        f.Serve(m_aMail, [&](const std::string& command, int) -> std::optional<std::string> {
            if (fault == "changed" && command == "TOP 3 0" && ++tops == 2)
                return std::string("+OK\r\nSubject: Quarterly report (corrected)\r\n\r\n.\r\n");
            if (fault == "refused" && command == "DELE 1")
                return std::string("-ERR message is locked\r\n");
            if (fault == "lost" && command == "TOP 1 0" && ++tops == 2)
                return ScriptedPop3Server::kCloseConnection;
            if (ScreeningEngine* p = pEngine.load(); p && fault == "cancel" && command == "DELE 1")
                p->CancelPurge();
            if (command == "QUIT" && fault == "quit-lost")
                return ScriptedPop3Server::kCloseConnection;
            if (command == "QUIT" && fault.startsWith("quit-")) {
                if (ScreeningEngine* p = pEngine.load(); p && fault == "quit-cancel")
                    p->CancelPurge();
                quitHeld.Wait();  // the messages are gone; the answer is held
            }
            return std::nullopt;
        });
        std::vector<MessageRow> scanned;
        ScanToReview(f, &scanned);
        const size_t before = server.Received().size();
        if (fault == "quit-late")
            engine.Connection().SetTiming({300, 300, 300, 300});

        // Without the UIDLs: the Subject and the identity alone, one command per row.
        std::vector<PurgeRow> rows;
        for (int i = 0; i < 3; ++i) {
            rows.push_back(PurgeRowOf(scanned[static_cast<size_t>(i)], checked[i] == '1'));
            rows.back().m_sUidl.clear();
        }
        const PurgeNotes purge = f.Purge(rows);
        quitHeld.Open();
        pEngine = nullptr;
        QVERIFY(purge.m_bDone);
        const PurgeResult& result = purge.m_done.m_result;
        QString seen;
        for (const auto& [outcome, more] : purge.m_aProgress)
            seen += (seen.isEmpty() ? "" : " ") + QString::number(outcome) + QString::number(more);
        if (progress != "*")
            QCOMPARE(seen, progress);
        QCOMPARE(QString::fromStdString(server.Received().substr(before)), wire);
        QCOMPARE(result.m_bCommitted, committed);
        QCOMPARE(result.m_bUnconfirmed, fault.startsWith("quit-"));
        QCOMPARE(result.m_bCancelled, fault == "cancel");
        QCOMPARE(result.m_bNotRecorded, fault == "journal-link");

        // The journal has every message marked before QUIT went out, as
        // deleted once QUIT is accepted, as pending while nobody knows.
        const DeletionJournal deletions(state);
        QCOMPARE(States(deletions.Read()), journal);
        if (fault == "changed") {
            const JournalEntry entry = deletions.Read().at(0);
            QCOMPARE(entry.m_sAccount, "u@127.0.0.1:" + std::to_string(server.Port()));
            QCOMPARE(entry.m_sSubject, std::string("Hello there"));
            QCOMPARE(entry.m_sFrom, std::string("Sender 1 <sender1@example.com>"));
            QCOMPARE(entry.m_sReason, std::string(DeletionJournal::kCheckedByHand));
            QCOMPARE(entry.m_nSize, static_cast<std::int64_t>(m_aMail[0].size()));
            QCOMPARE(entry.m_sUidl, scanned[0].m_sUidl);
        } else if (fault == "refused") {
            QCOMPARE(deletions.Read().at(0).m_sSubject, std::string("Re: v\u00EDrus alert"));
            QCOMPARE(deletions.Read().at(0).m_sReason, scanned[1].m_sReason);
        }
        QVERIFY(server.WaitNoSession(5000));
        if (left >= 0)
            QCOMPARE(int(server.Messages().size()), left);
        if (fault == "changed") {
            QCOMPARE(purge.m_aRows.back().m_sGridSubject, std::string("Quarterly report"));
            QCOMPARE(purge.m_aRows.back().m_sServerSubject, std::string("Quarterly report (corrected)"));
            QCOMPARE(server.Messages().front(), m_aMail[1]);
        } else if (fault == "refused") {
            QCOMPARE(purge.m_aRows[0].m_sReply, std::string("-ERR message is locked"));
            QCOMPARE(result.m_sLastReply, std::string("-ERR message is locked"));
        } else if (fault == "lost") {
            QVERIFY(result.m_bBroken);
            QVERIFY(purge.m_aRows.back().m_sServerSubject.starts_with("(could not be read again"));
        } else if (fault.startsWith("quit-")) {
            // The next scan of the account settles it: the id is gone.
            f.BePatient();
            const ScanOutcome again = f.Scan(Lists());
            QVERIFY(again.m_bDone);
            QCOMPARE(States(deletions.Read()), QString("D"));
        }
    }

    // Ctrl-C, Cancel or closing the window while the purge waits for a
    // silent server: the wait ends at once and nothing is deleted.
    void cancelWakesTheWait_data()
    {
        QTest::addColumn<QString>("held");  // the command whose answer is held
        QTest::newRow("re-read") << "TOP 1 0";
        QTest::newRow("new session's STAT") << "STAT";
    }

    void cancelWakesTheWait()
    {
        QFETCH(QString, held);
        Gate gate;
        EngineFixture f;
        f.m_engine.SetJournalFolder((m_pDir->path() + "/state").toStdString());
        const std::string command = held.toStdString();
        std::atomic<bool> armed{false};
        f.Serve(m_aMail, [&](const std::string& line, int) -> std::optional<std::string> {
            if (line == command && armed)
                gate.Wait();
            return std::nullopt;
        });
        f.BePatient();
        std::vector<MessageRow> scanned;
        ScanToReview(f, &scanned);
        if (command == "STAT") {
            // The review's session ends; the purge must log in again.
            f.m_engine.EndSession(false);
            QVERIFY(DrainUntil(f.m_listener, 15000, [](const Note& note) { return Is<SessionEnd>(note); }));
        }
        std::vector<PurgeRow> rows;
        for (size_t i = 0; i < scanned.size(); ++i)
            rows.push_back(PurgeRowOf(scanned[i], int(i) + 1, true));
        const size_t before = f.m_server.Received().size();
        armed = true;
        f.m_engine.StartPurge(rows);
        QTRY_VERIFY_WITH_TIMEOUT(gate.Reached(), 15000);
        QElapsedTimer timer;
        timer.start();
        f.m_engine.CancelPurge();
        const PurgeNotes purge = DrivePurge(f.m_listener);
        gate.Open();
        QVERIFY(purge.m_bDone);
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(purge.m_done.m_result.m_bCancelled);
        QVERIFY(f.m_server.WaitNoSession(5000));
        QCOMPARE(f.m_server.Messages().size(), m_aMail.size());
        QVERIFY(f.m_server.Received().find("QUIT", before) == std::string::npos);
    }

    // A second purge of the account waits briefly, then gives up.
    void onePurgePerAccount()
    {
        EngineFixture f;
        const std::string state = (m_pDir->path() + "/state").toStdString();
        f.m_engine.SetJournalFolder(state);
        f.Serve(m_aMail);
        std::vector<MessageRow> scanned;
        ScanToReview(f, &scanned);
        PurgeLock other(state, "u@127.0.0.1:" + std::to_string(f.m_server.Port()));
        QVERIFY(other.Acquire(std::chrono::milliseconds(0)));
        const PurgeNotes purge = f.Purge({PurgeRowOf(scanned[0], 1, true)});
        QVERIFY(purge.m_bDone);
        QVERIFY(PurgeSummaryText(purge.m_done.m_result).starts_with("Another purge of this account is running"));
        QVERIFY(f.m_server.WaitNoSession(5000));
        QCOMPARE(f.m_server.Messages().size(), m_aMail.size());
    }

    // The review's session is gone: the purge logs in again and finds row 2
    // by its UIDL. Messages 1 and 2 share a Subject; an id the server lists
    // twice, or gives a new message, must never have another message deleted.
    void reconnect_data()
    {
        QTest::addColumn<QString>("scanIds");  // the scan's UIDL listing; empty: the server's own
        QTest::addColumn<QString>("newIds");   // the new session's
        QTest::addColumn<bool>("replaced");    // message 2 is another sender's with the same Subject now
        QTest::addColumn<bool>("pipelined");
        QTest::addColumn<int>("outcome");  // row 2's PurgeOutcome
        QTest::addColumn<int>("left");     // messages on the server afterwards
        const QString twice = "+OK\r\n1 SAME\r\n2 SAME\r\n3 mavix-uid-3\r\n.\r\n";
        const auto marked = int(PurgeOutcome::kMarked), unidentified = int(PurgeOutcome::kUnidentified),
                   idChanged = int(PurgeOutcome::kIdChanged);
        QTest::newRow("found again: deleted") << ""
                                              << "" << false << false << marked << 2;
        QTest::newRow("found again, pipelined: deleted") << ""
                                                         << "" << false << true << marked << 2;
        QTest::newRow("UIDL listed twice at the scan") << twice << twice << false << false << unidentified << 3;
        QTest::newRow("UIDL listed twice on the new session")
            << ""
            << "+OK\r\n1 mavix-uid-2\r\n2 mavix-uid-2\r\n3 mavix-uid-3\r\n.\r\n"
            << false << false << unidentified << 3;
        QTest::newRow("UIDL reused with the same Subject") << ""
                                                           << "" << true << false << idChanged << 3;
        QTest::newRow("UIDL reused, pipelined") << ""
                                                << "" << true << true << idChanged << 3;
    }

    void reconnect()
    {
        QFETCH(QString, scanIds);
        QFETCH(QString, newIds);
        QFETCH(bool, replaced);
        QFETCH(bool, pipelined);
        QFETCH(int, outcome);
        QFETCH(int, left);
        const std::string boss =
            "From: boss@corp\r\nSubject: Invoice\r\nDate: 5 Jan 2005 10:00:00 +0000\r\n\r\nPay.\r\n";
        m_aMail = {boss, "From: spam@junk\r\nSubject: Invoice\r\nDate: 5 Jan 2005 10:00:00 +0000\r\n\r\nBuy.\r\n",
                   MailText(3, "Lunch?")};
        EngineFixture f;
        auto& [server, listener, engine] = f;
        server.ListPipelining(pipelined);
        f.Serve(m_aMail, [&](const std::string& command, int session) -> std::optional<std::string> {
            const QString& ids = session == 0 ? scanIds : newIds;
            if (command == "UIDL" && !ids.isEmpty())
                return ids.toStdString();
            if (replaced && session > 0 && command == "TOP 2 0")
                return std::string("+OK\r\nFrom: colleague@corp\r\nSubject: Invoice\r\n"
                                   "Date: 6 Jan 2005 09:00:00 +0000\r\n\r\n.\r\n");
            return std::nullopt;
        });
        std::vector<MessageRow> scanned;
        ScanToReview(f, &scanned);
        QVERIFY(engine.CanReconnect());
        engine.Connection().Drop();

        std::vector<PurgeRow> rows;
        for (const MessageRow& row : scanned)
            rows.push_back(PurgeRowOf(row, row.m_sNum == "2"));
        const PurgeNotes purge = f.Purge(rows);
        QVERIFY(purge.m_bDone);
        const PurgeResult& result = purge.m_done.m_result;
        QVERIFY2(result.m_bReconnected && result.m_bCommitted, PurgeSummaryText(purge.m_done.m_result).c_str());
        const auto row2 = std::find_if(purge.m_aRows.begin(), purge.m_aRows.end(),
                                       [](const PurgeProgress& note) { return note.m_nNum == 2; });
        QVERIFY(row2 != purge.m_aRows.end());
        QCOMPARE(int(row2->m_nOutcome), outcome);
        QVERIFY(result.m_aGone.empty());
        if (outcome == int(PurgeOutcome::kIdChanged))
            QVERIFY2(row2->m_sServerSubject.find("(another message: its sender") != std::string::npos,
                     row2->m_sServerSubject.c_str());
        QVERIFY(server.WaitNoSession(5000));
        QCOMPARE(int(server.Messages().size()), left);
        QCOMPARE(server.Messages().front(), boss);
    }

    // Copies before DELE: the small checked message is fetched and stored
    // (synced into new/) before its DELE is sent; the large one is deleted
    // without a copy; when the copy cannot be written, or RETR sends what
    // is not the message, there is no DELE.
    void quarantine_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("copy");  // what RETR 1 sends: "same" message, or not
        QTest::addColumn<QString>("wire");
        QTest::addColumn<int>("left");
        QTest::addColumn<bool>("pipelined");
        const QString kept = "TOP 1 0\r\nRETR 1\r\nDELE 1\r\nTOP 3 0\r\nDELE 3\r\nQUIT\r\n";
        const QString notKept = "TOP 1 0\r\nRETR 1\r\nTOP 3 0\r\nDELE 3\r\nQUIT\r\n";
        QTest::newRow("copy, then DELE") << true << "same" << kept << 1 << false;
        QTest::newRow("no copy, no DELE") << false << "same" << notKept << 2 << false;
        // A row with a copy to keep is walked one command at a time.
        QTest::newRow("pipelined: copy, then DELE") << true << "same" << kept << 1 << true;
        QTest::newRow("copy of another message") << true << "other" << notKept << 2 << false;
        QTest::newRow("empty copy") << true << "empty" << notKept << 2 << false;
        QTest::newRow("copy far shorter than LIST") << true << "header" << notKept << 2 << false;
    }

    void quarantine()
    {
        QFETCH(bool, writable);
        QFETCH(QString, copy);
        QFETCH(QString, wire);
        QFETCH(int, left);
        QFETCH(bool, pipelined);
        const QString folder = m_pDir->path() + "/Quarantine";
        if (!writable) {
            // A file where the Maildir should be: no copy can be made, even by root.
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        m_aMail[0] = MailText(1, "Hello there", 400) + ".starts with a dot\r\n";
        std::atomic<int> copiesAtDele{-1};
        EngineFixture f;
        auto& [server, listener, engine] = f;
        server.ListPipelining(pipelined);
        f.Serve(m_aMail, [&](const std::string& command, int) -> std::optional<std::string> {
            if (command == "RETR 1" && copy == "same")
                return "+OK\r\n" + MailText(1, "Hello there", 400) + "..starts with a dot\r\n.\r\n";
            if (command == "RETR 1" && copy == "other")
                return "+OK\r\n" + MailText(7, "Hello there", 400) + ".\r\n";
            if (command == "RETR 1" && copy == "empty")
                return std::string("+OK\r\n.\r\n");
            if (command == "RETR 1" && copy == "header")
                return "+OK\r\n" + HeaderOf(m_aMail[0]) + ".\r\n";
            if (command == "DELE 1")
                copiesAtDele = static_cast<int>(QDir(folder + "/new").entryList(QDir::Files).size());
            return std::nullopt;
        });
        engine.SetQuarantine(QuarantineOptions{1024, folder.toStdString()});
        std::vector<MessageRow> scanned;
        ScanToReview(f, &scanned);
        const size_t before = server.Received().size();
        std::vector<PurgeRow> rows;
        for (const MessageRow& row : scanned) {
            rows.push_back(PurgeRowOf(row, row.m_sNum != "2"));
            rows.back().m_sUidl.clear();
        }
        const PurgeNotes purge = f.Purge(rows);
        QVERIFY(purge.m_bDone);
        QCOMPARE(QString::fromStdString(server.Received().substr(before)), wire);
        QVERIFY(purge.m_done.m_result.m_bCommitted);
        QVERIFY(server.WaitNoSession(5000));
        QCOMPARE(int(server.Messages().size()), left);
        const PurgeResult& result = purge.m_done.m_result;
        if (writable && copy == "same") {
            QCOMPARE(copiesAtDele.load(), 1);
            const QStringList copies = QDir(folder + "/new").entryList(QDir::Files);
            QCOMPARE(copies.size(), 1);
            QVERIFY(QDir(folder + "/tmp").entryList(QDir::Files).isEmpty());
            std::string lf = m_aMail[0];
            for (size_t at; (at = lf.find("\r\n")) != std::string::npos;)
                lf.replace(at, 2, "\n");
            QCOMPARE(ReadFile(folder + "/new/" + copies[0]), lf);
            QCOMPARE(QFile(folder + "/new/" + copies[0]).permissions() & 0x0077, QFileDevice::Permissions());
            QVERIFY(result.m_aNotKept.empty());
        } else {
            QCOMPARE(copiesAtDele.load(), -1);
            QCOMPARE(result.m_aNotKept, std::vector<int>{1});
            QCOMPARE(result.m_aMarked, std::vector<int>{3});
            QVERIFY(result.m_sLastReply.starts_with("No copy kept: "));
            QCOMPARE(purge.m_aRows[0].m_sReply, result.m_sLastReply);
            const bool bDiffered = copy != "same";
            QCOMPARE(result.m_aCopyDiffered, bDiffered ? std::vector<int>{1} : std::vector<int>{});
            const std::string summary = PurgeSummaryText(result);
            QVERIFY2(summary.find(bDiffered ? "1 not deleted (the copy did not match)"
                                            : "1 not deleted (no copy could be kept)")
                         != std::string::npos,
                     summary.c_str());
            QVERIFY(QDir(folder + "/new").entryList(QDir::Files).isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestScreeningEngine)
#include "test_screening_engine.moc"
