// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/cursor_panel.h"

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "ui/summary_panel.h"

using namespace std::chrono;

namespace {

const QString kDot = QString::fromUtf8(" · ");

QString number(double value, int decimals) { return QLocale().toString(value, 'f', decimals); }

QString signedNumber(double value, int decimals)
{
    return (value > 0 ? QString("+") : QString()) + number(value, decimals);
}

/// « 1 h 02 min 05 s », « 2 min 05 s », « 30 s »
QString elapsed(seconds t)
{
    const hh_mm_ss<seconds> parts{t};
    const QString s = sunlight_text::french("%1 s").arg(parts.seconds().count(), 2, 10, QChar('0'));
    if (parts.hours().count())
        return sunlight_text::french("%1 h\u00A0%2 min\u00A0").arg(parts.hours().count()).arg(parts.minutes().count(), 2, 10, QChar('0')) + s;
    if (parts.minutes().count()) return sunlight_text::french("%1 min\u00A0").arg(parts.minutes().count()) + s;
    return sunlight_text::french("%1 s").arg(parts.seconds().count());
}

/// « min 3 010 mV · max 3 040 mV · moyenne 3 025,0 mV · écart type 9,1 mV »
QString statisticsText(const record::ValueStatistics& s, const char* unit, int decimals)
{
    const QString u = QString::fromUtf8(unit);
    return QString::fromUtf8("min %1\u00A0%5 · max %2\u00A0%5 · moyenne %3\u00A0%5 · écart\u00A0type %4\u00A0%5")
        .arg(number(s.minimum, decimals), number(s.maximum, decimals), number(s.mean, decimals + 1),
             number(s.deviation, decimals + 1), u);
}

}  // namespace

CursorPanel::CursorPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName("cursorPanel");
    setFrameShape(QFrame::StyledPanel);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 3, 6, 3);
    column->setSpacing(1);
    const auto label = [&](const char* name) {
        auto* made = new QLabel(this);
        made->setObjectName(name);
        made->setWordWrap(true);
        made->setTextInteractionFlags(Qt::TextSelectableByMouse);
        column->addWidget(made);
        return made;
    };
    m_readout = label("cursorReadout");
    m_cursors = label("cursorValues");
    m_statistics = label("rangeStatistics");
    m_days = new QTableWidget(0, 11, this);
    m_days->setObjectName("dayStatistics");
    m_days->verticalHeader()->hide();
    m_days->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_days->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_days->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_days->setSelectionMode(QAbstractItemView::NoSelection);
    m_days->setFocusPolicy(Qt::NoFocus);
    column->addWidget(m_days);
    setCursors(std::nullopt, std::nullopt, {});
}

void CursorPanel::setReadout(const QString& text)
{
    m_readout->setText(text);
    m_readout->setVisible(!text.isEmpty());
}

QString CursorPanel::cursorText(char name, const record::CursorReading& reading)
{
    QString text = sunlight_text::french("%1 %2 · %3 mV")
                       .arg(QChar(name), sunlight_text::clock(local_seconds{reading.point.instant.time_since_epoch() + reading.point.utcOffset()}),
                            QLocale().toString(int(reading.point.millivolts)));
    if (reading.irradiance) text += sunlight_text::french(" · %1 W/m²").arg(number(*reading.irradiance, 1));
    if (reading.flags & record::kSaturated) text += QString::fromUtf8(" · saturé");
    return text;
}

void CursorPanel::setCursors(const std::optional<record::CursorReading>& a, const std::optional<record::CursorReading>& b,
                             const std::vector<Day>& days, bool irradiance)
{
    const bool compared = days.size() > 1;
    m_days->setVisible(compared && (a || b));
    if (!a && !b) {
        m_cursors->setText(sunlight_text::french("Clic : curseur A · clic droit ou Maj+clic : curseur B · touches A, B puis "
                                                 "Maj+←/→ : mesure par mesure · Échap : sans curseurs · Ctrl+molette ou "
                                                 "molette sur l'axe : échelle verticale"));
        m_statistics->hide();
        return;
    }
    if (compared) showDays(days, a && b, irradiance);
    QStringList lines;
    if (a) lines << cursorText('A', *a);
    if (b) lines << cursorText('B', *b);
    m_statistics->setVisible(a && b && !compared);
    if (!a || !b) {
        m_cursors->setText(lines.join('\n'));
        return;
    }
    QString delta = sunlight_text::french("B − A : Δt %1%2 · %3 mV")
                        .arg(b->point.instant < a->point.instant ? "-" : "", elapsed(abs(b->point.instant - a->point.instant)),
                             signedNumber(double(b->point.millivolts - a->point.millivolts), 0));
    if (a->irradiance && b->irradiance) delta += sunlight_text::french(" · %1 W/m²").arg(signedNumber(*b->irradiance - *a->irradiance, 1));
    m_cursors->setText((lines << delta).join('\n'));
    if (compared || days.empty()) return;
    const record::RangeStatistics& between = days.front().between;
    QString stats = sunlight_text::plural(between.millivolts.count, "Entre A et B : %1 mesure", "Entre A et B : %1 mesures") +
                    kDot + statisticsText(between.millivolts, "mV", 0);
    if (between.irradiance.count)
        stats += kDot + statisticsText(between.irradiance, "W/m²", 1) +
                 sunlight_text::french(" · énergie %1 Wh/m² · ensoleillement %2")
                     .arg(number(between.energy, 2), elapsed(seconds(std::llround(between.sunshineSeconds))));
    if (between.excluded) stats += kDot + sunlight_text::plural(between.excluded, "%1 écartée", "%1 écartées");
    m_statistics->setText(stats);
}

void CursorPanel::showDays(const std::vector<Day>& days, bool bothCursors, bool irradiance)
{
    const QString unit = QString::fromUtf8(irradiance ? "W/m²" : "mV");
    m_days->setHorizontalHeaderLabels({"Jour", QString("A (%1)").arg(unit), QString("B (%1)").arg(unit), QString::fromUtf8("B − A"),
                                       "Mesures", "Min", "Max", "Moyenne", QString::fromUtf8("Écart type"),
                                       QString::fromUtf8("Énergie\n(Wh/m²)"), "Ensoleil-\nlement"});
    const int decimals = irradiance ? 1 : 0;
    // A reading in the table's unit: « — » for one without W/m² (uncalibrated, saturated).
    const auto value = [irradiance](const std::optional<record::CursorReading>& r) {
        return irradiance ? r->irradiance : std::optional(double(r->point.millivolts));
    };
    const auto at = [&](const std::optional<record::CursorReading>& r) {
        if (!r) return QString();
        const std::optional<double> v = value(r);
        return sunlight_text::clock(local_seconds{r->point.instant.time_since_epoch() + r->point.utcOffset()}) + "  " +
               (v ? number(*v, decimals) : QString::fromUtf8("—"));
    };
    m_days->setRowCount(int(days.size()));
    for (std::size_t d = 0; d < days.size(); ++d) {
        const Day& day = days[d];
        const record::ValueStatistics& s = irradiance ? day.between.irradiance : day.between.millivolts;
        const std::optional<double> a = day.a ? value(day.a) : std::nullopt, b = day.b ? value(day.b) : std::nullopt;
        const bool figures = bothCursors && s.count > 0, sunlit = bothCursors && day.between.irradiance.count > 0;
        const QString cells[] = {
            day.colour.isValid() ? QString::fromUtf8("■ ") + day.date : day.date,
            at(day.a),
            at(day.b),
            a && b ? signedNumber(*b - *a, decimals) : QString(),
            bothCursors ? QLocale().toString(qulonglong(day.between.millivolts.count)) : QString(),
            figures ? number(s.minimum, decimals) : QString(),
            figures ? number(s.maximum, decimals) : QString(),
            figures ? number(s.mean, decimals + 1) : QString(),
            figures ? number(s.deviation, decimals + 1) : QString(),
            sunlit ? number(day.between.energy, 2) : QString(),
            sunlit ? elapsed(seconds(std::llround(day.between.sunshineSeconds))) : QString()};
        for (int c = 0; c < m_days->columnCount(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            if (c == 0 && day.colour.isValid()) item->setForeground(day.colour);
            m_days->setItem(int(d), c, item);
        }
    }
    // Eight days in sight (the day on view and seven more), the others a scroll away.
    m_days->resizeColumnsToContents();
    const int rows = std::min(m_days->rowCount(), 8);
    m_days->setFixedHeight(m_days->horizontalHeader()->sizeHint().height() + rows * m_days->verticalHeader()->defaultSectionSize() +
                           2 * m_days->frameWidth() + m_days->horizontalScrollBar()->sizeHint().height() *
                                                          (m_days->horizontalHeader()->length() > m_days->viewport()->width()));
}
