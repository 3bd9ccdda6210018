// A day of the month's table as CSV in the day view's conventions.
#include <gtest/gtest.h>

#include "record/month_summary.h"

using namespace std::chrono;
using namespace record;

TEST(MonthTable, WritesADayAsACsvRowWithDecimalCommasAndEmptyIrradianceWithoutCalibration)
{
    DaySummary day{2026y / June / 21, "Chelles / Nîmes", 3, {}};
    SunlightFigures& f = day.figures;
    f.calibrated = 40000;
    f.flags = {1, 2, 3, 4};
    f.irradiation = 7412.4;
    f.clearSkyIrradiation = 8105.0;
    f.sunshineSeconds = 11.25 * 3600;
    f.daylight = 16h + 7min + 12s;
    f.covered = f.daylight - 12min;  // 98.76 %
    f.peak = 912.44;
    f.peakTime = local_days{2026y / June / 21} + 13h + 42min + 10s;
    EXPECT_EQ(monthCsv({&day, 1}),
              "date;site;series;couverture_pct;irradiation_kWh_m2;ciel_clair_kWh_m2;rapport;"
              "ensoleillement_h;duree_jour_h;fraction_ensoleillement;pic_W_m2;heure_pic;"
              "impossible;rare;sature;fige\r\n"
              "2026-06-21;Chelles / Nîmes;3;98,8;7,412;8,105;0,915;11,25;16,12;0,698;912,4;13,703;1;2;3;4\r\n");
    f.calibrated = 0;
    f.peak.reset();
    EXPECT_EQ(monthCsvLine(day), "2026-06-21;Chelles / Nîmes;3;98,8;;;;;16,12;;;;1;2;3;4\r\n");
}
