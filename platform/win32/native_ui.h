// The Windows side of the Win32 front end: real windows built by Windows'
// dialog manager, their controls and menus, the message boxes, the beep and
// the common dialogs. Plain C++ types only: <windows.h> and the portable
// layer's win_types.h define the same names, so the front end
// (win32_front_end.cpp) talks to Windows through this and nothing else.
//
// Texts are the active code page's bytes, as the program's A functions take
// them; flags, styles, ids and message box types are Windows' own numbers.
// Everything here belongs to the main thread, except NativeShell::wake.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace native {

// Which window of the model a real window shows: the model's handle as a number.
using WindowKey = std::uintptr_t;

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct ControlSpec {
  std::string className;  // "STATIC", "BUTTON", "msctls_progress32"
  std::string text;
  int id = 0;
  std::uint32_t style = 0;
  Rect dialogUnits;
  int iconId = 0;  // SS_ICON statics: the icon resource
};

struct MenuItemSpec {
  std::string text;
  unsigned id = 0;
  bool separator = false;
};

struct MenuPopupSpec {
  std::string text;
  std::vector<MenuItemSpec> items;
};

struct WindowSpec {
  std::string className;
  std::string title;
  std::uint32_t style = 0;
  Rect dialogUnits;  // the template's size; its position is the screen position below
  int left = 0, top = 0;
  std::string fontName;
  int fontPointSize = 0;
  int iconId = 0;  // the class icon resource
  std::vector<ControlSpec> controls;
  std::vector<MenuPopupSpec> menu;
};

struct ControlState {
  std::string text;
  bool enabled = true;
  unsigned checked = 0;
  int progressPosition = 0, progressMin = 0, progressMax = 0;
};

struct FileNameRequest {
  bool save = false;
  std::string title;
  std::string initialName;
  std::vector<std::pair<std::string, std::string>> filters;  // display text, pattern
  std::string defaultExtension;
  std::uint32_t flags = 0;  // OFN_*
};

// What the user does with a real window, for the portable side (main thread).
class NativeEvents {
 public:
  virtual ~NativeEvents() = default;
  virtual void controlClicked(WindowKey window, int controlId) = 0;
  virtual void menuItemChosen(WindowKey window, unsigned itemId) = 0;
  virtual void closeRequested(WindowKey window) = 0;
  // The outer rectangle in screen pixels, after a move by the user or the program.
  virtual void windowMoved(WindowKey window, const Rect& outer) = 0;
  // Files dropped onto a window that takes them: full names in the code page.
  virtual void filesDropped(WindowKey window, const std::vector<std::string>& names) = 0;
  // Windows runs a loop of its own (a box, a dialog, a menu, a move) and the
  // program's messages are waiting: carry them out. Returns the milliseconds
  // until the program's next timer is due, or -1 for none.
  virtual int carryOutPendingMessages() = 0;
};

struct ShellState;

class NativeShell {
 public:
  // Registers nothing yet; instance resources (icons) come from the executable.
  explicit NativeShell(NativeEvents& events);
  ~NativeShell();
  NativeShell(const NativeShell&) = delete;
  NativeShell& operator=(const NativeShell&) = delete;

  // Creates the window from an in-memory dialog template naming its private
  // class (registered on first use), with its menu; hidden until setVisible.
  // False when Windows refuses.
  bool createWindow(WindowKey window, const WindowSpec& spec);
  void destroyWindow(WindowKey window);

  void setTitle(WindowKey window, const std::string& title);
  void moveWindow(WindowKey window, int left, int top);
  void setVisible(WindowKey window, bool visible);
  void showControl(WindowKey window, int controlId, const ControlState& state);
  void showMenuItem(WindowKey window, unsigned itemId, bool checked, bool grayed);
  void showSystemMenuItem(WindowKey window, unsigned command, bool grayed);
  // DragAcceptFiles. A drop whose names the code page cannot all hold is
  // refused with the dialogs' box, before the program hears of it.
  void acceptFiles(WindowKey window, bool accept);

  // Blocks until wake(), a user's action or timeoutMs (-1: no limit), and
  // hands Windows' own messages to the real windows meanwhile. A wake that
  // came before the call makes it return at once.
  void wait(int timeoutMs);
  // Any thread.
  void wake();

  // Modal: MessageBoxW, the open or save dialog, MessageBeep. While they are
  // up the program's messages and timers keep being carried out.
  int messageBox(WindowKey owner, const std::string& text, const std::string& caption, unsigned type);
  // The chosen name in the code page, or nullopt for a cancel. A name the
  // code page cannot hold is refused with a box and the dialog asked again.
  std::optional<std::string> askFileName(WindowKey owner, const FileNameRequest& request);
  void beep(unsigned type);

  // The real window that shows a model window, as a number (0 for none): for tests.
  std::uintptr_t realWindow(WindowKey window) const;

 private:
  std::unique_ptr<ShellState> state_;
};

// The program's arguments from the wide command line (CommandLineToArgvW),
// its own name first; bytes are the code page's, or, where it cannot hold an
// argument exactly, a lossy UTF-8 form that only the options' check and its
// messages may use: a name is taken from text (usableFullPath).
struct CommandLineArgument {
  std::wstring text;
  std::string bytes;
};
std::vector<CommandLineArgument> commandLineArguments();
// The full path of a name given on the command line, in the code page; a
// name it cannot hold is refused with the dialogs' box (nullopt).
std::optional<std::string> usableFullPath(const std::wstring& name);

}  // namespace native
