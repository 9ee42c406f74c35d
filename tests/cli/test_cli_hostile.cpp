// mavix-cli against servers that send what no honest server would: huge
// fields, many messages, control bytes, a lying count, a listing with a
// number twice, a NUL in a header. Whatever they send, the output stays
// right and the process stays within its memory bound.

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "CliHarness.h"
#include "tests/support/ScriptedPop3Server.h"

namespace {

// The peak memory a hostile server may cost, whatever it sends.
constexpr long kMaxRssKiB = 256 * 1024;

struct MeasuredRun {
    int m_nExit = -1;
    long m_nMaxRssKiB = 0;
    std::string m_sOut, m_sErr;
};

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs mavix-cli in `dir` with its output in files, and takes its peak
// resident size from the kernel (wait4).
MeasuredRun RunMeasured(const QStringList& args, const QString& dir)
{
    const std::string binary = CliBinary().toStdString();
    const std::string out = dir.toStdString() + "/out", err = dir.toStdString() + "/err";
    std::vector<std::string> words{binary};
    for (const QString& arg : args)
        words.push_back(arg.toStdString());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.toLocal8Bit().constData()) != 0)
            ::_exit(126);
        const int fdOut = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int fdErr = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fdOut, STDOUT_FILENO);
        ::dup2(fdErr, STDERR_FILENO);
        ::setenv("MAVIX_PASSWORD", "p", 1);
        ::execv(binary.c_str(), argv.data());
        ::_exit(127);
    }
    MeasuredRun run;
    int status = 0;
    rusage usage{};
    if (pid > 0 && ::wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) {
        run.m_nExit = WEXITSTATUS(status);
        run.m_nMaxRssKiB = usage.ru_maxrss;
    }
    run.m_sOut = Slurp(out);
    run.m_sErr = Slurp(err);
    return run;
}

std::string Mail(int n, const std::string& subject, const std::string& extra = {})
{
    return "From: Sender " + std::to_string(n) + " <s" + std::to_string(n) + "@example.com>\r\nSubject: " + subject
        + "\r\n" + extra + "Date: 5 Jan 2005 10:00:00 +0000\r\n\r\nbody\r\n";
}

}  // namespace

class TestCliHostile : public QObject {
    Q_OBJECT
private slots:
    void hostileServers_data();
    void hostileServers();
};

void TestCliHostile::hostileServers_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("expect");  // in the output (stdout, then stderr)
    QTest::newRow("huge fields") << "huge" << 0 << "\xE2\x80\xA6\t";
    QTest::newRow("many messages") << "many" << 0 << "20000\t";
    QTest::newRow("control bytes") << "controls" << 0 << "\\x1B]52;c;ZXZpbA==\\x07";
    QTest::newRow("lying STAT") << "stat" << 1 << "more than 1000000 messages";
    QTest::newRow("a number listed twice") << "duplicate" << 1 << "names a message twice";
    QTest::newRow("NUL in a header") << "nul" << 0 << "Sender 1\ts1@example.com";
}

void TestCliHostile::hostileServers()
{
    QFETCH(QString, kind);
    QFETCH(int, exit);
    QFETCH(QString, expect);

    std::vector<std::string> mail;
    ScriptedPop3Server::Override override;
    if (kind == "huge") {
        // Each Subject far beyond what a row keeps.
        for (int n = 1; n <= 4; ++n)
            mail.push_back(Mail(n, std::string(20 << 20, 'A')));
    } else if (kind == "many") {
        for (int n = 1; n <= 20000; ++n)
            mail.push_back(Mail(n, "m"));
    } else if (kind == "controls") {
        mail.push_back(Mail(1, "\x1B]52;c;ZXZpbA==\x07 and \x1B[2J"));
    } else if (kind == "stat") {
        mail.push_back(Mail(1, "one"));
        override = [](const std::string& command, int) -> std::optional<std::string> {
            if (command == "STAT")
                return std::string("+OK 2000000000 100\r\n");
            return std::nullopt;
        };
    } else if (kind == "duplicate") {
        mail = {Mail(1, "one"), Mail(2, "two")};
        override = [](const std::string& command, int) -> std::optional<std::string> {
            if (command == "LIST")
                return std::string("+OK\r\n1 100\r\n1 200\r\n.\r\n");
            return std::nullopt;
        };
    } else if (kind == "nul") {
        mail.push_back("Subject: before" + std::string(1, '\0')
                       + "after\r\nFrom: Sender 1 <s1@example.com>\r\n\r\nb\r\n");
    }
    ScriptedPop3Server server;
    server.ServeMailbox(mail, "u", "p", override);
    server.Start();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Raw texts for the control bytes: decoded ones have them as blanks already.
    QStringList args{"scan", "--tsv", "--server", "127.0.0.1", "--user", "u", "--port", QString::number(server.Port())};
    if (kind == "controls")
        args << "--raw";
    const MeasuredRun run = RunMeasured(args, dir.path());
    QCOMPARE(run.m_nExit, exit);
    QVERIFY2((run.m_sOut + run.m_sErr).find(expect.toStdString()) != std::string::npos, run.m_sErr.c_str());
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // A sanitizer's shadow memory and quarantine would be measured too.
    QVERIFY2(run.m_nMaxRssKiB < kMaxRssKiB, QByteArray::number(qlonglong(run.m_nMaxRssKiB)));
#endif
    // Nothing invented: no row for a message the server did not list.
    if (exit != 0)
        QVERIFY(run.m_sOut.empty());
    // No control byte reaches the terminal.
    for (char c : run.m_sOut)
        QVERIFY(static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n');
    if (kind == "huge") {
        QCOMPARE(SplitLines(run.m_sOut).size(), size_t(4));
        QVERIFY(run.m_sOut.size() < 4 * 5000 * 2);
    }
}

QTEST_GUILESS_MAIN(TestCliHostile)
#include "test_cli_hostile.moc"
