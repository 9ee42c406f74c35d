// The account's session as every front end holds it: built from the
// account's own section, and ending each purge with one outcome.
#include <QCoreApplication>
#include <QFile>
#include <QTest>

#include "core/session/AccountSession.h"
#include "core/session/SessionOutcome.h"
#include "core/storage/AccountList.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/Preferences.h"
#include "core/storage/SettingsKeys.h"
#include "core/storage/SettingsStore.h"

namespace {

// The outcomes' table: each row a purge's result.
enum Shape {
    kAllDeleted,
    kNothingChecked,
    kRefused,
    kMismatch,
    kAlreadyGone,
    kNoCopy,
    kJournalBehind,
    kNotStarted,
    kBroken,
    kNotRecorded,
    kUnconfirmed,
    kQuitRefused,
    kCancelled,
};

PurgeResult ResultOf(Shape shape)
{
    PurgeResult result;
    result.m_bCommitted = shape != kNotStarted && shape != kBroken && shape != kNotRecorded && shape != kUnconfirmed
        && shape != kQuitRefused && shape != kCancelled;
    if (shape != kNothingChecked && shape != kNotStarted && shape != kCancelled)
        result.m_aMarked = {1, 2};
    result.m_aRefused = shape == kRefused ? std::vector<int>{3} : std::vector<int>{};
    result.m_aChanged = shape == kMismatch ? std::vector<int>{3, 4} : std::vector<int>{};
    result.m_aGone = shape == kAlreadyGone ? std::vector<int>{3} : std::vector<int>{};
    result.m_aNotKept = shape == kNoCopy ? std::vector<int>{3} : std::vector<int>{};
    result.m_bJournalBehind = shape == kJournalBehind;
    result.m_sNotStarted = shape == kNotStarted ? "Another purge of this account is running." : "";
    result.m_bBroken = shape == kBroken;
    result.m_bNotRecorded = shape == kNotRecorded;
    result.m_bUnconfirmed = shape == kUnconfirmed;
    result.m_bCancelled = shape == kCancelled;
    if (shape == kBroken || shape == kNotRecorded || shape == kUnconfirmed || shape == kQuitRefused)
        result.m_sReason = "-ERR busy";
    if (shape == kNoCopy || shape == kRefused)
        result.m_sLastReply = "-ERR no";
    return result;
}

}  // namespace

class TestAccountSession : public QObject {
    Q_OBJECT
private slots:
    void init();
    void purgeOutcomes_data();
    void purgeOutcomes();
    void scanOutcomes();
    void eachAccountItsOwnSignIn_data();
    void eachAccountItsOwnSignIn();
    void names_data();
    void names();
};

void TestAccountSession::init()
{
    QFile::remove(QString::fromStdString(SettingsStore().FilePath()));
}

void TestAccountSession::purgeOutcomes_data()
{
    using Kind = SessionOutcome::Kind;
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");    // in the outcome's text
    QTest::addColumn<QString>("detail");  // the outcome's detail
    QTest::newRow("all deleted") << int(kAllDeleted) << int(Kind::kDone) << "2 deleted" << "";
    QTest::newRow("nothing checked") << int(kNothingChecked) << int(Kind::kDone) << "0 deleted" << "";
    QTest::newRow("one refused") << int(kRefused) << int(Kind::kShortfall) << "1 refused" << "-ERR no";
    QTest::newRow("a mismatch stopped it") << int(kMismatch) << int(Kind::kShortfall) << "2 not deleted" << "";
    QTest::newRow("one already gone") << int(kAlreadyGone) << int(Kind::kDone) << "1 already removed" << "";
    QTest::newRow("no copy kept") << int(kNoCopy) << int(Kind::kShortfall) << "no copy could be kept" << "-ERR no";
    QTest::newRow("journal fell behind") << int(kJournalBehind) << int(Kind::kNotRecorded)
                                         << "The deletions were not recorded" << "";
    QTest::newRow("another purge running") << int(kNotStarted) << int(Kind::kFailed) << "Another purge" << "";
    QTest::newRow("session broke") << int(kBroken) << int(Kind::kFailed) << "closed without QUIT" << "";
    QTest::newRow("journal not written") << int(kNotRecorded) << int(Kind::kFailed) << "Nothing was deleted" << "";
    QTest::newRow("QUIT unanswered") << int(kUnconfirmed) << int(Kind::kFailed) << "may or may not" << "-ERR busy";
    QTest::newRow("QUIT refused") << int(kQuitRefused) << int(Kind::kFailed) << "did not confirm" << "-ERR busy";
    QTest::newRow("cancelled") << int(kCancelled) << int(Kind::kCancelled) << "Cancelled" << "";
}

// One verdict per purge, whoever renders it: the kind, and the text
// that says it.
void TestAccountSession::purgeOutcomes()
{
    QFETCH(int, shape);
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(QString, detail);
    const PurgeResult result = ResultOf(Shape(shape));
    const SessionOutcome outcome = OutcomeOfPurge(result, shape == kNothingChecked ? 0 : 2);
    QCOMPARE(int(outcome.m_nKind), kind);
    QVERIFY2(QString::fromStdString(outcome.m_sText).contains(text), outcome.m_sText.c_str());
    QCOMPARE(QString::fromStdString(outcome.m_sDetail), detail);
    QCOMPARE(outcome.NeedsAttention(), kind != int(SessionOutcome::Kind::kDone)
                                           && kind != int(SessionOutcome::Kind::kCancelled));
}

void TestAccountSession::scanOutcomes()
{
    QCOMPARE(int(OutcomeOfScan(ScanDone{0, {}}).m_nKind), int(SessionOutcome::Kind::kDone));
    const SessionOutcome failed = OutcomeOfScan(ScanDone{-1, "Server Not Found"});
    QCOMPARE(int(failed.m_nKind), int(SessionOutcome::Kind::kFailed));
    QCOMPARE(failed.m_sText, std::string("Server Not Found"));
    QVERIFY(!OutcomeOfScan(ScanDone{-1, {}}).m_sText.empty());
}

void TestAccountSession::eachAccountItsOwnSignIn_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("readiness");
    using R = AccountSession::Readiness;
    // The first account uses a password; the second and third sign in with
    // OAuth, each with its own provider; only the second has signed in.
    QTest::newRow("password, first") << 0 << int(R::kReady);
    QTest::newRow("OAuth, signed in, second") << 1 << int(R::kReady);
    QTest::newRow("OAuth, not signed in, third") << 2 << int(R::kNoSignIn);
    QTest::newRow("OAuth, no provider, fourth") << 3 << int(R::kNoProvider);
}

// Every account takes its provider and refresh token from its own section
// and key, whatever the first account does.
void TestAccountSession::eachAccountItsOwnSignIn()
{
    QFETCH(int, position);
    QFETCH(int, readiness);
    namespace keys = settings_keys;
    SettingsStore settings;
    QVERIFY(settings.Open());
    const char* servers[] = {"pop.example.org", "pop.example.org", "mail.example.net", "pop.example.com"};
    for (int i = 0; i < 4; ++i) {
        const std::string section = account_list::SectionFor(i);
        settings.WriteString(section, keys::kServer, servers[i]);
        settings.WriteString(section, keys::kUser, "ann");
        settings.WriteString(section, keys::kPort, std::to_string(995 + i));
        if (i > 0)
            settings.WriteString(section, keys::kAuthentication, "xoauth2");
        if (i == 1 || i == 2)
            settings.WriteString(section, keys::kOAuthProvider, "google");
    }
    settings.WriteString(keys::kOAuth, keys::kGoogleClientId, "client-1");
    const std::vector<AccountSettings> accounts = account_list::Load(settings);
    PasswordStore store(settings);
    store.Save(AccountKey::Of(accounts[0], accounts), accounts[0].m_sSection, "pw");
    store.SaveToken(AccountKey::Of(accounts[1], accounts), accounts[1].m_sSection, "refresh-2");

    struct : NoteQueueListener {
        void Queue(ScreeningNote) override { }
    } queue;
    ISessionListener owner;
    const std::unique_ptr<AccountSession> session = AccountSession::Open(
        settings, Preferences::Load(settings), accounts[size_t(position)], accounts, queue, owner);
    QCOMPARE(int(session->GetReadiness()), readiness);
    QCOMPARE(session->Account().m_sPass, position == 0 ? std::string("pw") : std::string());
    QCOMPARE(session->Key().m_sPort, std::to_string(995 + position));
}

void TestAccountSession::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("found");  // indexes FindAll gives
    QTest::addColumn<bool>("taken");     // the fourth account may not take the name
    QTest::newRow("a Name two accounts have") << "Same" << "0,1" << true;
    QTest::newRow("a Name one account has") << "Work" << "2" << true;
    QTest::newRow("user@server of two unnamed") << "bob@h" << "3,4" << true;
    QTest::newRow("a Name wins over user@server") << "ann@h" << "2" << true;
    QTest::newRow("nobody's") << "Home" << "" << false;
}

// The names --account takes and the Accounts dialog refuses.
void TestAccountSession::names()
{
    QFETCH(QString, name);
    QFETCH(QString, found);
    QFETCH(bool, taken);
    const auto account = [](const char* section, const char* user, const char* displayed) {
        AccountSettings a;
        a.m_sSection = section;
        a.m_sUser = user;
        a.m_sServer = "h";
        a.m_sName = displayed;
        return a;
    };
    const std::vector<AccountSettings> accounts = {account("Acct", "ann", "Same"), account("Acct2", "x", "Same"),
                                                   account("Acct3", "y", "ann@h"), account("Acct4", "bob", ""),
                                                   account("Acct5", "bob", "")};
    std::vector<AccountSettings> named = accounts;
    named[2].m_sName = name == "Work" ? "Work" : "ann@h";
    QStringList indexes;
    for (int i : account_list::FindAll(named, name.toStdString()))
        indexes << QString::number(i);
    QCOMPARE(indexes.join(','), found);
    AccountSettings renamed = named[3];
    renamed.m_sName = name.toStdString();
    QCOMPARE(account_list::NameTaken(named, renamed), taken);
}

QTEST_GUILESS_MAIN(TestAccountSession)
#include "test_account_session.moc"
