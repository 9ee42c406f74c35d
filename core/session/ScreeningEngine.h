#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>
#include <variant>
#include <vector>

#include "core/filters/FilterLists.h"
#include "core/platform/Event.h"
#include "core/storage/DeletionJournal.h"
#include "core/pop3/Pop3Connection.h"
#include "core/pop3/Pop3Message.h"
#include "core/preview/MessagePreview.h"
#include "core/rows/MessageRow.h"
#include "core/storage/AccountSettings.h"
#include "core/storage/HeaderCache.h"
#include "core/session/PurgeSummary.h"

struct JobContext;

// What a scan logs in with: the account as the settings keep it (security
// "0" plain text, "1" STLS, "2" implicit TLS, as CPop3Connection::
// ParseSecurity reads it), with the password filled in.
using Account = AccountSettings;

// One scanned row with its flags, as the owner takes it.
struct ScanRow {
    MessageRow m_row;
    int m_nSuspect = 0;  // ClassifyRow: 1 a filter matched, 2 a sender signal fired; pre-check it
    int m_nRepeat = 0;   // 1: the server numbered two messages alike
    int m_nCached = 0;   // 1: its header came from the header cache; 0: new, fetched by this scan
};

// One grid row as the purge sees it: taken by the UI thread when the purge
// starts, so the purge never reads a widget.
struct PurgeRow {
    int m_nNum;
    bool m_bChecked;
    std::string m_sSubject;        // raw bytes, as the scan read them
    std::string m_sUidl = {};      // the scan's UIDL for the message; empty: none
    bool m_bAvailable = true;      // false: the server refused to show it, so it is never deleted
    std::string m_sIdentity = {};  // MessageRow::m_sIdentity; empty: no message to match, never deleted
    // A checked row: what the journal records should the purge delete it
    // (PurgeRowOf fills it); the engine adds the account and the time.
    // Shared, so a snapshot of many rows stays cheap to copy.
    std::shared_ptr<const JournalEntry> m_pJournal = {};
};

// What the owner keeps of the rows it takes. The scan charges its budget of
// row texts (ScreeningEngine::kMaxScanRowBytes) only for what is kept, so an
// owner that keeps nothing can read as many messages as a listing may hold
// (pop3::kMaxMessages).
enum class RowKeeping {
    kEveryRow,   // every row whole (the window's grid)
    kPurgeRows,  // a PurgeRow of every row, and the whole row of each suspect
    kNone,       // nothing: each row is printed and dropped
};

// What the purge did with one row.
enum class PurgeOutcome {
    kNotChecked,    // left alone
    kMarked,        // DELE accepted; gone once QUIT is accepted
    kRefused,       // DELE refused; the purge goes on
    kChanged,       // the Subject differs: stopped here
    kUnreadable,    // the server refused to show the message again: stopped here
    kIdChanged,     // the UIDL, sender, date or Message-ID differs: another message; stopped here
    kGone,          // on a new session, no message has the row's UIDL: already removed
    kUnidentified,  // on a new session, the row has no UIDL to find it by, or one given twice: left alone
    kUnavailable,   // the scan could not read it, so nobody saw it: left alone
    kBroken,        // replies no longer pair with commands: session dropped, nothing deleted
    kNotKept,       // the copy asked for could not be kept, or was not the message: no DELE; the purge goes on
};

// The end of one purge.
struct PurgeResult {
    bool m_bCommitted = false;  // QUIT accepted: the marked messages are gone
    bool m_bBroken = false;     // dropped without QUIT: nothing was deleted
    bool m_bCancelled = false;  // stopped before QUIT: dropped, nothing was deleted
    // QUIT was sent but its reply never came (late, lost or interrupted):
    // the marked messages may be gone. The journal holds them as pending
    // until the next scan of the account settles them.
    bool m_bUnconfirmed = false;
    // The journal could not record the marked messages before QUIT, so the
    // session was dropped without it: nothing was deleted.
    bool m_bNotRecorded = false;
    // QUIT was accepted but the journal could not be told: its entries stay
    // pending until the next scan settles them.
    bool m_bJournalBehind = false;
    bool m_bReconnected = false;  // the review's session was gone; a new one was opened
    // Nothing was tried: the session was gone and could not be replaced.
    std::string m_sNotStarted;
    std::string m_sReason;             // why the session broke, or the failed QUIT's reply
    std::vector<int> m_aMarked;        // row numbers marked deleted (gone when committed)
    std::vector<int> m_aRefused;       // DELE refused
    std::vector<int> m_aChanged;       // the row stopped on, then every checked row after it
    std::vector<int> m_aGone;          // already removed (new session)
    std::vector<int> m_aLeft;          // unavailable or unidentified: never tried
    std::vector<int> m_aNotKept;       // no copy could be kept: not deleted
    std::vector<int> m_aCopyDiffered;  // of m_aNotKept: the copy the server sent was not the message
    int m_nWithoutId = 0;              // marked on the Subject check alone (no usable UIDL)
    // The last refusal or failure the purge met (a DELE, a copy, RSET or
    // QUIT), for the user's message.
    std::string m_sLastReply;
};

// Copies of the checked messages, kept before their DELE (off unless the
// user asks for it): messages of at most m_nMaxBytes (LIST size) are
// fetched with RETR into the Maildir; a copy that fails means no DELE.
struct QuarantineOptions {
    uint64_t m_nMaxBytes = 0;  // 0: no copies
    std::string m_sFolder;     // the Maildir; empty: QuarantineMaildir's usual place
};

// The end of EndSession: what the server refused, if anything.
struct SessionEnd {
    bool m_bRsetRefused = false;
    bool m_bQuitRefused = false;
    std::string m_sRsetReply, m_sQuitReply;
    bool Accepted() const { return !m_bRsetRefused && !m_bQuitRefused; }
};

// The notifications, each a value that carries everything its owner needs:
// nothing is read back from the engine afterwards.
struct ScanAnswered { };       // the scan's connection phase ended
struct ScanLoggedIn {          // the scan's log-in succeeded (before ScanAnswered)
    std::string m_sMechanism;  // how, as the wire names it ("USER", "SCRAM-SHA-256", ...)
    // The password crossed the connection unencrypted: anyone on the path
    // could read it.
    bool m_bPasswordInClear = false;
};
struct ScanRowsWaiting { };  // rows wait for TakeRows (the queue turned non-empty)
struct ScanDone {            // not sent after a stop
    int m_nResult = 0;       // 0: ran to its end or found no mail; -1: failed
    std::string m_sStatus;   // what the user is told; empty: nothing
};
struct PurgeProgress {  // one per row the purge visited, in order
    int m_nNum = 0;     // the row's number as the user saw it
    PurgeOutcome m_nOutcome = PurgeOutcome::kNotChecked;
    std::string m_sGridSubject = {};    // a checked row read again: its Subject in the grid
    std::string m_sServerSubject = {};  // and what the server has now (or why it could not be read)
    std::string m_sReply = {};          // kRefused, kNotKept: the server's refusal, or why no copy was kept
};
struct PurgeDone {  // the user's words for it: PurgeSummaryText(m_result)
    PurgeResult m_result;
};
struct SessionChecked {  // after KeepAlive
    bool m_bAlive = false;
    bool m_bCanReconnect = false;  // a purge can log in again and find the rows by UIDL
};
// A reply keeps the server silent: whole seconds from
// CPop3Connection::kReportSilenceAfterMs on, once a second; 0 when bytes
// came again or the wait ended. Only the reader can tell, on its own clock,
// so it is pushed like every other note rather than polled.
struct ServerWaiting {
    uint32_t m_nSeconds = 0;
};

// A preview asked for: the row's message as the scan read it.
struct PreviewRequest {
    int m_nNum = 0;
    std::string m_sUidl;  // the scan's UIDL for it; empty: none to check
    int m_nLines = 0;     // body lines to fetch (TOP n L)
    // What the row showed: its raw Subject and MessageIdentity; an empty
    // identity: not compared.
    std::string m_sSubject = {};
    std::string m_sIdentity = {};
};
// A row's preview, or why there is none (m_sProblem, the user's words).
struct PreviewReady {
    PreviewRequest m_request;
    bool m_bShown = false;
    std::string m_sProblem;
    preview::MessagePreview m_preview;
};

// Whether the purge stops at a row with this outcome, and whether the
// outcome is a row that differs from what the user saw.
bool StopsPurge(PurgeOutcome outcome);
bool IsMismatch(PurgeOutcome outcome);

// The engine's owner. Every method is called on a worker thread and must
// only queue its value for the owner's thread (the Qt view:
// QMetaObject::invokeMethod(..., Qt::QueuedConnection)), delivering in the
// order called.
class IScreeningListener {
public:
    virtual ~IScreeningListener() = default;
    virtual void OnScanAnswered(const ScanAnswered& note) = 0;
    virtual void OnScanLoggedIn(const ScanLoggedIn& note) = 0;
    virtual void OnScanRow(const ScanRowsWaiting& note) = 0;
    virtual void OnScanDone(const ScanDone& note) = 0;
    virtual void OnPurgeProgress(const PurgeProgress& note) = 0;
    virtual void OnPurgeDone(const PurgeDone& note) = 0;
    virtual void OnSessionChecked(const SessionChecked& note) = 0;
    virtual void OnSessionEnded(const SessionEnd& note) = 0;
    virtual void OnServerWaiting(const ServerWaiting& note) = 0;
    virtual void OnPreviewReady(const PreviewReady&) { }
};

// Any one notification, for an owner that keeps them in one queue.
using ScreeningNote = std::variant<ScanAnswered, ScanLoggedIn, ScanRowsWaiting, ScanDone, PurgeProgress, PurgeDone,
                                   SessionChecked, SessionEnd, ServerWaiting, PreviewReady>;

// On the owner's thread: hands a queued notification to the owner's
// handler of the listener's name for it (owner.OnScanDone(const ScanDone&),
// and so on).
template <typename Owner> void DeliverNote(const ScreeningNote& note, Owner& owner)
{
    std::visit(
        [&owner](const auto& value) {
            using Note = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Note, ScanAnswered>)
                owner.OnScanAnswered(value);
            else if constexpr (std::is_same_v<Note, ScanLoggedIn>)
                owner.OnScanLoggedIn(value);
            else if constexpr (std::is_same_v<Note, ScanRowsWaiting>)
                owner.OnScanRow(value);
            else if constexpr (std::is_same_v<Note, ScanDone>)
                owner.OnScanDone(value);
            else if constexpr (std::is_same_v<Note, PurgeProgress>)
                owner.OnPurgeProgress(value);
            else if constexpr (std::is_same_v<Note, PurgeDone>)
                owner.OnPurgeDone(value);
            else if constexpr (std::is_same_v<Note, SessionChecked>)
                owner.OnSessionChecked(value);
            else if constexpr (std::is_same_v<Note, ServerWaiting>)
                owner.OnServerWaiting(value);
            else if constexpr (std::is_same_v<Note, PreviewReady>)
                owner.OnPreviewReady(value);
            else {
                static_assert(std::is_same_v<Note, SessionEnd>, "a notification without a handler");
                owner.OnSessionEnded(value);
            }
        },
        note);
}

// A listener that hands every notification to one queue of the owner's.
class NoteQueueListener : public IScreeningListener {
public:
    void OnScanAnswered(const ScanAnswered& note) override { Queue(note); }
    void OnScanLoggedIn(const ScanLoggedIn& note) override { Queue(note); }
    void OnScanRow(const ScanRowsWaiting& note) override { Queue(note); }
    void OnScanDone(const ScanDone& note) override { Queue(note); }
    void OnPurgeProgress(const PurgeProgress& note) override { Queue(note); }
    void OnPurgeDone(const PurgeDone& note) override { Queue(note); }
    void OnSessionChecked(const SessionChecked& note) override { Queue(note); }
    void OnSessionEnded(const SessionEnd& note) override { Queue(note); }
    void OnServerWaiting(const ServerWaiting& note) override { Queue(note); }
    void OnPreviewReady(const PreviewReady& note) override { Queue(note); }

protected:
    // Worker threads: only queue.
    virtual void Queue(ScreeningNote note) = 0;
};

// The screening job without a window: the header scan, and the jobs on the
// session it leaves open (keep-alive, the purge, the end of the session),
// each on a long-lived worker thread sharing one POP3 connection. The
// engine owns the session: its owner never touches the network, so no
// call here waits on a server.
//
// The work itself is done by jobs, each a plain object run on the
// connection with a JobContext (ScanJob, PurgeJob, KeepAliveJob,
// EndSessionJob); the engine keeps the two threads, the row queue, the
// notifications and which session job is asked for or running.
//
// Threads: "UI" is whichever single thread owns the engine (the Qt view's
// thread, or the command-line front end's main thread); ScanThread runs
// scans and PurgeThread the session jobs; they take turns on the
// connection. Each public method says who may call it.
class ScreeningEngine {
public:
    explicit ScreeningEngine(IScreeningListener& listener);
    ~ScreeningEngine();  // quits both threads and joins them
    ScreeningEngine(const ScreeningEngine&) = delete;
    ScreeningEngine& operator=(const ScreeningEngine&) = delete;

    // UI: creates the four events (reset) and starts ScanThread, then PurgeThread.
    void StartThreads();

    // UI: copies the account and the lists (the scan classifies with its own
    // copy), clears m_bAnswered and m_bStop, signals m_hScanRun. A scan
    // still under way is stopped first; ScanThread then starts the new scan
    // as soon as the old one has ended: a new scan is never lost. A session
    // left open by an earlier scan is ended by the new scan's log-in.
    // `keeping` says what of the rows the owner will hold, for the scan's
    // budget of row texts.
    void StartScan(const Account& account, const FilterLists& lists, RowKeeping keeping = RowKeeping::kEveryRow);
    // UI: the scan's connection phase has ended (success or failure).
    bool IsAnswered() const;
    // UI: a scan has been asked for and has not yet ended (stopped or not).
    bool IsScanning() const;
    // UI: m_bStop, empties the row queue, wakes the scan waiting for room
    // in it and any read pending on the scan's session, which ScanThread
    // then closes. Returns at once. No OnScanDone follows; no row of the
    // stopped scan is handed out by TakeRows.
    void Stop();
    // UI, per OnScanRow: replaces rows with every row queued, in message
    // order, and makes room for the scan to queue more. False = no row to
    // take (already taken, or the scan was stopped).
    bool TakeRows(std::vector<ScanRow>& rows);
    // The rows the scan queues for its owner before it waits for a take:
    // a few MiB at most, and far more than one wake-up of a busy owner
    // lets pile up. Tests make it smaller.
    static constexpr size_t kMaxQueuedRows = 4096;
    void SetRowQueueLimit(size_t nRows);
    // The row texts one scan may leave its owner holding: far beyond any
    // honest mailbox (100,000 rows take about 30 MiB), and it keeps a server
    // that sends huge headers for many messages from filling the memory of
    // the window. Past it the scan fails. Tests make it smaller.
    static constexpr uint64_t kMaxScanRowBytes = uint64_t{160} << 20;
    void SetRowBudget(uint64_t nBytes);
    // TOP commands kept outstanding on a server that lists PIPELINING.
    // Measured on a loaded loopback Dovecot: 100 left the server idle
    // whenever the scan lost its CPU for a moment, 1,000 kept pace with a
    // client that sends every command at once. Half a window (about 7 KiB
    // of commands) goes in one write that never waits on the server; the
    // replies in flight stay near 500 KiB for ordinary headers.
    static constexpr int kPipelineWindow = 1000;

    // UI, during the review: NOOP on PurgeThread, so an idle session is not
    // logged out (RFC 1939 §3); OnSessionChecked tells how it went. No
    // effect while another session job runs.
    void KeepAlive();
    // UI: ends the review's session on PurgeThread, RSET first when asked
    // (RFC 1939 §5: nothing stays marked), then QUIT; OnSessionEnded
    // follows. Without a session it follows at once.
    void EndSession(bool bReset);
    // UI: whether a purge could log in again and find the rows of the last
    // scan by their UIDL, should the session be gone (or ended by
    // EndSession without RSET).
    bool CanReconnect() const;
    // UI, during the review: the start of one message (PreviewJob) on
    // PurgeThread; OnPreviewReady follows. It replaces a preview asked for
    // and not yet started. A purge or a session's end comes first: none is
    // delayed by a preview waiting, which they drop; one under way finishes
    // its one reply (bounded by kMaxPreviewBytes and the reply's deadline).
    // No effect while a purge or a session's end is asked for or running.
    void Preview(PreviewRequest request);

    // UI: the copies later purges keep before each DELE.
    void SetQuarantine(QuarantineOptions options);
    // UI: where later log-ins with an OAuth method get their access token
    // (called on the worker that logs in); the account's Authentication
    // says which method every log-in uses.
    void SetTokenSource(pop3::TokenSource tokens);
    // UI: the silence the server may keep within a reply, for every later
    // job (CPop3Connection::Timing::ForSilence). Until the first call the
    // connection keeps its own timing (tests set theirs on Connection()).
    void SetServerWait(std::chrono::milliseconds wait);
    // UI: what the scans asked for from now on do with the account's header
    // cache (off until set; HeaderCache). StartScan takes it.
    void SetHeaderCache(HeaderCacheUse use);
    // UI: the journal's folder for later purges and scans (tests); by
    // default the usual place (DeletionJournal()). The purge writes its
    // marked rows there before QUIT, as pending, and as deleted once QUIT
    // is accepted; a scan settles the account's pending entries by UIDL.
    void SetJournalFolder(std::string folder);
    // UI: whether the account owns the journal's lines of earlier versions
    // ("user@server", without the port): AccountKey::m_bOwnsLegacy. Only
    // then does a scan settle such pending lines. Owned until set.
    void SetOwnsLegacyJournal(bool bOwns);

    // UI: hands the purge its snapshot of the grid and signals m_hPurgeRun.
    void StartPurge(std::vector<PurgeRow> rows);
    // UI (any thread): stops the running purge at once: a wait for the
    // server (the reconnect's log-in and listings, the re-reads, the DELEs)
    // is woken, and before QUIT the session is dropped without it, so
    // nothing at all is deleted (RFC 1939 §6). A QUIT already sent is not
    // waited for; its messages are then journaled as possibly deleted.
    void CancelPurge();

    // UI: signals m_hScanQuit and m_hPurgeQuit; a running scan or session
    // job is stopped so shutdown never waits on the network. A running
    // purge is cancelled as CancelPurge says.
    void SignalQuit();
    bool ScanEnded() const;
    bool PurgeEnded() const;
    // UI: waits until both threads have ended, one shared budget.
    bool WaitEnded(std::chrono::milliseconds budget);

    // For tests that drive a session by hand; the owner never uses it.
    CPop3Connection& Connection();

    // UI: the messages of the last scan: the STAT count until the scan
    // ends, then the number of rows it delivered.
    int MsgCount() const;

private:
    // The session job asked for (m_nJob) or running (m_nRunningJob) on
    // PurgeThread.
    enum class Job { kNone, kPurge, kKeepAlive, kEndSession, kEndSessionReset, kPreview };

    static void ScanThread(ScreeningEngine* pEngine);
    static void PurgeThread(ScreeningEngine* pEngine);

    // ScanThread, holding the session: a ScanJob, then the end of its
    // session unless it left rows to review.
    int RunScan(std::string& status);
    void FillScanContext(JobContext& ctx);
    // The scan's row sink (ScanThread): room for one more row (false:
    // stopped), a row queued, the owner told.
    bool WaitForRoom();
    void QueueRow(ScanRow row);
    void WakeOwner();
    void SetAnswered();
    bool Stopped() const;

    // PurgeThread, holding the session: the job asked for.
    void RunJob(Job job);
    void RunPurge(JobContext& ctx);
    void RunEndSession(const JobContext& ctx, bool bReset);
    void RunPreview(JobContext& ctx);
    bool PurgeCancelled() const;
    // Clears the connection's Abort unless `bStop` (the scan's stop or the
    // purge's cancel) is set, under m_mutex, which orders it with the stop's
    // Abort. False: stopped.
    bool ClearAbortUnless(const std::atomic<bool>& bStop);

    // m_mutex held: the one place the session job state changes.
    void SetJobState(Job pending, Job running);
    // m_mutex held: a session job is asked for or running; a purge is.
    bool SessionJobBusy() const;
    bool PurgeAskedOrRunning() const;
    void StopScanLocked();  // m_mutex held

    IScreeningListener& m_listener;
    CPop3Connection m_connection;
    // Held by whichever worker uses the session: a scan, or a session job.
    std::mutex m_sessionMutex;

    platform::ManualResetEvent m_hScanQuit, m_hScanRun;
    platform::ManualResetEvent m_hPurgeQuit, m_hPurgeRun;
    std::thread m_scanThread, m_purgeThread;
    std::atomic<bool> m_bScanEnded{false};
    std::atomic<bool> m_bPurgeEnded{false};

    // One lock for the job hand-offs and the row queue; m_changed wakes every
    // wait on them. OnScanDone, OnScanAnswered and OnScanLoggedIn are called
    // under it, so none comes once Stop has returned.
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;

    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bAnswered{false};
    std::atomic<bool> m_bScanBusy{false};  // a scan is asked for or running
    std::atomic<bool> m_bQuitting{false};
    std::atomic<bool> m_bPurgeCancel{false};
    std::atomic<bool> m_bCanReconnect{false};
    std::atomic<int> m_nMsgCount{0};
    bool m_bScanPending = false;  // a scan to start once the stopped one ended (m_mutex)
    // The session job state: changed by SetJobState only (m_mutex).
    Job m_nJob = Job::kNone;         // asked for, not yet taken by PurgeThread
    Job m_nRunningJob = Job::kNone;  // taken by PurgeThread, until it looks for the next
    // Scans asked for so far, and how many there were when the session end
    // waiting in m_nJob was asked for: one asked for before a newer scan
    // must not end that scan's session (m_mutex).
    uint64_t m_nScanGeneration = 0;
    uint64_t m_nJobGeneration = 0;

    // The scan's inputs, copied by StartScan (m_mutex).
    Account m_account;
    FilterLists m_lists;
    RowKeeping m_nKeeping = RowKeeping::kEveryRow;
    uint64_t m_nRowBudget = kMaxScanRowBytes;
    HeaderCacheUse m_nScanHeaderCache = HeaderCacheUse::kOff;  // SetHeaderCache's when the scan was asked for
    // The account the review's session was opened with, for a purge that
    // must log in again (m_mutex).
    Account m_sessionAccount;
    // The rows queued for the owner, oldest first, and their bound (m_mutex).
    std::vector<ScanRow> m_aRowQueue;
    size_t m_nRowLimit = kMaxQueuedRows;
    // The queue turned non-empty since the owner was told, and the rows
    // queued since (ScanThread only).
    bool m_bWakeDue = false;
    int m_nUntold = 0;
    // The purge's snapshot (m_mutex).
    std::vector<PurgeRow> m_aPurgeRows;
    PreviewRequest m_previewRequest;                  // Preview's, for the next preview job (m_mutex)
    QuarantineOptions m_quarantine;                   // (m_mutex)
    std::optional<CPop3Connection::Timing> m_timing;  // SetServerWait's, for the next job (m_mutex)
    pop3::TokenSource m_fnTokens;                     // SetTokenSource's, for the next job (m_mutex)
    std::string m_sJournalFolder;                     // empty: the usual place (m_mutex)
    bool m_bOwnsLegacyJournal = true;                 // SetOwnsLegacyJournal's (m_mutex)
    // SetHeaderCache's, for the scans asked for next (m_mutex).
    HeaderCacheUse m_nHeaderCache = HeaderCacheUse::kOff;
};
