// The C library's entry points for the emulated device: open (in all the forms glibc exports),
// ioctl and close. A call on any other path or descriptor goes on to the C library unchanged.
// Preloaded into the program (LD_PRELOAD) or linked into a test executable.
#undef _FORTIFY_SOURCE
#undef _FILE_OFFSET_BITS
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "emu_device.h"

namespace {

using OpenFn = int (*)(const char*, int, ...);
using OpenAtFn = int (*)(int, const char*, int, ...);
using IoctlFn = int (*)(int, unsigned long, ...);
using CloseFn = int (*)(int);

template <typename Fn>
Fn next(const char* name)
{
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

OpenFn realOpen()
{
    static const OpenFn fn = next<OpenFn>("open");
    return fn;
}
IoctlFn realIoctl()
{
    static const IoctlFn fn = next<IoctlFn>("ioctl");
    return fn;
}
CloseFn realClose()
{
    static const CloseFn fn = next<CloseFn>("close");
    return fn;
}

// This process's descriptors of the emulated device. Fixed storage: close() may come after
// static destructors have run.
struct Descriptor {
    int fd = -1;
    int file = -1;
    emu::State* state = nullptr;
};
constexpr int kMaxDescriptors = 64;
Descriptor g_descriptors[kMaxDescriptors];
std::mutex g_descriptorsMutex;

bool isDevice(const char* path)
{
    const char* device = std::getenv(emu::kDeviceVariable);
    return device != nullptr && *device != '\0' && path != nullptr && std::strcmp(path, device) == 0;
}

// The state named by the environment, mapped for one descriptor (each its own mapping, so
// that a test may give every case a fresh state file).
emu::State* mapCurrentState()
{
    const char* path = std::getenv(emu::kStateVariable);
    if (path == nullptr) {
        std::fprintf(stderr, "emu_ppdev: %s is not set\n", emu::kStateVariable);
        return nullptr;
    }
    emu::State* state = emu::mapState(path);
    if (state == nullptr) std::fprintf(stderr, "emu_ppdev: cannot map %s: %s\n", path, std::strerror(errno));
    return state;
}

int openDevice(int flags)
{
    emu::State* state = mapCurrentState();
    if (state == nullptr) {
        errno = ENODEV;
        return -1;
    }
    // A real descriptor stands behind the emulated one, so that descriptor numbers, close and
    // close-on-exec behave as the kernel's.
    const int fd = realOpen()("/dev/null", O_RDWR | (flags & (O_CLOEXEC | O_NONBLOCK)));
    if (fd < 0) {
        emu::unmapState(state);
        return -1;
    }
    const int file = emu::deviceOpen(*state, fd);
    if (file < 0) {
        realClose()(fd);
        emu::unmapState(state);
        errno = -file;
        return -1;
    }
    std::lock_guard lock(g_descriptorsMutex);
    for (Descriptor& d : g_descriptors) {
        if (d.fd < 0) {
            d = Descriptor{fd, file, state};
            return fd;
        }
    }
    emu::deviceClose(*state, file);
    emu::unmapState(state);
    realClose()(fd);
    errno = EMFILE;
    return -1;
}

bool findDescriptor(int fd, Descriptor& found)
{
    std::lock_guard lock(g_descriptorsMutex);
    for (const Descriptor& d : g_descriptors) {
        if (d.fd == fd && fd >= 0) {
            found = d;
            return true;
        }
    }
    return false;
}

int forwardIoctl(unsigned long request, void* argument, int fd)
{
    return realIoctl()(fd, request, argument);
}

int modeArgument(int flags, va_list args)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, int) : 0;
}

// The device path is absolute: a relative path never names it, whatever dirfd is.
int openPath(OpenFn real, const char* path, int flags, int mode)
{
    return isDevice(path) ? openDevice(flags) : real(path, flags, mode);
}

int openAtPath(OpenAtFn real, int dirfd, const char* path, int flags, int mode)
{
    return isDevice(path) ? openDevice(flags) : real(dirfd, path, flags, mode);
}

}  // namespace

extern "C" {

// Each form reads the mode (present with O_CREAT or O_TMPFILE) and goes on to openPath.
#define EMU_MODE(flags) \
    va_list args;       \
    va_start(args, flags); \
    const int mode = modeArgument(flags, args); \
    va_end(args)

int open(const char* path, int flags, ...)
{
    EMU_MODE(flags);
    return openPath(realOpen(), path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    EMU_MODE(flags);
    static const OpenFn fn = next<OpenFn>("open64");
    return openPath(fn, path, flags, mode);
}

int __open_2(const char* path, int flags)
{
    return open(path, flags);
}

int __open64_2(const char* path, int flags)
{
    return open64(path, flags);
}

int openat(int dirfd, const char* path, int flags, ...)
{
    EMU_MODE(flags);
    static const OpenAtFn fn = next<OpenAtFn>("openat");
    return openAtPath(fn, dirfd, path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...)
{
    EMU_MODE(flags);
    static const OpenAtFn fn = next<OpenAtFn>("openat64");
    return openAtPath(fn, dirfd, path, flags, mode);
}

#undef EMU_MODE

int __openat_2(int dirfd, const char* path, int flags)
{
    return openat(dirfd, path, flags);
}

int __openat64_2(int dirfd, const char* path, int flags)
{
    return openat64(dirfd, path, flags);
}

int ioctl(int fd, unsigned long request, ...)
{
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);
    Descriptor d;
    if (!findDescriptor(fd, d)) return realIoctl()(fd, request, argument);
    const int r = emu::deviceIoctl(*d.state, d.file, request, argument, forwardIoctl, fd);
    if (r < 0) {
        errno = -r;
        return -1;
    }
    return r;
}

int close(int fd)
{
    Descriptor d;
    {
        std::lock_guard lock(g_descriptorsMutex);
        for (Descriptor& slot : g_descriptors) {
            if (slot.fd == fd && fd >= 0) {
                d = slot;
                slot = Descriptor{};
                break;
            }
        }
    }
    if (d.state != nullptr) {
        emu::deviceClose(*d.state, d.file);
        emu::unmapState(d.state);
    }
    return realClose()(fd);
}

}  // extern "C"
