// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "platform/failure_reason.h"

#include "platform/folder_file.h"
#include "platform/system_message.h"

namespace {

/// The program a process runs, as its command line names it (« velmorixon-enregistreur »);
/// empty when it cannot be told.
std::string programOf(long process)
{
    std::string command;
    readRegularFile("/proc/" + std::to_string(process) + "/cmdline", 4096, command);
    return std::filesystem::path(command.substr(0, command.find('\0'))).filename().string();
}

}  // namespace

std::string failureReason(const acquisition::WriteFailure& failure)
{
    if (!failure.otherWriter)
        return frenchReason(failure.code);
    if (*failure.otherWriter == 0)
        return "un autre programme l'écrit déjà";
    const std::string process = "processus " + std::to_string(*failure.otherWriter);
    const std::string program = programOf(*failure.otherWriter);
    return program.empty() ? "un autre programme l'écrit déjà (" + process + ")" : "écrit par " + program + ", " + process;
}

std::string writeImpossible(const acquisition::WriteFailure& failure)
{
    // A lock refused for another reason than another writer: the lock is what failed.
    return (failure.lock ? "Verrou d'écriture de " + failure.path.string() + " impossible à prendre : "
                         : "Écriture impossible dans " + failure.path.string() + " : ") +
           failureReason(failure) + ".";
}

std::string companionWaits(const acquisition::WriteFailure& failure)
{
    return writeImpossible(failure) + " Le journal de la série attend ; les mesures, elles, sont enregistrées.";
}
