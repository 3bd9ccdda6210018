// The acquisition cycle through the main window: start, tick, stop, period, switches, the
// measurement file, the graph window, and what a stop, a failing port or a full disk do to it.
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <gtest/gtest.h>

#include "ui/graph.h"
#include "support/window_bench.h"

namespace {

using namespace std::chrono;

std::string text(const QLabel* label) { return label->text().toStdString(); }

std::string messageText(const QWidget& w, const char* name)
{
    auto* box = w.findChild<QMessageBox*>(QString::fromLatin1(name));
    return box != nullptr && box->isVisible() ? box->text().toStdString() : std::string();
}

void forgetClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class AcquisitionCycle : public testing::Test {
protected:
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

    WindowBench bench;
    BenchWindow& w = *bench.window;
};

class ConverterValue : public AcquisitionCycle, public testing::WithParamInterface<int> {};

TEST_P(ConverterValue, ShowsAsDigitsInLmesure)
{
    bench.counts = static_cast<std::uint16_t>(GetParam());
    start(false);
    EXPECT_EQ(text(w.Lmesure), "0");
    bench.tick();
    EXPECT_EQ(text(w.Lmesure), std::to_string(GetParam()));
    EXPECT_FALSE(std::filesystem::exists(bench.dataFile()));
    EXPECT_EQ(w.existingGraph(), nullptr);
}
INSTANTIATE_TEST_SUITE_P(Counts, ConverterValue, testing::Values(4095, 0, 2048, 1));

TEST_F(AcquisitionCycle, NumbersFromTwoAfterEveryStopAndStartsANewFile)
{
    start(true);
    for (int i = 0; i < 10; ++i) bench.tick();
    EXPECT_EQ(w.NumMes, 11);
    EXPECT_EQ(bench.fileText().substr(0, 21), " 2, 2048,14:03:28\r\n 3");
    const std::string firstRun = bench.fileText();
    EXPECT_EQ(firstRun.substr(firstRun.size() - 20), " 11, 2048,14:03:37\r\n");
    w.BtnStop->click();
    bench.counts = 4095;
    start(true);
    bench.tick();
    EXPECT_EQ(bench.fileText(), " 2, 4095,14:03:38\r\n");
    EXPECT_EQ(TempDir::read(bench.dataFile().string() + ".1"), firstRun);
}

TEST_F(AcquisitionCycle, SwitchesApplyFromTheNextTickWithTheRunningCount)
{
    start(false);
    for (int i = 0; i < 4; ++i) bench.tick();
    w.OKfile->click();
    EXPECT_TRUE(w.ChOkFile);
    bench.tick();
    w.OKfile->click();
    bench.tick();
    w.OKfile->click();
    bench.tick();
    EXPECT_EQ(bench.fileText(), " 6, 2048,14:03:32\r\n 8, 2048,14:03:34\r\n");
    w.OKgraphe->click();
    bench.tick();
    ASSERT_NE(w.existingGraph(), nullptr);
    EXPECT_FALSE(w.existingGraph()->isVisible()) << "only a start shows the graph";
    EXPECT_EQ(w.existingGraph()->GNumber->text().toStdString(), "9");
    EXPECT_EQ(text(w.Lmesure), "2048") << "the main window keeps the last value it showed";
}

TEST_F(AcquisitionCycle, TicksHoldTheirScheduleAndAPeriodChangeRestartsIt)
{
    start(false);
    EXPECT_EQ(w.TimeAquis->interval(), 1000);
    bench.tick(1300ms);  // late by 300 ms: the next one is still due at start + 2 s
    EXPECT_EQ(w.TimeAquis->interval(), 700);
    bench.tick(3200ms);  // start + 4.5 s: ticks 3 and 4 were missed, none is run twice
    EXPECT_EQ(w.TimeAquis->interval(), 500);
    w.HScroll1->setValue(10);
    EXPECT_EQ(w.Vitesse, 10);
    EXPECT_EQ(text(w.LVitesse), "10");
    EXPECT_EQ(w.TimeAquis->interval(), 10000);
    bench.tick(10s);
    EXPECT_EQ(w.TimeAquis->interval(), 10000);
    EXPECT_EQ(w.NumMes, 4);
}

TEST_F(AcquisitionCycle, AStopOrAStopAndStartDuringTheReadEndTheTickWithoutALine)
{
    start(true);
    bench.tick();
    duringNextRead([this] { w.BtnStop->click(); });
    bench.tick();
    EXPECT_EQ(w.NumMes, 1);
    EXPECT_EQ(bench.fileText(), " 2, 2048,14:03:28\r\n");
    start(true);
    duringNextRead([this] { w.BtnStop->click(); w.BtnMax187->click(); });
    bench.tick();
    EXPECT_EQ(w.NumMes, 1);
    EXPECT_EQ(text(w.Lmesure), "0");
    EXPECT_EQ(bench.fileText(), " 2, 2048,14:03:28\r\n");
    bench.tick();
    EXPECT_EQ(bench.fileText(), " 2, 2048,14:03:31\r\n");
}

TEST_F(AcquisitionCycle, APortThatFailsLeavesTheWindowIdleAndKeepsTheLines)
{
    bench.openErrno = EACCES;
    start(true);
    EXPECT_EQ(messageText(w, "portMessage"), "Port parallèle /dev/parport0 inaccessible : Permission non accordée");
    EXPECT_TRUE(w.BtnMax187->isEnabled());
    EXPECT_FALSE(w.TimeAquis->isActive());
    w.findChild<QMessageBox*>("portMessage")->close();
    forgetClosedWindows();
    bench.openErrno = 0;
    w.BtnMax187->click();
    bench.tick();
    bench.sim->failFromNow(EIO);
    bench.tick();
    EXPECT_EQ(messageText(w, "portMessage"),
              "Lecture arrêtée : port parallèle /dev/parport0 inaccessible : Erreur d'entrée/sortie");
    EXPECT_FALSE(w.TimeAquis->isActive());
    EXPECT_FALSE(w.BtnStop->isEnabled());
    EXPECT_EQ(bench.fileText(), " 2, 2048,14:03:28\r\n");
}

TEST_F(AcquisitionCycle, AFullDiskHoldsLinesBackAndSaysSoUntilTheyAreWritten)
{
    start(true);
    bench.tick();
    bench.files.failWrites(ENOSPC);
    bench.tick();
    const std::string prefix = "Écriture impossible dans " + bench.dataFile().string() +
                               " : Aucun espace disponible sur le périphérique. ";
    EXPECT_EQ(messageText(w, "fileMessage"), prefix + "1 ligne(s) en attente, elles seront écrites dès que possible.");
    bench.tick();
    EXPECT_EQ(messageText(w, "fileMessage"), prefix + "2 ligne(s) en attente, elles seront écrites dès que possible.");
    bench.files.heal();
    bench.tick();
    EXPECT_EQ(messageText(w, "fileMessage"), "");
    EXPECT_EQ(bench.fileText(),
              " 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n 4, 2048,14:03:30\r\n 5, 2048,14:03:31\r\n");
}

TEST_F(AcquisitionCycle, QuitStopsTheTicksAndAsksBeforeDroppingWaitingLines)
{
    w.show();
    start(true);
    bench.files.failWrites(EROFS);
    bench.tick();
    w.BtnQuit->click();
    EXPECT_EQ(w.asked, 1u);
    EXPECT_TRUE(w.isVisible()) << "the user kept the lines";
    EXPECT_TRUE(w.TimeAquis->isActive());
    w.BtnStop->click();
    EXPECT_TRUE(w.findChild<QTimer*>("fileRetry")->isActive());
    bench.files.heal();
    w.asked.reset();
    w.BtnQuit->click();
    EXPECT_FALSE(w.asked.has_value()) << "written at the last moment, nothing to ask";
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(bench.fileText(), " 2, 2048,14:03:28\r\n");
}

TEST_F(AcquisitionCycle, GraphShownModalAndItsStopLeavesTheMainStopEnabled)
{
    w.show();
    start(true, true);
    Graph* graph = w.existingGraph();
    ASSERT_NE(graph, nullptr);
    EXPECT_TRUE(graph->isVisible());
    EXPECT_EQ(graph->windowModality(), Qt::ApplicationModal);
    bench.tick();
    EXPECT_EQ(text(w.Lmesure), "0");
    EXPECT_EQ(graph->GNumber->text().toStdString(), "2");
    EXPECT_EQ(graph->Gmesure->text().toStdString(), "2048 mV");
    EXPECT_EQ(graph->GTimeDate->text().toStdString(), "14:03:28");
    graph->BtnStop->click();
    EXPECT_EQ(w.existingGraph(), nullptr);
    EXPECT_FALSE(w.TimeAquis->isActive());
    EXPECT_TRUE(w.BtnMax187->isEnabled());
    EXPECT_TRUE(w.BtnStop->isEnabled());
    EXPECT_FALSE(w.Lmesure->isVisibleTo(&w));
    EXPECT_EQ(w.NumMes, 1);
    EXPECT_TRUE(w.FirstAnalyse);
    w.BtnStop->click();
    EXPECT_FALSE(w.BtnStop->isEnabled());
    ASSERT_NE(w.existingGraph(), nullptr);
    EXPECT_FALSE(w.existingGraph()->isVisible()) << "the main stop leaves a hidden graph";
    // Closed by other means than its stop button: it goes, the run goes on.
    start(false, true);
    w.existingGraph()->close();
    forgetClosedWindows();
    EXPECT_EQ(w.existingGraph(), nullptr);
    bench.tick();
    EXPECT_EQ(w.existingGraph()->GNumber->text().toStdString(), "2");
    EXPECT_FALSE(w.existingGraph()->isVisible());
}

TEST_F(AcquisitionCycle, GraphDestroyedOrStoppedWhileTheTickWaitsIsNeverTouched)
{
    start(true, true);
    duringNextRead([this] { delete w.existingGraph(); });
    bench.tick();
    EXPECT_EQ(w.existingGraph()->GNumber->text().toStdString(), "2") << "a new hidden graph";
    duringNextRead([this] { w.existingGraph()->BtnStop->click(); });
    bench.tick();
    EXPECT_EQ(w.existingGraph(), nullptr);
    EXPECT_EQ(bench.fileText(), " 2, 2048,14:03:28\r\n");
    // Destroyed while PlotPoint lets events run: posted from the read's hand-over, it runs at
    // the next one.
    start(true, true);
    duringNextRead([this] {
        QMetaObject::invokeMethod(&w, [this] { delete w.existingGraph(); }, Qt::QueuedConnection);
    });
    bench.tick();
    EXPECT_EQ(w.existingGraph(), nullptr);
    EXPECT_EQ(bench.fileText(), " 2, 2048,14:03:30\r\n");
    forgetClosedWindows();
}

}  // namespace
