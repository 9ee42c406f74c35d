#pragma once

#include "platform/Socket.h"
#include "platform/TlsStream.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The POP3 connection's socket: one TCP stream to the server. All bytes go
// through m_pStream: the socket itself, or after StartTls() a TLS stream
// over the same socket, without the reply reader noticing.
class CClientSocket {
public:
    CClientSocket() = default;
    CClientSocket(const CClientSocket&) = delete;
    CClientSocket& operator=(const CClientSocket&) = delete;
    ~CClientSocket();

    // Readies the socket object; false with the system's error when it
    // cannot be had.
    bool Create();
    // Host look-up and connect, bounded at 30 s and abortable by Abort().
    bool Connect(const std::string& host, uint16_t nPort);
    // TLS from here on (RFC 8314 right after the connect, RFC 2595 after
    // STLS): the handshake, bounded and abortable like the connect. On
    // failure *psReason says why for the user, and the socket must be
    // closed: it is in no state for anything but that.
    bool StartTls(const std::string& host, const std::string& pinnedFingerprint, std::string* psReason);
    // The whole buffer, or false.
    bool Send(const char* pData, size_t nLength) { return m_pStream->SendAll(pData, nLength); }
    bool Send(const std::string& text) { return Send(text.data(), text.size()); }
    // Bytes received, 0 when the server closed, -1 on error (never blocks).
    ssize_t Receive(char* pBuffer, size_t nLength) { return m_pStream->Receive(pBuffer, nLength); }
    platform::WaitResult WaitReadable(int nTimeoutMs) { return m_pStream->WaitReadable(nTimeoutMs); }
    // Zero-wait poll: false when the socket is closed or broken.
    bool IsReadable(bool& bReadable) { return m_sock.PollReadable(bReadable); }
    bool IsOpen() const { return m_sock.IsOpen(); }
    void Shutdown() { m_sock.Shutdown(); }
    // Ends TLS (close_notify) when it is on, then closes the socket.
    void Close();

    // Thread-safe: ends the wait in progress on another thread, and every
    // later one, until ClearAbort().
    void Abort() { m_sock.Wake(); }
    void ClearAbort() { m_sock.ClearWake(); }
    bool IsAborted() const { return m_sock.IsWoken(); }

private:
    platform::Socket m_sock;
    std::unique_ptr<platform::TlsStream> m_pTls;
    platform::IByteStream* m_pStream = &m_sock;
};
