// The real program, `velmorixon --port /dev/parport-emu0`, under Xvfb, clicked as a user clicks
// it, with the emulated port preloaded behind the C library: what reaches the measurement file
// and when the port is held.
#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "emu_port.h"
#include "record/measurement_reader.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
constexpr const char* kDevice = "/dev/parport-emu0";

constexpr int kPatienceMs = 30'000;  // how long a step may take before it failed

// An Xvfb screen of 1024x768 at 96 dpi on a display it chooses itself (-displayfd: it writes the
// number once it accepts connections, so that servers of tests running side by side never meet).
struct XServer {
    XServer()
    {
        server.setStandardErrorFile(QProcess::nullDevice());
        server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-dpi", "96", "-nolisten", "tcp", "-noreset", "+bs"});
        while (!server.canReadLine() && server.waitForReadyRead(kPatienceMs)) {
        }
        environment.insert("DISPLAY", ":" + QString::fromLatin1(server.readLine()).trimmed());
        environment.insert("QT_QPA_PLATFORM", "xcb");
        for (const char* name : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING", "WAYLAND_DISPLAY", "LD_PRELOAD"})
            environment.remove(name);
    }
    ~XServer() { server.terminate(), server.waitForFinished(kPatienceMs); }
    /// xdotool's answer on this screen; "search --sync" waits until the window is mapped.
    QString xdotool(const QStringList& arguments) const
    {
        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.start("xdotool", arguments);
        tool.waitForFinished(kPatienceMs);
        return QString::fromUtf8(tool.readAllStandardOutput()).section('\n', 0, 0);
    }

    QProcess server;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

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

TEST(ProgramOnTheEmulatedPort, RunsClaimThePortAtStartWriteTheInputAndReleaseItAtStopAndAtQuit)
{
    TempDir dir;
    emu::EmulatedPort port(dir.path() / "port.state", kDevice);
    port.exportEnvironment();  // handed down to the program with the rest of the environment
    XServer x;
    QProcessEnvironment env = x.environment;
    env.insert("HOME", QString::fromStdString(dir.path().string()));
    const std::string first = EMU_PRELOAD_FIRST;
    env.insert("LD_PRELOAD", QString::fromStdString((first.empty() ? "" : first + " ") + EMU_SHIM));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(VELMORIXON_PROGRAM, {"--port", kDevice});
    const QString window = x.xdotool({"search", "--sync", "--onlyvisible", "--pid", QString::number(program.processId()),
                                      "--name", "^Acquisition donnée MAX187$"});
    ASSERT_FALSE(window.isEmpty());
    // A click at the centre of a control given in 1/1440 inch (15 a pixel) from the client area's
    // corner. No --sync: it waits for the pointer to move, forever when it is already there.
    const auto click = [&](Control c) {
        x.xdotool({"windowraise", window, "mousemove", "--window", window, QString::number((2 * c.left + c.width) / 30),
                   QString::number((2 * c.top + c.height) / 30), "click", "1"});
    };

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
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], i < 3 ? 2048 : 1234) << "line " << i + 2;

    click(kStart);
    ASSERT_TRUE(port.waitUntil(&emu::EmulatedPort::anyClaimed));
    click(kQuit);
    EXPECT_TRUE(program.waitForFinished(kPatienceMs));
    EXPECT_EQ(program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1, 0);
    EXPECT_FALSE(port.claimed());
    EXPECT_EQ(emu::portSteps(port.events()), (std::vector<std::string>{"open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close",
                                                                        "open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close"}));
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);  // for QProcess
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
