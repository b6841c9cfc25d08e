// The registry of window classes (RegisterClassA), found by name without
// regard to case, as on Windows. Internal to the platform layer; the
// functions need platformMutex() held.
#pragma once

#include "platform/messages.h"

#include <string>

struct WindowClass {
  WNDPROC procedure = nullptr;
  int iconId = 0;
  int windowCount = 0;  // a class with windows cannot be unregistered
};

WindowClass* findClassLocked(const std::string& name);
