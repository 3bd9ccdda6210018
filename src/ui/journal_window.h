// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// « Journal des mesures »: a day's record on a time axis with the sun's course. Runs in its
// own process (velmorixon --journal), so nothing it does can disturb an acquisition.
#include <QMainWindow>
#include <QTimeZone>
#include <chrono>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "record/day_sun.h"
#include "record/run_trace.h"
#include "platform/day_record.h"

class QAction;
class QCheckBox;
class QComboBox;
class QCPGraph;
class QCustomPlot;
class QHBoxLayout;
class QLabel;
class QTimer;

struct JournalSetup {
    std::filesystem::path file;                    ///< the day file (or a kept run) to show
    QTimeZone zone = QTimeZone::systemTimeZone();  ///< where the lines' local times were taken
    std::chrono::local_days today{};               ///< the date of a file whose name has none
    int followIntervalMs = 500;                    ///< how often the files are looked at again
};

/// The local calendar day a QDate names.
std::chrono::local_days localDayOf(const QDate& date);

class JournalWindow : public QMainWindow {
public:
    explicit JournalWindow(JournalSetup setup, QWidget* parent = nullptr);

    /// Shows another day's file (« Ouvrir… »).
    void openFile(const std::filesystem::path& file);
    /// Looks at the files again and shows what was appended (the follow timer calls it).
    void refresh();

    void showWholeDay();
    void setFollowing(bool following);
    void setFittedY(bool fitted);
    void setSite(int index);
    void setRunShown(std::size_t run, bool shown);

    /// The exports; each returns the French message of a failure, or nothing.
    QString exportImage(const QString& path, QSize size = {});
    QString exportCsv(const QString& path, bool wholeDay);

    /// The universal time range on the axis.
    std::pair<std::chrono::sys_seconds, std::chrono::sys_seconds> visibleRange() const;
    /// The readout for the instant at horizontal pixel `x` of the plot (the mouse's).
    void pointAt(int x);

    QCustomPlot* plot() const { return m_plot; }
    const DayRecord& record() const { return *m_record; }
    const record::ObservingSite& site() const { return m_site; }
    /// The sun times marked on the axis, one per day the record touches.
    const std::vector<record::SunMarkers>& markers() const { return m_markers; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTools();
    void rebuildRuns();
    void appendNewPoints();
    void drawSun();
    void updateExtent();
    void setRange(double from, double to);
    void followNewest();
    void rangeChanged();
    void updateFigures();
    void updateMessages();
    void fitY();
    record::RangeFigures visibleFigures() const;
    QString localText(std::chrono::sys_seconds instant, bool withDate) const;
    std::vector<record::TracePoint> pointsToExport(bool wholeDay) const;
    void chooseFile();
    void chooseImage();
    void chooseCsv(bool wholeDay);
    void say(const QString& text);

    JournalSetup m_setup;
    record::UtcOffsetAt m_offsetAt;
    std::unique_ptr<DayRecord> m_record;
    record::ObservingSite m_site;
    bool m_siteChosen = false;  ///< the user picked the site: a run's record no longer sets it

    QCustomPlot* m_plot = nullptr;
    std::vector<QCPGraph*> m_runGraphs;
    std::vector<bool> m_runShown;
    QCPGraph* m_sunGraph = nullptr;
    std::vector<record::SunMarkers> m_markers;
    double m_extentFrom = 0, m_extentTo = 0;
    bool m_settingRange = false;

    QAction* m_follow = nullptr;
    QAction* m_fitY = nullptr;
    QComboBox* m_siteBox = nullptr;
    QWidget* m_runBar = nullptr;
    QHBoxLayout* m_runLayout = nullptr;
    std::vector<QCheckBox*> m_runBoxes;
    QLabel* m_message = nullptr;
    QLabel* m_figures = nullptr;
    QLabel* m_cursor = nullptr;
    QLabel* m_malformed = nullptr;
    QString m_exportNote;
    QTimer* m_poll = nullptr;
};
