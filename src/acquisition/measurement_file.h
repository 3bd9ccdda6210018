#pragma once
// The day's measurement file: one CR LF line per reading, never a line lost.
#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "platform/file_system.h"

namespace acquisition {

/// " 2, 2048,14:03:27\r\n": a space and the number, ",", a space and the millivolts, ",",
/// HH:MM:SS, CR LF. Independent of any locale.
std::string dataLine(std::int64_t numMes, std::int64_t mesureMv,
                     std::chrono::hh_mm_ss<std::chrono::seconds> time);

/// "data" + MM-DD-YYYY + ".val", for example "data12-05-2026.val".
std::string dataFileName(std::chrono::year_month_day date);

/// Why lines are waiting.
struct WriteFailure {
    std::filesystem::path path;
    std::error_code code;
    /// Set when another process writes the file: its id (0 when it cannot be told).
    std::optional<long> otherWriter;
    /// The right to write the file could not be taken, for `code`'s reason.
    bool lock = false;
};

/// "<file>.N", where an earlier run of the day is kept.
std::filesystem::path numberedCopy(const std::filesystem::path& file, unsigned copy);

class CompanionFile;

class MeasurementFile {
public:
    MeasurementFile(std::filesystem::path fullFile, FileSystem& files);

    /// Queues `line` (complete, CR LF included) and writes everything queued, in order, each
    /// line flushed to stable storage. `startNewFile` (the window's FirstAnalyse) makes this line
    /// begin a new file: a file that holds lines is first renamed to the first free
    /// "<file>.1", "<file>.2", ... The folder is created when missing, also when it goes away
    /// during a run, but not the folder that holds it (the home folder): that one must exist.
    /// Nothing is renamed or written while another process writes the file (its writer's lock,
    /// held from this run's first line until the run ended and nothing waits). Returns true when nothing
    /// is left waiting; on failure the lines stay queued and lastFailure() says why.
    bool append(std::string line, bool startNewFile);

    /// Tries again to write what is waiting, without a new line. True when nothing is left.
    bool retry();

    std::size_t pendingLines() const;
    const std::optional<WriteFailure>& lastFailure() const;
    /// Drops what is waiting (the user agreed to lose it).
    void discardPending();
    /// The run is over: once nothing waits, the file is let go for another process to write.
    void runEnded();

    const std::filesystem::path& path() const;

    /// The run companion that follows this file: moved aside with it, begun with each run's
    /// first line.
    void setCompanion(CompanionFile* companion) { m_companion = companion; }

private:
    struct Line {
        std::string bytes;
        bool startsNewFile;
    };

    bool writePending();
    void writeFront();
    void keepPreviousRun();
    void release();

    std::filesystem::path m_path;
    FileSystem& m_files;
    std::deque<Line> m_pending;
    std::optional<WriteFailure> m_failure;
    bool m_folderReady = false;
    /// The earlier run's file was moved aside for the first waiting line: never twice.
    bool m_previousRunKept = false;
    /// Lines were dropped before their new file was begun: the next line begins it.
    bool m_newFileOwed = false;
    CompanionFile* m_companion = nullptr;
    std::unique_ptr<FileSystem::WriterLock> m_lock;
    bool m_runEnded = false;
};

}  // namespace acquisition
