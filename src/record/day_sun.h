#pragma once
// The sun's course on the day view's time axis, from the instrument's own computations: the
// altitude of the sun-position tracking and the sunrise / solar noon / sunset of the site list.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/time_placement.h"
#include "astro/date_time.h"

namespace record {

/// One of the built-in observing sites, as the main window uses it after choosing it.
struct ObservingSite {
    std::int32_t index = 0;      ///< position in the site list (7 is "Chelles")
    std::string name;            ///< UTF-8
    double latitude = 0;         ///< degrees north
    double longitudeEast = 0;    ///< degrees east (the window's Longitude)
    std::int32_t timeZone = 0;   ///< the calculator's: hours to add to standard time for UTC
};

/// The twelve sites, in list order, read from the calculator's table.
std::vector<ObservingSite> observingSites();

/// The site a companion names: exact name first, then the calculator's own matching
/// (case and blanks ignored). Nothing when no site has that name.
std::optional<ObservingSite> siteNamed(std::string_view name);

/// The sun's altitude in degrees (geometric, as the tracking shows it) at `site` at universal
/// `instant`, where the local clock is `utcOffset` ahead of universal time. Computed exactly as
/// the main window's tracking tick does for a clock showing that local time with that many whole
/// hours of Correction_Heure; an offset that is not whole hours is handled as universal time
/// with no correction (the same instant).
double sunAltitude(const ObservingSite& site, std::chrono::sys_seconds instant,
                   std::chrono::minutes utcOffset);

struct SunSample {
    std::chrono::sys_seconds instant{};
    double altitude = 0;  ///< degrees
};

/// The altitude from `from` to `to` inclusive every `step` (the last sample at `to` even when
/// the step does not divide the span), each under the offset `zone` gives for it. An empty or
/// reversed span gives no samples; a step under one second counts as one second.
std::vector<SunSample> sunCurve(const ObservingSite& site, std::chrono::sys_seconds from,
                                std::chrono::sys_seconds to, std::chrono::seconds step,
                                const UtcOffsetAt& zone);

/// The three times the main window shows for a site and day.
struct SunMarkers {
    astro::DateTime sunrise{}, solarNoon{}, sunset{};  ///< as shown: local date-time
    std::chrono::sys_seconds sunriseInstant{}, solarNoonInstant{}, sunsetInstant{};  ///< on the axis
};

/// clsSunrise's Sunrise / SolarNoon / Sunset for `day` after choosing `site` and CalculateSun,
/// with the daylight flag `summerTime` (the main window's « Heure d'été »: see
/// summerTimeInForce). The instants undo the calculator's own local time: universal = shown +
/// time zone hours - the summer hour.
SunMarkers sunMarkers(const ObservingSite& site, std::chrono::local_days day, bool summerTime);

}  // namespace record
