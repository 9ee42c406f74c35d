// Quit from another thread (the Stop button, program shutdown) while a
// command is in progress: the pending read or connect fails at once, the
// connection ends Closed, and the two threads never trip over each other's
// state. Run many times, and under ThreadSanitizer.
#include "Pop3TestSupport.h"

#include "core/platform/LastError.h"
#include "core/platform/Socket.h"

#include <QtTest>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using Clock = std::chrono::steady_clock;

namespace {

size_t CommandCount(const std::string& received)
{
    size_t count = 0;
    for (size_t at = received.find("\r\n"); at != std::string::npos; at = received.find("\r\n", at + 2))
        ++count;
    return count;
}

// Whether a connect to 127.0.0.1:port is waiting for its SYN to be answered.
bool SynSentTo(uint16_t port)
{
    QFile table("/proc/net/tcp");
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray remote = QByteArray("0100007F:") + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[2] == remote && fields[3] == "02")  // TCP_SYN_SENT
            return true;
    }
    return false;
}

std::vector<std::string> Mailbox()
{
    std::vector<std::string> mail;
    for (int i = 1; i <= 5; ++i)
        mail.push_back("Subject: message " + std::to_string(i) + "\r\nFrom: a@b.example\r\n\r\nbody\r\n");
    return mail;
}

}  // namespace

class TestPop3QuitRace : public QObject {
    Q_OBJECT

private slots:
    void abortWakesPendingRead();
    void abortAtRandomMoments();
    void abortEndsConnect();
};

// The server never answers TOP: the read would wait its 2 s, but Abort on
// another thread ends it at once. Replies no longer pair with commands, so
// the session is closed without QUIT: nothing marked could be deleted.
void TestPop3QuitRace::abortWakesPendingRead()
{
    for (int round = 0; round < 25; ++round) {
        ScriptedPop3Server server;
        server.ServeMailbox(Mailbox(), "u", "p", [](const std::string& command, int) -> std::optional<std::string> {
            if (command == "TOP 3 0")
                return std::string();  // silence
            return std::nullopt;
        });
        server.Start();
        CPop3Connection pop;
        QVERIFY(pop.Login("127.0.0.1", "u", "p", server.Port()));
        uint64_t size = 0;
        QVERIFY(pop.GetSize(3, size));

        std::atomic<bool> bDone{false};
        bool bTop = true;
        int error = 0;
        std::thread scan([&] {
            CPop3Message message;
            bTop = pop.Top(3, message);
            error = platform::GetLastError();
            bDone = true;
        });
        QTRY_VERIFY(server.Received().ends_with("TOP 3 0\r\n"));
        QVERIFY(pop.IsConnected());  // busy on the other thread: does not wait for it
        const auto start = Clock::now();
        pop.Abort();
        scan.join();
        const long long elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        QVERIFY(bDone);
        QVERIFY(!bTop);
        QCOMPARE(error, platform::kErrInterrupted);
        QVERIFY2(elapsed < 1000, qPrintable(QString::number(elapsed)));
        QVERIFY(pop.IsBroken());
        QVERIFY(!pop.IsConnected());
        QVERIFY(!pop.Quit());
        QVERIFY(server.WaitNoSession(5000));
        QVERIFY(server.Received().ends_with("TOP 3 0\r\n"));
    }
}

// A worker runs a session without pause while the main thread aborts it after
// a random number of commands: the worker's next failure comes promptly, the
// connection ends closed, and no QUIT ever goes out.
void TestPop3QuitRace::abortAtRandomMoments()
{
    std::mt19937 random(12345);
    for (int round = 0; round < 60; ++round) {
        ScriptedPop3Server server;
        server.ServeMailbox(Mailbox(), "u", "p");
        server.Start();
        CPop3Connection pop;
        std::atomic<bool> bDone{false};
        std::thread worker([&] {
            if (pop.Login("127.0.0.1", "u", "p", server.Port())) {
                CPop3Message message;
                std::string uid;
                for (int n = 1;; n = n % 5 + 1) {
                    if (!pop.Top(n, message) || !pop.GetUidl(n, uid) || !pop.Noop())
                        break;
                }
            }
            bDone = true;
        });
        const size_t target = 1 + random() % 40;
        QTRY_VERIFY(CommandCount(server.Received()) >= target || bDone);
        (void)pop.GetLastReply();  // may race with the worker's failures
        pop.Abort();
        const auto start = Clock::now();
        QTRY_VERIFY_WITH_TIMEOUT(bDone, 5000);
        const long long elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        worker.join();
        QVERIFY2(elapsed < 1000, qPrintable(QString::number(elapsed)));
        QVERIFY(!pop.IsConnected());
        QVERIFY(server.WaitNoSession(5000));
        const std::string received = server.Received();
        QVERIFY2(received.find("QUIT\r\n") == std::string::npos, received.c_str());
    }
}

// A connect that would hang (the server's accept queue is full, so its SYN
// goes unanswered) ends at once when Abort is called from another thread.
void TestPop3QuitRace::abortEndsConnect()
{
    const FullBacklogListener listener;
    QVERIFY(listener.IsFull());
    const uint16_t port = listener.Port();

    for (int round = 0; round < 5; ++round) {
        TraceCapture trace;
        CPop3Connection pop;
        std::atomic<bool> bDone{false};
        bool bLogin = true;
        int error = 0;
        std::thread scan([&] {
            bLogin = pop.Login("127.0.0.1", "u", "p", port);
            error = platform::GetLastError();
            bDone = true;
        });
        // Wait until the connect is under way; it cannot finish on its own.
        QTRY_VERIFY(SynSentTo(port));
        QVERIFY(!bDone);
        const auto start = Clock::now();
        pop.Abort();
        scan.join();
        const long long elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        QVERIFY(!bLogin);
        QCOMPARE(error, platform::kErrInterrupted);
        QVERIFY2(elapsed < 1000, qPrintable(QString::number(elapsed)));
        QVERIFY(trace.Has("Could not connect to the POP3 mailbox, GetLastError:10004\n"));
        QVERIFY(!pop.IsConnected());
        // The connection is usable again afterwards.
        ScriptedPop3Server server;
        ScriptLogin(server).Start();
        QVERIFY(pop.Login("127.0.0.1", "u", "p", server.Port()));
    }
}

QTEST_GUILESS_MAIN(TestPop3QuitRace)
#include "test_pop3_quit_race.moc"
