#include "ui/graph.h"

#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "support/fake_clock.h"

namespace {

using namespace std::chrono;

const QRgb kMagenta = qRgb(255, 0, 255);

int magentaCount(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixel(x, y) == kMagenta ? 1 : 0;
        }
    }
    return count;
}

class GraphTest : public ::testing::Test {
protected:
    FakeClock clock{astro::DateTime{local_days{2026y / December / 31} + 23h + 59min + 59s}};
    Graph graph{clock};
};

TEST_F(GraphTest, CaptionKeepsTheDateOfLoadingPastMidnight)
{
    EXPECT_EQ(graph.windowTitle(), QStringLiteral("Mesure du 12-31-2026"));
    clock.advance(2s);
    graph.repaint();
    EXPECT_EQ(graph.windowTitle(), QStringLiteral("Mesure du 12-31-2026"));
    EXPECT_EQ(Graph(clock).windowTitle(), QStringLiteral("Mesure du 01-01-2027"));
}

struct LabelRow {
    const char* name;
    const char* text;
    QRect pixels;
    const char* family;
    double points;
    Qt::Alignment horizontal;
};
void PrintTo(const LabelRow& row, std::ostream* os) { *os << row.name; }

class GraphLabel : public GraphTest, public ::testing::WithParamInterface<LabelRow> {};

TEST_P(GraphLabel, DesignTextPlaceFontAndColours)
{
    const LabelRow& row = GetParam();
    auto* label = graph.findChild<QLabel*>(QString::fromLatin1(row.name));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromUtf8(row.text));
    EXPECT_EQ(label->geometry(), row.pixels);
    EXPECT_EQ(label->font().family(), QString::fromLatin1(row.family));
    EXPECT_DOUBLE_EQ(label->font().pointSizeF(), row.points);
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(QFontInfo(label->font()).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, row.horizontal);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(label->palette().color(QPalette::Window), graph.palette().color(QPalette::ButtonText));
    EXPECT_TRUE(label->autoFillBackground());
}

INSTANTIATE_TEST_SUITE_P(
    Table, GraphLabel,
    ::testing::Values(
        LabelRow{"Label1", "Mesure n°", {8, 8, 65, 17}, "MS Sans Serif", 8.25, Qt::AlignLeft},
        LabelRow{"GNumber", "", {72, 8, 57, 17}, "MS Sans Serif", 8.25, Qt::AlignRight},
        LabelRow{"Gmesure", "", {168, 8, 57, 17}, "MS Sans Serif", 8.25, Qt::AlignRight},
        LabelRow{"GTimeDate", "", {576, 8, 97, 17}, "MS Sans Serif", 8.25, Qt::AlignLeft},
        LabelRow{"Label2", "5V", {16, 40, 17, 17}, "Arial", 9.0, Qt::AlignLeft},
        LabelRow{"Label3", "0V", {16, 352, 17, 17}, "Arial", 9.0, Qt::AlignLeft}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GraphTest, StopButtonIsTheOnlyFocusableControlAndSignalsTheStop)
{
    EXPECT_EQ(graph.size(), QSize(684, 405));
    EXPECT_EQ(graph.BtnStop->text(), QStringLiteral("Stopper lecture MAX187"));
    EXPECT_EQ(graph.BtnStop->geometry(), QRect(280, 368, 121, 33));
    for (QWidget* child : graph.findChildren<QWidget*>()) {
        EXPECT_EQ(child->focusPolicy() != Qt::NoFocus, child == graph.BtnStop) << child->objectName().toStdString();
    }
    QSignalSpy stop(&graph, &Graph::stopClicked);
    QTest::mouseClick(graph.BtnStop, Qt::LeftButton);
    EXPECT_EQ(stop.count(), 1);
}

TEST_F(GraphTest, EscapeKeepsTheWindowButACloseEndsIt)
{
    QSignalSpy finished(&graph, &QDialog::finished);
    graph.show();
    QTest::keyClick(graph.BtnStop, Qt::Key_Escape);
    EXPECT_TRUE(graph.isVisible());
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(graph.close());
    EXPECT_FALSE(graph.isVisible());
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(GraphTest, PointsAndRunsLandOnTheMappedPixels)
{
    EXPECT_EQ(magentaCount(graph.plotImage()), 0);
    float xline = 610;
    std::int16_t oldY = 0;
    graph.plot(acquisition::plotStep(xline, oldY, 0.0));  // (620, 5160) -> pixel (41, 344)
    EXPECT_EQ(graph.plotImage().pixel(41, 344), kMagenta);
    EXPECT_EQ(magentaCount(graph.plotImage()), 1);

    // (630, 960) -> pixel (42, 64); the run at 627.5 covers 5160 down to 961: rows 344..64 of column 41
    graph.plot(acquisition::plotStep(xline, oldY, 5000.0));
    EXPECT_EQ(graph.plotImage().pixel(42, 64), kMagenta);
    for (int row = 64; row <= 344; ++row) {
        ASSERT_EQ(graph.plotImage().pixel(41, row), kMagenta) << row;
    }
    EXPECT_NE(graph.plotImage().pixel(41, 63), kMagenta);
    EXPECT_EQ(magentaCount(graph.plotImage()), 282);
}

TEST_F(GraphTest, PlotSurvivesRepaintOverTheButtonTextBackground)
{
    float xline = 610;
    std::int16_t oldY = 0;
    for (double mv : {100.0, 2000.0, 2000.0, 4095.0}) {
        graph.plot(acquisition::plotStep(xline, oldY, mv));
    }
    const int drawn = magentaCount(graph.plotImage());
    const QImage first = graph.grab().toImage();
    EXPECT_EQ(magentaCount(first), drawn);
    EXPECT_EQ(first.pixel(300, 300), graph.palette().color(QPalette::ButtonText).rgb());
    EXPECT_EQ(first.pixel(32, 300), qRgb(255, 255, 0));   // the vertical axis
    graph.update();
    EXPECT_EQ(magentaCount(graph.grab().toImage()), drawn);
    EXPECT_EQ(magentaCount(Graph(clock).grab().toImage()), 0);  // a new window starts blank
}

}  // namespace
