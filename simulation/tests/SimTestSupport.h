#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "rules/context/ShadowTables.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/Bytes.h"
#include "rules/records/MapRecords.h"
#include "rules/records/TroopRecord.h"
#include "rules/testing/GameEventsRecorder.h"
#include "rules/testing/MapBuilder.h"
#include "rules/testing/RuleTableWriter.h"
#include "simulation/CommandRecords.h"
#include "simulation/SessionPort.h"
#include "simulation/Simulation.h"

namespace zv::sim::testing {

using Bytes = std::vector<std::uint8_t>;

// Collects what builders and writers append, one entry per record.
class RecordSink : public OrderSink, public CommandSink {
  public:
    int AppendOrder(const std::uint8_t* record, std::uint32_t size) override {
        records.emplace_back(record, record + size);
        return 1;
    }
    int AppendCommand(const std::uint8_t* record, std::uint32_t size) override {
        records.emplace_back(record, record + size);
        return 1;
    }
    std::vector<Bytes> records;
};

// The rules recorder, plus what the journal tells the windows.
class RecordingEvents : public rules::testing::GameEventsRecorder {
  public:
    void PanelWaitMask(std::uint16_t mask) override { Add("PanelWaitMask", {mask}); }
    void PanelClock() override { events.push_back("PanelClock"); }
    void GraspRebuild() override { events.push_back("GraspRebuild"); }
    void PanelShowTroop(std::uint16_t troop) override { Add("PanelShowTroop", {troop}); }
    void RefreshTroopList() override { events.push_back("RefreshTroopList"); }
    void NewsShow() override { events.push_back("NewsShow"); }
    void DelayedGameOver(std::uint16_t winners, std::uint16_t losers,
                         std::uint16_t timeLimit) override {
        Add("DelayedGameOver", {winners, losers, timeLimit});
    }
    void DelayedDefeatDialog(std::uint8_t country) override {
        Add("DelayedDefeatDialog", {country});
    }
    void SaveGameCommand() override { events.push_back("SaveGameCommand"); }
    void DelayedReturnToTitle() override { events.push_back("DelayedReturnToTitle"); }
    void ExitGame() override { events.push_back("ExitGame"); }
    void AllianceProposal(std::uint8_t proposer, std::uint8_t addressee, std::uint16_t kind,
                          const std::string& name) override {
        Add("AllianceProposal", {proposer, addressee, kind});
        proposerNames.push_back(name);
    }
    void AllianceAnswerNotice(int index) override { Add("AllianceAnswerNotice", {index}); }

    std::vector<std::string> proposerNames;

  private:
    void Add(const char* name, std::initializer_list<int> args) {
        std::string s = std::string(name) + "(";
        bool first = true;
        for (int a : args) {
            if (!first) s += ",";
            s += std::to_string(a);
            first = false;
        }
        events.push_back(s + ")");
    }
};

// A session with settable slots that remembers what was sent.
class FakeSession : public SessionPort {
  public:
    bool HasConnection() override { return connection; }
    bool IsHost() override { return host; }
    std::uint32_t GetSlotValue(int slot) override {
        return slot >= 0 && slot < kParticipantSlots ? slotValues[slot] : 0;
    }
    std::string GetLobbyPlayerName(int slot) override {
        return slot >= 0 && slot < kParticipantSlots ? names[slot] : std::string();
    }
    int SendGameFromServer(std::int32_t value, std::uint32_t size,
                           const std::uint8_t* data) override {
        sent.push_back("GameFromServer(" + std::to_string(value) + "," + std::to_string(size) +
                       ")");
        payloads.emplace_back(data, data + size);
        return sendResult;
    }
    int SendGameFromClient(std::int32_t value, std::uint32_t size,
                           const std::uint8_t* data) override {
        sent.push_back("GameFromClient(" + std::to_string(value) + "," + std::to_string(size) +
                       ")");
        payloads.emplace_back(data, data + size);
        return sendResult;
    }
    int SendExecuteThinkEnd() override {
        sent.push_back("ExecuteThinkEnd");
        return sendResult;
    }
    int SendWaitState(int bit, int on) override {
        sent.push_back("WaitState(" + std::to_string(bit) + "," + std::to_string(on) + ")");
        return sendResult;
    }
    int SendWaitMask(std::uint16_t mask) override {
        sent.push_back("WaitMask(" + std::to_string(mask) + ")");
        return sendResult;
    }

    bool connection = true;
    bool host = true;
    std::uint32_t slotValues[kParticipantSlots] = {};
    std::string names[kParticipantSlots];
    int sendResult = 0;
    std::vector<std::string> sent;
    std::vector<Bytes> payloads;
};

enum class Role { Single, Host, Client };

// The basic rule tables, with infantry that carries fuel and a rifle that hits.
inline rules::testing::RuleTableWriter RuleTables() {
    auto w = rules::testing::RuleTableWriter::Basic();
    rules::UnitInfoRecord& infantry = w.unitInfos.at(0);
    infantry.SetU8(rules::UnitInfoRecord::kDurabilityPerUnit, 10);
    for (int pack = 0; pack < 4; ++pack) {
        const std::size_t at = rules::UnitInfoRecord::PackOffset(pack);
        infantry.SetU16(at + rules::UnitInfoRecord::kPackFuel, 50);
        infantry.SetU8(at + rules::UnitInfoRecord::kPackAmmo, 20);
    }
    rules::WeaponKdRecord& rifle = w.weapons.at(0);
    for (int c = 0; c < 10; ++c) rifle.SetU8(rules::WeaponKdRecord::kHitRate + c, 90);
    rifle.SetU8(rules::WeaponKdRecord::kPower, 60);
    rifle.SetU8(rules::WeaponKdRecord::kSalvo, 3);
    return w;
}

// One world: rule tables, a small map with two countries and a few troops, its simulation with
// a recording events object and (for network roles) a fake session.
class World {
  public:
    explicit World(Role role = Role::Single, std::uint8_t player = 0) {
        RuleTables().InstallInto(tables);
        rules::testing::MapBuilder map(tables, 0);
        map.Country(0, 5000).Country(1, 5000).Country(2, 5000);
        troopA = map.AddTroop(0, 3, 3, {0, 0});
        troopB = map.AddTroop(1, 8, 8, {0});
        troopC = map.AddTroop(1, 2, 3, {0});
        forceTroop = map.AddForceTroop(1, {0});
        capitalB = map.AddSite(0, 1, 9, 9);
        SetSinglePlay(role == Role::Single);
        session.host = role == Role::Host;
        session.slotValues[0] = 1;
        session.slotValues[1] = 2;
        rules::SnapshotGameBlocks(tables);

        SimulationEnv env;
        env.events = &events;
        env.session = role == Role::Single ? nullptr : &session;
        env.log = [this](std::string_view line) { log.emplace_back(line); };
        sim = std::make_unique<Simulation>(tables, std::move(env));
        sim->SetPlayerCountry(player);
    }

    void SetSinglePlay(bool single) {
        rules::WriteS32(tables.GetTableBase(rules::TableId::GameSettings),
                        rules::GameSettingsRecord::kSinglePlay, single ? 1 : 0);
    }

    rules::TroopRecord& Troop(std::uint16_t t, rules::TableId table = rules::TableId::Troop) {
        return *rules::TroopAt(tables.GetTableBase(table), t);
    }
    std::uint8_t* Country(int c, rules::TableId table = rules::TableId::Country) {
        return tables.GetTableBase(table) + c * tables.GetTableRecordSize(table);
    }

    rules::TableDirectory tables;
    RecordingEvents events;
    FakeSession session;
    std::vector<std::string> log;
    std::unique_ptr<Simulation> sim;
    std::uint16_t troopA = 0;
    std::uint16_t troopB = 0;
    std::uint16_t troopC = 0;  // country 1's, beside troopA
    std::uint16_t forceTroop = 0;
    std::uint16_t capitalB = 0;  // country 1's capital
};

// A walked buffer: the 32-bit length counting itself, then the records.
inline Bytes Journal(std::initializer_list<Bytes> records) {
    Bytes out(4, 0);
    for (const Bytes& r : records) out.insert(out.end(), r.begin(), r.end());
    rules::WriteU32(out.data(), 0, static_cast<std::uint32_t>(out.size()));
    return out;
}

// One record built by a writer or builder.
template <typename Fn>
Bytes Record(Fn fn) {
    RecordSink sink;
    fn(sink);
    return sink.records.at(0);
}

}  // namespace zv::sim::testing
