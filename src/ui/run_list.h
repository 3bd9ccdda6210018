// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// The day view's run list: one checkbox per run, « Série 2 : 09:30:00 – 18:00:00, arrêtée »,
// in the run's colour, that shows or hides it. Labels follow the record as it grows and are
// elided, never cut, when the window is narrow (the whole label stays in the tooltip).
#include <QColor>
#include <QWidget>
#include <chrono>
#include <functional>
#include <vector>

#include "platform/day_record.h"

class QCheckBox;
class QGridLayout;
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

class RunList : public QWidget {
public:
    explicit RunList(QWidget* parent = nullptr);

    /// One checkbox per label (objectName "run1", "run2", …), ticked where `shown` says.
    void setRuns(const std::vector<QString>& labels, const std::vector<bool>& shown);
    /// New texts for the same runs.
    void setLabels(const std::vector<QString>& labels);
    void setShown(std::size_t run, bool shown);
    /// The whole label of run `run` (index from 0), as it is before any elision.
    QString label(std::size_t run) const;

    std::function<void(std::size_t, bool)> toggled;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    QGridLayout* m_grid;
    std::vector<QCheckBox*> m_boxes;
    std::vector<QString> m_labels;
};
