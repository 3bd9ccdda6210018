// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The day view on a day of many runs, offscreen, in its real window: a folder of one day
// (8 December 2026) whose runs follow one another every 8 s, three readings each, with their
// companions (a start row and a stop row): data12-08-2026.val.1 … .val.RUNS and the plain
// data12-08-2026.val, the newest. Prints the time to open the window to its first paint (the
// files' bytes first dropped from the page cache) and its frame, to read the day's record alone
// and look at it again, the follow timer's look, a pan repainted, an image export of the whole
// day, and the peak memory.
//
//   many_runs_bench [RUNS [FOLDER]]   RUNS kept runs (10 000 unless given) written into a
//                                     temporary folder, or into FOLDER, which is kept (open it
//                                     with velmorixon --journal FOLDER/data12-08-2026.val)
#include <QApplication>
#include <fcntl.h>
#include <sys/resource.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/measurement_file.h"
#include "acquisition/run_companion.h"
#include "platform/descriptor.h"
#include "resident_memory.h"
#include "support/temp_dir.h"
#include "ui/journal_chart.h"
#include "ui/journal_window.h"

using namespace std::chrono;

namespace {

constexpr local_days kDay{2026y / December / 8};

double ms(steady_clock::duration d) { return duration<double, std::milli>(d).count(); }

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024;
}

/// Run `index` (0 the oldest) of the day as `file` and its companion: from 00:00:05 + 8 s per
/// run, three readings a second apart, then stopped.
void writeRun(const std::filesystem::path& file, long index)
{
    const seconds start = 5s + index * 8s;
    std::string lines;
    for (int i = 0; i < 3; ++i)
        lines += acquisition::dataLine(2 + i, 1000 + (index + i) % 3000, hh_mm_ss<seconds>{start + i * 1s});
    const auto row = [&](acquisition::RunEvent::Kind kind, seconds at, int next) {
        return acquisition::companionLine({kind, kDay + at, 60min, next, "Chelles", 48.5246, 2.3523, 1, "simulation", "1.0.0"});
    };
    TempDir::append(file, lines);
    TempDir::append(acquisition::companionPath(file), acquisition::companionHeader() +
                                                          row(acquisition::RunEvent::Kind::Start, start, 2) +
                                                          row(acquisition::RunEvent::Kind::Stop, start + 3s, 5));
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long runs = argc > 1 ? std::stol(argv[1]) : 10'000;
    std::unique_ptr<TempDir> temporary;
    std::filesystem::path folder;
    if (argc > 2) {
        folder = argv[2];
        std::filesystem::create_directories(folder);
    } else {
        temporary = std::make_unique<TempDir>();
        folder = temporary->path();
    }
    const std::filesystem::path dayFile = folder / acquisition::dataFileName(year_month_day{kDay});
    if (!std::filesystem::exists(dayFile)) {
        for (long n = 1; n <= runs; ++n) writeRun(acquisition::numberedCopy(dayFile, unsigned(n)), n - 1);
        writeRun(dayFile, runs);
    }

    JournalSetup setup;
    setup.file = dayFile;
    setup.zone = QTimeZone("Europe/Paris");
    setup.today = kDay + days{1};  // looked at the next day: every run is over
    setup.followIntervalMs = 3'600'000;  // looked at again by hand below

    // The files' bytes out of the page cache, as after a reboot (their names and sizes stay).
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const platform_io::Descriptor file(::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC));
        ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_DONTNEED);
    }
    auto t0 = steady_clock::now();
    JournalWindow view(setup);
    view.show();
    while (view.reading()) QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    view.grab();
    const double open = ms(steady_clock::now() - t0);
    const QRect frame = view.frameGeometry();

    t0 = steady_clock::now();
    DayRecord record(dayFile, zoneOffsets(setup.zone, kDay), kDay);
    record.refresh();
    const double read = ms(steady_clock::now() - t0);
    t0 = steady_clock::now();
    record.refresh();
    const double lookAgain = ms(steady_clock::now() - t0);
    std::vector<double> looks;
    for (int i = 0; i < 9; ++i) {
        t0 = steady_clock::now();
        view.refresh();
        QCoreApplication::processEvents();
        looks.push_back(ms(steady_clock::now() - t0));
    }
    const TempDir exports;
    t0 = steady_clock::now();
    const QString failed = view.exportImage(exports.path() / "jour.png", QSize(1000, 600));
    const double image = ms(steady_clock::now() - t0);
    std::vector<double> pans;  // a two-hour window panned across the day, each range painted
    QCPAxis* axis = view.chart()->xAxis;
    const double from = axis->range().lower, span = axis->range().size();
    for (int i = 0; i < 12; ++i) {
        t0 = steady_clock::now();
        axis->setRange(from + i * (span - 7200) / 11, from + i * (span - 7200) / 11 + 7200);
        view.chart()->toPixmap(1000, 600);
        pans.push_back(ms(steady_clock::now() - t0));
    }

    std::printf("many_runs_bench: %zu runs of one day, 3 readings each, with their companions\n",
                view.record().runs().size());
    std::printf("  the window open to its first paint, the files' bytes out of the page cache: %.0f ms; its frame %d x %d\n",
                open, frame.width(), frame.height());
    std::printf("  the day's record alone read again: %.0f ms; looked at again: %.0f ms\n", read, lookAgain);
    std::printf("  the follow timer's look: median %.0f ms; a pan painted: median %.0f ms\n", median(looks), median(pans));
    std::printf("  the whole day as a 1000x600 PNG: %.0f ms%s\n", image, failed.isEmpty() ? "" : qPrintable(" (" + failed + ")"));
    std::printf("  peak resident memory %.0f MiB, now %.0f MiB\n", peakMiB(), double(residentKiB()) / 1024);
    return 0;
}
