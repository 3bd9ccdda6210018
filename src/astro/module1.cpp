#include "astro/module1.h"

#include <cmath>

namespace Module1 {

double JulianDay(double day, double month, double year, double hour, double minute, double second)
{
    const double D = ((day + hour / 24) + minute / 1440) + second / 86400;
    double Y = year;
    double M = month;
    if (M == 1 || M == 2) {  // January and February count as months 13 and 14
        Y = Y - 1;
        M = M + 12;
    }
    const double A = std::floor(Y / 100);
    const double B = 2 - A + std::floor(A / 4);  // Gregorian correction, for every date
    return std::floor(365.25 * (Y + 4716)) + std::floor(30.6001 * (M + 1)) + D + B - 1524.5;
}

double ArcSin(double x)
{
    if (x >= 1) return 2 * std::atan(1.0);
    if (x <= -1) return -2 * std::atan(1.0);
    const double s = std::sqrt((x * (-x)) + 1);
    return std::atan(x / s);
}

double ArcCos(double x)
{
    if (x >= 1) return 0.0;
    if (x <= -1) return 4 * std::atan(1.0);
    const double s = std::sqrt((x * (-x)) + 1);
    return std::atan(-x / s) + 2 * std::atan(1.0);
}

}  // namespace Module1
