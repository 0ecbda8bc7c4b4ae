// The organisation dialog's controls, its three lists, the counters and the default troop name.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/Dib.h"
#include "framework/gui/ControlCreators.h"
#include "framework/gui/WindowUtilities.h"
#include "organize/DragDrop.h"
#include "organize/OrganizeControls.h"
#include "organize/OrganizeDialog.h"
#include "organize/OrganizeWorld.h"
#include "organize/TroopDisplay.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/controls/ImageList.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/RuleCursors.h"
#include "rules/troops/TroopMembers.h"

namespace zv::organize {

namespace controls {

void SetFont(ui::Hwnd h, const ui::Font* font) {
    if (h && font) ui::SendMessage(h, ui::WM_SETFONT, reinterpret_cast<ui::WParam>(font), 0);
}

ui::Hwnd Static(ui::Hwnd parent, int id, const char* utf8, int x, int y, int w, int h,
                const ui::Font* font) {
    ui::Hwnd s = fw::CreateStaticCtl(parent, id, x, y, w, h);
    ui::SetWindowText(s, ToSjis(utf8));
    SetFont(s, font);
    return s;
}

ui::Hwnd Button(ui::Hwnd parent, int id, const char* utf8, int x, int y, int w, int h,
                const ui::Font* font) {
    ui::Hwnd b = fw::CreateButtonCtl(parent, id, x, y, w, h, ui::BS_PUSHBUTTON | ui::WS_TABSTOP);
    ui::SetWindowText(b, ToSjis(utf8));
    SetFont(b, font);
    return b;
}

ui::Hwnd ListView(ui::Hwnd parent, int id, const char* column, int x, int y, int w, int h,
                  const ui::Font* font) {
    ui::Hwnd list = fw::CreateListViewCtl(parent, id, x, y, w, h,
                                          ui::WS_BORDER | ui::LVS_SINGLESEL | ui::LVS_NOSORTHEADER);
    SetFont(list, font);
    std::string text = ToSjis(column);
    ui::LvColumn c;
    c.mask = ui::LVCF_FMT | ui::LVCF_WIDTH | ui::LVCF_TEXT;
    c.fmt = ui::LVCFMT_CENTER;
    c.cx = 132;
    c.pszText = text.data();
    ui::SendMessage(list, ui::LVM_INSERTCOLUMNA, 0, reinterpret_cast<ui::LParam>(&c));
    return list;
}

void AddTab(ui::Hwnd tabs, int index, const char* utf8) {
    std::string text = ToSjis(utf8);
    ui::TcItem item;
    item.mask = ui::TCIF_TEXT;
    item.pszText = text.data();
    ui::SendMessage(tabs, ui::TCM_INSERTITEMA, ui::WParam(index), reinterpret_cast<ui::LParam>(&item));
}

}  // namespace controls

namespace {

using namespace controls;

OrganizeWorld& World() { return *CurrentOrganizeWorld(); }


std::string Trimmed(const char* bytes, std::size_t limit) {
    return std::string(bytes, strnlen(bytes, limit));
}

// The 16 x 16 pictures of an image list, cut from cells of a sheet: cell i of `cells` goes to
// image `first + i`; images without a cell stay blank.
ui::ImageList* BuildImageList(int count, const std::vector<std::pair<int, OrgPartRect>>& cells,
                              const char* sheetName,
                              const std::vector<std::pair<int, OrgPartRect>>& unitCells = {}) {
    fw::Dib sheet(sheetName);
    fw::Dib parts("orgparts.bmp");
    std::unique_ptr<fw::Dib> units;
    if (!unitCells.empty()) units = std::make_unique<fw::Dib>("Unt_lnmd.bmp");
    std::vector<ui::RgbQuad> table(256);
    if (sheet.HasBits()) sheet.GetColorEntries(0, 256, table.data());
    fw::Dib strip(16 * count, 16, table.data());
    for (const auto& [image, rect] : cells) {
        fw::Dib* source = rect.width < 0 ? &parts : &sheet;
        const int w = std::abs(rect.width);
        if (source->HasBits()) {
            fw::HvDIBitBltOpaque(&strip, 16 * image, 0, w, rect.height, source, rect.x, rect.y);
        }
    }
    for (const auto& [image, rect] : unitCells) {
        if (units->HasBits()) fw::HvDIBitBltOpaque(&strip, 16 * image, 0, rect.width, rect.height, units.get(), rect.x, rect.y);
    }
    ui::ImageList* list = ui::ImageList_Create(16, 16, ui::ILC_MASK | ui::ILC_COLOR8, count, 0);
    if (list) list->AddIndexed(strip.GetBitmapHandle(), 0);
    return list;
}

ui::ImageList* Attach(ui::Hwnd window, int listId, ui::ImageList* images) {
    ui::Hwnd list = ui::GetDlgItem(window, listId);
    if (list && images) {
        ui::SendMessage(list, ui::LVM_SETIMAGELIST, ui::LVSIL_SMALL,
                        reinterpret_cast<ui::LParam>(images));
    }
    return images;
}

void CountByAltitude(std::uint16_t templates[6], std::uint16_t troops[6]) {
    rules::ForceCursor fc(*World().tables, kWorkingForce, nullptr);
    fc.SelectSlot(kWorkingForce);
    rules::CountTroopsByAltitudeFlag8000(fc, templates);
    rules::CountTroopsByAltitudeNoFlag8000(fc, troops);
}

}  // namespace

// Troop and template lists: image 48 + the troop's picture (0-11), image 60 the 新規登録 row.
// Images 12 x country + picture are the troop pictures in the country's colours (the loading
// and weapon choosers), from the upright column of the unit sheet.
// A row at the end of a list (Shift-JIS text and its picture); its row number.
int AppendRow(ui::Hwnd list, const std::string& sjis, int image) {
    std::string text = sjis;
    ui::LvItem item;
    item.mask = ui::LVIF_TEXT | ui::LVIF_IMAGE;
    item.iItem = int(ui::SendMessage(list, ui::LVM_GETITEMCOUNT, 0, 0));
    item.pszText = text.data();
    item.iImage = image;
    return int(ui::SendMessage(list, ui::LVM_INSERTITEMA, 0, reinterpret_cast<ui::LParam>(&item)));
}

ui::ImageList* AttachListImagesA(ui::Hwnd window, int listId, ui::ImageList* old) {
    if (old) ui::ImageList_Destroy(old);
    std::vector<std::pair<int, OrgPartRect>> cells;
    for (int row = 0; row < 12; ++row) cells.push_back({48 + row, OrgPartRect{0, 16 * row, 16, 16}});
    cells.push_back({60, OrgPartRect{kNewEntryIcon.x, kNewEntryIcon.y, -16, 16}});
    std::vector<std::pair<int, OrgPartRect>> unitCells;
    constexpr int kUprightFacing = 3;
    for (int country = 0; country < 4; ++country) {
        for (int row = 0; row < 12; ++row)
            unitCells.push_back({12 * country + row, OrgPartRect{16 * (6 * country + kUprightFacing), 16 * row, 16, 16}});
    }
    return Attach(window, listId, BuildImageList(80, cells, "unt_guns.bmp", unitCells));
}

// Unit list: the category icon of the unit kind's graphic number, image 74 the 新規登録 row.
ui::ImageList* AttachListImagesB(ui::Hwnd window, int listId, ui::ImageList* old) {
    if (old) ui::ImageList_Destroy(old);
    std::vector<std::pair<int, OrgPartRect>> cells;
    for (int k = 0; k < 65; ++k) {
        if (k == 74) continue;
        cells.push_back({k, OrgPartRect{16 * k, 0, 16, 16}});
    }
    cells.push_back({74, OrgPartRect{kNewUnitIcon.x, kNewUnitIcon.y, -16, 16}});
    return Attach(window, listId, BuildImageList(80, cells, "mapcatey.bmp"));
}

void LayoutOrganizeDialog(ui::Hwnd dialog, const ui::Font* small, const ui::Font* largeFont) {
    OrganizeState& st = GetOrganizeState();
    const bool deploy = st.deployFlag == 1;
    ui::SetWindowText(dialog, st.title);
    const int frameX = ui::GetSystemMetrics(ui::SM_CXDLGFRAME);
    const int frameY = ui::GetSystemMetrics(ui::SM_CYDLGFRAME);
    fw::CenterWindowOnScreen(dialog, 640 + 2 * frameX,
                             430 + 2 * frameY + ui::GetSystemMetrics(ui::SM_CYCAPTION), 0);
    if (deploy) ui::SetWindowText(dialog, ToSjis("部隊配置"));

    Static(dialog, kIdNameLabel, "部隊名称", 14, 6, 50, 14, small);
    ui::Hwnd name = fw::CreateEditCtl(dialog, kIdTroopName, 66, 4, 154, 14,
                                      ui::WS_BORDER | ui::ES_AUTOHSCROLL | ui::WS_TABSTOP);
    SetFont(name, small);
    ui::SendMessage(name, ui::EM_LIMITTEXT, 24, 0);
    ui::EnableWindow(name, st.editingFlag != 0);
    Static(dialog, kIdFormationLabel, "ﾌｫｰﾒｰｼｮﾝ:", 14, 20, 50, 14, small);
    ui::Hwnd formation = fw::CreateEditCtl(dialog, kIdFormationName, 66, 20, 100, 14,
                                           ui::WS_BORDER | ui::ES_AUTOHSCROLL | ui::WS_TABSTOP);
    SetFont(formation, small);
    ui::SendMessage(formation, ui::EM_LIMITTEXT, 16, 0);
    ui::EnableWindow(formation, st.editingFlag != 0);
    Static(dialog, kIdAltitudeLabel, "部隊高度", 242, 4, 50, 16, small);
    ui::Hwnd combo = fw::CreateComboBoxCtl(dialog, kIdAltitudeCombo, 296, 2, 68, 120,
                                           ui::CBS_DROPDOWNLIST | ui::WS_VSCROLL);
    SetFont(combo, small);
    for (const char* item : {"航空(高)", "航空(中)", "ヘリ", "陸上", "海上", "海中"}) {
        const std::string text = ToSjis(item);
        ui::SendMessage(combo, ui::CB_ADDSTRING, 0, reinterpret_cast<ui::LParam>(text.c_str()));
    }
    ui::SendMessage(combo, ui::CB_SETCURSEL, 0, 0);

    ui::Hwnd info = fw::CreateTabCtl(dialog, kIdInfoTabs, 4, 34, 470, 388);
    SetFont(info, small);
    static constexpr const char* kPages[kPageCount] = {"情報", "特性", "攻撃力", "防御力",
                                                       "移動力", "索敵", "隠蔽", "搭載",
                                                       "武装", "行動", "配置"};
    for (int p = 0; p < (deploy ? kPageCount : kPageCount - 1); ++p) AddTab(info, p, kPages[p]);
    ui::Hwnd lists = fw::CreateTabCtl(dialog, kIdListTabs, 480, 8, 156, deploy ? 266 : 306);
    SetFont(lists, small);
    if (deploy) {
        AddTab(lists, 0, "兵器");
        AddTab(lists, 1, "部隊");
    } else {
        AddTab(lists, 0, "兵器");
        AddTab(lists, 1, "ひな型");
        AddTab(lists, 2, "部隊");
    }

    // The troop display fills the page tab's display area, two pixels further left and one
    // lower than the adjusted rectangle.
    ui::Rect area{};
    ui::GetClientRect(info, &area);
    ui::SendMessage(info, ui::TCM_ADJUSTRECT, 0, reinterpret_cast<ui::LParam>(&area));
    const int left = area.left - 2;
    const int top = area.top + 1;
    CreateDispOrganizeInfoWindow(info, kIdTroopDisplay, left, top, area.right - left,
                                 area.bottom - top);

    const int listHeight = deploy ? 243 : 283;
    ListView(lists, kIdTroopList, "登録内容", 2, 20, 152, listHeight, small);
    ListView(lists, kIdTemplateList, "編成内容", 2, 20, 152, listHeight, small);
    ListView(lists, kIdUnitList, "兵器名", 2, 20, 152, listHeight, small);

    ui::Hwnd transform = Button(dialog, kIdTransform, "変形", 420, 8, 50, 20, small);
    ui::EnableWindow(transform, false);
    ui::ShowWindow(transform, ui::SW_HIDE);

    if (!deploy) {
        Button(dialog, kIdChangeEntry, "登録内容変更", 556, 320, 80, 20, small);
        Button(dialog, kIdRegisterTemplate, "ひな型登録", 556, 340, 80, 20, small);
        Button(dialog, kIdRegisterTroop, "部隊登録", 556, 360, 80, 20, small);
        Button(dialog, kIdCancel, "キャンセル", 556, 380, 80, 20, small);
        Button(dialog, kIdSaveAndClose, "保存して終了", 556, 400, 80, 20, small);
        Static(dialog, kIdTroopCounter, "", 480, 320, 74, 14, small);
        Static(dialog, kIdTemplateCounter, "", 480, 336, 74, 14, small);
        CreateTrashBoxWindow(dialog, kIdTrashBox, 480, 350, 68, 80);
        ShowOrganizeCounters(dialog);
    } else {
        const ui::Font* large = largeFont;
        Button(dialog, kIdReturnToTitle, "タイトルに戻る", 556, 330, 80, 20, small);
        Button(dialog, kIdAutoDeploy, "自動配置", 556, 360, 80, 20, small);
        Button(dialog, kIdRecoverAll, "すべて回収", 556, 380, 80, 20, small);
        Button(dialog, kIdGameStart, "ゲーム開始", 556, 400, 80, 20, small);
        Static(dialog, kIdFundsLabel, "軍事費:", 480, 280, 50, 14, large);
        Static(dialog, kIdFunds, "  9999999", 530, 280, 80, 14, large);
        Static(dialog, kIdDeployedLabel, "部隊数:", 480, 300, 50, 14, large);
        Static(dialog, kIdDeployed, "  0／  0", 530, 300, 50, 14, large);
    }
}

void ShowOrganizeListTab(ui::Hwnd dialog, int tab) {
    ui::Hwnd lists = ui::GetDlgItem(dialog, kIdListTabs);
    auto show = [&](int id, bool on) {
        if (ui::Hwnd h = ui::GetDlgItem(lists, id)) ui::ShowWindow(h, on ? ui::SW_SHOW : ui::SW_HIDE);
    };
    if (GetOrganizeState().deployFlag == 0) {
        show(kIdUnitList, tab == 0);
        show(kIdTemplateList, tab == 1);
        show(kIdTroopList, tab == 2);
    } else {
        show(kIdTemplateList, false);
        show(kIdUnitList, tab == 0);
        show(kIdTroopList, tab != 0);
        ui::EnableWindow(ui::GetDlgItem(dialog, kIdAltitudeCombo), tab == 0);
    }
}

void FillOrganizeUnitList(ui::Hwnd tabWindow, int listId, int code, int type) {
    OrganizeState& st = GetOrganizeState();
    if (code != kKeepUnitFilter) st.unitFilterCode = std::uint8_t(code);
    // A production type of 32 or more has no side bit: such a filter selects nothing.
    if (type != kKeepUnitFilter) st.unitFilterMask = type >= 0 && type < 32 ? std::int32_t(1u << type) : 0;
    ui::Hwnd list = ui::GetDlgItem(tabWindow, listId);
    if (!list) return;
    ui::SendMessage(list, ui::WM_SETREDRAW, 0, 0);
    ui::SendMessage(list, ui::LVM_DELETEALLITEMS, 0, 0);
    st.unitRows.fill(kNoUnitRow);
    if (st.deployFlag == 0) AppendRow(list, ToSjis("新規登録"), 74);
    rules::UnitInfoCursor units(*World().tables);
    rules::UnitKindCursor kinds(*World().tables);
    const int count = std::min<int>(World().tables->GetTableRecordCount(rules::TableId::UnitInfo), 2000);
    for (int i = 0; i < count; ++i) {
        if (!units.Select(i)) continue;
        if (AltitudeCodeOfUnit(units.GetAltitudeClass(), units.GetDefenceType()) != st.unitFilterCode) {
            continue;
        }
        if ((units.GetProductionSides() & st.unitFilterMask) == 0) continue;
        if (!kinds.Select(units.GetUnitKind()) || !(kinds.GetClassFlags() & 0x10)) continue;
        const int row = int(ui::SendMessage(list, ui::LVM_GETITEMCOUNT, 0, 0));
        if (row >= kUnitRowCapacity) break;
        AppendRow(list, Trimmed(units.GetName(), 24), kinds.GetGraphicIndex());
        st.unitRows[std::size_t(row)] = std::uint16_t(i);
    }
    ui::SendMessage(list, ui::WM_SETREDRAW, 1, 0);
}

void FillOrganizeTroopLists(ui::Hwnd tabWindow, int /*forceType*/) {
    OrganizeState& st = GetOrganizeState();
    ui::Hwnd troops = ui::GetDlgItem(tabWindow, kIdTroopList);
    ui::Hwnd templates = ui::GetDlgItem(tabWindow, kIdTemplateList);
    if (!troops || !templates) return;
    ui::SendMessage(troops, ui::WM_SETREDRAW, 0, 0);
    ui::SendMessage(troops, ui::LVM_DELETEALLITEMS, 0, 0);
    ui::SendMessage(templates, ui::LVM_DELETEALLITEMS, 0, 0);
    st.troopRows.fill(-1);
    st.templateRows.fill(-1);
    if (st.deployFlag == 0) {
        AppendRow(troops, ToSjis("新規登録"), 60);
        AppendRow(templates, ToSjis("新規登録"), 60);
    }
    rules::ForceCursor fc(*World().tables, kWorkingForce, nullptr);
    fc.SelectSlot(kWorkingForce);
    for (std::uint16_t t = 0; t < rules::kForceTroopCount; ++t) {
        if (!fc.SelectForceTroop(t) || fc.GetSlotByte() == rules::kUnusedSlotByte) continue;
        const bool isTemplate = (fc.GetStateFlags() & rules::kTroopTemplate) != 0;
        ui::Hwnd list = isTemplate ? templates : troops;
        auto& rows = isTemplate ? st.templateRows : st.troopRows;
        const int row = int(ui::SendMessage(list, ui::LVM_GETITEMCOUNT, 0, 0));
        if (row >= kTroopRowCapacity) continue;
        AppendRow(list, Trimmed(fc.TroopCursor::GetName(), 24), (fc.GetIcon() & 0xFF) + 48);
        rows[std::size_t(row)] = std::int16_t(t);
    }
    ui::SendMessage(troops, ui::WM_SETREDRAW, 1, 0);
}

void ShowOrganizeCounters(ui::Hwnd dialog) {
    std::uint16_t templates[6] = {};
    std::uint16_t troops[6] = {};
    CountByAltitude(templates, troops);
    int t = 0, p = 0;
    for (int c = 0; c < 5; ++c) {
        t += troops[c];
        p += templates[c];
    }
    char line[64];
    std::snprintf(line, sizeof line, "%s%2d／80", "部　隊:", t);
    ui::SetDlgItemText(dialog, kIdTroopCounter, ToSjis(line));
    std::snprintf(line, sizeof line, "%s%2d／80", "ひな型:", p);
    ui::SetDlgItemText(dialog, kIdTemplateCounter, ToSjis(line));
}

void SetDefaultTroopName(ui::Hwnd dialog, int altitudeClass) {
    std::uint16_t templates[6] = {};
    std::uint16_t troops[6] = {};
    CountByAltitude(templates, troops);
    auto n = [&](int c) { return templates[c - 1] + troops[c - 1]; };
    int count = 0;
    const char* format = "第%03d航空隊";
    switch (altitudeClass) {
        case 3:
            count = n(3);
            format = "第%03d陸上隊";
            break;
        case 4:
        case 5:
            count = n(4) + n(5);
            format = "第%03d艦隊";
            break;
        case 1:
        case 2:
            count = n(1) + n(2);
            break;
        default:
            break;
    }
    char text[64];
    std::snprintf(text, sizeof text, format, count + 1);
    ui::SetDlgItemText(dialog, kIdTroopName, ToSjis(text));
}

}  // namespace zv::organize
