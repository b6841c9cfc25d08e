// What a real window shows, read from Windows' own controls: for the tests
// of the Win32 front end. Plain C++ types, so that a test that includes the
// portable layer's headers can use it (see platform/win32/native_ui.h).
#pragma once

#include <cstdint>
#include <string>

// The control with this id in the real window (Win32FrontEnd::realWindow):
// a progress bar's position, or any control's text in the code page.
int shownProgress(std::uintptr_t window, int controlId);
std::string shownText(std::uintptr_t window, int controlId);
