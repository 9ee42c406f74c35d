// "message.txt": the record format, the old dump kept until the new one is
// complete, the size limit (and records taken back), a full disk, and files other users planted in a
// shared folder.
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>
#include <fstream>
#include <sstream>

#include "core/storage/DumpFile.h"
#include "tests/support/SharedFolder.h"

using namespace shared_folder;

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// Names in the folder besides "." and "..".
int Entries(const std::string& folder)
{
    int count = 0;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir))
            count += std::string(entry->d_name) != "." && std::string(entry->d_name) != "..";
        ::closedir(dir);
    }
    return count;
}

const std::string kRecord1 = "\r\n\r\n********************\r\n\r\nmessage 1, length is4294967296\n\nSubject: a\r\n\n\n";

}  // namespace

class TestDumpFile : public QObject {
    Q_OBJECT
private slots:
    void oldDumpStaysUntilCommit();
    void limitCutsWithOneLine();
    void fullDiskIsReported();
    void plantedFiles_data();
    void plantedFiles();
};

void TestDumpFile::oldDumpStaysUntilCommit()
{
    Folder folder(0700);
    const std::string path = folder.File("message.txt");
    WriteText(path, "old");
    for (bool bCommit : {false, true}) {
        CDumpFile dump(path);
        QVERIFY(dump.Open());
        QVERIFY(dump.WriteRecord(1, uint64_t{1} << 32, "Subject: a\r\n"));
        QCOMPARE(ReadAll(path), std::string("old"));
        if (bCommit) {
            QVERIFY(dump.Commit());
        } else {
            dump.Abort();
            QCOMPARE(ReadAll(path), std::string("old"));
        }
        QCOMPARE(Entries(folder.Path()), 1);  // no temporary file left
    }
    QCOMPARE(ReadAll(path), kRecord1);
    struct stat st { };
    QCOMPARE(::stat(path.c_str(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u);
}

void TestDumpFile::limitCutsWithOneLine()
{
    Folder folder(0700);
    const std::string path = folder.File("message.txt");
    CDumpFile dump(path, 2 * kRecord1.size());
    QVERIFY(dump.Open());
    for (int n = 1; n <= 4; ++n)
        QVERIFY(dump.WriteRecord(1, uint64_t{1} << 32, "Subject: a\r\n"));
    QVERIFY(dump.WasCut());
    // Taken back to the first record, the line saying so included, and
    // written on: the same bytes.
    QVERIFY(dump.Rewind(kRecord1.size()));
    QVERIFY(!dump.WasCut());
    for (int n = 2; n <= 4; ++n)
        QVERIFY(dump.WriteRecord(1, uint64_t{1} << 32, "Subject: a\r\n"));
    QVERIFY(dump.WasCut());
    QVERIFY(dump.Commit());
    const std::string text = ReadAll(path);
    QVERIFY(text.starts_with(kRecord1 + kRecord1));
    const std::string tail = text.substr(2 * kRecord1.size());
    QVERIFY(tail.find("cut") != std::string::npos);
    QCOMPARE(std::count(tail.begin(), tail.end(), '\n'), 5);  // the separator's four, one line
}

void TestDumpFile::fullDiskIsReported()
{
    SmallDisk disk(64 * 1024);
    if (!disk.Ok())
        QSKIP(disk.Why().c_str());
    const std::string path = disk.File("message.txt");
    WriteText(path, "old");
    CDumpFile dump(path);
    QVERIFY(dump.Open());
    const std::string header(8000, 'x');
    bool ok = true;
    for (int n = 1; n <= 20 && ok; ++n)
        ok = dump.WriteRecord(n, header.size(), header);
    ok = dump.Commit() && ok;
    QVERIFY(!ok);
    QCOMPARE(dump.Error(), ENOSPC);
    QVERIFY(dump.FailureStatus().starts_with("Failed to write message to file: the disk is full"));
    QCOMPARE(ReadAll(path), std::string("old"));
}

// Another user planted "message.txt" in the folder; an ordinary user scans.
void TestDumpFile::plantedFiles_data()
{
    QTest::addColumn<bool>("bSymlink");
    QTest::addColumn<bool>("bSticky");  // shared folder, or the user's own
    QTest::addColumn<bool>("bReplaced");
    QTest::newRow("symlink, own folder") << true << false << true;
    QTest::newRow("0666 file, own folder") << false << false << true;
    QTest::newRow("symlink, sticky folder") << true << true << false;
    QTest::newRow("0666 file, sticky folder") << false << true << false;
}

void TestDumpFile::plantedFiles()
{
    QFETCH(bool, bSymlink);
    QFETCH(bool, bSticky);
    QFETCH(bool, bReplaced);
    if (!CanPlant())
        QSKIP("planting another user's file needs root");
    Folder folder(bSticky ? 01777 : 0700);
    QVERIFY(folder.Ok());
    if (!bSticky)
        QCOMPARE(::chown(folder.Path().c_str(), kUser, kUser), 0);
    // The other user's own file, which a followed symlink would overwrite.
    Folder elsewhere(0755);
    const std::string victim = elsewhere.File("victim");
    WriteText(victim, "victim");
    const std::string path = folder.File("message.txt");
    if (bSymlink) {
        QCOMPARE(::symlink(victim.c_str(), path.c_str()), 0);
        QCOMPARE(::lchown(path.c_str(), kOther, kOther), 0);
    } else {
        WriteText(path, "planted");
        QCOMPARE(::chmod(path.c_str(), 0666), 0);
        QCOMPARE(::chown(path.c_str(), kOther, kOther), 0);
    }
    QCOMPARE(::chmod(victim.c_str(), 0666), 0);

    const int failedAt = AsUser([&] {
        CDumpFile dump(path);
        if (!dump.Open() || !dump.WriteRecord(1, uint64_t{1} << 32, "Subject: a\r\n"))
            return __LINE__;
        const bool committed = dump.Commit();
        if (committed != bReplaced)
            return __LINE__;
        if (!committed && dump.Reason().find("belongs to another user") == std::string::npos)
            return __LINE__;
        return 0;
    });
    if (failedAt < 0)
        QSKIP("cannot run as an ordinary user here");
    QCOMPARE(failedAt, 0);
    QCOMPARE(ReadAll(victim), std::string("victim"));
    QCOMPARE(Entries(folder.Path()), 1);
    struct stat st { };
    QCOMPARE(::lstat(path.c_str(), &st), 0);
    if (bReplaced) {
        QVERIFY(S_ISREG(st.st_mode));
        QCOMPARE(st.st_uid, kUser);
        QCOMPARE(st.st_mode & 0777, 0600u);
        QCOMPARE(ReadAll(path), kRecord1);
    } else {
        QCOMPARE(st.st_uid, kOther);  // left as it was
    }
}

QTEST_GUILESS_MAIN(TestDumpFile)
#include "test_dumpfile.moc"
