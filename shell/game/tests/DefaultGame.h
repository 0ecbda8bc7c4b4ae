#pragma once

// The default map's tables in the program's world with the set-up pages' choices, for the tests
// that start a game on the frame without going through the pages.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "framework/ProcessState.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/Bytes.h"
#include "rules/records/CountryTable25Record.h"
#include "rules/records/MapCursors.h"
#include "shell/game/GameDocument.h"
#include "shell/game/GameMessages.h"
#include "shell/game/TitleWindow.h"
#include "simulation/ClockStepWorld.h"

namespace zv::shell::testing {

// `player` against the computer on MAP00001, deployment on or off.
inline void LoadDefaultMap(rules::TableDirectory& tables, int player, bool deployment = false) {
    using G = rules::GameSettingsRecord;
    std::string error;
    sim::HeadlessGame loader;
    ASSERT_TRUE(loader.Load(fw::GetProgramDirectory(), "MAP00001.ddm", error)) << error;
    for (rules::TableId id : {rules::TableId::Site, rules::TableId::Troop, rules::TableId::Hex,
                              rules::TableId::Country, rules::TableId::ScenarioHeader}) {
        std::memcpy(tables.GetTableBase(id), loader.Tables().GetTableBase(id), tables.GetTableTotalBytes(id));
    }
    std::uint8_t* s = tables.GetTableBase(rules::TableId::GameSettings);
    std::memset(s, 0, sizeof(G));
    rules::WriteS32(s, G::kSinglePlay, 1);
    rules::WriteS32(s, G::kDeployment, deployment ? 1 : 0);
    rules::ScenarioHeaderCursor header(tables);
    s[G::kFogOfWar] = header.GetOptionByte1();
    s[G::kDayLimit] = header.GetDayLimit();
    s[G::kHourLimit] = header.GetHourLimit();
    s[G::kDeployLimit] = header.GetDeployLimit();
    rules::WriteU16(s, G::kRuleOptions, header.GetOptionWord());
    rules::CountryCursor countries(tables);
    for (int c = 0; c < rules::kCountryCount; ++c) {
        std::uint8_t* e = s + G::CountryEntry(c);
        countries.Select(c);
        const bool inMap = countries.GetParticipation() == 1;
        e[G::kEntryParticipation] = c == player ? 0 : (inMap ? 1 : 2);
        e[G::kEntryState] = c == player || inMap ? 1 : 0;
        e[G::kEntryAllianceMask] = static_cast<std::uint8_t>(1u << c);
        rules::WriteS32(e, G::kEntryFunds, countries.GetComputerFunds());
        rules::WriteS32(e, G::kEntryProductionLimit, 100);
    }
}

// A single game on the default map with country 0 the player's, started on the frame.
inline GameWorld* StartDefaultGame(ui::Hwnd frame) {
    GameWorld* world = CurrentGameWorld();
    LoadDefaultMap(*world->tables, 0);
    ui::SendMessage(frame, WM_START_GAME, 0, 0);
    return world;
}

// Counts the title windows the frame asks for (the start-up asks once) while it lives.
struct TitleCount {
    int count = 0;
    TitleCount() {
        SetTitleWindowFactory([this](ui::Hwnd) {
            ++count;
            return ui::Hwnd{};
        });
    }
    ~TitleCount() { SetTitleWindowFactory(nullptr); }
    TitleCount(const TitleCount&) = delete;
    TitleCount& operator=(const TitleCount&) = delete;
};

}  // namespace zv::shell::testing
