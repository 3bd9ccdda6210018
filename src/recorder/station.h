// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// The recorder's acquisition, without a window: one run from its start to a stop, going on in
// the new day's file at each local midnight, and each of its events told in one French line.
// Standard C++ only; velmorixon-enregistreur drives it from its event loop.
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "acquisition/acquisition_cycle.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "record/alarm_watch.h"
#include "record/day_sun.h"

namespace recorder {

struct StationSettings {
    std::filesystem::path folder;  ///< the data folder: dataMM-DD-YYYY.val and its companions
    std::string port;              ///< the device path, or "simulation"
    record::ObservingSite site;    ///< as the main window's list gives it
    std::chrono::seconds period{1};
    std::string version;
};

/// A start the recorder refuses; what() is the French reason.
struct StartRefused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// The files and companions are the main window's, written through the same cycle, so their
/// bytes are the same for the same readings. The reading whose local time is 00:00:00 is the
/// new day's first: the run ends there in the day's file (its arret row) and a new one begins
/// in the new day's (its debut row, number 2), same port, period, site and schedule. A port
/// that fails ends the run; it is opened again every kPortRetry, each opening a new run.
class Station {
public:
    using Log = std::function<void(const std::string& line)>;
    static constexpr std::chrono::seconds kPortRetry{5};

    Station(StationSettings settings, acquisition::AcquisitionCycle::PortOpener openPort, const Clock& clock,
            FileSystem& files, Log log);
    ~Station();

    /// Opens the port, makes the data folder when missing, makes sure no other program writes
    /// today's file and begins the run; its first reading falls one period later. Throws
    /// StartRefused, with nothing begun and the port let go, when the port, the folder or the
    /// file refuses.
    void start();
    /// The due tick: one reading, written to its day's file. Also the port's next try.
    void tick();
    /// From now to the due tick, or to the port's next try.
    std::chrono::milliseconds untilNextTick() const;
    /// Each alarm begun or ended is told in the log and also given to `alarm` (the user's
    /// command), when set.
    void onAlarm(Log alarm) { m_alarm = std::move(alarm); }
    /// Ends the run (its arret row), the stop told with `why`, and writes what waits once
    /// more. Gives the number of lines that could still not be written: they are lost.
    std::size_t stop(const std::string& why);

private:
    struct Day;

    std::filesystem::path dayFile(std::chrono::local_days date) const;
    /// The run goes on in `date`'s file; the day left keeps its lines while they wait.
    void moveTo(std::chrono::local_days date);
    /// One conversion; a failure ends the run. The port's loss is told at its first failure,
    /// its return at the first reading after it: a port that opens but does not read is told
    /// once, not at every try.
    bool readConverter();
    void reopenPort();
    void tellFiles();
    /// The lines of every day's file still waiting to be written.
    std::size_t waitingLines() const;
    void tellAlarms(const std::vector<record::AlarmChange>& changes);

    StationSettings m_settings;
    const Clock& m_clock;
    FileSystem& m_files;
    Log m_log;
    std::unique_ptr<Day> m_day;
    std::vector<std::unique_ptr<Day>> m_earlierDays;  // their lines still wait
    std::unique_ptr<acquisition::AcquisitionCycle> m_cycle;
    std::chrono::steady_clock::time_point m_portRetry{};
    bool m_portLost = false;
    std::string m_fileTrouble;       // the file's failure last told, "" when none
    std::string m_companionTrouble;  // the companion's
    record::AlarmWatch m_alarms;
    Log m_alarm;
};

}  // namespace recorder
