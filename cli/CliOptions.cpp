#include "CliOptions.h"

#include "platform/TlsStream.h"

#include <cstring>

namespace {

// "1", "2", "3": positive decimal numbers that fit an int, nothing else.
bool ParsePositive(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 9)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value > 0;
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

// The text of --help.
constexpr const char kHelpText[] = R"(Usage: mavix-cli scan [--tsv] [--raw] [ACCOUNT OPTIONS]
       mavix-cli purge (--suspects | --all | --rows N[,N...]) [--tsv] [--raw] [ACCOUNT OPTIONS]
       mavix-cli log [--tsv]
       mavix-cli --help

Screens the POP3 mailbox of the stored Mavix account without downloading any
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
  log         Print the journal of deletions that Mavix and mavix-cli made,
              oldest first: time, size, From, Subject and why the message
              was deleted. With --tsv: the journal's lines as they are kept,
              time (UTC), account, UIDL, size in bytes, From, Subject,
              reason, escaped like the scan's --tsv output. The journal is
              $XDG_STATE_HOME/Mavix/deleted.log (~/.local/state/Mavix).

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

Account (for this run only; nothing is saved):
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

Ctrl-C during the scan stops it. Ctrl-C during a purge ends the session with
RSET and QUIT, so nothing at all is deleted (unless the purge had already
sent its QUIT; that is then reported); a second Ctrl-C, or SIGTERM, leaves at
once without QUIT, which also deletes nothing.

A purge prints "deleted N" only for deletions the server confirmed at QUIT,
"refused N" for a DELE the server refused, "mismatch N" where it stopped
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
       deletions may not have been made), or the output could not be written
  2    usage error
  3    the purge stopped on a Subject mismatch
  130  interrupted by Ctrl-C
  143  ended by SIGTERM
)";

}  // namespace

namespace {

// One pass over the words of a command line.
class CliParser {
public:
    CliParser(int argc, const char* const* argv, CliOptions& options, std::string* psError)
        : m_argc(argc), m_argv(argv), m_options(options), m_psError(psError)
    {
    }

    bool Parse();

private:
    bool Fail(std::string why);
    bool ParseCommand();
    // The value of the word: after its '=', or the next word.
    bool Value(std::string& out);
    bool NoValue();
    bool Select(CliOptions::Selection selection);
    // The options of the output and of the purge's selection, then those of
    // the account; bKnown says whether the word was one of them.
    bool OutputOption(bool& bKnown);
    bool AccountOption(bool& bKnown);

    int m_argc;
    const char* const* m_argv;
    CliOptions& m_options;
    std::string* m_psError;
    int m_i = 2;                                  // the word being read
    std::string m_sWord;                          // its option name
    std::optional<std::string> m_inlineValue;     // its "=value", if any
};

bool CliParser::Fail(std::string why)
{
    if (m_psError)
        *m_psError = std::move(why);
    return false;
}

bool CliParser::ParseCommand()
{
    if (m_argc < 2)
        return Fail("no command given (scan, purge or log)");
    const std::string command = m_argv[1];
    if (command == "scan")
        m_options.m_nCommand = CliOptions::kScan;
    else if (command == "purge")
        m_options.m_nCommand = CliOptions::kPurge;
    else if (command == "log")
        m_options.m_nCommand = CliOptions::kLog;
    else
        return Fail("unknown command '" + command + "' (scan, purge or log)");
    return true;
}

bool CliParser::Value(std::string& out)
{
    if (m_inlineValue)
        out = *m_inlineValue;
    else if (m_i + 1 < m_argc)
        out = m_argv[++m_i];
    else
        return Fail(m_sWord + " needs a value");
    return true;
}

bool CliParser::NoValue()
{
    return m_inlineValue ? Fail(m_sWord + " takes no value") : true;
}

bool CliParser::Select(CliOptions::Selection selection)
{
    if (m_options.m_nCommand != CliOptions::kPurge)
        return Fail(m_sWord + " belongs to the purge command");
    if (m_options.m_nSelection != CliOptions::kSelectNone)
        return Fail("give only one of --suspects, --all and --rows");
    m_options.m_nSelection = selection;
    return true;
}

bool CliParser::Parse()
{
    m_options = CliOptions();
    for (int i = 1; i < m_argc; ++i) {
        if (std::strcmp(m_argv[i], "--help") == 0 || std::strcmp(m_argv[i], "-h") == 0) {
            m_options.m_bHelp = true;
            return true;
        }
    }
    if (!ParseCommand())
        return false;
    for (m_i = 2; m_i < m_argc; ++m_i) {
        m_sWord = m_argv[m_i];
        m_inlineValue.reset();
        if (m_sWord.rfind("--", 0) == 0) {
            const size_t eq = m_sWord.find('=');
            if (eq != std::string::npos) {
                m_inlineValue = m_sWord.substr(eq + 1);
                m_sWord.resize(eq);
            }
        }
        if (m_options.m_nCommand == CliOptions::kLog && m_sWord != "--tsv")
            return Fail("log takes only --tsv");
        bool bKnown = false;
        if (!OutputOption(bKnown) || (!bKnown && !AccountOption(bKnown)))
            return false;
        if (!bKnown)
            return Fail("unknown option '" + m_sWord + "'");
    }
    if (m_options.m_nCommand == CliOptions::kPurge && m_options.m_nSelection == CliOptions::kSelectNone)
        return Fail("purge needs one of --suspects, --all or --rows N[,N...]");
    return true;
}

bool CliParser::OutputOption(bool& bKnown)
{
    bKnown = true;
    std::string text;
    if (m_sWord == "--raw") {
        if (!NoValue())
            return false;
        m_options.m_bRaw = true;
    } else if (m_sWord == "--tsv") {
        if (!NoValue())
            return false;
        m_options.m_bTsv = true;
    } else if (m_sWord == "--suspects") {
        return NoValue() && Select(CliOptions::kSelectSuspects);
    } else if (m_sWord == "--all") {
        return NoValue() && Select(CliOptions::kSelectAll);
    } else if (m_sWord == "--rows") {
        if (!Value(text) || !Select(CliOptions::kSelectRows))
            return false;
        if (!ParseRows(text, m_options.m_aRows))
            return Fail("--rows wants message numbers such as 1,3,7");
    } else {
        bKnown = false;
    }
    return true;
}

bool CliParser::AccountOption(bool& bKnown)
{
    bKnown = true;
    std::string text;
    if (m_sWord == "--password" || m_sWord == "--pass") {
        // Anything on a command line is visible to every user of the
        // machine (ps, /proc/<pid>/cmdline) and lands in shell history.
        return Fail("the password is never taken from the command line: "
                    "set MAVIX_PASSWORD or store it with Mavix's Manage Account");
    }
    if (m_sWord != "--server" && m_sWord != "--port" && m_sWord != "--user" && m_sWord != "--security"
        && m_sWord != "--tls-fingerprint") {
        bKnown = false;
        return true;
    }
    if (!Value(text))
        return false;
    int port = 0;
    if (m_sWord == "--server") {
        if (text.empty())
            return Fail("--server needs a host name");
        m_options.m_sServer = text;
    } else if (m_sWord == "--port") {
        if (!ParsePositive(text, port) || port > 65535)
            return Fail("--port wants a number from 1 to 65535");
        m_options.m_sPort = text;
    } else if (m_sWord == "--user") {
        if (text.empty())
            return Fail("--user needs a name");
        m_options.m_sUser = text;
    } else if (m_sWord == "--security") {
        if (text != "none" && text != "stls" && text != "tls")
            return Fail("--security wants none, stls or tls");
        m_options.m_sSecurity = text == "none" ? "0" : text == "stls" ? "1" : "2";
    } else {
        m_options.m_sTlsFingerprint = platform::NormaliseFingerprint(text);
        // Empty clears a stored fingerprint for this run.
        if (m_options.m_sTlsFingerprint->empty() && !text.empty())
            return Fail("--tls-fingerprint wants a SHA-256 fingerprint: 64 hex digits, colons allowed");
    }
    return true;
}

}  // namespace

bool ParseCliOptions(int argc, const char* const* argv, CliOptions& options, std::string* psError)
{
    return CliParser(argc, argv, options, psError).Parse();
}

std::string CliHelpText()
{
    return kHelpText;
}
