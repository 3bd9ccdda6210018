#include "astro/sun_position.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "astro/module1.h"

namespace astro {

namespace {

struct ClockReading {
    double day, month, year, hour, minute, second;
};

ClockReading readClock(DateTime local)
{
    using namespace std::chrono;
    const local_days date = floor<days>(local);
    const year_month_day ymd{date};
    const hh_mm_ss<seconds> time{local - date};
    return {static_cast<double>(static_cast<unsigned>(ymd.day())),
            static_cast<double>(static_cast<unsigned>(ymd.month())),
            static_cast<double>(static_cast<int>(ymd.year())),
            static_cast<double>(time.hours().count()),
            static_cast<double>(time.minutes().count()),
            static_cast<double>(time.seconds().count())};
}

// Appends a value that is already a whole number, in plain digits with a leading minus sign
// when negative. Values beyond the 64-bit integer range (or not finite) are written by the
// floating-point formatter instead of being cast.
void appendWhole(std::string& out, double whole)
{
    char buffer[400];
    std::to_chars_result result{};
    if (whole > -9.2e18 && whole < 9.2e18) {
        result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::int64_t>(whole));
    } else {
        result = std::to_chars(buffer, buffer + sizeof buffer, whole, std::chars_format::fixed, 0);
    }
    out.append(buffer, result.ptr);
}

}  // namespace

SunPositionDetail sunPositionDetail(DateTime local, int correctionHeure, double longitudeEast,
                                    double latitude, double pi)
{
    const auto rad = [pi](double degrees) { return degrees * pi / 180; };
    const ClockReading c = readClock(local);
    SunPositionDetail p{};

    p.jd = Module1::JulianDay(c.day, c.month, c.year, c.hour, c.minute, c.second);
    p.d = (p.jd - correctionHeure / 24.0) - 2451545.0;
    p.g = p.d * 0.98560028 + 357.529;   // mean anomaly
    p.q = p.d * 0.98564736 + 280.459;   // mean longitude
    p.L = (std::sin(rad(p.g)) * 1.915 + p.q) + std::sin(rad(2 * p.g)) * 0.02;
    p.e = 23.439 - p.d * 0.00000036;    // obliquity

    const double cosL = std::cos(rad(p.L));
    const double sinL = std::sin(rad(p.L));
    p.RA = std::atan(std::cos(rad(p.e)) * sinL / cosL) * (180 / pi) / 15;
    if (cosL < 0) {
        p.RA = p.RA + 12;
    }
    if (cosL > 0 && sinL < 0) {
        p.RA = p.RA + 24;
    }
    p.delta = Module1::ArcSin(std::sin(rad(p.e)) * sinL) * 180 / pi;

    p.T = p.d / 36525;
    p.S = ((p.T * p.T * 0.093104) + (p.T * 8640184.812866 + 24110.54841) -
           p.T * p.T * p.T * 0.0000062) /
          3600;
    p.G = (p.S / 24 - std::floor(p.S / 24)) * 24;
    // Reduced to one day of hours first, then scaled: the angle runs up to about 360.987°.
    p.siderealAngle = p.G * 360 / 23.9344;
    p.clockAngle =
        ((c.hour - correctionHeure - 12) + c.minute / 60 + c.second / 3600) * 360 / 23.9344;
    // Counted from the lower meridian: 180° when the sun culminates.
    p.H = (p.clockAngle + p.siderealAngle) - p.RA * 15 + longitudeEast;

    const double sinDelta = std::sin(rad(p.delta));
    const double cosDelta = std::cos(rad(p.delta));
    const double sinPhi = std::sin(rad(latitude));
    const double cosPhi = std::cos(rad(latitude));
    p.altitude =
        Module1::ArcSin(sinDelta * sinPhi - cosPhi * cosDelta * std::cos(rad(p.H))) * 180 / pi;

    const double sinA = std::sin(rad(p.altitude));
    const double cosA = std::cos(rad(p.altitude));
    p.azimuth = Module1::ArcCos((sinDelta - sinA * sinPhi) / (cosA * cosPhi)) * 180 / pi;
    if (cosDelta * std::sin(rad(p.H)) / cosA < 0) {
        p.azimuth = 360 - p.azimuth;  // afternoon: west of the meridian
    }
    return p;
}

HorizontalPosition sunPosition(DateTime local, int correctionHeure, double longitudeEast,
                               double latitude, double pi)
{
    const SunPositionDetail p =
        sunPositionDetail(local, correctionHeure, longitudeEast, latitude, pi);
    return {p.altitude, p.azimuth};
}

std::string dmsCaption(double degrees)
{
    const double whole = std::floor(degrees);
    const double minutes = std::floor((degrees - whole) * 60);
    const double seconds = std::floor(((degrees - whole) * 60 - minutes) * 60);

    std::string caption;
    appendWhole(caption, whole);
    caption += "\u00B0 ";
    appendWhole(caption, minutes);
    caption += " Min. ";
    appendWhole(caption, seconds);
    caption += " Sec.";
    return caption;
}

}  // namespace astro
