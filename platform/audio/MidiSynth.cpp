#include "platform/audio/MidiSynth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/core/Files.h"

namespace zv::audio {

namespace {

// FluidSynth's chatter would bury our own log; errors still get through.
void QuietFluidLogs() {
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

// The structure of a standard MIDI file, checked before the player sees it: FluidSynth's reader
// spins forever on some malformed files (a chunk other than a track where it expects one, for
// instance). A header chunk, then as many track chunks as it names and nothing else, each a
// run of whole events closed by End of Track. Empty when sound, else what is wrong.
std::string MidiStructureFault(const std::vector<uint8_t>& b) {
    auto be32 = [&](std::size_t at) {
        return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 |
               b[at + 3];
    };
    const uint32_t headerSize = be32(4);
    if (headerSize < 6 || headerSize > b.size() - 8) return "header chunk size";
    const int format = b[8] << 8 | b[9];
    const int tracks = b[10] << 8 | b[11];
    const int division = b[12] << 8 | b[13];
    if (format > 2 || tracks == 0 || (format == 0 && tracks != 1)) return "format and tracks";
    if (division == 0 || (division & 0x8000) != 0) return "time division";
    std::size_t at = 8 + headerSize;
    for (int t = 0; t < tracks; ++t) {
        if (b.size() - at < 8 || std::memcmp(&b[at], "MTrk", 4) != 0) return "missing track";
        const uint32_t size = be32(at + 4);
        if (size > b.size() - at - 8) return "track chunk size";
        const uint8_t* p = &b[at + 8];
        std::size_t i = 0;
        auto length = [&](uint32_t& value) {
            value = 0;
            for (int n = 0; n < 4 && i < size; ++n) {
                const uint8_t c = p[i++];
                value = value << 7 | (c & 0x7F);
                if ((c & 0x80) == 0) return true;
            }
            return false;
        };
        int status = 0;
        bool ended = false;
        while (i < size && !ended) {
            uint32_t delta = 0;
            if (!length(delta) || i >= size) return "event cut off";
            if (p[i] >= 0x80) status = p[i++];
            if (status == 0) return "running status without a status";
            uint32_t n = 0;
            if (status == 0xFF) {
                if (i >= size) return "event cut off";
                const uint8_t type = p[i++];
                if (!length(n) || n > size - i) return "meta event size";
                if (type == 0x51 && (n != 3 || (p[i] | p[i + 1] | p[i + 2]) == 0)) return "tempo";
                ended = type == 0x2F;
                status = 0;
            } else if (status == 0xF0 || status == 0xF7) {
                if (!length(n) || n > size - i) return "system exclusive size";
                status = 0;
            } else if (status > 0xF0) {
                return "status byte";
            } else {
                n = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
                if (n > size - i) return "event cut off";
                for (uint32_t k = 0; k < n; ++k)
                    if (p[i + k] >= 0x80) return "data byte";
            }
            i += n;
        }
        if (!ended || i != size) return "End of Track";
        at += 8 + size;
    }
    return at == b.size() ? std::string() : "bytes after the last track";
}

}  // namespace

std::unique_ptr<MidiSynth> MidiSynth::Create(int rate, const std::string& soundFontPath,
                                             std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return std::unique_ptr<MidiSynth>();
    };
    if (soundFontPath.empty()) return fail("no General MIDI soundfont found");
    QuietFluidLogs();
    std::unique_ptr<MidiSynth> s(new MidiSynth());
    s->settings_ = new_fluid_settings();
    if (!s->settings_) return fail("FluidSynth settings could not be made");
    fluid_settings_setnum(s->settings_, "synth.sample-rate", double(rate));
    fluid_settings_setnum(s->settings_, "synth.gain", 0.8);
    fluid_settings_setint(s->settings_, "synth.lock-memory", 0);
    fluid_settings_setint(s->settings_, "synth.cpu-cores", 1);
    fluid_settings_setstr(s->settings_, "player.timing-source", "sample");
    s->synth_ = new_fluid_synth(s->settings_);
    if (!s->synth_) return fail("FluidSynth could not start");
    if (fluid_synth_sfload(s->synth_, soundFontPath.c_str(), 1) == FLUID_FAILED) {
        return fail("soundfont " + soundFontPath + " could not be loaded");
    }
    return s;
}

MidiSynth::~MidiSynth() {
    DropPlayerLocked();
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
}

void MidiSynth::MakePlayerLocked() {
    DropPlayerLocked();
    finished_ = false;
    if (piece_.empty()) return;
    player_ = new_fluid_player(synth_);
    if (player_ && fluid_player_add_mem(player_, piece_.data(), piece_.size()) != FLUID_OK) {
        delete_fluid_player(player_);
        player_ = nullptr;
    }
}

void MidiSynth::DropPlayerLocked() {
    if (!player_) return;
    fluid_player_stop(player_);
    delete_fluid_player(player_);
    player_ = nullptr;
    if (synth_) fluid_synth_all_sounds_off(synth_, -1);
}

bool MidiSynth::Load(const std::string& path, std::string* error) {
    auto bytes = core::ReadWholeFile(path);
    if (!bytes) {
        Unload();
        if (error) *error = "cannot read " + path;
        return false;
    }
    return LoadBytes(std::move(*bytes), path, error);
}

bool MidiSynth::LoadBytes(std::vector<uint8_t> bytes, const std::string& name, std::string* error) {
    std::lock_guard lock(mutex_);
    DropPlayerLocked();
    piece_.clear();
    playing_ = false;
    if (bytes.size() < 14 || std::memcmp(bytes.data(), "MThd", 4) != 0) {
        if (error) *error = name + " is not a standard MIDI file";
        return false;
    }
    if (const std::string fault = MidiStructureFault(bytes); !fault.empty()) {
        if (error) *error = name + " is not a well-formed standard MIDI file (" + fault + ")";
        return false;
    }
    piece_ = std::move(bytes);
    MakePlayerLocked();
    if (!player_) {
        piece_.clear();
        if (error) *error = name + " could not be read by the MIDI player";
        return false;
    }
    return true;
}

void MidiSynth::Unload() {
    std::lock_guard lock(mutex_);
    DropPlayerLocked();
    piece_.clear();
    playing_ = false;
}

bool MidiSynth::HasPiece() const {
    std::lock_guard lock(mutex_);
    return player_ != nullptr;
}

void MidiSynth::Play() {
    std::lock_guard lock(mutex_);
    if (!player_) return;
    // A piece that has played out starts again only through Rewind.
    if (finished_) return;
    fluid_player_play(player_);
    playing_ = true;
}

void MidiSynth::Pause() {
    std::lock_guard lock(mutex_);
    if (!player_) return;
    fluid_player_stop(player_);
    fluid_synth_all_notes_off(synth_, -1);
    playing_ = false;
}

void MidiSynth::Stop() {
    std::lock_guard lock(mutex_);
    if (!player_) return;
    fluid_player_stop(player_);
    fluid_synth_all_sounds_off(synth_, -1);
    playing_ = false;
}

void MidiSynth::Rewind() {
    std::lock_guard lock(mutex_);
    bool wasPlaying = playing_;
    MakePlayerLocked();
    if (player_ && wasPlaying) fluid_player_play(player_);
    playing_ = wasPlaying && player_;
}

bool MidiSynth::IsPlaying() const {
    std::lock_guard lock(mutex_);
    return playing_;
}

void MidiSynth::SetEndCallback(std::function<void()> onEnd) {
    std::lock_guard lock(mutex_);
    onEnd_ = std::move(onEnd);
}

bool MidiSynth::RenderLocked(int16_t* out, int frames) {
    // Floats, converted here: the 16-bit writer dithers, which would make silence hiss.
    floatScratch_.resize(std::size_t(frames) * 2);
    float* f = floatScratch_.data();
    fluid_synth_write_float(synth_, frames, f, 0, 2, f, 1, 2);
    for (std::size_t i = 0; i < floatScratch_.size(); ++i) {
        out[i] = int16_t(std::clamp(std::lround(f[i] * 32767.0f), -32768L, 32767L));
    }
    if (!playing_ || !player_) return false;
    // The sample-paced player does not always report itself done; past the last event it is.
    int total = fluid_player_get_total_ticks(player_);
    bool done = fluid_player_get_status(player_) == FLUID_PLAYER_DONE ||
                (total > 0 && fluid_player_get_current_tick(player_) >= total);
    if (!done) return false;
    fluid_player_stop(player_);
    playing_ = false;
    finished_ = true;
    return true;
}

void MidiSynth::Render(int16_t* out, int frames) {
    std::function<void()> notify;
    {
        std::lock_guard lock(mutex_);
        if (RenderLocked(out, frames)) notify = onEnd_;
    }
    if (notify) notify();
}

void MidiSynth::MixInto(int32_t* out, int frames, int /*rate*/) {
    std::function<void()> notify;
    {
        std::lock_guard lock(mutex_);
        scratch_.resize(std::size_t(frames) * 2);
        if (RenderLocked(scratch_.data(), frames)) notify = onEnd_;
        for (std::size_t i = 0; i < scratch_.size(); ++i) out[i] += scratch_[i];
    }
    if (notify) notify();
}

}  // namespace zv::audio
