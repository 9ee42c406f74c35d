#pragma once

#include "core/session/BackgroundCheck.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <string>
#include <vector>

class CMavixView;
class QMenu;
class QSystemTrayIcon;
class QWidget;
class SettingsStore;

// The background checks and the tray icon. The timer starts a check on the
// view ("Prefs" "CheckEvery" minutes apart, 0: off); BackgroundCheck
// decides the waits, the back-off and when to notify. The icon is there
// only while checks are on and the desktop has a tray: its tooltip tells
// what is waiting, a notification when more suspects arrive, and a click
// on either shows the window.
class CTrayController : public QObject {
    Q_OBJECT
public:
    CTrayController(SettingsStore& settings, CMavixView& view, QWidget& window);
    ~CTrayController() override;

    // Reads the interval again: starts, re-times or stops the checks, and
    // shows or removes the icon.
    void ApplySettings();
    // Closing the window leaves Mavix running in the tray.
    bool KeepsRunning() const;
    // Tells the user once (ever) that Mavix stays in the tray.
    void SayStillRunning();

    BackgroundCheck& Logic() { return m_logic; }
    QTimer& Timer() { return m_timer; }
    QSystemTrayIcon* Tray() const { return m_pTray; }
    QString Tooltip() const;

    // The keys of the view's suspect rows (BackgroundCheck::SuspectKey).
    std::vector<std::string> SuspectKeys() const;

signals:
    // A desktop notification was shown (or would have been, without a tray).
    void Notified(const QString& text);
    // "Exit" on the icon's menu.
    void ExitRequested();

private:
    void OnTimer();
    void OnCheckEnded(int nResult);
    void OnReviewStarted();
    void ShowWindow();
    void UpdateTray();
    void Arm(std::chrono::milliseconds delay);

    SettingsStore& m_settings;
    CMavixView& m_view;
    QWidget& m_window;
    BackgroundCheck m_logic;
    QTimer m_timer;
    QSystemTrayIcon* m_pTray = nullptr;
    QMenu* m_pMenu = nullptr;
};
