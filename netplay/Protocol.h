#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rules/records/Bytes.h"

// The ZVCMSG messages: every message starts with an int32 type; the layouts below are the wire
// format, little-endian, written field by field.
namespace zv::net {

inline constexpr int kSlotCount = 6;
inline constexpr std::int32_t kNoSlot = -1;

// Message types.
enum : std::int32_t {
    ZVCMSG_SETSLOTID = 1,
    ZVCMSG_SETSLOTDATA = 2,
    ZVCMSG_REJECTPLAYER = 3,
    ZVCMSG_NEXTMAPSELECT = 4,
    ZVCMSG_NEXTGAMESETTING = 5,
    ZVCMSG_GAMESETTING_PLAYER = 6,
    ZVCMSG_GAMESETTING_GAME = 7,
    ZVCMSG_GAMESETTING_DONE = 8,
    ZVCMSG_GAMESETTING_NEXT = 9,
    ZVCMSG_ARRANGE_END = 10,
    ZVCMSG_GAME_START = 11,
    ZVCMSG_CHATDATA = 12,
    ZVCMSG_FILETRANSFER_HEADER = 13,
    ZVCMSG_FILETRANSFER_DATA = 14,
    ZVCMSG_APP_FILETRANSFER = 15,
    ZVCMSG_RECEIVE_OK = 16,
    ZVCMSG_DISCCONECT = 17,
    ZVCMSG_GAME_FROM_SERVER = 18,
    ZVCMSG_GAME_FROM_CLIENT = 19,
    ZVCMSG_SEND_REPLY = 20,
    ZVCMSG_RECEIVE_REPLY = 21,
    ZVCMSG_YOUR_TURN = 22,
    ZVCMSG_ITS_MINE = 23,
    ZVCMSG_REQUEST_SEND_ORDER = 24,
    ZVCMSG_EXECUTE_THINK_END = 25,
    ZVCMSG_SESSION_LOST = 26,
    ZVCMSG_ROLE_REQUEST = 27,
    ZVCMSG_ROLE_RESULT = 28,
    ZVCMSG_WAIT_STATE = 29,
    ZVCMSG_WAIT_MASK = 30,
    ZVCMSG_GAME_END = 31,
    ZVCMSG_VERSION = 32,
    ZVCMSG_ECHO_REQUEST = 33,
    ZVCMSG_ECHO_REPLY = 34,
};
inline constexpr std::int32_t kLastMessageType = ZVCMSG_ECHO_REPLY;

// Fixed sizes (the least a received message must hold); 0 for types never sent.
std::size_t MessageSize(std::int32_t type);

// Field offsets.
struct SlotDataMsg {  // 2
    static constexpr std::size_t kSize = 232, kStates = 4, kNames = 28, kNameWidth = 18,
                                 kLabels = 136, kLabelWidth = 16;
};
struct ChatMsg {  // 12
    static constexpr std::size_t kSize = 94, kRecipients = 4, kSender = 6, kText = 8,
                                 kTextWidth = 86;
};
struct TransferHeaderMsg {  // 13
    static constexpr std::size_t kSize = 62, kSender = 4, kArgument = 8, kKind = 10,
                                 kTotalSize = 12, kBlockLength = 16, kBlockCount = 20,
                                 kAcknowledgeEach = 24, kFileName = 28, kFileNameWidth = 34;
};
struct TransferDataMsg {  // 14
    static constexpr std::size_t kHeader = 16, kZero = 4, kIndex = 8, kBlockLength = 12;
};
struct ReceiveOkMsg {  // 16
    static constexpr std::size_t kSize = 16, kSender = 4, kMissing = 8, kKind = 12;
};
struct FromServerMsg {  // 18
    static constexpr std::size_t kHeader = 12, kLength = 4, kCode = 8;
};
struct FromClientMsg {  // 19
    static constexpr std::size_t kHeader = 16, kSender = 4, kLength = 8, kCode = 12;
};
struct VersionMsg {  // 32
    static constexpr std::size_t kSize = 24, kSender = 4, kText = 8, kTextWidth = 16;
};

// PlayerSetting (20 bytes) and GameSettingBlock (176 bytes).
struct PlayerSetting {
    static constexpr std::size_t kSize = 20, kSlot = 0, kCountry = 4, kFunds = 8, kCodes = 12,
                                 kAlliance = 16;
};
struct GameSettingBlock {
    static constexpr std::size_t kSize = 176, kTurn = 0, kPlayers = 4, kConditions = 124,
                                 kConditionsSize = 52;
    static constexpr std::size_t Player(int slot) { return kPlayers + PlayerSetting::kSize * slot; }
};
inline constexpr std::uint16_t kTurnDone = 65535;
// Country words of a PlayerSetting: 1-4 a country, 5 and 6 the spectators, 0 nothing.
inline constexpr std::int32_t kFirstSpectatorWord = 5;
inline constexpr std::int32_t kLastCountryWord = 6;

// Transfer kinds.
inline constexpr std::uint16_t kTransferMap = 1;
inline constexpr std::uint16_t kTransferAllTroops = 2;
inline constexpr std::uint16_t kTransferOwnTroops = 3;
inline constexpr std::uint16_t kTransferSaveGame = 4;
inline constexpr std::int32_t kTransferComplete = 65535;

// Content codes.
inline constexpr std::int32_t kContentJournal = 100;
inline constexpr std::int32_t kContentOrders = 1;

// Labels and texts.
inline constexpr const char* kLabelConnecting = "\x90\xda\x91\xb1\x92\x86";  // 接続中
inline constexpr const char* kLabelUnknown = "----";
inline constexpr const char* kLabelPrefix = "ZV6-V";

// A message under construction: zero-filled, fields written at their offsets.
class MessageBuilder {
  public:
    MessageBuilder(std::int32_t type, std::size_t size) : bytes_(size, 0) {
        rules::WriteS32(bytes_.data(), 0, type);
    }
    MessageBuilder& S32(std::size_t at, std::int32_t v) {
        rules::WriteS32(bytes_.data(), at, v);
        return *this;
    }
    MessageBuilder& U16(std::size_t at, std::uint16_t v) {
        rules::WriteU16(bytes_.data(), at, v);
        return *this;
    }
    MessageBuilder& Bytes(std::size_t at, const std::uint8_t* data, std::size_t size);
    // Cut on a character boundary to width - 1 bytes and terminated.
    MessageBuilder& Text(std::size_t at, std::size_t width, std::string_view text);
    std::vector<std::uint8_t>& Get() { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
};

// Copies a text of a fixed field of a received message: at most width - 1 bytes, cut on a
// character boundary, always terminated.
std::string ReadFieldText(const std::uint8_t* p, std::size_t offset, std::size_t width);
// Stores text into a fixed field the same way.
void WriteFieldText(std::uint8_t* p, std::size_t offset, std::size_t width, std::string_view text);

}  // namespace zv::net
