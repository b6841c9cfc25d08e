// Dialog units to pixels, as Windows maps a dialog template: the base units
// are the dialog font's average letter width and its height; x counts in
// quarters of the first, y in eighths of the second. Main thread (fonts).
#pragma once

#include "platform/win_types.h"

#include <QFont>
#include <QRect>

struct DialogBaseUnits {
  int x = 0;
  int y = 0;
};

// The template's font, or the nearest sans-serif face at its size.
QFont dialogFont(const char* family, int pointSize);
// Windows' reckoning: (width of "A".."Z" "a".."z" / 26 + 1) / 2, and the height.
DialogBaseUnits dialogBaseUnits(const QFont& font);
// number * numerator / denominator, rounded half away from zero (Windows' MulDiv).
int mulDiv(int number, int numerator, int denominator);
// A rectangle in dialog units (left, top, right, bottom) in pixels.
QRect dialogRectToPixels(const RECT& dialogRect, DialogBaseUnits units);
