// The list of accounts in the settings file: reading it, finding an
// account, adding, removing (with its keyring entries and remembered
// choices) and reordering, each rewrite in one write.
#include <QFile>
#include <QTest>

#include "core/storage/AccountList.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/RememberedChoices.h"
#include "core/storage/SettingsStore.h"
#include "tests/support/KeyringDaemon.h"

namespace {

// Three accounts as a user would have them: today's [Acct] and two more,
// the second with the password in the file (no keyring there).
const char kThree[] = "[Acct]\nServer=one.example\nUser=ann\nPort=110\n\n"
                      "[Acct2]\nServer=two.example\nUser=bob\nPort=995\nSecurity=2\nName=Work\nPass=bobpw\n\n"
                      "[Acct3]\nServer=three.example\nUser=cy\nPort=110\nEnabled=0\nCheckEvery=5\n";

QByteArray FileBytes(const SettingsStore& settings)
{
    QFile file(QString::fromStdString(settings.FilePath()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Users(const std::vector<AccountSettings>& accounts)
{
    QStringList users;
    for (const AccountSettings& a : accounts)
        users << QString::fromStdString(a.m_sSection + ":" + a.m_sUser);
    return users;
}

}  // namespace

class TestAccounts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_bKeyring = m_daemon.Start(); }
    void init();

    void load_data();
    void load();
    void todaysFileKeepsItsBytes();
    void find_data();
    void find();
    void add();
    void removeAndMove_data();
    void removeAndMove();
    void removeForgetsSecretsAndChoices();

private:
    SettingsStore Write(const QByteArray& bytes);

    KeyringDaemon m_daemon;
    bool m_bKeyring = false;
};

void TestAccounts::init()
{
    QFile::remove(QString::fromStdString(SettingsStore().FilePath()));
}

SettingsStore TestAccounts::Write(const QByteArray& bytes)
{
    SettingsStore settings;
    settings.Open();
    QFile file(QString::fromStdString(settings.FilePath()));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return settings;
}

void TestAccounts::load_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("accounts");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("new file") << QByteArray() << QStringList{"Acct:"} << QStringList{"@"};
    QTest::newRow("today's file") << QByteArray("[Acct]\nServer=s\nUser=u\n") << QStringList{"Acct:u"}
                                  << QStringList{"u@s"};
    QTest::newRow("three") << QByteArray(kThree) << QStringList{"Acct:ann", "Acct2:bob", "Acct3:cy"}
                           << QStringList{"ann@one.example", "Work", "cy@three.example"};
    // Reading stops at the first missing section.
    QTest::newRow("gap") << QByteArray("[Acct]\nUser=a\n[Acct3]\nUser=c\n") << QStringList{"Acct:a"}
                         << QStringList{"a@"};
    // Each row's file has a size of its own: QSettings takes a file of the
    // size and millisecond it last read for the same file.
    QTest::newRow("any letter case") << QByteArray("[Acct]\nUser=a\n[acct2]\nuser=bo\n")
                                     << QStringList{"Acct:a", "Acct2:bo"} << QStringList{"a@", "bo@"};
}

void TestAccounts::load()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, accounts);
    QFETCH(QStringList, shown);
    SettingsStore settings = Write(file);
    const std::vector<AccountSettings> loaded = account_list::Load(settings);
    QCOMPARE(Users(loaded), accounts);
    QStringList names;
    for (const AccountSettings& a : loaded)
        names << QString::fromStdString(a.DisplayName());
    QCOMPARE(names, shown);
}

void TestAccounts::todaysFileKeepsItsBytes()
{
    const QByteArray today = "[Acct]\nPort=110\nSecurity=0\nServer=pop.example.org\nUser=ann\n\n"
                             "[Prefs]\nCheckEvery=10\n";
    SettingsStore settings = Write(today);
    PasswordStore passwords(settings);
    const std::vector<AccountSettings> accounts = account_list::Load(settings, &passwords);
    QCOMPARE(accounts.size(), size_t{1});
    QVERIFY(accounts[0].m_bEnabled);
    QCOMPARE(accounts[0].m_nCheckEvery, -1);
    QCOMPARE(account_list::Find(accounts, "ann@pop.example.org"), 0);
    QCOMPARE(FileBytes(settings), today);
}

void TestAccounts::find_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::newRow("name") << "Work" << 1;
    QTest::newRow("user@server") << "cy@three.example" << 2;
    QTest::newRow("user@server of a named account") << "bob@two.example" << 1;
    QTest::newRow("unknown") << "nobody@one.example" << -1;
    QTest::newRow("case matters") << "work" << -1;
}

void TestAccounts::find()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    SettingsStore settings = Write(kThree);
    QCOMPARE(account_list::Find(account_list::Load(settings), name.toStdString()), index);
}

void TestAccounts::add()
{
    SettingsStore settings;
    settings.Open();
    PasswordStore passwords(settings);
    for (int i = 0; i < 3; ++i) {
        AccountSettings account;
        account.m_sServer = "s" + std::to_string(i);
        account.m_sUser = "u";
        account.m_sName = i == 1 ? "Second" : "";
        account.m_bEnabled = i != 2;
        QVERIFY(account_list::Add(settings, passwords, account));
        QCOMPARE(account.m_sSection, account_list::SectionFor(i));
    }
    const std::vector<AccountSettings> accounts = account_list::Load(settings);
    QCOMPARE(accounts.size(), size_t{3});
    QCOMPARE(accounts[1].m_sName, std::string("Second"));
    QVERIFY(accounts[1].m_bEnabled && !accounts[2].m_bEnabled);
    QCOMPARE(settings.ReadString("Acct", "Name", "<none>"), std::string("<none>"));
    QCOMPARE(settings.ReadString("Acct", "Enabled", "<none>"), std::string("<none>"));
    QCOMPARE(settings.ReadString("Acct", "CheckEvery", "<none>"), std::string("<none>"));
    QCOMPARE(settings.ReadString("Acct3", "Enabled", ""), std::string("0"));

    // The last one the list holds, then no more.
    QByteArray full;
    for (int i = 0; i < account_list::kMaxAccounts - 1; ++i)
        full += "[" + QByteArray::fromStdString(account_list::SectionFor(i)) + "]\nUser=u\n";
    settings = Write(full);
    AccountSettings last, tooMany;
    QVERIFY(account_list::Add(settings, passwords, last));
    QCOMPARE(last.m_sSection, account_list::SectionFor(account_list::kMaxAccounts - 1));
    QVERIFY(!account_list::Add(settings, passwords, tooMany));
    QCOMPARE(account_list::Load(settings).size(), size_t(account_list::kMaxAccounts));
}

void TestAccounts::removeAndMove_data()
{
    QTest::addColumn<int>("remove");  // -1: move instead
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("accounts");
    QTest::addColumn<bool>("ok");
    const QStringList three{"Acct:ann", "Acct2:bob", "Acct3:cy"};
    QTest::newRow("remove first") << 0 << 0 << 0 << QStringList{"Acct:bob", "Acct2:cy"} << true;
    QTest::newRow("remove middle") << 1 << 0 << 0 << QStringList{"Acct:ann", "Acct2:cy"} << true;
    QTest::newRow("remove last") << 2 << 0 << 0 << QStringList{"Acct:ann", "Acct2:bob"} << true;
    QTest::newRow("remove none such") << 3 << 0 << 0 << three << false;
    QTest::newRow("move last to first") << -1 << 2 << 0 << QStringList{"Acct:cy", "Acct2:ann", "Acct3:bob"} << true;
    QTest::newRow("move first to last") << -1 << 0 << 2 << QStringList{"Acct:bob", "Acct2:cy", "Acct3:ann"} << true;
    QTest::newRow("move in place") << -1 << 1 << 1 << three << true;
    QTest::newRow("move out of range") << -1 << 0 << 3 << three << false;
}

void TestAccounts::removeAndMove()
{
    QFETCH(int, remove);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QStringList, accounts);
    QFETCH(bool, ok);
    SettingsStore settings = Write(kThree);
    PasswordStore passwords(settings);
    QCOMPARE(remove >= 0 ? account_list::Remove(settings, passwords, remove) : account_list::Move(settings, from, to),
             ok);
    const std::vector<AccountSettings> after = account_list::Load(settings);
    QCOMPARE(Users(after), accounts);
    // Every value moves with its account, the file's password too.
    for (const AccountSettings& a : after) {
        if (a.m_sUser == "bob") {
            QCOMPARE(a.m_sName, std::string("Work"));
            QCOMPARE(settings.ReadString(a.m_sSection, "Pass", ""), std::string("bobpw"));
        }
        if (a.m_sUser == "cy")
            QVERIFY(!a.m_bEnabled && a.m_nCheckEvery == 5);
        if (a.m_sUser != "bob")
            QCOMPARE(settings.ReadString(a.m_sSection, "Pass", "<none>"), std::string("<none>"));
    }
}

void TestAccounts::removeForgetsSecretsAndChoices()
{
    SettingsStore settings = Write(kThree);
    PasswordStore passwords(settings);
    std::vector<AccountSettings> accounts = account_list::Load(settings);
    for (const AccountSettings& a : accounts) {
        RememberedChoices choices;
        QVERIFY(choices.Load(RememberedChoices::PathFor(a.m_sServer, a.m_sUser, a.m_sPort)));
        choices.Record("uidl-1", true, false);
        QVERIFY(choices.Save());
        if (m_bKeyring) {
            passwords.Save(AccountKey::Of(a, accounts), a.m_sSection, "pw-" + a.m_sUser);
            passwords.SaveToken(AccountKey::Of(a, accounts), a.m_sSection, "tok-" + a.m_sUser);
        }
    }
    QVERIFY(account_list::Remove(settings, passwords, 0));
    for (const AccountSettings& a : accounts) {
        const bool bGone = a.m_sUser == "ann";
        QCOMPARE(QFile::exists(QString::fromStdString(RememberedChoices::PathFor(a.m_sServer, a.m_sUser, a.m_sPort))),
                 !bGone);
        if (!m_bKeyring)
            continue;
        PasswordStore again(settings);
        QCOMPARE(again.Load(AccountKey::Of(a), "Acct9").empty(), bGone);
        QCOMPARE(again.LoadToken(AccountKey::Of(a), "Acct9").empty(), bGone);
    }
    if (!m_bKeyring)
        QSKIP("the keyring part needs gnome-keyring-daemon on a session bus");
}

QTEST_GUILESS_MAIN(TestAccounts)
#include "test_accounts.moc"
