#include "ScriptedPop3Server.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

const std::string ScriptedPop3Server::kCloseConnection = std::string("\0close\0", 7);

namespace {
const std::string kTrickleMark = std::string("\0trickle\0", 9);
}  // namespace

std::string ScriptedPop3Server::Trickled(const std::string& bytes)
{
    return kTrickleMark + bytes;
}

namespace {

using Clock = std::chrono::steady_clock;

enum class StepKind { kSend, kSendSplit, kTrickle, kExpect, kPause, kClose };

struct Step {
    StepKind m_kind;
    std::string m_sBytes;
    std::vector<size_t> m_aCuts;
    int m_nPauseMs = 0;
};

struct Message {
    std::string m_sUid;
    std::string m_sText;     // CR LF line ends
    uint64_t m_nSerial = 0;  // which message this is, whatever its id
};

// Makes every line end in CR LF, the form POP3 puts on the wire.
std::string ToCrLf(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 2);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    if (out.size() < 2 || out.compare(out.size() - 2, 2, "\r\n") != 0)
        out += "\r\n";
    return out;
}

// Printable form of bytes for failure messages.
std::string Escape(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else
            out += static_cast<char>(c);
    }
    return out;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

std::string ScriptedPop3Server::Printable(const std::string& bytes)
{
    return Escape(bytes);
}

struct ScriptedPop3Server::Impl {
    int m_hListen = -1;
    int m_hStop = -1;
    uint16_t m_nPort = 0;

    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::string m_sReceived;
    std::string m_sFailure;
    bool m_bFinished = false;
    int m_nSessions = 0;
    int m_nOpenSessions = 0;
    std::set<int> m_openFds;

    std::vector<Step> m_aSteps;
    bool m_bMailbox = false;
    std::vector<Message> m_aMessages;
    std::string m_sUser, m_sPass;
    Override m_override;
    Shaper m_shaper;
    uint64_t m_nNextSerial = 0;
    bool m_bPipelining = false;                     // CAPA lists PIPELINING
    std::string m_sSaslMechanism, m_sSaslResponse;  // AcceptSasl's

    std::thread m_thread;
    std::vector<std::thread> m_sessionThreads;

    // 1 when fd is ready for `events`, 0 on time-out, -1 when stopping.
    int Wait(int fd, short events, int timeoutMs)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            pollfd fds[2] = {{fd, events, 0}, {m_hStop, POLLIN, 0}};
            int left = -1;
            if (timeoutMs >= 0)
                left = static_cast<int>(std::max<long long>(
                    0, std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count()));
            const int rc = ::poll(fds, 2, left);
            if (rc < 0 && errno == EINTR)
                continue;
            if (fds[1].revents != 0)
                return -1;
            if (rc < 0)
                return -1;
            return rc == 0 ? 0 : 1;
        }
    }

    bool Sleep(int ms) { return ms <= 0 || Wait(m_hStop, POLLIN, ms) == 0; }

    bool WriteAll(int fd, const char* p, size_t n)
    {
        while (n > 0) {
            const ssize_t sent = ::send(fd, p, n, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent > 0) {
                p += sent;
                n -= static_cast<size_t>(sent);
            } else if (sent < 0 && errno == EINTR) {
                continue;
            } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (Wait(fd, POLLOUT, 30000) != 1)
                    return false;
            } else {
                return false;
            }
        }
        return true;
    }
    bool WriteAll(int fd, const std::string& s) { return WriteAll(fd, s.data(), s.size()); }

    // Reads what the client has sent within timeoutMs into `inbox` (and the
    // record). 1 data, 0 time-out, -1 closed or stopping.
    int ReadSome(int fd, std::string& inbox, int timeoutMs)
    {
        const int ready = Wait(fd, POLLIN, timeoutMs);
        if (ready != 1)
            return ready;
        char buffer[65536];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return 1;
        if (got <= 0)
            return -1;
        inbox.append(buffer, static_cast<size_t>(got));
        std::lock_guard lock(m_lock);
        m_sReceived.append(buffer, static_cast<size_t>(got));
        return 1;
    }

    int Accept()
    {
        if (Wait(m_hListen, POLLIN, -1) != 1)
            return -1;
        const int fd = ::accept4(m_hListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            return -1;
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::lock_guard lock(m_lock);
        m_openFds.insert(fd);
        return fd;
    }

    void CloseFd(int fd)
    {
        std::lock_guard lock(m_lock);
        if (m_openFds.erase(fd)) {
            ::shutdown(fd, SHUT_RDWR);
            ::close(fd);
        }
    }

    void Fail(const std::string& why)
    {
        std::lock_guard lock(m_lock);
        if (m_sFailure.empty())
            m_sFailure = why;
        m_changed.notify_all();
    }

    void RunScript()
    {
        const int fd = Accept();
        if (fd < 0)
            return;
        {
            std::lock_guard lock(m_lock);
            ++m_nSessions;
            ++m_nOpenSessions;
        }
        PlayScript(fd);
        std::lock_guard lock(m_lock);
        --m_nOpenSessions;
        m_changed.notify_all();
    }

    // The steps, then recording until the client closes; closes fd.
    void PlayScript(int fd)
    {
        std::string inbox;
        bool bOpen = true;
        for (size_t i = 0; i < m_aSteps.size(); ++i) {
            const Step& step = m_aSteps[i];
            const std::string where = "step " + std::to_string(i + 1) + ": ";
            bool ok = true;
            switch (step.m_kind) {
            case StepKind::kSend:
                ok = WriteAll(fd, step.m_sBytes);
                break;
            case StepKind::kSendSplit: {
                size_t from = 0;
                std::vector<size_t> cuts = step.m_aCuts;
                cuts.push_back(step.m_sBytes.size());
                for (size_t cut : cuts) {
                    cut = std::min(cut, step.m_sBytes.size());
                    if (cut <= from)
                        continue;
                    if (from > 0 && !Sleep(step.m_nPauseMs)) {
                        ok = false;
                        break;
                    }
                    ok = WriteAll(fd, step.m_sBytes.data() + from, cut - from);
                    if (!ok)
                        break;
                    from = cut;
                }
                break;
            }
            case StepKind::kTrickle:
                for (size_t k = 0; ok && k < step.m_sBytes.size(); ++k) {
                    if (k > 0 && !Sleep(step.m_nPauseMs))
                        ok = false;
                    else
                        ok = WriteAll(fd, step.m_sBytes.data() + k, 1);
                }
                break;
            case StepKind::kExpect: {
                const std::string& want = step.m_sBytes;
                const auto deadline = Clock::now() + std::chrono::seconds(10);
                for (;;) {
                    const size_t n = std::min(inbox.size(), want.size());
                    if (inbox.compare(0, n, want, 0, n) != 0) {
                        Fail(where + "expected \"" + Escape(want) + "\", client sent \"" + Escape(inbox) + "\"");
                        ok = false;
                        break;
                    }
                    if (inbox.size() >= want.size()) {
                        inbox.erase(0, want.size());
                        break;
                    }
                    const int left =
                        static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count());
                    const int got = left > 0 ? ReadSome(fd, inbox, left) : 0;
                    if (got != 1) {
                        Fail(where + "expected \"" + Escape(want) + "\", client sent \"" + Escape(inbox) + "\""
                             + (got == 0 ? " and then nothing" : " and closed"));
                        ok = false;
                        break;
                    }
                }
                break;
            }
            case StepKind::kPause:
                ok = Sleep(step.m_nPauseMs);
                break;
            case StepKind::kClose:
                CloseFd(fd);
                bOpen = false;
                break;
            }
            if (!ok) {
                Fail(where + "the connection failed");
                CloseFd(fd);
                return;
            }
            if (!bOpen)
                break;
        }
        {
            std::lock_guard lock(m_lock);
            m_bFinished = true;
            m_changed.notify_all();
        }
        // Keep recording until the client closes. A QUIT the script did not
        // expect is answered, so that a connection ending its session does
        // not wait out its read budget.
        while (bOpen) {
            const size_t quit = inbox.find("QUIT\r\n");
            if (quit != std::string::npos) {
                WriteAll(fd, std::string("+OK\r\n"));
                break;
            }
            inbox.erase(0, inbox.size() > 5 ? inbox.size() - 5 : 0);
            if (ReadSome(fd, inbox, -1) != 1)
                break;
        }
        CloseFd(fd);
    }

    std::string Greeting() const { return "+OK Mavix test POP3 server ready.\r\n"; }

    void RunAcceptLoop()
    {
        for (;;) {
            const int fd = Accept();
            if (fd < 0)
                return;
            std::lock_guard lock(m_lock);
            const int session = m_nSessions++;
            ++m_nOpenSessions;
            m_sessionThreads.emplace_back([this, fd, session] {
                RunSession(fd, session);
                CloseFd(fd);
                std::lock_guard lock(m_lock);
                --m_nOpenSessions;
                m_changed.notify_all();
            });
        }
    }

    void RunSession(int fd, int session)
    {
        auto reply = [&](const std::string& command, std::string normal) -> bool {
            if (m_override) {
                if (std::optional<std::string> other = m_override(command, session)) {
                    if (*other == kCloseConnection)
                        return false;
                    if (other->starts_with(kTrickleMark)) {
                        for (size_t k = kTrickleMark.size(); k < other->size(); ++k)
                            if ((k > kTrickleMark.size() && !Sleep(100)) || !WriteAll(fd, other->data() + k, 1))
                                return false;
                        return true;
                    }
                    normal = std::move(*other);
                }
            }
            if (m_shaper) {
                const ReplyShape shape = m_shaper(command, session, normal);
                if (shape.m_bClose || !Sleep(shape.m_nDelayMs))
                    return false;
                size_t from = 0;
                for (size_t cut : shape.m_aCuts) {
                    cut = std::min(cut, normal.size());
                    if (cut <= from)
                        continue;
                    if (!WriteAll(fd, normal.data() + from, cut - from) || !Sleep(kSegmentPauseMs))
                        return false;
                    from = cut;
                }
                normal.erase(0, from);
            }
            return normal.empty() || WriteAll(fd, normal);
        };
        if (!reply("", Greeting()))
            return;

        std::string inbox, user;
        bool bAuthorised = false;
        bool bSaslResponse = false;     // the next line answers "+ "
        std::vector<Message> maildrop;  // the session's view, taken at PASS
        std::vector<bool> deleted;
        for (;;) {
            size_t lf;
            while ((lf = inbox.find('\n')) == std::string::npos)
                if (ReadSome(fd, inbox, -1) != 1)
                    return;  // closed without QUIT: nothing is deleted
            std::string line = inbox.substr(0, lf);
            inbox.erase(0, lf + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();

            const size_t space = line.find(' ');
            const std::string keyword = Upper(line.substr(0, space));
            const std::string arg = space == std::string::npos ? std::string() : line.substr(space + 1);
            std::string normal;
            bool bQuit = false;

            const auto number = [&](const std::string& text, int& n) {
                char* end = nullptr;
                const long value = std::strtol(text.c_str(), &end, 10);
                if (text.empty() || *end != '\0' || value < 1 || value > static_cast<long>(maildrop.size()))
                    return false;
                n = static_cast<int>(value);
                return true;
            };
            const auto noSuch = [&](const std::string& text) {
                int n = 0;
                if (!number(text.substr(0, text.find(' ')), n))
                    return std::string("-ERR There's no message ") + text.substr(0, text.find(' ')) + ".\r\n";
                if (deleted[static_cast<size_t>(n) - 1])
                    return std::string("-ERR Message is deleted.\r\n");
                return std::string();
            };

            if (keyword == "QUIT") {
                normal = "+OK Logging out.\r\n";
                bQuit = true;
            } else if (keyword == "CAPA") {
                normal =
                    std::string("+OK\r\nTOP\r\nUIDL\r\nUSER\r\n") + (m_bPipelining ? "PIPELINING\r\n" : "") + ".\r\n";
            } else if (bSaslResponse) {
                bSaslResponse = false;
                bAuthorised = line == m_sSaslResponse;
                if (bAuthorised) {
                    std::lock_guard lock(m_lock);
                    maildrop = m_aMessages;
                    deleted.assign(maildrop.size(), false);
                }
                normal = bAuthorised ? "+OK Logged in.\r\n" : "-ERR [AUTH] Authentication failed.\r\n";
            } else if (!bAuthorised && keyword == "AUTH" && !m_sSaslMechanism.empty()
                       && Upper(arg) == m_sSaslMechanism) {
                bSaslResponse = true;
                normal = "+ \r\n";
            } else if (!bAuthorised) {
                if (keyword == "USER") {
                    user = arg;
                    normal = "+OK\r\n";
                } else if (keyword == "PASS") {
                    if (user == m_sUser && arg == m_sPass) {
                        bAuthorised = true;
                        std::lock_guard lock(m_lock);
                        maildrop = m_aMessages;
                        deleted.assign(maildrop.size(), false);
                        normal = "+OK Logged in.\r\n";
                    } else {
                        normal = "-ERR [AUTH] Authentication failed.\r\n";
                    }
                } else {
                    normal = "-ERR Unknown command.\r\n";
                }
            } else if (keyword == "STAT") {
                size_t count = 0, octets = 0;
                for (size_t i = 0; i < maildrop.size(); ++i)
                    if (!deleted[i]) {
                        ++count;
                        octets += maildrop[i].m_sText.size();
                    }
                normal = "+OK " + std::to_string(count) + " " + std::to_string(octets) + "\r\n";
            } else if (keyword == "LIST" || keyword == "UIDL") {
                const auto item = [&](size_t i) {
                    return std::to_string(i + 1) + " "
                        + (keyword == "LIST" ? std::to_string(maildrop[i].m_sText.size()) : maildrop[i].m_sUid);
                };
                if (!arg.empty()) {
                    normal = noSuch(arg);
                    if (normal.empty())
                        normal = "+OK " + item(std::stoul(arg) - 1) + "\r\n";
                } else {
                    normal = "+OK\r\n";
                    for (size_t i = 0; i < maildrop.size(); ++i)
                        if (!deleted[i])
                            normal += item(i) + "\r\n";
                    normal += ".\r\n";
                }
            } else if (keyword == "TOP" || keyword == "RETR") {
                normal = noSuch(arg);
                if (normal.empty()) {
                    const std::string& text = maildrop[std::stoul(arg) - 1].m_sText;
                    long lines = -1;
                    if (keyword == "TOP") {
                        const size_t sp = arg.find(' ');
                        char* end = nullptr;
                        lines = sp == std::string::npos ? -2 : std::strtol(arg.c_str() + sp + 1, &end, 10);
                        if (lines < 0 || (end && *end != '\0'))
                            lines = -2;
                    }
                    if (lines == -2) {
                        normal = "-ERR Invalid arguments.\r\n";
                    } else {
                        size_t end = text.size();
                        if (lines >= 0) {
                            const size_t blank = text.find("\r\n\r\n");
                            end = blank == std::string::npos ? text.size() : blank + 4;
                            for (long k = 0; k < lines && end < text.size(); ++k) {
                                const size_t next = text.find("\r\n", end);
                                end = next == std::string::npos ? text.size() : next + 2;
                            }
                        }
                        std::string body = text.substr(0, end);
                        if (end == text.size() && text.find("\r\n\r\n") == std::string::npos && lines >= 0)
                            body += "\r\n";  // the empty line after the header block
                        normal = "+OK\r\n";
                        // RFC 1939 §3: lines starting with '.' are byte-stuffed.
                        size_t start = 0;
                        while (start < body.size()) {
                            size_t next = body.find("\r\n", start);
                            next = next == std::string::npos ? body.size() : next + 2;
                            if (body[start] == '.')
                                normal += '.';
                            normal.append(body, start, next - start);
                            start = next;
                        }
                        normal += ".\r\n";
                    }
                }
            } else if (keyword == "DELE") {
                normal = noSuch(arg);
                if (normal.empty()) {
                    deleted[std::stoul(arg) - 1] = true;
                    normal = "+OK Marked to be deleted.\r\n";
                }
            } else if (keyword == "RSET") {
                deleted.assign(maildrop.size(), false);
                normal = "+OK\r\n";
            } else if (keyword == "NOOP") {
                normal = "+OK\r\n";
            } else {
                normal = "-ERR Unknown command.\r\n";
            }

            if (bQuit && bAuthorised) {
                // RFC 1939 §6: the UPDATE state removes what was marked, and
                // only then answers, so a client that has the answer finds
                // the messages gone.
                std::lock_guard lock(m_lock);
                for (size_t i = 0; i < maildrop.size(); ++i)
                    if (deleted[i])
                        std::erase_if(m_aMessages,
                                      [&](const Message& m) { return m.m_nSerial == maildrop[i].m_nSerial; });
            }
            if (!reply(line, normal) || bQuit)
                return;
        }
    }
};

ScriptedPop3Server::ScriptedPop3Server()
    : m_pImpl(std::make_unique<Impl>())
{
    Impl& d = *m_pImpl;
    d.m_hStop = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    d.m_hListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t length = sizeof addr;
    if (d.m_hListen < 0 || ::bind(d.m_hListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
        || ::listen(d.m_hListen, 16) != 0
        || ::getsockname(d.m_hListen, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        d.m_sFailure = std::string("cannot listen on 127.0.0.1: ") + std::strerror(errno);
        return;
    }
    d.m_nPort = ntohs(addr.sin_port);
}

ScriptedPop3Server::~ScriptedPop3Server()
{
    Impl& d = *m_pImpl;
    {
        std::lock_guard lock(d.m_lock);
        for (int fd : d.m_openFds)
            ::shutdown(fd, SHUT_RDWR);
    }
    const uint64_t one = 1;
    if (d.m_hStop >= 0 && ::write(d.m_hStop, &one, sizeof one) < 0) {
    }
    if (d.m_thread.joinable())
        d.m_thread.join();
    // The accept loop has ended, so no session thread is added any more.
    for (std::thread& t : d.m_sessionThreads)
        t.join();
    for (int fd : d.m_openFds)
        ::close(fd);
    if (d.m_hListen >= 0)
        ::close(d.m_hListen);
    if (d.m_hStop >= 0)
        ::close(d.m_hStop);
}

uint16_t ScriptedPop3Server::Port() const
{
    return m_pImpl->m_nPort;
}

ScriptedPop3Server& ScriptedPop3Server::Send(std::string bytes)
{
    m_pImpl->m_aSteps.push_back({StepKind::kSend, std::move(bytes), {}, 0});
    return *this;
}

ScriptedPop3Server& ScriptedPop3Server::SendSplit(std::string bytes, std::vector<size_t> cuts, int pauseMs)
{
    std::sort(cuts.begin(), cuts.end());
    m_pImpl->m_aSteps.push_back({StepKind::kSendSplit, std::move(bytes), std::move(cuts), pauseMs});
    return *this;
}

ScriptedPop3Server& ScriptedPop3Server::Trickle(std::string bytes, int pauseMs)
{
    m_pImpl->m_aSteps.push_back({StepKind::kTrickle, std::move(bytes), {}, pauseMs});
    return *this;
}

ScriptedPop3Server& ScriptedPop3Server::Expect(std::string clientBytes)
{
    m_pImpl->m_aSteps.push_back({StepKind::kExpect, std::move(clientBytes), {}, 0});
    return *this;
}

ScriptedPop3Server& ScriptedPop3Server::Pause(int ms)
{
    m_pImpl->m_aSteps.push_back({StepKind::kPause, {}, {}, ms});
    return *this;
}

ScriptedPop3Server& ScriptedPop3Server::CloseConnection()
{
    m_pImpl->m_aSteps.push_back({StepKind::kClose, {}, {}, 0});
    return *this;
}

void ScriptedPop3Server::ServeMailbox(std::vector<std::string> messages, std::string user, std::string pass,
                                      Override override)
{
    Impl& d = *m_pImpl;
    d.m_bMailbox = true;
    d.m_aMessages.clear();
    for (size_t i = 0; i < messages.size(); ++i)
        d.m_aMessages.push_back({"mavix-uid-" + std::to_string(i + 1), ToCrLf(messages[i]), d.m_nNextSerial++});
    d.m_sUser = std::move(user);
    d.m_sPass = std::move(pass);
    d.m_override = std::move(override);
}

void ScriptedPop3Server::ListPipelining(bool bPipelining)
{
    m_pImpl->m_bPipelining = bPipelining;
}

void ScriptedPop3Server::AcceptSasl(std::string mechanism, std::string response)
{
    m_pImpl->m_sSaslMechanism = Upper(mechanism);
    m_pImpl->m_sSaslResponse = std::move(response);
}

void ScriptedPop3Server::ShapeReplies(Shaper shaper)
{
    m_pImpl->m_shaper = std::move(shaper);
}

void ScriptedPop3Server::SetMailbox(std::vector<MailboxMessage> messages)
{
    Impl& d = *m_pImpl;
    std::lock_guard lock(d.m_lock);
    d.m_aMessages.clear();
    for (MailboxMessage& m : messages)
        d.m_aMessages.push_back({std::move(m.m_sUid), ToCrLf(m.m_sText), d.m_nNextSerial++});
}

std::vector<ScriptedPop3Server::MailboxMessage> ScriptedPop3Server::Mailbox() const
{
    std::lock_guard lock(m_pImpl->m_lock);
    std::vector<MailboxMessage> messages;
    for (const Message& m : m_pImpl->m_aMessages)
        messages.push_back({m.m_sUid, m.m_sText});
    return messages;
}

void ScriptedPop3Server::DropSessions()
{
    std::lock_guard lock(m_pImpl->m_lock);
    for (int fd : m_pImpl->m_openFds)
        ::shutdown(fd, SHUT_RDWR);
}

void ScriptedPop3Server::Start()
{
    Impl& d = *m_pImpl;
    if (d.m_hListen < 0 || d.m_thread.joinable())
        return;
    if (d.m_bMailbox)
        d.m_thread = std::thread([&d] { d.RunAcceptLoop(); });
    else
        d.m_thread = std::thread([&d] { d.RunScript(); });
}

std::string ScriptedPop3Server::Received() const
{
    std::lock_guard lock(m_pImpl->m_lock);
    return m_pImpl->m_sReceived;
}

bool ScriptedPop3Server::WaitFinished(int ms)
{
    Impl& d = *m_pImpl;
    if (d.m_bMailbox)
        return WaitNoSession(ms);
    std::unique_lock lock(d.m_lock);
    d.m_changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return d.m_bFinished || !d.m_sFailure.empty(); });
    return d.m_bFinished && d.m_sFailure.empty();
}

std::string ScriptedPop3Server::Failure() const
{
    std::lock_guard lock(m_pImpl->m_lock);
    return m_pImpl->m_sFailure;
}

std::vector<std::string> ScriptedPop3Server::Messages() const
{
    std::lock_guard lock(m_pImpl->m_lock);
    std::vector<std::string> texts;
    for (const Message& m : m_pImpl->m_aMessages)
        texts.push_back(m.m_sText);
    return texts;
}

int ScriptedPop3Server::SessionCount() const
{
    std::lock_guard lock(m_pImpl->m_lock);
    return m_pImpl->m_nSessions;
}

bool ScriptedPop3Server::WaitNoSession(int ms)
{
    Impl& d = *m_pImpl;
    std::unique_lock lock(d.m_lock);
    return d.m_changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return d.m_nOpenSessions == 0; });
}
