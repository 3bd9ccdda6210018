#pragma once
// The measurement file's operations on the real file system.
#include "platform/file_system.h"

/// POSIX open / write / fsync / close; every durable write is flushed to stable storage.
class PosixFileSystem final : public FileSystem {
public:
    void createDirectory(const std::filesystem::path& dir) override;
    bool holdsData(const std::filesystem::path& file) override;
    bool exists(const std::filesystem::path& file) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void writeDurably(const std::filesystem::path& file, std::string_view bytes,
                      bool truncate) override;
};
