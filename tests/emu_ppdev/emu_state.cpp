#include "emu_state.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace emu {

std::int64_t monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

State* mapState(const char* path)
{
    const int fd = ::open(path, O_RDWR | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    void* map = MAP_FAILED;
    if (::fstat(fd, &st) == 0 && static_cast<std::size_t>(st.st_size) >= sizeof(State))
        map = ::mmap(nullptr, sizeof(State), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) {
        errno = EINVAL;
        return nullptr;
    }
    auto* state = static_cast<State*>(map);
    if (state->magic != kMagic || state->size != sizeof(State)) {
        ::munmap(map, sizeof(State));
        errno = EINVAL;
        return nullptr;
    }
    return state;
}

void unmapState(State* state)
{
    ::munmap(state, sizeof(State));
}

std::uint64_t record(State& state, EventKind kind, std::uint64_t request, std::uint32_t value,
                     int error, std::int64_t timeNs)
{
    const std::uint64_t seq = state.nextSeq++;
    state.trace[seq % kTraceCapacity] = Event{seq,
                                              timeNs,
                                              static_cast<std::int32_t>(::getpid()),
                                              kind,
                                              static_cast<std::uint16_t>(error),
                                              request,
                                              value};
    pthread_cond_broadcast(&state.changed);
    return seq;
}

}  // namespace emu
