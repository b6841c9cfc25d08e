#include "platform/window.h"

#include "platform/control_messages.h"
#include "platform/front_end.h"
#include "platform/message_queue_internal.h"
#include "platform/resources.h"
#include "platform/window_class.h"
#include "platform/window_registry.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <strings.h>

namespace {

// Dialog base units of an 8-point sans-serif font: 6 pixels per 4
// horizontal units, 13 pixels per 8 vertical units.
constexpr double PIXELS_PER_UNIT_X = 6.0 / 4.0;
constexpr double PIXELS_PER_UNIT_Y = 13.0 / 8.0;
// Resource ids travel in a pointer below this bound (MAKEINTRESOURCEA).
constexpr std::uintptr_t INT_RESOURCE_LIMIT = 0x10000;
constexpr LRESULT CREATE_REFUSED = -1;
constexpr UINT SYSTEM_MENU_COMMANDS[] = {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE};

std::atomic<HCURSOR> currentCursor{nullptr};

std::optional<int> intResource(LPCSTR name) {
  const auto value = reinterpret_cast<std::uintptr_t>(name);
  if (value == 0 || value >= INT_RESOURCE_LIMIT) return std::nullopt;
  return static_cast<int>(value);
}

LONG toPixels(LONG units, double pixelsPerUnit) { return static_cast<LONG>(std::lround(units * pixelsPerUnit)); }

RECT toPixels(const RECT& units) {
  return RECT{toPixels(units.left, PIXELS_PER_UNIT_X), toPixels(units.top, PIXELS_PER_UNIT_Y),
              toPixels(units.right, PIXELS_PER_UNIT_X), toPixels(units.bottom, PIXELS_PER_UNIT_Y)};
}

RECT unitRect(short x, short y, short cx, short cy) { return RECT{x, y, x + cx, y + cy}; }

bool controlClassExists(const char* className) {
  return className != nullptr &&
         (strcasecmp(className, CLASS_STATIC) == 0 || strcasecmp(className, CLASS_BUTTON) == 0 ||
          strcasecmp(className, CLASS_PROGRESS) == 0);
}

bool itemsUsable(const DialogTemplate& dialog) {
  if (dialog.itemCount < 0 || (dialog.itemCount > 0 && dialog.items == nullptr)) return false;
  for (int i = 0; i < dialog.itemCount; ++i) {
    if (!controlClassExists(dialog.items[i].className)) return false;
  }
  return true;
}

std::vector<ControlModel> controlsFrom(const DialogTemplate& dialog) {
  std::vector<ControlModel> controls;
  for (int i = 0; i < dialog.itemCount; ++i) {
    const DialogItemTemplate& item = dialog.items[i];
    ControlModel control;
    control.id = item.id;
    control.className = item.className;
    control.style = item.style;
    control.text = item.text == nullptr ? "" : item.text;
    control.dialogRect = unitRect(item.x, item.y, item.cx, item.cy);
    control.iconId = item.iconId;
    control.enabled = (item.style & WS_DISABLED) == 0;
    controls.push_back(std::move(control));
  }
  return controls;
}

std::optional<std::vector<MenuPopupModel>> menuFrom(const MenuTemplate& menu) {
  if (menu.popupCount < 0 || (menu.popupCount > 0 && menu.popups == nullptr)) return std::nullopt;
  std::vector<MenuPopupModel> popups;
  for (int p = 0; p < menu.popupCount; ++p) {
    const MenuPopupTemplate& popup = menu.popups[p];
    if (popup.itemCount < 0 || (popup.itemCount > 0 && popup.items == nullptr)) return std::nullopt;
    MenuPopupModel model;
    model.text = popup.text == nullptr ? "" : popup.text;
    for (int i = 0; i < popup.itemCount; ++i) {
      const MenuItemTemplate& item = popup.items[i];
      MenuItemModel entry;
      entry.separator = item.separator;
      entry.id = item.separator ? 0 : item.id;
      entry.text = item.separator || item.text == nullptr ? "" : item.text;
      model.items.push_back(std::move(entry));
    }
    popups.push_back(std::move(model));
  }
  return popups;
}

std::vector<SystemMenuItemModel> defaultSystemMenu() {
  std::vector<SystemMenuItemModel> items;
  for (UINT command : SYSTEM_MENU_COMMANDS) items.push_back(SystemMenuItemModel{command, false});
  return items;
}

BOOL destroyWindow(HWND window, bool frontEndKnowsIt) {
  WindowRecord* record = nullptr;
  {
    std::lock_guard<std::mutex> lock(platformMutex());
    const WindowTarget target = resolveLocked(window);
    if (target.window == nullptr || target.controlIndex >= 0 || target.window->destroying ||
        target.window->ownerThread != currentThreadIdLocked()) {
      return FALSE;
    }
    record = target.window;
    record->destroying = true;  // only this call frees it from here on
  }
  record->procedure(window, WM_DESTROY, 0, 0);
  {
    std::lock_guard<std::mutex> lock(platformMutex());
    killWindowTimersLocked(window);
  }
  record->model.destroyed = true;
  if (frontEndKnowsIt) frontEnd().windowDestroyed(window);
  std::unique_ptr<WindowRecord> removed;
  {
    std::lock_guard<std::mutex> lock(platformMutex());
    removed = removeWindowLocked(window);
    cancelUndeliverableSendsLocked();
  }
  return TRUE;
}

void notifyWindow(HWND window) { frontEnd().windowChanged(window, 0); }

}  // namespace

// The control classes are built in; there is nothing to load.
void InitCommonControls() {}

HICON LoadIconA(HINSTANCE instance, LPCSTR iconName) {
  const std::optional<int> id = intResource(iconName);
  if (!id || findIcon(instance, *id) == nullptr) return nullptr;
  return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(*id));  // the handle carries the resource id
}

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND /*parent*/, DLGPROC /*dialogProc*/,
                        LPARAM /*initParam*/) {
  const std::optional<int> id = intResource(templateName);
  const DialogTemplate* dialog = id ? findDialogTemplate(instance, *id) : nullptr;
  if (dialog == nullptr || dialog->className == nullptr || !itemsUsable(*dialog)) return nullptr;

  auto record = std::make_unique<WindowRecord>();
  if (dialog->menuId != 0) {
    const MenuTemplate* menu = findMenuTemplate(instance, dialog->menuId);
    std::optional<std::vector<MenuPopupModel>> popups = menu ? menuFrom(*menu) : std::nullopt;
    if (!popups) return nullptr;
    record->model.menu = std::move(*popups);
  }
  WindowModel& model = record->model;
  record->className = dialog->className;
  model.className = dialog->className;
  model.title = dialog->caption == nullptr ? "" : dialog->caption;
  model.style = dialog->style;
  model.dialogRect = unitRect(dialog->x, dialog->y, dialog->cx, dialog->cy);
  model.screenRect = toPixels(model.dialogRect);
  if ((dialog->style & DS_SETFONT) != 0 && dialog->fontName != nullptr) {
    model.fontName = dialog->fontName;
    model.fontPointSize = dialog->fontPointSize;
  }
  model.visible = (dialog->style & WS_VISIBLE) != 0;
  if ((dialog->style & WS_SYSMENU) != 0) model.systemMenu = defaultSystemMenu();
  std::vector<ControlModel> controls = controlsFrom(*dialog);

  HWND window = nullptr;
  WNDPROC procedure = nullptr;
  {
    std::lock_guard<std::mutex> lock(platformMutex());
    const WindowClass* windowClass = findClassLocked(dialog->className);
    if (windowClass == nullptr) return nullptr;
    procedure = windowClass->procedure;
    record->procedure = procedure;
    record->model.iconId = windowClass->iconId;
    record->ownerThread = currentThreadIdLocked();
    window = addWindowLocked(std::move(record));
  }

  // As with Windows' dialog manager, the controls come only after WM_CREATE.
  if (procedure(window, WM_CREATE, 0, 0) == CREATE_REFUSED) {
    destroyWindow(window, false);
    return nullptr;
  }
  {
    std::lock_guard<std::mutex> lock(platformMutex());
    const WindowTarget target = resolveLocked(window);
    if (target.window == nullptr) return nullptr;  // destroyed during WM_CREATE
    addControlsLocked(*target.window, std::move(controls));
  }
  frontEnd().windowCreated(window);
  return window;
}

BOOL DestroyWindow(HWND window) { return destroyWindow(window, true); }

BOOL IsWindow(HWND window) {
  std::lock_guard<std::mutex> lock(platformMutex());
  return resolveLocked(window).window != nullptr ? TRUE : FALSE;
}

BOOL ShowWindow(HWND window, int showCommand) {
  WindowRecord* record = ownedWindow(window);
  if (record == nullptr) return FALSE;
  const bool wasVisible = record->model.visible;
  record->model.visible = showCommand != SW_HIDE;
  notifyWindow(window);
  return wasVisible ? TRUE : FALSE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  if (WindowRecord* record = ownedWindow(window)) {
    record->model.title = text == nullptr ? "" : text;
    notifyWindow(window);
    return TRUE;
  }
  const OwnedControl control = ownedControl(window);
  if (control.control == nullptr) return FALSE;
  controlMessage(control.window->handle, *control.control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND /*insertAfter*/, int x, int y, int cx, int cy, UINT flags) {
  WindowRecord* record = ownedWindow(window);
  if (record == nullptr) return FALSE;
  RECT& rect = record->model.screenRect;
  // A position near the ends of the int range (a hand-edited settings file)
  // must not overflow: the far edges stop at the range's end.
  std::int64_t width = std::int64_t{rect.right} - rect.left;
  std::int64_t height = std::int64_t{rect.bottom} - rect.top;
  if ((flags & SWP_NOMOVE) == 0) {
    rect.left = x;
    rect.top = y;
  }
  if ((flags & SWP_NOSIZE) == 0) {
    width = cx;
    height = cy;
  }
  const auto edge = [](std::int64_t value) {
    return static_cast<LONG>(
        std::clamp<std::int64_t>(value, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
  };
  rect.right = edge(rect.left + width);
  rect.bottom = edge(rect.top + height);
  notifyWindow(window);
  return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  const WindowRecord* record = ownedWindow(window);
  if (record == nullptr || rect == nullptr) return FALSE;
  *rect = record->model.screenRect;
  return TRUE;
}

BOOL MapDialogRect(HWND dialog, RECT* rect) {
  if (ownedWindow(dialog) == nullptr || rect == nullptr) return FALSE;
  *rect = toPixels(*rect);
  return TRUE;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
  // Only the system cursors exist: no instance, an id in the pointer.
  if (instance != nullptr || !intResource(cursorName)) return nullptr;
  return reinterpret_cast<HCURSOR>(reinterpret_cast<std::uintptr_t>(cursorName));
}

HCURSOR SetCursor(HCURSOR cursor) { return currentCursor.exchange(cursor); }

HCURSOR GetCursor() { return currentCursor.load(); }

BOOL MessageBeep(UINT type) {
  frontEnd().beep(type);
  return TRUE;
}
