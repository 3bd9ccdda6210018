// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// Under the day view's chart: the pointer's readout whole (date and time, offset, number, mV,
// W/m², flags), the two cursors' readings and, between them, Δt, the differences and the
// range's statistics (count, extremes, mean, standard deviation, energy, sunshine).
#include <QFrame>
#include <optional>

#include "record/range_statistics.h"

class QLabel;

class CursorPanel : public QFrame {
public:
    explicit CursorPanel(QWidget* parent = nullptr);

    /// The pointer's readout, word-wrapped: never cut, kept when the pointer leaves the chart.
    void setReadout(const QString& text);
    /// The cursors A and B (none: not placed) and the statistics between them.
    void setCursors(const std::optional<record::CursorReading>& a, const std::optional<record::CursorReading>& b,
                    const record::RangeStatistics& between);

    /// « A 14:00:10 · 3 010 mV · 1 505,0 W/m² », as the panel and the cursor's line say it.
    static QString cursorText(char name, const record::CursorReading& reading);

private:
    QLabel* m_readout;
    QLabel* m_cursors;
    QLabel* m_statistics;
};
