// The local zone as the C library reports it, under zones set through TZ.
#include "platform/time_zone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

using namespace std::chrono;

TEST(TimeZone, StateAndOffsetFollowTheZoneAndTodaysDate)
{
    const char* tz = std::getenv("TZ");
    const std::optional<std::string> saved = tz ? std::optional<std::string>(tz) : std::nullopt;
    const auto queryUnder = [](const char* zone) {
        setenv("TZ", zone, 1);
        return querySystemZone();
    };
    const ZoneInfo tokyo = queryUnder("JST-9");  // nine hours east, no summer time
    const ZoneInfo paris = queryUnder("CET-1CEST,M3.5.0,M10.5.0/3");
    saved ? setenv("TZ", saved->c_str(), 1) : unsetenv("TZ");
    tzset();

    EXPECT_EQ(tokyo.state, ZoneState::NoRule);
    EXPECT_EQ(tokyo.utcOffset, 9h);
    // Central European time: summer time, one hour more, from 01:00 UTC on the last Sunday of
    // March to 01:00 UTC on the last Sunday of October.
    const auto now = system_clock::now();
    const year y = year_month_day{floor<days>(now)}.year();
    const bool summer =
        now >= sys_days{y / March / Sunday[last]} + 1h && now < sys_days{y / October / Sunday[last]} + 1h;
    EXPECT_EQ(paris.state, summer ? ZoneState::Daylight : ZoneState::Standard);
    EXPECT_EQ(paris.utcOffset, summer ? 2h : 1h);
}
