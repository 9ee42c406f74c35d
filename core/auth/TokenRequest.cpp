#include "core/auth/TokenRequest.h"

#include "core/platform/CoreText.h"
#include "core/platform/Secrets.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace {

QByteArray FormBody(const oauth::Form& form)
{
    QByteArray body;
    for (const auto& [name, value] : form) {
        if (!body.isEmpty())
            body += '&';
        body += QUrl::toPercentEncoding(QString::fromStdString(name)) + '='
            + QUrl::toPercentEncoding(QString::fromStdString(value));
    }
    return body;
}

void AddClient(const oauth::Provider& provider, oauth::Form& form)
{
    form.emplace_back("client_id", provider.m_sClientId);
    if (!provider.m_sClientSecret.empty())
        form.emplace_back("client_secret", provider.m_sClientSecret);
}

// What a finished reply amounts to. The body was read as it came, within
// the cap.
oauth::TokenReply Outcome(QNetworkReply* reply, const QByteArray& body, bool bTooLong, bool bTimedOut)
{
    oauth::TokenReply result;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (bTimedOut)
        result.m_sError =
            core_text::SayUtf8("OAuth", QT_TRANSLATE_NOOP("OAuth", "no answer from the token endpoint in time"));
    else if (bTooLong)
        result.m_sError =
            core_text::SayUtf8("OAuth", QT_TRANSLATE_NOOP("OAuth", "the token endpoint's answer is too long"));
    else if (!status.isValid())
        result.m_sError = core_text::SayUtf8("OAuth", QT_TRANSLATE_NOOP("OAuth", "cannot reach the token endpoint: %1"),
                                             {reply->errorString().toStdString()});
    else
        result = oauth::ParseTokenReply(status.toInt(), std::string_view(body.constData(), body.size()));
    return result;
}

struct Pending {
    QByteArray m_body;
    bool m_bTooLong = false;
    bool m_bTimedOut = false;
};

}  // namespace

namespace oauth {

void Tokens::Wipe()
{
    platform::SecureWipe(m_sAccess);
    platform::SecureWipe(m_sRefresh);
}

Tokens TokensOf(TokenReply& reply, std::chrono::steady_clock::time_point now, const std::string& refresh)
{
    Tokens tokens;
    tokens.m_sAccess = std::move(reply.m_sAccess);
    tokens.m_sRefresh = reply.m_sRefresh.empty() ? refresh : std::move(reply.m_sRefresh);
    if (reply.m_nExpiresIn >= 0)
        tokens.m_expiry = now + std::chrono::seconds(reply.m_nExpiresIn);
    reply.Wipe();
    return tokens;
}

Form CodeForm(const Provider& provider, const std::string& code, const std::string& redirectUri,
              const std::string& verifier)
{
    Form form = {{"grant_type", "authorization_code"},
                 {"code", code},
                 {"redirect_uri", redirectUri},
                 {"code_verifier", verifier}};
    AddClient(provider, form);
    return form;
}

Form RefreshForm(const Provider& provider, const std::string& refreshToken)
{
    Form form = {{"grant_type", "refresh_token"}, {"refresh_token", refreshToken}};
    AddClient(provider, form);
    return form;
}

void WipeForm(Form& form)
{
    for (auto& field : form)
        platform::SecureWipe(field.second);
    form.clear();
}

bool EndpointAllowed(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    const QHostAddress address(url.host());
    return url.scheme() == QLatin1String("http")
        && (address.isLoopback() || url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0);
}

void PostTokenForm(QNetworkAccessManager& network, const std::string& tokenUrl, const Form& form,
                   std::function<void(TokenReply)> done, std::chrono::milliseconds deadline)
{
    const QUrl url(QString::fromStdString(tokenUrl));
    if (!EndpointAllowed(url)) {
        TokenReply refused;
        refused.m_sError =
            core_text::SayUtf8("OAuth", QT_TRANSLATE_NOOP("OAuth", "the token endpoint must be an https:// address"));
        done(std::move(refused));
        return;
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("Accept", "application/json");
    // A token endpoint answers itself; a redirect would carry the form on.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply = network.post(request, FormBody(form));
    auto pending = std::make_shared<Pending>();
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, reply, [reply, pending] {
        pending->m_bTimedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, pending] {
        pending->m_body += reply->read(static_cast<qint64>(kTokenReplyMaxBytes) + 1 - pending->m_body.size());
        if (pending->m_body.size() > static_cast<qsizetype>(kTokenReplyMaxBytes)) {
            pending->m_bTooLong = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, pending, done = std::move(done)] {
        if (!pending->m_bTooLong && !pending->m_bTimedOut)
            pending->m_body += reply->read(static_cast<qint64>(kTokenReplyMaxBytes) + 1 - pending->m_body.size());
        const bool bTooLong =
            pending->m_bTooLong || pending->m_body.size() > static_cast<qsizetype>(kTokenReplyMaxBytes);
        TokenReply result = Outcome(reply, pending->m_body, bTooLong, pending->m_bTimedOut);
        pending->m_body.fill('\0');
        reply->deleteLater();
        done(std::move(result));
    });
    timer->start(deadline);
}

TokenReply RequestToken(const std::string& tokenUrl, const Form& form, std::chrono::milliseconds deadline)
{
    // The loop first: on a thread Qt did not start it gives the thread the
    // event dispatcher the network classes need.
    QEventLoop loop;
    QNetworkAccessManager network;
    TokenReply result;
    bool bDone = false;
    PostTokenForm(
        network, tokenUrl, form,
        [&](TokenReply reply) {
            result = std::move(reply);
            bDone = true;
            loop.quit();
        },
        deadline);
    if (!bDone)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return result;
}

}  // namespace oauth
