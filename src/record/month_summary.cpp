#include "record/month_summary.h"

#include <algorithm>
#include <charconv>

#include "record/measurement_reader.h"

namespace record {

namespace {

using namespace std::chrono;

void appendFixed(std::string& out, double value, int decimals)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string_view text(buffer, std::size_t(result.ptr - buffer));
    if (text.find_first_not_of("-0.") == text.npos && text.front() == '-') text.remove_prefix(1);
    for (const char c : text) out += c == '.' ? ',' : c;
}

void appendTwoDigits(std::string& out, long long value)
{
    out += char('0' + value / 10 % 10);
    out += char('0' + value % 10);
}

}  // namespace

DaySummary summarizeDay(year_month_day date, std::span<const RunReadings> runs,
                        std::span<const CalibrationRow> calibration, const ObservingSite& site)
{
    DaySummary summary;
    summary.date = date;
    summary.runs = runs.size();
    const DaySunlight day(local_days{date}, runs, calibration, site);
    summary.figures = day.dayFigures();
    std::vector<std::string> sites;
    for (const RunReadings& run : runs)
        for (const acquisition::RunEvent& row : run.companion)
            // An empty name (a row made from the run's lines) is the site assumed.
            if (const std::string& name = row.site.empty() ? site.name : row.site;
                std::find(sites.begin(), sites.end(), name) == sites.end())
                sites.push_back(name);
    if (sites.empty()) sites.push_back(day.site().name);
    for (const std::string& name : sites) summary.site += (summary.site.empty() ? "" : " / ") + name;
    return summary;
}

std::vector<year_month_day> daysWithFiles(const std::vector<std::filesystem::path>& folderEntries,
                                          year_month month)
{
    std::vector<year_month_day> days;
    for (const auto& entry : folderEntries)
        if (const auto date = dateFromFileName(entry.filename().string()))
            if (date->year() / date->month() == month) days.push_back(*date);
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    return days;
}

MonthTotals monthTotals(std::span<const DaySummary> days)
{
    MonthTotals totals;
    SunlightFigures& t = totals.figures;
    double millivoltSum = 0;
    std::size_t kept = 0;
    for (const DaySummary& day : days) {
        const SunlightFigures& f = day.figures;
        ++totals.days;
        totals.calibratedDays += f.calibrated > 0;
        t.readings += f.readings;
        t.calibrated += f.calibrated;
        t.excluded += f.excluded;
        t.flags.impossible += f.flags.impossible;
        t.flags.rare += f.flags.rare;
        t.flags.saturated += f.flags.saturated;
        t.flags.stuck += f.flags.stuck;
        t.irradiation += f.irradiation;
        t.clearSkyIrradiation += f.clearSkyIrradiation;
        t.sunshineSeconds += f.sunshineSeconds;
        t.covered += f.covered;
        t.daylight += f.daylight;
        if (f.peak && (!t.peak || *f.peak > *t.peak)) {
            t.peak = f.peak;
            t.peakTime = f.peakTime;
        }
        if (f.readings > f.excluded && (kept == 0 || f.peakMillivolts > t.peakMillivolts)) {
            t.peakMillivolts = f.peakMillivolts;
            t.peakMillivoltsTime = f.peakMillivoltsTime;
        }
        millivoltSum += f.meanMillivolts * double(f.readings - f.excluded);
        kept += f.readings - f.excluded;
    }
    if (kept) t.meanMillivolts = millivoltSum / double(kept);
    return totals;
}

std::string emptyMonthMessage(const std::filesystem::path& folder, year_month month)
{
    static const char* const names[] = {"janvier", "février", "mars",      "avril",   "mai",      "juin",
                                        "juillet", "août",    "septembre", "octobre", "novembre", "décembre"};
    const std::string space = "\u00A0";  // where French never breaks a line
    return "Aucune mesure en " + std::string(names[(unsigned(month.month()) + 11) % 12]) + space +
           std::to_string(int(month.year())) + " dans «" + space + folder.string() + space + "»" + space +
           ": ni fichier de mesures de ce mois (dataMM-JJ-AAAA.val), ni série d'un jour d'avant qui s'y "
           "poursuive. Choisissez un autre mois ou un autre dossier.";
}

std::string monthCsvHeader()
{
    return "date;site;series;couverture_pct;irradiation_kWh_m2;ciel_clair_kWh_m2;rapport;"
           "ensoleillement_h;duree_jour_h;fraction_ensoleillement;pic_W_m2;heure_pic;"
           "impossible;rare;sature;fige\r\n";
}

std::string monthCsvLine(const DaySummary& day)
{
    const SunlightFigures& f = day.figures;
    const bool calibrated = f.calibrated > 0;
    std::string line = std::to_string(int(day.date.year())) + '-';
    appendTwoDigits(line, unsigned(day.date.month()));
    line += '-';
    appendTwoDigits(line, unsigned(day.date.day()));
    line += ';';
    for (const char c : day.site) line += c == ';' ? ',' : (c == '\r' || c == '\n') ? ' ' : c;
    line += ';' + std::to_string(day.runs) + ';';
    appendFixed(line, 100 * f.coverage(), 1);
    line += ';';
    if (calibrated) appendFixed(line, f.irradiation / 1000, 3);
    line += ';';
    if (calibrated) appendFixed(line, f.clearSkyIrradiation / 1000, 3);
    line += ';';
    if (calibrated && f.ratio()) appendFixed(line, *f.ratio(), 3);
    line += ';';
    if (calibrated) appendFixed(line, f.sunshineSeconds / 3600, 2);
    line += ';';
    appendFixed(line, double(f.daylight.count()) / 3600, 2);
    line += ';';
    if (const auto fraction = f.sunshineFraction(); calibrated && fraction) appendFixed(line, *fraction, 3);
    line += ';';
    if (f.peak) appendFixed(line, *f.peak, 1);
    line += ';';
    if (f.peak) appendFixed(line, double((f.peakTime - floor<days>(f.peakTime)).count()) / 3600, 3);
    for (const std::size_t count : {f.flags.impossible, f.flags.rare, f.flags.saturated, f.flags.stuck})
        line += ';' + std::to_string(count);
    line += "\r\n";
    return line;
}

std::string monthCsv(std::span<const DaySummary> days)
{
    std::string csv = monthCsvHeader();
    for (const DaySummary& day : days) csv += monthCsvLine(day);
    return csv;
}

}  // namespace record
