#pragma once

// The words of a news record: the one-line sentence of the message panel, the "NEWS" and
// "結果" cells of the report lists, and the time and place cells. All texts are Shift-JIS.
//
// A news record names its troops by index into the troop table and by icon; the names are read
// from the table when the record is formatted. The list cell keeps the names it used in the
// record's name caches, so a record listed once keeps them after the troops are gone.

#include <string>

#include "rules/records/NewsRecord.h"

namespace zv::rules {
class TableDirectory;
}

namespace zv::panels {

// The country names of the sentences: "BLUE", "RED", "GREEN", "YELLOW" for 0-3 and "中立" for
// every other value (neutral sites, launched parts, records of a damaged table).
const char* NewsCountryName(int country);
// The order names of kind 0 (移動 … 解散); empty outside 0-12.
const char* NewsOrderName(int order);
// The site kind names (首都 … 港) by site icon mod 6.
const char* NewsSiteKindName(int siteIcon);

// The panel sentence, without any space; null when a troop the sentence names cannot be
// selected, or (crash, bombing, transformation, disbandment) when its country is 0xFF.
// The text lives in a buffer of the calling thread that the next call overwrites.
const char* FormatNewsSentence(rules::TableDirectory& tables, rules::NewsRecord record);

// The "NEWS" cell, with " 　 " gaps for the icons; fills the record's empty name caches from
// the troop table. Null when a troop it must read cannot be selected. Same buffer rule.
const char* FormatNewsListText(rules::TableDirectory& tables, rules::NewsRecord* record);

// The "結果" cell: the unit counts of an attack (the player's side first) or the income of an
// occupation; empty for the other kinds.
const char* FormatNewsResultText(const rules::NewsRecord* record);

// "ddd/hh:mm" (day, hour, minute) and "X%2d,Y%2d" of the record.
std::string NewsTimeText(const rules::NewsRecord& record);
std::string NewsPlaceText(const rules::NewsRecord& record);

}  // namespace zv::panels
