// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// velmorixon --bilan: a small data folder read back as the month's table (its command line is
// in command_line_test).
#include "platform/month_report.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "acquisition/measurement_file.h"
#include "acquisition/run_companion.h"
#include "support/temp_dir.h"

using namespace std::chrono;

namespace {

/// A run from 12:00 local every minute for an hour at Chelles, 300 and 302 mV in turn.
void writeRun(const std::filesystem::path& file, year_month_day date)
{
    std::ofstream lines(file, std::ios::binary);
    for (int i = 0; i <= 60; ++i) lines << acquisition::dataLine(i + 2, 300 + 2 * (i % 2), hh_mm_ss<seconds>{12h + i * 1min});
    const acquisition::RunEvent start{acquisition::RunEvent::Kind::Start, local_days{date} + 12h, 2h, 2, "Chelles", 0, 0, 60, "", ""};
    std::ofstream(acquisition::companionPath(file), std::ios::binary)
        << acquisition::companionHeader() << acquisition::companionLine(start);
}

TEST(MonthReport, ReadsEachDayOfTheMonthUnderTheCalibrationInForceAndAddingARowKeepsTheOthers)
{
    TempDir dir;
    writeRun(dir.path() / "data06-02-2026.val", 2026y / June / 2);
    writeRun(dir.path() / "data06-21-2026.val.1", 2026y / June / 21);
    writeRun(dir.path() / "data07-01-2026.val", 2026y / July / 1);
    // From 20 June, 1 mV per W/m²; a row that does not read is said and left out, and stays.
    const record::CalibrationRow row{local_days{2026y / June / 20}, 2h, "essai", 1, 0.0, {}};
    ASSERT_EQ(addCalibrationRow(dir.path(), row), 0);
    std::ofstream(dir.path() / kCalibrationFileName, std::ios::app) << "2026-06-25;x;1;0;;\r\n";
    ASSERT_EQ(addCalibrationRow(dir.path(), {local_days{2026y / July / 1}, 2h, "essai 2", 2, 0.0, {}}), 0);

    const MonthReport report = reportMonth(dir.path(), 2026y / June, {});
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.errors, "velmorixon : " + (dir.path() / kCalibrationFileName).string() +
                                 ", ligne 3 : date « 2026-06-25 » illisible (attendu AAAA-MM-JJTHH:MM:SS+HH:MM) ; "
                                 "ligne ignorée.\n");
    EXPECT_EQ(readCalibrationFile(dir.path()).rows.size(), 2u);
    ASSERT_EQ(report.days.size(), 2u);
    // Before the calibration the irradiance columns are empty; from it, 301 W/m² for an hour,
    // no sunshine with the sun near 60°, the peak at 12:01, no flag.
    EXPECT_TRUE(std::regex_match(record::monthCsvLine(report.days[0]),
                                 std::regex("2026-06-02;Chelles;1;[0-9]+,[0-9];;;;;1[56],[0-9]{2};;;;0;0;0;0\r\n")));
    EXPECT_TRUE(std::regex_match(record::monthCsvLine(report.days[1]),
                                 std::regex("2026-06-21;Chelles;1;[0-9]+,[0-9];0,301;0,[0-9]{3};0,[0-9]{3};0,00;"
                                            "16,[0-9]{2};0,000;302,0;12,017;0;0;0;0\r\n")));
}

TEST(MonthReport, SaysInFrenchThatAFolderOrACalibrationFileDoesNotRead)
{
    TempDir dir;
    std::filesystem::create_symlink(kCalibrationFileName, dir.path() / kCalibrationFileName);  // a loop
    MonthReport report = reportMonth(dir.path(), 2026y / June, {});
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.errors, "velmorixon : Lecture impossible de « " + (dir.path() / kCalibrationFileName).string() +
                                 " » : Boucle de liens symboliques (trop de niveaux de liens) ; mesures en millivolts.\n");
    report = reportMonth(dir.path() / "absent", 2026y / June, {});
    EXPECT_EQ(report.status, 1);
    EXPECT_EQ(report.errors, "velmorixon : le dossier « " + (dir.path() / "absent").string() +
                                 " » ne se lit pas : Aucun fichier ou dossier de ce type.\n");
}

}  // namespace
