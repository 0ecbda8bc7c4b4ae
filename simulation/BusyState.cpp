// The busy half of the simulation object: the BusyMask, the participant wait words and what
// is reported of them. Reports are delivered after the lock is released, since a report may
// wait for the GUI thread.
#include <string>

#include "simulation/Simulation.h"

namespace zv::sim {

namespace {

bool IsPlayerBusyBit(int bit) {
    return bit == kBusyDialog || bit == kBusyFight || bit == kBusySelecting;
}

std::uint32_t CombinedWaitBit(int slot) {
    return 1u << (31 - slot);
}

}  // namespace

std::uint16_t Simulation::BuildWaitMaskLocked() const {
    std::uint16_t mask = 0;
    for (int i = 0; i < kParticipantSlots; ++i) {
        if (waitWords_[i] != 0) mask = static_cast<std::uint16_t>(mask | (1u << i));
    }
    return mask;
}

void Simulation::Deliver(const Report& report) {
    if (report.panel) events_->PanelWaitMask(report.mask);
    if (report.toAll && session_) session_->SendWaitMask(report.mask);
    if (report.waitState >= 0 && session_) session_->SendWaitState(0, report.waitState);
}

void Simulation::ResetBusyState() {
    std::lock_guard lock(busyMutex_);
    waitWords_.fill(0);
    combinedWait_.store(0);
    busyMask_.store(kInitialBusyMask);
}

void Simulation::SetBusyBit(int bit, int on) {
    if (bit < 0 || bit > 31) {
        Log("busy bit " + std::to_string(bit) + " ignored: no such bit");
        return;
    }
    const bool single = IsSinglePlay() != 0;
    const bool host = IsJournalHost() != 0;
    const std::uint8_t player = GetPlayerCountry();
    Report report;
    {
        std::lock_guard lock(busyMutex_);
        std::uint32_t old = busyMask_.load();
        std::uint32_t mask = old;
        if (!single && !host) {
            // A client keeps only the player-busy bits; play has begun once it reports.
            mask &= ~kInitialBusyMask;
            old &= ~kInitialBusyMask;
            if (!IsPlayerBusyBit(bit)) {
                busyMask_.store(mask);
                return;
            }
        }
        mask = on ? (mask | (1u << bit)) : (mask & ~(1u << bit));
        busyMask_.store(mask);
        if (single || host) {
            // The local player's country may be 6 (none): it then has no wait word.
            if (player < kParticipantSlots) waitWords_[player] = mask & kPlayerBusyBits;
            report.mask = BuildWaitMaskLocked();
            report.panel = report.toAll = !single;
        } else if (old == 0 && mask != 0) {
            report.waitState = 1;
        } else if (old != 0 && mask == 0) {
            report.waitState = 0;
        }
    }
    Deliver(report);
}

void Simulation::SetPlayerWait(int slot, int bit, int on) {
    (void)bit;
    if (slot < 0 || slot >= kParticipantSlots) {
        Log("wait state of slot " + std::to_string(slot) + " dropped: no such slot");
        return;
    }
    const std::uint32_t value = session_ ? session_->GetSlotValue(slot) : 0;
    Report report;
    {
        std::lock_guard lock(busyMutex_);
        const std::uint32_t combined = combinedWait_.load();
        combinedWait_.store(on ? (combined | CombinedWaitBit(slot))
                               : (combined & ~CombinedWaitBit(slot)));
        if (value >= 1 && value <= kParticipantSlots) {
            waitWords_[value - 1] = static_cast<std::uint32_t>(on);
        }
        report.mask = BuildWaitMaskLocked();
        report.panel = report.toAll = true;
    }
    if (value < 1 || value > kParticipantSlots) {
        Log("wait word of slot " + std::to_string(slot) + " left alone: its slot value " +
            std::to_string(value) + " names no participant");
    }
    Deliver(report);
}

int Simulation::IsPlayerWaiting(int slot) {
    if (slot < 0 || slot >= kParticipantSlots) return 0;
    return (combinedWait_.load() & CombinedWaitBit(slot)) != 0 ? 1 : 0;
}

std::uint16_t Simulation::GetPlayerWaitWord(int n) {
    if (n < 0 || n >= kParticipantSlots) return 0;
    std::lock_guard lock(busyMutex_);
    return static_cast<std::uint16_t>(waitWords_[n]);
}

int Simulation::IsBusy() {
    return (busyMask_.load() != 0 || combinedWait_.load() != 0) ? 1 : 0;
}

void Simulation::ReportWaitState() {
    const bool network = NetworkPlay();
    Report report;
    {
        std::lock_guard lock(busyMutex_);
        report.mask = BuildWaitMaskLocked();
    }
    report.panel = report.toAll = network;
    Deliver(report);
}

int Simulation::SendBusyChange(int bit, int on) {
    if (IsSinglePlay()) return 1;
    return session_ && session_->SendWaitState(bit, on) == 0 ? 1 : 0;
}

}  // namespace zv::sim
