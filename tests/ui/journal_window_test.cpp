// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The day view on real files: its runs as traces, the site's sun times and curve, the figures
// of the visible range, following a growing file, the exports, files that cannot be read; and
// the main window's file label that opens it.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <fstream>

#include "record/journal_csv.h"
#include "acquisition/run_companion.h"
#include "support/temp_dir.h"
#include "support/window_bench.h"
#include "ui/journal_window.h"

namespace {

using namespace std::chrono;
using std::filesystem::path;

const local_days kDay{year{2026} / June / 21};

void append(const path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::app) << bytes;
}

std::string lines(int firstNumber, int count, seconds from, int millivolts, seconds step = seconds{1})
{
    std::string out;
    for (int i = 0; i < count; ++i) {
        const hh_mm_ss t{from + i * step};
        char line[40];
        std::snprintf(line, sizeof line, " %d, %d,%02d:%02d:%02d\r\n", firstNumber + i,
                      millivolts + i, int(t.hours().count()), int(t.minutes().count()),
                      int(t.seconds().count()));
        out += line;
    }
    return out;
}

// The plot's horizontal coordinate of a universal time on the day: seconds since the epoch.
double axisAt(seconds sinceMidnightUtc)
{
    return double((sys_seconds{sys_days{year{2026} / June / 21}} + sinceMidnightUtc).time_since_epoch().count());
}

acquisition::RunEvent startAt(local_seconds local, const std::string& site)
{
    acquisition::RunEvent start;
    start.local = local;
    start.utcOffset = minutes{120};
    start.nextNumber = 2;
    start.site = site;
    start.port = "simulation";
    start.version = "1.0.0";
    return start;
}

// A day of two runs in Paris summer time: 09:00 for 100 s, then 14:00 for 50 s, with companions
// that name Nîmes (the view takes the newest run's site).
class JournalTest : public ::testing::Test {
protected:
    JournalTest()
    {
        const path folder = dir.path() / "velmorixon";
        std::filesystem::create_directory(folder);
        earlier = folder / "data06-21-2026.val.1";
        dayFile = folder / "data06-21-2026.val";
        append(earlier, lines(2, 100, hours{9}, 1000));
        append(acquisition::companionPath(earlier),
               acquisition::companionHeader() +
                   acquisition::companionLine(startAt(local_seconds{kDay + hours{9}}, "Chelles")));
        append(dayFile, lines(2, 50, hours{14}, 3000));
        append(acquisition::companionPath(dayFile),
               acquisition::companionHeader() +
                   acquisition::companionLine(startAt(local_seconds{kDay + hours{14}}, "Nîmes")));
    }
    std::unique_ptr<JournalWindow> open(const path& file)
    {
        JournalSetup setup;
        setup.file = file;
        setup.zone = QTimeZone("Europe/Paris");
        setup.today = kDay;
        auto view = std::make_unique<JournalWindow>(setup);
        view->resize(1000, 600);
        view->plot()->replot();
        return view;
    }
    QString labelText(const JournalWindow& view, const char* name)
    {
        return view.findChild<QLabel*>(name)->text();
    }
    TempDir dir;
    path earlier, dayFile;
};

TEST_F(JournalTest, EachRunIsATraceOnTheTimeAxisWithTheNewestRunsSiteAndItsSunTimes)
{
    auto view = open(dayFile);
    EXPECT_EQ(view->windowTitle().toStdString(), "Journal des mesures — data06-21-2026.val");
    ASSERT_EQ(view->record().runs().size(), 2u);
    const auto& first = view->record().runs()[0]->trace.points();
    EXPECT_EQ(first.front().instant, sys_days{year{2026} / June / 21} + hours{7});
    EXPECT_EQ(view->findChild<QCheckBox*>("run1")->text().toStdString(),
              "Série 1 : 09:00:00 – 09:01:39, interrompue");
    EXPECT_EQ(view->findChild<QCheckBox*>("run2")->text().toStdString(),
              "Série 2 : 14:00:00 – 14:00:49, en cours");

    // The site of the newest run's record, its sun times as the main window computes them.
    EXPECT_EQ(view->site().name, "Nîmes");
    EXPECT_EQ(view->findChild<QComboBox*>("site")->currentText().toStdString(), "Nîmes");
    ASSERT_EQ(view->markers().size(), 1u);
    const auto expected = record::sunMarkers(view->site(), kDay, true);
    EXPECT_EQ(view->markers()[0].sunrise, expected.sunrise);
    EXPECT_EQ(view->markers()[0].sunset, expected.sunset);
    // The whole day on the axis, from local midnight to midnight.
    const auto [from, to] = view->visibleRange();
    EXPECT_EQ(from, sys_days{year{2026} / June / 20} + hours{22});
    EXPECT_EQ(to, sys_days{year{2026} / June / 21} + hours{22});
    // The sun curve on the same axis equals the instrument's altitude at the same instants.
    QCPGraph* sun = nullptr;
    for (int i = 0; i < view->plot()->graphCount(); ++i)
        if (view->plot()->graph(i)->name() == "Soleil") sun = view->plot()->graph(i);
    ASSERT_NE(sun, nullptr);
    const auto noon = sun->data()->findBegin(axisAt(hours{11}), false);
    EXPECT_DOUBLE_EQ(noon->value, record::sunAltitude(view->site(), sys_seconds(seconds(qint64(noon->key))),
                                                           minutes{120}));
    // Another site: new markers.
    view->setSite(7);
    EXPECT_EQ(view->markers()[0].sunrise, record::sunMarkers(view->site(), kDay, true).sunrise);
    EXPECT_NE(view->markers()[0].sunrise, expected.sunrise);
}

TEST_F(JournalTest, FiguresOfTheVisibleRangeFollowZoomAndHiddenRuns)
{
    auto view = open(dayFile);
    // Counted exactly: 150 readings, 1000..1099 and 3000..3049.
    EXPECT_TRUE(labelText(*view, "figures").startsWith("150 mesures"));
    view->setRunShown(0, false);
    EXPECT_TRUE(labelText(*view, "figures").startsWith("50 mesures"));
    EXPECT_FALSE(view->findChild<QCheckBox*>("run1")->isChecked());
    view->setRunShown(0, true);
    // Zoomed on the first run's first ten seconds.
    const double start = axisAt(hours{7});
    view->plot()->xAxis->setRange(start, start + 9);
    EXPECT_TRUE(labelText(*view, "figures").startsWith("10 mesures"));
    view->setFittedY(true);
    EXPECT_LT(view->plot()->yAxis->range().upper, 1100);
    EXPECT_GT(view->plot()->yAxis->range().lower, 900);
    view->plot()->xAxis->setRange(start - 3600, start - 60);
    EXPECT_EQ(labelText(*view, "figures").toStdString(), "Aucune mesure dans la plage affichée");
}

TEST_F(JournalTest, FollowsTheFileBeingWrittenAndANewRunsRenameAside)
{
    auto view = open(dayFile);
    view->setFollowing(true);
    append(dayFile, lines(52, 5, hours{14} + seconds{50}, 3050).substr(0, 40));  // a line and a half
    view->refresh();
    const auto& newest = view->record().runs()[1]->trace.points();
    EXPECT_EQ(newest.size(), 52u);
    EXPECT_EQ(view->plot()->graph(2)->data()->size(), 52);
    EXPECT_GE(view->plot()->xAxis->range().upper, double(newest.back().instant.time_since_epoch().count()));
    EXPECT_TRUE(view->findChild<QAction*>("follow")->isChecked());

    // A new run: the day file goes aside as .2, a new one begins.
    std::filesystem::rename(dayFile, dir.path() / "velmorixon" / "data06-21-2026.val.2");
    std::filesystem::rename(acquisition::companionPath(dayFile),
                            dir.path() / "velmorixon" / "data06-21-2026.run.2");
    append(dayFile, lines(2, 3, hours{15}, 2000));
    view->refresh();
    ASSERT_EQ(view->record().runs().size(), 3u);
    EXPECT_EQ(view->record().runs()[1]->trace.points().size(), 52u);
    EXPECT_NE(view->findChild<QCheckBox*>("run3"), nullptr);

    // A key moves the axis: following stops.
    QTest::keyClick(view->plot(), Qt::Key_Left);
    EXPECT_FALSE(view->findChild<QAction*>("follow")->isChecked());
}

TEST_F(JournalTest, ExportsTheDayOrTheVisibleRangeAsCsvAndTheChartAsAnImage)
{
    auto view = open(dayFile);
    const path csv = dir.path() / "jour.csv";
    EXPECT_TRUE(view->exportCsv(QString::fromStdString(csv.string()), true).isEmpty());
    std::vector<record::TracePoint> all;
    for (const auto& run : view->record().runs())
        all.insert(all.end(), run->trace.points().begin(), run->trace.points().end());
    EXPECT_EQ(TempDir::read(csv), record::csvExport(all, view->site()));

    const double start = axisAt(hours{7});
    view->plot()->xAxis->setRange(start + 10, start + 19);
    EXPECT_TRUE(view->exportCsv(QString::fromStdString(csv.string()), false).isEmpty());
    EXPECT_EQ(TempDir::read(csv),
              record::csvExport(std::span(all).subspan(10, 10), view->site()));

    const path png = dir.path() / "jour.png";
    EXPECT_TRUE(view->exportImage(QString::fromStdString(png.string()), QSize(800, 450)).isEmpty());
    EXPECT_EQ(QImage(QString::fromStdString(png.string())).size(), QSize(800, 450));
    const path pdf = dir.path() / "jour.pdf";
    EXPECT_TRUE(view->exportImage(QString::fromStdString(pdf.string())).isEmpty());
    EXPECT_EQ(TempDir::read(pdf).substr(0, 5), "%PDF-");

    const QString nowhere = QString::fromStdString((dir.path() / "absent" / "x.csv").string());
    EXPECT_EQ(view->exportCsv(nowhere, true).toStdString(),
              "Écriture impossible dans " + nowhere.toStdString() + " : Aucun fichier ou dossier de ce type.");
}

TEST_F(JournalTest, AMissingOrGarbageFileIsSaidInTheWindowAndReadOnceItIsWhole)
{
    const path tomorrow = dir.path() / "velmorixon" / "data06-22-2026.val";
    auto view = open(tomorrow);
    QLabel* message = view->findChild<QLabel*>("journalMessage");
    EXPECT_FALSE(message->isHidden());
    EXPECT_EQ(message->text().toStdString(),
              "Lecture impossible de " + tomorrow.string() +
                  " : Aucun fichier ou dossier de ce type. Le journal le relira dès qu'il le pourra.");
    EXPECT_EQ(labelText(*view, "figures").toStdString(), "Aucune mesure dans la plage affichée");

    append(tomorrow, "garbage\r\n" + lines(2, 2, hours{8}, 500));
    view->refresh();
    EXPECT_TRUE(message->isHidden());
    EXPECT_TRUE(labelText(*view, "figures").startsWith("2 mesures"));
    EXPECT_EQ(labelText(*view, "malformedLines").toStdString(), "1 ligne mal formée laissée de côté");
}

TEST_F(JournalTest, TheCursorReadsTheNearestReadingsTimeMillivoltsAndSunAltitude)
{
    auto view = open(dayFile);
    const auto& point = view->record().runs()[1]->trace.points()[10];
    view->plot()->xAxis->setRange(double(point.instant.time_since_epoch().count()) - 30,
                                  double(point.instant.time_since_epoch().count()) + 30);
    view->plot()->replot();
    view->pointAt(int(view->plot()->xAxis->coordToPixel(double(point.instant.time_since_epoch().count()))));
    const QString text = labelText(*view, "cursorReadout");
    EXPECT_TRUE(text.startsWith("21/06/2026 14:00:10 (UTC+02:00) · n° 12 · ")) << text.toStdString();
    EXPECT_TRUE(text.contains(QLocale().toString(3010) + " mV")) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QLocale().toString(record::sunAltitude(view->site(), point.instant, minutes{120}), 'f', 2) + "°"));
}

TEST(FileLabel, ADoubleClickOpensTheDayViewOnTheDaysFileOrSaysItCouldNot)
{
    std::vector<std::string> opened;
    bool starts = true;
    WindowBench bench;
    Platform services = bench.platform([] { return ZoneInfo{ZoneState::Standard, hours{1}}; });
    services.openJournal = [&](const std::string& file) {
        opened.push_back(file);
        return starts;
    };
    Velmorixon w(std::move(services));
    w.show();
    EXPECT_TRUE(w.LfileName->toolTip().endsWith("Double-cliquer pour ouvrir le journal des mesures."));
    QTest::mouseDClick(w.LfileName, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], w.FullFile);
    EXPECT_EQ(w.findChild<QMessageBox*>("journalOpenMessage"), nullptr);

    starts = false;
    QTest::mouseDClick(w.LfileName, Qt::LeftButton);
    auto* message = w.findChild<QMessageBox*>("journalOpenMessage");
    ASSERT_NE(message, nullptr);
    EXPECT_FALSE(message->isModal());
    EXPECT_EQ(message->text().toStdString(),
              "Le journal des mesures de " + w.FullFile + " n'a pas pu être ouvert.");
}

}  // namespace
