// The day's file on a real disk: runs, earlier runs kept aside, one writer at a time, and
// failures that lose no line, write no part of one and make nothing where they happen.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "acquisition/measurement_file.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

namespace {

using acquisition::MeasurementFile;
using std::filesystem::path;

/// Line `n` of run `run`: the reading tells the runs apart.
std::string line(int n, int run = 0) { return acquisition::dataLine(n, run * 1000 + n, std::chrono::hh_mm_ss(std::chrono::seconds(36000 + n))); }

std::string lines(int first, int last, int run = 0) { return first > last ? "" : line(first, run) + lines(first + 1, last, run); }

class MeasurementFileOnDisk : public ::testing::Test {
protected:
    std::string read(const char* suffix = "") const { return TempDir::read(file.string() + suffix); }
    /// The last failure `m` said: where, and the system's reason.
    static void expectFailure(const MeasurementFile& m, const path& where, int errnoValue)
    {
        ASSERT_TRUE(m.lastFailure().has_value());
        EXPECT_EQ(m.lastFailure()->path, where);
        EXPECT_EQ(m.lastFailure()->code, std::error_code(errnoValue, std::generic_category()));
    }

    TempDir dir;
    FaultFileSystem files;
    path file = (std::filesystem::create_directory(dir.path() / "home"), dir.path() / "home/velmorixon/data12-05-2026.val");
    MeasurementFile measures{file, files};
};

TEST_F(MeasurementFileOnDisk, OneWriterAtATimeAlsoWhileAFullDiskKeepsItsLinesWaiting)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream{file};  // an empty day file (a first line the disk refused) holds no run to keep
    measures.append(line(2, 1), true);
    files.failWrites(ENOSPC);
    EXPECT_FALSE(measures.append(line(3, 1), false));
    expectFailure(measures, file, ENOSPC);
    MeasurementFile second(file, files);  // a second instance on the same day
    EXPECT_FALSE(second.append(line(2, 2), true));
    expectFailure(second, file, EBUSY);
    EXPECT_EQ(second.lastFailure()->otherWriter, ::getpid()) << "the first writer's process";
    files.heal();
    EXPECT_FALSE(second.retry()) << "the first still holds the file";
    EXPECT_TRUE(measures.retry());
    EXPECT_EQ(read(), lines(2, 3, 1));
    measures.runEnded();  // the first stops: the second writes, the first run kept aside
    EXPECT_TRUE(second.retry());
    EXPECT_EQ(read(".1"), lines(2, 3, 1));
    EXPECT_EQ(read(), line(2, 2));
}

// Failures the system itself gives, also to root: the line waits, nothing is made or written,
// then it goes in once and whole. Each row makes its failure and says where it is reported.
rlimit g_limit{};  // the file-size limit as the test found it

// Each row: its failure, what makes it (giving where it is said) and, unless the row says
// otherwise, its cure: what the cause made is removed.
struct SystemFailure {
    const char* name;
    int errnoValue;
    std::function<path(const path& file)> cause;
    std::function<void(const path& said)> cure = [](const path& said) { std::filesystem::remove(said); };
};

class SystemFailures : public MeasurementFileOnDisk, public ::testing::WithParamInterface<SystemFailure> {};

TEST_P(SystemFailures, KeepTheLineUntilItGoesInWholeAndMakeNothing)
{
    const path said = GetParam().cause(file);
    const auto made = std::filesystem::status(said).type();
    ::alarm(5);  // a write that never returns ends the test instead of hanging the suite
    EXPECT_FALSE(measures.append(line(2), true));
    ::alarm(0);
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
                      [](const path& f) {
                          std::ofstream(f.parent_path()) << "x";
                          return f.parent_path();
                      }},
        SystemFailure{"AFolderWhereTheFileGoes", EISDIR,
                      [](const path& f) {
                          std::filesystem::create_directories(f.parent_path() / f.filename());
                          return f;
                      }},
        SystemFailure{"AMissingHome", ENOENT,
                      [](const path& f) {
                          std::filesystem::remove(f.parent_path().parent_path());
                          return f.parent_path().parent_path();
                      },
                      [](const path& said) { std::filesystem::create_directory(said); }},
        // The day file is a link into a folder that is not there (a disk not mounted): the write
        // fails; once the folder is there the lines go where the link leads.
        SystemFailure{"ALinkIntoAMissingFolder", ENOENT,
                      [](const path& f) {
                          std::filesystem::create_directories(f.parent_path());
                          std::filesystem::create_symlink(f.parent_path() / "disk/day.val", f);
                          return f;
                      },
                      [](const path& f) { std::filesystem::create_directory(f.parent_path() / "disk"); }},
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
                      [](const path&) { ::setrlimit(RLIMIT_FSIZE, &g_limit); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DurableWrite, ANewFileIsFlushedAfterItsBytesThenInItsFolderAndAnExistingOneAlone)
{
    const TempDir dir;
    std::string flushes;  // what each flush saw: a file's size, or the folder
    PosixFileSystem files([&](int fd) {
        struct stat st {};
        ::fstat(fd, &st);
        flushes += S_ISDIR(st.st_mode) ? "folder " : std::to_string(st.st_size) + " ";
        return ::fsync(fd);
    });
    files.writeDurably(dir.path() / "data12-05-2026.val", line(2), true);
    files.writeDurably(dir.path() / "data12-05-2026.val", line(3), false);
    EXPECT_EQ(flushes, std::to_string(line(2).size()) + " folder " + std::to_string(lines(2, 3).size()) + " ");
}

}  // namespace
