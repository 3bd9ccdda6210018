#include "acquisition/tick_schedule.h"

#include <algorithm>

namespace acquisition {

using namespace std::chrono;

void TickSchedule::start(TimePoint now, milliseconds period)
{
    m_start = now;
    m_period = std::max(period, milliseconds{1});
    m_due = 1;
}

void TickSchedule::advance(TimePoint now)
{
    skipTo(now, m_due + 1);
}

void TickSchedule::resume(TimePoint now)
{
    skipTo(now, m_due);
}

void TickSchedule::skipTo(TimePoint now, std::int64_t earliest)
{
    const std::int64_t passed = (now - m_start) / m_period;  // whole periods already gone
    m_due = std::max(earliest, passed + 1);
}

TickSchedule::TimePoint TickSchedule::due() const
{
    return m_start + m_due * m_period;
}

milliseconds TickSchedule::waitFrom(TimePoint now) const
{
    return std::max(ceil<milliseconds>(due() - now), milliseconds{0});
}

}  // namespace acquisition
