#pragma once

// The organisation dialog's state, its control ids and its messages. The open dialog owns its
// state; its layout and lists (OrganizeLists.cpp) and the troop display window (TroopDisplay*.cpp)
// reach it through GetOrganizeState. At most one organisation dialog is open at a time.

#include <array>
#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"
#include "platform/ui/Font.h"
#include "shell/WindowMessages.h"

namespace zv::ui {
class ImageList;
}

namespace zv::organize {

// Dialog templates.
constexpr int kOrganizeDialog = 323;
constexpr int kAltitudeMixDialog = 368;

// Controls of the organisation dialog.
constexpr int kIdNameLabel = 14000;
constexpr int kIdTroopName = 14001;
constexpr int kIdAltitudeLabel = 14002;
constexpr int kIdAltitudeCombo = 14003;
constexpr int kIdInfoTabs = 14004;
constexpr int kIdListTabs = 14005;
constexpr int kIdRegisterTroop = 14006;
constexpr int kIdSaveAndClose = 14007;
constexpr int kIdTroopList = 14009;
constexpr int kIdUnitList = 14010;
constexpr int kIdTemplateList = 14011;
constexpr int kIdTroopDisplay = 14012;
constexpr int kIdRegisterTemplate = 14013;
constexpr int kIdChangeEntry = 14014;
constexpr int kIdFormationLabel = 14015;
constexpr int kIdFormationName = 14016;
constexpr int kIdTroopCounter = 14145;
constexpr int kIdTemplateCounter = 14146;
constexpr int kIdTransform = 14147;
constexpr int kIdCancel = 1214;
// Deployment mode: the commands, the funds and the deployed count (14145 and 14146 take the
// place of the counters of corps editing).
constexpr int kIdAutoDeploy = 14139;
constexpr int kIdRecoverAll = 14140;
constexpr int kIdGameStart = 14141;
constexpr int kIdReturnToTitle = 14142;
constexpr int kIdFundsLabel = 14143;
constexpr int kIdFunds = 14144;
constexpr int kIdDeployedLabel = 14145;
constexpr int kIdDeployed = 14146;
constexpr int kIdTrashBox = 1151;
constexpr int kIdMixText = 1235;

// The 100 ms timer of corps editing.
constexpr std::uintptr_t kButtonTimer = 0;

// Limits of the lists: 80 troops and 80 templates by this dialog; a corps file may hold up to
// 160 of one kind, so each troop map has room for all 160 plus the 新規登録 row, and the unit
// map for every UnitInfo record plus that row.
constexpr int kRegisterLimit = 80;
constexpr int kUnitRowCapacity = 2001;
constexpr int kTroopRowCapacity = 161;
constexpr std::uint16_t kNoUnitRow = 0xFFFF;
// SetOrganizeParams's scope: every country (what every caller passes).
constexpr int kAllCountriesScope = 5;
// FillOrganizeUnitList's code or production type that keeps the filter's current one.
constexpr int kKeepUnitFilter = 0xFF;

struct OrganizeState {
    std::int16_t selectedTroop = -1;
    std::uint16_t playerCountry = 0;
    std::int32_t listTab = 0;
    std::int16_t newTroopSlot = -1;
    std::string title;  // Shift-JIS, at most 83 bytes
    std::uint16_t corpsFlag = 1;
    std::uint16_t deployFlag = 0;
    std::uint8_t altitudeClass = 1;
    std::uint16_t infoPage = 0;
    std::array<std::uint16_t, kUnitRowCapacity> unitRows{};
    std::uint8_t unitFilterCode = 1;
    std::int32_t unitFilterMask = 1;
    std::int16_t scope = kAllCountriesScope;
    std::array<std::int16_t, kTroopRowCapacity> templateRows{};
    std::array<std::int16_t, kTroopRowCapacity> troopRows{};
    std::uint8_t altitudeCode = 1;
    ui::Hwnd dialog{};
    ui::Font smallFont;
    ui::Font largeFont;
    ui::ImageList* unitImages = nullptr;
    ui::ImageList* troopImages = nullptr;
    ui::ImageList* templateImages = nullptr;
    std::int32_t editingFlag = 1;
    std::int32_t packChoiceFlag = 1;
};

// The open dialog's state; with none open, the parameters of the next opening (title, troop,
// flags, page, scope), which an opening copies and a closed dialog leaves as they were.
OrganizeState& GetOrganizeState();

// Altitude codes 1-6 of the combo ("航空(高)" ... "海中") and the classes 1-5 of the units.
// A unit's code from its UnitInfo altitude class and defence type; 0 for any other class.
std::uint8_t AltitudeCodeOfUnit(std::uint8_t altitudeClass, std::uint8_t defenceType);
// The class a code registers: 1, 1, 2, 3, 4, 5 for codes 1-6; 0 for any other code.
std::uint8_t AltitudeClassOfCode(int code);

}  // namespace zv::organize
