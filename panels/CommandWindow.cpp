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

struct CommandWindowState {
    ui::Hwnd window{};
    std::unique_ptr<fw::Dib> picture;
    int16_t selectedRow = -1;
    uint16_t launchTroop = rules::kNoTroop;
    uint16_t separationChoice = 0;
    uint8_t separationRange = 0;
    uint16_t cargoBit = 0;
} gCommand;

void RepaintButtons() {
    for (int i = 0; i < kCommandButtonCount; ++i) {
        const ui::Hwnd b = ui::GetDlgItem(gCommand.window, kFirstCommandButton + i);
        if (b) {
            ui::InvalidateRect(b, nullptr, false);
            ui::UpdateWindow(b);
        }
    }
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

void Press(int row) {
    gCommand.selectedRow = int16_t(row);
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
            if (hasTroop && host.ShowWeaponExchange(gCommand.window, troop) != 0) {
                SendToMap(WM_MAP_COMMAND, troop);
            }
            return;
        case kLaunch: {
            if (!hasTroop) return;
            gCommand.launchTroop = host.ChooseCargoTroop(gCommand.window, troop);
            if (gCommand.launchTroop == rules::kNoTroop) return;
            MarkReach(g, gCommand.launchTroop, hex);
            SendToMap(WM_MAP_TICK_REDRAW, 0);
            return;
        }
        case kAttack:
            if (hasTroop) rules::MarkHexesInRange(g, troop, 100, 0);
            break;
        case kFire:
            if (hasTroop) {
                gCommand.separationRange = rules::GetWeaponRange(t, 255, 1);
                rules::MarkHexesInRange(g, troop, gCommand.separationRange, 0);
            }
            break;
        case kSupply:
            if (hasTroop) {
                MarkReach(g, troop, hex);
                rules::MarkNeighbourTargets(g, troop);
            }
            break;
        case kSeparate: {
            const uint32_t choice = host.SelectSeparableWeapon(gCommand.window, troop, 0, 0);
            if (choice == 0) return;
            gCommand.separationChoice = uint16_t(choice & 0xFFFF);
            gCommand.separationRange = uint8_t((choice >> 16) & 0xFF);
            if (gCommand.separationChoice & 0x3000) {
                gCommand.cargoBit = host.ChooseCargoTroopBit(gCommand.window, troop);
            }
            if (hasTroop) {
                rules::MarkHexesInRange(g, troop, uint8_t(choice >> 16), uint16_t(choice & 0xFFFF));
            }
            break;
        }
        default:  // move, occupy, board, bomb, transform
            if (hasTroop) MarkReach(g, troop, hex);
            break;
    }
    SendToMap(WM_MAP_TICK_REDRAW, 0);
}

ui::LResult CommandProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    if (ui::LResult r = 0;
        msg != ui::WM_DESTROY && HandlePictureWindowMessage(h, msg, gCommand.picture, 0, &r)) {
        return r;
    }
    switch (msg) {
        case ui::WM_CREATE: {
            gCommand.window = h;
            gCommand.picture = LoadPicture("command.bmp");
            for (int i = 0; i < kCommandButtonCount; ++i) {
                ui::CreateWindowEx(ui::WS_EX_TOPMOST, "Button", "",
                                   ui::WS_CHILD | ui::WS_VISIBLE | ui::WS_CLIPCHILDREN |
                                       ui::BS_PUSHLIKE | ui::BS_OWNERDRAW,
                                   (i % 5) * kButtonWidth + 8, (i / 5) * kButtonHeight + 12,
                                   kButtonWidth, kButtonHeight, h, kFirstCommandButton + i, nullptr,
                                   nullptr);
            }
            SizePanelToClient(h, gCommand.picture->GetWidth(), gCommand.picture->GetHeight());
            return 0;
        }
        case ui::WM_DESTROY:
            gCommand.picture.reset();
            if (gCommand.window == h) gCommand.window = {};
            return 0;
        case ui::WM_CTLCOLORBTN:
            return NullBrushResult();
        case ui::WM_DRAWITEM: {
            auto* item = reinterpret_cast<ui::DrawItemStruct*>(l);
            if (item == nullptr || item->ctlType != ui::ODT_BUTTON) return 0;
            const int row = int(item->ctlId) - kFirstCommandButton;
            if (row < 0 || row >= kCommandButtonCount) return 0;
            ui::DrawItemStruct shown = *item;
            if (row == gCommand.selectedRow) shown.itemState |= ui::ODS_SELECTED;
            shell::DrawBitmapButton(h, &shown, gCommand.picture.get(),
                                    CommandButtonTable()[size_t(row)].picture);
            return 1;
        }
        case ui::WM_COMMAND: {
            const int row = int(w & 0xFFFF) - kFirstCommandButton;
            if (row >= 0 && row < kCommandButtonCount) Press(row);
            return 0;
        }
        default:
            return ui::DefWindowProc(h, msg, w, l);
    }
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
    gCommand.launchTroop = rules::kNoTroop;
    int first = -1;
    for (int i = 0; i < kCommandButtonCount; ++i) {
        const uint8_t c = CommandButtonTable()[size_t(i)].code;
        if (gCommand.window) {
            ui::EnableWindow(ui::GetDlgItem(gCommand.window, kFirstCommandButton + i),
                             (mask & (1u << c)) != 0);
        }
        if (first < 0 && c == code) first = i;
    }
    gCommand.selectedRow = -1;
    if (gCommand.window) RepaintButtons();
    return first;
}

int GetSelectedCommandCode() {
    if (gCommand.selectedRow < 0) return 0;
    const uint8_t code = CommandButtonTable()[size_t(gCommand.selectedRow)].code;
    return code == kWait ? kWaitCommandCode : code;
}

uint16_t GetLaunchTroop() {
    return gCommand.launchTroop;
}
uint16_t GetSeparationChoice() {
    return gCommand.separationChoice;
}
uint8_t GetSeparationRange() {
    return gCommand.separationRange;
}
uint16_t GetSeparationCargoBit() {
    return gCommand.cargoBit;
}

}  // namespace zv::panels
