#include "acquisition/simulated_sunlight.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "astro/sun_position.h"

namespace acquisition {

namespace {

constexpr double kParisLatitude = 48.8566;       // degrees north
constexpr double kParisLongitudeEast = 2.3522;   // degrees east
constexpr double kDarkMillivolts = 250.0;        // sensor offset with no light
constexpr double kFullSunMillivolts = 3650.0;    // sun at the zenith through no air at all
constexpr double kNoiseMillivolts = 4.0;

}  // namespace

SimulatedSunlight::SimulatedSunlight(LocalClock now, std::chrono::seconds utcOffset,
                                     std::uint32_t seed)
    : m_now(std::move(now)),
      m_utcOffsetHours(static_cast<int>(std::lround(utcOffset.count() / 3600.0))),
      m_noise(seed)
{
}

double SimulatedSunlight::clearSkyMillivolts(double altitudeDegrees)
{
    if (altitudeDegrees <= 0.0) return kDarkMillivolts;
    // Light through the air mass of a clear sky: strong attenuation near the horizon.
    const double s = std::sin(altitudeDegrees * std::numbers::pi / 180.0);
    const double clearSky = s * std::exp(-0.057 / s);
    return kDarkMillivolts + (kFullSunMillivolts - kDarkMillivolts) * clearSky;
}

double SimulatedSunlight::cloudTransmission(std::chrono::local_seconds t)
{
    // Two cloud fields drifting past at different speeds; gaps between them let the sun through.
    const double seconds = static_cast<double>(t.time_since_epoch().count());
    const double twoPi = 2.0 * std::numbers::pi;
    const double cover = 0.6 * std::sin(twoPi * seconds / 611.0) +
                         0.4 * std::sin(twoPi * seconds / 137.0 + 1.3);
    return 1.0 - 0.45 * std::max(0.0, cover);
}

std::uint16_t SimulatedSunlight::operator()()
{
    const auto now = m_now();
    const auto sun = astro::sunPosition(now, m_utcOffsetHours, kParisLongitudeEast,
                                        kParisLatitude, std::numbers::pi);
    const double light = clearSkyMillivolts(sun.altitude) - kDarkMillivolts;
    std::uniform_real_distribution<double> noise(-kNoiseMillivolts, kNoiseMillivolts);
    const double millivolts = kDarkMillivolts + light * cloudTransmission(now) + noise(m_noise);
    return static_cast<std::uint16_t>(std::clamp(std::lround(millivolts), 0L, 4095L));
}

std::unique_ptr<SimulatedMax187> sunlitConverter(const Clock& clock, std::chrono::seconds utcOffset,
                                                 std::uint32_t seed)
{
    auto converter = std::make_unique<SimulatedMax187>();
    converter->setSource(SimulatedSunlight(
        [&clock] { return std::chrono::floor<std::chrono::seconds>(clock.localNow()); }, utcOffset,
        seed));
    return converter;
}

}  // namespace acquisition
