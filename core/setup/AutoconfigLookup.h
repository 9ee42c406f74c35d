#pragma once

#include "core/setup/MailSetup.h"

#include <QList>
#include <QObject>
#include <QSslConfiguration>
#include <QUrl>
#include <string>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// Fetches a domain's autoconfig file over HTTPS, first from
// https://autoconfig.<domain>/mail/config-v1.1.xml, then from
// https://<domain>/.well-known/autoconfig/mail/config-v1.1.xml, and reads it
// with autoconfig_parser. Runs on the thread that owns it, asynchronously;
// only ever started by the user. The server's certificate is verified, a
// redirect is followed only to another https address, and each fetch is
// bounded in size and time.
class AutoconfigLookup : public QObject {
    Q_OBJECT
public:
    explicit AutoconfigLookup(QObject* parent = nullptr);

    // How long one address may take, connection included, before the next
    // is tried.
    static constexpr int kFetchDeadlineMs = 10000;
    // Redirects followed for one address.
    static constexpr int kMaxRedirects = 3;

    // Tests: an https base (such as a loopback server's) in place of the two
    // hosts; the addresses become <base>/autoconfig.<domain>/mail/... and
    // <base>/<domain>/.well-known/autoconfig/mail/...
    void SetBaseUrl(const QString& base) { m_sBaseUrl = base; }
    // Tests: the TLS settings the fetches use (a test's own CA).
    void SetSslConfiguration(const QSslConfiguration& config) { m_sslConfig = config; }

    // The addresses tried for `domain`, in order.
    QList<QUrl> UrlsFor(const QString& domain) const;

    // Looks up the settings for local@domain (as mail_setup::SplitAddress
    // gives them); a lookup still running is dropped without a signal.
    // Finished comes later, never from within Start.
    void Start(const std::string& local, const std::string& domain);
    // Drops the lookup running, if any, without a signal.
    void Cancel();
    bool IsRunning() const { return m_pReply != nullptr; }

    // After Finished(true): what was found.
    const MailSetup& Setup() const { return m_setup; }
    // After Finished(false): why, for the user (UTF-8), one reason per address.
    const std::string& Problem() const { return m_sProblem; }

signals:
    void Finished(bool bFound);

private:
    void FetchNext();
    void OnReadyRead();
    void OnRedirected(const QUrl& url);
    void OnReplyFinished();
    void Abort(const std::string& reason);

    QNetworkAccessManager* m_pNetwork;
    QNetworkReply* m_pReply = nullptr;
    QTimer* m_pDeadline;
    QString m_sBaseUrl;
    QSslConfiguration m_sslConfig = QSslConfiguration::defaultConfiguration();
    QList<QUrl> m_aUrls;  // still to try
    QByteArray m_body;
    std::string m_sAbortReason;
    std::string m_sLocal, m_sDomain;
    MailSetup m_setup;
    std::string m_sProblem;
};
