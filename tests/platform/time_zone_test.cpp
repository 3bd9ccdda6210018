// The local zone as the C library reports it, under zones set through TZ.
#include "platform/time_zone.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/system_message.h"

using namespace std::chrono;

namespace {

// European summer time: from 01:00 UTC on the last Sunday of March to 01:00 UTC on the last
// Sunday of October.
bool europeanSummerTimeNow()
{
    const auto now = system_clock::now();
    const year y = year_month_day{floor<days>(now)}.year();
    const sys_days start{y / March / Sunday[last]};
    const sys_days end{y / October / Sunday[last]};
    return now >= start + 1h && now < end + 1h;
}

}  // namespace

class TimeZone : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ")) m_saved = tz;
    }
    void TearDown() override
    {
        if (m_saved)
            setenv("TZ", m_saved->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ZoneInfo zone(const char* name)
    {
        setenv("TZ", name, 1);
        return querySystemZone();
    }
    static bool installed(const char* name)
    {
        return std::filesystem::exists(std::filesystem::path("/usr/share/zoneinfo") / name);
    }

private:
    std::optional<std::string> m_saved;
};

TEST_F(TimeZone, UniversalTimeHasNoRule)
{
    const ZoneInfo info = zone("UTC");
    EXPECT_EQ(info.state, ZoneState::NoRule);
    EXPECT_EQ(info.utcOffset, 0s);
}

TEST_F(TimeZone, ParisIsOnSummerOrStandardTimeByTodaysDate)
{
    if (!installed("Europe/Paris")) GTEST_SKIP() << "tzdata has no Europe/Paris";
    const bool summer = europeanSummerTimeNow();
    const ZoneInfo info = zone("Europe/Paris");
    EXPECT_EQ(info.state, summer ? ZoneState::Daylight : ZoneState::Standard);
    EXPECT_EQ(info.utcOffset, summer ? 2h : 1h);
}

TEST_F(TimeZone, TokyoHasNoRule)
{
    if (!installed("Asia/Tokyo")) GTEST_SKIP() << "tzdata has no Asia/Tokyo";
    const ZoneInfo info = zone("Asia/Tokyo");
    EXPECT_EQ(info.state, ZoneState::NoRule);
    EXPECT_EQ(info.utcOffset, 9h);
}

TEST_F(TimeZone, RuleWrittenInTheVariableIsFollowedWithoutTzdata)
{
    // The Central European rule spelled out in TZ itself: no zone file is needed.
    const bool summer = europeanSummerTimeNow();
    const ZoneInfo info = zone("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(info.state, summer ? ZoneState::Daylight : ZoneState::Standard);
    EXPECT_EQ(info.utcOffset, summer ? 2h : 1h);
}
