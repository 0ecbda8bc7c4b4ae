// uidemo: a frame with two child windows, a Dib with text and a colour-keyed sprite, and a
// timer-driven animation.
//
//   uidemo                                   opens an SDL2 window
//   uidemo --headless --screenshot out.png   draws a few frames in memory and writes the screen
//   --frames N                               stop after N animation frames (either backend)

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "apps/uidemo/DemoDialog.h"
#include "framework/Dib.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/HeadlessBackend.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SdlBackend.h"
#include "platform/ui/Window.h"

using namespace zv::ui;

namespace {

constexpr int kPictureId = 101;
constexpr int kAnimationId = 102;
constexpr uintptr_t kFrameTimer = 1;
constexpr uint32_t kFrameMs = 50;

// Everything the demo's windows share; one per run, reached through the frame's user data.
struct Demo {
    std::unique_ptr<zv::fw::Dib> picture;
    std::unique_ptr<zv::fw::Dib> sprite;
    int frame = 0;
    int stopAfter = -1;
};

Demo* DemoOf(Hwnd h) {
    Hwnd frame = GetAncestor(h, GA_ROOT);
    return reinterpret_cast<Demo*>(GetWindowLongPtr(frame, GWL_USERDATA));
}

// A palette with a grey ramp and a few strong colours.
std::vector<RgbQuad> MakePalette() {
    std::vector<RgbQuad> p(256);
    for (int i = 0; i < 256; ++i) {
        p[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0};
    }
    p[1] = {0, 0, 200, 0};    // red
    p[2] = {0, 160, 0, 0};    // green
    p[3] = {200, 60, 0, 0};   // blue
    p[4] = {0, 220, 255, 0};  // yellow
    return p;
}

void BuildPictures(Demo& demo) {
    const std::vector<RgbQuad> pal = MakePalette();
    demo.picture = zv::fw::Dib::CreateBlank(280, 180, pal.data());
    demo.sprite = zv::fw::Dib::CreateBlank(32, 32, pal.data());

    Canvas pic(demo.picture->GetBitmapHandle());
    pic.FillSolid({0, 0, 280, 180}, Rgb(40, 40, 40));
    for (int x = 0; x < 280; x += 20) pic.FillSolid({x, 0, x + 10, 180}, Rgb(60, 60, 60));
    pic.SelectFont(
        Font(FontSpec{-16, FW_BOLD, false, false, FIXED_PITCH | FF_MODERN, "ＭＳ ゴシック"}));
    pic.SetBkMode(TRANSPARENT);
    pic.SetTextColor(PaletteIndex(4));  // the palette's yellow
    pic.TextOut(12, 10, "Dib の文字と部品", TextEncoding::Utf8);
    pic.SetTextColor(Rgb(255, 255, 255));
    pic.TextOut(12, 34, "8-bit, palette 256", TextEncoding::Utf8);

    // The sprite: index 0 is its transparent key.
    Canvas spr(demo.sprite->GetBitmapHandle());
    spr.FillSolid({0, 0, 32, 32}, PaletteIndex(0));
    spr.SelectPen(Pen{PS_SOLID, 1, PaletteIndex(255)});
    spr.SelectBrush(Brush::SolidColor(PaletteIndex(1)));
    spr.Ellipse(2, 2, 30, 30);
    spr.SelectBrush(Brush::SolidColor(PaletteIndex(4)));
    spr.Rectangle(12, 12, 20, 20);
    for (int i = 0; i < 5; ++i) {
        zv::fw::HvDIBitBlt(demo.picture.get(), 20 + i * 50, 90 + (i % 2) * 30, 32, 32,
                           demo.sprite.get(), 0, 0, 0);
    }
}

LResult PictureProc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    if (msg == WM_PAINT) {
        PaintStruct ps;
        Canvas* dc = BeginPaint(h, &ps);
        Demo* demo = DemoOf(h);
        if (dc && demo && demo->picture) {
            Canvas src(demo->picture->GetBitmapHandle());
            dc->BitBlt(0, 0, demo->picture->GetWidth(), demo->picture->GetHeight(), src, 0, 0,
                       SRCCOPY);
        }
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProc(h, msg, w, l);
}

LResult AnimationProc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    switch (msg) {
        case WM_CREATE:
            SetTimer(h, kFrameTimer, kFrameMs);
            return 0;
        case WM_TIMER: {
            Demo* demo = DemoOf(h);
            if (!demo) return 0;
            ++demo->frame;
            InvalidateRect(h, nullptr, true);
            if (demo->stopAfter >= 0 && demo->frame >= demo->stopAfter) {
                PostMessage(GetAncestor(h, GA_ROOT), WM_CLOSE, 0, 0);
            }
            return 0;
        }
        case WM_PAINT: {
            PaintStruct ps;
            Canvas* dc = BeginPaint(h, &ps);
            Demo* demo = DemoOf(h);
            Rect rc;
            GetClientRect(h, &rc);
            if (dc && demo && rc.Width() > 40) {
                const int span = rc.Width() - 40;
                const int step = (demo->frame * 6) % (2 * span);
                const int x = step < span ? step : 2 * span - step;
                dc->SelectPen(StockPen(BLACK_PEN));
                dc->SelectBrush(Brush::SolidColor(Rgb(220, 40, 40)));
                dc->Ellipse(x, rc.Height() / 2 - 20, x + 40, rc.Height() / 2 + 20);
                dc->SetBkMode(TRANSPARENT);
                dc->SetTextColor(Rgb(0, 0, 0));
                const std::string text = "frame " + std::to_string(demo->frame);
                dc->TextOut(8, 8, text, TextEncoding::Utf8);
            }
            EndPaint(h, &ps);
            return 0;
        }
        default:
            return DefWindowProc(h, msg, w, l);
    }
}

LResult FrameProc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    switch (msg) {
        case WM_CREATE: {
            const auto* cs = reinterpret_cast<const CreateStruct*>(l);
            SetWindowLongPtr(h, GWL_USERDATA, reinterpret_cast<intptr_t>(cs->createParams));
            CreateWindowEx(WS_EX_CLIENTEDGE, "DemoPicture", "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                           h, kPictureId, nullptr, nullptr);
            CreateWindowEx(0, "DemoAnimation", zv::core::Utf8ToSjis("動き"),
                           WS_CHILD | WS_VISIBLE | WS_CAPTION, 0, 0, 0, 0, h, kAnimationId, nullptr,
                           nullptr);
            return 0;
        }
        case WM_SIZE: {
            const int cw = LoWord(static_cast<uintptr_t>(l));
            const int ch = HiWord(static_cast<uintptr_t>(l));
            MoveWindow(GetDlgItem(h, kPictureId), 16, 16, 284, 184, true);
            MoveWindow(GetDlgItem(h, kAnimationId), 316, 16, std::max(60, cw - 332),
                       std::max(60, ch - 32), true);
            return 0;
        }
        case WM_KEYDOWN:
            if (w == VK_F2) DialogBoxParam(nullptr, uidemo::kDemoDialog, h, uidemo::DemoDialogProc);
            if (w == VK_F4) uidemo::ShowDemoFileDialog(h);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProc(h, msg, w, l);
    }
}

bool RegisterDemoClasses() {
    WindowClass frame;
    frame.name = "DemoFrame";
    frame.proc = FrameProc;
    frame.style = CS_HREDRAW | CS_VREDRAW;
    frame.hasBackground = true;
    frame.background = Rgb(128, 128, 128);
    frame.cursor = LoadCursor(nullptr, IDC_ARROW);
    WindowClass picture;
    picture.name = "DemoPicture";
    picture.proc = PictureProc;
    picture.hasBackground = true;
    picture.background = Rgb(0, 0, 0);
    WindowClass anim;
    anim.name = "DemoAnimation";
    anim.proc = AnimationProc;
    anim.hasBackground = true;
    anim.background = Rgb(255, 255, 255);
    return RegisterClass(frame) && RegisterClass(picture) && RegisterClass(anim);
}

void Usage() {
    std::fprintf(stderr,
                 "usage: uidemo [--headless] [--screenshot FILE.png] [--frames N] [--dialog]\n");
}

}  // namespace

int main(int argc, char** argv) {
    bool headless = false;
    std::string shot;
    int frames = -1;
    bool withDialog = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) {
            headless = true;
        } else if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            shot = argv[++i];
        } else if (std::strcmp(argv[i], "--dialog") == 0) {
            withDialog = true;
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
        } else {
            Usage();
            return 2;
        }
    }
    if (!shot.empty() && !headless) {
        std::fprintf(stderr, "uidemo: --screenshot needs --headless\n");
        return 2;
    }
    if (headless && frames < 0) frames = 5;

    std::unique_ptr<Backend> backend;
    HeadlessBackend* memory = nullptr;
    if (headless) {
        auto h = std::make_unique<HeadlessBackend>(800, 600);
        memory = h.get();
        backend = std::move(h);
    } else {
        std::string error;
        backend = SdlBackend::Create("uidemo", 800, 600, &error);
        if (!backend) {
            std::fprintf(stderr, "uidemo: %s\n", error.c_str());
            return 1;
        }
    }
    WindowManager wm(std::move(backend));
    if (!RegisterDemoClasses()) {
        std::fprintf(stderr, "uidemo: cannot register the window classes\n");
        return 1;
    }
    Demo demo;
    demo.stopAfter = headless ? -1 : frames;
    BuildPictures(demo);
    const Hwnd frame =
        CreateWindowEx(0, "DemoFrame", zv::core::Utf8ToSjis("UI デモ"),
                       WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_MAXIMIZE | WS_VISIBLE,
                       CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, {}, 0, nullptr, &demo);
    if (!frame) {
        std::fprintf(stderr, "uidemo: cannot create the frame window\n");
        return 1;
    }
    uidemo::RegisterDemoDialog();
    // The dialog with every control, modeless beside the frame (F2 opens it modally too).
    Hwnd dialog{};
    if (withDialog) {
        dialog = CreateDialogParam(nullptr, uidemo::kDemoDialog, frame, uidemo::DemoDialogProc);
        if (!dialog) {
            std::fprintf(stderr, "uidemo: cannot build the demo dialog\n");
            return 1;
        }
        ShowWindow(dialog, SW_SHOW);
    }
    if (memory) {
        // Timers run at once on the memory screen's clock, without real waiting.
        memory->SetAutoAdvance(true);
        wm.RunModalLoop([&] { return demo.frame < frames; });
        wm.Flush();
        if (!shot.empty()) {
            std::string error;
            if (!memory->WriteScreenshot(shot, &error)) {
                std::fprintf(stderr, "uidemo: %s\n", error.c_str());
                return 1;
            }
            std::printf("uidemo: %d frames, screen written to %s\n", demo.frame, shot.c_str());
        }
        DestroyWindow(frame);
    }
    Msg m;
    while (GetMessage(&m, {}, 0, 0)) {
        if (IsWindow(dialog) && IsDialogMessage(dialog, &m)) continue;
        TranslateMessage(m);
        DispatchMessage(m);
    }
    return static_cast<int>(m.wParam);
}
