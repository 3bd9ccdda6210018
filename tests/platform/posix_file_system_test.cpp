// A write the system cuts short leaves the file as it was: never half a line.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace {

// Lowers the file-size limit of this process, so that a write stops part-way with EFBIG as it
// would on a full disk; put back when the test ends.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int);
};

TEST(PosixFileSystem, CutShortWriteIsUndone)
{
    TempDir dir;
    const auto file = dir.path() / "data.val";
    PosixFileSystem files;
    files.writeDurably(file, " 2, 10,10:00:00\r\n", true);
    const std::string before = TempDir::read(file);
    {
        FileSizeLimit limit(before.size() + 8);  // room for 8 bytes of the next line only
        try {
            files.writeDurably(file, " 3, 11,10:00:01\r\n", false);
            FAIL() << "the write went past the size limit";
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code(), std::errc::file_too_large);
            EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos);
        }
        EXPECT_EQ(TempDir::read(file), before);
    }
    files.writeDurably(file, " 3, 11,10:00:01\r\n", false);
    EXPECT_EQ(TempDir::read(file), before + " 3, 11,10:00:01\r\n");
    files.writeDurably(file, " 2, 12,11:00:00\r\n", true);
    EXPECT_EQ(TempDir::read(file), " 2, 12,11:00:00\r\n");
}

}  // namespace
