// How well the acquisition ticks keep time on real timers: 30 ticks at a 1 s period through the
// main window (offscreen, system clock, simulated converter, file switch on). Each reading is
// stamped when the converter is selected; the report gives how far the ticks fell from
// start + k seconds, and where the 30th fell.
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/clock.h"
#include "platform/posix_file_system.h"
#include "acquisition/simulated_max187.h"
#include "platform/time_zone.h"
#include "support/temp_dir.h"
#include "ui/velmorixon.h"

int main(int argc, char** argv)
{
    using namespace std::chrono;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kTicks = 30;

    TempDir dir;
    SystemClock clock;
    PosixFileSystem files;
    std::vector<steady_clock::time_point> readings;
    Platform platform;
    platform.simulated = true;
    platform.clock = &clock;
    platform.queryZone = querySystemZone;
    platform.dataRoot = dir.path();
    platform.files = &files;
    platform.openPort = [&readings]() -> std::unique_ptr<ParallelPort> {
        auto port = std::make_unique<acquisition::SimulatedMax187>();
        port->setSource([&readings] {
            readings.push_back(steady_clock::now());
            if (readings.size() == kTicks)
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            return std::uint16_t{2048};
        });
        return port;
    };

    Velmorixon window(std::move(platform));
    window.OKfile->click();
    const auto start = steady_clock::now();
    window.BtnMax187->click();
    app.exec();
    window.BtnStop->click();

    double worst = 0;
    for (std::size_t k = 0; k < readings.size(); ++k) {
        const auto late = duration<double, std::milli>(readings[k] - (start + seconds{k + 1}));
        worst = std::max(worst, std::abs(late.count()));
    }
    const auto drift = duration<double, std::milli>(readings.back() - (start + seconds{kTicks}));
    std::printf("ticks: %zu at 1 s\nlargest deviation from schedule: %.2f ms\n"
                "drift after %d ticks: %.2f ms\n",
                readings.size(), worst, kTicks, drift.count());
    return 0;
}
