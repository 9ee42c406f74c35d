#pragma once

#include "core/session/BackgroundCheck.h"
#include "gui/app/DesktopNotifier.h"
#include "gui/app/NewMailNotices.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

class CMavixView;
class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;
class SettingsStore;

// The background checks and the tray icon. The timer starts a check on the
// view ("Prefs" "CheckEvery" minutes apart, 0: off); BackgroundCheck
// decides the waits and the back-off. The first check comes shortly after
// the start, the others an interval apart. The icon is there only while
// checks are on and the desktop has a tray: its tooltip tells what is
// waiting, a click shows the window, and its menu checks now, shows the
// window, pauses the checks or quits. A check that finds new suspects says
// so in a desktop notification (DesktopNotifier), naming them, each once
// (NewMailNotices); "Open" on it shows the window.
//
// With several accounts each has its own checks: its interval (the
// account's CheckEvery, else the preferences'), its back-off and its timer;
// the tooltip has a line per account and a notification names the account
// whose new suspects it tells of.
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
    // The start's first check comes this long after the window was built:
    // the window is up and a login's desktop has settled, and the user does
    // not wait an interval to learn what came overnight. Resuming paused
    // checks waits as long.
    static constexpr std::chrono::seconds kFirstCheckDelay{5};

    // "Pause background checks" on the icon's menu: no check starts until
    // it is unticked ("Check now" still checks).
    void SetPaused(bool bPaused);
    bool Paused() const { return m_bPaused; }
    // "Check now": every account with checks on, at once.
    void CheckNow();
    QMenu* Menu() const { return m_pMenu; }
    DesktopNotifier& Notifier() { return m_notifier; }

    // A further account's checks (nAccount >= 1, as the view numbers them).
    BackgroundCheck& LogicOf(int nAccount);
    QTimer& TimerOf(int nAccount);

    // The keys of the view's suspect rows (BackgroundCheck::SuspectKey).
    std::vector<std::string> SuspectKeys() const;

signals:
    // A desktop notification was shown (or would have been, without a tray).
    void Notified(const QString& text);
    // "Quit" on the icon's menu.
    void ExitRequested();

private:
    void OnTimer();
    void OnCheckEnded(int nResult);
    // Either account's check ended: its news, its tooltip, its next check.
    void CheckEnded(int nAccount, int nResult);
    void StartCheck(int nAccount);
    void CreateIcon();
    // The account's messages as the last check or scan listed them.
    std::vector<NewMailNotices::Listed> ListedOf(int nAccount);
    std::string AccountKey(int nAccount) const;
    void OnReviewStarted();
    void ShowWindow();
    void UpdateTray();
    void Arm(std::chrono::milliseconds delay);
    // The account's interval: its own CheckEvery, else the preferences'.
    int IntervalOf(int nAccount, int nPrefsMinutes) const;
    bool AnyOn() const;
    void ApplyOtherIntervals(int nPrefsMinutes);
    void OnOtherTimer(int nAccount);
    void OnOtherCheckEnded(int nAccount, int nResult);
    void Notify(const QString& kind, const QString& text);

    // A further account's checks.
    struct OtherCheck {
        BackgroundCheck m_logic;
        std::unique_ptr<QTimer> m_pTimer;
        bool m_bArmed = false;  // its first check was timed
    };

    SettingsStore& m_settings;
    CMavixView& m_view;
    QWidget& m_window;
    BackgroundCheck m_logic;
    QTimer m_timer;
    QSystemTrayIcon* m_pTray = nullptr;
    QMenu* m_pMenu = nullptr;
    QAction* m_pPause = nullptr;
    bool m_bPaused = false;
    bool m_bArmed = false;  // the first check was timed
    DesktopNotifier m_notifier;
    NewMailNotices m_notices;
    std::vector<OtherCheck> m_aOthers;  // index 0: the view's account 1
};
