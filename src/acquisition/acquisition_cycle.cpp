#include "acquisition/acquisition_cycle.h"

#include <stdexcept>
#include <system_error>
#include <utility>

#include "acquisition/max187.h"
#include "acquisition/text_forms.h"

namespace acquisition {

AcquisitionCycle::AcquisitionCycle(PortOpener openPort, const Clock& clock, MeasurementFile& file)
    : m_openPort(std::move(openPort)), m_clock(clock), m_file(&file)
{
    if (!m_openPort)
        throw std::invalid_argument("AcquisitionCycle: no way to open the converter's port");
}

void AcquisitionCycle::start(std::chrono::milliseconds period)
{
    if (running())
        return;
    auto port = m_openPort();  // throws before anything changes
    if (!port)
        throw std::invalid_argument("AcquisitionCycle: the port opener gave no port");
    m_port = std::move(port);
    ++m_run;
    m_schedule.start(m_clock.steadyNow(), period);
    if (m_companion)
        m_companion->beginRun();
    record(RunEvent::Kind::Start);
}

void AcquisitionCycle::endRun(RunEvent::Kind how)
{
    if (running())
        record(how);
    ++m_run;
    m_port.reset();  // releases the port
    m_file->runEnded();
}

void AcquisitionCycle::stop()
{
    endRun(RunEvent::Kind::Stop);
    m_number = 1;
    m_firstLine = true;
}

void AcquisitionCycle::quit()
{
    endRun(RunEvent::Kind::Quit);
}

void AcquisitionCycle::setPeriod(std::chrono::milliseconds period)
{
    // Idle, the period waits for the next start; running, a new grid begins now.
    m_schedule.start(m_clock.steadyNow(), period);
    if (running())
        record(RunEvent::Kind::Period);
}

void AcquisitionCycle::writeTo(MeasurementFile& file, CompanionFile& companion)
{
    const bool going = running();
    if (going)
        record(RunEvent::Kind::Stop);
    m_file->runEnded();
    m_file = &file;
    m_companion = &companion;
    m_number = 1;
    m_firstLine = true;
    if (going) {
        m_companion->beginRun();
        record(RunEvent::Kind::Start);
    }
}

void AcquisitionCycle::recordRunsIn(CompanionFile& companion, std::string port, std::string version)
{
    m_companion = &companion;
    m_about.port = std::move(port);
    m_about.version = std::move(version);
}

void AcquisitionCycle::setSite(std::string name, double latitude, double longitudeEast)
{
    m_about.site = std::move(name);
    m_about.latitude = latitude;
    m_about.longitudeEast = longitudeEast;
    if (running())
        record(RunEvent::Kind::Site);
}

void AcquisitionCycle::record(RunEvent::Kind kind)
{
    if (!m_companion)
        return;
    RunEvent event = m_about;
    event.kind = kind;
    event.local = std::chrono::floor<std::chrono::seconds>(m_clock.localNow());
    event.utcOffset = m_offset = m_clock.utcOffset();
    event.nextNumber = m_number + 1;
    event.periodSeconds = static_cast<int>(
        std::chrono::duration_cast<std::chrono::seconds>(m_schedule.period()).count());
    m_companion->record(event);
}

void AcquisitionCycle::resume()
{
    m_schedule.resume(m_clock.steadyNow());
}

std::chrono::milliseconds AcquisitionCycle::untilNextTick() const
{
    return m_schedule.waitFrom(m_clock.steadyNow());
}

std::optional<AcquisitionCycle::Tick> AcquisitionCycle::beginTick()
{
    if (!running())
        return std::nullopt;
    m_schedule.advance(m_clock.steadyNow());
    if (m_companion && m_clock.utcOffset() != m_offset)
        record(RunEvent::Kind::Zone);  // summer time began or ended during the run
    if (m_tickOut)
        return std::nullopt;  // skipped, not stacked
    m_tickOut = true;
    return Tick(*this, m_run);
}

std::uint16_t AcquisitionCycle::read()
{
    if (!m_port)
        throw std::system_error(std::make_error_code(std::errc::no_such_device),
                                "no acquisition running");
    try {
        m_reading = readConversion(*m_port);
    } catch (const std::system_error&) {
        endRun(RunEvent::Kind::Stop);
        throw;
    }
    return m_reading;
}

bool AcquisitionCycle::retryWaitingLines()
{
    return m_file->pendingLines() == 0 || m_file->retry();
}

AcquisitionCycle::Tick::Tick(Tick&& other) noexcept
    : m_cycle(std::exchange(other.m_cycle, nullptr)), m_run(other.m_run)
{
}

AcquisitionCycle::Tick::~Tick()
{
    if (m_cycle)
        m_cycle->m_tickOut = false;
}

bool AcquisitionCycle::Tick::current() const
{
    return m_cycle && m_cycle->m_run == m_run;
}

bool AcquisitionCycle::Tick::count()
{
    if (!current())
        return false;
    ++m_cycle->m_number;
    return true;
}

void AcquisitionCycle::Tick::writeLine()
{
    if (!current())
        return;
    AcquisitionCycle& c = *m_cycle;
    c.m_file->append(dataLine(c.m_number, c.m_reading, timeOfDay(c.m_clock.localNow())),
                     c.m_firstLine);
    c.m_firstLine = false;
}

}  // namespace acquisition
