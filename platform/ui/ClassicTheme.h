#pragma once

// The classic grey theme: the drawing that window frames, scroll bars and every control share,
// all in the system colours (SysColors.h).

#include <string_view>

#include "platform/ui/Canvas.h"
#include "platform/ui/Font.h"
#include "platform/ui/SysColors.h"

namespace zv::ui {

// DrawEdge edge kinds and border flags, with their standard values.
constexpr uint32_t BDR_RAISEDOUTER = 0x0001;
constexpr uint32_t BDR_SUNKENOUTER = 0x0002;
constexpr uint32_t BDR_RAISEDINNER = 0x0004;
constexpr uint32_t BDR_SUNKENINNER = 0x0008;
constexpr uint32_t EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr uint32_t EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr uint32_t EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr uint32_t EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr uint32_t BF_LEFT = 0x0001;
constexpr uint32_t BF_TOP = 0x0002;
constexpr uint32_t BF_RIGHT = 0x0004;
constexpr uint32_t BF_BOTTOM = 0x0008;
constexpr uint32_t BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr uint32_t BF_MIDDLE = 0x0800;  // fill the inside with the face colour
constexpr uint32_t BF_SOFT = 0x1000;
constexpr uint32_t BF_ADJUST = 0x2000;  // shrink *r to the inside
constexpr uint32_t BF_FLAT = 0x4000;
constexpr uint32_t BF_MONO = 0x8000;

namespace theme {

enum class ArrowDir { Up, Down, Left, Right };

// r, skipping an empty rectangle.
void Fill(Canvas& dc, const Rect& r, ColorRef c);
// A one-pixel border: top and left in one colour, bottom and right in the other.
void Edge(Canvas& dc, const Rect& r, ColorRef topLeft, ColorRef bottomRight);
// The standard DrawEdge: up to two one-pixel borders; BF_ADJUST shrinks *r to the inside.
bool DrawEdge(Canvas& dc, Rect* r, uint32_t edge, uint32_t flags);
// A raised face (button, caption button, scroll arrow, thumb): 2-pixel raised edge, filled.
void RaisedBox(Canvas& dc, const Rect& r);
// A pressed face: 1-pixel shadow frame, filled (a pushed button).
void PressedBox(Canvas& dc, const Rect& r);
// A sunken 2-pixel frame (the client edge of edits and lists); the inside is left alone.
void SunkenFrame(Canvas& dc, const Rect& r);
// A push button's face. isDefault adds the black outer frame; pressed draws it pushed in.
void PushButtonFace(Canvas& dc, const Rect& r, bool pressed, bool isDefault);
// The dotted focus rectangle (inverting; drawing it twice removes it).
void FocusRect(Canvas& dc, const Rect& r);
// The 13 x 13 check box glyph at box's top-left corner. state: 0 clear, 1 checked, 2 grey
// (three-state indeterminate). pushed: mouse held on it; disabled: grey tick and face.
void CheckGlyph(Canvas& dc, const Rect& box, int state, bool pushed, bool disabled);
// The 12 x 12 round radio glyph at box's top-left corner.
void RadioGlyph(Canvas& dc, const Rect& box, bool checked, bool pushed, bool disabled);
constexpr int kCheckGlyphSize = 13;
// A small solid triangle centred in r.
void ArrowGlyph(Canvas& dc, const Rect& r, ArrowDir dir, bool disabled);
// A square arrow button (scroll bars, up-down, combo boxes).
void ArrowButton(Canvas& dc, const Rect& r, ArrowDir dir, bool pressed, bool disabled);
// Text in the disabled look: white, then grey one pixel up and left. Same format as DrawText.
void DisabledText(Canvas& dc, std::string_view text, Rect r, uint32_t format);
// The hatched track of a scroll bar, darker where it is held.
void ScrollTrack(Canvas& dc, const Rect& r, bool pressed);
// The dialog font every dialog, message box and control uses unless told otherwise.
const Font& DialogFont();

}  // namespace theme

}  // namespace zv::ui
