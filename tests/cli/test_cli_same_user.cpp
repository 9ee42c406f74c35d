// mavix-cli with two accounts of the same user on the same server at two
// ports (a local tunnel per server): the journal's pending lines and the
// names the command line takes never mix them up.

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

#include "core/storage/DeletionJournal.h"
#include "core/storage/SettingsStore.h"
#include "tests/support/ScriptedPop3Server.h"

#include "CliHarness.h"

namespace {

const std::string kUser = "john";
const std::string kMessage = "From: a@example.org\r\nSubject: hello\r\n\r\nbody\r\n";

// The account's section: its name (none when empty), its server's port.
QByteArray Section(int index, const QString& name, uint16_t port)
{
    return "[" + QByteArray(index == 0 ? "Acct" : "Acct" + QByteArray::number(index + 1)) + "]\nServer=127.0.0.1\nPort="
        + QByteArray::number(port) + "\nUser=john\nPass=pw\n" + (name.isEmpty() ? "" : "Name=" + name.toUtf8() + "\n")
        + "\n";
}

}  // namespace

class TestCliSameUser : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedPop3Server> m_pA, m_pB;

    // Each server holds one message, "U1" where listed, else "U7".
    void StartServers(bool bAListsU1, bool bBListsU1)
    {
        m_pA = std::make_unique<ScriptedPop3Server>();
        m_pB = std::make_unique<ScriptedPop3Server>();
        m_pA->ServeMailbox({}, kUser, "pw");
        m_pB->ServeMailbox({}, kUser, "pw");
        m_pA->SetMailbox({{bAListsU1 ? "U1" : "U7", kMessage}});
        m_pB->SetMailbox({{bBListsU1 ? "U1" : "U7", kMessage}});
        m_pA->Start();
        m_pB->Start();
    }

    void WriteSettings(const QStringList& names)
    {
        QByteArray text;
        for (int i = 0; i < names.size(); ++i)
            text += Section(i, names[i], i == 0 ? m_pA->Port() : m_pB->Port());
        const QString path = QString::fromStdString(SettingsStore().FilePath());
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

private slots:
    void init()
    {
        QFile::remove(QString::fromStdString(DeletionJournal().FilePath()));
    }

    void pendingLinesStayWithTheirAccount_data()
    {
        QTest::addColumn<QString>("writer");  // "A", or "earlier" for user@server without the port
        QTest::addColumn<QStringList>("accounts");
        QTest::addColumn<QString>("scanned");
        QTest::addColumn<bool>("listed");   // the scanned server still lists U1
        QTest::addColumn<QString>("state");  // the log's state field after; "none": no line
        const QStringList both{"Alpha", "Beta"};
        QTest::newRow("A's line, B lists the id") << "A" << both << "Beta" << true << "pending";
        QTest::newRow("A's line, B lacks the id") << "A" << both << "Beta" << false << "pending";
        QTest::newRow("A's line, A lacks the id") << "A" << both << "Alpha" << false << "";
        QTest::newRow("A's line, A lists the id") << "A" << both << "Alpha" << true << "none";
        QTest::newRow("earlier line, two accounts share it") << "earlier" << both << "Alpha" << false << "pending";
        QTest::newRow("earlier line, one account owns it") << "earlier" << QStringList{"Alpha"} << "Alpha" << false
                                                           << "";
    }

    // A purge whose QUIT went unanswered left a pending line; only a scan
    // of the account that wrote it settles it (a deletion when its server no
    // longer lists the id, none when it does).
    void pendingLinesStayWithTheirAccount()
    {
        QFETCH(QString, writer);
        QFETCH(QStringList, accounts);
        QFETCH(QString, scanned);
        QFETCH(bool, listed);
        QFETCH(QString, state);
        const bool bScanA = scanned == "Alpha";
        StartServers(bScanA && listed, !bScanA && listed);
        WriteSettings(accounts);
        JournalEntry entry;
        entry.m_sAccount = kUser + "@127.0.0.1" + (writer == "A" ? ":" + std::to_string(m_pA->Port()) : "");
        entry.m_sUidl = "U1";
        entry.m_nSize = 100;
        entry.m_sSubject = "hello";
        entry.m_sReason = DeletionJournal::kCheckedByHand;
        entry.m_nState = JournalEntry::State::kPending;
        QVERIFY(DeletionJournal().Append({entry}));

        const CliRun scan = RunCli({"scan", "--tsv", "--account", scanned}, m_dir.path());
        QVERIFY2(scan.m_nExit == 0, scan.m_sErr.c_str());
        const CliRun log = RunCli({"log", "--tsv"}, m_dir.path());
        const std::vector<std::string> lines = SplitLines(log.m_sOut);
        if (state == "none") {
            QVERIFY2(lines.empty(), log.m_sOut.c_str());
            return;
        }
        QCOMPARE(lines.size(), size_t(1));
        const std::vector<std::string> fields = SplitTabs(lines[0]);
        QCOMPARE(fields[1], entry.m_sAccount);
        QCOMPARE(QString::fromStdString(fields.size() > 7 ? fields[7] : ""), state);
    }

    void ambiguousNames_data()
    {
        QTest::addColumn<QStringList>("accounts");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("exit");
        QTest::addColumn<int>("leftOnB");  // messages B's server keeps
        QTest::newRow("two named alike") << QStringList{"Same", "Same"} << "Same" << 2 << 1;
        QTest::newRow("same user@server, no names") << QStringList{"", ""} << "john@127.0.0.1" << 2 << 1;
        QTest::newRow("own names") << QStringList{"Alpha", "Beta"} << "Beta" << 0 << 0;
    }

    // A name several accounts answer to is a usage error that lists them;
    // nothing is deleted anywhere.
    void ambiguousNames()
    {
        QFETCH(QStringList, accounts);
        QFETCH(QString, chosen);
        QFETCH(int, exit);
        QFETCH(int, leftOnB);
        StartServers(true, true);
        WriteSettings(accounts);
        const CliRun run = RunCli({"purge", "--all", "--tsv", "--account", chosen}, m_dir.path());
        QVERIFY2(run.m_nExit == exit, run.m_sErr.c_str());
        QCOMPARE(m_pA->Mailbox().size(), size_t(1));
        QCOMPARE(m_pB->Mailbox().size(), size_t(leftOnB));
        if (exit == 2) {
            QVERIFY2(run.m_sErr.find("2 accounts are named") != std::string::npos, run.m_sErr.c_str());
            QVERIFY2(run.m_sErr.find(":" + std::to_string(m_pA->Port())) != std::string::npos, run.m_sErr.c_str());
            QVERIFY2(run.m_sErr.find(":" + std::to_string(m_pB->Port())) != std::string::npos, run.m_sErr.c_str());
            QVERIFY(m_pA->Received().find("DELE") == std::string::npos);
        }
    }
};

QTEST_GUILESS_MAIN(TestCliSameUser)
#include "test_cli_same_user.moc"
