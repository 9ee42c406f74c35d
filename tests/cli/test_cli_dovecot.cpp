// mavix-cli against a real Dovecot: scan, purge, exit statuses.

#include <QtTest>

#include <QFile>
#include <QTemporaryDir>

#include "tests/support/DovecotServer.h"
#include "tests/support/JsonWebToken.h"
#include "tests/core/preview/PreviewSamples.h"

#include <memory>

#include <ctime>
#include "CliHarness.h"

class TestCliDovecot : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QStringList Account(const DovecotServer& dovecot) const
    {
        return {"--server", "127.0.0.1",
                "--port",   QString::number(dovecot.Port()),
                "--user",   QString::fromStdString(dovecot.User())};
    }

    // One server for the preview's rows, its messages in the order below.
    std::unique_ptr<DovecotServer> m_pPreviews;

private slots:
    // show N: TOP n L on a real server, the MIME read, the terminal texts.
    void showPreview_data()
    {
        QTest::addColumn<int>("num");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("alternative, QP windows-1252 preferred")
            << 1 << QString()
            << QStringList{"Subject: Invoice 4471", "From:    Ren\u00e9", "Caf\u00e9 bill: 12 \u20ac"};
        QTest::newRow("cut by TOP inside a base64 attachment")
            << 2 << QStringLiteral("8") << QStringList{"scan.pdf - application/pdf, at least", "[cut:"};
        QTest::newRow("RFC 2231 name hiding a program")
            << 3 << QString() << QStringList{"Rechnung M\u00e4rz.pdf.exe - application/octet-stream", "(!)"};
    }
    void showPreview()
    {
        QFETCH(int, num);
        QFETCH(QString, lines);
        QFETCH(QStringList, expected);
        if (!m_pPreviews) {
            m_pPreviews = std::make_unique<DovecotServer>();
            m_pPreviews->AddMessage(preview_samples::Alternative());
            std::string longScan = preview_samples::CutInBase64();
            for (int i = 0; i < 200; ++i)
                longScan += "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVphYmNkZWZnaGlqa2xtbm9wcXJzdHV2d3h5ejAx\r\n";
            m_pPreviews->AddMessage(longScan + "--mix--\r\n");
            m_pPreviews->AddMessage(preview_samples::DoubleExtension());
            std::string why;
            QVERIFY2(m_pPreviews->Start(&why), why.c_str());
        }
        QStringList args = QStringList{"show", QString::number(num)} + Account(*m_pPreviews);
        if (!lines.isEmpty())
            args << "--lines" << lines;
        const CliRun run =
            RunCli(args, m_dir.path(), {"MAVIX_PASSWORD=" + QString::fromStdString(m_pPreviews->Password())});
        QCOMPARE(run.m_nExit, 0);
        const QString out = QString::fromStdString(run.m_sOut);
        for (const QString& text : expected)
            QVERIFY2(out.contains(text), qPrintable(out));
        QCOMPARE(m_pPreviews->MessageFileCount(), 3);
    }

    // A scan from the header cache prints the same bytes, and writes the
    // same dump, as one that fetched every header, also once the messages
    // are numbered otherwise; --no-cache fetches all.
    void cachedScanMatchesFullScan()
    {
        DovecotServer dovecot;
        std::string why;
        QVERIFY2(dovecot.Start(&why), why.c_str());
        dovecot.AddMessages(6);
        dovecot.AddMessage("From: =?UTF-8?B?w4Rkw6k=?= <win@example.com>\nSubject: =?UTF-8?Q?You_won?=\n"
                           "Date: Mon, 1 Jan 2024 10:00:00 +0000\nTo: mavix@example.com\n\nbody\n");
        const QStringList env = {"MAVIX_PASSWORD=" + QString::fromStdString(dovecot.Password()),
                                 "XDG_CACHE_HOME=" + m_dir.filePath("cache")};
        const auto dump = [&] {
            QFile file(m_dir.filePath("message.txt"));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
        };
        const CliRun full = RunCli(QStringList{"scan", "--tsv", "--no-cache"} + Account(dovecot), m_dir.path(), env);
        QCOMPARE(full.m_nExit, 0);
        const QByteArray fullDump = dump();
        const CliRun cached = RunCli(QStringList{"scan", "--tsv"} + Account(dovecot), m_dir.path(), env);
        QCOMPARE(cached.m_nExit, 0);
        QCOMPARE(cached.m_sOut, full.m_sOut);
        QCOMPARE(cached.m_sErr, full.m_sErr);
        QCOMPARE(dump(), fullDump);
        QCOMPARE(SplitLines(full.m_sOut).size(), size_t(7));
        // The second scan sent no TOP at all.
        QTRY_VERIFY(dovecot.Log().find("top=0/0") != std::string::npos);
        QVERIFY(dovecot.Log().find("top=7/") != std::string::npos);

        // Message 2 deleted and one more come: every later message has
        // another number than the cache's order says, and the dump begun
        // ahead is taken back after message 1.
        QCOMPARE(RunCli(QStringList{"purge", "--rows", "2"} + Account(dovecot), m_dir.path(), env).m_nExit, 0);
        dovecot.AddMessages(1);
        const CliRun shifted = RunCli(QStringList{"scan", "--tsv"} + Account(dovecot), m_dir.path(), env);
        const QByteArray shiftedDump = dump();
        const CliRun again = RunCli(QStringList{"scan", "--tsv", "--no-cache"} + Account(dovecot), m_dir.path(), env);
        QCOMPARE(shifted.m_sOut, again.m_sOut);
        QCOMPARE(shiftedDump, dump());
        QCOMPARE(SplitLines(again.m_sOut).size(), size_t(7));
    }

    void scanThenPurgeAll()
    {
        DovecotServer dovecot;
        std::string why;
        QVERIFY2(dovecot.Start(&why), why.c_str());
        dovecot.AddMessages(5);
        const QStringList env = {"MAVIX_PASSWORD=" + QString::fromStdString(dovecot.Password())};

        CliRun run = RunCli(QStringList{"scan", "--tsv"} + Account(dovecot), m_dir.path(), env);
        QCOMPARE(run.m_nExit, 0);
        const std::vector<std::string> lines = SplitLines(run.m_sOut);
        QCOMPARE(lines.size(), size_t(5));
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::vector<std::string> fields = SplitTabs(lines[i]);
            QCOMPARE(fields.size(), size_t(11));
            QCOMPARE(fields[0], std::to_string(i + 1));
        }
        QVERIFY(QFile::exists(m_dir.filePath("message.txt")));
        QCOMPARE(dovecot.MessageFileCount(), 5);

        run = RunCli(QStringList{"purge", "--rows", "2,4", "--tsv"} + Account(dovecot), m_dir.path(), env);
        QCOMPARE(run.m_nExit, 0);
        const std::vector<std::string> purged = SplitLines(run.m_sOut);
        QCOMPARE(purged.size(), size_t(7));
        QCOMPARE(purged[5], std::string("deleted\t2"));
        QCOMPARE(purged[6], std::string("deleted\t4"));
        QTRY_COMPARE(dovecot.MessageFileCount(), 3);

        run = RunCli(QStringList{"purge", "--all"} + Account(dovecot), m_dir.path(), env);
        QCOMPARE(run.m_nExit, 0);
        QTRY_COMPARE(dovecot.MessageFileCount(), 0);

        run = RunCli(QStringList{"scan"} + Account(dovecot), m_dir.path(), env);
        QCOMPARE(run.m_nExit, 0);
        QVERIFY(run.m_sOut.empty());
        QVERIFY(run.m_sErr.find("No emails waiting for you at the Server") != std::string::npos);
    }

    void wrongPasswordExitsWithOne()
    {
        DovecotServer dovecot;
        std::string why;
        QVERIFY2(dovecot.Start(&why), why.c_str());
        dovecot.AddMessages(1);
        const CliRun run =
            RunCli(QStringList{"purge", "--all"} + Account(dovecot), m_dir.path(), {"MAVIX_PASSWORD=wrong"});
        QCOMPARE(run.m_nExit, 1);
        QVERIFY(run.m_sErr.find("The server refused the log-in: -ERR") != std::string::npos);
        QCOMPARE(dovecot.MessageFileCount(), 1);
    }

    // The whole way of a token: --token-command, the session, the job, the
    // connection's XOAUTH2, and Dovecot validating it; no password at all.
    void tokenCommandSignsIn()
    {
        DovecotServer dovecot;
        dovecot.SetAuthMechanisms("xoauth2 oauthbearer");
        dovecot.EnableOAuth();
        std::string why;
        QVERIFY2(dovecot.Start(&why), why.c_str());
        dovecot.AddMessages(2);
        const long long now = std::time(nullptr);
        const std::string claims = "{\"sub\":\"4711\",\"email\":\"" + dovecot.User() + "\",\"iss\":\""
            + DovecotServer::OAuthIssuer() + "\",\"exp\":" + std::to_string(now + 600) + "}";
        QFile token(m_dir.filePath("token"));
        QVERIFY(token.open(QIODevice::WriteOnly));
        token.write(MintHs256Jwt(claims, DovecotServer::OAuthKey()).c_str());
        token.close();

        const CliRun run =
            RunCli(QStringList{"scan", "--tsv", "--auth", "xoauth2", "--token-command", "cat " + token.fileName()}
                       + Account(dovecot),
                   m_dir.path(), {});
        QCOMPARE(run.m_nExit, 0);
        QCOMPARE(SplitLines(run.m_sOut).size(), size_t(2));
    }
};

QTEST_GUILESS_MAIN(TestCliDovecot)
#include "test_cli_dovecot.moc"
