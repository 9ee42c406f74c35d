// The password store against a real Secret Service: gnome-keyring-daemon,
// unlocked on the private session bus that dbus-run-session gives this test,
// and the settings file when there is no keyring.
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include "core/storage/PasswordStore.h"
#include "core/storage/SettingsStore.h"
#include "tests/support/KeyringDaemon.h"

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
    QCOMPARE(store.Save("pop.example.org", user.toStdString(), password.toStdString()), PasswordStore::kKeyring);
    // The file keeps no copy once the keyring has it.
    QCOMPARE(settings.ReadString("Acct", "Pass", "<none>"), std::string("<none>"));
    PasswordStore again(settings);
    QCOMPARE(QByteArray::fromStdString(again.Load("pop.example.org", user.toStdString())), password);
    QCOMPARE(again.Load("other.example.org", user.toStdString()), std::string());
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
        QCOMPARE(PasswordStore(settings).Save("mig.example.org", "dora", inKeyring.toStdString()),
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
    QCOMPARE(store.Load("mig.example.org", "dora"), std::string("from-file"));
    QCOMPARE(settings.ReadString("Acct", "Pass", "<none>"), std::string("<none>"));
    QCOMPARE(settings.ReadString("Acct", "User", ""), fromIni ? std::string("dora") : std::string());
    PasswordStore later(settings);
    QCOMPARE(later.Load("mig.example.org", "dora"), std::string("from-file"));
    later.Forget("mig.example.org", "dora");
}

void TestPasswords::forget()
{
    RequireKeyring();
    SettingsStore settings = OpenStore();
    PasswordStore store(settings);
    QCOMPARE(store.Save("gone.example.org", "eve", "pw"), PasswordStore::kKeyring);
    store.Forget("gone.example.org", "eve");
    QCOMPARE(store.Load("gone.example.org", "eve"), std::string());
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
    QCOMPARE(store.Save("pop.example.org", "fred", "p\xe4ss"), PasswordStore::kSettingsFile);
    QCOMPARE(settings.ReadString("Acct", "Pass", ""), std::string("p\xe4ss"));
    QCOMPARE(store.Load("pop.example.org", "fred"), std::string("p\xe4ss"));
    QCOMPARE(QFile::permissions(QString::fromStdString(settings.FilePath())) & (QFile::ReadGroup | QFile::ReadOther),
             QFile::Permissions());
}

void TestPasswords::keyForKeepsAccountsApart()
{
    QVERIFY(PasswordStore::KeyFor("c", "a@b") != PasswordStore::KeyFor("b@c", "a"));
    QCOMPARE(PasswordStore::KeyFor("pop.example.org", "a%40b@x"), std::string("a%2540b%40x@pop.example.org"));
}

QTEST_GUILESS_MAIN(TestPasswords)
#include "test_passwords.moc"
