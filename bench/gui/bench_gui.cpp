// Times the window's whole scan — from pressing "Show Mavix" until the review
// buttons appear — over a Dovecot mailbox, against `mavix-cli scan --tsv` on
// the same server in the same run (the order alternating from round to
// round), and measures how long the event loop goes without turning while
// the rows arrive (a 10 ms timer notes every gap) and the window's peak
// memory. Medians over the rounds; the ratio is the median of the ratios
// within each round. Offscreen unless QT_QPA_PLATFORM says otherwise.
// Usage: bench_gui [messages] [rounds]   (default 10000, 5)

#include "gui/app/MainFrame.h"
#include "gui/review/MavixView.h"
#include "gui/review/MessageGridModel.h"
#include "core/storage/SettingsStore.h"
#include "tests/support/DovecotServer.h"
#include "bench/BenchRun.h"
#include "gui/widgets/Prompter.h"

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Runs mavix-cli with stdout to /dev/null in workDir; the wall time, or a
// negative value when it failed.
double RunCli(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
              const std::string& workDir)
{
    const BenchOutcome out = RunTimed(args, extraEnv, workDir);
    return out.m_bOk ? out.m_dSeconds : -1;
}

struct GuiOutcome {
    bool m_bOk = false;
    double m_dSeconds = 0;
    double m_dLongestGapWhileRows = 0;  // seconds
    double m_dLongestGapOverall = 0;
    int m_nRows = 0;
};

GuiOutcome RunGui(SettingsStore& settings, int count)
{
    GuiOutcome out;
    CMainFrame frame(settings);
    CMavixView* pView = frame.CreateView();
    pView->OnInitialUpdate();
    frame.show();
    QApplication::processEvents();

    auto* pShow = pView->findChild<QPushButton*>(QStringLiteral("showStop"));
    QEventLoop loop;
    bool bReview = false;
    QObject::connect(pView, &CMavixView::ReviewStarted, &loop, [&] {
        bReview = true;
        loop.quit();
    });
    QObject::connect(pView, &CMavixView::BecameIdle, &loop, &QEventLoop::quit);

    // The heartbeat: every turn of the event loop that runs this timer notes
    // the gap since the last one.
    Clock::time_point last = Clock::now();
    Clock::time_point firstRow{};
    QTimer beat;
    beat.setInterval(10);
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        const double gap = Seconds(now - last);
        out.m_dLongestGapOverall = std::max(out.m_dLongestGapOverall, gap);
        if (firstRow != Clock::time_point{})
            out.m_dLongestGapWhileRows = std::max(out.m_dLongestGapWhileRows, gap);
        last = now;
    });
    QObject::connect(&pView->Model(), &QAbstractItemModel::rowsInserted, [&] {
        if (firstRow == Clock::time_point{})
            firstRow = Clock::now();
    });
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);

    beat.start();
    last = Clock::now();
    const Clock::time_point start = Clock::now();
    pShow->click();
    loop.exec();
    out.m_dSeconds = Seconds(Clock::now() - start);
    beat.stop();
    out.m_nRows = pView->Model().Count();
    out.m_bOk = bReview && out.m_nRows == count;

    // End the review without deleting anything (RSET, QUIT).
    if (auto* pCancel = pView->findChild<QPushButton*>(QStringLiteral("cancel")); pCancel && bReview)
        pCancel->click();
    frame.close();
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::max(std::atoi(argv[2]), 1) : 5;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    DovecotServer dovecot;
    std::string why;
    if (!dovecot.Start(&why)) {
        std::fprintf(stderr, "Dovecot did not start: %s\n", why.c_str());
        return 1;
    }
    std::printf("filling the mailbox with %d messages...\n", count);
    std::fflush(stdout);
    dovecot.AddMessages(count);

    // Settings, the dump and the deletion log go to a scratch directory, never
    // the user's own; the window and mavix-cli read the same settings file.
    const std::filesystem::path scratch = std::filesystem::path(dovecot.Directory()) / "bench";
    std::filesystem::create_directories(scratch / "config");
    setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    setenv("XDG_STATE_HOME", (scratch / "state").c_str(), 1);
    setenv("XDG_DATA_HOME", (scratch / "data").c_str(), 1);
    setenv("MAVIX_SYSCONFDIR", (scratch / "etc").c_str(), 1);
    const std::string port = std::to_string(dovecot.Port());

    QApplication app(argc, argv);
    // Any message box would block the run; note it instead.
    Prompter::SetMessageBoxHook(
        [](QWidget*, const QString& text) { std::fprintf(stderr, "message box: %s\n", qPrintable(text)); });
    SettingsStore settings;
    settings.Open();
    settings.WriteString("Acct", "Server", "127.0.0.1");
    settings.WriteString("Acct", "Port", port);
    settings.WriteString("Acct", "User", dovecot.User());
    settings.WriteString("Acct", "Pass", dovecot.Password());
    settings.WriteInt("Screen", "x", 0);
    settings.WriteInt("Screen", "y", 0);
    settings.WriteInt("Screen", "cx", 1200);
    settings.WriteInt("Screen", "cy", 800);
    std::filesystem::current_path(scratch);

    const std::vector<std::string> cli = {MAVIX_CLI_PATH, "scan", "--tsv"};
    const std::vector<std::string> env = {"MAVIX_PASSWORD=" + dovecot.Password()};
    // One untimed pass lets Dovecot build its index and move every file to cur/.
    if (RunCli(cli, env, scratch.string()) < 0) {
        std::fprintf(stderr, "mavix-cli scan failed\n");
        return 1;
    }

    std::vector<double> cliTimes, guiTimes, ratios;
    double worstGap = 0, worstGapOverall = 0;
    for (int r = 0; r < rounds; ++r) {
        double cliSeconds = -1;
        GuiOutcome gui;
        if (r % 2 == 0) {
            cliSeconds = RunCli(cli, env, scratch.string());
            gui = RunGui(settings, count);
        } else {
            gui = RunGui(settings, count);
            cliSeconds = RunCli(cli, env, scratch.string());
        }
        if (cliSeconds < 0 || !gui.m_bOk) {
            std::fprintf(stderr, "round %d failed (cli %.3f, window rows %d)\n", r + 1, cliSeconds, gui.m_nRows);
            return 1;
        }
        std::printf("round %d: mavix-cli %.3f s, window %.3f s, longest stall while rows arrive %.1f ms"
                    " (from the click %.1f ms)\n",
                    r + 1, cliSeconds, gui.m_dSeconds, gui.m_dLongestGapWhileRows * 1000,
                    gui.m_dLongestGapOverall * 1000);
        std::fflush(stdout);
        cliTimes.push_back(cliSeconds);
        guiTimes.push_back(gui.m_dSeconds);
        ratios.push_back(gui.m_dSeconds / cliSeconds);
        worstGap = std::max(worstGap, gui.m_dLongestGapWhileRows);
        worstGapOverall = std::max(worstGapOverall, gui.m_dLongestGapOverall);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double ratio = Median(ratios);
    std::printf("\n%d messages, medians of %d rounds\n", count, rounds);
    std::printf("mavix-cli scan --tsv      : %.3f s\n", Median(cliTimes));
    std::printf("window, Show to review    : %.3f s\n", Median(guiTimes));
    std::printf("ratio (window / mavix-cli): %.2f  (%s 1.05)\n", ratio, ratio <= 1.05 ? "within" : "NOT within");
    std::printf("longest event-loop stall while rows arrive: %.1f ms (%s 50 ms); from the click: %.1f ms\n",
                worstGap * 1000, worstGap <= 0.05 ? "within" : "NOT within", worstGapOverall * 1000);
    std::printf("window process peak memory: %.1f MiB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
