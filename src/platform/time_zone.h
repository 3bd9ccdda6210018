#pragma once
// What the system says about the local time zone, read once at start-up.
#include <chrono>
#include <ctime>

enum class ZoneState {
    NoRule,    ///< the zone has no summer time
    Standard,  ///< standard (winter) time now, the zone has a summer-time rule this year
    Daylight,  ///< summer time now
    Unknown,   ///< the system cannot tell
};

struct ZoneInfo {
    ZoneState state = ZoneState::Unknown;
    std::chrono::seconds utcOffset{0};  ///< local clock minus universal time, now
};

/// The C library's view of the local zone (TZ / /etc/localtime), now.
ZoneInfo querySystemZone();
/// The same at the instant `now`: the state of that moment and the rule of its year.
ZoneInfo querySystemZoneAt(std::time_t now);
