// The day's file on a real disk: runs, earlier runs kept aside, failures that lose nothing.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "acquisition/measurement_file.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

namespace {

using acquisition::MeasurementFile;
using std::filesystem::path;

/// Line `n` of run `run`: the reading tells the runs apart.
std::string line(int n, int run = 0)
{
    using namespace std::chrono;
    return acquisition::dataLine(n, run * 1000 + n % 1000, hh_mm_ss<seconds>(seconds(36000 + n % 40000)));
}

std::string lines(int first, int last, int run = 0)
{
    std::string out;
    for (int n = first; n <= last; ++n)
        out += line(n, run);
    return out;
}

class MeasurementFileOnDisk : public ::testing::Test {
protected:
    std::string read(const char* suffix = "") const { return TempDir::read(file.string() + suffix); }
    bool exists(const char* suffix) const { return std::filesystem::exists(file.string() + suffix); }
    void expectFailure(const path& where, int errnoValue) const
    {
        ASSERT_TRUE(measures.lastFailure().has_value());
        EXPECT_EQ(measures.lastFailure()->path, where);
        EXPECT_EQ(measures.lastFailure()->code, std::error_code(errnoValue, std::generic_category()));
    }

    TempDir dir;
    FaultFileSystem files;
    path file = dir.path() / "velmorixon" / "data12-05-2026.val";
    MeasurementFile measures{file, files};
};

TEST_F(MeasurementFileOnDisk, EachRunReplacesTheFileAndEarlierRunsAreKeptAside)
{
    EXPECT_TRUE(measures.append(line(2, 1), true));
    EXPECT_TRUE(measures.append(line(3, 1), false));
    EXPECT_TRUE(measures.append(line(5, 1), false));  // switch off at tick 4, on again
    EXPECT_EQ(read(), line(2, 1) + line(3, 1) + line(5, 1));
    EXPECT_FALSE(exists(".1"));

    // Second run: the file switch is ticked between the fourth and the fifth tick.
    measures.append(line(6, 2), true);
    measures.append(line(7, 2), false);
    EXPECT_EQ(read(), lines(6, 7, 2));
    EXPECT_EQ(read(".1"), line(2, 1) + line(3, 1) + line(5, 1));

    // The program started again the same day.
    MeasurementFile again(file, files);
    EXPECT_TRUE(again.append(line(2, 3), true));
    EXPECT_EQ(read(), line(2, 3));
    EXPECT_EQ(read(".2"), lines(6, 7, 2));
    EXPECT_FALSE(exists(".3"));
}

TEST_F(MeasurementFileOnDisk, FullDiskKeepsLinesAndWritesThemInOrderLater)
{
    measures.append(line(2), true);
    files.failWrites(ENOSPC);
    EXPECT_FALSE(measures.append(line(3), false));
    EXPECT_FALSE(measures.append(line(4), false));
    EXPECT_FALSE(measures.retry());
    EXPECT_EQ(measures.pendingLines(), 2u);
    expectFailure(file, ENOSPC);
    EXPECT_EQ(read(), line(2));

    files.heal();
    EXPECT_TRUE(measures.append(line(5), false));
    EXPECT_EQ(read(), lines(2, 5));
    EXPECT_EQ(measures.pendingLines(), 0u);
    EXPECT_FALSE(measures.lastFailure().has_value());
}

TEST_F(MeasurementFileOnDisk, RunBoundaryInsideTheBacklogStillStartsANewFile)
{
    measures.append(line(2, 1), true);
    files.failWrites(EIO);
    measures.append(line(3, 1), false);
    measures.append(line(2, 2), true);  // stop, start
    measures.append(line(3, 2), false);
    EXPECT_EQ(measures.pendingLines(), 3u);
    files.heal();
    EXPECT_TRUE(measures.retry());
    EXPECT_EQ(read(".1"), lines(2, 3, 1));
    EXPECT_EQ(read(), lines(2, 3, 2));
    EXPECT_EQ(files.renames(), 1u);
}

TEST_F(MeasurementFileOnDisk, FailedRotationNeitherEmptiesNorRotatesTwice)
{
    measures.append(line(2, 1), true);
    measures.append(line(3, 1), false);
    files.failRenames(EACCES, 1);
    EXPECT_FALSE(measures.append(line(2, 2), true));
    expectFailure(file, EACCES);
    EXPECT_EQ(read(), lines(2, 3, 1));

    files.failWrites(EIO, 1);
    EXPECT_FALSE(measures.retry());  // moved aside this time, then the write fails
    EXPECT_EQ(read(".1"), lines(2, 3, 1));
    EXPECT_TRUE(measures.append(line(3, 2), false));
    EXPECT_EQ(read(), lines(2, 3, 2));
    EXPECT_EQ(read(".1"), lines(2, 3, 1));
    EXPECT_FALSE(exists(".2"));
}

TEST_F(MeasurementFileOnDisk, FolderIsCreatedWhenTheFirstLineNeedsIt)
{
    files.failCreateDirectories(EROFS);
    EXPECT_FALSE(measures.append(line(2), true));
    expectFailure(file.parent_path(), EROFS);
    files.heal();
    EXPECT_TRUE(measures.retry());
    EXPECT_EQ(read(), line(2));
}

TEST_F(MeasurementFileOnDisk, DroppedLinesStillBeginTheirRun)
{
    measures.append(line(2, 1), true);
    files.failWrites(ENOSPC);
    measures.append(line(2, 2), true);
    measures.discardPending();
    EXPECT_EQ(measures.pendingLines(), 0u);
    EXPECT_FALSE(measures.lastFailure().has_value());
    files.heal();
    EXPECT_TRUE(measures.append(line(3, 2), false));
    EXPECT_EQ(read(), line(3, 2));
    EXPECT_EQ(read(".1"), line(2, 1));
}

// Failures the system itself gives, also to root.
struct RealFailure {
    const char* name;
    void (*arrange)(const path& root);
    const char* file;
    const char* failing;
    int errnoValue;
};

class MeasurementFileRealFailure : public ::testing::TestWithParam<RealFailure> {};

TEST_P(MeasurementFileRealFailure, IsReportedAndTheLineWaits)
{
    const RealFailure& row = GetParam();
    TempDir dir;
    row.arrange(dir.path());
    PosixFileSystem files;
    MeasurementFile measures(dir.path() / row.file, files);
    EXPECT_FALSE(measures.append(line(2), true));
    ASSERT_TRUE(measures.lastFailure().has_value());
    EXPECT_EQ(measures.lastFailure()->path, dir.path() / row.failing);
    EXPECT_EQ(measures.lastFailure()->code, std::error_code(row.errnoValue, std::generic_category()));

    std::filesystem::remove_all(dir.path() / path(row.file).begin()->string());
    EXPECT_TRUE(measures.retry());
    EXPECT_EQ(TempDir::read(dir.path() / row.file), line(2));
}

INSTANTIATE_TEST_SUITE_P(
    System, MeasurementFileRealFailure,
    ::testing::Values(
        RealFailure{"FolderWhereTheFileGoes",
                    [](const path& root) { std::filesystem::create_directories(root / "velmorixon/data.val"); },
                    "velmorixon/data.val", "velmorixon/data.val", EISDIR},
        RealFailure{"DataRootIsAFile", [](const path& root) { std::ofstream(root / "home") << "x"; },
                    "home/velmorixon/data.val", "home/velmorixon", ENOTDIR}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MeasurementFileKilled, LeavesOnlyWholeConsecutiveLines)
{
    TempDir dir;
    const path file = dir.path() / "velmorixon" / "data.val";
    int reports[2];
    ASSERT_EQ(::pipe(reports), 0);
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {  // writes as fast as it can and reports each line written
        ::close(reports[0]);
        PosixFileSystem files;
        MeasurementFile measures(file, files);
        for (int n = 2;; ++n) {
            const char done = '.';
            if (!measures.append(line(n), n == 2) || ::write(reports[1], &done, 1) != 1)
                ::_exit(1);
        }
    }
    ::close(reports[1]);
    constexpr long kReported = 100;
    long seen = 0;
    char buffer[64];
    while (seen < kReported) {
        const ssize_t n = ::read(reports[0], buffer, std::min<long>(sizeof buffer, kReported - seen));
        if (n == 0 || (n < 0 && errno != EINTR))
            break;
        seen += std::max<ssize_t>(n, 0);
    }
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    ::close(reports[0]);
    ASSERT_EQ(seen, kReported) << "the writer stopped by itself";

    const std::string content = TempDir::read(file);
    std::size_t at = 0;
    int n = 2;
    for (; at < content.size(); ++n) {
        const std::string expected = line(n);
        ASSERT_EQ(content.compare(at, expected.size(), expected), 0) << "line " << n << " at byte " << at;
        at += expected.size();
    }
    EXPECT_GE(n - 2, kReported);
}

}  // namespace
