// The password store against a real Secret Service: gnome-keyring-daemon,
// unlocked on the private session bus that dbus-run-session gives this test,
// and the settings file when there is no keyring.
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <QEventLoop>
#include <qt6keychain/keychain.h>

#include "core/storage/AccountList.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/SettingsStore.h"
#include "tests/support/KeyringDaemon.h"

namespace {

AccountKey Key(const std::string& server, const std::string& user, const std::string& port = "110")
{
    return AccountKey{user, server, port};
}

// Three accounts: the first two are the same user on the same server at two
// ports (a local tunnel per server), the third is alone.
struct StoredAccount {
    const char* m_pSection;
    const char* m_pUser;
    const char* m_pServer;
    const char* m_pPort;
};
constexpr StoredAccount kAccounts[] = {{"Acct", "john", "127.0.0.1", "1110"},
                                       {"Acct2", "john", "127.0.0.1", "2110"},
                                       {"Acct3", "ann", "pop.example.org", "995"}};

void WriteAccounts(SettingsStore& settings)
{
    for (const StoredAccount& account : kAccounts) {
        settings.WriteString(account.m_pSection, "User", account.m_pUser);
        settings.WriteString(account.m_pSection, "Server", account.m_pServer);
        settings.WriteString(account.m_pSection, "Port", account.m_pPort);
    }
}

// An entry as an earlier version left it, straight in the keyring.
template <class Job> QString RunRaw(Job* job, const std::string& key)
{
    job->setKey(QString::fromStdString(key));
    QEventLoop loop;
    QString text;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* done) {
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done); read && !done->error())
            text = read->textData();
        loop.quit();
    });
    job->start();
    loop.exec();
    return text;
}

void WriteRaw(const std::string& key, const QString& secret)
{
    auto* job = new QKeychain::WritePasswordJob(QString::fromLatin1(PasswordStore::kService));
    job->setTextData(secret);
    RunRaw(job, key);
}

QString ReadRaw(const std::string& key)
{
    return RunRaw(new QKeychain::ReadPasswordJob(QString::fromLatin1(PasswordStore::kService)), key);
}

// Hides the session bus: no keyring, the settings file takes the secrets.
struct NoKeyring {
    QTemporaryDir m_runtime;
    const QByteArray m_sBus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray m_sDir = qgetenv("XDG_RUNTIME_DIR");
    NoKeyring()
    {
        qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray());
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }
    ~NoKeyring()
    {
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_sBus);
        qputenv("XDG_RUNTIME_DIR", m_sDir);
    }
};

}  // namespace

class TestPasswords : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void keyringRoundTrip_data();
    void keyringRoundTrip();
    void migratesFilePassword_data();
    void migratesFilePassword();
    void forget();
    void fallbackWithoutBus();
    void keyForKeepsAccountsApart();
    void secretsStayWithTheirAccount_data();
    void secretsStayWithTheirAccount();
    void earlierEntries_data();
    void earlierEntries();

private:
    SettingsStore OpenStore(bool* pbCreated = nullptr);
    void RequireKeyring();

    KeyringDaemon m_daemon;
    bool m_bKeyring = false;
};

void TestPasswords::initTestCase()
{
    // Without a bus or a daemon the keyring cases skip; the fallback runs.
    m_bKeyring = m_daemon.Start();
}

void TestPasswords::init()
{
    SettingsStore store;
    QFile::remove(QString::fromStdString(store.FilePath()));
    const QString etc = qEnvironmentVariable("MAVIX_SYSCONFDIR");
    if (!etc.isEmpty())
        QFile::remove(etc + QStringLiteral("/Mavix.INI"));
}

SettingsStore TestPasswords::OpenStore(bool* pbCreated)
{
    SettingsStore store;
    store.Open(pbCreated);
    return store;
}

void TestPasswords::RequireKeyring()
{
    if (!m_bKeyring)
        QSKIP("needs gnome-keyring-daemon on a session bus (run under dbus-run-session)");
}

void TestPasswords::keyringRoundTrip_data()
{
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("password");
    QTest::newRow("plain") << QByteArray("ann") << QByteArray("s3cret");
    // Windows-1252 bytes: the keyring holds them as Unicode text.
    QTest::newRow("western") << QByteArray("b\xe9r\xe9nice") << QByteArray("p\xe4ss\x80\xff");
    QTest::newRow("at in user") << QByteArray("carl@example.org") << QByteArray("x y=z");
}

void TestPasswords::keyringRoundTrip()
{
    RequireKeyring();
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, password);
    SettingsStore settings = OpenStore();
    settings.WriteString("Acct", "Pass", "old");
    PasswordStore store(settings);
    QVERIFY(store.KeyringAvailable());
    QCOMPARE(store.Where(), PasswordStore::kKeyring);
    QCOMPARE(store.Save(Key("pop.example.org", user.toStdString()), "Acct", password.toStdString()), PasswordStore::kKeyring);
    // The file keeps no copy once the keyring has it.
    QCOMPARE(settings.ReadString("Acct", "Pass", "<none>"), std::string("<none>"));
    PasswordStore again(settings);
    QCOMPARE(QByteArray::fromStdString(again.Load(Key("pop.example.org", user.toStdString()), "Acct")), password);
    QCOMPARE(again.Load(Key("other.example.org", user.toStdString()), "Acct"), std::string());
}

void TestPasswords::migratesFilePassword_data()
{
    QTest::addColumn<bool>("fromIni");
    QTest::addColumn<QByteArray>("inKeyring");
    QTest::newRow("settings file") << false << QByteArray();
    QTest::newRow("first-run INI file") << true << QByteArray();
    // A "Pass" in the file is newer than the keyring's entry.
    QTest::newRow("replaces an older entry") << false << QByteArray("older");
}

void TestPasswords::migratesFilePassword()
{
    RequireKeyring();
    QFETCH(bool, fromIni);
    QFETCH(QByteArray, inKeyring);
    if (!inKeyring.isEmpty()) {
        SettingsStore settings = OpenStore();
        QCOMPARE(PasswordStore(settings).Save(Key("mig.example.org", "dora"), "Acct", inKeyring.toStdString()),
                 PasswordStore::kKeyring);
        QFile::remove(QString::fromStdString(settings.FilePath()));
    }
    bool bCreated = false;
    if (fromIni) {
        const QString etc = qEnvironmentVariable("MAVIX_SYSCONFDIR");
        QVERIFY(QDir().mkpath(etc));
        QFile ini(etc + QStringLiteral("/Mavix.INI"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Acct]\nServer=mig.example.org\nUser=dora\nPass=from-file\n");
        ini.close();
    }
    SettingsStore settings = OpenStore(&bCreated);
    QVERIFY(bCreated);
    if (fromIni)
        settings.ImportIniFile();
    else
        settings.WriteString("Acct", "Pass", "from-file");
    QCOMPARE(settings.ReadString("Acct", "Pass", ""), std::string("from-file"));

    PasswordStore store(settings);
    QCOMPARE(store.Load(Key("mig.example.org", "dora"), "Acct"), std::string("from-file"));
    QCOMPARE(settings.ReadString("Acct", "Pass", "<none>"), std::string("<none>"));
    QCOMPARE(settings.ReadString("Acct", "User", ""), fromIni ? std::string("dora") : std::string());
    PasswordStore later(settings);
    QCOMPARE(later.Load(Key("mig.example.org", "dora"), "Acct"), std::string("from-file"));
    later.Forget(Key("mig.example.org", "dora"));
}

void TestPasswords::forget()
{
    RequireKeyring();
    SettingsStore settings = OpenStore();
    PasswordStore store(settings);
    QCOMPARE(store.Save(Key("gone.example.org", "eve"), "Acct", "pw"), PasswordStore::kKeyring);
    store.Forget(Key("gone.example.org", "eve"));
    QCOMPARE(store.Load(Key("gone.example.org", "eve"), "Acct"), std::string());
}

void TestPasswords::fallbackWithoutBus()
{
    QTemporaryDir runtime;  // no "bus" socket in it
    const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray dir = qgetenv("XDG_RUNTIME_DIR");
    const auto restore = qScopeGuard([&] {
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
        qputenv("XDG_RUNTIME_DIR", dir);
    });
    qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    SettingsStore settings = OpenStore();
    PasswordStore store(settings);
    QVERIFY(!store.KeyringAvailable());
    QCOMPARE(store.Where(), PasswordStore::kSettingsFile);
    QCOMPARE(store.Save(Key("pop.example.org", "fred"), "Acct", "p\xe4ss"), PasswordStore::kSettingsFile);
    QCOMPARE(settings.ReadString("Acct", "Pass", ""), std::string("p\xe4ss"));
    QCOMPARE(store.Load(Key("pop.example.org", "fred"), "Acct"), std::string("p\xe4ss"));
    QCOMPARE(QFile::permissions(QString::fromStdString(settings.FilePath())) & (QFile::ReadGroup | QFile::ReadOther),
             QFile::Permissions());
}

void TestPasswords::keyForKeepsAccountsApart()
{
    QVERIFY(Key("c", "a@b").Text() != Key("b@c", "a").Text());
    QCOMPARE(Key("pop.example.org", "a%40b@x").Text(), std::string("a%2540b%40x@pop.example.org:110"));
    QCOMPARE(Key("pop.example.org", "a%40b@x").LegacyText(), std::string("a%2540b%40x@pop.example.org"));
}

void TestPasswords::secretsStayWithTheirAccount_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("keyring");
    QTest::addColumn<bool>("token");
    for (int position = 0; position < 3; ++position)
        for (bool keyring : {true, false})
            for (bool token : {false, true})
                QTest::addRow("account %d, %s, %s", position + 1, keyring ? "keyring" : "file",
                              token ? "refresh token" : "password")
                    << position << keyring << token;
}

// Each account's password and refresh token are its own, whatever its
// place in the list, the keyring or the file: saved, loaded, and replaced
// (a rotated token, a changed password) without touching the others'.
void TestPasswords::secretsStayWithTheirAccount()
{
    QFETCH(int, position);
    QFETCH(bool, keyring);
    QFETCH(bool, token);
    if (keyring)
        RequireKeyring();
    std::unique_ptr<NoKeyring> hidden(keyring ? nullptr : new NoKeyring);
    SettingsStore settings = OpenStore();
    WriteAccounts(settings);
    const std::vector<AccountSettings> accounts = account_list::Load(settings);
    QCOMPARE(accounts.size(), size_t(3));
    PasswordStore store(settings);
    QCOMPARE(store.Where(), keyring ? PasswordStore::kKeyring : PasswordStore::kSettingsFile);
    const auto save = [&](const AccountSettings& account, const std::string& secret) {
        const AccountKey key = AccountKey::Of(account, accounts);
        return token ? store.SaveToken(key, account.m_sSection, secret) : store.Save(key, account.m_sSection, secret);
    };
    for (const AccountSettings& account : accounts)
        save(account, "secret-" + account.m_sSection);
    save(accounts[size_t(position)], "replaced");
    PasswordStore again(settings);
    for (size_t i = 0; i < accounts.size(); ++i) {
        const AccountKey key = AccountKey::Of(accounts[i], accounts);
        const std::string loaded =
            token ? again.LoadToken(key, accounts[i].m_sSection) : again.Load(key, accounts[i].m_sSection);
        QCOMPARE(loaded, int(i) == position ? std::string("replaced") : "secret-" + accounts[i].m_sSection);
    }
    for (const AccountSettings& account : accounts) {
        again.Forget(AccountKey::Of(account, accounts));
        again.ForgetToken(AccountKey::Of(account, accounts), account.m_sSection);
    }
}

void TestPasswords::earlierEntries_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("token");
    QTest::addColumn<bool>("owned");
    for (bool token : {false, true}) {
        const char* kind = token ? "refresh token" : "password";
        // Two accounts have john@127.0.0.1: the entry is neither's.
        QTest::addRow("shared user and server, %s", kind) << 0 << token << false;
        QTest::addRow("shared, the other port, %s", kind) << 1 << token << false;
        QTest::addRow("alone, %s", kind) << 2 << token << true;
    }
}

// An entry under "user@server" (earlier versions) is read for the one
// account that has that user and server, and moved to its own name; when
// several have them it is left alone and nothing is read.
void TestPasswords::earlierEntries()
{
    RequireKeyring();
    QFETCH(int, position);
    QFETCH(bool, token);
    QFETCH(bool, owned);
    SettingsStore settings = OpenStore();
    WriteAccounts(settings);
    const std::vector<AccountSettings> accounts = account_list::Load(settings);
    const AccountSettings& account = accounts[size_t(position)];
    const AccountKey key = account_list::KeyOf(settings, account);
    QCOMPARE(key.m_bOwnsLegacy, owned);
    const std::string prefix = token ? "oauth:" : "";
    WriteRaw(prefix + key.LegacyText(), QStringLiteral("earlier"));
    PasswordStore store(settings);
    const std::string loaded = token ? store.LoadToken(key, account.m_sSection) : store.Load(key, account.m_sSection);
    QCOMPARE(loaded, owned ? std::string("earlier") : std::string());
    QCOMPARE(ReadRaw(prefix + key.LegacyText()), owned ? QString() : QStringLiteral("earlier"));
    QCOMPARE(ReadRaw(token ? key.TokenText() : key.Text()),
             owned ? QStringLiteral("earlier") : QString());
    PasswordStore(settings).Forget(AccountKey{key.m_sUser, key.m_sServer, key.m_sPort, true});
    PasswordStore(settings).ForgetToken(AccountKey{key.m_sUser, key.m_sServer, key.m_sPort, true}, account.m_sSection);
}

QTEST_GUILESS_MAIN(TestPasswords)
#include "test_passwords.moc"
