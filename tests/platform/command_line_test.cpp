// What each command line gives: the converter or the file to use, or the texts and exit code.
#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kUsage =
    "Utilisation : velmorixon [--port PÉRIPHÉRIQUE | --simulate] [--help] [--version]\n"
    "              velmorixon --journal [FICHIER]\n"
    "              velmorixon --bilan [DOSSIER] [--mois AAAA-MM]\n";

struct Row {
    const char* name;
    std::vector<std::string> arguments;
    std::string outcome;  // "port P", "simulation", "journal F", "bilan F M", "0: standard output's start" or "2: reason"
};

/// What the program does with the command line, in the rows' words.
std::string outcome(const CommandLine& cl)
{
    if (const std::string& err = cl.exit ? cl.exit->standardError : ""; cl.exit && cl.exit->code == 2) {
        EXPECT_EQ(cl.exit->standardOutput + err.substr(err.find('\n') + 1), kUsage);
        return "2: " + err.substr(std::string("velmorixon : ").size(), err.find('\n') - 13);
    }
    if (cl.exit) return std::to_string(cl.exit->code) + ": " + cl.exit->standardOutput.substr(0, 30);
    if (cl.journal) return "journal " + *cl.journal;
    if (const auto m = cl.bilan ? cl.bilan->month : std::nullopt; cl.bilan)
        return "bilan " + cl.bilan->folder + " " + (m ? std::to_string(int(m->year()) * 100 + unsigned(m->month())) : "-");
    return cl.simulate ? "simulation" : "port " + cl.device;
}

class CommandLineCase : public ::testing::TestWithParam<Row> {};

TEST_P(CommandLineCase, RunsAnswersOrRefusesInFrench)
{
    std::vector<std::string> arguments{"velmorixon"};
    arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    EXPECT_EQ(outcome(parseCommandLine(arguments, "1.0.0")), GetParam().outcome);
}

const std::string kPortValue = "2: l'option « --port » attend un nom de périphérique";
std::string badMonth(const std::string& m) { return "2: mois « " + m + " » illisible : attendu AAAA-MM, par exemple 2026-06"; }

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineCase,
    ::testing::Values(
        Row{"NoArgument", {}, "port /dev/parport0"},
        Row{"PortNotUtf8", {"--port", "/dev/p\xE9riph"}, "port /dev/p\xE9riph"},
        Row{"Simulate", {"--simulate"}, "simulation"},
        Row{"Help", {"--help"}, "0: " + kUsage.substr(0, 30)},
        Row{"Version", {"--version"}, "0: velmorixon 1.0.0\n"},
        Row{"JournalWithEquals", {"--journal=/tmp/a.val"}, "journal /tmp/a.val"},
        Row{"UnknownOption", {"--verbose"}, "2: option inconnue « --verbose »"},
        Row{"UnknownOptionWithValue", {"--x=3"}, "2: option inconnue « --x »"},
        Row{"PortWithoutDevice", {"--port"}, kPortValue},
        Row{"PortAndSimulate", {"--port", "/dev/parport1", "--simulate"}, "2: « --port » et « --simulate » ne vont pas ensemble"},
        Row{"PortTwice", {"--port", "/dev/parport0", "--port", "/dev/parport1"}, "2: l'option « --port » est donnée plusieurs fois"},
        Row{"Positional", {"/dev/parport1"}, "2: argument inattendu « /dev/parport1 »"},
        Row{"JournalWithSimulate", {"--journal", "--simulate"},
            "2: « --journal » ne lit pas le convertisseur : ni « --port » ni « --simulate » avec lui"},
        Row{"JournalWithPort", {"--journal", "--port", "/dev/parport1"},
            "2: « --journal » ne lit pas le convertisseur : ni « --port » ni « --simulate » avec lui"},
        Row{"BilanOfTheDataFolderThisMonth", {"--bilan"}, "bilan  -"},
        Row{"BilanOfAFolderInJanuary", {"--bilan", "/data", "--mois", "2026-01"}, "bilan /data 202601"},
        Row{"BilanInDecember", {"--mois", "2026-12", "--bilan"}, "bilan  202612"},
        Row{"BilanOfAMonthZero", {"--bilan", "--mois", "2026-00"}, badMonth("2026-00")},
        Row{"BilanOfTheFirstMonthRecorded", {"--bilan", "--mois", "1990-01"}, "bilan  199001"},
        Row{"BilanOfTheLastMonthRecorded", {"--bilan", "--mois", "2099-12"}, "bilan  209912"},
        Row{"BilanBeforeTheFirstYear", {"--bilan", "--mois", "1989-12"}, "2: mois « 1989-12 » hors des années que l'instrument peut avoir mesurées (1990 à 2099)"},
        Row{"BilanAfterTheLastYear", {"--bilan", "--mois", "2100-01"}, "2: mois « 2100-01 » hors des années que l'instrument peut avoir mesurées (1990 à 2099)"},
        Row{"BilanOfAThirteenthMonth", {"--bilan", "--mois", "2026-13"}, badMonth("2026-13")},
        Row{"BilanOfAOneDigitMonth", {"--bilan", "--mois", "2026-6"}, badMonth("2026-6")},
        Row{"BilanOfAMonthWithASlash", {"--bilan", "--mois", "2026/06"}, badMonth("2026/06")},
        Row{"BilanWithoutItsMonth", {"--bilan", "--mois"}, "2: l'option « --mois » attend un mois AAAA-MM"},
        Row{"MonthWithoutBilan", {"--mois", "2026-06"}, "2: « --mois » va avec « --bilan »"},
        Row{"BilanWithPort", {"--bilan", "--port", "/dev/parport1"}, "2: « --bilan » ne va pas avec « --port »"},
        Row{"BilanWithJournal", {"--bilan", "--journal"}, "2: « --bilan » ne va pas avec « --journal »"},
        Row{"BilanWithSimulate", {"--bilan", "--simulate"}, "2: « --bilan » ne va pas avec « --simulate »"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
