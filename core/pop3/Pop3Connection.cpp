#include "Pop3Connection.h"

#include "Pop3Login.h"

#include "core/platform/CoreText.h"
#include "core/platform/LastError.h"
#include "core/platform/Trace.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string.h>  // explicit_bzero

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

// The body of a multi-line reply (after its status line, which ends at
// nBody) appended to `text`, stopping once `text` is past `limit` bytes.
// RFC 1939 §3: a line starting with "." came with one more in front.
void AppendUnstuffed(const std::string& reply, size_t nBody, size_t limit, std::string& text)
{
    text.reserve(std::min(reply.size() - nBody - 1, limit) + 1);
    bool bLineStart = true;
    for (size_t i = nBody + 1; i < reply.size() && text.size() <= limit; ++i) {
        const char c = reply[i];
        if (!(bLineStart && c == '.'))
            text += c;
        bLineStart = c == '\n';
    }
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
        {Command::kApop, "APOP", Argument::kText, kLine, kSlow, kMaxReplyBytes},
        {Command::kAuth, "AUTH", Argument::kText, kChallenge, kSlow, kMaxReplyBytes},
        {Command::kAuthAnswer, "AUTH", Argument::kBare, kChallenge, kSlow, kMaxReplyBytes},
        {Command::kStat, "STAT", Argument::kNone, kLine, kSlow, kMaxReplyBytes},
        {Command::kList, "LIST", Argument::kNone, kMultiLine, kListing, kMaxReplyBytes},
        {Command::kUidl, "UIDL", Argument::kNone, kMultiLine, kListing, kMaxReplyBytes},
        {Command::kListOne, "LIST", Argument::kNumber, kLine, kQuick, kMaxReplyBytes},
        {Command::kUidlOne, "UIDL", Argument::kNumber, kLine, kQuick, kMaxReplyBytes},
        {Command::kTop, "TOP", Argument::kNumberZero, kMultiLine, kQuick, kMaxHeaderBytes},
        {Command::kTopLines, "TOP", Argument::kNumberText, kMultiLine, kQuick, kMaxPreviewBytes},
        {Command::kRetr, "RETR", Argument::kNumber, kMultiLine, kQuick, kMaxReplyBytes},
        {Command::kDele, "DELE", Argument::kNumber, kLine, kQuick, kMaxReplyBytes},
        {Command::kRset, "RSET", Argument::kNone, kLine, kQuick, kMaxReplyBytes},
        {Command::kNoop, "NOOP", Argument::kNone, kLine, kQuick, kMaxReplyBytes},
        {Command::kQuit, "QUIT", Argument::kNone, kLine, kQuick, kMaxReplyBytes},
    };
    static_assert(std::size(kTable) == static_cast<size_t>(Command::kQuit) + 1);
    static_assert(
        std::ranges::all_of(
            kTable, [](const CommandRow& row) { return &row - kTable == static_cast<std::ptrdiff_t>(row.m_command); }),
        "one row per command, in the order of Command");
    return kTable[static_cast<size_t>(command)];
}

std::string CPop3Connection::Name(Command command, int n)
{
    const CommandRow& row = Row(command);
    if (row.m_argument == Argument::kNumber || row.m_argument == Argument::kNumberZero
        || row.m_argument == Argument::kNumberText)
        return std::string(row.m_pszVerb) + " " + std::to_string(n);
    return row.m_pszVerb;
}

std::string CPop3Connection::Line(Command command, int n, std::string_view text)
{
    const std::string name = Name(command, n);
    const Argument argument = Row(command).m_argument;
    std::string line;
    line.reserve(name.size() + text.size() + 5);  // one buffer, never reallocated
    if (argument == Argument::kBare)
        return line.append(text).append("\r\n");
    line.append(name);
    if (argument == Argument::kText || argument == Argument::kNumberText)
        line.append(" ").append(text);
    else if (argument == Argument::kNumberZero)
        line.append(" 0");
    return line.append("\r\n");
}

const char* CPop3Connection::LoginFailureText(LoginFailure failure)
{
    switch (failure) {
    case LoginFailure::kNone:
        return "";
    case LoginFailure::kCredentials:
        return QT_TRANSLATE_NOOP("Pop3",
                                 "The user name or password is longer than 120 characters or holds a line break or "
                                 "NUL; nothing was sent.");
    case LoginFailure::kConnectionRefused:
        return QT_TRANSLATE_NOOP("Pop3", "The server refused the connection: %1");
    case LoginFailure::kLoginRefused:
        return QT_TRANSLATE_NOOP("Pop3", "The server refused the log-in: %1");
    case LoginFailure::kNoStls:
        return QT_TRANSLATE_NOOP("Pop3",
                                 "The server does not offer STLS (STARTTLS), so the connection cannot be secured; "
                                 "the user name and password were not sent.");
    case LoginFailure::kStlsRefused:
        return QT_TRANSLATE_NOOP("Pop3", "The server refused STLS (STARTTLS): %1");
    case LoginFailure::kStlsTampered:
        return QT_TRANSLATE_NOOP("Pop3",
                                 "The server sent more than its answer to STLS (STARTTLS); the connection may have "
                                 "been tampered with and was closed.");
    case LoginFailure::kServerNotVerified:
        return QT_TRANSLATE_NOOP("Pop3",
                                 "The server could not prove that it knows the password: it is not the server it "
                                 "claims to be, and the connection was closed.");
    case LoginFailure::kNoToken:
        return QT_TRANSLATE_NOOP("Pop3", "No access token could be had for the log-in: %1");
    case LoginFailure::kAuthFailed:
        return QT_TRANSLATE_NOOP("Pop3", "The log-in could not go on: %1");
    case LoginFailure::kNotOffered:
    case LoginFailure::kTls:
    case LoginFailure::kBroken:
    case LoginFailure::kUnreachable:
        return "%1";
    }
    return "";
}

std::string CPop3Connection::LoginFailureReason(LoginFailure failure, const std::string& detail)
{
    return core_text::Say("Pop3", LoginFailureText(failure), {detail});
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
    // USER/PASS keeps its sentence; another way names itself.
    if (m_nFailure == LoginFailure::kLoginRefused && !m_sMechanism.empty() && m_sMechanism != "USER")
        return core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The server refused the log-in (%1): %2"),
                              {m_sMechanism, m_sFailureDetail});
    return LoginFailureReason(m_nFailure, m_sFailureDetail);
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

void CPop3Connection::SetAuthentication(pop3::AuthMethod method, pop3::TokenSource tokens)
{
    m_nAuth = method;
    m_fnTokens = std::move(tokens);
}

std::string CPop3Connection::LoginMechanism() const
{
    std::lock_guard lock(m_replyLock);
    return m_sMechanism;
}

bool CPop3Connection::PasswordSentInClear() const
{
    std::lock_guard lock(m_replyLock);
    return m_bPasswordInClear;
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

// The connection as the log-in sequence drives it.
class CPop3Connection::LoginCommands final : public ILoginCommands {
public:
    explicit LoginCommands(CPop3Connection& connection)
        : m_c(connection)
    { }

    void Reset() override { m_c.ResetForLogin(); }
    bool Connect(const std::string& host, int port) override { return m_c.Connect(host, port); }
    bool StartTls(const std::string& host, std::string* psReason) override
    {
        return m_c.m_socket.StartTls(host, m_c.m_sPinnedFingerprint, psReason);
    }
    bool Read(Command command, std::string* psText) override
    {
        Reply reply = m_c.ReadReply(command, Name(command, 0));
        *psText = std::move(reply.m_sText);
        return reply.m_bOk;
    }
    bool Run(Command command, const std::string& argument, std::string* psText) override
    {
        Reply reply = m_c.Exchange(command, Line(command, 0, argument), Name(command, 0));
        if (psText)
            *psText = std::move(reply.m_sText);
        return reply.m_bOk;
    }
    bool RunSecret(Command command, const std::string& argument) override { return m_c.RunSecret(command, argument); }
    AuthReply RunAuth(Command command, const std::string& argument, std::string* psText) override
    {
        Reply reply = m_c.ExchangeSecret(command, argument);
        *psText = std::move(reply.m_sText);
        return reply.m_bChallenge ? AuthReply::kChallenge : reply.m_bOk ? AuthReply::kOk : AuthReply::kFailed;
    }
    bool ChannelBinding(std::string& type, std::string& data) const override
    {
        return m_c.m_socket.ChannelBinding(type, data);
    }
    void SetMechanism(std::string mechanism, bool bPasswordInClear) override
    {
        std::lock_guard lock(m_c.m_replyLock);
        m_c.m_sMechanism = std::move(mechanism);
        m_c.m_bPasswordInClear = bPasswordInClear;
    }
    bool HasUnreadInput() const override { return m_c.m_reader.HasUnread(); }
    void SetPipelining(bool bPipelining) override { m_c.m_bPipelining = bPipelining; }
    bool IsBroken() const override { return m_c.IsBroken(); }
    std::string BreakReason() const override { return m_c.BreakReason(); }
    void SetBreakReason(std::string reason) override { m_c.SetBreakReason(std::move(reason)); }
    std::string GetLastReply() const override { return m_c.GetLastReply(); }
    void SetLastReply(std::string text) override { m_c.SetLastReply(std::move(text)); }
    void SetFailure(LoginFailure failure, std::string detail) override { m_c.SetFailure(failure, std::move(detail)); }
    void End(bool bQuit) override
    {
        if (bQuit && m_c.IsConnected())
            m_c.QuitSession();
        m_c.CloseSession();
    }

private:
    CPop3Connection& m_c;
};

bool CPop3Connection::Login(const std::string& host, const std::string& user, const std::string& password, int port)
{
    std::lock_guard lock(m_lock);
    LoginCommands commands(*this);
    return Pop3Login(commands, {host, port, user, password, m_nSecurity, m_nAuth, m_fnTokens}, m_timing.m_nSlowReplyMs)
        .Run();
}

void CPop3Connection::ResetForLogin()
{
    m_bPipelining = false;
    if (IsConnected())
        QuitSession();
    CloseSession();
    if (!m_bKeepAbort.load(std::memory_order_acquire))
        m_socket.ClearAbort();
    SetState(SessionState::kClosed);
    SetFailure(LoginFailure::kNone);
    SetBreakReason({});
    {
        std::lock_guard lock(m_replyLock);
        m_sMechanism.clear();
        m_bPasswordInClear = false;
    }
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
        const std::string number = std::to_string(port);
        if (error == platform::kErrTimedOut)
            SetFailure(LoginFailure::kUnreachable,
                       core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "No answer on port %1 within %2 seconds"),
                                      {number, Seconds(platform::Socket::kConnectTimeoutMs)}));
        else if (error != platform::kErrInvalidArgument && error != platform::kErrInterrupted)
            SetFailure(
                LoginFailure::kUnreachable,
                core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "%1 on port %2"), {std::strerror(error), number}));
        SetLastError(error);
        return false;
    }
    SetState(SessionState::kOpen);
    return true;
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
    m_reader.Clear();
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
    Break(core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The connection was lost while sending %1: %2."),
                         {name, std::strerror(error)}));
    SetLastError(error);
    return false;
}

bool CPop3Connection::CheckInStep(const std::string& name)
{
    // Every byte before a command's reply must have been read as the reply
    // to an earlier command; one that was not means the replies are no
    // longer where the commands expect them.
    switch (m_reader.Probe()) {
    case pop3::ReplyReader::Pending::kNothing:
        return true;
    case pop3::ReplyReader::Pending::kStopped:
        SetLastError(platform::kErrInterrupted);
        Break(core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "Stopped before %1."), {name}));
        return false;
    case pop3::ReplyReader::Pending::kClosed:
        SetLastError(ECONNRESET);
        Break(core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The server had closed the connection before %1."),
                             {name}));
        return false;
    case pop3::ReplyReader::Pending::kStray:
        break;
    }
    SetLastError(platform::kErrProtocol);
    Break(
        core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The server sent data nobody asked for before %1."), {name}));
    return false;
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

CPop3Connection::Reply CPop3Connection::Exchange(Command command, const std::string& line, const std::string& name,
                                                 size_t nKeep)
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

CPop3Connection::Reply CPop3Connection::ReadReply(Command command, const std::string& name, size_t nKeep)
{
    std::lock_guard lock(m_lock);
    Reply reply;
    if (!RequireOpen())
        return reply;
    const CommandRow& row = Row(command);
    pop3::ReplyReader::Request request{
        row.m_shape == ReplyShape::kMultiLine, name, nKeep ? nKeep : row.m_nKeep, 0, 0, 0,
        row.m_shape == ReplyShape::kChallenge};
    SetWaits(command, request);
    pop3::ReplyReader::Failure failure;
    switch (m_reader.Read(request, reply.m_sText, failure)) {
    case pop3::ReplyReader::Outcome::kPositive:
        reply.m_bOk = true;
        break;
    case pop3::ReplyReader::Outcome::kChallenge:
        reply.m_bChallenge = true;
        break;
    case pop3::ReplyReader::Outcome::kNegative:
        SetLastReply(Shown(reply.m_sText));
        SetLastError(platform::kErrProtocol);
        break;
    case pop3::ReplyReader::Outcome::kFailed:
        SetLastError(failure.m_nError);
        SetLastReply(Shown(reply.m_sText));
        Break(failure.m_sWhy);
        if (failure.m_pszShown)
            SetLastReply(core_text::Say("Pop3", failure.m_pszShown));
        break;
    }
    return reply;
}

void CPop3Connection::SetWaits(Command command, pop3::ReplyReader::Request& request) const
{
    const CommandRow& row = Row(command);
    const bool bSlow = row.m_pace != ReplyPace::kQuick;
    request.m_nFirstMs = bSlow ? m_timing.m_nSlowReplyMs : m_timing.m_nSilenceMs;
    request.m_nSilenceMs = row.m_pace == ReplyPace::kListing ? m_timing.m_nSlowReplyMs : m_timing.m_nSilenceMs;
    request.m_nDeadlineMs = row.m_shape == ReplyShape::kLine ? m_timing.m_nLineDeadlineMs : m_timing.m_nBlockDeadlineMs;
    if (bSlow)
        request.m_nDeadlineMs += m_timing.m_nSlowReplyMs;
    if (row.m_pace == ReplyPace::kListing)
        request.m_nDeadlineMs += static_cast<uint64_t>(std::max(m_nMailCount, 0)) * kListingUsPerEntry / 1000;
    if (command == Command::kQuit) {
        const uint64_t extra = QuitWaitMs(m_timing, m_cache.m_nDeleted) - m_timing.m_nSilenceMs;
        request.m_nFirstMs = static_cast<uint32_t>(std::min<uint64_t>(request.m_nFirstMs + extra, UINT32_MAX));
        request.m_nDeadlineMs += extra;
    }
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
        Break(core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The server's answer to %1 names another message."),
                             {name}));
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
        Break(core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The server's answer to %1 gives no size."),
                             {Name(Command::kListOne, n)}));
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
            Break(core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The connection was lost while sending %1: %2."),
                                 {name, std::strerror(error)}));
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
        Break(core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The reply to %1 was read out of turn."),
                             {Name(command, n)}));
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
    return m_reader.HasUnread();
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
    AppendUnstuffed(reply, nBody, limit, text);
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

bool CPop3Connection::TopLines(int n, int nLines, std::string& text, bool* pbTruncated)
{
    std::lock_guard lock(m_lock);
    text.clear();
    if (pbTruncated)
        *pbTruncated = false;
    const std::string count = std::to_string(std::max(nLines, 0));
    const Reply answer = Exchange(Command::kTopLines, Line(Command::kTopLines, n, count), Name(Command::kTopLines, n));
    if (!answer)
        return false;
    const std::string& reply = answer.m_sText;
    const size_t nBody = reply.find('\n');
    if (nBody == std::string::npos)
        return true;
    AppendUnstuffed(reply, nBody, reply.size(), text);
    if (pbTruncated)
        *pbTruncated = reply.size() >= kMaxPreviewBytes;
    return true;
}

bool CPop3Connection::RunSecret(Command command, const std::string& argument)
{
    return ExchangeSecret(command, argument).m_bOk;
}

CPop3Connection::Reply CPop3Connection::ExchangeSecret(Command command, const std::string& argument)
{
    std::string line = Line(command, 0, argument);
    const bool bSent = SendCommand(line, Name(command, 0));
    // Leave no copy of the secret in freed memory.
    explicit_bzero(line.data(), line.size());
    if (!bSent)
        return {};
    return ReadReply(command, Name(command, 0));
}
