// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The main window as the user meets it: every control inside it, timers, focus order and
// caption, the close command that is gone; the file label inside its frame and
// the day view it opens (a missing home is said as every write failure is:
// measurement_file_disk_test.cpp names it).
#include <QTest>
#include <gtest/gtest.h>

#include "support/window_bench.h"
#include "ui/file_label.h"
#include "ui/layout.h"

namespace {

using namespace std::chrono;

class Window : public testing::Test {
protected:
    WindowBench bench;
    BenchWindow& w = *bench.window;
};

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

TEST(HomeAsTilde, ReplacesTheHomeFolderOnlyWhenTheFileLiesUnderIt)
{
    const struct { const char *name, *file, *home, *shown; } rows[] = {
        {"under the home", "/home/obs/velmorixon/data12-05-2026.val", "/home/obs", "~/velmorixon/data12-05-2026.val"},
        {"home with a trailing slash", "/home/obs/velmorixon/d.val", "/home/obs/", "~/velmorixon/d.val"},
        {"a sibling named alike", "/home/obs2/velmorixon/d.val", "/home/obs", "/home/obs2/velmorixon/d.val"},
        {"the root is no home", "/velmorixon/d.val", "/", "/velmorixon/d.val"},
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
    EXPECT_EQ(w.LfileName->text().toStdString(), "~/velmorixon/data12-05-2026.val");
    EXPECT_EQ(w.LfileName->toolTip().toStdString(), full + "\nDouble-cliquer pour ouvrir le journal des mesures.");
    EXPECT_LT(w.LfileName->geometry().right(), toPixels(5520)) << "the label ends inside the frame";
    w.show();
    QTest::mouseDClick(w.LfileName, Qt::LeftButton);
    EXPECT_EQ(bench.opened, std::vector<std::string>{full});
    EXPECT_EQ(w.findChild<QMessageBox*>("journalOpenMessage"), nullptr);
    bench.journalStarts = false;
    QTest::mouseDClick(w.LfileName, Qt::LeftButton);
    auto* message = w.findChild<QMessageBox*>("journalOpenMessage");
    ASSERT_NE(message, nullptr);
    EXPECT_FALSE(message->isModal());
    EXPECT_EQ(message->text().toStdString(), "Le journal des mesures de " + full + " n'a pas pu être ouvert.");
}

}  // namespace
