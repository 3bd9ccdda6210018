// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// The French sentences about measurement lines that could not be written yet, in the singular
// for one line and in the plural for more.
#include <QString>
#include <cstddef>

/// "1 ligne en attente, elle sera écrite dès que possible." or
/// "3 lignes en attente, elles seront écrites dès que possible."
QString waitingLinesNotice(std::size_t waiting);

/// "1 ligne de mesure n'a pas pu être écrite dans PATH. Quitter quand même et la perdre ?" or
/// "3 lignes de mesure n'ont pas pu être écrites dans PATH. Quitter quand même et les perdre ?"
QString discardQuestion(std::size_t waiting, const QString& path);
