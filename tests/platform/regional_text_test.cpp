// The sun-time boxes' text: short date, blank, time with seconds in the locale's hour convention.
#include "platform/regional_text.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::chrono;

astro::DateTime at(year_month_day date, hours h, minutes m, seconds s)
{
    return local_days{date} + h + m + s;
}

TEST(RegionalDateTime, WritesTheLocalesForm)
{
    const QLocale french(QLocale::French, QLocale::France);
    const auto inLocale = [](astro::DateTime value, const QLocale& locale) {
        return regionalDateTime(value, locale).toStdString();
    };
    EXPECT_EQ(inLocale(at(2006y / June / 21, 5h, 49min, 9s), french), "21/06/2006 05:49:09");
    EXPECT_EQ(inLocale(at(2006y / June / 22, 0h, 0min, 0s), french), "22/06/2006");
    EXPECT_EQ(inLocale(at(2006y / June / 22, 0h, 0min, 1s), french), "22/06/2006 00:00:01");
    // a 12-hour locale keeps its marker; its short form has no seconds, they are added
    EXPECT_EQ(inLocale(at(2006y / December / 21, 17h, 10min, 31s), QLocale(QLocale::English, QLocale::UnitedStates)),
              "12/21/06 5:10:31 PM");
    // no separator to repeat in the short form: the long form without its zone name
    EXPECT_EQ(inLocale(at(2006y / June / 21, 5h, 49min, 9s), QLocale(QLocale::French, QLocale::Canada)),
              "2006-06-21 05 h 49 min 09 s");
}

}  // namespace
