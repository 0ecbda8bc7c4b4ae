#pragma once

// The single-play pages 1 (map or saved game, with its preview and information panel) and 2
// (the player's corps), the file lists and the information panel the host's network map page
// shares, and the loading of the chosen file.

#include <cstdint>
#include <string>

#include "platform/ui/WindowTypes.h"

namespace zv::ui {
class Font;
}

namespace zv::fw {
class Dib;
}
namespace zv::mapview {
struct MapPreviewRecord;
}

namespace zv::setup {

// Controls of the map pages.
constexpr int kIdPreviewNormal = 1194;
constexpr int kIdPreviewBuildings = 1195;
constexpr int kIdPreviewPlacement = 1196;
constexpr int kIdMapDescription = 1198;
constexpr int kIdFileList = 15013;       // the list view the player sees
constexpr int kIdFileNames = 15014;      // the hidden list box of file names, row for row
constexpr int kIdNewGame = 15015;
constexpr int kIdSavedGames = 15016;
constexpr int kIdDeleteSave = 15017;
constexpr int kIdStatusLine = 15018;

constexpr const char* kMapPattern = "MAP?????.ddm";
constexpr const char* kSavePattern = "*.ddg";

// Loads the chosen single-play file (network 0) into the tables: a saved game from SAVE, a map
// from MAP with its computer countries taking part and the others out. The start-from-save
// flag follows the choice. Network play loads nothing here. The miniature of the loaded map is
// drawn into miniatureTarget at (12, 30) when given. 0 when nothing is chosen or the load
// fails, else 1.
int LoadChosenGameFile(ui::Hwnd page, int network, fw::Dib* miniatureTarget);

// The corps file entry chosen on page 2 (-1 none).
int GetSelectedCorpsFile();
void SetSelectedCorpsFile(int entry);

// Fills the hidden list box from the folder of the pattern (MAP for maps, SAVE otherwise) and
// the list view with the maps' names or the saved games' file names (without ".ddg"); saved
// games of the other kind of play (1 single, 2 network) are left out, so that both lists stay
// row for row. The number of rows.
int ListSetupFiles(ui::Hwnd page, const char* pattern, bool network);
// The folder of a list (program directory + "MAP/" or "SAVE/").
std::string SetupFileFolder(const char* pattern);

// The controls of a map page (page 1 and the host's network map page): the hidden file-name box,
// the list view, the description, the preview mode buttons, the new game / saved data buttons,
// the delete button (hidden) and the status line, with the page's button pair of `buttonStyle`.
void CreateFilePageLayout(ui::Hwnd page, const ui::Font* font, int buttonStyle);
// Fills a map page's lists with the maps (kind 0) or the saved games (1) of single or network
// play and titles the column; the folder of the list.
std::string FillSetupFileList(ui::Hwnd page, int kind, bool network);
// Switches a map page to the other list: the preview mode's button stays checked, the delete
// button shows (disabled) only with saved games, the choice's from-save flag follows, the list
// is filled again and the preview forgotten. The folder of the list.
std::string SwitchSetupFileList(ui::Hwnd page, int kind, int previewMode, bool network);

// The information panel of a map page drawn into its background: the preview picture of the
// mode, the countries taking part, the sites per country and the map's conditions. A null
// summary draws the empty panel.
void DrawMapInfoPanel(ui::Hwnd page, fw::Dib* background, const mapview::MapPreviewRecord* summary,
                      int mode);

ui::LResult SinglePlay2Proc(ui::Hwnd page, std::uint32_t msg, ui::WParam w, ui::LParam l);
ui::LResult SinglePlay1Proc(ui::Hwnd page, std::uint32_t msg, ui::WParam w, ui::LParam l);

}  // namespace zv::setup
