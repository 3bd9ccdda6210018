#pragma once
// The day view's time axis on the local clock: ticks on whole local hours (or minutes, or
// days), wherever the zone's offset puts them, across summer-time changes too.
#include <chrono>
#include <cstddef>
#include <vector>

#include "record/time_placement.h"

namespace record {

struct TimeTicks {
    std::chrono::seconds step{0};               ///< between two local times shown
    std::vector<std::chrono::sys_seconds> at;   ///< universal instants, increasing
};

/// The ticks from `from` to `to` inclusive: the smallest step of 1, 2, 5, 10, 15, 30 s or
/// min, 1, 2, 3, 6, 12 h, 1, 2, 7, 14 days that gives at most `most` of them, and each
/// instant whose local clock (under `zone`) shows a whole multiple of it: 00:00, 06:00, 12:00,
/// 18:00 every 6 h, local midnights every day. An hour repeated at the end of summer time has
/// its ticks twice; an hour skipped at its start has none. An empty or reversed range has none.
TimeTicks localTicks(std::chrono::sys_seconds from, std::chrono::sys_seconds to, std::size_t most,
                     const UtcOffsetAt& zone);

}  // namespace record
