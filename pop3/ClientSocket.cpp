#include "ClientSocket.h"

CClientSocket::~CClientSocket()
{
    Close();
}

bool CClientSocket::Create()
{
    return m_sock.Create();
}

bool CClientSocket::Connect(const std::string& host, uint16_t nPort)
{
    return m_sock.Connect(host, nPort, platform::Socket::kConnectTimeoutMs);
}

bool CClientSocket::StartTls(const std::string& host, const std::string& pinnedFingerprint, std::string* psReason)
{
    m_pTls = std::make_unique<platform::TlsStream>(m_sock);
    if (!m_pTls->Handshake(host, pinnedFingerprint, platform::TlsStream::kHandshakeTimeoutMs)) {
        if (psReason)
            *psReason = m_pTls->FailureReason();
        return false;
    }
    m_pStream = m_pTls.get();
    return true;
}

void CClientSocket::Close()
{
    if (m_pTls) {
        if (m_sock.IsOpen())
            m_pTls->Shutdown();
        m_pStream = &m_sock;
        m_pTls.reset();
    }
    m_sock.Close();
}
