#pragma once
// Files held in memory, for the Qt-free tests: writes can be made to fail on request, as a full
// disk would, and a failed write leaves the files as they were. The program can be stopped
// after any number of changes, as a kill -9 would stop it, and started again.
#include <cerrno>
#include <filesystem>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <system_error>

#include "platform/file_system.h"

class MemoryFileSystem final : public FileSystem {
public:
    /// Writes to files whose name ends with `suffix` (every file by default) fail with
    /// `errnoValue` until heal().
    void failWrites(int errnoValue, std::string suffix = "") { m_failing = {std::move(suffix), errnoValue}; }
    void heal() { m_failing = {}; }
    /// The program stops after `changes` more changes (a folder made, a rename, a write): from
    /// then on nothing it does reaches the files, until restart().
    void stopAfter(std::size_t changes) { m_changesLeft = changes; }
    void restart() { m_changesLeft = kUnlimited; }
    bool stopped() const { return m_changesLeft == 0; }
    /// The file's bytes, empty when it does not exist.
    std::string text(const std::filesystem::path& file) const { return m_files.count(file) ? m_files.at(file) : ""; }
    const std::map<std::filesystem::path, std::string>& files() const { return m_files; }

    void createDirectory(const std::filesystem::path& dir) override { if (!m_folders.count(dir)) change(dir), m_folders.insert(dir); }
    bool holdsData(const std::filesystem::path& file) override { return !text(file).empty(); }
    bool exists(const std::filesystem::path& file) override { return m_files.count(file) != 0; }
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        change(from);
        if (!m_files.count(from)) throw std::system_error(ENOENT, std::generic_category(), from.string());
        m_files[to] = std::move(m_files.extract(from).mapped());
    }
    void writeDurably(const std::filesystem::path& file, std::string_view bytes, bool truncate) override
    {
        const int error = m_failing.second != 0 && file.string().ends_with(m_failing.first) ? m_failing.second
                          : m_folders.count(file.parent_path()) ? 0 : ENOENT;
        if (error != 0) throw std::system_error(error, std::generic_category(), file.string());
        change(file);
        m_files[file] = (truncate ? std::string() : m_files[file]) + std::string(bytes);
    }
    std::string readHead(const std::filesystem::path& file, std::size_t most) override { return text(file).substr(0, most); }
    /// Always granted: one program at a time writes here (one writer at a time: the disk tests).
    std::unique_ptr<WriterLock> lockForWriting(const std::filesystem::path&, long&) override { return std::make_unique<WriterLock>(); }

private:
    static constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();
    void change(const std::filesystem::path& what)
    {
        if (m_changesLeft == 0) throw std::system_error(ESRCH, std::generic_category(), "stopped " + what.string());
        if (m_changesLeft != kUnlimited) --m_changesLeft;
    }

    std::map<std::filesystem::path, std::string> m_files;
    std::set<std::filesystem::path> m_folders;
    std::size_t m_changesLeft = kUnlimited;
    std::pair<std::string, int> m_failing;  // a name's end and the errno its writes fail with
};
