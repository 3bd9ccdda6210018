#pragma once
// A MAX187 at the wire level behind a parallel port: the converter of `--simulate`, and the
// peer the tests clock the read against.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/parallel_port.h"

/// Chip select on data bit 0 (active low), SCLK on data bit 1, DOUT on status bit 5.
/// Chip select falling samples the input and starts a conversion of kConversionTime; the input
/// is acquired only while chip select is high, so a fall less than kAcquisitionTime after its
/// rise converts the sample held before. DOUT is low
/// while it converts and high at its end. Then each falling SCLK edge puts the next bit on DOUT,
/// MSB first, and zeros after the LSB. Edges during the conversion are lost and a clock phase
/// shorter than kMinClockPhase is not seen, so a read that does not wait gets a wrong code, as
/// it would from the chip. Deselected, DOUT floats and the status input reads high.
namespace acquisition {

class SimulatedMax187 final : public ParallelPort {
public:
    using TimeSource = std::function<std::chrono::steady_clock::time_point()>;
    using CodeSource = std::function<std::uint16_t()>;

    static constexpr std::chrono::nanoseconds kAcquisitionTime{1'500};
    static constexpr std::chrono::nanoseconds kConversionTime{8'500};
    static constexpr std::chrono::nanoseconds kMinClockPhase{100};

    /// One port operation as the wire saw it: the value written, or the status byte read.
    struct Operation {
        enum class Kind { Write, Read } kind;
        std::uint8_t value;
        bool operator==(const Operation&) const = default;
    };

    /// `now` is read once per port operation. The input reads 0 until setCounts or setSource
    /// gives it a source (the program's simulation: SimulatedSunlight).
    explicit SimulatedMax187(TimeSource now = std::chrono::steady_clock::now);

    void writeData(std::uint8_t value) override;
    std::uint8_t readStatus() override;

    /// Every following conversion gives `counts` (above 4095: 4095).
    void setCounts(std::uint16_t counts);
    /// Each conversion takes the code `source` gives at the falling chip select.
    void setSource(CodeSource source);
    /// The next port operation fails with `errnoValue`, the following ones work again.
    void failNextOperation(int errnoValue);
    /// Every port operation from now on fails with `errnoValue` (the device is gone).
    void failFromNow(int errnoValue);
    /// Levels of the status bits other than DOUT, which the converter does not drive.
    void setOtherStatusBits(std::uint8_t bits);

    bool chipSelectReleased() const { return m_chipSelectHigh; }
    /// Starts recording the port operations afresh.
    void startTrace();
    const std::vector<Operation>& trace() const { return m_trace; }

private:
    enum class Phase { Idle, Converting, Shifting };

    void failIfAsked(const char* operation);
    void record(Operation::Kind kind, std::uint8_t value);
    void clockEdge(bool high, std::chrono::steady_clock::time_point t);
    void finishConversion(std::chrono::steady_clock::time_point t);
    bool dataOut() const;

    TimeSource m_now;
    CodeSource m_source;
    Phase m_phase = Phase::Idle;
    bool m_chipSelectHigh = true;
    bool m_clockHigh = false;  // the level the chip last saw
    std::chrono::steady_clock::time_point m_conversionEnd{};
    std::chrono::steady_clock::time_point m_lastEdge{};
    std::optional<std::chrono::steady_clock::time_point> m_chipSelectRose;  // none: high from the start
    std::uint16_t m_code = 0;
    int m_bitsShifted = 0;  // falling edges since the end of the conversion
    std::uint8_t m_otherStatusBits = 0;
    int m_failNext = 0;
    int m_failAlways = 0;
    bool m_tracing = false;
    std::vector<Operation> m_trace;
};

}  // namespace acquisition
