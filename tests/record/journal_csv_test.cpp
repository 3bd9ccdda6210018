// The day view's CSV for French spreadsheets, byte for byte, whatever the locale, as the
// measurement lines and the day's file name are.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>

#include "acquisition/measurement_file.h"
#include "record/journal_csv.h"
#include "support/comma_decimal.h"
#include "support/paris_zone.h"

using namespace std::chrono;
using namespace record;

namespace {

TEST(FileBytes, OfCsvRowsMeasurementLinesAndTheDaysFileNameAreTheSameInAnyLocale)
{
    std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const bool french = std::setlocale(LC_ALL, "fr_FR.UTF-8") != nullptr;  // the C library's too
    const sys_seconds afternoon = sys_days{2026y / December / 7} + 13h + 3min + 27s;
    const std::vector<std::pair<std::string, std::string>> rows{
        {csvLine({afternoon, 60min, 2, 2048}, 12.5), "2026-12-07T14:03:27+01:00;2;2048;12,50\r\n"},
        {csvLine({afternoon, 60min, 1234567, 4095}, 1234.5), "2026-12-07T14:03:27+01:00;1234567;4095;1234,50\r\n"},
        {csvLine({afternoon, 60min, 2, 2048}, -3.256), "2026-12-07T14:03:27+01:00;2;2048;-3,26\r\n"},
        {csvLine({afternoon, 60min, 2, 2048}, -0.001), "2026-12-07T14:03:27+01:00;2;2048;0,00\r\n"},
        {csvLine({sys_days{2027y / January / 1} + 4h + 59min, -300min, 86401, 0}, 90), "2026-12-31T23:59:00-05:00;86401;0;90,00\r\n"},
        {csvLine({sys_days{2026y / June / 30} + 22h + 30min, 120min, 10, 4095}, 0.125), "2026-07-01T00:30:00+02:00;10;4095;0,12\r\n"},
        {acquisition::dataLine(2, 2048, hh_mm_ss(14h + 3min + 27s)), " 2, 2048,14:03:27\r\n"},
        {acquisition::dataLine(1234567, 4095, hh_mm_ss(8h + 9s)), " 1234567, 4095,08:00:09\r\n"},
        {acquisition::dataFileName(2026y / December / 5), "data12-05-2026.val"}};
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
    for (const auto& [row, expected] : rows) EXPECT_EQ(row, expected);
    if (!french) GTEST_SKIP() << "fr_FR.UTF-8 is not installed: checked under the C++ locale only";
}

TEST(CsvExport, IsTheHeaderThenARowPerPointWithTheSitesAltitudeInPlainAscii)
{
    const auto chelles = record::observingSites().at(7);
    std::vector<TracePoint> points;
    for (int i = 0; i < 3; ++i) {  // across the autumn change
        const sys_seconds t = sys_days{2026y / October / 25} + 59min + 59s + seconds(i);
        points.emplace_back(t, parisOffset(t), 2 + i, 100 * i);
    }
    const std::string csv = record::csvExport(points, chelles);
    std::string expected = "date_heure;numero;millivolts;hauteur_soleil_deg\r\n";
    for (const TracePoint& p : points) expected += csvLine(p, record::sunAltitude(chelles, p.instant, p.utcOffset()));
    EXPECT_EQ(csv, expected);
    EXPECT_NE(csv.find("T02:59:59+02:00;2;0;"), std::string::npos);
    EXPECT_NE(csv.find("T02:00:00+01:00;3;100;"), std::string::npos);
    EXPECT_TRUE(std::all_of(csv.begin(), csv.end(), [](char c) { return (c & 0x80) == 0; }));
}

}  // namespace
