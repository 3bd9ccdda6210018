#pragma once
// A real file system (PosixFileSystem underneath) whose writes fail on request, all of them until
// heal(), with a chosen errno, as a full disk, a read-only mount or a missing permission would.
// A failed write touches nothing on disk.
// Tests that use it link velmorixon_platform (tests/platform, tests/ui).
#include <string>
#include <system_error>

#include "platform/posix_file_system.h"

class FaultFileSystem final : public FileSystem {
public:
    void failWrites(int errnoValue) { m_writeErrno = errnoValue; }
    /// The writer's lock cannot be taken (out of descriptors, say), as the system would refuse it.
    void failLocks(int errnoValue) { m_lockErrno = errnoValue; }
    /// Every operation works again.
    void heal() { m_writeErrno = m_lockErrno = 0; }

    void createDirectory(const std::filesystem::path& dir) override { m_real.createDirectory(dir); }
    bool holdsData(const std::filesystem::path& file) override { return m_real.holdsData(file); }
    bool exists(const std::filesystem::path& file) override { return m_real.exists(file); }
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override { m_real.rename(from, to); }
    void writeDurably(const std::filesystem::path& file, std::string_view bytes, bool truncate) override
    {
        if (m_writeErrno != 0) throw std::system_error(m_writeErrno, std::generic_category(), file.string());
        m_real.writeDurably(file, bytes, truncate);
    }
    std::string readHead(const std::filesystem::path& file, std::size_t most) override { return m_real.readHead(file, most); }
    std::unique_ptr<WriterLock> lockForWriting(const std::filesystem::path& f, long& holder) override
    {
        if (m_lockErrno != 0) throw std::system_error(m_lockErrno, std::generic_category(), "socket " + f.string());
        return m_real.lockForWriting(f, holder);
    }

private:
    PosixFileSystem m_real;
    int m_writeErrno = 0, m_lockErrno = 0;
};
