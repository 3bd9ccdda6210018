// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
// Details of both windows' look that a user sees at once: the file label inside its frame (and
// the day view it opens), the value boxes' border, the reading on its unit's baseline, captions
// clear of their buttons' frames and a plot frame that the scale marks leave whole at every
// scale factor.
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>

#include "support/window_bench.h"
#include "ui/file_label.h"
#include "ui/graph.h"
#include "ui/layout.h"

namespace {

struct TildeRow {
    const char *name, *file, *home, *shown;
};

class HomeAsTilde : public testing::TestWithParam<TildeRow> {};

TEST_P(HomeAsTilde, ReplacesTheHomeFolderOnlyWhenTheFileLiesUnderIt)
{
    EXPECT_EQ(withHomeAsTilde(GetParam().file, GetParam().home), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, HomeAsTilde,
    testing::Values(
        TildeRow{"UnderTheHome", "/home/obs/velmorixon/data12-05-2026.val", "/home/obs", "~/velmorixon/data12-05-2026.val"},
        TildeRow{"HomeWithATrailingSlash", "/home/obs/velmorixon/d.val", "/home/obs/", "~/velmorixon/d.val"},
        TildeRow{"ASiblingWhoseNameStartsTheSame", "/home/obs2/velmorixon/d.val", "/home/obs", "/home/obs2/velmorixon/d.val"},
        TildeRow{"TheRootIsNoHome", "/velmorixon/d.val", "/", "/velmorixon/d.val"},
        TildeRow{"NoHome", "/home/obs/velmorixon/d.val", "", "/home/obs/velmorixon/d.val"}),
    [](const auto& info) { return std::string(info.param.name); });

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
    EXPECT_EQ(w.FullFile, full);
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

TEST(ValueBox, HasANeutralDarkBorderAroundItsBlueTextOnWhite)
{
    WindowBench bench;
    const QImage box = bench.window->LVitesse->grab().toImage();
    for (const QPoint corner : {QPoint(0, 0), QPoint(box.width() - 1, box.height() - 1), QPoint(box.width() / 2, 0),
                                QPoint(0, box.height() / 2)})
        EXPECT_EQ(box.pixelColor(corner), QColor(64, 64, 64)) << corner.x() << "," << corner.y();
    EXPECT_EQ(box.pixelColor(1, 1), QColor(Qt::white)) << "on white";
    const auto text = inkBox(box, blueText);
    ASSERT_TRUE(text.has_value()) << "the value \"1\" is drawn in blue";
    EXPECT_TRUE(box.rect().adjusted(1, 1, -1, -1).contains(*text)) << "no blue on the border";
}

TEST(Reading, SitsOnTheBaselineOfItsUnit)
{
    WindowBench bench;
    Velmorixon& w = *bench.window;
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

// The caption's ink keeps this far from the left and right of its button.
constexpr int kClearance = 4;

void expectCaptionClearOfFrame(QPushButton* button)
{
    button->setEnabled(true);  // black text, so that the ink is found
    const QImage image = button->grab().toImage();
    const auto caption = inkBox(image, darkText);
    SCOPED_TRACE(button->objectName().toStdString());
    ASSERT_TRUE(caption.has_value());
    EXPECT_GE(caption->left(), kClearance);
    EXPECT_LE(caption->right(), image.width() - 1 - kClearance);
}

TEST(ButtonCaptions, KeepClearOfTheirFramesInBothWindows)
{
    WindowBench bench;
    Velmorixon& w = *bench.window;
    for (QPushButton* button : {w.BtnMax187, w.BtnStop, w.BtnQuit, w.BtnCalc, w.BtnStopCalc})
        expectCaptionClearOfFrame(button);
    Graph graph(bench.clock);
    expectCaptionClearOfFrame(graph.BtnStop);
}

QImage rendered(QWidget& widget, double scale)
{
    QImage image((QSizeF(widget.size()) * scale).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::gray);
    widget.render(&image);
    return image;
}

TEST(PlotFrame, StaysWholeUnderTheScaleMarksAtEveryScaleFactor)
{
    WindowBench bench;
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

}  // namespace
