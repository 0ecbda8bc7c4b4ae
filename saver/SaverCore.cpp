#include "saver/SaverCore.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "framework/media/BitmapFile.h"
#include "framework/media/DrawSurface.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Window.h"
#include "saver/Sprites.h"

namespace zv::saver {

namespace {

SaverState* g_saver = nullptr;

constexpr const char* kSaverPictures[10] = {"Q1TITLE",   "Q2TITLE",   "Q3TITLE",
                                            "Q3XTITLE",  "Q4TITLE",   "Q5TITLE",
                                            "Q5DXTITLE", "RTQTITLE",  "BR_TITLE", ""};
constexpr const char* kDemoPictures[10] = {"Q1TITLE",   "Q2TITLE",   "Q3TITLE",
                                           "Q3XTITLE",  "Q4TITLE",   "Q5TITLE",
                                           "Q5DXTITLE", "RTQTITLE",  "BRKTITLE", ""};

std::unique_ptr<fw::Surface16> LoadPicture(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return nullptr;
    int w = 0, h = 0;
    return fw::LoadBitmapToSurface(nullptr, path.c_str(), &w, &h);
}

bool ReadWhole(const std::string& path, std::vector<uint8_t>* out) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.empty()) return false;
    *out = std::move(data);
    return true;
}

}  // namespace

SaverState* CurrentSaver() {
    return g_saver;
}
void SetCurrentSaver(SaverState* s) {
    g_saver = s;
}

const char* TitlePictureName(SaverBuild build, int slot) {
    if (slot < 0 || slot > 9) return "";
    return build == SaverBuild::Saver ? kSaverPictures[slot] : kDemoPictures[slot];
}

const char* SaverDescription(SaverBuild build) {
    return build == SaverBuild::Saver ? "Zorvathスクリーンセーバ" : "Zorvathスクリーンセーバー";
}

int NextEnabledScene(const SaverSettings& settings, int n) {
    // One turn round the slots at most: with nothing enabled there is no scene.
    for (int tries = 0; tries <= kSlotCount; ++tries, ++n) {
        if (n > 8 || n < 0) n = 0;
        if (settings.enabled[n] == 1) return n;
    }
    return -1;
}

int LoadBitmapResourceOrFile(SaverState& s, PictureSlot& slot, const std::string& name) {
    slot.reset();
    if (name.empty()) return 0;
    if (!s.env.resourceDir.empty()) {
        // Resource names compare without regard to case: the file is NAME.bmp in capitals.
        std::string upper = name;
        for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
        slot = LoadPicture(s.env.resourceDir + "/" + upper + ".bmp");
        if (!slot && !s.env.sharedDir.empty())
            slot = LoadPicture(s.env.sharedDir + "/" + upper + ".bmp");
    }
    if (!slot) slot = LoadPicture((s.env.currentDir.empty() ? "." : s.env.currentDir) + "/" + name);
    return slot ? 1 : 0;
}

int PaintTitleBitmap(SaverState& s, int slot) {
    if (slot < 0 || slot > 9 || s.settings.title[slot] != 1) return 0;
    if (!LoadBitmapResourceOrFile(s, s.titlePicture, TitlePictureName(s.build, slot))) {
        ReportMissing(s, TitlePictureName(s.build, slot));
        return 0;
    }
    const fw::Surface16& p = *s.titlePicture;
    BltRop(*s.screen, (s.clientWidth - p.Width()) / 2, (s.clientHeight - p.Height()) / 2,
           p.Width(), p.Height(), p, 0, 0, Rop::Copy, s.screen->Bounds());
    s.titlePicture.reset();
    return 1;
}

void FillClientBlack(SaverState& s) {
    if (s.screen) s.screen->Fill(s.screen->Bounds(), 0);
}

void PlaceSceneRandomly(SaverState& s, int kind) {
    const int w = s.clientWidth, h = s.clientHeight;
    // A screen no larger than the scene leaves no room to move it: the range is empty, and
    // the scene sits at the edge (taking a value modulo 0 or less is refused).
    auto randomX = [&] { return w > kSceneWidth ? s.random.Mod(w - kSceneWidth) : 0; };
    auto centred = [&] {
        s.sceneX = w / 2 - kSceneWidth / 2;
        s.sceneY = h / 2 - kSceneHeight / 2;
    };
    const bool demo = s.build == SaverBuild::DemoSaver;
    switch (kind) {
        case 0:
        case 1:
            s.sceneX = randomX();
            s.sceneY = h > 120 ? s.random.Mod(h - 120) : 0;
            break;
        case 2: case 3: case 4: case 7: case 8:
            if (demo) {
                centred();
            } else {
                s.sceneX = randomX();
                s.sceneY = h > kSceneHeight ? s.random.Mod(h - kSceneHeight) : 0;
            }
            break;
        case 9:
            centred();
            break;
        default:
            s.sceneX = s.sceneY = kind;
            break;
    }
}

void ResetScenePlacement(SaverState& s) {
    s.sceneX = s.sceneY = 0;
}

void CreateSaverFont(SaverState& s) {
    ui::FontSpec spec;
    spec.height = 17;
    spec.faceName = "ＭＳ ゴシック";
    s.font = std::make_unique<ui::Font>(spec);
}

void DeleteSaverFont(SaverState& s) {
    s.font.reset();
}

void DrawSaverText(SaverState& s, const std::string& text, int x, int y, ui::ColorRef colour,
                   ui::ColorRef /*background: transparent mode draws none*/, int delayMs) {
    if (!s.screen) return;
    if (!s.font) CreateSaverFont(s);
    const uint16_t value = fw::ColorTo565(colour);
    // Each character is drawn without smoothing into a small two-colour picture, whose set
    // pixels take the text colour on the screen: the same pixels on every run.
    static const ui::RgbQuad kTwo[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    constexpr int kW = 48, kH = 40, kPad = 8;
    std::vector<uint8_t> cell(std::size_t(kW) * kH);
    auto drawChar = [&](std::string_view ch, int cx) {
        std::fill(cell.begin(), cell.end(), 0);
        ui::IndexedSurface target;
        target.pixels = cell.data();
        target.width = kW;
        target.height = kH;
        target.stride = kW;
        target.bottomUp = false;
        target.palette = kTwo;
        target.paletteSize = 2;
        ui::Canvas dc(target);
        dc.SelectFont(*s.font);
        dc.SetBkMode(ui::TRANSPARENT);
        dc.SetTextColor(ui::Rgb(255, 255, 255));
        dc.TextOut(kPad, kPad, ch);
        for (int j = 0; j < kH; ++j)
            for (int i = 0; i < kW; ++i) {
                if (!cell[std::size_t(j) * kW + i]) continue;
                const int px = cx + i - kPad, py = y + j - kPad;
                if (px >= 0 && py >= 0 && px < s.screen->Width() && py < s.screen->Height())
                    s.screen->Set(px, py, value);
            }
        if (delayMs > 0) WaitMilliseconds(s, delayMs);
    };
    if (s.build == SaverBuild::Saver) {
        for (std::size_t i = 0; i < text.size();) {
            if ((uint8_t(text[i]) & 0x80) && i + 1 < text.size()) {
                drawChar(std::string_view(text).substr(i, 2), x);
                x += 16;
                i += 2;
            } else {
                drawChar(std::string_view(text).substr(i, 1), x);
                x += 8;
                i += 1;
            }
        }
    } else {
        for (std::size_t i = 0; i < text.size(); ++i)
            drawChar(std::string_view(text).substr(i, 1), x + 8 * int(i));
    }
}

void PresentScreen(SaverState& s) {
    if (!s.screen || !ui::IsWindow(s.window)) return;
    ui::Surface32Buffer frame(s.screen->Width(), s.screen->Height());
    s.screen->ToPixels32(frame.View());
    ui::Canvas* dc = ui::GetDC(s.window);
    if (!dc) return;
    ui::Canvas src(frame.View());
    dc->BitBlt(0, 0, s.screen->Width(), s.screen->Height(), src, 0, 0, ui::SRCCOPY);
    ui::ReleaseDC(s.window, dc);
}

void WaitMilliseconds(SaverState& s, int ms) {
    if (ms <= 0) return;
    s.waitedMs += uint64_t(ms);
    if (s.env.wait) {
        s.env.wait(ms);
        return;
    }
    PresentScreen(s);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool LoadRcDataBlock(SaverState& s, int id, std::vector<uint8_t>* out) {
    // A block is stored as RCDATAn.bin, or with the extension of what it holds (.mid).
    for (const char* ext : {".bin", ".mid"}) {
        const std::string file = "/RCDATA" + std::to_string(id) + ext;
        if (!s.env.resourceDir.empty() && ReadWhole(s.env.resourceDir + file, out)) return true;
        if (!s.env.sharedDir.empty() && ReadWhole(s.env.sharedDir + file, out)) return true;
    }
    return false;
}

std::string FindSceneFile(SaverState& s, const std::string& name) {
    std::error_code ec;
    for (const std::string& dir :
         {s.env.sharedDir, s.env.currentDir.empty() ? std::string(".") : s.env.currentDir}) {
        if (dir.empty()) continue;
        const std::string path = dir + "/" + name;
        if (std::filesystem::is_regular_file(path, ec)) return path;
    }
    return {};
}

bool LoadDataFile(SaverState& s, const std::string& name, std::vector<uint8_t>* out) {
    return ReadWhole((s.env.currentDir.empty() ? "." : s.env.currentDir) + "/" + name, out);
}

void ReportMissing(SaverState& s, const std::string& name) {
    if (name.empty() || !s.reportedMissing.insert(name).second) return;
    std::fprintf(stderr, "%s: '%s' was not found in %s, %s or %s; the scene goes on without it\n",
                 s.build == SaverBuild::Saver ? "zvsaver" : "zvdemosaver", name.c_str(),
                 s.env.resourceDir.empty() ? "(no folder)" : s.env.resourceDir.c_str(),
                 s.env.sharedDir.empty() ? "(no folder)" : s.env.sharedDir.c_str(),
                 s.env.currentDir.empty() ? "." : s.env.currentDir.c_str());
}

void DeleteSharedBitmaps(SaverState& s) {
    s.titlePicture.reset();
}

uint64_t ScreenChecksum(const fw::Surface16& screen) {
    uint64_t h = 1469598103934665603ull;
    const uint16_t* p = screen.Pixels();
    const std::size_t n = std::size_t(screen.Width()) * screen.Height();
    for (std::size_t i = 0; i < n; ++i) {
        h = (h ^ (p[i] & 0xFF)) * 1099511628211ull;
        h = (h ^ (p[i] >> 8)) * 1099511628211ull;
    }
    return h;
}

}  // namespace zv::saver
