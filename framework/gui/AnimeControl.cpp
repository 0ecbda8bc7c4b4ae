#include "framework/gui/AnimeControl.h"

#include <algorithm>

#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"

namespace zv::fw {

namespace {

constexpr int kBackgroundKey = 0xF5;  // background pixels of this index are not copied
constexpr int kFrameKey = 0;          // the strip's transparent index

int FrameWidth(const AnimeControlParams& p) {
    return p.frameCount ? p.stripWidth / p.frameCount : 0;
}

// A control's window: the block its creator owns arrives with WM_NCCREATE.
class AnimeControl : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    AnimeControlBlock* Block() const { return block_; }

    ui::LResult Dispatch(uint32_t msg, ui::WParam wp, ui::LParam lp) {
        switch (msg) {
            case ui::WM_NCCREATE:
                if (const auto* cs = reinterpret_cast<const ui::CreateStruct*>(lp)) {
                    block_ = static_cast<AnimeControlBlock*>(cs->createParams);
                }
                return Default(msg, wp, lp);
            case ui::WM_CREATE:
                return 0;
            case ui::WM_TIMER:
                OnTimer(wp);
                return 0;
            case ui::WM_PAINT:
                PaintWindowFromBitmap(Handle(), block_ ? block_->work.get() : nullptr);
                return 0;
            case ui::WM_LBUTTONDOWN:
                OnLButtonDown();
                return 0;
            case ui::WM_DESTROY:
                OnDestroy();
                return 0;
            default:
                return Default(msg, wp, lp);
        }
    }

  private:
    void OnTimer(ui::WParam id) {
        if (!block_ || id != ui::WParam(block_->params.controlId)) return;
        DrawAnimeFrame(Handle());
        ++block_->currentFrame;
        if (block_->currentFrame >= block_->params.frameCount) block_->currentFrame = 0;
    }
    void OnLButtonDown() {
        if (block_) {
            ui::SendMessage(block_->params.parent, ui::WM_COMMAND, ui::WParam(block_->params.controlId), 0);
        }
    }
    void OnDestroy() {
        if (block_ && block_->params.interval != 0) ui::KillTimer(Handle(), uintptr_t(block_->params.controlId));
    }

    AnimeControlBlock* block_ = nullptr;
};

AnimeControlBlock* BlockOf(ui::Hwnd window) {
    const AnimeControl* control = ui::WindowObjectOf<AnimeControl>(window, kAnimeControlClass);
    return control ? control->Block() : nullptr;
}

}  // namespace

int RegisterAnimeControlClass(AnimeControlOwner* owner) {
    ui::WindowClass existing;
    if (ui::GetClassInfo(kAnimeControlClass, &existing)) return 1;
    ui::WindowClass wc;
    wc.name = kAnimeControlClass;
    wc.style = ui::CS_HREDRAW | ui::CS_VREDRAW;
    wc.proc = ui::WindowObjectProc<AnimeControl>;
    wc.windowExtraBytes = 4;
    if (owner && owner->block) {
        wc.instance = const_cast<AppInstance*>(owner->block->params.instance);
    }
    return ui::RegisterClass(wc) ? 1 : 0;
}

ui::Hwnd CreateAnimeControl(AnimeControlOwner* owner, const AnimeControlParams& params) {
    if (!owner || !owner->block) return {};
    owner->window = {};
    if (!RegisterAnimeControlClass(owner)) return {};
    AnimeControlBlock* block = owner->block;
    block->params = params;
    block->params.fileName[sizeof block->params.fileName - 1] = '\0';
    block->currentFrame = 0;
    const ui::Hwnd window = ui::CreateWindowEx(
        0, kAnimeControlClass, "", ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_CLIPSIBLINGS, params.x,
        params.y, params.width, params.height, params.parent, params.controlId,
        const_cast<AppInstance*>(params.instance), block);
    if (!window) return {};
    owner->window = window;
    if (!InitAnimeControl(window)) return {};
    if (params.interval != 0) {
        ui::SetTimer(window, uintptr_t(params.controlId), params.interval);
    }
    return window;
}

int InitAnimeControl(ui::Hwnd window) {
    AnimeControlBlock* block = BlockOf(window);
    if (!block) return 0;
    const AnimeControlParams& p = block->params;
    block->strip = std::make_unique<Dib>(p.fileName);
    // The surfaces share the strip's colour table, so that frames copy index for index.
    const ui::RgbQuad* table = nullptr;
    if (block->strip->HasBits() && block->strip->GetColorCount() >= 256) {
        table = reinterpret_cast<const ui::RgbQuad*>(block->strip->GetBitmapInfo() + 40);
    }
    block->work = Dib::CreateBlank(window, p.width, p.height, table);
    block->background = Dib::CreateBlank(window, p.width, p.height, table);
    // What lies under the control: the parent's picture at the control's place.
    ui::Canvas* parentDc = ui::GetDC(p.parent);
    if (parentDc) {
        ui::Canvas bg = CanvasOnDib(block->background.get());
        bg.BitBlt(0, 0, p.width, p.height, *parentDc, p.x, p.y, ui::SRCCOPY);
        ui::ReleaseDC(p.parent, parentDc);
    }
    HvDIBitBltOpaque(block->work.get(), 0, 0, p.width, p.height, block->background.get(), 0, 0);
    return 1;
}

int DrawAnimeFrame(ui::Hwnd window) {
    AnimeControlBlock* block = BlockOf(window);
    if (!block || !block->work) return 0;
    const AnimeControlParams& p = block->params;
    HvDIBitBlt(block->work.get(), 0, 0, p.width, p.height, block->background.get(), 0, 0,
               kBackgroundKey);
    const int fw = FrameWidth(p);
    HvDIBitBlt(block->work.get(), p.frameX, p.frameY, fw, p.frameHeight, block->strip.get(),
               block->currentFrame * fw, p.stripY, kFrameKey);
    if (ui::Canvas* dc = ui::GetDC(window)) {
        dc->BitBlt(0, 0, p.width, p.height, CanvasOnDib(block->work.get()), 0, 0, ui::SRCCOPY);
        ui::ReleaseDC(window, dc);
    }
    return 1;
}

ui::LResult AnimeControlProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    return ui::WindowObjectProc<AnimeControl>(window, msg, wp, lp);
}

}  // namespace zv::fw
