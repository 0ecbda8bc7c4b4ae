#include "tools/zvdata/RuleCsv.h"

#include <charconv>
#include <limits>

#include "platform/core/Sjis.h"
#include "rules/files/CsvExport.h"
#include "rules/records/Bytes.h"
#include "rules/records/RuleRecords.h"

namespace zv::zvdata {

using rules::TableId;

namespace {

enum class Form : std::uint8_t { Text, Number, Signed, Bits };

// How a column's value is stored when the export shows it through an accessor that converts.
enum class Stored : std::uint8_t {
    AsIs,
    PlusOne,        // a 1-based field whose accessor returns the 0-based index
    ZeroOrPlusOne,  // the same, where 0 means none
    NoneOrPlusOne,  // the same, where the accessor returns 0xFFFF for none
};

struct Column {
    std::size_t offset;
    std::uint8_t width;  // bytes of the field
    Form form;
    Stored stored = Stored::AsIs;
};

using Columns = std::vector<Column>;

Column Text(std::size_t offset, std::uint8_t width) {
    return {offset, width, Form::Text};
}
Column Num(std::size_t offset, std::uint8_t width = 1, Stored stored = Stored::AsIs) {
    return {offset, width, Form::Number, stored};
}
Column Bits(std::size_t offset, std::uint8_t width = 1) {
    return {offset, width, Form::Bits};
}
Column Signed(std::size_t offset) {
    return {offset, 4, Form::Signed};
}

void AddRun(Columns& columns, std::size_t offset, int count) {
    for (int i = 0; i < count; ++i) columns.push_back(Num(offset + static_cast<std::size_t>(i)));
}

Columns BuildColumns(TableId id) {
    using namespace rules;
    Columns c;
    switch (id) {
        case TableId::LandKind:
            c = {Text(LandKindRecord::kName, LandKindRecord::kNameWidth),
                 Bits(LandKindRecord::kLaunchFlag), Bits(LandKindRecord::kLoadFlag),
                 Bits(LandKindRecord::kSupplyFlag, 2), Num(LandKindRecord::kGraphicNumber)};
            AddRun(c, LandKindRecord::kDummy, 3);
            break;
        case TableId::SiteKind:
            c = {Text(SiteKindRecord::kName, SiteKindRecord::kNameWidth),
                 Num(SiteKindRecord::kIncome, 2),
                 Num(SiteKindRecord::kFuel, 2),
                 Num(SiteKindRecord::kSupplies, 2),
                 Bits(SiteKindRecord::kPerformanceFlags),
                 Num(SiteKindRecord::kCaptureDurability),
                 Num(SiteKindRecord::kDestroyDurability),
                 Num(SiteKindRecord::kDaySearchRange),
                 Num(SiteKindRecord::kNightSearchRange)};
            AddRun(c, SiteKindRecord::kDummy, 3);
            break;
        case TableId::UnitKind:
            c = {Text(UnitKindRecord::kName, UnitKindRecord::kNameWidth),
                 Num(UnitKindRecord::kKindType),
                 Bits(UnitKindRecord::kSupplyFlags),
                 Bits(UnitKindRecord::kPerformanceFlags),
                 Bits(UnitKindRecord::kClassFlags),
                 Bits(UnitKindRecord::kSpecialFlags),
                 Num(UnitKindRecord::kDummy29),
                 Bits(UnitKindRecord::kActionTypeFlags, 2),
                 Num(UnitKindRecord::kGraphicNumber, 2, Stored::PlusOne),
                 Num(UnitKindRecord::kDescriptionNumber, 2)};
            AddRun(c, UnitKindRecord::kDummy, 4);
            break;
        case TableId::WeaponKd:
            c = {Text(WeaponKdRecord::kName, WeaponKdRecord::kNameWidth),
                 Num(WeaponKdRecord::kWeaponType), Bits(WeaponKdRecord::kLoadFlags)};
            AddRun(c, WeaponKdRecord::kHitRate, kTargetClassCount);
            c.push_back(Num(WeaponKdRecord::kPower));
            c.push_back(Num(WeaponKdRecord::kSalvo));
            c.push_back(Num(WeaponKdRecord::kFireCount));
            c.push_back(Num(WeaponKdRecord::kRange));
            c.push_back(Num(WeaponKdRecord::kOptionUnit, 2, Stored::ZeroOrPlusOne));
            c.push_back(Bits(WeaponKdRecord::kAddedCommands, 2));
            break;
        case TableId::MvcostKd:
            AddRun(c, MvcostKdRecord::kCost, kTerrainCount);
            c.push_back(Num(MvcostKdRecord::kDummy1));
            AddRun(c, MvcostKdRecord::kConcealment, kAltitudeLayerCount * kTerrainCount);
            c.push_back(Num(MvcostKdRecord::kDummy2));
            break;
        case TableId::UnitInfo:
            c = {Text(UnitInfoRecord::kName, UnitInfoRecord::kNameWidth),
                 Num(UnitInfoRecord::kUnitKind), Num(UnitInfoRecord::kAltitudeClass)};
            AddRun(c, UnitInfoRecord::kDefenceRate, kTargetClassCount);
            c.push_back(Bits(UnitInfoRecord::kLoadableFlags));
            AddRun(c, UnitInfoRecord::kDefenceType, 5);  // type, strength, durability, sights
            AddRun(c, UnitInfoRecord::kRadarRange, kAltitudeLayerCount);
            c.push_back(Bits(UnitInfoRecord::kLoadFlags));
            c.push_back(Num(UnitInfoRecord::kDefaultPack, 1, Stored::PlusOne));
            c.push_back(Num(UnitInfoRecord::kSupplyableKinds));
            for (int w = 0; w < kWeaponSlotCount; ++w)
                c.push_back(Num(UnitInfoRecord::kWeaponId + 2 * static_cast<std::size_t>(w), 2));
            for (int p = 0; p < kPackCount; ++p) {
                const std::size_t pack = UnitInfoRecord::PackOffset(p);
                AddRun(c, pack + UnitInfoRecord::kPackAmmo, kWeaponSlotCount);
                AddRun(c, pack + UnitInfoRecord::kPackSpeedChange, 4);  // speed to switch
                c.push_back(Num(pack + UnitInfoRecord::kPackFuel, 2));
            }
            c.push_back(Bits(UnitInfoRecord::kProductionSides, 4));
            c.push_back(Signed(UnitInfoRecord::kPrice));
            c.push_back(Num(UnitInfoRecord::kCarryWeightTotal, 2));
            c.push_back(Num(UnitInfoRecord::kWeight, 2));
            c.push_back(Num(UnitInfoRecord::kFuelPrice, 2));
            c.push_back(Num(UnitInfoRecord::kTransformUnit, 2, Stored::NoneOrPlusOne));
            c.push_back(Num(UnitInfoRecord::kMoveCostKind, 2));
            c.push_back(Num(UnitInfoRecord::kActionKind, 2));
            c.push_back(Num(UnitInfoRecord::kSilhouette, 2));
            c.push_back(Bits(UnitInfoRecord::kCommandFlags, 2));
            c.push_back(Num(UnitInfoRecord::kTransformTime));
            c.push_back(Bits(UnitInfoRecord::kSpecialAbility));
            c.push_back(Num(UnitInfoRecord::kDefenceKind));
            c.push_back(Num(UnitInfoRecord::kDummy2));
            break;
        case TableId::ActionKd:
            AddRun(c, ActionKdRecord::kAttack, 4);
            c.push_back(Num(ActionKdRecord::kRange, 2));
            for (int d = 0; d < 3; ++d)
                c.push_back(Num(ActionKdRecord::kDummy + 2 * static_cast<std::size_t>(d), 2));
            break;
        case TableId::DefencDk:
            AddRun(c, DefencDkRecord::kDefenceRate, kTerrainCount);
            c.push_back(Num(DefencDkRecord::kDummy));
            break;
        case TableId::ProKind:
            c = {Signed(ProKindRecord::kPresent),
                 Text(ProKindRecord::kName, ProKindRecord::kNameWidth)};
            break;
        default:
            break;
    }
    return c;
}

rules::CsvExportTable ExportTableOf(TableId id) {
    switch (id) {
        case TableId::LandKind:
            return rules::CsvExportTable::LandKind;
        case TableId::SiteKind:
            return rules::CsvExportTable::SiteKind;
        case TableId::UnitKind:
            return rules::CsvExportTable::UnitKind;
        case TableId::WeaponKd:
            return rules::CsvExportTable::WeaponKd;
        case TableId::MvcostKd:
            return rules::CsvExportTable::MvcostKd;
        case TableId::UnitInfo:
            return rules::CsvExportTable::UnitInfo;
        case TableId::ActionKd:
            return rules::CsvExportTable::ActionKd;
        default:
            return rules::CsvExportTable::DefencKd;
    }
}

const std::vector<std::string> kProKindLabels = {"有効フラグ", "生産タイプ名"};

const std::vector<RuleCsvTable> kTables = {
    {TableId::LandKind, "LandKind.csv", 29, 29},  {TableId::MvcostKd, "Mvcostkd.csv", 1, 1024},
    {TableId::DefencDk, "DefencKd.csv", 1, 256},  {TableId::ActionKd, "ActionKd.csv", 1, 256},
    {TableId::UnitKind, "UnitKind.csv", 1, 256},  {TableId::WeaponKd, "WeaponKd.csv", 1, 1023},
    {TableId::SiteKind, "SiteKind.csv", 6, 6},    {TableId::UnitInfo, "UnitInfo.csv", 1, 2000},
    {TableId::ProKind, "ProKind.csv", 32, 65535},
};

const Columns& ColumnsOf(TableId id) {
    static const std::vector<Columns> all = [] {
        std::vector<Columns> v(rules::kTableCount);
        for (const RuleCsvTable& t : kTables) v[rules::ToIndex(t.id)] = BuildColumns(t.id);
        return v;
    }();
    return all[rules::ToIndex(id)];
}

// Splits CR LF lines; false when the text does not end with a line end.
bool SplitLines(std::string_view text, std::vector<std::string_view>& lines) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) return false;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return true;
}

// Fields of a line, each of which must be followed by a comma. A comma cannot be the second
// byte of a Shift-JIS character, so splitting bytes is safe.
bool SplitFields(std::string_view line, std::vector<std::string_view>& fields) {
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) return false;
        fields.push_back(line.substr(start, comma - start));
        start = comma + 1;
    }
    return true;
}

// A decimal number written as the export writes it: no sign, no leading zeros.
bool ParseUnsigned(std::string_view s, std::uint64_t& value) {
    if (s.empty() || s.size() > 10) return false;
    if (s.size() > 1 && s[0] == '0') return false;
    for (char ch : s)
        if (ch < '0' || ch > '9') return false;
    const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    return result.ec == std::errc() && result.ptr == s.data() + s.size();
}

bool ParseSigned(std::string_view s, std::int64_t& value) {
    const bool negative = !s.empty() && s[0] == '-';
    std::uint64_t magnitude = 0;
    if (!ParseUnsigned(negative ? s.substr(1) : s, magnitude)) return false;
    if (negative && magnitude == 0) return false;  // "-0" is never written
    value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

void Store(std::uint8_t* record, const Column& column, std::uint64_t value) {
    switch (column.width) {
        case 1:
            rules::WriteU8(record, column.offset, static_cast<std::uint8_t>(value));
            break;
        case 2:
            rules::WriteU16(record, column.offset, static_cast<std::uint16_t>(value));
            break;
        default:
            rules::WriteU32(record, column.offset, static_cast<std::uint32_t>(value));
            break;
    }
}

std::string Quote(std::string_view sjis) {
    return "'" + core::SjisToUtf8(sjis) + "'";
}

// Parses one field into the record; on failure returns the reason.
std::string CompileField(const Column& column, std::string_view field, std::uint8_t* record) {
    // Text columns are wider than any number; only numbers use the limit.
    const std::uint64_t limit =
        column.width <= 4 ? (std::uint64_t{1} << (8 * column.width)) - 1 : 0;
    switch (column.form) {
        case Form::Text: {
            if (field.size() > column.width)
                return Quote(field) + " is " + std::to_string(field.size()) +
                       " bytes, the field holds " + std::to_string(column.width);
            for (char ch : field)
                if (static_cast<unsigned char>(ch) < 0x20)
                    return Quote(field) + " holds a control character";
            rules::WriteText(record, column.offset, column.width, field);
            return {};
        }
        case Form::Bits: {
            const std::size_t bits = 8u * column.width;
            if (field.size() != bits)
                return Quote(field) + " is not " + std::to_string(bits) + " bit marks";
            std::uint64_t value = 0;
            for (char ch : field) {
                if (ch != 'x' && ch != 'o')
                    return Quote(field) + " holds a mark other than 'x' and 'o'";
                value = (value << 1) | (ch == 'x' ? 1u : 0u);
            }
            Store(record, column, value);
            return {};
        }
        case Form::Signed: {
            std::int64_t value = 0;
            if (!ParseSigned(field, value)) return Quote(field) + " is not a 32-bit number";
            Store(record, column, static_cast<std::uint32_t>(static_cast<std::int32_t>(value)));
            return {};
        }
        case Form::Number: {
            std::uint64_t value = 0;
            if (!ParseUnsigned(field, value)) return Quote(field) + " is not a number";
            std::uint64_t stored = value;
            switch (column.stored) {
                case Stored::AsIs:
                    break;
                case Stored::PlusOne:
                    stored = value + 1;
                    break;
                case Stored::ZeroOrPlusOne:
                    stored = value == 0 ? 0 : value + 1;
                    break;
                case Stored::NoneOrPlusOne:
                    stored = value == limit ? 0 : value + 1;
                    break;
            }
            if (value > limit || stored > limit)
                return Quote(field) + " does not fit the field (at most " +
                       std::to_string(column.stored == Stored::AsIs ||
                                              column.stored == Stored::NoneOrPlusOne
                                          ? limit
                                          : limit - 1) +
                       ")";
            Store(record, column, stored);
            return {};
        }
    }
    return {};
}

bool DecodeUtf8(std::string_view s, std::size_t& i, char32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    int extra = 0;
    if (b0 < 0x80) {
        cp = b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        cp = b0 & 0x1F;
        extra = 1;
    } else if ((b0 & 0xF0) == 0xE0) {
        cp = b0 & 0x0F;
        extra = 2;
    } else if ((b0 & 0xF8) == 0xF0) {
        cp = b0 & 0x07;
        extra = 3;
    } else {
        return false;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size()) return false;
    for (int k = 1; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    i += static_cast<std::size_t>(extra) + 1;
    return true;
}

}  // namespace

const std::vector<RuleCsvTable>& GetRuleCsvTables() {
    return kTables;
}

const RuleCsvTable& GetRuleCsvTable(TableId id) {
    for (const RuleCsvTable& t : kTables)
        if (t.id == id) return t;
    return kTables.front();
}

const std::vector<std::string>& GetRuleCsvLabels(TableId id) {
    if (id == TableId::ProKind) return kProKindLabels;
    return rules::GetCsvHeaderLabels(ExportTableOf(id));
}

bool CsvSourceToSjis(const std::string& fileName, std::string_view utf8, std::string& sjis,
                     std::string& error) {
    sjis.clear();
    std::size_t lineStart = 0;
    int lineNumber = 1;
    while (lineStart < utf8.size()) {
        std::size_t lineEnd = utf8.find('\n', lineStart);
        const bool terminated = lineEnd != std::string_view::npos;
        if (!terminated) lineEnd = utf8.size();
        std::string_view line = utf8.substr(lineStart, lineEnd - lineStart);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find('\r') != std::string_view::npos) {
            error = fileName + " line " + std::to_string(lineNumber) + ": stray carriage return";
            return false;
        }
        for (std::size_t i = 0; i < line.size();) {
            char32_t cp = 0;
            if (!DecodeUtf8(line, i, cp)) {
                error = fileName + " line " + std::to_string(lineNumber) + ": not UTF-8 text";
                return false;
            }
        }
        const std::string converted = core::Utf8ToSjis(line);
        // The conversion writes '?' for what it cannot hold; a round trip shows it.
        if (core::SjisToUtf8(converted) != line) {
            error = fileName + " line " + std::to_string(lineNumber) +
                    ": holds characters that Shift-JIS cannot store";
            return false;
        }
        sjis += converted;
        sjis += "\r\n";
        lineStart = lineEnd + (terminated ? 1 : 0);
        ++lineNumber;
    }
    return true;
}

bool CompileRuleCsv(TableId id, const std::string& fileName, std::string_view sjisCsv,
                    RuleTableImage& image, std::string& error) {
    const RuleCsvTable& table = GetRuleCsvTable(id);
    const Columns& columns = ColumnsOf(id);
    const std::vector<std::string>& labels = GetRuleCsvLabels(id);
    const std::size_t recordSize = rules::GetTableLayout(id).recordSize;

    std::vector<std::string_view> lines;
    if (!SplitLines(sjisCsv, lines)) {
        error = fileName + ": the last line has no line end";
        return false;
    }
    if (lines.empty()) {
        error = fileName + ": empty file, the header line is missing";
        return false;
    }
    std::string expectedHeader;
    for (const std::string& label : labels) expectedHeader += core::Utf8ToSjis(label) + ",";
    if (lines[0] != expectedHeader) {
        error = fileName + " line 1: the header is not the export's header of this table";
        return false;
    }
    const int rows = static_cast<int>(lines.size()) - 1;
    if (rows < table.minRows || rows > table.maxRows) {
        error = fileName + ": " + std::to_string(rows) + " records, the table takes " +
                (table.minRows == table.maxRows
                     ? std::to_string(table.minRows)
                     : std::to_string(table.minRows) + " to " + std::to_string(table.maxRows));
        return false;
    }

    RuleTableImage out;
    out.id = id;
    out.count = static_cast<std::uint16_t>(rows);
    out.body.assign(static_cast<std::size_t>(rows) * recordSize, 0);
    for (int r = 0; r < rows; ++r) {
        const std::string where =
            fileName + " line " + std::to_string(r + 2) + " (record " + std::to_string(r) + ")";
        std::vector<std::string_view> fields;
        if (!SplitFields(lines[static_cast<std::size_t>(r) + 1], fields)) {
            error = where + ": the last field has no comma after it";
            return false;
        }
        if (fields.size() != columns.size()) {
            error = where + ": " + std::to_string(fields.size()) + " fields, the header has " +
                    std::to_string(columns.size());
            return false;
        }
        std::uint8_t* record = out.body.data() + static_cast<std::size_t>(r) * recordSize;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const std::string reason = CompileField(columns[c], fields[c], record);
            if (!reason.empty()) {
                error = where + ", column " + labels[c] + ": " + reason;
                return false;
            }
        }
    }
    image = std::move(out);
    return true;
}

std::string BuildRuleCsv(const rules::TableDirectory& tables, TableId id) {
    if (id != TableId::ProKind) return rules::BuildRuleTableCsv(tables, ExportTableOf(id));
    std::string out;
    for (const std::string& label : kProKindLabels) out += core::Utf8ToSjis(label) + ",";
    out += "\r\n";
    const std::uint8_t* base = tables.GetTableBase(id);
    for (int k = 0; k < tables.GetTableRecordCount(id); ++k) {
        const std::uint8_t* record =
            base + static_cast<std::size_t>(k) * rules::ProKindRecord::kSize;
        rules::WriteCsvInt(out, rules::ReadS32(record, rules::ProKindRecord::kPresent));
        rules::WriteCsvText(out, rules::ReadText(record, rules::ProKindRecord::kName,
                                                 rules::ProKindRecord::kNameWidth));
        out += "\r\n";
    }
    return out;
}

}  // namespace zv::zvdata
