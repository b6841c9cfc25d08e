// The quit handshake: CMD_QUIT asks both workers to end; each answers with
// its GONE command once any work in hand is finished. When both have
// answered, the output sample buffer is freed, the settings saved, both
// files closed and the window destroyed, which ends the message loop.
// Main thread; the one handler for CMD_QUIT, CMD_CONVERTER_GONE and
// CMD_SCANNER_GONE.
#pragma once

#include "platform/win_types.h"

struct ConverterContext;

void quitHandshake(HWND window, ConverterContext* context, int command);
