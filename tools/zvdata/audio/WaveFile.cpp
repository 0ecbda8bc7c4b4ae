#include "tools/zvdata/audio/WaveFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zv::zvdata::audio {

Bytes WriteWave(const std::vector<std::int16_t>& samples, int sampleRate) {
    const std::uint32_t dataSize = static_cast<std::uint32_t>(samples.size() * 2);
    Bytes out;
    out.reserve(44 + dataSize);
    PutText(out, "RIFF");
    PutLe32(out, 36 + dataSize);
    PutText(out, "WAVE");
    PutText(out, "fmt ");
    PutLe32(out, 16);
    PutLe16(out, 1);  // PCM
    PutLe16(out, 1);  // mono
    PutLe32(out, static_cast<std::uint32_t>(sampleRate));
    PutLe32(out, static_cast<std::uint32_t>(sampleRate) * 2);
    PutLe16(out, 2);   // block align
    PutLe16(out, 16);  // bits a sample
    PutText(out, "data");
    PutLe32(out, dataSize);
    for (const std::int16_t sample : samples) PutLe16(out, static_cast<std::uint16_t>(sample));
    return out;
}

FileCheck CheckWave(const std::string& name, const Bytes& bytes) {
    FileCheck check;
    auto fail = [&](const std::string& problem) {
        check.problems.push_back(name + ": " + problem);
        return check;
    };
    if (bytes.size() < 12 || !HasTag(bytes.data(), "RIFF") || !HasTag(bytes.data() + 8, "WAVE"))
        return fail("not a RIFF WAVE file");
    const std::uint32_t riffSize = GetLe32(bytes.data() + 4);
    if (riffSize != bytes.size() - 8)
        return fail("the RIFF chunk says " + std::to_string(riffSize) + " bytes, the file holds " +
                    std::to_string(bytes.size() - 8));

    bool haveFormat = false;
    std::uint32_t channels = 0, rate = 0, bits = 0, blockAlign = 0;
    std::size_t at = 12;
    while (at < bytes.size()) {
        if (bytes.size() - at < 8)
            return fail("a chunk header is cut off at byte " + std::to_string(at));
        const std::string tag(bytes.begin() + static_cast<long>(at),
                              bytes.begin() + static_cast<long>(at) + 4);
        const std::uint32_t size = GetLe32(bytes.data() + at + 4);
        const std::size_t body = at + 8;
        if (size > bytes.size() - body)
            return fail("the \"" + tag + "\" chunk says " + std::to_string(size) + " bytes, only " +
                        std::to_string(bytes.size() - body) + " follow");
        const std::uint8_t* p = bytes.data() + body;
        if (tag == "fmt ") {
            if (size < 16)
                return fail("the \"fmt \" chunk has " + std::to_string(size) + " bytes, not 16");
            const std::uint32_t format = GetLe16(p);
            channels = GetLe16(p + 2);
            rate = GetLe32(p + 4);
            const std::uint32_t byteRate = GetLe32(p + 8);
            blockAlign = GetLe16(p + 12);
            bits = GetLe16(p + 14);
            if (format != 1) return fail("format " + std::to_string(format) + " is not PCM (1)");
            if (channels < 1 || channels > 2)
                return fail(std::to_string(channels) + " channels, not 1 or 2");
            if (bits != 8 && bits != 16)
                return fail(std::to_string(bits) + " bits a sample, not 8 or 16");
            if (rate < 8000 || rate > 48000)
                return fail(std::to_string(rate) + " Hz is outside 8000-48000");
            if (blockAlign != channels * bits / 8)
                return fail("block align " + std::to_string(blockAlign) + " does not match " +
                            std::to_string(channels) + " channels of " + std::to_string(bits) +
                            " bits");
            if (byteRate != rate * blockAlign)
                return fail("byte rate " + std::to_string(byteRate) +
                            " is not rate x block align (" + std::to_string(rate * blockAlign) +
                            ")");
            haveFormat = true;
        } else if (tag == "data") {
            if (!haveFormat) return fail("the \"data\" chunk comes before \"fmt \"");
            if (size == 0) return fail("the \"data\" chunk holds no samples");
            if (size % blockAlign != 0)
                return fail("the \"data\" chunk's " + std::to_string(size) +
                            " bytes are not whole sample frames");
            double peak = 0;
            for (std::uint32_t i = 0; i < size; i += bits / 8) {
                const double v = bits == 16
                                     ? std::abs(static_cast<std::int16_t>(GetLe16(p + i))) / 32768.0
                                     : std::abs(static_cast<int>(p[i]) - 128) / 128.0;
                if (v > peak) peak = v;
            }
            char text[160];
            std::snprintf(text, sizeof text, "%s: WAVE %u-bit PCM %s %u Hz, %.2f s, peak %.1f dBFS",
                          name.c_str(), bits, channels == 1 ? "mono" : "stereo", rate,
                          static_cast<double>(size / blockAlign) / rate,
                          peak > 0 ? 20 * std::log10(peak) : -200.0);
            check.summary = text;
        }
        at = body + size + (size & 1);
    }
    if (check.summary.empty()) return fail(haveFormat ? "no \"data\" chunk" : "no \"fmt \" chunk");
    check.ok = true;
    return check;
}

}  // namespace zv::zvdata::audio
