#include "TrayController.h"
#include "core/storage/Preferences.h"

#include "core/platform/Cp1252.h"
#include "gui/review/MavixView.h"
#include "gui/review/MessageGridModel.h"
#include "gui/widgets/Text.h"
#include "core/storage/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QWidget>

CTrayController::CTrayController(SettingsStore& settings, CMavixView& view, QWidget& window)
    : QObject(&window),
      m_settings(settings),
      m_view(view),
      m_window(window),
      m_notifier(this)
{
    connect(&m_notifier, &DesktopNotifier::OpenRequested, this, &CTrayController::ShowWindow);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CTrayController::OnTimer);
    connect(&m_view, &CMavixView::BackgroundCheckEnded, this, &CTrayController::OnCheckEnded);
    connect(&m_view, &CMavixView::OtherCheckEnded, this, &CTrayController::OnOtherCheckEnded);
    connect(&m_view, &CMavixView::AccountsChanged, this, [this] {
        m_aOthers.clear();
        ApplySettings();
    });
    connect(&m_view, &CMavixView::ReviewStarted, this, &CTrayController::OnReviewStarted);
    connect(&m_view, &CMavixView::BecameIdle, this, [this] {
        if (m_view.Model().Count() == 0)
            m_logic.Forget();
        for (size_t i = 0; i < m_aOthers.size(); ++i) {
            if (m_view.ModelAt(static_cast<int>(i) + 1).Count() == 0)
                m_aOthers[i].m_logic.Forget();
        }
        UpdateTray();
    });
    ApplySettings();
}

CTrayController::~CTrayController()
{
    delete m_pMenu;
}

void CTrayController::ApplySettings()
{
    const int nPrefsMinutes = Preferences::Load(m_settings).m_nCheckEvery;
    const int nMinutes = IntervalOf(0, nPrefsMinutes);
    ApplyOtherIntervals(nPrefsMinutes);
    BackgroundCheck wanted;
    wanted.SetInterval(nMinutes);
    if (wanted.IntervalMinutes() != m_logic.IntervalMinutes()) {
        m_logic.SetInterval(nMinutes);
        if (m_logic.IsOn()) {
            Arm(m_bArmed ? m_logic.NextDelay() : std::chrono::milliseconds(kFirstCheckDelay));
            m_bArmed = true;
        } else {
            m_timer.stop();
        }
    }
    const bool bTray = AnyOn() && QSystemTrayIcon::isSystemTrayAvailable();
    if (bTray && !m_pTray) {
        CreateIcon();
    } else if (!bTray && m_pTray) {
        m_notifier.SetTray(nullptr);
        delete m_pTray;
        m_pTray = nullptr;
        delete m_pMenu;
        m_pMenu = nullptr;
        m_pPause = nullptr;
    }
    // With the icon, closing the window (and any dialog it left open) must
    // not end the program: only File › Exit does.
    QApplication::setQuitOnLastWindowClosed(m_pTray == nullptr);
    UpdateTray();
}

void CTrayController::CreateIcon()
{
    // The program's icon; a window without one still gets a visible icon.
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation);
    m_pTray = new QSystemTrayIcon(icon, this);
    m_pMenu = new QMenu;
    m_pMenu->addAction(tr("Check now"), this, &CTrayController::CheckNow)
        ->setObjectName(QStringLiteral("trayCheckNow"));
    m_pMenu->addAction(tr("Open Mavix"), this, &CTrayController::ShowWindow)->setObjectName(QStringLiteral("trayShow"));
    m_pPause = m_pMenu->addAction(tr("Pause background checks"));
    m_pPause->setObjectName(QStringLiteral("trayPause"));
    m_pPause->setCheckable(true);
    m_pPause->setChecked(m_bPaused);
    connect(m_pPause, &QAction::toggled, this, &CTrayController::SetPaused);
    m_pMenu->addSeparator();
    m_pMenu->addAction(tr("Quit"), this, &CTrayController::ExitRequested)->setObjectName(QStringLiteral("trayQuit"));
    m_pTray->setContextMenu(m_pMenu);
    connect(m_pTray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            ShowWindow();
    });
    connect(m_pTray, &QSystemTrayIcon::messageClicked, this, &CTrayController::ShowWindow);
    m_notifier.SetTray(m_pTray);
    m_pTray->show();
}

void CTrayController::SetPaused(bool bPaused)
{
    if (bPaused == m_bPaused)
        return;
    m_bPaused = bPaused;
    if (m_pPause && m_pPause->isChecked() != bPaused)
        m_pPause->setChecked(bPaused);
    // Resumed: the checks missed while paused come soon, then at their
    // intervals.
    for (int i = 0; i < 1 + static_cast<int>(m_aOthers.size()); ++i) {
        if (bPaused)
            TimerOf(i).stop();
        else if (LogicOf(i).IsOn())
            TimerOf(i).start(kFirstCheckDelay);
    }
    UpdateTray();
}

void CTrayController::CheckNow()
{
    // After the menu that asked has gone: a check does not start while a
    // popup is open.
    QTimer::singleShot(0, this, [this] {
        for (int i = 0; i < 1 + static_cast<int>(m_aOthers.size()); ++i) {
            if (LogicOf(i).IsOn())
                StartCheck(i);
        }
    });
}

void CTrayController::StartCheck(int nAccount)
{
    // Busy with the user's own scan, review or purge, or a dialog is open:
    // try again shortly.
    if (!m_view.StartBackgroundCheck(nAccount))
        TimerOf(nAccount).start(BackgroundCheck::kBusyRetry);
}

bool CTrayController::KeepsRunning() const
{
    return AnyOn() && m_pTray != nullptr;
}

void CTrayController::SayStillRunning()
{
    if (Preferences::TrayNoted(m_settings) || !m_pTray)
        return;
    Preferences::NoteTray(m_settings);
    m_notifier.Show(QStringLiteral("running"), QStringLiteral("Mavix"),
                    tr("Mavix keeps checking for mail in the background. "
                       "File › Exit quits."));
}

QString CTrayController::Tooltip() const
{
    const QString paused = m_bPaused ? QLatin1Char('\n') + tr("Background checks are paused") : QString();
    if (m_aOthers.empty())
        return FromCp1252(m_logic.Tooltip()) + paused;
    // "Mavix", then a line per account that is checked: its name and what
    // its last check found (the one-account tooltip without its "Mavix").
    QString text = QStringLiteral("Mavix");
    for (int i = 0; i < m_view.AccountCount(); ++i) {
        const BackgroundCheck& logic = i == 0 ? m_logic : m_aOthers[static_cast<size_t>(i - 1)].m_logic;
        if (!logic.IsOn())
            continue;
        const std::string line = logic.Tooltip();
        const size_t nBreak = line.find('\n');
        text += QLatin1Char('\n') + FromCp1252(m_view.AccountAt(i).DisplayName()) + QStringLiteral(": ")
            + (nBreak == std::string::npos ? tr("not checked yet") : FromCp1252(line.substr(nBreak + 1)));
    }
    return text + paused;
}

BackgroundCheck& CTrayController::LogicOf(int nAccount)
{
    return nAccount <= 0 ? m_logic : m_aOthers[static_cast<size_t>(nAccount - 1)].m_logic;
}

QTimer& CTrayController::TimerOf(int nAccount)
{
    return nAccount <= 0 ? m_timer : *m_aOthers[static_cast<size_t>(nAccount - 1)].m_pTimer;
}

int CTrayController::IntervalOf(int nAccount, int nPrefsMinutes) const
{
    const int nOwn = m_view.AccountAt(nAccount).m_nCheckEvery;
    return nOwn >= 0 ? nOwn : nPrefsMinutes;
}

bool CTrayController::AnyOn() const
{
    bool bOn = m_logic.IsOn();
    for (const OtherCheck& other : m_aOthers)
        bOn = bOn || other.m_logic.IsOn();
    return bOn;
}

void CTrayController::ApplyOtherIntervals(int nPrefsMinutes)
{
    const size_t nOthers = static_cast<size_t>(m_view.AccountCount() - 1);
    while (m_aOthers.size() > nOthers)
        m_aOthers.pop_back();
    while (m_aOthers.size() < nOthers) {
        const int nAccount = static_cast<int>(m_aOthers.size()) + 1;
        OtherCheck& other = m_aOthers.emplace_back();
        other.m_pTimer = std::make_unique<QTimer>();
        other.m_pTimer->setSingleShot(true);
        connect(other.m_pTimer.get(), &QTimer::timeout, this, [this, nAccount] { OnOtherTimer(nAccount); });
    }
    for (size_t i = 0; i < m_aOthers.size(); ++i) {
        OtherCheck& other = m_aOthers[i];
        const int nMinutes = IntervalOf(static_cast<int>(i) + 1, nPrefsMinutes);
        BackgroundCheck wanted;
        wanted.SetInterval(nMinutes);
        if (wanted.IntervalMinutes() == other.m_logic.IntervalMinutes() && other.m_pTimer->isActive())
            continue;
        other.m_logic.SetInterval(nMinutes);
        if (other.m_logic.IsOn()) {
            other.m_pTimer->start(other.m_bArmed ? other.m_logic.NextDelay()
                                                 : std::chrono::milliseconds(kFirstCheckDelay));
            other.m_bArmed = true;
        } else {
            other.m_pTimer->stop();
        }
    }
}

void CTrayController::OnOtherTimer(int nAccount)
{
    if (LogicOf(nAccount).IsOn() && !m_bPaused)
        StartCheck(nAccount);
}

void CTrayController::OnOtherCheckEnded(int nAccount, int nResult)
{
    if (nAccount < 1 || nAccount > static_cast<int>(m_aOthers.size()))
        return;
    CheckEnded(nAccount, nResult);
}

void CTrayController::CheckEnded(int nAccount, int nResult)
{
    BackgroundCheck& logic = LogicOf(nAccount);
    ScreeningSession& session = m_view.SessionAt(nAccount);
    if (nResult > 0) {
        logic.Succeeded(session.MsgCount(), session.SuspectKeys());
        const std::vector<std::string> news = m_notices.TakeNew(AccountKey(nAccount), ListedOf(nAccount));
        if (!news.empty()) {
            // With several accounts, the notification names this one.
            QString text = NewMailNotices::Text(news);
            if (!m_aOthers.empty())
                text = FromCp1252(m_view.AccountAt(nAccount).DisplayName()) + QStringLiteral(": ") + text;
            Notify(QStringLiteral("new:") + QString::fromStdString(AccountKey(nAccount)), text);
        }
    } else if (nResult < 0) {
        logic.Failed(platform::Cp1252ToUtf8(m_view.BackgroundFailureOf(nAccount)));
    }
    UpdateTray();
    if (logic.IsOn() && !m_bPaused)
        TimerOf(nAccount).start(logic.NextDelay());
}

std::vector<NewMailNotices::Listed> CTrayController::ListedOf(int nAccount)
{
    ScreeningSession& session = m_view.SessionAt(nAccount);
    const std::vector<PurgeRow> rows = session.PurgeSnapshot();
    std::vector<NewMailNotices::Listed> listed;
    listed.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const PurgeRow& row = rows[i];
        listed.push_back({BackgroundCheck::SuspectKey(row.m_sUidl, std::to_string(row.m_nNum), row.m_sSubject),
                          session.IsSuspect(i), row.m_sSubject});
    }
    return listed;
}

std::string CTrayController::AccountKey(int nAccount) const
{
    // The same mailbox under the same settings section: a renamed account
    // keeps what it was told.
    const AccountSettings& account = m_view.AccountAt(nAccount);
    return account.m_sSection + '\n' + account.m_sUser + '@' + account.m_sServer;
}

void CTrayController::Notify(const QString& kind, const QString& text)
{
    m_notifier.Show(kind, QStringLiteral("Mavix"), text);
    emit Notified(text);
}

std::vector<std::string> CTrayController::SuspectKeys() const
{
    return m_view.Session().SuspectKeys();
}

void CTrayController::Arm(std::chrono::milliseconds delay)
{
    m_timer.start(delay);
}

void CTrayController::OnTimer()
{
    if (m_logic.IsOn() && !m_bPaused)
        StartCheck(0);
}

void CTrayController::OnCheckEnded(int nResult)
{
    CheckEnded(0, nResult);
}

void CTrayController::OnReviewStarted()
{
    // What the user's own scan found counts as seen.
    for (int i = 0; i < 1 + static_cast<int>(m_aOthers.size()); ++i) {
        ScreeningSession& session = m_view.SessionAt(i);
        LogicOf(i).Seen(session.MsgCount(), session.SuspectKeys());
        m_notices.MarkSeen(AccountKey(i), ListedOf(i));
    }
    UpdateTray();
}

void CTrayController::ShowWindow()
{
    m_window.showNormal();
    m_window.raise();
    m_window.activateWindow();
}

void CTrayController::UpdateTray()
{
    if (m_pTray)
        m_pTray->setToolTip(Tooltip());
}
