#include "record/calibration.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "acquisition/field_parsing.h"
#include "acquisition/run_companion.h"

namespace record {

namespace {

constexpr std::string_view kHeader = "depuis;capteur;sensibilite_mV_par_W_m2;decalage_mV;A;B";
constexpr std::size_t kFields = 6;

/// A decimal number written with a comma (or a point).
bool readDecimal(std::string_view text, double& value)
{
    std::string copy{text};
    std::replace(copy.begin(), copy.end(), ',', '.');
    return acquisition::readNumber(std::string_view{copy}, value) && std::isfinite(value);
}

void appendDecimal(std::string& out, double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    for (const char* c = buffer; c != result.ptr; ++c) out += *c == '.' ? ',' : *c;
}

/// A field as a problem shows it: at most 40 bytes (cut where a character begins), control
/// characters as « ? », so that a binary file makes short lines.
std::string quoted(std::string_view field)
{
    constexpr std::size_t kShown = 40;
    std::string shown;
    std::size_t end = std::min(field.size(), kShown);
    while (end < field.size() && end > 0 && (static_cast<unsigned char>(field[end]) & 0xC0) == 0x80) --end;
    for (const char c : field.substr(0, end)) shown += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    return "« " + shown + (end < field.size() ? "…" : "") + " »";
}

/// The row, or the reason it does not read.
std::string readRow(std::string_view line, CalibrationRow& row)
{
    std::array<std::string_view, kFields> fields;
    std::size_t count = 0;
    for (std::size_t start = 0;; ++count) {
        const auto end = line.find(';', start);
        if (count < kFields) fields[count] = line.substr(start, end == line.npos ? end : end - start);
        if (end == line.npos) break;
        start = end + 1;
    }
    if (++count != kFields)
        return std::to_string(count) + " champs au lieu de 6";
    if (!acquisition::parseIsoLocalTime(fields[0], row.local, row.utcOffset))
        return "date " + quoted(fields[0]) + " illisible (attendu AAAA-MM-JJTHH:MM:SS+HH:MM)";
    row.sensor = fields[1];
    if (!readDecimal(fields[2], row.sensitivity) || row.sensitivity <= 0)
        return "sensibilité " + quoted(fields[2]) + " illisible ou non positive";
    if (fields[3] == "nuit") {
        row.offset.reset();
    } else if (double offset; readDecimal(fields[3], offset)) {
        row.offset = offset;
    } else {
        return "décalage " + quoted(fields[3]) + " illisible (un nombre ou « nuit »)";
    }
    const SunshineCoefficients defaults;
    row.coefficients = defaults;
    if (!fields[4].empty() && !readDecimal(fields[4], row.coefficients.a))
        return "coefficient A " + quoted(fields[4]) + " illisible";
    if (!fields[5].empty() && !readDecimal(fields[5], row.coefficients.b))
        return "coefficient B " + quoted(fields[5]) + " illisible";
    return outOfRange(row);
}

std::string decimalText(double value)
{
    std::string text;
    appendDecimal(text, value);
    return text;
}

}  // namespace

std::string outOfRange(const CalibrationRow& row)
{
    const auto year = int(std::chrono::year_month_day{std::chrono::floor<std::chrono::days>(row.local)}.year());
    if (year < kFirstYear || year > kLastYear)
        return "année " + std::to_string(year) + " hors de " + std::to_string(kFirstYear) + " à " +
               std::to_string(kLastYear);
    if (!(row.sensitivity >= kLeastSensitivity && row.sensitivity <= kMostSensitivity))
        return "sensibilité " + decimalText(row.sensitivity) + " hors de " + decimalText(kLeastSensitivity) + " à " +
               decimalText(kMostSensitivity) + " mV par W/m²";
    if (row.offset && !(*row.offset >= 0 && *row.offset <= kMostOffset))
        return "décalage " + decimalText(*row.offset) + " hors de 0 à " + decimalText(kMostOffset) + " mV";
    for (const auto& [name, value] : {std::pair{"A", row.coefficients.a}, {"B", row.coefficients.b}})
        if (!(std::abs(value) <= kMostCoefficient))
            return std::string("coefficient ") + name + " " + decimalText(value) + " hors de -" +
                   decimalText(kMostCoefficient) + " à " + decimalText(kMostCoefficient);
    return {};
}

CalibrationHistory parseCalibration(std::string_view bytes, std::string_view fileName)
{
    constexpr std::size_t kNamed = 3;  // rows named one by one; the others are counted
    std::size_t unread = 0;
    CalibrationHistory history;
    if (bytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) bytes.remove_prefix(kUtf8ByteOrderMark.size());
    for (std::size_t number = 1; !bytes.empty(); ++number) {
        const auto end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == bytes.npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || (number == 1 && line == kHeader)) continue;
        CalibrationRow row;
        if (const std::string reason = readRow(line, row); reason.empty())
            history.rows.push_back(std::move(row));
        else if (++unread <= kNamed)
            history.problems.push_back(std::string(fileName) + ", ligne " + std::to_string(number) +
                                       " : " + reason + " ; ligne ignorée.");
    }
    if (unread > kNamed)
        history.problems.push_back(std::string(fileName) + " : " + std::to_string(unread - kNamed) +
                                   " autres lignes illisibles ignorées (" + std::to_string(unread) +
                                   " en tout) ; corrigez-les ou supprimez-les.");
    std::stable_sort(history.rows.begin(), history.rows.end(),
                     [](const CalibrationRow& a, const CalibrationRow& b) { return a.from() < b.from(); });
    return history;
}

const CalibrationRow* rowInForce(std::span<const CalibrationRow> rows, std::chrono::sys_seconds at)
{
    const auto after = std::upper_bound(rows.begin(), rows.end(), at,
                                        [](std::chrono::sys_seconds t, const CalibrationRow& row) {
                                            return t < row.from();
                                        });
    return after == rows.begin() ? nullptr : &*std::prev(after);
}

std::string calibrationHeader() { return std::string(kHeader) + "\r\n"; }

std::string calibrationLine(const CalibrationRow& row)
{
    std::string line = acquisition::isoLocalTime(row.local, row.utcOffset);
    line += ';';
    for (const char c : row.sensor) line += c == ';' ? ',' : (c == '\r' || c == '\n') ? ' ' : c;
    line += ';';
    appendDecimal(line, row.sensitivity);
    line += ';';
    if (row.offset) appendDecimal(line, *row.offset);
    else line += "nuit";
    line += ';';
    appendDecimal(line, row.coefficients.a);
    line += ';';
    appendDecimal(line, row.coefficients.b);
    line += "\r\n";
    return line;
}

std::string rowToAppend(std::string_view existing, const CalibrationRow& row)
{
    if (existing.empty()) return calibrationHeader() + calibrationLine(row);
    return (existing.back() != '\n' ? "\r\n" : "") + calibrationLine(row);
}

}  // namespace record
