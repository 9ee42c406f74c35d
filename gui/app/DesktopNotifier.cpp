#include "DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSystemTrayIcon>
#include <QVariantMap>

const QString DesktopNotifier::kService = QStringLiteral("org.freedesktop.Notifications");
const QString DesktopNotifier::kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString DesktopNotifier::kInterface = QStringLiteral("org.freedesktop.Notifications");

namespace {

// The action keys: "default" is what a click on the notification invokes
// (freedesktop.org Desktop Notifications, "Actions").
const QString kDefaultAction = QStringLiteral("default");
const QString kOpenAction = QStringLiteral("open");

// A service that reads the body as markup ("body-markup") must show a
// Subject's "<", ">" and "&" as themselves.
QString MarkupText(QString body)
{
    return body.replace(QLatin1Char('&'), QStringLiteral("&amp;"))
        .replace(QLatin1Char('<'), QStringLiteral("&lt;"))
        .replace(QLatin1Char('>'), QStringLiteral("&gt;"));
}

}  // namespace

DesktopNotifier::DesktopNotifier(QObject* parent)
    : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));
}

void DesktopNotifier::Show(const QString& kind, const QString& title, const QString& body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        ShowBalloon(kind, title, body);
        return;
    }
    // Asked each time: the service may have changed since the last one.
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, kind, title, body](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QStringList> reply = *w;
        if (reply.isError()) {
            // No service (or none that answers): the tray's balloon.
            ShowBalloon(kind, title, body);
            return;
        }
        Notify(kind, title, reply.value().contains(QStringLiteral("body-markup")) ? MarkupText(body) : body);
    });
}

void DesktopNotifier::Notify(const QString& kind, const QString& title, const QString& body)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QStringList actions{kDefaultAction, tr("Open"), kOpenAction, tr("Open")};
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("mavix")}};
    call << QStringLiteral("Mavix") << m_ids.value(kind, 0u) << QStringLiteral("mavix") << title << body << actions
         << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, kind, title, body](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError()) {
            m_ids.remove(kind);
            ShowBalloon(kind, title, body);
            return;
        }
        m_ids.insert(kind, reply.value());
        emit Shown(kind, reply.value());
    });
}

void DesktopNotifier::ShowBalloon(const QString& kind, const QString& title, const QString& body)
{
    if (!m_pTray)
        return;
    m_pTray->showMessage(title, body, QSystemTrayIcon::Information);
    emit Shown(kind, 0);
}

void DesktopNotifier::OnActionInvoked(uint nId, const QString& action)
{
    // Every program's notifications come through here: only ours count.
    if (nId == 0 || !m_ids.values().contains(nId))
        return;
    if (action == kDefaultAction || action == kOpenAction)
        emit OpenRequested();
}
