#include "acquisition/acquisition_cycle.h"

#include <stdexcept>
#include <system_error>
#include <utility>

#include "acquisition/max187.h"
#include "acquisition/text_forms.h"

namespace acquisition {

AcquisitionCycle::AcquisitionCycle(PortOpener openPort, const Clock& clock, MeasurementFile& file)
    : m_openPort(std::move(openPort)), m_clock(clock), m_file(file)
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
}

void AcquisitionCycle::endRun()
{
    ++m_run;
    m_port.reset();  // releases the port
}

void AcquisitionCycle::stop()
{
    endRun();
    m_number = 1;
    m_firstLine = true;
}

void AcquisitionCycle::setPeriod(std::chrono::milliseconds period)
{
    // Idle, the period waits for the next start; running, a new grid begins now.
    m_schedule.start(m_clock.steadyNow(), period);
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
        endRun();
        throw;
    }
    return m_reading;
}

bool AcquisitionCycle::retryWaitingLines()
{
    return m_file.pendingLines() == 0 || m_file.retry();
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
    c.m_file.append(dataLine(c.m_number, c.m_reading, timeOfDay(c.m_clock.localNow())),
                    c.m_firstLine);
    c.m_firstLine = false;
}

}  // namespace acquisition
