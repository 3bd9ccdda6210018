// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The recorder's run on a fake clock, its files in memory: each day's file holds its day, in
// winter and on the nights summer time begins and ends, also while the disk refuses lines; and
// each trouble is told once when it begins and once when it ends.
#include "recorder/station.h"

#include <gtest/gtest.h>


#include "acquisition/simulated_max187.h"
#include "support/fake_clock.h"
#include "support/memory_file_system.h"

namespace {

using namespace std::chrono;

const std::string kDayFiles = "/obs/velmorixon/data";
const std::string kRunHeader = "instant;evenement;numero;site;latitude;longitude;periode_s;port;version\r\n";
const std::string kRunRest = ";Chelles;48.5246;2.3523;1;/dev/parport0;1.0.0\r\n";  // what every row repeats
const std::string kWaiting = ". Les mesures attendent et seront écrites dès que possible.";

/// A recorder at Chelles, 1 s, on /dev/parport0 whose converter reads 1234 mV, from local
/// `start` on `offset`.
struct StationBench {
    StationBench(local_seconds start, minutes offset) : clock(start - (offset - 60min)) { clock.setUtcOffset(offset); }
    /// `count` ticks, each at its due time.
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i) {
            clock.advance(station.untilNextTick());
            station.tick();
        }
    }

    FakeClock clock;
    MemoryFileSystem files;
    std::vector<std::string> log;
    bool portGone = false;     // reads fail with EIO
    bool openRefused = false;  // the next open fails with ENODEV
    recorder::Station station{{"/obs/velmorixon", "/dev/parport0", *record::siteNamed("Chelles"), seconds{1}, "1.0.0"},
                              [this]() -> std::unique_ptr<ParallelPort> {
                                  if (std::exchange(openRefused, false)) throw std::system_error(ENODEV, std::generic_category());
                                  auto port = std::make_unique<acquisition::SimulatedMax187>();
                                  port->setSource([this] { return portGone ? throw std::system_error(EIO, std::generic_category()) : 1234; });
                                  return port;
                              },
                              clock, files, [this](const std::string& line) { log.push_back(line); }};
};

struct MidnightRow {
    const char* name;
    year_month_day evening;
    minutes offset, dayAfter;           // the offsets at the evening's midnight and the day after's
    seconds asleep;                     // from 00:00:02 to 23:59:58 the day after
    // The three days, as their files' names give them; the start's instant and the two midnights', as
    // the companions give them.
    std::string day, next, after, start, midnight, last;
};

class MidnightInTheRecorder : public ::testing::TestWithParam<MidnightRow> {};

// From 23:59:57 through two midnights, the disk full until after the first, asleep through the
// day between (and its change of offset).
TEST_P(MidnightInTheRecorder, GivesTheReadingAtMidnightToANewRunInTheNewDaysFileEachNight)
{
    const MidnightRow& row = GetParam();
    StationBench bench(local_days{row.evening} + 23h + 59min + 57s, row.offset);
    bench.station.start();
    bench.files.failWrites(ENOSPC, ".val");
    bench.ticks(5);
    bench.files.heal();
    bench.clock.advance(row.asleep);
    bench.clock.setUtcOffset(row.dayAfter);
    bench.ticks(3);

    EXPECT_EQ(bench.files.text(kDayFiles + row.day + ".val"), " 2, 1234,23:59:58\r\n 3, 1234,23:59:59\r\n");
    EXPECT_EQ(bench.files.text(kDayFiles + row.next + ".val"), " 2, 1234,00:00:00\r\n 3, 1234,00:00:01\r\n 4, 1234,00:00:02\r\n"
                                             " 5, 1234,23:59:58\r\n 6, 1234,23:59:59\r\n");
    EXPECT_EQ(bench.files.text(kDayFiles + row.after + ".val"), " 2, 1234,00:00:00\r\n");
    EXPECT_EQ(bench.files.text(kDayFiles + row.day + ".run"),
              kRunHeader + row.start + ";debut;2" + kRunRest + row.midnight + ";arret;4" + kRunRest);
    const std::string lastStart = kRunHeader + row.last + ";debut;2" + kRunRest;
    EXPECT_EQ(bench.files.text(kDayFiles + row.after + ".run").substr(0, lastStart.size()), lastStart);
    const std::string full = " : Aucun espace disponible sur le périphérique" + kWaiting;
    std::erase_if(bench.log, [](const std::string& line) { return line.find("alarme") != std::string::npos || line.starts_with("Alarme"); });
    EXPECT_EQ(std::vector(bench.log.begin() + 1, bench.log.end()),
              (std::vector<std::string>{"Écriture impossible dans " + kDayFiles + row.day + ".val" + full,
                                        "Nouveau jour : la série continue dans " + kDayFiles + row.next + ".val.",
                                        "Écriture impossible dans " + kDayFiles + row.next + ".val" + full,
                                        "Écriture de nouveau possible dans " + kDayFiles + row.next +
                                            ".val : les mesures en attente y sont écrites.",
                                        "Nouveau jour : la série continue dans " + kDayFiles + row.after + ".val."}));
}

// Summer time begins at 02:00 on Sunday 29 March 2026 (a day of 23 hours) and ends at 03:00 on
// Sunday 25 October 2026 (25 hours).
INSTANTIATE_TEST_SUITE_P(
    Nights, MidnightInTheRecorder,
    ::testing::Values(
        MidnightRow{"InWinter", 2026y / January / 15, 60min, 60min, 23h + 59min + 56s, "01-15-2026", "01-16-2026", "01-17-2026",
                    "2026-01-15T23:59:57+01:00", "2026-01-16T00:00:00+01:00", "2026-01-17T00:00:00+01:00"},
        MidnightRow{"BeforeSummerTimeBegins", 2026y / March / 28, 60min, 120min, 22h + 59min + 56s, "03-28-2026", "03-29-2026",
                    "03-30-2026",
                    "2026-03-28T23:59:57+01:00", "2026-03-29T00:00:00+01:00", "2026-03-30T00:00:00+02:00"},
        MidnightRow{"BeforeSummerTimeEnds", 2026y / October / 24, 120min, 60min, 24h + 59min + 56s, "10-24-2026", "10-25-2026",
                    "10-26-2026",
                    "2026-10-24T23:59:57+02:00", "2026-10-25T00:00:00+02:00", "2026-10-26T00:00:00+01:00"}),
    [](const ::testing::TestParamInfo<MidnightRow>& info) { return std::string(info.param.name); });

// A port lost for two tries (one refusing to open, one opening but not reading), then lines
// refused until the stop: each told once, the port's return a new run in a file of its own, the
// lines lost counted.
TEST(TheRecorder, TellsALostPortOnceAndItsReturnAndCountsTheLinesLostAtTheStop)
{
    StationBench bench(local_days{2026y / January / 15} + 12h, 60min);
    std::vector<std::string> alarms;  // what --alarme's command is given
    bench.station.onAlarm([&](const std::string& line) { alarms.push_back(line); });
    bench.station.start();
    bench.ticks(1);
    bench.portGone = true;
    bench.openRefused = true;
    bench.ticks(4);  // the read at 12:00:02, the open at 12:00:07, the open at 12:00:12 and its read
    bench.portGone = false;
    bench.ticks(2);  // the port opened at 12:00:18, its first reading
    bench.files.failWrites(EACCES, ".val");
    bench.ticks(2);
    EXPECT_EQ(bench.station.stop("SIGINT"), 2u);

    EXPECT_EQ(bench.files.text(kDayFiles + "01-15-2026.val"), " 2, 1234,12:00:19\r\n");
    const std::string file = kDayFiles + "01-15-2026.val";
    EXPECT_EQ(std::vector(bench.log.begin() + 1, bench.log.end()),
              (std::vector<std::string>{
                  "Lecture arrêtée : port parallèle /dev/parport0 inaccessible : Erreur d'entrée/sortie. Nouvel essai toutes les 5 s.",
                  "Alarme : port perdu (Erreur d'entrée/sortie) depuis 12:00:02.",
                  "Port parallèle /dev/parport0 de nouveau lisible : nouvelle série dans " + file + ".",
                  "Fin d'alarme : port perdu (Erreur d'entrée/sortie) de 12:00:02 à 12:00:19.",
                  "Écriture impossible dans " + file + " : Permission non accordée" + kWaiting,
                  "Alarme : lignes en attente d'écriture (Permission non accordée) depuis 12:00:20.",
                  "Fin d'alarme : lignes en attente d'écriture (Permission non accordée) de 12:00:20 à 12:00:21.",
                  "Enregistrement arrêté par SIGINT.",
                  "2 mesures n'ont pas pu être écrites : elles sont perdues."}));
    EXPECT_EQ(alarms.size(), 4u);
    EXPECT_EQ(alarms.front(), "Alarme : port perdu (Erreur d'entrée/sortie) depuis 12:00:02.");
}

}  // namespace
