#include "platform/qt/dialog_units.h"

#include <QFontMetrics>
#include <QString>

#include <cstdint>

namespace {

constexpr int X_UNITS_PER_BASE = 4;
constexpr int Y_UNITS_PER_BASE = 8;
constexpr int LETTERS_IN_ALPHABET = 26;
// "MS Sans Serif" 8 pt at 96 dpi.
constexpr int TEMPLATE_BASE_X = 6;
constexpr int TEMPLATE_BASE_Y = 13;
constexpr int TEMPLATE_POINTS = 8;
constexpr int TEMPLATE_DPI = 96;
constexpr int POINTS_PER_INCH = 72;
// A sunken field's frame takes a pixel at its top and one at its bottom.
constexpr int FIELD_FRAME_PIXELS = 1;
constexpr int SMALLEST_PIXEL_SIZE = 6;

bool fits(const QFont& font, DialogBaseUnits units) {
  const QFontMetrics metrics(font);
  return metrics.lineSpacing() <= units.y - FIELD_FRAME_PIXELS && dialogBaseUnits(font).x <= units.x;
}

}  // namespace

DialogBaseUnits dialogBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int alphabetWidth =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(alphabetWidth / LETTERS_IN_ALPHABET + 1) / 2, metrics.height()};
}

DialogBaseUnits templateBaseUnits(int pointSize, int dpi) {
  const int scale = pointSize * dpi;
  const int templateScale = TEMPLATE_POINTS * TEMPLATE_DPI;
  return {mulDiv(TEMPLATE_BASE_X, scale, templateScale), mulDiv(TEMPLATE_BASE_Y, scale, templateScale)};
}

QFont dialogFont(const char* family, int pointSize, int dpi, DialogBaseUnits units) {
  QFont font(QString::fromLatin1(family));
  // Where the family is missing, the substitute should still be a plain sans-serif.
  font.setStyleHint(QFont::SansSerif);
  int pixels = mulDiv(pointSize, dpi, POINTS_PER_INCH);
  font.setPixelSize(pixels);
  while (pixels > SMALLEST_PIXEL_SIZE && !fits(font, units)) font.setPixelSize(--pixels);
  return font;
}

int mulDiv(int number, int numerator, int denominator) {
  const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  const std::int64_t half = denominator / 2;
  const std::int64_t rounded = product >= 0 ? (product + half) / denominator : (product - half) / denominator;
  return static_cast<int>(rounded);
}

QRect dialogRectToPixels(const RECT& dialogRect, DialogBaseUnits units) {
  const int left = mulDiv(dialogRect.left, units.x, X_UNITS_PER_BASE);
  const int top = mulDiv(dialogRect.top, units.y, Y_UNITS_PER_BASE);
  const int right = mulDiv(dialogRect.right, units.x, X_UNITS_PER_BASE);
  const int bottom = mulDiv(dialogRect.bottom, units.y, Y_UNITS_PER_BASE);
  return {left, top, right - left, bottom - top};
}
