// The scan and the purge over TLS against a real Dovecot with a certificate
// from a throwaway CA: implicit TLS and STLS, an untrusted certificate and
// its fingerprint, a host name the certificate does not name.

#include <QtTest>

#include <QDir>

#include <fstream>
#include <sstream>

#include "core/session/ScreeningEngine.h"
#include "tests/support/DovecotServer.h"
#include "tests/support/ScratchDirectory.h"
#include "EngineHarness.h"

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Dovecot's log line for every log-in, and whether each says TLS.
int Logins(const DovecotServer& dovecot, bool* pbAllTls)
{
    int count = 0;
    *pbAllTls = true;
    std::istringstream log(dovecot.Log());
    for (std::string line; std::getline(log, line);) {
        if (line.find("Login: user=<") == std::string::npos)
            continue;
        ++count;
        *pbAllTls = *pbAllTls && line.find(", TLS") != std::string::npos;
    }
    return count;
}

}  // namespace

class TestScreeningTls : public QObject {
    Q_OBJECT

    ScratchDirectory m_dir;

    ScanOutcome Scan(ScreeningEngine& engine, RecordingListener& listener, const Account& account)
    {
        engine.StartScan(account, FilterLists());
        return DriveScan(engine, listener);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.Enter()); }
    void init() { qunsetenv("MAVIX_TLS_CA_FILE"); }

    // Implicit TLS: scan four, purge 2 and 4; STLS on the plain port scans
    // the two left. Every log-in Dovecot saw was over TLS.
    void implicitTlsPurgeThenStlsScan()
    {
        DovecotServer dovecot;
        dovecot.EnableTls();
        for (int n = 1; n <= 4; ++n)
            dovecot.AddMessage(MailText(n, "Secure message " + std::to_string(n)));
        std::string why;
        QVERIFY2(dovecot.Start(&why), why.c_str());
        qputenv("MAVIX_TLS_CA_FILE", QByteArray::fromStdString(dovecot.Certificates().m_sCaFile));

        RecordingListener listener;
        ScreeningEngine engine(listener);
        engine.StartThreads();
        ScanOutcome scan =
            Scan(engine, listener,
                 {"127.0.0.1", dovecot.User(), dovecot.Password(), std::to_string(dovecot.TlsPort()), "2"});
        QVERIFY(scan.m_bDone);
        QCOMPARE(scan.m_nResult, 0L);
        QCOMPARE(scan.m_aRows.size(), size_t(4));
        QCOMPARE(scan.m_aRows[2].m_sSubject, std::string("Secure message 3"));

        std::vector<PurgeRow> rows;
        for (int n = 1; n <= 4; ++n)
            rows.push_back(PurgeRowOf(scan.m_aRows[static_cast<size_t>(n - 1)], n % 2 == 0));
        engine.StartPurge(rows);
        const PurgeNotes purge = DrivePurge(listener);
        QVERIFY(purge.m_bDone);
        QVERIFY2(purge.m_done.m_result.m_bCommitted, purge.m_done.m_result.m_sLastReply.c_str());
        QTRY_COMPARE(dovecot.MessageFileCount(), 2);
        std::string left;
        for (const std::string& file : dovecot.MessageFiles())
            left += Slurp(file);
        QVERIFY(left.find("Secure message 1") != std::string::npos);
        QVERIFY(left.find("Secure message 3") != std::string::npos);

        scan = Scan(engine, listener,
                    {"127.0.0.1", dovecot.User(), dovecot.Password(), std::to_string(dovecot.Port()), "1"});
        QVERIFY(scan.m_bDone);
        QCOMPARE(scan.m_nResult, 0L);
        QCOMPARE(scan.m_aRows.size(), size_t(2));
        QCOMPARE(scan.m_aRows[1].m_sSubject, std::string("Secure message 3"));
        engine.Connection().Quit();

        bool bAllTls = false;
        QCOMPARE(Logins(dovecot, &bAllTls), 2);
        QVERIFY2(bAllTls, dovecot.Log().c_str());
    }

    // Not signed by a known CA: the status names the fingerprint and
    // nothing logs in; stored with the account, that fingerprint is trusted.
    // A certificate for another name is refused though its CA is trusted.
    void untrustedPinnedAndMisnamed()
    {
        DovecotServer dovecot;
        dovecot.EnableTls("DNS:mail.example.test");
        dovecot.AddMessage(MailText(1, "Pinned"));
        std::string why;
        QVERIFY2(dovecot.Start(&why), why.c_str());
        const std::string fingerprint = dovecot.Certificates().m_sFingerprint;
        Account account{"127.0.0.1", dovecot.User(), dovecot.Password(), std::to_string(dovecot.TlsPort()), "2"};

        RecordingListener listener;
        ScreeningEngine engine(listener);
        engine.StartThreads();
        ScanOutcome scan = Scan(engine, listener, account);
        QCOMPARE(scan.m_nResult, -1L);
        QVERIFY2(scan.m_sStatus.starts_with("The server's certificate is not trusted"), scan.m_sStatus.c_str());
        QVERIFY2(scan.m_sStatus.find(fingerprint) != std::string::npos, scan.m_sStatus.c_str());

        qputenv("MAVIX_TLS_CA_FILE", QByteArray::fromStdString(dovecot.Certificates().m_sCaFile));
        scan = Scan(engine, listener, account);
        QCOMPARE(scan.m_nResult, -1L);
        QVERIFY2(scan.m_sStatus.find("IP address mismatch") != std::string::npos, scan.m_sStatus.c_str());
        bool bAllTls = false;
        QCOMPARE(Logins(dovecot, &bAllTls), 0);

        qunsetenv("MAVIX_TLS_CA_FILE");
        account.m_sTlsFingerprint = fingerprint;
        scan = Scan(engine, listener, account);
        QCOMPARE(scan.m_nResult, 0L);
        QCOMPARE(scan.m_sStatus, std::string());
        QCOMPARE(scan.m_aRows.size(), size_t(1));
        engine.Connection().Quit();
        QCOMPARE(Logins(dovecot, &bAllTls), 1);
    }

    // A security setting the engine does not know never connects: it must
    // not be taken for plain text.
    void unknownSecurityNeverConnects()
    {
        RecordingListener listener;
        ScreeningEngine engine(listener);
        engine.StartThreads();
        const ScanOutcome scan = Scan(engine, listener, {"127.0.0.1", "u", "p", "1", "3"});
        QCOMPARE(scan.m_nResult, -1L);
        QCOMPARE(scan.m_sStatus,
                 std::string("Unknown connection security setting \"3\": choose one under Manage Account."));
    }
};

QTEST_GUILESS_MAIN(TestScreeningTls)
#include "test_screening_tls.moc"
