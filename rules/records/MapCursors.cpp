#include "rules/records/MapCursors.h"

#include <cstring>

#include "platform/core/Sjis.h"

namespace zv::rules {

namespace {

std::uint8_t* RecordAt(TableDirectory& tables, TableId id, int n) {
    return tables.GetTableBase(id) + static_cast<std::size_t>(n) * tables.GetEntry(id).recordSize;
}

// Stores Shift-JIS text in a fixed field without splitting a double-byte character.
void StoreText(std::uint8_t* record, std::size_t offset, std::size_t width, std::string_view sjis) {
    WriteText(record, offset, width, sjis.substr(0, core::SjisCutLength(sjis, width)));
}

const char* CopyText(char* buffer, const std::uint8_t* record, std::size_t offset,
                     std::size_t width) {
    const std::string_view text = ReadText(record, offset, width);
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return buffer;
}

}  // namespace

// ---- ScenarioHeaderCursor

ScenarioHeaderCursor::ScenarioHeaderCursor(TableDirectory& tables, TableId id)
    : record_(tables.GetTableBase(id)) {}

std::uint8_t* ScenarioHeaderCursor::GetRecord() {
    return record_;
}

const char* ScenarioHeaderCursor::GetTitle() {
    return CopyText(text_, GetRecord(), ScenarioHeaderRecord::kTitle,
                    ScenarioHeaderRecord::kTitleWidth);
}
void ScenarioHeaderCursor::SetTitle(std::string_view sjis) {
    StoreText(GetRecord(), ScenarioHeaderRecord::kTitle, ScenarioHeaderRecord::kTitleWidth, sjis);
}
const char* ScenarioHeaderCursor::GetDescription() {
    return CopyText(text_, GetRecord(), ScenarioHeaderRecord::kDescription,
                    ScenarioHeaderRecord::kDescriptionWidth);
}
void ScenarioHeaderCursor::SetDescription(std::string_view sjis) {
    StoreText(GetRecord(), ScenarioHeaderRecord::kDescription,
              ScenarioHeaderRecord::kDescriptionWidth, sjis);
}

#define ZV_HEADER_U8(Name, Offset)                         \
    std::uint8_t ScenarioHeaderCursor::Get##Name() {       \
        return ReadU8(GetRecord(), Offset);                \
    }                                                      \
    void ScenarioHeaderCursor::Set##Name(std::uint8_t v) { \
        WriteU8(GetRecord(), Offset, v);                   \
    }
#define ZV_HEADER_U16(Name, Offset)                         \
    std::uint16_t ScenarioHeaderCursor::Get##Name() {       \
        return ReadU16(GetRecord(), Offset);                \
    }                                                       \
    void ScenarioHeaderCursor::Set##Name(std::uint16_t v) { \
        WriteU16(GetRecord(), Offset, v);                   \
    }

ZV_HEADER_U16(SaveKind, ScenarioHeaderRecord::kSaveKind)
ZV_HEADER_U8(Day, ScenarioHeaderRecord::kDay)
ZV_HEADER_U8(Daytime, ScenarioHeaderRecord::kDaytime)
ZV_HEADER_U8(Hour, ScenarioHeaderRecord::kHour)
ZV_HEADER_U8(Minute, ScenarioHeaderRecord::kMinute)
ZV_HEADER_U16(Word286, ScenarioHeaderRecord::kWord286)
ZV_HEADER_U8(OptionByte1, ScenarioHeaderRecord::kOptionByte1)
ZV_HEADER_U8(Byte293, ScenarioHeaderRecord::kByte293)
ZV_HEADER_U8(DayLimit, ScenarioHeaderRecord::kDayLimit)
ZV_HEADER_U8(HourLimit, ScenarioHeaderRecord::kHourLimit)
ZV_HEADER_U16(OptionWord, ScenarioHeaderRecord::kOptionWord)
ZV_HEADER_U8(DeployLimit, ScenarioHeaderRecord::kDeployLimit)

#undef ZV_HEADER_U8
#undef ZV_HEADER_U16

std::int32_t ScenarioHeaderCursor::GetInt288() {
    return ReadS32(GetRecord(), ScenarioHeaderRecord::kInt288);
}
void ScenarioHeaderCursor::SetInt288(std::int32_t v) {
    WriteS32(GetRecord(), ScenarioHeaderRecord::kInt288, v);
}

void ScenarioHeaderCursor::Reset() {
    std::uint8_t* r = GetRecord();
    std::memset(r + ScenarioHeaderRecord::kTitle, 0, ScenarioHeaderRecord::kTitleWidth);
    std::memset(r + ScenarioHeaderRecord::kDescription, 0, ScenarioHeaderRecord::kDescriptionWidth);
    SetSaveKind(0);
    SetDay(0);
    SetDaytime(0);
    SetHour(0);
    SetMinute(0);
    SetWord286(0);
    // Only the low half of the value at 288 is cleared: bytes 290 and 291 keep what they hold.
    WriteU16(r, ScenarioHeaderRecord::kInt288, 0);
    SetOptionByte1(1);
    SetByte293(0);
    SetDayLimit(99);
    SetHourLimit(24);
    SetOptionWord(kOptionChangeableAtStart | kOptionProductionInGame | kOptionAlliancesMayChange);
    SetDeployLimit(40);
}

int ScenarioHeaderCursor::AdvanceClock() {
    std::uint8_t minute = static_cast<std::uint8_t>(GetMinute() + 1);
    if (minute < 60) {
        SetMinute(minute);
        return 0;
    }
    std::uint8_t hour = static_cast<std::uint8_t>(GetHour() + 1);
    SetMinute(0);
    int newDay = 0;
    if (hour >= 24) {
        SetDay(static_cast<std::uint8_t>(GetDay() + 1));
        hour = 0;
        newDay = 1;
    }
    SetHour(hour);
    SetDaytime(hour >= 6 && hour <= 17 ? 1 : 0);
    return newDay;
}

int ScenarioHeaderCursor::IsDayLimitPassed() {
    return GetDayLimit() < GetDay() ? 1 : 0;
}

// ---- CountryCursor

CountryCursor::CountryCursor(TableDirectory& tables, TableId id)
    : tables_(&tables), table_(id), record_(tables.GetTableBase(id)) {}

int CountryCursor::Select(int n) {
    if (n < 0 || n >= tables_->GetTableRecordCount(table_)) return 0;
    if (n == index_) return 1;
    index_ = static_cast<std::uint16_t>(n);
    record_ = RecordAt(*tables_, table_, n);
    return 1;
}

std::uint8_t* CountryCursor::GetRecord() {
    return record_;
}

const char* CountryCursor::GetName() {
    return CopyText(name_, GetRecord(), CountryRecord::kName, CountryRecord::kNameWidth);
}
void CountryCursor::SetName(std::string_view sjis) {
    StoreText(GetRecord(), CountryRecord::kName, CountryRecord::kNameWidth, sjis);
}

#define ZV_COUNTRY_FIELD(Name, Type, Read, Write, Offset) \
    Type CountryCursor::Get##Name() {                     \
        return Read(GetRecord(), Offset);                 \
    }                                                     \
    void CountryCursor::Set##Name(Type v) {               \
        Write(GetRecord(), Offset, v);                    \
    }

ZV_COUNTRY_FIELD(Participation, std::uint8_t, ReadU8, WriteU8, CountryRecord::kParticipation)
ZV_COUNTRY_FIELD(State, std::uint8_t, ReadU8, WriteU8, CountryRecord::kState)
ZV_COUNTRY_FIELD(AllianceMask, std::uint8_t, ReadU8, WriteU8, CountryRecord::kAllianceMask)
ZV_COUNTRY_FIELD(Byte27, std::uint8_t, ReadU8, WriteU8, CountryRecord::kByte27)
ZV_COUNTRY_FIELD(Word28, std::uint16_t, ReadU16, WriteU16, CountryRecord::kWord28)
ZV_COUNTRY_FIELD(Word30, std::uint16_t, ReadU16, WriteU16, CountryRecord::kWord30)
ZV_COUNTRY_FIELD(Word32, std::uint16_t, ReadU16, WriteU16, CountryRecord::kWord32)
ZV_COUNTRY_FIELD(Value38, std::int32_t, ReadS32, WriteS32, CountryRecord::kValue38)
ZV_COUNTRY_FIELD(Value42, std::int32_t, ReadS32, WriteS32, CountryRecord::kValue42)
ZV_COUNTRY_FIELD(Value46, std::int32_t, ReadS32, WriteS32, CountryRecord::kValue46)
ZV_COUNTRY_FIELD(Value50, std::int32_t, ReadS32, WriteS32, CountryRecord::kValue50)
ZV_COUNTRY_FIELD(Value54, std::int32_t, ReadS32, WriteS32, CountryRecord::kValue54)
ZV_COUNTRY_FIELD(Word58, std::uint16_t, ReadU16, WriteU16, CountryRecord::kWord58)
ZV_COUNTRY_FIELD(Word60, std::uint16_t, ReadU16, WriteU16, CountryRecord::kWord60)
ZV_COUNTRY_FIELD(Word62, std::uint16_t, ReadU16, WriteU16, CountryRecord::kWord62)
ZV_COUNTRY_FIELD(Flag64, std::uint8_t, ReadU8, WriteU8, CountryRecord::kFlag64)
ZV_COUNTRY_FIELD(Setting82, std::uint16_t, ReadU16, WriteU16, CountryRecord::kSetting82)
ZV_COUNTRY_FIELD(Counter84, std::uint8_t, ReadU8, WriteU8, CountryRecord::kCounter84)

#undef ZV_COUNTRY_FIELD

std::int32_t CountryCursor::GetFunds() {
    return ReadS32(GetRecord(), CountryRecord::kFunds);
}
void CountryCursor::SetFunds(std::int32_t v) {
    WriteS32(GetRecord(), CountryRecord::kFunds, v > kMaxFunds ? kMaxFunds : v);
}
std::uint8_t CountryCursor::GetSetting66(int i) {
    return ReadU8(GetRecord(), CountryRecord::kSetting66 + i);
}
void CountryCursor::SetSetting66(int i, std::uint8_t v) {
    WriteU8(GetRecord(), CountryRecord::kSetting66 + i, v);
}
std::uint8_t CountryCursor::GetOrder72(int i) {
    return ReadU8(GetRecord(), CountryRecord::kOrder72 + i);
}
void CountryCursor::SetOrder72(int i, std::uint8_t v) {
    WriteU8(GetRecord(), CountryRecord::kOrder72 + i, v);
}
void CountryCursor::IncrementCounter84() {
    const std::uint8_t count = GetCounter84();
    if (count != 255) SetCounter84(static_cast<std::uint8_t>(count + 1));
}

void CountryCursor::ResetCountries() {
    static constexpr const char* kNames[kCountryCount] = {"ＢＬＵＥ", "ＲＥＤ", "ＧＲＥＥＮ",
                                                          "ＹＥＬＬＯＷ"};
    static constexpr std::uint8_t kSetting66[6] = {1, 0, 0, 0, 0, 0};
    static constexpr std::uint8_t kOrder72[10] = {1, 2, 3, 4, 5, 0, 0, 0, 0, 0};
    for (int i = 0; i < kCountryCount; ++i) {
        if (!Select(i)) continue;
        SetName(core::Utf8ToSjis(kNames[i]));
        SetParticipation(0);
        SetState(0);
        SetAllianceMask(static_cast<std::uint8_t>(1u << i));
        SetByte27(0);
        SetWord28(0);
        SetWord30(0);
        SetWord32(0);
        SetFunds(1000);
        SetValue38(1000);
        SetValue42(80);
        SetValue46(0);
        SetValue50(1000);
        SetValue54(0);
        SetWord58(0);
        SetWord60(0);
        SetWord62(0);
        SetFlag64(0);
        for (int k = 0; k < 6; ++k) SetSetting66(k, kSetting66[k]);
        for (int k = 0; k < 10; ++k) SetOrder72(k, kOrder72[k]);
        SetSetting82(0xFFFF);
    }
}

// ---- SiteCursor

SiteCursor::SiteCursor(TableDirectory& tables, TableId id)
    : SiteKindCursor(tables), tables_(&tables), table_(id), record_(tables.GetTableBase(id)) {}

std::uint8_t* SiteCursor::GetRecord() {
    return record_;
}

int SiteCursor::Select(int n) {
    if (n < 0 || n >= tables_->GetTableRecordCount(table_)) return 0;
    if (n == index_) return 1;
    index_ = static_cast<std::uint16_t>(n);
    record_ = RecordAt(*tables_, table_, n);
    return 1;
}

std::uint16_t SiteCursor::GetIndex() {
    return index_;
}

#define ZV_SITE_U8(Name, Offset)                 \
    std::uint8_t SiteCursor::Get##Name() {       \
        return ReadU8(GetRecord(), Offset);      \
    }                                            \
    void SiteCursor::Set##Name(std::uint8_t v) { \
        WriteU8(GetRecord(), Offset, v);         \
    }

ZV_SITE_U8(Kind, SiteRecord::kKind)
ZV_SITE_U8(Owner, SiteRecord::kOwner)
ZV_SITE_U8(CaptureDurability, SiteRecord::kCaptureDurability)
ZV_SITE_U8(DestroyDurability, SiteRecord::kDestroyDurability)
ZV_SITE_U8(Supplied, SiteRecord::kSupplied)
ZV_SITE_U8(SearchPenalty, SiteRecord::kSearchPenalty)

#undef ZV_SITE_U8

void SiteCursor::GetHex(std::uint16_t& position) {
    position = ReadU16(GetRecord(), SiteRecord::kHex);
}
void SiteCursor::SetHex(std::uint16_t position) {
    WriteU16(GetRecord(), SiteRecord::kHex, position);
}

void SiteCursor::ClearAllSites() {
    const int count = tables_->GetTableRecordCount(table_);
    for (int n = 0; n < count; ++n) ClearSite(n);
}

void SiteCursor::ClearSite(int n) {
    if (!Select(n)) return;
    SetKind(kFreeSite);
    SetOwner(0xFF);
    SetHex(0xFFFF);
    SetCaptureDurability(0);
    SetDestroyDurability(0);
    SetSupplied(0);
}

void SiteCursor::SetKindAndOwner(int kind, int owner) {
    SetKind(static_cast<std::uint8_t>(kind));
    SetSupplied(kind == 1 ? 1 : 0);
    SetOwner(static_cast<std::uint8_t>(owner));
    const int neutral = owner == kNeutralCountry ? 1 : 0;
    SetDestroyDurability(SiteKindCursor::GetDestroyDurability(neutral));
    SetCaptureDurability(SiteKindCursor::GetCaptureDurability(neutral));
}

std::uint16_t SiteCursor::AddSite(int kind, int owner, std::uint16_t position) {
    const int count = tables_->GetTableRecordCount(table_);
    int free = -1;
    for (int n = 0; n < count; ++n) {
        if (Select(n) && GetKind() == kFreeSite) {
            free = n;
            break;
        }
    }
    if (free < 0) return 0xFFFF;
    if (!SiteKindCursor::Select(kind)) return 0xFFFF;
    SetKindAndOwner(kind, owner);
    SetHex(position);
    return static_cast<std::uint16_t>(free);
}

int SiteCursor::ChangeSite(int site, int kind, int owner) {
    if (!Select(site) || GetKind() == kFreeSite) return 0;
    if (!SiteKindCursor::Select(kind)) return 0;
    SetKindAndOwner(kind, owner);
    return 1;
}

// ---- HexCursor

HexCursor::HexCursor(TableDirectory& tables, TableId id)
    : LandKindCursor(tables), tables_(&tables), table_(id), record_(tables.GetTableBase(id)) {}

std::uint8_t* HexCursor::GetRecord() {
    return record_;
}

int HexCursor::Select(int n) {
    if (n < 0 || n >= tables_->GetTableRecordCount(table_)) return 0;
    if (n == index_) return 1;
    index_ = static_cast<std::uint16_t>(n);
    record_ = RecordAt(*tables_, table_, n);
    return 1;
}

int HexCursor::SelectXY(std::uint16_t position) {
    const std::uint8_t x = static_cast<std::uint8_t>(position & 0xFF);
    const std::uint8_t y = static_cast<std::uint8_t>(position >> 8);
    if (x >= kMapSize || y >= kMapSize) return 0;
    x_ = x;
    y_ = y;
    return Select(x + kMapSize * y);
}

#define ZV_HEX_U8(Name, Offset)                 \
    std::uint8_t HexCursor::Get##Name() {       \
        return ReadU8(GetRecord(), Offset);     \
    }                                           \
    void HexCursor::Set##Name(std::uint8_t v) { \
        WriteU8(GetRecord(), Offset, v);        \
    }

ZV_HEX_U8(LandKind, HexRecord::kLandKind)
ZV_HEX_U8(Road, HexRecord::kRoad)
ZV_HEX_U8(River, HexRecord::kRiver)
ZV_HEX_U8(Country, HexRecord::kCountry)
ZV_HEX_U8(Byte4, HexRecord::kByte4)

#undef ZV_HEX_U8

void HexCursor::ClearRoad() {
    SetRoad(kNoRoad);
}
void HexCursor::ClearRiver() {
    SetRiver(kNoRiver);
}
void HexCursor::ClearCountry() {
    SetCountry(kNoCountry);
}
std::uint8_t HexCursor::GetMarkBits() {
    return ReadU8(GetRecord(), HexRecord::kMarkBits);
}
void HexCursor::SetMarkBits(std::uint8_t bits) {
    WriteU8(GetRecord(), HexRecord::kMarkBits, static_cast<std::uint8_t>(GetMarkBits() | bits));
}
void HexCursor::RemoveMarkBits(std::uint8_t bits) {
    WriteU8(GetRecord(), HexRecord::kMarkBits, static_cast<std::uint8_t>(GetMarkBits() & ~bits));
}
void HexCursor::ClearMarkBits() {
    WriteU8(GetRecord(), HexRecord::kMarkBits, 0);
}

namespace {
constexpr std::uint8_t kPlainKinds[8] = {0, 1, 2, 6, 7, 8, 9, 10};
constexpr std::uint8_t kFirstSnowKind = 21;
}  // namespace

void HexCursor::FromAltLandKind() {
    const std::uint8_t kind = GetLandKind();
    for (int i = 0; i < 8; ++i)
        if (kPlainKinds[i] == kind) SetLandKind(static_cast<std::uint8_t>(kFirstSnowKind + i));
}

void HexCursor::ToAltLandKind() {
    const std::uint8_t kind = GetLandKind();
    if (kind >= kFirstSnowKind && kind < kFirstSnowKind + 8)
        SetLandKind(kPlainKinds[kind - kFirstSnowKind]);
}

void HexCursor::FillAllHexes(std::uint8_t landKind) {
    const int count = tables_->GetTableRecordCount(table_);
    for (int n = 0; n < count; ++n) {
        if (!Select(n)) continue;
        SetLandKind(landKind);
        ClearRoad();
        ClearRiver();
        ClearCountry();
        SetByte4(0);
        ClearMarkBits();
    }
}

}  // namespace zv::rules
