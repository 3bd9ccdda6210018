// The acquisition cycle through the main window: start, tick, stop, period, switches, the
// measurement file, the graph window, and what a stop, a failing port or a full disk do to it.
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

#include "ui/graph.h"
#include "support/window_bench.h"

namespace {

using namespace std::chrono;

void forgetClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class AcquisitionCycle : public testing::Test {
protected:
    void TearDown() override { forgetClosedWindows(); }
    void start(bool file, bool graph = false)
    {
        if (file != w.OKfile->isChecked()) w.OKfile->click();
        if (graph != w.OKgraphe->isChecked()) w.OKgraphe->click();
        w.BtnMax187->click();
    }
    /// Runs `action` inside the next converter read's hand-over to the event loop.
    void duringNextRead(std::function<void()> action)
    {
        bench.sim->setSource([this, action, counts = bench.counts, once = true]() mutable {
            if (once) QMetaObject::invokeMethod(&w, action, Qt::QueuedConnection);
            once = false;
            return counts;
        });
    }
    std::string graphNumber() const { return w.existingGraph()->GNumber->text().toStdString(); }

    WindowBench bench;
    BenchWindow& w = *bench.window;
};

TEST_F(AcquisitionCycle, ReadingsShowInLmesureOnScheduleAndAPeriodChangeRestartsIt)
{
    bench.counts = 4095;
    start(false);
    bench.tick(1300ms);  // late by 300 ms: the next one is still due at start + 2 s
    EXPECT_EQ(text(w.Lmesure), "4095");
    EXPECT_EQ(w.TimeAquis->interval(), 700);
    w.HScroll1->setValue(10);
    EXPECT_EQ(text(w.LVitesse), "10");
    EXPECT_EQ(w.TimeAquis->interval(), 10000) << "the next tick comes one new period after the change";
    EXPECT_FALSE(std::filesystem::exists(bench.dataFile())) << "both switches off";
    EXPECT_EQ(w.existingGraph(), nullptr);
}

TEST_F(AcquisitionCycle, TheFirstPointOfALaterAcquisitionIsJoinedToTheLastPointOfTheOneBefore)
{
    w.show();
    bench.counts = 4095;  // y 1720, pixel row 114
    start(false, true);
    bench.tick();
    w.BtnStop->click();
    bench.counts = 0;  // y 5160, pixel row 344
    w.BtnMax187->click();
    bench.tick();
    // Both first points are at x 620 (column 41); the joining run at 617.5 is in that column too.
    const QImage& plot = w.existingGraph()->plotImage();
    int rows = 0;
    for (int row = 0; row < plot.height(); ++row) rows += plot.pixel(41, row) == qRgb(255, 0, 255);
    EXPECT_EQ(rows, 344 - 114 + 1);
}

TEST_F(AcquisitionCycle, SwitchesApplyFromTheNextTickWithTheRunningCount)
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
    ASSERT_NE(w.existingGraph(), nullptr);
    EXPECT_FALSE(w.existingGraph()->isVisible()) << "only a start shows the graph";
    EXPECT_EQ(graphNumber(), "9");
    EXPECT_EQ(w.existingGraph()->Gmesure->text().toStdString(), "4095 mV");
    EXPECT_EQ(text(w.Lmesure), "2048") << "the main window keeps the last value it showed";
}

TEST_F(AcquisitionCycle, APortThatFailsLeavesTheWindowIdleAndKeepsTheLines)
{
    bench.openErrno = EACCES;
    start(true);
    EXPECT_EQ(shownMessage(w, "portMessage"), "Port parallèle /dev/parport0 inaccessible : Permission non accordée");
    EXPECT_FALSE(w.TimeAquis->isActive());
    delete w.findChild<QMessageBox*>("portMessage");
    bench.openErrno = 0;
    w.BtnMax187->click();
    bench.tick();
    bench.sim->failFromNow(EIO);
    bench.tick();
    EXPECT_EQ(shownMessage(w, "portMessage"),
              "Lecture arrêtée : port parallèle /dev/parport0 inaccessible : Erreur d'entrée/sortie");
    EXPECT_FALSE(w.TimeAquis->isActive());
    EXPECT_FALSE(w.BtnStop->isEnabled());
    EXPECT_EQ(bench.fileText(), " 2, 2048,14:03:28\r\n");
}

TEST_F(AcquisitionCycle, AFullDiskHoldsLinesBackAndQuitAsksBeforeDroppingThem)
{
    w.show();
    start(true);
    bench.tick();
    bench.files.failWrites(ENOSPC);
    bench.tick();
    bench.tick();
    EXPECT_EQ(shownMessage(w, "fileMessage"), "Écriture impossible dans " + bench.dataFile().string() +
                                                 " : Aucun espace disponible sur le périphérique. 2 lignes "
                                                 "en attente, elles seront écrites dès que possible.");
    w.BtnQuit->click();
    EXPECT_EQ(w.asked, 2u);
    EXPECT_TRUE(w.TimeAquis->isActive()) << "the user kept the lines, the run goes on";
    bench.files.heal();
    w.OKfile->click();  // switched off: the run's ticks still retry
    bench.tick();
    EXPECT_EQ(shownMessage(w, "fileMessage"), "") << "space is back";
    EXPECT_EQ(bench.fileText(), " 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n 4, 2048,14:03:30\r\n");
    w.asked.reset();
    w.BtnQuit->click();
    EXPECT_FALSE(w.asked.has_value()) << "nothing waits, nothing to ask";
    EXPECT_FALSE(w.isVisible());
    const std::string rows = TempDir::read(bench.dir.path() / "velmorixon" / "data12-05-2026.run");
    EXPECT_EQ(rows.substr(rows.rfind("\r\n", rows.size() - 3) + 28, 10), "quitter;6;") << "quitting ends the run";
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
    EXPECT_EQ(shownMessage(second, "fileMessage"),
              "Écriture impossible dans " + bench.dataFile().string() + " : un autre programme l'écrit déjà (processus " +
                  std::to_string(::getpid()) + "). 1 ligne en attente, elle sera écrite dès que possible.");
    second.BtnStop->click();
}

TEST_F(AcquisitionCycle, ACompanionThatCannotBeWrittenIsSaidWhileTheLinesGoOn)
{
    w.show();
    const auto companion = bench.dir.path() / "velmorixon" / "data12-05-2026.run";
    std::filesystem::create_directories(companion);  // a folder where the companion should be
    start(true);
    bench.tick();
    bench.tick();
    EXPECT_EQ(bench.fileText(), " 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n");
    EXPECT_EQ(shownMessage(w, "fileMessage"), "");
    EXPECT_EQ(shownMessage(w, "companionMessage"),
              "Écriture impossible dans " + companion.string() +
                  " : Est un dossier. Le journal de la série attend ; les mesures, elles, sont enregistrées.");
    w.BtnStop->click();  // the stop row cannot be written either: said, never thrown
    EXPECT_TRUE(w.BtnMax187->isEnabled());
}

TEST_F(AcquisitionCycle, GraphFromItsModalStartToAHiddenOneAndBothStops)
{
    w.show();
    start(true, true);
    const QPointer<Graph> shown = w.existingGraph();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->windowModality(), Qt::ApplicationModal);
    bench.tick();
    EXPECT_EQ(graphNumber(), "2");
    EXPECT_EQ(shown->GTimeDate->text().toStdString(), "14:03:28");
    // Closed by other means than its stop, while the tick lets events run: it goes and is never
    // touched again; the run goes on into a hidden graph.
    duringNextRead([this] {
        w.existingGraph()->close();
        forgetClosedWindows();
    });
    bench.tick();
    EXPECT_TRUE(shown.isNull());
    EXPECT_EQ(graphNumber(), "3");
    EXPECT_FALSE(w.existingGraph()->isVisible());
    EXPECT_EQ(text(w.Lmesure), "0") << "readings go to the graph only";
    w.existingGraph()->BtnStop->click();
    EXPECT_EQ(w.existingGraph(), nullptr);
    EXPECT_FALSE(w.TimeAquis->isActive());
    EXPECT_TRUE(w.BtnMax187->isEnabled() && w.BtnStop->isEnabled());
    EXPECT_EQ(w.NumMes, 1);
    EXPECT_TRUE(w.FirstAnalyse);
    w.BtnStop->click();
    EXPECT_FALSE(w.BtnStop->isEnabled());
    ASSERT_NE(w.existingGraph(), nullptr);
    EXPECT_FALSE(w.existingGraph()->isVisible()) << "the main stop leaves a hidden graph";
}

}  // namespace

TEST(AcquisitionPastMidnight, KeepsWritingToTheStartUpDaysFile)
{
    WindowBench bench(false, local_days{year{2026} / 12 / 5} + 23h + 59min + 58s);
    bench.window->OKfile->click();
    bench.window->BtnMax187->click();
    for (int i = 0; i < 3; ++i) bench.tick();
    EXPECT_EQ(bench.fileText(), " 2, 2048,23:59:59\r\n 3, 2048,00:00:00\r\n 4, 2048,00:00:01\r\n");
    EXPECT_FALSE(std::filesystem::exists(bench.dir.path() / "velmorixon" / "data12-06-2026.val"));
}
