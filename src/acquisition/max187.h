#pragma once
// One 12-bit sample from the MAX187, clocked bit by bit through a ParallelPort.
#include <cstdint>

#include "platform/parallel_port.h"

namespace acquisition {

/// Raw counts 0..4095 (= millivolts), read MSB first in exactly 32 writes of 0/1/2 to the data
/// register and 12 reads of status bit 5. Waits out the conversion (10 us) after chip select
/// falls and keeps every clock phase above 100 ns. Port failures propagate as
/// std::system_error; no stand-in value is ever returned.
std::uint16_t readConversion(ParallelPort& port);

}  // namespace acquisition
