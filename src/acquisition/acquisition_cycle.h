#pragma once
// The acquisition cycle without its window: the run, its schedule, the port it holds, the
// counted readings and their way into the measurement file.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "acquisition/companion_file.h"
#include "acquisition/measurement_file.h"
#include "acquisition/tick_schedule.h"
#include "platform/clock.h"
#include "platform/parallel_port.h"

namespace acquisition {

/// A run lasts from a start to the next stop, port failure or quit, and holds the port all that
/// time: the port is opened (claimed) at the start and released when the run ends, whichever
/// way it ends. Each run has its own generation, so that a tick begun in one run never counts,
/// writes or shows anything once that run is over, even if a new run started meanwhile.
///
/// The window lets events run in the middle of a tick (after the converter read); a stop, a
/// start or another timer expiry can be handled there. A tick is therefore a token: while one
/// is out, a second tick only moves the schedule on and does nothing else.
class AcquisitionCycle {
public:
    using PortOpener = std::function<std::unique_ptr<ParallelPort>()>;

    /// Lines that could not be written are tried again at every tick of a run, and every
    /// kIdleRetry while no run ticks.
    static constexpr std::chrono::milliseconds kIdleRetry{5000};

    /// Throws std::invalid_argument when `openPort` is empty.
    AcquisitionCycle(PortOpener openPort, const Clock& clock, MeasurementFile& file);
    AcquisitionCycle(const AcquisitionCycle&) = delete;
    AcquisitionCycle& operator=(const AcquisitionCycle&) = delete;

    /// A run is going on (and holds the port).
    bool running() const { return m_port != nullptr; }

    /// Opens the port and begins a run whose first tick falls one `period` from now. When the
    /// port cannot be opened the std::system_error propagates and nothing has changed.
    /// Does nothing while a run is going on.
    void start(std::chrono::milliseconds period);
    /// Ends the run, if any, and releases the port. The count goes back to 1 and the next line
    /// written begins a new file.
    void stop();
    /// The program ends: the run, if any, ends as by a stop, and its companion says so.
    void quit();

    /// From now on the lines go to `file` and the events to `companion`. During a run the run
    /// ends as by a stop (its arret row, its file let go) and a new one begins at once in the
    /// new files on the same port and schedule: the tick under way counts and writes the new
    /// run's first reading (number 2).
    void writeTo(MeasurementFile& file, CompanionFile& companion);
    /// Each run's events (start, period and site changes, a new UTC offset, its end) go to
    /// `companion`, with the port as the user knows it and the program's version.
    void recordRunsIn(CompanionFile& companion, std::string port, std::string version);
    /// The observing site the runs are taken at; a change during a run is one of its events.
    void setSite(std::string name, double latitude, double longitudeEast);
    /// The new period applies at once: during a run the next tick falls one new period from now.
    void setPeriod(std::chrono::milliseconds period);
    /// The due tick was held back (the window asked the user something): it is due again, or the
    /// next one still ahead if its time has passed.
    void resume();
    /// Time from now until the due tick.
    std::chrono::milliseconds untilNextTick() const;
    std::chrono::milliseconds period() const { return m_schedule.period(); }

    class Tick {
    public:
        Tick(Tick&& other) noexcept;
        Tick& operator=(Tick&&) = delete;
        ~Tick();
        /// The run this tick began in is still going on.
        bool current() const;
        /// Counts the reading (the count goes up by one). False, with nothing counted, when the
        /// tick's run is over.
        bool count();
        /// Hands the reading to the measurement file: the count, the reading and the local time
        /// of day, the first line since a start-up or stop beginning a new file. Nothing when the
        /// tick's run is over.
        void writeLine();

    private:
        friend class AcquisitionCycle;
        Tick(AcquisitionCycle& cycle, std::uint64_t run) : m_cycle(&cycle), m_run(run) {}
        AcquisitionCycle* m_cycle;
        std::uint64_t m_run;
    };

    /// The timer fired. During a run the schedule moves on to the next tick; the tick is
    /// returned unless the cycle is idle or another tick is still out.
    std::optional<Tick> beginTick();

    /// One conversion through the run's port; the reading is kept. A port failure ends the run
    /// (the port is released) and propagates as std::system_error; so does a read with no run.
    std::uint16_t read();

    /// Writes the waiting lines again, if any. True when none is left.
    bool retryWaitingLines();
    /// Lines wait and no run ticks to retry them: the window retries every kIdleRetry.
    bool needsIdleRetry() const { return !running() && m_file->pendingLines() > 0; }

    /// The measurement number of the last reading counted (1 when none since the start).
    std::int64_t number() const { return m_number; }
    /// The last reading, millivolts.
    std::uint16_t reading() const { return m_reading; }
    /// The next line written begins a new file.
    bool firstLineStartsFile() const { return m_firstLine; }
    MeasurementFile& file() { return *m_file; }
    const MeasurementFile& file() const { return *m_file; }

private:
    void endRun(RunEvent::Kind how);
    void record(RunEvent::Kind kind);

    PortOpener m_openPort;
    const Clock& m_clock;
    MeasurementFile* m_file;
    std::unique_ptr<ParallelPort> m_port;
    TickSchedule m_schedule;
    std::uint64_t m_run = 0;  // changes whenever a run begins or ends
    bool m_tickOut = false;
    std::int64_t m_number = 1;
    std::uint16_t m_reading = 0;
    bool m_firstLine = true;
    CompanionFile* m_companion = nullptr;
    RunEvent m_about;  // what every event row repeats: site, period, port, version
    std::chrono::minutes m_offset{0};  // the UTC offset last recorded
};

}  // namespace acquisition
