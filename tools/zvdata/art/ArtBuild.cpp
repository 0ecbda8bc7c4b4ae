#include "tools/zvdata/art/ArtBuild.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "framework/BmpWriter.h"
#include "platform/core/Files.h"
#include "tools/zvdata/art/ArtManifest.h"
#include "tools/zvdata/art/ArtPalette.h"
#include "tools/zvdata/art/ArtRender.h"
#include "tools/zvdata/art/BmpImage.h"
#include "tools/zvdata/art/GameBitmapLayouts.h"

namespace zv::zvdata::art {

namespace {

constexpr const char* kGamePalette = "game";

bool LoadPalette(const std::string& dataDir, const std::string& name, ArtPalette& palette,
                 std::vector<std::string>& problems) {
    const std::string path = dataDir + "/art/palettes/" + name + ".pal";
    std::string text;
    if (!ReadTextFile(path, text)) {
        problems.push_back(path + ": cannot be read");
        return false;
    }
    palette.name = name;
    return ParseArtPalette(path, text, palette, problems);
}

std::string Describe(const std::string& name, int w, int h, const BitmapLayout& layout) {
    std::string s =
        name + ": " + std::to_string(w) + "x" + std::to_string(h) + " 8-bit, game palette";
    if (layout.cellW)
        s += ", " + std::to_string(w / layout.cellW) + "x" + std::to_string(h / layout.cellH) +
             " cells of " + std::to_string(layout.cellW) + "x" + std::to_string(layout.cellH);
    else
        s += ", two facings of " + std::to_string(w / 2) + "x" + std::to_string(h);
    return s;
}

// The name below the program directory of a file path: unit and opening pictures keep their
// folder.
std::string ProgramName(const std::string& path) {
    const std::filesystem::path p(path);
    const std::string file = p.filename().string();
    const std::string folder = p.parent_path().filename().string();
    if (folder == "unit" || folder == "Zv6open" || folder == "tyo" || folder == "ZvsaverData" ||
        folder == "ZvdemosaverData" || folder == "Zvscenes" || folder == "fight")
        return folder + "/" + file;
    return file;
}

bool WriteIndexed(const std::string& path, const IndexedPicture& pic, const ArtPalette& palette,
                  std::string& error) {
    std::vector<ui::RgbQuad> table(256);
    ui::LogicalPalette logical;
    for (int i = 0; i < 256; ++i) {
        const Rgb c = palette.colours[i];
        table[i].red = c.r;
        table[i].green = c.g;
        table[i].blue = c.b;
        logical.entries.push_back(ui::PaletteEntry{c.r, c.g, c.b, 0});
    }
    std::vector<std::uint8_t> pixels = pic.pixels;
    ui::IndexedSurface surface;
    surface.pixels = pixels.data();
    surface.width = pic.width;
    surface.height = pic.height;
    surface.stride = pic.width;
    surface.bottomUp = false;
    surface.palette = table.data();
    surface.paletteSize = 256;
    const auto dib = fw::BitmapToPaletteDib(surface, 8, &logical);
    if (!dib) return error = "the picture cannot be made into a DIB", false;
    const auto bytes = fw::MakeBmpFileBytes(*dib);
    if (!bytes) return error = "the DIB cannot be made into a file", false;
    if (!core::WriteFileAtomically(path, bytes->data(), bytes->size()))
        return error = "cannot be written", false;
    return true;
}

}  // namespace

std::vector<std::string> ListArtManifests(const std::string& dataDir) {
    std::vector<std::string> out;
    for (const char* folder : {"/art/manifests", "/art/manifests/unit", "/art/manifests/saver"}) {
        const std::string dir = dataDir + folder;
        if (!core::DirectoryExists(dir)) continue;
        for (const std::string& name : core::ListDirectory(dir, "*.txt"))
            out.push_back(dir + "/" + name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

ArtReport BuildArt(const std::string& dataDir, const std::string& programDir) {
    ArtReport report;
    std::map<std::string, ArtPalette> palettes;
    std::map<std::string, std::string> outputs;  // output -> manifest
    ArtRenderer renderer(dataDir + "/art");
    const std::string includeDir = dataDir + "/art/manifests";
    for (const char* folder : {"/unit", "/Zv6open", "/tyo", "/ZvsaverData", "/ZvdemosaverData", "/Zvscenes", "/fight"}) {
        if (!core::DirectoryExists(programDir + folder) &&
            !core::CreateDirectory(programDir + folder)) {
            report.problems.push_back(programDir + folder + ": cannot create the folder");
            report.ok = false;
            return report;
        }
    }
    for (const std::string& path : ListArtManifests(dataDir)) {
        std::string text;
        ArtManifest m;
        if (!ReadTextFile(path, text)) {
            report.problems.push_back(path + ": cannot be read");
            continue;
        }
        if (!ParseArtManifest(path, text, includeDir, m, report.problems)) continue;
        const auto layout = FindBitmapLayout(m.output);
        if (!layout) {
            report.problems.push_back(path + ": the game reads no file named " + m.output);
            continue;
        }
        if (layout->width && (m.width != layout->width || m.height != layout->height ||
                              m.cellW != layout->cellW || m.cellH != layout->cellH)) {
            report.problems.push_back(
                path + ": " + m.output + " must be " + std::to_string(layout->width) + "x" +
                std::to_string(layout->height) + " in cells of " + std::to_string(layout->cellW) +
                "x" + std::to_string(layout->cellH));
            continue;
        }
        if (!layout->width && (m.width % 2 != 0 || m.cellW * 2 != m.width || m.cellH != m.height)) {
            report.problems.push_back(path +
                                      ": a unit picture is two cells side by side (grid W/2 H)");
            continue;
        }
        if (m.palette != kGamePalette) {
            report.problems.push_back(path +
                                      ": every picture uses the game palette ('palette game')");
            continue;
        }
        const auto [it, fresh] = outputs.emplace(m.output, path);
        if (!fresh) {
            report.problems.push_back(path + ": " + m.output + " is already made by " + it->second);
            continue;
        }
        auto pal = palettes.find(m.palette);
        if (pal == palettes.end()) {
            ArtPalette p;
            if (!LoadPalette(dataDir, m.palette, p, report.problems)) {
                report.ok = false;
                return report;
            }
            pal = palettes.emplace(m.palette, p).first;
        }
        IndexedPicture pic;
        if (!renderer.Render(m, pal->second, pic, report.problems)) continue;
        const std::string outPath = programDir + "/" + m.output;
        std::string error;
        if (!WriteIndexed(outPath, pic, pal->second, error)) {
            report.problems.push_back(outPath + ": " + error);
            continue;
        }
        // What was written must read back to the same indices.
        BmpImage back;
        if (!ReadBmpImage(outPath, back, error) || back.pixels != pic.pixels) {
            report.problems.push_back(outPath + ": does not read back as drawn " + error);
            continue;
        }
        const ArtCheck check = CheckArtFile(outPath, dataDir);
        if (!check.ok) {
            report.problems.insert(report.problems.end(), check.problems.begin(),
                                   check.problems.end());
            continue;
        }
        report.written.push_back(check.summary);
    }
    report.ok = report.problems.empty();
    return report;
}

ArtCheck CheckArtFile(const std::string& path, const std::string& dataDir) {
    ArtCheck check;
    const std::string name = ProgramName(path);
    const auto layout = FindBitmapLayout(name);
    if (!layout) {
        check.problems.push_back(path + ": the game reads no picture named " + name);
        return check;
    }
    BmpImage image;
    std::string error;
    if (!ReadBmpImage(path, image, error)) {
        check.problems.push_back(path + ": " + error);
        return check;
    }
    if (layout->width && (image.width != layout->width || image.height != layout->height))
        check.problems.push_back(path + ": " + std::to_string(image.width) + "x" +
                                 std::to_string(image.height) + ", the game reads it as " +
                                 std::to_string(layout->width) + "x" +
                                 std::to_string(layout->height));
    // Bytes after the last pixel row belong to no picture; the header's size field may hide them.
    if (image.fileBytes > image.pictureBytes)
        check.problems.push_back(path + ": the file is longer than its header promises (" +
                                 std::to_string(image.fileBytes) + " bytes, the picture ends at " +
                                 std::to_string(image.pictureBytes) + ")");
    if (!layout->width && image.width % 2 != 0)
        check.problems.push_back(path + ": a unit picture must have an even width (two facings)");
    ArtPalette palette;
    std::vector<std::string> problems;
    if (!LoadPalette(dataDir, kGamePalette, palette, problems)) {
        check.problems.insert(check.problems.end(), problems.begin(), problems.end());
        return check;
    }
    if (image.colours.size() != 256) {
        check.problems.push_back(path + ": " + std::to_string(image.colours.size()) +
                                 " colours, not 256");
    } else {
        for (int i = 0; i < 256; ++i) {
            if (!(image.colours[i] == palette.colours[i])) {
                check.problems.push_back(path + ": colour " + std::to_string(i) + " is " +
                                         FormatRgb(image.colours[i]) + ", the game palette has " +
                                         FormatRgb(palette.colours[i]));
                break;
            }
        }
    }
    check.ok = check.problems.empty();
    if (check.ok) check.summary = Describe(name, image.width, image.height, *layout);
    return check;
}

}  // namespace zv::zvdata::art
