#include "platform/audio/SoundFont.h"

#include <filesystem>

namespace zv::audio {

const std::vector<std::string>& SoundFontCandidates() {
    static const std::vector<std::string> kCandidates = {
        "/usr/share/sounds/sf2/TimGM6mb.sf2",   "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/soundfonts/FluidR3_GM.sf2",
        "/usr/share/soundfonts/default.sf2",
    };
    return kCandidates;
}

std::string FindSoundFont() {
    std::error_code ec;
    for (const std::string& path : SoundFontCandidates()) {
        if (std::filesystem::is_regular_file(path, ec)) return path;
    }
    return {};
}

}  // namespace zv::audio
