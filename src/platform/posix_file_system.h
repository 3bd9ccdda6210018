#pragma once
// The measurement file's operations on the real file system.
#include <unistd.h>

#include <functional>

#include "platform/file_system.h"

/// POSIX open / write / fsync / close; every durable write is flushed to stable storage.
class PosixFileSystem final : public FileSystem {
public:
    /// Flushes one open descriptor to stable storage; 0 or -1 with errno, as fsync(2).
    using Sync = std::function<int(int fd)>;

    /// `sync` is fsync(2) unless a test watches the flushes.
    explicit PosixFileSystem(Sync sync = ::fsync);

    void createDirectory(const std::filesystem::path& dir) override;
    bool holdsData(const std::filesystem::path& file) override;
    bool exists(const std::filesystem::path& file) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void writeDurably(const std::filesystem::path& file, std::string_view bytes,
                      bool truncate) override;
    std::string readHead(const std::filesystem::path& file, std::size_t maxBytes) override;
    std::unique_ptr<WriterLock> lockForWriting(const std::filesystem::path& file, long& holder) override;

private:
    void syncDirectory(const std::filesystem::path& dir) const;

    Sync m_sync;
};
