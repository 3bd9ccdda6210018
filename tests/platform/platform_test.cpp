// The window's services are checked where they are put together.
#include "platform/platform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/posix_file_system.h"
#include "support/fake_clock.h"

namespace {

TEST(Platform, AMissingServiceIsNamedWhenTheServicesAreChecked)
{
    FakeClock clock{astro::DateTime{}};
    PosixFileSystem files;
    const Platform complete{.portName = "/dev/parport0",
                            .openPort = [] { return std::unique_ptr<ParallelPort>(); },
                            .clock = &clock,
                            .queryZone = [] { return ZoneInfo{}; },
                            .dataRoot = "/home/obs",
                            .files = &files,
                            .openJournal = {}};  // optional: the day view is not required
    EXPECT_NO_THROW(requireComplete(complete));
    const std::pair<const char*, void (*)(Platform&)> holes[] = {
        {"openPort", [](Platform& p) { p.openPort = nullptr; }},
        {"portName", [](Platform& p) { p.portName.clear(); }},
        {"clock", [](Platform& p) { p.clock = nullptr; }},
        {"queryZone", [](Platform& p) { p.queryZone = nullptr; }},
        {"dataRoot", [](Platform& p) { p.dataRoot.clear(); }},
        {"files", [](Platform& p) { p.files = nullptr; }},
    };
    for (const auto& [name, makeHole] : holes) {
        Platform p = complete;
        makeHole(p);
        EXPECT_THAT([&] { requireComplete(p); },
                    testing::ThrowsMessage<std::invalid_argument>(testing::HasSubstr(name))) << name << " missing";
    }
}

}  // namespace
