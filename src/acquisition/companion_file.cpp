#include "acquisition/companion_file.h"

#include <cerrno>
#include <system_error>

namespace acquisition {

CompanionFile::CompanionFile(const std::filesystem::path& measurementFile, FileSystem& files)
    : m_path(companionPath(measurementFile)), m_files(files)
{
}

void CompanionFile::beginRun()
{
    if (m_begun)
        flush();  // the earlier run's last rows, while its file is still the current one
    else
        m_waiting.clear();
    m_begun = false;
}

void CompanionFile::record(const RunEvent& event)
{
    m_waiting += companionLine(event);
    if (m_begun)
        flush();
}

void CompanionFile::keptAside(const std::filesystem::path& aside)
{
    try {
        if (m_files.exists(m_path))
            m_files.rename(m_path, companionPath(aside));
    } catch (const std::system_error& e) {
        m_failure = WriteFailure{m_path, e.code()};
    }
}

void CompanionFile::measurementFileBegun()
{
    m_begun = true;
    m_fresh = true;
    flush();
}

void CompanionFile::retry()
{
    if (m_begun)
        flush();
}

void CompanionFile::flush()
{
    if (m_waiting.empty() && !m_fresh)
        return;
    try {
        if (m_fresh)
            m_files.writeDurably(m_path, companionHeader() + m_waiting, true);
        else
            m_files.writeDurably(m_path, m_waiting, false);
        m_waiting.clear();
        m_fresh = false;
        m_failure.reset();
    } catch (const std::system_error& e) {
        m_failure = WriteFailure{m_path, e.code()};
    }
}

}  // namespace acquisition
