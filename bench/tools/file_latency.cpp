// How long WriteDataLine holds the acquisition tick: one measurement line appended and flushed
// to stable storage (MeasurementFile::append over PosixFileSystem), and the first line of a run,
// which also moves the earlier run aside.
//   file_latency [FOLDER [LINES]]   FOLDER defaults to the system's temporary folder.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "acquisition/measurement_file.h"
#include "platform/posix_file_system.h"

namespace {

using Micros = std::chrono::duration<double, std::micro>;

void report(const char* what, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) { return samples[static_cast<std::size_t>(q * double(samples.size() - 1))]; };
    std::printf("%-34s %6zu lines  median %9.1f us  p99 %9.1f us  max %9.1f us\n", what, samples.size(),
                at(0.5), at(0.99), samples.back());
}

template <typename Append>
double timed(Append&& append)
{
    const auto start = std::chrono::steady_clock::now();
    append();
    return Micros(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path base = argc > 1 ? std::filesystem::path(argv[1])
                                                : std::filesystem::temp_directory_path();
    const int lineCount = argc > 2 ? std::max(10, std::atoi(argv[2])) : 2000;
    std::string folder = (base / "velmorixon-latency-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror(folder.c_str());
        return 1;
    }
    const std::filesystem::path file = std::filesystem::path(folder) / "velmorixon" / "data12-05-2026.val";

    PosixFileSystem files;
    acquisition::MeasurementFile measures(file, files);
    const auto line = [](int n) {
        return acquisition::dataLine(n, (n * 37) % 4096, std::chrono::hh_mm_ss<std::chrono::seconds>(
                                                             std::chrono::seconds(n % 86400)));
    };
    bool allWritten = true;
    std::vector<double> appends;
    for (int n = 2; n < lineCount + 2; ++n)
        appends.push_back(timed([&] { allWritten &= measures.append(line(n), n == 2); }));
    appends.erase(appends.begin());  // the first one also created the folder and the file

    std::vector<double> runStarts;
    for (int run = 0; run < std::max(10, lineCount / 40); ++run)
        runStarts.push_back(timed([&] { allWritten &= measures.append(line(2), true); }));

    // The floor: the same bytes by a bare open, write, fsync and close of another file there.
    std::vector<double> bare;
    const std::string bareFile = folder + "/velmorixon/bare.val";
    for (int n = 2; n < lineCount + 2; ++n)
        bare.push_back(timed([&] {
            const int fd = ::open(bareFile.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
            const std::string bytes = line(n);
            allWritten &= fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) && ::fsync(fd) == 0;
            ::close(fd);
        }));

    std::printf("folder %s\n", folder.c_str());
    report("bare open, write, fsync, close", bare);
    report("line appended and flushed", appends);
    report("first line of a run (kept aside)", runStarts);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (!allWritten)
        std::printf("some lines could not be written: %s\n",
                    measures.lastFailure() ? measures.lastFailure()->code.message().c_str() : "?");
    return 0;
}
