#include "MavixView.h"
#include "core/storage/Preferences.h"

#include "gui/dialogs/FilterManager.h"
#include "gui/dialogs/FilterSubPage.h"
#include "core/platform/Ascii.h"
#include "core/platform/Cp1252.h"
#include "core/platform/Secrets.h"
#include "core/auth/AuthorizationFlow.h"
#include "core/auth/TokenSources.h"
#include "core/session/BackgroundCheck.h"
#include "gui/review/MessageGridModel.h"
#include "core/session/PurgeJournal.h"
#include "core/storage/QuarantineMaildir.h"
#include "core/rows/ReadableRow.h"
#include "gui/dialogs/AccountDlg.h"
#include "core/storage/AccountSettings.h"
#include "core/storage/PasswordStore.h"
#include "gui/dialogs/PrefsDlg.h"
#include "core/storage/ServerWait.h"
#include "core/storage/SettingsStore.h"
#include "gui/widgets/Prompter.h"
#include "gui/widgets/Text.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <utility>
#include <fstream>

namespace {

// Set when the close sequence left without a worker that would not end.
std::atomic<bool> g_bWorkersAbandoned{false};

// The grid keeps this distance to the right and bottom edges of the form, and
// starts this far below the button row's anchor.
constexpr int kGridRightMargin = 17;
constexpr int kGridBottomMargin = 13;
constexpr int kGridBelowAnchor = 6;
// The most characters of a Subject the row menu shows in its action: a
// sender's Subject can be 16 KiB, a menu is one line wide.
constexpr qsizetype kMaxMenuSubject = 60;

// The dialog's ranges are the ones the engine and the checks accept.
static_assert(CPrefsDlg::kMaxKeepKB == QuarantineMaildir::kMaxKeepKB);
static_assert(CPrefsDlg::kDefaultKeepKB == QuarantineMaildir::kDefaultKeepKB
              && SettingsStore::kNewKeepCopyKB == QuarantineMaildir::kDefaultKeepKB);

// What pane 0 says while the rows left by a purge are shown.
const char kFromLastScan[] = "From the last scan: press Show Mavix to scan again";

static_assert(CPrefsDlg::kMinCheckMinutes == BackgroundCheck::kMinMinutes
              && CPrefsDlg::kMaxCheckMinutes == BackgroundCheck::kMaxMinutes);

}  // namespace

// The engine's listener: queues each notification, with its value, for the
// GUI thread, in the order the workers sent them.
class CMavixView::EngineListener : public NoteQueueListener {
public:
    explicit EngineListener(CMavixView& view)
        : m_view(view)
    { }

protected:
    // Worker thread: only queue. The lambda runs on the GUI thread; it is
    // dropped if the view is gone by then.
    void Queue(ScreeningNote note) override
    {
        CMavixView* pView = &m_view;
        QMetaObject::invokeMethod(
            pView, [pView, note = std::move(note)] { pView->OnEngineNote(note); }, Qt::QueuedConnection);
    }

private:
    CMavixView& m_view;
};

CMavixView::CMavixView(SettingsStore& settings, IMavixFrame& frame, QWidget* parent)
    : QWidget(parent),
      m_settings(settings),
      m_frame(frame)
{
    // The session first: the grid renders it. Its engine's workers start
    // in OnInitialUpdate, so no note comes before the widgets are made.
    m_pListener = std::make_unique<EngineListener>(*this);
    ISessionListener& owner = *this;
    m_pSession = std::make_unique<ScreeningSession>(*m_pListener, owner);
    m_pShowStop = new QPushButton(QStringLiteral("Show Mavix"), this);
    m_pShowStop->setObjectName(QStringLiteral("showStop"));
    m_pShowStop->setDefault(true);
    CreateGrid();
    CreateButtons();
    ConnectTimers();
    LayoutButtons();
    m_filters.LoadDefaults();
}

void CMavixView::CreateGrid()
{
    m_pGrid = new QTreeView(this);
    m_pGrid->setObjectName(QStringLiteral("grid"));
    m_pModel = new MessageGridModel(*m_pSession, this);
    m_pGrid->setModel(m_pModel);
    // A flat list, one uniform line per message: QTreeView then lays out
    // tens of thousands of rows without measuring each one.
    m_pGrid->setRootIsDecorated(false);
    m_pGrid->setItemsExpandable(false);
    m_pGrid->setUniformRowHeights(true);
    m_pGrid->setAllColumnsShowFocus(true);
    m_pGrid->setAlternatingRowColors(true);
    m_pGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pGrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pGrid->setTextElideMode(Qt::ElideRight);
    // The stored widths are per column number: no moving columns, no
    // stretching. Sorting only changes what the model shows; the purge works
    // in message order.
    m_pGrid->header()->setSectionsMovable(false);
    m_pGrid->header()->setStretchLastSection(false);
    m_pGrid->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_pGrid->installEventFilter(this);
    SetUpGridExtras();
}

// The review buttons, hidden until a review, in tab order after the grid.
void CMavixView::CreateButtons()
{
    m_pCheckAll = new QPushButton(QStringLiteral("Check All"), this);
    m_pCheckAll->setObjectName(QStringLiteral("checkAll"));
    m_pUncheckAll = new QPushButton(QStringLiteral("Uncheck All"), this);
    m_pUncheckAll->setObjectName(QStringLiteral("uncheckAll"));
    m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_pCancel->setObjectName(QStringLiteral("cancel"));
    m_pRemoveChecked = new QPushButton(QStringLiteral("Removed Checked Items"), this);
    m_pRemoveChecked->setObjectName(QStringLiteral("removeChecked"));
    for (QPushButton* p : {m_pCheckAll, m_pUncheckAll, m_pCancel, m_pRemoveChecked}) {
        p->setAutoDefault(false);
        p->hide();
    }
    setTabOrder(m_pShowStop, m_pGrid);
    setTabOrder(m_pGrid, m_pCheckAll);
    setTabOrder(m_pCheckAll, m_pUncheckAll);
    setTabOrder(m_pUncheckAll, m_pCancel);
    setTabOrder(m_pCancel, m_pRemoveChecked);

    connect(m_pShowStop, &QPushButton::clicked, this, &CMavixView::OnShowStop);
    connect(m_pCheckAll, &QPushButton::clicked, this, &CMavixView::OnCheckAll);
    connect(m_pUncheckAll, &QPushButton::clicked, this, &CMavixView::OnUncheckAll);
    connect(m_pCancel, &QPushButton::clicked, this, &CMavixView::OnCancelReview);
    connect(m_pRemoveChecked, &QPushButton::clicked, this, &CMavixView::OnRemoveChecked);
}

void CMavixView::ConnectTimers()
{
    // RFC 1939 §3: the server may end an idle session after ten minutes;
    // the session keeps the review's with a NOOP.
    connect(&m_keepAliveTimer, &QTimer::timeout, this, [this] { m_pSession->KeepAlive(); });
    m_answerTimer.setSingleShot(true);
    connect(&m_answerTimer, &QTimer::timeout, this, [this] { m_pSession->AnswerWaitRanOut(); });
    m_flushTimer.setSingleShot(true);
    connect(&m_flushTimer, &QTimer::timeout, this, &CMavixView::FlushRows);
}

CMavixView::~CMavixView()
{
    EndAnswerWait();
    // The engine joins its workers here, before the widget part goes away:
    // a worker may queue notifications for this object until it has ended.
    m_pSession.reset();
}

// ---------------------------------------------------------------------------
// Start-up

void CMavixView::OnInitialUpdate()
{
    m_bLayoutReady = true;
    LayoutGrid();
    SizeColumns();
    m_pSession->Engine().StartThreads();
    ShowReviewButtons(false);
    m_pModel->Clear();

    // The keyring's password, or the file's "Pass" (which moves to the
    // keyring here).
    PasswordStore passwords(m_settings);
    SetAccount(AccountSettings::Load(m_settings, &passwords));

    const Preferences prefs = Preferences::Load(m_settings);
    m_pSession->SetCloseWhenDone(prefs.m_bCloseWhenDone != 0);
    m_bAutoStart = prefs.m_bAutoStart;
    m_bDefaultFilters = prefs.m_bDefaultFilters;
    ApplyQuarantine();
    m_pSession->Engine().SetServerWait(prefs.m_wait.Duration());
    m_pSession->SetHeaderCache(HeaderCacheUse::kUse);

    m_filters.LoadFilters(m_settings);
    // A settings file or a "defaults.txt" that cannot be trusted is not
    // used; the user must learn why.
    std::string warning = m_settings.Problem();
    if (!m_filters.DefaultsWarning().empty())
        warning += (warning.empty() ? "" : " ") + m_filters.DefaultsWarning();
    if (!warning.empty())
        m_frame.SetStatusPaneText(1, FromCp1252(warning));
    m_pSession->LoadChoices(m_account);
    m_frame.ArmStartupTimer();
}

void CMavixView::OnStartup()
{
    if (m_account.m_sServer.empty()) {
        Prompter::MessageBox(this, QStringLiteral("Please set up an account using \"Edit\" on the menu."));
        EditAccount();
    }
    // Before any automatic scan: the scan classifies with the lists it is given.
    if (m_bDefaultFilters)
        m_filters.ApplyDefaultsOnLaunch();
    if (m_bAutoStart)
        OnShowStop();
}

void CMavixView::SizeColumns()
{
    const std::vector<int> anWidths = m_storedWidths.ForGrid(kColumns, m_pGrid->contentsRect().width());
    for (int i = 0; i < kColumns; ++i)
        m_pGrid->header()->resizeSection(i, anWidths[static_cast<size_t>(i)]);
}

// ---------------------------------------------------------------------------
// Layout

// Positions follow the form's dialog-unit grid, scaled by the font in use the
// way dialog units are (a quarter of the average character width, an eighth
// of the line height), so the form grows with a larger font; a button never
// gets narrower than its text needs.
void CMavixView::LayoutButtons()
{
    const QFontMetrics fm(font());
    const int nBaseX =
        (fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 26 + 1) / 2;
    const int nBaseY = fm.height();
    const auto dx = [nBaseX](int du) { return du * nBaseX / 4; };
    const auto dy = [nBaseY](int du) { return du * nBaseY / 8; };

    struct Slot {
        QPushButton* m_pButton;
        int m_nWidthDu;
    };
    const Slot aButtons[] = {
        {m_pShowStop, 55}, {m_pCheckAll, 55}, {m_pUncheckAll, 55}, {m_pCancel, 55}, {m_pRemoveChecked, 95}};
    int nHeight = dy(15);
    for (const Slot& s : aButtons)
        nHeight = std::max(nHeight, s.m_pButton->sizeHint().height());
    int x = dx(10);
    const int y = dy(5);
    for (const Slot& s : aButtons) {
        const int w = std::max(dx(s.m_nWidthDu), s.m_pButton->sizeHint().width());
        s.m_pButton->setGeometry(x, y, w, nHeight);
        x += w + dx(5);
    }
    m_nAnchorLeft = dx(10);
    m_nAnchorTop = std::max(dy(25), y + nHeight + dy(5));
}

void CMavixView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_bLayoutReady)
        LayoutGrid();
}

void CMavixView::LayoutGrid()
{
    const int nLeft = m_nAnchorLeft;
    const int nTop = m_nAnchorTop + kGridBelowAnchor;
    m_pGrid->setGeometry(nLeft, nTop, std::max(0, (width() - kGridRightMargin) - nLeft),
                         std::max(0, (height() - kGridBottomMargin) - nTop));
}

// ---------------------------------------------------------------------------
// Scan

QString CMavixView::AccountText() const
{
    return QStringLiteral("server=%1, user=%2 port=%3")
        .arg(FromCp1252(m_account.m_sServer), FromCp1252(m_account.m_sUser), FromCp1252(m_account.m_sPort));
}

void CMavixView::SetShowStopText(bool bRunning)
{
    m_pShowStop->setText(bRunning ? QStringLiteral("Stop") : QStringLiteral("Show Mavix"));
}

void CMavixView::OnShowStop()
{
    if (m_pSession->IsPurging()) {
        // Wakes the purge's wait at once; before QUIT nothing is deleted.
        m_pShowStop->setEnabled(false);
        m_pSession->CancelPurge();
        return;
    }
    if (m_pSession->CanStop()) {
        StopScan();
        return;
    }
    if (!m_account.IsComplete()) {
        Prompter::MessageBox(this, QStringLiteral("Failed to connect (some field is blank)\n") + AccountText());
        return;
    }
    // A review left open belongs to the session the new scan replaces: its
    // keep-alive must not touch the connection the scan is about to use, and
    // its buttons must not act on rows that are going away. The engine quits
    // that session before it logs in again.
    if (m_pSession->IsReviewing())
        EndReview();

    // The answer wait does not block: the window keeps painting and Stop
    // keeps working. Rows cannot overtake the answer, since the scan sends
    // OnScanAnswered before its first row.
    BeginScan(false);
    if (!m_bBusyCursor) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        m_bBusyCursor = true;
    }
    m_answerTimer.start(m_nAnswerWaitMs);
}

// "Rescan Everything": a scan that fetches every header again, ignoring the
// header cache (and rewriting it). Not while a scan or purge runs.
void CMavixView::OnRescanEverything()
{
    if (m_pSession->IsPurging() || m_pSession->CanStop())
        return;
    // The engine takes the choice when the scan is asked for.
    m_pSession->SetHeaderCache(HeaderCacheUse::kRebuild);
    OnShowStop();
    m_pSession->SetHeaderCache(HeaderCacheUse::kUse);
}

// An empty grid and status, then the scan of the current account and lists.
void CMavixView::BeginScan(bool bBackground)
{
    m_nSuspectCount = 0;
    m_bPasswordInClear = false;
    m_frame.SetStatusPaneToolTip(1, QString());
    SetShowStopText(true);
    DiscardPendingRows();
    m_pModel->Clear();
    DestroyProgress();
    m_frame.SetStatusPaneText(1, QString());
    m_pSession->StartScan(m_account, m_filters.m_filters, RowKeeping::kEveryRow, bBackground);
}

bool CMavixView::StartBackgroundCheck()
{
    if (!m_pSession->MayStartBackground() || m_bClosing || !m_account.IsComplete() || QApplication::activeModalWidget()
        || QApplication::activePopupWidget())
        return false;
    // Rows of an earlier check are replaced; the user's own check boxes come
    // back with them (remembered by UIDL).
    ShowReviewButtons(false);
    BeginScan(true);
    return true;
}

void CMavixView::EndBackgroundCheck(const ScanFinished& finished)
{
    FlushRows();
    DestroyProgress();
    SetShowStopText(false);
    const ScanDone& done = finished.m_done;
    const bool bFailed = done.m_nResult == -1;
    if (finished.m_nAfter == SessionMachine::AfterScan::kEndSession) {
        // The session ends the check's session; the rows stay. The buttons
        // come once it has ended: a purge must not take the session job's
        // place.
        m_pShowStop->setEnabled(false);
        return;
    }
    m_sBackgroundFailure.clear();
    if (bFailed) {
        m_pModel->Clear();
        m_sBackgroundFailure = done.m_sStatus.empty() ? std::string("Server Not Found") : done.m_sStatus;
        m_frame.SetStatusPaneText(1, QStringLiteral("Background check failed: ") + FromCp1252(m_sBackgroundFailure));
    }
    emit BackgroundCheckEnded(bFailed ? -1 : 1);
}

void CMavixView::StopScan()
{
    const bool bBackground = m_pSession->IsBackground();
    m_pSession->StopScan();
    if (bBackground)
        emit BackgroundCheckEnded(0);
    SetShowStopText(false);
    DiscardPendingRows();
    m_pModel->Clear();
    EndAnswerWait();
    DestroyProgress();
}

void CMavixView::EndAnswerWait()
{
    m_answerTimer.stop();
    if (m_bBusyCursor) {
        QApplication::restoreOverrideCursor();
        m_bBusyCursor = false;
    }
}

void CMavixView::OnAnswerWaitOver(const AnswerWaitOver& over)
{
    EndAnswerWait();
    if (!over.m_bTimedOut)
        return;
    // The scan goes on; its outcome still arrives as OnScanFinished.
    Prompter::MessageBox(this, QStringLiteral("Failed to connect. ") + AccountText());
    SetShowStopText(false);
}

QString CMavixView::StatusText() const
{
    QString text = QString::asprintf("  %d eMails :   %d Suspect", m_pSession->Engine().MsgCount(), m_nSuspectCount);
    if (m_bPasswordInClear)
        text += QStringLiteral("  (the password travelled unencrypted)");
    return text;
}

void CMavixView::OnLoggedIn(const ScanLoggedIn& login)
{
    m_bPasswordInClear = login.m_bPasswordInClear;
    QString tip = QStringLiteral("Logged in with ") + QString::fromLatin1(login.m_sMechanism);
    if (login.m_bPasswordInClear)
        tip += QStringLiteral(": the password travelled unencrypted, so anyone on the way could read it. "
                              "Choose a secure connection or another log-in method under Manage Account.");
    m_frame.SetStatusPaneToolTip(1, tip);
}

void CMavixView::OnRowsAdded(const RowsAdded& added)
{
    // The grid's room for the whole scan, once, at its first rows.
    if (m_pModel->Count() == 0 && m_aPendingRows.empty())
        m_pModel->Reserve(static_cast<size_t>(std::clamp(m_pSession->MsgCount(), 0, kMaxReservedRows)));
    if (m_pSession->SuspectCount() != m_nSuspectCount) {
        m_nSuspectCount = m_pSession->SuspectCount();
        m_bPendingSuspect = true;
    }
    for (ScanRow& row : *added.m_pRows)
        m_aPendingRows.push_back(std::move(row));
    // The rows are taken, so the scan is already fetching more messages.
    // The first rows show at once; later ones are gathered for a moment and
    // shown together: a repaint per row would cost far more than the row,
    // and the scan would wait on the window.
    if (!m_pProgress)
        FlushRows();
    else if (!m_flushTimer.isActive())
        m_flushTimer.start(kRowFlushMs);
}

void CMavixView::OnCheckChanged(const CheckChanged& changed)
{
    m_pModel->OnCheckChanged(changed);
}

// The server numbered two messages alike: nothing on this session can be
// trusted. The engine delivers no further row of this scan.
void CMavixView::OnRepeatedNumber(const RepeatedNumber& repeated)
{
    const ScanDone abandoned{-1, "Protocol Error - restart"};
    if (repeated.m_bBackground) {
        EndBackgroundCheck(ScanFinished{abandoned, SessionMachine::AfterScan::kIdle, true});
        return;
    }
    EndScan(ScanFinished{ScanDone{-1, {}}, SessionMachine::AfterScan::kIdle, false});
    Prompter::MessageBox(this, FromCp1252(abandoned.m_sStatus));
}

void CMavixView::FlushRows()
{
    m_flushTimer.stop();
    if (m_aPendingRows.empty())
        return;
    if (!m_pProgress) {
        m_frame.SetStatusPaneText(1, StatusText());
        CreateProgress();
    } else if (m_bPendingSuspect) {
        m_frame.SetStatusPaneText(1, StatusText());
    }
    m_bPendingSuspect = false;
    const int nRows = static_cast<int>(m_aPendingRows.size());
    m_pModel->ShowRows(m_aPendingRows);
    m_aPendingRows.clear();
    m_pProgress->setValue(m_pProgress->value() + nRows);
}

void CMavixView::DiscardPendingRows()
{
    m_flushTimer.stop();
    m_aPendingRows.clear();
    m_bPendingSuspect = false;
}

void CMavixView::OnScanFinished(const ScanFinished& finished)
{
    if (finished.m_bBackground) {
        EndBackgroundCheck(finished);
        return;
    }
    FlushRows();
    // The purge deletes message r + 1 for row r: say so when the grid does
    // not count 1, 2, 3 ...
    const int nRows = m_pModel->Count();
    for (int i = 0; i < nRows; ++i) {
        if (m_pModel->Text(i, MessageGridModel::kNum) != std::to_string(i + 1)) {
            Prompter::MessageBox(this, QString::asprintf("item %d has order number problem", i));
            break;
        }
    }
    EndScan(finished);
}

void CMavixView::EndScan(const ScanFinished& finished)
{
    FlushRows();
    DestroyProgress();
    EndAnswerWait();
    SetShowStopText(false);

    const ScanDone& done = finished.m_done;
    const bool bFailed = done.m_nResult == -1;
    if (finished.m_nAfter == SessionMachine::AfterScan::kReview) {
        // Review: the session stays logged in for the purge.
        ShowReviewButtons(true);
        m_keepAliveTimer.start(m_nKeepAliveMs);
        emit ReviewStarted();
        return;
    }

    if (!done.m_sStatus.empty())
        Prompter::MessageBox(this, FromCp1252(done.m_sStatus));

    if (bFailed)
        m_pModel->Clear();
    else
        m_pShowStop->setEnabled(true);
    // Nothing to review: the engine has already ended the session, which
    // would otherwise keep the mailbox locked against every other client
    // (RFC 1939 §3, §8).
    emit BecameIdle();
}

// ---------------------------------------------------------------------------
// Review

void CMavixView::ShowReviewButtons(bool bShow)
{
    for (QPushButton* p : {m_pCheckAll, m_pUncheckAll, m_pRemoveChecked, m_pCancel})
        p->setVisible(bShow);
}

void CMavixView::StopKeepAlive()
{
    m_keepAliveTimer.stop();
}

void CMavixView::EndReview()
{
    StopKeepAlive();
    ShowReviewButtons(false);
}

void CMavixView::OnSessionLost(const SessionLost& lost)
{
    if (!lost.m_bCancelled) {
        // The rows and the user's checks stay: the purge logs in again and
        // finds each message by its UIDL.
        m_keepAliveTimer.stop();
        m_frame.SetStatusPaneText(
            1, QStringLiteral("The server ended the session: Removed Checked Items will log in again."));
        return;
    }
    ShowReviewCancelled();
    Prompter::MessageBox(this,
                         QStringLiteral("The server ended the session. It gives its messages no lasting "
                                        "ids (UIDL), so the rows can no longer be matched to messages: "
                                        "scan again."));
}

void CMavixView::OnCheckAll()
{
    m_pModel->SetAllChecked(true);
}

void CMavixView::OnUncheckAll()
{
    m_pModel->SetAllChecked(false);
}

void CMavixView::OnCancelReview()
{
    // Its session ends with RSET and QUIT; what the server answered arrives
    // with OnSessionOver.
    m_pSession->CancelReview();
    ShowReviewCancelled();
}

void CMavixView::ShowReviewCancelled()
{
    StopKeepAlive();
    m_pShowStop->setEnabled(true);
    ShowReviewButtons(false);
    m_pModel->Clear();
    m_frame.SetStatusPaneText(1, QString());
    SetShowStopText(false);
    emit BecameIdle();
}

void CMavixView::OnSessionOver(const SessionOver& over)
{
    const SessionEnd& end = over.m_end;
    const SessionMachine::AfterSessionEnd after = over.m_nAfter;
    if (after == SessionMachine::AfterSessionEnd::kBackgroundDone) {
        // No dialog for a check nobody asked to watch; nothing was marked.
        m_pShowStop->setEnabled(true);
        ShowReviewButtons(m_pModel->Count() > 0);
        // Without UIDL the rows cannot be found again on a new session.
        if (m_pModel->Count() > 0 && !m_pSession->Engine().CanReconnect())
            m_frame.SetStatusPaneText(1, StatusText() + QStringLiteral("  (no lasting ids: scan to remove any)"));
        emit BackgroundCheckEnded(1);
        return;
    }
    if (end.m_bRsetRefused)
        Prompter::MessageBox(this, FromCp1252(end.m_sRsetReply));
    if (end.m_bQuitRefused)
        Prompter::MessageBox(this, FromCp1252(end.m_sQuitReply));
    if (after == SessionMachine::AfterSessionEnd::kTellAndClose)
        m_frame.PostClose();
}

bool CMavixView::eventFilter(QObject* watched, QEvent* event)
{
    // Space flips the check boxes of every selected row, so a run of rows can
    // be marked from the keyboard in one go.
    // The Menu key (and Shift+F10) opens the current row's menu beside it.
    if (watched == m_pGrid && event->type() == QEvent::ContextMenu
        && static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        const QModelIndex current = m_pGrid->currentIndex();
        if (current.isValid())
            ShowRowMenu(current.row(), m_pGrid->visualRect(current).bottomLeft());
        return true;
    }
    if (watched == m_pGrid && event->type() == QEvent::KeyPress) {
        const auto* pKey = static_cast<QKeyEvent*>(event);
        if (pKey->key() == Qt::Key_Space && pKey->modifiers() == Qt::NoModifier && m_pGrid->selectionModel()) {
            std::vector<int> rows;
            for (const QModelIndex& index : m_pGrid->selectionModel()->selectedRows())
                rows.push_back(index.row());
            if (rows.empty() && m_pGrid->currentIndex().isValid())
                rows.push_back(m_pGrid->currentIndex().row());
            if (!rows.empty()) {
                m_pModel->ToggleChecked(rows);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Purge

void CMavixView::OnRemoveChecked()
{
    // Nothing to delete: the review and its rows stay as they are.
    if (m_pModel->CheckedCount() == 0) {
        Prompter::MessageBox(this, QStringLiteral("No messages are checked."));
        return;
    }
    // While the question is up the session may be lost and the review
    // cancelled: only the review still shown is purged.
    if (!ConfirmPurge() || !m_pRemoveChecked->isVisible() || m_pModel->CheckedCount() == 0)
        return;
    ShowReviewButtons(false);
    StopKeepAlive();
    m_frame.SetStatusPaneText(1, QString());
    // The button stops the purge: no scan may log in over the session the
    // purge is using.
    SetShowStopText(true);
    m_pSession->StartPurge();
}

bool CMavixView::ConfirmPurge()
{
    const Preferences prefs = Preferences::Load(m_settings);
    if (prefs.m_bAskBeforeDelete == 0)
        return true;
    const int nChecked = m_pModel->CheckedCount();
    Prompter::Confirmation question;
    question.m_sQuestion = QStringLiteral("Delete %1 %2 from %3@%4 on the server?")
                               .arg(nChecked)
                               .arg(nChecked == 1 ? QStringLiteral("message") : QStringLiteral("messages"))
                               .arg(FromCp1252(m_account.m_sUser), FromCp1252(m_account.m_sServer));
    QStringList lines;
    const QStringList subjects = m_pModel->CheckedSubjects(kMaxAskedSubjects);
    for (const QString& subject : subjects) {
        const QString shown = subject.trimmed().isEmpty() ? QStringLiteral("(no subject)") : subject.simplified();
        lines << QStringLiteral("\u2022 ")
                + (shown.size() > kMaxAskedSubject ? shown.left(kMaxAskedSubject - 1) + QChar(0x2026) : shown);
    }
    if (nChecked > static_cast<int>(subjects.size()))
        lines << QStringLiteral("and %1 more").arg(nChecked - static_cast<int>(subjects.size()));
    lines << QString();
    const int nKeepKB = prefs.m_nKeepCopyKB;
    if (nKeepKB > 0)
        lines << QStringLiteral("POP3 cannot put a message back on the server. A copy of each message up to "
                                "%1 KB is kept for %2 days: Help \u203A Recently Deleted\u2026 can save or open it.")
                     .arg(nKeepKB)
                     .arg(prefs.m_nKeepCopyDays);
    else
        lines << QStringLiteral("POP3 cannot put a message back on the server, and no copy is kept "
                                "(Edit \u203A Preferences).");
    question.m_sDetails = lines.join(QLatin1Char('\n'));
    question.m_sYes = QStringLiteral("Delete");
    question.m_bOfferDontAsk = true;
    const Prompter::ConfirmAnswer answer = Prompter::Confirm(this, question);
    if (answer.m_bYes && answer.m_bDontAskAgain)
        Preferences::SaveAskBeforeDelete(m_settings, false);
    return answer.m_bYes;
}

void CMavixView::ShowCheckedCount()
{
    m_frame.SetStatusPaneText(kCheckedPane,
                              m_pModel->Count() == 0 ? QString()
                                                     : QStringLiteral("  %1 checked").arg(m_pModel->CheckedCount()));
}

void CMavixView::OnPurgeProgress(const PurgeProgress& progress)
{
    if (!m_pProgress)
        CreateProgress();
    m_pProgress->setValue(m_pProgress->value() + 1);
    // A broken session is told about once the purge has ended.
    if (IsMismatch(progress.m_nOutcome)) {
        Prompter::MessageBox(this,
                             QStringLiteral("Grid has ") + FromCp1252(progress.m_sGridSubject)
                                 + QStringLiteral("\n but Msg has \n") + FromCp1252(progress.m_sServerSubject)
                                 + QStringLiteral("\n\n Aborting"));
    }
}

void CMavixView::OnPurgeFinished(const PurgeFinished& done)
{
    const bool bClose = done.m_bClose;
    m_pShowStop->setEnabled(true);
    // The engine has journaled the purge before and after its QUIT.
    const bool bJournalled = !done.m_result.m_bJournalBehind;
    // The messages kept on the server stay in view until the next scan;
    // what was (or may have been) deleted goes.
    m_pModel->KeepAfterPurge(done.m_aRemoved);
    if (m_pModel->Count() > 0)
        m_frame.SetStatusPaneText(0, QString::fromLatin1(kFromLastScan));
    m_frame.SetStatusPaneText(1, QString());
    DestroyProgress();
    SetShowStopText(false);
    // RFC 1939 §6: messages marked as deleted go only when QUIT enters the
    // UPDATE state. The user must learn what was and was not deleted.
    const QString summary = FromCp1252(done.m_sSummary);
    if (done.m_nChecked > 0) {
        m_frame.SetStatusPaneText(1, summary);
        ReportShortfall(done);
    }
    if (!bJournalled)
        m_frame.SetStatusPaneText(1, summary + QStringLiteral(" (not recorded in Recently Deleted)"));
    PruneQuarantine();
    emit BecameIdle();
    if (bClose)
        m_frame.PostClose();
}

void CMavixView::ReportShortfall(const PurgeFinished& done)
{
    const PurgeResult& result = done.m_result;
    const bool bShortfall = !result.m_aRefused.empty() || !result.m_aChanged.empty() || !result.m_aGone.empty()
        || !result.m_aLeft.empty() || !result.m_aNotKept.empty() || result.m_bBroken || !result.m_sNotStarted.empty()
        || result.m_bNotRecorded || (!result.m_aMarked.empty() && !result.m_bCommitted);
    if (!bShortfall)
        return;
    QString text = FromCp1252(done.m_sSummary);
    if (!result.m_bCommitted && !result.m_bBroken && !result.m_bNotRecorded && !result.m_sReason.empty())
        text += QStringLiteral("\n") + FromCp1252(result.m_sReason);
    else if (!result.m_aNotKept.empty())
        text += QStringLiteral("\n") + QString::fromStdString(result.m_sLastReply);
    Prompter::MessageBox(this, text);
}

void CMavixView::OnServerWaiting(const ServerWaiting& waiting)
{
    // A keep-alive or a session's end waits unseen; so does a stopped scan.
    if (!m_pSession->IsScanning() && !m_pSession->IsPurging())
        return;
    if (waiting.m_nSeconds > 0)
        m_frame.SetStatusPaneText(1, QStringLiteral("Waiting for the server (%1 s)\u2026").arg(waiting.m_nSeconds));
    else
        m_frame.SetStatusPaneText(1, m_pSession->IsScanning() && m_pModel->Count() > 0 ? StatusText() : QString());
}

// ---------------------------------------------------------------------------
// Progress over status pane 0

void CMavixView::CreateProgress()
{
    if (m_pProgress)
        return;
    m_pProgress = new QProgressBar;
    m_pProgress->setObjectName(QStringLiteral("progress"));
    m_pProgress->setTextVisible(false);
    m_pProgress->setRange(0, std::max(0, m_pSession->Engine().MsgCount()));
    m_pProgress->setValue(0);
    m_frame.CoverStatusPane(m_pProgress);
}

void CMavixView::DestroyProgress()
{
    if (!m_pProgress)
        return;
    m_frame.UncoverStatusPane(m_pProgress);
    delete m_pProgress;
    m_pProgress = nullptr;
}

// ---------------------------------------------------------------------------
// Notifications from the workers

void CMavixView::OnEngineNote(const ScreeningNote& note)
{
    if (m_bClosing)
        return;
    DeliverNote(note, *m_pSession);
}

// ---------------------------------------------------------------------------
// Dialogs

void CMavixView::OnManageAccount()
{
    EditAccount();
}

void CMavixView::EditAccount()
{
    CAccountDlg dlg(window());
    dlg.m_account = m_account;
    PasswordStore passwords(m_settings);
    dlg.m_nPasswordHome = passwords.Where();
    connect(&dlg, &CAccountDlg::SignInRequested, this, [this, &dlg] { SignIn(dlg); });
    dlg.m_fnCanSignIn = [this](const std::string& server) {
        oauth::Provider provider;
        return oauth::LoadProvider(m_settings, server, provider, nullptr);
    };
    const int result = Prompter::RunModal(dlg);
    if (m_pSignIn)
        m_pSignIn->Cancel();  // its answer would find no dialog
    SignedIn signedIn = std::exchange(m_signedIn, {});
    if (result != QDialog::Accepted) {
        platform::SecureWipe(signedIn.m_sRefresh);
        return;
    }
    dlg.m_account.Save(m_settings, passwords, m_account);
    // After the account, which forgets the sign-in of a server or user
    // that changed.
    if (!signedIn.m_sRefresh.empty() && signedIn.m_sServer == dlg.m_account.m_sServer
        && signedIn.m_sUser == dlg.m_account.m_sUser)
        passwords.SaveToken(signedIn.m_sServer, signedIn.m_sUser, signedIn.m_sRefresh);
    platform::SecureWipe(signedIn.m_sRefresh);
    SetAccount(std::move(dlg.m_account));
    m_pSession->LoadChoices(m_account);
}

void CMavixView::SetAccount(AccountSettings account)
{
    m_account = std::move(account);
    UpdateTokenSource();
}

void CMavixView::UpdateTokenSource()
{
    pop3::AuthMethod method = pop3::AuthMethod::kAutomatic;
    if (!pop3::ParseAuthMethod(m_account.m_sAuth, method) || !pop3::UsesToken(method)) {
        m_pSession->SetTokenSource(nullptr);
        return;
    }
    oauth::Provider provider;
    std::string why;
    oauth::Tokens tokens;
    if (oauth::LoadProvider(m_settings, m_account.m_sServer, provider, &why))
        tokens.m_sRefresh = PasswordStore(m_settings).LoadToken(m_account.m_sServer, m_account.m_sUser);
    if (tokens.m_sRefresh.empty()) {
        // Nothing to refresh: each log-in says why, without connecting.
        if (why.empty()) {
            m_pSession->SetTokenSource(nullptr);  // nobody has signed in yet
            return;
        }
        m_pSession->SetTokenSource([why](bool, std::string* psError) {
            if (psError)
                *psError = why;
            return std::string();
        });
        return;
    }
    // A refresh token the server replaced is stored on this thread, under
    // the account it was issued for.
    QPointer<CMavixView> view(this);
    const std::string server = m_account.m_sServer, user = m_account.m_sUser;
    m_pSession->SetTokenSource(oauth::MakeRefreshTokenSource(
        std::move(provider), std::move(tokens), [view, server, user](const std::string& refresh) {
            auto pRefresh = std::make_shared<std::string>(refresh);
            QMetaObject::invokeMethod(
                qApp,
                [view, server, user, pRefresh] {
                    if (view)
                        PasswordStore(view->m_settings).SaveToken(server, user, *pRefresh);
                    platform::SecureWipe(*pRefresh);
                },
                Qt::QueuedConnection);
        }));
}

void CMavixView::SignIn(CAccountDlg& dlg)
{
    if (m_pSignIn)
        return;
    const std::string server = dlg.CurrentServer(), user = dlg.CurrentUser();
    oauth::Provider provider;
    std::string why;
    if (server.empty() || !oauth::LoadProvider(m_settings, server, provider, &why)) {
        QString text = server.empty() ? QStringLiteral("Enter the server first.") : FromCp1252(why);
        if (!text.isEmpty())
            text[0] = text[0].toUpper();
        dlg.SetSignInStatus(text, false);
        return;
    }
    const auto open = [](const std::string& url) {
        return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::StrictMode));
    };
    m_pSignIn = std::make_unique<oauth::AuthorizationFlow>(std::move(provider), open, platform::Cp1252ToUtf8(user));
    dlg.SetSignInStatus(QStringLiteral("Waiting for the sign-in in your browser\u2026"), true);
    QPointer<CAccountDlg> pDlg(&dlg);
    m_pSignIn->Start([this, pDlg, server, user](oauth::FlowResult result) {
        QString text;
        if (result.m_bOk && !result.m_tokens.m_sRefresh.empty()) {
            // Kept once the account is: a cancelled dialog changes nothing.
            platform::SecureWipe(m_signedIn.m_sRefresh);
            m_signedIn = {server, user, result.m_tokens.m_sRefresh};
            text = QStringLiteral("Signed in. Press OK to keep the sign-in with the account.");
        } else {
            text = QStringLiteral("Sign-in failed: ")
                + QString::fromStdString(result.m_bOk ? "the provider gave no refresh token" : result.m_sError);
        }
        result.m_tokens.Wipe();
        if (pDlg)
            pDlg->SetSignInStatus(text, false);
        QTimer::singleShot(0, this, [this] { m_pSignIn.reset(); });
    });
}

void CMavixView::OnPreferences()
{
    CPrefsDlg dlg(window());
    dlg.m_bExitAfter = m_pSession->CloseWhenDone() ? 1 : 0;
    dlg.m_bAutoStart = m_bAutoStart;
    dlg.m_bDefaultFilters = m_bDefaultFilters;
    Preferences prefs = Preferences::Load(m_settings);
    dlg.m_nCheckEvery = prefs.m_nCheckEvery;
    dlg.m_nKeepCopyKB = prefs.m_nKeepCopyKB;
    dlg.m_bAskBeforeDelete = prefs.m_bAskBeforeDelete;
    dlg.m_nKeepCopyDays = prefs.m_nKeepCopyDays;
    dlg.m_nWaitSeconds = prefs.m_wait.m_nSeconds;
    if (Prompter::RunModal(dlg) != QDialog::Accepted)
        return;
    m_pSession->SetCloseWhenDone(dlg.m_bExitAfter != 0);
    m_bAutoStart = dlg.m_bAutoStart;
    m_bDefaultFilters = dlg.m_bDefaultFilters;
    prefs.m_bCloseWhenDone = dlg.m_bExitAfter;
    prefs.m_bAutoStart = m_bAutoStart;
    prefs.m_bDefaultFilters = m_bDefaultFilters;
    // Read by the tray's background checks after this.
    prefs.m_nCheckEvery = dlg.m_nCheckEvery;
    prefs.m_nKeepCopyKB = dlg.m_nKeepCopyKB;
    prefs.m_nKeepCopyDays = dlg.m_nKeepCopyDays;
    prefs.m_bAskBeforeDelete = dlg.m_bAskBeforeDelete;
    prefs.m_wait = ServerWait{dlg.m_nWaitSeconds};
    prefs.Save(m_settings);
    ApplyQuarantine();
    m_pSession->Engine().SetServerWait(prefs.m_wait.Duration());
}

// The preferences' KeepCopyKB (0: off; without the key, on) and
// KeepCopyDays: the copies the purge keeps of what it deletes.
void CMavixView::ApplyQuarantine()
{
    m_pSession->SetQuarantine(QuarantineOptions{Preferences::Load(m_settings).KeepCopyBytes(), {}});
    PruneQuarantine();
}

void CMavixView::PruneQuarantine()
{
    // Also bounded to QuarantineMaildir::kMaxTotalBytes, oldest first.
    const Preferences prefs = Preferences::Load(m_settings);
    if (prefs.m_nKeepCopyKB > 0)
        QuarantineMaildir().Prune(prefs.KeepCopyDaysAtLeastOne());
}

void CMavixView::OnManageFilters()
{
    // A running scan classifies with its own copy of the lists, so editing
    // them now cannot disturb it.
    ManageFilters(window(), m_filters, m_settings);
}

// ---------------------------------------------------------------------------
// Close

void CMavixView::BeginClose()
{
    m_bClosing = true;
    EndAnswerWait();
    DiscardPendingRows();
    if (m_pSession && m_pSession->HasEngine())
        m_pSession->Engine().SignalQuit();
}

std::array<int, CMavixView::kColumns> CMavixView::ColumnWidths() const
{
    std::array<int, kColumns> anWidths{};
    for (int i = 0; i < kColumns; ++i)
        anWidths[static_cast<size_t>(i)] = m_pGrid->header()->sectionSize(i);
    return anWidths;
}

bool CMavixView::WaitForWorkers(std::chrono::milliseconds budget)
{
    if (!m_pSession || !m_pSession->HasEngine())
        return true;
    // Wait in short slices and let the window repaint in between (user input
    // stays queued), so "Shutting down..." shows and the window never looks
    // hung. Notifications that arrive meanwhile are ignored (m_bClosing).
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + budget;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return m_pSession->Engine().ScanEnded() && m_pSession->Engine().PurgeEnded();
        if (m_pSession->Engine().WaitEnded(std::min(left, std::chrono::milliseconds(50))))
            return true;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void CMavixView::AbandonWorkers()
{
    // A worker that would not end keeps the engine it runs in: destroying
    // the engine would join it and hang the exit. The process leaves without
    // it (the settings are already saved); it is never killed mid-command.
    g_bWorkersAbandoned = true;
    (void)m_pSession->ReleaseEngine();
}

bool CMavixView::WorkersAbandoned()
{
    return g_bWorkersAbandoned;
}

// ---------------------------------------------------------------------------
// Grid extras: sorting, the row menu, reasons, remembered choices

void CMavixView::SetUpGridExtras()
{
    // A click on a column title sorts by it, a second click reverses; the
    // grid starts in message-number order.
    m_pGrid->setSortingEnabled(true);
    m_pGrid->header()->setSortIndicatorShown(true);
    m_pGrid->sortByColumn(MessageGridModel::kNum, Qt::AscendingOrder);

    m_pGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pGrid, &QWidget::customContextMenuRequested, this, &CMavixView::OnGridContextMenu);
    connect(m_pGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &CMavixView::ShowCurrentReason);
    connect(m_pModel, &QAbstractItemModel::dataChanged, this, &CMavixView::ShowCurrentReason);
    connect(m_pModel, &QAbstractItemModel::modelReset, this,
            [this] { m_frame.SetStatusPaneText(0, QStringLiteral("Ready")); });
    connect(this, &CMavixView::ReviewStarted, this, [this] { m_pSession->PruneChoices(); });
    // "N checked" follows every tick, and appears with the first rows.
    connect(m_pModel, &MessageGridModel::CheckedCountChanged, this, &CMavixView::ShowCheckedCount);
    connect(m_pModel, &QAbstractItemModel::rowsInserted, this, &CMavixView::ShowCheckedCount);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, &CMavixView::ShowCheckedCount);
}

void CMavixView::ShowCurrentReason()
{
    const QModelIndex current = m_pGrid->currentIndex();
    if (!current.isValid() || current.row() >= m_pModel->Count())
        return;
    if (m_pModel->IsFromLastScan()) {
        m_frame.SetStatusPaneText(0, QString::fromLatin1(kFromLastScan));
        return;
    }
    const MessageRow row = m_pModel->Row(m_pModel->MessageIndex(current.row()));
    m_frame.SetStatusPaneText(0, row.m_sReason.empty() ? QStringLiteral("Ready") : ShownUtf8(row.m_sReason));
}

void CMavixView::OnGridContextMenu(const QPoint& pos)
{
    // A click below the last row belongs to no message.
    const QModelIndex index = m_pGrid->indexAt(pos);
    if (index.isValid())
        ShowRowMenu(index.row(), pos);
}

void CMavixView::ShowRowMenu(int nDisplayRow, const QPoint& pos)
{
    std::unique_ptr<QMenu> pMenu(RowMenu(nDisplayRow));
    if (pMenu)
        pMenu->exec(m_pGrid->viewport()->mapToGlobal(pos));
}

QMenu* CMavixView::RowMenu(int nDisplayRow)
{
    if (nDisplayRow < 0 || nDisplayRow >= m_pModel->Count())
        return nullptr;
    const int nMessage = m_pModel->MessageIndex(nDisplayRow);
    const MessageRow row = m_pModel->Row(nMessage);
    auto* pMenu = new QMenu(this);
    pMenu->setObjectName(QStringLiteral("rowMenu"));
    const std::string email = row.m_sEmail;
    // The Subject as the user reads it, as an exact entry: a contained one
    // would also flag "Invoice 12" for "Invoice 1". Outside Windows-1252 the
    // entry holds the decoded text.
    FilterEntry subject = row.m_sSubjectText.empty()
        ? FilterEntry{row.m_sSubject, SubjectMatch::kContains, false}
        : FilterEntry::FromUtf8(row.m_sSubjectText, SubjectMatch::kContains);
    if (!subject.m_bUtf8)
        subject.m_sText = CFilterSubPage::FoldEntry(subject.m_sText);
    QString shown = QString::fromStdString(subject.Utf8());
    if (shown.size() > kMaxMenuSubject)
        shown = shown.left(kMaxMenuSubject - 1) + QChar(0x2026);

    QAction* pTrust = pMenu->addAction(QStringLiteral("Trust this sender"),
                                       [this, email] { AddToList(kFilterTrusted, FilterEntry{email}); });
    QAction* pFlag = pMenu->addAction(QStringLiteral("Always flag this sender"),
                                      [this, email] { AddToList(kFilterSender, FilterEntry{email}); });
    QAction* pSubject = pMenu->addAction(QStringLiteral("Flag Subjects that are exactly \u201C%1\u201D").arg(shown),
                                         [this, subject] { AddToList(kFilterSubjectExact, subject); });
    pSubject->setObjectName(QStringLiteral("flagSubject"));
    pMenu->addSeparator();
    QAction* pView =
        pMenu->addAction(QStringLiteral("View Headers\u2026"), [this, nMessage] { ViewHeaders(nMessage); });
    pTrust->setEnabled(!email.empty());
    pFlag->setEnabled(!email.empty());
    pSubject->setEnabled(!subject.m_sText.empty());
    pView->setEnabled(row.m_nHeaderAt >= 0);
    return pMenu;
}

void CMavixView::AddToList(FilterKind kind, FilterEntry entry)
{
    entry.m_sText = platform::AsciiUpper(entry.m_sText);
    const FilterEntry& upper = entry;
    const std::vector<FilterEntry>& list = m_filters.m_filters.Entries(kind);
    std::string why;
    if (std::find(list.begin(), list.end(), upper) != list.end()) {
        Reclassify();
        return;
    }
    if (!m_filters.m_filters.Append(kind, upper, &why)) {
        Prompter::MessageBox(this, FromCp1252(why));
        return;
    }
    if (!m_filters.SaveFilters(m_settings)) {
        Prompter::MessageBox(this,
                             QStringLiteral("The filter lists could not be saved in %1.\n\n"
                                            "The changes apply until Mavix is closed.")
                                 .arg(QString::fromLocal8Bit(m_settings.FilePath())));
    }
    Reclassify();
}

void CMavixView::Reclassify()
{
    m_pModel->Reclassify(m_filters.m_filters);
    // The count in the status bar follows the rows.
    m_nSuspectCount = m_pModel->SuspectCount();
    if (m_pSession->KeepsAlive())
        m_frame.SetStatusPaneText(1, StatusText());
}

void CMavixView::ViewHeaders(int nMessage)
{
    const MessageRow row = m_pModel->Row(nMessage);
    // The scan wrote the header text to the dump; it is read back from there
    // rather than kept in memory for every row.
    std::string text(std::min(row.m_nHeaderLength, kMaxHeaderView), '\0');
    std::ifstream in("message.txt", std::ios::binary);
    if (row.m_nHeaderAt < 0 || !in.seekg(row.m_nHeaderAt)
        || !in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
        Prompter::MessageBox(this, QStringLiteral("The headers of this message cannot be read from message.txt."));
        return;
    }
    QDialog dlg(window());
    dlg.setObjectName(QStringLiteral("viewHeaders"));
    dlg.setWindowTitle(QStringLiteral("Headers of message %1").arg(FromCp1252(row.m_sNum)));
    auto* pText = new QPlainTextEdit(&dlg);
    pText->setObjectName(QStringLiteral("headers"));
    pText->setReadOnly(true);
    pText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    pText->setPlainText(ShownUtf8(ReadableHeaderBlock(text)));
    const int nChar = pText->fontMetrics().averageCharWidth();
    pText->setMinimumSize(80 * nChar, 24 * pText->fontMetrics().height());
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Close, &dlg);
    connect(pButtons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    auto* pLayout = new QVBoxLayout(&dlg);
    pLayout->addWidget(pText, 1);
    pLayout->addWidget(pButtons);
    Prompter::RunModal(dlg);
}
