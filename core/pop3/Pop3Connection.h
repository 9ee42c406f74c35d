#pragma once

#include "core/pop3/Authentication.h"
#include "core/pop3/ClientSocket.h"
#include "core/pop3/Pop3Message.h"
#include "core/pop3/Pop3Replies.h"
#include "core/pop3/ReplyReader.h"

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// One POP3 session (RFC 1939) over one TCP connection: a log-in by
// USER/PASS, APOP or SASL (RFC 5034; see SetAuthentication), STAT, LIST,
// UIDL, TOP n 0, DELE, RSET, NOOP, QUIT; in plain text, over TLS
// from the start (RFC 8314) or after STLS (RFC 2595), as SetSecurity says.
// One table (Row) says for every command what goes on the wire and how its
// reply is read; pop3::ReplyReader reads the replies within their waits,
// Pop3Login runs the log-in over the commands, and the replies are parsed
// by the pure functions of Pop3Replies.h.
//
// Replies pair with commands only while every reply is read whole and in
// order. Any failed read (silence, the reply's deadline, the reply cap, a
// lost connection, a status line that is neither +OK nor -ERR) and any byte
// the server sends unasked break that pairing for good: the session is then
// "broken". A broken session is closed at once without QUIT, so the server
// never enters its UPDATE state and deletes nothing (RFC 1939 §6), and every
// later command fails without reaching the wire. BreakReason() says what
// happened, at which command.
//
// With a server that lists PIPELINING (RFC 2449 §6.6) commands may be sent
// ahead of their replies: QueueTop, QueueUidlOf and QueueDele add a command
// to the batch, SendQueued sends the batch in one write, and ReadTop,
// ReadUidlOf and ReadDele read the replies strictly in the order the
// commands were queued. Bytes waiting before a batch is sent on a session
// with no reply outstanding still break it. Top, UidlOf and Dele are the
// same three steps for one command. Every other command waits until no
// reply is outstanding.
//
// Commands run on one thread at a time (the engine's workers take turns);
// every command and its reply run under one lock. Abort() may be called from
// any thread: it makes the wait in progress, and every later one, fail at
// once until the session is ended.
//
// Failures return false and leave the reason in platform::GetLastError()
// (kErrTimedOut for silence or a missed deadline, kErrProtocol for a -ERR
// reply, kErrInvalidArgument for a host that does not resolve,
// kErrInterrupted for a read woken by Abort, otherwise the system's errno)
// and, for -ERR replies, the reply text in GetLastReply().
class CPop3Connection {
public:
    // How a session is secured. A session that cannot be secured as asked
    // fails; nothing ever falls back to plain text.
    enum class Security {
        kNone = 0,         // plain text (RFC 1939)
        kStls = 1,         // STLS after the greeting (RFC 2595 §4)
        kImplicitTls = 2,  // TLS from the first byte (RFC 8314), usually port 995
    };

    // The silence the user lets a server keep within a reply (the
    // preference "Wait for the server up to N seconds"). Busy providers,
    // slow links and a loaded client pause for seconds in mid-scan; a limit
    // of 2 s ended 3 of 5 scans of 20,000 messages on a busy machine.
    static constexpr uint32_t kDefaultSilenceMs = 30000;
    // What a reply may take past its first byte: one line, or a header
    // block (listings get the block's plus kListingUsPerEntry per message).
    static constexpr uint32_t kLineTransferMs = 10000;
    static constexpr uint32_t kBlockTransferMs = 60000;
    // QUIT after DELEs: RFC 1939 §6, the server removes the marked messages
    // before it answers. Dovecot took over 2 s to expunge 20,000; 2 ms each
    // on top of the silence limit leaves room for slow disks and for mbox
    // files rewritten whole.
    static constexpr uint32_t kQuitMsPerMarked = 2;
    static constexpr uint32_t kReportSilenceAfterMs = pop3::ReplyReader::kReportSilenceAfterMs;

    // How long the reader waits, in milliseconds. Silence counts from the
    // last byte received (or from the command, for the first byte); the
    // deadline from the command, however fast the bytes trickle in.
    struct Timing {
        // Every reply but those below.
        uint32_t m_nSilenceMs = kDefaultSilenceMs;
        // The first byte of the greeting, the reply to PASS and the replies
        // to STAT, LIST and UIDL: their work grows with the mailbox (a
        // server indexes new mail on the first STAT), and servers hold back
        // a failed log-in's answer on purpose.
        uint32_t m_nSlowReplyMs = 30000;
        // A single-line reply, whole.
        uint32_t m_nLineDeadlineMs = kDefaultSilenceMs + kLineTransferMs;
        // A header block (TOP), whole; listings get this plus kListingUsPerEntry
        // per message.
        uint32_t m_nBlockDeadlineMs = kDefaultSilenceMs + kBlockTransferMs;

        // The timing for a silence limit of `ms`: the slow replies may be
        // silent as long, and every deadline leaves the transfer its time
        // after a first byte that came at the last moment.
        static Timing ForSilence(uint32_t ms);
    };
    // The wait for QUIT's first byte after `nMarked` DELEs were accepted in
    // the session (its deadline grows by as much).
    static uint64_t QuitWaitMs(const Timing& timing, int nMarked);

    static constexpr size_t kMaxCredentialLength = 120;  // "USER %s\r\n" in 128 bytes
    // A reply longer than this, or a status line without CR LF as long,
    // breaks the session (see pop3::ReplyReader).
    static constexpr size_t kMaxReplyBytes = pop3::ReplyReader::kMaxReplyBytes;
    static constexpr size_t kMaxStatusLine = pop3::ReplyReader::kMaxStatusLine;
    // The header block text kept of one TOP reply; the rest is read and
    // dropped, so a huge header costs time, never memory.
    static constexpr size_t kMaxHeaderBytes = size_t{256} << 10;
    static constexpr size_t kMaxUidLength = 70;  // RFC 1939 §7
    // The text kept of one "TOP n L" reply for a preview: far more than the
    // lines any preview asks for hold in honest mail; the rest is read and
    // dropped (preview::kMaxMessageBytes reads no more).
    static constexpr size_t kMaxPreviewBytes = size_t{1} << 20;
    // Listing deadline per message: a 1,000,000-message listing gets 160 s.
    static constexpr uint32_t kListingUsPerEntry = 100;

    CPop3Connection();
    virtual ~CPop3Connection();
    CPop3Connection(const CPop3Connection&) = delete;
    CPop3Connection& operator=(const CPop3Connection&) = delete;

    // Why the last Login failed, in our own words; the server's text, when
    // it gave one, travels beside it (GetFailureReason).
    enum class LoginFailure {
        kNone,               // logged in, or the server could not be reached at all
        kCredentials,        // unsendable user name or password: nothing was sent
        kConnectionRefused,  // a negative greeting; the server's line follows
        kLoginRefused,       // USER or PASS refused; the server's line follows
        kNoStls,             // STLS asked for, not offered
        kStlsRefused,        // STLS refused; the server's line follows
        kStlsTampered,       // bytes after the STLS answer, before TLS
        kTls,                // the TLS layer's reason follows
        kBroken,             // the session broke; BreakReason() follows
        kUnreachable,        // the host resolved but refused or could not be reached; why follows
        kNotOffered,         // a fixed log-in method the server lacks; it and what is offered follow
        kServerNotVerified,  // SCRAM: the server could not prove it knows the password
        kNoToken,            // no OAuth access token could be had; why follows
        kAuthFailed,         // the SASL exchange could not go on; why follows
    };
    // Our words for a failure, in English and marked for translation; for
    // those marked above, %1 stands for the server's or the TLS layer's text
    // that completes the sentence (for some, the whole of it).
    static const char* LoginFailureText(LoginFailure failure);
    // That sentence in the user's language, the detail filled in.
    static std::string LoginFailureReason(LoginFailure failure, const std::string& detail);
    // Bounds on a SASL exchange (RFC 5034 §4), which the server drives:
    // SCRAM takes two challenges, LOGIN three; more rounds than this is a
    // server that never ends it.
    static constexpr int kMaxSaslRounds = 8;
    // A challenge's base64 text: SCRAM's server-first message and an OAuth
    // error's JSON are a few hundred bytes.
    static constexpr size_t kMaxChallengeBytes = 4096;
    // An OAuth access token: Google's are about 200 bytes, Microsoft's JWTs
    // a few KiB; longer is no token a provider issues.
    static constexpr size_t kMaxTokenLength = 16384;
    // RFC 5034 §4: an AUTH command with its initial response fits here.
    static constexpr size_t kMaxAuthLine = 255;

    // Opens a session: greeting, USER, PASS. An open session is quit first.
    // A user name or password longer than 120 characters or holding CR, LF
    // or NUL is refused before anything is sent. On failure
    // GetFailureReason() says why for the user ("Connection refused on port
    // 110", ...), except when the host name does not resolve, the port is
    // no port, or the connect was stopped (empty: "Server Not Found").
    bool Login(const std::string& host, const std::string& user, const std::string& password, int port);
    // Sends QUIT (the server then removes the messages marked deleted, RFC
    // 1939 §6) and closes. True when the reply was positive. A broken
    // session is only closed: false.
    bool Quit();
    // Closes the connection without QUIT. RFC 1939 §6: a session that ends
    // any other way than by QUIT never enters the UPDATE state, so the
    // server removes nothing that was marked deleted.
    void Drop();
    // Any thread: ends the wait in progress and makes every later one fail
    // at once, until the next Login (or ClearAbort, see KeepAbortOnLogin).
    void Abort();
    // With bKeep, Login no longer clears an Abort: the owner calls
    // ClearAbort itself, under the lock that orders it with its own stop
    // flag, so a stop that lands just before a log-in still ends it.
    void KeepAbortOnLogin(bool bKeep) { m_bKeepAbort = bKeep; }
    void ClearAbort();
    // Whether the last Quit put QUIT on the wire: from then on the server
    // may remove the marked messages (RFC 1939 §6), whatever its reply.
    bool QuitSent() const;
    // True while a session is open and not broken. Never waits.
    bool IsConnected() const;
    // Without sending anything: true when the session is open, the server
    // has not closed it and nothing unread waits. Otherwise the session is
    // closed (without QUIT) and false.
    bool IsIdleAndOpen();
    // Was the last session broken (replies out of step), and why.
    bool IsBroken() const;
    std::string BreakReason() const;
    std::string GetLastReply() const;

    // For every later Login: the security, and the SHA-256 fingerprint of a
    // server certificate to accept even when it does not verify (empty:
    // none; see platform::TlsStream).
    void SetSecurity(Security mode, const std::string& pinnedFingerprint);
    // For every later Login: how to authenticate, and where the access
    // token of the OAuth methods comes from (called on the log-in's thread).
    void SetAuthentication(pop3::AuthMethod method, pop3::TokenSource tokens);
    // After a Login: the way it authenticated (or, when it failed, tried
    // to), as the wire names it ("USER", "APOP", "SCRAM-SHA-256", ...;
    // empty when it got no further than choosing), and whether the password
    // crossed the connection unencrypted (USER/PASS, PLAIN or LOGIN on a
    // plain connection).
    std::string LoginMechanism() const;
    bool PasswordSentInClear() const;
    // The settings' text: "0", "1" or "2" (blanks around it allowed; empty
    // reads as "0"). False for anything else: an unknown mode must never be
    // taken for plain text.
    static bool ParseSecurity(const std::string& text, Security& mode);
    // For every later reply. Before the session's thread starts using it,
    // or on the thread that holds the session between its commands.
    void SetTiming(const Timing& timing) { m_timing = timing; }
    // Told, on the thread reading a reply, how long the server has been
    // silent in it: whole seconds from kReportSilenceAfterMs on, once a
    // second, then 0 when bytes come again (or the read fails). Set before
    // the session's thread starts using the connection.
    using WaitObserver = pop3::ReplyReader::WaitObserver;
    void SetWaitObserver(WaitObserver observer) { m_reader.SetWaitObserver(std::move(observer)); }
    // For every later Login: sessions run over the streams `source` makes
    // instead of TCP (tests play a server in-process this way). Before the
    // session's thread starts using it.
    void SetStreamSource(CClientSocket::StreamSource source);
    // Why the last Login failed: LoginFailureText and, where one belongs,
    // the server's line or the TLS layer's reason. Empty when the host did
    // not resolve (see Login).
    std::string GetFailureReason() const;
    LoginFailure GetLoginFailure() const;

    // False with EOVERFLOW when the server counts more than
    // pop3::kMaxMessages messages.
    bool Stat(int& count, int& size);
    bool List();
    // False with kErrProtocol when the server refused UIDL (it is optional,
    // RFC 1939 §7): the session goes on without ids.
    bool Uidl();
    bool HasUidlListing() const { return m_cache.m_bHaveUidl; }
    // Why the last listing could not be used although the server sent it:
    // a number listed twice or out of range (pop3::ReplyError); kNone when
    // it was used, or refused with -ERR.
    pop3::ReplyError ListingProblem() const { return m_nListingProblem; }
    // False when n has no element in the listing (or no usable one).
    bool GetSize(int n, uint64_t& size);
    // False also when the listing gives n's id to another message too: such
    // an id identifies neither (IsUidlAmbiguous).
    bool GetUidl(int n, std::string& uidl);
    // This session's UIDL listing gives the id to more than one message.
    bool IsUidlAmbiguous(const std::string& uidl) const;
    // TOP n 0: the header block of message n. A -ERR reply returns false
    // with kErrProtocol and leaves the message empty; the session goes on.
    bool Top(int n, CPop3Message& message);
    // "TOP n L" (RFC 1939 §7): the header block and the first nLines lines
    // of message n's body, dot-unstuffed, CR LF line ends as sent, at most
    // kMaxPreviewBytes of it (*pbTruncated: more came and was dropped).
    // Like Top, a -ERR reply returns false and the session goes on. The
    // message's state on the server does not change.
    bool TopLines(int n, int nLines, std::string& text, bool* pbTruncated = nullptr);
    // "UIDL n": the id the server gives message n now. The reply must name
    // n; one that names another number breaks the session.
    bool UidlOf(int n, std::string& uidl);
    // "LIST n": the size the server gives message n now; like UidlOf, the
    // reply must name n. After a run of commands it proves the replies
    // still pair with them: a late or doubled reply before it shows here.
    bool ListOne(int n, uint64_t& size);
    bool Dele(int n);

    // The server listed PIPELINING in its capabilities (CAPA, asked at
    // every log-in; a -ERR, or no answer at all, lists nothing).
    bool CanPipeline() const { return m_bPipelining; }
    // Pipelined commands. A Queue call that fails sends nothing and leaves
    // the batch as it was: TOP of a message the listing lacks fails with
    // kErrInvalidArgument, as Top does; every Queue call fails on a session
    // that is not open. A SendQueued that fails leaves the session closed
    // with nothing outstanding. Each Read must name the command queued
    // first and not yet read; another breaks the session.
    bool QueueTop(int n);
    bool QueueUidlOf(int n);
    bool QueueDele(int n);
    bool SendQueued();
    bool ReadTop(int n, CPop3Message& message);
    bool ReadUidlOf(int n, std::string& uidl);
    bool ReadDele(int n);
    // Replies sent for and not yet read (queued commands included).
    size_t Outstanding() const { return m_aAwaited.size(); }
    // Reads and drops every outstanding reply. False when the session broke.
    bool SkipReplies();
    // Bytes already received wait to be read: the next reply needs no wait
    // on the network, or not from its start.
    bool HasUnreadInput() const;

    bool Rset();
    bool Noop();
    // RETR n: the whole message, dot-unstuffed (RFC 1939 §3), CR LF line
    // ends as sent, at most `limit` bytes of it. A message longer than that
    // is read to its end and dropped: false with EMSGSIZE, the session goes
    // on. A -ERR reply: false with kErrProtocol, the session goes on.
    bool Retr(int n, std::string& text, size_t limit);

    // Every command sent, and the greeting, which is read like a reply. The
    // command table says how each goes on the wire and how its reply is read.
    enum class Command : uint8_t {
        kGreeting,
        kCapa,
        kStls,
        kUser,
        kPass,
        kApop,
        kAuth,        // AUTH mechanism [initial-response]
        kAuthAnswer,  // a client's line within AUTH: base64, "=" or "*"
        kStat,
        kList,
        kUidl,
        kListOne,
        kUidlOne,
        kTop,
        kTopLines,  // TOP n L
        kRetr,
        kDele,
        kRset,
        kNoop,
        kQuit,
    };

protected:
    // Tests shorten these.
    Timing m_timing;

private:
    // How one reply is read.
    // kChallenge: a line, or a SASL continuation (RFC 5034 §4).
    enum class ReplyShape : uint8_t { kLine, kMultiLine, kChallenge };
    enum class ReplyPace : uint8_t { kQuick, kSlow, kListing };
    // kBare: the text alone is the line.
    // kNumberText: the number, then the text ("TOP 3 40").
    enum class Argument : uint8_t { kNone, kText, kNumber, kNumberZero, kBare, kNumberText };
    struct CommandRow;
    static const CommandRow& Row(Command command);
    // "TOP 3 0\r\n" (or "USER name\r\n" for a command that takes text,
    // built in one buffer), and the name traces and reasons give it: "TOP 3".
    static std::string Line(Command command, int n, std::string_view text = {});
    static std::string Name(Command command, int n);

    // Closed, open, or closed because the replies no longer pair with the
    // commands. Changed only by SetState, under m_lock.
    enum class SessionState : uint8_t { kClosed, kOpen, kBroken };
    SessionState SetState(SessionState state);
    // What one session learnt; forgotten when it closes.
    struct SessionCache {
        bool m_bHaveStat = false;
        bool m_bHaveList = false;
        bool m_bHaveUidl = false;
        bool m_bTriedUidl = false;  // UIDL asked (it is optional)
        int m_nDeleted = 0;         // DELE accepted
        pop3::ScanListing m_sizes;
        pop3::UidListing m_uids;
    };
    // A command sent (or queued) whose reply is still to be read.
    struct Awaited {
        Command m_command;
        int m_nNum;
    };
    // The log-in sequence's view of the connection (ILoginCommands).
    class LoginCommands;

    void SetLastReply(std::string text);
    void SetFailure(LoginFailure failure, std::string detail = {});
    void SetBreakReason(std::string reason);

    // Each needs m_lock held.
    bool QuitSession();
    // Sends one command: only on a session in step, with nothing unread
    // waiting (bytes the server sent unasked break the session).
    bool SendCommand(const std::string& line, const std::string& name);
    // Before a command: false, with the session broken, when the server
    // closed the connection or sent bytes nobody asked for.
    bool CheckInStep(const std::string& name);
    // False, with the last error set, when no session is open.
    bool RequireOpen();
    // A reply as read: positive or not, and its text.
    struct Reply {
        bool m_bOk = false;
        bool m_bChallenge = false;  // a SASL continuation: m_sText is what follows "+ "
        std::string m_sText;
        explicit operator bool() const { return m_bOk; }
    };
    // Reads the reply to `command`, named `name`. Positive for +OK; for -ERR
    // not, with kErrProtocol (the session goes on); any other failure breaks
    // the session. The text as pop3::ReplyReader::Read gives it, at most
    // nKeep bytes (0: as the table says).
    Reply ReadReply(Command command, const std::string& name, size_t nKeep = 0);
    // The waits for the reply to `command`: from the table's pace, the
    // timing, the message count and, for QUIT, the messages marked deleted.
    void SetWaits(Command command, pop3::ReplyReader::Request& request) const;
    // Sends `command` and reads its reply; only with no reply outstanding.
    Reply Run(Command command, int n = 0, size_t nKeep = 0);
    Reply Exchange(Command command, const std::string& line, const std::string& name, size_t nKeep = 0);

    // For the log-in sequence: ends the session before it, and the TCP
    // connection with its failure for the user.
    void ResetForLogin();
    bool Connect(const std::string& host, int port);
    // Sends a command line whose argument is secret, leaving no copy of it
    // in freed memory, and reads the reply.
    bool RunSecret(Command command, const std::string& argument);
    // As RunSecret, giving the reply: AUTH's may be a SASL continuation.
    Reply ExchangeSecret(Command command, const std::string& argument);

    // Queues one pipelined command; reads the reply to the first awaited
    // one, which must be `command` for n.
    void Queue(Command command, int n);
    Reply ReadAwaited(Command command, int n);
    // "VERB n", answered "+OK n word": the word, on a reply that names n.
    bool QueryOne(Command command, int n, std::string& word);
    // The word of a reply "+OK n word" to the command `name`; a reply that
    // names another number breaks the session.
    bool WordNaming(int n, const std::string& name, const std::string& text, std::string& word);
    // Marks the session broken (first reason wins) and closes it.
    void Break(const std::string& reason);
    void CloseSession();
    bool EnsureStat();
    // LIST or UIDL, its text parsed by `parse`; bHave says whether the
    // listing can be used.
    bool ReadListing(Command command, bool& bHave, const std::function<pop3::ReplyError(std::string_view)>& parse);
    // The largest message number a listing may hold: the STAT count plus
    // the messages marked deleted before it was taken.
    uint32_t ListingBound() const;

    mutable std::recursive_mutex m_lock;
    mutable std::mutex m_replyLock;  // guards m_sLastReply, the failure, m_sBreakReason

    CClientSocket m_socket;
    pop3::ReplyReader m_reader{m_socket};
    // Pipelined commands queued and not yet sent, and every command whose
    // reply is still to be read, oldest first.
    std::string m_sOutput;
    std::deque<Awaited> m_aAwaited;
    std::atomic<SessionState> m_nState{SessionState::kClosed};
    SessionCache m_cache;
    bool m_bPipelining = false;
    bool m_bQuitSent = false;  // the last Quit sent QUIT
    std::atomic<bool> m_bKeepAbort{false};
    int m_nMailCount = 0;  // the last STAT count
    pop3::ReplyError m_nListingProblem = pop3::ReplyError::kNone;
    std::string m_sLastReply;
    LoginFailure m_nFailure = LoginFailure::kNone;
    std::string m_sFailureDetail;  // the server's line or the TLS layer's reason
    std::string m_sBreakReason;
    Security m_nSecurity = Security::kNone;
    pop3::AuthMethod m_nAuth = pop3::AuthMethod::kAutomatic;
    pop3::TokenSource m_fnTokens;
    std::string m_sMechanism;         // the last log-in's (m_replyLock)
    bool m_bPasswordInClear = false;  // the last log-in sent it unencrypted (m_replyLock)
    std::string m_sPinnedFingerprint;
};
