#pragma once

// Small standard MIDI files made in code for tests: format 0, one track, 480 ticks per quarter
// at 120 beats a minute (so 960 ticks a second).

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zv::audio::testing {

struct TestNote {
    uint8_t key = 60;
    uint32_t startTick = 0;
    uint32_t lengthTicks = 480;
};

inline void PutVarLen(std::vector<uint8_t>& v, uint32_t x) {
    uint8_t buf[5];
    int n = 0;
    buf[n++] = x & 0x7F;
    while ((x >>= 7) != 0) buf[n++] = uint8_t(0x80 | (x & 0x7F));
    while (n > 0) v.push_back(buf[--n]);
}

// A piano (program 0) playing the notes on channel 0.
inline std::vector<uint8_t> BuildMidiFile(const std::vector<TestNote>& notes) {
    struct Event {
        uint32_t tick;
        uint8_t status, key, velocity;
    };
    std::vector<Event> events;
    for (const TestNote& n : notes) {
        events.push_back({n.startTick, 0x90, n.key, 100});
        events.push_back({n.startTick + n.lengthTicks, 0x80, n.key, 0});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.tick < b.tick; });
    std::vector<uint8_t> track = {0x00, 0xC0, 0x00};  // program change: piano
    uint32_t last = 0;
    for (const Event& e : events) {
        PutVarLen(track, e.tick - last);
        last = e.tick;
        track.insert(track.end(), {e.status, e.key, e.velocity});
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});  // end of track
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd',  0,    0,   0,   6,   0,
                                 0,   0,   1,   0x01, 0xE0, 'M', 'T', 'r', 'k'};
    uint32_t size = uint32_t(track.size());
    for (int i = 3; i >= 0; --i) file.push_back(uint8_t(size >> (8 * i)));
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

}  // namespace zv::audio::testing
