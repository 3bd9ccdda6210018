#pragma once
// Everything the main window needs from the system, in one place: main.cpp builds the real
// services, tests build fakes.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/parallel_port.h"
#include "platform/time_zone.h"

struct Platform {
    /// The converter's port as the user knows it ("/dev/parport0"), for messages.
    std::string portName = "/dev/parport0";
    /// Opens and claims the port when an acquisition starts; throws std::system_error.
    /// The port is released when the returned object is destroyed.
    std::function<std::unique_ptr<ParallelPort>()> openPort;
    /// True when the converter is the built-in simulator: the caption says so.
    bool simulated = false;
    Clock* clock = nullptr;
    std::function<ZoneInfo()> queryZone;
    /// FileUnit: the measurement files go to <dataRoot>/velmorixon/.
    std::filesystem::path dataRoot;
    FileSystem* files = nullptr;
    /// Starts the day view on a measurement file in a process of its own; true when it started.
    /// Optional: without it a double-click on the file label does nothing.
    std::function<bool(const std::string& file)> openJournal;
    /// Says an alarm's line on the desktop while recording (a notification). Optional: without
    /// it alarms are not said.
    std::function<void(const std::string& line)> notify;
};

/// Throws std::invalid_argument naming the first service that is empty or null: the window
/// fails where it is built, not later inside a click.
void requireComplete(const Platform& platform);
