#include "ScreeningEngine.h"

#include <cerrno>
#include <cctype>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/filters/Classify.h"
#include "core/platform/Ascii.h"
#include "core/platform/Cp1252.h"
#include "core/platform/LastError.h"
#include "core/platform/Secrets.h"
#include "core/platform/Trace.h"
#include "core/storage/DumpFile.h"
#include "core/storage/PurgeLock.h"
#include "core/storage/QuarantineMaildir.h"
#include "core/rows/ReadableRow.h"
#include "core/rows/RowBuilder.h"

namespace {

// The port text as the account holds it: leading blanks, an optional sign,
// then decimal digits up to the first non-digit; no digits read as 0. A value
// that is not a usable TCP port (0, negative, above 65535) gives 0.
int ParsePort(const std::string& text)
{
    const std::optional<int64_t> value = platform::LeadingDecimal(text);
    return value && *value > 0 && *value <= 65535 ? static_cast<int>(*value) : 0;
}

// The bytes a row's texts take, for the scan's budget.
uint64_t RowBytes(const MessageRow& row)
{
    size_t bytes = sizeof(MessageRow);
    for (const std::string* text : row.Texts())
        bytes += text->size();
    return bytes;
}

// The bytes of a row its owner keeps, for the scan's budget.
uint64_t KeptBytes(const ScanRow& row, RowKeeping keeping)
{
    switch (keeping) {
    case RowKeeping::kEveryRow:
        return RowBytes(row.m_row);
    case RowKeeping::kPurgeRows: {
        const uint64_t share = sizeof(PurgeRow) + row.m_row.m_sSubject.size() + row.m_row.m_sUidl.size();
        return row.m_nSuspect ? share + RowBytes(row.m_row) : share;
    }
    case RowKeeping::kNone:
        break;
    }
    return 0;
}

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

// What the user is told, after a session broke, about what the server did.
constexpr const char* kDroppedNote = " The session was closed without QUIT, so nothing was deleted.";

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

bool IsMismatch(PurgeOutcome outcome)
{
    return outcome == PurgeOutcome::kChanged || outcome == PurgeOutcome::kUnreadable
           || outcome == PurgeOutcome::kIdChanged;
}

bool StopsPurge(PurgeOutcome outcome)
{
    return IsMismatch(outcome) || outcome == PurgeOutcome::kBroken;
}

std::string PurgeSummaryText(const PurgeResult& result)
{
    if (!result.m_sNotStarted.empty())
        return result.m_sNotStarted;
    if (result.m_bBroken)
        return "Nothing was deleted: " + result.m_sReason + kDroppedNote;
    if (result.m_bNotRecorded)
        return "Nothing was deleted: " + result.m_sReason + ", so the session was closed without QUIT.";
    if (result.m_bCancelled)
        return "Cancelled: nothing was deleted.";
    if (result.m_bUnconfirmed)
        return "The server did not confirm the deletions (QUIT): the " + std::to_string(result.m_aMarked.size())
               + " messages marked may or may not have been deleted. Recently Deleted lists them as possibly "
                 "deleted until the next scan of the account settles it.";
    if (!result.m_bCommitted && !result.m_aMarked.empty())
        return "The server did not confirm the deletions: the checked messages may still be on the server.";
    const size_t nDeleted = result.m_bCommitted ? result.m_aMarked.size() : 0;
    std::string text = std::to_string(nDeleted) + " deleted, " + std::to_string(result.m_aRefused.size())
                       + " refused by the server, " + std::to_string(result.m_aChanged.size())
                       + " not deleted (changed on the server)";
    if (!result.m_aGone.empty())
        text += ", " + std::to_string(result.m_aGone.size()) + " already removed";
    if (!result.m_aLeft.empty())
        text += ", " + std::to_string(result.m_aLeft.size()) + " not deleted (could not be read or found)";
    const size_t nDiffered = result.m_aCopyDiffered.size();
    if (result.m_aNotKept.size() > nDiffered)
        text += ", " + std::to_string(result.m_aNotKept.size() - nDiffered) + " not deleted (no copy could be kept)";
    if (nDiffered > 0)
        text += ", " + std::to_string(nDiffered) + " not deleted (the copy did not match)";
    if (result.m_nWithoutId > 0)
        text += "; " + std::to_string(result.m_nWithoutId)
                + " checked by Subject only (the server gave no usable id)";
    return text;
}

ScreeningEngine::ScreeningEngine(IScreeningListener& listener)
    : m_listener(listener)
{
    // Stop and CancelPurge clear their Abort themselves, under m_mutex.
    m_connection.KeepAbortOnLogin(true);
    // The worker reading a reply tells the owner how long the server has
    // been silent in it.
    m_connection.SetWaitObserver([this](uint32_t nSeconds) { m_listener.OnServerWaiting(ServerWaiting{nSeconds}); });
}

// UI thread.
ScreeningEngine::~ScreeningEngine()
{
    SignalQuit();
    if (m_scanThread.joinable())
        m_scanThread.join();
    if (m_purgeThread.joinable())
        m_purgeThread.join();
}

// UI thread.
void ScreeningEngine::StartThreads()
{
    if (m_scanThread.joinable() || m_purgeThread.joinable())
        return;
    m_hScanQuit.Reset();
    m_hScanRun.Reset();
    m_hPurgeQuit.Reset();
    m_hPurgeRun.Reset();
    m_scanThread = std::thread(&ScreeningEngine::ScanThread, this);
    m_purgeThread = std::thread(&ScreeningEngine::PurgeThread, this);
}

// ScanThread: waits without limit on its pair (quit first, so quit wins),
// runs one scan per run signal. The run event stays set while the scan runs
// and is reset after it, so a signal given meanwhile has no effect;
// StartScan keeps a new scan from being lost that way.
void ScreeningEngine::ScanThread(ScreeningEngine* pEngine)
{
    ScreeningEngine& e = *pEngine;
    for (;;) {
        if (platform::WaitForPair(e.m_hScanQuit, e.m_hScanRun) == 0)
            break;
        {
            std::lock_guard lock(e.m_mutex);
            if (e.m_bQuitting.load(std::memory_order_acquire))
                e.m_bStop.store(true, std::memory_order_release);
        }
        int result = 0;
        {
            std::lock_guard session(e.m_sessionMutex);
            result = e.ScanHeaders();
            // From here on the count shown is that of the rows delivered, not
            // what STAT claimed.
            if (e.m_nLastNum > 0 || result != 0)
                e.m_nMsgCount.store(e.m_nLastNum, std::memory_order_release);
            // A stopped or failed scan, or one with nothing to review, ends
            // its session here: the maildrop stays locked by the server while
            // it is open (RFC 1939 §8). Nothing is marked, so QUIT deletes
            // nothing; a broken or stopped session is only closed.
            const bool bStopped = e.m_bStop.load(std::memory_order_acquire);
            if (bStopped || result != 0 || e.m_nLastNum == 0) {
                if (bStopped || e.m_connection.IsBroken())
                    e.m_connection.Drop();
                else if (e.m_connection.IsConnected())
                    e.m_connection.Quit();
            }
        }
        e.m_hScanRun.Reset();
        {
            std::lock_guard lock(e.m_mutex);
            // Told under the lock Stop takes: once Stop has returned, no
            // OnScanDone of the stopped scan can reach the owner.
            if (!e.m_bStop.load(std::memory_order_acquire))
                e.m_listener.OnScanDone(ScanDone{result, e.m_sScanStatus});
            if (e.m_bScanPending && !e.m_bQuitting.load(std::memory_order_acquire)) {
                // StartScan stopped this scan to start another: start it now.
                e.m_bScanPending = false;
                e.m_bStop.store(false, std::memory_order_release);
                e.m_bAnswered.store(false, std::memory_order_release);
                e.m_aRowQueue.clear();
                e.m_hScanRun.Set();
            } else {
                e.m_bScanBusy.store(false, std::memory_order_release);
            }
        }
        e.m_changed.notify_all();
    }
    {
        std::lock_guard lock(e.m_mutex);
        e.m_bScanEnded.store(true, std::memory_order_release);
    }
    e.m_changed.notify_all();
}

// PurgeThread: the same loop around the session jobs; OnPurgeDone after
// every purge.
void ScreeningEngine::PurgeThread(ScreeningEngine* pEngine)
{
    ScreeningEngine& e = *pEngine;
    for (;;) {
        if (platform::WaitForPair(e.m_hPurgeQuit, e.m_hPurgeRun) == 0)
            break;
        for (;;) {
            Job job = Job::kNone;
            {
                std::lock_guard lock(e.m_mutex);
                job = std::exchange(e.m_nJob, Job::kNone);
                e.m_nRunningJob = job;
                if (job == Job::kNone) {
                    e.m_hPurgeRun.Reset();
                    e.m_bPurgeBusy.store(false, std::memory_order_release);
                }
            }
            if (job == Job::kNone)
                break;
            e.RunJob(job);
        }
        e.m_changed.notify_all();
    }
    {
        std::lock_guard lock(e.m_mutex);
        e.m_bPurgeEnded.store(true, std::memory_order_release);
    }
    e.m_changed.notify_all();
}

// PurgeThread.
void ScreeningEngine::RunJob(Job job)
{
    std::lock_guard session(m_sessionMutex);
    ApplyTiming();
    switch (job) {
    case Job::kPurge: {
        PurgeResult result = PurgeChecked();
        std::string summary = PurgeSummaryText(result);
        m_listener.OnPurgeDone(PurgeDone{std::move(result), std::move(summary)});
        break;
    }
    case Job::kKeepAlive:
        CheckSession();
        break;
    case Job::kEndSession:
    case Job::kEndSessionReset: {
        // A scan asked for after this end has its own session by now (its
        // log-in ended the old one): that session is not this job's to end.
        bool bStale = false;
        {
            std::lock_guard lock(m_mutex);
            bStale = m_nJobGeneration != m_nScanGeneration;
        }
        if (bStale)
            m_listener.OnSessionEnded(SessionEnd{});
        else
            EndSessionJob(job == Job::kEndSessionReset);
        break;
    }
    case Job::kNone:
        break;
    }
}

// ScanThread: the scan failed; m_sScanStatus says why.
int ScreeningEngine::ScanFailed(const std::string& status)
{
    m_sScanStatus = status;
    return -1;
}

// ScanThread: the scan ends in its connection phase (stopped, failed or
// no mail), with this result.
int ScreeningEngine::EndInConnectionPhase(int result)
{
    SetAnswered();
    return result;
}

// ScanThread: a failure in the connection phase, which it ends.
int ScreeningEngine::FailInConnectionPhase(const std::string& status)
{
    SetAnswered();
    return ScanFailed(status);
}

bool ScreeningEngine::Stopped() const
{
    return m_bStop.load(std::memory_order_acquire);
}

// ScanThread or PurgeThread: the user's words for a session that broke, or
// the fallback when it did not.
std::string ScreeningEngine::SessionStatus(const std::string& fallback) const
{
    if (m_connection.IsBroken())
        return m_connection.BreakReason() + kDroppedNote;
    return fallback;
}

// What one scan keeps from message to message (ScanThread).
struct ScreeningEngine::ScanWalk {
    explicit ScanWalk(const FilterLists& lists) : m_lists(lists) {}
    const FilterLists& m_lists;
    RowKeeping m_nKeeping = RowKeeping::kEveryRow;
    uint64_t m_nRowBudget = kMaxScanRowBytes;
    CDumpFile m_dump;
    int m_nCount = 0;              // the messages STAT announced
    bool m_bHaveUidl = false;
    int m_nWindow = 1;             // TOP commands kept outstanding
    int m_nQueued = 0;             // the last message whose TOP is sent
    uint64_t m_nRowBytes = 0;      // what the owner keeps, for m_nRowBudget
    bool m_bWakeDue = false;       // the queue turned non-empty since the owner was told
    int m_nUntold = 0;             // rows queued since the owner was told
    CPop3Message m_message;        // the reply being read, reused
};

// ScanThread. Returns 0 when the scan ran to its end, was stopped or found no
// mail, -1 when it failed; m_sScanStatus says why for the user. m_nLastNum is
// the number of the last row delivered (0: none).
int ScreeningEngine::ScanHeaders()
{
    Account account;
    FilterLists lists;
    RowKeeping keeping = RowKeeping::kEveryRow;
    uint64_t budget = kMaxScanRowBytes;
    {
        // The scan's own copy of the lists: the filter manager may replace
        // the owner's lists at any time without racing the classification.
        std::lock_guard lock(m_mutex);
        account = m_account;
        lists = m_lists;
        keeping = m_nKeeping;
        budget = m_nRowBudget;
    }
    ApplyTiming();
    m_nMsgCount.store(0, std::memory_order_release);
    m_sScanStatus.clear();
    m_nLastNum = 0;
    m_bCanReconnect.store(false, std::memory_order_release);

    const std::optional<int> loggedOut = LogIn(account);
    // The scan's copy of the password is not needed past the log-in.
    platform::SecureWipe(account.m_sPass);
    if (loggedOut)
        return *loggedOut;
    ScanWalk walk{lists};
    walk.m_nKeeping = keeping;
    walk.m_nRowBudget = budget;
    if (const std::optional<int> ended = ReadListing(walk))
        return *ended;
    if (walk.m_bHaveUidl)
        SettleJournal(walk.m_nCount);
    if (!walk.m_dump.Open())
        return FailInConnectionPhase(walk.m_dump.FailureStatus());
    SetAnswered();

    // With PIPELINING the TOP commands run up to a window ahead of the
    // replies, which are read strictly in order; without, one at a time.
    walk.m_nWindow = m_connection.CanPipeline() ? kPipelineWindow : 1;
    int result = 0;
    for (int n = 1; n <= walk.m_nCount && result == 0 && !Stopped(); ++n) {
        if (!WaitForRoom(walk))
            break;
        result = ReadNextRow(walk, n);
    }
    if (!Stopped())
        WakeOwner(walk);
    return FinishScan(walk, result);
}

// ScanThread: the connection phase up to the session. Empty once logged in;
// else the scan's result.
std::optional<int> ScreeningEngine::LogIn(const Account& account)
{
    if (Stopped())
        return EndInConnectionPhase(0);
    // A security setting we do not know must not be taken for plain text.
    CPop3Connection::Security security = CPop3Connection::Security::kNone;
    if (!CPop3Connection::ParseSecurity(account.m_sSecurity, security))
        return FailInConnectionPhase("Unknown connection security setting \"" + account.m_sSecurity
                        + "\": choose one under Manage Account.");
    m_connection.SetSecurity(security, account.m_sTlsFingerprint);
    {
        // A stop after this is seen by the log-in; one before it, here.
        std::lock_guard lock(m_mutex);
        if (Stopped())
            return EndInConnectionPhase(0);
        m_connection.ClearAbort();
    }
    const int port = ParsePort(account.m_sPort);
    if (port == 0 || !m_connection.Login(account.m_sServer, account.m_sUser, account.m_sPass, port)) {
        if (Stopped())
            return EndInConnectionPhase(0);
        // A host that cannot be reached keeps its old summary; every other
        // failure names its cause.
        const std::string reason = port == 0 ? std::string() : m_connection.GetFailureReason();
        return FailInConnectionPhase(reason.empty() ? std::string("Server Not Found") : reason);
    }
    {
        // Which account the session is of, without its password.
        std::lock_guard lock(m_mutex);
        m_sessionAccount = account;
        platform::SecureWipe(m_sessionAccount.m_sPass);
    }
    // Stopped while logging in: the thread loop ends the session; the dump
    // of the last scan is left as it is.
    if (Stopped())
        return EndInConnectionPhase(0);
    return std::nullopt;
}

// ScanThread: STAT, LIST and UIDL into the walk. Empty when there are rows
// to read; else the scan's result.
std::optional<int> ScreeningEngine::ReadListing(ScanWalk& walk)
{
    int count = 0, total = 0;
    if (!m_connection.Stat(count, total) || count < 0) {
        if (platform::GetLastError() == EOVERFLOW)
            return FailInConnectionPhase("The server reports more than " + std::to_string(pop3::kMaxMessages)
                            + " messages, more than one scan can show: nothing was read.");
        return FailInConnectionPhase(SessionStatus("Server Refused STAT Response"));
    }
    m_nMsgCount.store(count, std::memory_order_release);
    walk.m_nCount = count;
    if (count == 0) {
        m_sScanStatus = "No emails waiting for you at the Server";
        return EndInConnectionPhase(0);
    }
    if (!m_connection.List()) {
        if (m_connection.ListingProblem() != pop3::ReplyError::kNone)
            return FailInConnectionPhase(std::string("The server's message list (LIST) cannot be used: ")
                            + pop3::ReplyErrorText(m_connection.ListingProblem()));
        return FailInConnectionPhase(SessionStatus("The server refused to list its messages (LIST): "
                                      + m_connection.GetLastReply()));
    }
    // UIDL is optional (RFC 1939 §7): without it the rows have no lasting
    // ids, and a purge can only ever use this session.
    if (!m_connection.Uidl() && m_connection.IsBroken())
        return FailInConnectionPhase(SessionStatus(""));
    if (m_connection.ListingProblem() != pop3::ReplyError::kNone)
        return FailInConnectionPhase(std::string("The server's list of message ids (UIDL) cannot be used: ")
                        + pop3::ReplyErrorText(m_connection.ListingProblem()));
    walk.m_bHaveUidl = m_connection.HasUidlListing();
    // A LIST shorter than the STAT count leaves a number without a size: the
    // server contradicts itself, so the scan fails rather than show a row
    // with a made-up size.
    uint64_t size = 0;
    if (!m_connection.GetSize(1, size))
        return FailInConnectionPhase(pop3::kListMismatchStatus);
    return std::nullopt;
}

// ScanThread: a full queue waits for the owner to take it (or stop the
// scan). False: stopped.
bool ScreeningEngine::WaitForRoom(ScanWalk& walk)
{
    std::unique_lock lock(m_mutex);
    if (m_aRowQueue.size() >= m_nRowLimit && walk.m_bWakeDue) {
        lock.unlock();
        WakeOwner(walk);
        lock.lock();
    }
    m_changed.wait(lock, [this] { return m_aRowQueue.size() < m_nRowLimit || Stopped(); });
    return !Stopped();
}

// ScanThread: the owner is told once the queue has turned non-empty.
void ScreeningEngine::WakeOwner(ScanWalk& walk)
{
    if (walk.m_bWakeDue)
        m_listener.OnScanRow(ScanRowsWaiting{});
    walk.m_bWakeDue = false;
    walk.m_nUntold = 0;
}

// ScanThread: message n read, dumped, classified and queued for the owner.
// 0: go on (or stopped); -1: the scan failed.
int ScreeningEngine::ReadNextRow(ScanWalk& walk, int n)
{
    std::string uidl;
    if (walk.m_bHaveUidl)
        m_connection.GetUidl(n, uidl);  // none usable: the row is checked by Subject alone
    uint64_t size = 0;
    if (!m_connection.GetSize(n, size))
        return ScanFailed(pop3::kListMismatchStatus);
    // Tops the window up once half of it has been read: one write per half
    // window. A number the listing lacks ends the batch; the scan fails on
    // it when it gets there.
    if (walk.m_nQueued < n || (walk.m_nQueued - n < walk.m_nWindow / 2 && walk.m_nQueued < walk.m_nCount)) {
        for (int k = walk.m_nQueued + 1; k <= walk.m_nCount && k < n + walk.m_nWindow && m_connection.QueueTop(k);
             ++k)
            walk.m_nQueued = k;
        if (!m_connection.SendQueued())
            return ScanFailed(SessionStatus("The connection was lost."));
    }
    const bool bRead = m_connection.ReadTop(n, walk.m_message);
    // A stop wakes the read above; its empty result must not reach the
    // dump as if it were this message's header.
    if (Stopped())
        return 0;
    if (!bRead && m_connection.IsBroken())
        return ScanFailed(SessionStatus(""));

    ScanRow queued{bRead ? ReadRow(walk, n, size) : UnavailableRow(walk, n, size)};
    queued.m_row.m_sUidl = std::move(uidl);
    if (bRead)
        queued.m_nSuspect = ClassifyRow(walk.m_lists, queued.m_row);
    if (walk.m_dump.Failed())
        return ScanFailed(walk.m_dump.FailureStatus());
    walk.m_nRowBytes += KeptBytes(queued, walk.m_nKeeping);
    if (walk.m_nRowBytes > walk.m_nRowBudget)
        return ScanFailed("The server's headers are larger than one scan can hold ("
                          + std::to_string(walk.m_nRowBudget >> 20) + " MiB); the scan stopped at message "
                          + std::to_string(n) + ".");
    if (m_nLastNum == n)
        queued.m_nRepeat = 1;
    else
        m_nLastNum = n;
    QueueRow(walk, std::move(queued));
    return 0;
}

// ScanThread: the row of a message whose header the server showed.
MessageRow ScreeningEngine::ReadRow(ScanWalk& walk, int n, uint64_t size)
{
    walk.m_dump.WriteRecord(n, size, walk.m_message.Text());
    MessageRow row = BuildMessageRow(n, size, walk.m_message);
    row.m_sIdentity = MessageIdentity(walk.m_message);
    AddReadableTexts(row);
    row.m_nHeaderAt = static_cast<long long>(walk.m_dump.LastTextOffset());
    row.m_nHeaderLength = walk.m_message.Text().size();
    return row;
}

// ScanThread: the server would not show this message: its row carries no
// text of any other message, is never checked and never deleted.
MessageRow ScreeningEngine::UnavailableRow(ScanWalk& walk, int n, uint64_t size)
{
    const std::string mark = "(message unavailable: " + m_connection.GetLastReply() + ")";
    walk.m_dump.WriteRecord(n, size, mark + "\r\n");
    MessageRow row = BuildMessageRow(n, size, CPop3Message());
    row.m_sSubject = mark;
    row.m_bUnavailable = true;
    return row;
}

// ScanThread: the owner takes all of the queue per wake-up, told as soon
// as the next reply must be waited for on the network, or after
// kWakeEvery rows at the latest: a fast server's replies arrive many to a
// receive, and one wake-up per row would cost both threads a switch per
// row. Told outside the lock, so TakeRows never waits for the call
// itself; a call that lands after a Stop finds nothing to take.
void ScreeningEngine::QueueRow(ScanWalk& walk, ScanRow row)
{
    constexpr int kWakeEvery = 64;
    {
        std::lock_guard lock(m_mutex);
        if (Stopped())
            return;
        walk.m_bWakeDue = walk.m_bWakeDue || m_aRowQueue.empty();
        m_aRowQueue.push_back(std::move(row));
    }
    ++walk.m_nUntold;
    if (walk.m_bWakeDue && (walk.m_nUntold >= kWakeEvery || !m_connection.HasUnreadInput()))
        WakeOwner(walk);
}

// ScanThread: the checks after the last row, and the dump put in place.
int ScreeningEngine::FinishScan(ScanWalk& walk, int result)
{
    // A reply that came late, or twice, sits ahead of later replies: the
    // rows after it would show the wrong messages. LIST n names its number,
    // so it proves the replies still pair with the commands.
    uint64_t lastSize = 0;
    if (result == 0 && m_nLastNum > 0 && !Stopped() && !m_connection.ListOne(m_nLastNum, lastSize))
        result = ScanFailed(SessionStatus("The server refused LIST " + std::to_string(m_nLastNum) + ": "
                                          + m_connection.GetLastReply()));
    if (result == 0)
        m_bCanReconnect.store(walk.m_bHaveUidl, std::memory_order_release);

    // The dump replaces the last one once the scan has ended or stopped; a
    // dump that cannot be completed is a failed scan.
    if (!walk.m_dump.Commit() && result == 0)
        result = ScanFailed(walk.m_dump.FailureStatus());
    else if (result == 0 && walk.m_dump.WasCut())
        m_sScanStatus = walk.m_dump.CutStatus();
    return result;
}

// PurgeThread: the review's session was gone. With every row's UIDL from
// the scan, a new session finds the messages again whatever their numbers
// now; the rows' numbers are replaced by the new ones (0: gone). False when
// no new session could be had, with m_sNotStarted saying why.
bool ScreeningEngine::ReconnectForPurge(std::vector<PurgeRow>& rows, PurgeResult& result)
{
    m_connection.Drop();
    if (!m_bCanReconnect.load(std::memory_order_acquire)) {
        result.m_sNotStarted = "The server ended the session, and it gives its messages no lasting ids (UIDL), "
                               "so the rows cannot be matched to messages again: nothing was deleted. Scan again.";
        return false;
    }
    // The owner's current account, which must still be the one the rows
    // came from: ids mean nothing on another mailbox.
    Account account;
    bool bSameAccount = false;
    {
        std::lock_guard lock(m_mutex);
        account = m_account;
        bSameAccount = account.m_sServer == m_sessionAccount.m_sServer && account.m_sUser == m_sessionAccount.m_sUser
                       && account.m_sPort == m_sessionAccount.m_sPort;
    }
    if (!bSameAccount) {
        platform::SecureWipe(account.m_sPass);
        result.m_sNotStarted = "The server ended the session, and the account has changed since the scan: "
                               "nothing was deleted. Scan again.";
        return false;
    }
    {
        // A cancel after this wakes the log-in; one before it ends here.
        std::lock_guard lock(m_mutex);
        if (PurgeCancelled()) {
            platform::SecureWipe(account.m_sPass);
            result.m_bCancelled = true;
            return false;
        }
        m_connection.ClearAbort();
    }
    const int port = ParsePort(account.m_sPort);
    const bool bLoggedIn =
        port != 0 && m_connection.Login(account.m_sServer, account.m_sUser, account.m_sPass, port);
    platform::SecureWipe(account.m_sPass);
    if (!bLoggedIn && PurgeCancelled()) {
        result.m_bCancelled = true;
        return false;
    }
    if (!bLoggedIn) {
        const std::string reason = m_connection.GetFailureReason();
        result.m_sNotStarted = "The server ended the session and a new log-in failed ("
                               + (reason.empty() ? std::string("Server Not Found") : reason)
                               + "): nothing was deleted.";
        return false;
    }
    int count = 0, total = 0;
    if (!m_connection.Stat(count, total) || !m_connection.Uidl()) {
        if (PurgeCancelled()) {
            result.m_bCancelled = true;
            m_connection.Drop();
            return false;
        }
        result.m_sNotStarted = SessionStatus("The server's list of message ids could not be read again ("
                                             + m_connection.GetLastReply() + "): nothing was deleted.");
        m_connection.Drop();
        return false;
    }
    result.m_bReconnected = true;
    std::unordered_map<std::string, int> numbers;
    std::string uidl;
    for (int n = 1; n <= count; ++n)
        if (m_connection.GetUidl(n, uidl))
            numbers.emplace(uidl, n);
    for (PurgeRow& row : rows) {
        // An id the server now gives two messages names neither: the row is
        // left alone as one without an id, never taken for removed.
        if (m_connection.IsUidlAmbiguous(row.m_sUidl))
            row.m_sUidl.clear();
        if (row.m_sUidl.empty())
            continue;
        const auto found = numbers.find(row.m_sUidl);
        row.m_nNum = found == numbers.end() ? 0 : found->second;
    }
    return true;
}

// PurgeThread. Walks the snapshot in message-number order: per checked row
// TOP n 0, the Subject compared byte for byte with the one the user saw, the
// UIDL compared with the scan's, then DELE n; the first difference stops the
// walk. One OnPurgeProgress per row visited. On a server that lists
// PIPELINING, WalkPipelined does the same with its commands sent ahead, and
// the walk goes on one row at a time from where it stopped. QUIT at the end:
// it is what makes the server remove the messages marked as deleted (RFC
// 1939 §6). A session that breaks is dropped instead, so nothing at all is
// deleted.
PurgeResult ScreeningEngine::PurgeChecked()
{
    std::vector<PurgeRow> rows;
    {
        std::lock_guard lock(m_mutex);
        rows.swap(m_aPurgeRows);
    }
    PurgeResult result;
    // Row numbers as the user saw them, for what the purge reports.
    std::vector<int> shown;
    shown.reserve(rows.size());
    for (const PurgeRow& row : rows)
        shown.push_back(row.m_nNum);

    const bool bAnyChecked =
        std::any_of(rows.begin(), rows.end(), [](const PurgeRow& row) { return row.m_bChecked && row.m_bAvailable; });
    if (PurgeCancelled()) {
        result.m_bCancelled = true;
        m_connection.Drop();
        return result;
    }
    // One purge of the account at a time, held until the journal has its
    // last word.
    std::string account;
    DeletionJournal journal = SessionJournal(&account);
    PurgeLock lock(journal.Folder(), account);
    if (bAnyChecked && !lock.Acquire(PurgeLock::kWait, [this] { return PurgeCancelled(); })) {
        if (PurgeCancelled())
            result.m_bCancelled = true;
        else if (lock.Busy())
            result.m_sNotStarted = "Another purge of this account is running: nothing was deleted. "
                                   "Scan again once it has ended.";
        else
            result.m_sNotStarted = "The deletions could not be recorded in " + journal.FilePath()
                                   + ": nothing was deleted.";
        m_connection.Drop();
        return result;
    }
    // The review's session may have been logged out or lost meanwhile.
    const bool bSession = m_connection.IsIdleAndOpen();
    if (!bSession && bAnyChecked && !ReconnectForPurge(rows, result)) {
        m_connection.Drop();
        return result;
    }

    bool bContinue = true;
    size_t r = 0;
    if (m_connection.CanPipeline())
        r = WalkPipelined(rows, shown, r, result, bContinue);
    for (; r < rows.size() && bContinue && !PurgeCancelled(); ++r) {
        std::optional<PurgeProgress> note = VisitRow(rows[r], shown[r], result);
        if (!note)
            break;
        PostProgress(std::move(*note), bContinue);
    }
    // Checked rows after the stop are not deleted either.
    if (!bContinue && !m_connection.IsBroken())
        for (; r < rows.size(); ++r)
            if (rows[r].m_bChecked && rows[r].m_bAvailable)
                result.m_aChanged.push_back(shown[r]);
    EndPurgeSession(rows, shown, result);
    m_connection.Drop();
    return result;
}

bool ScreeningEngine::PurgeCancelled() const
{
    return m_bPurgeCancel.load(std::memory_order_acquire);
}

// PurgeThread: one row of the sequential walk, read again and deleted when
// it is still the message the user saw. Empty: cancelled before its DELE.
std::optional<PurgeProgress> ScreeningEngine::VisitRow(const PurgeRow& row, int nShown, PurgeResult& result)
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
    } else if (PurgeCancelled()) {
        return std::nullopt;
    } else if (const Copy copy = KeepCopy(row, note.m_sReply); copy != Copy::kKept) {
        // The copy the user asked for failed, or was another message: no
        // DELE, the purge goes on.
        result.m_sLastReply = note.m_sReply;
        note.m_nOutcome = m_connection.IsBroken() ? PurgeOutcome::kBroken : PurgeOutcome::kNotKept;
        if (note.m_nOutcome == PurgeOutcome::kNotKept) {
            result.m_aNotKept.push_back(nShown);
            if (copy == Copy::kDiffered)
                result.m_aCopyDiffered.push_back(nShown);
        }
    } else {
        note.m_nOutcome = DeleOutcome(m_connection.Dele(row.m_nNum), row, nShown, result, note.m_sReply);
    }
    if (IsMismatch(note.m_nOutcome))
        result.m_aChanged.push_back(nShown);
    return note;
}

// PurgeThread: the purge's session ends. The journal learns of the marked
// messages before the server does: they are written as pending (and
// synced), then QUIT commits them and they are written as deleted. A journal
// that cannot be written, a cancel or a broken session before QUIT drop the
// session without it, which deletes nothing (RFC 1939 §6). A QUIT sent but
// not answered leaves them pending, for the next scan to settle.
void ScreeningEngine::EndPurgeSession(const std::vector<PurgeRow>& rows, const std::vector<int>& shown,
                                      PurgeResult& result)
{
    const auto ended = [&] {
        if (PurgeCancelled()) {
            result.m_bCancelled = true;
        } else {
            result.m_bBroken = true;
            result.m_sReason = m_connection.IsBroken() ? m_connection.BreakReason() : m_connection.GetLastReply();
        }
        m_connection.Drop();
    };
    if (PurgeCancelled() || m_connection.IsBroken())
        return ended();
    DeletionJournal journal = SessionJournal(nullptr);
    const bool bMarked = !result.m_aMarked.empty();
    if (bMarked && !journal.Append(MarkedEntries(rows, shown, result, JournalEntry::State::kPending))) {
        result.m_bNotRecorded = true;
        result.m_sReason = "the deletions could not be recorded in " + journal.FilePath();
        m_connection.Drop();
        return;
    }
    if (m_connection.Quit()) {
        result.m_bCommitted = true;
        if (bMarked && !journal.Append(MarkedEntries(rows, shown, result, JournalEntry::State::kDeleted)))
            result.m_bJournalBehind = true;
        return;
    }
    if (!m_connection.QuitSent()) {
        // QUIT never left: nothing was deleted, and the journal says so.
        if (bMarked)
            journal.Append(MarkedEntries(rows, shown, result, JournalEntry::State::kNotDeleted));
        return ended();
    }
    result.m_bUnconfirmed = bMarked;
    result.m_sReason = m_connection.IsBroken() ? m_connection.BreakReason() : m_connection.GetLastReply();
    result.m_sLastReply = result.m_sReason;
}

std::vector<JournalEntry> ScreeningEngine::MarkedEntries(const std::vector<PurgeRow>& rows,
                                                         const std::vector<int>& shown, const PurgeResult& result,
                                                         JournalEntry::State state) const
{
    std::string account;
    SessionJournal(&account);
    std::unordered_map<int, size_t> rowOf;
    for (size_t i = 0; i < rows.size(); ++i)
        rowOf.emplace(shown[i], i);
    std::vector<JournalEntry> entries;
    entries.reserve(result.m_aMarked.size());
    for (const int num : result.m_aMarked) {
        const auto found = rowOf.find(num);
        const PurgeRow* pRow = found == rowOf.end() ? nullptr : &rows[found->second];
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

DeletionJournal ScreeningEngine::SessionJournal(std::string* pAccount) const
{
    std::lock_guard lock(m_mutex);
    if (pAccount)
        *pAccount = DeletionJournal::AccountName(platform::Cp1252ToUtf8(m_sessionAccount.m_sServer),
                                                 platform::Cp1252ToUtf8(m_sessionAccount.m_sUser));
    return m_sJournalFolder.empty() ? DeletionJournal() : DeletionJournal(m_sJournalFolder);
}

// ScanThread: a purge whose QUIT went unanswered (or a process that ended
// before it heard) left its messages pending. The server's UIDL listing
// settles them: an id no longer listed was deleted, one still listed was
// not (RFC 1939 §7: ids are not reused). Only while no purge of the account
// runs, which may be waiting for its own QUIT reply.
void ScreeningEngine::SettleJournal(int count)
{
    std::string account;
    DeletionJournal journal = SessionJournal(&account);
    const auto withId = [&] {
        std::vector<JournalEntry> pending = journal.Pending(account);
        std::erase_if(pending, [](const JournalEntry& entry) { return entry.m_sUidl.empty(); });
        return pending;
    };
    if (withId().empty())
        return;
    PurgeLock lock(journal.Folder(), account);
    if (!lock.Acquire(std::chrono::milliseconds(0)))
        return;
    std::vector<JournalEntry> pending = withId();
    std::unordered_set<std::string> listed;
    std::string uidl;
    for (int n = 1; n <= count; ++n)
        if (m_connection.GetUidl(n, uidl))
            listed.insert(uidl);
    for (JournalEntry& entry : pending) {
        // An id the server lists twice is still there, whichever it is.
        const bool bListed = listed.count(entry.m_sUidl) || m_connection.IsUidlAmbiguous(entry.m_sUidl);
        entry.m_nState = bListed ? JournalEntry::State::kNotDeleted : JournalEntry::State::kDeleted;
        entry.m_nTime = 0;
    }
    journal.Append(pending);
}

// PurgeThread, with no reply outstanding: whether KeepCopy would fetch a
// copy of the row's message before its DELE (the copy must be written
// before the DELE goes out). Unsure counts as yes.
bool ScreeningEngine::NeedsStepBeforeDele(const PurgeRow& row)
{
    uint64_t nMaxBytes = 0;
    {
        std::lock_guard lock(m_mutex);
        nMaxBytes = m_quarantine.m_nMaxBytes;
    }
    uint64_t size = 0;
    return nMaxBytes != 0 && (!m_connection.GetSize(row.m_nNum, size) || size <= nMaxBytes);
}

// PurgeThread: the row's outcome is known.
void ScreeningEngine::PostProgress(PurgeProgress note, bool& bContinue)
{
    if (StopsPurge(note.m_nOutcome))
        bContinue = false;
    m_listener.OnPurgeProgress(note);
}

// What reading a row again showed (the pipelined walk).
struct ScreeningEngine::Reread {
    size_t m_nRow;
    bool m_bRead = false;     // TOP answered +OK
    bool m_bIdOk = true;      // no UIDL to check, or UIDL n answered and matched
    bool m_bBroken = false;   // the session broke on this row's replies
    std::string m_sSubject = {};  // the Subject now, or the refusal's text
    std::string m_sIdentity = {}; // MessageIdentity of the header read

    // Still the message the user saw: JudgeReadAgain would find no difference.
    bool Matches(const PurgeRow& row) const
    {
        return m_bRead && m_bIdOk && m_sSubject == row.m_sSubject && SameIdentity(row, m_sIdentity);
    }
};

// The pipelined DELEs: sent, answered, and the next reread to use.
struct ScreeningEngine::DeleWindow {
    size_t m_nSent = 0, m_nRead = 0, m_nNext = 0;
};

// PurgeThread, on a session whose server lists PIPELINING. In one session
// the messages cannot change (RFC 1939 §6), so every checked row is read
// again first (TOP n 0 and UIDL n, pipelined), then the DELEs of the rows
// before the first difference go out, pipelined: the same deletions, the
// same stop and the same progress, row by row, as the sequential walk. A
// session that breaks while the rows are read again has marked nothing.
size_t ScreeningEngine::WalkPipelined(const std::vector<PurgeRow>& rows, const std::vector<int>& shown,
                                      size_t first, PurgeResult& result, bool& bContinue)
{
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
    ReadAgainPipelined(rows, rereads);
    if (PurgeCancelled())
        return first;

    // The DELEs, a window ahead, for the rows read again without a
    // difference; the progress row by row as the sequential walk posts it.
    DeleWindow window;
    size_t r = first;
    for (; r < end && bContinue; ++r) {
        if (PurgeCancelled())
            return r;  // the session is dropped before QUIT: the DELEs in flight count for nothing
        const PurgeRow& row = rows[r];
        PurgeProgress note{shown[r], LeftAlone(row, shown[r], result)};
        if (note.m_nOutcome == PurgeOutcome::kNotChecked && row.m_bChecked) {
            if (window.m_nNext >= rereads.size())
                note.m_nOutcome = PurgeOutcome::kBroken;  // the replies ended before this row
            else
                JudgeReread(rows, rereads, window, note, result);
            if (IsMismatch(note.m_nOutcome))
                result.m_aChanged.push_back(shown[r]);
        }
        PostProgress(std::move(note), bContinue);
    }
    return r;
}

// PurgeThread: every row of `rereads` read again, a window of commands
// ahead of the replies; after the first difference nothing more is asked.
// Rows past the last one read are dropped: the walk stops before them.
void ScreeningEngine::ReadAgainPipelined(const std::vector<PurgeRow>& rows, std::vector<Reread>& rereads)
{
    size_t nSent = 0, nRead = 0;
    bool bDiffered = false;
    while (nRead < rereads.size() && !PurgeCancelled()) {
        if (!bDiffered && nSent < rereads.size() && nSent - nRead < static_cast<size_t>(kPipelineWindow) / 2) {
            for (; nSent < rereads.size() && nSent - nRead < static_cast<size_t>(kPipelineWindow); ++nSent) {
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
    if (!PurgeCancelled())
        rereads.resize(nRead);
}

// PurgeThread: the next reread judged for its row (`note`), and the row's
// DELE, with those of the clean rows after it topped up once half the
// window has been answered.
void ScreeningEngine::JudgeReread(const std::vector<PurgeRow>& rows, const std::vector<Reread>& rereads,
                                  DeleWindow& window, PurgeProgress& note, PurgeResult& result)
{
    const auto clean = [&](const Reread& reread) { return !reread.m_bBroken && reread.Matches(rows[reread.m_nRow]); };
    const Reread& reread = rereads[window.m_nNext++];
    const PurgeRow& row = rows[reread.m_nRow];
    note.m_nOutcome =
        JudgeReadAgain(row, reread.m_bRead, reread.m_sSubject, reread.m_bIdOk, reread.m_sIdentity, note);
    if (reread.m_bBroken) {
        note.m_nOutcome = PurgeOutcome::kBroken;
    } else if (note.m_nOutcome == PurgeOutcome::kNotChecked) {
        constexpr size_t kWindow = static_cast<size_t>(kPipelineWindow);
        size_t& nSent = window.m_nSent;
        if (nSent == window.m_nRead || (nSent - window.m_nRead < kWindow / 2 && nSent < rereads.size())) {
            for (nSent = std::max(nSent, window.m_nNext - 1); nSent < rereads.size() && clean(rereads[nSent])
                                                              && nSent - window.m_nRead < kWindow
                                                              && m_connection.QueueDele(rows[rereads[nSent].m_nRow].m_nNum);
                 ++nSent) {
            }
            m_connection.SendQueued();
        }
        ++window.m_nRead;
        note.m_nOutcome = DeleOutcome(m_connection.ReadDele(row.m_nNum), row, note.m_nNum, result, note.m_sReply);
    }
}

// PurgeThread: a checked row the purge cannot try (the scan could not read
// it; on a new session, it has no id or its id is gone), recorded in the
// result; kNotChecked for every other row.
PurgeOutcome ScreeningEngine::LeftAlone(const PurgeRow& row, int nShown, PurgeResult& result)
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

// PurgeThread: what the answer to a row's DELE makes of it; `reply` gets
// the server's refusal.
PurgeOutcome ScreeningEngine::DeleOutcome(bool bAccepted, const PurgeRow& row, int nShown, PurgeResult& result,
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

// PurgeThread: the keep-alive. RFC 1939 §5: in the TRANSACTION state NOOP
// only ever answers +OK, so anything else means the session is gone, or
// that replies no longer pair with commands; either way it is closed.
void ScreeningEngine::CheckSession()
{
    const bool bAlive = m_connection.IsConnected() && m_connection.Noop();
    if (!bAlive)
        m_connection.Drop();
    m_listener.OnSessionChecked(SessionChecked{bAlive, m_bCanReconnect.load(std::memory_order_acquire)});
}

// PurgeThread: Cancel, or the end of a review nobody purged.
void ScreeningEngine::EndSessionJob(bool bReset)
{
    SessionEnd end;
    if (m_connection.IsConnected()) {
        if (bReset && !m_connection.Rset()) {
            end.m_bRsetRefused = true;
            end.m_sRsetReply = m_connection.GetLastReply();
        }
        if (!m_connection.Quit()) {
            end.m_bQuitRefused = true;
            end.m_sQuitReply = m_connection.IsBroken() ? m_connection.BreakReason() : m_connection.GetLastReply();
        }
    }
    m_connection.Drop();
    // A review ended without RSET (a scan nobody reviewed yet, as a
    // background check leaves it) keeps its rows: a purge may still log in
    // again and find them by UIDL. Cancel throws them away.
    if (bReset)
        m_bCanReconnect.store(false, std::memory_order_release);
    m_listener.OnSessionEnded(end);
}

// UI thread.
void ScreeningEngine::StartScan(const Account& account, const FilterLists& lists, RowKeeping keeping)
{
    bool bAbort = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_bQuitting.load(std::memory_order_acquire))
            return;
        m_account = account;
        m_lists = lists;
        ++m_nScanGeneration;
        m_nKeeping = keeping;
        if (m_bScanBusy.load(std::memory_order_acquire)) {
            // An earlier scan is still under way (stopped and unwinding, or
            // left running after its connection phase timed out): it ends
            // first, and ScanThread then starts this one.
            bAbort = !m_bStop.load(std::memory_order_acquire);
            StopScanLocked();
            m_bScanPending = true;
        } else {
            m_bStop.store(false, std::memory_order_release);
            m_bAnswered.store(false, std::memory_order_release);
            m_aRowQueue.clear();
            m_bScanBusy.store(true, std::memory_order_release);
            m_hScanRun.Set();
        }
    }
    if (bAbort)
        m_connection.Abort();
}

// m_mutex held.
void ScreeningEngine::StopScanLocked()
{
    m_bStop.store(true, std::memory_order_release);
    m_aRowQueue.clear();
    m_bScanPending = false;
    m_changed.notify_all();
}

bool ScreeningEngine::IsAnswered() const
{
    return m_bAnswered.load(std::memory_order_acquire);
}

bool ScreeningEngine::IsScanning() const
{
    return m_bScanBusy.load(std::memory_order_acquire);
}

// UI thread.
void ScreeningEngine::Stop()
{
    bool bAbort = false;
    {
        std::lock_guard lock(m_mutex);
        bAbort = m_bScanBusy.load(std::memory_order_acquire) && !m_bStop.load(std::memory_order_acquire);
        StopScanLocked();
    }
    // Wakes a read pending on ScanThread, which then closes the session.
    if (bAbort)
        m_connection.Abort();
}

// UI thread.
bool ScreeningEngine::TakeRows(std::vector<ScanRow>& rows)
{
    rows.clear();
    {
        std::lock_guard lock(m_mutex);
        if (m_bStop.load(std::memory_order_acquire) || m_aRowQueue.empty())
            return false;
        // The owner's emptied vector becomes the next queue: no allocation
        // per turn once both have grown.
        rows.swap(m_aRowQueue);
    }
    m_changed.notify_all();
    return true;
}

void ScreeningEngine::SetRowQueueLimit(size_t nRows)
{
    std::lock_guard lock(m_mutex);
    m_nRowLimit = std::max<size_t>(nRows, 1);
}

// UI thread, before StartScan.
void ScreeningEngine::SetRowBudget(uint64_t nBytes)
{
    std::lock_guard lock(m_mutex);
    m_nRowBudget = nBytes;
}

// UI thread.
void ScreeningEngine::KeepAlive()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_bPurgeBusy.load(std::memory_order_acquire) || m_bQuitting.load(std::memory_order_acquire))
            return;
        m_nJob = Job::kKeepAlive;
        m_bPurgeBusy.store(true, std::memory_order_release);
    }
    m_hPurgeRun.Set();
}

// UI thread.
void ScreeningEngine::EndSession(bool bReset)
{
    {
        std::lock_guard lock(m_mutex);
        // A keep-alive under way is followed by this; a purge ends its own
        // session.
        if (m_nRunningJob == Job::kPurge && m_bPurgeBusy.load(std::memory_order_acquire))
            return;
        m_nJob = bReset ? Job::kEndSessionReset : Job::kEndSession;
        m_nJobGeneration = m_nScanGeneration;
        m_bPurgeBusy.store(true, std::memory_order_release);
    }
    m_hPurgeRun.Set();
}

bool ScreeningEngine::CanReconnect() const
{
    return m_bCanReconnect.load(std::memory_order_acquire);
}

// UI thread.
void ScreeningEngine::StartPurge(std::vector<PurgeRow> rows)
{
    // Message-number order, whatever order the owner keeps its rows in.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const PurgeRow& a, const PurgeRow& b) { return a.m_nNum < b.m_nNum; });
    {
        std::lock_guard lock(m_mutex);
        if ((m_bPurgeBusy.load(std::memory_order_acquire) && m_nRunningJob == Job::kPurge)
            || m_nJob == Job::kPurge || m_bQuitting.load(std::memory_order_acquire))
            return;                         // a purge already runs: no effect
        m_aPurgeRows = std::move(rows);
        m_bPurgeCancel.store(false, std::memory_order_release);
        m_nJob = Job::kPurge;
        m_bPurgeBusy.store(true, std::memory_order_release);
    }
    m_hPurgeRun.Set();
}

void ScreeningEngine::CancelPurge()
{
    std::lock_guard lock(m_mutex);
    const bool bPurge = m_nJob == Job::kPurge
                        || (m_nRunningJob == Job::kPurge && m_bPurgeBusy.load(std::memory_order_acquire));
    if (!bPurge)
        return;
    m_bPurgeCancel.store(true, std::memory_order_release);
    // Wakes the wait in progress; stays set until the next log-in clears
    // it under this lock.
    m_connection.Abort();
}

// UI thread.
void ScreeningEngine::SignalQuit()
{
    bool bAbort = false;
    {
        std::lock_guard lock(m_mutex);
        m_bQuitting.store(true, std::memory_order_release);
        if (m_bScanBusy.load(std::memory_order_acquire) && !m_bStop.load(std::memory_order_acquire)) {
            StopScanLocked();
            bAbort = true;
        }
        // Session jobs are cut short; nothing they do matters once the owner
        // leaves, and the server deletes nothing on a dropped session. A
        // purge is cancelled: dropped before its QUIT, or not waited for
        // after it (its journal says so).
        if (m_bPurgeBusy.load(std::memory_order_acquire))
            bAbort = true;
        if (m_nRunningJob == Job::kPurge || m_nJob == Job::kPurge)
            m_bPurgeCancel.store(true, std::memory_order_release);
        if (m_nJob != Job::kPurge)
            m_nJob = Job::kNone;
        m_bScanPending = false;
    }
    m_hScanQuit.Set();
    m_hPurgeQuit.Set();
    if (bAbort)
        m_connection.Abort();
}

bool ScreeningEngine::ScanEnded() const
{
    return m_bScanEnded.load(std::memory_order_acquire);
}

bool ScreeningEngine::PurgeEnded() const
{
    return m_bPurgeEnded.load(std::memory_order_acquire);
}

// UI thread.
bool ScreeningEngine::WaitEnded(std::chrono::milliseconds budget)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, budget, [this] {
        return m_bScanEnded.load(std::memory_order_acquire) && m_bPurgeEnded.load(std::memory_order_acquire);
    });
}

CPop3Connection& ScreeningEngine::Connection()
{
    return m_connection;
}

int ScreeningEngine::MsgCount() const
{
    return m_nMsgCount.load(std::memory_order_acquire);
}

// ScanThread: the connection phase is over, in success or failure. The
// owner's 30-second wait ends on OnScanAnswered at once.
void ScreeningEngine::SetAnswered()
{
    std::lock_guard lock(m_mutex);
    m_bAnswered.store(true, std::memory_order_release);
    if (!m_bStop.load(std::memory_order_acquire))
        m_listener.OnScanAnswered(ScanAnswered{});
}

// UI thread.
void ScreeningEngine::SetQuarantine(QuarantineOptions options)
{
    std::lock_guard lock(m_mutex);
    m_quarantine = std::move(options);
}

// UI thread.
void ScreeningEngine::SetServerWait(std::chrono::milliseconds wait)
{
    const auto ms = std::clamp<std::chrono::milliseconds::rep>(wait.count(), 1, UINT32_MAX / 2);
    std::lock_guard lock(m_mutex);
    m_timing = CPop3Connection::Timing::ForSilence(static_cast<uint32_t>(ms));
}

// ScanThread or PurgeThread, holding m_sessionMutex: no command runs now.
void ScreeningEngine::ApplyTiming()
{
    std::lock_guard lock(m_mutex);
    if (m_timing)
        m_connection.SetTiming(*m_timing);
}

// UI thread.
void ScreeningEngine::SetJournalFolder(std::string folder)
{
    std::lock_guard lock(m_mutex);
    m_sJournalFolder = std::move(folder);
}

// PurgeThread: RETR n into the Maildir before DELE n. A message larger than
// asked for is deleted without a copy; one whose size is unknown is not
// deleted at all, nor one whose copy is not the message the row shows.
ScreeningEngine::Copy ScreeningEngine::KeepCopy(const PurgeRow& row, std::string& why)
{
    QuarantineOptions options;
    {
        std::lock_guard lock(m_mutex);
        options = m_quarantine;
    }
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
    QuarantineMaildir maildir = options.m_sFolder.empty() ? QuarantineMaildir()
                                                          : QuarantineMaildir(options.m_sFolder);
    // Named so Recently Deleted and `mavix-cli log` find it from the journal.
    std::string account;
    (void)SessionJournal(&account);
    if (!maildir.Store(text, QuarantineMaildir::CopyKey(account, row.m_sUidl)))
        return fail("No copy kept: " + maildir.FailureReason() + ".");
    return Copy::kKept;
}
