// The real program, `velmorixon --port /dev/parport-emu0`, under Xvfb, clicked as a user
// clicks it, with the emulated port and its MAX187 preloaded behind the C library: what reaches
// the measurement file, what the wire sees, when the port is held, and what the user is told.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "emu_control.h"
#include "support/temp_dir.h"
#include "x_session.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using emu::EventKind;

constexpr const char* kDevice = "/dev/parport-emu0";
constexpr const char* kMainTitle = "^Acquisition donnée MAX187$";

// Controls of the main window, in 1/1440 inch: left, top, width, height.
struct Control {
    int left, top, width, height;
};
constexpr Control kStart{0, 4320, 1575, 495};
constexpr Control kStop{1800, 4320, 1575, 495};
constexpr Control kQuit{3720, 4320, 1575, 495};
constexpr Control kFileSwitch{3720, 240, 1695, 255};

struct Line {
    int number;
    int millivolts;
};

// The measurement file's lines, " N, mV,HH:MM:SS" CR LF; a line of another form fails the test.
std::vector<Line> linesOf(const std::string& bytes)
{
    static const std::regex form(R"( (\d+), (\d+),(\d\d):(\d\d):(\d\d)\r\n)");
    std::vector<Line> lines;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find('\n', at);
        const std::string line = bytes.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at);
        std::smatch m;
        EXPECT_TRUE(std::regex_match(line, m, form)) << "line \"" << line << "\"";
        if (m.empty()) break;
        lines.push_back({std::stoi(m[1]), std::stoi(m[2])});
        at = end + 1;
    }
    return lines;
}

std::vector<emu::Event> ofProcess(const std::vector<emu::Event>& events, pid_t pid)
{
    std::vector<emu::Event> mine;
    for (const emu::Event& e : events)
        if (e.pid == pid) mine.push_back(e);
    return mine;
}

// The port's own events (not the lines): open, PPEXCL, PPCLAIM, PPRELEASE, close.
std::vector<std::string> portSteps(const std::vector<emu::Event>& events)
{
    std::vector<std::string> steps;
    for (const emu::Event& e : events) {
        if (e.kind == EventKind::WriteData || e.kind == EventKind::ReadStatus) continue;
        steps.push_back(emu::nameOf(e.kind) + (e.error ? " refused" : ""));
    }
    return steps;
}

class ProgramOnTheEmulatedPort : public testing::Test {
protected:
    struct Instance {
        std::unique_ptr<xtest::Process> process;
        std::string window;
        fs::path messages;  // what its message boxes said, one line each
    };

    ProgramOnTheEmulatedPort() : m_port(m_dir.path() / "port.state", kDevice)
    {
        fs::create_directories(home() / "velmorixon");
    }

    fs::path home() const { return m_dir.path() / "home"; }

    // The X server's environment with the test's home and nothing preloaded.
    std::vector<std::string> displayAndHome() const
    {
        auto env = m_x.environment();
        std::erase_if(env, [](const std::string& e) { return e.rfind("HOME=", 0) == 0 || e.rfind("LD_PRELOAD=", 0) == 0; });
        env.push_back("HOME=" + home().string());
        return env;
    }

    // Starts the program on the emulated port and waits for its main window.
    Instance launch(const std::string& name)
    {
        auto env = displayAndHome();
        const std::string preloadFirst = EMU_PRELOAD_FIRST;
        env.push_back("LD_PRELOAD=" + (preloadFirst.empty() ? "" : preloadFirst + " ") + EMU_SHIM + " " + MESSAGE_PROBE);
        for (const std::string& e : m_port.environment()) env.push_back(e);
        Instance instance;
        instance.messages = m_dir.path() / (name + ".messages");
        env.push_back("VELMORIXON_PROBE_MESSAGES=" + instance.messages.string());
        instance.process = std::make_unique<xtest::Process>(
            std::vector<std::string>{VELMORIXON_PROGRAM, "--port", kDevice}, env, m_dir.path() / (name + ".log"));
        instance.window = m_x.waitWindow(instance.process->pid(), kMainTitle);
        EXPECT_FALSE(instance.window.empty()) << name << " showed no main window; its output:\n"
                                              << TempDir::read(m_dir.path() / (name + ".log"));
        return instance;
    }

    void click(const Instance& instance, Control c) { m_x.click(instance.window, c.left, c.top, c.width, c.height); }

    // Waits until the converter has been read `count` times in all and the last read is over.
    bool waitForReads(std::uint64_t count)
    {
        return m_port.waitUntil([count](const emu::State& s) { return s.conversions >= count && (s.chip.data & 1); });
    }

    // Waits until `count` events of `kind` happened, and gives all events.
    std::vector<emu::Event> waitFor(EventKind kind, std::size_t count)
    {
        EXPECT_TRUE(m_port.waitForEvents(kind, count)) << "no " << count << " x " << emu::nameOf(kind);
        return m_port.events();
    }

    // The program's message boxes, waited for until there are `count`.
    std::string messages(const Instance& instance, std::size_t count)
    {
        return xtest::waitForLines(instance.messages, count);
    }

    // Dismisses the message box the program shows over its main window.
    void dismissMessage(const Instance& instance)
    {
        const std::string box = m_x.waitWindow(instance.process->pid(), kMainTitle, {instance.window});
        ASSERT_FALSE(box.empty()) << "no message box";
        m_x.key(box, "Return");
    }

    fs::path dataFile() const
    {
        for (const auto& entry : fs::directory_iterator(home() / "velmorixon"))
            if (entry.path().extension() == ".val") return entry.path();
        return home() / "velmorixon" / "missing.val";
    }

    // Quits through "Quitter" and gives the exit status (-1: still running).
    int quit(Instance& instance)
    {
        click(instance, kQuit);
        return instance.process->waitExit().value_or(-1);
    }

    TempDir m_dir;
    emu::EmulatedPort m_port;
    xtest::XServer m_x;
};

struct LatencyRow {
    const char* name;
    std::chrono::nanoseconds latency;
};

void PrintTo(const LatencyRow& row, std::ostream* os)
{
    *os << row.latency.count() << " ns per port operation";
}

class ProgramReadsOnTheEmulatedPort : public ProgramOnTheEmulatedPort,
                                      public testing::WithParamInterface<LatencyRow> {};

TEST_P(ProgramReadsOnTheEmulatedPort, LinesCarryTheInputAsItChangesAndEveryReadIsTheProtocolWithoutTimingFault)
{
    m_port.setLatency(GetParam().latency);
    m_port.setInputMillivolts(2048);
    Instance program = launch("program");
    click(program, kFileSwitch);
    click(program, kStart);
    ASSERT_TRUE(waitForReads(3));
    m_port.setInputMillivolts(1234);  // between two ticks of the 1 s period
    ASSERT_TRUE(waitForReads(5));
    xtest::waitForLines(dataFile(), 5);
    click(program, kStop);
    waitFor(EventKind::Close, 1);

    // A stop that comes while a read hands over to the event loop drops that reading: the file
    // may have one line less than the wire saw reads, never more.
    const auto reads = emu::splitReads(m_port.events());
    const auto lines = linesOf(TempDir::read(dataFile()));
    ASSERT_GE(lines.size(), 5u);
    ASSERT_GE(reads.size(), lines.size());
    ASSERT_LE(reads.size(), lines.size() + 1);
    for (std::size_t i = 0; i < reads.size(); ++i) {
        EXPECT_EQ(emu::pictureOf(reads[i].operations), emu::protocolOfOneRead()) << "read " << i + 1;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].number, static_cast<int>(i) + 2);
        EXPECT_EQ(lines[i].millivolts, i < 3 ? 2048 : 1234) << "line " << i + 1;
        EXPECT_EQ(lines[i].millivolts, reads[i].code) << "line " << i + 1 << " and what the wire carried";
    }
    EXPECT_EQ(m_port.violationCount(), 0u) << TempDir::read(m_dir.path() / "program.log");
    EXPECT_EQ(quit(program), 0);
}

INSTANTIATE_TEST_SUITE_P(PortSpeeds, ProgramReadsOnTheEmulatedPort,
                         testing::Values(LatencyRow{"PortOf1500nsPerOperation", 1500ns},
                                         LatencyRow{"FastPortOf0nsPerOperation", 0ns}),
                         [](const testing::TestParamInfo<LatencyRow>& info) { return std::string(info.param.name); });

TEST_F(ProgramOnTheEmulatedPort, PortIsClaimedAtStartAndReleasedAtStopAndAtQuit)
{
    Instance program = launch("program");
    EXPECT_TRUE(m_port.events().empty()) << "the port was opened before \"Démarrer\"";
    click(program, kStart);
    waitFor(EventKind::Claim, 1);
    EXPECT_TRUE(m_port.claimed());
    ASSERT_TRUE(waitForReads(1));
    click(program, kStop);
    waitFor(EventKind::Close, 1);
    EXPECT_FALSE(m_port.claimed());
    click(program, kStart);
    waitFor(EventKind::Claim, 2);
    EXPECT_TRUE(m_port.claimed());
    EXPECT_EQ(quit(program), 0);
    const auto events = m_port.events();
    EXPECT_FALSE(m_port.claimed());
    EXPECT_EQ(portSteps(events), (std::vector<std::string>{"open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close", "open",
                                                            "PPEXCL", "PPCLAIM", "PPRELEASE", "close"}));
    for (const emu::Event& e : events) {
        if (e.kind == EventKind::Close) {
            EXPECT_EQ(e.value, 0u) << "the close had to release a port still claimed";
        }
    }
}

TEST_F(ProgramOnTheEmulatedPort, SecondInstanceIsToldThePortIsBusyWhileTheFirstReadsOn)
{
    Instance first = launch("first");
    click(first, kStart);
    ASSERT_TRUE(waitForReads(1));
    Instance second = launch("second");
    click(second, kStart);
    EXPECT_EQ(messages(second, 1),
              std::string("Port parallèle ") + kDevice + " inaccessible : Périphérique ou ressource occupé\n");
    const std::uint64_t readsBefore = m_port.conversions();
    ASSERT_TRUE(waitForReads(readsBefore + 2)) << "the first instance stopped reading";
    const auto events = m_port.events();
    EXPECT_EQ(portSteps(ofProcess(events, second.process->pid())),
              (std::vector<std::string>{"open", "PPEXCL", "PPCLAIM refused", "close"}));
    for (const emu::Event& e : events) {
        if (e.kind == EventKind::WriteData || e.kind == EventKind::ReadStatus) {
            EXPECT_EQ(e.pid, first.process->pid()) << "the second instance touched the lines";
        }
    }
    dismissMessage(second);
    EXPECT_EQ(quit(second), 0);
    EXPECT_EQ(quit(first), 0);
    EXPECT_EQ(m_port.violationCount(), 0u);
}

TEST_F(ProgramOnTheEmulatedPort, PortFailingInTheMiddleOfAReadStopsTheRunAndKeepsTheLinesWritten)
{
    m_port.setInputMillivolts(3210);
    Instance program = launch("program");
    click(program, kFileSwitch);
    click(program, kStart);
    ASSERT_TRUE(waitForReads(2));
    m_port.failWithEioAfter(20);  // in the next read, with chip select low
    EXPECT_EQ(messages(program, 1), std::string("Lecture arrêtée : port parallèle ") + kDevice +
                                        " inaccessible : Erreur d'entrée/sortie\n");
    waitFor(EventKind::Close, 1);
    EXPECT_FALSE(m_port.claimed());
    const auto reads = emu::splitReads(m_port.events());
    ASSERT_GE(reads.size(), 3u);
    EXPECT_EQ(reads.back().operations.size(), 21u) << "the failing operation is the 21st of the read";
    EXPECT_EQ(reads.back().operations.back().error, EIO);
    const auto lines = linesOf(TempDir::read(dataFile()));
    ASSERT_EQ(lines.size(), reads.size() - 1) << "the lines of the whole reads stay, and no line is invented";
    for (const Line& line : lines) EXPECT_EQ(line.millivolts, 3210);
    dismissMessage(program);
    EXPECT_EQ(quit(program), 0);
}

// The day view is a process of its own: opened on the file being written and killed outright,
// it takes nothing of the acquisition with it.
TEST_F(ProgramOnTheEmulatedPort, DayViewKilledWhileTheInstrumentReadsLeavesTheAcquisitionUntouched)
{
    m_port.setInputMillivolts(1234);
    Instance program = launch("program");
    click(program, kFileSwitch);
    click(program, kStart);
    ASSERT_TRUE(waitForReads(2));
    const fs::path file = dataFile();
    xtest::Process journal({VELMORIXON_PROGRAM, "--journal", file.string()}, displayAndHome(),
                           m_dir.path() / "journal.log");
    ASSERT_FALSE(m_x.waitWindow(journal.pid(), "^Journal des mesures — " + file.filename().string() + "$").empty())
        << TempDir::read(m_dir.path() / "journal.log");
    const std::uint64_t before = m_port.conversions();
    ::kill(journal.pid(), SIGKILL);
    EXPECT_EQ(journal.waitExit().value_or(-1), 128 + SIGKILL);
    ASSERT_TRUE(waitForReads(before + 3)) << "the instrument stopped reading";
    EXPECT_EQ(quit(program), 0);
    const auto lines = linesOf(TempDir::read(file));
    ASSERT_GE(lines.size(), 4u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].number, int(i) + 2) << "a line was lost or repeated";
        EXPECT_EQ(lines[i].millivolts, 1234);
    }
}

// In the sanitized build the leak check runs at the exit: a leak gives a non-zero status.
TEST_F(ProgramOnTheEmulatedPort, ProgramStartsAndQuitsWithStatusZero)
{
    Instance program = launch("program");
    EXPECT_EQ(quit(program), 0) << TempDir::read(m_dir.path() / "program.log");
}

}  // namespace
