// The local zone as the C library reports it, at fixed instants under zones written in TZ, so
// that every branch runs whatever the day of the year the tests run on.
#include "platform/time_zone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

using namespace std::chrono;

namespace {

// The zone answer for `zone` at noon UTC of `day`; TZ is put back afterwards.
ZoneInfo zoneAt(const char* zone, sys_days day)
{
    const char* tz = std::getenv("TZ");
    const std::optional<std::string> saved = tz ? std::optional<std::string>(tz) : std::nullopt;
    setenv("TZ", zone, 1);
    const ZoneInfo info = querySystemZoneAt(system_clock::to_time_t(day + 12h));
    saved ? setenv("TZ", saved->c_str(), 1) : unsetenv("TZ");
    tzset();
    return info;
}

constexpr const char* kParis = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr const char* kSydney = "AEST-10AEDT,M10.1.0,M4.1.0/3";  // summer time across the new year

TEST(TimeZone, SummerTimeStandardTimeOrNoRuleAtAGivenInstant)
{
    const struct {
        const char *what, *zone;
        sys_days day;
        ZoneState state;
        hours offset;
    } rows[] = {
        {"Paris in January", kParis, sys_days{2026y / January / 15}, ZoneState::Standard, 1h},
        {"Paris in July", kParis, sys_days{2026y / July / 15}, ZoneState::Daylight, 2h},
        {"Paris the day after the October change", kParis, sys_days{2026y / October / 26}, ZoneState::Standard, 1h},
        {"Sydney in January", kSydney, sys_days{2026y / January / 15}, ZoneState::Daylight, 11h},
        {"Sydney in July", kSydney, sys_days{2026y / July / 15}, ZoneState::Standard, 10h},
        {"Tokyo", "JST-9", sys_days{2026y / July / 15}, ZoneState::NoRule, 9h},
        {"New York in December", "EST5EDT,M3.2.0,M11.1.0", sys_days{2026y / December / 7}, ZoneState::Standard, -5h},
    };
    for (const auto& row : rows) {
        const ZoneInfo info = zoneAt(row.zone, row.day);
        EXPECT_EQ(info.state, row.state) << row.what;
        EXPECT_EQ(info.utcOffset, row.offset) << row.what;
    }
}

}  // namespace
