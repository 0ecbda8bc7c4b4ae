#pragma once

// Message, style and command numbers. The game's code relies on these values (and custom
// messages are WM_USER plus an offset), so the standard ones keep the numbers of the system the
// game was written for.

#include <cstdint>

namespace zv::ui {

// Window messages.
constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_MOVE = 0x0003;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_SETFOCUS = 0x0007;
constexpr uint32_t WM_KILLFOCUS = 0x0008;
constexpr uint32_t WM_ENABLE = 0x000A;
constexpr uint32_t WM_SETREDRAW = 0x000B;
constexpr uint32_t WM_SETTEXT = 0x000C;
constexpr uint32_t WM_GETTEXT = 0x000D;
constexpr uint32_t WM_GETTEXTLENGTH = 0x000E;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUERYENDSESSION = 0x0011;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_ERASEBKGND = 0x0014;
constexpr uint32_t WM_SYSCOLORCHANGE = 0x0015;
constexpr uint32_t WM_ENDSESSION = 0x0016;
constexpr uint32_t WM_SHOWWINDOW = 0x0018;
constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr uint32_t WM_CANCELMODE = 0x001F;
constexpr uint32_t WM_SETCURSOR = 0x0020;
constexpr uint32_t WM_MOUSEACTIVATE = 0x0021;
constexpr uint32_t WM_CHILDACTIVATE = 0x0022;
constexpr uint32_t WM_GETMINMAXINFO = 0x0024;
constexpr uint32_t WM_DRAWITEM = 0x002B;
constexpr uint32_t WM_MEASUREITEM = 0x002C;
constexpr uint32_t WM_DELETEITEM = 0x002D;
constexpr uint32_t WM_VKEYTOITEM = 0x002E;
constexpr uint32_t WM_CHARTOITEM = 0x002F;
constexpr uint32_t WM_SETFONT = 0x0030;
constexpr uint32_t WM_GETFONT = 0x0031;
constexpr uint32_t WM_COMPAREITEM = 0x0039;
constexpr uint32_t WM_WINDOWPOSCHANGING = 0x0046;
constexpr uint32_t WM_WINDOWPOSCHANGED = 0x0047;
constexpr uint32_t WM_NOTIFY = 0x004E;
constexpr uint32_t WM_CONTEXTMENU = 0x007B;
constexpr uint32_t WM_STYLECHANGING = 0x007C;
constexpr uint32_t WM_STYLECHANGED = 0x007D;
constexpr uint32_t WM_GETICON = 0x007F;
constexpr uint32_t WM_SETICON = 0x0080;
constexpr uint32_t WM_NCCREATE = 0x0081;
constexpr uint32_t WM_NCDESTROY = 0x0082;
constexpr uint32_t WM_NCCALCSIZE = 0x0083;
constexpr uint32_t WM_NCHITTEST = 0x0084;
constexpr uint32_t WM_NCPAINT = 0x0085;
constexpr uint32_t WM_NCACTIVATE = 0x0086;
constexpr uint32_t WM_GETDLGCODE = 0x0087;
constexpr uint32_t WM_NCMOUSEMOVE = 0x00A0;
constexpr uint32_t WM_NCLBUTTONDOWN = 0x00A1;
constexpr uint32_t WM_NCLBUTTONUP = 0x00A2;
constexpr uint32_t WM_NCLBUTTONDBLCLK = 0x00A3;
constexpr uint32_t WM_NCRBUTTONDOWN = 0x00A4;
constexpr uint32_t WM_NCRBUTTONUP = 0x00A5;
constexpr uint32_t WM_NCRBUTTONDBLCLK = 0x00A6;
constexpr uint32_t WM_NCMBUTTONDOWN = 0x00A7;
constexpr uint32_t WM_NCMBUTTONUP = 0x00A8;
constexpr uint32_t WM_NCMBUTTONDBLCLK = 0x00A9;
constexpr uint32_t WM_KEYFIRST = 0x0100;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_DEADCHAR = 0x0103;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_SYSCHAR = 0x0106;
constexpr uint32_t WM_KEYLAST = 0x0108;
constexpr uint32_t WM_IME_STARTCOMPOSITION = 0x010D;
constexpr uint32_t WM_IME_ENDCOMPOSITION = 0x010E;
constexpr uint32_t WM_IME_COMPOSITION = 0x010F;
constexpr uint32_t SBM_SETPOS = 0x00E0;
constexpr uint32_t SBM_GETPOS = 0x00E1;
constexpr uint32_t SBM_SETRANGE = 0x00E2;
constexpr uint32_t SBM_GETRANGE = 0x00E4;
constexpr uint32_t SBM_SETRANGEREDRAW = 0x00E6;
constexpr uint32_t SBM_SETSCROLLINFO = 0x00E9;
constexpr uint32_t SBM_GETSCROLLINFO = 0x00EA;
constexpr uint32_t WM_INITDIALOG = 0x0110;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_HSCROLL = 0x0114;
constexpr uint32_t WM_VSCROLL = 0x0115;
constexpr uint32_t WM_INITMENU = 0x0116;
constexpr uint32_t WM_INITMENUPOPUP = 0x0117;
constexpr uint32_t WM_MENUSELECT = 0x011F;
constexpr uint32_t WM_MENUCHAR = 0x0120;
constexpr uint32_t WM_ENTERIDLE = 0x0121;
constexpr uint32_t WM_CTLCOLORMSGBOX = 0x0132;
constexpr uint32_t WM_CTLCOLOREDIT = 0x0133;
constexpr uint32_t WM_CTLCOLORLISTBOX = 0x0134;
constexpr uint32_t WM_CTLCOLORBTN = 0x0135;
constexpr uint32_t WM_CTLCOLORDLG = 0x0136;
constexpr uint32_t WM_CTLCOLORSCROLLBAR = 0x0137;
constexpr uint32_t WM_CTLCOLORSTATIC = 0x0138;
constexpr uint32_t WM_MOUSEFIRST = 0x0200;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
constexpr uint32_t WM_MOUSELAST = 0x020A;
constexpr uint32_t WM_PARENTNOTIFY = 0x0210;
constexpr uint32_t WM_ENTERMENULOOP = 0x0211;
constexpr uint32_t WM_EXITMENULOOP = 0x0212;
constexpr uint32_t WM_SIZING = 0x0214;
constexpr uint32_t WM_CAPTURECHANGED = 0x0215;
constexpr uint32_t WM_MOVING = 0x0216;
constexpr uint32_t WM_MDICREATE = 0x0220;
constexpr uint32_t WM_MDIDESTROY = 0x0221;
constexpr uint32_t WM_MDIACTIVATE = 0x0222;
constexpr uint32_t WM_MDIRESTORE = 0x0223;
constexpr uint32_t WM_MDINEXT = 0x0224;
constexpr uint32_t WM_MDIMAXIMIZE = 0x0225;
constexpr uint32_t WM_MDITILE = 0x0226;
constexpr uint32_t WM_MDICASCADE = 0x0227;
constexpr uint32_t WM_MDIICONARRANGE = 0x0228;
constexpr uint32_t WM_MDIGETACTIVE = 0x0229;
constexpr uint32_t WM_MDISETMENU = 0x0230;
constexpr uint32_t WM_ENTERSIZEMOVE = 0x0231;
constexpr uint32_t WM_EXITSIZEMOVE = 0x0232;
constexpr uint32_t WM_MDIREFRESHMENU = 0x0234;
constexpr uint32_t WM_MOUSEHOVER = 0x02A1;
constexpr uint32_t WM_MOUSELEAVE = 0x02A3;
constexpr uint32_t WM_CUT = 0x0300;
constexpr uint32_t WM_COPY = 0x0301;
constexpr uint32_t WM_PASTE = 0x0302;
constexpr uint32_t WM_CLEAR = 0x0303;
constexpr uint32_t WM_UNDO = 0x0304;
constexpr uint32_t MM_MCINOTIFY = 0x03B9;
constexpr uint32_t WM_USER = 0x0400;
constexpr uint32_t WM_APP = 0x8000;

// Window styles.
constexpr uint32_t WS_OVERLAPPED = 0x00000000;
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_MINIMIZE = 0x20000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_DISABLED = 0x08000000;
constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000;
constexpr uint32_t WS_CLIPCHILDREN = 0x02000000;
constexpr uint32_t WS_MAXIMIZE = 0x01000000;
constexpr uint32_t WS_CAPTION = 0x00C00000;
constexpr uint32_t WS_BORDER = 0x00800000;
constexpr uint32_t WS_DLGFRAME = 0x00400000;
constexpr uint32_t WS_VSCROLL = 0x00200000;
constexpr uint32_t WS_HSCROLL = 0x00100000;
constexpr uint32_t WS_SYSMENU = 0x00080000;
constexpr uint32_t WS_THICKFRAME = 0x00040000;
constexpr uint32_t WS_GROUP = 0x00020000;
constexpr uint32_t WS_TABSTOP = 0x00010000;
constexpr uint32_t WS_MINIMIZEBOX = 0x00020000;
constexpr uint32_t WS_MAXIMIZEBOX = 0x00010000;
constexpr uint32_t WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr uint32_t WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;
constexpr uint32_t WS_CHILDWINDOW = WS_CHILD;

// Extended window styles.
constexpr uint32_t WS_EX_DLGMODALFRAME = 0x00000001;
constexpr uint32_t WS_EX_NOPARENTNOTIFY = 0x00000004;
constexpr uint32_t WS_EX_TOPMOST = 0x00000008;
constexpr uint32_t WS_EX_ACCEPTFILES = 0x00000010;
constexpr uint32_t WS_EX_TRANSPARENT = 0x00000020;
constexpr uint32_t WS_EX_MDICHILD = 0x00000040;
constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
constexpr uint32_t WS_EX_WINDOWEDGE = 0x00000100;
constexpr uint32_t WS_EX_CLIENTEDGE = 0x00000200;
constexpr uint32_t WS_EX_CONTEXTHELP = 0x00000400;
constexpr uint32_t WS_EX_CONTROLPARENT = 0x00010000;
constexpr uint32_t WS_EX_STATICEDGE = 0x00020000;
constexpr uint32_t WS_EX_APPWINDOW = 0x00040000;

// Class styles.
constexpr uint32_t CS_VREDRAW = 0x0001;
constexpr uint32_t CS_HREDRAW = 0x0002;
constexpr uint32_t CS_DBLCLKS = 0x0008;
constexpr uint32_t CS_OWNDC = 0x0020;
constexpr uint32_t CS_CLASSDC = 0x0040;
constexpr uint32_t CS_PARENTDC = 0x0080;
constexpr uint32_t CS_NOCLOSE = 0x0200;
constexpr uint32_t CS_SAVEBITS = 0x0800;
constexpr uint32_t CS_GLOBALCLASS = 0x4000;

// Window position and size: "let the layer choose".
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

// SetWindowPos flags.
constexpr uint32_t SWP_NOSIZE = 0x0001;
constexpr uint32_t SWP_NOMOVE = 0x0002;
constexpr uint32_t SWP_NOZORDER = 0x0004;
constexpr uint32_t SWP_NOREDRAW = 0x0008;
constexpr uint32_t SWP_NOACTIVATE = 0x0010;
constexpr uint32_t SWP_FRAMECHANGED = 0x0020;
constexpr uint32_t SWP_SHOWWINDOW = 0x0040;
constexpr uint32_t SWP_HIDEWINDOW = 0x0080;
constexpr uint32_t SWP_NOCOPYBITS = 0x0100;
constexpr uint32_t SWP_NOOWNERZORDER = 0x0200;
constexpr uint32_t SWP_NOSENDCHANGING = 0x0400;

// WM_SIZE types.
constexpr uint32_t SIZE_RESTORED = 0;
constexpr uint32_t SIZE_MINIMIZED = 1;
constexpr uint32_t SIZE_MAXIMIZED = 2;

// WM_ACTIVATE states.
constexpr uint32_t WA_INACTIVE = 0;
constexpr uint32_t WA_ACTIVE = 1;
constexpr uint32_t WA_CLICKACTIVE = 2;

// WM_MOUSEACTIVATE results.
constexpr intptr_t MA_ACTIVATE = 1;
constexpr intptr_t MA_ACTIVATEANDEAT = 2;
constexpr intptr_t MA_NOACTIVATE = 3;
constexpr intptr_t MA_NOACTIVATEANDEAT = 4;

// Key and button state bits of mouse messages.
constexpr uint32_t MK_LBUTTON = 0x0001;
constexpr uint32_t MK_RBUTTON = 0x0002;
constexpr uint32_t MK_SHIFT = 0x0004;
constexpr uint32_t MK_CONTROL = 0x0008;
constexpr uint32_t MK_MBUTTON = 0x0010;
constexpr int WHEEL_DELTA = 120;

// Hit-test codes (WM_NCHITTEST).
constexpr intptr_t HTERROR = -2;
constexpr intptr_t HTTRANSPARENT = -1;
constexpr intptr_t HTNOWHERE = 0;
constexpr intptr_t HTCLIENT = 1;
constexpr intptr_t HTCAPTION = 2;
constexpr intptr_t HTSYSMENU = 3;
constexpr intptr_t HTMENU = 5;
constexpr intptr_t HTHSCROLL = 6;
constexpr intptr_t HTVSCROLL = 7;
constexpr intptr_t HTMINBUTTON = 8;
constexpr intptr_t HTMAXBUTTON = 9;
constexpr intptr_t HTLEFT = 10;
constexpr intptr_t HTRIGHT = 11;
constexpr intptr_t HTTOP = 12;
constexpr intptr_t HTTOPLEFT = 13;
constexpr intptr_t HTTOPRIGHT = 14;
constexpr intptr_t HTBOTTOM = 15;
constexpr intptr_t HTBOTTOMLEFT = 16;
constexpr intptr_t HTBOTTOMRIGHT = 17;
constexpr intptr_t HTBORDER = 18;
constexpr intptr_t HTCLOSE = 20;

// GetWindow relations and GetAncestor kinds.
constexpr uint32_t GW_HWNDFIRST = 0;
constexpr uint32_t GW_HWNDLAST = 1;
constexpr uint32_t GW_HWNDNEXT = 2;
constexpr uint32_t GW_HWNDPREV = 3;
constexpr uint32_t GW_OWNER = 4;
constexpr uint32_t GW_CHILD = 5;
constexpr uint32_t GA_PARENT = 1;
constexpr uint32_t GA_ROOT = 2;
constexpr uint32_t GA_ROOTOWNER = 3;

// Get/SetWindowLong indices (offsets >= 0 address the class's window bytes).
constexpr int GWL_WNDPROC = -4;
constexpr int GWL_HINSTANCE = -6;
constexpr int GWL_HWNDPARENT = -8;
constexpr int GWL_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_USERDATA = -21;
constexpr int GWLP_WNDPROC = GWL_WNDPROC;
constexpr int GWLP_HINSTANCE = GWL_HINSTANCE;
constexpr int GWLP_HWNDPARENT = GWL_HWNDPARENT;
constexpr int GWLP_ID = GWL_ID;
constexpr int GWLP_USERDATA = GWL_USERDATA;

// System commands.
constexpr uint32_t SC_SIZE = 0xF000;
constexpr uint32_t SC_MOVE = 0xF010;
constexpr uint32_t SC_MINIMIZE = 0xF020;
constexpr uint32_t SC_MAXIMIZE = 0xF030;
constexpr uint32_t SC_CLOSE = 0xF060;
constexpr uint32_t SC_RESTORE = 0xF120;
constexpr uint32_t SC_SCREENSAVE = 0xF140;

// WM_SIZING: the edge being pulled.
constexpr uint32_t WMSZ_LEFT = 1;
constexpr uint32_t WMSZ_RIGHT = 2;
constexpr uint32_t WMSZ_TOP = 3;
constexpr uint32_t WMSZ_TOPLEFT = 4;
constexpr uint32_t WMSZ_TOPRIGHT = 5;
constexpr uint32_t WMSZ_BOTTOM = 6;
constexpr uint32_t WMSZ_BOTTOMLEFT = 7;
constexpr uint32_t WMSZ_BOTTOMRIGHT = 8;

// ScrollWindowEx flags and region kinds.
constexpr uint32_t SW_SCROLLCHILDREN = 0x0001;
constexpr uint32_t SW_INVALIDATE = 0x0002;
constexpr uint32_t SW_ERASE = 0x0004;
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// TrackMouseEvent.
constexpr uint32_t TME_HOVER = 0x00000001;
constexpr uint32_t TME_LEAVE = 0x00000002;
constexpr uint32_t TME_QUERY = 0x40000000;
constexpr uint32_t TME_CANCEL = 0x80000000;
constexpr uint32_t HOVER_DEFAULT = 0xFFFFFFFF;
constexpr uint32_t kDefaultHoverMs = 400;

// Scroll bars.
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;
constexpr int SB_BOTH = 3;
constexpr uint32_t SB_LINEUP = 0;
constexpr uint32_t SB_LINELEFT = 0;
constexpr uint32_t SB_LINEDOWN = 1;
constexpr uint32_t SB_LINERIGHT = 1;
constexpr uint32_t SB_PAGEUP = 2;
constexpr uint32_t SB_PAGELEFT = 2;
constexpr uint32_t SB_PAGEDOWN = 3;
constexpr uint32_t SB_PAGERIGHT = 3;
constexpr uint32_t SB_THUMBPOSITION = 4;
constexpr uint32_t SB_THUMBTRACK = 5;
constexpr uint32_t SB_TOP = 6;
constexpr uint32_t SB_LEFT = 6;
constexpr uint32_t SB_BOTTOM = 7;
constexpr uint32_t SB_RIGHT = 7;
constexpr uint32_t SB_ENDSCROLL = 8;
constexpr uint32_t SIF_RANGE = 0x0001;
constexpr uint32_t SIF_PAGE = 0x0002;
constexpr uint32_t SIF_POS = 0x0004;
constexpr uint32_t SIF_DISABLENOSCROLL = 0x0008;
constexpr uint32_t SIF_TRACKPOS = 0x0010;
constexpr uint32_t SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

// PeekMessage options.
constexpr uint32_t PM_NOREMOVE = 0x0000;
constexpr uint32_t PM_REMOVE = 0x0001;

// Timers.
constexpr uint32_t USER_TIMER_MINIMUM = 10;

// RedrawWindow flags.
constexpr uint32_t RDW_INVALIDATE = 0x0001;
constexpr uint32_t RDW_ERASE = 0x0004;
constexpr uint32_t RDW_VALIDATE = 0x0008;
constexpr uint32_t RDW_ALLCHILDREN = 0x0080;
constexpr uint32_t RDW_UPDATENOW = 0x0100;
constexpr uint32_t RDW_FRAME = 0x0400;

// Virtual keys.
constexpr uint32_t VK_LBUTTON = 0x01;
constexpr uint32_t VK_RBUTTON = 0x02;
constexpr uint32_t VK_MBUTTON = 0x04;
constexpr uint32_t VK_BACK = 0x08;
constexpr uint32_t VK_TAB = 0x09;
constexpr uint32_t VK_RETURN = 0x0D;
constexpr uint32_t VK_SHIFT = 0x10;
constexpr uint32_t VK_CONTROL = 0x11;
constexpr uint32_t VK_MENU = 0x12;
constexpr uint32_t VK_PAUSE = 0x13;
constexpr uint32_t VK_CAPITAL = 0x14;
constexpr uint32_t VK_ESCAPE = 0x1B;
constexpr uint32_t VK_SPACE = 0x20;
constexpr uint32_t VK_PRIOR = 0x21;
constexpr uint32_t VK_NEXT = 0x22;
constexpr uint32_t VK_END = 0x23;
constexpr uint32_t VK_HOME = 0x24;
constexpr uint32_t VK_LEFT = 0x25;
constexpr uint32_t VK_UP = 0x26;
constexpr uint32_t VK_RIGHT = 0x27;
constexpr uint32_t VK_DOWN = 0x28;
constexpr uint32_t VK_INSERT = 0x2D;
constexpr uint32_t VK_DELETE = 0x2E;
constexpr uint32_t VK_NUMPAD0 = 0x60;
constexpr uint32_t VK_MULTIPLY = 0x6A;
constexpr uint32_t VK_ADD = 0x6B;
constexpr uint32_t VK_SUBTRACT = 0x6D;
constexpr uint32_t VK_DECIMAL = 0x6E;
constexpr uint32_t VK_DIVIDE = 0x6F;
constexpr uint32_t VK_F1 = 0x70;
constexpr uint32_t VK_F2 = 0x71;
constexpr uint32_t VK_F4 = 0x73;
constexpr uint32_t VK_F5 = 0x74;
constexpr uint32_t VK_F10 = 0x79;
constexpr uint32_t VK_F12 = 0x7B;
constexpr uint32_t VK_F6 = 0x75;
constexpr uint32_t VK_OEM_MINUS = 0xBD;
// Letters and digits are their upper-case ASCII codes ('A' = 0x41, '0' = 0x30).

}  // namespace zv::ui
