// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "platform/month_report.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDate>

#include <algorithm>
#include <atomic>
#include <optional>
#include <set>
#include <sstream>
#include <span>
#include <cerrno>
#include <cstdio>
#include <thread>

#include "acquisition/measurement_file.h"
#include "acquisition/run_companion.h"
#include "platform/command_line.h"
#include "platform/day_record.h"
#include "platform/descriptor.h"
#include "platform/folder_file.h"
#include "platform/home_folder.h"
#include "platform/saved_file.h"
#include "platform/system_message.h"
#include "platform/time_zone.h"

namespace {

using namespace std::chrono;

std::string quoted(const std::filesystem::path& path) { return "« " + path.string() + " »"; }

}  // namespace

record::CalibrationHistory readCalibrationFile(const std::filesystem::path& folder)
{
    const std::filesystem::path path = folder / kCalibrationFileName;
    std::string bytes;
    if (const ReadRefusal refusal = readRegularFile(path, kLargestCalibration, bytes); refusal.error == ENOENT) {
        return {};
    } else if (!refusal.reason.empty()) {
        record::CalibrationHistory history;
        history.problems.push_back("Lecture impossible de " + quoted(path) + " : " + refusal.reason +
                                   " ; mesures en millivolts.");
        return history;
    }
    return record::parseCalibration(bytes, path.string());
}

std::string addCalibrationRow(const std::filesystem::path& folder, const record::CalibrationRow& row)
{
    const std::filesystem::path path = folder / kCalibrationFileName;
    const auto failed = [&](const std::string& reason) {
        return "Écriture impossible dans " + quoted(path) + " : " + reason + ".";
    };
    if (const std::string reason = record::outOfRange(row); !reason.empty()) return "Ligne refusée : " + reason + ".";
    // What is there is looked at first: only a regular file is ever opened, and one nobody may
    // write (read-only on purpose) keeps its bytes, whoever runs the program.
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        if (!S_ISREG(status.st_mode)) return failed(notRegular(status).reason);
        if ((status.st_mode & 0222) == 0)
            return failed("le fichier est en lecture seule ; rendez-le modifiable (chmod u+w) pour y ajouter une ligne");
    } else if (errno != ENOENT) {
        return failed(frenchReason(errno));
    }
    // Appended in place under the file's own lock: another writer's rows stay, a hard link stays
    // a link, the file keeps its owner and permissions.
    const platform_io::Descriptor fd(::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666));
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0) return failed(frenchReason(errno));
    if (!S_ISREG(status.st_mode)) return failed(notRegular(status).reason);
    // Another instance adding a row holds it a few milliseconds: never waited for.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return failed(errno == EWOULDBLOCK ? "un autre programme y ajoute une ligne ; réessayez dans un instant"
                                           : frenchReason(errno));
    std::string bytes;
    if (const ReadRefusal refusal = readOpenedFile(fd.get(), kLargestCalibration, bytes); !refusal.reason.empty())
        return failed(refusal.reason);
    for (const record::CalibrationRow& held : record::parseCalibration(bytes, "").rows)
        if (held.from() == row.from())
            return "Ligne refusée : une ligne s'applique déjà depuis " +
                   acquisition::isoLocalTime(held.local, held.utcOffset) + " ; choisissez un autre instant.";
    const std::string added = record::rowToAppend(bytes, row);
    const ssize_t wrote = ::write(fd.get(), added.data(), added.size());
    if (wrote != ssize_t(added.size()) || ::fsync(fd.get()) != 0) {
        const int error = wrote < 0 ? errno : ENOSPC;
        // A row cut short is taken back, unless another writer appended meanwhile.
        if (wrote > 0 && ::fstat(fd.get(), &status) == 0 && std::size_t(status.st_size) == bytes.size() + std::size_t(wrote))
            (void)::ftruncate(fd.get(), off_t(bytes.size()));
        return failed(frenchReason(error));
    }
    if (bytes.empty()) {
        // A file made now: its name is flushed with the folder.
        const platform_io::Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() >= 0) ::fsync(dir.get());
    }
    return {};
}

MonthReport reportMonth(const std::filesystem::path& folder, year_month month,
                        const record::UtcOffsetAt& zone, unsigned workers)
{
    MonthReport report;
    std::vector<std::filesystem::path> entries;
    std::error_code listing;
    for (std::filesystem::directory_iterator it(folder, listing), end; !listing && it != end; it.increment(listing))
        entries.push_back(it->path().filename());
    if (listing) {
        report.status = 1;
        report.errors = "le dossier " + quoted(folder) + " ne se lit pas : " +
                        frenchReason(listing) + ".\n";
        return report;
    }
    const record::CalibrationHistory calibration = readCalibrationFile(folder);
    for (const std::string& problem : calibration.problems) report.errors += problem + "\n";
    const record::ObservingSite site = *record::siteNamed("Chelles");  // the main window's at start-up
    const local_days first{month / 1}, last{month / std::chrono::last};

    // A day is the readings whose local date is that day, in whichever file they were written:
    // the days with a file, and the days that the runs going on past their day reach.
    std::set<year_month_day> days, past;
    for (const auto& entry : entries) {
        const auto date = record::dateFromFileName(entry.string());
        if (!date || local_days{*date} > last) continue;
        if (local_days{*date} >= first) days.insert(*date);
        const local_days next = local_days{*date} + std::chrono::days{1};
        if (next <= last && !past.contains(*date) &&
            mayHoldReadingsOf(folder / entry, std::max(next, first), zone))
            past.insert(*date);
    }
    for (const year_month_day date : past) {
        DayRecord record(folder / acquisition::dataFileName(date), zone, local_days{date});
        record.lookOnlyAt(past);
        record.refresh();
        for (const auto& run : record.runs())
            if (!run->trace.points().empty())
                for (local_days d = std::max(first, record::localDayOf(run->trace.points().front()));
                     d <= std::min(last, record::localDayOf(run->trace.points().back())); d += std::chrono::days{1})
                    days.insert(year_month_day{d});
    }

    const std::vector<year_month_day> order(days.begin(), days.end());
    report.days.resize(order.size());
    std::vector<std::string> problems(order.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < order.size(); i = next++) {
            DayRecord day(folder / acquisition::dataFileName(order[i]), zone, local_days{order[i]});
            day.lookOnlyAt(past);
            day.refresh();
            if (const auto& problem = day.problem())
                problems[i] = "lecture impossible de " + quoted(problem->path) + " : " +
                              problem->reason + " ; le bilan du jour est fait sans lui.\n";
            std::vector<record::RunReadings> runs;
            for (const DayRun* run : day.runs()) runs.push_back({run->points(), run->events});
            report.days[i] = record::summarizeDay(order[i], runs, calibration.rows, site);
        }
    };
    std::vector<std::jthread> threads;
    for (unsigned w = 1; w < std::max(1u, workers); ++w) threads.emplace_back(work);
    work();
    threads.clear();
    for (const std::string& problem : problems) report.errors += problem;
    return report;
}

record::UtcOffsetAt systemZoneOffsets(year_month month)
{
    // The C library's offset hour by hour over the month and two days each side; each change
    // found to the second by bisection (zones change on whole seconds, at most once an hour).
    const auto offsetAt = [](sys_seconds t) {
        return duration_cast<minutes>(querySystemZoneAt(std::time_t(t.time_since_epoch().count())).utcOffset);
    };
    const sys_seconds first{sys_days{month / 1} - days{2}};
    const sys_seconds end{sys_days{month / std::chrono::last} + days{3}};
    std::vector<std::pair<sys_seconds, minutes>> changes;
    minutes before = offsetAt(first);
    for (sys_seconds t = first; t < end; t += 1h) {
        const minutes after = offsetAt(t + 1h);
        if (after == before) continue;
        sys_seconds low = t, high = t + 1h;  // offset `before` at low, `after` at high
        while (high - low > 1s) {
            const sys_seconds mid = low + (high - low) / 2;
            (offsetAt(mid) == before ? low : high) = mid;
        }
        changes.emplace_back(high, after);
        before = after;
    }
    return record::zoneFromChanges(offsetAt(first), std::move(changes));
}

void keepFreedMemoryForTheNextDay()
{
    constexpr int kLargestDay = 64 << 20;  // bytes: a day's buffers stay on the heap
    ::mallopt(M_MMAP_THRESHOLD, kLargestDay);
    ::mallopt(M_TRIM_THRESHOLD, 4 * kLargestDay);
}

int printMonthReport(const CommandLine& options)
{
    keepFreedMemoryForTheNextDay();
    const QDate today = QDate::currentDate();
    const year_month month = options.bilan->month.value_or(year{today.year()} / unsigned(today.month()));
    const std::filesystem::path folder =
        options.bilan->folder.empty() ? homeFolder() / "velmorixon" : std::filesystem::path(options.bilan->folder);
    const MonthReport report = reportMonth(folder, month, systemZoneOffsets(month));
    const std::string csv = report.status == 0 ? record::monthCsv(report.days) : std::string();
    std::fwrite(csv.data(), 1, csv.size(), stdout);
    // Each line named as the program's on standard error; the month's window shows them bare.
    std::istringstream said(report.errors);
    for (std::string line; std::getline(said, line);) std::fprintf(stderr, "velmorixon : %s\n", line.c_str());
    if (report.status == 0 && report.days.empty())
        std::fputs(("velmorixon : " + record::emptyMonthMessage(folder, month) + "\n").c_str(), stderr);
    return report.status;
}
