#include "Pop3Connection.h"

#include "platform/LastError.h"
#include "platform/Trace.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <string.h>   // explicit_bzero
#include <strings.h>  // strncasecmp

using platform::GetLastError;
using platform::SetLastError;
using platform::Trace;

namespace {

using Clock = std::chrono::steady_clock;

bool BeginsWithOk(const char* pText, size_t nLength)
{
    // RFC 1939 §3: status indicators are upper case, but servers that write
    // "+ok" exist and the reader accepts them.
    return nLength >= 3 && pText[0] == '+' && (pText[1] == 'O' || pText[1] == 'o')
        && (pText[2] == 'K' || pText[2] == 'k');
}

bool BeginsWithErr(const char* pText, size_t nLength)
{
    return nLength >= 4 && strncasecmp(pText, "-ERR", 4) == 0;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A decimal number of at most `limit` at *pp, advancing past it; no sign.
bool ParseNumber(const char*& p, const char* pEnd, unsigned long long limit, unsigned long long& value)
{
    if (p == pEnd || *p < '0' || *p > '9')
        return false;
    value = 0;
    for (; p != pEnd && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + static_cast<unsigned>(*p - '0');
        if (value > limit)
            return false;
    }
    return true;
}

// One listing line "msg SP word" (RFC 1939 §5, §7), CR already cut off:
// the message number and the word that follows it.
bool SplitListingLine(const char* p, const char* pEnd, unsigned long long& number, const char*& pWord,
                      const char*& pWordEnd)
{
    while (p != pEnd && IsBlank(*p))
        ++p;
    if (!ParseNumber(p, pEnd, INT_MAX, number) || p == pEnd || !IsBlank(*p))
        return false;
    while (p != pEnd && IsBlank(*p))
        ++p;
    pWord = p;
    while (p != pEnd && !IsBlank(*p))
        ++p;
    pWordEnd = p;
    return pWord != pWordEnd;
}

// Text of a reply for a message: what the server sent, up to its first NUL.
std::string Shown(const std::string& text)
{
    return text.substr(0, text.find('\0'));
}

}  // namespace

CPop3Connection::CPop3Connection() = default;

CPop3Connection::~CPop3Connection()
{
    if (m_bConnected)
        Quit();
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

void CPop3Connection::SetFailureReason(std::string text)
{
    std::lock_guard lock(m_replyLock);
    m_sFailureReason = std::move(text);
}

std::string CPop3Connection::GetFailureReason() const
{
    std::lock_guard lock(m_replyLock);
    return m_sFailureReason;
}

bool CPop3Connection::IsBroken() const
{
    return m_bBroken.load(std::memory_order_acquire);
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
    m_bCapaSilent = false;
    m_bPipelining = false;
    if (m_bConnected)
        QuitSession();
    CloseSession();
    m_socket.ClearAbort();
    m_bBroken.store(false, std::memory_order_release);
    m_bHaveStat = m_bHaveList = m_bHaveUidl = m_bTriedUidl = false;
    m_sizes.Clear();
    m_uids.Clear();
    m_nDeleted = 0;
    SetFailureReason({});
    {
        std::lock_guard replyLock(m_replyLock);
        m_sBreakReason.clear();
    }

    // RFC 1939 §3: a command line ends at its CR LF, so a CR, LF or NUL in a
    // credential would end the command early and put whatever follows on
    // the wire as a command of its own.
    const auto sendable = [](const std::string& text) {
        return text.size() <= kMaxCredentialLength && text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
    };
    if (!sendable(user) || !sendable(password)) {
        Trace("User name or password longer than %zu characters or holding CR, LF or NUL: not sent\n",
              kMaxCredentialLength);
        SetLastReply("The user name or password is longer than 120 characters or holds a line break or NUL.");
        SetFailureReason("The user name or password is longer than 120 characters or holds a line break or NUL; "
                         "nothing was sent.");
        SetLastError(platform::kErrInvalidArgument);
        return false;
    }

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
        SetLastError(error);
        return false;
    }
    m_bConnected = true;

    // A step the server refused quits the session politely; the QUIT
    // exchange must not replace the reason the step failed for. A broken
    // session is already closed.
    const auto fail = [this](const char* pszTrace, const std::string& refusal) {
        Trace("%s", pszTrace);
        const int error = GetLastError();
        const std::string reply = GetLastReply();
        if (IsBroken())
            SetFailureReason(BreakReason());
        else if (error == platform::kErrProtocol && !refusal.empty())
            SetFailureReason(refusal + Shown(reply));
        if (m_bConnected)
            QuitSession();
        CloseSession();
        SetLastReply(reply);
        SetLastError(error);
        return false;
    };
    // TLS that cannot be had ends the connection without QUIT: nothing more
    // may cross it, least of all in plain text on a TLS port.
    const auto failTls = [this](const std::string& reason) {
        const int error = GetLastError();
        Trace("Failed to secure the connection to the POP3 server: %s\n", reason.c_str());
        CloseSession();
        SetFailureReason(reason);
        SetLastError(error);
        return false;
    };
    std::string reason;
    if (m_nSecurity == Security::kImplicitTls && !m_socket.StartTls(host, m_sPinnedFingerprint, &reason))
        return failTls(reason);
    std::string text;
    if (!ReadReply(ReplyShape::kLine, ReplyPace::kSlow, "the greeting", text)) {
        if (IsBroken() && GetLastError() == platform::kErrTimedOut && text.empty()) {
            std::lock_guard replyLock(m_replyLock);
            m_sBreakReason = "The server accepted the connection but sent no greeting within "
                             + std::to_string((m_timing.m_nSlowReplyMs + 999) / 1000) + " seconds.";
        }
        return fail("Failed while connected to read a command response from the POP3 server\n",
                    "The server refused the connection: ");
    }

    if (m_nSecurity == Security::kStls) {
        // RFC 2595 §4: STLS only when the capabilities list it. Without it
        // the session ends here, before the user name is sent.
        bool bStls = false;
        if (!ReadCapabilities(&bStls))
            return fail("Failed while connected to read a CAPA command response from the POP3 server\n", "");
        if (!bStls) {
            SetFailureReason("The server does not offer STLS (STARTTLS), so the connection cannot be secured; "
                             "the user name and password were not sent.");
            SetLastError(platform::kErrProtocol);
            return fail("POP3 server does not offer STLS\n", "");
        }
        if (!Command("STLS\r\n", "STLS", text)) {
            if (GetLastError() == platform::kErrProtocol)
                SetFailureReason("The server refused STLS (STARTTLS): " + GetLastReply());
            return fail("Failed while connected to read a STLS command response from the POP3 server\n", "");
        }
        // Anything after the one-line answer came before TLS and may be an
        // attacker's: text injected there must not pass for the server's.
        if (m_nInputPos < m_sInput.size()) {
            SetLastError(platform::kErrProtocol);
            return failTls("The server sent more than its answer to STLS (STARTTLS); the connection "
                           "may have been tampered with and was closed.");
        }
        if (!m_socket.StartTls(host, m_sPinnedFingerprint, &reason))
            return failTls(reason);
        // RFC 2595 §4: what the server said before TLS no longer counts,
        // so ask again; a server may well list more now.
        if (!ReadCapabilities(nullptr))
            return fail("Failed while connected to read a CAPA command response from the POP3 server\n", "");
    }

    // RFC 2449: what the server can do, PIPELINING above all. STLS sessions
    // asked above, over TLS.
    if (m_nSecurity != Security::kStls && bAskCapa && !ReadCapabilities(nullptr)) {
        m_bCapaSilent = IsBroken() && GetLastError() == platform::kErrTimedOut;
        return fail("Failed while connected to read a CAPA command response from the POP3 server\n", "");
    }

    if (!Command("USER " + user + "\r\n", "USER", text))
        return fail("Failed while connected to read a USER command response from the POP3 server\n",
                    "The server refused the log-in: ");
    std::string passCommand;
    passCommand.reserve(password.size() + 7);  // one buffer, never reallocated
    passCommand.append("PASS ").append(password).append("\r\n");
    const bool bPassSent = SendCommand(passCommand, "PASS");
    // Leave no copy of the password in freed memory.
    explicit_bzero(passCommand.data(), passCommand.size());
    if (!bPassSent || !ReadReply(ReplyShape::kLine, ReplyPace::kSlow, "PASS", text))
        return fail("Failed while connected to read a PASS command response from the POP3 server\n",
                    "The server refused the log-in: ");
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

void CPop3Connection::CloseSession()
{
    m_bConnected = false;
    m_bHaveList = m_bHaveStat = m_bHaveUidl = m_bTriedUidl = false;
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
    if (!m_bBroken.exchange(true, std::memory_order_acq_rel)) {
        Trace("Replies no longer pair with commands, session closed without QUIT: %s\n", reason.c_str());
        std::lock_guard lock(m_replyLock);
        m_sBreakReason = reason;
    }
    CloseSession();
    SetLastError(error);
}

bool CPop3Connection::QuitSession()
{
    bool bResult = false;
    if (!m_aAwaited.empty()) {
        // QUIT's reply would come after replies nobody will read: the session
        // is closed without it, which deletes nothing (RFC 1939 §6).
        Trace("CPop3Connection, replies outstanding: closed without QUIT\n");
    } else if (m_bConnected && !IsBroken()) {
        std::string text;
        bResult = Command("QUIT\r\n", "QUIT", text);
    } else {
        Trace("CPop3Connection, Already disconnected\n");
    }
    CloseSession();
    return bResult;
}

bool CPop3Connection::IsConnected() const
{
    return m_bConnected.load(std::memory_order_acquire) && !IsBroken();
}

bool CPop3Connection::SendCommand(const std::string& command, const char* pszName)
{
    if (!m_bConnected || IsBroken()) {
        Trace("Failed to send the %s command to the POP3 server\n", pszName);
        SetLastError(IsBroken() ? platform::kErrProtocol : ENOTCONN);
        return false;
    }
    if (!CheckInStep(pszName))
        return false;
    if (m_socket.Send(command))
        return true;
    const int error = GetLastError();
    Trace("Failed to send the %s command to the POP3 server\n", pszName);
    Break(std::string("The connection was lost while sending ") + pszName + ": " + std::strerror(error) + ".");
    SetLastError(error);
    return false;
}

bool CPop3Connection::CheckInStep(const char* pszName)
{
    // Every byte before a command's reply must have been read as the reply
    // to an earlier command; one that was not means the replies are no
    // longer where the commands expect them.
    bool bStray = m_nInputPos < m_sInput.size();
    if (!bStray) {
        const platform::WaitResult wait = m_socket.WaitReadable(0);
        if (wait == platform::WaitResult::kWoken) {
            SetLastError(platform::kErrInterrupted);
            Break(std::string("Stopped before ") + pszName + ".");
            return false;
        }
        if (wait == platform::WaitResult::kReady) {
            char probe[512];
            const ssize_t got = m_socket.Receive(probe, sizeof probe);
            if (got == 0) {
                SetLastError(ECONNRESET);
                Break(std::string("The server had closed the connection before ") + pszName + ".");
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
        Break(std::string("The server sent data nobody asked for before ") + pszName + ".");
        return false;
    }
    return true;
}

bool CPop3Connection::IsIdleAndOpen()
{
    std::lock_guard lock(m_lock);
    if (!IsConnected())
        return false;
    if (CheckInStep("the next command"))
        return true;
    return false;
}

bool CPop3Connection::Command(const std::string& command, const char* pszName, std::string& text, ReplyShape shape,
                              ReplyPace pace, size_t nKeep)
{
    text.clear();
    if (!m_aAwaited.empty()) {
        // Its reply would be read as the answer to a pipelined command.
        Trace("%s not sent: pipelined replies are outstanding\n", pszName);
        SetLastError(platform::kErrInvalidArgument);
        return false;
    }
    return SendCommand(command, pszName) && ReadReply(shape, pace, pszName, text, nKeep);
}

bool CPop3Connection::ReadCapabilities(bool* pbStls)
{
    if (pbStls)
        *pbStls = false;
    m_bPipelining = false;
    std::string text;
    if (!Command("CAPA\r\n", "CAPA", text, ReplyShape::kMultiLine)) {
        if (GetLastError() != platform::kErrProtocol || IsBroken())
            return false;
        SetLastReply("");  // -ERR: lists nothing, and is no failure
        return true;
    }
    // One capability per line, its name first (RFC 2449), in any case.
    pop3::Capabilities capabilities;
    if (pop3::ParseCapabilities(text, capabilities) != pop3::ReplyError::kNone)
        return true;  // nothing usable listed
    if (pbStls)
        *pbStls = capabilities.m_bStls;
    m_bPipelining = capabilities.m_bPipelining;
    return true;
}

bool CPop3Connection::ReadReply(ReplyShape shape, ReplyPace pace, const char* pszName, std::string& text,
                                size_t nKeep)
{
    std::lock_guard lock(m_lock);
    text.clear();
    if (!m_bConnected || IsBroken()) {
        SetLastError(IsBroken() ? platform::kErrProtocol : ENOTCONN);
        return false;
    }

    const bool bSlow = pace != ReplyPace::kQuick;
    const uint32_t nFirstMs = bSlow ? m_timing.m_nSlowReplyMs : m_timing.m_nSilenceMs;
    const uint32_t nSilenceMs = pace == ReplyPace::kListing ? m_timing.m_nSlowReplyMs : m_timing.m_nSilenceMs;
    uint64_t nDeadlineMs = shape == ReplyShape::kLine ? m_timing.m_nLineDeadlineMs : m_timing.m_nBlockDeadlineMs;
    if (bSlow)
        nDeadlineMs += m_timing.m_nSlowReplyMs;
    if (pace == ReplyPace::kListing)
        nDeadlineMs += static_cast<uint64_t>(std::max(m_nMailCount, 0)) * kListingUsPerEntry / 1000;
    const std::string name = pszName;

    const auto start = Clock::now();
    auto lastData = start;
    bool bAnyByte = m_nInputPos < m_sInput.size();
    bool bStatus = false;        // the status line has been read
    bool bAtLineStart = true;    // the next byte starts a line of the body
    char lastByte = '\n';        // the last byte of the reply read so far
    bool bLineAfterCrLf = true;  // the line being read follows a CR LF
    size_t nTotal = 0;           // bytes of this reply read

    const auto broken = [&](int error, const std::string& why) {
        if (!bStatus && text.empty())
            text.assign(m_sInput, m_nInputPos, std::min(m_sInput.size() - m_nInputPos, kMaxStatusLine));
        SetLastError(error);
        SetLastReply(Shown(text));
        Break(why);
        return false;
    };

    for (;;) {
        // Read whatever is buffered; leave bytes past this reply for the next.
        while (m_nInputPos < m_sInput.size()) {
            const char* p = m_sInput.data() + m_nInputPos;
            const size_t nAvail = m_sInput.size() - m_nInputPos;
            if (!bStatus) {
                const char* pLf = static_cast<const char*>(std::memchr(p, '\n', std::min(nAvail, kMaxStatusLine)));
                if (!pLf) {
                    if (nAvail >= kMaxStatusLine)
                        return broken(platform::kErrProtocol,
                                      "The server's answer to " + name + " has no line end.");
                    break;
                }
                const size_t nLine = static_cast<size_t>(pLf - p) + 1;
                size_t nText = nLine - 1;
                if (nText > 0 && p[nText - 1] == '\r')
                    --nText;
                const bool bPositive = BeginsWithOk(p, nText);
                if (!bPositive && !BeginsWithErr(p, nText)) {
                    text.assign(p, std::min(nText, size_t{200}));
                    return broken(platform::kErrProtocol,
                                  "The server's answer to " + name + " is not a POP3 reply.");
                }
                text.assign(p, std::min(nText, nKeep));
                m_nInputPos += nLine;
                nTotal += nLine;
                // RFC 1939 §3: only a positive reply is multi-line; a
                // negative status line is the whole reply.
                if (!bPositive) {
                    SetLastReply(Shown(text));
                    SetLastError(platform::kErrProtocol);
                    return false;
                }
                if (shape == ReplyShape::kLine)
                    return true;
                bStatus = true;
                text.append("\r\n");
                lastByte = '\n';
                bLineAfterCrLf = nText + 2 == nLine;
                continue;
            }
            // RFC 1939 §3: the reply ends with a line holding only ".", after
            // a CR LF. Byte-stuffed lines ("..") are kept as they came.
            if (bAtLineStart && p[0] == '.') {
                if (nAvail < 3 && (nAvail < 2 || p[1] == '\r'))
                    break;  // too early to tell
                if (p[1] == '\r' && p[2] == '\n' && bLineAfterCrLf) {
                    m_nInputPos += 3;
                    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
                        text.resize(text.size() - 2);
                    return true;
                }
            }
            const char* pLf = static_cast<const char*>(std::memchr(p, '\n', nAvail));
            const size_t nPart = pLf ? static_cast<size_t>(pLf - p) + 1 : nAvail;
            if (text.size() < nKeep)
                text.append(p, std::min(nPart, nKeep - text.size()));
            nTotal += nPart;
            m_nInputPos += nPart;
            if (pLf) {
                const char before = nPart >= 2 ? p[nPart - 2] : lastByte;
                bLineAfterCrLf = before == '\r';
                bAtLineStart = true;
            } else {
                bAtLineStart = false;
            }
            lastByte = p[nPart - 1];
            if (nTotal > kMaxReplyBytes) {
                Trace("Reply from the POP3 server longer than %zu bytes: read abandoned\n", kMaxReplyBytes);
                broken(EMSGSIZE, "The server's answer to " + name + " is longer than 64 MiB.");
                SetLastReply("The POP3 server's reply is longer than 64 MiB.");
                return false;
            }
        }
        if (m_nInputPos == m_sInput.size()) {
            m_sInput.clear();
            m_nInputPos = 0;
        } else if (m_nInputPos > (size_t{1} << 16)) {
            m_sInput.erase(0, m_nInputPos);
            m_nInputPos = 0;
        }

        const auto now = Clock::now();
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count();
        const auto silent = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastData).count();
        const uint32_t nLimitMs = bAnyByte ? nSilenceMs : nFirstMs;
        if (static_cast<uint64_t>(elapsed) > nDeadlineMs)
            return broken(platform::kErrTimedOut, "The server's answer to " + name + " did not end within "
                                                      + std::to_string((nDeadlineMs + 999) / 1000) + " seconds.");
        if (silent > nLimitMs) {
            const std::string seconds = std::to_string((nLimitMs + 999) / 1000);
            return broken(platform::kErrTimedOut,
                          bAnyByte ? "The server stopped in the middle of its answer to " + name + " (silent for "
                                         + seconds + " seconds)."
                                   : "The server did not answer " + name + " within " + seconds + " seconds.");
        }
        const long long left = std::min<long long>(static_cast<long long>(nLimitMs) - silent,
                                                   static_cast<long long>(nDeadlineMs) - elapsed)
                               + 1;
        const platform::WaitResult wait = m_socket.WaitReadable(static_cast<int>(std::max(left, 1LL)));
        if (wait == platform::WaitResult::kTimedOut)
            continue;
        if (wait == platform::WaitResult::kWoken)
            return broken(platform::kErrInterrupted, "Stopped while waiting for the answer to " + name + ".");
        if (wait != platform::WaitResult::kReady)
            return broken(GetLastError(), "The connection was lost during " + name + ".");

        constexpr size_t kChunk = size_t{1} << 16;
        const size_t nOld = m_sInput.size();
        m_sInput.resize(nOld + kChunk);
        const ssize_t got = m_socket.Receive(m_sInput.data() + nOld, kChunk);
        m_sInput.resize(nOld + static_cast<size_t>(std::max<ssize_t>(got, 0)));
        if (got < 0 && (GetLastError() == EAGAIN || GetLastError() == EWOULDBLOCK))
            continue;
        if (got == 0)
            return broken(ECONNRESET, "The server closed the connection during " + name + ".");
        if (got < 0) {
            const int error = GetLastError();
            return broken(error, "The connection was lost during " + name + ": " + std::strerror(error) + ".");
        }
        lastData = Clock::now();
        bAnyByte = true;
    }
}

bool CPop3Connection::Stat(int& count, int& size)
{
    std::lock_guard lock(m_lock);
    std::string text;
    if (!Command("STAT\r\n", "STAT", text, ReplyShape::kLine, ReplyPace::kSlow)) {
        Trace("Error retrieving the STAT response from the POP3 server");
        return false;
    }
    // "+OK nn mm": message count, then the maildrop's size in octets; the
    // status word exactly as RFC 1939 §5 writes it.
    pop3::StatReply stat;
    const pop3::ReplyError error = pop3::ParseStat(text, stat);
    if (error != pop3::ReplyError::kNone) {
        Trace("POP3 server did not respond correctly to the STAT response\n");
        SetLastReply(Shown(text));
        SetLastError(error == pop3::ReplyError::kTooMany ? EOVERFLOW : platform::kErrProtocol);
        return false;
    }
    count = m_nMailCount = static_cast<int>(stat.m_nCount);
    // A maildrop of 2 GiB or more still has its messages counted right.
    size = static_cast<int>(std::min<uint64_t>(stat.m_nSize, INT_MAX));
    return true;
}

bool CPop3Connection::EnsureStat()
{
    // The listings are sized from the message count, so the first listing
    // of a session asks STAT for it even when the caller just did.
    if (!m_bHaveStat) {
        int count = 0, size = 0;
        if (!Stat(count, size))
            return false;
        m_bHaveStat = true;
    }
    return true;
}

bool CPop3Connection::List()
{
    std::lock_guard lock(m_lock);
    std::string text;
    if (!EnsureStat() || !ReadListing("LIST", text))
        return false;
    m_nListingProblem = pop3::ParseScanListing(text, ListingBound(), m_sizes);
    m_bHaveList = m_nListingProblem == pop3::ReplyError::kNone;
    if (!m_bHaveList)
        SetLastError(platform::kErrProtocol);
    return m_bHaveList;
}

bool CPop3Connection::Uidl()
{
    std::lock_guard lock(m_lock);
    std::string text;
    if (!EnsureStat())
        return false;
    m_bTriedUidl = true;
    if (!ReadListing("UIDL", text))
        return false;
    m_nListingProblem = pop3::ParseUidListing(text, ListingBound(), m_uids);
    m_bHaveUidl = m_nListingProblem == pop3::ReplyError::kNone;
    if (!m_bHaveUidl)
        SetLastError(platform::kErrProtocol);
    return m_bHaveUidl;
}

uint32_t CPop3Connection::ListingBound() const
{
    return static_cast<uint32_t>(std::max(m_nMailCount, 0)) + static_cast<uint32_t>(m_nDeleted);
}

bool CPop3Connection::ReadListing(const char* pszCommand, std::string& text)
{
    m_nListingProblem = pop3::ReplyError::kNone;
    if (!Command(std::string(pszCommand) + "\r\n", pszCommand, text, ReplyShape::kMultiLine, ReplyPace::kListing)) {
        Trace("Error retrieving the %s response from the POP3 server", pszCommand);
        return false;
    }
    return true;
}

bool CPop3Connection::GetSize(int n, uint64_t& size)
{
    std::lock_guard lock(m_lock);
    if (!m_bHaveList && !List())
        return false;
    if (n < 1 || !m_sizes.Has(static_cast<uint32_t>(n))) {
        SetLastError(platform::kErrInvalidArgument);
        return false;
    }
    size = m_sizes.Size(static_cast<uint32_t>(n));
    return true;
}

bool CPop3Connection::GetUidl(int n, std::string& uidl)
{
    std::lock_guard lock(m_lock);
    // UIDL is optional (RFC 1939 §7): a server that refused it is not asked
    // again in the same session.
    if (!m_bHaveUidl && (m_bTriedUidl || !Uidl()))
        return false;
    std::string_view id;
    if (n < 1 || m_uids.Find(static_cast<uint32_t>(n), &id) != pop3::UidListing::Id::kUsable) {
        SetLastError(platform::kErrInvalidArgument);
        return false;
    }
    uidl.assign(id);
    return true;
}

bool CPop3Connection::Top(int n, CPop3Message& message)
{
    std::lock_guard lock(m_lock);
    message.Clear();
    return QueueTop(n) && SendQueued() && ReadTop(n, message);
}

bool CPop3Connection::QueryOne(const char* pszVerb, int n, std::string& word)
{
    std::lock_guard lock(m_lock);
    const std::string name = std::string(pszVerb) + " " + std::to_string(n);
    std::string text;
    return Command(name + "\r\n", name.c_str(), text) && WordNaming(n, name, text, word);
}

bool CPop3Connection::WordNaming(int n, const std::string& name, const std::string& text, std::string& word)
{
    // RFC 1939 §5, §7: "+OK n value". A reply naming another number answers
    // another command.
    const char* p = text.c_str() + 3;
    const char* pEnd = text.c_str() + text.size();
    unsigned long long number = 0;
    const char* pWord;
    const char* pWordEnd;
    if (!SplitListingLine(p, pEnd, number, pWord, pWordEnd) || number != static_cast<unsigned long long>(n)) {
        SetLastError(platform::kErrProtocol);
        SetLastReply(Shown(text));
        Break("The server's answer to " + name + " names another message.");
        return false;
    }
    word.assign(pWord, pWordEnd);
    return true;
}

bool CPop3Connection::UidlOf(int n, std::string& uidl)
{
    return QueryOne("UIDL", n, uidl);
}

bool CPop3Connection::ListOne(int n, uint64_t& size)
{
    std::lock_guard lock(m_lock);
    std::string word;
    if (!QueryOne("LIST", n, word))
        return false;
    const char* p = word.c_str();
    unsigned long long value = 0;
    if (!ParseNumber(p, word.c_str() + word.size(), ULLONG_MAX / 10, value) || *p != '\0') {
        SetLastError(platform::kErrProtocol);
        SetLastReply(word);
        Break("The server's answer to LIST " + std::to_string(n) + " gives no size.");
        return false;
    }
    size = value;
    return true;
}

bool CPop3Connection::Dele(int n)
{
    std::lock_guard lock(m_lock);
    return QueueDele(n) && SendQueued() && ReadDele(n);
}

std::string CPop3Connection::AwaitedName(const Awaited& awaited)
{
    const char* pszVerb = awaited.m_cKind == 'T' ? "TOP " : awaited.m_cKind == 'U' ? "UIDL " : "DELE ";
    return pszVerb + std::to_string(awaited.m_nNum);
}

void CPop3Connection::Queue(char cKind, int n, const std::string& command)
{
    m_sOutput += command;
    m_aAwaited.push_back({cKind, n});
}

bool CPop3Connection::QueueTop(int n)
{
    std::lock_guard lock(m_lock);
    // Only a message the listing has is asked for. The listing is read
    // first when missing, which needs a session with nothing outstanding.
    uint64_t size = 0;
    if ((m_aAwaited.empty() || m_bHaveList) && !GetSize(n, size))
        return false;
    if (!m_bHaveList) {
        SetLastError(platform::kErrInvalidArgument);
        return false;
    }
    Queue('T', n, "TOP " + std::to_string(n) + " 0\r\n");
    return true;
}

bool CPop3Connection::QueueUidlOf(int n)
{
    std::lock_guard lock(m_lock);
    Queue('U', n, "UIDL " + std::to_string(n) + "\r\n");
    return true;
}

bool CPop3Connection::QueueDele(int n)
{
    std::lock_guard lock(m_lock);
    // The listing must be there first: later listings count the messages
    // marked deleted (ListingBound).
    if (!m_bHaveList && (!m_aAwaited.empty() || !List())) {
        if (!m_aAwaited.empty())
            SetLastError(platform::kErrInvalidArgument);
        return false;
    }
    Queue('D', n, "DELE " + std::to_string(n) + "\r\n");
    return true;
}

bool CPop3Connection::SendQueued()
{
    std::lock_guard lock(m_lock);
    if (m_sOutput.empty())
        return true;
    const size_t nBatch = std::count(m_sOutput.begin(), m_sOutput.end(), '\n');
    const Awaited& first = m_aAwaited[m_aAwaited.size() - nBatch];
    const std::string name = AwaitedName(first);
    // Bytes before the batch are stray only while no reply is outstanding;
    // past that they are the replies to the commands sent earlier.
    bool bSent = false;
    if (!m_bConnected || IsBroken()) {
        SetLastError(IsBroken() ? platform::kErrProtocol : ENOTCONN);
    } else if (m_aAwaited.size() > nBatch || CheckInStep(name.c_str())) {
        bSent = m_socket.Send(m_sOutput);
        if (!bSent) {
            const int error = GetLastError();
            Break("The connection was lost while sending " + name + ": " + std::strerror(error) + ".");
        }
    }
    m_sOutput.clear();
    if (!bSent) {
        m_aAwaited.erase(m_aAwaited.end() - static_cast<std::ptrdiff_t>(nBatch), m_aAwaited.end());
        Trace("Failed to send the %s command to the POP3 server\n", name.c_str());
    }
    return bSent;
}

bool CPop3Connection::ReadAwaited(char cKind, int n, std::string& text)
{
    text.clear();
    if (m_aAwaited.empty() || !m_sOutput.empty() || m_aAwaited.front().m_cKind != cKind
        || m_aAwaited.front().m_nNum != n) {
        // A reply read for a command other than the one it answers.
        SetLastError(platform::kErrProtocol);
        Break("The reply to " + AwaitedName({cKind, n}) + " was read out of turn.");
        return false;
    }
    const Awaited awaited = m_aAwaited.front();
    m_aAwaited.pop_front();
    const std::string name = AwaitedName(awaited);
    if (cKind == 'T')
        return ReadReply(ReplyShape::kMultiLine, ReplyPace::kQuick, name.c_str(), text, kMaxHeaderBytes);
    return ReadReply(ReplyShape::kLine, ReplyPace::kQuick, name.c_str(), text);
}

bool CPop3Connection::ReadTop(int n, CPop3Message& message)
{
    std::lock_guard lock(m_lock);
    message.Clear();
    std::string text;
    if (!ReadAwaited('T', n, text)) {
        Trace("Error retrieving the TOP response");
        return false;
    }
    // The header block follows the status line. Lines the server
    // byte-stuffed (RFC 1939 §3) keep their doubled leading dot.
    const size_t nLf = text.find('\n');
    message.SetText(nLf == std::string::npos ? std::string_view() : std::string_view(text).substr(nLf + 1));
    return true;
}

bool CPop3Connection::ReadUidlOf(int n, std::string& uidl)
{
    std::lock_guard lock(m_lock);
    std::string text;
    return ReadAwaited('U', n, text) && WordNaming(n, "UIDL " + std::to_string(n), text, uidl);
}

bool CPop3Connection::ReadDele(int n)
{
    std::lock_guard lock(m_lock);
    std::string text;
    // Message numbers stay valid for the whole session (RFC 1939 §6), so the
    // cached listings stay as they are.
    if (!ReadAwaited('D', n, text))
        return false;
    ++m_nDeleted;
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
    std::string text;
    while (!m_aAwaited.empty()) {
        const Awaited awaited = m_aAwaited.front();
        const bool bOk = ReadAwaited(awaited.m_cKind, awaited.m_nNum, text);
        if (!bOk && IsBroken())
            return false;
        if (bOk && awaited.m_cKind == 'D')
            ++m_nDeleted;
    }
    return true;
}

bool CPop3Connection::Rset()
{
    std::lock_guard lock(m_lock);
    std::string text;
    return Command("RSET\r\n", "RSET", text);
}

bool CPop3Connection::Noop()
{
    std::lock_guard lock(m_lock);
    std::string text;
    return Command("NOOP\r\n", "NOOP", text);
}

bool CPop3Connection::Retr(int n, std::string& text, size_t limit)
{
    std::lock_guard lock(m_lock);
    text.clear();
    const std::string name = "RETR " + std::to_string(n);
    std::string reply;
    // Room for the status line, the byte-stuffing and one byte that tells a
    // message longer than the limit.
    const size_t nKeep = std::min(kMaxReplyBytes, limit + limit / 8 + kMaxStatusLine + 1);
    if (!Command(name + "\r\n", name.c_str(), reply, ReplyShape::kMultiLine, ReplyPace::kQuick, nKeep))
        return false;
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
