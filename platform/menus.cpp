#include "platform/window.h"

#include "platform/front_end.h"
#include "platform/window_registry.h"

#include <algorithm>

namespace {

constexpr DWORD NO_MENU_ITEM = 0xFFFFFFFFu;  // Windows' -1 for an item that does not exist
constexpr UINT UNAVAILABLE = MF_GRAYED | MF_DISABLED;

bool* grayedFlag(WindowModel& model, MenuKind kind, UINT itemId) {
  if (kind == MenuKind::Bar) {
    MenuItemModel* item = findMenuItem(model, itemId);
    return item == nullptr ? nullptr : &item->grayed;
  }
  const auto found = std::find_if(model.systemMenu.begin(), model.systemMenu.end(),
                                  [itemId](const SystemMenuItemModel& item) { return item.command == itemId; });
  return found == model.systemMenu.end() ? nullptr : &found->grayed;
}

}  // namespace

HMENU GetMenu(HWND window) {
  const WindowRecord* record = ownedWindow(window);
  if (record == nullptr || record->model.menu.empty()) return nullptr;
  return menuHandle(*record, MenuKind::Bar);
}

HMENU GetSystemMenu(HWND window, BOOL revert) {
  WindowRecord* record = ownedWindow(window);
  if (record == nullptr || record->model.systemMenu.empty()) return nullptr;
  if (revert == FALSE) return menuHandle(*record, MenuKind::System);
  for (SystemMenuItemModel& item : record->model.systemMenu) item.grayed = false;
  frontEnd().windowChanged(window, 0);
  return nullptr;
}

DWORD CheckMenuItem(HMENU menu, UINT itemId, UINT check) {
  MenuKind kind = MenuKind::Bar;
  WindowRecord* record = ownedMenuWindow(menu, &kind);
  // The window menu's items carry no marks.
  MenuItemModel* item = record != nullptr && kind == MenuKind::Bar ? findMenuItem(record->model, itemId) : nullptr;
  if (item == nullptr) return NO_MENU_ITEM;
  const DWORD previous = item->checked ? MF_CHECKED : MF_UNCHECKED;
  item->checked = (check & MF_CHECKED) != 0;
  frontEnd().windowChanged(record->handle, 0);
  return previous;
}

BOOL EnableMenuItem(HMENU menu, UINT itemId, UINT enable) {
  MenuKind kind = MenuKind::Bar;
  WindowRecord* record = ownedMenuWindow(menu, &kind);
  bool* grayed = record == nullptr ? nullptr : grayedFlag(record->model, kind, itemId);
  if (grayed == nullptr) return static_cast<BOOL>(NO_MENU_ITEM);
  const auto previous = static_cast<BOOL>(*grayed ? MF_GRAYED : MF_ENABLED);
  *grayed = (enable & UNAVAILABLE) != 0;
  frontEnd().windowChanged(record->handle, 0);
  return previous;
}
