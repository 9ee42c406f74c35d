#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

struct addrinfo;

// The TCP client socket under the POP3 session, over POSIX sockets.
//
// Every wait (host look-up, connect, send, wait for data) also watches a
// wake-up descriptor, so another thread can end it at once with Wake(); the
// Stop button and program shutdown rely on that. A woken socket stays woken
// (every later wait fails at once) until ClearWake(), so a wake that lands
// between two commands is not lost.
namespace platform {

enum class WaitResult {
    kReady,     // the awaited condition holds (data readable, connected, ...)
    kTimedOut,  // the deadline passed first
    kWoken,     // Wake() was called
    kFailed,    // poll failed or the socket is closed; the last error says why
};

// What a reply reader needs from a byte stream. A TLS stream can implement
// the same over a connected Socket (WaitReadable then also reports data the
// TLS layer has already decrypted and buffered).
class IByteStream {
public:
    virtual ~IByteStream() = default;
    // Sends every byte or fails; never raises SIGPIPE.
    virtual bool SendAll(const char* pData, size_t nLength) = 0;
    // Bytes received (> 0), 0 when the peer closed, -1 on error or when no
    // data is ready (last error EAGAIN); never blocks.
    virtual ssize_t Receive(char* pBuffer, size_t nLength) = 0;
    // Waits until data can be received, at most nTimeoutMs (< 0: no limit).
    virtual WaitResult WaitReadable(int nTimeoutMs) = 0;
};

class Socket final : public IByteStream {
public:
    static constexpr int kConnectTimeoutMs = 30000;
    static constexpr int kSendTimeoutMs = 30000;

    Socket();
    ~Socket() override;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Readies the wake-up descriptor; false (errno in the last error) when
    // the system has none to give.
    bool Create();

    // Looks the host up (a name, a dotted IPv4 address or an IPv6 literal;
    // getaddrinfo) and connects to the first address that answers, the
    // look-up and every attempt sharing one budget of nTimeoutMs. A socket
    // open before is closed first. On failure the last error is
    // kErrInvalidArgument when nothing resolves, kErrTimedOut when the budget
    // ran out, kErrInterrupted when woken, otherwise the system's errno.
    bool Connect(const std::string& host, uint16_t nPort, int nTimeoutMs = kConnectTimeoutMs);

    bool IsOpen() const { return m_hSocket >= 0; }
    // The descriptor, -1 when closed; for a layer (TLS) that does its own
    // non-blocking I/O on it and waits through WaitReadable/WaitWritable.
    int Handle() const { return m_hSocket; }

    bool SendAll(const char* pData, size_t nLength) override;
    ssize_t Receive(char* pBuffer, size_t nLength) override;
    WaitResult WaitReadable(int nTimeoutMs) override;
    // Waits until a send can make progress, at most nTimeoutMs (< 0: no
    // limit). A TLS layer over the socket needs it mid-handshake.
    WaitResult WaitWritable(int nTimeoutMs);

    // Zero-wait poll. False when the socket is closed or the poll fails;
    // otherwise true with bReadable set when data (or the peer's close) is
    // waiting.
    bool PollReadable(bool& bReadable);

    // Ends the connection in both directions but keeps the descriptor, so a
    // read pending on it fails at once without any descriptor reuse race.
    void Shutdown();
    void Close();

    // Thread-safe. Makes the wait in progress on another thread and every
    // later wait, send or connect fail at once (kErrInterrupted) until
    // ClearWake().
    void Wake();
    void ClearWake();
    bool IsWoken() const { return m_bWoken.load(std::memory_order_acquire); }

private:
    // Polls for `events` on the socket beside the wake-up; nTimeoutMs < 0
    // waits without limit.
    WaitResult WaitFor(short nEvents, int nTimeoutMs);
    void DrainWake();

    // The steps of Connect, each within its deadline. The addresses of
    // `host` (*ppList, for the caller to free): a literal at once, a name
    // on a helper thread that the wait abandons when woken or out of time.
    using Clock = std::chrono::steady_clock;
    bool Resolve(const std::string& host, const std::string& service, Clock::time_point deadline, addrinfo** ppList);
    bool LookUpName(const std::string& host, const std::string& service, const addrinfo& hints,
                    Clock::time_point deadline, addrinfo** ppList);
    bool WaitForLookup(int hDone, Clock::time_point deadline);
    // One connect attempt: kNext when this address failed (lastError says
    // why), kStop when woken or out of time (the last error says which).
    enum class Attempt : uint8_t { kConnected, kNext, kStop };
    Attempt ConnectTo(const addrinfo& address, Clock::time_point deadline, int& lastError);

    int m_hSocket = -1;
    int m_hWake = -1;  // eventfd, for the socket object's whole life
    int m_nCreateError = 0;
    std::atomic<bool> m_bWoken{false};
};

}  // namespace platform
