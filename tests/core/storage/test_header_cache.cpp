// The header cache's file: what is kept, and every file that must not be
// trusted (damaged, cut short, another version or account, a link).
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "core/storage/HeaderCache.h"

namespace {

const std::string kIdentity = HeaderCache::Identity("pop.example", "ann", "110");

// A file as a scan writes it, with two messages.
std::string WrittenFile(const std::string& path)
{
    HeaderCacheWriter writer;
    if (!writer.Open(path, kIdentity))
        return {};
    writer.Add("u1", 1200, "Subject: one\r\nFrom: a@example.com\r\n");
    writer.Add("bad uidl", 10, "Subject: never kept\r\n");
    writer.Add("u2", 900, "");
    if (!writer.Commit())
        return {};
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

class TestHeaderCache : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::string m_sPath;
    std::string m_sGood;

private slots:
    void initTestCase();
    void keptByUidlAndSize();
    void untrustedFilesAreIgnored_data();
    void untrustedFilesAreIgnored();
    void linksAreNotFollowed();
};

void TestHeaderCache::initTestCase()
{
    qputenv("XDG_CACHE_HOME", m_dir.path().toUtf8());
    m_sPath = HeaderCache::PathFor("pop.example", "ann", "110");
    QVERIFY(m_sPath.rfind(m_dir.path().toStdString() + "/Mavix/headers-ann@pop.example-", 0) == 0);
    QVERIFY(m_sPath != HeaderCache::PathFor("pop.example", "ann", "995"));
    m_sGood = WrittenFile(m_sPath);
    QVERIFY(!m_sGood.empty());
    struct stat st { };
    QCOMPARE(::stat(m_sPath.c_str(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u);
}

void TestHeaderCache::keptByUidlAndSize()
{
    HeaderCache cache;
    QVERIFY(cache.Load(m_sPath, kIdentity));
    QCOMPARE(cache.Count(), size_t(2));
    QCOMPARE(cache.Find("u1", 1200).value_or("-"), std::string_view("Subject: one\r\nFrom: a@example.com\r\n"));
    QCOMPARE(cache.Find("u2", 900).value_or("-"), std::string_view());
    // The id given to another message of another size: not this one.
    QVERIFY(!cache.Find("u1", 1201));
    QVERIFY(!cache.Find("u3", 1200));
    // Another account's scan never takes this file's headers.
    QVERIFY(!cache.Load(m_sPath, HeaderCache::Identity("pop.example", "bob", "110")));
    QCOMPARE(cache.Count(), size_t(0));
    // No file yet: nothing kept, nothing wrong.
    QVERIFY(cache.Load(m_sPath + "-absent", kIdentity));
}

void TestHeaderCache::untrustedFilesAreIgnored_data()
{
    QTest::addColumn<std::string>("bytes");
    const std::string& good = m_sGood;
    const size_t firstEntry = good.find("u1 ");
    QTest::newRow("cut short") << good.substr(0, good.size() - 3);
    QTest::newRow("no last line") << good.substr(0, good.rfind("end "));
    QTest::newRow("bytes after the last line") << good + "u9 1 0\n\n";
    QTest::newRow("another version") << "Mavix header cache 2" + good.substr(good.find('\n'));
    QTest::newRow("count differs") << good.substr(0, good.rfind("end ")) + "end 3\n";
    QTest::newRow("text longer than said") << std::string(good).replace(good.find("u1 1200 35"), 10, "u1 1200 34");
    QTest::newRow("one id twice") << good.substr(0, firstEntry) + "u2 5 0\n\n"
            + good.substr(firstEntry, good.rfind("end ") - firstEntry) + "end 3\n";
    QTest::newRow("an id with a control byte") << std::string(good).replace(firstEntry, 2, "u\x01");
    QTest::newRow("a size that is no number") << std::string(good).replace(good.find("1200"), 4, "12x0");
    QTest::newRow("a NUL in a text") << std::string(good).replace(good.find("one"), 1, std::string(1, '\0'));
    QTest::newRow("empty") << std::string();
}

void TestHeaderCache::untrustedFilesAreIgnored()
{
    QFETCH(std::string, bytes);
    HeaderCache cache;
    QVERIFY(!cache.Parse(bytes, kIdentity));
    QCOMPARE(cache.Count(), size_t(0));
}

void TestHeaderCache::linksAreNotFollowed()
{
    // A link planted at the cache's name, pointing at a good cache: never
    // read through. The next scan's writer replaces the link itself.
    const std::string target = m_dir.path().toStdString() + "/elsewhere";
    {
        std::ofstream(target, std::ios::binary) << m_sGood;
    }
    const std::string link = m_sPath + "-linked";
    QCOMPARE(::symlink(target.c_str(), link.c_str()), 0);
    HeaderCache cache;
    QVERIFY(!cache.Load(link, kIdentity));
    QCOMPARE(cache.Count(), size_t(0));
    HeaderCacheWriter writer;
    QVERIFY(writer.Open(link, kIdentity));
    writer.Add("u7", 1, "Subject: new\r\n");
    QVERIFY(writer.Commit());
    struct stat st { };
    QCOMPARE(::lstat(link.c_str(), &st), 0);
    QVERIFY(S_ISREG(st.st_mode));
    QVERIFY(cache.Load(target, kIdentity));
    QCOMPARE(cache.Count(), size_t(2));  // the link's target is as it was
}

QTEST_GUILESS_MAIN(TestHeaderCache)
#include "test_header_cache.moc"
