#include "record/day_sun.h"

#include <cmath>

#include "astro/cls_sunrise.h"
#include "astro/latin_case.h"
#include "astro/sun_position.h"

namespace record {

namespace {

using namespace std::chrono;

/// The main window's Pi.
const double kWindowPi = 4 * std::atan(1.0);

std::string matchKey(std::string_view name)
{
    const auto first = name.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return astro::lowerLatin(name.substr(first, name.find_last_not_of(' ') - first + 1));
}

}  // namespace

std::vector<ObservingSite> observingSites()
{
    clsSunrise calc{astro::kZeroDateTime};
    ObservingSite chosen;
    // What the window receives when a site is chosen: latitude, then longitude made east.
    calc.setSiteLink([&chosen](double latitude, double longitude) {
        chosen.latitude = latitude;
        chosen.longitudeEast = longitude;
    });
    std::vector<ObservingSite> sites;
    for (std::int32_t i = 0; i < calc.CityCount(); ++i) {
        calc.City(static_cast<double>(i));
        chosen.index = i;
        chosen.name = calc.CityName(i);
        chosen.timeZone = calc.TimeZone();
        sites.push_back(chosen);
    }
    return sites;
}

std::optional<ObservingSite> siteNamed(std::string_view name)
{
    const std::vector<ObservingSite> sites = observingSites();
    for (const ObservingSite& site : sites)
        if (site.name == name) return site;
    const std::string wanted = matchKey(name);
    for (const ObservingSite& site : sites)
        if (matchKey(site.name) == wanted) return site;
    return std::nullopt;
}

double sunAltitude(const ObservingSite& site, sys_seconds instant, minutes utcOffset)
{
    const bool wholeHours = utcOffset % hours{1} == minutes{0};
    const minutes shownOffset = wholeHours ? utcOffset : minutes{0};
    const astro::DateTime clock{instant.time_since_epoch() + shownOffset};
    const int correctionHeure = static_cast<int>(duration_cast<hours>(shownOffset).count());
    return astro::sunPosition(clock, correctionHeure, site.longitudeEast, site.latitude, kWindowPi)
        .altitude;
}

std::vector<SunSample> sunCurve(const ObservingSite& site, sys_seconds from, sys_seconds to,
                                seconds step, const UtcOffsetAt& zone)
{
    std::vector<SunSample> curve;
    if (to < from) return curve;
    if (step < seconds{1}) step = seconds{1};
    curve.reserve(static_cast<std::size_t>((to - from) / step) + 2);
    const auto sample = [&](sys_seconds t) {
        curve.push_back(SunSample{t, sunAltitude(site, t, zone ? zone(t) : minutes{0})});
    };
    sys_seconds t = from;
    for (; t < to; t += step) sample(t);
    sample(to);
    return curve;
}

SunMarkers sunMarkers(const ObservingSite& site, local_days day, bool summerTime)
{
    // As the window does it: the calculator dated that day, its daylight flag, the site chosen
    // by its list position, then CalculateSun.
    clsSunrise calc{astro::DateTime{day}};
    calc.DaySavings(summerTime);
    if (site.index >= 0 && site.index < calc.CityCount()) {
        calc.City(static_cast<double>(site.index));
    } else {
        calc.TimeZone(site.timeZone);
        calc.Longitude(-site.longitudeEast);
        calc.Latitude(site.latitude);
    }
    calc.CalculateSun();

    const minutes calculatorOffset = -hours{calc.TimeZone()} + (summerTime ? hours{1} : hours{0});
    const auto onAxis = [calculatorOffset](astro::DateTime shown) {
        return sys_seconds{shown.time_since_epoch() - calculatorOffset};
    };
    SunMarkers markers;
    markers.sunrise = calc.Sunrise();
    markers.solarNoon = calc.SolarNoon();
    markers.sunset = calc.Sunset();
    markers.sunriseInstant = onAxis(markers.sunrise);
    markers.solarNoonInstant = onAxis(markers.solarNoon);
    markers.sunsetInstant = onAxis(markers.sunset);
    return markers;
}

}  // namespace record
