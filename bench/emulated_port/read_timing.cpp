// emulated_read_timing [READS]: the time one converter read takes from its first to its last
// port operation, through PpdevPort on the emulated ppdev device (whose operations take next to
// no time, as on a fast port). Prints minimum, median and maximum over READS reads (default
// 1000), taken from the device's own trace, and the count of readings that differ from the
// input. A measuring tool: it reports, it never fails on a figure.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "acquisition/max187.h"
#include "emu_port.h"
#include "platform/ppdev_port.h"
#include "support/temp_dir.h"

int main(int argc, char** argv)
{
    const int reads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    TempDir dir;
    emu::EmulatedPort port(dir.path() / "port.state", "/dev/parport-emu0");
    port.exportEnvironment();
    std::vector<double> micros;
    int wrong = 0;
    {
        PpdevPort device(port.device());
        for (int i = 0; i < reads; ++i) {
            port.setInputMillivolts(i % 4096);
            wrong += acquisition::readConversion(device) != i % 4096;
            const auto ops = emu::splitReads(port.events()).back().operations;
            micros.push_back(static_cast<double>(ops.back().timeNs - ops.front().timeNs) / 1000.0);
        }
    }
    std::sort(micros.begin(), micros.end());
    std::printf("%10s %10s %10s %14s\n", "min us", "median us", "max us", "wrong readings");
    std::printf("%10.1f %10.1f %10.1f %14d\n", micros.front(), micros[micros.size() / 2], micros.back(), wrong);
    return 0;
}
