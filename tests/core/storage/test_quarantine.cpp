// The Maildir of kept copies on its own: what a copy looks like on disk,
// pruning by age, and a folder that is a link is not written through.

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/storage/QuarantineMaildir.h"

class TestQuarantine : public QObject {
    Q_OBJECT
private slots:
    void storeAndPrune()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/Mavix/Quarantine";
        QuarantineMaildir maildir(folder.toStdString());
        QVERIFY(maildir.Store("Subject: a\r\n\r\n"));
        QVERIFY(maildir.Store("Subject: b\r\n\r\n"));
        const QStringList copies = QDir(folder + "/new").entryList(QDir::Files, QDir::Name);
        QCOMPARE(copies.size(), 2);
        for (const char* sub : {"tmp", "cur", "new"})
            QCOMPARE(QFile(folder + "/" + sub).permissions() & 0x0077, QFileDevice::Permissions());

        // One copy made 31 days old: a 30-day limit removes it alone.
        const std::string old = (folder + "/new/" + copies[0]).toStdString();
        const timespec times[2] = {{time(nullptr) - 31 * 86400, 0}, {time(nullptr) - 31 * 86400, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, old.c_str(), times, 0), 0);
        QCOMPARE(maildir.Prune(30), 1);
        QCOMPARE(QDir(folder + "/new").entryList(QDir::Files), QStringList{copies[1]});
    }

    // Copies are found by account and UIDL; past the total, the oldest go.
    void findAndBoundByBytes()
    {
        QTemporaryDir dir;
        QuarantineMaildir maildir((dir.path() + "/Quarantine").toStdString());
        const std::string first = QuarantineMaildir::CopyKey("ann@pop.example.org", "U1");
        const std::string second = QuarantineMaildir::CopyKey("ann@pop.example.org", "U2");
        QCOMPARE(first.size(), size_t(32));
        QVERIFY(first != second && first != QuarantineMaildir::CopyKey("bob@pop.example.org", "U1"));
        QVERIFY(QuarantineMaildir::CopyKey("ann@pop.example.org", "").empty());
        QVERIFY(maildir.Store(std::string(600, 'a'), first));
        QVERIFY(maildir.Store(std::string(600, 'b'), second));
        QVERIFY(maildir.Store("no key"));
        // A mail program moved the first to cur/ and flagged it seen.
        const std::string firstPath = maildir.Copies().at(first);
        const QString fileName = QFileInfo(QString::fromStdString(firstPath)).fileName();
        QVERIFY(QFile::rename(QString::fromStdString(firstPath), dir.path() + "/Quarantine/cur/" + fileName + ":2,S"));
        const timespec old[2] = {{time(nullptr) - 100, 0}, {time(nullptr) - 100, 0}};
        QCOMPARE(
            ::utimensat(AT_FDCWD, (dir.path() + "/Quarantine/cur/" + fileName + ":2,S").toUtf8().constData(), old, 0),
            0);
        QCOMPARE(maildir.Copies().size(), size_t(2));

        QCOMPARE(maildir.Prune(30, 1000), 1);  // 1206 bytes in all: the oldest goes
        const auto left = maildir.Copies();
        QCOMPARE(left.size(), size_t(1));
        QVERIFY(left.count(second));
    }

    void linkedFolderRefused()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("elsewhere"));
        QVERIFY(QFile::link(dir.path() + "/elsewhere", dir.path() + "/Quarantine"));
        QuarantineMaildir maildir((dir.path() + "/Quarantine").toStdString());
        QVERIFY(!maildir.Store("Subject: a\r\n\r\n"));
        QVERIFY(!maildir.FailureReason().empty());
        QVERIFY(QDir(dir.path() + "/elsewhere").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestQuarantine)
#include "test_quarantine.moc"
