// The converter read against the wire-level converter model, with its clock real or in hand.
#include "platform/simulated_max187.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>

#include "acquisition/max187.h"

using namespace std::chrono_literals;
using acquisition::readConversion;

class SimulatedRead : public ::testing::TestWithParam<std::uint16_t> {};

TEST_P(SimulatedRead, GivesTheConvertedCodeAndLeavesTheConverterIdle)
{
    SimulatedMax187 sim;
    sim.setCounts(GetParam());
    sim.startTrace();
    EXPECT_EQ(readConversion(sim), GetParam());
    EXPECT_TRUE(sim.chipSelectReleased());
    ASSERT_EQ(sim.trace().size(), 44u);
    EXPECT_EQ(sim.trace().back(), (SimulatedMax187::Operation{SimulatedMax187::Operation::Kind::Write, 1}));
}

INSTANTIATE_TEST_SUITE_P(Codes, SimulatedRead, ::testing::Values(0, 4095, 2048, 1, 0xA5C, 0x5A3));

TEST(SimulatedMax187, OtherStatusBitsDoNotChangeTheReading)
{
    SimulatedMax187 sim;
    sim.setCounts(0x5A3);
    sim.setOtherStatusBits(0xDF);
    EXPECT_EQ(readConversion(sim), 0x5A3);
    sim.setOtherStatusBits(0x90);
    EXPECT_EQ(readConversion(sim), 0x5A3);
}

TEST(SimulatedMax187, EachReadConvertsTheInputOfItsOwnChipSelect)
{
    SimulatedMax187 sim;
    std::uint16_t input = 100;
    sim.setSource([&] { return input += 1000; });
    EXPECT_EQ(readConversion(sim), 1100);
    EXPECT_EQ(readConversion(sim), 2100);
    EXPECT_EQ(readConversion(sim), 3100);
    EXPECT_EQ(readConversion(sim), 4095);  // above full scale the converter saturates
}

// The simulator's clock in hand: each port operation takes `operationTime`; the read's waits
// move the clock by what they ask for, or not at all.
namespace {

struct TimingRow {
    const char* name;
    std::chrono::nanoseconds operationTime;
    bool conversionWait;
    bool clockPhases;
    bool rightCode;
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
    const auto pause = [&](std::chrono::nanoseconds d) {
        const bool conversion = d >= 1us;
        if ((conversion && row.conversionWait) || (!conversion && row.clockPhases)) t += d;
    };
    const std::uint16_t code = readConversion(sim, pause);
    if (row.rightCode)
        EXPECT_EQ(code, 0xA5C);
    else
        EXPECT_NE(code, 0xA5C);
    EXPECT_TRUE(sim.chipSelectReleased());
}

INSTANTIATE_TEST_SUITE_P(
    Waits, SimulatedTiming,
    ::testing::Values(TimingRow{"AllWaitsInstantPort", 0ns, true, true, true},
                      TimingRow{"AllWaitsSlowPort", 1us, true, true, true},
                      TimingRow{"NoWaitInstantPort", 0ns, false, false, false},
                      TimingRow{"NoWaitSlowPort", 1us, false, false, false},
                      TimingRow{"NoConversionWait", 0ns, false, true, false},
                      TimingRow{"NoClockPhases", 0ns, true, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SimulatedMax187, FailureMidReadPropagatesAndTheNextReadStartsClean)
{
    SimulatedMax187 sim;
    sim.setSource([&] {
        sim.failNextOperation(EIO);  // the clock write right after chip select falls
        return std::uint16_t{0xA5C};
    });
    try {
        readConversion(sim);
        FAIL() << "a failed port operation gave a reading";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::errc::io_error);
    }
    sim.setCounts(0x123);
    EXPECT_EQ(readConversion(sim), 0x123);
}

TEST(SimulatedMax187, DeviceGoneFailsEveryOperation)
{
    SimulatedMax187 sim;
    sim.setCounts(7);
    sim.failFromNow(ENODEV);
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            readConversion(sim);
            FAIL() << "a port that is gone gave a reading";
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code(), std::errc::no_such_device);
        }
    }
    EXPECT_THROW(sim.readStatus(), std::system_error);
}
