#pragma once
// Reading the measurement files back: the lines " N, mV,HH:MM:SS" CR LF that dataLine writes,
// fed in pieces as they arrive, and the day's files in run order.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace record {

/// One line of a measurement file.
struct Reading {
    std::int64_t number = 0;        ///< the measurement number (2 for a run's first reading)
    int millivolts = 0;             ///< 0 to 4095
    std::chrono::seconds timeOfDay{0};  ///< 00:00:00 to 23:59:59 on the local clock
};

/// One line without its line end: a blank and the digits of the number, ",", a blank and the
/// digits of 0..4095, ",", HH:MM:SS on a 24-hour clock. Anything else (another spacing, a
/// sign, a field out of range, trailing bytes) gives nothing.
std::optional<Reading> parseDataLine(std::string_view line);

/// An incremental reader: bytes go in as they are read from the file, whole readings come out.
/// A line ends at LF (the CR before it is expected and dropped; a line without it still
/// reads). A line that does not read is counted, never fatal. A last line without its LF is
/// kept back until the rest of it is fed. A piece of more than kLongestLine bytes without a
/// line end is counted malformed at once and skipped up to the next LF (a binary file costs
/// no memory).
class MeasurementReader {
public:
    static constexpr std::size_t kLongestLine = 64;

    /// Appends the readings completed by `bytes` to `out`; returns how many were appended.
    std::size_t feed(std::string_view bytes, std::vector<Reading>& out);

    /// `count` bytes that hold no line end and no reading, passed over unread (a hole of a
    /// sparse file reads as NULs): the same as feeding them, without the bytes.
    void skip(std::uintmax_t count);

    std::size_t malformedLines() const { return m_malformed; }
    /// Bytes of an unfinished last line held back.
    std::size_t pendingBytes() const { return m_partial.size(); }
    /// Total bytes fed (the reading position in the file).
    std::uintmax_t bytesFed() const { return m_fed; }

private:
    void takeLine(std::string_view line, std::vector<Reading>& out, std::size_t& added);

    std::string m_partial;
    bool m_skipping = false;  ///< inside an overlong line, already counted
    std::size_t m_malformed = 0;
    std::uintmax_t m_fed = 0;
};

/// One run's measurement file of a day.
struct RunFile {
    std::filesystem::path path;
    /// 1, 2, ... for the kept earlier runs "<day file>.N"; 0 for the plain day file.
    unsigned keptNumber = 0;
};

/// The date in a measurement file's name: "data12-05-2026.val" (or "...val.3") -> 2026-12-05.
/// Nothing for another name or an impossible date.
std::optional<std::chrono::year_month_day> dateFromFileName(std::string_view fileName);

/// The runs of `dayFile`'s day among `folderEntries` (the names or paths found in its folder),
/// oldest first: "<day>.1", "<day>.2", ... by number, then the plain day file, which is the
/// newest (the run being written). `dayFile` may name the plain file or any kept run; the
/// plain file is listed only when it is among the entries. Paths come out in dayFile's folder.
std::vector<RunFile> dayRuns(const std::filesystem::path& dayFile,
                             const std::vector<std::filesystem::path>& folderEntries);

}  // namespace record
