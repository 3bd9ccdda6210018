// The sun's course on the day view's axis against the instrument's own computations: the
// tracking's altitude and the site list's sunrise, solar noon and sunset.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "record/day_sun.h"
#include "astro/cls_sunrise.h"
#include "astro/sun_position.h"
#include "support/paris_zone.h"

using namespace std::chrono;
using record::observingSites;
using record::ObservingSite;
using record::siteNamed;
using record::sunAltitude;
using record::sunCurve;
using record::SunMarkers;
using record::sunMarkers;
using record::SunSample;

namespace {

const double kWindowPi = 4 * std::atan(1.0);

ObservingSite site(std::int32_t index) { return observingSites().at(static_cast<std::size_t>(index)); }

TEST(ObservingSites, AreTheTwelveOfTheSiteListWithTheWindowsEastLongitude)
{
    const auto sites = observingSites();
    ASSERT_EQ(sites.size(), 12u);
    EXPECT_EQ(sites[0].name, "Paris, Butte aux cailles");
    EXPECT_EQ(sites[7].name, "Chelles");
    EXPECT_EQ(sites[7].index, 7);
    EXPECT_EQ(sites[7].latitude, 48.5246);
    EXPECT_EQ(sites[7].longitudeEast, 2.3523);
    EXPECT_EQ(sites[7].timeZone, -1);
    EXPECT_EQ(sites[11].name, "N\u00EEmes");
    EXPECT_EQ(sites[11].longitudeEast, 4.21);
}

TEST(ObservingSites, AreFoundByTheNameACompanionRecords)
{
    EXPECT_EQ(siteNamed("Chelles")->index, 7);
    EXPECT_EQ(siteNamed("  N\u00CEMES ")->index, 11);
    EXPECT_EQ(siteNamed("Paris, Tour Eiffel")->index, 6);
    EXPECT_FALSE(siteNamed("Sacre Coeur").has_value());
    EXPECT_FALSE(siteNamed("").has_value());
}

TEST(SunCurve, IsTheTrackingsAltitudeAtTheSameInstants)
{
    // 25 October 2026, the day summer time ends, so both offsets occur.
    const ObservingSite chelles = site(7);
    const sys_seconds from = sys_days{2026y / October / 24} + 22h;  // local midnight
    const sys_seconds to = sys_days{2026y / October / 25} + 23h;    // the next local midnight
    const auto curve = sunCurve(chelles, from, to, 7min, parisOffset);
    ASSERT_EQ(curve.size(), std::size_t(25 * 60 / 7 + 2));
    EXPECT_EQ(curve.front().instant, from);
    EXPECT_EQ(curve[1].instant, from + 7min);
    EXPECT_EQ(curve.back().instant, to);
    for (const SunSample& s : curve) {
        // What the window's tracking shows on a clock at that local time, with the offset in
        // force as its Correction_Heure.
        const minutes offset = parisOffset(s.instant);
        const astro::DateTime clock{s.instant.time_since_epoch() + offset};
        const int correctionHeure = static_cast<int>(offset.count() / 60);
        EXPECT_EQ(s.altitude,
                  astro::sunPosition(clock, correctionHeure, 2.3523, 48.5246, kWindowPi).altitude);
    }
}

TEST(SunCurve, TreatsAnOffsetOfPartHoursAsUniversalTime)
{
    const ObservingSite chelles = site(7);
    const sys_seconds noon = sys_days{2006y / June / 21} + 12h;
    EXPECT_EQ(sunAltitude(chelles, noon, 330min), sunAltitude(chelles, noon, 0min));
    EXPECT_NEAR(sunAltitude(chelles, noon, 330min), sunAltitude(chelles, noon, 120min), 1e-6);
}

TEST(SunCurve, IsEmptyForAReversedSpanAndEndsOnItsLastInstant)
{
    const sys_seconds t = sys_days{2006y / June / 21} + 12h;
    EXPECT_TRUE(sunCurve(site(7), t, t - 1s, 60s, parisOffset).empty());
    const auto curve = sunCurve(site(7), t, t + 150s, 60s, parisOffset);
    ASSERT_EQ(curve.size(), 4u);
    EXPECT_EQ(curve[3].instant - curve[2].instant, 30s);
    EXPECT_EQ(sunCurve(site(7), t, t + 3s, 0s, parisOffset).size(), 4u);
}

TEST(SunMarkers, AreTheTimesTheMainWindowShowsForTheSiteAndDay)
{
    // The main window's reference cases: Chelles on 21 June 2006 in summer time, Nîmes on
    // 21 December 2006 in standard time.
    const SunMarkers june = sunMarkers(site(7), local_days{2006y / June / 21}, true);
    EXPECT_EQ(june.sunrise, local_days{2006y / June / 21} + 5h + 49min + 9s);
    EXPECT_EQ(june.solarNoon, local_days{2006y / June / 21} + 13h + 52min + 2s);
    EXPECT_EQ(june.sunset, local_days{2006y / June / 21} + 21h + 54min + 55s);
    const SunMarkers december = sunMarkers(site(11), local_days{2006y / December / 21}, false);
    EXPECT_EQ(december.sunrise, local_days{2006y / December / 21} + 8h + 11min + 54s);
    EXPECT_EQ(december.solarNoon, local_days{2006y / December / 21} + 12h + 41min + 13s);
    EXPECT_EQ(december.sunset, local_days{2006y / December / 21} + 17h + 10min + 31s);

    // and the calculator the window keeps, chosen the window's way, for every site
    for (std::int32_t i = 0; i < 12; ++i) {
        clsSunrise calc{local_days{2026y / March / 29} + 9h};
        calc.DaySavings(true);
        calc.City(static_cast<double>(i));
        calc.CalculateSun();
        const SunMarkers m = sunMarkers(site(i), local_days{2026y / March / 29}, true);
        EXPECT_EQ(m.sunrise, calc.Sunrise()) << i;
        EXPECT_EQ(m.solarNoon, calc.SolarNoon()) << i;
        EXPECT_EQ(m.sunset, calc.Sunset()) << i;
    }
}

TEST(SunMarkers, StandOnTheAxisInUniversalTime)
{
    const SunMarkers june = sunMarkers(site(7), local_days{2006y / June / 21}, true);
    EXPECT_EQ(june.sunriseInstant, sys_days{2006y / June / 21} + 3h + 49min + 9s);
    EXPECT_EQ(june.solarNoonInstant, sys_days{2006y / June / 21} + 11h + 52min + 2s);
    EXPECT_EQ(june.sunsetInstant, sys_days{2006y / June / 21} + 19h + 54min + 55s);
    const SunMarkers december = sunMarkers(site(11), local_days{2006y / December / 21}, false);
    EXPECT_EQ(december.sunriseInstant, sys_days{2006y / December / 21} + 7h + 11min + 54s);
}

TEST(SunMarkers, AgreeWithTheCurveOnTheAxis)
{
    // The curve and the markers come from two different computations of the instrument: the
    // curve's highest point falls at solar noon and it crosses the horizon near sunrise and
    // sunset (the markers take the sun's upper limb with refraction, some minutes outside).
    for (const auto& [index, day] : {std::pair{7, 2026y / June / 21}, std::pair{11, 2026y / December / 21}}) {
        const SunMarkers m = sunMarkers(site(index), local_days{day},
                                        parisOffset(sys_days{day} + 12h) == 120min);
        const auto curve = sunCurve(site(index), sys_days{day}, sys_days{day} + days{1}, 30s, parisOffset);
        const auto top = std::max_element(curve.begin(), curve.end(), [](auto& a, auto& b) {
            return a.altitude < b.altitude;
        });
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
