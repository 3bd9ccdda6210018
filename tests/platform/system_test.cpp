// What the system tells the program, as the user reads it: the home folder, the time zone at
// fixed instants under zones written in TZ (every branch whatever the day the tests run), the
// regional date-time text (the reasons in French: the windows' and the port's messages).
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/home_folder.h"
#include "platform/month_report.h"
#include "platform/regional_text.h"
#include "platform/time_zone.h"

namespace {

using namespace std::chrono;

/// A variable as the test found it, put back when the test ends.
struct SavedVariable {
    const char* name;
    std::optional<std::string> value = ::getenv(name) ? std::optional<std::string>(::getenv(name)) : std::nullopt;
    ~SavedVariable() { value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name); tzset(); }
};

TEST(HomeVariable, IsTheHomeFolderAndUnsetOrEmptyLeavesTheAccountsRecordToSayWhereHomeIs)
{
    const SavedVariable saved{"HOME"};
    const passwd* account = ::getpwuid(::getuid());
    const std::string record = account != nullptr && account->pw_dir != nullptr ? account->pw_dir : "";
    for (const char* home : {"/home/observatoire-chelles", "", static_cast<const char*>(nullptr)}) {
        home ? ::setenv("HOME", home, 1) : ::unsetenv("HOME");
        EXPECT_EQ(homeFolder(), home && *home ? home : record) << (home ? home : "HOME unset");
    }
}

constexpr const char* kParis = "CET-1CEST,M3.5.0,M10.5.0/3";

TEST(TimeZone, SummerTimeStandardTimeOrNoRuleAtAGivenInstant)
{
    const SavedVariable saved{"TZ"};
    const struct { const char *what, *zone; sys_seconds at; ZoneState state; hours offset; } rows[] = {
        {"Paris the last second of winter", kParis, sys_days{2026y / March / 29} + 59min + 59s, ZoneState::Standard, 1h},
        {"Paris the first second of summer", kParis, sys_days{2026y / March / 29} + 1h, ZoneState::Daylight, 2h},
        {"Paris the last second of summer", kParis, sys_days{2026y / October / 25} + 59min + 59s, ZoneState::Daylight, 2h},
        {"Paris back in winter", kParis, sys_days{2026y / October / 25} + 1h, ZoneState::Standard, 1h},
        {"Sydney in January", "AEST-10AEDT,M10.1.0,M4.1.0/3", sys_days{2026y / January / 15}, ZoneState::Daylight, 11h},
        {"Tokyo", "JST-9", sys_days{2026y / July / 15}, ZoneState::NoRule, 9h},
        {"New York in December", "EST5EDT,M3.2.0,M11.1.0", sys_days{2026y / December / 7}, ZoneState::Standard, -5h},
    };
    for (const auto& row : rows) {
        ::setenv("TZ", row.zone, 1);
        const ZoneInfo info = querySystemZoneAt(system_clock::to_time_t(row.at));
        EXPECT_EQ(info.state, row.state) << row.what;
        EXPECT_EQ(info.utcOffset, row.offset) << row.what;
    }
}

TEST(TimeZone, AMonthsOffsetsChangeAtTheSecondTheSystemChangesThem)
{
    const SavedVariable saved{"TZ"};
    ::setenv("TZ", kParis, 1);
    const record::UtcOffsetAt march = systemZoneOffsets(2026y / March);
    const sys_seconds change = sys_days{2026y / March / 29} + 1h;  // 02:00 local becomes 03:00
    EXPECT_EQ(march(change - 1s), 60min);
    EXPECT_EQ(march(change), 120min);
    EXPECT_EQ(march(sys_days{2026y / February / 27}), 60min) << "two days before the month";
    EXPECT_EQ(march(sys_days{2026y / April / 2}), 120min) << "two days after it";
}

std::string text(local_seconds value, const QLocale& locale) { return regionalDateTime(value, locale).toStdString(); }

TEST(RegionalDateTime, WritesTheLocalesFormAndTheDateAloneAtMidnight)
{
    const QLocale french(QLocale::French, QLocale::France);
    const local_days solstice{2006y / June / 21};
    EXPECT_EQ(text(solstice + 5h + 49min + 9s, french), "21/06/2006 05:49:09");
    EXPECT_EQ(text(solstice + days{1}, french), "22/06/2006");
    EXPECT_EQ(text(solstice + days{1} + 1s, french), "22/06/2006 00:00:01");
    // a 12-hour locale keeps its marker; its short form has no seconds, they are added
    const QLocale american(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(text(local_days{2006y / December / 21} + 17h + 10min + 31s, american), "12/21/06 5:10:31 PM");
    EXPECT_EQ(text(local_days{2006y / December / 21} + 10s, american), "12/21/06 12:00:10 AM");
    // no separator to repeat in the short form: the long form without its zone name
    EXPECT_EQ(text(solstice + 5h + 49min + 9s, QLocale(QLocale::French, QLocale::Canada)), "2006-06-21 05 h 49 min 09 s");
}

}  // namespace
