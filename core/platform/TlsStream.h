#pragma once

#include "core/platform/Socket.h"

#include <chrono>
#include <string>

struct ssl_st;
struct x509_store_ctx_st;

// TLS (OpenSSL 3) over a connected, non-blocking platform::Socket: the
// client side of POP3S (RFC 8314) and of STLS (RFC 2595).
//
// The server's certificate must verify against the system's trust store
// (plus, when the environment variable MAVIX_TLS_CA_FILE names a PEM file,
// the CAs in it: for tests and for private CAs) and match the host name
// (RFC 6125; SNI is sent for names, RFC 6066 §3). A certificate whose
// SHA-256 fingerprint equals the pinned one is accepted even when it does
// not; nothing else turns verification off. TLS 1.2 is the least accepted.
//
// Every wait goes through the socket's, so Socket::Wake() from another thread
// ends a pending handshake, read or write at once, as it does for plain
// text. The stream is used by one thread at a time.
namespace platform {

// "AB:CD:...": the 32 bytes of a SHA-256 fingerprint as upper-case hex pairs
// joined by colons, from 64 hex digits with or without colons (blanks
// around them allowed); empty when the text is anything else.
std::string NormaliseFingerprint(const std::string& text);

class TlsStream final : public IByteStream {
public:
    static constexpr int kHandshakeTimeoutMs = 15000;

    // Why Handshake failed.
    enum class Failure {
        kNone,
        kSetup,      // no TLS context, a CA file that cannot be read, a malformed pin
        kUntrusted,  // the certificate does not verify (chain, name, dates) and is not pinned
        kHandshake,  // the TLS negotiation itself failed (protocol, alert, not TLS at all)
        kClosed,     // the server closed the connection during the handshake
        kTimedOut,
        kInterrupted,  // Wake()
        kSocket,       // the socket failed; the last error says why
    };

    explicit TlsStream(Socket& socket);
    ~TlsStream() override;
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    // The client handshake for `host` (a name, or an IP literal checked
    // against the certificate's IP addresses). pinnedFingerprint: empty, or
    // the fingerprint (any form NormaliseFingerprint takes) of a leaf
    // certificate to accept even when it does not verify. On failure the
    // last error is kErrProtocol (kErrTimedOut, kErrInterrupted or the
    // socket's error where those apply) and FailureReason() says why.
    bool Handshake(const std::string& host, const std::string& pinnedFingerprint, int nTimeoutMs = kHandshakeTimeoutMs);

    bool SendAll(const char* pData, size_t nLength) override;
    ssize_t Receive(char* pBuffer, size_t nLength) override;
    // Decrypted data already buffered counts as readable at once.
    WaitResult WaitReadable(int nTimeoutMs) override;

    // Sends close_notify without waiting for the server's (RFC 8446 §6.1
    // lets the initiator close at once); the socket stays as it is.
    void Shutdown();

    Failure GetFailure() const { return m_nFailure; }
    // A sentence for the user, empty after success.
    std::string FailureReason() const;
    // The leaf certificate's fingerprint as NormaliseFingerprint writes it,
    // once the server has shown one (also when it did not verify).
    const std::string& PeerFingerprint() const { return m_sPeerFingerprint; }
    // Accepted only because its fingerprint was pinned.
    bool TrustedByPin() const { return m_bTrustedByPin; }
    // After the handshake: the channel binding a SASL mechanism can tie its
    // log-in to this connection with: "tls-exporter" (RFC 9266) on TLS 1.3,
    // "tls-unique" (RFC 5929 §3) on TLS 1.2. False when neither can be had.
    bool ChannelBinding(std::string& type, std::string& data) const;

private:
    static int VerifyCallback(int nPreverifyOk, x509_store_ctx_st* pStore);
    bool Fail(Failure failure, std::string detail, int nLastError);
    // Waits for what OpenSSL asked for (SSL_ERROR_WANT_READ/WANT_WRITE).
    WaitResult WaitFor(int nSslError, int nTimeoutMs);
    // The steps of Handshake: forget the last one, set up the connection
    // object with the names the certificate must carry, run the exchange
    // until it ends or the deadline passes, and say why it failed.
    void Reset(const std::string& host);
    bool Prepare(const std::string& pinnedFingerprint);
    bool NameHost();
    bool Negotiate(std::chrono::steady_clock::time_point deadline);
    bool FailNegotiation(int nSslError);

    Socket& m_socket;
    ssl_st* m_pSsl = nullptr;
    bool m_bReady = false;        // handshake done
    bool m_bBroken = false;       // a fatal error: no further I/O (SSL_shutdown(3))
    bool m_bReadStalled = false;  // the last read wants socket data: buffered bytes are a partial record
    bool m_bReadWantsWrite = false;
    Failure m_nFailure = Failure::kNone;
    std::string m_sFailureDetail;
    std::string m_sHost;
    std::string m_sPin;
    std::string m_sPeerFingerprint;
    int m_nVerifyError = 0;  // the first X509_V_ERR_* the verification met
    bool m_bTrustedByPin = false;
};

}  // namespace platform
