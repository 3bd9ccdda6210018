#pragma once
// Local civil date-time to the second, as the sun-time calculator and the windows use it.
#include <chrono>

namespace astro {

/// A local civil date with a time of day, to the second. Adding signed seconds carries across
/// midnight, month and year ends (std::chrono calendar arithmetic does the work).
using DateTime = std::chrono::local_seconds;

/// The zero date-time: 30 December 1899 at 00:00:00.
inline constexpr DateTime kZeroDateTime{
    std::chrono::local_days{std::chrono::year{1899} / std::chrono::December / 30}};

}  // namespace astro
