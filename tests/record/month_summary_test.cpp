// The month's table: which days belong, each day's runs and sites, the month's totals with its
// peak and the day it fell on, and a day's row as CSV in the day view's conventions.
#include <gtest/gtest.h>

#include "record/month_summary.h"

using namespace std::chrono;
using namespace record;

namespace {

TEST(MonthDays, AreTheMonthsDaysWithAMeasurementFileOrAKeptRunInDateOrderEachOnce)
{
    const std::vector<std::filesystem::path> folder{
        "/o/data06-21-2026.val", "/o/data06-03-2026.val.2", "/o/data06-21-2026.val.12", "/o/data07-01-2026.val", "/o/data06-21-2025.val",
        "/o/data06-04-2026.run", "/o/data05-31-2026.val", "/o/data06-30-2026.val", "/o/capteur.csv", "/o/data06-31-2026.val", "/o/data06-05-2026.val.0",
        "/o/data06-06-2026.val.x", "/o/data06-07-2026.val.", "/o/data6-8-2026.val", "/o/Data06-09-2026.val", "/o/data06-10-2026.valx", "/o/data06-11-2026.txt"};
    EXPECT_EQ(daysWithFiles(folder, 2026y / June), (std::vector<year_month_day>{2026y / June / 3, 2026y / June / 21, 2026y / June / 30}));
}

TEST(EmptyMonth, NamesTheMonthAndTheFolderItReadWithFrenchSpaces)
{
    EXPECT_EQ(emptyMonthMessage("/srv/obs", 2026y / August),
              "Aucune mesure en août\u00A02026 dans «\u00A0/srv/obs\u00A0»\u00A0: ni fichier de mesures de ce mois "
              "(dataMM-JJ-AAAA.val), ni série d'un jour d'avant qui s'y poursuive. Choisissez un autre mois ou un autre dossier.");
    EXPECT_TRUE(emptyMonthMessage("/o", 2026y / January).starts_with("Aucune mesure en janvier\u00A02026 dans"));
    EXPECT_TRUE(emptyMonthMessage("/o", 2026y / December).starts_with("Aucune mesure en décembre\u00A02026 dans"));
}

TEST(MonthDay, CountsItsRunsAndJoinsTheirSitesTakingARowWithoutASiteForTheOneAssumed)
{
    const auto row = [](std::string site) { return acquisition::RunEvent{{}, {}, 120min, 0, std::move(site), 0, 0, 60, "", ""}; };
    const std::vector<acquisition::RunEvent> fromLines{row("")}, travelled{row("Nîmes"), row("Chelles"), row("Nîmes")};
    const std::vector<RunReadings> runs{{{}, fromLines}, {{}, travelled}};
    const DaySummary day = summarizeDay(2026y / June / 21, runs, {}, *siteNamed("Chelles"));
    EXPECT_EQ(std::tuple(day.runs, day.site), std::tuple(2u, std::string("Chelles / Nîmes")));
    EXPECT_EQ(summarizeDay(2026y / June / 21, {&runs[1], 1}, {}, *siteNamed("Chelles")).site, "Nîmes / Chelles");
    EXPECT_EQ(summarizeDay(2026y / June / 21, {}, {}, *siteNamed("Chelles")).site, "Chelles");
}

SunlightFigures figures(std::size_t readings, std::size_t calibrated, double wh, double sunshineHours, std::optional<double> peak, local_seconds peakTime)
{
    return {.readings = readings, .calibrated = calibrated, .excluded = 1, .flags = {1, 2, 3, 4}, .irradiation = wh, .clearSkyIrradiation = 2 * wh,
            .sunshineSeconds = sunshineHours * 3600, .covered = 12h, .daylight = 16h, .peak = peak, .peakTime = peakTime};
}

TEST(MonthTotals, SumTheDaysCountTheCalibratedOnesAndKeepTheHighestPeakWithItsDay)
{
    const local_days june{2026y / June / 1};
    const std::vector<DaySummary> month{{2026y / June / 2, "Chelles", 1, figures(11, 10, 5000, 4, 900.0, june + days{1} + 13h)},
                                       {2026y / June / 3, "Chelles", 2, figures(51, 0, 0, 0, std::nullopt, {})},
                                       {2026y / June / 4, "Nîmes", 1, figures(21, 20, 6000, 5.5, 950.5, june + days{3} + 12h)},
                                       {2026y / June / 5, "Chelles", 1, figures(11, 10, 4000, 3, 920.0, june + days{4} + 14h)}};
    const MonthTotals t = monthTotals(month);
    const SunlightFigures& f = t.figures;
    EXPECT_EQ(std::tuple(t.days, t.calibratedDays, f.readings, f.calibrated, f.excluded), std::tuple(4u, 3u, 94u, 40u, 4u));
    EXPECT_EQ(std::tuple(f.flags.impossible, f.flags.rare, f.flags.saturated, f.flags.stuck), std::tuple(4u, 8u, 12u, 16u));
    EXPECT_EQ(std::tuple(f.irradiation, f.clearSkyIrradiation, f.sunshineSeconds), std::tuple(15000.0, 30000.0, 12.5 * 3600));
    EXPECT_EQ(std::tuple(f.daylight, f.covered, f.coverage()), std::tuple(seconds{64h}, seconds{48h}, 0.75));
    EXPECT_EQ(std::tuple(f.peak, f.peakTime), std::tuple(std::optional(950.5), june + days{3} + 12h));
}

TEST(MonthTable, WritesADayAsACsvRowWithDecimalCommasAndEmptyIrradianceWithoutCalibration)
{
    DaySummary day{2026y / June / 21, "Chelles / Nîmes", 3, {.calibrated = 40000, .flags = {1, 2, 3, 4}, .irradiation = 7412.4, .clearSkyIrradiation = 8105.0,
                                                        .sunshineSeconds = 11.25 * 3600, .covered = 16h - 5min + 12s /* 98.76 % */, .daylight = 16h + 7min + 12s,
                                                        .peak = 912.44, .peakTime = local_days{2026y / June / 21} + 13h + 42min + 10s}};
    EXPECT_EQ(monthCsv({&day, 1}),
              "date;site;series;couverture_pct;irradiation_kWh_m2;ciel_clair_kWh_m2;rapport;"
              "ensoleillement_h;duree_jour_h;fraction_ensoleillement;pic_W_m2;heure_pic;"
              "impossible;rare;sature;fige\r\n"
              "2026-06-21;Chelles / Nîmes;3;98,8;7,412;8,105;0,915;11,25;16,12;0,698;912,4;13,703;1;2;3;4\r\n");
    day.figures.calibrated = 0;
    day.figures.peak.reset();
    EXPECT_EQ(monthCsvLine(day), "2026-06-21;Chelles / Nîmes;3;98,8;;;;;16,12;;;;1;2;3;4\r\n");
}

}  // namespace
