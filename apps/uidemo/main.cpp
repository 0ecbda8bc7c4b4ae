// uidemo: an MDI frame with a menu bar and accelerators, holding two documents: a Dib with text
// and a colour-keyed sprite, and a timer-driven animation.
//
//   uidemo                                   opens an SDL2 window
//   uidemo --headless --screenshot out.png   draws a few frames in memory and writes the screen
//   --frames N                               stop after N animation frames (either backend)
//   --open-menu                              (headless) the screenshot shows the File menu open
//   --scale N                                (SDL) show the desktop N times enlarged (0: as
//                                            large as the window allows at 800 x 600 or more)
//   --size WxH                               (SDL) the window's size (default 800x600)

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
#include "platform/ui/Mdi.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SdlBackend.h"
#include "platform/ui/Window.h"

using namespace zv::ui;

namespace {

constexpr uintptr_t kFrameTimer = 1;
constexpr uintptr_t kShotTimer = 2;
constexpr uint32_t kFrameMs = 50;
constexpr int kDemoMenu = 1;
constexpr int kDemoAccelerators = 1;
constexpr int kClientId = 6000;
constexpr uint32_t kFirstDocumentId = 6100;
enum : int {
    kCmdNewWindow = 40001,
    kCmdSave,
    kCmdClose,
    kCmdExit,
    kCmdPause,
    kCmdDialog,
    kCmdCascade,
    kCmdTileVertical,
    kCmdTileHorizontal,
    kCmdArrangeIcons,
    kCmdAbout,
    kCmdOpen,
};

// Everything the demo's windows share; one per run, reached through the frame's user data.
struct Demo {
    std::unique_ptr<zv::fw::Dib> picture;
    std::unique_ptr<zv::fw::Dib> sprite;
    int frame = 0;
    int stopAfter = -1;
    bool paused = false;
    int animations = 0;
    Hwnd client{};
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
            dc->BitBlt(8, 8, demo->picture->GetWidth(), demo->picture->GetHeight(), src, 0, 0,
                       SRCCOPY);
        }
        EndPaint(h, &ps);
        return 0;
    }
    return DefMDIChildProc(h, msg, w, l);
}

LResult AnimationProc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    switch (msg) {
        case WM_CREATE:
            SetTimer(h, kFrameTimer, kFrameMs);
            return 0;
        case WM_TIMER: {
            Demo* demo = DemoOf(h);
            if (!demo || w != kFrameTimer) return 0;
            if (demo->paused) return 0;
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
            return DefMDIChildProc(h, msg, w, l);
    }
}

Hwnd NewAnimationWindow(Demo& demo) {
    ++demo.animations;
    const std::string title = demo.animations == 1
                                  ? zv::core::Utf8ToSjis("動き")
                                  : zv::core::Utf8ToSjis("動き ") + std::to_string(demo.animations);
    return CreateMDIWindow("DemoAnimation", title.c_str(), 0, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, demo.client, nullptr, 0);
}

LResult FrameProc(Hwnd h, uint32_t msg, WParam w, LParam l) {
    Demo* demo = reinterpret_cast<Demo*>(GetWindowLongPtr(h, GWL_USERDATA));
    switch (msg) {
        case WM_CREATE: {
            const auto* cs = reinterpret_cast<const CreateStruct*>(l);
            demo = static_cast<Demo*>(cs->createParams);
            SetWindowLongPtr(h, GWL_USERDATA, reinterpret_cast<intptr_t>(demo));
            // The window menu (the third) lists the documents.
            ClientCreateStruct ccs{GetSubMenu(GetMenu(h), 2), kFirstDocumentId};
            demo->client = CreateWindowEx(WS_EX_CLIENTEDGE, kMdiClientClass, "",
                                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, h,
                                          kClientId, nullptr, &ccs);
            if (!demo->client) return -1;
            CreateMDIWindow("DemoPicture", zv::core::Utf8ToSjis("画像").c_str(), 0, CW_USEDEFAULT,
                            CW_USEDEFAULT, 300, 220, demo->client, nullptr, 0);
            NewAnimationWindow(*demo);
            return 0;
        }
        case WM_COMMAND:
            if (!demo) break;
            switch (LoWord(w)) {
                case kCmdNewWindow:
                    NewAnimationWindow(*demo);
                    return 0;
                case kCmdOpen: {
                    const std::string path = uidemo::ShowDemoFileDialog(h);
                    if (!path.empty()) {
                        MessageBox(h, zv::core::Utf8ToSjis("選んだファイル:\n") + path,
                                   zv::core::Utf8ToSjis("開く"), MB_OK | MB_ICONINFORMATION);
                    }
                    return 0;
                }
                case kCmdClose: {
                    const Hwnd active = HwndFromParam(SendMessage(demo->client, WM_MDIGETACTIVE, 0, 0));
                    if (active) SendMessage(demo->client, WM_MDIDESTROY, HwndToParam(active), 0);
                    return 0;
                }
                case kCmdExit:
                    PostMessage(h, WM_CLOSE, 0, 0);
                    return 0;
                case kCmdPause:
                    demo->paused = !demo->paused;
                    CheckMenuItem(GetMenu(h), kCmdPause, demo->paused ? MF_CHECKED : MF_UNCHECKED);
                    return 0;
                case kCmdDialog:
                    DialogBoxParam(nullptr, uidemo::kDemoDialog, h, uidemo::DemoDialogProc);
                    return 0;
                case kCmdCascade:
                    SendMessage(demo->client, WM_MDICASCADE, 0, 0);
                    return 0;
                case kCmdTileVertical:
                    SendMessage(demo->client, WM_MDITILE, MDITILE_VERTICAL, 0);
                    return 0;
                case kCmdTileHorizontal:
                    SendMessage(demo->client, WM_MDITILE, MDITILE_HORIZONTAL, 0);
                    return 0;
                case kCmdArrangeIcons:
                    SendMessage(demo->client, WM_MDIICONARRANGE, 0, 0);
                    return 0;
                case kCmdAbout:
                    MessageBox(h, zv::core::Utf8ToSjis("窓の層の見本です。"),
                               zv::core::Utf8ToSjis("バージョン情報"), MB_OK | MB_ICONINFORMATION);
                    return 0;
                default:
                    break;
            }
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefFrameProc(h, demo ? demo->client : Hwnd{}, msg, w, l);
}

// The frame's menu and its accelerators (texts UTF-8 here, Shift-JIS in the menu).
void RegisterDemoMenus() {
    MenuRegistry::Global().Add(
        {kDemoMenu,
         {MenuPopup("ファイル(&F)",
                    {MenuCommand(kCmdNewWindow, "新しいウィンドウ(&N)\tCtrl+N"),
                     MenuCommand(kCmdOpen, "開く(&O)...\tCtrl+O"),
                     MenuCommand(kCmdSave, "保存(&S)\tCtrl+S", MF_GRAYED),
                     MenuCommand(kCmdClose, "閉じる(&C)\tCtrl+F4"), MenuSeparator(),
                     MenuCommand(kCmdExit, "終了(&X)")}),
          MenuPopup("表示(&V)", {MenuCommand(kCmdPause, "一時停止(&P)\tCtrl+P"),
                                 MenuCommand(kCmdDialog, "部品の見本(&D)...\tF2")}),
          MenuPopup("ウィンドウ(&W)",
                    {MenuCommand(kCmdCascade, "重ねて表示(&C)"),
                     MenuCommand(kCmdTileVertical, "並べて表示(&T)\tShift+F4"),
                     MenuCommand(kCmdTileHorizontal, "上下に並べて表示(&H)"),
                     MenuCommand(kCmdArrangeIcons, "アイコンの整列(&A)")}),
          MenuPopup("ヘルプ(&H)", {MenuCommand(kCmdAbout, "バージョン情報(&A)...")})}});
    AcceleratorRegistry::Global().Add({kDemoAccelerators,
                                       {{FVIRTKEY | FCONTROL, 'N', kCmdNewWindow},
                                        {FVIRTKEY | FCONTROL, 'O', kCmdOpen},
                                        {FVIRTKEY | FCONTROL, 'S', kCmdSave},
                                        {FVIRTKEY | FCONTROL, 'P', kCmdPause},
                                        {FVIRTKEY, VK_F2, kCmdDialog},
                                        {FVIRTKEY | FSHIFT, VK_F4, kCmdTileVertical}}});
}

bool RegisterDemoClasses() {
    WindowClass frame;
    frame.name = "DemoFrame";
    frame.proc = FrameProc;
    frame.style = CS_HREDRAW | CS_VREDRAW;
    frame.cursor = LoadCursor(nullptr, IDC_ARROW);
    frame.menuId = kDemoMenu;
    WindowClass picture;
    picture.name = "DemoPicture";
    picture.proc = PictureProc;
    picture.hasBackground = true;
    picture.background = Rgb(0, 0, 0);
    picture.style = CS_DBLCLKS;
    WindowClass anim;
    anim.name = "DemoAnimation";
    anim.proc = AnimationProc;
    anim.hasBackground = true;
    anim.background = Rgb(255, 255, 255);
    anim.style = CS_DBLCLKS;
    return RegisterClass(frame) && RegisterClass(picture) && RegisterClass(anim);
}

// For the screenshot with an open menu: the timer that takes it while the menu's loop runs.
struct MenuShot {
    HeadlessBackend* memory = nullptr;
    std::string path;
    bool written = false;
    std::string error;
};
MenuShot* gMenuShot = nullptr;

void TakeMenuShot(Hwnd h, uint32_t, uintptr_t id, uint32_t) {
    KillTimer(h, id);
    if (!gMenuShot) return;
    WindowManager::Current()->Flush();
    gMenuShot->written = gMenuShot->memory->WriteScreenshot(gMenuShot->path, &gMenuShot->error);
    gMenuShot->memory->KeyDown(VK_ESCAPE);
    gMenuShot->memory->KeyUp(VK_ESCAPE);
    gMenuShot->memory->KeyDown(VK_ESCAPE);
    gMenuShot->memory->KeyUp(VK_ESCAPE);
}

void Usage() {
    std::fprintf(stderr,
                 "usage: uidemo [--headless] [--screenshot FILE.png] [--frames N] [--dialog] "
                 "[--open-menu] [--scale N] [--size WxH]\n");
}

}  // namespace

int main(int argc, char** argv) {
    bool headless = false;
    std::string shot;
    int frames = -1;
    bool withDialog = false;
    bool openMenu = false;
    int scale = 0;
    int windowW = 800, windowH = 600;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) {
            headless = true;
        } else if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            shot = argv[++i];
        } else if (std::strcmp(argv[i], "--dialog") == 0) {
            withDialog = true;
        } else if (std::strcmp(argv[i], "--open-menu") == 0) {
            openMenu = true;
        } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &windowW, &windowH) != 2 || windowW < 1 ||
                windowH < 1) {
                Usage();
                return 2;
            }
        } else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
            scale = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
        } else {
            Usage();
            return 2;
        }
    }
    if (openMenu && shot.empty()) {
        std::fprintf(stderr, "uidemo: --open-menu needs --headless --screenshot\n");
        return 2;
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
        backend = SdlBackend::Create("uidemo", windowW, windowH, &error);
        if (!backend) {
            std::fprintf(stderr, "uidemo: %s\n", error.c_str());
            return 1;
        }
        backend->SetScreenScale(scale);
    }
    WindowManager wm(std::move(backend));
    RegisterDemoMenus();
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
    // The two documents side by side.
    SendMessage(demo.client, WM_MDITILE, MDITILE_VERTICAL, 0);
    if (memory) {
        // Timers run at once on the memory screen's clock, without real waiting.
        memory->SetAutoAdvance(true);
        wm.RunModalLoop([&] { return demo.frame < frames; });
        wm.Flush();
        if (openMenu) {
            // Alt+F opens the File menu; a timer takes the picture inside the menu's loop and
            // closes the menu again.
            MenuShot ms;
            ms.memory = memory;
            ms.path = shot;
            gMenuShot = &ms;
            SetTimer(frame, kShotTimer, 20, TakeMenuShot);
            memory->KeyDown(VK_MENU);
            memory->KeyDown('F');
            memory->KeyUp('F');
            memory->KeyUp(VK_MENU);
            wm.RunModalLoop([&] { return !ms.written && ms.error.empty(); });
            wm.PumpPending();
            gMenuShot = nullptr;
            if (!ms.written) {
                std::fprintf(stderr, "uidemo: %s\n", ms.error.c_str());
                return 1;
            }
            std::printf("uidemo: screen with the open menu written to %s\n", shot.c_str());
        } else if (!shot.empty()) {
            std::string error;
            if (!memory->WriteScreenshot(shot, &error)) {
                std::fprintf(stderr, "uidemo: %s\n", error.c_str());
                return 1;
            }
            std::printf("uidemo: %d frames, screen written to %s\n", demo.frame, shot.c_str());
        }
        DestroyWindow(frame);
    }
    const Haccel accelerators = LoadAccelerators(nullptr, kDemoAccelerators);
    Msg m;
    while (GetMessage(&m, {}, 0, 0)) {
        if (IsWindow(dialog) && IsDialogMessage(dialog, &m)) continue;
        if (TranslateMDISysAccel(demo.client, &m)) continue;
        if (IsWindow(frame) && TranslateAccelerator(frame, accelerators, &m)) continue;
        TranslateMessage(m);
        DispatchMessage(m);
    }
    DestroyAcceleratorTable(accelerators);
    return static_cast<int>(m.wParam);
}
