// The pack strip, the land-kind grid and the Back and Next image buttons.

#include "framework/gui/ControlCreators.h"
#include "framework/gui/WindowUtilities.h"
#include "shell/skin/SkinCommon.h"

namespace zv::shell::skin {

using namespace detail;

namespace {

constexpr int kPackWidth = 36;
constexpr int kPackHeight = 16;
constexpr int kPackSheetX = 164;

// Button i covers x 36i to 36i + 35 and y 0 to 16, edges included.
int HitTestPackButton(int x, int y) {
    if (y < 0 || y > kPackHeight) return -1;
    for (int i = 0; i < kPackButtonCount; ++i) {
        if (x >= kPackWidth * i && x <= kPackWidth * i + kPackWidth - 1) return i;
    }
    return -1;
}

void PaintPackButtons(PackButtonState* s) {
    fw::Dib sheet(kButtonSheet);
    const int unlocked = GetTroopInfoExtraFlag();
    for (int i = 0; i < kPackButtonCount; ++i) {
        int row = !s->enabled[i] ? 32 : s->pressed[i] ? 16 : 0;
        if (!unlocked && !s->pressed[i]) row = 32;
        fw::HvDIBitBlt(s->work.get(), kPackWidth * i, 0, kPackWidth, kPackHeight, &sheet,
                       kPackSheetX + kPackWidth * i, row, 0);
    }
}

// ---- pack strip -----------------------------------------------------------------------------

class PackButtonCtl : public SkinControl<PackButtonState> {
  public:
    using SkinControl::SkinControl;

    ui::LResult Dispatch(uint32_t msg, ui::WParam wp, ui::LParam lp) {
        if (ui::LResult r = 0; AnswerCommon(msg, &r)) return r;
        switch (msg) {
            case ui::WM_CREATE:
                MakeSurfaces(false);
                return 0;
            case WM_SKIN_SET_BACKGROUND:
                CopyParentPicture(lp, s_.work.get());
                return 0;
            case WM_SKIN_ENABLE:
                Enable(int(intptr_t(wp)), int(lp));
                return 0;
            case WM_SKIN_REDRAW:
                PaintPackButtons(&s_);
                InvalidateAndUpdate(Handle());
                return 0;
            case WM_SKIN_GET_SELECTION:
                return s_.selected;
            case WM_SKIN_SET_SELECTION:
                Select(int(intptr_t(wp)));
                return 0;
            case ui::WM_LBUTTONDOWN:
                return OnLButtonDown(SignedLow(lp), SignedHigh(lp));
            case ui::WM_MOUSEMOVE:
                OnMouseMove(SignedLow(lp), SignedHigh(lp));
                return 0;
            case ui::WM_LBUTTONUP:
                OnLButtonUp(SignedLow(lp), SignedHigh(lp));
                return 0;
            default:
                return Default(msg, wp, lp);
        }
    }

  private:
    void Redraw() { ui::SendMessage(Handle(), WM_SKIN_REDRAW, 0, 0); }
    void Enable(int which, int on) {
        for (int i = 0; i < kPackButtonCount; ++i) {
            if (which == -1 || which == i) s_.enabled[i] = on;
        }
    }
    void Select(int b) {
        s_.selected = b;
        for (int& p : s_.pressed) p = 0;
        if (b >= 0 && b < kPackButtonCount) s_.pressed[b] = 1;
    }
    ui::LResult OnLButtonDown(int x, int y) {
        if (GetTroopInfoExtraFlag() == 0) return 1;
        ui::SetCapture(Handle());
        const int hit = HitTestPackButton(x, y);
        if (hit < 0 || hit == s_.selected || !s_.enabled[hit]) return 0;
        s_.hot = hit;
        s_.pressed[hit] = 1;
        Redraw();
        return 0;
    }
    void OnMouseMove(int x, int y) {
        if (s_.hot == -1) return;
        s_.pressed[s_.hot] = HitTestPackButton(x, y) == s_.hot;
        Redraw();
    }
    void OnLButtonUp(int x, int y) {
        ui::ReleaseCapture();
        if (s_.hot != -1 && HitTestPackButton(x, y) == s_.hot) {
            if (s_.selected >= 0 && s_.selected < kPackButtonCount) s_.pressed[s_.selected] = 0;
            s_.selected = s_.hot;
            s_.pressed[s_.hot] = 1;
        }
        s_.hot = -1;
        Redraw();
        NotifyParent(WM_SKIN_PACK_CLICKED);
    }
};

// ---- land-kind grid -------------------------------------------------------------------------

class LandButtonCtl : public SkinControl<LandButtonState> {
  public:
    using SkinControl::SkinControl;

    ui::LResult Dispatch(uint32_t msg, ui::WParam wp, ui::LParam lp) {
        if (ui::LResult r = 0; AnswerCommon(msg, &r)) return r;
        switch (msg) {
            case ui::WM_CREATE:
                OnCreate();
                return 0;
            case WM_SKIN_SET_BACKGROUND:
                CopyParentPicture(lp, s_.work.get());
                return 0;
            case WM_SKIN_ENABLE:
                Enable(int(intptr_t(wp)), int(lp));
                return 0;
            case WM_SKIN_REDRAW:
                RedrawButtons();
                return 0;
            case WM_SKIN_GET_SELECTION:
                return s_.selected;
            case WM_SKIN_SET_SELECTION:
                s_.selected = int(intptr_t(wp));
                return 0;
            case ui::WM_DRAWITEM:
                return OnDrawItem(reinterpret_cast<const ui::DrawItemStruct*>(lp));
            case ui::WM_COMMAND:
                OnCommand(ui::LoWord(wp));
                return 0;
            default:
                return Default(msg, wp, lp);
        }
    }

  private:
    void OnCreate() {
        MakeSurfaces(false);
        ui::Rect client{};
        ui::GetClientRect(Handle(), &client);
        for (int k = 0; k < kLandButtonCount; ++k) {
            s_.enabled[k] = 1;
            fw::CreateButtonCtl2(Handle(), kIdFirstLandButton + k, client.left + (k % 4) * 16,
                                 client.top + (k / 4) * 16, 16, 16);
        }
    }
    void Enable(int which, int on) {
        for (int k = 0; k < kLandButtonCount; ++k) {
            if (which == -1 || which == k) s_.enabled[k] = on;
        }
    }
    void RedrawButtons() {
        for (int k = 0; k < kLandButtonCount; ++k) {
            if (ui::Hwnd b = ui::GetDlgItem(Handle(), kIdFirstLandButton + k))
                InvalidateAndUpdate(b);
        }
    }
    ui::LResult OnDrawItem(const ui::DrawItemStruct* item) {
        if (item == nullptr) return 1;
        ui::DrawItemStruct copy = *item;
        const int k = int(copy.ctlId) - kIdFirstLandButton;
        if (k == s_.selected) copy.itemState |= ui::ODS_SELECTED;
        if (k >= 0 && k < kLandButtonCount && !s_.enabled[k]) {
            copy.itemState &= ~ui::ODS_SELECTED;
            copy.itemState |= ui::ODS_DISABLED;
        }
        return DrawChildButton(Handle(), &copy, ui::IsWindowEnabled(Handle()), s_.work.get());
    }
    void OnCommand(int id) {
        const int k = id - kIdFirstLandButton;
        if (k < 0 || k >= kLandButtonCount || !s_.enabled[k]) return;
        if (k == s_.selected) return;
        s_.selected = k;
        NotifyParent(WM_SKIN_LAND_CHANGED);
        ui::SendMessage(Handle(), WM_SKIN_REDRAW, 0, 0);
    }
};

// ---- Back and Next --------------------------------------------------------------------------

bool InsideArrow(ui::LParam lp) {
    const int x = UnsignedLow(lp);
    const int y = UnsignedHigh(lp);
    return x >= 0 && x <= 20 && y >= 0 && y <= 20;
}

// A page button. The face is drawn over the parent's picture; a disabled button keeps its place
// on the page and shows the sheet's greyed look, so that paging never makes it vanish.
class ArrowButton : public SkinControl<ArrowButtonState> {
  public:
    ArrowButton(ui::Hwnd window, int faceX) : SkinControl(window), faceX_(faceX) {}

    ui::LResult Dispatch(uint32_t msg, ui::WParam wp, ui::LParam lp) {
        if (ui::LResult r = 0; AnswerCommon(msg, &r)) return r;
        switch (msg) {
            case ui::WM_CREATE:
                MakeSurfaces(true);
                Paint();
                return 0;
            case ui::WM_SHOWWINDOW:
                if (wp == 1) Repaint();
                return Default(msg, wp, lp);
            case WM_SKIN_SET_BACKGROUND:
                CopyParentPicture(lp, s_.background.get());
                return 0;
            case WM_SKIN_ENABLE:
                OnEnable(int(lp));
                return 0;
            case WM_SKIN_REDRAW:
                InvalidateAndUpdate(Handle());
                return 0;
            case ui::WM_LBUTTONDOWN:
                if (!s_.enabled) return 0;
                ui::SetCapture(Handle());
                s_.pressed = 1;
                s_.tracking = 1;
                Repaint();
                return 0;
            case ui::WM_MOUSEMOVE:
                OnMouseMove(InsideArrow(lp));
                return 0;
            case ui::WM_LBUTTONUP:
                OnLButtonUp(InsideArrow(lp));
                return 0;
            default:
                return Default(msg, wp, lp);
        }
    }

  protected:
    ~ArrowButton() = default;

  private:
    void Paint() {
        fw::Dib* work = s_.work.get();
        fw::HvDIBitBltOpaque(work, 0, 0, work->GetWidth(), work->GetHeight(), s_.background.get(),
                             0, 0);
        fw::Dib sheet(kButtonSheet);
        const int y = !s_.enabled  ? kArrowFaceDisabledY
                      : s_.pressed ? kArrowFacePressedY
                                   : kArrowFaceY;
        fw::HvDIBitBlt(work, 0, 0, kArrowFaceSize, kArrowFaceSize, &sheet, faceX_, y, 0);
    }
    void Repaint() {
        Paint();
        ui::SendMessage(Handle(), WM_SKIN_REDRAW, 0, 0);
    }
    void OnEnable(int on) {
        s_.enabled = on;
        if (!s_.enabled && s_.tracking) {
            // A press in progress ends without a click.
            s_.tracking = 0;
            s_.pressed = 0;
            if (ui::GetCapture() == Handle()) ui::ReleaseCapture();
        }
        Repaint();
    }
    void OnMouseMove(bool inside) {
        if (!s_.tracking) return;
        if (inside == (s_.pressed != 0)) return;
        s_.pressed = inside ? 1 : 0;
        Repaint();
    }
    void OnLButtonUp(bool inside) {
        const ui::Hwnd window = Handle();
        if (ui::GetCapture() == window) ui::ReleaseCapture();
        const bool click = s_.tracking && inside;
        s_.pressed = 0;
        s_.tracking = 0;
        if (click) NotifyParent(WM_SKIN_BUTTON_CLICKED);
        // The parent may have destroyed the button on the click, and this object with it.
        if (StillControl(window, this)) Repaint();
    }

    int faceX_;
};

class BackButton final : public ArrowButton {
  public:
    explicit BackButton(ui::Hwnd window) : ArrowButton(window, kBackFaceX) {}
};

class NextButton final : public ArrowButton {
  public:
    explicit NextButton(ui::Hwnd window) : ArrowButton(window, kNextFaceX) {}
};

}  // namespace

ui::LResult PackButtonCtlProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    return SkinControlProc<PackButtonCtl>(window, msg, wp, lp);
}

ui::LResult LandButtonCtlProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    return SkinControlProc<LandButtonCtl>(window, msg, wp, lp);
}

ui::LResult BackButtonProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    return SkinControlProc<BackButton>(window, msg, wp, lp);
}

ui::LResult NextButtonProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    return SkinControlProc<NextButton>(window, msg, wp, lp);
}

const ArrowButtonState* ArrowButtonStateOf(ui::Hwnd button) {
    if (const BackButton* back = SkinControlOf<BackButton>(button, kBackButtonClass))
        return &back->State();
    if (const NextButton* next = SkinControlOf<NextButton>(button, kNextButtonClass))
        return &next->State();
    return nullptr;
}

// ---- registration and creation --------------------------------------------------------------

int RegisterPackButtonCtlWindow(void* instance) {
    return RegisterSkinClass(kPackButtonClass, PackButtonCtlProc, instance);
}
int RegisterLandButtonCtlWindow(void* instance) {
    return RegisterSkinClass(kLandButtonClass, LandButtonCtlProc, instance);
}
int RegisterBackButtonWIndow(void* instance) {
    return RegisterSkinClass(kBackButtonClass, BackButtonProc, instance);
}
int RegisterNextButtonWIndow(void* instance) {
    return RegisterSkinClass(kNextButtonClass, NextButtonProc, instance);
}

ui::Hwnd CreatePackButtonCtl(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return CreateSkinControl(kPackButtonClass, "パックボタンコントロール", parent, id, x, y, width,
                             height);
}
ui::Hwnd CreateLandButtonCtl(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return CreateSkinControl(kLandButtonClass, "地形ボタンコントロール", parent, id, x, y, width,
                             height);
}
ui::Hwnd CreateBackButtonCtl(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return CreateSkinControl(kBackButtonClass, "戻るボタンコントロール", parent, id, x, y, width,
                             height);
}
ui::Hwnd CreateNextButtonCtl(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return CreateSkinControl(kNextButtonClass, "次へボタンコントロール", parent, id, x, y, width,
                             height);
}

}  // namespace zv::shell::skin
