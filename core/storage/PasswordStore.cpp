#include "PasswordStore.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <cstdlib>
#include <memory>

#include "core/platform/Cp1252.h"
#include "core/platform/Secrets.h"
#include "core/platform/Trace.h"
#include "core/storage/SettingsKeys.h"
#include "core/storage/SettingsStore.h"

namespace {

// The account's value that holds the password where no keyring takes it.
constexpr const char* kFileValue = settings_keys::kPass;
// And the one that holds the OAuth 2.0 refresh token.
constexpr const char* kTokenFileValue = settings_keys::kRefreshToken;

const QString kSecretService = QStringLiteral("org.freedesktop.secrets");

QString ToQ(const std::string& bytes)
{
    return QString::fromStdString(platform::Cp1252ToUtf8(bytes));
}

std::string FromQ(const QString& text)
{
    return platform::Utf8ToCp1252(text.toStdString());
}

// The session bus has an address. Without one, the D-Bus library would try
// to start a bus of its own ("autolaunch"), which is not wanted for a look-up.
bool SessionBusExpected()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && *address != '\0')
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime != nullptr && *runtime != '\0'
        && QFileInfo::exists(QString::fromLocal8Bit(runtime) + QStringLiteral("/bus"));
}

// The jobs report through the event loop of the thread that created the
// application object; elsewhere nothing would ever deliver their answer.
bool CanWait()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && app->thread() == QThread::currentThread();
}

struct JobOutcome {
    bool m_bDone = false;
    QKeychain::Error m_nError = QKeychain::NoError;
    QString m_sText;
};

// Starts the job and waits for it up to the deadline. A job still running
// then is left to finish and delete itself: the keyring may call back into
// it later, so it must not be deleted here.
template <class Job> JobOutcome RunJob(Job* job)
{
    auto outcome = std::make_shared<JobOutcome>();
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    const QMetaObject::Connection done =
        QObject::connect(job, &QKeychain::Job::finished, &loop, [outcome, &loop](QKeychain::Job* j) {
            outcome->m_bDone = true;
            outcome->m_nError = j->error();
            if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(j))
                outcome->m_sText = read->textData();
            loop.quit();
        });
    job->setAutoDelete(true);
    job->start();
    deadline.start(PasswordStore::kKeyringDeadlineMs);
    if (!outcome->m_bDone)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    QObject::disconnect(done);
    if (!outcome->m_bDone)
        platform::Trace("PasswordStore: no answer from the keyring in %d ms\n", PasswordStore::kKeyringDeadlineMs);
    return *outcome;
}

}  // namespace

bool PasswordStore::KeyringAvailable()
{
    if (m_nAvailable < 0) {
        m_nAvailable = 0;
        if (CanWait() && SessionBusExpected()) {
            QDBusConnection bus = QDBusConnection::sessionBus();
            QDBusConnectionInterface* daemon = bus.isConnected() ? bus.interface() : nullptr;
            if (daemon != nullptr) {
                const QDBusReply<bool> running = daemon->isServiceRegistered(kSecretService);
                const QDBusReply<QStringList> startable = daemon->activatableServiceNames();
                m_nAvailable = (running.isValid() && running.value())
                    || (startable.isValid() && startable.value().contains(kSecretService));
            }
        }
    }
    return m_nAvailable != 0;
}

PasswordStore::Result PasswordStore::ReadKeyring(const std::string& key, std::string& password)
{
    auto* job = new QKeychain::ReadPasswordJob(QString::fromLatin1(kService));
    job->setKey(ToQ(key));
    const JobOutcome outcome = RunJob(job);
    if (outcome.m_bDone && outcome.m_nError == QKeychain::NoError) {
        password = FromQ(outcome.m_sText);
        return kOk;
    }
    if (outcome.m_bDone && outcome.m_nError == QKeychain::EntryNotFound)
        return kNotFound;
    return kFailed;
}

bool PasswordStore::WriteKeyring(const std::string& key, const std::string& password)
{
    auto* job = new QKeychain::WritePasswordJob(QString::fromLatin1(kService));
    job->setKey(ToQ(key));
    job->setTextData(ToQ(password));
    const JobOutcome outcome = RunJob(job);
    return outcome.m_bDone && outcome.m_nError == QKeychain::NoError;
}

std::string PasswordStore::LoadSecret(const std::string& key, const std::string& legacyKey, const std::string& section,
                                      const char* fileValue)
{
    const std::string inFile = m_settings.ReadString(section, fileValue, "");
    if (!KeyringAvailable())
        return inFile;
    if (!inFile.empty()) {
        // Removed from the file only once the keyring gives it back.
        std::string check;
        if (WriteKeyring(key, inFile) && ReadKeyring(key, check) == kOk && check == inFile)
            m_settings.DeleteValue(section, fileValue);
        return inFile;
    }
    std::string secret;
    const Result found = ReadKeyring(key, secret);
    if (found == kOk)
        return secret;
    return found == kNotFound && !legacyKey.empty() ? TakeLegacy(key, legacyKey) : std::string();
}

// Removed under the earlier key only once the new one gives it back.
std::string PasswordStore::TakeLegacy(const std::string& key, const std::string& legacyKey)
{
    std::string secret, check;
    if (ReadKeyring(legacyKey, secret) != kOk)
        return {};
    if (WriteKeyring(key, secret) && ReadKeyring(key, check) == kOk && check == secret)
        DeleteKeyring(legacyKey);
    platform::SecureWipe(check);
    return secret;
}

PasswordStore::Home PasswordStore::SaveSecret(const std::string& key, const std::string& section, const char* fileValue,
                                              const std::string& secret)
{
    if (KeyringAvailable() && WriteKeyring(key, secret)) {
        m_settings.DeleteValue(section, fileValue);
        return kKeyring;
    }
    m_settings.WriteString(section, fileValue, secret);
    return kSettingsFile;
}

void PasswordStore::DeleteKeyring(const std::string& key)
{
    if (!KeyringAvailable())
        return;
    auto* job = new QKeychain::DeletePasswordJob(QString::fromLatin1(kService));
    job->setKey(ToQ(key));
    RunJob(job);
}

namespace {

std::string LegacyKey(const AccountKey& key, const char* prefix)
{
    return key.m_bOwnsLegacy ? prefix + key.LegacyText() : std::string();
}

}  // namespace

std::string PasswordStore::Load(const AccountKey& key, const std::string& section)
{
    return LoadSecret(key.Text(), LegacyKey(key, ""), section, kFileValue);
}

PasswordStore::Home PasswordStore::Save(const AccountKey& key, const std::string& section, const std::string& password)
{
    return SaveSecret(key.Text(), section, kFileValue, password);
}

void PasswordStore::Forget(const AccountKey& key)
{
    DeleteKeyring(key.Text());
    if (key.m_bOwnsLegacy)
        DeleteKeyring(key.LegacyText());
}

std::string PasswordStore::LoadToken(const AccountKey& key, const std::string& section)
{
    return LoadSecret(key.TokenText(), LegacyKey(key, "oauth:"), section, kTokenFileValue);
}

PasswordStore::Home PasswordStore::SaveToken(const AccountKey& key, const std::string& section,
                                             const std::string& token)
{
    return SaveSecret(key.TokenText(), section, kTokenFileValue, token);
}

void PasswordStore::ForgetToken(const AccountKey& key, const std::string& section)
{
    DeleteKeyring(key.TokenText());
    if (key.m_bOwnsLegacy)
        DeleteKeyring("oauth:" + key.LegacyText());
    m_settings.DeleteValue(section, kTokenFileValue);
}
