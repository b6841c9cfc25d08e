#include "platform/qt/field_label.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>

namespace {

constexpr QChar ELLIPSIS(0x2026);
constexpr QChar PATH_SEPARATOR('/');
constexpr int TEXT_INSET = 1;  // between the frame and the text, left and right

// The lines of one paragraph broken between words as Windows' statics break
// them; a word wider than the field stays whole on its line.
QStringList wrappedLines(const QString& paragraph, const QFont& font, int width) {
  if (paragraph.isEmpty()) return {QString()};
  QTextLayout layout(paragraph, font);
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  QStringList lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    QString text = paragraph.mid(line.textStart(), line.textLength());
    while (text.endsWith(QLatin1Char(' '))) text.chop(1);
    lines << text;
  }
  layout.endLayout();
  return lines;
}

// A tooltip is taken as rich text when it looks like markup; a path must not be.
QString plainToolTip(const QString& text) {
  return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap) : text;
}

}  // namespace

QString elidedPath(const QString& text, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  const qsizetype slash = text.lastIndexOf(PATH_SEPARATOR);
  if (slash > 0) {
    const QString name = text.mid(slash);
    const int room = width - metrics.horizontalAdvance(name);
    if (room >= metrics.horizontalAdvance(ELLIPSIS)) {
      return metrics.elidedText(text.left(slash), Qt::ElideMiddle, room) + name;
    }
  }
  return metrics.elidedText(text, Qt::ElideMiddle, width);
}

FieldLabel::FieldLabel(bool wrap, QWidget* parent) : QLabel(parent), wrap_(wrap) {
  setTextFormat(Qt::PlainText);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
  setContentsMargins(TEXT_INSET, 0, TEXT_INSET, 0);
  layOutText();
}

void FieldLabel::setFieldText(const QString& text) {
  if (text == this->text()) return;
  setText(text);
  layOutText();
}

void FieldLabel::layOutText() {
  const QRect area = contentsRect();
  const QFontMetrics metrics(font());
  QStringList lines;
  if (wrap_) {
    for (const QString& paragraph : text().split(QLatin1Char('\n'))) {
      lines += wrappedLines(paragraph, font(), area.width());
    }
  } else {
    lines << QString(text()).replace(QLatin1Char('\n'), QLatin1Char(' '));
  }
  bool all = true;
  const qsizetype room = std::max(1, area.height() / metrics.lineSpacing());
  const bool cut = lines.size() > room;
  if (cut) lines = lines.mid(0, room);
  for (QString& line : lines) {
    const QString shown = elidedPath(line, metrics, area.width());
    all = all && shown == line;
    line = shown;
  }
  if (cut) {
    all = false;
    lines.back() = metrics.elidedText(lines.back() + ELLIPSIS, Qt::ElideRight, area.width());
  }
  shownLines_ = lines;
  showsAll_ = all;
  setToolTip(all ? QString() : plainToolTip(text()));
  update();
}

void FieldLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // The edge Windows draws round a sunken static: shadow above and left, highlight below and right.
  const QRect edge = rect();
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawLine(edge.topLeft(), edge.topRight());
  painter.drawLine(edge.topLeft(), edge.bottomLeft());
  painter.setPen(palette().color(QPalette::Light));
  painter.drawLine(edge.bottomLeft(), edge.bottomRight());
  painter.drawLine(edge.topRight(), edge.bottomRight());
  const QRect area = contentsRect();
  const int step = fontMetrics().lineSpacing();
  int top = area.top();
  if ((alignment() & Qt::AlignVCenter) != 0) top += (area.height() - step * static_cast<int>(shownLines_.size())) / 2;
  // Some faces draw '_' below their stated descent: a line clipped to its own height would lose it.
  const int flags = static_cast<int>(alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine |
                    Qt::TextDontClip;
  for (const QString& line : shownLines_) {
    style()->drawItemText(&painter, QRect(area.left(), top, area.width(), step), flags, palette(), isEnabled(), line,
                          foregroundRole());
    top += step;
  }
}

void FieldLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  layOutText();
}

void FieldLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) layOutText();
}
