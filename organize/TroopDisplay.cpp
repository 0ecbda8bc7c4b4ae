// The troop display windows' frame: creation, controls, refresh and redraw, and the edits that
// clicks, the page-9 controls and drag and drop make.

#include <cstdio>
#include <cstring>

#include "framework/gui/GdiHelpers.h"
#include "framework/gui/TextFields.h"
#include "framework/gui/WindowUtilities.h"
#include "mapview/MapViewWindows.h"
#include "organize/DragDrop.h"
#include "organize/OrganizeDialog.h"
#include "organize/OrganizeWorld.h"
#include "organize/TroopDisplayInternal.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/records/CachedTroopCursor.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/RuleCursors.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"
#include "shell/ChatWindow.h"
#include "shell/Palettes.h"
#include "shell/WindowRegistry.h"
#include "shell/skin/SkinControls.h"

namespace zv::organize {

namespace skin = shell::skin;

namespace detail {

namespace {

// GetTransformUnit of a unit that does not transform.
constexpr std::uint16_t kNoTransformUnit = 0xFFFF;

// What the troop information window shows: the troop information dialog sets it before the
// window's refresh (one such dialog is open at a time).
struct TroopInfoTarget {
    int troop = -1;
    int page = 0;
    int country = 0;
};
TroopInfoTarget gTarget;
// The live window of each class ([0] troop information, [1] organisation), for the calls that
// name no window.
ui::Hwnd gWindows[2];

OrganizeWorld& World() { return *CurrentOrganizeWorld(); }

ui::Hwnd Child(DisplayState& s, int id) { return ui::GetDlgItem(s.window, id); }

ui::Hwnd Dialog(DisplayState& s) { return ui::GetParent(ui::GetParent(s.window)); }

std::string Sjis(const char* utf8) { return ToSjis(utf8); }

// The combo items: " 攻  撃 ", " 要  撃 ", " 回  避 " and " 迎  撃 ", " 回  避 " without spaces.
const char* const kFirstOrders[3] = {" 攻  撃 ", " 要  撃 ", " 回  避 "};
const char* const kSecondOrders[2] = {" 迎  撃 ", " 回  避 "};
const char* const kFormations[4] = {"Type-A", "Type-B", "Type-C", "Type-D"};
const char* const kModes[6] = {"攻撃型", "占領型", "索敵型", "輸送型", "補給型", "支援型"};

void SetSkin(ui::Hwnd control, fw::Dib* dib) {
    if (control) ui::SendMessage(control, zv::WM_SKIN_SET_BACKGROUND, 0, reinterpret_cast<ui::LParam>(dib));
}

void AddItem(ui::Hwnd control, const std::string& sjis) {
    ui::SendMessage(control, zv::WM_SKIN_ADD_ITEM, 0, reinterpret_cast<ui::LParam>(sjis.c_str()));
}

void Create(DisplayState& s) {
    gWindows[s.organize ? 1 : 0] = s.window;
    s.creating = true;
    s.selectedSlot = -1;
    s.carriedPage = -1;
    s.dragSourceSlot = -1;
    s.picture = std::make_unique<fw::Dib>("trpinf00.bmp");
    const int w = s.picture->HasBits() ? s.picture->GetWidth() : 466;
    const int h = s.picture->HasBits() ? s.picture->GetHeight() : 366;
    if (!s.picture->HasBits()) s.picture = fw::Dib::CreateBlank(s.window, w, h, shell::GetPaletteTableA());
    s.cache = fw::Dib::CreateBlank(s.window, w, h, shell::GetPaletteTableA());
    {
        fw::Dib packs("trpinf08.bmp");
        for (int slot = 0; slot < 6; ++slot) {
            const PanelOrigin o = kPanelOrigins[slot];
            SetSkin(skin::CreatePackButtonCtl(s.window, kIdPackButtons + slot, o.x + 4, o.y + 103, 143, 16),
                    &packs);
        }
    }
    {
        fw::Dib lands("trpinf06.bmp");
        SetSkin(skin::CreateLandButtonCtl(s.window, kIdLandButtons, kPageX + 396, kPageY + 4, 64, 96), &lands);
    }
    {
        fw::Dib paging("trpinf07.bmp");
        SetSkin(skin::CreateBackButtonCtl(s.window, kIdPageBack, kPageX + 2, kPageY + 8, 20, 20), &paging);
        SetSkin(skin::CreateNextButtonCtl(s.window, kIdPageNext, kPageX + 442, kPageY + 8, 20, 20), &paging);
        s.carriedPage = -1;
    }
    {
        fw::Dib behaviour("trpinf09.bmp");
        for (int slot = 0; slot < 6; ++slot) {
            const PanelOrigin o = kPanelOrigins[slot];
            for (int j = 0; j < 4; ++j) {
                SetSkin(skin::CreateSkinComboBox(s.window, kIdCombos + 4 * slot + j, o.x + 4 + 76 * (j / 2),
                                                 o.y + (j % 2 == 0 ? 72 : 96), 68, 16),
                        &behaviour);
            }
        }
        for (int i = 0; i < 24; ++i) {
            ui::Hwnd combo = Child(s, kIdCombos + i);
            if (i % 4 < 2) {
                for (const char* t : kFirstOrders) AddItem(combo, fw::StripSpaces(Sjis(t).c_str()));
            } else {
                for (const char* t : kSecondOrders) AddItem(combo, fw::StripSpaces(Sjis(t).c_str()));
            }
            if (s.organize && GetOrganizeState().corpsFlag != 0) {
                ui::SendMessage(combo, zv::WM_SKIN_SELECT_ITEM, 0, 0);
            }
        }
        for (int k = 0; k < 4; ++k) {
            ui::Hwnd bar = skin::CreateScrollCtl(s.window, kIdSliders + k, kPageX + 44, kPageY + 24 + 20 * k, 140, 20);
            ui::SendMessage(bar, zv::WM_SKIN_SET_VALUE, 100, skin::kBarMaximum);
            ui::SendMessage(bar, zv::WM_SKIN_SET_VALUE, 10, skin::kBarStep);
            SetSkin(bar, &behaviour);
        }
        ui::Hwnd formations = skin::CreateSkinListBox(s.window, kIdFormationList, kPageX + 235, kPageY, 105, 104);
        SetSkin(formations, &behaviour);
        for (const char* t : kFormations) AddItem(formations, t);
        ui::SendMessage(formations, zv::WM_SKIN_SET_CURSEL, 0, 0);
        ui::Hwnd modes = skin::CreateSkinListBox(s.window, kIdModeList, kPageX + 355, kPageY, 93, 104);
        SetSkin(modes, &behaviour);
        for (const char* t : kModes) AddItem(modes, Sjis(t));
        ui::SendMessage(modes, zv::WM_SKIN_SET_CURSEL, 0, 0);
    }
    if (s.organize && GetOrganizeState().deployFlag == 1) {
        mapview::CreateRealChileViewWindow(s.window, kIdMapView);
        if (ui::Hwnd chat = shell::GetWindowOfKind(shell::WindowKind::ChatWindow)) {
            ui::SendMessage(chat, WM_CHAT_SET_MODE, World().singlePlay ? 0 : 1, 0);
            shell::AttachChatWindow(s.window);
        }
    }
    LoadTroopInfoPageBitmap(s);
    FillTroopInfoControls(s);
    RedrawTroopInfoPage(s);
    if (s.organize) RegisterDropTarget(s.window);
    s.creating = false;
}

void Refresh(DisplayState& s) {
    if (!s.organize) {
        FillTroopInfoControls(s);
        s.selectedSlot = -1;
        s.carriedPage = -1;
        LoadTroopInfoPageBitmap(s);
        RedrawTroopInfoPage(s);
        return;
    }
    UpdateTransformButton(s);
    FillTroopInfoControls(s);
    s.selectedSlot = -1;
    s.carriedPage = -1;
    if (GetOrganizeState().deployFlag == 1) {
        ui::Hwnd map = Child(s, kIdMapView);
        ui::Hwnd chat = shell::GetWindowOfKind(shell::WindowKind::ChatWindow);
        if (CurrentPage(s) == kDeploymentPage) {
            LoadTroopInfoPageBitmap(s);
            fw::HvDIBitBlt(s.picture.get(), 0, 0, s.cache->GetWidth(), s.cache->GetHeight(), s.cache.get(), 0, 0, 0);
            HidePageControls(s);
            if (map) {
                ui::MoveWindow(map, 6, 0, 456, 262, true);
                ui::ShowWindow(map, ui::SW_SHOW);
            }
            if (chat) {
                ui::MoveWindow(chat, 6, 264, 456, 102, true);
                ui::ShowWindow(chat, ui::SW_SHOW);
            }
            LoadTroopInfoPageBitmap(s);
            InvalidateAndUpdate(s.window);
            return;
        }
        if (map) ui::ShowWindow(map, ui::SW_HIDE);
        if (chat && ui::GetParent(chat) == s.window) ui::ShowWindow(chat, ui::SW_HIDE);
    }
    LoadTroopInfoPageBitmap(s);
    RedrawTroopInfoPage(s);
}

void OnFormationList(DisplayState& s, int selection) {
    auto troop = SelectDisplayedTroop(s, true);
    if (!troop) return;
    ui::Hwnd dialog = Dialog(s);
    if (s.organize) {
        const std::string name = ui::GetDlgItemText(dialog, kIdFormationName).substr(0, 16);
        if (std::strlen(fw::StripSpaces(name.c_str())) == 0) {
            OrganizeMessageBox(dialog, "フォーメーション名称が設定されていません", kOrganizeCaption, ui::MB_OK);
            // The list shows the formation that stays current.
            ui::SendMessage(Child(s, kIdFormationList), zv::WM_SKIN_SET_CURSEL, troop->GetCurrentFormation() & 3, 0);
            return;
        }
        troop->SetFormationName(troop->GetCurrentFormation() & 3, name.c_str());
        rules::RebuildFormation(*troop, troop->GetCurrentFormation() & 3, selection);
    }
    if (selection < 0 || selection > 3) return;
    troop->SetCurrentFormation(std::uint8_t(selection));
    DrawFormationToggle(s);
    FillFormationSliders(s);
    troop = SelectDisplayedTroop(s, false);
    if (!troop) return;
    troop->SetCurrentFormation(std::uint8_t(selection));
    const int f = troop->GetCurrentFormation();
    if (f < 4) {
        const char* name = troop->GetFormationName(f);
        ui::SetDlgItemText(dialog, kIdFormationName, std::string(name, strnlen(name, 16)));
        if (!s.organize) ui::SendDlgItemMessage(dialog, kIdFormationName, ui::EM_LIMITTEXT, 16, 0);
    }
    DrawFormationToggle(s);
    for (int i = 0; i < 24; ++i) ui::SendMessage(Child(s, kIdCombos + i), zv::WM_SKIN_REDRAW, 0, 0);
    for (int k = 0; k < 4; ++k) ui::SendMessage(Child(s, kIdSliders + k), zv::WM_SKIN_REDRAW, 0, 0);
    ShowPageControls(s);
    InvalidateAndUpdate(s.window);
}

void OnComboSelected(DisplayState& s, int selection, int id) {
    if (s.creating) return;
    auto troop = SelectDisplayedTroop(s, true);
    if (!troop) return;
    const int i = id - kIdCombos;
    if (i < 0 || i >= 24) return;
    const int slot = i / 4;
    const int k = i % 2;
    if (i % 4 < 2) {
        troop->SetMemberByte22(slot, k, std::uint8_t(selection));
    } else {
        troop->SetMemberByte24(slot, k, std::uint8_t(selection));
    }
}

void OnButtonDown(DisplayState& s, int x, int y) {
    const int slot = HitTestMemberPanel(x, y);
    const int page = CurrentPage(s);
    if (page == 9 && (!s.organize || GetOrganizeState().deployFlag != 1)) ClickFormationToggle(s, x, y);
    if (page == 8) {
        if (slot == -1 || IsDisplaySlotEmpty(s, slot)) return;
        s.selectedSlot = slot;
        RedrawTroopInfoPage(s);
        InvalidateAndUpdate(s.window);
    }
    if (s.organize && GetOrganizeState().editingFlag) {
        s.dragSourceSlot = -1;
        if (slot != -1 && !IsDisplaySlotEmpty(s, slot)) {
            BeginDrag(s.window, kDragMember, slot);
            s.dragSourceSlot = slot;
        }
        if (page == 0 && HitTestIconGrid(x, y) != -1) DrawTroopIconGrid(s, x, y);
    }
}

// The orders a new member starts with: armed units attack and intercept, others evade.
void GiveDefaultOrders(DisplayState& s, int slot, int unit) {
    rules::UnitInfoCursor units(*World().tables);
    rules::WeaponKdCursor weapons(*World().tables);
    bool armed = false;
    if (units.Select(unit)) {
        for (int w = 0; w < 6; ++w) {
            if (weapons.Select(units.GetWeaponId(w)) && weapons.GetPower() != 0) armed = true;
        }
    }
    const int first = armed ? 0 : 2;
    const int second = armed ? 0 : 1;
    for (int j = 0; j < 4; ++j) {
        ui::SendMessage(Child(s, kIdCombos + 4 * slot + j), zv::WM_SKIN_SELECT_ITEM, j < 2 ? first : second, 0);
    }
}

void OnButtonUp(DisplayState& s, int x, int y) {
    if (!GetOrganizeState().editingFlag) return;
    const int j = HitTestMemberPanel(x, y);
    // An empty panel is never the selected member (the press refused it already).
    if (j != -1 && CurrentPage(s) == 8 && !IsDisplaySlotEmpty(s, j)) s.selectedSlot = j;
    if (!IsDragging()) return;
    int value = 0;
    const int type = EndDrag(&value);
    if (type == kDragUnit && j != -1) {
        auto troop = SelectDisplayedTroop(s, false);
        if (!troop) return;
        if (ViolatesHQPlatoonRule(j, value) == 1) {
            OrganizeMessageBox(Dialog(s), "司令部が２小隊以上の部隊を編成することはできません。", kOrganizeCaption,
                               ui::MB_OK);
            return;
        }
        rules::SetMemberUnit(*troop, j, std::int16_t(value));
        LoadTroopInfoPageBitmap(s);
        FillTroopInfoControls(s);
        UpdateTransformButton(s);
        GiveDefaultOrders(s, j, value);
        ResetTroopIcon(s);
        RedrawTroopInfoPage(s);
    } else if (type == kDragMember && j != -1 && j != value) {
        auto troop = SelectDisplayedTroop(s, true);
        if (!troop) return;
        rules::SwapFormationSlots(*troop, value, j);
        LoadTroopInfoPageBitmap(s);
        FillTroopInfoControls(s);
        ResetTroopIcon(s);
        RedrawTroopInfoPage(s);
    }
}

void OnDiscardMember(DisplayState& s) {
    if (s.dragSourceSlot == -1) return;
    if (s.dragSourceSlot == s.selectedSlot) s.selectedSlot = -1;
    if (auto troop = SelectDisplayedTroop(s, false)) {
        rules::RemoveMember(*troop, s.dragSourceSlot);
        if (rules::CountMembers(*troop) == 0) {
            OrganizeState& st = GetOrganizeState();
            st.selectedTroop = -1;
            ui::Hwnd dialog = Dialog(s);
            SelectOrganizeTroop(dialog, -1, st.corpsFlag,
                                int(ui::SendDlgItemMessage(dialog, kIdListTabs, ui::TCM_GETCURSEL, 0, 0)));
        }
    }
    s.dragSourceSlot = -1;
    UpdateTransformButton(s);
    LoadTroopInfoPageBitmap(s);
    FillTroopInfoControls(s);
    ResetTroopIcon(s);
    RedrawTroopInfoPage(s);
}

// A troop display window; `Organize` tells the organisation dialog's window from the troop
// information window. Its state lives in the object, so two windows never share it.
template <bool Organize>
class TroopDisplayWindow : public ui::WindowObject {
  public:
    explicit TroopDisplayWindow(ui::Hwnd window) : WindowObject(window) {
        s_.organize = Organize;
        s_.window = window;
    }

    ui::LResult Dispatch(std::uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_CREATE:
                Create(s_);
                return 0;
            case ui::WM_DESTROY:
                OnDestroy();
                return 0;
            case ui::WM_PAINT:
                fw::PaintWindowFromBitmap(Handle(), s_.picture.get());
                return 0;
            case ui::WM_DRAWITEM:
                for (int i = 0; i < 24; ++i) ui::SendMessage(Child(s_, kIdCombos + i), msg, w, l);
                return 1;
            case ui::WM_LBUTTONDOWN:
                OnButtonDown(s_, ui::GetXLParam(l), ui::GetYLParam(l));
                return 0;
            case ui::WM_LBUTTONUP:
                if (Organize) OnButtonUp(s_, ui::GetXLParam(l), ui::GetYLParam(l));
                return 0;
            case WM_ORGANIZE_DISCARD:
                if (Organize) OnDiscardMember(s_);
                return 0;
            case WM_TROOP_INFO_REFRESH:
                Refresh(s_);
                return 0;
            case zv::WM_SKIN_PACK_CLICKED:
            case zv::WM_SKIN_LAND_CHANGED:
                RedrawTroopInfoPage(s_);
                return 0;
            case zv::WM_SKIN_BUTTON_CLICKED:
                s_.carriedPage += int(w) == kIdPageBack ? -1 : 1;
                RedrawTroopInfoPage(s_);
                return 0;
            case zv::WM_SKIN_BAR_POS:
                ApplyFormationSlider(s_, int(w), int(l));
                return 0;
            case zv::WM_SKIN_LIST_SELECTED:
                OnListSelected(int(w), int(l));
                return 0;
            case zv::WM_SKIN_COMBO_SELECTED:
                OnComboSelected(s_, int(w), int(l));
                return 0;
            default:
                return Default(msg, w, l);
        }
    }

    DisplayState& State() { return s_; }

  private:
    void OnDestroy() {
        if (Organize) {
            if (ui::Hwnd chat = shell::GetWindowOfKind(shell::WindowKind::ChatWindow)) {
                if (ui::GetParent(chat) == Handle()) shell::DetachChatWindow();
            }
        }
        s_.picture.reset();
        s_.cache.reset();
        if (Organize) ClearDropTargets();
        if (gWindows[Organize ? 1 : 0] == Handle()) gWindows[Organize ? 1 : 0] = {};
    }
    void OnListSelected(int item, int id) {
        if (id == kIdModeList) {
            if (auto troop = SelectDisplayedTroop(s_, true)) {
                troop->SetSlotByte(std::uint8_t(item));
                InvalidateAndUpdate(Handle());
            }
        } else if (id == kIdFormationList) {
            OnFormationList(s_, item);
        }
    }

    DisplayState s_;
};

using OrganizeDisplayWindow = TroopDisplayWindow<true>;
using TroopInfoDisplayWindow = TroopDisplayWindow<false>;

// The state of the live window of a class; a blank state when none is open.
DisplayState* LiveState(bool organize) {
    const ui::Hwnd h = gWindows[organize ? 1 : 0];
    if (!h) return nullptr;
    if (organize) {
        auto* w = ui::WindowObjectOf<OrganizeDisplayWindow>(h, kOrganizeDisplayClass);
        return w ? &w->State() : nullptr;
    }
    auto* w = ui::WindowObjectOf<TroopInfoDisplayWindow>(h, kTroopDisplayClass);
    return w ? &w->State() : nullptr;
}

int RegisterDisplayClass(const char* name, ui::WndProc proc) {
    ui::WindowClass existing;
    if (ui::GetClassInfo(name, &existing)) return 1;
    ui::WindowClass wc;
    wc.name = name;
    wc.style = ui::CS_HREDRAW | ui::CS_VREDRAW;
    wc.proc = proc;
    wc.windowExtraBytes = 4;
    wc.cursor = ui::LoadCursor(nullptr, ui::IDC_ARROW);
    return ui::RegisterClass(wc) ? 1 : 0;
}

}  // namespace

int CurrentPage(const DisplayState& s) {
    return s.organize ? GetOrganizeState().infoPage : gTarget.page;
}

std::unique_ptr<rules::TroopCursor> SelectDisplayedTroop(const DisplayState& s, bool withMembers) {
    OrganizeWorld* world = CurrentOrganizeWorld();
    if (!world || !world->tables) return nullptr;
    std::unique_ptr<rules::TroopCursor> cursor;
    if (s.organize) {
        const int index = GetOrganizeState().selectedTroop;
        auto fc = std::make_unique<rules::ForceCursor>(*world->tables, kWorkingForce, world->workspace);
        fc->SelectSlot(kWorkingForce);
        if (index < 0 || !fc->SelectTroop(std::uint16_t(index))) return nullptr;
        cursor = std::move(fc);
    } else {
        if (!world->troopCache || gTarget.troop < 0) return nullptr;
        auto tc = std::make_unique<rules::CachedTroopCursor>(*world->tables, *world->troopCache);
        if (!tc->Select(std::uint16_t(gTarget.troop))) return nullptr;
        cursor = std::move(tc);
    }
    if (withMembers && rules::CountMembers(*cursor) == 0) return nullptr;
    return cursor;
}

void InvalidateAndUpdate(ui::Hwnd window, bool erase) {
    ui::InvalidateRect(window, nullptr, erase);
    ui::UpdateWindow(window);
}

int PackSelection(DisplayState& s, int slot) {
    const auto sel = ui::SendMessage(Child(s, kIdPackButtons + slot), zv::WM_SKIN_GET_SELECTION, 0, 0);
    return sel < 0 || sel > 3 ? 0 : int(sel);
}

int IsDisplaySlotEmpty(DisplayState& s, int slot) {
    auto troop = SelectDisplayedTroop(s, true);
    if (!troop) return 1;
    return rules::SelectSlotUnit(*troop, slot) ? 0 : 1;
}

void LoadTroopInfoPageBitmap(DisplayState& s) {
    if (!s.cache) return;
    char name[32];
    std::snprintf(name, sizeof name, "trpinf%02d.bmp", CurrentPage(s));
    fw::Dib page(name);
    if (page.HasBits()) {
        fw::HvDIBitBlt(s.cache.get(), 0, 0, page.GetWidth(), page.GetHeight(), &page, 0, 0, 0);
    }
    DrawPageLabels(s, CurrentPage(s));
    if (CurrentPage(s) == 0) {
        fw::Dib buttons("btn_gun.bmp");
        for (int i = 0; i < 6; ++i) {
            fw::HvDIBitBlt(s.cache.get(), kPageX + 348 + 36 * (i % 3), kPageY + 24 + 36 * (i / 3), 32, 32,
                           &buttons, 0, 204, 0);
        }
    }
}

void RedrawTroopInfoPage(DisplayState& s) {
    if (!s.picture || !s.cache) return;
    fw::HvDIBitBlt(s.picture.get(), 0, 0, s.cache->GetWidth(), s.cache->GetHeight(), s.cache.get(), 0, 0, 0);
    HidePageControls(s);
    if (auto troop = SelectDisplayedTroop(s, true)) PaintTroopInfoPage(s, *troop);
    if (CurrentPage(s) == 9) DrawFormationToggle(s);
    InvalidateAndUpdate(s.window);
    for (int id = kIdPackButtons; id < kIdPackButtons + 6; ++id) {
        ui::SendMessage(Child(s, id), zv::WM_SKIN_REDRAW, 0, 0);
    }
    for (int id : {kIdLandButtons, kIdPageBack, kIdPageNext}) {
        ui::SendMessage(Child(s, id), zv::WM_SKIN_REDRAW, 0, 0);
    }
    for (int i = 0; i < 24; ++i) ui::SendMessage(Child(s, kIdCombos + i), zv::WM_SKIN_REDRAW, 0, 0);
    for (int k = 0; k < 4; ++k) ui::SendMessage(Child(s, kIdSliders + k), zv::WM_SKIN_REDRAW, 0, 0);
    ShowPageControls(s);
}

namespace {
void ShowPageControlsAs(DisplayState& s, bool show) {
    const int page = CurrentPage(s);
    const int command = show ? ui::SW_SHOW : ui::SW_HIDE;
    auto apply = [&](int id, int onPage) {
        if ((page == onPage) == show) ui::ShowWindow(Child(s, id), command);
    };
    apply(kIdLandButtons, 6);
    apply(kIdPageBack, 7);
    apply(kIdPageNext, 7);
    for (int slot = 0; slot < 6; ++slot) apply(kIdPackButtons + slot, 8);
    for (int id = kIdSliders; id <= kIdModeList; ++id) apply(id, 9);
    if ((page == 9) == show) {
        for (int i = 0; i < 24; ++i) {
            ui::SendMessage(Child(s, kIdCombos + i), zv::WM_SKIN_SHOW, show ? ui::SW_SHOW : 0, 0);
        }
    }
}
}  // namespace

void HidePageControls(DisplayState& s) { ShowPageControlsAs(s, false); }
void ShowPageControls(DisplayState& s) { ShowPageControlsAs(s, true); }

void FillFormationSliders(DisplayState& s) {
    auto troop = SelectDisplayedTroop(s, true);
    if (!troop) return;
    const int f = troop->GetCurrentFormation() & 3;
    const int values[4] = {troop->GetFormationByte237(f), troop->GetFormationByte240(f),
                           troop->GetFormationByte238(f), troop->GetFormationByte239(f)};
    const bool locked = s.organize && GetOrganizeState().deployFlag == 1;
    for (int k = 0; k < 4; ++k) {
        ui::Hwnd bar = Child(s, kIdSliders + k);
        ui::SendMessage(bar, zv::WM_SKIN_SET_VALUE, ui::WParam(values[k]), skin::kBarPosition);
        if (s.organize) ui::SendMessage(bar, zv::WM_SKIN_ENABLE, 0, locked ? 0 : 1);
    }
}

void FillTroopInfoControls(DisplayState& s) {
    // A troop without members gets the controls of no troop: disabled and reset.
    auto troop = SelectDisplayedTroop(s, true);
    if (!troop) {
        ClearTroopInfoControls(s);
        return;
    }
    const bool locked = s.organize && GetOrganizeState().deployFlag == 1;
    for (int slot = 0; slot < 6; ++slot) {
        ui::Hwnd packs = Child(s, kIdPackButtons + slot);
        if (!rules::SelectSlotUnit(*troop, slot)) {
            ui::SendMessage(packs, zv::WM_SKIN_ENABLE, ui::WParam(-1), 0);
            continue;
        }
        ui::SendMessage(packs, zv::WM_SKIN_SET_SELECTION, troop->GetMemberPack(slot) & 3, 0);
        for (int p = 0; p < 4; ++p) {
            ui::SendMessage(packs, zv::WM_SKIN_ENABLE, ui::WParam(p), troop->GetPackFuel(p) != 0 ? 1 : 0);
        }
    }
    FillFormationSliders(s);
    ui::Hwnd modes = Child(s, kIdModeList);
    ui::Hwnd formations = Child(s, kIdFormationList);
    ui::SendMessage(modes, zv::WM_SKIN_ENABLE, 0, locked ? 0 : 1);
    ui::SendMessage(formations, zv::WM_SKIN_ENABLE, 0, 1);
    ui::SendMessage(modes, zv::WM_SKIN_SET_CURSEL, troop->GetSlotByte(), 0);
    ui::SendMessage(formations, zv::WM_SKIN_CLEAR, 0, 0);
    for (int f = 0; f < 4; ++f) {
        const char* name = troop->GetFormationName(f);
        AddItem(formations, std::string(name, strnlen(name, 16)));
    }
    ui::SendMessage(formations, zv::WM_SKIN_SET_CURSEL, troop->GetCurrentFormation() & 3, 0);
    for (int slot = 0; slot < 6; ++slot) {
        const bool shows = rules::SelectSlotUnit(*troop, slot) != nullptr;
        const int values[4] = {troop->GetMemberByte22(slot, 0), troop->GetMemberByte22(slot, 1),
                               troop->GetMemberByte24(slot, 0), troop->GetMemberByte24(slot, 1)};
        for (int j = 0; j < 4; ++j) {
            ui::Hwnd combo = Child(s, kIdCombos + 4 * slot + j);
            ui::SendMessage(combo, zv::WM_SKIN_ENABLE, 0, shows && !locked ? 1 : 0);
            ui::SendMessage(combo, zv::WM_SKIN_SELECT_ITEM, shows ? ui::WParam(values[j]) : 0, 0);
        }
    }
    ui::SendMessage(Child(s, kIdLandButtons), zv::WM_SKIN_ENABLE, ui::WParam(-1), 1);
}

void ClearTroopInfoControls(DisplayState& s) {
    for (int slot = 0; slot < 6; ++slot) {
        ui::SendMessage(Child(s, kIdPackButtons + slot), zv::WM_SKIN_ENABLE, ui::WParam(-1), 0);
    }
    ui::SendMessage(Child(s, kIdLandButtons), zv::WM_SKIN_ENABLE, ui::WParam(-1), 0);
    for (int i = 0; i < 24; ++i) {
        ui::SendMessage(Child(s, kIdCombos + i), zv::WM_SKIN_ENABLE, 0, 0);
        ui::SendMessage(Child(s, kIdCombos + i), zv::WM_SKIN_SELECT_ITEM, 0, 0);
    }
    for (int k = 0; k < 4; ++k) {
        ui::SendMessage(Child(s, kIdSliders + k), zv::WM_SKIN_ENABLE, 0, 0);
        ui::SendMessage(Child(s, kIdSliders + k), zv::WM_SKIN_SET_VALUE, 0, skin::kBarPosition);
    }
    for (int id : {kIdFormationList, kIdModeList}) {
        ui::SendMessage(Child(s, id), zv::WM_SKIN_ENABLE, 0, 0);
        ui::SendMessage(Child(s, id), zv::WM_SKIN_SET_CURSEL, 0, 0);
    }
}

void DrawFormationToggle(DisplayState& s) {
    auto troop = SelectDisplayedTroop(s, true);
    if (!troop || !s.picture) return;
    const int b = rules::GetCurrentFormationByte236(*troop);
    fw::HvDIBitBltOpaque(s.picture.get(), kPageX + 56, kPageY + 4, 116, 16, s.cache.get(), kPageX + 56, kPageY + 4);
    fw::Dib buttons("btn_gun.bmp");
    if (b == 0) {
        fw::HvDIBitBlt(s.picture.get(), kPageX + 56, kPageY + 4, 56, 16, &buttons, 144, 308, 0);
    } else {
        fw::HvDIBitBlt(s.picture.get(), kPageX + 116, kPageY + 4, 56, 16, &buttons, 200, 308, 0);
    }
}

void ClickFormationToggle(DisplayState& s, int x, int y) {
    const int px = x - kPageX;
    const int py = y - kPageY;
    int value = -1;
    if (py > 3 && py < 18) {
        if (px > 55 && px < 110) value = 0;
        else if (px > 115 && px < 170) value = 1;
    }
    if (value < 0) return;
    auto troop = SelectDisplayedTroop(s, true);
    if (!troop) return;
    troop->SetFormationByte236(troop->GetCurrentFormation() & 3, std::uint8_t(value));
    DrawFormationToggle(s);
    InvalidateAndUpdate(s.window);
}

void ApplyFormationSlider(DisplayState& s, int value, int id) {
    if (CurrentPage(s) != 9 || !s.picture) return;
    const int k = id - kIdSliders;
    if (k < 0 || k > 3) return;
    // Without members the page stays bare and the formation unchanged.
    auto troop = SelectDisplayedTroop(s, true);
    if (!troop) return;
    char text[16];
    std::snprintf(text, sizeof text, "%3d%%", value);
    fw::Dib page("trpinf09.bmp");
    fw::HvDIBitBlt(s.picture.get(), kPageX + 200, kPageY + 26 + 20 * k, 24, 12, &page, kPageX + 200,
                   kPageY + 26 + 20 * k, 0);
    Text(s, kPageX + 200, kPageY + 26 + 20 * k, text);
    const int f = troop->GetCurrentFormation() & 3;
    const auto v = std::uint8_t(value);
    switch (k) {
        case 0: troop->SetFormationByte237(f, v); break;
        case 1: troop->SetFormationByte240(f, v); break;
        case 2: troop->SetFormationByte238(f, v); break;
        default: troop->SetFormationByte239(f, v); break;
    }
    InvalidateAndUpdate(s.window);
}

void ResetTroopIcon(DisplayState& s) {
    auto troop = SelectDisplayedTroop(s, false);
    if (!troop) return;
    for (int slot = 0; slot < 6; ++slot) {
        if (rules::SelectSlotUnit(*troop, slot)) {
            troop->SetIcon(troop->GetKindByte29());
            return;
        }
    }
}

int UpdateTransformButton(DisplayState& s) {
    auto troop = SelectDisplayedTroop(s, false);
    if (!troop) return 0;
    int enable = 0;
    rules::UnitInfoCursor units(*World().tables);
    for (int slot = 0; slot < 6 && !enable; ++slot) {
        if (!rules::SelectSlotUnit(*troop, slot)) continue;
        const std::uint16_t t = troop->GetTransformUnit();
        if (t != kNoTransformUnit && units.Select(t)) enable = 1;
    }
    ui::Hwnd button = ui::GetDlgItem(Dialog(s), kIdTransform);
    if (button && ui::IsWindowVisible(button)) ui::EnableWindow(button, enable != 0);
    return enable;
}

}  // namespace detail

int RegisterTroopDisplayClasses() {
    return detail::RegisterDisplayClass(kOrganizeDisplayClass, DispOrganizeInfoWindowProc) &&
           detail::RegisterDisplayClass(kTroopDisplayClass, DispTroopInfoWindowProc);
}

ui::Hwnd CreateDispOrganizeInfoWindow(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    RegisterTroopDisplayClasses();
    return ui::CreateWindowEx(0, kOrganizeDisplayClass, "",
                              ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_CLIPCHILDREN, x, y, width, height,
                              parent, id, nullptr, nullptr);
}

ui::Hwnd CreateDispTroopInfoWindow(ui::Hwnd parent, int id, int x, int y, int width, int height) {
    RegisterTroopDisplayClasses();
    return ui::CreateWindowEx(0, kTroopDisplayClass, "", ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_CLIPCHILDREN,
                              x, y, width, height, parent, id, nullptr, nullptr);
}

ui::LResult DispOrganizeInfoWindowProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<detail::OrganizeDisplayWindow>(h, msg, w, l);
}

ui::LResult DispTroopInfoWindowProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<detail::TroopInfoDisplayWindow>(h, msg, w, l);
}

void SetTroopInfoTarget(int troop, int page, int playerCountry) {
    detail::gTarget = {troop, page, playerCountry};
    if (OrganizeWorld* world = CurrentOrganizeWorld(); world && world->troopCache) {
        world->troopCache->cachedIndex = rules::kNoTroop;
    }
}

void SetTroopInfoPage(int page) { detail::gTarget.page = page; }

int GetTroopInfoViewerCountry() { return detail::gTarget.country; }
int GetTroopInfoTargetTroop() { return detail::gTarget.troop; }

void SetOrganizeTransformFlag(int value) {
    if (detail::DisplayState* s = detail::LiveState(true)) s->transform = value;
}

TroopDisplayView GetTroopDisplayView(bool organizeWindow) {
    const detail::DisplayState* s = detail::LiveState(organizeWindow);
    if (!s) return {};
    return {s->picture.get(), s->selectedSlot, s->carriedPage, s->carriedPageCount, s->dragSourceSlot};
}

int HitTestMemberPanel(int x, int y) {
    for (int i = 0; i < 6; ++i) {
        const PanelOrigin o = kPanelOrigins[i];
        if (o.x <= x && x <= o.x + kPanelWidth && o.y <= y && y <= o.y + kPanelHeight) return i;
    }
    return -1;
}

int HitTestIconGrid(int x, int y) {
    for (int i = 0; i < 6; ++i) {
        const int cx = 348 + 36 * (i % 3);
        const int cy = 284 + 36 * (i / 3);
        if (cx <= x && x <= cx + 32 && cy <= y && y <= cy + 32) {
            detail::DisplayState* s = detail::LiveState(true);
            if (s && !detail::IsDisplaySlotEmpty(*s, i)) return i;
        }
    }
    return -1;
}

}  // namespace zv::organize
