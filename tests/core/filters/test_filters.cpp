// Filter lists: the built-in and file defaults, storage and the launch step.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "core/filters/DefaultFilters.h"
#include "core/storage/Filters.h"
#include "core/storage/SettingsStore.h"

namespace {

using Bytes = QList<QByteArray>;

Bytes ToBytes(const std::vector<std::string>& list)
{
    Bytes out;
    for (const std::string& s : list)
        out << QByteArray::fromStdString(s);
    return out;
}

}  // namespace

class TestFilters : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void builtInDefaults();
    void defaultsFile_data();
    void defaultsFile();
    void untrustedDefaultsIgnored_data();
    void untrustedDefaultsIgnored();
    void refusesUnstorableEntries();
    void loadFilters();
    void saveFilters();
    void applyDefaultsOnLaunch();
    void storedFileKeepsMeaning();

private:
    QTemporaryDir m_tmp;
    QString m_sOldCwd;
    SettingsStore m_store;
};

void TestFilters::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_tmp.path() + "/config"));
    m_sOldCwd = QDir::currentPath();
    QVERIFY(QDir().mkpath(m_tmp.path() + "/work"));
    QVERIFY(QDir::setCurrent(m_tmp.path() + "/work"));
}

void TestFilters::cleanupTestCase()
{
    QDir::setCurrent(m_sOldCwd);
}

void TestFilters::init()
{
    QFile::remove("defaults.txt");
    QVERIFY(m_store.Open());
    QFile::remove(QString::fromStdString(m_store.FilePath()));
}

void TestFilters::builtInDefaults()
{
    Filters filters;
    QVERIFY(!filters.ReadDefaultsFile());
    filters.LoadDefaults();
    const auto& subjects = filters.m_filterDefaults.List(kFilterSubject);
    QCOMPARE(subjects.size(), size_t(104));
    QCOMPARE(std::set<std::string>(subjects.begin(), subjects.end()).size(), size_t(103));
    QCOMPARE(subjects[67], std::string("Please update your email address"));
    QCOMPARE(subjects[93], subjects[67]);
    QCOMPARE(subjects[50], std::string("L\xF6west Merch\xE4nt Rat\xEBs \xEDn \xEDndustry"));
    QCOMPARE(subjects[52],
             std::string("Sua mensagem n\xE3o p\xF4"
                         "de ser entregue"));
    QCOMPARE(subjects[64], std::string("A very  excite game"));
    // Every byte of every entry, in order.
    QByteArray joined;
    for (size_t i = 0; i < subjects.size(); ++i)
        joined += (i ? "\n" : "") + QByteArray::fromStdString(subjects[i]);
    QCOMPARE(QCryptographicHash::hash(joined, QCryptographicHash::Sha1).toHex(),
             QByteArray("d96557c1ddbc9004a15fdb4c19d318760f48edc8"));
    QCOMPARE(ToBytes(filters.m_filterDefaults.List(kFilterSize)),
             (Bytes{"113K", "114K", "115K", "125K", "127K", "135K", "136K"}));
    QVERIFY(filters.m_filterDefaults.List(kFilterSubjectExact).empty());
    // The defaults are not upper-cased and the active lists stay empty.
    QCOMPARE(subjects[0], std::string("let's be friends"));
    QVERIFY(filters.m_filters == FilterLists());

    // A folder called defaults.txt is no defaults file.
    QVERIFY(QDir().mkdir("defaults.txt"));
    Filters withFolder;
    withFolder.LoadDefaults();
    QVERIFY(QDir().rmdir("defaults.txt"));
    QVERIFY(withFolder.m_filterDefaults == filters.m_filterDefaults);
}

void TestFilters::defaultsFile_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Bytes>("subject");
    QTest::addColumn<Bytes>("exact");
    QTest::addColumn<Bytes>("size");

    QTest::newRow("empty file: no built-ins") << QByteArray() << Bytes{} << Bytes{} << Bytes{};
    QTest::newRow("all three lists") << QByteArray("[SUBJECT]\nfree money\n[SUBJECT EXACT]\nhi\n[SIZE]\n113K\n")
                                     << Bytes{"free money"} << Bytes{"hi"} << Bytes{"113K"};
    QTest::newRow("blanks around header")
        << QByteArray("  \t[SUBJECT]  \r\nspam\n") << Bytes{"spam"} << Bytes{} << Bytes{};
    QTest::newRow("small-letter header is an entry")
        << QByteArray("[SIZE]\n1K\n[subject]\n2K\n") << Bytes{} << Bytes{} << Bytes{"1K", "[subject]", "2K"};
    QTest::newRow("small-letter header before any header")
        << QByteArray("[subject]\nspam\n") << Bytes{} << Bytes{} << Bytes{};
    QTest::newRow("lines before first header dropped")
        << QByteArray("junk\n[SIZE]\n5K\n") << Bytes{} << Bytes{} << Bytes{"5K"};
    QTest::newRow("repeated header appends") << QByteArray("[SIZE]\n1K\n[SUBJECT]\nA\n[SIZE]\n2K\n[SUBJECT]\nA\n")
                                             << Bytes{"A", "A"} << Bytes{} << Bytes{"1K", "2K"};
    QTest::newRow("case and inner blanks kept") << QByteArray("[SIZE]\n113k\n[SUBJECT]\n  A very  excite game \n")
                                                << Bytes{"A very  excite game"} << Bytes{} << Bytes{"113k"};
    QTest::newRow("blank lines skipped") << QByteArray("[SUBJECT]\n\n   \n\t\na\n\r\n") << Bytes{"a"} << Bytes{}
                                         << Bytes{};
    QTest::newRow("other bracket lines are entries")
        << QByteArray("[SUBJECT]\n[ADV]\n[SUBJECT ]\n") << Bytes{"[ADV]", "[SUBJECT ]"} << Bytes{} << Bytes{};
    QTest::newRow("no final line feed") << QByteArray("[SUBJECT]\nlast") << Bytes{"last"} << Bytes{} << Bytes{};
    QTest::newRow("Windows-1252 bytes") << QByteArray("[SUBJECT]\nL\xF6west\n") << Bytes{"L\xF6west"} << Bytes{}
                                        << Bytes{};
    QTest::newRow("999-character reads split a line")
        << QByteArray("[SUBJECT]\n" + QByteArray(999, ' ') + "[SIZE]\n113K\n") << Bytes{} << Bytes{} << Bytes{"113K"};
    QTest::newRow("entries too long to store are dropped")
        << QByteArray("[SUBJECT]\n" + QByteArray(260, 'x') + "\n" + QByteArray(259, 'y') + "\n")
        << Bytes{QByteArray(259, 'y')} << Bytes{} << Bytes{};
    QTest::newRow("NUL ends a read") << QByteArray("[SUBJECT]\nab\0cd\nef\n", 19) << Bytes{"ab", "ef"} << Bytes{}
                                     << Bytes{};
    QTest::newRow("Ctrl-Z ends the file") << QByteArray("[SUBJECT]\na\n\x1A\nb\n") << Bytes{"a"} << Bytes{} << Bytes{};
}

void TestFilters::defaultsFile()
{
    QFETCH(QByteArray, text);
    QFETCH(Bytes, subject);
    QFETCH(Bytes, exact);
    QFETCH(Bytes, size);
    QFile file("defaults.txt");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));

    Filters filters;
    filters.LoadDefaults();
    QCOMPARE(filters.DefaultsWarning(), std::string());
    QCOMPARE(ToBytes(filters.m_filterDefaults.List(kFilterSubject)), subject);
    QCOMPARE(ToBytes(filters.m_filterDefaults.List(kFilterSubjectExact)), exact);
    QCOMPARE(ToBytes(filters.m_filterDefaults.List(kFilterSize)), size);
}

// A "defaults.txt" another user could have planted or changed in a shared
// folder would decide which messages are suspects: it is not read.
void TestFilters::untrustedDefaultsIgnored_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("why");
    QTest::newRow("group may write") << 0 << "others may change it";
    QTest::newRow("others may write") << 1 << "others may change it";
    QTest::newRow("symbolic link") << 2 << "symbolic link";
    QTest::newRow("another user's") << 3 << "another user";
}

void TestFilters::untrustedDefaultsIgnored()
{
    QFETCH(int, kind);
    QFETCH(QString, why);
    if (kind == 3 && ::geteuid() != 0)
        QSKIP("planting another user's file needs root");
    const QByteArray everything("[SUBJECT]\n\n[SIZE]\n1K\n");
    QFile file(kind == 2 ? "planted.txt" : "defaults.txt");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(everything);
    file.close();
    const mode_t modes[] = {0664, 0646, 0644, 0644};
    QCOMPARE(::chmod(qPrintable(file.fileName()), modes[kind]), 0);
    if (kind == 2)
        QVERIFY(QFile::link("planted.txt", "defaults.txt"));
    if (kind == 3)
        QCOMPARE(::chown("defaults.txt", 65532, 65532), 0);

    Filters filters;
    filters.LoadDefaults();
    QFile::remove("planted.txt");
    QVERIFY2(QString::fromStdString(filters.DefaultsWarning()).contains(why), filters.DefaultsWarning().c_str());
    QCOMPARE(filters.m_filterDefaults.List(kFilterSubject).size(), size_t(104));  // the built-in lists
}

void TestFilters::refusesUnstorableEntries()
{
    FilterLists lists;
    std::string why;
    QVERIFY(!lists.Append(kFilterSubject, "", &why));
    QVERIFY(!why.empty());
    why.clear();
    QVERIFY(!lists.Append(kFilterSize, std::string(260, 'a'), &why));
    QVERIFY(why.find("259") != std::string::npos);
    QVERIFY(lists.Append(kFilterSubjectExact, std::string(259, 'a')));
    QVERIFY(lists.Append(kFilterSubject, "x"));
    // Replace is all or nothing.
    QVERIFY(!lists.Replace(kFilterSubject, {"a", "", "b"}, &why));
    QCOMPARE(ToBytes(lists.List(kFilterSubject)), Bytes{"x"});
    QVERIFY(lists.Replace(kFilterSubject, {"a", "b"}));
    QCOMPARE(ToBytes(lists.List(kFilterSubject)), (Bytes{"a", "b"}));
    QVERIFY(lists.Replace(kFilterSubject, {}));
    QVERIFY(lists.List(kFilterSubject).empty());
}

void TestFilters::loadFilters()
{
    // First run: nothing stored.
    {
        Filters filters;
        filters.LoadFilters(m_store);
        QVERIFY(filters.m_filters == FilterLists());
        QCOMPARE(filters.m_bNoStoredFilters, 1);
    }
    // One list stored is enough to clear the hint.
    QVERIFY(m_store.WriteString("SubExactList", "0", "hello"));
    {
        Filters filters;
        filters.LoadFilters(m_store);
        QCOMPARE(ToBytes(filters.m_filters.List(kFilterSubjectExact)), Bytes{"HELLO"});
        QCOMPARE(filters.m_bNoStoredFilters, 0);
    }
    // A gap ends the list; entries are upper-cased (ASCII letters only).
    QVERIFY(m_store.WriteString("SubList", "0", "virus"));
    QVERIFY(m_store.WriteString("SubList", "1", "l\xF6west rates"));
    QVERIFY(m_store.WriteString("SubList", "3", "after the gap"));
    QVERIFY(m_store.WriteString("SizeList", "0", "113k"));
    QVERIFY(m_store.WriteString("SizeList", "1", ""));
    QVERIFY(m_store.WriteString("SizeList", "2", "114K"));
    QVERIFY(m_store.WriteString("SubExactList", "1", std::string(260, 'z')));
    QVERIFY(m_store.WriteString("SubExactList", "2", "unreached"));
    Filters filters;
    filters.LoadFilters(m_store);
    QCOMPARE(ToBytes(filters.m_filters.List(kFilterSubject)), (Bytes{"VIRUS", "L\xF6WEST RATES"}));
    QCOMPARE(ToBytes(filters.m_filters.List(kFilterSize)), Bytes{"113K"});
    QCOMPARE(ToBytes(filters.m_filters.List(kFilterSubjectExact)), Bytes{"HELLO"});
    // Loading again gives the same lists, not twice the entries.
    filters.LoadFilters(m_store);
    QCOMPARE(filters.m_filters.List(kFilterSubject).size(), size_t(2));
}

void TestFilters::saveFilters()
{
    Filters filters;
    std::vector<std::string> sizes;
    for (int i = 0; i < 10; ++i)
        sizes.push_back(std::to_string(100 + i) + "K");
    QVERIFY(filters.m_filters.Replace(kFilterSize, sizes));
    QVERIFY(filters.m_filters.Replace(kFilterSubject, {"Mixed Case", "L\xF6west", "x"}));
    QVERIFY(filters.SaveFilters(m_store));
    QCOMPARE(m_store.ReadString("SubList", "0", ""), std::string("Mixed Case"));

    // Two deleted in the manager: exactly eight values remain, 0 to 7.
    sizes.erase(sizes.begin() + 2);
    sizes.erase(sizes.begin() + 5);
    QVERIFY(filters.m_filters.Replace(kFilterSize, sizes));
    QVERIFY(filters.m_filters.Replace(kFilterSubject, {}));
    QVERIFY(filters.SaveFilters(m_store));
    QSettings raw(QString::fromStdString(m_store.FilePath()), QSettings::IniFormat);
    raw.beginGroup("SizeList");
    QStringList keys = raw.childKeys();
    keys.sort();
    QCOMPARE(keys, (QStringList{"0", "1", "2", "3", "4", "5", "6", "7"}));
    raw.endGroup();
    raw.beginGroup("SubList");
    QVERIFY(raw.childKeys().isEmpty());
    raw.endGroup();

    Filters next;
    next.LoadFilters(m_store);
    QCOMPARE(next.m_filters.List(kFilterSize), sizes);
    QVERIFY(next.m_filters.List(kFilterSubject).empty());
    QCOMPARE(next.m_bNoStoredFilters, 0);

    // A full built-in list survives the round trip byte for byte (upper-cased).
    Filters defaults;
    AppendBuiltInDefaults(defaults.m_filters);
    QVERIFY(defaults.SaveFilters(m_store));
    Filters loaded;
    loaded.LoadFilters(m_store);
    const auto& original = defaults.m_filters.List(kFilterSubject);
    const auto& back = loaded.m_filters.List(kFilterSubject);
    QCOMPARE(back.size(), original.size());
    for (size_t i = 0; i < back.size(); ++i) {
        std::string upper = original[i];
        for (char& c : upper)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        QCOMPARE(back[i], upper);
    }
}

void TestFilters::applyDefaultsOnLaunch()
{
    QVERIFY(m_store.WriteString("SubList", "0", "stored"));
    QVERIFY(m_store.WriteString("SubExactList", "0", "exact one"));
    QVERIFY(m_store.WriteString("SizeList", "0", "9K"));
    const QByteArray before = [this] {
        QFile f(QString::fromStdString(m_store.FilePath()));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    Filters filters;
    filters.LoadDefaults();
    filters.LoadFilters(m_store);
    filters.ApplyDefaultsOnLaunch();
    // Merged: the user's own entries stay, the defaults follow them.
    std::vector<std::string> subjects{"STORED"};
    subjects.insert(subjects.end(), BuiltInSubjectDefaults().begin(), BuiltInSubjectDefaults().end());
    QCOMPARE(filters.m_filters.List(kFilterSubject), subjects);
    std::vector<std::string> sizes{"9K"};
    sizes.insert(sizes.end(), BuiltInSizeDefaults().begin(), BuiltInSizeDefaults().end());
    QCOMPARE(filters.m_filters.List(kFilterSize), sizes);
    QCOMPARE(ToBytes(filters.m_filters.List(kFilterSubjectExact)), Bytes{"EXACT ONE"});
    QCOMPARE(filters.m_bNoStoredFilters, 0);

    QFile f(QString::fromStdString(m_store.FilePath()));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

// A settings file written before entries had modes keeps every entry's
// meaning; new entries round-trip, and the values an older Mavix reads (the
// numbered ones) still hold exactly its entries.
void TestFilters::storedFileKeepsMeaning()
{
    QFile file(QString::fromStdString(m_store.FilePath()));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[SubList]\n0=fat\n1=L\xC3\xB6west\n2==?\n[SubExactList]\n0=hello\n[SizeList]\n0=113K\n");
    file.close();
    Filters filters;
    filters.LoadFilters(m_store);
    const std::vector<FilterEntry> old{{"FAT"}, {"L\xF6WEST"}, {"=?"}};
    QVERIFY(filters.m_filters.Entries(kFilterSubject) == old);  // "contains", Windows-1252
    QCOMPARE(ToBytes(filters.m_filters.List(kFilterSubjectExact)), Bytes{"HELLO"});
    QCOMPARE(ToBytes(filters.m_filters.List(kFilterSize)), Bytes{"113K"});

    const FilterEntry word{"DIET", SubjectMatch::kWholeWord, false};
    const FilterEntry unicode = FilterEntry::FromUtf8("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
                                                      SubjectMatch::kWholeWord);  // "Привет"
    const FilterEntry pattern = FilterEntry::FromUtf8("^re: \\d+$", SubjectMatch::kPattern);
    QVERIFY(unicode.m_bUtf8 && pattern.m_bUtf8);
    for (const FilterEntry& entry : {word, unicode, pattern})
        QVERIFY(filters.m_filters.Append(kFilterSubject, entry));
    QVERIFY(
        filters.m_filters.Append(kFilterSubjectExact, FilterEntry::FromUtf8(unicode.m_sText, SubjectMatch::kContains)));
    QVERIFY(filters.SaveFilters(m_store));

    Filters back;
    back.LoadFilters(m_store);
    QVERIFY(back.m_filters == filters.m_filters);
    // What an older Mavix reads: the numbered values, up to the first gap.
    Bytes numbered;
    for (int i = 0; !m_store.ReadString("SubList", std::to_string(i), "").empty(); ++i)
        numbered << QByteArray::fromStdString(m_store.ReadString("SubList", std::to_string(i), ""));
    QCOMPARE(numbered, (Bytes{"FAT", "L\xF6WEST", "=?", "DIET"}));
    QCOMPARE(m_store.ReadString("SubExactList", "1", ""), std::string());
}

QTEST_GUILESS_MAIN(TestFilters)
#include "test_filters.moc"
