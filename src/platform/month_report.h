// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// A month of the data folder read from disk as the month's table (velmorixon --bilan, and the
// day view's « Bilan du mois »), and the calibration history capteur.csv read and added to.
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "record/calibration.h"
#include "record/month_summary.h"
#include "record/time_placement.h"

/// The file name of the calibration history in the data folder.
inline constexpr const char* kCalibrationFileName = "capteur.csv";

/// capteur.csv in `folder`: its rows, and in `problems` the malformed rows and a file that
/// exists but is not read (not a regular file, too large, unreadable), in French. A missing file
/// is no calibration, not a problem.
record::CalibrationHistory readCalibrationFile(const std::filesystem::path& folder);

/// capteur.csv is a few rows: a larger file is refused (1 MiB holds some 15 000 rows).
inline constexpr std::size_t kLargestCalibration = std::size_t{1} << 20;

/// Appends `row` to capteur.csv in `folder` (made when missing), flushed to disk; what the file
/// holds stays byte for byte. Refused, with the French sentence returned: a value out of range,
/// an instant a row already applies from, a file that is not a regular one, too large, read-only
/// or that cannot be written. Empty when the row was added.
std::string addCalibrationRow(const std::filesystem::path& folder, const record::CalibrationRow& row);

struct MonthReport {
    int status = 0;                          ///< 1 when the folder cannot be listed
    std::vector<record::DaySummary> days;    ///< in date order
    std::string errors;                      ///< French, one line each
};

/// Every day of `month` with a measurement file in `folder`: its runs and companions read as
/// the day view reads them, placed in time with `zone` where no companion says, calibrated by
/// the folder's capteur.csv. A file that cannot be read is said in `errors` and the rest goes
/// on. Days are read on `workers` threads.
MonthReport reportMonth(const std::filesystem::path& folder, std::chrono::year_month month,
                        const record::UtcOffsetAt& zone, unsigned workers = 2);

/// The system's time zone (the C library's) over `month` and a few days each side, as offsets
/// looked up by bisection.
record::UtcOffsetAt systemZoneOffsets(std::chrono::year_month month);

/// For a process that only reads months (--bilan, its benchmark): the C library keeps the
/// memory a day's reading frees for the next day's instead of giving it back to the system and
/// faulting it in again (which tripled the time of a year's months).
void keepFreedMemoryForTheNextDay();

struct CommandLine;

/// velmorixon --bilan: the month's CSV on standard output, errors on standard error; the data
/// folder and the current month unless the command line names them. Returns the exit status.
int printMonthReport(const CommandLine& options);
