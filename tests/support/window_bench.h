#pragma once
// A main window on a bench: a fake clock, the simulated converter behind the port, a file system
// that fails on request over a fresh folder, a day view that is only noted. quit() asks its
// question here, not in a dialog.
// Tests that use it link velmorixon_ui.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "acquisition/simulated_max187.h"
#include "support/fake_clock.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"
#include "ui/velmorixon.h"

// The window's controls, whole, for the tests that drive them.
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

/// What a label shows, for comparisons that print it.
inline std::string text(const QLabel* label) { return label->text().toStdString(); }
/// The text of the window's message box of that name while it is shown; "" otherwise.
inline std::string shownMessage(const QWidget& w, const char* name)
{
    auto* box = w.findChild<QMessageBox*>(QString::fromLatin1(name));
    return box != nullptr && box->isVisible() ? box->text().toStdString() : std::string();
}

class BenchWindow final : public Velmorixon {
public:
    using Velmorixon::Velmorixon;
    std::optional<std::size_t> asked;  // the count quit() asked about, if it asked
    bool askInADialog = false;         // true: the window's own question box asks instead; false: « Non »

protected:
    bool confirmDiscard(std::size_t waiting) override
    {
        asked = waiting;
        return askInADialog && Velmorixon::confirmDiscard(waiting);
    }
};

// 5 December 2026, 14:03:27: the day's file is data12-05-2026.val.
struct WindowBench {
    static constexpr std::chrono::local_seconds kStart =
        std::chrono::local_days{std::chrono::year{2026} / 12 / 5} + std::chrono::hours{14} + std::chrono::minutes{3} + std::chrono::seconds{27};

    /// `home`: the home folder's place inside the bench's folder; empty: the folder itself.
    /// `zone`: what the time-zone question answers.
    explicit WindowBench(bool simulated = false, std::chrono::local_seconds start = kStart, const std::filesystem::path& home = {},
                         ZoneInfo zone = {ZoneState::Standard, std::chrono::hours{1}})
        : clock(start)
    {
        Platform services = platform([zone] { return zone; });
        services.simulated = simulated;
        if (!home.empty()) services.dataRoot = dir.path() / home;
        window = std::make_unique<BenchWindow>(std::move(services));
    }

    /// The bench's services, with `zone` answering the time-zone question.
    Platform platform(std::function<ZoneInfo()> zone)
    {
        Platform services;
        services.openPort = [this]() -> std::unique_ptr<ParallelPort> {
            if (openErrno != 0) throw std::system_error(openErrno, std::generic_category(), "PPCLAIM /dev/parport0");
            auto port = std::make_unique<acquisition::SimulatedMax187>();
            port->setCounts(counts);
            sim = port.get();
            return port;
        };
        services.clock = &clock;
        services.queryZone = std::move(zone);
        services.dataRoot = dir.path();
        services.files = &files;
        services.openJournal = [this](const std::string& file) { return opened.push_back(file), journalStarts; };
        services.notify = [this](const std::string& line) { notices.push_back(line); };
        return services;
    }

    /// One period of the fake clock, then the tick its timer would run.
    void tick(std::chrono::milliseconds period = std::chrono::seconds{1})
    {
        clock.advance(period);
        window->acquisitionTick();
    }

    std::filesystem::path dataFile() const { return dir.path() / "velmorixon" / "data12-05-2026.val"; }
    std::string fileText() const { return TempDir::read(dataFile()); }

    FakeClock clock;
    TempDir dir;
    FaultFileSystem files;
    int openErrno = 0;                            // the next openPort fails with it when not 0
    std::uint16_t counts = 2048;                  // what a newly opened converter reads
    acquisition::SimulatedMax187* sim = nullptr;  // the port of the latest run (gone after a stop)
    std::vector<std::string> opened;              // the files the day view was started on, in order
    std::vector<std::string> notices;             // the alarms said on the desktop, in order
    bool journalStarts = true;                    // whether the day view starts when asked
    std::unique_ptr<BenchWindow> window;
};
