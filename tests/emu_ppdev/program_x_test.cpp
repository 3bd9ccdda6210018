// The real program, `velmorixon --port /dev/parport-emu0`, on the X server xvfb-run gives the
// test (emu_ppdev.cmake), clicked through xdotool as a user clicks it, with the emulated port
// preloaded behind the C library: what reaches the measurement file and when the port is held.
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "emu_port.h"
#include "record/measurement_reader.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kDevice = "/dev/parport-emu0";

/// The first line xdotool answers; "search --sync" waits until the window is mapped.
std::string xdotool(const std::string& arguments)
{
    char line[64] = "";
    FILE* answer = ::popen(("xdotool " + arguments).c_str(), "r");
    if (answer != nullptr && std::fgets(line, sizeof line, answer) == nullptr) line[0] = '\0';
    if (answer != nullptr) ::pclose(answer);
    return std::string(line).substr(0, std::string(line).find('\n'));
}

TEST(ProgramOnTheEmulatedPort, RunsClaimThePortAtStartWriteTheInputAndReleaseItAtStopAndAtQuit)
{
    TempDir dir;
    emu::EmulatedPort port(dir.path() / "port.state", kDevice);
    port.exportEnvironment();  // handed down to the program with the rest of the environment
    const std::string first = EMU_PRELOAD_FIRST, home = "HOME=" + dir.path().string(),
                      preload = "LD_PRELOAD=" + (first.empty() ? "" : first + " ") + EMU_SHIM;
    std::vector<const char*> command{"env", home.c_str(), preload.c_str(), "QT_QPA_PLATFORM=xcb", VELMORIXON_PROGRAM,
                                     "--port", kDevice, nullptr};
    pid_t program = 0;
    ASSERT_EQ(::posix_spawnp(&program, "env", nullptr, nullptr, const_cast<char* const*>(command.data()), environ), 0);
    const std::string window = xdotool("search --sync --onlyvisible --name '^Acquisition donnée MAX187$'");
    // A click at the centre of a control, given in pixels from the client area's corner (its
    // left + width / 2 and top + height / 2 in 1/1440 inch, 15 a pixel). No --sync: it waits for
    // the pointer to move, forever when it is already there.
    const auto click = [&](const char* x, const char* y) {
        xdotool("windowraise " + window + " mousemove --window " + window + " " + x + " " + y + " click 1");
    };

    EXPECT_TRUE(port.events().empty()) << "the port was opened before « Démarrer lecture MAX187 »";
    click("304", "24");  // OKfile, « Générer fichier »
    click("52", "304");  // BtnMax187, « Démarrer lecture MAX187 »
    ASSERT_TRUE(port.waitForReads(3));
    port.setInputMillivolts(1234);  // between two ticks of the 1 s period
    ASSERT_TRUE(port.waitForReads(5));
    click("172", "304");  // BtnStop
    ASSERT_TRUE(port.waitUntil([](const emu::State& s) { return !emu::EmulatedPort::anyClaimed(s); }));

    // The lines as the day view reads them: none it cannot read, none lost or repeated, none cut
    // short; a stop while a read lets events run drops that reading: one line less than reads at most.
    std::filesystem::path file;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path() / "velmorixon"))
        if (entry.path().extension() == ".val") file = entry.path();
    record::MeasurementReader reader;
    std::vector<record::Reading> lines;
    reader.feed(TempDir::read(file), lines);
    EXPECT_EQ(reader.malformedLines() + reader.pendingBytes(), 0u);
    const std::size_t reads = emu::splitReads(port.events()).size();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_TRUE(reads == lines.size() || reads == lines.size() + 1) << reads << " reads, " << lines.size() << " lines";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].number, std::int64_t(i) + 2);
        EXPECT_EQ(lines[i].millivolts, i < 3 ? 2048 : 1234) << "line " << i + 2;
    }

    click("52", "304");  // BtnMax187, « Démarrer lecture MAX187 »
    ASSERT_TRUE(port.waitUntil(&emu::EmulatedPort::anyClaimed));
    click("300", "304");  // BtnQuit
    int status = -1;
    ::waitpid(program, &status, 0);
    EXPECT_EQ(status, 0) << "the exit status, 0 when it ended by itself with 0";
    EXPECT_EQ(emu::portSteps(port.events()), (std::vector<std::string>{"open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close",
                                                                        "open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close"}));
}

}  // namespace
