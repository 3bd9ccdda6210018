// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The day view on real files, as the user sees it: runs, sun, axis, range, following, labels,
// exports and what cannot be read (the main window's file label that opens it: window_look_test);
// then in sunlight terms: a calibrated day in W/m² and its résumé, « Capteur… » adding a row,
// « Bilan du mois » listing a folder's days and opening one.
#include <fcntl.h>
#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "acquisition/measurement_file.h"
#include "acquisition/run_companion.h"
#include "record/journal_csv.h"
#include "support/temp_dir.h"
#include "ui/journal_chart.h"
#include "ui/journal_export.h"
#include "ui/journal_window.h"
#include "ui/month_window.h"
#include "ui/run_list.h"
#include "ui/sensor_dialog.h"
#include "ui/summary_panel.h"

namespace {

using namespace std::chrono;
using std::filesystem::path;
using Kind = acquisition::RunEvent::Kind;

std::string lines(int first, int count, seconds from, int millivolts, seconds step = 1s)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += acquisition::dataLine(first + i, millivolts + i, hh_mm_ss<seconds>{(from + i * step) % days{1}});
    return out;
}

const local_days kDay{2026y / June / 21};
const sys_seconds kMidnight = sys_days{kDay.time_since_epoch()} - 2h;  // 00:00 in Paris summer time

std::string row(Kind kind, local_seconds local, const std::string& site, int next) { return acquisition::companionLine({kind, local, 120min, next, site, 0, 0, 1, "", ""}); }

// A June day in Paris of two runs: 09:00 for 100 s (kept aside, no end row), then 14:00 for
// 50 s (at Nîmes), looked at a second after its last line was written.
class JournalTest : public ::testing::Test {
protected:
    JournalTest()
    {
        std::filesystem::create_directory(folder);
        TempDir::append(folder / "data06-21-2026.val.1", lines(2, 100, 9h, 1000));
        TempDir::append(folder / "data06-21-2026.run.1", acquisition::companionHeader() + row(Kind::Start, kDay + 9h, "Chelles", 2));
        TempDir::append(dayFile, lines(2, 50, 14h, 3000));
        TempDir::append(companion, acquisition::companionHeader() + row(Kind::Start, kDay + 14h, "Nîmes", 2));
        written(kMidnight + 14h + 49s);
    }
    void written(sys_seconds at)
    {
        const timespec times[2] = {{at.time_since_epoch().count(), 0}, {at.time_since_epoch().count(), 0}};
        ::utimensat(AT_FDCWD, dayFile.c_str(), times, 0);
        now = at + 1s;
    }
    std::unique_ptr<JournalWindow> open(const path& file, QSize size = {1000, 680})
    {
        auto view = std::make_unique<JournalWindow>(JournalSetup{file, QTimeZone("Europe/Paris"), kDay, 500, [this] { return now; }, 32 << 20});
        view->resize(size);
        view->show();
        view->chart()->replot();
        return view;
    }
    // A status label's whole text: an elided one keeps it in its tooltip.
    static QString text(const JournalWindow& view, const char* name)
    {
        const QLabel* label = view.findChild<QLabel*>(name);
        return label->toolTip().isEmpty() ? label->text() : label->toolTip();
    }
    static void showRange(JournalWindow& view, sys_seconds from, sys_seconds to)
    {
        view.chart()->xAxis->setRange(JournalChart::axisOf(from), JournalChart::axisOf(to));
        view.chart()->replot();
    }
    TempDir dir;
    path folder = dir.path() / "velmorixon";
    path dayFile = folder / "data06-21-2026.val";
    path companion = folder / "data06-21-2026.run";
    sys_seconds now;
};

// That day's file open at its usual size.
class JournalView : public JournalTest {
protected:
    std::unique_ptr<JournalWindow> view = open(dayFile);
};

TEST_F(JournalView, ShowsEachRunOnTheDaysLocalAxisWithTheNewestRunsSiteAndItsSun)
{
    EXPECT_EQ(view->windowTitle().toStdString(), "Journal des mesures — 21 juin 2026");
    ASSERT_EQ(view->record().runs().size(), 2u);
    EXPECT_EQ(view->runLabel(0).toStdString(), "Série 1 : 09:00:00 – 09:01:39, interrompue");
    EXPECT_EQ(view->runLabel(1).toStdString(), "Série 2 : 14:00:00 – 14:00:49, en cours");
    EXPECT_EQ(view->findChild<QComboBox*>("site")->currentText().toStdString(), "Nîmes");
    ASSERT_EQ(view->chart()->markers().size(), 1u);
    EXPECT_EQ(view->chart()->markers()[0].sunrise, record::sunMarkers(view->site(), kDay, true).sunrise);
    const auto noon = view->chart()->sunGraph()->data()->findBegin(JournalChart::axisOf(kMidnight + 13h), false);
    EXPECT_DOUBLE_EQ(noon->value, record::sunAltitude(view->site(), sys_seconds(seconds(qint64(noon->key))), 120min));
    view->setSite(7);
    EXPECT_EQ(view->chart()->markers()[0].sunrise, record::sunMarkers(*record::siteNamed("Chelles"), kDay, true).sunrise);
}

struct TicksRow {
    const char* name;
    year_month_day day;
    int fromHour, toHour;  ///< universal hours after the day's 00:00 UTC; 0, 0: the whole day
    std::vector<QString> labels;
};

class JournalTicks : public JournalTest, public ::testing::WithParamInterface<TicksRow> {};

TEST_P(JournalTicks, FallOnLocalWholeHours)
{
    const TicksRow& r = GetParam();
    const path file = folder / acquisition::dataFileName(r.day);
    TempDir::append(file, lines(100, 3, 15h, 100));
    auto view = open(file, {760, 560});
    if (r.toHour != 0) showRange(*view, sys_days{r.day} + hours(r.fromHour), sys_days{r.day} + hours(r.toHour));
    const auto labels = view->chart()->xAxis->tickVectorLabels();
    EXPECT_EQ(std::vector<QString>(labels.begin(), labels.end()), r.labels);
}

const std::vector<QString> kWholeDay{"00:00", "06:00", "12:00", "18:00", "00:00"};
INSTANTIATE_TEST_SUITE_P(
    Days, JournalTicks,
    ::testing::Values(TicksRow{"AWinterDay", 2026y / December / 7, 0, 0, kWholeDay}, TicksRow{"ASummerDay", 2026y / June / 21, 0, 0, kWholeDay},
                      TicksRow{"TheAutumnChange", 2026y / October / 25, 0, 0, kWholeDay},
                      TicksRow{"TheRepeatedHour", 2026y / October / 25, 0, 2, {"02:00", "02:30", "02:00", "02:30", "03:00"}},
                      TicksRow{"TwoDays", 2026y / December / 7, 12, 36, {"18:00\n7 déc.", "00:00\n8 déc.", "06:00", "12:00"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(JournalTest, DefaultRangeIsTheFilesLocalDayOrOnToARunsLastLine)
{
    const struct { const char* name; std::string lastLines; seconds end; const char* runEnd; } rows[] = {
        {"a line at midnight next day", lines(52, 3, 23h + 59min + 58s, 9), 24h, "00:00:00 (+1 j), "},
        {"then a run on past midnight", lines(55, 1, 30min, 9), 24h + 30min, "00:30:00 (+1 j), "}};
    for (const auto& row : rows) {  // each row's lines added to those before
        SCOPED_TRACE(row.name);
        TempDir::append(dayFile, row.lastLines);
        auto view = open(dayFile);
        EXPECT_EQ(view->visibleRange(), std::pair(kMidnight, kMidnight + row.end));
        const QString label = view->runLabel(1);
        EXPECT_TRUE(label.startsWith(QString::fromUtf8("Série 2 : 14:00:00 – ") + row.runEnd)) << label.toStdString();
    }
}

TEST_F(JournalView, FiguresAndTheCursorReadTheVisibleRangeFollowingZoomAndHiddenRuns)
{
    EXPECT_TRUE(text(*view, "figures").startsWith("150 mesures"));
    view->findChild<QCheckBox*>("run1")->click();
    EXPECT_TRUE(text(*view, "figures").startsWith("50 mesures"));
    EXPECT_FALSE(view->chart()->runGraph(0)->visible());
    view->setRunShown(0, true);
    showRange(*view, kMidnight + 9h, kMidnight + 9h + 9s);
    EXPECT_TRUE(text(*view, "figures").startsWith("10 mesures"));
    view->setFittedY(true);
    EXPECT_GT(view->chart()->valueAxis()->range().lower, 900);
    EXPECT_LT(view->chart()->valueAxis()->range().upper, 1100);

    const auto& point = view->record().runs()[1]->trace.points()[10];
    showRange(*view, point.instant - 30s, point.instant + 30s);
    view->pointAt(int(view->chart()->xAxis->coordToPixel(JournalChart::axisOf(point.instant))));
    const QString readout = text(*view, "cursorReadout");
    EXPECT_TRUE(readout.startsWith("21/06/2026 14:00:10 (UTC+02:00) · n° 12 · ")) << readout.toStdString();
    EXPECT_TRUE(readout.contains(QLocale().toString(3010) + " mV")) << readout.toStdString();
    EXPECT_TRUE(readout.endsWith(QLocale().toString(record::sunAltitude(view->site(), point.instant, 120min), 'f', 2) +
                                 QString::fromUtf8("° · sans étalonnage (mV)")));
}

TEST_F(JournalView, FollowingKeepsTheNewestReadingAtTheRightEdgeUntilTheWholeDayIsAsked)
{
    view->setFollowing(true);
    for (int step = 0; step < 2; ++step) {
        TempDir::append(dayFile, lines(52 + 600 * step, 600, 14h + 50s + step * 600s, 3050));
        view->refresh();
        const double newest = JournalChart::axisOf(view->record().runs()[1]->trace.points().back().instant);
        const auto range = view->chart()->xAxis->range();
        EXPECT_LT(range.upper - newest, 0.1 * range.size()) << "step " << step;
        EXPECT_GT(newest - range.lower, 0.8 * range.size()) << "step " << step;
    }
    view->findChild<QAction*>("wholeDay")->trigger();
    TempDir::append(dayFile, lines(1252, 5, 14h + 20min + 50s, 3050));
    view->refresh();
    EXPECT_EQ(view->visibleRange(), std::pair(kMidnight, kMidnight + 24h));
    view->setFollowing(true);
    QTest::keyClick(view->chart(), Qt::Key_Left);
    EXPECT_FALSE(view->findChild<QAction*>("follow")->isChecked());
}

TEST_F(JournalView, RunLabelsFollowTheFileItsCompanionAndTheTimeAndRunsKeepTheirColour)
{
    TempDir::append(dayFile, lines(52, 10, 14h + 50s, 3050));
    written(kMidnight + 14h + 59s);
    view->refresh();
    EXPECT_EQ(view->runLabel(1).toStdString(), "Série 2 : 14:00:00 – 14:00:59, en cours");
    now += 10min;  // nothing written since: the program is gone
    view->refresh();
    EXPECT_EQ(view->runLabel(1).toStdString(), "Série 2 : 14:00:00 – 14:00:59, interrompue");
    TempDir::append(companion, row(Kind::Stop, kDay + 14h + 1min, "Nîmes", 62) + "garbage\r\n");  // the companion read again as it grows
    view->refresh();
    EXPECT_EQ(view->runLabel(1).toStdString(), "Série 2 : 14:00:00 – 14:00:59, arrêtée");
    EXPECT_EQ(view->record().malformedCompanionRows(), 1u);

    const QColor second = view->chart()->runGraph(1)->pen().color();
    std::filesystem::rename(dayFile, folder / "data06-21-2026.val.2");
    TempDir::append(dayFile, lines(2, 3, 15h, 2000));
    view->refresh();
    EXPECT_EQ(view->chart()->runGraph(1)->pen().color(), second);
    for (std::size_t run = 1; run <= 8; ++run) {  // far from the sun's orange, none like the next
        const QColor c = runColour(run);
        EXPECT_GT(std::abs(c.red() - 230) + std::abs(c.green() - 140) + std::abs(c.blue()), 150) << run;
        EXPECT_NE(c, runColour(run + 1));
    }
}

TEST_F(JournalView, FitsA1024By768ScreenAndElidesRunLabelsAtItsSmallestSize)
{
    EXPECT_LE(view->frameGeometry().width(), 1024);
    EXPECT_LE(view->frameGeometry().height(), 768 - 30);
    view->resize(view->minimumSizeHint());
    QCoreApplication::processEvents();
    for (const char* name : {"run1", "run2"}) {
        auto* box = view->findChild<QCheckBox*>(name);
        EXPECT_LE(box->fontMetrics().horizontalAdvance(box->text()) + 20, box->width()) << name;
        EXPECT_TRUE(box->text() == box->toolTip() || box->text().endsWith(QString::fromUtf8("…"))) << name;
    }
    const auto* figures = view->findChild<QLabel*>("figures");
    EXPECT_LE(figures->fontMetrics().horizontalAdvance(figures->text()), figures->contentsRect().width()) << figures->toolTip().toStdString();
}

TEST_F(JournalView, ExportsTheDayOrTheRangeAsCsvAndTheChartWithItsTitle)
{
    const path csv = dir.path() / "jour.csv";
    EXPECT_EQ(view->exportCsv(csv, true), QString());
    std::vector<record::TracePoint> all;
    for (const auto& run : view->record().runs()) all.insert(all.end(), run->trace.points().begin(), run->trace.points().end());
    // The readings' columns as they were, then irradiance, clear-sky index and flag: empty here.
    const auto uncalibrated = [](std::string csv) {
        for (auto at = csv.find("\r\n"); at != std::string::npos; at = csv.find("\r\n", at + 5)) csv.insert(at, ";;;");
        return csv.replace(0, csv.find("\r\n"), "date_heure;numero;millivolts;hauteur_soleil_deg;irradiance_W_m2;indice_ciel_clair;drapeau");
    };
    EXPECT_EQ(TempDir::read(csv), uncalibrated(record::csvExport(all, view->site())));
    showRange(*view, kMidnight + 9h + 10s, kMidnight + 9h + 19s);
    EXPECT_EQ(view->exportCsv(csv, false), QString());
    EXPECT_EQ(TempDir::read(csv), uncalibrated(record::csvExport(std::span(all).subspan(10, 10), view->site())));
    EXPECT_EQ(view->exportTitle().toStdString(), "Journal des mesures — 21 juin 2026 — Nîmes");
    EXPECT_EQ(view->exportImage(dir.path() / "jour.png", QSize(800, 450)), QString());
    EXPECT_EQ(QImage(QString::fromStdString((dir.path() / "jour.png").string())).size(), QSize(800, 450));
    EXPECT_EQ(view->exportImage(dir.path() / "jour.pdf"), QString());
    EXPECT_EQ(TempDir::read(dir.path() / "jour.pdf").substr(0, 5), "%PDF-");
    EXPECT_FALSE(view->chart()->legend->visible()) << "the legend is the export's, not the screen's";
    EXPECT_NE(proposedExport(dayFile, ExportKind::VisibleCsv), proposedExport(dayFile, ExportKind::DayCsv));
}

TEST_F(JournalView, AnExportNeverReplacesARecordAndKeepsAReplacedFilesModeAndLink)
{
    std::filesystem::create_symlink(dayFile, dir.path() / "lien.csv");
    for (const path& record : {dayFile, folder / "data06-21-2026.val.1", companion, dir.path() / "lien.csv",
                               dir.path() / "data12-07-2026.val", dir.path() / "data12-07-2026.run.3"}) {
        const std::string before = TempDir::read(record);
        EXPECT_TRUE(view->exportCsv(record, true).contains("est un fichier de mesures")) << record;
        EXPECT_EQ(TempDir::read(record), before) << record;
    }
    const path kept = dir.path() / "gardé.csv", link = dir.path() / "vers-gardé.csv";
    TempDir::append(kept, "ancien");
    ::chmod(kept.c_str(), 0600);
    std::filesystem::create_symlink(kept.filename(), link);
    EXPECT_EQ(view->exportCsv(link, true), QString());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempDir::read(kept).substr(0, 10), "date_heure");
    EXPECT_EQ(std::filesystem::status(kept).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const path nowhere = dir.path() / "absent" / "x.csv";
    EXPECT_EQ(view->exportCsv(nowhere, true).toStdString(), "Écriture impossible dans " + nowhere.string() + " : Aucun fichier ou dossier de ce type.");
}

struct FileRow {
    const char* name;
    std::function<path(const path& folder)> make;  ///< the file to open
    const char* says;                               ///< %1 for the file's path; empty: read, no message
};

class JournalFile : public JournalTest, public ::testing::WithParamInterface<FileRow> {};

TEST_P(JournalFile, ThatCannotBeReadIsSaidInFrenchInTheWindow)
{
    const path file = GetParam().make(folder);
    auto view = open(file);
    auto* message = view->findChild<QLabel*>("journalMessage");
    EXPECT_EQ(message->isHidden() ? "" : message->text().toStdString(), *GetParam().says == 0 ? std::string() : QString(GetParam().says).arg(QString::fromStdString(file.string())).toStdString());
    if (message->isHidden()) {
        EXPECT_EQ(view->exportCsv(file.parent_path() / "jour.csv", true), QString());
    }
}

path dayAfter(const path& folder) { return folder / "data06-22-2026.val"; }

INSTANTIATE_TEST_SUITE_P(
    Files, JournalFile,
    ::testing::Values(
        FileRow{"ReadableOnAPathThatIsNotUtf8", [](const path& f) {
                    std::filesystem::create_directory(f / "\xe9t\xe9");
                    TempDir::append(f / "\xe9t\xe9" / "data06-21-2026.val", lines(2, 5, 10h, 700));
                    return f / "\xe9t\xe9" / "data06-21-2026.val"; }, ""},
        FileRow{"Missing", dayAfter, "Lecture impossible de %1 : Aucun fichier ou dossier de ce type. Le journal le relira dès qu'il le pourra."},
        FileRow{"Empty", [](const path& f) { TempDir::append(dayAfter(f), ""); return dayAfter(f); }, "%1 ne contient aucune ligne de mesure lisible."},
        FileRow{"OfNuls", [](const path& f) { TempDir::append(dayAfter(f), std::string(100000, '\0')); return dayAfter(f); },
                "%1 ne contient aucune ligne de mesure lisible."},
        FileRow{"ALoopOfLinksWithoutADate", [](const path& f) { std::filesystem::create_symlink("boucle", f / "boucle"); return f / "boucle"; },
                "Lecture impossible de %1 : Boucle de liens symboliques (trop de niveaux de liens). Le journal le relira dès qu'il le pourra.\n"
                "Le nom de boucle ne donne pas de date : les mesures sont placées au 21/06/2026."},
        FileRow{"APipe", [](const path& f) { ::mkfifo(dayAfter(f).c_str(), 0600); return dayAfter(f); },
                "%1 n'est pas un fichier ordinaire (un tube, un périphérique) : le journal ne le lit pas."}),
    [](const auto& info) { return std::string(info.param.name); });

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
    TempDir::append(folder / "data06-21-2026.val", fourHours());
    // From noon on: 2 mV per W/m², no offset, so 1000 and 1002 mV are 500 and 501 W/m².
    TempDir::append(folder / "capteur.csv", kHeader + "2026-06-21T12:00:00+02:00;essai;2;0;0,73;0,06\r\n");
    auto view = open(folder / "data06-21-2026.val");

    EXPECT_EQ(view->findChild<QComboBox*>("unit")->currentText(), QString::fromUtf8("W/m²"));
    // 12:00 to 14:00: 120 one-minute trapezoids of 500,5 W/m² on average, 1001 Wh/m².
    const std::pair<const char*, QString> summary[] = {
        {"irradiation", QLocale().toString(1001.0, 'f', 0) + QString::fromUtf8(" Wh/m²")},
        {"irradiationKwh", "1,001 kWh/m²"}, {"peak", "501 W/m²"}, {"stuck", "0"}, {"saturated", "1"}, {"excluded", "1"}};
    for (const auto& [key, shown] : summary)
        EXPECT_EQ(view->summary().value("day", key), shown) << key;
    // 10:00 to 11:59: 120 readings without a row in force.
    EXPECT_TRUE(view->findChild<QLabel*>("journalMessage")->text().contains(
        QString::fromUtf8("120 mesures sans étalonnage en vigueur restent en mV")));
    // At its size with the résumé open, the status bar's figures are whole while the pointer is off the chart.
    view->show();
    const auto* figures = view->findChild<QLabel*>("figures");
    EXPECT_EQ(figures->text(), figures->toolTip());
    EXPECT_TRUE(figures->text().contains(QString::fromUtf8("ensoleillement")));
    EXPECT_FALSE(view->findChild<QLabel*>("cursorReadout")->isVisible());
    EXPECT_EQ(view->findChild<QLabel*>("flagCounts")->text(),
              QString::fromUtf8("impossible 0 · rare 0 · saturé 1 · figé 0 · 1 écartée"));
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
    TempDir::append(folder / "data06-21-2026.val.1", fourHours());
    TempDir::append(folder / "data06-21-2026.val", everyMinute(15h, 60));
    TempDir::append(folder / "capteur.csv", kHeader + "2026-06-01T00:00:00+02:00;essai;2;0;0,73;0,06\r\n");
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
    TempDir::append(folder / "capteur.csv", before);
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
        TempDir::append(folder / name, fourHours());
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
