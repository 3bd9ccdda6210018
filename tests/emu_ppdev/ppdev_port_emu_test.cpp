// PpdevPort and the converter read on the emulated ppdev device: the lines at rest, a read cut
// short, and every refusal.
#include <gmock/gmock.h>
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

/// A std::system_error with this errno whose message starts with `what` (the step and the path).
auto refusal(int error, const std::string& what)
{
    return testing::Throws<std::system_error>(testing::AllOf(
        testing::Property(&std::system_error::code, std::error_code(error, std::generic_category())),
        testing::Property(&std::system_error::what, testing::StartsWith(what))));
}

class EmulatedPortTest : public testing::Test {
protected:
    EmulatedPortTest() { m_port.exportEnvironment(); }

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
    EXPECT_THAT([&] { acquisition::readConversion(port); }, refusal(EIO, std::string("PPWDATA ") + kDevice));
    m_port.failWithEioAfter(-1);
    EXPECT_EQ(acquisition::readConversion(port), 0xA5C);
}

// ppdev refuses the registration (ENXIO) while another program holds the port: busy for the user.
TEST_F(EmulatedPortTest, RefusalsNameTheStepKeepTheReasonAndLeaveNothingOpenOrHeld)
{
    std::ofstream(m_dir.path() / "not-a-port") << "x";
    const struct { const char* what; std::string path; bool heldByAnother; int eioAfter; const char* step; int error; } rows[] = {{"a port another program holds", kDevice, true, -1, "PPCLAIM", EBUSY},
                {"lines that cannot be put at rest", kDevice, false, 0, "PPWDATA", EIO},
                {"a path that is no port, at its first ioctl", m_dir.path() / "not-a-port", false, -1, "PPEXCL", ENOTTY},
                {"a missing path", m_dir.path() / "parport0", false, -1, "open", ENOENT}};
    const auto openFiles = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        const auto other = r.heldByAnother ? std::make_unique<PpdevPort>(kDevice) : nullptr;
        m_port.failWithEioAfter(r.eioAfter);
        const auto before = openFiles();
        EXPECT_THAT([&] { PpdevPort port(r.path); }, refusal(r.error, r.step + (" " + r.path)));
        EXPECT_EQ(openFiles(), before);
        EXPECT_EQ(m_port.claimed(), r.heldByAnother) << "the other program's claim is left as it was";
    }
}

}  // namespace
