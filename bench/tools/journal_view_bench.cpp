// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The day view on a full day of 86,400 readings at 1 s, offscreen, in its real window:
// open to the first painted chart, a pan or zoom repaint, one followed line appended, and the
// memory the day takes above the empty view.
//
//   journal_view_bench   (run it on a Release build; the figures are printed, never judged)
//   journal_view_bench --huge FILE [CSV]   a day of 23 M lines (581 MB), written to FILE if it is not
//                                    there: open to the chart drawn, and the peak memory; in W/m²
//                                    when a capteur.csv beside FILE calibrates it; with CSV, the
//                                    whole day then exported there
//   journal_view_bench --month FOLDER AAAA-MM   « Bilan du mois » on FOLDER (bilan_year writes
//                                    one), its files first dropped from the page cache: to the
//                                    window painted
//   journal_view_bench --week FOLDER   seven full days at 1 s, 15 to 21 June 2026, each its
//                                    weather, calibrated by a capteur.csv, written into FOLDER
//                                    (kept): the 21st opened with the six others laid on its
//                                    chart, to the first paint
#include <QApplication>
#include <QPixmap>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>
#include <qcustomplot.h>

#include "acquisition/simulated_sunlight.h"
#include "record/day_sun.h"
#include "resident_memory.h"
#include "support/temp_dir.h"
#include "ui/journal_chart.h"
#include "ui/journal_window.h"
#include "ui/month_window.h"

using namespace std::chrono;

namespace {

std::string dataLine(long number, int millivolts, long second)
{
    char line[40];
    std::snprintf(line, sizeof line, " %ld, %d,%02ld:%02ld:%02ld\r\n", number, millivolts,
                  second / 3600, second / 60 % 60, second % 60);
    return line;
}

double ms(steady_clock::duration d) { return duration<double, std::milli>(d).count(); }

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

}  // namespace

/// Seven full days at 1 s into `folder`, 15 to 21 June 2026 in Paris summer time at Chelles,
/// each its weather: the clear-sky light of the simulator dimmed by its drifting clouds, by an
/// overcast or a haze, or not at all; and capteur.csv calibrating them. Files already there are kept.
void writeWeek(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "capteur.csv", std::ios::binary)
        << "depuis;capteur;sensibilite_mV_par_W_m2;decalage_mV;A;B\r\n2026-06-01T00:00:00+02:00;SP-110 + ampli x15;3,1;nuit;0,73;0,06\r\n";
    const record::ObservingSite site = *record::siteNamed("Chelles");
    for (int d = 15; d <= 21; ++d) {
        char name[32];
        std::snprintf(name, sizeof name, "data06-%02d-2026.val", d);
        if (std::filesystem::exists(folder / name)) continue;
        std::string day;
        const local_days date{year{2026} / June / d};
        for (long s = 0; s < 86'400; ++s) {
            const local_seconds local = date + seconds(s);
            const double altitude = record::sunAltitude(site, sys_seconds{local.time_since_epoch()} - 2h, 120min);
            const double weather[] = {acquisition::SimulatedSunlight::cloudTransmission(local), 1.0, 0.35 + 0.1 * std::sin(double(s) / 900),
                                      s < 11 * 3600 ? 0.45 : 1.0, 0.8, 1.0, acquisition::SimulatedSunlight::cloudTransmission(local) * 0.9};
            const double dark = acquisition::SimulatedSunlight::clearSkyMillivolts(-90);
            const double light = (acquisition::SimulatedSunlight::clearSkyMillivolts(altitude) - dark) * weather[d - 15];
            day += dataLine(s + 2, std::clamp(int(std::lround(dark + light + double((s * 7919) % 13) - 6)), 0, 4095), s);
        }
        std::ofstream(folder / name, std::ios::binary) << day;
    }
}

/// The 21st opened with the six other days laid on its chart, to the first paint, five times.
void weekOnOneChart(const std::filesystem::path& folder)
{
    JournalSetup setup;
    setup.zone = QTimeZone("Europe/Paris");
    setup.today = local_days{year{2026} / June / 21};
    setup.followIntervalMs = 3'600'000;
    setup.file = folder / "data06-21-2026.val";
    std::vector<double> wholes, opens, compares, cursors;
    std::unique_ptr<JournalWindow> view;
    for (int i = 0; i < 5; ++i) {
        const auto t0 = steady_clock::now();
        view = std::make_unique<JournalWindow>(setup);
        view->resize(1000, 680);
        const auto t1 = steady_clock::now();
        for (int d = 20; d >= 15; --d) {
            char name[32];
            std::snprintf(name, sizeof name, "data06-%02d-2026.val", d);
            view->compareDay(folder / name);
        }
        const auto t2 = steady_clock::now();
        view->chart()->toPixmap(1000, 600);
        wholes.push_back(ms(steady_clock::now() - t0));
        opens.push_back(ms(t1 - t0));
        compares.push_back(ms(t2 - t1));
    }
    // The cursors on the week: each day read at both and its statistics between them.
    const int left = view->chart()->axisRect()->left(), width = view->chart()->axisRect()->width();
    for (int i = 0; i < 48; ++i) {
        const auto t0 = steady_clock::now();
        view->placeCursor(i % 2, left + (i * 37) % width);
        view->chart()->toPixmap(1000, 600);
        cursors.push_back(ms(steady_clock::now() - t0));
    }
    std::printf("  seven full calibrated days on one chart (open, six compared, first paint; 5 times): median %.0f ms "
                "(min %.0f, max %.0f); the day on view %.0f ms, the six others %.0f ms\n",
                percentile(wholes, 0.5), percentile(wholes, 0), percentile(wholes, 1), percentile(opens, 0.5),
                percentile(compares, 0.5));
    std::printf("  a cursor placed on those seven days (%zu): median %.2f ms, p95 %.2f ms\n", cursors.size(),
                percentile(cursors, 0.5), percentile(cursors, 0.95));
}

/// 23,000,000 lines numbered from 2, 256 a second from 00:00:00 (25 bytes or so each).
int hugeDay(const std::filesystem::path& file, const std::filesystem::path& exportTo)
{
    if (!std::filesystem::exists(file)) {
        std::ofstream out(file, std::ios::binary);
        std::string block;
        for (long n = 0; n < 23'000'000; ++n) {
            block += dataLine(n + 2, int(n % 4096), n / 267);
            if (block.size() > (1 << 20)) out << block, block.clear();
        }
        out << block;
    }
    JournalSetup setup;
    setup.file = file;
    setup.zone = QTimeZone("Europe/Paris");
    setup.followIntervalMs = 3'600'000;
    const auto t0 = steady_clock::now();
    JournalWindow view(setup);
    view.resize(1000, 680);
    view.show();
    while (view.reading()) QCoreApplication::processEvents();
    view.chart()->toPixmap(1000, 600);
    const double open = ms(steady_clock::now() - t0);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::size_t lines = 0;
    for (const auto& run : view.record().runs()) lines += run->trace.points().size();
    std::printf("journal_view_bench --huge: %zu lines, %.0f MB, %s\n", lines, double(std::filesystem::file_size(file)) / 1e6,
                view.sunlight().dayFigures().calibrated > 0 ? "calibrated (W/m², flags)" : "not calibrated (mV)");
    std::printf("  open to the chart drawn: %.2f s; peak resident memory %.0f MB; now %.0f MB\n", open / 1000,
                double(usage.ru_maxrss) / 1024, double(residentKiB()) / 1024);
    if (exportTo.empty()) return 0;
    const auto t1 = steady_clock::now();
    const QString failure = view.exportCsv(exportTo, true);
    getrusage(RUSAGE_SELF, &usage);
    std::printf("  the whole day as CSV: %.1f s, %.0f MB written%s; peak resident memory %.0f MB\n",
                ms(steady_clock::now() - t1) / 1000, double(std::filesystem::file_size(exportTo)) / 1e6,
                failure.isEmpty() ? "" : qPrintable(" (" + failure + ")"), double(usage.ru_maxrss) / 1024);
    return 0;
}

/// The month window as the observer opens it after a reboot: nothing of the folder in memory.
int monthWindow(const std::filesystem::path& folder, const std::string& month)
{
    std::uintmax_t bytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        bytes += entry.file_size();
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
    const year_month chosen{year{std::stoi(month.substr(0, 4))}, std::chrono::month{unsigned(std::stoi(month.substr(5, 2)))}};
    const auto t0 = steady_clock::now();
    MonthWindow window(folder, QTimeZone("Europe/Paris"), chosen);
    window.show();
    window.grab();
    std::printf("journal_view_bench --month: %zu days (folder of %.0f MB, out of the page cache) shown in %.0f ms\n",
                window.days().size(), double(bytes) / 1e6, ms(steady_clock::now() - t0));
    return 0;
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--huge") return hugeDay(argv[2], argc == 4 ? argv[3] : "");
    if (argc == 4 && std::string(argv[1]) == "--month") return monthWindow(argv[2], argv[3]);
    if (argc == 3 && std::string(argv[1]) == "--week") {
        writeWeek(argv[2]);
        std::printf("journal_view_bench --week %s\n", argv[2]);
        weekOnOneChart(argv[2]);
        return 0;
    }
    TempDir dir;
    const auto file = dir.path() / "data06-21-2026.val";
    {
        std::string day;
        for (long s = 0; s < 86'400; ++s)
            day += dataLine(s + 2, int(2048 + 1500 * std::sin(double(s) / 86'400 * 6.283) + s % 7), s);
        std::ofstream(file, std::ios::binary) << day;
    }
    JournalSetup setup;
    setup.zone = QTimeZone("Europe/Paris");
    setup.today = local_days{year{2026} / June / 21};
    setup.followIntervalMs = 3'600'000;  // refreshed by hand below

    setup.file = dir.path() / "data06-22-2026.val";  // not there: the empty view
    auto empty = std::make_unique<JournalWindow>(setup);
    empty->resize(1100, 640);
    empty->chart()->toPixmap(1000, 600);
    const long emptyKiB = residentKiB();

    setup.file = file;
    std::vector<double> opens;
    std::unique_ptr<JournalWindow> view;
    long dayKiB = 0;
    for (int i = 0; i < 7; ++i) {
        view.reset();
        const auto t0 = steady_clock::now();
        view = std::make_unique<JournalWindow>(setup);
        view->resize(1100, 640);
        view->chart()->toPixmap(1000, 600);
        opens.push_back(ms(steady_clock::now() - t0));
        if (i == 0) dayKiB = residentKiB();
    }

    QCPAxis* axis = view->chart()->xAxis;
    const double from = axis->range().lower, span = axis->range().size();
    std::vector<double> repaints;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 40; ++i) {  // a two-hour window panned across the day
            const auto t0 = steady_clock::now();
            axis->setRange(from + i * (span - 7200) / 39, from + i * (span - 7200) / 39 + 7200);
            view->chart()->toPixmap(1000, 600);
            repaints.push_back(ms(steady_clock::now() - t0));
        }
        for (double width = span; width > 600; width /= 2) {  // zoomed from the day to minutes
            const auto t0 = steady_clock::now();
            axis->setRange(from + span / 2, width, Qt::AlignCenter);
            view->chart()->toPixmap(1000, 600);
            repaints.push_back(ms(steady_clock::now() - t0));
        }
    }

    view->setFollowing(true);
    std::vector<double> appends;
    for (long i = 0; i < 30; ++i) {
        std::ofstream(file, std::ios::binary | std::ios::app) << dataLine(86'402 + i, 2000, 86'399);
        const auto t0 = steady_clock::now();
        view->refresh();
        appends.push_back(ms(steady_clock::now() - t0));
    }
    std::vector<double> appendPaints;
    for (long i = 0; i < 30; ++i) {
        std::ofstream(file, std::ios::binary | std::ios::app) << dataLine(86'432 + i, 2000, 86'399);
        const auto t0 = steady_clock::now();
        view->refresh();
        view->chart()->toPixmap(1000, 600);
        appendPaints.push_back(ms(steady_clock::now() - t0));
    }

    // A cursor placed on the day calibrated (2 mV per W/m²): the reading found, the statistics
    // between the two cursors worked out, the panel filled and the chart painted again.
    std::ofstream(dir.path() / "capteur.csv", std::ios::binary)
        << "depuis;capteur;sensibilite_mV_par_W_m2;decalage_mV;A;B\r\n2026-06-01T00:00:00+02:00;essai;2;0;;\r\n";
    auto calibrated = std::make_unique<JournalWindow>(setup);
    calibrated->resize(1100, 640);
    calibrated->chart()->toPixmap(1000, 600);
    const int left = calibrated->chart()->axisRect()->left(), width = calibrated->chart()->axisRect()->width();
    std::vector<double> cursors;
    for (int i = 0; i < 96; ++i) {
        const auto t0 = steady_clock::now();
        calibrated->placeCursor(i % 2, left + (i * 37) % width);
        calibrated->chart()->toPixmap(1000, 600);
        cursors.push_back(ms(steady_clock::now() - t0));
    }

    std::printf("journal_view_bench: a day of 86,400 readings at 1 s, chart 1000x600\n");
    std::printf("  open to first painted chart: median %.1f ms (min %.1f, max %.1f)\n",
                percentile(opens, 0.5), percentile(opens, 0), percentile(opens, 1));
    std::printf("  pan or zoom repaint (%zu): median %.2f ms, p95 %.2f ms, max %.2f ms\n",
                repaints.size(), percentile(repaints, 0.5), percentile(repaints, 0.95),
                percentile(repaints, 1));
    std::printf("  one followed line appended: median %.3f ms (read, placed, added); with its repaint %.2f ms\n",
                percentile(appends, 0.5), percentile(appendPaints, 0.5));
    std::printf("  memory above the empty view: %.1f MiB\n", double(dayKiB - emptyKiB) / 1024.0);
    std::printf("  a cursor placed, calibrated day (%zu): median %.2f ms, p95 %.2f ms, max %.2f ms\n", cursors.size(),
                percentile(cursors, 0.5), percentile(cursors, 0.95), percentile(cursors, 1));
    writeWeek(dir.path() / "week");
    weekOnOneChart(dir.path() / "week");
    return 0;
}
