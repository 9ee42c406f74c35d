#include "core/session/PurgeSummary.h"
#include "core/session/ScreeningEngine.h"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

// The summary after "Removed Checked Items" over several accounts: each
// account's outcome on its own line, named, in the order given.
class TestPurgeSummary : public QObject {
    Q_OBJECT
private slots:
    void accountsSummary_data();
    void accountsSummary();
    void translatedIntoWindows1252();
};

void TestPurgeSummary::accountsSummary_data()
{
    QTest::addColumn<int>("accounts");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << 0 << QString();
    QTest::newRow("one") << 1
                         << QStringLiteral(
                                "me@a: 2 deleted, 0 refused by the server, 0 not deleted (changed on the server)");
    QTest::newRow("two, the second cancelled")
        << 2
        << QStringLiteral("me@a: 2 deleted, 0 refused by the server, 0 not deleted (changed on the server)\n"
                          "Work: Cancelled: nothing was deleted.");
    QTest::newRow("three, the last broken")
        << 3
        << QStringLiteral("me@a: 2 deleted, 0 refused by the server, 0 not deleted (changed on the server)\n"
                          "Work: Cancelled: nothing was deleted.\n"
                          "old@b: Nothing was deleted: timed out The session was closed without QUIT, so nothing "
                          "was deleted.");
}

void TestPurgeSummary::accountsSummary()
{
    QFETCH(int, accounts);
    QFETCH(QString, expected);
    PurgeResult done;
    done.m_bCommitted = true;
    done.m_aMarked = {1, 3};
    PurgeResult cancelled;
    cancelled.m_bCancelled = true;
    PurgeResult broken;
    broken.m_bBroken = true;
    broken.m_sReason = "timed out";
    const std::vector<AccountPurge> all = {{"me@a", &done}, {"Work", &cancelled}, {"old@b", &broken}};
    const std::vector<AccountPurge> purges(all.begin(), all.begin() + accounts);
    QCOMPARE(QString::fromStdString(AccountsSummaryText(purges)), expected);
}

// The summary in the user's language is still the core's Windows-1252
// bytes, the server's reason kept as it came.
void TestPurgeSummary::translatedIntoWindows1252()
{
    QTranslator german;
    QVERIFY(german.load(QStringLiteral(":/i18n/mavix_de")));
    QVERIFY(QCoreApplication::installTranslator(&german));
    PurgeResult broken;
    broken.m_bBroken = true;
    broken.m_sReason = "zu sp\xE4t";
    const std::string text = PurgeSummaryText(broken);
    QCoreApplication::removeTranslator(&german);
    QCOMPARE(text,
             std::string("Nichts wurde gel\xF6scht: zu sp\xE4t Die Sitzung wurde ohne QUIT geschlossen, daher wurde "
                         "nichts gel\xF6scht."));
}

QTEST_GUILESS_MAIN(TestPurgeSummary)
#include "test_purge_summary.moc"
