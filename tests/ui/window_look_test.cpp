// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The main window as the user meets it: every control inside it, timers, focus order and
// caption, the close command that is gone; the file label inside its frame and the day view it
// opens (a missing home is said as every write failure is: measurement_file_disk_test.cpp names
// it). The acquisition cycle through it: start, tick, stop, period, switches, the measurement
// file, the graph window, and what a stop, a failing port or a full disk do to it; the graph
// window's caption and pixels. The sun half: time-zone state, the site list with the day's sun
// times, and the sun-position tracking.
#include <QApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "support/window_bench.h"
#include "ui/file_label.h"
#include "ui/graph.h"
#include "ui/layout.h"
#include "ui/qt_french.h"

namespace {

using namespace std::chrono;

void forgetClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class Window : public testing::Test {
protected:
    void TearDown() override { forgetClosedWindows(); }
    void start(bool file, bool graph = false)
    {
        if (file != w.OKfile->isChecked()) w.OKfile->click();
        if (graph != w.OKgraphe->isChecked()) w.OKgraphe->click();
        w.BtnMax187->click();
    }
    std::string graphNumber() const { return w.existingGraph()->GNumber->text().toStdString(); }

    WindowBench bench;
    BenchWindow& w = *bench.window;
};
using AcquisitionCycle = Window;

TEST_F(Window, EveryControlLiesInsideTheWindowAndNoneCoversAnother)
{
    QList<QWidget*> all;  // every control of the window, by name
    for (QWidget* child : w.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!child->objectName().isEmpty() && !child->isWindow()) all << child;
    ASSERT_EQ(all.size(), 29);
    for (QWidget* c : all) {
        EXPECT_TRUE(w.rect().contains(c->geometry())) << c->objectName().toStdString() << " leaves the window";
        for (QWidget* other : all)
            if (c < other && c->geometry().intersects(other->geometry()))
                ADD_FAILURE() << c->objectName().toStdString() << " covers " << other->objectName().toStdString();
    }
}

TEST_F(Window, TimersFocusCaptionNoReadingAndNoCloseCommand)
{
    EXPECT_FALSE(w.Lmesure->isVisibleTo(&w) || w.Lvaleur->isVisibleTo(&w)) << "no reading before the first tick";
    EXPECT_TRUE(w.Timer1->isActive() && !w.TCalcSun->isActive() && !w.TimeAquis->isActive());

    EXPECT_EQ(w.focusWidget(), static_cast<QWidget*>(w.OKgraphe));
    QStringList order;  // disabled controls keep their place in the order
    for (QWidget* next = w.OKgraphe; order.size() < 9; next = next->nextInFocusChain())
        if (next->focusPolicy() & Qt::TabFocus) order << next->objectName();
    EXPECT_EQ(order.join(' ').toStdString(), "OKgraphe OKfile HScroll1 BtnMax187 BtnStop BtnQuit Lville BtnCalc BtnStopCalc");

    EXPECT_FALSE(std::filesystem::exists(bench.dataFile())) << "start-up opens no file";
    EXPECT_EQ(w.windowTitle().toStdString() + " | " + WindowBench(true).window->windowTitle().toStdString(),
              "Acquisition donnée MAX187 | Acquisition donnée MAX187 — simulation");

    // No close command in the title bar and a close request is refused; only "Quitter" ends it.
    w.show();
    EXPECT_FALSE((w.windowFlags() & Qt::WindowCloseButtonHint) || w.close());
    w.BtnQuit->click();
    EXPECT_FALSE(w.isVisible());
}

TEST(HomeAsTilde, ReplacesTheHomeFolderOnlyWhenTheFileLiesUnderIt)
{
    const struct { const char *name, *file, *home, *shown; } rows[] = {
        {"under the home", "/home/obs/velmorixon/data12-05-2026.val", "/home/obs", "~/velmorixon/data12-05-2026.val"},
        {"home with a trailing slash", "/home/obs/velmorixon/d.val", "/home/obs/", "~/velmorixon/d.val"},
        {"a sibling named alike", "/home/obs2/velmorixon/d.val", "/home/obs", "/home/obs2/velmorixon/d.val"},
        {"no home", "/home/obs/velmorixon/d.val", "", "/home/obs/velmorixon/d.val"}};
    for (const auto& row : rows)
        EXPECT_EQ(withHomeAsTilde(row.file, row.home), row.shown) << row.name;
}

TEST(FileLabel, ALongHomeShowsAsTildeInsideTheFrameAndADoubleClickOpensTheDayViewOrSaysItCouldNot)
{
    WindowBench bench(false, WindowBench::kStart, "observatoire-chelles-station-solaire-nord-et-sud");
    std::filesystem::create_directory(bench.dir.path() / "observatoire-chelles-station-solaire-nord-et-sud");
    Velmorixon& w = *bench.window;
    const std::string full = (bench.dir.path() / "observatoire-chelles-station-solaire-nord-et-sud/velmorixon/data12-05-2026.val").string();
    EXPECT_EQ(w.LfileName->text().toStdString() + "\n" + w.LfileName->toolTip().toStdString(),
              "~/velmorixon/data12-05-2026.val\n" + full + "\nDouble-cliquer pour ouvrir le journal des mesures.");
    EXPECT_LT(w.LfileName->geometry().right(), toPixels(5520)) << "the label ends inside the frame";
    w.show();
    QTest::mouseDClick(w.LfileName, Qt::LeftButton);
    EXPECT_TRUE(bench.opened == std::vector<std::string>{full} && !w.findChild<QMessageBox*>("journalOpenMessage"));
    bench.clock.advance(std::chrono::hours{10});  // past midnight: today's view, where the run goes on
    QTest::mouseDClick(w.LfileName, Qt::LeftButton);
    EXPECT_EQ(bench.opened.back(), full.substr(0, full.size() - 18) + "data12-06-2026.val");
    bench.journalStarts = false;
    QTest::mouseDClick(w.LfileName, Qt::LeftButton);
    auto* message = w.findChild<QMessageBox*>("journalOpenMessage");
    ASSERT_TRUE(message && !message->isModal());
    EXPECT_EQ(message->text().toStdString(), "Le journal des mesures de " + bench.opened.back() + " n'a pas pu être ouvert.");
}

// The rows of `column` that hold a plotted (magenta) pixel, top down.
std::vector<int> columnRows(const QImage& plot, int column)
{
    std::vector<int> rows;
    for (int row = 0; row < plot.height(); ++row)
        if (plot.pixel(column, row) == qRgb(255, 0, 255)) rows.push_back(row);
    return rows;
}
int magentaCount(const QImage& image)
{
    std::size_t count = 0;
    for (int x = 0; x < image.width(); ++x) count += columnRows(image, x).size();
    return int(count);
}

TEST_F(AcquisitionCycle, SwitchesAndThePeriodApplyFromTheNextTickWithTheRunningCount)
{
    start(false);
    for (int i = 0; i < 4; ++i) bench.tick();
    for (int i = 0; i < 3; ++i) {  // on, off, on: lines 6 and 8, no line 7
        w.OKfile->click();
        bench.tick();
    }
    EXPECT_EQ(bench.fileText(), " 6, 2048,14:03:32\r\n 8, 2048,14:03:34\r\n");
    w.OKgraphe->click();
    bench.sim->setCounts(4095);
    bench.tick();
    ASSERT_TRUE(w.existingGraph() && !w.existingGraph()->isVisible()) << "only a start shows the graph";
    EXPECT_EQ(graphNumber() + " " + w.existingGraph()->Gmesure->text().toStdString(), "9 4095 mV");
    EXPECT_EQ(text(w.Lmesure), "2048") << "the main window keeps the last value it showed";
    w.HScroll1->setValue(61);  // up to 60 s
    EXPECT_EQ(text(w.LVitesse) + " " + std::to_string(w.TimeAquis->interval()), "60 60000") << "the next tick one new period after the change";
}

TEST_F(AcquisitionCycle, APortThatFailsLeavesTheWindowIdleAndKeepsTheLines)
{
    bench.openErrno = EACCES;
    start(true);
    EXPECT_EQ(shownMessage(w, "portMessage"), "Port parallèle /dev/parport0 inaccessible : Permission non accordée");
    delete w.findChild<QMessageBox*>("portMessage");
    bench.openErrno = 0;
    w.BtnMax187->click();
    bench.tick();
    bench.sim->failFromNow(EIO);
    bench.tick();
    EXPECT_EQ(shownMessage(w, "portMessage"), "Lecture arrêtée : port parallèle /dev/parport0 inaccessible : Erreur d'entrée/sortie");
    EXPECT_FALSE(w.TimeAquis->isActive() || w.BtnStop->isEnabled());
    EXPECT_EQ(bench.fileText(), " 2, 2048,14:03:28\r\n");
    // On the desktop, the port's loss until the next start, said once each way.
    bench.clock.advance(seconds{5});
    w.BtnMax187->click();
    EXPECT_EQ(bench.notices, (std::vector<std::string>{"Alarme : port perdu (Erreur d'entrée/sortie) depuis 14:03:29.",
                                                       "Fin d'alarme : port perdu (Erreur d'entrée/sortie) de 14:03:29 à 14:03:34."}));
}

// A sensor at full scale for a minute, said on the desktop once when it begins and once at the stop.
TEST_F(AcquisitionCycle, ASaturatedSensorIsSaidOnTheDesktopAMinuteInAndAtTheStop)
{
    bench.counts = 4095;
    start(false);
    for (int i = 0; i < 60; ++i) bench.tick();
    EXPECT_TRUE(bench.notices.empty()) << "59 s at full scale";
    bench.tick();
    w.BtnStop->click();
    EXPECT_EQ(bench.notices, (std::vector<std::string>{"Alarme : capteur saturé (4095 mV) depuis 14:03:28.",
                                                       "Fin d'alarme : capteur saturé (4095 mV) de 14:03:28 à 14:04:28."}));
}

// The modal question on screen, answered with "No": its text and its two buttons' captions.
std::string answerNo()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return {};
    std::string seen = box->text().toStdString();
    for (const auto button : {QMessageBox::Yes, QMessageBox::No})
        seen += " | " + (box->button(button) ? box->button(button)->text().remove(QLatin1Char('&')).toStdString() : "");
    box->done(QMessageBox::No);
    return seen;
}

TEST_F(AcquisitionCycle, AFullDiskHoldsLinesBackAndQuitAsksInFrenchBeforeDroppingThem)
{
    QString missing;
    const std::unique_ptr<QTranslator> french = installQtFrench(missing);
    ASSERT_NE(french, nullptr) << missing.toStdString() << " (scripts/deps installs qt6-translations-l10n)";
    w.show();
    start(true);
    bench.tick();
    bench.files.failWrites(ENOSPC);
    bench.tick();
    w.askInADialog = true;
    std::string seen;
    QTimer::singleShot(0, [&seen] { seen = answerNo(); });  // runs inside the question's own loop
    w.BtnQuit->click();
    EXPECT_EQ(seen, "1 ligne de mesure n'a pas pu être écrite dans " + bench.dataFile().string() + ". Quitter quand même et la perdre ? | Oui | Non");
    bench.tick();
    EXPECT_EQ(shownMessage(w, "fileMessage"), "Écriture impossible dans " + bench.dataFile().string() +
                                                 " : Aucun espace disponible sur le périphérique. 2 lignes en attente, elles seront écrites dès que possible.");
    QTimer::singleShot(0, [&seen] { seen = answerNo(); });
    w.BtnQuit->click();
    EXPECT_EQ(seen, "2 lignes de mesure n'ont pas pu être écrites dans " + bench.dataFile().string() + ". Quitter quand même et les perdre ? | Oui | Non");
    EXPECT_TRUE(w.TimeAquis->isActive()) << "« Non » keeps the lines and the run";
    bench.files.heal();
    w.OKfile->click();  // switched off: the run's ticks still retry
    bench.tick();
    EXPECT_EQ(shownMessage(w, "fileMessage") + bench.fileText(), " 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n 4, 2048,14:03:30\r\n") << "space is back";
    EXPECT_EQ(bench.notices, (std::vector<std::string>{
                                 "Alarme : lignes en attente d'écriture (Aucun espace disponible sur le périphérique) depuis 14:03:29.",
                                 "Fin d'alarme : lignes en attente d'écriture (Aucun espace disponible sur le périphérique) de 14:03:29 à 14:03:31."}));
    w.asked.reset();
    w.BtnQuit->click();
    EXPECT_FALSE(w.asked.has_value() || w.isVisible()) << "nothing waits, nothing to ask";
}

TEST_F(AcquisitionCycle, ASecondWindowOnTheDaysFileIsToldWhichProcessWritesItAndWritesNothing)
{
    start(true);
    bench.tick();
    BenchWindow second(bench.platform([] { return ZoneInfo{ZoneState::Standard, std::chrono::hours{1}}; }));
    second.OKfile->click();
    second.show();
    second.BtnMax187->click();
    bench.tick();
    second.acquisitionTick();
    EXPECT_EQ(shownMessage(second, "fileMessage"), "Écriture impossible dans " + bench.dataFile().string() + " : écrit par " + program_invocation_short_name +
                                                      ", processus " + std::to_string(::getpid()) + ". 1 ligne en attente, elle sera écrite dès que possible.");
    second.BtnStop->click();
}

TEST(AcquisitionPastMidnight, KeepsWritingToTheStartUpDaysFile)
{
    WindowBench bench(false, local_days{2026y / December / 5} + 23h + 59min + 58s);
    bench.window->OKfile->click();
    bench.window->BtnMax187->click();
    for (int i = 0; i < 3; ++i) bench.tick();
    EXPECT_EQ(bench.fileText(), " 2, 2048,23:59:59\r\n 3, 2048,00:00:00\r\n 4, 2048,00:00:01\r\n");
    EXPECT_FALSE(std::filesystem::exists(bench.dir.path() / "velmorixon" / "data12-06-2026.val"));
}

TEST_F(AcquisitionCycle, GraphFromItsModalStartToAHiddenOneAndItsOwnStop)
{
    w.show();
    start(true, true);
    const QPointer<Graph> shown = w.existingGraph();
    ASSERT_TRUE(shown && shown->isVisible() && shown->windowModality() == Qt::ApplicationModal);
    bench.tick();
    EXPECT_EQ(graphNumber() + " " + shown->GTimeDate->text().toStdString(), "2 14:03:28");
    // Closed by other means than its stop, inside the next read's hand-over to the event loop:
    // it goes and is never touched again; the run goes on into a hidden graph.
    bench.sim->setSource([this, once = true]() mutable {
        if (std::exchange(once, false)) QMetaObject::invokeMethod(&w, [this] {
            w.existingGraph()->close();
            forgetClosedWindows();
        }, Qt::QueuedConnection);
        return bench.counts;
    });
    bench.tick();
    EXPECT_TRUE(shown.isNull() && !w.existingGraph()->isVisible());
    EXPECT_EQ(graphNumber() + " " + text(w.Lmesure), "3 0") << "readings go to the graph only";
    w.existingGraph()->BtnStop->click();
    EXPECT_TRUE(!w.existingGraph() && !w.TimeAquis->isActive() && w.BtnMax187->isEnabled() && w.BtnStop->isEnabled());
}

// A graph loaded on the last second of 2026 keeps that date in its caption; a point and the run
// that joins it to the next land on the pixels the plot's geometry maps them to.
TEST(GraphWindow, KeepsTheDateOfLoadingAndDrawsPointsAndRunsOnTheirPixelsAgainOnRepaint)
{
    FakeClock clock{astro::DateTime{local_days{2026y / December / 31} + 23h + 59min + 59s}};
    Graph graph{clock};
    clock.advance(2s);
    EXPECT_EQ(graph.windowTitle().toStdString() + " | " + Graph(clock).windowTitle().toStdString(), "Mesure du 12-31-2026 | Mesure du 01-01-2027");
    float xline = 610;  // where every acquisition starts
    std::int16_t oldY = 0;
    graph.plot(acquisition::plotStep(xline, oldY, 0.0));  // (620, 5160): pixel (41, 344) alone
    // (630, 960): pixel (42, 64); the run at 627.5 covers 5160 up to 961, rows 344..64 of column 41
    graph.plot(acquisition::plotStep(xline, oldY, 5000.0));
    for (const QImage& image : {graph.plotImage(), graph.grab().toImage()}) {  // a full repaint draws the kept points again
        EXPECT_EQ(columnRows(image, 42), std::vector<int>{64});
        EXPECT_EQ(columnRows(image, 41).size(), 344u - 64 + 1);
        EXPECT_EQ(magentaCount(image), 282);
    }
    EXPECT_EQ(magentaCount(Graph(clock).grab().toImage()), 0);  // a new window starts blank
}

astro::DateTime at(year_month_day date, hours h, minutes m = 0min, seconds s = 0s) { return local_days{date} + h + m + s; }

const ZoneInfo kParisSummer{ZoneState::Daylight, 2h};
constexpr int kChelles = 7, kNimes = 11;
const std::string kChellesNoonAzimuth = "185° 44 Min. 14 Sec.";  // 21/06/2006 12:00:00 UT

std::string sunTimes(const Velmorixon& w) { return text(w.LLever) + " | " + text(w.Lmidi) + " | " + text(w.Lcoucher); }
const std::string kChellesSolstice = "21/06/2006 05:49:09 | 21/06/2006 13:52:02 | 21/06/2006 21:54:55";

// The start-up day's times for the chosen site, kept past midnight; Nîmes in winter.
TEST(SunTimes, AreThoseOfTheChosenSiteForTheStartUpDayPastMidnight)
{
    WindowBench bench(false, at(2006y / June / 21, 23h, 59min, 30s), {}, kParisSummer);
    Velmorixon& w = *bench.window;
    ASSERT_EQ(w.Lville->count(), 12);
    EXPECT_EQ(w.Lville->currentItem()->text().toStdString() + " " + w.Lville->item(kNimes)->text().toStdString(), "Chelles Nîmes");
    EXPECT_EQ(sunTimes(w), kChellesSolstice);
    bench.clock.advance(1min);
    w.Lville->setCurrentRow(kNimes);
    w.Lville->setCurrentRow(kChelles);
    EXPECT_EQ(sunTimes(w), kChellesSolstice);
    WindowBench winter(false, at(2006y / December / 21, 9h));  // standard time
    winter.window->Lville->setCurrentRow(kNimes);
    EXPECT_EQ(sunTimes(*winter.window), "21/12/2006 08:11:54 | 21/12/2006 12:41:13 | 21/12/2006 17:10:31");
}

TEST(StartUpZone, SetsCaptionDaylightFlagAndHourOffset)
{
    const struct { const char* name; ZoneInfo zone; const char* caption; bool daySavings; int hours; } rows[] = {
        {"summer", kParisSummer, "Heure d'été", true, 2},
        {"winter", {ZoneState::Standard, 1h}, "Heure d'hiver", false, 1},
        // half hours go to the even hour
        {"no rule, 4.5 h", {ZoneState::NoRule, 4h + 30min}, "pas de fuseau", false, 4},
        {"no rule, 5.5 h", {ZoneState::NoRule, 5h + 30min}, "pas de fuseau", false, 6},
        // a failed query writes nothing; a known offset still counts, its sign too
        {"unknown, -4 h", {ZoneState::Unknown, -4h}, "", false, -4},
        {"unknown, no clock", {ZoneState::Unknown, 0s}, "", false, 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WindowBench bench(false, at(2006y / June / 21, 10h), {}, row.zone);
        EXPECT_EQ(text(bench.window->Lzone), row.caption);
        EXPECT_EQ(std::pair(bench.window->CalcSun->DaySavings(), bench.window->Correction_Heure), std::pair(row.daySavings, row.hours));
    }
}

// Tracking beside an acquisition, neither stopping the other. Standard time, one hour ahead of
// universal time: 13:00 here is noon UT.
TEST(SunTracking, StartsOnTheTickFreezesOnStopAndReadsTheSiteAfresh)
{
    WindowBench bench(false, at(2006y / June / 21, 12h, 59min, 59s));
    Velmorixon& w = *bench.window;
    w.BtnMax187->click();
    w.BtnCalc->click();
    EXPECT_TRUE(!w.BtnCalc->isEnabled() && w.TCalcSun->isActive());
    EXPECT_EQ(text(w.Lalt) + text(w.Lazt), "") << "nothing before the first tick";
    bench.tick();
    w.sunTick();
    EXPECT_EQ(text(w.Lalt) + " | " + text(w.Lazt), "64° 49 Min. 31 Sec. | " + kChellesNoonAzimuth);
    w.BtnStopCalc->click();
    EXPECT_FALSE(w.TCalcSun->isActive() || w.BtnStopCalc->isEnabled());
    bench.sim->setCounts(4000);
    bench.tick();
    EXPECT_EQ(text(w.Lmesure) + " | " + text(w.Lazt), "4000 | " + kChellesNoonAzimuth) << "stopping the tracking leaves the acquisition running";
    w.BtnCalc->click();
    w.BtnStop->click();
    w.Lville->setCurrentRow(kNimes);
    EXPECT_TRUE(w.TCalcSun->isActive()) << "stopping the acquisition leaves the tracking running";
    EXPECT_EQ(text(w.Lazt), kChellesNoonAzimuth) << "the position waits for the next tick";
    w.sunTick();
    // Nîmes, 43.5° N, 4.21° E, at noon UT on the solstice, 15 min past its transit (hour angle 3.7°),
    // by hand: sin h = sin φ sin δ + cos φ cos δ cos H = 0.2738 + 0.6642, h = 69.7° (to the degree).
    EXPECT_EQ(text(w.Lalt).substr(0, 5), "69° ") << "Chelles stood at 64°";
}

}  // namespace
