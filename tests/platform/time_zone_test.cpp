// The local zone as the C library reports it, under zones set through TZ.
#include "platform/time_zone.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

using namespace std::chrono;

namespace {

// European summer time: from 01:00 UTC on the last Sunday of March to 01:00 UTC on the last
// Sunday of October.
bool europeanSummerTimeNow()
{
    const auto now = system_clock::now();
    const year y = year_month_day{floor<days>(now)}.year();
    return now >= sys_days{y / March / Sunday[last]} + 1h &&
           now < sys_days{y / October / Sunday[last]} + 1h;
}

struct ZoneRow {
    const char* name;
    const char* tz;
    bool europeanRule;  // else no summer time
    hours standardOffset;
};
void PrintTo(const ZoneRow& row, std::ostream* os) { *os << row.name; }

}  // namespace

class TimeZone : public ::testing::TestWithParam<ZoneRow> {
protected:
    void TearDown() override
    {
        if (m_saved)
            setenv("TZ", m_saved->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> m_saved =
        std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt;
};

TEST_P(TimeZone, StateAndOffsetFollowTheZoneAndTodaysDate)
{
    const ZoneRow& row = GetParam();
    const std::string tz = row.tz;  // "Area/City" names a zone file, a rule needs none
    const bool zoneFile = tz.find('/') != std::string::npos && tz.find(',') == std::string::npos;
    if (zoneFile && !std::filesystem::exists(std::filesystem::path("/usr/share/zoneinfo") / row.tz))
        GTEST_SKIP() << "tzdata has no " << row.tz;
    setenv("TZ", row.tz, 1);
    const ZoneInfo info = querySystemZone();
    const bool summer = row.europeanRule && europeanSummerTimeNow();
    EXPECT_EQ(info.state, !row.europeanRule ? ZoneState::NoRule
                          : summer          ? ZoneState::Daylight
                                            : ZoneState::Standard);
    EXPECT_EQ(info.utcOffset, row.standardOffset + hours{summer ? 1 : 0});
}

INSTANTIATE_TEST_SUITE_P(
    Zones, TimeZone,
    ::testing::Values(ZoneRow{"Utc", "UTC", false, 0h}, ZoneRow{"Paris", "Europe/Paris", true, 1h},
                      ZoneRow{"Tokyo", "Asia/Tokyo", false, 9h},
                      // the Central European rule spelled out in TZ itself, no zone file needed
                      ZoneRow{"RuleInVariable", "CET-1CEST,M3.5.0,M10.5.0/3", true, 1h}),
    [](const auto& info) { return std::string(info.param.name); });
