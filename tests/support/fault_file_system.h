#pragma once
// A real file system (PosixFileSystem underneath) whose writes or renames fail on request, the
// next N of them or all until heal(), with a chosen errno, as a full disk, a read-only mount or a
// missing permission would. A failed operation touches nothing on disk.
// Tests that use it link velmorixon_platform (tests/platform, tests/ui).
#include <array>
#include <cstddef>
#include <limits>
#include <string>
#include <system_error>

#include "platform/posix_file_system.h"

class FaultFileSystem final : public FileSystem {
public:
    static constexpr std::size_t kForever = std::numeric_limits<std::size_t>::max();

    void failWrites(int errnoValue, std::size_t times = kForever) { m_faults[kWrite] = {errnoValue, times}; }
    void failRenames(int errnoValue, std::size_t times = kForever) { m_faults[kRename] = {errnoValue, times}; }
    /// Every operation works again.
    void heal() { m_faults = {}; }
    /// Renames tried so far, failed ones included.
    std::size_t renames() const { return m_renames; }

    void createDirectory(const std::filesystem::path& dir) override { m_real.createDirectory(dir); }
    bool holdsData(const std::filesystem::path& file) override { return m_real.holdsData(file); }
    bool exists(const std::filesystem::path& file) override { return m_real.exists(file); }
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        ++m_renames;
        enter(kRename, "rename", from);
        m_real.rename(from, to);
    }
    void writeDurably(const std::filesystem::path& file, std::string_view bytes, bool truncate) override
    {
        enter(kWrite, "write", file);
        m_real.writeDurably(file, bytes, truncate);
    }
    std::string readHead(const std::filesystem::path& file, std::size_t maxBytes) override
    {
        return m_real.readHead(file, maxBytes);
    }
    std::unique_ptr<WriterLock> lockForWriting(const std::filesystem::path& file, long& holder) override
    {
        return m_real.lockForWriting(file, holder);
    }

private:
    enum Kind { kRename, kWrite, kKinds };
    struct Fault {
        int errnoValue = 0;
        std::size_t remaining = 0;
    };

    void enter(Kind kind, const char* what, const std::filesystem::path& path)
    {
        Fault& fault = m_faults[kind];
        if (fault.remaining == 0)
            return;
        if (fault.remaining != kForever)
            --fault.remaining;
        throw std::system_error(fault.errnoValue, std::generic_category(), what + (" " + path.string()));
    }

    PosixFileSystem m_real;
    std::array<Fault, kKinds> m_faults{};
    std::size_t m_renames = 0;
};
