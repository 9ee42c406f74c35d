// The session over TLS without Dovecot: which certificates are trusted, that
// nothing is sent before the connection is secured, buffered TLS data, and
// Quit from another thread during a TLS read or handshake. A small OpenSSL
// server on a thread of the test plays the POP3 server.
#include "Pop3TestSupport.h"

#include "core/platform/LastError.h"
#include "core/platform/TlsStream.h"
#include "tests/support/TestCertificates.h"

#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/ssl.h>

#include <atomic>
#include <functional>
#include <thread>

using Clock = std::chrono::steady_clock;
using Security = CPop3Connection::Security;

namespace {

// One TLS connection on 127.0.0.1:<free port>: the greeting, then for each
// command line the reply `answer` gives (std::nullopt: silence).
class TlsPop3Server {
public:
    using Answer = std::function<std::optional<std::string>(const std::string& command)>;

    // nMaxVersion: the highest TLS version offered (0: OpenSSL's).
    TlsPop3Server(const TestCertificates& certificates, Answer answer, std::string greeting = "+OK ready\r\n",
                  int nMaxVersion = 0)
        : m_answer(std::move(answer)),
          m_sGreeting(std::move(greeting))
    {
        m_pContext = SSL_CTX_new(TLS_server_method());
        SSL_CTX_set_max_proto_version(m_pContext, nMaxVersion);
        SSL_CTX_use_certificate_chain_file(m_pContext, certificates.m_sCertFile.c_str());
        SSL_CTX_use_PrivateKey_file(m_pContext, certificates.m_sKeyFile.c_str(), SSL_FILETYPE_PEM);
        m_hListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof addr;
        ::bind(m_hListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(m_hListen, 1);
        ::getsockname(m_hListen, reinterpret_cast<sockaddr*>(&addr), &length);
        m_nPort = ntohs(addr.sin_port);
        m_thread = std::thread([this] { Run(); });
    }
    ~TlsPop3Server()
    {
        ::shutdown(m_hListen, SHUT_RDWR);  // wakes accept
        if (const int fd = m_hConnection.load(); fd >= 0)
            ::shutdown(fd, SHUT_RDWR);  // wakes a read
        m_thread.join();
        ::close(m_hListen);
        SSL_CTX_free(m_pContext);
    }
    uint16_t Port() const { return m_nPort; }
    // The channel binding the server sees: RFC 9266's exporter on TLS 1.3,
    // the client's Finished (RFC 5929 §3) on TLS 1.2.
    std::string Binding() const
    {
        std::lock_guard lock(m_mutex);
        return m_sBinding;
    }
    // Every command line received, each ending in CR LF.
    std::string Received() const
    {
        std::lock_guard lock(m_mutex);
        return m_sReceived;
    }

private:
    void Run()
    {
        // OpenSSL's socket BIO writes with write(2): a client that has gone
        // must give this thread EPIPE, not the process SIGPIPE.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        const int fd = ::accept4(m_hListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            return;
        m_hConnection = fd;
        SSL* ssl = SSL_new(m_pContext);
        SSL_set_fd(ssl, fd);
        std::string pending;
        char buffer[4096];
        int got = 0;
        const bool bAccepted = SSL_accept(ssl) == 1;
        if (bAccepted) {
            unsigned char binding[32];
            const size_t n = SSL_version(ssl) >= TLS1_3_VERSION
                ? (SSL_export_keying_material(ssl, binding, 32, "EXPORTER-Channel-Binding", 24, nullptr, 0, 0) == 1 ? 32
                                                                                                                    : 0)
                : SSL_get_peer_finished(ssl, binding, sizeof binding);
            std::lock_guard lock(m_mutex);
            m_sBinding.assign(reinterpret_cast<const char*>(binding), n);
        }
        if (bAccepted && SSL_write(ssl, m_sGreeting.data(), static_cast<int>(m_sGreeting.size())) > 0) {
            while ((got = SSL_read(ssl, buffer, sizeof buffer)) > 0) {
                pending.append(buffer, static_cast<size_t>(got));
                for (size_t end; (end = pending.find("\r\n")) != std::string::npos;) {
                    const std::string command = pending.substr(0, end);
                    pending.erase(0, end + 2);
                    {
                        std::lock_guard lock(m_mutex);
                        m_sReceived += command + "\r\n";
                    }
                    const std::optional<std::string> reply = command == "QUIT" ? "+OK bye\r\n" : m_answer(command);
                    if (reply)
                        SSL_write(ssl, reply->data(), static_cast<int>(reply->size()));
                }
            }
        }
        SSL_free(ssl);
        m_hConnection = -1;
        ::close(fd);
    }

    Answer m_answer;
    std::string m_sGreeting;
    SSL_CTX* m_pContext = nullptr;
    int m_hListen = -1;
    std::atomic<int> m_hConnection{-1};
    uint16_t m_nPort = 0;
    mutable std::mutex m_mutex;
    std::string m_sReceived;
    std::string m_sBinding;
    std::thread m_thread;
};

// A mailbox of one message that answers at once.
std::optional<std::string> OneMessage(const std::string& command)
{
    if (command == "CAPA")
        return "+OK\r\nUSER\r\n.\r\n";
    if (command == "STAT")
        return "+OK 1 40\r\n";
    if (command == "LIST")
        return "+OK\r\n1 40\r\n.\r\n";
    if (command.starts_with("TOP"))
        return "+OK\r\nSubject: over TLS\r\n.\r\n";
    return "+OK\r\n";
}

}  // namespace

class TestPop3Tls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { qunsetenv("MAVIX_TLS_CA_FILE"); }
    void settingTexts();
    void trust_data();
    void trust();
    void bufferedRecordIsReadable();
    void abortWakesPendingTlsRead();
    void abortEndsHandshake();
    void nothingSentUnsecured_data();
    void nothingSentUnsecured();
    void channelBinding_data();
    void channelBinding();

private:
    QTemporaryDir m_dir;
    TestCertificates m_address;  // for IP:127.0.0.1 only
    TestCertificates m_name;     // for DNS:localhost only
};

void TestPop3Tls::initTestCase()
{
    QVERIFY(m_dir.isValid());
    std::string error;
    const std::string dir = m_dir.path().toStdString();
    QVERIFY(QDir(m_dir.path()).mkpath("address") && QDir(m_dir.path()).mkpath("name"));
    QVERIFY2(m_address.Make(dir + "/address", "IP:127.0.0.1", &error), error.c_str());
    QVERIFY2(m_name.Make(dir + "/name", "DNS:localhost", &error), error.c_str());
}

// The settings' text: an unknown mode is refused, never read as plain text.
void TestPop3Tls::settingTexts()
{
    Security mode = Security::kStls;
    QVERIFY(CPop3Connection::ParseSecurity("", mode) && mode == Security::kNone);
    QVERIFY(CPop3Connection::ParseSecurity(" 2 ", mode) && mode == Security::kImplicitTls);
    QVERIFY(CPop3Connection::ParseSecurity("1", mode) && mode == Security::kStls);
    for (const char* bad : {"3", "02", "tls", "-1"})
        QVERIFY2(!CPop3Connection::ParseSecurity(bad, mode), bad);
}

void TestPop3Tls::trust_data()
{
    QTest::addColumn<bool>("nameCertificate");  // the DNS:localhost one, else IP:127.0.0.1
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("trustCa");
    QTest::addColumn<QString>("pin");      // "own": the server certificate's, lower case, no colons
    QTest::addColumn<QString>("refusal");  // empty: logs in

    QTest::newRow("CA trusted") << false << "127.0.0.1" << true << ""
                                << "";
    QTest::newRow("CA trusted, by name") << true << "localhost" << true << ""
                                         << "";
    QTest::newRow("unknown CA") << false << "127.0.0.1" << false << ""
                                << "unable to get local issuer certificate";
    QTest::newRow("pinned") << false << "127.0.0.1" << false << "own"
                            << "";
    QTest::newRow("other pin") << false << "127.0.0.1" << false << QString(64, 'a') << "unable to get local issuer";
    QTest::newRow("address not in certificate") << true << "127.0.0.1" << true << ""
                                                << "IP address mismatch";
    QTest::newRow("name not in certificate") << false << "localhost" << true << ""
                                             << "hostname mismatch";
    QTest::newRow("pin outweighs name") << false << "localhost" << true << "own"
                                        << "";
}

// Verified, or vouched for by its fingerprint; otherwise refused with the
// reason and the fingerprint, and the credentials never leave.
void TestPop3Tls::trust()
{
    QFETCH(bool, nameCertificate);
    QFETCH(QString, host);
    QFETCH(bool, trustCa);
    QFETCH(QString, pin);
    QFETCH(QString, refusal);
    const TestCertificates& certificates = nameCertificate ? m_name : m_address;
    if (trustCa)
        qputenv("MAVIX_TLS_CA_FILE", QByteArray::fromStdString(certificates.m_sCaFile));
    std::string pinned = pin.toStdString();
    if (pin == "own") {
        pinned = QString::fromStdString(certificates.m_sFingerprint).remove(':').toLower().toStdString();
    }

    TlsPop3Server server(certificates, OneMessage);
    CPop3Connection pop;
    pop.SetSecurity(Security::kImplicitTls, pinned);
    const bool bLoggedIn = pop.Login(host.toStdString(), "u", "p", server.Port());
    if (refusal.isEmpty()) {
        QVERIFY2(bLoggedIn, pop.GetFailureReason().c_str());
        CPop3Message message;
        QVERIFY(pop.Top(1, message));
        QCOMPARE(message.GetSubject(), std::string("over TLS"));
        QVERIFY(pop.Quit());
        QCOMPARE(pop.GetFailureReason(), std::string());
        return;
    }
    QVERIFY(!bLoggedIn);
    QCOMPARE(platform::GetLastError(), platform::kErrProtocol);
    const std::string reason = pop.GetFailureReason();
    QVERIFY2(reason.find("not trusted: " + refusal.toStdString()) != std::string::npos, reason.c_str());
    QVERIFY2(reason.find(certificates.m_sFingerprint) != std::string::npos, reason.c_str());
    QVERIFY(!pop.IsConnected());
    QCOMPARE(server.Received(), std::string());
}

// Bytes OpenSSL has decrypted but the reader has not taken yet are invisible
// to poll; WaitReadable must report them at once rather than wait for more.
void TestPop3Tls::bufferedRecordIsReadable()
{
    qputenv("MAVIX_TLS_CA_FILE", QByteArray::fromStdString(m_address.m_sCaFile));
    const std::string greeting = "+OK one\r\n+OK two\r\n";
    TlsPop3Server server(m_address, OneMessage, greeting);
    platform::Socket socket;
    QVERIFY(socket.Create() && socket.Connect("127.0.0.1", server.Port()));
    platform::TlsStream tls(socket);
    QVERIFY2(tls.Handshake("127.0.0.1", ""), tls.FailureReason().c_str());
    QCOMPARE(tls.PeerFingerprint(), m_address.m_sFingerprint);

    std::string text;
    char buffer[4];
    while (text.size() < greeting.size()) {
        const auto start = Clock::now();
        QCOMPARE(tls.WaitReadable(5000), platform::WaitResult::kReady);
        if (!text.empty())  // the rest of the record is already here
            QVERIFY(MsSince(start) < 100);
        const ssize_t got = tls.Receive(buffer, sizeof buffer);
        if (got < 0 && platform::GetLastError() == EAGAIN)
            continue;
        QVERIFY(got > 0);
        text.append(buffer, static_cast<size_t>(got));
    }
    QCOMPARE(text, greeting);
    QCOMPARE(tls.WaitReadable(50), platform::WaitResult::kTimedOut);
}

// The server never answers TOP: Abort on another thread ends the TLS read
// at once, and the session is closed without QUIT.
void TestPop3Tls::abortWakesPendingTlsRead()
{
    qputenv("MAVIX_TLS_CA_FILE", QByteArray::fromStdString(m_address.m_sCaFile));
    for (int round = 0; round < 5; ++round) {
        TlsPop3Server server(m_address, [](const std::string& command) -> std::optional<std::string> {
            if (command.starts_with("TOP"))
                return std::nullopt;
            return OneMessage(command);
        });
        CPop3Connection pop;
        pop.SetSecurity(Security::kImplicitTls, "");
        QVERIFY2(pop.Login("127.0.0.1", "u", "p", server.Port()), pop.GetFailureReason().c_str());
        bool bTop = true;
        int error = 0;
        std::thread scan([&] {
            CPop3Message message;
            bTop = pop.Top(1, message);
            error = platform::GetLastError();
        });
        QTRY_VERIFY(server.Received().ends_with("TOP 1 0\r\n"));
        const auto start = Clock::now();
        pop.Abort();
        scan.join();
        const long long elapsed = MsSince(start);
        QVERIFY(!bTop);
        QCOMPARE(error, platform::kErrInterrupted);
        QVERIFY2(elapsed < 1000, qPrintable(QString::number(elapsed)));
        QVERIFY(pop.IsBroken());
        QVERIFY(server.Received().ends_with("TOP 1 0\r\n"));
    }
}

// A server that never answers the ClientHello: Abort ends the handshake at
// once, and nothing but the ClientHello was sent.
void TestPop3Tls::abortEndsHandshake()
{
    ScriptedPop3Server server;  // no steps: it only records
    server.Start();
    CPop3Connection pop;
    pop.SetSecurity(Security::kImplicitTls, "");
    std::atomic<bool> bLoggedIn{true};
    int error = 0;
    std::thread login([&] {
        bLoggedIn = pop.Login("127.0.0.1", "u", "p", server.Port());
        error = platform::GetLastError();
    });
    QTRY_VERIFY(!server.Received().empty());  // the ClientHello
    const auto start = Clock::now();
    pop.Abort();
    login.join();
    QVERIFY(MsSince(start) < 1000);
    QVERIFY(!bLoggedIn);
    QCOMPARE(error, platform::kErrInterrupted);
    QVERIFY(pop.GetFailureReason().find("interrupted") != std::string::npos);
    QVERIFY(server.Received().find("QUIT") == std::string::npos);
}

void TestPop3Tls::nothingSentUnsecured_data()
{
    QTest::addColumn<int>("security");
    QTest::addColumn<QStringList>("script");  // server bytes, then what it expects next, alternating
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("lastSent");  // the client's last command ("" = none after CAPA/STLS)

    const QString capa = "CAPA\r\n";
    const QString quit = "QUIT\r\n";
    QTest::newRow("CAPA without STLS") << 1
                                       << QStringList{"+OK ready\r\n", capa, "+OK\r\nTOP\r\nUSER\r\nSTLSX\r\n.\r\n",
                                                      quit, "+OK\r\n"}
                                       << "does not offer STLS" << quit;
    QTest::newRow("no CAPA") << 1 << QStringList{"+OK ready\r\n", capa, "-ERR what?\r\n", quit, "+OK\r\n"}
                             << "does not offer STLS" << quit;
    QTest::newRow("STLS refused")
        << 1
        << QStringList{"+OK ready\r\n", capa, "+OK\r\nstls\r\n.\r\n", "STLS\r\n", "-ERR not now\r\n", quit, "+OK\r\n"}
        << "refused STLS (STARTTLS): -ERR not now" << quit;
    QTest::newRow("data after STLS answer")
        << 1 << QStringList{"+OK ready\r\n", capa, "+OK\r\nSTLS\r\n.\r\n", "STLS\r\n", "+OK go\r\n+OK injected\r\n"}
        << "more than its answer to STLS"
        << "STLS\r\n";
    QTest::newRow("plain server on a TLS port")
        << 2 << QStringList{"+OK plain text\r\n"} << "handshake with the server failed"
        << "";
}

// STLS only when offered and accepted; no user name, password or later
// command ever crosses an unsecured connection.
void TestPop3Tls::nothingSentUnsecured()
{
    QFETCH(int, security);
    QFETCH(QStringList, script);
    QFETCH(QString, reason);
    QFETCH(QString, lastSent);

    ScriptedPop3Server server;
    for (int i = 0; i < script.size(); ++i) {
        if (i % 2 == 0)
            server.Send(script[i].toStdString());
        else
            server.Expect(script[i].toStdString());
    }
    server.Start();
    CPop3Connection pop;
    pop.SetSecurity(static_cast<Security>(security), "");
    const auto start = Clock::now();
    QVERIFY(!pop.Login("127.0.0.1", "u", "p", server.Port()));
    QVERIFY(MsSince(start) < 1500);
    QVERIFY2(pop.GetFailureReason().find(reason.toStdString()) != std::string::npos, pop.GetFailureReason().c_str());
    QVERIFY(!pop.IsConnected());
    QVERIFY2(server.WaitFinished(5000), server.Failure().c_str());
    QVERIFY(server.WaitNoSession(5000));
    const std::string received = server.Received();
    QVERIFY(received.find("USER") == std::string::npos);
    if (!lastSent.isEmpty())
        QVERIFY2(received.ends_with(lastSent.toStdString()), received.c_str());
}

// The binding a -PLUS mechanism sends is the one the server computes.
void TestPop3Tls::channelBinding_data()
{
    QTest::addColumn<int>("nVersion");
    QTest::addColumn<QString>("type");
    QTest::newRow("TLS 1.3") << TLS1_3_VERSION << "tls-exporter";
    QTest::newRow("TLS 1.2") << TLS1_2_VERSION << "tls-unique";
}

void TestPop3Tls::channelBinding()
{
    QFETCH(int, nVersion);
    QFETCH(QString, type);
    qputenv("MAVIX_TLS_CA_FILE", QByteArray::fromStdString(m_address.m_sCaFile));
    TlsPop3Server server(m_address, OneMessage, "+OK ready\r\n", nVersion);
    platform::Socket socket;
    QVERIFY(socket.Create() && socket.Connect("127.0.0.1", server.Port()));
    platform::TlsStream tls(socket);
    QVERIFY2(tls.Handshake("127.0.0.1", {}), tls.FailureReason().c_str());
    std::string kind, data;
    QVERIFY(tls.ChannelBinding(kind, data));
    QCOMPARE(QString::fromStdString(kind), type);
    char greeting[64];  // the server has taken its binding once it greets
    ssize_t got = -1;   // TLS 1.3 session tickets come first
    for (const auto start = Clock::now(); got <= 0 && MsSince(start) < 5000;
         got = tls.Receive(greeting, sizeof greeting))
        tls.WaitReadable(100);
    QVERIFY(got > 0);
    QCOMPARE(QByteArray::fromStdString(data).toHex(), QByteArray::fromStdString(server.Binding()).toHex());
    QVERIFY(!data.empty());
    tls.Shutdown();
}

QTEST_GUILESS_MAIN(TestPop3Tls)
#include "test_pop3_tls.moc"
