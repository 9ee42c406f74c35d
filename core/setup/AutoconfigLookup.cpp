#include "AutoconfigLookup.h"

#include "core/platform/CoreText.h"
#include "core/setup/AutoconfigParser.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <utility>

AutoconfigLookup::AutoconfigLookup(QObject* parent)
    : QObject(parent),
      m_pNetwork(new QNetworkAccessManager(this)),
      m_pDeadline(new QTimer(this))
{
    m_pDeadline->setSingleShot(true);
    connect(m_pDeadline, &QTimer::timeout, this,
            [this] { Abort(core_text::SayUtf8("Setup", QT_TRANSLATE_NOOP("Setup", "no answer in time"))); });
}

QList<QUrl> AutoconfigLookup::UrlsFor(const QString& domain) const
{
    const QString path = QStringLiteral("/mail/config-v1.1.xml");
    if (!m_sBaseUrl.isEmpty()) {
        return {QUrl(m_sBaseUrl + "/autoconfig." + domain + path),
                QUrl(m_sBaseUrl + "/" + domain + "/.well-known/autoconfig" + path)};
    }
    return {QUrl("https://autoconfig." + domain + path), QUrl("https://" + domain + "/.well-known/autoconfig" + path)};
}

void AutoconfigLookup::Start(const std::string& local, const std::string& domain)
{
    Cancel();
    m_sLocal = local;
    m_sDomain = domain;
    m_setup = MailSetup();
    m_sProblem.clear();
    m_aUrls = UrlsFor(QString::fromStdString(domain));
    FetchNext();
}

void AutoconfigLookup::Cancel()
{
    m_pDeadline->stop();
    if (QNetworkReply* reply = std::exchange(m_pReply, nullptr)) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void AutoconfigLookup::FetchNext()
{
    const QUrl url = m_aUrls.takeFirst();
    QNetworkRequest request(url);
    request.setSslConfiguration(m_sslConfig);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setTransferTimeout(kFetchDeadlineMs);
    m_body.clear();
    m_sAbortReason.clear();
    m_pReply = m_pNetwork->get(request);
    connect(m_pReply, &QNetworkReply::readyRead, this, &AutoconfigLookup::OnReadyRead);
    connect(m_pReply, &QNetworkReply::redirected, this, &AutoconfigLookup::OnRedirected);
    connect(m_pReply, &QNetworkReply::finished, this, &AutoconfigLookup::OnReplyFinished);
    m_pDeadline->start(kFetchDeadlineMs);
}

void AutoconfigLookup::OnReadyRead()
{
    const qint64 declared = m_pReply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    m_body += m_pReply->read(autoconfig_parser::kMaxFileBytes + 1 - m_body.size());
    if (declared > autoconfig_parser::kMaxFileBytes || m_body.size() > autoconfig_parser::kMaxFileBytes)
        Abort(core_text::SayUtf8("Setup", QT_TRANSLATE_NOOP("Setup", "the file is too large")));
}

void AutoconfigLookup::OnRedirected(const QUrl& url)
{
    // Never off https: the settings decide where the password goes.
    if (url.scheme() == QLatin1String("https"))
        emit m_pReply->redirectAllowed();
    else
        Abort(core_text::SayUtf8("Setup", QT_TRANSLATE_NOOP("Setup", "redirected to an address that is not https")));
}

void AutoconfigLookup::Abort(const std::string& reason)
{
    if (m_pReply && m_sAbortReason.empty()) {
        m_sAbortReason = reason;
        m_pReply->abort();
    }
}

void AutoconfigLookup::OnReplyFinished()
{
    m_pDeadline->stop();
    QNetworkReply* reply = std::exchange(m_pReply, nullptr);
    reply->deleteLater();
    const QUrl url = reply->request().url();
    std::string reason = m_sAbortReason;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reason.empty() && status != 0 && status != 200)
        reason =
            core_text::SayUtf8("Setup", QT_TRANSLATE_NOOP("Setup", "the server answered %1"), {std::to_string(status)});
    if (reason.empty() && reply->error() != QNetworkReply::NoError)
        reason = reply->errorString().toStdString();
    if (reason.empty()) {
        m_body += reply->read(autoconfig_parser::kMaxFileBytes + 1 - m_body.size());
        if (autoconfig_parser::Parse(m_body, m_sLocal, m_sDomain, m_setup, &reason)) {
            emit Finished(true);
            return;
        }
    }
    if (!m_sProblem.empty())
        m_sProblem += "; ";
    m_sProblem += core_text::SayUtf8("Setup", QT_TRANSLATE_NOOP("Setup", "%1: %2"), {url.host().toStdString(), reason});
    if (!m_aUrls.isEmpty()) {
        FetchNext();
        return;
    }
    emit Finished(false);
}
