// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "ui/month_window.h"

#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <algorithm>

#include "platform/month_report.h"
#include "platform/saved_file.h"
#include "platform/system_message.h"
#include "ui/journal_export.h"
#include "ui/journal_window.h"
#include "ui/summary_panel.h"

using namespace std::chrono;

namespace {

constexpr int kMonthColumns = 15, kSiteColumn = 1, kFlagColumn = 12;

QString monthTitle(year_month month)
{
    return QLocale(QLocale::French, QLocale::France)
        .toString(QDate(int(month.year()), int(unsigned(month.month())), 1), "MMMM yyyy");
}

}  // namespace

MonthWindow::MonthWindow(std::filesystem::path folder, QTimeZone zone, year_month month, QWidget* parent)
    : QWidget(parent, Qt::Window), m_folder(std::move(folder)), m_zone(std::move(zone)), m_month(month)
{
    setObjectName("monthWindow");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* tools = new QHBoxLayout;
    auto button = [&](const char* name, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(name);
        tools->addWidget(b);
        return b;
    };
    QPushButton* previous = button("previousMonth", "◀ Mois précédent");
    m_picker = new QDateEdit(this);
    m_picker->setObjectName("monthPicker");
    m_picker->setLocale(QLocale(QLocale::French, QLocale::France));
    m_picker->setDisplayFormat("MMMM yyyy");
    m_picker->setCalendarPopup(true);
    tools->addWidget(m_picker);
    QPushButton* next = button("nextMonth", "Mois suivant ▶");
    tools->addStretch(1);
    m_compare = button("compareDays", "Comparer ces jours");
    m_compare->setToolTip(QString::fromUtf8("Ouvrir le premier des jours choisis (Ctrl+clic, Maj+clic) dans le journal, "
                                            "les autres posés sur le même graphique"));
    m_compare->setEnabled(false);
    QPushButton* csv = button("exportMonthCsv", "CSV…");
    column->addLayout(tools);
    connect(previous, &QPushButton::clicked, this, [this] { setMonth(m_month - months(1)); });
    connect(next, &QPushButton::clicked, this, [this] { setMonth(m_month + months(1)); });
    connect(m_picker, &QDateEdit::dateChanged, this, [this](const QDate& date) {
        const year_month chosen{std::chrono::year(date.year()), std::chrono::month(unsigned(date.month()))};
        if (chosen != m_month) setMonth(chosen);
    });
    connect(csv, &QPushButton::clicked, this, [this] { chooseCsv(); });

    m_errors = new QLabel(this);
    m_errors->setObjectName("monthErrors");
    m_errors->setWordWrap(true);
    m_errors->setStyleSheet("QLabel { background: #fff3cd; color: #5a3d00; padding: 4px; }");
    column->addWidget(m_errors);

    auto* split = new QSplitter(Qt::Vertical, this);
    m_table = new QTableWidget(0, kMonthColumns, split);
    m_table->setObjectName("monthTable");
    m_table->setHorizontalHeaderLabels(
        {"Jour", "Site", QString::fromUtf8("Séries"), "Couver-\nture", "Irradiation\n(kWh/m²)", "Ciel clair\n(kWh/m²)",
         "Rapport", "Ensoleil-\nlement", QString::fromUtf8("Durée\ndu jour"), "Fraction", QString::fromUtf8("Pic\n(W/m²)"),
         "Heure\ndu pic", "Drapeaux", "Moyenne\n(mV)", "Pic\n(mV)"});
    // Every column in sight at 1000 pixels without a sideways scroll bar: the figures take their
    // width, the sites and the flags share what is left and wrap between their parts, each row as
    // high as its longest.
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(kSiteColumn, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(kFlagColumn, QHeaderView::Stretch);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setWordWrap(true);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->verticalHeader()->hide();
    m_table->setToolTip(QString::fromUtf8("Double-cliquez sur un jour pour l'ouvrir dans le journal"));
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (openDay && row >= 0 && row < int(m_days.size())) openDay(m_days[std::size_t(row)].date);
    });
    connect(m_table, &QTableWidget::itemSelectionChanged, this, [this] { m_compare->setEnabled(chosenDays().size() > 1); });
    connect(m_compare, &QPushButton::clicked, this, [this] {
        if (const auto chosen = chosenDays(); compareDays && chosen.size() > 1) compareDays(chosen);
    });
    m_chart = new QCustomPlot(split);
    m_chart->setObjectName("monthChart");
    m_chart->setMinimumHeight(180);
    m_clearSkyBars = new QCPBars(m_chart->xAxis, m_chart->yAxis);
    m_clearSkyBars->setName(QString::fromUtf8("Ciel clair"));
    m_clearSkyBars->setWidth(0.8);
    m_clearSkyBars->setPen(QPen(QColor(150, 150, 150)));
    m_clearSkyBars->setBrush(QColor(220, 220, 220));
    m_irradiationBars = new QCPBars(m_chart->xAxis, m_chart->yAxis);
    m_irradiationBars->setName(QString::fromUtf8("Irradiation"));
    m_irradiationBars->setWidth(0.5);
    m_irradiationBars->setPen(QPen(QColor(200, 110, 0)));
    m_irradiationBars->setBrush(QColor(245, 160, 40));
    m_chart->xAxis->setLabel(QString::fromUtf8("Jour du mois"));
    m_chart->yAxis->setLabel(QString::fromUtf8("Irradiation (kWh/m²)"));
    // The legend in a row of its own above the bars, side by side, so that it never hides a day.
    m_chart->legend->setVisible(true);
    m_chart->axisRect()->insetLayout()->take(m_chart->legend);
    m_chart->plotLayout()->insertRow(0);
    m_chart->plotLayout()->addElement(0, 0, m_chart->legend);
    m_chart->plotLayout()->setRowStretchFactor(0, 0.001);
    m_chart->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    m_chart->legend->setMargins(QMargins(4, 2, 4, 2));
    m_chart->legend->setBorderPen(Qt::NoPen);  // the row is the window's width: a frame would run off it
    split->addWidget(m_table);
    split->addWidget(m_chart);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    column->addWidget(split, 1);
    m_totals = new QLabel(this);
    m_totals->setObjectName("monthTotals");
    m_totals->setWordWrap(true);
    column->addWidget(m_totals);
    resize(1000, 680);
    setMonth(month);
}

void MonthWindow::setMonth(year_month month)
{
    m_month = month;
    setWindowTitle(QString::fromUtf8("Bilan du mois — %1").arg(monthTitle(month)));
    {
        const QSignalBlocker quiet(m_picker);
        m_picker->setDate(QDate(int(month.year()), int(unsigned(month.month())), 1));
    }
    const MonthReport report = reportMonth(m_folder, month, zoneOffsets(m_zone, local_days(month / 1)));
    m_days = report.days;
    std::string said = report.errors;
    if (report.status == 0 && m_days.empty()) said += record::emptyMonthMessage(m_folder, month);
    m_errors->setText(QString::fromStdString(said).trimmed());
    m_errors->setVisible(!m_errors->text().isEmpty());

    using sunlight_text::percent;
    using sunlight_text::clock;
    using sunlight_text::kiloWattHours;
    using sunlight_text::flagCounts;
    using sunlight_text::raisedFlags;
    const auto hours = [](double s) { return sunlight_text::duration(s); };
    const QLocale locale;
    const QString none;
    m_table->setRowCount(int(m_days.size()));
    QVector<double> keys, irradiation, clearSky;
    bool allCalibrated = true;
    for (std::size_t r = 0; r < m_days.size(); ++r) {
        const record::DaySummary& day = m_days[r];
        const record::SunlightFigures& f = day.figures;
        const bool calibrated = f.calibrated > 0;
        const QString cells[] = {
            qDateOf(local_days{day.date}).toString("dd/MM"),
            QString::fromStdString(day.site), locale.toString(qulonglong(day.runs)), percent(f.coverage()),
            calibrated ? locale.toString(f.irradiation / 1000, 'f', 3) : none,
            calibrated ? locale.toString(f.clearSkyIrradiation / 1000, 'f', 3) : none,
            calibrated && f.ratio() ? locale.toString(*f.ratio(), 'f', 3) : none,
            calibrated ? hours(f.sunshineSeconds) : none, hours(double(f.daylight.count())),
            calibrated && f.sunshineFraction() ? percent(*f.sunshineFraction()) : none,
            f.peak ? locale.toString(*f.peak, 'f', 0) : none, f.peak ? clock(f.peakTime) : none,
            raisedFlags(f.flags), f.readings ? locale.toString(f.meanMillivolts, 'f', 1) : none,
            f.readings ? locale.toString(f.peakMillivolts) : none};
        for (int c = 0; c < kMonthColumns; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == kSiteColumn) item->setToolTip(cells[c]);
            else item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == kFlagColumn) item->setToolTip(flagCounts(f.flags));
            m_table->setItem(int(r), c, item);
        }
        allCalibrated = allCalibrated && calibrated;
        keys.push_back(double(unsigned(day.date.day())));
        irradiation.push_back(calibrated ? f.irradiation / 1000 : 0);
        clearSky.push_back(calibrated ? f.clearSkyIrradiation / 1000 : 0);
    }
    // The millivolts only for a day that stays in them.
    for (const int c : {kMonthColumns - 2, kMonthColumns - 1}) m_table->setColumnHidden(c, allCalibrated);
    m_clearSkyBars->setData(keys, clearSky, true);
    m_irradiationBars->setData(keys, irradiation, true);
    const double lastDay = double(unsigned((month / last).day()));
    m_chart->xAxis->setRange(0.4, lastDay + 0.6);
    double highest = 1;
    for (const double v : clearSky) highest = std::max(highest, v);
    for (const double v : irradiation) highest = std::max(highest, v);
    m_chart->yAxis->setRange(0, highest * 1.1);
    m_chart->replot(QCustomPlot::rpQueuedReplot);

    const record::MonthTotals totals = record::monthTotals(m_days);
    const record::SunlightFigures& f = totals.figures;
    // Each count with its own number: « 2 jours mesurés, 1 étalonné ».
    QString text = sunlight_text::plural(totals.days, "%1 jour mesuré, ", "%1 jours mesurés, ") +
                   sunlight_text::plural(totals.calibratedDays, "%1 étalonné", "%1 étalonnés");
    if (totals.calibratedDays > 0) {
        text += sunlight_text::french(" · irradiation %1 · ciel clair %2").arg(kiloWattHours(f.irradiation), kiloWattHours(f.clearSkyIrradiation));
        if (f.ratio()) text += sunlight_text::french(" · rapport %1").arg(locale.toString(*f.ratio(), 'f', 3));
        text += sunlight_text::french(" · ensoleillement %1").arg(hours(f.sunshineSeconds));
        if (f.sunshineFraction()) text += sunlight_text::french(" (%1)").arg(percent(*f.sunshineFraction()));
        if (f.peak) {
            const year_month_day peakDay{std::chrono::floor<std::chrono::days>(f.peakTime)};
            text += sunlight_text::french(" · pic %1 W/m² le %2 à %3")
                        .arg(locale.toString(*f.peak, 'f', 0))
                        .arg(unsigned(peakDay.day()))
                        .arg(clock(f.peakTime));
        }
    }
    text += sunlight_text::french(" · couverture %1 · %2").arg(percent(f.coverage()), flagCounts(f.flags));
    m_totals->setText(sunlight_text::french("<b>Mois :</b> ") + text.toHtmlEscaped());
}

std::vector<year_month_day> MonthWindow::chosenDays() const
{
    std::vector<year_month_day> out;
    for (const QModelIndex& row : m_table->selectionModel()->selectedRows()) out.push_back(m_days.at(std::size_t(row.row())).date);
    std::sort(out.begin(), out.end());  // in the month's order, whatever the order they were chosen in
    return out;
}

QString MonthWindow::exportCsv(const std::filesystem::path& path)
{
    QString failure = refusalOverRecord(path);
    if (failure.isEmpty())
        if (const int error = saveWholeFile(path, std::string(record::kUtf8ByteOrderMark) + record::monthCsv(m_days)))
            failure = sunlight_text::french("Écriture impossible dans %1 : %2.")
                          .arg(shownPath(path), QString::fromStdString(frenchReason(error)));
    m_errors->setText(failure.isEmpty() ? sunlight_text::french("CSV enregistré : %1").arg(shownPath(path)) : failure);
    m_errors->setVisible(true);
    return failure;
}

void MonthWindow::chooseCsv()
{
    char name[32];
    std::snprintf(name, sizeof name, "bilan-%04d-%02u.csv", int(m_month.year()), unsigned(m_month.month()));
    const QString file = QFileDialog::getSaveFileName(this, QString::fromUtf8("CSV du mois"),
                                                      shownPath(m_folder / name), QString::fromUtf8("CSV (*.csv)"));
    if (file.isEmpty()) return;
    exportCsv(chosenPath(file));
}
