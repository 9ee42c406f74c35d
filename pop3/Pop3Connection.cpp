#include "Pop3Connection.h"

#include "platform/LastError.h"
#include "platform/Trace.h"

#include <cerrno>
#include <chrono>
#include <algorithm>
#include <climits>
#include <cstring>
#include <string.h>  // explicit_bzero
#include <strings.h>  // strncasecmp
#include <memory>
#include <new>

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

// Calls fn(lineBegin, lineEnd) for every line of the listing that follows
// the status line; CR LF or a bare LF ends a line.
template <typename Fn>
void ForEachListingLine(const char* pText, Fn fn)
{
    const char* p = std::strchr(pText, '\n');
    if (!p)
        return;
    ++p;
    while (*p) {
        const char* pLf = std::strchr(p, '\n');
        const char* pEnd = pLf ? pLf : p + std::strlen(p);
        const char* pLineEnd = (pEnd != p && pEnd[-1] == '\r') ? pEnd - 1 : pEnd;
        fn(p, pLineEnd);
        if (!pLf)
            break;
        p = pLf + 1;
    }
}

// Buffer for a reply of about `expected` bytes. The size comes from what the
// server announced, so it is bounded by the reply cap; nothing is touched
// until data arrives, so a generous size costs only address space.
std::unique_ptr<char[]> AllocateReplyBuffer(unsigned long long expected, size_t& nSize)
{
    nSize = static_cast<size_t>(
        std::min<unsigned long long>(expected, CPop3Connection::kMaxReplyBytes + 1));
    return std::unique_ptr<char[]>(new (std::nothrow) char[nSize]);
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
    if (m_bConnected)
        QuitSession();
    m_socket.Close();
    m_bHaveStat = m_bHaveList = m_bHaveUidl = false;
    m_nDeleted = 0;
    SetFailureReason({});

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

    // A failed step quits the session; the QUIT exchange must not replace
    // the reason the step failed for.
    const auto fail = [this](const char* pszTrace) {
        Trace("%s", pszTrace);
        const int error = GetLastError();
        const std::string reply = GetLastReply();
        QuitSession();
        SetLastReply(reply);
        SetLastError(error);
        return false;
    };
    // TLS that cannot be had ends the connection without QUIT: nothing more
    // may cross it, least of all in plain text on a TLS port.
    const auto failTls = [this](const std::string& reason) {
        const int error = GetLastError();
        Trace("Failed to secure the connection to the POP3 server: %s\n", reason.c_str());
        m_bConnected = false;
        m_socket.Close();
        SetFailureReason(reason);
        SetLastError(error);
        return false;
    };
    std::string reason;
    if (m_nSecurity == Security::kImplicitTls && !m_socket.StartTls(host, m_sPinnedFingerprint, &reason))
        return failTls(reason);
    if (!ReadCommandReply())
        return fail("Failed while connected to read a command response from the POP3 server\n");

    if (m_nSecurity == Security::kStls) {
        // RFC 2595 §4: STLS only when the capabilities list it. Without it
        // the session ends here, before the user name is sent.
        bool bStls = false;
        if (!ReadCapabilities(&bStls))
            return fail("Failed while connected to read a CAPA command response from the POP3 server\n");
        if (!bStls) {
            SetFailureReason("The server does not offer STLS (STARTTLS), so the connection cannot be secured; "
                             "the user name and password were not sent.");
            SetLastError(platform::kErrProtocol);
            return fail("POP3 server does not offer STLS\n");
        }
        if (!SendCommand("STLS\r\n", "STLS"))
            return fail("Failed to send the STLS command to the POP3 server\n");
        char buffer[1000];
        GrownBuffer grown;
        if (!ReadReply(buffer, sizeof buffer, "\r\n", grown, 4096)) {
            if (GetLastError() == platform::kErrProtocol)
                SetFailureReason("The server refused STLS (STARTTLS): " + GetLastReply());
            return fail("Failed while connected to read a STLS command response from the POP3 server\n");
        }
        // Anything after the one-line answer came before TLS and may be an
        // attacker's: text injected there must not pass for the server's.
        if (std::strchr(grown.empty() ? buffer : grown.data(), '\n')) {
            SetLastError(platform::kErrProtocol);
            return failTls("The server sent more than its answer to STLS (STARTTLS); the connection "
                           "may have been tampered with and was closed.");
        }
        if (!m_socket.StartTls(host, m_sPinnedFingerprint, &reason))
            return failTls(reason);
        // RFC 2595 §4: what the server said before TLS no longer counts,
        // so ask again; a server may well list more now.
        if (!ReadCapabilities(nullptr))
            return fail("Failed while connected to read a CAPA command response from the POP3 server\n");
    }

    if (!m_socket.Send("USER " + user + "\r\n"))
        return fail("Failed to send the USER command to the POP3 server\n");
    if (!ReadCommandReply())
        return fail("Failed while connected to read a USER command response from the POP3 server\n");
    std::string passCommand;
    passCommand.reserve(password.size() + 7);  // one buffer, never reallocated
    passCommand.append("PASS ").append(password).append("\r\n");
    const bool bPassSent = m_socket.Send(passCommand);
    // Leave no copy of the password in freed memory.
    explicit_bzero(passCommand.data(), passCommand.size());
    if (!bPassSent)
        return fail("Failed to send the PASS command to the POP3 server\n");
    m_bAuthReply = true;
    const bool bAccepted = ReadCommandReply();
    m_bAuthReply = false;
    if (!bAccepted)
        return fail("Failed while connected to read a PASS command response from the POP3 server\n");
    return true;
}

bool CPop3Connection::Quit()
{
    // Wake first: a read pending on another thread holds the lock and fails
    // at once, and nothing new goes on the wire until the lock is ours.
    m_socket.Abort();
    std::lock_guard lock(m_lock);
    m_socket.ClearAbort();
    return QuitSession();
}

void CPop3Connection::Drop()
{
    m_socket.Abort();
    std::lock_guard lock(m_lock);
    m_socket.ClearAbort();
    m_bConnected = false;
    m_bHaveList = m_bHaveStat = m_bHaveUidl = false;
    m_socket.Close();
}

bool CPop3Connection::QuitSession()
{
    bool bResult = false;
    if (m_bConnected) {
        if (!m_socket.Send("QUIT\r\n"))
            Trace("Failed to send the QUIT command to the POP3 server\n");
        bResult = ReadCommandReply();
        m_bConnected = false;
        m_bHaveList = m_bHaveStat = m_bHaveUidl = false;
    } else {
        Trace("CPop3Connection, Already disconnected\n");
    }
    m_socket.Close();
    return bResult;
}

bool CPop3Connection::IsConnected()
{
    // A connection busy with a command on another thread is in use, hence
    // connected; asking must not wait for that command to finish.
    std::unique_lock lock(m_lock, std::try_to_lock);
    if (!lock.owns_lock())
        return m_bConnected;
    bool bReadable = false;
    if (!m_socket.IsReadable(bReadable))
        m_bConnected = false;
    return m_bConnected;
}

bool CPop3Connection::SendCommand(const std::string& command, const char* pszName)
{
    if (m_socket.Send(command))
        return true;
    Trace("Failed to send the %s command to the POP3 server\n", pszName);
    return false;
}

bool CPop3Connection::ReadCapabilities(bool* pbStls)
{
    if (pbStls)
        *pbStls = false;
    if (!SendCommand("CAPA\r\n", "CAPA"))
        return false;
    char buffer[1000];
    GrownBuffer grown;
    if (!ReadReply(buffer, sizeof buffer, "\r\n.\r\n", grown, 4096))
        return GetLastError() == platform::kErrProtocol;  // -ERR: a server without CAPA lists nothing
    // One capability per line, its name first (RFC 2449), in any case.
    ForEachListingLine(grown.empty() ? buffer : grown.data(), [pbStls](const char* p, const char* pEnd) {
        const size_t nLength = static_cast<size_t>(pEnd - p);
        if (pbStls && nLength >= 4 && strncasecmp(p, "STLS", 4) == 0 && (nLength == 4 || IsBlank(p[4])))
            *pbStls = true;
    });
    return true;
}

bool CPop3Connection::ReadReply(char* pBuffer, size_t nSize, const char* pszTerminator, GrownBuffer& grown,
                                size_t nGrowBy)
{
    std::lock_guard lock(m_lock);
    const size_t nTermLength = std::strlen(pszTerminator);
    if (nGrowBy == 0)
        nGrowBy = 4096;
    grown.clear();

    char* pText = pBuffer;
    size_t nCapacity = pBuffer ? nSize : 0;
    size_t nReceived = 0;
    bool bStatusSeen = false;  // the status line's CR LF has arrived
    const auto grow = [&] {
        if (grown.empty())
            grown.assign(pText, pText + nReceived);
        nCapacity += nGrowBy;
        grown.resize(nCapacity);  // amortised: the vector over-allocates
        pText = grown.data();
        pText[nReceived] = '\0';
    };
    const auto fail = [&] {
        const int error = GetLastError();
        SetLastReply(std::string(pText ? pText : "", nReceived).c_str());
        SetLastError(error);
        return false;
    };
    if (nCapacity < 2)
        grow();
    pText[0] = '\0';

    auto lastData = Clock::now();
    const auto timeout = std::chrono::milliseconds(m_bAuthReply ? m_dwAuthReadTimeout : m_dwReadTimeout);
    for (;;) {
        // Silence counts from the last data received, so a reply that keeps
        // trickling in never times out.
        const auto silent = Clock::now() - lastData;
        if (silent > timeout) {
            SetLastError(platform::kErrTimedOut);
            return fail();
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(timeout - silent).count() + 1;
        const platform::WaitResult wait = m_socket.WaitReadable(static_cast<int>(left));
        if (wait == platform::WaitResult::kTimedOut)
            continue;
        if (wait != platform::WaitResult::kReady)
            return fail();

        const size_t nSpace = nCapacity - nReceived - 1;
        const ssize_t got = m_socket.Receive(pText + nReceived, nSpace);
        if (got < 0 && (GetLastError() == EAGAIN || GetLastError() == EWOULDBLOCK))
            continue;
        if (got == 0) {
            SetLastError(ECONNRESET);  // the server closed in mid-reply
            return fail();
        }
        if (got < 0)
            return fail();
        const size_t nPrevious = nReceived;
        nReceived += static_cast<size_t>(got);
        pText[nReceived] = '\0';
        lastData = Clock::now();

        if (nReceived > kMaxReplyBytes) {
            // Stop reading a server that streams without end; what it sends
            // next could only be mistaken for a later reply, so end the stream.
            Trace("Reply from the POP3 server longer than %zu bytes: read abandoned\n", kMaxReplyBytes);
            m_socket.Shutdown();
            SetLastReply("The POP3 server's reply is longer than 64 MiB.");
            SetLastError(EMSGSIZE);
            return false;
        }
        if (static_cast<size_t>(got) == nSpace)
            grow();

        // RFC 1939 §3: only a positive reply is multi-line; a negative
        // status line is the whole reply, whatever terminator was expected.
        if (!bStatusSeen) {
            const size_t from = nPrevious > 0 ? nPrevious - 1 : 0;
            const char* pCrLf = static_cast<const char*>(
                nReceived - from >= 2 ? memmem(pText + from, nReceived - from, "\r\n", 2) : nullptr);
            if (pCrLf) {
                bStatusSeen = true;
                const size_t nLine = static_cast<size_t>(pCrLf - pText);
                if (!BeginsWithOk(pText, nLine)) {
                    nReceived = nLine;
                    pText[nReceived] = '\0';
                    break;
                }
            }
        }
        // The whole text must end in the terminator; data that follows it
        // in the same receive hides it.
        if (nReceived >= nTermLength && std::memcmp(pText + nReceived - nTermLength, pszTerminator, nTermLength) == 0) {
            nReceived -= nTermLength;
            pText[nReceived] = '\0';
            break;
        }
    }

    if (BeginsWithOk(pText, nReceived))
        return true;
    SetLastError(platform::kErrProtocol);
    SetLastReply(pText);
    return false;
}

bool CPop3Connection::ReadCommandReply()
{
    std::lock_guard lock(m_lock);
    char buffer[1000];
    GrownBuffer grown;
    return ReadReply(buffer, sizeof buffer, "\r\n", grown, 4096);
}

bool CPop3Connection::Stat(int& count, int& size)
{
    std::lock_guard lock(m_lock);
    if (!SendCommand("STAT\r\n", "STAT"))
        return false;
    return ReadStatReply(count, size);
}

bool CPop3Connection::ReadStatReply(int& count, int& size)
{
    std::lock_guard lock(m_lock);
    char buffer[100];
    GrownBuffer grown;
    if (!ReadReply(buffer, sizeof buffer, "\r\n", grown, 4096)) {
        Trace("Error retrieving the STAT response from the POP3 server");
        return false;
    }
    const char* pText = grown.empty() ? buffer : grown.data();
    const char* pEnd = pText + std::strlen(pText);
    // Unlike the reader, STAT wants the status word exactly as RFC 1939 §5
    // writes it.
    if (std::strncmp(pText, "+OK", 3) != 0) {
        Trace("POP3 server did not respond correctly to the STAT response\n");
        SetLastError(platform::kErrProtocol);
        return false;
    }
    // "+OK nn mm": message count, then the maildrop's size in octets.
    const char* p = pText + 3;
    unsigned long long nCount = 0, nSize = 0;
    while (p != pEnd && IsBlank(*p))
        ++p;
    if (p == pText + 3 || !ParseNumber(p, pEnd, INT_MAX, nCount) || p == pEnd || !IsBlank(*p)) {
        SetLastError(platform::kErrProtocol);
        return false;
    }
    while (p != pEnd && IsBlank(*p))
        ++p;
    if (!ParseNumber(p, pEnd, ULLONG_MAX / 10, nSize)) {
        SetLastError(platform::kErrProtocol);
        return false;
    }
    count = m_nMailCount = static_cast<int>(nCount);
    // A maildrop of 2 GiB or more still has its messages counted right.
    size = static_cast<int>(std::min<unsigned long long>(nSize, INT_MAX));
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
    if (!EnsureStat() || !SendCommand("LIST\r\n", "LIST"))
        return false;
    m_bHaveList = ReadListReply(m_nMailCount);
    return m_bHaveList;
}

bool CPop3Connection::Uidl()
{
    std::lock_guard lock(m_lock);
    if (!EnsureStat() || !SendCommand("UIDL\r\n", "UIDL"))
        return false;
    m_bHaveUidl = ReadUidlReply(m_nMailCount);
    return m_bHaveUidl;
}

size_t CPop3Connection::ListingBound(const char* pText) const
{
    size_t nLines = 0;
    for (const char* p = pText; (p = std::strchr(p, '\n')) != nullptr; ++p)
        ++nLines;
    return nLines + static_cast<size_t>(m_nDeleted) + 1;
}

void CPop3Connection::ParseSizes(const char* pText)
{
    // Sizes are kept by the message number the server prints (RFC 1939 §5
    // scan listing), so a listing that skips a number leaves only that
    // number without a size.
    const size_t nBound = ListingBound(pText);
    m_aSizes.clear();
    ForEachListingLine(pText, [&](const char* p, const char* pEnd) {
        unsigned long long number = 0, size = 0;
        const char* pWord;
        const char* pWordEnd;
        if (!SplitListingLine(p, pEnd, number, pWord, pWordEnd) || number == 0 || number > nBound)
            return;
        if (!ParseNumber(pWord, pWordEnd, UINT32_MAX, size) || pWord != pWordEnd)
            return;
        if (m_aSizes.size() < number)
            m_aSizes.resize(number);
        m_aSizes[number - 1] = static_cast<uint32_t>(size);
    });
}

void CPop3Connection::ParseUidls(const char* pText)
{
    const size_t nBound = ListingBound(pText);
    m_aUidls.clear();
    ForEachListingLine(pText, [&](const char* p, const char* pEnd) {
        unsigned long long number = 0;
        const char* pWord;
        const char* pWordEnd;
        if (!SplitListingLine(p, pEnd, number, pWord, pWordEnd) || number == 0 || number > nBound)
            return;
        // RFC 1939 §7: 1 to 70 characters in the range 0x21 to 0x7E.
        const size_t nLength = static_cast<size_t>(pWordEnd - pWord);
        if (nLength > kMaxUidLength)
            return;
        for (const char* q = pWord; q != pWordEnd; ++q)
            if (static_cast<unsigned char>(*q) < 0x21 || static_cast<unsigned char>(*q) > 0x7e)
                return;
        if (m_aUidls.size() < number)
            m_aUidls.resize(number);
        m_aUidls[number - 1].assign(pWord, nLength);
    });
}

bool CPop3Connection::ReadListing(int count, const char* pszName, void (CPop3Connection::*parse)(const char*))
{
    std::lock_guard lock(m_lock);
    size_t nSize = 0;
    // About 14 bytes per "n value" line, so an ordinary listing never grows.
    auto buffer = AllocateReplyBuffer(static_cast<unsigned long long>(count < 0 ? 0 : count) * 14 + 100, nSize);
    GrownBuffer grown;
    if (!buffer || !ReadReply(buffer.get(), nSize, "\r\n.\r\n", grown, 4096)) {
        Trace("Error retrieving the %s response from the POP3 server", pszName);
        return false;
    }
    const char* pText = grown.empty() ? buffer.get() : grown.data();
    if (!BeginsWithOk(pText, std::strlen(pText))) {
        Trace("POP3 server did not respond correctly to the %s response\n", pszName);
        SetLastError(platform::kErrProtocol);
        return false;
    }
    (this->*parse)(pText);
    return true;
}

bool CPop3Connection::ReadListReply(int count)
{
    return ReadListing(count, "LIST", &CPop3Connection::ParseSizes);
}

bool CPop3Connection::ReadUidlReply(int count)
{
    return ReadListing(count, "UIDL", &CPop3Connection::ParseUidls);
}

bool CPop3Connection::GetSize(int n, uint32_t& size)
{
    std::lock_guard lock(m_lock);
    if (!m_bHaveList && !List())
        return false;
    if (n < 1 || static_cast<size_t>(n) > m_aSizes.size() || !m_aSizes[static_cast<size_t>(n) - 1]) {
        SetLastError(platform::kErrInvalidArgument);
        return false;
    }
    size = *m_aSizes[static_cast<size_t>(n) - 1];
    return true;
}

bool CPop3Connection::GetUidl(int n, std::string& uidl)
{
    std::lock_guard lock(m_lock);
    if (!m_bHaveUidl && !Uidl())
        return false;
    if (n < 1 || static_cast<size_t>(n) > m_aUidls.size() || m_aUidls[static_cast<size_t>(n) - 1].empty()) {
        SetLastError(platform::kErrInvalidArgument);
        return false;
    }
    uidl = m_aUidls[static_cast<size_t>(n) - 1];
    return true;
}

bool CPop3Connection::Top(int n, CPop3Message& message)
{
    std::lock_guard lock(m_lock);
    uint32_t size = 0;
    if (!GetSize(n, size))
        return false;
    if (!SendCommand("TOP " + std::to_string(n) + " 0\r\n", "TOP"))
        return false;
    return ReadMessageReply(message, size);
}

bool CPop3Connection::ReadMessageReply(CPop3Message& message, uint32_t size)
{
    std::lock_guard lock(m_lock);
    size_t nSize = 0;
    auto buffer = AllocateReplyBuffer(static_cast<unsigned long long>(size) + 100, nSize);
    GrownBuffer grown;
    if (!buffer || !ReadReply(buffer.get(), nSize, "\r\n.\r\n", grown, 32000)) {
        Trace("Error retrieving the RETR response");
        return false;
    }
    const char* pText = grown.empty() ? buffer.get() : grown.data();
    if (!BeginsWithOk(pText, std::strlen(pText))) {
        Trace("POP3 server did not respond correctly to the RETR response\n");
        SetLastError(platform::kErrProtocol);
        return false;
    }
    // The header block follows the status line. Lines the server
    // byte-stuffed (RFC 1939 §3) keep their doubled leading dot.
    const char* pLf = std::strchr(pText, '\n');
    message.SetText(pLf ? pLf + 1 : "");
    return true;
}

bool CPop3Connection::Dele(int n)
{
    std::lock_guard lock(m_lock);
    if (!m_bHaveList && !List())
        return false;
    if (!SendCommand("DELE " + std::to_string(n) + "\r\n", "DELE"))
        return false;
    // Message numbers stay valid for the whole session (RFC 1939 §6), so the
    // cached listings stay as they are.
    if (!ReadCommandReply())
        return false;
    ++m_nDeleted;
    return true;
}

bool CPop3Connection::Rset()
{
    std::lock_guard lock(m_lock);
    if (!SendCommand("RSET\r\n", "RSET"))
        return false;
    return ReadCommandReply();
}

bool CPop3Connection::Noop()
{
    std::lock_guard lock(m_lock);
    if (!SendCommand("NOOP\r\n", "NOOP"))
        return false;
    return ReadCommandReply();
}
