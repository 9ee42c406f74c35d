#include "ScreeningEngine.h"

#include <algorithm>
#include <utility>

#include "core/platform/Secrets.h"
#include "core/session/JobContext.h"
#include "core/session/PreviewJob.h"
#include "core/session/PurgeJob.h"
#include "core/session/ScanJob.h"
#include "core/session/SessionJobs.h"

bool IsMismatch(PurgeOutcome outcome)
{
    return outcome == PurgeOutcome::kChanged || outcome == PurgeOutcome::kUnreadable
        || outcome == PurgeOutcome::kIdChanged;
}

bool StopsPurge(PurgeOutcome outcome)
{
    return IsMismatch(outcome) || outcome == PurgeOutcome::kBroken;
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
        std::string status;
        {
            std::lock_guard session(e.m_sessionMutex);
            result = e.RunScan(status);
        }
        e.m_hScanRun.Reset();
        {
            std::lock_guard lock(e.m_mutex);
            // Told under the lock Stop takes: once Stop has returned, no
            // OnScanDone of the stopped scan can reach the owner.
            if (!e.m_bStop.load(std::memory_order_acquire))
                e.m_listener.OnScanDone(ScanDone{result, std::move(status)});
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
                job = e.m_nJob;
                e.SetJobState(Job::kNone, job);
                if (job == Job::kNone)
                    e.m_hPurgeRun.Reset();
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

// ScanThread, holding the session. A stopped or failed scan, or one with
// nothing to review, ends its session here: the maildrop stays locked by
// the server while it is open (RFC 1939 §8). Nothing is marked, so QUIT
// deletes nothing; a broken or stopped session is only closed.
int ScreeningEngine::RunScan(std::string& status)
{
    JobContext ctx;
    FillScanContext(ctx);
    m_nMsgCount.store(0, std::memory_order_release);
    m_bCanReconnect.store(false, std::memory_order_release);
    m_bWakeDue = false;
    m_nUntold = 0;
    ScanJob job(m_connection, ctx);
    const int result = job.Run();
    m_bCanReconnect.store(job.CanReconnect(), std::memory_order_release);
    status = job.Status();
    // From here on the count shown is that of the rows delivered, not what
    // STAT claimed.
    const int nLastNum = job.LastNum();
    if (nLastNum > 0 || result != 0)
        m_nMsgCount.store(nLastNum, std::memory_order_release);
    const bool bStopped = Stopped();
    if (bStopped || result != 0 || nLastNum == 0) {
        if (bStopped || m_connection.IsBroken())
            m_connection.Drop();
        else if (m_connection.IsConnected())
            m_connection.Quit();
    }
    return result;
}

// ScanThread: the scan's own copies of what StartScan was given (the
// filter manager may replace the owner's lists at any time without racing
// the classification), and the engine's side of its reports.
void ScreeningEngine::FillScanContext(JobContext& ctx)
{
    {
        std::lock_guard lock(m_mutex);
        ctx.m_account = m_account;
        ctx.m_lists = m_lists;
        ctx.m_nKeeping = m_nKeeping;
        ctx.m_nRowBudget = m_nRowBudget;
        ctx.m_sJournalFolder = m_sJournalFolder;
        ctx.m_bOwnsLegacyJournal = m_bOwnsLegacyJournal;
        ctx.m_timing = m_timing;
        ctx.m_fnTokens = m_fnTokens;
        ctx.m_nHeaderCache = m_nScanHeaderCache;
    }
    ctx.m_fnStopped = [this] { return Stopped(); };
    ctx.m_fnClearAbort = [this] { return ClearAbortUnless(m_bStop); };
    ctx.m_fnAnswered = [this] { SetAnswered(); };
    ctx.m_fnCounted = [this](int count) { m_nMsgCount.store(count, std::memory_order_release); };
    ctx.m_fnLoggedIn = [this, &ctx] {
        std::lock_guard lock(m_mutex);
        m_sessionAccount = ctx.m_sessionAccount;
        if (!m_bStop.load(std::memory_order_acquire))
            m_listener.OnScanLoggedIn(ScanLoggedIn{m_connection.LoginMechanism(), m_connection.PasswordSentInClear()});
    };
    ctx.m_fnWaitForRoom = [this] { return WaitForRoom(); };
    ctx.m_fnRow = [this](ScanRow row) { QueueRow(std::move(row)); };
    ctx.m_fnRowsEnd = [this] { WakeOwner(); };
}

// PurgeThread: the session's own account, options and timing for the job.
void ScreeningEngine::RunJob(Job job)
{
    std::lock_guard session(m_sessionMutex);
    JobContext ctx;
    {
        std::lock_guard lock(m_mutex);
        ctx.m_sessionAccount = m_sessionAccount;
        ctx.m_nHeaderCache = m_nScanHeaderCache;  // the review's scan's
        ctx.m_quarantine = m_quarantine;
        ctx.m_sJournalFolder = m_sJournalFolder;
        ctx.m_bOwnsLegacyJournal = m_bOwnsLegacyJournal;
        ctx.m_timing = m_timing;
        ctx.m_fnTokens = m_fnTokens;
    }
    ctx.m_bCanReconnect = m_bCanReconnect.load(std::memory_order_acquire);
    switch (job) {
    case Job::kPurge:
        RunPurge(ctx);
        break;
    case Job::kKeepAlive:
        m_listener.OnSessionChecked(KeepAliveJob(m_connection, ctx).Run());
        break;
    case Job::kEndSession:
    case Job::kEndSessionReset:
        RunEndSession(ctx, job == Job::kEndSessionReset);
        break;
    case Job::kPreview:
        RunPreview(ctx);
        break;
    case Job::kNone:
        break;
    }
}

// PurgeThread: the purge of the snapshot StartPurge took; the owner's
// current account in case the session must be opened again.
void ScreeningEngine::RunPurge(JobContext& ctx)
{
    std::vector<PurgeRow> rows;
    {
        std::lock_guard lock(m_mutex);
        rows.swap(m_aPurgeRows);
        ctx.m_account = m_account;
    }
    ctx.m_fnStopped = [this] { return PurgeCancelled(); };
    ctx.m_fnClearAbort = [this] { return ClearAbortUnless(m_bPurgeCancel); };
    ctx.m_fnProgress = [this](const PurgeProgress& note) { m_listener.OnPurgeProgress(note); };
    PurgeJob job(m_connection, ctx, std::move(rows));
    m_listener.OnPurgeDone(PurgeDone{job.Run()});
}

// PurgeThread: Cancel, or the end of a review nobody purged.
void ScreeningEngine::RunEndSession(const JobContext& ctx, bool bReset)
{
    // A scan asked for after this end has its own session by now (its
    // log-in ended the old one): that session is not this job's to end.
    bool bStale = false;
    {
        std::lock_guard lock(m_mutex);
        bStale = m_nJobGeneration != m_nScanGeneration;
    }
    if (bStale) {
        m_listener.OnSessionEnded(SessionEnd{});
        return;
    }
    const SessionEnd end = EndSessionJob(m_connection, ctx, bReset).Run();
    // A review ended without RSET (a scan nobody reviewed yet, as a
    // background check leaves it) keeps its rows: a purge may still log in
    // again and find them by UIDL. Cancel throws them away.
    if (bReset)
        m_bCanReconnect.store(false, std::memory_order_release);
    m_listener.OnSessionEnded(end);
}

// PurgeThread: the preview Preview asked for last.
void ScreeningEngine::RunPreview(JobContext& ctx)
{
    PreviewRequest request;
    {
        std::lock_guard lock(m_mutex);
        request = m_previewRequest;
        ctx.m_account = m_account;  // for a log-in again
    }
    m_listener.OnPreviewReady(PreviewJob(m_connection, ctx, std::move(request)).Run());
}

bool ScreeningEngine::ClearAbortUnless(const std::atomic<bool>& bStop)
{
    std::lock_guard lock(m_mutex);
    if (bStop.load(std::memory_order_acquire))
        return false;
    m_connection.ClearAbort();
    return true;
}

// m_mutex held.
void ScreeningEngine::SetJobState(Job pending, Job running)
{
    m_nJob = pending;
    m_nRunningJob = running;
}

// m_mutex held. A job that ran stays "running" until PurgeThread has looked
// for the next, so the two never read as idle in between.
bool ScreeningEngine::SessionJobBusy() const
{
    return m_nJob != Job::kNone || m_nRunningJob != Job::kNone;
}

// m_mutex held.
bool ScreeningEngine::PurgeAskedOrRunning() const
{
    return m_nJob == Job::kPurge || m_nRunningJob == Job::kPurge;
}
bool ScreeningEngine::Stopped() const
{
    return m_bStop.load(std::memory_order_acquire);
}

bool ScreeningEngine::PurgeCancelled() const
{
    return m_bPurgeCancel.load(std::memory_order_acquire);
}

// ScanThread: a full queue waits for the owner to take it (or stop the
// scan). False: stopped.
bool ScreeningEngine::WaitForRoom()
{
    std::unique_lock lock(m_mutex);
    if (m_aRowQueue.size() >= m_nRowLimit && m_bWakeDue) {
        lock.unlock();
        WakeOwner();
        lock.lock();
    }
    m_changed.wait(lock, [this] { return m_aRowQueue.size() < m_nRowLimit || Stopped(); });
    return !Stopped();
}

// ScanThread: the owner is told once the queue has turned non-empty.
void ScreeningEngine::WakeOwner()
{
    if (m_bWakeDue)
        m_listener.OnScanRow(ScanRowsWaiting{});
    m_bWakeDue = false;
    m_nUntold = 0;
}

// ScanThread: the owner takes all of the queue per wake-up, told as soon
// as the next reply must be waited for on the network, or after
// kWakeEvery rows at the latest: a fast server's replies arrive many to a
// receive, and one wake-up per row would cost both threads a switch per
// row. A row from the header cache waited for nothing, and neither may the
// next: the scan tells the owner itself (m_fnRowsEnd) before it next waits
// on the network. Told outside the lock, so TakeRows never waits for the
// call itself; a call that lands after a Stop finds nothing to take.
void ScreeningEngine::QueueRow(ScanRow row)
{
    constexpr int kWakeEvery = 64;
    const bool bFromCache = row.m_nCached != 0;
    {
        std::lock_guard lock(m_mutex);
        if (Stopped())
            return;
        m_bWakeDue = m_bWakeDue || m_aRowQueue.empty();
        m_aRowQueue.push_back(std::move(row));
    }
    ++m_nUntold;
    if (m_bWakeDue && (m_nUntold >= kWakeEvery || (!bFromCache && !m_connection.HasUnreadInput())))
        WakeOwner();
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
        m_nScanHeaderCache = m_nHeaderCache;
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
        if (m_nJob == Job::kPreview)
            SetJobState(Job::kNone, m_nRunningJob);  // a stop comes first
    }
    // Wakes a read pending on ScanThread, which then closes the session.
    if (bAbort)
        m_connection.Abort();
}

// UI thread.
void ScreeningEngine::Preview(PreviewRequest request)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_bQuitting.load(std::memory_order_acquire) || (m_nJob != Job::kNone && m_nJob != Job::kPreview)
            || PurgeAskedOrRunning() || m_nRunningJob == Job::kEndSession || m_nRunningJob == Job::kEndSessionReset)
            return;
        m_previewRequest = std::move(request);
        SetJobState(Job::kPreview, m_nRunningJob);
    }
    m_hPurgeRun.Set();
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
        if (SessionJobBusy() || m_bQuitting.load(std::memory_order_acquire))
            return;
        SetJobState(Job::kKeepAlive, m_nRunningJob);
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
        if (m_nRunningJob == Job::kPurge)
            return;
        SetJobState(bReset ? Job::kEndSessionReset : Job::kEndSession, m_nRunningJob);
        m_nJobGeneration = m_nScanGeneration;
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
        if (PurgeAskedOrRunning() || m_bQuitting.load(std::memory_order_acquire))
            return;  // a purge already runs: no effect
        m_aPurgeRows = std::move(rows);
        m_bPurgeCancel.store(false, std::memory_order_release);
        SetJobState(Job::kPurge, m_nRunningJob);
    }
    m_hPurgeRun.Set();
}

void ScreeningEngine::CancelPurge()
{
    std::lock_guard lock(m_mutex);
    if (!PurgeAskedOrRunning())
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
        if (SessionJobBusy())
            bAbort = true;
        if (PurgeAskedOrRunning())
            m_bPurgeCancel.store(true, std::memory_order_release);
        if (m_nJob != Job::kPurge)
            SetJobState(Job::kNone, m_nRunningJob);
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
void ScreeningEngine::SetTokenSource(pop3::TokenSource tokens)
{
    std::lock_guard lock(m_mutex);
    m_fnTokens = std::move(tokens);
}

void ScreeningEngine::SetServerWait(std::chrono::milliseconds wait)
{
    const auto ms = std::clamp<std::chrono::milliseconds::rep>(wait.count(), 1, UINT32_MAX / 2);
    std::lock_guard lock(m_mutex);
    m_timing = CPop3Connection::Timing::ForSilence(static_cast<uint32_t>(ms));
}

// UI thread.
void ScreeningEngine::SetHeaderCache(HeaderCacheUse use)
{
    std::lock_guard lock(m_mutex);
    m_nHeaderCache = use;
}

// UI thread.
void ScreeningEngine::SetJournalFolder(std::string folder)
{
    std::lock_guard lock(m_mutex);
    m_sJournalFolder = std::move(folder);
}

// UI thread.
void ScreeningEngine::SetOwnsLegacyJournal(bool bOwns)
{
    std::lock_guard lock(m_mutex);
    m_bOwnsLegacyJournal = bOwns;
}
