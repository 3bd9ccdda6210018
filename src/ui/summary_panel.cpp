// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/summary_panel.h"

#include <QGridLayout>
#include <QHash>
#include <QLabel>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>
#include <QVBoxLayout>
#include <array>
#include <cmath>
#include <utility>

using namespace std::chrono;

namespace sunlight_text {

QString french(const char* utf8)
{
    // Set once per literal: the texts are made again at each pan step and pointer move.
    static QHash<const char*, QString> set;
    if (const auto done = set.constFind(utf8); done != set.constEnd()) return *done;
    // Letters are any alphabet's: « 2 écartées » as « 2 mesures ».
    constexpr auto unicode = QRegularExpression::UseUnicodePropertiesOption;
    static const QRegularExpression beforeColon(" (?=:)"), beforeOthers("(?<!«) (?=[;!?])"), afterSign("(?<=«|n°) "),
        beforeClosing(" »"), numberAndWord("(?<=\\d)(?<!%\\d) (?=[^\\W\\d_]|%(?!\\d)|°)", unicode),
        // A placeholder may be a name: only a unit after it says it is a number.
        countAndUnit("(?<=%\\d) (?=(?:k?Wh/m²|W/m²|mV|h|min|s|j|%)(?![\\w²]))", unicode);
    return *set.insert(utf8, QString::fromUtf8(utf8)
        .replace(beforeColon, QString(QChar(0x00A0)))
        .replace(beforeOthers, QString(QChar(0x202F)))
        .replace(afterSign, QString(QChar(0x00A0)))
        .replace(beforeClosing, QString::fromUtf8("\u00A0»"))
        .replace(numberAndWord, QString(QChar(0x00A0)))
        .replace(countAndUnit, QString(QChar(0x00A0))));
}

QString wattHours(double whPerM2)
{
    return french("%1 Wh/m²").arg(QLocale().toString(whPerM2, 'f', 0));
}

QString kiloWattHours(double whPerM2)
{
    return french("%1 kWh/m²").arg(QLocale().toString(whPerM2 / 1000, 'f', 3));
}

QString duration(double seconds)
{
    const long long minutesTotal = std::llround(seconds / 60);
    return french("%1 h\u00A0%2 min").arg(minutesTotal / 60).arg(minutesTotal % 60, 2, 10, QChar('0'));
}

QString percent(double share) { return french("%1 %").arg(QLocale().toString(100 * share, 'f', 1)); }

namespace {
/// The four kinds of flag, in the order they are always said, with their counts.
std::array<std::pair<std::size_t, QString>, 4> kinds(const record::FlagCounts& flags)
{
    return {{{flags.impossible, french("impossible")}, {flags.rare, french("rare")},
             {flags.saturated, french("saturé")}, {flags.stuck, french("figé")}}};
}
}  // namespace

namespace {
/// A flag's name agreeing with the readings it counts (« mesures »): « 1 saturée », « 2 rares ».
QString agreed(const QString& name, std::size_t count)
{
    const QString feminine = name.endsWith(QChar(0x00E9)) ? name + 'e' : name;
    return count == 1 ? feminine : feminine + 's';
}
}  // namespace

QString plural(std::size_t count, const char* one, const char* many)
{
    // The count never apart from what it counts; in French 0 and 1 are singular (« 0 jour mesuré »).
    return french(count < 2 ? one : many).replace("%1 ", QString::fromUtf8("%1\u00A0")).arg(QLocale().toString(qulonglong(count)));
}

QString readingsLeftOut(const record::SunlightFigures& day)
{
    QStringList said;
    if (day.calibrated == 0 && day.uncalibrated() > 0)
        said << french("Aucun étalonnage en vigueur : les mesures restent en mV (« Capteur… »).");
    else if (day.uncalibrated() > 0)
        said << plural(day.uncalibrated(), "%1 mesure sans étalonnage en vigueur reste en mV.",
                       "%1 mesures sans étalonnage en vigueur restent en mV.");
    if (day.excluded > 0) {
        QStringList why;
        if (day.flags.saturated) why << plural(day.flags.saturated, "%1 saturée (4095 mV)", "%1 saturées (4095 mV)");
        // A saturated reading is often « impossible » too: said once, as saturated.
        if (const std::size_t others = day.excluded - std::min(day.excluded, day.flags.saturated))
            why << french("%1 « impossible »").arg(QLocale().toString(qulonglong(others)));
        said << plural(day.excluded, "%1 mesure écartée", "%1 mesures écartées") + " (" + why.join(", ") + ").";
    }
    return said.join(' ');
}

QString flagCounts(const record::FlagCounts& flags)
{
    const QLocale locale;
    QStringList said;
    for (const auto& [count, name] : kinds(flags)) said << name + ' ' + locale.toString(qulonglong(count));
    return said.join(french(" · "));
}

QString raisedFlags(const record::FlagCounts& flags)
{
    const QLocale locale;
    QStringList raised;
    for (const auto& [count, name] : kinds(flags))
        if (count) raised << locale.toString(qulonglong(count)) + QChar(0x00A0) + agreed(name, count);
    return raised.isEmpty() ? french("aucun") : raised.join(french(" · "));
}

QString clock(local_seconds local)
{
    const hh_mm_ss t{local - floor<days>(local)};
    return QTime(int(t.hours().count()), int(t.minutes().count()), int(t.seconds().count())).toString("HH:mm:ss");
}

QString statusFigures(const record::SunlightFigures& figures)
{
    if (figures.calibrated == 0 || !figures.peak) return {};
    return french("%1 · pic %2 W/m² à %3 · ensoleillement %4")
        .arg(kiloWattHours(figures.irradiation), QLocale().toString(*figures.peak, 'f', 0), clock(figures.peakTime),
             duration(figures.sunshineSeconds));
}

}  // namespace sunlight_text

namespace {

struct Row {
    const char* name;
    const char* label;
};
const Row kRows[] = {
    {"irradiation", "Irradiation"},     {"irradiationKwh", ""},
    {"clearSky", "Ciel clair"},         {"ratio", "Rapport au ciel clair"},
    {"coverage", "Couverture"},         {"peak", "Pic"},
    {"peakTime", "Heure du pic"},       {"sunshine", "Ensoleillement"},
    {"dayLength", "Durée du jour"},     {"fraction", "Fraction d'ensoleillement"},
    {"impossible", "« impossible »"},   {"rare", "« rare »"},
    {"saturated", "« saturé »"},        {"stuck", "« figé »"},
    {"excluded", "Mesures écartées"},   {"meanMv", "Moyenne"},
    {"peakMv", "Maximum"},
};

}  // namespace

SummaryPanel::SummaryPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("summary");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 4, 6, 4);
    m_note = new QLabel(this);
    m_note->setObjectName("summaryNote");
    m_note->setWordWrap(true);
    column->addWidget(m_note);
    m_grid = new QGridLayout;
    m_grid->setHorizontalSpacing(10);
    m_grid->setVerticalSpacing(2);
    column->addLayout(m_grid);
    column->addStretch(1);
    auto* dayHeader = new QLabel(QString::fromUtf8("<b>Journée</b>"), this);
    auto* rangeHeader = new QLabel(QString::fromUtf8("<b>Plage</b>"), this);
    m_grid->addWidget(dayHeader, 0, 1, Qt::AlignRight);
    m_grid->addWidget(rangeHeader, 0, 2, Qt::AlignRight);
    int row = 1;
    for (const Row& r : kRows) {
        m_rows[r.name] = row;
        m_grid->addWidget(new QLabel(QString::fromUtf8(r.label), this), row, 0);
        for (int c = 1; c <= 2; ++c) {
            auto* value = new QLabel(this);
            value->setObjectName(QString::fromUtf8("%1.%2").arg(c == 1 ? "day" : "range", r.name));
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            m_grid->addWidget(value, row, c);
        }
        ++row;
    }
}

QString SummaryPanel::value(const std::string& column, const std::string& row) const
{
    const auto found = m_rows.find(row);
    if (found == m_rows.end()) return {};
    const auto* item = m_grid->itemAtPosition(found->second, column == "day" ? 1 : 2);
    return item ? static_cast<QLabel*>(item->widget())->text() : QString();
}

void SummaryPanel::setFigures(const record::SunlightFigures& day, const record::SunlightFigures& range)
{
    fill(1, day);
    fill(2, range);
    const QString leftOut = sunlight_text::readingsLeftOut(day);
    if (day.readings == 0)
        m_note->setText(QString::fromUtf8("Aucune mesure."));
    else
        m_note->setText(leftOut.isEmpty() ? QString::fromUtf8("Mesures étalonnées en W/m².") : leftOut);
}

void SummaryPanel::fill(int column, const record::SunlightFigures& f)
{
    using namespace sunlight_text;
    const QLocale locale;
    const QString none = QString::fromUtf8("—");
    const bool calibrated = f.calibrated > 0;
    auto set = [&](const char* row, const QString& text) {
        static_cast<QLabel*>(m_grid->itemAtPosition(m_rows.at(row), column)->widget())->setText(text);
    };
    set("irradiation", calibrated ? wattHours(f.irradiation) : none);
    set("irradiationKwh", calibrated ? kiloWattHours(f.irradiation) : none);
    set("clearSky", calibrated ? kiloWattHours(f.clearSkyIrradiation) : none);
    set("ratio", calibrated && f.ratio() ? locale.toString(*f.ratio(), 'f', 3) : none);
    set("coverage", percent(f.coverage()));
    set("peak", f.peak ? french("%1 W/m²").arg(locale.toString(*f.peak, 'f', 0)) : none);
    set("peakTime", f.peak ? clock(f.peakTime) : none);
    set("sunshine", calibrated ? sunlight_text::duration(f.sunshineSeconds) : none);
    set("dayLength", sunlight_text::duration(double(f.daylight.count())));
    set("fraction", calibrated && f.sunshineFraction() ? percent(*f.sunshineFraction()) : none);
    set("impossible", locale.toString(qulonglong(f.flags.impossible)));
    set("rare", locale.toString(qulonglong(f.flags.rare)));
    set("saturated", locale.toString(qulonglong(f.flags.saturated)));
    set("stuck", locale.toString(qulonglong(f.flags.stuck)));
    set("excluded", locale.toString(qulonglong(f.excluded)));
    set("meanMv", f.readings ? french("%1 mV").arg(locale.toString(f.meanMillivolts, 'f', 1)) : none);
    set("peakMv", f.readings ? french("%1 mV").arg(locale.toString(f.peakMillivolts)) : none);
}
