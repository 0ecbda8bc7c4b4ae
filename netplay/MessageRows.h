#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "netplay/Protocol.h"

// Each ZVCMSG message is declared once, as a row: a struct whose members are the message's
// values, with its type, its name, its fixed size, who may send it (kFrom), and where each member
// sits (Fields). The size table, the writer (Encode), the reader (Decode), the receive side's
// dispatch and the fuzz seeds all come from the rows (MessageRows); the handler of a row is the
// session manager's OnMessage overload for it.
namespace zv::net {

// Who may send a message; the receive side drops it from anybody else before its handler runs.
enum class From {
    Host,    // only the host, to a client
    Client,  // only a client, to the host, naming its own slot in `slot`
    Peer,    // a client from the host; the host from a client naming its own slot in `slot`
    Any,     // the handler decides
};

namespace wire {

template <typename>
struct MemberOf;
template <typename Row, typename Value>
struct MemberOf<Value Row::*> {
    using Type = Value;
};
template <auto Member>
using MemberType = typename MemberOf<decltype(Member)>::Type;

// An int32 or uint16 member at byte `Offset`.
template <auto Member, std::size_t Offset>
struct Int {
    using Value = MemberType<Member>;
    static_assert(std::is_same_v<Value, std::int32_t> || std::is_same_v<Value, std::uint16_t>);
    static constexpr std::size_t kEnd = Offset + sizeof(Value);
    template <typename Row>
    static void Put(std::uint8_t* p, const Row& row) {
        if constexpr (sizeof(Value) == 4) {
            rules::WriteS32(p, Offset, row.*Member);
        } else {
            rules::WriteU16(p, Offset, row.*Member);
        }
    }
    template <typename Row>
    static void Get(const std::uint8_t* p, Row& row) {
        if constexpr (sizeof(Value) == 4) {
            row.*Member = rules::ReadS32(p, Offset);
        } else {
            row.*Member = rules::ReadU16(p, Offset);
        }
    }
};

// An array of int32 members, one after the other from byte `Offset`.
template <auto Member, std::size_t Offset>
struct Ints {
    using Value = MemberType<Member>;
    static constexpr std::size_t kCount = std::tuple_size_v<Value>;
    static constexpr std::size_t kEnd = Offset + 4 * kCount;
    template <typename Row>
    static void Put(std::uint8_t* p, const Row& row) {
        for (std::size_t i = 0; i < kCount; ++i)
            rules::WriteS32(p, Offset + 4 * i, (row.*Member)[i]);
    }
    template <typename Row>
    static void Get(const std::uint8_t* p, Row& row) {
        for (std::size_t i = 0; i < kCount; ++i)
            (row.*Member)[i] = rules::ReadS32(p, Offset + 4 * i);
    }
};

// A text in a field of `Width` bytes: written cut on a character boundary and terminated, read
// the same way whatever the sender wrote.
template <auto Member, std::size_t Offset, std::size_t Width>
struct Text {
    static constexpr std::size_t kEnd = Offset + Width;
    template <typename Row>
    static void Put(std::uint8_t* p, const Row& row) {
        WriteFieldText(p, Offset, Width, row.*Member);
    }
    template <typename Row>
    static void Get(const std::uint8_t* p, Row& row) {
        row.*Member = ReadFieldText(p, Offset, Width);
    }
};

// An array of such texts, one field after the other.
template <auto Member, std::size_t Offset, std::size_t Width>
struct Texts {
    static constexpr std::size_t kCount = std::tuple_size_v<MemberType<Member>>;
    static constexpr std::size_t kEnd = Offset + Width * kCount;
    template <typename Row>
    static void Put(std::uint8_t* p, const Row& row) {
        for (std::size_t i = 0; i < kCount; ++i)
            WriteFieldText(p, Offset + Width * i, Width, (row.*Member)[i]);
    }
    template <typename Row>
    static void Get(const std::uint8_t* p, Row& row) {
        for (std::size_t i = 0; i < kCount; ++i)
            (row.*Member)[i] = ReadFieldText(p, Offset + Width * i, Width);
    }
};

// A block of `Size` bytes that a member points at (null writes zeros). Read back, the member
// points into the received message.
template <auto Member, std::size_t Offset, std::size_t Size>
struct Block {
    static constexpr std::size_t kEnd = Offset + Size;
    template <typename Row>
    static void Put(std::uint8_t* p, const Row& row) {
        if (row.*Member) std::memcpy(p + Offset, row.*Member, Size);
    }
    template <typename Row>
    static void Get(const std::uint8_t* p, Row& row) {
        row.*Member = p + Offset;
    }
};

template <typename... Members>
struct Fields {
    static constexpr std::size_t kEnd = std::max({std::size_t{4}, Members::kEnd...});
    template <typename Row>
    static void Put([[maybe_unused]] std::uint8_t* p, [[maybe_unused]] const Row& row) {
        (Members::Put(p, row), ...);
    }
    template <typename Row>
    static void Get([[maybe_unused]] const std::uint8_t* p, [[maybe_unused]] Row& row) {
        (Members::Get(p, row), ...);
    }
};

}  // namespace wire

// A row with a variable part names, in kLengthAt, the int32 field that holds its length; the
// bytes follow the fixed part, in the member `payload`, and a message must hold exactly them.
template <typename Row>
concept HasPayload = requires {
    Row::kLengthAt;
};
// A row with kAnyLength takes a message of any length: a short one as far as it goes (the rest
// read as zeros, `complete` false), a long one without what lies past its fixed part.
template <typename Row>
concept AnyLength = requires {
    Row::kAnyLength;
};

// ---- Rows

// A message that says one thing and carries nothing (what follows its type is 0).
template <std::int32_t Type, std::size_t Size>
struct HostSignal {
    static constexpr std::int32_t kType = Type;
    static constexpr std::size_t kSize = Size;
    static constexpr From kFrom = From::Host;
    using Fields = wire::Fields<>;
};

// A message that carries one slot.
template <std::int32_t Type, From Sender>
struct SlotMessage {
    static constexpr std::int32_t kType = Type;
    static constexpr std::size_t kSize = 8;
    static constexpr From kFrom = Sender;
    std::int32_t slot = 0;
    using Fields = wire::Fields<wire::Int<&SlotMessage::slot, 4>>;
};

// The three int32 values of the 16-byte messages: a slot and two more.
template <std::int32_t Type, From Sender>
struct SlotPairMessage {
    static constexpr std::int32_t kType = Type;
    static constexpr std::size_t kSize = 16;
    static constexpr From kFrom = Sender;
    std::int32_t slot = 0;
    std::int32_t a = 0;
    std::int32_t b = 0;
    using Fields =
        wire::Fields<wire::Int<&SlotPairMessage::slot, 4>, wire::Int<&SlotPairMessage::a, 8>,
                     wire::Int<&SlotPairMessage::b, 12>>;
};

struct SetSlotIdMessage : SlotMessage<ZVCMSG_SETSLOTID, From::Host> {
    static constexpr const char* kName = "slot id";
};

struct SlotDataMessage {
    static constexpr std::int32_t kType = ZVCMSG_SETSLOTDATA;
    static constexpr const char* kName = "slot table";
    static constexpr std::size_t kSize = SlotDataMsg::kSize;
    static constexpr From kFrom = From::Host;
    static constexpr bool kAnyLength = true;
    std::array<std::int32_t, kSlotCount> states{};
    std::array<std::string, kSlotCount> names{};
    std::array<std::string, kSlotCount> labels{};
    bool complete = true;
    using Fields = wire::Fields<
        wire::Ints<&SlotDataMessage::states, SlotDataMsg::kStates>,
        wire::Texts<&SlotDataMessage::names, SlotDataMsg::kNames, SlotDataMsg::kNameWidth>,
        wire::Texts<&SlotDataMessage::labels, SlotDataMsg::kLabels, SlotDataMsg::kLabelWidth>>;
};

struct RejectPlayerMessage : HostSignal<ZVCMSG_REJECTPLAYER, 8> {
    static constexpr const char* kName = "refusal";
};

struct NextMapSelectMessage : HostSignal<ZVCMSG_NEXTMAPSELECT, 4> {
    static constexpr const char* kName = "map choice";
};

struct NextGameSettingMessage : HostSignal<ZVCMSG_NEXTGAMESETTING, 4> {
    static constexpr const char* kName = "settings page";
};

struct GameSettingGameMessage {
    static constexpr std::int32_t kType = ZVCMSG_GAMESETTING_GAME;
    static constexpr const char* kName = "game settings";
    static constexpr std::size_t kSize = 4 + GameSettingBlock::kSize;
    static constexpr From kFrom = From::Host;
    const std::uint8_t* block = nullptr;
    using Fields =
        wire::Fields<wire::Block<&GameSettingGameMessage::block, 4, GameSettingBlock::kSize>>;
};

struct GameSettingDoneMessage {
    static constexpr std::int32_t kType = ZVCMSG_GAMESETTING_DONE;
    static constexpr const char* kName = "player setting";
    static constexpr std::size_t kSize = 4 + PlayerSetting::kSize;
    static constexpr From kFrom = From::Client;
    // The setting's own slot field is the sender's slot: written over the block.
    const std::uint8_t* setting = nullptr;
    std::int32_t slot = 0;
    using Fields =
        wire::Fields<wire::Block<&GameSettingDoneMessage::setting, 4, PlayerSetting::kSize>,
                     wire::Int<&GameSettingDoneMessage::slot, 4 + PlayerSetting::kSlot>>;
};

struct GameSettingNextMessage {
    static constexpr std::int32_t kType = ZVCMSG_GAMESETTING_NEXT;
    static constexpr const char* kName = "final settings";
    static constexpr std::size_t kSize = 8 + GameSettingBlock::kSize;
    static constexpr From kFrom = From::Host;
    const std::uint8_t* block = nullptr;
    using Fields =
        wire::Fields<wire::Block<&GameSettingNextMessage::block, 8, GameSettingBlock::kSize>>;
};

struct ArrangeEndMessage : SlotMessage<ZVCMSG_ARRANGE_END, From::Client> {
    static constexpr const char* kName = "deployment done";
};

struct GameStartMessage : HostSignal<ZVCMSG_GAME_START, 4> {
    static constexpr const char* kName = "game start";
};

struct ChatMessage {
    static constexpr std::int32_t kType = ZVCMSG_CHATDATA;
    static constexpr const char* kName = "chat line";
    static constexpr std::size_t kSize = ChatMsg::kSize;
    static constexpr From kFrom = From::Any;
    std::uint16_t recipients = 0;
    std::uint16_t sender = 0;
    std::string text{};
    using Fields =
        wire::Fields<wire::Int<&ChatMessage::recipients, ChatMsg::kRecipients>,
                     wire::Int<&ChatMessage::sender, ChatMsg::kSender>,
                     wire::Text<&ChatMessage::text, ChatMsg::kText, ChatMsg::kTextWidth>>;
};

struct TransferHeaderMessage {
    static constexpr std::int32_t kType = ZVCMSG_FILETRANSFER_HEADER;
    static constexpr const char* kName = "transfer header";
    static constexpr std::size_t kSize = TransferHeaderMsg::kSize;
    static constexpr From kFrom = From::Any;
    using M = TransferHeaderMsg;
    std::int32_t sender = 0;
    std::uint16_t argument = 0;
    std::uint16_t kind = 0;
    std::int32_t totalSize = 0;
    std::int32_t blockLength = 0;
    std::int32_t blockCount = 0;
    std::int32_t acknowledgeEach = 0;
    std::string fileName{};
    using Fields =
        wire::Fields<wire::Int<&TransferHeaderMessage::sender, M::kSender>,
                     wire::Int<&TransferHeaderMessage::argument, M::kArgument>,
                     wire::Int<&TransferHeaderMessage::kind, M::kKind>,
                     wire::Int<&TransferHeaderMessage::totalSize, M::kTotalSize>,
                     wire::Int<&TransferHeaderMessage::blockLength, M::kBlockLength>,
                     wire::Int<&TransferHeaderMessage::blockCount, M::kBlockCount>,
                     wire::Int<&TransferHeaderMessage::acknowledgeEach, M::kAcknowledgeEach>,
                     wire::Text<&TransferHeaderMessage::fileName, M::kFileName, M::kFileNameWidth>>;
};

struct TransferDataMessage {
    static constexpr std::int32_t kType = ZVCMSG_FILETRANSFER_DATA;
    static constexpr const char* kName = "transfer block";
    static constexpr std::size_t kSize = TransferDataMsg::kHeader;
    static constexpr std::size_t kLengthAt = TransferDataMsg::kBlockLength;
    static constexpr From kFrom = From::Any;
    std::int32_t index = 0;
    std::span<const std::uint8_t> payload{};
    using Fields = wire::Fields<wire::Int<&TransferDataMessage::index, TransferDataMsg::kIndex>>;
};

struct ReceiveOkMessage {
    static constexpr std::int32_t kType = ZVCMSG_RECEIVE_OK;
    static constexpr const char* kName = "acknowledgement";
    static constexpr std::size_t kSize = ReceiveOkMsg::kSize;
    static constexpr From kFrom = From::Client;
    std::int32_t slot = 0;
    std::int32_t missing = 0;
    std::int32_t kind = 0;
    using Fields = wire::Fields<wire::Int<&ReceiveOkMessage::slot, ReceiveOkMsg::kSender>,
                                wire::Int<&ReceiveOkMessage::missing, ReceiveOkMsg::kMissing>,
                                wire::Int<&ReceiveOkMessage::kind, ReceiveOkMsg::kKind>>;
};

struct DisconnectMessage : SlotMessage<ZVCMSG_DISCCONECT, From::Any> {
    static constexpr const char* kName = "goodbye";
};

struct GameFromServerMessage {
    static constexpr std::int32_t kType = ZVCMSG_GAME_FROM_SERVER;
    static constexpr const char* kName = "journal";
    static constexpr std::size_t kSize = FromServerMsg::kHeader;
    static constexpr std::size_t kLengthAt = FromServerMsg::kLength;
    static constexpr From kFrom = From::Host;
    std::int32_t code = 0;
    std::span<const std::uint8_t> payload{};
    using Fields = wire::Fields<wire::Int<&GameFromServerMessage::code, FromServerMsg::kCode>>;
};

struct GameFromClientMessage {
    static constexpr std::int32_t kType = ZVCMSG_GAME_FROM_CLIENT;
    static constexpr const char* kName = "order part";
    static constexpr std::size_t kSize = FromClientMsg::kHeader;
    static constexpr std::size_t kLengthAt = FromClientMsg::kLength;
    static constexpr From kFrom = From::Client;
    std::int32_t slot = 0;
    std::int32_t code = 0;
    std::span<const std::uint8_t> payload{};
    using Fields = wire::Fields<wire::Int<&GameFromClientMessage::slot, FromClientMsg::kSender>,
                                wire::Int<&GameFromClientMessage::code, FromClientMsg::kCode>>;
};

struct YourTurnMessage : SlotPairMessage<ZVCMSG_YOUR_TURN, From::Host> {
    static constexpr const char* kName = "your turn";
};
struct ItsMineMessage : SlotPairMessage<ZVCMSG_ITS_MINE, From::Client> {
    static constexpr const char* kName = "claim";
};

struct RequestSendOrderMessage : HostSignal<ZVCMSG_REQUEST_SEND_ORDER, 16> {
    static constexpr const char* kName = "orders request";
};

struct ExecuteThinkEndMessage : SlotMessage<ZVCMSG_EXECUTE_THINK_END, From::Client> {
    static constexpr const char* kName = "think-end";
};

struct RoleRequestMessage {
    static constexpr std::int32_t kType = ZVCMSG_ROLE_REQUEST;
    static constexpr const char* kName = "role request";
    static constexpr std::size_t kSize = 12;
    static constexpr From kFrom = From::Client;
    std::int32_t slot = 0;
    std::int32_t choice = 0;
    using Fields = wire::Fields<wire::Int<&RoleRequestMessage::slot, 4>,
                                wire::Int<&RoleRequestMessage::choice, 8>>;
};

struct RoleResultMessage {
    static constexpr std::int32_t kType = ZVCMSG_ROLE_RESULT;
    static constexpr const char* kName = "role result";
    static constexpr std::size_t kSize = 32;
    static constexpr From kFrom = From::Host;
    std::int32_t result = 0;
    std::array<std::int32_t, kSlotCount> roles{};
    using Fields = wire::Fields<wire::Int<&RoleResultMessage::result, 4>,
                                wire::Ints<&RoleResultMessage::roles, 8>>;
};

struct WaitStateMessage : SlotPairMessage<ZVCMSG_WAIT_STATE, From::Client> {
    static constexpr const char* kName = "wait state";  // a: the bit, b: on or off
};

struct WaitMaskMessage {
    static constexpr std::int32_t kType = ZVCMSG_WAIT_MASK;
    static constexpr const char* kName = "wait mask";
    static constexpr std::size_t kSize = 8;
    static constexpr From kFrom = From::Host;
    std::int32_t mask = 0;
    using Fields = wire::Fields<wire::Int<&WaitMaskMessage::mask, 4>>;
};

struct GameEndMessage : HostSignal<ZVCMSG_GAME_END, 4> {
    static constexpr const char* kName = "game end";
};

struct VersionMessage {
    static constexpr std::int32_t kType = ZVCMSG_VERSION;
    static constexpr const char* kName = "version";
    static constexpr std::size_t kSize = VersionMsg::kSize;
    static constexpr From kFrom = From::Any;
    std::int32_t slot = 0;
    std::string text{};
    using Fields =
        wire::Fields<wire::Int<&VersionMessage::slot, VersionMsg::kSender>,
                     wire::Text<&VersionMessage::text, VersionMsg::kText, VersionMsg::kTextWidth>>;
};

struct EchoRequestMessage : SlotPairMessage<ZVCMSG_ECHO_REQUEST, From::Peer> {
    static constexpr const char* kName = "echo request";
};
struct EchoReplyMessage : SlotPairMessage<ZVCMSG_ECHO_REPLY, From::Peer> {
    static constexpr const char* kName = "echo reply";
};

template <typename... Rows>
struct MessageRowList {};

// Every message a peer sends, one row each.
using MessageRows =
    MessageRowList<SetSlotIdMessage, SlotDataMessage, RejectPlayerMessage, NextMapSelectMessage,
                   NextGameSettingMessage, GameSettingGameMessage, GameSettingDoneMessage,
                   GameSettingNextMessage, ArrangeEndMessage, GameStartMessage, ChatMessage,
                   TransferHeaderMessage, TransferDataMessage, ReceiveOkMessage, DisconnectMessage,
                   GameFromServerMessage, GameFromClientMessage, YourTurnMessage, ItsMineMessage,
                   RequestSendOrderMessage, ExecuteThinkEndMessage, RoleRequestMessage,
                   RoleResultMessage, WaitStateMessage, WaitMaskMessage, GameEndMessage,
                   VersionMessage, EchoRequestMessage, EchoReplyMessage>;

// ---- What comes from the rows

namespace detail {

struct MessageInfo {
    std::size_t size = 0;
    const char* name = nullptr;
};

template <typename... Rows>
constexpr std::array<MessageInfo, kLastMessageType + 1> MessageInfoOf(MessageRowList<Rows...>) {
    std::array<MessageInfo, kLastMessageType + 1> info{};
    auto add = [&info](std::int32_t type, std::size_t size, std::size_t end, const char* name) {
        // Not a constant expression, so the table does not compile: a type out of range, a
        // second row of one type, or a field past the fixed part.
        if (type <= 0 || type > kLastMessageType || info[type].size != 0 || end > size) {
            throw "bad message row";
        }
        info[type] = {size, name};
    };
    (add(Rows::kType, Rows::kSize, Rows::Fields::kEnd, Rows::kName), ...);
    return info;
}

inline constexpr auto kMessageInfo = MessageInfoOf(MessageRows{});

}  // namespace detail

// The fixed size of a message type (the least a received one must hold); 0 for a type no peer
// sends.
constexpr std::size_t MessageRowSize(std::int32_t type) {
    return type > 0 && type <= kLastMessageType ? detail::kMessageInfo[type].size : 0;
}
// The name of a message type in log lines; null for a type no peer sends.
constexpr const char* MessageName(std::int32_t type) {
    return type > 0 && type <= kLastMessageType ? detail::kMessageInfo[type].name : nullptr;
}

// The bytes of a message: its type, its values at their offsets, its variable part after the
// fixed one, every other byte 0.
template <typename Row>
std::vector<std::uint8_t> Encode(const Row& row) {
    std::size_t size = Row::kSize;
    if constexpr (HasPayload<Row>) size += row.payload.size();
    MessageBuilder b(Row::kType, size);
    Row::Fields::Put(b.Get().data(), row);
    if constexpr (HasPayload<Row>) {
        b.S32(Row::kLengthAt, static_cast<std::int32_t>(row.payload.size()));
        b.Bytes(Row::kSize, row.payload.data(), row.payload.size());
    }
    return std::move(b.Get());
}

// Reads a received message of this row's type (its type word already checked). False, with why
// in `error`, when its length does not fit the row; texts are read terminated, blocks and the
// variable part point into `data`.
template <typename Row>
bool Decode(const std::uint8_t* data, std::size_t size, Row& row, std::string& error) {
    if constexpr (AnyLength<Row>) {
        std::array<std::uint8_t, Row::kSize> copy{};
        std::memcpy(copy.data(), data, std::min(size, copy.size()));
        Row::Fields::Get(copy.data(), row);
        row.complete = size == Row::kSize;
        return true;
    } else {
        if (size < Row::kSize) {
            error = "it needs " + std::to_string(Row::kSize);
            return false;
        }
        std::size_t expected = Row::kSize;
        if constexpr (HasPayload<Row>) {
            const std::int32_t n = rules::ReadS32(data, Row::kLengthAt);
            if (n < 0 || static_cast<std::size_t>(n) > size - Row::kSize) {
                error = "its length " + std::to_string(n) + " exceeds the message";
                return false;
            }
            expected += static_cast<std::size_t>(n);
            row.payload =
                std::span<const std::uint8_t>(data + Row::kSize, static_cast<std::size_t>(n));
        }
        if (size != expected) {
            error = "it holds " + std::to_string(size - expected) + " bytes past its end";
            return false;
        }
        Row::Fields::Get(data, row);
        return true;
    }
}

// Reads a message that Decode already took whole (the bytes an event hands to the GUI thread):
// nothing is checked again.
template <typename Row>
Row ReadAccepted(const std::uint8_t* data) {
    Row row;
    Row::Fields::Get(data, row);
    if constexpr (HasPayload<Row>) {
        row.payload = std::span<const std::uint8_t>(
            data + Row::kSize, static_cast<std::size_t>(rules::ReadS32(data, Row::kLengthAt)));
    }
    return row;
}

// Calls visit(row) with a default row of each message type, in the order of MessageRows.
template <typename Visit, typename... Rows>
void ForEachMessageRow(MessageRowList<Rows...>, Visit&& visit) {
    (visit(Rows{}), ...);
}
template <typename Visit>
void ForEachMessageRow(Visit&& visit) {
    ForEachMessageRow(MessageRows{}, visit);
}

}  // namespace zv::net
