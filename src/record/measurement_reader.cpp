#include "record/measurement_reader.h"

#include <algorithm>

#include "acquisition/field_parsing.h"

namespace record {

namespace {

using namespace std::chrono;

constexpr int kLargestReading = 4095;

/// " digits": the sign position (always a blank: the instrument writes no negative number),
/// then at least one digit.
template <class T>
bool readSignedField(std::string_view field, T& value)
{
    if (field.size() < 2 || field[0] != ' ' || field[1] < '0' || field[1] > '9') return false;
    return acquisition::readNumber(field.substr(1), value);
}

/// "HH:MM:SS", 00:00:00 to 23:59:59.
bool readClockTime(std::string_view text, seconds& time)
{
    int h, m, s;
    if (text.size() != 8 || text[2] != ':' || text[5] != ':' || !acquisition::readDigits(text.substr(0, 2), 2, h) ||
        !acquisition::readDigits(text.substr(3, 2), 2, m) || !acquisition::readDigits(text.substr(6, 2), 2, s) || h > 23 ||
        m > 59 || s > 59)
        return false;
    time = hours{h} + minutes{m} + seconds{s};
    return true;
}

/// The kept run's number in "<plain>.N": N from 1 up, written without leading zeros.
std::optional<unsigned> keptNumberOf(std::string_view name, std::string_view plain)
{
    if (name.size() < plain.size() + 2 || name.substr(0, plain.size()) != plain ||
        name[plain.size()] != '.' || name[plain.size() + 1] == '0')
        return std::nullopt;
    const std::string_view digits = name.substr(plain.size() + 1);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    unsigned number = 0;
    if (!acquisition::readNumber(digits, number)) return std::nullopt;
    return number;
}

/// "data12-05-2026.val" from any of the day's names; empty when the name is not one.
std::string plainDayName(std::string_view name)
{
    constexpr std::string_view kPrefix = "data";
    constexpr std::string_view kSuffix = ".val";
    constexpr std::size_t kLength = kPrefix.size() + 10 + kSuffix.size();  // data12-05-2026.val
    if (name.size() < kLength || name.substr(0, kPrefix.size()) != kPrefix ||
        name.substr(kLength - kSuffix.size(), kSuffix.size()) != kSuffix)
        return {};
    const std::string plain{name.substr(0, kLength)};
    if (name.size() > kLength && !keptNumberOf(name, plain)) return {};
    return plain;
}

/// The line as the instrument writes it, read byte by byte without a call: " N, mV,HH:MM:SS"
/// with a number of at most 18 digits and millivolts of at most 4 digits. False when the line
/// is anything else, which parseDataLine then judges: both read a line alike.
bool readWrittenLine(std::string_view line, Reading& reading)
{
    const char* p = line.data();
    const char* const end = p + line.size();
    const auto digit = [](char c) { return unsigned(c - '0') < 10u; };
    if (end - p < 14 || *p++ != ' ' || !digit(*p)) return false;
    std::int64_t number = 0;
    const char* const numberEnd = std::min(end, p + 18);
    while (p != numberEnd && digit(*p)) number = number * 10 + (*p++ - '0');
    if (p == end || *p++ != ',' || p == end || *p++ != ' ' || p == end || !digit(*p)) return false;
    int millivolts = 0;
    const char* const millivoltsEnd = std::min(end, p + 4);
    while (p != millivoltsEnd && digit(*p)) millivolts = millivolts * 10 + (*p++ - '0');
    if (p == end || *p++ != ',' || end - p != 8 || millivolts > kLargestReading) return false;
    if (!digit(p[0]) || !digit(p[1]) || p[2] != ':' || !digit(p[3]) || !digit(p[4]) || p[5] != ':' ||
        !digit(p[6]) || !digit(p[7]))
        return false;
    const int h = (p[0] - '0') * 10 + (p[1] - '0'), m = (p[3] - '0') * 10 + (p[4] - '0'),
              s = (p[6] - '0') * 10 + (p[7] - '0');
    if (h > 23 || m > 59 || s > 59) return false;
    reading.number = number;
    reading.millivolts = millivolts;
    reading.timeOfDay = seconds{h * 3600 + m * 60 + s};
    return true;
}

}  // namespace

std::optional<Reading> parseDataLine(std::string_view line)
{
    const auto firstComma = line.find(',');
    if (firstComma == std::string_view::npos) return std::nullopt;
    const auto secondComma = line.find(',', firstComma + 1);
    if (secondComma == std::string_view::npos) return std::nullopt;

    Reading reading;
    if (!readSignedField(line.substr(0, firstComma), reading.number) ||
        !readSignedField(line.substr(firstComma + 1, secondComma - firstComma - 1),
                         reading.millivolts) ||
        reading.millivolts > kLargestReading ||
        !readClockTime(line.substr(secondComma + 1), reading.timeOfDay))
        return std::nullopt;
    return reading;
}

std::size_t MeasurementReader::feed(std::string_view bytes, std::vector<Reading>& out)
{
    m_fed += bytes.size();
    std::size_t added = 0;
    while (!bytes.empty()) {
        const auto end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        if (m_skipping) {
            // the rest of an overlong line, counted already
        } else if (m_partial.size() + piece.size() > kLongestLine) {
            ++m_malformed;
            m_partial.clear();
            m_skipping = true;
        } else if (end != std::string_view::npos && m_partial.empty()) {
            takeLine(piece, out, added);  // the common case: a whole line, no copy
        } else {
            m_partial.append(piece);
            if (end != std::string_view::npos) {
                takeLine(m_partial, out, added);
                m_partial.clear();
            }
        }
        if (end == std::string_view::npos) break;
        m_skipping = false;
        bytes.remove_prefix(end + 1);
    }
    return added;
}

void MeasurementReader::skip(std::uintmax_t count)
{
    if (count == 0) return;
    m_fed += count;
    if (m_skipping) return;
    if (m_partial.size() + count > kLongestLine) {
        ++m_malformed;
        m_partial.clear();
        m_skipping = true;
    } else {
        m_partial.append(static_cast<std::size_t>(count), '\0');
    }
}

void MeasurementReader::takeLine(std::string_view line, std::vector<Reading>& out,
                                 std::size_t& added)
{
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (Reading written; readWrittenLine(line, written)) {
        out.push_back(written);
        ++added;
    } else if (auto reading = parseDataLine(line)) {
        out.push_back(*reading);
        ++added;
    } else {
        ++m_malformed;
    }
}

std::optional<year_month_day> dateFromFileName(std::string_view fileName)
{
    const std::string plain = plainDayName(fileName);
    if (plain.empty()) return std::nullopt;
    const std::string_view mdy = std::string_view(plain).substr(4, 10);  // MM-DD-YYYY
    int m, d, y;
    if (mdy[2] != '-' || mdy[5] != '-' || !acquisition::readDigits(mdy.substr(0, 2), 2, m) ||
        !acquisition::readDigits(mdy.substr(3, 2), 2, d) || !acquisition::readDigits(mdy.substr(6, 4), 4, y))
        return std::nullopt;
    const year_month_day date{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
    if (!date.ok()) return std::nullopt;
    return date;
}

std::vector<RunFile> dayRuns(const std::filesystem::path& dayFile,
                             const std::vector<std::filesystem::path>& folderEntries)
{
    const std::string given = dayFile.filename().string();
    std::string plain = plainDayName(given);
    if (plain.empty()) {
        // Not a day's name: the file alone is its run, kept runs beside it by the same rule.
        plain = given;
        if (const auto dot = given.rfind('.'); dot != std::string::npos &&
                                                keptNumberOf(given, given.substr(0, dot)))
            plain = given.substr(0, dot);
    }
    const std::filesystem::path folder = dayFile.parent_path();

    std::vector<RunFile> runs;
    bool plainPresent = false;
    for (const auto& entry : folderEntries) {
        const std::string name = entry.filename().string();
        if (name == plain) {
            plainPresent = true;
        } else if (const auto number = keptNumberOf(name, plain)) {
            runs.push_back(RunFile{folder / name, *number});
        }
    }
    // By number, each number once (the first entry that has it): a folder of thousands of
    // runs is sorted, never searched once per run.
    std::stable_sort(runs.begin(), runs.end(),
                     [](const RunFile& a, const RunFile& b) { return a.keptNumber < b.keptNumber; });
    runs.erase(std::unique(runs.begin(), runs.end(), [](const RunFile& a, const RunFile& b) { return a.keptNumber == b.keptNumber; }),
               runs.end());
    if (plainPresent) runs.push_back(RunFile{folder / plain, 0});
    return runs;
}

}  // namespace record
