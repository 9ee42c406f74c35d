// A writer killed at any moment of SaveFilters leaves the old lists or the
// new ones on disk, never a cut-off or mixed list, and the file stays
// private and writable.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>
#include <signal.h>
#include <sys/stat.h>

#include "core/storage/Filters.h"
#include "core/storage/SettingsStore.h"
#include "savefilters_lists.h"

class TestSettingsAtomic : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void killedWriterLeavesWholeLists();

private:
    QTemporaryDir m_tmp;
};

void TestSettingsAtomic::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_tmp.path() + "/config"));
}

void TestSettingsAtomic::killedWriterLeavesWholeLists()
{
    SettingsStore store;
    QVERIFY(store.Open());
    const QString file = QString::fromStdString(store.FilePath());
    Filters first;
    first.m_filters = ListsOfSave(0);
    QVERIFY(first.SaveFilters(store));

    std::set<unsigned> seen;
    int killedInsideSave = 0;
    const int rounds = 40;
    for (int round = 0; round < rounds; ++round) {
        QProcess writer;
        writer.start(QStringLiteral(MAVIX_SAVE_HELPER), {});
        QVERIFY2(writer.waitForStarted(10000), qPrintable(writer.errorString()));
        // Let it finish two saves to learn how long one takes, then a random
        // number more; the signal then lands at a random moment of the next
        // save. The random pause is the fault injection itself, not a wait
        // for anything.
        const int saves = 2 + static_cast<int>(QRandomGenerator::global()->bounded(3));
        QElapsedTimer clock;
        qint64 saveNs = 0;
        int lines = 0;
        while (lines < saves) {
            if (!writer.canReadLine())
                QVERIFY2(writer.waitForReadyRead(30000), "the writer stopped saving");
            while (writer.canReadLine() && lines < saves) {
                writer.readLine();
                if (++lines == 1) {
                    clock.start();
                } else if (lines == 2) {
                    saveNs = std::max<qint64>(clock.nsecsElapsed(), 1000);
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::nanoseconds(QRandomGenerator::global()->bounded(saveNs + saveNs / 4)));
        QCOMPARE(::kill(static_cast<pid_t>(writer.processId()), SIGKILL), 0);
        QVERIFY(writer.waitForFinished(10000));

        // A scratch copy or temporary left beside the file means the writer
        // died inside a save (the next save removes them).
        const QFileInfo settingsFile(file);
        if (!QDir(settingsFile.absolutePath())
                 .entryList({QLatin1Char('.') + settingsFile.fileName() + QStringLiteral(".*")},
                            QDir::Files | QDir::Hidden)
                 .isEmpty())
            ++killedInsideSave;

        QSettings raw(file, QSettings::IniFormat);
        QCOMPARE(raw.status(), QSettings::NoError);

        Filters loaded;
        loaded.LoadFilters(store);
        const auto& subjects = loaded.m_filters.List(kFilterSubject);
        QVERIFY(!subjects.empty());
        // "G<n> S0": the number of the save that is on disk.
        const unsigned g = static_cast<unsigned>(std::stoul(subjects[0].substr(1)));
        const FilterLists expected = ListsOfSave(g);
        // The entries are in capitals already, so loading keeps them as saved.
        for (FilterKind kind : {kFilterSubject, kFilterSubjectExact, kFilterSize})
            QCOMPARE(loaded.m_filters.List(kind), expected.List(kind));
        seen.insert(g);

        struct stat st { };
        QCOMPARE(stat(QFile::encodeName(file).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0600));
    }
    QVERIFY(seen.size() > 1);
    qInfo("%d of %d writers were killed inside a save", killedInsideSave, rounds);

    // A half-written temporary file that a killed writer left behind is as
    // private as the file itself.
    const QFileInfoList leftovers = QDir(QFileInfo(file).absolutePath()).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo& info : leftovers) {
        if (info.fileName().endsWith(".lock"))
            continue;
        QVERIFY2((info.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther))
                     == 0,
                 qPrintable(info.fileName()));
    }

    // The killed writers' lock does not block the next save.
    Filters last;
    last.m_filters = ListsOfSave(7);
    QVERIFY(last.SaveFilters(store));
    Filters check;
    check.LoadFilters(store);
    QCOMPARE(check.m_filters.List(kFilterSize).size(), ListsOfSave(7).List(kFilterSize).size());
}

QTEST_GUILESS_MAIN(TestSettingsAtomic)
#include "test_settings_atomic.moc"
