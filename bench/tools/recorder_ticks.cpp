// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// recorder_ticks RECORDER EMU_SHIM [SECONDS]: velmorixon-enregistreur, 1 s period, on the emulated
// port for SECONDS (default 600). When each reading began (the device's own trace) against the
// first reading + k seconds: the median and the worst distance, and where the last one fell (the
// drift); then the recorder's resident memory and the processor time it used per second of
// recording. A measuring tool: it reports, it never fails on a figure.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "emu_port.h"
#include "support/temp_dir.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: recorder_ticks RECORDER EMU_SHIM [SECONDS]\n");
        return 2;
    }
    const std::size_t seconds = argc > 3 ? std::size_t(std::max(2, std::atoi(argv[3]))) : 600;
    TempDir dir;
    emu::EmulatedPort port(dir.path() / "port.state", "/dev/parport-emu0");
    port.exportEnvironment();
    const std::string preload = std::string("LD_PRELOAD=") + argv[2], folder = dir.path() / "velmorixon";
    const char* command[] = {"env", "-u", "DISPLAY", preload.c_str(), argv[1], "--port", "/dev/parport-emu0",
                             "--dossier", folder.c_str(), nullptr};
    pid_t recorder = 0;
    if (::posix_spawnp(&recorder, "env", nullptr, nullptr, const_cast<char* const*>(command), environ) != 0)
        return 1;

    // The trace keeps the last 16,384 port operations: read it every ten readings.
    std::vector<std::int64_t> starts;
    while (starts.size() < seconds && port.waitForReads(starts.size() + 10)) {
        for (const emu::WireRead& read : emu::splitReads(port.events()))
            if (starts.empty() || read.operations.front().timeNs > starts.back())
                starts.push_back(read.operations.front().timeNs);
    }
    std::ifstream statusFile("/proc/" + std::to_string(recorder) + "/status");
    std::string word, resident;
    while (statusFile >> word && word != "VmRSS:") {
    }
    statusFile >> resident;
    std::ifstream statFile("/proc/" + std::to_string(recorder) + "/stat");
    const std::vector<std::string> stat{std::istream_iterator<std::string>(statFile), {}};
    const double cpuSeconds = stat.size() > 15 ? double(std::stol(stat[13]) + std::stol(stat[14])) / double(::sysconf(_SC_CLK_TCK)) : 0;
    ::kill(recorder, SIGTERM);
    int status = 0;
    ::waitpid(recorder, &status, 0);

    std::vector<double> off;
    for (std::size_t k = 0; k < starts.size(); ++k)
        off.push_back(double(starts[k] - starts[0] - std::int64_t(k) * 1'000'000'000) / 1e6);
    std::vector<double> sorted = off;
    std::transform(sorted.begin(), sorted.end(), sorted.begin(), [](double ms) { return std::abs(ms); });
    std::sort(sorted.begin(), sorted.end());
    std::printf("%8s %14s %14s %14s %14s %12s %8s\n", "readings", "median |ms|", "p99 |ms|", "worst |ms|", "last ms",
                "VmRSS kB", "CPU %");
    std::printf("%8zu %14.3f %14.3f %14.3f %14.3f %12s %8.3f\n", off.size(), sorted[sorted.size() / 2],
                sorted[sorted.size() * 99 / 100], sorted.back(), off.back(), resident.c_str(),
                100.0 * cpuSeconds / double(off.size()));
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
