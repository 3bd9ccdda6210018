// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The program as a user starts it from a terminal: what it prints and its exit status when it
// cannot or need not open its window.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

struct Outcome {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    std::string standardOutput, standardError;
};

/// The word in single quotes for the shell, whatever its bytes.
std::string quoted(const std::string& word)
{
    std::string out = "'";
    for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

/// Runs `program` (the built one unless said) with `arguments`, in this process's environment
/// less the variables named in `unset` and with `set` ("NAME=value") added.
Outcome run(const std::vector<std::string>& arguments, const std::vector<std::string>& unset,
            const std::vector<std::string>& set = {}, const std::string& program = VELMORIXON_PROGRAM)
{
    TempDir dir;
    std::string command = "env";
    for (const std::string& name : unset) command += " -u " + name;
    for (const std::string& word : set) command += " " + quoted(word);
    command += " " + quoted(program);
    for (const std::string& word : arguments) command += " " + quoted(word);
    command += " </dev/null >" + quoted((dir.path() / "out").string()) + " 2>" + quoted((dir.path() / "err").string());
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), TempDir::read(dir.path() / "out"),
            TempDir::read(dir.path() / "err")};
}

const std::vector<std::string> kNoDisplay{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};

struct Start {
    const char* name;
    std::vector<std::string> arguments, set;
    int status;
    std::string firstErrorLine;
};

class StartedFromATerminal : public ::testing::TestWithParam<Start> {};

TEST_P(StartedFromATerminal, SaysWhyItCannotOpenItsWindowInOneFrenchLineWithItsExitStatus)
{
    const Outcome outcome = run(GetParam().arguments, kNoDisplay, GetParam().set);
    EXPECT_EQ(outcome.status, GetParam().status);
    EXPECT_EQ(outcome.standardError.substr(0, outcome.standardError.find('\n') + 1), GetParam().firstErrorLine + "\n");
    EXPECT_EQ(outcome.standardError.find("Utilisation : velmorixon") != std::string::npos, GetParam().status == 2);
    EXPECT_EQ(outcome.standardOutput, "");
}

INSTANTIATE_TEST_SUITE_P(
    WithoutADisplay, StartedFromATerminal,
    ::testing::Values(
        Start{"NoDisplay", {"--simulate"}, {}, 1,
              "velmorixon : aucun affichage pour ouvrir la fenêtre : DISPLAY n'est pas défini ; lancez le programme dans une session graphique."},
        Start{"AnUnusablePlatform", {}, {"QT_QPA_PLATFORM=nonesuch"}, 1,
              "velmorixon : impossible d'ouvrir la fenêtre avec la plateforme « nonesuch » (QT_QPA_PLATFORM)."},
        Start{"AWrongArgumentBeforeAnyDisplayIsNeeded", {"--x"}, {}, 2, "velmorixon : option inconnue « --x »"}),
    [](const auto& info) { return std::string(info.param.name); });

/// A copy of the instrument in a folder of its own, beside a stand-in day view program that
/// prints the arguments it is given, each ended by a NUL byte.
struct InstrumentCopy {
    TempDir dir;
    std::filesystem::path instrument = dir.path() / "velmorixon";
    std::filesystem::path journal = dir.path() / "velmorixon-journal";
    InstrumentCopy()
    {
        std::filesystem::copy_file(VELMORIXON_PROGRAM, instrument);
        std::ofstream(journal) << "#!/bin/sh\nprintf '%s\\0' \"$0\" \"$@\"\n";
        std::filesystem::permissions(journal, std::filesystem::perms::owner_all);
    }
};

TEST(TheJournalOption, StartsTheDayViewProgramBesideTheInstrumentOnExactlyTheFileGiven)
{
    const InstrumentCopy copy;
    const std::string file = "/tmp/jour\xE9 \xFF.val";  // not UTF-8: bytes all the same
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--journal", file},
                                                      std::vector<std::string>{"--journal=" + file}}) {
        std::string given = copy.journal.string() + '\0';
        for (const std::string& argument : arguments) given += argument + '\0';
        const Outcome outcome = run(arguments, kNoDisplay, {}, copy.instrument);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.standardOutput, given);
    }
}

TEST(TheJournalOption, WithoutTheDayViewProgramSaysInFrenchWhereItLookedWithStatusOne)
{
    const InstrumentCopy copy;
    std::filesystem::remove(copy.journal);
    const Outcome outcome = run({"--journal"}, kNoDisplay, {}, copy.instrument);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.standardError, "velmorixon : le journal des mesures ne peut pas s'ouvrir : velmorixon-journal "
                                     "n'est ni dans " + copy.dir.path().string() + " ni dans " +
                                         copy.dir.path().string() + "/../lib/velmorixon ; réinstallez le programme.\n");
}

}  // namespace
