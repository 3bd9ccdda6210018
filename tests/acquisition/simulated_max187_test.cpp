// The converter read against the wire-level converter model, with its clock real or in hand (a
// read cut short by the port: tests/emu_ppdev/ppdev_port_emu_test.cpp).
#include "acquisition/simulated_max187.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "acquisition/max187.h"

using namespace acquisition;
using namespace std::chrono_literals;
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

TEST(SimulatedMax187, ReadGivesTheCodeWhateverTheOtherStatusBitsDo)
{
    const std::uint8_t others[] = {0xDF, 0x00, 0x90, 0x5F, 0x08};
    std::size_t op = 0;
    SimulatedMax187 sim([&] {
        sim.setOtherStatusBits(others[op++ % 5]);  // they change at every port operation
        return std::chrono::steady_clock::now();
    });
    for (const std::uint16_t code : {4095, 0, 2048, 1, 0xA5C}) {
        sim.setCounts(code);
        EXPECT_EQ(readConversion(sim), code);
        EXPECT_TRUE(sim.chipSelectReleased());
    }
}

// The simulator's clock in hand, port operations instant: two reads in a row get their codes
// only when each keeps the acquisition, waits out the conversion and keeps the clock phases.
struct SkippedWaitRow {
    const char* name;
    std::chrono::nanoseconds skipped;  // 0: none
};

class ReadThatSkips : public testing::TestWithParam<SkippedWaitRow> {};

TEST_P(ReadThatSkips, AConverterWaitGetsAWrongCodeAndNoneSkippedGetsTheRightOne)
{
    auto t = std::chrono::steady_clock::time_point{} + 1h;
    SimulatedMax187 sim([&] { return t; });
    const auto pause = [&](std::chrono::nanoseconds d) { t += d == GetParam().skipped ? 0ns : d; };
    sim.setCounts(0xA5C);
    const auto first = readConversion(sim, pause);
    sim.setCounts(0x5A3);
    const auto second = readConversion(sim, pause);
    if (GetParam().skipped == 0ns) { EXPECT_EQ(first, 0xA5C); }
    EXPECT_EQ(second == 0x5A3, GetParam().skipped == 0ns) << "second read " << second;
}

INSTANTIATE_TEST_SUITE_P(Waits, ReadThatSkips,
                         testing::Values(SkippedWaitRow{"Nothing", 0ns}, SkippedWaitRow{"TheAcquisition", kAcquisitionWait},
                                         SkippedWaitRow{"TheConversion", kConversionWait},
                                         SkippedWaitRow{"TheClockPhases", kClockPhase}),
                         [](const auto& info) { return std::string(info.param.name); });
