#pragma once
// The voltage the simulated converter digitises: a light sensor under the sky over Paris.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>

#include "acquisition/simulated_max187.h"
#include "platform/clock.h"

/// Clear-sky light from the sun's altitude at the local clock reading, dimmed by slowly drifting
/// clouds, plus a few millivolts of noise: about 250 mV at night, up to about 3100 mV at a
/// summer noon. Each call gives one reading in millivolts, 0..4095.
namespace acquisition {

class SimulatedSunlight {
public:
    using LocalClock = std::function<std::chrono::local_seconds()>;

    /// `now` reads the local clock; `utcOffset`: local clock minus universal time.
    SimulatedSunlight(LocalClock now, std::chrono::seconds utcOffset, std::uint32_t seed);

    std::uint16_t operator()();

    /// Cloudless light for a sun `altitudeDegrees` above the horizon, in millivolts.
    static double clearSkyMillivolts(double altitudeDegrees);
    /// Share of the light the clouds let through at `t`, 0.55..1.
    static double cloudTransmission(std::chrono::local_seconds t);

private:
    LocalClock m_now;
    int m_utcOffsetHours;
    std::minstd_rand m_noise;
};

/// The converter of `--simulate`: a simulated MAX187 reading SimulatedSunlight at `clock`'s local
/// time, where local time minus universal time is `utcOffset`.
std::unique_ptr<SimulatedMax187> sunlitConverter(const Clock& clock, std::chrono::seconds utcOffset,
                                                 std::uint32_t seed);

}  // namespace acquisition
