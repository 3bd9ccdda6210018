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
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
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
        return "date « " + std::string(fields[0]) + " » illisible (attendu AAAA-MM-JJTHH:MM:SS+HH:MM)";
    row.sensor = fields[1];
    if (!readDecimal(fields[2], row.sensitivity) || row.sensitivity <= 0)
        return "sensibilité « " + std::string(fields[2]) + " » illisible ou non positive";
    if (fields[3] == "nuit") {
        row.offset.reset();
    } else if (double offset; readDecimal(fields[3], offset)) {
        row.offset = offset;
    } else {
        return "décalage « " + std::string(fields[3]) + " » illisible (un nombre ou « nuit »)";
    }
    const SunshineCoefficients defaults;
    row.coefficients = defaults;
    if (!fields[4].empty() && !readDecimal(fields[4], row.coefficients.a))
        return "coefficient A « " + std::string(fields[4]) + " » illisible";
    if (!fields[5].empty() && !readDecimal(fields[5], row.coefficients.b))
        return "coefficient B « " + std::string(fields[5]) + " » illisible";
    return {};
}

}  // namespace

CalibrationHistory parseCalibration(std::string_view bytes, std::string_view fileName)
{
    CalibrationHistory history;
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) bytes.remove_prefix(kByteOrderMark.size());
    for (std::size_t number = 1; !bytes.empty(); ++number) {
        const auto end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == bytes.npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || (number == 1 && line == kHeader)) continue;
        CalibrationRow row;
        if (const std::string reason = readRow(line, row); reason.empty())
            history.rows.push_back(std::move(row));
        else
            history.problems.push_back(std::string(fileName) + ", ligne " + std::to_string(number) +
                                       " : " + reason + " ; ligne ignorée.");
    }
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

std::string withRowAdded(std::string_view existing, const CalibrationRow& row)
{
    std::string bytes{existing};
    if (bytes.empty()) bytes = calibrationHeader();
    else if (bytes.back() != '\n') bytes += "\r\n";
    return bytes + calibrationLine(row);
}

}  // namespace record
