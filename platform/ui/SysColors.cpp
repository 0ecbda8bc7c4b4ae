#include "platform/ui/SysColors.h"

#include <array>

namespace zv::ui {

namespace {

// The classic grey scheme.
constexpr std::array<ColorRef, kSysColorCount> kSysColors = {
    Rgb(224, 224, 224),  // COLOR_SCROLLBAR
    Rgb(0, 128, 128),    // COLOR_BACKGROUND
    Rgb(0, 0, 128),      // COLOR_ACTIVECAPTION
    Rgb(128, 128, 128),  // COLOR_INACTIVECAPTION
    Rgb(192, 192, 192),  // COLOR_MENU
    Rgb(255, 255, 255),  // COLOR_WINDOW
    Rgb(0, 0, 0),        // COLOR_WINDOWFRAME
    Rgb(0, 0, 0),        // COLOR_MENUTEXT
    Rgb(0, 0, 0),        // COLOR_WINDOWTEXT
    Rgb(255, 255, 255),  // COLOR_CAPTIONTEXT
    Rgb(192, 192, 192),  // COLOR_ACTIVEBORDER
    Rgb(192, 192, 192),  // COLOR_INACTIVEBORDER
    Rgb(128, 128, 128),  // COLOR_APPWORKSPACE
    Rgb(0, 0, 128),      // COLOR_HIGHLIGHT
    Rgb(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    Rgb(192, 192, 192),  // COLOR_BTNFACE
    Rgb(128, 128, 128),  // COLOR_BTNSHADOW
    Rgb(128, 128, 128),  // COLOR_GRAYTEXT
    Rgb(0, 0, 0),        // COLOR_BTNTEXT
    Rgb(192, 192, 192),  // COLOR_INACTIVECAPTIONTEXT
    Rgb(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    Rgb(0, 0, 0),        // COLOR_3DDKSHADOW
    Rgb(223, 223, 223),  // COLOR_3DLIGHT
    Rgb(0, 0, 0),        // COLOR_INFOTEXT
    Rgb(255, 255, 225),  // COLOR_INFOBK
};

}  // namespace

ColorRef GetSysColor(int index) {
    if (index < 0 || index >= kSysColorCount) return Rgb(0, 0, 0);
    return kSysColors[static_cast<size_t>(index)];
}

const Brush& GetSysColorBrush(int index) {
    static const std::array<Brush, kSysColorCount> kBrushes = [] {
        std::array<Brush, kSysColorCount> b;
        for (int i = 0; i < kSysColorCount; ++i)
            b[static_cast<size_t>(i)] = Brush::SolidColor(kSysColors[static_cast<size_t>(i)]);
        return b;
    }();
    static const Brush kNull = StockBrush(NULL_BRUSH);
    if (index < 0 || index >= kSysColorCount) return kNull;
    return kBrushes[static_cast<size_t>(index)];
}

}  // namespace zv::ui
