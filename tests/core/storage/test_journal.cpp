// The journal of deletions: one line per entry whatever the texts hold,
// private files that are never followed through a link, rotation, reading
// back.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "core/platform/HeaderDecode.h"
#include "core/storage/DeletionJournal.h"

namespace {

JournalEntry Entry(const std::string& subject, const std::string& from = "Ann <ann@example.org>")
{
    JournalEntry entry;
    entry.m_nTime = 1796641465;  // 2026-12-07T11:04:25Z
    entry.m_sAccount = AccountKey{"ann", "pop.example.org", "110"}.JournalName();
    entry.m_sUidl = "UID-17";
    entry.m_nSize = 2345;
    entry.m_sFrom = from;
    entry.m_sSubject = subject;
    entry.m_sReason = DeletionJournal::kCheckedByHand;
    return entry;
}

bool Same(const JournalEntry& a, const JournalEntry& b)
{
    return a.m_nTime == b.m_nTime && a.m_sAccount == b.m_sAccount && a.m_sUidl == b.m_sUidl && a.m_nSize == b.m_nSize
        && a.m_sFrom == b.m_sFrom && a.m_sSubject == b.m_sSubject && a.m_sReason == b.m_sReason;
}

mode_t Mode(const QString& path)
{
    struct stat st { };
    return lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

}  // namespace

class TestJournal : public QObject {
    Q_OBJECT
private slots:
    void lineRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("plain") << QByteArray("Win a prize");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("tab and newlines") << QByteArray("a\tb\nc\r\nd");
        QTest::newRow("backslashes") << QByteArray("C:\\temp\\n not a newline\\");
        QTest::newRow("escape sequence") << QByteArray("\x1b[2J\x07\x7f\x01");
        QTest::newRow("C1 control in UTF-8") << QByteArray("x\xc2\x9b"
                                                           "31m y");
        QTest::newRow("UTF-8 text") << QByteArray("Caf\xc3\xa9 \xe2\x82\xac 5 \xf0\x9f\x93\xa7");
        QTest::newRow("direction controls") << QByteArray("Invoice \xe2\x80\xae"
                                                          "fdp.exe \xe2\x81\xa6\xe2\x80\x8f\xd8\x9c");
        // Windows-1252 bytes, a cut sequence, an overlong form, a surrogate.
        QTest::newRow("not UTF-8") << QByteArray("Caf\xe9 \xe2\x82 \xc0\xaf \xed\xa0\x80");
    }

    void lineRoundTrip()
    {
        QFETCH(QByteArray, text);
        const JournalEntry entry = Entry(text.toStdString(), text.toStdString());
        const std::string line = DeletionJournal::FormatLine(entry);
        QCOMPARE(std::count(line.begin(), line.end(), '\n'), 1);
        QCOMPARE(line.back(), '\n');
        QCOMPARE(std::count(line.begin(), line.end(), '\t'), 6);
        for (char c : line)
            QVERIFY((static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) || c == '\t' || c == '\n');
        QVERIFY(line.find("\xc2\x9b") == std::string::npos);
        for (size_t i = 0; i < line.size(); ++i)
            QVERIFY(platform::DirectionControlAt(std::string_view(line).substr(i)) == 0);
        QVERIFY(QString::fromUtf8(line).toUtf8() == QByteArray::fromStdString(line));
        QVERIFY(line.rfind("2026-12-07T11:04:25Z\tann@pop.example.org:110\tUID-17\t2345\t", 0) == 0);
        JournalEntry back;
        QVERIFY(DeletionJournal::ParseLine(line, back));
        QVERIFY(Same(back, entry));
    }

    // Lines as appended, each "<uidl><state>" (D deleted, P pending, N not
    // deleted), and what Read makes of them.
    void pendingEntriesAreSettled_data()
    {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<QString>("read");
        QTest::newRow("deletions stand alone") << "aD aD bD"
                                               << "aD aD bD";
        QTest::newRow("pending, then deleted") << "aP bP aD"
                                               << "aD bP";
        QTest::newRow("pending, then not deleted") << "aP bD aN"
                                                   << "bD";
        QTest::newRow("a stray settle line") << "aN bD"
                                             << "bD";
        QTest::newRow("settles the latest pending") << "aP aP aD"
                                                    << "aP aD";
    }

    void pendingEntriesAreSettled()
    {
        QFETCH(QString, lines);
        QFETCH(QString, read);
        QTemporaryDir dir;
        DeletionJournal journal(QFile::encodeName(dir.filePath("Mavix")).toStdString());
        std::vector<JournalEntry> entries;
        for (const QString& line : lines.split(' ')) {
            JournalEntry entry = Entry("s");
            entry.m_sUidl = line.left(1).toStdString();
            entry.m_nState = line.endsWith('P') ? JournalEntry::State::kPending
                : line.endsWith('N')            ? JournalEntry::State::kNotDeleted
                                                : JournalEntry::State::kDeleted;
            entries.push_back(entry);
        }
        QVERIFY(journal.Append(entries));
        QString seen;
        for (const JournalEntry& entry : journal.Read())
            seen += (seen.isEmpty() ? "" : " ") + QString::fromStdString(entry.m_sUidl)
                + (entry.m_nState == JournalEntry::State::kPending ? "P" : "D");
        QCOMPARE(seen, read);
        // A reader that knows seven fields only sees the deletions.
        QFile file(QString::fromStdString(journal.FilePath()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> written = file.readAll().split('\n');
        QCOMPARE(
            int(std::count_if(written.begin(), written.end(), [](const QByteArray& l) { return l.count('\t') == 6; })),
            int(lines.count('D')));
    }

    void malformedLinesAreSkipped()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("Mavix");
        DeletionJournal journal(QFile::encodeName(folder).toStdString());
        QVERIFY(journal.Append({Entry("first")}));
        QFile file(QString::fromStdString(journal.FilePath()));
        QVERIFY(file.open(QIODevice::Append));
        file.write("garbage\n2026-12-07T11:04:25Z\ta\tb\tnot-a-size\tf\ts\tr\n"
                   "2026-12-07T11:04:25Z\ta\tb\t1\tf\tbad \\q escape\tr\n");
        file.close();
        JournalEntry unstamped = Entry("third");
        unstamped.m_nTime = 0;
        const std::int64_t before = QDateTime::currentSecsSinceEpoch();
        QVERIFY(journal.Append({Entry("second"), unstamped}));
        const std::vector<JournalEntry> entries = journal.Read();
        QCOMPARE(entries.size(), size_t(3));
        QCOMPARE(entries[0].m_sSubject, std::string("first"));
        QCOMPARE(entries[2].m_sSubject, std::string("third"));
        QVERIFY(entries[2].m_nTime >= before && entries[2].m_nTime <= QDateTime::currentSecsSinceEpoch());
    }

    void privateFilesNoLinks()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("state/Mavix");
        DeletionJournal journal(QFile::encodeName(folder).toStdString());
        QVERIFY(journal.Read().empty());
        QVERIFY(journal.Append({Entry("x")}));
        QCOMPARE(Mode(folder), mode_t(0700));
        QCOMPARE(Mode(dir.filePath("state")), mode_t(0700));
        QCOMPARE(Mode(QString::fromStdString(journal.FilePath())), mode_t(0600));

        // A link planted where the file goes is not written through.
        const QString target = dir.filePath("target");
        QFile(target).open(QIODevice::WriteOnly);
        const QString linkedFolder = dir.filePath("linked");
        QVERIFY(QDir().mkpath(linkedFolder));
        QVERIFY(QFile::link(target, linkedFolder + "/deleted.log"));
        DeletionJournal viaFileLink(QFile::encodeName(linkedFolder).toStdString());
        QVERIFY(!viaFileLink.Append({Entry("x")}));
        // Nor a folder that is a link.
        QVERIFY(QFile::link(folder, dir.filePath("folderlink")));
        DeletionJournal viaFolderLink(QFile::encodeName(dir.filePath("folderlink")).toStdString());
        QVERIFY(!viaFolderLink.Append({Entry("y")}));
        QVERIFY(viaFolderLink.Read().empty());
        QCOMPARE(QFileInfo(target).size(), 0);
        QCOMPARE(journal.Read().size(), size_t(1));
    }

    void rotatesKeepingOneOldFile()
    {
        QTemporaryDir dir;
        DeletionJournal journal(QFile::encodeName(dir.filePath("Mavix")).toStdString());
        const std::string padding(10000, 'p');
        const int perFile = static_cast<int>(DeletionJournal::kRotateBytes / 10100);
        int written = 0;
        for (; written < 2 * perFile + 5; ++written)
            QVERIFY(journal.Append({Entry(std::to_string(written) + padding)}));
        const QString current = QString::fromStdString(journal.FilePath());
        QVERIFY(QFileInfo(current).size() <= DeletionJournal::kRotateBytes);
        QVERIFY(QFileInfo(current + ".1").size() <= DeletionJournal::kRotateBytes);
        QVERIFY(!QFile::exists(current + ".2"));
        QCOMPARE(Mode(current + ".1"), mode_t(0600));
        const std::vector<JournalEntry> entries = journal.Read();
        // The oldest file was dropped; what is left is the latest, in order.
        QVERIFY(entries.size() > size_t(perFile));
        QVERIFY(entries.size() < size_t(written));
        QCOMPARE(entries.back().m_sSubject, std::to_string(written - 1) + padding);
        for (size_t i = 1; i < entries.size(); ++i)
            QCOMPARE(std::stoi(entries[i].m_sSubject), std::stoi(entries[i - 1].m_sSubject) + 1);
    }

    void defaultPlaceFollowsXdgStateHome()
    {
        qputenv("XDG_STATE_HOME", "/somewhere/state");
        QCOMPARE(DeletionJournal().FilePath(), std::string("/somewhere/state/Mavix/deleted.log"));
        qputenv("XDG_STATE_HOME", "relative/ignored");
        qputenv("HOME", "/home/ann");
        QCOMPARE(DeletionJournal().FilePath(), std::string("/home/ann/.local/state/Mavix/deleted.log"));
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "test_journal.moc"
