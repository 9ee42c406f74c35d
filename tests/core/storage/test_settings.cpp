// The settings store: read rules, write rules, the private file, byte
// round-trips and the first-run import.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

#include "core/storage/AccountSettings.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/Preferences.h"
#include "core/storage/SettingsStore.h"

namespace {

QByteArray Q(const std::string& s)
{
    return QByteArray::fromStdString(s);
}

mode_t FileMode(const QString& path)
{
    struct stat st { };
    if (stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// An edit by hand or by another program: as any edit made at a later
// moment, it leaves a newer modification time. (QSettings does not re-read
// a file whose size and time in milliseconds are both unchanged.)
void HandEdit(const QString& path, const QByteArray& bytes)
{
    const QDateTime before = QFileInfo(path).lastModified();
    WriteFile(path, bytes);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(before.addSecs(1), QFileDevice::FileModificationTime));
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void openCreatesPrivateFile();
    void readInt_data();
    void readInt();
    void lengthLimit();
    void readNeverCreates();
    void writeCreatesWhatIsMissing();
    void bytesRoundTrip();
    void modeKeptOnRewrite();
    void nothingLeftBeside();
    void noStaleReads();
    void namesIgnoreCase();
    void deleteAndReplace();
    void import_data();
    void import();
    void importOnlyOnFirstStart();
    void linksAndForeignFilesRefused_data();
    void linksAndForeignFilesRefused();
    void accountRoundTrip();
    void accountPorts_data();
    void accountPorts();
    void signalSwitches();

private:
    QString ConfPath() const { return m_sConfig + "/Tarvane Software/Mavix.conf"; }
    QString IniPath() const { return m_sEtc + "/Mavix.INI"; }

    QTemporaryDir m_tmp;
    QString m_sConfig;
    QString m_sEtc;
    SettingsStore m_store;
};

void TestSettings::initTestCase()
{
    // ctest gives every test its own homes; a direct run gets temporary ones
    // so that it never touches the user's real settings.
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_tmp.path() + "/config"));
    if (qEnvironmentVariableIsEmpty("MAVIX_SYSCONFDIR"))
        qputenv("MAVIX_SYSCONFDIR", QFile::encodeName(m_tmp.path() + "/etc"));
    m_sConfig = qEnvironmentVariable("XDG_CONFIG_HOME");
    m_sEtc = qEnvironmentVariable("MAVIX_SYSCONFDIR");
    QDir().mkpath(m_sEtc);
}

void TestSettings::init()
{
    QFile::remove(ConfPath());
    QFile::remove(IniPath());
    bool created = false;
    QVERIFY(m_store.Open(&created));
    QVERIFY(created);
}

void TestSettings::openCreatesPrivateFile()
{
    QCOMPARE(QString::fromStdString(m_store.FilePath()), ConfPath());
    QVERIFY(QFile::exists(ConfPath()));
    QCOMPARE(FileMode(ConfPath()), mode_t(0600));

    // A second open finds the same file.
    bool created = true;
    SettingsStore other;
    QVERIFY(other.Open(&created));
    QVERIFY(!created);
    QCOMPARE(other.FilePath(), m_store.FilePath());

    // A file others could read (left by an older program) is made private.
    QVERIFY(
        QFile::setPermissions(ConfPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(other.Open(&created));
    QCOMPARE(FileMode(ConfPath()), mode_t(0600));

    // The folder made for the file is private too.
    QFile::remove(ConfPath());
    QVERIFY(QDir(m_sConfig + "/Tarvane Software").removeRecursively());
    QVERIFY(other.Open(&created));
    QVERIFY(created);
    QCOMPARE(FileMode(m_sConfig + "/Tarvane Software"), mode_t(0700));
}

void TestSettings::readInt_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("expected");
    QTest::newRow("digits then letters") << QByteArray("12abc") << 12;
    QTest::newRow("blank and minus") << QByteArray(" -7") << -7;
    QTest::newRow("tab and plus") << QByteArray("\t+5") << 5;
    QTest::newRow("empty") << QByteArray("") << 99;
    QTest::newRow("letters") << QByteArray("abc") << 99;
    QTest::newRow("sign only") << QByteArray("-") << 99;
    QTest::newRow("sign then blank") << QByteArray("- 1") << 99;
    QTest::newRow("hex prefix") << QByteArray("0x10") << 0;
    QTest::newRow("leading zeros") << QByteArray("007") << 7;
    QTest::newRow("too large") << QByteArray("99999999999") << INT_MAX;
    QTest::newRow("too small") << QByteArray("-99999999999") << INT_MIN;
    QTest::newRow("smallest int") << QByteArray("-2147483648") << INT_MIN;
}

void TestSettings::readInt()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, expected);
    QVERIFY(m_store.WriteString("Screen", "x", stored.toStdString()));
    QCOMPARE(m_store.ReadInt("Screen", "x", 99), expected);
}

void TestSettings::lengthLimit()
{
    const std::string v259(259, 'a');
    const std::string v260(260, 'b');
    QVERIFY(m_store.WriteString("Acct", "Server", v259));
    QVERIFY(m_store.WriteString("Acct", "User", v260));
    QCOMPARE(m_store.ReadString("Acct", "Server", "d"), v259);
    QCOMPARE(m_store.ReadString("Acct", "User", "d"), std::string("d"));
    QVERIFY(m_store.WriteString("Screen", "x", std::string(258, ' ') + "5"));
    QCOMPARE(m_store.ReadInt("Screen", "x", 1), 5);
    QVERIFY(m_store.WriteString("Screen", "x", std::string(259, ' ') + "5"));
    QCOMPARE(m_store.ReadInt("Screen", "x", 1), 1);
    // The limit counts bytes, also those that take more room in the file.
    QVERIFY(m_store.WriteString("Acct", "Pass", std::string(259, '\x80')));
    QCOMPARE(m_store.ReadString("Acct", "Pass", "d"), std::string(259, '\x80'));
}

void TestSettings::readNeverCreates()
{
    QVERIFY(m_store.WriteInt("Prefs", "Start", 1));
    const QByteArray before = ReadFile(ConfPath());
    QCOMPARE(m_store.ReadString("Acct", "Port", "110"), std::string("110"));
    QCOMPARE(m_store.ReadString("Acct", "Server", ""), std::string());
    QCOMPARE(m_store.ReadInt("Screen", "cx", 0), 0);
    QCOMPARE(m_store.ReadInt("Prefs", "End", 0), 0);
    QCOMPARE(ReadFile(ConfPath()), before);
    QSettings raw(ConfPath(), QSettings::IniFormat);
    QCOMPARE(raw.childGroups(), QStringList{"Prefs"});

    // Without a file, reads give defaults and create nothing.
    QVERIFY(QFile::remove(ConfPath()));
    QCOMPARE(m_store.ReadInt("Prefs", "Start", 7), 7);
    QVERIFY(!QFile::exists(ConfPath()));
}

void TestSettings::writeCreatesWhatIsMissing()
{
    // The file vanished while the program ran: the next write makes it anew,
    // private from its first byte.
    QVERIFY(QDir(m_sConfig + "/Tarvane Software").removeRecursively());
    QVERIFY(m_store.WriteInt("List", "col3", 120));
    QCOMPARE(FileMode(ConfPath()), mode_t(0600));
    QCOMPARE(m_store.ReadInt("List", "col3", 0), 120);
    QVERIFY(m_store.WriteInt("Screen", "y", -30));
    QCOMPARE(m_store.ReadInt("Screen", "y", 0), -30);
    QCOMPARE(m_store.ReadInt("List", "col3", 0), 120);
    // The stored text is exactly "%d".
    QCOMPARE(m_store.ReadString("Screen", "y", ""), std::string("-30"));

    QVERIFY(!m_store.WriteString("", "x", "1"));
    QVERIFY(!m_store.WriteString("A/B", "x", "1"));
    QVERIFY(!m_store.WriteString("Screen", "", "1"));
}

void TestSettings::bytesRoundTrip()
{
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    // Pieces short enough to read back, covering every byte but NUL.
    for (size_t i = 0; i < all.size(); i += 64) {
        const std::string piece = all.substr(i, 64);
        const std::string name = "v" + std::to_string(i);
        QVERIFY(m_store.WriteString("Bytes", name, piece));
        QCOMPARE(Q(m_store.ReadString("Bytes", name, "")), Q(piece));
    }
    // Quoting and escaping in the file must not leak into the values.
    for (const char* tricky : {" lead", "trail ", "a,b", "a;b", "a=b", "\"q\"", "@ByteArray(x)", "@@", "back\\slash",
                               "%20", "line\nbreak", "cr\rx", "\x80\x81\x8D\x8F\x90\x9D\xFF", ""}) {
        QVERIFY(m_store.WriteString("Bytes", "t", tricky));
        QCOMPARE(Q(m_store.ReadString("Bytes", "t", "absent")), QByteArray(tricky));
    }
    // Names keep their bytes too.
    const std::string section = "Sekti\xF6n \x80[1]";
    const std::string name = "Port \x9A=;#";
    QVERIFY(m_store.WriteString(section, name, "ok"));
    QCOMPARE(m_store.ReadString(section, name, ""), std::string("ok"));

    // The file is UTF-8 text a user can read: the euro sign, not a control.
    QVERIFY(m_store.WriteString("Acct", "Pass", "\x80uro L\xF6we"));
    QVERIFY(ReadFile(ConfPath())
                .contains("\xE2\x82\xAC"
                          "uro L\xC3\xB6we"));
    // And a hand edit in UTF-8 reads back as the Windows-1252 bytes.
    QByteArray text = ReadFile(ConfPath());
    text.replace("\xE2\x82\xAC"
                 "uro",
                 "\xC5\xA0"
                 "koda");
    HandEdit(ConfPath(), text);
    QCOMPARE(Q(m_store.ReadString("Acct", "Pass", "")), QByteArray("\x8Akoda L\xF6we"));
}

void TestSettings::modeKeptOnRewrite()
{
    QVERIFY(m_store.WriteString("Acct", "Pass", "secret"));
    QCOMPARE(FileMode(ConfPath()), mode_t(0600));
    QVERIFY(m_store.ReplaceSection("SizeList", {{"0", "113K"}}));
    QCOMPARE(FileMode(ConfPath()), mode_t(0600));
    QCOMPARE(m_store.DeleteSection("SizeList"), SettingsStore::kSectionDeleted);
    QCOMPARE(FileMode(ConfPath()), mode_t(0600));
    // A lax umask does not loosen the file either.
    const mode_t old = umask(0);
    QVERIFY(m_store.WriteInt("Prefs", "Def", 1));
    umask(old);
    QCOMPARE(FileMode(ConfPath()), mode_t(0600));
}

// A write leaves nothing beside the file, also not what a killed writer
// left, keeps the mode the owner chose, and never replaces a file its owner
// made read-only.
void TestSettings::nothingLeftBeside()
{
    const QString folder = QFileInfo(ConfPath()).absolutePath();
    WriteFile(folder + "/.Mavix.conf.k1LLed", "[Acct]\nPass=half");
    QVERIFY(QFile::setPermissions(ConfPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(m_store.WriteString("Acct", "User", "ann"));
    QCOMPARE(FileMode(ConfPath()), mode_t(0700));
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    QCOMPARE(QDir(folder).entryList(all), QStringList{"Mavix.conf"});
    if (geteuid() != 0) {  // root may write it all the same
        QVERIFY(QFile::setPermissions(ConfPath(), QFile::ReadOwner));
        QVERIFY(!m_store.WriteString("Acct", "User", "bob"));
        QCOMPARE(m_store.ReadString("Acct", "User", ""), std::string("ann"));
        QCOMPARE(QDir(folder).entryList(all), QStringList{"Mavix.conf"});
    }
}

void TestSettings::noStaleReads()
{
    // Another store object (another window, another process) sees every
    // write at once, and so do hand edits of the file.
    SettingsStore other;
    QVERIFY(other.Open());
    for (int i = 0; i < 20; ++i) {
        QVERIFY(m_store.WriteInt("Screen", "x", i));
        QCOMPARE(other.ReadInt("Screen", "x", -1), i);
    }
    for (char digit : {'1', '2', '3'}) {
        HandEdit(ConfPath(), QByteArray("[Screen]\nx=") + digit + "\n");
        QCOMPARE(m_store.ReadInt("Screen", "x", -1), digit - '0');
    }
    // A write merges with what is on disk instead of a stale copy.
    HandEdit(ConfPath(), "[Acct]\nServer=pop.example.com\n");
    QVERIFY(other.WriteString("Acct", "User", "ann"));
    QCOMPARE(m_store.ReadString("Acct", "Server", ""), std::string("pop.example.com"));
    QCOMPARE(m_store.ReadString("Acct", "User", ""), std::string("ann"));
}

void TestSettings::namesIgnoreCase()
{
    QVERIFY(m_store.WriteInt("Screen", "cx", 800));
    QCOMPARE(m_store.ReadInt("SCREEN", "CX", 0), 800);
    QVERIFY(m_store.WriteInt("screen", "CX", 640));
    QCOMPARE(m_store.ReadInt("Screen", "cx", 0), 640);
    // One entry, under the spelling it was first stored with.
    QSettings raw(ConfPath(), QSettings::IniFormat);
    QCOMPARE(raw.childGroups(), QStringList{"Screen"});
    raw.beginGroup("Screen");
    QCOMPARE(raw.childKeys(), QStringList{"cx"});
}

void TestSettings::deleteAndReplace()
{
    QCOMPARE(m_store.DeleteSection("SubList"), SettingsStore::kNoSuchSection);
    for (int i = 0; i < 5; ++i)
        QVERIFY(m_store.WriteString("SubList", std::to_string(i), "e" + std::to_string(i)));
    QVERIFY(m_store.WriteInt("Prefs", "End", 1));
    QVERIFY(m_store.ReplaceSection("SubList", {{"0", "a"}, {"1", "b"}}));
    QCOMPARE(m_store.ReadString("SubList", "1", ""), std::string("b"));
    QCOMPARE(m_store.ReadString("SubList", "2", ""), std::string());
    QCOMPARE(m_store.ReadInt("Prefs", "End", 0), 1);
    QCOMPARE(m_store.DeleteSection("sublist"), SettingsStore::kSectionDeleted);
    QCOMPARE(m_store.ReadString("SubList", "0", ""), std::string());
    QCOMPARE(m_store.ReadInt("Prefs", "End", 0), 1);
    QCOMPARE(m_store.DeleteSection("SubList"), SettingsStore::kNoSuchSection);
}

void TestSettings::import_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("expected");  // null = absent

    const QByteArray absent;
    QTest::newRow("blanks inside header")
        << QByteArray("[ Screen ]\r\nx=10\r\n") << QByteArray("Screen") << QByteArray("x") << QByteArray("10");
    QTest::newRow("blanks around = kept")
        << QByteArray("[Screen]\nx = 10\n") << QByteArray("Screen") << QByteArray("x ") << QByteArray(" 10");
    QTest::newRow("no trimmed name, so no plain x")
        << QByteArray("[Screen]\nx = 10\n") << QByteArray("Screen") << QByteArray("x") << absent;
    QTest::newRow("line trimmed first") << QByteArray("  [Acct]  \n\t Port=110 \n") << QByteArray("Acct")
                                        << QByteArray("Port") << QByteArray("110");
    QTest::newRow("value before any header dropped")
        << QByteArray("x=1\n[Screen]\ny=2\n") << QByteArray("Screen") << QByteArray("x") << absent;
    QTest::newRow("x[y] is no header") << QByteArray("[Screen]\nx[y]\nx=3\n") << QByteArray("Screen") << QByteArray("x")
                                       << QByteArray("3");
    QTest::newRow("x[y] opens no section")
        << QByteArray("[A]\nx[y]\nz=1\n") << QByteArray("A") << QByteArray("z") << QByteArray("1");
    QTest::newRow("later ] makes no header")
        << QByteArray("[A]\n[B]c]=5\n") << QByteArray("A") << QByteArray("[B]c]") << QByteArray("5");
    QTest::newRow("no comment syntax") << QByteArray("[A]\n;Port=1\n") << QByteArray("A") << QByteArray(";Port")
                                       << QByteArray("1");
    QTest::newRow("first = splits") << QByteArray("[A]\nk=a=b\n") << QByteArray("A") << QByteArray("k")
                                    << QByteArray("a=b");
    QTest::newRow("empty value") << QByteArray("[Acct]\nServer=\n") << QByteArray("Acct") << QByteArray("Server")
                                 << QByteArray("");
    QTest::newRow("repeated section joins")
        << QByteArray("[A]\nx=1\n[B]\ny=2\n[A]\nz=3\n") << QByteArray("A") << QByteArray("x") << QByteArray("1");
    QTest::newRow("last value wins") << QByteArray("[A]\nx=1\nx=2\n") << QByteArray("A") << QByteArray("x")
                                     << QByteArray("2");
    QTest::newRow("519-character reads") << QByteArray("[A]\n" + QByteArray(519, 'a') + "b=1\n") << QByteArray("A")
                                         << QByteArray("b") << QByteArray("1");
    QTest::newRow("519 characters with the line feed are one read")
        << QByteArray("[A]\n" + QByteArray(515, 'a') + "b=1\n") << QByteArray("A")
        << QByteArray(QByteArray(515, 'a') + "b") << QByteArray("1");
    QTest::newRow("Windows-1252 bytes") << QByteArray("[Acct]\nServer=m\xE4il.\x80.de\n") << QByteArray("Acct")
                                        << QByteArray("Server") << QByteArray("m\xE4il.\x80.de");
    QTest::newRow("empty header drops values")
        << QByteArray("[A]\nx=1\n[ ]\ny=2\n") << QByteArray("A") << QByteArray("y") << absent;
}

void TestSettings::import()
{
    QFETCH(QByteArray, ini);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, expected);
    WriteFile(IniPath(), ini);
    m_store.ImportIniFile();
    const std::string value = m_store.ReadString(section.toStdString(), name.toStdString(), "<absent>");
    if (expected.isNull())
        QCOMPARE(value, std::string("<absent>"));
    else
        QCOMPARE(Q(value), expected);
    QCOMPARE(FileMode(ConfPath()), mode_t(0600));
}

void TestSettings::importOnlyOnFirstStart()
{
    // What the application does at start: import only into a new file.
    auto start = [this](SettingsStore& store) {
        bool created = false;
        QVERIFY(store.Open(&created));
        if (created)
            store.ImportIniFile();
    };
    QVERIFY(QFile::remove(ConfPath()));
    WriteFile(IniPath(), "[Acct]\nServer=first\n[Prefs]\nStart=1\n");
    SettingsStore store;
    start(store);
    QCOMPARE(store.ReadString("Acct", "Server", ""), std::string("first"));
    QCOMPARE(store.ReadInt("Prefs", "Start", 0), 1);
    QVERIFY(store.WriteString("Acct", "Server", "mine"));

    WriteFile(IniPath(), "[Acct]\nServer=second\n");
    start(store);
    QCOMPARE(store.ReadString("Acct", "Server", ""), std::string("mine"));

    // The import file itself is left as it was.
    QCOMPARE(ReadFile(IniPath()), QByteArray("[Acct]\nServer=second\n"));

    QVERIFY(QFile::remove(ConfPath()));
    start(store);
    QCOMPARE(store.ReadString("Acct", "Server", ""), std::string("second"));
    QCOMPARE(store.ReadInt("Prefs", "Start", 0), 0);

    // No import file: nothing happens, the store stays usable.
    QVERIFY(QFile::remove(ConfPath()));
    QVERIFY(QFile::remove(IniPath()));
    start(store);
    QCOMPARE(store.ReadString("Acct", "Server", "none"), std::string("none"));
}

void TestSettings::linksAndForeignFilesRefused_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("problem");
    QTest::newRow("file is a link") << 0 << "is a symbolic link";
    QTest::newRow("folder is a link") << 1 << "is a symbolic link";
    QTest::newRow("another user's file") << 2 << "belongs to another user";
}

void TestSettings::linksAndForeignFilesRefused()
{
    QFETCH(int, kind);
    QFETCH(QString, problem);
    if (kind == 2 && geteuid() != 0)
        QSKIP("planting another user's file needs root");
    const QString folder = m_sConfig + "/Tarvane Software";
    const QString target = m_tmp.path() + "/elsewhere/Mavix.conf";
    WriteFile(target, "[Acct]\nPass=other\n");
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    QFile::remove(ConfPath());
    if (kind == 0) {
        QVERIFY(QFile::link(target, ConfPath()));
    } else if (kind == 1) {
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(QFile::link(m_tmp.path() + "/elsewhere", folder));
    } else {
        QVERIFY(QFile::copy(target, ConfPath()));
        QCOMPARE(::chown(QFile::encodeName(ConfPath()).constData(), 65532, 65532), 0);
    }

    SettingsStore store;
    QVERIFY(!store.Open());
    QVERIFY2(QString::fromStdString(store.Problem()).contains(problem), store.Problem().c_str());
    QCOMPARE(Q(store.ReadString("Acct", "Pass", "none")), QByteArray("none"));
    QVERIFY(!store.WriteString("Acct", "Pass", "mine"));
    QCOMPARE(FileMode(target), mode_t(0604));  // never chmod-ed through
    QCOMPARE(ReadFile(target), QByteArray("[Acct]\nPass=other\n"));

    QFile::remove(kind == 1 ? folder : ConfPath());
    QVERIFY(QDir().mkpath(folder));
}

// The account as the account window stores it and both front ends read it:
// every value's bytes, the defaults, and the file as it was always written.
void TestSettings::accountRoundTrip()
{
    const AccountSettings none = AccountSettings::Load(m_store);
    QCOMPARE(none.m_sPort, std::string("110"));
    QCOMPARE(none.m_sSecurity, std::string("0"));
    QVERIFY(none.m_sServer.empty() && none.m_sUser.empty() && none.m_sTlsFingerprint.empty());

    PasswordStore passwords(m_store);
    if (passwords.Where() != PasswordStore::kSettingsFile)
        QSKIP("a keyring answers here; this checks the password's place in the file");
    const AccountSettings account{"pop.example.org", "ann", "p\x80ss", "995", "2", "AB:CD"};
    account.Save(m_store, passwords, none);
    const AccountSettings back = AccountSettings::Load(m_store, &passwords);
    QCOMPARE(back.m_sServer, account.m_sServer);
    QCOMPARE(back.m_sUser, account.m_sUser);
    QCOMPARE(Q(back.m_sPass), Q(account.m_sPass));
    QCOMPARE(back.m_sPort, account.m_sPort);
    QCOMPARE(back.m_sSecurity, account.m_sSecurity);
    QCOMPARE(back.m_sTlsFingerprint, account.m_sTlsFingerprint);
    QCOMPARE(ReadFile(ConfPath()),
             QByteArray("[Acct]\nPass=p\xE2\x82\xACss\nPort=995\nSecurity=2\n"
                        "Server=pop.example.org\nTlsFingerprint=AB:CD\nUser=ann\n"));

    // The authserv-ids to trust: stored only once set, read as a list.
    AccountSettings ids = back;
    ids.m_sAuthServIds = " mx.google.com, ,mx2.google.com";
    ids.Save(m_store, passwords, back);
    QCOMPARE(AccountSettings::Load(m_store).AuthServIds(),
             (std::vector<std::string>{"mx.google.com", "mx2.google.com"}));
    QCOMPARE(Preferences().Signals(AccountSettings::Load(m_store)).m_aAuthServIds.size(), size_t(2));
}

// The sender checks are on unless the file says 0: saving the preferences
// writes a switch only when it is off, and removes it once it is on again.
void TestSettings::signalSwitches()
{
    auto anySwitch = [this] {
        const QByteArray file = ReadFile(ConfPath());
        return file.contains("CheckAuthentication") || file.contains("CheckNames") || file.contains("CheckLookAlikes");
    };
    QVERIFY(m_store.WriteInt("Prefs", "Start", 1));
    Preferences prefs = Preferences::Load(m_store);
    QCOMPARE(prefs.m_bCheckAuthentication + prefs.m_bCheckNames + prefs.m_bCheckLookAlikes, 3);
    QVERIFY(prefs.Save(m_store));
    QVERIFY(!anySwitch());
    prefs.m_bCheckNames = 0;
    QVERIFY(prefs.Save(m_store));
    QVERIFY(ReadFile(ConfPath()).contains("CheckNames=0\n"));
    const SignalOptions options = Preferences::Load(m_store).Signals(AccountSettings{});
    QVERIFY(options.m_bAuthentication && !options.m_bNames && options.m_bLookAlike);
    prefs.m_bCheckNames = 1;
    QVERIFY(prefs.Save(m_store));
    QVERIFY(!anySwitch());
}

void TestSettings::accountPorts_data()
{
    // The port a security choice leaves, and how a typed port is stored.
    QTest::addColumn<QByteArray>("security");
    QTest::addColumn<QByteArray>("port");
    QTest::addColumn<QByteArray>("follows");
    QTest::addColumn<QByteArray>("normalised");
    QTest::newRow("110 becomes 995 for TLS")
        << QByteArray("2") << QByteArray("110") << QByteArray("995") << QByteArray("110");
    QTest::newRow("995 becomes 110 for none")
        << QByteArray("0") << QByteArray("995") << QByteArray("110") << QByteArray("995");
    QTest::newRow("995 becomes 110 for STLS")
        << QByteArray("1") << QByteArray("995") << QByteArray("110") << QByteArray("995");
    QTest::newRow("an own port stays") << QByteArray("2") << QByteArray("2110") << QByteArray("2110")
                                       << QByteArray("2110");
    QTest::newRow("blanks and zeros around")
        << QByteArray("2") << QByteArray(" 0110\t") << QByteArray(" 0110\t") << QByteArray("110");
    QTest::newRow("highest port") << QByteArray("0") << QByteArray("65535") << QByteArray("65535")
                                  << QByteArray("65535");
    QTest::newRow("beyond the highest") << QByteArray("0") << QByteArray("65536") << QByteArray("65536")
                                        << QByteArray();
    QTest::newRow("beyond 64 bits") << QByteArray("0") << QByteArray("184467440737095516170")
                                    << QByteArray("184467440737095516170") << QByteArray();
    QTest::newRow("zero") << QByteArray("0") << QByteArray("0") << QByteArray("0") << QByteArray();
    QTest::newRow("sign") << QByteArray("0") << QByteArray("+110") << QByteArray("+110") << QByteArray();
    QTest::newRow("blank inside") << QByteArray("0") << QByteArray("1 10") << QByteArray("1 10") << QByteArray();
    QTest::newRow("empty") << QByteArray("0") << QByteArray("") << QByteArray("") << QByteArray();
}

void TestSettings::accountPorts()
{
    QFETCH(QByteArray, security);
    QFETCH(QByteArray, port);
    QFETCH(QByteArray, follows);
    QFETCH(QByteArray, normalised);
    const AccountSettings::Security choice = AccountSettings::SecurityOf(security.toStdString());
    QCOMPARE(Q(AccountSettings::PortFor(choice, port.toStdString())), follows);
    QCOMPARE(Q(AccountSettings::NormalisePort(port.toStdString())), normalised);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
