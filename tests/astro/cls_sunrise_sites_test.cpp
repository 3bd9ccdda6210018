#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <variant>

#include "astro/cls_sunrise.h"
#include "astro/latin_case.h"
#include "support/sun_times.h"

namespace {

using namespace std::chrono;
using namespace std::chrono_literals;

constexpr astro::DateTime kStart = local_days{2006y / June / 21} + 9h + 15min;

// Selection by text or by number, and where it should land (-1: nowhere).
struct SelectionRow {
    std::string name;
    std::variant<std::string, double> argument;
    std::int32_t index;
};

class SiteSelectionTest : public ::testing::TestWithParam<SelectionRow> {
protected:
    SiteSelectionTest()
    {
        calc.DaySavings(true);
        calc.setSiteLink([this](double latitude, double longitude) {
            // the calculator already holds the whole site when the window hears of it
            EXPECT_EQ(calc.Latitude(), latitude);
            EXPECT_EQ(-calc.Longitude(), longitude);
            EXPECT_EQ(calc.TimeZone(), -1);
            windowLatitude = latitude;
            windowLongitude = longitude;
            ++linkCalls;
        });
    }

    void select(const std::variant<std::string, double>& argument)
    {
        std::visit([this](const auto& a) { calc.City(a); }, argument);
    }

    clsSunrise calc{kStart};
    double windowLatitude = 11;
    double windowLongitude = 22;
    int linkCalls = 0;
};

TEST_P(SiteSelectionTest, SetsCalculatorThenWindowOrClearsTheCalculatorOnly)
{
    const SelectionRow& r = GetParam();
    select(r.argument);
    if (r.index >= 0) {
        clsSunrise byIndex{kStart};
        byIndex.City(static_cast<double>(r.index));
        EXPECT_EQ(calc.Latitude(), byIndex.Latitude());
        EXPECT_EQ(calc.Longitude(), byIndex.Longitude());
        EXPECT_EQ(linkCalls, 1);
        EXPECT_EQ(windowLatitude, calc.Latitude());
        EXPECT_GT(windowLongitude, 0);
    } else {
        EXPECT_EQ(calc.TimeZone(), 0);
        EXPECT_EQ(calc.Longitude(), 0.0);
        EXPECT_EQ(calc.Latitude(), 0.0);
        EXPECT_EQ(linkCalls, 0);
        EXPECT_EQ(windowLatitude, 11.0);
        EXPECT_EQ(windowLongitude, 22.0);
    }
    EXPECT_TRUE(calc.DaySavings());
    EXPECT_EQ(calc.DateDay(), kStart);
}

using Text = std::string;

INSTANTIATE_TEST_SUITE_P(
    TextAndNumbers, SiteSelectionTest,
    ::testing::Values(SelectionRow{"CapitalsAndSpaces", Text{"  CHELLES "}, 7},
                      SelectionRow{"AccentedCapital", Text{"  N\u00CEMES "}, 11},
                      SelectionRow{"CapitalEAcute", Text{"PARIS, SACR\u00C9 COEUR"}, 5},
                      SelectionRow{"UnaccentedWithoutTown", Text{"Sacre Coeur"}, -1},
                      SelectionRow{"UnaccentedWithTown", Text{"Paris, Sacre Coeur"}, -1},
                      SelectionRow{"InnerSpacesCount", Text{"Paris,  Tour Eiffel"}, -1},
                      SelectionRow{"OnlySpacesAreTrimmed", Text{"\tChelles"}, -1},
                      SelectionRow{"DigitTextIsAName", Text{"7"}, -1},
                      SelectionRow{"Seven", 7.0, 7}, SelectionRow{"SevenAndAHalfUp", 7.5, 8},
                      SelectionRow{"EightAndAHalfDown", 8.5, 8},
                      SelectionRow{"SixAndAHalfDown", 6.5, 6},
                      SelectionRow{"MinusHalfToZero", -0.5, 0}, SelectionRow{"Eleven", 11.0, 11},
                      SelectionRow{"Twelve", 12.0, -1}, SelectionRow{"MinusOne", -1.0, -1},
                      SelectionRow{"LargestInRange", 2147483647.4, -1},
                      SelectionRow{"SmallestInRangeByEvenRounding", -2147483648.5, -1}),
    [](const auto& info) { return info.param.name; });

TEST(SiteTableTest, TwelveNamedSitesAndErrorOutside)
{
    const clsSunrise calc{kStart};
    EXPECT_EQ(calc.CityCount(), 12);
    EXPECT_EQ(calc.CityName(0), "Paris, Butte aux cailles");
    EXPECT_EQ(calc.CityName(5), "Paris, Sacr\u00E9 Coeur");
    EXPECT_EQ(calc.CityName(6), "Paris, Tour Eiffel");
    EXPECT_EQ(calc.CityName(7), "Chelles");
    EXPECT_EQ(calc.CityName(8), "Claye-Souilly");
    EXPECT_EQ(calc.CityName(11), "N\u00EEmes");
    EXPECT_EQ(calc.CityName(12), "(Error)");
    EXPECT_EQ(calc.CityName(-1), "(Error)");
}

TEST(SiteTableTest, NumberBeyond32BitsThrowsBeforeAnyChange)
{
    clsSunrise calc{kStart};
    calc.City("Paris, Observatoire de Paris");
    int linkCalls = 0;
    calc.setSiteLink([&linkCalls](double, double) { ++linkCalls; });
    for (const double number : {2147483647.5, -2147483649.0, 1e300}) {
        EXPECT_THROW(calc.City(number), std::overflow_error) << number;
    }
    EXPECT_EQ(calc.TimeZone(), -1);
    EXPECT_EQ(calc.Longitude(), -2.2);
    EXPECT_EQ(calc.Latitude(), 48.5);
    EXPECT_EQ(linkCalls, 0);
}

TEST(SiteTableTest, CoordinatesReachTheWindowEastPositive)
{
    clsSunrise calc{kStart};
    double latitude = 0;
    double longitude = 0;
    calc.setSiteLink([&](double lat, double lon) { latitude = lat, longitude = lon; });
    calc.City(3.0);
    EXPECT_EQ(latitude, 48.5);
    EXPECT_EQ(longitude, 2.2);
    EXPECT_EQ(calc.Longitude(), -2.2);

    calc.City("  CHELLES ");
    EXPECT_EQ(calc.TimeZone(), -1);
    EXPECT_EQ(calc.Longitude(), -2.3523);
    EXPECT_EQ(calc.Latitude(), 48.5246);
    EXPECT_EQ(latitude, 48.5246);
    EXPECT_EQ(longitude, 2.3523);
}

TEST(SiteTableTest, StartUpDaysOfTheInstrument)
{
    const local_days summer{2006y / June / 21};
    clsSunrise chelles{summer + 8h};
    chelles.DaySavings(true);
    chelles.City(7.0);
    chelles.CalculateSun();
    EXPECT_EQ(resultsOf(chelles), sunTimesAt(summer, 5, 49, 9, 13, 52, 2, 21, 54, 55));

    const local_days winter{2006y / December / 21};
    clsSunrise nimes{winter + 8h};
    nimes.City(11.0);
    nimes.CalculateSun();
    EXPECT_EQ(resultsOf(nimes), sunTimesAt(winter, 8, 11, 54, 12, 41, 13, 17, 10, 31));
}

TEST(LowerLatinTest, MapsCapitalsOfLatin1AndExtendedA)
{
    EXPECT_EQ(astro::lowerLatin("Claye-Souilly 7"), "claye-souilly 7");
    EXPECT_EQ(astro::lowerLatin("\u00C0\u00C7\u00C9\u00CE\u00D6\u00D8\u00DE"),
              "\u00E0\u00E7\u00E9\u00EE\u00F6\u00F8\u00FE");
    EXPECT_EQ(astro::lowerLatin("\u0100\u0106\u010C\u0152\u0160\u0176"),
              "\u0101\u0107\u010D\u0153\u0161\u0177");  // capitals on even code points
    EXPECT_EQ(astro::lowerLatin("\u0139\u0141\u0147\u0179\u017D"),
              "\u013A\u0142\u0148\u017A\u017E");  // capitals on odd code points
    EXPECT_EQ(astro::lowerLatin("\u0130\u0178"), "i\u00FF");
    const std::string unchanged = "\u00D7\u00DF\u0131\u0138\u0149\u017F\u0391\u20AC\xC3 \xA9";
    EXPECT_EQ(astro::lowerLatin(unchanged), unchanged);
}

}  // namespace
