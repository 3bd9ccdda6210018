#pragma once
// Files held in memory, for the Qt-free tests: writes can be made to fail on request, as a full
// disk would, and a failed write leaves the files as they were.
#include <cerrno>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <system_error>

#include "platform/file_system.h"

class MemoryFileSystem final : public FileSystem {
public:
    /// Every write fails with `errnoValue` until heal().
    void failWrites(int errnoValue) { m_writeErrno = errnoValue; }
    /// Writes to files whose name ends with `suffix` fail with `errnoValue` until heal().
    void failWritesTo(std::string suffix, int errnoValue)
    {
        m_failingSuffix = std::move(suffix);
        m_suffixErrno = errnoValue;
    }
    void heal() { m_writeErrno = m_suffixErrno = 0; }
    /// The file's bytes, empty when it does not exist.
    std::string text(const std::filesystem::path& file) const
    {
        const auto it = m_files.find(file);
        return it == m_files.end() ? std::string() : it->second;
    }

    void createDirectory(const std::filesystem::path& dir) override { m_folders.insert(dir); }
    bool holdsData(const std::filesystem::path& file) override { return !text(file).empty(); }
    bool exists(const std::filesystem::path& file) override { return m_files.count(file) != 0; }
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override
    {
        const auto it = m_files.find(from);
        if (it == m_files.end()) throw std::system_error(ENOENT, std::generic_category(), from.string());
        m_files[to] = it->second;
        m_files.erase(from);
    }
    void writeDurably(const std::filesystem::path& file, std::string_view bytes, bool truncate) override
    {
        if (m_writeErrno != 0) throw std::system_error(m_writeErrno, std::generic_category(), file.string());
        const std::string name = file.string();
        if (m_suffixErrno != 0 && name.size() >= m_failingSuffix.size() &&
            name.compare(name.size() - m_failingSuffix.size(), m_failingSuffix.size(), m_failingSuffix) == 0)
            throw std::system_error(m_suffixErrno, std::generic_category(), name);
        if (!m_folders.count(file.parent_path()))
            throw std::system_error(ENOENT, std::generic_category(), file.string());
        std::string& content = m_files[file];
        if (truncate) content.clear();
        content += bytes;
    }

private:
    std::map<std::filesystem::path, std::string> m_files;
    std::set<std::filesystem::path> m_folders;
    int m_writeErrno = 0;
    std::string m_failingSuffix;
    int m_suffixErrno = 0;
};
