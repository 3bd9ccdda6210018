// Opening the parallel port through ppdev: failures say what and where, and leak nothing.
#include "platform/ppdev_port.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#include "acquisition/max187.h"
#include "support/temp_dir.h"

TEST(PpdevPort, OpenFailuresNameTheStepAndTheDeviceAndLeakNothing)
{
    const auto openDescriptors = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    const auto expectOpenFails = [&](const std::string& path, int error, const std::string& what) {
        const auto before = openDescriptors();
        try {
            PpdevPort port(path);
            ADD_FAILURE() << path << " opened as a parallel port";
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code().value(), error) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind(what + " " + path, 0), 0u) << e.what();
        }
        EXPECT_EQ(openDescriptors(), before) << path;
    };
    TempDir dir;
    expectOpenFails((dir.path() / "parport0").string(), ENOENT, "open");
    std::ofstream(dir.path() / "not-a-port") << "x";
    expectOpenFails((dir.path() / "not-a-port").string(), ENOTTY, "PPEXCL");
}

TEST(PpdevPort, RealPortIsClaimedForThisProgramAlone)
{
    const char* device = std::getenv("VELMORIXON_TEST_PORT");
    if (!device) GTEST_SKIP() << "set VELMORIXON_TEST_PORT=/dev/parportN";
    PpdevPort port(device);
    EXPECT_NO_THROW(acquisition::readConversion(port));  // every code 0..4095 is a reading
    EXPECT_THROW(PpdevPort second(device), std::system_error);
}
