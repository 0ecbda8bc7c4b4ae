#pragma once

// WM_GETMINMAXINFO's record (lParam points at it), in the order of the system the game was
// written for. The window layer does not send the message itself; the frame or tests ask.

#include "platform/ui/WindowTypes.h"

namespace zv::mapview {

struct MinMaxInfo {
    ui::Point reserved;
    ui::Point maxSize;
    ui::Point maxPosition;
    ui::Point minTrackSize;
    ui::Point maxTrackSize;
};

}  // namespace zv::mapview
