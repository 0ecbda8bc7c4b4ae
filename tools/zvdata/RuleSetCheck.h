#pragma once

#include <string>
#include <vector>

#include "rules/context/TableDirectory.h"

// What the rules and the windows rely on in the nine rule tables, checked on a loaded set.
namespace zv::zvdata {

// Fixed meanings of unit kinds (UnitKind indexes) that the rules test.
inline constexpr int kKindEcm = 7;
inline constexpr int kKindHeadquarters = 101;
inline constexpr int kKindRadar = 110;
inline constexpr int kKindSupply = 118;
inline constexpr int kKindSpecialA = 123;
inline constexpr int kKindSpecialB = 124;
inline constexpr int kKindHidden = 127;  // units of this kind stay out of the weapon list
inline constexpr int kMinUnitKinds = 128;

// Kind types (UnitKind 種類) the rules test; 0xFF marks an empty row.
inline constexpr int kKindTypeAircraft = 0;
inline constexpr int kKindTypeHelicopter = 1;
inline constexpr int kKindTypeSpecial = 6;
inline constexpr int kKindTypeEmpty = 0xFF;
// Kind types name bits of the 16-bit supply flags below the site bits 0x1000 and 0x2000.
inline constexpr int kMaxKindType = 11;

// Class flag of the unit kinds that the organisation dialog offers.
inline constexpr int kClassOffered = 0x10;

// Every problem found, one line each, naming the file, record and field (UTF-8). Empty when
// the set is sound.
std::vector<std::string> CheckRuleTables(const rules::TableDirectory& tables);

// True for the weapon types that launch a part (20-33 and 35).
bool IsLaunchWeaponType(int type);

}  // namespace zv::zvdata
