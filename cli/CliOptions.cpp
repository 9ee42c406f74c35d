#include "CliOptions.h"

#include "cli/CliText.h"

#include <QtGlobal>

#include "core/platform/Ascii.h"
#include "core/platform/TlsStream.h"
#include "core/pop3/Authentication.h"
#include "core/session/PreviewJob.h"

#include <climits>
#include <cstring>
#include <initializer_list>

namespace {

// "1", "2", "3": positive decimal numbers that fit an int, nothing else.
bool ParsePositive(const std::string& text, int& value)
{
    std::string_view digits = text;
    uint64_t number = 0;
    if (!platform::TakeDecimal(digits, number) || !digits.empty() || number == 0 || number > INT_MAX)
        return false;
    value = static_cast<int>(number);
    return true;
}

bool ParseRows(const std::string& text, std::vector<int>& rows)
{
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        int value = 0;
        if (!ParsePositive(text.substr(start, comma - start), value))
            return false;
        rows.push_back(value);
        if (comma == std::string::npos)
            return true;
        start = comma + 1;
    }
}

// --suspects, --all, --rows: which rows a purge takes. Empty when applied,
// else what is wrong.
std::string Select(CliOptions& options, CliOptions::Selection selection, const std::string& word)
{
    if (options.m_nCommand != CliOptions::kPurge)
        return FillIn(CliText("mavix-cli", "%1 belongs to the purge command"), {word});
    if (options.m_nSelection != CliOptions::kSelectNone)
        return CliText("mavix-cli", "give only one of --suspects, --all and --rows");
    options.m_nSelection = selection;
    return {};
}

// An option that takes no value. Empty when applied, else what is wrong.
std::string ApplyFlag(CliOptions& options, const std::string& word)
{
    if (word == "--raw")
        options.m_bRaw = true;
    else if (word == "--tsv")
        options.m_bTsv = true;
    else if (word == "--all-accounts")
        options.m_bAllAccounts = true;
    else if (word == "--no-cache")
        options.m_bNoCache = true;
    else
        return Select(options, word == "--all" ? CliOptions::kSelectAll : CliOptions::kSelectSuspects, word);
    return {};
}

// An option with its value. Empty when applied, else what is wrong.
std::string ApplyValue(CliOptions& options, const std::string& word, const std::string& text)
{
    if (word == "--lines") {
        int nLines = 0;
        if (!ParsePositive(text, nLines) || nLines > PreviewJob::kMaxLines)
            return FillIn(CliText("mavix-cli", "--lines wants a number from 1 to %1"),
                          {std::to_string(PreviewJob::kMaxLines)});
        options.m_nShowLines = nLines;
    } else if (word == "--rows") {
        if (std::string why = Select(options, CliOptions::kSelectRows, word); !why.empty())
            return why;
        if (!ParseRows(text, options.m_aRows))
            return CliText("mavix-cli", "--rows wants message numbers such as 1,3,7");
    } else if (word == "--server") {
        if (text.empty())
            return CliText("mavix-cli", "--server needs a host name");
        options.m_sServer = text;
    } else if (word == "--port") {
        int port = 0;
        if (!ParsePositive(text, port) || port > 65535)
            return CliText("mavix-cli", "--port wants a number from 1 to 65535");
        options.m_sPort = text;
    } else if (word == "--user") {
        if (text.empty())
            return CliText("mavix-cli", "--user needs a name");
        options.m_sUser = text;
    } else if (word == "--security") {
        if (text != "none" && text != "stls" && text != "tls")
            return CliText("mavix-cli", "--security wants none, stls or tls");
        options.m_sSecurity = text == "none" ? "0" : text == "stls" ? "1" : "2";
    } else if (word == "--auth") {
        pop3::AuthMethod method = pop3::AuthMethod::kAutomatic;
        if (!pop3::ParseAuthMethod(text, method))
            return CliText(
                "mavix-cli",
                "--auth wants auto, user, apop, plain, login, cram-md5, scram-sha-1, scram-sha-256, xoauth2 or "
                "oauthbearer");
        options.m_sAuth = pop3::AuthMethodName(method);
    } else if (word == "--account") {
        if (text.empty())
            return CliText("mavix-cli", "--account needs an account's name");
        options.m_sAccount = text;
    } else if (word == "--token-command") {
        if (text.empty())
            return CliText("mavix-cli", "--token-command needs a command");
        options.m_sTokenCommand = text;
    } else {  // --tls-fingerprint
        options.m_sTlsFingerprint = platform::NormaliseFingerprint(text);
        // Empty clears a stored fingerprint for this run.
        if (options.m_sTlsFingerprint->empty() && !text.empty())
            return CliText("mavix-cli", "--tls-fingerprint wants a SHA-256 fingerprint: 64 hex digits, colons allowed");
    }
    return {};
}

bool IsOneOf(const std::string& word, std::initializer_list<const char*> words)
{
    for (const char* candidate : words)
        if (word == candidate)
            return true;
    return false;
}

// What is wrong with `word` after a command that takes few options; empty
// when the command takes it (or every option of a scan).
std::string CommandRefuses(CliOptions::Command command, const std::string& word)
{
    if (command == CliOptions::kLog && word != "--tsv" && word != "--account")
        return CliText("mavix-cli", "log takes only --tsv and --account");
    if (command == CliOptions::kAccounts && word != "--tsv")
        return CliText("mavix-cli", "accounts takes only --tsv");
    if (command == CliOptions::kAuthorize && word != "--server" && word != "--user" && word != "--account")
        return CliText("mavix-cli", "authorize takes only --server, --user and --account");
    if ((command == CliOptions::kShow) != (word == "--lines")
        && IsOneOf(word, {"--raw", "--tsv", "--suspects", "--all", "--rows", "--lines", "--all-accounts"}))
        return word == "--lines" ? CliText("mavix-cli", "--lines belongs to the show command")
                                 : FillIn(CliText("mavix-cli", "show takes no %1"), {word});
    return {};
}

// --all-accounts runs each account as the settings have it.
std::string CheckAllAccounts(const CliOptions& options)
{
    if (!options.m_bAllAccounts)
        return {};
    if (options.m_sAccount)
        return CliText("mavix-cli", "give only one of --account and --all-accounts");
    if (options.m_sServer || options.m_sPort || options.m_sUser || options.m_sSecurity || options.m_sTlsFingerprint
        || options.m_sAuth || options.m_sTokenCommand)
        return CliText(
            "mavix-cli",
            "--server, --port, --user, --security, --tls-fingerprint, --auth and --token-command apply to one "
            "account: not with --all-accounts");
    if (options.m_nSelection == CliOptions::kSelectRows)
        return CliText("mavix-cli", "--rows names the messages of one account: not with --all-accounts");
    return {};
}

// The options after the command, one word (or word and value) at a time.
// Empty when all were applied, else what is wrong with the first bad one.
std::string ApplyOptions(int argc, const char* const* argv, CliOptions& options, int nFirst)
{
    for (int i = nFirst; i < argc; ++i) {
        std::string word = argv[i];
        std::optional<std::string> inlineValue;
        if (const size_t eq = word.find('='); word.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = word.substr(eq + 1);
            word.resize(eq);
        }
        std::string why;
        if (std::string wrong = CommandRefuses(options.m_nCommand, word); !wrong.empty()) {
            why = wrong;
        } else if (IsOneOf(word, {"--raw", "--tsv", "--suspects", "--all", "--all-accounts", "--no-cache"})) {
            why = inlineValue ? FillIn(CliText("mavix-cli", "%1 takes no value"), {word}) : ApplyFlag(options, word);
        } else if (IsOneOf(word,
                           {"--rows", "--lines", "--server", "--port", "--user", "--security", "--tls-fingerprint",
                            "--auth", "--token-command", "--account"})) {
            if (!inlineValue && i + 1 >= argc)
                return FillIn(CliText("mavix-cli", "%1 needs a value"), {word});
            why = ApplyValue(options, word, inlineValue ? *inlineValue : std::string(argv[++i]));
        } else if (word == "--password" || word == "--pass") {
            // Anything on a command line is visible to every user of the
            // machine (ps, /proc/<pid>/cmdline) and lands in shell history.
            why = CliText("mavix-cli",
                          "the password is never taken from the command line: "
                          "set MAVIX_PASSWORD or store it with Mavix's Manage Account");
        } else {
            why = FillIn(CliText("mavix-cli", "unknown option '%1'"), {word});
        }
        if (!why.empty())
            return why;
    }
    return {};
}

// The text of --help.
constexpr const char kHelpText[] = QT_TRANSLATE_NOOP(
    "mavix-cli",
    R"(Usage: mavix-cli scan [--tsv] [--raw] [--no-cache] [--account NAME | --all-accounts] [ACCOUNT OPTIONS]
       mavix-cli purge (--suspects | --all | --rows N[,N...]) [--tsv] [--raw] [--no-cache]
                       [--account NAME | --all-accounts] [ACCOUNT OPTIONS]
       mavix-cli show N [--lines L] [--account NAME] [ACCOUNT OPTIONS]
       mavix-cli log [--tsv] [--account NAME]
       mavix-cli accounts [--tsv]
       mavix-cli authorize [--account NAME] [--server HOST] [--user NAME]
       mavix-cli --help
       mavix-cli --version

Screens the POP3 mailbox of a stored Mavix account without downloading any
mail: logs in, fetches only the header block of every waiting message
(TOP n 0) and prints one row per message as it arrives. Rows whose Subject,
size or sender match the stored filter lists are marked as suspects, with
the reason; a sender on the trusted list never is.

Commands:
  scan        Scan the mailbox and list the messages. Nothing is deleted.
  purge       Scan, then delete the selected messages on the server. Before
              each deletion the message's header is read again and its
              Subject compared with the one the scan listed; at the first
              difference the purge stops and nothing further is deleted.
              Deletions already made are committed when the session ends.
  show N      Scan, then print the start of message N as plain text: its
              From, To, Date and Subject (decoded), its attachments (name,
              type, approximate size; marked (!) where the name hides a
              program behind a document's extension, as in
              "invoice.pdf.exe") and the first L lines of its body (TOP N L,
              which leaves the message as it is on the server). HTML is
              shown as text, with each link's real target in brackets;
              nothing is loaded, opened or saved.
  --lines L   (show) the body lines to fetch, 1 to 2000; else the
              preference "Preview the first L lines" (40 by default)
  log         Print the journal of deletions that Mavix and mavix-cli made,
              oldest first: time, size, From, Subject, why the message
              was deleted, and "copy: PATH" where a copy was kept (POP3
              cannot put a message back; the copy can). With --tsv: the
              journal's lines as they are kept, time (UTC), account, UIDL,
              size in bytes, From, Subject, reason, escaped like the scan's
              --tsv output; a message with a kept copy adds a state field
              (empty for a deletion) and the copy's path. The journal is
              $XDG_STATE_HOME/Mavix/deleted.log (~/.local/state/Mavix).
  accounts    List the stored accounts in their order, one per line: name,
              user@server:port, security (none, stls, tls), log-in method,
              and "disabled" for an account left out of --all-accounts.
              With --tsv: the same fields tab-separated, escaped as the
              scan's, the last one 1 (enabled) or 0.
  authorize   Sign in to the account's OAuth 2.0 provider (Google,
              Microsoft, or the custom one of the settings' [OAuth] section)
              in a browser: prints the address to open, waits up to 5
              minutes for the browser to come back to a listener on
              127.0.0.1, then stores the refresh token in the keyring (else
              in the settings file) and says where. The OAuth client ID is
              taken from the settings' [OAuth] section.

Accounts:
  --account NAME      the account to scan, purge, authorize or show the log
                      of: its name, or user@server. Without it, the first
                      account. An unknown name is a usage error.
  --all-accounts      scan or purge every enabled account, one after
                      another. Each --tsv line then begins with the
                      account's name as an extra field (the other fields
                      keep their places); the table gets a heading per
                      account. Each account uses its stored password
                      (MAVIX_PASSWORD is not used); --rows and the account
                      options below are for one account and not taken.

Selection (purge only, exactly one):
  --suspects          the suspect rows, as Mavix pre-checks them
  --all               every row
  --rows N[,N...]     the listed message numbers; a number the scan did not
                      list is an error and nothing is deleted

Output:
  --tsv       One line per message, tab-separated: number, size, attachment
              mark, Subject, From, Email, Date, To, CC, suspect (1 or 0),
              reason (why the row is suspect, such as
              Subject contains "HONEY"; empty when it is not).
              Texts are UTF-8. Inside a text, backslash, tab, CR and LF are
              written as \\, \t, \r and \n, and every other control
              character (C0, DEL, and the C1 controls U+0080-U+009F) as
              \xHH, its code in two hex digits, so no server text can send
              escape sequences to a terminal.
              After the rows, purge adds one line per selected message:
                deleted<TAB>N
                refused<TAB>N<TAB>server reply
                mismatch<TAB>N<TAB>listed Subject<TAB>Subject on the server
  (default)   A table fitted to the terminal width; suspects are marked '*'
              and their reason shown when the terminal is wide enough.
              Control characters in server texts are shown as blanks.
  --raw       Subject, From, To and CC as the server sent them: encoded
              words (=?UTF-8?B?...?=) are not decoded, and the bytes are
              converted from Windows-1252 to UTF-8. Without it they are
              decoded as a mail program shows them (RFC 2047 encoded words;
              UTF-8 header bytes; else Windows-1252).
  The scan's status text and every error go to standard error.

Header cache:
  The header blocks a scan read are kept per account in
  $XDG_CACHE_HOME/Mavix/headers-USER@SERVER-HASH (~/.cache/Mavix), keyed by
  the server's message ids (UIDL) and sizes; the next scan fetches only the
  messages it has not seen. A purge still reads every message again first.
  Deleting the file clears it.
  --no-cache  fetch every header block again, ignoring the cache, and
              write the cache anew

Account (for this run only, on the chosen account; nothing is saved):
  --server HOST       POP3 server name or address
  --port PORT         TCP port (the stored one, else 110)
  --user NAME         mailbox user name
  --security MODE     none: plain POP3; stls: STARTTLS on the plain port
                      (RFC 2595); tls: TLS from the start (RFC 8314). The
                      stored setting, else none. Without --port, a stored
                      port of 110 becomes 995 for tls, and 995 becomes 110
                      for the others. A connection that cannot be secured
                      fails; it never falls back to plain text.
  --tls-fingerprint HEX
                      trust the server's certificate with this SHA-256
                      fingerprint (64 hex digits, colons allowed) even when
                      it does not verify, as for a self-signed certificate;
                      an empty HEX ignores a stored fingerprint
  --auth METHOD       how to log in: auto (the strongest the server offers),
                      user (USER/PASS), apop, plain, login, cram-md5,
                      scram-sha-1, scram-sha-256, xoauth2 or oauthbearer
                      (OAuth 2.0 access tokens). The stored choice, else auto.
  --token-command CMD
                      run CMD (split into words like a shell's, but not run
                      by one) for each log-in and use its standard output as
                      the OAuth 2.0 access token; without it, the OAuth
                      methods use the refresh token "mavix-cli authorize"
                      stored
The password is taken from the environment variable MAVIX_PASSWORD when it is
set, else from the desktop's keyring (Secret Service), else from the settings
file; never from the command line.
Certificates are verified against the system's trusted CAs and the server
name. MAVIX_TLS_CA_FILE may name a PEM file of further CAs to trust (for a
private CA, or for tests).

Settings are those of the desktop program (the account, the filter lists and
the preference "Automatically Set the Filter lists to the Default on Launch").
"defaults.txt" is read from, and the header dump "message.txt" written to, the
current directory.

Ctrl-C during the scan stops it. Ctrl-C during a purge stops it at once:
before its QUIT the session is closed without QUIT, so nothing at all is
deleted; once QUIT is sent the server may already be deleting, and the
messages are then reported, and journaled, as possibly deleted. A second
Ctrl-C, or SIGTERM, leaves at once.

Before its QUIT a purge writes the messages it marked to the journal of
deletions ("mavix-cli log") as pending; QUIT's answer makes them deleted. When
the answer never comes they stay "possibly deleted" until the next scan of
the account settles them by their ids. When the journal cannot be written,
the session is closed without QUIT and nothing is deleted. One purge of an
account runs at a time; a second one waits a few seconds, then gives up.

A purge prints "deleted N" only for deletions the server confirmed at QUIT,
"possibly deleted N" (with --tsv "unconfirmed N") when QUIT went out but its
answer did not come, "refused N" for a DELE the server refused, "mismatch N" where it stopped
because the message changed (its Subject or its id), "gone N" for a message
another client had removed already, and "skipped N" for one it could not read
or find. It then says on stderr how many were deleted, refused and not
deleted, and which checked messages are still on the server. When the
server's replies stop matching the commands (late, doubled or malformed), the
session is closed without QUIT: nothing at all is deleted, and it says so.

Exit status:
  0    the scan (and the purge) ended normally, also when no mail was waiting
  1    the scan failed (server not found, connection not secured, log-in or
       STAT refused, ...), a checked message was not deleted (refused, or the
       session broke), the server did not confirm the purge's QUIT (so
       deletions may or may not have been made), the journal of deletions
       could not be written (nothing deleted), another purge of the account
       was running, the output could not be written, or authorize could
       not sign in or store the refresh token
  2    usage error
  3    the purge stopped on a Subject mismatch
  130  interrupted by Ctrl-C
  143  ended by SIGTERM
With --all-accounts, the worst of the accounts' statuses, from best to
worst: 0, 3, 1; Ctrl-C or SIGTERM stops at the account it interrupts and
gives 130 or 143.
)");

}  // namespace

bool ParseCliOptions(int argc, const char* const* argv, CliOptions& options, std::string* psError)
{
    options = CliOptions();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            options.m_bHelp = true;
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0)
            options.m_bVersion = true;
    }
    if (options.m_bVersion)
        return true;
    std::string why;
    const std::string command = argc < 2 ? std::string() : argv[1];
    if (argc < 2)
        why = CliText("mavix-cli", "no command given (scan, purge, log, accounts or authorize)");
    else if (command == "scan")
        options.m_nCommand = CliOptions::kScan;
    else if (command == "purge")
        options.m_nCommand = CliOptions::kPurge;
    else if (command == "log")
        options.m_nCommand = CliOptions::kLog;
    else if (command == "authorize")
        options.m_nCommand = CliOptions::kAuthorize;
    else if (command == "accounts")
        options.m_nCommand = CliOptions::kAccounts;
    else if (command == "show")
        options.m_nCommand = CliOptions::kShow;
    else
        why = FillIn(CliText("mavix-cli", "unknown command '%1' (scan, purge, show, log, accounts or authorize)"),
                     {command});
    int nFirst = 2;
    if (why.empty() && options.m_nCommand == CliOptions::kShow) {
        if (argc < 3 || !ParsePositive(argv[2], options.m_nShowNum))
            why = CliText("mavix-cli", "show needs a message number");
        nFirst = 3;
    }
    if (why.empty())
        why = ApplyOptions(argc, argv, options, nFirst);
    if (why.empty())
        why = CheckAllAccounts(options);
    if (why.empty() && options.m_nCommand == CliOptions::kPurge && options.m_nSelection == CliOptions::kSelectNone)
        why = CliText("mavix-cli", "purge needs one of --suspects, --all or --rows N[,N...]");
    if (why.empty())
        return true;
    if (psError)
        *psError = std::move(why);
    return false;
}

std::string CliHelpText()
{
    return CliText("mavix-cli", kHelpText);
}
