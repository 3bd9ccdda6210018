// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// The day view's « Résumé »: the day's sunlight figures beside the visible range's, as the
// user reads them (irradiation in Wh/m² and kWh/m², the clear sky and the ratio, coverage, the
// peak and its time, sunshine, day length and its fraction, the flags and the readings left
// out); and the same numbers as short texts for the status bar.
#include <QString>
#include <QWidget>
#include <map>
#include <string>

#include "record/day_sunlight.h"

class QGridLayout;
class QLabel;

namespace sunlight_text {
/// A text of the day view or the month set as French sets it: a non-breaking space before « : »,
/// inside « » and after « n° », between a number (or its « %1 ») and the word or unit after it, and a narrow one
/// before « ; ! ? ». For the program's own words, before any name or path is put in: `utf8` is
/// a literal, whose text is set once and kept by its address.
QString french(const char* utf8);
/// « 6 512 Wh/m² »
QString wattHours(double whPerM2);
/// « 6,512 kWh/m² »
QString kiloWattHours(double whPerM2);
/// « 5 h 07 min » from seconds
QString duration(double seconds);
/// « 13:42:10 »
QString clock(std::chrono::local_seconds local);
/// « 98,7 % » from a share 0..1
QString percent(double share);
/// « impossible 0 · rare 2 · saturé 0 · figé 1 »
QString flagCounts(const record::FlagCounts& flags);
/// « 2 rare · 1 figé »: only the kinds raised, « aucun » when none
QString raisedFlags(const record::FlagCounts& flags);
/// `one` or `many` as `count` asks, « %1 » the count in the user's form: « 1 mesure », « 1 024 mesures »
QString plural(std::size_t count, const char* one, const char* many);
/// Why readings of the day give no W/m² (no calibration in force, flagged « saturé » or
/// « impossible »), each with its count; empty when every reading is calibrated and kept.
QString readingsLeftOut(const record::SunlightFigures& day);
/// The short figures of a range for the status bar: « 6,512 kWh/m² · pic 912 W/m² à 13:42:10 ·
/// ensoleillement 5 h 07 min », or nothing without calibrated readings.
QString statusFigures(const record::SunlightFigures& figures);
}  // namespace sunlight_text

class SummaryPanel : public QWidget {
public:
    explicit SummaryPanel(QWidget* parent = nullptr);

    /// The day's figures and the visible range's.
    void setFigures(const record::SunlightFigures& day, const record::SunlightFigures& range);

    /// The text of one value: `column` "day" or "range", `row` one of the rows' names
    /// ("irradiation", "irradiationKwh", "clearSky", "ratio", "coverage", "peak", "peakTime",
    /// "sunshine", "dayLength", "fraction", "impossible", "rare", "saturated", "stuck",
    /// "excluded", "meanMv", "peakMv").
    QString value(const std::string& column, const std::string& row) const;

private:
    void fill(int column, const record::SunlightFigures& figures);

    QGridLayout* m_grid;
    QLabel* m_note;
    std::map<std::string, int> m_rows;
};
