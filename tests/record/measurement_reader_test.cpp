// Measurement files read back: the lines dataLine writes, fed in any pieces, lines that do not
// read, and the day's files in run order (the day in a file's name: the month's tests).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "acquisition/measurement_file.h"
#include "record/measurement_reader.h"

using namespace std::chrono;
using namespace record;

namespace record {
bool operator==(const Reading& a, const Reading& b) { return std::tie(a.number, a.millivolts, a.timeOfDay) == std::tie(b.number, b.millivolts, b.timeOfDay); }
}  // namespace record

namespace {

std::string lineOf(const Reading& r) { return acquisition::dataLine(r.number, r.millivolts, hh_mm_ss<seconds>{r.timeOfDay}); }

const std::vector<Reading> kReadings{
    {2, 2048, 14h + 3min + 27s}, {3, 0, 0s}, {10, 4095, 23h + 59min + 59s}, {86401, 7, 9h + 5min + 7s}, {9007199254740993, 1, 12h}};

TEST(MeasurementReader, GivesBackWhatDataLineWroteInAnyPiecesWithOrWithoutCrAndHoldsAnUnfinishedLineBack)
{
    std::string bytes, withoutCr;
    for (const Reading& r : kReadings) bytes += lineOf(r), withoutCr += lineOf(r).substr(0, lineOf(r).size() - 2) + "\n";
    for (const std::string& file : {bytes, withoutCr})
        for (const std::size_t piece : {file.size(), std::size_t{1}, std::size_t{7}}) {
            MeasurementReader reader;
            std::vector<Reading> out;
            for (std::size_t at = 0; at < file.size(); at += piece) reader.feed(std::string_view(file).substr(at, piece), out);
            EXPECT_EQ(out, kReadings) << "pieces of " << piece;
            EXPECT_EQ(std::tuple(reader.malformedLines(), reader.pendingBytes(), reader.bytesFed()), std::tuple(0u, 0u, file.size()));
        }
    const std::string next = lineOf(kReadings[1]);
    MeasurementReader reader;
    std::vector<Reading> out;
    reader.feed(lineOf(kReadings[0]) + next.substr(0, next.size() - 3), out);  // cut after the time
    reader.feed(next.substr(next.size() - 3, 2), out);                          // and between CR and LF
    EXPECT_EQ(std::tuple(out, reader.pendingBytes()), std::tuple(std::vector<Reading>{kReadings[0]}, next.size() - 1));
    reader.feed("\n", out);
    EXPECT_EQ(out, (std::vector<Reading>{kReadings[0], kReadings[1]}));
}

TEST(MeasurementReader, CountsEachLineTheInstrumentNeverWritesAndStillReadsTheOthers)
{
    for (const char* bad : {"", "2, 2048,14:03:27", " 2,2048,14:03:27", " 2,  2048,14:03:27", " 2, 2048, 14:03:27", "-2, 2048,14:03:27",
                            " 2,-5,14:03:27", " 2, 4096,14:03:27", " 2, 20.5,14:03:27", " 2, 2048,24:00:00", " 2, 2048,14:60:27",
                            " 2, 2048,14:03:60", " 2, 2048,4:03:27", " 2, 2048,14:03", " 2, 2048,14:03:27x", " 2, 2048,14:03:27,1",
                            " 2,14:03:27", "Bonjour, le, monde"}) {
        MeasurementReader reader;
        std::vector<Reading> out;
        reader.feed(lineOf(kReadings[0]) + bad + "\r\n" + lineOf(kReadings[1]), out);
        EXPECT_EQ(std::tuple(out, reader.malformedLines()), std::tuple(std::vector<Reading>{kReadings[0], kReadings[1]}, 1u)) << bad;
    }
}

TEST(DayRuns, ListsTheKeptRunsOldestFirstThenThePlainFile)
{
    const std::filesystem::path folder = "/home/obs/velmorixon";
    const std::vector<std::filesystem::path> entries{"data12-05-2026.val", "data12-05-2026.val.10", "data12-05-2026.val.2", "data12-04-2026.val.1",
                                                     "data12-05-2026.val.1", "data12-05-2026.run", "data12-05-2026.val.bak", "data12-05-2026.run.1",
                                                     "data12-05-2026.val.02", folder / "data12-05-2026.val.3"};
    auto names = [out = std::string()](const std::vector<record::RunFile>& runs) mutable {
        for (out.clear(); const auto& run : runs) out += run.path.filename().string() + "#" + std::to_string(run.keptNumber) + " ";
        return out;
    };
    const std::string expected = "data12-05-2026.val.1#1 data12-05-2026.val.2#2 data12-05-2026.val.3#3 data12-05-2026.val.10#10 data12-05-2026.val#0 ";
    EXPECT_EQ(names(record::dayRuns(folder / "data12-05-2026.val", entries)), expected);
    EXPECT_EQ(names(record::dayRuns(folder / "data12-05-2026.val.2", entries)), expected);
    EXPECT_EQ(record::dayRuns(folder / "data12-05-2026.val", entries)[0].path.parent_path(), folder);
    const std::vector<std::filesystem::path> withoutPlain(entries.begin() + 1, entries.end());
    EXPECT_EQ(record::dayRuns(folder / "data12-05-2026.val.1", withoutPlain).back().keptNumber, 10u);
}

}  // namespace
