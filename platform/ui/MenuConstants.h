#pragma once

// Numbers of menus, accelerators and MDI, with the values of the system the game was written
// for (the game's code passes them as they are).

#include <cstdint>

namespace zv::ui {

// Menu item flags (AppendMenu, InsertMenu, ModifyMenu, GetMenuState) and the item-addressing
// flags of EnableMenuItem, CheckMenuItem, DeleteMenu, RemoveMenu and GetMenuState.
constexpr uint32_t MF_STRING = 0x0000;
constexpr uint32_t MF_ENABLED = 0x0000;
constexpr uint32_t MF_UNCHECKED = 0x0000;
constexpr uint32_t MF_BYCOMMAND = 0x0000;
constexpr uint32_t MF_GRAYED = 0x0001;
constexpr uint32_t MF_DISABLED = 0x0002;
constexpr uint32_t MF_CHECKED = 0x0008;
constexpr uint32_t MF_POPUP = 0x0010;
constexpr uint32_t MF_MENUBARBREAK = 0x0020;
constexpr uint32_t MF_MENUBREAK = 0x0040;
constexpr uint32_t MF_HILITE = 0x0080;
constexpr uint32_t MF_BYPOSITION = 0x0400;
constexpr uint32_t MF_SEPARATOR = 0x0800;
constexpr uint32_t MF_DEFAULT = 0x1000;
constexpr uint32_t MF_SYSMENU = 0x2000;
constexpr uint32_t MF_RIGHTJUSTIFY = 0x4000;
constexpr uint32_t MF_MOUSESELECT = 0x8000;

// TrackPopupMenu flags.
constexpr uint32_t TPM_LEFTBUTTON = 0x0000;
constexpr uint32_t TPM_RIGHTBUTTON = 0x0002;
constexpr uint32_t TPM_LEFTALIGN = 0x0000;
constexpr uint32_t TPM_CENTERALIGN = 0x0004;
constexpr uint32_t TPM_RIGHTALIGN = 0x0008;
constexpr uint32_t TPM_TOPALIGN = 0x0000;
constexpr uint32_t TPM_VCENTERALIGN = 0x0010;
constexpr uint32_t TPM_BOTTOMALIGN = 0x0020;
constexpr uint32_t TPM_NONOTIFY = 0x0080;
constexpr uint32_t TPM_RETURNCMD = 0x0100;

// Accelerator entry flags (Accel::fVirt).
constexpr uint8_t FVIRTKEY = 0x01;
constexpr uint8_t FNOINVERT = 0x02;
constexpr uint8_t FSHIFT = 0x04;
constexpr uint8_t FCONTROL = 0x08;
constexpr uint8_t FALT = 0x10;

// System commands of the menus (the frame's own, SC_SIZE .. SC_RESTORE, are in Messages.h).
constexpr uint32_t SC_NEXTWINDOW = 0xF040;
constexpr uint32_t SC_PREVWINDOW = 0xF050;
constexpr uint32_t SC_MOUSEMENU = 0xF090;
constexpr uint32_t SC_KEYMENU = 0xF100;
constexpr uint32_t SC_ARRANGE = 0xF110;

// MDI.
constexpr uint32_t MDIS_ALLCHILDSTYLES = 0x0001;
constexpr uint32_t MDITILE_VERTICAL = 0x0000;
constexpr uint32_t MDITILE_HORIZONTAL = 0x0001;
constexpr uint32_t MDITILE_SKIPDISABLED = 0x0002;

// WM_MENUCHAR answers (high word).
constexpr uint32_t MNC_IGNORE = 0;
constexpr uint32_t MNC_CLOSE = 1;
constexpr uint32_t MNC_EXECUTE = 2;
constexpr uint32_t MNC_SELECT = 3;

}  // namespace zv::ui
