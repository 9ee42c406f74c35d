// mavix-cli: the screening job for terminals, scripts and cron. The same
// engine as the desktop program, driven from the main thread through a queue.

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <clocale>
#include <cstdlib>
#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "cli/CliListener.h"
#include "cli/CliOptions.h"
#include "cli/JournalPrint.h"
#include "cli/RowFormat.h"
#include "core/storage/Filters.h"
#include "core/platform/Cp1252.h"
#include "core/platform/Secrets.h"
#include "core/storage/DeletionJournal.h"
#include "core/session/PurgeJournal.h"
#include "core/storage/QuarantineMaildir.h"
#include "core/session/ScreeningEngine.h"
#include "core/session/SessionMachine.h"
#include "core/storage/AccountSettings.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/ServerWait.h"
#include "core/storage/SettingsStore.h"

#include <QCoreApplication>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitMismatch = 3;
constexpr int kExitInterrupted = 130;
constexpr int kExitTerminated = 143;

void Error(const std::string& text)
{
    std::fprintf(stderr, "mavix-cli: %s\n", text.c_str());
}

// Texts typed on the command line or in the environment are UTF-8; the
// account's texts are Windows-1252 bytes, as the settings store keeps them.
std::string FromUtf8(const std::string& utf8)
{
    bool bLossy = false;
    std::string bytes = platform::Utf8ToCp1252(utf8, &bLossy);
    // Characters Windows-1252 cannot hold: send the bytes as typed rather
    // than a password with '?' in it.
    return bLossy ? utf8 : bytes;
}

class CCliRun {
public:
    explicit CCliRun(const CliOptions& options)
        : m_options(options), m_engine(m_listener)
    {
        if (!m_options.m_bTsv && ::isatty(STDOUT_FILENO))
            std::setvbuf(stdout, nullptr, _IOLBF, 0);
        else
            std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
    }

    int Run(const Account& account, const FilterLists& lists, int hSignals, QuarantineOptions quarantine,
            std::chrono::seconds wait);

    // The engine's notifications, on the main thread.
    void OnScanAnswered(const ScanAnswered&) {}
    void OnScanRow(const ScanRowsWaiting&);
    void OnScanDone(const ScanDone& done);
    void OnPurgeProgress(const PurgeProgress& progress);
    void OnPurgeDone(const PurgeDone& done);
    void OnSessionChecked(const SessionChecked&) {}
    void OnSessionEnded(const SessionEnd&) { m_machine.SessionEnded(); }
    void OnServerWaiting(const ServerWaiting& waiting);
    void EraseWaitLine();

private:
    void OnSignal(uint32_t nSignal);
    void WaitForWorkers(int hSignals);
    void StartPurge();
    void EndSession();
    void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

    const CliOptions& m_options;
    CCliListener m_listener;
    ScreeningEngine m_engine;
    SessionMachine m_machine;
    int m_nExit = kExitOk;
    int m_nSuspects = 0;
    bool m_bInterrupted = false;
    bool m_bWaitShown = false;         // "Waiting for the server" is on the terminal's last line
    std::vector<ScanRow> m_aTaken;     // the last take from the engine, reused
    int m_nRowCount = 0;               // rows printed
    // A purge keeps of each row what it needs (PurgeRowOf): number, UIDL,
    // raw Subject and whether it is checked, and of a checked one what the
    // journal records; a plain scan keeps nothing once printed.
    std::vector<PurgeRow> m_aPurge;
    std::set<int> m_wanted, m_listed;  // --rows, and those of them the scan listed
    bool m_bMismatch = false;
    std::vector<int> m_aDeleted;    // marked deleted; printed once QUIT has committed them
    std::unique_ptr<CTableLayout> m_pTable;
};

int CCliRun::Run(const Account& account, const FilterLists& lists, int hSignals, QuarantineOptions quarantine,
                 std::chrono::seconds wait)
{
    m_engine.SetQuarantine(std::move(quarantine));
    m_engine.SetServerWait(wait);
    m_engine.StartThreads();
    m_machine.StartScan(false);
    // What OnScanRow keeps once a row is printed: a scan nothing; a purge a
    // PurgeRow of each row and the whole row of each it checks (the rows
    // --rows names are as many as the user typed).
    RowKeeping keeping = RowKeeping::kNone;
    if (m_options.m_nCommand == CliOptions::kPurge)
        keeping = m_options.m_nSelection == CliOptions::kSelectAll ? RowKeeping::kEveryRow : RowKeeping::kPurgeRows;
    m_engine.StartScan(account, lists, keeping);

    while (m_machine.Current() != SessionMachine::State::kIdle) {
        pollfd fds[2] = {{m_listener.Fd(), POLLIN, 0}, {hSignals, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            Error("poll failed");
            m_engine.Stop();
            m_nExit = kExitFailed;
            break;
        }
        if (fds[1].revents & POLLIN) {
            signalfd_siginfo info;
            if (::read(hSignals, &info, sizeof info) == sizeof info)
                OnSignal(info.ssi_signo);
        }
        ScreeningNote note;
        while (m_machine.Current() != SessionMachine::State::kIdle && m_listener.Pop(note))
            DeliverNote(note, *this);
    }
    // A script reading the output must learn when it is incomplete (a full
    // disk, for instance).
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Error("cannot write the output");
        if (m_nExit == kExitOk)
            m_nExit = kExitFailed;
    }
    m_engine.SignalQuit();
    WaitForWorkers(hSignals);
    return m_nExit;
}

// The workers end at once after SignalQuit, bar a host look-up or a purge's
// last replies; meanwhile a second Ctrl-C or a SIGTERM still leaves at once.
void CCliRun::WaitForWorkers(int hSignals)
{
    while (!m_engine.WaitEnded(std::chrono::milliseconds(50))) {
        pollfd fd = {hSignals, POLLIN, 0};
        if (::poll(&fd, 1, 0) > 0) {
            signalfd_siginfo info;
            if (::read(hSignals, &info, sizeof info) == sizeof info) {
                m_bInterrupted = true;
                OnSignal(info.ssi_signo);
            }
        }
    }
}

// A second Ctrl-C, or SIGTERM, leaves at once: without QUIT the server
// never enters its UPDATE state, so nothing is deleted (RFC 1939 §6).
void CCliRun::OnSignal(uint32_t nSignal)
{
    if (m_bInterrupted || nSignal == SIGTERM) {
        std::fflush(stdout);
        std::_Exit(nSignal == SIGTERM ? kExitTerminated : kExitInterrupted);
    }
    EraseWaitLine();
    m_bInterrupted = true;
    m_nExit = kExitInterrupted;
    if (m_machine.IsScanning()) {
        Error("interrupted: scan stopped");
        m_engine.Stop();
        m_machine.Stop();
    } else if (m_machine.IsPurging()) {
        // Before QUIT nothing is deleted; after it, the journal says what
        // may have been. OnPurgeDone tells which.
        Error("interrupted: stopping the purge");
        m_engine.CancelPurge();
    } else if (m_machine.Current() == SessionMachine::State::kEnding) {
        // Nothing is marked: the session may end without its QUIT.
        m_machine.Stop();
    }
}

// On a terminal only, one line rewritten in place and erased when the server
// speaks again: a script reading stderr gets no progress noise.
void CCliRun::OnServerWaiting(const ServerWaiting& waiting)
{
    static const bool bTerminal = ::isatty(STDERR_FILENO) != 0;
    if (waiting.m_nSeconds == 0 || !bTerminal || (!m_machine.IsScanning() && !m_machine.IsPurging())) {
        EraseWaitLine();
        return;
    }
    std::fprintf(stderr, "\rWaiting for the server (%u s)...", waiting.m_nSeconds);
    m_bWaitShown = true;
}

void CCliRun::EraseWaitLine()
{
    if (std::exchange(m_bWaitShown, false))
        std::fputs("\r\033[K", stderr);
}

void CCliRun::OnScanRow(const ScanRowsWaiting&)
{
    if (!m_engine.TakeRows(m_aTaken))
        return;
    const bool bPurge = m_options.m_nCommand == CliOptions::kPurge;
    if (bPurge && m_aPurge.empty()) {
        m_wanted.insert(m_options.m_aRows.begin(), m_options.m_aRows.end());
        m_aPurge.reserve(static_cast<size_t>(std::max(m_engine.MsgCount(), 0)));
    }
    std::string out;
    for (ScanRow& taken : m_aTaken) {
        MessageRow& row = taken.m_row;
        const int nSuspect = taken.m_nSuspect;
        if (taken.m_nRepeat) {
            // The same message number twice: the listing and the rows no
            // longer agree, and a purge by number could hit the wrong message.
            Print(out);
            Error("Protocol Error - restart");
            m_engine.Stop();
            m_nExit = kExitFailed;
            m_machine.Stop();
            return;
        }
        if (nSuspect)
            ++m_nSuspects;
        if (m_options.m_bTsv) {
            out += TsvRow(row, nSuspect != 0, m_options.m_bRaw);
        } else {
            if (!m_pTable) {
                m_pTable = std::make_unique<CTableLayout>(TerminalWidth(), m_engine.MsgCount(),
                                                          m_options.m_bRaw);
                out += m_pTable->Header();
            }
            out += m_pTable->Row(row, nSuspect != 0);
        }
        ++m_nRowCount;
        if (bPurge) {
            const int num = std::atoi(row.m_sNum.c_str());
            bool bChecked = false;
            switch (m_options.m_nSelection) {
            case CliOptions::kSelectSuspects: bChecked = nSuspect != 0; break;
            case CliOptions::kSelectAll: bChecked = true; break;
            case CliOptions::kSelectRows: bChecked = m_wanted.count(num) != 0; break;
            case CliOptions::kSelectNone: break;
            }
            if (m_wanted.count(num))
                m_listed.insert(num);
            m_aPurge.push_back(PurgeRowOf(row, num, bChecked));
        }
    }
    Print(out);
}

void CCliRun::OnScanDone(const ScanDone& done)
{
    std::fflush(stdout);
    const std::string& status = done.m_sStatus;
    if (!status.empty())
        std::fprintf(stderr, "%s\n", Printable(status).c_str());
    if (m_nRowCount > 0)
        std::fprintf(stderr, "  %d eMails :   %d Suspect\n", m_engine.MsgCount(), m_nSuspects);
    m_machine.ScanDone(done.m_nResult == -1, m_nRowCount > 0);
    if (done.m_nResult == -1) {
        // The engine has ended the session already.
        if (status.empty())
            Error("the scan failed");
        m_nExit = kExitFailed;
        return;
    }
    if (m_options.m_nCommand != CliOptions::kPurge || m_nRowCount == 0) {
        EndSession();
        return;
    }
    StartPurge();
}

void CCliRun::StartPurge()
{
    for (int num : m_wanted) {
        if (!m_listed.count(num)) {
            Error("there is no message " + std::to_string(num) + " on the server; nothing deleted");
            EndSession();
            m_nExit = kExitUsage;
            return;
        }
    }
    m_machine.StartPurge();
    m_engine.StartPurge(std::move(m_aPurge));
    m_aPurge = {};
}

void CCliRun::OnPurgeProgress(const PurgeProgress& progress)
{
    const std::string num = std::to_string(progress.m_nNum);
    const bool bTsv = m_options.m_bTsv;
    switch (progress.m_nOutcome) {
    case PurgeOutcome::kMarked:
        m_aDeleted.push_back(progress.m_nNum);
        break;
    case PurgeOutcome::kChanged:
    case PurgeOutcome::kUnreadable:
    case PurgeOutcome::kIdChanged:
        m_bMismatch = true;
        if (bTsv) {
            Print("mismatch\t" + num + "\t" + TsvField(progress.m_sGridSubject) + "\t"
                  + TsvField(progress.m_sServerSubject) + "\n");
        } else {
            Print("mismatch  " + num + ": the list has \"" + Printable(progress.m_sGridSubject)
                  + "\" but the server has \"" + Printable(progress.m_sServerSubject)
                  + "\"; stopped, nothing further deleted\n");
        }
        break;
    case PurgeOutcome::kRefused:
        if (bTsv)
            Print("refused\t" + num + "\t" + TsvField(progress.m_sReply) + "\n");
        else
            Print("refused   " + num + ": " + Printable(progress.m_sReply) + "\n");
        break;
    case PurgeOutcome::kGone:
        Print(bTsv ? "gone\t" + num + "\n" : "gone      " + num + ": already removed from the server\n");
        break;
    case PurgeOutcome::kUnavailable:
    case PurgeOutcome::kUnidentified:
        Print(bTsv ? "skipped\t" + num + "\n"
                   : "skipped   " + num + ": the message could not be read or found, so it is left alone\n");
        break;
    case PurgeOutcome::kNotKept:
        if (bTsv)
            Print("notkept\t" + num + "\t" + TsvField(progress.m_sReply) + "\n");
        else
            Print("not kept  " + num + ": " + Printable(progress.m_sReply) + " Not deleted.\n");
        break;
    case PurgeOutcome::kNotChecked:
    case PurgeOutcome::kBroken:
        break;
    }
}

void CCliRun::OnPurgeDone(const PurgeDone& done)
{
    m_machine.PurgeDone();
    const PurgeResult& result = done.m_result;
    // Only deletions QUIT committed are reported as done (RFC 1939 §6);
    // those whose QUIT went unanswered may be done.
    if (result.m_bCommitted || result.m_bUnconfirmed)
        for (int num : m_aDeleted)
            Print(m_options.m_bTsv ? (result.m_bCommitted ? "deleted\t" : "unconfirmed\t") + std::to_string(num) + "\n"
                                   : (result.m_bCommitted ? "deleted   " : "possibly deleted  ") + std::to_string(num)
                                         + "\n");
    std::fflush(stdout);
    if (result.m_bJournalBehind)
        Error("the deletions stand, but the journal could not record them as done; the next scan settles them");
    const std::string& summary = done.m_sSummary;
    if (m_bInterrupted) {
        if (result.m_bCommitted) {
            // The interrupt came after the purge had sent its QUIT.
            Error("the purge had already ended; its deletions stand");
            m_nExit = m_bMismatch ? kExitMismatch : kExitOk;
        } else if (result.m_bUnconfirmed) {
            Error("interrupted while waiting for QUIT's reply: " + Printable(summary));
        } else {
            Error("nothing was deleted");
        }
        return;
    }
    if (!result.m_sNotStarted.empty() || result.m_bBroken || result.m_bNotRecorded) {
        Error(Printable(summary));
        m_nExit = kExitFailed;
        return;
    }
    if (!result.m_bCommitted) {
        Error(Printable(summary) + (result.m_sReason.empty() ? "" : " (" + Printable(result.m_sReason) + ")"));
        m_nExit = m_bMismatch ? kExitMismatch : kExitFailed;
        return;
    }
    // Every checked message that is still on the server, by number.
    std::vector<int> kept = result.m_aRefused;
    kept.insert(kept.end(), result.m_aChanged.begin(), result.m_aChanged.end());
    kept.insert(kept.end(), result.m_aLeft.begin(), result.m_aLeft.end());
    kept.insert(kept.end(), result.m_aNotKept.begin(), result.m_aNotKept.end());
    std::sort(kept.begin(), kept.end());
    if (!kept.empty() || !result.m_aGone.empty() || result.m_nWithoutId > 0)
        std::fprintf(stderr, "%s\n", Printable(summary).c_str());
    if (!kept.empty()) {
        std::string list;
        for (int num : kept)
            list += (list.empty() ? "" : ", ") + std::to_string(num);
        Error("not deleted: " + list);
        m_nExit = m_bMismatch ? kExitMismatch : kExitFailed;
    }
}

// Main thread: a scan leaves its session logged in for a purge; when none
// follows it ends here, on the engine's thread. Nothing is marked as
// deleted, so QUIT changes nothing on the server.
void CCliRun::EndSession()
{
    m_machine.EndSession();
    m_engine.EndSession(false);
}

// The stored account, with what the command line gives in its place; the
// password is read later.
AccountSettings AccountFor(const CliOptions& options, const SettingsStore& settings)
{
    AccountSettings account = AccountSettings::Load(settings);
    if (options.m_sServer)
        account.m_sServer = FromUtf8(*options.m_sServer);
    if (options.m_sUser)
        account.m_sUser = FromUtf8(*options.m_sUser);
    if (options.m_sPort)
        account.m_sPort = *options.m_sPort;
    if (options.m_sTlsFingerprint)
        account.m_sTlsFingerprint = *options.m_sTlsFingerprint;
    if (options.m_sSecurity) {
        account.m_sSecurity = *options.m_sSecurity;
        // As in the account window: a standard port follows a security
        // mode given on the command line.
        if (!options.m_sPort)
            account.m_sPort =
                AccountSettings::PortFor(AccountSettings::SecurityOf(account.m_sSecurity), account.m_sPort);
    }
    return account;
}

// The command line, and what it asks for that needs no account: a usage
// error, --help, or the log. Empty: a scan or a purge follows.
std::optional<int> RunWithoutAccount(int argc, char** argv, CliOptions& options)
{
    std::string why;
    if (!ParseCliOptions(argc, argv, options, &why)) {
        Error(why);
        std::fprintf(stderr, "Try 'mavix-cli --help'.\n");
        return kExitUsage;
    }
    if (options.m_bHelp) {
        std::fputs(CliHelpText().c_str(), stdout);
        return kExitOk;
    }
    if (options.m_nCommand == CliOptions::kLog)
        return PrintJournal(DeletionJournal(), QuarantineMaildir(), options.m_bTsv, stdout);
    return std::nullopt;
}

// Every field the log-in needs, or the user is told which are blank.
bool AccountComplete(const AccountSettings& account)
{
    if (account.IsComplete())
        return true;
    std::fprintf(stderr, "Failed to connect (some field is blank)\nserver=%s, user=%s port=%s\n",
                 Printable(account.m_sServer).c_str(), Printable(account.m_sUser).c_str(),
                 Printable(account.m_sPort).c_str());
    return false;
}

void LoadLists(Filters& filters, SettingsStore& settings)
{
    filters.LoadDefaults();
    if (!filters.DefaultsWarning().empty())
        Error(filters.DefaultsWarning());
    filters.LoadFilters(settings);
    if (settings.ReadInt("Prefs", "Def", 0) != 0)
        filters.ApplyDefaultsOnLaunch();
}

// Ctrl-C and SIGTERM arrive through a descriptor the main loop polls;
// blocked before the workers start, so they never see them. -1: none.
int WatchSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return ::signalfd(-1, &signals, SFD_CLOEXEC);
}

// The scan, or the scan and its purge; the exit status.
int RunScreening(const CliOptions& options, const Account& account, const Filters& filters,
                 SettingsStore& settings, int hSignals)
{
    // Copies of what the purge deletes, when the preferences ask for them.
    const int nKeepKB = std::clamp(settings.ReadInt("Prefs", "KeepCopyKB", 0), 0,
                                   QuarantineMaildir::kMaxKeepKB);
    const int nKeepDays = std::max(1, settings.ReadInt("Prefs", "KeepCopyDays", QuarantineMaildir::kDefaultDays));
    int status = kExitFailed;
    {
        CCliRun run(options);
        status = run.Run(account, filters.m_filters, hSignals,
                         QuarantineOptions{static_cast<uint64_t>(nKeepKB) * 1024, {}},
                         ServerWait::Load(settings).Duration());
    }
    if (nKeepKB > 0 && options.m_nCommand == CliOptions::kPurge)
        QuarantineMaildir().Prune(nKeepDays);
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    // The password will be in this process's memory: no core file may hold it.
    platform::DisableCoreDumps();

    CliOptions options;
    if (const std::optional<int> status = RunWithoutAccount(argc, argv, options))
        return *status;

    SettingsStore settings;
    bool bCreated = false;
    if (settings.Open(&bCreated) && bCreated) {
        settings.WriteNewSettingsDefaults();
        settings.ImportIniFile();
    }
    if (!settings.Problem().empty())
        Error(settings.Problem());

    AccountSettings account = AccountFor(options, settings);
    // The keyring's answer arrives through an event loop. Qt takes the
    // user's locale; the rest of this program keeps to the C locale.
    QCoreApplication app(argc, argv);
    std::setlocale(LC_ALL, "C");
    if (const char* password = std::getenv("MAVIX_PASSWORD"))
        account.m_sPass = FromUtf8(password);
    else
        account.m_sPass = PasswordStore(settings).Load(account.m_sServer, account.m_sUser);

    if (!AccountComplete(account))
        return kExitFailed;
    Filters filters;
    LoadLists(filters, settings);
    const int hSignals = WatchSignals();
    if (hSignals < 0) {
        Error("cannot watch for Ctrl-C");
        return kExitFailed;
    }
    const int status = RunScreening(options, account, filters, settings, hSignals);
    ::close(hSignals);
    return status;
}
