#include "Socket.h"

#include "LastError.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until `deadline`, rounded up so that a poll never wakes
// a hair early and spins; 0 once it has passed.
int RemainingMs(Clock::time_point deadline)
{
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero())
        return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return ms > 0x7fffffff ? 0x7fffffff : static_cast<int>(ms);
}

struct AddrInfoDeleter {
    void operator()(addrinfo* p) const { freeaddrinfo(p); }
};
using AddrInfoPtr = std::unique_ptr<addrinfo, AddrInfoDeleter>;

// A name look-up running on a helper thread: getaddrinfo cannot be
// interrupted, so the connecting thread waits on `m_hDone` beside its own
// wake-up and simply abandons the look-up when woken or out of time. Whoever
// lets go of the state last frees it.
struct Lookup {
    std::mutex m_lock;
    AddrInfoPtr m_pResult;
    int m_nStatus = EAI_AGAIN;
    int m_hDone = -1;  // eventfd, written once the look-up ends

    ~Lookup()
    {
        if (m_hDone >= 0)
            ::close(m_hDone);
    }
};

int WriteEvent(int fd)
{
    const uint64_t one = 1;
    return static_cast<int>(::write(fd, &one, sizeof one));
}

}  // namespace

Socket::Socket()
{
    m_hWake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_hWake < 0)
        m_nCreateError = errno;
}

Socket::~Socket()
{
    Close();
    if (m_hWake >= 0)
        ::close(m_hWake);
}

bool Socket::Create()
{
    if (m_hWake >= 0)
        return true;
    SetLastError(m_nCreateError);
    return false;
}

void Socket::Wake()
{
    m_bWoken.store(true, std::memory_order_release);
    if (m_hWake >= 0)
        WriteEvent(m_hWake);
}

void Socket::ClearWake()
{
    m_bWoken.store(false, std::memory_order_release);
    DrainWake();
}

void Socket::DrainWake()
{
    uint64_t count = 0;
    if (m_hWake >= 0)
        while (::read(m_hWake, &count, sizeof count) > 0) {
        }
}

WaitResult Socket::WaitFor(short nEvents, int nTimeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs < 0 ? 0 : nTimeoutMs);
    for (;;) {
        if (IsWoken()) {
            SetLastError(kErrInterrupted);
            return WaitResult::kWoken;
        }
        if (m_hSocket < 0) {
            SetLastError(EBADF);
            return WaitResult::kFailed;
        }
        pollfd fds[2] = {{m_hSocket, nEvents, 0}, {m_hWake, POLLIN, 0}};
        const nfds_t count = m_hWake >= 0 ? 2 : 1;
        const int timeout = nTimeoutMs < 0 ? -1 : RemainingMs(deadline);
        const int rc = ::poll(fds, count, timeout);
        if (rc < 0) {
            if (errno == EINTR)
                continue;
            SetLastError(errno);
            return WaitResult::kFailed;
        }
        if (rc == 0) {
            SetLastError(kErrTimedOut);
            return WaitResult::kTimedOut;
        }
        if (count == 2 && fds[1].revents != 0) {
            if (IsWoken())
                continue;  // reported at the top of the loop
            DrainWake();   // left over from a wake already cleared
        }
        if (fds[0].revents & POLLNVAL) {
            SetLastError(EBADF);
            return WaitResult::kFailed;
        }
        // An error or hang-up also counts as ready: the receive or the
        // connect status that follows reports it.
        if (fds[0].revents != 0)
            return WaitResult::kReady;
    }
}

WaitResult Socket::WaitReadable(int nTimeoutMs)
{
    return WaitFor(POLLIN, nTimeoutMs);
}

WaitResult Socket::WaitWritable(int nTimeoutMs)
{
    return WaitFor(POLLOUT, nTimeoutMs);
}

bool Socket::PollReadable(bool& bReadable)
{
    bReadable = false;
    if (m_hSocket < 0) {
        SetLastError(EBADF);
        return false;
    }
    pollfd fd = {m_hSocket, POLLIN, 0};
    int rc;
    do
        rc = ::poll(&fd, 1, 0);
    while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        SetLastError(errno);
        return false;
    }
    if (fd.revents & POLLNVAL) {
        SetLastError(EBADF);
        return false;
    }
    bReadable = rc > 0;
    return true;
}

bool Socket::Connect(const std::string& host, uint16_t nPort, int nTimeoutMs)
{
    Close();
    const auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
    if (IsWoken()) {
        SetLastError(kErrInterrupted);
        return false;
    }
    addrinfo* pList = nullptr;
    const bool bResolved = Resolve(host, std::to_string(nPort), deadline, &pList);
    const AddrInfoPtr addresses(pList);
    if (!bResolved)
        return false;

    // Try every address in the resolver's order until one answers
    // (RFC 6724 ordering is the resolver's business).
    int lastError = ECONNREFUSED;
    for (const addrinfo* p = addresses.get(); p; p = p->ai_next) {
        switch (ConnectTo(*p, deadline, lastError)) {
        case Attempt::kConnected:
            return true;
        case Attempt::kStop:
            return false;
        case Attempt::kNext:
            break;
        }
    }
    SetLastError(lastError);
    return false;
}

bool Socket::Resolve(const std::string& host, const std::string& service, Clock::time_point deadline, addrinfo** ppList)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | AI_NUMERICHOST;

    AddrInfoPtr addresses;
    {
        // Literal addresses need no look-up and cannot block.
        addrinfo* pList = nullptr;
        const int rc = host.empty() ? EAI_NONAME : ::getaddrinfo(host.c_str(), service.c_str(), &hints, &pList);
        addresses.reset(pList);
        if (rc != 0 && rc != EAI_NONAME) {
            SetLastError(kErrInvalidArgument);
            return false;
        }
    }
    if (!addresses && !host.empty()) {
        hints.ai_flags = AI_NUMERICSERV;
        addrinfo* pFound = nullptr;
        if (!LookUpName(host, service, hints, deadline, &pFound))
            return false;
        addresses.reset(pFound);
    }
    if (!addresses) {
        SetLastError(kErrInvalidArgument);
        return false;
    }
    *ppList = addresses.release();
    return true;
}

bool Socket::LookUpName(const std::string& host, const std::string& service, const addrinfo& hints,
                        Clock::time_point deadline, addrinfo** ppList)
{
    auto lookup = std::make_shared<Lookup>();
    lookup->m_hDone = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (lookup->m_hDone < 0) {
        SetLastError(errno);
        return false;
    }
    try {
        std::thread([lookup, host, service, hints] {
            addrinfo* pList = nullptr;
            const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &pList);
            std::lock_guard lock(lookup->m_lock);
            lookup->m_pResult.reset(pList);
            lookup->m_nStatus = rc;
            WriteEvent(lookup->m_hDone);
        }).detach();
    } catch (const std::system_error& error) {
        SetLastError(error.code().value());  // no thread to be had
        return false;
    }
    if (!WaitForLookup(lookup->m_hDone, deadline))
        return false;
    std::lock_guard lock(lookup->m_lock);
    if (lookup->m_nStatus != 0 || !lookup->m_pResult) {
        SetLastError(kErrInvalidArgument);
        return false;
    }
    *ppList = lookup->m_pResult.release();
    return true;
}

bool Socket::WaitForLookup(int hDone, Clock::time_point deadline)
{
    for (;;) {
        pollfd fds[2] = {{hDone, POLLIN, 0}, {m_hWake, POLLIN, 0}};
        const int rc = ::poll(fds, m_hWake >= 0 ? 2 : 1, RemainingMs(deadline));
        if (rc < 0 && errno == EINTR)
            continue;
        if (IsWoken()) {
            SetLastError(kErrInterrupted);
            return false;
        }
        if (rc < 0) {
            SetLastError(errno);
            return false;
        }
        if (rc == 0) {
            SetLastError(kErrTimedOut);
            return false;
        }
        if (fds[0].revents != 0)
            return true;
        DrainWake();  // a stale wake already cleared
    }
}

Socket::Attempt Socket::ConnectTo(const addrinfo& address, Clock::time_point deadline, int& lastError)
{
    m_hSocket = ::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, address.ai_protocol);
    if (m_hSocket < 0) {
        lastError = errno;
        return Attempt::kNext;
    }
    // Commands go out in one write each and we wait for every reply, so
    // Nagle's delay would only add latency.
    const int one = 1;
    ::setsockopt(m_hSocket, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);

    int rc;
    do
        rc = ::connect(m_hSocket, address.ai_addr, address.ai_addrlen);
    while (rc < 0 && errno == EINTR);
    if (rc == 0)
        return Attempt::kConnected;
    if (errno == EINPROGRESS) {
        const WaitResult wait = WaitFor(POLLOUT, RemainingMs(deadline));
        if (wait != WaitResult::kReady) {
            Close();                // WaitFor left the reason in the last error
            return Attempt::kStop;  // woken or out of time: no further address
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(m_hSocket, SOL_SOCKET, SO_ERROR, &error, &length) < 0)
            error = errno;
        if (error == 0)
            return Attempt::kConnected;
        lastError = error;
    } else {
        lastError = errno;
    }
    Close();
    return Attempt::kNext;
}

bool Socket::SendAll(const char* pData, size_t nLength)
{
    // Nothing new goes on the wire once woken: the thread that woke us
    // decides what the server hears next (QUIT), not a command racing it.
    if (IsWoken()) {
        SetLastError(kErrInterrupted);
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(kSendTimeoutMs);
    while (nLength > 0) {
        if (m_hSocket < 0) {
            SetLastError(EBADF);
            return false;
        }
        // MSG_NOSIGNAL: a peer that has gone away gives EPIPE, never SIGPIPE.
        const ssize_t sent = ::send(m_hSocket, pData, nLength, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            pData += sent;
            nLength -= static_cast<size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const WaitResult wait = WaitFor(POLLOUT, RemainingMs(deadline));
            if (wait != WaitResult::kReady)
                return false;
            continue;
        }
        SetLastError(sent < 0 ? errno : EPIPE);
        return false;
    }
    return true;
}

ssize_t Socket::Receive(char* pBuffer, size_t nLength)
{
    if (m_hSocket < 0) {
        SetLastError(EBADF);
        return -1;
    }
    ssize_t received;
    do
        received = ::recv(m_hSocket, pBuffer, nLength, MSG_DONTWAIT);
    while (received < 0 && errno == EINTR);
    if (received < 0)
        SetLastError(errno);
    return received;
}

void Socket::Shutdown()
{
    if (m_hSocket >= 0)
        ::shutdown(m_hSocket, SHUT_RDWR);
}

void Socket::Close()
{
    if (m_hSocket >= 0) {
        ::close(m_hSocket);
        m_hSocket = -1;
    }
}

}  // namespace platform
