#include "emu_control.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <new>
#include <stdexcept>
#include <system_error>

namespace emu {

namespace {

[[noreturn]] void fail(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

EmulatedPort::EmulatedPort(std::filesystem::path stateFile, std::string device)
    : m_file(std::move(stateFile)), m_device(std::move(device))
{
    const int fd = ::open(m_file.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) fail("open " + m_file.string());
    if (::ftruncate(fd, sizeof(State)) < 0) fail("ftruncate " + m_file.string());
    void* map = ::mmap(nullptr, sizeof(State), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) fail("mmap " + m_file.string());
    m_state = new (map) State{};
    pthread_mutexattr_t mutexAttr;
    pthread_mutexattr_init(&mutexAttr);
    pthread_mutexattr_setpshared(&mutexAttr, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&mutexAttr, PTHREAD_MUTEX_ROBUST);
    pthread_mutex_init(&m_state->mutex, &mutexAttr);
    pthread_mutexattr_destroy(&mutexAttr);
    pthread_condattr_t condAttr;
    pthread_condattr_init(&condAttr);
    pthread_condattr_setpshared(&condAttr, PTHREAD_PROCESS_SHARED);
    pthread_condattr_setclock(&condAttr, CLOCK_MONOTONIC);
    pthread_cond_init(&m_state->changed, &condAttr);
    pthread_condattr_destroy(&condAttr);
    m_state->control = Control{2048, kDefaultLatencyNs, 8'500, 0, 0, -1, 0x5F};
    m_state->claimedBy = -1;
    m_state->exclusiveHolder = -1;
    m_state->size = sizeof(State);
    m_state->magic = kMagic;  // last: a mapper sees a whole state or none
}

EmulatedPort::~EmulatedPort()
{
    ::munmap(m_state, sizeof(State));
    std::error_code ignored;
    std::filesystem::remove(m_file, ignored);
}

void EmulatedPort::exportEnvironment() const
{
    ::setenv(kDeviceVariable, m_device.c_str(), 1);
    ::setenv(kStateVariable, m_file.c_str(), 1);
}

std::vector<std::string> EmulatedPort::environment() const
{
    return {std::string(kDeviceVariable) + "=" + m_device, std::string(kStateVariable) + "=" + m_file.string()};
}

void EmulatedPort::setInputMillivolts(int millivolts)
{
    Lock lock(*m_state);
    m_state->control.inputMillivolts = millivolts;
}

void EmulatedPort::setLatency(std::chrono::nanoseconds latency)
{
    Lock lock(*m_state);
    m_state->control.latencyNs = latency.count();
}

void EmulatedPort::setConversionTime(std::chrono::nanoseconds time)
{
    Lock lock(*m_state);
    m_state->control.conversionNs = time.count();
}

void EmulatedPort::setOtherStatusBits(std::uint8_t bits)
{
    Lock lock(*m_state);
    m_state->control.otherStatusBits = bits;
}

void EmulatedPort::failOpen(int error)
{
    Lock lock(*m_state);
    m_state->control.openError = error;
}

void EmulatedPort::failClaim(int error)
{
    Lock lock(*m_state);
    m_state->control.claimError = error;
}

void EmulatedPort::failWithEioAfter(std::int64_t operations)
{
    Lock lock(*m_state);
    m_state->control.eioAfter = operations;
}

std::vector<Event> EmulatedPort::events() const
{
    Lock lock(*m_state);
    const std::uint64_t end = m_state->nextSeq;
    const std::uint64_t begin = end > kTraceCapacity ? end - kTraceCapacity : 0;
    std::vector<Event> out;
    out.reserve(end - begin);
    for (std::uint64_t seq = begin; seq < end; ++seq) out.push_back(m_state->trace[seq % kTraceCapacity]);
    return out;
}

std::vector<Violation> EmulatedPort::violations() const
{
    Lock lock(*m_state);
    const std::uint64_t kept = std::min<std::uint64_t>(m_state->violationCount, kMaxViolations);
    return std::vector<Violation>(m_state->violations, m_state->violations + kept);
}

std::uint64_t EmulatedPort::violationCount() const
{
    Lock lock(*m_state);
    return m_state->violationCount;
}

std::uint64_t EmulatedPort::conversions() const
{
    Lock lock(*m_state);
    return m_state->conversions;
}

bool EmulatedPort::claimed() const
{
    Lock lock(*m_state);
    return m_state->claimedBy >= 0;
}

bool EmulatedPort::waitUntil(const std::function<bool(const State&)>& done,
                             std::chrono::milliseconds timeout) const
{
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    const auto total = deadline.tv_nsec + std::chrono::nanoseconds(timeout).count();
    deadline.tv_sec += static_cast<time_t>(total / 1'000'000'000);
    deadline.tv_nsec = static_cast<long>(total % 1'000'000'000);
    Lock lock(*m_state);
    while (!done(*m_state)) {
        const int r = pthread_cond_timedwait(&m_state->changed, &m_state->mutex, &deadline);
        if (r == EOWNERDEAD) pthread_mutex_consistent(&m_state->mutex);
        if (r == ETIMEDOUT) return done(*m_state);
    }
    return true;
}

bool EmulatedPort::waitForEvents(EventKind kind, std::size_t count, std::chrono::milliseconds timeout) const
{
    // Counted over the kept trace; the tests stay far below its capacity.
    return waitUntil(
        [&](const State& s) {
            std::size_t seen = 0;
            const std::uint64_t begin = s.nextSeq > kTraceCapacity ? s.nextSeq - kTraceCapacity : 0;
            for (std::uint64_t seq = begin; seq < s.nextSeq; ++seq)
                if (s.trace[seq % kTraceCapacity].kind == kind && s.trace[seq % kTraceCapacity].error == 0) ++seen;
            return seen >= count;
        },
        timeout);
}

std::vector<WireRead> splitReads(const std::vector<Event>& events)
{
    std::vector<const Event*> wire;
    for (const Event& e : events)
        if (e.kind == EventKind::WriteData || e.kind == EventKind::ReadStatus) wire.push_back(&e);
    std::vector<WireRead> reads;
    for (std::size_t i = 0; i < wire.size(); ++i) {
        const bool start = wire[i]->kind == EventKind::WriteData && wire[i]->value == 1 && wire[i]->error == 0 &&
                           i + 1 < wire.size() && wire[i + 1]->kind == EventKind::WriteData &&
                           wire[i + 1]->value == 0;
        if (start) reads.emplace_back();
        if (!reads.empty()) reads.back().operations.push_back(*wire[i]);
    }
    for (WireRead& r : reads) {
        int code = 0;
        int samples = 0;
        for (const Event& e : r.operations) {
            if (e.error != 0) {
                samples = -1;
                break;
            }
            if (e.kind == EventKind::ReadStatus) {
                code = code << 1 | ((e.value & 0x20) ? 1 : 0);
                ++samples;
            }
        }
        r.code = samples == 12 && r.operations.size() == 44 ? code : -1;
    }
    return reads;
}

std::vector<std::string> protocolOfOneRead()
{
    std::vector<std::string> p{"w1", "w0", "w2", "w0", "w2", "r"};
    for (int bit = 0; bit < 11; ++bit) p.insert(p.end(), {"w0", "w2", "r"});
    p.insert(p.end(), {"w2", "w0", "w2", "w0", "w1"});
    return p;
}

std::vector<std::string> pictureOf(const std::vector<Event>& operations)
{
    std::vector<std::string> p;
    for (const Event& e : operations)
        p.push_back(e.kind == EventKind::ReadStatus ? std::string("r") : "w" + std::to_string(e.value));
    return p;
}

std::string nameOf(EventKind kind)
{
    switch (kind) {
    case EventKind::Open: return "open";
    case EventKind::Close: return "close";
    case EventKind::Exclusive: return "PPEXCL";
    case EventKind::Claim: return "PPCLAIM";
    case EventKind::Release: return "PPRELEASE";
    case EventKind::WriteData: return "PPWDATA";
    case EventKind::ReadStatus: return "PPRSTATUS";
    case EventKind::OtherIoctl: return "ioctl";
    }
    return "?";
}

}  // namespace emu
