// Telling the window manager that a window of fixed size takes neither
// resizing nor maximizing, so that its window menu greys Size and Maximize.
// Equal minimum and maximum sizes say so to some window managers; others
// (icewm among them) read only the Motif hints, in which Qt always offers
// resizing. Call it whenever the window is about to be shown. The X11 file
// rewrites the Motif hints; elsewhere there is nothing more to say. Main thread.
#pragma once

class QWidget;

void keepSizeFixed(QWidget* window);
