#include "platform/ui/X11Probe.h"

#if defined(ZV_HAVE_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace zv::ui {

bool X11HasWindowManager() {
#if defined(ZV_HAVE_X11)
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    bool found = false;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check != None) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type, &format,
                               &count, &after, &data) == Success &&
            type == XA_WINDOW && format == 32 && count == 1 && data) {
            found = *reinterpret_cast<Window*>(data) != None;
        }
        if (data) XFree(data);
    }
    XCloseDisplay(display);
    return found;
#else
    return true;
#endif
}

}  // namespace zv::ui
