// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// The day view's chart: the runs on a local time axis in millivolts or, calibrated, in W/m² on
// the left (with the clear sky dashed and the quality flags marked), the sun's altitude on the
// right, the night shaded and the sun times marked. A run's points are given
// to the plot only as far as they are shown: the visible range, reduced to the first, lowest,
// highest and last reading of each pixel column when there are more, so the plot's memory and
// drawing follow the screen, not the day's size.
#include <QDateTime>
#include <QTimeZone>
#include <array>
#include <cmath>
#include <optional>
#include <chrono>
#include <span>
#include <vector>
#include <qcustomplot.h>

#include "record/day_sun.h"
#include "record/day_sunlight.h"
#include "record/run_trace.h"

class JournalChart : public QCustomPlot {
public:
    explicit JournalChart(QWidget* parent = nullptr);

    /// The clock the axis shows: where ticks fall and what their labels read.
    void setClock(const QTimeZone& zone, record::UtcOffsetAt offsetAt);

    /// The left axis: its label and its range when not fitted (« Tension (mV) », 0 to 4095).
    /// Another unit comes with another label and range.
    void setValueAxis(const QString& label, double lower, double upper);
    QCPAxis* valueAxis() const { return yAxis; }

    /// One graph per run, in run order: its points (kept by the caller while shown), colour,
    /// name, and the day's sunlight terms with the run's number in them (none: millivolts only).
    /// Given again when the runs grew or their sunlight terms changed.
    struct Run {
        std::span<const record::TracePoint> points;
        const record::DaySunlight* sunlight = nullptr;
        std::size_t number = 0;
        QColor colour;
        QString name;
        bool shown = true;
    };
    void setRuns(const std::vector<Run>& runs);
    QCPGraph* runGraph(std::size_t run) const { return m_runGraphs.at(run); }

    /// Irradiance on the left axis: each run's calibrated readings in W/m² (the others left
    /// out), the clear sky dashed; else millivolts. The flags are marked at the readings' values.
    void setIrradiance(bool irradiance);
    bool irradiance() const { return m_irradiance; }
    QCPGraph* clearSkyGraph() const { return m_clearSkyGraph; }
    /// The marks of one kind of flag (record::QualityFlag).
    QCPGraph* flagGraph(std::uint8_t flag) const;

    /// The sun's altitude at `site` over [from, to], the night and the sun times of each day.
    void drawSun(const record::ObservingSite& site, double from, double to);
    const std::vector<record::SunMarkers>& markers() const { return m_markers; }
    QCPGraph* sunGraph() const { return m_sunGraph; }

    /// Cursor `which` (0: A, 1: B) as a vertical line at `x` on the axis with its label at the
    /// top; none: taken away.
    void setCursor(int which, std::optional<double> x, const QString& label);
    QCPItemStraightLine* cursorLine(int which) const { return m_cursorLines[which]; }
    QCPItemText* cursorLabel(int which) const { return m_cursorLabels[which]; }

    /// Where a saturated reading is drawn in W/m²: at the top of the value axis.
    double saturatedLevel() const;

    /// The universal time range on the axis, whole seconds inside it.
    std::pair<std::chrono::sys_seconds, std::chrono::sys_seconds> visibleRange() const;

    /// A title row (shown in exports) and, in a row under the axes, a legend of the shown
    /// curves in as many columns as fit `width` pixels; empty: none.
    void setExportDecorations(const QString& title, int width = 0);

    static double axisOf(std::chrono::sys_seconds instant)
    {
        return double(instant.time_since_epoch().count());
    }
    static std::chrono::sys_seconds instantOf(double axis)
    {
        return std::chrono::sys_seconds(std::chrono::seconds(std::llround(axis)));
    }
    /// 00:00:00 of `date` on the zone's clock, on the axis.
    static double startOfDay(const QDate& date, const QTimeZone& zone)
    {
        return double(QDateTime(date, QTime(0, 0), zone).toSecsSinceEpoch());
    }

private:
    /// The plot's data for `run` on screen: its readings, or those carrying `flag` (not 0).
    QVector<QCPGraphData> onScreen(const Run& run, std::uint8_t flag) const;
    void reduceToScreen();
    /// The saturated readings on screen lifted to the top of the value axis as it is now.
    void liftSaturated();
    double valueOf(const Run& run, std::size_t index) const;

    QTimeZone m_zone;
    record::UtcOffsetAt m_offsetAt;
    std::vector<Run> m_runs;
    std::vector<QCPGraph*> m_runGraphs;
    QCPGraph* m_sunGraph = nullptr;
    QCPGraph* m_clearSkyGraph = nullptr;
    std::vector<std::pair<std::uint8_t, QCPGraph*>> m_flagGraphs;
    bool m_irradiance = false;
    std::vector<record::SunMarkers> m_markers;
    QCPTextElement* m_title = nullptr;
    std::array<QCPItemStraightLine*, 2> m_cursorLines{};
    std::array<QCPItemText*, 2> m_cursorLabels{};
    void keepCursorLabelsWhole();
    double m_saturatedDrawnAt = qQNaN();  ///< the level the saturated readings on screen are at
    int m_reducedWidth = -1;  ///< the axis rect's width the runs were last reduced for
};
