#include "apps/zv6/tests/XWindows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace zv::testing {
namespace {

// A window can go between listing it and asking about it; Xlib's own handler would end the
// test process for that.
int IgnoreXError(::Display*, XErrorEvent*) { return 0; }

}  // namespace

bool WindowOfProcess(const std::string& name, long pid, int* left, int* top, int* width, int* height) {
    XSetErrorHandler(&IgnoreXError);
    ::Display* x = XOpenDisplay(name.c_str());
    if (!x) return false;
    bool found = false;
    const Atom pidAtom = XInternAtom(x, "_NET_WM_PID", True);
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (pidAtom != None && XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i) {
            Atom type = None;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(x, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                                   &after, &data) == Success &&
                data && items == 1 && long(*reinterpret_cast<unsigned long*>(data)) == pid) {
                XWindowAttributes a{};
                if (XGetWindowAttributes(x, children[i], &a) && a.map_state == IsViewable) {
                    *left = a.x;
                    *top = a.y;
                    *width = a.width;
                    *height = a.height;
                    found = true;
                }
            }
            if (data) XFree(data);
        }
    }
    if (children) XFree(children);
    XCloseDisplay(x);
    return found;
}

}  // namespace zv::testing
