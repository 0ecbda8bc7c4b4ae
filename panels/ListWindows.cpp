#include "panels/ListWindows.h"

#include <string>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "framework/gui/ControlCreators.h"
#include "framework/gui/ListViewRows.h"
#include "panels/HelperWindow.h"
#include "panels/ListRows.h"
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
#include "rules/context/RuleHelpers.h"
#include "rules/records/RuleCursors.h"
#include "rules/records/TroopCursor.h"
#include "shell/WindowRegistry.h"

namespace zv::panels {

namespace {

constexpr const char* kTroopListClass = "PartyListWindow";
constexpr const char* kWeaponListClass = "UnitListWindow";
constexpr int kDisplayColumn = 4;
constexpr int kUnitInfoLimit = 2000;
constexpr int kReservedUnitKind = 127;
constexpr uint32_t kListStyle = ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_CLIPSIBLINGS | ui::WS_BORDER |
                                ui::WS_TABSTOP | ui::LVS_REPORT | ui::LVS_SINGLESEL |
                                ui::LVS_SHOWSELALWAYS | ui::LVS_OWNERDRAWFIXED |
                                ui::LVS_NOSORTHEADER;

// The category icons in their neutral colours, one 16 x 16 image per picture index.
ui::ImageList* MakeWeaponIcons() {
    fw::Dib sheet("category.bmp");
    if (!sheet.HasBits()) return nullptr;
    const int width = sheet.GetWidth();
    const std::vector<ui::RgbQuad> colors = [&] {
        std::vector<ui::RgbQuad> c(256);
        sheet.GetColorEntries(0, 256, c.data());
        return c;
    }();
    fw::Dib strip(width, 16, colors.data());
    fw::HvDIBitBltOpaque(&strip, 0, 0, width, 16, &sheet, 0, 0);
    ui::ImageList* list = ui::ImageList_Create(16, 16, ui::ILC_COLOR8, width / 16, 0);
    const ui::IndexedSurface surface = strip.GetBitmapHandle();
    ui::ImageList_Add(list, &surface, nullptr);
    return list;
}

// ---- The troop list.

// The troop list's window: the shown country, the troop of each row and the row marks.
class TroopList : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    const std::vector<std::uint16_t>& Rows() const { return troops_.rows; }
    int Country() const { return troops_.country; }

  private:
    void FillTroopList(ui::Hwnd h) {
        const ui::Hwnd list = ui::GetDlgItem(h, IDC_TROOP_LIST);
        ui::SendMessage(list, ui::WM_SETREDRAW, 0, 0);
        ClearListRows(list);
        troops_.rows.clear();
        rules::TableDirectory* tables = PanelTables();
        if (tables != nullptr) {
            const std::uint8_t a = std::uint8_t(troops_.country);
            const std::uint8_t p = fw::GetPlayerCountry();
            const bool allied = rules::AreCountriesAllied(*tables, a, p) != 0;
            rules::TroopCursor troop(*tables);
            for (std::uint16_t i = 0; i < 160; ++i) {
                if (!troop.Select(i) || !troop.HasMembers() || troop.GetCountry() != a) continue;
                if (!allied && !(p < 4 && (troop.GetMask28() & (1u << (4 + p))))) continue;
                if (!troop.TestCountryMask(p)) continue;
                const std::uint16_t hex = troop.GetHexValue();
                AddListRow(list,
                           {Format("%03d", int(i) - 40 * a + 1), core::SjisToUtf8(troop.GetName()),
                            Format("(%2d,%2d)", hex & 0xFF, hex >> 8), troop.GetStatusText(0, p),
                            (troop.GetStateFlags() & kTroopDisplayFlag) ? "ON" : "OFF"},
                           TroopMarkImage(a, troop.GetIcon()));
                troops_.rows.push_back(i);
            }
        }
        ui::SendMessage(list, ui::WM_SETREDRAW, 1, 0);
        ui::InvalidateRect(list, nullptr, true);
    }

    void ToggleDisplay(ui::Hwnd list, int row) {
        rules::TableDirectory* tables = PanelTables();
        if (tables == nullptr) return;
        rules::TroopCursor troop(*tables);
        if (!troop.Select(troops_.rows[row])) return;
        const bool on = ListCellText(list, row, kDisplayColumn) == "OFF";
        SetListCellText(list, row, kDisplayColumn, on ? "ON" : "OFF");
        const std::uint16_t flags = troop.GetStateFlags();
        troop.SetStateFlags(on ? std::uint16_t(flags | kTroopDisplayFlag)
                               : std::uint16_t(flags & ~kTroopDisplayFlag));
        ui::InvalidateRect(list, nullptr, false);
    }

  public:
    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        const ui::Hwnd h = Handle();
        switch (msg) {
            case ui::WM_CREATE: {
                const ui::Hwnd list =
                    fw::CreateListViewCtl(h, IDC_TROOP_LIST, 0, 20, 640, 450, kListStyle);
                troops_.country = 0;
                AddListColumn(list, 0, "NO.", 40);
                AddListColumn(list, 1, "部隊名", 120);
                AddListColumn(list, 2, "座  標", 60);
                AddListColumn(list, 3, "状  態", 60);
                AddListColumn(list, 4, "表示", 40);
                if (troops_.marks != nullptr) ui::ImageList_Destroy(troops_.marks);
                troops_.marks = AttachTroopMarks(list);
                FillTroopList(h);
                ui::SetWindowPos(h, ui::Hwnd{}, 0, 0, 460, 300, ui::SWP_NOMOVE | ui::SWP_NOZORDER);
                break;
            }
            case ui::WM_SIZE: {
                ui::Rect r{};
                ui::GetClientRect(h, &r);
                const ui::Hwnd list = ui::GetDlgItem(h, IDC_TROOP_LIST);
                ui::MoveWindow(list, 0, 0, r.right, r.bottom, true);
                ui::ShowWindow(list, ui::SW_SHOW);
                ui::DefMDIChildProc(h, msg, w, l);
                return 1;
            }
            case ui::WM_SHOWWINDOW:
                if (w != 0) FillTroopList(h);
                break;
            case ui::WM_DRAWITEM:
                fw::DrawOwnerDrawItem(h, int(w), reinterpret_cast<const ui::DrawItemStruct*>(l),
                                      10);
                return 1;
            case ui::WM_NOTIFY: {
                const auto* hdr = reinterpret_cast<const ui::NmHdr*>(l);
                if (hdr == nullptr || hdr->idFrom != IDC_TROOP_LIST || hdr->code != ui::NM_DBLCLK)
                    break;
                const auto* item = reinterpret_cast<const ui::NmItemActivate*>(l);
                const int row = item->iItem;
                if (row < 0 || row >= int(troops_.rows.size())) return 1;
                if (item->iSubItem == kDisplayColumn) {
                    ToggleDisplay(hdr->hwndFrom, row);
                } else {
                    CurrentPanelHost().ShowTroopInfo(h, std::uint8_t(troops_.country),
                                                     troops_.rows[row], 0);
                    FillTroopList(h);
                }
                return 1;
            }
            case WM_REFRESH_TROOP_LIST:
                troops_.country = fw::GetPlayerCountry() < 4 ? fw::GetPlayerCountry() : 0;
                FillTroopList(h);
                return 1;
            case ui::WM_DESTROY:
                if (troops_.marks != nullptr) ui::ImageList_Destroy(troops_.marks);
                troops_.marks = nullptr;
                troops_.rows.clear();
                shell::ForgetWindowOfKind(shell::WindowKind::TroopListWnd, h);
                break;
            default:
                break;
        }
        return ui::DefMDIChildProc(h, msg, w, l);
    }

  private:
    struct {
        int country = 0;
        std::vector<std::uint16_t> rows;
        ui::ImageList* marks = nullptr;
    } troops_;
};

ui::LResult TroopListProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<TroopList>(h, msg, w, l);
}

// ---- The weapon list.

// The weapon list's window: the unit of each row and the category icons.
class WeaponList : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    const std::vector<std::uint16_t>& Rows() const { return weapons_; }

  private:
    void FillWeaponList(ui::Hwnd h) {
        const ui::Hwnd list = ui::GetDlgItem(h, IDC_WEAPON_LIST);
        ClearListRows(list);
        weapons_.clear();
        rules::TableDirectory* tables = PanelTables();
        if (tables == nullptr) return;
        rules::UnitInfoCursor unit(*tables);
        for (int i = 0; i < kUnitInfoLimit; ++i) {
            if (!unit.Select(i) || unit.GetUnitKind() == kReservedUnitKind) continue;
            const std::string name = core::SjisToUtf8(unit.GetName());
            std::string kindName;
            int icon = -1;
            if (unit.UnitKindCursor::Select(unit.GetUnitKind())) {
                kindName = core::SjisToUtf8(unit.UnitKindCursor::GetName());
                icon = unit.UnitKindCursor::GetGraphicIndex();
            }
            AddListRow(list, {name, kindName}, icon);
            weapons_.push_back(std::uint16_t(i));
        }
    }

  public:
    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        const ui::Hwnd h = Handle();
        switch (msg) {
            case ui::WM_CREATE: {
                const ui::Hwnd list =
                    fw::CreateListViewCtl(h, IDC_WEAPON_LIST, 0, 0, 640, 480, kListStyle);
                AddListColumn(list, 0, "兵器名", 100, ui::LVCFMT_LEFT);
                if (icons_ == nullptr) icons_ = MakeWeaponIcons();
                ui::SendMessage(list, ui::LVM_SETIMAGELIST, ui::LVSIL_NORMAL,
                                reinterpret_cast<ui::LParam>(icons_));
                AddListColumn(list, 1, "種類", 70, ui::LVCFMT_CENTER);
                FillWeaponList(h);
                ui::SetWindowPos(h, ui::Hwnd{}, 0, 0, 580, 330, ui::SWP_NOMOVE | ui::SWP_NOZORDER);
                break;
            }
            case ui::WM_SIZE: {
                ui::Rect r{};
                ui::GetClientRect(h, &r);
                ui::MoveWindow(ui::GetDlgItem(h, IDC_WEAPON_LIST), 0, 0, r.right, r.bottom, true);
                ui::DefMDIChildProc(h, msg, w, l);
                return 1;
            }
            case ui::WM_KILLFOCUS: {
                const ui::Hwnd list = ui::GetDlgItem(h, IDC_WEAPON_LIST);
                if (ui::HwndFromParam(intptr_t(w)) != list) {
                    ui::InvalidateRect(list, nullptr, false);
                    ui::UpdateWindow(list);
                }
                return 1;
            }
            case ui::WM_CLOSE:
                SendCloseCommandToFrame(IDM_WEAPON_LIST);
                return 1;
            case ui::WM_DRAWITEM:
                fw::DrawOwnerDrawItem(h, int(w), reinterpret_cast<const ui::DrawItemStruct*>(l),
                                      10);
                return 1;
            case ui::WM_NOTIFY: {
                const auto* hdr = reinterpret_cast<const ui::NmHdr*>(l);
                if (hdr == nullptr || hdr->idFrom != IDC_WEAPON_LIST) break;
                if (hdr->code == ui::NM_KILLFOCUS) {
                    ui::SendMessage(h, ui::WM_KILLFOCUS, 0, 0);
                } else if (hdr->code == ui::NM_DBLCLK) {
                    const int row = reinterpret_cast<const ui::NmItemActivate*>(l)->iItem;
                    if (row >= 0 && row < int(weapons_.size()))
                        ShowUnitKindInfoDialog(h, weapons_[row]);
                }
                return 1;
            }
            case ui::WM_DESTROY:
                weapons_.clear();
                ui::SendMessage(ui::GetDlgItem(h, IDC_WEAPON_LIST), ui::LVM_SETIMAGELIST,
                                ui::LVSIL_NORMAL, 0);
                ui::ImageList_Destroy(icons_);
                icons_ = nullptr;
                shell::ForgetWindowOfKind(shell::WindowKind::UnitListWnd, h);
                break;
            default:
                break;
        }
        return ui::DefMDIChildProc(h, msg, w, l);
    }

  private:
    std::vector<std::uint16_t> weapons_;
    ui::ImageList* icons_ = nullptr;
};

ui::LResult WeaponListProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<WeaponList>(h, msg, w, l);
}

}  // namespace

ui::Hwnd CreatePartyListWindow(void* instance, ui::Hwnd client) {
    if (!RegisterPanelClass(kTroopListClass, TroopListProc)) return {};
    return ui::CreateMDIWindow(kTroopListClass, core::Utf8ToSjis("部隊一覧").c_str(),
                               ui::WS_OVERLAPPEDWINDOW, 0, 0, 460, 300, client, instance, 0);
}

ui::Hwnd CreateUnitListWindow(void* instance, ui::Hwnd client) {
    if (!RegisterPanelClass(kWeaponListClass, WeaponListProc, true)) return {};
    return ui::CreateMDIWindow(kWeaponListClass, core::Utf8ToSjis("兵器一覧").c_str(),
                               ui::WS_OVERLAPPEDWINDOW, 0, 0, 580, 330, client, instance, 0);
}

const std::vector<std::uint16_t>& TroopListRows() {
    static const std::vector<std::uint16_t> kNone;
    const auto* list = ui::WindowObjectOf<TroopList>(
        shell::GetWindowOfKind(shell::WindowKind::TroopListWnd), kTroopListClass);
    return list ? list->Rows() : kNone;
}
int TroopListCountry() {
    const auto* list = ui::WindowObjectOf<TroopList>(
        shell::GetWindowOfKind(shell::WindowKind::TroopListWnd), kTroopListClass);
    return list ? list->Country() : 0;
}
const std::vector<std::uint16_t>& WeaponListRows() {
    static const std::vector<std::uint16_t> kNone;
    const auto* list = ui::WindowObjectOf<WeaponList>(
        shell::GetWindowOfKind(shell::WindowKind::UnitListWnd), kWeaponListClass);
    return list ? list->Rows() : kNone;
}

}  // namespace zv::panels
