#pragma once

#include <cstdint>
#include <string>

namespace zv::sim {

inline constexpr int kParticipantSlots = 6;

// What the journal needs of the network session. The network layer implements it over its
// session manager; a world without a session manager has none (single play, tests).
// Send results follow the session's convention: 0 when sent.
class SessionPort {
  public:
    virtual ~SessionPort() = default;

    // A connection object exists (a network game is open).
    virtual bool HasConnection() = 0;
    // The connection's host flag.
    virtual bool IsHost() = 0;
    // Slot value of participant slot 0-5: 0 empty, else the participant's country + 1 (5 and 6
    // the spectators).
    virtual std::uint32_t GetSlotValue(int slot) = 0;
    // Participant name (Shift-JIS) of a slot, from the set-up pages' name table.
    virtual std::string GetLobbyPlayerName(int slot) = 0;

    // The host's journal of one step to every participant (ZVCMSG_GAME_FROM_SERVER).
    virtual int SendGameFromServer(std::int32_t value, std::uint32_t size,
                                   const std::uint8_t* data) = 0;
    // A client's orders to the host (ZVCMSG_GAME_FROM_CLIENT).
    virtual int SendGameFromClient(std::int32_t value, std::uint32_t size,
                                   const std::uint8_t* data) = 0;
    // The end of a journal's execution (ZVCMSG_EXECUTE_THINK_END).
    virtual int SendExecuteThinkEnd() = 0;
    // A client's busy change to the host (ZVCMSG_WAIT_STATE).
    virtual int SendWaitState(int bit, int on) = 0;
    // The host's mask of waiting participants to all (ZVCMSG_WAIT_MASK).
    virtual int SendWaitMask(std::uint16_t mask) = 0;
};

}  // namespace zv::sim
