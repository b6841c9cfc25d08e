// The live windows: every top-level window and control handle, checked
// before use, so a stale or made-up HWND or HMENU finds nothing instead of
// freed memory. Handles are serial numbers, never reused. Internal to the
// platform layer.
//
// A window's model belongs to its owning thread; the other fields of a
// WindowRecord are fixed at creation, except destroying, which is guarded
// by platformMutex(). "Locked" functions need platformMutex() held.
#pragma once

#include "platform/messages.h"
#include "platform/window_model.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct WindowRecord {
  HWND handle = nullptr;
  DWORD ownerThread = 0;
  WNDPROC procedure = nullptr;
  std::string className;
  bool destroying = false;
  WindowModel model;
};

// Gives the window its handle; counts it for its thread and its class.
HWND addWindowLocked(std::unique_ptr<WindowRecord> window);
// Gives each control a handle and makes them the window's controls.
void addControlsLocked(WindowRecord& window, std::vector<ControlModel> controls);
// The window and its controls are unknown afterwards; the caller frees the
// record once the lock is released.
std::unique_ptr<WindowRecord> removeWindowLocked(HWND window);
std::vector<std::unique_ptr<WindowRecord>> removeWindowsOfThreadLocked(DWORD threadId);

struct WindowTarget {
  WindowRecord* window = nullptr;
  int controlIndex = -1;  // -1: the window itself
};
WindowTarget resolveLocked(HWND handle);
DWORD ownerThreadLocked(HWND handle);  // 0 when the handle is unknown

// Lookups for the owning thread (they take the lock): nullptr when the handle
// is unknown or belongs to another thread.
WindowRecord* ownedWindow(HWND window);  // top-level windows only
struct OwnedControl {
  WindowRecord* window = nullptr;
  ControlModel* control = nullptr;
};
OwnedControl ownedControl(HWND control);
OwnedControl ownedDialogItem(HWND dialog, int controlId);

enum class MenuKind : std::uintptr_t { Bar = 1, System = 2 };
HMENU menuHandle(const WindowRecord& window, MenuKind kind);
WindowRecord* ownedMenuWindow(HMENU menu, MenuKind* kind);

// Carries out a message for the target on the calling thread, which must own
// it: the window procedure for a window, the control's own handling for a
// control or a dialog item (itemId). 0 when there is no such target.
LRESULT deliverMessage(HWND target, std::optional<int> itemId, UINT message, WPARAM wParam, LPARAM lParam);
