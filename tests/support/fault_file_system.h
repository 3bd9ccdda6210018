#pragma once
// A real file system (PosixFileSystem underneath) that fails on request: the next N operations
// of a kind, or all of them from now on, with a chosen errno, as a full disk, a read-only mount
// or a missing permission would. A failed operation touches nothing on disk. Counts every call.
// Tests that use it link velmorixon_platform (tests/platform, tests/ui).
#include <array>
#include <cerrno>
#include <cstddef>
#include <limits>
#include <string>
#include <system_error>

#include "platform/file_system.h"

class FaultFileSystem final : public FileSystem {
public:
    enum class Op : std::size_t { CreateDirectories, HoldsData, Exists, Rename, Write, Count };

    /// Fails the next `times` operations of kind `op` with `errnoValue`.
    void failNext(Op op, int errnoValue, std::size_t times = 1)
    {
        m_faults[index(op)] = Fault{errnoValue, times};
    }
    /// Fails every operation of kind `op` from now on, until heal().
    void failAll(Op op, int errnoValue) { failNext(op, errnoValue, kForever); }

    void failWrites(int errnoValue, std::size_t times = kForever) { failNext(Op::Write, errnoValue, times); }
    void failRenames(int errnoValue, std::size_t times = kForever) { failNext(Op::Rename, errnoValue, times); }
    void failCreateDirectories(int errnoValue, std::size_t times = kForever)
    {
        failNext(Op::CreateDirectories, errnoValue, times);
    }
    /// Every operation works again.
    void heal() { m_faults = {}; }

    /// Calls of kind `op` so far, failed ones included.
    std::size_t calls(Op op) const { return m_calls[index(op)]; }
    std::size_t writes() const { return calls(Op::Write); }
    std::size_t renames() const { return calls(Op::Rename); }

    void createDirectories(const std::filesystem::path& dir) override
    {
        enter(Op::CreateDirectories, "mkdir", dir);
        m_real.createDirectories(dir);
    }
    bool holdsData(const std::filesystem::path& file) override
    {
        enter(Op::HoldsData, "stat", file);
        return m_real.holdsData(file);
    }
    bool exists(const std::filesystem::path& file) override
    {
        enter(Op::Exists, "stat", file);
        return m_real.exists(file);
    }
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        enter(Op::Rename, "rename", from);
        m_real.rename(from, to);
    }
    void writeDurably(const std::filesystem::path& file, std::string_view bytes, bool truncate) override
    {
        enter(Op::Write, "write", file);
        m_real.writeDurably(file, bytes, truncate);
    }

    static constexpr std::size_t kForever = std::numeric_limits<std::size_t>::max();

private:
    struct Fault {
        int errnoValue = 0;
        std::size_t remaining = 0;
    };

    static constexpr std::size_t kOps = static_cast<std::size_t>(Op::Count);
    static std::size_t index(Op op) { return static_cast<std::size_t>(op); }

    void enter(Op op, const char* what, const std::filesystem::path& path)
    {
        ++m_calls[index(op)];
        Fault& fault = m_faults[index(op)];
        if (fault.remaining == 0)
            return;
        if (fault.remaining != kForever)
            --fault.remaining;
        throw std::system_error(fault.errnoValue, std::generic_category(),
                                std::string(what) + " " + path.string());
    }

    PosixFileSystem m_real;
    std::array<Fault, kOps> m_faults{};
    std::array<std::size_t, kOps> m_calls{};
};
