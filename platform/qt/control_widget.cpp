#include "platform/qt/control_widget.h"

#include "platform/qt/byte_names.h"
#include "platform/qt/field_label.h"
#include "platform/resources.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <mutex>
#include <string>

namespace {

bool isClass(const ControlModel& control, const char* className) { return control.className == className; }

Qt::Alignment staticAlignment(DWORD style) {
  Qt::Alignment alignment;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER:
      alignment = Qt::AlignHCenter;
      break;
    case SS_RIGHT:
      alignment = Qt::AlignRight;
      break;
    default:
      alignment = Qt::AlignLeft;
      break;
  }
  return alignment | ((style & SS_CENTERIMAGE) != 0 ? Qt::AlignVCenter : Qt::AlignTop);
}

QLabel* createLabel(const ControlModel& control, QWidget* parent) {
  // A vertically centred static is one line; the others wrap, as Windows' do.
  const bool wrap = (control.style & SS_CENTERIMAGE) == 0;
  QLabel* label = nullptr;
  if ((control.style & SS_SUNKEN) != 0) {
    label = new FieldLabel(wrap, parent);
  } else {
    label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wrap);
  }
  label->setAlignment(staticAlignment(control.style));
  return label;
}

// A flat push-like check box, drawn as the Windows build shows one: a
// one-pixel frame, and filled with the highlight while it is checked, so
// that on and off cannot be mistaken.
class FlatToggleButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const bool on = isChecked();
    const bool pushed = on || isDown();
    painter.fillRect(rect(), on ? palette().highlight() : palette().button());
    painter.setPen(palette().color(on ? QPalette::Highlight : QPalette::Shadow).darker(on ? 125 : 100));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect textRect = pushed ? rect().translated(1, 1) : rect();
    style()->drawItemText(&painter, textRect, Qt::AlignCenter | Qt::TextSingleLine, palette(), isEnabled(), text(),
                          on ? QPalette::HighlightedText : QPalette::ButtonText);
    if (hasFocus()) {
      QStyleOptionFocusRect focus;
      focus.initFrom(this);
      focus.rect = rect().adjusted(FOCUS_INSET, FOCUS_INSET, -FOCUS_INSET, -FOCUS_INSET);
      style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
  }

 private:
  static constexpr int FOCUS_INSET = 3;
};

// Windows takes a click anywhere in a check box or radio button, not only
// on its mark and text.
template <typename Button>
class WholeRectButton : public Button {
 public:
  using Button::Button;

 protected:
  bool hitButton(const QPoint& at) const override { return this->rect().contains(at); }
};

QFrame* createEtched(QFrame::Shape shape, QWidget* parent) {
  auto* frame = new QFrame(parent);
  frame->setFrameShape(shape);
  frame->setFrameShadow(QFrame::Sunken);
  frame->setLineWidth(1);
  return frame;
}

}  // namespace

ControlKind controlKind(const ControlModel& control) {
  if (isClass(control, CLASS_PROGRESS)) return ControlKind::progressBar;
  if (isClass(control, CLASS_BUTTON)) {
    switch (control.style & BS_TYPEMASK) {
      case BS_CHECKBOX:
        return (control.style & BS_PUSHLIKE) != 0 ? ControlKind::pushLikeCheckBox : ControlKind::checkBox;
      case BS_RADIOBUTTON:
        return ControlKind::radioButton;
      default:
        return ControlKind::pushButton;
    }
  }
  switch (control.style & SS_TYPEMASK) {
    case SS_ETCHEDHORZ:
      return ControlKind::etchedLine;
    case SS_ETCHEDFRAME:
      return ControlKind::etchedFrame;
    case SS_ICON:
      return ControlKind::icon;
    default:
      return ControlKind::label;
  }
}

QWidget* createControlWidget(const ControlModel& control, QWidget* parent, HINSTANCE resources) {
  switch (controlKind(control)) {
    case ControlKind::etchedLine:
      return createEtched(QFrame::HLine, parent);
    case ControlKind::etchedFrame:
      return createEtched(QFrame::Box, parent);
    case ControlKind::icon: {
      auto* label = new QLabel(parent);
      label->setPixmap(iconPixmap(resources, control.iconId));
      return label;
    }
    case ControlKind::pushButton: {
      auto* button = new QPushButton(parent);
      button->setAutoDefault(false);
      button->setDefault((control.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
      return button;
    }
    case ControlKind::checkBox:
      return new WholeRectButton<QCheckBox>(parent);
    case ControlKind::pushLikeCheckBox: {
      auto* button = (control.style & BS_FLAT) != 0 ? new FlatToggleButton(parent) : new QPushButton(parent);
      button->setCheckable(true);
      button->setAutoDefault(false);
      return button;
    }
    case ControlKind::radioButton: {
      auto* button = new WholeRectButton<QRadioButton>(parent);
      // The program sets every mark itself, so the group must not clear any.
      button->setAutoExclusive(false);
      return button;
    }
    case ControlKind::progressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      return bar;
    }
    case ControlKind::label:
      break;
  }
  return createLabel(control, parent);
}

void showControlState(QWidget* widget, const ControlModel& control) {
  widget->setEnabled(control.enabled);
  // Workers set a control's text and progress position themselves.
  std::string text;
  int progressMin = 0;
  int progressMax = 0;
  int progressPos = 0;
  {
    std::lock_guard<std::mutex> lock(controlStateMutex());
    text = control.text;
    progressMin = control.progressMin;
    progressMax = control.progressMax;
    progressPos = control.progressPos;
  }
  if (auto* bar = dynamic_cast<QProgressBar*>(widget)) {
    bar->setRange(progressMin, progressMax);
    bar->setValue(progressPos);
    return;
  }
  if (auto* button = dynamic_cast<QAbstractButton*>(widget)) {
    button->setText(legibleText(text));
    if (button->isCheckable()) button->setChecked(control.checked == BST_CHECKED);
    return;
  }
  if (auto* field = dynamic_cast<FieldLabel*>(widget)) {
    field->setFieldText(legibleText(text, LineBreaks::keep));
    return;
  }
  auto* label = dynamic_cast<QLabel*>(widget);
  if (label != nullptr && label->pixmap().isNull()) label->setText(legibleText(text, LineBreaks::keep));
}

QAbstractButton* clickableButton(QWidget* widget) { return dynamic_cast<QAbstractButton*>(widget); }

QPixmap iconPixmap(HINSTANCE resources, int iconId) {
  const IconTemplate* icon = findIcon(resources, iconId);
  return icon == nullptr ? QPixmap() : QPixmap(icon->xpm);
}
