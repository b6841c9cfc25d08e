// "report sonar file error": the VSK file was refused. Empties the ping count
// and channel list fields and shows the message, with the VSK file's name in
// it, in the "ERROR" box. Changes nothing else. Main thread.
#pragma once

#include "platform/win_types.h"

struct ConverterContext;

// format holds one %s for sonarFileName.
void reportSonarFileError(HWND window, const ConverterContext* context, const char* format);
