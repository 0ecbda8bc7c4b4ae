#include "tools/zvdata/audio/MidiFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <tuple>

namespace zv::zvdata::audio {

namespace {

struct Event {
    std::uint32_t tick;
    int order;  // note-offs first at one tick, so a repeated note is not cut by its own end
    Bytes data;
};

void PutMeta(Bytes& out, std::uint8_t type, const Bytes& data) {
    out.push_back(0xFF);
    out.push_back(type);
    PutVarLength(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
}

Bytes TrackChunk(std::vector<Event> events, std::uint32_t endTick) {
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return std::tie(a.tick, a.order) < std::tie(b.tick, b.order);
    });
    Bytes body;
    std::uint32_t now = 0;
    for (const Event& event : events) {
        PutVarLength(body, event.tick - now);
        now = event.tick;
        body.insert(body.end(), event.data.begin(), event.data.end());
    }
    PutVarLength(body, endTick - now);
    PutMeta(body, 0x2F, {});
    Bytes chunk;
    PutText(chunk, "MTrk");
    PutBe32(chunk, static_cast<std::uint32_t>(body.size()));
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

Bytes TextBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Event Controller(int channel, int number, int value) {
    return {0,
            0,
            {static_cast<std::uint8_t>(0xB0 | channel), static_cast<std::uint8_t>(number),
             static_cast<std::uint8_t>(std::clamp(value, 0, 127))}};
}

// Notes of one pitch on one channel must not overlap: the earlier one ends where the next starts.
std::vector<MidiNote> Untangle(std::vector<MidiNote> notes, std::uint32_t endTick) {
    std::sort(notes.begin(), notes.end(), [](const MidiNote& a, const MidiNote& b) {
        return std::tie(a.track, a.pitch, a.tick, a.length, a.velocity) <
               std::tie(b.track, b.pitch, b.tick, b.length, b.velocity);
    });
    std::vector<MidiNote> out;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        MidiNote note = notes[i];
        if (note.tick >= endTick) continue;
        note.length = std::min(note.length, endTick - note.tick);
        if (i + 1 < notes.size() && notes[i + 1].track == note.track &&
            notes[i + 1].pitch == note.pitch && notes[i + 1].tick < note.tick + note.length)
            note.length = notes[i + 1].tick - note.tick;
        if (note.length > 0) out.push_back(note);
    }
    return out;
}

}  // namespace

Bytes WriteMidi(const MidiPiece& piece) {
    Bytes out;
    PutText(out, "MThd");
    PutBe32(out, 6);
    PutBe16(out, 1);
    PutBe16(out, static_cast<std::uint32_t>(piece.tracks.size() + 1));
    PutBe16(out, kTicksPerQuarter);

    std::vector<Event> conductor;
    Bytes meta;
    PutMeta(meta, 0x03, TextBytes(piece.title));
    conductor.push_back({0, 0, meta});
    int denominatorPower = 0;
    while ((1 << denominatorPower) < piece.meterDenominator) ++denominatorPower;
    meta.clear();
    PutMeta(meta, 0x58,
            {static_cast<std::uint8_t>(piece.meterNumerator),
             static_cast<std::uint8_t>(denominatorPower), 24, 8});
    conductor.push_back({0, 0, meta});
    for (const MidiTempo& tempo : piece.tempos) {
        const auto micros = static_cast<std::uint32_t>(std::lround(60000000.0 / tempo.bpm));
        meta.clear();
        PutMeta(meta, 0x51,
                {static_cast<std::uint8_t>(micros >> 16), static_cast<std::uint8_t>(micros >> 8),
                 static_cast<std::uint8_t>(micros)});
        conductor.push_back({tempo.tick, 0, meta});
    }
    const Bytes first = TrackChunk(conductor, piece.lengthTicks);
    out.insert(out.end(), first.begin(), first.end());

    std::vector<std::vector<Event>> tracks(piece.tracks.size());
    for (std::size_t t = 0; t < piece.tracks.size(); ++t) {
        const MidiTrack& track = piece.tracks[t];
        std::vector<Event>& events = tracks[t];
        meta.clear();
        PutMeta(meta, 0x03, TextBytes(track.name));
        events.push_back({0, 0, meta});
        events.push_back(Controller(track.channel, 121, 0));  // reset controllers
        events.push_back(Controller(track.channel, 0, 0));    // bank 0: General MIDI
        events.push_back({0,
                          0,
                          {static_cast<std::uint8_t>(0xC0 | track.channel),
                           static_cast<std::uint8_t>(track.program & 0x7F)}});
        events.push_back(Controller(track.channel, 7, track.volume));
        events.push_back(Controller(track.channel, 10, track.pan));
        events.push_back(Controller(track.channel, 91, track.reverb));
        events.push_back(Controller(track.channel, 93, track.chorus));
    }
    for (const MidiNote& note : Untangle(piece.notes, piece.lengthTicks)) {
        const auto channel = static_cast<std::uint8_t>(piece.tracks[note.track].channel);
        const auto pitch = static_cast<std::uint8_t>(std::clamp(note.pitch, 0, 127));
        const auto velocity = static_cast<std::uint8_t>(std::clamp(note.velocity, 1, 127));
        tracks[note.track].push_back(
            {note.tick, 2, {static_cast<std::uint8_t>(0x90 | channel), pitch, velocity}});
        tracks[note.track].push_back(
            {note.tick + note.length, 1, {static_cast<std::uint8_t>(0x80 | channel), pitch, 64}});
    }
    for (std::vector<Event>& events : tracks) {
        const Bytes chunk = TrackChunk(std::move(events), piece.lengthTicks);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

FileCheck CheckMidi(const std::string& name, const Bytes& bytes) {
    FileCheck check;
    auto fail = [&](const std::string& problem) {
        check.problems.push_back(name + ": " + problem);
        return check;
    };
    if (bytes.size() < 14 || !HasTag(bytes.data(), "MThd")) return fail("not a standard MIDI file");
    const std::uint32_t headerSize = GetBe32(bytes.data() + 4);
    if (headerSize < 6 || headerSize > bytes.size() - 8)
        return fail("the header chunk says " + std::to_string(headerSize) + " bytes");
    const std::uint32_t format = GetBe16(bytes.data() + 8);
    const std::uint32_t trackCount = GetBe16(bytes.data() + 10);
    const std::uint32_t division = GetBe16(bytes.data() + 12);
    if (format > 2) return fail("format " + std::to_string(format) + " is not 0, 1 or 2");
    if (trackCount == 0) return fail("the header names no tracks");
    if (format == 0 && trackCount != 1) return fail("a format 0 file has one track");
    if ((division & 0x8000) != 0 || division == 0)
        return fail("the time division is not ticks a quarter note");

    std::map<std::uint32_t, std::uint32_t> tempos;  // tick -> microseconds a quarter
    std::uint32_t endTick = 0, tracks = 0, notes = 0;
    std::size_t at = 8 + headerSize;
    while (at < bytes.size()) {
        if (bytes.size() - at < 8)
            return fail("a chunk header is cut off at byte " + std::to_string(at));
        const std::uint32_t size = GetBe32(bytes.data() + at + 4);
        const std::size_t body = at + 8;
        if (size > bytes.size() - body)
            return fail("chunk at byte " + std::to_string(at) + " says " + std::to_string(size) +
                        " bytes, only " + std::to_string(bytes.size() - body) + " follow");
        if (!HasTag(bytes.data() + at, "MTrk")) {
            at = body + size;  // other chunks are skipped, as the standard asks
            continue;
        }
        ++tracks;
        const std::string where = "track " + std::to_string(tracks) + ": ";
        const std::uint8_t* p = bytes.data() + body;
        const std::size_t end = size;
        std::size_t i = 0;
        std::uint32_t tick = 0;
        int status = 0;
        bool ended = false;
        std::map<int, int> sounding;  // channel * 128 + pitch -> count
        auto readLength = [&](std::uint32_t& value) {
            value = 0;
            for (int n = 0; n < 4; ++n) {
                if (i >= end) return false;
                const std::uint8_t b = p[i++];
                value = (value << 7) | (b & 0x7F);
                if ((b & 0x80) == 0) return true;
            }
            return false;
        };
        while (i < end) {
            if (ended) return fail(where + "events follow the End of Track");
            std::uint32_t delta;
            if (!readLength(delta)) return fail(where + "a delta time is cut off or too long");
            tick += delta;
            if (i >= end) return fail(where + "an event is cut off");
            if (p[i] >= 0x80) {
                status = p[i++];
            } else if (status == 0) {
                return fail(where + "a running status with no status before it");
            }
            if (status == 0xFF) {
                if (i >= end) return fail(where + "a meta event is cut off");
                const std::uint8_t type = p[i++];
                std::uint32_t length;
                if (!readLength(length) || length > end - i)
                    return fail(where + "meta event " + std::to_string(type) +
                                " overruns the track");
                if (type == 0x2F) ended = true;
                if (type == 0x51) {
                    if (length != 3)
                        return fail(where + "a tempo event of " + std::to_string(length) +
                                    " bytes");
                    const std::uint32_t micros = (p[i] << 16) | (p[i + 1] << 8) | p[i + 2];
                    if (micros == 0) return fail(where + "a tempo of 0 microseconds");
                    tempos[tick] = micros;
                }
                i += length;
                status = 0;  // meta and sysex events cancel running status
            } else if (status == 0xF0 || status == 0xF7) {
                std::uint32_t length;
                if (!readLength(length) || length > end - i)
                    return fail(where + "a system exclusive event overruns the track");
                i += length;
                status = 0;
            } else if (status >= 0xF0) {
                return fail(where + "status byte " + std::to_string(status) + " in a file");
            } else {
                const int kind = status & 0xF0;
                const std::size_t count = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                if (end - i < count) return fail(where + "a channel event is cut off");
                for (std::size_t n = 0; n < count; ++n)
                    if (p[i + n] >= 0x80)
                        return fail(where + "a data byte above 127 at tick " +
                                    std::to_string(tick));
                const int key = (status & 0x0F) * 128 + p[i];
                if (kind == 0x90 && p[i + 1] > 0) {
                    ++sounding[key];
                    ++notes;
                } else if (kind == 0x80 || kind == 0x90) {
                    if (sounding[key] > 0) --sounding[key];
                }
                i += count;
            }
        }
        if (!ended) return fail(where + "no End of Track");
        for (const auto& [key, count] : sounding)
            if (count > 0)
                return fail(where + "note " + std::to_string(key % 128) + " on channel " +
                            std::to_string(key / 128 + 1) + " still sounds at the end");
        endTick = std::max(endTick, tick);
        at = body + size;
    }
    if (tracks != trackCount)
        return fail("the header names " + std::to_string(trackCount) + " tracks, the file holds " +
                    std::to_string(tracks));

    double seconds = 0;
    std::uint32_t last = 0, micros = 500000;
    for (const auto& [tick, value] : tempos) {
        if (tick >= endTick) break;
        seconds += static_cast<double>(tick - last) * micros / 1e6 / division;
        last = tick;
        micros = value;
    }
    seconds += static_cast<double>(endTick - last) * micros / 1e6 / division;
    char text[200];
    std::snprintf(text, sizeof text,
                  "%s: MIDI type %u, %u tracks, %u ticks a quarter, %u notes, %d:%04.1f",
                  name.c_str(), format, trackCount, division, notes, static_cast<int>(seconds) / 60,
                  seconds - 60 * (static_cast<int>(seconds) / 60));
    check.summary = text;
    check.ok = true;
    return check;
}

}  // namespace zv::zvdata::audio
