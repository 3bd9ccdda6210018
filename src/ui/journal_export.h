// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// The day view's exports: the chart as PNG or PDF with a title and a legend, the readings as
// CSV, the names proposed, and the files an export may never replace.
#include <QDate>
#include <QSize>
#include <QString>
#include <chrono>
#include <filesystem>
#include <span>
#include <vector>

#include "record/day_sun.h"
#include "record/day_sunlight.h"
#include "record/run_trace.h"

class DayRecord;
class JournalChart;

/// « 7 décembre 2026 »: a day as a French reader writes it.
QString frenchDate(std::chrono::local_days day);
/// The same day as Qt counts it.
QDate qDateOf(std::chrono::local_days day);

/// What each export proposes beside the day's file: "data12-07-2026.png",
/// "data12-07-2026-plage.csv", "data12-07-2026-journee.csv".
enum class ExportKind { Image, VisibleCsv, DayCsv };
std::filesystem::path proposedExport(const std::filesystem::path& dayFile, ExportKind kind);

/// A path as the user reads it (bytes that are not UTF-8 shown as the system decodes them).
QString shownPath(const std::filesystem::path& path);
/// A path the user chose in a dialog, as the system's bytes.
std::filesystem::path chosenPath(const QString& path);

/// The French message that refuses an export over a record, or nothing when `target` is not one:
/// a record by its name or through links (namesRecord), or, for the day view, one of the files
/// `record` reads.
QString refusalOverRecord(const std::filesystem::path& target);
QString refusalOverRecord(const DayRecord& record, const std::filesystem::path& target);

/// The sizes a PNG may be chosen at, in pixels: from the chart's smallest on screen to 8K.
inline constexpr QSize kSmallestImage{480, 300};
inline constexpr QSize kLargestImage{7680, 4320};

/// True when `path` names a PDF (by its extension, in any case).
bool isPdf(const std::filesystem::path& path);

/// The chart with `title` above it and a legend under it (clear of everything drawn on the
/// axes), saved as a PNG of exactly `size` pixels or (by its extension) as a PDF page of A4
/// landscape for print, `size` not used. The PNG is the chart laid out at most 960 × 540 and
/// enlarged, text, lines and marks with it, so that it reads as the screen's chart does; the
/// PDF is drawn in vectors, its text at its size in points. The French message of a failure,
/// or nothing.
QString saveChart(JournalChart& chart, const std::filesystem::path& path, QSize size, const QString& title);

/// The readings `first` to `end` of run number `run` (its points), for a CSV export.
struct CsvRows {
    std::size_t run;
    std::span<const record::TracePoint> points;
    std::size_t first, end;
};

/// The rows as CSV with the site's sun altitudes and each reading's irradiance, clear-sky index
/// and flags: the runs merged in time order (an earlier run first on equal instants), written a
/// megabyte at a time, so that a day of any size is exported without being copied. The French
/// message of a failure, or nothing.
QString saveCsv(const std::filesystem::path& path, std::vector<CsvRows> runs, const record::DaySunlight& sunlight,
                const record::ObservingSite& site);
