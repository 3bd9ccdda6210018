// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// The day view's run list: one entry per run, « Série 2 : 09:30:00 – 18:00:00, arrêtée », in
// the run's colour, with a box that shows or hides it (a click anywhere on the entry, or the
// space bar). Three runs a row, a few rows in sight and the others a scroll away, so that a day
// of thousands of runs keeps the window on the screen; a label is made only when its run comes
// in sight. Labels are elided, never cut, when the window is narrow (whole in the tooltip).
#include <QColor>
#include <QTableView>
#include <chrono>
#include <functional>
#include <vector>

#include "platform/day_record.h"

class QTimeZone;

/// The colour of run `number` (1, 2, …): fixed by its number, so a run keeps it when the next
/// begins, and far from the sun curve's orange.
QColor runColour(std::size_t number);
/// The sun curve's colour.
QColor sunColour();

/// « Série 2 : 09:30:00 – 18:00:00 (+1 j), arrêtée » for run `number` of a day whose local
/// date is `day`: its first and last readings on the local clock ("+1 j" for a reading past
/// the day), and how it ended (record::runEnd at `now`).
QString runLabel(std::size_t number, const DayRun& run, std::chrono::local_days day,
                 const QTimeZone& zone, std::chrono::sys_seconds now);

class RunList : public QTableView {
public:
    explicit RunList(QWidget* parent = nullptr);
    ~RunList() override;

    /// `count` runs, ticked where `shown` says. A list scrolled to its end (as it opens) stays
    /// there: the newest run in sight.
    void setRuns(std::size_t count, const std::vector<bool>& shown);
    /// The runs' labels may read otherwise (the files grew, time passed): asked for again.
    void labelsChanged();
    void setShown(std::size_t run, bool shown);
    /// The whole label of run `run` (from 0) as the list shows it, before any elision.
    QString shownLabel(std::size_t run) const;
    /// The cell of run `run` (from 0).
    QModelIndex indexOf(std::size_t run) const;

    /// The label of run `run` (from 0), asked for when the run comes in sight.
    std::function<QString(std::size_t)> label;
    std::function<void(std::size_t, bool)> toggled;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void updateGeometries() override;

private:
    class Runs;
    void toggle(const QModelIndex& index);

    Runs* m_runs;
    bool m_atEnd = true;
};
