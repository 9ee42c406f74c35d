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
#include "core/session/AccountSession.h"
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

// Whose password and refresh token a run uses: the stored account's while
// the command line keeps its user and server (a --port or --security of its
// own is still that account), else the account the command line names.
AccountSettings SecretsOf(const AccountSettings& stored, const AccountSettings& account)
{
    return stored.m_sUser == account.m_sUser && stored.m_sServer == account.m_sServer ? stored : account;
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
        const std::vector<int> found = account_list::FindAll(accounts, FromUtf8(*options.m_sAccount));
        if (found.empty()) {
            CliError(FillIn(CliText("mavix-cli", "no account is named '%1' (see 'mavix-cli accounts')"),
                            {TsvText(*options.m_sAccount)}));
            return std::nullopt;
        }
        if (found.size() > 1) {
            std::string list;
            for (int i : found)
                list += "\n  " + Printable(accounts[size_t(i)].DisplayName()) + "  "
                    + Printable(accounts[size_t(i)].m_sUser + "@" + accounts[size_t(i)].m_sServer + ":"
                                + accounts[size_t(i)].m_sPort);
            CliError(FillIn(CliText("mavix-cli", "%1 accounts are named '%2'; give each its own name:"),
                            {std::to_string(found.size()), TsvText(*options.m_sAccount)})
                     + list);
            return std::nullopt;
        }
        index = found.front();
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
    std::vector<std::string> names;
    if (options.m_sAccount) {
        const std::optional<std::vector<AccountSettings>> chosen = ChosenAccounts(options, settings);
        if (!chosen)
            return kExitUsage;
        names = DeletionJournal::NamesOf(account_list::KeyOf(settings, chosen->front()));
    }
    return PrintJournal(DeletionJournal(), QuarantineMaildir(), options.m_bTsv, stdout, names);
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

// mavix-cli authorize: the browser sign-in from a terminal; the address on
// stdout, the refresh token where the password would go.
int RunAuthorize(const AccountSettings& stored, const AccountSettings& account, SettingsStore& settings)
{
    if (account.m_sServer.empty() || account.m_sUser.empty()) {
        CliError(CliText("mavix-cli", "authorize needs the account's server and user name (--server, --user)"));
        return kExitFailed;
    }
    oauth::Provider provider;
    std::string why;
    if (!oauth::LoadProvider(settings, account, provider, &why)) {
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
    const PasswordStore::Home home = passwords.SaveToken(account_list::KeyOf(settings, SecretsOf(stored, account)),
                                                         account.m_sSection, result.m_tokens.m_sRefresh);
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

// Why the account's log-in cannot be tried, told; true when it can.
bool AccountReady(const AccountSession& session)
{
    const AccountSettings& account = session.Account();
    switch (session.GetReadiness()) {
    case AccountSession::Readiness::kReady:
        return true;
    case AccountSession::Readiness::kIncomplete:
        std::fputs((CliText("mavix-cli", "Failed to connect (some field is blank)\n")
                    + FillIn("server=%1, user=%2 port=%3\n",
                             {Printable(account.m_sServer), Printable(account.m_sUser), Printable(account.m_sPort)}))
                       .c_str(),
                   stderr);
        return false;
    case AccountSession::Readiness::kNoSignIn:
        CliError(CliText("mavix-cli", "no OAuth sign-in is stored for this account: run 'mavix-cli authorize' first"));
        return false;
    case AccountSession::Readiness::kNoProvider:
        CliError(platform::Cp1252ToUtf8(session.ReadinessText()));
        return false;
    }
    return false;
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

// One account's scan or purge: its session (with the password or access
// tokens the command line gives in place of the stored ones), the run, a
// refresh token the provider replaced stored back; the exit status.
int ScreenAccount(const CliOptions& options, const AccountSettings& stored, const std::vector<AccountSettings>& all,
                  SettingsStore& settings, RunShared& shared)
{
    const AccountSettings account = AccountFor(options, stored);
    AccountSession::Overrides overrides;
    overrides.m_stored = SecretsOf(stored, account);
    // One password for one account: --all-accounts takes each one's own.
    const char* password = options.m_bAllAccounts ? nullptr : std::getenv("MAVIX_PASSWORD");
    if (password)
        overrides.m_sPassword = FromUtf8(password);
    overrides.m_sTokenCommand = options.m_sTokenCommand;
    const Preferences prefs = Preferences::Load(settings);
    int status = kExitFailed;
    {
        CCliRun run(options, settings, prefs, account, all, std::move(overrides));
        if (!AccountReady(run.Account()) || !PrepareShared(shared, settings))
            return kExitFailed;
        if (options.m_bAllAccounts && options.m_bTsv)
            run.SetLinePrefix(TsvField(account.DisplayName()) + "\t");
        // show asks for a preview even when the window's are turned off.
        const int nLines = prefs.PreviewLines() > 0 ? prefs.PreviewLines() : Preferences::kDefaultPreviewLines;
        run.SetPreviewLines(options.m_nShowLines.value_or(nLines));
        if (options.m_bNoCache)
            run.Account().Session().SetHeaderCache(HeaderCacheUse::kRebuild);
        status = run.Run(shared.m_pFilters->m_filters, shared.m_hSignals);
        run.Account().StoreRotatedToken();
    }
    // Copies of what the purge deletes, when the preferences ask for them.
    if (prefs.KeepCopyBytes() > 0 && options.m_nCommand == CliOptions::kPurge)
        QuarantineMaildir().Prune(prefs.KeepCopyDaysAtLeastOne());
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
    const std::vector<AccountSettings> all = account_list::Load(settings);
    RunShared shared;
    int worst = kExitOk;
    for (const AccountSettings& stored : accounts) {
        const AccountSettings account = AccountFor(options, stored);  // for its heading
        if (options.m_bAllAccounts) {
            const std::string heading = "== " + Printable(account.DisplayName()) + " ("
                + Printable(account.m_sUser + "@" + account.m_sServer + ":" + account.m_sPort) + ") ==\n";
            std::fflush(stdout);
            std::fputs(heading.c_str(), options.m_bTsv ? stderr : stdout);
        }
        const int status = ScreenAccount(options, stored, all, settings, shared);
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
        return RunAuthorize(accounts->front(), AccountFor(options, accounts->front()), settings);
    return RunAccounts(options, *accounts, settings);
}
