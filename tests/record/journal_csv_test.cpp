// The day view's CSV for French spreadsheets, byte for byte, whatever the locale, as the
// measurement lines and the day's file name are.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>

#include "acquisition/measurement_file.h"
#include "record/journal_csv.h"

using namespace std::chrono;
using namespace record;

namespace {

// A comma as decimal point and a dot between thousands, as a French PC has them.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

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
        {csvLine({sys_days{2026y / December / 7} + 13h, 0min, 2, 2048}, 1), "2026-12-07T13:00:00+00:00;2;2048;1,00\r\n"},
        {acquisition::dataLine(2, 2048, hh_mm_ss(14h + 3min + 27s)), " 2, 2048,14:03:27\r\n"},
        {acquisition::dataLine(1234567, 4095, hh_mm_ss(8h + 9s)), " 1234567, 4095,08:00:09\r\n"},
        {acquisition::dataFileName(2026y / December / 5), "data12-05-2026.val"}};
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
    for (const auto& [row, expected] : rows) EXPECT_EQ(row, expected);
    if (!french) GTEST_SKIP() << "fr_FR.UTF-8 is not installed: checked under the C++ locale only";
}

TEST(CsvExport, IsTheHeaderThenARowPerPointWithTheSitesAltitudeAndTheClockOfItsOffset)
{
    // 21 June 2006 at 12:00 UTC the window shows the sun at Chelles 64° 49 Min. 31 Sec. high;
    // then across the autumn change, where only the clock matters.
    std::vector<TracePoint> points{{sys_days{2006y / June / 21} + 12h, 120min, 2, 2048}};
    for (int i = 0; i < 2; ++i) points.emplace_back(sys_days{2026y / October / 25} + 59min + 59s + seconds(i), i ? 60min : 120min, 3 + i, 100 * i);
    const std::string csv = csvExport(points, *siteNamed("Chelles"));
    EXPECT_EQ(csv.substr(0, csv.find("T02:59:59")), "date_heure;numero;millivolts;hauteur_soleil_deg\r\n2006-06-21T14:00:00+02:00;2;2048;64,83\r\n2026-10-25");
    EXPECT_NE(csv.find("T02:59:59+02:00;3;0;-"), std::string::npos);
    EXPECT_NE(csv.find("\r\n2026-10-25T02:00:00+01:00;4;100;-"), std::string::npos);
}

TEST(SunlitCsv, AddsIrradianceTheClearSkyIndexTheFlagsEmptyWithoutCalibrationAndTheLocalClockASpreadsheetReads)
{
    const TracePoint point{sys_days{2026y / June / 21} + 10h, 120min, 7, 825};
    EXPECT_EQ(sunlitCsvHeader(), "date_heure;numero;millivolts;hauteur_soleil_deg;irradiance_W_m2;indice_ciel_clair;drapeau;date_heure_locale\r\n");
    EXPECT_EQ(sunlitCsvLine(point, 56.5, {56.5, 500, 412.345, true, true, kRare | kStuck}),
              "2026-06-21T12:00:00+02:00;7;825;56,50;412,3;0,825;rare+fige;2026-06-21T12:00:00\r\n");
    const TracePoint newYear{sys_days{2027y / January / 1} + 4h + 59min + 5s, -300min, 86401, 4095};
    EXPECT_EQ(sunlitCsvLine(newYear, 56.5, {56.5, 500, 0, false, false, kImpossible | kSaturated}),
              "2026-12-31T23:59:05-05:00;86401;4095;56,50;;;impossible+sature;2026-12-31T23:59:05\r\n");
    EXPECT_EQ(sunlitCsvLine(point, -10, {-10, 0, 3.5, true, false, 0}), "2026-06-21T12:00:00+02:00;7;825;-10,00;3,5;;;2026-06-21T12:00:00\r\n")
        << "no clear-sky index without a clear sky";
}

}  // namespace
