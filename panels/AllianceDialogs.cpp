#include "panels/AllianceDialogs.h"

#include <bit>
#include <memory>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/PanelCommon.h"
#include "panels/PanelWorld.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/DialogConstants.h"
#include "platform/ui/DialogObject.h"
#include "platform/ui/DialogTemplate.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/records/MapCursors.h"
#include "shell/ShellDialogs.h"
#include "shell/SoundEffects.h"
#include "simulation/CommandRecords.h"
#include "simulation/Judgement.h"

namespace zv::panels {

namespace {

constexpr int kCountries = 4;
constexpr int kPictureTimeMs = 5000;

// ---- dialog 354 -----------------------------------------------------------------------------

struct AllianceParams {
    int mode = 1;  // 1 conclude, 2 break
    int own = 0;
    std::uint8_t atWar = 0, eligible = 0, blocked = 0, current = 0, result = 0;
};

int Box(int k) {
    return IDC_ALLIANCE_BOX0 + k;
}

// The alliance boxes; what they stand at when OK is pressed goes back in the caller's params.
class AllianceDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                return OnInitDialog(reinterpret_cast<AllianceParams*>(l));
            case ui::WM_COMMAND:
                return OnCommand(ui::LoWord(w));
            default:
                return 0;
        }
    }

  private:
    intptr_t OnInitDialog(AllianceParams* p) {
        params_ = p;
        if (p == nullptr) return 1;
        const ui::Hwnd dlg = Handle();
        ui::SetDlgItemText(dlg, IDC_ALLIANCE_OK, core::Utf8ToSjis(p->mode == 1 ? "締結" : "破棄"));
        const int n = std::popcount(unsigned(p->atWar));
        const int humans = std::popcount(unsigned(p->eligible));
        // Two countries at war, or a single human among three or four: nobody to ally with.
        const bool noneOffered = n == 2 || ((n == 3 || n == 4) && humans == 1);
        int enabled = 0;
        for (int k = 0; k < kCountries; ++k) {
            const std::uint8_t bit = std::uint8_t(1u << k);
            ui::CheckDlgButton(dlg, Box(k), (p->current & bit) ? ui::BST_CHECKED : ui::BST_UNCHECKED);
            bool on = (p->eligible & bit) && !noneOffered;
            if (p->mode == 1) on = on && !(p->blocked & bit);
            else on = on && (p->current & bit);
            if (k == p->own) {
                ui::CheckDlgButton(dlg, Box(k), ui::BST_INDETERMINATE);
                on = false;
            }
            ui::EnableWindow(Item(Box(k)), on);
            enabled += on ? 1 : 0;
        }
        workingMask_ = std::uint8_t(p->current | (1u << p->own));
        if (enabled == 0) ui::EnableWindow(Item(IDC_ALLIANCE_OK), false);
        return 1;
    }

    intptr_t OnCommand(int id) {
        const AllianceParams* p = params_;
        if (id >= IDC_ALLIANCE_BOX0 && id < IDC_ALLIANCE_BOX0 + kCountries && p) {
            const int k = id - IDC_ALLIANCE_BOX0;
            workingMask_ ^= std::uint8_t(1u << k);
            const bool checked = (workingMask_ >> k) & 1;
            ui::CheckDlgButton(Handle(), id, checked ? ui::BST_CHECKED : ui::BST_UNCHECKED);
            if (p->mode == 1) {
                // One proposal at a time: the other candidates wait while k is checked.
                for (int j = 0; j < kCountries; ++j) {
                    if (j == k || j == p->own || (p->blocked >> j) & 1) continue;
                    if (!((p->eligible >> j) & 1)) continue;
                    ui::EnableWindow(Item(Box(j)), !checked);
                }
            }
            return 1;
        }
        if (id == IDC_ALLIANCE_OK && params_) {
            std::uint8_t result = 0;
            for (int k = 0; k < kCountries; ++k)
                if (ui::IsDlgButtonChecked(Handle(), Box(k)) != ui::BST_UNCHECKED)
                    result |= std::uint8_t(1u << k);
            params_->result = result;
            End(1);
            return 1;
        }
        if (id == ui::IDCANCEL) {
            End(0);
            return 1;
        }
        return 0;
    }

    AllianceParams* params_ = nullptr;
    // The boxes as they stand while the dialog runs.
    std::uint8_t workingMask_ = 0;
};

int RunAllianceDialog(ui::Hwnd owner, int mode, int own, std::uint8_t atWar, std::uint8_t eligible,
                      std::uint8_t blocked, std::uint8_t* mask) {
    if (mask == nullptr || own < 0 || own >= kCountries) return 0;
    RegisterAllianceDialogs();
    AllianceParams p;
    p.mode = mode;
    p.own = own;
    p.atWar = atWar;
    p.eligible = eligible;
    p.blocked = blocked;
    p.current = *mask;
    SetPanelBusyBit(0, 1);
    const intptr_t r =
        ui::DialogBoxParam(nullptr, kAllianceDialog, owner, ui::DialogObjectProc<AllianceDialog>,
                           reinterpret_cast<ui::LParam>(&p));
    SetPanelBusyBit(0, 0);
    if (r != 1) return 0;
    *mask = p.result;
    return 1;
}

// ---- dialog 355 -----------------------------------------------------------------------------

class ApprovalDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    intptr_t Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG: {
                const auto* text = reinterpret_cast<const std::string*>(l);
                ui::SetDlgItemText(Handle(), IDC_APPROVAL_TEXT, text ? *text : std::string());
                return 1;
            }
            case ui::WM_COMMAND:
                if (ui::LoWord(w) == ui::IDOK) End(1);
                if (ui::LoWord(w) == ui::IDCANCEL) End(0);
                return 1;
            default:
                return 0;
        }
    }
};

int RunApproval(ui::Hwnd owner, const char* format, const char* proposerSjis) {
    RegisterAllianceDialogs();
    // The question holds at most 127 bytes, cut on a character boundary.
    std::string text = core::Utf8ToSjis(format);
    const std::size_t at = text.find("%s");
    text.replace(at, 2, proposerSjis ? proposerSjis : "");
    text.resize(core::SjisCutLength(text, 127));
    SetPanelBusyBit(0, 1);
    const intptr_t r =
        ui::DialogBoxParam(nullptr, kApprovalDialog, owner, ui::DialogObjectProc<ApprovalDialog>,
                           reinterpret_cast<ui::LParam>(&text));
    SetPanelBusyBit(0, 0);
    return r == 1 ? 1 : 0;
}

// ---- dialog 603 -----------------------------------------------------------------------------

struct PictureParams {
    const char* picture = nullptr;
    std::string line;  // UTF-8
    int timer = 1;
    int sound = 4;
};

// The game clock of the live tables, "第dd日hh時mm分".
std::string ClockLine() {
    int day = 0, hour = 0, minute = 0;
    if (rules::TableDirectory* tables = PanelTables()) {
        rules::ScenarioHeaderCursor header(*tables);
        day = header.GetDay();
        hour = header.GetHour();
        minute = header.GetMinute();
    }
    return Format("第%2d日%2d時%2d分", day, hour, minute);
}

// The victory or fall picture with its line; it goes at a click or after five seconds.
class PictureDialog : public ui::DialogObject {
  public:
    using DialogObject::DialogObject;

    intptr_t Dispatch(uint32_t msg, ui::WParam, ui::LParam l) {
        switch (msg) {
            case ui::WM_INITDIALOG:
                return OnInitDialog(reinterpret_cast<const PictureParams*>(l));
            case ui::WM_TIMER:
            case ui::WM_LBUTTONDOWN:
                ui::KillTimer(Handle(), timer_);
                End(0);
                return 1;
            case ui::WM_PAINT:
                fw::PaintWindowFromBitmap(Handle(), picture_.get());
                return 1;
            case ui::WM_DESTROY:
                ui::KillTimer(Handle(), timer_);
                picture_.reset();
                return 0;
            default:
                return 0;
        }
    }

  private:
    intptr_t OnInitDialog(const PictureParams* p) {
        const ui::Hwnd dlg = Handle();
        timer_ = uintptr_t(p->timer);
        picture_ = LoadPicture(p->picture);
        BoldText(50, 236, ClockLine());
        BoldText(50, 254, p->line);
        // The line painted into the picture is also the window's text, for whatever reads it.
        ui::SetWindowText(dlg, core::Utf8ToSjis(p->line));
        ui::ShowWindow(Item(ui::IDOK), ui::SW_HIDE);
        ui::ShowWindow(Item(ui::IDCANCEL), ui::SW_HIDE);
        int width = picture_->GetWidth(), height = picture_->GetHeight();
        if (ui::GetWindowLong(dlg, ui::GWL_STYLE) & ui::DS_MODALFRAME) {
            width += 2 * ui::GetSystemMetrics(ui::SM_CXDLGFRAME);
            height += 2 * ui::GetSystemMetrics(ui::SM_CYDLGFRAME);
        }
        fw::CenterWindowOnScreen(dlg, width, height, ui::SWP_SHOWWINDOW);
        ui::SetTimer(dlg, timer_, kPictureTimeMs);
        shell::PlaySoundEffect(p->sound);
        return 1;
    }

    void BoldText(int x, int y, const std::string& utf8) {
        for (int dx = 0; dx < 2; ++dx)
            fw::DrawTextOnDib(Handle(), picture_.get(), x + dx, y, utf8.c_str(), 16, 1, 0x000000,
                              ui::TextEncoding::Utf8);
    }

    std::unique_ptr<fw::Dib> picture_;
    uintptr_t timer_ = 0;
};

int RunPicture(ui::Hwnd owner, const PictureParams& p) {
    RegisterAllianceDialogs();
    SetPanelBusyBit(0, 1);
    ui::DialogBoxParam(nullptr, kEndPictureDialog, owner, ui::DialogObjectProc<PictureDialog>,
                       reinterpret_cast<ui::LParam>(&p));
    SetPanelBusyBit(0, 0);
    return 0;
}

}  // namespace

AllianceMasks ReadAllianceMasks(rules::TableDirectory& tables, int own) {
    AllianceMasks m;
    rules::CountryCursor c(tables);
    std::uint8_t masks[kCountries] = {};
    for (int k = 0; k < kCountries; ++k) {
        if (!c.Select(k)) continue;
        masks[k] = c.GetAllianceMask();
        if (c.GetState() == sim::kCountryInPlay) {
            m.atWar |= std::uint8_t(1u << k);
            if (c.GetParticipation() != 1) m.eligible |= std::uint8_t(1u << k);
        }
    }
    if (own < 0 || own >= kCountries) return m;
    m.current = masks[own];
    for (int k = 0; k < kCountries; ++k) {
        if (k == own || (masks[own] >> k) & 1) continue;
        for (int j = 0; j < kCountries; ++j)
            if (j != k && j != own && ((masks[k] >> j) & 1)) m.blocked |= std::uint8_t(1u << k);
    }
    return m;
}

int ShowAllianceConcludeDialog(ui::Hwnd owner, int own, std::uint8_t atWar, std::uint8_t eligible,
                               std::uint8_t blocked, std::uint8_t* mask) {
    return RunAllianceDialog(owner, 1, own, atWar, eligible, blocked, mask);
}

int ShowAllianceBreakDialog(ui::Hwnd owner, int own, std::uint8_t atWar, std::uint8_t eligible,
                            std::uint8_t blocked, std::uint8_t* mask) {
    return RunAllianceDialog(owner, 2, own, atWar, eligible, blocked, mask);
}

int ShowApprovalDialog(ui::Hwnd owner, const char* proposerSjis) {
    return RunApproval(owner, "%sから同盟締結の申し入れがありました。", proposerSjis);
}

int ShowApprovalDialog2(ui::Hwnd owner, const char* proposerSjis) {
    return RunApproval(owner, "%sから同盟破棄の申し入れがありました。", proposerSjis);
}

std::string AllianceAnswerText(int index) {
    switch (index) {
        case 1: return "同盟締結の申し入れは承認されました。";
        case 2: return "同盟締結の申し入れは拒否されました。";
        case 3: return "同盟破棄の申し入れは承認されました。";
        case 4: return "同盟破棄の申し入れは拒否されました。";
        default: return {};
    }
}

int ShowStringMessageBox(ui::Hwnd owner, int index, int, int) {
    const std::string text = AllianceAnswerText(index);
    if (text.empty()) return 0;
    ui::MessageBox(owner, core::Utf8ToSjis(text), core::Utf8ToSjis(shell::kGameTitle),
                   ui::MB_OK | ui::MB_SYSTEMMODAL);
    return 1;
}

std::string DefeatLine(int country, int playerCountry) {
    static constexpr const char* kWide[] = {"ＢＬＵＥ", "ＲＥＤ", "ＧＲＥＥＮ", "ＹＥＬＬＯＷ"};
    if (country == playerCountry) return "自国司令部が全滅しました";
    const char* name = country >= 0 && country < kCountries ? kWide[country] : "中立";
    return std::string(name) + "国が全滅しました";
}

int ShowVictoryDialog(ui::Hwnd owner) {
    PictureParams p;
    p.picture = "win.bmp";
    p.line = "勝利しました";
    p.timer = 1;
    p.sound = 4;
    return RunPicture(owner, p);
}

int ShowDefeatDialog(ui::Hwnd owner, int country) {
    const int player = fw::GetPlayerCountry();
    PictureParams p;
    p.picture = country == player ? "lose_you.bmp" : "lose_oth.bmp";
    p.line = DefeatLine(country, player);
    p.timer = 0;
    p.sound = 3;
    return RunPicture(owner, p);
}

int ProposeAlliance(ui::Hwnd owner, rules::TableDirectory& tables, sim::OrderSink& orders, int own,
                    int mode) {
    if (own < 0 || own >= kCountries) return 0;
    const AllianceMasks m = ReadAllianceMasks(tables, own);
    std::uint8_t mask = m.current;
    const int ok = mode == 1 ? ShowAllianceConcludeDialog(owner, own, m.atWar, m.eligible, m.blocked, &mask)
                             : ShowAllianceBreakDialog(owner, own, m.atWar, m.eligible, m.blocked, &mask);
    if (!ok) return 0;
    int appended = 0;
    for (int k = 0; k < kCountries; ++k) {
        if (k == own) continue;
        const bool was = (m.current >> k) & 1, now = (mask >> k) & 1;
        if (mode == 1 && !was && now)
            appended += sim::BuildOrder42(orders, std::uint8_t(own), std::uint8_t(k), sim::kAllianceConclude);
        if (mode != 1 && was && !now)
            appended += sim::BuildOrder42(orders, std::uint8_t(own), std::uint8_t(k), sim::kAllianceBreak);
    }
    return appended;
}

int AnswerAllianceProposal(ui::Hwnd owner, sim::OrderSink& orders, std::uint8_t proposer,
                           std::uint8_t addressee, std::uint16_t kind,
                           const std::string& proposerSjis) {
    // Without a lobby name the proposer is named by its country.
    std::string who = proposerSjis;
    if (who.empty()) {
        static constexpr const char* kNames[] = {"BLUE", "RED", "GREEN", "YELLOW"};
        who = core::Utf8ToSjis(std::string(proposer < kCountries ? kNames[proposer] : "中立") + "国");
    }
    const int approved = kind == sim::kAllianceConclude ? ShowApprovalDialog(owner, who.c_str())
                                                        : ShowApprovalDialog2(owner, who.c_str());
    sim::BuildOrder44(orders, addressee, proposer, kind, approved);
    return approved;
}

void RegisterAllianceDialogs() {
    static bool done = false;
    if (done) return;
    done = true;
    const uint32_t box = ui::BS_3STATE | ui::WS_TABSTOP;
    ui::DialogTemplate a;
    a.number = kAllianceDialog;
    a.title = "同盟設定";
    a.style = ui::WS_POPUP | ui::WS_CAPTION | ui::DS_MODALFRAME | ui::DS_CENTER;
    a.cx = 132;
    a.cy = 62;
    static constexpr const char* kLetters[] = {"B", "R", "G", "Y"};
    a.items.push_back({-1, "STATIC", "同盟", 8, 22, 24, 10, ui::SS_LEFT});
    for (int k = 0; k < kCountries; ++k) {
        a.items.push_back({-1, "STATIC", kLetters[k], 40 + 22 * k, 8, 12, 10, ui::SS_CENTER});
        a.items.push_back({IDC_ALLIANCE_BOX0 + k, "BUTTON", "", 42 + 22 * k, 20, 12, 12, box});
    }
    a.items.push_back({IDC_ALLIANCE_OK, "BUTTON", "締結", 22, 42, 40, 14, ui::BS_DEFPUSHBUTTON | ui::WS_TABSTOP});
    a.items.push_back({ui::IDCANCEL, "BUTTON", "ｷｬﾝｾﾙ", 70, 42, 40, 14, ui::WS_TABSTOP});
    ui::DialogRegistry::Global().Add(std::move(a));

    ui::DialogTemplate q;
    q.number = kApprovalDialog;
    q.style = ui::WS_POPUP | ui::WS_BORDER | ui::DS_MODALFRAME | ui::DS_CENTER;
    q.cx = 180;
    q.cy = 60;
    q.items.push_back({IDC_APPROVAL_TEXT, "STATIC", "", 8, 8, 164, 24, ui::SS_LEFT});
    q.items.push_back({ui::IDOK, "BUTTON", "承認", 40, 40, 44, 14, ui::BS_DEFPUSHBUTTON | ui::WS_TABSTOP});
    q.items.push_back({ui::IDCANCEL, "BUTTON", "拒否", 96, 40, 44, 14, ui::WS_TABSTOP});
    ui::DialogRegistry::Global().Add(std::move(q));

    ui::DialogTemplate e;
    e.number = kEndPictureDialog;
    e.style = ui::WS_POPUP | ui::DS_MODALFRAME;
    e.cx = 160;
    e.cy = 120;
    e.items.push_back({ui::IDOK, "BUTTON", "OK", 20, 100, 50, 14, ui::BS_DEFPUSHBUTTON | ui::WS_TABSTOP});
    e.items.push_back({ui::IDCANCEL, "BUTTON", "ｷｬﾝｾﾙ", 90, 100, 50, 14, ui::WS_TABSTOP});
    ui::DialogRegistry::Global().Add(std::move(e));
}

}  // namespace zv::panels
