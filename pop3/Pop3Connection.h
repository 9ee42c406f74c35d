#pragma once

#include "pop3/ClientSocket.h"
#include "pop3/Pop3Message.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// One POP3 session (RFC 1939) over one TCP connection: USER/PASS log-in,
// STAT, LIST, UIDL, TOP n 0, DELE, RSET, NOOP, QUIT; in plain text, over TLS
// from the start (RFC 8314) or after STLS (RFC 2595), as SetSecurity says.
//
// Every command and its reply run under one lock, so threads that share the
// connection never interleave on the wire or in its state. Quit() may be
// called from any thread: it first wakes a read (or connect) pending on
// another thread, which then fails at once, and then ends the session.
//
// Failures return false and leave the reason in platform::GetLastError()
// (kErrTimedOut after m_dwReadTimeout ms of silence, kErrProtocol for a
// reply that is not "+OK", kErrInvalidArgument for a host that does not
// resolve, kErrInterrupted for a read woken by Quit, otherwise the system's
// errno) and, for failed replies, the reply text in GetLastReply(). A log-in
// that fails for a reason of our own (TLS, a server without STLS) also says
// why in GetFailureReason().
class CPop3Connection {
public:
    // How a session is secured. A session that cannot be secured as asked
    // fails; nothing ever falls back to plain text.
    enum class Security {
        kNone = 0,         // plain text (RFC 1939)
        kStls = 1,         // STLS after the greeting (RFC 2595 §4)
        kImplicitTls = 2,  // TLS from the first byte (RFC 8314), usually port 995
    };

    static constexpr size_t kMaxCredentialLength = 120;         // "USER %s\r\n" in 128 bytes
    static constexpr size_t kMaxReplyBytes = size_t{64} << 20;  // a reply longer than this fails
    static constexpr size_t kMaxUidLength = 70;                 // RFC 1939 §7

    // The heap buffer a reply moves into once it outgrows the caller's own;
    // size() is the reader's capacity. Empty until the reader grows.
    using GrownBuffer = std::vector<char>;

    CPop3Connection();
    virtual ~CPop3Connection();
    CPop3Connection(const CPop3Connection&) = delete;
    CPop3Connection& operator=(const CPop3Connection&) = delete;

    // Opens a session: greeting, USER, PASS. An open session is quit first.
    // A user name or password longer than 120 characters or holding CR, LF
    // or NUL is refused before anything is sent.
    bool Login(const std::string& host, const std::string& user, const std::string& password, int port);
    // Sends QUIT (the server then removes the messages marked deleted, RFC
    // 1939 §6) and closes. True when the reply was positive. Any thread.
    bool Quit();
    // Closes the connection without QUIT. RFC 1939 §6: a session that ends
    // any other way than by QUIT never enters the UPDATE state, so the
    // server removes nothing that was marked deleted. Any thread.
    void Drop();
    bool IsConnected();
    std::string GetLastReply() const;

    // For every later Login: the security, and the SHA-256 fingerprint of a
    // server certificate to accept even when it does not verify (empty:
    // none; see platform::TlsStream).
    void SetSecurity(Security mode, const std::string& pinnedFingerprint);
    // The settings' text: "0", "1" or "2" (blanks around it allowed; empty
    // reads as "0"). False for anything else: an unknown mode must never be
    // taken for plain text.
    static bool ParseSecurity(const std::string& text, Security& mode);
    // Why the last Login failed, for the user, when the reason is ours
    // rather than a server reply: the TLS handshake or the certificate, a
    // server that does not offer or refuses STLS. Empty otherwise.
    std::string GetFailureReason() const;

    bool Stat(int& count, int& size);
    bool List();
    bool Uidl();
    // False when n has no element in the listing.
    bool GetSize(int n, uint32_t& size);
    bool GetUidl(int n, std::string& uidl);
    // TOP n 0: the header block of message n.
    bool Top(int n, CPop3Message& message);
    bool Dele(int n);
    bool Rset();
    bool Noop();

    // The readers, in slot order; every command reaches its reader, and
    // every reader the raw ReadReply, through these slots.
    virtual bool ReadStatReply(int& count, int& size);
    virtual bool ReadCommandReply();
    virtual bool ReadListReply(int count);
    virtual bool ReadUidlReply(int count);
    virtual bool ReadMessageReply(CPop3Message& message, uint32_t size);
    // Reads one reply ending in pszTerminator into pBuffer (nSize bytes);
    // when it fills up, the text moves into `grown`, which grows by nGrowBy
    // bytes at a time. The text (NUL-terminated, terminator cut off) is in
    // grown.data() when grown is not empty, else in pBuffer. True when it
    // begins with "+OK" in any case.
    virtual bool ReadReply(char* pBuffer, size_t nSize, const char* pszTerminator, GrownBuffer& grown,
                           size_t nGrowBy);

protected:
    void SetLastReply(std::string text);
    void SetFailureReason(std::string text);

    // Silence, in milliseconds since the last data arrived, after which a
    // read fails with kErrTimedOut. Derived classes may change it.
    uint32_t m_dwReadTimeout = 2000;
    // The same for the reply to PASS only. Servers hold back a failed
    // log-in's answer on purpose (Dovecot about 2 s, longer after repeated
    // failures from one address), and that answer is the one reply whose
    // text the user needs to see.
    uint32_t m_dwAuthReadTimeout = 20000;

private:
    // Each needs m_lock held.
    bool QuitSession();
    bool EnsureStat();
    bool SendCommand(const std::string& command, const char* pszName);
    // CAPA (RFC 2449). True when a reply came: *pbStls tells whether it
    // lists STLS (a negative reply lists nothing). False when none came.
    bool ReadCapabilities(bool* pbStls);
    // Parses a LIST or UIDL listing (the text after the status line) into
    // m_aSizes or m_aUidls.
    void ParseSizes(const char* pText);
    // LIST and UIDL replies alike: read the listing, check its status, parse.
    bool ReadListing(int count, const char* pszName, void (CPop3Connection::*parse)(const char*));
    void ParseUidls(const char* pText);
    // The largest message number a listing may hold: its line count plus
    // the messages marked deleted before it was taken.
    size_t ListingBound(const char* pText) const;

    std::recursive_mutex m_lock;
    mutable std::mutex m_replyLock;  // guards m_sLastReply and m_sFailureReason only

    CClientSocket m_socket;
    int m_nMailCount = 0;
    bool m_bHaveList = false;
    bool m_bHaveStat = false;
    bool m_bHaveUidl = false;
    std::vector<std::optional<uint32_t>> m_aSizes;  // element n - 1 belongs to message n
    std::vector<std::string> m_aUidls;              // empty: no id for that number
    std::atomic<bool> m_bConnected{false};
    std::string m_sLastReply;
    std::string m_sFailureReason;  // m_replyLock
    Security m_nSecurity = Security::kNone;
    std::string m_sPinnedFingerprint;
    int m_nDeleted = 0;  // DELE accepted in this session
    bool m_bAuthReply = false;  // the reply being read answers PASS
};
