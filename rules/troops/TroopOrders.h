#pragma once

#include <cstdint>

#include "rules/context/GameContext.h"
#include "rules/records/Bytes.h"
#include "rules/records/TroopRecord.h"

// Giving, advancing and clearing a troop's order: the rule operations behind journal commands
// 15, 22, 26, 31 and 36. Each selects the troop it is given in the context's troop cursor and
// leaves it selected; each works alike on the live tables and on the shadow tables.
namespace zv::rules {

// The troop's current activity (TroopRecord offset 364); the same numbers are the journal
// opcodes of the actions.
enum OrderKind : std::uint8_t {
    kOrderNone = 0,
    kOrderMove = 1,
    kOrderAttack = 2,
    kOrderFire = 3,
    kOrderOccupy = 4,
    kOrderSupply = 5,
    kOrderBoard = 6,
    kOrderLaunch = 7,
    kOrderBomb = 8,
    kOrderTransform = 9,
    kOrderArm = 10,
    kOrderDisperse = 11,
    kOrderDisband = 12,
    kOrderSupport = 13,
    kOrderReturn = 14,
};

// The 38-byte member settings block of order 35 and command 36.
struct MemberSettingsBlock : ByteRecord<38> {
    // Five bytes per formation slot 0-5: pack, attack settings (member bytes 22, 23), defence
    // settings (member bytes 24, 25).
    static constexpr std::size_t kSlotEntries = 0, kSlotEntrySize = 5;
    // Settings 22-26 of the formation at kFormation.
    static constexpr std::size_t kFormationSettings = 30, kFormation = 35, kTroopMode = 36;
};
inline constexpr int kMemberSettingsBlockSize = MemberSettingsBlock::kSize;

// Game time of the context's scenario header in minutes: day x 1440 + hour x 60 + minute.
std::int32_t GetOrderTime(GameContext& ctx);

// The selected troop's move cost on the terrain class of the selected hex (mode 1 for a troop
// whose stored altitude class is 3, else 0); 0 when the hex names no terrain class.
std::uint8_t TroopMoveCostOnHex(GameContext& ctx);

// Command 26: the order is gone, the troop idle. 1; 0 when the troop does not select.
int ClearTroopOrders(GameContext& ctx, std::uint16_t troop);

// Command 22: starts an order, planning waypoints 1-3 on the context's route search; OrderKind 0
// cancels. 1; 0 when the troop does not select or is not on the map.
int SetTroopOrder(GameContext& ctx, std::uint16_t troop, std::uint16_t destination,
                  std::uint16_t target, std::uint8_t orderKind, std::uint16_t actionFlags,
                  std::uint16_t weaponSelection, std::uint8_t parameter, std::uint16_t homeHex,
                  std::uint8_t homeActionBit, std::uint8_t homeTroop);

// The variant of the order translation and of a launch: the waypoints come from the map
// windows' route search, a cancel also clears the order time and keeps the home troop, and the
// home troop is stored only together with a home hex.
int PrepareTroopOrder(GameContext& ctx, std::uint16_t troop, std::uint16_t destination,
                      std::uint16_t target, std::uint8_t orderKind, std::uint16_t actionFlags,
                      std::uint16_t weaponSelection, std::uint8_t parameter, std::uint16_t homeHex,
                      std::uint8_t homeActionBit, std::uint8_t homeTroop);

// Command 15: slot 0-3 sets that waypoint and heads for it; a higher slot sets the destination
// and heads for it (waypoint index 4). 1; 0 when the troop does not select.
int SetTroopTarget(GameContext& ctx, std::uint16_t troop, std::uint16_t hex, std::uint8_t slot);

// Command 31: the current step of the order is done; the pending ActionFlags give the next
// OrderKind, or the troop heads home, or the order ends. The byte is not used. 1; 0 when the
// troop does not select.
int UpdateTroopStatusFromFlags(GameContext& ctx, std::uint16_t troop, std::uint8_t value = 0);

// Command 36: packs and row settings of the members (by formation slot), then the settings of
// the formation named at block offset 35, which becomes current, and the TroopMode. 1; 0 and
// nothing changed when the troop is 0xFFFF or does not select, the formation is not 0-3 or a
// present member would get a pack other than 0-3.
int ApplyMemberSettings(GameContext& ctx, std::uint16_t troop,
                        const std::uint8_t block[kMemberSettingsBlockSize]);

// 1 when the map view may add the hex as a waypoint of the troop's route: not its own hex,
// passable for it, not the destination nor a waypoint already, the destination set and the
// waypoint index below 4 and (unless the limit is 0xFFFF) not above the limit.
int CanAddWaypoint(GameContext& ctx, std::uint16_t troop, std::uint16_t hex, std::uint16_t limit);

}  // namespace zv::rules
