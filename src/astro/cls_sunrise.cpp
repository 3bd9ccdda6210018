#include "astro/cls_sunrise.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

#include "astro/latin_case.h"

namespace {

// Written constants of the fractional-year method, not std::numbers: pi to ten decimals and
// 2 pi to nine.
constexpr double kPi10 = 3.1415926535;
constexpr double kTwoPi9 = 6.283185307;
constexpr double kZenithDeg = 90.833;  // sun's upper limb on the horizon, with refraction
constexpr double kPolarClampDeg = 89.8;
constexpr std::int32_t kSlotsPerGrowth = 10;

// Rounds half to even and narrows to 32 bits, as a stored whole number must be; a value
// outside the range, or not a number, is an error for the caller.
std::int32_t roundToInt32(double x, const char* what)
{
    const double r = std::nearbyint(x);
    if (std::isnan(r)) {
        throw std::domain_error(what);
    }
    if (r < std::numeric_limits<std::int32_t>::min() ||
        r > std::numeric_limits<std::int32_t>::max()) {
        throw std::overflow_error(what);
    }
    return static_cast<std::int32_t>(r);
}

std::string_view trimSpaces(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string matchKey(std::string_view text) { return astro::lowerLatin(trimSpaces(text)); }

}  // namespace

clsSunrise::clsSunrise(astro::DateTime now)
{
    LoadCities();
    m_date = now;
}

// ---- site table -----------------------------------------------------------------------

void clsSunrise::AddCity(std::string name, double latitude, double longitude,
                         std::int32_t timeZone)
{
    const std::int32_t index = m_lastCity + 1;
    const auto lastSlot = static_cast<std::int32_t>(m_cities.size()) - 1;
    if (index > lastSlot) {
        m_cities.resize(static_cast<std::size_t>(lastSlot + kSlotsPerGrowth + 1));
    }
    m_cities[static_cast<std::size_t>(index)] = {std::move(name), longitude, latitude, timeZone};
    m_lastCity = index;
}

void clsSunrise::LoadCities()
{
    m_lastCity = -1;
    m_cities.assign(1, CityEntry{});
    AddCity("Paris, Butte aux cailles", 48.49, -2.21, -1);
    AddCity("Paris, Buttes Chaumont", 48.53, -2.23, -1);
    AddCity("Paris, Notre Dame", 48.51, -2.21, -1);
    AddCity("Paris, Observatoire de Paris", 48.5, -2.2, -1);
    AddCity("Paris, Parc Montsouris", 48.49, -2.2, -1);
    AddCity("Paris, Sacr\u00E9 Coeur", 48.53, -2.21, -1);
    AddCity("Paris, Tour Eiffel", 48.52, -2.18, -1);
    AddCity("Chelles", 48.5246, -2.3523, -1);
    AddCity("Claye-Souilly", 48.57, -2.42, -1);
    AddCity("Trilport", 48.57, -2.57, -1);
    AddCity("Milhaud", 43.47, -4.18, -1);
    AddCity("N\u00EEmes", 43.5, -4.21, -1);
}

std::int32_t clsSunrise::CityCount() const { return m_lastCity + 1; }

std::string clsSunrise::CityName(std::int32_t nCity) const
{
    if (nCity < 0 || nCity > m_lastCity) {
        return "(Error)";
    }
    return m_cities[static_cast<std::size_t>(nCity)].name;
}

void clsSunrise::City(std::string_view name)
{
    const std::string wanted = matchKey(name);
    std::int32_t found = -1;
    for (std::int32_t i = 0; i <= m_lastCity; ++i) {
        if (matchKey(m_cities[static_cast<std::size_t>(i)].name) == wanted) {
            found = i;
            break;
        }
    }
    selectCity(found);
}

void clsSunrise::City(double index)
{
    selectCity(roundToInt32(index, "site number outside the 32-bit range"));
}

void clsSunrise::selectCity(std::int32_t i)
{
    if (i < 0 || i > m_lastCity) {
        m_timeZone = 0;
        m_longitude = 0;
        m_latitude = 0;
        return;
    }
    const CityEntry& site = m_cities[static_cast<std::size_t>(i)];
    m_timeZone = site.timeZone;
    m_longitude = site.longitude;
    m_latitude = site.latitude;
    if (m_siteLink) {
        m_siteLink(site.latitude, site.longitude < 0 ? -site.longitude : site.longitude);
    }
}

void clsSunrise::setSiteLink(SiteLink link) { m_siteLink = std::move(link); }

// ---- inputs and results -----------------------------------------------------------------

astro::DateTime clsSunrise::Sunrise() const { return m_sunrise; }
astro::DateTime clsSunrise::Sunset() const { return m_sunset; }
astro::DateTime clsSunrise::SolarNoon() const { return m_solarNoon; }

std::int32_t clsSunrise::TimeZone() const { return m_timeZone; }
void clsSunrise::TimeZone(std::int32_t nNew) { m_timeZone = nNew; }
bool clsSunrise::DaySavings() const { return m_daySavings; }
void clsSunrise::DaySavings(bool bNew) { m_daySavings = bNew; }
double clsSunrise::Longitude() const { return m_longitude; }
void clsSunrise::Longitude(double nNew) { m_longitude = nNew; }
double clsSunrise::Latitude() const { return m_latitude; }
void clsSunrise::Latitude(double nNew) { m_latitude = nNew; }
astro::DateTime clsSunrise::DateDay() const { return m_date; }
void clsSunrise::DateDay(astro::DateTime dateNew) { m_date = dateNew; }

// ---- fractional-year method ---------------------------------------------------------------

double clsSunrise::RadToDeg(double x) { return x * 180 / kPi10; }
double clsSunrise::DegToRad(double x) { return x * kPi10 / 180; }

double clsSunrise::FractionalYear(std::int32_t N) { return (kTwoPi9 / 365) * (N - 1); }

double clsSunrise::FractionalYearAtHour(std::int32_t N, std::int32_t h)
{
    return ((N - 1) + h / 24.0) * (kTwoPi9 / 365);
}

double clsSunrise::EquationOfTime(double gamma)
{
    return 229.18 * (0.000075 + 0.001868 * std::cos(gamma) - 0.032077 * std::sin(gamma) -
                     0.014615 * std::cos(2 * gamma) - 0.040849 * std::sin(2 * gamma));
}

double clsSunrise::SolarDeclination(double gamma)
{
    return 0.006918 - 0.399912 * std::cos(gamma) + 0.070257 * std::sin(gamma) -
           0.006758 * std::cos(2 * gamma) + 0.000907 * std::sin(2 * gamma);
}

double clsSunrise::ArcCosOrZero(double x)
{
    if (!(std::fabs(x) < 1)) {
        return 0;  // polar day or night: no crossing of the horizon
    }
    const double s = std::sqrt((-x) * x + 1);
    const double angle = std::atan(-x / s) + 2 * std::atan(1.0);
    return std::isfinite(angle) ? angle : 0;
}

double clsSunrise::HourAngle(double latitude, double declination, bool rising)
{
    const double phi = DegToRad(latitude);
    const double x = std::cos(DegToRad(kZenithDeg)) / (std::cos(phi) * std::cos(declination)) -
                     std::tan(phi) * std::tan(declination);
    const double H = ArcCosOrZero(x);
    return rising ? H : -H;
}

double clsSunrise::CrossingUtc(double gamma, double latitude, double longitude, bool rising)
{
    const double E = EquationOfTime(gamma);
    const double H = RadToDeg(HourAngle(latitude, SolarDeclination(gamma), rising));
    return (longitude - H) * 4 + 720 - E;
}

double clsSunrise::TwoPassUtc(std::int32_t N, double firstGamma, double latitude,
                              double longitude, bool rising)
{
    const double first = CrossingUtc(firstGamma, latitude, longitude, rising);
    const std::int32_t h = roundToInt32(first / 60, "sun hour out of range");
    return CrossingUtc(FractionalYearAtHour(N, h), latitude, longitude, rising);
}

double clsSunrise::SunriseUtc(std::int32_t N, double latitude, double longitude)
{
    return TwoPassUtc(N, FractionalYear(N), latitude, longitude, true);
}

double clsSunrise::SunsetUtc(std::int32_t N, double latitude, double longitude)
{
    // First estimate at the start of the following day, the second within day N itself.
    return TwoPassUtc(N, FractionalYear(N + 1), latitude, longitude, false);
}

double clsSunrise::SolarNoonUtc(std::int32_t N, double longitude)
{
    const std::int32_t h = roundToInt32(longitude / 15 + 12, "noon hour out of range");
    const double E = EquationOfTime(FractionalYearAtHour(N, h));
    return longitude * 4 + 720 - E;
}

astro::DateTime clsSunrise::localEventTime(double utcMinutes) const
{
    std::int32_t zoneMinutes = 0;
    if (__builtin_mul_overflow(m_timeZone, 60, &zoneMinutes)) {
        throw std::overflow_error("time zone out of range");
    }
    const double daylight = m_daySavings ? 60 : 0;
    const double m = utcMinutes - zoneMinutes + daylight;
    const double seconds = std::nearbyint(m * 60);
    if (std::isnan(seconds)) {
        throw std::domain_error("sun time is not a number");
    }
    constexpr double kMaxSeconds = 1e12;  // some 31,000 years either way
    if (std::fabs(seconds) > kMaxSeconds) {
        throw std::overflow_error("sun time out of range");
    }
    const auto day = std::chrono::floor<std::chrono::days>(m_date);
    return day + std::chrono::seconds{static_cast<std::int64_t>(seconds)};
}

void clsSunrise::CalculateSun()
{
    using namespace std::chrono;
    double phi = m_latitude;  // working copy: the stored latitude is left as it is
    if (phi >= -90 && phi < -kPolarClampDeg) {
        phi = -kPolarClampDeg;
    } else if (phi > kPolarClampDeg && phi <= 90) {
        phi = kPolarClampDeg;
    }

    const local_days day = floor<days>(m_date);
    const year_month_day ymd{day};
    const auto N =
        static_cast<std::int32_t>((day - local_days{ymd.year() / January / 1}).count()) + 1;

    m_sunrise = localEventTime(SunriseUtc(N, phi, m_longitude));
    m_solarNoon = localEventTime(SolarNoonUtc(N, m_longitude));
    m_sunset = localEventTime(SunsetUtc(N, phi, m_longitude));
}
