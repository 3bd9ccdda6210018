// The acquisition cycle through the main window: start, tick, stop, period, switches, the
// measurement file, the graph window, and what a stop, a failing port or a full disk do to it;
// then the graph window on its own: its caption, its points and runs on its pixels.
#include <QApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "ui/graph.h"
#include "ui/qt_french.h"
#include "support/window_bench.h"

namespace {

using namespace std::chrono;

const QRgb kMagenta = qRgb(255, 0, 255);  // a plotted pixel

// The rows of `column` that hold a plotted pixel, top down.
std::vector<int> columnRows(const QImage& plot, int column)
{
    std::vector<int> rows;
    for (int row = 0; row < plot.height(); ++row)
        if (plot.pixel(column, row) == kMagenta) rows.push_back(row);
    return rows;
}

int magentaCount(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == kMagenta;
    return count;
}

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
    delete w.findChild<QMessageBox*>("portMessage");
    bench.openErrno = 0;
    w.BtnMax187->click();
    bench.tick();
    bench.sim->failFromNow(EIO);
    bench.tick();
    EXPECT_EQ(shownMessage(w, "portMessage"), "Lecture arrêtée : port parallèle /dev/parport0 inaccessible : Erreur d'entrée/sortie");
    EXPECT_FALSE(w.TimeAquis->isActive() || w.BtnStop->isEnabled());
    EXPECT_EQ(bench.fileText(), " 2, 2048,14:03:28\r\n");
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
    w.askInADialog = false;
    bench.tick();
    EXPECT_EQ(shownMessage(w, "fileMessage"), "Écriture impossible dans " + bench.dataFile().string() +
                                                 " : Aucun espace disponible sur le périphérique. 2 lignes en attente, elles seront écrites dès que possible.");
    w.BtnQuit->click();
    EXPECT_EQ(w.asked, 2u);
    EXPECT_TRUE(w.TimeAquis->isActive()) << "« Non » keeps the lines and the run";
    bench.files.heal();
    w.OKfile->click();  // switched off: the run's ticks still retry
    bench.tick();
    EXPECT_EQ(shownMessage(w, "fileMessage") + bench.fileText(), " 2, 2048,14:03:28\r\n 3, 2048,14:03:29\r\n 4, 2048,14:03:30\r\n") << "space is back";
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
    EXPECT_EQ(shownMessage(second, "fileMessage"), "Écriture impossible dans " + bench.dataFile().string() + " : un autre programme l'écrit déjà (processus " +
                                                      std::to_string(::getpid()) + "). 1 ligne en attente, elle sera écrite dès que possible.");
    second.BtnStop->click();
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
        if (std::exchange(once, false)) QMetaObject::invokeMethod(&w, [this] { w.existingGraph()->close(), forgetClosedWindows(); }, Qt::QueuedConnection);
        return bench.counts;
    });
    bench.tick();
    EXPECT_TRUE(shown.isNull());
    EXPECT_EQ(graphNumber(), "3");
    EXPECT_FALSE(w.existingGraph()->isVisible());
    EXPECT_EQ(text(w.Lmesure), "0") << "readings go to the graph only";
    w.existingGraph()->BtnStop->click();
    EXPECT_EQ(w.existingGraph(), nullptr);
    EXPECT_TRUE(!w.TimeAquis->isActive() && w.BtnMax187->isEnabled() && w.BtnStop->isEnabled());
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

}  // namespace
