#pragma once
// One run of a day as the day view draws it: the readings of its measurement file placed in
// universal time, fed incrementally while the file grows; and the figures of a time range.
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "record/measurement_reader.h"
#include "record/time_placement.h"

namespace record {

/// One reading on the time axis.
struct TracePoint {
    std::chrono::sys_seconds instant{};
    std::chrono::minutes utcOffset{0};  ///< local = instant + utcOffset
    std::int64_t number = 0;
    int millivolts = 0;
};

/// A run's trace: feed() the measurement file's bytes from the start and then as they are
/// appended; points() holds every whole reading placed, in file order (instants
/// non-decreasing).
class RunTrace {
public:
    RunTrace(std::chrono::local_days fileDate, UtcOffsetAt zone,
             std::vector<acquisition::RunEvent> companion = {},
             std::optional<std::chrono::sys_seconds> notBefore = std::nullopt);

    /// Returns how many points the bytes completed.
    std::size_t feed(std::string_view bytes);
    /// The companion was read again (it grew): later readings use its new rows.
    void setCompanion(std::vector<acquisition::RunEvent> companion);

    const std::vector<TracePoint>& points() const { return m_points; }
    std::size_t malformedLines() const { return m_reader.malformedLines(); }
    std::uintmax_t bytesFed() const { return m_reader.bytesFed(); }

private:
    MeasurementReader m_reader;
    TimePlacer m_placer;
    std::vector<Reading> m_batch;
    std::vector<TracePoint> m_points;
};

/// Count, minimum, maximum and mean of the millivolts in a range. With count 0 the other
/// fields mean nothing (the view shows no figures).
struct RangeFigures {
    std::size_t count = 0;
    int minimum = 0;
    int maximum = 0;
    std::int64_t sum = 0;
    double mean() const { return count ? double(sum) / double(count) : 0.0; }

    /// Adds another range's figures (another visible run).
    RangeFigures& operator+=(const RangeFigures& other);
};

/// Figures of the points with from <= instant <= to; `points` in non-decreasing instant order
/// (a RunTrace's points), found by bisection.
RangeFigures figuresOf(std::span<const TracePoint> points, std::chrono::sys_seconds from,
                       std::chrono::sys_seconds to);

/// The points with from <= instant <= to, by bisection.
std::span<const TracePoint> pointsWithin(std::span<const TracePoint> points,
                                         std::chrono::sys_seconds from,
                                         std::chrono::sys_seconds to);

}  // namespace record
