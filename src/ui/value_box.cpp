// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/value_box.h"

#include <QPainter>

void ValueBox::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (frameShape() == QFrame::NoFrame || lineWidth() <= 0)
        return;
    // Over the frame QLabel drew in the text's colour, the same rectangle in the border's.
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(kBorder));
    const QRect outer = frameRect();
    const int w = lineWidth();
    painter.drawRect(outer.left(), outer.top(), outer.width(), w);
    painter.drawRect(outer.left(), outer.bottom() - w + 1, outer.width(), w);
    painter.drawRect(outer.left(), outer.top(), w, outer.height());
    painter.drawRect(outer.right() - w + 1, outer.top(), w, outer.height());
}
