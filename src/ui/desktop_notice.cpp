// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/desktop_notice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QVariantMap>
#include <QWidget>

namespace {

bool showInTray(const QString& text, QWidget* owner)
{
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

}  // namespace

bool notifyDesktop(const QString& text, QWidget* owner)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return showInTray(text, owner);
    const QString service = QStringLiteral("org.freedesktop.Notifications");
    QDBusMessage notify = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/Notifications"),
                                                         service, QStringLiteral("Notify"));
    // application, replaces, icon, summary, body, actions, hints, timeout (the service's own)
    notify << QStringLiteral("Velmorixon") << 0u << QStringLiteral("velmorixon") << QStringLiteral("Velmorixon")
           << text << QStringList() << QVariantMap() << -1;
    // The answer is not waited for: a desktop without the service answers with an error, and
    // the line is then said in the tray.
    auto* call = new QDBusPendingCallWatcher(bus.asyncCall(notify));
    QObject::connect(call, &QDBusPendingCallWatcher::finished, call, [text, owner = QPointer<QWidget>(owner)](QDBusPendingCallWatcher* done) {
        if (done->isError()) showInTray(text, owner);
        done->deleteLater();
    });
    return true;
}
