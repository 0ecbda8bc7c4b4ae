// The unit-kind list (kind UnitKindListWnd) and the terrain list (kind LandListWnd): owner-drawn
// report lists with a picture and a name per row, filled once when they are made.

#include <cstring>
#include <memory>
#include <string>

#include "framework/Dib.h"
#include "framework/gui/ListViewRows.h"
#include "framework/gui/TextFields.h"
#include "panels/InfoWindows.h"
#include "panels/PanelCommon.h"
#include "panels/PanelWorld.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/controls/ImageList.h"
#include "rules/records/RuleCursors.h"
#include "shell/Palettes.h"
#include "shell/WindowRegistry.h"

namespace zv::panels {

namespace {

using K = shell::WindowKind;

constexpr uint32_t kListStyle = 0x5081840D;

struct ListWindowKind {
    const char* className;
    const char* title;
    K kind;
    int listId;
    int closeCommand;
    int drawTextSize;
    int x, y, w, h;
};

const ListWindowKind kLists[2] = {
    {"UnitKindWindow", "兵器種類表", K::UnitKindListWnd, IDC_UNIT_KIND_LIST, IDM_UNIT_KIND_LIST,
     10, 20, 20, 204, 210},
    {"LandListWindow", "地形一覧", K::LandListWnd, IDC_LAND_LIST, IDM_LAND_LIST, 12, 40, 40,
     152, 210},
};

struct ListState {
    ui::ImageList* images = nullptr;
    std::unique_ptr<fw::Dib> strip;  // the terrain list keeps its strip until it goes
};

void AddColumn(ui::Hwnd list, int index, const char* utf8, int width, int fmt) {
    std::string text = core::Utf8ToSjis(utf8);
    ui::LvColumn col;
    col.mask = ui::LVCF_FMT | ui::LVCF_TEXT | ui::LVCF_WIDTH | ui::LVCF_SUBITEM;
    col.fmt = fmt;
    col.cx = width;
    col.pszText = text.data();
    col.iSubItem = index;
    ui::SendMessage(list, ui::LVM_INSERTCOLUMNA, ui::WParam(index), reinterpret_cast<ui::LParam>(&col));
}

void AddRow(ui::Hwnd list, int picture, const char* sjisName) {
    const int n = int(ui::SendMessage(list, ui::LVM_GETITEMCOUNT, 0, 0));
    ui::LvItem item;
    item.mask = ui::LVIF_IMAGE;
    item.iItem = n;
    item.iImage = picture;
    const int row = int(ui::SendMessage(list, ui::LVM_INSERTITEMA, 0, reinterpret_cast<ui::LParam>(&item)));
    std::string name = sjisName;
    ui::LvItem sub;
    sub.mask = ui::LVIF_TEXT;
    sub.iItem = row;
    sub.iSubItem = 1;
    sub.pszText = name.data();
    ui::SendMessage(list, ui::LVM_SETITEMA, 0, reinterpret_cast<ui::LParam>(&sub));
}

void SetImages(ui::Hwnd list, ui::ImageList* images) {
    ui::SendMessage(list, ui::LVM_SETIMAGELIST, ui::LVSIL_NORMAL, reinterpret_cast<ui::LParam>(images));
    ui::SendMessage(list, ui::LVM_SETIMAGELIST, ui::LVSIL_SMALL, reinterpret_cast<ui::LParam>(images));
}

// One picture per `cell` pixels of the Dib's width; index 0 of the palette is transparent.
ui::ImageList* ImagesFrom(fw::Dib* dib, int cell, uint32_t flags) {
    if (dib == nullptr || !dib->HasBits()) return nullptr;
    ui::ImageList* images = ui::ImageList_Create(cell, cell, flags | ui::ILC_MASK, dib->GetWidth() / cell, 0);
    if (images == nullptr) return nullptr;
    const ui::IndexedSurface surface = dib->GetBitmapHandle();
    ui::ImageList_AddMasked(images, &surface, dib->GetPixelColor(0, 0) & 0xFFFFFF);
    return images;
}

// The unit kinds' pictures: the neutral row of the category sheet, 16 pixels a picture.
void BuildUnitKindImages(ui::Hwnd list, ListState& state) {
    fw::Dib sheet("category.bmp");
    if (!sheet.HasBits()) return;
    auto strip = fw::Dib::CreateBlank(sheet.GetWidth(), 16, shell::GetPaletteTableC());
    fw::HvDIBitBlt(strip.get(), 0, 0, sheet.GetWidth(), 16, &sheet, 0, 0, 0);
    state.images = ImagesFrom(strip.get(), 16, ui::ILC_COLOR4);
    SetImages(list, state.images);
}

void FillUnitKindList(ui::Hwnd list) {
    ui::SendMessage(list, ui::WM_SETREDRAW, 0, 0);
    ui::SendMessage(list, ui::LVM_DELETEALLITEMS, 0, 0);
    if (rules::TableDirectory* tables = PanelTables()) {
        rules::UnitKindCursor kinds(*tables);
        for (int k = 0; k < 2000; ++k) {
            if (!kinds.Select(k) || kinds.GetKindType() == 0xFF) continue;
            char name[25] = {};
            std::strncpy(name, kinds.GetName(), 24);
            AddRow(list, kinds.GetGraphicIndex(), name);
        }
    }
    ui::SendMessage(list, ui::WM_SETREDRAW, 1, 0);
}

// The 29 terrain pictures: hexBig's top row, its site row, then the road and the river over a
// plain hex.
void BuildLandImageList(ui::Hwnd list, ListState& state) {
    fw::Dib hex("hexBig.bmp");
    fw::Dib line("lineBig.bmp");
    if (!hex.HasBits()) return;
    const int w = hex.GetWidth();
    auto strip = fw::Dib::CreateBlank(928, 32, shell::GetPaletteTableC());
    // White under everything (the static colour at the top of the game's palettes).
    std::memset(strip->GetBits(), 255, size_t(strip->GetRowBytes()) * 32);
    fw::HvDIBitBlt(strip.get(), 0, 0, w, 32, &hex, 0, 0, 0);
    fw::HvDIBitBlt(strip.get(), w, 0, 256, 32, &hex, 0, 96, 0);
    fw::HvDIBitBlt(strip.get(), w + 256, 0, 32, 32, &hex, 0, 0, 0);
    fw::HvDIBitBlt(strip.get(), w + 256, 0, 32, 32, &line, 576, 64, 0);
    fw::HvDIBitBlt(strip.get(), w + 288, 0, 32, 32, &hex, 0, 0, 0);
    fw::HvDIBitBlt(strip.get(), w + 288, 0, 32, 32, &line, 576, 96, 0);
    state.images = ImagesFrom(strip.get(), 32, ui::ILC_COLOR8);
    state.strip = std::move(strip);
    SetImages(list, state.images);
}

void FillLandList(ui::Hwnd list) {
    ui::SendMessage(list, ui::WM_SETREDRAW, 0, 0);
    ui::SendMessage(list, ui::LVM_DELETEALLITEMS, 0, 0);
    if (rules::TableDirectory* tables = PanelTables()) {
        rules::LandKindCursor land(*tables);
        const std::string road = core::Utf8ToSjis("道路");
        const std::string river = core::Utf8ToSjis("川");
        for (int k = 0; k <= 28; ++k) {
            if (!land.Select(k)) continue;
            char name[25] = {};
            std::strncpy(name, land.GetName(), 24);
            const std::string bare = fw::StripSpaces(name);
            // The road and the river are pictured by their names, whatever graphic they carry.
            const int picture = bare == road ? 27 : bare == river ? 28 : land.GetGraphicNumber();
            AddRow(list, picture, name);
        }
    }
    ui::SendMessage(list, ui::WM_SETREDRAW, 1, 0);
}

// A list window of kind N: its pictures.
template <int N>
class ListWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        const ui::Hwnd h = Handle();
        const ListWindowKind& k = kLists[N];
        const ui::Hwnd list = ui::GetDlgItem(h, k.listId);
        switch (msg) {
            case ui::WM_CREATE: {
                const ui::Hwnd made =
                    ui::CreateWindowEx(0, ui::kListViewClass, "", kListStyle, 0, 0, 640, 480, h,
                                       k.listId, nullptr, nullptr);
                if (N == 0) {
                    ui::Rect r{};
                    ui::GetClientRect(h, &r);
                    const int unit = r.right / 50 * 3;
                    AddColumn(made, 0, "ﾏｰｸ", unit, ui::LVCFMT_CENTER);
                    AddColumn(made, 1, "名  称", unit * 4, ui::LVCFMT_CENTER);
                    BuildUnitKindImages(made, state_);
                    FillUnitKindList(made);
                } else {
                    AddColumn(made, 0, "地形", 40, ui::LVCFMT_CENTER);
                    AddColumn(made, 1, "名  称", 120, ui::LVCFMT_LEFT);
                    BuildLandImageList(made, state_);
                    FillLandList(made);
                }
                ui::MoveWindow(h, k.x, k.y, k.w, k.h, true);
                return 1;
            }
            case ui::WM_SIZE:
                ui::MoveWindow(list, 0, 0, int(ui::LoWord(uintptr_t(l))), int(ui::HiWord(uintptr_t(l))), true);
                break;
            case ui::WM_KILLFOCUS:
                if (ui::HwndFromParam(intptr_t(w)) != list) ui::InvalidateRect(list, nullptr, true);
                break;
            case ui::WM_DRAWITEM:
                fw::DrawOwnerDrawItem(h, k.listId, reinterpret_cast<const ui::DrawItemStruct*>(l),
                                      k.drawTextSize);
                return 1;
            case ui::WM_NOTIFY: {
                const auto* n = reinterpret_cast<const ui::NmHdr*>(l);
                if (n != nullptr && int(n->idFrom) == k.listId) {
                    if (n->code == ui::NM_KILLFOCUS) ui::SendMessage(h, ui::WM_KILLFOCUS, 0, 0);
                    if (n->code == ui::NM_RCLICK) ui::SendMessage(h, ui::WM_RBUTTONDOWN, 0, 0);
                    return 1;
                }
                break;
            }
            case ui::WM_CLOSE:
                SendCloseCommandToFrame(k.closeCommand);
                return 0;
            case ui::WM_DESTROY:
                if (state_.images) ui::ImageList_Destroy(state_.images);
                state_.images = nullptr;
                state_.strip.reset();
                shell::ForgetWindowOfKind(k.kind, h);
                break;
            default:
                break;
        }
        return ui::DefMDIChildProc(h, msg, w, l);
    }

  private:
    ListState state_;
};

template <int N>
ui::LResult ListProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<ListWindow<N>>(h, msg, w, l);
}

constexpr ui::WndProc kListProcs[2] = {ListProc<0>, ListProc<1>};

}  // namespace

bool RegisterInfoListClass(int which) {
    return RegisterLightGrayClass(kLists[which].className, kListProcs[which]);
}

ui::Hwnd CreateInfoListWindow(int which, ui::Hwnd mdiClient, bool show) {
    if (!RegisterInfoListClass(which)) return {};
    const ListWindowKind& k = kLists[which];
    const ui::Hwnd h = ui::CreateMDIWindow(k.className, core::Utf8ToSjis(k.title).c_str(),
                                           0x02CC0001, ui::MdiCreateStruct::CW_USEDEFAULT_MDI,
                                           ui::MdiCreateStruct::CW_USEDEFAULT_MDI,
                                           ui::MdiCreateStruct::CW_USEDEFAULT_MDI,
                                           ui::MdiCreateStruct::CW_USEDEFAULT_MDI, mdiClient,
                                           nullptr, 0);
    if (!h) return h;
    shell::SetWindowOfKind(k.kind, h);
    ui::ShowWindow(h, show ? ui::SW_SHOWNORMAL : ui::SW_HIDE);
    return h;
}

ui::Hwnd CreateUnitKindWindow(ui::Hwnd mdiClient, bool show) {
    return CreateInfoListWindow(0, mdiClient, show);
}
ui::Hwnd CreateLandListWindow(ui::Hwnd mdiClient, bool show) {
    return CreateInfoListWindow(1, mdiClient, show);
}

}  // namespace zv::panels
