#include "ClientSocket.h"

#include "core/platform/CoreText.h"
#include "core/platform/LastError.h"

#include <cerrno>

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
    if (!m_source)
        return m_sock.Connect(host, nPort, platform::Socket::kConnectTimeoutMs);
    m_pStandIn = m_source(host, nPort);
    if (!m_pStandIn) {
        platform::SetLastError(ECONNREFUSED);
        return false;
    }
    m_pStream = m_pStandIn.get();
    return true;
}

bool CClientSocket::StartTls(const std::string& host, const std::string& pinnedFingerprint, std::string* psReason)
{
    if (m_pStandIn) {
        // TLS needs a real socket under it.
        if (psReason)
            *psReason = core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "TLS cannot run over this stream."));
        platform::SetLastError(platform::kErrProtocol);
        return false;
    }
    m_pTls = std::make_unique<platform::TlsStream>(m_sock);
    if (!m_pTls->Handshake(host, pinnedFingerprint, platform::TlsStream::kHandshakeTimeoutMs)) {
        if (psReason)
            *psReason = m_pTls->FailureReason();
        return false;
    }
    m_pStream = m_pTls.get();
    return true;
}

platform::WaitResult CClientSocket::WaitReadable(int nTimeoutMs)
{
    // A stand-in never blocks, so an Abort is seen between its waits.
    if (m_pStandIn && m_sock.IsWoken())
        return platform::WaitResult::kWoken;
    return m_pStream->WaitReadable(nTimeoutMs);
}

void CClientSocket::Close()
{
    m_pStream = &m_sock;
    m_pStandIn.reset();
    if (m_pTls) {
        if (m_sock.IsOpen())
            m_pTls->Shutdown();
        m_pTls.reset();
    }
    m_sock.Close();
}
