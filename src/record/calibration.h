#pragma once
// The sensor's calibration history, capteur.csv in the data folder, written by the program and
// by hand: UTF-8, CR LF, ';' between fields, decimal comma, a header, then one row per change.
//
//   depuis;capteur;sensibilite_mV_par_W_m2;decalage_mV;A;B
//   2026-06-01T00:00:00+02:00;SP-110 + ampli x10;2;nuit;0,73;0,06
//
// depuis: the instant the row applies from (ISO 8601 with its UTC offset); capteur: the
// sensor's name; the sensitivity in mV per W/m² after any amplifier (> 0); the dark offset in
// mV, or "nuit" for the median of that day's readings with the sun below −6°; A and B: the
// Carpentras coefficients (an empty field takes the default).
#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "record/sunlight_models.h"

namespace record {

struct CalibrationRow {
    std::chrono::local_seconds local{};  ///< « depuis » as written, on the offset below
    std::chrono::minutes utcOffset{0};
    std::string sensor;                  ///< UTF-8
    double sensitivity = 1;              ///< mV per W/m²
    std::optional<double> offset;        ///< mV; empty for « nuit »
    SunshineCoefficients coefficients;

    std::chrono::sys_seconds from() const
    {
        return std::chrono::sys_seconds{local.time_since_epoch() - utcOffset};
    }
};

/// The years the instrument can have recorded: a date outside them is a slip of the pen.
inline constexpr int kFirstYear = 1990;
inline constexpr int kLastYear = 2099;

/// The UTF-8 byte-order mark: skipped at the start of capteur.csv; written at the start of the
/// month's CSV saved from the window, so that a spreadsheet opened by a double-click reads
/// « Nîmes » as UTF-8 rather than guessing Windows-1252 (`--bilan` writes without it: its
/// standard output goes to scripts).
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

/// The values a row may hold, each range inclusive: what a sensor, its amplifier and the
/// converter's 0–4095 mV can give.
inline constexpr double kLeastSensitivity = 0.001;  ///< mV per W/m²
inline constexpr double kMostSensitivity = 1000;
inline constexpr double kMostOffset = kFullScale;   ///< mV, from 0
inline constexpr double kMostCoefficient = 10;      ///< |A| and |B|

/// Why `row` holds a value outside the ranges above, in French with the range accepted; empty
/// when every value is within them.
std::string outOfRange(const CalibrationRow& row);

/// The rows that read, in the order they apply (by « depuis »; the later row of the file wins
/// a tie), and the rows that did not read said in French: the first few each by the file and
/// its line, the others counted in one more sentence.
struct CalibrationHistory {
    std::vector<CalibrationRow> rows;
    std::vector<std::string> problems;
};

/// The file's bytes; `fileName` is how the problems name it. A byte-order mark, a missing
/// header and a last line without CR LF are accepted; numbers read with a comma or a point.
CalibrationHistory parseCalibration(std::string_view bytes, std::string_view fileName);

/// The row in force at `at`: the last one applying from `at` or earlier; none before the first.
const CalibrationRow* rowInForce(std::span<const CalibrationRow> rows, std::chrono::sys_seconds at);

/// The header row, CR LF included.
std::string calibrationHeader();
/// One row, CR LF included, numbers with a decimal comma in their shortest exact form.
std::string calibrationLine(const CalibrationRow& row);
/// The bytes that add `row` at the end of a file holding `existing` (history is never
/// rewritten): the header first when the file is empty, a CR LF first when its last line has
/// none.
std::string rowToAppend(std::string_view existing, const CalibrationRow& row);

}  // namespace record
