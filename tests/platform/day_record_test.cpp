// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// A day's files read back and followed as the instrument writes them: appended lines, a line
// still being written, a run renamed aside when the next begins, its companion, and files that
// cannot be read.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "acquisition/run_companion.h"
#include "platform/day_record.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono;
using std::filesystem::path;

const local_days kDay{year{2026} / June / 21};
// Paris in summer all along.
const record::UtcOffsetAt kSummer = [](sys_seconds) { return minutes{120}; };

void append(const path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::app) << bytes;
}

class DayRecordTest : public ::testing::Test {
protected:
    path dayFile() const { return dir.path() / "data06-21-2026.val"; }
    TempDir dir;
};

TEST_F(DayRecordTest, ReadsOnlyWhatWasAppendedAndWaitsForAWholeLastLine)
{
    append(dayFile(), " 2, 100,10:00:00\r\n 3, 101,10:00:01\r\n 4, 1");
    DayRecord record(dayFile(), kSummer, kDay);
    const DayRecord::Change first = record.refresh();
    EXPECT_TRUE(first.runsChanged);
    ASSERT_EQ(record.runs().size(), 1u);
    EXPECT_EQ(record.runs()[0]->trace.points().size(), 2u);
    EXPECT_EQ(record.runs()[0]->trace.points()[0].instant,
              sys_days{year{2026} / June / 21} + hours{8});

    append(dayFile(), "02,10:00:02\r\n");
    const DayRecord::Change second = record.refresh();
    EXPECT_FALSE(second.runsChanged);
    EXPECT_EQ(second.newPoints, 1u);
    ASSERT_EQ(record.runs()[0]->trace.points().size(), 3u);
    EXPECT_EQ(record.runs()[0]->trace.points()[2].millivolts, 102);
    EXPECT_EQ(record.refresh().newPoints, 0u);
    EXPECT_FALSE(record.problem());
}

TEST_F(DayRecordTest, ARunRenamedAsideKeepsItsReadingsAndTheNewRunFollowsIt)
{
    append(dayFile(), " 2, 100,10:00:00\r\n 3, 101,10:00:01\r\n");
    DayRecord record(dayFile(), kSummer, kDay);
    record.refresh();
    const auto* firstRun = record.runs()[0].get();

    // The instrument begins a new run: the day file goes aside as .1, a new one is begun.
    std::filesystem::rename(dayFile(), dir.path() / "data06-21-2026.val.1");
    append(dayFile(), " 2, 500,09:59:00\r\n");
    EXPECT_TRUE(record.refresh().runsChanged);
    ASSERT_EQ(record.runs().size(), 2u);
    EXPECT_EQ(record.runs()[0].get(), firstRun) << "the earlier run was read again";
    EXPECT_EQ(record.runs()[0]->file.keptNumber, 1u);
    EXPECT_EQ(record.runs()[0]->trace.points().size(), 2u);
    // A time before the earlier run's last line belongs after it: on the next day.
    const auto& later = record.runs()[1]->trace.points();
    ASSERT_EQ(later.size(), 1u);
    EXPECT_GT(later[0].instant, record.runs()[0]->trace.points().back().instant);
}

TEST_F(DayRecordTest, TheCompanionGivesTheRunItsEventsAndIsReadAgainWhenItGrows)
{
    const path companion = acquisition::companionPath(dayFile());
    acquisition::RunEvent start;
    start.local = local_seconds{kDay + hours{10}};
    start.utcOffset = minutes{120};
    start.nextNumber = 2;
    start.site = "Chelles";
    start.port = "simulation";
    start.version = "1.0.0";
    append(companion, acquisition::companionHeader() + acquisition::companionLine(start));
    append(dayFile(), " 2, 100,10:00:00\r\n");
    DayRecord record(dayFile(), kSummer, kDay);
    record.refresh();
    ASSERT_EQ(record.runs()[0]->events.size(), 1u);

    acquisition::RunEvent stop = start;
    stop.kind = acquisition::RunEvent::Kind::Stop;
    stop.nextNumber = 3;
    append(companion, acquisition::companionLine(stop) + "garbage\r\n");
    record.refresh();
    ASSERT_EQ(record.runs()[0]->events.size(), 2u);
    EXPECT_EQ(record.runs()[0]->events.back().kind, acquisition::RunEvent::Kind::Stop);
    EXPECT_EQ(record.malformedCompanionRows(), 1u);
}

TEST_F(DayRecordTest, AFileBegunAfreshUnderTheSameNameIsReadFromItsStart)
{
    append(dayFile(), " 2, 100,10:00:00\r\n 3, 101,10:00:01\r\n");
    DayRecord record(dayFile(), kSummer, kDay);
    record.refresh();
    ::truncate(dayFile().c_str(), 0);
    append(dayFile(), " 2, 700,11:00:00\r\n");
    EXPECT_TRUE(record.refresh().runsChanged);
    ASSERT_EQ(record.runs().size(), 1u);
    ASSERT_EQ(record.runs()[0]->trace.points().size(), 1u);
    EXPECT_EQ(record.runs()[0]->trace.points()[0].millivolts, 700);
}

TEST_F(DayRecordTest, MissingUnreadableAndGarbageFilesAreSaidNeverFatal)
{
    {
        DayRecord record(dayFile(), kSummer, kDay);
        record.refresh();
        ASSERT_TRUE(record.problem());
        EXPECT_EQ(record.problem()->reason, "Aucun fichier ou dossier de ce type");
        EXPECT_TRUE(record.runs().empty());
        // Once it appears, it is read.
        append(dayFile(), " 2, 100,10:00:00\r\n");
        record.refresh();
        EXPECT_FALSE(record.problem());
        EXPECT_EQ(record.runs().size(), 1u);
    }
    if (::geteuid() != 0) {  // root reads every file
        ::chmod(dayFile().c_str(), 0);
        DayRecord record(dayFile(), kSummer, kDay);
        record.refresh();
        ASSERT_TRUE(record.problem());
        EXPECT_EQ(record.problem()->reason, "Permission non accordée");
        ::chmod(dayFile().c_str(), 0644);
    }
    {
        std::filesystem::remove(dayFile());
        const char binary[] = "\x7f" "ELF\x02\x01\x01\0\0\0garbage\nmore garbage\r\n";
        append(dayFile(), std::string(binary, sizeof binary - 1));
        DayRecord record(dayFile(), kSummer, kDay);
        record.refresh();
        EXPECT_FALSE(record.problem());
        EXPECT_TRUE(record.runs()[0]->trace.points().empty());
        EXPECT_EQ(record.malformedLines(), 2u);
    }
    {
        const path folder = dir.path() / "data06-22-2026.val";
        std::filesystem::create_directory(folder);
        DayRecord record(folder, kSummer, kDay);
        record.refresh();
        ASSERT_TRUE(record.problem());
        EXPECT_EQ(record.problem()->reason, "Est un dossier");
    }
}

TEST_F(DayRecordTest, AFileWhoseNameCarriesNoDateIsItsOwnRunOnTheGivenDate)
{
    const path other = dir.path() / "releve.txt";
    append(other, " 2, 100,10:00:00\r\n");
    append(dayFile(), " 2, 200,10:00:00\r\n");
    DayRecord record(other, kSummer, kDay);
    record.refresh();
    EXPECT_FALSE(record.dateFromName());
    ASSERT_EQ(record.runs().size(), 1u);
    EXPECT_EQ(record.runs()[0]->trace.points()[0].millivolts, 100);
}

}  // namespace
