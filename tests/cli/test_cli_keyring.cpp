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
};

QTEST_GUILESS_MAIN(TestCliKeyring)
#include "test_cli_keyring.moc"
