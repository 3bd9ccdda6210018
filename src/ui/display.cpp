// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/display.h"

#include "ui/qt_french.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

QtMessageHandler g_previous = nullptr;
std::vector<HeldMessage>* g_held = nullptr;

QString noDisplayLine()
{
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return QStringLiteral("velmorixon : impossible d'ouvrir la fenêtre avec la plateforme « %1 » "
                              "(QT_QPA_PLATFORM).")
            .arg(QString::fromLocal8Bit(platform));
    if (display.isEmpty() && wayland.isEmpty())
        return QStringLiteral("velmorixon : aucun affichage pour ouvrir la fenêtre : DISPLAY n'est pas "
                              "défini ; lancez le programme dans une session graphique.");
    return QStringLiteral("velmorixon : impossible d'ouvrir la fenêtre sur l'affichage « %1 » : "
                          "il ne répond pas ou refuse la connexion.")
        .arg(QString::fromLocal8Bit(display.isEmpty() ? wayland : display));
}

void whileOpening(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        std::fputs((noDisplayLine() + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    g_held->push_back({type, QByteArray(context.category), text});
}

}  // namespace

std::unique_ptr<QApplication> openDisplay(int& argc, char** argv)
{
    std::vector<HeldMessage> held;
    g_held = &held;
    g_previous = qInstallMessageHandler(whileOpening);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(g_previous);
    g_held = nullptr;
    for (const HeldMessage& message : held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        if (g_previous != nullptr)
            g_previous(message.type, context, message.text);
        else
            qt_message_output(message.type, context, message.text);
    }
    return app;
}

OpenedApplication openApplication(int& argc, char** argv, const char* version, const char* desktopFileName)
{
    OpenedApplication opened;
    opened.application = openDisplay(argc, argv);
    QString missing;
    opened.qtFrench = installQtFrench(missing);
    if (!opened.qtFrench) std::fputs((missing + '\n').toLocal8Bit().constData(), stderr);
    QApplication::setApplicationName(QStringLiteral("velmorixon"));
    QApplication::setApplicationVersion(QString::fromLatin1(version));
    QApplication::setDesktopFileName(QString::fromLatin1(desktopFileName));
    return opened;
}
