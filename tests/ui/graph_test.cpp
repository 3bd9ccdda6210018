#include "ui/graph.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

#include "support/fake_clock.h"

namespace {

using namespace std::chrono;

const QRgb kMagenta = qRgb(255, 0, 255);

int magentaCount(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == kMagenta;
    return count;
}

class GraphTest : public testing::Test {
protected:
    // The rows of `column` that hold a plotted pixel, top down.
    std::vector<int> columnRows(int column) const
    {
        std::vector<int> rows;
        for (int row = 0; row < graph.plotImage().height(); ++row)
            if (graph.plotImage().pixel(column, row) == kMagenta) rows.push_back(row);
        return rows;
    }

    FakeClock clock{astro::DateTime{local_days{2026y / December / 31} + 23h + 59min + 59s}};
    Graph graph{clock};
    float xline = 610;  // where every acquisition starts
    std::int16_t oldY = 0;
};

TEST_F(GraphTest, CaptionKeepsTheDateOfLoadingPastMidnight)
{
    clock.advance(2s);
    EXPECT_EQ(graph.windowTitle(), QStringLiteral("Mesure du 12-31-2026"));
    EXPECT_EQ(Graph(clock).windowTitle(), QStringLiteral("Mesure du 01-01-2027"));
}

TEST_F(GraphTest, OnlyTheStopButtonTakesFocusOrEndsTheDisplayButAWindowCloseDoes)
{
    for (QWidget* child : graph.findChildren<QWidget*>())
        EXPECT_EQ(child->focusPolicy() != Qt::NoFocus, child == graph.BtnStop);
    QSignalSpy stop(&graph, &Graph::stopClicked);
    QSignalSpy finished(&graph, &QDialog::finished);
    graph.show();
    QTest::keyClick(graph.BtnStop, Qt::Key_Escape);
    QTest::mouseClick(graph.BtnStop, Qt::LeftButton);
    EXPECT_EQ(stop.count(), 1);
    EXPECT_EQ(finished.count(), 0) << "neither Escape nor the stop button ends the display itself";
    EXPECT_TRUE(graph.close());
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(GraphTest, PointsAndRunsLandOnMappedPixelsAndSurviveRepaint)
{
    graph.plot(acquisition::plotStep(xline, oldY, 0.0));  // (620, 5160): pixel (41, 344) alone
    // (630, 960): pixel (42, 64); the run at 627.5 covers 5160 up to 961, rows 344..64 of column 41
    graph.plot(acquisition::plotStep(xline, oldY, 5000.0));
    EXPECT_EQ(columnRows(42), std::vector<int>{64});
    EXPECT_EQ(columnRows(41).size(), 344u - 64 + 1);
    EXPECT_EQ(columnRows(41).front(), 64);
    EXPECT_EQ(magentaCount(graph.plotImage()), 282);

    const QImage shown = graph.grab().toImage();  // a full repaint draws the kept points again
    EXPECT_EQ(magentaCount(shown), 282);
    EXPECT_EQ(shown.pixel(300, 300), graph.palette().color(QPalette::ButtonText).rgb());
    EXPECT_EQ(magentaCount(Graph(clock).grab().toImage()), 0);  // a new window starts blank
}

TEST_F(GraphTest, AJoiningRunStopsShortOfTheNewPointsOwnRowBothWays)
{
    // 5100 and 4935 units are the first unit of pixel rows 340 and 329: a run that also drew its
    // own end unit would reach one row too far.
    graph.plot(acquisition::plotStep(xline, oldY, 2048.0));  // y 3439, row 229
    const auto down = acquisition::plotStep(xline, oldY, 71.0);  // y 5100, run 3439..5099
    ASSERT_EQ(down.runTo, 5100);
    graph.plot(down);
    const std::vector<int> downRows = columnRows(41);  // the run at x 627.5
    ASSERT_FALSE(downRows.empty());
    EXPECT_EQ(downRows.front(), 3439 / 15);
    EXPECT_EQ(downRows.back(), 339) << "row 340 holds only the new point, in its own column";

    graph.plot(acquisition::plotStep(xline, oldY, 71.0));  // x 640 and 650, y 5100, no run
    graph.plot(acquisition::plotStep(xline, oldY, 71.0));
    const auto up = acquisition::plotStep(xline, oldY, 268.0);  // y 4934 (4934.88): run 5100..4935
    ASSERT_EQ(up.runTo, 4934);
    graph.plot(up);
    const std::vector<int> upRows = columnRows(43);  // the run at x 657.5, the point of 650
    EXPECT_EQ(upRows.front(), 329) << "4935 is row 329; 4934 would be row 328";
    EXPECT_EQ(upRows.back(), 340);
}

}  // namespace
