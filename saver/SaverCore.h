#pragma once

// The screensaver's shared frame: its one state block, the services every scene uses (pictures
// from the saver's own folder or the current directory, data blocks, the title picture, the
// scene area, the text painter, busy waits) and the random generator of the scenes.
//
// Scenes draw into `screen`, a 16-bit RGB 5-6-5 picture of the client area, the way the saver's
// scenes draw into the window's device context; the frame shows it in the window after every
// tick and whenever a scene waits inside a tick.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/media/Surface16.h"
#include "platform/ui/Font.h"
#include "platform/ui/WindowTypes.h"

namespace zv::saver {

// The two programs built on this frame.
enum class SaverBuild { Saver, DemoSaver };

constexpr int kSlotCount = 9;  // scene slots 0-8 (slot n plays title n + 1)
constexpr int kTimerMs = 200;
constexpr int kSceneWidth = 640;
constexpr int kSceneHeight = 400;

// The saver's random numbers: x := x * 214013 + 2531011, result (x >> 16) & 0x7FFF.
class SaverRandom {
  public:
    void Seed(uint32_t seed) { x_ = seed; }
    int Next() {
        x_ = x_ * 214013u + 2531011u;
        return int((x_ >> 16) & 0x7FFF);
    }
    // Next() mod n; 0 without drawing when n is 0 or less (a range that may be empty).
    int Mod(int n) { return n > 0 ? Next() % n : 0; }
    uint32_t State() const { return x_; }

  private:
    uint32_t x_ = 1;
};

// The settings, per scene slot (ten entries each) and for the battle rounds. A flag counts as
// set only when it equals 1.
struct SaverSettings {
    std::array<int, 10> enabled{};
    std::array<int, 10> title{};
    std::array<int, 10> opening{};
    std::array<int, 10> sound{};
    std::array<int, 10> bgm{};
    int realFightLoopNum = 0;     // battle rounds to play
    int realFightLoopSwitch = 0;  // nonzero: loop for ever
};

// A picture in a handle slot (null: empty).
using PictureSlot = std::unique_ptr<fw::Surface16>;

// A scene of the scheduler: Step(closing) on every tick; 0 keep, 1 finished, -1 end the saver.
class Scene {
  public:
    virtual ~Scene() = default;
    virtual int Step(bool closing) = 0;
};

// Where the saver finds its files and how it waits; tests replace the wait and the clock.
struct SaverEnvironment {
    std::string resourceDir;  // the program's own pictures (NAME.bmp) and data blocks
    std::string sharedDir;    // the scenes' pictures, data and movies no program holds itself
    std::string currentDir;   // the fallback folder for pictures and data files ("." normally)
    std::string settingsFile; // the settings file (see SaverSettingsFile)
    std::string tempDir;      // where the saver writes its own temporary files
    // Busy-waits n milliseconds; null: show the screen and sleep.
    std::function<void(int)> wait;
};

struct SaverState {
    SaverBuild build = SaverBuild::Saver;
    SaverEnvironment env;
    ui::Hwnd window{};
    bool preview = false;  // the child-preview flag: nothing is drawn
    int clientWidth = 0, clientHeight = 0;
    int slot = 0;
    int lastResult = 0;
    uintptr_t timer = 0;
    PictureSlot titlePicture;  // the title-picture handle slot
    int sceneX = 0, sceneY = 0;
    SaverSettings settings;
    SaverRandom random;
    std::unique_ptr<fw::Surface16> screen;
    std::unique_ptr<ui::Font> font;
    ui::Hwnd movieWindow{};
    std::array<std::unique_ptr<Scene>, kSlotCount> scenes;
    std::set<std::string> reportedMissing;  // pictures and blocks already said to be missing
    uint64_t waitedMs = 0;  // every busy wait so far (tests read it)
    int ticks = 0;          // timer ticks handled
};

// The one state while a saver window exists (null otherwise).
SaverState* CurrentSaver();
void SetCurrentSaver(SaverState* s);

// Slot table.
const char* TitlePictureName(SaverBuild build, int slot);  // "" past the table
const char* SaverDescription(SaverBuild build);            // the name in the system's list (UTF-8)

// ---- services ----
// The first slot at or after n whose enabled flag is 1 (above 8 wraps to 0); -1 when no slot
// is enabled.
int NextEnabledScene(const SaverSettings& settings, int n);
// Deletes the picture in the slot, then loads NAME from the program's own folder (NAME.bmp)
// or else the file of exactly that name in the current directory. 1 when loaded.
int LoadBitmapResourceOrFile(SaverState& s, PictureSlot& slot, const std::string& name);
// The title picture of slot n, centred, when the slot's title flag is 1. 1 when drawn.
int PaintTitleBitmap(SaverState& s, int slot);
void FillClientBlack(SaverState& s);
void PlaceSceneRandomly(SaverState& s, int kind);
void ResetScenePlacement(SaverState& s);
// One character at a time (Shift-JIS text), waiting delayMs after each.
void DrawSaverText(SaverState& s, const std::string& sjis, int x, int y, ui::ColorRef text,
                   ui::ColorRef background, int delayMs);
void WaitMilliseconds(SaverState& s, int ms);
void CreateSaverFont(SaverState& s);
void DeleteSaverFont(SaverState& s);
// A data block of the program (NAME in its own folder), or a file in the current directory
// when fromCurrentDir; false when missing or empty.
bool LoadRcDataBlock(SaverState& s, int id, std::vector<uint8_t>* out);
bool LoadDataFile(SaverState& s, const std::string& name, std::vector<uint8_t>* out);
// A file of the scenes (a movie): the shared folder, else the current directory; "" if none.
std::string FindSceneFile(SaverState& s, const std::string& name);
void DeleteSharedBitmaps(SaverState& s);
// Says on stderr, once a run for each name, that a picture or data block was not found: a
// scene without its content shows black, and this is where the reason is told.
void ReportMissing(SaverState& s, const std::string& name);
// Shows the screen picture in the window (after a tick and while waiting).
void PresentScreen(SaverState& s);
// A checksum of the screen's 16-bit words (FNV-1a), for golden frames.
uint64_t ScreenChecksum(const fw::Surface16& screen);

}  // namespace zv::saver
