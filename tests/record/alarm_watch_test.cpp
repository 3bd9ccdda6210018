// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// Alarms while recording, each said once when it begins and once when it ends.
#include <gtest/gtest.h>

#include "record/alarm_watch.h"

using namespace std::chrono;
using namespace record;

namespace {

const ObservingSite kAlarmSite = *siteNamed("Chelles");
// 21 June 2026 at Chelles, summer time: local = UTC + 2 h.
sys_seconds chellesAt(seconds local) { return sys_days{2026y / June / 21} + local - 2h; }

/// Every line said while `mv(t)` is read each `step` from `from` to `to` (local), then the run ends.
std::vector<std::string> said(seconds from, seconds to, seconds step, int (*mv)(seconds))
{
    AlarmWatch watch;
    std::vector<std::string> lines;
    const auto keep = [&](const std::vector<AlarmChange>& changes) { for (const auto& c : changes) lines.push_back(c.text); };
    for (seconds t = from; t <= to; t += step) keep(watch.reading(chellesAt(t), 2h, mv(t), kAlarmSite));
    keep(watch.runEnded(chellesAt(to + step), 2h));
    return lines;
}

TEST(Alarms, ASensorAtFullScaleForAMinuteIsSaidOnceWhenItBeginsAndOnceWhenItEnds)
{
    EXPECT_EQ(said(12h, 12h + 2min, 1s, [](seconds t) { return t >= 12h + 10s && t <= 12h + 70s ? 4095 : 1000; }),
              (std::vector<std::string>{"Alarme : capteur saturé (4095 mV) depuis 12:00:10.", "Fin d'alarme : capteur saturé (4095 mV) de 12:00:10 à 12:01:11."}));
    EXPECT_TRUE(said(12h, 12h + 2min, 1s, [](seconds t) { return t >= 12h + 10s && t < 12h + 70s ? 4095 : 1000; }).empty()) << "59 s only";
    EXPECT_EQ(said(12h, 12h + 2min, 1s, [](seconds) { return 4095; }).back(), "Fin d'alarme : capteur saturé (4095 mV) de 12:00:00 à 12:02:01.") << "ended with the run";
}

// The morning sun climbs about 11° an hour at Chelles: a reading that stays for twenty minutes
// from 09:00 is stuck; the same twenty minutes around solar noon (13:50) move the sun less than 2°.
TEST(Alarms, AReadingStuckWhileTheSunMovesIsSaidOnceAndNotAroundNoon)
{
    const std::vector<std::string> morning = said(9h, 9h + 22min, 1min, [](seconds t) { return t <= 9h + 20min ? 500 : 501; });
    ASSERT_EQ(morning.size(), 2u);
    EXPECT_EQ(morning[0], "Alarme : mesure figée (500 mV) alors que le soleil bouge depuis 09:00:00.");
    EXPECT_EQ(morning[1], "Fin d'alarme : mesure figée (500 mV) alors que le soleil bouge de 09:00:00 à 09:21:00.");
    EXPECT_TRUE(said(13h + 40min, 14h, 1min, [](seconds) { return 500; }).empty());
}

TEST(Alarms, APortLostAndLinesWaitingAreSaidOnceEachUntilTheyEnd)
{
    AlarmWatch watch;
    std::vector<std::string> lines;
    const auto keep = [&](const std::vector<AlarmChange>& changes) { for (const auto& c : changes) lines.push_back(c.text); };
    keep(watch.portFailed(chellesAt(10h), 2h, "Erreur d'entrée/sortie"));
    keep(watch.portFailed(chellesAt(10h + 1s), 2h, "Erreur d'entrée/sortie"));
    keep(watch.linesWaiting(chellesAt(10h + 2s), 2h, 1, "Aucun espace disponible sur le périphérique"));
    keep(watch.linesWaiting(chellesAt(10h + 3s), 2h, 2, "Aucun espace disponible sur le périphérique"));
    keep(watch.reading(chellesAt(10h + 4s), 2h, 1000, kAlarmSite));
    keep(watch.linesWaiting(chellesAt(10h + 4s), 2h, 0, ""));
    EXPECT_EQ(lines, (std::vector<std::string>{"Alarme : port perdu (Erreur d'entrée/sortie) depuis 10:00:00.",
                                               "Alarme : lignes en attente d'écriture (Aucun espace disponible sur le périphérique) depuis 10:00:02.",
                                               "Fin d'alarme : port perdu (Erreur d'entrée/sortie) de 10:00:00 à 10:00:04.",
                                               "Fin d'alarme : lignes en attente d'écriture (Aucun espace disponible sur le périphérique) de 10:00:02 à 10:00:04."}));
}

}  // namespace
