#pragma once
// A zone with the European summer-time rule, written out so tests need no zone database:
// one hour ahead of universal time, two from the last Sunday of March 01:00 UTC to the last
// Sunday of October 01:00 UTC.
#include <chrono>

inline std::chrono::minutes parisOffset(std::chrono::sys_seconds at)
{
    using namespace std::chrono;
    const year y = year_month_day{floor<days>(at)}.year();
    const sys_seconds summerBegins{sys_days{y / March / Sunday[last]} + 1h};
    const sys_seconds summerEnds{sys_days{y / October / Sunday[last]} + 1h};
    return at >= summerBegins && at < summerEnds ? minutes{120} : minutes{60};
}
