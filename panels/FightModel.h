#pragma once

// The stage logic of one fight pane, headless: which side it shows, in which layout, what each
// member's machines suffered, where the reticles travel, and, tick by tick, the phase, the
// frame counter and the overlay stages that are showing. The pane windows paint from it.
//
// Phases: 0 intro, 1 targeting, 2 impact, 3 results, 4 finished (also idle). A phase of
// duration d lasts d - 1 ticks. The simple display skips the targeting phase and the action,
// weapon, result and annihilation stages.

#include <array>
#include <cstdint>
#include <string>

#include "panels/FightLayout.h"

namespace zv::rules {
class TableDirectory;
}

namespace zv::panels::fight {

// The phases of a pane, in the order they play.
inline constexpr int kPhaseIntro = 0;
inline constexpr int kPhaseTargeting = 1;
inline constexpr int kPhaseImpact = 2;
inline constexpr int kPhaseResults = 3;
inline constexpr int kPhaseFinished = 4;  // also idle

constexpr int kRecordSize = 664;
constexpr int kSideSize = 332;
constexpr int kMemberSize = 50;
constexpr int kStageCount = 6;
// A stage that never shows. Stored apart from the tick range so that no start tick can be
// mistaken for it.
constexpr int kNeverStage = -1;

enum Stage {
    kBannerStage = 0,
    kUnitPlateStage,
    kActionStage,
    kResultStage,
    kBarStage,
    kAnnihilationStage
};

struct StageTiming {
    int start;  // kNeverStage: never shows
    int length;
};
StageTiming FightStageTiming(int stage, bool simple);
// The stage's local time t (0-length) at the frame, or -1 when it is not showing.
int FightStageTime(int stage, int frame, bool simple);
// Its level 0-5 (t for t <= 4, 10 - t from t = 5), or -1 when it is not showing.
int FightStageLevel(int stage, int frame, bool simple);

// Durability percentage of one machine; 0 when the unit has no durability per machine.
int DurabilityPercent(int durability, int perMachine);

struct MemberView {
    bool valid = false;  // the unit selects and it had machines
    int16_t unit = -1;
    int machinesBefore = 0;
    int machinesAfter = 0;
    int platoon = 0;
    int perMachine = 0;
    uint8_t before[kMachines] = {};
    uint8_t after[kMachines] = {};
    uint8_t shot[kMachines] = {};  // 0 untouched, 1 hit, 2 destroyed
    uint8_t targeted = 0;          // machines 0-5 under a reticle
    Point reticle[kReticles] = {};
    Point motion[kReticles] = {};
    uint8_t action = 0xFF;
    uint8_t weaponSlot = 0xFF;
    int unitKind = 0;
};

// What a step asks of the window.
struct StepResult {
    int impactSounds = 0;   // impact effects to play this tick
    bool endFight = false;  // both sides kept machines: the fight ends now
    bool hidePane = false;  // the shown side survived the annihilation stage
    bool finished = false;  // phase 4 reached this tick
};

class FightPaneModel {
  public:
    explicit FightPaneModel(int paneIndex) : pane_(paneIndex) {}

    // A new fight: copies the record and builds the tables. `player` is the local player's
    // country (allied sides choose what each pane shows).
    void Start(const uint8_t* record, bool simple, rules::TableDirectory* tables, uint8_t player);
    // One manager tick; `soundOn` tells whether impacts make a sound.
    StepResult Step(bool soundOn);

    int Pane() const { return pane_; }
    int Phase() const { return phase_; }
    int Frame() const { return frame_; }
    int PhaseCounter(int p) const { return counters_[size_t(p)]; }
    int PhaseDuration(int p) const { return durations_[size_t(p)]; }
    bool Simple() const { return simple_; }
    int ShownSide() const { return shownSide_; }  // 1 side A, 0 side B
    int LayoutMode() const { return mode_; }
    int Category() const { return category_; }
    int ShownCountry() const;
    int OtherCountry() const;
    const std::string& Banner() const { return banner_; }  // Shift-JIS
    const MemberView& Member(int m) const { return members_[size_t(m)]; }
    // The side shown has a member with machines left after the fight.
    bool ShownSideSurvives() const;
    bool OtherSideSurvives() const;
    // Action cell code of a member for the action plate; -1 draws nothing.
    int ActionCode(int m) const;
    // Result cell row v (0 no loss, 1 losses, 2 destroyed, 3 destroyed in mode 3).
    int ResultRow(int m) const;
    // The background's file name below "fight\" ("" none).
    std::string BackgroundName() const;
    // Reticles are drawn this tick (phase 1, counter below 10) and their sheet row.
    bool ReticlesShowing() const;
    int ReticleRow() const;
    // Explosions are drawn (phase 2) and the sheet cell.
    bool ExplosionsShowing() const { return phase_ == 2; }
    int ExplosionColumn() const;
    int ExplosionRow(int shot) const;
    const uint8_t* Record() const { return record_.data(); }

  private:
    const uint8_t* Side(int side) const { return record_.data() + (side == 1 ? 0 : kSideSize); }
    bool SideSurvives(int side) const;

    int pane_;
    std::array<uint8_t, kRecordSize> record_{};
    int phase_ = 4;
    int frame_ = 0;
    std::array<int, 4> durations_{};
    std::array<int, 4> counters_{};
    bool simple_ = false;
    int shownSide_ = 0;
    int mode_ = -1;
    int category_ = 0xFF;
    std::string banner_;
    std::array<MemberView, kMembers> members_{};
};

}  // namespace zv::panels::fight
