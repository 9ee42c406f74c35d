#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cli/CliListener.h"
#include "cli/CliOptions.h"
#include "cli/RowFormat.h"
#include "core/session/AccountSession.h"
#include "core/session/ScreeningSession.h"

// mavix-cli's exit statuses (docs/man/mavix-cli.1).
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitMismatch = 3;
constexpr int kExitInterrupted = 130;
constexpr int kExitTerminated = 143;

// "mavix-cli: text" on stderr.
void CliError(const std::string& text);

// One scan, or a scan and its purge, from the main thread: the session
// decides which rows are checked (as the window pre-checks them, or as the
// command line selects them); this prints what it tells. The engine's notes
// come through CCliListener's queue, polled beside the signals.
class CCliRun : public ISessionListener {
public:
    // The run of one account: its session opened (AccountSession::Open)
    // from the settings and the preferences, with what the command line
    // gives in place of the stored password or tokens.
    CCliRun(const CliOptions& options, SettingsStore& settings, const Preferences& prefs, AccountSettings account,
            const std::vector<AccountSettings>& all, AccountSession::Overrides overrides);

    AccountSession& Account() { return *m_pAccount; }
    // The scan, or the scan and its purge, with the lists; the exit status.
    int Run(const FilterLists& lists, int hSignals);
    // With --all-accounts and --tsv: the account's name field (escaped, with
    // its tab) that begins every line this run prints; before Run.
    void SetLinePrefix(std::string prefix) { m_sLinePrefix = std::move(prefix); }
    // show: the body lines to fetch; before Run.
    void SetPreviewLines(int nLines) { m_nPreviewLines = nLines; }

    // The session's notes, on the main thread.
    void OnRowsAdded(const RowsAdded& added) override;
    void OnRepeatedNumber(const RepeatedNumber&) override;
    void OnScanFinished(const ScanFinished& finished) override;
    void OnPurgeProgress(const PurgeProgress& progress) override;
    void OnPurgeFinished(const PurgeFinished& done) override;
    void OnServerWaiting(const ServerWaiting& waiting) override;
    void OnPreviewReady(const PreviewReady& ready) override;
    void EraseWaitLine();

private:
    void Start(const FilterLists& lists);
    void Poll(int hSignals);
    void OnSignal(uint32_t nSignal);
    void WaitForWorkers(int hSignals);
    void StartPurge();
    void StartPreview();
    void PrintPreview(const PreviewReady& ready);
    void PrintLines(const std::string& utf8);
    std::string RowText(const MessageRow& row, bool bSuspect);
    void PrintMismatch(const PurgeProgress& progress);
    void PrintDeleted(const PurgeResult& result);
    void ReportPurge(const PurgeFinished& done);
    void Print(const std::string& text);

    const CliOptions& m_options;
    CCliListener m_listener;
    std::unique_ptr<AccountSession> m_pAccount;
    ScreeningSession& m_session;
    int m_nExit = kExitOk;
    int m_nSuspects = 0;  // rows printed as suspects: what Mavix pre-checks
    bool m_bInterrupted = false;
    bool m_bWaitShown = false;         // "Waiting for the server" is on the terminal's last line
    int m_nRowCount = 0;               // rows printed
    std::set<int> m_wanted, m_listed;  // --rows, and those of them the scan listed
    bool m_bMismatch = false;
    std::vector<int> m_aDeleted;  // marked deleted; printed once QUIT has committed them
    std::unique_ptr<CTableLayout> m_pTable;
    std::string m_sLinePrefix;
    int m_nPreviewLines = 0;
};
