#pragma once

// Numbers of the dialog manager and message boxes, with their standard values.

#include <cstdint>

namespace zv::ui {

// Command and dialog result ids.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDC_STATIC = -1;

// Dialog styles.
constexpr uint32_t DS_ABSALIGN = 0x0001;
constexpr uint32_t DS_SYSMODAL = 0x0002;
constexpr uint32_t DS_SETFONT = 0x0040;
constexpr uint32_t DS_MODALFRAME = 0x0080;
constexpr uint32_t DS_SETFOREGROUND = 0x0200;
constexpr uint32_t DS_CONTROL = 0x0400;
constexpr uint32_t DS_CENTER = 0x0800;

// Dialog messages.
constexpr uint32_t DM_GETDEFID = 0x0400;  // WM_USER
constexpr uint32_t DM_SETDEFID = 0x0401;
constexpr uint32_t DC_HASDEFID = 0x534B;  // high word of a DM_GETDEFID answer
constexpr uint32_t WM_NEXTDLGCTL = 0x0028;

// Window data of a dialog (GetWindowLongPtr / SetWindowLongPtr).
constexpr int DWLP_MSGRESULT = 0;
constexpr int DWLP_DLGPROC = 4;
constexpr int DWLP_USER = 8;

// Message boxes.
constexpr uint32_t MB_OK = 0x0000;
constexpr uint32_t MB_OKCANCEL = 0x0001;
constexpr uint32_t MB_ABORTRETRYIGNORE = 0x0002;
constexpr uint32_t MB_YESNOCANCEL = 0x0003;
constexpr uint32_t MB_YESNO = 0x0004;
constexpr uint32_t MB_RETRYCANCEL = 0x0005;
constexpr uint32_t MB_TYPEMASK = 0x000F;
constexpr uint32_t MB_ICONHAND = 0x0010;
constexpr uint32_t MB_ICONERROR = MB_ICONHAND;
constexpr uint32_t MB_ICONSTOP = MB_ICONHAND;
constexpr uint32_t MB_ICONQUESTION = 0x0020;
constexpr uint32_t MB_ICONEXCLAMATION = 0x0030;
constexpr uint32_t MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr uint32_t MB_ICONASTERISK = 0x0040;
constexpr uint32_t MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr uint32_t MB_ICONMASK = 0x00F0;
constexpr uint32_t MB_DEFBUTTON1 = 0x0000;
constexpr uint32_t MB_DEFBUTTON2 = 0x0100;
constexpr uint32_t MB_DEFBUTTON3 = 0x0200;
constexpr uint32_t MB_DEFBUTTON4 = 0x0300;
constexpr uint32_t MB_DEFMASK = 0x0F00;
constexpr uint32_t MB_APPLMODAL = 0x0000;
constexpr uint32_t MB_SYSTEMMODAL = 0x1000;
constexpr uint32_t MB_TASKMODAL = 0x2000;
constexpr uint32_t MB_SETFOREGROUND = 0x00010000;
constexpr uint32_t MB_TOPMOST = 0x00040000;

}  // namespace zv::ui
