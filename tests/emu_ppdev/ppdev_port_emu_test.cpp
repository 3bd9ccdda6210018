// PpdevPort and the converter read on the emulated ppdev device: the ioctls in their order, the
// readings, the claim, the release and every failure.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "acquisition/max187.h"
#include "emu_port.h"
#include "platform/ppdev_port.h"
#include "platform/system_message.h"
#include "support/temp_dir.h"

namespace {

using emu::EventKind;
constexpr const char* kDevice = "/dev/parport-emu0";

long openDescriptors()
{
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

class EmulatedPortTest : public testing::Test {
protected:
    EmulatedPortTest() : m_port(m_dir.path() / "port.state", kDevice) { m_port.exportEnvironment(); }

    // Opening `path` fails at `step` with `error` and leaves no descriptor open and no claim.
    void expectOpenFails(const std::string& path, const std::string& step, int error)
    {
        const auto before = openDescriptors();
        const bool held = m_port.claimed();
        try {
            PpdevPort port(path);
            ADD_FAILURE() << path << " opened";
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code().value(), error) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind(step + " " + path, 0), 0u) << e.what();
        }
        EXPECT_EQ(openDescriptors(), before);
        EXPECT_EQ(m_port.claimed(), held);
    }

    TempDir m_dir;
    emu::EmulatedPort m_port;
};

TEST_F(EmulatedPortTest, PortIsClaimedAlonePutAtRestAndReleasedBeforeTheClose)
{
    {
        PpdevPort port(kDevice);
        EXPECT_TRUE(m_port.claimed());
        acquisition::readConversion(port);
    }
    EXPECT_FALSE(m_port.claimed());
    const auto events = m_port.events();
    EXPECT_EQ(emu::portSteps(events), (std::vector<std::string>{"open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close"}));
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events[3].kind, EventKind::WriteData);
    EXPECT_EQ(events[3].value, 1u) << "the lines are put at rest right after the claim";
    EXPECT_EQ(events.back().value, 0u) << "the close had to release a port still claimed";
}

TEST_F(EmulatedPortTest, ConverterReadsGiveEveryInputAsTheWireCarriedIt)
{
    for (const int mv : {0, 1, 0xA5C, 1234, 4095}) {
        m_port.setInputMillivolts(mv);
        PpdevPort port(kDevice);  // on a port opened afresh, then a second read in a row
        EXPECT_EQ(acquisition::readConversion(port), mv);
        EXPECT_EQ(acquisition::readConversion(port), mv);
        const auto reads = emu::splitReads(m_port.events());
        ASSERT_GE(reads.size(), 2u);
        const std::vector<int> wire{reads.end()[-2].code, reads.end()[-1].code};
        EXPECT_EQ(wire, std::vector<int>(2, mv)) << "what the wire carried";
    }
}

TEST_F(EmulatedPortTest, SecondClaimantIsToldThePortIsBusyWhileTheFirstReadsOn)
{
    PpdevPort first(kDevice);
    expectOpenFails(kDevice, "PPCLAIM", EBUSY);
    EXPECT_NE(frenchReason(EBUSY).find("occupé"), std::string::npos);
    m_port.setInputMillivolts(1234);
    EXPECT_EQ(acquisition::readConversion(first), 1234);
}

struct RefusalRow {
    const char* name;
    int openError, claimError, eioAfter;
    const char* step;
    int error;
};

class RefusedPort : public EmulatedPortTest, public testing::WithParamInterface<RefusalRow> {};

TEST_P(RefusedPort, NamesTheStepKeepsTheReasonAndLeavesNothingOpenOrHeld)
{
    const RefusalRow& r = GetParam();
    m_port.failOpen(r.openError);
    m_port.failClaim(r.claimError);
    m_port.failWithEioAfter(r.eioAfter);
    expectOpenFails(kDevice, r.step, r.error);
}

// ppdev's ENXIO for a claim means another device holds the port: busy for the user.
INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusedPort,
    testing::Values(RefusalRow{"OpenDenied", EACCES, 0, -1, "open", EACCES},
                    RefusalRow{"ClaimDenied", 0, EACCES, -1, "PPCLAIM", EACCES},
                    RefusalRow{"ClaimOfAPortAnotherDriverHolds", 0, ENXIO, -1, "PPCLAIM", EBUSY},
                    RefusalRow{"LinesCannotBePutAtRest", 0, 0, 0, "PPWDATA", EIO}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EmulatedPortTest, PathThatIsNoPortFailsAtItsFirstIoctlAndAMissingOneAtOpen)
{
    std::ofstream(m_dir.path() / "not-a-port") << "x";
    expectOpenFails((m_dir.path() / "not-a-port").string(), "PPEXCL", ENOTTY);
    expectOpenFails((m_dir.path() / "parport0").string(), "open", ENOENT);
}

TEST_F(EmulatedPortTest, ReadCutShortByEioGivesNoReadingAndTheNextReadIsWhole)
{
    m_port.setInputMillivolts(3000);
    PpdevPort port(kDevice);
    m_port.failWithEioAfter(20);  // chip select is low when the port fails
    try {
        acquisition::readConversion(port);
        ADD_FAILURE() << "a read cut short gave a reading";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::errc::io_error);
        EXPECT_EQ(std::string(e.what()).rfind("PP", 0), 0u) << e.what();
    }
    m_port.failWithEioAfter(-1);
    m_port.setInputMillivolts(1234);
    EXPECT_EQ(acquisition::readConversion(port), 1234);
}

}  // namespace
