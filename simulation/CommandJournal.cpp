// The journal half of the simulation object: gathering orders, receiving order parts and
// journals, and executing a step's commands.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "rules/context/GameContext.h"
#include "rules/records/Bytes.h"
#include "rules/search/Visibility.h"
#include "simulation/CommandInterpreter.h"
#include "simulation/OrderTranslation.h"
#include "simulation/Simulation.h"

namespace zv::sim {

int Simulation::AppendOrder(const std::uint8_t* record, std::uint32_t size) {
    if (size == 0) return 1;
    if (!record) return 0;
    {
        std::lock_guard lock(orderMutex_);
        if (size <= kJournalBytes - localOrderCount_) {
            std::memcpy(localOrders_.get() + localOrderCount_, record, size);
            localOrderCount_ += size;
            return 1;
        }
    }
    Log("order of " + std::to_string(size) + " bytes dropped: the order buffer is full");
    return 0;
}

int Simulation::AppendCommand(const std::uint8_t* record, std::uint32_t size) {
    if (size == 0) return 1;
    if (!record) return 0;
    {
        std::lock_guard lock(commandMutex_);
        if (stepRunning_ && std::this_thread::get_id() != stepThread_) {
            // Another thread while a step runs: the step's buffer is cleared after it executes,
            // so the command waits for the next step.
            if (size <= kJournalBytes - gated_.size()) {
                gated_.insert(gated_.end(), record, record + size);
                return 1;
            }
        } else if (size <= kJournalBytes - outgoingCount_) {
            std::memcpy(outgoing_.get() + outgoingCount_, record, size);
            outgoingCount_ += size;
            return 1;
        }
    }
    Log("command of " + std::to_string(size) + " bytes dropped: the command buffer is full");
    return 0;
}

void Simulation::SetIncomingLength(std::uint32_t length) {
    rules::WriteU32(incoming_.get(), 0, length);
}

void Simulation::ClearIncomingLocked() {
    const std::uint32_t length = rules::ReadU32(incoming_.get(), 0);
    const std::uint32_t used = length < kJournalBytes ? 4 + length : 4 + kJournalBytes;
    std::memset(incoming_.get(), 0, used);
    received_.fill(0);
    incomingComplete_ = false;
}

void Simulation::ResetCommandJournal() {
    {
        std::lock_guard lock(incomingMutex_);
        ClearIncomingLocked();
    }
    {
        std::lock_guard lock(orderMutex_);
        std::memset(localOrders_.get(), 0, localOrderCount_);
        localOrderCount_ = 0;
    }
    std::lock_guard lock(commandMutex_);
    outgoingCount_ = 0;
    gated_.clear();
}

int Simulation::ResetIncomingOrders() {
    std::lock_guard lock(incomingMutex_);
    ClearIncomingLocked();
    return 0;
}

void Simulation::ProcessIncomingOrders() {
    {
        std::lock_guard lock(commandMutex_);
        stepRunning_ = true;
        stepThread_ = std::this_thread::get_id();
    }
    SetBusyBit(kBusyTranslating, 1);
    {
        std::lock_guard lock(incomingMutex_);
        if (IsSinglePlay()) {
            std::lock_guard orders(orderMutex_);
            if (localOrderCount_ != 0) {
                std::memcpy(incoming_.get() + 4, localOrders_.get(), localOrderCount_);
            }
            SetIncomingLength(localOrderCount_ + 4);
            std::memset(localOrders_.get(), 0, localOrderCount_);
            localOrderCount_ = 0;
        }
        translating_ = true;
    }
    // Translated without the lock: the log sink and the rules may wait for the GUI thread,
    // which must then not wait here for the lock when a part arrives. Parts arriving now are
    // dropped by ReceiveOrderPart, so nobody writes the buffer meanwhile.
    TranslateOrders(*this, {incoming_.get(), 4 + kJournalBytes});
    {
        std::lock_guard lock(incomingMutex_);
        translating_ = false;
        ClearIncomingLocked();
    }
    SetBusyBit(kBusyTranslating, 0);
    SetBusyBit(kBusyAwaitingOrders, 1);
}

void Simulation::FlushCommandJournal() {
    std::uint32_t count = 0;
    {
        std::lock_guard lock(commandMutex_);
        count = outgoingCount_;
        rules::WriteU32(execution_.get(), 0, count + 4);
        std::memcpy(execution_.get() + 4, outgoing_.get(), count);
    }
    if (NetworkPlay() && session_) {
        session_->SendGameFromServer(kJournalValue, count, execution_.get() + 4);
    }
    RunPendingCommands();
    if (!NetworkPlay()) {
        SetBusyBit(kBusyAwaitingOrders, 0);
    } else if (session_) {
        session_->SendExecuteThinkEnd();
    }
}

int Simulation::ExecuteReceivedCommands(const std::uint8_t* data, std::uint32_t size) {
    if (size > kJournalBytes || (!data && size != 0)) {
        Log("journal of " + std::to_string(size) +
            " bytes dropped: larger than the execution buffer");
        return -1;
    }
    rules::WriteU32(execution_.get(), 0, size + 4);
    if (size != 0) std::memcpy(execution_.get() + 4, data, size);
    RunPendingCommands();
    return session_ ? session_->SendExecuteThinkEnd() : 1;
}

bool Simulation::ReceiveOrderPart(std::uint32_t slot, const std::uint8_t* data,
                                  std::uint32_t size) {
    if (slot == kResetOrderPart) {
        bool cleared = false;
        {
            std::lock_guard lock(incomingMutex_);
            // While the step translates, its parts are already taken: a reset has nothing
            // left to discard, and the step sets bit 8 for the next parts anyway.
            if (!translating_) {
                ClearIncomingLocked();
                cleared = true;
            }
        }
        if (!cleared) {
            Log("reset of the order parts dropped: the step's orders are being translated");
            return false;
        }
        SetBusyBit(kBusyAwaitingOrders, 0);
        return true;
    }
    const std::string part = "order part of slot " + std::to_string(slot) + " (" +
                             std::to_string(size) + " bytes) dropped: ";
    if (slot >= kParticipantSlots) {
        Log(part + "no such slot");
        return false;
    }
    if (!data && size != 0) {
        Log(part + "no data");
        return false;
    }
    // Asked before the lock is taken: the session is never called with the lock held.
    std::array<bool, kParticipantSlots> occupied{};
    for (int s = 0; s < kParticipantSlots; ++s) {
        occupied[s] = session_ && session_->GetSlotValue(s) != 0;
    }
    bool complete = false;
    const char* fault = nullptr;
    {
        std::lock_guard lock(incomingMutex_);
        const std::uint32_t length = rules::ReadU32(incoming_.get(), 0);
        if (translating_) {
            fault = "the step's orders are being translated";
        } else if (incomingComplete_) {
            fault = "the step's parts are complete";
        } else if (received_[slot]) {
            fault = "the slot has sent its part of this step";
        } else if (size > kJournalBytes - length) {
            fault = "the order buffer is full";
        } else {
            if (size != 0) std::memcpy(incoming_.get() + 4 + length, data, size);
            SetIncomingLength(length + size);
            received_[slot] = 1;
            complete = true;
            for (int s = 0; s < kParticipantSlots; ++s) {
                if (occupied[s] && !received_[s]) {
                    complete = false;
                    break;
                }
            }
            if (complete) {
                SetIncomingLength(length + size + 4);
                incomingComplete_ = true;
            }
        }
    }
    if (fault) {
        Log(part + fault);
        return false;
    }
    if (complete) SetBusyBit(kBusyAwaitingOrders, 0);
    return true;
}

void Simulation::RecheckOrderParts() {
    std::array<bool, kParticipantSlots> occupied{};
    for (int s = 0; s < kParticipantSlots; ++s) {
        occupied[s] = session_ && session_->GetSlotValue(s) != 0;
    }
    bool complete = false;
    {
        std::lock_guard lock(incomingMutex_);
        if (translating_ || incomingComplete_) return;
        bool any = false;
        complete = true;
        for (int s = 0; s < kParticipantSlots; ++s) {
            any |= received_[s] != 0;
            if (occupied[s] && !received_[s]) complete = false;
        }
        // Nothing received yet: the parts still to come complete the step as usual.
        if (!any) complete = false;
        if (complete) {
            SetIncomingLength(rules::ReadU32(incoming_.get(), 0) + 4);
            incomingComplete_ = true;
        }
    }
    if (complete) SetBusyBit(kBusyAwaitingOrders, 0);
}

void Simulation::SendGatheredOrders() {
    if (IsSinglePlay()) return;
    std::vector<std::uint8_t> orders;
    {
        std::lock_guard lock(orderMutex_);
        orders.assign(localOrders_.get(), localOrders_.get() + localOrderCount_);
        std::memset(localOrders_.get(), 0, localOrderCount_);
        localOrderCount_ = 0;
    }
    if (!session_) return;
    const auto count = static_cast<std::uint32_t>(orders.size());
    if (IsJournalHost()) {
        // A part this step cannot take (its parts are complete, or translating) is not lost:
        // the orders go back before any given since and travel with the next step's part.
        if (!ReceiveOrderPart(0, orders.data(), count) && count != 0) {
            std::lock_guard lock(orderMutex_);
            if (count <= kJournalBytes - localOrderCount_) {
                std::memmove(localOrders_.get() + count, localOrders_.get(), localOrderCount_);
                std::memcpy(localOrders_.get(), orders.data(), count);
                localOrderCount_ += count;
            } else {
                Log("orders of " + std::to_string(count) + " bytes dropped: the order buffer is full");
            }
        }
    } else {
        session_->SendGameFromClient(kOrderPartValue, count, orders.data());
    }
}

int Simulation::RunPendingCommands() {
    rules::GameContext live(*tables_, ContextEnv());
    SetBusyBit(kBusyExecuting, 1);
    live.RebuildTroopOccupancy();
    rules::RecomputeVisibility(live);
    ExecuteAndClearJournal();
    SetBusyBit(kBusyExecuting, 0);
    if (journalObserver_) journalObserver_();
    return 1;
}

void Simulation::ExecuteAndClearJournal() {
    SetBusyBit(kBusyTranslating, 1);
    ExecuteCommandList(*this, {execution_.get(), 4 + kJournalBytes});
    const std::uint32_t length = rules::ReadU32(execution_.get(), 0);
    std::memset(execution_.get(), 0, length < kJournalBytes ? 4 + length : 4 + kJournalBytes);
    {
        std::lock_guard lock(commandMutex_);
        outgoingCount_ = 0;
        stepRunning_ = false;
        // What other threads wrote during the step starts the next one.
        if (!gated_.empty()) std::memcpy(outgoing_.get(), gated_.data(), gated_.size());
        outgoingCount_ = static_cast<std::uint32_t>(gated_.size());
        gated_.clear();
    }
    SetBusyBit(kBusyTranslating, 0);
}

int Simulation::NotifyExecuteThinkEnd() {
    return session_ && session_->SendExecuteThinkEnd() == 0 ? 1 : 0;
}

}  // namespace zv::sim
