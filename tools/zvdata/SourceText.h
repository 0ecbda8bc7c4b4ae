#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "rules/context/TableDirectory.h"
#include "rules/records/TroopRecord.h"

namespace zv::rules {
class TroopCursor;
}

// Shared pieces of the map and corps sources in data/: UTF-8 text, one statement per line,
// "#" starts a comment, "key = value" settings, and troop lines.
namespace zv::zvdata {

struct SourceLine {
    int number;        // 1-based line number in the source
    std::string text;  // without comment and surrounding blanks; never empty
};

// The statements of a source: blank lines and comments dropped. A comment is a line whose first
// non-blank character is '#', or the rest of a line from a '#' that follows a blank.
std::vector<SourceLine> ReadSourceLines(std::string_view utf8);

// Splits "key = value"; false when there is no '=' or the key is empty.
bool SplitSetting(const std::string& text, std::string& key, std::string& value);

// Whole-number parsing of source values; false for anything else or a value outside the range.
bool ParseInt(std::string_view text, long min, long max, long& value);
// "x,y" with both 0-63.
bool ParseHexPosition(std::string_view text, int& x, int& y);
// Blank-separated numbers.
bool ParseIntList(std::string_view text, long min, long max, std::vector<long>& values);

// Unit names (UTF-8) of the loaded UnitInfo table to record indexes; the reserved kind and
// empty names are left out.
class UnitNames {
  public:
    explicit UnitNames(const rules::TableDirectory& tables);
    // -1 when no unit has the name.
    int Find(const std::string& utf8Name) const;

  private:
    std::map<std::string, int> byName_;
};

// One troop of a source line:
//   name=NAME mode=0-5 [auto=0|1] [on=CARRIER] units=UNIT[*count][@pack]/UNIT...
// "units=" comes last and takes the rest of the line; a unit may repeat with *count and take an
// equipment pack 1-4 with @pack (its default pack otherwise).
struct TroopSpec {
    std::string name;
    int mode = 0;
    bool automatic = false;
    std::string carrier;  // name of the troop it starts aboard (maps only)
    std::vector<std::int16_t> units;
    std::vector<int> packs;  // 0-3, or -1 for the unit's default pack
};

bool ParseTroopSpec(std::string_view text, const UnitNames& units, TroopSpec& spec,
                    std::string& error);

// Puts a troop into the record the cursor has selected: the units in formation slots 0-5 at
// full strength with their packs, the name and the troop mode; country and hex as given.
// False with `error` when the game's creation refuses a unit.
bool BuildTroop(rules::TroopCursor& cursor, const TroopSpec& spec, std::uint8_t country,
                std::uint16_t hex, std::string& error);

// The members of a troop share one altitude code and hold one headquarters member at most,
// as the organisation screens compose troops; returns the reason when not, and the number of
// headquarters members in *headquarters.
std::string CheckTroopMembers(const rules::TableDirectory& tables, const TroopSpec& spec,
                              int* headquarters);

// Altitude code of the organisation dialog: 1 high air, 2 medium air, 3 helicopter, 4 ground,
// 5 sea, 6 sub-sea; 0 for none.
int UnitAltitudeCode(const rules::TableDirectory& tables, int unit);
// The same code from a unit's altitude class (1-5) and defence type.
int AltitudeCode(int altitudeClass, int defenceType);

}  // namespace zv::zvdata
