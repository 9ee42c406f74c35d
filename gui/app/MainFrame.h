#pragma once

#include "gui/review/MavixView.h"

#include <QMainWindow>
#include <QRect>
#include <QTimer>
#include <chrono>

class CRecentlyDeletedWindow;
class CAccountEditing;
class CTrayController;
class QAction;
class QLabel;
class SettingsStore;

// The one top-level window: the menu, the two-pane status bar and the
// screening view. It owns the window's state in the settings file: it places
// itself from the stored placement and stores it after every resize, hands
// the view its stored column widths, and on close saves both and lets the
// workers end within a bounded time.
class CMainFrame : public QMainWindow, public IMavixFrame {
    Q_OBJECT
public:
    static constexpr int kStartupDelayMs = 200;
    // How long the size must hold still before a resize is stored.
    static constexpr int kPlacementWriteDelayMs = 250;
    static constexpr std::chrono::milliseconds kShutdownBudget{20000};

    explicit CMainFrame(SettingsStore& settings, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Creates the screening view inside the frame and sizes it; the caller
    // then runs the view's OnInitialUpdate.
    CMavixView* CreateView();
    CMavixView* View() const { return m_pView; }

    // Where PreCreateWindow placed the window.
    QRect Placement() const { return m_rectPlacement; }
    // The placement rule on its own: the stored rectangle when usable for a
    // work area of the given size, else 95 % of it centred from the origin.
    // *pbDefault says the default was used (and must be stored).
    static QRect ChoosePlacement(int x, int y, int cx, int cy, const QSize& workArea, bool* pbDefault);

    // IMavixFrame
    bool SetStatusPaneText(int nPane, const QString& text) override;
    void SetStatusPaneToolTip(int nPane, const QString& text) override;
    void CoverStatusPane(QWidget* pBar) override;
    void UncoverStatusPane(QWidget* pBar) override;
    void ArmStartupTimer() override;
    void PostClose() override;

    QString StatusPaneText(int nPane) const;
    QLabel* StatusPane(int nPane) const;
    QAction* AboutAction() const { return m_pAbout; }
    // The background checks and the tray icon (made with the view).
    CTrayController* Tray() const { return m_pTray; }
    // Manage Account, Accounts… and Preferences.
    CAccountEditing* Editing() const { return m_pEditing; }
    // File › Exit: ends the program even when the tray would keep it.
    void Exit();
    // For tests: a shorter shutdown budget.
    void SetShutdownBudget(std::chrono::milliseconds budget) { m_shutdownBudget = budget; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PreCreateWindow();
    void WritePlacement();
    void CreateMenus();
    void CreateStatusBar();
    void OnStartupTimer();
    void OnHelp();
    void OnRecentlyDeleted();
    bool WaitForWorkers();

    SettingsStore& m_settings;
    QRect m_rectPlacement;
    QTimer m_placementTimer;
    QRect m_rectWritten;  // the placement last stored by a resize
    QRect m_rectPending;  // the placement waiting to be stored
    int m_bStartupTimerArmed = 0;
    QStatusBar* m_pStatusBar = nullptr;
    QLabel* m_pPane0 = nullptr;
    QLabel* m_pPane1 = nullptr;
    QLabel* m_pPane2 = nullptr;
    CMavixView* m_pView = nullptr;
    QAction* m_pManageAccount = nullptr;
    QAction* m_pManageFilter = nullptr;
    QAction* m_pPreferences = nullptr;
    QAction* m_pRescanAll = nullptr;
    QAction* m_pAbout = nullptr;
    CRecentlyDeletedWindow* m_pRecentlyDeleted = nullptr;
    CTrayController* m_pTray = nullptr;
    CAccountEditing* m_pEditing = nullptr;
    bool m_bExiting = false;  // a close that ends the program, tray or not
    std::chrono::milliseconds m_shutdownBudget = kShutdownBudget;
    bool m_bClosed = false;
};
