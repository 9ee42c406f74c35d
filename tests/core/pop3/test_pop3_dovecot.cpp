// The POP3 session end to end against a real Dovecot started by the test.
#include "Pop3TestSupport.h"

#include "core/platform/LastError.h"
#include "tests/support/DovecotServer.h"

#include <QtTest>

#include <filesystem>
#include <set>

using Clock = std::chrono::steady_clock;

namespace {

const std::string kFolded = "Return-Path: <news@example.org>\r\n"
                            "Subject: A subject that goes on\r\n"
                            "\tover two lines\r\n"
                            "From: \"Caf\xe9 Cr\xe8me\" <news@example.org>\r\n"
                            "To: mavix@example.net\r\n"
                            "Date: Tue, 3 Jan 2023 08:00:00 +0100\r\n";
const std::string kEightBit = "Subject: Pr\xeatt \xe0 partir \xa9 \x80\r\n"
                              "From: b@example.org\r\n"
                              "X-Dots: ...\r\n";
const std::string kPlain = "Subject: third\r\nFrom: c@example.org\r\n";

}  // namespace

class TestPop3Dovecot : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void loginGoodAndWrongPassword();
    void listingsAndHeaders();
    void deleThenQuitRemovesTheFile();
    void deleRsetQuitKeepsTheFile();
    void topOfDeletedMessageFailsAtOnce();
    void noop();
    void manyMessagesKeepTheirOrder();

private:
    bool StartWith(const std::vector<std::string>& messages);
    DovecotServer* m_pDovecot = nullptr;
};

void TestPop3Dovecot::init()
{
    m_pDovecot = new DovecotServer;
}

void TestPop3Dovecot::cleanup()
{
    delete m_pDovecot;
    m_pDovecot = nullptr;
}

bool TestPop3Dovecot::StartWith(const std::vector<std::string>& messages)
{
    for (const std::string& message : messages)
        m_pDovecot->AddMessage(message);
    std::string error;
    if (!m_pDovecot->Start(&error)) {
        qWarning("%s", error.c_str());
        return false;
    }
    return true;
}

void TestPop3Dovecot::loginGoodAndWrongPassword()
{
    QVERIFY(StartWith({kPlain + "\r\nbody\r\n"}));
    DovecotServer& dovecot = *m_pDovecot;
    CPop3Connection pop;
    QVERIFY(pop.Login("127.0.0.1", dovecot.User(), dovecot.Password(), dovecot.Port()));
    QVERIFY(pop.IsConnected());
    QVERIFY(pop.Quit());

    // Dovecot holds back a failed log-in's answer for about two seconds.
    TraceCapture trace;
    QVERIFY(!pop.Login("127.0.0.1", dovecot.User(), "not the password", dovecot.Port()));
    QCOMPARE(pop.GetLastReply(), std::string("-ERR [AUTH] Authentication failed."));
    QCOMPARE(platform::GetLastError(), platform::kErrProtocol);
    QVERIFY(trace.Has("Failed while connected to read a PASS command response from the POP3 server\n"));
    QVERIFY(!pop.IsConnected());
}

// STAT, LIST and UIDL agree with the files; TOP n 0 gives each header block
// byte for byte, folded lines and 8-bit bytes included, in the order added.
void TestPop3Dovecot::listingsAndHeaders()
{
    const std::vector<std::string> headers = {kFolded, kEightBit, kPlain};
    std::vector<std::string> messages;
    for (const std::string& header : headers)
        messages.push_back(header + "\r\nSome body text.\r\n.leading dot\r\n");
    QVERIFY(StartWith(messages));
    DovecotServer& dovecot = *m_pDovecot;
    CPop3Connection pop;
    QVERIFY(pop.Login("127.0.0.1", dovecot.User(), dovecot.Password(), dovecot.Port()));

    int count = 0, size = 0;
    QVERIFY(pop.Stat(count, size));
    QCOMPARE(count, 3);
    size_t total = 0;
    for (const std::string& message : messages)
        total += message.size();
    QCOMPARE(size, static_cast<int>(total));

    std::set<std::string> uids;
    for (int n = 1; n <= 3; ++n) {
        uint64_t messageSize = 0;
        QVERIFY(pop.GetSize(n, messageSize));
        QCOMPARE(messageSize, static_cast<uint64_t>(messages[static_cast<size_t>(n) - 1].size()));
        std::string uid;
        QVERIFY(pop.GetUidl(n, uid));
        QVERIFY(!uid.empty() && uid.size() <= 70);
        uids.insert(uid);
        CPop3Message message;
        QVERIFY(pop.Top(n, message));
        QCOMPARE(message.Text(), headers[static_cast<size_t>(n) - 1]);
    }
    QCOMPARE(uids.size(), size_t{3});
    uint64_t none = 0;
    QVERIFY(!pop.GetSize(4, none));

    CPop3Message first;
    QVERIFY(pop.Top(1, first));
    QCOMPARE(first.GetSubject(), std::string("A subject that goes on over two lines"));
    QVERIFY(pop.Quit());
    QCOMPARE(dovecot.MessageFileCount(), 3);
}

void TestPop3Dovecot::deleThenQuitRemovesTheFile()
{
    QVERIFY(StartWith({kFolded + "\r\nx\r\n", kPlain + "\r\ny\r\n"}));
    DovecotServer& dovecot = *m_pDovecot;
    CPop3Connection pop;
    QVERIFY(pop.Login("127.0.0.1", dovecot.User(), dovecot.Password(), dovecot.Port()));
    QVERIFY(pop.Dele(1));
    QCOMPARE(dovecot.MessageFileCount(), 2);  // only marked until QUIT
    QVERIFY(pop.Quit());
    QTRY_COMPARE(dovecot.MessageFileCount(), 1);

    // What is left is the second message.
    QVERIFY(pop.Login("127.0.0.1", dovecot.User(), dovecot.Password(), dovecot.Port()));
    CPop3Message message;
    QVERIFY(pop.Top(1, message));
    QCOMPARE(message.GetSubject(), std::string("third"));
}

void TestPop3Dovecot::deleRsetQuitKeepsTheFile()
{
    QVERIFY(StartWith({kPlain + "\r\nx\r\n"}));
    DovecotServer& dovecot = *m_pDovecot;
    CPop3Connection pop;
    QVERIFY(pop.Login("127.0.0.1", dovecot.User(), dovecot.Password(), dovecot.Port()));
    QVERIFY(pop.Dele(1));
    QVERIFY(pop.Rset());
    QVERIFY(pop.Quit());
    QVERIFY(pop.Login("127.0.0.1", dovecot.User(), dovecot.Password(), dovecot.Port()));
    int count = 0, size = 0;
    QVERIFY(pop.Stat(count, size));
    QCOMPARE(count, 1);
    QVERIFY(pop.Quit());
    QCOMPARE(dovecot.MessageFileCount(), 1);
}

void TestPop3Dovecot::topOfDeletedMessageFailsAtOnce()
{
    QVERIFY(StartWith({kPlain + "\r\nx\r\n", kEightBit + "\r\ny\r\n"}));
    DovecotServer& dovecot = *m_pDovecot;
    CPop3Connection pop;
    QVERIFY(pop.Login("127.0.0.1", dovecot.User(), dovecot.Password(), dovecot.Port()));
    QVERIFY(pop.Dele(1));
    CPop3Message message;
    const auto start = Clock::now();
    QVERIFY(!pop.Top(1, message));
    QVERIFY2(MsSince(start) < 1000, "a negative TOP reply must not wait for a terminator");
    QCOMPARE(platform::GetLastError(), platform::kErrProtocol);
    QVERIFY(pop.GetLastReply().starts_with("-ERR"));
    QVERIFY(!message.HasText());
    // The session goes on: the other message is still there.
    QVERIFY(pop.Top(2, message));
    QCOMPARE(message.Text(), kEightBit);
}

void TestPop3Dovecot::noop()
{
    QVERIFY(StartWith({}));
    DovecotServer& dovecot = *m_pDovecot;
    CPop3Connection pop;
    QVERIFY(pop.Login("127.0.0.1", dovecot.User(), dovecot.Password(), dovecot.Port()));
    QVERIFY(pop.Noop());
    int count = -1, size = -1;
    QVERIFY(pop.Stat(count, size));
    QCOMPARE(count, 0);
    QVERIFY(pop.List());
    uint64_t none = 0;
    QVERIFY(!pop.GetSize(1, none));
    QVERIFY(pop.Quit());
}

// Message n of the session is the n-th one added, for generated messages
// too, and their header blocks come back exactly.
void TestPop3Dovecot::manyMessagesKeepTheirOrder()
{
    DovecotServer& dovecot = *m_pDovecot;
    dovecot.AddMessages(300);
    QVERIFY(StartWith({}));
    CPop3Connection pop;
    QVERIFY(pop.Login("127.0.0.1", dovecot.User(), dovecot.Password(), dovecot.Port()));
    int count = 0, size = 0;
    QVERIFY(pop.Stat(count, size));
    QCOMPARE(count, 300);
    for (int n = 1; n <= count; ++n) {
        CPop3Message message;
        QVERIFY(pop.Top(n, message));
        if (message.Text() != DovecotServer::GeneratedHeader(n - 1))
            QFAIL(qPrintable(QString("message %1: %2").arg(n).arg(QString::fromStdString(message.GetSubject()))));
    }
    QCOMPARE(DovecotServer::GeneratedHeader(0).size(), size_t{500});
}

QTEST_GUILESS_MAIN(TestPop3Dovecot)
#include "test_pop3_dovecot.moc"
