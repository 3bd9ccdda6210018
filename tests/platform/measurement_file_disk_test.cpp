// The day's file on a real disk: runs, earlier runs kept aside, one writer at a time, and
// failures that lose no line, write no part of one and make nothing where they happen.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "acquisition/companion_file.h"
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
    /// The last failure `m` said: where, the system's reason, the process writing the file, and
    /// whether the lock could not be taken.
    static void expectFailure(const MeasurementFile& m, const path& where, int errnoValue, std::optional<long> otherWriter = std::nullopt, bool lock = false)
    {
        ASSERT_TRUE(m.lastFailure().has_value());
        EXPECT_EQ(m.lastFailure()->path, where);
        EXPECT_EQ(m.lastFailure()->code, std::error_code(errnoValue, std::generic_category()));
        EXPECT_EQ(std::pair(m.lastFailure()->otherWriter, m.lastFailure()->lock), std::pair(otherWriter, lock));
    }

    TempDir dir;
    FaultFileSystem files;
    path file = (std::filesystem::create_directory(dir.path() / "home"), dir.path() / "home/velmorixon/data12-05-2026.val");
    MeasurementFile measures{file, files};
};

// One writer at a time, whatever is done to the folder while the first holds the day's file:
// each act takes the name a lock file once had (what is there goes, the act puts its own thing
// there), and the first's run stays whole, its lines and its companion's rows.
struct LockAttack {
    const char* name;
    std::function<void(const path& oldLockFile)> act;
    int firstLineLeft = 2;  // the first's earlier lines go when the folder goes
};

class LockAttacks : public MeasurementFileOnDisk, public ::testing::WithParamInterface<LockAttack> {};

TEST_P(LockAttacks, LeaveTheDaysFileToItsWriterUntilItsLastLineIsInAndTouchNothingTheyLeft)
{
    // begun at 10 s, at 1 s from its second line on
    const std::string rows = "2026-12-05T09:59:52+01:00;debut;2;Chelles;48.8800;2.6000;10;/dev/parport0;1.0.0\r\n"
                             "2026-12-05T10:00:02+01:00;periode;3;Chelles;48.8800;2.6000;1;/dev/parport0;1.0.0\r\n";
    acquisition::CompanionFile companion(file, files);
    measures.setCompanion(&companion);
    for (const auto& event : acquisition::readCompanion(rows).events)
        companion.record(event);
    ASSERT_TRUE(measures.append(line(2, 1), true));
    const path oldLock = file.parent_path() / ".data12-05-2026.val.lock";
    // What lies there: its kind, and the bytes of a file there or where a link there leads.
    const auto leftAt = [&] { return std::pair(std::filesystem::symlink_status(oldLock).type(), std::filesystem::is_regular_file(oldLock) ? TempDir::read(oldLock) : ""); };
    TempDir::append(dir.path() / "home/notes.txt", "mes notes\n");
    std::filesystem::remove(oldLock);
    GetParam().act(oldLock);
    const auto left = leftAt();
    files.failWrites(ENOSPC);
    EXPECT_FALSE(measures.append(line(3, 1), false));
    measures.runEnded();  // its run is over, but a line of it waits
    files.heal();
    std::filesystem::create_directory_symlink(dir.path() / "home", dir.path() / "maison");
    MeasurementFile second(dir.path() / "maison/velmorixon" / file.filename(), files);  // the folder reached another way
    EXPECT_FALSE(second.append(line(2, 2), true));
    expectFailure(second, second.path(), EBUSY, ::getpid());
    EXPECT_TRUE(measures.retry());
    EXPECT_TRUE(second.retry()) << "the first let the file go with its last line";
    EXPECT_EQ(read(".1") + TempDir::read(companion.path()) + read(), lines(GetParam().firstLineLeft, 3, 1) + acquisition::companionHeader() + rows + line(2, 2));
    EXPECT_EQ(leftAt(), left) << "nothing opened or made at the lock file's old name";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LockAttacks,
    ::testing::Values(LockAttack{"TheLockFileRemoved", [](const path&) {}},
                      LockAttack{"TheFolderRemovedAndMadeAgain", [](const path& at) { std::filesystem::remove_all(at.parent_path()); }, 3},
                      LockAttack{"TheLockFileReplacedByARename", [](const path& at) { std::filesystem::rename(at.parent_path().parent_path() / "notes.txt", at); }},
                      LockAttack{"ALinkToAUsersFileInTheLocksPlace", [](const path& at) { std::filesystem::create_symlink(at.parent_path().parent_path() / "notes.txt", at); }},
                      LockAttack{"AFolderInTheLocksPlace", [](const path& at) { std::filesystem::create_directory(at); }}),
    [](const auto& info) { return std::string(info.param.name); });

// Failures the system itself gives, also to root: the line waits, nothing is made or written,
// then it goes in once and whole. Each row makes its failure and says where it is reported.
rlimit g_limit{};  // a limit as the test found it

// Each row: its failure, what makes it (giving where it is said) and, unless the row says
// otherwise, its cure: what the cause made is removed; a failure of the writer's lock is said so.
struct SystemFailure {
    const char* name;
    int errnoValue;
    std::function<path(const path& file)> cause;
    std::function<void(const path& said)> cure = [](const path& said) { std::filesystem::remove(said); };
    bool lock = false;
};

class SystemFailures : public MeasurementFileOnDisk, public ::testing::WithParamInterface<SystemFailure> {};

TEST_P(SystemFailures, KeepTheLineUntilItGoesInWholeAndMakeNothing)
{
    const path said = GetParam().cause(file);
    if (GetParam().lock) files.failLocks(GetParam().errnoValue);
    const auto made = std::filesystem::status(said).type();
    ::alarm(5);  // a write that never returns ends the test instead of hanging the suite
    EXPECT_FALSE(measures.append(line(2), true));
    ::alarm(0);
    expectFailure(measures, said, GetParam().errnoValue, std::nullopt, GetParam().lock);
    EXPECT_EQ(std::filesystem::status(said).type(), made) << "nothing made where it failed";
    EXPECT_EQ(std::filesystem::is_regular_file(file) ? read() : "", "") << "never part of a line";
    EXPECT_EQ(measures.pendingLines(), 1u);
    GetParam().cure(said);
    files.heal();
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
                      [](const path&) { ::setrlimit(RLIMIT_FSIZE, &g_limit); }},
        // No descriptor left for the lock's socket: the lock cannot be taken.
        SystemFailure{"NoDescriptorLeftForTheLock", EMFILE, [](const path& f) { return f; }, [](const path&) {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MeasurementFileOnDisk, ANewFileIsFlushedAfterItsBytesThenInItsFolderAndAnExistingOneAlone)
{
    std::string flushes;  // what each flush saw: a file's size, or the folder
    PosixFileSystem watched([&](int fd) {
        struct stat st {};
        ::fstat(fd, &st);
        flushes += S_ISDIR(st.st_mode) ? "folder " : std::to_string(st.st_size) + " ";
        return ::fsync(fd);
    });
    watched.writeDurably(dir.path() / "data12-05-2026.val", line(2), true);
    watched.writeDurably(dir.path() / "data12-05-2026.val", line(3), false);
    EXPECT_EQ(flushes, std::to_string(line(2).size()) + " folder " + std::to_string(lines(2, 3).size()) + " ");
}

}  // namespace
