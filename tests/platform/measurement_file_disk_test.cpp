// The day's file on a real disk: runs, earlier runs kept aside, failures that lose nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <functional>
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

/// The last failure `measures` said: where, and the system's reason.
void expectFailure(const MeasurementFile& measures, const path& where, int errnoValue)
{
    ASSERT_TRUE(measures.lastFailure().has_value());
    EXPECT_EQ(measures.lastFailure()->path, where);
    EXPECT_EQ(measures.lastFailure()->code, std::error_code(errnoValue, std::generic_category()));
}

class MeasurementFileOnDisk : public ::testing::Test {
protected:
    std::string read(const char* suffix = "") const { return TempDir::read(file.string() + suffix); }

    TempDir dir;
    FaultFileSystem files;
    path file = (std::filesystem::create_directory(dir.path() / "home"), dir.path() / "home" / "velmorixon" / "data12-05-2026.val");
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
    expectFailure(measures, file, ENOSPC);
    EXPECT_EQ(read(), line(2, 1));

    files.heal();
    EXPECT_TRUE(measures.append(line(4, 2), false));
    EXPECT_EQ(read(".1"), lines(2, 3, 1));
    EXPECT_EQ(read(), lines(2, 4, 2));
    EXPECT_EQ(measures.pendingLines(), 0u);
    EXPECT_FALSE(measures.lastFailure().has_value());
}

TEST_F(MeasurementFileOnDisk, FailedRotationKeepsTheEarlierRunAlsoWhenTheNewLineIsDropped)
{
    measures.append(line(2, 1), true);
    measures.append(line(3, 1), false);
    files.failRenames(EACCES);
    EXPECT_FALSE(measures.append(line(2, 2), true));
    expectFailure(measures, file, EACCES);
    EXPECT_EQ(read(), lines(2, 3, 1));

    measures.discardPending();  // the user lets the waiting line go
    EXPECT_EQ(measures.pendingLines(), 0u);
    EXPECT_FALSE(measures.lastFailure().has_value());
    files.heal();
    EXPECT_TRUE(measures.append(line(3, 2), false));  // now the first line of the run on disk
    EXPECT_EQ(read(".1"), lines(2, 3, 1));
    EXPECT_EQ(read(), line(3, 2));
}

// Failures the system itself gives, also to root: the line waits, nothing is made or written,
// then it goes in once and whole. Each row makes its failure and says where it is reported.
rlimit g_limit{};  // the file-size limit as the test found it

struct SystemFailure {
    const char* name;
    int errnoValue;
    std::function<path(const path& file)> cause;
    // unless a row says otherwise, what the cause made is removed
    std::function<void(const path& said)> cure = [](const path& said) { std::filesystem::remove(said); };
};

class SystemFailures : public MeasurementFileOnDisk, public ::testing::WithParamInterface<SystemFailure> {};

TEST_P(SystemFailures, KeepTheLineUntilItGoesInWholeAndMakeNothing)
{
    const path said = GetParam().cause(file);
    const auto made = std::filesystem::status(said).type();
    EXPECT_FALSE(measures.append(line(2), true));
    expectFailure(measures, said, GetParam().errnoValue);
    EXPECT_EQ(std::filesystem::status(said).type(), made) << "nothing made where it failed";
    EXPECT_EQ(std::filesystem::is_regular_file(file) ? read() : "", "") << "never part of a line";
    EXPECT_EQ(measures.pendingLines(), 1u);
    GetParam().cure(said);
    EXPECT_TRUE(measures.append(line(3), false));
    EXPECT_EQ(read(), lines(2, 3));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SystemFailures,
    ::testing::Values(
        SystemFailure{"AFileWhereTheFolderGoes", ENOTDIR,
                      [](const path& f) { return std::ofstream(f.parent_path()) << "x", f.parent_path(); }},
        SystemFailure{"AFolderWhereTheFileGoes", EISDIR,
                      [](const path& f) { return std::filesystem::create_directories(f.parent_path() / f.filename()), f; }},
        SystemFailure{"AMissingHome", ENOENT,
                      [](const path& f) { return std::filesystem::remove(f.parent_path().parent_path()), f.parent_path().parent_path(); },
                      [](const path& said) { std::filesystem::create_directory(said); }},
        // The file-size limit stops the write part-way with EFBIG, as a full disk would.
        SystemFailure{"AFileSizeLimit", EFBIG,
                      [](const path& f) {
                          std::filesystem::create_directories(f.parent_path());
                          std::ofstream{f};
                          ::signal(SIGXFSZ, SIG_IGN);
                          ::getrlimit(RLIMIT_FSIZE, &g_limit);
                          const rlimit lowered{8, g_limit.rlim_max};
                          ::setrlimit(RLIMIT_FSIZE, &lowered);
                          return f;
                      },
                      [](const path&) {
                          ::setrlimit(RLIMIT_FSIZE, &g_limit);
                          ::signal(SIGXFSZ, SIG_DFL);
                      }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MeasurementFileOnDisk, ARelativeHomeIsRefusedAndNothingIsWrittenInTheCurrentFolder)
{
    const path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    MeasurementFile relative(path("~") / "velmorixon" / "data12-05-2026.val", files);
    std::filesystem::create_directory("~");  // even a folder of that name in the current folder
    EXPECT_FALSE(relative.append(line(2), true));
    const bool madeFolder = std::filesystem::exists("~/velmorixon");
    std::filesystem::current_path(before);
    EXPECT_FALSE(madeFolder);
    expectFailure(relative, path("~"), ENOENT);
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

TEST(DurableWrite, EveryLineIsFlushedToDiskAfterItsBytesAndANewFileAlsoInItsFolder)
{
    TempDir dir;
    std::vector<std::string> flushes;  // what each flush saw: the folder, or a file and its size then
    int failWith = 0;
    PosixFileSystem files([&](int fd) {
        struct stat st {}, folder {};
        ::fstat(fd, &st);
        ::stat(dir.path().c_str(), &folder);
        flushes.push_back(st.st_ino == folder.st_ino ? "folder" : S_ISREG(st.st_mode) ? "file " + std::to_string(st.st_size) : "?");
        if (failWith != 0) return errno = failWith, -1;
        return ::fsync(fd);
    });
    const path file = dir.path() / "data12-05-2026.val";
    files.writeDurably(file, line(2), true);   // a new file: the file once written, then its folder
    files.writeDurably(file, line(3), false);  // an existing file: the file alone
    files.rename(file, file.string() + ".1");  // the new name is flushed with its folder
    EXPECT_EQ(flushes, (std::vector<std::string>{"file " + std::to_string(line(2).size()), "folder",
                                                 "file " + std::to_string(lines(2, 3).size()), "folder"}));

    failWith = EIO;  // a flush that fails undoes the write and says so
    EXPECT_THAT([&] { files.writeDurably(file.string() + ".1", line(4), false); },
                testing::Throws<std::system_error>(testing::AllOf(
                    testing::Property(&std::system_error::code, std::error_code(EIO, std::generic_category())),
                    testing::Property(&std::system_error::what, testing::StartsWith("fsync ")))));
    EXPECT_EQ(TempDir::read(file.string() + ".1"), lines(2, 3));
}

}  // namespace
