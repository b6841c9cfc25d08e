// A small window for the platform tests: its own template and class, a
// procedure that records what reaches it and lets a test react, and a
// headless front end installed for each test.
#pragma once

#include "platform/headless/headless_front_end.h"
#include "platform/messages.h"
#include "platform/resources.h"
#include "platform/window.h"
#include "platform/window_model.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <vector>

namespace platform_test {

constexpr int TEST_DIALOG = 7;
constexpr int TEST_MENU = 8;
constexpr int TEST_ICON = 9;
inline constexpr const char* TEST_CLASS = "PLATFORMTEST";

constexpr int IDC_LABEL_FIELD = 200;
constexpr int IDC_PUSH = 201;
constexpr int IDC_CHECK = 202;
constexpr int IDC_DISABLED = 203;
constexpr int IDC_RADIO_A = 204;
constexpr int IDC_RADIO_B = 205;
constexpr int IDC_BAR = 206;
constexpr UINT IDM_OPEN = 300;
constexpr UINT IDM_QUIT = 301;

inline const DialogItemTemplate TEST_ITEMS[] = {
    {CLASS_STATIC, "Label :", NO_CONTROL_ID, SS_RIGHT, 5, 5, 40, 10, 0},
    {CLASS_STATIC, "", IDC_LABEL_FIELD, SS_LEFT | SS_SUNKEN, 50, 5, 80, 10, 0},
    {CLASS_BUTTON, "PUSH", IDC_PUSH, BS_PUSHBUTTON | WS_TABSTOP, 140, 5, 40, 12, 0},
    {CLASS_BUTTON, "Check", IDC_CHECK, BS_CHECKBOX | WS_TABSTOP, 5, 20, 60, 10, 0},
    {CLASS_BUTTON, "Off", IDC_DISABLED, BS_CHECKBOX | WS_DISABLED, 70, 20, 60, 10, 0},
    {CLASS_BUTTON, "A", IDC_RADIO_A, BS_RADIOBUTTON | WS_GROUP, 5, 35, 30, 10, 0},
    {CLASS_BUTTON, "B", IDC_RADIO_B, BS_RADIOBUTTON, 40, 35, 30, 10, 0},
    {CLASS_PROGRESS, "", IDC_BAR, 0, 5, 50, 170, 10, 0},
    {CLASS_STATIC, "", NO_CONTROL_ID, SS_ICON, 150, 35, 20, 20, TEST_ICON},
};
inline const MenuItemTemplate FILE_ITEMS[] = {
    {"Open", IDM_OPEN, false},
    {"", 0, true},
    {"Quit", IDM_QUIT, false},
};
inline const MenuPopupTemplate TEST_POPUPS[] = {{"File", FILE_ITEMS, static_cast<int>(std::size(FILE_ITEMS))}};
inline const MenuTemplate TEST_MENUS[] = {{TEST_MENU, TEST_POPUPS, 1}};
inline const char* const ICON_XPM[] = {"1 1 1 1", "  c None", " "};
inline const IconTemplate TEST_ICONS[] = {{TEST_ICON, ICON_XPM}};
inline const DialogTemplate TEST_DIALOGS[] = {
    {TEST_DIALOG, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT, 10, 20, 180, 64, "MS Sans Serif", 8, TEST_CLASS,
     TEST_MENU, "", TEST_ITEMS, static_cast<int>(std::size(TEST_ITEMS))},
};
inline const ResourceTable TEST_RESOURCES = {TEST_DIALOGS, 1, TEST_MENUS, 1, TEST_ICONS, 1};

struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// What the test window's procedure saw, and what it does besides recording.
struct ProcedureLog {
  std::vector<Received> messages;
  std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> react;

  std::vector<WPARAM> commands() const {
    std::vector<WPARAM> ids;
    for (const Received& r : messages) {
      if (r.message == WM_COMMAND) ids.push_back(r.wParam);
    }
    return ids;
  }
};

inline ProcedureLog& procedureLog() {
  static ProcedureLog log;
  return log;
}

inline LRESULT testWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  procedureLog().messages.push_back(Received{window, message, wParam, lParam});
  if (procedureLog().react) return procedureLog().react(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

// Leaves the calling thread's queue empty (and WM_QUIT taken), without dispatching.
inline void drainQueue() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drainQueue();
    procedureLog() = ProcedureLog{};
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = testWindowProcedure;
    windowClass.hInstance = &TEST_RESOURCES;
    windowClass.hIcon = LoadIconA(&TEST_RESOURCES, MAKEINTRESOURCEA(TEST_ICON));
    windowClass.lpszClassName = TEST_CLASS;
    ASSERT_NE(RegisterClassA(&windowClass), 0);
  }

  void TearDown() override {
    for (HWND window : frontEnd.createdWindows()) DestroyWindow(window);
    procedureLog().react = nullptr;
    drainQueue();
    EXPECT_TRUE(UnregisterClassA(TEST_CLASS, &TEST_RESOURCES));
  }

  HWND createWindow() {
    return CreateDialogParamA(&TEST_RESOURCES, MAKEINTRESOURCEA(TEST_DIALOG), nullptr, nullptr, 0);
  }

  HeadlessFrontEnd frontEnd;
};

}  // namespace platform_test
