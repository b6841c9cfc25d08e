#include "shown_controls.h"

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

#include <vector>

namespace {

HWND controlOf(std::uintptr_t window, int controlId) { return ::GetDlgItem(reinterpret_cast<HWND>(window), controlId); }

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

void dropOnto(std::uintptr_t window, const std::wstring& name) {
  // The names follow the header, each ended by a zero, and one more zero ends them.
  const std::size_t bytes = sizeof(DROPFILES) + (name.size() + 2) * sizeof(wchar_t);
  HGLOBAL drop = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  auto* header = static_cast<DROPFILES*>(::GlobalLock(drop));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), name.c_str(), name.size() * sizeof(wchar_t));
  ::GlobalUnlock(drop);
  ::PostMessageW(reinterpret_cast<HWND>(window), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
}

bool takesDrops(std::uintptr_t window) {
  return (::GetWindowLongPtrW(reinterpret_cast<HWND>(window), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
}
