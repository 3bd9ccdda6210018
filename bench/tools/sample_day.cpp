// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// A simulated observing day written by the real main window, offscreen, on a fake clock, into
// FOLDER/velmorixon/: the day's measurement files and their run companions as an observer's
// day leaves them, for the day view and its pictures.
//
//   sample_day FOLDER
//
// 21 June 2026, Paris summer time. Run 1: 05:00 to 09:00 every 10 s at Chelles, stopped.
// Run 2: 09:30 to 18:00 every second, every 5 s from 13:00, another site from 15:00, stopped.
// Run 3: 18:30 to 22:30 every 2 s, stopped.
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <chrono>
#include <cstdio>

#include "acquisition/simulated_sunlight.h"
#include "platform/platform.h"
#include "platform/posix_file_system.h"
#include "support/fake_clock.h"
#include "ui/velmorixon.h"

using namespace std::chrono;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("Utilisation : sample_day DOSSIER\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationVersion("1.0.0");

    const local_days day = local_days{year{2026} / June / 21};
    const seconds utcOffset = hours{2};
    FakeClock clock(local_seconds{day + hours{4}});
    clock.setUtcOffset(duration_cast<minutes>(utcOffset));
    PosixFileSystem files;
    Platform platform;
    platform.portName = "simulateur";
    platform.simulated = true;
    platform.openPort = [&clock, utcOffset] {
        return acquisition::sunlitConverter(clock, utcOffset, 2026);
    };
    platform.clock = &clock;
    platform.queryZone = [utcOffset] { return ZoneInfo{ZoneState::Daylight, utcOffset}; };
    platform.dataRoot = argv[1];
    platform.files = &files;

    Velmorixon w(std::move(platform));
    w.show();
    w.OKfile->click();
    QCoreApplication::processEvents();

    long lines = 0;
    // Readings every `period` until the local clock shows `until`.
    auto runUntil = [&](seconds period, hours untilHour, minutes untilMinute = minutes{0}) {
        w.HScroll1->setValue(int(period.count()));
        while (clock.localNow() + period <= day + untilHour + untilMinute) {
            clock.advance(period);
            w.acquisitionTick();
            ++lines;
        }
    };
    auto startAt = [&](hours hour, minutes minute) {
        clock.setLocal(local_seconds{day + hour + minute});
        w.BtnMax187->click();
        QCoreApplication::processEvents();
    };

    startAt(hours{5}, minutes{0});
    runUntil(seconds{10}, hours{9});
    w.BtnStop->click();

    startAt(hours{9}, minutes{30});
    runUntil(seconds{1}, hours{13});
    runUntil(seconds{5}, hours{15});
    w.Lville->setCurrentRow(2);
    runUntil(seconds{5}, hours{18});
    w.BtnStop->click();

    startAt(hours{18}, minutes{30});
    runUntil(seconds{2}, hours{22}, minutes{30});
    w.BtnStop->click();
    QCoreApplication::processEvents();

    std::printf("sample_day: %ld readings in 3 runs, %s and its earlier runs\n", lines,
                w.FullFile.c_str());
    return 0;
}
