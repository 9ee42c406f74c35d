#include "core/platform/Cp1252.h"
#include "core/platform/Event.h"
#include "core/platform/PrivateFile.h"
#include "core/platform/Secrets.h"

#include <QtTest>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

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
        QCOMPARE(platform::Utf8ToCp1252("a\xE4\xB8\xAD"
                                        "b",
                                        &lossy),
                 std::string("a?b"));  // CJK
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

    // What is planted at the target or temporary name before a replace:
    // the new bytes land whole at the target, 0600, and nothing else is
    // written or left behind.
    void privateFileReplace_data()
    {
        QTest::addColumn<QString>("planted");
        QTest::addColumn<bool>("bOk");
        QTest::newRow("no file yet") << "" << true;
        QTest::newRow("old file replaced") << "file" << true;
        QTest::newRow("link at the target replaced") << "target link" << true;
        QTest::newRow("link at the temporary name refused") << "temp link" << false;
        QTest::newRow("folder missing") << "no folder" << false;
    }

    void privateFileReplace()
    {
        QFETCH(QString, planted);
        QFETCH(bool, bOk);
        QTemporaryDir tmp;
        const std::string root = tmp.path().toStdString();
        const std::string folder = root + (planted == "no folder" ? "/missing" : "/own");
        const std::string victim = root + "/victim";
        QVERIFY(::mkdir((root + "/own").c_str(), 0700) == 0);
        {
            std::FILE* f = std::fopen(victim.c_str(), "w");
            QVERIFY(f);
            std::fputs("theirs", f);
            std::fclose(f);
        }
        const mode_t oldMask = ::umask(022);
        if (planted == "file") {
            std::FILE* f = std::fopen((folder + "/f").c_str(), "w");
            QVERIFY(f);
            std::fputs("old and longer", f);
            std::fclose(f);
        } else if (planted == "target link") {
            QCOMPARE(::symlink(victim.c_str(), (folder + "/f").c_str()), 0);
        } else if (planted == "temp link") {
            QCOMPARE(::symlink(victim.c_str(), (folder + "/f.new").c_str()), 0);
        }
        platform::UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        int error = 0;
        const bool ok = dir.Get() >= 0 && platform::ReplacePrivateFile(dir.Get(), "f", "f.new", "new", &error);
        platform::PrivateFile beside;
        const bool besideOk = beside.CreateBeside(folder + "/g") && beside.Write("new") && beside.Commit();
        ::umask(oldMask);
        QCOMPARE(ok, bOk);
        QCOMPARE(besideOk, planted != "no folder");
        QFile theirs(QString::fromStdString(victim));
        QVERIFY(theirs.open(QIODevice::ReadOnly));
        QCOMPARE(theirs.readAll(), QByteArray("theirs"));
        if (planted == "no folder") {
            QCOMPARE(beside.FailedStep(), platform::PrivateFile::Step::kFolder);
            QCOMPARE(beside.Error(), ENOENT);
            return;
        }
        if (!bOk) {
            QCOMPARE(error, EEXIST);
            return;
        }
        QStringList names = QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden | QDir::System);
        QCOMPARE(names, QStringList({"f", "g"}));
        for (const char* name : {"/f", "/g"}) {
            struct stat st { };
            QCOMPARE(::lstat((folder + name).c_str(), &st), 0);
            QVERIFY(S_ISREG(st.st_mode));
            QCOMPARE(st.st_mode & 07777, mode_t(0600));
            QFile written(QString::fromStdString(folder + name));
            QVERIFY(written.open(QIODevice::ReadOnly));
            QCOMPARE(written.readAll(), QByteArray("new"));
        }
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "test_platform.moc"
