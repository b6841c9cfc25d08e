// Files dropped onto a window, with the shell's calls: a window takes drops
// only after DragAcceptFiles(window, TRUE). A front end reports a drop with
// dropFiles, which posts WM_DROPFILES with the HDROP in wParam; the window
// procedure reads the names with DragQueryFileA and frees them with
// DragFinish. Main thread.
#pragma once

#include "platform/win_types.h"

#include <string>
#include <vector>

// DragQueryFileA's index that asks for the number of names.
constexpr UINT DROPPED_FILE_COUNT = 0xFFFFFFFFu;

void DragAcceptFiles(HWND window, BOOL accept);
// DROPPED_FILE_COUNT: how many names. Else the length of name index without
// its terminator (0 for no such name); with a buffer, at most nameBytes - 1
// bytes of it are copied and terminated.
UINT DragQueryFileA(HDROP drop, UINT index, LPSTR name, UINT nameBytes);
void DragFinish(HDROP drop);

// For front ends: whether the window takes drops now, and the drop itself
// (TRUE when WM_DROPFILES was posted; a window that does not take drops gets
// nothing).
bool acceptsDroppedFiles(HWND window);
BOOL dropFiles(HWND window, const std::vector<std::string>& names);
