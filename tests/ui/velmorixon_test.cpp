// The main window as it opens: every control in its place, its look, timers, focus order and
// caption; the close command that is gone; the clock label. The file label: window_look_test.cpp.
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

TEST_F(StartUp, ValuesShowInWhiteBoxesAndStatusInRedWithTheInstrumentsFonts)
{
    for (const QLabel* box : {w.LVitesse, w.LLever, w.Lmidi, w.Lcoucher, w.Lazt, w.Lalt}) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_EQ(box->palette().color(QPalette::Window), QColor(Qt::white));
        EXPECT_EQ(box->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        EXPECT_TRUE(box->autoFillBackground());
        EXPECT_EQ(box->frameShape(), QFrame::Box);
    }
    for (const QLabel* status : {w.Lzone, w.Lheure, w.Lmesure})
        EXPECT_EQ(status->palette().color(QPalette::WindowText), QColor(255, 0, 0)) << status->objectName().toStdString();
    for (const QWidget* c : controls()) {
        EXPECT_DOUBLE_EQ(c->font().pointSizeF(), 8.25) << c->objectName().toStdString();
        EXPECT_EQ(c->font().family().toStdString(), c == w.Lmesure ? "Arial" : "MS Sans Serif") << c->objectName().toStdString();
    }
    EXPECT_TRUE(w.Label1->font().bold());
    EXPECT_FALSE(w.BtnMax187->font().bold());
    EXPECT_FALSE(w.Lmesure->isVisibleTo(&w));
    EXPECT_FALSE(w.Lvaleur->isVisibleTo(&w));
}

TEST_F(StartUp, LookTimersFocusCaptionPathAndNoCloseCommand)
{
    EXPECT_EQ(w.size(), QSize(375, 366));
    EXPECT_EQ(w.windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
    EXPECT_EQ(w.HScroll1->maximum(), 60);
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
