#include "record/time_placement.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <utility>

namespace record {

namespace {

using namespace std::chrono;

/// The first instant at or after `previous` whose local clock, `offset` ahead of universal time,
/// shows `timeOfDay`.
sys_seconds nextShowing(sys_seconds previous, minutes offset, seconds timeOfDay)
{
    const local_seconds shown{previous.time_since_epoch() + offset};
    const seconds shownTime = shown - floor<days>(shown);
    seconds ahead = (timeOfDay - shownTime) % days{1};
    if (ahead < seconds{0}) ahead += days{1};
    return previous + ahead;
}

/// The instrument's longest period: readings never lie further apart while they are counted.
constexpr seconds kLongestPeriod{60};
/// The largest step back of the clock taken for a correction rather than a day gone by.
constexpr minutes kClockSetBack{5};

}  // namespace

TimePlacer::TimePlacer(local_days fileDate, UtcOffsetAt zone, std::vector<acquisition::RunEvent> companion,
                       std::optional<sys_seconds> notBefore)
    : m_fileDate(fileDate), m_zone(std::move(zone)), m_notBefore(notBefore)
{
    setCompanion(std::move(companion));
}

void TimePlacer::setCompanion(std::vector<acquisition::RunEvent> companion)
{
    m_companion = std::move(companion);
    m_rowsInOrder = std::is_sorted(m_companion.begin(), m_companion.end(),
                                   [](const acquisition::RunEvent& a, const acquisition::RunEvent& b) {
                                       return a.nextNumber < b.nextNumber;
                                   });
    m_span = {};
}

const TimePlacer::CompanionSpan& TimePlacer::companionSpan(std::int64_t number)
{
    if (number >= m_span.from && number < m_span.to) return m_span;
    m_span = {number, number + 1, companionOffset(number)};
    if (m_rowsInOrder) {
        // The last row at or before `number` covers it up to the next row's number.
        const auto next = std::upper_bound(m_companion.begin(), m_companion.end(), number,
                                           [](std::int64_t n, const acquisition::RunEvent& row) { return n < row.nextNumber; });
        m_span.from = next == m_companion.begin() ? INT64_MIN : std::prev(next)->nextNumber;
        m_span.to = next == m_companion.end() ? INT64_MAX : next->nextNumber;
    }
    return m_span;
}

std::optional<PlacedTime> TimePlacer::placeWithinLastDay(const Reading& reading)
{
    // Later on the same local day as the last reading, less than a day minus a clock set back
    // ahead of it (so never a set-back clock), on the offset the last one was placed on.
    if (reading.timeOfDay < m_day.shown || reading.timeOfDay - m_day.shown >= days{1} - kClockSetBack)
        return std::nullopt;
    const CompanionSpan& span = companionSpan(reading.number);
    if (span.offset) {
        if (*span.offset != m_day.offset) return std::nullopt;
    } else {
        // The zone is asked once a day: the same offset at its first and last second.
        if (m_day.zoneCheckedFor != m_day.start || m_day.start == sys_seconds{}) {
            m_day.zoneCheckedFor = m_day.start;
            m_day.zoneSteady = zoneOffset(m_day.start) == m_day.offset &&
                               zoneOffset(m_day.start + days{1} - seconds{1}) == m_day.offset;
        }
        if (!m_day.zoneSteady) return std::nullopt;
    }
    return PlacedTime{m_day.start + reading.timeOfDay, m_day.offset};
}

PlacedTime TimePlacer::place(const Reading& reading)
{
    std::optional<PlacedTime> quick = m_last ? placeWithinLastDay(reading) : std::nullopt;
    const PlacedTime placed =
        quick    ? *quick
        : m_last ? setBackClock(m_last->instant, m_lastNumber, reading,
                                placeAfter(m_last->instant, reading, m_last->utcOffset))
                 : placeFirst(reading);
    if (!quick) {
        const local_seconds local{placed.instant.time_since_epoch() + placed.utcOffset};
        const sys_seconds start{floor<days>(local).time_since_epoch() - placed.utcOffset};
        if (start != m_day.start || placed.utcOffset != m_day.offset) m_day.zoneCheckedFor = sys_seconds{};
        m_day.start = start;
        m_day.offset = placed.utcOffset;
    }
    m_day.shown = placed.instant - m_day.start;
    m_last = placed;
    m_lastNumber = reading.number;
    return placed;
}

std::optional<minutes> TimePlacer::companionOffset(std::int64_t number) const
{
    for (auto row = m_companion.rbegin(); row != m_companion.rend(); ++row)
        if (row->nextNumber <= number) return row->utcOffset;
    return std::nullopt;
}

minutes TimePlacer::zoneOffset(sys_seconds at) const
{
    return m_zone ? m_zone(at) : minutes{0};
}

PlacedTime TimePlacer::placeFirst(const Reading& reading) const
{
    // Not before the file's day began, nor before the run's start row (a run begun after
    // midnight still writes to the start-up day's file), nor before the run ahead of it.
    sys_seconds anchor = startOfFileDay(reading.number);
    if (m_notBefore) anchor = std::max(anchor, *m_notBefore);
    const auto start = std::find_if(m_companion.begin(), m_companion.end(), [](const acquisition::RunEvent& row) {
        return row.kind == acquisition::RunEvent::Kind::Start;
    });
    if (start != m_companion.end() && start->instant() >= anchor)
        return setBackClock(start->instant(), start->nextNumber - 1, reading,
                            placeAfter(start->instant(), reading));
    return placeAfter(anchor, reading);
}

sys_seconds TimePlacer::startOfFileDay(std::int64_t number) const
{
    const seconds midnight = m_fileDate.time_since_epoch();
    if (const auto offset = companionOffset(number)) return sys_seconds{midnight - *offset};
    // The zone is asked in universal time: guess with the offset at midnight taken as
    // universal, then once more with the offset found there.
    const minutes guess = zoneOffset(sys_seconds{midnight});
    const sys_seconds instant{midnight - guess};
    const minutes there = zoneOffset(instant);
    return there == guess ? instant : sys_seconds{midnight - there};
}

PlacedTime TimePlacer::placeAfter(sys_seconds previous, const Reading& reading,
                                  std::optional<minutes> knownBefore) const
{
    if (const auto offset = companionOffset(reading.number))
        return {nextShowing(previous, *offset, reading.timeOfDay), *offset};

    // On the offset in force before; if the zone says the offset changed by then, the clock
    // jumped in between (summer time began or ended): place it again on the new offset.
    const minutes before = knownBefore ? *knownBefore : zoneOffset(previous);
    const sys_seconds instant = nextShowing(previous, before, reading.timeOfDay);
    const minutes after = zoneOffset(instant);
    if (after != before) {
        const sys_seconds moved = nextShowing(previous, after, reading.timeOfDay);
        if (zoneOffset(moved) == after) return {moved, after};
    }
    return {instant, before};
}

PlacedTime TimePlacer::setBackClock(sys_seconds previous, std::int64_t previousNumber,
                                    const Reading& reading, PlacedTime placed) const
{
    // A time a little behind the one before, with too few readings between them to fill the
    // day it would take to show it again: the clock was set back (a time-server correction).
    const seconds ahead = placed.instant - previous;
    const std::int64_t taken = reading.number - previousNumber;
    constexpr std::int64_t kReadingsInADay = days{1} / kLongestPeriod;
    if (ahead >= days{1} - kClockSetBack && taken >= 1 && taken < kReadingsInADay &&
        ahead > taken * kLongestPeriod + kLongestPeriod)
        placed.instant = previous;
    return placed;
}

UtcOffsetAt zoneFromChanges(minutes initial, std::vector<std::pair<sys_seconds, minutes>> changes)
{
    std::sort(changes.begin(), changes.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return [initial, changes = std::move(changes)](sys_seconds at) {
        const auto after = std::upper_bound(
            changes.begin(), changes.end(), at,
            [](sys_seconds t, const std::pair<sys_seconds, minutes>& c) { return t < c.first; });
        return after == changes.begin() ? initial : std::prev(after)->second;
    };
}

bool summerTimeInForce(const UtcOffsetAt& zone, sys_seconds at)
{
    if (!zone) return false;
    const year y = year_month_day{floor<days>(at)}.year();
    const minutes standard = std::min(zone(sys_days{y / January / 1}), zone(sys_days{y / July / 1}));
    return zone(at) > standard;
}

}  // namespace record
