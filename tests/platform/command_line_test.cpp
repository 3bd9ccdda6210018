// What each command line gives: the converter to use, or the texts and exit code.
#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kUsage =
    "Utilisation : velmorixon [--port PÉRIPHÉRIQUE | --simulate] [--help] [--version]\n";

struct Row {
    const char* name;
    QStringList arguments;
    std::string device;
    bool simulate;
    int exitCode;          // -1: the program runs
    std::string firstOut;  // first line of standard output
    std::string err;       // standard error, whole
};
void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }


Row runs(const char* name, QStringList args, std::string device, bool simulate = false)
{
    return {name, args, device, simulate, -1, {}, {}};
}
Row refused(const char* name, QStringList args, const std::string& reason)
{
    return {name, args, {}, false, 2, {}, "velmorixon : " + reason + "\n" + kUsage};
}

}  // namespace

class CommandLineCase : public ::testing::TestWithParam<Row> {};

TEST_P(CommandLineCase, ParsesAsTheUserExpects)
{
    const Row& row = GetParam();
    const CommandLine cl = parseCommandLine(QStringList{"velmorixon"} + row.arguments, "1.0.0");
    if (row.exitCode < 0) {
        ASSERT_FALSE(cl.exit.has_value()) << cl.exit->standardError;
        EXPECT_EQ(cl.device, row.device);
        EXPECT_EQ(cl.simulate, row.simulate);
        return;
    }
    ASSERT_TRUE(cl.exit.has_value());
    EXPECT_EQ(cl.exit->code, row.exitCode);
    EXPECT_EQ(cl.exit->standardOutput.substr(0, cl.exit->standardOutput.find('\n') + 1), row.firstOut);
    EXPECT_EQ(cl.exit->standardError, row.err);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineCase,
    ::testing::Values(
        runs("NoArgument", {}, "/dev/parport0"),
        runs("Port", {"--port", "/dev/parport1"}, "/dev/parport1"),
        runs("PortWithEquals", {"--port=/dev/parport2"}, "/dev/parport2"),
        runs("Simulate", {"--simulate"}, "/dev/parport0", true),
        runs("SingleDashSimulate", {"-simulate"}, "/dev/parport0", true),
        Row{"Help", {"--help"}, {}, false, 0, kUsage, ""},
        Row{"ShortHelp", {"-h"}, {}, false, 0, kUsage, ""},
        Row{"Version", {"--version"}, {}, false, 0, "velmorixon 1.0.0\n", ""},
        refused("UnknownOption", {"--verbose"}, "option inconnue « --verbose »"),
        refused("PortWithoutDevice", {"--port"}, "l'option « --port » attend un nom de périphérique"),
        refused("PortEmpty", {"--port="}, "l'option « --port » attend un nom de périphérique"),
        refused("PortAndSimulate", {"--port", "/dev/parport1", "--simulate"},
                "« --port » et « --simulate » ne vont pas ensemble"),
        refused("PortTwice", {"--port", "/dev/parport0", "--port", "/dev/parport1"},
                "l'option « --port » est donnée plusieurs fois"),
        refused("Positional", {"/dev/parport1"}, "argument inattendu « /dev/parport1 »")),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, HelpIsInFrenchAndNamesEveryOption)
{
    const CommandLine cl = parseCommandLine({"velmorixon", "--help"}, "1.0.0");
    ASSERT_TRUE(cl.exit.has_value());
    for (const char* text : {"Options :", "--port PÉRIPHÉRIQUE", "--simulate", "--version",
                             "convertisseur simulé, sans matériel", "par défaut /dev/parport0"})
        EXPECT_NE(cl.exit->standardOutput.find(text), std::string::npos) << text;
}
