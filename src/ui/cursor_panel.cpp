// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/cursor_panel.h"

#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>
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
    const QString s = QString::fromUtf8("%1 s").arg(parts.seconds().count(), 2, 10, QChar('0'));
    if (parts.hours().count()) return QString::fromUtf8("%1 h %2 min ").arg(parts.hours().count()).arg(parts.minutes().count(), 2, 10, QChar('0')) + s;
    if (parts.minutes().count()) return QString::fromUtf8("%1 min ").arg(parts.minutes().count()) + s;
    return QString::fromUtf8("%1 s").arg(parts.seconds().count());
}

/// « min 3 010 mV · max 3 040 mV · moyenne 3 025,0 mV · écart type 9,1 mV »
QString statisticsText(const record::ValueStatistics& s, const char* unit, int decimals)
{
    const QString u = QString::fromUtf8(unit);
    return QString::fromUtf8("min %1 %5 · max %2 %5 · moyenne %3 %5 · écart type %4 %5")
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
    setCursors(std::nullopt, std::nullopt, {});
}

void CursorPanel::setReadout(const QString& text)
{
    m_readout->setText(text);
    m_readout->setVisible(!text.isEmpty());
}

QString CursorPanel::cursorText(char name, const record::CursorReading& reading)
{
    QString text = QString::fromUtf8("%1 %2 · %3 mV")
                       .arg(QChar(name), sunlight_text::clock(local_seconds{reading.point.instant.time_since_epoch() + reading.point.utcOffset()}),
                            QLocale().toString(int(reading.point.millivolts)));
    if (reading.irradiance) text += QString::fromUtf8(" · %1 W/m²").arg(number(*reading.irradiance, 1));
    if (reading.flags & record::kSaturated) text += QString::fromUtf8(" · saturé");
    return text;
}

void CursorPanel::setCursors(const std::optional<record::CursorReading>& a, const std::optional<record::CursorReading>& b,
                             const record::RangeStatistics& between)
{
    if (!a && !b) {
        m_cursors->setText(QString::fromUtf8("Clic : curseur A · clic droit ou Maj+clic : curseur B · touches A, B puis "
                                             "Maj+←/→ : mesure par mesure · Ctrl+molette ou molette sur l'axe : échelle verticale"));
        m_statistics->hide();
        return;
    }
    QStringList lines;
    if (a) lines << cursorText('A', *a);
    if (b) lines << cursorText('B', *b);
    m_statistics->setVisible(a && b);
    if (!a || !b) {
        m_cursors->setText(lines.join('\n'));
        return;
    }
    QString delta = QString::fromUtf8("B − A : Δt %1%2 · %3 mV")
                        .arg(b->point.instant < a->point.instant ? "-" : "", elapsed(abs(b->point.instant - a->point.instant)),
                             signedNumber(double(b->point.millivolts - a->point.millivolts), 0));
    if (a->irradiance && b->irradiance) delta += QString::fromUtf8(" · %1 W/m²").arg(signedNumber(*b->irradiance - *a->irradiance, 1));
    m_cursors->setText((lines << delta).join('\n'));
    QString stats = sunlight_text::plural(between.millivolts.count, "Entre A et B : %1 mesure", "Entre A et B : %1 mesures") +
                    kDot + statisticsText(between.millivolts, "mV", 0);
    if (between.irradiance.count)
        stats += kDot + statisticsText(between.irradiance, "W/m²", 1) +
                 QString::fromUtf8(" · énergie %1 Wh/m² · ensoleillement %2")
                     .arg(number(between.energy, 2), elapsed(seconds(std::llround(between.sunshineSeconds))));
    if (between.excluded) stats += kDot + sunlight_text::plural(between.excluded, "%1 écartée", "%1 écartées");
    m_statistics->setText(stats);
}
