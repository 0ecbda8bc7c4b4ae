#pragma once

// The control numbers the dialog manager asks controls about (WM_GETDLGCODE answers, button
// messages and styles), with their standard values.

#include <cstdint>

#include "platform/ui/WindowTypes.h"

namespace zv::ui {

constexpr LResult DLGC_WANTARROWS = 0x0001;
constexpr LResult DLGC_WANTTAB = 0x0002;
constexpr LResult DLGC_WANTALLKEYS = 0x0004;
constexpr LResult DLGC_WANTMESSAGE = 0x0004;
constexpr LResult DLGC_HASSETSEL = 0x0008;
constexpr LResult DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LResult DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LResult DLGC_RADIOBUTTON = 0x0040;
constexpr LResult DLGC_WANTCHARS = 0x0080;
constexpr LResult DLGC_STATIC = 0x0100;
constexpr LResult DLGC_BUTTON = 0x2000;

constexpr uint32_t BS_PUSHBUTTON = 0x0000;
constexpr uint32_t BS_DEFPUSHBUTTON = 0x0001;
constexpr uint32_t BS_AUTORADIOBUTTON = 0x0009;
constexpr uint32_t BS_TYPEMASK = 0x000F;
constexpr uint32_t BM_GETCHECK = 0x00F0;
constexpr uint32_t BM_SETCHECK = 0x00F1;
constexpr uint32_t BM_SETSTYLE = 0x00F4;
constexpr uint32_t BM_CLICK = 0x00F5;
constexpr uint32_t BST_UNCHECKED = 0x0000;
constexpr uint32_t BST_CHECKED = 0x0001;
constexpr int BN_CLICKED = 0;
constexpr uint32_t SS_NOPREFIX = 0x0080;
constexpr uint32_t EM_SETSEL = 0x00B1;

}  // namespace zv::ui
