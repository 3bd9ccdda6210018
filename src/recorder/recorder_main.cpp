// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// velmorixon-enregistreur [--port DEVICE | --simulate] [--periode S] [--site SITE] [--dossier DIR]
// [--alarme COMMAND]
// The recorder without a window: Qt Core's event loop for its timer and the stop signals, no
// display and no GUI library; one French line per event on standard error, which journald keeps.
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <random>

#include "acquisition/simulated_sunlight.h"
#include "platform/clock.h"
#include "platform/detached_process.h"
#include "platform/home_folder.h"
#include "platform/posix_file_system.h"
#include "platform/ppdev_port.h"
#include "platform/stop_signals.h"
#include "platform/system_message.h"
#include "platform/time_zone.h"
#include "recorder/recorder_options.h"
#include "recorder/station.h"

#ifndef VELMORIXON_VERSION
#define VELMORIXON_VERSION "0"
#endif

namespace {

int refuse(const std::string& reason)
{
    std::fprintf(stderr, "velmorixon-enregistreur : %s\n", reason.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    StopSignals::block();  // before any thread: a stop waits for the event loop
    const RecorderOptions options =
        parseRecorderOptions(std::vector<std::string>(argv, argv + argc), QStringLiteral(VELMORIXON_VERSION));
    if (options.exit)
        return answer(*options.exit);
    QCoreApplication application(argc, argv);

    std::filesystem::path folder = options.folder;
    if (folder.empty() && homeFolder().empty())
        return refuse("aucun dossier personnel (HOME n'est pas défini) : donnez le dossier des mesures avec --dossier");
    if (folder.empty())
        folder = homeFolder() / "velmorixon";
    folder = std::filesystem::absolute(folder);
    // A folder that is there must take files; a missing one is made by the start.
    if (std::filesystem::exists(folder) && ::access(folder.c_str(), W_OK | X_OK) != 0)
        return refuse("le dossier des mesures " + folder.string() + " n'accepte pas de fichier : " + frenchReason(errno));

    SystemClock clock;
    PosixFileSystem files;
    recorder::StationSettings settings{folder, options.simulate ? "simulation" : options.device, options.site,
                                       std::chrono::seconds{options.periodSeconds}, VELMORIXON_VERSION};
    acquisition::AcquisitionCycle::PortOpener openPort = [device = options.device]() -> std::unique_ptr<ParallelPort> {
        return std::make_unique<PpdevPort>(device);
    };
    if (options.simulate)
        openPort = [&clock, offset = querySystemZone().utcOffset] {
            return acquisition::sunlitConverter(clock, offset, std::random_device{}());
        };
    recorder::Station station(settings, openPort, clock, files,
                              [](const std::string& line) { std::fputs((line + "\n").c_str(), stderr); });
    // Each alarm's line also goes to the user's command, in a process of its own: a command that
    // hangs never holds the recording.
    if (!options.alarmCommand.empty())
        station.onAlarm([command = options.alarmCommand](const std::string& line) {
            if (!startDetached({command, line}))
                std::fputs(("velmorixon-enregistreur : la commande d'alarme " + command + " ne peut pas être lancée.\n").c_str(), stderr);
        });
    try {
        station.start();
    } catch (const recorder::StartRefused& refused) {
        return refuse(refused.what());
    }

    QTimer ticks;
    ticks.setSingleShot(true);
    ticks.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        station.tick();
        ticks.start(station.untilNextTick());
    });
    ticks.start(station.untilNextTick());
    const StopSignals stop([&](const char* signal) {
        ticks.stop();
        QCoreApplication::exit(station.stop(signal) == 0 ? 0 : 1);
    });
    return QCoreApplication::exec();
}
