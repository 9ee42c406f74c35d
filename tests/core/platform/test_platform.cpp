#include "core/platform/Cp1252.h"
#include "core/platform/Event.h"
#include "core/platform/Secrets.h"

#include <QtTest>

#include <atomic>
#include <thread>

#include <sys/prctl.h>

using namespace std::chrono_literals;

class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void cp1252RoundTripsEveryByte()
    {
        std::string all;
        for (int c = 1; c < 256; ++c)
            all += static_cast<char>(c);
        const std::string utf8 = platform::Cp1252ToUtf8(all);
        bool lossy = true;
        QCOMPARE(platform::Utf8ToCp1252(utf8, &lossy), all);
        QVERIFY(!lossy);
    }

    void cp1252MapsTheC1Range()
    {
        QCOMPARE(platform::Cp1252ToUtf8("\x80"), std::string("\xE2\x82\xAC"));  // euro sign
        QCOMPARE(platform::Cp1252ToUtf8("\x8A"), std::string("\xC5\xA0"));      // S caron
        QCOMPARE(platform::Cp1252ToUtf8("d\xE9j\xE0"), std::string("d\xC3\xA9j\xC3\xA0"));
    }

    void coreDumpsCanBeTurnedOff()
    {
        QVERIFY(platform::DisableCoreDumps());
        QCOMPARE(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);
    }

    void utf8OutsideTheCodePageIsMarked()
    {
        bool lossy = false;
        QCOMPARE(platform::Utf8ToCp1252("a\xE4\xB8\xAD" "b", &lossy), std::string("a?b"));  // CJK
        QVERIFY(lossy);
        QCOMPARE(platform::Utf8ToCp1252("\xC3", &lossy), std::string("?"));  // cut short
        QVERIFY(lossy);
    }

    void quitWinsWhenBothAreSet()
    {
        platform::ManualResetEvent quit, run;
        run.Set();
        quit.Set();
        QCOMPARE(platform::WaitForPair(quit, run), 0);
        quit.Reset();
        QCOMPARE(platform::WaitForPair(quit, run), 1);
        QVERIFY(run.IsSet());  // manual reset: waiting does not clear it
    }

    void setWakesAWaiterOnAnotherThread()
    {
        for (int i = 0; i < 200; ++i) {
            platform::ManualResetEvent quit, run;
            std::atomic<int> seen{-1};
            std::thread waiter([&] { seen = platform::WaitForPair(quit, run); });
            (i % 2 ? run : quit).Set();
            waiter.join();
            QCOMPARE(seen.load(), i % 2 ? 1 : 0);
        }
    }

    void waitTimesOutWhenNotSet()
    {
        platform::ManualResetEvent event;
        QVERIFY(!event.Wait(20ms));
        event.Set();
        QVERIFY(event.Wait(0ms));
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "test_platform.moc"
