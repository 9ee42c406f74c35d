// mavix-cli end to end against the scripted server: options, output, exit
// statuses, Ctrl-C.

#include <QtTest>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <signal.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "core/storage/DeletionJournal.h"
#include "core/storage/QuarantineMaildir.h"
#include "core/storage/RememberedChoices.h"
#include "core/storage/SettingsStore.h"
#include "tests/support/Gate.h"
#include "tests/support/ScriptedPop3Server.h"
#include "CliHarness.h"

namespace {

std::string Mail(int n, const std::string& subject, size_t bodyBytes = 60)
{
    std::string text = "From: \"Sender " + std::to_string(n) + "\" <sender" + std::to_string(n)
        + "@example.com>\r\nTo: me@example.com\r\nSubject: " + subject + "\r\nDate: 5 Jan 2005 10:00:00 +0000\r\n\r\n";
    text += std::string(bodyBytes, 'x') + "\r\n";
    return text;
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_pDir;
    std::vector<std::string> m_aMail;

    SettingsStore Store()
    {
        SettingsStore store;
        bool created = false;
        store.Open(&created);
        return store;
    }

    // The stored account points at the server; its stored password is wrong
    // so that only MAVIX_PASSWORD logs in.
    void StoreAccount(uint16_t port)
    {
        SettingsStore store = Store();
        store.WriteString("Acct", "Server", "127.0.0.1");
        store.WriteString("Acct", "User", "u");
        store.WriteString("Acct", "Pass", "stored-but-wrong");
        store.WriteString("Acct", "Port", std::to_string(port));
        // New settings keep copies; these transcripts are of the purge
        // alone, so only a test that asks for copies gets them.
        store.WriteInt("Prefs", "KeepCopyKB", 0);
    }

    // Starts "purge --all --tsv" and returns once the server holds an answer
    // at the gate.
    void StartHeldPurge(QProcess& process, Gate& gate, uint16_t port)
    {
        StoreAccount(port);
        PrepareCli(process, m_pDir->path(), {"MAVIX_PASSWORD=p"});
        process.start(CliBinary(), {"purge", "--all", "--tsv"});
        QVERIFY(process.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(gate.Reached(), 20000);
    }

    CliRun Cli(const QStringList& args, const QStringList& env = {"MAVIX_PASSWORD=p"})
    {
        return RunCli(args, m_pDir->path(), env);
    }

private slots:
    void init()
    {
        QFile::remove(QString::fromStdString(Store().FilePath()));
        // A server of an earlier test may have had this test's port: its
        // header cache would spare this scan the TOP commands the test
        // counts.
        QDir(qEnvironmentVariable("XDG_CACHE_HOME") + "/Mavix").removeRecursively();
        m_pDir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_pDir->isValid());
        m_aMail = {Mail(1, "Hello there"), Mail(2, "VIRUS found in C:\\temp"), Mail(3, "Caf\xE9 menu", 2500)};
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"list"};
        QTest::newRow("purge without selection") << QStringList{"purge"};
        QTest::newRow("two selections") << QStringList{"purge", "--all", "--suspects"};
        QTest::newRow("selection on scan") << QStringList{"scan", "--all"};
        QTest::newRow("empty row number") << QStringList{"purge", "--rows", "1,,3"};
        QTest::newRow("row zero") << QStringList{"purge", "--rows", "0"};
        QTest::newRow("rows without value") << QStringList{"purge", "--rows"};
        QTest::newRow("port out of range") << QStringList{"scan", "--port", "70000"};
        QTest::newRow("password on the command line") << QStringList{"scan", "--password", "p"};
        QTest::newRow("unknown option") << QStringList{"scan", "--verbose"};
        QTest::newRow("value on a flag") << QStringList{"scan", "--tsv=1"};
        QTest::newRow("account option on log") << QStringList{"log", "--server", "x"};
        QTest::newRow("unknown log-in method") << QStringList{"scan", "--auth", "kerberos"};
        QTest::newRow("output option on authorize") << QStringList{"authorize", "--tsv"};
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        const CliRun run = Cli(args);
        QVERIFY(run.m_bFinished);
        QCOMPARE(run.m_nExit, 2);
        QVERIFY(run.m_sOut.empty());
        QVERIFY(run.m_sErr.find("mavix-cli: ") == 0);
        QVERIFY(!QFile::exists(m_pDir->filePath("message.txt")));
    }

    void helpDocumentsEverything()
    {
        const CliRun run = Cli({"--help"});
        QCOMPARE(run.m_nExit, 0);
        for (const char* word : {"scan", "purge", "--suspects", "--all", "--rows", "--tsv", "--server", "--port",
                                 "--user", "MAVIX_PASSWORD", "Ctrl-C", "Exit status", "mismatch", "refused", "deleted"})
            QVERIFY2(run.m_sOut.find(word) != std::string::npos, word);
    }

    // Texts for people follow the desktop's language; what scripts read does not.
    void textsFollowTheLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("text");
        QTest::newRow("German usage error")
            << "de" << QStringList{"scan", "--port", "x"} << 2 << "--port erwartet eine Zahl von 1 bis 65535";
        QTest::newRow("German help") << "de" << QStringList{"--help"} << 0 << "Exit-Status:";
        QTest::newRow("French help") << "fr_FR:de" << QStringList{"--help"} << 0 << "Code de sortie :";
        QTest::newRow("English first") << "en:de" << QStringList{"scan", "--port", "x"} << 2
                                       << "--port wants a number from 1 to 65535";
        // The engine's own failure; overridesAndFailures has it in English.
        QTest::newRow("German log-in refused")
            << "de" << QStringList{"scan"} << 1 << "Der Server hat die Anmeldung abgelehnt: -ERR";
        // A sign-in's problem, told in Windows-1252 by the core, printed as UTF-8.
        QTest::newRow("German sign-in problem")
            << "de" << QStringList{"authorize"} << 1 << "für diesen Server ist kein OAuth-Anbieter bekannt";
    }

    void textsFollowTheLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, args);
        QFETCH(int, exit);
        QFETCH(QString, text);
        // The stored password is wrong: a scan is refused.
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p");
        server.Start();
        StoreAccount(server.Port());
        const CliRun run = Cli(args, {"LANGUAGE=" + language});
        QCOMPARE(run.m_nExit, exit);
        QVERIFY2((run.m_sOut + run.m_sErr).find(text.toStdString()) != std::string::npos, run.m_sErr.c_str());
    }

    void tsvIsTheSameInEveryLanguage()
    {
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p");
        server.Start();
        StoreAccount(server.Port());
        Store().WriteString("SubList", "0", "virus");
        const CliRun english = Cli({"scan", "--tsv"});
        const CliRun french = Cli({"scan", "--tsv"}, {"MAVIX_PASSWORD=p", "LANGUAGE=fr"});
        QCOMPARE(english.m_nExit, 0);
        QCOMPARE(french.m_nExit, 0);
        QCOMPARE(french.m_sOut, english.m_sOut);
        QVERIFY(french.m_sErr.find("suspects") != std::string::npos);
    }

    // Read before any account is needed: none is stored here.
    void logPrintsTheJournal()
    {
        const QString file = QString::fromStdString(DeletionJournal().FilePath());
        QFile::remove(file);
        QFile::remove(file + ".1");
        JournalEntry entry;
        entry.m_nTime = 1796641465;
        entry.m_sAccount = "u@127.0.0.1";
        entry.m_sUidl = "U1";
        entry.m_nSize = 2500;
        entry.m_sFrom = "Eve <eve@example.org>";
        entry.m_sSubject = "Win\x1b[2J\tnow";
        entry.m_sReason = "subject contains \"WIN\"";
        JournalEntry second = entry;
        second.m_sSubject = "Hello";
        second.m_sReason = DeletionJournal::kCheckedByHand;
        QVERIFY(DeletionJournal().Append({entry, second}));

        const CliRun tsv = Cli({"log", "--tsv"}, {});
        QCOMPARE(tsv.m_nExit, 0);
        QCOMPARE(tsv.m_sOut, DeletionJournal::FormatLine(entry) + DeletionJournal::FormatLine(second));
        const CliRun text = Cli({"log"}, {});
        QCOMPARE(text.m_nExit, 0);
        const std::vector<std::string> lines = SplitLines(text.m_sOut);
        QCOMPARE(lines.size(), size_t(2));
        QVERIFY(lines[0].find("2K  Eve <eve@example.org>") != std::string::npos);
        QVERIFY(lines[0].find("subject contains \"WIN\"") != std::string::npos);
        QVERIFY(text.m_sOut.find('\x1b') == std::string::npos);
        QVERIFY(lines[1].find("Hello  |  checked by hand") != std::string::npos);
    }

    void blankAccountFails()
    {
        const CliRun run = Cli({"scan"}, {});
        QCOMPARE(run.m_nExit, 1);
        QVERIFY(run.m_sErr.find("Failed to connect (some field is blank)\nserver=, user= port=110") == 0);
    }

    // TSV rows with the stored lists, UTF-8 texts, escaped backslashes, the
    // status on stderr, the dump in the working directory.
    void scanWritesTsv()
    {
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p");
        server.Start();
        StoreAccount(server.Port());
        Store().WriteString("SubList", "0", "virus");

        const CliRun run = Cli({"scan", "--tsv"});
        QCOMPARE(run.m_nExit, 0);
        const std::vector<std::string> lines = SplitLines(run.m_sOut);
        QCOMPARE(lines.size(), size_t(3));
        std::vector<std::vector<std::string>> rows;
        for (const std::string& line : lines) {
            rows.push_back(SplitTabs(line));
            QCOMPARE(rows.back().size(), size_t(11));
        }
        QCOMPARE(rows[0][0], std::string("1"));
        QCOMPARE(rows[0][3], std::string("Hello there"));
        QCOMPARE(rows[0][4], std::string("Sender 1"));
        QCOMPARE(rows[0][5], std::string("sender1@example.com"));
        QCOMPARE(rows[0][9], std::string("0"));
        QCOMPARE(rows[1][3], std::string("VIRUS found in C:\\\\temp"));
        QCOMPARE(rows[1][9], std::string("1"));
        QCOMPARE(rows[1][10], std::string("Subject contains \"VIRUS\""));
        QCOMPARE(rows[0][10], std::string());
        QCOMPARE(rows[2][1], std::string("2K"));
        QCOMPARE(rows[2][3], std::string("Caf\xC3\xA9 menu"));
        QCOMPARE(rows[2][9], std::string("0"));
        QVERIFY2(run.m_sErr.find("  3 eMails :   1 Suspect") != std::string::npos, run.m_sErr.c_str());
        QVERIFY(QFile::exists(m_pDir->filePath("message.txt")));
        QVERIFY(server.WaitNoSession(5000));
        QVERIFY(server.Received().find("QUIT\r\n") != std::string::npos);
        QCOMPARE(server.Messages().size(), size_t(3));
    }

    // Encoded words decoded in TSV and table; --raw shows them as received.
    void decodedAndRawTexts()
    {
        m_aMail[0] = Mail(1, "=?UTF-8?B?UsOpdW5pb24gZGUgZmFtaWxsZSDDoCBOb8OrbA==?=");
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p");
        server.Start();
        StoreAccount(server.Port());
        const std::string decoded = "R\xC3\xA9union de famille \xC3\xA0 No\xC3\xABl";
        const CliRun tsv = Cli({"scan", "--tsv"});
        QCOMPARE(SplitTabs(SplitLines(tsv.m_sOut)[0])[3], decoded);
        const CliRun raw = Cli({"scan", "--tsv", "--raw"});
        QCOMPARE(SplitTabs(SplitLines(raw.m_sOut)[0])[3],
                 std::string("=?UTF-8?B?UsOpdW5pb24gZGUgZmFtaWxsZSDDoCBOb8OrbA==?="));
        const CliRun table = Cli({"scan"}, {"MAVIX_PASSWORD=p", "COLUMNS=132"});
        QVERIFY2(table.m_sOut.find(decoded.substr(0, 16)) != std::string::npos, table.m_sOut.c_str());
    }

    // The sender checks reach the TSV reason with the account's AuthServIds
    // (a loopback server has no domain to trust by), and each switch stops
    // its own check only.
    void senderChecksInTsv()
    {
        m_aMail[0] = "Authentication-Results: mx.provider.example; dmarc=fail header.from=bank.example\r\n"
                     "From: Bank <alerts@bank.example>\r\nSubject: Your account\r\n\r\nx\r\n";
        m_aMail[2] = "From: PayPal <service@xn--l-7sba6dbr.com>\r\nSubject: Verify\r\n\r\nx\r\n";
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p");
        server.Start();
        StoreAccount(server.Port());
        Store().WriteString("Acct", "AuthServIds", "mx.provider.example");
        std::vector<std::string> lines = SplitLines(Cli({"scan", "--tsv"}).m_sOut);
        QCOMPARE(lines.size(), size_t(3));
        QCOMPARE(SplitTabs(lines[0])[9], std::string("1"));
        QCOMPARE(SplitTabs(lines[0])[10],
                 std::string("The sender's domain bank.example failed DMARC (checked by mx.provider.example)"));
        QCOMPARE(SplitTabs(lines[2])[10],
                 std::string("The sender's domain \xD1\x80\xD0\xB0\xD1\x83\xD1\x80\xD0\xB0"
                             "l.com (xn--l-7sba6dbr.com) mixes letters of different scripts"));
        Store().WriteInt("Prefs", "CheckAuthentication", 0);
        Store().WriteInt("Prefs", "CheckLookAlikes", 0);
        lines = SplitLines(Cli({"scan", "--tsv"}).m_sOut);
        QCOMPARE(lines.size(), size_t(3));
        QCOMPARE(SplitTabs(lines[0])[9], std::string("0"));
        // The name check, still on, finds the brand's name over another domain.
        QCOMPARE(SplitTabs(lines[2])[10], std::string("The sender's name says PayPal, but the mail comes from "
                                                      "\xD1\x80\xD0\xB0\xD1\x83\xD1\x80\xD0\xB0"
                                                      "l.com, which is not one of PayPal's domains"));
    }

    // The table fits the width it is given and marks the suspects.
    void scanWritesATable()
    {
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p");
        server.Start();
        StoreAccount(server.Port());
        Store().WriteString("SubList", "0", "virus");
        for (int width : {60, 132}) {
            const CliRun run = Cli({"scan"}, {"MAVIX_PASSWORD=p", "COLUMNS=" + QString::number(width)});
            QCOMPARE(run.m_nExit, 0);
            const std::vector<std::string> lines = SplitLines(run.m_sOut);
            QCOMPARE(lines.size(), size_t(4));
            QVERIFY(lines[0].find("Subject") != std::string::npos);
            QCOMPARE(lines[2][0], '*');
            QCOMPARE(lines[1][0], ' ');
            for (const std::string& line : lines)
                QVERIFY2(QString::fromStdString(line).size() <= width, line.c_str());
        }
    }

    void overridesAndFailures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("stderr");
        QTest::newRow("env password wins over the stored one") << QStringList{} << "p" << 0 << "";
        QTest::newRow("stored password") << QStringList{} << "" << 1 << "The server refused the log-in: -ERR";
        QTest::newRow("user override") << QStringList{"--user", "someone"} << "p" << 1
                                       << "The server refused the log-in: -ERR";
        QTest::newRow("server override") << QStringList{"--server", "no-such-host.invalid"} << "p" << 1
                                         << "Server Not Found";
        QTest::newRow("log-in method override") << QStringList{"--auth", "USER"} << "p" << 0 << "";
        QTest::newRow("OAuth without a provider")
            << QStringList{"--auth", "xoauth2"} << "" << 1 << "no OAuth provider is known for this server";
    }

    void overridesAndFailures()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, password);
        QFETCH(int, exit);
        QFETCH(QString, stderr);
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p");
        server.Start();
        StoreAccount(server.Port());
        const CliRun run = Cli(QStringList{"scan", "--tsv"} + args,
                               password.isEmpty() ? QStringList{} : QStringList{"MAVIX_PASSWORD=" + password});
        QCOMPARE(run.m_nExit, exit);
        QVERIFY2(run.m_sErr.find(stderr.toStdString()) != std::string::npos, run.m_sErr.c_str());
        // Overrides are for the one run: nothing is saved.
        QCOMPARE(Store().ReadString("Acct", "User", ""), std::string("u"));
        QCOMPARE(Store().ReadString("Acct", "Server", ""), std::string("127.0.0.1"));
    }

    void purgeStopsOnMismatch()
    {
        std::atomic<int> top3{0};
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p", [&](const std::string& command, int) -> std::optional<std::string> {
            if (command == "TOP 3 0" && ++top3 == 2)
                return std::string("+OK\r\nSubject: Caf\xE9 menu\tnew\r\n\r\n.\r\n");
            return std::nullopt;
        });
        server.Start();
        StoreAccount(server.Port());
        const CliRun run = Cli({"purge", "--rows", "1,3", "--tsv"});
        QCOMPARE(run.m_nExit, 3);
        const std::vector<std::string> lines = SplitLines(run.m_sOut);
        QCOMPARE(lines.size(), size_t(5));
        // "deleted" only once QUIT has committed it.
        QCOMPARE(lines[3], std::string("mismatch\t3\tCaf\xC3\xA9 menu\tCaf\xC3\xA9 menu new"));
        QCOMPARE(lines[4], std::string("deleted\t1"));
        QVERIFY2(run.m_sErr.find("not deleted: 3") != std::string::npos, run.m_sErr.c_str());
        QVERIFY(server.WaitNoSession(5000));
        QCOMPARE(server.Messages().size(), size_t(2));
    }

    void purgeReportsRefusals()
    {
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p", [](const std::string& command, int) -> std::optional<std::string> {
            if (command == "DELE 2")
                return std::string("-ERR\tlocked\r\n");
            return std::nullopt;
        });
        server.Start();
        StoreAccount(server.Port());
        const CliRun run = Cli({"purge", "--all", "--tsv"});
        QCOMPARE(run.m_nExit, 1);  // a checked message is still on the server
        const std::vector<std::string> lines = SplitLines(run.m_sOut);
        QCOMPARE(lines.size(), size_t(6));
        QCOMPARE(lines[3], std::string("refused\t2\t-ERR\\tlocked"));
        QCOMPARE(lines[4], std::string("deleted\t1"));
        QCOMPARE(lines[5], std::string("deleted\t3"));
        QVERIFY2(run.m_sErr.find("2 deleted, 1 refused by the server, 0 not deleted (changed on the server)")
                     != std::string::npos,
                 run.m_sErr.c_str());
        QVERIFY2(run.m_sErr.find("not deleted: 2") != std::string::npos, run.m_sErr.c_str());
        QVERIFY(server.WaitNoSession(5000));
        QVERIFY(server.Received().find("DELE 2\r\nTOP 3 0\r\nUIDL 3\r\nDELE 3\r\nQUIT\r\n") != std::string::npos);
    }

    // A pre-checked row the user unchecked in the window (remembered by its
    // UIDL) is no suspect to scan and is left alone by --suspects.
    void rememberedChoiceDecidesLikeTheWindow()
    {
        m_aMail = {Mail(1, "First"), Mail(2, "Second"), Mail(3, "Third")};
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p");
        server.Start();
        StoreAccount(server.Port());
        Store().WriteString("SubList", "0", "Second");
        RememberedChoices choices;
        QVERIFY(choices.Load(RememberedChoices::PathFor("127.0.0.1", "u", std::to_string(server.Port()))));
        QVERIFY(choices.Record("mavix-uid-2", false, true));
        QVERIFY(choices.Save());

        const CliRun scan = Cli({"scan", "--tsv"});
        QCOMPARE(scan.m_nExit, 0);
        const std::vector<std::string> lines = SplitLines(scan.m_sOut);
        QCOMPARE(lines.size(), size_t(3));
        QCOMPARE(SplitTabs(lines[1])[9], std::string("0"));

        const CliRun purge = Cli({"purge", "--suspects", "--tsv"});
        QCOMPARE(purge.m_nExit, 0);
        QVERIFY2(purge.m_sOut.find("deleted") == std::string::npos, purge.m_sOut.c_str());
        QVERIFY(server.WaitNoSession(5000));
        QVERIFY(server.Received().find("DELE") == std::string::npos);
        QCOMPARE(server.Messages(), m_aMail);
        QFile::remove(QString::fromStdString(choices.Path()));
    }

    // With "Def" set the built-in subject list classifies: "KLEZ" is on it.
    void purgeSuspectsWithTheDefaultLists()
    {
        m_aMail[1] = Mail(2, "Klez is back");
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p");
        server.Start();
        StoreAccount(server.Port());
        Store().WriteInt("Prefs", "Def", 1);
        const CliRun run = Cli({"purge", "--suspects", "--tsv"});
        QCOMPARE(run.m_nExit, 0);
        const std::vector<std::string> lines = SplitLines(run.m_sOut);
        QCOMPARE(lines.size(), size_t(4));
        QCOMPARE(lines[3], std::string("deleted\t2"));
        QVERIFY(server.WaitNoSession(5000));
        QCOMPARE(server.Messages(), (std::vector<std::string>{m_aMail[0], m_aMail[2]}));
    }

    // mavix-cli follows the copies preference: message 1 is fetched and
    // stored before its DELE, message 3 (over 1 KB) deleted without a copy;
    // the journal records both once QUIT committed them.
    void purgeKeepsCopiesAndJournals()
    {
        const QString folder = QString::fromStdString(QuarantineMaildir::DefaultFolder());
        QDir(folder).removeRecursively();
        const size_t nJournal = DeletionJournal().Read().size();
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p", [&](const std::string& command, int) -> std::optional<std::string> {
            if (command == "RETR 1")
                return "+OK\r\n" + m_aMail[0] + ".\r\n";
            return std::nullopt;
        });
        server.Start();
        StoreAccount(server.Port());
        Store().WriteInt("Prefs", "KeepCopyKB", 1);
        const CliRun run = Cli({"purge", "--rows", "1,3", "--tsv"});
        QCOMPARE(run.m_nExit, 0);
        QVERIFY(server.WaitNoSession(5000));
        QVERIFY(server.Received().find("RETR 1\r\nDELE 1\r\n") != std::string::npos);
        QVERIFY(server.Received().find("TOP 3 0\r\nUIDL 3\r\nDELE 3\r\n") != std::string::npos);
        QCOMPARE(QDir(folder + "/new").entryList(QDir::Files).size(), 1);
        const std::vector<JournalEntry> journal = DeletionJournal().Read();
        QCOMPARE(journal.size(), nJournal + 2);
        QCOMPARE(journal[nJournal + 1].m_sSubject, std::string("Caf\xC3\xA9 menu"));

        // `log` says where message 1's copy is; its TSV line still parses.
        const std::string where = "\t\t" + folder.toStdString() + "/new/";
        const std::vector<std::string> tsv = SplitLines(Cli({"log", "--tsv"}).m_sOut);
        JournalEntry parsed;
        QVERIFY(DeletionJournal::ParseLine(tsv[tsv.size() - 2], parsed));
        QCOMPARE(parsed.m_sUidl, journal[nJournal].m_sUidl);
        QVERIFY(tsv[tsv.size() - 2].find(where) != std::string::npos);
        QVERIFY(tsv.back().find(where) == std::string::npos);
        QVERIFY(Cli({"log"}).m_sOut.find("  |  copy: " + folder.toStdString() + "/new/") != std::string::npos);
    }

    // The journal hears of a deletion before the server: a QUIT whose
    // answer is lost leaves it possibly deleted until the next scan; a
    // journal that cannot be written means no QUIT at all.
    void purgeJournalsBeforeQuit_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::newRow("QUIT's answer lost") << true;
        QTest::newRow("journal unwritable") << false;
    }

    void purgeJournalsBeforeQuit()
    {
        QFETCH(bool, writable);
        const DeletionJournal journal;
        QDir(QString::fromStdString(journal.Folder())).removeRecursively();
        QVERIFY(QDir().mkpath(QString::fromStdString(journal.Folder())));
        if (!writable)
            QVERIFY(QFile::link("/dev/null", QString::fromStdString(journal.FilePath())));
        std::atomic<bool> marked{false};
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p", [&](const std::string& command, int) -> std::optional<std::string> {
            marked = marked || command.starts_with("DELE");
            if (command == "QUIT" && marked)
                return ScriptedPop3Server::kCloseConnection;
            return std::nullopt;
        });
        server.Start();
        StoreAccount(server.Port());
        const CliRun run = Cli({"purge", "--rows", "2", "--tsv"});
        QCOMPARE(run.m_nExit, 1);
        QVERIFY(server.WaitNoSession(5000));
        if (!writable) {
            QVERIFY(run.m_sErr.find("could not be recorded") != std::string::npos);
            QVERIFY(server.Received().find("QUIT") == std::string::npos);
            QCOMPARE(server.Messages().size(), size_t(3));
            return;
        }
        QCOMPARE(SplitLines(run.m_sOut).back(), std::string("unconfirmed\t2"));
        QCOMPARE(server.Messages().size(), size_t(2));
        QVERIFY(SplitLines(Cli({"log", "--tsv"}).m_sOut).back().ends_with("\tpending"));
        QCOMPARE(Cli({"scan"}).m_nExit, 0);
        const std::vector<JournalEntry> entries = journal.Read();
        QCOMPARE(entries.size(), size_t(1));
        QVERIFY(entries[0].m_nState == JournalEntry::State::kDeleted);
    }

    void purgeOfAnUnlistedNumberDeletesNothing()
    {
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p");
        server.Start();
        StoreAccount(server.Port());
        const CliRun run = Cli({"purge", "--rows", "2,9"});
        QCOMPARE(run.m_nExit, 2);
        QVERIFY(run.m_sErr.find("no message 9") != std::string::npos);
        QVERIFY(server.WaitNoSession(5000));
        QVERIFY(server.Received().find("DELE") == std::string::npos);
        QCOMPARE(server.Messages().size(), size_t(3));
    }

    void interrupt_data()
    {
        QTest::addColumn<bool>("duringPurge");
        QTest::newRow("during the scan") << false;
        QTest::newRow("during the purge") << true;
    }

    // Ctrl-C: a scan stops; a purge is dropped before its QUIT. Nothing deleted.
    void interrupt()
    {
        QFETCH(bool, duringPurge);
        Gate gate;
        std::atomic<int> top2{0};
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p", [&](const std::string& command, int) -> std::optional<std::string> {
            if (command == "TOP 2 0" && ++top2 == (duringPurge ? 2 : 1))
                gate.Wait();
            return std::nullopt;
        });
        server.Start();
        QProcess process;
        StartHeldPurge(process, gate, server.Port());
        QVERIFY(process.processId() > 0);
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        std::string err;
        QTRY_VERIFY_WITH_TIMEOUT(
            (err += process.readAllStandardError().toStdString(), err.find("interrupted") != std::string::npos), 10000);
        gate.Open();
        // The process may already have ended while the test read its stderr.
        QVERIFY(process.state() == QProcess::NotRunning || process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 130);
        QVERIFY(server.WaitNoSession(5000));
        const std::string wire = server.Received();
        if (duringPurge) {
            QVERIFY(wire.find("DELE 1\r\n") != std::string::npos);  // marked, then dropped
            QVERIFY(wire.find("QUIT") == std::string::npos);
            QVERIFY(wire.find("DELE 2") == std::string::npos);
        } else {
            QVERIFY(wire.find("TOP 3 0") == std::string::npos);
            QVERIFY(wire.find("DELE") == std::string::npos);
        }
        QCOMPARE(server.Messages().size(), size_t(3));
    }

    void signalsWhileTheServerStalls_data()
    {
        QTest::addColumn<QList<int>>("sent");
        QTest::addColumn<int>("exit");
        QTest::newRow("Ctrl-C") << QList<int>{SIGINT} << 130;
        QTest::newRow("SIGTERM") << QList<int>{SIGTERM} << 143;
    }

    // The server holds its answer to DELE 2: Ctrl-C, or SIGTERM, leaves at
    // once, without QUIT, so nothing at all is deleted.
    void signalsWhileTheServerStalls()
    {
        QFETCH(QList<int>, sent);
        QFETCH(int, exit);
        Gate gate;
        ScriptedPop3Server server;
        server.ServeMailbox(m_aMail, "u", "p", [&](const std::string& command, int) -> std::optional<std::string> {
            if (command == "DELE 2")
                gate.Wait();
            return std::nullopt;
        });
        server.Start();
        QProcess process;
        StartHeldPurge(process, gate, server.Port());
        std::string err;
        for (int number : sent) {
            // Signals of one kind do not queue: the next goes once this one
            // has been taken.
            if (!err.empty())
                QTRY_VERIFY_WITH_TIMEOUT(
                    (err += process.readAllStandardError().toStdString(), err.find("interrupted") != std::string::npos),
                    10000);
            // A process that has ended has no id: kill(0) would signal the
            // test's own process group.
            QVERIFY(process.processId() > 0);
            ::kill(static_cast<pid_t>(process.processId()), number);
            err += "-";
        }
        QElapsedTimer clock;
        clock.start();
        QVERIFY(process.waitForFinished(5000));
        QVERIFY2(clock.elapsed() < 2000, QByteArray::number(clock.elapsed()));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exit);
        gate.Open();
        QVERIFY(server.WaitNoSession(5000));
        QVERIFY(server.Received().find("QUIT") == std::string::npos);
        QCOMPARE(server.Messages().size(), size_t(3));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
