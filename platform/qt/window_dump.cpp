#include "platform/qt/window_dump.h"

#include "platform/qt/byte_names.h"
#include "platform/qt/field_label.h"
#include "platform/qt/file_name_dialog.h"
#include "platform/qt/window_view.h"
#include "platform/window_model.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QString>
#include <QTextStream>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>

namespace {

const char* const DIALOG_ITEMS[] = {"location", "back", "up", "fileName", "fileType", "status"};

QString oneField(QString text) {
  return text.replace(QLatin1Char('\n'), QStringLiteral("\\x0A")).replace(QLatin1Char('\t'), QStringLiteral("\\x09"));
}

void writeRect(QTextStream& out, const QRect& rect) {
  out << rect.left() << '\t' << rect.top() << '\t' << rect.width() << '\t' << rect.height();
}

QRect onScreen(const QWidget* widget, const QRect& local) {
  return {widget->mapToGlobal(local.topLeft()), local.size()};
}

QRect inDialog(const QWidget* widget, const QRect& local, const QWidget& dialog) {
  return {widget->mapTo(&dialog, local.topLeft()), local.size()};
}

// What the bar shows, which a window that fails to keep up would tell apart from the model.
int shownProgress(const QWidget* widget, const ControlModel& control) {
  if (const auto* bar = dynamic_cast<const QProgressBar*>(widget)) return bar->value();
  return control.progressPos;
}

QString shownText(const QWidget* widget, const ControlModel& control) {
  if (const auto* field = dynamic_cast<const FieldLabel*>(widget)) return field->shownLines().join(QLatin1Char('\n'));
  return legibleText(control.text, LineBreaks::keep);
}

void writeWindow(QTextStream& out, const WindowView& view) {
  WindowModel* model = windowModel(view.window());
  if (model == nullptr) return;
  const RECT& outer = model->screenRect;
  const QRect shown = view.frameGeometry();
  out << "window\t" << legibleText(model->title) << '\t' << outer.left << '\t' << outer.top << '\t' << outer.right
      << '\t' << outer.bottom << '\t' << shown.left() << '\t' << shown.top() << '\t' << shown.left() + shown.width()
      << '\t' << shown.top() + shown.height() << '\n';
  std::lock_guard<std::mutex> lock(controlStateMutex());
  for (const ControlModel& control : model->controls) {
    const QWidget* widget = view.control(control.id);
    if (widget == nullptr) continue;
    out << "control\t" << control.id << '\t';
    writeRect(out, onScreen(widget, widget->rect()));
    out << '\t' << (control.enabled ? 1 : 0) << '\t' << (control.checked == BST_CHECKED ? 1 : 0) << '\t'
        << shownProgress(widget, control) << '\t' << widget->fontMetrics().lineSpacing() << '\t'
        << legibleText(control.text) << '\t' << oneField(shownText(widget, control)) << '\n';
  }
  for (const MenuPopupModel& popup : model->menu) {
    for (const MenuItemModel& item : popup.items) {
      if (item.separator) continue;
      const QAction* action = view.menuItem(item.id);
      out << "menu\t" << item.id << '\t' << (item.checked ? 1 : 0) << '\t' << (item.grayed ? 1 : 0) << '\t'
          << (action != nullptr && action->isCheckable() ? 1 : 0) << '\n';
    }
  }
}

QString itemText(const QWidget* widget) {
  if (const auto* combo = dynamic_cast<const QComboBox*>(widget)) return combo->currentText();
  if (const auto* edit = dynamic_cast<const QLineEdit*>(widget)) return edit->text();
  if (const auto* label = dynamic_cast<const QLabel*>(widget)) return label->text();
  return widget->toolTip();
}

void writeDialog(QTextStream& out, const FileNameDialog& dialog) {
  out << "dialog\t" << dialog.windowTitle() << '\t' << legibleText(dialog.folder()) << '\t';
  writeRect(out, dialog.frameGeometry());
  out << '\n';
  for (const char* name : DIALOG_ITEMS) {
    const auto* widget = dialog.findChild<const QWidget*>(QString::fromLatin1(name));
    if (widget == nullptr) continue;
    // A click on an editable location goes to its text field.
    const auto* combo = dynamic_cast<const QComboBox*>(widget);
    const QWidget* target = combo != nullptr && combo->lineEdit() != nullptr ? combo->lineEdit() : widget;
    out << "dialogitem\t" << name << '\t';
    writeRect(out, inDialog(target, target->rect(), dialog));
    out << '\t' << oneField(itemText(widget)) << '\n';
  }
  if (const auto* places = dialog.findChild<const QListWidget*>(QStringLiteral("places"))) {
    for (int row = 0; row < places->count(); ++row) {
      const QListWidgetItem* item = places->item(row);
      out << "place\t" << oneField(item->text()) << '\t';
      writeRect(out, inDialog(places->viewport(), places->visualItemRect(item), dialog));
      out << '\t' << oneField(item->toolTip()) << '\n';
    }
  }
  if (const auto* entries = dialog.findChild<const QTreeWidget*>(QStringLiteral("entries"))) {
    const QRect view = entries->viewport()->rect();
    for (int row = 0; row < entries->topLevelItemCount(); ++row) {
      const QTreeWidgetItem* item = entries->topLevelItem(row);
      const QRect rect = entries->visualItemRect(item);
      if (!view.contains(rect)) continue;
      out << "entry\t" << oneField(item->text(0)) << '\t';
      writeRect(out, inDialog(entries->viewport(), rect, dialog));
      out << '\n';
    }
  }
}

}  // namespace

WindowDump::WindowDump() {
  const char* path = std::getenv(WINDOW_DUMP_VARIABLE);
  if (path != nullptr) path_ = path;
}

void WindowDump::write(const std::vector<const WindowView*>& views, const FileNameDialog* dialog) const {
  if (!enabled()) return;
  QString text;
  QTextStream out(&text);
  for (const WindowView* view : views) writeWindow(out, *view);
  if (dialog != nullptr) writeDialog(out, *dialog);
  out.flush();
  const QByteArray bytes = text.toUtf8();
  const std::string aside = path_ + ".new";
  {
    std::ofstream file(aside, std::ios::binary | std::ios::trunc);
    file.write(bytes.constData(), bytes.size());
    if (!file) return;
  }
  std::rename(aside.c_str(), path_.c_str());
}
