#include "TrayController.h"
#include "core/storage/Preferences.h"

#include "core/platform/Cp1252.h"
#include "gui/review/MavixView.h"
#include "gui/review/MessageGridModel.h"
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
      m_window(window)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CTrayController::OnTimer);
    connect(&m_view, &CMavixView::BackgroundCheckEnded, this, &CTrayController::OnCheckEnded);
    connect(&m_view, &CMavixView::ReviewStarted, this, &CTrayController::OnReviewStarted);
    connect(&m_view, &CMavixView::BecameIdle, this, [this] {
        if (m_view.Model().Count() == 0) {
            m_logic.Forget();
            UpdateTray();
        }
    });
    ApplySettings();
}

CTrayController::~CTrayController()
{
    delete m_pMenu;
}

void CTrayController::ApplySettings()
{
    const int nMinutes = Preferences::Load(m_settings).m_nCheckEvery;
    BackgroundCheck wanted;
    wanted.SetInterval(nMinutes);
    if (wanted.IntervalMinutes() != m_logic.IntervalMinutes()) {
        m_logic.SetInterval(nMinutes);
        if (m_logic.IsOn())
            Arm(m_logic.NextDelay());
        else
            m_timer.stop();
    }
    const bool bTray = m_logic.IsOn() && QSystemTrayIcon::isSystemTrayAvailable();
    if (bTray && !m_pTray) {
        // The program's icon; a window without one still gets a visible icon.
        QIcon icon = QApplication::windowIcon();
        if (icon.isNull())
            icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation);
        m_pTray = new QSystemTrayIcon(icon, this);
        m_pMenu = new QMenu;
        m_pMenu->addAction(QStringLiteral("Show Mavix"), this, &CTrayController::ShowWindow);
        m_pMenu->addSeparator();
        m_pMenu->addAction(QStringLiteral("Exit"), this, &CTrayController::ExitRequested);
        m_pTray->setContextMenu(m_pMenu);
        connect(m_pTray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                ShowWindow();
        });
        connect(m_pTray, &QSystemTrayIcon::messageClicked, this, &CTrayController::ShowWindow);
        m_pTray->show();
    } else if (!bTray && m_pTray) {
        delete m_pTray;
        m_pTray = nullptr;
        delete m_pMenu;
        m_pMenu = nullptr;
    }
    // With the icon, closing the window (and any dialog it left open) must
    // not end the program: only File › Exit does.
    QApplication::setQuitOnLastWindowClosed(m_pTray == nullptr);
    UpdateTray();
}

bool CTrayController::KeepsRunning() const
{
    return m_logic.IsOn() && m_pTray != nullptr;
}

void CTrayController::SayStillRunning()
{
    if (Preferences::TrayNoted(m_settings) || !m_pTray)
        return;
    Preferences::NoteTray(m_settings);
    m_pTray->showMessage(QStringLiteral("Mavix"),
                         QStringLiteral("Mavix keeps checking for mail in the background. "
                                        "File \u203a Exit quits."),
                         QSystemTrayIcon::Information);
}

QString CTrayController::Tooltip() const
{
    return QString::fromStdString(m_logic.Tooltip());
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
    if (!m_logic.IsOn())
        return;
    // Busy with the user's own scan, review or purge, or a dialog is open:
    // try again shortly.
    if (!m_view.StartBackgroundCheck())
        Arm(BackgroundCheck::kBusyRetry);
}

void CTrayController::OnCheckEnded(int nResult)
{
    if (nResult > 0) {
        if (m_logic.Succeeded(m_view.Session().MsgCount(), SuspectKeys())) {
            const QString text = QString::fromStdString(m_logic.Summary());
            if (m_pTray)
                m_pTray->showMessage(QStringLiteral("Mavix"), text, QSystemTrayIcon::Information);
            emit Notified(text);
        }
    } else if (nResult < 0) {
        m_logic.Failed(platform::Cp1252ToUtf8(m_view.BackgroundFailure()));
    }
    UpdateTray();
    if (m_logic.IsOn())
        Arm(m_logic.NextDelay());
}

void CTrayController::OnReviewStarted()
{
    // What the user's own scan found counts as seen.
    m_logic.Seen(m_view.Session().MsgCount(), SuspectKeys());
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
