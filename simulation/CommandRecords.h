#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <type_traits>

#include "rules/records/Bytes.h"
#include "rules/troops/TroopOrders.h"

// Order and command records: the journal's wire format. A record is a 16-bit opcode followed by
// fixed fields; its size follows from the opcode alone (there is no length field). All 16-bit
// fields are little-endian, records follow each other without padding, and unused bytes are
// written as 0. Orders and commands share one number space; 15, 26 and 46 are both.
namespace zv::rules {
class ForceCursor;
}

namespace zv::sim {

// Capacity of each journal buffer.
inline constexpr std::uint32_t kJournalBytes = 1048576;

// Opcodes.
inline constexpr std::uint16_t kCmdMove = 1;
inline constexpr std::uint16_t kCmdAttack = 2;
inline constexpr std::uint16_t kCmdFire = 3;
inline constexpr std::uint16_t kCmdOccupy = 4;
inline constexpr std::uint16_t kCmdSupply = 5;
inline constexpr std::uint16_t kCmdBoard = 6;
inline constexpr std::uint16_t kCmdLaunch = 7;
inline constexpr std::uint16_t kCmdBomb = 8;
inline constexpr std::uint16_t kCmdTransform = 9;
inline constexpr std::uint16_t kCmdDisperse = 11;
inline constexpr std::uint16_t kCmdDisband = 12;
inline constexpr std::uint16_t kCmdSupport = 13;
inline constexpr std::uint16_t kCmdReturn = 14;
inline constexpr std::uint16_t kOpTarget = 15;  // order and command
inline constexpr std::uint16_t kCmdClock = 16;
inline constexpr std::uint16_t kCmdRefresh = 17;
inline constexpr std::uint16_t kCmdProduction = 20;
inline constexpr std::uint16_t kCmdTroopOrder = 22;
inline constexpr std::uint16_t kCmdBurnFuel = 25;
inline constexpr std::uint16_t kOpClearOrders = 26;  // order and command
inline constexpr std::uint16_t kOrderTroopOrder = 27;
inline constexpr std::uint16_t kCmdNothing28 = 28;
inline constexpr std::uint16_t kCmdNothing29 = 29;
inline constexpr std::uint16_t kCmdGameEnd = 30;
inline constexpr std::uint16_t kCmdStatus = 31;
inline constexpr std::uint16_t kCmdClearAction = 32;
inline constexpr std::uint16_t kCmdSeed = 33;
inline constexpr std::uint16_t kCmdCountryFall = 34;
inline constexpr std::uint16_t kOrderMemberSettings = 35;
inline constexpr std::uint16_t kCmdMemberSettings = 36;
inline constexpr std::uint16_t kOrderFormation = 37;
inline constexpr std::uint16_t kCmdFormation = 38;
inline constexpr std::uint16_t kOrderWithdraw = 39;
inline constexpr std::uint16_t kCmdWithdraw = 40;
inline constexpr std::uint16_t kCmdNotice = 41;
inline constexpr std::uint16_t kOrderAllianceProposal = 42;
inline constexpr std::uint16_t kCmdAllianceProposal = 43;
inline constexpr std::uint16_t kOrderAllianceAnswer = 44;
inline constexpr std::uint16_t kCmdAllianceChange = 45;
inline constexpr std::uint16_t kOpPlace = 46;  // order and command

// How a record walk names what it drops in its log lines, e.g. "journal", "its", "ends",
// "command".
struct RecordStreamWords {
    const char* stream;
    const char* its;
    const char* ends;
    const char* record;
};

// Walks a buffer that starts with its u32 total length (length included) and hands each whole
// record to visit(opcode, record, offset). An opcode of size 0 is stepped over by its two bytes.
// A length beyond the buffer, or a record cut off by the end, is logged and ends the walk there.
template <typename SizeOf, typename Log, typename Visit>
void WalkRecords(std::span<const std::uint8_t> buffer, SizeOf sizeOf,
                 const RecordStreamWords& words, Log log, Visit visit) {
    if (buffer.size() < 4) return;
    const std::uint8_t* p = buffer.data();
    const std::uint32_t total = rules::ReadU32(p, 0);
    if (total <= 4) return;
    if (total > buffer.size()) {
        log(std::string(words.stream) + " dropped: " + words.its + " length " +
            std::to_string(total) + " exceeds " + words.its + " " + std::to_string(buffer.size()) +
            " bytes");
        return;
    }
    std::uint32_t pos = 4;
    while (pos < total) {
        if (total - pos < 2) {
            log(std::string(words.stream) + " " + words.ends + " inside an opcode at offset " +
                std::to_string(pos));
            return;
        }
        const std::uint16_t opcode = rules::ReadU16(p, pos);
        const std::uint32_t size = sizeOf(opcode);
        if (size == 0) {
            pos += 2;
            continue;
        }
        if (size > total - pos) {
            log(std::string(words.record) + " " + std::to_string(opcode) + " at offset " +
                std::to_string(pos) + " dropped: the " + words.stream + " " + words.ends +
                " inside it");
            return;
        }
        visit(opcode, p + pos, pos);
        pos += size;
    }
}

// Kinds of command 41.
inline constexpr std::uint16_t kNoticeSaveGame = 1;
inline constexpr std::uint16_t kNoticeReturnToTitle = 2;
inline constexpr std::uint16_t kNoticeQuit = 3;

// Alliance kinds of orders 42 and 44.
inline constexpr std::uint16_t kAllianceConclude = 0;
inline constexpr std::uint16_t kAllianceBreak = 1;
inline constexpr std::uint16_t kNoAddressee = 0xFF;

// The field offsets of every record, named after what the interpreter does with them.
struct MoveRecord : rules::ByteRecord<8> {  // 1
    static constexpr std::size_t kTroop = 2, kHex = 4, kDirection = 6, kWaypointIndex = 7;
};
struct AttackRecord : rules::ByteRecord<6> {  // 2
    static constexpr std::size_t kTroop = 2, kTarget = 4;
};
struct FireRecord : rules::ByteRecord<14> {  // 3
    static constexpr std::size_t kTroop = 2, kHex = 4, kActionFlags = 6, kTarget = 8,
                                 kDestination = 10, kWeapons = 12;
};
struct TroopOnlyRecord : rules::ByteRecord<4> {  // 4, 9, 12, 26
    static constexpr std::size_t kTroop = 2;
};
struct SupplyRecord : rules::ByteRecord<8> {  // 5
    static constexpr std::size_t kTroop = 2, kSupplyingTroop = 4, kSupplyingSite = 6;
};
struct BoardRecord : rules::ByteRecord<8> {  // 6
    static constexpr std::size_t kCarrier = 2, kTroop = 4, kHex = 6;
};
// +8 is the carrier's home action bit where the launch step writes it, and the launched troop's
// OrderKind where the launch reads it.
struct LaunchRecord : rules::ByteRecord<14> {  // 7
    static constexpr std::size_t kCarrier = 2, kTroop = 4, kHex = 6, kOrderKind = 8,
                                 kDestination = 10, kTarget = 12;
};
// +8 is read as the bombing's threshold: the bomb step must write there the draw 0-99 that its
// own bombing on the shadow tables used, or the live bombing knocks out other sites than the
// simulated one.
struct BombRecord : rules::ByteRecord<10> {  // 8
    static constexpr std::size_t kTroop = 2, kTargetTroop = 4, kTargetSite = 6, kThreshold = 8;
};
struct DisperseRecord : rules::ByteRecord<16> {  // 11
    static constexpr std::size_t kTroop = 2, kHex = 4, kSeparationMask = 6, kTarget = 8,
                                 kAimHex = 10, kWeapons = 12, kParameter = 14;
};
struct SupportRecord : rules::ByteRecord<16> {  // 13
    static constexpr std::size_t kTroop = 2, kHex = 4, kFlags = 6, kTarget = 8, kDestination = 10,
                                 kWeapons = 12, kValue = 14;
};
struct ReturnRecord : rules::ByteRecord<6> {  // 14
    static constexpr std::size_t kCarrier = 2, kTroop = 4;
};
struct TargetRecord : rules::ByteRecord<8> {  // 15 (order and command)
    static constexpr std::size_t kTroop = 2, kHex = 4, kSlot = 6;
};
struct ClockRecord : rules::ByteRecord<8> {  // 16
    static constexpr std::size_t kDay = 2, kHour = 3, kMinute = 4, kDaytime = 5, kNewDay = 6;
};
struct ZeroWordRecord : rules::ByteRecord<4> {  // 17, 28, 29
    static constexpr std::size_t kZero = 2;
};
struct ForceTroopRecord : rules::ByteRecord<8> {  // 20, 46 (order and command)
    static constexpr std::size_t kForceTroop = 2, kHex = 4, kCountry = 6;
};
// Command 22 and order 27. The wire order of the fields is not the argument order: the order
// parameter byte (troop offset 381) travels at +16 and the order hex (troop offset 361) at +14,
// while every function taking the ten values lists the byte before the hex.
struct TroopOrderRecord : rules::ByteRecord<20> {  // 22, 27
    static constexpr std::size_t kTroop = 2, kDestination = 4, kTarget = 6, kOrderKind = 8,
                                 kActionFlags = 10, kWeapons = 12, kOrderHex = 14,
                                 kParameterByte = 16, kHomeAction = 17, kHomeTroop = 18;
};
struct BurnFuelRecord : rules::ByteRecord<6> {  // 25
    static constexpr std::size_t kTroop = 2, kTerrainClass = 4, kAmount = 5;
};
struct GameEndRecord : rules::ByteRecord<8> {  // 30
    static constexpr std::size_t kWinners = 2, kLosers = 4, kTimeLimit = 6;
};
struct StatusRecord : rules::ByteRecord<6> {  // 31
    static constexpr std::size_t kTroop = 2, kValue = 4;
};
struct ClearActionRecord : rules::ByteRecord<6> {  // 32
    static constexpr std::size_t kTroop = 2, kClearCounter = 4, kClearFlags = 5;
};
struct SeedRecord : rules::ByteRecord<4> {  // 33
    static constexpr std::size_t kSeed = 2;
};
struct CountryFallRecord : rules::ByteRecord<4> {  // 34
    static constexpr std::size_t kCountry = 2, kKeepState = 3;
};
using rules::MemberSettingsBlock;
struct MemberSettingsRecord : rules::ByteRecord<44> {  // 35, 36
    static constexpr std::size_t kTroop = 2, kSupplyAfter = 4, kBlock = 6;
};
struct FormationRecord : rules::ByteRecord<6> {  // 37, 38
    // The command's interpreter reads the low byte only.
    static constexpr std::size_t kTroop = 2, kFormation = 4;
};
struct WithdrawRecord : rules::ByteRecord<6> {  // 39, 40
    static constexpr std::size_t kForceTroop = 2, kCountry = 4;
};
struct NoticeRecord : rules::ByteRecord<6> {  // 41
    static constexpr std::size_t kKind = 2, kCountry = 4;
};
struct AllianceProposalRecord : rules::ByteRecord<8> {  // 42, 43
    static constexpr std::size_t kProposer = 2, kAddressee = 4, kKind = 6;
};
struct AllianceAnswerRecord : rules::ByteRecord<10> {  // 44, 45
    static constexpr std::size_t kAnswerer = 2, kProposer = 4, kKind = 6, kAccepted = 8;
};

// Where builders put orders and writers put commands. The simulation object is both; tests
// collect the bytes.
class OrderSink {
  public:
    virtual ~OrderSink() = default;
    // 1 when the record was appended.
    virtual int AppendOrder(const std::uint8_t* record, std::uint32_t size) = 0;
};

class CommandSink {
  public:
    virtual ~CommandSink() = default;
    virtual int AppendCommand(const std::uint8_t* record, std::uint32_t size) = 0;
};

// ---- Record rows
//
// Each command is declared once, as a row: a struct whose members are the command's values,
// with its opcode, its name, its record (the byte layout above), where each member sits in the
// record (Fields), and what it does (its handlers, defined with the interpreter):
// - Apply(tables): the change to the tables, the same on the live tables and on a step's
//   shadow; returns the rule's result.
// - Execute(LiveTables&): what the journal's interpreter does, where that is more than Apply
//   (checks that drop the command, notices to the windows, the world's random streams).
// A row with neither changes nothing. The size table, the writer, the reader and the
// interpreter's dispatch all come from the rows (CommandRows), so a new command is one more row.
// Orders are rows too (OrderRows): an order carries the values of the command it becomes.

class LiveTables;

// A member of a row stored at byte `Offset` of its record: one byte for an 8-bit member, two
// little-endian bytes for a 16-bit one.
template <auto Member, std::size_t Offset>
struct At {
    template <typename>
    struct MemberOf;
    template <typename Row, typename Value>
    struct MemberOf<Value Row::*> {
        using Type = Value;
    };
    using Value = typename MemberOf<decltype(Member)>::Type;
    static_assert(std::is_same_v<Value, std::uint8_t> || std::is_same_v<Value, std::uint16_t>);
    static constexpr std::size_t kEnd = Offset + sizeof(Value);

    template <typename Row>
    static void Put(std::uint8_t* record, const Row& row) {
        if constexpr (sizeof(Value) == 1) {
            rules::WriteU8(record, Offset, row.*Member);
        } else {
            rules::WriteU16(record, Offset, row.*Member);
        }
    }
    template <typename Row>
    static void Get(const std::uint8_t* record, Row& row) {
        if constexpr (sizeof(Value) == 1) {
            row.*Member = rules::ReadU8(record, Offset);
        } else {
            row.*Member = rules::ReadU16(record, Offset);
        }
    }
};

// A block of `Size` bytes that a row member points at, stored at byte `Offset` (a null pointer
// stores zeros). Read back, the member points into the record.
template <auto Member, std::size_t Offset, std::size_t Size>
struct BlockAt {
    static constexpr std::size_t kEnd = Offset + Size;
    template <typename Row>
    static void Put(std::uint8_t* record, const Row& row) {
        if (row.*Member) std::memcpy(record + Offset, row.*Member, Size);
    }
    template <typename Row>
    static void Get(const std::uint8_t* record, Row& row) {
        row.*Member = record + Offset;
    }
};

template <typename... Members>
struct Fields {
    static constexpr std::size_t kEnd = std::max({std::size_t{2}, Members::kEnd...});
    template <typename Row>
    static void Put([[maybe_unused]] std::uint8_t* record, [[maybe_unused]] const Row& row) {
        (Members::Put(record, row), ...);
    }
    template <typename Row>
    static void Get([[maybe_unused]] const std::uint8_t* record, [[maybe_unused]] Row& row) {
        (Members::Get(record, row), ...);
    }
};

// ---- Commands

struct MoveCommand {
    static constexpr std::uint16_t kOpcode = kCmdMove;
    static constexpr const char* kName = "move";
    using Record = MoveRecord;
    std::uint16_t troop = 0;
    std::uint16_t hex = 0;
    std::uint8_t direction = 0;
    std::uint8_t waypointIndex = 0;
    using Fields =
        sim::Fields<At<&MoveCommand::troop, Record::kTroop>, At<&MoveCommand::hex, Record::kHex>,
                    At<&MoveCommand::direction, Record::kDirection>,
                    At<&MoveCommand::waypointIndex, Record::kWaypointIndex>>;
    int Apply(rules::GameContext& tables) const;
};

// The step attacks on its shadow with the host's draws and writes the command only when the
// attack took place; every participant then draws from its own streams.
struct AttackCommand {
    static constexpr std::uint16_t kOpcode = kCmdAttack;
    static constexpr const char* kName = "attack";
    using Record = AttackRecord;
    std::uint16_t troop = 0;
    std::uint16_t target = 0;
    using Fields = sim::Fields<At<&AttackCommand::troop, Record::kTroop>,
                               At<&AttackCommand::target, Record::kTarget>>;
    void Execute(LiveTables& live) const;
};

struct FireCommand {
    static constexpr std::uint16_t kOpcode = kCmdFire;
    static constexpr const char* kName = "fire";
    using Record = FireRecord;
    std::uint16_t troop = 0;
    std::uint16_t hex = 0;
    std::uint16_t actionFlags = 0;
    std::uint16_t target = 0;
    std::uint16_t destination = 0;
    std::uint16_t weapons = 0;
    using Fields =
        sim::Fields<At<&FireCommand::troop, Record::kTroop>, At<&FireCommand::hex, Record::kHex>,
                    At<&FireCommand::actionFlags, Record::kActionFlags>,
                    At<&FireCommand::target, Record::kTarget>,
                    At<&FireCommand::destination, Record::kDestination>,
                    At<&FireCommand::weapons, Record::kWeapons>>;
    int Apply(rules::GameContext& tables) const;
};

struct OccupyCommand {
    static constexpr std::uint16_t kOpcode = kCmdOccupy;
    static constexpr const char* kName = "occupy";
    using Record = TroopOnlyRecord;
    std::uint16_t troop = 0;
    using Fields = sim::Fields<At<&OccupyCommand::troop, Record::kTroop>>;
    int Apply(rules::GameContext& tables) const;
};

struct SupplyCommand {
    static constexpr std::uint16_t kOpcode = kCmdSupply;
    static constexpr const char* kName = "supply";
    using Record = SupplyRecord;
    std::uint16_t troop = 0;
    std::uint16_t supplyingTroop = 0;
    std::uint16_t supplyingSite = 0;
    using Fields = sim::Fields<At<&SupplyCommand::troop, Record::kTroop>,
                               At<&SupplyCommand::supplyingTroop, Record::kSupplyingTroop>,
                               At<&SupplyCommand::supplyingSite, Record::kSupplyingSite>>;
    int Apply(rules::GameContext& tables) const;
};

struct BoardCommand {
    static constexpr std::uint16_t kOpcode = kCmdBoard;
    static constexpr const char* kName = "board";
    using Record = BoardRecord;
    std::uint16_t carrier = 0;
    std::uint16_t troop = 0;
    std::uint16_t hex = 0;
    using Fields =
        sim::Fields<At<&BoardCommand::carrier, Record::kCarrier>,
                    At<&BoardCommand::troop, Record::kTroop>, At<&BoardCommand::hex, Record::kHex>>;
    int Apply(rules::GameContext& tables) const;
};

struct LaunchCommand {
    static constexpr std::uint16_t kOpcode = kCmdLaunch;
    static constexpr const char* kName = "launch";
    using Record = LaunchRecord;
    std::uint16_t carrier = 0;
    std::uint16_t troop = 0;
    std::uint16_t hex = 0;
    std::uint16_t orderKind = 0;  // the launched troop's; the low byte counts
    std::uint16_t destination = 0;
    std::uint16_t target = 0;
    using Fields = sim::Fields<
        At<&LaunchCommand::carrier, Record::kCarrier>, At<&LaunchCommand::troop, Record::kTroop>,
        At<&LaunchCommand::hex, Record::kHex>, At<&LaunchCommand::orderKind, Record::kOrderKind>,
        At<&LaunchCommand::destination, Record::kDestination>,
        At<&LaunchCommand::target, Record::kTarget>>;
    int Apply(rules::GameContext& tables) const;
};

// Written, like the attack, after the step's own bombing took place, with its threshold.
struct BombCommand {
    static constexpr std::uint16_t kOpcode = kCmdBomb;
    static constexpr const char* kName = "bomb";
    using Record = BombRecord;
    std::uint16_t troop = 0;
    std::uint16_t targetTroop = 0;
    std::uint16_t targetSite = 0;
    std::uint16_t threshold = 0;
    using Fields = sim::Fields<At<&BombCommand::troop, Record::kTroop>,
                               At<&BombCommand::targetTroop, Record::kTargetTroop>,
                               At<&BombCommand::targetSite, Record::kTargetSite>,
                               At<&BombCommand::threshold, Record::kThreshold>>;
    void Execute(LiveTables& live) const;
};

struct TransformCommand {
    static constexpr std::uint16_t kOpcode = kCmdTransform;
    static constexpr const char* kName = "transform";
    using Record = TroopOnlyRecord;
    std::uint16_t troop = 0;
    using Fields = sim::Fields<At<&TransformCommand::troop, Record::kTroop>>;
    int Apply(rules::GameContext& tables) const;
};

struct DisperseCommand {
    static constexpr std::uint16_t kOpcode = kCmdDisperse;
    static constexpr const char* kName = "disperse";
    using Record = DisperseRecord;
    std::uint16_t troop = 0;
    std::uint16_t hex = 0;
    std::uint16_t separationMask = 0;
    std::uint16_t target = 0;
    std::uint16_t aimHex = 0;
    std::uint16_t weapons = 0;
    std::uint8_t parameter = 0;
    using Fields = sim::Fields<At<&DisperseCommand::troop, Record::kTroop>,
                               At<&DisperseCommand::hex, Record::kHex>,
                               At<&DisperseCommand::separationMask, Record::kSeparationMask>,
                               At<&DisperseCommand::target, Record::kTarget>,
                               At<&DisperseCommand::aimHex, Record::kAimHex>,
                               At<&DisperseCommand::weapons, Record::kWeapons>,
                               At<&DisperseCommand::parameter, Record::kParameter>>;
    int Apply(rules::GameContext& tables) const;
};

struct DisbandCommand {
    static constexpr std::uint16_t kOpcode = kCmdDisband;
    static constexpr const char* kName = "disband";
    using Record = TroopOnlyRecord;
    std::uint16_t troop = 0;
    using Fields = sim::Fields<At<&DisbandCommand::troop, Record::kTroop>>;
    int Apply(rules::GameContext& tables) const;
};

struct SupportCommand {
    static constexpr std::uint16_t kOpcode = kCmdSupport;
    static constexpr const char* kName = "support";
    using Record = SupportRecord;
    std::uint16_t troop = 0;
    std::uint16_t hex = 0;
    std::uint16_t flags = 0;
    std::uint16_t target = 0;
    std::uint16_t destination = 0;
    std::uint16_t weapons = 0;
    std::uint16_t value = 0;
    using Fields = sim::Fields<
        At<&SupportCommand::troop, Record::kTroop>, At<&SupportCommand::hex, Record::kHex>,
        At<&SupportCommand::flags, Record::kFlags>, At<&SupportCommand::target, Record::kTarget>,
        At<&SupportCommand::destination, Record::kDestination>,
        At<&SupportCommand::weapons, Record::kWeapons>, At<&SupportCommand::value, Record::kValue>>;
    int Apply(rules::GameContext& tables) const;
};

struct ReturnCommand {
    static constexpr std::uint16_t kOpcode = kCmdReturn;
    static constexpr const char* kName = "return";
    using Record = ReturnRecord;
    std::uint16_t carrier = 0;
    std::uint16_t troop = 0;
    using Fields = sim::Fields<At<&ReturnCommand::carrier, Record::kCarrier>,
                               At<&ReturnCommand::troop, Record::kTroop>>;
    int Apply(rules::GameContext& tables) const;
};

// Order and command 15.
struct TargetCommand {
    static constexpr std::uint16_t kOpcode = kOpTarget;
    static constexpr const char* kName = "target";
    using Record = TargetRecord;
    std::uint16_t troop = 0;
    std::uint16_t hex = 0;
    std::uint8_t slot = 0;
    using Fields =
        sim::Fields<At<&TargetCommand::troop, Record::kTroop>,
                    At<&TargetCommand::hex, Record::kHex>, At<&TargetCommand::slot, Record::kSlot>>;
    int Apply(rules::GameContext& tables) const;
};

struct ClockCommand {
    static constexpr std::uint16_t kOpcode = kCmdClock;
    static constexpr const char* kName = "clock";
    using Record = ClockRecord;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t daytime = 0;
    std::uint16_t newDay = 0;  // not 0: the day's income is paid
    using Fields =
        sim::Fields<At<&ClockCommand::day, Record::kDay>, At<&ClockCommand::hour, Record::kHour>,
                    At<&ClockCommand::minute, Record::kMinute>,
                    At<&ClockCommand::daytime, Record::kDaytime>,
                    At<&ClockCommand::newDay, Record::kNewDay>>;
    void Execute(LiveTables& live) const;
};

struct RefreshCommand {
    static constexpr std::uint16_t kOpcode = kCmdRefresh;
    static constexpr const char* kName = "refresh";
    using Record = ZeroWordRecord;
    using Fields = sim::Fields<>;
    void Execute(LiveTables& live) const;
};

struct ProductionCommand {
    static constexpr std::uint16_t kOpcode = kCmdProduction;
    static constexpr const char* kName = "production";
    using Record = ForceTroopRecord;
    std::uint16_t forceTroop = 0;
    std::uint16_t hex = 0;
    std::uint8_t country = 0;
    using Fields = sim::Fields<At<&ProductionCommand::forceTroop, Record::kForceTroop>,
                               At<&ProductionCommand::hex, Record::kHex>,
                               At<&ProductionCommand::country, Record::kCountry>>;
    void Execute(LiveTables& live) const;
};

// The ten values of a troop order, in the order every function that takes them uses.
struct TroopOrderValues {
    std::uint16_t troop = 0;
    std::uint16_t destination = 0xFFFF;
    std::uint16_t target = 0xFFFF;
    std::uint16_t orderKind = 0;
    std::uint16_t actionFlags = 0;
    std::uint16_t weapons = 0;        // troop offset 358
    std::uint8_t parameterByte = 0;   // troop offset 381
    std::uint16_t orderHex = 0xFFFF;  // troop offset 361
    std::uint8_t homeAction = 0;      // troop offset 363
    std::uint8_t homeTroop = 0xFF;    // troop offset 360
};

// Command 22 (and order 27): the ten values; the seventh goes to +16 and the eighth to +14.
struct TroopOrderCommand : TroopOrderValues {
    static constexpr std::uint16_t kOpcode = kCmdTroopOrder;
    static constexpr const char* kName = "troop order";
    using Record = TroopOrderRecord;
    using V = TroopOrderValues;
    using Fields =
        sim::Fields<At<&V::troop, Record::kTroop>, At<&V::destination, Record::kDestination>,
                    At<&V::target, Record::kTarget>, At<&V::orderKind, Record::kOrderKind>,
                    At<&V::actionFlags, Record::kActionFlags>, At<&V::weapons, Record::kWeapons>,
                    At<&V::orderHex, Record::kOrderHex>,
                    At<&V::parameterByte, Record::kParameterByte>,
                    At<&V::homeAction, Record::kHomeAction>, At<&V::homeTroop, Record::kHomeTroop>>;
    int Apply(rules::GameContext& tables) const;
};

struct BurnFuelCommand {
    static constexpr std::uint16_t kOpcode = kCmdBurnFuel;
    static constexpr const char* kName = "burn fuel";
    using Record = BurnFuelRecord;
    std::uint16_t troop = 0;
    std::uint8_t terrainClass = 0;
    std::uint8_t amount = 0;
    using Fields = sim::Fields<At<&BurnFuelCommand::troop, Record::kTroop>,
                               At<&BurnFuelCommand::terrainClass, Record::kTerrainClass>,
                               At<&BurnFuelCommand::amount, Record::kAmount>>;
    int Apply(rules::GameContext& tables) const;
};

// Order and command 26.
struct ClearOrdersCommand {
    static constexpr std::uint16_t kOpcode = kOpClearOrders;
    static constexpr const char* kName = "clear orders";
    using Record = TroopOnlyRecord;
    std::uint16_t troop = 0;
    using Fields = sim::Fields<At<&ClearOrdersCommand::troop, Record::kTroop>>;
    int Apply(rules::GameContext& tables) const;
};

// Commands 28 and 29 do nothing.
struct Nothing28Command {
    static constexpr std::uint16_t kOpcode = kCmdNothing28;
    static constexpr const char* kName = "nothing 28";
    using Record = ZeroWordRecord;
    using Fields = sim::Fields<>;
};

struct Nothing29Command {
    static constexpr std::uint16_t kOpcode = kCmdNothing29;
    static constexpr const char* kName = "nothing 29";
    using Record = ZeroWordRecord;
    using Fields = sim::Fields<>;
};

struct GameEndCommand {
    static constexpr std::uint16_t kOpcode = kCmdGameEnd;
    static constexpr const char* kName = "game end";
    using Record = GameEndRecord;
    std::uint16_t winners = 0;  // country masks
    std::uint16_t losers = 0;
    std::uint16_t timeLimit = 0;  // 1 when the day limit ended the game
    using Fields = sim::Fields<At<&GameEndCommand::winners, Record::kWinners>,
                               At<&GameEndCommand::losers, Record::kLosers>,
                               At<&GameEndCommand::timeLimit, Record::kTimeLimit>>;
    void Execute(LiveTables& live) const;
};

struct StatusCommand {
    static constexpr std::uint16_t kOpcode = kCmdStatus;
    static constexpr const char* kName = "status";
    using Record = StatusRecord;
    std::uint16_t troop = 0;
    std::uint8_t value = 0;
    using Fields = sim::Fields<At<&StatusCommand::troop, Record::kTroop>,
                               At<&StatusCommand::value, Record::kValue>>;
    int Apply(rules::GameContext& tables) const;
};

struct ClearActionCommand {
    static constexpr std::uint16_t kOpcode = kCmdClearAction;
    static constexpr const char* kName = "clear action";
    using Record = ClearActionRecord;
    std::uint16_t troop = 0;
    std::uint8_t clearCounter = 0;  // not 0: the action counter (byte 329) becomes 0
    std::uint8_t clearFlags = 0;    // not 0: the action flags become 0
    using Fields = sim::Fields<At<&ClearActionCommand::troop, Record::kTroop>,
                               At<&ClearActionCommand::clearCounter, Record::kClearCounter>,
                               At<&ClearActionCommand::clearFlags, Record::kClearFlags>>;
    int Apply(rules::GameContext& tables) const;
};

struct SeedCommand {
    static constexpr std::uint16_t kOpcode = kCmdSeed;
    static constexpr const char* kName = "seed";
    using Record = SeedRecord;
    std::uint16_t seed = 0;
    using Fields = sim::Fields<At<&SeedCommand::seed, Record::kSeed>>;
    void Execute(LiveTables& live) const;
};

struct CountryFallCommand {
    static constexpr std::uint16_t kOpcode = kCmdCountryFall;
    static constexpr const char* kName = "country fall";
    using Record = CountryFallRecord;
    std::uint8_t country = 0;
    std::uint8_t keepState = 0;  // not 0: the troops and sites go, the country stays in play
    using Fields = sim::Fields<At<&CountryFallCommand::country, Record::kCountry>,
                               At<&CountryFallCommand::keepState, Record::kKeepState>>;
    void Execute(LiveTables& live) const;
};

struct MemberSettingsCommand {
    static constexpr std::uint16_t kOpcode = kCmdMemberSettings;
    static constexpr const char* kName = "member settings";
    using Record = MemberSettingsRecord;
    std::uint16_t troop = 0;
    std::uint16_t supplyAfter = 0;
    const std::uint8_t* block = nullptr;  // MemberSettingsBlock::kSize bytes; null writes zeros
    using Fields = sim::Fields<
        At<&MemberSettingsCommand::troop, Record::kTroop>,
        At<&MemberSettingsCommand::supplyAfter, Record::kSupplyAfter>,
        BlockAt<&MemberSettingsCommand::block, Record::kBlock, MemberSettingsBlock::kSize>>;
    int Apply(rules::GameContext& tables) const;
    void Execute(LiveTables& live) const;
};

struct FormationCommand {
    static constexpr std::uint16_t kOpcode = kCmdFormation;
    static constexpr const char* kName = "formation";
    using Record = FormationRecord;
    std::uint16_t troop = 0;
    std::uint16_t formation = 0;  // the command's interpreter reads the low byte only
    using Fields = sim::Fields<At<&FormationCommand::troop, Record::kTroop>,
                               At<&FormationCommand::formation, Record::kFormation>>;
    // 1 when the troop selects (it stays selected).
    int Apply(rules::GameContext& tables) const;
    void Execute(LiveTables& live) const;
};

struct WithdrawCommand {
    static constexpr std::uint16_t kOpcode = kCmdWithdraw;
    static constexpr const char* kName = "withdraw";
    using Record = WithdrawRecord;
    std::uint16_t forceTroop = 0;
    std::uint8_t country = 0;
    using Fields = sim::Fields<At<&WithdrawCommand::forceTroop, Record::kForceTroop>,
                               At<&WithdrawCommand::country, Record::kCountry>>;
    int Apply(rules::ForceCursor& force) const;
    void Execute(LiveTables& live) const;
};

struct NoticeCommand {
    static constexpr std::uint16_t kOpcode = kCmdNotice;
    static constexpr const char* kName = "notice";
    using Record = NoticeRecord;
    std::uint16_t kind = 0;  // kNoticeSaveGame and others
    // The local player's country of the program that writes the journal.
    std::uint16_t country = 0;
    using Fields = sim::Fields<At<&NoticeCommand::kind, Record::kKind>,
                               At<&NoticeCommand::country, Record::kCountry>>;
    void Execute(LiveTables& live) const;
};

struct AllianceProposalCommand {
    static constexpr std::uint16_t kOpcode = kCmdAllianceProposal;
    static constexpr const char* kName = "alliance proposal";
    using Record = AllianceProposalRecord;
    std::uint16_t proposer = 0;
    std::uint16_t addressee = 0;  // kNoAddressee for nobody
    std::uint16_t kind = 0;       // kAllianceConclude or kAllianceBreak
    using Fields = sim::Fields<At<&AllianceProposalCommand::proposer, Record::kProposer>,
                               At<&AllianceProposalCommand::addressee, Record::kAddressee>,
                               At<&AllianceProposalCommand::kind, Record::kKind>>;
    void Execute(LiveTables& live) const;
};

struct AllianceChangeCommand {
    static constexpr std::uint16_t kOpcode = kCmdAllianceChange;
    static constexpr const char* kName = "alliance change";
    using Record = AllianceAnswerRecord;
    std::uint16_t answerer = 0;
    std::uint16_t proposer = 0;
    std::uint16_t kind = 0;
    std::uint16_t accepted = 0;
    using Fields = sim::Fields<At<&AllianceChangeCommand::answerer, Record::kAnswerer>,
                               At<&AllianceChangeCommand::proposer, Record::kProposer>,
                               At<&AllianceChangeCommand::kind, Record::kKind>,
                               At<&AllianceChangeCommand::accepted, Record::kAccepted>>;
    // The alliance changes when the answer accepted it.
    int Apply(rules::GameContext& tables) const;
    void Execute(LiveTables& live) const;
};

// Order and command 46.
struct PlaceCommand {
    static constexpr std::uint16_t kOpcode = kOpPlace;
    static constexpr const char* kName = "place";
    using Record = ForceTroopRecord;
    std::uint16_t forceTroop = 0;
    std::uint16_t hex = 0;
    std::uint8_t country = 0;
    using Fields = sim::Fields<At<&PlaceCommand::forceTroop, Record::kForceTroop>,
                               At<&PlaceCommand::hex, Record::kHex>,
                               At<&PlaceCommand::country, Record::kCountry>>;
    int Apply(rules::ForceCursor& force) const;
    void Execute(LiveTables& live) const;
};

template <typename... Rows>
struct RowList {};

// Every command, one row each.
using CommandRows =
    RowList<MoveCommand, AttackCommand, FireCommand, OccupyCommand, SupplyCommand, BoardCommand,
            LaunchCommand, BombCommand, TransformCommand, DisperseCommand, DisbandCommand,
            SupportCommand, ReturnCommand, TargetCommand, ClockCommand, RefreshCommand,
            ProductionCommand, TroopOrderCommand, BurnFuelCommand, ClearOrdersCommand,
            Nothing28Command, Nothing29Command, GameEndCommand, StatusCommand, ClearActionCommand,
            SeedCommand, CountryFallCommand, MemberSettingsCommand, FormationCommand,
            WithdrawCommand, NoticeCommand, AllianceProposalCommand, AllianceChangeCommand,
            PlaceCommand>;

// ---- Orders
//
// An order row names its opcode and the command whose values (and record) it carries; the
// translation checks it (Refusal: why it is dropped, null to keep it) and then writes the
// command and applies it to the shadow tables.

template <std::uint16_t Opcode, typename CommandRow>
struct OrderRow {
    static constexpr std::uint16_t kOpcode = Opcode;
    using Command = CommandRow;
    using Record = typename CommandRow::Record;
    using Fields = typename CommandRow::Fields;
};

struct TargetOrder : OrderRow<kOpTarget, TargetCommand> {
    static constexpr const char* kName = "target";
};
struct ClearOrdersOrder : OrderRow<kOpClearOrders, ClearOrdersCommand> {
    static constexpr const char* kName = "clear orders";
};
struct TroopOrderOrder : OrderRow<kOrderTroopOrder, TroopOrderCommand> {
    static constexpr const char* kName = "troop order";
};
struct MemberSettingsOrder : OrderRow<kOrderMemberSettings, MemberSettingsCommand> {
    static constexpr const char* kName = "member settings";
    static const char* Refusal(const MemberSettingsCommand& c);
};
struct FormationOrder : OrderRow<kOrderFormation, FormationCommand> {
    static constexpr const char* kName = "formation";
    static const char* Refusal(const FormationCommand& c);
};
struct WithdrawOrder : OrderRow<kOrderWithdraw, WithdrawCommand> {
    static constexpr const char* kName = "withdraw";
    static const char* Refusal(const WithdrawCommand& c);
};
struct AllianceProposalOrder : OrderRow<kOrderAllianceProposal, AllianceProposalCommand> {
    static constexpr const char* kName = "alliance proposal";
    static const char* Refusal(const AllianceProposalCommand& c);
};
struct AllianceAnswerOrder : OrderRow<kOrderAllianceAnswer, AllianceChangeCommand> {
    static constexpr const char* kName = "alliance answer";
    static const char* Refusal(const AllianceChangeCommand& c);
};
struct PlaceOrder : OrderRow<kOpPlace, PlaceCommand> {
    static constexpr const char* kName = "place";
    static const char* Refusal(const PlaceCommand& c);
};

// Every order, one row each.
using OrderRows =
    RowList<TargetOrder, ClearOrdersOrder, TroopOrderOrder, MemberSettingsOrder, FormationOrder,
            WithdrawOrder, AllianceProposalOrder, AllianceAnswerOrder, PlaceOrder>;

// ---- What comes from the rows

// One past the highest opcode.
inline constexpr std::uint16_t kOpcodeLimit = 47;

namespace detail {

struct RowInfo {
    std::uint32_t size = 0;
    const char* name = nullptr;
};

template <typename... Rows>
constexpr std::array<RowInfo, kOpcodeLimit> InfoOf(RowList<Rows...>) {
    std::array<RowInfo, kOpcodeLimit> info{};
    auto add = [&info](std::uint16_t opcode, std::uint32_t size, std::uint32_t end,
                       const char* name) {
        // Not a constant expression, so the table does not compile: an opcode out of range,
        // a second row with the same opcode, or a field past the end of its record.
        if (opcode == 0 || opcode >= kOpcodeLimit || info[opcode].size != 0 || end > size) {
            throw "bad record row";
        }
        info[opcode] = {size, name};
    };
    (add(Rows::kOpcode, static_cast<std::uint32_t>(Rows::Record::kSize),
         static_cast<std::uint32_t>(Rows::Fields::kEnd), Rows::kName),
     ...);
    return info;
}

inline constexpr auto kCommandInfo = InfoOf(CommandRows{});
inline constexpr auto kOrderInfo = InfoOf(OrderRows{});

}  // namespace detail

// Size in bytes of the command record with this opcode, opcode included; 0 when the opcode has
// no command meaning (a walker then steps over the two opcode bytes alone).
constexpr std::uint32_t CommandRecordSize(std::uint16_t opcode) {
    return opcode < kOpcodeLimit ? detail::kCommandInfo[opcode].size : 0;
}
// The same for order records.
constexpr std::uint32_t OrderRecordSize(std::uint16_t opcode) {
    return opcode < kOpcodeLimit ? detail::kOrderInfo[opcode].size : 0;
}
// The name of the command (order) with this opcode; null when it has none.
constexpr const char* CommandName(std::uint16_t opcode) {
    return opcode < kOpcodeLimit ? detail::kCommandInfo[opcode].name : nullptr;
}
constexpr const char* OrderName(std::uint16_t opcode) {
    return opcode < kOpcodeLimit ? detail::kOrderInfo[opcode].name : nullptr;
}

// The record of a row: its opcode, its values at their offsets, every other byte 0.
template <typename Row, typename Values>
typename Row::Record MakeRecord(const Values& values) {
    typename Row::Record r;
    r.SetU16(0, Row::kOpcode);
    Row::Fields::Put(r.data(), values);
    return r;
}

// The values of a whole record of the row. A block member points into `record`.
template <typename Row>
auto ReadRecord(const std::uint8_t* record) {
    if constexpr (requires { typename Row::Command; }) {
        typename Row::Command values{};
        Row::Fields::Get(record, values);
        return values;
    } else {
        Row values{};
        Row::Fields::Get(record, values);
        return values;
    }
}

// Appends the command; AppendCommand's result.
template <typename Command>
int WriteCommand(CommandSink& sink, const Command& command) {
    const auto r = MakeRecord<Command>(command);
    return sink.AppendCommand(r.data(), static_cast<std::uint32_t>(r.kSize));
}

// Appends the order with the values of its command; AppendOrder's result.
template <typename Order>
int BuildOrder(OrderSink& sink, const typename Order::Command& values) {
    const auto r = MakeRecord<Order>(values);
    return sink.AppendOrder(r.data(), static_cast<std::uint32_t>(r.kSize));
}

// Writes the command and makes the same change on the given (shadow) tables, so that the rest of
// the step sees what every participant's live tables will: Apply's result.
template <typename Command, typename Tables>
int WriteAndRun(CommandSink& journal, Tables& tables, const Command& command) {
    WriteCommand(journal, command);
    return command.Apply(tables);
}

// Order 44: the stored flag is 1 exactly when `answer` is 1.
int BuildAllianceAnswerOrder(OrderSink& sink, std::uint16_t answerer, std::uint16_t proposer,
                             std::uint16_t kind, int answer);

// The windows' order builders, by the names their callers use: each fills its row's values and
// appends the order (AppendOrder's result).
inline int BuildOrder15(OrderSink& sink, std::uint16_t troop, std::uint16_t hex, std::uint8_t slot) {
    return BuildOrder<TargetOrder>(sink, {.troop = troop, .hex = hex, .slot = slot});
}
inline int BuildOrder26(OrderSink& sink, std::uint16_t troop) {
    return BuildOrder<ClearOrdersOrder>(sink, {.troop = troop});
}
inline int BuildOrder27(OrderSink& sink, std::uint16_t troop, std::uint16_t destination,
                        std::uint16_t target, std::uint16_t orderKind, std::uint16_t actionFlags,
                        std::uint16_t weapons, std::uint8_t parameterByte, std::uint16_t orderHex,
                        std::uint8_t homeAction, std::uint8_t homeTroop) {
    TroopOrderCommand c;
    c.troop = troop;
    c.destination = destination;
    c.target = target;
    c.orderKind = orderKind;
    c.actionFlags = actionFlags;
    c.weapons = weapons;
    c.parameterByte = parameterByte;
    c.orderHex = orderHex;
    c.homeAction = homeAction;
    c.homeTroop = homeTroop;
    return BuildOrder<TroopOrderOrder>(sink, c);
}
inline int BuildOrder35(OrderSink& sink, std::uint16_t troop, std::uint16_t supplyAfter,
                        const std::uint8_t* block) {
    return BuildOrder<MemberSettingsOrder>(
        sink, {.troop = troop, .supplyAfter = supplyAfter, .block = block});
}
inline int BuildOrder37(OrderSink& sink, std::uint16_t troop, std::uint16_t formation) {
    return BuildOrder<FormationOrder>(sink, {.troop = troop, .formation = formation});
}
inline int BuildOrder39(OrderSink& sink, std::uint16_t forceTroop, std::uint8_t country) {
    return BuildOrder<WithdrawOrder>(sink, {.forceTroop = forceTroop, .country = country});
}
inline int BuildOrder42(OrderSink& sink, std::uint8_t proposer, std::uint8_t addressee,
                        std::uint16_t kind) {
    return BuildOrder<AllianceProposalOrder>(
        sink, {.proposer = proposer, .addressee = addressee, .kind = kind});
}
inline int BuildOrder44(OrderSink& sink, std::uint16_t answerer, std::uint16_t proposer,
                        std::uint16_t kind, int answer) {
    return BuildAllianceAnswerOrder(sink, answerer, proposer, kind, answer);
}
inline int BuildOrder46(OrderSink& sink, std::uint16_t forceTroop, std::uint16_t hex,
                        std::uint8_t country) {
    return BuildOrder<PlaceOrder>(sink, {.forceTroop = forceTroop, .hex = hex, .country = country});
}

}  // namespace zv::sim
