// Where mavix-cli takes the password from: MAVIX_PASSWORD, then the
// desktop's keyring, then the settings file (whose value then moves into the
// keyring). Run under dbus-run-session with a real gnome-keyring-daemon.
#include <QtTest>

#include <QTemporaryDir>

#include "core/storage/PasswordStore.h"
#include "core/storage/SettingsStore.h"
#include "tests/support/KeyringDaemon.h"
#include "tests/support/ScriptedPop3Server.h"
#include "CliHarness.h"

class TestCliKeyring : public QObject {
    Q_OBJECT

    KeyringDaemon m_daemon;

    static SettingsStore Store()
    {
        SettingsStore store;
        store.Open();
        return store;
    }

private slots:
    void initTestCase()
    {
        if (!m_daemon.Start())
            QSKIP("needs gnome-keyring-daemon on a session bus (run under dbus-run-session)");
    }

    void passwordOrder_data()
    {
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QByteArray>("keyring");
        QTest::addColumn<QByteArray>("file");
        // The server takes only "p".
        QTest::newRow("environment first") << "p" << QByteArray("wrong") << QByteArray();
        QTest::newRow("keyring next") << QString() << QByteArray("p") << QByteArray();
        QTest::newRow("file, moved to the keyring") << QString() << QByteArray() << QByteArray("p");
    }

    void passwordOrder()
    {
        QFETCH(QString, environment);
        QFETCH(QByteArray, keyring);
        QFETCH(QByteArray, file);
        QFile::remove(QString::fromStdString(Store().FilePath()));
        ScriptedPop3Server server;
        server.ServeMailbox({"Subject: one\r\n\r\nbody\r\n"}, "u", "p");
        server.Start();
        SettingsStore store = Store();
        store.WriteString("Acct", "Server", "127.0.0.1");
        store.WriteString("Acct", "User", "u");
        store.WriteString("Acct", "Port", std::to_string(server.Port()));
        PasswordStore passwords(store);
        const AccountKey key{"u", "127.0.0.1", std::to_string(server.Port())};
        passwords.Forget(key);
        if (!keyring.isEmpty())
            QCOMPARE(passwords.Save(key, "Acct", keyring.toStdString()), PasswordStore::kKeyring);
        if (!file.isEmpty())
            store.WriteString("Acct", "Pass", file.toStdString());

        QTemporaryDir dir;
        QStringList env;
        if (!environment.isEmpty())
            env << "MAVIX_PASSWORD=" + environment;
        const CliRun run = RunCli({"scan", "--tsv"}, dir.path(), env);
        QVERIFY2(run.m_nExit == 0, run.m_sErr.c_str());
        QCOMPARE(SplitLines(run.m_sOut).size(), size_t(1));
        if (!file.isEmpty()) {
            QCOMPARE(store.ReadString("Acct", "Pass", "<none>"), std::string("<none>"));
            QCOMPARE(PasswordStore(store).Load(key, "Acct"), std::string("p"));
        }
    }

    // Two accounts of one user on one server at two ports (local tunnels):
    // their passwords move from the file to the keyring, each under its own
    // key, and each server only ever gets its own.
    void twoPortsKeepTheirPasswords()
    {
        QFile::remove(QString::fromStdString(Store().FilePath()));
        ScriptedPop3Server alpha, delta;
        alpha.ServeMailbox({"Subject: one\r\n\r\nbody\r\n"}, "john", "alpha-secret");
        delta.ServeMailbox({"Subject: two\r\n\r\nbody\r\n"}, "john", "delta-secret");
        alpha.Start();
        delta.Start();
        SettingsStore store = Store();
        const std::pair<const char*, ScriptedPop3Server*> accounts[] = {{"Acct", &alpha}, {"Acct2", &delta}};
        for (const auto& [section, server] : accounts) {
            store.WriteString(section, "Server", "127.0.0.1");
            store.WriteString(section, "User", "john");
            store.WriteString(section, "Port", std::to_string(server->Port()));
            store.WriteString(section, "Pass", server == &alpha ? "alpha-secret" : "delta-secret");
            store.WriteString(section, "Name", server == &alpha ? "Alpha" : "Delta");
        }
        QTemporaryDir dir;
        for (const char* name : {"Alpha", "Delta", "Alpha", "Delta"}) {
            const CliRun run = RunCli({"scan", "--tsv", "--account", name}, dir.path());
            QVERIFY2(run.m_nExit == 0, (std::string(name) + ": " + run.m_sErr).c_str());
        }
        QVERIFY(alpha.Received().find("PASS delta-secret") == std::string::npos);
        QVERIFY(delta.Received().find("PASS alpha-secret") == std::string::npos);
        for (const auto& [section, server] : accounts) {
            QCOMPARE(Store().ReadString(section, "Pass", "<none>"), std::string("<none>"));
            const AccountKey key{"john", "127.0.0.1", std::to_string(server->Port())};
            QCOMPARE(PasswordStore(store).Load(key, section), server == &alpha ? "alpha-secret" : "delta-secret");
            PasswordStore(store).Forget(key);
        }
    }
};

QTEST_GUILESS_MAIN(TestCliKeyring)
#include "test_cli_keyring.moc"
