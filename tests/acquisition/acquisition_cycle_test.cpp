// The acquisition cycle driven as its window drives it, on a clock in hand and the simulated
// converter: the schedule, the run and its port, the counted readings, the day's file and the
// run companions, with programs stopped mid-way (a second program on the same file and a full
// disk: the window's tests).
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
const std::filesystem::path kVal = kFolder / "data12-05-2026.val", kRun = kFolder / "data12-05-2026.run";
const std::string kHeader = "instant;evenement;numero;site;latitude;longitude;periode_s;port;version\r\n";

/// A companion row of 5 December 2026 from its time and its middle fields.
std::string row(const std::string& time, const std::string& fields) { return "2026-12-05T" + time + ";" + fields + ";/dev/parport0;1.0.0\r\n"; }

struct WatchedPort final : ParallelPort {  // the converter behind a port whose release the test sees
    WatchedPort(acquisition::SimulatedMax187& c, int& held) : c(c), held(++held) {}
    ~WatchedPort() override { --held; }
    void writeData(std::uint8_t value) override { c.writeData(value); }
    std::uint8_t readStatus() override { return c.readStatus(); }
    acquisition::SimulatedMax187& c;
    int& held;
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
    /// A run begun with a period of a second, and `ticks` ticks of it.
    void run(int ticks)
    {
        for (cycle.start(1s); ticks > 0; --ticks) tick();
    }
    /// A whole run of one line, ended by « Quitter ».
    void runOnce()
    {
        run(1);
        cycle.quit();
    }

    FakeClock& clock;
    acquisition::MeasurementFile file;
    acquisition::CompanionFile companion;
    acquisition::SimulatedMax187 converter;
    int held = 0;       // ports open right now
    int opens = 0;
    int openErrno = 0;  // the next opening fails with it when not 0
    acquisition::AcquisitionCycle cycle{[this]() -> std::unique_ptr<ParallelPort> {
                                            if (openErrno != 0) throw std::system_error(openErrno, std::generic_category(), "PPCLAIM");
                                            return ++opens, std::make_unique<WatchedPort>(converter, held);
                                        }, clock, file};
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

TEST_F(Cycle, AStopOrAStopAndStartDuringTheReadsHandOverEndsThatTickWithNothingCountedOrWritten)
{
    a.run(2);
    const std::string run = lines();
    a.tick([&] { a.cycle.stop(); });
    const auto afterStop = a.cycle.number();
    a.cycle.start(1s);
    a.tick([&] {
        a.cycle.stop();
        a.cycle.start(1s);
    });
    EXPECT_EQ(std::tuple(afterStop, a.cycle.number(), lines()), std::tuple(1, 1, run)) << "nothing counted in either, nothing added";
    a.tick();  // the new run's first line begins a new file, the earlier run kept aside
    EXPECT_EQ(std::tuple(lines(), lines(".1")), std::tuple(" 2, 2048,14:03:32\r\n", run));
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
    const int afterStop = a.held;
    a.cycle.start(1s);
    a.cycle.quit();
    EXPECT_EQ(std::pair(afterStop, a.held), std::pair(0, 0)) << "stopping and quitting end the run";
    a.run(1);
    a.converter.failNextOperation(EIO);
    clock.advance(a.cycle.untilNextTick());
    auto t = a.cycle.beginTick();
    EXPECT_THROW(a.cycle.read(), std::system_error);
    EXPECT_EQ(std::tuple(a.held, t->count(), lines()), std::tuple(0, false, " 2, 2048,14:03:28\r\n")) << "port released, lines kept";
}

TEST_F(Cycle, ARunsCompanionHoldsItsStartItsChangesAndItsStopAndKeepsAStaleOneForItsRun)
{
    const std::string stale = kHeader + row("09:00:00+01:00", "debut;2;Paris;48.8667;2.3333;1");
    files.createDirectory(kFolder);
    files.writeDurably(kRun, stale, true);  // a run that wrote no line
    clock.setUtcOffset(120min);             // summer time, 14:03:27 becomes 15:03:27
    a.run(2);
    a.cycle.setPeriod(10s);
    a.cycle.setSite("Paris", 48.8667, 2.3333);
    clock.setUtcOffset(60min);  // summer time ends during the run
    a.tick();
    a.cycle.stop();
    const std::string firstRun = rows();
    EXPECT_EQ(firstRun, kHeader + row("15:03:27+02:00", "debut;2;Chelles;48.8800;2.6000;1") + row("15:03:29+02:00", "periode;4;Chelles;48.8800;2.6000;10") +
                            row("15:03:29+02:00", "site;4;Paris;48.8667;2.3333;10") + row("14:03:39+01:00", "fuseau;4;Paris;48.8667;2.3333;10") +
                            row("14:03:39+01:00", "arret;5;Paris;48.8667;2.3333;10"));
    EXPECT_EQ(rows(".1"), stale) << "kept whole, under a number no measurement copy takes";

    a.cycle.start(1s);  // a run without the file switch leaves no companion
    clock.advance(a.cycle.untilNextTick());
    a.cycle.beginTick().reset();
    a.cycle.quit();
    EXPECT_EQ(rows(), firstRun);

    a.runOnce();  // the next run with lines moves the earlier run's companion aside with it
    EXPECT_EQ(rows(".2"), firstRun);
    EXPECT_EQ(lines(".2"), " 2, 2048,15:03:28\r\n 3, 2048,15:03:29\r\n 4, 2048,14:03:39\r\n");
    EXPECT_EQ(rows(), kHeader + row("14:03:40+01:00", "debut;2;Paris;48.8667;2.3333;1") + row("14:03:41+01:00", "quitter;3;Paris;48.8667;2.3333;1"));
}

TEST_F(Cycle, ACompanionThatCannotBeWrittenNeverHoldsBackAMeasurementLine)
{
    files.failWrites(EACCES, ".run");
    a.run(2);
    EXPECT_EQ(std::tuple(lines(), a.file.pendingLines(), a.companion.lastFailure()->code.value()),
              std::tuple(" 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n", 0u, EACCES));
    a.cycle.stop();  // its stop row cannot be written either: kept, never thrown
    files.heal();
    a.runOnce();  // the rows waited, and the run without a companion gets one from its lines
    EXPECT_FALSE(a.companion.lastFailure().has_value());
    EXPECT_NE(rows(".1").find(";debut;2;;"), std::string::npos);
}

// Lines left without a companion (killed before it began) get one at the next start: a start row
// numbered as their first line, the period their first two lines' spacing gives (1 to 60 s).
TEST_F(Cycle, LinesLeftWithoutACompanionGetAStartRowWithThePeriodOfTheirSpacing)
{
    for (const auto& [second, period] : {std::pair{"09:00:01", 1}, {"09:01:00", 60}, {"09:01:01", 1}, {"09:00:00", 1}}) {
        MemoryFileSystem left;
        left.createDirectory(kFolder);
        left.writeDurably(kVal, std::string(" 5, 100,09:00:00\r\n 6, 101,") + second + "\r\n", true);
        Program{left, clock}.runOnce();
        const auto events = acquisition::readCompanion(left.text(kRun.string() + ".1")).events;
        ASSERT_EQ(events.size(), 1u) << second;
        EXPECT_EQ(std::tuple(events[0].local, events[0].nextNumber, events[0].periodSeconds, events[0].site),
                  std::tuple(local_days{2026y / December / 5} + 9h, 5, period, "")) << second;
    }
}

// Killed after each possible number of changes of its start: each measurement file of the day
// then has a companion of its run's own (the header, one start row numbered as its first line),
// and the first run's lines and rows stay together under one number.
TEST(ProgramStopped, AtAnyStepOfARunsStartLeavesEachRunWithItsOwnCompanionAtTheNextStart)
{
    bool completed = false;
    for (std::size_t step = 0; !completed; ++step) {
        SCOPED_TRACE("stopped after " + std::to_string(step) + " changes");
        FakeClock clock{local_time<milliseconds>{local_days{year{2026} / 12 / 5} + 9h}};
        MemoryFileSystem files;
        Program{files, clock}.runOnce();
        const std::string firstLines = files.text(kVal), firstRows = files.text(kRun);
        clock.advance(10s);
        files.stopAfter(step);
        Program{files, clock}.runOnce();
        completed = !files.stopped();
        files.restart();
        clock.advance(10s);
        Program{files, clock}.runOnce();
        EXPECT_EQ(std::pair(files.text(kRun.string() + ".1"), files.text(kVal.string() + ".1")), std::pair(firstRows, firstLines)) << "the first run's, none overwritten";
        for (const auto& [path, text] : files.files()) {
            if (path.filename().string().find(".val") == std::string::npos) continue;
            const std::string rows = files.text(acquisition::companionPath(path));
            const auto events = acquisition::readCompanion(rows).events;
            ASSERT_TRUE(rows.starts_with(kHeader) && !events.empty()) << path;
            EXPECT_EQ(std::count_if(events.begin(), events.end(), [](auto& e) { return e.kind == RunEvent::Kind::Start; }), 1) << path;
            EXPECT_EQ(events.front().kind, RunEvent::Kind::Start) << path;
            EXPECT_EQ(" " + std::to_string(events.front().nextNumber) + ",", text.substr(0, text.find(' ', 1))) << path;
        }
    }
}

}  // namespace
