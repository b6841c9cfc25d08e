#include "shown_controls.h"

#include <windows.h>

#include <commctrl.h>

#include <vector>

namespace {

HWND controlOf(std::uintptr_t window, int controlId) {
  return ::GetDlgItem(reinterpret_cast<HWND>(window), controlId);
}

}  // namespace

int shownProgress(std::uintptr_t window, int controlId) {
  return static_cast<int>(::SendMessageW(controlOf(window, controlId), PBM_GETPOS, 0, 0));
}

std::string shownText(std::uintptr_t window, int controlId) {
  HWND control = controlOf(window, controlId);
  std::vector<char> text(static_cast<std::size_t>(::GetWindowTextLengthA(control)) + 1, '\0');
  ::GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
  return text.data();
}
