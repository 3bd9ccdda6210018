// The sun half of the main window: time-zone state, the site list with the day's sun times,
// and the sun-position tracking, driven with a fake clock and a fake time-zone answer.
#include <gtest/gtest.h>

#include "support/window_bench.h"

namespace {

using namespace std::chrono;

astro::DateTime at(year_month_day date, hours h, minutes m = 0min, seconds s = 0s) { return local_days{date} + h + m + s; }

const ZoneInfo kParisSummer{ZoneState::Daylight, 2h};
constexpr int kChelles = 7, kNimes = 11;
const std::string kChellesNoonAzimuth = "185° 44 Min. 14 Sec.";  // 21/06/2006 12:00:00 UT

std::string sunTimes(const Velmorixon& w) { return text(w.LLever) + " | " + text(w.Lmidi) + " | " + text(w.Lcoucher); }
const std::string kChellesSolstice = "21/06/2006 05:49:09 | 21/06/2006 13:52:02 | 21/06/2006 21:54:55";

// The start-up day's times for the chosen site, kept past midnight; Nîmes in winter.
TEST(SunTimes, AreThoseOfTheChosenSiteForTheStartUpDayPastMidnight)
{
    WindowBench bench(false, at(2006y / June / 21, 23h, 59min, 30s), {}, kParisSummer);
    Velmorixon& w = *bench.window;
    ASSERT_EQ(w.Lville->count(), 12);
    EXPECT_EQ(w.Lville->currentItem()->text().toStdString(), "Chelles");
    EXPECT_EQ(w.Lville->item(kNimes)->text().toStdString(), "Nîmes");
    EXPECT_EQ(sunTimes(w), kChellesSolstice);
    bench.clock.advance(1min);
    w.Lville->setCurrentRow(kNimes);
    w.Lville->setCurrentRow(kChelles);
    EXPECT_EQ(sunTimes(w), kChellesSolstice);
    WindowBench winter(false, at(2006y / December / 21, 9h));  // standard time
    winter.window->Lville->setCurrentRow(kNimes);
    EXPECT_EQ(sunTimes(*winter.window), "21/12/2006 08:11:54 | 21/12/2006 12:41:13 | 21/12/2006 17:10:31");
}

TEST(StartUpZone, SetsCaptionDaylightFlagAndHourOffset)
{
    const struct { const char* name; ZoneInfo zone; const char* caption; bool daySavings; int hours; } rows[] = {
        {"summer", kParisSummer, "Heure d'été", true, 2},
        {"winter", {ZoneState::Standard, 1h}, "Heure d'hiver", false, 1},
        // half hours go to the even hour
        {"no rule, 4.5 h", {ZoneState::NoRule, 4h + 30min}, "pas de fuseau", false, 4},
        {"no rule, 5.5 h", {ZoneState::NoRule, 5h + 30min}, "pas de fuseau", false, 6},
        // a failed query writes nothing; a known offset still counts, its sign too
        {"unknown, -4 h", {ZoneState::Unknown, -4h}, "", false, -4},
        {"unknown, no clock", {ZoneState::Unknown, 0s}, "", false, 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WindowBench bench(false, at(2006y / June / 21, 10h), {}, row.zone);
        EXPECT_EQ(text(bench.window->Lzone), row.caption);
        EXPECT_EQ(bench.window->CalcSun->DaySavings(), row.daySavings);
        EXPECT_EQ(bench.window->Correction_Heure, row.hours);
    }
}

// Tracking beside an acquisition, neither stopping the other. Standard time, one hour ahead of
// universal time: 13:00 here is noon UT.
TEST(SunTracking, StartsOnTheTickFreezesOnStopAndReadsTheSiteAfresh)
{
    WindowBench bench(false, at(2006y / June / 21, 12h, 59min, 59s));
    Velmorixon& w = *bench.window;
    w.BtnMax187->click();
    w.BtnCalc->click();
    EXPECT_TRUE(!w.BtnCalc->isEnabled() && w.TCalcSun->isActive());
    EXPECT_EQ(text(w.Lalt) + text(w.Lazt), "") << "nothing before the first tick";
    bench.tick();
    w.sunTick();
    EXPECT_EQ(text(w.Lalt), "64° 49 Min. 31 Sec.");
    EXPECT_EQ(text(w.Lazt), kChellesNoonAzimuth);
    w.BtnStopCalc->click();
    EXPECT_FALSE(w.TCalcSun->isActive() || w.BtnStopCalc->isEnabled());
    bench.sim->setCounts(4000);
    bench.tick();
    EXPECT_EQ(text(w.Lmesure), "4000") << "stopping the tracking leaves the acquisition running";
    EXPECT_EQ(text(w.Lazt), kChellesNoonAzimuth);
    w.BtnCalc->click();
    w.BtnStop->click();
    EXPECT_TRUE(w.TCalcSun->isActive()) << "stopping the acquisition leaves the tracking running";
    w.Lville->setCurrentRow(kNimes);
    EXPECT_EQ(text(w.Lazt), kChellesNoonAzimuth) << "the position waits for the next tick";
    w.sunTick();
    // Nîmes, 43.5° N, 4.21° E, at noon UT on the solstice, 15 min past its transit (hour angle 3.7°),
    // by hand: sin h = sin φ sin δ + cos φ cos δ cos H = 0.2738 + 0.6642, h = 69.7° (to the degree).
    EXPECT_EQ(text(w.Lalt).substr(0, 5), "69° ") << "Chelles stood at 64°";
}

}  // namespace
