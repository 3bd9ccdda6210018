// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "platform/day_record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

#include "acquisition/run_companion.h"
#include "platform/system_message.h"

namespace {

/// An open descriptor, closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(const std::filesystem::path& path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

/// Bytes [from, to) of an open file; false with errno set on a read error.
bool readRange(int descriptor, std::uintmax_t from, std::uintmax_t to, std::string& out)
{
    out.resize(static_cast<std::size_t>(to - from));
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got = ::pread(descriptor, out.data() + done, out.size() - done,
                                    static_cast<off_t>(from + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) break;  // the file shrank meanwhile: what was there is what counts
        done += static_cast<std::size_t>(got);
    }
    out.resize(done);
    return true;
}

}  // namespace

DayRun::DayRun(record::RunFile runFile, std::chrono::local_days date,
               record::UtcOffsetAt zone, std::vector<acquisition::RunEvent> runEvents,
               std::optional<std::chrono::sys_seconds> notBefore)
    : file(std::move(runFile)),
      trace(date, std::move(zone), runEvents, notBefore),
      events(std::move(runEvents))
{
}

DayRecord::DayRecord(std::filesystem::path dayFile, record::UtcOffsetAt zone,
                     std::chrono::local_days fallbackDate)
    : m_dayFile(std::move(dayFile)), m_zone(std::move(zone)), m_date(fallbackDate)
{
    if (const auto named = record::dateFromFileName(m_dayFile.filename().string())) {
        m_date = std::chrono::local_days(*named);
        m_dateFromName = true;
    }
}

void DayRecord::noteProblem(const std::filesystem::path& path, int error)
{
    if (!m_problem) m_problem = RecordProblem{path, error, frenchReason(error)};
}

DayRecord::Change DayRecord::refresh()
{
    m_problem.reset();
    Change change;

    std::vector<std::filesystem::path> entries;
    std::error_code listing;
    const std::filesystem::path folder =
        m_dayFile.has_parent_path() ? m_dayFile.parent_path() : std::filesystem::path(".");
    for (std::filesystem::directory_iterator it(folder, listing), end; !listing && it != end;
         it.increment(listing))
        entries.push_back(it->path());
    if (listing) noteProblem(folder, listing.value());
    // A file given by a name that is not a day's (no date in it) is its own only run.
    std::vector<record::RunFile> files = record::dayRuns(m_dayFile, entries);
    if (!m_dateFromName) {
        files.clear();
        std::error_code missing;
        if (std::filesystem::exists(m_dayFile, missing)) files.push_back({m_dayFile, 0});
    }
    if (files.empty()) noteProblem(m_dayFile, ENOENT);

    std::vector<std::unique_ptr<DayRun>> kept;
    for (const record::RunFile& file : files) {
        const Descriptor descriptor(file.path);
        struct stat status {};
        if (descriptor.get() < 0 || ::fstat(descriptor.get(), &status) != 0) {
            noteProblem(file.path, errno);
            continue;
        }
        if (S_ISDIR(status.st_mode)) {
            noteProblem(file.path, EISDIR);
            continue;
        }
        const auto device = static_cast<std::uintmax_t>(status.st_dev);
        const auto inode = static_cast<std::uintmax_t>(status.st_ino);
        auto same = std::find_if(m_runs.begin(), m_runs.end(), [&](const auto& run) {
            return run && run->device == device && run->inode == inode;
        });
        std::unique_ptr<DayRun> run;
        if (same != m_runs.end()) {
            run = std::move(*same);
            run->file = file;  // renamed aside: same readings, new name
        }
        const std::uintmax_t size = static_cast<std::uintmax_t>(status.st_size);
        if (run && size < run->trace.bytesFed()) run.reset();  // begun afresh under the same name
        const bool fresh = !run;
        if (fresh) {
            std::optional<std::chrono::sys_seconds> notBefore;
            if (!kept.empty() && !kept.back()->trace.points().empty())
                notBefore = kept.back()->trace.points().back().instant;
            run = std::make_unique<DayRun>(file, m_date, m_zone,
                                           std::vector<acquisition::RunEvent>{}, notBefore);
            run->device = device;
            run->inode = inode;
            change.runsChanged = true;
        }
        readCompanion(*run, fresh);
        std::size_t added = 0;
        if (!readAppended(*run, descriptor.get(), size, added)) noteProblem(file.path, errno);
        if (!fresh) change.newPoints += added;
        kept.push_back(std::move(run));
    }
    for (const auto& run : m_runs)
        if (run) change.runsChanged = true;  // a run no longer on disk
    m_runs = std::move(kept);
    return change;
}

bool DayRecord::readAppended(DayRun& run, int descriptor, std::uintmax_t size, std::size_t& added)
{
    const std::uintmax_t from = run.trace.bytesFed();
    if (size <= from) return true;
    std::string bytes;
    const bool whole = readRange(descriptor, from, size, bytes);
    added = run.trace.feed(bytes);
    return whole;
}

void DayRecord::readCompanion(DayRun& run, bool force)
{
    const std::filesystem::path path = acquisition::companionPath(run.file.path);
    const Descriptor descriptor(path);
    struct stat status {};
    if (descriptor.get() < 0 || ::fstat(descriptor.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return;  // a run without a companion (an older program, or none written yet)
    const auto device = static_cast<std::uintmax_t>(status.st_dev);
    const auto inode = static_cast<std::uintmax_t>(status.st_ino);
    const auto size = static_cast<std::uintmax_t>(status.st_size);
    if (!force && device == run.companionDevice && inode == run.companionInode &&
        size == run.companionSize)
        return;
    std::string bytes;
    if (!readRange(descriptor.get(), 0, size, bytes)) return;
    acquisition::CompanionRecord record = acquisition::readCompanion(bytes);
    run.companionDevice = device;
    run.companionInode = inode;
    run.companionSize = size;
    run.companionMalformed = record.malformedRows;
    run.events = record.events;
    run.trace.setCompanion(std::move(record.events));
}

std::size_t DayRecord::malformedLines() const
{
    std::size_t total = 0;
    for (const auto& run : m_runs) total += run->trace.malformedLines();
    return total;
}

std::size_t DayRecord::malformedCompanionRows() const
{
    std::size_t total = 0;
    for (const auto& run : m_runs) total += run->companionMalformed;
    return total;
}
