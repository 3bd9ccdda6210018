// The real program, `velmorixon --port /dev/parport-emu0`, under Xvfb, clicked as a user clicks
// it, with the emulated port preloaded behind the C library: what reaches the measurement file,
// what the wire carried, and when the port is held.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "emu_port.h"
#include "record/measurement_reader.h"
#include "support/temp_dir.h"
#include "x_session.h"

namespace {

namespace fs = std::filesystem;
constexpr const char* kDevice = "/dev/parport-emu0";

// Controls of the main window, in 1/1440 inch: left, top, width, height.
struct Control {
    int left, top, width, height;
};
constexpr Control kStart{0, 4320, 1575, 495}, kStop{1800, 4320, 1575, 495}, kQuit{3720, 4320, 1575, 495},
    kFileSwitch{3720, 240, 1695, 255};

// The millivolts of the measurement file's lines, as the day view reads them; a line it cannot
// read, a number out of turn (from 2 on) or a last line cut short fails the test.
std::vector<int> millivoltsOf(const std::string& bytes)
{
    record::MeasurementReader reader;
    std::vector<record::Reading> lines;
    reader.feed(bytes, lines);
    EXPECT_EQ(reader.malformedLines() + reader.pendingBytes(), 0u) << "a line the instrument never writes";
    std::vector<int> values;
    for (const record::Reading& line : lines) {
        EXPECT_EQ(line.number, std::int64_t(values.size()) + 2) << "a line lost or repeated";
        values.push_back(line.millivolts);
    }
    return values;
}

TEST(ProgramOnTheEmulatedPort, RunsClaimThePortAtStartWriteWhatTheWireCarriedAndReleaseItAtStopAndAtQuit)
{
    TempDir dir;
    emu::EmulatedPort port(dir.path() / "port.state", kDevice);
    port.exportEnvironment();  // handed down to the program with the rest of the environment
    xtest::XServer x;
    QProcessEnvironment env = x.environment();
    env.insert("HOME", QString::fromStdString(dir.path().string()));
    const std::string first = EMU_PRELOAD_FIRST;
    env.insert("LD_PRELOAD", QString::fromStdString((first.empty() ? "" : first + " ") + EMU_SHIM));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(VELMORIXON_PROGRAM, {"--port", kDevice});
    program.waitForStarted(xtest::kPatienceMs);
    const std::string window = x.waitWindow(program, "^Acquisition donnée MAX187$");
    ASSERT_FALSE(window.empty()) << program.readAll().toStdString();
    const auto click = [&](Control c) { x.click(window, c.left, c.top, c.width, c.height); };

    EXPECT_TRUE(port.events().empty()) << "the port was opened before « Démarrer »";
    click(kFileSwitch);
    click(kStart);
    ASSERT_TRUE(port.waitForReads(3));
    EXPECT_TRUE(port.claimed());
    port.setInputMillivolts(1234);  // between two ticks of the 1 s period
    ASSERT_TRUE(port.waitForReads(5));
    click(kStop);
    ASSERT_TRUE(port.waitUntil([](const emu::State& s) { return !emu::EmulatedPort::anyClaimed(s); }));

    // A stop while a read lets events run drops that reading: one line less than reads at most.
    const auto reads = emu::splitReads(port.events());
    fs::path file;
    for (const auto& entry : fs::directory_iterator(dir.path() / "velmorixon"))
        if (entry.path().extension() == ".val") file = entry.path();
    const auto lines = millivoltsOf(TempDir::read(file));
    ASSERT_GE(lines.size(), 5u);
    ASSERT_GE(reads.size(), lines.size());
    ASSERT_LE(reads.size(), lines.size() + 1);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i], i < 3 ? 2048 : 1234) << "line " << i + 2;
        EXPECT_EQ(lines[i], reads[i].code) << "line " << i + 2 << " and what the wire carried";
    }

    click(kStart);
    ASSERT_TRUE(port.waitUntil(&emu::EmulatedPort::anyClaimed));
    click(kQuit);
    EXPECT_TRUE(program.waitForFinished(xtest::kPatienceMs));
    EXPECT_EQ(program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1, 0) << program.readAll().toStdString();
    EXPECT_FALSE(port.claimed());
    const std::vector<std::string> run{"open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close"};
    std::vector<std::string> twoRuns = run;
    twoRuns.insert(twoRuns.end(), run.begin(), run.end());
    EXPECT_EQ(emu::portSteps(port.events()), twoRuns);
    for (const emu::Event& e : port.events())
        EXPECT_FALSE(e.kind == emu::EventKind::Close && e.value == 1) << "the close had to release a port still held";
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);  // for QProcess
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
