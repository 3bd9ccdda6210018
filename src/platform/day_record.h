// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// A day's measurement files as the day view shows them: the day's runs and their companions
// read from disk, then followed while the instrument writes them. Only the bytes appended
// since the last look are read; a run renamed aside to ".N" when a new one begins is known by
// its file identity and keeps its trace.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/folder_file.h"
#include "record/run_trace.h"

/// One run of the day: its measurement file, its placed readings and its companion's events.
struct DayRun {
    /// `fileDate`: the date its file's name carries (its readings are placed from it on);
    /// `day`: the day on view.
    DayRun(record::RunFile file, std::chrono::local_days fileDate, std::chrono::local_days day,
           record::UtcOffsetAt zone, std::vector<acquisition::RunEvent> events,
           std::optional<std::chrono::sys_seconds> notBefore);

    /// The run's readings whose local date is the day on view.
    std::span<const record::TracePoint> points() const { return record::pointsOfDay(trace.points(), day); }

    record::RunFile file;
    std::chrono::local_days fileDate, day;
    record::RunTrace trace;
    std::vector<acquisition::RunEvent> events;  ///< the companion's rows, in file order
    std::size_t companionMalformed = 0;         ///< companion rows that did not read

    // What identifies the file on disk across a rename, and how much of the companion was read.
    std::uintmax_t device = 0, inode = 0;
    std::uintmax_t companionDevice = 0, companionInode = 0, companionSize = 0;
    std::uintmax_t size = 0;                    ///< the file's size at the last look
    std::chrono::sys_seconds lastWritten{};     ///< its modification time then
};

/// A file that could not be read, with the system's reason in French.
struct RecordProblem {
    std::filesystem::path path;
    int error = 0;         ///< errno
    std::string reason;    ///< « Permission non accordée », « n'est pas un fichier ordinaire … »
    bool special = false;  ///< a pipe, a device or a socket: refused, never opened
};

/// True when the run file `file`, of a day before `day`, may hold readings of `day` or later:
/// a run going on past midnight stays in its start-up day's file. Its companion's end row says
/// when the run ended; a run without one (still running, a crash, an older program) is taken at
/// its file's last modification, against the day's 00:00:00 on `zone`.
bool mayHoldReadingsOf(const std::filesystem::path& file, std::chrono::local_days day, const record::UtcOffsetAt& zone);

/// True when `target` is a record by its name (dataMM-DD-YYYY.val, .run and their ".N",
/// capteur.csv, a day's lock file), or is a link whose chain ends at a file of such a name, which
/// an export would replace. An export never writes there.
bool namesRecord(const std::filesystem::path& target);

class DayRecord {
public:
    /// `dayFile`: the plain day file or any of its kept runs. Its date comes from its name, or
    /// is `fallbackDate` when the name carries none. The day is the readings whose local date
    /// is that date, in the day's files or in an earlier day's run going on past midnight.
    DayRecord(std::filesystem::path dayFile, record::UtcOffsetAt zone,
              std::chrono::local_days fallbackDate);

    struct Change {
        bool runsChanged = false;  ///< a run appeared, vanished or was rewritten from its start
        std::size_t newPoints = 0; ///< readings added to runs that were already there
        std::uintmax_t unread = 0; ///< bytes left for the next refresh (beyond the budget)
        std::uintmax_t total = 0;  ///< bytes of every run's file
    };
    /// Looks at the folder again and reads what was appended, at most `budget` bytes of it
    /// (the rest at the next call), one bounded piece at a time: memory follows the readings
    /// kept, never the file's size. Never throws for what is on disk: a file that cannot be
    /// read is left out and said by problem(); a pipe or a device is refused unopened.
    Change refresh(std::uintmax_t budget = UINTMAX_MAX);

    /// True when writing `target` would replace a record: a measurement file or companion by
    /// its name (dataMM-DD-YYYY.val, .run and their ".N"), or, through links, one of the files
    /// this record reads.
    bool wouldReplaceRecord(const std::filesystem::path& target) const;

    /// The runs with readings of the day (and the day's own runs without any), in time order:
    /// runs of earlier days' files that go on into the day come first.
    const std::vector<DayRun*>& runs() const { return m_onDay; }
    /// Only these earlier days' files may lend the day runs (the month knows which go past
    /// their day); otherwise every earlier day of the folder is looked at, at the first refresh.
    void lookOnlyAt(std::set<std::chrono::year_month_day> earlierDays) { m_earlier = std::move(earlierDays); }
    const std::filesystem::path& dayFile() const { return m_dayFile; }
    std::chrono::local_days date() const { return m_date; }
    bool dateFromName() const { return m_dateFromName; }
    /// The first file of the last refresh that could not be read (a missing day file included).
    const std::optional<RecordProblem>& problem() const { return m_problem; }
    /// Lines of every run's measurement file that did not read.
    std::size_t malformedLines() const;
    /// Companion rows of every run that did not read.
    std::size_t malformedCompanionRows() const;

private:
    /// Appends what `run`'s file gained; false when the file shrank (it was begun afresh).
    bool readAppended(DayRun& run, int descriptor, std::uintmax_t size, std::uintmax_t& budget,
                      std::size_t& added);
    void readCompanion(DayRun& run, bool force);
    void noteProblem(const std::filesystem::path& path, const ReadRefusal& refusal);
    void noteProblem(const std::filesystem::path& path, int error);

    std::filesystem::path m_dayFile;
    record::UtcOffsetAt m_zone;
    std::chrono::local_days m_date;
    bool m_dateFromName = false;
    std::vector<std::unique_ptr<DayRun>> m_runs;  ///< every run read, also those outside the day
    std::vector<DayRun*> m_onDay;
    /// The earlier days whose files may still lend runs: all of them until the first refresh.
    std::optional<std::set<std::chrono::year_month_day>> m_earlier;
    bool m_earlierChecked = false;  ///< m_earlier narrowed to the days that reach this one
    std::optional<RecordProblem> m_problem;
};
