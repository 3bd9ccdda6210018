// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The program as a user starts it from a terminal: what it prints and its exit status when it
// cannot or need not open its window.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
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

/// Runs the built program with `arguments`, in this process's environment less the variables
/// named in `unset` and with `set` ("NAME=value") added.
Outcome run(const std::vector<std::string>& arguments, const std::vector<std::string>& unset,
            const std::vector<std::string>& set = {}, const std::function<void(pid_t)>& whileRunning = {})
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        bool drop = false;
        for (const std::string& gone : unset)
            drop = drop || name == gone;
        for (const std::string& added : set)
            drop = drop || name == added.substr(0, added.find('='));
        if (!drop)
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

    std::vector<std::string> command{VELMORIXON_PROGRAM};
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
    if (whileRunning) whileRunning(child);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.standardOutput = TempDir::read(out);
    outcome.standardError = TempDir::read(err);
    return outcome;
}

const std::vector<std::string> kNoDisplay{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};

TEST(WithoutADisplay, TheProgramSaysSoInOneFrenchLineAndExitsWithStatusOne)
{
    const Outcome outcome = run({"--simulate"}, kNoDisplay);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.standardError,
              "velmorixon : aucun affichage pour ouvrir la fenêtre : DISPLAY n'est pas défini ; "
              "lancez le programme dans une session graphique.\n");
    EXPECT_EQ(outcome.standardOutput, "");
}

TEST(WithoutADisplay, AnUnusablePlatformIsNamedInFrenchWithStatusOne)
{
    const Outcome outcome = run({}, kNoDisplay, {"QT_QPA_PLATFORM=nonesuch"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.standardError,
              "velmorixon : impossible d'ouvrir la fenêtre avec la plateforme « nonesuch » (QT_QPA_PLATFORM).\n");
}

TEST(AWrongArgument, IsNamedAsTypedWithTheUsageAndStatusTwoBeforeAnyDisplayIsNeeded)
{
    const Outcome outcome = run({"--x"}, kNoDisplay);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.standardError.substr(0, outcome.standardError.find('\n')),
              "velmorixon : option inconnue « --x »");
    EXPECT_NE(outcome.standardError.find("Utilisation : velmorixon"), std::string::npos);
}

TEST(TheDayView, OpensTheFileGivenOnTheCommandLineByItsBytesNotTheirUtf8Reading)
{
    // The same day's file in a folder named in Latin-1 and in the one its UTF-8 reading names.
    TempDir dir;
    const std::filesystem::path given = dir.path() / "\xe9t\xe9", misread = dir.path() / "\uFFFDt\uFFFD";
    const int events = ::inotify_init1(IN_CLOEXEC);
    std::vector<int> watches;
    for (const auto& folder : {given, misread}) {
        std::filesystem::create_directory(folder);
        std::ofstream(folder / "data06-21-2026.val", std::ios::binary) << " 2, 100,10:00:00\r\n";
        watches.push_back(::inotify_add_watch(events, folder.c_str(), IN_OPEN));
    }
    int openedIn = -1;
    run({"--journal", (given / "data06-21-2026.val").string()}, {}, {"QT_QPA_PLATFORM=offscreen", "HOME=" + dir.path().string()},
        [&](pid_t child) {
            alignas(inotify_event) char buffer[4096];
            pollfd ready{events, POLLIN, 0};
            while (openedIn < 0 && ::poll(&ready, 1, 30'000) > 0) {
                const ssize_t got = ::read(events, buffer, sizeof buffer);
                for (ssize_t at = 0; at < got;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                    if (event->len > 0 && std::string(event->name) == "data06-21-2026.val") openedIn = event->wd;
                    at += ssize_t(sizeof(inotify_event) + event->len);
                }
            }
            ::kill(child, SIGTERM);
        });
    ::close(events);
    EXPECT_EQ(openedIn, watches[0]);
}

}  // namespace
