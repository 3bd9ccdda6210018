// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "platform/day_record.h"

#include "platform/descriptor.h"
#include "platform/link_target.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <cerrno>
#include <map>
#include <string>
#include <system_error>
#include <utility>

#include "acquisition/measurement_file.h"
#include "acquisition/run_companion.h"
#include "platform/system_message.h"

namespace {

using platform_io::Descriptor;

/// The size of one piece read: the bytes of a file are never held whole.
constexpr std::size_t kPiece = std::size_t{1} << 20;
/// The shortest line a reading takes (" 2, 0,00:00:00" and LF): room for a whole file's
/// readings is taken once, up to a bound a hostile size cannot pass.
constexpr std::uintmax_t kShortestLine = 15;
constexpr std::uintmax_t kMostReserved = std::uintmax_t{1} << 26;
/// A companion holds a few rows per run; one far larger is not one.
constexpr std::size_t kLargestCompanion = std::size_t{16} << 20;

std::chrono::sys_seconds modified(const struct stat& status)
{
    return std::chrono::sys_seconds{std::chrono::seconds{status.st_mtim.tv_sec}};
}

/// A huge day's room, not yet touched, asked for in pages of 2 MiB where the system has them:
/// a few hundred page faults instead of a hundred thousand while it fills. A hint only.
void askHugePages(const std::vector<record::TracePoint>& room)
{
    constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
    const auto from = (reinterpret_cast<std::uintptr_t>(room.data()) + kHuge - 1) & ~(kHuge - 1);
    const auto to = (reinterpret_cast<std::uintptr_t>(room.data() + room.capacity())) & ~(kHuge - 1);
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

/// Asks the system to begin reading the first piece of a regular file now: the files of a day
/// opened are all asked for before the first is read, so that thousands of small runs out of
/// the page cache come from disk together, not one after the other. A hint only.
void askReadAhead(const std::filesystem::path& path)
{
    const OpenedFile opened = openRegularFile(path);
    if (opened.opened()) ::posix_fadvise(opened.fd.get(), 0, kPiece, POSIX_FADV_WILLNEED);
}

/// Names of the folder's records: "dataMM-DD-YYYY.val" and ".run", with or without ".N", the
/// calibration history and the lock files older versions kept beside a day's file
/// (".dataMM-DD-YYYY.val.lock").
bool recordName(std::string name)
{
    if (name == "capteur.csv") return true;
    constexpr std::string_view kLock = ".lock";
    if (name.size() > kLock.size() + 1 && name.front() == '.' && name.ends_with(kLock))
        name = name.substr(1, name.size() - kLock.size() - 1);
    if (const auto run = name.find(".run"); run != std::string::npos && run == 14)
        name.replace(run, 4, ".val");
    return record::dateFromFileName(name).has_value();
}

}  // namespace

bool namesRecord(const std::filesystem::path& target)
{
    std::filesystem::path leadsTo = target;
    followLinks(leadsTo);
    return recordName(target.filename().string()) || recordName(leadsTo.filename().string());
}

bool mayHoldReadingsOf(const std::filesystem::path& file, std::chrono::local_days day, const record::UtcOffsetAt& zone)
{
    // A reading of the day is written from its start on: a file last written before cannot
    // hold one, and its companion is not even read. Else an end row before the day says none.
    struct stat status {};
    const std::chrono::sys_seconds midnight{day.time_since_epoch()};
    const std::chrono::sys_seconds dayStart = midnight - (zone ? zone(midnight) : std::chrono::minutes{0});
    if (::stat(file.c_str(), &status) != 0 || modified(status) < dayStart) return false;
    std::string bytes;
    readRegularFile(acquisition::companionPath(file), kLargestCompanion, bytes);
    const auto events = acquisition::readCompanion(bytes).events;
    using Kind = acquisition::RunEvent::Kind;
    return events.empty() || (events.back().kind != Kind::Stop && events.back().kind != Kind::Quit) ||
           std::chrono::floor<std::chrono::days>(events.back().local) >= day;
}

DayRun::DayRun(record::RunFile runFile, std::chrono::local_days runFileDate, std::chrono::local_days onView,
               record::UtcOffsetAt zone, std::vector<acquisition::RunEvent> runEvents,
               std::optional<std::chrono::sys_seconds> notBefore)
    : file(std::move(runFile)),
      fileDate(runFileDate),
      day(onView),
      trace(runFileDate, std::move(zone), runEvents, notBefore),
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

void DayRecord::noteProblem(const std::filesystem::path& path, const ReadRefusal& refusal)
{
    if (!m_problem) m_problem = RecordProblem{path, refusal.error, refusal.reason, refusal.special};
}

void DayRecord::noteProblem(const std::filesystem::path& path, int error)
{
    noteProblem(path, ReadRefusal{error, frenchReason(error), false});
}

bool DayRecord::wouldReplaceRecord(const std::filesystem::path& target) const
{
    if (namesRecord(target)) return true;
    struct stat status {};
    if (::stat(target.c_str(), &status) != 0) return false;
    const auto device = static_cast<std::uintmax_t>(status.st_dev);
    const auto inode = static_cast<std::uintmax_t>(status.st_ino);
    return std::any_of(m_runs.begin(), m_runs.end(), [&](const auto& run) {
        return (run->device == device && run->inode == inode) ||
               (run->companionDevice == device && run->companionInode == inode);
    });
}

DayRecord::Change DayRecord::refresh(std::uintmax_t budget)
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
    std::vector<record::RunFile> own = record::dayRuns(m_dayFile, entries);
    // Its own reason when it cannot be read (missing, a loop of links, ...) is said below.
    if (!m_dateFromName) own.assign(1, {m_dayFile, 0});
    // First the runs of earlier days' files that may go on into this day, looked for at the
    // first refresh that lists the folder: a file that did not reach the day then never will,
    // and one that did always does.
    if (!m_earlier) {
        m_earlier.emplace();
        for (const auto& entry : m_dateFromName ? entries : std::vector<std::filesystem::path>{})
            if (const auto date = record::dateFromFileName(entry.filename().string())) m_earlier->insert(*date);
    }
    if (!m_earlierChecked && !listing) {
        std::set<std::chrono::year_month_day> earlier;
        for (const auto& entry : entries)
            if (const auto date = record::dateFromFileName(entry.filename().string());
                date && std::chrono::local_days{*date} < m_date && m_earlier->contains(*date) && !earlier.contains(*date) &&
                mayHoldReadingsOf(entry, m_date, m_zone))
                earlier.insert(*date);
        *m_earlier = std::move(earlier);
        m_earlierChecked = true;
    }
    std::vector<record::RunFile> files;
    for (const auto date : *m_earlier)
        for (const record::RunFile& file : record::dayRuns(folder / acquisition::dataFileName(date), entries))
            files.push_back(file);
    if (own.empty() && files.empty()) noteProblem(m_dayFile, ENOENT);
    files.insert(files.end(), own.begin(), own.end());

    if (m_runs.empty()) {  // a day opened
        for (const record::RunFile& file : files) {
            askReadAhead(file.path);
            askReadAhead(acquisition::companionPath(file.path));
        }
    }
    // The runs read before by file identity (of two with one identity, the earlier first): found,
    // not searched for, in a day of thousands.
    std::multimap<std::pair<std::uintmax_t, std::uintmax_t>, std::size_t> known;
    for (std::size_t i = 0; i < m_runs.size(); ++i) known.emplace(std::pair(m_runs[i]->device, m_runs[i]->inode), i);
    std::vector<std::unique_ptr<DayRun>> kept;
    for (const record::RunFile& file : files) {
        OpenedFile opened = openRegularFile(file.path);
        if (!opened.opened()) {
            noteProblem(file.path, opened.refusal);
            continue;
        }
        const Descriptor& descriptor = opened.fd;
        const struct stat& status = opened.status;
        const auto device = static_cast<std::uintmax_t>(status.st_dev);
        const auto inode = static_cast<std::uintmax_t>(status.st_ino);
        std::unique_ptr<DayRun> run;
        if (const auto same = known.lower_bound({device, inode}); same != known.end() && same->first == std::pair(device, inode)) {
            run = std::move(m_runs[same->second]);
            known.erase(same);
            run->file = file;  // renamed aside: same readings, new name
        }
        const std::uintmax_t size = static_cast<std::uintmax_t>(status.st_size);
        if (run && size < run->trace.bytesFed()) run.reset();  // begun afresh under the same name
        const bool fresh = !run;
        if (fresh) {
            const auto named = record::dateFromFileName(file.path.filename().string());
            const std::chrono::local_days fileDate = m_dateFromName && named ? std::chrono::local_days{*named} : m_date;
            // A day's later run, given the earlier one's last instant, lands after it.
            std::optional<std::chrono::sys_seconds> notBefore;
            if (!kept.empty() && kept.back()->fileDate == fileDate && !kept.back()->trace.points().empty())
                notBefore = kept.back()->trace.points().back().instant;
            run = std::make_unique<DayRun>(file, fileDate, m_date, m_zone,
                                           std::vector<acquisition::RunEvent>{}, notBefore);
            run->device = device;
            run->inode = inode;
            run->trace.reserve(static_cast<std::size_t>(std::min(size / kShortestLine, kMostReserved)));
            askHugePages(run->trace.points());
            change.runsChanged = true;
        }
        run->size = size;
        run->lastWritten = modified(status);
        readCompanion(*run, fresh);
        std::size_t added = 0;
        if (!readAppended(*run, descriptor.get(), size, budget, added)) noteProblem(file.path, errno);
        if (!fresh) change.newPoints += added;
        change.total += size;
        change.unread += size - std::min(size, run->trace.bytesFed());
        kept.push_back(std::move(run));
    }
    for (const auto& run : m_runs)
        if (run) change.runsChanged = true;  // a run no longer on disk
    m_runs = std::move(kept);
    // On view: the runs with readings of the day, and the day's own runs without any.
    std::vector<DayRun*> onDay;
    for (const auto& run : m_runs)
        if (!run->points().empty() || (run->trace.points().empty() && run->fileDate == m_date)) onDay.push_back(run.get());
    change.runsChanged = change.runsChanged || onDay != m_onDay;
    m_onDay = std::move(onDay);
    return change;
}

bool DayRecord::readAppended(DayRun& run, int descriptor, std::uintmax_t size,
                             std::uintmax_t& budget, std::size_t& added)
{
    std::string piece;
    while (run.trace.bytesFed() < size && budget > 0) {
        const std::uintmax_t from = run.trace.bytesFed();
        // A hole of a sparse file holds only NULs: passed over, not read.
        const off_t data = ::lseek(descriptor, static_cast<off_t>(from), SEEK_DATA);
        if ((data < 0 && errno == ENXIO) || (data >= 0 && std::uintmax_t(data) > from)) {
            run.trace.skip((data < 0 ? size : std::min<std::uintmax_t>(std::uintmax_t(data), size)) - from);
            continue;
        }
        const std::size_t want = std::size_t(std::min<std::uintmax_t>({kPiece, size - from, budget}));
        piece.resize(want);
        ssize_t got;
        do got = ::pread(descriptor, piece.data(), want, static_cast<off_t>(from));
        while (got < 0 && errno == EINTR);
        if (got < 0) return false;
        if (got == 0) return true;  // the file shrank meanwhile: what was there is what counts
        added += run.trace.feed(std::string_view(piece.data(), std::size_t(got)));
        budget -= std::uintmax_t(got);
    }
    return true;
}

void DayRecord::readCompanion(DayRun& run, bool force)
{
    const OpenedFile opened = openRegularFile(acquisition::companionPath(run.file.path));
    if (!opened.opened()) return;  // a run without a companion (an older program, or none written yet)
    const Descriptor& descriptor = opened.fd;
    const struct stat& status = opened.status;
    const auto device = static_cast<std::uintmax_t>(status.st_dev);
    const auto inode = static_cast<std::uintmax_t>(status.st_ino);
    const auto size = static_cast<std::uintmax_t>(status.st_size);
    if (!force && device == run.companionDevice && inode == run.companionInode &&
        size == run.companionSize)
        return;
    std::string bytes(static_cast<std::size_t>(std::min(size, kLargestCompanion)), '\0');
    ssize_t got;
    do got = ::pread(descriptor.get(), bytes.data(), bytes.size(), 0);
    while (got < 0 && errno == EINTR);
    if (got < 0) return;
    bytes.resize(std::size_t(got));
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
    for (const auto& run : m_onDay) total += run->trace.malformedLines();
    return total;
}

std::size_t DayRecord::malformedCompanionRows() const
{
    std::size_t total = 0;
    for (const auto& run : m_onDay) total += run->companionMalformed;
    return total;
}
