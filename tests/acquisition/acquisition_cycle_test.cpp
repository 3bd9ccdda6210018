// The acquisition cycle driven as its window drives it, on a clock in hand and the simulated
// converter: the schedule, the run and its port, the counted readings, the day's file and the
// run companions, with a second program on the same file and programs stopped mid-way.
#include "acquisition/acquisition_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <system_error>

#include "acquisition/simulated_max187.h"
#include "support/fake_clock.h"
#include "support/memory_file_system.h"

using namespace std::chrono;
using acquisition::RunEvent;

namespace {

const std::filesystem::path kFolder{"/home/obs/velmorixon"};
const std::filesystem::path kVal = kFolder / "data12-05-2026.val";
const std::filesystem::path kRun = kFolder / "data12-05-2026.run";
const std::string kHeader = "instant;evenement;numero;site;latitude;longitude;periode_s;port;version\r\n";

// The converter behind a port whose opening and release the test sees.
class WatchedPort final : public ParallelPort {
public:
    WatchedPort(acquisition::SimulatedMax187& converter, int& held) : m_converter(converter), m_held(held) { ++m_held; }
    ~WatchedPort() override { --m_held; }
    void writeData(std::uint8_t value) override { m_converter.writeData(value); }
    std::uint8_t readStatus() override { return m_converter.readStatus(); }

private:
    acquisition::SimulatedMax187& m_converter;
    int& m_held;
};

// One running program: its day's file, its companion and its cycle.
struct Program {
    Program(FileSystem& files, FakeClock& clock) : clock(clock), file(kVal, files), companion(kVal, files)
    {
        converter.setCounts(2048);
        file.setCompanion(&companion);
        cycle.recordRunsIn(companion, "/dev/parport0", "1.0.0");
        cycle.setSite("Chelles", 48.88, 2.6);
    }
    // The timer fires when the cycle says the next tick is due, and the window's tick runs:
    // read, count, line. `handOver` runs where the window lets events run after the read.
    void tick(const std::function<void()>& handOver = [] {})
    {
        clock.advance(cycle.untilNextTick());
        auto t = cycle.beginTick();
        ASSERT_TRUE(t.has_value());
        cycle.read();
        handOver();
        if (t->count()) t->writeLine();
    }

    FakeClock& clock;
    acquisition::MeasurementFile file;
    acquisition::CompanionFile companion;
    acquisition::SimulatedMax187 converter;
    int held = 0;       // ports open right now
    int opens = 0;
    int openErrno = 0;  // the next opening fails with it when not 0
    acquisition::AcquisitionCycle cycle{[this]() -> std::unique_ptr<ParallelPort> {
                                            if (openErrno != 0)
                                                throw std::system_error(openErrno, std::generic_category(), "PPCLAIM");
                                            ++opens;
                                            return std::make_unique<WatchedPort>(converter, held);
                                        },
                                        clock, file};
};

class Cycle : public testing::Test {
protected:
    // 5 December 2026, 14:03:27
    FakeClock clock{local_time<milliseconds>{local_days{year{2026} / 12 / 5} + 14h + 3min + 27s}};
    MemoryFileSystem files;
    Program a{files, clock};
    std::string lines(const char* copy = "") const { return files.text(kVal.string() + copy); }
    std::string rows(const char* copy = "") const { return files.text(kRun.string() + copy); }
};

TEST_F(Cycle, ReadingsFallEveryPeriodAndAChangeFromOneToTenSecondsBringsTheNextTenSecondsLater)
{
    a.cycle.start(1s);
    for (int i = 0; i < 3; ++i) a.tick();
    clock.advance(500ms);
    a.cycle.setPeriod(10s);
    EXPECT_EQ(a.cycle.untilNextTick(), 10s);
    a.tick();
    a.tick([&] {  // a timer expiry while the read lets events run is skipped, not stacked
        clock.advance(a.cycle.untilNextTick());
        EXPECT_FALSE(a.cycle.beginTick().has_value());
    });
    a.tick();
    EXPECT_EQ(lines(), " 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n 4, 2048,14:03:30\r\n"
                       " 5, 2048,14:03:40\r\n 6, 2048,14:04:00\r\n 7, 2048,14:04:10\r\n");
}

TEST_F(Cycle, AStopOrAStopAndStartDuringTheReadsHandOverEndsThatTickWithNothingCountedOrWritten)
{
    a.cycle.start(1s);
    a.tick();
    a.tick();
    const std::string run = lines();
    a.tick([&] { a.cycle.stop(); });
    EXPECT_EQ(a.cycle.number(), 1);
    a.cycle.start(1s);
    a.tick([&] {
        a.cycle.stop();
        a.cycle.start(1s);
    });
    EXPECT_EQ(a.cycle.number(), 1) << "the new run has counted nothing yet";
    EXPECT_EQ(lines(), run) << "the stopped run keeps its lines, nothing is added";
    a.tick();
    EXPECT_EQ(lines(), " 2, 2048,14:03:32\r\n") << "the new run's first line begins a new file";
    EXPECT_EQ(lines(".1"), run) << "and the earlier run is kept aside";
}

TEST_F(Cycle, ThePortIsHeldFromTheStartToEveryWayTheRunEnds)
{
    a.openErrno = EBUSY;
    EXPECT_THROW(a.cycle.start(1s), std::system_error);
    EXPECT_FALSE(a.cycle.beginTick().has_value()) << "no tick without a run";
    a.openErrno = 0;
    a.cycle.start(1s);
    a.cycle.start(1s);
    EXPECT_EQ(a.opens, 1) << "a start during a run opens nothing";
    a.cycle.stop();
    EXPECT_EQ(a.held, 0);
    a.cycle.start(1s);
    a.cycle.quit();
    EXPECT_EQ(a.held, 0) << "quitting ends the run";
    a.cycle.start(1s);
    a.tick();
    a.converter.failNextOperation(EIO);
    clock.advance(a.cycle.untilNextTick());
    auto t = a.cycle.beginTick();
    EXPECT_THROW(a.cycle.read(), std::system_error);
    EXPECT_EQ(a.held, 0) << "a failed read releases the port";
    EXPECT_FALSE(t->count());
    EXPECT_EQ(lines(), " 2, 2048,14:03:28\r\n") << "the lines already written stay";
}

TEST_F(Cycle, WaitingLinesAreRetriedByEveryTickAndByTheWindowOnlyWhenIdle)
{
    a.cycle.start(1s);
    files.failWrites(ENOSPC);
    a.tick();
    a.tick();
    EXPECT_FALSE(a.cycle.needsIdleRetry()) << "the run's ticks retry";
    a.cycle.stop();
    EXPECT_TRUE(a.cycle.needsIdleRetry());
    EXPECT_FALSE(a.cycle.retryWaitingLines());
    files.heal();
    EXPECT_TRUE(a.cycle.retryWaitingLines());
    EXPECT_FALSE(a.cycle.needsIdleRetry());
    EXPECT_EQ(lines(), " 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n");
}

TEST_F(Cycle, ASecondProgramOnTheDaysFileIsRefusedUntilTheFirstEndsItsRun)
{
    a.cycle.start(1s);
    a.tick();
    Program b{files, clock};
    b.converter.setCounts(7);
    b.cycle.start(1s);
    b.tick();
    ASSERT_TRUE(b.file.lastFailure().has_value());
    EXPECT_EQ(b.file.lastFailure()->otherWriter, 4242) << "the first program's process";
    a.tick();
    EXPECT_EQ(lines(), " 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n") << "the first one's file untouched";
    EXPECT_EQ(acquisition::readCompanion(rows()).events.size(), 1u) << "and its companion its own";
    EXPECT_EQ(files.files().size(), 2u) << "nothing renamed or written";
    a.cycle.stop();
    b.tick();
    EXPECT_EQ(lines(".1"), " 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n");
    EXPECT_EQ(lines(), " 2, 7,14:03:29\r\n 3, 7,14:03:30\r\n");
}

TEST_F(Cycle, ARunsCompanionHoldsItsStartItsChangesAndItsStopAndKeepsAStaleOneForItsRun)
{
    const std::string stale = kHeader + "2026-12-05T09:00:00+01:00;debut;2;Paris;48.8667;2.3333;1;/dev/parport0;1.0.0\r\n";
    files.createDirectory(kFolder);
    files.writeDurably(kRun, stale, true);  // a run that wrote no line
    clock.setUtcOffset(120min);             // summer time, 14:03:27 becomes 15:03:27
    a.cycle.start(1s);
    a.tick();
    a.tick();
    a.cycle.setPeriod(10s);
    a.cycle.setSite("Paris", 48.8667, 2.3333);
    clock.setUtcOffset(60min);  // summer time ends during the run
    a.tick();
    a.cycle.stop();
    EXPECT_EQ(rows(), kHeader +
                          "2026-12-05T15:03:27+02:00;debut;2;Chelles;48.8800;2.6000;1;/dev/parport0;1.0.0\r\n"
                          "2026-12-05T15:03:29+02:00;periode;4;Chelles;48.8800;2.6000;10;/dev/parport0;1.0.0\r\n"
                          "2026-12-05T15:03:29+02:00;site;4;Paris;48.8667;2.3333;10;/dev/parport0;1.0.0\r\n"
                          "2026-12-05T14:03:39+01:00;fuseau;4;Paris;48.8667;2.3333;10;/dev/parport0;1.0.0\r\n"
                          "2026-12-05T14:03:39+01:00;arret;5;Paris;48.8667;2.3333;10;/dev/parport0;1.0.0\r\n");
    EXPECT_EQ(rows(".1"), stale) << "kept whole, under a number no measurement copy takes";
    const std::string firstRun = rows();

    a.cycle.start(1s);  // a run without the file switch leaves no companion
    clock.advance(a.cycle.untilNextTick());
    a.cycle.beginTick().reset();
    a.cycle.quit();
    EXPECT_EQ(rows(), firstRun);

    a.cycle.start(1s);  // the next run with lines moves the earlier run's companion aside with it
    a.tick();
    a.cycle.quit();
    EXPECT_EQ(rows(".2"), firstRun);
    EXPECT_NE(lines(".2"), "");
    EXPECT_EQ(rows(), kHeader +
                          "2026-12-05T14:03:40+01:00;debut;2;Paris;48.8667;2.3333;1;/dev/parport0;1.0.0\r\n"
                          "2026-12-05T14:03:41+01:00;quitter;3;Paris;48.8667;2.3333;1;/dev/parport0;1.0.0\r\n");
}

TEST_F(Cycle, ACompanionThatCannotBeWrittenNeverHoldsBackAMeasurementLine)
{
    files.failWritesTo(".run", EACCES);
    a.cycle.start(1s);
    a.tick();
    a.tick();
    EXPECT_EQ(lines(), " 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n");
    EXPECT_EQ(a.file.pendingLines(), 0u);
    EXPECT_EQ(a.companion.lastFailure()->code.value(), EACCES);
    files.heal();
    a.tick();  // the rows waited and go with the next line
    EXPECT_FALSE(a.companion.lastFailure().has_value());
    EXPECT_EQ(rows(), kHeader + "2026-12-05T14:03:27+01:00;debut;2;Chelles;48.8800;2.6000;1;/dev/parport0;1.0.0\r\n");
}

TEST_F(Cycle, AFolderRemovedDuringARunIsMadeAgainAtTheNextLineWithItsCompanionBegunAgain)
{
    a.cycle.start(1s);
    a.tick();
    files.removeFolder(kFolder);
    a.tick();
    a.cycle.stop();
    EXPECT_EQ(lines(), " 3, 2048,14:03:29\r\n");
    EXPECT_EQ(rows(), kHeader +
                          "2026-12-05T14:03:27+01:00;debut;2;Chelles;48.8800;2.6000;1;/dev/parport0;1.0.0\r\n"
                          "2026-12-05T14:03:29+01:00;arret;4;Chelles;48.8800;2.6000;1;/dev/parport0;1.0.0\r\n");
}

/// Each measurement file of the day has a companion of its run's own: the header, one start row
/// numbered as its first line.
void expectEachRunWithItsOwnCompanion(const MemoryFileSystem& files)
{
    for (const auto& [path, text] : files.files()) {
        if (path.filename().string().find(".val") == std::string::npos) continue;
        SCOPED_TRACE(path.filename().string());
        const std::string rows = files.text(acquisition::companionPath(path));
        ASSERT_EQ(rows.substr(0, kHeader.size()), kHeader);
        const auto record = acquisition::readCompanion(rows);
        ASSERT_FALSE(record.events.empty());
        EXPECT_EQ(std::count_if(record.events.begin(), record.events.end(),
                                [](const RunEvent& e) { return e.kind == RunEvent::Kind::Start; }),
                  1);
        EXPECT_EQ(record.events.front().kind, RunEvent::Kind::Start);
        EXPECT_EQ(" " + std::to_string(record.events.front().nextNumber) + ",", text.substr(0, text.find(' ', 1)));
    }
}

TEST(ProgramStopped, AtAnyStepOfARunsStartLeavesEachRunWithItsOwnCompanionAtTheNextStart)
{
    for (std::size_t step = 0;; ++step) {
        SCOPED_TRACE("stopped after " + std::to_string(step) + " changes");
        FakeClock clock{local_time<milliseconds>{local_days{year{2026} / 12 / 5} + 9h}};
        MemoryFileSystem files;
        std::string firstRun;
        {
            Program first{files, clock};
            first.cycle.start(1s);
            first.tick();
            first.cycle.quit();
            firstRun = files.text(kRun);
        }
        clock.advance(10s);
        bool completed = false;
        {
            Program stopped{files, clock};  // killed at `step`: nothing it does after reaches the disk
            files.stopAfter(step);
            stopped.cycle.start(1s);
            stopped.tick();
            completed = !files.stopped();
        }
        files.restart();
        clock.advance(10s);
        Program next{files, clock};
        next.cycle.start(1s);
        next.tick();
        next.cycle.quit();
        expectEachRunWithItsOwnCompanion(files);
        EXPECT_EQ(files.text(kRun.string() + ".1"), firstRun) << "the first run's rows, none overwritten";
        if (completed) break;
    }
}

}  // namespace
