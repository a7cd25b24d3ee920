// Replays a core PaintList on a QPainter: the one place where recorded drawing operations
// become pixels (screen, printer, PDF).
#pragma once

#include "base/paint_list.h"

class QFont;
class QPainter;

namespace zelkova::gui {

// A font of the list as Qt draws it: the named family, with a Japanese fixed-pitch family to fall
// back on; the size in the list's units given `unitsPerInch` (points are 1/72 inch).
QFont PaintListFont(const PaintFont& font, double unitsPerInch);

// The fixed-pitch Japanese font of the grids and cards at `pixelSize` pixels (the fallbacks of
// PaintListFont).
QFont FixedPitchFont(int pixelSize);

// Draws every operation of `list` in the painter's current coordinates, which are the list's
// units. Text is placed by its top-left corner; pen widths below 1 draw the thinnest line.
void ReplayPaintList(QPainter& painter, const PaintList& list, double unitsPerInch);

}  // namespace zelkova::gui
