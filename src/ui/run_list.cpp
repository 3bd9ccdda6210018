// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/run_list.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTimeZone>
#include <algorithm>

#include "ui/summary_panel.h"

using namespace std::chrono;

namespace {

// Blue, green, the instrument's magenta, violet, teal, grey, navy, olive green: none within
// reach of the sun's orange (hue 36°), each apart from the others.
const QColor kRunColours[] = {QColor(0, 90, 200),  QColor(0, 140, 70),  QColor(200, 0, 160),
                              QColor(110, 60, 170), QColor(0, 150, 160), QColor(90, 90, 90),
                              QColor(20, 30, 110),  QColor(60, 120, 40)};
constexpr int kColumns = 3;
/// Rows of runs in sight; more are scrolled to.
constexpr int kRowsInSight = 4;

}  // namespace

QColor runColour(std::size_t number)
{
    return kRunColours[(number - 1) % std::size(kRunColours)];
}

QColor sunColour() { return QColor(230, 140, 0); }

QString runLabel(std::size_t number, const DayRun& run, local_days day, const QTimeZone& zone,
                 sys_seconds now)
{
    QString text = sunlight_text::french("Série\u00A0%1").arg(number);
    const auto points = run.points();  // the day's readings; the whole run says whether it runs on
    const auto& all = run.trace.points();
    const auto localDay = [&](sys_seconds instant) {
        const QDate date = QDateTime::fromSecsSinceEpoch(instant.time_since_epoch().count(), zone).date();
        return local_days{year_month_day{year(date.year()), month(unsigned(date.month())), std::chrono::day(unsigned(date.day()))}};
    };
    const auto shown = [&](sys_seconds instant) {
        const QDateTime local = QDateTime::fromSecsSinceEpoch(instant.time_since_epoch().count(), zone);
        const auto later = localDay(instant) - day;
        QString time = local.toString("HH:mm:ss");
        if (later.count() > 0) time += sunlight_text::french(" (+%1 j)").arg(later.count());
        return time;
    };
    if (!points.empty())
        text += sunlight_text::french(" : %1 – %2").arg(shown(points.front().instant), shown(points.back().instant));
    // A run past midnight is still written to the file of the day it began.
    const bool today = localDay(now) == day || (!all.empty() && localDay(all.back().instant) == localDay(now));
    switch (record::runEnd(run.events, run.file.keptNumber != 0, today, run.lastWritten, now)) {
    case record::RunEnd::Stopped: return text + sunlight_text::french(", arrêtée");
    case record::RunEnd::Quit: return text + sunlight_text::french(", quittée");
    case record::RunEnd::Running: return text + sunlight_text::french(", en cours");
    case record::RunEnd::Interrupted: break;
    }
    // An empty file's run never began: nothing was cut short.
    if (all.empty()) return text + sunlight_text::french(", sans mesure");
    return text + sunlight_text::french(", interrompue");
}

class RunList::Runs : public QAbstractTableModel {
public:
    explicit Runs(RunList* list) : QAbstractTableModel(list), m_list(list) {}

    void reset(std::size_t runs, const std::vector<bool>& ticked)
    {
        beginResetModel();
        count = runs;
        shown = ticked;
        shown.resize(count, true);
        endResetModel();
    }
    void changed(std::size_t first, std::size_t last)
    {
        if (first <= last && last < count)
            emit dataChanged(index(int(first / kColumns), 0), index(int(last / kColumns), kColumns - 1));
    }
    static std::size_t runAt(const QModelIndex& index)
    {
        return std::size_t(index.row()) * kColumns + std::size_t(index.column());
    }
    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : int((count + kColumns - 1) / kColumns);
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kColumns; }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() && runAt(index) < count ? Qt::ItemIsEnabled : Qt::NoItemFlags;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        const std::size_t run = runAt(index);
        if (!index.isValid() || run >= count) return {};
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole: return m_list->label ? m_list->label(run) : QString();
        case Qt::ForegroundRole: return QBrush(runColour(run + 1).darker(110));
        case Qt::CheckStateRole: return shown[run] ? Qt::Checked : Qt::Unchecked;
        default: return {};
        }
    }

    std::size_t count = 0;
    std::vector<bool> shown;

private:
    const RunList* m_list;
};

RunList::RunList(QWidget* parent) : QTableView(parent), m_runs(new Runs(this))
{
    setObjectName("runs");
    setModel(m_runs);
    horizontalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height(), style()->pixelMetric(QStyle::PM_IndicatorHeight)) + 4);
    setShowGrid(false);
    setWordWrap(false);
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Long labels are elided in their column: they never hold the window wide.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    QPalette look = palette();
    look.setColor(QPalette::Base, look.color(QPalette::Window));
    setPalette(look);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) { toggle(index); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { m_atEnd = value == verticalScrollBar()->maximum(); });
    hide();
}

RunList::~RunList() = default;

void RunList::setRuns(std::size_t count, const std::vector<bool>& shown)
{
    m_runs->reset(count, shown);
    if (count == 0) m_atEnd = true;  // a day opened afresh shows its newest run
    const int rows = m_runs->rowCount({});
    setFixedHeight(std::min(rows, kRowsInSight) * verticalHeader()->defaultSectionSize());
    setVisible(rows > 0);
}

void RunList::updateGeometries()
{
    // At the end, the list stays there as it grows or is laid out again: the newest run in sight.
    const bool atEnd = m_atEnd;
    QTableView::updateGeometries();
    if (atEnd) verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void RunList::labelsChanged() { m_runs->changed(0, m_runs->count - 1); }

void RunList::setShown(std::size_t run, bool shown)
{
    if (run >= m_runs->count || m_runs->shown[run] == shown) return;
    m_runs->shown[run] = shown;
    m_runs->changed(run, run);
}

QString RunList::shownLabel(std::size_t run) const { return m_runs->data(indexOf(run), Qt::DisplayRole).toString(); }

QModelIndex RunList::indexOf(std::size_t run) const
{
    return m_runs->index(int(run / kColumns), int(run % kColumns));
}

void RunList::toggle(const QModelIndex& index)
{
    const std::size_t run = Runs::runAt(index);
    if (!index.isValid() || run >= m_runs->count) return;
    const bool shown = !m_runs->shown[run];
    setShown(run, shown);
    if (toggled) toggled(run, shown);
}

void RunList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Select) toggle(currentIndex());
    else QTableView::keyPressEvent(event);
}
