// Opening the parallel port through ppdev: failures say what and where, and leak nothing.
#include "platform/ppdev_port.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "acquisition/max187.h"
#include "support/temp_dir.h"

namespace {

std::ptrdiff_t openDescriptors()
{
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator{});
}

// The errno and message of opening `path`, which must fail.
std::system_error openFailure(const std::string& path)
{
    try {
        PpdevPort port(path);
    } catch (const std::system_error& e) {
        return e;
    }
    ADD_FAILURE() << path << " opened as a parallel port";
    return std::system_error(0, std::generic_category());
}

}  // namespace

TEST(PpdevPort, MissingDeviceFailsOnOpenAndLeavesNoDescriptor)
{
    TempDir dir;
    const std::string path = (dir.path() / "parport0").string();
    const auto before = openDescriptors();
    const std::system_error e = openFailure(path);
    EXPECT_EQ(e.code(), std::errc::no_such_file_or_directory);
    EXPECT_EQ(std::string(e.what()).rfind("open " + path, 0), 0u) << e.what();
    EXPECT_EQ(openDescriptors(), before);
}

TEST(PpdevPort, FileThatIsNoPortFailsOnTheClaimAndLeavesNoDescriptor)
{
    TempDir dir;
    const std::string path = (dir.path() / "not-a-port").string();
    std::ofstream(path) << "x";
    const auto before = openDescriptors();
    const std::system_error e = openFailure(path);
    EXPECT_EQ(e.code().value(), ENOTTY);
    EXPECT_EQ(std::string(e.what()).rfind("PPEXCL " + path, 0), 0u) << e.what();
    EXPECT_EQ(openDescriptors(), before);
}

TEST(PpdevPort, RealPortIsClaimedForThisProgramAlone)
{
    const char* device = std::getenv("VELMORIXON_TEST_PORT");
    if (!device) GTEST_SKIP() << "set VELMORIXON_TEST_PORT=/dev/parportN";
    PpdevPort port(device);
    EXPECT_LE(acquisition::readConversion(port), 4095);
    EXPECT_THROW(PpdevPort second(device), std::system_error);
}
