// The day's file on a real disk: runs, earlier runs kept aside, failures that lose nothing.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <vector>

#include "acquisition/measurement_file.h"
#include "platform/posix_file_system.h"
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

TEST_F(MeasurementFileOnDisk, FullDiskKeepsLinesAndWritesThemInOrderAcrossARunBoundary)
{
    measures.append(line(2, 1), true);
    files.failWrites(ENOSPC);
    EXPECT_FALSE(measures.append(line(3, 1), false));
    EXPECT_FALSE(measures.append(line(2, 2), true));  // stop, start
    EXPECT_FALSE(measures.append(line(3, 2), false));
    EXPECT_FALSE(measures.retry());
    EXPECT_EQ(measures.pendingLines(), 3u);
    expectFailure(file, ENOSPC);
    EXPECT_EQ(read(), line(2, 1));

    files.heal();
    EXPECT_TRUE(measures.append(line(4, 2), false));
    EXPECT_EQ(read(".1"), lines(2, 3, 1));
    EXPECT_EQ(read(), lines(2, 4, 2));
    EXPECT_EQ(files.renames(), 1u);
    EXPECT_EQ(measures.pendingLines(), 0u);
    EXPECT_FALSE(measures.lastFailure().has_value());
}

TEST_F(MeasurementFileOnDisk, FailedRotationKeepsTheEarlierRunAlsoWhenTheNewLineIsDropped)
{
    measures.append(line(2, 1), true);
    measures.append(line(3, 1), false);
    files.failRenames(EACCES);
    EXPECT_FALSE(measures.append(line(2, 2), true));
    expectFailure(file, EACCES);
    EXPECT_EQ(read(), lines(2, 3, 1));

    measures.discardPending();  // the user lets the waiting line go
    EXPECT_EQ(measures.pendingLines(), 0u);
    EXPECT_FALSE(measures.lastFailure().has_value());
    files.heal();
    EXPECT_TRUE(measures.append(line(3, 2), false));  // now the first line of the run on disk
    EXPECT_EQ(read(".1"), lines(2, 3, 1));
    EXPECT_EQ(read(), line(3, 2));
}

// Failures the system itself gives, also to root: the line waits, then goes in once and whole.
TEST_F(MeasurementFileOnDisk, SystemFailuresKeepTheLineUntilItGoesInWhole)
{
    const path folder = file.parent_path();
    std::ofstream(folder) << "x";  // a file where the folder goes
    EXPECT_FALSE(measures.append(line(2), true));
    expectFailure(folder, ENOTDIR);
    std::filesystem::remove(folder);
    std::filesystem::create_directories(file);  // a folder where the file goes
    EXPECT_FALSE(measures.retry());
    expectFailure(file, EISDIR);
    std::filesystem::remove(file);
    EXPECT_TRUE(measures.retry());

    // The file-size limit stops the next write part-way with EFBIG, as a full disk would.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit lowered{line(2).size() + 8, saved.rlim_max};
    const sighandler_t handler = ::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &lowered);
    const bool written = measures.append(line(3), false);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, handler);
    EXPECT_FALSE(written);
    expectFailure(file, EFBIG);
    EXPECT_EQ(read(), line(2)) << "never part of a line";
    EXPECT_TRUE(measures.retry());
    EXPECT_EQ(read(), lines(2, 3));
}

TEST_F(MeasurementFileOnDisk, KilledWriterLeavesOnlyWholeConsecutiveLines)
{
    int reports[2];
    ASSERT_EQ(::pipe(reports), 0);
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {  // writes as fast as it can and reports each line written
        for (int n = 2;; ++n)
            if (!measures.append(line(n), n == 2) || ::write(reports[1], "+", 1) != 1)
                ::_exit(1);
    }
    ::close(reports[1]);
    constexpr int kReported = 100;
    int seen = 0;
    for (char done; seen < kReported && ::read(reports[0], &done, 1) == 1;)
        ++seen;
    EXPECT_FALSE(measures.append(line(2, 1), true)) << "one writer per file";
    EXPECT_EQ(measures.lastFailure()->otherWriter, writer);
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    ::close(reports[0]);
    ASSERT_EQ(seen, kReported) << "the writer stopped by itself";
    EXPECT_TRUE(measures.retry()) << "a killed writer's lock does not block the next";

    const std::string content = read(".1");
    std::size_t at = 0;
    int n = 2;
    for (; at < content.size(); at += line(n++).size())
        ASSERT_EQ(content.compare(at, line(n).size(), line(n)), 0) << "line " << n << " at byte " << at;
    EXPECT_GE(n - 2, kReported);
}

}  // namespace

namespace {

// What each flush saw: the descriptor's file and its size at that moment.
struct Flush {
    ino_t inode;
    bool folder;
    off_t size;
};

TEST(DurableWrite, EveryLineIsFlushedToDiskAfterItsBytesAndANewFileAlsoInItsFolder)
{
    TempDir dir;
    std::vector<Flush> flushes;
    int failWith = 0;
    PosixFileSystem files([&](int fd) {
        struct stat st {};
        ::fstat(fd, &st);
        flushes.push_back({st.st_ino, S_ISDIR(st.st_mode), st.st_size});
        if (failWith != 0) {
            errno = failWith;
            return -1;
        }
        return ::fsync(fd);
    });
    const path file = dir.path() / "data12-05-2026.val";
    const auto inode = [](const path& p) {
        struct stat st {};
        ::stat(p.c_str(), &st);
        return st.st_ino;
    };

    files.writeDurably(file, line(2), true);  // a new file: the file, then its folder
    ASSERT_EQ(flushes.size(), 2u);
    EXPECT_EQ(flushes[0].inode, inode(file));
    EXPECT_EQ(flushes[0].size, static_cast<off_t>(line(2).size())) << "flushed once written";
    EXPECT_TRUE(flushes[1].folder);
    EXPECT_EQ(flushes[1].inode, inode(dir.path()));

    files.writeDurably(file, line(3), false);  // an existing file: the file alone
    ASSERT_EQ(flushes.size(), 3u);
    EXPECT_EQ(flushes[2].inode, inode(file));
    EXPECT_EQ(flushes[2].size, static_cast<off_t>(lines(2, 3).size()));

    files.rename(file, file.string() + ".1");  // the new name is flushed with its folder
    ASSERT_EQ(flushes.size(), 4u);
    EXPECT_TRUE(flushes[3].folder);

    failWith = EIO;  // a flush that fails undoes the write and says so
    try {
        files.writeDurably(file.string() + ".1", line(4), false);
        ADD_FAILURE() << "a failed flush was reported as written";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), EIO);
        EXPECT_EQ(std::string(e.what()).substr(0, 6), "fsync ");
    }
    EXPECT_EQ(TempDir::read(file.string() + ".1"), lines(2, 3));
}

}  // namespace
