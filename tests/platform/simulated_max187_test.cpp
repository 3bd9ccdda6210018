// The converter read against the wire-level converter model, with its clock real or in hand.
#include "platform/simulated_max187.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>
#include <vector>

#include "acquisition/max187.h"

using namespace std::chrono_literals;
using acquisition::readConversion;
using Op = SimulatedMax187::Operation;

TEST(SimulatedMax187, PortTrafficIsTheFortyFourOperationsInOrder)
{
    SimulatedMax187 sim;
    sim.startTrace();
    readConversion(sim);
    const std::vector<Op>& t = sim.trace();
    ASSERT_EQ(t.size(), 44u);
    auto w = [](std::uint8_t v) { return Op{Op::Kind::Write, v}; };
    std::vector<Op> expected{w(1), w(0), w(2)};
    for (int bit = 0; bit < 12; ++bit)  // a read in its place; its value is the code's business
        expected.insert(expected.end(), {w(0), w(2), Op{Op::Kind::Read, t[expected.size() + 2].value}});
    expected.insert(expected.end(), {w(2), w(0), w(2), w(0), w(1)});
    EXPECT_EQ(t, expected);  // every write 0, 1 or 2, the port left at 1
}

class SimulatedRead : public ::testing::TestWithParam<std::uint16_t> {};

TEST_P(SimulatedRead, GivesTheCodeWhateverTheOtherStatusBitsDo)
{
    const std::uint8_t others[] = {0xDF, 0x00, 0x90, 0x5F, 0x08};
    std::size_t op = 0;
    SimulatedMax187 sim([&] {
        sim.setOtherStatusBits(others[op++ % 5]);  // they change at every port operation
        return std::chrono::steady_clock::now();
    });
    sim.setCounts(GetParam());
    EXPECT_EQ(readConversion(sim), GetParam());
    EXPECT_TRUE(sim.chipSelectReleased());
}

INSTANTIATE_TEST_SUITE_P(Codes, SimulatedRead, ::testing::Values(4095, 0, 2048, 1, 0xA5C, 0x5A3));

// The simulator's clock in hand: each port operation takes `operationTime`; the read's waits
// move the clock by what they ask for, or not at all.
namespace {
struct TimingRow {
    const char* name;
    std::chrono::nanoseconds operationTime;
    bool conversionWait, clockPhases;
};
void PrintTo(const TimingRow& row, std::ostream* os) { *os << row.name; }
}  // namespace

class SimulatedTiming : public ::testing::TestWithParam<TimingRow> {};

TEST_P(SimulatedTiming, OnlyAReadThatKeepsTheConverterTimingGetsTheCode)
{
    const TimingRow& row = GetParam();
    auto t = std::chrono::steady_clock::time_point{} + 1h;
    SimulatedMax187 sim([&] { return t += row.operationTime; });
    sim.setCounts(0xA5C);
    const std::uint16_t code = readConversion(sim, [&](std::chrono::nanoseconds d) {
        if (d >= 1us ? row.conversionWait : row.clockPhases) t += d;
    });
    EXPECT_EQ(code == 0xA5C, row.conversionWait && row.clockPhases) << "code " << code;
}

INSTANTIATE_TEST_SUITE_P(Waits, SimulatedTiming,
                         ::testing::Values(TimingRow{"AllWaitsInstantPort", 0ns, true, true},
                                           TimingRow{"AllWaitsSlowPort", 1us, true, true},
                                           TimingRow{"NoWaitInstantPort", 0ns, false, false},
                                           TimingRow{"NoWaitSlowPort", 1us, false, false},
                                           TimingRow{"NoConversionWait", 0ns, false, true},
                                           TimingRow{"NoClockPhases", 0ns, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SimulatedMax187, PortFailuresPropagateAndNeverGiveAReading)
{
    SimulatedMax187 sim;
    sim.setSource([&] {
        sim.failNextOperation(EIO);  // the clock write right after chip select falls
        return std::uint16_t{0xA5C};
    });
    try {
        readConversion(sim);
        ADD_FAILURE() << "a failed port operation gave a reading";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::errc::io_error);
    }
    sim.setCounts(0x123);
    EXPECT_EQ(readConversion(sim), 0x123);  // the next read brings the lines to a known state
    sim.failFromNow(ENODEV);
    EXPECT_THROW(readConversion(sim), std::system_error);
    EXPECT_THROW(readConversion(sim), std::system_error);
}
