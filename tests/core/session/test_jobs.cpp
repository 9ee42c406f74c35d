// Each job on its own, on the scripted server and without threads: the
// wire as a transcript ("C:" what the job must send, "S:" what the server
// answers, "X" the server hangs up) and what the job made of it.

#include <QtTest>

#include "core/pop3/Pop3Message.h"
#include "core/rows/RowBuilder.h"
#include "core/session/PurgeJob.h"
#include "core/session/ScanJob.h"
#include "core/session/SessionJobs.h"
#include "tests/core/pop3/Pop3TestSupport.h"
#include "tests/support/ScratchDirectory.h"

namespace {

// Message n's header block, as the scan read it and the purge reads it again.
std::string Header(int n)
{
    static const char* const kSubjects[] = {"", "one", "two", "three"};
    return "From: a@example.org\r\nSubject: " + std::string(kSubjects[n]) + "\r\nMessage-ID: <" + std::to_string(n)
        + "@example.org>\r\n";
}

// Consecutive lines of one side go out, or are expected, as one write;
// "{n}" is the TOP reply of message n.
void Play(ScriptedStream& server, const QString& transcript)
{
    std::string sent, expected;
    const auto flush = [&] {
        if (!sent.empty())
            server.Send(std::exchange(sent, {}));
        if (!expected.empty())
            server.Expect(std::exchange(expected, {}));
    };
    for (const QString& line : transcript.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const std::string text = line.mid(3).toStdString();
        if (line.startsWith(QLatin1String("C: "))) {
            if (!sent.empty())
                flush();
            expected += text + "\r\n";
        } else if (line.startsWith(QLatin1String("S: "))) {
            if (!expected.empty())
                flush();
            sent +=
                text.size() == 3 && text[0] == '{' ? "+OK\r\n" + Header(text[1] - '0') + "\r\n.\r\n" : text + "\r\n";
        } else {
            flush();
            server.CloseConnection();
        }
    }
    flush();
}

const char* const kLogin = "S: +OK ready\nC: CAPA\nS: -ERR\nC: USER u\nS: +OK\nC: PASS p\nS: +OK in\n";
const char* const kLoginPipelining =
    "S: +OK ready\nC: CAPA\nS: +OK\nS: PIPELINING\nS: .\nC: USER u\nS: +OK\nC: PASS p\nS: +OK in\n";
const char* const kList = "C: STAT\nS: +OK 3 300\nC: LIST\nS: +OK\nS: 1 100\nS: 2 100\nS: 3 100\nS: .\n";

const char* OutcomeName(PurgeOutcome outcome)
{
    switch (outcome) {
    case PurgeOutcome::kNotChecked:
        return "-";
    case PurgeOutcome::kMarked:
        return "marked";
    case PurgeOutcome::kChanged:
        return "changed";
    case PurgeOutcome::kBroken:
        return "broken";
    default:
        return "other";
    }
}

std::string Numbers(const std::vector<int>& numbers)
{
    std::string text;
    for (const int n : numbers)
        text += (text.empty() ? "" : ",") + std::to_string(n);
    return text;
}

// Rows 2 and 3 checked, as the scan of kScan showed them.
std::vector<PurgeRow> CheckedRows()
{
    std::vector<PurgeRow> rows;
    for (int n = 1; n <= 3; ++n) {
        CPop3Message message;
        message.SetText(Header(n));
        rows.push_back(
            PurgeRow{n, n > 1, message.GetSubject(), "u" + std::to_string(n), true, MessageIdentity(message)});
    }
    return rows;
}

}  // namespace

class TestJobs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.Enter()); }

    void jobs_data()
    {
        QTest::addColumn<QString>("job");
        QTest::addColumn<QString>("transcript");
        QTest::addColumn<QString>("outcome");
        const QString login = QString::fromLatin1(kLogin);
        const QString list = QString::fromLatin1(kList);
        QTest::newRow("scan of three messages") << "scan"
                                                << login + list
                + "C: UIDL\nS: +OK\nS: 1 u1\nS: 2 u2\nS: 3 u3\nS: .\n"
                  "C: TOP 1 0\nS: {1}\nC: TOP 2 0\nS: {2}\nC: TOP 3 0\nS: {3}\nC: LIST 3\nS: +OK 3 100\n"
                                                << "0: one two three (may log in again)";
        QTest::newRow("purge deletes the checked rows") << "purge"
                                                        << login + list
                + "C: TOP 2 0\nS: {2}\nC: UIDL 2\nS: +OK 2 u2\nC: DELE 2\nS: +OK\n"
                  "C: TOP 3 0\nS: {3}\nC: UIDL 3\nS: +OK 3 u3\nC: DELE 3\nS: +OK\nC: QUIT\nS: +OK\n"
                                                        << "1:- 2:marked 3:marked; marked 2,3; changed ; committed";
        QTest::newRow("purge stops at a changed Subject")
            << "purge" << login + list + "C: TOP 2 0\nS: +OK\nS: Subject: two (corrected)\nS: \nS: .\nC: QUIT\nS: +OK\n"
            << "1:- 2:changed; marked ; changed 2,3; committed";
        QTest::newRow("pipelined purge deletes the checked rows")
            << "purge"
            << QString::fromLatin1(kLoginPipelining) + list
                + "C: TOP 2 0\nC: UIDL 2\nC: TOP 3 0\nC: UIDL 3\nS: {2}\nS: +OK 2 u2\nS: {3}\nS: +OK 3 u3\n"
                  "C: DELE 2\nC: DELE 3\nS: +OK\nS: +OK\nC: QUIT\nS: +OK\n"
            << "1:- 2:marked 3:marked; marked 2,3; changed ; committed";
        // "scan:<Authentication>": the account's stored log-in method.
        QTest::newRow("USER/PASS chosen, though SASL PLAIN is offered")
            << "scan:user"
            << "S: +OK ready\nC: CAPA\nS: +OK\nS: SASL PLAIN\nS: .\nC: USER u\nS: +OK\nC: PASS p\nS: +OK in\n" + list
                + "C: UIDL\nS: +OK\nS: 1 u1\nS: 2 u2\nS: 3 u3\nS: .\n"
                  "C: TOP 1 0\nS: {1}\nC: TOP 2 0\nS: {2}\nC: TOP 3 0\nS: {3}\nC: LIST 3\nS: +OK 3 100\n"
            << "0: one two three (may log in again)";
        QTest::newRow("OAuth without a sign-in: no connection")
            << "scan:oauth2" << QString()
            << "-1: This account signs in with OAuth 2.0, and nobody has signed in for it yet: "
               "sign in under Manage Account.";
        QTest::newRow("unknown log-in method: no connection")
            << "scan:kerberos" << QString()
            << "-1: Unknown log-in method \"kerberos\" (Authentication): choose one under Manage Account.";
        QTest::newRow("purge's new log-in, OAuth without a sign-in")
            << "purge-again:xoauth2" << login + "C: NOOP\nX\n"
            << "; marked ; changed ; not started: The server ended the session, and no new log-in can be tried: "
               "This account signs in with OAuth 2.0, and nobody has signed in for it yet: "
               "sign in under Manage Account. Nothing was deleted.";
        QTest::newRow("keep-alive, live session") << "keep-alive" << login + "C: NOOP\nS: +OK\n"
                                                  << "alive";
        QTest::newRow("keep-alive, dropped session") << "keep-alive" << login + "C: NOOP\nX\n"
                                                     << "dead";
        QTest::newRow("end with RSET and QUIT") << "end-reset" << login + "C: RSET\nS: +OK\nC: QUIT\nS: +OK bye\n"
                                                << "accepted";
        QTest::newRow("end, RSET refused") << "end-reset" << login + "C: RSET\nS: -ERR no\nC: QUIT\nS: +OK bye\n"
                                           << "RSET: -ERR no";
    }

    void jobs()
    {
        QFETCH(QString, job);
        QFETCH(QString, transcript);
        QFETCH(QString, outcome);
        ScriptedStream server;
        Play(server, transcript);
        TestConnection pop;
        pop.SetStreamSource(server.Source());
        JobContext ctx;
        ctx.m_account.m_sAuth = job.section(QLatin1Char(':'), 1).toStdString();
        job = job.section(QLatin1Char(':'), 0, 0);
        ctx.m_account.m_sServer = "pop.example";
        ctx.m_account.m_sUser = "u";
        ctx.m_account.m_sPass = "p";
        ctx.m_account.m_sPort = "110";
        ctx.m_sessionAccount = ctx.m_account;
        ctx.m_sJournalFolder = (m_dir.path() + QStringLiteral("/state")).toStdString();
        if (job != QLatin1String("scan"))
            QVERIFY(pop.Login("pop.example", "u", "p", 110));
        if (job == QLatin1String("purge-again")) {
            // The review's session is gone: the purge must log in again.
            QVERIFY(!KeepAliveJob(pop, ctx).Run().m_bAlive);
            ctx.m_bCanReconnect = true;
            job = QStringLiteral("purge");
        }
        QCOMPARE(QString::fromStdString(Run(job, pop, ctx)), outcome);
        QVERIFY2(server.Finished(), server.Failure().c_str());
    }

private:
    static std::string Run(const QString& job, CPop3Connection& pop, JobContext& ctx)
    {
        if (job == QLatin1String("scan")) {
            std::string rows;
            ctx.m_fnRow = [&rows](ScanRow row) { rows += " " + row.m_row.m_sSubject; };
            ScanJob scan(pop, ctx);
            const int result = scan.Run();
            if (result != 0)
                return std::to_string(result) + ": " + scan.Status();
            return std::to_string(result) + ":" + rows + (scan.CanReconnect() ? " (may log in again)" : "");
        }
        if (job == QLatin1String("purge")) {
            std::string progress;
            ctx.m_fnProgress = [&progress](const PurgeProgress& note) {
                progress +=
                    (progress.empty() ? "" : " ") + std::to_string(note.m_nNum) + ":" + OutcomeName(note.m_nOutcome);
            };
            const PurgeResult result = PurgeJob(pop, ctx, CheckedRows()).Run();
            return progress + "; marked " + Numbers(result.m_aMarked) + "; changed " + Numbers(result.m_aChanged)
                + (result.m_bCommitted ? "; committed" : "")
                + (result.m_sNotStarted.empty() ? "" : "; not started: " + result.m_sNotStarted);
        }
        if (job == QLatin1String("keep-alive"))
            return KeepAliveJob(pop, ctx).Run().m_bAlive ? "alive" : "dead";
        const SessionEnd end = EndSessionJob(pop, ctx, true).Run();
        return end.Accepted() ? "accepted" : "RSET: " + end.m_sRsetReply;
    }

    ScratchDirectory m_dir;
};

QTEST_GUILESS_MAIN(TestJobs)
#include "test_jobs.moc"
