// The settings kept between runs: the window position, the last VSK file
// name and three options, in section "VESKCONV" of "VESKCONV.INI" (a bare
// name: the platform keeps it in the user's settings folder). Main thread.
#pragma once

#include "platform/win_types.h"

struct ConverterContext;

inline constexpr const char* SETTINGS_FILE = "VESKCONV.INI";
inline constexpr const char* SETTINGS_SECTION = "VESKCONV";
// In the order they are written.
inline constexpr const char* KEY_WINDOW_TOP = "Window Coordinates - top";
inline constexpr const char* KEY_WINDOW_LEFT = "Window Coordinates - left";
inline constexpr const char* KEY_LAST_SONAR_FILE = "Last VSK File Name";
inline constexpr const char* KEY_PROCESSING_INFO = "Enable Processing Information";
inline constexpr const char* KEY_BIG_ENDIAN = "MOTOROLA Memory Model";
inline constexpr const char* KEY_SHIP_COORDINATES = "Use Ship Coordinates";

// CMD_INITIALIZE: the context's starting values and the saved options, the
// progress range and cursor, then the show commands posted.
void initializeProgram(HWND window, ConverterContext* context);

// At window creation: moves the window to the saved position when both
// coordinates are nonzero.
void restoreWindowPosition(HWND window);

// At the end of the quit handshake. A file name that cannot be stored as it
// is (it would break the file's lines) is stored empty. When the file
// cannot be written, one "ERROR" box names it.
void saveSettings(HWND window, const ConverterContext& context);
