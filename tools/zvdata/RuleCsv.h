#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rules/context/TableDirectory.h"

// The nine rule tables as CSV text in the form of the game's CSV export, and their compilation
// into the records of the *.dat files. The sources are kept as UTF-8; the export writes
// Shift-JIS with CR LF, so a source is converted before it is compiled or compared.
namespace zv::zvdata {

// Version stamp written into every rule table this tool builds ("ZV" and the data version;
// the version dialog shows it from the third character on).
inline constexpr char kRuleTableId[8] = {'Z', 'V', '1', '.', '0', '.', '0', '\0'};

struct RuleCsvTable {
    rules::TableId id;
    const char* csvName;  // file name under data/rules
    int minRows;
    int maxRows;  // beyond this the game's export would not write every record
};

// The nine tables in load order.
const std::vector<RuleCsvTable>& GetRuleCsvTables();
const RuleCsvTable& GetRuleCsvTable(rules::TableId id);

// The column labels of a table's header line (UTF-8).
const std::vector<std::string>& GetRuleCsvLabels(rules::TableId id);

// A UTF-8 source (LF or CR LF line ends) as the export would write it: Shift-JIS, CR LF. Fails
// on malformed UTF-8 and on characters that Shift-JIS cannot hold, naming the line.
bool CsvSourceToSjis(const std::string& fileName, std::string_view utf8, std::string& sjis,
                     std::string& error);

// The records of one rule table.
struct RuleTableImage {
    rules::TableId id = rules::TableId::LandKind;
    std::uint16_t count = 0;
    std::vector<std::uint8_t> body;
};

// Compiles the Shift-JIS CSV text of a table. The header must be the export's, every line must
// hold exactly its fields, each followed by a comma, and every value must fit its field and be
// written as the export writes it (so that exporting the result gives the same text). Errors
// name the file, line, record and column.
bool CompileRuleCsv(rules::TableId id, const std::string& fileName, std::string_view sjisCsv,
                    RuleTableImage& image, std::string& error);

// The CSV text of a loaded table as the export writes it. The production types have no menu
// export in the game; their text follows the same rules (header 有効フラグ, 生産タイプ名).
std::string BuildRuleCsv(const rules::TableDirectory& tables, rules::TableId id);

}  // namespace zv::zvdata
