#include "record/day_sunlight.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace record {

namespace {

using namespace std::chrono;

constexpr double kNightAltitude = -6;   ///< « nuit »: the sun this far below the horizon

constexpr std::uint8_t kSunshine = 16;  ///< beside the QualityFlag bits of a reading's state

/// The companion row in force for reading number `number`: the last one numbered at or below it.
const acquisition::RunEvent* companionRow(std::span<const acquisition::RunEvent> rows, std::int64_t number)
{
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        if (row->nextNumber <= number) return &*row;
    return nullptr;
}

/// The site a companion row names; an empty name (a row made from the run's lines) is unknown:
/// the site given.
ObservingSite siteOf(const acquisition::RunEvent& row, const ObservingSite& given)
{
    if (row.site.empty()) return given;
    if (auto named = siteNamed(row.site)) return *named;
    ObservingSite site;
    site.index = -1;
    site.name = row.site;
    site.latitude = row.latitude;
    site.longitudeEast = row.longitudeEast;
    return site;
}

/// The run's median spacing, at least a second. Steps under an hour are counted by value, so
/// that a day of millions of readings needs no copy of its steps.
seconds medianSpacing(std::span<const TracePoint> points)
{
    if (points.size() < 2) return 1s;
    std::vector<std::size_t> counts(3600, 0);
    std::vector<seconds> others;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const seconds step = points[i].instant - points[i - 1].instant;
        if (step >= 0s && step < 3600s) ++counts[std::size_t(step.count())];
        else others.push_back(step);
    }
    std::sort(others.begin(), others.end());
    const auto negative = std::size_t(std::lower_bound(others.begin(), others.end(), 0s) - others.begin());
    std::size_t rank = (points.size() - 1) / 2;  // the upper middle of the steps
    if (rank < negative) return 1s;
    rank -= negative;
    for (std::size_t v = 0; v < counts.size(); ++v) {
        if (rank < counts[v]) return std::max(seconds(v), seconds{1});
        rank -= counts[v];
    }
    return others[negative + rank];  // an hour or more
}

/// The median of the millivolts counted in `histogram` (index: mV + 4096), 0 when empty.
double median(const std::vector<std::size_t>& histogram)
{
    std::size_t count = 0;
    for (const std::size_t n : histogram) count += n;
    if (count == 0) return 0;
    // The values of rank count / 2 and, for an even count, the one below it.
    const auto ranked = [&](std::size_t rank) {
        std::size_t seen = 0;
        for (std::size_t v = 0; v < histogram.size(); ++v)
            if ((seen += histogram[v]) > rank) return double(v) - 4096;
        return 0.0;
    };
    const double upper = ranked(count / 2);
    return count % 2 != 0 ? upper : (upper + ranked(count / 2 - 1)) / 2;
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

std::pair<std::size_t, double> DaySunlight::SunCurve::place(sys_seconds t) const
{
    const sys_seconds minute = floor<std::chrono::minutes>(t);
    const auto k = std::size_t(std::clamp<std::int64_t>((minute - first) / 1min, 0, std::int64_t(minutes.size()) - 2));
    return {k, double((t - (first + k * 1min)).count()) / 60.0};
}

DaySunlight::SunTerms DaySunlight::SunCurve::at(sys_seconds t) const
{
    const auto [k, w] = place(t);
    const auto mix = [&, k = k, w = w](double SunTerms::*term) { return interpolate(k, w, term); };
    return {mix(&SunTerms::altitude), mix(&SunTerms::clearSky), mix(&SunTerms::bsrn), mix(&SunTerms::sunshine)};
}

double DaySunlight::SunCurve::at(double SunTerms::*term, sys_seconds t) const
{
    const auto [k, w] = place(t);
    return interpolate(k, w, term);
}

double DaySunlight::SunCurve::interpolate(std::size_t k, double w, double SunTerms::*term) const
{
    const double before = minutes[k].*term;
    return w == 0 ? before : before + (minutes[k + 1].*term - before) * w;
}

const DaySunlight::Stretch& DaySunlight::Run::stretchOf(std::size_t index) const
{
    const auto after = std::upper_bound(stretches.begin(), stretches.end(), index,
                                        [](std::size_t i, const Stretch& s) { return i < s.first; });
    return *std::prev(after);
}

DaySunlight::DaySunlight(local_days day, std::span<const RunReadings> runs,
                         std::span<const CalibrationRow> calibration, const ObservingSite& site)
    : m_site(site)
{
    std::string key = m_site.name;
    for (const RunReadings& run : runs)
        if (!run.companion.empty()) {
            key = run.companion.front().site;
            m_site = siteOf(run.companion.front(), site);
            break;
        }
    m_sun = sunMarkers(m_site, day, false);  // the instants do not depend on the summer hour
    const year_month_day date{day};
    const int dayOfYear = (local_days{day} - local_days{date.year() / January / 1}).count() + 1;

    // Each run cut where its companion changes site or period; each site's time span.
    m_curves.push_back({key, m_site, 0min, sys_seconds::max(), sys_seconds::min(), {}});
    m_runs.resize(runs.size());
    for (std::size_t r = 0; r < runs.size(); ++r) {
        Run& run = m_runs[r];
        run.points = runs[r].points;
        run.state.assign(run.points.size(), 0);
        const seconds median = medianSpacing(run.points);
        const acquisition::RunEvent* previous = nullptr;
        for (std::size_t i = 0; i < run.points.size(); ++i) {
            const TracePoint& p = run.points[i];
            const acquisition::RunEvent* row = companionRow(runs[r].companion, p.number);
            if (i == 0 || row != previous) {
                previous = row;
                std::size_t curve = 0;
                if (row && row->site != key) {
                    const auto found = std::find_if(m_curves.begin(), m_curves.end(),
                                                    [&](const SunCurve& c) { return c.key == row->site; });
                    curve = std::size_t(found - m_curves.begin());
                    if (found == m_curves.end())
                        m_curves.push_back({row->site, siteOf(*row, site), 0min, sys_seconds::max(), sys_seconds::min(), {}});
                }
                run.stretches.push_back({i, curve, 3 * (row ? seconds{row->periodSeconds} : median)});
            }
            SunCurve& curve = m_curves[run.stretches.back().curve];
            if (curve.first == sys_seconds::max()) curve.utcOffset = p.utcOffset();
            curve.first = std::min(curve.first, p.instant);
            curve.last = std::max(curve.last, p.instant);
        }
    }
    for (SunCurve& curve : m_curves) {
        if (curve.first > curve.last) continue;
        curve.first = floor<minutes>(curve.first);
        for (sys_seconds t = curve.first; t <= curve.last + 1min; t += 1min) {
            const double h = sunAltitude(curve.site, t, curve.utcOffset);
            curve.minutes.push_back({h, haurwitzClearSky(h), bsrnScale(h, dayOfYear), sunshineScale(h)});
        }
    }

    // The night's median for « nuit » offsets, counted by value.
    std::vector<std::size_t> night(8192, 0);
    for (const Run& run : m_runs)
        for (std::size_t i = 0, s = 0; i < run.points.size(); ++i) {
            if (s + 1 < run.stretches.size() && run.stretches[s + 1].first == i) ++s;
            const TracePoint& p = run.points[i];
            if (m_curves[run.stretches[s].curve].at(&SunTerms::altitude, p.instant) < kNightAltitude)
                ++night[std::size_t(p.millivolts + 4096)];
        }
    const double nightMillivolts = median(night);

    // Each reading's calibration, flags and sunshine; the stretches cut again where the
    // calibration in force changes.
    for (Run& run : m_runs) {
        std::vector<Stretch> stretches;
        const CalibrationRow* previous = nullptr;
        double factor = 0;  // the Carpentras F of the row in force
        StuckStretch stuck;
        const auto markStuck = [&](std::size_t from, std::size_t end) {
            for (std::size_t k = from; k < end; ++k) run.state[k] |= kStuck;
        };
        for (std::size_t i = 0, s = 0; i < run.points.size(); ++i) {
            const bool newStretch = s + 1 < run.stretches.size() && run.stretches[s + 1].first == i;
            if (newStretch) ++s;
            const TracePoint& p = run.points[i];
            const CalibrationRow* row = rowInForce(calibration, p.instant);
            if (i == 0 || newStretch || row != previous) {
                previous = row;
                Stretch cut = run.stretches[s];
                cut.first = i;
                cut.calibrated = row != nullptr;
                if (row) {
                    cut.offset = row->offset.value_or(nightMillivolts);
                    cut.sensitivity = row->sensitivity;
                    factor = sunshineFactor(dayOfYear, row->coefficients);
                }
                stretches.push_back(cut);
            }
            const SunTerms sun = m_curves[stretches.back().curve].at(p.instant);
            std::uint8_t& state = run.state[i];
            if (p.millivolts >= kFullScale) state |= kSaturated;
            if (row) {
                const double g = stretches.back().irradiance(int(p.millivolts));
                state |= irradianceFlagOnScale(g, sun.bsrn);
                if (isSunshine(g, sun.altitude, factor, sun.sunshine)) state |= kSunshine;
            }
            const bool wasStuck = stuck.stuck();
            const std::size_t from = i - stuck.count();
            if (!stuck.add(p.instant, int(p.millivolts), sun.altitude) && wasStuck) markStuck(from, i);
        }
        if (stuck.stuck()) markStuck(run.points.size() - stuck.count(), run.points.size());
        run.stretches = std::move(stretches);
        if (!run.points.empty()) {
            m_first = std::min(m_first, run.points.front().instant);
            m_last = std::max(m_last, run.points.back().instant);
        }
    }
    m_day = compute(sys_seconds::min(), sys_seconds::max(), {});
}

SunlitReading DaySunlight::reading(std::size_t run, std::size_t index) const
{
    const Run& r = m_runs.at(run);
    const Stretch& stretch = r.stretchOf(index);
    const TracePoint& p = r.points[index];
    const SunTerms sun = m_curves[stretch.curve].at(p.instant);
    SunlitReading out;
    out.altitude = sun.altitude;
    out.clearSky = sun.clearSky;
    out.calibrated = stretch.calibrated;
    if (stretch.calibrated) out.irradiance = stretch.irradiance(int(p.millivolts));
    out.sunshine = (r.state[index] & kSunshine) != 0;
    out.flags = r.state[index] & kQualityFlags;
    return out;
}

double DaySunlight::irradiance(std::size_t run, std::size_t index) const
{
    const Run& r = m_runs.at(run);
    const Stretch& stretch = r.stretchOf(index);
    return stretch.calibrated ? stretch.irradiance(int(r.points[index].millivolts)) : std::nan("");
}

SunlightFigures DaySunlight::figures(sys_seconds from, sys_seconds to, const std::vector<bool>& shown) const
{
    const bool everyRun = std::find(shown.begin(), shown.end(), false) == shown.end();
    if (everyRun && from <= m_first && to >= m_last) {  // every reading: the day's, over this range's daylight
        SunlightFigures f = m_day;
        f.daylight = to < from ? seconds{0} : overlap(from, to, m_sun.sunriseInstant, m_sun.sunsetInstant);
        return f;
    }
    return compute(from, to, shown);
}

SunlightFigures DaySunlight::compute(sys_seconds from, sys_seconds to, const std::vector<bool>& shown) const
{
    SunlightFigures f;
    f.daylight = to < from ? seconds{0} : overlap(from, to, m_sun.sunriseInstant, m_sun.sunsetInstant);
    std::int64_t millivoltSum = 0;
    std::size_t kept = 0;
    for (std::size_t number = 0; number < m_runs.size(); ++number) {
        if (number < shown.size() && !shown[number]) continue;
        const Run& run = m_runs[number];
        const auto& points = run.points;
        std::size_t i = std::size_t(std::lower_bound(points.begin(), points.end(), from,
                                                     [](const TracePoint& p, sys_seconds t) { return p.instant < t; }) -
                                    points.begin());
        if (i == points.size()) continue;
        std::size_t s = std::size_t(&run.stretchOf(i) - run.stretches.data());
        struct Kept {
            sys_seconds instant;
            bool calibrated, sunshine;
            double irradiance, clearSky;
        };
        std::optional<Kept> before;
        for (; i < points.size() && points[i].instant <= to; ++i) {
            if (s + 1 < run.stretches.size() && run.stretches[s + 1].first == i) ++s;
            const Stretch& stretch = run.stretches[s];
            const TracePoint& p = points[i];
            const std::uint8_t state = run.state[i];
            ++f.readings;
            f.flags.impossible += (state & kImpossible) != 0;
            f.flags.rare += (state & kRare) != 0;
            f.flags.saturated += (state & kSaturated) != 0;
            f.flags.stuck += (state & kStuck) != 0;
            if (state & (kImpossible | kSaturated)) {
                ++f.excluded;
                continue;
            }
            const local_seconds local{p.instant.time_since_epoch() + p.utcOffset()};
            const int mv = int(p.millivolts);
            ++kept;
            millivoltSum += mv;
            if (kept == 1 || mv > f.peakMillivolts) {
                f.peakMillivolts = mv;
                f.peakMillivoltsTime = local;
            }
            Kept r{p.instant, stretch.calibrated, (state & kSunshine) != 0, 0, 0};
            if (r.calibrated) {
                r.irradiance = stretch.irradiance(mv);
                r.clearSky = m_curves[stretch.curve].at(&SunTerms::clearSky, p.instant);
                ++f.calibrated;
                if (!f.peak || r.irradiance > *f.peak) {
                    f.peak = r.irradiance;
                    f.peakTime = local;
                }
            }
            if (before && r.instant - before->instant <= stretch.bridge) {
                f.covered += overlap(before->instant, r.instant, m_sun.sunriseInstant, m_sun.sunsetInstant);
                if (before->calibrated && r.calibrated) {
                    const double hours = double((r.instant - before->instant).count()) / 3600.0;
                    f.irradiation += hours * (std::max(0.0, before->irradiance) + std::max(0.0, r.irradiance)) / 2;
                    f.clearSkyIrradiation += hours * (before->clearSky + r.clearSky) / 2;
                    f.sunshineSeconds += hours * 3600.0 * (int(before->sunshine) + int(r.sunshine)) / 2.0;
                }
            }
            before = r;
        }
    }
    if (kept) f.meanMillivolts = double(millivoltSum) / double(kept);
    return f;
}

SunlightFigures DaySunlight::dayFigures() const
{
    return m_day;
}

}  // namespace record
