#pragma once
// A day's readings in sunlight terms: each reading's irradiance under the calibration in force,
// the clear sky and the sun's altitude at its instant, its sunshine state and quality flags;
// and the figures of the day or of a time range (irradiation, clear-sky irradiation, coverage,
// peak, sunshine duration, day length, flag counts).
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "acquisition/run_companion.h"
#include "record/calibration.h"
#include "record/day_sun.h"
#include "record/run_trace.h"

namespace record {

/// One run as read back: its readings placed in time and its companion's rows (period, site).
struct RunReadings {
    std::span<const TracePoint> points;
    std::span<const acquisition::RunEvent> companion;
};

/// One reading with what the sunlight products add to it.
struct SunlitReading {
    std::chrono::sys_seconds instant{};
    std::chrono::minutes utcOffset{0};
    int millivolts = 0;
    double altitude = 0;       ///< degrees, at the site in force
    double clearSky = 0;       ///< W/m², Haurwitz
    double irradiance = 0;     ///< W/m²; means nothing unless `calibrated`
    bool calibrated = false;   ///< a calibration row was in force: else the reading stays in mV
    bool sunshine = false;     ///< Carpentras, calibrated readings only
    std::uint8_t flags = 0;    ///< QualityFlag bits
    /// The longest step from the reading before that the trapezoids bridge: 3 periods.
    std::chrono::seconds bridge{0};

    /// « impossible » and « saturé » readings are left out of the figures.
    bool excluded() const { return (flags & (kImpossible | kSaturated)) != 0; }
};

struct FlagCounts {
    std::size_t impossible = 0, rare = 0, saturated = 0, stuck = 0;
};

/// The figures of a time range. Irradiation, clear sky, sunshine and peak come from calibrated
/// readings; the millivolt mean and peak from every reading kept.
struct SunlightFigures {
    std::size_t readings = 0;     ///< in the range
    std::size_t calibrated = 0;   ///< of which with a calibration in force
    std::size_t excluded = 0;     ///< flagged « impossible » or « saturé », left out
    FlagCounts flags;
    double irradiation = 0;       ///< Wh/m²
    double clearSkyIrradiation = 0;  ///< Wh/m², over the same covered time
    double sunshineSeconds = 0;
    std::chrono::seconds covered{0};   ///< time between bridged readings with the sun up
    std::chrono::seconds daylight{0};  ///< sunrise to sunset within the range (the day length)
    std::optional<double> peak;        ///< W/m²
    std::chrono::local_seconds peakTime{};  ///< local clock of the peak
    double meanMillivolts = 0;
    int peakMillivolts = 0;
    std::chrono::local_seconds peakMillivoltsTime{};

    std::optional<double> ratio() const;     ///< irradiation / clear sky, when the latter > 0
    double coverage() const;                 ///< covered / daylight, 0..1; 0 without daylight
    std::optional<double> sunshineFraction() const;  ///< sunshine / daylight
};

class DaySunlight {
public:
    /// `day`: the record's date (its day of the year drives the seasonal terms); `site`: where
    /// the readings were taken when no companion says. Readings are copied; the sun's
    /// quantities are computed at each whole minute of universal time at the site in force and
    /// interpolated linearly between (exact on the minute, within 0.001° of altitude between).
    DaySunlight(std::chrono::local_days day, std::span<const RunReadings> runs,
                std::span<const CalibrationRow> calibration, const ObservingSite& site);

    /// One vector per run, one element per point, in the order given.
    const std::vector<std::vector<SunlitReading>>& runs() const { return m_runs; }
    /// The first companion's site, else the one given; sunrise and sunset are its.
    const ObservingSite& site() const { return m_site; }
    const SunMarkers& sun() const { return m_sun; }
    /// The readings with from <= instant <= to, and sunrise to sunset within that range.
    SunlightFigures figures(std::chrono::sys_seconds from, std::chrono::sys_seconds to) const;
    SunlightFigures dayFigures() const;

private:
    std::vector<std::vector<SunlitReading>> m_runs;
    ObservingSite m_site;
    SunMarkers m_sun;
};

}  // namespace record
