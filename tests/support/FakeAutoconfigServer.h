#pragma once

// A domain's autoconfig file served over HTTPS on a loopback port the
// system picks, with a certificate from the test's own CA: the setup tests'
// stand-in for autoconfig.<domain> and <domain>/.well-known.

#include "tests/support/ScratchDirectory.h"
#include "tests/support/TestCertificates.h"

#include <QFile>
#include <QMap>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QStringList>
#include <QTcpServer>

#include <string>

// A one-request-per-connection HTTPS server on a loopback port the system
// picks: each path answers with the bytes given, anything else with 404.
class HttpsServer : public QTcpServer {
public:
    QMap<QString, QByteArray> m_aResponses;
    QStringList m_asAsked;
    QSslCertificate m_cert;
    QSslKey m_key;

    static QByteArray Ok(const QByteArray& body)
    {
        return "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " + QByteArray::number(body.size())
            + "\r\nConnection: close\r\n\r\n" + body;
    }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        socket->setLocalCertificate(m_cert);
        socket->setPrivateKey(m_key);
        connect(socket, &QSslSocket::readyRead, socket, [this, socket] {
            QByteArray& request = m_aPending[socket];
            request += socket->readAll();
            if (!request.contains("\r\n\r\n"))
                return;
            const QString path = QString::fromLatin1(request.split(' ').value(1));
            m_asAsked << path;
            socket->write(m_aResponses.value(path,
                                             "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n"
                                             "Connection: close\r\n\r\n"));
            socket->disconnectFromHost();
        });
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        socket->startServerEncryption();
    }

private:
    QMap<QSslSocket*, QByteArray> m_aPending;
};

// The server, its certificates and the client's TLS settings that trust it.
struct FakeAutoconfigServer {
    ScratchDirectory m_dir;
    TestCertificates m_certificates;
    HttpsServer m_server;

    // Makes the certificates and listens; false with *psError on failure.
    bool Start(std::string* psError)
    {
        if (!m_certificates.Make(m_dir.path().toStdString(), "IP:127.0.0.1", psError))
            return false;
        m_server.m_cert = QSslCertificate::fromPath(QString::fromStdString(m_certificates.m_sCertFile)).value(0);
        QFile keyFile(QString::fromStdString(m_certificates.m_sKeyFile));
        if (!keyFile.open(QIODevice::ReadOnly))
            return false;
        m_server.m_key = QSslKey(keyFile.readAll(), QSsl::Ec);
        return !m_server.m_key.isNull() && m_server.listen(QHostAddress::LocalHost, 0);
    }
    QString BaseUrl() const { return QStringLiteral("https://127.0.0.1:%1").arg(m_server.serverPort()); }
    // TLS settings that trust the test's CA, or none at all.
    QSslConfiguration ClientConfig(bool bTrusted) const
    {
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setCaCertificates(bTrusted ? QSslCertificate::fromPath(QString::fromStdString(m_certificates.m_sCaFile))
                                          : QList<QSslCertificate>());
        return config;
    }
};
