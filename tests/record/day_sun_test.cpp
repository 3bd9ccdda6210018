// The sun's course on the day view's axis against the instrument's own computations: the
// tracking's altitude and the site list's sunrise, solar noon and sunset.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "astro/cls_sunrise.h"
#include "astro/sun_position.h"
#include "record/day_sun.h"
#include "support/paris_zone.h"

using namespace std::chrono;
using namespace record;

namespace {

ObservingSite site(std::int32_t index) { return record::observingSites().at(static_cast<std::size_t>(index)); }

TEST(ObservingSites, AreFoundByTheNameACompanionRecords)
{
    EXPECT_EQ(record::siteNamed("Chelles")->index, 7);
    EXPECT_EQ(record::siteNamed("  N\u00CEMES ")->index, 11);
    EXPECT_EQ(record::siteNamed("Paris, Tour Eiffel")->index, 6);
    EXPECT_FALSE(record::siteNamed("Sacre Coeur").has_value());
    EXPECT_FALSE(record::siteNamed("").has_value());
}

TEST(SunCurve, IsTheTrackingsAltitudeAtEveryStepOfASummerTimeChangeDayAndEndsOnItsLastInstant)
{
    const sys_seconds from = sys_days{2026y / October / 24} + 22h;  // local midnight, then 25 hours
    const auto curve = sunCurve(site(7), from, from + 25h, 7min, parisOffset);
    ASSERT_EQ(curve.size(), std::size_t(25 * 60 / 7 + 2));
    EXPECT_EQ(curve[1].instant, from + 7min);
    EXPECT_EQ(curve.back().instant, from + 25h);
    for (const record::SunSample& s : curve) {  // the window's tracking on a clock at that local time
        const minutes offset = parisOffset(s.instant);
        const astro::DateTime clock{s.instant.time_since_epoch() + offset};
        EXPECT_EQ(s.altitude, astro::sunPosition(clock, int(offset.count() / 60), 2.3523, 48.5246, 4 * std::atan(1.0)).altitude);
    }
    EXPECT_TRUE(sunCurve(site(7), from, from - 1s, 60s, parisOffset).empty());
    EXPECT_EQ(sunCurve(site(7), from, from + 3s, 0s, parisOffset).size(), 4u);
    const sys_seconds noon = sys_days{2006y / June / 21} + 12h;  // an offset of part hours is universal time
    EXPECT_EQ(record::sunAltitude(site(7), noon, 330min), record::sunAltitude(site(7), noon, 0min));
}

TEST(SunMarkers, AreTheMainWindowsTimesForEverySiteAndStandOnTheAxisInUniversalTime)
{
    const SunMarkers june = sunMarkers(site(7), local_days{2006y / June / 21}, true);  // the window's reference case
    EXPECT_EQ(june.sunriseInstant, sys_days{2006y / June / 21} + 3h + 49min + 9s);
    EXPECT_EQ(june.solarNoonInstant, sys_days{2006y / June / 21} + 11h + 52min + 2s);
    EXPECT_EQ(june.sunsetInstant, sys_days{2006y / June / 21} + 19h + 54min + 55s);
    EXPECT_EQ(sunMarkers(site(11), local_days{2006y / December / 21}, false).sunriseInstant,
              sys_days{2006y / December / 21} + 7h + 11min + 54s);
    for (std::int32_t i = 0; i < 12; ++i) {  // the calculator the window keeps, chosen the window's way
        clsSunrise calc{local_days{2026y / March / 29} + 9h};
        calc.DaySavings(true);
        calc.City(static_cast<double>(i));
        calc.CalculateSun();
        const SunMarkers m = sunMarkers(site(i), local_days{2026y / March / 29}, true);
        EXPECT_EQ(std::tuple(m.sunrise, m.solarNoon, m.sunset), std::tuple(calc.Sunrise(), calc.SolarNoon(), calc.Sunset())) << i;
    }
}

TEST(SunMarkers, AgreeWithTheCurveOnTheAxis)
{
    // Two computations of the instrument: the curve peaks at solar noon and crosses the horizon a
    // few minutes inside sunrise and sunset (the markers take the upper limb with refraction).
    for (const auto& [index, day] : {std::pair{7, 2026y / June / 21}, std::pair{11, 2026y / December / 21}}) {
        const SunMarkers m = sunMarkers(site(index), local_days{day}, parisOffset(sys_days{day} + 12h) == 120min);
        const auto curve = sunCurve(site(index), sys_days{day}, sys_days{day} + days{1}, 30s, parisOffset);
        const auto top = std::max_element(curve.begin(), curve.end(), [](auto& a, auto& b) { return a.altitude < b.altitude; });
        EXPECT_LT(abs(top->instant - m.solarNoonInstant), 3min) << index;
        const auto rise = std::find_if(curve.begin(), curve.end(), [](auto& s) { return s.altitude > 0; });
        const auto set = std::find_if(top, curve.end(), [](auto& s) { return s.altitude < 0; });
        ASSERT_NE(set, curve.end());
        EXPECT_GT(rise->instant, m.sunriseInstant) << index;
        EXPECT_LT(rise->instant - m.sunriseInstant, 10min) << index;
        EXPECT_LT(set->instant, m.sunsetInstant + 30s) << index;
        EXPECT_LT(m.sunsetInstant - set->instant, 10min) << index;
    }
}

}  // namespace
