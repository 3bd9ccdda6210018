// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// The day view « Journal des mesures » is a program of its own, velmorixon-journal, so that the
// instrument loads neither the chart library nor the day view's code. Where to find it.
#include <filesystem>
#include <string>

/// The running program's own file (/proc/self/exe, bytes as they are); empty when unknown.
std::filesystem::path runningProgram();

/// The day view's executable for the program `self`: velmorixon-journal in the same folder
/// (a build tree), else in ../lib/velmorixon (installed: /usr/bin and /usr/lib/velmorixon).
/// Empty when neither is an executable file, or when `self` is empty.
std::filesystem::path journalProgram(const std::filesystem::path& self);

/// The French line, with its end of line, for a journal program that `journalProgram(self)`
/// did not find.
std::string journalProgramMissing(const std::filesystem::path& self);
