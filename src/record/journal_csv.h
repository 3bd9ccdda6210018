#pragma once
// The day view's readings as CSV for French spreadsheets: ';' between fields, a header row,
// ISO 8601 local date-time with its UTC offset, the measurement number, the millivolts and the
// sun's altitude with a decimal comma, CR LF lines.
//
//   date_heure;numero;millivolts;hauteur_soleil_deg
//   2026-12-07T14:03:27+01:00;2;2048;12,34
//
// Every byte is ASCII (the header has no accents), so the file is UTF-8 without a byte-order
// mark: every spreadsheet and script reads it the same way, and a script's first column name is
// not prefixed by the mark.
#include <span>
#include <string>

#include "record/day_sun.h"
#include "record/day_sunlight.h"
#include "record/run_trace.h"

namespace record {

/// The header row, CR LF included.
std::string csvHeader();

/// One row, CR LF included; the altitude rounded to two decimals, "-0,50" below the horizon.
std::string csvLine(const TracePoint& point, double sunAltitudeDegrees);

/// Header, then one row per point, in the order given, with the sun's altitude at `site` at
/// each point's instant and offset (sunAltitude).
std::string csvExport(std::span<const TracePoint> points, const ObservingSite& site);

}  // namespace record

// The same rows with what a calibration adds, at the end so that the columns above keep their
// place: the irradiance in W/m² with one decimal, the clear-sky index G / G_cs with three
// (empty at night) and the reading's quality flags in ASCII ("rare", "impossible+sature"); the
// two numbers empty for a reading without a calibration row in force. Last, the local date and
// time again without its offset, "AAAA-MM-JJTHH:MM:SS": LibreOffice takes that form for a date
// and time it can plot even with its import's special numbers left off, as they are at first
// (the first column, with its offset, stays text there but keeps the hour repeated at the end
// of summer time apart).
//
//   date_heure;numero;millivolts;hauteur_soleil_deg;irradiance_W_m2;indice_ciel_clair;drapeau;date_heure_locale
//   2026-06-21T13:42:10+02:00;4702;1824;63,12;912,0;0,981;;2026-06-21T13:42:10

namespace record {

std::string sunlitCsvHeader();
std::string sunlitCsvLine(const TracePoint& point, double sunAltitudeDegrees, const SunlitReading& reading);
/// The flags as the CSV writes them, "+" between kinds; empty for none.
std::string flagNames(std::uint8_t flags);

}  // namespace record
