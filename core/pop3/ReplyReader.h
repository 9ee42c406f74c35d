#pragma once

#include "core/pop3/ClientSocket.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pop3 {

// Reads POP3 replies (RFC 1939 §3) off the connection's socket, one whole
// reply at a time, within the waits the caller gives each. Bytes received
// past one reply stay buffered for the next. It never sends and never
// closes: a read that fails says why, and the connection, which owns it,
// breaks the session.
//
// Runs on the thread that holds the session (under the connection's lock).
class ReplyReader {
public:
    // A reply longer than this fails: no honest header block or listing
    // comes near it, and reading on would let a server stream without end.
    static constexpr size_t kMaxReplyBytes = size_t{64} << 20;
    // RFC 2449 §4 allows 512 octets for a status line; this leaves room for
    // servers that say more, and stops one that never sends CR LF.
    static constexpr size_t kMaxStatusLine = 8192;
    // Silence reported to the wait observer from this long on, then once a
    // second: shorter pauses are ordinary and not worth a word.
    static constexpr uint32_t kReportSilenceAfterMs = 2000;

    // See CPop3Connection::SetWaitObserver.
    using WaitObserver = std::function<void(uint32_t nSilentSeconds)>;

    // How one reply is read.
    struct Request {
        bool m_bMultiLine;          // RFC 1939 §3: only a positive reply can be
        const std::string& m_name;  // the command, for reasons: "TOP 3"
        size_t m_nKeep;             // reply bytes kept; the rest is read and dropped
        uint32_t m_nFirstMs;        // silence allowed before the first byte
        uint32_t m_nSilenceMs;      // and after every later one
        uint64_t m_nDeadlineMs;     // for the whole reply, from the start of the read
        // A SASL continuation ("+ " and base64, RFC 5034 §4) may answer.
        bool m_bChallenge = false;
    };
    enum class Outcome : uint8_t {
        kPositive,   // +OK, read whole
        kNegative,   // -ERR: the status line is the whole reply; in step still
        kFailed,     // no reply can be read in step any more: see Failure
        kChallenge,  // "+ text" where m_bChallenge allows it: the text after "+ "
    };
    // Why a read failed, in our words; the error for platform::SetLastError.
    struct Failure {
        int m_nError = 0;
        std::string m_sWhy;
        // Shown as the last reply in place of the text read, when set.
        const char* m_pszShown = nullptr;
    };

    explicit ReplyReader(CClientSocket& socket)
        : m_socket(socket)
    { }
    ReplyReader(const ReplyReader&) = delete;
    ReplyReader& operator=(const ReplyReader&) = delete;

    void SetWaitObserver(WaitObserver observer) { m_waitObserver = std::move(observer); }

    // Reads one reply into `text`: the status line, then for a multi-line
    // reply CR LF and the lines (byte-stuffing kept, the last line's CR LF
    // and the terminator cut off), at most m_nKeep bytes of it. On kFailed
    // `text` holds what was read of the status line, or the start of the
    // bytes waiting when no status line was read.
    Outcome Read(const Request& request, std::string& text, Failure& failure);

    // Bytes received and not yet read as part of a reply.
    bool HasUnread() const { return m_nInputPos < m_sInput.size(); }
    // Before a command: what waits on the connection without a wait.
    enum class Pending : uint8_t { kNothing, kStray, kClosed, kStopped };
    Pending Probe();
    // Forgets every byte buffered (the session closed).
    void Clear();

private:
    struct ReplyRead;
    // Moves the bytes buffered into the reply: the outcome when it ended,
    // empty when more bytes are needed.
    std::optional<Outcome> TakeBuffered(ReplyRead& read);
    std::optional<Outcome> TakeStatusLine(ReplyRead& read);
    std::optional<Outcome> TakeBodyBytes(ReplyRead& read);
    // Waits for more bytes within the reply's limits and receives them.
    // False, with the read failed, when none may come any more.
    bool ReceiveMore(ReplyRead& read);
    // Milliseconds to wait for the next bytes, or false with the read
    // failed when a limit has passed.
    bool WaitLeft(ReplyRead& read, long long& nLeftMs);
    bool FailRead(ReplyRead& read, int error, std::string why);
    // Tells the wait observer the silence so far (0: it has ended), once
    // per change.
    void ReportSilence(ReplyRead& read, uint32_t nSeconds);
    void CompactInput();

    CClientSocket& m_socket;
    std::string m_sInput;
    size_t m_nInputPos = 0;
    WaitObserver m_waitObserver;
};

}  // namespace pop3
