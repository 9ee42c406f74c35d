#include "TlsStream.h"

#include "core/platform/CoreText.h"

#include "LastError.h"
#include "Trace.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kCaFileVariable = "MAVIX_TLS_CA_FILE";

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : left > 0x7fffffff ? 0x7fffffff : static_cast<int>(left);
}

std::string HexPairs(const unsigned char* pBytes, size_t nLength)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(nLength * 3);
    for (size_t i = 0; i < nLength; ++i) {
        if (i > 0)
            text += ':';
        text += kDigits[pBytes[i] >> 4];
        text += kDigits[pBytes[i] & 0x0f];
    }
    return text;
}

// SHA-256 over the certificate's DER encoding: what `openssl x509
// -fingerprint -sha256` and browsers show.
std::string Fingerprint(X509* pCert)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int nLength = 0;
    if (!pCert || X509_digest(pCert, EVP_sha256(), digest, &nLength) != 1)
        return {};
    return HexPairs(digest, nLength);
}

// The newest reason OpenSSL queued on this thread, then an empty queue.
std::string TakeOpenSslError()
{
    const unsigned long code = ERR_peek_last_error();
    const char* pszReason = code ? ERR_reason_error_string(code) : nullptr;
    std::string text = pszReason ? pszReason
        : code                   ? core_text::Say("Tls", QT_TRANSLATE_NOOP("Tls", "error %1"), {std::to_string(code)})
                                 : core_text::Say("Tls", QT_TRANSLATE_NOOP("Tls", "unknown error"));
    ERR_clear_error();
    return text;
}

// A BIO over the platform socket. OpenSSL's own socket BIO writes with
// write(2), which raises SIGPIPE on a connection the server has reset; this
// one sends with MSG_NOSIGNAL like the plain socket, and never blocks.
int SocketOf(BIO* pBio)
{
    const auto* pSocket = static_cast<const Socket*>(BIO_get_data(pBio));
    return pSocket ? pSocket->Handle() : -1;
}

int BioWrite(BIO* pBio, const char* pData, int nLength)
{
    BIO_clear_retry_flags(pBio);
    const int fd = SocketOf(pBio);
    if (fd < 0) {
        errno = EBADF;
        return -1;
    }
    ssize_t sent;
    do
        sent = ::send(fd, pData, static_cast<size_t>(nLength), MSG_NOSIGNAL | MSG_DONTWAIT);
    while (sent < 0 && errno == EINTR);
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        BIO_set_retry_write(pBio);
    return static_cast<int>(sent);
}

int BioRead(BIO* pBio, char* pBuffer, int nLength)
{
    BIO_clear_retry_flags(pBio);
    const int fd = SocketOf(pBio);
    if (fd < 0) {
        errno = EBADF;
        return -1;
    }
    ssize_t got;
    do
        got = ::recv(fd, pBuffer, static_cast<size_t>(nLength), MSG_DONTWAIT);
    while (got < 0 && errno == EINTR);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        BIO_set_retry_read(pBio);
    return static_cast<int>(got);
}

long BioCtrl(BIO*, int nCommand, long, void*)
{
    return nCommand == BIO_CTRL_FLUSH ? 1 : 0;  // nothing is buffered here
}

int BioCreate(BIO* pBio)
{
    BIO_set_init(pBio, 1);
    return 1;
}

const BIO_METHOD* SocketBioMethod()
{
    static BIO_METHOD* const pMethod = [] {
        BIO_METHOD* p = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "mavix socket");
        if (p) {
            BIO_meth_set_write(p, BioWrite);
            BIO_meth_set_read(p, BioRead);
            BIO_meth_set_ctrl(p, BioCtrl);
            BIO_meth_set_create(p, BioCreate);
        }
        return p;
    }();
    return pMethod;
}

int StreamIndex()
{
    static const int nIndex = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return nIndex;
}

// One client context for every connection: loading the system's trust store
// takes far longer than a handshake. It is made again only when the extra CA
// file named in the environment changes (tests do that).
struct ContextCache {
    std::mutex m_lock;
    SSL_CTX* m_pContext = nullptr;
    std::string m_sCaFile;
};

// A context with a reference for the caller, or nullptr with *psError set.
SSL_CTX* AcquireContext(std::string* psError)
{
    static ContextCache cache;
    const char* pszCaFile = std::getenv(kCaFileVariable);
    const std::string caFile = pszCaFile ? pszCaFile : "";

    std::lock_guard lock(cache.m_lock);
    if (cache.m_pContext && cache.m_sCaFile == caFile) {
        SSL_CTX_up_ref(cache.m_pContext);
        return cache.m_pContext;
    }
    ERR_clear_error();
    SSL_CTX* pContext = SSL_CTX_new(TLS_client_method());
    if (!pContext) {
        *psError = core_text::Say("Tls", QT_TRANSLATE_NOOP("Tls", "TLS is not available: %1."), {TakeOpenSslError()});
        return nullptr;
    }
    // RFC 8996 retires TLS 1.0 and 1.1.
    SSL_CTX_set_min_proto_version(pContext, TLS1_2_VERSION);
    SSL_CTX_set_options(pContext, SSL_OP_NO_COMPRESSION);
    SSL_CTX_set_verify(pContext, SSL_VERIFY_PEER, nullptr);
    if (SSL_CTX_set_default_verify_paths(pContext) != 1) {
        *psError =
            core_text::Say("Tls", QT_TRANSLATE_NOOP("Tls", "The system's trusted certificates cannot be loaded: %1."),
                           {TakeOpenSslError()});
        SSL_CTX_free(pContext);
        return nullptr;
    }
    if (!caFile.empty() && SSL_CTX_load_verify_locations(pContext, caFile.c_str(), nullptr) != 1) {
        *psError = core_text::Say("Tls", QT_TRANSLATE_NOOP("Tls", "The CA certificates in %1 (%2) cannot be read: %3."),
                                  {caFile, kCaFileVariable, TakeOpenSslError()});
        SSL_CTX_free(pContext);
        return nullptr;
    }
    ERR_clear_error();
    if (cache.m_pContext)
        SSL_CTX_free(cache.m_pContext);  // connections using it hold their own reference
    cache.m_pContext = pContext;
    cache.m_sCaFile = caFile;
    SSL_CTX_up_ref(pContext);
    return pContext;
}

bool IsIpLiteral(const std::string& host)
{
    unsigned char address[16];
    return ::inet_pton(AF_INET, host.c_str(), address) == 1 || ::inet_pton(AF_INET6, host.c_str(), address) == 1;
}

}  // namespace

std::string NormaliseFingerprint(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    const size_t last = text.find_last_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    unsigned char bytes[32];
    size_t nDigits = 0;
    for (size_t i = first; i <= last; ++i) {
        const char c = text[i];
        if (c == ':')
            continue;
        int value;
        if (c >= '0' && c <= '9')
            value = c - '0';
        else if (c >= 'a' && c <= 'f')
            value = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            value = c - 'A' + 10;
        else
            return {};
        if (nDigits == 64)
            return {};
        if (nDigits % 2 == 0)
            bytes[nDigits / 2] = static_cast<unsigned char>(value << 4);
        else
            bytes[nDigits / 2] |= static_cast<unsigned char>(value);
        ++nDigits;
    }
    return nDigits == 64 ? HexPairs(bytes, sizeof bytes) : std::string();
}

TlsStream::TlsStream(Socket& socket)
    : m_socket(socket)
{ }

TlsStream::~TlsStream()
{
    if (m_pSsl)
        SSL_free(m_pSsl);  // and its BIO
}

bool TlsStream::Fail(Failure failure, std::string detail, int nLastError)
{
    m_nFailure = failure;
    m_sFailureDetail = std::move(detail);
    m_bBroken = true;
    ERR_clear_error();
    SetLastError(nLastError);
    return false;
}

std::string TlsStream::FailureReason() const
{
    switch (m_nFailure) {
    case Failure::kNone:
        return {};
    case Failure::kSetup:
        return m_sFailureDetail;
    case Failure::kUntrusted:
        if (m_sPeerFingerprint.empty())
            return core_text::Say("Tls", QT_TRANSLATE_NOOP("Tls", "The server's certificate is not trusted: %1."),
                                  {m_sFailureDetail});
        return core_text::Say(
            "Tls",
            QT_TRANSLATE_NOOP(
                "Tls",
                "The server's certificate is not trusted: %1. Its SHA-256 fingerprint is %2; only if your provider "
                "confirms that fingerprint, store it with the account to trust this certificate."),
            {m_sFailureDetail, m_sPeerFingerprint});
    case Failure::kHandshake:
        return core_text::Say(
            "Tls",
            QT_TRANSLATE_NOOP("Tls",
                              "The TLS handshake with the server failed: %1. Check that the port suits the security "
                              "setting (implicit TLS usually on 995, STARTTLS on 110)."),
            {m_sFailureDetail});
    case Failure::kClosed:
        return core_text::Say(
            "Tls",
            QT_TRANSLATE_NOOP("Tls",
                              "The server closed the connection during the TLS handshake. Check that the port suits "
                              "the security setting (implicit TLS usually on 995, STARTTLS on 110)."));
    case Failure::kTimedOut:
        return core_text::Say(
            "Tls", QT_TRANSLATE_NOOP("Tls", "The server did not complete the TLS handshake within %1 seconds."),
            {std::to_string(kHandshakeTimeoutMs / 1000)});
    case Failure::kInterrupted:
        return core_text::Say("Tls", QT_TRANSLATE_NOOP("Tls", "The TLS handshake was interrupted."));
    case Failure::kSocket:
        return core_text::Say("Tls", QT_TRANSLATE_NOOP("Tls", "The connection failed during the TLS handshake: %1."),
                              {m_sFailureDetail});
    }
    return {};
}

int TlsStream::VerifyCallback(int nPreverifyOk, x509_store_ctx_st* pStore)
{
    auto* pSsl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(pStore, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* pSelf = pSsl ? static_cast<TlsStream*>(SSL_get_ex_data(pSsl, StreamIndex())) : nullptr;
    if (!pSelf)
        return nPreverifyOk;
    // The fingerprint the user needs is the leaf's, whichever certificate of
    // the chain the complaint is about.
    if (pSelf->m_sPeerFingerprint.empty())
        pSelf->m_sPeerFingerprint = Fingerprint(X509_STORE_CTX_get0_cert(pStore));
    if (nPreverifyOk)
        return 1;
    // The user has vouched for exactly this certificate: chain, name and
    // dates no longer matter.
    if (!pSelf->m_sPin.empty() && pSelf->m_sPin == pSelf->m_sPeerFingerprint) {
        pSelf->m_bTrustedByPin = true;
        return 1;
    }
    if (pSelf->m_nVerifyError == 0)
        pSelf->m_nVerifyError = X509_STORE_CTX_get_error(pStore);
    return 0;  // aborts the handshake with an alert; nothing is sent over it
}

WaitResult TlsStream::WaitFor(int nSslError, int nTimeoutMs)
{
    return nSslError == SSL_ERROR_WANT_WRITE ? m_socket.WaitWritable(nTimeoutMs) : m_socket.WaitReadable(nTimeoutMs);
}

bool TlsStream::Handshake(const std::string& host, const std::string& pinnedFingerprint, int nTimeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
    Reset(host);
    if (!Prepare(pinnedFingerprint) || !Negotiate(deadline))
        return false;
    // The callback has seen every complaint; this only guards against a
    // handshake that somehow ended without a certificate to judge.
    if (!SSL_get0_peer_certificate(m_pSsl) || (SSL_get_verify_result(m_pSsl) != X509_V_OK && !m_bTrustedByPin))
        return Fail(Failure::kUntrusted, core_text::Say("Tls", QT_TRANSLATE_NOOP("Tls", "it could not be verified")),
                    kErrProtocol);
    m_bReady = true;
    Trace("TLS with %s: %s, %s%s\n", m_sHost.c_str(), SSL_get_version(m_pSsl), SSL_get_cipher_name(m_pSsl),
          m_bTrustedByPin ? ", certificate trusted by its pinned fingerprint" : "");
    return true;
}

void TlsStream::Reset(const std::string& host)
{
    m_sHost = host;
    // A fully qualified name's trailing dot belongs neither in SNI (RFC 6066
    // §3) nor in the name compared with the certificate.
    if (m_sHost.size() > 1 && m_sHost.back() == '.')
        m_sHost.pop_back();
    if (m_pSsl) {
        SSL_free(m_pSsl);
        m_pSsl = nullptr;
    }
    m_bReady = m_bBroken = m_bReadStalled = m_bReadWantsWrite = m_bTrustedByPin = false;
    m_nFailure = Failure::kNone;
    m_nVerifyError = 0;
    m_sPeerFingerprint.clear();
    m_sPin.clear();
}

bool TlsStream::Prepare(const std::string& pinnedFingerprint)
{
    if (!pinnedFingerprint.empty()) {
        m_sPin = NormaliseFingerprint(pinnedFingerprint);
        if (m_sPin.empty())
            return Fail(Failure::kSetup,
                        core_text::Say("Tls",
                                       QT_TRANSLATE_NOOP("Tls",
                                                         "The certificate fingerprint stored with the account is not a "
                                                         "SHA-256 fingerprint (64 hex digits).")),
                        kErrInvalidArgument);
    }
    std::string error;
    SSL_CTX* pContext = AcquireContext(&error);
    if (!pContext)
        return Fail(Failure::kSetup, error, kErrProtocol);
    m_pSsl = SSL_new(pContext);
    SSL_CTX_free(pContext);  // the connection holds its own reference
    BIO* pBio = SocketBioMethod() ? BIO_new(SocketBioMethod()) : nullptr;
    if (!m_pSsl || !pBio) {
        if (pBio)
            BIO_free(pBio);
        return Fail(Failure::kSetup,
                    core_text::Say("Tls", QT_TRANSLATE_NOOP("Tls", "TLS is not available: %1."), {TakeOpenSslError()}),
                    kErrProtocol);
    }
    BIO_set_data(pBio, &m_socket);
    SSL_set_bio(m_pSsl, pBio, pBio);
    SSL_set_ex_data(m_pSsl, StreamIndex(), this);
    SSL_set_connect_state(m_pSsl);
    // Fewer reads per reply: everything the socket holds comes in at once.
    SSL_set_read_ahead(m_pSsl, 1);
    if (!NameHost())
        return Fail(
            Failure::kSetup,
            core_text::Say("Tls",
                           QT_TRANSLATE_NOOP("Tls", "The server name \"%1\" cannot be checked against a certificate."),
                           {m_sHost}),
            kErrInvalidArgument);
    SSL_set_verify(m_pSsl, SSL_VERIFY_PEER, &TlsStream::VerifyCallback);
    return true;
}

bool TlsStream::NameHost()
{
    // RFC 6125: the certificate must name the host we were asked to reach,
    // an address for an IP literal; no partial-label wildcards ("w*.example").
    X509_VERIFY_PARAM* pParam = SSL_get0_param(m_pSsl);
    X509_VERIFY_PARAM_set_hostflags(pParam, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    if (IsIpLiteral(m_sHost))
        return X509_VERIFY_PARAM_set1_ip_asc(pParam, m_sHost.c_str()) == 1;
    return !m_sHost.empty() && X509_VERIFY_PARAM_set1_host(pParam, m_sHost.c_str(), m_sHost.size()) == 1
        && SSL_set_tlsext_host_name(m_pSsl, m_sHost.c_str()) == 1;
}

bool TlsStream::Negotiate(std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        if (m_socket.IsWoken())
            return Fail(Failure::kInterrupted, {}, kErrInterrupted);
        ERR_clear_error();
        errno = 0;
        const int rc = SSL_connect(m_pSsl);
        if (rc == 1)
            return true;
        const int sslError = SSL_get_error(m_pSsl, rc);
        if (sslError == SSL_ERROR_WANT_READ || sslError == SSL_ERROR_WANT_WRITE) {
            switch (WaitFor(sslError, RemainingMs(deadline))) {
            case WaitResult::kReady:
                continue;
            case WaitResult::kTimedOut:
                return Fail(Failure::kTimedOut, {}, kErrTimedOut);
            case WaitResult::kWoken:
                return Fail(Failure::kInterrupted, {}, kErrInterrupted);
            case WaitResult::kFailed: {
                const int nError = GetLastError();
                return Fail(Failure::kSocket, std::strerror(nError), nError);
            }
            }
        }
        return FailNegotiation(sslError);
    }
}

bool TlsStream::FailNegotiation(int nSslError)
{
    if (m_nVerifyError != 0) {
        std::string detail = X509_verify_cert_error_string(m_nVerifyError);
        if (m_nVerifyError == X509_V_ERR_HOSTNAME_MISMATCH || m_nVerifyError == X509_V_ERR_IP_ADDRESS_MISMATCH)
            detail = core_text::Say("Tls", QT_TRANSLATE_NOOP("Tls", "%1 (it is not valid for %2)"), {detail, m_sHost});
        return Fail(Failure::kUntrusted, detail, kErrProtocol);
    }
    if (nSslError == SSL_ERROR_SYSCALL && errno != 0) {
        const int nError = errno;
        return Fail(Failure::kSocket, std::strerror(nError), nError);
    }
    const unsigned long code = ERR_peek_last_error();
    if (nSslError == SSL_ERROR_ZERO_RETURN || nSslError == SSL_ERROR_SYSCALL
        || (ERR_GET_LIB(code) == ERR_LIB_SSL && ERR_GET_REASON(code) == SSL_R_UNEXPECTED_EOF_WHILE_READING))
        return Fail(Failure::kClosed, {}, ECONNRESET);
    return Fail(Failure::kHandshake, TakeOpenSslError(), kErrProtocol);
}

bool TlsStream::ChannelBinding(std::string& type, std::string& data) const
{
    // RFC 9266 §2: 32 bytes exported with this label and no context.
    static constexpr char kExporterLabel[] = "EXPORTER-Channel-Binding";
    static constexpr size_t kExporterBytes = 32;
    // A Finished message's verify_data: 12 bytes for every TLS 1.2 suite
    // in use, never more than this.
    static constexpr size_t kMaxFinishedBytes = 64;
    if (!m_bReady || m_bBroken || !m_pSsl)
        return false;
    if (SSL_version(m_pSsl) >= TLS1_3_VERSION) {
        std::string out(kExporterBytes, '\0');
        if (SSL_export_keying_material(m_pSsl, reinterpret_cast<unsigned char*>(out.data()), out.size(), kExporterLabel,
                                       sizeof kExporterLabel - 1, nullptr, 0, 0)
            != 1)
            return false;
        type = "tls-exporter";
        data = std::move(out);
        return true;
    }
    // RFC 5929 §3.1: the first Finished message of the latest handshake:
    // the client's on a full handshake, the server's on a resumed one.
    unsigned char finished[kMaxFinishedBytes];
    const size_t nLength = SSL_session_reused(m_pSsl) ? SSL_get_peer_finished(m_pSsl, finished, sizeof finished)
                                                      : SSL_get_finished(m_pSsl, finished, sizeof finished);
    if (nLength == 0 || nLength > sizeof finished)
        return false;
    type = "tls-unique";
    data.assign(reinterpret_cast<const char*>(finished), nLength);
    return true;
}

bool TlsStream::SendAll(const char* pData, size_t nLength)
{
    // As for plain text: once woken, nothing new goes on the wire.
    if (m_socket.IsWoken()) {
        SetLastError(kErrInterrupted);
        return false;
    }
    if (!m_bReady || m_bBroken) {
        SetLastError(EPIPE);
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(Socket::kSendTimeoutMs);
    while (nLength > 0) {
        ERR_clear_error();
        errno = 0;
        size_t nWritten = 0;
        const int rc = SSL_write_ex(m_pSsl, pData, nLength, &nWritten);
        if (rc == 1) {
            pData += nWritten;
            nLength -= nWritten;
            continue;
        }
        const int sslError = SSL_get_error(m_pSsl, rc);
        if (sslError == SSL_ERROR_WANT_READ || sslError == SSL_ERROR_WANT_WRITE) {
            if (WaitFor(sslError, RemainingMs(deadline)) == WaitResult::kReady)
                continue;
            // An unfinished record cannot be completed with other data:
            // the stream is unusable from here on.
            m_bBroken = true;
            return false;
        }
        m_bBroken = true;
        const int nError = errno != 0 ? errno : EPIPE;
        Trace("TLS send failed: %s\n", TakeOpenSslError().c_str());
        SetLastError(nError);
        return false;
    }
    return true;
}

ssize_t TlsStream::Receive(char* pBuffer, size_t nLength)
{
    if (!m_bReady || m_bBroken) {
        SetLastError(ECONNRESET);
        return -1;
    }
    if (nLength == 0)
        return 0;
    ERR_clear_error();
    errno = 0;
    size_t nRead = 0;
    const int rc = SSL_read_ex(m_pSsl, pBuffer, nLength, &nRead);
    if (rc == 1) {
        m_bReadStalled = m_bReadWantsWrite = false;
        return static_cast<ssize_t>(nRead);
    }
    const int sslError = SSL_get_error(m_pSsl, rc);
    switch (sslError) {
    case SSL_ERROR_WANT_READ:
    case SSL_ERROR_WANT_WRITE:  // a post-handshake message wants an answer first
        m_bReadStalled = true;
        m_bReadWantsWrite = sslError == SSL_ERROR_WANT_WRITE;
        SetLastError(EAGAIN);
        return -1;
    case SSL_ERROR_ZERO_RETURN:  // close_notify
        m_bBroken = true;
        return 0;
    default: {
        // A close without close_notify is a close too: POP3's own framing
        // tells a whole reply from a cut one.
        const unsigned long code = ERR_peek_last_error();
        const bool bEof = (sslError == SSL_ERROR_SYSCALL && errno == 0)
            || (ERR_GET_LIB(code) == ERR_LIB_SSL && ERR_GET_REASON(code) == SSL_R_UNEXPECTED_EOF_WHILE_READING);
        m_bBroken = true;
        if (bEof) {
            ERR_clear_error();
            return 0;
        }
        const int nError = sslError == SSL_ERROR_SYSCALL && errno != 0 ? errno : EPROTO;
        Trace("TLS receive failed: %s\n", TakeOpenSslError().c_str());
        SetLastError(nError);
        return -1;
    }
    }
}

WaitResult TlsStream::WaitReadable(int nTimeoutMs)
{
    if (m_socket.IsWoken()) {
        SetLastError(kErrInterrupted);
        return WaitResult::kWoken;
    }
    if (!m_bReady || m_bBroken)
        return WaitResult::kReady;  // the receive reports the failure
    // Decrypted bytes, or (read-ahead) raw bytes that may hold a whole
    // record, are in OpenSSL's buffers where poll cannot see them. After a
    // read that wanted more, the raw bytes are known to be a partial record.
    if (SSL_pending(m_pSsl) > 0 || (!m_bReadStalled && SSL_has_pending(m_pSsl)))
        return WaitResult::kReady;
    return m_bReadWantsWrite ? m_socket.WaitWritable(nTimeoutMs) : m_socket.WaitReadable(nTimeoutMs);
}

void TlsStream::Shutdown()
{
    if (m_pSsl && m_bReady && !m_bBroken) {
        ERR_clear_error();
        SSL_shutdown(m_pSsl);  // one try; a full socket buffer just loses it
        ERR_clear_error();
    }
    m_bReady = false;
}

}  // namespace platform
