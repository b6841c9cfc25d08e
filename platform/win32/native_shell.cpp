#include "platform/win32/native_ui.h"

#include "platform/code_page_text.h"
#include "platform/win32/common_dialogs.h"
#include "platform/win32/dialog_template.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <map>
#include <set>
#include <string>

namespace native {

namespace {

// Posted to the wake window: the program's messages are waiting.
constexpr UINT WM_WAKE = WM_APP + 1;
constexpr UINT_PTR PROGRAM_TIMER = 1;
constexpr wchar_t WAKE_CLASS[] = L"VESKCONV wake";
constexpr int BACKGROUND_COLOUR = COLOR_MENU;  // the program's class brush, COLOR_MENU + 1
constexpr DWORD BUTTON_TYPE_MASK = 0xF;        // BS_TYPEMASK
constexpr DWORD STATIC_TYPE_MASK = 0x1F;       // SS_TYPEMASK
constexpr UINT MENU_MARK_MASK = MF_CHECKED;
constexpr int NO_TIMER = -1;
constexpr wchar_t PROGRAM_CAPTION[] = L"VESKCONV";

enum class ControlKind { Static, Button, Progress };

struct RealControl {
  ControlKind kind = ControlKind::Static;
  bool showsMark = false;  // check boxes and radio buttons
  bool sunken = false;     // a field: a text it cannot show whole is its tooltip
  bool oneLine = false;
  bool known = false;  // the state below has been shown once
  ControlState shown;
};

struct RealWindow {
  HWND window = nullptr;
  HMENU menu = nullptr;
  HWND tooltip = nullptr;
  std::map<int, RealControl> controls;
};

ControlKind kindOf(const std::string& className) {
  if (::lstrcmpiA(className.c_str(), "BUTTON") == 0) return ControlKind::Button;
  if (::lstrcmpiA(className.c_str(), PROGRESS_CLASSA) == 0) return ControlKind::Progress;
  return ControlKind::Static;
}

bool isSunkenText(const ControlSpec& control) {
  const DWORD type = control.style & STATIC_TYPE_MASK;
  return kindOf(control.className) == ControlKind::Static && (control.style & SS_SUNKEN) != 0 &&
         (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
}

bool showsMark(const ControlSpec& control) {
  const DWORD type = control.style & BUTTON_TYPE_MASK;
  return kindOf(control.className) == ControlKind::Button && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON &&
         type != BS_GROUPBOX;
}

// Whether the control shows the whole text in its own font: on one line, or
// broken between words as a static breaks it.
bool textFits(HWND control, const std::wstring& text, bool oneLine) {
  RECT client{};
  ::GetClientRect(control, &client);
  HDC context = ::GetDC(control);
  const HGDIOBJ previous = ::SelectObject(context, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT needed{0, 0, client.right, 0};
  const UINT format = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (oneLine ? DT_SINGLELINE : DT_WORDBREAK);
  ::DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &needed, format);
  ::SelectObject(context, previous);
  ::ReleaseDC(control, context);
  return needed.right <= client.right && needed.bottom <= client.bottom;
}

// A tooltip over each sunken field, empty (so never shown) while the field shows its whole text.
HWND createTooltip(HWND window, const std::map<int, RealControl>& controls) {
  HWND tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
  if (tooltip == nullptr) return nullptr;
  // Paths are long: they wrap within the screen's width instead of running off it.
  ::SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, ::GetSystemMetrics(SM_CXSCREEN) / 2);
  for (const auto& [id, control] : controls) {
    HWND field = ::GetDlgItem(window, id);
    if (!control.sunken || field == nullptr) continue;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window;  // a static without SS_NOTIFY lets the mouse through to the window
    tool.uId = static_cast<UINT_PTR>(id);
    ::GetWindowRect(field, &tool.rect);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&tool.rect), 2);
    tool.lpszText = const_cast<wchar_t*>(L"");
    ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  return tooltip;
}

void setTooltipText(HWND tooltip, HWND window, int id, const std::wstring& text) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window;
  tool.uId = static_cast<UINT_PTR>(id);
  tool.lpszText = const_cast<wchar_t*>(text.c_str());
  ::SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

HMENU buildMenu(const std::vector<MenuPopupSpec>& popups) {
  if (popups.empty()) return nullptr;
  HMENU bar = ::CreateMenu();
  for (const MenuPopupSpec& popup : popups) {
    HMENU items = ::CreatePopupMenu();
    for (const MenuItemSpec& item : popup.items) {
      if (item.separator) {
        ::AppendMenuW(items, MF_SEPARATOR, 0, nullptr);
      } else {
        ::AppendMenuW(items, MF_STRING, item.id, codepage::toWide(item.text).c_str());
      }
    }
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(items), codepage::toWide(popup.text).c_str());
  }
  return bar;
}

}  // namespace

struct ShellState {
  explicit ShellState(NativeEvents& handler) : events(handler) {}

  NativeEvents& events;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  HWND wakeWindow = nullptr;
  std::atomic<bool> wakePosted{false};
  std::map<WindowKey, RealWindow> windows;
  std::map<HWND, WindowKey> keys;
  std::set<std::wstring> classes;

  RealWindow* find(WindowKey key) {
    const auto found = windows.find(key);
    return found == windows.end() ? nullptr : &found->second;
  }
  const WindowKey* keyOf(HWND window) const {
    const auto found = keys.find(window);
    return found == keys.end() ? nullptr : &found->second;
  }
  HWND ownerOf(WindowKey key) {
    RealWindow* real = find(key);
    return real == nullptr ? nullptr : real->window;
  }
  // The real window a message is for, itself or one of its controls.
  HWND windowOfMessage(HWND target) const {
    for (const auto& [key, real] : windows) {
      if (target == real.window || ::IsChild(real.window, target)) return real.window;
    }
    return nullptr;
  }

  // Inside a loop of Windows' own the program's messages are carried out
  // from here, and its next timer gets one of ours.
  void carryOutPending() {
    const int dueInMs = events.carryOutPendingMessages();
    if (dueInMs == NO_TIMER) {
      ::KillTimer(wakeWindow, PROGRAM_TIMER);
    } else {
      ::SetTimer(wakeWindow, PROGRAM_TIMER, static_cast<UINT>(dueInMs > 0 ? dueInMs : USER_TIMER_MINIMUM), nullptr);
    }
  }

  void reportPosition(HWND window, WindowKey key) {
    // A minimised window keeps the position it had, for the settings.
    if (::IsIconic(window)) return;
    RECT outer{};
    if (::GetWindowRect(window, &outer))
      events.windowMoved(key, Rect{outer.left, outer.top, outer.right, outer.bottom});
  }

  bool registerClass(const std::wstring& name, int iconId);
};

namespace {

// One shell per process: the window procedures find it here.
ShellState* shellState = nullptr;

// Tab, the arrows and Space move and press as in any dialog; Enter and
// Escape stay with the control that has the focus, where they do nothing
// (the template's default push button is EXIT).
bool takenByDialogManager(const ShellState& state, MSG& message) {
  const bool keyMessage = message.message == WM_KEYDOWN || message.message == WM_KEYUP || message.message == WM_CHAR;
  if (keyMessage && (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE)) return false;
  HWND dialog = state.windowOfMessage(message.hwnd);
  return dialog != nullptr && ::IsDialogMessageW(dialog, &message) != FALSE;
}

LRESULT CALLBACK wakeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Only a loop of Windows' own dispatches these: the shell's wait takes them itself.
  if (shellState != nullptr && (message == WM_WAKE || (message == WM_TIMER && wParam == PROGRAM_TIMER))) {
    if (message == WM_WAKE) shellState->wakePosted.store(false);
    shellState->carryOutPending();
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// Every name must be usable, or the program hears of none.
void takeDrop(ShellState& shell, HWND window, WindowKey key, HDROP drop) {
  std::vector<std::string> names;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT index = 0; index < count; ++index) {
    std::wstring name(::DragQueryFileW(drop, index, nullptr, 0), L'\0');
    ::DragQueryFileW(drop, index, name.data(), static_cast<UINT>(name.size() + 1));
    std::optional<std::string> bytes = codepage::fromWide(name);
    if (!bytes) {
      ::DragFinish(drop);
      wchar_t title[256] = {};
      ::GetWindowTextW(window, title, static_cast<int>(std::size(title)));
      refuseName(window, name, title);
      return;
    }
    names.push_back(std::move(*bytes));
  }
  ::DragFinish(drop);
  shell.events.filesDropped(key, names);
}

// The real window's procedure: the user's actions go to the model, which
// decides; nothing here changes a mark, a text or the window by itself.
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ShellState* shell = shellState;
  const WindowKey* found = shell == nullptr ? nullptr : shell->keyOf(window);
  if (found == nullptr) return ::DefDlgProcW(window, message, wParam, lParam);
  const WindowKey key = *found;
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) {
        if (HIWORD(wParam) == BN_CLICKED) shell->events.controlClicked(key, LOWORD(wParam));
        return 0;
      }
      if (HIWORD(wParam) == 0) {
        shell->events.menuItemChosen(key, LOWORD(wParam));
        return 0;
      }
      break;
    case WM_CLOSE:
      shell->events.closeRequested(key);
      return 0;
    case WM_DROPFILES:
      takeDrop(*shell, window, key, reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_WINDOWPOSCHANGED: {
      const LRESULT result = ::DefDlgProcW(window, message, wParam, lParam);
      shell->reportPosition(window, key);
      return result;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // Labels and boxes stand on the window's own background (the class
      // brush), which is not always the button face colour.
      HDC context = reinterpret_cast<HDC>(wParam);
      ::SetBkColor(context, ::GetSysColor(BACKGROUND_COLOUR));
      ::SetTextColor(context, ::GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(BACKGROUND_COLOUR));
    }
    case WM_ENTERMENULOOP:
    case WM_ENTERSIZEMOVE:
      // Windows' loop takes over: the program's messages are carried out from it.
      shell->carryOutPending();
      break;
    default:
      break;
  }
  // The dialog manager's own: keyboard focus moved by Tab and the arrows, and
  // kept across a box or a switch to another program.
  return ::DefDlgProcW(window, message, wParam, lParam);
}

}  // namespace

bool ShellState::registerClass(const std::wstring& name, int iconId) {
  if (classes.count(name) != 0) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.cbWndExtra = DLGWINDOWEXTRA;
  windowClass.hInstance = instance;
  windowClass.hIcon = iconId != 0 ? ::LoadIconW(instance, MAKEINTRESOURCEW(iconId)) : nullptr;
  // The program sets the arrow once; a real window needs it from its class,
  // or the pointer would keep whatever shape it had when it came in.
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<LONG_PTR>(BACKGROUND_COLOUR + 1));
  windowClass.lpszClassName = name.c_str();
  if (::RegisterClassExW(&windowClass) == 0) return false;
  classes.insert(name);
  return true;
}

NativeShell::NativeShell(NativeEvents& events) : state_(std::make_unique<ShellState>(events)) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES;
  ::InitCommonControlsEx(&controls);

  WNDCLASSEXW wakeClass{};
  wakeClass.cbSize = sizeof wakeClass;
  wakeClass.lpfnWndProc = wakeProcedure;
  wakeClass.hInstance = state_->instance;
  wakeClass.lpszClassName = WAKE_CLASS;
  ::RegisterClassExW(&wakeClass);
  state_->wakeWindow =
      ::CreateWindowExW(0, WAKE_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, state_->instance, nullptr);
  shellState = state_.get();
}

NativeShell::~NativeShell() {
  for (auto& [key, real] : state_->windows) ::DestroyWindow(real.window);
  ::DestroyWindow(state_->wakeWindow);
  // A later shell in the same process registers them again.
  for (const std::wstring& name : state_->classes) ::UnregisterClassW(name.c_str(), state_->instance);
  ::UnregisterClassW(WAKE_CLASS, state_->instance);
  shellState = nullptr;
}

bool NativeShell::createWindow(WindowKey key, const WindowSpec& spec) {
  const std::wstring className = codepage::toWide(spec.className);
  if (!state_->registerClass(className, spec.iconId)) return false;
  const std::vector<DWORD> layout = dialogTemplate(spec);
  HWND window = ::CreateDialogIndirectParamW(state_->instance, reinterpret_cast<LPCDLGTEMPLATEW>(layout.data()),
                                             nullptr, nullptr, 0);
  if (window == nullptr) return false;

  RealWindow real;
  real.window = window;
  for (const ControlSpec& control : spec.controls) {
    if (control.id < 0) continue;
    RealControl& shown = real.controls[control.id];
    shown.kind = kindOf(control.className);
    shown.showsMark = native::showsMark(control);
    shown.sunken = isSunkenText(control);
    shown.oneLine = (control.style & SS_CENTERIMAGE) != 0;
  }
  real.tooltip = createTooltip(window, real.controls);
  real.menu = buildMenu(spec.menu);
  state_->windows[key] = std::move(real);
  state_->keys[window] = key;

  // The template's client area in dialog units, with the menu above it.
  RECT client{0, 0, spec.dialogUnits.right - spec.dialogUnits.left, spec.dialogUnits.bottom - spec.dialogUnits.top};
  ::MapDialogRect(window, &client);
  if (state_->windows[key].menu != nullptr) ::SetMenu(window, state_->windows[key].menu);
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
  const auto extendedStyle = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE));
  ::AdjustWindowRectEx(&client, style, state_->windows[key].menu != nullptr, extendedStyle);
  ::SetWindowPos(window, nullptr, spec.left, spec.top, client.right - client.left, client.bottom - client.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  state_->reportPosition(window, key);
  return true;
}

void NativeShell::destroyWindow(WindowKey key) {
  RealWindow* real = state_->find(key);
  if (real == nullptr) return;
  HWND window = real->window;
  state_->keys.erase(window);
  state_->windows.erase(key);
  ::DestroyWindow(window);
}

void NativeShell::setTitle(WindowKey key, const std::string& title) {
  HWND window = state_->ownerOf(key);
  if (window == nullptr) return;
  const std::wstring wanted = codepage::toWide(title);
  wchar_t current[256] = {};
  ::GetWindowTextW(window, current, static_cast<int>(std::size(current)));
  if (wanted != current) ::SetWindowTextW(window, wanted.c_str());
}

void NativeShell::moveWindow(WindowKey key, int left, int top) {
  HWND window = state_->ownerOf(key);
  if (window != nullptr) ::SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
}

void NativeShell::setVisible(WindowKey key, bool visible) {
  HWND window = state_->ownerOf(key);
  if (window == nullptr || (::IsWindowVisible(window) != FALSE) == visible) return;
  ::ShowWindow(window, visible ? SW_SHOWNORMAL : SW_HIDE);
  if (visible) ::SetForegroundWindow(window);
}

void NativeShell::showControl(WindowKey key, int controlId, const ControlState& state) {
  RealWindow* real = state_->find(key);
  if (real == nullptr) return;
  const auto found = real->controls.find(controlId);
  HWND control = ::GetDlgItem(real->window, controlId);
  if (found == real->controls.end() || control == nullptr) return;
  RealControl& shown = found->second;
  const bool first = !shown.known;
  if (first || state.text != shown.shown.text) {
    const std::wstring text = codepage::toWide(state.text);
    if (shown.kind != ControlKind::Progress) ::SetWindowTextW(control, text.c_str());
    if (shown.sunken && real->tooltip != nullptr) {
      setTooltipText(real->tooltip, real->window, controlId, textFits(control, text, shown.oneLine) ? L"" : text);
    }
  }
  if (first || state.enabled != shown.shown.enabled) ::EnableWindow(control, state.enabled ? TRUE : FALSE);
  if (shown.showsMark && (first || state.checked != shown.shown.checked)) {
    ::SendMessageW(control, BM_SETCHECK, state.checked, 0);
  }
  if (shown.kind == ControlKind::Progress) {
    if (first || state.progressMin != shown.shown.progressMin || state.progressMax != shown.shown.progressMax) {
      ::SendMessageW(control, PBM_SETRANGE32, static_cast<WPARAM>(state.progressMin), state.progressMax);
    }
    if (first || state.progressPosition != shown.shown.progressPosition) {
      ::SendMessageW(control, PBM_SETPOS, static_cast<WPARAM>(state.progressPosition), 0);
    }
  }
  shown.shown = state;
  shown.known = true;
}

void NativeShell::showMenuItem(WindowKey key, unsigned itemId, bool checked, bool grayed) {
  RealWindow* real = state_->find(key);
  if (real == nullptr || real->menu == nullptr) return;
  const UINT wantedMark = checked ? MF_CHECKED : MF_UNCHECKED;
  const UINT current = ::GetMenuState(real->menu, itemId, MF_BYCOMMAND);
  if (current == static_cast<UINT>(-1)) return;
  if ((current & MENU_MARK_MASK) != wantedMark) ::CheckMenuItem(real->menu, itemId, MF_BYCOMMAND | wantedMark);
  if (((current & MF_GRAYED) != 0) != grayed) {
    ::EnableMenuItem(real->menu, itemId, MF_BYCOMMAND | (grayed ? MF_GRAYED : MF_ENABLED));
  }
}

void NativeShell::showSystemMenuItem(WindowKey key, unsigned command, bool grayed) {
  HWND window = state_->ownerOf(key);
  HMENU menu = window == nullptr ? nullptr : ::GetSystemMenu(window, FALSE);
  if (menu != nullptr) ::EnableMenuItem(menu, command, MF_BYCOMMAND | (grayed ? MF_GRAYED : MF_ENABLED));
}

void NativeShell::acceptFiles(WindowKey key, bool accept) {
  HWND window = state_->ownerOf(key);
  if (window != nullptr) ::DragAcceptFiles(window, accept ? TRUE : FALSE);
}

void NativeShell::wait(int timeoutMs) {
  const auto pump = [this] {
    bool any = false;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      any = true;
      if (message.hwnd == state_->wakeWindow) {
        // Here the program's own loop is the one waiting: it carries them out.
        if (message.message == WM_WAKE) state_->wakePosted.store(false);
        if (message.message == WM_TIMER) ::KillTimer(state_->wakeWindow, PROGRAM_TIMER);
        continue;
      }
      if (!takenByDialogManager(*state_, message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
    }
    return any;
  };
  if (pump()) return;
  ::MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  pump();
}

void NativeShell::wake() {
  // One wake message at a time is enough: it is taken after every wake before it.
  if (state_->wakePosted.exchange(true)) return;
  if (!::PostMessageW(state_->wakeWindow, WM_WAKE, 0, 0)) state_->wakePosted.store(false);
}

int NativeShell::messageBox(WindowKey owner, const std::string& text, const std::string& caption, unsigned type) {
  wake();  // the box's loop carries out what is already waiting, and arms the program's timer
  return ::MessageBoxW(state_->ownerOf(owner), codepage::toWide(text).c_str(), codepage::toWide(caption).c_str(), type);
}

std::optional<std::string> NativeShell::askFileName(WindowKey owner, const FileNameRequest& request) {
  wake();
  return chooseFileName(state_->ownerOf(owner), request);
}

void NativeShell::beep(unsigned type) { ::MessageBeep(type); }

std::uintptr_t NativeShell::realWindow(WindowKey key) const {
  const auto found = state_->windows.find(key);
  return found == state_->windows.end() ? 0 : reinterpret_cast<std::uintptr_t>(found->second.window);
}

std::vector<CommandLineArgument> commandLineArguments() {
  std::vector<CommandLineArgument> arguments;
  int count = 0;
  wchar_t** texts = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (texts == nullptr) return arguments;
  for (int at = 0; at < count; ++at) {
    CommandLineArgument argument;
    argument.text = texts[at];
    if (std::optional<std::string> bytes = codepage::fromWide(argument.text)) {
      argument.bytes = std::move(*bytes);
    } else {
      const int size = ::WideCharToMultiByte(CP_UTF8, 0, texts[at], -1, nullptr, 0, nullptr, nullptr);
      argument.bytes.assign(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
      if (size > 1) ::WideCharToMultiByte(CP_UTF8, 0, texts[at], -1, argument.bytes.data(), size, nullptr, nullptr);
    }
    arguments.push_back(std::move(argument));
  }
  ::LocalFree(texts);
  return arguments;
}

std::optional<std::string> usableFullPath(const std::wstring& name) {
  std::wstring full(::GetFullPathNameW(name.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD length =
      full.empty() ? 0 : ::GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  // The size asked for includes the terminator, the length written does not.
  if (length == 0 || length >= full.size()) {
    full = name;
  } else {
    full.resize(length);
  }
  std::optional<std::string> bytes = codepage::fromWide(full);
  if (!bytes) refuseName(nullptr, full, PROGRAM_CAPTION);
  return bytes;
}

}  // namespace native
