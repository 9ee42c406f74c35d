#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QSystemTrayIcon;

// Desktop notifications through the desktop's notification service
// (org.freedesktop.Notifications on the session bus), each with an "Open"
// action that asks for the window; without a service on the bus, the tray
// icon's balloon. A notification replaces the last one of its kind (its
// replaces_id) instead of stacking up beside it. The calls are
// asynchronous: a service that never answers costs nothing but its timeout.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    static const QString kService;
    static const QString kPath;
    static const QString kInterface;
    // The service has this long to answer a notification before the
    // balloon is shown instead: a hung service must not swallow the news.
    static constexpr int kCallTimeoutMs = 5000;

    explicit DesktopNotifier(QObject* parent = nullptr);

    // The fallback's icon (none: the notification is dropped without a
    // service).
    void SetTray(QSystemTrayIcon* pTray) { m_pTray = pTray; }
    // Shows `body` as the notification of `kind`.
    void Show(const QString& kind, const QString& title, const QString& body);

signals:
    // The user chose "Open" (or clicked the notification).
    void OpenRequested();
    // The service took the notification (id), or the balloon showed it (0).
    void Shown(const QString& kind, uint nId);

private slots:
    void OnActionInvoked(uint nId, const QString& action);

private:
    void Notify(const QString& kind, const QString& title, const QString& body);
    void ShowBalloon(const QString& kind, const QString& title, const QString& body);

    QSystemTrayIcon* m_pTray = nullptr;
    QHash<QString, uint> m_ids;  // the service's id of the last one of each kind
};
