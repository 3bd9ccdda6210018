#pragma once
// Where each reading lands on the strip chart, in 1/1440-inch units of the graph window.
#include <cstdint>

namespace acquisition {

/// One plotted reading: a pixel at (x, y), and when the previous point's y differs, a
/// vertical run at x - 2.5 from runFrom one unit at a time toward y, y itself excluded.
struct PlotStep {
    float x;          ///< the new Xline
    int y;            ///< 960..5160
    bool hasRun;      ///< false for the very first point (OldY 0) and for an unchanged y
    double runX;      ///< x - 2.5
    int runFrom;      ///< the previous OldY
    int runTo;        ///< y (not drawn by the run)
};

/// Advances Xline by 10 (wrapping to 611 past 10200), computes y = floor(5160 - Mesure x 0.84)
/// clamped to 960..5160, and stores y in OldY.
PlotStep plotStep(float& Xline, std::int16_t& OldY, double Mesure);

}  // namespace acquisition
