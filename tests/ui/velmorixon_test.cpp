// The main window as it opens: every control inside it, timers, focus order and caption; the
// close command that is gone; the clock label. Its look and file label: window_look_test.cpp.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <gtest/gtest.h>

#include "support/window_bench.h"

namespace {

using namespace std::chrono;

class StartUp : public testing::Test {
protected:
    // Every control of the window, by name.
    QList<QWidget*> controls() const
    {
        QList<QWidget*> found;
        for (QWidget* child : w.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (!child->objectName().isEmpty() && !child->isWindow()) found << child;
        return found;
    }

    WindowBench bench;
    BenchWindow& w = *bench.window;
};

TEST_F(StartUp, EveryControlLiesInsideTheWindowAndNoneCoversAnother)
{
    const QList<QWidget*> all = controls();
    ASSERT_EQ(all.size(), 29);
    for (QWidget* c : all) {
        EXPECT_TRUE(w.rect().contains(c->geometry())) << c->objectName().toStdString() << " leaves the window";
        for (QWidget* other : all)
            if (c < other && c->geometry().intersects(other->geometry()))
                ADD_FAILURE() << c->objectName().toStdString() << " covers " << other->objectName().toStdString();
    }
}

TEST_F(StartUp, TimersFocusCaptionNoReadingAndNoCloseCommand)
{
    EXPECT_EQ(w.HScroll1->maximum(), 60);
    EXPECT_FALSE(w.Lmesure->isVisibleTo(&w) || w.Lvaleur->isVisibleTo(&w)) << "no reading before the first tick";
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_FALSE(w.TCalcSun->isActive() || w.TimeAquis->isActive());

    EXPECT_EQ(w.focusWidget(), static_cast<QWidget*>(w.OKgraphe));
    QStringList order;  // disabled controls keep their place in the order
    for (QWidget* next = w.OKgraphe; order.size() < 9; next = next->nextInFocusChain())
        if (next->focusPolicy() & Qt::TabFocus) order << next->objectName();
    EXPECT_EQ(order.join(' ').toStdString(), "OKgraphe OKfile HScroll1 BtnMax187 BtnStop BtnQuit Lville BtnCalc BtnStopCalc");

    EXPECT_FALSE(std::filesystem::exists(bench.dataFile())) << "start-up opens no file";
    EXPECT_EQ(w.windowTitle().toStdString(), "Acquisition donnée MAX187");
    EXPECT_EQ(WindowBench(true).window->windowTitle().toStdString(), "Acquisition donnée MAX187 — simulation");

    // No close command in the title bar and a close request is refused; only "Quitter" ends it.
    w.show();
    EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(w.close());
    w.BtnQuit->click();
    EXPECT_FALSE(w.isVisible());
}

TEST(Clock, ShowsEachSecondAndWakesJustAfterTheNext)
{
    WindowBench bench(false, local_days{year{2026} / 12 / 31} + 23h + 59min + 58s);
    EXPECT_EQ(bench.window->Lheure->text().toStdString(), "23:59:58");
    bench.clock.advance(2405ms);
    bench.window->clockTick();
    EXPECT_EQ(bench.window->Lheure->text().toStdString(), "00:00:00");
    EXPECT_EQ(bench.window->Timer1->interval(), 1000 - 405 + 5);
}

}  // namespace
