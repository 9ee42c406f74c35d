#include "FakeAuthServer.h"

#include <QCryptographicHash>
#include <QTcpSocket>
#include <QUrl>
#include <QUrlQuery>

namespace {

QByteArray Reply(const char* status, const QByteArray& headers, const QByteArray& body)
{
    return QByteArray("HTTP/1.1 ") + status + "\r\n" + headers + "Content-Length: " + QByteArray::number(body.size())
        + "\r\nConnection: close\r\n\r\n" + body;
}

QByteArray Json(const char* status, const QByteArray& body)
{
    return Reply(status, "Content-Type: application/json\r\n", body);
}

std::string Value(const QUrlQuery& query, const char* name)
{
    return query.queryItemValue(name, QUrl::FullyDecoded).toStdString();
}

}  // namespace

FakeAuthServer::FakeAuthServer()
{
    QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection())
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { OnData(socket); });
    });
}

bool FakeAuthServer::Start()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

std::string FakeAuthServer::Url(const char* path) const
{
    return "http://127.0.0.1:" + std::to_string(m_server.serverPort()) + path;
}

void FakeAuthServer::OnData(QTcpSocket* socket)
{
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QByteArray head = buffer.left(end);
    qsizetype length = 0;
    for (const QByteArray& line : head.split('\n'))
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
    if (buffer.size() < end + 4 + length)
        return;
    const QByteArray body = buffer.mid(end + 4, length);
    const QList<QByteArray> request = head.left(head.indexOf("\r\n")).split(' ');
    const QUrl target(QString::fromLatin1(request.value(1)));
    QByteArray answer;
    if (request.value(0) == "GET" && target.path() == "/authorize")
        answer = Authorize(target.query(QUrl::FullyEncoded));
    else if (request.value(0) == "POST" && target.path() == "/token")
        answer = Token(body);
    else
        answer = Reply("404 Not Found", {}, {});
    m_buffers.erase(socket);
    socket->write(answer);
    socket->disconnectFromHost();
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

QByteArray FakeAuthServer::Authorize(const QString& text)
{
    const QUrlQuery query(text);
    m_sChallenge = Value(query, "code_challenge");
    m_sRedirectUri = Value(query, "redirect_uri");
    if (Value(query, "client_id") != m_sClientId || Value(query, "code_challenge_method") != "S256"
        || Value(query, "response_type") != "code")
        m_sProblem = "authorize: client, challenge method or response type";
    m_sCode = "code-" + std::to_string(++m_nIssued);
    QUrlQuery back;
    if (m_sDenied.empty()) {
        back.addQueryItem("code", QString::fromStdString(m_sCode));
    } else {
        back.addQueryItem("error", QString::fromStdString(m_sDenied));
        back.addQueryItem("error_description", "The user said no");
    }
    back.addQueryItem("state", query.queryItemValue("state", QUrl::FullyDecoded));
    QUrl location(QString::fromStdString(m_sRedirectUri));
    location.setQuery(back);
    return Reply("302 Found", "Location: " + location.toEncoded() + "\r\n", {});
}

QByteArray FakeAuthServer::Token(const QByteArray& body)
{
    const QUrlQuery form(QString::fromLatin1(body));
    if (Value(form, "client_id") != m_sClientId) {
        m_sProblem = "token: client_id";
        return Json("401 Unauthorized", R"({"error":"invalid_client"})");
    }
    const std::string grant = Value(form, "grant_type");
    if (grant == "refresh_token") {
        if (Value(form, "refresh_token") != m_sRefresh) {
            m_sProblem = "token: refresh token";
            return Json("400 Bad Request", R"({"error":"invalid_grant"})");
        }
        ++m_nRefreshes;
        if (m_bRotate)
            m_sRefresh = "refresh-" + std::to_string(m_nRefreshes + 1);
        return Tokens();
    }
    const QByteArray challenge =
        QCryptographicHash::hash(QByteArray::fromStdString(Value(form, "code_verifier")), QCryptographicHash::Sha256)
            .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    if (grant != "authorization_code" || Value(form, "code") != m_sCode || challenge.toStdString() != m_sChallenge
        || Value(form, "redirect_uri") != m_sRedirectUri)
        m_sProblem = "token: grant, code, verifier or redirect_uri";
    if (m_bRefuseCode || !m_sProblem.empty())
        return Json("400 Bad Request", R"({"error":"invalid_grant","error_description":"Bad code"})");
    ++m_nCodeGrants;
    m_sCode.clear();  // a code is good once
    return Tokens();
}

QByteArray FakeAuthServer::Tokens()
{
    const int serial = m_nCodeGrants + m_nRefreshes;
    return Json("200 OK",
                "{\"access_token\":\"access-" + QByteArray::number(serial)
                    + "\",\"token_type\":\"Bearer\","
                      "\"expires_in\":"
                    + QByteArray::number(m_nExpiresIn) + ",\"refresh_token\":\"" + QByteArray::fromStdString(m_sRefresh)
                    + "\"}");
}
