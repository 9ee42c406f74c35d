#include "Pop3Connection.h"

#include "core/platform/LastError.h"
#include "core/platform/Trace.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <string.h>   // explicit_bzero

using platform::GetLastError;
using platform::SetLastError;
using platform::Trace;

namespace {

// Text of a reply for a message: what the server sent, up to its first NUL.
std::string Shown(const std::string& text)
{
    return text.substr(0, text.find('\0'));
}

std::string Seconds(uint64_t ms)
{
    return std::to_string((ms + 999) / 1000);
}

}  // namespace

// One row of the command table: what goes on the wire and how the reply is
// read. RFC 1939 §3: only a positive reply can be multi-line.
struct CPop3Connection::CommandRow {
    Command m_command;
    const char* m_pszVerb;  // the greeting: its name in messages, nothing sent
    Argument m_argument;
    ReplyShape m_shape;
    // kSlow: the first byte may take m_nSlowReplyMs (a server's work grows
    // with the mailbox, or it holds back a failed log-in's answer on
    // purpose); kListing: so may every pause, and the deadline grows with
    // the message count.
    ReplyPace m_pace;
    size_t m_nKeep;  // reply bytes kept
};

const CPop3Connection::CommandRow& CPop3Connection::Row(Command command)
{
    using enum ReplyShape;
    using enum ReplyPace;
    static constexpr CommandRow kTable[] = {
        {Command::kGreeting, "the greeting", Argument::kNone, kLine, kSlow, kMaxReplyBytes},
        {Command::kCapa, "CAPA", Argument::kNone, kMultiLine, kQuick, kMaxReplyBytes},
        {Command::kStls, "STLS", Argument::kNone, kLine, kQuick, kMaxReplyBytes},
        {Command::kUser, "USER", Argument::kText, kLine, kQuick, kMaxReplyBytes},
        {Command::kPass, "PASS", Argument::kText, kLine, kSlow, kMaxReplyBytes},
        {Command::kStat, "STAT", Argument::kNone, kLine, kSlow, kMaxReplyBytes},
        {Command::kList, "LIST", Argument::kNone, kMultiLine, kListing, kMaxReplyBytes},
        {Command::kUidl, "UIDL", Argument::kNone, kMultiLine, kListing, kMaxReplyBytes},
        {Command::kListOne, "LIST", Argument::kNumber, kLine, kQuick, kMaxReplyBytes},
        {Command::kUidlOne, "UIDL", Argument::kNumber, kLine, kQuick, kMaxReplyBytes},
        {Command::kTop, "TOP", Argument::kNumberZero, kMultiLine, kQuick, kMaxHeaderBytes},
        {Command::kRetr, "RETR", Argument::kNumber, kMultiLine, kQuick, kMaxReplyBytes},
        {Command::kDele, "DELE", Argument::kNumber, kLine, kQuick, kMaxReplyBytes},
        {Command::kRset, "RSET", Argument::kNone, kLine, kQuick, kMaxReplyBytes},
        {Command::kNoop, "NOOP", Argument::kNone, kLine, kQuick, kMaxReplyBytes},
        {Command::kQuit, "QUIT", Argument::kNone, kLine, kQuick, kMaxReplyBytes},
    };
    static_assert(std::size(kTable) == static_cast<size_t>(Command::kQuit) + 1);
    static_assert(std::ranges::all_of(kTable, [](const CommandRow& row) {
        return &row - kTable == static_cast<std::ptrdiff_t>(row.m_command);
    }), "one row per command, in the order of Command");
    return kTable[static_cast<size_t>(command)];
}

std::string CPop3Connection::Name(Command command, int n)
{
    const CommandRow& row = Row(command);
    if (row.m_argument == Argument::kNumber || row.m_argument == Argument::kNumberZero)
        return std::string(row.m_pszVerb) + " " + std::to_string(n);
    return row.m_pszVerb;
}

std::string CPop3Connection::Line(Command command, int n)
{
    return Name(command, n) + (Row(command).m_argument == Argument::kNumberZero ? " 0\r\n" : "\r\n");
}

const char* CPop3Connection::LoginFailureText(LoginFailure failure)
{
    switch (failure) {
    case LoginFailure::kNone: return "";
    case LoginFailure::kCredentials:
        return "The user name or password is longer than 120 characters or holds a line break or NUL; "
               "nothing was sent.";
    case LoginFailure::kConnectionRefused: return "The server refused the connection: ";
    case LoginFailure::kLoginRefused: return "The server refused the log-in: ";
    case LoginFailure::kNoStls:
        return "The server does not offer STLS (STARTTLS), so the connection cannot be secured; "
               "the user name and password were not sent.";
    case LoginFailure::kStlsRefused: return "The server refused STLS (STARTTLS): ";
    case LoginFailure::kStlsTampered:
        return "The server sent more than its answer to STLS (STARTTLS); the connection "
               "may have been tampered with and was closed.";
    case LoginFailure::kTls:
    case LoginFailure::kBroken:
    case LoginFailure::kUnreachable: return "";
    }
    return "";
}

CPop3Connection::Timing CPop3Connection::Timing::ForSilence(uint32_t ms)
{
    Timing timing;
    timing.m_nSilenceMs = ms;
    timing.m_nSlowReplyMs = std::max(timing.m_nSlowReplyMs, ms);
    timing.m_nLineDeadlineMs = ms + kLineTransferMs;
    timing.m_nBlockDeadlineMs = ms + kBlockTransferMs;
    return timing;
}

uint64_t CPop3Connection::QuitWaitMs(const Timing& timing, int nMarked)
{
    return timing.m_nSilenceMs + static_cast<uint64_t>(std::max(nMarked, 0)) * kQuitMsPerMarked;
}

CPop3Connection::CPop3Connection() = default;

CPop3Connection::~CPop3Connection()
{
    if (IsConnected())
        Quit();
}

CPop3Connection::SessionState CPop3Connection::SetState(SessionState state)
{
    return m_nState.exchange(state, std::memory_order_acq_rel);
}

void CPop3Connection::SetLastReply(std::string text)
{
    std::lock_guard lock(m_replyLock);
    m_sLastReply = std::move(text);
}

std::string CPop3Connection::GetLastReply() const
{
    std::lock_guard lock(m_replyLock);
    return m_sLastReply;
}

void CPop3Connection::SetFailure(LoginFailure failure, std::string detail)
{
    std::lock_guard lock(m_replyLock);
    m_nFailure = failure;
    m_sFailureDetail = std::move(detail);
}

std::string CPop3Connection::GetFailureReason() const
{
    std::lock_guard lock(m_replyLock);
    return LoginFailureText(m_nFailure) + m_sFailureDetail;
}

CPop3Connection::LoginFailure CPop3Connection::GetLoginFailure() const
{
    std::lock_guard lock(m_replyLock);
    return m_nFailure;
}

void CPop3Connection::SetBreakReason(std::string reason)
{
    std::lock_guard lock(m_replyLock);
    m_sBreakReason = std::move(reason);
}

bool CPop3Connection::IsBroken() const
{
    return m_nState.load(std::memory_order_acquire) == SessionState::kBroken;
}

bool CPop3Connection::IsConnected() const
{
    return m_nState.load(std::memory_order_acquire) == SessionState::kOpen;
}

std::string CPop3Connection::BreakReason() const
{
    std::lock_guard lock(m_replyLock);
    return m_sBreakReason;
}

void CPop3Connection::SetSecurity(Security mode, const std::string& pinnedFingerprint)
{
    std::lock_guard lock(m_lock);
    m_nSecurity = mode;
    m_sPinnedFingerprint = pinnedFingerprint;
}

void CPop3Connection::SetStreamSource(CClientSocket::StreamSource source)
{
    std::lock_guard lock(m_lock);
    m_socket.SetStreamSource(std::move(source));
}

bool CPop3Connection::ParseSecurity(const std::string& text, Security& mode)
{
    const size_t first = text.find_first_not_of(" \t");
    const std::string value =
        first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (value.empty() || value == "0")
        mode = Security::kNone;
    else if (value == "1")
        mode = Security::kStls;
    else if (value == "2")
        mode = Security::kImplicitTls;
    else
        return false;
    return true;
}

bool CPop3Connection::Login(const std::string& host, const std::string& user, const std::string& password,
                            int port)
{
    std::lock_guard lock(m_lock);
    if (LoginSession(host, user, password, port, true))
        return true;
    // RFC 1939 servers answer every unknown command with -ERR, but one that
    // left CAPA unanswered is logged in again without it: the late answer
    // could never again be told from the next command's.
    if (!m_bCapaSilent || m_nSecurity == Security::kStls)
        return false;
    Trace("The POP3 server did not answer CAPA: logging in again without it\n");
    return LoginSession(host, user, password, port, false);
}

bool CPop3Connection::LoginSession(const std::string& host, const std::string& user, const std::string& password,
                                   int port, bool bAskCapa)
{
    ResetForLogin();
    if (!CheckCredentials(user, password) || !Connect(host, port))
        return false;
    std::string reason;
    if (m_nSecurity == Security::kImplicitTls && !m_socket.StartTls(host, m_sPinnedFingerprint, &reason))
        return FailTls(LoginFailure::kTls, reason);
    if (!ReadGreeting())
        return false;
    if (m_nSecurity == Security::kStls) {
        if (!NegotiateStls(host))
            return false;
    } else if (bAskCapa && !ReadCapabilities(nullptr)) {
        // RFC 2449: what the server can do, PIPELINING above all. STLS
        // sessions asked above, over TLS.
        m_bCapaSilent = IsBroken() && GetLastError() == platform::kErrTimedOut;
        return FailStep("Failed while connected to read a CAPA command response from the POP3 server\n");
    }
    return Authenticate(user, password);
}

void CPop3Connection::ResetForLogin()
{
    m_bCapaSilent = false;
    m_bPipelining = false;
    if (IsConnected())
        QuitSession();
    CloseSession();
    if (!m_bKeepAbort.load(std::memory_order_acquire))
        m_socket.ClearAbort();
    SetState(SessionState::kClosed);
    SetFailure(LoginFailure::kNone);
    SetBreakReason({});
}

bool CPop3Connection::CheckCredentials(const std::string& user, const std::string& password)
{
    // RFC 1939 §3: a command line ends at its CR LF, so a CR, LF or NUL in a
    // credential would end the command early and put whatever follows on
    // the wire as a command of its own.
    const auto sendable = [](const std::string& text) {
        return text.size() <= kMaxCredentialLength && text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
    };
    if (sendable(user) && sendable(password))
        return true;
    Trace("User name or password longer than %zu characters or holding CR, LF or NUL: not sent\n",
          kMaxCredentialLength);
    SetLastReply("The user name or password is longer than 120 characters or holds a line break or NUL.");
    SetFailure(LoginFailure::kCredentials);
    SetLastError(platform::kErrInvalidArgument);
    return false;
}

bool CPop3Connection::Connect(const std::string& host, int port)
{
    if (!m_socket.Create()) {
        Trace("Failed to create client socket, GetLastError:%d\n", GetLastError());
        return false;
    }
    if (port < 1 || port > 65535 || !m_socket.Connect(host, static_cast<uint16_t>(port))) {
        if (port < 1 || port > 65535)
            SetLastError(platform::kErrInvalidArgument);
        const int error = GetLastError();
        m_socket.Close();
        Trace("Could not connect to the POP3 mailbox, GetLastError:%d\n", error);
        // The name resolved: the user learns what the connect met (a
        // refusal, no route, no answer), not that there is no such server.
        const std::string where = " on port " + std::to_string(port);
        if (error == platform::kErrTimedOut)
            SetFailure(LoginFailure::kUnreachable,
                       "No answer" + where + " within " + Seconds(platform::Socket::kConnectTimeoutMs) + " seconds");
        else if (error != platform::kErrInvalidArgument && error != platform::kErrInterrupted)
            SetFailure(LoginFailure::kUnreachable, std::strerror(error) + where);
        SetLastError(error);
        return false;
    }
    SetState(SessionState::kOpen);
    return true;
}

bool CPop3Connection::ReadGreeting()
{
    const Reply greeting = ReadReply(Command::kGreeting, Name(Command::kGreeting, 0));
    if (greeting)
        return true;
    if (IsBroken() && GetLastError() == platform::kErrTimedOut && greeting.m_sText.empty())
        SetBreakReason("The server accepted the connection but sent no greeting within "
                       + Seconds(m_timing.m_nSlowReplyMs) + " seconds.");
    return FailStep("Failed while connected to read a command response from the POP3 server\n",
                    LoginFailure::kConnectionRefused);
}

bool CPop3Connection::NegotiateStls(const std::string& host)
{
    // RFC 2595 §4: STLS only when the capabilities list it. Without it the
    // session ends here, before the user name is sent.
    const char* pszCapaFailed = "Failed while connected to read a CAPA command response from the POP3 server\n";
    bool bStls = false;
    if (!ReadCapabilities(&bStls))
        return FailStep(pszCapaFailed);
    if (!bStls) {
        SetFailure(LoginFailure::kNoStls);
        SetLastError(platform::kErrProtocol);
        return FailStep("POP3 server does not offer STLS\n");
    }
    if (!Run(Command::kStls)) {
        if (GetLastError() == platform::kErrProtocol)
            SetFailure(LoginFailure::kStlsRefused, GetLastReply());
        return FailStep("Failed while connected to read a STLS command response from the POP3 server\n");
    }
    // Anything after the one-line answer came before TLS and may be an
    // attacker's: text injected there must not pass for the server's.
    if (m_nInputPos < m_sInput.size()) {
        SetLastError(platform::kErrProtocol);
        return FailTls(LoginFailure::kStlsTampered, {});
    }
    std::string reason;
    if (!m_socket.StartTls(host, m_sPinnedFingerprint, &reason))
        return FailTls(LoginFailure::kTls, reason);
    // RFC 2595 §4: what the server said before TLS no longer counts, so ask
    // again; a server may well list more now.
    return ReadCapabilities(nullptr) || FailStep(pszCapaFailed);
}

bool CPop3Connection::Authenticate(const std::string& user, const std::string& password)
{
    if (!Exchange(Command::kUser, "USER " + user + "\r\n", "USER"))
        return FailStep("Failed while connected to read a USER command response from the POP3 server\n",
                        LoginFailure::kLoginRefused);
    std::string passCommand;
    passCommand.reserve(password.size() + 7);  // one buffer, never reallocated
    passCommand.append("PASS ").append(password).append("\r\n");
    const bool bPassSent = SendCommand(passCommand, "PASS");
    // Leave no copy of the password in freed memory.
    explicit_bzero(passCommand.data(), passCommand.size());
    if (!bPassSent || !ReadReply(Command::kPass, "PASS"))
        return FailStep("Failed while connected to read a PASS command response from the POP3 server\n",
                        LoginFailure::kLoginRefused);
    return true;
}

bool CPop3Connection::FailStep(const char* pszTrace, LoginFailure refusal)
{
    Trace("%s", pszTrace);
    const int error = GetLastError();
    const std::string reply = GetLastReply();
    if (IsBroken())
        SetFailure(LoginFailure::kBroken, BreakReason());
    else if (error == platform::kErrProtocol && refusal != LoginFailure::kNone)
        SetFailure(refusal, Shown(reply));
    if (IsConnected())
        QuitSession();
    CloseSession();
    SetLastReply(reply);
    SetLastError(error);
    return false;
}

bool CPop3Connection::FailTls(LoginFailure failure, const std::string& detail)
{
    // Nothing more may cross the connection, least of all in plain text on
    // a TLS port.
    const int error = GetLastError();
    const std::string reason = LoginFailureText(failure) + detail;
    Trace("Failed to secure the connection to the POP3 server: %s\n", reason.c_str());
    CloseSession();
    SetFailure(failure, detail);
    SetLastError(error);
    return false;
}

bool CPop3Connection::Quit()
{
    std::lock_guard lock(m_lock);
    return QuitSession();
}

void CPop3Connection::Drop()
{
    std::lock_guard lock(m_lock);
    CloseSession();
}

void CPop3Connection::Abort()
{
    m_socket.Abort();
}

void CPop3Connection::ClearAbort()
{
    m_socket.ClearAbort();
}

bool CPop3Connection::QuitSent() const
{
    std::lock_guard lock(m_lock);
    return m_bQuitSent;
}

void CPop3Connection::CloseSession()
{
    if (IsConnected())
        SetState(SessionState::kClosed);
    m_cache = {};
    m_sInput.clear();
    m_sInput.shrink_to_fit();
    m_nInputPos = 0;
    m_sOutput.clear();
    m_aAwaited.clear();
    m_socket.Close();
}

void CPop3Connection::Break(const std::string& reason)
{
    const int error = GetLastError();
    if (SetState(SessionState::kBroken) != SessionState::kBroken) {
        Trace("Replies no longer pair with commands, session closed without QUIT: %s\n", reason.c_str());
        SetBreakReason(reason);
    }
    CloseSession();
    SetLastError(error);
}

bool CPop3Connection::QuitSession()
{
    bool bResult = false;
    m_bQuitSent = false;
    if (!m_aAwaited.empty()) {
        // QUIT's reply would come after replies nobody will read: the session
        // is closed without it, which deletes nothing (RFC 1939 §6).
        Trace("CPop3Connection, replies outstanding: closed without QUIT\n");
    } else if (IsConnected()) {
        bResult = Run(Command::kQuit).m_bOk;
    } else {
        Trace("CPop3Connection, Already disconnected\n");
    }
    CloseSession();
    return bResult;
}

bool CPop3Connection::RequireOpen()
{
    if (IsConnected())
        return true;
    SetLastError(IsBroken() ? platform::kErrProtocol : ENOTCONN);
    return false;
}

bool CPop3Connection::SendCommand(const std::string& line, const std::string& name)
{
    if (!IsConnected()) {
        Trace("Failed to send the %s command to the POP3 server\n", name.c_str());
        return RequireOpen();
    }
    if (!CheckInStep(name))
        return false;
    if (m_socket.Send(line))
        return true;
    const int error = GetLastError();
    Trace("Failed to send the %s command to the POP3 server\n", name.c_str());
    Break("The connection was lost while sending " + name + ": " + std::strerror(error) + ".");
    SetLastError(error);
    return false;
}

bool CPop3Connection::CheckInStep(const std::string& name)
{
    // Every byte before a command's reply must have been read as the reply
    // to an earlier command; one that was not means the replies are no
    // longer where the commands expect them.
    bool bStray = m_nInputPos < m_sInput.size();
    if (!bStray) {
        const platform::WaitResult wait = m_socket.WaitReadable(0);
        if (wait == platform::WaitResult::kWoken) {
            SetLastError(platform::kErrInterrupted);
            Break("Stopped before " + name + ".");
            return false;
        }
        if (wait == platform::WaitResult::kReady) {
            char probe[512];
            const ssize_t got = m_socket.Receive(probe, sizeof probe);
            if (got == 0) {
                SetLastError(ECONNRESET);
                Break("The server had closed the connection before " + name + ".");
                return false;
            }
            if (got > 0) {
                m_sInput.append(probe, static_cast<size_t>(got));
                bStray = true;
            }
        }
    }
    if (bStray) {
        SetLastError(platform::kErrProtocol);
        Break("The server sent data nobody asked for before " + name + ".");
        return false;
    }
    return true;
}

bool CPop3Connection::IsIdleAndOpen()
{
    std::lock_guard lock(m_lock);
    return IsConnected() && CheckInStep("the next command");
}

CPop3Connection::Reply CPop3Connection::Run(Command command, int n, size_t nKeep)
{
    return Exchange(command, Line(command, n), Name(command, n), nKeep);
}

CPop3Connection::Reply CPop3Connection::Exchange(Command command, const std::string& line,
                                                 const std::string& name, size_t nKeep)
{
    if (!m_aAwaited.empty()) {
        // Its reply would be read as the answer to a pipelined command.
        Trace("%s not sent: pipelined replies are outstanding\n", name.c_str());
        SetLastError(platform::kErrInvalidArgument);
        return {};
    }
    if (!SendCommand(line, name))
        return {};
    if (command == Command::kQuit)
        m_bQuitSent = true;
    return ReadReply(command, name, nKeep);
}

bool CPop3Connection::ReadCapabilities(bool* pbStls)
{
    if (pbStls)
        *pbStls = false;
    m_bPipelining = false;
    const Reply reply = Run(Command::kCapa);
    if (!reply) {
        if (GetLastError() != platform::kErrProtocol || IsBroken())
            return false;
        SetLastReply("");  // -ERR: lists nothing, and is no failure
        return true;
    }
    pop3::Capabilities capabilities;
    if (pop3::ParseCapabilities(reply.m_sText, capabilities) != pop3::ReplyError::kNone)
        return true;  // nothing usable listed
    if (pbStls)
        *pbStls = capabilities.m_bStls;
    m_bPipelining = capabilities.m_bPipelining;
    return true;
}

// One reply being read: where it stands, and the limits on its waits.
struct CPop3Connection::ReplyRead {
    ReplyShape m_shape;
    const std::string& m_name;
    std::string& m_text;
    size_t m_nKeep;
    uint32_t m_nFirstMs;         // silence allowed before the first byte
    uint32_t m_nSilenceMs;       // and after every later one
    uint64_t m_nDeadlineMs;      // for the whole reply, from the command
    CClientSocket::Clock::time_point m_start;
    CClientSocket::Clock::time_point m_lastData;
    bool m_bAnyByte = false;
    bool m_bStatus = false;        // the status line has been read
    bool m_bAtLineStart = true;    // the next byte starts a line of the body
    char m_lastByte = '\n';        // the last byte of the reply read so far
    bool m_bLineAfterCrLf = true;  // the line being read follows a CR LF
    size_t m_nTotal = 0;           // bytes of this reply read
    uint32_t m_nReportedSeconds = 0;  // the silence last told the wait observer
};

CPop3Connection::Reply CPop3Connection::ReadReply(Command command, const std::string& name, size_t nKeep)
{
    std::lock_guard lock(m_lock);
    Reply reply;
    if (!RequireOpen())
        return reply;
    const CommandRow& row = Row(command);
    const bool bSlow = row.m_pace != ReplyPace::kQuick;
    const auto start = m_socket.Now();
    ReplyRead read{row.m_shape, name, reply.m_sText, nKeep ? nKeep : row.m_nKeep,
                   bSlow ? m_timing.m_nSlowReplyMs : m_timing.m_nSilenceMs,
                   row.m_pace == ReplyPace::kListing ? m_timing.m_nSlowReplyMs : m_timing.m_nSilenceMs,
                   row.m_shape == ReplyShape::kLine ? m_timing.m_nLineDeadlineMs : m_timing.m_nBlockDeadlineMs,
                   start, start, m_nInputPos < m_sInput.size()};
    if (bSlow)
        read.m_nDeadlineMs += m_timing.m_nSlowReplyMs;
    if (row.m_pace == ReplyPace::kListing)
        read.m_nDeadlineMs += static_cast<uint64_t>(std::max(m_nMailCount, 0)) * kListingUsPerEntry / 1000;
    if (command == Command::kQuit) {
        const uint64_t extra = QuitWaitMs(m_timing, m_cache.m_nDeleted) - m_timing.m_nSilenceMs;
        read.m_nFirstMs = static_cast<uint32_t>(std::min<uint64_t>(read.m_nFirstMs + extra, UINT32_MAX));
        read.m_nDeadlineMs += extra;
    }
    for (;;) {
        if (const std::optional<bool> done = TakeBuffered(read)) {
            reply.m_bOk = *done;
            return reply;
        }
        CompactInput();
        if (!ReceiveMore(read))
            return reply;
    }
}

bool CPop3Connection::FailRead(ReplyRead& read, int error, const std::string& why)
{
    ReportSilence(read, 0);
    if (!read.m_bStatus && read.m_text.empty())
        read.m_text.assign(m_sInput, m_nInputPos, std::min(m_sInput.size() - m_nInputPos, kMaxStatusLine));
    SetLastError(error);
    SetLastReply(Shown(read.m_text));
    Break(why);
    return false;
}

std::optional<bool> CPop3Connection::TakeBuffered(ReplyRead& read)
{
    // Leave bytes past this reply for the next.
    while (m_nInputPos < m_sInput.size()) {
        const size_t nBefore = m_nInputPos;
        const std::optional<bool> done = read.m_bStatus ? TakeBodyBytes(read) : TakeStatusLine(read);
        if (done)
            return done;
        if (m_nInputPos == nBefore)
            break;  // the bytes so far cannot tell yet
    }
    return std::nullopt;
}

std::optional<bool> CPop3Connection::TakeStatusLine(ReplyRead& read)
{
    const char* p = m_sInput.data() + m_nInputPos;
    const size_t nAvail = m_sInput.size() - m_nInputPos;
    const char* pLf = static_cast<const char*>(std::memchr(p, '\n', std::min(nAvail, kMaxStatusLine)));
    if (!pLf) {
        if (nAvail >= kMaxStatusLine)
            return FailRead(read, platform::kErrProtocol,
                            "The server's answer to " + read.m_name + " has no line end.");
        return std::nullopt;
    }
    const size_t nLine = static_cast<size_t>(pLf - p) + 1;
    size_t nText = nLine - 1;
    if (nText > 0 && p[nText - 1] == '\r')
        --nText;
    const pop3::Status status = pop3::ParseStatusLine(std::string_view(p, nText)).m_status;
    if (status == pop3::Status::kOther) {
        read.m_text.assign(p, std::min(nText, size_t{200}));
        return FailRead(read, platform::kErrProtocol,
                        "The server's answer to " + read.m_name + " is not a POP3 reply.");
    }
    read.m_text.assign(p, std::min(nText, read.m_nKeep));
    m_nInputPos += nLine;
    read.m_nTotal += nLine;
    // RFC 1939 §3: only a positive reply is multi-line; a negative status
    // line is the whole reply.
    if (status == pop3::Status::kErr) {
        SetLastReply(Shown(read.m_text));
        SetLastError(platform::kErrProtocol);
        return false;
    }
    if (read.m_shape == ReplyShape::kLine)
        return true;
    read.m_bStatus = true;
    read.m_text.append("\r\n");
    read.m_lastByte = '\n';
    read.m_bLineAfterCrLf = nText + 2 == nLine;
    return std::nullopt;
}

std::optional<bool> CPop3Connection::TakeBodyBytes(ReplyRead& read)
{
    const char* p = m_sInput.data() + m_nInputPos;
    const size_t nAvail = m_sInput.size() - m_nInputPos;
    // RFC 1939 §3: the reply ends with a line holding only ".", after a CR
    // LF. Byte-stuffed lines ("..") are kept as they came.
    if (read.m_bAtLineStart && p[0] == '.') {
        if (nAvail < 3 && (nAvail < 2 || p[1] == '\r'))
            return std::nullopt;  // too early to tell
        if (p[1] == '\r' && p[2] == '\n' && read.m_bLineAfterCrLf) {
            m_nInputPos += 3;
            std::string& text = read.m_text;
            if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
                text.resize(text.size() - 2);
            return true;
        }
    }
    const char* pLf = static_cast<const char*>(std::memchr(p, '\n', nAvail));
    const size_t nPart = pLf ? static_cast<size_t>(pLf - p) + 1 : nAvail;
    if (read.m_text.size() < read.m_nKeep)
        read.m_text.append(p, std::min(nPart, read.m_nKeep - read.m_text.size()));
    read.m_nTotal += nPart;
    m_nInputPos += nPart;
    read.m_bAtLineStart = pLf != nullptr;
    if (pLf)
        read.m_bLineAfterCrLf = (nPart >= 2 ? p[nPart - 2] : read.m_lastByte) == '\r';
    read.m_lastByte = p[nPart - 1];
    if (read.m_nTotal > kMaxReplyBytes) {
        Trace("Reply from the POP3 server longer than %zu bytes: read abandoned\n", kMaxReplyBytes);
        FailRead(read, EMSGSIZE, "The server's answer to " + read.m_name + " is longer than 64 MiB.");
        SetLastReply("The POP3 server's reply is longer than 64 MiB.");
        return false;
    }
    return std::nullopt;
}

void CPop3Connection::CompactInput()
{
    if (m_nInputPos == m_sInput.size()) {
        m_sInput.clear();
        m_nInputPos = 0;
    } else if (m_nInputPos > (size_t{1} << 16)) {
        m_sInput.erase(0, m_nInputPos);
        m_nInputPos = 0;
    }
}

bool CPop3Connection::ReceiveMore(ReplyRead& read)
{
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    const std::string& name = read.m_name;
    const auto now = m_socket.Now();
    const long long elapsed = duration_cast<milliseconds>(now - read.m_start).count();
    const long long silent = duration_cast<milliseconds>(now - read.m_lastData).count();
    const uint32_t nLimitMs = read.m_bAnyByte ? read.m_nSilenceMs : read.m_nFirstMs;
    if (static_cast<uint64_t>(elapsed) > read.m_nDeadlineMs)
        return FailRead(read, platform::kErrTimedOut, "The server's answer to " + name + " did not end within "
                                                          + Seconds(read.m_nDeadlineMs) + " seconds.");
    if (silent > nLimitMs)
        return FailRead(read, platform::kErrTimedOut,
                        read.m_bAnyByte ? "The server stopped in the middle of its answer to " + name + " (silent for "
                                              + Seconds(nLimitMs) + " seconds)."
                                        : "The server did not answer " + name + " within " + Seconds(nLimitMs)
                                              + " seconds.");
    long long left = std::min<long long>(static_cast<long long>(nLimitMs) - silent,
                                         static_cast<long long>(read.m_nDeadlineMs) - elapsed)
                     + 1;
    if (m_waitObserver) {
        // Wake at the next whole second worth telling, from
        // kReportSilenceAfterMs on.
        if (silent >= kReportSilenceAfterMs)
            ReportSilence(read, static_cast<uint32_t>(silent / 1000));
        const long long next = std::max<long long>(kReportSilenceAfterMs, (silent / 1000 + 1) * 1000);
        left = std::min(left, next - silent);
    }
    const platform::WaitResult wait = m_socket.WaitReadable(static_cast<int>(std::max(left, 1LL)));
    if (wait == platform::WaitResult::kTimedOut)
        return true;
    if (wait == platform::WaitResult::kWoken)
        return FailRead(read, platform::kErrInterrupted, "Stopped while waiting for the answer to " + name + ".");
    if (wait != platform::WaitResult::kReady)
        return FailRead(read, GetLastError(), "The connection was lost during " + name + ".");

    constexpr size_t kChunk = size_t{1} << 16;
    const size_t nOld = m_sInput.size();
    m_sInput.resize(nOld + kChunk);
    const ssize_t got = m_socket.Receive(m_sInput.data() + nOld, kChunk);
    m_sInput.resize(nOld + static_cast<size_t>(std::max<ssize_t>(got, 0)));
    if (got < 0 && (GetLastError() == EAGAIN || GetLastError() == EWOULDBLOCK))
        return true;
    if (got == 0)
        return FailRead(read, ECONNRESET, "The server closed the connection during " + name + ".");
    if (got < 0) {
        const int error = GetLastError();
        return FailRead(read, error, "The connection was lost during " + name + ": " + std::strerror(error) + ".");
    }
    read.m_lastData = m_socket.Now();
    read.m_bAnyByte = true;
    ReportSilence(read, 0);
    return true;
}

void CPop3Connection::ReportSilence(ReplyRead& read, uint32_t nSeconds)
{
    if (!m_waitObserver || read.m_nReportedSeconds == nSeconds)
        return;
    read.m_nReportedSeconds = nSeconds;
    m_waitObserver(nSeconds);
}

bool CPop3Connection::Stat(int& count, int& size)
{
    std::lock_guard lock(m_lock);
    const Reply reply = Run(Command::kStat);
    if (!reply) {
        Trace("Error retrieving the STAT response from the POP3 server");
        return false;
    }
    pop3::StatReply stat;
    const pop3::ReplyError error = pop3::ParseStat(reply.m_sText, stat);
    if (error != pop3::ReplyError::kNone) {
        Trace("POP3 server did not respond correctly to the STAT response\n");
        SetLastReply(Shown(reply.m_sText));
        SetLastError(error == pop3::ReplyError::kTooMany ? EOVERFLOW : platform::kErrProtocol);
        return false;
    }
    count = m_nMailCount = static_cast<int>(stat.m_nCount);
    m_cache.m_bHaveStat = true;
    // A maildrop of 2 GiB or more still has its messages counted right.
    size = static_cast<int>(std::min<uint64_t>(stat.m_nSize, INT_MAX));
    return true;
}

bool CPop3Connection::EnsureStat()
{
    // The listings are sized from the message count: the first listing of
    // a session asks STAT for it unless the caller already did.
    int count = 0, size = 0;
    return m_cache.m_bHaveStat || Stat(count, size);
}

bool CPop3Connection::List()
{
    std::lock_guard lock(m_lock);
    return EnsureStat() && ReadListing(Command::kList, m_cache.m_bHaveList, [this](std::string_view text) {
               return pop3::ParseScanListing(text, ListingBound(), m_cache.m_sizes);
           });
}

bool CPop3Connection::Uidl()
{
    std::lock_guard lock(m_lock);
    if (!EnsureStat())
        return false;
    m_cache.m_bTriedUidl = true;
    return ReadListing(Command::kUidl, m_cache.m_bHaveUidl, [this](std::string_view text) {
        return pop3::ParseUidListing(text, ListingBound(), m_cache.m_uids);
    });
}

uint32_t CPop3Connection::ListingBound() const
{
    return static_cast<uint32_t>(std::max(m_nMailCount, 0)) + static_cast<uint32_t>(m_cache.m_nDeleted);
}

bool CPop3Connection::ReadListing(Command command, bool& bHave,
                                  const std::function<pop3::ReplyError(std::string_view)>& parse)
{
    m_nListingProblem = pop3::ReplyError::kNone;
    const Reply reply = Run(command);
    if (!reply) {
        Trace("Error retrieving the %s response from the POP3 server", Row(command).m_pszVerb);
        return false;
    }
    m_nListingProblem = parse(reply.m_sText);
    bHave = m_nListingProblem == pop3::ReplyError::kNone;
    if (!bHave)
        SetLastError(platform::kErrProtocol);
    return bHave;
}

bool CPop3Connection::GetSize(int n, uint64_t& size)
{
    std::lock_guard lock(m_lock);
    if (!m_cache.m_bHaveList && !List())
        return false;
    if (n < 1 || !m_cache.m_sizes.Has(static_cast<uint32_t>(n))) {
        SetLastError(platform::kErrInvalidArgument);
        return false;
    }
    size = m_cache.m_sizes.Size(static_cast<uint32_t>(n));
    return true;
}

bool CPop3Connection::GetUidl(int n, std::string& uidl)
{
    std::lock_guard lock(m_lock);
    // UIDL is optional (RFC 1939 §7): a server that refused it is not asked
    // again in the same session.
    if (!m_cache.m_bHaveUidl && (m_cache.m_bTriedUidl || !Uidl()))
        return false;
    std::string_view id;
    if (n < 1 || m_cache.m_uids.Find(static_cast<uint32_t>(n), &id) != pop3::UidListing::Id::kUsable) {
        SetLastError(platform::kErrInvalidArgument);
        return false;
    }
    uidl.assign(id);
    return true;
}

bool CPop3Connection::IsUidlAmbiguous(const std::string& uidl) const
{
    std::lock_guard lock(m_lock);
    return m_cache.m_bHaveUidl && m_cache.m_uids.IsAmbiguous(uidl);
}

bool CPop3Connection::Top(int n, CPop3Message& message)
{
    std::lock_guard lock(m_lock);
    message.Clear();
    return QueueTop(n) && SendQueued() && ReadTop(n, message);
}

bool CPop3Connection::QueryOne(Command command, int n, std::string& word)
{
    const Reply reply = Run(command, n);
    return reply && WordNaming(n, Name(command, n), reply.m_sText, word);
}

bool CPop3Connection::WordNaming(int n, const std::string& name, const std::string& text, std::string& word)
{
    // RFC 1939 §5, §7: "+OK n value". A reply naming another number answers
    // another command.
    std::string_view found;
    if (pop3::ParseNumberedReply(text, static_cast<uint32_t>(n), found) != pop3::ReplyError::kNone) {
        SetLastError(platform::kErrProtocol);
        SetLastReply(Shown(text));
        Break("The server's answer to " + name + " names another message.");
        return false;
    }
    word.assign(found);
    return true;
}

bool CPop3Connection::UidlOf(int n, std::string& uidl)
{
    std::lock_guard lock(m_lock);
    return QueryOne(Command::kUidlOne, n, uidl);
}

bool CPop3Connection::ListOne(int n, uint64_t& size)
{
    std::lock_guard lock(m_lock);
    std::string word;
    if (!QueryOne(Command::kListOne, n, word))
        return false;
    if (pop3::ParseSize(word, size) != pop3::ReplyError::kNone) {
        SetLastError(platform::kErrProtocol);
        SetLastReply(word);
        Break("The server's answer to " + Name(Command::kListOne, n) + " gives no size.");
        return false;
    }
    return true;
}

bool CPop3Connection::Dele(int n)
{
    std::lock_guard lock(m_lock);
    return QueueDele(n) && SendQueued() && ReadDele(n);
}

void CPop3Connection::Queue(Command command, int n)
{
    m_sOutput += Line(command, n);
    m_aAwaited.push_back({command, n});
}

bool CPop3Connection::QueueTop(int n)
{
    std::lock_guard lock(m_lock);
    // Only a message the listing has is asked for. The listing is read
    // first when missing, which needs a session with nothing outstanding.
    uint64_t size = 0;
    if ((m_aAwaited.empty() || m_cache.m_bHaveList) && !GetSize(n, size))
        return false;
    if (!m_cache.m_bHaveList) {
        SetLastError(platform::kErrInvalidArgument);
        return false;
    }
    Queue(Command::kTop, n);
    return true;
}

bool CPop3Connection::QueueUidlOf(int n)
{
    std::lock_guard lock(m_lock);
    // A closed session keeps nothing queued (CloseSession forgets it all).
    if (!RequireOpen())
        return false;
    Queue(Command::kUidlOne, n);
    return true;
}

bool CPop3Connection::QueueDele(int n)
{
    std::lock_guard lock(m_lock);
    // The listing must be there first: later listings count the messages
    // marked deleted (ListingBound).
    if (!m_cache.m_bHaveList && (!m_aAwaited.empty() || !List())) {
        if (!m_aAwaited.empty())
            SetLastError(platform::kErrInvalidArgument);
        return false;
    }
    Queue(Command::kDele, n);
    return true;
}

bool CPop3Connection::SendQueued()
{
    std::lock_guard lock(m_lock);
    if (m_sOutput.empty())
        return true;
    const size_t nBatch = std::count(m_sOutput.begin(), m_sOutput.end(), '\n');
    const Awaited first = m_aAwaited[m_aAwaited.size() - nBatch];
    const std::string name = Name(first.m_command, first.m_nNum);
    // Bytes before the batch are stray only while no reply is outstanding;
    // past that they are the replies to the commands sent earlier.
    bool bSent = false;
    if (RequireOpen() && (m_aAwaited.size() > nBatch || CheckInStep(name))) {
        bSent = m_socket.Send(m_sOutput);
        if (!bSent) {
            const int error = GetLastError();
            Break("The connection was lost while sending " + name + ": " + std::strerror(error) + ".");
        }
    }
    m_sOutput.clear();
    if (!bSent) {
        // The session is closed now, whether it was already or broke above
        // (which forgot every command, this batch's too): no reply is
        // outstanding on it.
        m_aAwaited.clear();
        Trace("Failed to send the %s command to the POP3 server\n", name.c_str());
    }
    return bSent;
}

CPop3Connection::Reply CPop3Connection::ReadAwaited(Command command, int n)
{
    if (m_aAwaited.empty() || !m_sOutput.empty() || m_aAwaited.front().m_command != command
        || m_aAwaited.front().m_nNum != n) {
        // A reply read for a command other than the one it answers.
        SetLastError(platform::kErrProtocol);
        Break("The reply to " + Name(command, n) + " was read out of turn.");
        return {};
    }
    m_aAwaited.pop_front();
    return ReadReply(command, Name(command, n));
}

bool CPop3Connection::ReadTop(int n, CPop3Message& message)
{
    std::lock_guard lock(m_lock);
    message.Clear();
    const Reply reply = ReadAwaited(Command::kTop, n);
    if (!reply) {
        Trace("Error retrieving the TOP response");
        return false;
    }
    // The header block follows the status line. Lines the server
    // byte-stuffed (RFC 1939 §3) keep their doubled leading dot.
    const size_t nLf = reply.m_sText.find('\n');
    message.SetText(nLf == std::string::npos ? std::string_view() : std::string_view(reply.m_sText).substr(nLf + 1));
    return true;
}

bool CPop3Connection::ReadUidlOf(int n, std::string& uidl)
{
    std::lock_guard lock(m_lock);
    const Reply reply = ReadAwaited(Command::kUidlOne, n);
    return reply && WordNaming(n, Name(Command::kUidlOne, n), reply.m_sText, uidl);
}

bool CPop3Connection::ReadDele(int n)
{
    std::lock_guard lock(m_lock);
    // Message numbers stay valid for the whole session (RFC 1939 §6), so the
    // cached listings stay as they are.
    if (!ReadAwaited(Command::kDele, n))
        return false;
    ++m_cache.m_nDeleted;
    return true;
}

bool CPop3Connection::HasUnreadInput() const
{
    std::lock_guard lock(m_lock);
    return m_nInputPos < m_sInput.size();
}

bool CPop3Connection::SkipReplies()
{
    std::lock_guard lock(m_lock);
    if (!SendQueued())
        return false;
    while (!m_aAwaited.empty()) {
        const Awaited awaited = m_aAwaited.front();
        const bool bOk = ReadAwaited(awaited.m_command, awaited.m_nNum).m_bOk;
        if (!bOk && IsBroken())
            return false;
        if (bOk && awaited.m_command == Command::kDele)
            ++m_cache.m_nDeleted;
    }
    return true;
}

bool CPop3Connection::Rset()
{
    std::lock_guard lock(m_lock);
    return Run(Command::kRset).m_bOk;
}

bool CPop3Connection::Noop()
{
    std::lock_guard lock(m_lock);
    return Run(Command::kNoop).m_bOk;
}

bool CPop3Connection::Retr(int n, std::string& text, size_t limit)
{
    std::lock_guard lock(m_lock);
    text.clear();
    // Room for the status line, the byte-stuffing and one byte that tells a
    // message longer than the limit.
    const size_t nKeep = std::min(kMaxReplyBytes, limit + limit / 8 + kMaxStatusLine + 1);
    const Reply answer = Run(Command::kRetr, n, nKeep);
    if (!answer)
        return false;
    const std::string& reply = answer.m_sText;
    // An empty message: the status line alone.
    const size_t nBody = reply.find('\n');
    if (nBody == std::string::npos)
        return true;
    // RFC 1939 §3: a line starting with "." came with one more in front.
    text.reserve(std::min(reply.size() - nBody, limit + 1));
    bool bLineStart = true;
    for (size_t i = nBody + 1; i < reply.size(); ++i) {
        const char c = reply[i];
        if (!(bLineStart && c == '.'))
            text += c;
        bLineStart = c == '\n';
        if (text.size() > limit)
            break;
    }
    // The reader cut the CR LF before the terminator; the message keeps it.
    if (!text.empty())
        text += "\r\n";
    if (reply.size() >= nKeep || text.size() > limit) {
        text.clear();
        SetLastError(EMSGSIZE);
        return false;
    }
    return true;
}
