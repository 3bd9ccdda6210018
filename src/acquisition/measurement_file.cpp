#include "acquisition/measurement_file.h"

#include "acquisition/companion_file.h"
#include "acquisition/text_forms.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace acquisition {

namespace {

/// The sign position then the digits: " 2048", or "-5" for a negative number.
void appendSignedField(std::string& out, std::int64_t value)
{
    out += value < 0 ? '-' : ' ';
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude);
    out.append(buffer, result.ptr);
}

}  // namespace

std::string dataLine(std::int64_t numMes, std::int64_t mesureMv,
                     std::chrono::hh_mm_ss<std::chrono::seconds> time)
{
    std::string line;
    line.reserve(32);
    appendSignedField(line, numMes);
    line += ',';
    appendSignedField(line, mesureMv);
    line += ',';
    line += clockTime(time);
    line += "\r\n";
    return line;
}

std::string dataFileName(std::chrono::year_month_day date)
{
    std::string name = "data";
    name += monthDayYear(date);
    name += ".val";
    return name;
}

MeasurementFile::MeasurementFile(std::filesystem::path fullFile, FileSystem& files)
    : m_path(std::move(fullFile)), m_files(files)
{
}

bool MeasurementFile::append(std::string line, bool startNewFile)
{
    m_runEnded = false;
    m_pending.push_back(Line{std::move(line), startNewFile || m_newFileOwed});
    m_newFileOwed = false;
    return writePending();
}

bool MeasurementFile::retry()
{
    return writePending();
}

std::size_t MeasurementFile::pendingLines() const
{
    return m_pending.size();
}

const std::optional<WriteFailure>& MeasurementFile::lastFailure() const
{
    return m_failure;
}

void MeasurementFile::discardPending()
{
    m_newFileOwed = std::any_of(m_pending.begin(), m_pending.end(),
                                [](const Line& line) { return line.startsNewFile; });
    m_pending.clear();
    m_previousRunKept = false;
    m_failure.reset();
    if (m_runEnded)
        release();
}

const std::filesystem::path& MeasurementFile::path() const
{
    return m_path;
}

bool MeasurementFile::writePending()
{
    bool folderChecked = false;  // made (or found) during this call
    while (!m_pending.empty()) {
        std::filesystem::path failedPath = m_path;
        bool locking = false;  // a failure now is the lock's
        try {
            const std::filesystem::path folder = m_path.parent_path();
            if (!m_folderReady && !folder.empty()) {
                folderChecked = true;
                // The folder goes into a home folder that must be there: a missing home (or
                // one given as a relative path) is reported with its own path, never made.
                const std::filesystem::path home = folder.parent_path();
                failedPath = home;
                if (home.is_relative())
                    throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory),
                                            home.string());
                failedPath = folder;
                try {
                    m_files.createDirectory(folder);
                } catch (const std::system_error& e) {
                    if (e.code() == std::errc::no_such_file_or_directory)
                        failedPath = home;
                    throw;
                }
                failedPath = m_path;
            }
            m_folderReady = true;
            if (!m_lock) {
                long holder = 0;
                locking = true;
                m_lock = m_files.lockForWriting(m_path, holder);
                locking = false;
                if (!m_lock) {
                    m_failure = WriteFailure{
                        m_path, std::make_error_code(std::errc::device_or_resource_busy), holder};
                    return false;
                }
            }
            writeFront();
        } catch (const std::system_error& e) {
            // The folder may have gone away meanwhile: it is made again for this same line.
            m_folderReady = false;
            if (!folderChecked && e.code() == std::errc::no_such_file_or_directory) {
                folderChecked = true;
                continue;
            }
            m_failure = WriteFailure{failedPath, e.code(), std::nullopt, locking};
            return false;
        }
    }
    m_failure.reset();
    if (m_runEnded)
        release();
    return true;
}

/// The first waiting line and the ones after it that continue the same file go out in one
/// durable write: after an outage the backlog costs one flush per file, not per line.
void MeasurementFile::writeFront()
{
    const bool newFile = m_pending.front().startsNewFile;
    if (newFile && !m_previousRunKept) {
        keepPreviousRun();
        m_previousRunKept = true;
    }
    std::size_t count = 1;
    std::string bytes = m_pending.front().bytes;
    for (; count < m_pending.size() && !m_pending[count].startsNewFile; ++count)
        bytes += m_pending[count].bytes;
    m_files.writeDurably(m_path, bytes, newFile);
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(count));
    m_previousRunKept = false;
    if (m_companion) {
        if (newFile)
            m_companion->measurementFileBegun();
        else
            m_companion->retry();
    }
}

void MeasurementFile::runEnded()
{
    m_runEnded = true;
    if (m_pending.empty())
        release();
}

void MeasurementFile::release()
{
    if (m_companion)
        m_companion->fileReleased();
    m_lock.reset();
}

/// Moves a file that holds lines aside to the first "<file>.N" free for it and its companion,
/// so that the new run starts an empty file and the earlier run is kept. The companion is
/// settled first and moved second: a program stopped between any two steps leaves a state the
/// next run's start completes.
void MeasurementFile::keepPreviousRun()
{
    if (m_companion)
        m_companion->settle(m_path);
    if (!m_files.holdsData(m_path))
        return;
    for (unsigned copy = 1;; ++copy) {
        const std::filesystem::path aside = numberedCopy(m_path, copy);
        if (m_files.exists(aside) || (m_companion && m_files.exists(companionPath(aside))))
            continue;
        m_files.rename(m_path, aside);
        if (m_companion)
            m_companion->keptAside(aside);
        return;
    }
}

std::filesystem::path numberedCopy(const std::filesystem::path& file, unsigned copy)
{
    std::filesystem::path aside = file;
    aside += '.';
    aside += std::to_string(copy);
    return aside;
}

}  // namespace acquisition
