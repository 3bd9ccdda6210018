#pragma once
// The few file operations the measurement file needs, behind an interface so that tests can
// inject a full disk, a read-only file system or a program stopped between two steps. Every
// failure throws std::system_error carrying the errno value.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

class FileSystem {
public:
    /// The right to write one file, held until the object goes or its process ends, however
    /// it ends (the kernel lets go of a killed process's lock).
    class WriterLock {
    public:
        virtual ~WriterLock() = default;
    };

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
    /// At most `maxBytes` from the start of `file`; "" when it does not exist.
    virtual std::string readHead(const std::filesystem::path& file, std::size_t maxBytes) = 0;
    /// The exclusive right to write `file` (its folder must exist), whichever path reaches it.
    /// Nothing in the folder stands for it: no file is opened or made for it, and removing,
    /// replacing or linking any file, or the folder itself, cannot take it away. When another
    /// process holds it: nullptr, and `holder` is that process's id (0 when it cannot be told).
    /// Any other reason it cannot be taken throws.
    virtual std::unique_ptr<WriterLock> lockForWriting(const std::filesystem::path& file,
                                                       long& holder) = 0;
};
