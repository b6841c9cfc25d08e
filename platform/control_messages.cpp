#include "platform/control_messages.h"

#include "platform/front_end.h"

#include <algorithm>
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

LRESULT controlMessage(HWND window, ControlModel& control, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (message == WM_SETTEXT) {
    const auto* text = reinterpret_cast<LPCSTR>(lParam);
    control.text = text == nullptr ? "" : text;
    result = TRUE;
  } else if (message == BM_SETCHECK && isClass(control, CLASS_BUTTON)) {
    control.checked = static_cast<UINT>(wParam);
  } else if (message == PBM_SETPOS && isClass(control, CLASS_PROGRESS)) {
    result = control.progressPos;
    control.progressPos = clampToRange(static_cast<int>(wParam), control);
  } else if (message == PBM_SETRANGE && isClass(control, CLASS_PROGRESS)) {
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
