// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// « Journal des mesures »: a day's record on a time axis with the sun's course. Runs in its
// own process (velmorixon --journal), so nothing it does can disturb an acquisition. The window
// is the face: the chart (journal_chart), the run list (run_list), the exports
// (journal_export), the « Résumé » (summary_panel), « Capteur… » (sensor_dialog) and « Bilan du
// mois » (month_window) are apart.
#include <QMainWindow>
#include <QPoint>
#include <QTimeZone>
#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "platform/day_record.h"
#include "record/calibration.h"
#include "record/day_sunlight.h"
#include "record/day_sun.h"
#include "record/range_statistics.h"
#include "record/run_trace.h"

class QAction;
class JournalChart;
class QComboBox;
class QLabel;
class QProgressBar;
class QTimer;
class MonthWindow;
class RunList;
class SummaryPanel;
class CursorPanel;

struct JournalSetup {
    std::filesystem::path file;                    ///< the day file (or a kept run), as bytes
    QTimeZone zone = QTimeZone::systemTimeZone();  ///< where the lines' local times were taken
    std::chrono::local_days today{};               ///< the date of a file whose name has none
    int followIntervalMs = 500;                    ///< how often the files are looked at again
    /// The present instant (whether a run without an end row is still being written).
    std::function<std::chrono::sys_seconds()> now = [] {
        return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    };
    /// Bytes read between two looks at the window's events, while a huge day is read.
    std::uintmax_t readStep = std::uintmax_t{32} << 20;
};

/// The local calendar day a QDate names.
std::chrono::local_days localDayOf(const QDate& date);
/// The zone's offsets over the years around `around`, looked up by bisection.
record::UtcOffsetAt zoneOffsets(const QTimeZone& zone, std::chrono::local_days around);

class JournalWindow : public QMainWindow {
public:
    explicit JournalWindow(JournalSetup setup, QWidget* parent = nullptr);
    ~JournalWindow() override;

    /// Shows another day's file (« Ouvrir… »).
    void openFile(const std::filesystem::path& file);
    /// Looks at the files again and shows what was appended (the follow timer calls it).
    void refresh();
    /// True while a day too large for one step is still being read.
    bool reading() const { return m_reading; }

    void showWholeDay();
    void setFollowing(bool following);
    void setFittedY(bool fitted);
    void setSite(int index);
    void setRunShown(std::size_t run, bool shown);

    /// The exports; each returns the French message of a failure or refusal, or nothing. The
    /// image is a PNG of `size` (none: the chart's on screen) or a PDF page (saveChart).
    QString exportImage(const std::filesystem::path& path, QSize size = {});
    QString exportCsv(const std::filesystem::path& path, bool wholeDay);
    /// « Journal des mesures — 7 décembre 2026 — Chelles », the exports' title.
    QString exportTitle() const;

    /// The universal time range on the axis.
    std::pair<std::chrono::sys_seconds, std::chrono::sys_seconds> visibleRange() const;
    /// The readout for the instant at horizontal pixel `x` of the plot (the mouse's).
    void pointAt(int x);
    /// Cursor `which` (0: A, a click; 1: B, a right or Shift+click) on the reading nearest pixel
    /// `x` of a shown run or a compared day; it becomes the one the keys move.
    void placeCursor(int which, int x);
    /// The active cursor `steps` readings on along its run (Shift+← / Shift+→).
    void moveCursor(int steps);

    /// Lays another day on the chart, on the local time of day, in a colour of its own named in
    /// the days' legend above the chart (the day on view keeps its runs' colours). Returns why
    /// it could not, in French; empty when it is on the chart.
    QString compareDay(const std::filesystem::path& dayFile);
    /// The other days taken off the chart.
    void clearComparedDays();

    /// The readings in sunlight terms under the data folder's capteur.csv.
    const record::DaySunlight& sunlight() const { return *m_sunlight; }
    /// The left axis in W/m² (calibrated readings) or in mV.
    void setIrradianceShown(bool irradiance);
    const SummaryPanel& summary() const { return *m_summary; }
    /// capteur.csv read again and the day's products with it (after « Capteur… »).
    void reloadCalibration();
    /// « Capteur… » and « Bilan du mois » (of the shown day's month).
    void showSensorDialog();
    MonthWindow* showMonth();

    JournalChart* chart() const { return m_chart; }
    const DayRecord& record() const { return *m_record; }
    const record::ObservingSite& site() const { return m_site; }
    /// The whole label of run `run` (from 0), as the run list shows it when there is room.
    QString runLabel(std::size_t run) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTools();
    void readStep();
    void showRuns(bool rebuilt);
    /// The day's runs and the compared days on the chart as they are now, the cursors read again.
    void drawRuns();
    /// The offsets of the zone around the date `dayFile` is named for.
    record::UtcOffsetAt offsetsFor(const std::filesystem::path& dayFile) const;
    /// A day's readings in sunlight terms under the calibration and the site chosen.
    std::unique_ptr<record::DaySunlight> sunlightOf(const DayRecord& day) const;
    /// The day on view's sunlight again (its record changed).
    void updateSunlight();
    /// Every day's on the chart again (the site or the calibration changed).
    void updateEverySunlight();
    void openDay(std::chrono::year_month_day date);
    /// The data folder's file of `date`: the plain day file, else its first kept run.
    std::filesystem::path dayFile(std::chrono::year_month_day date) const;
    void updateExtent();
    void setRange(double from, double to);
    void followNewest();
    void rangeChanged();
    void updateFigures();
    void updateMessages();
    void fitY();
    record::RangeFigures visibleFigures() const;
    void chooseFile();
    void chooseImage();
    void chooseCsv(bool wholeDay);
    void say(const QString& text);
    static void setElided(QLabel* label, const QString& text);
    /// The pointer's readout on the status bar; empty: none, the figures take the room.
    void showReadout(const QString& text);
    /// A day on the chart as the cursors read it: its runs' readings as read (on its own
    /// instants), its sunlight terms, the runs shown (empty: all) and the whole days it is moved
    /// by onto the day on view.
    struct ChartDay {
        std::vector<std::span<const record::TracePoint>> runs;
        const record::DaySunlight* sunlight;
        const std::vector<bool>* shown;
        std::chrono::days apart;
    };
    /// The day on view, then each compared day.
    std::vector<ChartDay> chartDays() const;
    /// A cursor: the day it stands on (0: the day on view, d + 1: compared day d), how far that
    /// day is moved, and its reading.
    struct PlacedCursor {
        std::size_t day = 0;
        std::chrono::days apart{};
        record::CursorReading reading;
        std::chrono::sys_seconds onAxis() const { return reading.point.instant + apart; }
    };
    /// The reading of any day on the chart nearest `at` on the axis (the day on view's first in a tie).
    static std::optional<PlacedCursor> nearestOnChart(const std::vector<ChartDay>& days, std::chrono::sys_seconds at);
    /// The cursors again on the record as it is now: lines, panel and statistics.
    void updateCursors();
    /// The value axis zoomed about pixel `y` by the wheel's `angle` (eighths of a degree).
    void zoomValues(int angle, double y);

    JournalSetup m_setup;
    record::UtcOffsetAt m_offsetAt;
    std::unique_ptr<DayRecord> m_record;
    record::CalibrationHistory m_calibration;
    std::unique_ptr<record::DaySunlight> m_sunlight;
    bool m_unitChosen = false;  ///< the user picked the unit: a calibration no longer sets it
    record::ObservingSite m_site;
    bool m_siteChosen = false;  ///< the user picked the site: a run's record no longer sets it
    bool m_reading = false;
    std::uintmax_t m_unread = 0, m_total = 0;

    JournalChart* m_chart = nullptr;
    std::vector<bool> m_runShown;
    double m_extentFrom = 0, m_extentTo = 0;
    bool m_settingRange = false;

    QAction* m_follow = nullptr;
    QAction* m_fitY = nullptr;
    QComboBox* m_siteBox = nullptr;
    QComboBox* m_unitBox = nullptr;
    SummaryPanel* m_summary = nullptr;
    MonthWindow* m_month = nullptr;
    QLabel* m_flagCounts = nullptr;
    RunList* m_runList = nullptr;
    QLabel* m_message = nullptr;
    QLabel* m_figures = nullptr;
    CursorPanel* m_cursorPanel = nullptr;
    std::array<std::optional<PlacedCursor>, 2> m_cursors;
    int m_activeCursor = 0;
    QPoint m_pressedAt;  ///< where the last button went down on the chart: a click or a drag
    QLabel* m_malformed = nullptr;
    QProgressBar* m_progress = nullptr;
    QString m_exportNote;
    QTimer* m_poll = nullptr;

    /// Another day laid on the chart: its readings as read, and moved by whole days onto the
    /// day on view (its sunlight is worked out on its own instants, the indexes the same).
    struct ComparedDay {
        std::unique_ptr<DayRecord> record;
        std::unique_ptr<record::DaySunlight> sunlight;
        std::vector<std::vector<record::TracePoint>> moved;
        std::chrono::days apart{};  ///< from it to the day on view
    };
    std::vector<ComparedDay> m_compared;
    QLabel* m_days = nullptr;  ///< the days' legend, shown while other days are on the chart
    void showComparedDays();
};
