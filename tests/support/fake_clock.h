#pragma once
// A clock the test moves by hand: wall clock and monotonic clock advance together.
#include <chrono>
#include <utility>

#include "astro/date_time.h"
#include "platform/clock.h"

class FakeClock final : public Clock {
public:
    /// From a local date-time (an astro::DateTime too: its whole seconds convert).
    explicit FakeClock(std::chrono::local_time<std::chrono::milliseconds> start) : m_local(start) {}

    std::chrono::local_time<std::chrono::milliseconds> localNow() const override { return m_local; }
    std::chrono::steady_clock::time_point steadyNow() const override { return m_steady; }
    std::chrono::minutes utcOffset() const override { return m_offset; }

    void advance(std::chrono::milliseconds d) { m_local += d, m_steady += d; }
    /// Sets the wall clock only (the user or NTP set the time); the monotonic clock goes on.
    void setLocal(std::chrono::local_time<std::chrono::milliseconds> t) { m_local = t; }
    /// Summer time begins or ends: the offset changes and the wall clock jumps with it.
    void setUtcOffset(std::chrono::minutes offset) { m_local += offset - std::exchange(m_offset, offset); }

private:
    std::chrono::local_time<std::chrono::milliseconds> m_local;
    std::chrono::steady_clock::time_point m_steady{std::chrono::hours{1000}};
    std::chrono::minutes m_offset{60};  // Paris in winter
};
