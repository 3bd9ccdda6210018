#pragma once
// An emulated ppdev device: the state shared, through one mapped file, by the test and by every
// process that opens the device (the preloaded emu_device.cpp), and the test's hand on it.
// Behind the port's lines sits the program's own MAX187 model.
#include <fcntl.h>
#include <pthread.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <system_error>
#include <vector>

namespace emu {

/// Environment: the device path the shim takes over, and the state file it maps.
inline constexpr const char* kDeviceVariable = "VELMORIXON_EMU_DEVICE";
inline constexpr const char* kStateVariable = "VELMORIXON_EMU_STATE";
inline constexpr std::size_t kMaxOpenFiles = 8;
inline constexpr std::size_t kTraceCapacity = std::size_t{1} << 14;

enum class EventKind : std::uint8_t { Open, Exclusive, Claim, Release, Close, WriteData, ReadStatus };

// When (CLOCK_MONOTONIC), what, the byte written or read, and 0 or the errno the caller got.
struct Event { std::int64_t timeNs; EventKind kind; std::uint8_t value; std::uint16_t error; };

/// One open file description of the device, as ppdev keeps it.
struct OpenFile { bool inUse, claimed; };

struct State {
    pthread_mutex_t mutex;   // process-shared; guards all below
    pthread_cond_t changed;  // broadcast at every event
    std::int32_t inputMillivolts;
    std::int64_t eioAfter;   // line operations left before each one fails with EIO; -1: never
    OpenFile files[kMaxOpenFiles];
    std::uint8_t data;       // the data register as last written
    std::uint64_t conversions, eventCount;  // chip-select falls; events recorded
    Event trace[kTraceCapacity];            // event n at trace[n % kTraceCapacity]
};

/// Locks the state.
struct Lock {
    explicit Lock(State& s) : state(s) { pthread_mutex_lock(&s.mutex); }
    ~Lock() { pthread_mutex_unlock(&state.mutex); }
    State& state;
};

/// One converter read as the wire saw it, from a write of 1 followed by a write of 0 up to the next.
struct WireRead { std::vector<Event> operations; };

inline std::vector<WireRead> splitReads(const std::vector<Event>& events)
{
    std::vector<WireRead> reads;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const Event& e = events[i];
        if (e.kind == EventKind::WriteData && e.value == 1 && e.error == 0 && i + 1 < events.size() &&
            events[i + 1].kind == EventKind::WriteData && events[i + 1].value == 0)
            reads.emplace_back();
        if (!reads.empty() && e.kind >= EventKind::WriteData) reads.back().operations.push_back(e);
    }
    return reads;
}

/// "open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close" (with " refused" when it failed): the
/// port's own events, the line operations left out.
inline std::vector<std::string> portSteps(const std::vector<Event>& events)
{
    static const char* const names[] = {"open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close"};
    std::vector<std::string> steps;
    for (const Event& e : events)
        if (e.kind < EventKind::WriteData) steps.push_back(names[static_cast<int>(e.kind)] + std::string(e.error ? " refused" : ""));
    return steps;
}

/// The test's side: a fresh state in `stateFile` for the device path `device`, input 2048 mV.
class EmulatedPort {
public:
    EmulatedPort(std::filesystem::path stateFile, std::string device) : m_file(std::move(stateFile)), m_device(std::move(device))
    {
        const int fd = ::open(m_file.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        void* map = fd >= 0 && ::ftruncate(fd, sizeof(State)) == 0
                        ? ::mmap(nullptr, sizeof(State), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                        : MAP_FAILED;
        if (map == MAP_FAILED) throw std::system_error(errno, std::generic_category(), "state " + m_file.string());
        ::close(fd);
        m_state = new (map) State{};
        pthread_mutexattr_t mutexAttr;
        pthread_mutexattr_init(&mutexAttr);
        pthread_mutexattr_setpshared(&mutexAttr, PTHREAD_PROCESS_SHARED);
        pthread_mutex_init(&m_state->mutex, &mutexAttr);
        pthread_condattr_t condAttr;
        pthread_condattr_init(&condAttr);
        pthread_condattr_setpshared(&condAttr, PTHREAD_PROCESS_SHARED);
        pthread_condattr_setclock(&condAttr, CLOCK_MONOTONIC);
        pthread_cond_init(&m_state->changed, &condAttr);
        m_state->inputMillivolts = 2048;
        m_state->eioAfter = -1;
        m_state->data = 1;
    }
    ~EmulatedPort()
    {
        ::munmap(m_state, sizeof(State));
        ::unlink(m_file.c_str());
    }
    /// Sets the two variables in this process's environment, for it and the programs it starts.
    void exportEnvironment() const
    {
        ::setenv(kDeviceVariable, m_device.c_str(), 1);
        ::setenv(kStateVariable, m_file.c_str(), 1);
    }
    const std::string& device() const { return m_device; }
    void setInputMillivolts(int mv) { Lock lock(*m_state); m_state->inputMillivolts = mv; }
    /// After `operations` more line operations every one fails with EIO; -1: none does.
    void failWithEioAfter(std::int64_t operations) { Lock lock(*m_state); m_state->eioAfter = operations; }
    std::vector<Event> events() const
    {
        Lock lock(*m_state);
        std::vector<Event> out;
        for (std::uint64_t n = std::max<std::uint64_t>(m_state->eventCount, kTraceCapacity) - kTraceCapacity; n < m_state->eventCount; ++n)
            out.push_back(m_state->trace[n % kTraceCapacity]);
        return out;
    }
    static bool anyClaimed(const State& s)
    {
        return std::any_of(std::begin(s.files), std::end(s.files), [](const OpenFile& f) { return f.claimed; });
    }
    /// True when an open file of the device holds the port.
    bool claimed() const { Lock lock(*m_state); return anyClaimed(*m_state); }
    /// Waits without polling until `done` holds (the state locked meanwhile), 20 s at most.
    bool waitUntil(const std::function<bool(const State&)>& done) const
    {
        timespec deadline{};
        clock_gettime(CLOCK_MONOTONIC, &deadline);
        deadline.tv_sec += 20;
        Lock lock(*m_state);
        for (int r = 0; !done(*m_state); r = pthread_cond_timedwait(&m_state->changed, &m_state->mutex, &deadline))
            if (r == ETIMEDOUT) return done(*m_state);
        return true;
    }
    /// Waits until `count` converter reads have begun and the last one is over.
    bool waitForReads(std::uint64_t count) const
    {
        return waitUntil([count](const State& s) { return s.conversions >= count && (s.data & 1) != 0; });
    }

private:
    std::filesystem::path m_file;
    std::string m_device;
    State* m_state = nullptr;
};

}  // namespace emu
