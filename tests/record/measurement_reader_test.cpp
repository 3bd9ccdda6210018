// Measurement files read back: the lines dataLine writes, fed in any pieces, and the day's
// files in run order.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "acquisition/measurement_file.h"
#include "record/measurement_reader.h"

using namespace std::chrono;
using acquisition::dataFileName;
using acquisition::dataLine;
using record::dateFromFileName;
using record::dayRuns;
using record::MeasurementReader;
using record::parseDataLine;
using record::Reading;
using record::RunFile;

namespace record {
bool operator==(const Reading& a, const Reading& b)
{
    return a.number == b.number && a.millivolts == b.millivolts && a.timeOfDay == b.timeOfDay;
}
void PrintTo(const Reading& r, std::ostream* os)
{
    *os << "{" << r.number << ", " << r.millivolts << " mV, " << r.timeOfDay.count() << " s}";
}
}  // namespace record

namespace {

std::string lineOf(const Reading& r)
{
    return dataLine(r.number, r.millivolts, hh_mm_ss<seconds>{r.timeOfDay});
}

const std::vector<Reading> kReadings{
    {2, 2048, 14h + 3min + 27s},
    {3, 0, 0s},
    {10, 4095, 23h + 59min + 59s},
    {86401, 7, 9h + 5min + 7s},
    {9007199254740993, 1, 12h},
};

std::string fileOf(const std::vector<Reading>& readings)
{
    std::string bytes;
    for (const Reading& r : readings) bytes += lineOf(r);
    return bytes;
}

TEST(ReadingALine, GivesBackWhatDataLineWrote)
{
    for (const Reading& r : kReadings) {
        std::string line = lineOf(r);
        line.resize(line.size() - 2);  // without CR LF
        EXPECT_EQ(parseDataLine(line), r) << line;
    }
}

struct MalformedRow {
    const char* name;
    const char* line;
};
void PrintTo(const MalformedRow& row, std::ostream* os) { *os << row.name; }

class ALineTheInstrumentNeverWrites : public testing::TestWithParam<MalformedRow> {};

TEST_P(ALineTheInstrumentNeverWrites, DoesNotRead)
{
    EXPECT_FALSE(parseDataLine(GetParam().line).has_value()) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ALineTheInstrumentNeverWrites,
    testing::Values(MalformedRow{"Empty", ""},
                    MalformedRow{"NumberWithoutItsBlank", "2, 2048,14:03:27"},
                    MalformedRow{"MillivoltsWithoutTheirBlank", " 2,2048,14:03:27"},
                    MalformedRow{"TwoBlanks", " 2,  2048,14:03:27"},
                    MalformedRow{"BlankBeforeTheTime", " 2, 2048, 14:03:27"},
                    MalformedRow{"NegativeNumber", "-2, 2048,14:03:27"},
                    MalformedRow{"NegativeMillivolts", " 2,-5,14:03:27"},
                    MalformedRow{"MillivoltsBeyondTwelveBits", " 2, 4096,14:03:27"},
                    MalformedRow{"DecimalMillivolts", " 2, 20.5,14:03:27"},
                    MalformedRow{"Hour24", " 2, 2048,24:00:00"},
                    MalformedRow{"Minute60", " 2, 2048,14:60:27"},
                    MalformedRow{"Second60", " 2, 2048,14:03:60"},
                    MalformedRow{"OneDigitHour", " 2, 2048,4:03:27"},
                    MalformedRow{"TimeWithoutSeconds", " 2, 2048,14:03"},
                    MalformedRow{"TrailingBytes", " 2, 2048,14:03:27x"},
                    MalformedRow{"FourFields", " 2, 2048,14:03:27,1"},
                    MalformedRow{"MissingField", " 2,14:03:27"},
                    MalformedRow{"Words", "Bonjour, le, monde"}),
    [](const testing::TestParamInfo<MalformedRow>& info) { return info.param.name; });

std::vector<Reading> feedInPieces(MeasurementReader& reader, const std::string& bytes,
                                  std::size_t piece)
{
    std::vector<Reading> out;
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        reader.feed(std::string_view(bytes).substr(at, piece), out);
    return out;
}

TEST(MeasurementReader, AWholeFileGivesEveryReadingInOrderInAnyPieces)
{
    const std::string bytes = fileOf(kReadings);
    for (const std::size_t piece : {bytes.size(), std::size_t{1}, std::size_t{7}}) {
        MeasurementReader reader;
        EXPECT_EQ(feedInPieces(reader, bytes, piece), kReadings) << "pieces of " << piece;
        EXPECT_EQ(reader.malformedLines(), 0u);
        EXPECT_EQ(reader.pendingBytes(), 0u);
        EXPECT_EQ(reader.bytesFed(), bytes.size());
    }
}

TEST(MeasurementReader, CountsMalformedLinesAndStillReadsTheOthers)
{
    const std::string bytes = lineOf(kReadings[0]) + "garbage\r\n" + "\r\n" +
                              lineOf(kReadings[1]) + " 5, 9999,10:00:00\r\n" + lineOf(kReadings[2]);
    MeasurementReader reader;
    std::vector<Reading> out;
    EXPECT_EQ(reader.feed(bytes, out), 3u);
    EXPECT_EQ(out, (std::vector<Reading>{kReadings[0], kReadings[1], kReadings[2]}));
    EXPECT_EQ(reader.malformedLines(), 3u);
}

TEST(MeasurementReader, HoldsALastLineWithoutItsLineEndBackUntilItIsWhole)
{
    const std::string whole = lineOf(kReadings[0]);
    const std::string next = lineOf(kReadings[1]);
    MeasurementReader reader;
    std::vector<Reading> out;
    // cut after the time, and again between CR and LF
    reader.feed(whole + next.substr(0, next.size() - 3), out);
    EXPECT_EQ(out, std::vector<Reading>{kReadings[0]});
    EXPECT_EQ(reader.pendingBytes(), next.size() - 3);
    reader.feed(next.substr(next.size() - 3, 2), out);
    EXPECT_EQ(out.size(), 1u);
    reader.feed("\n", out);
    EXPECT_EQ(out, (std::vector<Reading>{kReadings[0], kReadings[1]}));
    EXPECT_EQ(reader.malformedLines(), 0u);
    EXPECT_EQ(reader.pendingBytes(), 0u);
}

TEST(MeasurementReader, ReadsALineEndedByLineFeedAlone)
{
    std::string line = lineOf(kReadings[0]);
    line.erase(line.size() - 2, 1);  // the CR
    MeasurementReader reader;
    std::vector<Reading> out;
    reader.feed(line, out);
    EXPECT_EQ(out, std::vector<Reading>{kReadings[0]});
}

TEST(MeasurementReader, CountsALongRunOfBytesWithoutLineEndOnceAndKeepsNoneOfIt)
{
    MeasurementReader reader;
    std::vector<Reading> out;
    const std::string binary(100000, '\x01');
    reader.feed(binary, out);
    reader.feed(binary, out);
    EXPECT_EQ(reader.malformedLines(), 1u);
    EXPECT_LE(reader.pendingBytes(), MeasurementReader::kLongestLine);
    reader.feed("tail of it\r\n" + lineOf(kReadings[3]), out);
    EXPECT_EQ(out, std::vector<Reading>{kReadings[3]});
    EXPECT_EQ(reader.malformedLines(), 1u);
}

TEST(DayFileName, GivesTheDateDataFileNameWroteForThePlainFileAndKeptRuns)
{
    for (const year_month_day date : {2026y / December / 5, 2024y / February / 29, 2027y / January / 31}) {
        const std::string name = dataFileName(date);
        EXPECT_EQ(dateFromFileName(name), date) << name;
        EXPECT_EQ(dateFromFileName(name + ".3"), date) << name;
        EXPECT_EQ(dateFromFileName(name + ".12"), date) << name;
    }
}

TEST(DayFileName, GivesNoDateForAnotherNameOrAnImpossibleDate)
{
    for (const char* name : {"data13-05-2026.val", "data02-29-2026.val", "data12-05-2026.txt",
                             "data12-05-2026.val.0", "data12-05-2026.val.x", "data12-05-2026.val.",
                             "data1-5-2026.val", "data12/05/2026.val", "Data12-05-2026.val",
                             "data12-05-2026.valx", "data12-05-2026.run"})
        EXPECT_FALSE(dateFromFileName(name).has_value()) << name;
}

TEST(DayRuns, ListsTheKeptRunsOldestFirstThenThePlainFile)
{
    const std::filesystem::path folder = "/home/obs/velmorixon";
    const std::vector<std::filesystem::path> entries{
        "data12-05-2026.val",     "data12-05-2026.val.10", "data12-05-2026.val.2",
        "data12-04-2026.val.1",   "data12-05-2026.val.1",  "data12-05-2026.run",
        "data12-05-2026.val.bak", "data12-05-2026.run.1",  "data12-05-2026.val.02",
        folder / "data12-05-2026.val.3"};
    const auto names = [](const std::vector<RunFile>& runs) {
        std::vector<std::string> out;
        for (const RunFile& run : runs)
            out.push_back(run.path.string() + "#" + std::to_string(run.keptNumber));
        return out;
    };
    const std::vector<std::string> expected{
        "/home/obs/velmorixon/data12-05-2026.val.1#1", "/home/obs/velmorixon/data12-05-2026.val.2#2",
        "/home/obs/velmorixon/data12-05-2026.val.3#3", "/home/obs/velmorixon/data12-05-2026.val.10#10",
        "/home/obs/velmorixon/data12-05-2026.val#0"};
    EXPECT_EQ(names(dayRuns(folder / "data12-05-2026.val", entries)), expected);
    // opened on a kept run: the same day, the same runs
    EXPECT_EQ(names(dayRuns(folder / "data12-05-2026.val.2", entries)), expected);
    // the current run moved aside and its successor not begun yet: no plain file
    std::vector<std::filesystem::path> withoutPlain(entries.begin() + 1, entries.end());
    auto runs = dayRuns(folder / "data12-05-2026.val.1", withoutPlain);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs.back().keptNumber, 10u);
}

}  // namespace
