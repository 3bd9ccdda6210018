// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// velmorixon-journal --journal [FILE]: the day view « Journal des mesures », a program of its
// own so that the instrument never loads the chart library. `velmorixon --journal` and the
// main window's file label start it with the instrument's command line, bytes unchanged.
#include <QApplication>
#include <QDate>

#include <cstdio>
#include <memory>

#include "acquisition/measurement_file.h"
#include "platform/command_line.h"
#include "platform/home_folder.h"
#include "ui/display.h"
#include "ui/journal_window.h"

#ifndef VELMORIXON_VERSION
#define VELMORIXON_VERSION "0"
#endif

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv, argv + argc);
    const CommandLine options = parseCommandLine(arguments, QStringLiteral(VELMORIXON_VERSION));
    if (options.exit) return answer(*options.exit);
    if (!options.journal) {
        std::fputs("velmorixon-journal : ce programme est le journal des mesures de velmorixon ; "
                   "ouvrez-le par « velmorixon --journal [FICHIER] ».\n",
                   stderr);
        return 2;
    }

    // Without a display: a French line and exit status 1, not Qt's abort.
    const OpenedApplication application = openApplication(argc, argv, VELMORIXON_VERSION, "velmorixon-journal");

    JournalSetup setup;
    setup.today = localDayOf(QDate::currentDate());
    setup.file = options.journal->empty()
                     ? homeFolder() / "velmorixon" /
                           acquisition::dataFileName(std::chrono::year_month_day{setup.today})
                     : std::filesystem::path(*options.journal);
    JournalWindow journal(std::move(setup));
    journal.show();
    return QApplication::exec();
}
