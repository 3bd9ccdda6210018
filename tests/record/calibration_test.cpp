// capteur.csv: its rows read, a malformed row named in French and ignored, the row in force at
// the instant of a change.
#include <gtest/gtest.h>

#include <string>

#include "record/calibration.h"

using namespace std::chrono;
using namespace record;

namespace {

// By hand: a byte-order mark, empty coefficients, a change of sensor on 15 June at 08:00 UTC,
// no last CR LF.
const std::string kFile =
    "\xEF\xBB\xBF" "depuis;capteur;sensibilite_mV_par_W_m2;decalage_mV;A;B\r\n"
    "2026-06-01T00:00:00+02:00;SP-110 x10;2,5;nuit;;\r\n"
    "2026-06-15T10:00:00+02:00;CMP3;0,0153;1,5;0,5;-0,05";

TEST(CalibrationFile, ReadsItsRows)
{
    const CalibrationHistory history = parseCalibration(kFile, "/o/capteur.csv");
    ASSERT_EQ(history.rows.size(), 2u);
    EXPECT_TRUE(history.problems.empty());
    // « nuit »: no offset; A and B empty: their defaults.
    const auto [first, second] = std::pair(history.rows[0], history.rows[1]);
    EXPECT_EQ(std::tuple(first.sensor, first.sensitivity, first.offset, first.coefficients.a, first.coefficients.b),
              std::tuple("SP-110 x10", 2.5, std::optional<double>(), 0.73, 0.06));
    EXPECT_EQ(std::tuple(second.offset, second.coefficients.a, second.coefficients.b), std::tuple(std::optional(1.5), 0.5, -0.05));
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

// A row that does not read, or holds a value no sensor gives, is named with the reason or the
// range accepted (each limit from both sides); past three, such rows are counted, so that a
// binary file makes four lines.
TEST(CalibrationFile, NamesARowThatDoesNotReadOrIsOutOfRangeAndCountsThoseBeyondTheThird)
{
    const struct { const char* row; const char* reason; } rows[] = {
        {"1990-01-01T00:00:00+01:00;s;0,001;0;-10;10", ""},
        {"2026-06-15T10:00:00Z;;;;;", "date « 2026-06-15T10:00:00Z » illisible (attendu AAAA-MM-JJTHH:MM:SS+HH:MM)"},
        {"2026-06-01T12:00:00+02:00;s;0;3;0,73;0,06", "sensibilité « 0 » illisible ou non positive"},
        {"2099-12-31T23:59:59+01:00;s;1000;4095;10;-10", ""},
        {"1989-12-31T23:59:59+01:00;s;1;0;;", "année 1989 hors de 1990 à 2099"},
        {"2100-01-01T00:00:00+01:00;s;1;0;;", "année 2100 hors de 1990 à 2099"},
        {"0000-01-01T00:00:00+01:00;s;1;0;;", "année 0 hors de 1990 à 2099"},
        {"2026-06-01T00:00:00+02:00;s;0,00099;0;;", "sensibilité 0,00099 hors de 0,001 à 1000 mV par W/m²"},
        {"2026-06-01T00:00:00+02:00;s;1e-308;0;;", "sensibilité 1e-308 hors de 0,001 à 1000 mV par W/m²"},
        {"2026-06-01T00:00:00+02:00;s;1000,5;0;;", "sensibilité 1000,5 hors de 0,001 à 1000 mV par W/m²"},
        {"2026-06-01T00:00:00+02:00;s;1;-0,5;;", "décalage -0,5 hors de 0 à 4095 mV"},
        {"2026-06-01T00:00:00+02:00;s;1;4095,5;;", "décalage 4095,5 hors de 0 à 4095 mV"},
        {"2026-06-01T00:00:00+02:00;s;1;0;1e308;", "coefficient A 1e+308 hors de -10 à 10"},
        {"2026-06-01T00:00:00+02:00;s;1;0;;-10,01", "coefficient B -10,01 hors de -10 à 10"}};
    for (const auto& [row, reason] : rows) {
        const CalibrationHistory history = parseCalibration(std::string(row) + "\r\n", "c");
        EXPECT_EQ(history.problems.empty() ? "" : history.problems[0], *reason ? std::string("c, ligne 1 : ") + reason + " ; ligne ignorée." : "") << row;
    }
    const std::string garbage = std::string(60, '\x01') + ";;;;;\n";
    const CalibrationHistory binary = parseCalibration(garbage + garbage + garbage + garbage + garbage, "c");
    ASSERT_EQ(binary.problems.size(), 4u);
    EXPECT_EQ(binary.problems[0], "c, ligne 1 : date « " + std::string(40, '?') + "… » illisible (attendu AAAA-MM-JJTHH:MM:SS+HH:MM) ; ligne ignorée.");
    EXPECT_EQ(binary.problems[3], "c : 2 autres lignes illisibles ignorées (5 en tout) ; corrigez-les ou supprimez-les.");
}

}  // namespace
