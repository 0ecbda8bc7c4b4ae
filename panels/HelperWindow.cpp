#include "panels/HelperWindow.h"

#include <string>
#include <vector>

#include "framework/ProcessState.h"
#include "framework/gui/ControlCreators.h"
#include "framework/gui/ListViewRows.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/ListRows.h"
#include "panels/PanelCommon.h"
#include "panels/PanelWorld.h"
#include "panels/ToolBar.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/controls/ImageList.h"
#include "rules/context/GameContext.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/troops/Placement.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"
#include "shell/ShellDialogs.h"
#include "shell/WindowRegistry.h"
#include "simulation/CommandRecords.h"
#include "simulation/Production.h"
#include "simulation/Simulation.h"
#include "simulation/Judgement.h"

namespace zv::panels {

namespace {

constexpr const char* kClass = "HelperWindow";
constexpr int kHeadquartersKind = 101;
constexpr int kHelperWidth = 194;

// The request the reinforcement dialog is choosing for.
struct ReinforcementRequest {
    std::uint8_t country = 0;
    std::uint16_t hex = rules::kNoHex;
    int siteFlag = 0;
};

void FreeMarks(ui::ImageList*& marks) {
    if (marks != nullptr) ui::ImageList_Destroy(marks);
    marks = nullptr;
}

rules::GameContextEnv PanelContextEnv() {
    rules::GameContextEnv env;
    env.playerCountry = fw::GetPlayerCountry();
    return env;
}

bool CountryAtWar(rules::TableDirectory& tables, std::uint8_t c) {
    rules::CountryCursor country(tables);
    return c < 4 && country.Select(c) && country.GetState() == sim::kCountryInPlay;
}

// The site on the hex serves the troop: its kind's land class sells and supplies (3 in the top
// four bits) to one of the troop's kind types. A hex without a site, or with a site of a kind
// the tables do not know, serves nobody.
bool SiteServes(rules::GameContext& ctx, rules::ForceCursor& force) {
    const std::uint16_t site = ctx.GetHexSiteIndex();
    if (site == rules::kNoSiteIndex || !ctx.Sites().Select(site)) return false;
    const std::uint8_t kind = ctx.Sites().GetKind();
    if (kind >= rules::kSiteKindCount) return false;
    rules::LandKindCursor& lands = ctx.LandKinds();
    if (!lands.Select(rules::kFirstSiteClass + kind)) return false;
    const std::uint16_t flags = lands.GetSupplyFlag();
    return ((flags >> 12) & 0xF) == 3 && (flags & 0x0FFF & rules::GetUnitKindClassBits(force)) != 0;
}

std::string HexText(std::uint16_t hex) {
    if ((hex & 0xFF) == 0xFF || hex > 65279) return "(--,--)";
    return Format("(%2d,%2d)", hex & 0xFF, hex >> 8);
}

std::string TroopName(rules::TroopCursor& troop) {
    return core::SjisToUtf8(troop.GetName());
}

void AddTroopColumns(ui::Hwnd list) {
    ui::Rect r{};
    ui::GetClientRect(list, &r);
    const int w = (r.right - r.left) / 30;
    AddListColumn(list, 0, "部隊名", 14 * w);
    AddListColumn(list, 1, "座  標", 8 * w);
    AddListColumn(list, 2, "状  態", 8 * w + 4);
}

// ---- The helper window.

// The helper window: the troop of each row, the chosen row and the row marks.
class HelperPanel : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    const std::vector<std::uint16_t>& Rows() const { return helper_.rows; }

  private:
    ui::Hwnd HelperList(ui::Hwnd h) { return ui::GetDlgItem(h, IDC_HELPER_LIST); }

    void SetWithdrawEnabled(ui::Hwnd h, bool on) {
        ui::EnableWindow(ui::GetDlgItem(h, IDC_HELPER_WITHDRAW), on);
    }

    void FillHelperList(ui::Hwnd h) {
        const ui::Hwnd list = HelperList(h);
        ClearListRows(list);
        helper_.rows.clear();
        rules::TableDirectory* tables = PanelTables();
        const std::uint8_t c = fw::GetPlayerCountry();
        if (tables == nullptr || !CountryAtWar(*tables, c)) return;
        rules::ForceCursor force(*tables, c);
        force.SelectSlot(c);
        for (std::uint16_t i = 0; i < rules::kForceTroopCount; ++i) {
            if (!force.SelectForceTroop(i) || !force.GetRecord()->IsUsed()) continue;
            const std::uint16_t flags = force.GetStateFlags();
            if (!(flags & kRequestPending) || (flags & kRequestExcluded)) continue;
            AddListRow(list,
                       {TroopName(force), HexText(force.GetHexValue()), force.GetStatusText(0, c)},
                       TroopMarkImage(c, force.GetIcon()));
            helper_.rows.push_back(i);
        }
    }

    bool RowHasTroop(int row) { return row >= 0 && row < int(helper_.rows.size()); }

    bool RequestStillPending(std::uint16_t troop) {
        rules::TableDirectory* tables = PanelTables();
        if (tables == nullptr) return false;
        const std::uint8_t c = fw::GetPlayerCountry();
        rules::ForceCursor force(*tables, c);
        force.SelectSlot(c);
        return force.SelectForceTroop(troop) && (force.GetStateFlags() & kRequestPending);
    }

    void LayOutHelper(ui::Hwnd h) {
        ui::Rect pr{};
        if (ui::Hwnd parent = ui::GetParent(h)) ui::GetClientRect(parent, &pr);
        const int height = ((pr.bottom - pr.top) / 16) * 16;
        ui::SetWindowPos(h, ui::Hwnd{}, 0, 0, kHelperWidth, height,
                         ui::SWP_NOMOVE | ui::SWP_NOZORDER);
        ui::MoveWindow(HelperList(h), 0, 0, kHelperWidth, std::max(0, height - 44), true);
        ui::MoveWindow(ui::GetDlgItem(h, IDC_HELPER_WITHDRAW), 115, std::max(0, height - 44), 70,
                       22, true);
    }

    void WithdrawSelected(ui::Hwnd h) {
        if (!RowHasTroop(helper_.selected)) return;
        const std::uint16_t troop = helper_.rows[helper_.selected];
        const std::uint8_t c = fw::GetPlayerCountry();
        if (rules::TableDirectory* tables = PanelTables()) {
            rules::ForceCursor force(*tables, c);
            force.SelectSlot(c);
            if (force.SelectForceTroop(troop)) {
                force.SetStateFlags(std::uint16_t(force.GetStateFlags() & ~kRequestPending));
                force.GetRecord()->SetHex(rules::kNoHex);
            }
        }
        if (PanelWorld* world = CurrentPanelWorld(); world && world->simulation)
            sim::BuildOrder39(*world->simulation, troop, c);
        FillHelperList(h);
        helper_.selected = -1;
        SetWithdrawEnabled(h, false);
    }

  public:
    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        const ui::Hwnd h = Handle();
        switch (msg) {
            case ui::WM_CREATE: {
                const ui::Hwnd list = fw::CreateListViewCtl(
                    h, IDC_HELPER_LIST, 0, 0, kHelperWidth, 436,
                    ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_BORDER | ui::LVS_REPORT |
                        ui::LVS_SINGLESEL | ui::LVS_SHOWSELALWAYS | ui::LVS_OWNERDRAWFIXED |
                        ui::LVS_NOSORTHEADER);
                ui::Hwnd button =
                    ui::CreateWindowEx(0, "BUTTON", core::Utf8ToSjis("要請破棄"),
                                       ui::WS_CHILD | ui::WS_VISIBLE | ui::BS_PUSHBUTTON, 115, 436,
                                       70, 22, h, IDC_HELPER_WITHDRAW, nullptr, nullptr);
                ui::EnableWindow(button, false);
                AddTroopColumns(list);
                FreeMarks(helper_.marks);
                helper_.marks = AttachTroopMarks(list);
                ui::SetWindowPos(h, ui::Hwnd{}, 0, 0, 196, 480, ui::SWP_NOMOVE | ui::SWP_NOZORDER);
                helper_.selected = -1;
                helper_.rows.clear();
                return 0;
            }
            case ui::WM_SIZE:
                LayOutHelper(h);
                FillHelperList(h);
                return 1;
            case ui::WM_SHOWWINDOW:
                if (w != 0) {
                    LayOutHelper(h);
                    FillHelperList(h);
                }
                return 0;
            case ui::WM_DESTROY:
                FreeMarks(helper_.marks);
                helper_.rows.clear();
                helper_.selected = -1;
                shell::ForgetWindowOfKind(shell::WindowKind::HelperWindow, h);
                return 0;
            case ui::WM_DRAWITEM:
                fw::DrawOwnerDrawItem(h, int(w), reinterpret_cast<const ui::DrawItemStruct*>(l),
                                      10);
                return 1;
            case ui::WM_NOTIFY: {
                const auto* hdr = reinterpret_cast<const ui::NmHdr*>(l);
                if (hdr == nullptr || hdr->idFrom != IDC_HELPER_LIST) break;
                if (hdr->code != ui::NM_CLICK && hdr->code != ui::NM_RCLICK &&
                    hdr->code != ui::LVN_BEGINDRAG) {
                    break;
                }
                const int row = reinterpret_cast<const ui::NmListView*>(l)->iItem;
                if (!RowHasTroop(row)) {
                    helper_.selected = -1;
                    SetWithdrawEnabled(h, false);
                } else {
                    helper_.selected = row;
                    SetWithdrawEnabled(h, RequestStillPending(helper_.rows[row]));
                }
                return 0;
            }
            case ui::WM_COMMAND:
                if (ui::LoWord(w) == IDC_HELPER_WITHDRAW) {
                    WithdrawSelected(h);
                    return 0;
                }
                break;
            case WM_REFRESH_TROOP_LIST:
                FillHelperList(h);
                if (!RowHasTroop(helper_.selected)) {
                    helper_.selected = -1;
                    SetWithdrawEnabled(h, false);
                }
                return 1;
            default:
                break;
        }
        return Default(msg, w, l);
    }

  private:
    struct {
        std::vector<std::uint16_t> rows;
        int selected = -1;
        ui::ImageList* marks = nullptr;
    } helper_;
};

ui::LResult HelperProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<HelperPanel>(h, msg, w, l);
}

// ---- Dialog 351.

// The troops that may come in at the request's hex; it ends with the chosen troop, or
// kNoTroop.
class ReinforcementDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                if (const auto* request = reinterpret_cast<const ReinforcementRequest*>(l))
                    request_ = *request;
                OnInitDialog();
                return 1;
            case ui::WM_NOTIFY:
                return OnNotify(reinterpret_cast<const ui::NmHdr*>(l));
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(w));
            case ui::WM_CLOSE:
                End(rules::kNoTroop);
                return 1;
            case ui::WM_DESTROY:
                FreeMarks(marks_);
                return 0;
            case ui::WM_DRAWITEM:
                fw::DrawOwnerDrawItem(Handle(), int(w), reinterpret_cast<const ui::DrawItemStruct*>(l),
                                      10);
                return 1;
            default:
                return 0;
        }
    }

  private:
    void OnInitDialog() {
        const ui::Hwnd dlg = Handle();
        const ui::Hwnd list = Item(IDC_REINFORCE_LIST);
        AddTroopColumns(list);
        FreeMarks(marks_);
        marks_ = AttachTroopMarks(list);
        rows_.clear();
        if (rules::TableDirectory* tables = PanelTables()) {
            rows_ = EligibleReinforcements(*tables, request_.country, request_.hex,
                                           request_.siteFlag);
            rules::ForceCursor force(*tables, request_.country);
            force.SelectSlot(request_.country);
            for (std::uint16_t t : rows_) {
                force.SelectForceTroop(t);
                AddListRow(list, {TroopName(force), "(--,--)",
                                  force.GetStatusText(0, request_.country)},
                           TroopMarkImage(request_.country, force.GetIcon()));
            }
        }
        ui::SetDlgItemText(dlg, IDC_REINFORCE_COUNT, Format("%3d", int(rows_.size())));
        ui::Rect r{};
        ui::GetWindowRect(dlg, &r);
        fw::CenterWindowOnScreen(dlg, r.right - r.left, r.bottom - r.top, ui::SWP_NOZORDER);
        selected_ = -1;
        SetSendEnabled(false);
    }

    intptr_t OnNotify(const ui::NmHdr* hdr) {
        if (hdr == nullptr || hdr->idFrom != IDC_REINFORCE_LIST) return 0;
        if (hdr->code != ui::NM_CLICK && hdr->code != ui::NM_RCLICK &&
            hdr->code != ui::LVN_BEGINDRAG) {
            return 0;
        }
        const int row = reinterpret_cast<const ui::NmListView*>(hdr)->iItem;
        selected_ = (row >= 0 && row < int(rows_.size())) ? row : -1;
        SetSendEnabled(selected_ >= 0);
        return 1;
    }

    intptr_t OnCommand(int id) {
        switch (id) {
            case IDC_REINFORCE_SEND: {
                if (selected_ < 0) {
                    End(rules::kNoTroop);
                    return 1;
                }
                const std::uint16_t troop = rows_[size_t(selected_)];
                if (HasHeadquarters(troop)) {
                    ui::MessageBox(Handle(), core::Utf8ToSjis("司令部は増援できません。"),
                                   shell::kGameTitle, ui::MB_OK);
                    return 1;
                }
                End(troop);
                return 1;
            }
            case ui::IDCANCEL:
                End(rules::kNoTroop);
                return 1;
            default:
                return 0;
        }
    }

    bool HasHeadquarters(std::uint16_t troop) const {
        rules::TableDirectory* tables = PanelTables();
        if (tables == nullptr) return false;
        rules::ForceCursor force(*tables, request_.country);
        force.SelectSlot(request_.country);
        return force.SelectForceTroop(troop) && rules::CountHqMembers(force) > 0;
    }

    void SetSendEnabled(bool on) { ui::EnableWindow(Item(IDC_REINFORCE_SEND), on); }

    ReinforcementRequest request_;
    std::vector<std::uint16_t> rows_;
    int selected_ = -1;
    ui::ImageList* marks_ = nullptr;
};

}  // namespace

bool IsReinforcementEligible(rules::GameContext& ctx, rules::ForceCursor& force,
                             std::uint16_t troop, int x, int y, int siteFlag, bool listing) {
    if (!force.SelectForceTroop(troop) || !force.GetRecord()->IsUsed()) return false;
    const std::uint16_t flags = force.GetStateFlags();
    if (flags & (kRequestPending | kRequestExcluded)) return false;
    if (listing && (flags & rules::kTroopOnMap)) return false;
    if (!ctx.SelectHexInfoXY(x, y)) return false;
    const bool high = force.RefreshAltitudeClass() == 3;
    const std::uint8_t terrain = ctx.GetHexTerrainClass(high ? 1 : 0);
    if (terrain >= rules::kMoveCostClasses) return false;
    std::uint8_t defaults[rules::kMoveCostClasses];
    const std::uint8_t* mask = nullptr;
    if (rules::CountMembersOfClass6(force) > 0) {
        rules::FillDefaultTerrainMask(defaults);
        mask = defaults;
    } else {
        mask = rules::GetMoveCostTable(force);
    }
    if (mask[terrain] == 0 || mask[terrain] == 255) return false;
    const bool hexFree = ctx.GetHexTroopIndex() == rules::kNoTroopIndex;
    if (siteFlag) return hexFree && SiteServes(ctx, force);
    if (high) return true;
    return hexFree && SiteServes(ctx, force);
}

std::vector<std::uint16_t> EligibleReinforcements(rules::TableDirectory& tables, std::uint8_t c,
                                                  std::uint16_t hex, int siteFlag) {
    std::vector<std::uint16_t> out;
    if (c > 3) return out;
    rules::GameContext ctx(tables, PanelContextEnv());
    rules::ForceCursor force(tables, c);
    force.SelectSlot(c);
    for (std::uint16_t i = 0; i < rules::kForceTroopCount; ++i) {
        if (IsReinforcementEligible(ctx, force, i, hex & 0xFF, hex >> 8, siteFlag, true))
            out.push_back(i);
    }
    return out;
}

std::uint16_t RequestReinforcements(ui::Hwnd owner, std::uint8_t country, std::uint16_t hex,
                                    int siteFlag) {
    rules::TableDirectory* tables = PanelTables();
    if (tables == nullptr || !CountryAtWar(*tables, country)) return rules::kNoTroop;
    {
        rules::GameContext ctx(*tables, PanelContextEnv());
        if (!sim::IsProductionEnabled(ctx)) return rules::kNoTroop;
    }
    // The dialog lists the troops that are not on the map; the same test decides whether it
    // opens, so it never opens empty.
    if (EligibleReinforcements(*tables, country, hex, siteFlag).empty()) return rules::kNoTroop;
    RegisterHelperDialogs();
    SetToolPanelEnabled(0);
    SetPanelBusyBit(0, 1);
    ReinforcementRequest request;
    request.country = country;
    request.hex = hex;
    request.siteFlag = siteFlag;
    const intptr_t result =
        ui::DialogBoxParam(nullptr, kReinforcementDialog, owner,
                           ui::DialogObjectProc<ReinforcementDialog>,
                           reinterpret_cast<ui::LParam>(&request));
    const std::uint16_t troop =
        (result >= 0 && result < rules::kForceTroopCount) ? std::uint16_t(result) : rules::kNoTroop;
    if (troop != rules::kNoTroop) {
        rules::ForceCursor force(*tables, country);
        force.PlaceTroopAt(troop, hex, country);
        if (PanelWorld* world = CurrentPanelWorld(); world && world->simulation)
            sim::BuildOrder46(*world->simulation, troop, hex, country);
        if (ui::Hwnd helper = shell::GetWindowOfKind(shell::WindowKind::HelperWindow))
            ui::SendMessage(helper, WM_REFRESH_TROOP_LIST, 0, 0);
    }
    SetPanelBusyBit(0, 0);
    SetToolPanelEnabled(1);
    return troop;
}

const std::vector<std::uint16_t>& HelperWindowRows() {
    static const std::vector<std::uint16_t> kNone;
    const auto* helper = ui::WindowObjectOf<HelperPanel>(
        shell::GetWindowOfKind(shell::WindowKind::HelperWindow), kClass);
    return helper ? helper->Rows() : kNone;
}

bool RegisterHelperWindowClass() {
    return RegisterPanelClass(kClass, HelperProc, true);
}

ui::Hwnd CreateHelperWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style) {
    (void)instance;
    if (!RegisterHelperWindowClass()) return {};
    return CreatePanelWindow(kClass, "ヘルパーウインドウ", parent, menu, style);
}

void RegisterHelperDialogs() {
    static bool done = false;
    if (done) return;
    done = true;
    ui::DialogTemplate t;
    t.number = kReinforcementDialog;
    t.title = "増援部隊選択";
    t.style = ui::WS_POPUP | ui::WS_CAPTION | ui::WS_SYSMENU | ui::DS_MODALFRAME;
    t.cx = 200;
    t.cy = 170;
    t.items.push_back({IDC_REINFORCE_LIST, "SysListView32", "", 6, 6, 188, 130,
                       ui::WS_BORDER | ui::WS_TABSTOP | ui::LVS_REPORT | ui::LVS_SINGLESEL |
                           ui::LVS_SHOWSELALWAYS | ui::LVS_OWNERDRAWFIXED | ui::LVS_NOSORTHEADER});
    t.items.push_back({0, "STATIC", "残部隊数：", 6, 146, 40, 10, 0});
    t.items.push_back({IDC_REINFORCE_COUNT, "STATIC", "", 48, 146, 20, 10, 0});
    t.items.push_back({IDC_REINFORCE_SEND, "BUTTON", "増援", 90, 144, 50, 14,
                       ui::BS_DEFPUSHBUTTON | ui::WS_TABSTOP});
    t.items.push_back({ui::IDCANCEL, "BUTTON", "キャンセル", 144, 144, 50, 14, ui::WS_TABSTOP});
    ui::DialogRegistry::Global().Add(std::move(t));
}

}  // namespace zv::panels
