#include "acquisition/plot_geometry.h"

#include <cmath>

namespace acquisition {

namespace {

constexpr float kStepUnits = 10.0f;        // one reading every 10 units
constexpr float kRightLimit = 10200.0f;    // past this the sweep starts again at the left
constexpr float kWrapX = 611.0f;
constexpr double kZeroMvY = 5160.0;        // 0 mV sits on the bottom of the plot
constexpr double kUnitsPerMv = 0.84;
constexpr double kTopY = 960.0;            // everything above 5000 mV is drawn on the top row
constexpr double kRunOffset = 2.5;         // the joining run sits half-way back to the previous point

}  // namespace

PlotStep plotStep(float& Xline, std::int16_t& OldY, double Mesure)
{
    Xline += kStepUnits;
    if (Xline > kRightLimit) {
        Xline = kWrapX;
    }

    double y = std::floor(kZeroMvY - Mesure * kUnitsPerMv);
    // Written so that a non-number also lands on the top row instead of reaching the int
    // conversion below; converter readings are always whole millivolts.
    if (!(y >= kTopY)) {
        y = kTopY;
    }
    if (y > kZeroMvY) {
        y = kZeroMvY;
    }
    const int newY = static_cast<int>(y);

    const PlotStep step{
        .x = Xline,
        .y = newY,
        .hasRun = OldY != 0 && OldY != newY,
        .runX = static_cast<double>(Xline) - kRunOffset,
        .runFrom = OldY,
        .runTo = newY,
    };
    OldY = static_cast<std::int16_t>(newY);
    return step;
}

}  // namespace acquisition
