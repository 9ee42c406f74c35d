// The POP3 session against a scripted server: the exact bytes on the wire,
// replies cut at every offset, trickled, cut off, negative, followed by
// junk or never finished, and the parsing of STAT, LIST, UIDL and TOP.
#include "Pop3TestSupport.h"

#include "core/platform/LastError.h"
#include "core/platform/Socket.h"

#include <QtTest>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;

class TestPop3Protocol : public QObject {
    Q_OBJECT

private slots:
    void sessionTranscript();
    void replyCutAtEveryOffset();
    void trickledReplyEndsAtDeadline();
    void closeInMidReply();
    void negativeReplies_data();
    void negativeReplies();
    void failedListingAskedAgain();
    void caseOfTheStatusWord();
    void dataAfterReplyBreaksSession();
    void silenceTimesOutAfterThirtySeconds();
    void pausedTop_data();
    void pausedTop();
    void silenceReportedEverySecond();
    void quitWaitGrowsWithMarked_data();
    void quitWaitGrowsWithMarked();
    void hugeHeaderKeptBounded();
    void replyCap();
    void credentialsRefused_data();
    void credentialsRefused();
    void longestCredentialsAccepted();
    void statParsing_data();
    void statParsing();
    void listParsing_data();
    void listParsing();
    void uidlParsing_data();
    void uidlParsing();
    void listingsFetchedOncePerSession();
    void topText_data();
    void topText();
    void messageNumbersFormatted();
    void hostForms_data();
    void hostForms();
    void loginFailureTraces_data();
    void loginFailureTraces();
    void loginQuitsOpenSession();
    void connectionStateAfterServerClose();
    void connectTimeoutBounded();
    void refusedPortNamed();
    void retrText_data();
    void retrText();
};

// Login, every command, Quit: the client's bytes exactly, and Quit twice
// puts QUIT on the wire once.
void TestPop3Protocol::sessionTranscript()
{
    ScriptedStream server;
    ScriptLogin(server)
        .Expect("STAT\r\n")
        .Send("+OK 2 320\r\n")
        .Expect("LIST\r\n")
        .Send("+OK 2 messages\r\n1 120\r\n2 200\r\n.\r\n")
        .Expect("UIDL\r\n")
        .Send("+OK\r\n1 aaa\r\n2 bbb\r\n.\r\n")
        .Expect("TOP 2 0\r\n")
        .Send("+OK\r\nSubject: two\r\n\r\n.\r\n")
        .Expect("DELE 1\r\n")
        .Send("+OK marked\r\n")
        .Expect("RSET\r\n")
        .Send("+OK\r\n")
        .Expect("NOOP\r\n")
        .Send("+OK\r\n")
        .Expect("QUIT\r\n")
        .Send("+OK bye\r\n");
    TraceCapture trace;
    CPop3Connection pop;
    QVERIFY(LoginTo(pop, server));
    QVERIFY(pop.IsConnected());
    int count = 0, size = 0;
    QVERIFY(pop.Stat(count, size));
    QCOMPARE(count, 2);
    QCOMPARE(size, 320);
    uint64_t size2 = 0;
    QVERIFY(pop.GetSize(2, size2));  // LIST, sized by the STAT above: no second STAT
    QCOMPARE(size2, 200u);
    std::string uid;
    QVERIFY(pop.GetUidl(1, uid));
    QCOMPARE(uid, std::string("aaa"));
    CPop3Message message;
    QVERIFY(pop.Top(2, message));
    QCOMPARE(message.GetSubject(), std::string("two"));
    QVERIFY(pop.Dele(1));
    QVERIFY(pop.Rset());
    QVERIFY(pop.Noop());
    QVERIFY(pop.Quit());
    QVERIFY(!pop.IsConnected());
    QVERIFY(!pop.Quit());
    QVERIFY(trace.Has("CPop3Connection, Already disconnected\n"));
    QVERIFY2(server.Finished(), server.Failure().c_str());
    QVERIFY(pop.GetLastReply().empty());  // written only on failure
    // A command on a closed connection fails at its send.
    QVERIFY(!pop.Noop());
    QVERIFY(trace.Has("Failed to send the NOOP command to the POP3 server\n"));
    QCOMPARE(server.Received(),
             std::string("CAPA\r\nUSER u\r\nPASS p\r\nSTAT\r\nLIST\r\nUIDL\r\nTOP 2 0\r\n"
                         "DELE 1\r\nRSET\r\nNOOP\r\nQUIT\r\n"));
}

// Every reply of a session cut in two at every byte offset in turn, and
// (cut 0) handed over one byte per read: each is assembled until its
// terminator, whatever the segments.
void TestPop3Protocol::replyCutAtEveryOffset()
{
    const std::string greeting = "+OK POP3 ready <1.2@host>\r\n";
    const std::string stat = "+OK 2 1320\r\n";
    const std::string list = "+OK 2 messages\r\n1 1200\r\n2 120\r\n.\r\n";
    const std::string top = "+OK\r\nSubject: cut\r\nFrom: a@b.example\r\n\r\n.\r\n";
    const size_t longest = std::max({greeting.size(), stat.size(), list.size(), top.size()});
    for (size_t cut = 0; cut < longest; ++cut) {
        ScriptedStream server;
        server.SetChunk(cut == 0 ? 1 : ~size_t{0});
        server.SendSplit(greeting, {cut})
            .Expect("CAPA\r\n")
            .Send("-ERR\r\n")
            .Expect("USER u\r\n")
            .Send("+OK\r\n")
            .Expect("PASS p\r\n")
            .SendSplit("+OK\r\n", {cut})
            .Expect("STAT\r\n")
            .SendSplit(stat, {cut})
            .Expect("LIST\r\n")
            .SendSplit(list, {cut})
            .Expect("TOP 1 0\r\n")
            .SendSplit(top, {cut});
        CPop3Connection pop;
        QVERIFY2(LoginTo(pop, server), qPrintable(QString::number(cut)));
        uint64_t size = 0;
        QVERIFY2(pop.GetSize(1, size), qPrintable(QString::number(cut)));
        QCOMPARE(size, 1200u);
        CPop3Message message;
        QVERIFY2(pop.Top(1, message), qPrintable(QString::number(cut)));
        QCOMPARE(message.Text(), std::string("Subject: cut\r\nFrom: a@b.example\r\n"));
        QVERIFY2(server.Finished(), server.Failure().c_str());
    }
}

// Silence is counted from the last byte received, but a reply that trickles
// in must still end by its deadline: then the session breaks, and nothing
// more goes out on it.
void TestPop3Protocol::trickledReplyEndsAtDeadline()
{
    ScriptedStream server;
    ScriptLogin(server).Expect("NOOP\r\n").Trickle("+OK still here, very slowly\r\n", 60);
    TestConnection pop(300);
    CPop3Connection::Timing timing;
    timing.m_nSilenceMs = 300;
    timing.m_nLineDeadlineMs = 700;
    pop.SetTiming(timing);
    QVERIFY(LoginTo(pop, server));
    const long long start = server.ElapsedMs();
    QVERIFY(!pop.Noop());
    const long long elapsed = server.ElapsedMs() - start;
    QVERIFY2(elapsed >= 690 && elapsed < 5000, qPrintable(QString::number(elapsed)));
    QCOMPARE(platform::GetLastError(), platform::kErrTimedOut);
    QVERIFY(pop.IsBroken());
    QVERIFY(!pop.Noop());
    QVERIFY(!pop.Quit());
    QCOMPARE(server.Received(), std::string("CAPA\r\nUSER u\r\nPASS p\r\nNOOP\r\n"));
}

void TestPop3Protocol::closeInMidReply()
{
    ScriptedStream server;
    ScriptLogin(server)
        .Expect("STAT\r\n")
        .Send("+OK 1 50\r\n")
        .Expect("LIST\r\n")
        .Send("+OK\r\n1 50\r\n.\r\n")
        .Expect("TOP 1 0\r\n")
        .Send("+OK\r\nSubject: par")
        .CloseConnection();
    CPop3Connection pop;
    QVERIFY(LoginTo(pop, server));
    CPop3Message message;
    message.SetText("old");
    const long long start = server.ElapsedMs();
    QVERIFY(!pop.Top(1, message));
    QVERIFY(server.ElapsedMs() - start < 1000);  // at once, not after the silence budget
    QCOMPARE(pop.GetLastReply(), std::string("+OK\r\nSubject: par"));
    QVERIFY(platform::GetLastError() != platform::kErrTimedOut);
    QVERIFY(platform::GetLastError() != 0);
    QVERIFY(!message.HasText());  // never the text of an earlier message
    QVERIFY(pop.IsBroken());
    QVERIFY(!pop.IsConnected());
}

// A negative status line is the whole reply (RFC 1939 §3), for multi-line
// commands too: it fails at once with kErrProtocol and the line in the last reply.
void TestPop3Protocol::negativeReplies_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("wire");
    QTest::newRow("LIST") << "LIST"
                          << "LIST\r\n";
    QTest::newRow("UIDL") << "UIDL"
                          << "UIDL\r\n";
    QTest::newRow("TOP") << "TOP"
                         << "TOP 1 0\r\n";
    QTest::newRow("DELE") << "DELE"
                          << "DELE 1\r\n";
    QTest::newRow("NOOP") << "NOOP"
                          << "NOOP\r\n";
}

void TestPop3Protocol::negativeReplies()
{
    QFETCH(QString, command);
    QFETCH(QString, wire);
    ScriptedStream server;
    ScriptLogin(server);
    if (command != "NOOP")
        server.Expect("STAT\r\n").Send("+OK 1 50\r\n");
    if (command == "TOP" || command == "DELE")
        server.Expect("LIST\r\n").Send("+OK\r\n1 50\r\n.\r\n");
    // The negative line arrives in two pieces; the read still ends at its CR LF.
    server.Expect(wire.toStdString()).SendSplit("-ERR no such message\r\n", {6});

    TraceCapture trace;
    CPop3Connection pop;
    QVERIFY(LoginTo(pop, server));
    if (command == "DELE") {
        QVERIFY(pop.List());
    }
    const long long start = server.ElapsedMs();
    bool ok = true;
    CPop3Message message;
    if (command == "LIST")
        ok = pop.List();
    else if (command == "UIDL")
        ok = pop.Uidl();
    else if (command == "TOP")
        ok = pop.Top(1, message);
    else if (command == "DELE")
        ok = pop.Dele(1);
    else
        ok = pop.Noop();
    QVERIFY(!ok);
    QVERIFY2(server.ElapsedMs() - start < 1000, "a negative line must end the read at once");
    QCOMPARE(platform::GetLastError(), platform::kErrProtocol);
    QCOMPARE(pop.GetLastReply(), std::string("-ERR no such message"));
    if (command == "LIST")
        QVERIFY(trace.Has("Error retrieving the LIST response from the POP3 server"));
    if (command == "TOP")
        QVERIFY(trace.Has("Error retrieving the TOP response"));
    QVERIFY2(server.Finished(), server.Failure().c_str());
}

// A failed listing leaves its flag clear: the next look-up asks again (and
// STAT only once).
void TestPop3Protocol::failedListingAskedAgain()
{
    ScriptedStream server;
    ScriptLogin(server)
        .Expect("STAT\r\n")
        .Send("+OK 1 50\r\n")
        .Expect("LIST\r\n")
        .Send("-ERR busy\r\n")
        .Expect("LIST\r\n")
        .Send("+OK\r\n1 50\r\n.\r\n");
    CPop3Connection pop;
    QVERIFY(LoginTo(pop, server));
    QVERIFY(!pop.List());
    uint64_t size = 0;
    QVERIFY(pop.GetSize(1, size));
    QCOMPARE(size, 50u);
    QVERIFY2(server.Finished(), server.Failure().c_str());
}

// The reader takes "+ok" as positive; STAT insists on "+OK".
void TestPop3Protocol::caseOfTheStatusWord()
{
    ScriptedStream server;
    server.Send("+ok hello\r\n")
        .Expect("CAPA\r\n")
        .Send("-err\r\n")
        .Expect("USER u\r\n")
        .Send("+Ok\r\n")
        .Expect("PASS p\r\n")
        .Send("+oK\r\n")
        .Expect("NOOP\r\n")
        .Send("+ok\r\n")
        .Expect("STAT\r\n")
        .Send("+ok 2 320\r\n");
    TraceCapture trace;
    CPop3Connection pop;
    QVERIFY(LoginTo(pop, server));
    QVERIFY(pop.Noop());
    int count = -1, size = -1;
    QVERIFY(!pop.Stat(count, size));
    QCOMPARE(count, -1);
    QVERIFY(trace.Has("POP3 server did not respond correctly to the STAT response\n"));
}

// Bytes after a reply that no command asked for: the replies no longer pair
// with the commands, so the session breaks before the next command goes out.
void TestPop3Protocol::dataAfterReplyBreaksSession()
{
    ScriptedStream server;
    ScriptLogin(server).Expect("NOOP\r\n").Send("+OK\r\nJUNK");
    TestConnection pop(300);
    QVERIFY(LoginTo(pop, server));
    QVERIFY(pop.Noop());
    QVERIFY(!pop.Noop());
    QVERIFY(pop.IsBroken());
    QVERIFY(pop.BreakReason().find("before NOOP") != std::string::npos);
    QCOMPARE(server.Received(), std::string("CAPA\r\nUSER u\r\nPASS p\r\nNOOP\r\n"));
}

// The real budget: 30 s of silence, then kErrTimedOut and the text so far.
void TestPop3Protocol::silenceTimesOutAfterThirtySeconds()
{
    ScriptedStream server;
    ScriptLogin(server).Expect("NOOP\r\n").Send("+OK half a li");
    CPop3Connection pop;
    QVERIFY(LoginTo(pop, server));
    const long long start = server.ElapsedMs();
    QVERIFY(!pop.Noop());
    const long long elapsed = server.ElapsedMs() - start;
    QCOMPARE(platform::GetLastError(), platform::kErrTimedOut);
    QCOMPARE(pop.GetLastReply(), std::string("+OK half a li"));
    QVERIFY2(elapsed >= 29990 && elapsed < 31000, qPrintable(QString::number(elapsed)));
}

// A server that pauses before a header block: within the silence limit the
// scan goes on, past it the session breaks. The default limit outlasts the
// pauses of busy servers.
void TestPop3Protocol::pausedTop_data()
{
    QTest::addColumn<uint>("limitMs");  // 0: the default
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<bool>("answered");
    QTest::newRow("2.5 s pause, default limit") << 0u << 2500 << true;
    QTest::newRow("0.5 s pause, 1.5 s limit") << 1500u << 500 << true;
    QTest::newRow("0.6 s pause, 0.3 s limit") << 300u << 600 << false;
}

void TestPop3Protocol::pausedTop()
{
    QFETCH(uint, limitMs);
    QFETCH(int, pauseMs);
    QFETCH(bool, answered);
    ScriptedStream server;
    ScriptLogin(server)
        .Expect("STAT\r\n")
        .Send("+OK 1 50\r\n")
        .Expect("LIST\r\n")
        .Send("+OK\r\n1 50\r\n.\r\n")
        .Expect("TOP 1 0\r\n")
        .Pause(pauseMs)
        .Send("+OK\r\nSubject: late\r\n\r\n.\r\n");
    CPop3Connection pop;
    if (limitMs > 0)
        pop.SetTiming(CPop3Connection::Timing::ForSilence(limitMs));
    QVERIFY(LoginTo(pop, server));
    CPop3Message message;
    QCOMPARE(pop.Top(1, message), answered);
    QCOMPARE(pop.IsBroken(), !answered);
    if (answered)
        QCOMPARE(message.GetSubject(), std::string("late"));
    else
        QCOMPARE(pop.BreakReason(), std::string("The server did not answer TOP 1 within 1 seconds."));
}

// The reader tells its observer of a silence from 2 s on, once a second,
// and that it ended.
void TestPop3Protocol::silenceReportedEverySecond()
{
    ScriptedStream server;
    ScriptLogin(server).Expect("NOOP\r\n").Pause(1500).Send("+OK").Pause(4500).Send("\r\n");
    CPop3Connection pop;
    std::vector<uint32_t> told;
    pop.SetWaitObserver([&told](uint32_t nSeconds) { told.push_back(nSeconds); });
    QVERIFY(LoginTo(pop, server));
    QVERIFY(pop.Noop());
    QCOMPARE(told, (std::vector<uint32_t>{2, 3, 4, 0}));
}

// RFC 1939 §6: the server removes the marked messages before it answers
// QUIT, so the wait for its answer grows with their number.
void TestPop3Protocol::quitWaitGrowsWithMarked_data()
{
    QTest::addColumn<int>("marked");
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<bool>("answered");
    QTest::newRow("none marked, answered in time") << 0 << 900 << true;
    QTest::newRow("none marked, answered late") << 0 << 1100 << false;
    QTest::newRow("400 marked, answered in their time") << 400 << 1700 << true;
    QTest::newRow("400 marked, answered late") << 400 << 1900 << false;
}

void TestPop3Protocol::quitWaitGrowsWithMarked()
{
    QFETCH(int, marked);
    QFETCH(int, pauseMs);
    QFETCH(bool, answered);
    const CPop3Connection::Timing timing = CPop3Connection::Timing::ForSilence(1000);
    QCOMPARE(CPop3Connection::QuitWaitMs(timing, marked),
             uint64_t{1000} + uint64_t(marked) * CPop3Connection::kQuitMsPerMarked);
    std::string list = "+OK\r\n";
    for (int n = 1; n <= marked; ++n)
        list += std::to_string(n) + " 50\r\n";
    ScriptedStream server;
    ScriptLogin(server)
        .Expect("STAT\r\n")
        .Send("+OK " + std::to_string(marked) + " 50\r\n")
        .Expect("LIST\r\n")
        .Send(list + ".\r\n");
    for (int n = 1; n <= marked; ++n)
        server.Expect("DELE " + std::to_string(n) + "\r\n").Send("+OK\r\n");
    server.Expect("QUIT\r\n").Pause(pauseMs).Send("+OK bye\r\n");
    TestConnection pop;
    pop.SetTiming(timing);
    QVERIFY(LoginTo(pop, server));
    QVERIFY(pop.List());
    for (int n = 1; n <= marked; ++n)
        QVERIFY(pop.Dele(n));
    QCOMPARE(pop.Quit(), answered);
    QVERIFY(pop.QuitSent());
}

// A header block beyond what a row could use is read to its end and cut:
// it costs time, never memory, and the next reply still pairs with its
// command.
void TestPop3Protocol::hugeHeaderKeptBounded()
{
    const std::string header =
        "Subject: big\r\nX-Long: " + std::string(CPop3Connection::kMaxHeaderBytes * 3, 'h') + "\r\n";
    ScriptedStream server;
    ScriptLogin(server)
        .Expect("STAT\r\n")
        .Send("+OK 1 10\r\n")
        .Expect("LIST\r\n")
        .Send("+OK\r\n1 10\r\n.\r\n")  // the listing understates the size
        .Expect("TOP 1 0\r\n")
        .Send("+OK\r\n" + header + "\r\n.\r\n")
        .Expect("NOOP\r\n")
        .Send("+OK " + std::string(995, 'n') + "\r\n");
    TestConnection pop;
    QVERIFY(LoginTo(pop, server));
    CPop3Message message;
    QVERIFY(pop.Top(1, message));
    QVERIFY(message.Text().size() <= CPop3Connection::kMaxHeaderBytes);
    QVERIFY(message.Text().starts_with("Subject: big\r\nX-Long: hhh"));
    QVERIFY(pop.Noop());
    QVERIFY(pop.IsConnected());
}

// A server that streams without end is cut off at 64 MiB with a clear error.
void TestPop3Protocol::replyCap()
{
    std::string flood = "+OK\r\n";
    flood.append(CPop3Connection::kMaxReplyBytes + (1 << 20), 'x');
    ScriptedStream server;
    ScriptLogin(server)
        .Expect("STAT\r\n")
        .Send("+OK 1 50\r\n")
        .Expect("LIST\r\n")
        .Send("+OK\r\n1 50\r\n.\r\n")
        .Expect("TOP 1 0\r\n")
        .Send(flood);
    TraceCapture trace;
    CPop3Connection pop;
    QVERIFY(LoginTo(pop, server));
    CPop3Message message;
    QVERIFY(!pop.Top(1, message));
    QCOMPARE(platform::GetLastError(), EMSGSIZE);
    QCOMPARE(pop.GetLastReply(), std::string("The POP3 server's reply is longer than 64 MiB."));
    QVERIFY(trace.Has("Reply from the POP3 server longer than 67108864 bytes: read abandoned\n"));
    QVERIFY(!message.HasText());
}

// Credentials that would not fit the command line or would end it early
// are refused before any byte goes out; the server never sees a connection.
void TestPop3Protocol::credentialsRefused_data()
{
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("password");
    QTest::newRow("user 121 chars") << QByteArray(121, 'u') << QByteArray("p");
    QTest::newRow("password 121 chars") << QByteArray("u") << QByteArray(121, 'p');
    QTest::newRow("CR LF in password") << QByteArray("u") << QByteArray("p\r\nDELE 1");
    QTest::newRow("LF in user") << QByteArray("u\nDELE 1") << QByteArray("p");
    QTest::newRow("CR in user") << QByteArray("u\r") << QByteArray("p");
    QTest::newRow("NUL in password") << QByteArray("u") << QByteArray("p\0q", 3);
}

void TestPop3Protocol::credentialsRefused()
{
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, password);
    ScriptedPop3Server server;
    server.ServeMailbox({}, user.toStdString(), password.toStdString());
    server.Start();
    TraceCapture trace;
    CPop3Connection pop;
    QVERIFY(!pop.Login("127.0.0.1", user.toStdString(), password.toStdString(), server.Port()));
    QCOMPARE(platform::GetLastError(), platform::kErrInvalidArgument);
    QVERIFY(pop.GetLastReply().find("120 characters") != std::string::npos);
    QVERIFY(trace.Has("User name or password longer than 120 characters or holding CR, LF or NUL: not sent\n"));
    QVERIFY(!pop.IsConnected());
    QCOMPARE(server.SessionCount(), 0);
    QCOMPARE(server.Received(), std::string());
}

void TestPop3Protocol::longestCredentialsAccepted()
{
    const std::string user(120, 'u'), password(120, 'p');
    ScriptedPop3Server server;
    server.ServeMailbox({}, user, password);
    server.Start();
    CPop3Connection pop;
    QVERIFY(pop.Login("127.0.0.1", user, password, server.Port()));
    QVERIFY(pop.Quit());
    QTRY_COMPARE(server.Received(), "CAPA\r\nUSER " + user + "\r\nPASS " + password + "\r\nQUIT\r\n");
}

void TestPop3Protocol::statParsing_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("size");
    QTest::newRow("plain") << "+OK 2 320" << true << 2 << 320;
    QTest::newRow("empty mailbox") << "+OK 0 0" << true << 0 << 0;
    QTest::newRow("tab and extra blanks") << "+OK\t7  1000 octets" << true << 7 << 1000;
    QTest::newRow("no numbers") << "+OK" << false << -1 << -1;
    QTest::newRow("one number") << "+OK 5" << false << -1 << -1;
    QTest::newRow("no blank after +OK") << "+OK5 10" << false << -1 << -1;
    QTest::newRow("negative count") << "+OK -1 10" << false << -1 << -1;
    QTest::newRow("count overflows") << "+OK 3000000000 10" << false << -1 << -1;
    QTest::newRow("maildrop over 2 GiB") << "+OK 4 3000000000" << true << 4 << INT_MAX;
    QTest::newRow("lower case") << "+ok 2 320" << false << -1 << -1;
}

void TestPop3Protocol::statParsing()
{
    QFETCH(QString, reply);
    QFETCH(bool, ok);
    QFETCH(int, count);
    QFETCH(int, size);
    ScriptedStream server;
    ScriptLogin(server).Expect("STAT\r\n").Send(reply.toStdString() + "\r\n");
    CPop3Connection pop;
    QVERIFY(LoginTo(pop, server));
    int gotCount = -1, gotSize = -1;
    QCOMPARE(pop.Stat(gotCount, gotSize), ok);
    QCOMPARE(gotCount, count);
    QCOMPARE(gotSize, size);
}

// LIST is read line by line within the listing; a number the listing does
// not hold has no size. A number listed twice or beyond the count, or a size
// of 2^63 or more, makes the listing unusable.
void TestPop3Protocol::listParsing_data()
{
    QTest::addColumn<int>("statCount");
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QList<qint64>>("expected");  // per message 1..n: size, or -1 for none; empty: unusable
    QTest::newRow("two") << 2 << "1 1200\r\n2 450\r\n" << QList<qint64>{1200, 450, -1};
    QTest::newRow("empty mailbox") << 0 << "" << QList<qint64>{-1};
    QTest::newRow("two blanks between") << 2 << "1  1200\r\n2\t450\r\n" << QList<qint64>{1200, 450, -1};
    QTest::newRow("trailing blank") << 2 << "1 1200 \r\n2 450\r\n" << QList<qint64>{1200, 450};
    QTest::newRow("fewer lines than STAT") << 3 << "1 100\r\n2 200\r\n" << QList<qint64>{100, 200, -1};
    QTest::newRow("number skipped") << 3 << "1 100\r\n3 300\r\n" << QList<qint64>{100, -1, 300};
    QTest::newRow("size missing") << 2 << "1\r\n2 200\r\n" << QList<qint64>{-1, 200};
    QTest::newRow("size not a number") << 2 << "1 12x\r\n2 200\r\n" << QList<qint64>{-1, 200};
    QTest::newRow("size beyond 32 bits") << 1 << "1 4294967296\r\n" << QList<qint64>{4294967296LL};
    QTest::newRow("size of 2^63") << 1 << "1 9223372036854775808\r\n" << QList<qint64>{};
    QTest::newRow("absurd number") << 1 << "99999999 5\r\n" << QList<qint64>{};
    QTest::newRow("number twice") << 2 << "1 5\r\n1 6\r\n" << QList<qint64>{};
    QTest::newRow("bare LF between lines") << 2 << "1 10\n2 20\r\n" << QList<qint64>{10, 20};
}

void TestPop3Protocol::listParsing()
{
    QFETCH(int, statCount);
    QFETCH(QString, listing);
    QFETCH(QList<qint64>, expected);
    ScriptedStream server;
    ScriptLogin(server)
        .Expect("STAT\r\n")
        .Send("+OK " + std::to_string(statCount) + " 999\r\n")
        .Expect("LIST\r\n")
        .Send("+OK scan listing follows\r\n" + listing.toStdString() + ".\r\n");
    CPop3Connection pop;
    QVERIFY(LoginTo(pop, server));
    QCOMPARE(pop.List(), !expected.isEmpty());
    if (expected.isEmpty()) {
        QVERIFY(pop.ListingProblem() != pop3::ReplyError::kNone);
        QVERIFY(pop.IsConnected());  // the reply was read whole: the session goes on
        return;
    }
    uint64_t size = 0;
    QVERIFY(!pop.GetSize(0, size));
    QVERIFY(!pop.GetSize(-1, size));
    for (int n = 1; n <= expected.size(); ++n) {
        const qint64 want = expected[n - 1];
        QCOMPARE(pop.GetSize(n, size), want >= 0);
        if (want >= 0)
            QCOMPARE(size, static_cast<uint64_t>(want));
    }
}

void TestPop3Protocol::uidlParsing_data()
{
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QStringList>("expected");  // per message 1..n; "" = none
    QTest::newRow("24 characters") << "1 XZ9qu8NcC6bdQ3mPz0jK4e7L\r\n2 b\r\n"
                                   << QStringList{"XZ9qu8NcC6bdQ3mPz0jK4e7L", "b"};
    QTest::newRow("70 characters") << "1 " + QString(70, 'a') + "\r\n" << QStringList{QString(70, 'a')};
    QTest::newRow("71 characters") << "1 " + QString(71, 'a') + "\r\n2 ok\r\n" << QStringList{"", "ok"};
    QTest::newRow("id missing") << "1\r\n2 ok\r\n" << QStringList{"", "ok"};
    QTest::newRow("id missing, blank") << "1 \r\n2 ok\r\n" << QStringList{"", "ok"};
    QTest::newRow("fewer lines") << "1 one\r\n" << QStringList{"one", ""};
    QTest::newRow("all printable") << "1 !~\"#\r\n" << QStringList{"!~\"#"};
}

void TestPop3Protocol::uidlParsing()
{
    QFETCH(QString, listing);
    QFETCH(QStringList, expected);
    ScriptedStream server;
    ScriptLogin(server)
        .Expect("STAT\r\n")
        .Send("+OK 2 999\r\n")
        .Expect("UIDL\r\n")
        .Send("+OK\r\n" + listing.toStdString() + ".\r\n");
    CPop3Connection pop;
    QVERIFY(LoginTo(pop, server));
    std::string uid;
    for (int n = 1; n <= expected.size(); ++n) {
        const std::string want = expected[n - 1].toStdString();
        QCOMPARE(pop.GetUidl(n, uid), !want.empty());
        if (!want.empty())
            QCOMPARE(uid, want);
    }
    QVERIFY(!pop.GetUidl(0, uid));
    QVERIFY(!pop.GetUidl(expected.size() + 1, uid));
}

// Each listing is fetched once per session, STAT first; a new session
// fetches afresh.
void TestPop3Protocol::listingsFetchedOncePerSession()
{
    ScriptedPop3Server server;
    server.ServeMailbox({"Subject: a\r\n\r\nx\r\n", "Subject: b\r\n\r\ny\r\n", "Subject: c\r\n\r\nz\r\n"}, "u", "p");
    server.Start();
    CPop3Connection pop;
    QVERIFY(pop.Login("127.0.0.1", "u", "p", server.Port()));
    uint64_t size = 0;
    QVERIFY(pop.GetSize(1, size));
    QVERIFY(pop.GetSize(2, size));
    QVERIFY(pop.Dele(3));
    std::string uid;
    QVERIFY(pop.GetUidl(2, uid));
    QVERIFY(!pop.GetUidl(3, uid));  // listed after DELE 3: RFC 1939 leaves it out
    QVERIFY(pop.Quit());
    QVERIFY(pop.Login("127.0.0.1", "u", "p", server.Port()));
    QVERIFY(pop.Dele(2));
    QVERIFY(pop.Rset());
    QVERIFY(pop.Quit());
    QTRY_COMPARE(server.Received(),
                 std::string("CAPA\r\nUSER u\r\nPASS p\r\nSTAT\r\nLIST\r\nDELE 3\r\nUIDL\r\nQUIT\r\n"
                             "CAPA\r\nUSER u\r\nPASS p\r\nSTAT\r\nLIST\r\nDELE 2\r\nRSET\r\nQUIT\r\n"));
    QCOMPARE(server.Messages().size(), size_t{2});  // the first session's DELE 3 was committed
}

void TestPop3Protocol::topText_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("header block") << QByteArray("+OK\r\nSubject: s\r\nTo: t\r\n\r\n.\r\n")
                                  << QByteArray("Subject: s\r\nTo: t\r\n");
    QTest::newRow("status text kept off")
        << QByteArray("+OK 120 octets\r\nSubject: s\r\n\r\n.\r\n") << QByteArray("Subject: s\r\n");
    QTest::newRow("only the dot line") << QByteArray("+OK\r\n.\r\n") << QByteArray("");
    QTest::newRow("byte-stuffed line kept")
        << QByteArray("+OK\r\nX: a\r\n..dot\r\n\r\n.\r\n") << QByteArray("X: a\r\n..dot\r\n");
    QTest::newRow("folded, 8-bit") << QByteArray("+OK\r\nSubject: caf\xe9\r\n\tand more\r\n\r\n.\r\n")
                                   << QByteArray("Subject: caf\xe9\r\n\tand more\r\n");
}

void TestPop3Protocol::topText()
{
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, text);
    ScriptedStream server;
    ScriptLogin(server)
        .Expect("STAT\r\n")
        .Send("+OK 1 50\r\n")
        .Expect("LIST\r\n")
        .Send("+OK\r\n1 50\r\n.\r\n")
        .Expect("TOP 1 0\r\n")
        .Send(reply.toStdString());
    CPop3Connection pop;
    QVERIFY(LoginTo(pop, server));
    CPop3Message message;
    message.SetText("previous");
    QVERIFY(pop.Top(1, message));
    QCOMPARE(message.Text(), text.toStdString());
    // A number without a size is refused before anything is sent.
    QVERIFY(!pop.Top(2, message));
    QVERIFY2(server.Finished(), server.Failure().c_str());
    QCOMPARE(server.Received(), std::string("CAPA\r\nUSER u\r\nPASS p\r\nSTAT\r\nLIST\r\nTOP 1 0\r\n"));
}

void TestPop3Protocol::messageNumbersFormatted()
{
    ScriptedStream server;
    ScriptLogin(server)
        .Expect("STAT\r\n")
        .Send("+OK 0 0\r\n")
        .Expect("LIST\r\n")
        .Send("+OK\r\n.\r\n")
        .Expect("DELE 12345678\r\n")
        .Send("-ERR no such message\r\n")
        .Expect("DELE 2147483647\r\n")
        .Send("-ERR no such message\r\n");
    CPop3Connection pop;
    QVERIFY(LoginTo(pop, server));
    QVERIFY(!pop.Dele(12345678));
    QVERIFY(!pop.Dele(INT_MAX));
    QVERIFY2(server.Finished(), server.Failure().c_str());
}

// Host names, dotted IPv4 and IPv6 literals; kErrInvalidArgument when nothing resolves.
void TestPop3Protocol::hostForms_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("ipv6");
    QTest::newRow("dotted IPv4") << "127.0.0.1" << false;
    QTest::newRow("name") << "localhost" << false;
    QTest::newRow("IPv6 literal") << "::1" << true;
}

void TestPop3Protocol::hostForms()
{
    QFETCH(QString, host);
    QFETCH(bool, ipv6);
    // A listener of the right family, answering a greeting.
    const int listener = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
    QVERIFY(listener >= 0);
    sockaddr_storage storage{};
    socklen_t length;
    if (ipv6) {
        auto* addr = reinterpret_cast<sockaddr_in6*>(&storage);
        addr->sin6_family = AF_INET6;
        addr->sin6_addr = in6addr_loopback;
        length = sizeof *addr;
    } else {
        auto* addr = reinterpret_cast<sockaddr_in*>(&storage);
        addr->sin_family = AF_INET;
        addr->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof *addr;
    }
    if (::bind(listener, reinterpret_cast<sockaddr*>(&storage), length) != 0) {
        ::close(listener);
        QSKIP("this machine has no such loopback address");
    }
    QVERIFY(::listen(listener, 4) == 0);
    QVERIFY(::getsockname(listener, reinterpret_cast<sockaddr*>(&storage), &length) == 0);
    const uint16_t port = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port
                                     : reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
    platform::Socket socket;
    QVERIFY(socket.Create());
    QVERIFY(socket.Connect(host.toStdString(), port, 5000));
    const int accepted = ::accept(listener, nullptr, nullptr);
    QVERIFY(accepted >= 0);
    QVERIFY(::send(accepted, "+OK hi\r\n", 8, 0) == 8);
    QCOMPARE(socket.WaitReadable(5000), platform::WaitResult::kReady);
    char buffer[16] = {};
    QCOMPARE(socket.Receive(buffer, sizeof buffer), ssize_t{8});
    ::close(accepted);
    ::close(listener);

    TraceCapture trace;
    CPop3Connection pop;
    QVERIFY(!pop.Login("no-such-host.invalid", "u", "p", 110));
    QCOMPARE(platform::GetLastError(), platform::kErrInvalidArgument);
    QVERIFY(trace.Has("Could not connect to the POP3 mailbox, GetLastError:10022\n"));
    QCOMPARE(pop.GetFailureReason(), std::string());  // "Server Not Found"
    QVERIFY(!pop.Login("", "u", "p", 110));
    QCOMPARE(platform::GetLastError(), platform::kErrInvalidArgument);
}

// Each failed step of Login quits the session and leaves its own reason.
void TestPop3Protocol::loginFailureTraces_data()
{
    QTest::addColumn<int>("failingStep");
    QTest::addColumn<QString>("traceLine");
    QTest::addColumn<QString>("wire");
    QTest::newRow("greeting") << 0 << "Failed while connected to read a command response from the POP3 server\n"
                              << "QUIT\r\n";
    QTest::newRow("USER") << 1 << "Failed while connected to read a USER command response from the POP3 server\n"
                          << "CAPA\r\nUSER u\r\nQUIT\r\n";
    QTest::newRow("PASS") << 2 << "Failed while connected to read a PASS command response from the POP3 server\n"
                          << "CAPA\r\nUSER u\r\nPASS p\r\nQUIT\r\n";
}

void TestPop3Protocol::loginFailureTraces()
{
    QFETCH(int, failingStep);
    QFETCH(QString, traceLine);
    QFETCH(QString, wire);
    ScriptedStream server;
    const std::string refusal = "-ERR [AUTH] refused at step " + std::to_string(failingStep);
    server.Send(failingStep == 0 ? refusal + "\r\n" : "+OK\r\n");
    if (failingStep >= 1)
        server.Expect("CAPA\r\n")
            .Send("-ERR\r\n")
            .Expect("USER u\r\n")
            .Send(failingStep == 1 ? refusal + "\r\n" : "+OK\r\n");
    if (failingStep >= 2)
        server.Expect("PASS p\r\n").Send(refusal + "\r\n");
    // The server then hangs up without answering QUIT: the refusal must
    // survive the clean-up.
    server.Expect("QUIT\r\n").CloseConnection();

    TraceCapture trace;
    CPop3Connection pop;
    QVERIFY(!LoginTo(pop, server));
    QVERIFY(trace.Has(traceLine.toStdString()));
    QCOMPARE(pop.GetLastReply(), refusal);
    QCOMPARE(platform::GetLastError(), platform::kErrProtocol);
    QVERIFY(!pop.IsConnected());
    QVERIFY2(server.Finished(), server.Failure().c_str());
    QCOMPARE(server.Received(), wire.toStdString());
}

void TestPop3Protocol::loginQuitsOpenSession()
{
    ScriptedPop3Server server;
    server.ServeMailbox({"Subject: a\r\n\r\nx\r\n"}, "u", "p");
    server.Start();
    CPop3Connection pop;
    QVERIFY(pop.Login("127.0.0.1", "u", "p", server.Port()));
    QVERIFY(pop.Dele(1));
    QVERIFY(pop.Login("127.0.0.1", "u", "p", server.Port()));
    QTRY_COMPARE(
        server.Received(),
        std::string("CAPA\r\nUSER u\r\nPASS p\r\nSTAT\r\nLIST\r\nDELE 1\r\nQUIT\r\nCAPA\r\nUSER u\r\nPASS p\r\n"));
    QVERIFY(server.Messages().empty());  // the old session's QUIT committed its DELE
    QCOMPARE(server.SessionCount(), 2);
}

// IsConnected: false after Quit; still true after the server hung up on an
// idle session, whose next command then fails at its read.
void TestPop3Protocol::connectionStateAfterServerClose()
{
    ScriptedStream server;
    ScriptLogin(server).CloseConnection();
    CPop3Connection pop;
    QVERIFY(!pop.IsConnected());
    QVERIFY(LoginTo(pop, server));
    QVERIFY(server.Finished());
    QVERIFY(pop.IsConnected());
    const long long start = server.ElapsedMs();
    QVERIFY(!pop.Noop());
    QVERIFY(server.ElapsedMs() - start < 1000);
    QVERIFY(!pop.IsConnected());
    QVERIFY(!pop.Quit());
}

// The connect budget: a server whose accept queue is full never answers the
// SYN; the connect gives up when its budget runs out.
void TestPop3Protocol::connectTimeoutBounded()
{
    const FullBacklogListener listener;
    QVERIFY(listener.IsFull());
    platform::Socket socket;
    const auto start = Clock::now();
    QVERIFY(!socket.Connect("127.0.0.1", listener.Port(), 300));
    QCOMPARE(platform::GetLastError(), platform::kErrTimedOut);
    QVERIFY(MsSince(start) >= 290);
    QVERIFY(!socket.IsOpen());
}

// A host that answers with a refusal is no missing server: the reason
// names the port (a name that does not resolve has none, see hostForms).
void TestPop3Protocol::refusedPortNamed()
{
    // Bound and not listening: nobody else can take the port meanwhile.
    const int closed = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    QVERIFY(closed >= 0 && ::bind(closed, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0);
    QVERIFY(::getsockname(closed, reinterpret_cast<sockaddr*>(&addr), &length) == 0);
    const int port = ntohs(addr.sin_port);
    CPop3Connection pop;
    QVERIFY(!pop.Login("127.0.0.1", "u", "p", port));
    ::close(closed);
    QCOMPARE(platform::GetLastError(), ECONNREFUSED);
    QCOMPARE(pop.GetFailureReason(), "Connection refused on port " + std::to_string(port));
}

// RETR: the message unstuffed, bounded, and the session still in step
// after a refusal or a message over the limit (NOOP answers after it).
void TestPop3Protocol::retrText_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("message") << QByteArray("+OK 31 octets\r\nSubject: s\r\n\r\nbody\r\n.\r\n") << 100 << true
                             << QByteArray("Subject: s\r\n\r\nbody\r\n");
    QTest::newRow("dot-unstuffed") << QByteArray("+OK\r\nX: a\r\n\r\n..dot\r\n...\r\nend.\r\n.\r\n") << 100 << true
                                   << QByteArray("X: a\r\n\r\n.dot\r\n..\r\nend.\r\n");
    QTest::newRow("empty") << QByteArray("+OK\r\n.\r\n") << 100 << true << QByteArray("");
    QTest::newRow("exactly the limit") << QByteArray("+OK\r\n0123456789\r\n.\r\n") << 12 << true
                                       << QByteArray("0123456789\r\n");
    QTest::newRow("over the limit") << QByteArray("+OK\r\n0123456789\r\n.\r\n") << 11 << false << QByteArray("");
    QTest::newRow("far over the limit") << QByteArray("+OK\r\n" + QByteArray(20000, 'x') + "\r\n.\r\n") << 100 << false
                                        << QByteArray("");
    QTest::newRow("refused") << QByteArray("-ERR no such message\r\n") << 100 << false << QByteArray("");
}

void TestPop3Protocol::retrText()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, limit);
    QFETCH(bool, ok);
    QFETCH(QByteArray, text);
    ScriptedStream server;
    ScriptLogin(server).Expect("RETR 1\r\n").Send(reply.toStdString()).Expect("NOOP\r\n").Send("+OK\r\n");
    CPop3Connection pop;
    QVERIFY(LoginTo(pop, server));
    std::string got = "previous";
    QCOMPARE(pop.Retr(1, got, static_cast<size_t>(limit)), ok);
    QCOMPARE(got, text.toStdString());
    QVERIFY(pop.Noop());
    QVERIFY2(server.Finished(), server.Failure().c_str());
}

QTEST_GUILESS_MAIN(TestPop3Protocol)
#include "test_pop3_protocol.moc"
