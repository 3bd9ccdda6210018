#pragma once
// Each measurement line at its date and universal time. A line carries only HH:MM:SS on the
// local clock; its date comes from the file's name (or the run's start in its companion), and a
// time that goes back is placed after the line before it: on the next day across midnight, in
// the repeated hour across the end of summer time.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "record/measurement_reader.h"
#include "acquisition/run_companion.h"

namespace record {

/// Local clock minus universal time in force at a universal instant (the system's zone in the
/// day view). An empty function means universal time throughout.
using UtcOffsetAt = std::function<std::chrono::minutes(std::chrono::sys_seconds)>;

/// A zone given by its offset changes, as a zone database lists them (QTimeZone::transitions,
/// for instance): `initial` before the first change, then each change's offset from its
/// instant on. Looking an instant up costs a bisection, whatever the zone behind it costs.
UtcOffsetAt zoneFromChanges(std::chrono::minutes initial,
                            std::vector<std::pair<std::chrono::sys_seconds, std::chrono::minutes>> changes);

/// Where one reading lands.
struct PlacedTime {
    std::chrono::sys_seconds instant{};  ///< universal time
    std::chrono::minutes utcOffset{0};   ///< the offset in force then: local = instant + offset
};

/// Places the readings of one run, in file order. Instants never decrease: each reading is put
/// at the first instant at or after the reading before it whose local clock shows its
/// HH:MM:SS (so consecutive lines are taken to be less than a day apart). One exception: a
/// time at most five minutes behind the reading before, when the numbers say too few periods
/// (at most 60 s each) went by to fill the day that would take, means the clock was set back
/// (a time-server correction): the reading stays at the instant of the one before.
///
/// The offset for reading number n is the one of the last companion row whose nextNumber is at
/// most n (rows are in file order); where no row covers n, `zone` is asked. The first reading
/// is placed at the first instant showing its time at or after the latest of: 00:00:00 of
/// `fileDate`, the companion's start row, `notBefore` (so a run begun after midnight, still
/// written to the start-up day's file, lands on its day, and a day's later run, given the
/// earlier one's last instant, lands after it).
class TimePlacer {
public:
    TimePlacer(std::chrono::local_days fileDate, UtcOffsetAt zone,
               std::vector<acquisition::RunEvent> companion = {},
               std::optional<std::chrono::sys_seconds> notBefore = std::nullopt);

    PlacedTime place(const Reading& reading);

    /// The companion grew (the run is being followed): later readings use the new rows.
    void setCompanion(std::vector<acquisition::RunEvent> companion);

    /// The instant of the last reading placed, if any.
    std::optional<std::chrono::sys_seconds> last() const
    {
        return m_last ? std::optional(m_last->instant) : std::nullopt;
    }

private:
    std::optional<std::chrono::minutes> companionOffset(std::int64_t number) const;
    std::chrono::minutes zoneOffset(std::chrono::sys_seconds at) const;
    PlacedTime placeFirst(const Reading& reading) const;
    /// `placed` itself, or `previous` when the clock was evidently set back between the two.
    PlacedTime setBackClock(std::chrono::sys_seconds previous, std::int64_t previousNumber,
                            const Reading& reading, PlacedTime placed) const;
    /// 00:00:00 of the file's date on the local clock, in universal time.
    std::chrono::sys_seconds startOfFileDay(std::int64_t number) const;
    /// `before`: the offset in force at `previous`, when already known.
    PlacedTime placeAfter(std::chrono::sys_seconds previous, const Reading& reading,
                          std::optional<std::chrono::minutes> before = std::nullopt) const;

    /// The local day of the last reading placed, on its offset: a later reading of that day
    /// covered by the same offset is placed by one addition (nearly every line of a file).
    struct LastDay {
        std::chrono::sys_seconds start{};       ///< 00:00:00 of the day in universal time
        std::chrono::seconds shown{0};          ///< the local clock's time of the last reading
        std::chrono::minutes offset{0};
        bool zoneSteady = false;                ///< the zone keeps `offset` the whole day
        std::chrono::sys_seconds zoneCheckedFor{};  ///< the day start zoneSteady was found for
    };
    /// The reading `reading` placed from the last one's day, when that is the answer.
    std::optional<PlacedTime> placeWithinLastDay(const Reading& reading);
    /// Numbers [from, to) for which the companion gives `offset` (nothing: no row covers them).
    struct CompanionSpan {
        std::int64_t from = 1, to = 0;
        std::optional<std::chrono::minutes> offset;
    };
    const CompanionSpan& companionSpan(std::int64_t number);

    std::chrono::local_days m_fileDate;
    UtcOffsetAt m_zone;
    std::vector<acquisition::RunEvent> m_companion;
    std::optional<std::chrono::sys_seconds> m_notBefore;
    std::optional<PlacedTime> m_last;
    std::int64_t m_lastNumber = 0;
    LastDay m_day;
    CompanionSpan m_span;
    bool m_rowsInOrder = true;  ///< the rows' nextNumber never decreases (as written)
};

/// True when summer time is in force at `at` for `zone`: its offset then is greater than the
/// smaller of its offsets on 1 January and 1 July of that year (the zone's standard time). This
/// is the main window's « Heure d'été », which adds the hour to the sun times.
bool summerTimeInForce(const UtcOffsetAt& zone, std::chrono::sys_seconds at);

}  // namespace record
