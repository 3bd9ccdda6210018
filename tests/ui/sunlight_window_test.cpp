// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The day view in sunlight terms on real files: a calibrated day in W/m² and its résumé,
// « Capteur… » adding a row, « Bilan du mois » listing a folder's days and opening one.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "acquisition/measurement_file.h"
#include "platform/month_report.h"
#include "support/temp_dir.h"
#include "ui/journal_chart.h"
#include "ui/journal_window.h"
#include "ui/month_window.h"
#include "ui/sensor_dialog.h"
#include "ui/summary_panel.h"

namespace {

using namespace std::chrono;
using std::filesystem::path;

void write(const path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

// Every minute from `first` for `count` minutes local, 1000 mV and 1002 mV in turn (never the
// same value twice, so never « figé »), but 4095 mV (« saturé ») at `saturated`.
std::string everyMinute(minutes first, int count, minutes saturated = 0min)
{
    std::string out;
    for (int i = 0; i <= count; ++i)
        out += acquisition::dataLine(i + 2, first + i * 1min == saturated ? 4095 : i % 2 ? 1002 : 1000, hh_mm_ss<seconds>{first + i * 1min});
    return out;
}
std::string fourHours() { return everyMinute(10h, 240, 10h + 30min); }

const std::string kHeader = "depuis;capteur;sensibilite_mV_par_W_m2;decalage_mV;A;B\r\n";

class SunlightWindow : public ::testing::Test {
protected:
    SunlightWindow() { std::filesystem::create_directory(folder); }
    std::unique_ptr<JournalWindow> open(const path& file)
    {
        return std::make_unique<JournalWindow>(
            JournalSetup{file, QTimeZone("Europe/Paris"), local_days{2026y / June / 21}, 500, [] { return sys_days{2026y / June / 22} + 8h; }, 32 << 20});
    }
    TempDir dir;
    path folder = dir.path() / "velmorixon";
};

TEST_F(SunlightWindow, ACalibratedAfternoonIsInWattsPerSquareMetreAndTheMorningStaysInMillivolts)
{
    write(folder / "data06-21-2026.val", fourHours());
    // From noon on: 2 mV per W/m², no offset, so 1000 and 1002 mV are 500 and 501 W/m².
    write(folder / "capteur.csv", kHeader + "2026-06-21T12:00:00+02:00;essai;2;0;0,73;0,06\r\n");
    auto view = open(folder / "data06-21-2026.val");

    EXPECT_EQ(view->findChild<QComboBox*>("unit")->currentText(), QString::fromUtf8("W/m²"));
    // 12:00 to 14:00: 120 one-minute trapezoids of 500,5 W/m² on average, 1001 Wh/m².
    const QLocale locale;
    EXPECT_EQ(view->summary().value("day", "irradiation"), locale.toString(1001.0, 'f', 0) + QString::fromUtf8(" Wh/m²"));
    EXPECT_EQ(view->summary().value("day", "irradiationKwh"), QString::fromUtf8("1,001 kWh/m²"));
    EXPECT_EQ(view->summary().value("day", "peak"), QString::fromUtf8("501 W/m²"));
    EXPECT_EQ(view->summary().value("day", "stuck"), "0");
    EXPECT_EQ(view->summary().value("day", "saturated"), "1");
    EXPECT_EQ(view->summary().value("day", "excluded"), "1");
    // 10:00 to 11:59: 120 readings without a row in force.
    EXPECT_TRUE(view->findChild<QLabel*>("journalMessage")->text().contains(
        QString::fromUtf8("120 mesures sans étalonnage en vigueur restent en mV")));
    // At its size with the résumé open, the status bar's figures are whole while the pointer is off the chart.
    view->show();
    const auto* figures = view->findChild<QLabel*>("figures");
    EXPECT_EQ(figures->text(), figures->toolTip());
    EXPECT_TRUE(figures->text().contains(QString::fromUtf8("ensoleillement")));
    EXPECT_FALSE(view->findChild<QLabel*>("cursorReadout")->isVisible());
    // Drawn: the afternoon only, in W/m².
    const auto drawn = view->chart()->runGraph(0)->data();
    EXPECT_EQ(std::count_if(drawn->begin(), drawn->end(), [](const QCPGraphData& d) { return !std::isnan(d.value); }), 121);
    EXPECT_EQ(std::count_if(drawn->begin(), drawn->end(), [](const QCPGraphData& d) { return d.value == 500; }), 61);

    // The CSV says each reading's irradiance, clear-sky index and flag.
    ASSERT_EQ(view->exportCsv(dir.path() / "jour.csv", true), QString());
    const std::string csv = TempDir::read(dir.path() / "jour.csv");
    EXPECT_NE(csv.find("2026-06-21T10:30:00+02:00;32;4095;"), std::string::npos);
    EXPECT_NE(csv.find(";;;sature\r\n2026-06-21T10:31:00"), std::string::npos);
    EXPECT_NE(csv.find(";500,0;0,"), std::string::npos);

    // Back in millivolts: the morning is drawn too, and the saturated reading marked at 4095 mV.
    emit view->findChild<QComboBox*>("unit")->activated(0);
    EXPECT_EQ(view->chart()->valueAxis()->label(), QString::fromUtf8("Tension (mV)"));
    EXPECT_EQ(view->chart()->runGraph(0)->data()->size(), 241);
    const auto saturated = view->chart()->flagGraph(record::kSaturated)->data();
    ASSERT_EQ(saturated->size(), 1);
    EXPECT_EQ(saturated->begin()->value, 4095);
    EXPECT_EQ(JournalChart::instantOf(saturated->begin()->key), sys_days{2026y / June / 21} + 8h + 30min);
}

TEST_F(SunlightWindow, AHiddenRunLeavesTheVisibleRangesFiguresAndStaysInTheDays)
{
    write(folder / "data06-21-2026.val.1", fourHours());
    write(folder / "data06-21-2026.val", everyMinute(15h, 60));
    write(folder / "capteur.csv", kHeader + "2026-06-01T00:00:00+02:00;essai;2;0;0,73;0,06\r\n");
    auto view = open(folder / "data06-21-2026.val");
    // 240 minutes at 500,5 W/m² with 10:30 bridged at 501, then 60 minutes at 500,5.
    const QLocale locale;
    const QString both = locale.toString(2502.52, 'f', 0) + QString::fromUtf8(" Wh/m²");
    EXPECT_EQ(view->summary().value("range", "irradiation"), both);
    view->setRunShown(1, false);
    EXPECT_EQ(view->summary().value("range", "irradiation"), locale.toString(2002.0, 'f', 0) + QString::fromUtf8(" Wh/m²"));
    EXPECT_EQ(view->summary().value("day", "irradiation"), both);
}

TEST_F(SunlightWindow, TheSensorDialogNamesAMalformedRowRefusesAMalformedEntryAndAddsExactlyOneRow)
{
    const std::string before = kHeader + "2026-06-01T00:00:00+02:00;ancien;3,1;nuit;0,73;0,06\r\n" + "hier;cassé\r\n";
    write(folder / "capteur.csv", before);
    SensorDialog dialog(folder, QTimeZone("Europe/Paris"), [] { return sys_days{2026y / June / 22} + 8h; });
    const QString problems = dialog.findChild<QLabel*>("historyProblems")->text();
    EXPECT_TRUE(problems.contains("capteur.csv") && problems.contains("ligne 3")) << problems.toStdString();
    EXPECT_EQ(dialog.findChild<QTableWidget*>("history")->rowCount(), 1);

    dialog.findChild<QLineEdit*>("sensorName")->setText("SP-110");
    dialog.findChild<QLineEdit*>("sensitivity")->setText("deux");
    EXPECT_TRUE(dialog.addRow().startsWith(QString::fromUtf8("Sensibilité illisible : « deux »")));
    dialog.findChild<QLineEdit*>("sensitivity")->setText("-1");
    EXPECT_FALSE(dialog.addRow().isEmpty());
    EXPECT_EQ(TempDir::read(folder / "capteur.csv"), before);

    dialog.findChild<QLineEdit*>("sensitivity")->setText("0,2");
    EXPECT_EQ(dialog.addRow(), QString());
    EXPECT_EQ(TempDir::read(folder / "capteur.csv"), before + "2026-06-22T10:00:00+02:00;SP-110;0,2;nuit;0,73;0,06\r\n");
    EXPECT_EQ(dialog.findChild<QTableWidget*>("history")->rowCount(), 2);
}

TEST_F(SunlightWindow, TheMonthListsTheFoldersDaysOfThatMonthAndADoubleClickOpensTheDay)
{
    for (const char* name : {"data06-03-2026.val", "data06-21-2026.val.1", "data07-01-2026.val"})
        write(folder / name, fourHours());
    auto view = open(folder / "data07-01-2026.val");
    MonthWindow* month = view->showMonth();
    month->setMonth(2026y / June);
    QTableWidget* table = month->table();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(0, 0)->text(), "03/06/2026");
    EXPECT_EQ(table->item(1, 0)->text(), "21/06/2026");
    EXPECT_EQ(table->item(0, 12)->text(), QString::fromUtf8("1 saturé"));
    // Every column in sight, the millivolts of these uncalibrated days included.
    month->show();
    EXPECT_FALSE(table->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(table->isColumnHidden(14));
    emit table->cellDoubleClicked(1, 0);
    EXPECT_EQ(view->windowTitle(), QString::fromUtf8("Journal des mesures — 21 juin 2026"));
    EXPECT_EQ(view->record().runs().size(), 1u);
}

}  // namespace
