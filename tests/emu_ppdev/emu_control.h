#pragma once
// The test's hand on the emulated parallel port: creates its shared state file, sets the
// converter's input, the port's latency and the faults, and reads back what the wire saw.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "emu_state.h"

namespace emu {

/// One read of the converter as the wire saw it: the 44 operations from the write of 1 that
/// starts it, and the code the status reads carried.
struct WireRead {
    std::vector<Event> operations;
    int code = -1;  // assembled from the 12 status reads, -1 when the read was not whole
};

class EmulatedPort {
public:
    static constexpr std::int64_t kDefaultLatencyNs = 1'500;

    /// A fresh port state in `stateFile` (created or emptied), at the device path `device`;
    /// the data register holds 0 (chip select low) as a port left by someone else may.
    EmulatedPort(std::filesystem::path stateFile, std::string device);
    ~EmulatedPort();
    EmulatedPort(const EmulatedPort&) = delete;
    EmulatedPort& operator=(const EmulatedPort&) = delete;

    /// Sets VELMORIXON_EMU_DEVICE and VELMORIXON_EMU_STATE in this process's environment.
    void exportEnvironment() const;
    /// The same as "NAME=value" entries for a child's environment.
    std::vector<std::string> environment() const;
    const std::string& device() const { return m_device; }

    void setInputMillivolts(int millivolts);
    void setLatency(std::chrono::nanoseconds latency);
    void setConversionTime(std::chrono::nanoseconds time);
    void setOtherStatusBits(std::uint8_t bits);
    void failOpen(int error);   // 0 clears
    void failClaim(int error);  // 0 clears
    /// After `operations` more data/status operations, every one fails with EIO; -1 clears.
    void failWithEioAfter(std::int64_t operations);

    std::vector<Event> events() const;
    std::vector<Violation> violations() const;
    std::uint64_t violationCount() const;
    std::uint64_t conversions() const;
    /// Whether some open file holds the port claimed now.
    bool claimed() const;

    /// Waits, without polling, until `done` holds for the state (or `timeout` passes); the
    /// state is locked while `done` runs. Returns `done`'s last answer.
    bool waitUntil(const std::function<bool(const State&)>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds{20}) const;
    /// Waits until `count` events of `kind` have been recorded in all.
    bool waitForEvents(EventKind kind, std::size_t count,
                       std::chrono::milliseconds timeout = std::chrono::seconds{20}) const;

private:
    std::filesystem::path m_file;
    std::string m_device;
    State* m_state = nullptr;
};

/// The converter reads in `events`: each starts at a write of 1 that is followed by a write of
/// 0 and runs to the next such start or to the end (a read cut short keeps what it had).
std::vector<WireRead> splitReads(const std::vector<Event>& events);

/// The 44 operations of one read as the converter's protocol fixes them: 'w' + value or 'r'.
std::vector<std::string> protocolOfOneRead();
/// The same picture of what the wire saw.
std::vector<std::string> pictureOf(const std::vector<Event>& operations);

/// "PPCLAIM" for the claim, ... for messages.
std::string nameOf(EventKind kind);

}  // namespace emu
