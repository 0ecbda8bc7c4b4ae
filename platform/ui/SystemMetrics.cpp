#include "platform/ui/SystemMetrics.h"

namespace zv::ui {

int SystemMetricFor(int index, int screenWidth, int screenHeight) {
    switch (index) {
        case SM_CXSCREEN:
        case SM_CXFULLSCREEN:
        case SM_CXMAXIMIZED:
            return index == SM_CXMAXIMIZED ? screenWidth + 2 * kSizingFrameWidth : screenWidth;
        case SM_CYSCREEN:
            return screenHeight;
        // The work area of a maximised window: the screen less one caption (no task bar here).
        case SM_CYFULLSCREEN:
            return screenHeight - kCaptionHeight;
        case SM_CYMAXIMIZED:
            return screenHeight + 2 * kSizingFrameWidth;
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
        case SM_CYVSCROLL:
        case SM_CXHSCROLL:
        case SM_CYVTHUMB:
        case SM_CXHTHUMB:
            return kScrollBarSize;
        case SM_CYCAPTION:
            return kCaptionHeight;
        case SM_CXBORDER:
        case SM_CYBORDER:
            return kBorderWidth;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME:
            return kDialogFrameWidth;
        case SM_CXFRAME:
        case SM_CYFRAME:
            return kSizingFrameWidth;
        case SM_CXEDGE:
        case SM_CYEDGE:
            return kEdgeWidth;
        case SM_CXICON:
        case SM_CYICON:
        case SM_CXCURSOR:
        case SM_CYCURSOR:
            return 32;
        case SM_CXSMICON:
        case SM_CYSMICON:
            return 16;
        case SM_CYMENU:
            return kMenuBarHeight;
        case SM_CXSIZE:
        case SM_CYSIZE:
            return kCaptionHeight - 1;
        case SM_CYSMCAPTION:
            return 15;
        case SM_CXMIN:
        case SM_CXMINTRACK:
            return kMinTrackWidth;
        case SM_CYMIN:
        case SM_CYMINTRACK:
            return kMinTrackHeight;
        case SM_CXDOUBLECLK:
        case SM_CYDOUBLECLK:
            return kDoubleClickSize;
        case SM_CXDRAG:
        case SM_CYDRAG:
            return kDragThreshold;
        case SM_CXMENUCHECK:
        case SM_CYMENUCHECK:
            return 13;
        case SM_MOUSEPRESENT:
        case SM_MOUSEWHEELPRESENT:
            return 1;
        case SM_CMOUSEBUTTONS:
            return 3;
        default:
            return 0;
    }
}

}  // namespace zv::ui
