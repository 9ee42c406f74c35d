#pragma once

#include "core/storage/SettingsStore.h"

#include <memory>
#include <string>

class CMainFrame;

// The program itself: opens the settings (importing the system-wide INI file
// on the very first start), builds the main window with its screening view,
// and answers the About command. It outlives the window.
class CMavixApp {
public:
    CMavixApp();
    ~CMavixApp();
    CMavixApp(const CMavixApp&) = delete;
    CMavixApp& operator=(const CMavixApp&) = delete;

    // Opens the settings, creates and shows the main window. False ends the
    // program at once.
    bool InitInstance();
    void OnAppAbout();
    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }

    // A launch from the desktop menu may start in a folder the user cannot
    // write to, yet the scan writes "message.txt" and reads "defaults.txt" in
    // the current folder: such a launch works in $XDG_DATA_HOME/Mavix, made
    // private when created. *psDir gets the folder; false when it cannot be
    // made or entered.
    static bool EnterDataDirectory(std::string* psDir);

    SettingsStore m_settings;
    // "--hidden": the window waits behind the tray icon; without an icon
    // (no tray, no background checks) it shows as usual.
    bool m_bStartHidden = false;
    int m_bMailLinkVisited = 0;  // the About box's links, visited in this run
    int m_bWebLinkVisited = 0;

private:
    std::unique_ptr<CMainFrame> m_pMainFrame;
};
