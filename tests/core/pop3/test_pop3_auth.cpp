// The log-in methods beyond USER/PASS against scripted servers: which way
// the automatic and the fixed choices take, whole SASL, APOP and OAuth
// transcripts, and SCRAM-SHA-256 against the RFC 7677 vector with a server
// that proves itself, or cannot.
#include "Pop3TestSupport.h"

#include "core/platform/LastError.h"
#include "core/pop3/SaslText.h"

#include <QtTest>

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>

using pop3::AuthMethod;

namespace {

QByteArray B64(const QByteArray& bytes)
{
    return bytes.toBase64();
}

// The SCRAM-SHA-256 computation of RFC 5802 §3, done apart from the client.
struct ScramProof {
    QByteArray m_clientProof;
    QByteArray m_serverSignature;
};
QByteArray Hmac(const QByteArray& key, const QByteArray& data)
{
    unsigned char out[32];
    unsigned int n = 0;
    HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(data.data()),
         static_cast<size_t>(data.size()), out, &n);
    return QByteArray(reinterpret_cast<const char*>(out), static_cast<int>(n));
}
ScramProof ComputeScram(const QByteArray& password, const QByteArray& salt, int iterations,
                        const QByteArray& authMessage)
{
    unsigned char salted[32];
    PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                      reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()), iterations,
                      EVP_sha256(), sizeof salted, salted);
    const QByteArray saltedPassword(reinterpret_cast<const char*>(salted), sizeof salted);
    const QByteArray clientKey = Hmac(saltedPassword, "Client Key");
    const QByteArray storedKey = QCryptographicHash::hash(clientKey, QCryptographicHash::Sha256);
    QByteArray proof = Hmac(storedKey, authMessage);
    for (int i = 0; i < proof.size(); ++i)
        proof[i] = static_cast<char>(proof[i] ^ clientKey[i]);
    return {proof, Hmac(Hmac(saltedPassword, "Server Key"), authMessage)};
}

// RFC 7677 §3.
const QByteArray kVectorSalt = QByteArray::fromBase64("W22ZaJ0SNY7soEsUEjb6gQ==");
const QByteArray kServerNonce = "%hvYDpWUa2RaTCAfuxFIlj)hNlF$k0";

// A POP3 server that answers each line of the client's as `answer` says,
// for exchanges whose bytes depend on the client's (SCRAM's nonce).
class AnsweringStream final : public CClientSocket::IStandIn {
public:
    using Clock = CClientSocket::Clock;
    using Answer = std::function<std::string(const std::string& line)>;
    AnsweringStream(std::string greeting, Answer answer)
        : m_sOut(std::move(greeting)),
          m_answer(std::move(answer))
    { }
    bool SendAll(const char* pData, size_t nLength) override
    {
        m_sIn.append(pData, nLength);
        for (size_t end; (end = m_sIn.find("\r\n")) != std::string::npos; m_sIn.erase(0, end + 2)) {
            m_aLines.push_back(m_sIn.substr(0, end));
            m_sOut += m_answer(m_aLines.back());
        }
        return true;
    }
    ssize_t Receive(char* pBuffer, size_t nLength) override
    {
        const size_t n = std::min(nLength, m_sOut.size());
        std::memcpy(pBuffer, m_sOut.data(), n);
        m_sOut.erase(0, n);
        if (n == 0)
            platform::SetLastError(EAGAIN);
        return n ? static_cast<ssize_t>(n) : -1;
    }
    platform::WaitResult WaitReadable(int nTimeoutMs) override
    {
        if (m_sOut.empty())
            m_now += std::chrono::milliseconds(std::max(nTimeoutMs, 1));
        return m_sOut.empty() ? platform::WaitResult::kTimedOut : platform::WaitResult::kReady;
    }
    Clock::time_point Now() const override { return m_now; }
    std::vector<std::string> m_aLines;

private:
    std::string m_sIn, m_sOut;
    Answer m_answer;
    Clock::time_point m_now = Clock::now();
};

// A SCRAM-SHA-256 server for "user"/"pencil" with the vector's salt and
// count; bForge: its signature is made with the wrong password. A wrong
// proof gets "e=" (RFC 5802 §7), then -ERR.
AnsweringStream::Answer ScramServer(bool bForge)
{
    auto state = std::make_shared<QByteArray>();  // the auth message so far
    return [state, bForge](const std::string& line) -> std::string {
        const QByteArray text = QByteArray::fromStdString(line);
        if (text == "CAPA")
            return "+OK\r\nSASL PLAIN SCRAM-SHA-256\r\n.\r\n";
        if (text.startsWith("AUTH SCRAM-SHA-256 ")) {
            const QByteArray bare = QByteArray::fromBase64(text.mid(19)).mid(3);  // past "n,,"
            const QByteArray nonce = bare.mid(bare.indexOf("r=") + 2) + kServerNonce;
            const QByteArray first = "r=" + nonce + ",s=" + kVectorSalt.toBase64() + ",i=4096";
            *state = bare + "," + first;
            return "+ " + B64(first).toStdString() + "\r\n";
        }
        if (text.isEmpty())
            return state->isEmpty() ? "-ERR [AUTH] Authentication failed.\r\n" : "+OK logged in\r\n";
        const QByteArray final = QByteArray::fromBase64(text);
        const int at = final.indexOf(",p=");
        const QByteArray message = *state + "," + final.left(at);
        const ScramProof proof = ComputeScram("pencil", kVectorSalt, 4096, message);
        if (final.mid(at + 3) != proof.m_clientProof.toBase64()) {
            state->clear();
            return "+ " + B64("e=invalid-proof").toStdString() + "\r\n";
        }
        const QByteArray signature =
            bForge ? ComputeScram("guess", kVectorSalt, 4096, message).m_serverSignature : proof.m_serverSignature;
        return "+ " + B64("v=" + signature.toBase64()).toStdString() + "\r\n";
    };
}

}  // namespace

class TestPop3Auth : public QObject {
    Q_OBJECT

private slots:
    void chosenWay_data();
    void chosenWay();
    void transcripts_data();
    void transcripts();
    void scramVector();
    void scramServerProves_data();
    void scramServerProves();
    void serverTexts_data();
    void serverTexts();
};

// The first line after CAPA for each choice on a plain connection, what a
// server's -ERR to it reads as, and whether the password crossed in clear.
void TestPop3Auth::chosenWay_data()
{
    QTest::addColumn<QString>("greeting");
    QTest::addColumn<QString>("capa");  // empty: CAPA refused
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("firstLine");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("bInClear");

    const QString apop = "+OK POP3 <1896.697170952@dbc.mtview.ca.us>";
    const QString all = "SASL PLAIN LOGIN CRAM-MD5 SCRAM-SHA-1 SCRAM-SHA-256";
    const QString plain = "AUTH PLAIN " + B64(QByteArray("\0u\0tanstaaf", 11));
    const QString refused = "The server refused the log-in: -ERR no";
    auto refusedBy = [](const char* m) { return QString("The server refused the log-in (%1): -ERR no").arg(m); };
    const auto kAuto = static_cast<int>(AuthMethod::kAutomatic);
    QTest::newRow("no CAPA: USER/PASS") << "+OK"
                                        << "" << kAuto << "USER u" << refused << true;
    QTest::newRow("no CAPA, APOP stamp: USER/PASS") << apop << "" << kAuto << "USER u" << refused << true;
    QTest::newRow("no SASL line") << "+OK"
                                  << "TOP" << kAuto << "USER u" << refused << true;
    QTest::newRow("strongest SCRAM") << "+OK" << all << kAuto << "AUTH SCRAM-SHA-256 " << refusedBy("SCRAM-SHA-256")
                                     << false;
    QTest::newRow("-PLUS needs TLS") << "+OK"
                                     << "SASL SCRAM-SHA-256-PLUS SCRAM-SHA-1 PLAIN" << kAuto << "AUTH SCRAM-SHA-1 "
                                     << refusedBy("SCRAM-SHA-1") << false;
    QTest::newRow("CRAM-MD5 before APOP")
        << apop << "SASL PLAIN CRAM-MD5" << kAuto << "AUTH CRAM-MD5" << refusedBy("CRAM-MD5") << false;
    QTest::newRow("APOP before PLAIN") << apop << "SASL PLAIN LOGIN" << kAuto
                                       << "APOP u c4c9334bac560ecc979e58001b3e22fb" << refusedBy("APOP") << false;
    QTest::newRow("APOP without SASL") << apop << "UIDL" << kAuto << "APOP u c4c9334bac560ecc979e58001b3e22fb"
                                       << refusedBy("APOP") << false;
    QTest::newRow("PLAIN offered: USER/PASS as ever") << "+OK"
                                                      << "SASL LOGIN PLAIN" << kAuto << "USER u" << refused << true;
    QTest::newRow("fixed SCRAM not offered")
        << "+OK"
        << "SASL PLAIN LOGIN" << static_cast<int>(AuthMethod::kScramSha256) << "QUIT"
        << "The server does not offer SCRAM-SHA-256; it offers: PLAIN LOGIN." << false;
    QTest::newRow("fixed APOP without stamp") << "+OK"
                                              << "SASL PLAIN" << static_cast<int>(AuthMethod::kApop) << "QUIT"
                                              << "The server does not offer APOP; it offers: PLAIN." << false;
    QTest::newRow("fixed CRAM-MD5, nothing listed") << apop << "" << static_cast<int>(AuthMethod::kCramMd5) << "QUIT"
                                                    << "The server does not offer CRAM-MD5; it offers: APOP." << false;
    QTest::newRow("fixed USER despite SCRAM")
        << "+OK"
        << "SASL SCRAM-SHA-256" << static_cast<int>(AuthMethod::kUserPass) << "USER u" << refused << true;
    QTest::newRow("fixed PLAIN") << "+OK" << all << static_cast<int>(AuthMethod::kPlain) << plain << refusedBy("PLAIN")
                                 << true;
    QTest::newRow("fixed SCRAM-SHA-1") << "+OK" << all << static_cast<int>(AuthMethod::kScramSha1)
                                       << "AUTH SCRAM-SHA-1 " << refusedBy("SCRAM-SHA-1") << false;
    QTest::newRow("XOAUTH2 unlisted") << "+OK"
                                      << "SASL PLAIN" << static_cast<int>(AuthMethod::kXOAuth2) << "AUTH XOAUTH2"
                                      << refusedBy("XOAUTH2") << false;
    QTest::newRow("oauth2: only OAUTHBEARER") << "+OK"
                                              << "SASL OAUTHBEARER" << static_cast<int>(AuthMethod::kOAuth2)
                                              << "AUTH OAUTHBEARER" << refusedBy("OAUTHBEARER") << false;
    QTest::newRow("oauth2: both") << "+OK"
                                  << "SASL OAUTHBEARER XOAUTH2" << static_cast<int>(AuthMethod::kOAuth2)
                                  << "AUTH XOAUTH2" << refusedBy("XOAUTH2") << false;
}

void TestPop3Auth::chosenWay()
{
    QFETCH(QString, greeting);
    QFETCH(QString, capa);
    QFETCH(int, method);
    QFETCH(QString, firstLine);
    QFETCH(QString, failure);
    QFETCH(bool, bInClear);

    ScriptedStream server;
    server.Send(greeting.toStdString() + "\r\n")
        .Expect("CAPA\r\n")
        .Send(capa.isEmpty() ? "-ERR\r\n" : "+OK\r\n" + capa.toStdString() + "\r\n.\r\n")
        .ExpectLine()
        .Send("-ERR no\r\n")
        .ExpectLine()
        .Send("-ERR no\r\n");  // a renewed token's AUTH
    TestConnection pop;
    pop.SetStreamSource(server.Source());
    pop.SetAuthentication(static_cast<AuthMethod>(method), [](bool, std::string*) { return std::string("tok"); });
    QVERIFY(!pop.Login("pop.example", "u", "tanstaaf", 110));
    const std::string sent = server.Received();
    const size_t start = sent.find("CAPA\r\n") + 6;
    QCOMPARE(QString::fromStdString(sent.substr(start, sent.find("\r\n", start) - start)).left(firstLine.size()),
             firstLine);
    QCOMPARE(QString::fromStdString(pop.GetFailureReason()), failure);
    QCOMPARE(pop.PasswordSentInClear(), bInClear);
}

// Whole exchanges after CAPA: the client's lines and the server's answers in
// turn, and how the log-in ends.
void TestPop3Auth::transcripts_data()
{
    QTest::addColumn<int>("method");  // PLAIN: a password of 120 bytes, else "tanstaaftanstaaf"
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("capa");
    QTest::addColumn<QStringList>("exchange");  // client line, server answer, ...
    QTest::addColumn<QString>("failure");       // empty: logged in
    QTest::addColumn<int>("nTokens");           // token source calls

    const QByteArray longUser(120, 'x');
    QTest::newRow("PLAIN too long for the AUTH line")
        << static_cast<int>(AuthMethod::kPlain) << QString(longUser) << "SASL PLAIN"
        << QStringList{"AUTH PLAIN", "+ ",
                       B64(QByteArray(1, '\0') + longUser + QByteArray(1, '\0') + QByteArray(120, 'p')), "+OK"}
        << "" << 0;
    // RFC 2195 §2.
    const QByteArray cram = "<1896.697170952@postoffice.reston.mci.net>";
    QTest::newRow("CRAM-MD5") << static_cast<int>(AuthMethod::kAutomatic) << "tim"
                              << "SASL CRAM-MD5"
                              << QStringList{"AUTH CRAM-MD5", "+ " + B64(cram),
                                             B64("tim b913a602c7eda7a495b4e6e7334d3890"), "+OK"}
                              << "" << 0;
    QTest::newRow("LOGIN") << static_cast<int>(AuthMethod::kLogin) << "tim"
                           << "SASL LOGIN" << QStringList{"AUTH LOGIN",
                                                          "+ " + B64("Username:"),
                                                          B64("tim"),
                                                          "+ " + B64("Password:"),
                                                          B64("tanstaaftanstaaf"),
                                                          "+OK"}
                           << "" << 0;
    QTest::newRow("challenge not base64: cancelled")
        << static_cast<int>(AuthMethod::kAutomatic) << "tim"
        << "SASL CRAM-MD5" << QStringList{"AUTH CRAM-MD5", "+ <not base64>", "*", "-ERR cancelled", "QUIT", "+OK"}
        << "The log-in could not go on: the server's challenge to CRAM-MD5 is not base64." << 0;
    const QByteArray x1 = B64("user=tim\x01"
                              "auth=Bearer tok1\x01\x01");
    const QByteArray x2 = B64("user=tim\x01"
                              "auth=Bearer tok2\x01\x01");
    const QByteArray error = B64(R"({"status":"401","schemes":"bearer","scope":"https://mail.example/"})");
    QTest::newRow("XOAUTH2") << static_cast<int>(AuthMethod::kXOAuth2) << "tim"
                             << "" << QStringList{"AUTH XOAUTH2", "+ ", x1, "+OK"} << "" << 1;
    QTest::newRow("XOAUTH2 refused, renewed once")
        << static_cast<int>(AuthMethod::kXOAuth2) << "tim"
        << ""
        << QStringList{"AUTH XOAUTH2", "+ ", x1, "+ " + error, "AQ==", "-ERR expired", "AUTH XOAUTH2", "+ ", x2, "+OK"}
        << "" << 2;
    QTest::newRow("OAUTHBEARER refused twice")
        << static_cast<int>(AuthMethod::kOAuthBearer) << "a,b"
        << ""
        << QStringList{"AUTH OAUTHBEARER",
                       "+ ",
                       B64("n,a=a=2Cb,\x01"
                           "auth=Bearer tok1\x01\x01"),
                       "+ " + error,
                       "AQ==",
                       "-ERR [AUTH] invalid",
                       "AUTH OAUTHBEARER",
                       "+ ",
                       B64("n,a=a=2Cb,\x01"
                           "auth=Bearer tok2\x01\x01"),
                       "+ " + error,
                       "AQ==",
                       "-ERR [AUTH] still invalid",
                       "QUIT",
                       "+OK"}
        << "The server refused the log-in (OAUTHBEARER): -ERR [AUTH] still invalid (status 401)" << 2;
}

void TestPop3Auth::transcripts()
{
    QFETCH(int, method);
    QFETCH(QString, user);
    QFETCH(QString, capa);
    QFETCH(QStringList, exchange);
    QFETCH(QString, failure);
    QFETCH(int, nTokens);

    ScriptedStream server;
    server.Send("+OK\r\n").Expect("CAPA\r\n").Send("+OK\r\n" + capa.toStdString() + "\r\n.\r\n");
    for (qsizetype i = 0; i + 1 < exchange.size(); i += 2)
        server.Expect(exchange[i].toStdString() + "\r\n").Send(exchange[i + 1].toStdString() + "\r\n");
    TestConnection pop;
    pop.SetStreamSource(server.Source());
    int nCalls = 0;
    pop.SetAuthentication(static_cast<AuthMethod>(method), [&nCalls](bool bRenew, std::string*) {
        ++nCalls;
        return std::string(bRenew ? "tok2" : "tok1");
    });
    TraceCapture traces;
    const std::string password =
        method == static_cast<int>(AuthMethod::kPlain) ? std::string(120, 'p') : "tanstaaftanstaaf";
    QCOMPARE(pop.Login("pop.example", user.toStdString(), password, 110), failure.isEmpty());
    QVERIFY2(server.Finished(), server.Failure().c_str());
    QCOMPARE(QString::fromStdString(pop.GetFailureReason()), failure);
    QCOMPARE(nCalls, nTokens);
    for (const std::string& line : traces.Lines())
        QVERIFY2(line.find("tok1") == std::string::npos && line.find("tok2") == std::string::npos
                     && line.find("tanstaaf") == std::string::npos,
                 line.c_str());
}

// The computation the scripted SCRAM server uses gives RFC 7677's proof and
// signature from its messages.
void TestPop3Auth::scramVector()
{
    const QByteArray message = "n=user,r=rOprNGfwEbeRWgbNEkqO,r=rOprNGfwEbeRWgbNEkqO" + kServerNonce
        + ",s=W22ZaJ0SNY7soEsUEjb6gQ==,i=4096,c=biws,r=rOprNGfwEbeRWgbNEkqO" + kServerNonce;
    const ScramProof proof = ComputeScram("pencil", kVectorSalt, 4096, message);
    QCOMPARE(proof.m_clientProof.toBase64(), QByteArray("dHzbZapWIk4jUhN+Ute9ytag9zjfMHgsqmmiz7AndVQ="));
    QCOMPARE(proof.m_serverSignature.toBase64(), QByteArray("6rriTRBi23WpRR/wtup+mMhUZUn/dB5nLTJRsjl95G4="));
}

void TestPop3Auth::scramServerProves_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("bForge");
    QTest::addColumn<QString>("failure");  // empty: logged in
    QTest::newRow("proves itself") << "pencil" << false << "";
    QTest::newRow("forged signature")
        << "pencil" << true
        << "The server could not prove that it knows the password: it is not the server it claims to be, "
           "and the connection was closed.";
    QTest::newRow("wrong password") << "pen" << false
                                    << "The server refused the log-in (SCRAM-SHA-256): -ERR [AUTH] Authentication "
                                       "failed.";
}

void TestPop3Auth::scramServerProves()
{
    QFETCH(QString, password);
    QFETCH(bool, bForge);
    QFETCH(QString, failure);
    auto stream = std::make_shared<AnsweringStream>("+OK\r\n", ScramServer(bForge));
    TestConnection pop;
    pop.SetStreamSource([stream](const std::string&, uint16_t) { return stream; });
    QCOMPARE(pop.Login("pop.example", "user", password.toStdString(), 110), failure.isEmpty());
    QCOMPARE(QString::fromStdString(pop.LoginMechanism()), QString("SCRAM-SHA-256"));
    QVERIFY(!pop.PasswordSentInClear());
    QCOMPARE(QString::fromStdString(pop.GetFailureReason()), failure);
    // CAPA, AUTH and the proof: nothing more to an impostor, not even QUIT.
    if (bForge)
        QCOMPARE(stream->m_aLines.size(), size_t{3});
}

// The server texts the log-in reads beyond the replies' status.
void TestPop3Auth::serverTexts_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");  // "!": refused

    QTest::newRow("stamp") << "apop" << QByteArray("+OK POP3 <1.2@host> ready") << QByteArray("<1.2@host>");
    QTest::newRow("stamp without @") << "apop" << QByteArray("+OK <1.2.host>") << QByteArray("!");
    QTest::newRow("stamp with a blank") << "apop" << QByteArray("+OK <1 2@host>") << QByteArray("!");
    QTest::newRow("stamp unclosed") << "apop" << QByteArray("+OK <1@host") << QByteArray("!");
    QTest::newRow("stamp too long") << "apop"
                                    << "+OK <" + QByteArray(300, 'a') + "@h>" << QByteArray("!");
    QTest::newRow("base64") << "base64" << QByteArray("cGVuY2lsIQ==") << QByteArray("pencil!");
    QTest::newRow("base64 empty") << "base64" << QByteArray("") << QByteArray("");
    QTest::newRow("base64 unpadded") << "base64" << QByteArray("cGVuY2lsIQ") << QByteArray("!");
    QTest::newRow("base64 stray bits") << "base64" << QByteArray("cGVuY2lsIR==") << QByteArray("!");
    QTest::newRow("base64 inner pad") << "base64" << QByteArray("cG==Y2ls") << QByteArray("!");
    QTest::newRow("status") << "status" << QByteArray(R"({"scope":"x", "status" : "invalid_token"})")
                            << QByteArray("invalid_token");
    QTest::newRow("status not a string") << "status" << QByteArray(R"({"status":401})") << QByteArray("");
    QTest::newRow("status unterminated") << "status" << QByteArray(R"({"status":"40)") << QByteArray("");
    QTest::newRow("SASL list") << "sasl" << QByteArray("+OK\r\nsasl plain  SCRAM-SHA-256 bad! PLAIN\r\nUSER")
                               << QByteArray("PLAIN SCRAM-SHA-256");
}

void TestPop3Auth::serverTexts()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    std::string out;
    bool bOk = true;
    const std::string_view view(text.constData(), static_cast<size_t>(text.size()));
    if (kind == "apop") {
        bOk = pop3::ParseApopTimestamp(view, out);
    } else if (kind == "base64") {
        bOk = pop3::Base64Decode(view, out);
    } else if (kind == "status") {
        out = pop3::OAuthErrorStatus(view);
    } else {
        pop3::Capabilities capabilities;
        QCOMPARE(pop3::ParseCapabilities(view, capabilities), pop3::ReplyError::kNone);
        for (const std::string& name : capabilities.m_aSaslMechanisms)
            out += (out.empty() ? "" : " ") + name;
    }
    QCOMPARE(bOk ? QByteArray::fromStdString(out) : QByteArray("!"), expected);
}

QTEST_GUILESS_MAIN(TestPop3Auth)
#include "test_pop3_auth.moc"
