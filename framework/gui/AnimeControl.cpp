#include "framework/gui/AnimeControl.h"

#include <algorithm>

#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "platform/ui/Window.h"

namespace zv::fw {

namespace {

constexpr int kBackgroundKey = 0xF5;  // background pixels of this index are not copied
constexpr int kFrameKey = 0;          // the strip's transparent index

AnimeControlBlock* BlockOf(ui::Hwnd window) {
    return reinterpret_cast<AnimeControlBlock*>(ui::GetWindowLongPtr(window, ui::GWLP_USERDATA));
}

int FrameWidth(const AnimeControlParams& p) {
    return p.frameCount ? p.stripWidth / p.frameCount : 0;
}

}  // namespace

int RegisterAnimeControlClass(AnimeControlOwner* owner) {
    ui::WindowClass existing;
    if (ui::GetClassInfo(kAnimeControlClass, &existing)) return 1;
    ui::WindowClass wc;
    wc.name = kAnimeControlClass;
    wc.style = ui::CS_HREDRAW | ui::CS_VREDRAW;
    wc.proc = AnimeControlProc;
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
        const_cast<AppInstance*>(params.instance), nullptr);
    if (!window) return {};
    owner->window = window;
    ui::SetWindowLongPtr(window, ui::GWLP_USERDATA, reinterpret_cast<intptr_t>(block));
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
    AnimeControlBlock* block = BlockOf(window);
    switch (msg) {
        case ui::WM_CREATE:
            return 0;
        case ui::WM_TIMER:
            if (block && wp == ui::WParam(block->params.controlId)) {
                DrawAnimeFrame(window);
                ++block->currentFrame;
                if (block->currentFrame >= block->params.frameCount) block->currentFrame = 0;
            }
            return 0;
        case ui::WM_PAINT:
            PaintWindowFromBitmap(window, block ? block->work.get() : nullptr);
            return 0;
        case ui::WM_LBUTTONDOWN:
            if (block) {
                ui::SendMessage(block->params.parent, ui::WM_COMMAND,
                                ui::WParam(block->params.controlId), 0);
            }
            return 0;
        case ui::WM_DESTROY:
            if (block && block->params.interval != 0) {
                ui::KillTimer(window, uintptr_t(block->params.controlId));
            }
            return 0;
        default:
            return ui::DefWindowProc(window, msg, wp, lp);
    }
}

}  // namespace zv::fw
