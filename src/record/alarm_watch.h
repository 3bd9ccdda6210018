// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// Alarms while recording: the sensor saturated, a reading stuck while the sun moves, the port
// lost, lines waiting because the disk refuses them. Each is said once when it begins and once
// when it ends, never at every tick; both the main window and the recorder feed one watch per
// run with what each tick gave.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "record/day_sun.h"
#include "record/sunlight_models.h"

namespace record {

enum class AlarmKind { Saturated, Stuck, PortLost, LinesWaiting };

/// An alarm beginning or ending, with its one French line:
/// « Alarme : capteur saturé (4095 mV) depuis 14:03:27. »,
/// « Fin d'alarme : capteur saturé (4095 mV) de 14:03:27 à 14:05:12. »
struct AlarmChange {
    AlarmKind kind = AlarmKind::Saturated;
    bool begins = true;
    std::string text;
};

class AlarmWatch {
public:
    /// A reading taken at `instant` (local clock = instant + utcOffset) at `site`.
    std::vector<AlarmChange> reading(std::chrono::sys_seconds instant, std::chrono::minutes utcOffset,
                                     int millivolts, const ObservingSite& site);
    /// The converter could not be read: `reason` in French.
    std::vector<AlarmChange> portFailed(std::chrono::sys_seconds instant, std::chrono::minutes utcOffset,
                                        const std::string& reason);
    /// After each write of the measurement file: how many lines wait (0: all written), and why.
    std::vector<AlarmChange> linesWaiting(std::chrono::sys_seconds instant, std::chrono::minutes utcOffset,
                                          std::size_t waiting, const std::string& reason);
    /// The run ends: every alarm in force ends with it.
    std::vector<AlarmChange> runEnded(std::chrono::sys_seconds instant, std::chrono::minutes utcOffset);

private:
    struct Raised {
        std::chrono::local_seconds since{};
        std::string what;  ///< « capteur saturé (4095 mV) »
    };
    /// Begins `kind` with `what` at `since` unless it is in force; ends it when `what` is empty.
    void set(std::vector<AlarmChange>& changes, AlarmKind kind, std::chrono::local_seconds at,
             std::chrono::local_seconds since, const std::string& what);

    std::optional<Raised> m_raised[4];
    std::optional<std::chrono::local_seconds> m_saturatedSince;
    StuckStretch m_stuck;
};

}  // namespace record
