// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/desktop_notice.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSystemTrayIcon>
#include <QVariantMap>
#include <QWidget>

bool notifyDesktop(const QString& text, QWidget* owner)
{
    const QString service = QStringLiteral("org.freedesktop.Notifications");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(service)) {
        QDBusMessage notify = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/Notifications"),
                                                             service, QStringLiteral("Notify"));
        // application, replaces, icon, summary, body, actions, hints, timeout (the service's own)
        notify << QStringLiteral("Velmorixon") << 0u << QStringLiteral("velmorixon") << QStringLiteral("Velmorixon")
               << text << QStringList() << QVariantMap() << -1;
        return bus.send(notify);
    }
    if (!owner || !QSystemTrayIcon::isSystemTrayAvailable()) return false;
    auto* icon = owner->findChild<QSystemTrayIcon*>(QStringLiteral("alarmIcon"));
    if (!icon) {
        icon = new QSystemTrayIcon(owner->windowIcon(), owner);
        icon->setObjectName(QStringLiteral("alarmIcon"));
        icon->show();
    }
    icon->showMessage(QStringLiteral("Velmorixon"), text);
    return true;
}
