#include "platform/window_model.h"

#include "platform/messages.h"
#include "platform/window_registry.h"

#include <algorithm>
#include <strings.h>

namespace {

// Only buttons report clicks: the template's static texts have no SS_NOTIFY,
// and a group box is a frame.
bool reportsClicks(const ControlModel& control) {
  return strcasecmp(control.className.c_str(), CLASS_BUTTON) == 0 && (control.style & BS_TYPEMASK) != BS_GROUPBOX;
}

}  // namespace

std::mutex& controlStateMutex() {
  static std::mutex mutex;
  return mutex;
}

WindowModel* windowModel(HWND window) {
  WindowRecord* record = ownedWindow(window);
  return record == nullptr ? nullptr : &record->model;
}

ControlModel* findControl(WindowModel& model, int id) {
  if (id == NO_CONTROL_ID) return nullptr;
  const auto found =
      std::find_if(model.controls.begin(), model.controls.end(), [id](const ControlModel& c) { return c.id == id; });
  return found == model.controls.end() ? nullptr : &*found;
}

MenuItemModel* findMenuItem(WindowModel& model, UINT id) {
  if (id == 0) return nullptr;  // separators
  for (MenuPopupModel& popup : model.menu) {
    for (MenuItemModel& item : popup.items) {
      if (!item.separator && item.id == id) return &item;
    }
  }
  return nullptr;
}

BOOL clickControl(HWND window, int controlId) {
  const OwnedControl item = ownedDialogItem(window, controlId);
  if (item.control == nullptr || !item.control->enabled || !reportsClicks(*item.control)) return FALSE;
  return PostMessageA(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(controlId), BN_CLICKED),
                      reinterpret_cast<LPARAM>(item.control->handle));
}

BOOL clickMenuItem(HWND window, UINT itemId) {
  WindowModel* model = windowModel(window);
  const MenuItemModel* item = model == nullptr ? nullptr : findMenuItem(*model, itemId);
  if (item == nullptr || item->grayed) return FALSE;
  return PostMessageA(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(itemId), 0), 0);
}

BOOL requestClose(HWND window) {
  const WindowModel* model = windowModel(window);
  if (model == nullptr || model->destroyed) return FALSE;
  // A greyed Close item also disables the title bar's close button.
  const auto close = std::find_if(model->systemMenu.begin(), model->systemMenu.end(),
                                  [](const SystemMenuItemModel& item) { return item.command == SC_CLOSE; });
  if (close != model->systemMenu.end() && close->grayed) return FALSE;
  return PostMessageA(window, WM_CLOSE, 0, 0);
}
