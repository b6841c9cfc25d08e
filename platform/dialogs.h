// Modal message boxes and the open and save file dialogs. The front end
// shows them; the rules Windows applies around the dialog (default
// extension, found ignoring case when only that way it exists; a name in
// double quotes taken as it stands; must-exist, overwrite prompt, the name
// limit) are applied here, the same for every front end. While a dialog is up the calling thread
// keeps handling sends and posted messages, as Windows' modal loops do.
#pragma once

#include "platform/win_types.h"

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;

struct OPENFILENAMEA {
  DWORD lStructSize = 0;
  HWND hwndOwner = nullptr;
  HINSTANCE hInstance = nullptr;
  LPCSTR lpstrFilter = nullptr;  // pairs of display text and pattern, each zero-terminated, then one more zero
  LPSTR lpstrCustomFilter = nullptr;
  DWORD nMaxCustFilter = 0;
  DWORD nFilterIndex = 0;
  LPSTR lpstrFile = nullptr;  // initial name in, chosen path out
  DWORD nMaxFile = 0;         // bytes of lpstrFile usable, terminator included
  LPSTR lpstrFileTitle = nullptr;
  DWORD nMaxFileTitle = 0;
  LPCSTR lpstrInitialDir = nullptr;
  LPCSTR lpstrTitle = nullptr;
  DWORD Flags = 0;
  WORD nFileOffset = 0;
  WORD nFileExtension = 0;
  LPCSTR lpstrDefExt = nullptr;  // added, with a period, to a name typed without extension
  LPARAM lCustData = 0;
  void* lpfnHook = nullptr;
  LPCSTR lpTemplateName = nullptr;
  void* pvReserved = nullptr;
  DWORD dwReserved = 0;
  DWORD FlagsEx = 0;
};

// Nonzero when the user chose a file: the path is in lpstrFile. Zero for a
// cancel, and for a name that does not fit nMaxFile (nothing is cut, the
// buffer keeps its name). Around frontEnd().askFileName: a name without a
// period in its last component gets "." + lpstrDefExt; a folder is entered,
// not chosen (asked again); OFN_PATHMUSTEXIST and OFN_FILEMUSTEXIST show a
// warning box captioned with the title and ask again; OFN_OVERWRITEPROMPT
// (save only) asks frontEnd().confirmOverwrite and asks again on a no. Names
// are bytes, never converted.
BOOL GetOpenFileNameA(OPENFILENAMEA* dialog);
BOOL GetSaveFileNameA(OPENFILENAMEA* dialog);
