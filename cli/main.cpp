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
#include <memory>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "cli/CliText.h"
#include "cli/JournalPrint.h"
#include "cli/RowFormat.h"
#include "core/auth/AuthorizationFlow.h"
#include "core/auth/TokenSources.h"
#include "core/storage/Filters.h"
#include "core/platform/Cp1252.h"
#include "core/platform/Secrets.h"
#include "core/storage/DeletionJournal.h"
#include "core/storage/QuarantineMaildir.h"
#include "core/session/ScreeningEngine.h"
#include "core/storage/AccountList.h"
#include "core/storage/AccountSettings.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/Preferences.h"
#include "core/storage/ServerWait.h"
#include "core/storage/SettingsStore.h"

#include <QCoreApplication>

#include <mutex>

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
AccountSettings AccountFor(const CliOptions& options, AccountSettings account)
{
    if (options.m_sServer)
        account.m_sServer = FromUtf8(*options.m_sServer);
    if (options.m_sUser)
        account.m_sUser = FromUtf8(*options.m_sUser);
    if (options.m_sPort)
        account.m_sPort = *options.m_sPort;
    if (options.m_sTlsFingerprint)
        account.m_sTlsFingerprint = *options.m_sTlsFingerprint;
    if (options.m_sAuth)
        account.m_sAuth = *options.m_sAuth;
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

// The accounts the command runs on, in order: with --all-accounts every
// enabled one, else the one --account names, else the first. Nothing, with
// the user told, when --account names none.
std::optional<std::vector<AccountSettings>> ChosenAccounts(const CliOptions& options, const SettingsStore& settings)
{
    std::vector<AccountSettings> accounts = account_list::Load(settings);
    if (options.m_bAllAccounts) {
        std::erase_if(accounts, [](const AccountSettings& account) { return !account.m_bEnabled; });
        return accounts;
    }
    int index = 0;
    if (options.m_sAccount) {
        index = account_list::Find(accounts, FromUtf8(*options.m_sAccount));
        if (index < 0) {
            CliError(FillIn(CliText("mavix-cli", "no account is named '%1' (see 'mavix-cli accounts')"),
                            {TsvText(*options.m_sAccount)}));
            return std::nullopt;
        }
    }
    return std::vector<AccountSettings>{accounts[static_cast<size_t>(index)]};
}

// mavix-cli accounts: one line per stored account.
int PrintAccounts(const std::vector<AccountSettings>& accounts, bool bTsv)
{
    std::string text;
    for (const AccountSettings& account : accounts) {
        if (account.m_sServer.empty() && account.m_sUser.empty() && accounts.size() == 1)
            break;  // none set up yet
        const char* security[] = {"none", "stls", "tls"};
        pop3::AuthMethod method = pop3::AuthMethod::kAutomatic;
        const std::string auth =
            pop3::ParseAuthMethod(account.m_sAuth, method) ? pop3::AuthMethodName(method) : account.m_sAuth;
        const std::vector<std::string> fields = {account.DisplayName(),
                                                 account.m_sUser + "@" + account.m_sServer + ":" + account.m_sPort,
                                                 security[AccountSettings::SecurityOf(account.m_sSecurity)], auth};
        for (const std::string& field : fields)
            text += (bTsv ? TsvField(field) + "\t" : Printable(field) + "  ");
        if (bTsv)
            text += account.m_bEnabled ? "1\n" : "0\n";
        else
            text.replace(text.size() - 2, 2,
                         account.m_bEnabled ? "\n" : "  " + CliText("mavix-cli", "disabled") + "\n");
    }
    if (text.empty() && !bTsv)
        std::fputs(CliText("mavix-cli", "No account is set up yet.\n").c_str(), stderr);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitOk : kExitFailed;
}

// mavix-cli log and mavix-cli accounts: they read the settings (never
// creating the file) and the journal.
int RunListing(const CliOptions& options)
{
    const SettingsStore settings;
    if (options.m_nCommand == CliOptions::kAccounts)
        return PrintAccounts(account_list::Load(settings), options.m_bTsv);
    std::string account;
    if (options.m_sAccount) {
        const std::optional<std::vector<AccountSettings>> chosen = ChosenAccounts(options, settings);
        if (!chosen)
            return kExitUsage;
        account = DeletionJournal::AccountName(chosen->front().m_sServer, chosen->front().m_sUser);
    }
    return PrintJournal(DeletionJournal(), QuarantineMaildir(), options.m_bTsv, stdout, account);
}

// The command line, and what it asks for that needs no account: a usage
// error, --help, --version, the log or the list of accounts. Empty: a scan,
// a purge or a sign-in follows.
std::optional<int> RunWithoutAccount(int argc, char** argv, CliOptions& options)
{
    std::string why;
    if (!ParseCliOptions(argc, argv, options, &why)) {
        CliError(why);
        std::fputs(CliText("mavix-cli", "Try 'mavix-cli --help'.\n").c_str(), stderr);
        return kExitUsage;
    }
    if (options.m_bHelp) {
        std::fputs(CliHelpText().c_str(), stdout);
        return kExitOk;
    }
    if (options.m_bVersion) {
        std::printf("mavix-cli %s\n", MAVIX_VERSION);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitOk : kExitFailed;
    }
    if (options.m_nCommand == CliOptions::kLog || options.m_nCommand == CliOptions::kAccounts)
        return RunListing(options);
    return std::nullopt;
}

// Every field the log-in needs, or the user is told which are blank.
bool AccountComplete(const AccountSettings& account)
{
    if (account.IsComplete())
        return true;
    const std::string text = CliText("mavix-cli", "Failed to connect (some field is blank)\n")
        + FillIn("server=%1, user=%2 port=%3\n",
                 {Printable(account.m_sServer), Printable(account.m_sUser), Printable(account.m_sPort)});
    std::fputs(text.c_str(), stderr);
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

bool UsesToken(const AccountSettings& account)
{
    pop3::AuthMethod method = pop3::AuthMethod::kAutomatic;
    return pop3::ParseAuthMethod(account.m_sAuth, method) && pop3::UsesToken(method);
}

// mavix-cli authorize: the browser sign-in from a terminal; the address on
// stdout, the refresh token where the password would go.
int RunAuthorize(const AccountSettings& account, SettingsStore& settings)
{
    if (account.m_sServer.empty() || account.m_sUser.empty()) {
        CliError(CliText("mavix-cli", "authorize needs the account's server and user name (--server, --user)"));
        return kExitFailed;
    }
    oauth::Provider provider;
    std::string why;
    if (!oauth::LoadProvider(settings, account.m_sServer, provider, &why, account.m_sSection)) {
        CliError(platform::Cp1252ToUtf8(why));
        return kExitFailed;
    }
    const auto show = [](const std::string& url) {
        std::fputs(CliText("mavix-cli", "Open this address in a browser and sign in:\n").c_str(), stderr);
        std::printf("%s\n", url.c_str());
        return std::fflush(stdout) == 0;
    };
    oauth::AuthorizationFlow flow(provider, show, platform::Cp1252ToUtf8(account.m_sUser));
    oauth::FlowResult result = flow.Run();
    if (!result.m_bOk) {
        CliError(CliText("mavix-cli", "sign-in failed: ") + result.m_sError);
        return kExitFailed;
    }
    PasswordStore passwords(settings);
    const PasswordStore::Home home =
        passwords.SaveToken(account.m_sServer, account.m_sUser, result.m_tokens.m_sRefresh, account.m_sSection);
    result.m_tokens.Wipe();
    if (home == PasswordStore::kSettingsFile && !settings.Problem().empty()) {
        CliError(CliText("mavix-cli", "cannot store the refresh token: ") + settings.Problem());
        return kExitFailed;
    }
    if (home == PasswordStore::kKeyring)
        std::fputs(CliText("mavix-cli", "Signed in: the refresh token is stored in the keyring.\n").c_str(), stdout);
    else
        std::fputs(FillIn(CliText("mavix-cli", "Signed in: the refresh token is stored in the settings file %1.\n"),
                          {settings.FilePath()})
                       .c_str(),
                   stdout);
    return kExitOk;
}

// A refresh token the provider handed out during the run, in place of the
// stored one: told on a worker thread, stored by the main thread after.
struct RotatedToken {
    std::mutex m_mutex;
    std::string m_sToken;
};

// The OAuth log-in's access tokens: the --token-command's, else those of the
// stored refresh token. False, with the user told, when there are none.
bool MakeTokenSource(const CliOptions& options, const AccountSettings& account, SettingsStore& settings,
                     const std::shared_ptr<RotatedToken>& rotated, pop3::TokenSource& tokens)
{
    if (options.m_sTokenCommand) {
        tokens = oauth::MakeCommandTokenSource(*options.m_sTokenCommand);
        return true;
    }
    oauth::Provider provider;
    std::string why;
    if (!oauth::LoadProvider(settings, account.m_sServer, provider, &why, account.m_sSection)) {
        CliError(platform::Cp1252ToUtf8(why));
        return false;
    }
    oauth::Tokens stored;
    stored.m_sRefresh = PasswordStore(settings).LoadToken(account.m_sServer, account.m_sUser, account.m_sSection);
    if (stored.m_sRefresh.empty()) {
        CliError(CliText("mavix-cli", "no OAuth sign-in is stored for this account: run 'mavix-cli authorize' first"));
        return false;
    }
    tokens = oauth::MakeRefreshTokenSource(std::move(provider), std::move(stored), [rotated](const std::string& token) {
        std::lock_guard lock(rotated->m_mutex);
        rotated->m_sToken = token;
    });
    return true;
}

void SaveRotatedToken(RotatedToken& rotated, const AccountSettings& account, SettingsStore& settings)
{
    std::lock_guard lock(rotated.m_mutex);
    if (!rotated.m_sToken.empty())
        PasswordStore(settings).SaveToken(account.m_sServer, account.m_sUser, rotated.m_sToken, account.m_sSection);
    platform::SecureWipe(rotated.m_sToken);
}

// The scan, or the scan and its purge; the exit status.
int RunScreening(const CliOptions& options, const AccountSettings& account, const Filters& filters,
                 SettingsStore& settings, int hSignals, pop3::TokenSource tokens)
{
    // Copies of what the purge deletes, when the preferences ask for them.
    const Preferences prefs = Preferences::Load(settings);
    int status = kExitFailed;
    {
        CCliRun run(options);
        if (options.m_bAllAccounts && options.m_bTsv)
            run.SetLinePrefix(TsvField(account.DisplayName()) + "\t");
        if (tokens)
            run.SetTokenSource(std::move(tokens));
        // show asks for a preview even when the window's are turned off.
        const int nLines = prefs.PreviewLines() > 0 ? prefs.PreviewLines() : Preferences::kDefaultPreviewLines;
        run.SetPreviewLines(options.m_nShowLines.value_or(nLines));
        FilterLists lists = filters.m_filters;
        lists.SetSignals(prefs.Signals(account));
        status =
            run.Run(account, lists, hSignals, QuarantineOptions{prefs.KeepCopyBytes(), {}}, prefs.m_wait.Duration());
    }
    if (prefs.KeepCopyBytes() > 0 && options.m_nCommand == CliOptions::kPurge)
        QuarantineMaildir().Prune(prefs.KeepCopyDaysAtLeastOne());
    return status;
}

// What every account's run shares, made when the first is ready to start:
// the filter lists and the signals' descriptor.
struct RunShared {
    std::unique_ptr<Filters> m_pFilters;
    int m_hSignals = -1;
    ~RunShared()
    {
        if (m_hSignals >= 0)
            ::close(m_hSignals);
    }
};

bool PrepareShared(RunShared& shared, SettingsStore& settings)
{
    if (shared.m_pFilters)
        return true;
    shared.m_pFilters = std::make_unique<Filters>();
    LoadLists(*shared.m_pFilters, settings);
    shared.m_hSignals = WatchSignals();
    if (shared.m_hSignals < 0)
        CliError(CliText("mavix-cli", "cannot watch for Ctrl-C"));
    return shared.m_hSignals >= 0;
}

// One account's scan or purge: its password or access tokens, the run;
// the exit status.
int ScreenAccount(const CliOptions& options, AccountSettings account, SettingsStore& settings, RunShared& shared)
{
    // One password for one account: --all-accounts takes each one's own.
    const char* password = options.m_bAllAccounts ? nullptr : std::getenv("MAVIX_PASSWORD");
    if (password)
        account.m_sPass = FromUtf8(password);
    else if (!UsesToken(account))
        account.m_sPass = PasswordStore(settings).Load(account.m_sServer, account.m_sUser, account.m_sSection);
    const auto wipe = [&account] { platform::SecureWipe(account.m_sPass); };
    pop3::TokenSource tokens;
    auto rotated = std::make_shared<RotatedToken>();
    if (!AccountComplete(account)
        || ((UsesToken(account) || options.m_sTokenCommand)
            && !MakeTokenSource(options, account, settings, rotated, tokens))
        || !PrepareShared(shared, settings)) {
        wipe();
        return kExitFailed;
    }
    const int status =
        RunScreening(options, account, *shared.m_pFilters, settings, shared.m_hSignals, std::move(tokens));
    SaveRotatedToken(*rotated, account, settings);
    wipe();
    return status;
}

// How bad an exit status is, for --all-accounts: a mismatch stopped a
// purge safely, a failure left something undone, a signal stopped it all.
int Severity(int status)
{
    switch (status) {
    case kExitOk:
        return 0;
    case kExitMismatch:
        return 1;
    case kExitInterrupted:
    case kExitTerminated:
        return 3;
    default:
        return 2;
    }
}

// Each chosen account's scan or purge in turn; the worst exit status.
int RunAccounts(const CliOptions& options, const std::vector<AccountSettings>& accounts, SettingsStore& settings)
{
    RunShared shared;
    int worst = kExitOk;
    for (const AccountSettings& stored : accounts) {
        const AccountSettings account = AccountFor(options, stored);
        if (options.m_bAllAccounts) {
            const std::string heading = "== " + Printable(account.DisplayName()) + " ("
                + Printable(account.m_sUser + "@" + account.m_sServer + ":" + account.m_sPort) + ") ==\n";
            std::fflush(stdout);
            std::fputs(heading.c_str(), options.m_bTsv ? stderr : stdout);
        }
        const int status = ScreenAccount(options, account, settings, shared);
        if (options.m_bAllAccounts && status != kExitOk)
            CliError(FillIn(CliText("mavix-cli", "account %1: exit status %2"),
                            {Printable(account.DisplayName()), std::to_string(status)}));
        if (Severity(status) > Severity(worst))
            worst = status;
        if (Severity(status) == 3)
            break;
    }
    return worst;
}

}  // namespace

int main(int argc, char** argv)
{
    // The password will be in this process's memory: no core file may hold it.
    platform::DisableCoreDumps();

    // The desktop's language for what is printed; scripts' fields stay as they are.
    LoadCliTexts();
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

    const std::optional<std::vector<AccountSettings>> accounts = ChosenAccounts(options, settings);
    if (!accounts)
        return kExitUsage;
    if (accounts->empty()) {
        CliError(CliText("mavix-cli", "no account is enabled"));
        return kExitFailed;
    }
    // The keyring's answer arrives through an event loop. Qt takes the
    // user's locale; the rest of this program keeps to the C locale.
    QCoreApplication app(argc, argv);
    std::setlocale(LC_ALL, "C");
    InstallCliTexts();
    if (options.m_nCommand == CliOptions::kAuthorize)
        return RunAuthorize(AccountFor(options, accounts->front()), settings);
    return RunAccounts(options, *accounts, settings);
}
