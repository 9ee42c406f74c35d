// mavix-cli: the screening job for terminals, scripts and cron. The same
// engine as the desktop program, driven from the main thread through a queue.

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <clocale>
#include <cstdlib>
#include <algorithm>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "cli/JournalPrint.h"
#include "cli/RowFormat.h"
#include "core/storage/Filters.h"
#include "core/platform/Cp1252.h"
#include "core/platform/Secrets.h"
#include "core/storage/DeletionJournal.h"
#include "core/storage/QuarantineMaildir.h"
#include "core/session/ScreeningEngine.h"
#include "core/storage/AccountSettings.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/Preferences.h"
#include "core/storage/ServerWait.h"
#include "core/storage/SettingsStore.h"

#include <QCoreApplication>

namespace {

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
        CliError(why);
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
        CliError(filters.DefaultsWarning());
    filters.LoadFilters(settings);
    if (Preferences::Load(settings).m_bDefaultFilters != 0)
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
int RunScreening(const CliOptions& options, const Account& account, const Filters& filters, SettingsStore& settings,
                 int hSignals)
{
    // Copies of what the purge deletes, when the preferences ask for them.
    const Preferences prefs = Preferences::Load(settings);
    int status = kExitFailed;
    {
        CCliRun run(options);
        status = run.Run(account, filters.m_filters, hSignals, QuarantineOptions{prefs.KeepCopyBytes(), {}},
                         prefs.m_wait.Duration());
    }
    if (prefs.KeepCopyBytes() > 0 && options.m_nCommand == CliOptions::kPurge)
        QuarantineMaildir().Prune(prefs.KeepCopyDaysAtLeastOne());
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
        CliError(settings.Problem());

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
        CliError("cannot watch for Ctrl-C");
        return kExitFailed;
    }
    const int status = RunScreening(options, account, filters, settings, hSignals);
    ::close(hSignals);
    return status;
}
