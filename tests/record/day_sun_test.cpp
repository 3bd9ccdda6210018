// The sun's course on the day view's axis: the sites found by the names companions record, the
// tracking's altitude at the window's published instant under any offset, and the window's
// reference sunrise, solar noon and sunset placed in universal time.
#include <gtest/gtest.h>

#include "record/day_sun.h"
#include "support/paris_zone.h"

using namespace std::chrono;
using namespace record;

namespace {

TEST(ObservingSites, AreFoundByTheNameACompanionRecords)
{
    EXPECT_EQ(siteNamed("Chelles")->index, 7);
    EXPECT_EQ(siteNamed("  N\u00CEMES ")->index, 11);
    EXPECT_EQ(siteNamed("Paris, Tour Eiffel")->index, 6);
    EXPECT_FALSE(siteNamed("Sacre Coeur").has_value());
    EXPECT_FALSE(siteNamed("").has_value());
}

TEST(SunCurve, IsTheTrackingsAltitudeUnderEveryOffsetAndEndsOnItsLastInstant)
{
    // 21 June 2006 at 12:00 UTC the window shows the sun at Chelles 64° 49 Min. 31 Sec. high.
    const sys_seconds noon = sys_days{2006y / June / 21} + 12h;
    const ObservingSite chelles = *siteNamed("Chelles");
    for (const UtcOffsetAt& zone : {UtcOffsetAt{parisOffset}, UtcOffsetAt{[](sys_seconds) { return minutes{330}; }}, UtcOffsetAt{}}) {
        const auto curve = sunCurve(chelles, noon - 2h, noon + 2h + 1min, 30min, zone);
        ASSERT_EQ(curve.size(), 10u);
        EXPECT_EQ(std::tuple(curve[4].instant, curve.back().instant), std::tuple(noon, noon + 2h + 1min));
        EXPECT_NEAR(curve[4].altitude, 64 + 49 / 60.0 + 31 / 3600.0, 1 / 3600.0);
    }
    EXPECT_TRUE(sunCurve(chelles, noon, noon - 1s, 60s, parisOffset).empty());
    EXPECT_EQ(sunCurve(chelles, noon, noon + 3s, 0s, parisOffset).size(), 4u);
}

TEST(SunMarkers, AreTheMainWindowsReferenceTimesOnTheAxisInUniversalTime)
{
    const SunMarkers june = sunMarkers(*siteNamed("Chelles"), local_days{2006y / June / 21}, true);
    EXPECT_EQ(june.sunriseInstant, sys_days{2006y / June / 21} + 3h + 49min + 9s);
    EXPECT_EQ(june.solarNoonInstant, sys_days{2006y / June / 21} + 11h + 52min + 2s);
    EXPECT_EQ(june.sunsetInstant, sys_days{2006y / June / 21} + 19h + 54min + 55s);
    EXPECT_EQ(june.sunrise, local_days{2006y / June / 21} + 5h + 49min + 9s);  // as the window shows it
    EXPECT_EQ(sunMarkers(*siteNamed("Nîmes"), local_days{2006y / December / 21}, false).sunriseInstant,
              sys_days{2006y / December / 21} + 7h + 11min + 54s);
}

}  // namespace
