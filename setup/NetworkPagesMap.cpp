// Page 7 of the network set-up, "MultiPlay5": the host chooses the map or the saved game of a
// network game and sends it to everybody. Its lists and information panel are those of the
// single-play map page.

#include <cstring>
#include <filesystem>
#include <optional>

#include "framework/ProcessState.h"
#include "framework/gui/ControlCreators.h"
#include "framework/gui/ListViewRows.h"
#include "framework/gui/WindowUtilities.h"
#include "mapview/MapPreview.h"
#include "netplay/SessionManager.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/GameSettingsCursor.h"
#include "rules/records/MapRecords.h"
#include "setup/NetworkPagesInternal.h"
#include "setup/SetupContainer.h"
#include "setup/SetupInternal.h"
#include "setup/SinglePlayPages.h"
#include "shell/ChatWindow.h"

namespace zv::setup {

using namespace netpages;

namespace {

constexpr std::uint32_t kMapTimerMs = 1000;

// Page 7: the host's map or saved game and its delivery to everybody. The page's routines below
// work on its state.
class MapPage : public NetworkPage {
  public:
    using NetworkPage::NetworkPage;

    int listKind = 0;  // 0 maps, 1 saved games
    int chosenRow = -1;
    int previewMode = 0;
    std::optional<mapview::MapPreviewRecord> summary;
    std::string folder;
    // Seconds the host has waited for the map's delivery.
    int mapTicks = 0;

  private:
    ui::LResult OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) override;
    bool IsWhiteLabel(int id) const override {
        // The map's description keeps the box colours it has on the single-play page (black on
        // black it showed as a lone scroll bar).
        return (id >= kIdPreviewNormal && id <= kIdPreviewPlacement) || id == kIdStatusLine;
    }
    void OnCreate();
    void OnDestroy();
    void OnShowPage(bool show);
    void OnNotify(ui::LParam l);
    void OnCommand(int id);
};

MapPage* MapOf(ui::Hwnd page) { return SetupPageOf<MapPage>(page); }

std::string NameRow(ui::Hwnd page, int row) { return ListBoxText(ui::GetDlgItem(page, kIdFileNames), row); }

void Redraw(ui::Hwnd page) {
    MapPage* m = MapOf(page);
    if (!m) return;
    DrawMapInfoPanel(page, m->Background(), m->summary ? &*m->summary : nullptr, m->previewMode);
}

void Forget(ui::Hwnd page) {
    MapPage* m = MapOf(page);
    m->chosenRow = -1;
    m->summary.reset();
    EnableSetupNextButton(page, false);
    ui::EnableWindow(ui::GetDlgItem(page, kIdDeleteSave), false);
    Redraw(page);
}

void FillList(ui::Hwnd page, int kind) {
    MapPage* m = MapOf(page);
    m->listKind = kind;
    // Only saved games of network play are listed here.
    m->folder = FillSetupFileList(page, kind, true);
}

void SwitchList(ui::Hwnd page, int kind) {
    MapPage* m = MapOf(page);
    if (m->listKind == kind) return;
    m->listKind = kind;
    m->folder = SwitchSetupFileList(page, kind, m->previewMode, true);
    Forget(page);
}

void ChooseRow(ui::Hwnd page, int row) {
    MapPage* m = MapOf(page);
    if (row < 0) {
        Forget(page);
        return;
    }
    const std::string name = NameRow(page, row);
    if (name.empty() || !mapview::RenderMapFilePreview(page, (m->folder + name).c_str(), 0)) {
        Forget(page);
        ui::SetDlgItemText(page, kIdStatusLine, S("ファイルを読み込めません。"));
        return;
    }
    ui::SetDlgItemText(page, kIdStatusLine, "");
    m->chosenRow = row;
    SetChosenSetupFile(true, name.c_str(), m->listKind);
    m->summary = *mapview::GetMapPreview();
    EnableSetupNextButton(page, true);
    Redraw(page);
    const ui::Hwnd remove = ui::GetDlgItem(page, kIdDeleteSave);
    if (ui::IsWindowVisible(remove)) ui::EnableWindow(remove, true);
}

void DeleteChosenSave(ui::Hwnd page) {
    MapPage* m = MapOf(page);
    if (m->chosenRow < 0) {
        Box(page, S("ファイルが指定されていません。"));
        return;
    }
    const std::string name = NameRow(page, m->chosenRow);
    const std::string question = core::SjisToUtf8(name) + "を削除しますか？";
    if (SetupMessageBox(page, question.c_str(), ui::MB_YESNO) != ui::IDYES) return;
    std::error_code ec;
    if (!std::filesystem::remove(std::filesystem::path(m->folder) / name, ec) || ec) {
        Box(page, S("ファイルの削除に失敗しました。"));
        return;
    }
    ui::SendDlgItemMessage(page, kIdFileList, ui::LVM_DELETEITEM, ui::WParam(m->chosenRow), 0);
    ui::SendDlgItemMessage(page, kIdFileNames, ui::LB_DELETESTRING, ui::WParam(m->chosenRow), 0);
    SetChosenSetupFile(true, nullptr, m->listKind);
    mapview::FreeMapPreview();
    Forget(page);
}

void CreateMapPageControls(ui::Hwnd page, const ui::Font* font) {
    CreateFilePageLayout(page, font, kButtonsNextCut);
    // The chat panel takes the band under the list where the single-play page has its status
    // line: here the line stands beside the panel, where the texts of the transfer wrap.
    ui::MoveWindow(ui::GetDlgItem(page, kIdStatusLine), 480, 272, 118, 88, false);
}

// The countries taking part in the chosen file.
int CountriesOfSummary(const mapview::MapPreviewRecord& summary) {
    int n = 0;
    for (int c = 0; c < rules::kCountryCount; ++c) n += (summary.countryMask >> c) & 1;
    return n;
}

// While the map travels and the participants are told to go on, the choice stays as it was
// sent: the list and the list kinds wait.
void EnableChoosing(ui::Hwnd page, bool enable) {
    for (int id : {kIdFileList, kIdNewGame, kIdSavedGames}) ui::EnableWindow(ui::GetDlgItem(page, id), enable);
}

void LeaveToTitle(ui::Hwnd page) {
    ui::KillTimer(page, kTimerMapSent);
    ui::KillTimer(page, kTimerNextSetting);
    net::SessionManager* m = SessionOf(page);
    if (m) m->Leave();
    PrevPage(page, kPageTitle, kPageNetFile);
}

void OnMapNext(ui::Hwnd page) {
    MapPage* mp = MapOf(page);
    net::SessionManager* m = SessionOf(page);
    if (!m || mp->chosenRow < 0 || !mp->summary) return;
    if (m->CountOccupiedSlots() > CountriesOfSummary(*mp->summary) + 2) {
        Box(page, S("参加人数が多すぎます。マップを選びなおしてください。"));
        return;
    }
    EnableSetupNextButton(page, false);
    std::int32_t fromSave = 0;
    const std::string name = GetChosenSetupFile(true, &fromSave);
    const std::string programDir = fw::GetProgramDirectory();
    const int sent = fromSave ? m->SendSaveGameData(programDir, name) : m->SendMapData(programDir, name);
    if (sent) {
        mp->mapTicks = 0;
        EnableChoosing(page, false);
        ui::SetDlgItemText(page, kIdStatusLine, S("マップを送りました。届くのを待っています。"));
        ui::SetTimer(page, kTimerMapSent, kMapTimerMs);
        return;
    }
    Box(page, S("マップを送ることができませんでした。タイトルに戻ります。"));
    mapview::FreeMapPreview();
    LeaveToTitle(page);
}

// Everybody holds the map: the participants are told to go on after the manager's pause, which
// runs on a timer so that the page keeps drawing and answering meanwhile.
void GoOnToRoles(ui::Hwnd page) {
    ui::KillTimer(page, kTimerNextSetting);
    net::SessionManager* m = SessionOf(page);
    if (!m) return;
    m->SendNextGameSettingNow();
    std::int32_t fromSave = 0;
    GetChosenSetupFile(true, &fromSave);
    if (rules::TableDirectory* t = TablesOf(page)) {
        rules::GameSettingsCursor(*t).SetDeployment(fromSave ? 0 : 1);
    }
    NextPage(page, kPageNetRole, kPageNetFile);
}

void OnMapTimer(ui::Hwnd page) {
    MapPage* s = MapOf(page);
    net::SessionManager* m = SessionOf(page);
    if (!m || !s) return;
    if (m->MapDeliveredFlag()) {
        ui::KillTimer(page, kTimerMapSent);
        ui::SetDlgItemText(page, kIdStatusLine, S("マップが届きました。次へ進みます。"));
        const std::uint32_t pause = m->NextGameSettingWaitMs();
        if (pause == 0) {
            GoOnToRoles(page);
        } else {
            ui::SetTimer(page, kTimerNextSetting, pause);
        }
        return;
    }
    if (++s->mapTicks > kMapDeliveryTicks) {
        // The page stays, and the host may send again or choose another map.
        ui::KillTimer(page, kTimerMapSent);
        ui::SetDlgItemText(page, kIdStatusLine, S("マップが届いたことを確かめられませんでした。"));
        EnableChoosing(page, true);
        EnableSetupNextButton(page, s->chosenRow >= 0 && s->summary);
    }
}

}  // namespace

ui::LResult MapPage::OnMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) {
    switch (msg) {
        case ui::WM_CREATE:
            OnCreate();
            return 0;
        case ui::WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_SHOW_PAGE:
            OnShowPage(w == 1);
            return 1;
        case ui::WM_TIMER:
            if (w == kTimerMapSent) OnMapTimer(Handle());
            if (w == kTimerNextSetting) GoOnToRoles(Handle());
            return 0;
        case ui::WM_NOTIFY:
            OnNotify(l);
            return 0;
        case ui::WM_COMMAND:
            OnCommand(ui::LoWord(w));
            return 0;
        default:
            return Default(msg, w, l);
    }
}

void MapPage::OnCreate() {
    LoadBasics();
    CreateMapPageControls(Handle(), font_.get());
    SetChosenSetupFile(true, nullptr, 0);
    FillList(Handle(), 0);
    Redraw(Handle());
}

void MapPage::OnDestroy() {
    const ui::Hwnd h = Handle();
    ui::KillTimer(h, kTimerMapSent);
    ui::KillTimer(h, kTimerNextSetting);
    if (shell::GetChatWindow() && ui::GetParent(shell::GetChatWindow()) == h) shell::DetachChatWindow();
    mapview::FreeMapPreview();
}

void MapPage::OnShowPage(bool show) {
    if (show) {
        if (const ui::Hwnd chat = shell::AttachChatWindow(Handle())) {
            ui::MoveWindow(chat, 20, 260, 456, 102, true);
            ui::ShowWindow(chat, ui::SW_SHOW);
        }
    }
    Show(show);
}

void MapPage::OnNotify(ui::LParam l) {
    const auto* hdr = reinterpret_cast<const ui::NmHdr*>(l);
    if (hdr && hdr->idFrom == kIdFileList &&
        (hdr->code == ui::NM_CLICK || hdr->code == ui::NM_RCLICK || hdr->code == ui::LVN_BEGINDRAG)) {
        ChooseRow(Handle(), reinterpret_cast<const ui::NmItemActivate*>(l)->iItem);
    }
}

void MapPage::OnCommand(int id) {
    const ui::Hwnd h = Handle();
    switch (id) {
        case kIdPreviewNormal:
        case kIdPreviewBuildings:
        case kIdPreviewPlacement:
            previewMode = id - kIdPreviewNormal;
            if (summary) Redraw(h);
            break;
        case kIdNewGame:
            SwitchList(h, 0);
            break;
        case kIdSavedGames:
            SwitchList(h, 1);
            break;
        case kIdDeleteSave:
            DeleteChosenSave(h);
            break;
        case kIdSetupNext:
            OnMapNext(h);
            break;
        case kIdSetupBack:
            LeaveToTitle(h);
            break;
        default:
            break;
    }
}

ui::LResult MultiPlay5Proc(ui::Hwnd h, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return SetupPageProc<MapPage>(h, msg, w, l);
}

}  // namespace zv::setup
