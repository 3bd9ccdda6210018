#pragma once
// The published sunlight models the day's figures rest on: the Haurwitz clear sky, the sunshine
// threshold of the Carpentras pyranometric method (WMO guide) and the BSRN's recommended
// physical limits on global irradiance. Each takes the sun's altitude in degrees and, where the
// model needs it, the day of the year (1 January is day 1).
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace record {

/// G_cs = 1098 · sin h · exp(−0.059 / sin h) W/m² for h > 0, else 0.
double haurwitzClearSky(double altitudeDegrees);

/// The Carpentras coefficients; the method fits them to a climate.
/// Below this altitude in degrees the method counts no sunshine.
constexpr double kSunshineLowest = 3;

struct SunshineCoefficients {
    double a = 0.73;
    double b = 0.06;
};

/// The part of the threshold that follows the sun: 1080 · (sin h)^1.25 W/m², 0 for h <= 0.
double sunshineScale(double altitudeDegrees);

/// The part that follows the season: F = A + B · cos(2π · d / 365).
double sunshineFactor(int dayOfYear, SunshineCoefficients coefficients);

/// The sun shines when h >= 3° and G > F · 1080 · (sin h)^1.25; never while h < 3°. `factor`
/// is F (sunshineFactor) and `scale` 1080 · (sin h)^1.25 (sunshineScale), as the day's sunlight
/// keeps them per minute.
bool isSunshine(double irradiance, double altitudeDegrees, double factor, double scale);

/// A reading's quality, one bit per kind; a reading may carry several.
enum QualityFlag : std::uint8_t {
    kImpossible = 1,  ///< « impossible »: outside the physically possible limits
    kRare = 2,        ///< « rare »: outside the extremely rare limits, within the possible ones
    kSaturated = 4,   ///< « saturé »: the converter's full scale, 4095 mV
    kStuck = 8,       ///< « figé »: the same reading for 10 minutes or more with h > 10°, while h
                      ///< changes by 2° or more
};
/// Every QualityFlag bit.
constexpr std::uint8_t kQualityFlags = kImpossible | kRare | kSaturated | kStuck;

/// The converter's full scale, mV: « saturé ».
constexpr int kFullScale = 4095;

/// « figé » followed reading by reading, one rule for the day's flags and the alarm while
/// recording: equal readings with the sun above 10° at each, lasting 10 minutes or more from the
/// first to the last, while the sun's altitude changes by 2° or more over them (a sensor that
/// stays still while the sun moves).
class StuckStretch {
public:
    /// The next reading of the run. True when it continues the stretch; else the stretch ended
    /// before it and a new one begins with it (with none while the sun is low).
    bool add(std::chrono::sys_seconds instant, int millivolts, double altitudeDegrees);
    /// The stretch so far is « figé ».
    bool stuck() const;
    /// The readings of the stretch, the last ones added, and the instant of its first.
    std::size_t count() const { return m_count; }
    std::chrono::sys_seconds since() const { return m_since; }

private:
    std::size_t m_count = 0;
    std::chrono::sys_seconds m_since{}, m_last{};
    int m_millivolts = 0;
    double m_lowest = 0, m_highest = 0;
};

/// The solar constant at the day's Sun–Earth distance: S = 1361 · (1 + 0.033 · cos(2π · d / 365)).
double solarConstant(int dayOfYear);

/// « impossible » when G < −4 or G > 1.5 · S · µ0^1.2 + 100, else « rare » when G < −2 or
/// G > 1.2 · S · µ0^1.2 + 50, else 0; µ0 = sin h, 0 below the horizon.
std::uint8_t irradianceFlag(double irradiance, double altitudeDegrees, int dayOfYear);

/// The limits above as numbers: S · µ0^1.2 (the part of both upper limits that moves with the sun).
double bsrnScale(double altitudeDegrees, int dayOfYear);
std::uint8_t irradianceFlagOnScale(double irradiance, double scale);

}  // namespace record
