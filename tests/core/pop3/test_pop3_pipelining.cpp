// Pipelined commands (RFC 2449 PIPELINING): the batch on the wire, replies
// read in order however they arrive, CAPA at every log-in.

#include <QtTest>

#include "core/platform/LastError.h"
#include "Pop3TestSupport.h"

namespace {

const std::string kPipelining = "+OK\r\nUSER\r\nPIPELINING\r\n.\r\n";

// Three header blocks, an id and a refused DELE, as one byte stream.
const std::string kReplies = "+OK\r\nSubject: one\r\n\r\n.\r\n"
                             "-ERR no such message\r\n"
                             "+OK\r\nSubject: three\r\n..dot\r\n\r\n.\r\n"
                             "+OK 3 uid-3\r\n"
                             "-ERR deleted already\r\n";

}  // namespace

class TestPop3Pipelining : public QObject {
    Q_OBJECT

private slots:
    // The whole batch goes out before any reply, in one write; the replies
    // pair with their commands when cut at every offset, when all of them
    // come in one piece (cut 0), and when each byte comes on its own (cut
    // past the end).
    void batchAndSplitReplies()
    {
        for (size_t cut = 0; cut <= kReplies.size(); ++cut) {
            ScriptedStream server;
            ScriptLogin(server, kPipelining)
                .Expect("STAT\r\n")
                .Send("+OK 3 300\r\n")
                .Expect("LIST\r\n")
                .Send("+OK\r\n1 100\r\n2 100\r\n3 100\r\n.\r\n")
                .Expect("TOP 1 0\r\nTOP 2 0\r\nTOP 3 0\r\nUIDL 3\r\nDELE 2\r\n")
                .SendSplit(kReplies, {cut})
                .Expect("NOOP\r\n")
                .Send("+OK\r\n")
                .SetChunk(cut == kReplies.size() ? 1 : ~size_t{0});
            TestConnection pop;
            QVERIFY(LoginTo(pop, server));
            QVERIFY(pop.CanPipeline());
            QVERIFY(pop.List());
            QVERIFY(pop.QueueTop(1) && pop.QueueTop(2) && pop.QueueTop(3));
            QVERIFY(pop.QueueUidlOf(3) && pop.QueueDele(2));
            QVERIFY(!pop.Noop());  // refused while replies are outstanding
            QVERIFY(pop.SendQueued());
            CPop3Message message;
            std::string uidl;
            QVERIFY(pop.ReadTop(1, message));
            QCOMPARE(message.GetSubject(), std::string("one"));
            QVERIFY(!pop.ReadTop(2, message));
            QCOMPARE(pop.GetLastReply(), std::string("-ERR no such message"));
            QVERIFY(pop.ReadTop(3, message));
            QCOMPARE(message.Text(), std::string("Subject: three\r\n..dot\r\n"));
            QVERIFY(pop.ReadUidlOf(3, uidl));
            QCOMPARE(uidl, std::string("uid-3"));
            QVERIFY(!pop.ReadDele(2));
            QVERIFY(!pop.IsBroken());
            QVERIFY2(pop.Noop(), QByteArray::number(static_cast<int>(cut)));
            QVERIFY2(server.Finished(), server.Failure().c_str());
        }
    }

    // Replies out of step: a reply read for another command than the one it
    // answers, or an extra reply, breaks the session; nothing more is sent.
    void outOfStepBreaks_data()
    {
        QTest::addColumn<QString>("replies");
        QTest::addColumn<QString>("reason");
        QTest::newRow("id of another message") << "+OK\r\nSubject: a\r\n\r\n.\r\n+OK 2 uid-2\r\n"
                                               << "The server's answer to UIDL 1 names another message.";
        QTest::newRow("doubled header") << "+OK\r\nSubject: a\r\n\r\n.\r\n+OK\r\nSubject: a\r\n\r\n.\r\n"
                                        << "The server's answer to UIDL 1 names another message.";
    }
    void outOfStepBreaks()
    {
        QFETCH(QString, replies);
        QFETCH(QString, reason);
        ScriptedStream server;
        ScriptLogin(server, kPipelining)
            .Expect("STAT\r\n")
            .Send("+OK 1 100\r\n")
            .Expect("LIST\r\n")
            .Send("+OK\r\n1 100\r\n.\r\n")
            .Expect("TOP 1 0\r\nUIDL 1\r\nDELE 1\r\n")
            .Send(replies.toStdString() + "+OK\r\n");
        TestConnection pop;
        QVERIFY(LoginTo(pop, server));
        QVERIFY(pop.List());
        QVERIFY(pop.QueueTop(1) && pop.QueueUidlOf(1) && pop.QueueDele(1) && pop.SendQueued());
        CPop3Message message;
        std::string uidl;
        QVERIFY(pop.ReadTop(1, message));
        QVERIFY(!pop.ReadUidlOf(1, uidl));
        QVERIFY(pop.IsBroken());
        QCOMPARE(pop.BreakReason(), reason.toStdString());
        QVERIFY(!pop.ReadDele(1));
        QVERIFY(!pop.Quit());  // closed without QUIT: the server deletes nothing
        QVERIFY(server.Received().find("QUIT") == std::string::npos);
    }

    // The session breaks while the batch is being sent: bytes nobody asked
    // for wait before it (a listing sent twice), the server has closed, or
    // the user stopped. The batch (longer than one block of the queue of
    // awaited replies) never reaches the wire, no reply is left
    // outstanding, and every later step fails without sending anything.
    void brokenBeforeTheBatch_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("UIDL listing sent twice") << "twice"
                                                 << "The server sent data nobody asked for before TOP 1.";
        QTest::newRow("closed right after the listing") << "close"
                                                        << "The server had closed the connection before TOP 1.";
        QTest::newRow("stopped before the batch") << "stop"
                                                  << "Stopped before TOP 1.";
    }
    void brokenBeforeTheBatch()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        constexpr int kCount = 100;
        std::string sizes = "+OK\r\n", ids = "+OK\r\n";
        for (int n = 1; n <= kCount; ++n) {
            sizes += std::to_string(n) + " 100\r\n";
            ids += std::to_string(n) + " uid-" + std::to_string(n) + "\r\n";
        }
        ScriptedStream server;
        ScriptLogin(server, kPipelining)
            .Expect("STAT\r\n")
            .Send("+OK " + std::to_string(kCount) + " 10000\r\n")
            .Expect("LIST\r\n")
            .Send(sizes + ".\r\n")
            .Expect("UIDL\r\n")
            .Send(ids + ".\r\n");
        if (fault == "twice")
            server.Send(ids + ".\r\n");
        else if (fault == "close")
            server.CloseConnection();
        TestConnection pop;
        QVERIFY(LoginTo(pop, server));
        QVERIFY(pop.List() && pop.Uidl());
        for (int n = 1; n <= kCount; ++n)
            QVERIFY(pop.QueueTop(n) && pop.QueueUidlOf(n));
        if (fault == "stop")
            pop.Abort();
        const std::string sent = server.Received();
        QVERIFY(!pop.SendQueued());
        QVERIFY(pop.IsBroken());
        QCOMPARE(pop.BreakReason(), reason.toStdString());
        QCOMPARE(pop.Outstanding(), size_t{0});
        CPop3Message message;
        QVERIFY(!pop.ReadTop(1, message));
        QVERIFY(!pop.QueueTop(1));
        QVERIFY(!pop.Quit());
        QCOMPARE(server.Received(), sent);  // nothing more, no QUIT: the server deletes nothing
    }

    // A server that leaves CAPA unanswered is logged in to again without
    // it, and sees commands one at a time; one that refuses it likewise.
    void capaUnanswered()
    {
        ScriptedPop3Server server;
        server.ServeMailbox({"Subject: x\r\n\r\nbody\r\n"}, "u", "p",
                            [](const std::string& command, int session) -> std::optional<std::string> {
                                if (command == "CAPA" && session == 0)
                                    return std::string();  // silence
                                return std::nullopt;
                            });
        server.ListPipelining(true);
        server.Start();
        TestConnection pop(300);
        QVERIFY(pop.Login("127.0.0.1", "u", "p", server.Port()));
        QVERIFY(!pop.CanPipeline());
        QCOMPARE(server.SessionCount(), 2);
        QCOMPARE(server.Received(), std::string("CAPA\r\nUSER u\r\nPASS p\r\n"));
        CPop3Message message;
        QVERIFY(pop.Top(1, message));
        QCOMPARE(message.GetSubject(), std::string("x"));
    }
};

QTEST_APPLESS_MAIN(TestPop3Pipelining)
#include "test_pop3_pipelining.moc"
