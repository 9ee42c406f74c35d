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
    WM_SCAN_ROW = WM_APP + 0x0D,       // wParam: suspect 1/0; lParam: repeat 1/0
    WM_PURGE_DONE = WM_APP + 0x0E,     // 0, 0
    WM_PURGE_PROGRESS = WM_APP + 0x0F, // wParam: outcome; lParam: 1 continue / 0 stopped on mismatch
    WM_SCAN_ANSWERED = WM_APP + 0x10,  // the scan's connection phase ended (IsAnswered() is true)
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

// One grid row as the purge sees it: taken by the UI thread when the purge
// starts, so the purge never reads a widget.
struct PurgeRow {
    int m_nNum;
    bool m_bChecked;
    std::string m_sSubject;
};

// The screening job without a window: the header scan and the purge, each on
// a long-lived worker thread, sharing one POP3 connection.
//
// Threads: "UI" is whichever single thread owns the engine (the Qt view's
// thread, or the command-line front end's main thread); ScanThread and
// PurgeThread are the two workers. Each public method says who may call it.
class ScreeningEngine {
public:
    explicit ScreeningEngine(IScreeningListener& listener);
    ~ScreeningEngine();                       // quits both threads and joins them
    ScreeningEngine(const ScreeningEngine&) = delete;
    ScreeningEngine& operator=(const ScreeningEngine&) = delete;

    // UI: creates the four events (reset) and starts ScanThread, then PurgeThread.
    void StartThreads();

    // UI: copies the account and the lists (the scan classifies with its own
    // copy), stops a scan still under way and waits (up to 5 s; it normally
    // ends at once) for it to unwind, waits for a running purge to end, quits
    // a session left logged in by an earlier scan, clears m_bAnswered and
    // m_bStop, signals m_hScanRun. Should the old scan outlast the wait (a
    // host look-up cannot be interrupted), ScanThread starts the new scan
    // itself as soon as the old one has ended: a new scan is never lost.
    void StartScan(const Account& account, const FilterLists& lists);
    // UI: the scan's connection phase has ended (success or failure).
    bool IsAnswered() const;
    // UI: a scan has been asked for and has not yet ended (stopped or not).
    bool IsScanning() const;
    // UI: m_bStop, wakes the row hand-over, quits the connection (a read
    // pending on ScanThread fails at once). No WM_SCAN_DONE follows; a row
    // posted in the meantime is refused by TakeRow.
    void Stop();
    // UI, once per WM_SCAN_ROW: copies the row and clears m_bRowPending so the
    // scan fetches the next message. False = no row to take (a row of a
    // stopped or abandoned scan): drop it. The second form also hands back
    // the flags stored with the row, which always belong to the row taken.
    bool TakeRow(MessageRow& row);
    bool TakeRow(MessageRow& row, int& nSuspect, int& nRepeat);
    // UI: "Protocol Error - restart": the scan is stopped as by Stop and no
    // further row of it is delivered, whatever the timing.
    void AbandonScan();

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

    // UI: signals m_hScanQuit and m_hPurgeQuit; a running scan is stopped so
    // shutdown never waits on the network. A running purge finishes its job.
    void SignalQuit();
    bool ScanEnded() const;
    bool PurgeEnded() const;
    // UI: waits until both threads have ended, one shared budget.
    bool WaitEnded(std::chrono::milliseconds budget);

    // UI: the keep-alive's Noop, Cancel's Rset/Quit, IsConnected.
    CPop3Connection& Connection();

    // UI: read after the notification that follows their write.
    int MsgCount() const;
    std::string Status() const;
    std::string GridSubject() const;
    std::string MsgSubject() const;
    std::string Reply() const;

private:
    static void ScanThread(ScreeningEngine* pEngine);
    static void PurgeThread(ScreeningEngine* pEngine);
    int ScanHeaders();
    void PurgeChecked();
    void StopScanLocked();                    // m_mutex held
    bool WaitScanIdle(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds budget);
    void SetAnswered();
    void SetStatus(const std::string& text);
    void Post(unsigned message, long wParam, long lParam);

    IScreeningListener& m_listener;
    CPop3Connection m_connection;

    platform::ManualResetEvent m_hScanQuit, m_hScanRun;
    platform::ManualResetEvent m_hPurgeQuit, m_hPurgeRun;
    std::thread m_scanThread, m_purgeThread;
    // Set when a thread starts, cleared by the thread itself as it ends.
    std::atomic<std::thread*> m_pScanThread{nullptr};
    std::atomic<std::thread*> m_pPurgeThread{nullptr};
    std::atomic<bool> m_bScanEnded{false};
    std::atomic<bool> m_bPurgeEnded{false};

    // One lock for the job hand-offs and the row slot; m_changed wakes every
    // wait on them. WM_SCAN_DONE and WM_SCAN_ANSWERED are posted under it, so
    // neither is posted once Stop has returned.
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    // The texts the owner reads (may be taken under m_mutex, never the reverse),
    // so the getters may be called from inside PostMessage.
    mutable std::mutex m_textMutex;

    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bAnswered{false};
    std::atomic<bool> m_bRowPending{false};
    std::atomic<bool> m_bScanBusy{false};      // ScanHeaders is running
    std::atomic<bool> m_bPurgeBusy{false};     // PurgeChecked is running
    std::atomic<bool> m_bQuitting{false};
    std::atomic<bool> m_bPurgeCancel{false};
    std::atomic<bool> m_bPurgeCommitted{false};
    std::atomic<int> m_nMsgCount{0};
    bool m_bScanPending = false;              // a scan to start once the stopped one ended (m_mutex)

    // The scan's inputs, copied by StartScan (m_mutex).
    Account m_account;
    FilterLists m_lists;
    // The row in flight and its flags (m_mutex).
    MessageRow m_row;
    int m_nRowSuspect = 0, m_nRowRepeat = 0;
    int m_nLastNum = 0;                       // ScanThread only
    // Texts the UI reads after a notification (m_textMutex).
    std::string m_sStatus;
    std::string m_sGridSubject, m_sMsgSubject, m_sReply;
    // The purge's snapshot (m_mutex).
    std::vector<PurgeRow> m_aPurgeRows;
};
