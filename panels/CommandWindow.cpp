#include "panels/CommandWindow.h"

#include <cstring>
#include <memory>
#include <string>

#include "framework/Dib.h"
#include "framework/gui/WindowUtilities.h"
#include "mapview/MapViewContext.h"
#include "mapview/MapWorld.h"
#include "panels/PanelCommon.h"
#include "panels/PanelMessages.h"
#include "panels/PanelWorld.h"
#include "platform/core/Sjis.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "platform/ui/controls/ControlConstants.h"
#include "rules/context/GameContext.h"
#include "rules/records/TroopCursor.h"
#include "rules/search/HexSearch.h"
#include "rules/search/RouteSearch.h"
#include "rules/troops/TroopQueries.h"
#include "shell/ButtonBitmaps.h"
#include "shell/WindowRegistry.h"

namespace zv::panels {

namespace {

constexpr const char* kClass = "CommandWindow";
constexpr int kButtonWidth = 36, kButtonHeight = 20;

enum Code : uint8_t {
    kWait = 0,
    kMove = 1,
    kAttack = 2,
    kFire = 3,
    kOccupy = 4,
    kSupply = 5,
    kBoard = 6,
    kLaunch = 7,
    kBomb = 8,
    kTransform = 9,
    kArm = 10,
    kSeparate = 11,
    kDisband = 12,
};

CommandButtonRow Row(const char* utf8, uint8_t code, uint8_t picture) {
    CommandButtonRow r{};
    const std::string sjis = core::Utf8ToSjis(utf8);
    std::memcpy(r.label, sjis.data(), std::min(sjis.size(), sizeof r.label - 1));
    r.code = code;
    r.picture = picture;
    return r;
}

void SendToMap(uint32_t msg, ui::WParam w) {
    const ui::Hwnd map = shell::GetWindowOfKind(shell::WindowKind::MapWnd);
    if (map) ui::SendMessage(map, msg, w, 0);
}

// Hex mark bit 0 cleared over the map, then the troop's reach from its hex marked.
void MarkReach(rules::GameContext& g, uint16_t troop, uint16_t hex) {
    g.ClearAllHexMarkBit0();
    rules::ContextRouteSearch search(g, rules::RouteInstance::Map);
    search->ComputeAreaFromHex(g, troop, hex & 0xFF, hex >> 8, nullptr);
}

// The command pad: its picture, the pressed command and what the press asked of the player.
class CommandPad : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        if (ui::LResult r = 0;
            msg != ui::WM_DESTROY && HandlePictureWindowMessage(Handle(), msg, picture_, 0, &r)) {
            return r;
        }
        switch (msg) {
            case ui::WM_CREATE:
                OnCreate();
                return 0;
            case ui::WM_DESTROY:
                picture_.reset();
                return 0;
            case ui::WM_CTLCOLORBTN:
                return NullBrushResult();
            case ui::WM_DRAWITEM:
                return OnDrawItem(reinterpret_cast<const ui::DrawItemStruct*>(l));
            case ui::WM_COMMAND: {
                const int row = int(ui::LoWord(w)) - kFirstCommandButton;
                if (row >= 0 && row < kCommandButtonCount) Press(row);
                return 0;
            }
            default:
                return Default(msg, w, l);
        }
    }

    // UpdateCommandButtons on this pad.
    void Update(uint16_t mask) {
        launchTroop_ = rules::kNoTroop;
        for (int i = 0; i < kCommandButtonCount; ++i) {
            const uint8_t c = CommandButtonTable()[size_t(i)].code;
            ui::EnableWindow(ui::GetDlgItem(Handle(), kFirstCommandButton + i),
                             (mask & (1u << c)) != 0);
        }
        selectedRow_ = -1;
        RepaintButtons();
    }
    int SelectedRow() const { return selectedRow_; }
    uint16_t LaunchTroop() const { return launchTroop_; }
    uint16_t SeparationChoice() const { return separationChoice_; }
    uint8_t SeparationRange() const { return separationRange_; }
    uint16_t CargoBit() const { return cargoBit_; }

  private:
    void OnCreate() {
        const ui::Hwnd h = Handle();
        picture_ = LoadPicture("command.bmp");
        for (int i = 0; i < kCommandButtonCount; ++i) {
            ui::CreateWindowEx(ui::WS_EX_TOPMOST, "Button", "",
                               ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_CLIPCHILDREN |
                                   ui::BS_PUSHLIKE | ui::BS_OWNERDRAW,
                               (i % 5) * kButtonWidth + 8, (i / 5) * kButtonHeight + 12,
                               kButtonWidth, kButtonHeight, h, kFirstCommandButton + i, nullptr,
                               nullptr);
        }
        SizePanelToClient(h, picture_->GetWidth(), picture_->GetHeight());
    }
    ui::LResult OnDrawItem(const ui::DrawItemStruct* item) {
        if (item == nullptr || item->ctlType != ui::ODT_BUTTON) return 0;
        const int row = int(item->ctlId) - kFirstCommandButton;
        if (row < 0 || row >= kCommandButtonCount) return 0;
        ui::DrawItemStruct shown = *item;
        if (row == selectedRow_) shown.itemState |= ui::ODS_SELECTED;
        shell::DrawBitmapButton(Handle(), &shown, picture_.get(),
                                CommandButtonTable()[size_t(row)].picture);
        return 1;
    }

    void RepaintButtons() {
        for (int i = 0; i < kCommandButtonCount; ++i) {
            const ui::Hwnd b = ui::GetDlgItem(Handle(), kFirstCommandButton + i);
            if (b) {
                ui::InvalidateRect(b, nullptr, false);
                ui::UpdateWindow(b);
            }
        }
    }

    void Press(int row) {
        const ui::Hwnd h = Handle();
        selectedRow_ = int16_t(row);
        RepaintButtons();
        const uint8_t code = CommandButtonTable()[size_t(row)].code;
        const uint16_t troop = mapview::GetSingleSelectedTroop();
        PanelHost& host = CurrentPanelHost();
        if (code == kWait || code == kDisband) {
            SendToMap(WM_MAP_COMMAND, troop);
            return;
        }
        rules::TableDirectory* tables = PanelTables();
        if (tables == nullptr) return;
        rules::GameContext g(*tables, mapview::MapContextEnv());
        rules::TroopCursor& t = g.Troops();
        const bool hasTroop = troop != rules::kNoTroop && t.Select(troop);
        const uint16_t hex = hasTroop ? t.GetHexValue() : rules::kNoHex;
        switch (code) {
            case kArm:
                if (hasTroop && host.ShowWeaponExchange(h, troop) != 0) {
                    SendToMap(WM_MAP_COMMAND, troop);
                }
                return;
            case kLaunch: {
                if (!hasTroop) return;
                launchTroop_ = host.ChooseCargoTroop(h, troop);
                if (launchTroop_ == rules::kNoTroop) return;
                MarkReach(g, launchTroop_, hex);
                SendToMap(WM_MAP_TICK_REDRAW, 0);
                return;
            }
            case kAttack:
                if (hasTroop) rules::MarkHexesInRange(g, troop, 100, 0);
                break;
            case kFire:
                if (hasTroop) {
                    separationRange_ = rules::GetWeaponRange(t, 255, 1);
                    rules::MarkHexesInRange(g, troop, separationRange_, 0);
                }
                break;
            case kSupply:
                if (hasTroop) {
                    MarkReach(g, troop, hex);
                    rules::MarkNeighbourTargets(g, troop);
                }
                break;
            case kSeparate: {
                const uint32_t choice = host.SelectSeparableWeapon(h, troop, 0, 0);
                if (choice == 0) return;
                separationChoice_ = ui::LoWord(choice);
                separationRange_ = uint8_t((choice >> 16) & 0xFF);
                if (separationChoice_ & 0x3000) cargoBit_ = host.ChooseCargoTroopBit(h, troop);
                if (hasTroop) {
                    rules::MarkHexesInRange(g, troop, uint8_t(choice >> 16),
                                            ui::LoWord(choice));
                }
                break;
            }
            default:  // move, occupy, board, bomb, transform
                if (hasTroop) MarkReach(g, troop, hex);
                break;
        }
        SendToMap(WM_MAP_TICK_REDRAW, 0);
    }

    std::unique_ptr<fw::Dib> picture_;
    int16_t selectedRow_ = -1;
    uint16_t launchTroop_ = rules::kNoTroop;
    uint16_t separationChoice_ = 0;
    uint8_t separationRange_ = 0;
    uint16_t cargoBit_ = 0;
};

ui::LResult CommandProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<CommandPad>(h, msg, w, l);
}

// The pad of the game's panel column; null without one.
CommandPad* CurrentPad() {
    return ui::WindowObjectOf<CommandPad>(shell::GetWindowOfKind(shell::WindowKind::CommandWnd),
                                          kClass);
}

}  // namespace

const std::array<CommandButtonRow, kCommandButtonCount>& CommandButtonTable() {
    static const std::array<CommandButtonRow, kCommandButtonCount> table = {
        Row("待機", kWait, 33),     Row("移動", kMove, 34),   Row("攻撃", kAttack, 35),
        Row("射撃", kFire, 36),     Row("爆撃", kBomb, 37),   Row("変形", kTransform, 38),
        Row("占領", kOccupy, 40),   Row("補給", kSupply, 41), Row("武装", kArm, 42),
        Row("分散", kSeparate, 43), Row("搭乗", kBoard, 44),  Row("発進", kLaunch, 45),
        Row("解散", kDisband, 46),
    };
    return table;
}

bool RegisterCommandWindowClass() {
    return RegisterPanelClass(kClass, CommandProc);
}

ui::Hwnd CreateCommandWindow(void* instance, ui::Hwnd parent, intptr_t menu, uint32_t style) {
    (void)instance;
    if (!RegisterCommandWindowClass()) return {};
    return CreatePanelWindow(kClass, "命令画面", parent, menu, style);
}

int UpdateCommandButtons(uint16_t mask, int code) {
    int first = -1;
    for (int i = 0; i < kCommandButtonCount; ++i) {
        if (CommandButtonTable()[size_t(i)].code == code) {
            first = i;
            break;
        }
    }
    if (CommandPad* pad = CurrentPad()) pad->Update(mask);
    return first;
}

int GetSelectedCommandCode() {
    const CommandPad* pad = CurrentPad();
    if (pad == nullptr || pad->SelectedRow() < 0) return 0;
    const uint8_t code = CommandButtonTable()[size_t(pad->SelectedRow())].code;
    return code == kWait ? kWaitCommandCode : code;
}

uint16_t GetLaunchTroop() {
    const CommandPad* pad = CurrentPad();
    return pad ? pad->LaunchTroop() : rules::kNoTroop;
}
uint16_t GetSeparationChoice() {
    const CommandPad* pad = CurrentPad();
    return pad ? pad->SeparationChoice() : uint16_t(0);
}
uint8_t GetSeparationRange() {
    const CommandPad* pad = CurrentPad();
    return pad ? pad->SeparationRange() : uint8_t(0);
}
uint16_t GetSeparationCargoBit() {
    const CommandPad* pad = CurrentPad();
    return pad ? pad->CargoBit() : uint16_t(0);
}

}  // namespace zv::panels
