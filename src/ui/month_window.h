// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// « Bilan du mois »: one row per day of a month that has a measurement file in the data folder
// (record::DaySummary), a bar chart of each day's irradiation over its clear-sky bar, the
// month's totals and the table as CSV. A double-click on a row asks for that day in the day view;
// several rows chosen, « Comparer ces jours » asks for them on one chart.
#include <QTimeZone>
#include <QWidget>
#include <chrono>
#include <filesystem>
#include <functional>
#include <vector>

#include "record/month_summary.h"

class QCustomPlot;
class QCPBars;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;

class MonthWindow : public QWidget {
public:
    MonthWindow(std::filesystem::path folder, QTimeZone zone, std::chrono::year_month month,
                QWidget* parent = nullptr);

    /// Reads the folder's days of `month` and shows them.
    void setMonth(std::chrono::year_month month);
    std::chrono::year_month month() const { return m_month; }
    const std::vector<record::DaySummary>& days() const { return m_days; }
    QTableWidget* table() const { return m_table; }
    /// The table as CSV (record::monthCsv), refused over a measurement file or a companion (by
    /// name or through a link); the outcome said in the window's message area. The French
    /// message of a refusal or a failure, or nothing.
    QString exportCsv(const std::filesystem::path& path);

    /// Called with the day of a double-clicked row.
    std::function<void(std::chrono::year_month_day)> openDay;
    /// Called by « Comparer ces jours » with the chosen rows' days in date order (two or more):
    /// the first is opened, the others laid beside it.
    std::function<void(const std::vector<std::chrono::year_month_day>&)> compareDays;
    /// The chosen rows' days, in date order.
    std::vector<std::chrono::year_month_day> chosenDays() const;

private:
    void chooseCsv();

    std::filesystem::path m_folder;
    QTimeZone m_zone;
    std::chrono::year_month m_month;
    std::vector<record::DaySummary> m_days;
    QDateEdit* m_picker;
    QTableWidget* m_table;
    QCustomPlot* m_chart;
    QCPBars *m_clearSkyBars, *m_irradiationBars;
    QLabel* m_totals;
    QLabel* m_errors;
    QPushButton* m_compare;
};
