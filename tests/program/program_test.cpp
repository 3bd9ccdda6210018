// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The program as a user starts it from a terminal: what it prints and its exit status when it
// cannot or need not open its window.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace {

struct Outcome {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    std::string standardOutput;
    std::string standardError;
};

/// Runs `program` (the built one unless said) with `arguments`, in this process's environment
/// less the variables named in `unset` and with `set` ("NAME=value") added.
Outcome run(const std::vector<std::string>& arguments, const std::vector<std::string>& unset,
            const std::vector<std::string>& set = {}, const std::string& program = VELMORIXON_PROGRAM)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        const auto named = [&](const std::string& v) { return v.substr(0, v.find('=')) == name; };
        if (std::none_of(unset.begin(), unset.end(), named) && std::none_of(set.begin(), set.end(), named))
            environment.push_back(variable);
    }
    environment.insert(environment.end(), set.begin(), set.end());

    TempDir dir;
    const std::string out = (dir.path() / "stdout").string();
    const std::string err = (dir.path() / "stderr").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    std::vector<std::string> command{program};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : command)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    Outcome outcome;
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << argv[0] << ": " << std::strerror(spawned);
        return outcome;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.standardOutput = TempDir::read(out);
    outcome.standardError = TempDir::read(err);
    return outcome;
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
