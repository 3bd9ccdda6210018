#include "record/run_trace.h"

#include <algorithm>
#include <utility>

namespace record {

RunTrace::RunTrace(std::chrono::local_days fileDate, UtcOffsetAt zone,
                   std::vector<acquisition::RunEvent> companion, std::optional<std::chrono::sys_seconds> notBefore)
    : m_placer(fileDate, std::move(zone), std::move(companion), notBefore)
{
}

std::size_t RunTrace::feed(std::string_view bytes)
{
    m_batch.clear();
    const std::size_t added = m_reader.feed(bytes, m_batch);
    // Room for a whole file's readings at once, while a followed file's single lines still
    // grow the trace geometrically.
    if (m_points.capacity() < m_points.size() + added)
        m_points.reserve(std::max(m_points.size() + added, 2 * m_points.capacity()));
    for (const Reading& reading : m_batch) {
        const PlacedTime placed = m_placer.place(reading);
        m_points.emplace_back(placed.instant, placed.utcOffset, reading.number,
                              reading.millivolts);
    }
    return added;
}

void RunTrace::setCompanion(std::vector<acquisition::RunEvent> companion)
{
    m_placer.setCompanion(std::move(companion));
}

RunEnd runEnd(std::span<const acquisition::RunEvent> events, bool keptAside, bool today,
              std::chrono::sys_seconds lastWritten, std::chrono::sys_seconds now)
{
    using acquisition::RunEvent;
    if (!events.empty() && events.back().kind == RunEvent::Kind::Stop) return RunEnd::Stopped;
    if (!events.empty() && events.back().kind == RunEvent::Kind::Quit) return RunEnd::Quit;
    const std::chrono::seconds period{events.empty() ? 60 : std::max(1, events.back().periodSeconds)};
    if (keptAside || !today || now - lastWritten > 3 * period + std::chrono::seconds{2})
        return RunEnd::Interrupted;
    return RunEnd::Running;
}

RangeFigures& RangeFigures::operator+=(const RangeFigures& other)
{
    if (other.count == 0) return *this;
    if (count == 0) return *this = other;
    count += other.count;
    minimum = std::min(minimum, other.minimum);
    maximum = std::max(maximum, other.maximum);
    sum += other.sum;
    return *this;
}

std::span<const TracePoint> pointsWithin(std::span<const TracePoint> points,
                                         std::chrono::sys_seconds from, std::chrono::sys_seconds to)
{
    if (to < from) return {};
    const auto first = std::lower_bound(
        points.begin(), points.end(), from,
        [](const TracePoint& p, std::chrono::sys_seconds t) { return p.instant < t; });
    const auto last = std::upper_bound(
        first, points.end(), to,
        [](std::chrono::sys_seconds t, const TracePoint& p) { return t < p.instant; });
    return {first, last};
}

RangeFigures figuresOf(std::span<const TracePoint> points, std::chrono::sys_seconds from,
                       std::chrono::sys_seconds to)
{
    RangeFigures figures;
    for (const TracePoint& point : pointsWithin(points, from, to)) {
        if (figures.count == 0) {
            figures.minimum = figures.maximum = int(point.millivolts);
        } else {
            figures.minimum = std::min(figures.minimum, int(point.millivolts));
            figures.maximum = std::max(figures.maximum, int(point.millivolts));
        }
        ++figures.count;
        figures.sum += point.millivolts;
    }
    return figures;
}

std::span<const TracePoint> pointsOfDay(std::span<const TracePoint> points, std::chrono::local_days day)
{
    const auto from = std::partition_point(points.begin(), points.end(), [&](const TracePoint& p) { return localDayOf(p) < day; });
    const auto to = std::partition_point(from, points.end(), [&](const TracePoint& p) { return localDayOf(p) <= day; });
    return {from, to};
}

}  // namespace record
