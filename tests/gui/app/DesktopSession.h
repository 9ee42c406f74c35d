#pragma once

// The desktop around a tray test: a real tray host (trayer, XEmbed) and a
// real notification daemon (dunst) on the X server and the private session
// bus the test runs under (xvfb-run, dbus-run-session). Each is started and
// stopped by the test, and waited for on its own sign, with a deadline.

#include "gui/app/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTest>

class DesktopSession {
public:
    static constexpr int kStartMs = 20000;

    ~DesktopSession()
    {
        StopNotifications();
        Stop(m_tray);
    }

    // False (the caller skips) without an X display, a session bus or the
    // programs.
    static bool Available()
    {
        return !qEnvironmentVariableIsEmpty("DISPLAY") && !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")
            && !QStandardPaths::findExecutable(QStringLiteral("trayer")).isEmpty()
            && !QStandardPaths::findExecutable(QStringLiteral("dunst")).isEmpty();
    }

    bool StartTray()
    {
        m_tray.start(QStringLiteral("trayer"),
                     {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                      QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                      QStringLiteral("--width"), QStringLiteral("64"), QStringLiteral("--height"),
                      QStringLiteral("24")});
        return QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, kStartMs);
    }
    bool StopTray()
    {
        Stop(m_tray);
        return QTest::qWaitFor([] { return !QSystemTrayIcon::isSystemTrayAvailable(); }, kStartMs);
    }

    bool StartNotifications()
    {
        m_daemon.start(QStringLiteral("dunst"), {});
        return QTest::qWaitFor([] { return Registered(); }, kStartMs);
    }
    bool StopNotifications()
    {
        Stop(m_daemon);
        return QTest::qWaitFor([] { return !Registered(); }, kStartMs);
    }

    // Runs dunstctl; *pOut gets its answer.
    static bool Dunstctl(const QStringList& args, QByteArray* pOut = nullptr)
    {
        QProcess ctl;
        ctl.start(QStringLiteral("dunstctl"), args);
        if (!ctl.waitForFinished(kStartMs) || ctl.exitStatus() != QProcess::NormalExit || ctl.exitCode() != 0)
            return false;
        if (pOut)
            *pOut = ctl.readAllStandardOutput();
        return true;
    }

private:
    static bool Registered()
    {
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        return bus && bus->isServiceRegistered(DesktopNotifier::kService).value();
    }
    static void Stop(QProcess& process)
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(5000);
    }

    QProcess m_tray;
    QProcess m_daemon;
};
