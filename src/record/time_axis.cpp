#include "record/time_axis.h"

#include <algorithm>
#include <array>

namespace record {

using namespace std::chrono;

namespace {

constexpr std::array<seconds, 20> kSteps{
    1s,   2s,   5s,   10s, 15s, 30s, 1min, 2min, 5min, 10min, 15min, 30min,
    1h,   2h,   3h,   6h,  12h, days{1}, days{2}, days{7}};

/// The smallest multiple of `step` at or after `value` (floor division for negative values).
seconds ceilTo(seconds value, seconds step)
{
    seconds down = value - value % step;
    if (down > value) down -= step;
    return down == value ? down : down + step;
}

}  // namespace

TimeTicks localTicks(sys_seconds from, sys_seconds to, std::size_t most, const UtcOffsetAt& zone)
{
    TimeTicks ticks;
    if (to < from || most == 0) return ticks;
    ticks.step = kSteps.back();
    for (const seconds step : kSteps)
        if ((to - from) / step + 1 <= static_cast<std::int64_t>(most)) {
            ticks.step = step;
            break;
        }
    const auto offsetAt = [&](sys_seconds t) { return zone ? zone(t) : minutes{0}; };

    // The offsets in force over the range (a zone changes at most a few times a year).
    std::vector<minutes> offsets;
    for (sys_seconds t = from - days{1};; t += hours{6}) {
        const minutes offset = offsetAt(std::min(t, to + days{1}));
        if (std::find(offsets.begin(), offsets.end(), offset) == offsets.end())
            offsets.push_back(offset);
        if (t >= to + days{1}) break;
    }
    // Each local multiple of the step, on each offset that is in force at its instant.
    for (const minutes offset : offsets) {
        const seconds last = (to + offset).time_since_epoch();
        for (seconds local = ceilTo((from + offset).time_since_epoch(), ticks.step); local <= last;
             local += ticks.step) {
            const sys_seconds instant{local - offset};
            if (offsetAt(instant) == offset) ticks.at.push_back(instant);
        }
    }
    std::sort(ticks.at.begin(), ticks.at.end());
    ticks.at.erase(std::unique(ticks.at.begin(), ticks.at.end()), ticks.at.end());
    return ticks;
}

}  // namespace record
