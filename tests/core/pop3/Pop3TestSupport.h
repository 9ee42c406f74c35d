#pragma once

#include "core/platform/Socket.h"
#include "core/platform/Trace.h"
#include "core/pop3/Pop3Connection.h"
#include "ScriptedStream.h"
#include "tests/support/ScriptedPop3Server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

// A connection whose waits a test may shorten: every silence limit and
// deadline at most `readTimeoutMs`.
class TestConnection : public CPop3Connection {
public:
    explicit TestConnection(uint32_t readTimeoutMs = 2000)
    {
        m_timing.m_nSilenceMs = std::min(m_timing.m_nSilenceMs, readTimeoutMs);
        m_timing.m_nSlowReplyMs = std::min(m_timing.m_nSlowReplyMs, readTimeoutMs);
        m_timing.m_nLineDeadlineMs = std::min(m_timing.m_nLineDeadlineMs, 5 * readTimeoutMs);
        m_timing.m_nBlockDeadlineMs = std::min(m_timing.m_nBlockDeadlineMs, 5 * readTimeoutMs);
    }
    void SetTiming(const Timing& timing) { m_timing = timing; }
};

// Captures trace lines while it lives. Its lock lives in static storage:
// a mutex on the stack would share its address with the next test's
// mutexes, which ThreadSanitizer would take for one lock taken in both
// orders.
class TraceCapture {
public:
    TraceCapture()
    {
        {
            std::lock_guard lock(Lock());
            Store().clear();
        }
        platform::SetTraceSink([](const std::string& line) {
            std::lock_guard lock(Lock());
            Store().push_back(line);
        });
    }
    ~TraceCapture() { platform::SetTraceSink({}); }
    std::vector<std::string> Lines() const
    {
        std::lock_guard lock(Lock());
        return Store();
    }
    bool Has(const std::string& line) const
    {
        for (const std::string& l : Lines())
            if (l == line)
                return true;
        return false;
    }

private:
    static std::mutex& Lock()
    {
        static std::mutex lock;
        return lock;
    }
    static std::vector<std::string>& Store()
    {
        static std::vector<std::string> lines;
        return lines;
    }
};

// Greeting, CAPA (answered with capaReply: by default none, so commands go
// one at a time), USER u, PASS p, each answered at once; on a
// ScriptedPop3Server or a ScriptedStream.
template <typename Script> Script& ScriptLogin(Script& server, const std::string& capaReply = "-ERR\r\n")
{
    return server.Send("+OK ready\r\n")
        .Expect("CAPA\r\n")
        .Send(capaReply)
        .Expect("USER u\r\n")
        .Send("+OK\r\n")
        .Expect("PASS p\r\n")
        .Send("+OK in\r\n");
}

// Logs in as "u" with "p" to the server the stream plays.
inline bool LoginTo(CPop3Connection& pop, ScriptedStream& server)
{
    pop.SetStreamSource(server.Source());
    return pop.Login("pop.example", "u", "p", 110);
}

inline long long MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

// A loopback port whose accept queue is full: one connection fills it and
// nobody accepts, so the SYN of the next connect goes unanswered and that
// connect hangs until its budget runs out or it is aborted.
class FullBacklogListener {
public:
    FullBacklogListener()
    {
        m_hListen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof addr;
        if (m_hListen < 0 || ::bind(m_hListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
            || ::listen(m_hListen, 0) != 0
            || ::getsockname(m_hListen, reinterpret_cast<sockaddr*>(&addr), &length) != 0)
            return;
        m_nPort = ntohs(addr.sin_port);
        m_bFull = m_filler.Connect("127.0.0.1", m_nPort, 5000);
    }
    ~FullBacklogListener()
    {
        if (m_hListen >= 0)
            ::close(m_hListen);
    }
    FullBacklogListener(const FullBacklogListener&) = delete;
    FullBacklogListener& operator=(const FullBacklogListener&) = delete;

    // The queue is full: a connect to Port() now hangs.
    bool IsFull() const { return m_bFull; }
    uint16_t Port() const { return m_nPort; }

private:
    int m_hListen = -1;
    uint16_t m_nPort = 0;
    platform::Socket m_filler;
    bool m_bFull = false;
};
