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

// WM_DROPFILES posted to the real window with these names, as the shell
// sends it for a drop (a DROPFILES block of wide names); and whether the
// window takes drops now (WS_EX_ACCEPTFILES).
void dropOnto(std::uintptr_t window, const std::wstring& name);
bool takesDrops(std::uintptr_t window);
