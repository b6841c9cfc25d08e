// The program's resources as Windows would find them in the executable:
// the instance handle is the table of its templates, menus and icons.
// Any thread; the table is constant.
#pragma once

#include "platform/win_types.h"

HINSTANCE programInstance();
