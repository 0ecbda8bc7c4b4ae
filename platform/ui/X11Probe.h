#pragma once

// Questions to the X server that SDL does not answer, kept apart from the layer's own names.

namespace zv::ui {

// True when an EWMH window manager runs on the X server of $DISPLAY (it announces itself on the
// root window); false on a bare X server or without one. Built without Xlib: true.
bool X11HasWindowManager();

}  // namespace zv::ui
