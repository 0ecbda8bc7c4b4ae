#include "panels/FightModel.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "rules/context/RuleHelpers.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/RuleCursors.h"

namespace zv::panels::fight {

namespace {

// Member bytes the animation reads.
constexpr int kUnit = 0, kMachinesBefore = 2, kBefore = 4, kAction = 24, kWeaponSlot = 32,
              kTargeted = 38, kPlatoonOverride = 39, kMachinesAfter = 40, kAfter = 42;
// Side bytes.
constexpr int kCountry = 2, kName = 4, kNameBytes = 24, kCategory = 29, kLandKind = 30,
              kMembersAt = 32;
// A targeted-machine mask of 0xFF means no machine is targeted.
constexpr uint8_t kNoTargets = 0xFF;

constexpr StageTiming kFull[kStageCount] = {{0, 10},  {5, 10},  {10, 10},
                                            {30, 10}, {35, 10}, {45, 10}};
constexpr StageTiming kSimple[kStageCount] = {{0, 10},          {5, 10},  {kNeverStage, 0},
                                              {kNeverStage, 0}, {20, 10}, {kNeverStage, 0}};

int16_t S16(const uint8_t* p) {
    return int16_t(uint16_t(p[0] | (p[1] << 8)));
}

bool IsSea(int category) {
    return category == 4 || category == 5;
}

}  // namespace

StageTiming FightStageTiming(int stage, bool simple) {
    if (stage < 0 || stage >= kStageCount) return {kNeverStage, 0};
    return simple ? kSimple[stage] : kFull[stage];
}

int FightStageTime(int stage, int frame, bool simple) {
    const StageTiming s = FightStageTiming(stage, simple);
    if (s.start == kNeverStage || frame < s.start || frame > s.start + s.length) return -1;
    return frame - s.start;
}

int FightStageLevel(int stage, int frame, bool simple) {
    const int t = FightStageTime(stage, frame, simple);
    if (t < 0) return -1;
    return t <= 4 ? t : 10 - t;
}

int DurabilityPercent(int durability, int perMachine) {
    if (perMachine <= 0) return 0;
    return durability * 100 / perMachine;
}

void FightPaneModel::Start(const uint8_t* record, bool simple, rules::TableDirectory* tables,
                           uint8_t player) {
    // Reset.
    phase_ = kPhaseIntro;
    frame_ = 0;
    counters_ = {};
    members_ = {};
    category_ = 0xFF;
    mode_ = -1;
    shownSide_ = 0;
    banner_.clear();
    std::memcpy(record_.data(), record, kRecordSize);
    simple_ = simple;

    // The side this pane shows.
    const uint8_t a = record_[kCountry], b = record_[kSideSize + kCountry];
    auto allied = [&](uint8_t c) {
        return tables != nullptr && rules::AreCountriesAllied(*tables, c, player) != 0;
    };
    if (pane_ == 0) {
        shownSide_ = (!allied(a) && allied(b)) ? 0 : 1;
    } else {
        shownSide_ = allied(b) ? 1 : 0;
    }
    const uint8_t* side = Side(shownSide_);
    const uint8_t* other = Side(1 - shownSide_);
    const char* name = reinterpret_cast<const char*>(side + kName);
    banner_.assign(name, strnlen(name, kNameBytes));
    category_ = side[kCategory];

    // Layout.
    std::unique_ptr<rules::UnitInfoCursor> unit;
    if (tables) unit = std::make_unique<rules::UnitInfoCursor>(*tables);
    bool missiles = false;
    for (int m = 0; m < kMembers; ++m) {
        const uint8_t* p = side + kMembersAt + kMemberSize * m;
        const int16_t id = S16(p + kUnit);
        if (id == -1 || p[kMachinesBefore] == 0 || !unit || !unit->Select(id)) continue;
        const int kind = unit->GetUnitKind();
        if (kind >= 120 && kind <= 126) missiles = true;
    }
    if (missiles) {
        mode_ = 3;
        category_ = 1;
    } else if (IsSea(category_) && IsSea(other[kCategory])) {
        mode_ = 2;
    } else if (IsSea(category_)) {
        mode_ = 1;
    } else {
        mode_ = 0;
    }

    // Member tables.
    for (int m = 0; m < kMembers; ++m) {
        const uint8_t* p = side + kMembersAt + kMemberSize * m;
        MemberView& v = members_[size_t(m)];
        v.unit = S16(p + kUnit);
        v.machinesBefore = std::min<int>(p[kMachinesBefore], kMachines);
        v.machinesAfter = std::min<int>(p[kMachinesAfter], kMachines);
        v.action = p[kAction];
        v.weaponSlot = p[kWeaponSlot];
        const bool selects = v.unit != -1 && unit && unit->Select(v.unit);
        v.valid = selects && v.machinesBefore > 0;
        if (selects) v.unitKind = unit->GetUnitKind();
        if (p[kPlatoonOverride] != 0) {
            v.platoon = p[kPlatoonOverride];
            if (selects) v.perMachine = unit->GetDurabilityPerUnit();
        } else if (v.valid) {
            v.platoon = unit->GetMaxStrength();
            v.perMachine = unit->GetDurabilityPerUnit();
            std::memcpy(v.before, p + kBefore, kMachines);
            std::memcpy(v.after, p + kAfter, kMachines);
        }
        for (int i = 0; i < kMachines; ++i) {
            if (v.before[i] != 0 && v.after[i] != 0 && v.before[i] != v.after[i])
                v.shot[i] = 1;
            else if (v.before[i] != 0 && v.after[i] == 0)
                v.shot[i] = 2;
        }
        const uint8_t targets = p[kTargeted];
        v.targeted = targets == kNoTargets ? 0 : uint8_t(targets & 0x3F);
        for (int j = 0; j < kReticles; ++j) {
            if (v.targeted & (1 << j)) {
                FightReticlePath(pane_, m, v.platoon, j, mode_, &v.reticle[j], &v.motion[j]);
            }
        }
    }
    durations_ = {15, 15, 5, simple ? 15 : 30};
}

StepResult FightPaneModel::Step(bool soundOn) {
    StepResult r;
    if (phase_ >= kPhaseFinished) return r;
    // The annihilation stage decides whether the fight goes on.
    if (FightStageTime(kAnnihilationStage, frame_, simple_) >= 0) {
        if (ShownSideSurvives() && OtherSideSurvives())
            r.endFight = true;
        else if (ShownSideSurvives())
            r.hidePane = true;
    }
    if (phase_ == kPhaseImpact && counters_[kPhaseImpact] == 0 && soundOn && ShownCountry() != 4) {
        for (const MemberView& v : members_) {
            for (int i = 0; i < kMachines; ++i)
                r.impactSounds += (v.shot[i] == 1 || v.shot[i] == 2);
        }
    }
    // The reticles travel on the targeting phase's ticks 3, 4 and 5, after being drawn.
    if (phase_ == kPhaseTargeting && counters_[kPhaseTargeting] >= 3 && counters_[kPhaseTargeting] <= 5) {
        for (MemberView& v : members_) {
            for (int j = 0; j < kReticles; ++j) {
                if (!(v.targeted & (1 << j))) continue;
                v.reticle[j].x += v.motion[j].x;
                v.reticle[j].y += v.motion[j].y;
            }
        }
    }
    ++counters_[size_t(phase_)];
    ++frame_;
    if (counters_[size_t(phase_)] >= durations_[size_t(phase_)] - 1) {
        ++phase_;
        if (simple_ && phase_ == kPhaseTargeting) ++phase_;
        if (phase_ >= kPhaseFinished) {
            phase_ = kPhaseFinished;
            r.finished = true;
        }
    }
    return r;
}

int FightPaneModel::ShownCountry() const {
    return std::min<int>(Side(shownSide_)[kCountry], 4);
}
int FightPaneModel::OtherCountry() const {
    return std::min<int>(Side(1 - shownSide_)[kCountry], 4);
}

bool FightPaneModel::SideSurvives(int side) const {
    const uint8_t* s = Side(side);
    for (int m = 0; m < kMembers; ++m) {
        if (s[kMembersAt + kMemberSize * m + kMachinesAfter] != 0) return true;
    }
    return false;
}
bool FightPaneModel::ShownSideSurvives() const {
    return SideSurvives(shownSide_);
}
bool FightPaneModel::OtherSideSurvives() const {
    return SideSurvives(1 - shownSide_);
}

int FightPaneModel::ActionCode(int m) const {
    const MemberView& v = members_[size_t(m)];
    int a = v.action;
    if (v.weaponSlot == 0xFF && a <= 4) a = 8;
    if (a == 8 || a == 0xFF) return -1;
    return a;
}

int FightPaneModel::ResultRow(int m) const {
    const MemberView& v = members_[size_t(m)];
    if (v.machinesBefore != 0 && v.machinesAfter == 0) return mode_ == 3 ? 3 : 2;
    for (int i = 0; i < kMachines; ++i) {
        if (v.shot[i] != 0) return 1;
    }
    return 0;
}

std::string FightPaneModel::BackgroundName() const {
    const uint8_t* side = Side(shownSide_);
    if (side[kCountry] == 4) return "fback_uk.bmp";
    const int k = side[kLandKind];
    const char* base = nullptr;
    if (k == 3 || k == 5)
        base = "fback01";
    else if (k == 4 || k == 14)
        base = "fback02";
    else if (k == 20)
        base = (mode_ == 1 || mode_ == 2) ? "fback02" : "fback07";
    else if (k == 0 || k == 2 || (k >= 6 && k <= 9))
        base = "fback03";
    else if (k == 1 || k == 10)
        base = "fback04";
    else if (k == 11 || k == 12)
        base = "fback05";
    else if (k >= 21 && k <= 28)
        base = "fback06";
    else if (k == 13 || (k >= 15 && k <= 19))
        base = "fback07";
    if (base == nullptr) return "";
    const char* variant = nullptr;
    if (category_ == 1 || category_ == 2)
        variant = "a";
    else if (category_ == 3)
        variant = "l";
    else if (category_ == 4 || category_ == 5)
        variant = "s";
    if (variant == nullptr) return "";
    return std::string(base) + variant + ".bmp";
}

bool FightPaneModel::ReticlesShowing() const {
    return phase_ == kPhaseTargeting && counters_[kPhaseTargeting] < 10;
}

int FightPaneModel::ReticleRow() const {
    const int c = OtherCountry();
    if (counters_[1] >= 8 && (counters_[1] & 1)) return 2 * c + 1;
    return 2 * c;
}

int FightPaneModel::ExplosionColumn() const {
    return std::min(counters_[2], 4);
}

int FightPaneModel::ExplosionRow(int shot) const {
    const bool destroyed = shot == 2;
    if (category_ == 1 || category_ == 2 || mode_ == 3) return destroyed ? 144 : 96;
    if (category_ == 3) return destroyed ? 48 : 0;
    return destroyed ? 240 : 192;
}

}  // namespace zv::panels::fight
