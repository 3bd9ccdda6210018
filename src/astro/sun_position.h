#pragma once
// The sun's altitude and azimuth for a local clock reading and a site, and their caption text.
#include <string>

#include "astro/date_time.h"

namespace astro {

/// Every quantity of one sun-position computation, in the order it is computed.
/// Angles in degrees, RA / S / G in hours, d in days since J2000.0, T in Julian centuries.
struct SunPositionDetail {
    double jd, d, g, q, L, e, RA, delta, T, S, G, siderealAngle, clockAngle, H;
    double altitude;  ///< degrees, geometric (no refraction)
    double azimuth;   ///< degrees from north through east, 0 to 360
};

struct HorizontalPosition {
    double altitude;  ///< degrees
    double azimuth;   ///< degrees from north through east
};

/// Sun position for the local clock reading `local` (to the second), where local clock minus
/// universal time is `correctionHeure` whole hours, at a site of `latitude` degrees north and
/// `longitudeEast` degrees east. `pi` is the window's stored constant, used for every
/// degree/radian conversion.
SunPositionDetail sunPositionDetail(DateTime local, int correctionHeure, double longitudeEast,
                                    double latitude, double pi);
HorizontalPosition sunPosition(DateTime local, int correctionHeure, double longitudeEast,
                               double latitude, double pi);

/// Degree-minute-second caption, every part floored: 64.5018 -> "64° 30 Min. 6 Sec.",
/// -48.9516 -> "-49° 2 Min. 54 Sec." (UTF-8).
std::string dmsCaption(double degrees);

}  // namespace astro
