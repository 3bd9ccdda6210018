// The sun-time boxes' text: short date, blank, time with seconds in the locale's hour convention.
#include "platform/regional_text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

using namespace std::chrono;

struct RegionalRow {
    std::string name;
    QLocale locale;
    astro::DateTime value;
    QString expected;
};

astro::DateTime at(year_month_day date, hours h, minutes m, seconds s)
{
    return local_days{date} + h + m + s;
}

const QLocale kFrench(QLocale::French, QLocale::France);
const QLocale kEnglishUs(QLocale::English, QLocale::UnitedStates);
const QLocale kFinnish(QLocale::Finnish, QLocale::Finland);
const QLocale kFrenchCanada(QLocale::French, QLocale::Canada);
const QLocale kKorean(QLocale::Korean, QLocale::SouthKorea);

class RegionalDateTime : public testing::TestWithParam<RegionalRow> {};

TEST_P(RegionalDateTime, WritesTheLocalesForm)
{
    const RegionalRow& row = GetParam();
    EXPECT_EQ(regionalDateTime(row.value, row.locale).toStdString(), row.expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Locales, RegionalDateTime,
    testing::Values(
        RegionalRow{"FrenchSunrise", kFrench, at(2006y / June / 21, 5h, 49min, 9s),
                    "21/06/2006 05:49:09"},
        RegionalRow{"FrenchLastSecondOfTheYear", kFrench, at(2006y / December / 31, 23h, 59min, 59s),
                    "31/12/2006 23:59:59"},
        RegionalRow{"FrenchMidnightIsTheDateAlone", kFrench, at(2006y / June / 22, 0h, 0min, 0s),
                    "22/06/2006"},
        RegionalRow{"FrenchOneSecondPastMidnight", kFrench, at(2006y / June / 22, 0h, 0min, 1s),
                    "22/06/2006 00:00:01"},
        RegionalRow{"FrenchZeroDateTime", kFrench, astro::kZeroDateTime, "30/12/1899"},
        RegionalRow{"EnglishAfternoonKeepsPm", kEnglishUs, at(2006y / December / 21, 17h, 10min, 31s),
                    "12/21/06 5:10:31 PM"},
        RegionalRow{"EnglishHalfPastMidnightIsTwelveAm", kEnglishUs,
                    at(2006y / June / 21, 0h, 30min, 5s), "6/21/06 12:30:05 AM"},
        RegionalRow{"EnglishMidnightIsTheDateAlone", kEnglishUs, at(2006y / June / 21, 0h, 0min, 0s),
                    "6/21/06"},
        RegionalRow{"FinnishDotSeparator", kFinnish, at(2006y / June / 21, 5h, 49min, 9s),
                    "21.6.2006 5.49.09"},
        RegionalRow{"KoreanMarkerBeforeTheHour", kKorean, at(2006y / June / 21, 17h, 10min, 31s),
                    QString::fromUtf8("06. 6. 21. 오후 5:10:31")},
        RegionalRow{"CanadianFrenchWordedTime", kFrenchCanada, at(2006y / June / 21, 5h, 49min, 9s),
                    "2006-06-21 05 h 49 min 09 s"}),
    [](const testing::TestParamInfo<RegionalRow>& info) { return info.param.name; });

}  // namespace
