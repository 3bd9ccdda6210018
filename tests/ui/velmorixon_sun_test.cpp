// The sun half of the main window: time-zone state, the site list with the day's sun times,
// and the sun-position tracking, driven with a fake clock and a fake time-zone answer.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "astro/sun_position.h"
#include "support/window_bench.h"

namespace {

using namespace std::chrono;

astro::DateTime at(year_month_day date, hours h, minutes m = 0min, seconds s = 0s)
{
    return local_days{date} + h + m + s;
}

std::string text(const QLabel* label) { return label->text().toStdString(); }

const ZoneInfo kParisSummer{ZoneState::Daylight, 2h};
constexpr int kChelles = 7, kObservatoire = 3, kClayeSouilly = 8, kTrilport = 9, kNimes = 11;
const std::string kChellesNoonAzimuth = "185° 44 Min. 14 Sec.";  // 21/06/2006 12:00:00 UT

// One main window on a fake clock and a fake time-zone answer; the converter is never opened.
class SunWindowTest : public testing::Test {
protected:
    Velmorixon& start(astro::DateTime now, ZoneInfo zone)
    {
        m_clock = std::make_unique<FakeClock>(now);
        Platform platform;
        platform.openPort = []() -> std::unique_ptr<ParallelPort> {
            ADD_FAILURE() << "the sun controls never open the converter's port";
            return nullptr;
        };
        platform.clock = m_clock.get();
        platform.queryZone = [zone] { return zone; };
        platform.dataRoot = m_dataRoot.path();
        platform.files = &m_files;
        m_window = std::make_unique<Velmorixon>(std::move(platform));
        return *m_window;
    }
    void expectSunTimes(const std::string& rise, const std::string& noon, const std::string& set)
    {
        EXPECT_EQ(text(m_window->LLever), rise);
        EXPECT_EQ(text(m_window->Lmidi), noon);
        EXPECT_EQ(text(m_window->Lcoucher), set);
    }

    std::unique_ptr<FakeClock> m_clock;
    PosixFileSystem m_files;
    TempDir m_dataRoot;
    std::unique_ptr<Velmorixon> m_window;
};

TEST_F(SunWindowTest, StartUpListsTheSitesInTableOrderWithChellesChosen)
{
    Velmorixon& w = start(at(2006y / June / 21, 10h), kParisSummer);
    ASSERT_EQ(w.Lville->count(), 12);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(w.Lville->item(i)->text().toStdString(), w.CalcSun->CityName(i));
    EXPECT_EQ(w.Lville->item(11)->text(), QString::fromUtf8("Nîmes"));
    EXPECT_EQ(w.Lville->currentItem()->text(), QString::fromUtf8("Chelles"));
    EXPECT_DOUBLE_EQ(w.Latitude, 48.5246);
    EXPECT_DOUBLE_EQ(w.Longitude, 2.3523);
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
    start(row.startUp, row.zone).Lville->setCurrentRow(row.site);
    expectSunTimes(row.rise, row.noon, row.set);
}

INSTANTIATE_TEST_SUITE_P(
    StartUpDay, SunTimes,
    testing::Values(
        SunTimesRow{"ChellesSummerTime", at(2006y / June / 21, 10h), kParisSummer, kChelles,
                    "21/06/2006 05:49:09", "21/06/2006 13:52:02", "21/06/2006 21:54:55"},
        // no summer time in force: the same day one hour earlier
        SunTimesRow{"ChellesNoRule", at(2006y / June / 21, 10h), {ZoneState::NoRule, 1h}, kChelles,
                    "21/06/2006 04:49:09", "21/06/2006 12:52:02", "21/06/2006 20:54:55"},
        SunTimesRow{"NimesWinter", at(2006y / December / 21, 9h), {ZoneState::Standard, 1h}, kNimes,
                    "21/12/2006 08:11:54", "21/12/2006 12:41:13", "21/12/2006 17:10:31"}),
    [](const testing::TestParamInfo<SunTimesRow>& info) { return info.param.name; });

TEST_F(SunWindowTest, SiteChosenAfterMidnightStillShowsTheStartUpDay)
{
    Velmorixon& w = start(at(2006y / June / 21, 23h, 59min, 30s), kParisSummer);
    m_clock->advance(1min);
    w.Lville->setCurrentRow(kNimes);
    w.Lville->setCurrentRow(kChelles);
    expectSunTimes("21/06/2006 05:49:09", "21/06/2006 13:52:02", "21/06/2006 21:54:55");
}

TEST_F(SunWindowTest, SiteChosenByCodeMouseOrKeyboardGoesToBothComputations)
{
    Velmorixon& w = start(at(2006y / June / 21, 10h), kParisSummer);
    w.Lville->setCurrentRow(kObservatoire);
    EXPECT_DOUBLE_EQ(w.Latitude, 48.5);
    EXPECT_DOUBLE_EQ(w.Longitude, 2.2);
    EXPECT_DOUBLE_EQ(w.CalcSun->Longitude(), -2.2);
    EXPECT_TRUE(w.CalcSun->DaySavings()) << "choosing a site keeps the start-up daylight flag";

    w.show();
    QListWidget* list = w.Lville;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(kTrilport)).center());
    EXPECT_DOUBLE_EQ(w.Longitude, 2.57);
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(list->currentRow(), kClayeSouilly);
    EXPECT_DOUBLE_EQ(w.Longitude, 2.42);
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
    EXPECT_EQ(w.CalcSun->DaySavings(), row.daySavings);
    EXPECT_EQ(w.Correction_Heure, row.correctionHeure);
}

INSTANTIATE_TEST_SUITE_P(
    States, StartUpZone,
    testing::Values(ZoneRow{"ParisSummer", kParisSummer, "Heure d'été", true, 2},
                    ZoneRow{"ParisWinter", {ZoneState::Standard, 1h}, "Heure d'hiver", false, 1},
                    ZoneRow{"TokyoNoRule", {ZoneState::NoRule, 9h}, "pas de fuseau", false, 9},
                    ZoneRow{"NewYorkSummer", {ZoneState::Daylight, -4h}, "Heure d'été", true, -4},
                    // half hours go to the even hour
                    ZoneRow{"KabulHalfDown", {ZoneState::NoRule, 4h + 30min}, "pas de fuseau", false, 4},
                    ZoneRow{"IndiaHalfUp", {ZoneState::NoRule, 5h + 30min}, "pas de fuseau", false, 6},
                    // a failed query writes nothing; a known offset still counts
                    ZoneRow{"UnknownWithOffset", {ZoneState::Unknown, 1h}, "", false, 1},
                    ZoneRow{"UnknownWithoutClock", {ZoneState::Unknown, 0s}, "", false, 2}),
    [](const testing::TestParamInfo<ZoneRow>& info) { return info.param.name; });

// ---- sun-position tracking ------------------------------------------------------------------

TEST_F(SunWindowTest, TrackingShowsNothingUntilTheFirstTickThenFollowsTheClock)
{
    Velmorixon& w = start(at(2006y / June / 21, 13h, 59min, 59s), kParisSummer);
    EXPECT_FALSE(w.BtnStopCalc->isEnabled());
    w.BtnCalc->click();
    EXPECT_FALSE(w.BtnCalc->isEnabled());
    EXPECT_TRUE(w.BtnStopCalc->isEnabled());
    EXPECT_EQ(w.TCalcSun->interval(), 1000);
    EXPECT_EQ(text(w.Lalt) + text(w.Lazt), "");

    m_clock->advance(1s);
    w.sunTick();
    EXPECT_EQ(text(w.Lalt), "64° 49 Min. 31 Sec.");
    EXPECT_EQ(text(w.Lazt), kChellesNoonAzimuth);
    m_clock->advance(1s);
    w.sunTick();
    const std::string azimuth = text(w.Lazt);
    EXPECT_NE(azimuth, kChellesNoonAzimuth);

    w.BtnStopCalc->click();
    EXPECT_FALSE(w.TCalcSun->isActive());
    EXPECT_TRUE(w.BtnCalc->isEnabled());
    EXPECT_EQ(text(w.Lazt), azimuth);

    // a winter morning, the sun still below the horizon in the south-east
    m_clock->setLocal(time_point_cast<milliseconds>(at(2007y / January / 15, 9h, 29min, 59s)));
    w.BtnCalc->click();
    EXPECT_EQ(text(w.Lazt), azimuth) << "nothing new before the first tick";
    m_clock->advance(1s);
    w.sunTick();
    EXPECT_EQ(text(w.Lalt), "-2° 7 Min. 56 Sec.");
    EXPECT_EQ(text(w.Lazt), "120° 34 Min. 56 Sec.");
}

TEST_F(SunWindowTest, AnotherSiteWhileTrackingMovesTheNextPosition)
{
    Velmorixon& w = start(at(2006y / June / 21, 14h), kParisSummer);
    w.BtnCalc->click();
    w.sunTick();
    w.Lville->setCurrentRow(kNimes);
    EXPECT_EQ(text(w.Lazt), kChellesNoonAzimuth) << "the position waits for the next tick";
    w.sunTick();
    // Nîmes: 43.5° north, 4.21° east
    const auto nimes = astro::sunPosition(at(2006y / June / 21, 14h), 2, 4.21, 43.5, w.Pi);
    EXPECT_EQ(text(w.Lalt), astro::dmsCaption(nimes.altitude));
    EXPECT_EQ(text(w.Lazt), astro::dmsCaption(nimes.azimuth));
}

TEST(SunTrackingBesideAcquisition, NeitherStopsTheOther)
{
    // standard time, one hour ahead of universal time: 13:00 here is 14:00 on a summer clock
    WindowBench bench(false, at(2006y / June / 21, 12h, 59min, 59s));
    Velmorixon& w = *bench.window;
    bench.counts = 1234;
    w.BtnMax187->click();
    w.BtnCalc->click();
    bench.tick();
    w.sunTick();
    EXPECT_EQ(text(w.Lmesure), "1234");
    EXPECT_EQ(text(w.Lazt), kChellesNoonAzimuth);

    w.BtnStopCalc->click();
    bench.sim->setCounts(4000);
    bench.tick();
    EXPECT_EQ(text(w.Lmesure), "4000") << "stopping the tracking leaves the acquisition running";

    w.BtnCalc->click();
    w.BtnStop->click();
    EXPECT_TRUE(w.TCalcSun->isActive()) << "stopping the acquisition leaves the tracking running";
    bench.clock.advance(1s);
    w.sunTick();
    EXPECT_NE(text(w.Lazt), kChellesNoonAzimuth);
}

}  // namespace
