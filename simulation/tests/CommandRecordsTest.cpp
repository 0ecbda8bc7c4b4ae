#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <span>

#include "simulation/CommandRecords.h"
#include "simulation/tests/SimTestSupport.h"

namespace zv::sim {
namespace {

using testing::Bytes;
using testing::Record;
using testing::RecordSink;

TEST(CommandRecordsTest, EveryOpcodeHasItsFixedSize) {
    const std::map<int, std::uint32_t> commands = {
        {1, 8},   {2, 6},  {3, 14},  {4, 4},  {5, 8},  {6, 8},   {7, 14}, {8, 10}, {9, 4},
        {11, 16}, {12, 4}, {13, 16}, {14, 6}, {15, 8}, {16, 8},  {17, 4}, {20, 8}, {22, 20},
        {25, 6},  {26, 4}, {28, 4},  {29, 4}, {30, 8}, {31, 6},  {32, 6}, {33, 4}, {34, 4},
        {36, 44}, {38, 6}, {40, 6},  {41, 6}, {43, 8}, {45, 10}, {46, 8},
    };
    const std::map<int, std::uint32_t> orders = {
        {15, 8}, {26, 4}, {27, 20}, {35, 44}, {37, 6}, {39, 6}, {42, 8}, {44, 10}, {46, 8},
    };
    for (int op = 0; op <= 0xFFFF; ++op) {
        const auto c = commands.find(op);
        const auto o = orders.find(op);
        EXPECT_EQ(CommandRecordSize(static_cast<std::uint16_t>(op)),
                  c == commands.end() ? 0u : c->second)
            << "command " << op;
        EXPECT_EQ(OrderRecordSize(static_cast<std::uint16_t>(op)),
                  o == orders.end() ? 0u : o->second)
            << "order " << op;
    }
}

// Distinct values in every field, so a swapped or misplaced field shows.
std::vector<std::uint8_t> SettingsBlock() {
    std::vector<std::uint8_t> block(38);
    for (int i = 0; i < 38; ++i) block[i] = static_cast<std::uint8_t>(0xA0 + i);
    return block;
}

struct WriterCase {
    const char* name;
    std::function<int(RecordSink&)> write;
    Bytes expected;
};

// Each case writes exactly one record, of its opcode's size.
void ExpectWrites(std::span<const WriterCase> cases, std::uint32_t (*recordSize)(std::uint16_t)) {
    for (const WriterCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordSink sink;
        EXPECT_EQ(c.write(sink), 1);
        ASSERT_EQ(sink.records.size(), 1u);
        EXPECT_EQ(sink.records[0], c.expected);
        EXPECT_EQ(recordSize(c.expected[0]), c.expected.size());
    }
}

Bytes WithBlock(Bytes head) {
    const auto block = SettingsBlock();
    head.insert(head.end(), block.begin(), block.end());
    return head;
}

TEST(CommandRecordsTest, BuildersWriteTheExactOrderBytes) {
    const auto block = SettingsBlock();
    const WriterCase cases[] = {
        {"15",
         [](RecordSink& s) {
             return BuildOrder<TargetOrder>(s, {0x0102, 0x0304, 0x05});
         },
         {15, 0, 0x02, 0x01, 0x04, 0x03, 0x05, 0}},
        {"26",
         [](RecordSink& s) { return BuildOrder<ClearOrdersOrder>(s, {0x0A0B}); },
         {26, 0, 0x0B, 0x0A}},
        {"27",
         [](RecordSink& s) {
             return BuildOrder<TroopOrderOrder>(
                 s, {{0x0102, 0x0304, 0x0506, 0x0708, 0x090A, 0x0B0C, 0x0D, 0x0E0F, 0x10, 0x11}});
         },
         {27,   0,    0x02, 0x01, 0x04, 0x03, 0x06, 0x05, 0x08, 0x07,
          0x0A, 0x09, 0x0C, 0x0B, 0x0F, 0x0E, 0x0D, 0x10, 0x11, 0}},
        {"35",
         [&](RecordSink& s) {
             return BuildOrder<MemberSettingsOrder>(s, {0x0102, 0x0304, block.data()});
         },
         WithBlock({35, 0, 0x02, 0x01, 0x04, 0x03})},
        {"37",
         [](RecordSink& s) {
             return BuildOrder<FormationOrder>(s, {0x0102, 0x0003});
         },
         {37, 0, 0x02, 0x01, 0x03, 0x00}},
        {"39",
         [](RecordSink& s) {
             return BuildOrder<WithdrawOrder>(s, {0x0102, 0x03});
         },
         {39, 0, 0x02, 0x01, 0x03, 0}},
        {"42",
         [](RecordSink& s) {
             return BuildOrder<AllianceProposalOrder>(s, {0x02, 0xFF, 0x0001});
         },
         {42, 0, 0x02, 0x00, 0xFF, 0x00, 0x01, 0x00}},
        {"44 yes",
         [](RecordSink& s) { return BuildAllianceAnswerOrder(s, 0x0001, 0x0002, 0x0001, 1); },
         {44, 0, 1, 0, 2, 0, 1, 0, 1, 0}},
        {"44 other answer",
         [](RecordSink& s) { return BuildAllianceAnswerOrder(s, 3, 0, 0, 2); },
         {44, 0, 3, 0, 0, 0, 0, 0, 0, 0}},
        {"46",
         [](RecordSink& s) {
             return BuildOrder<PlaceOrder>(s, {0x0102, 0x0304, 0x02});
         },
         {46, 0, 0x02, 0x01, 0x04, 0x03, 0x02, 0}},
    };
    ExpectWrites(cases, OrderRecordSize);
}

TEST(CommandRecordsTest, WritersWriteTheExactCommandBytes) {
    const auto block = SettingsBlock();
    const WriterCase cases[] = {
        {"1",
         [](RecordSink& s) {
             return WriteCommand(s, MoveCommand{0x0102, 0x0304, 5, 4});
         },
         {1, 0, 2, 1, 4, 3, 5, 4}},
        {"2",
         [](RecordSink& s) {
             return WriteCommand(s, AttackCommand{0x0102, 0x0304});
         },
         {2, 0, 2, 1, 4, 3}},
        {"3",
         [](RecordSink& s) {
             return WriteCommand(s, FireCommand{0x0102, 0x0304, 0x0506, 0x0708, 0x090A, 0x0B0C});
         },
         {3, 0, 2, 1, 4, 3, 6, 5, 8, 7, 0xA, 9, 0xC, 0xB}},
        {"4", [](RecordSink& s) { return WriteCommand(s, OccupyCommand{0x0102}); }, {4, 0, 2, 1}},
        {"5",
         [](RecordSink& s) {
             return WriteCommand(s, SupplyCommand{0x0102, 0xFFFF, 0x0506});
         },
         {5, 0, 2, 1, 0xFF, 0xFF, 6, 5}},
        {"6",
         [](RecordSink& s) {
             return WriteCommand(s, BoardCommand{0x0102, 0x0304, 0x0506});
         },
         {6, 0, 2, 1, 4, 3, 6, 5}},
        {"7",
         [](RecordSink& s) {
             return WriteCommand(s, LaunchCommand{0x0102, 0x0304, 0x0506, 0x0708, 0x090A, 0x0B0C});
         },
         {7, 0, 2, 1, 4, 3, 6, 5, 8, 7, 0xA, 9, 0xC, 0xB}},
        {"8",
         [](RecordSink& s) {
             return WriteCommand(s, BombCommand{0x0102, 0x0304, 0x0506, 0x0708});
         },
         {8, 0, 2, 1, 4, 3, 6, 5, 8, 7}},
        {"9",
         [](RecordSink& s) { return WriteCommand(s, TransformCommand{0x0102}); },
         {9, 0, 2, 1}},
        {"11",
         [](RecordSink& s) {
             return WriteCommand(
                 s, DisperseCommand{0x0102, 0x0304, 0x0506, 0x0708, 0x090A, 0x0B0C, 0x0D});
         },
         {11, 0, 2, 1, 4, 3, 6, 5, 8, 7, 0xA, 9, 0xC, 0xB, 0xD, 0}},
        {"12",
         [](RecordSink& s) { return WriteCommand(s, DisbandCommand{0x0102}); },
         {12, 0, 2, 1}},
        {"13",
         [](RecordSink& s) {
             return WriteCommand(
                 s, SupportCommand{0x0102, 0x0304, 0x0506, 0x0708, 0x090A, 0x0B0C, 0x0D0E});
         },
         {13, 0, 2, 1, 4, 3, 6, 5, 8, 7, 0xA, 9, 0xC, 0xB, 0xE, 0xD}},
        {"14",
         [](RecordSink& s) {
             return WriteCommand(s, ReturnCommand{0x0102, 0x0304});
         },
         {14, 0, 2, 1, 4, 3}},
        {"15",
         [](RecordSink& s) {
             return WriteCommand(s, TargetCommand{0x0102, 0x0304, 7});
         },
         {15, 0, 2, 1, 4, 3, 7, 0}},
        {"16",
         [](RecordSink& s) {
             return WriteCommand(s, ClockCommand{7, 23, 59, 1, 0x0001});
         },
         {16, 0, 7, 23, 59, 1, 1, 0}},
        {"17", [](RecordSink& s) { return WriteCommand(s, RefreshCommand{}); }, {17, 0, 0, 0}},
        {"20",
         [](RecordSink& s) {
             return WriteCommand(s, ProductionCommand{0x0102, 0x0304, 3});
         },
         {20, 0, 2, 1, 4, 3, 3, 0}},
        {"22",
         [](RecordSink& s) {
             return WriteCommand(s, TroopOrderCommand{{0x0102, 0x0304, 0x0506, 0x0708, 0x090A,
                                                       0x0B0C, 0x0D, 0x0E0F, 0x10, 0x11}});
         },
         {22,   0,    0x02, 0x01, 0x04, 0x03, 0x06, 0x05, 0x08, 0x07,
          0x0A, 0x09, 0x0C, 0x0B, 0x0F, 0x0E, 0x0D, 0x10, 0x11, 0}},
        {"25",
         [](RecordSink& s) {
             return WriteCommand(s, BurnFuelCommand{0x0102, 13, 0});
         },
         {25, 0, 2, 1, 13, 0}},
        {"26",
         [](RecordSink& s) { return WriteCommand(s, ClearOrdersCommand{0x0102}); },
         {26, 0, 2, 1}},
        {"28", [](RecordSink& s) { return WriteCommand(s, Nothing28Command{}); }, {28, 0, 0, 0}},
        {"29", [](RecordSink& s) { return WriteCommand(s, Nothing29Command{}); }, {29, 0, 0, 0}},
        {"30",
         [](RecordSink& s) {
             return WriteCommand(s, GameEndCommand{0x85, 0x0A, 1});
         },
         {30, 0, 0x85, 0, 0x0A, 0, 1, 0}},
        {"31",
         [](RecordSink& s) {
             return WriteCommand(s, StatusCommand{0x0102, 9});
         },
         {31, 0, 2, 1, 9, 0}},
        {"32",
         [](RecordSink& s) {
             return WriteCommand(s, ClearActionCommand{0x0102, 1, 0});
         },
         {32, 0, 2, 1, 1, 0}},
        {"33",
         [](RecordSink& s) { return WriteCommand(s, SeedCommand{0xBEEF}); },
         {33, 0, 0xEF, 0xBE}},
        {"34",
         [](RecordSink& s) {
             return WriteCommand(s, CountryFallCommand{2, 1});
         },
         {34, 0, 2, 1}},
        {"36",
         [&](RecordSink& s) {
             return WriteCommand(s, MemberSettingsCommand{0x0102, 0x0001, block.data()});
         },
         WithBlock({36, 0, 0x02, 0x01, 0x01, 0x00})},
        {"38",
         [](RecordSink& s) {
             return WriteCommand(s, FormationCommand{0x0102, 0x0002});
         },
         {38, 0, 2, 1, 2, 0}},
        {"40",
         [](RecordSink& s) {
             return WriteCommand(s, WithdrawCommand{0x0102, 3});
         },
         {40, 0, 2, 1, 3, 0}},
        {"41",
         [](RecordSink& s) {
             return WriteCommand(s, NoticeCommand{2, 3});
         },
         {41, 0, 2, 0, 3, 0}},
        {"43",
         [](RecordSink& s) {
             return WriteCommand(s, AllianceProposalCommand{1, 0xFF, 0});
         },
         {43, 0, 1, 0, 0xFF, 0, 0, 0}},
        {"45",
         [](RecordSink& s) {
             return WriteCommand(s, AllianceChangeCommand{2, 1, 1, 1});
         },
         {45, 0, 2, 0, 1, 0, 1, 0, 1, 0}},
        {"46",
         [](RecordSink& s) {
             return WriteCommand(s, PlaceCommand{0x0102, 0x0304, 1});
         },
         {46, 0, 2, 1, 4, 3, 1, 0}},
    };
    ExpectWrites(cases, CommandRecordSize);
}

TEST(CommandRecordsTest, OrderAndCommandOfATroopOrderCarryTheSameValuesAtTheSameOffsets) {
    // The ten values as the rules take them: the parameter byte before the order hex.
    const TroopOrderValues v{17, 0x2010, 3, 2, 0x0104, 0x0003, 0x44, 0x0A05, 1, 9};
    Bytes order = Record([&](RecordSink& s) {
        BuildOrder<TroopOrderOrder>(
            s, {{v.troop, v.destination, v.target, v.orderKind, v.actionFlags, v.weapons,
                 v.parameterByte, v.orderHex, v.homeAction, v.homeTroop}});
    });
    const Bytes command = Record([&](RecordSink& s) {
        WriteCommand(s, TroopOrderCommand{{v.troop, v.destination, v.target, v.orderKind,
                                           v.actionFlags, v.weapons, v.parameterByte, v.orderHex,
                                           v.homeAction, v.homeTroop}});
    });
    EXPECT_EQ(order[0], 27);
    order[0] = 22;
    EXPECT_EQ(order, command);
    EXPECT_EQ(rules::ReadU16(command.data(), 14), 0x0A05);  // the order hex
    EXPECT_EQ(command[16], 0x44);                           // the parameter byte

    const TroopOrderValues back = ReadRecord<TroopOrderCommand>(command.data());
    EXPECT_EQ(back.parameterByte, v.parameterByte);
    EXPECT_EQ(back.orderHex, v.orderHex);
    EXPECT_EQ(back.homeAction, v.homeAction);
    EXPECT_EQ(back.homeTroop, v.homeTroop);
    EXPECT_EQ(back.weapons, v.weapons);
    EXPECT_EQ(back.destination, v.destination);
}

}  // namespace
}  // namespace zv::sim
