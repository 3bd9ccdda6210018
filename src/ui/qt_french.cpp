// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/qt_french.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>

std::unique_ptr<QTranslator> installQtFrench(QString& failure)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_fr"), folder) ||
        !QCoreApplication::installTranslator(translator.get())) {
        failure = QStringLiteral("velmorixon : traductions françaises de Qt introuvables (%1) : "
                                 "les boutons de Qt resteront en anglais ; le paquet "
                                 "qt6-translations-l10n les installe.")
                      .arg(QDir(folder).filePath(QStringLiteral("qtbase_fr.qm")));
        return nullptr;
    }
    failure.clear();
    return translator;
}
