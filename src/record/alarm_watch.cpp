// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "record/alarm_watch.h"

#include "acquisition/text_forms.h"

namespace record {

namespace {

using namespace std::chrono;

std::string clock(local_seconds at) { return acquisition::clockTime(acquisition::timeOfDay(at)); }

local_seconds local(sys_seconds instant, minutes offset) { return local_seconds{instant.time_since_epoch() + offset}; }

}  // namespace

void AlarmWatch::set(std::vector<AlarmChange>& changes, AlarmKind kind, local_seconds at, local_seconds since,
                     const std::string& what)
{
    std::optional<Raised>& raised = m_raised[int(kind)];
    if (!what.empty() && !raised) {
        raised = Raised{since, what};
        changes.push_back({kind, true, "Alarme : " + what + " depuis " + clock(since) + "."});
    } else if (what.empty() && raised) {
        changes.push_back({kind, false, "Fin d'alarme : " + raised->what + " de " + clock(raised->since) + " à " + clock(at) + "."});
        raised.reset();
    }
}

std::vector<AlarmChange> AlarmWatch::reading(sys_seconds instant, minutes utcOffset, int millivolts,
                                             const ObservingSite& site)
{
    std::vector<AlarmChange> changes;
    const local_seconds at = local(instant, utcOffset);
    set(changes, AlarmKind::PortLost, at, at, {});
    // Saturated: the full scale for a minute or more.
    if (millivolts < kFullScale) m_saturatedSince.reset();
    else if (!m_saturatedSince) m_saturatedSince = at;
    const bool saturated = m_saturatedSince && at - *m_saturatedSince >= minutes{1};
    set(changes, AlarmKind::Saturated, at, m_saturatedSince.value_or(at),
        saturated ? "capteur saturé (" + std::to_string(kFullScale) + " mV)" : "");
    m_stuck.add(instant, millivolts, sunAltitude(site, instant, utcOffset));
    set(changes, AlarmKind::Stuck, at, local(m_stuck.since(), utcOffset),
        m_stuck.stuck() ? "mesure figée (" + std::to_string(millivolts) + " mV) alors que le soleil bouge" : "");
    return changes;
}

std::vector<AlarmChange> AlarmWatch::portFailed(sys_seconds instant, minutes utcOffset, const std::string& reason)
{
    std::vector<AlarmChange> changes;
    const local_seconds at = local(instant, utcOffset);
    set(changes, AlarmKind::PortLost, at, at, "port perdu (" + reason + ")");
    return changes;
}

std::vector<AlarmChange> AlarmWatch::linesWaiting(sys_seconds instant, minutes utcOffset, std::size_t waiting,
                                                  const std::string& reason)
{
    std::vector<AlarmChange> changes;
    const local_seconds at = local(instant, utcOffset);
    set(changes, AlarmKind::LinesWaiting, at, at, waiting > 0 ? "lignes en attente d'écriture (" + reason + ")" : "");
    return changes;
}

std::vector<AlarmChange> AlarmWatch::runEnded(sys_seconds instant, minutes utcOffset)
{
    std::vector<AlarmChange> changes;
    const local_seconds at = local(instant, utcOffset);
    for (const AlarmKind kind : {AlarmKind::Saturated, AlarmKind::Stuck, AlarmKind::PortLost, AlarmKind::LinesWaiting})
        set(changes, kind, at, at, {});
    *this = AlarmWatch{};
    return changes;
}

}  // namespace record
