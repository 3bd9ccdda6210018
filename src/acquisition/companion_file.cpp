#include "acquisition/companion_file.h"

#include <array>
#include <cerrno>
#include <system_error>

#include "acquisition/field_parsing.h"

namespace acquisition {

namespace {

using namespace std::chrono;

/// Number and time of day of a measurement line " 2, 2048,14:03:28".
struct LineStamp {
    std::int64_t number = 0;
    seconds time{};
};

std::optional<LineStamp> readStamp(std::string_view line)
{
    const auto first = line.find(',');
    const auto second = line.find(',', first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos || line.size() < second + 9 ||
        line[0] != ' ')
        return std::nullopt;
    LineStamp stamp;
    int h, m, s;
    if (!readNumber(line.substr(1, first - 1), stamp.number) ||
        !readDigits(line.substr(second + 1, 2), 2, h) || !readDigits(line.substr(second + 4, 2), 2, m) ||
        !readDigits(line.substr(second + 7, 2), 2, s))
        return std::nullopt;
    stamp.time = hours{h} + minutes{m} + seconds{s};
    return stamp;
}

}  // namespace

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
    if (event.kind == RunEvent::Kind::Start)
        m_start = event;
    m_waiting += companionLine(event);
    if (m_begun)
        flush();
}

void CompanionFile::settle(const std::filesystem::path& measurementFile)
{
    const bool lines = m_files.holdsData(measurementFile);
    const bool rows = m_files.holdsData(m_path);
    if (lines && !rows) {
        m_files.writeDurably(m_path, companionHeader() + companionLine(foundStart(measurementFile)), true);
    } else if (!lines && rows) {
        // The copies are numbered without a gap but for removed ones: the last one without a
        // companion is the one whose move was cut short; otherwise these rows get a number
        // of their own, which no measurement copy takes.
        unsigned copy = 1;
        std::optional<unsigned> alone;
        for (; m_files.exists(numberedCopy(measurementFile, copy)) ||
               m_files.exists(numberedCopy(m_path, copy));
             ++copy)
            if (!m_files.exists(numberedCopy(m_path, copy)))
                alone = copy;
        m_files.rename(m_path, numberedCopy(m_path, alone.value_or(copy)));
    }
}

/// What the lines of a run whose companion was never begun tell: the first line's number and
/// time (on the day and offset of the run that finds them), the period between the first two.
RunEvent CompanionFile::foundStart(const std::filesystem::path& measurementFile)
{
    RunEvent found;
    found.kind = RunEvent::Kind::Start;
    found.utcOffset = m_start.utcOffset;
    found.local = m_start.local;
    found.nextNumber = 2;
    const std::string head = m_files.readHead(measurementFile, 128);
    const auto end = head.find('\n');
    if (const auto first = readStamp(std::string_view(head).substr(0, end))) {
        found.local = floor<days>(m_start.local) + first->time;
        found.nextNumber = first->number;
        if (end != std::string::npos) {
            const auto second = readStamp(std::string_view(head).substr(end + 1));
            if (second && second->time > first->time && second->time - first->time <= 60s)
                found.periodSeconds = static_cast<int>((second->time - first->time).count());
        }
    }
    return found;
}

void CompanionFile::keptAside(const std::filesystem::path& aside)
{
    if (m_files.exists(m_path))
        m_files.rename(m_path, companionPath(aside));
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

void CompanionFile::fileReleased()
{
    retry();
    m_begun = false;
}

void CompanionFile::flush()
{
    try {
        std::string bytes;
        // Begun now, or begun again after its folder went away: header and the run's rows first.
        const bool anew = m_fresh || !m_files.exists(m_path);
        if (m_fresh)
            m_written.clear();
        if (anew)
            bytes = companionHeader() + m_written;
        else if (m_waiting.empty())
            return;
        m_files.writeDurably(m_path, bytes + m_waiting, anew);
        m_written += m_waiting;
        m_waiting.clear();
        m_fresh = false;
        m_failure.reset();
    } catch (const std::system_error& e) {
        m_failure = WriteFailure{m_path, e.code(), std::nullopt};
    }
}

}  // namespace acquisition
