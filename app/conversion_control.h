// Starting a conversion and taking its end: PROCESS arms
// CMD_PREPARE_CONVERSION (busy, buttons off), which arms CMD_START_CONVERSION
// (checks, fixes the channel and hands the run to the Converter thread, or
// refuses); CMD_CONVERSION_DONE ends a run or a refusal alike. Main thread.
#pragma once

#include "platform/win_types.h"

struct ConverterContext;

void prepareConversion(HWND window, ConverterContext* context);
void startConversion(HWND window, ConverterContext* context);
// Progress to 0, " Ready", the beep, buttons back, not busy; then the
// failure the run recorded, if any, in the "ERROR" box.
void finishConversion(HWND window, ConverterContext* context);
