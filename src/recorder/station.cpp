// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "recorder/station.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "acquisition/companion_file.h"
#include "acquisition/measurement_file.h"
#include "platform/failure_reason.h"
#include "platform/system_message.h"

namespace recorder {

using namespace std::chrono;

/// One day's measurement file and the companion that follows it.
struct Station::Day {
    Day(const std::filesystem::path& path, local_days day, FileSystem& files)
        : date(day), file(path, files), companion(path, files)
    {
        file.setCompanion(&companion);
    }
    local_days date;
    acquisition::MeasurementFile file;
    acquisition::CompanionFile companion;
};

namespace {

local_days dateOf(const Clock& clock)
{
    return floor<days>(clock.localNow());
}

/// Tells `now` when it differs from what was `told` last, and `over` when a trouble has ended.
void tell(const Station::Log& log, std::string& told, std::string now, const std::string& over)
{
    if (now == told)
        return;
    log(now.empty() ? over : now);
    told = std::move(now);
}

}  // namespace

Station::Station(StationSettings settings, acquisition::AcquisitionCycle::PortOpener openPort, const Clock& clock,
                 FileSystem& files, Log log)
    : m_settings(std::move(settings)), m_clock(clock), m_files(files), m_log(std::move(log))
{
    const local_days today = dateOf(m_clock);
    m_day = std::make_unique<Day>(dayFile(today), today, m_files);
    m_cycle = std::make_unique<acquisition::AcquisitionCycle>(std::move(openPort), m_clock, m_day->file);
    m_cycle->recordRunsIn(m_day->companion, m_settings.port, m_settings.version);
    m_cycle->setSite(m_settings.site.name, m_settings.site.latitude, m_settings.site.longitudeEast);
}

Station::~Station() = default;

std::filesystem::path Station::dayFile(local_days date) const
{
    return m_settings.folder / acquisition::dataFileName(year_month_day{date});
}

void Station::start()
{
    const std::filesystem::path& file = m_day->file.path();
    try {
        m_cycle->start(m_settings.period);
    } catch (const std::system_error& e) {
        throw StartRefused("port parallèle " + m_settings.port + " inaccessible : " + frenchReason(e.code()));
    }
    std::string refused;
    acquisition::WriteFailure taken{file, std::make_error_code(std::errc::device_or_resource_busy), 0};
    try {
        m_files.createDirectory(m_settings.folder);
    } catch (const std::system_error& e) {
        refused = "le dossier des mesures " + m_settings.folder.string() + " ne peut pas être créé : " + frenchReason(e.code());
    }
    try {
        if (refused.empty() && m_files.lockForWriting(file, *taken.otherWriter) == nullptr)
            refused = "écriture impossible dans " + file.string() + " : " + failureReason(taken);
    } catch (const std::system_error& e) {
        refused = "écriture impossible dans " + file.string() + " : " + frenchReason(e.code());
    }
    if (!refused.empty()) {
        m_cycle->stop();  // the port goes back; nothing was written
        throw StartRefused(refused);
    }
    m_log("Enregistrement commencé : " +
          (m_settings.port == "simulation" ? std::string("convertisseur simulé") : "port " + m_settings.port) +
          ", période " + std::to_string(m_settings.period.count()) + " s, site " + m_settings.site.name + ", fichier " +
          file.string() + ".");
}

void Station::tick()
{
    if (!m_cycle->running()) {
        reopenPort();
    } else if (auto tick = m_cycle->beginTick(); tick && readConverter()) {
        tellAlarms(m_alarms.reading(m_clock.utcNow(), m_clock.utcOffset(), m_cycle->reading(), m_settings.site));
        // The reading belongs to the day of its local time, which its line gives.
        if (dateOf(m_clock) != m_day->date) {
            moveTo(dateOf(m_clock));
            m_log("Nouveau jour : la série continue dans " + m_day->file.path().string() + ".");
        }
        if (tick->count())
            tick->writeLine();
    }
    tellFiles();
}

bool Station::readConverter()
{
    try {
        m_cycle->read();
    } catch (const std::system_error& e) {
        m_cycle->stop();  // the next run starts its own file, as a stop in the window does
        m_portRetry = m_clock.steadyNow() + kPortRetry;
        if (!std::exchange(m_portLost, true))
            m_log("Lecture arrêtée : port parallèle " + m_settings.port + " inaccessible : " + frenchReason(e.code()) +
                  ". Nouvel essai toutes les " + std::to_string(kPortRetry.count()) + " s.");
        tellAlarms(m_alarms.portFailed(m_clock.utcNow(), m_clock.utcOffset(), frenchReason(e.code())));
        return false;
    }
    if (std::exchange(m_portLost, false))
        m_log("Port parallèle " + m_settings.port + " de nouveau lisible : nouvelle série dans " +
              m_day->file.path().string() + ".");
    return true;
}

void Station::moveTo(local_days date)
{
    auto day = std::make_unique<Day>(dayFile(date), date, m_files);
    m_cycle->writeTo(day->file, day->companion);
    if (m_day->file.pendingLines() > 0)
        m_earlierDays.push_back(std::move(m_day));
    m_day = std::move(day);
}

void Station::reopenPort()
{
    if (dateOf(m_clock) != m_day->date)
        moveTo(dateOf(m_clock));
    try {
        m_cycle->start(m_settings.period);
    } catch (const std::system_error&) {
        m_portRetry = m_clock.steadyNow() + kPortRetry;
    }
}

milliseconds Station::untilNextTick() const
{
    if (m_cycle->running())
        return m_cycle->untilNextTick();
    return std::max(ceil<milliseconds>(m_portRetry - m_clock.steadyNow()), milliseconds{0});
}

std::size_t Station::waitingLines() const
{
    std::size_t waiting = m_day->file.pendingLines();
    for (const auto& day : m_earlierDays) waiting += day->file.pendingLines();
    return waiting;
}

void Station::tellFiles()
{
    m_cycle->retryWaitingLines();
    std::erase_if(m_earlierDays, [](const std::unique_ptr<Day>& day) { return day->file.retry(); });
    const std::string file = m_day->file.path().string();
    const auto& lines = m_day->file.lastFailure();
    tell(m_log, m_fileTrouble, lines ? writeImpossible(*lines) + " Les mesures attendent et seront écrites dès que possible." : "",
         "Écriture de nouveau possible dans " + file + " : les mesures en attente y sont écrites.");
    tellAlarms(m_alarms.linesWaiting(m_clock.utcNow(), m_clock.utcOffset(), waitingLines(), lines ? failureReason(*lines) : std::string()));
    const auto& rows = m_day->companion.lastFailure();
    tell(m_log, m_companionTrouble, rows ? companionWaits(*rows) : "",
         "Écriture de nouveau possible dans " + m_day->companion.path().string() + " : le journal de la série est à jour.");
}

std::size_t Station::stop(const std::string& why)
{
    m_cycle->stop();
    tellFiles();
    tellAlarms(m_alarms.runEnded(m_clock.utcNow(), m_clock.utcOffset()));
    const std::size_t lost = waitingLines();
    m_log("Enregistrement arrêté par " + why + ".");
    if (lost == 1)
        m_log("1 mesure n'a pas pu être écrite : elle est perdue.");
    else if (lost > 1)
        m_log(std::to_string(lost) + " mesures n'ont pas pu être écrites : elles sont perdues.");
    return lost;
}

void Station::tellAlarms(const std::vector<record::AlarmChange>& changes)
{
    for (const record::AlarmChange& change : changes) {
        m_log(change.text);
        if (m_alarm) m_alarm(change.text);
    }
}

}  // namespace recorder
