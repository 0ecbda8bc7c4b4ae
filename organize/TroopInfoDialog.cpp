#include "organize/TroopInfoDialog.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "framework/ProcessState.h"
#include "framework/gui/ControlCreators.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "organize/OrganizeControls.h"
#include "organize/OrganizeDialog.h"
#include "organize/OrganizeWorld.h"
#include "organize/TroopDisplay.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/context/GameContext.h"
#include "rules/records/CachedTroopCursor.h"
#include "rules/troops/TroopOrders.h"
#include "simulation/CommandInterpreter.h"
#include "simulation/CommandRecords.h"
#include "simulation/OrderTranslation.h"
#include "simulation/Simulation.h"

namespace zv::organize {

namespace {

using namespace controls;

// The parameters of the next opening; an open dialog works on its own copy.
TroopInfoState gNext;
// The open troop information dialog, for the calls that name none.
ui::Hwnd gOpen{};

constexpr int kExchangeFlag = 8;
constexpr int kWeaponPage = 8;

OrganizeWorld* World() { return CurrentOrganizeWorld(); }

// The troop's cached copy, selected (copied from the table unless it is cached already).
bool SelectCached(rules::CachedTroopCursor& troop, const TroopInfoState& info) {
    return info.troop >= 0 && troop.Select(std::uint16_t(info.troop)) != 0;
}

// Dialog 323 laid out as 部隊情報 or 武装交換. The object owns the dialog's fonts and its copy
// of the parameters.
class TroopInfoDialog : public ui::DialogObject {
  public:
    explicit TroopInfoDialog(ui::Hwnd dialog) : DialogObject(dialog), info_(gNext) {}

    intptr_t Dispatch(std::uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInit();
                return 0;
            case ui::WM_NOTIFY:
                if (const auto* hdr = reinterpret_cast<const ui::NmHdr*>(l)) OnNotify(*hdr);
                return 0;
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(w));
            case ui::WM_CLOSE:
                End(0);
                return 1;
            case ui::WM_DESTROY:
                OnDestroy();
                return 0;
            default:
                return 0;
        }
    }

    TroopInfoState& State() { return info_; }

  private:
    void RefreshDisplay() {
        ui::Hwnd tabs = Item(kIdInfoTabs);
        if (ui::Hwnd d = tabs ? ui::GetDlgItem(tabs, kIdTroopDisplay) : ui::Hwnd{}) {
            ui::SendMessage(d, WM_TROOP_INFO_REFRESH, info_.page,
                            ui::LParam((std::uint32_t(info_.infoFlag) << 16) | std::uint16_t(info_.troop)));
        }
    }
    void Layout();
    void OnInit();
    void OnNotify(const ui::NmHdr& hdr) {
        if (int(hdr.idFrom) != kIdInfoTabs || hdr.code != ui::TCN_SELCHANGE) return;
        const int tab = int(ui::SendDlgItemMessage(Handle(), kIdInfoTabs, ui::TCM_GETCURSEL, 0, 0));
        // The weapon exchange's one tab is the 武装 page.
        info_.page = std::uint16_t(info_.exchangeFlag != 0 ? kWeaponPage : std::clamp(tab, 0, 9));
        SetTroopInfoPage(info_.page);
        RefreshDisplay();
    }
    intptr_t OnCommand(int id) {
        switch (id) {
            case kIdSaveAndClose:
                End(1);
                return 1;
            case kIdCancel:
                End(0);
                return 1;
            default:
                return 0;
        }
    }
    void OnDestroy() {
        smallFont_ = ui::Font();
        info_.dialog = {};
        if (gOpen == Handle()) gOpen = {};
    }

    TroopInfoState info_;
    ui::Font smallFont_;
};

void TroopInfoDialog::Layout() {
    const ui::Hwnd dialog = Handle();
    const int frameX = ui::GetSystemMetrics(ui::SM_CXDLGFRAME);
    const int frameY = ui::GetSystemMetrics(ui::SM_CYDLGFRAME);
    fw::CenterWindowOnScreen(dialog, 480 + 2 * frameX, 460 + 2 * frameY + ui::GetSystemMetrics(ui::SM_CYCAPTION),
                             0);
    ui::SetWindowText(dialog, info_.title);
    const ui::Font* small = &smallFont_;
    // The troop's name and formation are shown, never edited here.
    auto lockedEdit = [&](int id, int x, int y, int width, int limit) {
        ui::Hwnd edit = fw::CreateEditCtl(dialog, id, x, y, width, 14, ui::WS_BORDER | ui::ES_AUTOHSCROLL);
        SetFont(edit, small);
        ui::SendMessage(edit, ui::EM_LIMITTEXT, ui::WParam(limit), 0);
        ui::EnableWindow(edit, false);
    };
    Static(dialog, kIdNameLabel, "部隊名称", 14, 6, 50, 14, small);
    lockedEdit(kIdTroopName, 66, 4, 154, 24);
    Static(dialog, kIdFormationLabel, "ﾌｫｰﾒｰｼｮﾝ:", 14, 20, 50, 14, small);
    lockedEdit(kIdFormationName, 66, 20, 100, 16);
    Static(dialog, kIdAltitudeLabel, "部隊高度", 242, 4, 50, 16, small);
    ui::Hwnd combo =
        fw::CreateComboBoxCtl(dialog, kIdAltitudeCombo, 296, 2, 68, 120, ui::CBS_DROPDOWNLIST | ui::WS_VSCROLL);
    SetFont(combo, small);
    for (const char* item : {"航空(高)", "航空(中)", "ヘリ", "陸上", "海上", "海中"}) {
        const std::string text = ToSjis(item);
        ui::SendMessage(combo, ui::CB_ADDSTRING, 0, reinterpret_cast<ui::LParam>(text.c_str()));
    }
    ui::Hwnd tabs = fw::CreateTabCtl(dialog, kIdInfoTabs, 4, 34, 470, 388);
    SetFont(tabs, small);
    if (info_.exchangeFlag != 0) {
        AddTab(tabs, 0, "武装");
    } else {
        static constexpr const char* kPages[10] = {"情報", "特性", "攻撃力", "防御力", "移動力",
                                                   "索敵", "隠蔽", "搭載", "武装", "行動"};
        for (int p = 0; p < 10; ++p) AddTab(tabs, p, kPages[p]);
    }
    // The troop window fills the tab's display area as in the organisation dialog.
    ui::Rect area{};
    ui::GetClientRect(tabs, &area);
    ui::SendMessage(tabs, ui::TCM_ADJUSTRECT, 0, reinterpret_cast<ui::LParam>(&area));
    const int left = area.left - 2;
    const int top = area.top + 1;
    CreateDispTroopInfoWindow(tabs, kIdTroopDisplay, left, top, area.right - left, area.bottom - top);
    Button(dialog, kIdSaveAndClose, "決定", 305, 430, 80, 20, small);
    Button(dialog, kIdCancel, "キャンセル", 395, 430, 80, 20, small);
}

void TroopInfoDialog::OnInit() {
    const ui::Hwnd dialog = Handle();
    gOpen = dialog;
    info_.dialog = dialog;
    smallFont_ = fw::CreateJapaneseFont(10, 1, 0);
    info_.playerCountry = fw::GetPlayerCountry();
    Layout();
    // The window shows the cached copy; a fresh copy is taken as the dialog opens.
    SetTroopInfoTarget(info_.troop, info_.page, info_.playerCountry);
    if (OrganizeWorld* world = World(); world && world->troopCache) {
        rules::CachedTroopCursor troop(*world->tables, *world->troopCache);
        SelectCached(troop, info_);
    }
    SelectOrganizeTroop(dialog, info_.troop, 0, 0);
    RefreshDisplay();
    const int tab = info_.exchangeFlag != 0 ? 0 : info_.page;
    ui::SendDlgItemMessage(dialog, kIdInfoTabs, ui::TCM_SETCURSEL, ui::WParam(tab), 0);
}

}  // namespace

TroopInfoState& GetTroopInfoState() {
    if (gOpen) {
        if (auto* open = ui::DialogObjectOf<TroopInfoDialog>(gOpen)) return open->State();
    }
    return gNext;
}

int SetTroopInfoTitle(const char* text) {
    const std::string t = text ? text : "";
    gNext.title = t.substr(0, 79);
    return int(t.size()) + 1;
}

int IssueMemberSettings(OrganizeWorld& world, std::uint16_t troop, std::uint16_t supplyAfter,
                        const std::array<std::uint8_t, 38>& block) {
    // The same order either way: a game's step applies it; outside a game it applies at once.
    std::optional<rules::GameContext> ctx;
    std::optional<sim::ImmediateOrders> immediate;
    sim::OrderSink* orders = world.simulation;
    if (!orders) {
        ctx.emplace(*world.tables, rules::GameContextEnv{nullptr, world.playerCountry});
        orders = &immediate.emplace(*ctx);
    }
    return sim::BuildOrder35(*orders, troop, supplyAfter, block.data());
}

void SetTroopInfoParams(int troop, int infoFlag, int page, int country, int exchangeFlag) {
    gNext.troop = std::int16_t(troop);
    gNext.infoFlag = std::uint16_t(infoFlag);
    gNext.page = std::uint16_t(std::clamp(page, 0, 9));
    gNext.country = std::int16_t(country);
    gNext.exchangeFlag = std::uint16_t(exchangeFlag);
}

std::array<std::uint8_t, 38> BuildMemberSettingsPayload(rules::TroopCursor& troop) {
    std::array<std::uint8_t, 38> block{};
    for (int i = 0; i < 6; ++i) {
        std::uint8_t* slot = block.data() + 5 * i;
        slot[0] = troop.GetMemberPack(i);
        slot[1] = troop.GetMemberByte22(i, 0);
        slot[2] = troop.GetMemberByte22(i, 1);
        slot[3] = troop.GetMemberByte24(i, 0);
        slot[4] = troop.GetMemberByte24(i, 1);
    }
    const int f = troop.GetCurrentFormation();
    block[30] = troop.GetFormationByte236(f);
    block[31] = troop.GetFormationByte237(f);
    block[32] = troop.GetFormationByte238(f);
    block[33] = troop.GetFormationByte239(f);
    block[34] = troop.GetFormationByte240(f);
    block[35] = std::uint8_t(f);
    block[36] = troop.GetSlotByte();
    block[37] = 0;
    return block;
}

int RunTroopInfoDialog(ui::Hwnd owner) {
    OrganizeWorld* world = World();
    const TroopInfoState info = gNext;
    if (!world || !world->tables || !world->troopCache || info.troop < 0) return 0;
    rules::TroopCursor table(*world->tables);
    if (!table.Select(std::uint16_t(info.troop)) || !table.GetRecord()->IsUsed()) return 0;
    RegisterOrganizeWindows();
    SetTroopInfoExtraFlag(info.exchangeFlag != 0 || table.GetCarrier() != rules::kNoTroop ? 1 : 0);
    rules::CachedTroopCursor troop(*world->tables, *world->troopCache);
    SelectCached(troop, info);
    const intptr_t result = ui::DialogBoxParam(nullptr, kOrganizeDialog, owner, TroopInfoDlgProc, 0);
    if (result == 1 && SelectCached(troop, info)) {
        const std::array<std::uint8_t, 38> block = BuildMemberSettingsPayload(troop);
        const std::uint16_t supplyAfter = info.exchangeFlag != 0 ? 1 : 0;
        IssueMemberSettings(*world, std::uint16_t(info.troop), supplyAfter, block);
    }
    // The copy held the dialog's edits (kept or cancelled): the next look at the troop reads the
    // table again, where the order puts the settings.
    troop.ResetCache();
    SetTroopInfoExtraFlag(0);
    return result == 1 ? 1 : 0;
}

intptr_t TroopInfoDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<TroopInfoDialog>(dialog, msg, w, l);
}

namespace {

// Runs the dialog with the simulation's dialog bit held, so no clock step runs meanwhile.
int RunHoldingBusyBit(ui::Hwnd owner) {
    OrganizeWorld* world = World();
    sim::Simulation* simulation = world ? world->simulation : nullptr;
    if (simulation) simulation->SetBusyBit(sim::kBusyDialog, 1);
    const int result = RunTroopInfoDialog(owner);
    if (simulation) simulation->SetBusyBit(sim::kBusyDialog, 0);
    return result;
}

}  // namespace

int ShowTroopInfo(ui::Hwnd owner, std::uint8_t country, std::uint16_t troop, int mode) {
    SetTroopInfoTitle(ToSjis("部隊情報").c_str());
    int index = troop;
    if (index < rules::kTroopsPerCountry && mode == 0) index = country * rules::kTroopsPerCountry + index;
    SetTroopInfoParams(index, mode, 0, country, 0);
    return RunHoldingBusyBit(owner);
}

int ShowWeaponExchange(ui::Hwnd owner, std::uint16_t troop) {
    SetTroopInfoTitle(ToSjis("武装交換").c_str());
    int country = 0;
    if (OrganizeWorld* world = World(); world && world->tables) {
        rules::TroopCursor troops(*world->tables);
        if (troops.Select(troop)) country = troops.GetCountry();
    }
    SetTroopInfoParams(troop, 0, kWeaponPage, country, kExchangeFlag);
    return RunHoldingBusyBit(owner);
}

}  // namespace zv::organize
