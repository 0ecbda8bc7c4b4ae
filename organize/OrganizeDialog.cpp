#include "organize/OrganizeDialog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/gui/GdiHelpers.h"
#include "framework/gui/TextFields.h"
#include "framework/gui/WindowUtilities.h"
#include "organize/AutoDeploy.h"
#include "organize/CorpsFiles.h"
#include "organize/DragDrop.h"
#include "organize/OrganizeWorld.h"
#include "organize/TroopDisplay.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/controls/ImageList.h"
#include "rules/context/GameContext.h"
#include "rules/records/CachedTroopCursor.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/records/RuleRecords.h"
#include "rules/records/TroopRecord.h"
#include "rules/troops/Placement.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"
#include "shell/WindowRegistry.h"
#include "shell/skin/SkinControls.h"
#include "simulation/Simulation.h"
#include "rules/records/MapRecords.h"

namespace zv::organize {

namespace {

// The parameters of the next opening (SetOrganizeTitle, SetOrganizeParams, the edit flags); an
// open dialog works on its own copy, so nothing of one opening stays behind for the next.
OrganizeState gNext;
// The open organisation dialog (at most one is open at a time), for the calls that name none.
ui::Hwnd gOpen{};
UnitKindInfoDialog gUnitInfoDialog = nullptr;
std::string gSaveFile;
std::string gSaveError;

OrganizeWorld& World() { return *CurrentOrganizeWorld(); }

// The child control `id` of the dialog, also when it lies inside one of the two tab controls.
ui::Hwnd ItemOf(ui::Hwnd dialog, int id) {
    if (ui::Hwnd h = ui::GetDlgItem(dialog, id)) return h;
    for (int tab : {kIdListTabs, kIdInfoTabs}) {
        if (ui::Hwnd t = ui::GetDlgItem(dialog, tab)) {
            if (ui::Hwnd h = ui::GetDlgItem(t, id)) return h;
        }
    }
    return {};
}

ui::Hwnd ListTabs(ui::Hwnd dialog) { return ui::GetDlgItem(dialog, kIdListTabs); }

ui::Hwnd Display(ui::Hwnd dialog) { return ItemOf(dialog, kIdTroopDisplay); }

// Text of an edit cut to `limit` bytes, never inside a double-byte character.
std::string EditText(ui::Hwnd dialog, int id, std::size_t limit) {
    std::string text = ui::GetDlgItemText(dialog, id);
    std::size_t n = 0;
    while (n < text.size() && n < limit) {
        const std::size_t step =
            (static_cast<unsigned char>(text[n]) >= 0x81 &&
             (static_cast<unsigned char>(text[n]) <= 0x9F ||
              (static_cast<unsigned char>(text[n]) >= 0xE0 &&
               static_cast<unsigned char>(text[n]) <= 0xFC)))
                ? 2
                : 1;
        if (n + step > limit) break;
        n += step;
    }
    text.resize(std::min(n, text.size()));
    return text;
}

int Ask(ui::Hwnd dialog, const std::string& text, const std::string& caption) {
    return OrganizeMessageBox(dialog, text, caption, ui::MB_YESNO);
}

void Tell(ui::Hwnd dialog, const std::string& text) {
    OrganizeMessageBox(dialog, text, kOrganizeCaption, ui::MB_OK);
}

int ComboCode(ui::Hwnd dialog) {
    const auto sel = ui::SendDlgItemMessage(dialog, kIdAltitudeCombo, ui::CB_GETCURSEL, 0, 0);
    return sel < 0 ? 0 : int(sel) + 1;
}

void ForgetScratch() {
    if (World().workspace) rules::ForgetForceScratchCopy(*World().workspace);
}

// The hex of the country's deployment area nearest the area's middle; rules::kNoHex without an area.
std::uint16_t DeploymentAreaCentre(rules::TableDirectory& tables, std::uint8_t country) {
    rules::HexCursor hexes(tables);
    long sumX = 0, sumY = 0, count = 0;
    for (int y = 0; y < rules::kMapSize; ++y) {
        for (int x = 0; x < rules::kMapSize; ++x) {
            if (!hexes.SelectXY(rules::MakeHexPosition(x, y)) || hexes.GetCountry() != country) continue;
            sumX += x;
            sumY += y;
            ++count;
        }
    }
    if (count == 0) return rules::kNoHex;
    const long midX = sumX / count, midY = sumY / count;
    std::uint16_t best = rules::kNoHex;
    long bestDistance = 0;
    for (int y = 0; y < rules::kMapSize; ++y) {
        for (int x = 0; x < rules::kMapSize; ++x) {
            if (!hexes.SelectXY(rules::MakeHexPosition(x, y)) || hexes.GetCountry() != country) continue;
            const long d = (x - midX) * (x - midX) + (y - midY) * (y - midY);
            if (best == rules::kNoHex || d < bestDistance) {
                best = rules::MakeHexPosition(x, y);
                bestDistance = d;
            }
        }
    }
    return best;
}

rules::GameContext MakeContext() {
    OrganizeWorld& w = World();
    return rules::GameContext(*w.tables, w.simulation ? w.simulation->ContextEnv()
                                                      : rules::GameContextEnv{nullptr, w.playerCountry});
}

// Dialog 323 in corps editing and in deployment mode. The object owns the dialog's state: the
// fonts, the lists' image lists, the list tab's own procedure and the OrganizeState the lists
// and the troop display read through GetOrganizeState while it is open.
class OrganizeDialog : public ui::DialogObject {
  public:
    explicit OrganizeDialog(ui::Hwnd dialog) : DialogObject(dialog) {
        // The caller's parameters for this opening; the rest starts afresh.
        s_.title = gNext.title;
        s_.selectedTroop = gNext.selectedTroop;
        s_.corpsFlag = gNext.corpsFlag;
        s_.infoPage = gNext.infoPage;
        s_.scope = gNext.scope;
        s_.deployFlag = gNext.deployFlag;
        s_.editingFlag = gNext.editingFlag;
        s_.packChoiceFlag = gNext.packChoiceFlag;
    }

    intptr_t Dispatch(std::uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInit();
                return 0;
            case ui::WM_NOTIFY:
                if (const auto* hdr = reinterpret_cast<const ui::NmHdr*>(l)) OnNotify(hdr, l);
                return 0;
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(w), ui::HiWord(w), l);
            case ui::WM_TIMER:
                UpdateOrganizeButtons(Handle());
                return 1;
            case WM_ORGANIZE_DISCARD:
                OnDiscard(l);
                return 1;
            case WM_ORGANIZE_PLACEMENT_CHANGED:
                if (s_.deployFlag == 1) AfterPlacementChange(false);
                return 1;
            case ui::WM_LBUTTONUP:
                OnLButtonUp(w, l);
                return 1;
            case ui::WM_CLOSE:
                OnClose();
                return 1;
            case ui::WM_DESTROY:
                OnDestroy();
                return 0;
            default:
                return 0;
        }
    }

    OrganizeState& State() { return s_; }
    ui::WndProc TabProc() const { return tabProc_; }

  private:
    void RefreshDisplay(ui::WParam w = 0) {
        if (ui::Hwnd d = Display(Handle())) {
            ui::SendMessage(d, WM_TROOP_INFO_REFRESH, w,
                            ui::LParam((s_.corpsFlag << 16) | std::uint16_t(s_.selectedTroop)));
        }
    }
    void StopTimer() {
        if (s_.deployFlag == 0) ui::KillTimer(Handle(), kButtonTimer);
    }
    void StartTimer() {
        if (s_.deployFlag == 0) ui::SetTimer(Handle(), kButtonTimer, 100, nullptr);
    }
    void EnableRegistrationButtons(bool on) {
        for (int id : {kIdChangeEntry, kIdRegisterTemplate, kIdRegisterTroop}) {
            if (ui::Hwnd b = ui::GetDlgItem(Handle(), id)) ui::EnableWindow(b, on);
        }
    }

    void OnInit();
    void OnNotify(const ui::NmHdr* hdr, ui::LParam l);
    intptr_t OnCommand(int id, int code, ui::LParam l);
    void OnRegister(int id);
    void OnAltitudeChange();
    void OnDiscard(ui::LParam l);
    void OnLButtonUp(ui::WParam w, ui::LParam l);
    void OnClose();
    void OnDestroy();
    void OnListNotify(const ui::NmHdr* hdr, ui::LParam l);

    // Deployment mode.
    ui::Hwnd DeploymentMap() { return ItemOf(Display(Handle()), kIdMapView); }
    void SetPlacementTroop(std::uint16_t troop) {
        if (ui::Hwnd map = DeploymentMap()) ui::SendMessage(map, WM_MAP_SET_PLACEMENT_TROOP, troop, s_.playerCountry);
    }
    void AfterPlacementChange(bool rebuildMap);
    void OnDeployListClick(const ui::NmHdr* hdr, int row);
    void OnReturnToTitle(ui::LParam l);
    int OnDeployCommand(int id, ui::LParam l);

    OrganizeState s_;
    ui::WndProc tabProc_ = nullptr;
};

OrganizeDialog* OpenDialog() {
    return gOpen ? ui::DialogObjectOf<OrganizeDialog>(gOpen) : nullptr;
}

// The tab control of the lists passes its lists' notifications on to the dialog.
ui::LResult ListTabProc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    if (msg == ui::WM_NOTIFY) {
        const auto* hdr = reinterpret_cast<const ui::NmHdr*>(l);
        if (hdr && hdr->hwndFrom != h) return ui::SendMessage(ui::GetParent(h), msg, w, l);
    }
    if (msg == ui::WM_DRAWITEM) return ui::SendMessage(ui::GetParent(h), msg, w, l);
    // Only the organisation dialog puts this procedure on its tab, and takes it off again
    // before the dialog's object goes.
    const OrganizeDialog* dialog = ui::DialogObjectOf<OrganizeDialog>(ui::GetParent(h));
    if (!dialog || !dialog->TabProc()) return ui::DefWindowProc(h, msg, w, l);
    return ui::CallWindowProc(dialog->TabProc(), h, msg, w, l);
}

void OrganizeDialog::OnInit() {
    const ui::Hwnd dialog = Handle();
    gOpen = dialog;
    s_.dialog = dialog;
    s_.smallFont = fw::CreateJapaneseFont(10, 1, 0);
    s_.largeFont = fw::CreateJapaneseFont(12, 1, 0);
    LayoutOrganizeDialog(dialog, &s_.smallFont, &s_.largeFont);
    if (ui::Hwnd tabs = ListTabs(dialog)) {
        tabProc_ = reinterpret_cast<ui::WndProc>(
            ui::SetWindowLongPtr(tabs, ui::GWLP_WNDPROC, reinterpret_cast<intptr_t>(&ListTabProc)));
    }
    s_.unitImages = AttachListImagesB(ListTabs(dialog), kIdUnitList, nullptr);
    s_.troopImages = AttachListImagesA(ListTabs(dialog), kIdTroopList, nullptr);
    s_.templateImages = AttachListImagesA(ListTabs(dialog), kIdTemplateList, nullptr);
    ShowOrganizeListTab(dialog, 0);
    s_.altitudeClass = 1;
    s_.altitudeCode = 1;
    s_.listTab = 0;
    if (World().workspace) rules::BeginForceScratchMode(*World().workspace);
    {
        rules::ForceCursor fc(*World().tables, kWorkingForce, World().workspace);
        fc.SelectSlot(kWorkingForce);
        FillOrganizeUnitList(ListTabs(dialog), kIdUnitList, 1, fc.GetHeaderWord288());
    }
    FillOrganizeTroopLists(ListTabs(dialog), kWorkingForce);
    SelectOrganizeTroop(dialog, s_.selectedTroop, s_.corpsFlag, s_.listTab);
    RefreshDisplay();
    ui::SendDlgItemMessage(dialog, kIdInfoTabs, ui::TCM_SETCURSEL, s_.infoPage, 0);
    s_.playerCountry = World().playerCountry;
    if (s_.deployFlag == 1) {
        ui::SendDlgItemMessage(dialog, kIdListTabs, ui::TCM_SETCURSEL, 1, 0);
        s_.listTab = 1;
        ShowOrganizeListTab(dialog, 1);
        if (ui::Hwnd map = DeploymentMap()) {
            ui::SendMessage(map, WM_MAP_REBUILD, s_.playerCountry, 0);
            // The map opens on the player's own deployment area, wherever it lies.
            const std::uint16_t centre = DeploymentAreaCentre(*World().tables, std::uint8_t(s_.playerCountry));
            if (centre != rules::kNoHex) {
                ui::SendMessage(map, WM_MAP_CENTER, ui::WParam((centre & 0xFF) | ((centre >> 8) << 16)), 0);
            }
        }
        // The host starts once every player has arranged its troops.
        if (World().singlePlay == 0 && World().isSessionHost && World().isSessionHost()) {
            ui::EnableWindow(ui::GetDlgItem(dialog, kIdGameStart), false);
        }
        ShowDeploymentBudget(dialog);
    }
    SetOrganizeButtonState(dialog, 0);
    SetDragOwner(dialog);
    StartTimer();
}

void OrganizeDialog::OnNotify(const ui::NmHdr* hdr, ui::LParam l) {
    const ui::Hwnd dialog = Handle();
    if (int(hdr->idFrom) == kIdInfoTabs && hdr->code == ui::TCN_SELCHANGE) {
        s_.infoPage = std::uint16_t(ui::SendDlgItemMessage(dialog, kIdInfoTabs, ui::TCM_GETCURSEL, 0, 0));
        RefreshDisplay(s_.infoPage);
    } else if (int(hdr->idFrom) == kIdListTabs && hdr->code == ui::TCN_SELCHANGE) {
        s_.listTab = int(ui::SendDlgItemMessage(dialog, kIdListTabs, ui::TCM_GETCURSEL, 0, 0));
        ShowOrganizeListTab(dialog, s_.listTab);
    } else {
        OnListNotify(hdr, l);
    }
}

intptr_t OrganizeDialog::OnCommand(int id, int code, ui::LParam l) {
    const ui::Hwnd dialog = Handle();
    if (s_.deployFlag == 1 && OnDeployCommand(id, l)) return 1;
    switch (id) {
        case kIdRegisterTroop:
        case kIdRegisterTemplate:
        case kIdChangeEntry:
            if (s_.deployFlag == 0) OnRegister(id);
            return 1;
        case kIdAltitudeCombo:
            if (code == ui::CBN_SELCHANGE) OnAltitudeChange();
            return 1;
        case kIdCancel:
            if (Ask(dialog, "変更した内容が失われます。よろしいですか？", kOrganizeCaption) == ui::IDYES) End(0);
            return 1;
        case kIdSaveAndClose:
            End(1);
            return 1;
        case kIdTransform:
            SetOrganizeTransformFlag(0);
            RefreshDisplay();
            return 1;
        case ui::IDOK:
        case ui::IDCANCEL:
            // Enter and Esc belong to the chat window; the dialog stays open.
            if (ui::Hwnd chat = shell::GetWindowOfKind(shell::WindowKind::ChatWindow)) {
                ui::SendMessage(chat, ui::WM_COMMAND, ui::WParam(id), 0);
            }
            return 1;
        default:
            return 0;
    }
}

void OrganizeDialog::OnRegister(int id) {
    const ui::Hwnd dialog = Handle();
    StopTimer();
    EnableRegistrationButtons(false);
    const int kind = id == kIdRegisterTroop ? 0 : id == kIdRegisterTemplate ? 1 : 2;
    auto done = [&] { StartTimer(); };
    if (kind != 2) {
        const int listId = kind == 0 ? kIdTroopList : kIdTemplateList;
        const auto rows = ui::SendMessage(ItemOf(dialog, listId), ui::LVM_GETITEMCOUNT, 0, 0);
        if (rows > kRegisterLimit) {
            Tell(dialog, kind == 0 ? "部隊の登録は８０部隊までしかできません。"
                                   : "ひな型の登録は８０部隊までしかできません。");
            return done();
        }
    }
    const std::string name = fw::StripSpaces(EditText(dialog, kIdTroopName, 25).c_str());
    if (name.empty()) {
        Tell(dialog, "部隊名称が設定されていません。");
        return done();
    }
    const std::string shown = ToUtf8(name);
    const std::string question =
        kind == 0   ? "名称：" + shown + "で部隊登録します。よろしいですか"
        : kind == 1 ? "名称：" + shown + "でひな型登録します。よろしいですか"
                    : std::string("内容を変更します。よろしいですか");
    const char* caption = kind == 0 ? "部隊登録" : kind == 1 ? "ひな型登録" : "内容変更";
    if (Ask(dialog, question, caption) != ui::IDYES) return done();
    // Nowhere to store: every one of the corps' 160 troops is in use.
    if (s_.selectedTroop < 0) {
        Tell(dialog, kind == 1 ? "ひな型の登録は８０部隊までしかできません。"
                               : "部隊の登録は８０部隊までしかできません。");
        return done();
    }
    RefreshDisplay();
    s_.altitudeClass = AltitudeClassOfCode(ComboCode(dialog));
    const int storedClass = s_.altitudeClass;
    StoreOrganizeTroop(dialog, s_.selectedTroop, storedClass, kind);
    FillOrganizeTroopLists(ListTabs(dialog), kWorkingForce);
    s_.selectedTroop = -1;
    ShowOrganizeCounters(dialog);
    SelectOrganizeTroop(dialog, -1, s_.corpsFlag, s_.listTab);
    SetDefaultTroopName(dialog, storedClass);
    RefreshDisplay();
    done();
}

void OrganizeDialog::OnAltitudeChange() {
    const ui::Hwnd dialog = Handle();
    const int n = int(ui::SendDlgItemMessage(dialog, kIdAltitudeCombo, ui::CB_GETCURSEL, 0, 0));
    auto applyNew = [&] {
        if (n < 0 || n > 5) return;
        s_.altitudeCode = std::uint8_t(n + 1);
        s_.altitudeClass = AltitudeClassOfCode(n + 1);
        SetDefaultTroopName(dialog, s_.altitudeClass);
        FillOrganizeUnitList(ListTabs(dialog), kIdUnitList, n + 1, kKeepUnitFilter);
    };
    if (s_.selectedTroop < 0) return applyNew();
    const int c = GetScratchAltitudeCode();
    StopTimer();
    EnableRegistrationButtons(false);
    if (c == 0) {
        applyNew();
    } else if (n != c - 1) {
        if (Ask(dialog, "高度を変更すると小隊エリアがクリアされます。よろしいですか？", "部隊構成") !=
            ui::IDYES) {
            FillOrganizeUnitList(ListTabs(dialog), kIdUnitList, c, kKeepUnitFilter);
            ui::SendDlgItemMessage(dialog, kIdAltitudeCombo, ui::CB_SETCURSEL, ui::WParam(c - 1), 0);
        } else {
            applyNew();
            rules::ForceCursor fc(*World().tables, kWorkingForce, World().workspace);
            if (fc.SelectTroop(std::uint16_t(s_.selectedTroop))) {
                for (int slot = 0; slot < 6; ++slot) rules::RemoveMember(fc, slot);
            }
            RefreshDisplay();
            s_.selectedTroop = -1;
            SelectOrganizeTroop(dialog, -1, s_.corpsFlag, s_.listTab);
            RefreshDisplay();
        }
    }
    StartTimer();
}

void OrganizeDialog::OnDiscard(ui::LParam l) {
    if (!l) return;
    const ui::Hwnd dialog = Handle();
    std::uint16_t index = 0;
    std::memcpy(&index, reinterpret_cast<const void*>(l), 2);
    rules::ForceCursor fc(*World().tables, kWorkingForce, World().workspace);
    if (!fc.SelectForceTroop(index)) return;
    fc.ResetCurrentTroop();
    // A scratch copy of the discarded troop must not come back as the new troop.
    ForgetScratch();
    FillOrganizeTroopLists(ListTabs(dialog), kWorkingForce);
    const std::uint16_t free = fc.FindFreeTroopSlot();
    s_.newTroopSlot = free == rules::kNoTroop ? -1 : std::int16_t(free);
    s_.selectedTroop = -1;
    ShowOrganizeCounters(dialog);
    SelectOrganizeTroop(dialog, -1, s_.corpsFlag, s_.listTab);
    RefreshDisplay();
}

void OrganizeDialog::OnLButtonUp(ui::WParam w, ui::LParam l) {
    if (s_.editingFlag && IsDragging()) {
        ui::Point p{ui::GetXLParam(l), ui::GetYLParam(l)};
        ui::ClientToScreen(Handle(), &p);
        if (ui::Hwnd target = FindDropTarget(p.x, p.y)) {
            ui::ScreenToClient(target, &p);
            ui::SendMessage(target, ui::WM_LBUTTONUP, w, ui::MakeLParam(p.x, p.y));
        }
    }
    EndDrag(nullptr);
}

void OrganizeDialog::OnClose() {
    // Closing the deployment screen is タイトルに戻る: in network play the session is left too,
    // so the others do not wait for this player for ever.
    if (s_.deployFlag == 1) {
        OnReturnToTitle(0);
    } else {
        End(0);
    }
}

void OrganizeDialog::OnDestroy() {
    const ui::Hwnd dialog = Handle();
    ui::KillTimer(dialog, kButtonTimer);
    // The tab keeps working after this object goes.
    if (ui::Hwnd tabs = ListTabs(dialog); tabs && tabProc_) {
        ui::SetWindowLongPtr(tabs, ui::GWLP_WNDPROC, reinterpret_cast<intptr_t>(tabProc_));
    }
    for (ui::ImageList** list : {&s_.unitImages, &s_.troopImages, &s_.templateImages}) {
        if (*list) ui::ImageList_Destroy(*list);
        *list = nullptr;
    }
    s_.smallFont = ui::Font();
    s_.largeFont = ui::Font();
    for (int id : {kIdTroopList, kIdTemplateList, kIdUnitList}) {
        if (ui::Hwnd h = ItemOf(dialog, id)) ui::DestroyWindow(h);
    }
    s_.dialog = {};
    if (gOpen == dialog) gOpen = {};
}

// After troops went onto the map or came back: the lists and the budget show the corps as it
// is now, and no troop of the old corps stays selected or waits to be placed.
void OrganizeDialog::AfterPlacementChange(bool rebuildMap) {
    const ui::Hwnd dialog = Handle();
    ForgetScratch();
    if (rebuildMap) {
        if (ui::Hwnd map = DeploymentMap()) ui::SendMessage(map, WM_MAP_REBUILD, s_.playerCountry, 0);
        SetPlacementTroop(rules::kNoTroop);
    }
    s_.selectedTroop = -1;
    ui::SetDlgItemText(dialog, kIdTroopName, "");
    ui::SetDlgItemText(dialog, kIdFormationName, "");
    FillOrganizeTroopLists(ListTabs(dialog), kWorkingForce);
    ShowDeploymentBudget(dialog);
    RefreshDisplay();
}

void OrganizeDialog::OnDeployListClick(const ui::NmHdr* hdr, int row) {
    const bool onRow = row >= 0 && row < kTroopRowCapacity &&
                       row < int(ui::SendMessage(hdr->hwndFrom, ui::LVM_GETITEMCOUNT, 0, 0)) &&
                       s_.troopRows[std::size_t(row)] >= 0;
    if (!onRow) {
        SetPlacementTroop(rules::kNoTroop);
        return;
    }
    s_.selectedTroop = s_.troopRows[std::size_t(row)];
    SelectOrganizeTroop(Handle(), s_.selectedTroop, s_.corpsFlag, s_.listTab);
    RefreshDisplay();
    SetPlacementTroop(std::uint16_t(s_.selectedTroop));
}

void OrganizeDialog::OnReturnToTitle(ui::LParam l) {
    const ui::Hwnd dialog = Handle();
    // The button's own click carries its handle; PressOrganizeReturnToTitle sends 1 instead,
    // for a session that is gone: nothing to ask then.
    const ui::Hwnd button = ui::GetDlgItem(dialog, kIdReturnToTitle);
    if (l != 0 && l != ui::LParam(button.value)) {
        End(0);
        return;
    }
    if (Ask(dialog, "タイトル画面に戻ります", kOrganizeCaption) != ui::IDYES) return;
    if (World().singlePlay == 0 && World().leaveSession) World().leaveSession();
    End(0);
}

int OrganizeDialog::OnDeployCommand(int id, ui::LParam l) {
    switch (id) {
        case kIdAutoDeploy: {
            rules::GameContext ctx = MakeContext();
            AutoDeployCorps(ctx, World().workspace, std::uint8_t(s_.playerCountry));
            AfterPlacementChange(true);
            return 1;
        }
        case kIdRecoverAll: {
            rules::GameContext ctx = MakeContext();
            rules::RecoverAllTroops(ctx, World().workspace, std::uint8_t(s_.playerCountry));
            AfterPlacementChange(true);
            return 1;
        }
        case kIdGameStart:
            if (PlayerHasHQOnMap()) {
                End(1);
            } else {
                Tell(Handle(), "司令部が配置されていません");
            }
            return 1;
        case kIdReturnToTitle:
            OnReturnToTitle(l);
            return 1;
        default:
            return 0;
    }
}

void OrganizeDialog::OnListNotify(const ui::NmHdr* hdr, ui::LParam l) {
    const ui::Hwnd dialog = Handle();
    const int id = int(hdr->idFrom);
    const bool click = hdr->code == ui::NM_CLICK || hdr->code == ui::NM_RCLICK;
    // Only these notifications carry a row.
    if (!click && hdr->code != ui::LVN_BEGINDRAG && hdr->code != ui::NM_DBLCLK) return;
    const int row = reinterpret_cast<const ui::NmListView*>(l)->iItem;
    if (id == kIdUnitList) {
        if (hdr->code == ui::LVN_BEGINDRAG && s_.editingFlag && row >= 0 && row < kUnitRowCapacity &&
            s_.unitRows[std::size_t(row)] != kNoUnitRow) {
            BeginDrag(dialog, kDragUnit, s_.unitRows[std::size_t(row)]);
        } else if (hdr->code == ui::NM_DBLCLK && row >= 0 && row < kUnitRowCapacity &&
                   s_.unitRows[std::size_t(row)] != kNoUnitRow) {
            if (gUnitInfoDialog) gUnitInfoDialog(dialog, s_.unitRows[std::size_t(row)]);
        } else if (click && row == 0 && s_.deployFlag == 0) {
            s_.selectedTroop = -1;
            SelectOrganizeTroop(dialog, -1, s_.corpsFlag, s_.listTab);
            RefreshDisplay();
        }
        return;
    }
    if (id != kIdTroopList && id != kIdTemplateList) return;
    if (s_.deployFlag == 1) {
        if (id == kIdTroopList && (click || hdr->code == ui::LVN_BEGINDRAG)) OnDeployListClick(hdr, row);
        return;
    }
    const auto& rows = id == kIdTroopList ? s_.troopRows : s_.templateRows;
    const bool onRow = row >= 0 && row < kTroopRowCapacity;
    if (hdr->code == ui::LVN_BEGINDRAG && s_.deployFlag == 0) {
        if (s_.editingFlag && onRow && rows[std::size_t(row)] >= 0) {
            const std::uint16_t index = std::uint16_t(rows[std::size_t(row)]);
            SetDragPayload(&index, sizeof index);
            BeginDrag(dialog, kDragTroop, row);
        }
        return;
    }
    if (!(click || hdr->code == ui::LVN_BEGINDRAG) || s_.deployFlag != 0) return;
    if (onRow && row < int(ui::SendMessage(hdr->hwndFrom, ui::LVM_GETITEMCOUNT, 0, 0))) {
        s_.selectedTroop = row == 0 ? -1 : rows[std::size_t(row)];
        SelectOrganizeTroop(dialog, s_.selectedTroop, s_.corpsFlag, s_.listTab);
        RefreshDisplay();
    }
    UpdateOrganizeButtons(dialog);
}

// Dialog 368: the troops and templates that mix altitudes, before the corps editor opens.
class AltitudeMixDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    intptr_t Dispatch(std::uint32_t msg, ui::WParam w, ui::LParam) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInit();
                return 1;
            case ui::WM_CLOSE:
                End(0);
                return 1;
            case ui::WM_COMMAND:
                if (ui::LoWord(w) == ui::IDCANCEL) End(0);
                return 1;
            default:
                return 0;
        }
    }

  private:
    void OnInit() {
        const ui::Hwnd dialog = Handle();
        const std::string text = BuildAltitudeMixText();
        if (text.empty()) {
            End(0);
            return;
        }
        ui::SetDlgItemText(dialog, kIdMixText, text);
        ui::SetWindowText(dialog, GetOrganizeState().title);
        ui::Rect r{};
        ui::GetWindowRect(dialog, &r);
        fw::CenterWindowOnScreen(dialog, r.right - r.left, r.bottom - r.top, 0);
    }
};

}  // namespace

OrganizeState& GetOrganizeState() {
    if (OrganizeDialog* open = OpenDialog()) return open->State();
    return gNext;
}

void EnableOrganizeGameStart(int enable) {
    if (!gOpen) return;
    if (ui::Hwnd b = ui::GetDlgItem(gOpen, kIdGameStart)) ui::EnableWindow(b, enable != 0);
}

int PressOrganizeReturnToTitle() {
    if (!gOpen || GetOrganizeState().deployFlag != 1) return 0;
    ui::SendMessage(gOpen, ui::WM_COMMAND, kIdReturnToTitle, 1);
    return 1;
}

int PlayerHasHQOnMap() {
    OrganizeWorld* world = CurrentOrganizeWorld();
    if (!world || !world->tables) return 0;
    rules::TroopCursor troops(*world->tables);
    for (std::uint16_t t = 0; t < rules::kTroopTableLimit; ++t) {
        if (!troops.Select(t) || !troops.GetRecord()->IsUsed()) continue;
        if (troops.GetCountry() != world->playerCountry || !troops.IsOnMap()) continue;
        if (rules::HasMemberOfKind(troops, rules::kHeadquartersUnitKind) != 0) return 1;
    }
    return 0;
}

void ShowDeploymentBudget(ui::Hwnd dialog) {
    OrganizeWorld& w = World();
    const std::uint8_t country = std::uint8_t(GetOrganizeState().playerCountry);
    rules::CountryCursor countries(*w.tables);
    const long funds = countries.Select(country) ? long(countries.GetFunds()) : 0L;
    rules::TroopCursor troops(*w.tables);
    const int deployed = troops.CountTroopsByAltitude(country, rules::kAnyAltitude);
    rules::ScenarioHeaderCursor header(*w.tables);
    const int limit = header.GetDeployLimit();
    char text[64];
    std::snprintf(text, sizeof text, "%9ld", funds);
    ui::SetDlgItemText(dialog, kIdFunds, text);
    std::snprintf(text, sizeof text, "%3d／%3d", deployed, limit);
    ui::SetDlgItemText(dialog, kIdDeployed, ToSjis(text));
}

int RunDeploymentDialog(ui::Hwnd owner, std::uint8_t country) {
    OrganizeWorld& w = World();
    rules::ForceCursor fc(*w.tables, kWorkingForce, w.workspace);
    fc.LoadSlotToWork(country);
    // The working force now holds this country's corps: a scratch copy of another troop is stale.
    ForgetScratch();
    w.playerCountry = country;
    SetOrganizeTitle(" ");
    SetOrganizeParams(0, 1, kDeploymentPage, kAllCountriesScope, 1);
    const int result = RunOrganizeDialog(owner);
    fc.StoreWorkToSlot(country);
    SetOrganizeParams(rules::kNoTroop, 1, 0, kAllCountriesScope, 0);
    return result;
}

std::uint8_t AltitudeCodeOfUnit(std::uint8_t altitudeClass, std::uint8_t defenceType) {
    return rules::TroopAltitudeCodeOf(altitudeClass, defenceType);
}

std::uint8_t AltitudeClassOfCode(int code) {
    static constexpr std::uint8_t kClass[7] = {0, 1, 1, 2, 3, 4, 5};
    return code >= 0 && code <= 6 ? kClass[code] : 0;
}

int SetOrganizeTitle(const char* text) {
    const std::string t = text ? text : "";
    gNext.title = t.substr(0, 83);
    return int(t.size()) + 1;
}

void SetOrganizeParams(int initialTroop, int corpsFlag, int firstPage, int scope, int deployFlag) {
    gNext.selectedTroop = std::int16_t(initialTroop);
    gNext.corpsFlag = std::uint16_t(corpsFlag);
    gNext.infoPage = std::uint16_t(std::clamp(firstPage, 0, kPageCount - 1));
    gNext.scope = std::int16_t(scope);
    gNext.deployFlag = std::uint16_t(deployFlag);
}

void SetOrganizeSaveFile(const std::string& fileName) { gSaveFile = fileName; }
const std::string& GetOrganizeSaveFile() { return gSaveFile; }
const std::string& GetOrganizeSaveError() { return gSaveError; }

void SetUnitKindInfoDialog(UnitKindInfoDialog show) { gUnitInfoDialog = show; }

int GetTroopInfoExtraFlag() { return GetOrganizeState().packChoiceFlag; }
void SetTroopInfoExtraFlag(int value) { GetOrganizeState().packChoiceFlag = value; }

void RegisterOrganizeWindows() {
    RegisterOrganizeTemplates();
    shell::skin::RegisterSkinControls(nullptr);
    shell::skin::SetTroopInfoExtraFlagQuery(&GetTroopInfoExtraFlag);
    RegisterTroopDisplayClasses();
    RegisterTrashBoxWindow();
}

int RunOrganizeDialog(ui::Hwnd owner) {
    RegisterOrganizeWindows();
    const int flag = gNext.deployFlag == 1 ? 0 : 1;
    gNext.editingFlag = flag;
    gNext.packChoiceFlag = flag;
    gSaveError.clear();
    if (gNext.deployFlag == 0 && gNext.scope == kAllCountriesScope) {
        ui::DialogBoxParam(nullptr, kAltitudeMixDialog, owner, ui::DialogObjectProc<AltitudeMixDialog>, 0);
    }
    const intptr_t result = ui::DialogBoxParam(nullptr, kOrganizeDialog, owner, OrganizeDlgProc, 0);
    if (result == 1 && gNext.deployFlag == 0) {
        rules::ForceCursor fc(*World().tables, kWorkingForce, World().workspace);
        fc.SelectSlot(kWorkingForce);
        // Only the file this corps was read from is written; without one the corps goes back
        // to the caller alone.
        if (fc.HasName() && !gSaveFile.empty()) {
            const rules::FileStatus st = fc.SaveUserForceFile(World().corpsDirectory, gSaveFile.c_str());
            if (!st.ok) {
                gSaveError = "軍団ファイル " + gSaveFile + " を保存できませんでした。";
                OrganizeMessageBox(owner, gSaveError, kOrganizeCaption, ui::MB_OK);
            }
        }
    }
    if (World().workspace) rules::EndForceScratchMode(*World().workspace);
    gNext.editingFlag = 1;
    gNext.packChoiceFlag = 1;
    return result == 1 ? 1 : 0;
}

int RunCorpsEditor(ui::Hwnd owner, const std::string& fileName) {
    rules::ForceCursor fc(*World().tables, kWorkingForce, World().workspace);
    fc.SelectSlot(kWorkingForce);
    if (!fc.LoadUserForceFile(World().corpsDirectory, fileName.c_str()).ok) {
        OrganizeMessageBox(owner, "軍団ファイル " + fileName + " を読み込めませんでした。",
                           kOrganizeCaption, ui::MB_OK);
        return 0;
    }
    const std::string title = std::string(fc.GetName()) + " " +
                              std::string(rules::GetProductionTypeName(*World().tables,
                                                                       fc.GetHeaderWord288()));
    SetOrganizeTitle(title.c_str());
    SetOrganizeParams(rules::kNoTroop, 1, 0, kAllCountriesScope, 0);
    SetOrganizeSaveFile(fileName);
    return RunOrganizeDialog(owner);
}

intptr_t OrganizeDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<OrganizeDialog>(dialog, msg, w, l);
}

// A troop of the game (table 9), as the troop information dialog shows it: through the cached
// copy its window edits. The altitude is shown, never changed.
void SelectGameTroop(ui::Hwnd dialog, int index) {
    if (!World().troopCache || index < 0) return;
    rules::CachedTroopCursor troop(*World().tables, *World().troopCache);
    if (!troop.Select(std::uint16_t(index))) return;
    ui::SetDlgItemText(dialog, kIdTroopName, std::string(troop.GetName(), strnlen(troop.GetName(), 24)));
    const char* formation = troop.GetFormationName(troop.GetCurrentFormation() & 3);
    ui::SetDlgItemText(dialog, kIdFormationName, std::string(formation, strnlen(formation, 16)));
    const std::uint8_t code = AltitudeCodeOfUnit(troop.RefreshAltitudeClass(), troop.GetDefenceType());
    ui::Hwnd combo = ui::GetDlgItem(dialog, kIdAltitudeCombo);
    ui::SendMessage(combo, ui::CB_SETCURSEL, ui::WParam(int(code) - 1), 0);
    ui::EnableWindow(combo, false);
}

void SelectOrganizeTroop(ui::Hwnd dialog, int index, int corpsFlag, int /*tab*/) {
    OrganizeState& st = GetOrganizeState();
    if (corpsFlag == 0) return SelectGameTroop(dialog, index);
    rules::ForceCursor fc(*World().tables, kWorkingForce, World().workspace);
    fc.SelectSlot(kWorkingForce);
    if (index >= 0) {
        if (!fc.SelectTroop(std::uint16_t(index)) || fc.GetSlotByte() == rules::kUnusedSlotByte) {
            st.selectedTroop = -1;
            index = -1;
        }
    }
    if (index < 0) {
        const int code = ComboCode(dialog);
        SetDefaultTroopName(dialog, AltitudeClassOfCode(code));
        const std::uint16_t free = fc.FindFreeTroopSlot();
        st.selectedTroop = st.newTroopSlot = free == rules::kNoTroop ? -1 : std::int16_t(free);
        if (st.selectedTroop >= 0 && fc.SelectTroop(free)) {
            ui::SetDlgItemText(dialog, kIdFormationName,
                               std::string(fc.GetFormationName(fc.GetCurrentFormation() & 3), 0,
                                           strnlen(fc.GetFormationName(fc.GetCurrentFormation() & 3), 16)));
        }
        return;
    }
    ui::SetDlgItemText(dialog, kIdTroopName, fc.TroopCursor::GetName());
    const std::string formation(fc.GetFormationName(fc.GetCurrentFormation() & 3), 0,
                                strnlen(fc.GetFormationName(fc.GetCurrentFormation() & 3), 16));
    ui::Hwnd combo = ui::GetDlgItem(dialog, kIdAltitudeCombo);
    if (corpsFlag == 1) {
        const std::uint8_t c = fc.RefreshAltitudeClass();
        const std::uint8_t code = AltitudeCodeOfUnit(c, fc.GetDefenceType());
        ui::SendMessage(combo, ui::CB_SETCURSEL, ui::WParam(int(code) - 1), 0);
        if (code != 0) {
            st.altitudeCode = code;
            FillOrganizeUnitList(ListTabs(dialog), kIdUnitList, code, kKeepUnitFilter);
        }
        ui::EnableWindow(combo, st.deployFlag == 0);
    } else {
        ui::EnableWindow(combo, false);
    }
    ui::SetDlgItemText(dialog, kIdFormationName, formation);
}

void StoreOrganizeTroop(ui::Hwnd dialog, int index, int altitudeClass, int kind) {
    OrganizeState& st = GetOrganizeState();
    const std::string name = EditText(dialog, kIdTroopName, 24);
    rules::ForceCursor fc(*World().tables, kWorkingForce, World().workspace);
    fc.SelectSlot(kWorkingForce);
    if (index < 0 || !fc.SelectTroop(std::uint16_t(index))) return;
    std::uint8_t slotByte = fc.GetSlotByte();
    if (slotByte == rules::kUnusedSlotByte) slotByte = 0;
    const bool wasTemplate = (fc.GetStateFlags() & rules::kTroopTemplate) != 0;
    // The class is stored as troop creation stores it everywhere else: the class itself.
    rules::CreateTroop(fc, name.c_str(), std::uint8_t(altitudeClass), slotByte);
    std::uint16_t destination = std::uint16_t(index);
    if (kind == 1) {
        fc.SetStateFlags(std::uint16_t(fc.GetStateFlags() | rules::kTroopTemplate));
    } else if (kind == 0) {
        if (wasTemplate) destination = fc.FindFreeTroopSlot();
        fc.SetStateFlags(std::uint16_t(fc.GetStateFlags() & ~rules::kTroopTemplate));
    }
    const std::string formation = EditText(dialog, kIdFormationName, 16);
    fc.SetFormationName(fc.GetCurrentFormation() & 3, formation.c_str());
    rules::RebuildAllFormations(fc);
    if (destination != rules::kNoTroop) fc.StoreScratchTroop(destination);
    ForgetScratch();
    st.selectedTroop = -1;
    st.newTroopSlot = -1;
}

void UpdateOrganizeButtons(ui::Hwnd dialog) {
    OrganizeState& st = GetOrganizeState();
    int state = 1;
    if (st.selectedTroop >= 0) {
        rules::ForceCursor fc(*World().tables, kWorkingForce, World().workspace);
        fc.SelectSlot(kWorkingForce);
        if (!fc.SelectTroop(std::uint16_t(st.selectedTroop)) || rules::CountMembers(fc) == 0) {
            state = 0;
        } else if (st.selectedTroop == st.newTroopSlot) {
            state = 1;
        } else {
            state = (fc.GetStateFlags() & rules::kTroopTemplate) ? 2 : 3;
        }
    }
    SetOrganizeButtonState(dialog, state);
}

void SetOrganizeButtonState(ui::Hwnd dialog, int state) {
    static constexpr bool kEnabled[4][3] = {
        {false, false, false}, {false, true, true}, {true, false, true}, {true, false, false}};
    const int ids[3] = {kIdChangeEntry, kIdRegisterTemplate, kIdRegisterTroop};
    if (state < 0 || state > 3) return;
    for (int i = 0; i < 3; ++i) {
        ui::Hwnd b = ui::GetDlgItem(dialog, ids[i]);
        if (!b) continue;
        ui::SendMessage(b, ui::BM_SETSTYLE, ui::BS_PUSHBUTTON, 1);
        if (ui::IsWindowEnabled(b) != kEnabled[state][i]) ui::EnableWindow(b, kEnabled[state][i]);
    }
}

int ViolatesHQPlatoonRule(int slot, int unit) {
    OrganizeState& st = GetOrganizeState();
    rules::UnitInfoCursor units(*World().tables);
    if (!units.Select(unit) || units.GetUnitKind() != 101) return 0;
    rules::ForceCursor fc(*World().tables, kWorkingForce, World().workspace);
    fc.SelectSlot(kWorkingForce);
    if (st.selectedTroop < 0 || !fc.SelectTroop(std::uint16_t(st.selectedTroop))) return 0;
    for (int s = 0; s < 6; ++s) {
        if (!rules::SelectSlotUnit(fc, s)) continue;
        if (fc.GetUnitKind() == 101) return s != slot ? 1 : 0;
    }
    return 0;
}

std::uint8_t GetScratchAltitudeCode() {
    OrganizeState& st = GetOrganizeState();
    rules::ForceCursor fc(*World().tables, kWorkingForce, World().workspace);
    fc.SelectSlot(kWorkingForce);
    if (st.selectedTroop < 0 || !fc.SelectTroop(std::uint16_t(st.selectedTroop))) return 0;
    for (int s = 0; s < 6; ++s) {
        if (!rules::SelectSlotUnit(fc, s) || fc.GetAltitudeClass() == 0) continue;
        return AltitudeCodeOfUnit(fc.GetAltitudeClass(), fc.GetDefenceType());
    }
    return 0;
}

std::string BuildAltitudeMixText() {
    std::string text;
    rules::ForceCursor fc(*World().tables, kWorkingForce, nullptr);
    fc.SelectSlot(kWorkingForce);
    for (std::uint16_t t = 0; t < rules::kForceTroopCount; ++t) {
        if (!fc.SelectForceTroop(t) || fc.GetSlotByte() == rules::kUnusedSlotByte) continue;
        int first = 0;
        bool mixed = false;
        for (int m = 0; m < rules::kTroopMemberCount; ++m) {
            const std::int16_t unit = fc.GetRecord()->Member(m).Unit();
            if (unit < 0 || !fc.UnitInfoCursor::Select(unit) || fc.GetAltitudeClass() == 0) continue;
            const int code = AltitudeCodeOfUnit(fc.GetAltitudeClass(), fc.GetDefenceType());
            if (first == 0) first = code;
            else if (code != first) mixed = true;
        }
        if (!mixed) continue;
        text += ToSjis((fc.GetStateFlags() & rules::kTroopTemplate) ? "ひな型の" : "部　隊の");
        text += fc.TroopCursor::GetName();
        text += "\r\n";
    }
    return text;
}

}  // namespace zv::organize
