// What each command line gives: the converter to use, or the texts and exit code.
#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kUsage =
    "Utilisation : velmorixon [--port PÉRIPHÉRIQUE | --simulate] [--help] [--version]\n"
    "              velmorixon --journal [FICHIER]\n";

struct Row {
    const char* name;
    QStringList arguments;
    std::string device;    // when the program runs, else standard output's first line
    bool simulate;
    std::string reason;    // of a refusal, empty when accepted
};
void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

}  // namespace

class CommandLineCase : public ::testing::TestWithParam<Row> {};

TEST_P(CommandLineCase, RunsAnswersOrRefusesInFrench)
{
    const Row& row = GetParam();
    const CommandLine cl = parseCommandLine(QStringList{"velmorixon"} + row.arguments, "1.0.0");
    if (!row.reason.empty()) {
        ASSERT_TRUE(cl.exit.has_value());
        EXPECT_EQ(cl.exit->code, 2);
        EXPECT_EQ(cl.exit->standardError, "velmorixon : " + row.reason + "\n" + kUsage);
        EXPECT_EQ(cl.exit->standardOutput, "");
    } else if (row.device.starts_with("/")) {
        ASSERT_FALSE(cl.exit.has_value()) << cl.exit->standardError;
        EXPECT_EQ(cl.device, row.device);
        EXPECT_EQ(cl.simulate, row.simulate);
    } else {
        ASSERT_TRUE(cl.exit.has_value());
        EXPECT_EQ(cl.exit->code, 0);
        EXPECT_EQ(cl.exit->standardOutput.substr(0, row.device.size()), row.device);
        EXPECT_EQ(cl.exit->standardError, "");
    }
}

const std::string kPortValue = "l'option « --port » attend un nom de périphérique";

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineCase,
    ::testing::Values(
        Row{"NoArgument", {}, "/dev/parport0", false, ""},
        Row{"Port", {"--port", "/dev/parport1"}, "/dev/parport1", false, ""},
        Row{"Simulate", {"--simulate"}, "/dev/parport0", true, ""},
        Row{"Help", {"--help"}, kUsage + "\nMesure une tension", false, ""},
        Row{"Version", {"--version"}, "velmorixon 1.0.0\n", false, ""},
        Row{"UnknownOption", {"--verbose"}, "", false, "option inconnue « --verbose »"},
        Row{"UnknownLetterAfterTwoDashes", {"--x"}, "", false, "option inconnue « --x »"},
        Row{"UnknownLetterAfterOneDash", {"-x"}, "", false, "option inconnue « -x »"},
        Row{"UnknownWordAfterOneDash", {"-verbose"}, "", false, "option inconnue « -verbose »"},
        Row{"UnknownOptionWithValue", {"--x=3"}, "", false, "option inconnue « --x »"},
        Row{"PortWithoutDevice", {"--port"}, "", false, kPortValue},
        Row{"PortEmpty", {"--port="}, "", false, kPortValue},
        Row{"PortAndSimulate", {"--port", "/dev/parport1", "--simulate"}, "", false,
            "« --port » et « --simulate » ne vont pas ensemble"},
        Row{"PortTwice", {"--port", "/dev/parport0", "--port", "/dev/parport1"}, "", false,
            "l'option « --port » est donnée plusieurs fois"},
        Row{"Positional", {"/dev/parport1"}, "", false, "argument inattendu « /dev/parport1 »"},
        Row{"JournalWithSimulate", {"--journal", "--simulate"}, "", false,
            "« --journal » ne lit pas le convertisseur : ni « --port » ni « --simulate » avec lui"},
        Row{"JournalTwoFiles", {"--journal", "a.val", "b.val"}, "", false,
            "argument inattendu « a.val »"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, JournalOpensTheDayViewOnTodaysFileOrTheOneGiven)
{
    const CommandLine today = parseCommandLine({"velmorixon", "--journal"}, "1.0.0");
    ASSERT_FALSE(today.exit.has_value());
    EXPECT_EQ(today.journal, std::optional<std::string>(""));
    const CommandLine given = parseCommandLine({"velmorixon", "--journal", "/tmp/data06-21-2026.val"}, "1.0.0");
    ASSERT_FALSE(given.exit.has_value());
    EXPECT_EQ(given.journal, std::optional<std::string>("/tmp/data06-21-2026.val"));
    EXPECT_FALSE(parseCommandLine({"velmorixon"}, "1.0.0").journal.has_value());
}
