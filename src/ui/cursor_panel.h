// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// Under the day view's chart: the pointer's readout whole (date and time, offset, number, mV,
// W/m², flags), the two cursors' readings and, between them, Δt, the differences and the
// range's statistics (count, extremes, mean, standard deviation, energy, sunshine); with other
// days on the chart, a table of one row per day: its readings at A and B and its statistics.
#include <QColor>
#include <QFrame>
#include <optional>
#include <vector>

#include "record/range_statistics.h"

class QLabel;
class QTableWidget;

class CursorPanel : public QFrame {
public:
    explicit CursorPanel(QWidget* parent = nullptr);

    /// The pointer's readout, word-wrapped: never cut, kept when the pointer leaves the chart.
    void setReadout(const QString& text);
    /// One day on the chart as the cursors read it: its nearest readings to A and B and its
    /// statistics between them.
    struct Day {
        QString date;
        QColor colour;  ///< invalid: the day on view, whose runs have their own colours
        std::optional<record::CursorReading> a, b;
        record::RangeStatistics between;
    };
    /// The cursors A and B (none: not placed) and what `days` reads at them, the day on view
    /// first: alone, its statistics in a line; with other days, a row per day (values in W/m²
    /// when `irradiance`, else in mV), a scroll away beyond eight.
    void setCursors(const std::optional<record::CursorReading>& a, const std::optional<record::CursorReading>& b,
                    const std::vector<Day>& days, bool irradiance = false);
    QTableWidget* dayTable() const { return m_days; }

    /// « A 14:00:10 · 3 010 mV · 1 505,0 W/m² », as the panel and the cursor's line say it.
    static QString cursorText(char name, const record::CursorReading& reading);

private:
    QLabel* m_readout;
    QLabel* m_cursors;
    QLabel* m_statistics;
    QTableWidget* m_days;
    void showDays(const std::vector<Day>& days, bool bothCursors, bool irradiance);
};
