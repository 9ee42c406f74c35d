#include "PurgeJob.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "core/platform/CoreText.h"
#include "core/platform/Secrets.h"
#include "core/pop3/Pop3Message.h"
#include "core/rows/RowBuilder.h"
#include "core/storage/QuarantineMaildir.h"

namespace {

// How far a kept copy's length may stray from the message's LIST size.
// RFC 1939 §11 counts CR LF line ends, but some servers count their stored
// LF ends, so an honest copy may be up to twice as long (empty lines alone)
// and, with a server that counts otherwise, down to half; the slack covers
// a short message whose lines are mostly ends.
constexpr uint64_t kCopySizeSlack = 512;

bool PlausibleCopySize(uint64_t copyBytes, uint64_t listSize)
{
    return copyBytes * 2 >= listSize && copyBytes <= listSize * 2 + kCopySizeSlack;
}

// Whether the header read again is that of the message the row showed, by
// its sender, date and Message-ID. A row without an identity matches none.
bool SameIdentity(const PurgeRow& row, const std::string& identity)
{
    return !row.m_sIdentity.empty() && identity == row.m_sIdentity;
}

// A checked row read again: whether it is still the message the user saw
// (the Subject byte for byte, the scan's id where the row has one, and the
// message's identity). kNotChecked when it is; `note` gets both Subjects
// either way. `text` is the Subject read, or the refusal when the message
// could not be read; `identity` the MessageIdentity of what was read.
PurgeOutcome JudgeReadAgain(const PurgeRow& row, bool bRead, const std::string& text, bool bIdOk,
                            const std::string& identity, PurgeProgress& note)
{
    note.m_sGridSubject = row.m_sSubject;
    if (!bRead) {
        note.m_sServerSubject = "(could not be read again: " + text + ")";
        return PurgeOutcome::kUnreadable;
    }
    note.m_sServerSubject = text;
    if (text != row.m_sSubject)
        return PurgeOutcome::kChanged;
    if (!bIdOk) {
        note.m_sServerSubject += " (another message: its id on the server has changed)";
        return PurgeOutcome::kIdChanged;
    }
    if (!SameIdentity(row, identity)) {
        note.m_sServerSubject += " (another message: its sender, date or Message-ID differs)";
        return PurgeOutcome::kIdChanged;
    }
    return PurgeOutcome::kNotChecked;
}

}  // namespace

PurgeJob::PurgeJob(CPop3Connection& connection, JobContext& context, std::vector<PurgeRow> rows)
    : m_connection(connection),
      m_ctx(context),
      m_aRows(std::move(rows))
{
    m_aShown.reserve(m_aRows.size());
    for (const PurgeRow& row : m_aRows)
        m_aShown.push_back(row.m_nNum);
}

PurgeResult PurgeJob::Run()
{
    m_ctx.ApplyTiming(m_connection);
    PurgeResult result;
    const bool bAnyChecked = std::any_of(m_aRows.begin(), m_aRows.end(),
                                         [](const PurgeRow& row) { return row.m_bChecked && row.m_bAvailable; });
    if (Cancelled()) {
        result.m_bCancelled = true;
        m_connection.Drop();
        return result;
    }
    // One purge of the account at a time, held until the journal has its
    // last word.
    std::string account;
    const DeletionJournal journal = m_ctx.SessionJournal(&account);
    PurgeLock lock(journal.Folder(), account);
    if (bAnyChecked && !Lock(lock, journal, result)) {
        m_connection.Drop();
        return result;
    }
    // The review's session may have been logged out or lost meanwhile.
    const bool bSession = m_connection.IsIdleAndOpen();
    if (!bSession && bAnyChecked && !LogInAgain(result)) {
        m_connection.Drop();
        return result;
    }
    Walk(result);
    EndPurgeSession(result);
    m_connection.Drop();
    ForgetDiffered();
    return result;
}

void PurgeJob::NoteDiffered(const PurgeRow& row, PurgeOutcome outcome)
{
    if ((outcome == PurgeOutcome::kChanged || outcome == PurgeOutcome::kIdChanged) && !row.m_sUidl.empty())
        m_aDiffered.push_back(row.m_sUidl);
}

void PurgeJob::ForgetDiffered() const
{
    const Account& account = m_ctx.m_sessionAccount;
    if (m_aDiffered.empty() || m_ctx.m_nHeaderCache == HeaderCacheUse::kOff)
        return;
    HeaderCache::Forget(HeaderCache::PathFor(account.m_sServer, account.m_sUser, account.m_sPort),
                        HeaderCache::Identity(account.m_sServer, account.m_sUser, account.m_sPort), m_aDiffered);
}

// The account's purge lock, waited for; false with the result saying why.
bool PurgeJob::Lock(PurgeLock& lock, const DeletionJournal& journal, PurgeResult& result)
{
    if (lock.Acquire(PurgeLock::kWait, [this] { return Cancelled(); }))
        return true;
    if (Cancelled())
        result.m_bCancelled = true;
    else if (lock.Busy())
        result.m_sNotStarted = core_text::Say(
            "Purge",
            QT_TRANSLATE_NOOP(
                "Purge",
                "Another purge of this account is running: nothing was deleted. Scan again once it has ended."));
    else
        result.m_sNotStarted = core_text::Say(
            "Purge", QT_TRANSLATE_NOOP("Purge", "The deletions could not be recorded in %1: nothing was deleted."),
            {journal.FilePath()});
    return false;
}

// The review's session was gone. With every row's UIDL from the scan, a new
// session finds the messages again whatever their numbers now; the rows'
// numbers are replaced by the new ones (0: gone).
bool PurgeJob::LogInAgain(PurgeResult& result)
{
    m_connection.Drop();
    if (!MayLogInAgain(result))
        return false;
    // A cancel after this wakes the log-in; one before it ends here.
    if (!m_ctx.ClearAbort(m_connection)) {
        platform::SecureWipe(m_ctx.m_account.m_sPass);
        result.m_bCancelled = true;
        return false;
    }
    const Account& account = m_ctx.m_account;
    if (const std::string problem = m_ctx.ApplyAuthentication(m_connection); !problem.empty()) {
        platform::SecureWipe(m_ctx.m_account.m_sPass);
        result.m_sNotStarted = core_text::Say(
            "Purge",
            QT_TRANSLATE_NOOP("Purge",
                              "The server ended the session, and no new log-in can be tried: %1 Nothing was deleted."),
            {problem});
        return false;
    }
    const int port = ParsePort(account.m_sPort);
    const bool bLoggedIn = port != 0 && m_connection.Login(account.m_sServer, account.m_sUser, account.m_sPass, port);
    platform::SecureWipe(m_ctx.m_account.m_sPass);
    if (!bLoggedIn && Cancelled()) {
        result.m_bCancelled = true;
        return false;
    }
    if (!bLoggedIn) {
        const std::string reason = m_connection.GetFailureReason();
        result.m_sNotStarted = core_text::Say(
            "Purge",
            QT_TRANSLATE_NOOP("Purge",
                              "The server ended the session and a new log-in failed (%1): nothing was deleted."),
            {reason.empty() ? core_text::Say("Scan", QT_TRANSLATE_NOOP("Scan", "Server Not Found")) : reason});
        return false;
    }
    int count = 0;
    if (!ReadIdsAgain(result, count))
        return false;
    result.m_bReconnected = true;
    FindRowsByUidl(count);
    return true;
}

// Whether the rows can be found on a new session at all: the scan had
// lasting ids, and the owner's account is still the one the rows came from
// (ids mean nothing on another mailbox).
bool PurgeJob::MayLogInAgain(PurgeResult& result)
{
    if (!m_ctx.m_bCanReconnect) {
        result.m_sNotStarted = core_text::Say(
            "Purge",
            QT_TRANSLATE_NOOP("Purge",
                              "The server ended the session, and it gives its messages no lasting ids (UIDL), so the "
                              "rows cannot be matched to messages again: nothing was deleted. Scan again."));
        return false;
    }
    const Account& account = m_ctx.m_account;
    const Account& session = m_ctx.m_sessionAccount;
    if (account.m_sServer == session.m_sServer && account.m_sUser == session.m_sUser
        && account.m_sPort == session.m_sPort)
        return true;
    platform::SecureWipe(m_ctx.m_account.m_sPass);
    result.m_sNotStarted = core_text::Say("Purge",
                                          QT_TRANSLATE_NOOP("Purge",
                                                            "The server ended the session, and the account has changed "
                                                            "since the scan: nothing was deleted. Scan again."));
    return false;
}

// STAT and UIDL on the new session; false (session dropped) when they
// could not be read.
bool PurgeJob::ReadIdsAgain(PurgeResult& result, int& count)
{
    int total = 0;
    if (m_connection.Stat(count, total) && m_connection.Uidl())
        return true;
    if (Cancelled())
        result.m_bCancelled = true;
    else
        result.m_sNotStarted = SessionStatus(
            m_connection,
            core_text::Say(
                "Purge",
                QT_TRANSLATE_NOOP(
                    "Purge", "The server's list of message ids could not be read again (%1): nothing was deleted."),
                {m_connection.GetLastReply()}));
    m_connection.Drop();
    return false;
}

// Each row's number on the new session, by its UIDL (0: gone).
void PurgeJob::FindRowsByUidl(int count)
{
    std::unordered_map<std::string, int> numbers;
    std::string uidl;
    for (int n = 1; n <= count; ++n)
        if (m_connection.GetUidl(n, uidl))
            numbers.emplace(uidl, n);
    for (PurgeRow& row : m_aRows) {
        // An id the server now gives two messages names neither: the row is
        // left alone as one without an id, never taken for removed.
        if (m_connection.IsUidlAmbiguous(row.m_sUidl))
            row.m_sUidl.clear();
        if (row.m_sUidl.empty())
            continue;
        const auto found = numbers.find(row.m_sUidl);
        row.m_nNum = found == numbers.end() ? 0 : found->second;
    }
}

// The rows in message-number order: per checked row TOP n 0, the Subject
// compared byte for byte with the one the user saw, the UIDL compared with
// the scan's, then DELE n; the first difference stops the walk. On a server
// that lists PIPELINING, WalkPipelined does the same with its commands sent
// ahead, and the walk goes on one row at a time from where it stopped.
void PurgeJob::Walk(PurgeResult& result)
{
    bool bContinue = true;
    size_t r = 0;
    if (m_connection.CanPipeline())
        r = WalkPipelined(r, result, bContinue);
    for (; r < m_aRows.size() && bContinue && !Cancelled(); ++r) {
        std::optional<PurgeProgress> note = VisitRow(m_aRows[r], m_aShown[r], result);
        if (!note)
            break;
        PostProgress(std::move(*note), bContinue);
    }
    // Checked rows after the stop are not deleted either.
    if (!bContinue && !m_connection.IsBroken())
        for (; r < m_aRows.size(); ++r)
            if (m_aRows[r].m_bChecked && m_aRows[r].m_bAvailable)
                result.m_aChanged.push_back(m_aShown[r]);
}

// One row of the sequential walk, read again and deleted when it is still
// the message the user saw. Empty: cancelled before its DELE.
std::optional<PurgeProgress> PurgeJob::VisitRow(const PurgeRow& row, int nShown, PurgeResult& result)
{
    PurgeProgress note{nShown, LeftAlone(row, nShown, result)};
    if (note.m_nOutcome != PurgeOutcome::kNotChecked || !row.m_bChecked)
        return note;
    CPop3Message message;
    const bool bRead = m_connection.Top(row.m_nNum, message);
    const std::string text = bRead ? message.GetSubject() : m_connection.GetLastReply();
    // UIDL n only for a row whose Subject still matches.
    std::string uidl;
    const bool bIdOk = !bRead || text != row.m_sSubject || row.m_sUidl.empty()
        || (m_connection.UidlOf(row.m_nNum, uidl) && uidl == row.m_sUidl);
    note.m_nOutcome = JudgeReadAgain(row, bRead, text, bIdOk, MessageIdentity(message), note);
    if (m_connection.IsBroken()) {
        note.m_nOutcome = PurgeOutcome::kBroken;
    } else if (note.m_nOutcome != PurgeOutcome::kNotChecked) {
        // A difference: no DELE.
    } else if (Cancelled()) {
        return std::nullopt;
    } else if (const Copy copy = KeepCopy(row, note.m_sReply); copy != Copy::kKept) {
        // The copy the user asked for failed, or was another message: no
        // DELE, the purge goes on.
        result.m_sLastReply = note.m_sReply;
        note.m_nOutcome = m_connection.IsBroken() ? PurgeOutcome::kBroken : PurgeOutcome::kNotKept;
        if (note.m_nOutcome == PurgeOutcome::kNotKept) {
            result.m_aNotKept.push_back(nShown);
            if (copy == Copy::kDiffered) {
                result.m_aCopyDiffered.push_back(nShown);
                NoteDiffered(row, PurgeOutcome::kIdChanged);
            }
        }
    } else {
        note.m_nOutcome = DeleOutcome(m_connection.Dele(row.m_nNum), row, nShown, result, note.m_sReply);
    }
    NoteDiffered(row, note.m_nOutcome);
    if (IsMismatch(note.m_nOutcome))
        result.m_aChanged.push_back(nShown);
    return note;
}

// The purge's session ends. The journal learns of the marked messages
// before the server does: they are written as pending (and synced), then
// QUIT commits them and they are written as deleted. A journal that cannot
// be written, a cancel or a broken session before QUIT drop the session
// without it, which deletes nothing (RFC 1939 §6). A QUIT sent but not
// answered leaves them pending, for the next scan to settle.
void PurgeJob::EndPurgeSession(PurgeResult& result)
{
    if (Cancelled() || m_connection.IsBroken())
        return Ended(result);
    DeletionJournal journal = m_ctx.SessionJournal(nullptr);
    const bool bMarked = !result.m_aMarked.empty();
    if (bMarked && !journal.Append(MarkedEntries(result, JournalEntry::State::kPending))) {
        result.m_bNotRecorded = true;
        result.m_sReason = core_text::Say(
            "Purge", QT_TRANSLATE_NOOP("Purge", "the deletions could not be recorded in %1"), {journal.FilePath()});
        m_connection.Drop();
        return;
    }
    if (m_connection.Quit()) {
        result.m_bCommitted = true;
        if (bMarked && !journal.Append(MarkedEntries(result, JournalEntry::State::kDeleted)))
            result.m_bJournalBehind = true;
        return;
    }
    if (!m_connection.QuitSent()) {
        // QUIT never left: nothing was deleted, and the journal says so.
        if (bMarked)
            journal.Append(MarkedEntries(result, JournalEntry::State::kNotDeleted));
        return Ended(result);
    }
    result.m_bUnconfirmed = bMarked;
    result.m_sReason = m_connection.IsBroken() ? m_connection.BreakReason() : m_connection.GetLastReply();
    result.m_sLastReply = result.m_sReason;
}

void PurgeJob::Ended(PurgeResult& result)
{
    if (Cancelled()) {
        result.m_bCancelled = true;
    } else {
        result.m_bBroken = true;
        result.m_sReason = m_connection.IsBroken() ? m_connection.BreakReason() : m_connection.GetLastReply();
    }
    m_connection.Drop();
}

std::vector<JournalEntry> PurgeJob::MarkedEntries(const PurgeResult& result, JournalEntry::State state) const
{
    std::string account;
    m_ctx.SessionJournal(&account);
    std::unordered_map<int, size_t> rowOf;
    for (size_t i = 0; i < m_aRows.size(); ++i)
        rowOf.emplace(m_aShown[i], i);
    std::vector<JournalEntry> entries;
    entries.reserve(result.m_aMarked.size());
    for (const int num : result.m_aMarked) {
        const auto found = rowOf.find(num);
        const PurgeRow* pRow = found == rowOf.end() ? nullptr : &m_aRows[found->second];
        JournalEntry entry;
        if (pRow && pRow->m_pJournal) {
            entry = *pRow->m_pJournal;
        } else {
            // Deleted all the same: the line says which message.
            entry.m_sUidl = pRow ? pRow->m_sUidl : std::string();
            entry.m_sSubject = "(message " + std::to_string(num) + ")";
            entry.m_sReason = DeletionJournal::kCheckedByHand;
        }
        entry.m_sAccount = account;
        entry.m_nTime = 0;
        entry.m_nState = state;
        entries.push_back(std::move(entry));
    }
    return entries;
}

// With no reply outstanding: whether KeepCopy would fetch a
// copy of the row's message before its DELE (the copy must be written
// before the DELE goes out). Unsure counts as yes.
bool PurgeJob::NeedsStepBeforeDele(const PurgeRow& row)
{
    const uint64_t nMaxBytes = m_ctx.m_quarantine.m_nMaxBytes;
    uint64_t size = 0;
    return nMaxBytes != 0 && (!m_connection.GetSize(row.m_nNum, size) || size <= nMaxBytes);
}

// The row's outcome is known: reported, and a stop ends the walk.
void PurgeJob::PostProgress(PurgeProgress note, bool& bContinue)
{
    if (StopsPurge(note.m_nOutcome))
        bContinue = false;
    if (m_ctx.m_fnProgress)
        m_ctx.m_fnProgress(note);
}

// What reading a row again showed (the pipelined walk).
struct PurgeJob::Reread {
    size_t m_nRow;
    bool m_bRead = false;          // TOP answered +OK
    bool m_bIdOk = true;           // no UIDL to check, or UIDL n answered and matched
    bool m_bBroken = false;        // the session broke on this row's replies
    std::string m_sSubject = {};   // the Subject now, or the refusal's text
    std::string m_sIdentity = {};  // MessageIdentity of the header read

    // Still the message the user saw: JudgeReadAgain would find no difference.
    bool Matches(const PurgeRow& row) const
    {
        return m_bRead && m_bIdOk && m_sSubject == row.m_sSubject && SameIdentity(row, m_sIdentity);
    }
};

// The pipelined DELEs: sent, answered, and the next reread to use.
struct PurgeJob::DeleWindow {
    size_t m_nSent = 0, m_nRead = 0, m_nNext = 0;
};

// On a session whose server lists PIPELINING. In one session
// the messages cannot change (RFC 1939 §6), so every checked row is read
// again first (TOP n 0 and UIDL n, pipelined), then the DELEs of the rows
// before the first difference go out, pipelined: the same deletions, the
// same stop and the same progress, row by row, as the sequential walk. A
// session that breaks while the rows are read again has marked nothing.
size_t PurgeJob::WalkPipelined(size_t first, PurgeResult& result, bool& bContinue)
{
    const std::vector<PurgeRow>& rows = m_aRows;
    const std::vector<int>& shown = m_aShown;
    const auto needsReading = [&](const PurgeRow& row) {
        return row.m_bChecked && row.m_bAvailable
            && !(result.m_bReconnected && (row.m_sUidl.empty() || row.m_nNum == 0));
    };
    // The walk ends before the first row whose DELE must wait for a step.
    size_t end = first;
    std::vector<Reread> rereads;
    for (; end < rows.size(); ++end) {
        if (!needsReading(rows[end]))
            continue;
        if (NeedsStepBeforeDele(rows[end]))
            break;
        rereads.push_back(Reread{end});
    }
    if (rereads.empty())
        return first;
    ReadAgainPipelined(rereads);
    if (Cancelled())
        return first;

    // The DELEs, a window ahead, for the rows read again without a
    // difference; the progress row by row as the sequential walk posts it.
    DeleWindow window;
    size_t r = first;
    for (; r < end && bContinue; ++r) {
        if (Cancelled())
            return r;  // the session is dropped before QUIT: the DELEs in flight count for nothing
        const PurgeRow& row = rows[r];
        PurgeProgress note{shown[r], LeftAlone(row, shown[r], result)};
        if (note.m_nOutcome == PurgeOutcome::kNotChecked && row.m_bChecked) {
            if (window.m_nNext >= rereads.size())
                note.m_nOutcome = PurgeOutcome::kBroken;  // the replies ended before this row
            else
                JudgeReread(rereads, window, note, result);
            NoteDiffered(row, note.m_nOutcome);
            if (IsMismatch(note.m_nOutcome))
                result.m_aChanged.push_back(shown[r]);
        }
        PostProgress(std::move(note), bContinue);
    }
    return r;
}

// Every row of `rereads` read again, a window of commands
// ahead of the replies; after the first difference nothing more is asked.
// Rows past the last one read are dropped: the walk stops before them.
void PurgeJob::ReadAgainPipelined(std::vector<Reread>& rereads)
{
    const std::vector<PurgeRow>& rows = m_aRows;
    size_t nSent = 0, nRead = 0;
    bool bDiffered = false;
    while (nRead < rereads.size() && !Cancelled()) {
        if (!bDiffered && nSent < rereads.size()
            && nSent - nRead < static_cast<size_t>(ScreeningEngine::kPipelineWindow) / 2) {
            for (; nSent < rereads.size() && nSent - nRead < static_cast<size_t>(ScreeningEngine::kPipelineWindow);
                 ++nSent) {
                const PurgeRow& row = rows[rereads[nSent].m_nRow];
                // A number the listing lacks is found unreadable when read.
                if (!m_connection.QueueTop(row.m_nNum))
                    break;
                if (!row.m_sUidl.empty())
                    m_connection.QueueUidlOf(row.m_nNum);
            }
            if (!m_connection.SendQueued()) {
                rereads[nRead].m_bBroken = true;
                break;
            }
        }
        if (nRead == nSent) {
            if (!bDiffered) {
                // The row's TOP could not be sent: unreadable, as Top says.
                Reread& reread = rereads[nRead++];
                reread.m_sSubject = m_connection.GetLastReply();
                reread.m_bBroken = m_connection.IsBroken();
            }
            break;
        }
        Reread& reread = rereads[nRead++];
        const PurgeRow& row = rows[reread.m_nRow];
        CPop3Message message;
        reread.m_bRead = m_connection.ReadTop(row.m_nNum, message);
        reread.m_sSubject = reread.m_bRead ? message.GetSubject() : m_connection.GetLastReply();
        if (reread.m_bRead)
            reread.m_sIdentity = MessageIdentity(message);
        std::string uidl;
        if (!row.m_sUidl.empty() && !m_connection.IsBroken())
            reread.m_bIdOk = m_connection.ReadUidlOf(row.m_nNum, uidl) && uidl == row.m_sUidl;
        reread.m_bBroken = m_connection.IsBroken();
        if (reread.m_bBroken)
            break;
        bDiffered = bDiffered || !reread.Matches(row);
    }
    if (!m_connection.IsBroken() && !m_connection.SkipReplies())
        rereads[std::min(nRead, rereads.size() - 1)].m_bBroken = true;
    if (!Cancelled())
        rereads.resize(nRead);
}

// The next reread judged for its row (`note`), and the row's
// DELE, with those of the clean rows after it topped up once half the
// window has been answered.
void PurgeJob::JudgeReread(const std::vector<Reread>& rereads, DeleWindow& window, PurgeProgress& note,
                           PurgeResult& result)
{
    const std::vector<PurgeRow>& rows = m_aRows;
    const auto clean = [&](const Reread& reread) { return !reread.m_bBroken && reread.Matches(rows[reread.m_nRow]); };
    const Reread& reread = rereads[window.m_nNext++];
    const PurgeRow& row = rows[reread.m_nRow];
    note.m_nOutcome = JudgeReadAgain(row, reread.m_bRead, reread.m_sSubject, reread.m_bIdOk, reread.m_sIdentity, note);
    if (reread.m_bBroken) {
        note.m_nOutcome = PurgeOutcome::kBroken;
    } else if (note.m_nOutcome == PurgeOutcome::kNotChecked) {
        constexpr size_t kWindow = static_cast<size_t>(ScreeningEngine::kPipelineWindow);
        size_t& nSent = window.m_nSent;
        if (nSent == window.m_nRead || (nSent - window.m_nRead < kWindow / 2 && nSent < rereads.size())) {
            for (nSent = std::max(nSent, window.m_nNext - 1); nSent < rereads.size() && clean(rereads[nSent])
                 && nSent - window.m_nRead < kWindow && m_connection.QueueDele(rows[rereads[nSent].m_nRow].m_nNum);
                 ++nSent) {
            }
            m_connection.SendQueued();
        }
        ++window.m_nRead;
        note.m_nOutcome = DeleOutcome(m_connection.ReadDele(row.m_nNum), row, note.m_nNum, result, note.m_sReply);
    }
}

// A checked row the purge cannot try (the scan could not read
// it; on a new session, it has no id or its id is gone), recorded in the
// result; kNotChecked for every other row.
PurgeOutcome PurgeJob::LeftAlone(const PurgeRow& row, int nShown, PurgeResult& result)
{
    if (!row.m_bChecked)
        return PurgeOutcome::kNotChecked;
    if (!row.m_bAvailable || (result.m_bReconnected && row.m_sUidl.empty())) {
        result.m_aLeft.push_back(nShown);
        return row.m_bAvailable ? PurgeOutcome::kUnidentified : PurgeOutcome::kUnavailable;
    }
    if (result.m_bReconnected && row.m_nNum == 0) {
        result.m_aGone.push_back(nShown);
        return PurgeOutcome::kGone;
    }
    return PurgeOutcome::kNotChecked;
}

// What the answer to a row's DELE makes of it; `reply` gets
// the server's refusal.
PurgeOutcome PurgeJob::DeleOutcome(bool bAccepted, const PurgeRow& row, int nShown, PurgeResult& result,
                                   std::string& reply)
{
    if (bAccepted) {
        result.m_aMarked.push_back(nShown);
        if (row.m_sUidl.empty())
            ++result.m_nWithoutId;
        return PurgeOutcome::kMarked;
    }
    if (m_connection.IsBroken())
        return PurgeOutcome::kBroken;
    result.m_aRefused.push_back(nShown);
    reply = result.m_sLastReply = m_connection.GetLastReply();
    return PurgeOutcome::kRefused;
}

// RETR n into the Maildir before DELE n. A message larger than
// asked for is deleted without a copy; one whose size is unknown is not
// deleted at all, nor one whose copy is not the message the row shows.
PurgeJob::Copy PurgeJob::KeepCopy(const PurgeRow& row, std::string& why)
{
    const QuarantineOptions& options = m_ctx.m_quarantine;
    if (options.m_nMaxBytes == 0)
        return Copy::kKept;
    const auto fail = [&why](const std::string& text, Copy copy = Copy::kFailed) {
        why = text;
        return copy;
    };
    uint64_t size = 0;
    if (!m_connection.GetSize(row.m_nNum, size))
        return fail("No copy kept: the server gives no size for the message.");
    if (size > options.m_nMaxBytes)
        return Copy::kKept;
    // Room for a server whose LIST size is a little short of the message.
    const size_t limit = static_cast<size_t>(options.m_nMaxBytes + options.m_nMaxBytes / 4 + 4096);
    std::string text;
    if (!m_connection.Retr(row.m_nNum, text, limit))
        return fail("No copy kept: the server did not send the message (" + m_connection.GetLastReply() + ").");
    // The copy must be the message the row showed: the same header, and a
    // size LIST could have counted. A copy of another message, or none at
    // all, would stand in for a message deleted unseen.
    CPop3Message header;
    header.SetText(text);
    if (!PlausibleCopySize(text.size(), size) || header.GetSubject() != row.m_sSubject
        || MessageIdentity(header) != row.m_sIdentity || row.m_sIdentity.empty())
        return fail("No copy kept: the copy did not match the message.", Copy::kDiffered);
    QuarantineMaildir maildir = options.m_sFolder.empty() ? QuarantineMaildir() : QuarantineMaildir(options.m_sFolder);
    // Named so Recently Deleted and `mavix-cli log` find it from the journal.
    std::string account;
    (void)m_ctx.SessionJournal(&account);
    if (!maildir.Store(text, QuarantineMaildir::CopyKey(account, row.m_sUidl)))
        return fail("No copy kept: " + maildir.FailureReason() + ".");
    return Copy::kKept;
}
