// The manager's facade: construction, handles, window classes and the default window
// procedure. The other concerns live beside it: WindowTree.cpp, MessageQueue.cpp, Timers.cpp,
// InputRouting.cpp, Compositor.cpp, ScrollBars.cpp and NonClient.cpp.
#include "platform/ui/WindowManager.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

#include "platform/core/Sjis.h"
#include "platform/ui/MenuInternal.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SysColors.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowManagerInternal.h"
#include "platform/ui/controls/StandardControls.h"

namespace zv::ui {

using namespace wmdetail;

namespace {

WindowManager* gCurrent = nullptr;
std::atomic<uint64_t> gNextSerial{1};

LResult DesktopProc(Hwnd, uint32_t, WParam, LParam) {
    return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction

WindowManager::WindowManager(std::unique_ptr<Backend> backend)
    : backend_(std::move(backend)), guiThread_(std::this_thread::get_id()), serial_(gNextSerial++) {
    generations_ = std::make_unique<std::array<std::atomic<uint16_t>, 65536>>();
    for (auto& g : *generations_) g.store(0, std::memory_order_relaxed);
    slots_.resize(1);  // slot 0 is never used: a zero handle is no window

    arrowCursor_ = CreateCursor(MakeArrowCursorImage());
    for (int i = 0; i < 4; ++i)
        sizeCursors_[i] = CreateCursor(MakeSizingCursorImage(IDC_SIZENWSE + i));
    currentCursor_ = arrowCursor_;
    backend_->SetCursorImage(cursors_.front().get());

    desktop_ = AllocateSlot();
    auto d = std::make_unique<Window>();
    d->self = desktop_;
    d->cls.name = "#32769";
    d->cls.proc = DesktopProc;
    d->proc = DesktopProc;
    d->style = WS_VISIBLE | WS_CLIPCHILDREN;
    d->rect = ScreenRect();
    d->client = {0, 0, d->rect.Width(), d->rect.Height()};
    slots_[desktop_.value & 0xFFFF] = std::move(d);
    desktopDirty_.Add(ScreenRect());
    gCurrent = this;

    // The layer's own control classes.
    WindowClass scrollBar;
    scrollBar.name = "ScrollBar";
    scrollBar.proc = ScrollBarCtlProc;
    scrollBar.cursor = arrowCursor_;
    RegisterClass(scrollBar);
    RegisterStandardControls();
    RegisterMenuClasses();
}

WindowManager::~WindowManager() {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        shuttingDown_ = true;
        for (auto& s : sends_) s->done = true;
        sends_.clear();
    }
    sendDone_.notify_all();
    if (gCurrent == this) gCurrent = nullptr;
    // Windows still alive are dropped without messages: their procedures may refer to state
    // that is already gone at this point.
}

WindowManager* WindowManager::Current() {
    return gCurrent;
}

Hwnd WindowManager::AllocateSlot() {
    uint16_t index;
    if (!freeSlots_.empty()) {
        index = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        if (slots_.size() >= 65536) return {};
        index = static_cast<uint16_t>(slots_.size());
        slots_.emplace_back();
    }
    auto& gen = (*generations_)[index];
    uint16_t g = static_cast<uint16_t>(gen.load() + 1);
    if (g == 0 || g == 0xFFFF) g = 1;  // keep clear of the special HWND_ values
    gen.store(g);
    return Hwnd{(static_cast<uint32_t>(g) << 16) | index};
}

void WindowManager::FreeSlot(Hwnd h) {
    const uint16_t index = h.value & 0xFFFF;
    // Bump the generation so that the old handle stops being a window at once.
    auto& gen = (*generations_)[index];
    uint16_t g = static_cast<uint16_t>(gen.load() + 1);
    if (g == 0 || g == 0xFFFF) g = 1;
    gen.store(g);
    slots_[index].reset();
    freeSlots_.push_back(index);
}

WindowManager::Window* WindowManager::Get(Hwnd h) const {
    const uint32_t index = h.value & 0xFFFF;
    if (index == 0 || index >= slots_.size()) return nullptr;
    if ((*generations_)[index].load() != (h.value >> 16)) return nullptr;
    return slots_[index].get();
}

WindowManager::Window* WindowManager::GetOrDesktop(Hwnd h) const {
    return h ? Get(h) : Get(desktop_);
}

bool WindowManager::IsWindow(Hwnd h) const {
    const uint32_t index = h.value & 0xFFFF;
    if (index == 0 || h.value == HWND_TOPMOST.value || h.value == HWND_NOTOPMOST.value)
        return false;
    return (*generations_)[index].load() == (h.value >> 16);
}

Rect WindowManager::ScreenRect() const {
    Surface32 s = backend_->Screen();
    return {0, 0, s.width, s.height};
}

int WindowManager::GetSystemMetrics(int index) const {
    const Rect r = ScreenRect();
    return SystemMetricFor(index, r.Width(), r.Height());
}

// ---------------------------------------------------------------------------------------------
// Classes

bool WindowManager::RegisterClass(const WindowClass& wc) {
    if (wc.name.empty() || wc.proc == nullptr || wc.windowExtraBytes < 0 ||
        wc.windowExtraBytes > 4096 || wc.classExtraBytes < 0) {
        return false;
    }
    auto [it, inserted] = classes_.emplace(Lower(wc.name), wc);
    (void)it;
    return inserted;
}

bool WindowManager::UnregisterClass(const std::string& name) {
    return classes_.erase(Lower(name)) > 0;
}

bool WindowManager::GetClassInfo(const std::string& name, WindowClass* out) const {
    auto it = classes_.find(Lower(name));
    if (it == classes_.end()) return false;
    if (out) *out = it->second;
    return true;
}

std::string WindowManager::GetClassName(Hwnd h) const {
    const Window* w = Get(h);
    return w ? w->cls.name : std::string();
}

LResult WindowManager::CallProc(Window* w, Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    WndProc proc = w->proc;
    return proc ? proc(h, msg, wp, lp) : DefWindowProc(h, msg, wp, lp);
}

// ---------------------------------------------------------------------------------------------
// Default behaviour

const Brush& StockBrushRef(int id) {
    // Immutable: shared by every manager, never changed.
    static const std::array<Brush, 6> kBrushes = {StockBrush(WHITE_BRUSH), StockBrush(LTGRAY_BRUSH),
                                                  StockBrush(GRAY_BRUSH),  StockBrush(DKGRAY_BRUSH),
                                                  StockBrush(BLACK_BRUSH), StockBrush(NULL_BRUSH)};
    if (id < 0 || id >= static_cast<int>(kBrushes.size())) return kBrushes[NULL_BRUSH];
    return kBrushes[static_cast<size_t>(id)];
}

namespace {

// The system's answer to a WM_CTLCOLOR* message: window-coloured edits and lists, the rest on
// the button face.
LResult DefaultControlColors(uint32_t msg, WParam wp) {
    auto* dc = reinterpret_cast<Canvas*>(wp);
    const bool white = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
    if (dc) {
        dc->SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
        dc->SetBkColor(GetSysColor(white ? COLOR_WINDOW : COLOR_BTNFACE));
    }
    return reinterpret_cast<LResult>(&GetSysColorBrush(white ? COLOR_WINDOW : COLOR_BTNFACE));
}

}  // namespace

LResult WindowManager::DefWindowProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
    Window* w = Get(h);
    if (!w) return 0;
    if (LResult r = 0; MenuDefWindowProc(h, msg, wp, lp, &r)) return r;
    w = Get(h);
    if (!w) return 0;
    switch (msg) {
        case WM_NCCREATE:
            return 1;
        case WM_NCCALCSIZE:
            return DefNcCalcSize(w, lp);
        case WM_NCHITTEST:
            return DefaultHitTest(h, {GetXLParam(lp), GetYLParam(lp)});
        case WM_NCPAINT:
            PaintNonClient(h);
            return 0;
        case WM_NCACTIVATE:
            w->ncActive = wp != 0;
            w->ncDirty = true;
            return 1;
        case WM_ERASEBKGND:
            return DefEraseBackground(w, wp);
        case WM_PAINT:
            return DefPaint(h);
        case WM_SETTEXT:
            return DefSetText(h, w, lp);
        case WM_GETTEXTLENGTH:
            return static_cast<LResult>(w->text.size());
        case WM_GETTEXT:
            return DefGetText(w, wp, lp);
        case WM_CLOSE:
            DestroyWindow(h);
            return 0;
        case WM_SYSCOMMAND:
            return DefSysCommand(h, w, wp, lp);
        case WM_MOUSEACTIVATE:
            return DefMouseActivate(w, wp, lp);
        case WM_SETCURSOR:
            return DefSetCursor(w, wp, lp);
        case WM_ACTIVATE:
            if (LoWord(wp) != WA_INACTIVE && HiWord(wp) == 0) SetFocus(h);
            return 0;
        case WM_WINDOWPOSCHANGED:
            return DefWindowPosChanged(h, w, lp);
        case WM_MOUSEWHEEL:
            return DefMouseWheel(w, wp, lp);
        case WM_NCLBUTTONDOWN:
            return DefNcButtonDown(h, wp, lp);
        case WM_NCLBUTTONDBLCLK:
            if (static_cast<intptr_t>(wp) == HTCAPTION && (w->style & WS_MAXIMIZEBOX)) {
                SendMessage(h, WM_SYSCOMMAND, IsZoomed(h) ? SC_RESTORE : SC_MAXIMIZE, lp);
            }
            return 0;
        case WM_SYSKEYDOWN:
            if (wp == VK_F1 + 3 && (static_cast<uintptr_t>(lp) & (1u << 29))) {  // Alt+F4
                SendMessage(GetAncestor(h, GA_ROOT), WM_SYSCOMMAND, SC_CLOSE, 0);
            }
            return 0;
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            return DefaultControlColors(msg, wp);
        case WM_QUERYENDSESSION:
            return 1;
        default:
            return 0;
    }
}

LResult WindowManager::DefNcCalcSize(Window* w, LParam lp) {
    auto* p = reinterpret_cast<NcCalcSizeParams*>(lp);
    if (!p) return 0;
    const Rect in = NonClientInsets(w);
    p->rect = {p->rect.left + in.left, p->rect.top + in.top, p->rect.right - in.right,
               p->rect.bottom - in.bottom};
    return 0;
}

LResult WindowManager::DefEraseBackground(Window* w, WParam wp) {
    auto* dc = reinterpret_cast<Canvas*>(wp);
    if (!w->cls.hasBackground || !dc) return 0;
    dc->FillSolid({0, 0, w->client.Width(), w->client.Height()}, w->cls.background);
    return 1;
}

LResult WindowManager::DefPaint(Hwnd h) {
    PaintStruct ps;
    BeginPaint(h, &ps);
    EndPaint(h, &ps);
    return 0;
}

LResult WindowManager::DefSetText(Hwnd h, Window* w, LParam lp) {
    const char* text = reinterpret_cast<const char*>(lp);
    w->text = text ? text : "";
    w->ncDirty = true;
    if (h == mainWindow_) backend_->SetTitle(zv::core::SjisToUtf8(w->text));
    return 1;
}

LResult WindowManager::DefGetText(Window* w, WParam wp, LParam lp) {
    char* buf = reinterpret_cast<char*>(lp);
    if (!buf || wp == 0) return 0;
    // Never cut a double-byte character in half.
    const size_t n = zv::core::SjisCutLength(w->text, static_cast<size_t>(wp) - 1);
    std::memcpy(buf, w->text.data(), n);
    buf[n] = '\0';
    return static_cast<LResult>(n);
}

LResult WindowManager::DefSysCommand(Hwnd h, Window* w, WParam wp, LParam lp) {
    switch (wp & 0xFFF0) {
        case SC_CLOSE:
            if (!(w->cls.style & CS_NOCLOSE)) SendMessage(h, WM_CLOSE, 0, 0);
            return 0;
        case SC_MINIMIZE:
            ShowWindow(h, SW_MINIMIZE);
            return 0;
        case SC_MAXIMIZE:
            ShowWindow(h, SW_SHOWMAXIMIZED);
            return 0;
        case SC_RESTORE:
            ShowWindow(h, SW_RESTORE);
            return 0;
        case SC_MOVE:
        case SC_SIZE: {
            // The low bits say where the mouse took hold (HTCAPTION for a move, the WMSZ_ edge
            // for a size); without them the command came from the system menu and the keyboard
            // drives the loop.
            const uint32_t how = static_cast<uint32_t>(wp) & 0xF;
            const bool move = (wp & 0xFFF0) == SC_MOVE;
            const bool byKeyboard = how == 0;
            const intptr_t hit = move       ? HTCAPTION
                                 : how == 0 ? HTNOWHERE
                                            : static_cast<intptr_t>(how) - 1 + HTLEFT;
            Point start{GetXLParam(lp), GetYLParam(lp)};
            if (byKeyboard) GetCursorPos(&start);
            TrackMoveSize(h, hit, start, byKeyboard);
            return 0;
        }
        default:
            return 0;
    }
}

LResult WindowManager::DefMouseActivate(Window* w, WParam wp, LParam lp) {
    if ((w->style & WS_CHILD) && Get(w->parent) && w->parent != desktop_) {
        const LResult r = SendMessage(w->parent, WM_MOUSEACTIVATE, wp, lp);
        if (r) return r;
    }
    return MA_ACTIVATE;
}

LResult WindowManager::DefSetCursor(Window* w, WParam wp, LParam lp) {
    if ((w->style & WS_CHILD) && Get(w->parent) && w->parent != desktop_) {
        if (SendMessage(w->parent, WM_SETCURSOR, wp, lp)) return 1;
    }
    const intptr_t hit = static_cast<int16_t>(LoWord(static_cast<uintptr_t>(lp)));
    if (hit == HTCLIENT) {
        if (w->cls.cursor) {
            SetCursor(w->cls.cursor);
            return 1;
        }
        return 0;
    }
    // The edges of a sizable frame show which way they pull.
    Hcursor c = arrowCursor_;
    if (hit == HTLEFT || hit == HTRIGHT) c = sizeCursors_[IDC_SIZEWE - IDC_SIZENWSE];
    if (hit == HTTOP || hit == HTBOTTOM) c = sizeCursors_[IDC_SIZENS - IDC_SIZENWSE];
    if (hit == HTTOPLEFT || hit == HTBOTTOMRIGHT) c = sizeCursors_[0];
    if (hit == HTTOPRIGHT || hit == HTBOTTOMLEFT) c = sizeCursors_[1];
    SetCursor(c);
    return hit == HTERROR ? 0 : 1;
}

LResult WindowManager::DefWindowPosChanged(Hwnd h, Window* w, LParam lp) {
    const auto* pos = reinterpret_cast<const WindowPos*>(lp);
    if (!pos) return 0;
    if (!(pos->flags & SWP_NOMOVE)) {
        SendMessage(h, WM_MOVE, 0,
                    MakeLParam(w->rect.left + w->client.left, w->rect.top + w->client.top));
    }
    w = Get(h);
    if (w && !(pos->flags & SWP_NOSIZE)) {
        const WParam type = (w->style & WS_MINIMIZE)   ? SIZE_MINIMIZED
                            : (w->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED
                                                       : SIZE_RESTORED;
        SendMessage(h, WM_SIZE, type, MakeLParam(w->client.Width(), w->client.Height()));
    }
    return 0;
}

// A child hands the wheel to its parent.
LResult WindowManager::DefMouseWheel(Window* w, WParam wp, LParam lp) {
    if ((w->style & WS_CHILD) && Get(w->parent) && w->parent != desktop_) {
        return SendMessage(w->parent, WM_MOUSEWHEEL, wp, lp);
    }
    return 0;
}

LResult WindowManager::DefNcButtonDown(Hwnd h, WParam wp, LParam lp) {
    const Point at{GetXLParam(lp), GetYLParam(lp)};
    switch (static_cast<intptr_t>(wp)) {
        case HTCAPTION:
            SendMessage(h, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lp);
            return 0;
        case HTLEFT:
        case HTRIGHT:
        case HTTOP:
        case HTTOPLEFT:
        case HTTOPRIGHT:
        case HTBOTTOM:
        case HTBOTTOMLEFT:
        case HTBOTTOMRIGHT:
            SendMessage(h, WM_SYSCOMMAND, SC_SIZE + static_cast<uint32_t>(wp - HTLEFT + WMSZ_LEFT),
                        lp);
            return 0;
        case HTCLOSE:
        case HTMINBUTTON:
        case HTMAXBUTTON:
            TrackCaptionButton(h, static_cast<intptr_t>(wp));
            return 0;
        case HTVSCROLL:
            TrackScrollBar(h, SB_VERT, at);
            return 0;
        case HTHSCROLL:
            TrackScrollBar(h, SB_HORZ, at);
            return 0;
        default:
            return 0;
    }
}

}  // namespace zv::ui
