// mavix-cli with several accounts on one Dovecot: choosing one, all of
// them, one of them down, and a purge that stays in its own mailbox.

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTemporaryDir>

#include "core/storage/SettingsStore.h"
#include "tests/support/DovecotServer.h"

#include "CliHarness.h"

namespace {

// The users after Dovecot's own: name, password, messages waiting.
struct MailUser {
    const char* m_pName;
    const char* m_pPassword;
    int m_nMessages;
};
constexpr MailUser kBea{"bea", "bea-pw-1", 3};
constexpr MailUser kCarl{"carl", "carl-pw-2", 4};
constexpr int kMavixMessages = 2;

// A loopback port nobody listens on.
quint16 ClosedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

// Each line's first field when the line has the extra account field, else
// "-", as runs: "Home*2,Old*4".
QString Runs(const std::string& out)
{
    QStringList runs;
    QString last;
    int count = 0;
    for (const std::string& line : SplitLines(out)) {
        const std::vector<std::string> fields = SplitTabs(line);
        const QString key = fields.size() == 12 ? QString::fromStdString(fields[0]) : QStringLiteral("-");
        if (count > 0 && key != last) {
            runs << last + "*" + QString::number(count);
            count = 0;
        }
        last = key;
        ++count;
    }
    if (count > 0)
        runs << last + "*" + QString::number(count);
    return runs.join(',');
}

}  // namespace

class TestCliAccounts : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    DovecotServer m_dovecot;

    // Home (Dovecot's user), bea (no name), Old (carl), and a disabled one.
    void WriteSettings(quint16 beaPort)
    {
        const QString port = QString::number(m_dovecot.Port());
        const QByteArray text = "[Acct]\nServer=127.0.0.1\nPort=" + port.toUtf8() + "\nUser="
            + QByteArray::fromStdString(m_dovecot.User()) + "\nPass=" + QByteArray::fromStdString(m_dovecot.Password())
            + "\nName=Home\n\n[Acct2]\nServer=127.0.0.1\nPort=" + QByteArray::number(beaPort)
            + "\nUser=bea\nPass=" + kBea.m_pPassword + "\n\n[Acct3]\nServer=127.0.0.1\nPort=" + port.toUtf8()
            + "\nUser=carl\nPass=" + kCarl.m_pPassword
            + "\nName=Old\nAuthentication=user\n\n[Acct4]\nServer=127.0.0.1\nPort=" + QByteArray::number(ClosedPort())
            + "\nUser=dora\nPass=x\nEnabled=0\n";
        const QString path = QString::fromStdString(SettingsStore().FilePath());
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

private slots:
    void initTestCase()
    {
        QFile::remove(qEnvironmentVariable("XDG_STATE_HOME") + "/Mavix/deleted.log");
        m_dovecot.AddUser(kBea.m_pName, kBea.m_pPassword);
        m_dovecot.AddUser(kCarl.m_pName, kCarl.m_pPassword);
        std::string why;
        QVERIFY2(m_dovecot.Start(&why), why.c_str());
        m_dovecot.AddMessages(kMavixMessages);
        m_dovecot.AddMessages(kBea.m_nMessages, 500, kBea.m_pName);
        m_dovecot.AddMessages(kCarl.m_nMessages, 500, kCarl.m_pName);
    }

    void chooseAccounts_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("beaDown");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("runs");
        QTest::newRow("first by default") << QStringList{"scan", "--tsv"} << false << 0 << "-*2";
        QTest::newRow("by name") << QStringList{"scan", "--tsv", "--account", "Old"} << false << 0 << "-*4";
        QTest::newRow("by user@server") << QStringList{"scan", "--tsv", "--account=bea@127.0.0.1"} << false << 0
                                        << "-*3";
        QTest::newRow("unknown name") << QStringList{"scan", "--account", "Nobody"} << false << 2 << "";
        QTest::newRow("all enabled") << QStringList{"scan", "--tsv", "--all-accounts"} << false << 0
                                     << "Home*2,bea@127.0.0.1*3,Old*4";
        QTest::newRow("all, one down") << QStringList{"scan", "--tsv", "--all-accounts"} << true << 1 << "Home*2,Old*4";
        QTest::newRow("all, overrides refused")
            << QStringList{"scan", "--all-accounts", "--server", "127.0.0.1"} << false << 2 << "";
        QTest::newRow("list") << QStringList{"accounts", "--tsv"} << false << 0 << "-*4";
    }

    void chooseAccounts()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, beaDown);
        QFETCH(int, exit);
        QFETCH(QString, runs);
        WriteSettings(beaDown ? ClosedPort() : m_dovecot.Port());
        const CliRun run = RunCli(args, m_dir.path());
        QVERIFY2(run.m_nExit == exit, run.m_sErr.c_str());
        QCOMPARE(Runs(run.m_sOut), runs);
        if (beaDown)
            QVERIFY2(run.m_sErr.find("account bea@127.0.0.1: exit status 1") != std::string::npos, run.m_sErr.c_str());
        if (args.first() == "accounts")
            QCOMPARE(SplitLines(run.m_sOut).back(),
                     "dora@127.0.0.1\tdora@127.0.0.1:" + SplitTabs(SplitLines(run.m_sOut).back())[1].substr(15)
                         + "\tnone\tauto\t0");
    }

    // A purge in one account deletes only there; the log tells accounts apart.
    void purgeOneAccount()
    {
        WriteSettings(m_dovecot.Port());
        CliRun run = RunCli({"purge", "--all", "--tsv", "--account", "bea@127.0.0.1"}, m_dir.path());
        QVERIFY2(run.m_nExit == 0, run.m_sErr.c_str());
        QTRY_COMPARE(m_dovecot.MessageFileCount(kBea.m_pName), 0);
        QCOMPARE(m_dovecot.MessageFileCount(), kMavixMessages);
        QCOMPARE(m_dovecot.MessageFileCount(kCarl.m_pName), kCarl.m_nMessages);

        run = RunCli({"log", "--tsv", "--account", "bea@127.0.0.1"}, m_dir.path());
        QCOMPARE(SplitLines(run.m_sOut).size(), size_t(kBea.m_nMessages));
        run = RunCli({"log", "--tsv", "--account", "Home"}, m_dir.path());
        QCOMPARE(run.m_nExit, 0);
        QVERIFY(run.m_sOut.empty());
    }
};

QTEST_GUILESS_MAIN(TestCliAccounts)
#include "test_cli_accounts.moc"
