// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/run_list.h"

#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimeZone>

using namespace std::chrono;

namespace {

// Blue, green, the instrument's magenta, violet, teal, grey, navy, olive green: none within
// reach of the sun's orange (hue 36°), each apart from the others.
const QColor kRunColours[] = {QColor(0, 90, 200),  QColor(0, 140, 70),  QColor(200, 0, 160),
                              QColor(110, 60, 170), QColor(0, 150, 160), QColor(90, 90, 90),
                              QColor(20, 30, 110),  QColor(60, 120, 40)};
constexpr int kColumns = 3;

}  // namespace

QColor runColour(std::size_t number)
{
    return kRunColours[(number - 1) % std::size(kRunColours)];
}

QColor sunColour() { return QColor(230, 140, 0); }

QString runLabel(std::size_t number, const DayRun& run, local_days day, const QTimeZone& zone,
                 sys_seconds now)
{
    QString text = QString::fromUtf8("Série %1").arg(number);
    const auto& points = run.trace.points();
    const auto localDay = [&](sys_seconds instant) {
        const QDate date = QDateTime::fromSecsSinceEpoch(instant.time_since_epoch().count(), zone).date();
        return local_days{year_month_day{year(date.year()), month(unsigned(date.month())), std::chrono::day(unsigned(date.day()))}};
    };
    const auto shown = [&](sys_seconds instant) {
        const QDateTime local = QDateTime::fromSecsSinceEpoch(instant.time_since_epoch().count(), zone);
        const auto later = localDay(instant) - day;
        QString time = local.toString("HH:mm:ss");
        if (later.count() > 0) time += QString::fromUtf8(" (+%1 j)").arg(later.count());
        return time;
    };
    if (!points.empty())
        text += QString::fromUtf8(" : %1 – %2").arg(shown(points.front().instant), shown(points.back().instant));
    // A run past midnight is still written to the file of the day it began.
    const bool today = localDay(now) == day || (!points.empty() && localDay(points.back().instant) == localDay(now));
    switch (record::runEnd(run.events, run.file.keptNumber != 0, today, run.lastWritten, now)) {
    case record::RunEnd::Stopped: return text + QString::fromUtf8(", arrêtée");
    case record::RunEnd::Quit: return text + QString::fromUtf8(", quittée");
    case record::RunEnd::Running: return text + QString::fromUtf8(", en cours");
    case record::RunEnd::Interrupted: break;
    }
    return text + QString::fromUtf8(", interrompue");
}

RunList::RunList(QWidget* parent) : QWidget(parent), m_grid(new QGridLayout(this))
{
    setObjectName("runs");
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setHorizontalSpacing(12);
    m_grid->setVerticalSpacing(0);
}

void RunList::setRuns(const std::vector<QString>& labels, const std::vector<bool>& shown)
{
    for (QCheckBox* box : m_boxes) delete box;
    m_boxes.clear();
    for (std::size_t i = 0; i < labels.size(); ++i) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("run%1").arg(i + 1));
        box->setChecked(i >= shown.size() || shown[i]);
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, runColour(i + 1).darker(110));
        box->setPalette(palette);
        // Elided labels must not hold the window wide: a box is as narrow as its number.
        box->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) {
            if (toggled) toggled(i, on);
        });
        m_grid->addWidget(box, int(i) / kColumns, int(i) % kColumns);
        m_boxes.push_back(box);
    }
    for (int column = 0; column < kColumns; ++column) m_grid->setColumnStretch(column, 1);
    setLabels(labels);
}

void RunList::setLabels(const std::vector<QString>& labels)
{
    m_labels = labels;
    elide();
}

void RunList::setShown(std::size_t run, bool shown)
{
    if (run < m_boxes.size() && m_boxes[run]->isChecked() != shown) m_boxes[run]->setChecked(shown);
}

QString RunList::label(std::size_t run) const { return run < m_labels.size() ? m_labels[run] : QString(); }

void RunList::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    elide();
}

void RunList::elide()
{
    for (std::size_t i = 0; i < m_boxes.size() && i < m_labels.size(); ++i) {
        QCheckBox* box = m_boxes[i];
        QStyleOptionButton option;
        option.initFrom(box);
        const int indicator = box->style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, box) +
                              box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, box) + 4;
        const int room = std::max(0, (width() - m_grid->horizontalSpacing() * (kColumns - 1)) / kColumns - indicator);
        box->setText(box->fontMetrics().elidedText(m_labels[i], Qt::ElideRight, room));
        box->setToolTip(m_labels[i]);
    }
}
