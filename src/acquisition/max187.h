#pragma once
// One 12-bit sample from the MAX187, clocked bit by bit through a ParallelPort.
#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/parallel_port.h"

namespace acquisition {

/// Raw counts 0..4095 (= millivolts), read MSB first in exactly 32 writes of 0/1/2 to the data
/// register and 12 reads of status bit 5. Holds chip select high for the converter's acquisition
/// (2 us) before it falls, also after a read that a port fault left with chip select low,
/// waits out the conversion (10 us) after chip select falls and keeps every clock phase above
/// 100 ns. Port failures propagate as
/// std::system_error; no stand-in value is ever returned.
std::uint16_t readConversion(ParallelPort& port);

/// The converter's data-sheet timing as the read keeps it: chip select high at least 500 ns and
/// 1.5 us of acquisition before it falls; the conversion takes up to 8.5 us after chip select
/// falls; SCLK must stay high and low at least 100 ns each.
inline constexpr std::chrono::nanoseconds kAcquisitionWait{2'000};
inline constexpr std::chrono::nanoseconds kConversionWait{10'000};
inline constexpr std::chrono::nanoseconds kClockPhase{100};

/// Keeps the port lines as they are for at least the given time.
using Pause = std::function<void(std::chrono::nanoseconds)>;

/// Spins on std::chrono::steady_clock: the waits are far shorter than a scheduler time slice.
void busyWait(std::chrono::nanoseconds duration);

/// The same read with the waits handed to `pause`: kAcquisitionWait after the first write
/// (chip select high), kConversionWait after chip select falls, kClockPhase after every other
/// write but the last.
/// readConversion(port) is readConversion(port, busyWait).
std::uint16_t readConversion(ParallelPort& port, const Pause& pause);

}  // namespace acquisition
