#pragma once
// The PC's parallel port through the Linux ppdev driver (/dev/parportN).
#include <cstdint>
#include <string>

#include "platform/parallel_port.h"

/// Opens the device, claims the port for this program alone and puts the lines at rest
/// (kIdleLines); releases it when destroyed.
/// Every failure throws std::system_error(errno, std::generic_category(), "<operation> <path>").
class PpdevPort final : public ParallelPort {
public:
    static constexpr const char* kFirstPort = "/dev/parport0";

    /// Fails at once, rather than waiting, when another driver or program holds the port.
    explicit PpdevPort(std::string path = kFirstPort);
    ~PpdevPort() override;
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    void writeData(std::uint8_t value) override;
    /// The status register as it stands (bit 5 not inverted; bit 7 is inverted by the port).
    std::uint8_t readStatus() override;

    const std::string& path() const { return m_path; }

private:
    [[noreturn]] void fail(const char* operation, int error) const;

    std::string m_path;
    int m_fd = -1;
};
