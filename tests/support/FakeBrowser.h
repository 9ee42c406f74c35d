#pragma once

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpSocket>
#include <QUrl>
#include <QUrlQuery>

#include <memory>
#include <string>
#include <vector>

// Plays the user's browser in a sign-in: fetches the authorization page and
// sends the redirect it answers to the listener, `m_nCopies` times, with a
// forged state when asked; or never comes back at all.
struct FakeBrowser {
    int m_nCopies = 1;
    bool m_bForgeState = false;
    bool m_bSilent = false;
    QNetworkAccessManager m_network;
    std::vector<std::unique_ptr<QTcpSocket>> m_sockets;

    bool Open(const QUrl& url)
    {
        if (m_bSilent)
            return true;
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        QNetworkReply* reply = m_network.get(request);
        QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply] {
            reply->deleteLater();
            Follow(reply->header(QNetworkRequest::LocationHeader).toUrl());
        });
        return true;
    }
    bool Open(const std::string& url) { return Open(QUrl(QString::fromStdString(url))); }

    void Follow(QUrl location)
    {
        if (m_bForgeState) {
            QUrlQuery query(location);
            query.removeQueryItem("state");
            query.addQueryItem("state", "forged");
            location.setQuery(query);
        }
        const QByteArray request = "GET " + location.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority)
            + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        for (int i = 0; i < m_nCopies; ++i) {
            m_sockets.push_back(std::make_unique<QTcpSocket>());
            m_sockets.back()->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(location.port()));
            m_sockets.back()->write(request);
        }
    }
};
