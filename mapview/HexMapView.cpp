#include "mapview/HexMapView.h"

#include <algorithm>
#include <array>

#include "platform/ui/Cursor.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowManager.h"
#include "shell/WindowRegistry.h"
#include "rules/records/MapRecords.h"

namespace zv::mapview {

namespace {

// dx of directions 1-6 on even and odd rows, and dy.
constexpr int kDxEven[6] = {-1, -1, 0, 1, 0, -1};
constexpr int kDxOdd[6] = {-1, 0, 1, 1, 1, 0};
constexpr int kDy[6] = {0, 1, 1, 0, -1, -1};

// The edge-scroll cursors: the current type, and the cursors made from "mapcursor.bmp".
std::uint16_t gCursorType = 0;
std::array<ui::Hcursor, 5> gCursors{};
// The cursor the window showed (its class cursor) before an edge cursor replaced it; it comes
// back when the pointer leaves the band.
bool gHasSavedCursor = false;
ui::Hcursor gSavedCursor = 0;
// The window manager the cursors above were made under: its handles mean nothing to another.
std::uint64_t gCursorsLayer = 0;

void ForgetCursorsOfAnotherLayer() {
    const ui::WindowManager* wm = ui::WindowManager::Current();
    const std::uint64_t layer = wm ? wm->Serial() : 0;
    if (layer == gCursorsLayer) return;
    gCursors.fill(0);
    gHasSavedCursor = false;
    gSavedCursor = 0;
    gCursorType = 0;
    gCursorsLayer = layer;
}

ui::Hcursor CursorForType(int type) {
    if (type < 1 || type > 4) {
        if (gCursors[0] == 0) gCursors[0] = ui::CreateCursor(ui::MakeArrowCursorImage());
        return gCursors[0];
    }
    if (gCursors[type] == 0) {
        fw::Dib sheet("mapcursor.bmp");
        if (sheet.HasBits() && sheet.GetWidth() >= 4 * 32) {
            fw::Dib cell(32, sheet.GetHeight(), MapPalette());
            fw::HvDIBitBltOpaque(&cell, 0, 0, 32, sheet.GetHeight(), &sheet, (type - 1) * 32, 0);
            ui::CursorImage image;
            if (ui::MakeCursorImageFromIndexed(cell.GetBitmapHandle(), 0, 16, 16, image)) {
                gCursors[type] = ui::CreateCursor(image);
            }
        }
        if (gCursors[type] == 0) gCursors[type] = CursorForType(0);
    }
    return gCursors[type];
}

}  // namespace

int GetNeighbourDirection(std::uint32_t a, std::uint32_t b) {
    const int ax = Lo16(a), ay = Hi16(a);
    const int bx = Lo16(b), by = Hi16(b);
    const bool odd = (ay & 1) != 0;
    for (int d = 0; d < 6; ++d) {
        const int nx = ax + (odd ? kDxOdd[d] : kDxEven[d]);
        const int ny = ay + kDy[d];
        if (nx < 0 || nx >= rules::kMapSize || ny < 0 || ny >= rules::kMapSize) continue;
        if (nx == bx && ny == by) return d + 1;
    }
    return 0;
}

int GetNeighbourDirectionPacked(std::uint16_t a, std::uint16_t b) {
    return GetNeighbourDirection(Pack32(a & 0xFF, a >> 8), Pack32(b & 0xFF, b >> 8));
}

int SetMapCursor(ui::Hwnd window, int type, int onlyIfChanged) {
    ForgetCursorsOfAnotherLayer();
    if (onlyIfChanged && type == gCursorType) return 0;
    if (!ui::IsWindow(window)) return 0;
    if (window == shell::GetWindowOfKind(shell::WindowKind::HqWnd)) return 0;
    if (!gHasSavedCursor) {
        gSavedCursor = ui::GetCursor();
        gHasSavedCursor = true;
    }
    ui::SetCursor(CursorForType(type));
    gCursorType = static_cast<std::uint16_t>(type);
    return 1;
}

void RestoreMapClassCursor() {
    ForgetCursorsOfAnotherLayer();
    if (gHasSavedCursor) ui::SetCursor(gSavedCursor);
    gHasSavedCursor = false;
    gSavedCursor = 0;
    gCursorType = 0;
}

HexMapView::HexMapView(rules::TableDirectory& tables, const rules::GameContextEnv& env)
    : ctx_(std::make_unique<rules::GameContext>(tables, env)) {}

HexMapView::~HexMapView() = default;

std::uint32_t HexMapView::HexToPixel(std::int16_t pt[2]) const {
    const int x = pt[0], y = pt[1];
    if (x < 0 || x >= mapCols_ || y < 0 || y >= mapRows_) {
        pt[0] = 255;
        pt[1] = 255;
        return 0x00FF00FF;
    }
    int px = x * hexW_;
    if (y & 1) px += hexW_ / 2;
    const int py = y * (hexH_ - overlap_);
    pt[0] = static_cast<std::int16_t>(px);
    pt[1] = static_cast<std::int16_t>(py);
    return Pack32(px, py);
}

std::uint32_t HexMapView::PixelToHex(std::int16_t pt[2]) const {
    const int px = pt[0], py = pt[1];
    const int half = hexW_ / 2;
    const int slope = overlap_ != 0 ? half / overlap_ : 0;
    const int rowStep = hexH_ - overlap_;
    int row = py / rowStep;
    const bool odd = (row & 1) != 0;
    const int xs = odd ? px - half : px;
    int col = xs < 0 ? -1 : xs / hexW_;
    const int cx = col * hexW_ + (odd ? half : 0);
    const int dx = px - cx;
    const int dy = py - row * rowStep;
    if (dy < overlap_) {
        if (dx < half) {
            if (!(dy * slope >= half - dx)) {
                if (!odd) --col;
                --row;
            }
        } else if (!(dy * slope >= dx - half)) {
            if (odd) ++col;
            --row;
        }
    }
    pt[0] = static_cast<std::int16_t>(col);
    pt[1] = static_cast<std::int16_t>(row);
    return Pack32(col, row);
}

std::uint32_t HexMapView::PixelToMapHex(std::int16_t pt[2]) const {
    PixelToHex(pt);
    pt[0] = static_cast<std::int16_t>(pt[0] + originX_);
    pt[1] = static_cast<std::int16_t>(pt[1] + originY_);
    return Pack32(pt[0], pt[1]);
}

std::uint32_t HexMapView::PixelToMapHex(std::uint32_t point) const {
    std::int16_t pt[2] = {Lo16(point), Hi16(point)};
    return PixelToMapHex(pt);
}

void HexMapView::SetOrigin(std::uint32_t origin) {
    originX_ = static_cast<std::uint16_t>(origin & 0xFFFF);
    originY_ = static_cast<std::uint16_t>(origin >> 16);
    if (ui::IsWindow(owner_)) {
        ui::SetScrollPos(owner_, ui::SB_VERT, originY_, true);
        ui::SetScrollPos(owner_, ui::SB_HORZ, originX_, true);
    }
}

void HexMapView::UpdateScrollBars() {
    if (!ui::IsWindow(owner_)) return;
    ui::ScrollInfo si;
    si.mask = ui::SIF_RANGE | ui::SIF_PAGE | ui::SIF_POS;
    si.min = 0;
    si.max = rules::kMapSize - 1;
    si.page = static_cast<uint32_t>(visibleCols_);
    si.pos = originX_;
    ui::SetScrollInfo(owner_, ui::SB_HORZ, si, true);
    si.page = static_cast<uint32_t>(visibleRows_);
    si.pos = originY_;
    ui::SetScrollInfo(owner_, ui::SB_VERT, si, true);
}

int HexMapView::ScrollByHexes(int direction, int n) {
    const int clientW = bufferW_ - hexW_;
    const int clientH = bufferH_ - hexH_;
    const int rowStep = hexH_ - overlap_;
    const int rowsShown = (clientH / rowStep) & ~1;
    const int colsShown = clientW / hexW_ - 1;
    bool moved = false;
    switch (direction) {
        case 0: {
            const int step = ((originY_ + n) & 1) ? 1 : n;
            if (step * rowStep <= clientH && originY_ + step + rowsShown <= mapRows_) {
                originY_ = static_cast<std::uint16_t>(originY_ + step);
                moved = true;
            }
            break;
        }
        case 1: {
            const int step = ((originY_ + n) & 1) ? 1 : n;
            if (originY_ != 0) {
                originY_ = static_cast<std::uint16_t>(std::max(0, originY_ - step));
                moved = true;
            }
            break;
        }
        case 2:
            if (n * hexW_ <= clientW - 1 && originX_ + n + colsShown <= mapCols_) {
                originX_ = static_cast<std::uint16_t>(originX_ + n);
                moved = true;
            }
            break;
        case 3:
            if (originX_ != 0) {
                originX_ = static_cast<std::uint16_t>(std::max(0, originX_ - n));
                moved = true;
            }
            break;
        default:
            break;
    }
    if (!moved) return 0;
    RedrawView(0);
    if (ui::IsWindow(owner_)) {
        ui::SetScrollPos(owner_, ui::SB_VERT, originY_, true);
        ui::SetScrollPos(owner_, ui::SB_HORZ, originX_, true);
    }
    return 1;
}

int HexMapView::OnVScroll(int code, int thumb) {
    switch (static_cast<uint32_t>(code)) {
        case ui::SB_LINEUP:
            ScrollByHexes(1, 2);
            return 1;
        case ui::SB_LINEDOWN:
            ScrollByHexes(0, 2);
            return 1;
        case ui::SB_PAGEUP:
            if (originY_ == 0) return 1;
            originY_ = originY_ > visibleRows_ ? static_cast<std::uint16_t>(originY_ - visibleRows_) : 0;
            break;
        case ui::SB_PAGEDOWN:
            if (originY_ >= rules::kMapSize - 1) return 1;
            originY_ = static_cast<std::uint16_t>(originY_ + 2 * visibleRows_ < rules::kMapSize
                                                      ? originY_ + visibleRows_
                                                      : std::max(0, rules::kMapSize - visibleRows_));
            break;
        case ui::SB_THUMBPOSITION:
            originY_ = static_cast<std::uint16_t>(std::max(0, thumb - (thumb & 1)));
            break;
        default:
            return 1;
    }
    if (ui::IsWindow(owner_)) ui::SetScrollPos(owner_, ui::SB_VERT, originY_, true);
    RedrawView(0);
    return 1;
}

int HexMapView::OnHScroll(int code, int thumb) {
    switch (static_cast<uint32_t>(code)) {
        case ui::SB_LINELEFT:
            ScrollByHexes(3, 1);
            return 1;
        case ui::SB_LINERIGHT:
            ScrollByHexes(2, 1);
            return 1;
        case ui::SB_PAGELEFT:
            if (originX_ == 0) return 1;
            originX_ = originX_ > visibleCols_ ? static_cast<std::uint16_t>(originX_ - visibleCols_) : 0;
            break;
        case ui::SB_PAGERIGHT:
            if (originX_ >= rules::kMapSize - 1) return 1;
            originX_ = static_cast<std::uint16_t>(originX_ + 2 * visibleCols_ < rules::kMapSize
                                                      ? originX_ + visibleCols_
                                                      : std::max(0, rules::kMapSize - visibleCols_));
            break;
        case ui::SB_THUMBPOSITION:
            originX_ = static_cast<std::uint16_t>(std::max(0, thumb));
            break;
        default:
            return 1;
    }
    if (ui::IsWindow(owner_)) ui::SetScrollPos(owner_, ui::SB_HORZ, originX_, true);
    RedrawView(0);
    return 1;
}

void HexMapView::CenterOn(std::uint16_t hex, int keepFlag) {
    const int x = hex & 0xFF, y = hex >> 8;
    if (x == 255 || y == 255 || keepFlag != 0) return;
    int ox = std::max(0, x - (visibleCols_ - 1) / 2);
    int oy = std::max(0, y - (visibleRows_ - 1) / 2);
    if (oy & 1) --oy;
    originX_ = static_cast<std::uint16_t>(ox);
    originY_ = static_cast<std::uint16_t>(oy);
    if (ui::IsWindow(owner_)) {
        ui::SetScrollPos(owner_, ui::SB_VERT, originY_, true);
        ui::SetScrollPos(owner_, ui::SB_HORZ, originX_, true);
    }
    DrawHexRect(ox > 0 ? ox - 1 : ox, oy > 0 ? oy - 1 : oy, visibleCols_ + 2, visibleRows_ + 2, 0);
}

void HexMapView::BeginDragScroll(int x, int y) {
    dragPending_ = 1;
    dragAnchor_[0] = static_cast<std::int16_t>(x);
    dragAnchor_[1] = static_cast<std::int16_t>(y);
    PixelToHex(dragAnchor_);
}

int HexMapView::DragScroll(int x, int y) {
    dragCurrent_[0] = static_cast<std::int16_t>(x);
    dragCurrent_[1] = static_cast<std::int16_t>(y);
    PixelToHex(dragCurrent_);
    int result = 0;
    const ui::LParam point = static_cast<ui::LParam>(Pack32(x, y));
    if (std::abs(dragAnchor_[1] - dragCurrent_[1]) >= 2) {
        const int direction = dragCurrent_[1] < dragAnchor_[1] ? 0 : 1;
        result = ScrollByHexes(direction, 2);
        if (result && std::abs(dragAnchor_[1] - dragCurrent_[1]) > 1) {
            dragAnchor_[1] = static_cast<std::int16_t>(dragAnchor_[1] + (direction == 0 ? -2 : 2));
            if (ui::IsWindow(owner_)) ui::SendMessage(owner_, ui::WM_MOUSEMOVE, ui::MK_RBUTTON, point);
        }
    }
    if (dragAnchor_[0] != dragCurrent_[0]) {
        const int direction = dragCurrent_[0] < dragAnchor_[0] ? 2 : 3;
        result = ScrollByHexes(direction, 1);
        if (result && dragAnchor_[0] != dragCurrent_[0]) {
            dragAnchor_[0] = static_cast<std::int16_t>(dragAnchor_[0] + (direction == 2 ? -1 : 1));
            if (ui::IsWindow(owner_)) ui::SendMessage(owner_, ui::WM_MOUSEMOVE, ui::MK_RBUTTON, point);
        }
    }
    return result;
}

namespace {

void FrameSize(ui::Hwnd window, int& across, int& down) {
    const auto style = static_cast<uint32_t>(ui::GetWindowLong(window, ui::GWL_STYLE));
    across = 2 * ui::GetSystemMetrics(ui::SM_CXFRAME);
    down = 2 * ui::GetSystemMetrics(ui::SM_CYFRAME);
    if ((style & ui::WS_CAPTION) == ui::WS_CAPTION) down += ui::GetSystemMetrics(ui::SM_CYCAPTION);
    if (style & ui::WS_VSCROLL) down += ui::GetSystemMetrics(ui::SM_CYVSCROLL);
    if (style & ui::WS_HSCROLL) across += ui::GetSystemMetrics(ui::SM_CXHSCROLL);
}

}  // namespace

void HexMapView::SnapSizingRect(ui::Hwnd window, int edge, ui::Rect* rect) const {
    (void)edge;
    if (rect == nullptr) return;
    int across = 0, down = 0;
    FrameSize(window, across, down);
    const int clientW = rect->Width() - across;
    const int clientH = rect->Height() - down;
    const int rowPair = 2 * (hexW_ - overlap_);
    const int width = across + clientW - (hexW_ > 0 ? clientW % hexW_ : 0) + hexW_ / 2;
    const int height = down + clientH - (rowPair > 0 ? clientH % rowPair : 0) + overlap_;
    ui::Rect current{};
    ui::GetWindowRect(window, &current);
    ui::Hwnd parent = ui::GetParent(window);
    if (parent) {
        ui::Point pts[2] = {{current.left, current.top}, {current.right, current.bottom}};
        ui::ScreenToClient(parent, &pts[0]);
        ui::ScreenToClient(parent, &pts[1]);
        current = {pts[0].x, pts[0].y, pts[1].x, pts[1].y};
    }
    if (rect->left == current.left) rect->right = rect->left + width;
    else if (rect->right == current.right) rect->left = rect->right - width;
    else rect->right = rect->left + width;
    if (rect->top == current.top) rect->bottom = rect->top + height;
    else if (rect->bottom == current.bottom) rect->top = rect->bottom - height;
    else rect->bottom = rect->top + height;
}

void HexMapView::FitRectToHexes(ui::Hwnd window, ui::Rect* rect) const {
    if (rect == nullptr) return;
    int across = 0, down = 0;
    FrameSize(window, across, down);
    const int clientW = rect->Width() - across;
    const int clientH = rect->Height() - down;
    const int rowPair = 2 * (hexW_ - overlap_);
    rect->right = rect->left + across + clientW - (hexW_ > 0 ? clientW % hexW_ : 0) + hexW_ / 2;
    rect->bottom = rect->top + down + clientH - (rowPair > 0 ? clientH % rowPair : 0) + overlap_;
}

int HexMapView::GetEdgeZone(std::uint32_t point) const {
    if (!ui::IsWindow(owner_)) return kEdgeZoneInside;
    ui::Rect r{};
    ui::GetClientRect(owner_, &r);
    const int x = Lo16(point), y = Hi16(point);
    if (x < r.left + hexW_ / 2) return kEdgeZoneLeft;
    if (x > r.right - hexW_ / 2) return kEdgeZoneRight;
    if (y < r.top + hexH_ / 2) return kEdgeZoneTop;
    if (y > r.bottom - hexH_ / 2) return kEdgeZoneBottom;
    return kEdgeZoneInside;
}

int HexMapView::UpdateEdgeCursor(std::uint32_t point) {
    // Inside the map the window shows its own cursor again, whichever band the pointer came from.
    RestoreMapClassCursor();
    const int zone = GetEdgeZone(point);
    if (zone == kEdgeZoneInside) return 0;
    SetMapCursor(owner_, zone + 1, 0);
    return 1;
}

int HexMapView::EdgeScroll(std::uint32_t point) {
    switch (GetEdgeZone(point)) {
        case kEdgeZoneTop:
            OnVScroll(ui::SB_LINEUP, -1);
            return 1;
        case kEdgeZoneBottom:
            OnVScroll(ui::SB_LINEDOWN, -1);
            return 1;
        case kEdgeZoneLeft:
            OnHScroll(ui::SB_LINELEFT, -1);
            return 1;
        case kEdgeZoneRight:
            OnHScroll(ui::SB_LINERIGHT, -1);
            return 1;
        default:
            return 0;
    }
}

}  // namespace zv::mapview
