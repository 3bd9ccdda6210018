#pragma once
// What ppdev and the MAX187 behind it do with each call on the emulated device. The caller
// holds no lock; every function takes the state's own.
#include <cstdint>

#include "emu_state.h"

namespace emu {

/// A new open file description for descriptor `fd` of this process: its index, or -errno.
int deviceOpen(State& state, int fd);

/// One ioctl on the open file `file`: 0 or -errno, as ppdev answers. `forward` runs requests
/// that the kernel answers above the driver (FIOCLEX, FIONBIO, ...) on the real descriptor.
int deviceIoctl(State& state, int file, unsigned long request, void* argument,
                int (*forward)(unsigned long request, void* argument, int fd), int fd);

/// The last close of the open file: a port still claimed is released, the device unregistered.
void deviceClose(State& state, int file);

}  // namespace emu
