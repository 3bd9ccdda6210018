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
}

const std::filesystem::path& MeasurementFile::path() const
{
    return m_path;
}

bool MeasurementFile::writePending()
{
    while (!m_pending.empty()) {
        std::filesystem::path failedPath = m_path;
        try {
            const std::filesystem::path folder = m_path.parent_path();
            if (!m_folderReady && !folder.empty()) {
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

            const bool newFile = m_pending.front().startsNewFile;
            if (newFile && !m_previousRunKept) {
                keepPreviousRun();
                m_previousRunKept = true;
            }

            // The first line and the ones after it that continue the same file go out in one
            // durable write: after an outage the backlog costs one flush per file, not per line.
            std::size_t count = 1;
            while (count < m_pending.size() && !m_pending[count].startsNewFile)
                ++count;
            if (count == 1) {
                m_files.writeDurably(m_path, m_pending.front().bytes, newFile);
            } else {
                std::string bytes;
                for (std::size_t i = 0; i < count; ++i)
                    bytes += m_pending[i].bytes;
                m_files.writeDurably(m_path, bytes, newFile);
            }
            m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(count));
            m_previousRunKept = false;
            if (m_companion) {
                if (newFile)
                    m_companion->measurementFileBegun();
                else
                    m_companion->retry();
            }
        } catch (const std::system_error& e) {
            // The folder may have gone away meanwhile: check it again on the next attempt.
            m_folderReady = false;
            m_failure = WriteFailure{failedPath, e.code()};
            return false;
        }
    }
    m_failure.reset();
    return true;
}

/// Moves a file that holds lines aside to the first free "<file>.1", "<file>.2", ... so that
/// the new run starts an empty file and the earlier run is kept.
void MeasurementFile::keepPreviousRun()
{
    if (!m_files.holdsData(m_path))
        return;
    for (unsigned copy = 1;; ++copy) {
        std::filesystem::path aside = m_path;
        aside += '.';
        aside += std::to_string(copy);
        if (!m_files.exists(aside)) {
            m_files.rename(m_path, aside);
            if (m_companion)
                m_companion->keptAside(aside);
            return;
        }
    }
}

}  // namespace acquisition
