#pragma once

// A real Secret Service for a test: gnome-keyring-daemon, started on the
// session bus that dbus-run-session gave the test, with its login keyring
// (the default collection) created and unlocked. Its keyrings live in the
// test's own $XDG_DATA_HOME.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class KeyringDaemon {
public:
    static constexpr int kStartMs = 20000;

    ~KeyringDaemon()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
        }
    }

    // False when there is no session bus or no daemon to start (the caller
    // skips); fails the test when the daemon does not come up.
    bool Start()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon"));
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") || daemon.isEmpty() || !m_runtime.isValid())
            return false;
        QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // --unlock reads the login keyring's password from standard input
        // and creates that keyring when it is missing.
        m_process.start(
            daemon,
            {QStringLiteral("--foreground"), QStringLiteral("--unlock"), QStringLiteral("--components=secrets")});
        if (!m_process.waitForStarted())
            return Fail("gnome-keyring-daemon did not start");
        m_process.write("test-login");
        m_process.closeWriteChannel();
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        if (!bus)
            return Fail("no session bus");
        const QDeadlineTimer deadline(kStartMs);
        while (!bus->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value()) {
            if (deadline.hasExpired() || m_process.state() != QProcess::Running)
                return Fail("gnome-keyring-daemon did not register on the bus");
            QTest::qWait(20);
        }
        m_bRunning = true;
        return true;
    }

    bool Running() const { return m_bRunning; }

private:
    bool Fail(const char* why)
    {
        QTest::qFail(why, __FILE__, __LINE__);
        return false;
    }

    QTemporaryDir m_runtime;
    QProcess m_process;
    bool m_bRunning = false;
};
