#pragma once
// The few file operations the measurement file needs, behind an interface so that tests can
// inject a full disk or a read-only file system. Every failure throws std::system_error
// carrying the errno value.
#include <filesystem>
#include <string_view>

class FileSystem {
public:
    virtual ~FileSystem() = default;
    /// Creates the folder when missing. Its parent must exist: a missing one fails with ENOENT
    /// and is never made. Something other than a folder in its place fails with ENOTDIR.
    virtual void createDirectory(const std::filesystem::path& dir) = 0;
    /// True when a file exists at `file` and holds at least one byte.
    virtual bool holdsData(const std::filesystem::path& file) = 0;
    virtual bool exists(const std::filesystem::path& file) = 0;
    virtual void rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    /// Opens `file` (created when missing; emptied first when `truncate`), writes all of
    /// `bytes` at its end, flushes to stable storage (fsync) and closes it.
    virtual void writeDurably(const std::filesystem::path& file, std::string_view bytes,
                              bool truncate) = 0;
};
