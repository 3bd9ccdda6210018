#pragma once
// The instrument's windows are laid out for "MS Sans Serif" and "Arial"; where those are missing
// the metric-compatible Liberation Sans stands in, at the same size and weight.

/// Registers the substitutes with Qt's font matching. Safe to call more than once.
void installFontSubstitutes();
