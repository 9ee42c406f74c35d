// The remembered check boxes: what is kept, the file it is kept in, pruning.
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "core/storage/RememberedChoices.h"

class TestRememberedChoices : public QObject {
    Q_OBJECT
private slots:
    void keepsOnlyDepartures();
    void fileRoundTripPrivateAndPruned();
    void plantedLinksAreNotFollowed_data();
    void plantedLinksAreNotFollowed();
};

void TestRememberedChoices::keepsOnlyDepartures()
{
    RememberedChoices choices;
    QVERIFY(choices.Record("u1", false, true));  // suspect, unchecked by the user
    QVERIFY(choices.Record("u2", true, false));  // not suspect, checked by the user
    QVERIFY(!choices.Record("u3", true, true));  // as the lists said: nothing to keep
    QVERIFY(!choices.Record("bad uidl", true, false));
    QVERIFY(!choices.Record(std::string(71, 'x'), true, false));
    QCOMPARE(choices.Find("u1"), 0);
    QCOMPARE(choices.Find("u2"), 1);
    QCOMPARE(choices.Find("u3"), -1);
    QVERIFY(choices.Record("u1", true, true));  // undone: forgotten
    QCOMPARE(choices.Find("u1"), -1);
    QCOMPARE(choices.Count(), size_t(1));
}

void TestRememberedChoices::fileRoundTripPrivateAndPruned()
{
    QTemporaryDir dir;
    qputenv("XDG_STATE_HOME", dir.path().toUtf8());
    const std::string path = RememberedChoices::PathFor("pop.example", "ann", "110");
    QVERIFY(path.rfind(dir.path().toStdString() + "/Mavix/choices-ann@pop.example-", 0) == 0);
    QVERIFY(path != RememberedChoices::PathFor("pop.example", "ann", "995"));

    RememberedChoices choices;
    QVERIFY(choices.Load(path));  // no file yet: no choices
    QCOMPARE(choices.Count(), size_t(0));
    choices.Record("a", false, true);
    choices.Record("b", true, false);
    choices.Record("c", true, false);
    QVERIFY(choices.Save());
    struct stat st { };
    QCOMPARE(::stat(path.c_str(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u);

    {
        std::ofstream(path, std::ios::app) << "2 x\n1\n0 has space\n1 " << std::string(80, 'y') << "\n";
    }
    RememberedChoices again;
    QVERIFY(again.Load(path));
    QCOMPARE(again.Count(), size_t(3));  // the damaged lines are skipped
    QCOMPARE(again.Find("a"), 0);
    QCOMPARE(again.Find("c"), 1);
    QVERIFY(again.Prune({"a", "zz"}));
    QVERIFY(!again.Prune({"a"}));
    QVERIFY(again.Save());
    RememberedChoices third;
    QVERIFY(third.Load(path));
    QCOMPARE(third.Count(), size_t(1));
    QCOMPARE(third.Find("a"), 0);
}

void TestRememberedChoices::plantedLinksAreNotFollowed_data()
{
    QTest::addColumn<QString>("link");  // which name is a link to the victim
    QTest::addColumn<bool>("saved");
    QTest::newRow("state folder") << "folder" << false;
    QTest::newRow("temporary file") << "new" << true;
    QTest::newRow("choices file") << "file" << true;
}

// A link planted at the folder, the temporary file or the file itself is
// neither read nor written through: the victim keeps its bytes.
void TestRememberedChoices::plantedLinksAreNotFollowed()
{
    QFETCH(QString, link);
    QFETCH(bool, saved);
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    qputenv("XDG_STATE_HOME", dir.path().toUtf8());
    const std::string path = RememberedChoices::PathFor("pop.example", "ann", "110");
    const std::string name = path.substr(path.rfind('/') + 1);
    const std::string victimText = "Mavix remembered choices 1\n1 planted\n";
    std::string victim = root + "/victim";
    if (link == "folder") {
        QCOMPARE(::mkdir((root + "/elsewhere").c_str(), 0700), 0);
        QCOMPARE(::symlink((root + "/elsewhere").c_str(), (root + "/Mavix").c_str()), 0);
        victim = root + "/elsewhere/" + name;
    } else {
        QCOMPARE(::mkdir((root + "/Mavix").c_str(), 0700), 0);
        QCOMPARE(::symlink(victim.c_str(), (link == "new" ? path + ".new" : path).c_str()), 0);
    }
    std::ofstream(victim) << victimText;

    RememberedChoices choices;
    QVERIFY(!choices.Load(path) || link == "new");
    QCOMPARE(choices.Count(), size_t(0));  // nothing read through a link
    choices.Record("mine", true, false);
    QCOMPARE(choices.Save(), saved);
    std::ifstream in(victim);
    QCOMPARE(std::string(std::istreambuf_iterator<char>(in), {}), victimText);
    if (saved) {
        struct stat st { };
        QCOMPARE(::lstat(path.c_str(), &st), 0);
        QVERIFY(S_ISREG(st.st_mode));
        QCOMPARE(::lstat((path + ".new").c_str(), &st), -1);
        RememberedChoices again;
        QVERIFY(again.Load(path));
        QCOMPARE(again.Find("mine"), 1);
    }
}

QTEST_GUILESS_MAIN(TestRememberedChoices)
#include "test_remembered_choices.moc"
