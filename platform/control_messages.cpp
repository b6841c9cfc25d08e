#include "platform/control_messages.h"

#include "platform/front_end.h"

#include <algorithm>
#include <mutex>
#include <strings.h>

namespace {

bool isClass(const ControlModel& control, const char* className) {
  return strcasecmp(control.className.c_str(), className) == 0;
}

// A range given upside down still bounds the position.
int clampToRange(int position, const ControlModel& control) {
  return std::clamp(position, std::min(control.progressMin, control.progressMax),
                    std::max(control.progressMin, control.progressMax));
}

}  // namespace

bool isDirectControlUpdate(UINT message) { return message == WM_SETTEXT || message == PBM_SETPOS; }

LRESULT applyControlUpdate(ControlModel& control, UINT message, WPARAM wParam, LPARAM lParam) {
  std::lock_guard<std::mutex> lock(controlStateMutex());
  if (message == WM_SETTEXT) {
    const auto* text = reinterpret_cast<LPCSTR>(lParam);
    control.text = text == nullptr ? "" : text;
    return TRUE;
  }
  if (message == PBM_SETPOS && isClass(control, CLASS_PROGRESS)) {
    const LRESULT previous = control.progressPos;
    control.progressPos = clampToRange(static_cast<int>(wParam), control);
    return previous;
  }
  return 0;
}

LRESULT controlMessage(HWND window, ControlModel& control, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (message == WM_SETTEXT || (message == PBM_SETPOS && isClass(control, CLASS_PROGRESS))) {
    result = applyControlUpdate(control, message, wParam, lParam);
  } else if (message == BM_SETCHECK && isClass(control, CLASS_BUTTON)) {
    control.checked = static_cast<UINT>(wParam);
  } else if (message == PBM_SETRANGE && isClass(control, CLASS_PROGRESS)) {
    std::lock_guard<std::mutex> lock(controlStateMutex());
    result = MAKELPARAM(static_cast<WORD>(control.progressMin), static_cast<WORD>(control.progressMax));
    control.progressMin = LOWORD(static_cast<WPARAM>(lParam));
    control.progressMax = HIWORD(static_cast<WPARAM>(lParam));
    control.progressPos = clampToRange(control.progressPos, control);
  } else {
    return 0;
  }
  const int controlId = control.id;
  frontEnd().windowChanged(window, controlId);
  return result;
}
