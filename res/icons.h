// Icons 104 to 108 as compiled-in XPM images (res/icons/*.xpm). Constant
// data, any thread.
#pragma once

#include "platform/resources.h"

extern const IconTemplate programIcons[];
extern const int programIconCount;
