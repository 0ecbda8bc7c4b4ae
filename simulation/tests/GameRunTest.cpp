// Whole games on the default maps of the program directory, the computer playing every country.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "rules/context/RuleHelpers.h"
#include "rules/context/ShadowGameContext.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "rules/records/NewsRecord.h"
#include "rules/records/TroopRecord.h"
#include "rules/search/RouteSearch.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopOrders.h"
#include "rules/troops/TroopQueries.h"
#include "simulation/ClockStepWorld.h"
#include "simulation/CommandRecords.h"
#include "simulation/Production.h"
#include "simulation/tests/GoldenGames.h"
#include "simulation/tests/StepFixture.h"

namespace zv::sim {
namespace {

const std::string kProgramDir = ZV_PROGRAM_DIR;

std::unique_ptr<HeadlessGame> StartGame(const std::string& map, std::uint32_t seed) {
    auto game = std::make_unique<HeadlessGame>();
    std::string error;
    if (!game->Load(kProgramDir, map, error)) {
        ADD_FAILURE() << "the default data must be built into " << kProgramDir << ": " << error;
        return nullptr;
    }
    HeadlessStartOptions options;
    options.seed = seed;
    game->BeginPlay(options);
    return game;
}

std::string HexText(std::uint64_t v) {
    char text[32];
    std::snprintf(text, sizeof text, "%016" PRIx64, v);
    return text;
}

// What the shadow and the live tables must agree on after every step: where the troops are and
// what they are made of, who owns which site, money, the clock and the production requests.
// Order bookkeeping (MoveDelay, ActionCounter, waypoints, give-way flags), the capture durability
// of a site being taken, derived move-cost tables, sightings and the victor state are the
// simulating side's own.
std::string PhysicalDifference(rules::TableDirectory& tables) {
    using rules::TableId;
    const std::uint8_t* liveTroops = tables.GetTableBase(TableId::Troop);
    const std::uint8_t* shadowTroops = tables.GetTableBase(TableId::ShadowTroop);
    for (int t = 0; t < rules::kTroopTableLimit; ++t) {
        const auto& a = *reinterpret_cast<const rules::TroopRecord*>(liveTroops + 418 * t);
        const auto& b = *reinterpret_cast<const rules::TroopRecord*>(shadowTroops + 418 * t);
        const std::uint16_t flagMask = rules::kTroopOnMap | rules::kTroopAboard |
                                       rules::kTroopCarrying | rules::kTroopLaunchedPart |
                                       rules::kTroopPartKindB;
        if (a.SlotByte() != b.SlotByte() || a.Country() != b.Country() || a.Hex() != b.Hex() ||
            a.Carrier() != b.Carrier() || (a.Flags() & flagMask) != (b.Flags() & flagMask)) {
            return "troop " + std::to_string(t) + " (slot, country, hex, carrier or flags)";
        }
        for (std::size_t i = rules::TroopRecord::kMembers; i < rules::TroopRecord::kFormations;
             ++i) {
            if (a.bytes[i] != b.bytes[i]) {
                return "troop " + std::to_string(t) + " member byte " + std::to_string(i);
            }
        }
    }
    const std::uint8_t* liveSites = tables.GetTableBase(TableId::Site);
    const std::uint8_t* shadowSites = tables.GetTableBase(TableId::ShadowSite);
    for (int s = 0; s < rules::kSiteCount; ++s) {
        for (std::size_t i :
             {rules::SiteRecord::kKind, rules::SiteRecord::kOwner, rules::SiteRecord::kX,
              rules::SiteRecord::kY, rules::SiteRecord::kDestroyDurability,
              rules::SiteRecord::kSupplied}) {
            if (liveSites[8 * s + i] != shadowSites[8 * s + i]) {
                return "site " + std::to_string(s) + " byte " + std::to_string(i);
            }
        }
    }
    rules::CountryCursor live(tables), shadow(tables, TableId::ShadowCountry);
    for (int c = 0; c < rules::kCountryCount; ++c) {
        live.Select(c);
        shadow.Select(c);
        const std::uint8_t shadowState = shadow.GetState() == 2 ? 1 : shadow.GetState();
        if (live.GetFunds() != shadow.GetFunds() || live.GetState() != shadowState ||
            live.GetAllianceMask() != shadow.GetAllianceMask() ||
            live.GetCounter84() != shadow.GetCounter84()) {
            return "country " + std::to_string(c);
        }
    }
    rules::ScenarioHeaderCursor lh(tables), sh(tables, TableId::ShadowScenarioHeader);
    if (lh.GetDay() != sh.GetDay() || lh.GetHour() != sh.GetHour() ||
        lh.GetMinute() != sh.GetMinute() || lh.GetDaytime() != sh.GetDaytime()) {
        return "clock";
    }
    rules::ForceCursor lf(tables);
    rules::ShadowForceCursor sf(tables);
    for (std::uint8_t c = 0; c < rules::kCountryCount; ++c) {
        for (std::uint16_t t = 0; t < rules::kMapTroopCount; ++t) {
            lf.SelectSlot(c);
            sf.SelectSlot(c);
            if (!lf.SelectTroop(t) || !sf.SelectTroop(t)) continue;
            const bool la = lf.GetStateFlags() & rules::kTroopReinforcement;
            const bool sa = sf.GetStateFlags() & rules::kTroopReinforcement;
            if (la != sa || (la && lf.GetHexValue() != sf.GetHexValue()) ||
                lf.GetRecord()->IsUsed() != sf.GetRecord()->IsUsed()) {
                return "corps " + std::to_string(c) + " troop " + std::to_string(t);
            }
        }
    }
    return {};
}

TEST(GameRunTest, ClientsReplayingTheJournalsHoldTheHostsTables) {
    auto host = StartGame("MAP00003.ddm", 7);
    ASSERT_TRUE(host);
    std::vector<std::uint8_t> journal;
    host->SetJournalTap(
        [&](std::span<const std::uint8_t> j) { journal.assign(j.begin(), j.end()); });
    std::array<std::unique_ptr<HeadlessGame>, 2> clients;
    const std::uint8_t locals[2] = {0, 2};
    for (int k = 0; k < 2; ++k) {
        clients[k] = std::make_unique<HeadlessGame>();
        clients[k]->CopyTablesFrom(host->Tables());
        clients[k]->BeginAsReplica(locals[k]);
    }
    int commands = 0;
    for (int step = 1; step <= 300 && !host->Outcome().over; ++step) {
        host->Step();
        commands += journal.empty() ? 0 : 1;
        for (int k = 0; k < 2; ++k) {
            clients[k]->ExecuteJournal(journal);
            const auto diff = FindLiveTableDifference(host->Tables(), clients[k]->Tables());
            ASSERT_FALSE(diff) << "step " << step << ", local country " << int(locals[k]) << ": "
                               << *diff;
        }
    }
    EXPECT_GT(commands, 0);
    // Something happened: troops moved away from where the map put them.
    rules::ScenarioHeaderCursor header(host->Tables());
    EXPECT_GT(header.GetHour() * 60 + header.GetMinute() + header.GetDay() * 1440, 300);
}

// A network participant hears the news of its own country as the host's player would: each
// news record the host posts for its player's country, a client replaying the journals with
// the same country posts too, byte for byte; a client of another country posts its own.
TEST(GameRunTest, ClientsReplayingTheJournalsPostTheirOwnCountrysNews) {
    auto host = std::make_unique<HeadlessGame>();
    std::string error;
    ASSERT_TRUE(host->Load(kProgramDir, "MAP00003.ddm", error)) << error;
    HeadlessStartOptions options;
    options.seed = 7;
    options.playerCountry = 0;
    host->BeginPlay(options);
    std::vector<std::uint8_t> journal;
    host->SetJournalTap(
        [&](std::span<const std::uint8_t> j) { journal.assign(j.begin(), j.end()); });
    using Posted = std::vector<std::vector<std::uint8_t>>;
    Posted hostNews;
    std::array<Posted, 2> clientNews;
    host->SetNewsTap(
        [&](const std::uint8_t* r) { hostNews.emplace_back(r, r + rules::kNewsRecordSize); });
    std::array<std::unique_ptr<HeadlessGame>, 2> clients;
    const std::uint8_t locals[2] = {0, 2};
    for (int k = 0; k < 2; ++k) {
        clients[k] = std::make_unique<HeadlessGame>();
        clients[k]->CopyTablesFrom(host->Tables());
        clients[k]->BeginAsReplica(locals[k]);
        clients[k]->SetNewsTap([&, k](const std::uint8_t* r) {
            clientNews[k].emplace_back(r, r + rules::kNewsRecordSize);
        });
    }
    for (int step = 1; step <= 600 && !host->Outcome().over; ++step) {
        host->Step();
        for (auto& client : clients) client->ExecuteJournal(journal);
    }
    ASSERT_FALSE(hostNews.empty()) << "the host's player had news";
    EXPECT_EQ(clientNews[0], hostNews);
    for (const auto& record : clientNews[1]) EXPECT_EQ(record[rules::NewsRecord::kCountry], 2);
}

TEST(GameRunTest, ShadowAndLiveAgreeOnPhysicalFieldsAfterEveryStep) {
    for (const char* map : {"MAP00002.ddm", "MAP00004.ddm"}) {
        auto game = StartGame(map, 3);
        ASSERT_TRUE(game);
        for (int step = 1; step <= 240 && !game->Outcome().over; ++step) {
            game->Step();
            const std::string diff = PhysicalDifference(game->Tables());
            ASSERT_TRUE(diff.empty()) << map << " step " << step << ": " << diff;
        }
    }
}

// The hash of a fixed-seed run. When a rule change alters play on purpose, run
// `zvsim run --map MAP00001.ddm --minutes 150 --seed 11` and take its hash.
constexpr std::uint64_t kGoldenHash = 0xcfd0c00fbcabb99c;

TEST(GameRunTest, FixedSeedGivesTheSameGameEveryTime) {
    std::uint64_t hashes[2] = {};
    std::string outcomes[2];
    for (int run = 0; run < 2; ++run) {
        auto game = StartGame("MAP00001.ddm", 11);
        ASSERT_TRUE(game);
        for (int step = 0; step < 150 && !game->Outcome().over; ++step) game->Step();
        hashes[run] = game->Tables().HashLiveTables();
        outcomes[run] = game->Outcome().Text();
    }
    EXPECT_EQ(hashes[0], hashes[1]);
    EXPECT_EQ(outcomes[0], outcomes[1]);
    EXPECT_EQ(HexText(hashes[0]), HexText(kGoldenHash));
    // Another seed plays another game.
    auto other = StartGame("MAP00001.ddm", 12);
    ASSERT_TRUE(other);
    for (int step = 0; step < 150 && !other->Outcome().over; ++step) other->Step();
    EXPECT_NE(other->Tables().HashLiveTables(), hashes[0]);
}

// Whole computer-only games on every default map end with the hashes taken before the step was
// made faster: route searches skipped, reused or cut short must leave every choice as it was.
TEST(GameRunTest, ComputerGamesKeepTheirGoldenHashes) {
    for (const golden::GoldenGame& g : golden::kGoldenGames) {
        auto game = std::make_unique<HeadlessGame>();
        std::string error;
        ASSERT_TRUE(game->Load(kProgramDir, g.map, error)) << error;
        HeadlessStartOptions options;
        options.seed = g.seed;
        options.computerAll = true;
        game->BeginPlay(options);
        for (int step = 0; step < g.steps && !game->Outcome().over; ++step) game->Step();
        EXPECT_EQ(HexText(game->Tables().HashLiveTables()), HexText(g.hash))
            << g.map << " seed " << g.seed << " after " << g.steps << " steps";
    }
}

// Whether a computer country could produce now: in play, room for troops, a reusable corps
// troop that is not already requested and that it can pay for, and a free production cell.
bool CouldProduce(rules::GameContext& ctx, std::uint8_t country) {
    rules::CountryCursor& countries = ctx.Countries();
    if (!countries.Select(country) || countries.GetState() != 1 ||
        countries.GetParticipation() != 1) {
        return false;
    }
    const std::int32_t funds = countries.GetFunds();
    if (countries.GetValue42() <= static_cast<std::int32_t>(countries.GetCounter84())) return false;
    const int count = ctx.Troops().CountTroopsByAltitude(country, 0xFF);
    if (count >= rules::kTroopsPerCountry || count >= ctx.Header().GetDeployLimit()) return false;
    rules::ShadowForceCursor force(ctx.Tables());
    if (!force.SelectSlot(country)) return false;
    bool affordable = false;
    for (std::uint16_t i = 0; i < rules::kMapTroopCount && !affordable; ++i) {
        if (!force.SelectTroop(i) || !force.HasMembers()) continue;
        const std::uint16_t flags = force.GetStateFlags();
        if ((flags & rules::kTroopReinforcement) || !(flags & rules::kTroopTemplate)) continue;
        // Ground troops appear at the capital: only they are sure to find a cell there.
        if (force.RefreshAltitudeClass() != 3) continue;
        affordable = rules::SumMemberValueB(force) <= funds;
    }
    if (!affordable) return false;
    auto cells = std::make_unique<ProductionCells>();
    const int n = CollectProductionCells(ctx, country, *cells);
    for (int k = 0; k < n; ++k) {
        const std::uint16_t kind = (*cells)[static_cast<std::size_t>(k)].kind;
        if (kind == 0 || kind == kCellBesideCapital) return true;
    }
    return false;
}

// The country's production state, for the soak's report: funds, troop count, the free cells
// and each reusable corps troop (altitude class, cost, and where it is requested).
std::string DescribeProduction(rules::GameContext& ctx, std::uint8_t country) {
    rules::CountryCursor& countries = ctx.Countries();
    countries.Select(country);
    std::string text = "funds " + std::to_string(countries.GetFunds()) + " troops " +
                       std::to_string(ctx.Troops().CountTroopsByAltitude(country, 0xFF)) +
                       " free slot " +
                       std::to_string(rules::FindFreeTroopSlot(ctx.Troops(), country)) +
                       " produced " + std::to_string(countries.GetCounter84()) + " of " +
                       std::to_string(countries.GetValue42()) + " cells";
    auto cells = std::make_unique<ProductionCells>();
    const int n = CollectProductionCells(ctx, country, *cells);
    for (int k = 0; k < n; ++k) {
        const ProductionCell& cell = (*cells)[static_cast<std::size_t>(k)];
        text += " " + std::to_string(cell.kind) + "@" + std::to_string(cell.x) + "," +
                std::to_string(cell.y);
    }
    text += "; corps";
    rules::ShadowForceCursor force(ctx.Tables());
    force.SelectSlot(country);
    for (std::uint16_t i = 0; i < rules::kMapTroopCount; ++i) {
        if (!force.SelectTroop(i) || !force.HasMembers()) continue;
        const std::uint16_t flags = force.GetStateFlags();
        if (!(flags & rules::kTroopTemplate)) continue;
        text += " " + std::to_string(i) + ":a" + std::to_string(force.RefreshAltitudeClass()) +
                "/" + std::to_string(rules::SumMemberValueB(force));
        if (flags & rules::kTroopReinforcement) {
            const std::uint16_t hex = force.GetHexValue();
            text += "@" + std::to_string(hex & 0xFF) + "," + std::to_string(hex >> 8);
        }
    }
    return text;
}

// A troop with a move order is truly blocked when it cannot move from where it stands, when no
// route leads to where it heads even through the troops in the way, or when the next hex of that
// route holds an enemy, a friend busy taking a site, taking supplies or fighting (those never
// give way) or a friend that is truly blocked itself.
bool IsBlocked(HeadlessGame& game, std::uint16_t troop, int depth = 0) {
    rules::ShadowGameContext shadow(game.Tables(), game.Clock().Context().Env());
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return true;
    const std::uint16_t hex = troops.GetHexValue();
    const std::uint8_t country = troops.GetCountry();
    const std::uint8_t index = troops.GetByte380();
    std::uint16_t heading = index < 4 ? troops.GetWaypoint(index) : troops.GetDestination();
    if ((heading & 0xFF) == 0xFF) heading = troops.GetDestination();
    const std::uint16_t target = troops.GetWord368();
    if (index >= 4 && troops.Select(target) && troops.IsOnMap()) heading = troops.GetHexValue();
    troops.Select(troop);
    // A friend in the way that heads nowhere else (fighting where it stands) holds its hex.
    if ((heading & 0xFF) == 0xFF || heading == hex) return depth > 0;
    if (!shadow.SelectHexInfoXY(hex & 0xFF, hex >> 8)) return true;
    const std::uint8_t cost = rules::TroopMoveCostOnHex(shadow);
    if (cost == 0 || cost == 255 || rules::GetMinMemberFuel(troops) < cost) return true;
    rules::RouteSearch& route = game.Clock().Context().Route();
    route.ComputeArea(shadow, troop, hex & 0xFF, hex >> 8, nullptr, 1);
    std::vector<rules::RouteStep> steps(rules::kMaxRouteSteps + 1);
    if (route.TraceRoute(steps, heading & 0xFF, heading >> 8) <= 0) return true;
    const int nx = (hex & 0xFF) + steps[0].dx;
    const int ny = (hex >> 8) + steps[0].dy;
    if (!shadow.SelectHexInfoXY(nx, ny)) return true;
    const std::uint16_t other = shadow.GetHexTroopIndex();
    if (other == rules::kNoTroopIndex || !troops.Select(other)) return false;
    if (!rules::AreCountriesAllied(game.Tables(), country, troops.GetCountry(),
                                   rules::TableId::ShadowCountry)) {
        return true;
    }
    const std::uint8_t kind = troops.GetByte364();
    if (kind == rules::kOrderOccupy || kind == rules::kOrderSupply) return true;
    // A friend fighting where it stands holds up the queue behind it (a bridge one hex wide),
    // and so does a friend that is itself truly blocked.
    if (kind == rules::kOrderAttack || kind == rules::kOrderFire) return true;
    return kind == rules::kOrderMove && depth < 8 && IsBlocked(game, other, depth + 1);
}

// What a standing troop is at, for the soak's report: its order, where it heads, the first
// step of the route there and who holds that hex.
std::string DescribeStand(HeadlessGame& game, std::uint16_t troop) {
    rules::ShadowGameContext shadow(game.Tables(), game.Clock().Context().Env());
    rules::TroopCursor& troops = shadow.Troops();
    if (!troops.Select(troop)) return "not selectable";
    auto hexText = [](std::uint16_t h) {
        return (h & 0xFF) == 0xFF ? std::string("none")
                                  : std::to_string(h & 0xFF) + "," + std::to_string(h >> 8);
    };
    const std::uint16_t hex = troops.GetHexValue();
    const std::uint8_t index = troops.GetByte380();
    std::string text = "country " + std::to_string(troops.GetCountry()) + " mode " +
                       std::to_string(troops.GetSlotByte()) + " altitude " +
                       std::to_string(troops.GetTroopAltitudeClass()) + " kind " +
                       std::to_string(troops.GetByte364()) + " actions " +
                       std::to_string(troops.GetOrder()) + " destination " +
                       hexText(troops.GetDestination()) + " leg " + std::to_string(index) +
                       " target " + std::to_string(troops.GetWord368()) + " delay " +
                       std::to_string(troops.GetByte327());
    std::uint16_t heading = index < 4 ? troops.GetWaypoint(index) : troops.GetDestination();
    if ((heading & 0xFF) == 0xFF) heading = troops.GetDestination();
    text += " heading " + hexText(heading);
    if ((heading & 0xFF) == 0xFF) return text;
    rules::RouteSearch& route = game.Clock().Context().Route();
    route.ComputeArea(shadow, troop, hex & 0xFF, hex >> 8, nullptr, 1);
    std::vector<rules::RouteStep> steps(rules::kMaxRouteSteps + 1);
    if (route.TraceRoute(steps, heading & 0xFF, heading >> 8) <= 0) return text + " no route";
    const int nx = (hex & 0xFF) + steps[0].dx;
    const int ny = (hex >> 8) + steps[0].dy;
    text += " next " + std::to_string(nx) + "," + std::to_string(ny);
    if (!shadow.SelectHexInfoXY(nx, ny)) return text;
    const std::uint16_t other = shadow.GetHexTroopIndex();
    if (other == rules::kNoTroopIndex || !troops.Select(other)) return text + " free";
    return text + " held by troop " + std::to_string(other) + " (country " +
           std::to_string(troops.GetCountry()) + " kind " + std::to_string(troops.GetByte364()) +
           " destination " + hexText(troops.GetDestination()) + ")";
}

// Whole games, watched step by step: no troop with a move order stands on one hex for more than
// a day unless it is truly blocked, and no computer country that could produce at a production
// round (room for troops, a reusable corps troop it can pay for, a free production cell) goes a
// day without producing. Returns the number of hex steps seen.
int Soak(const std::string& map, std::uint32_t seed, int minutes) {
    auto game = std::make_unique<HeadlessGame>();
    std::string error;
    if (!game->Load(kProgramDir, map, error)) {
        ADD_FAILURE() << error;
        return 0;
    }
    std::vector<std::uint8_t> journal;
    game->SetJournalTap(
        [&](std::span<const std::uint8_t> j) { journal.assign(j.begin(), j.end()); });
    HeadlessStartOptions options;
    options.seed = seed;
    game->BeginPlay(options);
    constexpr int kDay = 1440;
    std::array<std::uint16_t, rules::kTroopTableLimit> hexes{};
    std::array<int, rules::kTroopTableLimit> since{};
    hexes.fill(0xFFFF);
    std::array<int, rules::kCountryCount> ableSince{};
    ableSince.fill(-1);
    const rules::TroopRecord* shadow = reinterpret_cast<const rules::TroopRecord*>(
        game->Tables().GetTableBase(rules::TableId::ShadowTroop));
    int moves = 0;
    std::array<int, 64> actions{};
    for (int step = 1; step <= minutes && !game->Outcome().over; ++step) {
        game->Step();
        for (const steptest::CommandView& c : steptest::SplitCommands(journal)) {
            if (c.opcode < actions.size()) ++actions[c.opcode];
            if (c.opcode != kCmdProduction) continue;
            const std::uint8_t country = c.U8(ForceTroopRecord::kCountry);
            if (country < rules::kCountryCount) ableSince[country] = -1;
        }
        for (int t = 0; t < rules::kTroopTableLimit; ++t) {
            const rules::TroopRecord& r = shadow[t];
            const bool moving = r.IsUsed() && r.bytes[rules::TroopRecord::kOrderKind] == 1 &&
                                (r.Flags() & rules::kTroopOnMap);
            if (!moving) {
                hexes[t] = 0xFFFF;
                continue;
            }
            if (r.Hex() != hexes[t]) {
                if (hexes[t] != 0xFFFF) ++moves;
                hexes[t] = r.Hex();
                since[t] = step;
                continue;
            }
            if (step - since[t] > kDay) {
                EXPECT_TRUE(IsBlocked(*game, static_cast<std::uint16_t>(t)))
                    << map << " seed " << seed << ": troop " << t << " has stood on hex "
                    << (r.Hex() & 0xFF) << "," << (r.Hex() >> 8) << " with a move order since step "
                    << since[t] << ": " << DescribeStand(*game, static_cast<std::uint16_t>(t));
                since[t] = step;  // report each stand once a day
            }
        }
        rules::ScenarioHeaderCursor header(game->Tables());
        if (header.GetMinute() != 0 || (header.GetHour() != 0 && header.GetHour() != 12)) continue;
        rules::ShadowGameContext ctx(game->Tables(), game->Clock().Context().Env());
        for (std::uint8_t c = 0; c < rules::kCountryCount; ++c) {
            if (!CouldProduce(ctx, c)) {
                ableSince[c] = -1;
            } else if (ableSince[c] < 0) {
                ableSince[c] = step;
            } else {
                EXPECT_LE(step - ableSince[c], kDay)
                    << map << " seed " << seed << ": country " << int(c)
                    << " could produce since step " << ableSince[c] << " and produced nothing: "
                    << DescribeProduction(ctx, c);
            }
        }
    }
    // What the computer did, for whoever reads the long soak's output.
    std::printf(
        "%s seed %u: %s after %d minutes; attack %d fire %d occupy %d supply %d board %d "
        "launch %d bomb %d transform %d disperse %d support %d production %d\n",
        map.c_str(), seed, game->Outcome().Text().c_str(), game->GameMinutes(), actions[kCmdAttack],
        actions[kCmdFire], actions[kCmdOccupy], actions[kCmdSupply], actions[kCmdBoard],
        actions[kCmdLaunch], actions[kCmdBomb], actions[kCmdTransform], actions[kCmdDisperse],
        actions[kCmdSupport], actions[kCmdProduction]);
    return moves;
}

TEST(GameRunTest, SoakNoStandingTroopsAndNoIdleProduction) {
    // A bounded soak for every test run; scripts/soak.sh plays whole games on every map.
    int seeds = 1;
    int minutes = 1440 + 240;
    if (const char* s = std::getenv("ZV_SOAK_SEEDS")) seeds = std::max(1, std::atoi(s));
    if (const char* m = std::getenv("ZV_SOAK_MINUTES")) minutes = std::max(1, std::atoi(m));
    std::vector<std::string> maps = {"MAP00002.ddm"};
    if (std::getenv("ZV_SOAK_ALL_MAPS")) {
        maps = {"MAP00001.ddm", "MAP00002.ddm", "MAP00003.ddm", "MAP00004.ddm"};
    }
    if (const char* one = std::getenv("ZV_SOAK_MAP")) maps = {one};  // e.g. MAP00003.ddm
    for (const std::string& map : maps) {
        for (int seed = 1; seed <= seeds; ++seed) {
            const int moves = Soak(map, static_cast<std::uint32_t>(seed + 4), minutes);
            EXPECT_GT(moves, 50) << map << ": the computer's troops walk";
        }
    }
}

}  // namespace
}  // namespace zv::sim
