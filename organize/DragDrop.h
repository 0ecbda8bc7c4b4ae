#pragma once

// Drag and drop between the organisation windows: one drag at a time, carried by the windows
// themselves. The source begins a drag (a unit of the unit list, a member of the troop display,
// a troop or template of the lists); the capture owner (the organisation dialog) gets the mouse
// and, on the release, hands the point to the registered drop target under it, which ends the
// drag and acts. The trash box gives a discarded item back to its source.

#include <cstddef>
#include <cstdint>

#include "platform/ui/WindowTypes.h"
#include "shell/WindowMessages.h"

namespace zv::organize {

// The source hears of a drop on the trash box by WM_ORGANIZE_DISCARD (lParam: the payload or
// 0, valid only during the call).
constexpr int kDropTargetCount = 30;

// Drag types.
constexpr int kDragUnit = 1;    // value: UnitInfo index
constexpr int kDragMember = 2;  // value: formation slot of the troop display
constexpr int kDragTroop = 3;   // value: list row; payload: u16 force troop index

int RegisterDropTarget(ui::Hwnd window);
void ClearDropTargets();
void SetDragOwner(ui::Hwnd window);
ui::Hwnd FindDropTarget(int screenX, int screenY);
int IsDragging();
void BeginDrag(ui::Hwnd source, int type, int value);
int EndDrag(int* outValue);
void SetDragPayload(const void* data, std::size_t length);
void DeliverDragPayload(std::uint32_t message);
// The capture owner and source of the drag state (tests look at them).
ui::Hwnd GetDragOwner();
ui::Hwnd GetDragSource();
// Forgets everything: targets, owners, drag, payload.
void ResetDragState();

// The trash box: control 1151 of the organisation dialog.
inline constexpr const char* kTrashBoxClass = "TrashBoxWindow";
int RegisterTrashBoxWindow();
ui::Hwnd CreateTrashBoxWindow(ui::Hwnd parent, int id, int x, int y, int width, int height);
ui::LResult TrashBoxWindowProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l);

// Pictures of the organisation parts sheet "orgparts.bmp".
struct OrgPartRect {
    int x, y, width, height;
};
inline constexpr OrgPartRect kTrashBoxPicture{0, 0, 68, 80};
inline constexpr OrgPartRect kDragCursorPicture{72, 0, 32, 32};
inline constexpr OrgPartRect kNewEntryIcon{108, 0, 16, 16};
inline constexpr OrgPartRect kNewUnitIcon{108, 16, 16, 16};

}  // namespace zv::organize
