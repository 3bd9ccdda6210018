// The converter read against a port that records the wire and answers from a script.
#include "acquisition/max187.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>
#include <vector>

using namespace std::chrono_literals;

namespace {

struct Event {
    char kind;  // 'w' write, 'r' read, 'p' pause
    long long value;
    bool operator==(const Event&) const = default;
};
Event W(int v) { return {'w', v}; }
Event R() { return {'r', 0}; }

// Records writes and reads (a read's value is not kept: it comes from the script) and can
// fail at one operation, counted from 0.
class ScriptedPort final : public ParallelPort {
public:
    explicit ScriptedPort(std::vector<std::uint8_t> statuses, int failAt = -1)
        : m_statuses(std::move(statuses)), m_failAt(failAt) {}

    void writeData(std::uint8_t value) override
    {
        step();
        events.push_back(W(value));
    }
    std::uint8_t readStatus() override
    {
        step();
        events.push_back(R());
        return m_statuses.at(m_reads++);
    }

    std::vector<Event> events;

private:
    void step()
    {
        if (m_ops++ == m_failAt) throw std::system_error(EIO, std::generic_category(), "PPWDATA test");
    }
    std::vector<std::uint8_t> m_statuses;
    int m_failAt;
    int m_ops = 0;
    std::size_t m_reads = 0;
};

std::vector<std::uint8_t> statusesFor(std::uint16_t code, std::uint8_t others = 0)
{
    std::vector<std::uint8_t> s;
    for (int bit = 11; bit >= 0; --bit)
        s.push_back(static_cast<std::uint8_t>((others & ~0x20) | (((code >> bit) & 1) ? 0x20 : 0)));
    return s;
}

void noPause(std::chrono::nanoseconds) {}

}  // namespace

TEST(Max187Read, PortTrafficIsTheFortyFourOperationsInOrder)
{
    ScriptedPort port(statusesFor(0));
    acquisition::readConversion(port, noPause);

    std::vector<Event> expected{W(1), W(0), W(2), W(0), W(2), R()};
    for (int i = 0; i < 11; ++i) expected.insert(expected.end(), {W(0), W(2), R()});
    expected.insert(expected.end(), {W(2), W(0), W(2), W(0), W(1)});
    ASSERT_EQ(expected.size(), 44u);
    EXPECT_EQ(port.events, expected);
}

TEST(Max187Read, WaitsOutTheConversionAndEveryClockPhase)
{
    ScriptedPort port(statusesFor(0));
    acquisition::readConversion(port, [&](std::chrono::nanoseconds d) { port.events.push_back({'p', d.count()}); });

    // Between two writes while selected the lines must hold: 10 us after chip select falls,
    // 100 ns for every clock phase.
    bool selected = false;
    bool justSelected = false;
    std::chrono::nanoseconds held{0};
    for (const Event& e : port.events) {
        if (e.kind == 'p') held += std::chrono::nanoseconds(e.value);
        if (e.kind != 'w') continue;
        if (selected) {
            EXPECT_GE(held, justSelected ? std::chrono::nanoseconds(10us) : 100ns)
                << "before writing " << e.value;
        }
        justSelected = !selected && e.value != 1;
        selected = e.value != 1;
        held = 0ns;
    }
}

namespace {

struct CodeRow {
    const char* name;
    std::vector<std::uint8_t> statuses;
    std::uint16_t expected;
};
void PrintTo(const CodeRow& row, std::ostream* os) { *os << row.name; }

}  // namespace

class Max187Code : public ::testing::TestWithParam<CodeRow> {};

TEST_P(Max187Code, AssemblesTheCodeFromStatusBitFiveMsbFirst)
{
    ScriptedPort port(GetParam().statuses);
    EXPECT_EQ(acquisition::readConversion(port), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, Max187Code,
    ::testing::Values(CodeRow{"AllOnes", std::vector<std::uint8_t>(12, 0x20), 4095},
                      CodeRow{"AllZeros", std::vector<std::uint8_t>(12, 0x00), 0},
                      CodeRow{"MsbOnly", statusesFor(0x800), 2048},
                      CodeRow{"LsbOnly", statusesFor(0x001), 1},
                      CodeRow{"Pattern", statusesFor(0xA5C), 0xA5C},
                      CodeRow{"OtherBitsSet", statusesFor(0x5A3, 0xDF), 0x5A3},
                      CodeRow{"OnlyOtherBits", std::vector<std::uint8_t>(12, 0xDF), 0},
                      CodeRow{"OtherBitsToggling",
                              {0xA0, 0x10, 0x20, 0x80, 0xB0, 0x00, 0x30, 0x90, 0x20, 0x40, 0x08, 0xFF},
                              0b1010'1010'1001}),
    [](const auto& info) { return std::string(info.param.name); });

class Max187Failure : public ::testing::TestWithParam<int> {};

TEST_P(Max187Failure, PortFailurePropagatesAndStopsTheRead)
{
    ScriptedPort port(std::vector<std::uint8_t>(12, 0x20), GetParam());
    try {
        acquisition::readConversion(port, noPause);
        FAIL() << "a failed port operation gave a reading";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code(), std::errc::io_error);
    }
    EXPECT_EQ(port.events.size(), static_cast<std::size_t>(GetParam()));
}

// First write, chip select, the MSB read, a middle read, the final deselect.
INSTANTIATE_TEST_SUITE_P(AtOperation, Max187Failure, ::testing::Values(0, 1, 5, 20, 43));
