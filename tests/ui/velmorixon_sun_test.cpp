// The sun half of the main window: time-zone state, the site list with the day's sun times,
// and the sun-position tracking, driven with a fake clock and a fake time-zone answer.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "astro/sun_position.h"
#include "support/fake_clock.h"
#include "ui/velmorixon.h"

namespace {

using namespace std::chrono;

astro::DateTime at(year_month_day date, hours h, minutes m = 0min, seconds s = 0s)
{
    return local_days{date} + h + m + s;
}

std::string text(const QLabel* label) { return label->text().toStdString(); }

const ZoneInfo kParisSummer{ZoneState::Daylight, 2h};
const ZoneInfo kParisWinter{ZoneState::Standard, 1h};

constexpr int kChelles = 7;
constexpr int kObservatoire = 3;
constexpr int kClayeSouilly = 8;
constexpr int kTrilport = 9;
constexpr int kNimes = 11;

// One main window on a fake clock and a fake time-zone answer; the converter is never opened.
class SunWindowTest : public testing::Test {
protected:
    Velmorixon& start(astro::DateTime now, ZoneInfo zone)
    {
        m_clock = std::make_unique<FakeClock>(now);
        m_dataRoot = std::filesystem::temp_directory_path() /
                     ("velmorixon-sun-" + std::to_string(::getpid()) + "-" +
                      testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dataRoot);
        Platform platform;
        platform.openPort = []() -> std::unique_ptr<ParallelPort> {
            ADD_FAILURE() << "the sun controls must not open the converter's port";
            return nullptr;
        };
        platform.clock = m_clock.get();
        platform.queryZone = [zone] { return zone; };
        platform.dataRoot = m_dataRoot;
        platform.files = &m_files;
        m_window = std::make_unique<Velmorixon>(std::move(platform));
        return *m_window;
    }

    void TearDown() override
    {
        m_window.reset();
        if (!m_dataRoot.empty()) std::filesystem::remove_all(m_dataRoot);
    }

    void expectSunTimes(const std::string& rise, const std::string& noon, const std::string& set)
    {
        EXPECT_EQ(text(m_window->LLever), rise);
        EXPECT_EQ(text(m_window->Lmidi), noon);
        EXPECT_EQ(text(m_window->Lcoucher), set);
    }

    std::unique_ptr<FakeClock> m_clock;
    PosixFileSystem m_files;
    std::filesystem::path m_dataRoot;
    std::unique_ptr<Velmorixon> m_window;
};

TEST_F(SunWindowTest, StartUpListsTheTwelveSitesInTableOrderWithChellesChosen)
{
    Velmorixon& w = start(at(2006y / June / 21, 10h), kParisSummer);
    ASSERT_EQ(w.Lville->count(), 12);
    for (int i = 0; i < w.Lville->count(); ++i) {
        EXPECT_EQ(w.Lville->item(i)->text().toStdString(), w.CalcSun->CityName(i)) << "entry " << i;
    }
    EXPECT_EQ(w.Lville->item(0)->text(), QString::fromUtf8("Paris, Butte aux cailles"));
    EXPECT_EQ(w.Lville->item(5)->text(), QString::fromUtf8("Paris, Sacré Coeur"));
    EXPECT_EQ(w.Lville->item(11)->text(), QString::fromUtf8("Nîmes"));
    EXPECT_EQ(w.Lville->currentRow(), kChelles);
    EXPECT_EQ(w.Lville->currentItem()->text(), QString::fromUtf8("Chelles"));
    EXPECT_DOUBLE_EQ(w.Latitude, 48.5246);
    EXPECT_DOUBLE_EQ(w.Longitude, 2.3523);
    EXPECT_DOUBLE_EQ(w.Pi, 3.14159265358979323846);
}

// ---- the day's sun times ------------------------------------------------------------------

struct SunTimesRow {
    std::string name;
    astro::DateTime startUp;
    ZoneInfo zone;
    int site;  // list entry chosen after start-up
    std::string rise, noon, set;
};

class SunTimes : public SunWindowTest, public testing::WithParamInterface<SunTimesRow> {};

TEST_P(SunTimes, ShowTheChosenSitesDayInRegionalForm)
{
    const SunTimesRow& row = GetParam();
    Velmorixon& w = start(row.startUp, row.zone);
    if (row.site != kChelles) w.Lville->setCurrentRow(row.site);
    expectSunTimes(row.rise, row.noon, row.set);
}

INSTANTIATE_TEST_SUITE_P(
    StartUpDay, SunTimes,
    testing::Values(
        SunTimesRow{"ChellesSummerTime", at(2006y / June / 21, 10h, 15min), kParisSummer, kChelles,
                    "21/06/2006 05:49:09", "21/06/2006 13:52:02", "21/06/2006 21:54:55"},
        // no summer time in force: the same day one hour earlier
        SunTimesRow{"ChellesNoRule", at(2006y / June / 21, 10h, 15min), {ZoneState::NoRule, 1h},
                    kChelles, "21/06/2006 04:49:09", "21/06/2006 12:52:02", "21/06/2006 20:54:55"},
        SunTimesRow{"ChellesZoneUnknown", at(2006y / June / 21, 10h, 15min), {ZoneState::Unknown, 2h},
                    kChelles, "21/06/2006 04:49:09", "21/06/2006 12:52:02", "21/06/2006 20:54:55"},
        SunTimesRow{"NimesWinter", at(2006y / December / 21, 9h), kParisWinter, kNimes,
                    "21/12/2006 08:11:54", "21/12/2006 12:41:13", "21/12/2006 17:10:31"}),
    [](const testing::TestParamInfo<SunTimesRow>& info) { return info.param.name; });

TEST_F(SunWindowTest, SiteChosenAfterMidnightStillShowsTheStartUpDay)
{
    Velmorixon& w = start(at(2006y / June / 21, 23h, 59min, 30s), kParisSummer);
    m_clock->advance(1min);  // 22 June, 00:00:30
    w.Lville->setCurrentRow(kNimes);
    EXPECT_TRUE(text(w.LLever).starts_with("21/06/2006 ")) << text(w.LLever);
    w.Lville->setCurrentRow(kChelles);
    expectSunTimes("21/06/2006 05:49:09", "21/06/2006 13:52:02", "21/06/2006 21:54:55");
}

TEST_F(SunWindowTest, ObservatoireLeavesEastLongitudeInTheWindowAndWestInTheCalculator)
{
    Velmorixon& w = start(at(2006y / June / 21, 10h), kParisSummer);
    w.Lville->setCurrentRow(kObservatoire);
    EXPECT_DOUBLE_EQ(w.Latitude, 48.5);
    EXPECT_DOUBLE_EQ(w.Longitude, 2.2);
    EXPECT_DOUBLE_EQ(w.CalcSun->Longitude(), -2.2);
    EXPECT_DOUBLE_EQ(w.CalcSun->Latitude(), 48.5);
    EXPECT_EQ(w.CalcSun->TimeZone(), -1);
    EXPECT_TRUE(w.CalcSun->DaySavings()) << "choosing a site keeps the start-up daylight flag";
}

TEST_F(SunWindowTest, MouseAndKeyboardChooseASite)
{
    Velmorixon& w = start(at(2006y / June / 21, 10h), kParisSummer);
    w.show();
    const std::string chellesRise = text(w.LLever);

    QListWidget* list = w.Lville;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(kTrilport)).center());
    EXPECT_EQ(list->currentRow(), kTrilport);
    EXPECT_DOUBLE_EQ(w.Latitude, 48.57);
    EXPECT_DOUBLE_EQ(w.Longitude, 2.57);
    EXPECT_NE(text(w.LLever), chellesRise);

    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(list->currentRow(), kClayeSouilly);
    EXPECT_DOUBLE_EQ(w.Longitude, 2.42);

    list->setCurrentRow(kChelles);
    EXPECT_EQ(text(w.LLever), chellesRise);
}

// ---- time-zone state at start-up ------------------------------------------------------------

struct ZoneRow {
    std::string name;
    ZoneInfo zone;
    std::string caption;
    bool daySavings;
    std::int32_t correctionHeure;
};

class StartUpZone : public SunWindowTest, public testing::WithParamInterface<ZoneRow> {};

TEST_P(StartUpZone, SetsCaptionDaylightFlagAndHourOffset)
{
    const ZoneRow& row = GetParam();
    Velmorixon& w = start(at(2006y / June / 21, 10h), row.zone);
    EXPECT_EQ(text(w.Lzone), row.caption);
    ASSERT_TRUE(w.CalcSun);
    EXPECT_EQ(w.CalcSun->DaySavings(), row.daySavings);
    EXPECT_EQ(w.Correction_Heure, row.correctionHeure);
}

INSTANTIATE_TEST_SUITE_P(
    States, StartUpZone,
    testing::Values(
        ZoneRow{"ParisSummer", kParisSummer, "Heure d'été", true, 2},
        ZoneRow{"ParisWinter", kParisWinter, "Heure d'hiver", false, 1},
        ZoneRow{"TokyoNoRule", {ZoneState::NoRule, 9h}, "pas de fuseau", false, 9},
        ZoneRow{"NewYorkWinter", {ZoneState::Standard, -5h}, "Heure d'hiver", false, -5},
        // half hours round to the even hour
        ZoneRow{"KabulHalfHourDown", {ZoneState::NoRule, 4h + 30min}, "pas de fuseau", false, 4},
        ZoneRow{"IndiaHalfHourUp", {ZoneState::NoRule, 5h + 30min}, "pas de fuseau", false, 6},
        ZoneRow{"NewfoundlandSummer", {ZoneState::Daylight, -2h - 30min}, "Heure d'été", true, -2},
        // a query that fails writes nothing; its offset is still used when the clock gave one
        ZoneRow{"UnknownWithOffset", {ZoneState::Unknown, 1h}, "", false, 1},
        ZoneRow{"UnknownWithoutClock", {ZoneState::Unknown, 0s}, "", false, 2}),
    [](const testing::TestParamInfo<ZoneRow>& info) { return info.param.name; });

// ---- sun-position tracking ------------------------------------------------------------------

TEST_F(SunWindowTest, TrackingShowsNothingUntilTheFirstTickThenFollowsTheClock)
{
    Velmorixon& w = start(at(2006y / June / 21, 13h, 59min, 59s), kParisSummer);
    EXPECT_FALSE(w.BtnStopCalc->isEnabled());
    EXPECT_FALSE(w.TCalcSun->isActive());

    w.BtnCalc->click();
    EXPECT_FALSE(w.BtnCalc->isEnabled());
    EXPECT_TRUE(w.BtnStopCalc->isEnabled());
    EXPECT_TRUE(w.TCalcSun->isActive());
    EXPECT_EQ(w.TCalcSun->interval(), 1000);
    EXPECT_EQ(text(w.Lalt), "");
    EXPECT_EQ(text(w.Lazt), "");

    m_clock->advance(1s);  // 14:00:00 at Chelles, two hours ahead of universal time
    w.sunTick();
    EXPECT_EQ(text(w.Lalt), "64° 49 Min. 31 Sec.");
    EXPECT_EQ(text(w.Lazt), "185° 44 Min. 14 Sec.");

    m_clock->advance(1s);
    w.sunTick();
    const std::string altitude = text(w.Lalt);
    const std::string azimuth = text(w.Lazt);
    EXPECT_NE(azimuth, "185° 44 Min. 14 Sec.") << "each tick reads the clock afresh";

    w.BtnStopCalc->click();
    EXPECT_FALSE(w.TCalcSun->isActive());
    EXPECT_TRUE(w.BtnCalc->isEnabled());
    EXPECT_FALSE(w.BtnStopCalc->isEnabled());
    EXPECT_EQ(text(w.Lalt), altitude);
    EXPECT_EQ(text(w.Lazt), azimuth);

    // a winter morning, the sun still below the horizon in the south-east
    m_clock->setLocal(time_point_cast<milliseconds>(at(2007y / January / 15, 9h, 29min, 59s)));
    w.BtnCalc->click();
    EXPECT_EQ(text(w.Lalt), altitude) << "restarting shows nothing new before the first tick";
    m_clock->advance(1s);
    w.sunTick();
    EXPECT_EQ(text(w.Lalt), "-2° 7 Min. 56 Sec.");
    EXPECT_EQ(text(w.Lazt), "120° 34 Min. 56 Sec.");
}

TEST_F(SunWindowTest, HourOffsetFollowsTheZonesOffset)
{
    // the same clock reading taken as one hour earlier in universal time: before noon
    Velmorixon& w = start(at(2006y / June / 21, 14h), {ZoneState::Daylight, 3h});
    w.Latitude = 48.85;
    w.Longitude = 2.35;
    w.sunTick();
    EXPECT_EQ(text(w.Lalt), "62° 46 Min. 21 Sec.");
    EXPECT_EQ(text(w.Lazt), "154° 31 Min. 34 Sec.");
}

TEST_F(SunWindowTest, AnotherSiteWhileTrackingMovesTheNextPosition)
{
    Velmorixon& w = start(at(2006y / June / 21, 14h), kParisSummer);
    w.BtnCalc->click();
    w.sunTick();
    ASSERT_EQ(text(w.Lazt), "185° 44 Min. 14 Sec.");

    w.Lville->setCurrentRow(kNimes);
    EXPECT_EQ(text(w.Lazt), "185° 44 Min. 14 Sec.") << "the position waits for the next tick";
    w.sunTick();
    // each tick reads the window's coordinates afresh: Nîmes, 43.5° north, 4.21° east
    const astro::HorizontalPosition nimes =
        astro::sunPosition(at(2006y / June / 21, 14h), 2, 4.21, 43.5, w.Pi);
    EXPECT_EQ(text(w.Lalt), astro::dmsCaption(nimes.altitude));
    EXPECT_EQ(text(w.Lazt), astro::dmsCaption(nimes.azimuth));
    EXPECT_NE(text(w.Lazt), "185° 44 Min. 14 Sec.");
    EXPECT_TRUE(w.TCalcSun->isActive());
}

}  // namespace
