// The Qt widget that shows one control of the window model, and how it takes
// the model's state. Main thread.
#pragma once

#include "platform/win_types.h"
#include "platform/window_model.h"

#include <QPixmap>

class QAbstractButton;
class QWidget;

enum class ControlKind {
  label,
  etchedLine,
  etchedFrame,
  icon,
  pushButton,
  checkBox,
  pushLikeCheckBox,
  radioButton,
  progressBar,
};

ControlKind controlKind(const ControlModel& control);
// Clicks on the widget are the caller's to connect (see clickableButton).
QWidget* createControlWidget(const ControlModel& control, QWidget* parent, HINSTANCE resources);
// Text, enabled state, mark and progress as the model has them.
void showControlState(QWidget* widget, const ControlModel& control);
// The button a user clicks, or nullptr for a control that takes no clicks.
QAbstractButton* clickableButton(QWidget* widget);
// The icon resource as a pixmap; a null pixmap when there is none.
QPixmap iconPixmap(HINSTANCE resources, int iconId);
