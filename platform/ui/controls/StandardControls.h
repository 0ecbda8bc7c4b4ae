#pragma once

// The one place that registers the standard control classes of the layer: BUTTON, STATIC,
// EDIT, LISTBOX, COMBOBOX (with its drop-down list class), SysListView32 with SysHeader32,
// SysTabControl32, msctls_progress32, msctls_updown32 and SysTreeView32. Dialogs and the
// control creators call it; registering twice does nothing.

#include <cstdint>

#include "platform/ui/WindowTypes.h"

namespace zv::ui {

// True when every class is registered with the current window manager afterwards.
bool RegisterStandardControls();

// An up-down control with its buddy, range and position set, in one call.
Hwnd CreateUpDownControl(uint32_t style, int x, int y, int cx, int cy, Hwnd parent, int id,
                         void* instance, Hwnd buddy, int upper, int lower, int pos);

}  // namespace zv::ui

namespace zv::ui::controls {

bool RegisterButtonClass();
bool RegisterStaticClass();
bool RegisterEditClass();
bool RegisterListBoxClass();
bool RegisterComboBoxClass();
bool RegisterHeaderClass();
bool RegisterListViewClass();
bool RegisterTabControlClass();
bool RegisterProgressClass();
bool RegisterUpDownClass();
bool RegisterTreeViewClass();

}  // namespace zv::ui::controls
