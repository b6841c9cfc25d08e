#include "platform/qt/dialog_units.h"

#include <QFontMetrics>
#include <QString>

#include <cstdint>

namespace {

constexpr int X_UNITS_PER_BASE = 4;
constexpr int Y_UNITS_PER_BASE = 8;
constexpr int LETTERS_IN_ALPHABET = 26;

}  // namespace

QFont dialogFont(const char* family, int pointSize) {
  QFont font(QString::fromLatin1(family));
  font.setPointSize(pointSize);
  // Where the family is missing, the substitute should still be a plain sans-serif.
  font.setStyleHint(QFont::SansSerif);
  return font;
}

DialogBaseUnits dialogBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int alphabetWidth = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(alphabetWidth / LETTERS_IN_ALPHABET + 1) / 2, metrics.height()};
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
