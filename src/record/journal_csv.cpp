#include "record/journal_csv.h"

#include <charconv>

namespace record {

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
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, sunAltitudeDegrees,
                                      std::chars_format::fixed, 2);
    std::string_view altitude(buffer, static_cast<std::size_t>(result.ptr - buffer));
    if (altitude == "-0.00") altitude.remove_prefix(1);  // no signed zero in a spreadsheet
    for (const char c : altitude) line += c == '.' ? ',' : c;
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
