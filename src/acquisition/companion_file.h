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
class CompanionFile {
public:
    CompanionFile(const std::filesystem::path& measurementFile, FileSystem& files);

    /// A new run begins: rows of an earlier run that never wrote a line are dropped.
    void beginRun();
    /// One event of the current run.
    void record(const RunEvent& event);

    // Called by the measurement file:
    /// Its earlier run's file was moved aside to `aside`: the companion goes with it.
    void keptAside(const std::filesystem::path& aside);
    /// The current run's first line began a new measurement file.
    void measurementFileBegun();
    /// A measurement line went out: a good moment to write rows that wait.
    void retry();

    const std::filesystem::path& path() const { return m_path; }
    /// Why rows wait, if they do.
    const std::optional<WriteFailure>& lastFailure() const { return m_failure; }

private:
    void flush();

    std::filesystem::path m_path;
    FileSystem& m_files;
    std::string m_waiting;   // rows not yet on disk
    bool m_begun = false;    // the current run's companion file has been started
    bool m_fresh = false;    // the next write starts the file anew, header first
    std::optional<WriteFailure> m_failure;
};

}  // namespace acquisition
