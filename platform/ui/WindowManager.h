#pragma once

// The window manager: one per process, run by the GUI thread (the thread that constructs it).
// It keeps the retained window tree, the message queue, timers, painting and input routing,
// and composites every window into the backend's screen. Window.h offers the same operations
// as free functions over the current manager, in the shape the game's code calls them.
//
// Threads: SendMessage, PostMessage, PostThreadMessage-like posts, IsWindow and Wake may be
// called from any thread. Everything else belongs to the GUI thread.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/Backend.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/Region.h"
#include "platform/ui/ScrollBarModel.h"
#include "platform/ui/WindowTypes.h"

namespace zv::ui {

// A stock brush that lives as long as the program: WM_CTLCOLOR* answers are pointers to
// brushes (const Brush*) cast to LResult.
const Brush& StockBrushRef(int id);

class WindowManager {
  public:
    explicit WindowManager(std::unique_ptr<Backend> backend);
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // The manager that Window.h's free functions use; null when none exists.
    static WindowManager* Current();
    // A number no other manager of this process had: handles (cursors, windows) kept across
    // managers are only good for the one whose serial they were made under.
    uint64_t Serial() const { return serial_; }

    Backend& GetBackend() { return *backend_; }
    bool IsGuiThread() const { return std::this_thread::get_id() == guiThread_; }

    // Classes.
    bool RegisterClass(const WindowClass& wc);
    bool UnregisterClass(const std::string& name);
    bool GetClassInfo(const std::string& name, WindowClass* out) const;
    std::string GetClassName(Hwnd h) const;

    // Windows.
    Hwnd CreateWindowEx(uint32_t exStyle, const std::string& className, const std::string& title,
                        uint32_t style, int x, int y, int width, int height, Hwnd parent,
                        intptr_t menuOrId, void* instance, void* param);
    bool DestroyWindow(Hwnd h);
    bool IsWindow(Hwnd h) const;
    bool IsWindowVisible(Hwnd h) const;  // it and every ancestor visible
    bool IsWindowEnabled(Hwnd h) const;
    bool IsIconic(Hwnd h) const;
    bool IsZoomed(Hwnd h) const;
    bool IsChild(Hwnd parent, Hwnd h) const;
    bool ShowWindow(Hwnd h, int cmd);
    bool EnableWindow(Hwnd h, bool enable);
    bool SetWindowPos(Hwnd h, Hwnd insertAfter, int x, int y, int cx, int cy, uint32_t flags);
    bool MoveWindow(Hwnd h, int x, int y, int width, int height, bool repaint);
    bool BringWindowToTop(Hwnd h);
    bool GetWindowRect(Hwnd h, Rect* out) const;  // screen coordinates
    bool GetClientRect(Hwnd h, Rect* out) const;  // (0, 0, width, height)
    bool ClientToScreen(Hwnd h, Point* p) const;
    bool ScreenToClient(Hwnd h, Point* p) const;
    int MapWindowPoints(Hwnd from, Hwnd to, Point* points, int count) const;
    Hwnd GetParent(Hwnd h) const;  // parent of a child, owner of a pop-up
    Hwnd SetParent(Hwnd h, Hwnd newParent);
    Hwnd GetAncestor(Hwnd h, uint32_t kind) const;
    Hwnd GetWindow(Hwnd h, uint32_t relation) const;
    Hwnd GetTopWindow(Hwnd parent) const;
    Hwnd GetDesktopWindow() const { return desktop_; }
    Hwnd GetDlgItem(Hwnd parent, int id) const;
    int GetDlgCtrlID(Hwnd h) const;
    std::vector<Hwnd> GetChildren(Hwnd parent) const;  // z-order, top first
    int32_t GetWindowLong(Hwnd h, int index) const;
    int32_t SetWindowLong(Hwnd h, int index, int32_t value);
    intptr_t GetWindowLongPtr(Hwnd h, int index) const;
    intptr_t SetWindowLongPtr(Hwnd h, int index, intptr_t value);
    bool SetWindowText(Hwnd h, const std::string& text);
    std::string GetWindowText(Hwnd h) const;

    // Messages.
    LResult SendMessage(Hwnd h, uint32_t msg, WParam w, LParam l);
    bool PostMessage(Hwnd h, uint32_t msg, WParam w, LParam l);
    void PostQuitMessage(int exitCode);
    // Blocks until a message arrives; false on WM_QUIT (the message is filled in either way).
    bool GetMessage(Msg* out, Hwnd filter = {}, uint32_t min = 0, uint32_t max = 0);
    bool PeekMessage(Msg* out, Hwnd filter, uint32_t min, uint32_t max, uint32_t removeFlags);
    bool TranslateMessage(const Msg& m);
    LResult DispatchMessage(const Msg& m);
    LResult DefWindowProc(Hwnd h, uint32_t msg, WParam w, LParam l);
    LResult CallWindowProc(WndProc proc, Hwnd h, uint32_t msg, WParam w, LParam l);
    // Runs the loop until keepRunning() turns false (checked before each message). Serves
    // cross-thread sends, posted messages, input, paints and timers. Returns false when WM_QUIT
    // arrived; the quit is posted again so that the outer loop ends too.
    bool RunModalLoop(const std::function<bool()>& keepRunning);
    // Handles every message that is due now, without waiting. Returns false after WM_QUIT.
    bool PumpPending();
    // Serves cross-thread sends only (no input, no posted messages) while stillWaiting() holds.
    void ServeSendsWhile(const std::function<bool()>& stillWaiting);
    // Runs a call that blocks (parking another thread, joining it) on a helper thread while the
    // GUI thread goes on serving cross-thread sends, so a worker that sends meanwhile is not
    // left waiting for an answer that would never come.
    void RunBlockingServingSends(const std::function<void()>& call);
    bool HasPendingSends() const;
    // Serves the cross-thread sends waiting now; true when there were any. For waits of the GUI
    // thread that take a "serve while waiting" callback (WorkGate::Suspend).
    bool ServeSends() { return ServePendingSends(); }

    // Timers. Returns the timer id, 0 on failure.
    uintptr_t SetTimer(Hwnd h, uintptr_t id, uint32_t elapseMs, TimerProc proc = nullptr);
    bool KillTimer(Hwnd h, uintptr_t id);
    uint32_t GetTickCount() { return backend_->NowMs(); }

    // Painting.
    bool InvalidateRect(Hwnd h, const Rect* r, bool erase);
    bool ValidateRect(Hwnd h, const Rect* r);
    bool GetUpdateRect(Hwnd h, Rect* out, bool erase);
    bool UpdateWindow(Hwnd h);
    bool RedrawWindow(Hwnd h, const Rect* r, uint32_t flags);
    Canvas* BeginPaint(Hwnd h, PaintStruct* ps);
    bool EndPaint(Hwnd h, const PaintStruct* ps);
    Canvas* GetDC(Hwnd h);        // client area, clipped to the visible part
    Canvas* GetWindowDC(Hwnd h);  // the whole window including its frame
    int ReleaseDC(Hwnd h, Canvas* dc);
    // Paints everything that is invalid now and presents the changed screen areas.
    void Flush();

    // Input state.
    Hwnd SetCapture(Hwnd h);
    bool ReleaseCapture();
    Hwnd GetCapture() const { return capture_; }
    Hwnd SetFocus(Hwnd h);
    Hwnd GetFocus() const { return focus_; }
    Hwnd SetActiveWindow(Hwnd h);
    Hwnd GetActiveWindow() const { return active_; }
    bool GetCursorPos(Point* p) const;
    // Asks for WM_MOUSELEAVE when the pointer leaves the window's client area (or the screen
    // window, or the program loses the focus) and/or WM_MOUSEHOVER when it rests there for the
    // hover time. Each is sent once per request; TME_CANCEL ends a request, TME_QUERY fills
    // the record with the one in force. False when the window does not exist.
    bool TrackMouseEvent(TrackMouseEventInfo* info);
    // Whether the program's screen window has the keyboard focus; the backend's focus events
    // change it and send WM_ACTIVATEAPP to every top-level window.
    bool IsAppActive() const { return appActive_; }
    Hwnd WindowFromPoint(Point screen);  // asks WM_NCHITTEST, skipping HTTRANSPARENT windows
    Hwnd ChildWindowFromPoint(Hwnd parent, Point client) const;
    int16_t GetKeyState(uint32_t vk) const;
    // The key pressed last (0 after a mouse press): Alt released right after its own press
    // enters the menu bar.
    uint32_t LastKeyPressed() const { return lastKeyPressed_; }
    // A key press a modal loop took for itself (a menu's mnemonic): the character the backend
    // delivers for it, queued already or arriving just after, is dropped rather than typed into
    // whatever window has the focus once the loop has ended.
    void SpendCharacterOfKey(uint32_t vk);
    // The text an input method is composing for the focus window (Shift-JIS, cursor in bytes);
    // empty when none. WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION and WM_IME_ENDCOMPOSITION
    // tell the focus window when it changes.
    struct Composition {
        std::string text;
        std::size_t cursor = 0;
    };
    const Composition& GetComposition() const { return composition_; }

    // Moves the pixels of a client area (all of it, or `scroll`, client coordinates) by dx, dy,
    // limited to `clip`; what is uncovered, and what came from a part that was not on view, is
    // the update region (client coordinates; in *updateRgn / *updateRect when given).
    // SW_INVALIDATE adds it to the window's update region, SW_ERASE marks it for erasing and
    // SW_SCROLLCHILDREN moves the children that lie in the scrolled area (every child when
    // `scroll` is null). Returns NULLREGION, SIMPLEREGION or COMPLEXREGION, RGN_ERROR for a bad
    // window.
    int ScrollWindowEx(Hwnd h, int dx, int dy, const Rect* scroll, const Rect* clip,
                       Region* updateRgn, Rect* updateRect, uint32_t flags);
    // The older form: invalidates (with erasing) what it uncovers; with no `scroll` rectangle
    // the children move too.
    bool ScrollWindow(Hwnd h, int dx, int dy, const Rect* scroll, const Rect* clip);

    // Scroll bars of a window with WS_HSCROLL or WS_VSCROLL.
    int SetScrollInfo(Hwnd h, int bar, const ScrollInfo& info, bool redraw);
    bool GetScrollInfo(Hwnd h, int bar, ScrollInfo* info) const;
    int SetScrollPos(Hwnd h, int bar, int pos, bool redraw);
    int GetScrollPos(Hwnd h, int bar) const;
    bool SetScrollRange(Hwnd h, int bar, int min, int max, bool redraw);
    bool GetScrollRange(Hwnd h, int bar, int* min, int* max) const;

    // Cursors.
    Hcursor LoadCursor(void* instance, int id);
    Hcursor CreateCursor(const CursorImage& image);
    bool DestroyCursor(Hcursor c);
    Hcursor SetCursor(Hcursor c);
    Hcursor GetCursor() const { return currentCursor_; }

    int GetSystemMetrics(int index) const;
    Rect ScreenRect() const;

    // The window that receives WM_CLOSE when the user closes the screen window; by default the
    // first top-level window created that still exists.
    void SetMainWindow(Hwnd h);
    // A program whose main window is the whole screen window: restored from maximised it keeps
    // filling the screen (its frame showing) while the screen window itself becomes smaller,
    // and a main window that fills the screen follows the screen's size.
    void SetMainWindowFillsScreen(bool on);

    // The menu bar's space in a top-level window's frame (Menu.h keeps the menus themselves),
    // its rectangle, and the caption's system-menu icon (screen coordinates).
    void SetMenuBarSpace(Hwnd h, bool on);
    bool GetMenuBarRect(Hwnd h, Rect* screen) const;
    bool GetCaptionIconRect(Hwnd h, Rect* screen) const;

    // Areas of the screen written since the last present (for tests of the compositor).
    const std::vector<Rect>& PendingDirty() const { return dirty_; }

  private:
    struct Window;
    struct Timer;
    struct PendingSend;
    struct LiveDc;

    Window* Get(Hwnd h) const;
    Window* GetOrDesktop(Hwnd h) const;
    bool IsChildOrSame(Hwnd h, Hwnd ancestor) const;  // ancestor is h or on its parent chain
    Hwnd AllocateSlot();
    void FreeSlot(Hwnd h);
    LResult CallProc(Window* w, Hwnd h, uint32_t msg, WParam wp, LParam lp);

    // Geometry (screen coordinates unless stated).
    Point ClientOriginScreen(const Window* w) const;
    Rect WindowRectScreen(const Window* w) const;
    Rect ClientRectScreen(const Window* w) const;
    void RecalcClient(Hwnd h);
    Rect NonClientInsets(const Window* w) const;  // left, top, right, bottom widths
    // The style the window's frame is drawn and hit-tested by: its own, without caption and
    // frame for a main window that stands for a screen window the desktop already decorates.
    uint32_t FrameStyle(const Window* w) const;
    void RefitFrame(Hwnd h);
    Region VisibleRegion(const Window* w, bool clientOnly) const;
    bool IsReallyVisible(const Window* w) const;
    Rect MaximizedRect(const Window* w) const;
    Rect IconicRect(const Window* w) const;  // parent client coordinates

    // Z-order.
    void UnlinkFromParent(Hwnd h);
    void LinkToParent(Hwnd h, Hwnd parent, Hwnd insertAfter);
    void RaiseOwned(Hwnd owner);
    // The owner whose caption an active pop-up leaves lit: a pop-up with no caption or frame
    // of its own (not a dialog) stands in the owner's client area, so activating it keeps the
    // owner showing active. None for any other window.
    Hwnd CaptionOwnerOf(Hwnd h) const;

    // Invalidation and painting.
    void ExposeScreen(const Region& area);
    void InvalidateWholeWindow(Hwnd h);
    void MarkDirty(const Rect& screenRect);
    bool FindWindowToPaint(Hwnd* out) const;
    void PaintDesktop();
    void PaintNonClient(Hwnd h);
    Canvas* MakeDc(Hwnd h, bool clientOnly, const Region* limitScreen);
    void PaintNow(Hwnd h);
    // Scroll bars: SB_HORZ and SB_VERT of a window, SB_CTL of a SCROLLBAR control.
    Rect ScrollBarRect(const Window* w, int bar) const;  // window coordinates
    bool ScrollBarVertical(const Window* w, int bar) const;
    ScrollBarLayout ScrollLayout(const Window* w, int bar) const;
    void InvalidateScrollBar(Hwnd h, int bar);
    static LResult ScrollBarCtlProc(Hwnd h, uint32_t msg, WParam wp, LParam lp);
    void TrackSizeBox(Hwnd h, Point start);

    // Destruction.
    void DestroyRecursive(Hwnd h, std::vector<Hwnd>& order);
    // Activates the leaving window's owner (given, or read from the window while it lives) when
    // it can be, else the topmost window that can.
    void ActivateAnother(Hwnd leaving, Hwnd owner = {});

    // Message retrieval.
    bool FetchMessage(Msg* out, Hwnd filter, uint32_t min, uint32_t max, bool remove);
    bool ServePendingSends();
    bool TranslateInput(const BackendEvent& e, Msg* out);
    bool RouteMouse(const BackendEvent& e, Msg* out);
    bool TranslateComposition(const BackendEvent& e, Msg* out);
    bool NextTimer(Msg* out, bool remove);
    void TrackMouseLeave(Hwnd under, intptr_t hit, Point screen);
    void EndMouseTracking(bool leave);
    void SetAppActive(bool active);
    int MsUntilNextTimer();
    void DropWindowState(Hwnd h);
    bool MatchesFilter(const Msg& m, Hwnd filter, uint32_t min, uint32_t max) const;

    // Default behaviour pieces: DefWindowProc's answers to the messages that take more than a
    // line (WindowManager.cpp).
    LResult DefNcCalcSize(Window* w, LParam lp);
    LResult DefEraseBackground(Window* w, WParam wp);
    LResult DefPaint(Hwnd h);
    LResult DefSetText(Hwnd h, Window* w, LParam lp);
    LResult DefGetText(Window* w, WParam wp, LParam lp);
    LResult DefSysCommand(Hwnd h, Window* w, WParam wp, LParam lp);
    LResult DefMouseActivate(Window* w, WParam wp, LParam lp);
    LResult DefSetCursor(Window* w, WParam wp, LParam lp);
    LResult DefWindowPosChanged(Hwnd h, Window* w, LParam lp);
    LResult DefMouseWheel(Window* w, WParam wp, LParam lp);
    LResult DefNcButtonDown(Hwnd h, WParam wp, LParam lp);
    intptr_t DefaultHitTest(Hwnd h, Point screen) const;
    Hwnd HitFrom(Hwnd parent, Point screen, intptr_t* hit);
    void TrackMouse(Hwnd h, const std::function<bool(const Msg&)>& onMouse, uintptr_t timerId = 0);
    void TrackCaptionButton(Hwnd h, intptr_t hit);
    void ApplyMinMax(Hwnd h, int cmd);
    bool ShowInternal(Hwnd h, bool activate);
    void HandleBackendEvent(const BackendEvent& e);
    void PresentDirty();
    void WaitForWork();
    Font& CaptionFont();
    // Runs the mouse loop with capture on h. onMouse sees mouse messages (non-client ones as
    // client ones) and, when timerId is set, that timer's WM_TIMER of h; false ends the loop.
    // The modal move and size loop. hit: HTCAPTION moves, an edge (HTLEFT .. HTBOTTOMRIGHT)
    // sizes; by keyboard the arrows move or size (a size loop started with HTNOWHERE waits for
    // the first arrow to choose the edge), Enter ends and Esc puts the window back.
    void TrackMoveSize(Hwnd h, intptr_t hit, Point start, bool byKeyboard);
    MinMaxInfo QueryMinMaxInfo(Hwnd h);
    Rect MaximizedPlacement(Hwnd h);
    void TrackScrollBar(Hwnd h, int bar, Point start);
    int ScrollPartAt(Hwnd h, int bar, Point screen, int* thumbOffset) const;

    std::unique_ptr<Backend> backend_;
    std::thread::id guiThread_;
    uint64_t serial_ = 0;

    std::map<std::string, WindowClass> classes_;  // key: lower-case name
    std::vector<std::unique_ptr<Window>> slots_;
    std::vector<uint16_t> freeSlots_;
    // Generations readable from any thread (IsWindow, PostMessage).
    std::unique_ptr<std::array<std::atomic<uint16_t>, 65536>> generations_;
    Hwnd desktop_{};
    Hwnd mainWindow_{};
    // Set while the main window follows a change the screen window reported, so that the
    // change is not asked of the screen window again.
    bool followingScreen_ = false;
    bool mainFillsScreen_ = false;

    // Cross-thread traffic.
    mutable std::mutex queueMutex_;
    std::condition_variable sendDone_;
    std::deque<Msg> posted_;
    std::deque<std::shared_ptr<PendingSend>> sends_;
    bool quitPosted_ = false;
    int quitCode_ = 0;
    bool shuttingDown_ = false;

    std::condition_variable sendArrived_;
    std::deque<Msg> inputMsgs_;  // routed input, waiting to be fetched
    std::vector<std::unique_ptr<Timer>> timers_;
    uintptr_t nextThreadTimerId_ = 0x7FFF0000;
    uint64_t timerSerial_ = 0;

    Hwnd capture_{};
    Hwnd focus_{};
    Hwnd active_{};
    Point cursorPos_{};
    std::array<uint8_t, 256> keyDown_{};
    uint32_t lastKeyPressed_ = 0;
    uint32_t spentKey_ = 0;       // SpendCharacterOfKey: the key, 0 for none
    uint32_t spentKeyUntil_ = 0;  // and until when its late character is dropped
    Composition composition_;
    // Double clicks.
    Hwnd lastClickWindow_{};
    uint32_t lastClickMsg_ = 0;
    uint32_t lastClickTime_ = 0;
    Point lastClickPos_{};
    bool lastClickWasDouble_ = false;
    int cascadeIndex_ = 0;

    std::list<LiveDc> dcs_;
    std::vector<Rect> dirty_;
    Region desktopDirty_;
    int paintDepth_ = 0;

    std::vector<std::unique_ptr<CursorImage>> cursors_;  // index + 1 is the handle
    Hcursor arrowCursor_ = 0;
    Hcursor sizeCursors_[4] = {};  // IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE, IDC_SIZENS
    Hcursor currentCursor_ = 0;
    // The scroll bar part held down, drawn pressed.
    Hwnd scrollPressedWindow_{};
    int scrollPressedBar_ = -1;
    int scrollPressedPart_ = -1;
    std::unique_ptr<Font> captionFont_;
    // TrackMouseEvent's request.
    Hwnd mouseTrack_{};
    uint32_t mouseTrackFlags_ = 0;  // TME_LEAVE | TME_HOVER still to come
    uint32_t hoverMs_ = 0;
    uint32_t hoverDue_ = 0;
    Point hoverStart_{};
    bool appActive_ = true;
    // The caption button held down, drawn pushed in.
    Hwnd captionPressedWindow_{};
    intptr_t captionPressedHit_ = 0;
};

}  // namespace zv::ui
