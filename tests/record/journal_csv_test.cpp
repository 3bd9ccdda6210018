// The day view's CSV for French spreadsheets, byte for byte.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>

#include "record/journal_csv.h"
#include "support/paris_zone.h"
#include "support/comma_decimal.h"

using namespace std::chrono;
using record::csvExport;
using record::csvHeader;
using record::csvLine;
using record::observingSites;
using record::sunAltitude;
using record::TracePoint;

namespace {

const TracePoint kAfternoon{sys_days{2026y / December / 7} + 13h + 3min + 27s, 60min, 2, 2048};

TEST(CsvRow, IsTheLocalTimeWithItsOffsetTheNumberTheMillivoltsAndACommaAltitude)
{
    EXPECT_EQ(csvLine(kAfternoon, 12.5), "2026-12-07T14:03:27+01:00;2;2048;12,50\r\n");
    EXPECT_EQ(csvLine(kAfternoon, -3.256), "2026-12-07T14:03:27+01:00;2;2048;-3,26\r\n");
    EXPECT_EQ(csvLine(kAfternoon, -0.001), "2026-12-07T14:03:27+01:00;2;2048;0,00\r\n");
    const TracePoint west{sys_days{2027y / January / 1} + 4h + 59min, -300min, 86401, 0};
    EXPECT_EQ(csvLine(west, 90), "2026-12-31T23:59:00-05:00;86401;0;90,00\r\n");
    const TracePoint summer{sys_days{2026y / June / 30} + 22h + 30min, 120min, 10, 4095};
    EXPECT_EQ(csvLine(summer, 0.125), "2026-07-01T00:30:00+02:00;10;4095;0,12\r\n");
}

TEST(CsvRow, IgnoresTheLocale)
{
    std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const bool french = std::setlocale(LC_ALL, "fr_FR.UTF-8") != nullptr;
    const TracePoint big{kAfternoon.instant, 60min, 1234567, 4095};
    const std::string row = csvLine(big, 1234.5);
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(row, "2026-12-07T14:03:27+01:00;1234567;4095;1234,50\r\n");
    if (!french) GTEST_SKIP() << "fr_FR.UTF-8 is not installed: checked under the C++ locale only";
}

TEST(CsvExport, IsTheHeaderThenARowPerPointWithTheSitesAltitudeInPlainAscii)
{
    const auto chelles = observingSites().at(7);
    std::vector<TracePoint> points;
    for (int i = 0; i < 3; ++i) {
        const sys_seconds t = sys_days{2026y / October / 25} + 0h + 59min + 59s + seconds(i);
        points.emplace_back(t, parisOffset(t), 2 + i, 100 * i);
    }
    const std::string csv = csvExport(points, chelles);
    std::string expected = "date_heure;numero;millivolts;hauteur_soleil_deg\r\n";
    EXPECT_EQ(csvHeader(), expected);
    for (const TracePoint& p : points) expected += csvLine(p, sunAltitude(chelles, p.instant, p.utcOffset()));
    EXPECT_EQ(csv, expected);
    EXPECT_NE(csv.find("T02:59:59+02:00;2;0;"), std::string::npos);
    EXPECT_NE(csv.find("T02:00:00+01:00;3;100;"), std::string::npos);
    EXPECT_TRUE(std::all_of(csv.begin(), csv.end(), [](char c) { return (c & 0x80) == 0; }));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\r'), 4);
}

}  // namespace
