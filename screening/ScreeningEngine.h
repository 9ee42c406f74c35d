#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "filters/FilterLists.h"
#include "platform/Event.h"
#include "pop3/Pop3Connection.h"
#include "pop3/Pop3Message.h"
#include "screening/MessageRow.h"

// Notification numbers, kept from the days when the workers posted window
// messages; the owner's listener turns them into whatever its loop uses.
enum : unsigned {
    WM_APP = 0x8000,
    WM_SCAN_DONE = WM_APP + 0x0C,      // wParam: result 0 / -1; not posted after a stop
    WM_SCAN_ROW = WM_APP + 0x0D,       // rows wait for TakeRows (posted when the queue turns non-empty)
    WM_PURGE_DONE = WM_APP + 0x0E,     // 0, 0; LastPurge() has the summary
    WM_PURGE_PROGRESS = WM_APP + 0x0F, // wParam: outcome; lParam: 1 continue / 0 stopped
    WM_SCAN_ANSWERED = WM_APP + 0x10,  // the scan's connection phase ended (IsAnswered() is true)
    WM_SESSION_CHECKED = WM_APP + 0x11, // after KeepAlive: wParam 1 alive / 0 gone; lParam: 1 = a
                                        // purge can log in again and find the rows by UIDL
    WM_SESSION_ENDED = WM_APP + 0x12,  // after EndSession: wParam 1 = every step accepted / 0;
                                       // LastSessionEnd() says which was refused
};

class IScreeningListener {
public:
    virtual ~IScreeningListener() = default;
    // Called on a worker thread; must only queue (message, wParam, lParam) for
    // the owner's thread (the Qt view: QMetaObject::invokeMethod(...,
    // Qt::QueuedConnection)). It must deliver in the order posted. Inside the
    // call only the getters (MsgCount, IsAnswered, Status, GridSubject,
    // MsgSubject, Reply) may be used: they then show the texts that belong to
    // exactly this notification.
    virtual void PostMessage(unsigned message, long wParam, long lParam) = 0;
};

struct Account {
    std::string m_sServer, m_sUser, m_sPass, m_sPort;
    // As the settings store them: "0" plain text, "1" STLS, "2" implicit
    // TLS (CPop3Connection::ParseSecurity); and the SHA-256 fingerprint of a
    // server certificate to trust even when it does not verify, or empty.
    std::string m_sSecurity = "0";
    std::string m_sTlsFingerprint = "";
};

// One scanned row with its flags, as the owner takes it.
struct ScanRow {
    MessageRow m_row;
    int m_nSuspect = 0;  // 1: a filter matched, pre-check it
    int m_nRepeat = 0;   // 1: the server numbered two messages alike
};

// One grid row as the purge sees it: taken by the UI thread when the purge
// starts, so the purge never reads a widget.
struct PurgeRow {
    int m_nNum;
    bool m_bChecked;
    std::string m_sSubject;    // raw bytes, as the scan read them
    std::string m_sUidl = {};  // the scan's UIDL for the message; empty: none
    bool m_bAvailable = true;  // false: the server refused to show it, so it is never deleted
};

// What the purge did with one row.
enum class PurgeOutcome {
    kNotChecked,    // left alone
    kMarked,        // DELE accepted; gone once QUIT is accepted
    kRefused,       // DELE refused; the purge goes on
    kChanged,       // the Subject differs: stopped here
    kUnreadable,    // the server refused to show the message again: stopped here
    kIdChanged,     // the UIDL differs: another message has this number now; stopped here
    kGone,          // on a new session, no message has the row's UIDL: already removed
    kUnidentified,  // on a new session, the row has no UIDL to find it by: left alone
    kUnavailable,   // the scan could not read it, so nobody saw it: left alone
    kBroken,        // replies no longer pair with commands: session dropped, nothing deleted
    kNotKept,       // the copy asked for could not be kept, so no DELE; the purge goes on
};

// The end of one purge, for the owner after WM_PURGE_DONE.
struct PurgeResult {
    bool m_bCommitted = false;   // QUIT accepted: the marked messages are gone
    bool m_bBroken = false;      // dropped without QUIT: nothing was deleted
    bool m_bCancelled = false;
    bool m_bReconnected = false; // the review's session was gone; a new one was opened
    // Nothing was tried: the session was gone and could not be replaced.
    std::string m_sNotStarted;
    std::string m_sReason;       // why the session broke, or the failed QUIT's reply
    std::vector<int> m_aMarked;        // row numbers marked deleted (gone when committed)
    std::vector<int> m_aRefused;       // DELE refused
    std::vector<int> m_aChanged;       // the row stopped on, then every checked row after it
    std::vector<int> m_aGone;          // already removed (new session)
    std::vector<int> m_aLeft;          // unavailable or unidentified: never tried
    std::vector<int> m_aNotKept;       // no copy could be kept: not deleted
    int m_nWithoutId = 0;              // marked on the Subject check alone (no usable UIDL)
};

// "N deleted, M refused by the server, K not deleted (changed on the server)",
// and what else the user must know.
std::string PurgeSummaryText(const PurgeResult& result);

// Copies of the checked messages, kept before their DELE (off unless the
// user asks for it): messages of at most m_nMaxBytes (LIST size) are
// fetched with RETR into the Maildir; a copy that fails means no DELE.
struct QuarantineOptions {
    uint64_t m_nMaxBytes = 0;      // 0: no copies
    std::string m_sFolder;         // the Maildir; empty: QuarantineMaildir's usual place
};

// The end of EndSession, for the owner after WM_SESSION_ENDED.
struct SessionEnd {
    bool m_bRsetRefused = false;
    bool m_bQuitRefused = false;
    std::string m_sRsetReply, m_sQuitReply;
};

// The screening job without a window: the header scan, and the jobs on the
// session it leaves open (keep-alive, the purge, the end of the session),
// each on a long-lived worker thread sharing one POP3 connection. The
// engine owns the session: its owner never touches the network, so no
// call here waits on a server.
//
// Threads: "UI" is whichever single thread owns the engine (the Qt view's
// thread, or the command-line front end's main thread); ScanThread runs
// scans and PurgeThread the session jobs; they take turns on the
// connection. Each public method says who may call it.
class ScreeningEngine {
public:
    explicit ScreeningEngine(IScreeningListener& listener);
    ~ScreeningEngine();                       // quits both threads and joins them
    ScreeningEngine(const ScreeningEngine&) = delete;
    ScreeningEngine& operator=(const ScreeningEngine&) = delete;

    // UI: creates the four events (reset) and starts ScanThread, then PurgeThread.
    void StartThreads();

    // UI: copies the account and the lists (the scan classifies with its own
    // copy), clears m_bAnswered and m_bStop, signals m_hScanRun. A scan
    // still under way is stopped first; ScanThread then starts the new scan
    // as soon as the old one has ended: a new scan is never lost. A session
    // left open by an earlier scan is ended by the new scan's log-in.
    void StartScan(const Account& account, const FilterLists& lists);
    // UI: the scan's connection phase has ended (success or failure).
    bool IsAnswered() const;
    // UI: a scan has been asked for and has not yet ended (stopped or not).
    bool IsScanning() const;
    // UI: m_bStop, empties the row queue, wakes the scan waiting for room
    // in it and any read pending on the scan's session, which ScanThread
    // then closes. Returns at once. No WM_SCAN_DONE follows; no row of the
    // stopped scan is handed out by TakeRows.
    void Stop();
    // UI, per WM_SCAN_ROW: replaces rows with every row queued, in message
    // order, and makes room for the scan to queue more. False = no row to
    // take (already taken, or the scan was stopped).
    bool TakeRows(std::vector<ScanRow>& rows);
    // The rows the scan queues for its owner before it waits for a take:
    // a few MiB at most, and far more than one wake-up of a busy owner
    // lets pile up. Tests make it smaller.
    static constexpr size_t kMaxQueuedRows = 4096;
    void SetRowQueueLimit(size_t nRows);
    // TOP commands kept outstanding on a server that lists PIPELINING.
    // Measured on a loaded loopback Dovecot: 100 left the server idle
    // whenever the scan lost its CPU for a moment, 1,000 kept pace with a
    // client that sends every command at once. Half a window (about 7 KiB
    // of commands) goes in one write that never waits on the server; the
    // replies in flight stay near 500 KiB for ordinary headers.
    static constexpr int kPipelineWindow = 1000;

    // UI, during the review: NOOP on PurgeThread, so an idle session is not
    // logged out (RFC 1939 §3); WM_SESSION_CHECKED tells how it went. No
    // effect while another session job runs.
    void KeepAlive();
    // UI: ends the review's session on PurgeThread, RSET first when asked
    // (RFC 1939 §5: nothing stays marked), then QUIT; WM_SESSION_ENDED
    // follows. Without a session it follows at once.
    void EndSession(bool bReset);
    // UI: whether a purge could log in again and find the rows of the last
    // scan by their UIDL, should the session be gone (or ended by
    // EndSession without RSET).
    bool CanReconnect() const;

    // UI: the copies later purges keep before each DELE.
    void SetQuarantine(QuarantineOptions options);

    // UI: hands the purge its snapshot of the grid and signals m_hPurgeRun.
    void StartPurge(std::vector<PurgeRow> rows);
    // UI (any thread): ends the running purge before its next command and
    // ends the session with RSET then QUIT, so nothing at all is deleted
    // (RFC 1939 §5 RSET unmarks every message marked as deleted).
    void CancelPurge();
    // UI, after WM_PURGE_DONE: whether the purge's closing QUIT was accepted,
    // i.e. the server entered the UPDATE state and removed the messages
    // marked as deleted (RFC 1939 §6). False after CancelPurge.
    bool PurgeCommitted() const;
    // UI, after WM_PURGE_DONE.
    PurgeResult LastPurge() const;
    // UI, after WM_SESSION_ENDED.
    SessionEnd LastSessionEnd() const;

    // UI: signals m_hScanQuit and m_hPurgeQuit; a running scan or session
    // job is stopped so shutdown never waits on the network. A running
    // purge finishes its job.
    void SignalQuit();
    bool ScanEnded() const;
    bool PurgeEnded() const;
    // UI: waits until both threads have ended, one shared budget.
    bool WaitEnded(std::chrono::milliseconds budget);

    // For tests that drive a session by hand; the owner never uses it.
    CPop3Connection& Connection();

    // UI: read after the notification that follows their write.
    int MsgCount() const;
    std::string Status() const;
    std::string GridSubject() const;
    std::string MsgSubject() const;
    std::string Reply() const;
    // The outcome of the row of the last WM_PURGE_PROGRESS.
    PurgeOutcome LastOutcome() const;

private:
    enum class Job { kNone, kPurge, kKeepAlive, kEndSession, kEndSessionReset };

    static void ScanThread(ScreeningEngine* pEngine);
    static void PurgeThread(ScreeningEngine* pEngine);
    int ScanHeaders();
    // The scan's failure: status text and the end of the connection phase.
    int FailScan(const std::string& status);
    // The reason a broken session gives the user.
    std::string SessionStatus(const std::string& fallback) const;
    void RunJob(Job job);
    void PurgeChecked();
    PurgeOutcome LeftAlone(const PurgeRow& row, int nShown, PurgeResult& result);
    PurgeOutcome DeleOutcome(bool bAccepted, const PurgeRow& row, int nShown, PurgeResult& result);
    void CheckSession();
    void EndSessionJob(bool bReset);
    bool ReconnectForPurge(std::vector<PurgeRow>& rows, PurgeResult& result);
    // The purge's walk with its commands pipelined, from row `first`: every
    // checked row read again first, then the DELEs of the rows before the
    // first difference. Returns the row the sequential walk goes on from.
    size_t WalkPipelined(const std::vector<PurgeRow>& rows, const std::vector<int>& shown, size_t first,
                         PurgeResult& result, bool& bContinue);
    // Whether a checked row needs a step before its DELE (a copy KeepCopy
    // would fetch). From the first row that needs one the walk runs one row
    // at a time.
    bool NeedsStepBeforeDele(const PurgeRow& row);
    void PostProgress(PurgeOutcome outcome, bool& bContinue);
    // The copy of message n asked for by SetQuarantine, kept before its
    // DELE; true when none is asked for. m_sReply says why a copy failed.
    bool KeepCopy(int n);
    void StopScanLocked();                    // m_mutex held
    void SetAnswered();
    void SetStatus(const std::string& text);
    void Post(unsigned message, long wParam, long lParam);

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
    // wait on them. WM_SCAN_DONE and WM_SCAN_ANSWERED are posted under it, so
    // neither is posted once Stop has returned.
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    // The texts the owner reads (may be taken under m_mutex, never the reverse),
    // so the getters may be called from inside PostMessage.
    mutable std::mutex m_textMutex;

    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bAnswered{false};
    std::atomic<bool> m_bScanBusy{false};      // a scan is asked for or running
    std::atomic<bool> m_bPurgeBusy{false};     // a session job is asked for or running
    std::atomic<bool> m_bQuitting{false};
    std::atomic<bool> m_bPurgeCancel{false};
    std::atomic<bool> m_bPurgeCommitted{false};
    std::atomic<bool> m_bCanReconnect{false};
    std::atomic<int> m_nMsgCount{0};
    bool m_bScanPending = false;              // a scan to start once the stopped one ended (m_mutex)
    Job m_nJob = Job::kNone;                  // the session job asked for (m_mutex)
    Job m_nRunningJob = Job::kNone;           // (m_mutex)

    // The scan's inputs, copied by StartScan (m_mutex).
    Account m_account;
    FilterLists m_lists;
    // The account the review's session was opened with, for a purge that
    // must log in again (m_mutex).
    Account m_sessionAccount;
    // The rows queued for the owner, oldest first, and their bound (m_mutex).
    std::vector<ScanRow> m_aRowQueue;
    size_t m_nRowLimit = kMaxQueuedRows;
    int m_nLastNum = 0;                       // ScanThread only
    // Texts the UI reads after a notification (m_textMutex).
    std::string m_sStatus;
    std::string m_sGridSubject, m_sMsgSubject, m_sReply;
    PurgeOutcome m_nLastOutcome = PurgeOutcome::kNotChecked;
    PurgeResult m_purgeResult;
    SessionEnd m_sessionEnd;
    // The purge's snapshot (m_mutex).
    std::vector<PurgeRow> m_aPurgeRows;
    QuarantineOptions m_quarantine;           // (m_mutex)
};
