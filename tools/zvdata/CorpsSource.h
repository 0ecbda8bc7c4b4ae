#pragma once

#include <string>
#include <string_view>

#include "rules/context/TableDirectory.h"

// A corps written as text (data/corps/useFrcNN.txt):
//
//   name = 蒼国統合兵団          corps name, at most 24 Shift-JIS bytes
//   comment = ...                at most 255 bytes
//   type = 統合軍                production type, by name
//   troop name=第001司令部 mode=3 units=統帥 機動司令部
//   template name=第001陸上隊 mode=0 units=鉄牙 主力戦車*2/剛狼 歩兵戦闘車
//
// "troop" lines are troops to deploy, "template" lines patterns that stay in the corps when
// produced (the computer produces from them). Troop lines follow ParseTroopSpec.
namespace zv::zvdata {

// Compiles the source into the working corps (force slot 0) of `tables`, whose rule tables must
// be loaded. The corps is checked as the organisation screens would keep it: at most 80 troops
// and 80 templates, one altitude per troop, one headquarters member per troop at most, only
// units that the production type offers, and a headquarters troop to deploy. False with the
// source name and line in `error`; the working corps is then unspecified.
bool CompileCorps(rules::TableDirectory& tables, const std::string& sourceName,
                  std::string_view utf8, std::string& error);

}  // namespace zv::zvdata
