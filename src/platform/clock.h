#pragma once
// The PC's clock, injected so that tests drive time themselves.
#include <chrono>

class Clock {
public:
    virtual ~Clock() = default;
    /// The local civil time (wall clock), to the millisecond.
    virtual std::chrono::local_time<std::chrono::milliseconds> localNow() const = 0;
    /// Monotonic time for schedules; it does not jump when the wall clock is set.
    virtual std::chrono::steady_clock::time_point steadyNow() const = 0;
    /// Local civil time minus universal time, now (it changes with summer time).
    virtual std::chrono::minutes utcOffset() const = 0;
    /// Universal time now, to the second: the local time less its offset.
    std::chrono::sys_seconds utcNow() const
    {
        return std::chrono::sys_seconds{std::chrono::floor<std::chrono::seconds>(localNow()).time_since_epoch() - utcOffset()};
    }
};

/// The system clocks.
class SystemClock final : public Clock {
public:
    std::chrono::local_time<std::chrono::milliseconds> localNow() const override;
    std::chrono::steady_clock::time_point steadyNow() const override;
    std::chrono::minutes utcOffset() const override;
};
