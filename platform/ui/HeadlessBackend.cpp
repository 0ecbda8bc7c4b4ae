#include "platform/ui/HeadlessBackend.h"

#include <algorithm>
#include <chrono>

#include "platform/ui/PngWriter.h"

namespace zv::ui {

HeadlessBackend::HeadlessBackend(int width, int height)
    : screen_(std::max(1, width), std::max(1, height), 0) {}

Surface32 HeadlessBackend::Screen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return screen_.View();
}

bool HeadlessBackend::PollEvent(BackendEvent& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (events_.empty()) return false;
    event = std::move(events_.front());
    events_.pop_front();
    return true;
}

void HeadlessBackend::WaitForEvent(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (woken_ || !events_.empty()) {
        woken_ = false;
        return;
    }
    ++idleWaits_;
    idle_.notify_all();
    if (autoAdvance_ && timeoutMs >= 0) {
        now_ += static_cast<uint32_t>(timeoutMs);
        return;
    }
    // The manual clock does not move by itself: wait a little real time for other threads
    // (a cross-thread send, a post), then let the caller look again.
    wake_.wait_for(lock, std::chrono::milliseconds(5), [&] { return woken_ || !events_.empty(); });
    woken_ = false;
}

void HeadlessBackend::Wake() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
    }
    wake_.notify_all();
}

uint32_t HeadlessBackend::NowMs() {
    std::lock_guard<std::mutex> lock(mutex_);
    return now_;
}

void HeadlessBackend::Present(const std::vector<Rect>& dirty) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++presentCount_;
    lastPresented_ = dirty;
}

void HeadlessBackend::SetCursorImage(const CursorImage* image) {
    std::lock_guard<std::mutex> lock(mutex_);
    cursorVisible_ = image != nullptr;
    if (image) cursor_ = *image;
}

void HeadlessBackend::SetTitle(const std::string& utf8) {
    std::lock_guard<std::mutex> lock(mutex_);
    title_ = utf8;
}

void HeadlessBackend::Inject(const BackendEvent& e) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(e);
        if (confinement_ && (e.kind == BackendEventKind::MouseMove ||
                             e.kind == BackendEventKind::MouseDown ||
                             e.kind == BackendEventKind::MouseUp)) {
            // As a confined system pointer: it stops at the area's last pixel.
            events_.back().x = std::clamp(e.x, confinement_->left, confinement_->right - 1);
            events_.back().y = std::clamp(e.y, confinement_->top, confinement_->bottom - 1);
        }
    }
    wake_.notify_all();
}

void HeadlessBackend::MouseMove(int x, int y) {
    BackendEvent e;
    e.kind = BackendEventKind::MouseMove;
    e.x = x;
    e.y = y;
    Inject(e);
}

void HeadlessBackend::MouseDown(int x, int y, MouseButton b) {
    BackendEvent e;
    e.kind = BackendEventKind::MouseDown;
    e.x = x;
    e.y = y;
    e.button = b;
    Inject(e);
}

void HeadlessBackend::MouseUp(int x, int y, MouseButton b) {
    BackendEvent e;
    e.kind = BackendEventKind::MouseUp;
    e.x = x;
    e.y = y;
    e.button = b;
    Inject(e);
}

void HeadlessBackend::Click(int x, int y, MouseButton b) {
    MouseMove(x, y);
    MouseDown(x, y, b);
    MouseUp(x, y, b);
}

void HeadlessBackend::Wheel(int x, int y, int delta) {
    BackendEvent e;
    e.kind = BackendEventKind::MouseWheel;
    e.x = x;
    e.y = y;
    e.wheelDelta = delta;
    Inject(e);
}

void HeadlessBackend::KeyDown(uint32_t vk, bool repeat) {
    BackendEvent e;
    e.kind = BackendEventKind::KeyDown;
    e.virtualKey = vk;
    e.repeat = repeat;
    Inject(e);
}

void HeadlessBackend::KeyUp(uint32_t vk) {
    BackendEvent e;
    e.kind = BackendEventKind::KeyUp;
    e.virtualKey = vk;
    Inject(e);
}

void HeadlessBackend::Text(const std::string& utf8) {
    BackendEvent e;
    e.kind = BackendEventKind::Text;
    e.text = utf8;
    Inject(e);
}

void HeadlessBackend::Compose(const std::string& utf8, int cursor) {
    BackendEvent e;
    e.kind = BackendEventKind::Composition;
    e.text = utf8;
    e.cursor = cursor;
    Inject(e);
}

void HeadlessBackend::RequestClose() {
    BackendEvent e;
    e.kind = BackendEventKind::CloseRequest;
    Inject(e);
}

void HeadlessBackend::SetAppFocus(bool focused) {
    BackendEvent e;
    e.kind = focused ? BackendEventKind::FocusGained : BackendEventKind::FocusLost;
    Inject(e);
}

void HeadlessBackend::MouseLeaveScreen() {
    BackendEvent e;
    e.kind = BackendEventKind::MouseLeft;
    Inject(e);
}

void HeadlessBackend::MinimizeWindow() {
    std::lock_guard<std::mutex> lock(mutex_);
    windowState_ = "minimized";
}

void HeadlessBackend::RestoreWindow() {
    std::lock_guard<std::mutex> lock(mutex_);
    windowState_ = "normal";
}

void HeadlessBackend::MaximizeWindow() {
    std::lock_guard<std::mutex> lock(mutex_);
    windowState_ = "maximized";
}

void HeadlessBackend::UnmaximizeWindow() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (windowState_ == "maximized") windowState_ = "normal";
}

bool HeadlessBackend::IsWindowMaximized() {
    std::lock_guard<std::mutex> lock(mutex_);
    return windowState_ == "maximized";
}

std::string HeadlessBackend::WindowStateRequested() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return windowState_;
}

void HeadlessBackend::ResizeWindow(int width, int height) {
    Resize(width, height);
}

void HeadlessBackend::Resize(int width, int height) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        screen_.Resize(std::max(1, width), std::max(1, height), 0);
        BackendEvent e;
        e.kind = BackendEventKind::ScreenResized;
        events_.push_back(e);
    }
    wake_.notify_all();
}

void HeadlessBackend::AdvanceClock(uint32_t ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    now_ += ms;
}

void HeadlessBackend::SetAutoAdvance(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    autoAdvance_ = on;
}

bool HeadlessBackend::WaitForGuiIdle(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    // The first idle wait may have begun before the call, after a pass that saw the old state.
    const uint64_t target = idleWaits_ + 2;
    return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return idleWaits_ >= target; });
}

uint32_t HeadlessBackend::PixelAt(int x, int y) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (x < 0 || y < 0 || x >= screen_.Width() || y >= screen_.Height()) return 0;
    return screen_.At(x, y);
}

bool HeadlessBackend::WriteScreenshot(const std::string& path, std::string* error) {
    std::lock_guard<std::mutex> lock(mutex_);
    return WritePng(path, screen_.View(), error);
}

int HeadlessBackend::PresentCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return presentCount_;
}

std::vector<Rect> HeadlessBackend::LastPresented() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastPresented_;
}

bool HeadlessBackend::CursorVisible() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return cursorVisible_;
}

void HeadlessBackend::ConfineCursor(const Rect* area) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (area)
        confinement_ = *area;
    else
        confinement_.reset();
}

std::optional<Rect> HeadlessBackend::CursorConfinement() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return confinement_;
}

CursorImage HeadlessBackend::CurrentCursor() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return cursor_;
}

std::string HeadlessBackend::Title() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return title_;
}

void HeadlessBackend::SetClipboardText(const std::string& utf8) {
    std::lock_guard<std::mutex> lock(mutex_);
    clipboard_ = utf8;
}

std::string HeadlessBackend::GetClipboardText() {
    std::lock_guard<std::mutex> lock(mutex_);
    return clipboard_;
}

void HeadlessBackend::SetTextInputRect(const Rect& screen) {
    std::lock_guard<std::mutex> lock(mutex_);
    textInputRect_ = screen;
}

Rect HeadlessBackend::TextInputRect() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return textInputRect_;
}

}  // namespace zv::ui

namespace zv::ui {

DisplayModeDesc HeadlessBackend::CurrentDisplayMode() {
    std::lock_guard<std::mutex> lock(mutex_);
    return {screen_.Width(), screen_.Height(), 32};
}

std::vector<DisplayModeDesc> HeadlessBackend::ListDisplayModes() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!modes_.empty()) return modes_;
    }
    return {CurrentDisplayMode()};
}

void HeadlessBackend::SetDisplayModes(std::vector<DisplayModeDesc> modes) {
    std::lock_guard<std::mutex> lock(mutex_);
    modes_ = std::move(modes);
}

bool HeadlessBackend::IsFullscreen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return fullscreen_;
}

bool HeadlessBackend::EnterFullscreenMode(const DisplayModeDesc& mode) {
    std::vector<DisplayModeDesc> modes = ListDisplayModes();
    if (std::find(modes.begin(), modes.end(), mode) == modes.end()) return false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!fullscreen_) {
            windowedWidth_ = screen_.Width();
            windowedHeight_ = screen_.Height();
        }
        fullscreen_ = true;
    }
    Resize(mode.width, mode.height);
    return true;
}

void HeadlessBackend::LeaveFullscreenMode() {
    int w = 0, h = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!fullscreen_) return;
        fullscreen_ = false;
        w = windowedWidth_;
        h = windowedHeight_;
    }
    Resize(w, h);
}

void HeadlessBackend::SetScreenWindowDecorated(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    decorated_ = on;
}

bool HeadlessBackend::ScreenWindowDecorated() {
    std::lock_guard<std::mutex> lock(mutex_);
    return decorated_;
}

}  // namespace zv::ui
