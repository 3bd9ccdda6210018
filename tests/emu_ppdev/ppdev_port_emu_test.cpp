// PpdevPort and the converter read on the emulated ppdev device: the lines at rest, a read cut
// short, and every refusal.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>

#include "acquisition/max187.h"
#include "emu_port.h"
#include "platform/ppdev_port.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kDevice = "/dev/parport-emu0";

class EmulatedPortTest : public testing::Test {
protected:
    EmulatedPortTest() { m_port.exportEnvironment(); }

    /// Runs `step`, which must fail with `error` and a message starting with `what`.
    static void expectFailure(const std::function<void()>& step, int error, const std::string& what)
    {
        try {
            step();
            ADD_FAILURE() << what << " worked";
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code().value(), error) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind(what, 0), 0u) << e.what();
        }
    }

    TempDir m_dir;
    emu::EmulatedPort m_port{m_dir.path() / "port.state", kDevice};
};

// The claim, the values read and the release in their order: the program on this device,
// program_x_test.cpp.
TEST_F(EmulatedPortTest, PutsTheLinesAtRestAfterTheClaimGivesNoReadingCutShortAndTheNextReadWhole)
{
    m_port.setInputMillivolts(0xA5C);
    PpdevPort port(kDevice);
    EXPECT_EQ(m_port.events().back().value, 1u) << "the lines are put at rest right after the claim";
    m_port.failWithEioAfter(19);  // a clock write, chip select low
    expectFailure([&] { acquisition::readConversion(port); }, EIO, std::string("PPWDATA ") + kDevice);
    m_port.failWithEioAfter(-1);
    EXPECT_EQ(acquisition::readConversion(port), 0xA5C);
}

struct RefusalRow {
    const char* name;
    const char* path;  ///< in the test's folder, where "not-a-port" is a plain file; nullptr: the emulated device
    bool heldByAnother;
    int eioAfter;
    const char* step;
    int error;
};

class RefusedPort : public EmulatedPortTest, public testing::WithParamInterface<RefusalRow> {};

TEST_P(RefusedPort, NamesTheStepKeepsTheReasonAndLeavesNothingOpenOrHeld)
{
    const RefusalRow& r = GetParam();
    std::ofstream(m_dir.path() / "not-a-port") << "x";
    const auto other = r.heldByAnother ? std::make_unique<PpdevPort>(kDevice) : nullptr;
    m_port.failWithEioAfter(r.eioAfter);
    const std::string path = r.path ? (m_dir.path() / r.path).string() : kDevice;
    const auto openFiles = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto before = openFiles();
    expectFailure([&] { PpdevPort port(path); }, r.error, r.step + (" " + path));
    EXPECT_EQ(openFiles(), before);
    EXPECT_EQ(m_port.claimed(), r.heldByAnother) << "the other program's claim is left as it was";
}

// ppdev refuses the registration (ENXIO) while another program holds the port: busy for the user.
INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusedPort,
    testing::Values(RefusalRow{"APortAnotherProgramHolds", nullptr, true, -1, "PPCLAIM", EBUSY},
                    RefusalRow{"LinesThatCannotBePutAtRest", nullptr, false, 0, "PPWDATA", EIO},
                    RefusalRow{"APathThatIsNoPortAtItsFirstIoctl", "not-a-port", false, -1, "PPEXCL", ENOTTY},
                    RefusalRow{"AMissingPathAtOpen", "parport0", false, -1, "open", ENOENT}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
