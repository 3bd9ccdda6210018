// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// Qt's own texts in French, so that the buttons Qt makes ("Oui", "Non", "Annuler", ...) read
// like the rest of the program.
#include <QString>
#include <QTranslator>
#include <memory>

/// Loads qtbase_fr.qm from Qt's translations folder (QLibraryInfo::TranslationsPath) and
/// installs it in the running application for as long as the result lives. nullptr when the
/// file cannot be loaded; `failure` then holds the French line to show, with the path.
std::unique_ptr<QTranslator> installQtFrench(QString& failure);
