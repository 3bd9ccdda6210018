// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "platform/journal_program.h"

#include <unistd.h>

#include <array>
#include <system_error>

namespace {

constexpr const char* kName = "velmorixon-journal";
// From the instrument's folder to the day view's, installed (cmake/journal_view.cmake).
constexpr const char* kInstalled = "../lib/velmorixon";

}  // namespace

std::filesystem::path runningProgram()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self;
}

std::filesystem::path journalProgram(const std::filesystem::path& self)
{
    if (self.empty()) return {};
    const std::filesystem::path folder = self.parent_path();
    for (const std::filesystem::path& candidate : std::array{folder / kName, folder / kInstalled / kName}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

std::string journalProgramMissing(const std::filesystem::path& self)
{
    const std::filesystem::path folder = self.parent_path();
    return "velmorixon : le journal des mesures ne peut pas s'ouvrir : " + std::string(kName) +
           " n'est ni dans " + folder.string() + " ni dans " + (folder / kInstalled).string() +
           " ; réinstallez le programme.\n";
}
