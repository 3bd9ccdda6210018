// The test's side of the emulated device: the shared state made, changed, read and waited on.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <new>
#include <system_error>

#include "emu_port.h"

namespace emu {

EmulatedPort::EmulatedPort(std::filesystem::path stateFile, std::string device)
    : m_file(std::move(stateFile)), m_device(std::move(device))
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
    pthread_mutexattr_setrobust(&mutexAttr, PTHREAD_MUTEX_ROBUST);
    pthread_mutex_init(&m_state->mutex, &mutexAttr);
    pthread_condattr_t condAttr;
    pthread_condattr_init(&condAttr);
    pthread_condattr_setpshared(&condAttr, PTHREAD_PROCESS_SHARED);
    pthread_condattr_setclock(&condAttr, CLOCK_MONOTONIC);
    pthread_cond_init(&m_state->changed, &condAttr);
    m_state->inputMillivolts = 2048, m_state->eioAfter = -1, m_state->data = 1;
}

EmulatedPort::~EmulatedPort()
{
    ::munmap(m_state, sizeof(State));
    ::unlink(m_file.c_str());
}

void EmulatedPort::exportEnvironment() const
{
    ::setenv(kDeviceVariable, m_device.c_str(), 1), ::setenv(kStateVariable, m_file.c_str(), 1);
}

std::vector<Event> EmulatedPort::events() const
{
    Lock lock(*m_state);
    std::vector<Event> out;
    for (std::uint64_t n = m_state->eventCount > kTraceCapacity ? m_state->eventCount - kTraceCapacity : 0;
         n < m_state->eventCount; ++n)
        out.push_back(m_state->trace[n % kTraceCapacity]);
    return out;
}

bool EmulatedPort::anyClaimed(const State& s)
{
    return std::any_of(std::begin(s.files), std::end(s.files), [](const OpenFile& f) { return f.claimed; });
}

bool EmulatedPort::claimed() const
{
    Lock lock(*m_state);
    return anyClaimed(*m_state);
}

bool EmulatedPort::waitUntil(const std::function<bool(const State&)>& done) const
{
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += 20;
    Lock lock(*m_state);
    for (int r = 0; !done(*m_state); r = pthread_cond_timedwait(&m_state->changed, &m_state->mutex, &deadline)) {
        if (r == EOWNERDEAD) pthread_mutex_consistent(&m_state->mutex);
        if (r == ETIMEDOUT) return done(*m_state);
    }
    return true;
}

bool EmulatedPort::waitForReads(std::uint64_t count) const
{
    return waitUntil([count](const State& s) { return s.conversions >= count && (s.data & 1) != 0; });
}

std::vector<WireRead> splitReads(const std::vector<Event>& events)
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

std::vector<std::string> portSteps(const std::vector<Event>& events)
{
    static const char* const names[] = {"open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close"};
    std::vector<std::string> steps;
    for (const Event& e : events)
        if (e.kind < EventKind::WriteData) steps.push_back(names[static_cast<int>(e.kind)] + std::string(e.error ? " refused" : ""));
    return steps;
}

}  // namespace emu
