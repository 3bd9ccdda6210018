// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// What the day view's two cursors read: the reading nearest an instant, and the statistics of
// the shown runs' readings between two instants (count, extremes, mean, standard deviation in
// mV and, under a calibration, in W/m²; the energy and the sunshine as the day's figures
// compute them).
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "record/day_sunlight.h"
#include "record/run_trace.h"

namespace record {

/// One reading a cursor stands on: its run (from 0) and place in it, its quality flags, its
/// W/m² when a calibration is in force and it is neither « impossible » nor « saturé ».
struct CursorReading {
    std::size_t run = 0, index = 0;
    TracePoint point;
    std::uint8_t flags = 0;
    std::optional<double> irradiance;
};

/// The reading of a shown run (`shown[run]`; every run when empty) nearest `at`; the earlier
/// one of a tie; none when no shown run has a reading.
std::optional<CursorReading> nearestReading(std::span<const std::span<const TracePoint>> runs,
                                            const DaySunlight& sunlight, const std::vector<bool>& shown,
                                            std::chrono::sys_seconds at);
/// The reading `steps` further in the same run, stopping at its first or last.
CursorReading stepReading(std::span<const std::span<const TracePoint>> runs, const DaySunlight& sunlight,
                          const CursorReading& from, std::ptrdiff_t steps);

/// Count, extremes, mean and the sample standard deviation (n - 1; 0 for a single value).
struct ValueStatistics {
    std::size_t count = 0;
    double minimum = 0, maximum = 0, mean = 0, deviation = 0;
    double squares = 0;  ///< the sum of squared differences from the running mean (Welford)
    void add(double value);
};

struct RangeStatistics {
    ValueStatistics millivolts;  ///< every reading within, as the converter gave it
    /// The calibrated readings within, those flagged « impossible » or « saturé » left out (as
    /// the day's figures leave them out).
    ValueStatistics irradiance;
    double energy = 0;           ///< Wh/m², trapezoids between bridged calibrated readings
    double sunshineSeconds = 0;
    std::size_t excluded = 0;    ///< flagged « impossible » or « saturé »
};

/// The readings with from <= instant <= to of the shown runs (`shown[run]`; every run when
/// empty); `from` and `to` in either order.
RangeStatistics rangeStatistics(std::span<const std::span<const TracePoint>> runs, const DaySunlight& sunlight,
                                const std::vector<bool>& shown, std::chrono::sys_seconds from,
                                std::chrono::sys_seconds to);

}  // namespace record
