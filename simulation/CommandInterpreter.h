#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "framework/RandomStreams.h"
#include "rules/context/GameContext.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"

namespace zv::sim {

class Simulation;

// Executes one journal on the live tables: `buffer` starts with the 32-bit total length
// (counting its own four bytes), then the command records. An opcode without a command meaning
// is stepped over as its two bytes. A journal whose length exceeds the buffer is dropped; a
// final record cut short by the length is dropped; a command whose troop, country or formation
// number names nothing a participant could have written is dropped. Each drop is logged.
void ExecuteCommandList(Simulation& sim, std::span<const std::uint8_t> buffer);

// The alliance change of command 45 and order 44 for countries a and b (0-3): kind 0 sets bit b
// in a's alliance mask and bit a in b's, any other kind clears them. A country is changed only
// when it selects. Nothing changes when either number is not a country 0-3.
void ChangeAlliance(rules::CountryCursor& countries, std::uint8_t a, std::uint8_t b,
                    std::uint16_t kind);

// Command 36 and order 35 on the given tables: the member settings, supplies clamped to the new
// packs and, when asked, a supply from the site under the troop (0xFFFF when there is none).
// 0 when the troop does not select (nothing after the settings is done then).
int ApplyMemberSettingsAndSupply(rules::GameContext& ctx, std::uint16_t troop,
                                 std::uint16_t supplyAfter, const std::uint8_t* block);

// What a command's Execute works on: the live tables and the simulation that owns them. One is
// built for each journal, on its first whole record.
class LiveTables {
  public:
    explicit LiveTables(Simulation& sim);

    Simulation& Sim() { return sim_; }
    rules::GameContext& Game() { return game_; }
    rules::ForceCursor& Force() { return force_; }
    rules::GameEvents& Events();
    fw::RandomStreams& Random();
    std::uint8_t Player();
    // Logs that the command being executed is dropped, and why.
    void Drop(const std::string& why);
    // The command being executed, for Drop.
    void SetCurrent(std::uint16_t opcode, std::uint32_t offset) {
        opcode_ = opcode;
        offset_ = offset;
    }

  private:
    Simulation& sim_;
    rules::GameContext game_;
    rules::ForceCursor force_;
    std::uint16_t opcode_ = 0;
    std::uint32_t offset_ = 0;
};

// Highest country number a command or order may name.
inline constexpr std::uint16_t kLastCountry = 3;
// Highest formation number.
inline constexpr std::uint16_t kLastFormation = 3;

}  // namespace zv::sim
