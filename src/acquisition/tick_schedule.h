#pragma once
// When the acquisition's readings fall: on a fixed grid of the monotonic clock.
#include <chrono>
#include <cstdint>

namespace acquisition {

/// Tick k of a run falls at start + k periods. A tick that runs late does not push the ones
/// after it, and periods missed altogether (the PC was busy or asleep) are skipped, never
/// caught up in a burst. A new period starts a new grid from the moment of the change.
class TickSchedule {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    /// Tick 1 falls one period after `now`.
    void start(TimePoint now, std::chrono::milliseconds period);
    /// The due tick has fired: the next one is the first of the grid still ahead of `now`, and
    /// never one already run.
    void advance(TimePoint now);
    /// The due tick was held back (not run): it stays due, or the first one ahead of `now` if
    /// its time has passed meanwhile.
    void resume(TimePoint now);

    TimePoint due() const;
    std::int64_t dueTick() const { return m_due; }
    std::chrono::milliseconds period() const { return m_period; }
    /// From `now` to the due tick, rounded up to the millisecond; zero when it is already due.
    std::chrono::milliseconds waitFrom(TimePoint now) const;

private:
    void skipTo(TimePoint now, std::int64_t earliest);

    TimePoint m_start{};
    std::chrono::milliseconds m_period{1000};
    std::int64_t m_due = 1;
};

}  // namespace acquisition
