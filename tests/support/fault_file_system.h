#pragma once
// A real file system (PosixFileSystem underneath) whose writes or renames fail on request, all
// of them until heal(), with a chosen errno, as a full disk, a read-only mount or a missing
// permission would. A failed operation touches nothing on disk.
// Tests that use it link velmorixon_platform (tests/platform, tests/ui).
#include <string>
#include <system_error>

#include "platform/posix_file_system.h"

class FaultFileSystem final : public FileSystem {
public:
    void failWrites(int errnoValue) { m_writeErrno = errnoValue; }
    void failRenames(int errnoValue) { m_renameErrno = errnoValue; }
    /// Every operation works again.
    void heal() { m_writeErrno = m_renameErrno = 0; }

    void createDirectory(const std::filesystem::path& dir) override { m_real.createDirectory(dir); }
    bool holdsData(const std::filesystem::path& file) override { return m_real.holdsData(file); }
    bool exists(const std::filesystem::path& file) override { return m_real.exists(file); }
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        fail(m_renameErrno, from), m_real.rename(from, to);
    }
    void writeDurably(const std::filesystem::path& file, std::string_view bytes, bool truncate) override
    {
        fail(m_writeErrno, file), m_real.writeDurably(file, bytes, truncate);
    }
    std::string readHead(const std::filesystem::path& file, std::size_t most) override { return m_real.readHead(file, most); }
    std::unique_ptr<WriterLock> lockForWriting(const std::filesystem::path& file, long& holder) override
    {
        return m_real.lockForWriting(file, holder);
    }

private:
    static void fail(int error, const std::filesystem::path& path)
    {
        if (error != 0) throw std::system_error(error, std::generic_category(), path.string());
    }

    PosixFileSystem m_real;
    int m_writeErrno = 0, m_renameErrno = 0;
};
