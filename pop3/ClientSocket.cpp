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
