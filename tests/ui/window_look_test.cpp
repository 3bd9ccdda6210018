// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// The main window as the user meets it: every control inside it, timers, focus order and
// caption, the close command that is gone, the clock label; the file label inside its frame (and
// the day view it opens), the value boxes' border, the reading on its unit's baseline, captions
// clear of their buttons' frames and a plot frame that the scale marks leave whole at every scale
// factor; Qt's own buttons in French and the singular when one line waits (a missing home is
// said as every write failure is: measurement_file_disk_test.cpp names it).
#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>

#include "support/window_bench.h"
#include "ui/file_label.h"
#include "ui/graph.h"
#include "ui/layout.h"
#include "ui/qt_french.h"

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

TEST(Clock, ShowsEachSecondAndWakesJustAfterTheNext)
{
    WindowBench bench(false, local_days{year{2026} / 12 / 31} + 23h + 59min + 58s);
    EXPECT_EQ(bench.window->Lheure->text().toStdString(), "23:59:58");
    bench.clock.advance(2405ms);
    bench.window->clockTick();
    EXPECT_EQ(bench.window->Lheure->text().toStdString(), "00:00:00");
    EXPECT_EQ(bench.window->Timer1->interval(), 1000 - 405 + 5);
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

TEST(FileLabel, APathTooWideIsShortenedInItsMiddleKeepingItsStartAndTheFileName)
{
    const QFontMetrics metrics(windowFont());
    const QString shown = fileLabelText("/srv/mesures/observatoire-chelles/station-solaire-nord/velmorixon/data12-05-2026.val",
                                        "/home/obs", metrics, 238);
    EXPECT_LE(metrics.horizontalAdvance(shown), 238);
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/srv/"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("data12-05-2026.val"))) << shown.toStdString();
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

// The bounding box of the pixels that `ink` picks, in `image`.
template <class Ink>
std::optional<QRect> inkBox(const QImage& image, Ink ink)
{
    std::optional<QRect> box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (ink(image.pixelColor(x, y)))
                box = box ? box->united(QRect(x, y, 1, 1)) : QRect(x, y, 1, 1);
    return box;
}

bool blueText(const QColor& c) { return c.blue() > c.red() + 80 && c.blue() > c.green() + 80; }
bool redText(const QColor& c) { return c.red() > c.green() + 80 && c.red() > c.blue() + 80; }
bool darkText(const QColor& c) { return qGray(c.rgb()) < 100; }

TEST_F(Window, AValueBoxHasANeutralDarkBorderAroundItsBlueTextOnWhite)
{
    const QImage box = w.LVitesse->grab().toImage();
    for (const QPoint corner : {QPoint(0, 0), QPoint(box.width() - 1, box.height() - 1), QPoint(box.width() / 2, 0),
                                QPoint(0, box.height() / 2)})
        EXPECT_EQ(box.pixelColor(corner), QColor(64, 64, 64)) << corner.x() << "," << corner.y();
    EXPECT_EQ(box.pixelColor(1, 1), QColor(Qt::white)) << "on white";
    const auto text = inkBox(box, blueText);
    ASSERT_TRUE(text.has_value()) << "the value \"1\" is drawn in blue";
    EXPECT_TRUE(box.rect().adjusted(1, 1, -1, -1).contains(*text)) << "no blue on the border";
}

TEST_F(Window, TheReadingSitsOnTheBaselineOfItsUnit)
{
    w.BtnMax187->click();
    bench.tick();
    ASSERT_EQ(w.Lmesure->text().toStdString(), "2048");
    const QImage window = w.grab().toImage();
    // Digits and "miliVolts" have no descenders: their lowest ink is their baseline.
    const auto reading = inkBox(window.copy(w.Lmesure->geometry()), redText);
    const auto unit = inkBox(window.copy(w.Lvaleur->geometry()), darkText);
    ASSERT_TRUE(reading && unit);
    EXPECT_EQ(w.Lmesure->y() + reading->bottom(), w.Lvaleur->y() + unit->bottom());
}

TEST_F(Window, ButtonCaptionsKeepClearOfTheirFramesInBothWindows)
{
    constexpr int kClearance = 4;  // the caption's ink keeps this far from the left and right of its button
    Graph graph(bench.clock);
    for (QPushButton* button : {w.BtnMax187, w.BtnStop, w.BtnQuit, w.BtnCalc, w.BtnStopCalc, graph.BtnStop}) {
        SCOPED_TRACE(button->objectName().toStdString());
        button->setEnabled(true);  // black text, so that the ink is found
        const QImage image = button->grab().toImage();
        const auto caption = inkBox(image, darkText);
        ASSERT_TRUE(caption.has_value());
        EXPECT_GE(caption->left(), kClearance);
        EXPECT_LE(caption->right(), image.width() - 1 - kClearance);
    }
}

QImage rendered(QWidget& widget, double scale)
{
    QImage image((QSizeF(widget.size()) * scale).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::gray);
    widget.render(&image);
    return image;
}

TEST_F(Window, TheGraphsPlotFrameStaysWholeUnderTheScaleMarksAtEveryScaleFactor)
{
    Graph graph(bench.clock);
    for (const double scale : {1.0, 1.5, 2.0}) {
        graph.Label2->hide();
        graph.Label3->hide();
        const QImage bare = rendered(graph, scale);
        graph.Label2->show();
        graph.Label3->show();
        const QImage marked = rendered(graph, scale);
        int frame = 0, covered = 0;
        for (int y = 0; y < bare.height(); ++y)
            for (int x = 0; x < bare.width(); ++x)
                if (bare.pixel(x, y) == qRgb(255, 255, 0)) {  // yellow
                    ++frame;
                    covered += marked.pixel(x, y) != bare.pixel(x, y);
                }
        EXPECT_GT(frame, 0) << "the frame is drawn at scale " << scale;
        EXPECT_EQ(covered, 0) << "frame pixels hidden by the 5V / 0V labels at scale " << scale;
    }
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

TEST_F(Window, QuitWhileOneLineWaitsAsksInTheSingularWithQtsButtonsReadingOuiAndNon)
{
    QString missing;
    const std::unique_ptr<QTranslator> french = installQtFrench(missing);
    ASSERT_NE(french, nullptr) << missing.toStdString() << " (scripts/deps installs qt6-translations-l10n)";

    w.OKfile->click();
    w.BtnMax187->click();
    bench.files.failWrites(ENOSPC);
    bench.tick();
    w.askInADialog = true;
    std::string seen;
    QTimer::singleShot(0, [&seen] { seen = answerNo(); });  // runs inside the question's own loop
    w.BtnQuit->click();

    EXPECT_EQ(seen, "1 ligne de mesure n'a pas pu être écrite dans " + bench.dataFile().string() +
                        ". Quitter quand même et la perdre ? | Oui | Non");
    EXPECT_TRUE(w.TimeAquis->isActive()) << "« Non » keeps the line and the run";
}

}  // namespace
