#include "acquisition/plot_geometry.h"

#include <gtest/gtest.h>

#include <vector>

using acquisition::plotStep;

namespace {

constexpr float kStartXline = 610.0f;  // every acquisition starts here

TEST(PlotStep, FirstPointAfterProgramStartIsALonePixel)
{
    float xline = kStartXline;
    std::int16_t oldY = 0;
    const auto step = plotStep(xline, oldY, 2048.0);
    EXPECT_EQ(step.x, 620.0f);
    EXPECT_EQ(step.y, 3439);  // floor(5160 - 1720.32)
    EXPECT_FALSE(step.hasRun);
    EXPECT_EQ(oldY, 3439);
    EXPECT_EQ(xline, 620.0f);
}

TEST(PlotStep, NextAcquisitionJoinsThePreviousLastPoint)
{
    float xline = 4000.0f;  // wherever the stopped run left it
    std::int16_t oldY = 0;
    plotStep(xline, oldY, 4095.0);  // last point of the previous acquisition, y 1720
    xline = kStartXline;
    const auto step = plotStep(xline, oldY, 0.0);
    EXPECT_EQ(step.x, 620.0f);
    EXPECT_TRUE(step.hasRun);
    EXPECT_DOUBLE_EQ(step.runX, 617.5);
    EXPECT_EQ(step.runFrom, 1720);
    EXPECT_EQ(step.runTo, 5160);
}

TEST(PlotStep, RunStartsAtOldYAndCoversTheChangeInBothDirections)
{
    float xline = kStartXline;
    std::int16_t oldY = 0;
    plotStep(xline, oldY, 1000.0);  // y 4320
    const auto same = plotStep(xline, oldY, 1000.0);
    EXPECT_FALSE(same.hasRun);

    const auto up = plotStep(xline, oldY, 1002.0);  // 4318.32 -> 4318
    ASSERT_TRUE(up.hasRun);
    EXPECT_EQ(up.runFrom, 4320);
    EXPECT_EQ(up.runFrom - up.runTo, 2);  // 4320 and 4319 drawn, counting down

    const auto down = plotStep(xline, oldY, 0.0);
    ASSERT_TRUE(down.hasRun);
    EXPECT_EQ(down.runFrom, 4318);
    EXPECT_EQ(down.runTo - down.runFrom, 842);  // 842 positions, counting up
}

struct ScaleRow {
    const char* name;
    double mesure;
    int y;
};
void PrintTo(const ScaleRow& row, std::ostream* os) { *os << row.name; }

class PlotScale : public ::testing::TestWithParam<ScaleRow> {};

TEST_P(PlotScale, ReadingToHeight)
{
    float xline = kStartXline;
    std::int16_t oldY = 0;
    EXPECT_EQ(plotStep(xline, oldY, GetParam().mesure).y, GetParam().y);
    EXPECT_EQ(oldY, GetParam().y);
}

INSTANTIATE_TEST_SUITE_P(
    Millivolts, PlotScale,
    ::testing::Values(ScaleRow{"zero", 0.0, 5160}, ScaleRow{"ten_floors_not_rounds", 10.0, 5151},
                      ScaleRow{"full_scale_4095", 4095.0, 1720},
                      ScaleRow{"exactly_5000_top", 5000.0, 960}, ScaleRow{"above_5000_clamped", 6000.0, 960},
                      ScaleRow{"negative_clamped_to_bottom", -50.0, 5160}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlotStep, EachSweepTakes959Readings)
{
    float xline = kStartXline;
    std::int16_t oldY = 0;
    std::vector<float> xs;
    for (int i = 0; i < 3 * 959; ++i) {
        xs.push_back(plotStep(xline, oldY, 100.0).x);
    }
    EXPECT_EQ(xs.front(), 620.0f);
    EXPECT_EQ(xs[958], 10200.0f);   // the first sweep ends on the limit itself
    EXPECT_EQ(xs[959], 611.0f);
    EXPECT_EQ(xs[959 + 958], 10191.0f);
    EXPECT_EQ(xs[2 * 959], 611.0f);
    for (std::size_t i = 1; i < xs.size(); ++i) {
        if (xs[i] != 611.0f) {
            EXPECT_EQ(xs[i] - xs[i - 1], 10.0f) << "reading " << i;
        }
    }
}

}  // namespace
