// Resources as data: dialog templates, menus and icons, found through the
// program's instance like Windows finds them in the executable. res/ fills
// one ResourceTable; positions stay in dialog units, front ends convert.
#pragma once

#include "platform/win_types.h"

// Window classes of template items.
inline constexpr const char* CLASS_STATIC = "STATIC";
inline constexpr const char* CLASS_BUTTON = "BUTTON";
inline constexpr const char* CLASS_PROGRESS = "msctls_progress32";

constexpr int NO_CONTROL_ID = -1;  // labels, lines and frames

struct DialogItemTemplate {
  const char* className;  // CLASS_STATIC, CLASS_BUTTON or CLASS_PROGRESS
  const char* text;       // "" for none
  int id;                 // NO_CONTROL_ID for items the program never addresses
  DWORD style;            // WS_* | BS_* or SS_*; WS_DISABLED for initially disabled
  short x, y, cx, cy;     // dialog units
  int iconId;             // SS_ICON items: the icon resource; 0 otherwise
};

struct DialogTemplate {
  int id;
  DWORD style;
  short x, y, cx, cy;    // dialog units
  const char* fontName;  // with DS_SETFONT
  int fontPointSize;
  const char* className;  // the private window class that gets every message
  int menuId;             // 0 for none
  const char* caption;
  const DialogItemTemplate* items;
  int itemCount;
};

// A menu bar: popups in order, each a run of items. A separator has id 0 and
// an empty text.
struct MenuItemTemplate {
  const char* text;
  UINT id;
  bool separator;
};

struct MenuPopupTemplate {
  const char* text;
  const MenuItemTemplate* items;
  int itemCount;
};

struct MenuTemplate {
  int id;
  const MenuPopupTemplate* popups;
  int popupCount;
};

// Icons are XPM images (32 x 32, 16 colours), kept as text for review.
struct IconTemplate {
  int id;
  const char* const* xpm;
};

struct ResourceTable {
  const DialogTemplate* dialogs;
  int dialogCount;
  const MenuTemplate* menus;
  int menuCount;
  const IconTemplate* icons;
  int iconCount;
};

const DialogTemplate* findDialogTemplate(HINSTANCE instance, int id);
const MenuTemplate* findMenuTemplate(HINSTANCE instance, int id);
const IconTemplate* findIcon(HINSTANCE instance, int id);
