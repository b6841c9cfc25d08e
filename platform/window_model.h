// The window model: the truth about every window, control and menu item.
// The program changes it through the calls in platform/window.h; a front end
// only shows it, and turns clicks into the WM_COMMAND Windows would send.
//
// The model belongs to the window's thread (the main thread), with one
// exception: a control's text and progress position, which workers set while
// they work (SetDlgItemTextA, PBM_SETPOS from another thread), are applied by
// the worker itself under controlStateMutex(). Front ends read the model on
// the main thread, those two fields under that mutex.
#pragma once

#include "platform/resources.h"
#include "platform/win_types.h"

#include <mutex>
#include <string>
#include <vector>

struct ControlModel {
  int id = NO_CONTROL_ID;
  std::string className;  // CLASS_STATIC, CLASS_BUTTON, CLASS_PROGRESS
  DWORD style = 0;
  std::string text;
  RECT dialogRect{};  // x, y, x + cx, y + cy in dialog units
  int iconId = 0;
  bool enabled = true;
  UINT checked = BST_UNCHECKED;
  int progressPos = 0;
  int progressMin = 0;
  int progressMax = 100;
  HWND handle = nullptr;  // for GetDlgItem
};

struct MenuItemModel {
  UINT id = 0;  // 0 for a separator
  std::string text;
  bool separator = false;
  bool checked = false;
  bool grayed = false;
};

struct MenuPopupModel {
  std::string text;
  std::vector<MenuItemModel> items;
};

struct SystemMenuItemModel {
  UINT command = 0;  // SC_*
  bool grayed = false;
};

struct WindowModel {
  std::string className;
  std::string title;
  DWORD style = 0;
  RECT screenRect{};  // outer rectangle in screen pixels
  RECT dialogRect{};  // template size in dialog units
  std::string fontName;
  int fontPointSize = 8;
  bool visible = false;
  bool destroyed = false;
  int iconId = 0;                      // the class icon
  bool acceptsFiles = false;           // DragAcceptFiles
  std::vector<ControlModel> controls;  // template order
  std::vector<MenuPopupModel> menu;
  std::vector<SystemMenuItemModel> systemMenu;
};

// A leaf: nothing else is locked or called while it is held.
std::mutex& controlStateMutex();

// The model of a top-level window of the calling thread, or nullptr for a
// control handle, another thread's window or a window that no longer exists.
WindowModel* windowModel(HWND window);
// The control with this id, or nullptr; labels (NO_CONTROL_ID) are never found.
ControlModel* findControl(WindowModel& model, int id);
MenuItemModel* findMenuItem(WindowModel& model, UINT id);

// What a front end must do for a user's action, with Windows' rules: a click
// on a disabled control or a greyed item does nothing, nor does one on a
// static text, a progress bar or a group box. A button posts WM_COMMAND with
// MAKEWPARAM(id, BN_CLICKED) and the control's handle; a menu item
// MAKEWPARAM(id, 0) and 0. No mark changes by itself (the buttons are of the
// non-automatic kind). requestClose posts WM_CLOSE unless the system menu's
// Close is greyed. Return TRUE when a message was posted. Main thread only.
BOOL clickControl(HWND window, int controlId);
BOOL clickMenuItem(HWND window, UINT itemId);
BOOL requestClose(HWND window);  // title-bar close: WM_CLOSE
