// A whole observing day in one run: the real main window, offscreen, logging and plotting one
// reading a second from the converter simulator, on a fake clock that starts at noon and so
// crosses midnight, into a real measurement file under a temporary folder.
//
//   soak_day [TICKS [GRAPH.png]]   (default 86400: one day at a period of 1 s)
//
// With GRAPH.png, the strip chart as it stands after the last tick is saved there (the README's
// picture is `soak_day 900 docs/graph-window.png`: a quarter of an hour around noon).
//
// Reports wall time, the time of the slowest tick, resident memory along the way, and what the
// file holds: line count, first and last number, whether numbers and times follow each other.
// The figures are for reading; the exit status is 1 only when the file lost or mangled lines.
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "platform/posix_file_system.h"
#include "resident_memory.h"
#include "platform/platform.h"
#include "acquisition/simulated_max187.h"
#include "acquisition/simulated_sunlight.h"
#include "support/fake_clock.h"
#include "support/temp_dir.h"
#include "ui/graph.h"
#include "ui/velmorixon.h"

using namespace std::chrono;

namespace {

double mib(long kib) { return static_cast<double>(kib) / 1024.0; }

/// What the measurement file holds: " n, mV,HH:MM:SS" lines ended by CR LF.
struct FileSummary {
    long lines = 0;
    long firstNumber = 0;
    long lastNumber = 0;
    long minMillivolts = 4096;
    long maxMillivolts = -1;
    long badLines = 0;      // not in the line format, or not ended by CR LF
    long numberGaps = 0;    // a number that is not the previous one plus 1
    long timeGaps = 0;      // a time that is not the previous one plus 1 s (modulo a day)
    std::string firstTime;
    std::string lastTime;
};

std::optional<long> secondsOfDay(const std::string& hhmmss)
{
    int h = 0, m = 0, s = 0;
    char tail = 0;
    if (std::sscanf(hhmmss.c_str(), "%2d:%2d:%2d%c", &h, &m, &s, &tail) != 3) return std::nullopt;
    return h * 3600L + m * 60L + s;
}

FileSummary summarise(const std::string& path)
{
    FileSummary sum;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    long previousTime = -1;  // seconds of the day of the previous good line
    while (std::getline(in, line)) {
        ++sum.lines;
        long number = 0, mv = 0;
        char time[16] = {};
        int used = 0;
        const bool parsed = line.size() > 1 && line.back() == '\r' &&
                            std::sscanf(line.c_str(), " %ld, %ld,%15[0-9:]%n", &number, &mv, time, &used) == 3 &&
                            static_cast<std::size_t>(used) == line.size() - 1;
        const std::optional<long> t = parsed ? secondsOfDay(time) : std::nullopt;
        if (!t) {
            ++sum.badLines;
            previousTime = -1;
            continue;
        }
        if (sum.lines == 1) {
            sum.firstNumber = number;
            sum.firstTime = time;
        } else if (number != sum.lastNumber + 1) {
            ++sum.numberGaps;
        }
        if (previousTime >= 0 && *t != (previousTime + 1) % 86400) ++sum.timeGaps;
        previousTime = *t;
        sum.lastNumber = number;
        sum.lastTime = time;
        sum.minMillivolts = std::min(sum.minMillivolts, mv);
        sum.maxMillivolts = std::max(sum.maxMillivolts, mv);
    }
    return sum;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long ticks = argc > 1 ? std::max(1L, std::atol(argv[1])) : 86'400L;

    // 21 June 2026 at noon, Paris summer time: the sunlight model gives a full day and night.
    const local_seconds start = local_days{year{2026} / June / 21} + hours{12};
    const seconds utcOffset = hours{2};
    FakeClock clock(start);
    TempDir dir;
    PosixFileSystem files;

    Platform platform;
    platform.portName = "simulateur";
    platform.simulated = true;
    platform.openPort = [&clock, utcOffset] {
        return acquisition::sunlitConverter(clock, utcOffset, 1987);
    };
    platform.clock = &clock;
    platform.queryZone = [utcOffset] { return ZoneInfo{ZoneState::Daylight, utcOffset}; };
    platform.dataRoot = dir.path();
    platform.files = &files;

    Velmorixon w(std::move(platform));
    w.show();
    w.OKfile->click();
    w.OKgraphe->click();
    w.BtnMax187->click();  // the graph window opens without a nested event loop
    QCoreApplication::processEvents();

    std::printf("soak_day: %ld ticks at 1 s from 2026-06-21 12:00:00 (fake clock), file %s\n",
                ticks, w.FullFile.c_str());
    const long rssStart = residentKiB();
    std::printf("  resident memory at start: %.1f MiB\n", mib(rssStart));

    const long report = std::max(1L, ticks / 8);
    nanoseconds slowest{0};
    const auto wallStart = steady_clock::now();
    for (long i = 1; i <= ticks; ++i) {
        const auto t0 = steady_clock::now();
        clock.advance(seconds{1});
        w.acquisitionTick();
        slowest = std::max(slowest, steady_clock::now() - t0);
        if (i % report == 0 && i != ticks)
            std::printf("  after %6ld ticks: %.1f MiB\n", i, mib(residentKiB()));
    }
    const duration<double> wall = steady_clock::now() - wallStart;
    const long rssEnd = residentKiB();

    if (Graph* graph = w.existingGraph()) {
        if (argc > 2 && !graph->grab().save(QString::fromLocal8Bit(argv[2])))
            std::printf("  could not save the strip chart to %s\n", argv[2]);
        graph->BtnStop->click();
    }
    QCoreApplication::processEvents();

    std::printf("  wall time: %.1f s, %.3f ms per tick on average, slowest tick %.1f ms\n",
                wall.count(), wall.count() * 1000.0 / static_cast<double>(ticks),
                duration<double, std::milli>(slowest).count());
    std::printf("  resident memory at end: %.1f MiB (%+.1f MiB)\n", mib(rssEnd), mib(rssEnd - rssStart));

    const FileSummary sum = summarise(w.FullFile);
    std::printf("  file: %ld lines, numbers %ld (%s) to %ld (%s), readings %ld..%ld mV\n", sum.lines,
                sum.firstNumber, sum.firstTime.c_str(), sum.lastNumber, sum.lastTime.c_str(),
                sum.minMillivolts, sum.maxMillivolts);
    std::printf("  malformed lines %ld, number gaps %ld, time gaps %ld\n", sum.badLines,
                sum.numberGaps, sum.timeGaps);

    const bool whole = sum.lines == ticks && sum.firstNumber == 2 && sum.lastNumber == ticks + 1 &&
                       sum.badLines == 0 && sum.numberGaps == 0 && sum.timeGaps == 0;
    std::printf("soak_day: %s\n", whole ? "every reading is in the file, in order"
                                        : "THE FILE DOES NOT HOLD EVERY READING IN ORDER");
    return whole ? 0 : 1;
}
