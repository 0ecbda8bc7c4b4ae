// The page painters of the troop display windows: six member panels, then the page area.

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/gui/GdiHelpers.h"
#include "organize/OrganizeState.h"
#include "organize/OrganizeWorld.h"
#include "organize/TroopDisplayInternal.h"
#include "platform/ui/Window.h"
#include "rules/records/RuleCursors.h"
#include "rules/troops/TroopMembers.h"
#include "rules/troops/TroopQueries.h"
#include "rules/records/TroopCursor.h"
#include "shell/PictureHelpers.h"
#include "shell/skin/SkinControls.h"

namespace zv::organize::detail {

namespace {

PageRecording* gRecording = nullptr;

rules::TableDirectory& Tables() { return *CurrentOrganizeWorld()->tables; }

// GetFuelRangeSteps's answer when no member's range is bound by fuel.
constexpr std::uint16_t kNoFuelLimit = 0xFFFF;

int PX(int x) { return kPageX + x; }
int PY(int y) { return kPageY + y; }

std::string Sjis(const char* utf8) { return ToSjis(utf8); }


void MemberPicture(DisplayState& s, rules::TroopCursor& t, int slot) {
    const PanelOrigin o = kPanelOrigins[slot];
    const int cls = t.GetAltitudeClass();
    shell::LoadUnitPicture(s.picture.get(), t.GetSilhouette(), t.GetMaxStrength(), o.x, o.y,
                           cls == 4 || cls == 5 ? 2 : 1, 1, kPanelWidth);
}

void MemberName(DisplayState& s, rules::TroopCursor& t, int slot) {
    const PanelOrigin o = kPanelOrigins[slot];
    const char* name = t.UnitInfoCursor::GetName();
    Text(s, o.x + 4, o.y + 2, std::string(name, strnlen(name, 24)));
}

void RowLabel(DisplayState& s, int slot) {
    const PanelOrigin o = kPanelOrigins[slot];
    Text(s, o.x + 124, o.y + 44, Sjis(slot < 3 ? "前衛" : "後衛"), kLabel);
}

void RestorePanel(DisplayState& s, int slot) {
    const PanelOrigin o = kPanelOrigins[slot];
    RestoreFromCache(s, o.x, o.y, kPanelWidth, kPanelHeight);
}

// Restores a member panel from the page cache; when its slot shows a unit (the troop's unit
// cursor is then on it), draws the member's picture (when asked) and name and gives the origin.
bool BeginPanel(DisplayState& s, rules::TroopCursor& t, int slot, bool picture, PanelOrigin* o) {
    RestorePanel(s, slot);
    if (!rules::SelectSlotUnit(t, slot)) return false;
    *o = kPanelOrigins[slot];
    if (picture) MemberPicture(s, t, slot);
    MemberName(s, t, slot);
    return true;
}

// Capability icons of skill.bmp with their values; bit 0 shows the carrying capacity, bits 1-4
// the weight.
void Capabilities(DisplayState& s, std::uint32_t flags, int maxIcons, int columns, int x0, int dx,
                  int y0, int dy, int vx, int vy, long carry, long weight) {
    fw::Dib skill("skill.bmp");
    const int icons = skill.HasBits() ? skill.GetWidth() / 48 : 0;
    int n = 0;
    for (int bit = 0; bit < icons && bit < 16 && n < maxIcons; ++bit) {
        if (!(flags & (1u << bit))) continue;
        const int x = x0 + dx * (n % columns);
        const int y = y0 + dy * (n / columns);
        fw::HvDIBitBlt(s.picture.get(), x, y, 48, 16, &skill, 48 * bit, 0, 0);
        if (gRecording) gRecording->icons.push_back({x, y});
        const int tx = vx + dx * (n % columns);
        const int ty = vy + dy * (n / columns);
        if (bit == 0) TextF(s, tx, ty, kWhite, "%3d", carry);
        else if (bit <= 4) TextF(s, tx, ty, kWhite, "%3d", weight);
        ++n;
    }
}

// ---- page 0 -------------------------------------------------------------------------------

void PaintInformationPanel(DisplayState& s, rules::TroopCursor& t, int slot) {
    PanelOrigin o;
    if (!BeginPanel(s, t, slot, true, &o)) return;
    RowLabel(s, slot);
    TextF(s, o.x + 28, o.y + 60, kWhite, "%d", t.GetMemberStrength(slot));
    TextF(s, o.x + 40, o.y + 60, kWhite, "%d", t.GetMaxStrength());
    const int pack = PackSelection(s, slot);
    rules::SelectSlotUnit(t, slot);
    const long packFuel = t.GetPackFuel(pack);
    long fuel = t.GetMemberFuel(slot);
    if (s.organize) {
        t.SetMemberFuel(slot, std::uint16_t(packFuel));
        fuel = packFuel;
    }
    TextF(s, o.x + 80, o.y + 60, kWhite, "%5d", fuel);
    TextF(s, o.x + 116, o.y + 60, kWhite, "%5d", packFuel);
    // The member's durability dealt out one point at a time, earlier machines first.
    const int d = t.GetDurabilityPerUnit();
    const int total = t.GetMemberDurability(slot);
    const int n = std::min<int>(t.GetMemberStrength(slot), 8);
    const int machines = t.GetMaxStrength();
    for (int m = 0; m < n; ++m) {
        const int current = total / n + (m < total % n ? 1 : 0);
        char text[32];
        int x = 0, y = 0;
        if (machines <= 2) {
            std::snprintf(text, sizeof text, "%4d/%4d", current, d);
            x = 8 + 72 * m;
            y = 76;
        } else if (machines <= 4) {
            std::snprintf(text, sizeof text, "%3d/%3d", current, d);
            x = 8 + 72 * (m % 2);
            y = 76 + 18 * (m / 2);
        } else {
            std::snprintf(text, sizeof text, "%2d/%2d", current, d);
            x = 8 + 36 * (m % 4);
            y = 76 + 18 * (m / 4);
        }
        Text(s, o.x + x, o.y + y, text);
    }
    TextF(s, o.x + 28, o.y + 108, kWhite, "%7d", t.GetPrice());
    TextF(s, o.x + 104, o.y + 108, kWhite, "%7d", t.GetPriceWithSurcharge());
}

void PaintInformationPage(DisplayState& s, rules::TroopCursor& t) {
    for (int slot = 0; slot < 6; ++slot) PaintInformationPanel(s, t, slot);
    static constexpr const char* kAltitudes[5] = {"航空", "ヘリ", "陸上", "海上", "海中"};
    const int c = t.RefreshAltitudeClass();
    if (c >= 1 && c <= 5) Text(s, PX(60), PY(8), Sjis(kAltitudes[c - 1]));
    else Text(s, PX(60), PY(8), "--", kRed);
    static constexpr const char* kModes[6] = {"攻撃型", "占領型", "索敵型", "輸送型", "補給型", "支援型"};
    const auto mode = ui::SendMessage(ui::GetDlgItem(s.window, kIdModeList), zv::WM_SKIN_GET_CURSEL, 0, 0);
    if (mode >= 0 && mode <= 5) Text(s, PX(124), PY(8), Sjis(kModes[mode]));
    const int v = rules::GetBaseTerrainMoveCost(t, 1);
    if (v == 255) Text(s, PX(232), PY(8), "--", kRed);
    else TextF(s, PX(232), PY(8), kWhite, "%2d", v);
    TextF(s, PX(308), PY(8), kWhite, "%5d", rules::GetMinMemberPackFuel(t));
    TextF(s, PX(84), PY(32), kWhite, "%8d", rules::SumMemberValueA(t));
    TextF(s, PX(220), PY(32), kWhite, "%8d", rules::SumMemberValueB(t));
    const std::uint16_t flags = rules::GetCapabilityFlags(t);
    const long carry = t.SumCapableMembers();
    const long weight = long(rules::SumMemberWeight(t));
    Capabilities(s, flags, 8, 4, PX(8), 84, PY(56), 20, PX(60), PY(60), carry, weight);
    DrawTroopIconGrid(s, -1, -1);
}

// ---- page 1 -------------------------------------------------------------------------------

void PaintCharacteristicsPanel(DisplayState& s, rules::TroopCursor& t, int slot) {
    PanelOrigin o;
    if (!BeginPanel(s, t, slot, true, &o)) return;
    rules::UnitKindCursor kinds(Tables());
    if (kinds.Select(t.GetUnitKind())) {
        const char* name = kinds.GetName();
        Text(s, o.x + 36, o.y + 54, std::string(name, strnlen(name, 24)));
    }
    const std::uint16_t flags = t.UnitInfoCursor::GetCapabilityFlags(t.GetMemberPack(slot));
    Capabilities(s, flags, 4, 2, o.x + 4, 76, o.y + 76, 24, o.x + 56, o.y + 78, t.GetCarryWeightTotal(),
                 t.GetWeight());
}

void PaintCharacteristicsPage(DisplayState& s, rules::TroopCursor& t) {
    for (int slot = 0; slot < 6; ++slot) PaintCharacteristicsPanel(s, t, slot);
    const std::uint16_t flags = rules::GetCapabilityFlags(t);
    const long carry = t.SumCapableMembers();
    const long weight = long(rules::SumMemberWeight(t));
    Capabilities(s, flags, 12, 4, PX(32), 108, PY(12), 32, PX(84), PY(16), carry, weight);
}

// ---- pages 2 and 3 ------------------------------------------------------------------------

void PaintAttackPage(DisplayState& s, rules::TroopCursor& t) {
    rules::WeaponKdCursor weapons(Tables());
    for (int slot = 0; slot < 6; ++slot) {
        PanelOrigin o;
        if (!BeginPanel(s, t, slot, true, &o)) continue;
        const int pack = PackSelection(s, slot);
        rules::SelectSlotUnit(t, slot);
        for (int n = 0; n < 10; ++n) {
            int q = 0;
            for (int w = 0; w < 6; ++w) {
                if (!weapons.Select(t.GetWeaponId(w)) || t.GetPackAmmo(pack, w) == 0) continue;
                q = std::max<int>(q, weapons.GetHitRate(n));
            }
            Bar(s, o.x + 16 + 76 * (n / 5), o.y + 54 + 14 * (n % 5), q * 40 / 100, 8, 0, 40);
            TextF(s, o.x + 60 + 76 * (n / 5), o.y + 52 + 14 * (n % 5), kWhite, "%2d", q);
        }
    }
    for (int c = 0; c < 10; ++c) {
        const int y = 8 + 20 * (c % 5);
        const int x = 232 * (c / 5);
        const int v = rules::GetBestMemberHitRate(t, c, 0);
        Bar(s, PX(40 + x), PY(y), v * 160 / 100, 12, 40, 160);
        TextF(s, PX(204 + x), PY(y), kWhite, "%3d", v);
        // The weakest member's best rate over the strongest's.
        const std::uint16_t low = rules::GetLowestMemberHitRate(t, c, 0);
        const int w = low == 0xFFFE ? v : low;
        if (w != v) Bar(s, PX(40 + x), PY(y), w * 160 / 100, 12, 64, 160);
    }
}

void PaintDefencePage(DisplayState& s, rules::TroopCursor& t) {
    for (int slot = 0; slot < 6; ++slot) {
        PanelOrigin o;
        if (!BeginPanel(s, t, slot, true, &o)) continue;
        for (int i = 0; i < 10; ++i) {
            const int m = t.GetDefenceRate(i);
            Bar(s, o.x + 16 + 76 * (i / 5), o.y + 54 + 14 * (i % 5), m * 40 / 100, 8, 0, 40);
            TextF(s, o.x + 60 + 76 * (i / 5), o.y + 52 + 14 * (i % 5), kWhite, "%2d", m);
        }
    }
    for (int c = 0; c < 10; ++c) {
        const int y = 8 + 20 * (c % 5);
        const int x = 232 * (c / 5);
        const int high = rules::GetMaxDefenceRate(t, c);
        const int mean = rules::GetMeanDefenceRate(t, c);
        const int low = rules::GetMinDefenceRate(t, c);
        Bar(s, PX(40 + x), PY(y), high * 160 / 100, 12, 40, 160);
        TextF(s, PX(204 + x), PY(y), kWhite, "%3d", high);
        if (low != high) {
            Bar(s, PX(40 + x), PY(y), mean * 160 / 100, 12, 88, 160);
            Bar(s, PX(40 + x), PY(y), low * 160 / 100, 12, 64, 160);
        }
    }
}

// ---- page 4 -------------------------------------------------------------------------------

void Cost(DisplayState& s, int x, int y, int v) {
    if (v == 0 || v == 255) Text(s, x, y, "--", kRed);
    else TextF(s, x, y, kWhite, "%2d", v);
}

void PaintMovementPage(DisplayState& s, rules::TroopCursor& t) {
    for (int slot = 0; slot < 6; ++slot) {
        PanelOrigin o;
        if (!BeginPanel(s, t, slot, false, &o)) continue;
        const int pack = PackSelection(s, slot);
        rules::SelectSlotUnit(t, slot);
        const long fuel = t.GetPackFuel(pack);
        const int cls = t.GetAltitudeClass();
        for (int i = 0; i <= 20; ++i) {
            Cost(s, o.x + 8 + 20 * (i % 7), o.y + 34 + 30 * (i / 7), rules::GetMemberMoveCost(t, slot, i));
        }
        const int c = rules::GetMemberMoveCost(t, slot, cls == 4 || cls == 5 ? 5 : 0);
        if (c != 0 && c != 255) TextF(s, o.x + 120, o.y + 110, kWhite, "%4d", fuel / c);
        else Text(s, o.x + 120, o.y + 110, "----", kRed);
    }
    rules::RefreshMoveCostTable(t);
    for (int i = 0; i <= 20; ++i) {
        const int v = rules::GetMoveCost(t, i);
        if (i < 12) Cost(s, PX(60 + 76 * (i % 6)), PY(6 + 20 * (i / 6)), v);
        else Cost(s, PX(60 + 76 * ((i - 12) % 3)), PY(46 + 20 * ((i - 12) / 3)), v);
    }
    const int a = rules::GetBaseTerrainMoveCost(t, 0);
    const int b = rules::GetBaseTerrainMoveCost(t, 1);
    if (a == 255) {
        Text(s, PX(440), PY(50), " ---", kRed);
    } else {
        if (b != 255) Bar(s, PX(280), PY(50), 160, 12, 76, 160);
        if (a != 0 && b != a && b != 0) Bar(s, PX(280), PY(50), a * 160 / b, 12, 88, 160);
        TextF(s, PX(440), PY(50), kWhite, "%4d", a);
    }
    std::uint16_t q = 0;
    const std::uint16_t r = rules::GetFuelRangeSteps(t, &q);
    const bool haveQ = q != 0 && q != kNoFuelLimit;
    const bool haveR = r != 0 && r != kNoFuelLimit;
    if (haveQ) {
        Bar(s, PX(280), PY(68), 160, 12, 76, 160);
        if (haveR && r != q) Bar(s, PX(280), PY(68), r * 160 / q, 12, 88, 160);
        TextF(s, PX(440), PY(68), kWhite, "%4d", q);
    } else {
        Text(s, PX(440), PY(68), "----", kRed);
    }
    TextF(s, PX(312), PY(86), kWhite, "%6d", rules::GetMinMemberPackFuel(t));
    if (haveR) TextF(s, PX(430), PY(86), kWhite, "%4d", r);
    else Text(s, PX(430), PY(86), "----", kRed);
}

// ---- pages 5 and 6 ------------------------------------------------------------------------

// A bar that ends at `right` (its last column is right - 1).
void RightBar(DisplayState& s, int right, int y, int length, int height, int row, int limit) {
    const int n = std::min(length, limit);
    Bar(s, right - n, y, n, height, row, limit);
}

void PaintSearchPage(DisplayState& s, rules::TroopCursor& t) {
    for (int slot = 0; slot < 6; ++slot) {
        PanelOrigin o;
        if (!BeginPanel(s, t, slot, false, &o)) continue;
        for (int i = 0; i < 5; ++i) {
            const int y = 44 + 14 * i;
            const int v = t.GetRadarRange(i);
            RightBar(s, o.x + 59, o.y + 46 + 14 * i, v * 40 / 12, 8, 24, 40);
            TextF(s, o.x + 4, o.y + y, kWhite, "%2d", v);
            const int m = std::min(v, 2);
            Bar(s, o.x + 92, o.y + 46 + 14 * i, m * 40 / 12, 8, 24, 40);
            if (v != 0) Bar(s, o.x + 92, o.y + 46 + 14 * i, 40 / 12, 8, 32, 40);
            TextF(s, o.x + 136, o.y + y, kWhite, "%2d", m);
        }
    }
    for (int c = 0; c < 5; ++c) {
        const int y = 16 + 18 * c;
        const int e = rules::GetBestMemberValue(t, c, 5, 0);
        RightBar(s, PX(183), PY(y), e * 140 / 12, 12, 76, 140);
        TextF(s, PX(24), PY(y), kWhite, "%2d", e);
        const int m = std::min(e, 2);
        Bar(s, PX(216), PY(y), m * 140 / 12, 12, 76, 140);
        if (e != 0) Bar(s, PX(216), PY(y), 140 / 12, 12, 88, 140);
        TextF(s, PX(380), PY(y), kWhite, "%2d", m);
    }
}

void PaintConcealmentPage(DisplayState& s, rules::TroopCursor& t) {
    const auto sel = ui::SendMessage(ui::GetDlgItem(s.window, kIdLandButtons), zv::WM_SKIN_GET_SELECTION, 0, 0);
    const int k = sel < 0 || sel > 20 ? 0 : int(sel);
    for (int slot = 0; slot < 6; ++slot) {
        PanelOrigin o;
        if (!BeginPanel(s, t, slot, false, &o)) continue;
        for (int i = 0; i < 5; ++i) {
            rules::SelectSlotUnit(t, slot);
            const int conceal = t.UnitInfoCursor::GetConcealment(i, k);
            rules::SelectSlotUnit(t, slot);
            const int day = t.GetDaySight() + conceal;
            const int night = t.GetNightSight() + conceal;
            const int y = 44 + 14 * i;
            RightBar(s, o.x + 59, o.y + 46 + 14 * i, day * 40 / 100, 8, 24, 40);
            TextF(s, o.x + 4, o.y + y, kWhite, "%2d", day);
            Bar(s, o.x + 92, o.y + 46 + 14 * i, night * 40 / 100, 8, 24, 40);
            TextF(s, o.x + 136, o.y + y, kWhite, "%2d", night);
        }
    }
    for (int c = 0; c < 5; ++c) {
        const int y = 16 + 18 * c;
        const int day = rules::GetDaySearchValue(t, c, k, 0, 0);
        RightBar(s, PX(183), PY(y), day * 140 / 100, 12, 76, 140);
        TextF(s, PX(24), PY(y), kWhite, "%2d", day);
        const int night = rules::GetNightSearchValue(t, c, k, 1, 0);
        Bar(s, PX(216), PY(y), night * 140 / 100, 12, 76, 140);
        TextF(s, PX(380), PY(y), kWhite, "%2d", night);
    }
}

// ---- page 7 -------------------------------------------------------------------------------

void LoadIcons(DisplayState& s, int x, int y, const std::uint8_t codes[8]) {
    for (int n = 0, drawn = 0; n < 8; ++n) {
        if (codes[n] == 0xFF) continue;
        shell::LoadGunStripBitmap(x + 20 * drawn, y, s.picture.get(), codes[n]);
        if (gRecording) gRecording->icons.push_back({x + 20 * drawn, y});
        ++drawn;
    }
}

void PaintLoadingPage(DisplayState& s, rules::TroopCursor& t) {
    for (int slot = 0; slot < 6; ++slot) {
        PanelOrigin o;
        if (!BeginPanel(s, t, slot, false, &o)) continue;
        const int carry = t.GetCarryWeightTotal();
        const int weight = t.GetWeight();
        if (carry == 0) Text(s, o.x + 52, o.y + 32, "   --", kRed);
        else TextF(s, o.x + 52, o.y + 32, kWhite, "%5d", carry);
        std::uint8_t codes[8];
        std::memset(codes, 0xFF, sizeof codes);
        rules::AnyMemberLoadClass(t, slot, codes);
        LoadIcons(s, o.x + 80, o.y + 50, codes);
        if (weight == 0) Text(s, o.x + 52, o.y + 84, "   --", kRed);
        else TextF(s, o.x + 52, o.y + 84, kWhite, "%5d", weight);
        std::memset(codes, 0xFF, sizeof codes);
        rules::MemberCanLoad(t, slot, codes);
        LoadIcons(s, o.x + 80, o.y + 102, codes);
    }
    if (s.organize) return;
    RestoreFromCache(s, kPageX, kPageY, kPageWidth, kPageHeight);
    if (GetTroopInfoViewerCountry() > 3) return;
    const std::uint16_t self = std::uint16_t(GetTroopInfoTargetTroop());
    rules::TroopCursor troops(Tables());
    std::vector<std::uint16_t> carried;
    if (troops.Select(self)) {
        for (int i = 0; i < 255; ++i) {
            const std::uint16_t found = troops.FindCarriedTroopOfCurrent(std::uint16_t(i));
            if (found != rules::kNoTroop && troops.Select(found)) carried.push_back(found);
            troops.Select(self);
        }
    }
    s.carriedPageCount = carried.empty() ? 1 : int((carried.size() + 7) / 8);
    if (s.carriedPage == -1 && s.carriedPageCount != 1) s.carriedPage = 1;
    s.carriedPage = std::clamp(s.carriedPage, 1, s.carriedPageCount);
    const bool back = s.carriedPageCount > 1 && s.carriedPage > 1;
    const bool next = s.carriedPageCount > 1 && s.carriedPage < s.carriedPageCount;
    ui::SendMessage(ui::GetDlgItem(s.window, kIdPageBack), zv::WM_SKIN_ENABLE, 0, back ? 1 : 0);
    ui::SendMessage(ui::GetDlgItem(s.window, kIdPageNext), zv::WM_SKIN_ENABLE, 0, next ? 1 : 0);
    for (std::size_t n = std::size_t(8 * (s.carriedPage - 1)), j = 0; n < carried.size() && j < 8; ++n, ++j) {
        if (!troops.Select(carried[n])) continue;
        const int col = int(j % 2);
        const int row = int(j / 2);
        if ((troops.GetIcon() & 0xFF) != 0xFF) {
            shell::LoadGunStripBitmap(PX(28 + 220 * col), PY(16 + 20 * row), s.picture.get(), troops.GetIcon() & 0xFF);
            if (gRecording) gRecording->icons.push_back({PX(28 + 220 * col), PY(16 + 20 * row)});
        }
        const char* name = troops.GetName();
        Text(s, PX(44 + 220 * col), PY(20 + 20 * row), std::string(name, strnlen(name, 24)));
    }
}

// ---- page 8 -------------------------------------------------------------------------------

bool WeaponRow(rules::TroopCursor& t, rules::WeaponKdCursor& weapons, int w) {
    const std::uint16_t id = t.GetWeaponId(w);
    return id != 0 && weapons.Select(id) && weapons.GetSalvo() != 0;
}

void PaintArmamentPage(DisplayState& s, rules::TroopCursor& t) {
    rules::WeaponKdCursor weapons(Tables());
    fw::Dib back("back_gun.bmp");
    for (int slot = 0; slot < 6; ++slot) {
        const PanelOrigin o = kPanelOrigins[slot];
        if (slot == s.selectedSlot) {
            fw::HvDIBitBlt(s.picture.get(), o.x, o.y, kPanelWidth, kPanelHeight, &back, 152, 124 * slot, 0);
            for (const auto& [x, label] : {std::pair{6, "ECM"}, std::pair{46, "増槽"}, std::pair{90, "燃料"}}) {
                fw::DrawTextOnDib(s.window, s.picture.get(), o.x + x, o.y + 87, Sjis(label).c_str(), 9, 1,
                                  ui::Rgb(0xE8, 0xC0, 0x48));
            }
        } else {
            RestorePanel(s, slot);
        }
        if (!rules::SelectSlotUnit(t, slot)) continue;
        MemberName(s, t, slot);
        const int pack = PackSelection(s, slot);
        t.SetMemberPack(slot, std::uint8_t(pack));
        rules::SelectSlotUnit(t, slot);
        for (int w = 0; w < 6; ++w) {
            const int y = o.y + 18 + 11 * w;
            if (WeaponRow(t, weapons, w)) {
                const char* name = weapons.GetName();
                Text(s, o.x + 8, y, std::string(name, strnlen(name, 24)), kWhite, 10);
                char text[16];
                std::snprintf(text, sizeof text, "%3d", t.GetPackAmmo(pack, w));
                Text(s, o.x + 116, y, text, kWhite, 10);
            } else {
                Text(s, o.x + 8, y, "Nothing", kRed, 10);
                Text(s, o.x + 116, y, " --", kRed, 10);
            }
        }
        TextF(s, o.x + 32, o.y + 86, kWhite, "%1d", t.GetPackEcm(pack));
        TextF(s, o.x + 76, o.y + 86, kWhite, "%1d", t.GetPackFuelTanks(pack));
        TextF(s, o.x + 116, o.y + 86, kWhite, "%5d", t.GetPackFuel(pack));
    }
    RestoreFromCache(s, kPageX, kPageY, kPageWidth, kPageHeight);
    if (s.selectedSlot < 0 || !rules::SelectSlotUnit(t, s.selectedSlot)) return;
    for (int w = 0; w < 6; ++w) {
        const int y = PY(18 + 14 * w);
        rules::SelectSlotUnit(t, s.selectedSlot);
        if (WeaponRow(t, weapons, w)) {
            const char* name = weapons.GetName();
            Text(s, PX(4), y, std::string(name, strnlen(name, 24)));
            for (int k = 0; k < 10; ++k) TextF(s, PX(116 + 20 * k), y, kWhite, "%2d", weapons.GetHitRate(k));
            TextF(s, PX(324), y, kWhite, "%2d", weapons.GetPower());
            TextF(s, PX(352), y, kWhite, "%2d", weapons.GetSalvo());
            TextF(s, PX(380), y, kWhite, "%3d", weapons.GetFireCount());
            TextF(s, PX(408), y, kWhite, "%2d", weapons.GetRange());
            Text(s, PX(436), y, weapons.GetMegaMarker());
        } else {
            Text(s, PX(4), y, "Nothing", kRed);
            for (int k = 0; k < 10; ++k) Text(s, PX(116 + 20 * k), y, "--", kRed);
            Text(s, PX(324), y, "--", kRed);
            Text(s, PX(352), y, "--", kRed);
            Text(s, PX(380), y, " --", kRed);
            Text(s, PX(408), y, "--", kRed);
        }
    }
}

// ---- page 9 -------------------------------------------------------------------------------

void PaintBehaviourPage(DisplayState& s, rules::TroopCursor& t) {
    for (int slot = 0; slot < 6; ++slot) {
        PanelOrigin o;
        if (!BeginPanel(s, t, slot, true, &o)) continue;
        RowLabel(s, slot);
    }
    for (int k = 0; k < 4; ++k) {
        const auto value = ui::SendMessage(ui::GetDlgItem(s.window, kIdSliders + k), zv::WM_SKIN_GET_VALUE,
                                           0, shell::skin::kBarPosition);
        ApplyFormationSlider(s, int(value), kIdSliders + k);
    }
}

}  // namespace

void Text(DisplayState& s, int x, int y, const std::string& sjis, std::uint32_t color, int height) {
    if (gRecording) gRecording->texts.push_back({x, y, sjis, color, height});
    fw::DrawTextOnDib(s.window, s.picture.get(), x, y, sjis.c_str(), height, 1, color);
}

void TextF(DisplayState& s, int x, int y, std::uint32_t color, const char* format, long value) {
    char text[32];
    std::snprintf(text, sizeof text, format, int(value));
    Text(s, x, y, text, color);
}

void Bar(DisplayState& s, int x, int y, int length, int height, int sourceRow, int limit) {
    const int n = std::clamp(length, 0, limit);
    if (n == 0) return;
    if (gRecording) gRecording->bars.push_back({x, y, n, height, sourceRow});
    fw::Dib* bars = s.bars;
    if (!bars || !bars->HasBits()) return;
    for (int j = 0; j < n; ++j) fw::HvDIBitBlt(s.picture.get(), x + j, y, 1, height, bars, 0, sourceRow, 0);
}

void RestoreFromCache(DisplayState& s, int x, int y, int w, int h) {
    fw::HvDIBitBltOpaque(s.picture.get(), x, y, w, h, s.cache.get(), x, y);
}

void PaintTroopInfoPage(DisplayState& s, rules::TroopCursor& troop) {
    // The skin's bar picture, read once per painting.
    fw::Dib bars("bar_gun.bmp");
    s.bars = &bars;
    switch (CurrentPage(s)) {
        case 0: PaintInformationPage(s, troop); break;
        case 1: PaintCharacteristicsPage(s, troop); break;
        case 2: PaintAttackPage(s, troop); break;
        case 3: PaintDefencePage(s, troop); break;
        case 4: PaintMovementPage(s, troop); break;
        case 5: PaintSearchPage(s, troop); break;
        case 6: PaintConcealmentPage(s, troop); break;
        case 7: PaintLoadingPage(s, troop); break;
        case 8: PaintArmamentPage(s, troop); break;
        case 9: PaintBehaviourPage(s, troop); break;
        default: break;
    }
    s.bars = nullptr;
}

void DrawTroopIconGrid(DisplayState& s, int x, int y) {
    RestoreFromCache(s, PX(344), PY(12), 112, 84);
    auto troop = SelectDisplayedTroop(s, false);
    if (!troop) return;
    int row = troop->GetCountry();
    if (row > 3) row = 4;
    int chosen = -1;
    int firstWithIcon = -1;
    int matching = -1;
    const int icon = troop->GetIcon() & 0xFF;
    for (int i = 0; i < 6; ++i) {
        if (!rules::SelectSlotUnit(*troop, i) || troop->GetKindByte29() == 0xFF) continue;
        if (firstWithIcon < 0) firstWithIcon = i;
        if (matching < 0 && troop->GetKindByte29() == icon) matching = i;
        const int cx = PX(348 + 36 * (i % 3));
        const int cy = PY(24 + 36 * (i / 3));
        if (x != -1 && cx < x && x < cx + 32 && cy < y && y < cy + 32) chosen = i;
    }
    if (x == -1 && y == -1) chosen = matching >= 0 ? matching : firstWithIcon;
    else if (chosen < 0) chosen = firstWithIcon;
    fw::Dib buttons("btn_gun.bmp");
    for (int i = 0; i < 6; ++i) {
        if (!rules::SelectSlotUnit(*troop, i) || troop->GetKindByte29() == 0xFF) continue;
        const int cx = PX(348 + 36 * (i % 3));
        const int cy = PY(24 + 36 * (i / 3));
        const int code = troop->GetKindByte29();
        if (i == chosen) fw::HvDIBitBlt(s.picture.get(), cx, cy, 32, 32, &buttons, 32, 204, 0);
        shell::DrawGunIcon(cx, cy, s.picture.get(), row, code);
        if (gRecording) gRecording->icons.push_back({cx, cy});
        if (x != -1 && i == chosen) troop->SetIcon(std::uint16_t(code));
    }
    ui::Rect r{PX(344), PY(12), PX(344) + 112, PY(12) + 84};
    ui::InvalidateRect(s.window, &r, true);
    ui::UpdateWindow(s.window);
}

}  // namespace zv::organize::detail

namespace zv::organize {
void SetPageRecording(PageRecording* recording) { detail::gRecording = recording; }
}  // namespace zv::organize
