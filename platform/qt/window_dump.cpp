#include "platform/qt/window_dump.h"

#include "platform/qt/byte_names.h"
#include "platform/qt/window_view.h"
#include "platform/window_model.h"

#include <QAction>
#include <QString>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

void writeWindow(QTextStream& out, const WindowView& view) {
  WindowModel* model = windowModel(view.window());
  if (model == nullptr) return;
  const RECT& outer = model->screenRect;
  out << "window\t" << legibleText(model->title) << '\t' << outer.left << '\t' << outer.top << '\t' << outer.right
      << '\t' << outer.bottom << '\n';
  for (const ControlModel& control : model->controls) {
    const QWidget* widget = view.control(control.id);
    if (widget == nullptr) continue;
    const QPoint at = widget->mapToGlobal(QPoint(0, 0));
    out << "control\t" << control.id << '\t' << at.x() << '\t' << at.y() << '\t' << widget->width() << '\t'
        << widget->height() << '\t' << (control.enabled ? 1 : 0) << '\t' << (control.checked == BST_CHECKED ? 1 : 0)
        << '\t' << control.progressPos << '\t' << legibleText(control.text) << '\n';
  }
  for (const MenuPopupModel& popup : model->menu) {
    for (const MenuItemModel& item : popup.items) {
      if (item.separator) continue;
      out << "menu\t" << item.id << '\t' << (item.checked ? 1 : 0) << '\t' << (item.grayed ? 1 : 0) << '\n';
    }
  }
}

}  // namespace

WindowDump::WindowDump() {
  const char* path = std::getenv(WINDOW_DUMP_VARIABLE);
  if (path != nullptr) path_ = path;
}

void WindowDump::write(const std::vector<const WindowView*>& views) const {
  if (!enabled()) return;
  QString text;
  QTextStream out(&text);
  for (const WindowView* view : views) writeWindow(out, *view);
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
