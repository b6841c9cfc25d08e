// A sunken field of the window (a static with SS_SUNKEN), framed as Windows
// frames one: the model's text stays text(), and is drawn so that nothing is
// cut unseen. A line wider than
// the field is elided in the middle, a path keeping its last component (the
// file name) whole where that fits; a line that would not fit whole below
// the others is not drawn, and the last line drawn then ends in an ellipsis.
// Whenever anything is not shown, the whole text is the tooltip. Main thread.
#pragma once

#include <QLabel>
#include <QStringList>

class QFontMetrics;

class FieldLabel : public QLabel {
 public:
  // wrap: words wrap onto further lines, as in a static without SS_CENTERIMAGE.
  FieldLabel(bool wrap, QWidget* parent);

  void setFieldText(const QString& text);
  // The lines as drawn, and whether they are the whole text.
  const QStringList& shownLines() const { return shownLines_; }
  bool showsAll() const { return showsAll_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void layOutText();

  bool wrap_;
  QStringList shownLines_;
  bool showsAll_ = true;
};

// text within width: unchanged when it fits, else elided in the middle,
// keeping the part after the last '/' whole where that fits.
QString elidedPath(const QString& text, const QFontMetrics& metrics, int width);
