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

/// One reading on the time axis, in 16 bytes: a day of millions of lines is held whole.
/// The number keeps 39 bits (numbers up to 2.7e11: eight thousand years at 1 s).
struct TracePoint {
    TracePoint() = default;
    TracePoint(std::chrono::sys_seconds at, std::chrono::minutes offset, std::int64_t n, int mv)
        : instant(at), number(n), millivolts(mv), offsetMinutes(offset.count())
    {
    }
    std::chrono::sys_seconds instant{};
    std::int64_t number : 39 = 0;
    std::int64_t millivolts : 13 = 0;     ///< 0 to 4095
    std::int64_t offsetMinutes : 12 = 0;  ///< local = instant + utcOffset()
    std::chrono::minutes utcOffset() const { return std::chrono::minutes(offsetMinutes); }
};
static_assert(sizeof(TracePoint) == 16);

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
    /// Room for `readings` points, taken before a whole file is fed (no copy while it grows).
    void reserve(std::size_t readings) { m_points.reserve(readings); }
    /// Bytes known to hold no reading (a hole of a sparse file), passed over.
    void skip(std::uintmax_t count) { m_reader.skip(count); }
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

/// How a run ended, as its label says it.
enum class RunEnd {
    Stopped,      ///< « arrêtée »: an end row "arret"
    Quit,         ///< « quittée »: an end row "quitter"
    Running,      ///< « en cours »: no end row, and its file grew within a few periods
    Interrupted,  ///< « interrompue »: no end row and no longer written (a crash, a power cut)
};

/// The end of a run from its companion's rows (in file order) and the last time its file was
/// written: without an end row, a run is running while its day is today (`today`: the file's
/// day or its last reading's is the present local day) and `now - lastWritten` stays within
/// three periods (of its last row; 60 s without a companion) and two seconds of slack; a run
/// kept aside (`keptAside`: renamed to ".N" by the next run) is never running.
RunEnd runEnd(std::span<const acquisition::RunEvent> events, bool keptAside, bool today,
              std::chrono::sys_seconds lastWritten, std::chrono::sys_seconds now);

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

/// The local date of a reading: its instant on its own offset.
inline std::chrono::local_days localDayOf(const TracePoint& point)
{
    return std::chrono::floor<std::chrono::days>(std::chrono::local_seconds{point.instant.time_since_epoch() + point.utcOffset()});
}

/// The points whose local date (instant + their offset) is `day`, by bisection.
std::span<const TracePoint> pointsOfDay(std::span<const TracePoint> points, std::chrono::local_days day);

/// The points with from <= instant <= to, by bisection.
std::span<const TracePoint> pointsWithin(std::span<const TracePoint> points,
                                         std::chrono::sys_seconds from,
                                         std::chrono::sys_seconds to);

}  // namespace record
