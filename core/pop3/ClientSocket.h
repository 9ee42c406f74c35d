#pragma once

#include "core/platform/Socket.h"
#include "core/platform/TlsStream.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The POP3 connection's socket: one TCP stream to the server. All bytes go
// through m_pStream: the socket itself, or after StartTls() a TLS stream
// over the same socket, without the reply reader noticing; or a stream a
// StreamSource made in place of the connection.
class CClientSocket {
public:
    using Clock = std::chrono::steady_clock;
    // A stream that stands in for the TCP connection, played in-process: it
    // also keeps the clock the reader's waits are measured on, so that its
    // silence costs no real time.
    class IStandIn : public platform::IByteStream {
    public:
        virtual Clock::time_point Now() const = 0;
    };
    // Makes the stream for each Connect; nullptr refuses the connection.
    using StreamSource = std::function<std::shared_ptr<IStandIn>(const std::string& host, uint16_t nPort)>;

    CClientSocket() = default;
    CClientSocket(const CClientSocket&) = delete;
    CClientSocket& operator=(const CClientSocket&) = delete;
    ~CClientSocket();

    // Every later Connect goes to `source` instead of TCP (empty: TCP).
    void SetStreamSource(StreamSource source) { m_source = std::move(source); }
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
    // Once TLS is on: see platform::TlsStream::ChannelBinding. False on a
    // plain connection.
    bool ChannelBinding(std::string& type, std::string& data) const
    {
        return m_pTls && m_pStream == m_pTls.get() && m_pTls->ChannelBinding(type, data);
    }
    // The whole buffer, or false.
    bool Send(const char* pData, size_t nLength) { return m_pStream->SendAll(pData, nLength); }
    bool Send(const std::string& text) { return Send(text.data(), text.size()); }
    // Bytes received, 0 when the server closed, -1 on error (never blocks).
    ssize_t Receive(char* pBuffer, size_t nLength) { return m_pStream->Receive(pBuffer, nLength); }
    platform::WaitResult WaitReadable(int nTimeoutMs);
    // The time the waits above are measured on.
    Clock::time_point Now() const { return m_pStandIn ? m_pStandIn->Now() : Clock::now(); }
    bool IsOpen() const { return m_pStandIn || m_sock.IsOpen(); }
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
    StreamSource m_source;
    std::shared_ptr<IStandIn> m_pStandIn;
    platform::IByteStream* m_pStream = &m_sock;
};
