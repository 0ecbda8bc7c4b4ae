#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rules/context/TableDirectory.h"

// The frame menu's CSV export of the loaded rule tables, one file per table, for reading the
// rule data in a spreadsheet. The text is Shift-JIS with CR LF line ends; every field, the last
// of a line included, is followed by a comma; bit fields are written as "x" (set) and "o"
// (clear) from the highest bit down.
namespace zv::rules {

enum class CsvExportTable {
    LandKind,
    SiteKind,
    UnitKind,
    WeaponKd,
    MvcostKd,
    UnitInfo,
    ActionKd,
    DefencKd
};

inline constexpr CsvExportTable kCsvExportTables[] = {
    CsvExportTable::LandKind, CsvExportTable::SiteKind, CsvExportTable::UnitKind,
    CsvExportTable::WeaponKd, CsvExportTable::MvcostKd, CsvExportTable::UnitInfo,
    CsvExportTable::ActionKd, CsvExportTable::DefencKd};

// Caption of every message of the export.
inline constexpr const char* kCsvExportCaption = "CSVファイル作成";

// Menu item, file and the user's texts of one export (texts in UTF-8).
struct CsvExportInfo {
    int menuId;
    const char* menuText;
    const char* fileName;
    TableId table;
    const char* question;
    const char* doneText;
    const char* failureText;
};
const CsvExportInfo& GetCsvExportInfo(CsvExportTable table);

// What the export asks and tells; the shell shows message boxes owned by the frame window.
class CsvExportPrompt {
  public:
    virtual ~CsvExportPrompt() = default;
    // An OK / Cancel question; true for OK.
    virtual bool Confirm(const std::string& caption, const std::string& text) = 0;
    // A message with an OK button.
    virtual void Notify(const std::string& caption, const std::string& text) = 0;
};

// Field writers: each appends the field and its comma.
void WriteCsvText(std::string& out, std::string_view sjis);
void WriteCsvByte(std::string& out, std::uint8_t value);
void WriteCsvWord(std::string& out, std::uint16_t value);
void WriteCsvInt(std::string& out, std::int32_t value);
void WriteCsvLong(std::string& out, std::int32_t value);
void WriteCsvBits8(std::string& out, std::uint8_t value);
void WriteCsvBits16(std::string& out, std::uint16_t value);
void WriteCsvBits32(std::string& out, std::uint32_t value);

// The fixed name of terrain class 0-28 (UTF-8) as the headers show it; null outside 0-28.
const char* GetTerrainClassName(int terrainClass);

// The column labels of a table's header line, in order (UTF-8).
const std::vector<std::string>& GetCsvHeaderLabels(CsvExportTable table);

// The whole CSV text of one table as the export writes it: the header line, then one line per
// record that the table's cursor can select, in index order.
std::string BuildRuleTableCsv(const TableDirectory& tables, CsvExportTable table);

// The menu command: asks first (Cancel ends it with nothing written), writes the file under its
// name into `directory` as a whole (an older, longer file is replaced, not overwritten in part),
// then tells whether it worked. True when the file was written.
bool ExportRuleTableCsv(const TableDirectory& tables, CsvExportTable table,
                        const std::string& directory, CsvExportPrompt& prompt);

bool ExportLandKindCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt);
bool ExportSiteKindCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt);
bool ExportUnitKindCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt);
bool ExportWeaponKdCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt);
bool ExportMvcostKdCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt);
bool ExportUnitInfoCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt);
bool ExportActionKdCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt);
bool ExportDefencKdCsv(const TableDirectory& tables, const std::string& directory,
                       CsvExportPrompt& prompt);

}  // namespace zv::rules
