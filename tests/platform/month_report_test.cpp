// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// velmorixon --bilan: its command line, and a small data folder read back as the month's table.
#include "platform/month_report.h"

#include <gtest/gtest.h>

#include <fstream>

#include "acquisition/measurement_file.h"
#include "acquisition/run_companion.h"
#include "platform/command_line.h"
#include "support/temp_dir.h"

using namespace std::chrono;

namespace {

struct BilanRow {
    std::string name;
    QStringList arguments;
    std::string folder;              // when accepted
    std::optional<year_month> month;
    std::string refusal;             // the first line of standard error, when refused
};
void PrintTo(const BilanRow& row, std::ostream* os) { *os << row.name; }
class BilanCommandLine : public testing::TestWithParam<BilanRow> {};

TEST_P(BilanCommandLine, NamesAFolderAndAMonthOrIsRefusedInFrench)
{
    const BilanRow& row = GetParam();
    const CommandLine cl = parseCommandLine(QStringList{"velmorixon"} + row.arguments, "1.0.0");
    if (!row.refusal.empty()) {
        ASSERT_TRUE(cl.exit);
        EXPECT_EQ(cl.exit->code, 2);
        EXPECT_EQ(cl.exit->standardError.substr(0, cl.exit->standardError.find('\n')), row.refusal);
        return;
    }
    ASSERT_FALSE(cl.exit) << cl.exit->standardError;
    ASSERT_TRUE(cl.bilan);
    EXPECT_EQ(cl.bilan->folder, row.folder);
    EXPECT_EQ(cl.bilan->month, row.month);
}
INSTANTIATE_TEST_SUITE_P(Bilan, BilanCommandLine, testing::Values(
    BilanRow{"DefaultsToTheDataFolderAndThisMonth", {"--bilan"}, "", {}, ""},
    BilanRow{"TakesAFolderAndAMonth", {"--bilan", "/data", "--mois", "2026-06"}, "/data", 2026y / June, ""},
    BilanRow{"RefusesAThirteenthMonth", {"--bilan", "--mois", "2026-13"}, "", {},
             "velmorixon : mois « 2026-13 » illisible : attendu AAAA-MM, par exemple 2026-06"},
    BilanRow{"RefusesAMonthWithoutTheBilan", {"--mois", "2026-06"}, "", {},
             "velmorixon : « --mois » va avec « --bilan »"},
    BilanRow{"RefusesTheDayViewBeside", {"--bilan", "--journal"}, "", {},
             "velmorixon : « --bilan » ne va pas avec « --journal »"}),
    [](const auto& info) { return info.param.name; });

void write(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

/// A run from 12:00 local every minute for an hour, 300 and 302 mV in turn, at Chelles.
void writeRun(const std::filesystem::path& folder, year_month_day date, const std::string& name)
{
    std::string lines;
    for (int i = 0; i <= 60; ++i)
        lines += acquisition::dataLine(i + 2, 300 + 2 * (i % 2), hh_mm_ss<seconds>{12h + i * 1min});
    write(folder / name, lines);
    acquisition::RunEvent start;
    start.local = local_days{date} + 12h;
    start.utcOffset = 2h;
    start.nextNumber = 2;
    start.site = "Chelles";
    start.periodSeconds = 60;
    write(acquisition::companionPath(folder / name), acquisition::companionHeader() + acquisition::companionLine(start));
}

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out(1);
    for (const char c : line.substr(0, line.find('\r'))) {
        if (c == ';') out.emplace_back();
        else out.back() += c;
    }
    return out;
}

TEST(MonthReport, ReadsEachDayWithAFileUnderTheCalibrationInForce)
{
    TempDir dir;
    writeRun(dir.path(), 2026y / June / 2, "data06-02-2026.val");
    writeRun(dir.path(), 2026y / June / 21, "data06-21-2026.val.1");
    writeRun(dir.path(), 2026y / July / 1, "data07-01-2026.val");
    // From 20 June, 1 mV per W/m²; a row that does not read is said and left out.
    record::CalibrationRow row;
    row.local = local_days{2026y / June / 20};
    row.utcOffset = 2h;
    row.sensor = "essai";
    row.offset = 0;
    ASSERT_EQ(addCalibrationRow(dir.path(), row), 0);
    std::ofstream(dir.path() / kCalibrationFileName, std::ios::app) << "2026-06-25;x;1;0;;\r\n";

    const MonthReport report = reportMonth(dir.path(), 2026y / June, {});
    EXPECT_EQ(report.status, 0);
    EXPECT_EQ(report.errors, "velmorixon : " + (dir.path() / kCalibrationFileName).string() +
                                 ", ligne 3 : date « 2026-06-25 » illisible (attendu "
                                 "AAAA-MM-JJTHH:MM:SS+HH:MM) ; ligne ignorée.\n");
    const std::string csv = record::monthCsv(report.days);
    const std::string second = csv.substr(csv.find("\r\n2026-06-21") + 2);
    const std::vector<std::string> june2 = fields(csv.substr(csv.find("2026-06-02")));
    const std::vector<std::string> june21 = fields(second);
    ASSERT_EQ(june2.size(), 16u);
    ASSERT_EQ(june21.size(), 16u);
    // Before the calibration: the irradiance columns empty, the day length and flags kept.
    EXPECT_EQ(june2[1] + ";" + june2[2] + ";" + june2[4] + june2[5] + june2[6] + june2[7] + june2[9] +
                  june2[10] + june2[11],
              "Chelles;1;");
    EXPECT_NE(june2[8], "");
    // From it: 301 W/m² for an hour, no sunshine with the sun near 60°, the peak at 12:01.
    EXPECT_EQ(june21[4] + " " + june21[7] + " " + june21[10] + " " + june21[11] + " " + june21[12] + june21[13] +
                  june21[14] + june21[15],
              "0,301 0,00 302,0 12:01:00 0000");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3);  // the header and two days of June
}

TEST(MonthReport, SaysInFrenchThatAFolderDoesNotRead)
{
    const MonthReport report = reportMonth("/nonexistent/velmorixon", 2026y / June, {});
    EXPECT_EQ(report.status, 1);
    EXPECT_EQ(report.errors, "velmorixon : le dossier « /nonexistent/velmorixon » ne se lit pas : "
                             "Aucun fichier ou dossier de ce type.\n");
}

}  // namespace
