// The rules of the background checks on their own: intervals, back-off,
// and when the user is told about suspects.

#include <QtTest>

#include "core/session/BackgroundCheck.h"

using namespace std::chrono_literals;

class TestBackgroundCheck : public QObject {
    Q_OBJECT
private slots:
    void backOff_data()
    {
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("wait");  // minutes
        QTest::newRow("off stays off") << 0 << 0 << 5;
        QTest::newRow("below the least") << 3 << 0 << 5;
        QTest::newRow("above the most") << 5000 << 0 << 1440;
        QTest::newRow("one failure doubles") << 15 << 1 << 30;
        QTest::newRow("three failures") << 15 << 3 << 120;
        QTest::newRow("capped at a day") << 15 << 20 << 1440;
        QTest::newRow("a day stays a day") << 1440 << 4 << 1440;
    }
    void backOff()
    {
        QFETCH(int, minutes);
        QFETCH(int, failures);
        QFETCH(int, wait);
        BackgroundCheck check;
        check.SetInterval(minutes);
        QCOMPARE(check.IsOn(), minutes > 0);
        for (int i = 0; i < failures; ++i)
            check.Failed("Server Not Found");
        QCOMPARE(check.NextDelay(), std::chrono::milliseconds(std::chrono::minutes(wait)));
        // A check that works ends the back-off.
        check.Succeeded(0, {});
        QCOMPARE(check.Failures(), 0);
    }

    // Each step: the suspects a check found ('+' before a step: the user's
    // own scan saw them instead), and whether the user is told.
    void notifies_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("told");
        QTest::newRow("once, not again for the same") << QStringList{"a b", "a b", "a b"} << "100";
        QTest::newRow("more suspects") << QStringList{"a", "a b", "a b c"} << "111";
        QTest::newRow("fewer, then back to the same") << QStringList{"a b", "a", "a b"} << "101";
        QTest::newRow("one replaced: the count did not grow") << QStringList{"a b", "a c"} << "10";
        QTest::newRow("none") << QStringList{"", ""} << "00";
        QTest::newRow("seen by the user's scan") << QStringList{"a", "+a b", "a b"} << "1-0";
        // '-': the user's purge took the rows away.
        QTest::newRow("after a purge, one new") << QStringList{"a b c", "-", "d"} << "1-1";
        QTest::newRow("after a purge, one left") << QStringList{"a b c", "-", "a"} << "1-0";
    }
    void notifies()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, told);
        BackgroundCheck check;
        check.SetInterval(15);
        QString seen;
        for (QString step : steps) {
            if (step == "-") {
                check.Forget();
                seen += '-';
                continue;
            }
            const bool bUser = step.startsWith('+');
            std::vector<std::string> keys;
            for (const QString& key : step.mid(bUser ? 1 : 0).split(' ', Qt::SkipEmptyParts))
                keys.push_back(key.toStdString());
            if (bUser) {
                check.Seen(10, keys);
                seen += '-';
            } else {
                seen += check.Succeeded(10, keys) ? '1' : '0';
            }
        }
        QCOMPARE(seen, told);
    }

    void texts()
    {
        BackgroundCheck check;
        QCOMPARE(check.Tooltip(), std::string("Mavix"));
        check.Succeeded(12, {"=1", "=2", "=3", "=4", "=5"});
        QCOMPARE(check.Summary(), std::string("12 messages waiting, 5 suspect"));
        QCOMPARE(check.Tooltip(), std::string("Mavix\n12 messages waiting, 5 suspect"));
        check.Failed("Server Not Found");
        QCOMPARE(check.Tooltip(), std::string("Mavix\nThe last check failed: Server Not Found"));
        check.Succeeded(1, {});
        QCOMPARE(check.Summary(), std::string("1 message waiting, 0 suspect"));
        QCOMPARE(BackgroundCheck::SuspectKey("", "3", "Hi"), std::string("#3 Hi"));
        QVERIFY(BackgroundCheck::SuspectKey("#3 Hi", "1", "x") != BackgroundCheck::SuspectKey("", "3", "Hi"));
    }
};

QTEST_GUILESS_MAIN(TestBackgroundCheck)
#include "test_background_check.moc"
