// mavix-cli over TLS against a real Dovecot: the stored security setting and
// fingerprint, and --security / --tls-fingerprint overriding them.

#include <QtTest>

#include <QTemporaryDir>

#include "core/storage/SettingsStore.h"
#include "tests/support/DovecotServer.h"
#include "CliHarness.h"

class TestCliTls : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void storedAndOverridden()
    {
        DovecotServer dovecot;
        dovecot.EnableTls();
        dovecot.AddMessages(3);
        std::string why;
        QVERIFY2(dovecot.Start(&why), why.c_str());
        const std::string fingerprint = dovecot.Certificates().m_sFingerprint;

        SettingsStore store;
        QVERIFY(store.Open());
        store.WriteString("Acct", "Server", "127.0.0.1");
        store.WriteString("Acct", "User", dovecot.User());
        store.WriteString("Acct", "Pass", dovecot.Password());
        store.WriteString("Acct", "Port", std::to_string(dovecot.TlsPort()));
        store.WriteString("Acct", "Security", "2");
        const QString caEnv = "MAVIX_TLS_CA_FILE=" + QString::fromStdString(dovecot.Certificates().m_sCaFile);

        // Stored: implicit TLS, verified through the test CA.
        CliRun run = RunCli({"scan", "--tsv"}, m_dir.path(), {caEnv});
        QCOMPARE(run.m_nExit, 0);
        QCOMPARE(SplitLines(run.m_sOut).size(), size_t(3));

        // Without the CA: refused, with the fingerprint to check.
        run = RunCli({"scan", "--tsv"}, m_dir.path());
        QCOMPARE(run.m_nExit, 1);
        QVERIFY(run.m_sOut.empty());
        QVERIFY2(run.m_sErr.find("not trusted") != std::string::npos, run.m_sErr.c_str());
        QVERIFY2(run.m_sErr.find(fingerprint) != std::string::npos, run.m_sErr.c_str());

        // ... trusted by that fingerprint, given once or stored.
        QString bare = QString::fromStdString(fingerprint).remove(':').toLower();
        run = RunCli({"scan", "--tsv", "--tls-fingerprint", bare}, m_dir.path());
        QCOMPARE(run.m_nExit, 0);
        store.WriteString("Acct", "TlsFingerprint", fingerprint);
        run = RunCli({"scan", "--tsv"}, m_dir.path());
        QCOMPARE(run.m_nExit, 0);
        run = RunCli({"scan", "--tsv", "--tls-fingerprint", ""}, m_dir.path());
        QCOMPARE(run.m_nExit, 1);

        // STLS on the plain port, and plain text there for comparison.
        const QString plainPort = QString::number(dovecot.Port());
        run = RunCli({"scan", "--tsv", "--security", "stls", "--port", plainPort}, m_dir.path());
        QCOMPARE(run.m_nExit, 0);
        QCOMPARE(SplitLines(run.m_sOut).size(), size_t(3));
        run = RunCli({"scan", "--tsv", "--security=none", "--port", plainPort}, m_dir.path());
        QCOMPARE(run.m_nExit, 0);
        size_t tlsLogins = 0, plainLogins = 0;
        for (const std::string& line : SplitLines(dovecot.Log()))
            if (line.find("Login: user=<") != std::string::npos)
                ++(line.find(", TLS") != std::string::npos ? tlsLogins : plainLogins);
        QCOMPARE(tlsLogins, size_t(4));
        QCOMPARE(plainLogins, size_t(1));

        run = RunCli({"scan", "--security", "ssl"}, m_dir.path());
        QCOMPARE(run.m_nExit, 2);
        QVERIFY(run.m_sErr.find("--security wants none, stls or tls") != std::string::npos);
        run = RunCli({"scan", "--tls-fingerprint", "AB:CD"}, m_dir.path());
        QCOMPARE(run.m_nExit, 2);
        run = RunCli({"--help"}, m_dir.path());
        for (const char* word : {"--security MODE", "--tls-fingerprint HEX", "MAVIX_TLS_CA_FILE"})
            QVERIFY2(run.m_sOut.find(word) != std::string::npos, word);
    }
};

QTEST_GUILESS_MAIN(TestCliTls)
#include "test_cli_tls.moc"
