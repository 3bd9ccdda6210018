#include "record/journal_csv.h"

#include <charconv>
#include <utility>

namespace record {

namespace {

/// `value` with `decimals` decimals and a decimal comma; no signed zero in a spreadsheet.
void appendDecimal(std::string& line, double value, int decimals)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    if (text.starts_with("-") && text.find_first_not_of("-0.") == std::string_view::npos) text.remove_prefix(1);
    for (const char c : text) line += c == '.' ? ',' : c;
}

}  // namespace

std::string csvHeader()
{
    return "date_heure;numero;millivolts;hauteur_soleil_deg\r\n";
}

std::string csvLine(const TracePoint& point, double sunAltitudeDegrees)
{
    std::string line = acquisition::isoLocalTime(
        std::chrono::local_seconds{point.instant.time_since_epoch() + point.utcOffset()},
        point.utcOffset());
    line += ';';
    line += std::to_string(std::int64_t{point.number});
    line += ';';
    line += std::to_string(int(point.millivolts));
    line += ';';
    appendDecimal(line, sunAltitudeDegrees, 2);
    line += "\r\n";
    return line;
}

std::string csvExport(std::span<const TracePoint> points, const ObservingSite& site)
{
    std::string csv = csvHeader();
    csv.reserve(csv.size() + points.size() * 48);
    for (const TracePoint& point : points)
        csv += csvLine(point, sunAltitude(site, point.instant, point.utcOffset()));
    return csv;
}

}  // namespace record

namespace record {

std::string flagNames(std::uint8_t flags)
{
    std::string names;
    const std::pair<std::uint8_t, const char*> kinds[] = {
        {kImpossible, "impossible"}, {kRare, "rare"}, {kSaturated, "sature"}, {kStuck, "fige"}};
    for (const auto& [bit, name] : kinds) {
        if ((flags & bit) == 0) continue;
        if (!names.empty()) names += '+';
        names += name;
    }
    return names;
}

std::string sunlitCsvHeader()
{
    std::string header = csvHeader();
    header.resize(header.size() - 2);
    return header + ";irradiance_W_m2;indice_ciel_clair;drapeau;date_heure_locale\r\n";
}

std::string sunlitCsvLine(const TracePoint& point, double sunAltitudeDegrees, const SunlitReading& reading)
{
    std::string line = csvLine(point, sunAltitudeDegrees);
    line.resize(line.size() - 2);
    line += ';';
    if (reading.calibrated) appendDecimal(line, reading.irradiance, 1);
    line += ';';
    if (reading.calibrated && reading.clearSky > 0) appendDecimal(line, reading.irradiance / reading.clearSky, 3);
    line += ';';
    line += flagNames(reading.flags);
    // The row's own clock without its offset: ISO 8601 that a spreadsheet reads as a date and time.
    line += ';';
    line += line.substr(0, 19);
    line += "\r\n";
    return line;
}

}  // namespace record
