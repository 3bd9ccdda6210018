// emulated_read_timing [READS]: the time one converter read takes from its first to its last
// port operation, through PpdevPort on the emulated ppdev device, at the default latency of a
// real port (1.5 us per operation) and on a fast port (0). Prints minimum, median and maximum
// over READS reads (default 1000), taken from the device's own trace, and the count of timing
// faults the converter saw. A measuring tool: it reports, it never fails on a figure.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "acquisition/max187.h"
#include "emu_control.h"
#include "platform/ppdev_port.h"
#include "support/temp_dir.h"

int main(int argc, char** argv)
{
    const int reads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    TempDir dir;
    std::printf("%-22s %10s %10s %10s %8s\n", "latency per operation", "min us", "median us", "max us", "faults");
    for (const auto latency : {std::chrono::nanoseconds{1500}, std::chrono::nanoseconds{0}}) {
        emu::EmulatedPort port(dir.path() / ("port-" + std::to_string(latency.count())), "/dev/parport-emu0");
        port.exportEnvironment();
        port.setLatency(latency);
        std::vector<double> micros;
        {
            PpdevPort device(port.device());
            for (int i = 0; i < reads; ++i) {
                port.setInputMillivolts(i % 4096);
                acquisition::readConversion(device);
                const auto split = emu::splitReads(port.events());
                const auto& ops = split.back().operations;
                micros.push_back(static_cast<double>(ops.back().timeNs - ops.front().timeNs) / 1000.0);
            }
        }
        std::sort(micros.begin(), micros.end());
        std::printf("%19lld ns %10.1f %10.1f %10.1f %8llu\n", static_cast<long long>(latency.count()), micros.front(),
                    micros[micros.size() / 2], micros.back(), static_cast<unsigned long long>(port.violationCount()));
    }
    return 0;
}
