#pragma once
// The two registers of a PC parallel port that the MAX187 is wired to.
#include <cstdint>

/// Data register (written: bit 0 chip select, bit 1 serial clock) and status register
/// (read: bit 5 carries the converter's data out). Failures throw std::system_error.
class ParallelPort {
public:
    /// Data register value of the lines at rest: chip select high (deselected), clock low.
    static constexpr std::uint8_t kIdleLines = 0x01;

    virtual ~ParallelPort() = default;
    virtual void writeData(std::uint8_t value) = 0;
    virtual std::uint8_t readStatus() = 0;
};
