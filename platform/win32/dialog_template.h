// The in-memory DLGTEMPLATEEX of a window of the model, so that Windows'
// dialog manager builds the real window as it would from the program's
// resource: the private class, the font in dialog units, the controls in
// template order, each SS_ICON static with its icon resource. The menu is
// not in it (it is no resource of the executable); the caller adds it.
// Windows side of the Win32 front end.
#pragma once

#include "platform/win32/native_ui.h"

#include <windows.h>

#include <vector>

namespace native {

// DWORD-aligned storage: the dialog manager reads it as DLGTEMPLATE.
std::vector<DWORD> dialogTemplate(const WindowSpec& spec);

}  // namespace native
