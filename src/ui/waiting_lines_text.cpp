// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/waiting_lines_text.h"

QString waitingLinesNotice(std::size_t waiting)
{
    return waiting == 1
               ? QStringLiteral("1 ligne en attente, elle sera écrite dès que possible.")
               : QStringLiteral("%1 lignes en attente, elles seront écrites dès que possible.")
                     .arg(waiting);
}

QString discardQuestion(std::size_t waiting, const QString& path)
{
    return waiting == 1
               ? QStringLiteral("1 ligne de mesure n'a pas pu être écrite dans %1. "
                                "Quitter quand même et la perdre ?")
                     .arg(path)
               : QStringLiteral("%1 lignes de mesure n'ont pas pu être écrites dans %2. "
                                "Quitter quand même et les perdre ?")
                     .arg(waiting)
                     .arg(path);
}
