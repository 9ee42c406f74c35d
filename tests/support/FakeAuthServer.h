#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpServer>

#include <map>
#include <string>

class QTcpSocket;

// An OAuth 2.0 authorization server on 127.0.0.1, in the test's thread and
// event loop. GET /authorize answers 302 to the redirect_uri with a code
// and the state; POST /token trades that code (checking the client, the
// redirect_uri and the PKCE S256 verifier against the challenge) or the
// current refresh token for JSON tokens. What it refused, and why, is kept
// for the test to read.
class FakeAuthServer {
public:
    FakeAuthServer();
    bool Start();
    std::string Url(const char* path) const;

    // Settings for the next answers.
    std::string m_sClientId = "mavix-test";
    int m_nExpiresIn = 3600;
    bool m_bRefuseCode = false;  // the code grant answers invalid_grant
    bool m_bRotate = false;      // a refresh hands out a new refresh token
    std::string m_sDenied;       // non-empty: /authorize redirects with this error

    // What happened.
    int m_nCodeGrants = 0, m_nRefreshes = 0;
    std::string m_sProblem;  // the last check that failed
    std::string m_sRefresh = "refresh-1";

private:
    void OnData(QTcpSocket* socket);
    QByteArray Authorize(const QString& query);
    QByteArray Token(const QByteArray& body);
    QByteArray Tokens();

    QTcpServer m_server;
    std::map<QTcpSocket*, QByteArray> m_buffers;
    std::string m_sCode, m_sChallenge, m_sRedirectUri;
    int m_nIssued = 0;
};
