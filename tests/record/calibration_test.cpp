// capteur.csv: its rows read, a malformed row named in French and ignored, the row in force at
// the instant of a change, and a row added without touching the history.
#include <gtest/gtest.h>

#include <string>

#include "record/calibration.h"

using namespace std::chrono;
using namespace record;

namespace {

// By hand: a byte-order mark, empty coefficients, two malformed rows, a change of sensor on
// 15 June at 08:00 UTC, no last CR LF.
const std::string kFile =
    "\xEF\xBB\xBF" "depuis;capteur;sensibilite_mV_par_W_m2;decalage_mV;A;B\r\n"
    "2026-06-01T00:00:00+02:00;SP-110 x10;2,5;nuit;;\r\n"
    "2026-06-01T12:00:00+02:00;SP-110 x10;0;3;0,73;0,06\r\n"
    "2026-06-15T10:00:00Z;;;;;\r\n"
    "2026-06-15T10:00:00+02:00;CMP3;0,0153;-1,5;0,5;-0,05";

TEST(CalibrationFile, ReadsItsRowsAndNamesEachMalformedRowByFileAndLine)
{
    const CalibrationHistory history = parseCalibration(kFile, "/o/capteur.csv");
    ASSERT_EQ(history.rows.size(), 2u);
    // « nuit »: no offset; A and B empty: their defaults.
    const auto [first, second] = std::pair(history.rows[0], history.rows[1]);
    EXPECT_EQ(std::tuple(first.sensor, first.sensitivity, first.offset, first.coefficients.a, first.coefficients.b),
              std::tuple("SP-110 x10", 2.5, std::optional<double>(), 0.73, 0.06));
    EXPECT_EQ(std::tuple(second.offset, second.coefficients.a, second.coefficients.b), std::tuple(std::optional(-1.5), 0.5, -0.05));
    EXPECT_EQ(history.problems, (std::vector<std::string>{
        "/o/capteur.csv, ligne 3 : sensibilité « 0 » illisible ou non positive ; ligne ignorée.",
        "/o/capteur.csv, ligne 4 : date « 2026-06-15T10:00:00Z » illisible (attendu "
        "AAAA-MM-JJTHH:MM:SS+HH:MM) ; ligne ignorée."}));
}

TEST(CalibrationRows, TheOneInForceIsTheLastApplyingFromThatInstantOrEarlier)
{
    const CalibrationHistory history = parseCalibration(kFile, "capteur.csv");
    for (const auto& [at, sensor] : {std::pair{sys_days{2026y / May / 31} + 21h + 59min + 59s, "none"}, {sys_days{2026y / May / 31} + 22h, "SP-110 x10"},
                                     {sys_days{2026y / June / 15} + 7h + 59min + 59s, "SP-110 x10"}, {sys_days{2026y / June / 15} + 8h, "CMP3"}}) {
        const CalibrationRow* row = rowInForce(history.rows, at);
        EXPECT_EQ(row ? row->sensor : "none", sensor) << (at - sys_days{2026y / May / 31}).count() << " s";
    }
}

TEST(CalibrationFile, GetsARowAddedAfterItsBytesWhichStayAsTheyWere)
{
    CalibrationRow row{local_days{2026y / July / 1} + 6h, 2h, "SP-110; neuf", 0.25, {}, {0.5, -0.05}};
    const std::string line = "2026-07-01T06:00:00+02:00;SP-110, neuf;0,25;nuit;0,5;-0,05\r\n";
    EXPECT_EQ(std::pair(withRowAdded("", row), withRowAdded(kFile, row)), std::pair(calibrationHeader() + line, kFile + "\r\n" + line));
    const CalibrationHistory back = parseCalibration(withRowAdded(kFile, row), "capteur.csv");
    EXPECT_EQ(back.rows.size() == 3 ? calibrationLine(back.rows[2]) : "", line);
}

}  // namespace
