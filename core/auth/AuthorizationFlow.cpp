#include "core/auth/AuthorizationFlow.h"

#include "core/auth/TokenReply.h"
#include "core/platform/CoreText.h"
#include "core/platform/Secrets.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <map>

namespace {

// Random bytes behind the state and the PKCE verifier: 256 bits, 43
// characters of base64url (RFC 7636 §4.1 wants 43 to 128).
constexpr int kRandomBytes = 32;

QByteArray Base64Url(const QByteArray& bytes)
{
    return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

// Empty when the system's generator failed.
std::string RandomText()
{
    unsigned char bytes[kRandomBytes];
    if (RAND_bytes(bytes, kRandomBytes) != 1)
        return {};
    const QByteArray text = Base64Url(QByteArray(reinterpret_cast<const char*>(bytes), kRandomBytes));
    OPENSSL_cleanse(bytes, sizeof bytes);
    return text.toStdString();
}

bool SameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

// The flow's texts are UTF-8 (FlowResult), as are the browser's pages.
std::string Say(const char* source, std::initializer_list<std::string> values = {})
{
    return core_text::SayUtf8("OAuth", source, values);
}

std::string TimedOut(std::chrono::milliseconds timeout)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout).count();
    if (seconds >= 120)
        return Say(QT_TRANSLATE_NOOP("OAuth",
                                     "the sign-in was not finished in the browser within %1 minutes; sign-in stopped"),
                   {std::to_string(seconds / 60)});
    return Say(
        QT_TRANSLATE_NOOP("OAuth", "the sign-in was not finished in the browser within %1 seconds; sign-in stopped"),
        {std::to_string(seconds)});
}

// A short plain page for the browser, in the user's language, and the end
// of its connection.
void Answer(QTcpSocket* socket, int nStatus, const char* source)
{
    const QByteArray body = QByteArray::fromStdString(Say(source)) + "\n";
    QByteArray head = "HTTP/1.1 " + QByteArray::number(nStatus) + (nStatus == 200 ? " OK" : " Bad Request")
        + "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " + QByteArray::number(body.size())
        + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
    socket->write(head + body);
    socket->disconnectFromHost();
}

}  // namespace

namespace oauth {

struct AuthorizationFlow::Impl {
    Provider m_provider;
    OpenUrl m_fnOpen;
    std::string m_sLoginHint;
    std::chrono::milliseconds m_timeout = kAuthorizationTimeout;
    std::function<void(FlowResult)> m_fnDone;
    std::string m_sState, m_sVerifier, m_sRedirectUri;
    bool m_bTaken = false;     // the one request was taken
    bool m_bFinished = false;  // the result is decided
    // Declared before the server: its sockets still tell of their end
    // while it goes.
    std::map<QTcpSocket*, QByteArray> m_heads;
    QObject m_context;  // queued calls die with the flow
    QTcpServer m_server;
    QNetworkAccessManager m_network;
    QTimer m_timer;

    bool Listen(std::string& error);
    std::string AuthorizeUrl() const;
    void Accept();
    void OnData(QTcpSocket* socket);
    void OnRedirect(QTcpSocket* socket, RedirectRequest& request);
    void OnTokens(TokenReply& reply);
    void Fail(std::string error);
    void Finish(FlowResult result);
};

bool AuthorizationFlow::Impl::Listen(std::string& error)
{
    const QUrl authorize(QString::fromStdString(m_provider.m_sAuthorizeUrl));
    if (!EndpointAllowed(authorize) || !EndpointAllowed(QUrl(QString::fromStdString(m_provider.m_sTokenUrl)))) {
        error = Say(QT_TRANSLATE_NOOP("OAuth", "the provider's endpoints must be https:// addresses"));
        return false;
    }
    m_sState = RandomText();
    m_sVerifier = RandomText();
    if (m_sState.empty() || m_sVerifier.empty()) {
        error = Say(QT_TRANSLATE_NOOP("OAuth", "no random numbers for the sign-in"));
        return false;
    }
    // RFC 8252 §8.3: the loopback address itself, never another interface.
    if (!m_server.listen(QHostAddress::LocalHost, 0)) {
        error = Say(QT_TRANSLATE_NOOP("OAuth", "cannot listen on 127.0.0.1 for the browser: %1"),
                    {m_server.errorString().toStdString()});
        return false;
    }
    m_sRedirectUri = "http://127.0.0.1:" + std::to_string(m_server.serverPort()) + "/";
    return true;
}

std::string AuthorizationFlow::Impl::AuthorizeUrl() const
{
    QUrl url(QString::fromStdString(m_provider.m_sAuthorizeUrl));
    QUrlQuery query(url);
    const QByteArray challenge =
        Base64Url(QCryptographicHash::hash(QByteArray::fromStdString(m_sVerifier), QCryptographicHash::Sha256));
    query.addQueryItem("response_type", "code");
    query.addQueryItem("client_id", QString::fromStdString(m_provider.m_sClientId));
    query.addQueryItem("redirect_uri", QString::fromStdString(m_sRedirectUri));
    if (!m_provider.m_sScope.empty())
        query.addQueryItem("scope", QString::fromStdString(m_provider.m_sScope));
    query.addQueryItem("state", QString::fromStdString(m_sState));
    query.addQueryItem("code_challenge", QString::fromLatin1(challenge));
    query.addQueryItem("code_challenge_method", "S256");
    if (!m_sLoginHint.empty())
        query.addQueryItem("login_hint", QString::fromStdString(m_sLoginHint));
    // Google gives a refresh token only to an offline request, and again
    // only after a new consent.
    if (m_provider.m_sName == kGoogle) {
        query.addQueryItem("access_type", "offline");
        query.addQueryItem("prompt", "consent");
    }
    // QUrlQuery leaves '+' alone, which a server reads as a blank.
    QString encoded = query.toString(QUrl::FullyEncoded);
    encoded.replace('+', QLatin1String("%2B"));
    url.setQuery(encoded, QUrl::StrictMode);
    return url.toString(QUrl::FullyEncoded).toStdString();
}

void AuthorizationFlow::Impl::Accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        m_heads[socket];
        QObject::connect(socket, &QTcpSocket::readyRead, &m_context, [this, socket] { OnData(socket); });
        QObject::connect(socket, &QTcpSocket::disconnected, &m_context, [this, socket] {
            m_heads.erase(socket);
            socket->deleteLater();
        });
    }
}

void AuthorizationFlow::Impl::OnData(QTcpSocket* socket)
{
    auto found = m_heads.find(socket);
    if (found == m_heads.end())
        return;
    found->second += socket->read(static_cast<qint64>(kRedirectRequestMaxBytes) + 1);
    RedirectRequest request;
    const HeadStatus status =
        ParseRedirectRequest(std::string_view(found->second.constData(), found->second.size()), request);
    if (status == HeadStatus::kIncomplete)
        return;
    found->second.fill('\0');
    m_heads.erase(found);
    socket->disconnect(&m_context);
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    if (m_bFinished || status == HeadStatus::kBad) {
        Answer(socket, 400, QT_TRANSLATE_NOOP("OAuth", "This is not a sign-in answer."));
        Fail(Say(QT_TRANSLATE_NOOP(
            "OAuth", "the sign-in listener got a request that is not the browser's answer; sign-in stopped")));
    } else if (m_bTaken) {
        Answer(socket, 400, QT_TRANSLATE_NOOP("OAuth", "Sign-in was already answered."));
        Fail(Say(QT_TRANSLATE_NOOP(
            "OAuth",
            "a second request reached the sign-in listener; sign-in stopped for safety, please sign in again")));
    } else {
        m_bTaken = true;
        m_server.close();
        OnRedirect(socket, request);
    }
    request.Wipe();
}

void AuthorizationFlow::Impl::OnRedirect(QTcpSocket* socket, RedirectRequest& request)
{
    if (!SameText(request.m_sState, m_sState)) {
        Answer(socket, 400, QT_TRANSLATE_NOOP("OAuth", "Sign-in failed: this answer belongs to another sign-in."));
        Fail(Say(QT_TRANSLATE_NOOP(
            "OAuth", "the browser's answer was not for this sign-in (its state differs); sign-in stopped")));
    } else if (!request.m_sError.empty()) {
        Answer(socket, 200, QT_TRANSLATE_NOOP("OAuth", "Sign-in failed. You can close this window."));
        if (request.m_sErrorDescription.empty())
            Fail(Say(QT_TRANSLATE_NOOP("OAuth", "the provider refused the sign-in: %1"),
                     {ProviderText(request.m_sError)}));
        else
            Fail(Say(QT_TRANSLATE_NOOP("OAuth", "the provider refused the sign-in: %1 (%2)"),
                     {ProviderText(request.m_sError), ProviderText(request.m_sErrorDescription)}));
    } else if (request.m_sCode.empty()) {
        Answer(socket, 400, QT_TRANSLATE_NOOP("OAuth", "Sign-in failed: no authorization code."));
        Fail(Say(QT_TRANSLATE_NOOP("OAuth", "the browser's answer carried no authorization code")));
    } else {
        Answer(socket, 200, QT_TRANSLATE_NOOP("OAuth", "You can close this window."));
        Form form = CodeForm(m_provider, request.m_sCode, m_sRedirectUri, m_sVerifier);
        PostTokenForm(m_network, m_provider.m_sTokenUrl, form, [this](TokenReply reply) { OnTokens(reply); });
        WipeForm(form);
    }
}

void AuthorizationFlow::Impl::OnTokens(TokenReply& reply)
{
    if (!reply.m_bOk) {
        Fail(Say(QT_TRANSLATE_NOOP("OAuth", "the token endpoint refused the sign-in: %1"), {reply.m_sError}));
        return;
    }
    FlowResult result;
    result.m_tokens = TokensOf(reply, std::chrono::steady_clock::now());
    if (result.m_tokens.m_sRefresh.empty()) {
        result.m_tokens.Wipe();
        Fail(Say(QT_TRANSLATE_NOOP("OAuth",
                                   "the provider gave no refresh token (is offline access allowed for this client?)")));
        return;
    }
    result.m_bOk = true;
    Finish(std::move(result));
}

void AuthorizationFlow::Impl::Fail(std::string error)
{
    FlowResult result;
    result.m_sError = std::move(error);
    Finish(std::move(result));
}

// The result, once; the owner hears it from the event loop, where it may
// delete the flow.
void AuthorizationFlow::Impl::Finish(FlowResult result)
{
    if (m_bFinished) {
        result.m_tokens.Wipe();
        return;
    }
    m_bFinished = true;
    m_timer.stop();
    m_server.close();
    platform::SecureWipe(m_sVerifier);
    auto shared = std::make_shared<FlowResult>(std::move(result));
    QMetaObject::invokeMethod(
        &m_context,
        [this, shared] {
            if (m_fnDone)
                std::exchange(m_fnDone, nullptr)(std::move(*shared));
        },
        Qt::QueuedConnection);
}

AuthorizationFlow::AuthorizationFlow(Provider provider, OpenUrl openUrl, std::string loginHint)
    : m_p(std::make_unique<Impl>())
{
    m_p->m_provider = std::move(provider);
    m_p->m_fnOpen = std::move(openUrl);
    m_p->m_sLoginHint = std::move(loginHint);
}

AuthorizationFlow::~AuthorizationFlow()
{
    platform::SecureWipe(m_p->m_sVerifier);
    platform::SecureWipe(m_p->m_provider.m_sClientSecret);
}

void AuthorizationFlow::SetTimeout(std::chrono::milliseconds timeout)
{
    m_p->m_timeout = timeout;
}

void AuthorizationFlow::Start(std::function<void(FlowResult)> done)
{
    Impl& flow = *m_p;
    flow.m_fnDone = std::move(done);
    std::string error;
    if (!flow.Listen(error)) {
        flow.Fail(std::move(error));
        return;
    }
    QObject::connect(&flow.m_server, &QTcpServer::newConnection, &flow.m_context, [&flow] { flow.Accept(); });
    flow.m_timer.setSingleShot(true);
    QObject::connect(&flow.m_timer, &QTimer::timeout, &flow.m_context,
                     [&flow] { flow.Fail(TimedOut(flow.m_timeout)); });
    flow.m_timer.start(flow.m_timeout);
    if (!flow.m_fnOpen || !flow.m_fnOpen(flow.AuthorizeUrl()))
        flow.Fail(Say(QT_TRANSLATE_NOOP("OAuth", "cannot open the sign-in page in a browser")));
}

void AuthorizationFlow::Cancel()
{
    m_p->Fail(Say(QT_TRANSLATE_NOOP("OAuth", "sign-in cancelled")));
}

FlowResult AuthorizationFlow::Run()
{
    QEventLoop loop;
    FlowResult result;
    bool bDone = false;
    Start([&](FlowResult outcome) {
        result = std::move(outcome);
        bDone = true;
        loop.quit();
    });
    if (!bDone)
        loop.exec();
    return result;
}

}  // namespace oauth
