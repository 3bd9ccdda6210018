#pragma once
// A day's readings in sunlight terms: each reading's irradiance under the calibration in force,
// the clear sky and the sun's altitude at its instant, its sunshine state and quality flags;
// and the figures of the day or of a time range (irradiation, clear-sky irradiation, coverage,
// peak, sunshine duration, day length, flag counts).
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
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

/// One reading in sunlight terms, as the cursor readout and the CSV give it.
struct SunlitReading {
    double altitude = 0;       ///< degrees, at the site in force
    double clearSky = 0;       ///< W/m², Haurwitz
    double irradiance = 0;     ///< W/m²; means nothing unless `calibrated`
    bool calibrated = false;   ///< a calibration row was in force: else the reading stays in mV
    bool sunshine = false;     ///< Carpentras, calibrated readings only
    std::uint8_t flags = 0;    ///< QualityFlag bits
};

struct FlagCounts {
    std::size_t impossible = 0, rare = 0, saturated = 0, stuck = 0;
};

/// The figures of a time range. Irradiation, clear sky, sunshine and peak come from calibrated
/// readings; the millivolt mean and peak from every reading kept.
struct SunlightFigures {
    std::size_t readings = 0;     ///< in the range
    std::size_t calibrated = 0;   ///< of which kept, with a calibration in force
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

    /// Kept, with no calibration in force (left in mV).
    std::size_t uncalibrated() const { return readings - excluded - calibrated; }
    std::optional<double> ratio() const;     ///< irradiation / clear sky, when the latter > 0
    double coverage() const;                 ///< covered / daylight, 0..1; 0 without daylight
    std::optional<double> sunshineFraction() const;  ///< sunshine / daylight
};

/// A day's readings in sunlight terms. Kept per reading is one byte (its flags and sunshine
/// state); irradiance is worked out again from the millivolts and the calibration in force, and
/// the sun's quantities from a curve of whole minutes per site, so that a day of 23 million
/// readings costs 23 MB above its points.
class DaySunlight {
public:
    /// `day`: the record's date (its day of the year drives the seasonal terms); `site`: where
    /// the readings were taken when no companion says. The runs' points are not copied: they
    /// must outlive this object, unchanged. The sun's quantities are computed at each whole
    /// minute of universal time at the site in force and interpolated linearly between (exact on
    /// the minute, within 0.001° of altitude between).
    DaySunlight(std::chrono::local_days day, std::span<const RunReadings> runs,
                std::span<const CalibrationRow> calibration, const ObservingSite& site);

    std::size_t runCount() const { return m_runs.size(); }
    /// Reading `index` of run `run`, in the order given.
    SunlitReading reading(std::size_t run, std::size_t index) const;
    /// Its irradiance in W/m², NaN without a calibration row in force.
    double irradiance(std::size_t run, std::size_t index) const;
    /// Each reading's QualityFlag bits (bits above them are this class's own).
    std::span<const std::uint8_t> flags(std::size_t run) const { return m_runs.at(run).state; }
    /// The first companion's site, else (no companion, or a row with no site's name: one made
    /// from the run's lines) the one given; sunrise and sunset are its.
    const ObservingSite& site() const { return m_site; }
    const SunMarkers& sun() const { return m_sun; }
    /// The readings with from <= instant <= to, of the runs `shown` marks (every run when it is
    /// empty), and sunrise to sunset within that range.
    SunlightFigures figures(std::chrono::sys_seconds from, std::chrono::sys_seconds to,
                            const std::vector<bool>& shown = {}) const;
    SunlightFigures dayFigures() const;

private:
    /// The sun's quantities at one instant: altitude, Haurwitz's sky and the scales of the
    /// BSRN limits and of the sunshine threshold.
    struct SunTerms {
        double altitude = 0, clearSky = 0, bsrn = 0, sunshine = 0;
    };
    /// The sun on whole minutes of universal time from `first` to `last`, at one site.
    struct SunCurve {
        std::string key;  ///< the site's name as the companion writes it
        ObservingSite site;
        std::chrono::minutes utcOffset{0};
        std::chrono::sys_seconds first{}, last{};
        std::vector<SunTerms> minutes;
        SunTerms at(std::chrono::sys_seconds t) const;
        double at(double SunTerms::*term, std::chrono::sys_seconds t) const;
        /// The minute before `t` (index) and how far `t` is past it (0 to 1).
        std::pair<std::size_t, double> place(std::chrono::sys_seconds t) const;
        double interpolate(std::size_t k, double w, double SunTerms::*term) const;
    };
    /// Readings from `first` to the next stretch's share a site, a bridge and a calibration.
    struct Stretch {
        std::size_t first = 0;
        std::size_t curve = 0;
        std::chrono::seconds bridge{0};  ///< the longest step the trapezoids bridge: 3 periods
        bool calibrated = false;            ///< a calibration row is in force
        double offset = 0, sensitivity = 1;  ///< mV (the row's or the night's), mV per W/m²
        double irradiance(int millivolts) const { return (millivolts - offset) / sensitivity; }
    };
    struct Run {
        std::span<const TracePoint> points;
        std::vector<std::uint8_t> state;  ///< QualityFlag bits and kSunshine
        std::vector<Stretch> stretches;
        const Stretch& stretchOf(std::size_t index) const;
    };
    SunlightFigures compute(std::chrono::sys_seconds from, std::chrono::sys_seconds to, const std::vector<bool>& shown) const;

    std::vector<Run> m_runs;
    std::vector<SunCurve> m_curves;
    std::chrono::sys_seconds m_first = std::chrono::sys_seconds::max(), m_last = std::chrono::sys_seconds::min();
    SunlightFigures m_day;  ///< every reading, the whole day's daylight
    ObservingSite m_site;
    SunMarkers m_sun;
};

}  // namespace record
