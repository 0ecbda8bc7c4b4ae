#include "simulation/OrderTranslation.h"

#include <array>
#include <optional>
#include <string>

#include "rules/context/ShadowGameContext.h"
#include "rules/records/Bytes.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/TroopRecord.h"
#include "rules/troops/TroopOrders.h"
#include "simulation/CommandInterpreter.h"
#include "simulation/CommandRecords.h"
#include "simulation/Simulation.h"

namespace zv::sim {

const char* MemberSettingsOrder::Refusal(const MemberSettingsCommand& c) {
    return c.block[MemberSettingsBlock::kFormation] > kLastFormation ? "no such formation"
                                                                     : nullptr;
}

const char* FormationOrder::Refusal(const FormationCommand& c) {
    return (c.formation & 0xFF) > kLastFormation ? "no such formation" : nullptr;
}

const char* WithdrawOrder::Refusal(const WithdrawCommand& c) {
    return c.country > kLastCountry ? "no such country" : nullptr;
}

const char* AllianceProposalOrder::Refusal(const AllianceProposalCommand& c) {
    const bool addressee = c.addressee <= kLastCountry || c.addressee == kNoAddressee;
    return c.proposer > kLastCountry || !addressee ? "no such country" : nullptr;
}

const char* AllianceAnswerOrder::Refusal(const AllianceChangeCommand& c) {
    return c.answerer > kLastCountry || c.proposer > kLastCountry ? "no such country" : nullptr;
}

const char* PlaceOrder::Refusal(const PlaceCommand& c) {
    return c.country > kLastCountry ? "no such country" : nullptr;
}

namespace {

class Translator {
  public:
    explicit Translator(Simulation& sim)
        : sim_(sim), shadow_(sim.Tables(), sim.ContextEnv()), force_(sim.Tables()) {}

    // The order's command, written and applied to the shadow tables unless the order is
    // refused. A troop order is applied exactly as command 22 gives it to the live tables, so
    // both keep the same home troop and order time, and written whatever the shadow makes of
    // it: the live tables then fail alike.
    template <typename Order>
    void Translate(const std::uint8_t* r, std::uint32_t offset) {
        const auto command = ReadRecord<Order>(r);
        if constexpr (requires { Order::Refusal(command); }) {
            if (const char* why = Order::Refusal(command)) {
                Drop(Order::kOpcode, offset, why);
                return;
            }
        }
        if constexpr (requires { command.Apply(shadow_); }) {
            WriteAndRun(sim_, shadow_, command);
        } else if constexpr (requires { command.Apply(force_); }) {
            WriteAndRun(sim_, force_, command);
        } else {
            WriteCommand(sim_, command);
        }
    }

  private:
    void Drop(std::uint16_t opcode, std::uint32_t offset, const char* why) {
        sim_.Log("order " + std::to_string(opcode) + " at offset " + std::to_string(offset) +
                 " dropped: " + why);
    }

    Simulation& sim_;
    rules::ShadowGameContext shadow_;
    rules::ShadowForceCursor force_;
};

using Handler = void (*)(Translator&, const std::uint8_t*, std::uint32_t);

template <typename... Orders>
constexpr std::array<Handler, kOpcodeLimit> HandlersOf(RowList<Orders...>) {
    std::array<Handler, kOpcodeLimit> handlers{};
    ((handlers[Orders::kOpcode] = [](Translator& t, const std::uint8_t* r,
                                     std::uint32_t offset) { t.Translate<Orders>(r, offset); }),
     ...);
    return handlers;
}

constexpr auto kHandlers = HandlersOf(OrderRows{});

// An order applied at once: the same refusal and the same change as the translation above and
// the journal's interpreter make of it in a game.
class Immediate {
  public:
    explicit Immediate(rules::GameContext& tables) : tables_(tables) {}

    template <typename Order>
    int Apply(const std::uint8_t* r) {
        const auto command = ReadRecord<Order>(r);
        if constexpr (requires { Order::Refusal(command); }) {
            if (Order::Refusal(command)) return 0;
        }
        if constexpr (requires { command.Apply(tables_); }) {
            command.Apply(tables_);
            return 1;
        } else if constexpr (requires(rules::ForceCursor& force) { command.Apply(force); }) {
            rules::ForceCursor force(tables_.Tables());
            command.Apply(force);
            return 1;
        } else {
            return 0;
        }
    }

  private:
    rules::GameContext& tables_;
};

using ImmediateHandler = int (*)(Immediate&, const std::uint8_t*);

template <typename... Orders>
constexpr std::array<ImmediateHandler, kOpcodeLimit> ImmediateHandlersOf(RowList<Orders...>) {
    std::array<ImmediateHandler, kOpcodeLimit> handlers{};
    ((handlers[Orders::kOpcode] = [](Immediate& i, const std::uint8_t* r) { return i.Apply<Orders>(r); }),
     ...);
    return handlers;
}

constexpr auto kImmediateHandlers = ImmediateHandlersOf(OrderRows{});

}  // namespace

int ImmediateOrders::AppendOrder(const std::uint8_t* record, std::uint32_t size) {
    if (!record || size < 2) return 0;
    const std::uint16_t opcode = rules::ReadU16(record, 0);
    if (OrderRecordSize(opcode) == 0 || OrderRecordSize(opcode) != size) return 0;
    Immediate immediate(tables_);
    return kImmediateHandlers[opcode](immediate, record);
}

int TranslateOrders(Simulation& sim, std::span<const std::uint8_t> buffer) {
    // Built on the first whole record: an empty journal costs no context.
    std::optional<Translator> translator;
    WalkRecords(
        buffer, OrderRecordSize, {"orders", "their", "end", "order"},
        [&](const std::string& line) { sim.Log(line); },
        [&](std::uint16_t opcode, const std::uint8_t* r, std::uint32_t pos) {
            if (!translator) translator.emplace(sim);
            kHandlers[opcode](*translator, r, pos);
        });
    return 1;
}

}  // namespace zv::sim
