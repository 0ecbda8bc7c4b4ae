#include "panels/InfoWindows.h"

#include <cstdio>
#include <memory>

#include "framework/Dib.h"
#include "framework/ProcessState.h"
#include "framework/gui/GdiHelpers.h"
#include "framework/gui/WindowUtilities.h"
#include "panels/PanelCommon.h"
#include "panels/PanelWorld.h"
#include "platform/core/Sjis.h"
#include "platform/ui/CanvasConstants.h"
#include "platform/ui/Mdi.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowObject.h"
#include "rules/context/RuleHelpers.h"
#include "rules/countries/Income.h"
#include "rules/records/ForceCursor.h"
#include "rules/records/MapCursors.h"
#include "shell/Palettes.h"
#include "shell/ShellDialogs.h"
#include "shell/WindowRegistry.h"
#include "simulation/SessionPort.h"
#include "simulation/Simulation.h"

namespace zv::panels {

namespace {

using K = shell::WindowKind;

constexpr ui::ColorRef kGrey = 0x808080;
constexpr ui::ColorRef kBlack = 0x000000;

// The template with its labels and the picture shown, one pair per table window.
struct TablePictures {
    std::unique_ptr<fw::Dib> templ;
    std::unique_ptr<fw::Dib> display;
};

// A label written twice, one pixel apart, to thicken it.
void Label(ui::Hwnd h, fw::Dib* dib, int y, const char* utf8, int size) {
    PanelText(h, dib, 7, y, utf8, size, kBlack);
    PanelText(h, dib, 8, y, utf8, size, kBlack);
}

void MakeDisplay(TablePictures& p, int w, int h) {
    p.templ = fw::Dib::CreateBlank(w, h, shell::GetPaletteTableC());
    p.display = fw::Dib::CreateBlank(w, h, shell::GetPaletteTableC());
}

void RestoreDisplay(TablePictures& p) {
    if (p.templ && p.display)
        fw::HvDIBitBlt(p.display.get(), 0, 0, p.templ->GetWidth(), p.templ->GetHeight(),
                       p.templ.get(), 0, 0, 0);
}

std::string Sjis(const char* utf8) {
    return core::Utf8ToSjis(utf8);
}

ui::ColorRef RowColor(std::uint8_t state) {
    return state == 1 ? 0xFFFFFF : kGrey;
}

// ---- the camp window --------------------------------------------------------------------------

constexpr int kCampBlock = 133;

void BuildCampTemplate(ui::Hwnd h, TablePictures& pictures) {
    auto picture = LoadPicture("cmp_inf.bmp");
    const int w = picture && picture->HasBits() ? picture->GetWidth() : 200;
    const int ht = picture && picture->HasBits() ? picture->GetHeight() : 4 * kCampBlock;
    MakeDisplay(pictures, w, ht);
    if (picture && picture->HasBits())
        fw::HvDIBitBlt(pictures.templ.get(), 0, 0, w, ht, picture.get(), 0, 0, 0);
    static const char* const kRows[6] = {"ユーザー", " 軍  団 ", " 状  態 ",
                                         " 同  盟 ", " 収  入 ", " 部隊数 "};
    for (int c = 0; c < 4; ++c) {
        const int off = 5 + kCampBlock * c;
        Label(h, pictures.templ.get(), off, " 陣 営 ", 16);
        for (int k = 0; k < 6; ++k) Label(h, pictures.templ.get(), off + 22 + 18 * k, kRows[k], 14);
    }
}

void CenteredText(ui::Hwnd h, fw::Dib* dib, int top, const CampRow& row, int size) {
    const ui::Rect box{72, top, 196, top + 18};
    fw::DrawTextShadowedOnDib(h, dib, box, row.text.c_str(), size, 1, row.color, ui::DT_CENTER);
}

int NameSize(const CampRow& row) {
    return row.text.size() >= 20 ? 10 : 12;
}

bool SinglePlay() {
    PanelWorld* world = CurrentPanelWorld();
    return world == nullptr || world->simulation == nullptr || world->simulation->IsSinglePlay();
}

void DrawCampInfo(ui::Hwnd h, TablePictures& pictures) {
    RestoreDisplay(pictures);
    fw::Dib* dib = pictures.display.get();
    rules::TableDirectory* tables = PanelTables();
    if (dib == nullptr || tables == nullptr) {
        InvalidateAndUpdate(h);
        return;
    }
    auto marks = LoadPicture("campMark.bmp");
    const int m = marks && marks->HasBits() ? marks->GetWidth() / 4 : 0;
    rules::CountryCursor country(*tables);
    for (int c = 0; c < 4; ++c) {
        if (!country.Select(c)) continue;
        const int y = 44 + kCampBlock * c;
        const CampRow player = SinglePlay() ? CampPlayerText(c) : CampParticipantText(c);
        CenteredText(h, dib, y - 18, player, NameSize(player));
        const CampRow corps = CampCorpsText(c);
        CenteredText(h, dib, y, corps, NameSize(corps));
        CenteredText(h, dib, y + 18, CampStateText(c), 14);
        country.Select(c);
        const std::uint8_t allies = country.GetAllianceMask() & 0x0F & ~(1u << c);
        if (allies == 0) {
            CenteredText(h, dib, y + 36, {Sjis("同盟なし"), RowColor(country.GetState())}, 14);
        } else if (m > 0) {
            int n = 0;
            for (int a = 0; a < 4; ++a) n += (allies >> a) & 1;
            const int shift = n == 1 ? 0 : n == 2 ? -7 : -15;
            int x = (123 - m) / 2 + 73 + shift;
            for (int a = 0; a < 4; ++a) {
                if (!((allies >> a) & 1)) continue;
                fw::HvDIBitBlt(dib, x, y + 36, m, marks->GetHeight(), marks.get(), a * m, 0, 0);
                x += 15;
            }
        }
        CenteredText(h, dib, y + 54, CampIncomeText(c), 14);
        CenteredText(h, dib, y + 72, CampTroopCountText(c), 14);
    }
    InvalidateAndUpdate(h);
}

// ---- the site window --------------------------------------------------------------------------

constexpr int kSiteHeight = 276;

void BuildSiteTemplate(ui::Hwnd h, TablePictures& pictures) {
    auto picture = LoadPicture("siteNum.bmp");
    const bool ok = picture && picture->HasBits();
    const int w = ok ? picture->GetWidth() : 412;
    MakeDisplay(pictures, w, kSiteHeight);
    if (ok) {
        fw::Dib* t = pictures.templ.get();
        fw::HvDIBitBlt(t, 0, 0, w, 24, picture.get(), 0, 0, 0);
        for (int k = 0; k < 6; ++k) fw::HvDIBitBlt(t, 0, 24 + 36 * k, w, 36, picture.get(), 0, 24, 0);
        fw::HvDIBitBlt(t, 0, 240, w, 36, picture.get(), 0, 60, 0);
    }
    static const char* const kKinds[6] = {"首都", "大都市", "都市", "町", "空港", "軍港"};
    for (int k = 0; k < 6; ++k) Label(h, pictures.templ.get(), 36 + 36 * k, kKinds[k], 14);
}

void Figure(ui::Hwnd h, fw::Dib* dib, int x, int y, const char* format, long value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    PanelText(h, dib, x, y, text, 14, 0xFFFFFF);
}

void DrawSiteInfo(ui::Hwnd h, TablePictures& pictures) {
    RestoreDisplay(pictures);
    fw::Dib* dib = pictures.display.get();
    rules::TableDirectory* tables = PanelTables();
    if (dib != nullptr && tables != nullptr) {
        long kindSites[6] = {}, kindIncome[6] = {}, allSites = 0, allIncome = 0;
        for (int o = 0; o <= 4; ++o) {
            const int x = 57 + 59 * o;
            long sites = 0, income = 0;
            for (int k = 0; k < 6; ++k) {
                const long n = rules::CountSitesOfKind(*tables, std::uint8_t(o), k);
                const long g = rules::GetIncomeFromSiteKind(*tables, std::uint8_t(o), k);
                Figure(h, dib, x, 27 + 36 * k, "%8ld", n);
                Figure(h, dib, x, 45 + 36 * k, "%8ld", g);
                sites += n, income += g, kindSites[k] += n, kindIncome[k] += g;
            }
            Figure(h, dib, x, 244, "%8ld", sites);
            Figure(h, dib, x, 262, "%8ld", income);
            allSites += sites, allIncome += income;
        }
        for (int k = 0; k < 6; ++k) {
            Figure(h, dib, 352, 27 + 36 * k, "%8ld", kindSites[k]);
            Figure(h, dib, 352, 45 + 36 * k, "%8ld", kindIncome[k]);
        }
        Figure(h, dib, 352, 244, "%8ld", allSites);
        Figure(h, dib, 352, 262, "%8ld", allIncome);
    }
    InvalidateAndUpdate(h);
}

// ---- the troop-count window -------------------------------------------------------------------

constexpr int kTroopNumHeight = 152;

void BuildTroopNumTemplate(ui::Hwnd h, TablePictures& pictures) {
    auto picture = LoadPicture("frcNum.bmp");
    const bool ok = picture && picture->HasBits();
    const int w = ok ? picture->GetWidth() : 378;
    MakeDisplay(pictures, w, kTroopNumHeight);
    if (ok) {
        fw::Dib* t = pictures.templ.get();
        fw::HvDIBitBlt(t, 0, 0, w, 24, picture.get(), 0, 0, 0);
        for (int k = 0; k < 6; ++k) fw::HvDIBitBlt(t, 0, 24 + 18 * k, w, 18, picture.get(), 0, 24, 0);
        fw::HvDIBitBlt(t, 0, 132, w, 20, picture.get(), 0, 42, 0);
    }
    static const char* const kRows[6] = {"航空機", "ヘリ", "車両", "司令部", "艦船", "潜水艦"};
    for (int k = 0; k < 6; ++k) Label(h, pictures.templ.get(), 27 + 18 * k, kRows[k], 14);
}

void DrawTroopNum(ui::Hwnd h, TablePictures& pictures) {
    RestoreDisplay(pictures);
    fw::Dib* dib = pictures.display.get();
    rules::TableDirectory* tables = PanelTables();
    if (dib != nullptr && tables != nullptr) {
        long rows[6] = {}, all = 0;
        for (int c = 0; c < 4; ++c) {
            const int x = 82 + 59 * c;
            long total = 0;
            for (int i = 1; i <= 6; ++i) {
                // Vehicles leave out the headquarters troops, which have their own row.
                const long n = rules::CountCountryTroopsByCategory(*tables, std::uint8_t(c), i);
                Figure(h, dib, x, 27 + 18 * (i - 1), "%4ld", n);
                total += n, rows[i - 1] += n;
            }
            Figure(h, dib, x, 136, "%4ld", total);
            all += total;
        }
        for (int i = 0; i < 6; ++i) Figure(h, dib, 318, 27 + 18 * i, "%4ld", rows[i]);
        Figure(h, dib, 318, 136, "%4ld", all);
    }
    InvalidateAndUpdate(h);
}

// ---- the common window procedure --------------------------------------------------------------

struct TableWindowKind {
    const char* className;
    const char* title;
    K kind;
    std::uint32_t refresh;
    void (*build)(ui::Hwnd, TablePictures&);
    void (*draw)(ui::Hwnd, TablePictures&);
};

const TableWindowKind kTableWindows[3] = {
    {"CampInfoWindow", "陣営情報", K::CampInfoWnd, WM_REFRESH_CAMP_INFO, BuildCampTemplate,
     DrawCampInfo},
    {"SiteInfoWindow", "建物一覧", K::SiteListWnd, WM_REFRESH_SITE_INFO, BuildSiteTemplate,
     DrawSiteInfo},
    {"TroopNumWindow", "部隊数一覧", K::TroopNumListWnd, WM_REFRESH_TROOP_NUM,
     BuildTroopNumTemplate, DrawTroopNum},
};

// A table window of kind N: its template and the picture it shows.
template <int N>
class TableWindow : public ui::WindowObject {
  public:
    using WindowObject::WindowObject;

    ui::LResult Dispatch(uint32_t msg, ui::WParam w, ui::LParam l) {
        const TableWindowKind& k = kTableWindows[N];
        const ui::Hwnd h = Handle();
        switch (msg) {
            case ui::WM_CREATE:
                k.build(h, pictures_);
                SizePanelToClient(h, pictures_.templ->GetWidth(), pictures_.templ->GetHeight());
                k.draw(h, pictures_);
                return 0;
            case ui::WM_SHOWWINDOW:
                if (w != 0) ui::SendMessage(h, k.refresh, 0, 0);
                break;
            case ui::WM_PAINT:
                fw::PaintWindowFromBitmap(h, pictures_.display.get());
                return 0;
            case ui::WM_DESTROY:
                pictures_.templ.reset();
                pictures_.display.reset();
                shell::ForgetWindowOfKind(k.kind, h);
                break;
            default:
                if (msg == k.refresh) k.draw(h, pictures_);
                break;
        }
        return ui::DefMDIChildProc(h, msg, w, l);
    }

  private:
    TablePictures pictures_;
};

template <int N>
ui::LResult TableProc(ui::Hwnd h, uint32_t msg, ui::WParam w, ui::LParam l) {
    return ui::WindowObjectProc<TableWindow<N>>(h, msg, w, l);
}

constexpr ui::WndProc kTableProcs[3] = {TableProc<0>, TableProc<1>, TableProc<2>};

ui::Hwnd CreateTableWindow(int n, ui::Hwnd mdiClient, bool show) {
    if (!RegisterInfoWindowClass(InfoWindowClass(n))) return {};
    const TableWindowKind& k = kTableWindows[n];
    const ui::Hwnd h = ui::CreateMDIWindow(k.className, Sjis(k.title).c_str(), 0x02C20001,
                                           ui::MdiCreateStruct::CW_USEDEFAULT_MDI,
                                           ui::MdiCreateStruct::CW_USEDEFAULT_MDI,
                                           ui::MdiCreateStruct::CW_USEDEFAULT_MDI,
                                           ui::MdiCreateStruct::CW_USEDEFAULT_MDI, mdiClient,
                                           nullptr, 0);
    if (!h) return h;
    shell::SetWindowOfKind(k.kind, h);
    ui::ShowWindow(h, show ? ui::SW_SHOWNORMAL : ui::SW_HIDE);
    return h;
}

}  // namespace

// ---- the camp rows ------------------------------------------------------------------------------

namespace {
// The country's cursor and state; false when it does not select.
bool CampCountry(int c, std::uint8_t* state, std::uint8_t* player = nullptr) {
    rules::TableDirectory* tables = PanelTables();
    if (tables == nullptr) return false;
    rules::CountryCursor country(*tables);
    if (!country.Select(c)) return false;
    *state = country.GetState();
    if (player) *player = country.GetParticipation();
    return true;
}
}  // namespace

CampRow CampPlayerText(int c) {
    std::uint8_t state = 0, player = 0;
    if (!CampCountry(c, &state, &player)) return {"", kGrey};
    const char* t = state == 0 ? "---"
                    : (player == 0 || player == 3) ? "ユーザー"
                    : player == 2 ? "---"
                                  : "コンピュータ";
    return {Sjis(t), RowColor(state)};
}

CampRow CampParticipantText(int c) {
    std::uint8_t state = 0, player = 0;
    if (!CampCountry(c, &state, &player)) return {"", kGrey};
    if (state == 0 || player == 2) return {"---", RowColor(state)};
    if (player == 1) return {Sjis("コンピュータ"), RowColor(state)};
    PanelWorld* world = CurrentPanelWorld();
    sim::SessionPort* session =
        world && world->simulation ? world->simulation->Session() : nullptr;
    if (session != nullptr) {
        for (int slot = 0; slot < sim::kParticipantSlots; ++slot)
            if (session->GetSlotValue(slot) == std::uint32_t(c + 1))
                return {session->GetLobbyPlayerName(slot), RowColor(state)};
    }
    return {"", RowColor(state)};
}

CampRow CampCorpsText(int c) {
    std::uint8_t state = 0;
    if (!CampCountry(c, &state)) return {"", kGrey};
    if (state == 0) return {"---", kGrey};
    rules::ForceCursor force(*PanelTables(), std::uint8_t(c));
    if (!force.SelectSlot(std::uint8_t(c))) return {"", RowColor(state)};
    return {force.GetName(), RowColor(state)};
}

CampRow CampStateText(int c) {
    std::uint8_t state = 0;
    if (!CampCountry(c, &state)) return {"", kGrey};
    const char* t = state == 0 ? "不参戦" : state == 1 ? "参  戦" : state == 3 ? "滅  亡" : "";
    return {Sjis(t), RowColor(state)};
}

CampRow CampIncomeText(int c) {
    std::uint8_t state = 0;
    if (!CampCountry(c, &state)) return {"", kGrey};
    if (state != 1 && state != 3) return {"---------", RowColor(state)};
    char text[16];
    std::snprintf(text, sizeof text, "%9d", int(rules::GetCountryIncome(*PanelTables(), std::uint8_t(c))));
    return {text, RowColor(state)};
}

CampRow CampTroopCountText(int c) {
    std::uint8_t state = 0;
    if (!CampCountry(c, &state)) return {"", kGrey};
    if (state == 0) return {"---", kGrey};
    rules::TableDirectory& tables = *PanelTables();
    const std::uint8_t player = fw::GetPlayerCountry();
    if ((state == 1 || state == 3) && rules::AreCountriesAllied(tables, std::uint8_t(c), player) == 1) {
        int n = 0;
        for (int i = 1; i <= 6; ++i) n += rules::CountCountryTroopsByCategory(tables, std::uint8_t(c), i);
        char text[16];
        std::snprintf(text, sizeof text, "%3d", n);
        return {text, RowColor(state)};
    }
    return {"---", RowColor(state)};
}

bool RegisterLightGrayClass(const char* name, ui::WndProc proc) {
    ui::WindowClass existing;
    if (ui::GetClassInfo(name, &existing)) return true;
    ui::WindowClass wc;
    wc.name = name;
    wc.proc = proc;
    wc.style = ui::CS_HREDRAW | ui::CS_VREDRAW;
    wc.windowExtraBytes = 4;
    wc.cursor = ui::LoadCursor(nullptr, ui::IDC_ARROW);
    wc.hasBackground = true;
    wc.background = ui::Rgb(192, 192, 192);  // the stock light grey brush
    return ui::RegisterClass(wc);
}

bool RegisterInfoWindowClass(InfoWindowClass which) {
    const int n = int(which);
    if (n >= 0 && n < 3) return RegisterLightGrayClass(kTableWindows[n].className, kTableProcs[n]);
    return RegisterInfoListClass(n - 3);
}

ui::Hwnd CreateCampInfoWindow(ui::Hwnd mdiClient, bool show) {
    return CreateTableWindow(0, mdiClient, show);
}
ui::Hwnd CreateSiteInfoWindow(ui::Hwnd mdiClient, bool show) {
    return CreateTableWindow(1, mdiClient, show);
}
ui::Hwnd CreateTroopNumWindow(ui::Hwnd mdiClient, bool show) {
    return CreateTableWindow(2, mdiClient, show);
}

}  // namespace zv::panels
