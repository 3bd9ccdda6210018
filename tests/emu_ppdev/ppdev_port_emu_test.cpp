// PpdevPort and the converter read on an emulated ppdev device with a MAX187 behind it: the
// ioctls in their order, the readings, the claim, the release and every failure.
#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "acquisition/max187.h"
#include "emu_control.h"
#include "platform/ppdev_port.h"
#include "platform/system_message.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using emu::EventKind;

constexpr const char* kDevice = "/dev/parport-emu0";

long openDescriptors()
{
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator{});
}

std::vector<std::string> kindsOf(const std::vector<emu::Event>& events)
{
    std::vector<std::string> kinds;
    for (const emu::Event& e : events)
        if (e.kind != EventKind::WriteData && e.kind != EventKind::ReadStatus) kinds.push_back(emu::nameOf(e.kind));
    return kinds;
}

std::string describe(const std::vector<emu::Violation>& violations)
{
    std::string text;
    for (const emu::Violation& v : violations)
        text += "kind " + std::to_string(static_cast<int>(v.kind)) + " at " + std::to_string(v.seq) + ": " +
                std::to_string(v.measuredNs) + " ns < " + std::to_string(v.requiredNs) + " ns\n";
    return text;
}

class EmulatedPortTest : public testing::Test {
protected:
    EmulatedPortTest() : m_port(m_dir.path() / "port.state", kDevice) { m_port.exportEnvironment(); }

    TempDir m_dir;
    emu::EmulatedPort m_port;
};

TEST_F(EmulatedPortTest, PortIsClaimedAloneThenPutAtRestAndReleasedBeforeTheClose)
{
    {
        PpdevPort port(kDevice);
        EXPECT_TRUE(m_port.claimed());
        acquisition::readConversion(port);
    }
    EXPECT_FALSE(m_port.claimed());
    const auto events = m_port.events();
    EXPECT_EQ(kindsOf(events), (std::vector<std::string>{"open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close"}));
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events[3].kind, EventKind::WriteData);
    EXPECT_EQ(events[3].value, 1u) << "the lines are put at rest right after the claim";
    EXPECT_EQ(events.back().value, 0u) << "the close had to release a port still claimed";
    for (const emu::Event& e : events) EXPECT_EQ(e.error, 0) << emu::nameOf(e.kind) << " at " << e.seq;
}

struct ReadRow {
    int millivolts;
    std::chrono::nanoseconds latency;
};

void PrintTo(const ReadRow& row, std::ostream* os)
{
    *os << row.millivolts << " mV, " << row.latency.count() << " ns per operation";
}

class ConverterReadOnTheEmulatedPort : public EmulatedPortTest, public testing::WithParamInterface<ReadRow> {};

TEST_P(ConverterReadOnTheEmulatedPort, GivesTheInputInTheFortyFourOperationsWithinTheDataSheetTiming)
{
    m_port.setLatency(GetParam().latency);
    m_port.setInputMillivolts(GetParam().millivolts);
    PpdevPort port(kDevice);
    EXPECT_EQ(acquisition::readConversion(port), GetParam().millivolts);
    EXPECT_EQ(acquisition::readConversion(port), GetParam().millivolts) << "a second read in a row";
    const auto reads = emu::splitReads(m_port.events());
    ASSERT_EQ(reads.size(), 2u);
    for (const emu::WireRead& read : reads) EXPECT_EQ(emu::pictureOf(read.operations), emu::protocolOfOneRead());
    EXPECT_EQ(m_port.violationCount(), 0u) << describe(m_port.violations());
}

INSTANTIATE_TEST_SUITE_P(
    InputsAndLatencies, ConverterReadOnTheEmulatedPort,
    testing::Values(ReadRow{0, 1500ns}, ReadRow{1, 1500ns}, ReadRow{2048, 1500ns}, ReadRow{1234, 1500ns},
                    ReadRow{4095, 1500ns}, ReadRow{1234, 0ns}, ReadRow{4095, 0ns}, ReadRow{1, 0ns}),
    [](const testing::TestParamInfo<ReadRow>& info) {
        return std::to_string(info.param.millivolts) + "mV_" + std::to_string(info.param.latency.count()) +
               "nsPerOperation";
    });

TEST_F(EmulatedPortTest, ReadingsIgnoreTheStatusLinesTheConverterDoesNotDrive)
{
    PpdevPort port(kDevice);
    m_port.setInputMillivolts(0xA5C);
    for (const std::uint8_t others : {0x00, 0xDF, 0x90, 0x08}) {
        m_port.setOtherStatusBits(others);
        EXPECT_EQ(acquisition::readConversion(port), 0xA5C) << "other status bits " << int{others};
    }
}

TEST_F(EmulatedPortTest, SecondClaimantIsToldThePortIsBusyWhileTheFirstReadsOn)
{
    PpdevPort first(kDevice);
    const auto before = openDescriptors();
    try {
        PpdevPort second(kDevice);
        ADD_FAILURE() << "a second program claimed the port";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::errc::device_or_resource_busy) << e.what();
        EXPECT_NE(frenchReason(e.code()).find("occupé"), std::string::npos) << frenchReason(e.code());
        EXPECT_EQ(std::string(e.what()).rfind(std::string("PPCLAIM ") + kDevice, 0), 0u) << e.what();
    }
    EXPECT_EQ(openDescriptors(), before);
    m_port.setInputMillivolts(1234);
    EXPECT_EQ(acquisition::readConversion(first), 1234);
}

TEST_F(EmulatedPortTest, RefusedOpenOrClaimNamesTheStepKeepsTheReasonAndClosesTheDescriptor)
{
    struct Case {
        int error, expected;
    };
    // ppdev's ENXIO for a claim means another device holds the port: busy for the user.
    for (const Case c : {Case{ENOENT, ENOENT}, Case{EACCES, EACCES}, Case{EBUSY, EBUSY}, Case{ENXIO, ENXIO}}) {
        for (const bool atOpen : {true, false}) {
            m_port.failOpen(atOpen ? c.error : 0);
            m_port.failClaim(atOpen ? 0 : c.error);
            const int expected = atOpen ? c.expected : (c.error == ENXIO ? EBUSY : c.error);
            const std::string step = atOpen ? "open " : "PPCLAIM ";
            const auto before = openDescriptors();
            try {
                PpdevPort port(kDevice);
                ADD_FAILURE() << step << "refused with " << c.error << " and the port opened";
            } catch (const std::system_error& e) {
                EXPECT_EQ(e.code().value(), expected) << e.what();
                EXPECT_EQ(std::string(e.what()).rfind(step + kDevice, 0), 0u) << e.what();
            }
            EXPECT_EQ(openDescriptors(), before) << step << c.error;
            EXPECT_FALSE(m_port.claimed());
        }
    }
    m_port.failOpen(0);
    m_port.failClaim(0);
    m_port.failWithEioAfter(0);  // the write that puts the lines at rest fails
    const auto before = openDescriptors();
    EXPECT_THROW(PpdevPort port(kDevice), std::system_error);
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_FALSE(m_port.claimed());
}

TEST_F(EmulatedPortTest, ReadCutShortByEioGivesNoReadingAndTheNextReadStillMeetsTheTiming)
{
    m_port.setLatency(0ns);  // a fast port: only the read's own waits keep the timing
    m_port.setInputMillivolts(3000);
    PpdevPort port(kDevice);
    m_port.failWithEioAfter(20);  // chip select is low when the port fails
    try {
        acquisition::readConversion(port);
        ADD_FAILURE() << "a read cut short gave a reading";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::errc::io_error);
        EXPECT_EQ(std::string(e.what()).rfind("PP", 0), 0u) << e.what();
    }
    m_port.failWithEioAfter(-1);
    m_port.setInputMillivolts(1234);
    EXPECT_EQ(acquisition::readConversion(port), 1234);
    EXPECT_EQ(m_port.violationCount(), 0u) << describe(m_port.violations());
}

// The device itself, through the bare C library calls: what ppdev answers, call by call.
TEST_F(EmulatedPortTest, DeviceAnswersEveryIoctlAsPpdevDoes)
{
    const auto call = [](int fd, unsigned long request, void* argument = nullptr) {
        return ::ioctl(fd, request, argument) < 0 ? errno : 0;
    };
    const int fd = ::open(kDevice, O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    EXPECT_EQ(::fcntl(fd, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC) << "close-on-exec as asked";
    unsigned char byte = 1;
    EXPECT_EQ(call(fd, PPWDATA, &byte), EINVAL) << "data before the claim";
    EXPECT_EQ(call(fd, PPRSTATUS, &byte), EINVAL) << "status before the claim";
    EXPECT_EQ(call(fd, PPRELEASE), EINVAL) << "release before the claim";
    int mode = 0;
    EXPECT_EQ(call(fd, PPGETMODE, &mode), 0) << "settings need no claim";
    EXPECT_EQ(mode, IEEE1284_MODE_COMPAT);
    EXPECT_EQ(call(fd, PPEXCL), 0);
    EXPECT_EQ(call(fd, PPCLAIM), 0);
    EXPECT_EQ(call(fd, PPCLAIM), EINVAL) << "a second claim of the same open file";
    EXPECT_EQ(call(fd, PPEXCL), 0) << "PPEXCL after the claim of an exclusive device";
    EXPECT_EQ(call(fd, PPWDATA, &byte), 0);
    EXPECT_EQ(call(fd, PPRDATA, &byte), 0);
    EXPECT_EQ(byte, 1) << "the data register reads back what was written";
    EXPECT_EQ(call(fd, PPWCONTROL, &byte), EINVAL) << "a request the emulated port does not carry";
    EXPECT_EQ(call(fd, PPRELEASE), 0);
    EXPECT_EQ(call(fd, PPRELEASE), EINVAL);

    const int shared = ::open(kDevice, O_RDWR | O_CLOEXEC);
    ASSERT_GE(shared, 0);
    EXPECT_EQ(call(shared, PPCLAIM), ENXIO) << "a second device beside an exclusive one";
    EXPECT_EQ(call(fd, PPCLAIM), 0) << "the exclusive holder claims again";
    ::close(fd);
    EXPECT_FALSE(m_port.claimed()) << "the close releases what was left claimed";
    EXPECT_EQ(m_port.events().back().value, 1u);
    EXPECT_EQ(call(shared, PPCLAIM), 0) << "the port is free once the exclusive device is closed";
    EXPECT_EQ(call(shared, PPEXCL), EINVAL) << "too late to ask for the port alone";
    ::close(shared);
}

// The emulated converter is only worth its tests if it catches a read that breaks its timing.
// Its conversion is made to last a second here, so that the read without waits falls inside it
// however slowly this machine runs.
TEST_F(EmulatedPortTest, ConverterReportsAReadThatClocksDuringTheConversion)
{
    for (const auto latency : {0ns, 1500ns}) {
        emu::EmulatedPort port(m_dir.path() / "fresh.state", kDevice);
        port.exportEnvironment();
        port.setLatency(latency);
        port.setConversionTime(1s);
        port.setInputMillivolts(0xA5C);
        PpdevPort device(kDevice);
        acquisition::readConversion(device, [](std::chrono::nanoseconds) {});
        const auto violations = port.violations();
        const bool clockedDuringConversion =
            std::any_of(violations.begin(), violations.end(),
                        [](const emu::Violation& v) { return v.kind == emu::ViolationKind::ClockDuringConversion; });
        EXPECT_TRUE(clockedDuringConversion) << latency.count() << " ns\n" << describe(violations);
    }
}

}  // namespace
