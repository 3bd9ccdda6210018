#pragma once
// What both windows share about their fixed layout: positions in 1/1440-inch units (15 to a
// pixel) and the instrument's fonts, "MS Sans Serif" and "Arial", with metric-compatible
// Liberation Sans standing in where they are missing.
#include <QFont>
#include <QRect>

/// Registers the substitutes with Qt's font matching. Safe to call more than once.
void installFontSubstitutes();

/// "MS Sans Serif" 8.25 pt regular, the windows' default font.
QFont windowFont();
/// A bold face of the layout: "MS Sans Serif" or "Arial" at `points`.
QFont boldFont(const char* family, double points = 8.25);

/// Units of 1/1440 inch to pixels, rounded down.
int toPixels(double units);
QRect unitsRect(int left, int top, int width, int height);
