// What the Qt tests share: the installed front end, a window made from the
// program's template 102, and draining the main thread's queue.
#pragma once

#include "platform/messages.h"
#include "platform/qt/qt_front_end.h"
#include "platform/qt/window_view.h"
#include "platform/window.h"
#include "res/program_resources.h"
#include "res/resource_ids.h"

#include <QString>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

QtFrontEnd& qtFrontEnd();

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

// Every message waiting for the calling thread, removed.
inline std::vector<MSG> takeMessages() {
  std::vector<MSG> messages;
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) messages.push_back(msg);
  return messages;
}

inline LRESULT testWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class QtWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = testWindowProcedure;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = programInstance();
    windowClass.hIcon = LoadIconA(programInstance(), MAKEINTRESOURCEA(IDI_VESKCONV));
    windowClass.lpszClassName = "VESKCONV";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    window = CreateDialogParamA(programInstance(), MAKEINTRESOURCEA(IDD_MAIN), nullptr, nullptr, 0);
    ASSERT_NE(window, nullptr);
    view = qtFrontEnd().view(window);
    ASSERT_NE(view, nullptr);
    takeMessages();
  }

  void TearDown() override {
    if (window != nullptr && IsWindow(window)) DestroyWindow(window);
    takeMessages();
    UnregisterClassA("VESKCONV", programInstance());
  }

  QWidget* widget(int id) const { return view->control(id); }

  HWND window = nullptr;
  WindowView* view = nullptr;
};
