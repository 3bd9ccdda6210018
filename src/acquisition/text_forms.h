#pragma once
// The two fixed text forms of dates and times the instrument writes, whatever the regional
// settings: in the measurement file, its name, the clock label and the graph window.
#include <chrono>
#include <string>

namespace acquisition {

/// "12-05-2026": two-digit month, two-digit day, four-digit year, joined by hyphens.
std::string monthDayYear(std::chrono::year_month_day date);

/// "14:03:27": 24-hour clock, two digits each.
std::string clockTime(std::chrono::hh_mm_ss<std::chrono::seconds> time);

/// The time of day of a local clock reading, to the second (milliseconds dropped).
template <class Duration>
std::chrono::hh_mm_ss<std::chrono::seconds> timeOfDay(std::chrono::local_time<Duration> t)
{
    const auto s = std::chrono::floor<std::chrono::seconds>(t);
    return std::chrono::hh_mm_ss<std::chrono::seconds>{s - std::chrono::floor<std::chrono::days>(s)};
}

}  // namespace acquisition
