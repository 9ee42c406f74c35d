#include "ScreeningEngine.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <utility>

#include "filters/Classify.h"
#include "platform/Trace.h"
#include "screening/ReadableRow.h"
#include "screening/RowBuilder.h"

namespace {

// The dump file every scan that gets past its first LIST writes, in the
// current directory.
constexpr const char* kDumpFile = "message.txt";
// CR LF CR LF, twenty asterisks, CR LF CR LF: 28 bytes ahead of every record.
constexpr char kDumpSeparator[] = "\r\n\r\n********************\r\n\r\n";
static_assert(sizeof(kDumpSeparator) - 1 == 28);

// How long StartScan waits for a stopped scan to unwind. Its pending read is
// woken by the stop, so it normally ends at once; only a host look-up that
// cannot be interrupted holds it longer, and then the new scan is started by
// ScanThread itself as soon as the old one has ended.
constexpr std::chrono::milliseconds kUnwindBudget{5000};

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

// Created or truncated, private to the user: the dump holds every header of
// the mailbox. Fully buffered; fclose flushes it on every path.
std::FILE* OpenDump()
{
    const int fd = ::open(kDumpFile, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        return nullptr;
    }
    std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
    return file;
}

// One record: separator, "message %d, length is%d\n", "\n", the header text
// (the message object already ends it at its first NUL), "\n\n". Returns
// where the header text starts in the file ("View Headers" reads it there).
long long WriteRecord(std::FILE* file, int n, uint32_t size, const std::string& text)
{
    std::fwrite(kDumpSeparator, 1, sizeof(kDumpSeparator) - 1, file);
    std::fprintf(file, "message %d, length is%u\n", n, static_cast<unsigned>(size));
    std::fputc('\n', file);
    const long long at = std::ftell(file);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fwrite("\n\n", 1, 2, file);
    return at;
}

}  // namespace

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
    // The handle is published before the thread runs, so the thread's own
    // clearing of it as it ends can never be overwritten.
    m_pScanThread.store(&m_scanThread, std::memory_order_release);
    m_scanThread = std::thread(&ScreeningEngine::ScanThread, this);
    m_pPurgeThread.store(&m_purgeThread, std::memory_order_release);
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
            e.m_bScanBusy.store(true, std::memory_order_release);
            if (e.m_bQuitting.load(std::memory_order_acquire))
                e.m_bStop.store(true, std::memory_order_release);
        }
        const int result = e.ScanHeaders();
        // A stop that came in the middle of the log-in can leave a session
        // the stop's QUIT never reached; the maildrop stays locked by the
        // server while it is open (RFC 1939 §8), so end it here.
        if (e.m_bStop.load(std::memory_order_acquire) && e.m_connection.IsConnected())
            e.m_connection.Quit();
        e.m_hScanRun.Reset();
        {
            std::lock_guard lock(e.m_mutex);
            // Posted under the lock Stop takes: once Stop has returned, no
            // WM_SCAN_DONE of the stopped scan can reach the owner.
            if (!e.m_bStop.load(std::memory_order_acquire))
                e.Post(WM_SCAN_DONE, result, 0);
            if (e.m_bScanPending && !e.m_bQuitting.load(std::memory_order_acquire)) {
                // StartScan gave up waiting for this (stopped) scan to end:
                // start the new one now.
                e.m_bScanPending = false;
                e.m_bStop.store(false, std::memory_order_release);
                e.m_bAnswered.store(false, std::memory_order_release);
                e.m_bRowPending.store(false, std::memory_order_release);
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
        e.m_pScanThread.store(nullptr, std::memory_order_release);
    }
    e.m_changed.notify_all();
}

// PurgeThread: the same loop around PurgeChecked; WM_PURGE_DONE always.
void ScreeningEngine::PurgeThread(ScreeningEngine* pEngine)
{
    ScreeningEngine& e = *pEngine;
    for (;;) {
        if (platform::WaitForPair(e.m_hPurgeQuit, e.m_hPurgeRun) == 0)
            break;
        e.PurgeChecked();
        e.m_hPurgeRun.Reset();
        e.Post(WM_PURGE_DONE, 0, 0);
        {
            std::lock_guard lock(e.m_mutex);
            e.m_bPurgeBusy.store(false, std::memory_order_release);
        }
        e.m_changed.notify_all();
    }
    {
        std::lock_guard lock(e.m_mutex);
        e.m_bPurgeEnded.store(true, std::memory_order_release);
        e.m_pPurgeThread.store(nullptr, std::memory_order_release);
    }
    e.m_changed.notify_all();
}

// ScanThread. Returns 0 when the scan ran to its end, was stopped or found no
// mail, -1 when it failed; m_sStatus says why for the user.
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

    if (m_bStop.load(std::memory_order_acquire)) {
        SetAnswered();
        return 0;
    }

    // A security setting we do not know must not be taken for plain text.
    CPop3Connection::Security security = CPop3Connection::Security::kNone;
    if (!CPop3Connection::ParseSecurity(account.m_sSecurity, security)) {
        SetStatus("Unknown connection security setting \"" + account.m_sSecurity
                  + "\": choose one under Manage Account.");
        SetAnswered();
        return -1;
    }
    m_connection.SetSecurity(security, account.m_sTlsFingerprint);
    const int port = ParsePort(account.m_sPort);
    if (port == 0 || !m_connection.Login(account.m_sServer, account.m_sUser, account.m_sPass, port)) {
        // A connection that could not be secured says why; every other
        // failure keeps its old summary.
        const std::string reason = port == 0 ? std::string() : m_connection.GetFailureReason();
        SetStatus(reason.empty() ? std::string("Server Not Found") : reason);
        SetAnswered();
        return -1;
    }

    // Stopped while logging in: the thread loop ends the session; the dump
    // of the last scan is left as it is.
    if (m_bStop.load(std::memory_order_acquire)) {
        SetAnswered();
        return 0;
    }

    int count = 0, total = 0;
    if (!m_connection.Stat(count, total) || count < 0) {
        SetStatus("Server Refused STAT Response");
        SetAnswered();
        return -1;
    }
    m_nMsgCount.store(count, std::memory_order_release);
    if (count == 0) {
        SetStatus("No emails waiting for you at the Server");
        SetAnswered();
        return 0;
    }

    uint32_t size = 0;
    if (!m_connection.GetSize(1, size)) {
        SetAnswered();
        return -1;
    }

    std::FILE* dump = OpenDump();
    if (!dump) {
        SetStatus("Failed to write message to file");
        SetAnswered();
        return -1;
    }

    SetAnswered();
    {
        std::lock_guard lock(m_mutex);
        m_bRowPending.store(false, std::memory_order_release);
    }

    CPop3Message message;                   // reused: a failed TOP keeps the last text
    int result = 0;
    for (int n = 1; n <= count && !m_bStop.load(std::memory_order_acquire); ++n) {
        {
            // At most one row in flight: the next message is not fetched
            // until the owner has taken the last row (or stopped the scan).
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] {
                return !m_bRowPending.load(std::memory_order_acquire)
                       || m_bStop.load(std::memory_order_acquire);
            });
            if (m_bStop.load(std::memory_order_acquire))
                break;
        }

        std::string uidl;
        if (!m_connection.GetUidl(n, uidl)) {
            result = -1;
            break;
        }
        // A LIST shorter than the STAT count leaves this number without a
        // size: the server contradicts itself, so the scan fails here rather
        // than show a row with a made-up size.
        if (!m_connection.GetSize(n, size)) {
            result = -1;
            break;
        }
        m_connection.Top(n, message);
        // A stop wakes the read above; its empty result must not reach the
        // dump as if it were this message's header.
        if (m_bStop.load(std::memory_order_acquire))
            break;

        const long long headerAt = WriteRecord(dump, n, size, message.Text());

        MessageRow row = BuildMessageRow(n, size, message);
        AddReadableTexts(row);
        row.m_sUidl = uidl;
        row.m_nHeaderAt = headerAt;
        row.m_nHeaderLength = message.Text().size();
        const int suspect = ClassifyRow(lists, row);
        int repeat = 0;
        if (m_nLastNum == n)
            repeat = 1;
        else
            m_nLastNum = n;

        {
            std::lock_guard lock(m_mutex);
            if (m_bStop.load(std::memory_order_acquire))
                break;
            m_row = std::move(row);
            m_nRowSuspect = suspect;
            m_nRowRepeat = repeat;
            m_bRowPending.store(true, std::memory_order_release);
        }
        // Posted outside the lock, so the owner's TakeRow never waits for the
        // post itself. A post that lands after a Stop is harmless: TakeRow
        // refuses every row of a stopped scan.
        Post(WM_SCAN_ROW, suspect, repeat);
    }

    if (std::fclose(dump) != 0)
        platform::Trace("ScanHeaders, could not complete %s\n", kDumpFile);
    return result;
}

// PurgeThread. Walks the snapshot in grid order: per checked row TOP n 0,
// compare the Subject byte for byte with the one the user saw, DELE n on
// equality; the first difference stops the walk. One WM_PURGE_PROGRESS per
// row visited. QUIT at the end in every case: it is what makes the server
// remove the messages marked as deleted (RFC 1939 §6).
void ScreeningEngine::PurgeChecked()
{
    std::vector<PurgeRow> rows;
    {
        std::lock_guard lock(m_mutex);
        rows.swap(m_aPurgeRows);
    }
    m_bPurgeCommitted.store(false, std::memory_order_release);

    bool bContinue = true;
    for (size_t r = 0; r < rows.size() && bContinue; ++r) {
        if (m_bPurgeCancel.load(std::memory_order_acquire))
            break;
        const PurgeRow& row = rows[r];
        int outcome = row.m_bChecked ? 1 : 0;
        if (row.m_bChecked) {
            {
                std::lock_guard lock(m_textMutex);
                m_sGridSubject = row.m_sSubject;
            }
            CPop3Message message;           // fresh: a failed TOP leaves it empty
            m_connection.Top(row.m_nNum, message);
            const std::string subject = message.GetSubject();
            {
                std::lock_guard lock(m_textMutex);
                m_sMsgSubject = subject;
            }
            if (subject == row.m_sSubject) {
                if (m_bPurgeCancel.load(std::memory_order_acquire))
                    break;
                if (!m_connection.Dele(row.m_nNum)) {
                    outcome = 0;
                    std::lock_guard lock(m_textMutex);
                    m_sReply = m_connection.GetLastReply();
                }
            } else {
                bContinue = false;
            }
        }
        Post(WM_PURGE_PROGRESS, outcome, bContinue ? 1 : 0);
    }

    if (m_bPurgeCancel.load(std::memory_order_acquire)) {
        // RSET unmarks every message this session marked as deleted (RFC
        // 1939 §5), so the QUIT that follows removes nothing. When RSET is
        // refused, a QUIT would remove what is still marked: the session is
        // dropped instead, which removes nothing either (RFC 1939 §6).
        if (!m_connection.Rset()) {
            std::lock_guard lock(m_textMutex);
            m_sReply = m_connection.GetLastReply();
            m_connection.Drop();
            return;
        }
        if (!m_connection.Quit()) {
            std::lock_guard lock(m_textMutex);
            m_sReply = m_connection.GetLastReply();
        }
        return;
    }
    if (m_connection.Quit()) {
        m_bPurgeCommitted.store(true, std::memory_order_release);
    } else {
        std::lock_guard lock(m_textMutex);
        m_sReply = m_connection.GetLastReply();
    }
}

// UI thread.
void ScreeningEngine::StartScan(const Account& account, const FilterLists& lists)
{
    std::unique_lock lock(m_mutex);
    if (m_bQuitting.load(std::memory_order_acquire))
        return;
    if (m_bScanBusy.load(std::memory_order_acquire)) {
        // An earlier scan is still under way (stopped and unwinding, or left
        // running after its connection phase timed out): it must end first,
        // or the run signal would be swallowed by its run event.
        const bool bWasStopped = m_bStop.load(std::memory_order_acquire);
        StopScanLocked();
        lock.unlock();
        if (!bWasStopped)
            m_connection.Quit();
        lock.lock();
        if (!WaitScanIdle(lock, kUnwindBudget)) {
            m_account = account;
            m_lists = lists;
            m_bScanPending = true;
            return;
        }
    }
    // The purge owns the session until its QUIT.
    m_changed.wait(lock, [this] { return !m_bPurgeBusy.load(std::memory_order_acquire); });
    lock.unlock();
    // A session an earlier scan left logged in (review, keep-alive) ends
    // before the new log-in, so nothing of it can touch the new session.
    if (m_connection.IsConnected())
        m_connection.Quit();
    lock.lock();

    m_account = account;
    m_lists = lists;
    m_bStop.store(false, std::memory_order_release);
    m_bAnswered.store(false, std::memory_order_release);
    m_bRowPending.store(false, std::memory_order_release);
    m_bScanBusy.store(true, std::memory_order_release);
    m_hScanRun.Set();
}

// UI thread, m_mutex held.
bool ScreeningEngine::WaitScanIdle(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds budget)
{
    return m_changed.wait_for(lock, budget,
                              [this] { return !m_bScanBusy.load(std::memory_order_acquire); });
}

// m_mutex held.
void ScreeningEngine::StopScanLocked()
{
    m_bStop.store(true, std::memory_order_release);
    m_bRowPending.store(false, std::memory_order_release);
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
    {
        std::lock_guard lock(m_mutex);
        StopScanLocked();
    }
    m_connection.Quit();
}

// UI thread.
void ScreeningEngine::AbandonScan()
{
    Stop();
}

// UI thread.
bool ScreeningEngine::TakeRow(MessageRow& row)
{
    int nSuspect = 0, nRepeat = 0;
    return TakeRow(row, nSuspect, nRepeat);
}

bool ScreeningEngine::TakeRow(MessageRow& row, int& nSuspect, int& nRepeat)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_bStop.load(std::memory_order_acquire) || !m_bRowPending.load(std::memory_order_acquire))
            return false;
        row = m_row;
        nSuspect = m_nRowSuspect;
        nRepeat = m_nRowRepeat;
        m_bRowPending.store(false, std::memory_order_release);
    }
    m_changed.notify_all();
    return true;
}

// UI thread.
void ScreeningEngine::StartPurge(std::vector<PurgeRow> rows)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_bPurgeBusy.load(std::memory_order_acquire) || m_bQuitting.load(std::memory_order_acquire))
            return;                         // a purge already runs: no effect
        m_aPurgeRows = std::move(rows);
        m_bPurgeCancel.store(false, std::memory_order_release);
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

// UI thread.
void ScreeningEngine::SignalQuit()
{
    bool bStopScan = false;
    {
        std::lock_guard lock(m_mutex);
        m_bQuitting.store(true, std::memory_order_release);
        if (m_bScanBusy.load(std::memory_order_acquire) && !m_bStop.load(std::memory_order_acquire)) {
            StopScanLocked();
            bStopScan = true;
        }
        m_bScanPending = false;
    }
    m_hScanQuit.Set();
    m_hPurgeQuit.Set();
    if (bStopScan)
        m_connection.Quit();
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
