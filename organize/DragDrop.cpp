#include "organize/DragDrop.h"

#include <array>
#include <memory>
#include <vector>

#include "framework/Dib.h"
#include "framework/gui/WindowUtilities.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"

namespace zv::organize {

namespace {

struct DragState {
    std::array<ui::Hwnd, kDropTargetCount> targets{};
    int dragging = 0;
    int value = 0;
    ui::Hwnd owner{};
    ui::Hwnd previousOwner{};
    ui::Hwnd source{};
    int type = 0;
    ui::Hcursor savedCursor{};
    std::vector<std::uint8_t> payload;
    bool hasPayload = false;
};

// One drag at a time, as there is one mouse: the drag is the program's, not a window's.
DragState gDrag;
// The drag cursor, made once per window manager.
ui::Hcursor gDragCursor{};

ui::Hcursor DragCursor() {
    if (gDragCursor) return gDragCursor;
    fw::Dib sheet("orgparts.bmp");
    if (!sheet.HasBits()) return ui::LoadCursor(nullptr, ui::IDC_ARROW);
    const OrgPartRect r = kDragCursorPicture;
    std::vector<ui::RgbQuad> table(256);
    sheet.GetColorEntries(0, 256, table.data());
    fw::Dib cell(r.width, r.height, table.data());
    fw::HvDIBitBltOpaque(&cell, 0, 0, r.width, r.height, &sheet, r.x, r.y);
    ui::CursorImage image;
    if (!ui::MakeCursorImageFromIndexed(cell.GetBitmapHandle(), 0, 2, 2, image)) {
        return ui::LoadCursor(nullptr, ui::IDC_ARROW);
    }
    gDragCursor = ui::CreateCursor(image);
    return gDragCursor;
}

// The trash box: a drop here gives the dragged member or troop back to its source as discarded.
class TrashBox : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(std::uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_CREATE:
                OnCreate();
                return 0;
            case ui::WM_PAINT:
                fw::PaintWindowFromBitmap(Handle(), picture_.get());
                return 0;
            case ui::WM_LBUTTONUP:
                OnDrop();
                return 1;
            default:
                return Default(msg, w, l);
        }
    }

  private:
    void OnCreate();
    void OnDrop();

    std::unique_ptr<fw::Dib> picture_;
};

}  // namespace

int RegisterDropTarget(ui::Hwnd window) {
    for (ui::Hwnd& slot : gDrag.targets) {
        if (!slot) {
            slot = window;
            return 1;
        }
    }
    return 0;
}

void ClearDropTargets() {
    gDrag.targets.fill({});
    gDrag.owner = gDrag.previousOwner;
}

void SetDragOwner(ui::Hwnd window) {
    gDrag.previousOwner = gDrag.owner;
    gDrag.owner = window;
}

ui::Hwnd FindDropTarget(int x, int y) {
    for (ui::Hwnd t : gDrag.targets) {
        if (!t || !ui::IsWindow(t)) continue;
        ui::Rect r{};
        ui::GetWindowRect(t, &r);
        // Strictly inside: a release on the border is no drop.
        if (r.left < x && x < r.right && r.top < y && y < r.bottom) return t;
    }
    return {};
}

int IsDragging() { return gDrag.dragging; }

void BeginDrag(ui::Hwnd source, int type, int value) {
    if (type < kDragUnit || type > kDragTroop) return;
    gDrag.value = value;
    gDrag.type = type;
    gDrag.source = source;
    gDrag.savedCursor = ui::SetCursor(DragCursor());
    if (gDrag.owner && ui::IsWindow(gDrag.owner)) ui::SetCapture(gDrag.owner);
    gDrag.dragging = 1;
}

int EndDrag(int* outValue) {
    if (!gDrag.dragging) return 0;
    ui::SetCursor(gDrag.savedCursor ? gDrag.savedCursor : ui::LoadCursor(nullptr, ui::IDC_ARROW));
    ui::ReleaseCapture();
    gDrag.dragging = 0;
    if (!outValue) return 0;
    *outValue = gDrag.value;
    return gDrag.type;
}

void SetDragPayload(const void* data, std::size_t length) {
    // A payload whose drag ended without a delivery is dropped here.
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    gDrag.payload.assign(bytes, bytes + length);
    gDrag.hasPayload = true;
}

void DeliverDragPayload(std::uint32_t message) {
    if (gDrag.hasPayload) {
        // The message may begin another drag: hand over a copy and forget ours first.
        std::vector<std::uint8_t> payload = std::move(gDrag.payload);
        gDrag.payload.clear();
        gDrag.hasPayload = false;
        if (gDrag.source && ui::IsWindow(gDrag.source)) {
            ui::SendMessage(gDrag.source, message, 0, reinterpret_cast<ui::LParam>(payload.data()));
        }
        return;
    }
    if (gDrag.source && ui::IsWindow(gDrag.source)) ui::SendMessage(gDrag.source, message, 0, 0);
}

ui::Hwnd GetDragOwner() { return gDrag.owner; }
ui::Hwnd GetDragSource() { return gDrag.source; }

void ResetDragState() {
    if (gDrag.dragging && ui::GetCapture() == gDrag.owner) ui::ReleaseCapture();
    gDrag = DragState{};
    // The cursor belongs to the window manager it was made with.
    gDragCursor = {};
}

int RegisterTrashBoxWindow() {
    ui::WindowClass existing;
    if (ui::GetClassInfo(kTrashBoxClass, &existing)) return 1;
    ui::WindowClass wc;
    wc.name = kTrashBoxClass;
    wc.proc = TrashBoxWindowProc;
    wc.windowExtraBytes = 4;
    wc.cursor = ui::LoadCursor(nullptr, ui::IDC_ARROW);
    return ui::RegisterClass(wc) ? 1 : 0;
}

ui::Hwnd CreateTrashBoxWindow(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    RegisterTrashBoxWindow();
    return ui::CreateWindowEx(0, kTrashBoxClass, "", ui::WS_CHILD | ui::WS_VISIBLE, x, y, width,
                              height, parent, id, nullptr, nullptr);
}

void TrashBox::OnCreate() {
    fw::Dib sheet("orgparts.bmp");
    ui::Rect client{};
    ui::GetClientRect(Handle(), &client);
    std::vector<ui::RgbQuad> table(256);
    if (sheet.HasBits()) sheet.GetColorEntries(0, 256, table.data());
    picture_ = fw::Dib::CreateBlank(client.right, client.bottom, table.data());
    if (sheet.HasBits()) {
        const OrgPartRect r = kTrashBoxPicture;
        fw::HvDIBitBltOpaque(picture_.get(), 0, 0, r.width, r.height, &sheet, r.x, r.y);
    }
    RegisterDropTarget(Handle());
}

void TrashBox::OnDrop() {
    if (!IsDragging()) return;
    int value = 0;
    const int type = EndDrag(&value);
    if (type == kDragMember || type == kDragTroop) DeliverDragPayload(WM_ORGANIZE_DISCARD);
}

ui::LResult TrashBoxWindowProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<TrashBox>(h, msg, w, l);
}

}  // namespace zv::organize
