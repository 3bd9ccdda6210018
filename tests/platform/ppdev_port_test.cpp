// Opening the parallel port through ppdev: failures say what and where, and leak nothing.
#include "platform/ppdev_port.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <system_error>

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
