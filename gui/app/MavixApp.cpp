#include "MavixApp.h"

#include "core/platform/UserFolders.h"

#include "gui/app/MainFrame.h"
#include "gui/app/TrayController.h"
#include "gui/dialogs/AboutDlg.h"
#include "gui/widgets/Prompter.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QStandardPaths>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

// The icons are linked in from a static library: registered explicitly, at
// global scope as the resource initialiser's name requires.
static void InitResources()
{
    Q_INIT_RESOURCE(mavix);
}

CMavixApp::CMavixApp()
{
    InitResources();
}

CMavixApp::~CMavixApp() = default;

bool CMavixApp::InitInstance()
{
    // The first start imports the administrator's defaults, before the
    // window reads its placement.
    bool bCreated = false;
    if (m_settings.Open(&bCreated) && bCreated) {
        m_settings.WriteNewSettingsDefaults();
        m_settings.ImportIniFile();
    }

    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/mavix/icons/mavix-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);

    m_pMainFrame = std::make_unique<CMainFrame>(m_settings);
    CMavixView* pView = m_pMainFrame->CreateView();
    QObject::connect(m_pMainFrame->AboutAction(), &QAction::triggered, m_pMainFrame.get(), [this] { OnAppAbout(); });
    pView->OnInitialUpdate();
    const CTrayController* pTray = m_pMainFrame->Tray();
    if (!m_bStartHidden || !pTray || !pTray->KeepsRunning())
        m_pMainFrame->show();
    return true;
}

void CMavixApp::OnAppAbout()
{
    CAboutDlg dlg(&m_bMailLinkVisited, &m_bWebLinkVisited, m_pMainFrame.get());
    Prompter::RunModal(dlg);
}

bool CMavixApp::EnterDataDirectory(std::string* psDir)
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return false;
    const std::string dir = QFile::encodeName(base + QStringLiteral("/Mavix")).toStdString();
    if (psDir)
        *psDir = dir;
    // Each level that is missing is made private: the folder will hold
    // "message.txt", the headers of the user's mail.
    return platform::MakePrivateFolders(dir) && chdir(dir.c_str()) == 0;
}
