#pragma once

#include <cstdint>
#include <string_view>

#include "rules/context/TableDirectory.h"
#include "rules/records/MapRecords.h"
#include "rules/records/RuleCursors.h"

namespace zv::rules {

// Cursors over the map-state tables. Each reaches its record through the virtual GetRecord,
// and each is built on a table id, so the same code runs on the live tables and on the shadow
// copies (ShadowOf(id)).

class ScenarioHeaderCursor {
  public:
    explicit ScenarioHeaderCursor(TableDirectory& tables, TableId id = TableId::ScenarioHeader);
    virtual ~ScenarioHeaderCursor() = default;
    virtual std::uint8_t* GetRecord();

    // Both text getters share the cursor's buffer; the text stays valid until the next call.
    const char* GetTitle();
    void SetTitle(std::string_view sjis);
    const char* GetDescription();
    void SetDescription(std::string_view sjis);
    std::uint16_t GetSaveKind();
    void SetSaveKind(std::uint16_t v);
    std::uint8_t GetDay();
    void SetDay(std::uint8_t v);
    std::uint8_t GetDaytime();
    void SetDaytime(std::uint8_t v);
    std::uint8_t GetHour();
    void SetHour(std::uint8_t v);
    std::uint8_t GetMinute();
    void SetMinute(std::uint8_t v);
    // Accessors named by offset keep the names other modules call them by; each says its byte.
    // 286, 288 and 293: no meaning in the rules, kept in files.
    std::uint16_t GetWord286();
    void SetWord286(std::uint16_t v);
    std::int32_t GetInt288();
    void SetInt288(std::int32_t v);
    // 292: 索敵あり, fog of war in force.
    std::uint8_t GetOptionByte1();
    void SetOptionByte1(std::uint8_t v);
    std::uint8_t GetByte293();
    void SetByte293(std::uint8_t v);
    std::uint8_t GetDayLimit();
    void SetDayLimit(std::uint8_t v);
    std::uint8_t GetHourLimit();
    void SetHourLimit(std::uint8_t v);
    std::uint16_t GetOptionWord();
    void SetOptionWord(std::uint16_t v);
    std::uint8_t GetDeployLimit();
    void SetDeployLimit(std::uint8_t v);

    // An empty map's header: texts cleared, clock 0, fog on, day 99 hour 24, options 7, 40
    // troops. Bytes 290, 291 and 299 keep their values (so the value at 288 is 0 only when
    // its high half already was).
    void Reset();
    // One game minute; 1 when a new day began.
    int AdvanceClock();
    int IsDayLimitPassed();

  private:
    std::uint8_t* record_;
    char text_[257] = {};
};

class CountryCursor {
  public:
    explicit CountryCursor(TableDirectory& tables, TableId id = TableId::Country);
    virtual ~CountryCursor() = default;
    virtual int Select(int n);
    virtual std::uint8_t* GetRecord();
    std::uint16_t GetCountryIndex() const { return index_; }

    const char* GetName();
    void SetName(std::string_view sjis);
    std::uint8_t GetParticipation();
    void SetParticipation(std::uint8_t v);
    std::uint8_t GetState();
    void SetState(std::uint8_t v);
    std::uint8_t GetAllianceMask();
    void SetAllianceMask(std::uint8_t v);
    // 27, 28, 30, 32: no meaning in the rules, kept in files.
    std::uint8_t GetByte27();
    void SetByte27(std::uint8_t v);
    std::uint16_t GetWord28();
    void SetWord28(std::uint16_t v);
    std::uint16_t GetWord30();
    void SetWord30(std::uint16_t v);
    std::uint16_t GetWord32();
    void SetWord32(std::uint16_t v);
    std::int32_t GetFunds();
    // Caps at 999999999; negative values are stored as they are.
    void SetFunds(std::int32_t v);
    // 38: funds while the computer plays the country; 42: production limit; 46: supplies gained
    // from captured sites; 50, 54, 58, 60, 62: no meaning in the rules; 64: music number.
    std::int32_t GetValue38();
    void SetValue38(std::int32_t v);
    std::int32_t GetComputerFunds() { return GetValue38(); }
    void SetComputerFunds(std::int32_t v) { SetValue38(v); }
    std::int32_t GetValue42();
    void SetValue42(std::int32_t v);
    std::int32_t GetProductionLimit() { return GetValue42(); }
    void SetProductionLimit(std::int32_t v) { SetValue42(v); }
    std::int32_t GetValue46();
    void SetValue46(std::int32_t v);
    std::int32_t GetValue50();
    void SetValue50(std::int32_t v);
    std::int32_t GetValue54();
    void SetValue54(std::int32_t v);
    std::uint16_t GetWord58();
    void SetWord58(std::uint16_t v);
    std::uint16_t GetWord60();
    void SetWord60(std::uint16_t v);
    std::uint16_t GetWord62();
    void SetWord62(std::uint16_t v);
    std::uint8_t GetFlag64();
    void SetFlag64(std::uint8_t v);
    // Index 0-5 and 0-9; unchecked beyond, as the callers pass indexes within the arrays.
    std::uint8_t GetSetting66(int i);
    void SetSetting66(int i, std::uint8_t v);
    std::uint8_t GetOrder72(int i);
    void SetOrder72(int i, std::uint8_t v);
    std::uint16_t GetSetting82();
    void SetSetting82(std::uint16_t v);
    std::uint8_t GetCounter84();
    void SetCounter84(std::uint8_t v);
    // Adds 1 unless the counter is 255.
    void IncrementCounter84();

    // Writes the defaults of a new map into all four countries (names ＢＬＵＥ ...).
    void ResetCountries();

  private:
    TableDirectory* tables_;
    TableId table_;
    std::uint16_t index_ = 0;
    std::uint8_t* record_;
    char name_[25] = {};
};

class SiteCursor : public virtual SiteKindCursor {
  public:
    explicit SiteCursor(TableDirectory& tables, TableId id = TableId::Site);
    virtual ~SiteCursor() = default;
    virtual std::uint8_t* GetRecord();
    virtual int Select(int n);
    virtual std::uint16_t GetIndex();

    std::uint8_t GetKind();
    void SetKind(std::uint8_t v);
    std::uint8_t GetOwner();
    void SetOwner(std::uint8_t v);
    void GetHex(std::uint16_t& position);
    void SetHex(std::uint16_t position);
    std::uint8_t GetCaptureDurability();
    void SetCaptureDurability(std::uint8_t v);
    std::uint8_t GetDestroyDurability();
    void SetDestroyDurability(std::uint8_t v);
    std::uint8_t GetSupplied();
    void SetSupplied(std::uint8_t v);
    std::uint8_t GetSearchPenalty();
    void SetSearchPenalty(std::uint8_t v);

    // Frees all 200 records (byte 7 keeps its value).
    void ClearAllSites();
    // Frees site n when it can be selected.
    void ClearSite(int n);
    // Takes the first free record; 0xFFFF when all are taken or the kind does not exist.
    std::uint16_t AddSite(int kind, int owner, std::uint16_t position);
    // Gives a used site a new kind and owner; 0 when the site or the kind cannot be selected.
    int ChangeSite(int site, int kind, int owner);

  private:
    TableDirectory* tables_;
    TableId table_;
    void SetKindAndOwner(int kind, int owner);

    std::uint16_t index_ = 0;
    std::uint8_t* record_;
};

class HexCursor : public virtual LandKindCursor {
  public:
    explicit HexCursor(TableDirectory& tables, TableId id = TableId::Hex);
    virtual ~HexCursor() = default;
    virtual std::uint8_t* GetRecord();
    virtual int Select(int n);
    // x in the low byte, y in the high byte; 0 when either is 64 or more.
    virtual int SelectXY(std::uint16_t position);
    std::uint16_t GetHexIndex() const { return index_; }

    std::uint8_t GetLandKind();
    void SetLandKind(std::uint8_t v);
    std::uint8_t GetRoad();
    void SetRoad(std::uint8_t v);
    void ClearRoad();
    std::uint8_t GetRiver();
    void SetRiver(std::uint8_t v);
    void ClearRiver();
    std::uint8_t GetCountry();
    void SetCountry(std::uint8_t v);
    void ClearCountry();
    // 4: shore style, the row of the map view's shore sheet.
    std::uint8_t GetByte4();
    void SetByte4(std::uint8_t v);
    std::uint8_t GetShoreStyle() { return GetByte4(); }
    void SetShoreStyle(std::uint8_t v) { SetByte4(v); }
    std::uint8_t GetMarkBits();
    void SetMarkBits(std::uint8_t bits);     // OR
    void RemoveMarkBits(std::uint8_t bits);  // AND NOT
    void ClearMarkBits();
    // Snow forms: 0, 1, 2, 6, 7, 8, 9, 10 <-> 21-28; other land kinds stay.
    void FromAltLandKind();
    void ToAltLandKind();

    // Every hex: land kind k, no road, no river, no country, bytes 4 and 5 zero.
    void FillAllHexes(std::uint8_t landKind);

  private:
    TableDirectory* tables_;
    TableId table_;
    std::uint16_t index_ = 0;
    std::uint8_t x_ = 0;
    std::uint8_t y_ = 0;
    std::uint8_t* record_;
};

}  // namespace zv::rules
