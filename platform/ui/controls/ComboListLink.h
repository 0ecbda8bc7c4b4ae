#pragma once

// Private messages between a combo box and its drop-down list (a list box in combo mode).
// Their numbers lie past the list box and combo box messages, where the game sends nothing.

#include <cstdint>

namespace zv::ui::controls {

// To the list: lParam the combo box; the list becomes its drop-down and draws its items for
// the combo's parent (ODT_COMBOBOX) when the combo is owner-drawn.
constexpr uint32_t kLbAttachCombo = 0x01B5;
// To the list: starts tracking the mouse for a drop-down that has just opened.
constexpr uint32_t kLbBeginTracking = 0x01B6;
// To the combo: the user picked item wParam in the list (its selection is already set).
constexpr uint32_t kCbListPicked = 0x0165;
// To the combo: the list closes without a pick (a click outside it, Esc).
constexpr uint32_t kCbListCancel = 0x0166;
// To the combo: the highlighted item of the open list changed to wParam.
constexpr uint32_t kCbListHover = 0x0167;

}  // namespace zv::ui::controls
