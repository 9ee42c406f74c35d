#include "ReplyReader.h"

#include "core/platform/CoreText.h"
#include "core/platform/LastError.h"
#include "core/platform/Trace.h"
#include "core/pop3/Pop3Replies.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

using platform::GetLastError;
using platform::Trace;

namespace pop3 {
namespace {

std::string Seconds(uint64_t ms)
{
    return std::to_string((ms + 999) / 1000);
}

}  // namespace

// One reply being read: where it stands, and the limits on its waits.
struct ReplyReader::ReplyRead {
    const Request& m_request;
    std::string& m_text;
    Failure& m_failure;
    CClientSocket::Clock::time_point m_start;
    CClientSocket::Clock::time_point m_lastData;
    bool m_bAnyByte = false;
    bool m_bStatus = false;           // the status line has been read
    bool m_bAtLineStart = true;       // the next byte starts a line of the body
    char m_lastByte = '\n';           // the last byte of the reply read so far
    bool m_bLineAfterCrLf = true;     // the line being read follows a CR LF
    size_t m_nTotal = 0;              // bytes of this reply read
    uint32_t m_nReportedSeconds = 0;  // the silence last told the wait observer
};

ReplyReader::Outcome ReplyReader::Read(const Request& request, std::string& text, Failure& failure)
{
    const auto start = m_socket.Now();
    ReplyRead read{request, text, failure, start, start, HasUnread()};
    for (;;) {
        if (const std::optional<Outcome> done = TakeBuffered(read))
            return *done;
        CompactInput();
        if (!ReceiveMore(read))
            return Outcome::kFailed;
    }
}

bool ReplyReader::FailRead(ReplyRead& read, int error, std::string why)
{
    ReportSilence(read, 0);
    if (!read.m_bStatus && read.m_text.empty())
        read.m_text.assign(m_sInput, m_nInputPos, std::min(m_sInput.size() - m_nInputPos, kMaxStatusLine));
    read.m_failure.m_nError = error;
    read.m_failure.m_sWhy = std::move(why);
    return false;
}

std::optional<ReplyReader::Outcome> ReplyReader::TakeBuffered(ReplyRead& read)
{
    // Leave bytes past this reply for the next.
    while (m_nInputPos < m_sInput.size()) {
        const size_t nBefore = m_nInputPos;
        const std::optional<Outcome> done = read.m_bStatus ? TakeBodyBytes(read) : TakeStatusLine(read);
        if (done)
            return done;
        if (m_nInputPos == nBefore)
            break;  // the bytes so far cannot tell yet
    }
    return std::nullopt;
}

std::optional<ReplyReader::Outcome> ReplyReader::TakeStatusLine(ReplyRead& read)
{
    const std::string& name = read.m_request.m_name;
    const char* p = m_sInput.data() + m_nInputPos;
    const size_t nAvail = m_sInput.size() - m_nInputPos;
    const char* pLf = static_cast<const char*>(std::memchr(p, '\n', std::min(nAvail, kMaxStatusLine)));
    if (!pLf) {
        if (nAvail < kMaxStatusLine)
            return std::nullopt;
        FailRead(
            read, platform::kErrProtocol,
            core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The server's answer to %1 has no line end."), {name}));
        return Outcome::kFailed;
    }
    const size_t nLine = static_cast<size_t>(pLf - p) + 1;
    size_t nText = nLine - 1;
    if (nText > 0 && p[nText - 1] == '\r')
        --nText;
    const Status status = ParseStatusLine(std::string_view(p, nText)).m_status;
    // RFC 5034 §4: "+" alone or "+ " and the challenge.
    if (status == Status::kOther && read.m_request.m_bChallenge && nText >= 1 && p[0] == '+'
        && (nText == 1 || p[1] == ' ')) {
        read.m_text.assign(p + std::min<size_t>(nText, 2), nText - std::min<size_t>(nText, 2));
        m_nInputPos += nLine;
        read.m_nTotal += nLine;
        return Outcome::kChallenge;
    }
    if (status == Status::kOther) {
        read.m_text.assign(p, std::min(nText, size_t{200}));
        FailRead(read, platform::kErrProtocol,
                 core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The server's answer to %1 is not a POP3 reply."),
                                {name}));
        return Outcome::kFailed;
    }
    read.m_text.assign(p, std::min(nText, read.m_request.m_nKeep));
    m_nInputPos += nLine;
    read.m_nTotal += nLine;
    // RFC 1939 §3: only a positive reply is multi-line; a negative status
    // line is the whole reply.
    if (status == Status::kErr)
        return Outcome::kNegative;
    if (!read.m_request.m_bMultiLine)
        return Outcome::kPositive;
    read.m_bStatus = true;
    read.m_text.append("\r\n");
    read.m_lastByte = '\n';
    read.m_bLineAfterCrLf = nText + 2 == nLine;
    return std::nullopt;
}

std::optional<ReplyReader::Outcome> ReplyReader::TakeBodyBytes(ReplyRead& read)
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
            return Outcome::kPositive;
        }
    }
    const char* pLf = static_cast<const char*>(std::memchr(p, '\n', nAvail));
    const size_t nPart = pLf ? static_cast<size_t>(pLf - p) + 1 : nAvail;
    const size_t nKeep = read.m_request.m_nKeep;
    if (read.m_text.size() < nKeep)
        read.m_text.append(p, std::min(nPart, nKeep - read.m_text.size()));
    read.m_nTotal += nPart;
    m_nInputPos += nPart;
    read.m_bAtLineStart = pLf != nullptr;
    if (pLf)
        read.m_bLineAfterCrLf = (nPart >= 2 ? p[nPart - 2] : read.m_lastByte) == '\r';
    read.m_lastByte = p[nPart - 1];
    if (read.m_nTotal > kMaxReplyBytes) {
        Trace("Reply from the POP3 server longer than %zu bytes: read abandoned\n", kMaxReplyBytes);
        FailRead(read, EMSGSIZE,
                 core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The server's answer to %1 is longer than 64 MiB."),
                                {read.m_request.m_name}));
        read.m_failure.m_pszShown = QT_TRANSLATE_NOOP("Pop3", "The POP3 server's reply is longer than 64 MiB.");
        return Outcome::kFailed;
    }
    return std::nullopt;
}

void ReplyReader::CompactInput()
{
    if (m_nInputPos == m_sInput.size()) {
        m_sInput.clear();
        m_nInputPos = 0;
    } else if (m_nInputPos > (size_t{1} << 16)) {
        m_sInput.erase(0, m_nInputPos);
        m_nInputPos = 0;
    }
}

bool ReplyReader::WaitLeft(ReplyRead& read, long long& nLeftMs)
{
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    const Request& request = read.m_request;
    const std::string& name = request.m_name;
    const auto now = m_socket.Now();
    const long long elapsed = duration_cast<milliseconds>(now - read.m_start).count();
    const long long silent = duration_cast<milliseconds>(now - read.m_lastData).count();
    const uint32_t nLimitMs = read.m_bAnyByte ? request.m_nSilenceMs : request.m_nFirstMs;
    if (static_cast<uint64_t>(elapsed) > request.m_nDeadlineMs)
        return FailRead(
            read, platform::kErrTimedOut,
            core_text::Say("Pop3",
                           QT_TRANSLATE_NOOP("Pop3", "The server's answer to %1 did not end within %2 seconds."),
                           {name, Seconds(request.m_nDeadlineMs)}));
    if (silent > nLimitMs)
        return FailRead(
            read, platform::kErrTimedOut,
            read.m_bAnyByte
                ? core_text::Say("Pop3",
                                 QT_TRANSLATE_NOOP("Pop3",
                                                   "The server stopped in the middle of its answer to %1 "
                                                   "(silent for %2 seconds)."),
                                 {name, Seconds(nLimitMs)})
                : core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The server did not answer %1 within %2 seconds."),
                                 {name, Seconds(nLimitMs)}));
    nLeftMs = std::min<long long>(static_cast<long long>(nLimitMs) - silent,
                                  static_cast<long long>(request.m_nDeadlineMs) - elapsed)
        + 1;
    if (m_waitObserver) {
        // Wake at the next whole second worth telling, from
        // kReportSilenceAfterMs on.
        if (silent >= kReportSilenceAfterMs)
            ReportSilence(read, static_cast<uint32_t>(silent / 1000));
        const long long next = std::max<long long>(kReportSilenceAfterMs, (silent / 1000 + 1) * 1000);
        nLeftMs = std::min(nLeftMs, next - silent);
    }
    return true;
}

bool ReplyReader::ReceiveMore(ReplyRead& read)
{
    const std::string& name = read.m_request.m_name;
    long long left = 0;
    if (!WaitLeft(read, left))
        return false;
    const platform::WaitResult wait = m_socket.WaitReadable(static_cast<int>(std::max(left, 1LL)));
    if (wait == platform::WaitResult::kTimedOut)
        return true;
    if (wait == platform::WaitResult::kWoken)
        return FailRead(
            read, platform::kErrInterrupted,
            core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "Stopped while waiting for the answer to %1."), {name}));
    if (wait != platform::WaitResult::kReady)
        return FailRead(
            read, GetLastError(),
            core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The connection was lost during %1."), {name}));

    constexpr size_t kChunk = size_t{1} << 16;
    const size_t nOld = m_sInput.size();
    m_sInput.resize(nOld + kChunk);
    const ssize_t got = m_socket.Receive(m_sInput.data() + nOld, kChunk);
    m_sInput.resize(nOld + static_cast<size_t>(std::max<ssize_t>(got, 0)));
    if (got < 0 && (GetLastError() == EAGAIN || GetLastError() == EWOULDBLOCK))
        return true;
    if (got == 0)
        return FailRead(
            read, ECONNRESET,
            core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The server closed the connection during %1."), {name}));
    if (got < 0) {
        const int error = GetLastError();
        return FailRead(read, error,
                        core_text::Say("Pop3", QT_TRANSLATE_NOOP("Pop3", "The connection was lost during %1: %2."),
                                       {name, std::strerror(error)}));
    }
    read.m_lastData = m_socket.Now();
    read.m_bAnyByte = true;
    ReportSilence(read, 0);
    return true;
}

void ReplyReader::ReportSilence(ReplyRead& read, uint32_t nSeconds)
{
    if (!m_waitObserver || read.m_nReportedSeconds == nSeconds)
        return;
    read.m_nReportedSeconds = nSeconds;
    m_waitObserver(nSeconds);
}

ReplyReader::Pending ReplyReader::Probe()
{
    if (HasUnread())
        return Pending::kStray;
    const platform::WaitResult wait = m_socket.WaitReadable(0);
    if (wait == platform::WaitResult::kWoken)
        return Pending::kStopped;
    if (wait != platform::WaitResult::kReady)
        return Pending::kNothing;
    char probe[512];
    const ssize_t got = m_socket.Receive(probe, sizeof probe);
    if (got == 0)
        return Pending::kClosed;
    if (got < 0)
        return Pending::kNothing;
    m_sInput.append(probe, static_cast<size_t>(got));
    return Pending::kStray;
}

void ReplyReader::Clear()
{
    m_sInput.clear();
    m_sInput.shrink_to_fit();
    m_nInputPos = 0;
}

}  // namespace pop3
