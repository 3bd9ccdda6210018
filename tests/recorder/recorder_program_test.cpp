// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// velmorixon-enregistreur as its service starts it, without a display, on the emulated port
// preloaded behind the C library (emu_ppdev.cmake): the starts it refuses, the lines and rows it
// writes, its log and its end at SIGTERM.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "emu_port.h"
#include "support/temp_dir.h"

namespace {

/// Starts the recorder without a display, the emulated port preloaded, its standard error
/// going to `log` (the shell gives its process id to the program, through exec).
pid_t startRecorder(std::vector<std::string> words, const std::filesystem::path& log)
{
    const std::string first = EMU_PRELOAD_FIRST;
    words.insert(words.begin(), {"sh", "-c", "exec env -u DISPLAY -u WAYLAND_DISPLAY \"$@\" 2>\"$0\"", log,
                                 "LD_PRELOAD=" + (first.empty() ? "" : first + " ") + EMU_SHIM, VELMORIXON_RECORDER});
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t program = 0;
    EXPECT_EQ(::posix_spawnp(&program, "sh", nullptr, nullptr, argv.data(), environ), 0);
    return program;
}

int exitStatus(pid_t program)
{
    int status = -1;
    ::waitpid(program, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(TheRecorderWithoutADisplay, WritesTheReadingsKeepsTheDaysFileToItselfAndEndsItsRunAtSigtermWithStatusZero)
{
    TempDir dir;
    emu::EmulatedPort port(dir.path() / "port.state", "/dev/parport-emu0");
    port.exportEnvironment();
    const std::string folder = dir.path() / "velmorixon", log = dir.path() / "log";
    const pid_t recorder = startRecorder({"--port", "/dev/parport-emu0", "--site", "12", "--dossier", folder}, log);
    ASSERT_TRUE(port.waitForReads(3));
    std::filesystem::path file;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".val") file = entry.path();
    // A second recorder of the same day's file is refused and named its writer.
    EXPECT_EQ(exitStatus(startRecorder({"--simulate", "--dossier", folder}, dir.path() / "second")), 1);
    EXPECT_EQ(TempDir::read(dir.path() / "second"), "velmorixon-enregistreur : écriture impossible dans " + file.string() +
                                                        " : écrit par velmorixon-enregistreur, processus " + std::to_string(recorder) + "\n");
    ::kill(recorder, SIGTERM);
    EXPECT_EQ(exitStatus(recorder), 0);

    // Lines of the port's 2048 mV, numbered from 2; the run's rows, its arret row numbered after them.
    const std::string lines = TempDir::read(file), rows = TempDir::read(file.replace_extension(".run"));
    EXPECT_TRUE(std::regex_match(lines, std::regex("( \\d+, 2048,\\d\\d:\\d\\d:\\d\\d\r\n)+"))) << lines;
    const std::string end = std::to_string(std::count(lines.begin(), lines.end(), '\n') + 2);
    EXPECT_TRUE(std::regex_match(rows, std::regex("instant;.*\r\n.{25};debut;2;Nîmes;43.5000;4.2100;1;/dev/parport-emu0;.*\r\n"
                                                  ".{25};arret;" + end + ";Nîmes;43.5000;4.2100;1;/dev/parport-emu0;.*\r\n"))) << rows;
    EXPECT_EQ(TempDir::read(log), "Enregistrement commencé : port /dev/parport-emu0, période 1 s, site Nîmes, fichier " +
                                      file.replace_extension(".val").string() + ".\nEnregistrement arrêté par SIGTERM.\n");
    EXPECT_EQ(emu::portSteps(port.events()), (std::vector<std::string>{"open", "PPEXCL", "PPCLAIM", "PPRELEASE", "close"}));
}

}  // namespace
