#pragma once
// Sunrise, solar noon and sunset for one date and place (fractional-year method), with the
// built-in table of observing sites.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "astro/date_time.h"

/// One observing site of the built-in table.
struct CityEntry {
    std::string name;        ///< UTF-8
    double longitude;        ///< degrees, positive west
    double latitude;         ///< degrees, positive north
    std::int32_t timeZone;   ///< hours to add to local standard time to get UTC (positive west)
};

class clsSunrise {
public:
    /// Receives a successful site selection: latitude first, then the longitude made
    /// non-negative (degrees east for every built-in site). The main window implements it.
    using SiteLink = std::function<void(double latitude, double longitude)>;

    /// Loads the site table, then sets the date field to `now` (the current local date-time).
    explicit clsSunrise(astro::DateTime now);

    astro::DateTime Sunrise() const;
    astro::DateTime Sunset() const;
    astro::DateTime SolarNoon() const;

    std::int32_t CityCount() const;
    /// The site's name, or "(Error)" for an index outside the table.
    std::string CityName(std::int32_t nCity) const;
    /// Select by name: lower-cased (accented capitals too), trimmed of spaces, exact match.
    void City(std::string_view name);
    /// Select by index, rounded half to even. Throws std::overflow_error, before anything
    /// changes, for a number outside the 32-bit signed range.
    void City(double index);

    std::int32_t TimeZone() const;
    void TimeZone(std::int32_t nNew);
    bool DaySavings() const;
    void DaySavings(bool bNew);
    double Longitude() const;
    void Longitude(double nNew);
    double Latitude() const;
    void Latitude(double nNew);
    astro::DateTime DateDay() const;
    void DateDay(astro::DateTime dateNew);

    /// Computes and stores Sunrise, SolarNoon and Sunset, in that order.
    void CalculateSun();

    void setSiteLink(SiteLink link);

private:
    static double RadToDeg(double x);
    static double DegToRad(double x);
    static double FractionalYear(std::int32_t N);
    static double FractionalYearAtHour(std::int32_t N, std::int32_t h);
    static double EquationOfTime(double gamma);
    static double SolarDeclination(double gamma);
    static double ArcCosOrZero(double x);
    static double HourAngle(double latitude, double declination, bool rising);
    /// Minutes after 00:00 UTC of the horizon crossing for the fractional-year angle `gamma`.
    static double CrossingUtc(double gamma, double latitude, double longitude, bool rising);
    /// A first estimate at `firstGamma`, then again at its whole UTC hour within day N.
    static double TwoPassUtc(std::int32_t N, double firstGamma, double latitude, double longitude,
                             bool rising);
    static double SunriseUtc(std::int32_t N, double latitude, double longitude);
    static double SunsetUtc(std::int32_t N, double latitude, double longitude);
    static double SolarNoonUtc(std::int32_t N, double longitude);

    void AddCity(std::string name, double latitude, double longitude, std::int32_t timeZone);
    void LoadCities();
    void selectCity(std::int32_t i);
    /// Local date-time of an event `utcMinutes` after 00:00 UTC of the date field's day.
    astro::DateTime localEventTime(double utcMinutes) const;

    // the site table: index of the last entry in use (-1 when empty), and its slots
    std::int32_t m_lastCity = -1;
    std::vector<CityEntry> m_cities;

    std::int32_t m_timeZone = 0;
    bool m_daySavings = false;
    double m_longitude = 0;
    double m_latitude = 0;
    astro::DateTime m_date;
    astro::DateTime m_sunrise = astro::kZeroDateTime;
    astro::DateTime m_sunset = astro::kZeroDateTime;
    astro::DateTime m_solarNoon = astro::kZeroDateTime;

    SiteLink m_siteLink;
};
