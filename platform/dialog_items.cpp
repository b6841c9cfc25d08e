#include "platform/window.h"

#include "platform/control_messages.h"
#include "platform/front_end.h"
#include "platform/message_queue_internal.h"
#include "platform/window_registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

HWND GetDlgItem(HWND dialog, int controlId) {
  const OwnedControl item = ownedDialogItem(dialog, controlId);
  return item.control == nullptr ? nullptr : item.control->handle;
}

BOOL SetDlgItemTextA(HWND dialog, int controlId, LPCSTR text) {
  return SendDlgItemMessageA(dialog, controlId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int controlId, LPSTR buffer, int bufferSize) {
  if (buffer == nullptr || bufferSize <= 0) return 0;
  const OwnedControl item = ownedDialogItem(dialog, controlId);
  std::lock_guard<std::mutex> lock(controlStateMutex());
  const std::size_t length =
      item.control == nullptr ? 0 : std::min(item.control->text.size(), static_cast<std::size_t>(bufferSize - 1));
  if (length > 0) std::memcpy(buffer, item.control->text.data(), length);
  buffer[length] = '\0';
  return static_cast<UINT>(length);
}

LRESULT SendDlgItemMessageA(HWND dialog, int controlId, UINT message, WPARAM wParam, LPARAM lParam) {
  return sendToWindow(dialog, controlId, message, wParam, lParam);
}

BOOL EnableWindow(HWND control, BOOL enable) {
  const OwnedControl item = ownedControl(control);
  if (item.control == nullptr) return FALSE;
  const bool wasDisabled = !item.control->enabled;
  item.control->enabled = enable != FALSE;
  frontEnd().windowChanged(item.window->handle, item.control->id);
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND control) {
  if (ownedWindow(control) != nullptr) return TRUE;
  const OwnedControl item = ownedControl(control);
  return item.control != nullptr && item.control->enabled ? TRUE : FALSE;
}

BOOL CheckDlgButton(HWND dialog, int buttonId, UINT check) {
  const OwnedControl item = ownedDialogItem(dialog, buttonId);
  if (item.control == nullptr) return FALSE;
  controlMessage(dialog, *item.control, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int buttonId) {
  const OwnedControl item = ownedDialogItem(dialog, buttonId);
  return item.control == nullptr ? BST_UNCHECKED : item.control->checked;
}

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
  const WindowRecord* window = ownedWindow(dialog);
  if (window == nullptr || firstId > lastId) return FALSE;
  std::vector<HWND> group;
  for (const ControlModel& control : window->model.controls) {
    if (control.id >= firstId && control.id <= lastId) group.push_back(control.handle);
  }
  // By handle, one at a time: the front end hears of each change in between.
  for (HWND handle : group) {
    const OwnedControl item = ownedControl(handle);
    if (item.control == nullptr) continue;
    const UINT mark = item.control->id == checkId ? BST_CHECKED : BST_UNCHECKED;
    controlMessage(dialog, *item.control, BM_SETCHECK, mark, 0);
  }
  return TRUE;
}
