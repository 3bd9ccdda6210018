// The emulated ppdev device at the C library's entry points: open, ioctl and close of the path
// named in VELMORIXON_EMU_DEVICE are answered as ppdev answers them, on the state mapped from
// VELMORIXON_EMU_STATE; every other call goes on to the C library. Preloaded into the program
// (LD_PRELOAD) or linked into a test. Behind the lines, each open file has the program's own
// wire-level MAX187, whose input is the state's millivolts.
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

#include "acquisition/simulated_max187.h"
#include "emu_port.h"

namespace {

using emu::EventKind;

// Looked up at each call: a preloaded library may be called before its static initializers.
template <typename Fn>
Fn next(const char* name) { return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name)); }
int realOpen(const char* path, int flags, int mode = 0) { return next<int (*)(const char*, int, ...)>("open")(path, flags, mode); }
int realClose(int fd) { return next<int (*)(int)>("close")(fd); }

// This process's descriptors of the device. Plain storage: a close may come after the static
// destructors have run.
struct Descriptor {
    int fd = -1, file = -1;
    emu::State* state = nullptr;
    acquisition::SimulatedMax187* chip = nullptr;
};
Descriptor g_descriptors[16];
std::mutex g_descriptorsMutex;

int record(emu::State& s, EventKind kind, std::uint8_t value, int error)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    s.trace[s.eventCount++ % emu::kTraceCapacity] = {now.tv_sec * 1'000'000'000L + now.tv_nsec, kind, value, std::uint16_t(error)};
    pthread_cond_broadcast(&s.changed);
    return error;
}

int openDevice(int flags)
{
    const char* statePath = std::getenv(emu::kStateVariable);
    const int stateFd = statePath ? realOpen(statePath, O_RDWR | O_CLOEXEC) : -1;
    void* map = stateFd < 0 ? MAP_FAILED : ::mmap(nullptr, sizeof(emu::State), PROT_READ | PROT_WRITE, MAP_SHARED, stateFd, 0);
    if (stateFd >= 0) realClose(stateFd);
    if (map == MAP_FAILED) return errno = ENODEV, -1;
    auto* s = static_cast<emu::State*>(map);
    // A real descriptor stands behind the emulated one, so that numbers and close-on-exec hold.
    const int fd = realOpen("/dev/null", O_RDWR | (flags & O_CLOEXEC));
    std::lock_guard guard(g_descriptorsMutex);
    Descriptor* slot = std::find_if(std::begin(g_descriptors), std::end(g_descriptors), [](const Descriptor& d) { return d.fd < 0; });
    int file = -1;
    {
        emu::Lock lock(*s);
        for (std::size_t i = 0; fd >= 0 && slot != std::end(g_descriptors) && file < 0 && i < emu::kMaxOpenFiles; ++i)
            if (!s->files[i].inUse) file = static_cast<int>(i);
        if (file >= 0) s->files[file] = emu::OpenFile{true, false};
        record(*s, EventKind::Open, 0, file < 0 ? EMFILE : 0);
    }
    if (file < 0 && fd >= 0) realClose(fd);
    if (file < 0) return ::munmap(s, sizeof(emu::State)), errno = EMFILE, -1;
    auto* chip = new acquisition::SimulatedMax187();
    chip->setSource([s] { return static_cast<std::uint16_t>(std::clamp(s->inputMillivolts, 0, 4095)); });
    *slot = Descriptor{fd, file, s, chip};
    return fd;
}

// ppdev refuses a claim (ENXIO at the exclusive registration PPEXCL asks for) while another
// device holds the port. (A shared claim of a port another holds would wait; the program never
// makes one.)
int claim(emu::State& s, emu::OpenFile& f)
{
    if (f.claimed) return EINVAL;
    if (emu::EmulatedPort::anyClaimed(s)) return ENXIO;
    return f.claimed = true, 0;
}

int lines(emu::State& s, const Descriptor& d, EventKind kind, unsigned char* byte)
{
    if (!s.files[d.file].claimed) return record(s, kind, 0, EINVAL);  // "claim the port first"
    if (s.eioAfter == 0) return record(s, kind, 0, EIO);
    if (s.eioAfter > 0) --s.eioAfter;
    if (kind == EventKind::ReadStatus) *byte = d.chip->readStatus();
    if (kind == EventKind::WriteData) s.conversions += (s.data & 1) != 0 && (*byte & 1) == 0, s.data = *byte, d.chip->writeData(*byte);
    return record(s, kind, *byte, 0);
}

int deviceIoctl(const Descriptor& d, unsigned long request, void* argument)
{
    emu::State& s = *d.state;
    emu::Lock lock(s);
    emu::OpenFile& f = s.files[d.file];
    switch (request) {
    case PPEXCL: return record(s, EventKind::Exclusive, 0, 0);
    case PPCLAIM: return record(s, EventKind::Claim, 0, claim(s, f));
    case PPRELEASE: return record(s, EventKind::Release, 0, std::exchange(f.claimed, false) ? 0 : EINVAL);
    case PPWDATA: return lines(s, d, EventKind::WriteData, static_cast<unsigned char*>(argument));
    case PPRSTATUS: return lines(s, d, EventKind::ReadStatus, static_cast<unsigned char*>(argument));
    default: return EINVAL;  // no other request is carried
    }
}

bool findDescriptor(int fd, Descriptor& found, bool remove)
{
    std::lock_guard guard(g_descriptorsMutex);
    Descriptor* d = std::find_if(std::begin(g_descriptors), std::end(g_descriptors), [&](const Descriptor& d) { return d.fd == fd && fd >= 0; });
    return d != std::end(g_descriptors) && ((found = std::exchange(*d, remove ? Descriptor{} : *d)), true);
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const int mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, int) : 0;
    va_end(args);
    const char* device = std::getenv(emu::kDeviceVariable);
    return device != nullptr && std::strcmp(path, device) == 0 ? openDevice(flags) : realOpen(path, flags, mode);
}

int ioctl(int fd, unsigned long request, ...)
{
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);
    Descriptor d;
    if (!findDescriptor(fd, d, false)) return next<int (*)(int, unsigned long, ...)>("ioctl")(fd, request, argument);
    const int error = deviceIoctl(d, request, argument);
    return error != 0 ? (errno = error, -1) : 0;
}

int close(int fd)
{
    Descriptor d;
    if (findDescriptor(fd, d, true)) {
        {
            emu::Lock lock(*d.state);
            d.state->files[d.file] = emu::OpenFile{};  // a claim still held is released, as ppdev does
            record(*d.state, EventKind::Close, 0, 0);
        }
        delete d.chip;
        ::munmap(d.state, sizeof(emu::State));
    }
    return realClose(fd);
}

}  // extern "C"
