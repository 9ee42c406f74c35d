#pragma once

#include "core/storage/Filters.h"
#include "gui/review/AccountScreening.h"
#include "gui/review/MessageGridModel.h"
#include "gui/review/RowActions.h"
#include "core/session/ScreeningSession.h"
#include "core/storage/AccountSettings.h"
#include "core/storage/ColumnWidths.h"

#include <QTimer>
#include <QWidget>
#include <array>
#include <optional>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

struct Preferences;
class QConcatenateTablesProxyModel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTreeView;
class PreviewPane;
class SettingsStore;

// What the screening view needs from the window that holds it.
class IMavixFrame {
public:
    virtual ~IMavixFrame() = default;
    // Writes a status-bar pane's text and fits the pane to it.
    virtual bool SetStatusPaneText(int nPane, const QString& text) = 0;
    virtual void SetStatusPaneToolTip(int nPane, const QString& text) = 0;
    // Puts the view's progress bar over status pane 0, or takes it away again.
    virtual void CoverStatusPane(QWidget* pBar) = 0;
    virtual void UncoverStatusPane(QWidget* pBar) = 0;
    // The one-shot start-up timer that later calls the view's OnStartup.
    virtual void ArmStartupTimer() = 0;
    // Asks the window to close, after the current handler has returned.
    virtual void PostClose() = 0;
};

// The screening form: the Show/Stop button, the message grid and the review
// buttons. It drives the screening engine and turns the engine's
// notifications into what the user sees.
//
// Everything here runs on the GUI thread. The engine's workers reach the view
// only through its listener, which queues each notification for this thread.
// The session's flow and which rows are checked are the ScreeningSession's
// to decide: it makes every move and tells the view, which maps each note to
// what is enabled and shown; the view and its grid only render what it says.
//
// With several enabled accounts, the first is the view's own session as
// above and each further one an AccountScreening; an account list beside
// the grid shows each account's counts and status (a failure goes there,
// not into a message box), and "All accounts" shows every account's rows in
// one grid with an Account column. With one account the list and the
// column are hidden and the window is the one-account form.
class CMavixView : public QWidget, private ISessionListener {
    Q_OBJECT
public:
    static constexpr int kColumns = 9;
    static constexpr int kKeepAlivePeriodMs = 60000;
    static constexpr int kAnswerWaitMs = 30000;
    // Rows arriving within this time are shown together.
    static constexpr int kRowFlushMs = 50;
    // Rows the grid makes room for at once; a server's count beyond this
    // (it may lie) only grows the grid as rows really arrive.
    static constexpr int kMaxReservedRows = 200000;
    // The question before a purge names this many Subjects, each cut to
    // kMaxAskedSubject characters (a server's Subject can be any length).
    static constexpr int kMaxAskedSubjects = 5;
    static constexpr int kMaxAskedSubject = 80;
    // The status pane that says how many rows are checked.
    static constexpr int kCheckedPane = 2;

    CMavixView(SettingsStore& settings, IMavixFrame& frame, QWidget* parent = nullptr);
    ~CMavixView() override;

    // Runs once, after the frame has placed itself: columns, workers,
    // account, preferences, filter lists, then the start-up timer.
    void OnInitialUpdate();
    // The start-up action, run once by the frame's start-up timer.
    void OnStartup();

    // Menu commands.
    // The account Edit › Manage Account (F2) edits: the one selected in the
    // account list (under "All accounts", the current row's; with one
    // account, it).
    int SelectedAccount() const;
    // The account as it was edited and stored: its next log-in is with it.
    void ApplyEditedAccount(int nAccount, AccountSettings account);
    // Some account is being scanned, reviewed or purged.
    bool AnyBusy() const;
    // The preferences as they were stored: every account takes them.
    void ApplyPreferences(const Preferences& prefs);
    void OnManageFilters();
    void OnRescanEverything();

    // The close sequence. BeginClose makes the view ignore every later
    // notification and tells both workers to end; WaitForWorkers waits for
    // them within the budget. When they do not end in time, AbandonWorkers
    // lets the program leave without them (they are never killed).
    void BeginClose();
    void StopKeepAlive();
    // A hidden column's width is the one it had before it was hidden.
    std::array<int, kColumns> ColumnWidths() const;
    // The columns the user hid; none (nullopt) while the user never chose,
    // so the settings file gets no key for them.
    const std::optional<std::vector<int>>& HiddenColumns() const { return m_anHidden; }
    // Hides or shows a column (the header's menu, View › Columns); Subject
    // always shows.
    void SetColumnHidden(int nColumn, bool bHidden);
    // One checkable entry per column, as the header's menu and View ›
    // Columns show them.
    void FillColumnsMenu(QMenu* pMenu);
    // The widths OnInitialUpdate gives the columns (the frame's to store).
    void SetStoredColumnWidths(::ColumnWidths widths) { m_storedWidths = std::move(widths); }
    bool WaitForWorkers(std::chrono::milliseconds budget);
    void AbandonWorkers();
    static bool WorkersAbandoned();

    // Background checks: a scan with no review. It logs in, reads the
    // headers, quits and keeps the rows, with no dialog on the way.
    // "Removed Checked Items" on those rows logs in again and finds the
    // messages by UIDL. False (nothing started) while a scan, review or
    // purge is under way, a dialog is open, or the account is incomplete.
    bool StartBackgroundCheck();
    bool IsBackgroundCheck() const { return m_pSession->IsBackground(); }
    // A further account's background check (nAccount >= 1; 0 is the one
    // above); the end comes as OtherCheckEnded.
    bool StartBackgroundCheck(int nAccount);
    int SuspectCount() const { return m_nSuspectCount; }
    // Why the last background check failed (Windows-1252 bytes).
    const std::string& BackgroundFailure() const { return m_sBackgroundFailure; }

    // For tests and benchmarks.
    void SetKeepAlivePeriod(int nMs) { m_nKeepAliveMs = nMs; }
    void SetAnswerWait(int nMs) { m_nAnswerWaitMs = nMs; }
    ScreeningEngine& Engine() { return m_pSession->Engine(); }
    ScreeningSession& Session() { return *m_pSession; }
    const RememberedChoices& Choices() const { return m_pSession->Choices(); }
    MessageGridModel& Model() { return *m_pModel; }
    QTreeView* Grid() const { return m_pGrid; }
    QProgressBar* Progress() const { return m_pProgress; }
    bool IsRunning() const { return m_pSession->CanStop(); }
    bool IsReviewing() const { return m_pSession->IsReviewing(); }
    bool IsPurging() const { return m_pSession->IsPurging(); }
    Filters& FilterSet() { return m_filters; }
    // The accounts screened: the view's own (0), then the further enabled
    // ones, in the settings' order.
    int AccountCount() const { return 1 + static_cast<int>(m_aOthers.size()); }
    const AccountSettings& AccountAt(int nAccount) const;
    ScreeningSession& SessionAt(int nAccount);
    MessageGridModel& ModelAt(int nAccount);
    // Why the account's last background check failed (Windows-1252 bytes).
    const std::string& BackgroundFailureOf(int nAccount) const;
    // The account's line in the account list (hidden with one account).
    QString AccountStatus(int nAccount) const;
    QListWidget* AccountList() const { return m_pAccountList; }
    // Shows one account's rows (nAccount), or every account's (-1).
    void ChooseAccount(int nAccount);
    // The account list's menu for an account: "Edit Account…", "Try
    // Again". The caller owns it.
    QMenu* AccountMenu(int nAccount);
    bool AccountFailed(int nAccount) const;
    // Scans the account again, alone.
    void RetryAccount(int nAccount);
    // Reads the accounts again (after they were added, renamed, reordered,
    // switched off or removed); false, changing nothing, while a scan,
    // review or purge is under way.
    bool ReloadAccounts();

    // The context menu of a grid row (display order): "Trust this sender",
    // "Always flag this sender", "Flag Subjects that are exactly "…"" (the
    // Subject Exact list), "View Headers…". The caller owns it.
    QMenu* RowMenu(int nDisplayRow);

signals:
    // The view reached the review state (rows shown, review buttons up).
    void ReviewStarted();
    // The view went back to idle after a scan, a cancel or a purge.
    void BecameIdle();
    // A background check ended: 1 done (the rows are shown, the session
    // ended), 0 stopped by the user, -1 failed (the reason in status pane 1).
    void BackgroundCheckEnded(int nResult);
    // A further account's background check ended (nResult as above).
    void OtherCheckEnded(int nAccount, int nResult);
    // The accounts screened changed (ReloadAccounts).
    void AccountsChanged();
    // The user asked to edit an account (a failed one's line, the first
    // start with no account).
    void AccountEditWanted(int nAccount);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class EngineListener;

    void CreateGrid();
    void CreateButtons();
    void ConnectTimers();
    void OnShowStop();
    void BeginScan(bool bBackground);
    void StopScan();
    void OnCheckAll();
    void OnUncheckAll();
    void OnCancelReview();
    // The review is gone (a Cancel, or a session lost for good): the form
    // goes back to idle.
    void ShowReviewCancelled();
    void OnRemoveChecked();
    // "Delete N messages from user@server on the server?", unless the user
    // said not to ask again; true to go ahead.
    bool ConfirmPurge();
    void ShowCheckedCount();
    void OnSessionLost(const SessionLost& lost) override;
    void OnSessionOver(const SessionOver& over) override;
    // The rows judged again after a filter list changed.
    void Reclassify();

    void OnEngineNote(int nGeneration, const ScreeningNote& note);
    void OnAnswerWaitOver(const AnswerWaitOver& over) override;
    // The scan's log-in: its mechanism as status pane 1's tool tip, and a
    // password sent unencrypted beside the count (StatusText).
    void OnLoggedIn(const ScanLoggedIn& login) override;
    void EndAnswerWait();
    void OnRowsAdded(const RowsAdded& added) override;
    void OnCheckChanged(const CheckChanged& changed) override;
    void FlushRows();
    void DiscardPendingRows();
    void OnScanFinished(const ScanFinished& finished) override;
    void EndScan(const ScanFinished& finished);
    void EndBackgroundCheck(const ScanFinished& finished);
    // The server numbered two messages alike: the scan is abandoned.
    void OnRepeatedNumber(const RepeatedNumber&) override;
    void OnPurgeProgress(const PurgeProgress& progress) override;
    void OnPurgeFinished(const PurgeFinished& done) override;
    // "Waiting for the server (N s)…" in status pane 1 while a scan or purge
    // waits on a silent server; the pane's own text again once bytes come.
    void OnServerWaiting(const ServerWaiting& waiting) override;
    void OnPreviewReady(const PreviewReady& ready) override;
    // The selected row's preview, asked of the session (never waited for).
    void CreatePreviewPane();
    void OnCurrentRowChanged(int nDisplayRow);
    // A preview for the row shown, from whichever account's session.
    void ShowPreviewOf(const ScreeningSession& session, const PreviewReady& ready);
    // Tells the user what the purge could not do, as a message box.
    void ReportShortfall(const PurgeFinished& done);
    // Appends what the finished purge deleted to the journal; false when it
    // could not be written.
    // The copies kept before DELE, as the preferences say; old ones pruned.
    void PruneQuarantine();

    void EndReview();
    void ShowReviewButtons(bool bShow);
    void CreateProgress();
    void DestroyProgress();
    void SetShowStopText(bool bRunning);
    QString StatusText() const;
    QString AccountText() const;
    void SetAccount(AccountSettings account);
    // The first account's session, opened (again) for m_account as every
    // account's is (AccountSession::Open).
    void OpenFirstSession();
    void LayoutButtons();
    void LayoutGrid();
    void SizeColumns();

    // Several accounts: the further accounts' sessions, the list, the grid
    // over every account's rows, and the one purge over all of them.
    bool HasSeveralAccounts() const { return !m_aOthers.empty(); }
    // The first account is switched off and others are screened: it is left
    // out (a single account is screened whatever its switch says).
    bool FirstSwitchedOff() const { return !m_account.m_bEnabled && HasSeveralAccounts(); }
    void SetUpOtherAccounts(const std::vector<AccountSettings>& others);
    void ApplyPreferencesToOthers();
    // The buttons, the keep-alive and the list follow every account's state.
    void SyncAccounts();
    void ShowAccountList();
    // The rows waiting in every account, and the suspects among them: the
    // account list's first line and the status bar say the same.
    std::pair<int, int> WaitingTotals() const;
    // The grid over every account's rows, or the chosen one's; the widths stay.
    void FillAllModel();
    QString PrimaryStatus() const;
    // The model and its display row behind a grid row.
    MessageGridModel* GridModelAt(int nDisplayRow, int* pRow) const;
    std::vector<MessageGridModel*> ShownModels() const;
    // The rows checked in the accounts shown.
    int CheckedTotal() const;
    // A review (or a background check's rows) and nothing running.
    bool IsReady(int nAccount);
    // The accounts a purge takes: shown, ready, with rows checked.
    std::vector<int> AccountsToPurge();
    bool AnyRunning() const;
    void StopRunningAccounts();
    // The shown accounts' models whose rows the review buttons act on.
    std::vector<MessageGridModel*> ReadyModels();
    // One account's purge ended; after the last, the one summary.
    void PurgeEnded(int nAccount, const PurgeResult& result, const SessionOutcome& outcome);

    // The grid's sorting, context menu and status line for the current row.
    void SetUpGridExtras();
    void OnGridContextMenu(const QPoint& pos);
    // The grid grew or shrank: Subject takes the difference.
    void FollowGridWidth(int nOldWidth, int nNewWidth);
    // pos: where the menu opens, in the grid's viewport.
    void ShowRowMenu(int nDisplayRow, const QPoint& pos);
    void ShowCurrentReason();

    SettingsStore& m_settings;
    IMavixFrame& m_frame;
    Filters m_filters;
    CRowActions* m_pRowActions;  // the row menu, its list edits, the header view
    // The engine's listener outlives the session's engine, which calls it
    // until its workers have ended.
    std::unique_ptr<EngineListener> m_pListener;
    int m_nGeneration = 0;  // the listener's, for the session's notes
    std::unique_ptr<ScreeningSession> m_pNoAccount;  // until the account's session is opened
    std::unique_ptr<AccountSession> m_pFirst;
    ScreeningSession* m_pSession = nullptr;  // m_pFirst's (m_pNoAccount's before)
    bool m_bFirstPending = false;            // m_account was edited: a new session at the next scan

    QPushButton* m_pShowStop;
    QPushButton* m_pCheckAll;
    QPushButton* m_pUncheckAll;
    QPushButton* m_pCancel;
    QPushButton* m_pRemoveChecked;
    QSplitter* m_pAccountSplitter;  // the account list beside the grid
    QListWidget* m_pAccountList;
    QTreeView* m_pGrid;
    QSplitter* m_pPreviewSplitter = nullptr;  // the grid (or the list and grid) above the preview
    PreviewPane* m_pPreview = nullptr;
    ScreeningSession* m_pPreviewSession = nullptr;  // whose row the preview shows
    int m_nPreviewLines = 0;                        // the preference; 0: no previews
    MessageGridModel* m_pModel;
    QProgressBar* m_pProgress = nullptr;
    QTimer m_keepAliveTimer;
    QTimer m_answerTimer;
    QTimer m_flushTimer;
    std::vector<ScanRow> m_aPendingRows;  // decided by the session, not yet shown
    bool m_bPendingSuspect = false;
    ::ColumnWidths m_storedWidths;
    std::optional<std::vector<int>> m_anHidden;  // as the user chose, in column order
    std::array<int, kColumns> m_anHiddenWidths{};
    bool m_bColumnsSized = false;

    AccountSettings m_account;  // with its password
    int m_bAutoStart = 0;
    int m_bDefaultFilters = 0;

    int m_nSuspectCount = 0;
    bool m_bPasswordInClear = false;  // the last scan's log-in sent it unencrypted
    int m_nAnchorTop = 0;             // where the grid starts, below the buttons
    int m_nAnchorLeft = 0;
    int m_nKeepAliveMs = kKeepAlivePeriodMs;
    int m_nAnswerWaitMs = kAnswerWaitMs;
    bool m_bLayoutReady = false;
    bool m_bClosing = false;
    bool m_bBusyCursor = false;
    std::string m_sBackgroundFailure;

    std::vector<std::unique_ptr<AccountScreening>> m_aOthers;
    QConcatenateTablesProxyModel* m_pAllModel = nullptr;  // the grid's, with several accounts
    int m_nChosenAccount = -1;                            // -1: all accounts
    QString m_sPrimaryStatus;                             // its failure or purge, with several accounts
    bool m_bPrimaryFailed = false;
    // The purge over several accounts: the ones still running, and the
    // outcomes so far (account, result).
    int m_nPurgesRunning = 0;
    std::vector<std::pair<int, PurgeResult>> m_aPurged;
    bool m_bPurgeAttention = false;  // one of them needs the user's attention
};
