#include "record/day_sunlight.h"

#include <algorithm>
#include <string>
#include <utility>

namespace record {

namespace {

using namespace std::chrono;

constexpr double kNightAltitude = -6;   ///< « nuit »: the sun this far below the horizon
constexpr double kStuckAltitude = 10;   ///< « figé » counts only with the sun higher
constexpr seconds kStuckDuration = 10min;
constexpr int kSaturation = 4095;       ///< the converter's full scale, mV

/// The sun's quantities at one instant, as the readings between two minutes interpolate them.
struct SunTerms {
    double altitude = 0, clearSky = 0, bsrn = 0, sunshine = 0;
};

SunTerms sampleAt(const ObservingSite& site, sys_seconds at, minutes offset, int dayOfYear)
{
    const double h = sunAltitude(site, at, offset);
    return {h, haurwitzClearSky(h), bsrnScale(h, dayOfYear), sunshineScale(h)};
}

/// The sun on whole minutes of universal time for one site, the last two kept: readings come in
/// time order, so a day costs one sample a minute whatever the period.
class SunSampler {
public:
    /// `key`: the site's name as the companion writes it.
    SunSampler(std::string key, const ObservingSite& site, int dayOfYear)
        : m_key(std::move(key)), m_site(site), m_dayOfYear(dayOfYear)
    {
    }

    SunTerms at(sys_seconds t, minutes offset)
    {
        const sys_seconds minute = floor<minutes>(t);
        if (minute != m_minute) {
            if (minute == m_minute + 1min) m_before = m_after;
            else m_before = sampleAt(m_site, minute, offset, m_dayOfYear);
            m_after = sampleAt(m_site, minute + 1min, offset, m_dayOfYear);
            m_minute = minute;
        }
        const double w = double((t - minute).count()) / 60.0;
        const auto mix = [w](double a, double b) { return w == 0 ? a : a + (b - a) * w; };
        return {mix(m_before.altitude, m_after.altitude), mix(m_before.clearSky, m_after.clearSky),
                mix(m_before.bsrn, m_after.bsrn), mix(m_before.sunshine, m_after.sunshine)};
    }
    const std::string& key() const { return m_key; }

private:
    std::string m_key;
    ObservingSite m_site;
    int m_dayOfYear;
    sys_seconds m_minute{sys_seconds::min()};
    SunTerms m_before, m_after;
};

/// The companion row in force for reading number `number`: the last one numbered at or below it.
const acquisition::RunEvent* companionRow(std::span<const acquisition::RunEvent> rows, std::int64_t number)
{
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        if (row->nextNumber <= number) return &*row;
    return nullptr;
}

ObservingSite siteOf(const acquisition::RunEvent& row)
{
    if (auto named = siteNamed(row.site)) return *named;
    ObservingSite site;
    site.index = -1;
    site.name = row.site;
    site.latitude = row.latitude;
    site.longitudeEast = row.longitudeEast;
    return site;
}

/// The run's median spacing, at least a second.
seconds medianSpacing(std::span<const TracePoint> points)
{
    std::vector<seconds> steps;
    for (std::size_t i = 1; i < points.size(); ++i) steps.push_back(points[i].instant - points[i - 1].instant);
    if (steps.empty()) return 1s;
    std::nth_element(steps.begin(), steps.begin() + std::ptrdiff_t(steps.size() / 2), steps.end());
    return std::max(steps[steps.size() / 2], seconds{1});
}

double median(std::vector<int> values)
{
    if (values.empty()) return 0;
    const std::size_t half = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(half), values.end());
    if (values.size() % 2 != 0) return values[half];
    return (values[half] + *std::max_element(values.begin(), values.begin() + std::ptrdiff_t(half))) / 2.0;
}

/// « figé »: a stretch of equal readings, the sun above 10° throughout, lasting 10 minutes or more.
void flagStuck(std::vector<SunlitReading>& run)
{
    std::size_t first = 0;
    for (std::size_t i = 0; i <= run.size(); ++i) {
        const bool continues = i < run.size() && run[i].altitude > kStuckAltitude &&
                               i > first && run[i].millivolts == run[first].millivolts;
        if (continues) continue;
        if (i > first && run[i - 1].instant - run[first].instant >= kStuckDuration)
            for (std::size_t k = first; k < i; ++k) run[k].flags |= kStuck;
        first = i;
        if (i < run.size() && run[i].altitude <= kStuckAltitude) first = i + 1;
    }
}

seconds overlap(sys_seconds a, sys_seconds b, sys_seconds c, sys_seconds d)
{
    return std::max(seconds{0}, std::min(b, d) - std::max(a, c));
}

}  // namespace

std::optional<double> SunlightFigures::ratio() const
{
    if (clearSkyIrradiation > 0) return irradiation / clearSkyIrradiation;
    return std::nullopt;
}

double SunlightFigures::coverage() const
{
    if (daylight <= seconds{0}) return 0;
    return std::min(1.0, double(covered.count()) / double(daylight.count()));
}

std::optional<double> SunlightFigures::sunshineFraction() const
{
    if (daylight <= seconds{0} || calibrated == 0) return std::nullopt;
    return sunshineSeconds / double(daylight.count());
}

DaySunlight::DaySunlight(local_days day, std::span<const RunReadings> runs,
                         std::span<const CalibrationRow> calibration, const ObservingSite& site)
    : m_site(site)
{
    std::string key = m_site.name;
    for (const RunReadings& run : runs)
        if (!run.companion.empty()) {
            key = run.companion.front().site;
            m_site = siteOf(run.companion.front());
            break;
        }
    m_sun = sunMarkers(m_site, day, false);  // the instants do not depend on the summer hour
    const year_month_day date{day};
    const int dayOfYear = (local_days{day} - local_days{date.year() / January / 1}).count() + 1;

    // The sun at every reading, then the night's median for « nuit » offsets.
    std::vector<std::vector<SunTerms>> samples(runs.size());
    std::vector<int> night;
    m_runs.resize(runs.size());
    std::vector<SunSampler> samplers{SunSampler(key, m_site, dayOfYear)};
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const RunReadings& run = runs[r];
        const seconds median = medianSpacing(run.points);
        auto& out = m_runs[r];
        out.resize(run.points.size());
        samples[r].resize(run.points.size());
        for (std::size_t i = 0; i < run.points.size(); ++i) {
            const TracePoint& p = run.points[i];
            const acquisition::RunEvent* row = companionRow(run.companion, p.number);
            SunSampler* sampler = &samplers.front();
            if (row && row->site != sampler->key()) {
                auto found = std::find_if(samplers.begin(), samplers.end(),
                                          [&](const SunSampler& s) { return s.key() == row->site; });
                if (found == samplers.end())
                    found = samplers.insert(samplers.end(), SunSampler(row->site, siteOf(*row), dayOfYear));
                sampler = &*found;
            }
            const SunTerms sun = sampler->at(p.instant, p.utcOffset());
            samples[r][i] = sun;
            SunlitReading& reading = out[i];
            reading.instant = p.instant;
            reading.utcOffset = p.utcOffset();
            reading.millivolts = p.millivolts;
            reading.altitude = sun.altitude;
            reading.clearSky = sun.clearSky;
            reading.bridge = 3 * (row ? seconds{row->periodSeconds} : median);
            if (reading.altitude < kNightAltitude) night.push_back(p.millivolts);
        }
    }
    const double nightMillivolts = median(std::move(night));

    for (std::size_t r = 0; r < m_runs.size(); ++r) {
        for (std::size_t i = 0; i < m_runs[r].size(); ++i) {
            SunlitReading& reading = m_runs[r][i];
            const SunTerms& sun = samples[r][i];
            if (reading.millivolts >= kSaturation) reading.flags |= kSaturated;
            const CalibrationRow* row = rowInForce(calibration, reading.instant);
            if (!row) continue;
            reading.calibrated = true;
            reading.irradiance =
                (reading.millivolts - row->offset.value_or(nightMillivolts)) / row->sensitivity;
            reading.flags |= irradianceFlagOnScale(reading.irradiance, sun.bsrn);
            reading.sunshine = reading.altitude >= kSunshineLowest &&
                               reading.irradiance > sunshineFactor(dayOfYear, row->coefficients) * sun.sunshine;
        }
        flagStuck(m_runs[r]);
    }
}

SunlightFigures DaySunlight::figures(sys_seconds from, sys_seconds to) const
{
    SunlightFigures f;
    f.daylight = to < from ? seconds{0} : overlap(from, to, m_sun.sunriseInstant, m_sun.sunsetInstant);
    std::int64_t millivoltSum = 0;
    std::size_t kept = 0;
    for (const std::vector<SunlitReading>& run : m_runs) {
        const auto first = std::lower_bound(run.begin(), run.end(), from,
                                            [](const SunlitReading& r, sys_seconds t) { return r.instant < t; });
        const SunlitReading* before = nullptr;
        for (auto it = first; it != run.end() && it->instant <= to; ++it) {
            const SunlitReading& r = *it;
            ++f.readings;
            f.flags.impossible += (r.flags & kImpossible) != 0;
            f.flags.rare += (r.flags & kRare) != 0;
            f.flags.saturated += (r.flags & kSaturated) != 0;
            f.flags.stuck += (r.flags & kStuck) != 0;
            if (r.excluded()) {
                ++f.excluded;
                continue;
            }
            const local_seconds local{r.instant.time_since_epoch() + r.utcOffset};
            ++kept;
            millivoltSum += r.millivolts;
            if (kept == 1 || r.millivolts > f.peakMillivolts) {
                f.peakMillivolts = r.millivolts;
                f.peakMillivoltsTime = local;
            }
            if (r.calibrated) {
                ++f.calibrated;
                if (!f.peak || r.irradiance > *f.peak) {
                    f.peak = r.irradiance;
                    f.peakTime = local;
                }
            }
            if (before && r.instant - before->instant <= r.bridge) {
                f.covered += overlap(before->instant, r.instant, m_sun.sunriseInstant, m_sun.sunsetInstant);
                if (before->calibrated && r.calibrated) {
                    const double hours = double((r.instant - before->instant).count()) / 3600.0;
                    f.irradiation += hours * (std::max(0.0, before->irradiance) + std::max(0.0, r.irradiance)) / 2;
                    f.clearSkyIrradiation += hours * (before->clearSky + r.clearSky) / 2;
                    f.sunshineSeconds += hours * 3600.0 * (int(before->sunshine) + int(r.sunshine)) / 2.0;
                }
            }
            before = &r;
        }
    }
    if (kept) f.meanMillivolts = double(millivoltSum) / double(kept);
    return f;
}

SunlightFigures DaySunlight::dayFigures() const
{
    return figures(sys_seconds{sys_days{year{1900} / 1 / 1}}, sys_seconds{sys_days{year{2200} / 1 / 1}});
}

}  // namespace record
