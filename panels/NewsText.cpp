#include "panels/NewsText.h"

#include <array>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "framework/gui/TextFields.h"
#include "platform/core/Sjis.h"
#include "rules/context/TableDirectory.h"
#include "rules/records/TroopCursor.h"

namespace zv::panels {

namespace {

using rules::NewsRecord;

constexpr std::array<const char*, 13> kOrderNames = {
    "移動", "補給", "攻撃", "輸送", "占領", "搭乗", "射撃", "発進", "爆撃", "変形", "武装", "分散", "解散"};
constexpr std::array<const char*, 6> kSiteKindNames = {"首都", "大都市", "都市", "町", "空港", "港"};
constexpr std::array<const char*, 4> kCountryNames = {"BLUE", "RED", "GREEN", "YELLOW"};
constexpr std::size_t kCellBytes = 255;

// A Shift-JIS copy of a UTF-8 literal, made once.
const char* Sjis(const char* utf8) {
    thread_local std::vector<std::pair<const char*, std::string>> cache;
    for (const auto& [key, value] : cache)
        if (key == utf8) return value.c_str();
    cache.emplace_back(utf8, core::Utf8ToSjis(utf8));
    return cache.back().second.c_str();
}

// The format with its %s and %Nd / %d fields replaced by the arguments in order (numbers come
// as their decimal text and are right-aligned to the field's width).
std::string Fill(const char* sjisFormat, std::initializer_list<std::string> args) {
    std::string out;
    auto arg = args.begin();
    for (const char* p = sjisFormat; *p != 0; ++p) {
        if (*p != '%') {
            out.push_back(*p);
            continue;
        }
        std::size_t width = 0;
        ++p;
        while (*p >= '0' && *p <= '9') width = width * 10 + std::size_t(*p++ - '0');
        if (*p == 0) break;
        if (*p == '%') {
            out.push_back('%');
            continue;
        }
        const std::string value = arg != args.end() ? *arg++ : std::string();
        if (value.size() < width) out.append(width - value.size(), ' ');
        out += value;
    }
    return out;
}

std::string Num(int v) {
    return std::to_string(v);
}

std::string& Buffer(int which) {
    thread_local std::array<std::string, 3> buffers;
    return buffers[std::size_t(which)];
}

const char* Keep(int which, std::string text) {
    std::string& buffer = Buffer(which);
    if (text.size() > kCellBytes) text.resize(core::SjisCutLength(text, kCellBytes));
    buffer = std::move(text);
    return buffer.c_str();
}

// The name and country of a troop, as the troop table has them now.
struct TroopWords {
    bool ok = false;
    std::string name;
    int country = 0xFF;
};

TroopWords ReadTroop(rules::TableDirectory& tables, std::uint16_t index) {
    TroopWords w;
    rules::TroopCursor troops(tables);
    if (!troops.Select(index)) return w;
    w.ok = true;
    w.name = troops.GetName();
    w.country = troops.GetCountry();
    return w;
}

// "<country>国の<name>" pieces of a sentence.
std::string CountryOf(const TroopWords& t) {
    return NewsCountryName(t.country);
}

// The name of the troop named `which`-th in the list cell: the record's cache when it holds
// one, else the troop table's, which then fills the cache. False when neither is there.
bool CachedName(rules::TableDirectory& tables, NewsRecord* record, int which,
                std::uint16_t troop, std::string* name) {
    char cached[rules::kNewsNameCacheSize + 1];
    if (record->HasCachedName(which)) {
        record->GetCachedName(which, cached);
        *name = cached;
        return true;
    }
    const TroopWords w = ReadTroop(tables, troop);
    if (!w.ok) return false;
    record->SetCachedName(which, w.name.c_str());
    record->GetCachedName(which, cached);
    *name = cached;
    return true;
}

}  // namespace

const char* NewsCountryName(int country) {
    if (country >= 0 && country < int(kCountryNames.size())) return kCountryNames[size_t(country)];
    return Sjis("中立");
}

const char* NewsOrderName(int order) {
    if (order >= 0 && order < int(kOrderNames.size())) return Sjis(kOrderNames[size_t(order)]);
    return "";
}

const char* NewsSiteKindName(int siteIcon) {
    return Sjis(kSiteKindNames[size_t(siteIcon % 6)]);
}

const char* FormatNewsSentence(rules::TableDirectory& tables, NewsRecord record) {
    const int kind = record.Kind();
    if (kind > rules::kNewsDisbanded) return Keep(0, "");
    const TroopWords first = ReadTroop(tables, record.FirstTroop());
    if (!first.ok) return nullptr;
    const bool needsSecond = kind == rules::kNewsAttacked ? record.SecondIcon() != rules::kNewsUnidentified
                             : kind == rules::kNewsWasAttacked ? true
                             : kind == rules::kNewsBoarded || kind == rules::kNewsLaunched;
    TroopWords second;
    if (needsSecond) {
        second = ReadTroop(tables, record.SecondTroop());
        if (!second.ok) return nullptr;
    }
    switch (kind) {
        case rules::kNewsCrashed:
        case rules::kNewsBombing:
        case rules::kNewsTransformed:
        case rules::kNewsDisbanded:
            if (first.country == 0xFF) return nullptr;
            break;
        default:
            break;
    }
    std::string text;
    switch (kind) {
        case rules::kNewsGoalReached:
            text = Fill(Sjis("%s国の%sは、%s目標に到着。"),
                        {CountryOf(first), first.name, NewsOrderName(record.SubIndex())});
            break;
        case rules::kNewsOccupied:
            text = Fill(Sjis("%s国の%sは、%sを占領した。"),
                        {CountryOf(first), first.name, NewsSiteKindName(record.SubIndex())});
            break;
        case rules::kNewsSiteTaken:
            text = Fill(Sjis("%sを、%s国の%sに、占領された。"),
                        {NewsSiteKindName(record.SubIndex()), CountryOf(first), first.name});
            break;
        case rules::kNewsAttacked:
            text = Fill(Sjis("%s国の%sは、"), {CountryOf(first), first.name});
            text += record.SecondIcon() == rules::kNewsUnidentified
                        ? std::string(Sjis("未確認部隊を攻撃。"))
                        : Fill(Sjis("%s国の%sを攻撃。"), {CountryOf(second), second.name});
            break;
        case rules::kNewsWasAttacked:
            // The player's troop (the target) leads the sentence.
            text = Fill(Sjis("%s国の%sは、"), {CountryOf(second), second.name});
            text += record.FirstIcon() == rules::kNewsUnidentified
                        ? std::string(Sjis("未確認部隊から攻撃された。"))
                        : Fill(Sjis("%s国の%sから攻撃された。"), {CountryOf(first), first.name});
            break;
        case rules::kNewsCrashed:
            text = Fill(Sjis("%s国の%sは、墜落。"), {CountryOf(first), first.name});
            break;
        case rules::kNewsBoarded:
            text = Fill(Sjis("%sを%sに格納した。"), {first.name, second.name});
            break;
        case rules::kNewsLaunched:
            text = Fill(Sjis("%sは、%sから発進した。"), {first.name, second.name});
            break;
        case rules::kNewsBombing:
            text = Fill(Sjis(record.Value() != 0 ? "%s国の%sは、爆撃に成功。"
                                                 : "%s国の%sは、爆撃に失敗。"),
                        {CountryOf(first), first.name});
            break;
        case rules::kNewsTransformed:
            text = Fill(Sjis("%s国の%sは、変形。"), {CountryOf(first), first.name});
            break;
        case rules::kNewsDisbanded:
            text = Fill(Sjis("%s国の%sは、解散。"), {CountryOf(first), first.name});
            break;
        default:
            break;
    }
    if (text.size() > kCellBytes) text.resize(core::SjisCutLength(text, kCellBytes));
    return Keep(0, fw::StripSpaces(text.c_str()));
}

const char* FormatNewsListText(rules::TableDirectory& tables, NewsRecord* record) {
    Buffer(1).clear();
    if (record == nullptr) return nullptr;
    const int kind = record->Kind();
    // Which troop is named first and second in the cell, and the text that names them.
    std::uint16_t firstTroop = record->FirstTroop();
    std::uint16_t secondTroop = rules::kNoTroop;
    bool two = false;
    const char* format = nullptr;
    std::string kindZero;
    switch (kind) {
        case rules::kNewsGoalReached:
            kindZero = std::string(Sjis(" 　 %sは、")) + NewsOrderName(record->SubIndex()) +
                       Sjis("目標に到着");
            format = kindZero.c_str();
            break;
        case rules::kNewsOccupied: format = Sjis(" 　 %sは、 　 を占領しました"); break;
        case rules::kNewsSiteTaken: format = Sjis(" 　 を 　 %sに、占領された"); break;
        case rules::kNewsAttacked:
            two = record->SecondIcon() != rules::kNewsUnidentified;
            secondTroop = record->SecondTroop();
            format = two ? Sjis(" 　 %sは、 　 %sを攻撃") : Sjis(" 　 %sは、未確認部隊を攻撃");
            break;
        case rules::kNewsWasAttacked:
            firstTroop = record->SecondTroop();
            secondTroop = record->FirstTroop();
            two = record->FirstIcon() != rules::kNewsUnidentified;
            format = two ? Sjis(" 　 %sは、 　 %sから攻撃された")
                         : Sjis(" 　 %sは、未確認部隊から攻撃された");
            break;
        case rules::kNewsCrashed: format = Sjis(" 　 %sは、墜落"); break;
        case rules::kNewsBoarded:
            two = true;
            secondTroop = record->SecondTroop();
            format = Sjis(" 　 %sを 　 %sに格納した");
            break;
        case rules::kNewsLaunched:
            two = true;
            secondTroop = record->SecondTroop();
            format = Sjis(" 　 %sは、 　 %sから発進した");
            break;
        case rules::kNewsBombing:
            format = record->Value() != 0 ? Sjis(" 　 %sは、 　 の爆撃に成功")
                                          : Sjis(" 　 %sは、 　 の爆撃に失敗");
            break;
        case rules::kNewsTransformed: format = Sjis(" 　 %sは、 　 に変形"); break;
        case rules::kNewsDisbanded: format = Sjis(" 　 %sは、解散"); break;
        default: return Keep(1, "");
    }
    std::string firstName, secondName;
    if (!CachedName(tables, record, 0, firstTroop, &firstName)) return nullptr;
    if (two && !CachedName(tables, record, 1, secondTroop, &secondName)) return nullptr;
    return Keep(1, two ? Fill(format, {firstName, secondName}) : Fill(format, {firstName}));
}

const char* FormatNewsResultText(const NewsRecord* record) {
    if (record == nullptr) return Keep(2, "");
    const char* pair = Sjis("結果 　 %d→%d");
    const char* twoPairs = Sjis("結果 　 %d→%d、 　 %d→%d");
    const int a0 = record->FirstUnitsBefore(), a1 = record->FirstUnitsAfter();
    const int b0 = record->SecondUnitsBefore(), b1 = record->SecondUnitsAfter();
    switch (record->Kind()) {
        case rules::kNewsAttacked:
            if (record->SecondIcon() != rules::kNewsUnidentified)
                return Keep(2, Fill(twoPairs, {Num(a0), Num(a1), Num(b0), Num(b1)}));
            return Keep(2, Fill(pair, {Num(a0), Num(a1)}));
        case rules::kNewsWasAttacked:
            // The player's troop is the target: its counts come first.
            if (record->FirstIcon() != rules::kNewsUnidentified)
                return Keep(2, Fill(twoPairs, {Num(b0), Num(b1), Num(a0), Num(a1)}));
            return Keep(2, Fill(pair, {Num(b0), Num(b1)}));
        case rules::kNewsOccupied:
            if (record->Value() != 0)
                return Keep(2, Fill(Sjis("結果    収益 %5d"), {Num(record->Value())}));
            return Keep(2, "");
        default:
            return Keep(2, "");
    }
}

std::string NewsTimeText(const NewsRecord& record) {
    char text[32];
    std::snprintf(text, sizeof text, "%03d/%02d:%02d", record.TimeHours() / 24,
                  record.TimeHours() % 24, record.Minute());
    return text;
}

std::string NewsPlaceText(const NewsRecord& record) {
    char text[32];
    std::snprintf(text, sizeof text, "X%2d,Y%2d", record.HexX(), record.HexY());
    return text;
}

}  // namespace zv::panels
