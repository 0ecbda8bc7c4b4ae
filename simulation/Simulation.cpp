#include "simulation/Simulation.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "rules/records/Bytes.h"

namespace zv::sim {

namespace {

std::unique_ptr<std::uint8_t[]> ZeroBuffer(std::uint32_t size) {
    return std::make_unique<std::uint8_t[]>(size);  // value-initialised: all zero
}

}  // namespace

Simulation::Simulation(rules::TableDirectory& tables, SimulationEnv env)
    : tables_(&tables),
      events_(env.events ? env.events : &rules::NoGameEvents()),
      session_(env.session),
      log_(std::move(env.log)),
      recomputeAllSupplyNetworks_(env.recomputeAllSupplyNetworks),
      workGrid_(std::make_unique<rules::HexWorkGrid>()),
      routeSearches_(std::make_unique<rules::RouteSearchSet>(tables, env.routeEpoch)),
      outgoing_(ZeroBuffer(kJournalBytes)),
      execution_(ZeroBuffer(4 + kJournalBytes)),
      localOrders_(ZeroBuffer(kJournalBytes)),
      incoming_(ZeroBuffer(4 + kJournalBytes)) {}

Simulation::~Simulation() = default;

rules::GameContextEnv Simulation::ContextEnv() {
    rules::GameContextEnv env;
    env.events = events_;
    env.playerCountry = GetPlayerCountry();
    env.workGrid = workGrid_.get();
    env.recomputeAllSupplyNetworks = recomputeAllSupplyNetworks_;
    env.routeSearches = routeSearches_.get();
    return env;
}

void Simulation::Log(std::string_view line) {
    if (log_) {
        log_(line);
        return;
    }
    std::fprintf(stderr, "simulation: %.*s\n", static_cast<int>(line.size()), line.data());
}

std::span<const std::uint8_t> Simulation::OutgoingCommands() const {
    std::lock_guard lock(commandMutex_);
    return {outgoing_.get(), outgoingCount_};
}

std::span<const std::uint8_t> Simulation::LocalOrders() const {
    std::lock_guard lock(orderMutex_);
    return {localOrders_.get(), localOrderCount_};
}

std::span<const std::uint8_t> Simulation::IncomingOrderBuffer() const {
    return {incoming_.get(), 4 + kJournalBytes};
}

std::span<const std::uint8_t> Simulation::ExecutionBuffer() const {
    return {execution_.get(), 4 + kJournalBytes};
}

std::uint32_t Simulation::GetIncomingLength() const {
    std::lock_guard lock(incomingMutex_);
    return rules::ReadU32(incoming_.get(), 0);
}

int Simulation::IsOrderPartReceived(int slot) const {
    if (slot < 0 || slot >= kParticipantSlots) return 0;
    std::lock_guard lock(incomingMutex_);
    return received_[slot];
}

std::uint32_t Simulation::GetGatedCommandBytes() const {
    std::lock_guard lock(commandMutex_);
    return static_cast<std::uint32_t>(gated_.size());
}

int Simulation::IsSinglePlay() {
    const std::uint8_t* settings = tables_->GetTableBase(rules::TableId::GameSettings);
    return rules::ReadS32(settings, rules::GameSettingsRecord::kSinglePlay);
}

int Simulation::IsJournalHost() {
    if (IsSinglePlay()) return 1;
    if (!session_ || !session_->HasConnection()) return 0;
    return session_->IsHost() ? 1 : 0;
}

std::uint8_t Simulation::GetPlayerSlotCountry(int slot) {
    if (IsSinglePlay()) return 0xFF;
    if (slot < 0 || slot >= kParticipantSlots || !session_) return 0xFF;
    const std::uint32_t value = session_->GetSlotValue(slot);
    return value == 0 ? 0xFF : static_cast<std::uint8_t>(value - 1);
}

}  // namespace zv::sim
