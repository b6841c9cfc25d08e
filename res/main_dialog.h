// Dialog template 102: the main window with every control, label, etched
// line and frame, in dialog units. Constant data, any thread.
#pragma once

#include "platform/resources.h"

extern const DialogTemplate mainDialogTemplate;
