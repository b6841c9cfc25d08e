// window_probe: what a user sees of another program's windows, for the
// end-to-end test that drives veskconv.exe from outside (window_end_to_end.py).
// It only looks; the test clicks and types with xdotool.
//
//   window_probe window CLASS TITLE        the window's rectangle
//   window_probe control CLASS TITLE ID    a control's rectangle, state and text
//
// CLASS "-" matches any class. Rectangles are screen pixels: left top right
// bottom. A control line is the rectangle, then enabled (0/1), check state,
// progress position, and after a tab its text in UTF-8. Exit status 2 when
// the window or control does not exist.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int NOT_FOUND = 2;
constexpr int USAGE = 3;
constexpr UINT REPLY_MS = 5000;

std::wstring wide(const char* text) {
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring result(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text, -1, result.data(), size);
  result.resize(std::wcslen(result.c_str()));
  return result;
}

std::string utf8(const std::wstring& text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), size, nullptr, nullptr);
  result.resize(std::strlen(result.c_str()));
  return result;
}

LRESULT ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, REPLY_MS, &answer);
  return static_cast<LRESULT>(answer);
}

std::wstring textOf(HWND window) {
  const auto length = static_cast<std::size_t>(ask(window, WM_GETTEXTLENGTH, 0, 0));
  std::vector<wchar_t> text(length + 1, L'\0');
  ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  return text.data();
}

bool isClass(HWND window, const wchar_t* name) {
  wchar_t found[64] = {};
  ::GetClassNameW(window, found, 64);
  return ::lstrcmpiW(found, name) == 0;
}

void printRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  std::printf("%ld %ld %ld %ld", rect.left, rect.top, rect.right, rect.bottom);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return USAGE;
  const std::wstring className = wide(argv[2]);
  const std::wstring title = wide(argv[3]);
  HWND window = ::FindWindowW(className == L"-" ? nullptr : className.c_str(), title.c_str());
  if (window == nullptr) return NOT_FOUND;
  if (std::strcmp(argv[1], "window") == 0) {
    printRect(window);
    std::printf("\n");
    return 0;
  }
  if (std::strcmp(argv[1], "control") != 0 || argc != 5) return USAGE;
  HWND control = ::GetDlgItem(window, std::atoi(argv[4]));
  if (control == nullptr) return NOT_FOUND;
  const bool button = isClass(control, L"Button");
  const bool progress = isClass(control, PROGRESS_CLASSW);
  printRect(control);
  std::printf(" %d %ld %ld\t%s\n", ::IsWindowEnabled(control) ? 1 : 0,
              button ? static_cast<long>(ask(control, BM_GETCHECK, 0, 0)) : 0L,
              progress ? static_cast<long>(ask(control, PBM_GETPOS, 0, 0)) : 0L, utf8(textOf(control)).c_str());
  return 0;
}
