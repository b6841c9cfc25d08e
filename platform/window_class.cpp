#include "platform/window_class.h"

#include "platform/message_queue_internal.h"
#include "platform/window.h"

#include <cctype>
#include <cstdint>
#include <map>

namespace {

constexpr WORD FIRST_ATOM = 0xC000;  // where Windows' class atoms start
constexpr WORD LAST_ATOM = 0xFFFF;

struct ClassTable {
  std::map<std::string, WindowClass> classes;  // by upper-case name
  WORD nextAtom = FIRST_ATOM;
};

ClassTable& table() {
  static auto* classes = new ClassTable;  // never destroyed, like the thread records
  return *classes;
}

std::string classKey(const std::string& name) {
  std::string key = name;
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

}  // namespace

WindowClass* findClassLocked(const std::string& name) {
  const auto found = table().classes.find(classKey(name));
  return found == table().classes.end() ? nullptr : &found->second;
}

WORD RegisterClassA(const WNDCLASSA* windowClass) {
  if (windowClass == nullptr || windowClass->lpszClassName == nullptr || windowClass->lpfnWndProc == nullptr) {
    return 0;
  }
  std::lock_guard<std::mutex> lock(platformMutex());
  const std::string key = classKey(windowClass->lpszClassName);
  if (table().classes.count(key) != 0) return 0;
  WindowClass& added = table().classes[key];
  added.procedure = windowClass->lpfnWndProc;
  // An icon handle carries its resource id (LoadIconA).
  added.iconId = static_cast<int>(reinterpret_cast<std::uintptr_t>(windowClass->hIcon));
  const WORD atom = table().nextAtom;
  table().nextAtom = atom == LAST_ATOM ? FIRST_ATOM : static_cast<WORD>(atom + 1);
  return atom;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE /*instance*/) {
  if (className == nullptr) return FALSE;
  std::lock_guard<std::mutex> lock(platformMutex());
  const auto found = table().classes.find(classKey(className));
  if (found == table().classes.end() || found->second.windowCount > 0) return FALSE;
  table().classes.erase(found);
  return TRUE;
}
