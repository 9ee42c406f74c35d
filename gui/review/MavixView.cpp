#include "MavixView.h"
#include "core/storage/Preferences.h"

#include "gui/dialogs/FilterManager.h"
#include "gui/dialogs/FilterSubPage.h"
#include "core/platform/Ascii.h"
#include "core/platform/Cp1252.h"
#include "core/platform/Secrets.h"
#include "core/auth/TokenSources.h"
#include "core/session/BackgroundCheck.h"
#include "gui/review/MessageGridModel.h"
#include "core/session/PurgeJournal.h"
#include "core/session/PurgeSummary.h"
#include "core/storage/AccountList.h"
#include "core/storage/DumpFile.h"
#include "core/storage/QuarantineMaildir.h"
#include "core/rows/ReadableRow.h"
#include "core/storage/AccountSettings.h"
#include "core/storage/PasswordStore.h"
#include "gui/dialogs/PrefsDlg.h"
#include "gui/review/PreviewPane.h"
#include "core/storage/ServerWait.h"
#include "core/storage/SettingsStore.h"
#include "gui/widgets/Prompter.h"
#include "gui/widgets/Text.h"

#include <QApplication>
#include <QConcatenateTablesProxyModel>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QResizeEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QUrl>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <utility>
#include <fstream>
#include <map>

namespace {

// Set when the close sequence left without a worker that would not end.
std::atomic<bool> g_bWorkersAbandoned{false};

// The grid keeps this distance to the right and bottom edges of the form, and
// starts this far below the button row's anchor.
constexpr int kGridRightMargin = 17;
constexpr int kGridBottomMargin = 13;
constexpr int kGridBelowAnchor = 6;

// The dialog's ranges are the ones the engine and the checks accept.
static_assert(CPrefsDlg::kMaxKeepKB == QuarantineMaildir::kMaxKeepKB);
static_assert(CPrefsDlg::kDefaultKeepKB == QuarantineMaildir::kDefaultKeepKB
              && SettingsStore::kNewKeepCopyKB == QuarantineMaildir::kDefaultKeepKB);

// What pane 0 says while the rows left by a purge are shown.
const char kFromLastScan[] = QT_TRANSLATE_NOOP("CMavixView", "From the last scan: press Show Mavix to scan again");

static_assert(CPrefsDlg::kMaxPreviewLines == Preferences::kMaxPreviewLines);
static_assert(CPrefsDlg::kMinCheckMinutes == BackgroundCheck::kMinMinutes
              && CPrefsDlg::kMaxCheckMinutes == BackgroundCheck::kMaxMinutes);

// The account list's width when it first shows, in average characters.
constexpr int kAccountListChars = 34;
// The Account column's width, in average characters.
constexpr int kAccountColumnChars = 18;

// The rows of several accounts in one grid, each account's block in the
// list's order; a click on a column title sorts within each block.
class AllAccountsModel : public QConcatenateTablesProxyModel {
public:
    using QConcatenateTablesProxyModel::QConcatenateTablesProxyModel;
    void sort(int column, Qt::SortOrder order) override
    {
        for (QAbstractItemModel* pModel : sourceModels())
            pModel->sort(column, order);
    }
};

// The enabled accounts after the first (each session reads its password).
std::vector<AccountSettings> FurtherAccounts(const SettingsStore& settings)
{
    std::vector<AccountSettings> others;
    const std::vector<AccountSettings> accounts = account_list::Load(settings);
    for (size_t i = 1; i < accounts.size(); ++i) {
        if (accounts[i].m_bEnabled)
            others.push_back(accounts[i]);
    }
    return others;
}

}  // namespace

// The engine's listener: queues each notification, with its value, for the
// GUI thread, in the order the workers sent them.
class CMavixView::EngineListener : public NoteQueueListener {
public:
    EngineListener(CMavixView& view, int nGeneration)
        : m_view(view),
          m_nGeneration(nGeneration)
    { }

protected:
    // Worker thread: only queue. The lambda runs on the GUI thread; it is
    // dropped if the view is gone by then.
    void Queue(ScreeningNote note) override
    {
        CMavixView* pView = &m_view;
        // Held once: the queued call copies its lambda.
        auto pNote = std::make_shared<const ScreeningNote>(std::move(note));
        QMetaObject::invokeMethod(
            pView, [pView, pNote, nGeneration = m_nGeneration] { pView->OnEngineNote(nGeneration, *pNote); },
            Qt::QueuedConnection);
    }

private:
    CMavixView& m_view;
    // Whose notes: a session opened anew for the account has another.
    const int m_nGeneration;
};

CMavixView::CMavixView(SettingsStore& settings, IMavixFrame& frame, QWidget* parent)
    : QWidget(parent),
      m_settings(settings),
      m_frame(frame)
{
    // A session first, with no account: the grid renders it. The
    // account's own session is opened in OnInitialUpdate, so no note comes
    // before the widgets are made.
    m_pListener = std::make_unique<EngineListener>(*this, m_nGeneration);
    ISessionListener& owner = *this;
    m_pNoAccount = std::make_unique<ScreeningSession>(*m_pListener, owner);
    m_pSession = m_pNoAccount.get();
    m_pRowActions = new CRowActions(m_filters, m_settings, this);
    connect(m_pRowActions, &CRowActions::ListsChanged, this, &CMavixView::Reclassify);
    m_pShowStop = new QPushButton(tr("&Show Mavix"), this);
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
    // The account list, beside the grid in a splitter with several accounts.
    m_pAccountSplitter = new QSplitter(Qt::Horizontal, this);
    m_pAccountSplitter->setObjectName(QStringLiteral("accountSplitter"));
    m_pAccountSplitter->setChildrenCollapsible(false);
    m_pAccountSplitter->hide();
    m_pAccountList = new QListWidget(m_pAccountSplitter);
    m_pAccountList->setObjectName(QStringLiteral("accountList"));
    m_pAccountList->setAccessibleName(tr("Accounts"));
    // A failure's reason wraps rather than hiding behind a scroll bar.
    m_pAccountList->setWordWrap(true);
    m_pAccountList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_pAccountList, &QListWidget::currentRowChanged, this, [this](int nRow) {
        if (nRow >= 0)
            ChooseAccount(nRow - 1);
    });
    // A failed account is no dead end: a double-click edits it, its menu
    // edits it or tries again.
    connect(m_pAccountList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* pItem) {
        const int nAccount = m_pAccountList->row(pItem) - 1;
        if (nAccount >= 0 && AccountFailed(nAccount))
            emit AccountEditWanted(nAccount);
    });
    m_pAccountList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pAccountList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        std::unique_ptr<QMenu> pMenu(AccountMenu(m_pAccountList->row(m_pAccountList->itemAt(pos)) - 1));
        if (pMenu)
            pMenu->exec(m_pAccountList->viewport()->mapToGlobal(pos));
    });
    m_pGrid = new QTreeView(this);
    m_pGrid->setObjectName(QStringLiteral("grid"));
    m_pGrid->setAccessibleName(tr("Messages"));
    m_pGrid->setAccessibleDescription(tr("Checked messages are deleted on the server; Space checks or unchecks"));
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
    CreatePreviewPane();
}

void CMavixView::CreatePreviewPane()
{
    m_pPreviewSplitter = new QSplitter(Qt::Vertical, this);
    m_pPreviewSplitter->setObjectName(QStringLiteral("previewSplitter"));
    m_pPreviewSplitter->setChildrenCollapsible(false);
    m_pPreviewSplitter->addWidget(m_pGrid);
    m_pPreview = new PreviewPane(m_pPreviewSplitter);
    m_pPreviewSplitter->addWidget(m_pPreview);
    m_pPreviewSplitter->setStretchFactor(0, 3);
    m_pPreviewSplitter->setStretchFactor(1, 2);
    connect(m_pGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { OnCurrentRowChanged(current.isValid() ? current.row() : -1); });
    connect(m_pPreview, &PreviewPane::MoreWanted, this, [this](int nNum, int nLines) {
        if (!m_pPreviewSession)
            return;
        m_pPreview->ShowWaiting(nNum, nLines);
        m_pPreviewSession->RequestPreview(static_cast<size_t>(nNum - 1), nLines);
    });
}

// The session answers from its cache at once, or later through
// OnPreviewReady: the event loop never waits for the server.
void CMavixView::OnCurrentRowChanged(int nDisplayRow)
{
    int nRow = 0;
    MessageGridModel* pModel = nDisplayRow < 0 ? nullptr : GridModelAt(nDisplayRow, &nRow);
    m_pPreviewSession = nullptr;
    if (!pModel || nRow >= pModel->Count() || m_nPreviewLines <= 0) {
        m_pPreview->ShowNothing(m_nPreviewLines <= 0);
        return;
    }
    // The row's own account answers: with several, numbers repeat.
    m_pPreviewSession = m_pSession;
    for (const auto& pOther : m_aOthers)
        if (&pOther->Model() == pModel)
            m_pPreviewSession = &pOther->Session();
    const int nIndex = pModel->MessageIndex(nRow);
    m_pPreview->ShowWaiting(nIndex + 1, m_nPreviewLines);
    m_pPreviewSession->RequestPreview(static_cast<size_t>(nIndex), m_nPreviewLines);
}

void CMavixView::OnPreviewReady(const PreviewReady& ready)
{
    ShowPreviewOf(*m_pSession, ready);
}

void CMavixView::ShowPreviewOf(const ScreeningSession& session, const PreviewReady& ready)
{
    if (m_pPreviewSession == &session)
        m_pPreview->ShowPreview(ready);
}

// The review buttons, hidden until a review, in tab order after the grid.
void CMavixView::CreateButtons()
{
    m_pCheckAll = new QPushButton(tr("&Check All"), this);
    m_pCheckAll->setObjectName(QStringLiteral("checkAll"));
    m_pUncheckAll = new QPushButton(tr("&Uncheck All"), this);
    m_pUncheckAll->setObjectName(QStringLiteral("uncheckAll"));
    m_pCancel = new QPushButton(tr("C&ancel"), this);
    m_pCancel->setObjectName(QStringLiteral("cancel"));
    m_pRemoveChecked = new QPushButton(tr("&Removed Checked Items"), this);
    m_pRemoveChecked->setObjectName(QStringLiteral("removeChecked"));
    for (QPushButton* p : {m_pCheckAll, m_pUncheckAll, m_pCancel, m_pRemoveChecked}) {
        p->setAutoDefault(false);
        p->hide();
    }
    // The mnemonics (Alt+S, C, U, A, R) stay clear of the menu bar's F, E,
    // V and H. The tab order follows the form: the account list, the grid,
    // the preview, the buttons.
    setTabOrder(m_pShowStop, m_pAccountList);
    setTabOrder(m_pAccountList, m_pGrid);
    setTabOrder(m_pGrid, m_pPreview);
    setTabOrder(m_pPreview, m_pCheckAll);
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
    connect(&m_keepAliveTimer, &QTimer::timeout, this, [this] {
        m_pSession->KeepAlive();
        for (auto& pOther : m_aOthers)
            pOther->KeepAlive();
    });
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
    m_pSession = nullptr;
    m_pFirst.reset();
    m_pNoAccount.reset();
    m_aOthers.clear();
}

// ---------------------------------------------------------------------------
// Start-up

void CMavixView::OnInitialUpdate()
{
    m_bLayoutReady = true;
    LayoutGrid();
    SizeColumns();
    ShowReviewButtons(false);
    m_pModel->Clear();

    // The account's session, as every account's is opened: the keyring's
    // password, or the file's "Pass" (which moves to the keyring here).
    m_account = AccountSettings::Load(m_settings);
    OpenFirstSession();

    const Preferences prefs = Preferences::Load(m_settings);
    m_bAutoStart = prefs.m_bAutoStart;
    m_bDefaultFilters = prefs.m_bDefaultFilters;
    PruneQuarantine();
    m_nPreviewLines = prefs.PreviewLines();
    m_pPreview->ShowNothing(m_nPreviewLines <= 0);

    m_filters.LoadFilters(m_settings);
    // A settings file or a "defaults.txt" that cannot be trusted is not
    // used; the user must learn why.
    std::string warning = m_settings.Problem();
    if (!m_filters.DefaultsWarning().empty())
        warning += (warning.empty() ? "" : " ") + m_filters.DefaultsWarning();
    if (!warning.empty())
        m_frame.SetStatusPaneText(1, FromCp1252(warning));
    SetUpOtherAccounts(FurtherAccounts(m_settings));
    m_frame.ArmStartupTimer();
}

void CMavixView::OnStartup()
{
    if (m_account.m_sServer.empty()) {
        Prompter::MessageBox(this, tr("Please set up an account using \"Edit\" on the menu."));
        emit AccountEditWanted(0);
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
    m_bColumnsSized = true;
    if (const auto& anHidden = m_storedWidths.Hidden()) {
        for (const int n : *anHidden)
            SetColumnHidden(n, true);
        m_anHidden = anHidden;  // as stored, even when nothing is hidden
    }
}

void CMavixView::SetColumnHidden(int nColumn, bool bHidden)
{
    QHeaderView* pHeader = m_pGrid->header();
    if (nColumn < 0 || nColumn >= kColumns || nColumn == MessageGridModel::kSubject
        || pHeader->isSectionHidden(nColumn) == bHidden)
        return;
    if (bHidden)
        m_anHiddenWidths[static_cast<size_t>(nColumn)] = pHeader->sectionSize(nColumn);
    pHeader->setSectionHidden(nColumn, bHidden);
    std::vector<int> anHidden;
    for (int i = 0; i < kColumns; ++i)
        if (pHeader->isSectionHidden(i))
            anHidden.push_back(i);
    m_anHidden = std::move(anHidden);
}

void CMavixView::FillColumnsMenu(QMenu* pMenu)
{
    // Each entry underlines the first letter of its title no entry before it
    // took; a title without a free letter is numbered.
    QString sTaken;
    for (int i = 0; i < kColumns; ++i) {
        QString title = m_pModel->headerData(i, Qt::Horizontal).toString();
        qsizetype nAt = 0;
        while (nAt < title.size() && (!title[nAt].isLetter() || sTaken.contains(title[nAt].toLower())))
            ++nAt;
        if (nAt < title.size()) {
            sTaken += title[nAt].toLower();
            title.insert(nAt, QLatin1Char('&'));
        } else {
            title = QStringLiteral("&%1 %2").arg(i + 1).arg(title);
        }
        QAction* pAction = pMenu->addAction(title);
        pAction->setCheckable(true);
        pAction->setChecked(!m_pGrid->header()->isSectionHidden(i));
        pAction->setEnabled(i != MessageGridModel::kSubject);
        connect(pAction, &QAction::toggled, this, [this, i](bool bShown) { SetColumnHidden(i, !bShown); });
    }
}

void CMavixView::FollowGridWidth(int nOldWidth, int nNewWidth)
{
    if (!m_bColumnsSized || nOldWidth <= 0 || nNewWidth == nOldWidth)
        return;
    QHeaderView* pHeader = m_pGrid->header();
    const int nSubject = pHeader->sectionSize(MessageGridModel::kSubject);
    pHeader->resizeSection(MessageGridModel::kSubject,
                           std::max(pHeader->minimumSectionSize(), nSubject + nNewWidth - nOldWidth));
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
    m_pPreviewSplitter->setGeometry(nLeft, nTop, std::max(0, (width() - kGridRightMargin) - nLeft),
                                    std::max(0, (height() - kGridBottomMargin) - nTop));
    // The grid's own size now, not at the next layout: the columns are
    // sized from it.
    m_pPreviewSplitter->refresh();
    if (m_pGrid->parentWidget() == m_pAccountSplitter)
        m_pAccountSplitter->refresh();
}

// ---------------------------------------------------------------------------
// Scan

QString CMavixView::AccountText() const
{
    return tr("server=%1, user=%2 port=%3")
        .arg(FromCp1252(m_account.m_sServer), FromCp1252(m_account.m_sUser), FromCp1252(m_account.m_sPort));
}

void CMavixView::SetShowStopText(bool bRunning)
{
    m_pShowStop->setText(bRunning ? tr("&Stop") : tr("&Show Mavix"));
}

void CMavixView::OnShowStop()
{
    if (HasSeveralAccounts() && AnyRunning()) {
        StopRunningAccounts();
        return;
    }
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
    // With several accounts, one that cannot be scanned says so in the list
    // and the others go on.
    m_aPurged.clear();
    for (auto& pOther : m_aOthers)
        pOther->StartScan(m_filters.m_filters, false);
    if (FirstSwitchedOff()) {
        m_sPrimaryStatus = tr("switched off");
        m_bPrimaryFailed = false;
        SyncAccounts();
        return;
    }
    if (!m_account.IsComplete()) {
        if (HasSeveralAccounts()) {
            m_sPrimaryStatus = tr("failed: some field of the account is blank");
            m_bPrimaryFailed = true;
            SyncAccounts();
            return;
        }
        Prompter::MessageBox(this, tr("Failed to connect (some field is blank)\n") + AccountText());
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
    SyncAccounts();
}

// "Rescan Everything": a scan that fetches every header again, ignoring the
// header cache (and rewriting it). Not while a scan or purge runs.
void CMavixView::OnRescanEverything()
{
    if (AnyRunning())
        return;
    // The engine takes the choice when the scan is asked for.
    m_pSession->SetHeaderCache(HeaderCacheUse::kRebuild);
    for (auto& pOther : m_aOthers)
        pOther->Session().SetHeaderCache(HeaderCacheUse::kRebuild);
    OnShowStop();
    m_pSession->SetHeaderCache(HeaderCacheUse::kUse);
    for (auto& pOther : m_aOthers)
        pOther->Session().SetHeaderCache(HeaderCacheUse::kUse);
}

// An empty grid and status, then the scan of the current account and lists.
void CMavixView::BeginScan(bool bBackground)
{
    m_nSuspectCount = 0;
    m_bPasswordInClear = false;
    m_sPrimaryStatus.clear();
    m_bPrimaryFailed = false;
    m_frame.SetStatusPaneToolTip(1, QString());
    SetShowStopText(true);
    DiscardPendingRows();
    m_pModel->Clear();
    DestroyProgress();
    m_frame.SetStatusPaneText(1, QString());
    if (m_bFirstPending)
        OpenFirstSession();
    if (m_pFirst->StartScan(m_filters.m_filters, RowKeeping::kEveryRow, bBackground))
        return;
    // No log-in can be tried: said as a failed scan would say it.
    const std::string why = m_pFirst->GetReadiness() == AccountSession::Readiness::kNoSignIn
        ? ToCp1252(tr("Nobody has signed in for this account yet: Sign in… under Edit › Manage Account."))
        : m_pFirst->ReadinessText();
    const ScanDone done{-1, why};
    const ScanFinished failed{done, SessionMachine::AfterScan::kIdle, bBackground, OutcomeOfScan(done)};
    if (bBackground)
        EndBackgroundCheck(failed);
    else
        EndScan(failed);
}

void CMavixView::OpenFirstSession()
{
    // The old engine joins its workers before its listener goes; its notes
    // still queued are dropped (another generation).
    std::unique_ptr<AccountSession> pOld = std::move(m_pFirst);
    std::unique_ptr<EngineListener> pOldListener = std::move(m_pListener);
    m_pListener = std::make_unique<EngineListener>(*this, ++m_nGeneration);
    ISessionListener& owner = *this;
    m_pFirst = AccountSession::Open(m_settings, Preferences::Load(m_settings), m_account,
                                    account_list::Load(m_settings), *m_pListener, owner);
    m_pSession = &m_pFirst->Session();
    m_pSession->Engine().StartThreads();
    m_account = m_pFirst->Account();
    m_bFirstPending = false;
    // A refresh token the provider replaced is stored on this thread.
    QPointer<CMavixView> guard(this);
    m_pFirst->SetRotationNotice([guard] {
        QMetaObject::invokeMethod(
            qApp,
            [guard] {
                if (guard && guard->m_pFirst)
                    guard->m_pFirst->StoreRotatedToken();
            },
            Qt::QueuedConnection);
    });
    m_pModel->SetSession(*m_pSession);
    pOld.reset();
    m_pNoAccount.reset();
    pOldListener.reset();
}

bool CMavixView::StartBackgroundCheck(int nAccount)
{
    if (nAccount == 0)
        return StartBackgroundCheck();
    if (nAccount < 0 || nAccount >= AccountCount() || m_bClosing || QApplication::activeModalWidget()
        || QApplication::activePopupWidget())
        return false;
    const bool bStarted = m_aOthers[static_cast<size_t>(nAccount - 1)]->StartScan(m_filters.m_filters, true);
    SyncAccounts();
    return bStarted;
}

bool CMavixView::StartBackgroundCheck()
{
    if (!m_pSession->MayStartBackground() || m_bClosing || !m_account.IsComplete() || FirstSwitchedOff()
        || QApplication::activeModalWidget() || QApplication::activePopupWidget())
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
        m_sBackgroundFailure = done.m_sStatus.empty() ? ToCp1252(tr("Server Not Found")) : done.m_sStatus;
        m_frame.SetStatusPaneText(1, tr("Background check failed: ") + FromCp1252(m_sBackgroundFailure));
        m_sPrimaryStatus = tr("failed: ") + FromCp1252(m_sBackgroundFailure);
        m_bPrimaryFailed = true;
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
    if (HasSeveralAccounts()) {
        m_sPrimaryStatus = tr("failed to connect (still waiting for the server)");
        m_bPrimaryFailed = true;
        return;
    }
    Prompter::MessageBox(this, tr("Failed to connect. ") + AccountText());
    SetShowStopText(false);
}

QString CMavixView::StatusText() const
{
    int nMessages = m_pSession->Engine().MsgCount();
    int nSuspects = m_nSuspectCount;
    // With several accounts, the counts the account list shows.
    if (HasSeveralAccounts())
        std::tie(nMessages, nSuspects) = WaitingTotals();
    QString text = tr("  %1 eMails :   %2 Suspect").arg(nMessages).arg(nSuspects);
    if (m_bPasswordInClear)
        text += tr("  (the password travelled unencrypted)");
    return text;
}

void CMavixView::OnLoggedIn(const ScanLoggedIn& login)
{
    m_bPasswordInClear = login.m_bPasswordInClear;
    QString tip = tr("Logged in with ") + QString::fromLatin1(login.m_sMechanism);
    if (login.m_bPasswordInClear)
        tip += tr(": the password travelled unencrypted, so anyone on the way could read it. "
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
    const ScanDone abandoned{-1, ToCp1252(tr("Protocol Error - restart"))};
    if (repeated.m_bBackground) {
        EndBackgroundCheck(ScanFinished{abandoned, SessionMachine::AfterScan::kIdle, true, OutcomeOfScan(abandoned)});
        return;
    }
    EndScan(ScanFinished{ScanDone{-1, {}}, SessionMachine::AfterScan::kIdle, false, OutcomeOfScan(ScanDone{-1, {}})});
    if (HasSeveralAccounts()) {
        m_sPrimaryStatus = tr("failed: ") + FromCp1252(abandoned.m_sStatus);
        m_bPrimaryFailed = true;
        return;
    }
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
            Prompter::MessageBox(this, tr("item %1 has order number problem").arg(i));
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

    if (HasSeveralAccounts()) {
        // The list says it: one box per account would stop every other.
        m_bPrimaryFailed = bFailed;
        m_sPrimaryStatus = bFailed
            ? tr("failed: ") + FromCp1252(done.m_sStatus.empty() ? ToCp1252(tr("Server Not Found")) : done.m_sStatus)
            : FromCp1252(done.m_sStatus);
    } else if (!done.m_sStatus.empty()) {
        Prompter::MessageBox(this, FromCp1252(done.m_sStatus));
    }

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
        m_frame.SetStatusPaneText(1, tr("The server ended the session: Removed Checked Items will log in again."));
        return;
    }
    ShowReviewCancelled();
    Prompter::MessageBox(this,
                         tr("The server ended the session. It gives its messages no lasting "
                            "ids (UIDL), so the rows can no longer be matched to messages: "
                            "scan again."));
}

void CMavixView::OnCheckAll()
{
    for (MessageGridModel* pModel : ReadyModels())
        pModel->SetAllChecked(true);
}

void CMavixView::OnUncheckAll()
{
    for (MessageGridModel* pModel : ReadyModels())
        pModel->SetAllChecked(false);
}

std::vector<MessageGridModel*> CMavixView::ReadyModels()
{
    if (!HasSeveralAccounts())
        return ShownModels();
    std::vector<MessageGridModel*> models;
    for (int i = 0; i < AccountCount(); ++i)
        if ((m_nChosenAccount < 0 || m_nChosenAccount == i) && IsReady(i))
            models.push_back(&ModelAt(i));
    return models;
}

void CMavixView::OnCancelReview()
{
    // Its session ends with RSET and QUIT; what the server answered arrives
    // with OnSessionOver.
    if (!HasSeveralAccounts()) {
        m_pSession->CancelReview();
        ShowReviewCancelled();
        return;
    }
    // The reviews under way; an account still scanning goes on.
    for (int i = 0; i < AccountCount(); ++i) {
        if (!IsReady(i))
            continue;
        if (i > 0) {
            m_aOthers[static_cast<size_t>(i - 1)]->CancelReview();
            continue;
        }
        m_pSession->CancelReview();
        m_pModel->Clear();
        m_sPrimaryStatus.clear();
    }
    SyncAccounts();
    if (!AnyRunning())
        emit BecameIdle();
}

void CMavixView::ShowReviewCancelled()
{
    StopKeepAlive();
    m_pShowStop->setEnabled(true);
    ShowReviewButtons(false);
    m_pModel->Clear();
    m_frame.SetStatusPaneText(1, QString());
    SetShowStopText(false);
    SyncAccounts();
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
            m_frame.SetStatusPaneText(1, StatusText() + tr("  (no lasting ids: scan to remove any)"));
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
    if (watched == m_pGrid && event->type() == QEvent::Resize) {
        const auto* pResize = static_cast<QResizeEvent*>(event);
        FollowGridWidth(pResize->oldSize().width(), pResize->size().width());
    }
    if (watched == m_pGrid && event->type() == QEvent::KeyPress) {
        const auto* pKey = static_cast<QKeyEvent*>(event);
        if (pKey->key() == Qt::Key_Space && pKey->modifiers() == Qt::NoModifier && m_pGrid->selectionModel()) {
            std::vector<int> rows;
            for (const QModelIndex& index : m_pGrid->selectionModel()->selectedRows())
                rows.push_back(index.row());
            if (rows.empty() && m_pGrid->currentIndex().isValid())
                rows.push_back(m_pGrid->currentIndex().row());
            // Each account's rows flip in its own model.
            std::map<MessageGridModel*, std::vector<int>> byModel;
            for (int nRow : rows) {
                int nModelRow = 0;
                if (MessageGridModel* pModel = GridModelAt(nRow, &nModelRow))
                    byModel[pModel].push_back(nModelRow);
            }
            for (auto& [pModel, modelRows] : byModel)
                pModel->ToggleChecked(modelRows);
            if (!rows.empty())
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Purge

void CMavixView::OnRemoveChecked()
{
    // Nothing to delete: the review and its rows stay as they are.
    if (AccountsToPurge().empty()) {
        Prompter::MessageBox(this, tr("No messages are checked."));
        return;
    }
    // While the question is up the session may be lost and the review
    // cancelled: only the review still shown is purged.
    if (!ConfirmPurge() || !m_pRemoveChecked->isVisible())
        return;
    const std::vector<int> anPurge = AccountsToPurge();
    if (anPurge.empty())
        return;
    ShowReviewButtons(false);
    StopKeepAlive();
    m_frame.SetStatusPaneText(1, QString());
    // The button stops the purge: no scan may log in over the session the
    // purge is using.
    SetShowStopText(true);
    if (!HasSeveralAccounts()) {
        m_pSession->StartPurge();
        return;
    }
    // Each shown account's checked rows in that account's session; the
    // checks of an account not shown stay where they are.
    m_aPurged.clear();
    m_bPurgeAttention = false;
    m_nPurgesRunning = 0;
    for (const int nAccount : anPurge) {
        if (nAccount == 0) {
            m_sPrimaryStatus = tr("removing checked items…");
            m_pSession->StartPurge();
            ++m_nPurgesRunning;
        } else {
            m_nPurgesRunning += m_aOthers[static_cast<size_t>(nAccount - 1)]->StartPurge() ? 1 : 0;
        }
    }
    ShowAccountList();
}

bool CMavixView::ConfirmPurge()
{
    const Preferences prefs = Preferences::Load(m_settings);
    if (prefs.m_bAskBeforeDelete == 0)
        return true;
    // Where: the account (its user@server when it is the only one), or
    // each account that loses messages, with how many.
    QStringList subjects;
    QStringList counts;
    QString where;
    int nChecked = 0;
    const std::vector<int> anPurge = AccountsToPurge();
    for (const int i : anPurge) {
        const MessageGridModel& model = ModelAt(i);
        nChecked += model.CheckedCount();
        where = HasSeveralAccounts()
            ? FromCp1252(AccountAt(i).DisplayName())
            : FromCp1252(AccountAt(i).m_sUser) + QLatin1Char('@') + FromCp1252(AccountAt(i).m_sServer);
        counts << QStringLiteral("%1: %2").arg(FromCp1252(AccountAt(i).DisplayName())).arg(model.CheckedCount());
        subjects += model.CheckedSubjects(kMaxAskedSubjects - static_cast<int>(subjects.size()));
    }
    Prompter::Confirmation question;
    // One sentence per number, so that a translation can agree with it.
    if (anPurge.size() > 1)
        question.m_sQuestion = tr("Delete %1 messages from %2 accounts on the server (%3)?")
                                   .arg(nChecked)
                                   .arg(anPurge.size())
                                   .arg(counts.join(QStringLiteral(", ")));
    else
        question.m_sQuestion = (nChecked == 1 ? tr("Delete %1 message from %2 on the server?")
                                              : tr("Delete %1 messages from %2 on the server?"))
                                   .arg(nChecked)
                                   .arg(where);
    QStringList lines;
    for (const QString& subject : subjects) {
        const QString shown = subject.trimmed().isEmpty() ? tr("(no subject)") : subject.simplified();
        lines << QStringLiteral("\u2022 ")
                + (shown.size() > kMaxAskedSubject ? shown.left(kMaxAskedSubject - 1) + QChar(0x2026) : shown);
    }
    if (nChecked > static_cast<int>(subjects.size()))
        lines << tr("and %1 more").arg(nChecked - static_cast<int>(subjects.size()));
    lines << QString();
    const int nKeepKB = prefs.m_nKeepCopyKB;
    if (nKeepKB > 0)
        lines << tr("POP3 cannot put a message back on the server. A copy of each message up to "
                    "%1 KB is kept for %2 days: Help › Recently Deleted… can save or open it.")
                     .arg(nKeepKB)
                     .arg(prefs.m_nKeepCopyDays);
    else
        lines << tr("POP3 cannot put a message back on the server, and no copy is kept "
                    "(Edit › Preferences).");
    question.m_sDetails = lines.join(QLatin1Char('\n'));
    question.m_sYes = tr("Delete");
    question.m_bOfferDontAsk = true;
    const Prompter::ConfirmAnswer answer = Prompter::Confirm(this, question);
    if (answer.m_bYes && answer.m_bDontAskAgain)
        Preferences::SaveAskBeforeDelete(m_settings, false);
    return answer.m_bYes;
}

void CMavixView::ShowCheckedCount()
{
    m_frame.SetStatusPaneText(kCheckedPane,
                              ShownModels().empty() || m_pGrid->model()->rowCount() == 0
                                  ? QString()
                                  : tr("  %1 checked").arg(CheckedTotal()));
}

void CMavixView::OnPurgeProgress(const PurgeProgress& progress)
{
    if (!m_pProgress)
        CreateProgress();
    m_pProgress->setValue(m_pProgress->value() + 1);
    // A broken session is told about once the purge has ended.
    if (IsMismatch(progress.m_nOutcome)) {
        Prompter::MessageBox(this,
                             tr("Grid has ") + FromCp1252(progress.m_sGridSubject) + tr("\n but Msg has \n")
                                 + FromCp1252(progress.m_sServerSubject) + tr("\n\n Aborting"));
    }
}

void CMavixView::OnPurgeFinished(const PurgeFinished& done)
{
    const bool bClose = done.m_bClose;
    m_pShowStop->setEnabled(true);
    // The messages kept on the server stay in view until the next scan;
    // what was (or may have been) deleted goes.
    m_pModel->KeepAfterPurge(done.m_aRemoved);
    if (HasSeveralAccounts()) {
        DestroyProgress();
        m_sPrimaryStatus = FromCp1252(done.m_outcome.m_sText);
        m_bPrimaryFailed = done.m_outcome.NeedsAttention();
        PruneQuarantine();
        PurgeEnded(0, done.m_result, done.m_outcome);
        return;
    }
    if (m_pModel->Count() > 0)
        m_frame.SetStatusPaneText(0, tr(kFromLastScan));
    m_frame.SetStatusPaneText(1, QString());
    DestroyProgress();
    SetShowStopText(false);
    // RFC 1939 §6: messages marked as deleted go only when QUIT enters the
    // UPDATE state. The user must learn what was and was not deleted.
    if (done.m_nChecked > 0) {
        m_frame.SetStatusPaneText(1, FromCp1252(done.m_outcome.m_sText));
        ReportShortfall(done);
    }
    PruneQuarantine();
    emit BecameIdle();
    if (bClose)
        m_frame.PostClose();
}

void CMavixView::ReportShortfall(const PurgeFinished& done)
{
    const SessionOutcome& outcome = done.m_outcome;
    if (!outcome.NeedsAttention())
        return;
    QString text = FromCp1252(outcome.m_sText);
    if (!outcome.m_sDetail.empty())
        text += QStringLiteral("\n") + FromCp1252(outcome.m_sDetail);
    Prompter::MessageBox(this, text);
}

void CMavixView::OnServerWaiting(const ServerWaiting& waiting)
{
    // A keep-alive or a session's end waits unseen; so does a stopped scan.
    if (!m_pSession->IsScanning() && !m_pSession->IsPurging())
        return;
    if (waiting.m_nSeconds > 0)
        m_frame.SetStatusPaneText(1, tr("Waiting for the server (%1 s)…").arg(waiting.m_nSeconds));
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

void CMavixView::OnEngineNote(int nGeneration, const ScreeningNote& note)
{
    if (m_bClosing || nGeneration != m_nGeneration)
        return;
    DeliverNote(note, *m_pSession);
    SyncAccounts();
}

// ---------------------------------------------------------------------------
// Dialogs

int CMavixView::SelectedAccount() const
{
    if (m_nChosenAccount >= 0)
        return m_nChosenAccount;
    // Under "All accounts", the account of the current row.
    int nRow = 0;
    const QModelIndex current = m_pGrid->currentIndex();
    const MessageGridModel* pModel = current.isValid() ? GridModelAt(current.row(), &nRow) : nullptr;
    for (size_t i = 0; pModel && i < m_aOthers.size(); ++i)
        if (&m_aOthers[i]->Model() == pModel)
            return static_cast<int>(i) + 1;
    return 0;
}

void CMavixView::ApplyEditedAccount(int nAccount, AccountSettings account)
{
    if (nAccount < 0 || nAccount >= AccountCount())
        return;
    if (nAccount > 0) {
        m_aOthers[static_cast<size_t>(nAccount - 1)]->SetAccount(std::move(account));
        ShowAccountList();
        return;
    }
    SetAccount(std::move(account));
    if (HasSeveralAccounts())
        m_pModel->SetAccountName(FromCp1252(m_account.DisplayName()));
    ShowAccountList();
}

bool CMavixView::AnyBusy() const
{
    bool bBusy = AnyRunning() || m_pSession->IsReviewing();
    for (const auto& pOther : m_aOthers)
        bBusy = bBusy || pOther->Session().IsReviewing();
    return bBusy;
}

void CMavixView::ApplyPreferences(const Preferences& prefs)
{
    m_bAutoStart = prefs.m_bAutoStart;
    m_bDefaultFilters = prefs.m_bDefaultFilters;
    m_nPreviewLines = prefs.PreviewLines();
    // Every account takes them alike: close when done, kept copies, the
    // server's wait, the sender signals.
    m_pFirst->ApplyPreferences(prefs);
    PruneQuarantine();
    ApplyPreferencesToOthers();
}

void CMavixView::SetAccount(AccountSettings account)
{
    // The session is opened for the account as edited, now or, while a
    // scan, review or purge is under way, at the next scan.
    m_account = std::move(account);
    m_bFirstPending = true;
    if (!m_pSession->CanStop() && !m_pSession->IsPurging() && !m_pSession->IsReviewing())
        OpenFirstSession();
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
    for (auto& pOther : m_aOthers)
        pOther->BeginClose();
}

std::array<int, CMavixView::kColumns> CMavixView::ColumnWidths() const
{
    std::array<int, kColumns> anWidths{};
    for (int i = 0; i < kColumns; ++i)
        anWidths[static_cast<size_t>(i)] = m_pGrid->header()->isSectionHidden(i)
            ? m_anHiddenWidths[static_cast<size_t>(i)]
            : m_pGrid->header()->sectionSize(i);
    return anWidths;
}

bool CMavixView::WaitForWorkers(std::chrono::milliseconds budget)
{
    // Wait in short slices and let the window repaint in between (user input
    // stays queued), so "Shutting down..." shows and the window never looks
    // hung. Notifications that arrive meanwhile are ignored (m_bClosing).
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + budget;
    for (auto& pOther : m_aOthers) {
        while (!pOther->WaitEnded(std::chrono::milliseconds(50))) {
            if (Clock::now() >= deadline)
                return false;
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }
    if (!m_pSession || !m_pSession->HasEngine())
        return true;
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
    for (auto& pOther : m_aOthers)
        pOther->Abandon();
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
    // The header's menu shows or hides columns.
    m_pGrid->header()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pGrid->header(), &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        menu.setObjectName(QStringLiteral("columnsMenu"));
        FillColumnsMenu(&menu);
        menu.exec(m_pGrid->header()->mapToGlobal(pos));
    });
    connect(m_pGrid, &QWidget::customContextMenuRequested, this, &CMavixView::OnGridContextMenu);
    connect(m_pGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &CMavixView::ShowCurrentReason);
    connect(m_pModel, &QAbstractItemModel::dataChanged, this, &CMavixView::ShowCurrentReason);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, [this] { m_frame.SetStatusPaneText(0, tr("Ready")); });
    connect(this, &CMavixView::ReviewStarted, this, [this] { m_pSession->PruneChoices(); });
    // "N checked" follows every tick, and appears with the first rows.
    connect(m_pModel, &MessageGridModel::CheckedCountChanged, this, &CMavixView::ShowCheckedCount);
    connect(m_pModel, &QAbstractItemModel::rowsInserted, this, &CMavixView::ShowCheckedCount);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, &CMavixView::ShowCheckedCount);
}

void CMavixView::ShowCurrentReason()
{
    const QModelIndex current = m_pGrid->currentIndex();
    int nRow = 0;
    MessageGridModel* pModel = current.isValid() ? GridModelAt(current.row(), &nRow) : nullptr;
    if (!pModel || nRow >= pModel->Count())
        return;
    if (pModel->IsFromLastScan()) {
        m_frame.SetStatusPaneText(0, tr(kFromLastScan));
        return;
    }
    const MessageRow row = pModel->Row(pModel->MessageIndex(nRow));
    m_frame.SetStatusPaneText(0, row.m_sReason.empty() ? tr("Ready") : ShownUtf8(row.m_sReason));
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
    int nRow = 0;
    MessageGridModel* pModel = nDisplayRow < 0 ? nullptr : GridModelAt(nDisplayRow, &nRow);
    if (!pModel || nRow >= pModel->Count())
        return nullptr;
    // Each account's scan wrote its own dump.
    std::string dump = CDumpFile::PathFor(m_account.m_sSection);
    for (const auto& pOther : m_aOthers)
        if (&pOther->Model() == pModel)
            dump = CDumpFile::PathFor(pOther->Account().m_sSection);
    return m_pRowActions->Menu(pModel->Row(pModel->MessageIndex(nRow)), dump, this);
}

void CMavixView::Reclassify()
{
    m_pModel->Reclassify(m_filters.m_filters);
    for (auto& pOther : m_aOthers)
        pOther->Model().Reclassify(m_filters.m_filters);
    ShowAccountList();
    // The count in the status bar follows the rows.
    m_nSuspectCount = m_pModel->SuspectCount();
    if (m_pSession->KeepsAlive())
        m_frame.SetStatusPaneText(1, StatusText());
}

// ---------------------------------------------------------------------------
// Several accounts

const AccountSettings& CMavixView::AccountAt(int nAccount) const
{
    return nAccount <= 0 ? m_account : m_aOthers[static_cast<size_t>(nAccount - 1)]->Account();
}

ScreeningSession& CMavixView::SessionAt(int nAccount)
{
    return nAccount <= 0 ? *m_pSession : m_aOthers[static_cast<size_t>(nAccount - 1)]->Session();
}

MessageGridModel& CMavixView::ModelAt(int nAccount)
{
    return nAccount <= 0 ? *m_pModel : m_aOthers[static_cast<size_t>(nAccount - 1)]->Model();
}

const std::string& CMavixView::BackgroundFailureOf(int nAccount) const
{
    return nAccount <= 0 ? m_sBackgroundFailure : m_aOthers[static_cast<size_t>(nAccount - 1)]->BackgroundFailure();
}

QString CMavixView::AccountStatus(int nAccount) const
{
    return nAccount <= 0 ? PrimaryStatus() : m_aOthers[static_cast<size_t>(nAccount - 1)]->Status();
}

QString CMavixView::PrimaryStatus() const
{
    const QString counts =
        tr("%1 messages, %2 suspect").arg(std::max(0, m_pSession->MsgCount())).arg(m_pSession->SuspectCount());
    if (m_pSession->CanStop())
        return m_pModel->Count() > 0 ? tr("scanning: ") + counts : tr("scanning…");
    if (m_pSession->IsPurging())
        return tr("removing checked items…");
    if (!m_sPrimaryStatus.isEmpty())
        return m_sPrimaryStatus;
    return m_pModel->Count() > 0 || m_pSession->IsReviewing() ? counts : QString();
}

void CMavixView::SetUpOtherAccounts(const std::vector<AccountSettings>& others)
{
    if (m_pPreviewSession != m_pSession)
        m_pPreviewSession = nullptr;
    // The grid lets go of the models before their accounts go: the proxy
    // keeps no guard on a source model that is destroyed.
    if (m_pAllModel)
        for (QAbstractItemModel* pModel : m_pAllModel->sourceModels())
            m_pAllModel->removeSourceModel(pModel);
    m_aOthers.clear();
    const Preferences prefs = Preferences::Load(m_settings);
    const std::vector<AccountSettings> all = account_list::Load(m_settings);
    for (const AccountSettings& account : others) {
        const int nAccount = AccountCount();
        m_aOthers.push_back(std::make_unique<AccountScreening>(m_settings, prefs, account, all));
        AccountScreening* pOther = m_aOthers.back().get();
        pOther->SetPreviewHandler(
            [this](const ScreeningSession& session, const PreviewReady& ready) { ShowPreviewOf(session, ready); });
        connect(pOther, &AccountScreening::Changed, this, &CMavixView::ShowAccountList);
        connect(pOther, &AccountScreening::ScanEnded, this, &CMavixView::SyncAccounts);
        connect(pOther, &AccountScreening::PurgeEnded, this,
                [this, nAccount, pOther] { PurgeEnded(nAccount, pOther->LastPurge(), pOther->LastOutcome()); });
        connect(pOther, &AccountScreening::BackgroundCheckEnded, this,
                [this, nAccount](int nResult) { emit OtherCheckEnded(nAccount, nResult); });
        connect(&pOther->Model(), &MessageGridModel::CheckedCountChanged, this, &CMavixView::ShowCheckedCount);
        connect(&pOther->Model(), &QAbstractItemModel::rowsInserted, this, &CMavixView::ShowCheckedCount);
    }
    ApplyPreferencesToOthers();
    const bool bSeveral = HasSeveralAccounts();
    m_pModel->SetAccountName(bSeveral ? FromCp1252(m_account.DisplayName()) : QString());
    m_nChosenAccount = -1;
    QAbstractItemModel* pGridModel = m_pModel;
    if (bSeveral) {
        if (!m_pAllModel)
            m_pAllModel = new AllAccountsModel(this);
        pGridModel = m_pAllModel;
    }
    if (m_pGrid->model() != pGridModel) {
        m_pGrid->setModel(pGridModel);
        connect(m_pGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                &CMavixView::ShowCurrentReason);
        connect(m_pGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex& current) { OnCurrentRowChanged(current.isValid() ? current.row() : -1); });
    }
    // The list and the grid share the preview pane's upper part.
    if (bSeveral && m_pGrid->parentWidget() != m_pAccountSplitter) {
        m_pAccountSplitter->addWidget(m_pGrid);
        m_pAccountSplitter->setStretchFactor(1, 1);
        m_pPreviewSplitter->insertWidget(0, m_pAccountSplitter);
        m_pPreviewSplitter->setStretchFactor(0, 3);
        m_pAccountSplitter->show();
        m_pGrid->show();
        LayoutGrid();
        const int nList = kAccountListChars * fontMetrics().averageCharWidth();
        m_pAccountSplitter->setSizes({nList, std::max(0, m_pAccountSplitter->width() - nList)});
    } else if (!bSeveral && m_pGrid->parentWidget() != m_pPreviewSplitter) {
        m_pPreviewSplitter->insertWidget(0, m_pGrid);
        m_pPreviewSplitter->setStretchFactor(0, 3);
        m_pAccountSplitter->setParent(this);
        m_pAccountSplitter->hide();
        m_pGrid->show();
        LayoutGrid();
    }
    if (bSeveral)
        FillAllModel();
    ShowAccountList();
    emit AccountsChanged();
}

void CMavixView::FillAllModel()
{
    std::vector<int> anWidths;
    for (int i = 0; i < m_pAllModel->columnCount(); ++i)
        anWidths.push_back(m_pGrid->header()->sectionSize(i));
    for (QAbstractItemModel* pModel : m_pAllModel->sourceModels())
        m_pAllModel->removeSourceModel(pModel);
    for (int i = 0; i < AccountCount(); ++i) {
        if (m_nChosenAccount < 0 || m_nChosenAccount == i)
            m_pAllModel->addSourceModel(&ModelAt(i));
    }
    // The widths the user gave stay; the Account column shows after "#".
    if (anWidths.empty())
        SizeColumns();
    for (size_t i = 0; i < anWidths.size(); ++i)
        m_pGrid->header()->resizeSection(static_cast<int>(i), anWidths[i]);
    if (anWidths.size() <= MessageGridModel::kAccountColumn)
        m_pGrid->header()->resizeSection(MessageGridModel::kAccountColumn,
                                         kAccountColumnChars * fontMetrics().averageCharWidth());
    m_pGrid->header()->moveSection(m_pGrid->header()->visualIndex(MessageGridModel::kAccountColumn), 1);
    ShowCheckedCount();
}

void CMavixView::ChooseAccount(int nAccount)
{
    if (!m_pAllModel || nAccount >= AccountCount() || nAccount == m_nChosenAccount)
        return;
    m_nChosenAccount = std::max(-1, nAccount);
    FillAllModel();
    ShowAccountList();
}

bool CMavixView::ReloadAccounts()
{
    if (AnyRunning() || m_bClosing)
        return false;
    for (int i = 0; i < AccountCount(); ++i) {
        if (SessionAt(i).IsReviewing() || SessionAt(i).IsPurging())
            return false;
    }
    m_account = AccountSettings::Load(m_settings);
    OpenFirstSession();
    m_pModel->Clear();
    SetUpOtherAccounts(FurtherAccounts(m_settings));
    SyncAccounts();
    return true;
}

void CMavixView::ApplyPreferencesToOthers()
{
    const Preferences prefs = Preferences::Load(m_settings);
    for (auto& pOther : m_aOthers)
        pOther->ApplyPreferences(prefs);
}

void CMavixView::StopRunningAccounts()
{
    // Stop: the scans still running stop, the reviews stay; with no scan
    // left, every purge's waits are woken.
    bool bScanning = false;
    for (int i = 0; i < AccountCount(); ++i)
        bScanning = bScanning || SessionAt(i).CanStop();
    if (bScanning ? m_pSession->CanStop() : m_pSession->IsPurging()) {
        if (bScanning)
            StopScan();
        else
            m_pSession->CancelPurge();
        m_sPrimaryStatus = bScanning ? tr("stopped") : m_sPrimaryStatus;
    }
    for (auto& pOther : m_aOthers)
        if (bScanning ? pOther->Session().CanStop() : pOther->Session().IsPurging())
            pOther->Stop();
    SyncAccounts();
}

bool CMavixView::AccountFailed(int nAccount) const
{
    return nAccount <= 0 ? m_bPrimaryFailed : m_aOthers[static_cast<size_t>(nAccount - 1)]->Failed();
}

void CMavixView::RetryAccount(int nAccount)
{
    if (nAccount < 0 || nAccount >= AccountCount() || SessionAt(nAccount).CanStop() || SessionAt(nAccount).IsPurging())
        return;
    if (nAccount > 0)
        m_aOthers[static_cast<size_t>(nAccount - 1)]->StartScan(m_filters.m_filters, false);
    else if (!m_account.IsComplete())
        m_sPrimaryStatus = tr("failed: some field of the account is blank");
    else
        BeginScan(false);
    SyncAccounts();
}

QMenu* CMavixView::AccountMenu(int nAccount)
{
    if (nAccount < 0 || nAccount >= AccountCount())
        return nullptr;
    auto* pMenu = new QMenu(this);
    pMenu->setObjectName(QStringLiteral("accountMenu"));
    pMenu->addAction(tr("Edit Account…"), this, [this, nAccount] { emit AccountEditWanted(nAccount); });
    QAction* pRetry = pMenu->addAction(tr("Try Again"), this, [this, nAccount] { RetryAccount(nAccount); });
    pRetry->setEnabled(!SessionAt(nAccount).CanStop() && !SessionAt(nAccount).IsPurging());
    return pMenu;
}

bool CMavixView::AnyRunning() const
{
    bool bRunning = m_pSession->CanStop() || m_pSession->IsPurging();
    for (const auto& pOther : m_aOthers)
        bRunning = bRunning || pOther->Session().CanStop() || pOther->Session().IsPurging();
    return bRunning;
}

void CMavixView::SyncAccounts()
{
    if (!HasSeveralAccounts() || m_bClosing)
        return;
    const bool bRunning = AnyRunning();
    SetShowStopText(bRunning);
    bool bReview = false;
    bool bKeepAlive = false;
    for (int i = 0; i < AccountCount(); ++i) {
        bReview = bReview || IsReady(i);
        bKeepAlive = bKeepAlive || SessionAt(i).KeepsAlive();
    }
    // A slow account holds nobody else's review: the buttons act on the
    // accounts that are ready.
    ShowReviewButtons(bReview && m_nPurgesRunning == 0);
    if (!bKeepAlive)
        m_keepAliveTimer.stop();
    else if (!m_keepAliveTimer.isActive())
        m_keepAliveTimer.start(m_nKeepAliveMs);
    if (!bRunning && m_nPurgesRunning == 0 && !m_pSession->IsBackground())
        m_pShowStop->setEnabled(true);
    ShowAccountList();
}

void CMavixView::ShowAccountList()
{
    if (!HasSeveralAccounts())
        return;
    const QSignalBlocker block(m_pAccountList);
    while (m_pAccountList->count() < AccountCount() + 1)
        m_pAccountList->addItem(QString());
    while (m_pAccountList->count() > AccountCount() + 1)
        delete m_pAccountList->takeItem(m_pAccountList->count() - 1);
    const auto [nMessages, nSuspects] = WaitingTotals();
    for (int i = 0; i < AccountCount(); ++i) {
        const QString status = AccountStatus(i);
        const bool bFailed = i == 0 ? m_bPrimaryFailed : m_aOthers[static_cast<size_t>(i - 1)]->Failed();
        QListWidgetItem* pItem = m_pAccountList->item(i + 1);
        pItem->setText(FromCp1252(AccountAt(i).DisplayName()) + QLatin1Char('\n') + status);
        pItem->setToolTip(status);
        pItem->setForeground(bFailed ? QBrush(Qt::red) : QBrush());
    }
    m_pAccountList->item(0)->setText(tr("All accounts\n%1 waiting, %2 suspect").arg(nMessages).arg(nSuspects));
    // The status bar follows, unless it tells of a purge.
    if (nMessages > 0 && m_nPurgesRunning == 0 && m_aPurged.empty())
        m_frame.SetStatusPaneText(1, StatusText());
    m_pAccountList->setCurrentRow(m_nChosenAccount + 1);
}

std::pair<int, int> CMavixView::WaitingTotals() const
{
    int nMessages = m_pModel->Count();
    int nSuspects = m_pSession->IsFromLastScan() ? 0 : m_pSession->SuspectCount();
    for (const auto& pOther : m_aOthers) {
        nMessages += pOther->Model().Count();
        nSuspects += pOther->Session().IsFromLastScan() ? 0 : pOther->Session().SuspectCount();
    }
    return {nMessages, nSuspects};
}

MessageGridModel* CMavixView::GridModelAt(int nDisplayRow, int* pRow) const
{
    *pRow = nDisplayRow;
    if (m_pGrid->model() == m_pModel)
        return m_pModel;
    const QModelIndex source = m_pAllModel->mapToSource(m_pAllModel->index(nDisplayRow, 0));
    if (!source.isValid())
        return nullptr;
    *pRow = source.row();
    return static_cast<MessageGridModel*>(const_cast<QAbstractItemModel*>(source.model()));
}

std::vector<MessageGridModel*> CMavixView::ShownModels() const
{
    if (m_pGrid->model() == m_pModel)
        return {m_pModel};
    std::vector<MessageGridModel*> models;
    for (QAbstractItemModel* pModel : m_pAllModel->sourceModels())
        models.push_back(static_cast<MessageGridModel*>(pModel));
    return models;
}

int CMavixView::CheckedTotal() const
{
    int nChecked = 0;
    for (const MessageGridModel* pModel : ShownModels())
        nChecked += pModel->CheckedCount();
    return nChecked;
}

bool CMavixView::IsReady(int nAccount)
{
    ScreeningSession& session = SessionAt(nAccount);
    return !session.CanStop() && !session.IsPurging() && !session.IsFromLastScan()
        && (session.IsReviewing() || ModelAt(nAccount).Count() > 0);
}

std::vector<int> CMavixView::AccountsToPurge()
{
    std::vector<int> anPurge;
    for (int i = 0; i < AccountCount(); ++i) {
        if ((m_nChosenAccount < 0 || m_nChosenAccount == i) && IsReady(i) && ModelAt(i).CheckedCount() > 0)
            anPurge.push_back(i);
    }
    return anPurge;
}

void CMavixView::PurgeEnded(int nAccount, const PurgeResult& result, const SessionOutcome& outcome)
{
    m_aPurged.emplace_back(nAccount, result);
    m_bPurgeAttention = m_bPurgeAttention || outcome.NeedsAttention();
    if (--m_nPurgesRunning > 0) {
        ShowAccountList();
        return;
    }
    m_nPurgesRunning = 0;
    std::sort(m_aPurged.begin(), m_aPurged.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<AccountPurge> purges;
    for (const auto& [nIndex, purged] : m_aPurged)
        purges.push_back(AccountPurge{AccountAt(nIndex).DisplayName(), &purged});
    // One summary, naming each account's outcome.
    const QString summary = FromCp1252(AccountsSummaryText(purges));
    m_frame.SetStatusPaneText(1, QString(summary).replace(QLatin1Char('\n'), QStringLiteral("; ")));
    m_pShowStop->setEnabled(true);
    SetShowStopText(false);
    SyncAccounts();
    if (m_bPurgeAttention)
        Prompter::MessageBox(this, summary);
    emit BecameIdle();
    if (m_pSession->CloseWhenDone())
        m_frame.PostClose();
}
