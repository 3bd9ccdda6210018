// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// A day's files read back in bounded pieces and followed as the instrument writes them:
// appended lines, a run renamed aside or begun afresh, files that cannot be read; and a month of
// them read back as the month's table (velmorixon --bilan, whose defaults tests/program runs).
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <thread>

#include "acquisition/measurement_file.h"
#include "acquisition/run_companion.h"
#include "platform/day_record.h"
#include "platform/month_report.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono;
using std::filesystem::path;

const local_days kDay{2026y / June / 21};
const record::UtcOffsetAt kSummer = [](sys_seconds) { return minutes{120}; };
const std::string kNotPlain = "n'est pas un fichier ordinaire (un tube, un périphérique ou une socket)";


class DayRecordTest : public ::testing::Test {
protected:
    TempDir dir;
    path dayFile = dir.path() / "data06-21-2026.val";
};

TEST_F(DayRecordTest, ARunRenamedAsideKeepsItsReadingsAndOneBegunAfreshIsReadAgain)
{
    TempDir::append(dayFile, " 2, 100,10:00:00\r\n 3, 101,10:00:01\r\n");
    DayRecord record(dayFile, kSummer, kDay);
    record.refresh();
    const auto* firstRun = record.runs()[0];
    std::filesystem::rename(dayFile, dir.path() / "data06-21-2026.val.1");
    TempDir::append(dayFile, " 2, 500,09:59:00\r\n 3, 501,09:59:01\r\n");
    EXPECT_TRUE(record.refresh().runsChanged);
    // A time before the earlier run's last line belongs after it: on the next day, whose view
    // has it (the file was written after its day); this day keeps the earlier run only.
    ASSERT_EQ(record.runs().size(), 1u);
    EXPECT_EQ(record.runs()[0], firstRun) << "the earlier run was read again";
    EXPECT_EQ(record.runs()[0]->file.keptNumber, 1u);
    DayRecord next(dir.path() / "data06-22-2026.val", kSummer, kDay + days{1});
    next.refresh();
    ASSERT_TRUE(next.runs().size() == 1 && !next.problem());
    EXPECT_EQ(next.runs()[0]->points()[0].instant, sys_days{2026y / June / 22} + 7h + 59min);

    ::truncate(dayFile.c_str(), 0);
    TempDir::append(dayFile, " 2, 700,11:00:00\r\n");
    EXPECT_TRUE(record.refresh().runsChanged);
    ASSERT_EQ(record.runs()[1]->trace.points().size(), 1u);
    EXPECT_EQ(record.runs()[1]->trace.points()[0].millivolts, 700);
}

// A run from 7 June 20:00 to 8 June 04:00, a reading a minute, all in the start-up day's file:
// each day of the month has the readings of its own local date, with its companion's end row or,
// without one, since the file was written after its day.
TEST(MonthReport, GivesEachDayTheReadingsOfItsLocalDateWhicheverFileHoldsThem)
{
    for (const bool ended : {true, false}) {
        TempDir dir;
        std::ofstream lines(dir.path() / "data06-07-2026.val", std::ios::binary);
        for (int i = 0; i <= 480; ++i) lines << acquisition::dataLine(i + 2, 300, hh_mm_ss<seconds>{(20h + i * 1min) % 24h});
        lines.close();
        using Kind = acquisition::RunEvent::Kind;
        std::ofstream companion(dir.path() / "data06-07-2026.run", std::ios::binary);
        companion << acquisition::companionHeader() << acquisition::companionLine({Kind::Start, local_days{2026y / June / 7} + 20h, 2h, 2, "Chelles", 0, 0, 60, "", ""});
        if (ended) companion << acquisition::companionLine({Kind::Stop, local_days{2026y / June / 8} + 4h, 2h, 483, "Chelles", 0, 0, 60, "", ""});
        companion.close();
        const MonthReport report = reportMonth(dir.path(), 2026y / June, kSummer);
        ASSERT_EQ(report.days.size(), 2u);
        EXPECT_EQ(std::tuple(report.days[0].date, report.days[0].figures.readings, report.days[0].runs), std::tuple(2026y / June / 7, 240u, 1u));
        EXPECT_EQ(std::tuple(report.days[1].date, report.days[1].figures.readings, report.days[1].runs), std::tuple(2026y / June / 8, 241u, 1u));
    }
}

// Each kind of hostile file once, as a day's file and as capteur.csv, through every reader that
// opens it: the day's reading, the month (both said in French, never blocking) and the row that
// would be added to capteur.csv.
TEST_F(DayRecordTest, FilesThatCannotBeReadAreSaidByEveryReaderNeverFatalAndCostNoMemory)
{
    // The reason said for the day's file (none: read without a problem), whether it is refused
    // unopened, the lines that did not read, and the reason said for capteur.csv (none: not made).
    const std::string loop = "Boucle de liens symboliques (trop de niveaux de liens)";
    const struct { const char* what; std::function<void(const path&)> make; std::string reason; bool special; std::size_t malformed; std::string calibration; } rows[] = {
        {"missing", [](const path&) {}, "Aucun fichier ou dossier de ce type", false, 0, ""},
        {"a loop of links", [](const path& f) { std::filesystem::create_symlink(f.filename(), f); }, loop, false, 0, loop},
        {"a folder", [](const path& f) { std::filesystem::create_directory(f); }, "Est un dossier", false, 0, "Est un dossier"},
        {"a pipe", [](const path& f) { ::mkfifo(f.c_str(), 0644); }, kNotPlain, true, 0, kNotPlain},
        {"a device", [](const path& f) { std::filesystem::create_symlink("/dev/zero", f); }, kNotPlain, true, 0, kNotPlain},
        {"binary", [](const path& f) { TempDir::append(f, std::string("\x7f" "ELF\x02\0\0garbage\nmore garbage\r\n", 30)); }, "", false, 2, ""},
        {"a sparse terabyte", [](const path& f) { TempDir::append(f, "x");
             ::truncate(f.c_str(), off_t{1} << 40); }, "", false, 1, "fichier trop volumineux (plus de 1024 Kio)"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const path folder = dir.path() / row.what, file = folder / "data06-21-2026.val", sensor = folder / kCalibrationFileName;
        std::filesystem::create_directory(folder);
        row.make(file);
        if (!row.calibration.empty()) row.make(sensor);
        ::alarm(5);  // a reader that blocks ends the test instead of hanging the suite
        DayRecord record(file, kSummer, kDay);
        record.refresh();
        const std::string said = reportMonth(folder, 2026y / June, {}).errors;
        const std::string refused = addCalibrationRow(folder, {local_days{2026y / June / 1}, 2h, "s", 1, 0.0, {}});
        ::alarm(0);
        EXPECT_EQ(record.problem() ? record.problem()->reason : "", row.reason);
        EXPECT_EQ(record.problem() && record.problem()->special, row.special);
        EXPECT_EQ(record.malformedLines(), row.malformed);
        for (const auto& run : record.runs()) EXPECT_TRUE(run->trace.points().empty());
        EXPECT_EQ(said, (row.calibration.empty() ? "" : "Lecture impossible de « " + sensor.string() + " » : " + row.calibration + " ; mesures en millivolts.\n") +
                            (row.reason.empty() || row.what == std::string("missing") ? "" : "lecture impossible de « " + file.string() + " » : " + row.reason + " ; le bilan du jour est fait sans lui.\n"));
        EXPECT_EQ(refused, row.calibration.empty() ? "" : "Écriture impossible dans « " + sensor.string() + " » : " + row.calibration + ".");
    }
}

/// A run from 12:00 local every minute for an hour at Chelles, 300 and 302 mV in turn; its
/// companion says so, or there is none (Chelles then too, where the instrument starts).
void writeRun(const std::filesystem::path& file, year_month_day date, bool companion = true)
{
    std::ofstream lines(file, std::ios::binary);
    for (int i = 0; i <= 60; ++i) lines << acquisition::dataLine(i + 2, 300 + 2 * (i % 2), hh_mm_ss<seconds>{12h + i * 1min});
    const acquisition::RunEvent start{acquisition::RunEvent::Kind::Start, local_days{date} + 12h, 2h, 2, "Chelles", 0, 0, 60, "", ""};
    if (companion)
        std::ofstream(acquisition::companionPath(file), std::ios::binary) << acquisition::companionHeader() << acquisition::companionLine(start);
}

TEST(MonthReport, ReadsEachDayOfTheMonthUnderTheCalibrationInForceAndAddingARowKeepsTheOthers)
{
    TempDir dir;
    writeRun(dir.path() / "data06-02-2026.val", 2026y / June / 2, false);
    writeRun(dir.path() / "data06-21-2026.val.1", 2026y / June / 21);
    writeRun(dir.path() / "data07-01-2026.val", 2026y / July / 1);
    std::filesystem::create_symlink("data06-15-2026.val", dir.path() / "data06-15-2026.val");  // a loop
    // From 20 June, 1 mV per W/m²; a row that does not read is said and left out, and stays.
    const record::CalibrationRow row{local_days{2026y / June / 20}, 2h, "essai", 1, 0.0, {}};
    ASSERT_EQ(addCalibrationRow(dir.path(), row), "");
    std::ofstream(dir.path() / kCalibrationFileName, std::ios::app) << "2026-06-25;x;1;0;;";  // no CR LF
    ASSERT_EQ(addCalibrationRow(dir.path(), {local_days{2026y / July / 1}, 2h, "essai 2", 2, 0.0, {}}), "");

    const MonthReport report = reportMonth(dir.path(), 2026y / June, {});
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.errors, (dir.path() / kCalibrationFileName).string() +
                                 ", ligne 3 : date « 2026-06-25 » illisible (attendu AAAA-MM-JJTHH:MM:SS+HH:MM) ; "
                                 "ligne ignorée.\nlecture impossible de « " + (dir.path() / "data06-15-2026.val").string() +
                                 " » : Boucle de liens symboliques (trop de niveaux de liens) ; le bilan du jour est fait sans lui.\n");
    EXPECT_EQ(readCalibrationFile(dir.path()).rows.size(), 2u);
    ASSERT_EQ(report.days.size(), 3u);
    // Before the calibration the irradiance columns are empty; from it, 301 W/m² for an hour,
    // no sunshine with the sun near 60°, the peak at 12:01, no flag.
    EXPECT_TRUE(std::regex_match(record::monthCsvLine(report.days[0]),
                                 std::regex("2026-06-02;Chelles;1;[0-9]+,[0-9];;;;;1[56],[0-9]{2};;;;0;0;0;0\r\n")));
    EXPECT_TRUE(std::regex_match(record::monthCsvLine(report.days[2]),
                                 std::regex("2026-06-21;Chelles;1;[0-9]+,[0-9];0,301;0,[0-9]{3};0,[0-9]{3};0,00;"
                                            "16,[0-9]{2};0,000;302,0;12,017;0;0;0;0\r\n")));
}

// A row is appended where the file is: another program's rows written meanwhile stay, a hard
// link stays one; a read-only file and a second row for the same instant are refused and leave
// the bytes as they were.
TEST(CalibrationFile, GetsEachRowAppendedInPlaceBesideAnotherWriter)
{
    TempDir dir;
    const path file = dir.path() / kCalibrationFileName, other = dir.path() / "copie.csv";
    TempDir::append(file, "depuis;capteur;sensibilite_mV_par_W_m2;decalage_mV;A;B\r\n2026-01-01T00:00:00+01:00;a;1;0;;\r\n");
    std::filesystem::create_hard_link(file, other);
    std::thread appender([&] {
        for (int i = 0; i < 400; ++i) std::ofstream(other, std::ios::app) << "2025-01-01T00:00:00+01:00;autre;1;0;;\r\n";
    });
    for (int day = 1; day <= 20; ++day)
        EXPECT_EQ(addCalibrationRow(dir.path(), {local_days{2026y / June / day}, 2h, "essai", 1, 0.0, {}}), "");
    appender.join();
    const std::string bytes = TempDir::read(file);
    EXPECT_EQ(bytes, TempDir::read(other)) << "still one file under two names";
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 2 + 400 + 20);
    EXPECT_EQ(addCalibrationRow(dir.path(), {local_days{2026y / June / 20}, 2h, "double", 2, 0.0, {}}),
              "Ligne refusée : une ligne s'applique déjà depuis 2026-06-20T00:00:00+02:00 ; choisissez un autre instant.");
    ::chmod(file.c_str(), 0444);
    EXPECT_EQ(addCalibrationRow(dir.path(), {local_days{2026y / June / 21}, 2h, "essai", 1, 0.0, {}}),
              "Écriture impossible dans « " + file.string() + " » : le fichier est en lecture seule ; rendez-le "
              "modifiable (chmod u+w) pour y ajouter une ligne.");
    EXPECT_EQ(TempDir::read(file), bytes);
}

}  // namespace
