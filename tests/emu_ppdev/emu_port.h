#pragma once
// An emulated ppdev device: the state shared, through one mapped file, by the test and by every
// process that opens the device (the preloaded emu_device.cpp), and the test's hand on it.
// Behind the port's lines sits the program's own MAX187 model.
#include <pthread.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace emu {

/// Environment: the device path the shim takes over, and the state file it maps.
inline constexpr const char* kDeviceVariable = "VELMORIXON_EMU_DEVICE";
inline constexpr const char* kStateVariable = "VELMORIXON_EMU_STATE";
inline constexpr std::size_t kMaxOpenFiles = 8;
inline constexpr std::size_t kTraceCapacity = std::size_t{1} << 14;

enum class EventKind : std::uint8_t { Open, Exclusive, Claim, Release, Close, WriteData, ReadStatus };

struct Event {
    std::int64_t timeNs;  // CLOCK_MONOTONIC
    EventKind kind;
    std::uint8_t value;   // the byte written or read; for Close, 1 when the close had to release
    std::uint16_t error;  // 0 or the errno the caller got
};

/// One open file description of the device, as ppdev keeps it.
struct OpenFile {
    bool inUse, exclusive, registered, claimed;
};

struct State {
    pthread_mutex_t mutex;   // process-shared and robust; guards all below
    pthread_cond_t changed;  // broadcast at every event
    std::int32_t inputMillivolts;
    std::int64_t eioAfter;   // line operations left before each one fails with EIO; -1: never
    OpenFile files[kMaxOpenFiles];
    std::uint8_t data;       // the data register as last written
    std::uint64_t conversions, eventCount;  // chip-select falls; events recorded
    Event trace[kTraceCapacity];            // event n at trace[n % kTraceCapacity]
};

/// Locks the state, making it consistent again when its holder died.
struct Lock {
    explicit Lock(State& s) : state(s)
    {
        if (pthread_mutex_lock(&s.mutex) == EOWNERDEAD) pthread_mutex_consistent(&s.mutex);
    }
    ~Lock() { pthread_mutex_unlock(&state.mutex); }
    State& state;
};

/// One converter read as the wire saw it, from a write of 1 followed by a write of 0 up to the next.
struct WireRead {
    std::vector<Event> operations;
};
std::vector<WireRead> splitReads(const std::vector<Event>& events);
/// "open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close" (with " refused" when it failed): the
/// port's own events, the line operations left out.
std::vector<std::string> portSteps(const std::vector<Event>& events);

/// The test's side: a fresh state in `stateFile` for the device path `device`, input 2048 mV.
class EmulatedPort {
public:
    EmulatedPort(std::filesystem::path stateFile, std::string device);
    ~EmulatedPort();
    /// Sets the two variables in this process's environment, for it and the programs it starts.
    void exportEnvironment() const;
    const std::string& device() const { return m_device; }
    void setInputMillivolts(int mv) { Lock lock(*m_state); m_state->inputMillivolts = mv; }
    /// After `operations` more line operations every one fails with EIO; -1: none does.
    void failWithEioAfter(std::int64_t operations) { Lock lock(*m_state); m_state->eioAfter = operations; }
    std::vector<Event> events() const;
    /// True when an open file of the device holds the port.
    bool claimed() const;
    static bool anyClaimed(const State& s);
    /// Waits without polling until `done` holds (the state locked meanwhile), 20 s at most.
    bool waitUntil(const std::function<bool(const State&)>& done) const;
    /// Waits until `count` converter reads have begun and the last one is over.
    bool waitForReads(std::uint64_t count) const;

private:
    std::filesystem::path m_file;
    std::string m_device;
    State* m_state = nullptr;
};

}  // namespace emu
