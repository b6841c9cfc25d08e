// The show commands of the options: every mark and the processing
// information fields set from the context (CMD_SHOW_PROCESSING_INFO,
// CMD_SHOW_BYTE_ORDER, CMD_SHOW_COORDINATE_SOURCE). Main thread.
#pragma once

#include "platform/win_types.h"

struct ConverterContext;

void showProcessingInfo(HWND window, const ConverterContext& context);
// Leaves the marks alone while a conversion runs.
void showByteOrder(HWND window, const ConverterContext& context);
void showCoordinateSource(HWND window, const ConverterContext& context);
