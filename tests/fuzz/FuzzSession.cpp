// A whole POP3 session against a server that sends arbitrary bytes, split
// anywhere: log-in, STAT, LIST, UIDL, the TOP window of a scan, then the
// re-read, DELEs and QUIT of a purge of every row shown. The connection is
// driven on this thread through the calls ScreeningEngine's scan
// (ReadListing, ReadNextRow, FinishScan) and purge (ReadAgainPipelined,
// JudgeReread, or VisitRow without PIPELINING) make, in the same order and
// with the same windows; the engine's worker threads would make every run
// slower and its timing its own. ScriptedStream plays the server and turns
// silence into virtual time, so nothing really waits.
//
// The input: four bytes, then the server's bytes.
//   [0] the most bytes one receive hands out (0: no limit)
//   [1] the widest gap between two cuts of a segment (0: no cuts)
//   [2] the seed of the cuts
//   [3] the user stops before the batch sent this many-th (0: never)
// In the server's bytes, a NUL followed by
//   '+'  ends a segment: the next waits for the client's next command line
//   '.'  closes the connection
//   '~'  and a byte b: silence for b * 250 ms
// and any other NUL is itself. The first segment is the greeting.

#include "FuzzEntries.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "core/platform/Trace.h"
#include "core/pop3/Pop3Connection.h"
#include "core/pop3/Pop3Message.h"
#include "core/session/ScreeningEngine.h"
#include "tests/core/pop3/ScriptedStream.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

constexpr size_t kControlBytes = 4;
constexpr size_t kWindow = static_cast<size_t>(ScreeningEngine::kPipelineWindow);
constexpr int kSilenceStepMs = 250;

// The server's bytes into script steps, each segment cut where the seed says.
void BuildScript(const uint8_t* data, size_t size, ScriptedStream& server)
{
    const uint8_t chunk = data[0], spread = data[1];
    uint32_t state = 0x9E3779B9u ^ data[2];
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    if (chunk != 0)
        server.SetChunk(chunk);
    std::string segment;
    const auto flush = [&] {
        std::vector<size_t> cuts;
        for (size_t at = 0; spread != 0 && (at += 1 + next() % spread) < segment.size();)
            cuts.push_back(at);
        if (!segment.empty())
            server.SendSplit(std::move(segment), std::move(cuts));
        segment.clear();
    };
    for (size_t i = kControlBytes; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        const char mark = i + 1 < size && c == '\0' ? static_cast<char>(data[i + 1]) : 'x';
        if (mark == '+') {
            flush();
            server.ExpectLine();
        } else if (mark == '.') {
            flush();
            server.CloseConnection();
        } else if (mark == '~' && i + 2 < size) {
            flush();
            server.Pause(data[i + 2] * kSilenceStepMs);
            ++i;
        } else {
            segment += c;
            continue;
        }
        ++i;
    }
    flush();
}

// The session's invariants, checked after every step: a broken session is
// closed, awaits no reply, says why, and sends nothing more.
class Watch {
public:
    Watch(const CPop3Connection& pop, const ScriptedStream& server)
        : m_pop(pop),
          m_server(server)
    { }
    void Check()
    {
        if (!m_pop.IsBroken()) {
            Require(m_pop.IsConnected() || m_pop.Outstanding() == 0);
            return;
        }
        Require(!m_pop.IsConnected() && m_pop.Outstanding() == 0 && !m_pop.BreakReason().empty());
        if (m_nWireAtBreak == std::string::npos)
            m_nWireAtBreak = m_server.Received().size();
        Require(m_server.Received().size() == m_nWireAtBreak);
    }
    bool Broken() const { return m_nWireAtBreak != std::string::npos; }

private:
    const CPop3Connection& m_pop;
    const ScriptedStream& m_server;
    size_t m_nWireAtBreak = std::string::npos;
};

struct Row {
    int m_nNum;
    std::string m_sSubject;
    std::string m_sUidl;
};

class Session {
public:
    Session(CPop3Connection& pop, Watch& watch, uint8_t stopAt)
        : m_pop(pop),
          m_watch(watch),
          m_nStopAt(stopAt)
    { }

    // The queued batch goes out, unless the user stops first.
    bool Send()
    {
        StopWhenDue();
        const bool bSent = m_pop.SendQueued();
        Require(bSent || !m_pop.IsConnected());
        m_watch.Check();
        return bSent;
    }
    void StopWhenDue()
    {
        if (++m_nBatches == m_nStopAt)
            m_pop.Abort();
    }

    // ScreeningEngine::ReadListing, ReadNextRow and FinishScan: every row
    // shown, or none when the scan failed.
    std::vector<Row> Scan()
    {
        std::vector<Row> rows;
        int count = 0, total = 0;
        if (!m_pop.Stat(count, total) || count <= 0 || !m_pop.List() || (!m_pop.Uidl() && m_pop.IsBroken())
            || m_pop.ListingProblem() != pop3::ReplyError::kNone)
            return {};
        const bool bHaveUidl = m_pop.HasUidlListing();
        const int window = m_pop.CanPipeline() ? static_cast<int>(kWindow) : 1;
        uint64_t size = 0;
        int queued = 0;
        for (int n = 1; n <= count; ++n) {
            std::string uidl;
            if (bHaveUidl && m_pop.GetUidl(n, uidl))
                Require(!uidl.empty() && uidl.size() <= CPop3Connection::kMaxUidLength);
            if (!m_pop.GetSize(n, size))
                return {};
            if (queued < n || (queued - n < window / 2 && queued < count)) {
                for (int k = queued + 1; k <= count && k < n + window && m_pop.QueueTop(k); ++k)
                    queued = k;
                if (!Send())
                    return {};
            }
            CPop3Message message;
            const bool bRead = m_pop.ReadTop(n, message);
            m_watch.Check();
            if (!bRead && m_pop.IsBroken())
                return {};
            Require(message.Text().size() <= CPop3Connection::kMaxHeaderBytes);
            if (bRead)
                rows.push_back({n, message.GetSubject(), uidl});
        }
        const bool bInStep = m_pop.ListOne(count, size);
        m_watch.Check();
        return bInStep ? rows : std::vector<Row>();
    }

    // ScreeningEngine::ReadAgainPipelined, then the DELEs of JudgeReread:
    // every row read again a window ahead, nothing more asked after the
    // first difference, then the DELEs of the rows before it.
    void PurgePipelined(const std::vector<Row>& rows)
    {
        size_t nSent = 0, nRead = 0, nClean = 0;
        bool bDiffered = false;
        while (nRead < rows.size()) {
            if (!bDiffered && nSent < rows.size() && nSent - nRead < kWindow / 2) {
                for (; nSent < rows.size() && nSent - nRead < kWindow; ++nSent) {
                    if (!m_pop.QueueTop(rows[nSent].m_nNum))
                        break;
                    if (!rows[nSent].m_sUidl.empty())
                        m_pop.QueueUidlOf(rows[nSent].m_nNum);
                }
                if (!Send())
                    return;
            }
            if (nRead == nSent)
                break;
            const Row& row = rows[nRead++];
            CPop3Message message;
            bool bSame = m_pop.ReadTop(row.m_nNum, message) && message.GetSubject() == row.m_sSubject;
            std::string uidl;
            if (!row.m_sUidl.empty() && !m_pop.IsBroken())
                bSame = m_pop.ReadUidlOf(row.m_nNum, uidl) && bSame && uidl == row.m_sUidl;
            m_watch.Check();
            if (m_pop.IsBroken())
                return;
            bDiffered = bDiffered || !bSame;
            nClean += bDiffered ? 0 : 1;
        }
        const bool bSkipped = m_pop.SkipReplies();
        m_watch.Check();
        if (!bSkipped)
            return;
        Require(m_pop.Outstanding() == 0);
        size_t nDeleSent = 0;
        for (size_t r = 0; r < nClean; ++r) {
            if (nDeleSent == r || (nDeleSent - r < kWindow / 2 && nDeleSent < nClean)) {
                for (; nDeleSent < nClean && nDeleSent - r < kWindow && m_pop.QueueDele(rows[nDeleSent].m_nNum);
                     ++nDeleSent) {
                }
                Send();
            }
            const bool bMarked = m_pop.ReadDele(rows[r].m_nNum);
            m_watch.Check();
            if (!bMarked && m_pop.IsBroken())
                return;
        }
    }

    // ScreeningEngine::VisitRow without PIPELINING: one row at a time.
    void PurgeInTurn(const std::vector<Row>& rows)
    {
        for (const Row& row : rows) {
            StopWhenDue();
            CPop3Message message;
            std::string uidl;
            const bool bSame = m_pop.Top(row.m_nNum, message) && message.GetSubject() == row.m_sSubject
                && (row.m_sUidl.empty() || (m_pop.UidlOf(row.m_nNum, uidl) && uidl == row.m_sUidl));
            m_watch.Check();
            if (!bSame)
                return;
            m_pop.Dele(row.m_nNum);
            m_watch.Check();
            if (m_pop.IsBroken())
                return;
        }
    }

private:
    CPop3Connection& m_pop;
    Watch& m_watch;
    uint8_t m_nStopAt;
    uint8_t m_nBatches = 0;
};

}  // namespace

void FuzzSession(const uint8_t* data, size_t size)
{
    if (size < kControlBytes)
        return;
    static const bool bQuiet = [] {
        platform::SetTraceSink([](const std::string&) {});
        return true;
    }();
    (void)bQuiet;

    ScriptedStream server;  // outlives the connection, which may QUIT as it goes
    BuildScript(data, size, server);
    CPop3Connection pop;
    pop.SetStreamSource(server.Source());
    Watch watch(pop, server);
    Session session(pop, watch, data[3]);
    const bool bIn = pop.Login("pop.example", "u", "p", 110);
    watch.Check();
    if (bIn) {
        const std::vector<Row> rows = session.Scan();
        if (!rows.empty() && pop.IsConnected()) {
            if (pop.CanPipeline())
                session.PurgePipelined(rows);
            else
                session.PurgeInTurn(rows);
        }
    }
    const bool bBroken = watch.Broken();
    const bool bQuit = pop.Quit();
    Require(!bQuit || !bBroken);
    watch.Check();
    Require(!pop.IsConnected() && pop.Outstanding() == 0);
}
