// Dialog units to pixels, as Windows maps a dialog template: x counts in
// quarters of the horizontal base unit, y in eighths of the vertical one.
//
// The template was drawn for "MS Sans Serif" 8 pt, whose base units are 6 x 13
// pixels at 96 dpi. The layout keeps those proportions (scaled to the
// template's size and the screen's dpi), and the face that stands in for the
// missing one is fitted into them: a line no taller than a base unit less a
// field's frame, letters no wider on average, so that every text fits where
// the template puts it, four lines in a 32-unit field included. Main thread
// (fonts).
#pragma once

#include "platform/win_types.h"

#include <QFont>
#include <QRect>

struct DialogBaseUnits {
  int x = 0;
  int y = 0;
};

// Windows' reckoning for a font: (width of "A".."Z" "a".."z" / 26 + 1) / 2, and its height.
DialogBaseUnits dialogBaseUnits(const QFont& font);
// The base units of the template's face at pointSize on a screen of dpi.
DialogBaseUnits templateBaseUnits(int pointSize, int dpi);
// The template's family, or the nearest sans-serif face, at the largest pixel
// size (at most pointSize on a screen of dpi) whose metrics fit units.
QFont dialogFont(const char* family, int pointSize, int dpi, DialogBaseUnits units);
// number * numerator / denominator, rounded half away from zero (Windows' MulDiv).
int mulDiv(int number, int numerator, int denominator);
// A rectangle in dialog units (left, top, right, bottom) in pixels.
QRect dialogRectToPixels(const RECT& dialogRect, DialogBaseUnits units);
