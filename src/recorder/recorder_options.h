// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// The recorder's command line: velmorixon-enregistreur [--port PÉRIPHÉRIQUE | --simulate]
// [--periode SECONDES] [--site SITE] [--dossier DOSSIER] [--alarme COMMANDE] [--help] [--version].
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "platform/command_line.h"
#include "record/day_sun.h"

struct RecorderOptions {
    std::string device = "/dev/parport0";  ///< the first parallel port unless --port says otherwise
    bool simulate = false;                 ///< the built-in converter model instead of a port
    int periodSeconds = 1;                 ///< 1 to 60, as the main window's scroll bar
    record::ObservingSite site;            ///< Chelles, the main window's at start-up, by default
    std::filesystem::path folder;          ///< the data folder; empty for ~/velmorixon
    std::string alarmCommand;              ///< run with each alarm's line as its argument; empty: none
    std::optional<CommandLineExit> exit;   ///< help, version, or a usage error (status 2)
};

/// `arguments` as main() receives them, program name first; the device and the folder keep
/// their bytes. A site is given by its name (case and blanks ignored) or its number in the
/// main window's list, 1 to 12. Messages are in French; a bad argument gives its reason and
/// the usage on standard error and exit status 2. Never exits by itself.
RecorderOptions parseRecorderOptions(const std::vector<std::string>& arguments, const QString& version);
