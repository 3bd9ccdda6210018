#include "acquisition/max187.h"

namespace acquisition {

namespace {

// Data register values: bit 0 is chip select (active low), bit 1 the serial clock.
constexpr std::uint8_t kIdle = ParallelPort::kIdleLines;  // deselected, clock low
constexpr std::uint8_t kClockLow = 0;   // selected, clock low
constexpr std::uint8_t kClockHigh = 2;  // selected, clock high
constexpr std::uint8_t kDataOut = 0x20; // status bit 5: the converter's DOUT, not inverted

// One clock pulse while selected: the converter shifts its next bit out on the falling edge.
void clockPulse(ParallelPort& port, const Pause& pause)
{
    port.writeData(kClockLow);
    pause(kClockPhase);
    port.writeData(kClockHigh);
    pause(kClockPhase);
}

}  // namespace

void busyWait(std::chrono::nanoseconds duration)
{
    const auto until = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < until) {
    }
}

std::uint16_t readConversion(ParallelPort& port)
{
    return readConversion(port, busyWait);
}

std::uint16_t readConversion(ParallelPort& port, const Pause& pause)
{
    std::uint16_t sum = 0;
    // Deselected long enough to acquire the input, even when a read cut short by a port fault
    // left chip select low.
    port.writeData(kIdle);
    pause(kAcquisitionWait);
    port.writeData(kClockLow);  // chip select falls: the conversion starts
    pause(kConversionWait);
    port.writeData(kClockHigh);
    pause(kClockPhase);
    // Each falling edge puts the next bit on DOUT, MSB first; it is sampled with the clock high.
    for (std::uint16_t weight = 2048; weight != 0; weight >>= 1) {
        clockPulse(port, pause);
        if (port.readStatus() & kDataOut) sum += weight;
    }
    port.writeData(kClockHigh);  // the clock is already high: no edge
    pause(kClockPhase);
    clockPulse(port, pause);
    port.writeData(kClockLow);
    pause(kClockPhase);
    port.writeData(kIdle);  // deselected, clock low, until the next read
    return sum;
}

}  // namespace acquisition
