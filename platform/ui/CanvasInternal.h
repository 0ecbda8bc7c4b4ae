#pragma once

// What the parts of Canvas share. Only Canvas's own sources include this.

#include <cstdint>

#include "platform/ui/Canvas.h"

namespace zv::ui {

struct Canvas::Span {
    int y;
    int x0;
    int x1;  // exclusive
};

namespace canvasdetail {

inline bool NeedsSource(uint32_t rop) {
    return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT ||
           rop == NOTSRCCOPY;
}

inline bool IsPatternRop(uint32_t rop) {
    return rop == PATCOPY || rop == PATINVERT || rop == DSTINVERT || rop == BLACKNESS ||
           rop == WHITENESS;
}

}  // namespace canvasdetail

}  // namespace zv::ui
