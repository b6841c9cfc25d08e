// The open and save dialogs of comdlg32 (GetOpenFileNameW,
// GetSaveFileNameW) for a request of the program: its title, filters,
// default extension, initial name and OFN_* flags, so that the overwrite
// prompt, must-exist checks and the default extension are Windows' own.
// The chosen name goes back in the active code page; one that the code page
// cannot hold is refused with a box that says so, and the dialog comes back.
// Windows side of the Win32 front end; main thread, modal.
#pragma once

#include "platform/win32/native_ui.h"

#include <windows.h>

#include <optional>
#include <string>

namespace native {

std::optional<std::string> chooseFileName(HWND owner, const FileNameRequest& request);
// The box that refuses a name the active code page cannot hold.
void refuseName(HWND owner, const std::wstring& name, const std::wstring& title);

}  // namespace native
