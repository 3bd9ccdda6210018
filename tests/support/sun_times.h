#pragma once
// The three results of a sunrise computation taken together, for table-driven tests.
#include <chrono>
#include <cstdio>
#include <ostream>

#include "astro/cls_sunrise.h"

struct SunTimes {
    astro::DateTime sunrise, solarNoon, sunset;
    bool operator==(const SunTimes&) const = default;
};

/// The three results on `day` at the given times of day, each as hours, minutes, seconds.
inline SunTimes sunTimesAt(std::chrono::local_days day, int rh, int rm, int rs, int nh, int nm,
                           int ns, int sh, int sm, int ss)
{
    const auto at = [day](int h, int m, int s) {
        return day + std::chrono::seconds{3600 * h + 60 * m + s};
    };
    return {at(rh, rm, rs), at(nh, nm, ns), at(sh, sm, ss)};
}

inline SunTimes resultsOf(const clsSunrise& c) { return {c.Sunrise(), c.SolarNoon(), c.Sunset()}; }

inline void PrintTo(const SunTimes& t, std::ostream* out)
{
    for (const astro::DateTime v : {t.sunrise, t.solarNoon, t.sunset}) {
        const auto day = std::chrono::floor<std::chrono::days>(v);
        const std::chrono::year_month_day ymd{day};
        const std::chrono::hh_mm_ss<std::chrono::seconds> time{v - day};
        char text[40];
        std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d  ",
                      static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                      static_cast<unsigned>(ymd.day()), static_cast<int>(time.hours().count()),
                      static_cast<int>(time.minutes().count()),
                      static_cast<int>(time.seconds().count()));
        *out << text;
    }
}
