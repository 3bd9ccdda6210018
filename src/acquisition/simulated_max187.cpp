#include "acquisition/simulated_max187.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>


namespace acquisition {

namespace {

constexpr std::uint8_t kChipSelect = 0x01;
constexpr std::uint8_t kClock = 0x02;
constexpr std::uint8_t kDataOut = 0x20;
constexpr std::uint16_t kFullScale = 4095;

}  // namespace

SimulatedMax187::SimulatedMax187(TimeSource now)
    : m_now(std::move(now)), m_source([] { return std::uint16_t{0}; })
{
}

void SimulatedMax187::setCounts(std::uint16_t counts)
{
    setSource([counts] { return counts; });
}

void SimulatedMax187::setSource(CodeSource source)
{
    m_source = std::move(source);
}

void SimulatedMax187::failNextOperation(int errnoValue)
{
    m_failNext = errnoValue;
}

void SimulatedMax187::failFromNow(int errnoValue)
{
    m_failAlways = errnoValue;
}

void SimulatedMax187::setOtherStatusBits(std::uint8_t bits)
{
    m_otherStatusBits = bits & static_cast<std::uint8_t>(~kDataOut);
}

void SimulatedMax187::startTrace()
{
    m_trace.clear();
    m_tracing = true;
}

void SimulatedMax187::failIfAsked(const char* operation)
{
    int error = m_failAlways;
    if (error == 0) error = std::exchange(m_failNext, 0);
    if (error != 0)
        throw std::system_error(error, std::generic_category(),
                                std::string(operation) + " simulateur MAX187");
}

void SimulatedMax187::record(Operation::Kind kind, std::uint8_t value)
{
    if (m_tracing) m_trace.push_back({kind, value});
}

void SimulatedMax187::writeData(std::uint8_t value)
{
    failIfAsked("PPWDATA");
    const auto t = m_now();
    record(Operation::Kind::Write, value);
    finishConversion(t);

    const bool chipSelectHigh = (value & kChipSelect) != 0;
    const bool clockHigh = (value & kClock) != 0;
    if (chipSelectHigh) {
        if (!m_chipSelectHigh) m_chipSelectRose = t;
        m_phase = Phase::Idle;  // deselecting ends a conversion or a transfer
        m_clockHigh = clockHigh;
    } else if (m_chipSelectHigh) {
        // Chip select falls: the track-and-hold holds the input it acquired and the conversion
        // runs on the internal clock.
        if (!m_chipSelectRose || t - *m_chipSelectRose >= kAcquisitionTime) m_code = std::min(m_source(), kFullScale);
        m_phase = Phase::Converting;
        m_conversionEnd = t + kConversionTime;
        m_lastEdge = t;
        m_bitsShifted = 0;
        m_clockHigh = clockHigh;
    } else if (clockHigh != m_clockHigh) {
        clockEdge(clockHigh, t);
    }
    m_chipSelectHigh = chipSelectHigh;
}

void SimulatedMax187::clockEdge(bool high, std::chrono::steady_clock::time_point t)
{
    if (t - m_lastEdge < kMinClockPhase) return;  // too short a phase: the chip misses it
    m_lastEdge = t;
    m_clockHigh = high;
    // Only falling edges after the end of conversion shift; during it they are lost.
    if (!high && m_phase == Phase::Shifting) ++m_bitsShifted;
}

void SimulatedMax187::finishConversion(std::chrono::steady_clock::time_point t)
{
    if (m_phase == Phase::Converting && t >= m_conversionEnd) m_phase = Phase::Shifting;
}

bool SimulatedMax187::dataOut() const
{
    switch (m_phase) {
    case Phase::Idle: return true;         // high impedance: the input floats high
    case Phase::Converting: return false;  // end of conversion not yet signalled
    case Phase::Shifting: break;
    }
    if (m_bitsShifted == 0) return true;  // end of conversion
    if (m_bitsShifted > 12) return false;  // zeros after the LSB
    return (m_code >> (12 - m_bitsShifted)) & 1U;
}

std::uint8_t SimulatedMax187::readStatus()
{
    failIfAsked("PPRSTATUS");
    finishConversion(m_now());
    const std::uint8_t status = m_otherStatusBits | (dataOut() ? kDataOut : 0);
    record(Operation::Kind::Read, status);
    return status;
}

}  // namespace acquisition
