#include "platform/time_zone.h"

#include <ctime>

namespace {

// Is summer time in force at `t`, according to the C library? -1 when it cannot tell.
int isDaylightAt(std::time_t t)
{
    std::tm local{};
    if (!localtime_r(&t, &local)) return -1;
    return local.tm_isdst;
}

}  // namespace

ZoneInfo querySystemZone()
{
    return querySystemZoneAt(std::time(nullptr));
}

ZoneInfo querySystemZoneAt(std::time_t now)
{
    tzset();
    std::tm local{};
    if (now == std::time_t(-1) || !localtime_r(&now, &local)) return {};

    ZoneInfo info;
    info.utcOffset = std::chrono::seconds{local.tm_gmtoff};
    if (local.tm_isdst > 0) {
        info.state = ZoneState::Daylight;
    } else if (local.tm_isdst < 0) {
        info.state = ZoneState::Unknown;
    } else {
        // Standard time now: does the zone change to summer time at some point this year?
        // Look at the middle of every month of the current year.
        bool hasRule = false;
        for (int month = 0; month < 12 && !hasRule; ++month) {
            std::tm probe{};
            probe.tm_year = local.tm_year;
            probe.tm_mon = month;
            probe.tm_mday = 15;
            probe.tm_hour = 12;
            probe.tm_isdst = -1;
            const std::time_t t = std::mktime(&probe);
            if (t != std::time_t(-1) && isDaylightAt(t) > 0) hasRule = true;
        }
        info.state = hasRule ? ZoneState::Standard : ZoneState::NoRule;
    }
    return info;
}
