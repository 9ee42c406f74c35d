#include "ScreeningEngine.h"

#include <cerrno>
#include <cctype>
#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <utility>

#include "filters/Classify.h"
#include "platform/LastError.h"
#include "platform/Secrets.h"
#include "platform/Trace.h"
#include "screening/DumpFile.h"
#include "screening/QuarantineMaildir.h"
#include "screening/ReadableRow.h"
#include "screening/RowBuilder.h"

namespace {

// The row texts one scan may hold for its owner: far beyond any honest
// mailbox (100,000 rows take about 30 MiB), and it keeps a server that sends
// huge headers for many messages from filling the memory of the window.
constexpr uint64_t kMaxScanRowBytes = uint64_t{160} << 20;

// The port text as the account holds it: leading blanks, an optional sign,
// then decimal digits up to the first non-digit; no digits read as 0. A value
// that is not a usable TCP port (0, negative, above 65535) gives 0.
int ParsePort(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool bNegative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        bNegative = text[i] == '-';
        ++i;
    }
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 65535)
            return 0;                       // stop before any overflow
    }
    return bNegative ? 0 : static_cast<int>(value);
}

// The bytes a row's texts take, for the scan's budget.
uint64_t RowBytes(const MessageRow& row)
{
    return row.m_sNum.size() + row.m_sSize.size() + row.m_sAtt.size() + row.m_sSubject.size() + row.m_sFrom.size()
           + row.m_sEmail.size() + row.m_sDate.size() + row.m_sTo.size() + row.m_sCC.size() + row.m_sUidl.size()
           + row.m_sSubjectText.size() + row.m_sFromText.size() + row.m_sToText.size() + row.m_sCCText.size()
           + row.m_sReason.size() + sizeof(MessageRow);
}

// What the user is told, after a session broke, about what the server did.
constexpr const char* kDroppedNote = " The session was closed without QUIT, so nothing was deleted.";

}  // namespace

std::string PurgeSummaryText(const PurgeResult& result)
{
    if (!result.m_sNotStarted.empty())
        return result.m_sNotStarted;
    if (result.m_bBroken)
        return "Nothing was deleted: " + result.m_sReason + kDroppedNote;
    if (result.m_bCancelled)
        return "Cancelled: nothing was deleted.";
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
    if (!result.m_aNotKept.empty())
        text += ", " + std::to_string(result.m_aNotKept.size()) + " not deleted (no copy could be kept)";
    if (result.m_nWithoutId > 0)
        text += "; " + std::to_string(result.m_nWithoutId)
                + " checked by Subject only (the server gave no usable id)";
    return text;
}

ScreeningEngine::ScreeningEngine(IScreeningListener& listener)
    : m_listener(listener)
{
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
            // Posted under the lock Stop takes: once Stop has returned, no
            // WM_SCAN_DONE of the stopped scan can reach the owner.
            if (!e.m_bStop.load(std::memory_order_acquire))
                e.Post(WM_SCAN_DONE, result, 0);
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

// PurgeThread: the same loop around the session jobs; WM_PURGE_DONE after
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
    switch (job) {
    case Job::kPurge:
        PurgeChecked();
        Post(WM_PURGE_DONE, 0, 0);
        break;
    case Job::kKeepAlive:
        CheckSession();
        break;
    case Job::kEndSession:
    case Job::kEndSessionReset:
        EndSessionJob(job == Job::kEndSessionReset);
        break;
    case Job::kNone:
        break;
    }
}

// ScanThread.
int ScreeningEngine::FailScan(const std::string& status)
{
    SetStatus(status);
    SetAnswered();
    return -1;
}

// ScanThread or PurgeThread: the user's words for a session that broke, or
// the fallback when it did not.
std::string ScreeningEngine::SessionStatus(const std::string& fallback) const
{
    if (m_connection.IsBroken())
        return m_connection.BreakReason() + kDroppedNote;
    return fallback;
}

// ScanThread. Returns 0 when the scan ran to its end, was stopped or found no
// mail, -1 when it failed; m_sStatus says why for the user. m_nLastNum is the
// number of the last row delivered (0: none).
int ScreeningEngine::ScanHeaders()
{
    Account account;
    FilterLists lists;
    {
        // The scan's own copy of the lists: the filter manager may replace
        // the owner's lists at any time without racing the classification.
        std::lock_guard lock(m_mutex);
        account = m_account;
        lists = m_lists;
    }
    m_nMsgCount.store(0, std::memory_order_release);
    SetStatus("");
    m_nLastNum = 0;
    m_bCanReconnect.store(false, std::memory_order_release);

    if (m_bStop.load(std::memory_order_acquire)) {
        SetAnswered();
        return 0;
    }

    // A security setting we do not know must not be taken for plain text.
    CPop3Connection::Security security = CPop3Connection::Security::kNone;
    if (!CPop3Connection::ParseSecurity(account.m_sSecurity, security))
        return FailScan("Unknown connection security setting \"" + account.m_sSecurity
                        + "\": choose one under Manage Account.");
    m_connection.SetSecurity(security, account.m_sTlsFingerprint);
    const int port = ParsePort(account.m_sPort);
    if (port == 0 || !m_connection.Login(account.m_sServer, account.m_sUser, account.m_sPass, port)) {
        if (m_bStop.load(std::memory_order_acquire)) {
            SetAnswered();
            return 0;
        }
        // A host that cannot be reached keeps its old summary; every other
        // failure names its cause.
        const std::string reason = port == 0 ? std::string() : m_connection.GetFailureReason();
        return FailScan(reason.empty() ? std::string("Server Not Found") : reason);
    }
    {
        // Which account the session is of, without its password.
        std::lock_guard lock(m_mutex);
        m_sessionAccount = account;
        platform::SecureWipe(m_sessionAccount.m_sPass);
    }

    // Stopped while logging in: the thread loop ends the session; the dump
    // of the last scan is left as it is.
    if (m_bStop.load(std::memory_order_acquire)) {
        SetAnswered();
        return 0;
    }

    // The scan's copy of the password is not needed past the log-in.
    platform::SecureWipe(account.m_sPass);

    int count = 0, total = 0;
    if (!m_connection.Stat(count, total) || count < 0) {
        if (platform::GetLastError() == EOVERFLOW)
            return FailScan("The server reports more than " + std::to_string(pop3::kMaxMessages)
                            + " messages, more than one scan can show: nothing was read.");
        return FailScan(SessionStatus("Server Refused STAT Response"));
    }
    m_nMsgCount.store(count, std::memory_order_release);
    if (count == 0) {
        SetStatus("No emails waiting for you at the Server");
        SetAnswered();
        return 0;
    }

    uint64_t size = 0;
    if (!m_connection.List()) {
        if (m_connection.ListingProblem() != pop3::ReplyError::kNone)
            return FailScan(std::string("The server's message list (LIST) cannot be used: ")
                            + pop3::ReplyErrorText(m_connection.ListingProblem()));
        return FailScan(SessionStatus("The server refused to list its messages (LIST): "
                                      + m_connection.GetLastReply()));
    }
    // UIDL is optional (RFC 1939 §7): without it the rows have no lasting
    // ids, and a purge can only ever use this session.
    if (!m_connection.Uidl() && m_connection.IsBroken())
        return FailScan(SessionStatus(""));
    if (m_connection.ListingProblem() != pop3::ReplyError::kNone)
        return FailScan(std::string("The server's list of message ids (UIDL) cannot be used: ")
                        + pop3::ReplyErrorText(m_connection.ListingProblem()));
    const bool bHaveUidl = m_connection.HasUidlListing();
    // A LIST shorter than the STAT count leaves a number without a size: the
    // server contradicts itself, so the scan fails rather than show a row
    // with a made-up size.
    if (!m_connection.GetSize(1, size))
        return FailScan(pop3::kListMismatchStatus);

    CDumpFile dump;
    if (!dump.Open())
        return FailScan(dump.FailureStatus());

    SetAnswered();

    CPop3Message message;
    int result = 0;
    uint64_t nRowBytes = 0;
    // With PIPELINING the TOP commands run up to a window ahead of the
    // replies, which are read strictly in order; without, one at a time.
    const int nWindow = m_connection.CanPipeline() ? kPipelineWindow : 1;
    int nQueued = 0;  // the last message whose TOP is sent
    // The owner is told once the queue has turned non-empty, as soon as the
    // next reply must be waited for on the network, or after kWakeEvery rows
    // at the latest: a fast server's replies arrive many to a receive, and
    // one wake-up per row would cost both threads a switch per row.
    constexpr int kWakeEvery = 64;
    bool bWakeDue = false;
    int nUntold = 0;
    const auto wake = [&] {
        if (bWakeDue)
            Post(WM_SCAN_ROW, 0, 0);
        bWakeDue = false;
        nUntold = 0;
    };
    for (int n = 1; n <= count && !m_bStop.load(std::memory_order_acquire); ++n) {
        {
            // A full queue waits for the owner to take it (or stop the scan).
            std::unique_lock lock(m_mutex);
            if (m_aRowQueue.size() >= m_nRowLimit && bWakeDue) {
                lock.unlock();
                wake();
                lock.lock();
            }
            m_changed.wait(lock, [this] {
                return m_aRowQueue.size() < m_nRowLimit || m_bStop.load(std::memory_order_acquire);
            });
            if (m_bStop.load(std::memory_order_acquire))
                break;
        }

        std::string uidl;
        if (bHaveUidl)
            m_connection.GetUidl(n, uidl);  // none usable: the row is checked by Subject alone
        if (!m_connection.GetSize(n, size)) {
            SetStatus(pop3::kListMismatchStatus);
            result = -1;
            break;
        }
        // Tops the window up once half of it has been read: one write per
        // half window. A number the listing lacks ends the batch; the scan
        // fails on it when it gets there.
        if (nQueued < n || (nQueued - n < nWindow / 2 && nQueued < count)) {
            for (int k = nQueued + 1; k <= count && k < n + nWindow && m_connection.QueueTop(k); ++k)
                nQueued = k;
            if (!m_connection.SendQueued()) {
                SetStatus(SessionStatus("The connection was lost."));
                result = -1;
                break;
            }
        }
        const bool bRead = m_connection.ReadTop(n, message);
        // A stop wakes the read above; its empty result must not reach the
        // dump as if it were this message's header.
        if (m_bStop.load(std::memory_order_acquire))
            break;
        if (!bRead && m_connection.IsBroken()) {
            SetStatus(SessionStatus(""));
            result = -1;
            break;
        }

        MessageRow row;
        int suspect = 0;
        if (bRead) {
            dump.WriteRecord(n, size, message.Text());
            row = BuildMessageRow(n, size, message);
            AddReadableTexts(row);
            row.m_nHeaderAt = static_cast<long long>(dump.LastTextOffset());
            row.m_nHeaderLength = message.Text().size();
            row.m_sUidl = std::move(uidl);
            suspect = ClassifyRow(lists, row);
        } else {
            // The server would not show this message: its row carries no
            // text of any other message, is never checked and never deleted.
            const std::string mark = "(message unavailable: " + m_connection.GetLastReply() + ")";
            dump.WriteRecord(n, size, mark + "\r\n");
            CPop3Message none;
            row = BuildMessageRow(n, size, none);
            row.m_sSubject = mark;
            row.m_bUnavailable = true;
            row.m_sUidl = std::move(uidl);
        }
        if (dump.Failed()) {
            SetStatus(dump.FailureStatus());
            result = -1;
            break;
        }
        nRowBytes += RowBytes(row);
        if (nRowBytes > kMaxScanRowBytes) {
            SetStatus("The server's headers are larger than one scan can hold ("
                      + std::to_string(kMaxScanRowBytes >> 20) + " MiB); the scan stopped at message "
                      + std::to_string(n) + ".");
            result = -1;
            break;
        }
        int repeat = 0;
        if (m_nLastNum == n)
            repeat = 1;
        else
            m_nLastNum = n;

        {
            std::lock_guard lock(m_mutex);
            if (m_bStop.load(std::memory_order_acquire))
                break;
            bWakeDue = bWakeDue || m_aRowQueue.empty();
            m_aRowQueue.push_back(ScanRow{std::move(row), suspect, repeat});
        }
        // The owner takes all of the queue per wake-up. Posted outside the
        // lock, so TakeRows never waits for the post itself. A post that
        // lands after a Stop finds nothing to take.
        ++nUntold;
        if (bWakeDue && (nUntold >= kWakeEvery || !m_connection.HasUnreadInput()))
            wake();
    }
    if (!m_bStop.load(std::memory_order_acquire))
        wake();

    // A reply that came late, or twice, sits ahead of later replies: the
    // rows after it would show the wrong messages. LIST n names its number,
    // so it proves the replies still pair with the commands.
    uint64_t lastSize = 0;
    if (result == 0 && m_nLastNum > 0 && !m_bStop.load(std::memory_order_acquire)
        && !m_connection.ListOne(m_nLastNum, lastSize)) {
        SetStatus(SessionStatus("The server refused LIST " + std::to_string(m_nLastNum) + ": "
                                + m_connection.GetLastReply()));
        result = -1;
    }
    if (result == 0)
        m_bCanReconnect.store(bHaveUidl, std::memory_order_release);

    // The dump replaces the last one once the scan has ended or stopped; a
    // dump that cannot be completed is a failed scan.
    if (!dump.Commit() && result == 0) {
        SetStatus(dump.FailureStatus());
        result = -1;
    } else if (result == 0 && dump.WasCut()) {
        SetStatus(dump.CutStatus());
    }
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
    const int port = ParsePort(account.m_sPort);
    const bool bLoggedIn =
        port != 0 && m_connection.Login(account.m_sServer, account.m_sUser, account.m_sPass, port);
    platform::SecureWipe(account.m_sPass);
    if (!bLoggedIn) {
        const std::string reason = m_connection.GetFailureReason();
        result.m_sNotStarted = "The server ended the session and a new log-in failed ("
                               + (reason.empty() ? std::string("Server Not Found") : reason)
                               + "): nothing was deleted.";
        return false;
    }
    int count = 0, total = 0;
    if (!m_connection.Stat(count, total) || !m_connection.Uidl()) {
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
// walk. One WM_PURGE_PROGRESS per row visited. On a server that lists
// PIPELINING, WalkPipelined does the same with its commands sent ahead, and
// this loop goes on from where it stopped. QUIT at the end: it is what
// makes the server remove the messages marked as deleted (RFC 1939 §6). A
// session that breaks is dropped instead, so nothing at all is deleted.
void ScreeningEngine::PurgeChecked()
{
    std::vector<PurgeRow> rows;
    {
        std::lock_guard lock(m_mutex);
        rows.swap(m_aPurgeRows);
    }
    m_bPurgeCommitted.store(false, std::memory_order_release);
    PurgeResult result;
    // Row numbers as the user saw them, for what the purge reports.
    std::vector<int> shown;
    shown.reserve(rows.size());
    for (const PurgeRow& row : rows)
        shown.push_back(row.m_nNum);

    const bool bAnyChecked =
        std::any_of(rows.begin(), rows.end(), [](const PurgeRow& row) { return row.m_bChecked && row.m_bAvailable; });
    // The review's session may have been logged out or lost meanwhile.
    const bool bSession = m_connection.IsIdleAndOpen();
    if (!bSession && bAnyChecked && !ReconnectForPurge(rows, result)) {
        {
            std::lock_guard lock(m_textMutex);
            m_purgeResult = result;
        }
        return;
    }

    bool bContinue = true;
    size_t r = 0;
    if (m_connection.CanPipeline())
        r = WalkPipelined(rows, shown, r, result, bContinue);
    for (; r < rows.size() && bContinue; ++r) {
        if (m_bPurgeCancel.load(std::memory_order_acquire))
            break;
        const PurgeRow& row = rows[r];
        PurgeOutcome outcome = LeftAlone(row, shown[r], result);
        if (outcome == PurgeOutcome::kNotChecked && row.m_bChecked) {
            {
                std::lock_guard lock(m_textMutex);
                m_sGridSubject = row.m_sSubject;
                m_sMsgSubject.clear();
            }
            CPop3Message message;
            std::string uidl;
            if (!m_connection.Top(row.m_nNum, message)) {
                outcome = m_connection.IsBroken() ? PurgeOutcome::kBroken : PurgeOutcome::kUnreadable;
                std::lock_guard lock(m_textMutex);
                m_sMsgSubject = "(could not be read again: " + m_connection.GetLastReply() + ")";
            } else {
                const std::string subject = message.GetSubject();
                {
                    std::lock_guard lock(m_textMutex);
                    m_sMsgSubject = subject;
                }
                if (subject != row.m_sSubject) {
                    outcome = PurgeOutcome::kChanged;
                } else if (!row.m_sUidl.empty()
                           && (!m_connection.UidlOf(row.m_nNum, uidl) || uidl != row.m_sUidl)) {
                    outcome = m_connection.IsBroken() ? PurgeOutcome::kBroken : PurgeOutcome::kIdChanged;
                    std::lock_guard lock(m_textMutex);
                    m_sMsgSubject = subject + " (another message: its id on the server has changed)";
                } else if (m_bPurgeCancel.load(std::memory_order_acquire)) {
                    break;
                } else if (!KeepCopy(row.m_nNum)) {
                    // The copy the user asked for failed: no DELE, the purge goes on.
                    outcome = m_connection.IsBroken() ? PurgeOutcome::kBroken : PurgeOutcome::kNotKept;
                    if (outcome == PurgeOutcome::kNotKept)
                        result.m_aNotKept.push_back(shown[r]);
                } else {
                    outcome = DeleOutcome(m_connection.Dele(row.m_nNum), row, shown[r], result);
                }
            }
            if (outcome == PurgeOutcome::kChanged || outcome == PurgeOutcome::kUnreadable
                || outcome == PurgeOutcome::kIdChanged)
                result.m_aChanged.push_back(shown[r]);
        }
        // wParam as it always was: 1 for a checked row deleted or stopped
        // on, 0 for one left alone or refused.
        const bool bStops = outcome == PurgeOutcome::kChanged || outcome == PurgeOutcome::kUnreadable
                            || outcome == PurgeOutcome::kIdChanged || outcome == PurgeOutcome::kBroken;
        if (bStops)
            bContinue = false;
        const long wParam = outcome == PurgeOutcome::kMarked || (bStops && outcome != PurgeOutcome::kBroken);
        {
            std::lock_guard lock(m_textMutex);
            m_nLastOutcome = outcome;
        }
        Post(WM_PURGE_PROGRESS, wParam, bContinue ? 1 : 0);
    }
    // Checked rows after the stop are not deleted either.
    if (!bContinue && !m_connection.IsBroken())
        for (; r < rows.size(); ++r)
            if (rows[r].m_bChecked && rows[r].m_bAvailable)
                result.m_aChanged.push_back(shown[r]);

    if (m_connection.IsBroken()) {
        result.m_bBroken = true;
        result.m_sReason = m_connection.BreakReason();
    } else if (m_bPurgeCancel.load(std::memory_order_acquire)) {
        result.m_bCancelled = true;
        // RSET unmarks every message this session marked as deleted (RFC
        // 1939 §5), so the QUIT that follows removes nothing. When RSET is
        // refused, a QUIT would remove what is still marked: the session is
        // dropped instead, which removes nothing either (RFC 1939 §6).
        if (!m_connection.Rset()) {
            std::lock_guard lock(m_textMutex);
            m_sReply = m_connection.GetLastReply();
            m_connection.Drop();
        } else if (!m_connection.Quit()) {
            std::lock_guard lock(m_textMutex);
            m_sReply = m_connection.GetLastReply();
        }
    } else if (m_connection.Quit()) {
        result.m_bCommitted = true;
        m_bPurgeCommitted.store(true, std::memory_order_release);
    } else {
        result.m_sReason = m_connection.IsBroken() ? m_connection.BreakReason() : m_connection.GetLastReply();
        std::lock_guard lock(m_textMutex);
        m_sReply = result.m_sReason;
    }
    m_connection.Drop();
    std::lock_guard lock(m_textMutex);
    m_purgeResult = std::move(result);
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

// PurgeThread: the row's outcome is known; WM_PURGE_PROGRESS as the
// sequential walk posts it.
void ScreeningEngine::PostProgress(PurgeOutcome outcome, bool& bContinue)
{
    const bool bStops = outcome == PurgeOutcome::kChanged || outcome == PurgeOutcome::kUnreadable
                        || outcome == PurgeOutcome::kIdChanged || outcome == PurgeOutcome::kBroken;
    if (bStops)
        bContinue = false;
    const long wParam = outcome == PurgeOutcome::kMarked || (bStops && outcome != PurgeOutcome::kBroken);
    {
        std::lock_guard lock(m_textMutex);
        m_nLastOutcome = outcome;
    }
    Post(WM_PURGE_PROGRESS, wParam, bContinue ? 1 : 0);
}

// PurgeThread, on a session whose server lists PIPELINING. In one session
// the messages cannot change (RFC 1939 §6), so every checked row is read
// again first (TOP n 0 and UIDL n, pipelined), then the DELEs of the rows
// before the first difference go out, pipelined: the same deletions, the
// same stop and the same progress, row by row, as the sequential walk. A
// session that breaks while the rows are read again has marked nothing.
size_t ScreeningEngine::WalkPipelined(const std::vector<PurgeRow>& rows, const std::vector<int>& shown,
                                      size_t first, PurgeResult& result, bool& bContinue)
{
    // What reading a row again showed.
    struct Reread {
        size_t m_nRow;
        bool m_bRead = false;     // TOP answered +OK
        bool m_bIdOk = true;      // no UIDL to check, or UIDL n answered and matched
        bool m_bBroken = false;   // the session broke on this row's replies
        std::string m_sSubject = {};  // the Subject now, or the refusal's text
    };
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

    // Every row read again, a window of commands ahead of the replies; after
    // the first difference nothing more is asked.
    size_t nSent = 0, nRead = 0;
    bool bDiffered = false;
    while (nRead < rereads.size() && !m_bPurgeCancel.load(std::memory_order_acquire)) {
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
        std::string uidl;
        if (!row.m_sUidl.empty() && !m_connection.IsBroken())
            reread.m_bIdOk = m_connection.ReadUidlOf(row.m_nNum, uidl) && uidl == row.m_sUidl;
        reread.m_bBroken = m_connection.IsBroken();
        if (reread.m_bBroken)
            break;
        bDiffered = bDiffered || !reread.m_bRead || reread.m_sSubject != row.m_sSubject || !reread.m_bIdOk;
    }
    if (!m_connection.IsBroken() && !m_connection.SkipReplies())
        rereads[std::min(nRead, rereads.size() - 1)].m_bBroken = true;
    if (m_bPurgeCancel.load(std::memory_order_acquire))
        return first;
    // Rows past the last one read are not reached: the walk stops before.
    rereads.resize(nRead);

    // The DELEs, a window ahead, for the rows read again without a
    // difference; the progress row by row as the sequential walk posts it.
    const auto clean = [&](const Reread& reread) {
        return !reread.m_bBroken && reread.m_bRead && reread.m_bIdOk
               && reread.m_sSubject == rows[reread.m_nRow].m_sSubject;
    };
    size_t nDeleSent = 0, nDeleRead = 0, nNext = 0;
    size_t r = first;
    for (; r < end && bContinue; ++r) {
        if (m_bPurgeCancel.load(std::memory_order_acquire)) {
            // RSET follows: the DELEs in flight are read and undone with it.
            if (!m_connection.SkipReplies())
                result.m_bBroken = true;
            return r;
        }
        const PurgeRow& row = rows[r];
        PurgeOutcome outcome = LeftAlone(row, shown[r], result);
        if (outcome == PurgeOutcome::kNotChecked && row.m_bChecked) {
            if (nNext >= rereads.size()) {
                // The replies ended before this row: the session broke.
                outcome = PurgeOutcome::kBroken;
            } else {
                const Reread& reread = rereads[nNext++];
                {
                    std::lock_guard lock(m_textMutex);
                    m_sGridSubject = row.m_sSubject;
                    m_sMsgSubject = reread.m_bRead ? reread.m_sSubject
                                                   : "(could not be read again: " + reread.m_sSubject + ")";
                }
                if (reread.m_bBroken) {
                    outcome = PurgeOutcome::kBroken;
                } else if (!reread.m_bRead) {
                    outcome = PurgeOutcome::kUnreadable;
                } else if (reread.m_sSubject != row.m_sSubject) {
                    outcome = PurgeOutcome::kChanged;
                } else if (!reread.m_bIdOk) {
                    outcome = PurgeOutcome::kIdChanged;
                    std::lock_guard lock(m_textMutex);
                    m_sMsgSubject = reread.m_sSubject + " (another message: its id on the server has changed)";
                } else {
                    // This row's DELE and those of the clean rows after it,
                    // topped up once half the window has been read.
                    if (nDeleSent == nDeleRead
                        || (nDeleSent - nDeleRead < static_cast<size_t>(kPipelineWindow) / 2
                            && nDeleSent < rereads.size())) {
                        for (nDeleSent = std::max(nDeleSent, nNext - 1);
                             nDeleSent < rereads.size() && clean(rereads[nDeleSent])
                             && nDeleSent - nDeleRead < static_cast<size_t>(kPipelineWindow)
                             && m_connection.QueueDele(rows[rereads[nDeleSent].m_nRow].m_nNum);
                             ++nDeleSent) {
                        }
                        m_connection.SendQueued();
                    }
                    ++nDeleRead;
                    outcome = DeleOutcome(m_connection.ReadDele(row.m_nNum), row, shown[r], result);
                }
            }
            if (outcome == PurgeOutcome::kChanged || outcome == PurgeOutcome::kUnreadable
                || outcome == PurgeOutcome::kIdChanged)
                result.m_aChanged.push_back(shown[r]);
        }
        PostProgress(outcome, bContinue);
    }
    return r;
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

// PurgeThread: what the answer to a row's DELE makes of it.
PurgeOutcome ScreeningEngine::DeleOutcome(bool bAccepted, const PurgeRow& row, int nShown, PurgeResult& result)
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
    std::lock_guard lock(m_textMutex);
    m_sReply = m_connection.GetLastReply();
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
    Post(WM_SESSION_CHECKED, bAlive ? 1 : 0, m_bCanReconnect.load(std::memory_order_acquire) ? 1 : 0);
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
    const bool bOk = !end.m_bRsetRefused && !end.m_bQuitRefused;
    {
        std::lock_guard lock(m_textMutex);
        m_sessionEnd = std::move(end);
    }
    Post(WM_SESSION_ENDED, bOk ? 1 : 0, 0);
}

// UI thread.
void ScreeningEngine::StartScan(const Account& account, const FilterLists& lists)
{
    bool bAbort = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_bQuitting.load(std::memory_order_acquire))
            return;
        m_account = account;
        m_lists = lists;
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
    m_bPurgeCancel.store(true, std::memory_order_release);
}

bool ScreeningEngine::PurgeCommitted() const
{
    return m_bPurgeCommitted.load(std::memory_order_acquire);
}

PurgeResult ScreeningEngine::LastPurge() const
{
    std::lock_guard lock(m_textMutex);
    return m_purgeResult;
}

SessionEnd ScreeningEngine::LastSessionEnd() const
{
    std::lock_guard lock(m_textMutex);
    return m_sessionEnd;
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
        // Session jobs other than a purge are cut short; nothing they do
        // matters once the owner leaves, and the server deletes nothing on a
        // dropped session.
        if (m_nRunningJob != Job::kPurge && m_bPurgeBusy.load(std::memory_order_acquire))
            bAbort = true;
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

std::string ScreeningEngine::Status() const
{
    std::lock_guard lock(m_textMutex);
    return m_sStatus;
}

std::string ScreeningEngine::GridSubject() const
{
    std::lock_guard lock(m_textMutex);
    return m_sGridSubject;
}

std::string ScreeningEngine::MsgSubject() const
{
    std::lock_guard lock(m_textMutex);
    return m_sMsgSubject;
}

std::string ScreeningEngine::Reply() const
{
    std::lock_guard lock(m_textMutex);
    return m_sReply;
}

PurgeOutcome ScreeningEngine::LastOutcome() const
{
    std::lock_guard lock(m_textMutex);
    return m_nLastOutcome;
}

// ScanThread: the connection phase is over, in success or failure. The
// owner's 30-second wait ends on WM_SCAN_ANSWERED at once.
void ScreeningEngine::SetAnswered()
{
    std::lock_guard lock(m_mutex);
    m_bAnswered.store(true, std::memory_order_release);
    if (!m_bStop.load(std::memory_order_acquire))
        Post(WM_SCAN_ANSWERED, 0, 0);
}

void ScreeningEngine::SetStatus(const std::string& text)
{
    std::lock_guard lock(m_textMutex);
    m_sStatus = text;
}

void ScreeningEngine::Post(unsigned message, long wParam, long lParam)
{
    m_listener.PostMessage(message, wParam, lParam);
}

// UI thread.
void ScreeningEngine::SetQuarantine(QuarantineOptions options)
{
    std::lock_guard lock(m_mutex);
    m_quarantine = std::move(options);
}

// PurgeThread: RETR n into the Maildir before DELE n. A message larger than
// asked for is deleted without a copy; one whose size is unknown is not
// deleted at all.
bool ScreeningEngine::KeepCopy(int n)
{
    QuarantineOptions options;
    {
        std::lock_guard lock(m_mutex);
        options = m_quarantine;
    }
    if (options.m_nMaxBytes == 0)
        return true;
    const auto fail = [this](const std::string& why) {
        std::lock_guard lock(m_textMutex);
        m_sReply = why;
        return false;
    };
    uint64_t size = 0;
    if (!m_connection.GetSize(n, size))
        return fail("No copy kept: the server gives no size for the message.");
    if (size > options.m_nMaxBytes)
        return true;
    // Room for a server whose LIST size is a little short of the message.
    const size_t limit = static_cast<size_t>(options.m_nMaxBytes + options.m_nMaxBytes / 4 + 4096);
    std::string text;
    if (!m_connection.Retr(n, text, limit))
        return fail("No copy kept: the server did not send the message (" + m_connection.GetLastReply() + ").");
    QuarantineMaildir maildir = options.m_sFolder.empty() ? QuarantineMaildir()
                                                          : QuarantineMaildir(options.m_sFolder);
    if (!maildir.Store(text))
        return fail("No copy kept: " + maildir.FailureReason() + ".");
    return true;
}
