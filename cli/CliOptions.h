#pragma once

#include <optional>
#include <string>
#include <vector>

// The command line of mavix-cli, parsed. Texts are as typed (UTF-8).
struct CliOptions {
    enum Command { kNone, kScan, kPurge, kLog, kAuthorize, kAccounts, kShow };
    enum Selection { kSelectNone, kSelectSuspects, kSelectAll, kSelectRows };

    Command m_nCommand = kNone;
    Selection m_nSelection = kSelectNone;
    std::vector<int> m_aRows;  // --rows, in the order given
    bool m_bTsv = false;
    bool m_bRaw = false;  // --raw: header texts as received, not decoded
    bool m_bHelp = false;
    bool m_bVersion = false;          // --version: the program's name and version
    int m_nShowNum = 0;               // show: the message number
    std::optional<int> m_nShowLines;  // show --lines: body lines (else the preference)
    bool m_bNoCache = false;          // --no-cache: every header fetched, the cache rewritten
    std::optional<std::string> m_sServer, m_sPort, m_sUser;
    // --security as the settings store it ("0", "1", "2"); --tls-fingerprint
    // normalised (platform::NormaliseFingerprint).
    std::optional<std::string> m_sSecurity, m_sTlsFingerprint;
    // --auth as pop3::AuthMethodName writes it; --token-command as typed.
    std::optional<std::string> m_sAuth, m_sTokenCommand;
    // --account: the account's Name or user@server, as typed.
    std::optional<std::string> m_sAccount;
    // --all-accounts: scan or purge every enabled account, one after another.
    bool m_bAllAccounts = false;
};

// False on a usage error, with *psError saying what is wrong. --help
// anywhere wins over every other word, then --version.
bool ParseCliOptions(int argc, const char* const* argv, CliOptions& options, std::string* psError);

// The text of --help.
std::string CliHelpText();
