#include "record/sunlight_models.h"

#include <algorithm>

#include <cmath>

namespace record {

namespace {

constexpr double kPi = 3.14159265358979323846;

double sinOf(double degrees) { return std::sin(degrees * kPi / 180.0); }

double yearAngle(int dayOfYear) { return std::cos(2 * kPi * dayOfYear / 365.0); }

}  // namespace

double haurwitzClearSky(double altitudeDegrees)
{
    if (altitudeDegrees <= 0) return 0;
    const double s = sinOf(altitudeDegrees);
    return 1098.0 * s * std::exp(-0.059 / s);
}

double sunshineScale(double altitudeDegrees)
{
    return altitudeDegrees > 0 ? 1080.0 * std::pow(sinOf(altitudeDegrees), 1.25) : 0.0;
}

double sunshineFactor(int dayOfYear, SunshineCoefficients coefficients)
{
    return coefficients.a + coefficients.b * yearAngle(dayOfYear);
}

bool isSunshine(double irradiance, double altitudeDegrees, double factor, double scale)
{
    return altitudeDegrees >= kSunshineLowest && irradiance > factor * scale;
}

double solarConstant(int dayOfYear) { return 1361.0 * (1 + 0.033 * yearAngle(dayOfYear)); }

double bsrnScale(double altitudeDegrees, int dayOfYear)
{
    const double mu0 = altitudeDegrees > 0 ? sinOf(altitudeDegrees) : 0.0;
    return solarConstant(dayOfYear) * std::pow(mu0, 1.2);
}

std::uint8_t irradianceFlagOnScale(double irradiance, double scale)
{
    if (irradiance < -4 || irradiance > 1.5 * scale + 100) return kImpossible;
    if (irradiance < -2 || irradiance > 1.2 * scale + 50) return kRare;
    return 0;
}

std::uint8_t irradianceFlag(double irradiance, double altitudeDegrees, int dayOfYear)
{
    return irradianceFlagOnScale(irradiance, bsrnScale(altitudeDegrees, dayOfYear));
}

bool StuckStretch::add(std::chrono::sys_seconds instant, int millivolts, double altitudeDegrees)
{
    constexpr double kLowestSun = 10;  // degrees
    const bool high = altitudeDegrees > kLowestSun;
    if (high && m_count > 0 && millivolts == m_millivolts) {
        ++m_count;
        m_last = instant;
        m_lowest = std::min(m_lowest, altitudeDegrees);
        m_highest = std::max(m_highest, altitudeDegrees);
        return true;
    }
    m_count = high ? 1 : 0;
    m_since = m_last = instant;
    m_millivolts = millivolts;
    m_lowest = m_highest = altitudeDegrees;
    return false;
}

bool StuckStretch::stuck() const
{
    constexpr std::chrono::seconds kLeast = std::chrono::minutes{10};
    constexpr double kSunMotion = 2;  // degrees
    return m_count > 0 && m_last - m_since >= kLeast && m_highest - m_lowest >= kSunMotion;
}

}  // namespace record
