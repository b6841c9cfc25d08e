#include "platform/window_registry.h"

#include "platform/control_messages.h"
#include "platform/message_queue_internal.h"
#include "platform/window_class.h"

#include <unordered_map>
#include <utility>

namespace {

// Handles are serial numbers times HANDLE_STEP; the low bits of a window's
// handle then name its menus (MenuKind).
constexpr std::uintptr_t HANDLE_STEP = 16;
constexpr std::uintptr_t MENU_KIND_MASK = HANDLE_STEP - 1;

struct Registry {
  std::unordered_map<std::uintptr_t, std::unique_ptr<WindowRecord>> windows;
  std::unordered_map<std::uintptr_t, WindowTarget> controls;
  std::uintptr_t nextSerial = 1;
};

Registry& registry() {
  static auto* windows = new Registry;  // never destroyed: threads ending at exit still remove theirs
  return *windows;
}

std::uintptr_t key(HWND handle) { return reinterpret_cast<std::uintptr_t>(handle); }

HWND newHandleLocked() { return reinterpret_cast<HWND>(registry().nextSerial++ * HANDLE_STEP); }

WindowTarget ownedTarget(HWND handle) {
  std::lock_guard<std::mutex> lock(platformMutex());
  const WindowTarget target = resolveLocked(handle);
  if (target.window == nullptr || target.window->ownerThread != currentThreadIdLocked()) return {};
  return target;
}

}  // namespace

HWND addWindowLocked(std::unique_ptr<WindowRecord> window) {
  window->handle = newHandleLocked();
  countOwnedWindowLocked(window->ownerThread, 1);
  if (WindowClass* windowClass = findClassLocked(window->className)) ++windowClass->windowCount;
  const HWND handle = window->handle;
  registry().windows[key(handle)] = std::move(window);
  return handle;
}

void addControlsLocked(WindowRecord& window, std::vector<ControlModel> controls) {
  window.model.controls = std::move(controls);
  for (std::size_t i = 0; i < window.model.controls.size(); ++i) {
    ControlModel& control = window.model.controls[i];
    control.handle = newHandleLocked();
    registry().controls[key(control.handle)] = WindowTarget{&window, static_cast<int>(i)};
  }
}

std::unique_ptr<WindowRecord> removeWindowLocked(HWND window) {
  const auto found = registry().windows.find(key(window));
  if (found == registry().windows.end()) return nullptr;
  std::unique_ptr<WindowRecord> removed = std::move(found->second);
  registry().windows.erase(found);
  for (const ControlModel& control : removed->model.controls) registry().controls.erase(key(control.handle));
  countOwnedWindowLocked(removed->ownerThread, -1);
  if (WindowClass* windowClass = findClassLocked(removed->className)) --windowClass->windowCount;
  return removed;
}

std::vector<std::unique_ptr<WindowRecord>> removeWindowsOfThreadLocked(DWORD threadId) {
  std::vector<HWND> handles;
  for (const auto& [handle, window] : registry().windows) {
    if (window->ownerThread == threadId) handles.push_back(window->handle);
  }
  std::vector<std::unique_ptr<WindowRecord>> removed;
  for (HWND handle : handles) removed.push_back(removeWindowLocked(handle));
  return removed;
}

WindowTarget resolveLocked(HWND handle) {
  const auto window = registry().windows.find(key(handle));
  if (window != registry().windows.end()) return WindowTarget{window->second.get(), -1};
  const auto control = registry().controls.find(key(handle));
  if (control != registry().controls.end()) return control->second;
  return {};
}

DWORD ownerThreadLocked(HWND handle) {
  const WindowTarget target = resolveLocked(handle);
  return target.window == nullptr ? 0 : target.window->ownerThread;
}

WindowRecord* ownedWindow(HWND window) {
  const WindowTarget target = ownedTarget(window);
  return target.controlIndex < 0 ? target.window : nullptr;
}

OwnedControl ownedControl(HWND control) {
  const WindowTarget target = ownedTarget(control);
  if (target.window == nullptr || target.controlIndex < 0) return {};
  return OwnedControl{target.window, &target.window->model.controls[static_cast<std::size_t>(target.controlIndex)]};
}

OwnedControl ownedDialogItem(HWND dialog, int controlId) {
  WindowRecord* window = ownedWindow(dialog);
  if (window == nullptr) return {};
  ControlModel* control = findControl(window->model, controlId);
  return control == nullptr ? OwnedControl{} : OwnedControl{window, control};
}

HMENU menuHandle(const WindowRecord& window, MenuKind kind) {
  return reinterpret_cast<HMENU>(key(window.handle) | static_cast<std::uintptr_t>(kind));
}

WindowRecord* ownedMenuWindow(HMENU menu, MenuKind* kind) {
  const auto value = reinterpret_cast<std::uintptr_t>(menu);
  const std::uintptr_t kindBits = value & MENU_KIND_MASK;
  if (kindBits != static_cast<std::uintptr_t>(MenuKind::Bar) &&
      kindBits != static_cast<std::uintptr_t>(MenuKind::System)) {
    return nullptr;
  }
  WindowRecord* window = ownedWindow(reinterpret_cast<HWND>(value & ~MENU_KIND_MASK));
  if (window == nullptr) return nullptr;
  *kind = static_cast<MenuKind>(kindBits);
  const bool exists = *kind == MenuKind::Bar ? !window->model.menu.empty() : !window->model.systemMenu.empty();
  return exists ? window : nullptr;
}

LRESULT deliverMessage(HWND target, std::optional<int> itemId, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC procedure = nullptr;
  OwnedControl control;
  {
    std::lock_guard<std::mutex> lock(platformMutex());
    const WindowTarget resolved = resolveLocked(target);
    if (resolved.window == nullptr || resolved.window->ownerThread != currentThreadIdLocked()) return 0;
    WindowModel& model = resolved.window->model;
    if (itemId.has_value()) {
      if (resolved.controlIndex >= 0) return 0;
      control = OwnedControl{resolved.window, findControl(model, *itemId)};
      if (control.control == nullptr) return 0;
    } else if (resolved.controlIndex >= 0) {
      control = OwnedControl{resolved.window, &model.controls[static_cast<std::size_t>(resolved.controlIndex)]};
    } else {
      procedure = resolved.window->procedure;
    }
  }
  if (control.control != nullptr)
    return controlMessage(control.window->handle, *control.control, message, wParam, lParam);
  return procedure(target, message, wParam, lParam);
}
