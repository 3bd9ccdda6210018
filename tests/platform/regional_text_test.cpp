// The sun-time boxes' text: short date, blank, time with seconds in the locale's hour convention.
#include "platform/regional_text.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::chrono;

std::string text(astro::DateTime value, const QLocale& locale) { return regionalDateTime(value, locale).toStdString(); }

TEST(RegionalDateTime, WritesTheLocalesForm)
{
    const QLocale french(QLocale::French, QLocale::France);
    const local_days solstice{2006y / June / 21};
    EXPECT_EQ(text(solstice + 5h + 49min + 9s, french), "21/06/2006 05:49:09");
    EXPECT_EQ(text(solstice + days{1}, french), "22/06/2006");
    EXPECT_EQ(text(solstice + days{1} + 1s, french), "22/06/2006 00:00:01");
    // a 12-hour locale keeps its marker; its short form has no seconds, they are added
    const QLocale american(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(text(local_days{2006y / December / 21} + 17h + 10min + 31s, american), "12/21/06 5:10:31 PM");
    // no separator to repeat in the short form: the long form without its zone name
    EXPECT_EQ(text(solstice + 5h + 49min + 9s, QLocale(QLocale::French, QLocale::Canada)),
              "2006-06-21 05 h 49 min 09 s");
}

}  // namespace
