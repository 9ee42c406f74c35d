#include "MainFrame.h"

#include "AccountEditing.h"

#include "gui/dialogs/RecentlyDeletedWindow.h"
#include "gui/app/TrayController.h"
#include "core/storage/ColumnWidths.h"
#include "core/storage/SettingsStore.h"
#include "core/storage/WindowPlacement.h"
#include "gui/dialogs/HelpWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <cmath>
#include <string>

namespace {

// Pane 1 starts as wide as this text: thirteen blanks.
const char kPane1Indicator[] = "             ";

// A menu prompt is "status-bar text\ntool-tip text".
void SetPrompt(QAction* pAction, const char* prompt)
{
    const QString text = QCoreApplication::translate("CMainFrame", prompt);
    const qsizetype nl = text.indexOf(QLatin1Char('\n'));
    pAction->setStatusTip(nl < 0 ? text : text.left(nl));
    pAction->setToolTip(nl < 0 ? QString() : text.mid(nl + 1));
}

// Device pixels per window pixel, in percent: QT_SCALE_FACTOR or the
// desktop's scaling. The placement is stored with it, so the window keeps
// its size on the screen when the scale changes.
int ScalePercent(const QScreen* pScreen)
{
    return pScreen ? static_cast<int>(std::lround(pScreen->devicePixelRatio() * 100.0)) : 100;
}

WindowPlacement PlacementOf(const QRect& rect, const QScreen* pScreen)
{
    return {rect.left(), rect.top(), rect.width(), rect.height(), ScalePercent(pScreen)};
}

QSize WorkAreaSize()
{
    const QScreen* pScreen = QGuiApplication::primaryScreen();
    return pScreen ? pScreen->availableGeometry().size() : QSize(800, 600);
}

}  // namespace

CMainFrame::CMainFrame(SettingsStore& settings, QWidget* parent)
    : QMainWindow(parent),
      m_settings(settings)
{
    setWindowTitle(QStringLiteral("Mavix"));
    m_placementTimer.setSingleShot(true);
    connect(&m_placementTimer, &QTimer::timeout, this, &CMainFrame::WritePlacement);
    PreCreateWindow();
    CreateMenus();
    CreateStatusBar();
}

CMainFrame::~CMainFrame() = default;

QRect CMainFrame::ChoosePlacement(int x, int y, int cx, int cy, const QSize& workArea, bool* pbDefault)
{
    const int w = workArea.width();
    const int h = workArea.height();
    // Origin and size are each tested against the work area's size alone, so
    // a window may reach past the right or bottom edge. A negative origin is
    // what a maximised window leaves behind.
    const bool bUnusable = cx <= 0 || cy <= 0 || x < 0 || y < 0 || cx > w || cy > h || x > w || y > h;
    if (pbDefault)
        *pbDefault = bUnusable;
    if (bUnusable) {
        // The factor is 0.95 rounded to single precision (0.949999988), the
        // product taken in double and truncated: a 1280-pixel work area gives
        // 1215, the same window every earlier version opened. (A product
        // rounded back to float would give 1216.)
        constexpr double kFactor = static_cast<double>(0.95f);
        cx = static_cast<int>(static_cast<double>(w) * kFactor);
        cy = static_cast<int>(static_cast<double>(h) * kFactor);
        x = (w - cx) / 2;
        y = (h - cy) / 2;
    }
    return QRect(x, y, cx, cy);
}

void CMainFrame::PreCreateWindow()
{
    const WindowPlacement stored =
        WindowPlacement::Load(m_settings).AtScale(ScalePercent(QGuiApplication::primaryScreen()));
    bool bDefault = false;
    m_rectPlacement =
        ChoosePlacement(stored.m_nX, stored.m_nY, stored.m_nWidth, stored.m_nHeight, WorkAreaSize(), &bDefault);
    if (bDefault)
        m_settings.ReplaceSections({PlacementOf(m_rectPlacement, QGuiApplication::primaryScreen()).ToSection()});
    setGeometry(m_rectPlacement);
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (m_bClosed)
        return;  // the close sequence stored the final placement
    // Every resize records the window's placement, so the next start finds it
    // even when this run does not end through the close sequence. A drag
    // resizes many times a second and each write is synced to disk, so the
    // four values go out together once the size has held still briefly.
    const QRect rect = geometry();
    if (rect != m_rectWritten) {
        m_rectPending = rect;
        m_placementTimer.start(kPlacementWriteDelayMs);
    } else {
        m_placementTimer.stop();
    }
}

void CMainFrame::WritePlacement()
{
    m_settings.ReplaceSections({PlacementOf(m_rectPending, screen()).ToSection()});
    m_rectWritten = m_rectPending;
}

void CMainFrame::CreateMenus()
{
    QMenu* pFile = menuBar()->addMenu(tr("&File"));
    m_pRescanAll = pFile->addAction(tr("&Rescan Everything"));
    m_pRescanAll->setObjectName(QStringLiteral("actionRescanEverything"));
    SetPrompt(m_pRescanAll,
              QT_TRANSLATE_NOOP("CMainFrame",
                                "Fetch every message's header again, ignoring the header cache\nRescan Everything"));
    pFile->addSeparator();
    QAction* pExit = pFile->addAction(tr("E&xit"));
    pExit->setObjectName(QStringLiteral("actionExit"));
    SetPrompt(pExit, QT_TRANSLATE_NOOP("CMainFrame", "Quit the application; prompts to save documents\nExit"));
    connect(pExit, &QAction::triggered, this, &CMainFrame::Exit);

    QMenu* pEdit = menuBar()->addMenu(tr("&Edit"));
    m_pManageAccount = pEdit->addAction(tr("&Manage Account"));
    m_pManageAccount->setObjectName(QStringLiteral("actionManageAccount"));
    m_pManageAccount->setShortcut(QKeySequence(Qt::Key_F2));
    SetPrompt(m_pManageAccount, QT_TRANSLATE_NOOP("CMainFrame", "Account\nAccount"));
    QAction* pAccounts = pEdit->addAction(tr("A&ccounts…"));
    pAccounts->setObjectName(QStringLiteral("actionAccounts"));
    SetPrompt(pAccounts,
              QT_TRANSLATE_NOOP("CMainFrame", "Add, rename, reorder, switch off or remove accounts\nAccounts"));
    m_pManageFilter = pEdit->addAction(tr("Manage &Filter"));
    m_pManageFilter->setObjectName(QStringLiteral("actionManageFilter"));
    m_pManageFilter->setShortcut(QKeySequence(Qt::Key_F3));
    SetPrompt(m_pManageFilter, QT_TRANSLATE_NOOP("CMainFrame", "Manage Filter\nManage Filter"));
    m_pPreferences = pEdit->addAction(tr("&Preferences"));
    m_pPreferences->setObjectName(QStringLiteral("actionPreferences"));
    m_pPreferences->setShortcut(QKeySequence(Qt::Key_F4));
    SetPrompt(m_pPreferences, QT_TRANSLATE_NOOP("CMainFrame", "Preferences\nPreferences"));

    QMenu* pView = menuBar()->addMenu(tr("&View"));
    // The window has no toolbar: the menu offers only what it can toggle.
    QAction* pStatusBar = pView->addAction(tr("&Status Bar"));
    pStatusBar->setObjectName(QStringLiteral("actionStatusBar"));
    pStatusBar->setCheckable(true);
    pStatusBar->setChecked(true);
    SetPrompt(pStatusBar, QT_TRANSLATE_NOOP("CMainFrame", "Show or hide the status bar\nToggle StatusBar"));
    connect(pStatusBar, &QAction::toggled, this, [this](bool bOn) {
        if (m_pStatusBar)
            m_pStatusBar->setVisible(bOn);
    });
    // The grid header's menu, for the keyboard.
    QMenu* pColumns = pView->addMenu(tr("&Columns"));
    pColumns->setObjectName(QStringLiteral("menuColumns"));
    connect(pColumns, &QMenu::aboutToShow, this, [this, pColumns] {
        pColumns->clear();
        if (m_pView)
            m_pView->FillColumnsMenu(pColumns);
    });

    QMenu* pHelp = menuBar()->addMenu(tr("&Help"));
    // Alt+H opens this menu, so the entry underlines another letter.
    QAction* pTopics = pHelp->addAction(tr("Help &Topics"));
    pTopics->setObjectName(QStringLiteral("actionHelpTopics"));
    pTopics->setShortcut(QKeySequence(Qt::Key_F1));
    pTopics->setShortcutContext(Qt::WindowShortcut);
    connect(pTopics, &QAction::triggered, this, &CMainFrame::OnHelp);
    QAction* pDeleted = pHelp->addAction(tr("Recently &Deleted…"));
    pDeleted->setObjectName(QStringLiteral("actionRecentlyDeleted"));
    SetPrompt(pDeleted,
              QT_TRANSLATE_NOOP("CMainFrame", "Show the messages Mavix has deleted on the server\nRecently Deleted"));
    connect(pDeleted, &QAction::triggered, this, &CMainFrame::OnRecentlyDeleted);
    pHelp->addSeparator();
    m_pAbout = pHelp->addAction(tr("&About Mavix..."));
    m_pAbout->setObjectName(QStringLiteral("actionAbout"));
    SetPrompt(m_pAbout,
              QT_TRANSLATE_NOOP("CMainFrame", "Display program information, version number and copyright\nAbout"));
}

void CMainFrame::CreateStatusBar()
{
    m_pStatusBar = statusBar();
    m_pStatusBar->setObjectName(QStringLiteral("statusBar"));
    // Pane 0 stretches: the idle text "Ready", the menu prompts (shown over
    // it as the status bar's temporary message) and the view's progress bar.
    m_pPane0 = new QLabel(tr("Ready"));
    m_pPane0->setObjectName(QStringLiteral("pane0"));
    m_pStatusBar->addWidget(m_pPane0, 1);
    m_pPane1 = new QLabel;
    m_pPane1->setObjectName(QStringLiteral("pane1"));
    m_pPane1->setMargin(0);
    m_pStatusBar->addPermanentWidget(m_pPane1);
    // Pane 2: how many rows are checked, beside pane 1's counts.
    m_pPane2 = new QLabel;
    m_pPane2->setObjectName(QStringLiteral("pane2"));
    m_pPane2->setMargin(0);
    m_pStatusBar->addPermanentWidget(m_pPane2);
    SetStatusPaneText(1, QString::fromLatin1(kPane1Indicator));
}

CMavixView* CMainFrame::CreateView()
{
    if (m_pView)
        return m_pView;
    m_pView = new CMavixView(m_settings, *this, this);
    m_pView->setObjectName(QStringLiteral("view"));
    m_pView->SetStoredColumnWidths(ColumnWidths::Load(m_settings, CMavixView::kColumns));
    setCentralWidget(m_pView);
    m_pEditing = new CAccountEditing(m_settings, *m_pView, *this);
    connect(m_pManageAccount, &QAction::triggered, m_pEditing, &CAccountEditing::OnManageAccount);
    connect(findChild<QAction*>(QStringLiteral("actionAccounts")), &QAction::triggered, m_pEditing,
            &CAccountEditing::OnManageAccounts);
    connect(m_pManageFilter, &QAction::triggered, m_pView, &CMavixView::OnManageFilters);
    connect(m_pPreferences, &QAction::triggered, m_pEditing, &CAccountEditing::OnPreferences);
    connect(m_pRescanAll, &QAction::triggered, m_pView, &CMavixView::OnRescanEverything);
    m_pTray = new CTrayController(m_settings, *m_pView, *this);
    // After the editing's own handler has stored the new preferences.
    connect(m_pPreferences, &QAction::triggered, m_pTray, &CTrayController::ApplySettings);
    connect(m_pTray, &CTrayController::ExitRequested, this, &CMainFrame::Exit);
    // Give the view its size now, before the window is shown: the view's
    // initial update sizes the columns from the grid's width.
    if (layout())
        layout()->activate();
    return m_pView;
}

// ---------------------------------------------------------------------------
// Status bar

bool CMainFrame::SetStatusPaneText(int nPane, const QString& text)
{
    QLabel* pPane = StatusPane(nPane);
    if (!pPane)
        return false;
    if (nPane == 1) {
        // The pane is exactly as wide as its text (plus 2 pixels), so a long
        // text widens it and a shorter one narrows it again.
        pPane->setFixedWidth(pPane->fontMetrics().horizontalAdvance(text) + 2);
    }
    pPane->setText(text);
    return true;
}

void CMainFrame::SetStatusPaneToolTip(int nPane, const QString& text)
{
    if (QLabel* pPane = StatusPane(nPane))
        pPane->setToolTip(text);
}

QLabel* CMainFrame::StatusPane(int nPane) const
{
    switch (nPane) {
    case 0:
        return m_pPane0;
    case 1:
        return m_pPane1;
    case 2:
        return m_pPane2;
    default:
        return nullptr;
    }
}

QString CMainFrame::StatusPaneText(int nPane) const
{
    const QLabel* pPane = StatusPane(nPane);
    return pPane ? pPane->text() : QString();
}

void CMainFrame::CoverStatusPane(QWidget* pBar)
{
    m_pPane0->hide();
    m_pStatusBar->insertWidget(0, pBar, 1);
    pBar->show();
}

void CMainFrame::UncoverStatusPane(QWidget* pBar)
{
    m_pStatusBar->removeWidget(pBar);
    m_pPane0->show();
}

// ---------------------------------------------------------------------------
// Start-up

void CMainFrame::ArmStartupTimer()
{
    if (m_bStartupTimerArmed)
        return;
    m_bStartupTimerArmed = 1;
    QTimer::singleShot(kStartupDelayMs, this, &CMainFrame::OnStartupTimer);
}

void CMainFrame::OnStartupTimer()
{
    if (m_pView && !m_bClosed)
        m_pView->OnStartup();
}

void CMainFrame::OnHelp()
{
    ShowHelp(this);
}

void CMainFrame::OnRecentlyDeleted()
{
    // One window, raised and read again when asked for a second time.
    if (!m_pRecentlyDeleted)
        m_pRecentlyDeleted = new CRecentlyDeletedWindow(this);
    if (m_pRecentlyDeleted->isVisible())
        m_pRecentlyDeleted->Reload();
    m_pRecentlyDeleted->show();
    m_pRecentlyDeleted->raise();
    m_pRecentlyDeleted->activateWindow();
}

// ---------------------------------------------------------------------------
// Close

void CMainFrame::PostClose()
{
    // "Automatically Exit After Cancel or Purge" ends the program.
    QMetaObject::invokeMethod(this, &CMainFrame::Exit, Qt::QueuedConnection);
}

void CMainFrame::Exit()
{
    m_bExiting = true;
    close();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_bClosed) {
        event->accept();
        return;
    }
    if (!m_bExiting && m_pTray && m_pTray->KeepsRunning()) {
        // Background checks go on in the tray; File › Exit ends them.
        event->ignore();
        hide();
        m_pTray->SayStillRunning();
        return;
    }
    m_bClosed = true;
    m_placementTimer.stop();

    std::vector<SettingsStore::Section> sections;
    if (m_pView) {
        m_pView->BeginClose();
        m_pView->StopKeepAlive();
        const auto anWidths = m_pView->ColumnWidths();
        ColumnWidths widths(std::vector<int>(anWidths.begin(), anWidths.end()));
        if (const auto& anHidden = m_pView->HiddenColumns())
            widths.SetHidden(*anHidden);
        sections.push_back(widths.ToSection());
    }
    // Stored as it is, even maximised or minimised: a rectangle that is not
    // usable at the next start is replaced then.
    sections.push_back(PlacementOf(geometry(), screen()).ToSection());
    m_settings.ReplaceSections(sections);

    WaitForWorkers();
    event->accept();
    // With a tray icon the program does not end with its last window.
    if (!QApplication::quitOnLastWindowClosed())
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

bool CMainFrame::WaitForWorkers()
{
    SetStatusPaneText(1, tr("Shutting down... May take 20 seconds"));
    if (!m_pView)
        return true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool bEnded = m_pView->WaitForWorkers(m_shutdownBudget);
    QApplication::restoreOverrideCursor();
    if (!bEnded)
        m_pView->AbandonWorkers();
    return bEnded;
}
