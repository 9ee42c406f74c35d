#include "gui/app/MavixApp.h"
#include "gui/dialogs/Autostart.h"
#include "core/platform/Secrets.h"
#include "gui/review/MavixView.h"
#include "translations/UiLanguage.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kUsage[] = QT_TRANSLATE_NOOP("main",
                                        "Usage: mavix [--desktop] [--hidden]\n"
                                        "Screens POP3 mailboxes: shows the headers of the waiting mail and deletes\n"
                                        "the checked messages on the server before any mail program downloads them.\n"
                                        "\"message.txt\" (the headers of the last scan) and \"defaults.txt\" (default\n"
                                        "filter lists) are written and read in the current folder.\n"
                                        "\n"
                                        "  --desktop   work in $XDG_DATA_HOME/Mavix (what the desktop launcher does)\n"
                                        "  --hidden    start in the tray, without the window (what starting at log-in\n"
                                        "              does); without a tray or background checks the window shows\n"
                                        "  --help      show this text\n"
                                        "  --version   show the version\n"
                                        "Qt's own options (-platform, -style, ...) are accepted too.\n");

}  // namespace

int main(int argc, char** argv)
{
    // The password will be in this process's memory: no core file may hold it.
    platform::DisableCoreDumps();

    // The desktop's language, for --help too.
    QTranslator texts;
    ui_language::LoadMavixTexts(texts);

    // Answered before any window system is needed.
    bool bDesktop = false;
    bool bHidden = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            const QString usage = texts.translate("main", kUsage);
            std::fputs(usage.isEmpty() ? kUsage : usage.toLocal8Bit().constData(), stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--version") || !std::strcmp(argv[i], "-v")) {
            std::printf("mavix %s\n", MAVIX_VERSION);
            return 0;
        }
        if (!std::strcmp(argv[i], "--desktop"))
            bDesktop = true;
        if (!std::strcmp(argv[i], "--hidden"))
            bHidden = true;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mavix"));
    QApplication::setApplicationVersion(QStringLiteral(MAVIX_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("mavix"));
    QTranslator qtTexts;
    if (ui_language::LoadQtTexts(qtTexts))
        QCoreApplication::installTranslator(&qtTexts);
    QCoreApplication::installTranslator(&texts);

    if (bDesktop) {
        std::string dir;
        if (!CMavixApp::EnterDataDirectory(&dir))
            std::fprintf(stderr, "mavix: %s\n",
                         QCoreApplication::translate("main", "cannot work in %1; staying in the current folder")
                             .arg(QString::fromLocal8Bit(dir))
                             .toLocal8Bit()
                             .constData());
    }

    // The log-in's entry follows the program: a new install or another
    // build is what starts at the next log-in.
    QString autostartError;
    if (!Autostart::Refresh(&autostartError))
        std::fprintf(stderr, "mavix: %s\n", autostartError.toLocal8Bit().constData());

    int rc = 0;
    {
        CMavixApp theApp;
        theApp.m_bStartHidden = bHidden;
        if (!theApp.InitInstance())
            return 0;
        rc = QApplication::exec();
        // A worker that did not end within the shutdown budget still runs
        // inside the window's objects: leave without tearing them down. The
        // settings were saved by the close sequence.
        if (CMavixView::WorkersAbandoned()) {
            std::fflush(nullptr);
            std::_Exit(rc);
        }
    }
    return rc;
}
