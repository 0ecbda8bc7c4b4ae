// The skinned list box and combo box.

#include <algorithm>
#include <string>

#include "framework/gui/ControlCreators.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "shell/skin/SkinCommon.h"

namespace zv::shell::skin {

using namespace detail;

namespace {

constexpr ui::ColorRef kWhite = 0xFFFFFF;
constexpr ui::ColorRef kGreen = 0x00FF00;
constexpr ui::ColorRef kDarkGreen = 0x008000;
constexpr int kTextSize = 12;
constexpr int kGothic = 1;

ui::Hwnd gOpenDropList{};

// The item's text, or false when there is no such item.
bool ItemText(ui::Hwnd list, int index, std::string& out) {
    const ui::LResult len = ui::SendMessage(list, ui::LB_GETTEXTLEN, ui::WParam(index), 0);
    if (len == ui::LB_ERR || len < 0) return false;
    std::string buffer(size_t(len) + 1, '\0');
    const ui::LResult n = ui::SendMessage(list, ui::LB_GETTEXT, ui::WParam(index),
                                          reinterpret_cast<ui::LParam>(buffer.data()));
    if (n == ui::LB_ERR) return false;
    buffer.resize(size_t(std::max<ui::LResult>(0, n)));
    out = std::move(buffer);
    return true;
}

void MeasureRow(ui::MeasureItemStruct* m) {
    if (m) m->itemHeight = kSkinRowHeight;
}

void BlitToWindow(ui::Hwnd window, fw::Dib* picture) {
    if (ui::Canvas* dc = ui::GetDC(window)) {
        const ui::Canvas src = fw::CanvasOnDib(picture);
        dc->BitBlt(0, 0, picture->GetWidth(), picture->GetHeight(), src, 0, 0, ui::SRCCOPY);
        ui::ReleaseDC(window, dc);
    }
}

// ---- list box ---------------------------------------------------------------------------------

void PaintSkinListBox(ui::Hwnd control, const SkinListState& s, ui::Hwnd list) {
    const ui::Size size = ClientSize(list);
    auto temp = MakeSurface(list, size.cx, size.cy);
    // The inner list sits 16 pixels down in the control.
    ui::Point at{0, 0};
    ui::MapWindowPoints(list, control, &at, 1);
    fw::HvDIBitBltOpaque(temp.get(), 0, 0, size.cx, size.cy, s.background.get(), at.x, at.y);
    fw::Dib sheet(kButtonSheet);
    const int rows = size.cy / kSkinRowHeight;
    const int top = int(ui::SendMessage(list, ui::LB_GETTOPINDEX, 0, 0));
    int y = 1;
    std::string text;
    for (int r = top; r < top + rows; ++r) {
        if (!ItemText(list, r, text)) continue;
        ui::ColorRef color = kWhite;
        if (ui::SendMessage(list, ui::LB_GETSEL, ui::WParam(r), 0) > 0) {
            if (size.cx < 100) {
                fw::HvDIBitBltOpaque(temp.get(), 1, y, 92, kSkinRowHeight, &sheet, 52, kHighlightY);
            } else {
                fw::HvDIBitBltOpaque(temp.get(), 1, y, 104, kSkinRowHeight, &sheet, 256,
                                     kHighlightY);
            }
            color = kGreen;
        }
        fw::DrawTextOnDib(list, temp.get(), 2, y + 2, text.c_str(), kTextSize, kGothic, color);
        y += kSkinRowHeight;
    }
    BlitToWindow(list, temp.get());
}

// An owner-drawn list under a free caption; what it shows comes from its inner LISTBOX.
class SkinListBox : public SkinControl<SkinListState> {
  public:
    using SkinControl::SkinControl;

    ui::LResult Dispatch(uint32_t msg, ui::WParam wp, ui::LParam lp) {
        if (ui::LResult r = 0; AnswerCommon(msg, &r)) return r;
        const ui::Hwnd list = ui::GetDlgItem(Handle(), kIdInnerList);
        switch (msg) {
            case ui::WM_CREATE:
                OnCreate();
                return 0;
            case ui::WM_CTLCOLORLISTBOX:
                return NullBrushAnswer();
            case ui::WM_MEASUREITEM:
                MeasureRow(reinterpret_cast<ui::MeasureItemStruct*>(lp));
                return 1;
            case ui::WM_DRAWITEM:
                return OnDrawItem(reinterpret_cast<const ui::DrawItemStruct*>(lp), list);
            case ui::WM_COMMAND:
                Scroll(ui::LoWord(wp), list);
                return 0;
            case WM_SKIN_SET_BACKGROUND:
                CopyParentPicture(lp, s_.background.get());
                CopyParentPicture(lp, s_.work.get());
                ui::InvalidateRect(Handle(), nullptr, true);
                if (list) ui::InvalidateRect(list, nullptr, true);
                ui::UpdateWindow(Handle());
                return 0;
            case WM_SKIN_ENABLE:
                Enable(int(lp), list);
                return 0;
            case WM_SKIN_CLEAR:
                ui::SendMessage(list, ui::LB_RESETCONTENT, 0, 0);
                s_.count = 0;
                return 0;
            case WM_SKIN_ADD_ITEM:
                ui::SendMessage(list, ui::LB_ADDSTRING, 0, lp);
                ui::SendMessage(list, ui::LB_SETITEMHEIGHT, wp, kSkinRowHeight);
                ++s_.count;
                return 0;
            case WM_SKIN_SET_CURSEL:
                return ui::SendMessage(list, ui::LB_SETCURSEL, wp, 0);
            case WM_SKIN_GET_CURSEL:
                return ui::SendMessage(list, ui::LB_GETCURSEL, 0, 0);
            case WM_SKIN_SET_TOP:
                return ui::SendMessage(list, ui::LB_SETTOPINDEX, wp, 0);
            case WM_SKIN_GET_TOP:
                return ui::SendMessage(list, ui::LB_GETTOPINDEX, 0, 0);
            default:
                return Default(msg, wp, lp);
        }
    }

  private:
    void OnCreate() {
        MakeSurfaces(true);
        const ui::Size size = ClientSize(Handle());
        fw::CreateOwnerDrawListBoxCtl(Handle(), kIdInnerList, 0, 16, size.cx,
                                      std::max(1, size.cy - 17));
    }
    ui::LResult OnDrawItem(const ui::DrawItemStruct* item, ui::Hwnd list) {
        if (item == nullptr) return 1;
        if (item->ctlType == ui::ODT_BUTTON)
            return DrawChildButton(Handle(), item, true, s_.work.get());
        if (item->ctlType != ui::ODT_LISTBOX) return 1;
        PaintSkinListBox(Handle(), s_, list);
        const int sel = int(ui::SendMessage(list, ui::LB_GETCURSEL, 0, 0));
        if (sel != s_.lastReported) {
            s_.lastReported = sel;
            ui::SendMessage(Parent(), WM_SKIN_LIST_SELECTED, ui::WParam(sel),
                            ui::LParam(ControlId(Handle())));
        }
        return 1;
    }
    static void Scroll(int id, ui::Hwnd list) {
        int top = int(ui::SendMessage(list, ui::LB_GETTOPINDEX, 0, 0));
        if (id == kIdScrollUp) --top;
        if (id == kIdScrollDown) ++top;
        ui::SendMessage(list, ui::LB_SETTOPINDEX, ui::WParam(std::max(0, top)), 0);
    }
    void Enable(int on, ui::Hwnd list) {
        s_.enabled = on;
        if (!list) return;
        uint32_t style = uint32_t(ui::GetWindowLong(list, ui::GWL_STYLE));
        style = on == 1 ? style & ~ui::WS_DISABLED : style | ui::WS_DISABLED;
        ui::SetWindowLong(list, ui::GWL_STYLE, int32_t(style));
    }
};

}  // namespace

ui::LResult SkinListBoxProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    return SkinControlProc<SkinListBox>(window, msg, wp, lp);
}

// ---- combo box --------------------------------------------------------------------------------

namespace {

void PaintComboDropList(ui::Hwnd list) {
    const ui::Size size = ClientSize(list);
    auto temp = MakeSurface(list, size.cx, size.cy);
    fw::Dib sheet(kButtonSheet);
    fw::HvDIBitBltOpaque(temp.get(), 0, 0, size.cx, size.cy, &sheet, 0, 240);
    const int rows = size.cy / kSkinRowHeight;
    const int top = int(ui::SendMessage(list, ui::LB_GETTOPINDEX, 0, 0));
    const int sel = int(ui::SendMessage(list, ui::LB_GETCURSEL, 0, 0));
    int y = 3;
    std::string text;
    for (int r = top; r < top + rows; ++r) {
        if (!ItemText(list, r, text)) continue;
        ui::ColorRef color = kWhite;
        if (r == sel) {
            fw::HvDIBitBltOpaque(temp.get(), 1, y - 1, 51, kSkinRowHeight, &sheet, 1, kHighlightY);
            color = kGreen;
        }
        fw::DrawTextOnDib(list, temp.get(), 2, y, text.c_str(), kTextSize, kGothic, color);
        y += kSkinRowHeight;
    }
    BlitToWindow(list, temp.get());
}

// The drop-down list is a LISTBOX whose own procedure stands in front of its class's.
ui::LResult CallClass(ui::Hwnd list, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    ui::WindowClass listBox;
    if (ui::GetClassInfo("LISTBOX", &listBox) && listBox.proc != nullptr) {
        return ui::CallWindowProc(listBox.proc, list, msg, wp, lp);
    }
    return ui::DefWindowProc(list, msg, wp, lp);
}

// The row under a point of the list's client area: the top index plus the row.
int DropListRowAt(ui::Hwnd list, int y) {
    int height = int(ui::SendMessage(list, ui::LB_GETITEMHEIGHT, 0, 0));
    if (height <= 0) height = kSkinRowHeight;
    const int top = int(ui::SendMessage(list, ui::LB_GETTOPINDEX, 0, 0));
    return std::max(0, top) + y / height;
}

bool InsideClient(ui::Hwnd list, int x, int y, bool edgesIncluded) {
    const ui::Size s = ClientSize(list);
    return edgesIncluded ? x >= 0 && x <= s.cx && y >= 0 && y <= s.cy
                         : x > 0 && x < s.cx && y > 0 && y < s.cy;
}

}  // namespace

ui::Hwnd GetOpenComboDropList() {
    return ui::IsWindow(gOpenDropList) ? gOpenDropList : ui::Hwnd{};
}

ui::Hwnd CreateComboDropList(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    const uint32_t style = ui::WS_CHILD | ui::WS_VISIBLE | ui::LBS_OWNERDRAWFIXED |
                           ui::LBS_HASSTRINGS | ui::LBS_NOINTEGRALHEIGHT | ui::LBS_DISABLENOSCROLL;
    const ui::Hwnd list = ui::CreateWindowEx(0, "LISTBOX", "", style, x, y, width, height, parent,
                                             id, nullptr, nullptr);
    if (!list) return {};
    ui::SetWindowLongPtr(list, ui::GWLP_WNDPROC, reinterpret_cast<intptr_t>(&ComboDropListProc));
    ui::ShowWindow(list, ui::SW_HIDE);
    return list;
}

ui::LResult ComboDropListProc(ui::Hwnd list, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    switch (msg) {
        case ui::WM_SHOWWINDOW: {
            const ui::Hwnd combo = ui::GetParent(list);
            ui::Point origin{0, 0};
            ui::MapWindowPoints(combo, ui::GetParent(combo), &origin, 1);
            if (wp) {
                const ui::Hwnd other = GetOpenComboDropList();
                if (other && other != list) ui::ShowWindow(other, ui::SW_HIDE);
                ui::MoveWindow(combo, origin.x, origin.y, kComboWidth, kComboOpenHeight, true);
                ui::SetCapture(list);
                gOpenDropList = list;
            } else {
                ui::MoveWindow(combo, origin.x, origin.y, kComboWidth, kComboClosedHeight, true);
                if (ui::GetCapture() == list) ui::ReleaseCapture();
                if (gOpenDropList == list) gOpenDropList = {};
            }
            return CallClass(list, msg, wp, lp);
        }
        case ui::WM_ERASEBKGND:
            return 1;
        case ui::WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const ui::DrawItemStruct*>(lp);
            ui::DrawItemStruct copy{};
            if (item) {
                copy = *item;
                copy.itemAction &= ~ui::ODA_FOCUS;
            }
            PaintComboDropList(list);
            return CallClass(list, msg, wp, item ? reinterpret_cast<ui::LParam>(&copy) : lp);
        }
        case ui::WM_MOUSEMOVE: {
            const int x = UnsignedLow(lp);
            const int y = UnsignedHigh(lp);
            if (ui::IsWindowVisible(list) && InsideClient(list, x, y, true)) {
                ui::SendMessage(list, ui::LB_SETCURSEL, ui::WParam(DropListRowAt(list, y)), 0);
                PaintComboDropList(list);
            }
            return CallClass(list, msg, wp, lp);
        }
        case ui::WM_LBUTTONDOWN: {
            const int x = UnsignedLow(lp);
            const int y = UnsignedHigh(lp);
            if (InsideClient(list, x, y, false)) return 0;
            ui::ShowWindow(list, ui::SW_HIDE);
            return CallClass(list, msg, wp, lp);
        }
        case ui::WM_LBUTTONUP: {
            const int x = UnsignedLow(lp);
            const int y = UnsignedHigh(lp);
            if (!InsideClient(list, x, y, true)) return 0;
            const int count = int(ui::SendMessage(list, ui::LB_GETCOUNT, 0, 0));
            int index = DropListRowAt(list, y);
            if (index > count - 1) index = count - 1;
            ui::SendMessage(list, ui::LB_SETCURSEL, ui::WParam(index), 0);
            const ui::Hwnd combo = ui::GetParent(list);
            ui::SendMessage(combo, WM_SKIN_SELECT_ITEM, ui::WParam(index), 0);
            ui::ShowWindow(list, ui::SW_HIDE);
            return CallClass(list, msg, wp, lp);
        }
        case ui::WM_DESTROY:
            if (gOpenDropList == list) gOpenDropList = {};
            return CallClass(list, msg, wp, lp);
        default:
            return CallClass(list, msg, wp, lp);
    }
}

namespace {

// A face with the chosen item's text and a drop button; the drop-down list opens below it.
class SkinComboBox : public SkinControl<SkinComboState> {
  public:
    using SkinControl::SkinControl;

    ui::LResult Dispatch(uint32_t msg, ui::WParam wp, ui::LParam lp) {
        if (ui::LResult r = 0; AnswerCommon(msg, &r)) return r;
        const ui::Hwnd list = ui::GetDlgItem(Handle(), kIdComboList);
        switch (msg) {
            case ui::WM_CREATE:
                OnCreate();
                return 0;
            case ui::WM_CTLCOLORLISTBOX:
                return NullBrushAnswer();
            case ui::WM_MEASUREITEM:
                MeasureRow(reinterpret_cast<ui::MeasureItemStruct*>(lp));
                return 1;
            case ui::WM_DRAWITEM:
                return OnDrawItem(reinterpret_cast<const ui::DrawItemStruct*>(lp), wp, lp, list);
            case ui::WM_LBUTTONDOWN:
                if (!s_.enabled || !list) return 0;
                ui::ShowWindow(list, ui::IsWindowVisible(list) ? ui::SW_HIDE : ui::SW_SHOW);
                ui::SendMessage(list, ui::LB_SETCURSEL, ui::WParam(s_.selection), 0);
                return 0;
            case ui::WM_COMMAND:
                if (ui::LoWord(wp) == kIdComboDrop)
                    ui::SendMessage(Handle(), ui::WM_LBUTTONDOWN, 0, 0);
                return 0;
            case WM_SKIN_SET_BACKGROUND:
                CopyParentPicture(lp, s_.background.get());
                CopyParentPicture(lp, s_.work.get());
                return 0;
            case WM_SKIN_SHOW:
                ui::ShowWindow(Handle(), int(wp));
                if (list) ui::ShowWindow(list, ui::SW_HIDE);
                return 0;
            case WM_SKIN_ENABLE:
                s_.enabled = int(lp);
                PaintFace();
                ui::InvalidateRect(Handle(), nullptr, false);
                return 0;
            case WM_SKIN_REDRAW:
                InvalidateAndUpdate(Handle());
                if (ui::Hwnd b = ui::GetDlgItem(Handle(), kIdComboDrop)) InvalidateAndUpdate(b);
                return 0;
            case WM_SKIN_ADD_ITEM:
                if (!list) return 0;
                ui::SendMessage(list, ui::LB_ADDSTRING, 0, lp);
                ui::SendMessage(list, ui::LB_SETITEMHEIGHT, wp, kSkinRowHeight);
                return 0;
            case WM_SKIN_SELECT_ITEM:
                if (list) SelectItem(int(intptr_t(wp)), list);
                return 0;
            case WM_SKIN_SET_CURSEL:
                return list ? ui::SendMessage(list, ui::LB_SETCURSEL, wp, 0) : 0;
            case WM_SKIN_GET_CURSEL:
                return list ? ui::SendMessage(list, ui::LB_GETCURSEL, 0, 0) : -1;
            default:
                return Default(msg, wp, lp);
        }
    }

  private:
    void OnCreate() {
        MakeSurfaces(true);
        s_.enabled = 1;
        const ui::Size size = ClientSize(Handle());
        fw::CreateButtonCtl2(Handle(), kIdComboDrop, size.cx - 16, 0, 16, 16);
        CreateComboDropList(Handle(), kIdComboList, 0, 16, size.cx - 15, 60);
    }
    ui::LResult OnDrawItem(const ui::DrawItemStruct* item, ui::WParam wp, ui::LParam lp,
                           ui::Hwnd list) {
        if (item == nullptr) return 1;
        if (int(item->ctlId) == kIdComboDrop) {
            return DrawChildButton(Handle(), item, s_.enabled != 0, s_.work.get());
        }
        if (int(item->ctlId) == kIdComboList && list)
            ui::SendMessage(list, ui::WM_DRAWITEM, wp, lp);
        return 1;
    }
    void PaintFace() {
        fw::Dib* work = s_.work.get();
        const int w = work->GetWidth();
        const int h = work->GetHeight();
        fw::HvDIBitBltOpaque(work, 0, 0, w, h, s_.background.get(), 0, 0);
        const ui::Hwnd list = ui::GetDlgItem(Handle(), kIdComboList);
        std::string text;
        if (!list || !ItemText(list, s_.selection, text)) return;
        ui::ColorRef color = kWhite;
        if (!s_.enabled) {
            fw::FillRectColor(Handle(), work, 1, 1, w - 2, h - 2, kDarkGreen);
            color = kGreen;
        }
        fw::DrawTextOnDib(Handle(), work, 2, 3, text.c_str(), kTextSize, kGothic, color);
    }
    void SelectItem(int index, ui::Hwnd list) {
        const int count = int(ui::SendMessage(list, ui::LB_GETCOUNT, 0, 0));
        if (index < 0 || index >= count) index = 0;
        const ui::Hwnd window = Handle();
        ui::SendMessage(Parent(), WM_SKIN_COMBO_SELECTED, ui::WParam(index),
                        ui::LParam(ControlId(window)));
        // The parent may have destroyed the box on the choice, and this object with it.
        if (!StillControl(window, this)) return;
        s_.selection = index;
        PaintFace();
        ui::SendMessage(list, ui::LB_SETCURSEL, ui::WParam(index), 0);
    }
};

}  // namespace

ui::LResult SkinComboBoxProc(ui::Hwnd window, uint32_t msg, ui::WParam wp, ui::LParam lp) {
    return SkinControlProc<SkinComboBox>(window, msg, wp, lp);
}

int RegisterListBoxWindow(void* instance) {
    return RegisterSkinClass(kSkinListClass, SkinListBoxProc, instance);
}
int RegisterComboBoxWindow(void* instance) {
    return RegisterSkinClass(kSkinComboClass, SkinComboBoxProc, instance);
}

ui::Hwnd CreateSkinListBox(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return CreateSkinControl(kSkinListClass, "リストボックスコントロール", parent, id, x, y, width,
                             height);
}
ui::Hwnd CreateSkinComboBox(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    return CreateSkinControl(kSkinComboClass, "コンボボックスコントロール", parent, id, x, y,
                             width, height);
}

}  // namespace zv::shell::skin
