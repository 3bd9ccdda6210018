// The real program, `velmorixon --port /dev/parport-emu0`, under Xvfb, clicked as a user clicks
// it, with the emulated port preloaded behind the C library: what reaches the measurement file,
// what the wire carried, when the port is held, and what the user is told.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "emu_port.h"
#include "record/measurement_reader.h"
#include "support/temp_dir.h"
#include "x_session.h"

namespace {

namespace fs = std::filesystem;
using emu::EventKind;
using Steps = std::vector<std::string>;

constexpr const char* kDevice = "/dev/parport-emu0";
constexpr const char* kMainTitle = "^Acquisition donnée MAX187$";

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

class ProgramOnTheEmulatedPort : public testing::Test {
protected:
    struct Instance {
        std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
        std::string window;
        fs::path messages;  // what its message boxes said, one line each (message_probe.cpp)
        fs::path log;       // its output
        std::int32_t pid() const { return static_cast<std::int32_t>(process->processId()); }
    };

    ProgramOnTheEmulatedPort() : m_port(m_dir.path() / "port.state", kDevice)
    {
        fs::create_directories(m_dir.path() / "velmorixon");
        m_port.exportEnvironment();  // handed down to the programs with the rest of the environment
    }

    // Starts the program (on the emulated port unless it is the day view) and waits for its window.
    Instance launch(const std::string& name, QStringList arguments = {"--port", kDevice},
                    const std::string& title = kMainTitle)
    {
        QProcessEnvironment env = m_x.environment();
        env.insert("HOME", QString::fromStdString(m_dir.path().string()));
        Instance instance;
        instance.messages = m_dir.path() / (name + ".messages");
        instance.log = m_dir.path() / (name + ".log");
        if (arguments.front() == "--port") {
            const std::string first = EMU_PRELOAD_FIRST;
            env.insert("LD_PRELOAD", QString::fromStdString((first.empty() ? "" : first + " ") + EMU_SHIM + " " +
                                                            MESSAGE_PROBE));
            env.insert("VELMORIXON_PROBE_MESSAGES", QString::fromStdString(instance.messages.string()));
        }
        instance.process->setProcessEnvironment(env);
        instance.process->setProcessChannelMode(QProcess::MergedChannels);
        instance.process->setStandardOutputFile(QString::fromStdString(instance.log.string()));
        instance.process->start(VELMORIXON_PROGRAM, arguments);
        instance.process->waitForStarted(xtest::kPatienceMs);
        instance.window = m_x.waitWindow(*instance.process, title);
        EXPECT_FALSE(instance.window.empty()) << name << " showed no window:\n" << TempDir::read(instance.log);
        return instance;
    }

    void click(const Instance& i, Control c) const { m_x.click(i.window, c.left, c.top, c.width, c.height); }

    // Waits for the message box over the main window, gives what it says and dismisses it.
    std::string message(const Instance& i) const
    {
        const std::string box = m_x.waitWindow(*i.process, kMainTitle, i.window);
        if (box.empty()) return "no message box";
        m_x.key(box, "Return");
        return TempDir::read(i.messages);
    }

    // Quits through "Quitter" and gives the exit status (-1: still running or crashed).
    int quit(Instance& i) const
    {
        click(i, kQuit);
        const bool ended = i.process->waitForFinished(xtest::kPatienceMs);
        const int status = ended && i.process->exitStatus() == QProcess::NormalExit ? i.process->exitCode() : -1;
        EXPECT_EQ(status, 0) << TempDir::read(i.log);
        return status;
    }

    fs::path dataFile() const
    {
        for (const auto& entry : fs::directory_iterator(m_dir.path() / "velmorixon"))
            if (entry.path().extension() == ".val") return entry.path();
        return m_dir.path() / "velmorixon" / "missing.val";
    }

    TempDir m_dir;
    emu::EmulatedPort m_port;
    xtest::XServer m_x;
};

TEST_F(ProgramOnTheEmulatedPort, RunsClaimThePortAtStartWriteWhatTheWireCarriedAndReleaseItAtStopAndAtQuit)
{
    Instance program = launch("program");
    EXPECT_TRUE(m_port.events().empty()) << "the port was opened before « Démarrer »";
    click(program, kFileSwitch);
    click(program, kStart);
    ASSERT_TRUE(m_port.waitForReads(3));
    EXPECT_TRUE(m_port.claimed());
    m_port.setInputMillivolts(1234);  // between two ticks of the 1 s period
    ASSERT_TRUE(m_port.waitForReads(5));
    click(program, kStop);
    ASSERT_TRUE(m_port.waitForEvents(EventKind::Close, 1));
    EXPECT_FALSE(m_port.claimed());

    // A stop while a read lets events run drops that reading: one line less than reads at most.
    const auto reads = emu::splitReads(m_port.events());
    const auto lines = millivoltsOf(TempDir::read(dataFile()));
    ASSERT_GE(lines.size(), 5u);
    ASSERT_GE(reads.size(), lines.size());
    ASSERT_LE(reads.size(), lines.size() + 1);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i], i < 3 ? 2048 : 1234) << "line " << i + 2;
        EXPECT_EQ(lines[i], reads[i].code) << "line " << i + 2 << " and what the wire carried";
    }

    click(program, kStart);
    ASSERT_TRUE(m_port.waitForEvents(EventKind::Claim, 2));
    EXPECT_EQ(quit(program), 0);
    EXPECT_FALSE(m_port.claimed());
    const Steps run{"open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close"};
    Steps twoRuns = run;
    twoRuns.insert(twoRuns.end(), run.begin(), run.end());
    EXPECT_EQ(emu::portSteps(m_port.events()), twoRuns);
    for (const emu::Event& e : m_port.events())
        EXPECT_FALSE(e.kind == EventKind::Close && e.value == 1) << "the close had to release a port still held";
}

TEST_F(ProgramOnTheEmulatedPort, SecondInstanceIsToldThePortIsBusyWhileTheFirstReadsOn)
{
    Instance first = launch("first");
    click(first, kStart);
    ASSERT_TRUE(m_port.waitForReads(1));
    Instance second = launch("second");
    click(second, kStart);
    EXPECT_EQ(message(second), std::string("Port parallèle ") + kDevice +
                                   " inaccessible : Périphérique ou ressource occupé\n");
    ASSERT_TRUE(m_port.waitForReads(m_port.conversions() + 2)) << "the first instance stopped reading";
    EXPECT_EQ(emu::portSteps(m_port.events(), second.pid()), (Steps{"open", "PPEXCL", "PPCLAIM refused", "close"}));
    const auto events = m_port.events();
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [&](const emu::Event& e) { return e.kind >= EventKind::WriteData && e.pid != first.pid(); }),
              0) << "the second instance touched the lines";
    EXPECT_EQ(quit(second), 0);
    EXPECT_EQ(quit(first), 0);
}

TEST_F(ProgramOnTheEmulatedPort, PortFailingInTheMiddleOfAReadStopsTheRunAndKeepsTheLinesOfTheWholeReads)
{
    m_port.setInputMillivolts(3210);
    Instance program = launch("program");
    click(program, kFileSwitch);
    click(program, kStart);
    ASSERT_TRUE(m_port.waitForReads(2));
    m_port.failWithEioAfter(20);  // in the next read, with chip select low
    EXPECT_EQ(message(program), std::string("Lecture arrêtée : port parallèle ") + kDevice +
                                    " inaccessible : Erreur d'entrée/sortie\n");
    ASSERT_TRUE(m_port.waitForEvents(EventKind::Close, 1));
    EXPECT_FALSE(m_port.claimed());
    const auto reads = emu::splitReads(m_port.events());
    ASSERT_GE(reads.size(), 3u);
    EXPECT_EQ(reads.back().operations.size(), 21u) << "the read ends at its failing operation";
    EXPECT_EQ(millivoltsOf(TempDir::read(dataFile())), std::vector<int>(reads.size() - 1, 3210))
        << "the lines of the whole reads stay, and no line is invented";
    EXPECT_EQ(quit(program), 0);
}

// The day view is a process of its own: opened on the file being written and killed outright,
// it takes nothing of the acquisition with it.
TEST_F(ProgramOnTheEmulatedPort, DayViewKilledWhileTheInstrumentReadsLeavesTheAcquisitionUntouched)
{
    Instance program = launch("program");
    click(program, kFileSwitch);
    click(program, kStart);
    ASSERT_TRUE(m_port.waitForReads(2));
    const fs::path file = dataFile();
    Instance journal = launch("journal", {"--journal", QString::fromStdString(file.string())},
                              "^Journal des mesures — [0-9]+ [a-zéû]+ [0-9]{4}$");
    const std::uint64_t before = m_port.conversions();
    journal.process->kill();
    journal.process->waitForFinished(xtest::kPatienceMs);
    ASSERT_TRUE(m_port.waitForReads(before + 3)) << "the instrument stopped reading";
    EXPECT_EQ(quit(program), 0);
    EXPECT_GE(millivoltsOf(TempDir::read(file)).size(), 4u);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);  // for QProcess
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
