// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// A label that shows a value: its single border is drawn in a neutral dark grey, not in the
// colour of its text as a plain QFrame would.
#include <QColor>
#include <QLabel>

class ValueBox : public QLabel {
    Q_OBJECT
public:
    static constexpr QRgb kBorder = 0xff404040;

    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};
