#include "platform/qt/fixed_size_hints.h"

// Without X11 the equal minimum and maximum sizes are all there is to say.
void keepSizeFixed(QWidget*) {}
