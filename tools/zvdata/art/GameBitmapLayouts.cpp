#include "tools/zvdata/art/GameBitmapLayouts.h"

#include <cstring>

namespace zv::zvdata::art {

namespace {

struct Entry {
    const char* name;
    BitmapLayout layout;
};

// Columns x rows of cells follow from the sheets' tile tables: hex sheets reach column 20
// (land kinds) in five rows; road, route, line and board sheets are indexed by six direction
// bits (64 columns); unit sheets hold 5 colour countries x 6 facings by 12 troop pictures.
constexpr Entry kLayouts[] = {
    {"palette.bmp", {16, 16, 1, 1}},       {"pal2.bmp", {16, 16, 1, 1}},
    {"pal3.bmp", {16, 16, 1, 1}},          {"hexMini.bmp", {128, 10, 2, 2}},
    {"hexBig.bmp", {672, 160, 32, 32}},    {"hexBign.bmp", {672, 160, 32, 32}},
    {"hexBigf.bmp", {672, 160, 32, 32}},   {"hexBignf.bmp", {672, 160, 32, 32}},
    {"hexMidl.bmp", {336, 80, 16, 16}},    {"Hexmidn.bmp", {336, 80, 16, 16}},
    {"hexMidf.bmp", {336, 80, 16, 16}},    {"hexMidnf.bmp", {336, 80, 16, 16}},
    {"RoadBig.bmp", {2048, 64, 32, 32}},   {"RoadMidl.bmp", {1024, 32, 16, 16}},
    {"RootBig.bmp", {2048, 256, 32, 32}},  {"RootMidl.bmp", {1024, 128, 16, 16}},
    {"LineBig.bmp", {2048, 128, 32, 32}},  {"LineMidl.bmp", {1024, 64, 16, 16}},
    {"LineGrBg.bmp", {2048, 128, 32, 32}}, {"LineGrMd.bmp", {1024, 64, 16, 16}},
    {"LineFlBg.bmp", {2048, 160, 32, 32}}, {"LineFlMd.bmp", {1024, 80, 16, 16}},
    {"BeachBg.bmp", {192, 64, 32, 32}},    {"BeachMd.bmp", {96, 32, 16, 16}},
    {"BeachBgf.bmp", {192, 64, 32, 32}},   {"BeachMdf.bmp", {96, 32, 16, 16}},
    {"Unt_big.bmp", {960, 384, 32, 32}},   {"Unt_midl.bmp", {480, 192, 16, 16}},
    {"UntmdOrg.bmp", {480, 192, 16, 16}},  {"Unt_lnbg.bmp", {960, 384, 32, 32}},
    {"Unt_lnmd.bmp", {480, 192, 16, 16}},  {"Unt_grbg.bmp", {960, 384, 32, 32}},
    {"Unt_grmd.bmp", {480, 192, 16, 16}},  {"unt_mini.bmp", {40, 24, 4, 4}},
    {"Zanki.bmp", {132, 60, 12, 12}},      {"bomb.bmp", {256, 80, 16, 16}},
    {"bombln.bmp", {256, 80, 16, 16}},     {"bombgr.bmp", {256, 80, 16, 16}},
    {"HEX8DT.BMP", {168, 40, 8, 8}},       {"HEX8DTN.BMP", {168, 40, 8, 8}},
    {"HEX6DT.BMP", {126, 30, 6, 6}},       {"HEX6DTN.BMP", {126, 30, 6, 6}},
    {"HEX4DT.BMP", {84, 20, 4, 4}},        {"HEX4DTN.BMP", {84, 20, 4, 4}},
    {"ROAD8DT.BMP", {512, 16, 8, 8}},      {"ROAD8DTN.BMP", {512, 16, 8, 8}},
    {"ROAD6DT.BMP", {384, 12, 6, 6}},      {"ROAD6DTN.BMP", {384, 12, 6, 6}},
    {"ROAD4DT.BMP", {256, 8, 4, 4}},       {"ROAD4DTN.BMP", {256, 8, 4, 4}},
    {"posdirs.bmp", {56, 7, 7, 7}},        {"posdirb.bmp", {320, 40, 40, 40}},
    {"campMark.bmp", {64, 16, 16, 16}},    {"trpMark.bmp", {192, 64, 16, 16}},
    {"pMark.bmp", {32, 16, 16, 16}},
    {"mapcursor.bmp", {128, 32, 32, 32}},  {"mapcatey.bmp", {1040, 80, 16, 16}},
    {"category.bmp", {1040, 80, 16, 16}},  {"Unit_gun.bmp", {160, 384, 32, 32}},
    {"unt_guns.bmp", {16, 192, 16, 16}},   {"skill.bmp", {528, 16, 48, 16}},
    // The panels of the game's panel column and the fight windows' sheets and backgrounds.
    {"terrain.bmp", {196, 36, 196, 36}},   {"pause.bmp", {196, 20, 196, 20}},
    {"message.bmp", {196, 62, 196, 62}},   {"speed.bmp", {196, 64, 196, 64}},
    {"command.bmp", {196, 80, 196, 80}},   {"force.bmp", {196, 232, 196, 232}},
    {"weapon.bmp", {196, 120, 196, 120}},  {"selform.bmp", {148, 56, 148, 56}},
    {"fig_cate.bmp", {1040, 80, 16, 16}},  {"target.bmp", {240, 400, 40, 40}},
    {"fig_hp.bmp", {188, 28, 4, 4}},       {"fig_anni.bmp", {352, 448, 352, 112}},
    {"fig_expl.bmp", {240, 288, 48, 48}},  {"fig_mark.bmp", {560, 324, 112, 36}},
    {"fight/fback_uk.bmp", {464, 224, 464, 224}},
    {"fight/fback01a.bmp", {464, 224, 464, 224}},
    {"fight/fback01l.bmp", {464, 224, 464, 224}},
    {"fight/fback01s.bmp", {464, 224, 464, 224}},
    {"fight/fback02a.bmp", {464, 224, 464, 224}},
    {"fight/fback02l.bmp", {464, 224, 464, 224}},
    {"fight/fback02s.bmp", {464, 224, 464, 224}},
    {"fight/fback03a.bmp", {464, 224, 464, 224}},
    {"fight/fback03l.bmp", {464, 224, 464, 224}},
    {"fight/fback03s.bmp", {464, 224, 464, 224}},
    {"fight/fback04a.bmp", {464, 224, 464, 224}},
    {"fight/fback04l.bmp", {464, 224, 464, 224}},
    {"fight/fback04s.bmp", {464, 224, 464, 224}},
    {"fight/fback05a.bmp", {464, 224, 464, 224}},
    {"fight/fback05l.bmp", {464, 224, 464, 224}},
    {"fight/fback05s.bmp", {464, 224, 464, 224}},
    {"fight/fback06a.bmp", {464, 224, 464, 224}},
    {"fight/fback06l.bmp", {464, 224, 464, 224}},
    {"fight/fback06s.bmp", {464, 224, 464, 224}},
    {"fight/fback07a.bmp", {464, 224, 464, 224}},
    {"fight/fback07l.bmp", {464, 224, 464, 224}},
    {"fight/fback07s.bmp", {464, 224, 464, 224}},
    {"Btn_gun.bmp", {592, 340, 4, 4}},     {"bar_gun.bmp", {128, 100, 4, 4}},     {"Btn_pnl.bmp", {504, 220, 4, 4}},
    // The opening player's backdrops and its logo sheet (rows 112 pixels apart).
    {"Zv6open/open01.bmp", {800, 600, 800, 600}}, {"Zv6open/open02.bmp", {800, 600, 800, 600}},
    {"Zv6open/open03.bmp", {800, 600, 800, 600}}, {"Zv6open/open04.bmp", {800, 600, 800, 600}},
    {"Zv6open/open05.bmp", {800, 600, 800, 600}}, {"Zv6open/open06.bmp", {800, 600, 800, 600}},
    {"Zv6open/ZV6_LOGO.bmp", {448, 560, 448, 112}},
    {"trpinf00.bmp", {466, 366, 466, 366}}, {"trpinf01.bmp", {466, 366, 466, 366}},
    {"trpinf02.bmp", {466, 366, 466, 366}}, {"trpinf03.bmp", {466, 366, 466, 366}},
    {"trpinf04.bmp", {466, 366, 466, 366}}, {"trpinf05.bmp", {466, 366, 466, 366}},
    {"trpinf06.bmp", {466, 366, 466, 366}}, {"trpinf07.bmp", {466, 366, 466, 366}},
    {"trpinf08.bmp", {466, 366, 466, 366}}, {"trpinf09.bmp", {466, 366, 466, 366}},
    {"trpinf10.bmp", {466, 366, 466, 366}}, {"back_gun.bmp", {304, 744, 152, 124}},
    {"orgparts.bmp", {128, 80, 4, 4}},
    {"tyo/pro01.bmp", {480, 360, 480, 360}},      {"tyo/pro02.bmp", {480, 360, 480, 360}},
    {"tyo/pro03.bmp", {480, 360, 480, 360}},
    // The screensavers: each program's own pictures, and the scenes' pictures that no program
    // holds (looked for by their bare names in the scenes' folder).
    {"Zvscenes/BRKTITLE.bmp", {640, 400, 640, 400}},
    {"Zvscenes/BR_TITLE.bmp", {640, 400, 640, 400}},
    {"ZvdemosaverData/Q1TITLE.bmp", {640, 400, 640, 400}},
    {"ZvdemosaverData/Q1TITLE2.bmp", {640, 400, 640, 400}},
    {"ZvdemosaverData/Q1TITLE2B.bmp", {640, 232, 640, 232}},
    {"ZvdemosaverData/Q1TITLE2G.bmp", {640, 232, 640, 232}},
    {"ZvdemosaverData/Q1TITLE2R.bmp", {640, 232, 640, 232}},
    {"ZvdemosaverData/Q1TITLE2Y.bmp", {640, 232, 640, 232}},
    {"ZvdemosaverData/Q1UNIT.bmp", {640, 400, 64, 8}},
    {"ZvdemosaverData/Q1WEP.bmp", {640, 400, 8, 8}},
    {"ZvsaverData/Q2BOMB.bmp", {320, 50, 8, 2}},
    {"ZvsaverData/Q2END.bmp", {640, 400, 640, 400}},
    {"ZvsaverData/Q2HEX.bmp", {640, 400, 640, 400}},
    {"ZvsaverData/Q2TITLE.bmp", {640, 400, 640, 400}},
    {"ZvsaverData/Q2UNIT.bmp", {512, 400, 64, 8}},
    {"Zvscenes/Q3TITLE.bmp", {640, 400, 640, 400}},
    {"Zvscenes/Q3XTITLE.bmp", {640, 400, 640, 400}},
    {"Zvscenes/Q4TITLE.bmp", {640, 400, 640, 400}},
    {"Zvscenes/Q5DXTITLE.bmp", {640, 400, 640, 400}},
    {"Zvscenes/Q5TITLE.bmp", {640, 400, 640, 400}},
    {"Zvscenes/RTQTITLE.bmp", {640, 400, 640, 400}},
    {"Zvscenes/BR_1.bmp", {400, 480, 400, 480}},
    {"Zvscenes/BR_2.bmp", {400, 480, 400, 480}},
    {"Zvscenes/BR_3.bmp", {400, 480, 400, 480}},
    {"Zvscenes/BR_4.bmp", {400, 480, 400, 480}},
    {"Zvscenes/BR_DAY.bmp", {160, 400, 160, 400}},
    {"Zvscenes/BR_DEF.bmp", {640, 400, 640, 400}},
    {"Zvscenes/BR_NIGHT.bmp", {160, 400, 160, 400}},
    {"Zvscenes/BR_ROLL.bmp", {240, 1168, 240, 1168}},
    {"Zvscenes/PLANE_A.bmp", {320, 800, 64, 40}},
    {"Zvscenes/PLANE_D.bmp", {320, 800, 64, 40}},
    {"Zvscenes/PLANE_ES.bmp", {320, 800, 64, 40}},
    {"Zvscenes/PLANE_J.bmp", {320, 800, 64, 40}},
    {"Zvscenes/PLANE_M.bmp", {320, 800, 64, 40}},
    {"Zvscenes/T4_AIRCRAFT.bmp", {640, 400, 64, 40}},
    {"Zvscenes/T4_AIRCRAFTMM.bmp", {640, 400, 64, 40}},
    {"Zvscenes/T4_ARMY.bmp", {640, 400, 64, 40}},
    {"Zvscenes/T4_ARMYMM.bmp", {640, 400, 64, 40}},
    {"Zvscenes/T4_BOMBER.bmp", {640, 400, 64, 40}},
    {"Zvscenes/T4_BOMBERMM.bmp", {640, 400, 64, 40}},
    {"Zvscenes/T4_BOMBER2.bmp", {640, 400, 64, 40}},
    {"Zvscenes/T4_BOMBER2MM.bmp", {640, 400, 64, 40}},
    {"Zvscenes/T4_HELI.bmp", {640, 400, 64, 40}},
    {"Zvscenes/T4_HELIMM.bmp", {640, 400, 64, 40}},
    {"Zvscenes/T4_TANK.bmp", {640, 400, 64, 40}},
    {"Zvscenes/T4_TANKMM.bmp", {640, 400, 64, 40}},
    {"Zvscenes/T4_TANK2.bmp", {640, 400, 64, 40}},
    {"Zvscenes/T4_TANK2MM.bmp", {640, 400, 64, 40}},
    {"Zvscenes/T4_SHIP.bmp", {640, 400, 128, 40}},
    {"Zvscenes/T4_SHIPMM.bmp", {640, 400, 128, 40}},
    {"Zvscenes/T4_SHIP2.bmp", {640, 400, 128, 40}},
    {"Zvscenes/T4_SHIP2MM.bmp", {640, 400, 128, 40}},
    {"Zvscenes/T4_SHIP3.bmp", {640, 400, 128, 40}},
    {"Zvscenes/T4_SHIP3MM.bmp", {640, 400, 128, 40}},
    {"Zvscenes/T4_SHIP4.bmp", {640, 400, 128, 40}},
    {"Zvscenes/T4_SHIP4MM.bmp", {640, 400, 128, 40}},
    {"Zvscenes/T4_MAP.bmp", {640, 400, 640, 400}},
    {"Zvscenes/T4_MAPMM.bmp", {640, 400, 640, 400}},
    {"Zvscenes/T4_MAP2.bmp", {640, 400, 640, 400}},
    {"Zvscenes/T4_MAP2MM.bmp", {640, 400, 640, 400}},
    {"Zvscenes/T4_WEAPON.bmp", {640, 400, 32, 40}},
    {"Zvscenes/Q4MGHEX.bmp", {672, 160, 32, 32}},
    {"Zvscenes/Q4SHILET.bmp", {640, 400, 64, 40}},
    {"Zvscenes/Q4SHILETB.bmp", {640, 400, 64, 40}},
    {"Zvscenes/Q4SHILETF.bmp", {640, 400, 64, 40}},
    {"Zvscenes/Q4OPEN.bmp", {640, 400, 640, 400}},
    // The title page and the background of the set-up pages.
    {"mainTl00.bmp", {600, 400, 600, 400}},
    {"mainTl01.bmp", {600, 400, 600, 400}},
    // The result window and the end-of-game picture dialogs.
    {"victory.bmp", {800, 600, 800, 600}},
    {"defeat.bmp", {800, 600, 800, 600}},
    {"end_btn.bmp", {128, 80, 128, 80}},
    {"win.bmp", {320, 288, 320, 288}},
    {"lose_you.bmp", {320, 288, 320, 288}},
    {"lose_oth.bmp", {320, 288, 320, 288}},
    // The HQ window's face round the map miniature.
    {"Hq_back.bmp", {196, 160, 196, 160}},
    // The weapon detail sheet and its load plate.
    {"uinfo_a.bmp", {600, 380, 600, 380}},
    {"uinfo_b.bmp", {196, 134, 196, 134}},
    // The information tables' templates.
    {"cmp_inf.bmp", {200, 532, 200, 532}},
    {"siteNum.bmp", {412, 96, 412, 96}},
    {"frcNum.bmp", {378, 62, 378, 62}},
};

}  // namespace

std::optional<BitmapLayout> FindBitmapLayout(const std::string& name) {
    for (const Entry& e : kLayouts)
        if (name == e.name) return e.layout;
    // unit/unitNNN.bmp and unit/unitNNNs.bmp: two facings side by side.
    const char* n = name.c_str();
    if (std::strncmp(n, "unit/unit", 9) == 0) {
        const char* d = n + 9;
        if (std::strlen(d) >= 7 && d[0] >= '0' && d[0] <= '9' && d[1] >= '0' && d[1] <= '9' &&
            d[2] >= '0' && d[2] <= '9' &&
            (std::strcmp(d + 3, ".bmp") == 0 || std::strcmp(d + 3, "s.bmp") == 0))
            return BitmapLayout{0, 0, 0, 0};
    }
    return std::nullopt;
}

}  // namespace zv::zvdata::art
