#include "platform/win32/win32_front_end.h"

#include "platform/file_drops.h"
#include "platform/message_queue_state.h"
#include "platform/window_model.h"

namespace {

native::WindowKey keyOf(HWND window) { return reinterpret_cast<native::WindowKey>(window); }

HWND windowOf(native::WindowKey key) { return reinterpret_cast<HWND>(key); }

native::Rect rectOf(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

native::WindowSpec specOf(const WindowModel& model) {
  native::WindowSpec spec;
  spec.className = model.className;
  spec.title = model.title;
  spec.style = model.style;
  spec.dialogUnits = rectOf(model.dialogRect);
  spec.left = model.screenRect.left;
  spec.top = model.screenRect.top;
  spec.fontName = model.fontName;
  spec.fontPointSize = model.fontPointSize;
  spec.iconId = model.iconId;
  for (const ControlModel& control : model.controls) {
    spec.controls.push_back(
        {control.className, control.text, control.id, control.style, rectOf(control.dialogRect), control.iconId});
  }
  for (const MenuPopupModel& popup : model.menu) {
    native::MenuPopupSpec shown{popup.text, {}};
    for (const MenuItemModel& item : popup.items) shown.items.push_back({item.text, item.id, item.separator});
    spec.menu.push_back(std::move(shown));
  }
  return spec;
}

native::ControlState stateOf(const ControlModel& control) {
  return {control.text,        control.enabled,     control.checked,
          control.progressPos, control.progressMin, control.progressMax};
}

native::FileNameRequest requestOf(const FileDialogRequest& request) {
  return {request.save, request.title, request.initialName, request.filters, request.defaultExtension, request.flags};
}

}  // namespace

Win32FrontEnd::Win32FrontEnd() : shell_(*this) {}

Win32FrontEnd::~Win32FrontEnd() = default;

void Win32FrontEnd::waitForEvents(int timeoutMs) { shell_.wait(timeoutMs); }

void Win32FrontEnd::wakeMainThread() { shell_.wake(); }

int Win32FrontEnd::showMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  return shell_.messageBox(keyOf(owner), text, caption, type);
}

bool Win32FrontEnd::askFileName(HWND owner, const FileDialogRequest& request, std::string* path) {
  std::optional<std::string> chosen = shell_.askFileName(keyOf(owner), requestOf(request));
  if (!chosen) return false;
  *path = std::move(*chosen);
  return true;
}

bool Win32FrontEnd::confirmOverwrite(HWND /*owner*/, const std::string& /*path*/) { return true; }

void Win32FrontEnd::beep(UINT type) { shell_.beep(type); }

void Win32FrontEnd::windowCreated(HWND window) {
  const WindowModel* model = windowModel(window);
  if (model == nullptr || !shell_.createWindow(keyOf(window), specOf(*model))) return;
  for (const ControlModel& control : model->controls) {
    if (control.id != NO_CONTROL_ID) shell_.showControl(keyOf(window), control.id, stateOf(control));
  }
  showWindowState(window);
}

void Win32FrontEnd::windowChanged(HWND window, int controlId) {
  if (shell_.realWindow(keyOf(window)) == 0) return;  // changes during WM_CREATE come before the window
  WindowModel* model = windowModel(window);
  if (model == nullptr) return;
  if (controlId == 0) {
    showWindowState(window);
    return;
  }
  if (const ControlModel* control = findControl(*model, controlId)) {
    shell_.showControl(keyOf(window), controlId, stateOf(*control));
  }
}

void Win32FrontEnd::windowDestroyed(HWND window) {
  shell_.destroyWindow(keyOf(window));
  knownPositions_.erase(window);
}

std::uintptr_t Win32FrontEnd::realWindow(HWND window) const { return shell_.realWindow(keyOf(window)); }

void Win32FrontEnd::showWindowState(HWND window) {
  const WindowModel* model = windowModel(window);
  if (model == nullptr) return;
  const native::WindowKey key = keyOf(window);
  shell_.setTitle(key, model->title);
  const POINT wanted{model->screenRect.left, model->screenRect.top};
  const auto known = knownPositions_.find(window);
  if (known == knownPositions_.end() || known->second.x != wanted.x || known->second.y != wanted.y) {
    shell_.moveWindow(key, wanted.x, wanted.y);
  }
  for (const MenuPopupModel& popup : model->menu) {
    for (const MenuItemModel& item : popup.items) {
      if (!item.separator) shell_.showMenuItem(key, item.id, item.checked, item.grayed);
    }
  }
  for (const SystemMenuItemModel& item : model->systemMenu) shell_.showSystemMenuItem(key, item.command, item.grayed);
  shell_.acceptFiles(key, model->acceptsFiles);
  shell_.setVisible(key, model->visible);
}

void Win32FrontEnd::controlClicked(native::WindowKey window, int controlId) {
  clickControl(windowOf(window), controlId);
}

void Win32FrontEnd::menuItemChosen(native::WindowKey window, unsigned itemId) {
  clickMenuItem(windowOf(window), itemId);
}

void Win32FrontEnd::filesDropped(native::WindowKey window, const std::vector<std::string>& names) {
  dropFiles(windowOf(window), names);
}

void Win32FrontEnd::closeRequested(native::WindowKey window) { requestClose(windowOf(window)); }

// The model learns the real rectangle: GetWindowRect and the saved settings read it.
void Win32FrontEnd::windowMoved(native::WindowKey key, const native::Rect& outer) {
  HWND window = windowOf(key);
  WindowModel* model = windowModel(window);
  if (model == nullptr) return;
  model->screenRect = RECT{outer.left, outer.top, outer.right, outer.bottom};
  knownPositions_[window] = POINT{outer.left, outer.top};
}

int Win32FrontEnd::carryOutPendingMessages() {
  processPendingMessages();
  return msUntilNextDue();
}
