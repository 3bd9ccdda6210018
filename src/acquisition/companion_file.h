#pragma once
// The run companion on disk: the events of the run whose lines the measurement file holds,
// written as durably as those lines but never in their way.
#include <filesystem>
#include <optional>
#include <string>

#include "acquisition/measurement_file.h"
#include "acquisition/run_companion.h"
#include "platform/file_system.h"

namespace acquisition {

/// A run's events wait in memory until the run's first measurement line begins its file; the
/// companion then begins too (header and the waiting events) and each later event goes straight
/// to it. A run that writes no line leaves no companion. When the companion cannot be written,
/// its rows wait and go at the next event or line; the measurement lines never wait for it.
/// A companion that went away with its folder during the run begins again with its header and
/// every row of the run written so far, so that the lines after it keep their period, site and
/// offset. No companion holding another run's rows is ever emptied or added to.
class CompanionFile {
public:
    CompanionFile(const std::filesystem::path& measurementFile, FileSystem& files);

    /// A new run begins: rows of an earlier run that never wrote a line are dropped.
    void beginRun();
    /// One event of the current run.
    void record(const RunEvent& event);

    // Called by the measurement file:
    /// Before a new run's first line: a companion left without its lines (a program stopped
    /// between the two renames, or a run that wrote no line) goes to the copy it belongs to or
    /// to a number of its own; lines left without a companion (a program stopped before the
    /// companion began) get one, with a start row from their first line. Throws on failure.
    void settle(const std::filesystem::path& measurementFile);
    /// Its earlier run's file was moved aside to `aside`: the companion goes with it. Throws
    /// on failure (the next attempt's settle() completes the move).
    void keptAside(const std::filesystem::path& aside);
    /// The current run's first line began a new measurement file.
    void measurementFileBegun();
    /// A measurement line went out: a good moment to write rows that wait.
    void retry();
    /// The measurement file was let go at the run's end: nothing more goes to this companion.
    void fileReleased();

    const std::filesystem::path& path() const { return m_path; }
    /// Why rows wait, if they do.
    const std::optional<WriteFailure>& lastFailure() const { return m_failure; }

private:
    void flush();
    RunEvent foundStart(const std::filesystem::path& measurementFile);

    std::filesystem::path m_path;
    FileSystem& m_files;
    std::string m_waiting;   // rows not yet on disk
    std::string m_written;   // the current run's rows on disk
    RunEvent m_start;        // the current run's start row
    bool m_begun = false;    // the current run's companion file has been started
    bool m_fresh = false;    // the next write starts the file anew, header first
    std::optional<WriteFailure> m_failure;
};

}  // namespace acquisition
