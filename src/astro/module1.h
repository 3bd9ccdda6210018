#pragma once
// Calendar and angle functions the sun position rests on. Stateless; angles in radians.

namespace Module1 {

/// Julian Day (Meeus, Gregorian correction for every date) of a civil date and clock time,
/// on the same clock as the arguments: no time-zone work is done here.
double JulianDay(double day, double month, double year, double hour, double minute, double second);

/// Inverse cosine through the arctangent. Finite for every argument: x <= -1 gives pi,
/// x >= 1 gives 0 (a rounding step past the bound is taken as the bound).
double ArcCos(double x);

/// Inverse sine through the arctangent. Finite for every argument: x <= -1 gives -pi/2,
/// x >= 1 gives pi/2.
double ArcSin(double x);

}  // namespace Module1
