#pragma once

// System metrics. The layer draws one fixed classic look, so every size is a constant chosen
// here (documented in docs/ui.md); only the screen size follows the backend's screen.

namespace zv::ui {

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CYVTHUMB = 9;
constexpr int SM_CXHTHUMB = 10;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXCURSOR = 13;
constexpr int SM_CYCURSOR = 14;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;
constexpr int SM_MOUSEPRESENT = 19;
constexpr int SM_CYVSCROLL = 20;
constexpr int SM_CXHSCROLL = 21;
constexpr int SM_CXMIN = 28;
constexpr int SM_CYMIN = 29;
constexpr int SM_CXSIZE = 30;
constexpr int SM_CYSIZE = 31;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXMINTRACK = 34;
constexpr int SM_CYMINTRACK = 35;
constexpr int SM_CXDOUBLECLK = 36;
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_CMOUSEBUTTONS = 43;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
constexpr int SM_CYSMCAPTION = 51;
constexpr int SM_CXMAXIMIZED = 61;
constexpr int SM_CYMAXIMIZED = 62;
constexpr int SM_CXDRAG = 68;
constexpr int SM_CYDRAG = 69;
constexpr int SM_CXMENUCHECK = 71;
constexpr int SM_CYMENUCHECK = 72;
constexpr int SM_MOUSEWHEELPRESENT = 75;

// Fixed values of the look.
constexpr int kCaptionHeight = 19;    // caption bar, including its bottom line
constexpr int kBorderWidth = 1;       // WS_BORDER
constexpr int kDialogFrameWidth = 3;  // WS_DLGFRAME, WS_CAPTION, WS_EX_DLGMODALFRAME
constexpr int kSizingFrameWidth = 4;  // WS_THICKFRAME
constexpr int kEdgeWidth = 2;         // WS_EX_CLIENTEDGE
constexpr int kStaticEdgeWidth = 1;   // WS_EX_STATICEDGE
constexpr int kScrollBarSize = 16;    // width of a vertical bar, height of a horizontal one
constexpr int kMenuBarHeight = 19;
constexpr int kDoubleClickMs = 500;
constexpr int kDoubleClickSize = 4;  // a second click within this square is a double click
constexpr int kDragThreshold = 4;
constexpr int kMinTrackWidth = 112;  // the smallest a sizable window can be pulled to
constexpr int kMinTrackHeight = 27;
constexpr int kKeyboardMoveStep = 8;  // pixels per arrow key in the move and size loop

// The metric for an index; 0 for an index the layer does not know. Screen-dependent metrics
// use the given screen size.
int SystemMetricFor(int index, int screenWidth, int screenHeight);

}  // namespace zv::ui
