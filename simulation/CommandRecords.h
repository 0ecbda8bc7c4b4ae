#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "rules/records/Bytes.h"

// Order and command records: the journal's wire format. A record is a 16-bit opcode followed by
// fixed fields; its size follows from the opcode alone (there is no length field). All 16-bit
// fields are little-endian, records follow each other without padding, and unused bytes are
// written as 0. Orders and commands share one number space; 15, 26 and 46 are both.
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

// Size in bytes of the command record with this opcode, opcode included; 0 when the opcode has
// no command meaning (a walker then steps over the two opcode bytes alone).
std::uint32_t CommandRecordSize(std::uint16_t opcode);
// The same for order records.
std::uint32_t OrderRecordSize(std::uint16_t opcode);

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
// The 38-byte member settings block of order 35 and command 36.
struct MemberSettingsBlock : rules::ByteRecord<38> {
    // Five bytes per formation slot 0-5: pack, attack settings (member bytes 22, 23), defence
    // settings (member bytes 24, 25).
    static constexpr std::size_t kSlotEntries = 0, kSlotEntrySize = 5;
    // Settings 22-26 of the formation at kFormation.
    static constexpr std::size_t kFormationSettings = 30, kFormation = 35, kTroopMode = 36;
};
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

    static TroopOrderValues Read(const std::uint8_t* record);
    void WriteTo(std::uint8_t* record) const;
};

// Order builders. Each assembles its record and returns AppendOrder's result.
int BuildOrder15(OrderSink& sink, std::uint16_t troop, std::uint16_t hex, std::uint8_t slot);
int BuildOrder26(OrderSink& sink, std::uint16_t troop);
int BuildOrder27(OrderSink& sink, std::uint16_t troop, std::uint16_t destination,
                 std::uint16_t target, std::uint16_t orderKind, std::uint16_t actionFlags,
                 std::uint16_t weapons, std::uint8_t parameterByte, std::uint16_t orderHex,
                 std::uint8_t homeAction, std::uint8_t homeTroop);
int BuildOrder35(OrderSink& sink, std::uint16_t troop, std::uint16_t supplyAfter,
                 const std::uint8_t* block);
int BuildOrder37(OrderSink& sink, std::uint16_t troop, std::uint16_t formation);
int BuildOrder39(OrderSink& sink, std::uint16_t forceTroop, std::uint8_t country);
int BuildOrder42(OrderSink& sink, std::uint8_t proposer, std::uint8_t addressee,
                 std::uint16_t kind);
// The stored flag is 1 exactly when `answer` is 1.
int BuildOrder44(OrderSink& sink, std::uint16_t answerer, std::uint16_t proposer,
                 std::uint16_t kind, int answer);
int BuildOrder46(OrderSink& sink, std::uint16_t forceTroop, std::uint16_t hex,
                 std::uint8_t country);

// Command writers. Each assembles its record and returns AppendCommand's result.
int WriteCommand1(CommandSink& sink, std::uint16_t troop, std::uint16_t hex, std::uint8_t direction,
                  std::uint8_t waypointIndex);
int WriteCommand2(CommandSink& sink, std::uint16_t troop, std::uint16_t target);
int WriteCommand3(CommandSink& sink, std::uint16_t troop, std::uint16_t hex,
                  std::uint16_t actionFlags, std::uint16_t target, std::uint16_t destination,
                  std::uint16_t weapons);
int WriteCommand4(CommandSink& sink, std::uint16_t troop);
int WriteCommand5(CommandSink& sink, std::uint16_t troop, std::uint16_t supplyingTroop,
                  std::uint16_t supplyingSite);
int WriteCommand6(CommandSink& sink, std::uint16_t carrier, std::uint16_t troop, std::uint16_t hex);
int WriteCommand7(CommandSink& sink, std::uint16_t carrier, std::uint16_t troop, std::uint16_t hex,
                  std::uint16_t homeAction, std::uint16_t destination, std::uint16_t target);
int WriteCommand8(CommandSink& sink, std::uint16_t troop, std::uint16_t targetTroop,
                  std::uint16_t targetSite, std::uint16_t threshold);
int WriteCommand9(CommandSink& sink, std::uint16_t troop);
int WriteCommand11(CommandSink& sink, std::uint16_t troop, std::uint16_t hex,
                   std::uint16_t separationMask, std::uint16_t target, std::uint16_t aimHex,
                   std::uint16_t weapons, std::uint8_t parameter);
int WriteCommand12(CommandSink& sink, std::uint16_t troop);
int WriteCommand13(CommandSink& sink, std::uint16_t troop, std::uint16_t hex, std::uint16_t flags,
                   std::uint16_t target, std::uint16_t destination, std::uint16_t weapons,
                   std::uint16_t value);
int WriteCommand14(CommandSink& sink, std::uint16_t carrier, std::uint16_t troop);
int WriteCommand15(CommandSink& sink, std::uint16_t troop, std::uint16_t hex, std::uint8_t slot);
// `clock`: day, hour, minute, daytime, then the 16-bit new-day flag (six bytes).
int WriteClockCommand(CommandSink& sink, const std::uint8_t* clock);
int WriteRefreshCommand(CommandSink& sink);
int WriteProductionCommand(CommandSink& sink, std::uint16_t forceTroop, std::uint16_t hex,
                           std::uint8_t country);
// The ten values in argument order; the seventh goes to +16 and the eighth to +14.
int WriteCommand22(CommandSink& sink, std::uint16_t troop, std::uint16_t destination,
                   std::uint16_t target, std::uint16_t orderKind, std::uint16_t actionFlags,
                   std::uint16_t weapons, std::uint8_t parameterByte, std::uint16_t orderHex,
                   std::uint8_t homeAction, std::uint8_t homeTroop);
int WriteCommand25(CommandSink& sink, std::uint16_t troop, std::uint8_t terrainClass,
                   std::uint8_t amount);
int WriteCommand26(CommandSink& sink, std::uint16_t troop);
int WriteCommand28(CommandSink& sink);
int WriteCommand29(CommandSink& sink);
int WriteGameEndCommand(CommandSink& sink, std::uint8_t winners, std::uint8_t losers,
                        std::uint16_t timeLimit);
int WriteCommand31(CommandSink& sink, std::uint16_t troop, std::uint8_t value);
int WriteCommand32(CommandSink& sink, std::uint16_t troop, std::uint8_t clearCounter,
                   std::uint8_t clearFlags);
int WriteSeedCommand(CommandSink& sink, std::uint16_t seed);
int WriteCountryFallCommand(CommandSink& sink, std::uint8_t country, std::uint8_t keepState);
int WriteCommand36(CommandSink& sink, std::uint16_t troop, std::uint16_t supplyAfter,
                   const std::uint8_t* block);
int WriteCommand38(CommandSink& sink, std::uint16_t troop, std::uint16_t formation);
int WriteCommand40(CommandSink& sink, std::uint16_t forceTroop, std::uint8_t country);
// The country field is the local player's country of the program that writes the journal.
int WriteNoticeCommand(CommandSink& sink, std::uint16_t kind, std::uint8_t playerCountry);
int WriteCommand43(CommandSink& sink, std::uint16_t proposer, std::uint16_t addressee,
                   std::uint16_t kind);
int WriteCommand45(CommandSink& sink, std::uint16_t answerer, std::uint16_t proposer,
                   std::uint16_t kind, std::uint16_t accepted);
int WriteCommand46(CommandSink& sink, std::uint16_t forceTroop, std::uint16_t hex,
                   std::uint8_t country);

}  // namespace zv::sim
