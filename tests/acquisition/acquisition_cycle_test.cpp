// The acquisition cycle driven as its window drives it, on a clock in hand and the simulated
// converter: the schedule, the run and its port, the counted readings and the file.
#include "acquisition/acquisition_cycle.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "acquisition/simulated_max187.h"
#include "support/fake_clock.h"
#include "support/memory_file_system.h"

using namespace std::chrono;
using acquisition::AcquisitionCycle;
using acquisition::MeasurementFile;
using acquisition::SimulatedMax187;

namespace {

// The converter behind a port whose opening and release the test sees.
class WatchedPort final : public ParallelPort {
public:
    WatchedPort(SimulatedMax187& converter, int& held) : m_converter(converter), m_held(held) { ++m_held; }
    ~WatchedPort() override { --m_held; }
    void writeData(std::uint8_t value) override { m_converter.writeData(value); }
    std::uint8_t readStatus() override { return m_converter.readStatus(); }

private:
    SimulatedMax187& m_converter;
    int& m_held;
};

class Cycle : public testing::Test {
protected:
    // 5 December 2026, 14:03:27
    FakeClock clock{local_days{year{2026} / 12 / 5} + 14h + 3min + 27s};
    MemoryFileSystem files;
    const std::filesystem::path path{"/home/obs/velmorixon/data12-05-2026.val"};
    MeasurementFile file{path, files};
    SimulatedMax187 converter;
    int held = 0;       // ports open right now
    int opens = 0;
    int openErrno = 0;  // the next opening fails with it when not 0
    AcquisitionCycle cycle{[this]() -> std::unique_ptr<ParallelPort> {
                               if (openErrno != 0)
                                   throw std::system_error(openErrno, std::generic_category(), "PPCLAIM");
                               ++opens;
                               return std::make_unique<WatchedPort>(converter, held);
                           },
                           clock, file};

    void SetUp() override { converter.setCounts(2048); }

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
    std::string lines() const { return files.text(path); }
};

TEST_F(Cycle, ReadingsFallEveryPeriodAndAChangeFromOneToTenSecondsBringsTheNextTenSecondsLater)
{
    cycle.start(1s);
    for (int i = 0; i < 3; ++i) tick();
    clock.advance(500ms);
    cycle.setPeriod(10s);
    EXPECT_EQ(cycle.untilNextTick(), 10s);
    tick();
    tick();
    EXPECT_EQ(lines(), " 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n 4, 2048,14:03:30\r\n"
                       " 5, 2048,14:03:40\r\n 6, 2048,14:03:50\r\n");
}

TEST_F(Cycle, AStopOrAStopAndStartDuringTheReadsHandOverEndsThatTickWithNothingCountedOrWritten)
{
    cycle.start(1s);
    tick();
    tick();
    const std::string run = lines();
    tick([this] { cycle.stop(); });
    EXPECT_EQ(cycle.number(), 1);
    EXPECT_EQ(lines(), run);
    cycle.start(1s);
    tick([this] {
        cycle.stop();
        cycle.start(1s);
    });
    EXPECT_EQ(cycle.number(), 1) << "the new run has counted nothing yet";
    EXPECT_EQ(lines(), run) << "the stopped run keeps its lines, nothing is added";
    tick();
    EXPECT_EQ(lines(), " 2, 2048,14:03:32\r\n") << "the new run's first line begins a new file";
    EXPECT_EQ(files.text(path.string() + ".1"), run) << "and the earlier run is kept aside";
}

TEST_F(Cycle, ATickFiringWhileAnotherIsOutIsSkippedAndNoLineIsWrittenTwice)
{
    cycle.start(1s);
    tick([this] {
        clock.advance(cycle.untilNextTick());
        EXPECT_FALSE(cycle.beginTick().has_value());
    });
    EXPECT_EQ(cycle.untilNextTick(), 1s) << "the skipped tick still moved the schedule on";
    tick();
    EXPECT_EQ(lines(), " 2, 2048,14:03:29\r\n 3, 2048,14:03:30\r\n") << "one line per reading";
}

TEST_F(Cycle, ThePortIsHeldFromTheStartToEveryWayTheRunEnds)
{
    openErrno = EBUSY;
    EXPECT_THROW(cycle.start(1s), std::system_error);
    EXPECT_FALSE(cycle.running());
    EXPECT_FALSE(cycle.beginTick().has_value()) << "no tick without a run";
    openErrno = 0;
    cycle.start(1s);
    cycle.start(1s);
    EXPECT_EQ(opens, 1) << "a start during a run opens nothing";
    EXPECT_EQ(held, 1);
    cycle.stop();
    EXPECT_EQ(held, 0);
    cycle.start(1s);
    tick();
    converter.failNextOperation(EIO);
    clock.advance(cycle.untilNextTick());
    auto t = cycle.beginTick();
    ASSERT_TRUE(t.has_value());
    EXPECT_THROW(cycle.read(), std::system_error);
    EXPECT_EQ(held, 0) << "a failed read releases the port";
    EXPECT_FALSE(t->count());
    EXPECT_EQ(lines(), " 2, 2048,14:03:28\r\n") << "the lines already written stay";
}

TEST_F(Cycle, WaitingLinesAreRetriedByEveryTickAndByTheWindowOnlyWhenIdle)
{
    cycle.start(1s);
    files.failWrites(ENOSPC);
    tick();
    tick();
    EXPECT_EQ(file.pendingLines(), 2u);
    EXPECT_FALSE(cycle.needsIdleRetry()) << "the run's ticks retry";
    cycle.stop();
    EXPECT_TRUE(cycle.needsIdleRetry());
    EXPECT_FALSE(cycle.retryWaitingLines());
    files.heal();
    EXPECT_TRUE(cycle.retryWaitingLines());
    EXPECT_FALSE(cycle.needsIdleRetry());
    EXPECT_EQ(lines(), " 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n");
}

class CycleWithCompanion : public Cycle {
protected:
    acquisition::CompanionFile companion{path, files};
    const std::filesystem::path companionFile{"/home/obs/velmorixon/data12-05-2026.run"};
    void SetUp() override
    {
        Cycle::SetUp();
        file.setCompanion(&companion);
        cycle.recordRunsIn(companion, "/dev/parport0", "1.0.0");
        cycle.setSite("Chelles", 48.88, 2.6);
    }
};

constexpr const char* kHeader = "instant;evenement;numero;site;latitude;longitude;periode_s;port;version\r\n";

TEST_F(CycleWithCompanion, ARunsCompanionHoldsItsStartItsChangesAndItsStop)
{
    clock.setUtcOffset(120min);  // summer time, 14:03:27 becomes 15:03:27
    cycle.start(1s);
    EXPECT_EQ(files.text(companionFile), "") << "nothing before the run's first line";
    tick();
    tick();
    cycle.setPeriod(10s);
    cycle.setSite("Paris", 48.8667, 2.3333);
    clock.setUtcOffset(60min);  // summer time ends during the run
    tick();
    cycle.stop();
    EXPECT_EQ(files.text(companionFile),
              std::string(kHeader) +
                  "2026-12-05T15:03:27+02:00;debut;2;Chelles;48.8800;2.6000;1;/dev/parport0;1.0.0\r\n"
                  "2026-12-05T15:03:29+02:00;periode;4;Chelles;48.8800;2.6000;10;/dev/parport0;1.0.0\r\n"
                  "2026-12-05T15:03:29+02:00;site;4;Paris;48.8667;2.3333;10;/dev/parport0;1.0.0\r\n"
                  "2026-12-05T14:03:39+01:00;fuseau;4;Paris;48.8667;2.3333;10;/dev/parport0;1.0.0\r\n"
                  "2026-12-05T14:03:39+01:00;arret;5;Paris;48.8667;2.3333;10;/dev/parport0;1.0.0\r\n");
    const std::string firstRun = files.text(companionFile);

    cycle.start(1s);  // a run without the file switch leaves no companion
    clock.advance(cycle.untilNextTick());
    cycle.beginTick().reset();
    cycle.quit();
    EXPECT_EQ(files.text(companionFile), firstRun);

    cycle.start(1s);  // the next run with lines moves the earlier run's companion aside with it
    tick();
    cycle.quit();
    EXPECT_EQ(files.text(companionFile.string() + ".1"), firstRun);
    EXPECT_EQ(files.text(companionFile),
              std::string(kHeader) +
                  "2026-12-05T14:03:40+01:00;debut;2;Paris;48.8667;2.3333;1;/dev/parport0;1.0.0\r\n"
                  "2026-12-05T14:03:41+01:00;quitter;3;Paris;48.8667;2.3333;1;/dev/parport0;1.0.0\r\n");
}

TEST_F(CycleWithCompanion, ACompanionThatCannotBeWrittenNeverHoldsBackAMeasurementLine)
{
    files.failWritesTo(".run", EACCES);
    cycle.start(1s);
    tick();
    tick();
    EXPECT_EQ(lines(), " 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n");
    EXPECT_EQ(file.pendingLines(), 0u);
    ASSERT_TRUE(companion.lastFailure().has_value());
    EXPECT_EQ(companion.lastFailure()->code.value(), EACCES);
    files.heal();
    tick();  // the rows waited and go with the next line
    EXPECT_FALSE(companion.lastFailure().has_value());
    EXPECT_EQ(files.text(companionFile),
              std::string(kHeader) + "2026-12-05T14:03:27+01:00;debut;2;Chelles;48.8800;2.6000;1;/dev/parport0;1.0.0\r\n");
}

TEST(CycleConstruction, WithoutAWayToOpenThePortFailsAtOnce)
{
    FakeClock clock{local_time<milliseconds>{local_days{year{2026} / 12 / 5}}};
    MemoryFileSystem files;
    MeasurementFile file{"/tmp/x.val", files};
    EXPECT_THROW(AcquisitionCycle(nullptr, clock, file), std::invalid_argument);
}

}  // namespace
