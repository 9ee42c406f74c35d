// OAuth 2.0: the browser sign-in against a fake authorization server on
// loopback (a scripted "browser" follows its redirect to the listener), the
// refreshing and the command token sources on a std::thread as the engine's
// workers call them, the provider table, and the refresh token's store.
#include <QFile>
#include <QTcpSocket>
#include <QTest>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "core/auth/AuthorizationFlow.h"
#include "core/auth/TokenSources.h"
#include "core/storage/AccountSettings.h"
#include "core/storage/PasswordStore.h"
#include "core/storage/SettingsKeys.h"
#include "core/storage/SettingsStore.h"
#include "tests/support/FakeAuthServer.h"
#include "tests/support/FakeBrowser.h"

using namespace std::chrono_literals;

namespace {

oauth::Provider ProviderOf(const FakeAuthServer& server)
{
    return {oauth::kCustom, server.Url("/authorize"), server.Url("/token"), "pop", server.m_sClientId, ""};
}

// Calls the source on a thread of its own, as the engine's worker does,
// while this thread's event loop serves the fake server.
std::string CallOnWorker(const pop3::TokenSource& source, bool bRenew, std::string& error)
{
    std::atomic<bool> bDone = false;
    std::string token;
    std::thread worker([&] {
        token = source(bRenew, &error);
        bDone = true;
    });
    static_cast<void>(QTest::qWaitFor([&] { return bDone.load(); }, 60000));
    worker.join();
    return token;
}

}  // namespace

class TestOAuth : public QObject {
    Q_OBJECT
private slots:
    void signIn_data();
    void signIn();
    void refresh_data();
    void refresh();
    void tokenCommand_data();
    void tokenCommand();
    void tokenReply_data();
    void tokenReply();
    void provider_data();
    void provider();
    void refreshTokenInSettingsFile();
};

void TestOAuth::signIn_data()
{
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("forgeState");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("denied");
    QTest::addColumn<bool>("refuseCode");
    QTest::addColumn<QString>("error");  // empty: success
    QTest::newRow("success") << 1 << false << false << "" << false << "";
    QTest::newRow("wrong state") << 1 << true << false << "" << false << "state differs";
    QTest::newRow("second request") << 2 << false << false << "" << false << "second request";
    QTest::newRow("denied") << 1 << false << false << "access_denied" << false
                            << "refused the sign-in: access_denied (The user said no)";
    QTest::newRow("code refused") << 1 << false << false << "" << true << "invalid_grant: Bad code";
    QTest::newRow("timeout") << 1 << false << true << "" << false << "not finished in the browser";
}

void TestOAuth::signIn()
{
    QFETCH(int, copies);
    QFETCH(bool, forgeState);
    QFETCH(bool, silent);
    QFETCH(QString, denied);
    QFETCH(bool, refuseCode);
    QFETCH(QString, error);
    FakeAuthServer server;
    QVERIFY(server.Start());
    server.m_sDenied = denied.toStdString();
    server.m_bRefuseCode = refuseCode;
    FakeBrowser browser;
    browser.m_nCopies = copies;
    browser.m_bForgeState = forgeState;
    browser.m_bSilent = silent;
    oauth::AuthorizationFlow flow(ProviderOf(server), [&](const std::string& url) { return browser.Open(url); });
    flow.SetTimeout(silent ? 300ms : 30s);
    oauth::FlowResult result = flow.Run();
    QVERIFY2(QString::fromStdString(result.m_sError).contains(error), result.m_sError.c_str());
    QCOMPARE(result.m_bOk, error.isEmpty());
    if (!result.m_bOk)
        return;
    QVERIFY2(server.m_sProblem.empty(), server.m_sProblem.c_str());  // the verifier matched the challenge
    QCOMPARE(result.m_tokens.m_sAccess, std::string("access-1"));
    QCOMPARE(result.m_tokens.m_sRefresh, std::string("refresh-1"));
    QTRY_VERIFY(browser.m_sockets.front()->bytesAvailable() > 0);
    QVERIFY(browser.m_sockets.front()->readAll().contains("You can close this window."));
}

void TestOAuth::refresh_data()
{
    QTest::addColumn<int>("expiresIn");  // of the token in hand, seconds
    QTest::addColumn<bool>("renew");
    QTest::addColumn<bool>("rotate");
    QTest::addColumn<QString>("access");
    QTest::addColumn<QString>("rotatedTo");
    QTest::newRow("fresh token sent") << 3600 << false << false << "access-0"
                                      << "";
    QTest::newRow("renewed before expiry") << 30 << false << false << "access-1"
                                           << "";
    QTest::newRow("renewed when refused") << 3600 << true << false << "access-1"
                                          << "";
    QTest::newRow("rotated refresh token handed back") << 30 << false << true << "access-1"
                                                       << "refresh-2";
}

void TestOAuth::refresh()
{
    QFETCH(int, expiresIn);
    QFETCH(bool, renew);
    QFETCH(bool, rotate);
    QFETCH(QString, access);
    QFETCH(QString, rotatedTo);
    FakeAuthServer server;
    QVERIFY(server.Start());
    server.m_bRotate = rotate;
    oauth::Tokens tokens{"access-0", "refresh-1", std::chrono::steady_clock::now() + std::chrono::seconds(expiresIn)};
    std::string rotated;  // written on the worker, read after join
    const pop3::TokenSource source =
        oauth::MakeRefreshTokenSource(ProviderOf(server), tokens, [&](const std::string& token) { rotated = token; });
    std::string error;
    QCOMPARE(QString::fromStdString(CallOnWorker(source, renew, error)), access);
    QVERIFY2(error.empty(), error.c_str());
    QCOMPARE(server.m_nRefreshes, access == "access-0" ? 0 : 1);
    QCOMPARE(QString::fromStdString(rotated), rotatedTo);
    // The renewed token lives an hour: the next log-in sends it as it is.
    QCOMPARE(QString::fromStdString(CallOnWorker(source, false, error)), access);
}

void TestOAuth::tokenCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("error");
    QTest::newRow("output trimmed") << R"(sh -c "printf ' tok-1\n'")"
                                    << "tok-1"
                                    << "";
    QTest::newRow("failed") << R"(sh -c "exit 3")"
                            << ""
                            << "exit status 3";
    QTest::newRow("not a token") << R"(printf "a b")"
                                 << ""
                                 << "no token";
    QTest::newRow("too slow") << "sleep 30"
                              << ""
                              << "in time";
    QTest::newRow("missing program") << "/nonexistent/token-helper"
                                     << ""
                                     << "cannot run";
}

void TestOAuth::tokenCommand()
{
    QFETCH(QString, command);
    QFETCH(QString, token);
    QFETCH(QString, error);
    const pop3::TokenSource source = oauth::MakeCommandTokenSource(command.toStdString(), 2s);
    std::string why;
    QCOMPARE(QString::fromStdString(CallOnWorker(source, false, why)), token);
    QVERIFY2(QString::fromStdString(why).contains(error) && why.empty() == error.isEmpty(), why.c_str());
}

void TestOAuth::tokenReply_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("error");
    QTest::newRow("tokens") << 200 << QByteArray(R"({"access_token":"a.b-c","expires_in":"60"})") << "";
    QTest::newRow("line end in a token") << 200 << QByteArray(R"({"access_token":"a\r\nQUIT"})") << "characters";
    QTest::newRow("provider's words only")
        << 400 << QByteArray(R"({"error":"invalid_grant","error_description":"x\u001b[2J","access_token":"t"})")
        << "invalid_grant: x?[2J";
    QTest::newRow("not JSON") << 502 << QByteArray("<html>") << "HTTP 502 without JSON";
}

void TestOAuth::tokenReply()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, error);
    const oauth::TokenReply reply = oauth::ParseTokenReply(status, body.toStdString());
    QCOMPARE(reply.m_bOk, error.isEmpty());
    QVERIFY2(QString::fromStdString(reply.m_sError).contains(error), reply.m_sError.c_str());
    QVERIFY(reply.m_bOk || reply.m_sAccess.empty());
}

void TestOAuth::provider_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("chosen");  // OAuthProvider in [Acct]
    QTest::addColumn<QString>("clientId");
    QTest::addColumn<QString>("name");  // empty: an error naming `error`
    QTest::addColumn<QString>("error");
    QTest::newRow("gmail by host") << "POP.gmail.com"
                                   << ""
                                   << "g-id"
                                   << "google"
                                   << "";
    QTest::newRow("no client id") << "outlook.office365.com"
                                  << ""
                                  << ""
                                  << ""
                                  << "MicrosoftClientId";
    QTest::newRow("unknown host") << "pop.example.org"
                                  << ""
                                  << "g-id"
                                  << ""
                                  << "OAuthProvider";
    QTest::newRow("custom without endpoints") << "pop.example.org"
                                              << "custom"
                                              << ""
                                              << ""
                                              << "CustomTokenUrl";
}

void TestOAuth::provider()
{
    QFETCH(QString, server);
    QFETCH(QString, chosen);
    QFETCH(QString, clientId);
    QFETCH(QString, name);
    QFETCH(QString, error);
    SettingsStore settings;
    QVERIFY(settings.Open());
    settings.WriteString(settings_keys::kAccount, settings_keys::kOAuthProvider, chosen.toStdString());
    settings.WriteString(settings_keys::kOAuth, settings_keys::kGoogleClientId, clientId.toStdString());
    settings.WriteString(settings_keys::kOAuth, settings_keys::kMicrosoftClientId, clientId.toStdString());
    oauth::Provider provider;
    std::string why;
    AccountSettings account;
    account.m_sServer = server.toStdString();
    QCOMPARE(oauth::LoadProvider(settings, account, provider, &why), name.size() > 0);
    QVERIFY2(QString::fromStdString(why).contains(error), why.c_str());
    if (!name.isEmpty()) {
        QCOMPARE(QString::fromStdString(provider.m_sName), name);
        QCOMPARE(provider.m_sTokenUrl, std::string("https://oauth2.googleapis.com/token"));
    }
}

// Without a keyring (no session bus here) the refresh token is kept as the
// password is: a value of the private settings file.
void TestOAuth::refreshTokenInSettingsFile()
{
    SettingsStore settings;
    QVERIFY(settings.Open());
    PasswordStore store(settings);
    const AccountKey key{"ann", "pop.example.org", "995"};
    const std::string section = settings_keys::kAccount;
    QCOMPARE(store.SaveToken(key, section, "refresh-9"), PasswordStore::kSettingsFile);
    QCOMPARE(settings.ReadString(settings_keys::kAccount, settings_keys::kRefreshToken, ""), std::string("refresh-9"));
    QCOMPARE(store.LoadToken(key, section), std::string("refresh-9"));
    QCOMPARE(store.Load(key, section), std::string());  // the password is another value
    store.ForgetToken(key, section);
    QCOMPARE(store.LoadToken(key, section), std::string());
    QCOMPARE(AccountKey({"a@b", "pop.example.org", "995"}).TokenText(), std::string("oauth:a%40b@pop.example.org:995"));
}

QTEST_GUILESS_MAIN(TestOAuth)
#include "test_oauth.moc"
