#pragma once
// The month at a glance: one row per day that has a measurement file, the month's totals, and
// the table as CSV in the day view's conventions (';', decimal comma, CR LF; UTF-8, since a
// site's name may have accents):
//
//   date;site;series;couverture_pct;irradiation_kWh_m2;ciel_clair_kWh_m2;rapport;ensoleillement_h;duree_jour_h;fraction_ensoleillement;pic_W_m2;heure_pic;impossible;rare;sature;fige
//   2026-06-21;Chelles;3;98,7;7,412;8,105;0,915;11,25;16,12;0,698;912,4;13,703;0;2;0;0
//
// date AAAA-MM-JJ; hours as decimal hours, heure_pic too (13,703 is 13:42:10 on the local clock);
// a row without a site's name (made from a run's lines) counts as the site assumed; the irradiance columns
// (irradiation, clear sky, ratio, sunshine, fraction, peak and its time) empty for a day
// without calibration.
#include <chrono>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "record/day_sunlight.h"

namespace record {

struct DaySummary {
    std::chrono::year_month_day date{};
    std::string site;          ///< the companions' sites, in order of appearance, joined by " / "
    std::size_t runs = 0;
    SunlightFigures figures;   ///< of the whole day
};

/// The day's row from its runs (oldest first), the calibration history and the site to assume
/// where no companion names one.
DaySummary summarizeDay(std::chrono::year_month_day date, std::span<const RunReadings> runs,
                        std::span<const CalibrationRow> calibration, const ObservingSite& site);

/// The days of `month` with a measurement file (plain or kept run) among a folder's entries, in
/// date order, each once.
std::vector<std::chrono::year_month_day> daysWithFiles(
    const std::vector<std::filesystem::path>& folderEntries, std::chrono::year_month month);

/// Sums over the month: irradiation, clear sky, sunshine, day length and flags; peak the
/// month's highest; coverage over the month's daylight.
struct MonthTotals {
    std::size_t days = 0, calibratedDays = 0;
    SunlightFigures figures;
};
MonthTotals monthTotals(std::span<const DaySummary> days);

/// What a month without a single day says, naming the folder read:
/// « Aucune mesure en juin 2026 dans « /srv/obs » : … », with French non-breaking spaces.
std::string emptyMonthMessage(const std::filesystem::path& folder, std::chrono::year_month month);

std::string monthCsvHeader();
std::string monthCsvLine(const DaySummary& day);
std::string monthCsv(std::span<const DaySummary> days);

}  // namespace record
