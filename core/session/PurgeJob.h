#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/pop3/Pop3Connection.h"
#include "core/session/JobContext.h"
#include "core/storage/PurgeLock.h"

// The purge of the checked rows on one connection. Its steps: the account's
// purge lock; a new session where the review's is gone (log in again and
// find the rows by UIDL); per checked row in message-number order, the
// message read again (TOP n 0, UIDL n) and compared with what the user saw,
// the kept copy where one is asked for, then DELE n, stopping at the first
// difference (pipelined where the server lists PIPELINING); the journal,
// then QUIT, which is what makes the server remove the marked messages
// (RFC 1939 §6). A session that breaks, or a cancel before QUIT, drops the
// session without QUIT, so nothing at all is deleted. One progress report
// per row visited. The session is closed when Run returns.
class PurgeJob {
public:
    // `rows` in message-number order.
    PurgeJob(CPop3Connection& connection, JobContext& context, std::vector<PurgeRow> rows);

    PurgeResult Run();

private:
    struct Reread;
    struct DeleWindow;
    enum class Copy { kKept, kFailed, kDiffered };

    bool Cancelled() const { return m_ctx.Stopped(); }
    bool Lock(PurgeLock& lock, const DeletionJournal& journal, PurgeResult& result);
    // The first step where the review's session is gone: false when no new
    // session could be had, with m_sNotStarted saying why.
    bool LogInAgain(PurgeResult& result);
    bool MayLogInAgain(PurgeResult& result);
    bool ReadIdsAgain(PurgeResult& result, int& count);
    void FindRowsByUidl(int count);
    void Walk(PurgeResult& result);
    std::optional<PurgeProgress> VisitRow(const PurgeRow& row, int nShown, PurgeResult& result);
    // The walk with its commands pipelined, from row `first`: every checked
    // row read again first, then the DELEs of the rows before the first
    // difference. Returns the row the sequential walk goes on from.
    size_t WalkPipelined(size_t first, PurgeResult& result, bool& bContinue);
    void ReadAgainPipelined(std::vector<Reread>& rereads);
    void JudgeReread(const std::vector<Reread>& rereads, DeleWindow& window, PurgeProgress& note, PurgeResult& result);
    // Whether a checked row needs a step before its DELE (a copy KeepCopy
    // would fetch). From the first row that needs one the walk runs one row
    // at a time.
    bool NeedsStepBeforeDele(const PurgeRow& row);
    // The step before DELE: the copy of the row's message asked for by the
    // quarantine options; kKept also when none is asked for. `why` says why
    // not.
    Copy KeepCopy(const PurgeRow& row, std::string& why);
    PurgeOutcome LeftAlone(const PurgeRow& row, int nShown, PurgeResult& result);
    PurgeOutcome DeleOutcome(bool bAccepted, const PurgeRow& row, int nShown, PurgeResult& result, std::string& reply);
    void PostProgress(PurgeProgress note, bool& bContinue);
    void EndPurgeSession(PurgeResult& result);
    // Cancelled, or the session broke: dropped without QUIT.
    void Ended(PurgeResult& result);
    // The journal entries of the marked rows, in the given state.
    std::vector<JournalEntry> MarkedEntries(const PurgeResult& result, JournalEntry::State state) const;

    // A row read again that is not the message its header showed: its UIDL
    // is dropped from the header cache once the session has ended.
    void NoteDiffered(const PurgeRow& row, PurgeOutcome outcome);
    void ForgetDiffered() const;

    CPop3Connection& m_connection;
    JobContext& m_ctx;
    std::vector<PurgeRow> m_aRows;
    std::vector<std::string> m_aDiffered;  // UIDLs
    std::vector<int> m_aShown;             // row numbers as the user saw them, for what the purge reports
};
