// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The day view on real files, as the user sees it: runs, sun, axis, range, following, labels,
// exports and what cannot be read (the main window's file label that opens it: window_look_test).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>


#include "acquisition/measurement_file.h"
#include "acquisition/run_companion.h"
#include "record/journal_csv.h"
#include "support/temp_dir.h"
#include "ui/journal_chart.h"
#include "ui/journal_export.h"
#include "ui/journal_window.h"
#include "ui/run_list.h"

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

TEST_F(JournalTest, ShowsEachRunOnTheDaysLocalAxisWithTheNewestRunsSiteAndItsSun)
{
    auto view = open(dayFile);
    EXPECT_EQ(view->windowTitle().toStdString(), "Journal des mesures — 21 juin 2026");
    ASSERT_EQ(view->record().runs().size(), 2u);
    EXPECT_EQ(view->record().runs()[0]->trace.points().front().instant, kMidnight + 9h);
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

struct RangeRow {
    const char* name;
    std::string lastLines;
    seconds end;  ///< after 00:00 local of the file's day
    const char* label;  ///< the run's times as its label gives them
};

class JournalDefaultRange : public JournalTest, public ::testing::WithParamInterface<RangeRow> {};

TEST_P(JournalDefaultRange, IsTheFilesLocalDayOrOnToARunsLastLine)
{
    TempDir::append(dayFile, GetParam().lastLines);
    auto view = open(dayFile);
    EXPECT_EQ(view->visibleRange(), std::pair(kMidnight, kMidnight + GetParam().end));
    EXPECT_TRUE(view->runLabel(1).startsWith(QString::fromUtf8(GetParam().label))) << view->runLabel(1).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Days, JournalDefaultRange,
    ::testing::Values(RangeRow{"WithALineAtMidnightNextDay", lines(52, 3, 23h + 59min + 58s, 9), 24h, "Série 2 : 14:00:00 – 00:00:00 (+1 j), "},
                      RangeRow{"WithARunPastMidnight", lines(52, 2, 23h + 59min + 59s, 9, 30min + 1s), 24h + 30min, "Série 2 : 14:00:00 – 00:30:00 (+1 j), "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(JournalTest, FiguresAndTheCursorReadTheVisibleRangeFollowingZoomAndHiddenRuns)
{
    auto view = open(dayFile);
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

TEST_F(JournalTest, FollowingKeepsTheNewestReadingAtTheRightEdgeUntilTheWholeDayIsAsked)
{
    auto view = open(dayFile);
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

TEST_F(JournalTest, RunLabelsFollowTheFileItsCompanionAndTheTimeAndRunsKeepTheirColour)
{
    auto view = open(dayFile);
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

TEST_F(JournalTest, FitsA1024By768ScreenAndElidesRunLabelsAtItsSmallestSize)
{
    auto view = open(dayFile);
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

TEST_F(JournalTest, ExportsTheDayOrTheRangeAsCsvAndTheChartWithItsTitle)
{
    auto view = open(dayFile);
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

TEST_F(JournalTest, AnExportNeverReplacesARecordAndKeepsAReplacedFilesModeAndLink)
{
    auto view = open(dayFile);
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

}  // namespace
