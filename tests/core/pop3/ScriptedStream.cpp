#include "ScriptedStream.h"

#include "core/platform/LastError.h"
#include "tests/support/ScriptedPop3Server.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

ScriptedStream::ScriptedStream()
    : m_start(Clock::now()),
      m_now(m_start)
{ }

ScriptedStream& ScriptedStream::Add(Kind kind, std::string bytes, std::vector<size_t> cuts, long long nPauseMs)
{
    m_aSteps.push_back({kind, std::move(bytes), std::move(cuts), nPauseMs, 0});
    return *this;
}

ScriptedStream& ScriptedStream::Send(std::string bytes)
{
    return SendSplit(std::move(bytes), {});
}

ScriptedStream& ScriptedStream::SendSplit(std::string bytes, std::vector<size_t> cuts)
{
    cuts.push_back(bytes.size());
    std::sort(cuts.begin(), cuts.end());
    return Add(Kind::kSend, std::move(bytes), std::move(cuts));
}

ScriptedStream& ScriptedStream::Trickle(const std::string& bytes, int pauseMs)
{
    for (size_t k = 0; k < bytes.size(); ++k) {
        if (k > 0)
            Pause(pauseMs);
        Send(bytes.substr(k, 1));
    }
    return *this;
}

ScriptedStream& ScriptedStream::Expect(std::string clientBytes)
{
    return Add(Kind::kExpect, std::move(clientBytes));
}

ScriptedStream& ScriptedStream::ExpectLine()
{
    return Add(Kind::kExpectLine);
}

ScriptedStream& ScriptedStream::Pause(int ms)
{
    return Add(Kind::kPause, {}, {}, ms);
}

ScriptedStream& ScriptedStream::CloseConnection()
{
    return Add(Kind::kClose);
}

ScriptedStream& ScriptedStream::SetChunk(size_t nBytes)
{
    m_nChunk = std::max<size_t>(nBytes, 1);
    return *this;
}

CClientSocket::StreamSource ScriptedStream::Source()
{
    return [this, bUsed = false](const std::string&, uint16_t) mutable -> std::shared_ptr<IStandIn> {
        if (std::exchange(bUsed, true))
            return nullptr;
        return std::shared_ptr<IStandIn>(std::shared_ptr<void>(), this);  // not owned
    };
}

bool ScriptedStream::Finished()
{
    Advance();
    return m_aSteps.empty() && m_sFailure.empty();
}

std::string ScriptedStream::Failure() const
{
    if (!m_sFailure.empty() || m_aSteps.empty())
        return m_sFailure;
    return "step " + std::to_string(m_nStep + 1) + " not played; the client sent \""
        + ScriptedPop3Server::Printable(m_sInbox) + "\"";
}

long long ScriptedStream::ElapsedMs() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(m_now - m_start).count();
}

void ScriptedStream::Fail(const std::string& why)
{
    if (m_sFailure.empty())
        m_sFailure = "step " + std::to_string(m_nStep + 1) + ": " + why;
    m_aSteps.clear();
    m_bClosed = true;
}

void ScriptedStream::Advance()
{
    while (!m_aSteps.empty() && !m_bClosed) {
        Step& step = m_aSteps.front();
        if (step.m_kind == Kind::kExpect) {
            const std::string& want = step.m_sBytes;
            const size_t n = std::min(m_sInbox.size(), want.size());
            if (m_sInbox.compare(0, n, want, 0, n) != 0)
                return Fail("expected \"" + ScriptedPop3Server::Printable(want) + "\", client sent \""
                            + ScriptedPop3Server::Printable(m_sInbox) + "\"");
            if (m_sInbox.size() < want.size())
                return;
            m_sInbox.erase(0, want.size());
        } else if (step.m_kind == Kind::kExpectLine) {
            const size_t lf = m_sInbox.find('\n');
            if (lf == std::string::npos)
                return;
            m_sInbox.erase(0, lf + 1);
        } else if (step.m_kind == Kind::kClose) {
            m_bClosed = true;
        } else if ((step.m_kind == Kind::kSend && step.m_nPos < step.m_sBytes.size())
                   || (step.m_kind == Kind::kPause && step.m_nPauseMs > 0)) {
            return;
        }
        m_aSteps.pop_front();
        ++m_nStep;
    }
    // Past the script: a QUIT is answered, so that ending a session costs
    // no wait.
    if (m_aSteps.empty() && !m_bClosed && m_sInbox.find("QUIT\r\n") != std::string::npos) {
        m_sInbox.clear();
        Send("+OK\r\n").CloseConnection();
    }
}

bool ScriptedStream::SendAll(const char* pData, size_t nLength)
{
    if (m_bClosed)
        return true;  // as a socket whose peer just closed: the send succeeds
    m_sReceived.append(pData, nLength);
    m_sInbox.append(pData, nLength);
    Advance();
    return true;
}

ssize_t ScriptedStream::Receive(char* pBuffer, size_t nLength)
{
    Advance();
    if (m_bClosed)
        return 0;
    if (m_aSteps.empty() || m_aSteps.front().m_kind != Kind::kSend) {
        platform::SetLastError(EAGAIN);
        return -1;
    }
    Step& step = m_aSteps.front();
    const size_t segmentEnd = *std::upper_bound(step.m_aCuts.begin(), step.m_aCuts.end(), step.m_nPos);
    const size_t n = std::min({nLength, m_nChunk, segmentEnd - step.m_nPos});
    std::memcpy(pBuffer, step.m_sBytes.data() + step.m_nPos, n);
    step.m_nPos += n;
    return static_cast<ssize_t>(n);
}

platform::WaitResult ScriptedStream::WaitReadable(int nTimeoutMs)
{
    long long left = nTimeoutMs;  // < 0: no limit
    for (;;) {
        Advance();
        if (m_bClosed || (!m_aSteps.empty() && m_aSteps.front().m_kind == Kind::kSend))
            return platform::WaitResult::kReady;
        if (m_aSteps.empty() || m_aSteps.front().m_kind != Kind::kPause) {
            // Waiting for the client, or past the script: silent for as
            // long as the client waits.
            m_now += std::chrono::milliseconds(std::max(left, 0LL));
            return platform::WaitResult::kTimedOut;
        }
        long long& pause = m_aSteps.front().m_nPauseMs;
        if (left >= 0 && left < pause) {
            m_now += std::chrono::milliseconds(left);
            pause -= left;
            return platform::WaitResult::kTimedOut;
        }
        m_now += std::chrono::milliseconds(pause);
        if (left >= 0)
            left -= pause;
        pause = 0;
    }
}
