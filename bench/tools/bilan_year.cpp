// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The month's table over a year of full days: writes into FOLDER a measurement file a day at
// 1 s (86,400 lines, ~1.5 MB) with its run companion and a capteur.csv, as a year of
// continuous recording leaves them (skipped when the files are already there), then reads the
// twelve months back as velmorixon --bilan does and prints the times. It reports, never fails.
//
//   bilan_year FOLDER [YEAR] [WORKERS]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "acquisition/measurement_file.h"
#include "acquisition/run_companion.h"
#include "platform/month_report.h"
#include "record/day_sun.h"
#include "record/sunlight_models.h"
#include "support/paris_zone.h"

using namespace std::chrono;

namespace {

/// One day at 1 s: a hazy clear sky (60 % of Haurwitz at each minute, a ripple on top), 2 mV
/// per W/m² over a 20 mV offset. Local midnight to 23:59:59 on the Paris clock.
void writeDay(const std::filesystem::path& folder, year_month_day date, const record::ObservingSite& site)
{
    const sys_seconds noonUtc{sys_days{date} + 12h};
    const minutes offset = parisOffset(noonUtc);
    const sys_seconds start{sys_days{date} - offset};
    std::string bytes;
    bytes.reserve(86400 * 20);
    double before = 0, after = 0;
    for (int i = 0; i < 86400; ++i) {
        if (i % 60 == 0) {
            before = record::haurwitzClearSky(record::sunAltitude(site, start + seconds{i}, offset));
            after = record::haurwitzClearSky(record::sunAltitude(site, start + seconds{i + 60}, offset));
        }
        const double g = 0.6 * (before + (after - before) * (i % 60) / 60.0) + (i % 5);
        bytes += acquisition::dataLine(i + 2, std::lround(20 + 2 * g), hh_mm_ss<seconds>{seconds{i}});
    }
    const std::filesystem::path file = folder / acquisition::dataFileName(date);
    std::ofstream(file, std::ios::binary) << bytes;
    acquisition::RunEvent row;
    row.local = local_days{date};
    row.utcOffset = offset;
    row.nextNumber = 2;
    row.site = site.name;
    row.latitude = site.latitude;
    row.longitudeEast = site.longitudeEast;
    row.port = "simulation";
    row.version = "1.0.0";
    // Stopped at the day's last second, as a station started each morning would be.
    acquisition::RunEvent end = row;
    end.kind = acquisition::RunEvent::Kind::Stop;
    end.local = local_days{date} + 23h + 59min + 59s;
    end.nextNumber = 86402;
    std::ofstream(acquisition::companionPath(file), std::ios::binary)
        << acquisition::companionHeader() << acquisition::companionLine(row) << acquisition::companionLine(end);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("Utilisation : bilan_year DOSSIER [ANNÉE] [FILS]\n", stderr);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const year y{argc > 2 ? std::atoi(argv[2]) : 2026};
    const unsigned workers = argc > 3 ? unsigned(std::atoi(argv[3])) : 2;
    std::filesystem::create_directories(folder);
    const record::ObservingSite site = *record::siteNamed("Chelles");

    const auto written = steady_clock::now();
    std::uintmax_t bytes = 0;
    int files = 0;
    for (sys_days d{y / January / 1}; d < sys_days{(y + years{1}) / January / 1}; d += days{1}) {
        const year_month_day date{d};
        const std::filesystem::path file = folder / acquisition::dataFileName(date);
        if (!std::filesystem::exists(file)) writeDay(folder, date, site);
        bytes += std::filesystem::file_size(file);
        ++files;
    }
    if (!std::filesystem::exists(folder / kCalibrationFileName)) {
        record::CalibrationRow row;
        row.local = local_days{y / January / 1};
        row.utcOffset = 1h;
        row.sensor = "SP-110 + ampli x10";
        row.sensitivity = 2;
        addCalibrationRow(folder, row);
    }
    std::printf("%d files, %.0f MB (written or found in %.1f s)\n", files, double(bytes) / 1e6,
                duration<double>(steady_clock::now() - written).count());

    keepFreedMemoryForTheNextDay();  // as velmorixon --bilan does
    const auto start = steady_clock::now();
    std::size_t rows = 0;
    for (unsigned m = 1; m <= 12; ++m) {
        const auto monthStart = steady_clock::now();
        const year_month month = y / std::chrono::month{m};
        const MonthReport report = reportMonth(folder, month, systemZoneOffsets(month), workers);
        const std::string csv = record::monthCsv(report.days);
        rows += report.days.size();
        std::printf("%04d-%02u: %zu days in %.0f ms\n", int(y), m, report.days.size(),
                    duration<double, std::milli>(steady_clock::now() - monthStart).count());
        if (m == 6 && !report.days.empty()) std::fputs(record::monthCsvLine(report.days.front()).c_str(), stdout);
    }
    std::printf("a year, %zu days on %u threads: %.2f s\n", rows, workers,
                duration<double>(steady_clock::now() - start).count());
    return 0;
}
