#pragma once

// The standard-control creators: every list view, tab, static, edit, button, combo box, scroll
// bar and list box of the game is made by one of these, with one fixed set of style bits each,
// so that they all look and behave alike. Each returns the new child (null on failure).

#include <cstdint>

#include "platform/ui/WindowTypes.h"

namespace zv::fw {

// The fixed style bits, to which the callers' bits are added where a creator takes a style.
constexpr uint32_t kListViewCtlStyle = 0x5401800D;
constexpr uint32_t kTabCtlStyle = 0x54010000;
constexpr uint32_t kStaticCtlStyle = 0x54010000;
constexpr uint32_t kEditCtlStyle = 0x54010000;
constexpr uint32_t kButtonCtlStyle = 0x54010000;
constexpr uint32_t kButtonCtl2Style = 0x5401000B;
constexpr uint32_t kComboBoxCtlStyle = 0x54010803;
constexpr uint32_t kOwnerDrawComboBoxCtlStyle = 0x54010813;
constexpr uint32_t kScrollBarCtlStyle = 0x50000000;
constexpr uint32_t kListBoxCtlStyle = 0x50001140;
constexpr uint32_t kOwnerDrawListBoxCtlStyle = 0x50001150;

ui::Hwnd CreateListViewCtl(ui::Hwnd parent, int id, int x, int y, int width, int height,
                           uint32_t style);
ui::Hwnd CreateTabCtl(ui::Hwnd parent, int id, int x, int y, int width, int height);
ui::Hwnd CreateStaticCtl(ui::Hwnd parent, int id, int x, int y, int width, int height);
ui::Hwnd CreateEditCtl(ui::Hwnd parent, int id, int x, int y, int width, int height,
                       uint32_t style);
ui::Hwnd CreateButtonCtl(ui::Hwnd parent, int id, int x, int y, int width, int height,
                         uint32_t style);
// An owner-drawn BUTTON.
ui::Hwnd CreateButtonCtl2(ui::Hwnd parent, int id, int x, int y, int width, int height);
ui::Hwnd CreateComboBoxCtl(ui::Hwnd parent, int id, int x, int y, int width, int height,
                           uint32_t style);
ui::Hwnd CreateOwnerDrawComboBoxCtl(ui::Hwnd parent, int id, int x, int y, int width, int height);
// style 0 horizontal, 1 vertical (SBS_VERT), 12 size box.
ui::Hwnd CreateScrollBarCtl(ui::Hwnd parent, int id, int x, int y, int width, int height,
                            uint32_t style);
ui::Hwnd CreateListBoxCtl(ui::Hwnd parent, int id, int x, int y, int width, int height,
                          uint32_t style);
ui::Hwnd CreateOwnerDrawListBoxCtl(ui::Hwnd parent, int id, int x, int y, int width, int height);

}  // namespace zv::fw
