#include "organize/LoadingChoosers.h"

#include <array>
#include <bit>
#include <memory>

#include "framework/gui/ListViewRows.h"
#include "framework/gui/WindowUtilities.h"
#include "organize/OrganizeDialog.h"
#include "organize/OrganizeWorld.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/CommonControls.h"
#include "platform/ui/controls/ControlConstants.h"
#include "platform/ui/controls/ImageList.h"
#include "rules/context/GameContext.h"
#include "rules/records/TroopCursor.h"
#include "rules/troops/Carriers.h"
#include "rules/troops/TroopQueries.h"
#include "shell/WindowRegistry.h"

namespace zv::organize {

namespace {

constexpr int kRowCount = 160;

// Which of the three loading choosers dialog 324 serves.
enum class LoadingUse { WithCarrier, CargoBit, CargoToLeave };

// What dialog 324 is opened on (its WM_INITDIALOG parameter); the caller reads the chosen row's
// troop from it afterwards.
struct LoadingRequest {
    LoadingUse use = LoadingUse::WithCarrier;
    std::uint16_t carrier = kNoChoice;
    // Row -> troop; the row after the last is -1.
    std::array<std::int16_t, kRowCount + 1> rows{};
};

// What dialog 326 is opened on.
struct WeaponRequest {
    int mode = 0;
    std::uint16_t candidates = 0;
};

constexpr SeparableKind kKinds[16] = {
    {"ミサイル", 9},          {"対潜ミサイル", 9},         {"ミサイル(ﾒｶﾞHEX)", 9},
    {"巡航ミサイル", 9},      {"巡航ミサイル(ﾒｶﾞHEX)", 9}, {"弾道ミサイル", 9},
    {"弾道ミサイル(ﾒｶﾞHEX)", 9}, {"核ミサイル", 9},        {"対潜ヘリ", 2},
    {"早期警戒ヘリ", 2},      {"空中機動歩兵", 5},         {"機械化歩兵", 5},
    {"上陸用舟艇", 6},        {"ホバークラフト", 6},       {"", 11},
    {"補給物資", 11},
};

rules::TableDirectory* Tables() {
    OrganizeWorld* world = CurrentOrganizeWorld();
    return world ? world->tables : nullptr;
}

// The list pictures are drawn in the local player's colours; before a game (no country yet)
// in the neutral ones.
int CountryImageBase() {
    OrganizeWorld* world = CurrentOrganizeWorld();
    const int c = world && world->playerCountry < 4 ? world->playerCountry : 4;
    return 12 * c;
}

ui::Hwnd List(ui::Hwnd dialog) {
    return ui::GetDlgItem(dialog, kIdChooserList);
}

// The owner-drawn rows paint the pictures of the list's normal image list.
ui::ImageList* AttachImages(ui::Hwnd dialog) {
    ui::ImageList* images = AttachListImagesA(dialog, kIdChooserList, nullptr);
    if (images) {
        ui::SendMessage(List(dialog), ui::LVM_SETIMAGELIST, ui::LVSIL_NORMAL,
                        reinterpret_cast<ui::LParam>(images));
    }
    return images;
}

int SelectedRow(ui::Hwnd dialog) {
    return int(ui::SendMessage(List(dialog), ui::LVM_GETNEXTITEM, ui::WParam(-1), ui::LVNI_SELECTED));
}

void AddColumn(ui::Hwnd list, int index, const char* utf8, int width) {
    std::string text = ToSjis(utf8);
    ui::LvColumn c;
    c.mask = ui::LVCF_FMT | ui::LVCF_WIDTH | ui::LVCF_TEXT | ui::LVCF_SUBITEM;
    c.fmt = ui::LVCFMT_CENTER;
    c.cx = width;
    c.pszText = text.data();
    c.iSubItem = index;
    ui::SendMessage(list, ui::LVM_INSERTCOLUMNA, ui::WParam(index), reinterpret_cast<ui::LParam>(&c));
}

void SetCell(ui::Hwnd list, int row, int column, const std::string& sjis) {
    std::string text = sjis;
    ui::LvItem sub;
    sub.mask = ui::LVIF_TEXT;
    sub.iItem = row;
    sub.iSubItem = column;
    sub.pszText = text.data();
    ui::SendMessage(list, ui::LVM_SETITEMTEXTA, ui::WParam(row), reinterpret_cast<ui::LParam>(&sub));
}

int ListClientWidth(ui::Hwnd list) {
    ui::Rect r{};
    ui::GetClientRect(list, &r);
    return r.right - r.left;
}

void CentreOnScreen(ui::Hwnd dialog) {
    ui::Rect r{};
    ui::GetWindowRect(dialog, &r);
    fw::CenterWindowOnScreen(dialog, r.right - r.left, r.bottom - r.top, 0);
}

void FillLoadingList(ui::Hwnd dialog, const LoadingRequest& request) {
    rules::TableDirectory* tables = Tables();
    ui::Hwnd list = List(dialog);
    if (!tables || !list) return;
    rules::TroopCursor troops(*tables);
    OrganizeWorld* world = CurrentOrganizeWorld();
    const std::uint8_t player = world ? world->playerCountry : 6;
    for (int r = 0; r < kRowCount && request.rows[r] >= 0; ++r) {
        if (!troops.Select(std::uint16_t(request.rows[r]))) continue;
        const std::string name(troops.GetName());
        const int row = AppendRow(list, name, troops.GetIcon() + CountryImageBase());
        SetCell(list, row, 1, ToSjis(troops.GetStatusText(0, player)));
    }
}

// The troop of a row of dialog 324; kNoChoice for no row.
std::uint16_t LoadingTroop(const LoadingRequest& request, intptr_t row) {
    if (row < 0 || row >= kRowCount || request.rows[row] < 0) return kNoChoice;
    return std::uint16_t(request.rows[row]);
}

bool CargoCanLeave(std::uint16_t carrier, std::uint16_t troop) {
    rules::TableDirectory* tables = Tables();
    if (!tables || troop == kNoChoice) return false;
    OrganizeWorld* world = CurrentOrganizeWorld();
    rules::GameContext ctx(*tables, rules::GameContextEnv{nullptr, world ? world->playerCountry : std::uint8_t(6)});
    return rules::CanLaunchNow(ctx, carrier, troop) != 0;
}

// What the two choosers do alike besides their start: a click on the list decides OK anew,
// OK ends with the choice, cancel and the close box with nothing, and the rows are owner-drawn.
// `Chooser` gives Allowed() (OK may end the dialog now), Choice() and kNothing.
template <typename Chooser>
class ChooserDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

  protected:
    intptr_t CommonMessage(std::uint32_t msg, ui::WParam w, ui::LParam l) {
        Chooser& self = static_cast<Chooser&>(*this);
        switch (msg) {
            case ui::WM_NOTIFY: {
                const auto* hdr = reinterpret_cast<const ui::NmHdr*>(l);
                if (!hdr || hdr->idFrom != kIdChooserList) return 0;
                if (hdr->code == ui::NM_CLICK || hdr->code == ui::NM_RCLICK || hdr->code == ui::LVN_BEGINDRAG)
                    ui::EnableWindow(Item(ui::IDOK), self.Allowed());
                return 0;
            }
            case ui::WM_DRAWITEM:
                fw::DrawOwnerDrawItem(Handle(), int(w), reinterpret_cast<const ui::DrawItemStruct*>(l), 10);
                return 1;
            case ui::WM_COMMAND: {
                const int id = ui::LoWord(w);
                if (id == ui::IDOK) {
                    // Checked again: a troop that can no longer leave (the carrier moved on) or an
                    // OK sent without a row is no choice.
                    End(self.Allowed() ? self.Choice() : Chooser::kNothing);
                    return 1;
                }
                if (id == ui::IDCANCEL) {
                    End(Chooser::kNothing);
                    return 1;
                }
                return 0;
            }
            case ui::WM_CLOSE:
                End(Chooser::kNothing);
                return 1;
            case ui::WM_DESTROY:
                if (images_) ui::ImageList_Destroy(images_);
                images_ = nullptr;
                return 0;
            default:
                return 0;
        }
    }

    ui::ImageList* images_ = nullptr;
};

// Dialog 324 搭載状況: the troops aboard a carrier (and the carrier itself for the first use).
class LoadingDialog : public ChooserDialog<LoadingDialog> {
  public:
    using ChooserDialog::ChooserDialog;
    static constexpr intptr_t kNothing = -1;

    intptr_t Dispatch(std::uint32_t msg, ui::WParam w, ui::LParam l) {
        if (msg == ui::WM_INITDIALOG) {
            OnInit(reinterpret_cast<const LoadingRequest*>(l));
            return 1;
        }
        return CommonMessage(msg, w, l);
    }

    // OK is on for a chosen row; for the cargo that is to leave, only while that troop can.
    bool Allowed() {
        const int row = SelectedRow(Handle());
        if (row < 0 || !request_) return false;
        if (request_->use == LoadingUse::CargoToLeave)
            return CargoCanLeave(request_->carrier, LoadingTroop(*request_, row));
        return true;
    }
    intptr_t Choice() { return SelectedRow(Handle()); }

  private:
    void OnInit(const LoadingRequest* request) {
        const ui::Hwnd dialog = Handle();
        request_ = request;
        ui::Hwnd list = List(dialog);
        const int width = ListClientWidth(list);
        AddColumn(list, 0, "部隊名", width - 80);
        AddColumn(list, 1, "状　態", 80);
        images_ = AttachImages(dialog);
        if (request_) FillLoadingList(dialog, *request_);
        ui::EnableWindow(Item(ui::IDOK), false);
        CentreOnScreen(dialog);
    }

    const LoadingRequest* request_ = nullptr;
};

// Dialog 326: the separable weapon (or, in mode 1, the missile) to use.
class WeaponDialog : public ChooserDialog<WeaponDialog> {
  public:
    using ChooserDialog::ChooserDialog;
    static constexpr intptr_t kNothing = 0;

    intptr_t Dispatch(std::uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                OnInit(reinterpret_cast<const WeaponRequest*>(l));
                return 1;
            case ui::WM_RBUTTONDOWN:
                End(0);
                return 1;
            default:
                return CommonMessage(msg, w, l);
        }
    }

    bool Allowed() {
        const int row = SelectedRow(Handle());
        selected_ = row >= 0 && row < int(rows_.size()) ? row : -1;
        return selected_ >= 0;
    }
    intptr_t Choice() { return rows_[std::size_t(selected_)]; }

  private:
    void OnInit(const WeaponRequest* request) {
        const ui::Hwnd dialog = Handle();
        const int mode = request ? request->mode : 0;
        ui::SetWindowText(dialog, ToSjis(mode == 1 ? "射撃武器選択" : "分離兵器選択"));
        ui::Hwnd list = List(dialog);
        AddColumn(list, 0, mode == 1 ? "ミサイル種類" : "分離兵器種類", ListClientWidth(list));
        images_ = AttachImages(dialog);
        for (int bit = 0; bit < 16 && request; ++bit) {
            if (!(request->candidates & (1u << bit))) continue;
            AppendRow(list, ToSjis(kKinds[bit].name), kKinds[bit].image + CountryImageBase());
            rows_.push_back(std::uint16_t(1u << bit));
        }
        CentreOnScreen(dialog);
        selected_ = -1;
        ui::EnableWindow(Item(ui::IDOK), false);
    }

    std::vector<std::uint16_t> rows_;  // row -> the kind's one-bit mask
    int selected_ = -1;
};

// Dialog 324 for one use: the troop of the chosen row, kNoChoice for none.
std::uint16_t RunLoadingDialog(ui::Hwnd owner, LoadingUse use, std::uint16_t carrier) {
    RegisterOrganizeWindows();
    LoadingRequest request;
    request.use = use;
    request.carrier = carrier;
    request.rows.fill(-1);
    int n = 0;
    if (use == LoadingUse::WithCarrier) request.rows[n++] = std::int16_t(carrier);
    for (std::uint16_t t : CollectCargoRows(carrier)) {
        if (n < kRowCount) request.rows[n++] = std::int16_t(t);
    }
    const intptr_t row = ui::DialogBoxParam(nullptr, kLoadingStatusDialog, owner, LoadingStatusDlgProc,
                                            reinterpret_cast<ui::LParam>(&request));
    return use == LoadingUse::CargoBit ? (row >= 0 && row < 8 ? std::uint16_t(1u << row) : 0)
                                       : LoadingTroop(request, row);
}

constexpr std::uint32_t kDialogStyle = ui::WS_POPUP | ui::WS_CAPTION | ui::WS_SYSMENU | ui::DS_MODALFRAME;
constexpr std::uint32_t kListStyle = ui::LVS_REPORT | ui::LVS_SINGLESEL | ui::LVS_SHOWSELALWAYS |
                                     ui::LVS_OWNERDRAWFIXED | ui::LVS_NOSORTHEADER | ui::WS_BORDER |
                                     ui::WS_TABSTOP;

ui::DialogTemplate ChooserTemplate(int number, const char* title, int width) {
    ui::DialogTemplate t;
    t.number = number;
    t.title = title;
    t.style = kDialogStyle;
    t.cx = width;
    t.cy = 160;
    t.items = {{kIdChooserList, "SysListView32", "", 6, 6, width - 12, 128, kListStyle},
               {ui::IDOK, "BUTTON", "OK", width - 126, 140, 56, 14, ui::WS_TABSTOP | ui::BS_DEFPUSHBUTTON},
               {ui::IDCANCEL, "BUTTON", "キャンセル", width - 64, 140, 58, 14, ui::WS_TABSTOP}};
    return t;
}

}  // namespace

const SeparableKind& GetSeparableKind(int bit) {
    return kKinds[bit & 15];
}

std::vector<std::uint16_t> CollectCargoRows(std::uint16_t carrier) {
    std::vector<std::uint16_t> rows;
    rules::TableDirectory* tables = Tables();
    if (!tables) return rows;
    rules::TroopCursor troops(*tables);
    for (std::uint16_t j = 0; j < rules::kMapTroopCount; ++j) {
        if (troops.Select(j) && troops.HasMembers() && !troops.IsOnMap() && troops.GetCarrier() == carrier)
            rows.push_back(j);
    }
    return rows;
}

std::uint16_t ChooseTroopFromCarrier(std::uint16_t carrier) {
    return RunLoadingDialog(ui::GetActiveWindow(), LoadingUse::WithCarrier, carrier);
}

std::uint16_t ChooseCargoTroopBit(std::uint16_t, std::uint16_t carrier) {
    return RunLoadingDialog(shell::GetWindowOfKind(shell::WindowKind::FrameWnd), LoadingUse::CargoBit, carrier);
}

std::uint16_t ChooseCargoTroop(std::uint16_t carrier) {
    return RunLoadingDialog(ui::GetActiveWindow(), LoadingUse::CargoToLeave, carrier);
}

intptr_t LoadingStatusDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<LoadingDialog>(dialog, msg, w, l);
}

std::uint32_t SelectSeparableWeapon(ui::Hwnd owner, std::uint16_t troop, int mode, std::uint16_t mask) {
    rules::TableDirectory* tables = Tables();
    if (!tables) return 0;
    rules::TroopCursor troops(*tables);
    if (!troops.Select(troop) || !troops.HasMembers() || !troops.IsOnMap()) return 0;
    if (mask == 0) mask = rules::GetWeaponClassMask(troops);
    if (mask == 0) return 0;
    const std::uint16_t candidates = mode == 1 ? (mask & 0x00FF) : (mask & 0x7F00);
    if (candidates == 0) return 0;
    std::uint16_t chosen = 0;
    std::uint8_t range = 0;
    if (std::popcount(candidates) == 1) {
        chosen = candidates;
        range = mode == 1 ? rules::GetWeaponRange(troops, 255, 1) : rules::GetWeaponRange(troops, chosen, 0);
    } else {
        RegisterOrganizeWindows();
        WeaponRequest request{mode, candidates};
        chosen = std::uint16_t(ui::DialogBoxParam(nullptr, kSeparableWeaponDialog, owner, SeparableWeaponDlgProc,
                                                  reinterpret_cast<ui::LParam>(&request)));
        // Nothing chosen is nothing at all: a range alone would read as a chosen weapon.
        if (chosen == 0 || !(chosen & candidates)) return 0;
        troops.Select(troop);
        range = rules::GetWeaponRange(troops, chosen, 0);
    }
    return (std::uint32_t(range) << 16) | chosen;
}

intptr_t SeparableWeaponDlgProc(ui::Hwnd dialog, std::uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::DialogObjectProc<WeaponDialog>(dialog, msg, w, l);
}

void RegisterChooserTemplates() {
    auto& reg = ui::DialogRegistry::Global();
    reg.Add(ChooserTemplate(kLoadingStatusDialog, "搭載状況", 200));
    reg.Add(ChooserTemplate(kSeparableWeaponDialog, "", 150));
}

}  // namespace zv::organize
