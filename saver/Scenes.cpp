// The slot table's scenes, and the title-9 opening music.

#include "saver/Scenes.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "framework/media/MidiPlayer.h"

namespace zv::saver {

std::unique_ptr<Scene> MakeScene(SaverState& s, int slot) {
    const bool saver = s.build == SaverBuild::Saver;
    switch (slot) {
        case 0: return MakeTitle1Scene(s);
        case 1: return saver ? MakeTitle2Scene(s) : MakeTitleOnlyScene(s, 1);
        case 2: return MakeTitleOnlyScene(s, 2);
        case 3: return saver ? MakeTitle4Scene(s) : MakeTitleOnlyScene(s, 3);
        case 4: return MakeTitle5Scene(s);
        case 5: return MakeMovieScene(s, 5, "zv5.avi");
        case 6: return MakeMovieScene(s, 6, "zv5dx.avi");
        case 7: return MakeTitleOnlyScene(s, 7);
        case 8: return saver ? MakeTitle9Scene(s) : nullptr;
        default: return nullptr;
    }
}

// ---- the title-9 opening music ----
//
// The music block is written to a temporary file the saver makes for itself (never over a
// file of a fixed name that may belong to the user), played once, and deleted when it has
// been stopped or has played out, and at the latest when the saver ends.

namespace {

struct MidiState {
    std::string file;  // the temporary file while it exists
    bool written = false;
    fw::MidiPlayer* player = nullptr;
    bool playing = false;
};
MidiState g_midi;

}  // namespace

std::string CurrentMidiFile() {
    return g_midi.written ? g_midi.file : std::string();
}

int WriteMidiResourceToFile(SaverState& s) {
    if (g_midi.written) return 1;
    std::vector<uint8_t> data;
    if (!LoadRcDataBlock(s, 154, &data)) return 0;  // no music block: the opening is silent
    std::error_code ec;
    const std::string dir =
        s.env.tempDir.empty() ? std::filesystem::temp_directory_path(ec).string() : s.env.tempDir;
    std::string pattern = dir + "/zvsaver-XXXXXX.mid";
    const int fd = ::mkstemps(pattern.data(), 4);  // created new, ours alone
    if (fd < 0) return 0;
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n <= 0) break;
        done += std::size_t(n);
    }
    ::close(fd);
    g_midi.file = pattern;
    g_midi.written = true;
    if (done != data.size()) {
        std::filesystem::remove(pattern, ec);
        g_midi = MidiState{};
        return 0;
    }
    return 1;
}

int PlayMidiFile(SaverState& s) {
    if (!g_midi.written) return 0;
    if (!g_midi.player) g_midi.player = fw::CreateMidiPlayer(s.window, 1);
    if (!g_midi.player) return 0;
    g_midi.player->SetLoop(0);  // played once; its end notice deletes the file
    if (!g_midi.player->Open(g_midi.file.c_str()) || !g_midi.player->Play()) {
        g_midi.player->Close();
        return 0;
    }
    g_midi.playing = true;
    return 1;
}

int StopMidi(SaverState&) {
    if (!g_midi.playing) return 1;
    if (g_midi.player) {
        g_midi.player->Stop();
        g_midi.player->Close();
    }
    g_midi.playing = false;
    return 1;
}

void StopAndDeleteMidi(SaverState& s) {
    StopMidi(s);
    if (g_midi.player) {
        fw::DeleteMidiPlayer(g_midi.player);
        g_midi.player = nullptr;
    }
    if (g_midi.written) {
        std::error_code ec;
        std::filesystem::remove(g_midi.file, ec);
    }
    g_midi = MidiState{};
}

}  // namespace zv::saver
