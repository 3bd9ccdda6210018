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
    const auto* firstRun = record.runs()[0].get();
    std::filesystem::rename(dayFile, dir.path() / "data06-21-2026.val.1");
    TempDir::append(dayFile, " 2, 500,09:59:00\r\n 3, 501,09:59:01\r\n");
    EXPECT_TRUE(record.refresh().runsChanged);
    ASSERT_EQ(record.runs().size(), 2u);
    EXPECT_EQ(record.runs()[0].get(), firstRun) << "the earlier run was read again";
    EXPECT_EQ(record.runs()[0]->file.keptNumber, 1u);
    // A time before the earlier run's last line belongs after it: on the next day.
    EXPECT_GT(record.runs()[1]->trace.points()[0].instant, record.runs()[0]->trace.points().back().instant);

    ::truncate(dayFile.c_str(), 0);
    TempDir::append(dayFile, " 2, 700,11:00:00\r\n");
    EXPECT_TRUE(record.refresh().runsChanged);
    ASSERT_EQ(record.runs()[1]->trace.points().size(), 1u);
    EXPECT_EQ(record.runs()[1]->trace.points()[0].millivolts, 700);
}

TEST_F(DayRecordTest, FilesThatCannotBeReadAreSaidNeverFatalAndCostNoMemory)
{
    // The reason said (none: read without a problem), whether it is a pipe or a device refused
    // unopened, and the lines that did not read.
    const struct { const char* what; std::function<void(const path&)> make; std::string reason; bool special; std::size_t malformed; } rows[] = {
        {"missing", [](const path&) {}, "Aucun fichier ou dossier de ce type", false, 0},
        {"a loop of links", [](const path& f) { std::filesystem::create_symlink(f.filename(), f); },
         "Boucle de liens symboliques (trop de niveaux de liens)", false, 0},
        {"a folder", [](const path& f) { std::filesystem::create_directory(f); }, "Est un dossier", false, 0},
        {"a pipe", [](const path& f) { ::mkfifo(f.c_str(), 0644); }, "", true, 0},
        {"a device", [](const path& f) { std::filesystem::create_symlink("/dev/zero", f); }, "", true, 0},
        {"binary", [](const path& f) { TempDir::append(f, std::string("\x7f" "ELF\x02\0\0garbage\nmore garbage\r\n", 30)); }, "", false, 2},
        {"a sparse terabyte", [](const path& f) { TempDir::append(f, "x");
             ::truncate(f.c_str(), off_t{1} << 40); }, "", false, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::create_directory(dir.path() / row.what);
        const path file = dir.path() / row.what / "data06-21-2026.val";
        row.make(file);
        DayRecord record(file, kSummer, kDay);
        record.refresh();
        EXPECT_EQ(record.problem() ? record.problem()->reason : "", row.reason);
        EXPECT_EQ(record.problem() && record.problem()->special, row.special);
        EXPECT_EQ(record.malformedLines(), row.malformed);
        for (const auto& run : record.runs()) EXPECT_TRUE(run->trace.points().empty());
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
    ASSERT_EQ(addCalibrationRow(dir.path(), row), 0);
    std::ofstream(dir.path() / kCalibrationFileName, std::ios::app) << "2026-06-25;x;1;0;;\r\n";
    ASSERT_EQ(addCalibrationRow(dir.path(), {local_days{2026y / July / 1}, 2h, "essai 2", 2, 0.0, {}}), 0);

    const MonthReport report = reportMonth(dir.path(), 2026y / June, {});
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.errors, "velmorixon : " + (dir.path() / kCalibrationFileName).string() +
                                 ", ligne 3 : date « 2026-06-25 » illisible (attendu AAAA-MM-JJTHH:MM:SS+HH:MM) ; "
                                 "ligne ignorée.\nvelmorixon : lecture impossible de « " + (dir.path() / "data06-15-2026.val").string() +
                                 " » : Boucle de liens symboliques (trop de niveaux de liens).\n");
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

// A folder that does not read: tests/program, through the program's exit status.
TEST(MonthReport, SaysInFrenchThatACalibrationFileDoesNotReadAndGoesOnInMillivolts)
{
    TempDir dir;
    std::filesystem::create_symlink(kCalibrationFileName, dir.path() / kCalibrationFileName);  // a loop
    const MonthReport report = reportMonth(dir.path(), 2026y / June, {});
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.errors, "velmorixon : Lecture impossible de « " + (dir.path() / kCalibrationFileName).string() +
                                 " » : Boucle de liens symboliques (trop de niveaux de liens) ; mesures en millivolts.\n");
}

}  // namespace
