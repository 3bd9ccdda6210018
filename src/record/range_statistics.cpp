// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "record/range_statistics.h"

#include <algorithm>
#include <cmath>

namespace record {

namespace {

using namespace std::chrono;

bool isShown(const std::vector<bool>& shown, std::size_t run) { return run >= shown.size() || shown[run]; }

CursorReading readingAt(std::span<const std::span<const TracePoint>> runs, const DaySunlight& sunlight,
                        std::size_t run, std::size_t index)
{
    CursorReading out{run, index, runs[run][index], std::uint8_t(sunlight.flags(run)[index] & kQualityFlags), std::nullopt};
    const double g = sunlight.irradiance(run, index);
    if (!std::isnan(g) && !(out.flags & (kImpossible | kSaturated))) out.irradiance = g;
    return out;
}

}  // namespace

std::optional<CursorReading> nearestReading(std::span<const std::span<const TracePoint>> runs,
                                            const DaySunlight& sunlight, const std::vector<bool>& shown,
                                            sys_seconds at)
{
    std::optional<std::pair<std::size_t, std::size_t>> best;
    seconds bestDistance{};
    for (std::size_t run = 0; run < runs.size(); ++run) {
        if (!isShown(shown, run)) continue;
        const auto points = runs[run];
        const auto after = std::lower_bound(points.begin(), points.end(), at,
                                            [](const TracePoint& p, sys_seconds t) { return p.instant < t; });
        for (auto candidate : {after == points.begin() ? after : after - 1, after}) {
            if (candidate == points.end()) continue;
            const seconds distance = abs(candidate->instant - at);
            if (!best || distance < bestDistance) {
                best = {run, std::size_t(candidate - points.begin())};
                bestDistance = distance;
            }
        }
    }
    if (!best) return std::nullopt;
    return readingAt(runs, sunlight, best->first, best->second);
}

CursorReading stepReading(std::span<const std::span<const TracePoint>> runs, const DaySunlight& sunlight,
                          const CursorReading& from, std::ptrdiff_t steps)
{
    const auto last = std::ptrdiff_t(runs[from.run].size()) - 1;
    return readingAt(runs, sunlight, from.run, std::size_t(std::clamp(std::ptrdiff_t(from.index) + steps, std::ptrdiff_t{0}, last)));
}

void ValueStatistics::add(double value)
{
    minimum = count == 0 ? value : std::min(minimum, value);
    maximum = count == 0 ? value : std::max(maximum, value);
    ++count;
    const double before = mean;
    mean += (value - before) / double(count);
    squares += (value - before) * (value - mean);
    deviation = count > 1 ? std::sqrt(squares / double(count - 1)) : 0;
}

RangeStatistics rangeStatistics(std::span<const std::span<const TracePoint>> runs, const DaySunlight& sunlight,
                                const std::vector<bool>& shown, sys_seconds from, sys_seconds to)
{
    if (to < from) std::swap(from, to);
    RangeStatistics out;
    for (std::size_t run = 0; run < runs.size(); ++run) {
        if (!isShown(shown, run)) continue;
        const auto within = pointsWithin(runs[run], from, to);
        const auto first = std::size_t(within.data() - runs[run].data());
        const auto flags = sunlight.flags(run);
        for (std::size_t i = first; i < first + within.size(); ++i) {
            out.millivolts.add(double(runs[run][i].millivolts));
            if (flags[i] & (kImpossible | kSaturated)) {
                ++out.excluded;
                continue;
            }
            if (const double g = sunlight.irradiance(run, i); !std::isnan(g)) out.irradiance.add(g);
        }
    }
    const SunlightFigures figures = sunlight.figures(from, to, shown);
    out.energy = figures.irradiation;
    out.sunshineSeconds = figures.sunshineSeconds;
    return out;
}

}  // namespace record
