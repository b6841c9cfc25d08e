// Menu 103, the main window's menu bar. Constant data, any thread.
#pragma once

#include "platform/resources.h"

extern const MenuTemplate mainMenuTemplate;
