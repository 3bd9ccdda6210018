#include "acquisition/plot_geometry.h"

#include <gtest/gtest.h>

using acquisition::plotStep;

namespace {

TEST(PlotStep, RunsJoinPointsWithinAndAcrossAcquisitions)
{
    float xline = 610;  // every acquisition starts here
    std::int16_t oldY = 0;
    EXPECT_FALSE(plotStep(xline, oldY, 2048.0).hasRun);  // first point since program start: 3439
    EXPECT_FALSE(plotStep(xline, oldY, 2048.0).hasRun);  // same y

    const auto up = plotStep(xline, oldY, 2052.0);  // 3436.32: three units up the screen
    ASSERT_TRUE(up.hasRun);
    EXPECT_EQ(up.runFrom - up.runTo, 3);  // 3439, 3438, 3437 drawn

    xline = 610;  // the next acquisition; OldY keeps 3436
    const auto next = plotStep(xline, oldY, 0.0);
    EXPECT_EQ(std::tuple(next.x, next.runX, next.hasRun, next.runFrom, next.runTo),
              std::tuple(620.0f, 617.5, true, 3436, 5160));
}

TEST(PlotStep, ReadingToHeightFloorsAndClamps)
{
    const struct { double mesure; int y; } rows[] = {
        {0.0, 5160}, {10.0, 5151} /* 5151.6 floors */, {4095.0, 1720}, {5000.0, 960}, {6000.0, 960},
        {-50.0, 5160}};
    for (const auto& row : rows) {
        float xline = 610;
        std::int16_t oldY = 0;
        EXPECT_EQ(plotStep(xline, oldY, row.mesure).y, row.y) << row.mesure << " mV";
    }
}

TEST(PlotStep, EachSweepTakes959Readings)
{
    float xline = 610;
    std::int16_t oldY = 0;
    float previous = 0;
    for (int i = 0; i < 3 * 959; ++i) {
        const float x = plotStep(xline, oldY, 100.0).x;
        const float expected = i == 0 ? 620.0f : i % 959 == 0 ? 611.0f : previous + 10.0f;
        ASSERT_EQ(x, expected) << "reading " << i;
        previous = x;
    }
    EXPECT_EQ(previous, 10191.0f);
}

}  // namespace
