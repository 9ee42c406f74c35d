// The log-in methods against a real Dovecot: each SASL mechanism and APOP
// with the password, OAuth 2.0 with tokens Dovecot validates itself.
#include "Pop3TestSupport.h"

#include "core/pop3/Authentication.h"
#include "tests/support/DovecotServer.h"
#include "tests/support/JsonWebToken.h"

#include <QtTest>

#include <openssl/evp.h>

#include <ctime>
#include <memory>
#include <sstream>

using Clock = std::chrono::steady_clock;
using pop3::AuthMethod;
using Security = CPop3Connection::Security;

Q_DECLARE_METATYPE(AuthMethod)

namespace {

// A refused log-in ends within this: at most two tries (an OAuth token is
// renewed once), the second held back by Dovecot's penalty for the first
// failure (4 s), each failure flushed within half a second.
constexpr long long kRefusedWithinMs = 20000;

// A TCP connection that keeps a copy of every byte the client sends.
class RecordingTcpStream final : public CClientSocket::IStandIn {
public:
    explicit RecordingTcpStream(std::shared_ptr<std::string> sent)
        : m_pSent(std::move(sent))
    { }
    bool Connect(const std::string& host, uint16_t port) { return m_socket.Create() && m_socket.Connect(host, port); }
    bool SendAll(const char* pData, size_t nLength) override
    {
        m_pSent->append(pData, nLength);
        return m_socket.SendAll(pData, nLength);
    }
    ssize_t Receive(char* pBuffer, size_t nLength) override { return m_socket.Receive(pBuffer, nLength); }
    platform::WaitResult WaitReadable(int nTimeoutMs) override { return m_socket.WaitReadable(nTimeoutMs); }
    CClientSocket::Clock::time_point Now() const override { return CClientSocket::Clock::now(); }

private:
    std::shared_ptr<std::string> m_pSent;
    platform::Socket m_socket;
};

CClientSocket::StreamSource RecordingSource(std::shared_ptr<std::string> sent)
{
    return [sent](const std::string& host, uint16_t port) -> std::shared_ptr<CClientSocket::IStandIn> {
        auto stream = std::make_shared<RecordingTcpStream>(sent);
        return stream->Connect(host, port) ? stream : nullptr;
    };
}

// The secret in the clear, or inside any word of a line that decodes as
// base64 (a SASL response carries it among other bytes).
bool WireHolds(const std::string& sent, const std::string& secret)
{
    if (sent.find(secret) != std::string::npos)
        return true;
    std::istringstream words(sent);
    std::string word;
    while (words >> word) {
        std::string decoded(word.size(), '\0');
        const int length =
            EVP_DecodeBlock(reinterpret_cast<unsigned char*>(decoded.data()),
                            reinterpret_cast<const unsigned char*>(word.data()), static_cast<int>(word.size()));
        if (length > 0
            && std::string_view(decoded.data(), static_cast<size_t>(length)).find(secret) != std::string::npos)
            return true;
    }
    return false;
}

std::string Claims(const std::string& email, long long expiresInS)
{
    const long long now = std::time(nullptr);
    return R"({"sub":"4711","email":")" + email + R"(","iss":")" + DovecotServer::OAuthIssuer() + R"(","iat":)"
        + std::to_string(now - 1200) + R"(,"exp":)" + std::to_string(now + expiresInS) + "}";
}

}  // namespace

class TestPop3AuthDovecot : public QObject {
    Q_OBJECT

private slots:
    void init() { m_pDovecot = std::make_unique<DovecotServer>(); }
    void cleanup() { m_pDovecot.reset(); }
    void logsInWithTheOfferedMechanism_data();
    void logsInWithTheOfferedMechanism();
    void wrongPasswordIsRefused_data();
    void wrongPasswordIsRefused();
    void oauthTokens_data();
    void oauthTokens();

private:
    bool Start();
    std::unique_ptr<DovecotServer> m_pDovecot;
};

bool TestPop3AuthDovecot::Start()
{
    std::string error;
    if (!m_pDovecot->Start(&error)) {
        qWarning("%s", error.c_str());
        return false;
    }
    return true;
}

// Each mechanism alone (but for Dovecot's USER, offered beside PLAIN and
// LOGIN): the log-in uses it, and only PLAIN, LOGIN and USER put the
// password on an unencrypted wire. The mechanisms that keep it off the wire
// run where Dovecot refuses the plain-text ones.
void TestPop3AuthDovecot::logsInWithTheOfferedMechanism_data()
{
    QTest::addColumn<QString>("offered");
    QTest::addColumn<bool>("refusePlaintext");
    QTest::addColumn<bool>("tls");
    QTest::addColumn<AuthMethod>("method");
    QTest::addColumn<QString>("mechanism");
    QTest::addColumn<bool>("inClear");
    const AuthMethod automatic = AuthMethod::kAutomatic;
    // Offered nothing better than a cleartext password on a plain
    // connection, the automatic choice goes on with USER/PASS as ever.
    QTest::newRow("cleartext only") << "plain" << false << false << automatic << "USER" << true;
    QTest::newRow("PLAIN chosen") << "plain" << false << false << AuthMethod::kPlain << "PLAIN" << true;
    QTest::newRow("LOGIN chosen") << "login" << false << false << AuthMethod::kLogin << "LOGIN" << true;
    QTest::newRow("USER chosen") << "plain" << false << false << AuthMethod::kUserPass << "USER" << true;
    QTest::newRow("CRAM-MD5") << "cram-md5" << true << false << automatic << "CRAM-MD5" << false;
    QTest::newRow("SCRAM-SHA-1") << "scram-sha-1" << true << false << automatic << "SCRAM-SHA-1" << false;
    QTest::newRow("SCRAM-SHA-256") << "scram-sha-256" << true << false << automatic << "SCRAM-SHA-256" << false;
    QTest::newRow("APOP") << "apop" << true << false << automatic << "APOP" << false;
    QTest::newRow("strongest of all") << "plain login cram-md5 scram-sha-1 scram-sha-256 apop" << false << false
                                      << automatic << "SCRAM-SHA-256" << false;
    QTest::newRow("PLAIN over TLS") << "plain" << true << true << automatic << "PLAIN" << false;
}

void TestPop3AuthDovecot::logsInWithTheOfferedMechanism()
{
    QFETCH(QString, offered);
    QFETCH(bool, refusePlaintext);
    QFETCH(bool, tls);
    QFETCH(AuthMethod, method);
    QFETCH(QString, mechanism);
    QFETCH(bool, inClear);
    DovecotServer& dovecot = *m_pDovecot;
    dovecot.SetAuthMechanisms(offered.toStdString());
    if (refusePlaintext)
        dovecot.RefusePlaintextAuth();
    if (tls)
        dovecot.EnableTls("IP:" + dovecot.Address());
    QVERIFY(Start());

    CPop3Connection pop;
    pop.SetAuthentication(method, {});
    auto sent = std::make_shared<std::string>();
    if (tls)
        pop.SetSecurity(Security::kImplicitTls, dovecot.Certificates().m_sFingerprint);
    else
        pop.SetStreamSource(RecordingSource(sent));
    const bool bLoggedIn =
        pop.Login(dovecot.Address(), dovecot.User(), dovecot.Password(), tls ? dovecot.TlsPort() : dovecot.Port());
    QVERIFY2(bLoggedIn, pop.GetFailureReason().c_str());
    QCOMPARE(QString::fromStdString(pop.LoginMechanism()), mechanism);
    QCOMPARE(pop.PasswordSentInClear(), inClear);
    if (!tls)
        QCOMPARE(WireHolds(*sent, dovecot.Password()), inClear);
    QVERIFY(pop.Quit());
}

void TestPop3AuthDovecot::wrongPasswordIsRefused_data()
{
    QTest::addColumn<QString>("offered");
    QTest::addColumn<bool>("refusePlaintext");
    QTest::addColumn<AuthMethod>("method");
    QTest::addColumn<QString>("mechanism");
    const AuthMethod automatic = AuthMethod::kAutomatic;
    QTest::newRow("PLAIN") << "plain" << false << AuthMethod::kPlain << "PLAIN";
    QTest::newRow("LOGIN") << "login" << false << AuthMethod::kLogin << "LOGIN";
    // USER/PASS keeps its refusal text, which names no mechanism.
    QTest::newRow("USER") << "plain" << false << AuthMethod::kUserPass << "";
    QTest::newRow("CRAM-MD5") << "cram-md5" << true << automatic << "CRAM-MD5";
    QTest::newRow("SCRAM-SHA-1") << "scram-sha-1" << true << automatic << "SCRAM-SHA-1";
    QTest::newRow("SCRAM-SHA-256") << "scram-sha-256" << true << automatic << "SCRAM-SHA-256";
    QTest::newRow("APOP") << "apop" << true << automatic << "APOP";
}

void TestPop3AuthDovecot::wrongPasswordIsRefused()
{
    QFETCH(QString, offered);
    QFETCH(bool, refusePlaintext);
    QFETCH(AuthMethod, method);
    QFETCH(QString, mechanism);
    DovecotServer& dovecot = *m_pDovecot;
    dovecot.SetAuthMechanisms(offered.toStdString());
    if (refusePlaintext)
        dovecot.RefusePlaintextAuth();
    QVERIFY(Start());

    CPop3Connection pop;
    pop.SetAuthentication(method, {});
    const auto start = Clock::now();
    QVERIFY(!pop.Login(dovecot.Address(), dovecot.User(), "Sesame-2025", dovecot.Port()));
    QVERIFY(MsSince(start) < kRefusedWithinMs);
    QVERIFY(!pop.IsConnected());
    QVERIFY(pop.GetLoginFailure() == CPop3Connection::LoginFailure::kLoginRefused);
    const QString reason = QString::fromStdString(pop.GetFailureReason());
    QVERIFY2(reason.contains(mechanism) && reason.contains("-ERR [AUTH] Authentication failed."), qPrintable(reason));
}

// Tokens from a TokenSource, renewed at most once when refused; Dovecot's
// log says why it refused each, so a row fails for its own reason only.
void TestPop3AuthDovecot::oauthTokens_data()
{
    QTest::addColumn<QString>("offered");
    QTest::addColumn<AuthMethod>("method");
    QTest::addColumn<QString>("email");  // empty: the user's
    QTest::addColumn<qlonglong>("expiresInS");
    QTest::addColumn<bool>("wrongKey");
    QTest::addColumn<QString>("mechanism");
    QTest::addColumn<QString>("serverReason");  // empty: logged in
    const QString both = "xoauth2 oauthbearer";
    const QString user;
    QTest::newRow("XOAUTH2") << both << AuthMethod::kXOAuth2 << user << qlonglong(600) << false << "XOAUTH2"
                             << "";
    QTest::newRow("OAUTHBEARER") << both << AuthMethod::kOAuthBearer << user << qlonglong(600) << false << "OAUTHBEARER"
                                 << "";
    QTest::newRow("OAuth picks XOAUTH2") << both << AuthMethod::kOAuth2 << user << qlonglong(600) << false << "XOAUTH2"
                                         << "";
    QTest::newRow("OAuth, OAUTHBEARER alone")
        << "oauthbearer" << AuthMethod::kOAuth2 << user << qlonglong(600) << false << "OAUTHBEARER"
        << "";
    QTest::newRow("expired") << both << AuthMethod::kXOAuth2 << user << qlonglong(-600) << false << "XOAUTH2"
                             << "Token has expired";
    QTest::newRow("wrong key") << both << AuthMethod::kOAuthBearer << user << qlonglong(600) << true << "OAUTHBEARER"
                               << "Incorrect JWT signature";
    QTest::newRow("someone else's") << both << AuthMethod::kXOAuth2 << "someone.else" << qlonglong(600) << false
                                    << "XOAUTH2"
                                    << "Username 'mavix' did not match 'someone.else'";
}

void TestPop3AuthDovecot::oauthTokens()
{
    QFETCH(QString, offered);
    QFETCH(AuthMethod, method);
    QFETCH(QString, email);
    QFETCH(qlonglong, expiresInS);
    QFETCH(bool, wrongKey);
    QFETCH(QString, mechanism);
    QFETCH(QString, serverReason);
    DovecotServer& dovecot = *m_pDovecot;
    dovecot.SetAuthMechanisms(offered.toStdString());
    dovecot.EnableOAuth();
    QVERIFY(Start());

    const std::string key = wrongKey ? "another key of the same length!!" : DovecotServer::OAuthKey();
    const std::string token =
        MintHs256Jwt(Claims(email.isEmpty() ? dovecot.User() : email.toStdString(), expiresInS), key);
    int calls = 0;
    CPop3Connection pop;
    pop.SetAuthentication(method, [&](bool, std::string*) {
        ++calls;
        return token;
    });
    const auto start = Clock::now();
    const bool bLoggedIn = pop.Login(dovecot.Address(), dovecot.User(), "", dovecot.Port());
    const QString reason = QString::fromStdString(pop.GetFailureReason());
    if (serverReason.isEmpty()) {
        QVERIFY2(bLoggedIn, qPrintable(reason));
        QCOMPARE(QString::fromStdString(pop.LoginMechanism()), mechanism);
        QCOMPARE(calls, 1);
        QVERIFY(pop.Quit());
        return;
    }
    QVERIFY(!bLoggedIn);
    QVERIFY(MsSince(start) < kRefusedWithinMs);
    QVERIFY(calls == 1 || calls == 2);
    QVERIFY(!pop.IsConnected());
    QVERIFY2(reason.contains(mechanism) && reason.contains("Authentication failed"), qPrintable(reason));
    QTRY_VERIFY(QString::fromStdString(dovecot.Log()).contains(serverReason));
}

QTEST_GUILESS_MAIN(TestPop3AuthDovecot)
#include "test_pop3_auth_dovecot.moc"
